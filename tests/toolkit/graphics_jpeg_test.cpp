// JPEG images made at test time from bitmaps: encoding, decoding, progressive display,
// decoding options and damaged data.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/jpeg.h"
#include "toolkit/typinfo.h"

using namespace graphics_test;

namespace {

constexpr int kWidth = 64, kHeight = 48;

// Red rises to the right, green downwards, blue constant.
Owned<TBitmap> TestCard() {
  auto bitmap = Filled(kWidth, kHeight, clBlack, pf24bit);
  for (int y = 0; y < kHeight; ++y) {
    uint8_t* row = bitmap->GetScanLine(y);
    for (int x = 0; x < kWidth; ++x) {
      row[3 * x + 0] = 96;
      row[3 * x + 1] = static_cast<uint8_t>(y * 255 / (kHeight - 1));
      row[3 * x + 2] = static_cast<uint8_t>(x * 255 / (kWidth - 1));
    }
  }
  return bitmap;
}

int MaxDifference(TBitmap& a, TBitmap& b) {
  int worst = 0;
  for (int y = 0; y < a.GetHeight(); ++y)
    for (int x = 0; x < a.GetWidth(); ++x) {
      COLORREF p = a.GetPixelColor(x, y), q = b.GetPixelColor(x, y);
      worst = std::max({worst, std::abs(GetRValue(p) - GetRValue(q)), std::abs(GetGValue(p) - GetGValue(q)),
                        std::abs(GetBValue(p) - GetBValue(q))});
    }
  return worst;
}

std::vector<uint8_t> Encode(TBitmap& bitmap, bool progressive, int quality = 95) {
  auto jpeg = Make<TJPEGImage>();
  jpeg->Assign(&bitmap);
  jpeg->SetProgressiveEncoding(progressive);
  jpeg->SetCompressionQuality(quality);
  return jpeg->GetData();
}

Owned<TJPEGImage> Decode(const std::vector<uint8_t>& bytes) {
  auto stream = Make<TMemoryStream>();
  stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream->SetPosition(0);
  auto jpeg = Make<TJPEGImage>();
  jpeg->LoadFromStream(*stream);
  return jpeg;
}

Owned<TBitmap> Pixels(TJPEGImage& jpeg) {
  auto bitmap = Make<TBitmap>();
  bitmap->Assign(&jpeg);
  return bitmap;
}

class ProgressLog : public TObject {
 public:
  void Progress(TObject*, int pass, bool final) { passes.emplace_back(pass, final); }
  std::vector<std::pair<int, bool>> passes;
};

TEST(JpegImage, BaselineRoundTripKeepsTheImage) {
  auto card = TestCard();
  auto bytes = Encode(*card, false);
  ASSERT_GT(bytes.size(), 100u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xD8);
  auto jpeg = Decode(bytes);
  EXPECT_EQ(jpeg->GetWidth(), kWidth);
  EXPECT_EQ(jpeg->GetHeight(), kHeight);
  EXPECT_FALSE(jpeg->GetProgressiveEncoding());
  auto decoded = Pixels(*jpeg);
  EXPECT_EQ(decoded->GetPixelFormat(), pf24bit);
  EXPECT_LE(MaxDifference(*card, *decoded), 16);
  EXPECT_GT(Encode(*card, false, 95).size(), Encode(*card, false, 10).size());
}

TEST(JpegImage, ProgressiveImageShowsScanByScanWhenAsked) {
  auto card = TestCard();
  auto bytes = Encode(*card, true);
  auto plain = Decode(bytes);
  EXPECT_TRUE(plain->GetProgressiveEncoding());
  auto expected = Pixels(*plain);
  EXPECT_LE(MaxDifference(*card, *expected), 16);

  auto shown = Decode(bytes);
  shown->SetProgressiveDisplay(true);
  ProgressLog log;
  shown->OnProgress = TJPEGProgressEvent(&log, &ProgressLog::Progress);
  auto decoded = Pixels(*shown);
  ASSERT_GT(log.passes.size(), 1u);
  EXPECT_EQ(log.passes.front(), std::make_pair(1, false));
  EXPECT_TRUE(log.passes.back().second);
  EXPECT_EQ(MaxDifference(*expected, *decoded), 0);  // the last pass is the whole image
}

TEST(JpegImage, DecodingOptionsScaleAndGrey) {
  auto jpeg = Decode(Encode(*TestCard(), false));
  jpeg->SetScale(jsHalf);
  EXPECT_EQ(jpeg->GetWidth(), kWidth / 2);
  EXPECT_EQ(Pixels(*jpeg)->GetHeight(), kHeight / 2);
  jpeg->SetScale(jsFullSize);
  jpeg->SetGrayscale(true);
  auto grey = Pixels(*jpeg);
  COLORREF c = grey->GetPixelColor(40, 30);
  EXPECT_EQ(GetRValue(c), GetGValue(c));
  EXPECT_EQ(GetGValue(c), GetBValue(c));
}

TEST(JpegImage, DamagedDataRaisesInsteadOfEndingTheProcess) {
  auto bytes = Encode(*TestCard(), true);
  auto jpeg = Decode(bytes);

  const std::vector<uint8_t> not_jpeg = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
  EXPECT_THROW(Decode(not_jpeg), EInvalidGraphic);
  EXPECT_THROW(Decode(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20)), EInvalidGraphic);
  EXPECT_THROW(Decode({}), EInvalidGraphic);

