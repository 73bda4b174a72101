// 3 x 3 integer convolution of red, green and blue, and the eighteen preset kernels.
// Free of Win32.
#pragma once

#include <array>
#include <cstdint>

#include "bitmap32/resample.h"

// Row above, own row, row below; left, centre, right in each.
using TKernel3x3 = std::array<int32_t, 9>;

// Filters the pixels in place from a copy of them; the outermost rows and columns stay, every
// filtered pixel becomes opaque. Maps narrower or lower than 3 pixels are not changed. Returns
// false (and changes nothing) for a divisor of 0.
bool ConvolvePixels(const TKernel3x3& kernel, uint16_t divisor, const TPixelMap& pixels);

struct TPresetFilter {
  TKernel3x3 kernel;
  uint16_t divisor;
};
constexpr int kPresetFilterCount = 18;
const TPresetFilter& PresetFilter(int index);
// Index and 127 chooses the preset; nothing above 17.
void ApplyPresetFilterPixels(uint8_t index, const TPixelMap& pixels);
