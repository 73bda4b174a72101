// Skin images painted into 24-bit cache bitmaps: the 9-part frame of a state, a glyph state at
// a point, and the copies they are made of (alpha-masked, key-colour, half-transparent). The
// colour $FF00FF is every skin image's key colour: such a pixel is not part of the image.
// Every routine sets the bitmaps it gets to 24 bits per pixel and clips to all of them.
#pragma once

#include <windows.h>

#include "skin/engine/spixels.h"
#include "skin/engine/sskintables.h"
#include "toolkit/colors.h"

class TBitmap;

constexpr TColor sKeyColor = 0xFF00FF;
// A key colour whose top byte is 255: for BlendRectWithColor no pixel is a key (the other
// routines take it as the system colour it names).
constexpr TColor sNoKeyColor = static_cast<TColor>(0xFF000000u);

inline TPixRect PixRect(const RECT& r) { return TPixRect{r.left, r.top, r.right, r.bottom}; }
// The rows of a bitmap, which is set to 24 bits per pixel first; empty for null or 0 x 0.
TPixels24 Pixels24(TBitmap* bmp);
TPixCache PixCacheOf(const TsCacheInfo& ci);
// The image of a mask record: its own bitmap or the master bitmap.
TPixMask PixMaskOf(const TsMaskData& mask_data);
// A key colour argument as the cores compare it: made absolute (a system colour resolved).
TPixKey PixKeyOf(TColor trans_color);

// Paints state `state` of the mask over r (right and bottom exclusive) by the 9-part rule:
// corners once, edges and (with filling) the middle tiled with whole cells. Corners get ci
// (key pixels then show the parent's cache), edges and middle EmptyCI.
void DrawSkinMaskRect(TBitmap* bmp, const RECT& r, bool filling, const TsCacheInfo& ci,
                      const TsMaskData& mask_data, int state);
// One state of the mask with its top-left corner at p; mode 1 as stored, others faded.
void DrawSkinGlyph(TBitmap* bmp, POINT p, int state, const TsMaskData& mask_data, int mode = 1);
// Alpha-masked glyph copy between inclusive rectangles, skipping trans_color pixels. The
// mask lies the height of mask_data.R div 2 rows below (src.Height div 2 when
// mask_data.ImageCount < 1: an own bitmap). mode != 1 shows the glyph fainter.
void CopyMasked(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsMaskData& mask_data,
                int mode, TColor trans_color, TBitmap* src);
// Alpha-masked copy from an own mask bitmap (mask src.Height div 2 rows below), rectangles
// exclusive.
void CopyBitmapRect(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsCacheInfo& ci,
                    TBitmap* src);
// The same from the master bitmap, the mask the height of mask_data.R div 2 rows below.
void CopyMaskedFromMaster(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst,
                          const TsMaskData& mask_data, const TsCacheInfo& ci);
// Copies the inclusive src_rect of src to (x, y), leaving trans_color pixels out.
void PaintMaskedRect(TBitmap* dst, TBitmap* src, int x, int y, const RECT& src_rect, TColor trans_color);
// Mixes the inclusive src_rect of src into dst at (x, y): each channel Round(S - (S - D) *
// ratio). trans_color pixels are skipped unless its top byte is 255 (sNoKeyColor).
void BlendRectWithColor(TBitmap* dst, int x, int y, TColor trans_color, double ratio, const RECT& src_rect,
                        TBitmap* src);
