// A synthetic skin image for the painter tests: three states of 3 x 3 cells side by side (9 x 3
// cells), over an alpha mask of the same shape (9 x 6 cells in all). Every cell and every
// pixel of a cell has its own colour; the first pixel of every cell is the key colour.
#pragma once

#include <cstdint>

#include "skin/engine/spixels.h"

struct TSyntheticMask {
  int cw = 4;
  int ch = 3;
  bool alpha = true;  // false: a black mask, the image shows as it is

  int Width() const { return 9 * cw; }
  int ImageHeight() const { return 3 * ch; }
  // Image pixel (x, y) of the strip, y < ImageHeight().
  uint32_t Image(int x, int y) const {
    int cell_x = x / cw, cell_y = y / ch, px = x % cw, py = y % ch;
    if (px == 0 && py == 0) return kPixKeyColor;
    uint32_t r = 10 + cell_x * 27, g = 10 + cell_y * 70 + py * 9, b = 30 + px * 50 + py * 3;
    return r | g << 8 | b << 16;
  }
  uint32_t Mask(int x, int y) const {
    if (!alpha) return 0;
    uint32_t r = (x * 41 + y * 23) % 256, g = (x * 13 + y * 57 + 100) % 256, b = (x * 7 + y * 31 + 200) % 256;
    return r | g << 8 | b << 16;
  }
  // The whole strip: image rows, then (with_mask) the mask rows.
  uint32_t Strip(int x, int y) const { return y < ImageHeight() ? Image(x, y) : Mask(x, y - ImageHeight()); }
};

// (D * M + S * (256 - M)) div 256 per channel.
inline uint32_t MaskMixed(uint32_t d, uint32_t s, uint32_t m) {
  uint32_t out = 0;
  for (int shift = 0; shift < 24; shift += 8) {
    uint32_t dc = d >> shift & 255, sc = s >> shift & 255, mc = m >> shift & 255;
    out |= ((dc * mc + sc * (256 - mc)) / 256) << shift;
  }
  return out;
}
