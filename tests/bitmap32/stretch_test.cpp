// Stretch transfer on pixel maps: mapping tables, the nearest, draft, bilinear and resampling
// paths, the draw modes and the refusals.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "bitmap32/resample.h"

namespace {

struct Image {
  Image(int w, int h, TColor32 fill = 0) : pixels(static_cast<size_t>(w) * h + w, fill), width(w), height(h) {
    // One guard row behind the image: a read below the last row lands there.
    for (int x = 0; x < w; ++x) pixels[static_cast<size_t>(w) * h + x] = kGuard;
  }
  TPixelMap Map() { return {pixels.data(), width, height}; }
  TColor32& At(int x, int y) { return pixels[static_cast<size_t>(y) * width + x]; }
  TPixelRect Bounds() const { return {0, 0, width, height}; }
  void Randomise(uint32_t seed) {
    std::mt19937 random(seed);
    for (int i = 0; i < width * height; ++i) pixels[i] = random() | 0xFF000000;
  }
  static constexpr TColor32 kGuard = 0xFFFF0000;
  std::vector<TColor32> pixels;
  int width, height;
};

TTransferMode Mode(TStretchFilter filter, TDrawMode draw = dmOpaque, uint32_t master = 255) {
  TTransferMode mode;
  mode.filter = filter;
  mode.draw_mode = draw;
  mode.master_alpha = master;
  return mode;
}

TTransferResult Stretch(Image& dst, Image& src, TStretchFilter filter, TDrawMode draw = dmOpaque,
                        uint32_t master = 255) {
  return StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), src.Bounds(),
                       Mode(filter, draw, master));
}

const TStretchFilter kFilters[] = {sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell};

// The resampler written out directly from the tables, as a reference.
TColor32 Reference(const TMappingTable& mx, const TMappingTable& my, Image& src, int i, int j) {
  TColor32 result = 0;
  for (int c = 0; c < 4; ++c) {
    int64_t sum = 0;
    for (const TContributor& ty : my[j])
      for (const TContributor& tx : mx[i])
        sum += int64_t{ty.weight} * tx.weight * ((src.At(tx.pos, ty.pos) >> (8 * c)) & 0xFF);
    sum = std::clamp<int64_t>(sum, 0, 0xFF0000);
    result |= static_cast<TColor32>((sum >> 16) & 0xFF) << (8 * c);
  }
  return result;
}

// ---- Mapping tables -------------------------------------------------------------------------

// Each kernel at points worked out by hand from its formula: the tables scale every list to
// 256, so only here would a wrong formula show.
TEST(Filters, KernelsHaveTheirValuesAndWidths) {
  struct TPoint {
    TStretchFilter filter;
    float x, value;
  };
  const TPoint points[] = {{sfNearest, -0.5f, 1},
                           {sfNearest, 0.49f, 1},
                           {sfNearest, 0.5f, 0},
                           {sfDraft, 0.25f, 0.75f},
                           {sfDraft, -1, 0},
                           {sfLinear, -0.25f, 0.75f},
                           {sfCosine, 0.5f, 0.5f},
                           {sfCosine, 0.25f, 0.853553f},
                           {sfCosine, 1, 0},
                           {sfSpline, 0, 0.666667f},
                           {sfSpline, 0.5f, 0.479167f},
                           {sfSpline, -1, 0.166667f},
                           {sfSpline, 1.5f, 0.0208333f},
                           {sfSpline, 2, 0},
                           {sfLanczos, 0, 1},
                           {sfLanczos, 0.5f, 0.607927f},
                           {sfLanczos, -1, 0},
                           {sfLanczos, 1.5f, -0.135095f},
                           {sfLanczos, 3, 0},
                           {sfMitchell, 0, 0.888889f},
                           {sfMitchell, 0.5f, 0.534722f},
                           {sfMitchell, -1, 0.0555556f},
                           {sfMitchell, 1.5f, -0.0347222f},
                           {sfMitchell, 2, 0}};
  for (const TPoint& p : points)
    EXPECT_NEAR(FilterKernel(p.filter, p.x), p.value, 1e-5) << p.filter << " " << p.x;
  const float widths[] = {1, 1, 1, 1, 2, 3, 2};
  for (int f = sfNearest; f <= sfMitchell; ++f)
    EXPECT_EQ(FilterWidth(static_cast<TStretchFilter>(f)), widths[f]) << f;
}

