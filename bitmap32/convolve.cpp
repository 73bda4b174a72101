#include "bitmap32/convolve.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

const TPresetFilter kPresets[kPresetFilterCount] = {
    {{-1, -1, -1, -1, 8, -1, -1, -1, -1}, 1}, {{-1, -1, -1, -1, 9, -1, -1, -1, -1}, 1},
    {{-1, -1, -1, 1, -2, 1, 1, 1, 1}, 1},     {{-1, -1, -1, -1, 16, -1, -1, -1, -1}, 8},
    {{0, -1, 0, -1, 5, -1, 0, -1, 0}, 1},     {{1, 0, 1, 0, 0, 0, 1, 0, -2}, 1},
    {{2, 2, 2, 2, 0, 2, 2, 2, 2}, 16},        {{3, 3, 3, 3, 8, 3, 3, 3, 3}, 32},
    {{0, 1, 0, 1, -4, 1, 0, 1, 0}, 1},        {{1, -2, 1, -2, 4, -2, 1, -2, 1}, 1},
    {{1, -2, 1, -2, 5, -2, 1, -2, 1}, 1},     {{1, 1, 1, 1, -2, 1, -1, -1, -1}, 1},
    {{1, 2, 1, 0, 0, 0, -1, -2, -1}, 1},      {{1, 0, -1, 2, 0, -2, 1, 0, -1}, 1},
    {{1, 1, 1, 0, 0, 0, -1, -1, -1}, 1},      {{1, 0, -1, 1, 0, -1, 1, 0, -1}, 1},
    {{-1, -1, -1, -1, 7, -1, -1, -1, -1}, 1}, {{1, 2, 1, 2, 4, 2, 1, 2, 1}, 16},
};

}  // namespace

const TPresetFilter& PresetFilter(int index) { return kPresets[index]; }

namespace {

// Divide gives sum / divisor truncated toward zero; the presets' divisors are constants to the
// compiler (shifts instead of three divisions per pixel). Sum is wide enough for the kernel:
// 32 bits for small weights (every preset's), 64 for weights as large as they come.
template <class Sum, class Divide>
void Convolve(const TKernel3x3& kernel, const TPixelMap& pixels, Divide divide) {
  const int w = pixels.width;
  // Neighbours always come from the copy, so results never feed later pixels.
  std::vector<TColor32> copy(pixels.bits, pixels.bits + static_cast<size_t>(w) * pixels.height);
  for (int y = 1; y < pixels.height - 1; ++y) {
    const TColor32* rows[3] = {&copy[static_cast<size_t>(y - 1) * w], &copy[static_cast<size_t>(y) * w],
                               &copy[static_cast<size_t>(y + 1) * w]};
    TColor32* out = pixels.Row(y);
    for (int x = 1; x < w - 1; ++x) {
      Sum sum[3] = {0, 0, 0};  // red, green, blue
      for (int dy = 0; dy < 3; ++dy)
        for (int dx = 0; dx < 3; ++dx) {
          const TColor32 c = rows[dy][x - 1 + dx];
          const Sum k = kernel[dy * 3 + dx];
          sum[0] += k * RedOf(c);
          sum[1] += k * GreenOf(c);
          sum[2] += k * BlueOf(c);
        }
      auto channel = [&](Sum value) { return static_cast<int>(std::clamp<Sum>(divide(value), 0, 255)); };
      out[x] = MakeColor32(channel(sum[0]), channel(sum[1]), channel(sum[2]), 255);
    }
  }
}

// Nine weights whose sum over a channel of 255 stays inside 32 bits (every preset's do).
bool SmallKernel(const TKernel3x3& kernel) {
  int64_t weight = 0;
  for (int32_t k : kernel) weight += k < 0 ? -int64_t{k} : int64_t{k};
  return weight * 255 <= INT32_MAX;
}

template <int32_t D>
void ConvolveBy(const TKernel3x3& kernel, const TPixelMap& pixels) {
  Convolve<int32_t>(kernel, pixels, [](int32_t sum) { return sum / D; });
}

}  // namespace

bool ConvolvePixels(const TKernel3x3& kernel, uint16_t divisor, const TPixelMap& pixels) {
  if (divisor == 0) return false;
  if (pixels.Empty() || pixels.width < 3 || pixels.height < 3) return true;
  if (!SmallKernel(kernel)) {
    Convolve<int64_t>(kernel, pixels, [d = int64_t{divisor}](int64_t sum) { return sum / d; });
    return true;
  }
  switch (divisor) {
    case 1: ConvolveBy<1>(kernel, pixels); break;
    case 8: ConvolveBy<8>(kernel, pixels); break;
    case 16: ConvolveBy<16>(kernel, pixels); break;
    case 32: ConvolveBy<32>(kernel, pixels); break;
    default:
      Convolve<int32_t>(kernel, pixels, [d = int32_t{divisor}](int32_t sum) { return sum / d; });
      break;
  }
  return true;
}

void ApplyPresetFilterPixels(uint8_t index, const TPixelMap& pixels) {
  index &= 127;
  if (index >= kPresetFilterCount) return;
  ConvolvePixels(kPresets[index].kernel, kPresets[index].divisor, pixels);
}
