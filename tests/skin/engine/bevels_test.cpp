// Bevels, the 3-D and dotted frames, the check mark, the transparent corner runs of a border
// image and picture loading, checked pixel by pixel against values worked out from the rules.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <utility>

#include "skin/engine/sbevels.h"
#include "skin/engine/sblend.h"
#include "tests/skin/engine/skin_test_helpers.h"
#include "toolkit/jpeg.h"
#include "toolkit/picture.h"

using namespace graphics_test;
using namespace skin_test;

namespace {

template <class F>
TColor Channels(TColor a, TColor b, F f) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) out |= (f((a >> shift) & 0xFF, (b >> shift) & 0xFF) & 0xFF) << shift;
  return out;
}

// ---- Section bevels -----------------------------------------------------------------------

// ((D - C) * M + C * 256) div 256 on each channel.
TColor FadeMix(TColor d, TColor c, int m) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) {
    const int dv = (d >> shift) & 0xFF, cv = (c >> shift) & 0xFF;
    out |= (((dv - cv) * m + cv * 256) / 256) << shift;
  }
  return out;
}

TEST(SectionBevel, WidthOneIsOneHardLinePerSide) {
  for (TsControlBevel kind : {cbRaisedHard, cbLoweredHard}) {
    auto bmp = Filled(10, 8, clGray);
    PaintSectionBevel(bmp.get(), RECT{0, 0, 10, 8}, 1, kind, false);
    const TColor light = kind == cbRaisedHard ? clWhite : clBlack;
    const TColor dark = kind == cbRaisedHard ? clBlack : clWhite;
    EXPECT_EQ(bmp->GetPixelColor(0, 4), light);
    EXPECT_EQ(bmp->GetPixelColor(5, 0), light);
    EXPECT_EQ(bmp->GetPixelColor(9, 4), dark);
    EXPECT_EQ(bmp->GetPixelColor(5, 7), dark);
    EXPECT_EQ(bmp->GetPixelColor(1, 1), clGray);  // one line only
    EXPECT_EQ(bmp->GetPixelColor(8, 6), clGray);
  }
}

TEST(SectionBevel, NoneAndTooThinPaintNothing) {
  auto bmp = Filled(10, 8, clGray);
  PaintSectionBevel(bmp.get(), RECT{0, 0, 10, 8}, 3, cbNone, true);
  PaintSectionBevel(bmp.get(), RECT{0, 0, 10, 8}, 0, cbRaisedHard, true);
  PaintSectionBevel(bmp.get(), RECT{0, 0, 10, 4}, 4, cbRaisedSoft, true);  // depth 4/2-1 = 1
  EXPECT_EQ(ChangedArea(*bmp, clGray), (RECT{0, 0, 0, 0}));
}

TEST(SectionBevel, WidthFiveOnSixRowsPaintsStripsOfDepthTwo) {
  auto bmp = Filled(20, 10, clGray);
  PaintSectionBevel(bmp.get(), RECT{0, 0, 20, 6}, 5, cbRaisedSoft, false);
  EXPECT_EQ(bmp->GetPixelColor(1, 2), FadeMix(clGray, 0xF0F0F0, 127));  // left strip
  EXPECT_EQ(bmp->GetPixelColor(2, 2), clGray);
  EXPECT_EQ(bmp->GetPixelColor(10, 1), FadeMix(clGray, clWhite, 127));  // top strip
  EXPECT_EQ(bmp->GetPixelColor(10, 2), clGray);
  // Right and bottom strips are depth + 1 wide and end before R's clipped right edge (19).
  EXPECT_EQ(bmp->GetPixelColor(16, 2), FadeMix(clGray, 0x191919, 127));
  EXPECT_EQ(bmp->GetPixelColor(15, 2), clGray);
  EXPECT_EQ(bmp->GetPixelColor(19, 2), clGray);
  EXPECT_EQ(bmp->GetPixelColor(10, 3), FadeMix(clGray, clBlack, 127));
  EXPECT_EQ(bmp->GetPixelColor(10, 6), clGray);
}

