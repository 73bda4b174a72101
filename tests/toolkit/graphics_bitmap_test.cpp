// Bitmaps: scan lines against GDI drawing, pixel formats, handles, BMP files and resources.
#include <gtest/gtest.h>

#include <cstring>

#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/bytes.h"
#include "toolkit/typinfo.h"

using namespace graphics_test;

namespace {

// ---- Scan lines and GDI drawing -----------------------------------------------------------

TEST(BitmapScanLine, CanvasDrawingShowsInTheScanLinesTopRowFirst) {
  for (TPixelFormat format : {pf24bit, pf32bit, pfDevice}) {
    auto bitmap = Filled(7, 5, clWhite, format);
    const int bytes = format == pf24bit ? 3 : 4;
    bitmap->GetCanvas()->GetBrush()->SetColor(0x123456);
    bitmap->GetCanvas()->FillRect(RECT{2, 0, 4, 1});
    bitmap->GetCanvas()->SetPixels(6, 4, 0xABCDEF);
    const uint8_t* top = bitmap->GetScanLine(0);
    EXPECT_EQ(top[2 * bytes + 0], 0x12);  // blue, green, red of 0x00BBGGRR
    EXPECT_EQ(top[2 * bytes + 1], 0x34);
    EXPECT_EQ(top[2 * bytes + 2], 0x56);
    EXPECT_EQ(top[4 * bytes], 0xFF);
    const uint8_t* bottom = bitmap->GetScanLine(4);
    EXPECT_EQ(bottom[6 * bytes + 0], 0xAB);
    EXPECT_EQ(bottom[6 * bytes + 2], 0xEF);
    // Rows are padded to whole 4-byte words.
    EXPECT_EQ(bitmap->GetScanLine(1) - bitmap->GetScanLine(0), (7 * bytes + 3) / 4 * 4);
  }
}

TEST(BitmapScanLine, ScanLineWritesAreSeenByTheCanvas) {
  auto bitmap = Filled(5, 3, clBlack, pf24bit);
  bitmap->GetCanvas()->Rectangle(0, 0, 2, 2);  // leaves drawing pending in GDI
  uint8_t* row = bitmap->GetScanLine(2);
  row[3 * 3 + 0] = 0x11;
  row[3 * 3 + 1] = 0x22;
  row[3 * 3 + 2] = 0x33;
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(3, 2), 0x112233);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(4, 2), clBlack);
}

TEST(BitmapScanLine, RowsOutsideTheBitmapRaise) {
  auto bitmap = Filled(4, 4, clWhite);
  EXPECT_THROW(bitmap->GetScanLine(4), EInvalidGraphicOperation);
  EXPECT_THROW(bitmap->GetScanLine(-1), EInvalidGraphicOperation);
  auto empty = Make<TBitmap>();
  EXPECT_THROW(empty->GetScanLine(0), EInvalidGraphicOperation);
}

// ---- Pixel formats ------------------------------------------------------------------------

TEST(BitmapPixelFormat, FourBitLedBecomesTwentyFourBitWithExactColours) {
  auto led = Make<TBitmap>();
  led->LoadFromResourceName(GetModuleHandleA(nullptr), "WX_GREEN_LED");
  ASSERT_EQ(led->GetPixelFormat(), pf4bit);
  ASSERT_EQ(led->GetWidth(), 17);
  std::vector<TColor> before;
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x) before.push_back(led->GetCanvas()->GetPixels(x, y));
  EXPECT_EQ(before[8 * 17 + 8], clLime);
  EXPECT_EQ(before[2 * 17 + 6], clGray);
  EXPECT_EQ(before[5 * 17 + 6], clWhite);
  EXPECT_EQ(before[0], clBlack);

  led->SetPixelFormat(pf24bit);
  EXPECT_EQ(led->GetPixelFormat(), pf24bit);
  for (int y = 0; y < 17; ++y) {
    const uint8_t* row = led->GetScanLine(y);
    for (int x = 0; x < 17; ++x)
      ASSERT_EQ(RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]), static_cast<COLORREF>(before[y * 17 + x]))
          << x << "," << y;
  }
}

