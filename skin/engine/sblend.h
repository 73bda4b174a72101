// Bitmaps and colours mixed at percentages on 24-bit bitmaps: hot and fading states, a
// section's colour over its image, the disabled look and soft shadows. Colours are made
// absolute first; rounding is to nearest, ties to even.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/engine/sskintables.h"
#include "toolkit/colors.h"
#include "toolkit/sets.h"

class TBitmap;
class TControl;

enum TsDisabledKinds { dkBlended, dkGrayed };
using TsDisabledKind = TSet<TsDisabledKinds>;

// Mixes color into r (right and bottom inclusive, clipped to the bitmap): transparency 100
// keeps the bitmap, 0 paints the colour; values outside 0..100 are clamped.
void BlendColorRectPercent(TBitmap* bmp, const RECT& r, int transparency, TColor color);
// a := (a - b) * alpha / 256 + b; nothing unless both have the same size.
void BlendBitmaps(TBitmap* a, TBitmap* b, uint8_t alpha);
// Mixes src_rect (exclusive) of src into dst at dst_point: S + (D - S) * (sum of weight's
// bytes) / 768.
void BlendBitmapRect(TBitmap* dst, TBitmap* src, TColor weight, const RECT& src_rect, POINT dst_point);
// Each channel ((D - C) * M + 255 * C) div 256: a white mask keeps the bitmap, a black one
// shows the colour. Nothing unless both have the same size.
void BlendColorByMask(TBitmap* bmp, TBitmap* mask, TColor color);
// Every pixel but trans_color ones moves towards color: (channel - C) * ratio + C.
void BlendBitmapPixels(TBitmap* bmp, TColor trans_color, TColor color, double ratio);
// Every pixel but trans_color ones becomes the grey (R + G + B) div 3.
void GrayScaleBitmap(TBitmap* bmp, TColor trans_color);
// Every pixel becomes its grey.
void ProcessBitmapPixels(TBitmap* bmp);
// Copies all of src to (x, y) in dst leaving trans_color pixels out.
void MaskBitmapPixels(TBitmap* dst, TBitmap* src, int x, int y, TColor trans_color);
// A soft rounded shadow of color into r: blur rings fading out towards the edge, the
// centre at (100 - transparency) percent. blur and radius are cut to half the smaller side.
void PaintShadow(TBitmap* bmp, const RECT& r, int transparency, TColor color, int blur, int radius);
// The corner size that the shadows' rounded rectangles of w x h are drawn with: radius cut
// from above to half the smaller side; a negative one goes to the platform as it is.
int ShadowCornerSize(int radius, int w, int h);
// The disabled look of a control's cache bitmap: dkGrayed greys it, dkBlended then mixes it
// half with the parent's cache at ci's position plus offset (or, when ci is not ready, with
// the control's colour).
void FillControlBG(TBitmap* bmp, TsDisabledKind kind, TControl* control, POINT offset, const TsCacheInfo& ci);
