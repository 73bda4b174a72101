// Section backgrounds: the colour, image and gradient shares, transparency over the parent's
// cache, the section's frame, and JPEG patterns, with the expected pixels worked out from the
// mixing rules.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "skin/engine/sitempaint.h"
#include "skin/engine/sskintables.h"
#include "tests/skin/engine/skin_test_helpers.h"
#include "toolkit/jpeg.h"

using namespace graphics_test;
using namespace skin_test;

namespace {

constexpr TColor kColor = 0x204080;
constexpr TColor kImage = 0x30C060;  // the master image's colour
constexpr TColor kParent = 0xA0B0C0;

// Per channel f(a, b) for two colours.
template <class F>
TColor Channels(TColor a, TColor b, F f) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) out |= (f((a >> shift) & 0xFF, (b >> shift) & 0xFF) & 0xFF) << shift;
  return out;
}
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }
// BlendBitmapRect: S + (D - S) * 3g / 768 (d: the target, s: the source).
TColor BlendWeight(TColor d, TColor s, int g) {
  return Channels(d, s, [&](int dv, int sv) { return Round(sv + (dv - sv) * 3.0 * g / 768); });
}
// BlendColorRectPercent: channel * p + colour * (1 - p).
TColor BlendPercent(TColor d, TColor c, int percent) {
  return Channels(d, c,
                  [&](int dv, int cv) { return Round(dv * percent / 100.0 + cv * (1 - percent / 100.0)); });
}

class ItemPaint : public ::testing::Test {
 protected:
  void SetUp() override {
    master_ = Filled(40, 40, kImage);
    // A frame at (0, 20): three states of 3 x 3 cells of 2 x 2 pixels, key colour at the
    // top-left pixel of every state, no mask.
    master_->GetCanvas()->GetBrush()->SetColor(clBlack);
    master_->GetCanvas()->FillRect(RECT{0, 20, 18, 26});
    for (int s = 0; s < 3; ++s) master_->GetCanvas()->SetPixels(s * 6, 20, clFuchsia);
    MasterBitmap = master_.get();
    SkinData().SkinLoaded = true;
    TsGeneralData gd;
    gd.SectionName = "PANEL";
    gd.PaintingColor = kColor;
    gd.HotPaintingColor = clWhite;
    SkinGeneralData.assign(1, gd);
    TsMaskData image;
    image.SectionName = "PANEL";
    image.PropertyName = "IMAGEFILE";
    image.R = RECT{0, 0, 10, 10};
    image.ImageCount = 1;
    TsMaskData border = image;
    border.PropertyName = "BORDERSMASK";
    border.R = RECT{0, 20, 18, 26};
    border.ImageCount = 3;
    SkinMasks = {image, border};
  }
  void TearDown() override {
    for (auto& p : SkinPatterns) Free(p.Img);
    SkinPatterns.clear();
    SkinMasks.clear();
    SkinGeneralData.clear();
    MasterBitmap = nullptr;
    SkinData().SkinLoaded = false;
  }
  TsGeneralData& Section() { return SkinGeneralData[0]; }
  // The body alone, over a bitmap of the given colour.
  Owned<TBitmap> Body(TsCacheInfo ci = EmptyCI, TColor under = clBlack, int state = 0) {
    auto bmp = Filled(12, 8, under);
    PaintItemBG(0, "PANEL", ci, state, RECT{1, 1, 11, 7}, POINT{0, 0}, bmp.get());
    return bmp;
  }
  Owned<TBitmap> master_;
};

// ---- Shares -----------------------------------------------------------------------------------

TEST_F(ItemPaint, NoSharesPaintThePlainColour) {
  auto bmp = Body();
  EXPECT_EQ(bmp->GetPixelColor(1, 1), kColor);
  EXPECT_EQ(bmp->GetPixelColor(10, 6), kColor);
  EXPECT_EQ(bmp->GetPixelColor(11, 7), clBlack);  // R is exclusive
  EXPECT_EQ(bmp->GetPixelColor(0, 0), clBlack);
}

TEST_F(ItemPaint, SharesAboveAHundredPaintThePlainColour) {
  Section().ImagePercent = 100;
  Section().GradientPercent = 50;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), kColor);
}

