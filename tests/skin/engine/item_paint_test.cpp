// Section backgrounds: the colour, image and gradient shares, transparency over the parent's
// cache, the section's frame, and JPEG patterns, with the expected pixels worked out from the
// mixing rules.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <utility>

#include "skin/engine/sblend.h"
#include "skin/engine/sbevels.h"
#include "skin/engine/sborders.h"
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

// A section whose image is neither a mask nor a pattern looks for a pattern and finds none: the
// image paints nothing, so what was under it stays, mixed with the colour by the shares, or the
// gradient takes its place.
TEST_F(ItemPaint, APatternThatCannotBeHadPaintsNothingInItsPlace) {
  SkinMasks.erase(SkinMasks.begin());  // no IMAGEFILE, no pattern
  Section().ImagePercent = 100;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), clBlack);
  Section().ImagePercent = 60;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), BlendPercent(clBlack, kColor, 60));
  Section().ImagePercent = 100;
  Section().GradientArray = {TsGradStep{0x0000FF, 0x0000FF, 100, 0, 0}};
  EXPECT_EQ(Body()->GetPixelColor(5, 5), clBlack);  // the gradient has no share
  Section().ImagePercent = 70;
  Section().GradientPercent = 30;
  EXPECT_EQ(Body()->GetPixelColor(5, 5), 0x0000FF);
}

// The mixes a body is made of keep their rounding rule for every pair of channel values.
TEST(BodyMixes, GreyWeightedBlendRoundsAsTheRuleSaysForEveryPair) {
  auto fill = [](TBitmap* bmp, auto color) {
    for (int y = 0; y < bmp->GetHeight(); ++y) {
      uint8_t* row = bmp->GetScanLine(y);
      for (int x = 0; x < bmp->GetWidth(); ++x) {
        const TColor c = color(x, y);
        row[3 * x] = GetBValue(c), row[3 * x + 1] = GetGValue(c), row[3 * x + 2] = GetRValue(c);
      }
    }
  };
  auto src = Filled(256, 256, clBlack);
  fill(src.get(), [](int x, int y) { return RGB(x, y, 255 - x); });
  for (int g : {0, 1, 102, 127, 128, 200, 255}) {
    auto dst = Filled(256, 256, clBlack);
    fill(dst.get(), [](int x, int y) { return RGB(y, x, y); });
    BlendBitmapRect(dst.get(), src.get(), RGB(g, g, g), RECT{0, 0, 256, 256}, POINT{0, 0});
    for (int y = 0; y < 256; y += 3)
      for (int x = 0; x < 256; ++x) {
        const TColor expected = BlendWeight(RGB(y, x, y), RGB(x, y, 255 - x), g);
        ASSERT_EQ(dst->GetPixelColor(x, y), expected) << g << ": " << x << "," << y;
      }
  }
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
  // Above 100 the body is still mixed in: the grey weight 250 * 255 div 100 taken in 8 bits.
  Section().PaintingTransparency = 250;
  EXPECT_EQ(Body(TsCacheInfo{parent.get(), 0, 0, true})->GetPixelColor(5, 5),
            BlendWeight(kParent, kColor, 250 * 255 / 100 & 0xFF));
  Section().PaintingTransparency = 101;
  EXPECT_EQ(Body(TsCacheInfo{parent.get(), 0, 0, true})->GetPixelColor(5, 5),
            BlendWeight(kParent, kColor, 101 * 255 / 100 & 0xFF));
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

// A JPEG pattern of the section's IMAGEFILE made from a w x h picture, pixel (x, y) picture(x, y).
TJPEGImage* AddPattern(int w, int h, TColor (*picture)(int x, int y)) {
  auto source = Filled(w, h, clBlack);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) source->GetCanvas()->SetPixels(x, y, picture(x, y));
  TJPEGImage* jpeg = New<TJPEGImage>();
  jpeg->Assign(source.get());
  SkinPatterns.push_back(TsPatternData{jpeg, "PANEL", "IMAGEFILE"});
  return jpeg;
}

// The picture as the pattern decodes.
Owned<TBitmap> Decoded(TJPEGImage* jpeg) {
  auto bmp = Filled(jpeg->GetWidth(), jpeg->GetHeight(), clBlack);
  bmp->GetCanvas()->Draw(0, 0, jpeg);
  return bmp;
}

