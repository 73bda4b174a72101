// Pixel buffers for the painter tests.
#include "pixels_support.h"

#include <cstdio>

#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskintables.h"

// ---- Guarded views ------------------------------------------------------------------------

TGuardedPixels::TGuardedPixels(int width, int height, int guard, uint32_t guard_seed)
    : width_(std::max(width, 0)), height_(std::max(height, 0)), guard_(guard), seed_(guard_seed) {
  stride_ = (width_ + 2 * guard_) * 3 + 5;  // odd padding: rows do not line up with pixels
  bytes_.resize(static_cast<size_t>(stride_) * (height_ + 2 * guard_));
  for (size_t i = 0; i < bytes_.size(); ++i) bytes_[i] = GuardByte(i);
  view_.Bits = bytes_.data() + guard_ * stride_ + guard_ * 3;
  view_.Width = width;
  view_.Height = height;
  view_.Stride = stride_;
}

uint8_t TGuardedPixels::GuardByte(size_t index) const {
  uint32_t v = static_cast<uint32_t>(index) * 2654435761u ^ seed_ * 40503u;
  return static_cast<uint8_t>(v >> 13);
}

void TGuardedPixels::Fill(const std::function<uint32_t(int x, int y)>& color) {
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) view_.SetColor(x, y, color(x, y));
}

bool TGuardedPixels::GuardIntact() const {
  const uint8_t* inside = view_.Bits;
  for (size_t i = 0; i < bytes_.size(); ++i) {
    ptrdiff_t offset = bytes_.data() + i - inside;
    ptrdiff_t row = offset >= 0 ? offset / stride_ : -1;
    ptrdiff_t col = offset >= 0 ? offset % stride_ : -1;
    bool is_inside = offset >= 0 && row < height_ && col < width_ * 3;
    if (!is_inside && bytes_[i] != GuardByte(i)) return false;
  }
  return true;
}

std::vector<uint32_t> TGuardedPixels::Inside() const {
  std::vector<uint32_t> pixels;
  for (int y = 0; y < height_; ++y)
    for (int x = 0; x < width_; ++x) pixels.push_back(view_.Color(x, y));
  return pixels;
}

// ---- Bitmaps ------------------------------------------------------------------------------

std::unique_ptr<TBitmap> MakeBitmap(int width, int height,
                                    const std::function<uint32_t(int x, int y)>& color) {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  TPixels24 view = Pixels24(bmp.get());
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) view.SetColor(x, y, color(x, y));
  return bmp;
}

uint32_t PixelOf(TBitmap* bmp, int x, int y) { return Pixels24(bmp).Color(x, y); }

std::string Hex(uint32_t color) {
  char text[16];
  std::snprintf(text, sizeof text, "%06X", color);
  return text;
}

::testing::AssertionResult PixelsAre(TBitmap* bmp, const std::function<uint32_t(int x, int y)>& expected) {
  TPixels24 view = Pixels24(bmp);
  int wrong = 0;
  std::string report;
  for (int y = 0; y < view.Height; ++y)
    for (int x = 0; x < view.Width; ++x) {
      uint32_t want = expected(x, y), got = view.Color(x, y);
      if (want == got) continue;
      if (++wrong <= 8)
        report += " (" + std::to_string(x) + "," + std::to_string(y) + "): " + Hex(got) + " instead of " +
                  Hex(want);
    }
  if (!wrong) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << wrong << " pixels differ:" << report;
}