TEST(BitmapPixelFormat, GoingDownKeepsColoursThatFitTheTable) {
  auto bitmap = Filled(6, 2, 0x102030);
  bitmap->GetCanvas()->SetPixels(1, 0, 0x405060);
  bitmap->GetCanvas()->SetPixels(2, 1, 0x708090);
  auto original = Pixels(*bitmap);
  for (TPixelFormat format : {pf8bit, pf4bit, pf24bit, pf32bit}) {
    bitmap->SetPixelFormat(format);
    EXPECT_EQ(Pixels(*bitmap), original) << format;
  }
  // Too many colours for 16 entries: each goes to the nearest standard colour.
  auto ramp = Filled(20, 1, clBlack);
  for (int x = 0; x < 20; ++x) ramp->GetCanvas()->SetPixels(x, 0, RGB(x * 13, 0, 0));
  ramp->SetPixelFormat(pf4bit);
  EXPECT_EQ(ramp->GetPixelColor(1, 0), clBlack);
  EXPECT_EQ(ramp->GetPixelColor(19, 0), clRed);
  EXPECT_EQ(ramp->GetPixelColor(10, 0), clMaroon);
}

TEST(BitmapPixelFormat, MonochromeIsBlackAndWhiteByBrightness) {
  auto bitmap = Filled(4, 1, clYellow);
  bitmap->GetCanvas()->SetPixels(1, 0, clNavy);
  bitmap->GetCanvas()->SetPixels(2, 0, clSilver);
  bitmap->SetMonochrome(true);
  EXPECT_TRUE(bitmap->GetMonochrome());
  EXPECT_EQ(bitmap->GetPixelFormat(), pf1bit);
  EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{clWhite, clBlack, clWhite, clWhite}));
  bitmap->SetMonochrome(false);
  EXPECT_EQ(bitmap->GetPixelFormat(), pfDevice);
  EXPECT_EQ(bitmap->GetPixelColor(1, 0), clBlack);
}

TEST(BitmapSize, ResizingKeepsTheTopLeftPixels) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf24bit}) {
    auto bitmap = Filled(9, 9, clWhite, format);
    bitmap->GetCanvas()->SetPixels(0, 0, clBlack);
    bitmap->GetCanvas()->SetPixels(8, 8, clBlack);
    bitmap->SetSize(13, 12);
    EXPECT_EQ(bitmap->GetPixelColor(0, 0), clBlack) << format;
    EXPECT_EQ(bitmap->GetPixelColor(1, 0), clWhite) << format;
    EXPECT_EQ(bitmap->GetPixelColor(8, 8), clBlack) << format;
    EXPECT_EQ(bitmap->GetPixelColor(7, 8), clWhite) << format;
    EXPECT_EQ(bitmap->GetPixelColor(12, 0), clBlack) << format;  // new pixels are 0
    bitmap->SetSize(8, 3);
    EXPECT_EQ(bitmap->GetPixelColor(0, 0), clBlack);
    EXPECT_EQ(bitmap->GetPixelColor(7, 2), clWhite);
  }
  auto bitmap = Filled(3, 3, clWhite);
  bitmap->SetSize(-5, 10);
  EXPECT_TRUE(bitmap->GetEmpty());
  EXPECT_EQ(bitmap->GetWidth(), 0);
}

// ---- Handles, copies, transparency --------------------------------------------------------

TEST(BitmapHandle, ADeviceBitmapIsTakenOverAsASection) {
  HDC screen = GetDC(nullptr);
  HBITMAP ddb = CreateCompatibleBitmap(screen, 6, 4);
  HDC dc = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, ddb);
  PatBlt(dc, 0, 0, 6, 4, WHITENESS);
  SetPixel(dc, 5, 3, RGB(0, 0, 255));
  SelectObject(dc, old);
  DeleteDC(dc);

  auto bitmap = Make<TBitmap>();
  bitmap->SetHandle(ddb);
  EXPECT_EQ(GetObjectType(ddb), 0u);  // the original went
  EXPECT_EQ(bitmap->GetWidth(), 6);
  EXPECT_EQ(bitmap->GetPixelColor(5, 3), clBlue);
  DIBSECTION ds{};
  EXPECT_EQ(GetObjectA(bitmap->GetHandle(), sizeof ds, &ds), static_cast<int>(sizeof ds));

  // The section can be selected elsewhere although the canvas had it.
  bitmap->GetCanvas()->SetPixels(0, 0, clRed);
  HDC other = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(other, bitmap->GetHandle());
  EXPECT_NE(previous, nullptr);
  SelectObject(other, previous);
  DeleteDC(other);
  EXPECT_EQ(bitmap->GetCanvas()->GetPixels(0, 0), clRed);

  HBITMAP released = bitmap->ReleaseHandle();
  EXPECT_TRUE(bitmap->GetEmpty());
  EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_BITMAP));
  DeleteObject(released);
}

