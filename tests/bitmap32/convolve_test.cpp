// 3 x 3 convolution and the preset kernels.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bitmap32/convolve.h"

namespace {

struct Pixels {
  Pixels(int w, int h, TColor32 fill) : data(static_cast<size_t>(w) * h, fill), width(w), height(h) {}
  TPixelMap Map() { return {data.data(), width, height}; }
  TColor32& At(int x, int y) { return data[static_cast<size_t>(y) * width + x]; }
  std::vector<TColor32> data;
  int width, height;
};

TEST(Convolution, MapsSmallerThanThreeStayAsTheyAre) {
  for (int index = 0; index < kPresetFilterCount; ++index) {
    Pixels p(2, 2, 0x11223344);
    p.At(1, 1) = 0x80FF0000;
    std::vector<TColor32> before = p.data;
    ApplyPresetFilterPixels(static_cast<uint8_t>(index), p.Map());
    EXPECT_EQ(p.data, before) << index;
  }
}

TEST(Convolution, SoftBlurKeepsUniformGreyAndMakesTheInsideOpaque) {
  Pixels p(5, 5, MakeColor32(100, 100, 100, 0));
  ApplyPresetFilterPixels(7, p.Map());
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool inside = x > 0 && x < 4 && y > 0 && y < 4;
      EXPECT_EQ(p.At(x, y), MakeColor32(100, 100, 100, inside ? 255 : 0)) << x << "," << y;
    }
}

TEST(Convolution, EdgeKernelGivesBlackOnUniformAreas) {
  Pixels p(4, 4, 0xFF8090A0);
  ApplyPresetFilterPixels(0, p.Map());
  EXPECT_EQ(p.At(1, 1), 0xFF000000u);
  EXPECT_EQ(p.At(2, 2), 0xFF000000u);
  EXPECT_EQ(p.At(0, 0), 0xFF8090A0u);
}

TEST(Convolution, NeighboursComeFromTheUnfilteredCopy) {
  // Binomial blur of one white dot: the weights 4, 2 and 1 of 16 appear around it, which
  // would not happen if filtered pixels fed the later ones.
  Pixels p(5, 5, 0xFF000000);
  p.At(2, 2) = 0xFFFFFFFF;
  ApplyPresetFilterPixels(17, p.Map());
  EXPECT_EQ(p.At(2, 2), MakeColor32(63, 63, 63));
  EXPECT_EQ(p.At(3, 2), MakeColor32(31, 31, 31));
  EXPECT_EQ(p.At(3, 3), MakeColor32(15, 15, 15));
  EXPECT_EQ(p.At(1, 1), MakeColor32(15, 15, 15));
}

TEST(Convolution, ChannelsAreClampedAndDividedSeparately) {
  Pixels p(3, 3, MakeColor32(0, 100, 255));
  p.At(1, 1) = MakeColor32(255, 101, 0);
  ApplyPresetFilterPixels(1, p.Map());  // 9 * centre - 8 neighbours
  EXPECT_EQ(p.At(1, 1), MakeColor32(255, 109, 0));
  Pixels q(3, 3, MakeColor32(10, 10, 10));
  ConvolvePixels({0, 0, 0, 0, 7, 0, 0, 0, 0}, 2, q.Map());
  EXPECT_EQ(q.At(1, 1), MakeColor32(35, 35, 35));
  EXPECT_FALSE(ConvolvePixels({0, 0, 0, 0, 1, 0, 0, 0, 0}, 0, q.Map()));
  EXPECT_EQ(q.At(1, 1), MakeColor32(35, 35, 35));
  // Weights as large as the kernel holds: the sums do not wrap round into the other sign.
  Pixels big(3, 3, MakeColor32(255, 0, 1));
  ConvolvePixels({0, 0, 0, 0, 1 << 24, 0, 0, 0, 0}, 1, big.Map());
  EXPECT_EQ(big.At(1, 1), MakeColor32(255, 0, 255));
  Pixels wide(3, 3, MakeColor32(255, 255, 255));
  ConvolvePixels({INT32_MIN, 0, 0, 0, INT32_MAX, 0, 0, 0, INT32_MAX}, 65535, wide.Map());
  EXPECT_EQ(wide.At(1, 1), MakeColor32(255, 255, 255));
}

TEST(Convolution, PresetIndexUsesItsLowSevenBits) {
  Pixels a(3, 3, MakeColor32(10, 20, 30, 0)), b = a;
  a.At(1, 1) = b.At(1, 1) = MakeColor32(200, 100, 0, 0);
  ApplyPresetFilterPixels(135, a.Map());
  ApplyPresetFilterPixels(7, b.Map());
  EXPECT_EQ(a.data, b.data);
  for (uint8_t index : {18, 127, 255}) {
    Pixels c(3, 3, 0x12345678);
    ApplyPresetFilterPixels(index, c.Map());
    EXPECT_EQ(c.At(1, 1), 0x12345678u) << int(index);
  }
}

}  // namespace
