// Border painters: a control's whole cache bitmap framed by the 9-part rule with a border
// bitmap (one of the six stored in the program, or the style's own) or with a skin image,
// collecting the border's key-colour pixels into a window region so that the control's
// transparent corners can be cut away.
#pragma once

#include <windows.h>

#include <vector>

#include "skin/engine/spixels.h"
#include "skin/engine/sskintables.h"
#include "toolkit/colors.h"

class TBitmap;

enum TsPredefinedBorders { pdBorder1, pdBorder2, pdBorder3, pdBorder4, pdBorder5, pdBorder6, pdCustom };

// The stored border bitmap "BORD1".."BORD6" of the program's resources, loaded at first use and
// kept until the process ends; pdCustom gives `mask` when it has a width, else "BORD1". Null
// when the resource is missing (then nothing is framed).
TBitmap* GetBorderBitmap(TsPredefinedBorders predefined, TBitmap* mask = nullptr);
// The six stored borders are loaded when the skin engine starts and freed at its end (one that
// cannot be loaded stays missing and frames nothing); how many are loaded now.
void LoadStoredBorders();
void FreeStoredBorders();
int LoadedStoredBorders();

// One piece of a border: src_rect (inclusive) alpha-masked onto dst_rect (inclusive). Pixels
// of trans_color are left out and their one-row runs are combined into `region` by exclusive
// or (region may be null). A master image without mask (no own bitmap, MaskType 0) is copied
// plainly and adds nothing.
void CopyBorderPart(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsMaskData& mask_data,
                    HRGN region, TColor trans_color, TBitmap* src);
// Frames the whole of dst with state `state` of a border bitmap (own-bitmap layout: 3 x 3
// cells per state, mask in the lower half); the middle is left as it is.
void PaintRasterBorder(TBitmap* dst, TBitmap* border, int state, TColor trans_color, HRGN region);
// The 9-part painting of a skin image over the whole of dst, with its key pixels collected
// into region.
void PaintBorderRegion(TBitmap* dst, HRGN region, bool filling, const TsMaskData& mask_data, int state);

// ---- The window-free cores -----------------------------------------------------------------

// One piece placed by the 9-part rule: its source cell (exclusive) and its target rectangle
// (exclusive, the same size).
struct TsNinePiece {
  enum Kind { Corner, Edge, Middle } kind;
  TPixRect src;
  TPixRect dst;
};
// The pieces of one frame (origin fx, fy; cells cw x ch; frame height fh) over r, in painting
// order. Nothing for a target narrower or lower than 2 pixels or for empty cells.
std::vector<TsNinePiece> NinePieces(TPixRect r, int fx, int fy, int cw, int ch, int fh, bool filling);
// CopyBorderPart on pixel views: mixes the inclusive src_rect into dst with the mask
// mask_offset rows lower (never read from row_limit on), skipping key pixels and appending
// their runs (one row each, target coordinates inside dst) to runs.
void PixCopyBorderPart(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                       int mask_offset, int row_limit, TPixKey key, std::vector<TPixRect>* runs);