  // A failed load leaves the image as it was.
  auto stream = Make<TMemoryStream>();
  stream->WriteBuffer(not_jpeg.data(), static_cast<int64_t>(not_jpeg.size()));
  stream->SetPosition(0);
  EXPECT_THROW(jpeg->LoadFromStream(*stream), EInvalidGraphic);
  EXPECT_EQ(jpeg->GetWidth(), kWidth);

  // The second scan's spectral range made impossible (start 10 after end 5): the header reads,
  // the decoding fails.
  int scans = 0;
  for (size_t i = 0; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA && ++scans == 2) {
      size_t components = bytes[i + 4];
      bytes[i + 5 + 2 * components] = 10;
      bytes[i + 6 + 2 * components] = 5;
      break;
    }
  ASSERT_EQ(scans, 2);
  auto damaged = Decode(bytes);
  EXPECT_EQ(damaged->GetWidth(), kWidth);
  EXPECT_THROW(damaged->DIBNeeded(), EInvalidGraphic);
  auto target = Filled(4, 4, clWhite);
  EXPECT_THROW(target->GetCanvas()->Draw(0, 0, damaged.get()), EInvalidGraphic);

  // Data cut inside the image decodes what there is.
  auto cut = Encode(*TestCard(), false);
  cut.resize(cut.size() * 2 / 3);
  auto partial = Decode(cut);
  EXPECT_NO_THROW(partial->DIBNeeded());
}

// The progressive image with its first scan repeated: `copies` more of it.
std::vector<uint8_t> RepeatFirstScan(const std::vector<uint8_t>& bytes, int copies) {
  size_t start = 0;
  while (start + 1 < bytes.size() && !(bytes[start] == 0xFF && bytes[start + 1] == 0xDA)) ++start;
  size_t end = start + 2;
  while (end + 1 < bytes.size() &&
         !(bytes[end] == 0xFF && bytes[end + 1] != 0 && (bytes[end + 1] & 0xF8) != 0xD0))
    ++end;
  std::vector<uint8_t> bomb(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(end));
  for (int i = 0; i < copies; ++i)
    bomb.insert(bomb.end(), bytes.begin() + static_cast<ptrdiff_t>(start),
                bytes.begin() + static_cast<ptrdiff_t>(end));
  bomb.insert(bomb.end(), bytes.begin() + static_cast<ptrdiff_t>(end), bytes.end());
  return bomb;
}

TEST(JpegImage, AnImageOfMoreScansThanAnyEncoderWritesIsRefusedBeforeDecoding) {
  const auto bytes = Encode(*TestCard(), true);
  const int scans = CountJpegScans(bytes.data(), bytes.size(), 1000);
  EXPECT_EQ(scans, 10);                                         // the usual progression of a colour image
  EXPECT_EQ(CountJpegScans(bytes.data(), bytes.size(), 3), 4);  // counting stops after the bound

  // Up to the bound the image loads and decodes (the repeated scans only refine nothing).
  auto most = RepeatFirstScan(bytes, kMaxJpegScans - scans);
  EXPECT_EQ(CountJpegScans(most.data(), most.size(), 1000), kMaxJpegScans);
  auto loaded = Decode(most);
  auto decoded = Pixels(*loaded);
  EXPECT_LE(MaxDifference(*TestCard(), *decoded), 16);

  // One more, or tens of thousands: refused while the header is read, the image left as it was.
  for (int copies : {kMaxJpegScans - scans + 1, 50000}) {
    const auto bomb = RepeatFirstScan(bytes, copies);
    auto stream = Make<TMemoryStream>();
    stream->WriteBuffer(bomb.data(), static_cast<int64_t>(bomb.size()));
    stream->SetPosition(0);
    try {
      loaded->LoadFromStream(*stream);
      ADD_FAILURE() << copies << " copies loaded";
    } catch (const EInvalidGraphic& e) {
      EXPECT_NE(e.Message().find("scans"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(loaded->GetData(), most);
  }
}

TEST(JpegImage, PictureLoadsJpegFilesByExtensionAndStoresThemAsData) {
  TempFile file(".jpeg");
  auto jpeg = Make<TJPEGImage>();
  jpeg->Assign(TestCard().get());
  jpeg->SaveToFile(file.Name());
  auto picture = Make<TPicture>();
  picture->LoadFromFile(file.Name());
  ASSERT_NE(DynamicCast<TJPEGImage>(picture->GetGraphic()), nullptr);
  EXPECT_EQ(picture->GetWidth(), kWidth);

  auto copy = Make<TPicture>();
  SetBinaryProp(copy.get(), GetPropInfo(copy.get(), "Data"),
                GetBinaryProp(picture.get(), GetPropInfo(picture.get(), "Data")));
  auto* stored = DynamicCast<TJPEGImage>(copy->GetGraphic());
  ASSERT_NE(stored, nullptr);
  EXPECT_EQ(stored->GetData(), jpeg->GetData());
}

}  // namespace