TEST(MappingTable, LogoSplineHasAtMostFiveContributorsSummingTo256) {
  TMappingTable table = BuildMappingTable(0, 257, 0, 257, 0, 191, sfSpline);
  ASSERT_EQ(table.size(), 257u);
  for (const auto& list : table) {
    EXPECT_LE(list.size(), 5u);
    int sum = 0;
    for (const TContributor& t : list) {
      sum += t.weight;
      EXPECT_NE(t.weight, 0);
      EXPECT_GE(t.pos, 0);
      EXPECT_LT(t.pos, 191);
    }
    EXPECT_EQ(sum, 256);
  }
}

TEST(MappingTable, EveryFilterAndScaleSumsToExactly256InsideTheSource) {
  for (TStretchFilter filter : kFilters)
    for (auto [src_lo, src_hi, dst_w] : {std::tuple{0, 191, 257},
                                         {5, 1925, 640},
                                         {3, 643, 1920},
                                         {0, 7, 3},
                                         {2, 3, 9},
                                         {0, 2, 1},
                                         {10, 13, 1000}}) {
      TMappingTable table = BuildMappingTable(0, dst_w, 0, dst_w, src_lo, src_hi, filter);
      ASSERT_EQ(table.size(), static_cast<size_t>(dst_w));
      for (const auto& list : table) {
        int sum = 0;
        for (const TContributor& t : list) {
          sum += t.weight;
          ASSERT_GE(t.pos, src_lo);
          ASSERT_LT(t.pos, src_hi);
        }
        ASSERT_EQ(sum, 256) << "filter " << int(filter) << " " << src_lo << ".." << src_hi << " to " << dst_w;
      }
    }
}

TEST(MappingTable, OnePixelSourceTakesThatPixelAndAnEmptyOneNothing) {
  TMappingTable table = BuildMappingTable(0, 4, 1, 3, 7, 8, sfSpline);
  ASSERT_EQ(table.size(), 2u);
  for (const auto& list : table) {
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].pos, 7);  // the source's own first index, not 0
    EXPECT_EQ(list[0].weight, 256);
  }
  EXPECT_TRUE(BuildMappingTable(0, 4, 0, 4, 5, 5, sfSpline).empty());
}

TEST(MappingTable, ClipSelectsTheEntriesOfTheWholeMapping) {
  TMappingTable whole = BuildMappingTable(0, 100, 0, 100, 0, 37, sfMitchell);
  TMappingTable part = BuildMappingTable(0, 100, 40, 60, 0, 37, sfMitchell);
  ASSERT_EQ(part.size(), 20u);
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(part[i].size(), whole[40 + i].size());
    for (size_t k = 0; k < part[i].size(); ++k) EXPECT_EQ(part[i][k].weight, whole[40 + i][k].weight);
  }
}

// ---- Paths --------------------------------------------------------------------------------------

TEST(StretchPaths, EqualSizesCopyWhateverTheFilter) {
  Image src(9, 5);
  src.Randomise(1);
  for (TStretchFilter filter : kFilters) {
    Image dst(9, 5);
    ASSERT_EQ(Stretch(dst, src, filter), TTransferResult::Done);
    EXPECT_EQ(dst.pixels, src.pixels) << int(filter);
  }
}

TEST(StretchPaths, ResamplerGivesTheSumOverItsTables) {
  Image src(23, 17);
  src.Randomise(2);
  for (TStretchFilter filter : {sfCosine, sfSpline, sfLanczos, sfMitchell, sfLinear})
    for (auto [w, h] : {std::pair{57, 40}, {11, 6}, {40, 9}}) {
      if (filter == sfLinear && w > 23 && h > 17) continue;  // that is the bilinear path
      Image dst(w, h);
      Stretch(dst, src, filter);
      TMappingTable mx = BuildMappingTable(0, w, 0, w, 0, 23, filter),
                    my = BuildMappingTable(0, h, 0, h, 0, 17, filter);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          ASSERT_EQ(dst.At(x, y), Reference(mx, my, src, x, y)) << int(filter) << " " << x << "," << y;
    }
}