// A skin may give any width: the largest ones are lowered to the rectangle like the others.
TEST(SectionBevel, HugeWidthsAreLoweredLikeAnyOther) {
  for (TsControlBevel kind : {cbRaisedSoft, cbLoweredHard})
    for (int width : {1 << 30, 0x7FFFFFFF}) {
      auto expected = Filled(20, 12, clGray), bmp = Filled(20, 12, clGray);
      PaintSectionBevel(expected.get(), RECT{0, 0, 20, 12}, 50, kind, true);
      PaintSectionBevel(bmp.get(), RECT{0, 0, 20, 12}, width, kind, true);
      for (int y = 0; y < 12; ++y)
        for (int x = 0; x < 20; ++x)
          ASSERT_EQ(bmp->GetPixelColor(x, y), expected->GetPixelColor(x, y)) << width << " " << x << "," << y;
    }
}

TEST(SectionBevel, ShadedStripsStepByTheDepthsShare) {
  auto soft = Filled(30, 30, clGray);
  PaintSectionBevel(soft.get(), RECT{0, 0, 30, 30}, 4, cbLoweredSoft, true);
  auto hard = Filled(30, 30, clGray);
  PaintSectionBevel(hard.get(), RECT{0, 0, 30, 30}, 4, cbLoweredHard, true);
  const int step = 255 / 4;
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(soft->GetPixelColor(k, 15), FadeMix(clGray, 0x191919, k * step)) << k;
    EXPECT_EQ(hard->GetPixelColor(k, 15), FadeMix(clGray, 0x191919, 255 - k * step)) << k;
  }
  EXPECT_EQ(soft->GetPixelColor(4, 15), clGray);
}

TEST(SectionBevel, StripEndsAreCutAlongTheCornerDiagonals) {
  auto bmp = Filled(12, 12, clGray);
  FadeRectEdge(bmp.get(), RECT{0, 0, 3, 12}, bvsLeft, 3, false, false, clBlack);
  for (int k = 0; k < 3; ++k) {
    if (k > 0) {
      EXPECT_EQ(bmp->GetPixelColor(k, k - 1), clGray) << k;
    }
    EXPECT_EQ(bmp->GetPixelColor(k, k), FadeMix(clGray, 0, 127)) << k;
    EXPECT_EQ(bmp->GetPixelColor(k, 11 - k), FadeMix(clGray, 0, 127)) << k;
  }
  EXPECT_EQ(bmp->GetPixelColor(2, 10), clGray);
  // A strip reaching outside the bitmap is clipped.
  FadeRectEdge(bmp.get(), RECT{-5, -5, 40, 3}, bvsTop, 3, true, true, clWhite);
}

// ---- Hard and soft bevels on a device context ---------------------------------------------

TEST(RectBevel, KindsChooseTheSideColoursAndLinesMoveInward) {
  auto bmp = Filled(8, 8, clGray);
  PaintRectBevel(bmp->GetCanvas()->GetHandle(), RECT{0, 0, 8, 8}, clWhite, clBlack, false, 1, 2);
  EXPECT_EQ(bmp->GetPixelColor(0, 4), clBlack);  // kind 1: left dark
  EXPECT_EQ(bmp->GetPixelColor(1, 4), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(2, 4), clGray);
  EXPECT_EQ(bmp->GetPixelColor(7, 4), clWhite);
  EXPECT_EQ(bmp->GetPixelColor(6, 4), clWhite);
  // The second line is shortened at both ends: (1, 0) belongs to the top line only.
  EXPECT_EQ(bmp->GetPixelColor(6, 0), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(6, 1), clWhite);
}

TEST(RectBevel, SoftSidesStartWhiteAndMixTowardTheSecondColour) {
  auto bmp = Filled(12, 12, clGray);
  HDC dc = bmp->GetCanvas()->GetHandle();
  PaintBevelFloat(dc, 0x000080, 0x0000FF, bvsLeft, 4, POINT{0, 0}, POINT{0, 11});
  EXPECT_EQ(bmp->GetPixelColor(0, 5), clWhite);
  EXPECT_EQ(bmp->GetPixelColor(1, 5), 0x00000A0);  // 128 + 127 / 4 rounded
  EXPECT_EQ(bmp->GetPixelColor(2, 5), 0x0000C0);
  EXPECT_EQ(bmp->GetPixelColor(3, 5), 0x0000DF);
  PaintBevelFloat(dc, clNavy, clRed, bvsTop, 1, POINT{0, 11}, POINT{11, 11});
  EXPECT_EQ(bmp->GetPixelColor(5, 11), clNavy);
  // Halfway between 0 and 1, 2 and 3, 4 and 5: ties go to the even neighbour.
  PaintBevelFloat(dc, RGB(0, 2, 4), RGB(1, 3, 5), bvsRight, 2, POINT{11, 0}, POINT{11, 10});
  EXPECT_EQ(bmp->GetPixelColor(10, 5), RGB(0, 2, 4));
}