TEST_F(ItemPaint, PatternsOfAnySizeTileTheirDecodedPixelsFromTheRectanglesCorner) {
  SkinMasks.erase(SkinMasks.begin());
  Section().ImagePercent = 100;
  const RECT q{5, 4, 300, 107};
  for (SIZE size : {SIZE{1, 1}, SIZE{3, 2}, SIZE{1, 70}, SIZE{70, 1}, SIZE{64, 64}, SIZE{400, 9}}) {
    for (auto& p : SkinPatterns) Free(p.Img);
    SkinPatterns.clear();
    TJPEGImage* jpeg =
        AddPattern(size.cx, size.cy, [](int x, int y) -> TColor { return RGB(x * 37, y * 53, 128); });
    auto picture = Decoded(jpeg);
    auto bmp = Filled(310, 110, clBlack);
    PaintItemBG(0, "PANEL", EmptyCI, 0, q, POINT{}, bmp.get());
    for (int y = 0; y < 110; ++y)
      for (int x = 0; x < 310; ++x) {
        const bool inside = x >= q.left && x < q.right && y >= q.top && y < q.bottom;
        const TColor expected =
            inside ? picture->GetPixelColor((x - q.left) % size.cx, (y - q.top) % size.cy) : clBlack;
        ASSERT_EQ(bmp->GetPixelColor(x, y), expected) << size.cx << "x" << size.cy << " at " << x << "," << y;
      }
  }
}

// Where the body's or the gradient's own painting leaves pixels out (a gradient of another
// mode), what shows is the same at every call, not what the paint before left there.
TEST_F(ItemPaint, ABodyShowsNothingOfTheSectionPaintedBeforeIt) {
  auto parent = Filled(30, 30, kParent);
  auto paint = [&](TColor color, int image, int gradient) {
    Section().PaintingColor = color;
    Section().ImagePercent = image;
    Section().GradientPercent = gradient;
    return Body(TsCacheInfo{parent.get(), 0, 0, true})->GetPixelColor(5, 5);
  };
  Section().PaintingTransparency = 50;
  Section().GradientArray = {TsGradStep{clWhite, clWhite, 100, 2, 0}};  // paints nothing
  for (auto [image, gradient] : {std::pair{0, 100}, std::pair{50, 50}}) {
    paint(clRed, 0, 0);
    const TColor after_red = paint(kColor, image, gradient);
    paint(clLime, 0, 0);
    EXPECT_EQ(paint(kColor, image, gradient), after_red) << image << "/" << gradient;
  }
}

}  // namespace

// ---- A picture to look at ---------------------------------------------------------------------

