// Border painters: the 9-part placement, raster borders and skin-image borders checked pixel by
// pixel against the mixing rule, the key-colour region against a scan of every pixel, and a
// fuzz of the painters and tiling helpers on bitmaps that notice stray writes.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "skin/engine/sbevels.h"
#include "skin/engine/sborders.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "tests/skin/engine/pixels/pixels_support.h"
#include "tests/skin/engine/skin_test_helpers.h"

using namespace graphics_test;
using namespace skin_test;

namespace {

struct RegionHolder {
  HRGN rgn = CreateRectRgn(0, 0, 0, 0);
  ~RegionHolder() { DeleteObject(rgn); }
};

// ---- 9-part placement -------------------------------------------------------------------------

int CountKind(const std::vector<TsNinePiece>& pieces, TsNinePiece::Kind kind) {
  int n = 0;
  for (const auto& p : pieces) n += p.kind == kind;
  return n;
}

TEST(NinePieces, TargetsBelowTwoPixelsOrEmptyCellsGiveNothing) {
  EXPECT_TRUE(NinePieces(TPixRect{0, 0, 1, 10}, 0, 0, 3, 3, 9, true).empty());
  EXPECT_TRUE(NinePieces(TPixRect{0, 0, 10, 1}, 0, 0, 3, 3, 9, true).empty());
  EXPECT_TRUE(NinePieces(TPixRect{0, 0, 10, 10}, 0, 0, 0, 3, 9, true).empty());
  EXPECT_TRUE(NinePieces(TPixRect{0, 0, 10, 10}, 0, 0, 3, 0, 0, true).empty());
}

TEST(NinePieces, NarrowTargetSplitsTheCornersAtItsMiddle) {
  const auto pieces = NinePieces(TPixRect{0, 0, 5, 20}, 0, 0, 4, 4, 12, true);
  EXPECT_EQ(CountKind(pieces, TsNinePiece::Middle), 0);
  for (const auto& p : pieces) {
    if (p.kind == TsNinePiece::Edge) {
      EXPECT_TRUE(p.dst.Left == 0 || p.dst.Right == 5);  // sides only
    }
    if (p.dst.Left == 0) {
      EXPECT_EQ(p.dst.Width(), 2);
    }
    if (p.dst.Right == 5) {
      EXPECT_EQ(p.dst.Width(), 3);
      EXPECT_EQ(p.src.Right, 12);  // the right part comes from the frame's last columns
    }
  }
}

TEST(NinePieces, EdgePiecesStartOnlyPastTwoCells) {
  const auto two = NinePieces(TPixRect{0, 0, 6, 6}, 0, 0, 3, 3, 9, true);
  EXPECT_EQ(two.size(), 4u);
  const auto one_more = NinePieces(TPixRect{0, 0, 7, 6}, 0, 0, 3, 3, 9, false);
  int one_pixel_edges = 0;
  for (const auto& p : one_more)
    if (p.kind == TsNinePiece::Edge) one_pixel_edges += p.dst.Width() == 1 && p.dst.Left == 3;
  EXPECT_EQ(one_pixel_edges, 2);  // top and bottom
  EXPECT_EQ(one_more.size(), 6u);
}

TEST(NinePieces, PiecesCoverTheTargetOnceWithFilling) {
  std::mt19937 random(3);
  for (int round = 0; round < 200; ++round) {
    const int w = 2 + random() % 30, h = 2 + random() % 30, cw = 1 + random() % 6, ch = 1 + random() % 6;
    std::vector<int> cover(w * h);
    for (const auto& p : NinePieces(TPixRect{0, 0, w, h}, 0, 0, cw, ch, 3 * ch, true)) {
      EXPECT_EQ(p.src.Width(), p.dst.Width());
      EXPECT_LE(p.src.Width(), cw);
      EXPECT_LE(p.src.Height(), ch);
      for (int y = p.dst.Top; y < p.dst.Bottom; ++y)
        for (int x = p.dst.Left; x < p.dst.Right; ++x) ++cover[y * w + x];
    }
    for (int i = 0; i < w * h; ++i) ASSERT_EQ(cover[i], 1) << w << "x" << h << " " << cw << "x" << ch;
  }
}

// ---- Raster borders ---------------------------------------------------------------------------

TEST(RasterBorder, PiecesMixTheStatesCellsThroughTheMask) {
  auto border = StateStrip(27, 18, true);  // cells of 3 x 3, three states
  for (int state = 0; state < 3; ++state) {
    auto dst = Filled(11, 9, clGray);
    PaintRasterBorder(dst.get(), border.get(), state, clFuchsia, nullptr);
    const int x0 = state * 9;
    // (x, y) of the target, its cell and the source pixel it shows.
    auto expect = [&](int x, int y, int cx, int cy, int sx, int sy) {
      EXPECT_EQ(dst->GetPixelColor(x, y), AlphaMix(clGray, CellColor(state, cx, cy), MaskValue(sx, sy)))
          << state << ": " << x << "," << y;
    };
    expect(0, 0, 0, 0, x0, 0);
    expect(10, 8, 2, 2, x0 + 8, 8);
    expect(10, 0, 2, 0, x0 + 8, 2 * 0);
    expect(3, 0, 1, 0, x0 + 3, 0);
    expect(6, 1, 1, 0, x0 + 3, 1);  // the top edge repeats its cell from x = 6
    expect(7, 0, 1, 0, x0 + 4, 0);  // and is cut at 11 - 3
    expect(0, 4, 0, 1, x0, 4);
    expect(0, 6, 0, 2, x0, 6);
    EXPECT_EQ(dst->GetPixelColor(5, 4), clGray);  // the middle stays
  }
}

TEST(RasterBorder, TooSmallTargetsAndCellsPaintNothing) {
  auto border = StateStrip(27, 18, false);
  auto narrow = Filled(2, 10, clGray);
  PaintRasterBorder(narrow.get(), border.get(), 0, clFuchsia, nullptr);
  EXPECT_EQ(ChangedArea(*narrow, clGray), (RECT{0, 0, 0, 0}));
  auto dst = Filled(10, 10, clGray);
  auto tiny = StateStrip(8, 5, false);  // cells of 0 x 0
  PaintRasterBorder(dst.get(), tiny.get(), 0, clFuchsia, nullptr);
  PaintRasterBorder(dst.get(), nullptr, 0, clFuchsia, nullptr);
  EXPECT_EQ(ChangedArea(*dst, clGray), (RECT{0, 0, 0, 0}));
}

TEST(RasterBorder, KeyPixelAtTheCornerTogglesInTheRegion) {
  auto border = StateStrip(27, 18, false);
  border->GetCanvas()->SetPixels(0, 0, clFuchsia);
  auto dst = Filled(12, 12, clGray);
  RegionHolder region;
  PaintRasterBorder(dst.get(), border.get(), 0, clFuchsia, region.rgn);
  RECT box;
  EXPECT_EQ(GetRgnBox(region.rgn, &box), SIMPLEREGION);
  EXPECT_EQ(box, (RECT{0, 0, 1, 1}));
  EXPECT_EQ(dst->GetPixelColor(0, 0), clGray);  // not painted
  PaintRasterBorder(dst.get(), border.get(), 0, clFuchsia, region.rgn);
  EXPECT_EQ(GetRgnBox(region.rgn, &box), NULLREGION);
}

TEST(RasterBorder, TransparentColourIsResolvedFirst) {
  auto border = StateStrip(27, 18, false);
  const COLORREF key = ColorToRGB(clBtnFace);
  border->GetCanvas()->SetPixels(1, 1, static_cast<TColor>(key));
  auto dst = Filled(12, 12, clBlack);
  PaintRasterBorder(dst.get(), border.get(), 0, clBtnFace, nullptr);
  EXPECT_EQ(dst->GetPixelColor(1, 1), clBlack);
}

// The region is exactly the frame's key pixels: every piece copies the image as it is (black
// mask), so a key pixel is a pixel of the frame band that kept the target's colour.
TEST(RasterBorder, RegionIsExactlyTheKeyPixels) {
  std::mt19937 random(11);
  for (int round = 0; round < 60; ++round) {
    const int cw = 1 + random() % 4, ch = 1 + random() % 4;
    auto border = StateStrip(9 * cw + random() % 3, 6 * ch + random() % 3, false);
    for (int i = 0; i < 40; ++i)
      border->GetCanvas()->SetPixels(random() % border->GetWidth(), random() % (3 * ch), clFuchsia);
    const int w = 3 + random() % 25, h = 3 + random() % 25, state = random() % 3;
    const TColor sentinel = 0x010203;
    auto dst = Filled(w, h, sentinel);
    RegionHolder region;
    PaintRasterBorder(dst.get(), border.get(), state, clFuchsia, region.rgn);
    const int lw = w < 2 * cw ? w / 2 : cw, rw = w < 2 * cw ? w - w / 2 : cw;
    const int th = h < 2 * ch ? h / 2 : ch, bh = h < 2 * ch ? h - h / 2 : ch;
    for (int y = -2; y < h + 2; ++y)
      for (int x = -2; x < w + 2; ++x) {
        const bool inside = x >= 0 && y >= 0 && x < w && y < h;
        const bool band = x < lw || x >= w - rw || y < th || y >= h - bh;
        const bool key = inside && band && dst->GetPixelColor(x, y) == sentinel;
        ASSERT_EQ(PtInRegion(region.rgn, x, y) != 0, key) << round << ": " << x << "," << y;
      }
  }
}

// ---- Skin-image borders -----------------------------------------------------------------------

struct MasterScope {
  explicit MasterScope(TBitmap* bmp) { MasterBitmap = bmp; }
  ~MasterScope() { MasterBitmap = nullptr; }
};

TEST(BorderRegion, MasterImageWithoutMaskIsCopiedAsItIs) {
  auto master = Filled(40, 20, clWhite);
  auto strip = StateStrip(27, 18, false);
  master->GetCanvas()->Draw(4, 1, strip.get());
  master->GetCanvas()->SetPixels(4, 1, clFuchsia);
  MasterScope scope(master.get());
  TsMaskData mask;
  mask.R = RECT{4, 1, 31, 10};  // 27 x 9: three states of 3 x 3 cells, no mask
  mask.ImageCount = 3;
  auto dst = Filled(10, 10, clGray);
  RegionHolder region;
  PaintBorderRegion(dst.get(), region.rgn, true, mask, 0);
  EXPECT_EQ(dst->GetPixelColor(0, 0), clFuchsia);  // key pixels copied too
  EXPECT_EQ(dst->GetPixelColor(1, 0), CellColor(0, 0, 0));
  EXPECT_EQ(dst->GetPixelColor(5, 5), CellColor(0, 1, 1));
  RECT box;
  EXPECT_EQ(GetRgnBox(region.rgn, &box), NULLREGION);
}

// A master image's mask lies half its rectangle's height below it, wherever the rectangle is in
// the master bitmap.
TEST(BorderRegion, MaskedImagesCollectKeysAndMixTheMiddle) {
  for (bool own : {true, false}) {
    auto image = StateStrip(27, 18, true);
    image->GetCanvas()->SetPixels(9 + 2, 0, clFuchsia);  // state 1, top-left corner
    auto master = Filled(40, 30, clWhite);
    master->GetCanvas()->Draw(3, 4, image.get());
    MasterScope scope(own ? nullptr : master.get());
    TsMaskData mask;
    if (own) {
      mask.Bmp = image.get();
    } else {
      mask.R = RECT{3, 4, 30, 22};
      mask.ImageCount = 3;
      mask.MaskType = 1;
    }
    auto dst = Filled(10, 10, clGray);
    RegionHolder region;
    PaintBorderRegion(dst.get(), region.rgn, true, mask, 1);
    EXPECT_TRUE(PtInRegion(region.rgn, 2, 0)) << own;
    EXPECT_FALSE(PtInRegion(region.rgn, 1, 0)) << own;
    EXPECT_EQ(dst->GetPixelColor(2, 0), clGray);
    EXPECT_EQ(dst->GetPixelColor(0, 1), AlphaMix(clGray, CellColor(1, 0, 0), MaskValue(9, 1))) << own;
    EXPECT_EQ(dst->GetPixelColor(4, 4), AlphaMix(clGray, CellColor(1, 1, 1), MaskValue(9 + 4, 4))) << own;
    auto unfilled = Filled(10, 10, clGray);
    PaintBorderRegion(unfilled.get(), nullptr, false, mask, 1);
    EXPECT_EQ(unfilled->GetPixelColor(4, 4), clGray);
  }
}

// Frames of a master image are the height of its rectangle div (MaskType + 1), as the mask
// painter cuts them (the strip has no key pixel, so both paint every pixel alike).
TEST(BorderRegion, MasterImagesOfEveryMaskTypeAreCutAsTheMaskPainterCutsThem) {
  auto image = StateStrip(27, 18, true);
  MasterScope scope(image.get());
  for (int type : {1, 2, 5}) {
    TsMaskData mask;
    mask.R = RECT{0, 0, 27, 18};
    mask.ImageCount = 3;
    mask.MaskType = static_cast<int16_t>(type);
    auto border = Filled(13, 11, clGray), painted = Filled(13, 11, clGray);
    PaintBorderRegion(border.get(), nullptr, true, mask, 1);
    DrawSkinMaskRect(painted.get(), RECT{0, 0, 13, 11}, true, EmptyCI, mask, 1);
    for (int y = 0; y < 11; ++y)
      for (int x = 0; x < 13; ++x)
        ASSERT_EQ(border->GetPixelColor(x, y), painted->GetPixelColor(x, y))
            << type << " at " << x << "," << y;
  }
}

// MaskType 2: the rectangle holds three rows of frames' height, the frame the top one; the
// mask still lies half the rectangle lower.
TEST(BorderRegion, AMasterImageIsCutIntoMaskTypePlusOneRows) {
  auto master = Filled(27, 27, clYellow);
  auto strip = StateStrip(27, 18, false);
  master->GetCanvas()->CopyRect(RECT{0, 0, 27, 9}, strip->GetCanvas(), RECT{0, 0, 27, 9});
  master->GetCanvas()->GetBrush()->SetColor(clBlack);
  master->GetCanvas()->FillRect(RECT{0, 13, 27, 27});
  MasterScope scope(master.get());
  TsMaskData mask;
  mask.R = RECT{0, 0, 27, 27};
  mask.ImageCount = 3;
  mask.MaskType = 2;
  auto dst = Filled(10, 10, clGray);
  PaintBorderRegion(dst.get(), nullptr, true, mask, 0);
  EXPECT_EQ(dst->GetPixelColor(0, 0), CellColor(0, 0, 0));
  EXPECT_EQ(dst->GetPixelColor(0, 9), CellColor(0, 0, 2));
  EXPECT_EQ(dst->GetPixelColor(9, 9), CellColor(0, 2, 2));
  EXPECT_EQ(dst->GetPixelColor(4, 4), CellColor(0, 1, 1));
  // A negative one, which no skin folder can give, paints nothing.
  mask.MaskType = -1;
  auto untouched = Filled(10, 10, clGray);
  PaintBorderRegion(untouched.get(), nullptr, true, mask, 0);
  EXPECT_EQ(ChangedArea(*untouched, clGray), (RECT{0, 0, 0, 0}));
}

TEST(BorderRegion, MasterStateIsClampedAndZeroCountPaintsNothing) {
  auto image = StateStrip(27, 18, false);
  MasterScope scope(image.get());
  TsMaskData mask;
  mask.R = RECT{0, 0, 27, 18};
  mask.ImageCount = 3;
  mask.MaskType = 1;
  auto dst = Filled(8, 8, clGray);
  PaintBorderRegion(dst.get(), nullptr, true, mask, 5);
  EXPECT_EQ(dst->GetPixelColor(0, 0), CellColor(2, 0, 0));
  mask.ImageCount = 0;
  auto untouched = Filled(8, 8, clGray);
  PaintBorderRegion(untouched.get(), nullptr, true, mask, 0);
  EXPECT_EQ(ChangedArea(*untouched, clGray), (RECT{0, 0, 0, 0}));
}

// ---- Fuzz -------------------------------------------------------------------------------------

int Size(std::mt19937& random) {
  static const int sizes[] = {-3, -1, 0, 1, 2, 3, 4, 5, 7, 9, 13, 18, 27, 31};
  return sizes[random() % std::size(sizes)];
}

TEST(BorderFuzz, PaintersNeverWriteOutsideTheirBitmaps) {
  std::mt19937 random(2024);
  for (int round = 0; round < 400; ++round) {
    GuardedBitmap dst(std::max(Size(random), 0) + random() % 3, std::max(Size(random), 0), clGray);
    const int bw = std::max(Size(random), 0), bh = std::max(Size(random), 0);
    GuardedBitmap border(bw > 0 && bh > 0 ? StateStrip(bw, bh, true) : Make<TBitmap>());
    const int state = static_cast<int>(random() % 7) - 2;
    RegionHolder region;
    PaintRasterBorder(dst.get(), border.get(), state, clFuchsia, region.rgn);
    TsMaskData mask;
    if (random() % 2) {
      mask.Bmp = border.get();
    } else {
      MasterBitmap = border.get();
      mask.R = RECT{Size(random), Size(random), Size(random) + 10, Size(random) + 10};
      mask.ImageCount = static_cast<int16_t>(random() % 4);
      mask.MaskType = static_cast<int16_t>(random() % 3);
    }
    PaintBorderRegion(dst.get(), region.rgn, random() % 2, mask, state);
    const RECT d{Size(random), Size(random), Size(random), Size(random)};
    const RECT s{Size(random), Size(random), Size(random), Size(random)};
    CopyBorderPart(d, s, dst.get(), mask, region.rgn, clFuchsia, border.get());
    TileRectHorz(dst.get(), border.get(), s, d);
    TileRectVert(dst.get(), border.get(), s, d);
    TileRectPart(dst.get(), border.get(), state, s, POINT{Size(random), Size(random)});
    TileImage(dst.get(), d, border.get(), mask);
    TileImage(dst.get(), d, nullptr, mask);
    MasterBitmap = nullptr;
    ASSERT_TRUE(dst.Intact()) << round;
    ASSERT_TRUE(border.Intact()) << round;
  }
}

// The core on views with guard bands on every side: rectangles anywhere, of any size.
TEST(BorderFuzz, CopyBorderPartCoreStaysInsideBothViews) {
  std::mt19937 random(99);
  for (int round = 0; round < 2000; ++round) {
    TGuardedPixels dst(std::max(Size(random), 0), std::max(Size(random), 0), 8, round);
    TGuardedPixels src(std::max(Size(random), 0), std::max(Size(random), 0), 8, round + 1);
    dst.Fill([](int x, int y) { return static_cast<uint32_t>(x * 5 + y); });
    src.Fill([](int x, int y) { return x % 3 == 0 ? 0xFF00FFu : static_cast<uint32_t>(x * 40 + y * 7); });
    const TPixRect d{Size(random), Size(random), Size(random), Size(random)};
    const TPixRect s{Size(random), Size(random), Size(random), Size(random)};
    std::vector<TPixRect> runs;
    PixCopyBorderPart(dst.View(), d, src.View(), s, Size(random), Size(random), TPixKey{true, 0xFF00FF},
                      &runs);
    ASSERT_TRUE(dst.GuardIntact()) << round;
    ASSERT_TRUE(src.GuardIntact()) << round;
    for (const TPixRect& run : runs) {
      ASSERT_TRUE(dst.View().Contains(run.Left, run.Top)) << round;
      ASSERT_TRUE(dst.View().Contains(run.Right - 1, run.Bottom - 1)) << round;
    }
  }
}

}  // namespace