TEST(StretchPaths, LinearOnOneLargerAxisOnlyIsTheTentResampler) {
  Image src(10, 12);
  src.Randomise(3);
  Image dst(25, 5);  // wider, but lower
  Stretch(dst, src, sfLinear);
  TMappingTable mx = BuildMappingTable(0, 25, 0, 25, 0, 10, sfLinear),
                my = BuildMappingTable(0, 5, 0, 5, 0, 12, sfLinear);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 25; ++x) ASSERT_EQ(dst.At(x, y), Reference(mx, my, src, x, y));
}

TEST(StretchPaths, BilinearAgreesWithTheTentAndStaysInsideTheSource) {
  Image src(13, 7);
  src.Randomise(4);
  Image dst(50, 31);
  Stretch(dst, src, sfLinear);
  TMappingTable mx = BuildMappingTable(0, 50, 0, 50, 0, 13, sfLinear),
                my = BuildMappingTable(0, 31, 0, 31, 0, 7, sfLinear);
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 50; ++x) {
      const TColor32 a = dst.At(x, y), b = Reference(mx, my, src, x, y);
      for (int c = 0; c < 32; c += 8)
        ASSERT_LE(std::abs(int((a >> c) & 0xFF) - int((b >> c) & 0xFF)), 1) << x << "," << y;
    }
  // A source rectangle short of the bitmap's right and bottom edges: its neighbours there
  // (and the guard row below the bitmap) must never show.
  Image framed(4, 4, 0xFF00FF00);
  for (int i = 0; i < 4; ++i) framed.At(3, i) = framed.At(i, 3) = Image::kGuard;
  Image out(12, 12);
  StretchPixels(out.Map(), out.Bounds(), out.Bounds(), framed.Map(), {0, 0, 3, 3}, Mode(sfLinear));
  for (int i = 0; i < 144; ++i) ASSERT_EQ(out.pixels[i], 0xFF00FF00u) << i;
  Image whole(12, 12);
  Image green(3, 3, 0xFF00FF00);
  StretchPixels(whole.Map(), whole.Bounds(), whole.Bounds(), green.Map(), green.Bounds(), Mode(sfLinear));
  for (int i = 0; i < 144; ++i) ASSERT_EQ(whole.pixels[i], 0xFF00FF00u) << i;
}

TEST(StretchPaths, NearestPicksTheSourcePixelUnderEachCentre) {
  Image src(3, 1);
  src.At(0, 0) = 1, src.At(1, 0) = 2, src.At(2, 0) = 3;
  Image dst(6, 2);
  Stretch(dst, src, sfNearest);
  EXPECT_EQ(std::vector<TColor32>(dst.pixels.begin(), dst.pixels.begin() + 12),
            (std::vector<TColor32>{1, 1, 2, 2, 3, 3, 1, 1, 2, 2, 3, 3}));
  Image narrow(1, 1);
  Stretch(narrow, src, sfNearest);
  EXPECT_EQ(narrow.At(0, 0), 2u);  // the middle column
}

// Each block's sum times (2^24 div count), the top byte of the product: short of the exact
// mean where the count does not divide 2^24.
TEST(StretchPaths, DraftAveragesEachBlockInFixedPoint) {
  Image white(4, 4, 0xFFFFFFFF);
  Image two(2, 2);
  Stretch(two, white, sfDraft);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(two.pixels[i], 0xFFFFFFFFu);  // blocks of 4: exact
  Image three_white(3, 1, 0xFFFFFFFF), three(1, 1);
  Stretch(three, three_white, sfDraft);
  EXPECT_EQ(three.At(0, 0), 0xFEFEFEFEu);  // 765 x 5592405 = $FEFFFFFF
  Image block(2, 2, 0);
  block.At(1, 1) = 0xFFFFFFFF;
  Image one(1, 1);
  Stretch(one, block, sfDraft);
  EXPECT_EQ(one.At(0, 0), 0x3F3F3F3Fu);  // 63.75 keeps 63
  Image big(4, 2);
  Stretch(big, block, sfDraft);  // enlarging fills every pixel from one block
  EXPECT_EQ(big.At(0, 0), 0u);
  EXPECT_EQ(big.At(3, 1), 0xFFFFFFFFu);
}

