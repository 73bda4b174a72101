// Icons, pictures and image lists.
#include <gtest/gtest.h>

#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/imagelist.h"
#include "toolkit/picture.h"

using namespace graphics_test;

namespace {

// 16 x 16: red in the top half, transparent in the bottom half.
HICON HalfRedIcon() {
  uint8_t mask_bits[16 * 2];
  for (int y = 0; y < 16; ++y) mask_bits[2 * y] = mask_bits[2 * y + 1] = y < 8 ? 0x00 : 0xFF;
  HBITMAP mask = CreateBitmap(16, 16, 1, 1, mask_bits);
  auto color = Filled(16, 16, clRed, pf32bit);
  color->GetCanvas()->GetBrush()->SetColor(clBlack);
  color->GetCanvas()->FillRect(RECT{0, 8, 16, 16});
  ICONINFO info{TRUE, 0, 0, mask, color->GetHandle()};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  return icon;
}

TEST(Icon, DrawsThroughItsMaskAndRoundTripsAsAnIcoFile) {
  auto icon = Make<TIcon>();
  icon->SetHandle(HalfRedIcon());
  EXPECT_EQ(icon->GetWidth(), 16);
  EXPECT_EQ(icon->GetHeight(), 16);
  EXPECT_TRUE(icon->GetTransparent());

  auto stream = Make<TMemoryStream>();
  icon->SaveToStream(*stream);
  stream->SetPosition(0);
  auto loaded = Make<TIcon>();
  loaded->LoadFromStream(*stream);
  EXPECT_EQ(loaded->GetWidth(), 16);

  for (TIcon* which : {icon.get(), loaded.get()}) {
    auto target = Filled(20, 20, clWhite);
    target->GetCanvas()->Draw(2, 2, which);
    EXPECT_EQ(target->GetPixelColor(5, 4), clRed);
    EXPECT_EQ(target->GetPixelColor(5, 14), clWhite);
    EXPECT_TRUE(Inside(ChangedArea(*target, clWhite), RECT{2, 2, 18, 10}));
  }
  EXPECT_THROW(loaded->LoadFromResourceName(GetModuleHandleA(nullptr), "NO_SUCH_ICON"), EResNotFound);
  const std::vector<uint8_t> broken = {0, 0,  1, 0,    1,    0, 16, 16, 0, 0, 1,
                                       0, 32, 0, 0xFF, 0xFF, 0, 0,  22, 0, 0, 0};
  auto bad = Make<TMemoryStream>();
  bad->WriteBuffer(broken.data(), static_cast<int64_t>(broken.size()));
  bad->SetPosition(0);
  EXPECT_THROW(loaded->LoadFromStream(*bad), EInvalidGraphic);
}

TEST(Picture, ChoosesTheGraphicByFileExtension) {
  TempFile bmp(".BMP"), ico(".ico"), other(".xyz");
  Filled(3, 2, clLime)->SaveToFile(bmp.Name());
  auto icon = Make<TIcon>();
  icon->SetHandle(HalfRedIcon());
  icon->SaveToFile(ico.Name());

  auto picture = Make<TPicture>();
  picture->LoadFromFile(bmp.Name());
  ASSERT_NE(DynamicCast<TBitmap>(picture->GetGraphic()), nullptr);
  EXPECT_EQ(picture->GetWidth(), 3);
  picture->LoadFromFile(ico.Name());
  EXPECT_NE(DynamicCast<TIcon>(picture->GetGraphic()), nullptr);
  Filled(1, 1, clLime)->SaveToFile(other.Name());
  EXPECT_THROW(picture->LoadFromFile(other.Name()), EInvalidGraphic);
  EXPECT_NE(DynamicCast<TIcon>(picture->GetGraphic()), nullptr);  // unchanged
}

TEST(Picture, HoldsCopiesPassesChangesOnAndConvertsToBitmaps) {
  auto picture = Make<TPicture>();
  auto icon = Make<TIcon>();
  icon->SetHandle(HalfRedIcon());
  picture->SetGraphic(icon.get());
  ASSERT_NE(picture->GetGraphic(), icon.get());

  // Assigning a picture holding an icon to a bitmap draws it on white.
  auto bitmap = Make<TBitmap>();
  bitmap->Assign(picture.get());
  EXPECT_EQ(bitmap->GetWidth(), 16);
  EXPECT_EQ(bitmap->GetPixelColor(3, 3), clRed);
  EXPECT_EQ(bitmap->GetPixelColor(3, 12), clWhite);

  struct Counter : TObject {
    void Count(TObject*) { ++count; }
    int count = 0;
  } counter;
  picture->OnChange = TNotifyEvent(&counter, &Counter::Count);
  TBitmap* own = picture->GetBitmap();  // replaces the icon
  EXPECT_EQ(counter.count, 1);
  own->SetSize(4, 4);
  own->GetCanvas()->FillRect(RECT{0, 0, 1, 1});
  EXPECT_EQ(counter.count, 3);
}

// ---- Image lists --------------------------------------------------------------------------

// 16 x 16: a red square from 4 to 12 on fuchsia.
Owned<TBitmap> Glyph() {
  auto glyph = Filled(16, 16, clFuchsia);
  glyph->GetCanvas()->GetBrush()->SetColor(clRed);
  glyph->GetCanvas()->FillRect(RECT{4, 4, 12, 12});
  return glyph;
}

TEST(ImageList, AddsOneImagePerWidthOfABitmap) {
  auto list = Make<TCustomImageList>(nullptr);
  auto strip = Filled(32, 16, clBlue);
  EXPECT_EQ(list->Add(strip.get(), nullptr), 0);
  EXPECT_EQ(list->Add(strip.get(), nullptr), 2);
  EXPECT_EQ(list->GetCount(), 4);
  list->Delete(0);
  EXPECT_EQ(list->GetCount(), 3);
  list->SetWidth(8);  // another size: the images go
  EXPECT_EQ(list->GetCount(), 0);
  list->Add(strip.get(), nullptr);
  EXPECT_EQ(list->GetCount(), 4);
  list->Clear();
  EXPECT_EQ(list->GetCount(), 0);
}

TEST(ImageList, MaskedImagesDrawThroughTheirMaskAndTheSourceStaysIntact) {
  auto list = Make<TCustomImageList>(nullptr);
  auto glyph = Glyph();
  ASSERT_EQ(list->AddMasked(glyph.get(), clFuchsia), 0);
  EXPECT_EQ(glyph->GetPixelColor(0, 0), clFuchsia);

  auto target = Filled(24, 24, clWhite);
  list->Draw(target->GetCanvas(), 2, 2, 0);
  EXPECT_EQ(target->GetPixelColor(8, 8), clRed);
  EXPECT_EQ(ChangedArea(*target, clWhite).left, 6);
  EXPECT_TRUE(Inside(ChangedArea(*target, clWhite), RECT{6, 6, 14, 14}));

  list->SetBkColor(clBlue);
  list->Draw(target->GetCanvas(), 2, 2, 0);
  EXPECT_EQ(target->GetPixelColor(2, 2), clBlue);
  list->Draw(target->GetCanvas(), 2, 2, 5);  // no such image: nothing happens
}

TEST(ImageList, DisabledImagesAreEmbossedInButtonColours) {
  auto list = Make<TCustomImageList>(nullptr);
  list->AddMasked(Glyph().get(), clFuchsia);
  auto target = Filled(24, 24, clTeal);
  list->Draw(target->GetCanvas(), 2, 2, 0, false);
  const TColor shadow = static_cast<TColor>(GetSysColor(COLOR_BTNSHADOW));
  const TColor highlight = static_cast<TColor>(GetSysColor(COLOR_BTNHIGHLIGHT));
  EXPECT_EQ(target->GetPixelColor(6, 6), shadow);
  EXPECT_EQ(target->GetPixelColor(13, 13), shadow);
  EXPECT_EQ(target->GetPixelColor(14, 14), highlight);  // one pixel right and down
  EXPECT_EQ(target->GetPixelColor(5, 5), clTeal);
  EXPECT_TRUE(Inside(ChangedArea(*target, clTeal), RECT{6, 6, 15, 15}));
}

}  // namespace
