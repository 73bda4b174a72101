// Pixel buffers for the painter tests: views with guard borders that must stay untouched,
// bitmaps filled from a colour function, and a pixel-by-pixel comparison.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "skin/engine/spixels.h"
#include "toolkit/bitmap.h"

// A view of width x height inside a larger buffer: `guard` pixels on every side are filled
// with a pattern (seeded by guard_seed) so that writes there, and reads whose result depends
// on them, can be found.
class TGuardedPixels {
 public:
  TGuardedPixels(int width, int height, int guard = 24, uint32_t guard_seed = 1);
  const TPixels24& View() const { return view_; }
  // Fills the inside; the guard keeps its pattern.
  void Fill(const std::function<uint32_t(int x, int y)>& color);
  // True when no guard byte differs from the pattern.
  bool GuardIntact() const;
  // The inside, row by row, as 0x00BBGGRR values.
  std::vector<uint32_t> Inside() const;

 private:
  uint8_t GuardByte(size_t index) const;
  int width_, height_, guard_;
  uint32_t seed_;
  ptrdiff_t stride_;
  std::vector<uint8_t> bytes_;
  TPixels24 view_;
};

// A 24-bit bitmap of that size whose pixels come from color(x, y).
std::unique_ptr<TBitmap> MakeBitmap(int width, int height,
                                    const std::function<uint32_t(int x, int y)>& color);
uint32_t PixelOf(TBitmap* bmp, int x, int y);
// Compares every pixel with expected(x, y) and reports the first few differences.
::testing::AssertionResult PixelsAre(TBitmap* bmp, const std::function<uint32_t(int x, int y)>& expected);
std::string Hex(uint32_t color);