// ---- Draw modes, clipping and refusals -----------------------------------------------------------

TEST(StretchModes, BlendUsesAlphaAndMasterAlphaAndZeroMasterDrawsNothing) {
  Image src(2, 2, 0x80FFFFFF);
  Image dst(4, 4, 0xFF000000);
  EXPECT_EQ(Stretch(dst, src, sfSpline, dmBlend, 0), TTransferResult::Done);
  for (int i = 0; i < 16; ++i) ASSERT_EQ(dst.pixels[i], 0xFF000000u);
  Stretch(dst, src, sfNearest, dmBlend);
  EXPECT_EQ(dst.At(1, 1), BlendColors(0x80FFFFFF, 0xFF000000));
  Image master(4, 4, 0xFF000000);
  Stretch(master, src, sfNearest, dmBlend, 100);
  EXPECT_EQ(master.At(2, 2), BlendColorsMaster(0x80FFFFFF, 0xFF000000, 100));
}

TEST(StretchModes, CustomCallsTheCombinerAndFallsBackToCopying) {
  Image src(2, 1, 0xFF123456);
  Image dst(2, 1, 0xFF000000);
  struct Calls {
    int count = 0;
    uint32_t master = 0;
  } calls;
  TTransferMode mode = Mode(sfNearest, dmCustom, 77);
  mode.combine = {[](void* context, TColor32 f, TColor32& b, uint32_t m) {
                    auto* c = static_cast<Calls*>(context);
                    ++c->count, c->master = m;
                    b = f ^ 0xFF;
                  },
                  &calls};
  StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), src.Bounds(), mode);
  EXPECT_EQ(calls.count, 2);
  EXPECT_EQ(calls.master, 77u);
  EXPECT_EQ(dst.At(1, 0), 0xFF1234A9u);
  mode.combine = {};
  StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), src.Bounds(), mode);
  EXPECT_EQ(dst.At(1, 0), 0xFF123456u);
}

TEST(StretchModes, OnlyTheClipInsideTheDestinationIsWritten) {
  Image src(3, 3, 0xFFFFFFFF);
  Image dst(10, 10, 0);
  StretchPixels(dst.Map(), {-5, -5, 15, 15}, {2, 3, 4, 100}, src.Map(), src.Bounds(), Mode(sfSpline));
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 10; ++x)
      ASSERT_EQ(dst.At(x, y), (x >= 2 && x < 4 && y >= 3) ? 0xFFFFFFFFu : 0u) << x << "," << y;
}

TEST(StretchModes, RefusalsAndSilentReturns) {
  Image src(4, 4, 0xFFFFFFFF), dst(8, 8, 0);
  TPixelMap empty{};
  // An empty source returns before the destination is even looked at.
  EXPECT_EQ(StretchPixels(empty, {0, 0, 1, 1}, {0, 0, 1, 1}, empty, {}, Mode(sfSpline)),
            TTransferResult::Done);
  EXPECT_EQ(StretchPixels(empty, {0, 0, 1, 1}, {0, 0, 1, 1}, src.Map(), src.Bounds(), Mode(sfSpline)),
            TTransferResult::DestinationEmpty);
  EXPECT_EQ(StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), {0, 0, 5, 4}, Mode(sfSpline)),
            TTransferResult::SourceRectInvalid);
  EXPECT_EQ(StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), {-1, 0, 3, 4}, Mode(sfNearest)),
            TTransferResult::SourceRectInvalid);
  EXPECT_EQ(StretchPixels(dst.Map(), dst.Bounds(), dst.Bounds(), src.Map(), {2, 2, 2, 4}, Mode(sfSpline)),
            TTransferResult::Done);
  EXPECT_EQ(StretchPixels(dst.Map(), {20, 20, 30, 30}, dst.Bounds(), src.Map(), src.Bounds(), Mode(sfSpline)),
            TTransferResult::Done);
  for (TColor32 p : std::vector<TColor32>(dst.pixels.begin(), dst.pixels.begin() + 64)) ASSERT_EQ(p, 0u);
}

}  // namespace
