// 24-bit pixel rows without any window-system type: a view of a bitmap's memory (blue, green,
// red per pixel) and the per-pixel cores of the skin painters and blends, written on views so
// that they are tested as pure functions. Every core clips to each view it touches: no pixel
// outside a view is ever read or written, whatever the rectangles and counts.
#pragma once

#include <cstddef>
#include <cstdint>

// Rows of 24-bit pixels; Stride is the byte distance from one row to the next.
struct TPixels24 {
  uint8_t* Bits = nullptr;
  int Width = 0;
  int Height = 0;
  ptrdiff_t Stride = 0;

  bool Empty() const { return !Bits || Width <= 0 || Height <= 0; }
  bool Contains(int x, int y) const { return !Empty() && x >= 0 && y >= 0 && x < Width && y < Height; }
  uint8_t* At(int x, int y) const { return Bits + y * Stride + static_cast<ptrdiff_t>(x) * 3; }
  // 0x00BBGGRR of a pixel inside the view.
  uint32_t Color(int x, int y) const {
    const uint8_t* p = At(x, y);
    return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
  }
  void SetColor(int x, int y, uint32_t color) const {
    uint8_t* p = At(x, y);
    p[0] = static_cast<uint8_t>(color >> 16);
    p[1] = static_cast<uint8_t>(color >> 8);
    p[2] = static_cast<uint8_t>(color);
  }
};

// Left and top inclusive, right and bottom exclusive unless a routine says otherwise.
struct TPixRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  int64_t Width() const { return int64_t{Right} - Left; }
  int64_t Height() const { return int64_t{Bottom} - Top; }
};

// The parent's cache as the painters read it: where the control lies in it.
struct TPixCache {
  TPixels24 Bmp;
  int X = 0;
  int Y = 0;
  bool Ready = false;
};

// A skin image: an own bitmap (three states over their mask) or rectangle R of the master
// bitmap with ImageCount states, each frame the height of R div (MaskType + 1) (MaskType 1 or
// more: the alpha mask lies the height of R div 2 rows below).
struct TPixMask {
  TPixels24 Img;
  bool Own = false;
  TPixRect R;
  int ImageCount = 0;
  int MaskType = 0;  // a negative one counts as 0
};

constexpr uint32_t kPixKeyColor = 0xFF00FF;
// A key colour argument of the cores: Has false means no colour is a key.
struct TPixKey {
  bool Has = false;
  uint32_t Color = 0;
  bool Is(uint32_t c) const { return Has && c == Color; }
};

// Alpha-masked copy between exclusive rectangles; the mask lies mask_offset rows below each
// image pixel. Key pixels show the cache's pixel when the cache is ready.
void PixCopyBitmapRect(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                       int mask_offset, const TPixCache& ci);
// Alpha-masked copy between inclusive rectangles skipping key pixels. Source rows from
// row_limit on (the mask of an own bitmap) are never read as image. mode != 1 fades.
void PixCopyMasked(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                   int mask_offset, int row_limit, int mode, TPixKey key);
// Copies the inclusive src_rect, clamped into src, to (x, y) leaving key pixels out.
void PixPaintMaskedRect(const TPixels24& dst, const TPixels24& src, int x, int y, TPixRect src_rect,
                        TPixKey key);
// Plain copy of an exclusive rectangle to (x, y).
void PixCopyRect(const TPixels24& dst, int x, int y, const TPixels24& src, TPixRect src_rect);
// Tiles the exclusive cell of src over the exclusive q of dst from q's top-left corner, the
// last tiles cut at q's edges.
void PixTileRect(const TPixels24& dst, TPixRect q, const TPixels24& src, TPixRect cell);
// Mixes the inclusive src_rect, clamped into src, into dst at (x, y): Round(S - (S - D) *
// ratio). Nothing is painted when x or y is negative (the rows and columns end at the first
// one outside the target).
void PixBlendRectWithColor(const TPixels24& dst, int x, int y, TPixKey key, double ratio,
                           const TPixels24& src, TPixRect src_rect);

// The 9-part frame of one state over r (exclusive).
void PixDrawSkinMaskRect(const TPixels24& dst, TPixRect r, bool filling, const TPixCache& ci,
                         const TPixMask& mask, int state);
// One state of a glyph with its top-left corner at (x, y); mode 1 as stored, others faded.
void PixDrawSkinGlyph(const TPixels24& dst, int x, int y, int state, const TPixMask& mask, int mode);

// Colours below are absolute 0x00BBGGRR values.
void PixBlendColorRectPercent(const TPixels24& bmp, TPixRect inclusive, int transparency, uint32_t color);
void PixBlendBitmaps(const TPixels24& a, const TPixels24& b, int alpha);
void PixBlendBitmapRect(const TPixels24& dst, const TPixels24& src, uint32_t weight, TPixRect src_rect,
                        int dst_x, int dst_y);
void PixBlendColorByMask(const TPixels24& bmp, const TPixels24& mask, uint32_t color);
void PixBlendBitmapPixels(const TPixels24& bmp, TPixKey key, uint32_t color, double ratio);
void PixGrayScale(const TPixels24& bmp, TPixKey key);
void PixMaskBitmapPixels(const TPixels24& dst, const TPixels24& src, int x, int y, TPixKey key);
