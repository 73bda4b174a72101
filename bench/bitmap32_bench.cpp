// Native benchmark of the 32-bit bitmap arithmetic beside its peers: blending against pixman's
// OVER, resampling against stb_image_resize with the same kernels (time and PSNR), and the
// shadow label's convolution, ours and the peer's run in turn. Prints one Markdown table. "--tiny" runs small
// sizes once, so that the suite keeps it building and running.
#include <pixman.h>
// Debian's libstb is built with its assertions on, and one of them (the coefficient sum of
// the triangle filter when reducing 42 rows to 31) fires: the implementation is compiled
// here without them.
#define STB_IMAGE_RESIZE_IMPLEMENTATION
#define STBIR_ASSERT(x) ((void)0)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wunused-but-set-variable"
#include <stb_image_resize.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "bitmap32/blend.h"
#include "bitmap32/convolve.h"
#include "bitmap32/resample.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(const std::function<void()>& fn) {
  auto start = Clock::now();
  fn();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// Ours and the peer's timed in turn, `runs` rounds, the one to go first changing each round,
// so a machine that gets busier or quieter meanwhile weighs on both alike: the median time of
// each (seconds) and the median of the rounds' ratios.
struct TInterleaved {
  double ours, peer, ratio;
};
TInterleaved Interleave(int runs, const std::function<void()>& ours, const std::function<void()>& peer) {
  std::vector<double> t_ours, t_peer, ratios;
  for (int i = 0; i < runs; ++i) {
    double a, b;
    if (i % 2) {
      b = Seconds(peer);
      a = Seconds(ours);
    } else {
      a = Seconds(ours);
      b = Seconds(peer);
    }
    t_ours.push_back(a);
    t_peer.push_back(b);
    ratios.push_back(a / b);
  }
  return {Median(t_ours), Median(t_peer), Median(ratios)};
}

// A picture with smooth areas, hard edges and fine detail, opaque.
std::vector<TColor32> Picture(int w, int h) {
  std::vector<TColor32> p(static_cast<size_t>(w) * h);
  std::mt19937 random(7);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const double u = static_cast<double>(x) / w, v = static_cast<double>(y) / h;
      int r = static_cast<int>(128 + 100 * std::sin(9 * u + 3 * v));
      int g = static_cast<int>(128 + 100 * std::cos(5 * v - 4 * u * v));
      int b = ((x / 13 + y / 9) % 2) ? 220 : 40;  // hard-edged blocks
      if ((x * 7 + y * 3) % 97 < 5) r = g = 250;  // thin strokes
      r += static_cast<int>(random() % 9) - 4;
      p[static_cast<size_t>(y) * w + x] = MakeColor32(ClampByte(r), ClampByte(g), ClampByte(b), 255);
    }
  return p;
}

double Psnr(const std::vector<TColor32>& a, const std::vector<TColor32>& b) {
  double sum = 0;
  for (size_t i = 0; i < a.size(); ++i)
    for (int c = 0; c < 24; c += 8) {
      const double d = static_cast<double>((a[i] >> c) & 0xFF) - static_cast<double>((b[i] >> c) & 0xFF);
      sum += d * d;
    }
  const double mse = sum / (a.size() * 3.0);
  return mse == 0 ? 99.0 : 10 * std::log10(255.0 * 255.0 / mse);
}

