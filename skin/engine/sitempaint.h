// A skin section's body painted into a control's cache bitmap: colour, tiled image (a mask of
// the skin or a JPEG pattern) and gradient mixed at the section's shares, shown through the
// parent's cached background at the section's transparency; then the section's
// "BORDERSMASK" frame over it. State 0 is normal, any other value hot (the caller decides
// what hot means: mouse above, pressed, focused).
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sskintables.h"

class TBitmap;
class TCanvas;
class TGraphic;

// The body of section skin_index into r of bmp. p is the control's offset added to ci's when
// the parent's cache is read.
void PaintItemBG(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, const RECT& r,
                 POINT p, TBitmap* bmp);
// The same with the image given as mask indexes (never a pattern).
void PaintItemBGFromParent(int skin_index, const std::string& section, const TsCacheInfo& ci, int state,
                           const RECT& r, POINT p, TBitmap* bmp, int image_index, int hot_image_index);
// Body, then the section's "BORDERSMASK" frame; nothing unless r lies inside bmp.
void PaintItem(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, bool filling,
               const RECT& r, POINT p, TBitmap* bmp);
void PaintItemFromParent(int skin_index, int border_index, int image_index, int hot_image_index,
                         const TsCacheInfo& ci, int state, bool filling, const RECT& r, POINT p,
                         TBitmap* bmp);
// PaintItem over the whole bitmap.
void PaintItemWhole(int skin_index, const std::string& section, const TsCacheInfo& ci, int state,
                    bool filling, POINT p, TBitmap* bmp);
// PaintItem into a bitmap of r's size, copied to dc at r's top-left corner.
void PaintItemToDC(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, bool filling,
                   const RECT& r, POINT p, HDC dc);

// Tiles q of bmp with a graphic (a bitmap is copied, a JPEG picture drawn, both cut at q) or,
// without one, with the first state of the mask's rectangle of the master bitmap.
void TileImage(TBitmap* bmp, const RECT& q, TGraphic* graphic, const TsMaskData& mask);