TEST_F(ItemPaint, ImageAloneKeepsItsShareAndTheColourTheRest) {
  Section().ImagePercent = 40;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), BlendPercent(kImage, kColor, 40));
  Section().ImagePercent = 100;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), kImage);
}

TEST_F(ItemPaint, ImageFortyGradientThirtyMixesTheColourAtThirty) {
  Section().ImagePercent = 40;
  Section().GradientPercent = 30;  // no gradient steps: the gradient is the colour
  const TColor image_and_gradient = BlendWeight(kImage, kColor, 40 * 255 / 100);
  EXPECT_EQ(Body()->GetPixelColor(5, 5), BlendPercent(image_and_gradient, kColor, 70));
}

TEST_F(ItemPaint, HotStateReadsTheHotValues) {
  Section().HotImagePercent = 0;
  EXPECT_EQ(Body(EmptyCI, clBlack, 1)->GetPixelColor(5, 5), clWhite);
}

TEST_F(ItemPaint, MaskImageWithoutValidIndexFallsBackToTheColour) {
  Section().ImagePercent = 100;
  auto bmp = Filled(12, 8, clBlack);
  PaintItemBGFromParent(0, "PANEL", EmptyCI, 0, RECT{0, 0, 12, 8}, POINT{}, bmp.get(), 77, 77);
  EXPECT_EQ(bmp->GetPixelColor(5, 5), kColor);
  PaintItemBGFromParent(0, "PANEL", EmptyCI, 0, RECT{0, 0, 12, 8}, POINT{}, bmp.get(), 0, 0);
  EXPECT_EQ(bmp->GetPixelColor(5, 5), kImage);
}

// ---- Transparency -----------------------------------------------------------------------------

TEST_F(ItemPaint, FullTransparencyShowsOnlyTheParentWhenItsCacheIsReady) {
  Section().PaintingTransparency = 100;
  auto parent = Filled(30, 30, kParent);
  parent->GetCanvas()->SetPixels(5 + 2, 4 + 3, clRed);
  TsCacheInfo ci{parent.get(), 5, 4, true};
  auto bmp = Filled(12, 8, clBlack);
  PaintItemBG(0, "PANEL", ci, 0, RECT{1, 1, 11, 7}, POINT{1, 2}, bmp.get());
  EXPECT_EQ(bmp->GetPixelColor(1, 1), kParent);
  EXPECT_EQ(bmp->GetPixelColor(1 + 1, 1 + 1), clRed);  // read at ci + p
  EXPECT_EQ(bmp->GetPixelColor(0, 0), clBlack);
  ci.Ready = false;
  EXPECT_EQ(Body(ci)->GetPixelColor(5, 5), kColor);
}

TEST_F(ItemPaint, ParentCopyIsSkippedWhenTheCacheIsTheTarget) {
  Section().PaintingTransparency = 100;
  auto bmp = Filled(12, 8, clBlack);
  bmp->GetCanvas()->SetPixels(3, 3, clRed);
  PaintItemBG(0, "PANEL", TsCacheInfo{bmp.get(), 2, 2, true}, 0, RECT{0, 0, 12, 8}, POINT{}, bmp.get());
  EXPECT_EQ(bmp->GetPixelColor(3, 3), clRed);
  EXPECT_EQ(bmp->GetPixelColor(1, 1), clBlack);
}

TEST_F(ItemPaint, PartialTransparencyMixesBodyAndParent) {
  Section().PaintingTransparency = 40;
  auto parent = Filled(30, 30, kParent);
  auto bmp = Body(TsCacheInfo{parent.get(), 0, 0, true});
  EXPECT_EQ(bmp->GetPixelColor(5, 5), BlendWeight(kParent, kColor, 40 * 255 / 100));
  Section().PaintingTransparency = 250;  // clamped to 100
  EXPECT_EQ(Body(TsCacheInfo{parent.get(), 0, 0, true})->GetPixelColor(5, 5), kParent);
  Section().PaintingTransparency = -5;
  EXPECT_EQ(Body(TsCacheInfo{parent.get(), 0, 0, true})->GetPixelColor(5, 5), clBlack);
}

