// The 9-part frame, the glyph and the masked copies, checked pixel by pixel against what the
// painting rules give for a synthetic mask.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "pixels_support.h"
#include "skin/engine/sblend.h"
#include "skin/engine/smaskpaint.h"
#include "synthetic_mask.h"
#include "toolkit/bitmap.h"

namespace {

uint32_t Grey(uint32_t c) {
  uint32_t g = ((c & 255) + (c >> 8 & 255) + (c >> 16 & 255)) / 3;
  return g | g << 8 | g << 16;
}
uint32_t Background(int x, int y) { return (x * 7 + 3) | (y * 11 + 5) << 8 | 0x40 << 16; }
uint32_t Parent(int x, int y) { return 0x80 | (x * 5 % 256) << 8 | (y * 3 % 256) << 16; }

enum TSource { kOwn, kMaster, kMasterNoMask };

// Which column (row) of the frame a target offset t of a span n long shows, and its zone: 0
// the first corner, 1 an edge or the middle, 2 the last corner.
struct TAxis {
  int src, zone;
};
TAxis MapAxis(int t, int n, int cell, int frame) {
  int first = cell, last = cell;
  if (n < 2 * cell) first = n / 2, last = n - first;
  if (t < first) return {t, 0};
  if (t >= n - last) return {frame - (n - t), 2};
  return {cell + (t - cell) % cell, 1};
}

class MaskPaintTest : public ::testing::Test {
 protected:
  static constexpr int kOx = 5, kOy = 4;  // the strip's place in the master bitmap

  void SetUp() override { Build(); }
  void TearDown() override { MasterBitmap = nullptr; }

  void Build() {
    own_ = MakeBitmap(syn_.Width(), 2 * syn_.ImageHeight(), [&](int x, int y) { return syn_.Strip(x, y); });
    master_ = MakeBitmap(kOx + syn_.Width() + 6, kOy + 2 * syn_.ImageHeight() + 5, [&](int x, int y) {
      int sx = x - kOx, sy = y - kOy;
      if (sx < 0 || sy < 0 || sx >= syn_.Width() || sy >= 2 * syn_.ImageHeight()) return 0x00FFFFu;
      return syn_.Strip(sx, sy);
    });
    MasterBitmap = master_.get();
  }

  TsMaskData Mask(TSource source) const {
    TsMaskData m;
    if (source == kOwn) {
      m.Bmp = own_.get();
      return m;
    }
    m.ImageCount = 3;
    m.MaskType = source == kMaster ? 1 : 0;
    int h = source == kMaster ? 2 * syn_.ImageHeight() : syn_.ImageHeight();
    m.R = {kOx, kOy, kOx + syn_.Width(), kOy + h};
    return m;
  }

  // The frame painted over r of a target of w x h, by the rules, pixel by pixel.
  std::function<uint32_t(int, int)> ExpectedFrame(TSource source, RECT r, bool filling, int state,
                                                  const TsCacheInfo& ci) const {
    return [=, this](int x, int y) -> uint32_t {
      uint32_t d = Background(x, y);
      int w = r.right - r.left, h = r.bottom - r.top;
      if (w < 2 || h < 2 || x < r.left || y < r.top || x >= r.right || y >= r.bottom) return d;
      TAxis ax = MapAxis(x - r.left, w, syn_.cw, 3 * syn_.cw),
            ay = MapAxis(y - r.top, h, syn_.ch, 3 * syn_.ch);
      bool corner = ax.zone != 1 && ay.zone != 1, middle = ax.zone == 1 && ay.zone == 1;
      if (middle && !filling) return d;
      int fx = state * 3 * syn_.cw + ax.src, fy = ay.src;
      uint32_t s = syn_.Image(fx, fy);
      if (source == kMasterNoMask) return corner && s == kPixKeyColor ? d : s;
      if (corner && ci.Ready && s == kPixKeyColor) return PixelOf(ci.Bmp, x + ci.X, y + ci.Y);
      return MaskMixed(d, s, syn_.Mask(fx, fy));
    };
  }

  std::unique_ptr<TBitmap> Target(int w = 30, int h = 24) { return MakeBitmap(w, h, Background); }