TEST(RectBevel, SystemColoursAreResolvedBeforeMixing) {
  auto bmp = Filled(12, 12, clGray);
  PaintBevel(bmp->GetCanvas(), RECT{0, 0, 12, 12}, clBtnHighlight, clBtnShadow, 2, true);
  const COLORREF light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  TColor expected = 0;
  for (int shift : {0, 8, 16}) {
    const double v = ((light >> shift) & 0xFF) * 0.5 + ((dark >> shift) & 0xFF) * 0.5;
    expected |= static_cast<TColor>(std::nearbyint(v)) << shift;
  }
  EXPECT_EQ(bmp->GetPixelColor(1, 5), expected);
}

// A bevel wider than half its rectangle runs its inner lines into each other, never past R.
TEST(RectBevel, LinesOfAnOverWideBevelStayInsideTheRectangle) {
  const RECT r{4, 2, 8, 22};
  for (bool soft : {false, true})
    for (int kind = 0; kind < 8; ++kind) {
      auto bmp = Filled(12, 24, clGray);
      // A skin's largest width draws no more lines than 6 does here.
      PaintRectBevel(bmp->GetCanvas()->GetHandle(), r, clWhite, clBlack, soft, kind % 4,
                     kind < 4 ? 6 : 0x7FFFFFFF);
      const RECT area = ChangedArea(*bmp, clGray);
      EXPECT_GE(area.left, r.left) << soft << kind;
      EXPECT_GE(area.top, r.top) << soft << kind;
      EXPECT_LE(area.right, r.right) << soft << kind;
      EXPECT_LE(area.bottom, r.bottom) << soft << kind;
      // The right side comes after the left one's inner lines: its outer line keeps its colour.
      if (!soft) {
        EXPECT_EQ(bmp->GetPixelColor(7, 12), kind % 4 == 1 || kind % 4 == 2 ? clWhite : clBlack) << kind;
      }
    }
}

// ---- Frames and marks ---------------------------------------------------------------------

TEST(Frame3D, WidthZeroDrawsNothingAndKeepsTheRectangle) {
  auto bmp = Filled(8, 6, clWhite);
  RECT r{0, 0, 8, 6};
  int width = 0;
  Frame3D(bmp->GetCanvas()->GetHandle(), r, clRed, clBlue, width);
  EXPECT_EQ(r, (RECT{0, 0, 8, 6}));
  EXPECT_EQ(ChangedArea(*bmp, clWhite), (RECT{0, 0, 0, 0}));
}

TEST(Frame3D, RingsCoverTheOuterPixelsWithTheCornersToTheBottomRightColour) {
  const int W = 8, H = 6;
  auto bmp = Filled(W, H, clWhite);
  RECT r{0, 0, W, H};
  int width = 2;
  Frame3D(bmp->GetCanvas()->GetHandle(), r, clRed, clBlue, width);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(r, (RECT{2, 2, W - 2, H - 2}));
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      const int ring = std::min(std::min(x, y), std::min(W - 1 - x, H - 1 - y));
      TColor expected = clWhite;
      if (ring < 2) {
        const bool bottom_right = x == W - 1 - ring || y == H - 1 - ring;
        expected = bottom_right ? clBlue : clRed;
      }
      EXPECT_EQ(bmp->GetPixelColor(x, y), expected) << x << "," << y;
    }
}

// Rings beyond the middle of a small rectangle would cross over and grow out of it again.
TEST(Frame3D, MoreRingsThanFitStayInsideTheRectangle) {
  auto bmp = Filled(12, 12, clWhite);
  RECT r{4, 4, 8, 8};
  int width = 10;
  Frame3D(bmp->GetCanvas()->GetHandle(), r, clRed, clBlue, width);
  EXPECT_EQ(width, 0);
  EXPECT_EQ(r, (RECT{14, 14, -2, -2}));
  EXPECT_EQ(ChangedArea(*bmp, clWhite), (RECT{4, 4, 8, 8}));
  EXPECT_EQ(bmp->GetPixelColor(5, 5), clRed);
  EXPECT_EQ(bmp->GetPixelColor(6, 6), clBlue);
}

