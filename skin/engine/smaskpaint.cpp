// The mask painters on bitmaps: thin adapters over the pixel cores.
#include "skin/engine/smaskpaint.h"

#include <algorithm>

#include "toolkit/bitmap.h"

namespace {

// Half the height of a mask rectangle: where its alpha mask starts below the image.
int HalfHeight(const RECT& r) { return static_cast<int>((int64_t{r.bottom} - r.top) / 2); }

}  // namespace

TPixels24 Pixels24(TBitmap* bmp) {
  if (!bmp) return {};
  if (bmp->GetPixelFormat() != pf24bit) bmp->SetPixelFormat(pf24bit);
  if (bmp->GetWidth() <= 0 || bmp->GetHeight() <= 0 || bmp->GetEmpty()) return {};
  return {bmp->GetScanLine(0), bmp->GetWidth(), bmp->GetHeight(), bmp->GetRowBytes()};
}

TPixCache PixCacheOf(const TsCacheInfo& ci) {
  if (!ci.Ready || !ci.Bmp) return {};
  return {Pixels24(ci.Bmp), ci.X, ci.Y, true};
}

TPixMask PixMaskOf(const TsMaskData& mask_data) {
  TPixMask mask;
  mask.Own = mask_data.Bmp != nullptr;
  mask.Img = Pixels24(mask.Own ? mask_data.Bmp : MasterBitmap);
  mask.R = PixRect(mask_data.R);
  mask.ImageCount = mask_data.ImageCount;
  mask.MaskType = mask_data.MaskType;
  return mask;
}

TPixKey PixKeyOf(TColor trans_color) {
  return {true, static_cast<uint32_t>(ColorToRGB(trans_color)) & 0xFFFFFF};
}

void DrawSkinMaskRect(TBitmap* bmp, const RECT& r, bool filling, const TsCacheInfo& ci,
                      const TsMaskData& mask_data, int state) {
  PixDrawSkinMaskRect(Pixels24(bmp), PixRect(r), filling, PixCacheOf(ci), PixMaskOf(mask_data), state);
}

void DrawSkinGlyph(TBitmap* bmp, POINT p, int state, const TsMaskData& mask_data, int mode) {
  PixDrawSkinGlyph(Pixels24(bmp), p.x, p.y, state, PixMaskOf(mask_data), mode);
}

void CopyMasked(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsMaskData& mask_data,
                int mode, TColor trans_color, TBitmap* src) {
  TPixels24 s = Pixels24(src);
  bool own = mask_data.ImageCount < 1;
  int mask_offset = own ? s.Height / 2 : HalfHeight(mask_data.R);
  PixCopyMasked(Pixels24(dst), PixRect(dst_rect), s, PixRect(src_rect), mask_offset,
                own ? s.Height / 2 : s.Height, mode, PixKeyOf(trans_color));
}

void CopyBitmapRect(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsCacheInfo& ci,
                    TBitmap* src) {
  TPixels24 s = Pixels24(src);
  PixCopyBitmapRect(Pixels24(dst), PixRect(dst_rect), s, PixRect(src_rect), s.Height / 2, PixCacheOf(ci));
}

void CopyMaskedFromMaster(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst,
                          const TsMaskData& mask_data, const TsCacheInfo& ci) {
  PixCopyBitmapRect(Pixels24(dst), PixRect(dst_rect), Pixels24(MasterBitmap), PixRect(src_rect),
                    HalfHeight(mask_data.R), PixCacheOf(ci));
}

void PaintMaskedRect(TBitmap* dst, TBitmap* src, int x, int y, const RECT& src_rect, TColor trans_color) {
  PixPaintMaskedRect(Pixels24(dst), Pixels24(src), x, y, PixRect(src_rect), PixKeyOf(trans_color));
}

void BlendRectWithColor(TBitmap* dst, int x, int y, TColor trans_color, double ratio, const RECT& src_rect,
                        TBitmap* src) {
  // Only here a key whose top byte is 255 stands for "no key" (the disabled look's blend).
  const TPixKey key = (static_cast<uint32_t>(trans_color) >> 24) == 0xFF ? TPixKey{} : PixKeyOf(trans_color);
  PixBlendRectWithColor(Pixels24(dst), x, y, key, ratio, Pixels24(src), PixRect(src_rect));
}