  TSyntheticMask syn_;
  std::unique_ptr<TBitmap> own_, master_;
};

// ---- The 9-part rule ----------------------------------------------------------------------

TEST_F(MaskPaintTest, FramesOfEverySourceStateAndSizeFollowTheNinePartRule) {
  for (bool alpha : {true, false}) {
    syn_.alpha = alpha;
    Build();
    for (TSource source : {kOwn, kMaster, kMasterNoMask})
      for (int state = 0; state < 3; ++state)
        for (int w : {2, 3, 5, 7, 8, 9, 12, 17, 25})
          for (int h : {2, 3, 5, 6, 7, 11, 16})
            for (bool filling : {true, false}) {
              auto bmp = Target();
              RECT r{2, 1, 2 + w, 1 + h};
              DrawSkinMaskRect(bmp.get(), r, filling, EmptyCI, Mask(source), state);
              ASSERT_TRUE(PixelsAre(bmp.get(), ExpectedFrame(source, r, filling, state, EmptyCI)))
                  << "source " << source << " state " << state << " size " << w << "x" << h << " filling "
                  << filling << " alpha " << alpha;
            }
  }
}

TEST_F(MaskPaintTest, FramesReachingOutOfTheTargetPaintTheirVisiblePart) {
  for (TSource source : {kOwn, kMaster, kMasterNoMask})
    for (RECT r : {RECT{-5, -4, 12, 10}, RECT{20, 15, 41, 33}, RECT{-20, -20, 50, 50}, RECT{-9, 3, 1, 9}}) {
      auto bmp = Target();
      DrawSkinMaskRect(bmp.get(), r, true, EmptyCI, Mask(source), 1);
      ASSERT_TRUE(PixelsAre(bmp.get(), ExpectedFrame(source, r, true, 1, EmptyCI)))
          << "source " << source << " at " << r.left << "," << r.top;
    }
}

TEST_F(MaskPaintTest, TargetOnePixelWideOrHighPaintsNothing) {
  for (RECT r : {RECT{3, 3, 4, 20}, RECT{3, 3, 20, 4}, RECT{3, 3, 3, 3}, RECT{9, 9, 3, 3}}) {
    auto bmp = Target();
    DrawSkinMaskRect(bmp.get(), r, true, EmptyCI, Mask(kOwn), 0);
    EXPECT_TRUE(PixelsAre(bmp.get(), Background));
  }
}

// The columns of the frame each target column shows, read back through the black mask.
std::vector<int> FrameColumns(TBitmap* bmp, const TSyntheticMask& syn, int width, int row) {
  std::vector<int> columns;
  for (int x = 0; x < width; ++x) {
    int found = -1;
    for (int fx = 0; fx < 3 * syn.cw; ++fx)
      if (syn.Image(fx, row) == PixelOf(bmp, x, row)) found = fx;
    columns.push_back(found);
  }
  return columns;
}

TEST_F(MaskPaintTest, NarrowTargetsShowTheirCornersSplitAtTheMiddle) {
  syn_.alpha = false;
  Build();
  auto paint = [&](int w) {
    auto bmp = Target();
    DrawSkinMaskRect(bmp.get(), {0, 0, w, 10}, true, EmptyCI, Mask(kOwn), 0);
    return FrameColumns(bmp.get(), syn_, w, 1);
  };
  // cw = 4: five columns are a 2-pixel left part and a 3-pixel right part.
  EXPECT_EQ(paint(5), (std::vector<int>{0, 1, 9, 10, 11}));
  // Exactly two cells: both corners side by side; one more column: a 1-pixel edge piece.
  EXPECT_EQ(paint(8), (std::vector<int>{0, 1, 2, 3, 8, 9, 10, 11}));
  EXPECT_EQ(paint(9), (std::vector<int>{0, 1, 2, 3, 4, 8, 9, 10, 11}));
}

TEST_F(MaskPaintTest, WithoutFillingTheInsideStaysUntouched) {
  auto bmp = Target();
  DrawSkinMaskRect(bmp.get(), {0, 0, 30, 24}, false, EmptyCI, Mask(kMaster), 0);
  for (int y = syn_.ch; y < 24 - syn_.ch; ++y)
    for (int x = syn_.cw; x < 30 - syn_.cw; ++x) ASSERT_EQ(PixelOf(bmp.get(), x, y), Background(x, y));
}

TEST_F(MaskPaintTest, ReadyCacheShowsTheParentInCornerKeyPixelsOnly) {
  auto parent = MakeBitmap(60, 50, Parent);
  TsCacheInfo ci{parent.get(), 7, 9, true};
  for (TSource source : {kOwn, kMaster}) {
    auto bmp = Target();
    RECT r{1, 2, 27, 21};
    DrawSkinMaskRect(bmp.get(), r, true, ci, Mask(source), 2);
    ASSERT_TRUE(PixelsAre(bmp.get(), ExpectedFrame(source, r, true, 2, ci)));
    // The top-left corner's key pixel shows the parent at the control's offset ...
    EXPECT_EQ(PixelOf(bmp.get(), 1, 2), Parent(1 + 7, 2 + 9));
    // ... while the key pixel of the first top edge cell goes through the mask.
    EXPECT_EQ(PixelOf(bmp.get(), 1 + syn_.cw, 2),
              MaskMixed(Background(1 + syn_.cw, 2), kPixKeyColor, syn_.Mask(6 * syn_.cw + syn_.cw, 0)));
  }
}

TEST_F(MaskPaintTest, StateBeyondTheImageCountPaintsTheLastState) {
  auto last = Target(), beyond = Target(), second = Target();
  DrawSkinMaskRect(last.get(), {0, 0, 20, 20}, true, EmptyCI, Mask(kMaster), 2);
  DrawSkinMaskRect(beyond.get(), {0, 0, 20, 20}, true, EmptyCI, Mask(kMaster), 5);
  DrawSkinMaskRect(second.get(), {0, 0, 20, 20}, true, EmptyCI, Mask(kMaster), 1);
  EXPECT_TRUE(PixelsAre(beyond.get(), [&](int x, int y) { return PixelOf(last.get(), x, y); }));
  EXPECT_FALSE(PixelsAre(second.get(), [&](int x, int y) { return PixelOf(last.get(), x, y); }));
  // An own image has three states and no more: a fourth paints nothing.
  auto own = Target();
  DrawSkinMaskRect(own.get(), {0, 0, 20, 20}, true, EmptyCI, Mask(kOwn), 3);
  EXPECT_TRUE(PixelsAre(own.get(), Background));
}

// A state before the first is not raised to it: a master entry reads the frame (or glyph)
// lying left of its rectangle, an own image has nothing left of its first state.
TEST_F(MaskPaintTest, StateBeforeTheFirstReadsLeftOfTheRectangle) {
  const int fw = 3 * syn_.cw;
  for (TSource source : {kMaster, kMasterNoMask}) {
    TsMaskData second = Mask(source);  // names only the strip's middle state
    second.R.left += fw;
    second.R.right = second.R.left + fw;
    second.ImageCount = 1;
    auto want = Target(), got = Target();
    DrawSkinMaskRect(want.get(), {1, 2, 21, 20}, true, EmptyCI, Mask(source), 0);
    DrawSkinMaskRect(got.get(), {1, 2, 21, 20}, true, EmptyCI, second, -1);
    EXPECT_TRUE(PixelsAre(got.get(), [&](int x, int y) { return PixelOf(want.get(), x, y); }))
        << "frame, source " << source;
    auto want_glyph = Target(), got_glyph = Target();
    DrawSkinGlyph(want_glyph.get(), {2, 3}, 0, Mask(source), 1);
    DrawSkinGlyph(got_glyph.get(), {2, 3}, -1, second, 1);
    EXPECT_TRUE(PixelsAre(got_glyph.get(), [&](int x, int y) { return PixelOf(want_glyph.get(), x, y); }))
        << "glyph, source " << source;
    // Far before the first, the frame lies outside the bitmap.
    for (int state : {-40, INT_MIN}) {
      auto distant = Target();
      DrawSkinMaskRect(distant.get(), {0, 0, 30, 24}, true, EmptyCI, second, state);
      DrawSkinGlyph(distant.get(), {0, 0}, state, second, 1);
      EXPECT_TRUE(PixelsAre(distant.get(), Background)) << "state " << state;
    }
  }
  for (int state : {-1, -3}) {
    auto own = Target();
    DrawSkinMaskRect(own.get(), {0, 0, 30, 24}, true, EmptyCI, Mask(kOwn), state);
    DrawSkinGlyph(own.get(), {0, 0}, state, Mask(kOwn), 1);
    EXPECT_TRUE(PixelsAre(own.get(), Background)) << "own, state " << state;
  }
}

TEST_F(MaskPaintTest, ZeroSizeCellsAndFramesPaintNothingAndEnd) {
  std::vector<std::unique_ptr<TBitmap>> images;
  auto own = [&](int w, int h) {
    images.push_back(MakeBitmap(w, h, [](int, int) { return 0x123456u; }));
    TsMaskData m;
    m.Bmp = images.back().get();
    return m;
  };
  auto master = [&](RECT r, int count, int type = 1) {
    TsMaskData m = Mask(kMaster);
    m.R = r;
    m.ImageCount = static_cast<int16_t>(count);
    m.MaskType = static_cast<int16_t>(type);
    return m;
  };
  // No frame cell: narrower than 9 or lower than 6 pixels, no states, an empty rectangle.
  for (const TsMaskData& m :
       {own(8, 18), own(36, 5), own(0, 0), master({kOx, kOy, kOx + 8, kOy + 18}, 3),
        master({kOx, kOy, kOx + 36, kOy + 5}, 3), master({kOx, kOy, kOx + 36, kOy + 2}, 3, 0),
        master({kOx, kOy, kOx + 36, kOy + 18}, 0), master({kOx, kOy, kOx + 36, kOy + 18}, -1),
        master({kOx + 36, kOy + 18, kOx, kOy}, 3)}) {
    auto bmp = Target();
    DrawSkinMaskRect(bmp.get(), {0, 0, 30, 24}, true, EmptyCI, m, 0);
    EXPECT_TRUE(PixelsAre(bmp.get(), Background));
  }
  // No glyph cell: narrower than 3 or lower than 2 pixels, no states.
  for (const TsMaskData& m :
       {own(2, 40), own(36, 1), master({kOx, kOy, kOx + 2, kOy + 18}, 3),
        master({kOx, kOy, kOx + 36, kOy + 1}, 3), master({kOx, kOy, kOx + 36, kOy + 18}, 0),
        master({kOx, kOy, kOx + 36, kOy + 18}, -4)}) {
    auto bmp = Target();
    DrawSkinGlyph(bmp.get(), {2, 2}, 0, m, 1);
    EXPECT_TRUE(PixelsAre(bmp.get(), Background));
  }
}

// MaskType 2 cuts frames of a third of the rectangle's height while the mask still lies half
// of it lower: over the synthetic strip (18 rows, the mask from row 9) a frame is the top six
// image rows, in cells of 4 x 2, and a glyph is 12 x 6.
TEST_F(MaskPaintTest, MaskTypeTwoCutsFramesOfAThirdOfTheRectangle) {
  TsMaskData m = Mask(kMaster);
  m.MaskType = 2;
  const int fw = 3 * syn_.cw, fh = 2 * syn_.ImageHeight() / 3;
  auto shows = [&](int state, POINT at) {
    return [=, this](int x, int y) {
      const int cx = x - at.x, cy = y - at.y;
      if (cx < 0 || cy < 0 || cx >= fw || cy >= fh) return Background(x, y);
      return MaskMixed(Background(x, y), syn_.Image(state * fw + cx, cy), syn_.Mask(state * fw + cx, cy));
    };
  };
  for (int state = 0; state < 3; ++state) {
    auto frame = Target();
    DrawSkinMaskRect(frame.get(), {1, 2, 1 + fw, 2 + fh}, true, EmptyCI, m, state);
    EXPECT_TRUE(PixelsAre(frame.get(), shows(state, {1, 2}))) << "frame, state " << state;
    auto glyph = Target();
    DrawSkinGlyph(glyph.get(), {3, 4}, state, m, 1);
    // The glyph skips key pixels where the frame's corners mix them.
    EXPECT_TRUE(PixelsAre(glyph.get(),
                          [&](int x, int y) {
                            const int cx = x - 3, cy = y - 4;
                            const bool inside = cx >= 0 && cy >= 0 && cx < fw && cy < fh;
                            return inside && syn_.Image(state * fw + cx, cy) == kPixKeyColor
                                       ? Background(x, y)
                                       : shows(state, {3, 4})(x, y);
                          }))
        << "glyph, state " << state;
  }
}

// ---- Glyphs -------------------------------------------------------------------------------

class GlyphTest : public MaskPaintTest {
 protected:
  // One state cell of the strip (own: a third of the width and half the height) at p.
  std::function<uint32_t(int, int)> ExpectedGlyph(TSource source, POINT p, int state, int mode) const {
    return [=, this](int x, int y) -> uint32_t {
      uint32_t d = Background(x, y);
      int gw = 3 * syn_.cw, gh = syn_.ImageHeight();
      int cx = x - p.x, cy = y - p.y;
      if (cx < 0 || cy < 0 || cx >= gw || cy >= gh) return d;
      uint32_t s = syn_.Image(state * gw + cx, cy);
      if (s == kPixKeyColor) return d;
      if (source == kMasterNoMask) {
        if (mode == 1) return s;
        uint32_t out = 0;  // half and half, ties to even
        for (int shift = 0; shift < 24; shift += 8) {
          int sc = s >> shift & 255, dc = d >> shift & 255;
          out |= static_cast<uint32_t>(std::nearbyint(sc - (sc - dc) * 0.5)) << shift;
        }
        return out;
      }
      uint32_t m = syn_.Mask(state * gw + cx, cy);
      if (mode != 1) {
        uint32_t raised = 0;
        for (int shift = 0; shift < 24; shift += 8)
          raised |= std::min(255u, (m >> shift & 255) + 100) << shift;
        m = raised;
      }
      return MaskMixed(d, s, m);
    };
  }
};

TEST_F(GlyphTest, GlyphStatesAndModesOfEverySource) {
  for (TSource source : {kOwn, kMaster, kMasterNoMask})
    for (int state = 0; state < 3; ++state)
      for (int mode : {1, 2})
        for (POINT p : {POINT{0, 0}, POINT{4, 3}, POINT{25, 20}}) {
          auto bmp = Target();
          DrawSkinGlyph(bmp.get(), p, state, Mask(source), mode);
          ASSERT_TRUE(PixelsAre(bmp.get(), ExpectedGlyph(source, p, state, mode)))
              << "source " << source << " state " << state << " mode " << mode << " at " << p.x << "," << p.y;
        }
}

TEST_F(GlyphTest, GlyphAtANegativePositionShowsOnlyTheClippedPartOfItsOwnState) {
  // Starts 3 columns (2 rows) into its cell and ends where the cell ends: nothing of the next
  // state or of the mask below shows.
  for (TSource source : {kOwn, kMaster, kMasterNoMask})
    for (POINT p : {POINT{-3, 0}, POINT{0, -2}, POINT{-3, -2}, POINT{-11, 1}}) {
      auto bmp = Target();
      DrawSkinGlyph(bmp.get(), p, 1, Mask(source), 1);
      ASSERT_TRUE(PixelsAre(bmp.get(), ExpectedGlyph(source, p, 1, 1)))
          << "source " << source << " at " << p.x << "," << p.y;
    }
}

TEST_F(GlyphTest, StateBeyondTheImageCountDrawsTheLastState) {
  auto last = Target(), beyond = Target();
  DrawSkinGlyph(last.get(), {1, 1}, 2, Mask(kMaster), 1);
  DrawSkinGlyph(beyond.get(), {1, 1}, 9, Mask(kMaster), 1);
  EXPECT_TRUE(PixelsAre(beyond.get(), [&](int x, int y) { return PixelOf(last.get(), x, y); }));
}

// ---- The copies ---------------------------------------------------------------------------

TEST(MaskedCopyTest, WhiteMaskNearlyKeepsTheTargetAndBlackShowsTheImage) {
  auto src = MakeBitmap(2, 2, [](int x, int y) { return y == 0 ? 0x204080u : (x == 0 ? 0xFFFFFFu : 0u); });
  auto dst = MakeBitmap(2, 1, [](int, int) { return 0xC8A064u; });
  CopyBitmapRect({0, 0, 2, 1}, {0, 0, 2, 1}, dst.get(), EmptyCI, src.get());
  // Mask 255: (D * 255 + S) div 256 per channel; mask 0: the image.
  auto channel = [](uint32_t d, uint32_t s) { return (d * 255 + s) / 256; };
  EXPECT_EQ(PixelOf(dst.get(), 0, 0),
            channel(0x64, 0x80) | channel(0xA0, 0x40) << 8 | channel(0xC8, 0x20) << 16);
  EXPECT_EQ(PixelOf(dst.get(), 1, 0), 0x204080u);
}

TEST(MaskedCopyTest, KeyColourGivenAsSystemColourIsResolved) {
  uint32_t face = ColorToRGB(clBtnFace);
  auto src = MakeBitmap(3, 1, [&](int x, int) { return x == 1 ? face : 0x010203u; });
  for (int kind = 0; kind < 3; ++kind) {
    auto dst = MakeBitmap(3, 1, [](int, int) { return 0x777777u; });
    if (kind == 0) PaintMaskedRect(dst.get(), src.get(), 0, 0, {0, 0, 2, 0}, clBtnFace);
    if (kind == 1) BlendRectWithColor(dst.get(), 0, 0, clBtnFace, 0.0, {0, 0, 2, 0}, src.get());
    if (kind == 2) MaskBitmapPixels(dst.get(), src.get(), 0, 0, clBtnFace);
    EXPECT_EQ(PixelOf(dst.get(), 1, 0), 0x777777u) << kind;
    EXPECT_EQ(PixelOf(dst.get(), 0, 0), 0x010203u) << kind;
  }
}

// A key whose top byte is 255 means "no key" to the half-transparent copy alone; every other
// routine takes it as the system colour its low byte names.
TEST(MaskedCopyTest, ATopByteOf255MeansNoKeyOnlyToTheHalfTransparentCopy) {
  const TColor key = static_cast<TColor>(0xFF000000u | COLOR_HIGHLIGHT);
  const uint32_t named = ColorToRGB(clHighlight);
  const uint32_t plain = 0x306090;
  ASSERT_NE(Grey(named), named);
  auto src = MakeBitmap(2, 2, [&](int x, int y) { return y == 1 ? 0u : x == 1 ? named : plain; });
  auto paint = [&](int kind) {
    auto dst = MakeBitmap(2, 1, [](int, int) { return 0x646464u; });
    TsMaskData own;
    own.Bmp = src.get();
    switch (kind) {
      case 0: BlendRectWithColor(dst.get(), 0, 0, key, 0.0, {0, 0, 1, 0}, src.get()); break;
      case 1: PaintMaskedRect(dst.get(), src.get(), 0, 0, {0, 0, 1, 0}, key); break;
      case 2: CopyMasked({0, 0, 1, 0}, {0, 0, 1, 0}, dst.get(), own, 1, key, src.get()); break;
      case 3: MaskBitmapPixels(dst.get(), src.get(), 0, 0, key); break;
    }
    return std::pair{PixelOf(dst.get(), 0, 0), PixelOf(dst.get(), 1, 0)};
  };
  EXPECT_EQ(paint(0), std::pair(plain, named)) << "blended: no key";
  for (int kind = 1; kind <= 3; ++kind) EXPECT_EQ(paint(kind), std::pair(plain, 0x646464u)) << kind;

  auto row = [&] { return MakeBitmap(2, 1, [&](int x, int) { return x == 1 ? named : plain; }); };
  auto grey = row();
  GrayScaleBitmap(grey.get(), key);
  EXPECT_EQ(PixelOf(grey.get(), 0, 0), Grey(plain));
  EXPECT_EQ(PixelOf(grey.get(), 1, 0), named);
  auto towards = row();
  BlendBitmapPixels(towards.get(), key, 0, 0.0);
  EXPECT_EQ(PixelOf(towards.get(), 0, 0), 0u);
  EXPECT_EQ(PixelOf(towards.get(), 1, 0), named);
}

// The half-transparent copy ends its rows at the first one outside the target and each row at
// its first column outside it: starting above or left of the target it paints nothing.
TEST(MaskedCopyTest, HalfTransparentCopyEndsAtTheFirstRowOrColumnOutsideTheTarget) {
  auto src = MakeBitmap(4, 4, [](int x, int y) { return static_cast<uint32_t>(x * 16 + y); });
  for (POINT at : {POINT{-1, 0}, POINT{0, -2}, POINT{-1, -2}}) {
    auto dst = MakeBitmap(4, 4, [](int, int) { return 0u; });
    BlendRectWithColor(dst.get(), at.x, at.y, sNoKeyColor, 0.0, {0, 0, 3, 3}, src.get());
    EXPECT_TRUE(PixelsAre(dst.get(), [](int, int) { return 0u; })) << at.x << "," << at.y;
  }
  auto dst = MakeBitmap(4, 4, [](int, int) { return 0u; });
  BlendRectWithColor(dst.get(), 2, 1, sNoKeyColor, 0.0, {0, 0, 3, 3}, src.get());
  EXPECT_TRUE(
      PixelsAre(dst.get(), [](int x, int y) { return x >= 2 && y >= 1 ? (x - 2) * 16u + y - 1 : 0u; }));
}

// A source rectangle reaching out of the source is first clamped into it: its first existing
// pixel goes to the target point, for the key-colour and the half-transparent copy alike.
TEST(MaskedCopyTest, SourceRectanglePartlyOutsideIsClampedIntoTheSource) {
  auto src = MakeBitmap(4, 4, [](int x, int y) { return static_cast<uint32_t>(x * 16 + y + 1); });
  auto expected = [](int x, int y) { return x >= 1 && x <= 2 && y >= 1 && y <= 2 ? (x - 1) * 16u + y : 0u; };
  auto masked = MakeBitmap(6, 6, [](int, int) { return 0u; });
  PaintMaskedRect(masked.get(), src.get(), 1, 1, {-2, 0, 1, 1}, sKeyColor);
  EXPECT_TRUE(PixelsAre(masked.get(), expected));
  auto blended = MakeBitmap(6, 6, [](int, int) { return 0u; });
  BlendRectWithColor(blended.get(), 1, 1, sNoKeyColor, 0.0, {-2, 0, 1, 1}, src.get());
  EXPECT_TRUE(PixelsAre(blended.get(), expected));
}

// Cells of every size repeat from the rectangle's corner, also where it starts outside the
// target, and the last ones are cut at its far edges.
TEST(TileTest, CellsRepeatFromTheRectanglesCornerAndStopAtItsEdges) {
  TGuardedPixels src(9, 7, 8);
  src.Fill([](int x, int y) { return static_cast<uint32_t>(x * 16 + y * 1024 + 1); });
  for (TPixRect cell : {TPixRect{2, 3, 3, 4}, TPixRect{1, 1, 4, 3}, TPixRect{0, 0, 9, 7},
                        TPixRect{4, 0, 5, 7}, TPixRect{-3, -3, 2, 2}}) {
    for (TPixRect q : {TPixRect{0, 0, 150, 90}, TPixRect{-5, -4, 97, 83}, TPixRect{11, 6, 130, 67}}) {
      TGuardedPixels dst(120, 80, 8);
      dst.Fill([](int, int) { return 0x777777u; });
      PixTileRect(dst.View(), q, src.View(), cell);
      ASSERT_TRUE(dst.GuardIntact());
      const int l = std::max(cell.Left, 0), t = std::max(cell.Top, 0);
      const int w = cell.Right - l, h = cell.Bottom - t;
      for (int y = 0; y < 80; ++y)
        for (int x = 0; x < 120; ++x) {
          const bool inside = x >= q.Left && x < q.Right && y >= q.Top && y < q.Bottom;
          const uint32_t expected =
              inside ? src.View().Color(l + (x - q.Left) % w, t + (y - q.Top) % h) : 0x777777u;
          ASSERT_EQ(dst.View().Color(x, y), expected)
              << cell.Left << "," << cell.Top << " at " << x << "," << y;
        }
    }
  }
}

}  // namespace