TEST(BitmapAssign, CopiesAreDeepAndCarryTheTransparency) {
  auto original = Filled(3, 3, clGreen, pf8bit);
  original->SetTransparentColor(clGreen);
  original->SetTransparent(true);
  auto copy = Make<TBitmap>();
  copy->Assign(original.get());
  copy->GetCanvas()->SetPixels(1, 1, clRed);
  EXPECT_EQ(original->GetPixelColor(1, 1), clGreen);
  EXPECT_EQ(copy->GetPixelColor(1, 1), clRed);
  EXPECT_EQ(copy->GetPixelFormat(), pf8bit);
  EXPECT_TRUE(copy->GetTransparent());
  EXPECT_EQ(copy->GetTransparentMode(), tmFixed);
  copy->SetTransparentColor(clDefault);
  EXPECT_EQ(copy->GetTransparentMode(), tmAuto);
  copy->Assign(nullptr);
  EXPECT_TRUE(copy->GetEmpty());
}

// ---- BMP files ----------------------------------------------------------------------------

void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x) {
  for (int i = 0; i < 4; ++i) v[at + i] = static_cast<uint8_t>(x >> (8 * i));
}

// A consistent BMP file with a 40-byte header; rows in file order, already padded.
std::vector<uint8_t> Bmp(int32_t width, int32_t height, int bits, const std::vector<uint32_t>& table,
                         const std::vector<uint8_t>& rows, uint32_t compression = BI_RGB,
                         const std::vector<uint32_t>& masks = {}) {
  std::vector<uint8_t> v{'B', 'M'};
  uint32_t offset = static_cast<uint32_t>(14 + 40 + 4 * masks.size() + 4 * table.size());
  Put32(v, offset + static_cast<uint32_t>(rows.size()));
  Put32(v, 0);
  Put32(v, offset);
  for (uint32_t x : {40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)}) Put32(v, x);
  Put16(v, 1);
  Put16(v, static_cast<unsigned>(bits));
  for (uint32_t x :
       {compression, static_cast<uint32_t>(rows.size()), 0u, 0u, static_cast<uint32_t>(table.size()), 0u})
    Put32(v, x);
  for (uint32_t m : masks) Put32(v, m);
  for (uint32_t c : table) Put32(v, c);
  v.insert(v.end(), rows.begin(), rows.end());
  return v;
}

void Load(TBitmap& bitmap, const std::vector<uint8_t>& bytes) {
  auto stream = Make<TMemoryStream>();
  stream->WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream->SetPosition(0);
  bitmap.LoadFromStream(*stream);
}

// 2 x 2, 24 bits: top row red, blue; bottom row lime, white.
const std::vector<uint8_t> kBottomUpRows = {0, 255, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0};
const std::vector<uint8_t> kTopDownRows = {0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0};
const std::vector<TColor> kTwoByTwo = {clRed, clBlue, clLime, clWhite};

TEST(BmpReader, ReadsBottomUpAndTopDownRows) {
  auto bitmap = Make<TBitmap>();
  Load(*bitmap, Bmp(2, 2, 24, {}, kBottomUpRows));
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);
  EXPECT_EQ(bitmap->GetPixelFormat(), pf24bit);
  Load(*bitmap, Bmp(2, -2, 24, {}, kTopDownRows));
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);
}

