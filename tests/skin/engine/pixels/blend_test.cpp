// Bitmap and colour mixing, the disabled look and soft shadows.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <utility>

#include "pixels_support.h"
#include "skin/engine/sblend.h"
#include "skin/engine/smaskpaint.h"
#include "toolkit/controls.h"

namespace {

uint32_t Picture(int x, int y) {
  return (x * 23 + 7) % 256 | ((y * 31 + 11) % 256) << 8 | ((x * y + 90) % 256) << 16;
}
uint32_t Other(int x, int y) {
  return (x * 9 + 200) % 256 | ((y * 5 + 3) % 256) << 8 | ((x + y) * 17 % 256) << 16;
}

// Applies f to every channel of two colours.
template <class F>
uint32_t PerChannel(uint32_t a, uint32_t b, F f) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8)
    out |= static_cast<uint32_t>(f(static_cast<int>(a >> shift & 255), static_cast<int>(b >> shift & 255)))
           << shift;
  return out;
}
uint32_t Grey(uint32_t c) {
  uint32_t g = ((c & 255) + (c >> 8 & 255) + (c >> 16 & 255)) / 3;
  return g | g << 8 | g << 16;
}
int Round(double v) { return static_cast<int>(std::nearbyint(v)); }
int Distance(uint32_t a, uint32_t b) {
  int d = 0;
  for (int shift = 0; shift < 24; shift += 8)
    d = std::max(d, std::abs(int(a >> shift & 255) - int(b >> shift & 255)));
  return d;
}

TEST(BlendTest, ColourIntoRectangleAtPercentClipsToTheBitmap) {
  const uint32_t c = 0x3060F0;
  for (int transparency : {0, 30, 100, 150, -20}) {
    auto bmp = MakeBitmap(7, 5, Picture);
    // Right and bottom are inclusive: a whole-bitmap rectangle is cut to the last column and row.
    BlendColorRectPercent(bmp.get(), {0, 0, 7, 5}, transparency, c);
    double p = std::clamp(transparency, 0, 100) / 100.0;
    EXPECT_TRUE(PixelsAre(bmp.get(), [&](int x, int y) {
      return PerChannel(Picture(x, y), c, [&](int d, int cc) { return Round(d * p + cc * (1 - p)); });
    })) << transparency;
  }
  auto part = MakeBitmap(7, 5, Picture);
  BlendColorRectPercent(part.get(), {-3, 2, 2, 3}, 0, c);
  EXPECT_TRUE(
      PixelsAre(part.get(), [&](int x, int y) { return x <= 2 && y >= 2 && y <= 3 ? c : Picture(x, y); }));
}

TEST(BlendTest, SystemColoursAreResolvedBeforeMixing) {
  auto bmp = MakeBitmap(3, 3, Picture);
  BlendColorRectPercent(bmp.get(), {0, 0, 2, 2}, 0, clBtnFace);
  EXPECT_EQ(PixelOf(bmp.get(), 1, 1), ColorToRGB(clBtnFace));
  auto mask = MakeBitmap(3, 3, [](int, int) { return 0u; });
  auto other = MakeBitmap(3, 3, Picture);
  BlendColorByMask(other.get(), mask.get(), clHighlight);
  EXPECT_EQ(PixelOf(other.get(), 0, 0),
            PerChannel(ColorToRGB(clHighlight), 0, [](int c, int) { return c * 255 / 256; }));
}

TEST(BlendTest, BitmapsMixOnlyWhenTheirSizesAgree) {
  auto a = MakeBitmap(5, 4, Picture), b = MakeBitmap(5, 4, Other), c = MakeBitmap(4, 5, Other);
  BlendBitmaps(a.get(), c.get(), 128);
  EXPECT_TRUE(PixelsAre(a.get(), Picture));
  for (int alpha : {0, 100, 255}) {
    auto m = MakeBitmap(5, 4, Picture);
    BlendBitmaps(m.get(), b.get(), static_cast<uint8_t>(alpha));
    EXPECT_TRUE(PixelsAre(m.get(), [&](int x, int y) {
      return PerChannel(Picture(x, y), Other(x, y),
                        [&](int pa, int pb) { return Round((pa - pb) * (alpha / 256.0) + pb); });
    })) << alpha;
  }
}

TEST(BlendTest, BitmapRectangleMixesByTheWeightsGreyAndStaysInsideBothBitmaps) {
  auto src = MakeBitmap(6, 5, Other);
  const uint32_t weight = 0x404040;  // a = 192 / 768
  for (POINT at : {POINT{1, 2}, POINT{-2, -1}, POINT{5, 3}}) {
    auto dst = MakeBitmap(7, 6, Picture);
    RECT r{1, 1, 5, 5};
    BlendBitmapRect(dst.get(), src.get(), weight, r, at);
    EXPECT_TRUE(PixelsAre(dst.get(),
                          [&](int x, int y) {
                            int sx = x - at.x + r.left, sy = y - at.y + r.top;
                            if (sx < r.left || sy < r.top || sx >= r.right || sy >= r.bottom)
                              return Picture(x, y);
                            return PerChannel(Other(sx, sy), Picture(x, y),
                                              [](int s, int d) { return Round(s + (d - s) * 0.25); });
                          }))
        << at.x << "," << at.y;
  }
}