TEST_F(ItemPaint, ParentReadClipsToTheParentsCache) {
  Section().PaintingTransparency = 100;
  GuardedBitmap parent(Filled(9, 5, kParent));
  for (POINT offset : {POINT{-20, -20}, POINT{-3, 2}, POINT{7, 3}, POINT{100, 0}}) {
    GuardedBitmap bmp(Filled(13, 6, clBlack));
    PaintItemBG(0, "PANEL", TsCacheInfo{parent.get(), offset.x, offset.y, true}, 0, RECT{-4, -4, 20, 20},
                POINT{}, bmp.get());
    EXPECT_TRUE(bmp.Intact());
    EXPECT_TRUE(parent.Intact());
  }
}

// ---- The frame and the variants ---------------------------------------------------------------

TEST_F(ItemPaint, PaintItemLaysTheSectionsFrameOverTheBody) {
  auto bmp = Filled(10, 10, clGray);
  PaintItem(0, "PANEL", EmptyCI, 0, false, RECT{0, 0, 10, 10}, POINT{}, bmp.get());
  EXPECT_EQ(bmp->GetPixelColor(0, 0), kColor);  // key pixel of a frame without mask: body shows
  EXPECT_EQ(bmp->GetPixelColor(1, 0), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(5, 5), kColor);  // no filling
}

TEST_F(ItemPaint, RectangleBeyondTheBitmapPaintsNothing) {
  for (RECT r : {RECT{0, 0, 11, 10}, RECT{0, 0, 10, 11}, RECT{-1, 0, 5, 5}, RECT{0, -1, 5, 5}}) {
    auto bmp = Filled(10, 10, clGray);
    PaintItem(0, "PANEL", EmptyCI, 0, true, r, POINT{}, bmp.get());
    EXPECT_EQ(ChangedArea(*bmp, clGray), (RECT{0, 0, 0, 0}));
  }
  auto bmp = Filled(10, 10, clGray);
  PaintItem(5, "PANEL", EmptyCI, 0, true, RECT{0, 0, 10, 10}, POINT{}, bmp.get());  // no such section
  EXPECT_EQ(ChangedArea(*bmp, clGray), (RECT{0, 0, 0, 0}));
}

TEST_F(ItemPaint, WholeAndDeviceContextVariantsPaintTheSame) {
  auto whole = Filled(10, 10, clGray);
  PaintItemWhole(0, "PANEL", EmptyCI, 0, true, POINT{}, whole.get());
  auto target = Filled(14, 14, clGray);
  PaintItemToDC(0, "PANEL", EmptyCI, 0, true, RECT{2, 3, 12, 13}, POINT{}, target->GetCanvas()->GetHandle());
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x) ASSERT_EQ(target->GetPixelColor(x + 2, y + 3), whole->GetPixelColor(x, y));
  EXPECT_EQ(target->GetPixelColor(1, 3), clGray);
}

// ---- Patterns ---------------------------------------------------------------------------------

bool Near(TColor a, TColor b) {
  for (int shift : {0, 8, 16})
    if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > 8) return false;
  return true;
}

TEST_F(ItemPaint, PatternImageIsTiledAndCutAtTheRectangle) {
  SkinMasks.erase(SkinMasks.begin());  // IMAGEFILE is now a pattern
  auto tile = Filled(8, 8, clRed);
  TJPEGImage* jpeg = New<TJPEGImage>();
  jpeg->Assign(tile.get());
  TsPatternData pattern;
  pattern.Img = jpeg;
  pattern.SectionName = "PANEL";
  pattern.PropertyName = "IMAGEFILE";
  SkinPatterns.push_back(pattern);
  Section().ImagePercent = 100;
  auto bmp = Filled(30, 30, clBlack);
  PaintItemBG(0, "PANEL", EmptyCI, 0, RECT{3, 3, 14, 12}, POINT{}, bmp.get());
  EXPECT_TRUE(Near(bmp->GetPixelColor(3, 3), clRed));
  EXPECT_TRUE(Near(bmp->GetPixelColor(13, 11), clRed));
  // The last tiles stop at the rectangle's right and bottom edges.
  EXPECT_EQ(bmp->GetPixelColor(14, 5), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(5, 12), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(18, 18), clBlack);
}

}  // namespace