TEST(BmpReader, ToleratesWrongSizeFieldsAndAMisplacedPixelOffset) {
  auto bitmap = Make<TBitmap>();
  auto file = Bmp(2, 2, 24, {}, kBottomUpRows);
  Set32(file, 34, 0);     // image size
  Set32(file, 2, 99999);  // file size
  Load(*bitmap, file);
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);

  // As stored skins have it: a colour table on a 24-bit image, and an offset 1024 bytes past
  // where the rows really start, which the data does not reach.
  file = Bmp(2, 2, 24, {0x111111, 0x222222, 0x333333, 0x444444}, kBottomUpRows);
  Set32(file, 10, 14 + 40 + 16 + 1024);
  Set32(file, 2, static_cast<uint32_t>(file.size()) + 1024);
  Load(*bitmap, file);
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);

  // An offset past a gap, with the rows there, is followed.
  file = Bmp(2, 2, 24, {}, kBottomUpRows);
  file.insert(file.begin() + 54, 6, 0xEE);
  Set32(file, 10, 54 + 6);
  Load(*bitmap, file);
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);
}

TEST(BmpReader, ReadsColourTablesBitFieldsAndCoreHeaders) {
  auto bitmap = Make<TBitmap>();
  // 4 bits, 3 x 1, a three-colour table (fewer entries than the format holds).
  Load(*bitmap, Bmp(3, 1, 4, {0x000000FF, 0x0000FF00, 0x00FF0000}, {0x21, 0x00, 0, 0}));
  EXPECT_EQ(bitmap->GetPixelFormat(), pf4bit);
  EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{clRed, clLime, clBlue}));

  // 16 bits as 5-6-5 bit fields: pure red and pure green.
  Load(*bitmap, Bmp(2, 1, 16, {}, {0x00, 0xF8, 0xE0, 0x07}, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}));
  EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{clRed, clLime}));

  // 32 bits with the channels in unusual places.
  Load(*bitmap, Bmp(1, 1, 32, {}, {0x11, 0x22, 0x33, 0x44}, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}));
  EXPECT_EQ(bitmap->GetPixelColor(0, 0), RGB(0x11, 0x22, 0x33));

  // OS/2 core header: 12 bytes, 3-byte table entries, 1 bit.
  std::vector<uint8_t> core{'B', 'M'};
  Put32(core, 14 + 12 + 6 + 4);
  Put32(core, 0);
  Put32(core, 14 + 12 + 6);
  Put32(core, 12);
  Put16(core, 3);
  Put16(core, 1);
  Put16(core, 1);
  Put16(core, 1);
  core.insert(core.end(), {0, 0, 255, 255, 255, 255, 0xA0, 0, 0, 0});
  Load(*bitmap, core);
  EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{clWhite, clRed, clWhite}));
}

TEST(BmpReader, RejectsBrokenFilesAndKeepsThePreviousImage) {
  const auto good = Bmp(2, 2, 24, {}, kBottomUpRows);
  std::vector<std::pair<const char*, std::vector<uint8_t>>> broken;
  auto with = [&](const char* what, auto change) {
    auto file = good;
    change(file);
    broken.emplace_back(what, file);
  };
  with("rows cut short", [](auto& f) { f.resize(f.size() - 3); });
  with("header cut short", [](auto& f) { f.resize(30); });
  with("no signature", [](auto& f) { f[0] = 'X'; });
  with("zero width", [](auto& f) { Set32(f, 18, 0); });
  with("huge size", [](auto& f) {
    Set32(f, 18, 1000000);
    Set32(f, 22, 1000000);
  });
  with("odd bit count", [](auto& f) { f[28] = 7; });
  with("run-length compressed", [](auto& f) { Set32(f, 30, BI_RLE8); });
  with("header longer than the file", [](auto& f) { Set32(f, 14, 5000); });
  with("absurd colour count", [](auto& f) { Set32(f, 46, 0x7FFFFFFF); });
  broken.emplace_back("empty", std::vector<uint8_t>{});

  auto bitmap = Filled(3, 1, clTeal);
  for (const auto& [what, file] : broken) {
    EXPECT_THROW(Load(*bitmap, file), EInvalidGraphic) << what;
    EXPECT_EQ(Pixels(*bitmap), (std::vector<TColor>{clTeal, clTeal, clTeal})) << what;
  }
}

