// Blends, the disabled look and soft shadows on bitmaps: thin adapters over the pixel cores.
#include "skin/engine/sblend.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <memory>

#include "skin/engine/smaskpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/controls.h"
#include "toolkit/graphics.h"

namespace {

// Shadows of rectangles this large are refused: GDI does not draw them.
constexpr int64_t kFarShadow = int64_t{1} << 26;

uint32_t Absolute(TColor color) { return static_cast<uint32_t>(ColorToRGB(color)) & 0xFFFFFF; }

}  // namespace

void BlendColorRectPercent(TBitmap* bmp, const RECT& r, int transparency, TColor color) {
  PixBlendColorRectPercent(Pixels24(bmp), {r.left, r.top, r.right, r.bottom}, transparency, Absolute(color));
}

void BlendBitmaps(TBitmap* a, TBitmap* b, uint8_t alpha) { PixBlendBitmaps(Pixels24(a), Pixels24(b), alpha); }

void BlendBitmapRect(TBitmap* dst, TBitmap* src, TColor weight, const RECT& src_rect, POINT dst_point) {
  PixBlendBitmapRect(Pixels24(dst), Pixels24(src), Absolute(weight),
                     {src_rect.left, src_rect.top, src_rect.right, src_rect.bottom}, dst_point.x,
                     dst_point.y);
}

void BlendColorByMask(TBitmap* bmp, TBitmap* mask, TColor color) {
  PixBlendColorByMask(Pixels24(bmp), Pixels24(mask), Absolute(color));
}

void BlendBitmapPixels(TBitmap* bmp, TColor trans_color, TColor color, double ratio) {
  PixBlendBitmapPixels(Pixels24(bmp), PixKeyOf(trans_color), Absolute(color), ratio);
}

void GrayScaleBitmap(TBitmap* bmp, TColor trans_color) { PixGrayScale(Pixels24(bmp), PixKeyOf(trans_color)); }

void ProcessBitmapPixels(TBitmap* bmp) { PixGrayScale(Pixels24(bmp), {}); }

void MaskBitmapPixels(TBitmap* dst, TBitmap* src, int x, int y, TColor trans_color) {
  PixMaskBitmapPixels(Pixels24(dst), Pixels24(src), x, y, PixKeyOf(trans_color));
}

int ShadowCornerSize(int radius, int w, int h) {
  // The platform takes the magnitude of a negative corner size; that of INT_MIN overflows.
  return std::clamp(radius, -INT_MAX, std::min(w / 2, h / 2));
}

void PaintShadow(TBitmap* bmp, const RECT& r, int transparency, TColor color, int blur, int radius) {
  TPixels24 target = Pixels24(bmp);
  int64_t full_w = int64_t{r.right} - r.left, full_h = int64_t{r.bottom} - r.top;
  if (target.Empty() || full_w <= 0 || full_h <= 0 || full_w >= kFarShadow || full_h >= kFarShadow) return;
  // Only the part of r inside the bitmap is worked on; the rings keep their place in r.
  RECT part{std::max<LONG>(r.left, 0), std::max<LONG>(r.top, 0), std::min<LONG>(r.right, target.Width),
            std::min<LONG>(r.bottom, target.Height)};
  if (part.left >= part.right || part.top >= part.bottom) return;
  int w = static_cast<int>(full_w), h = static_cast<int>(full_h);
  int pw = part.right - part.left, ph = part.bottom - part.top, ox = r.left - part.left,
      oy = r.top - part.top;
  // Capped from above only: below 0 no ring is drawn and the last rectangle, white, covers the
  // whole mask. Every blur below -1 gives that same picture; -1 keeps the corners' arithmetic
  // inside int.
  blur = std::clamp(blur, -1, std::min(w / 2, h / 2));
  radius = ShadowCornerSize(radius, w, h);
  auto work = std::make_unique<TBitmap>();
  work->SetPixelFormat(pf24bit);
  work->SetSize(pw, ph);
  PixCopyRect(Pixels24(work.get()), 0, 0, target, {part.left, part.top, part.right, part.bottom});
  auto mask = std::make_unique<TBitmap>();
  mask->SetPixelFormat(pf24bit);
  mask->SetSize(pw, ph);
  TCanvas* canvas = mask->GetCanvas();
  canvas->GetPen()->SetStyle(psClear);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(clWhite);
  canvas->FillRect({0, 0, pw, ph});
  // Not clamped: a transparency outside 0..100 gives greys taken in 8 bits (64-bit arithmetic
  // keeps the product defined for any int).
  const int64_t t = int64_t{transparency} * 255 / 100;
  const double step = blur >= 0 ? (255.0 - t) / (blur + 1) : 0.0;
  TColor brush = clWhite;
  for (int i = 0; i <= blur; ++i) {
    canvas->GetBrush()->SetColor(brush);
    canvas->RoundRect(ox + i, oy + i, ox + w - i, oy + h - i, radius, radius);
    const int grey = static_cast<int>((t + std::llrint((blur - i) * step)) & 0xFF);
    brush = RGB(grey, grey, grey);
  }
  canvas->GetBrush()->SetColor(brush);
  canvas->RoundRect(ox + blur, oy + blur, ox + w - blur, oy + h - blur, radius, radius);
  TPixels24 work_pixels = Pixels24(work.get());
  PixBlendColorByMask(work_pixels, Pixels24(mask.get()), Absolute(color));
  PixCopyRect(target, part.left, part.top, work_pixels, {0, 0, pw, ph});
}

void FillControlBG(TBitmap* bmp, TsDisabledKind kind, TControl* control, POINT offset,
                   const TsCacheInfo& ci) {
  if (kind.Contains(dkGrayed)) ProcessBitmapPixels(bmp);
  if (!kind.Contains(dkBlended) || !bmp) return;
  int w = bmp->GetWidth(), h = bmp->GetHeight();
  if (ci.Ready && ci.Bmp) {
    int x = ci.X + offset.x, y = ci.Y + offset.y;
    BlendRectWithColor(bmp, 0, 0, sNoKeyColor, 0.5, {x, y, x + w - 1, y + h - 1}, ci.Bmp);
  } else {
    PaintShadow(bmp, {0, 0, w, h}, 50, control ? control->GetColor() : clBtnFace, 0, 0);
  }
}
