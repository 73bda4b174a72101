#include "bitmap32/convolve.h"

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

bool ConvolvePixels(const TKernel3x3& kernel, uint16_t divisor, const TPixelMap& pixels) {
  if (divisor == 0) return false;
  if (pixels.Empty() || pixels.width < 3 || pixels.height < 3) return true;
  const int w = pixels.width;
  // Neighbours always come from the copy, so results never feed later pixels.
  std::vector<TColor32> copy(pixels.bits, pixels.bits + static_cast<size_t>(w) * pixels.height);
  for (int y = 1; y < pixels.height - 1; ++y) {
    const TColor32* rows[3] = {&copy[static_cast<size_t>(y - 1) * w], &copy[static_cast<size_t>(y) * w],
                               &copy[static_cast<size_t>(y + 1) * w]};
    TColor32* out = pixels.Row(y);
    for (int x = 1; x < w - 1; ++x) {
      int32_t sum[3] = {0, 0, 0};  // red, green, blue
      for (int k = 0; k < 9; ++k) {
        const TColor32 c = rows[k / 3][x - 1 + k % 3];
        sum[0] += kernel[k] * RedOf(c);
        sum[1] += kernel[k] * GreenOf(c);
        sum[2] += kernel[k] * BlueOf(c);
      }
      // Signed division truncates toward zero, as the sum may be negative.
      out[x] = MakeColor32(ClampByte(sum[0] / divisor), ClampByte(sum[1] / divisor),
                           ClampByte(sum[2] / divisor), 255);
    }
  }
  return true;
}

void ApplyPresetFilterPixels(uint8_t index, const TPixelMap& pixels) {
  index &= 127;
  if (index >= kPresetFilterCount) return;
  ConvolvePixels(kPresets[index].kernel, kPresets[index].divisor, pixels);
}