TEST(BmpWriter, EveryFormatRoundTripsThroughAFile) {
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit, pfDevice}) {
    auto bitmap = Filled(5, 3, clWhite, format);
    bitmap->GetCanvas()->SetPixels(0, 0, clBlack);
    bitmap->GetCanvas()->SetPixels(4, 2, clBlack);
    if (format != pf1bit) bitmap->GetCanvas()->SetPixels(2, 1, clRed);
    TempFile file(".bmp");
    bitmap->SaveToFile(file.Name());
    auto loaded = Make<TBitmap>();
    loaded->LoadFromFile(file.Name());
    EXPECT_EQ(loaded->GetPixelFormat(), format == pfDevice ? pf32bit : format);
    EXPECT_EQ(Pixels(*loaded), Pixels(*bitmap)) << format;
  }
}

TEST(BmpReader, StopsAtTheEndOfTheFileInALongerStream) {
  auto file = Bmp(2, 2, 24, {}, kBottomUpRows);
  const size_t length = file.size();
  file.insert(file.end(), {1, 2, 3, 4, 5});
  auto stream = Make<TMemoryStream>();
  stream->WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  stream->SetPosition(0);
  auto bitmap = Make<TBitmap>();
  bitmap->LoadFromStream(*stream);
  EXPECT_EQ(stream->GetPosition(), static_cast<int64_t>(length));
}

// A stream that counts the bytes read from it.
class TCountingStream : public TMemoryStream {
 public:
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t read = TMemoryStream::Read(buffer, count);
    bytes_read += read;
    return read;
  }
  int64_t bytes_read = 0;
};

TEST(BmpReader, ReadsNoMoreThanItsHeadersDeclareAndTellsWhatTheyDeclare) {
  auto file = Bmp(2, 2, 24, {}, kBottomUpRows);
  const int64_t length = static_cast<int64_t>(file.size());
  file.resize(file.size() + (16 << 20));  // a file far larger than its image
  TCountingStream stream;
  stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  stream.SetPosition(0);
  const TBitmap::TExtent extent = TBitmap::Extent(stream);
  EXPECT_EQ(extent.image, length);
  EXPECT_EQ(extent.file, length);
  EXPECT_EQ(stream.GetPosition(), 0);
  auto bitmap = Make<TBitmap>();
  bitmap->LoadFromStream(stream);
  EXPECT_EQ(Pixels(*bitmap), kTwoByTwo);
  EXPECT_LT(stream.bytes_read, 1024);
  // Rows behind a gap: the file's extent counts it, the image's does not.
  file = Bmp(2, 2, 24, {}, kBottomUpRows);
  file.insert(file.begin() + 54, 1000, 0xEE);
  Set32(file, 10, 54 + 1000);
  stream.Clear();
  stream.WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
  stream.SetPosition(0);
  EXPECT_EQ(TBitmap::Extent(stream).image, length);
  EXPECT_EQ(TBitmap::Extent(stream).file, length + 1000);
  // Not a bitmap: nothing declared.
  stream.Clear();
  stream.WriteBuffer("GIF89a and more bytes than a header", 35);
  stream.SetPosition(0);
  EXPECT_EQ(TBitmap::Extent(stream).file, 0);
}

TEST(BitmapData, StoredPropertyRoundTripsAndAcceptsAnOverstatedCount) {
  auto bitmap = Filled(3, 2, clOlive);
  std::string data = GetBinaryProp(bitmap.get(), GetPropInfo(bitmap.get(), "Data"));
  uint32_t count;
  std::memcpy(&count, data.data(), 4);
  EXPECT_EQ(count, data.size() - 4);
  EXPECT_EQ(data.substr(4, 2), "BM");
  // The count says 1024 bytes more than follow (as stored skins do).
  count += 1024;
  std::memcpy(data.data(), &count, 4);
  auto loaded = Make<TBitmap>();
  SetBinaryProp(loaded.get(), GetPropInfo(loaded.get(), "Data"), data);
  EXPECT_EQ(Pixels(*loaded), Pixels(*bitmap));
}

}  // namespace
