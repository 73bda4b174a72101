// Bevels, frames, marks and the small painting helpers of the skin engine: hard and soft bevels
// on a device context, a section's shaded bevel on its cache bitmap, the classic 3-D frame, the
// dotted focus frame, the menu check mark, tiling of skin cells, the transparent corner runs of
// a form's border image, soft shadow shapes on a device context, glyphs drawn disabled or
// blended, and loading an image file into a picture.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "skin/engine/sblend.h"
#include "skin/engine/sskintables.h"
#include "toolkit/colors.h"

class TBitmap;
class TCanvas;
class TPicture;

// The side of a rectangle a bevel line runs along.
enum TsBevelSide { bvsLeft, bvsTop, bvsRight, bvsBottom };

// Hard bevel side: `width` lines of one colour. p1 and p2 are the end points (inclusive) of the
// outermost line; line i lies i pixels further inside and is shortened by i at both ends.
void PaintBevelSimple(HDC dc, TColor color, TsBevelSide side, int width, POINT p1, POINT p2);
// Soft bevel side: from width 2 on the outermost line is white and line i (from 1) mixes
// first into second at i / width; width 1 is one line of the first colour.
void PaintBevelFloat(HDC dc, TColor first, TColor second, TsBevelSide side, int width, POINT p1, POINT p2);
// `width` lines along the edges of r, sides drawn left, top, right, bottom. kind 0: top and
// left light, bottom and right dark; 1: the other way round; 2: all light; 3: all dark.
void PaintRectBevel(HDC dc, RECT r, TColor light, TColor dark, bool soft, int kind, int width);
// PaintRectBevel on the canvas's device context.
void PaintBevel(TCanvas* canvas, RECT r, TColor light, TColor dark, int width, bool soft, int kind = 0);

// One shaded strip of a section bevel: the pixels of a trapezoid inside `strip` (its ends cut
// along the corner diagonals) take `color` mixed by a grey weight M as
// ((D - C) * M + C * 256) div 256. Unshaded M is 127; shaded, M steps by 255 div depth per line
// from the outer edge, rising from black (soft) or falling from white (hard). Pure on the
// bitmap's pixels (24 bits per pixel); the strip is clipped to the bitmap.
void FadeRectEdge(TBitmap* bmp, RECT strip, TsBevelSide side, int depth, bool shaded, bool soft,
                  TColor color);
// A section's PaintingBevel of the given width over r of its cache bitmap.
void PaintSectionBevel(TBitmap* bmp, RECT r, int width, TsControlBevel kind, bool shaded);

// The classic 3-D frame: `width` rings, top-left colour on the left and top, bottom-right colour
// on the right and bottom. r comes back as the inside of the frame, width as 0.
void Frame3D(HDC dc, RECT& r, TColor top_left, TColor bottom_right, int& width);
// Every third pixel of each edge of r black with a white pixel one up and one left of it.
void PaintDottedFrame(TCanvas* canvas, RECT r);
// The menu check mark inside r, embossed in the system's 3-D colours when disabled.
void DrawCheckMark(TCanvas* canvas, RECT r, bool enabled, TColor color);
void FillDC(HDC dc, RECT r, TColor color);

// The key-colour ($FF00FF) runs of the border image's corner cells (the top corners, or the
// bottom ones when `bottom`), appended in scan order as one-row rectangles of a control
// `control_width` wide whose corner row 0 lies at y.
void GetTransparentRects(std::vector<RECT>& rects, int control_width, const TsMaskData& mask, bool bottom,
                         int y);

// Tiling of skin cells through the alpha-masked copy (mask in the source's lower half, no
// parent background): pieces of src_rect's width (height) from dst_rect's left (top), the last
// one cut at dst_rect's right (bottom). An empty src_rect tiles nothing.
void TileRectHorz(TBitmap* dst, TBitmap* src, const RECT& src_rect, const RECT& dst_rect);
void TileRectVert(TBitmap* dst, TBitmap* src, const RECT& src_rect, const RECT& dst_rect);
// One cell of a state strip: src_rect moved right by state x 3 x (src width div 9), copied to
// a (width div 9) x (height div 6) cell at p.
void TileRectPart(TBitmap* dst, TBitmap* src, int state, const RECT& src_rect, POINT p);

// A soft shadow shape of `color` into r of dc over the background read from src at p:
// transparency 0 fills r with the colour, 100 copies the background; in between nested shapes
// (shape 0 rounded rectangles with corner `radius`, 1 ellipses) fade the colour out over
// `blur` rings. Both device contexts are left as they were.
void PaintBitmapWithEffects(TCanvas* src, RECT r, HDC dc, POINT p, int transparency, TColor color, int blur,
                            int shape, int radius);
void PaintItemRectCopy(TCanvas* src, RECT r, HDC dc, POINT p, int transparency, TColor color, int blur,
                       int shape);
// Draws a glyph at p, transparent where it has its bottom-left pixel's colour. Disabled it is
// greyed (dkGrayed) and/or mixed half with the target (dkBlended); enabled with blend from 1
// it is mixed at blend percent of the target (above 100 past it, each channel held to a byte).
void PaintGlyphOnBitmap(TBitmap* dst, TBitmap* glyph, POINT p, int blend, bool enabled,
                        TsDisabledKind disabled_kind);

// Loads a .jpg/.jpeg (as a JPEG picture) or .bmp file (as a 24-bit bitmap) into the picture,
// grey when `gray`. An empty name clears the picture; another extension or an unreadable file
// leaves it as it was. True when the picture took the file.
bool LoadPictureFile(TPicture* picture, const std::string& file_name, bool gray);