void BlendRows(bool tiny) {
  const int w = tiny ? 64 : 1920, h = tiny ? 36 : 1080, runs = tiny ? 1 : 15;
  const size_t n = static_cast<size_t>(w) * h;
  std::mt19937 random(1);
  std::vector<TColor32> src(n), dst(n), premultiplied(n);
  for (size_t i = 0; i < n; ++i) {
    src[i] = random();
    dst[i] = random() | 0xFF000000;
    const uint32_t a = src[i] >> 24;
    premultiplied[i] = (a << 24) | (((src[i] >> 16 & 0xFF) * a / 255) << 16) |
                       (((src[i] >> 8 & 0xFF) * a / 255) << 8) | ((src[i] & 0xFF) * a / 255);
  }
  std::vector<TColor32> work = dst;
  pixman_image_t* s = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, premultiplied.data(), w * 4);
  pixman_image_t* d = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, work.data(), w * 4);
  auto pixman = [&] { pixman_image_composite32(PIXMAN_OP_OVER, s, nullptr, d, 0, 0, 0, 0, 0, 0, w, h); };
  TInterleaved ours[2];
  for (int mm = 0; mm < 2; ++mm) {
    SelectBlendVariants(mm == 1);
    ours[mm] = Interleave(
        runs,
        [&] {
          for (int y = 0; y < h; ++y)
            BlendRow(src.data() + static_cast<size_t>(y) * w, work.data() + static_cast<size_t>(y) * w, w);
        },
        pixman);
  }
  pixman_image_unref(s);
  pixman_image_unref(d);
  const double ns = 1e9 / static_cast<double>(n);
  std::printf(
      "| BlendRow, %d x %d, random alpha | plain %.2f ns/px, multimedia %.2f ns/px | pixman OVER %.2f / %.2f "
      "ns/px | %.2fx / %.2fx | |\n",
      w, h, ours[0].ours * ns, ours[1].ours * ns, ours[0].peer * ns, ours[1].peer * ns, ours[0].ratio,
      ours[1].ratio);
}

void Resize(int sw, int sh, int dw, int dh, int runs) {
  const std::vector<TColor32> src = Picture(sw, sh);
  const struct {
    TStretchFilter ours;
    stbir_filter theirs;
    const char* name;
  } pairs[] = {{sfSpline, STBIR_FILTER_CUBICBSPLINE, "sfSpline / cubic B-spline"},
               {sfMitchell, STBIR_FILTER_MITCHELL, "sfMitchell / Mitchell"},
               {sfLinear, STBIR_FILTER_TRIANGLE, "sfLinear / triangle"}};
  for (const auto& pair : pairs) {
    std::vector<TColor32> ours(static_cast<size_t>(dw) * dh), theirs(ours.size());
    TTransferMode mode;
    mode.filter = pair.ours;
    const TInterleaved t = Interleave(
        runs,
        [&] {
          StretchPixels({ours.data(), dw, dh}, {0, 0, dw, dh}, {0, 0, dw, dh},
                        {const_cast<TColor32*>(src.data()), sw, sh}, {0, 0, sw, sh}, mode);
        },
        [&] {
          stbir_resize_uint8_generic(reinterpret_cast<const unsigned char*>(src.data()), sw, sh, sw * 4,
                                     reinterpret_cast<unsigned char*>(theirs.data()), dw, dh, dw * 4, 4,
                                     STBIR_ALPHA_CHANNEL_NONE, 0, STBIR_EDGE_CLAMP, pair.theirs,
                                     STBIR_COLORSPACE_LINEAR, nullptr);
        });
    std::printf("| StretchTransfer %s, %d x %d -> %d x %d | %.3f ms | stb %.3f ms | %.2fx | %.1f dB |\n",
                pair.name, sw, sh, dw, dh, t.ours * 1e3, t.peer * 1e3, t.ratio, Psnr(ours, theirs));
  }
}

void Convolution(bool tiny) {
  const int w = tiny ? 80 : 1920, h = tiny ? 45 : 1080, runs = tiny ? 1 : 5;
  std::vector<TColor32> p = Picture(w, h);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i)
    times.push_back(Seconds([&] { ApplyPresetFilterPixels(7, {p.data(), w, h}); }));
  const double t = Median(times);
  std::printf("| ApplyPresetFilter32(7), %d x %d | %.3f ms (%.2f ns/px) | | | |\n", w, h, t * 1e3,
              t * 1e9 / (w * h));
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);
  const bool tiny = argc > 1 && std::strcmp(argv[1], "--tiny") == 0;
  InitBlending();
  const bool multimedia = MultimediaInUse();
  std::printf(
      "| operation | ours (median) | peer (median) | ratio (median of the runs' ratios) | PSNR vs peer "
      "|\n|---|---|---|---|---|\n");
  BlendRows(tiny);
  SelectBlendVariants(multimedia);
  const int runs = tiny ? 1 : 10;
  Resize(191, 42, 257, 31, tiny ? 1 : 200);
  if (tiny) {
    Resize(240, 135, 80, 45, runs);
    Resize(80, 45, 240, 135, runs);
  } else {
    Resize(1920, 1080, 640, 360, runs);
    Resize(640, 360, 1920, 1080, runs);
  }
  Convolution(tiny);
  return 0;
}