TEST(BlendTest, ColourByMaskKeepsTheTwoHundredFiftySixScaling) {
  auto bmp = MakeBitmap(16, 16, Picture);
  auto mask = MakeBitmap(16, 16, [](int x, int y) { return static_cast<uint32_t>((y * 16 + x) * 0x010101); });
  const uint32_t c = 0x20A0E0;
  BlendColorByMask(bmp.get(), mask.get(), c);
  EXPECT_TRUE(PixelsAre(bmp.get(), [&](int x, int y) {
    int m = y * 16 + x;
    return PerChannel(Picture(x, y), c, [&](int d, int cc) { return ((d - cc) * m + 255 * cc) / 256; });
  }));
  auto smaller = MakeBitmap(15, 16, [](int, int) { return 0u; });
  auto kept = MakeBitmap(16, 16, Picture);
  BlendColorByMask(kept.get(), smaller.get(), c);
  EXPECT_TRUE(PixelsAre(kept.get(), Picture));
}

TEST(BlendTest, PixelsTowardsAColourAndGreysSkipTheKeyColour) {
  auto key_or_picture = [](int x, int y) { return (x + y) % 3 == 0 ? 0xFF00FFu : Picture(x, y); };
  auto towards = MakeBitmap(6, 6, key_or_picture);
  BlendBitmapPixels(towards.get(), sKeyColor, 0x102030, 0.3);
  EXPECT_TRUE(PixelsAre(towards.get(), [&](int x, int y) {
    uint32_t p = key_or_picture(x, y);
    return p == 0xFF00FF ? p
                         : PerChannel(p, 0x102030, [](int ch, int c) { return Round((ch - c) * 0.3 + c); });
  }));
  auto grey = MakeBitmap(6, 6, key_or_picture);
  GrayScaleBitmap(grey.get(), sKeyColor);
  EXPECT_TRUE(PixelsAre(grey.get(), [&](int x, int y) {
    uint32_t p = key_or_picture(x, y);
    return p == 0xFF00FF ? p : Grey(p);
  }));
  auto all = MakeBitmap(6, 6, key_or_picture);
  ProcessBitmapPixels(all.get());
  EXPECT_TRUE(PixelsAre(all.get(), [&](int x, int y) { return Grey(key_or_picture(x, y)); }));
}

TEST(BlendTest, MaskedPixelsLandInsideTheTargetOnly) {
  auto src = MakeBitmap(4, 4, [](int x, int y) { return x == y ? 0xFF00FFu : Other(x, y); });
  auto dst = MakeBitmap(5, 5, Picture);
  MaskBitmapPixels(dst.get(), src.get(), 3, -1, sKeyColor);
  EXPECT_TRUE(PixelsAre(dst.get(), [&](int x, int y) {
    int sx = x - 3, sy = y + 1;
    if (sx < 0 || sy >= 4 || sx == sy) return Picture(x, y);
    return Other(sx, sy);
  }));
}

// ---- Shadows ------------------------------------------------------------------------------

uint32_t White(int, int) { return 0xFFFFFF; }

TEST(ShadowTest, CentreTakesTheColourAtTheTransparencyAndFadesTowardsTheEdge) {
  auto bmp = MakeBitmap(40, 30, White);
  PaintShadow(bmp.get(), {0, 0, 40, 30}, 40, 0x000000, 6, 4);
  int t = 40 * 255 / 100;
  EXPECT_EQ(PixelOf(bmp.get(), 20, 15), PerChannel(0xFFFFFF, 0, [&](int d, int) { return d * t / 256; }));
  // Along the middle row the shadow gets no lighter from the centre outwards, and the first
  // column keeps the picture (a white mask).
  for (int x = 20; x > 0; --x)
    EXPECT_GE(PixelOf(bmp.get(), x - 1, 15) & 255, PixelOf(bmp.get(), x, 15) & 255) << x;
  EXPECT_LE(Distance(PixelOf(bmp.get(), 0, 15), 0xFFFFFF), 1);
  EXPECT_GT(PixelOf(bmp.get(), 3, 15) & 255, PixelOf(bmp.get(), 20, 15) & 255);
}

// Blur is capped from above only: beyond half the smaller side it is that half; below 0 no ring
// is drawn and the last rectangle stays white, so the picture is almost kept.
TEST(ShadowTest, BlurIsCappedAtHalfTheSmallerSideAndANegativeOneCastsNoShadow) {
  auto huge = MakeBitmap(30, 20, Picture), half = MakeBitmap(30, 20, Picture);
  PaintShadow(huge.get(), {2, 3, 26, 19}, 30, 0x204060, 500, 3);
  PaintShadow(half.get(), {2, 3, 26, 19}, 30, 0x204060, 8, 3);
  EXPECT_TRUE(PixelsAre(huge.get(), [&](int x, int y) { return PixelOf(half.get(), x, y); }));

  for (int blur : {-1, -7, INT_MIN}) {
    auto bmp = MakeBitmap(30, 20, Picture);
    PaintShadow(bmp.get(), {2, 3, 26, 19}, 30, 0x204060, blur, 3);
    EXPECT_TRUE(PixelsAre(bmp.get(), [](int x, int y) {
      const bool inside = x >= 2 && x < 26 && y >= 3 && y < 19;
      return inside ? PerChannel(Picture(x, y), 0, [](int d, int) { return d * 255 / 256; }) : Picture(x, y);
    })) << blur;
  }
}

