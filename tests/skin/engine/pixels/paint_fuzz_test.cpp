// Random masks, frame counts, rectangles and positions through every pixel core, on views
// with guard borders: a painter must neither write outside its target nor let anything
// outside its bitmaps (the source's and the cache's guards) change what it paints.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <random>

#include "pixels_support.h"
#include "skin/engine/spixels.h"

namespace {

class TFuzz {
 public:
  explicit TFuzz(uint32_t seed) : rng_(seed) {}
  int Below(int n) { return static_cast<int>(rng_() % static_cast<uint32_t>(n)); }
  // Sizes: the small ones that break arithmetic, or anything up to `most`.
  int Size(int most) {
    static const int small[] = {0, 1, 2, 3};
    return Below(3) == 0 ? small[Below(4)] : Below(most + 1);
  }
  // Coordinates: mostly near the bitmaps, sometimes negative or absurd.
  int Coord() {
    static const int distant[] = {INT_MIN, INT_MIN / 2, -100000, 100000, INT_MAX / 2, INT_MAX};
    int kind = Below(20);
    if (kind == 0) return distant[Below(6)];
    if (kind < 5) return -Below(8);
    return Below(24);
  }
  TPixRect Rect() { return {Coord(), Coord(), Coord(), Coord()}; }
  // A rectangle around a view of w x h, as painters mostly get; sometimes anything.
  TPixRect NearRect(int w, int h) {
    if (Below(10) == 0) return Rect();
    int l = Below(w + 6) - 3, t = Below(h + 6) - 3;
    return {l, t, l + Below(w + 5) - 1, t + Below(h + 5) - 1};
  }