TEST(DottedFrame, EveryThirdEdgePixelIsBlackWithWhiteAboveLeft) {
  auto bmp = Filled(12, 10, clGray);
  PaintDottedFrame(bmp->GetCanvas(), RECT{2, 2, 11, 9});
  EXPECT_EQ(bmp->GetPixelColor(2, 2), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(1, 1), clWhite);
  EXPECT_EQ(bmp->GetPixelColor(5, 2), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(3, 2), clGray);
  EXPECT_EQ(bmp->GetPixelColor(4, 1), clWhite);
  EXPECT_EQ(bmp->GetPixelColor(2, 8), clBlack);
  EXPECT_EQ(bmp->GetPixelColor(10, 5), clBlack);
}

TEST(CheckMark, SixteenSquareMarkFitsInTwelveSquare) {
  for (bool enabled : {true, false}) {
    auto bmp = Filled(16, 16, clWhite);
    DrawCheckMark(bmp->GetCanvas(), RECT{0, 0, 16, 16}, enabled, clBlack);
    const RECT area = ChangedArea(*bmp, clWhite);
    EXPECT_LE(area.right - area.left, 12) << enabled;
    EXPECT_LE(area.bottom - area.top, 12) << enabled;
    EXPECT_GT(area.right - area.left, 6);
  }
}

TEST(CheckMark, EmptyOrTinyRectanglesPaintNothingOutsideThem) {
  for (bool enabled : {true, false}) {
    for (RECT r : {RECT{5, 5, 5, 5}, RECT{5, 5, 5, 12}, RECT{8, 8, 3, 3}}) {
      auto bmp = Filled(16, 16, clWhite);
      DrawCheckMark(bmp->GetCanvas(), r, enabled, clBlack);
      EXPECT_EQ(ChangedArea(*bmp, clWhite), (RECT{0, 0, 0, 0})) << enabled << " " << r.left << "," << r.right;
    }
    auto bmp = Filled(16, 16, clWhite);
    const RECT small{6, 6, 9, 9};
    DrawCheckMark(bmp->GetCanvas(), small, enabled, clBlack);
    const RECT area = ChangedArea(*bmp, clWhite);
    if (area.right > area.left) {
      EXPECT_GE(area.left, small.left);
      EXPECT_GE(area.top, small.top);
      EXPECT_LE(area.right, small.right);
      EXPECT_LE(area.bottom, small.bottom);
    }
  }
}

