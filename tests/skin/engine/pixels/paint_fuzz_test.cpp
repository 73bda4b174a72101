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
    if (kind < 4) return -Below(12);
    return Below(45);
  }
  TPixRect Rect() { return {Coord(), Coord(), Coord(), Coord()}; }
  // A rectangle with its corners near each other, as skin data mostly gives.
  TPixRect NearRect() {
    int l = Coord(), t = Coord();
    if (Below(10) == 0) return Rect();
    return {l, t, static_cast<int>(std::clamp<int64_t>(int64_t{l} + Below(40) - 3, INT_MIN, INT_MAX)),
            static_cast<int>(std::clamp<int64_t>(int64_t{t} + Below(30) - 3, INT_MIN, INT_MAX))};
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
  run.dst_w = f.Size(30), run.dst_h = f.Size(24);
  run.src_w = f.Size(40), run.src_h = f.Size(30);
  run.cache_w = f.Size(50), run.cache_h = f.Size(40);
  int op = f.Below(11);
  TPixRect r1 = f.NearRect(), r2 = f.NearRect();
  int x = f.Coord(), y = f.Coord(), state = f.Below(9) - 2, mode = f.Below(3), offset = f.Size(20);
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
      case 0: PixDrawSkinMaskRect(dst, r1, filling, ci, mask, state); break;
      case 1: PixDrawSkinGlyph(dst, x, y, state, mask, mode); break;
      case 2: PixCopyBitmapRect(dst, r1, src, r2, offset, ci); break;
      case 3: PixCopyMasked(dst, r1, src, r2, offset, row_limit, mode, key); break;
      case 4: PixPaintMaskedRect(dst, src, x, y, r2, key); break;
      case 5: PixBlendRectWithColor(dst, x, y, key, ratio, src, r2); break;
      case 6: PixBlendBitmapRect(dst, src, 0x808080, r2, x, y); break;
      case 7: PixBlendColorRectPercent(dst, r1, percent, color); break;
      case 8: PixMaskBitmapPixels(dst, src, x, y, key); break;
      case 9: PixCopyRect(dst, x, y, src, r2); break;
      default: PixDrawSkinMaskRect(dst, r1, filling, ci, {src, false, r2, count, 1}, state); break;
    }
  };
  return run;
}

TEST(PaintFuzzTest, PaintersStayInsideTheirBitmaps) {
  TFuzz fuzz(20261207);
  for (int i = 0; i < 4000; ++i) {
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
        ASSERT_EQ(first, dst.Inside()) << "a pixel outside a source was read in run " << i;
    }
  }
}

}  // namespace
