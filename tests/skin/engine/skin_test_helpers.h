// Shared by the skin painting tests: synthetic skin images whose every cell has its own colour,
// the mixing rules worked out by hand, and bitmaps that notice writes past their rows.
#pragma once

#include <windows.h>

#include <cstring>
#include <ostream>
#include <string>

#include "tests/toolkit/graphics_test_helpers.h"

// Rectangles compared whole in expectations (found by argument lookup: RECT is global).
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}
inline std::ostream& operator<<(std::ostream& out, const RECT& r) {
  return out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

namespace skin_test {

using graphics_test::Make;
using graphics_test::Owned;

// Colour of cell (cx, cy) of state s: distinct for every cell, never the key colour.
constexpr TColor CellColor(int state, int cx, int cy) {
  return RGB(40 + 60 * state, 30 + 70 * cx, 30 + 70 * cy);
}
// Mask value of an image pixel (x, y) when the image has an alpha mask: varied, 0..255.
constexpr int MaskValue(int x, int y) { return (x * 37 + y * 11) % 256; }

// A state strip of three states, each a 3 x 3 grid of (width div 9) x (height div 6) cells,
// image in the upper half and mask in the lower half (all black when !alpha: the image shows
// as it is). Pixels beyond the grid (widths not a multiple of 9) are white.
inline Owned<TBitmap> StateStrip(int width, int height, bool alpha) {
  auto bmp = graphics_test::Filled(width, height, clWhite);
  const int cw = width / 9, ch = height / 6, half = height / 2;
  if (cw < 1 || ch < 1) return bmp;
  for (int y = 0; y < half; ++y) {
    uint8_t* img = bmp->GetScanLine(y);
    uint8_t* mask = bmp->GetScanLine(y + half);
    for (int x = 0; x < 9 * cw; ++x) {
      const int state = x / (3 * cw), cx = x % (3 * cw) / cw, cy = std::min(y / ch, 2);
      const TColor c = CellColor(state, cx, cy);
      img[x * 3] = GetBValue(c), img[x * 3 + 1] = GetGValue(c), img[x * 3 + 2] = GetRValue(c);
      const int m = alpha ? MaskValue(x, y) : 0;
      mask[x * 3] = mask[x * 3 + 1] = mask[x * 3 + 2] = static_cast<uint8_t>(m);
    }
  }
  return bmp;
}

// (D * M + S * (256 - M)) div 256 on each channel, M the grey mask value.
inline TColor AlphaMix(TColor d, TColor s, int m) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) {
    const int dv = (d >> shift) & 0xFF, sv = (s >> shift) & 0xFF;
    out |= ((dv * m + sv * (256 - m)) / 256) << shift;
  }
  return out;
}

// A 24-bit bitmap whose row padding bytes hold a canary: a write past the end of a row shows.
// (Rows out of range cannot be reached: GetScanLine raises for them.)
class GuardedBitmap {
 public:
  GuardedBitmap(int width, int height, TColor color)
      : GuardedBitmap(width > 0 && height > 0 ? graphics_test::Filled(width, height, color) : Empty24()) {}
  explicit GuardedBitmap(Owned<TBitmap> bmp) : bmp_(std::move(bmp)) {
    for (int y = 0; y < bmp_->GetHeight(); ++y) {
      uint8_t* row = bmp_->GetScanLine(y);
      std::memset(row + bmp_->GetWidth() * 3, kCanary, bmp_->GetRowBytes() - bmp_->GetWidth() * 3);
    }
  }
  TBitmap* get() const { return bmp_.get(); }
  bool Intact() const {
    for (int y = 0; y < bmp_->GetHeight(); ++y) {
      const uint8_t* row = bmp_->GetScanLine(y);
      for (int i = bmp_->GetWidth() * 3; i < bmp_->GetRowBytes(); ++i)
        if (row[i] != kCanary) return false;
    }
    return true;
  }

 private:
  static Owned<TBitmap> Empty24() {
    auto bmp = Make<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    return bmp;
  }
  static constexpr uint8_t kCanary = 0xA5;
  Owned<TBitmap> bmp_;
};

// A folder of its own under the temporary folder.
inline std::string TempFolder() {
  char base[MAX_PATH];
  GetTempPathA(MAX_PATH, base);
  const std::string dir = std::string(base) + "dravolin_skin_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(dir.c_str(), nullptr);
  return dir;
}

}  // namespace skin_test