// Sections painted as a person sees them: a button-like section (gradient over the colour,
// masked frame) and a panel (tiled image, gradient, colour, half transparent over a parent)
// at three sizes in the normal and hot state, raster borders of each state and the section
// bevels, written to skin_gallery.bmp in the temporary folder (or DRAVOLIN_SKIN_PICTURE).
TEST_F(ItemPaint, GalleryPictureIsWritten) {
  auto gallery = Filled(420, 240, 0xE0E0E0);
  // The frame: a dark ring with a lighter inside, a key pixel in each corner, a grey mask.
  auto frame_master = Filled(60, 60, clBlack);
  TCanvas* fc = frame_master->GetCanvas();
  for (int s = 0; s < 3; ++s) {
    fc->GetBrush()->SetColor(s == 0 ? 0x604020 : s == 1 ? 0xA06030 : 0x302010);
    fc->FillRect(RECT{s * 15, 0, s * 15 + 15, 15});
    fc->GetBrush()->SetColor(s == 1 ? 0xF0D0B0 : 0xD0B090);
    fc->FillRect(RECT{s * 15 + 2, 2, s * 15 + 13, 13});
    fc->SetPixels(s * 15, 0, clFuchsia);
    fc->SetPixels(s * 15 + 14, 0, clFuchsia);
    fc->SetPixels(s * 15, 14, clFuchsia);
    fc->SetPixels(s * 15 + 14, 14, clFuchsia);
    fc->GetBrush()->SetColor(0x404040);  // the mask: mostly image, the middle half see-through
    fc->FillRect(RECT{s * 15, 15, s * 15 + 15, 30});
    fc->GetBrush()->SetColor(0xA0A0A0);
    fc->FillRect(RECT{s * 15 + 5, 20, s * 15 + 10, 25});
  }
  fc->GetBrush()->SetColor(0x50A050);  // a 10 x 10 image with a darker diagonal
  fc->FillRect(RECT{0, 40, 10, 50});
  for (int i = 0; i < 10; ++i) fc->SetPixels(i, 40 + i, 0x206020);
  MasterBitmap = frame_master.get();
  TsGeneralData button;
  button.SectionName = "GBUTTON";
  button.PaintingColor = 0xC08040;
  button.HotPaintingColor = 0xE0A060;
  button.GradientPercent = 70;
  button.HotGradientPercent = 70;
  button.GradientArray = {TsGradStep{0xFFF0E0, 0xC09070, 100, 0, 0}};
  button.HotGradientArray = {TsGradStep{0xFFFFF0, 0xE0B080, 100, 0, 0}};
  TsGeneralData panel = button;
  panel.SectionName = "GPANEL";
  panel.ImagePercent = 50;
  panel.GradientPercent = 30;
  panel.HotImagePercent = 50;
  panel.HotGradientPercent = 30;
  panel.PaintingTransparency = 30;
  panel.HotPaintingTransparency = 60;
  SkinGeneralData = {button, panel};
  TsMaskData frame;
  frame.SectionName = "GBUTTON";
  frame.PropertyName = "BORDERSMASK";
  frame.R = RECT{0, 0, 45, 30};
  frame.ImageCount = 3;
  frame.MaskType = 1;
  TsMaskData image;
  image.SectionName = "GPANEL";
  image.PropertyName = "IMAGEFILE";
  image.R = RECT{0, 40, 10, 50};
  image.ImageCount = 1;
  TsMaskData panel_frame = frame;
  panel_frame.SectionName = "GPANEL";
  SkinMasks = {frame, image, panel_frame};
  auto parent = Filled(420, 240, 0x3080C0);
  const SIZE sizes[] = {{75, 25}, {120, 40}, {30, 60}};
  int x = 8;
  for (SIZE size : sizes) {
    for (int state = 0; state < 2; ++state) {
      const int y = 8 + state * 70;
      PaintItem(0, "GBUTTON", EmptyCI, state, true, RECT{x, y, x + size.cx, y + size.cy}, POINT{},
                gallery.get());
    }
    x += size.cx + 10;
  }
  for (int state = 0; state < 2; ++state) {
    const int y = 150 + state * 45;
    PaintItem(1, "GPANEL", TsCacheInfo{parent.get(), 8, y, true}, state, false, RECT{8, y, 208, y + 40},
              POINT{}, gallery.get());
  }
  auto strip = StateStrip(45, 30, true);
  for (int state = 0; state < 3; ++state) {
    auto piece = Filled(50, 30, 0xE0E0E0);
    PaintRasterBorder(piece.get(), strip.get(), state, clFuchsia, nullptr);
    gallery->GetCanvas()->Draw(230 + state * 60, 150, piece.get());
  }
  int bx = 230;
  for (TsControlBevel kind : {cbRaisedSoft, cbLoweredSoft, cbRaisedHard, cbLoweredHard}) {
    auto piece = Filled(40, 30, 0x909090);
    PaintSectionBevel(piece.get(), RECT{0, 0, 40, 30}, 5, kind, true);
    gallery->GetCanvas()->Draw(bx, 195, piece.get());
    bx += 45;
  }
  const char* target = std::getenv("DRAVOLIN_SKIN_PICTURE");
  const std::string file = target ? target : TempFolder() + "\\skin_gallery.bmp";
  gallery->SaveToFile(file);

  // What the picture must show: no key colour anywhere; every button body painted and its
  // hot state apart from the normal one; the panel mixed with the parent, more so when hot;
  // raised bevels light at the top-left, lowered ones dark there.
  const std::vector<TColor> shown = Pixels(*gallery);
  EXPECT_EQ(std::count(shown.begin(), shown.end(), clFuchsia), 0);
  x = 8;
  for (SIZE size : sizes) {
    const int mx = x + size.cx / 2, my = 8 + size.cy / 2;
    EXPECT_NE(gallery->GetPixelColor(mx, my), 0xE0E0E0) << size.cx;
    EXPECT_NE(gallery->GetPixelColor(mx, my), gallery->GetPixelColor(mx, my + 70)) << size.cx;
    x += size.cx + 10;
  }
  const TColor mixed = gallery->GetPixelColor(108, 170), hot_mixed = gallery->GetPixelColor(108, 215);
  EXPECT_NE(mixed, 0x3080C0);
  EXPECT_NE(mixed, hot_mixed);
  // The panel's body painted alone, opaque, and the parent mixed in at 30 (hot: 60) percent:
  // each channel moves toward the parent's by 3g/768 of the way, g = percent x 255 div 100.
  for (int state = 0; state < 2; ++state) {
    const int y = 150 + state * 45;
    auto body = Filled(420, 240, 0xE0E0E0);
    PaintItemBG(1, "GPANEL", EmptyCI, state, RECT{8, y, 208, y + 40}, POINT{}, body.get());
    const TColor b = body->GetPixelColor(108, y + 20), shown_pixel = gallery->GetPixelColor(108, y + 20);
    const int g = (state ? 60 : 30) * 255 / 100;
    for (int shift : {0, 8, 16}) {
      const int bc = (b >> shift) & 0xFF, dc = (0x3080C0 >> shift) & 0xFF;
      const int expected = static_cast<int>(std::lround(bc + (dc - bc) * 3.0 * g / 768));
      EXPECT_NEAR((shown_pixel >> shift) & 0xFF, expected, 1) << "state " << state << " shift " << shift;
    }
  }
  auto light = [&](int px, int py) {
    const TColor c = gallery->GetPixelColor(px, py);
    return (c & 0xFF) + ((c >> 8) & 0xFF) + ((c >> 16) & 0xFF);
  };
  for (int i = 0; i < 4; ++i) {
    const int left = 230 + i * 45;
    const bool raised = i % 2 == 0;
    EXPECT_EQ(light(left + 1, 196) > light(left + 38, 223), raised) << i;
  }
}