 private:
  std::mt19937 rng_;
};

// Source pixels: mixed colours with key pixels among them.
uint32_t SourceColor(int x, int y) {
  return (x * 7 + y * 13) % 5 == 0 ? kPixKeyColor : (x * 37 + y * 101) * 2654435u & 0xFFFFFF;
}
uint32_t TargetColor(int x, int y) { return (x * 3 + 40) | (y * 5 + 9) << 8 | 0x55 << 16; }
uint32_t CacheColor(int x, int y) { return (x * 11) % 256 | 0x30 << 8 | (y * 7) % 256 << 16; }

struct TRun {
  std::function<void(const TPixels24& dst, const TPixels24& src, const TPixels24& cache)> paint;
  int dst_w, dst_h, src_w, src_h, cache_w, cache_h;
};

TRun RandomRun(TFuzz& f) {
  TRun run{};
  run.dst_w = f.Size(24), run.dst_h = f.Size(20);
  run.src_w = f.Size(40), run.src_h = f.Size(24);
  run.cache_w = f.Size(20), run.cache_h = f.Size(16);
  int op = f.Below(15);  // the masked copies with the parent's cache come up more often
  TPixRect r1 = f.NearRect(run.dst_w, run.dst_h), r2 = f.NearRect(run.src_w, run.src_h / 2);
  int x = f.Coord(), y = f.Coord(), state = f.Below(9) - 2, mode = f.Below(3),
      offset = f.Below(3) ? run.src_h / 2 : f.Size(12);
  int cx = f.Coord(), cy = f.Coord(), percent = f.Below(140) - 20, row_limit = f.Size(30);
  bool ready = f.Below(3) != 0, filling = f.Below(2), own = f.Below(3) == 0, has_key = f.Below(4) != 0;
  int count = f.Below(7) - 1, type = f.Below(5) - 1;
  double ratio = f.Below(11) / 10.0;
  uint32_t color = f.Below(2) ? kPixKeyColor : 0x123456;
  run.paint = [=](const TPixels24& dst, const TPixels24& src, const TPixels24& cache) {
    TPixCache ci{cache, cx, cy, ready};
    TPixMask mask{src, own, r2, count, type};
    TPixKey key{has_key, color};
    switch (op) {
      case 0:
      case 13: PixDrawSkinMaskRect(dst, r1, filling, ci, mask, state); break;
      case 1: PixDrawSkinGlyph(dst, x, y, state, mask, mode); break;
      case 2:
      case 11:
      case 12: PixCopyBitmapRect(dst, r1, src, r2, offset, ci); break;
      case 3: PixCopyMasked(dst, r1, src, r2, offset, row_limit, mode, key); break;
      case 4: PixPaintMaskedRect(dst, src, x, y, r2, key); break;
      case 5: PixBlendRectWithColor(dst, x, y, key, ratio, src, r2); break;
      case 6: PixBlendBitmapRect(dst, src, 0x808080, r2, x, y); break;
      case 7: PixBlendColorRectPercent(dst, r1, percent, color); break;
      case 8: PixMaskBitmapPixels(dst, src, x, y, key); break;
      case 9: PixCopyRect(dst, x, y, src, r2); break;
      case 14: PixTileRect(dst, r1, src, r2); break;
      default: PixDrawSkinMaskRect(dst, r1, filling, ci, {src, false, r2, count, 1}, state); break;
    }
  };
  return run;
}

TEST(PaintFuzzTest, PaintersStayInsideTheirBitmaps) {
  TFuzz fuzz(20261207);
  for (int i = 0; i < 10000; ++i) {
    TRun run = RandomRun(fuzz);
    std::vector<uint32_t> first;
    for (uint32_t guard_seed : {1u, 2u}) {
      TGuardedPixels dst(run.dst_w, run.dst_h, 24, guard_seed);
      TGuardedPixels src(run.src_w, run.src_h, 24, guard_seed + 10);
      TGuardedPixels cache(run.cache_w, run.cache_h, 24, guard_seed + 20);
      dst.Fill(TargetColor);
      src.Fill(SourceColor);
      cache.Fill(CacheColor);
      run.paint(dst.View(), src.View(), cache.View());
      ASSERT_TRUE(dst.GuardIntact()) << "write outside the target in run " << i;
      ASSERT_TRUE(src.GuardIntact() && cache.GuardIntact()) << "write outside a source in run " << i;
      if (guard_seed == 1)
        first = dst.Inside();
      else
        ASSERT_TRUE(first == dst.Inside()) << "a pixel outside a source was read in run " << i;
    }
  }
}

// Mask rows below the source and cache pixels beyond the parent's bitmap are never taken.
TEST(PaintFuzzTest, MaskRowsAndCachePixelsOutsideTheirBitmapsAreNotRead) {
  std::vector<uint32_t> first;
  for (uint32_t guard_seed : {1u, 2u}) {
    TGuardedPixels dst(6, 4, 24, guard_seed), src(6, 6, 24, guard_seed + 10),
        cache(3, 3, 24, guard_seed + 20);
    dst.Fill(TargetColor);
    src.Fill([](int, int y) { return y < 3 ? kPixKeyColor : 0x000000u; });
    cache.Fill(CacheColor);
    // Image rows 1..3 of a 6-row source whose mask starts 3 rows lower: row 3 has no mask row.
    PixCopyBitmapRect(dst.View(), {0, 0, 6, 4}, src.View(), {0, 1, 6, 5}, 3, {cache.View(), 1, 1, true});
    ASSERT_TRUE(dst.GuardIntact());
    std::vector<uint32_t> inside = dst.Inside();
    if (guard_seed == 2) {
      EXPECT_TRUE(first == inside);
    }
    first = inside;
  }
  // Image rows 1 and 2 (key pixels over a black mask) show the cache where it reaches (x + 1 <
  // 3) and the key colour beyond; image row 3 has no mask row, so target rows 2 and 3 stay.
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) {
      uint32_t want = y >= 2 ? TargetColor(x, y) : x + 1 < 3 ? CacheColor(x + 1, y + 1) : kPixKeyColor;
      EXPECT_EQ(first[y * 6 + x], want) << x << "," << y;
    }
}

}  // namespace