// A negative corner size is not raised to 0: the rounded rectangles get it as it is, and the
// platform rounds the corners by its magnitude, so the shadow's corner keeps the picture.
TEST(ShadowTest, NegativeRadiusStillRoundsTheCorners) {
  for (int radius : {-8, -INT_MAX, INT_MIN}) {
    auto bmp = MakeBitmap(30, 20, White);
    PaintShadow(bmp.get(), {0, 0, 30, 20}, 0, 0x000000, 0, radius);
    EXPECT_LE(Distance(PixelOf(bmp.get(), 0, 0), 0xFFFFFF), 1) << radius;
    EXPECT_LE(Distance(PixelOf(bmp.get(), 29, 19), 0xFFFFFF), 1) << radius;
    EXPECT_EQ(PixelOf(bmp.get(), 15, 10), 0u) << radius;
  }
  auto square = MakeBitmap(30, 20, White);
  PaintShadow(square.get(), {0, 0, 30, 20}, 0, 0x000000, 0, 0);
  EXPECT_EQ(PixelOf(square.get(), 0, 0), 0u);
}

TEST(ShadowTest, FullTransparencyLeavesThePictureAlmostUnchanged) {
  auto bmp = MakeBitmap(20, 20, Picture);
  PaintShadow(bmp.get(), {0, 0, 20, 20}, 100, 0x0000FF, 4, 5);
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_LE(Distance(PixelOf(bmp.get(), x, y), Picture(x, y)), 1);
}

// The transparency is not clamped: its grey t = transparency * 255 div 100 is taken in 8 bits.
TEST(ShadowTest, TransparencyOutsideZeroToAHundredGivesItsGreyInEightBits) {
  for (auto [transparency, grey] : {std::pair{150, 382 & 255}, std::pair{-20, -51 & 255}}) {
    auto bmp = MakeBitmap(20, 20, White);
    PaintShadow(bmp.get(), {0, 0, 20, 20}, transparency, 0x000000, 0, 0);
    EXPECT_EQ(PixelOf(bmp.get(), 9, 9), PerChannel(0xFFFFFF, 0, [&](int d, int) { return d * grey / 256; }))
        << transparency;
  }
}

TEST(ShadowTest, RectangleReachingOutOfTheBitmapPaintsInsideOnly) {
  auto bmp = MakeBitmap(10, 10, White);
  PaintShadow(bmp.get(), {-10, -10, 5, 5}, 0, 0x000000, 0, 0);
  EXPECT_EQ(PixelOf(bmp.get(), 2, 2), 0u);
  EXPECT_LE(Distance(PixelOf(bmp.get(), 6, 6), 0xFFFFFF), 0);
}

// ---- The disabled look --------------------------------------------------------------------

TEST(DisabledLookTest, EmptySetChangesNothing) {
  auto bmp = MakeBitmap(6, 5, Picture);
  FillControlBG(bmp.get(), {}, nullptr, {0, 0}, EmptyCI);
  EXPECT_TRUE(PixelsAre(bmp.get(), Picture));
}

TEST(DisabledLookTest, BothKindsGreyFirstThenMixHalfWithTheParent) {
  auto parent = MakeBitmap(30, 30, Other);
  auto bmp = MakeBitmap(6, 5, Picture);
  TsCacheInfo ci{parent.get(), 4, 6, true};
  FillControlBG(bmp.get(), {dkGrayed, dkBlended}, nullptr, {2, 1}, ci);
  EXPECT_TRUE(PixelsAre(bmp.get(), [&](int x, int y) {
    return PerChannel(Other(x + 6, y + 7), Grey(Picture(x, y)),
                      [](int s, int d) { return Round(s - (s - d) * 0.5); });
  }));
  auto grey_only = MakeBitmap(6, 5, Picture);
  FillControlBG(grey_only.get(), {dkGrayed}, nullptr, {2, 1}, ci);
  EXPECT_TRUE(PixelsAre(grey_only.get(), [](int x, int y) { return Grey(Picture(x, y)); }));
}

TEST(DisabledLookTest, WithoutParentCacheTheControlsColourMixesInAtHalf) {
  TControl control(nullptr);
  control.SetColor(clBtnFace);
  auto bmp = MakeBitmap(8, 8, Picture);
  FillControlBG(bmp.get(), {dkBlended}, &control, {0, 0}, EmptyCI);
  uint32_t face = ColorToRGB(clBtnFace);
  int t = 50 * 255 / 100;
  EXPECT_EQ(PixelOf(bmp.get(), 3, 3),
            PerChannel(Picture(3, 3), face, [&](int d, int c) { return ((d - c) * t + 255 * c) / 256; }));
}

}  // namespace