TEST(FillDC, FillsWithTheResolvedColour) {
  auto bmp = Filled(4, 4, clWhite);
  FillDC(bmp->GetCanvas()->GetHandle(), RECT{1, 1, 3, 3}, clBtnShadow);
  EXPECT_EQ(static_cast<COLORREF>(bmp->GetPixelColor(1, 2)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(bmp->GetPixelColor(3, 3), clWhite);
}

// ---- Transparent corner runs ----------------------------------------------------------------

std::set<std::pair<int, int>> Cover(const std::vector<RECT>& rects) {
  std::set<std::pair<int, int>> pixels;
  for (const RECT& r : rects) {
    EXPECT_EQ(r.bottom - r.top, 1);
    for (int x = r.left; x < r.right; ++x) EXPECT_TRUE(pixels.insert({x, r.top}).second);
  }
  return pixels;
}

TEST(TransparentRects, ImageWithoutKeyPixelsAddsNothing) {
  auto border = StateStrip(27, 18, false);
  TsMaskData mask;
  mask.Bmp = border.get();
  std::vector<RECT> rects;
  GetTransparentRects(rects, 100, mask, false, 0);
  GetTransparentRects(rects, 100, mask, true, 50);
  EXPECT_TRUE(rects.empty());
}

// The runs are exactly the key pixels of the corner cells as the frame painters place them:
// compared with a scan of every pixel, own bitmaps and master images, top and bottom corners.
// Any mask type cuts the image as the painters do: frames the height of R div (MaskType + 1).
TEST(TransparentRects, RunsAreExactlyTheCornerKeyPixels) {
  std::mt19937 random(7);
  for (int round = 0; round < 40; ++round) {
    const int cw = 1 + random() % 4, ch = 1 + random() % 4, extra = random() % 3;
    auto bmp = Filled(9 * cw + extra, 6 * ch + extra, clGray);
    for (int i = 0; i < 60; ++i)  // key pixels anywhere: corners, edges, other states, mask
      bmp->GetCanvas()->SetPixels(random() % bmp->GetWidth(), random() % bmp->GetHeight(), clFuchsia);
    TsMaskData mask;
    const bool own = round % 2 == 0;
    if (own) {
      mask.Bmp = bmp.get();
    } else {
      mask.R = RECT{0, 0, 9 * cw, 6 * ch};
      mask.ImageCount = 3;
      mask.MaskType = round % 4 == 3 ? 2 : 1;
      MasterBitmap = bmp.get();
    }
    const bool bottom = random() % 2;
    const int control_width = 3 * cw + random() % 20, y = random() % 5;
    std::vector<RECT> rects;
    GetTransparentRects(rects, control_width, mask, bottom, y);
    std::set<std::pair<int, int>> expected;
    // The bottom corners are the frame's last cell rows; an own frame is half the bitmap high.
    const int frame_height = own ? bmp->GetHeight() / 2 : 6 * ch / (mask.MaskType + 1);
    const int cell_height = own ? ch : 6 * ch / ((mask.MaskType + 1) * 3);
    const int first_row = bottom ? frame_height - cell_height : 0;
    for (int r = 0; r < cell_height; ++r)
      for (int c = 0; c < 3 * cw; ++c) {
        if (c >= cw && c < 2 * cw) continue;
        if (bmp->GetPixelColor(c, first_row + r) != clFuchsia) continue;
        expected.insert({c < cw ? c : control_width - 3 * cw + c, y + r});
      }
    EXPECT_EQ(Cover(rects), expected) << round;
    MasterBitmap = nullptr;
  }
}

// ---- Tiling helpers ------------------------------------------------------------------------

TEST(Tiling, HorizontalPiecesRepeatTheCellAndCutTheLast) {
  auto src = StateStrip(27, 18, false);
  auto dst = Filled(12, 6, clGray);
  TileRectHorz(dst.get(), src.get(), RECT{3, 3, 6, 6}, RECT{1, 1, 9, 4});
  for (int x = 1; x < 9; ++x) EXPECT_EQ(dst->GetPixelColor(x, 2), CellColor(0, 1, 1)) << x;
  EXPECT_EQ(dst->GetPixelColor(9, 2), clGray);
  EXPECT_EQ(dst->GetPixelColor(0, 2), clGray);
  EXPECT_EQ(dst->GetPixelColor(4, 4), clGray);
  auto down = Filled(6, 12, clGray);
  TileRectVert(down.get(), src.get(), RECT{0, 6, 3, 9}, RECT{0, 0, 2, 11});
  EXPECT_EQ(down->GetPixelColor(1, 10), CellColor(0, 0, 2));
  EXPECT_EQ(down->GetPixelColor(1, 11), clGray);
  EXPECT_EQ(down->GetPixelColor(2, 5), clGray);
}

TEST(Tiling, EmptySourceCellsTileNothing) {
  auto src = StateStrip(27, 18, false);
  auto dst = Filled(12, 6, clGray);
  TileRectHorz(dst.get(), src.get(), RECT{3, 3, 3, 6}, RECT{0, 0, 12, 6});
  TileRectVert(dst.get(), src.get(), RECT{3, 3, 6, 3}, RECT{0, 0, 12, 6});
  TileRectHorz(dst.get(), src.get(), RECT{6, 3, 3, 6}, RECT{0, 0, 12, 6});
  auto tiny = StateStrip(8, 5, false);
  TileRectPart(dst.get(), tiny.get(), 0, RECT{0, 0, 1, 1}, POINT{0, 0});
  EXPECT_EQ(ChangedArea(*dst, clGray), (RECT{0, 0, 0, 0}));
}

TEST(Tiling, PartTakesTheCellOfTheState) {
  auto src = StateStrip(27, 18, false);
  auto dst = Filled(6, 6, clGray);
  TileRectPart(dst.get(), src.get(), 2, RECT{3, 0, 6, 3}, POINT{1, 2});
  EXPECT_EQ(dst->GetPixelColor(1, 2), CellColor(2, 1, 0));
  EXPECT_EQ(dst->GetPixelColor(3, 4), CellColor(2, 1, 0));
  EXPECT_EQ(dst->GetPixelColor(4, 4), clGray);
}

// ---- Shadow shapes and glyphs -----------------------------------------------------------------

TEST(Effects, TransparencyChoosesColourBackgroundOrShadow) {
  auto background = Filled(20, 20, clGray);
  background->GetCanvas()->SetPixels(6, 7, clRed);
  for (int transparency : {0, 100, 50}) {
    auto target = Filled(10, 10, clBlack);
    PaintBitmapWithEffects(background->GetCanvas(), RECT{1, 1, 9, 9}, target->GetCanvas()->GetHandle(),
                           POINT{5, 6}, transparency, clBlue, 0, 0, 0);
    const TColor shadow =
        Channels(clGray, clBlue, [](int d, int c) { return ((d - c) * 127 + 255 * c) / 256; });
    const TColor expected = transparency == 0 ? clBlue : transparency == 100 ? clGray : shadow;
    EXPECT_EQ(target->GetPixelColor(4, 4), expected) << transparency;
    EXPECT_EQ(target->GetPixelColor(0, 0), clBlack) << transparency;
    EXPECT_EQ(target->GetPixelColor(9, 9), clBlack) << transparency;
    if (transparency == 100) {
      EXPECT_EQ(target->GetPixelColor(2, 2), clRed);
    }
  }
}

TEST(Effects, BlurFadesTheShadowOutTowardTheEdge) {
  auto background = Filled(40, 40, clWhite);
  auto target = Filled(40, 40, clWhite);
  PaintItemRectCopy(background->GetCanvas(), RECT{0, 0, 40, 40}, target->GetCanvas()->GetHandle(), POINT{},
                    20, clBlack, 6, 0);
  const int edge = target->GetPixelColor(0, 20) & 0xFF, middle = target->GetPixelColor(20, 20) & 0xFF;
  EXPECT_GT(edge, middle);
  EXPECT_EQ(middle, 255 * (20 * 255 / 100) / 256);
}

// The rings' greys round halves to the even neighbour, as the shadow of a bitmap does: with
// transparency 1 (grey 2) and blur 3, the third ring is 2 + 126.5, so 128 and not 129.
TEST(Effects, RingGreysRoundAsTheBitmapShadowDoes) {
  auto background = Filled(40, 40, clWhite);
  auto target = Filled(40, 40, clWhite);
  PaintBitmapWithEffects(background->GetCanvas(), RECT{0, 0, 40, 40}, target->GetCanvas()->GetHandle(),
                         POINT{}, 1, clBlack, 3, 0, 0);
  auto shadow = Filled(40, 40, clWhite);
  PaintShadow(shadow.get(), RECT{0, 0, 40, 40}, 1, clBlack, 3, 0);
  EXPECT_EQ(target->GetPixelColor(2, 20) & 0xFF, 255 * 128 / 256);
  EXPECT_EQ(target->GetPixelColor(2, 20), shadow->GetPixelColor(2, 20));
}

// Rounded shapes, rings, blur and greys are the bitmap shadow's: pixel for pixel the same
// picture, also at the right and bottom edges, for a negative blur (no ring: the picture almost
// kept), for a transparency outside 0..100 (greys in 8 bits) and for a negative corner size.
TEST(Effects, RoundedShapesAreTheBitmapShadowsPixelForPixel) {
  auto background = Filled(31, 23, clWhite);
  for (int y = 0; y < 23; ++y)
    for (int x = 0; x < 31; ++x) background->GetCanvas()->SetPixels(x, y, RGB(x * 8, y * 11, 200 - x - y));
  struct Case {
    int transparency, blur, radius;
  };
  for (const Case c : {Case{40, 0, 0}, Case{40, 3, 0}, Case{25, 5, 6}, Case{60, 40, 9}, Case{40, -2, 4},
                       Case{150, 2, 0}, Case{-20, 3, 5}, Case{40, 2, -7}}) {
    auto target = Filled(31, 23, clBlack);
    PaintBitmapWithEffects(background->GetCanvas(), RECT{0, 0, 31, 23}, target->GetCanvas()->GetHandle(),
                           POINT{}, c.transparency, clNavy, c.blur, 0, c.radius);
    auto shadow = Filled(31, 23, clBlack);
    shadow->GetCanvas()->Draw(0, 0, background.get());
    PaintShadow(shadow.get(), RECT{0, 0, 31, 23}, c.transparency, clNavy, c.blur, c.radius);
    for (int y = 0; y < 23; ++y)
      for (int x = 0; x < 31; ++x)
        ASSERT_EQ(target->GetPixelColor(x, y), shadow->GetPixelColor(x, y))
            << c.transparency << "/" << c.blur << "/" << c.radius << " at " << x << "," << y;
  }
}

TEST(Glyph, BottomLeftColourIsTransparent) {
  auto glyph = Filled(4, 4, clLime);
  glyph->GetCanvas()->SetPixels(1, 1, clRed);
  auto dst = Filled(8, 8, clGray);
  PaintGlyphOnBitmap(dst.get(), glyph.get(), POINT{2, 2}, 0, true, TsDisabledKind{});
  EXPECT_EQ(dst->GetPixelColor(3, 3), clRed);
  EXPECT_EQ(dst->GetPixelColor(2, 2), clGray);
  auto blended = Filled(8, 8, clGray);
  PaintGlyphOnBitmap(blended.get(), glyph.get(), POINT{2, 2}, 25, true, TsDisabledKind{});
  EXPECT_EQ(blended->GetPixelColor(3, 3),
            static_cast<TColor>(RGB(223, 32, 32)));  // Round(S - (S - D) * 0.25)
  EXPECT_EQ(blended->GetPixelColor(2, 2), clGray);
  // A blend above 100 is not cut to 100: the mix goes past the target, each channel held to a
  // byte.
  for (auto [blend, expected] : {std::pair{150, RGB(64, 192, 192)}, std::pair{INT_MAX, RGB(0, 255, 255)}}) {
    auto beyond = Filled(8, 8, clGray);
    PaintGlyphOnBitmap(beyond.get(), glyph.get(), POINT{2, 2}, blend, true, TsDisabledKind{});
    EXPECT_EQ(beyond->GetPixelColor(3, 3), static_cast<TColor>(expected)) << blend;
    EXPECT_EQ(beyond->GetPixelColor(2, 2), clGray) << blend;
  }
  auto grey = Filled(8, 8, clGray);
  PaintGlyphOnBitmap(grey.get(), glyph.get(), POINT{0, 0}, 0, false, TsDisabledKind{dkGrayed});
  EXPECT_EQ(grey->GetPixelColor(1, 1), 0x555555);
  EXPECT_EQ(grey->GetPixelColor(0, 0), clGray);
  auto half = Filled(8, 8, clBlack);
  PaintGlyphOnBitmap(half.get(), glyph.get(), POINT{0, 0}, 0, false, TsDisabledKind{dkBlended});
  EXPECT_EQ(half->GetPixelColor(1, 1), 0x000080);  // Round(255 - 255 * 0.5), ties to even
}

// ---- Picture files --------------------------------------------------------------------------

TEST(PictureFile, ExtensionsAreComparedWithoutCase) {
  const std::string dir = TempFolder();
  auto source = Filled(6, 4, clRed);
  auto jpeg = Make<TJPEGImage>();
  jpeg->Assign(source.get());
  jpeg->SaveToFile(dir + "\\photo.Jpg");
  source->SaveToFile(dir + "\\plain.bMp");

  auto picture = Make<TPicture>();
  ASSERT_TRUE(LoadPictureFile(picture.get(), dir + "\\photo.Jpg", false));
  EXPECT_NE(dynamic_cast<TJPEGImage*>(picture->GetGraphic()), nullptr);
  ASSERT_TRUE(LoadPictureFile(picture.get(), dir + "\\plain.bMp", true));
  auto* bmp = dynamic_cast<TBitmap*>(picture->GetGraphic());
  ASSERT_NE(bmp, nullptr);
  EXPECT_EQ(bmp->GetPixelFormat(), pf24bit);
  EXPECT_EQ(bmp->GetPixelColor(2, 2), 0x555555);  // (255 + 0 + 0) div 3

  EXPECT_FALSE(LoadPictureFile(picture.get(), dir + "\\photo.png", false));
  EXPECT_FALSE(LoadPictureFile(picture.get(), dir + "\\missing.bmp", false));
  EXPECT_NE(dynamic_cast<TBitmap*>(picture->GetGraphic()), nullptr);  // left as it was
  EXPECT_TRUE(LoadPictureFile(picture.get(), "", false));
  EXPECT_EQ(picture->GetGraphic(), nullptr);
  std::remove((dir + "\\photo.Jpg").c_str());
  std::remove((dir + "\\plain.bMp").c_str());
}

}  // namespace
