// Drawing helpers the display widgets share: regions of polygon sets, flat and textured fills
// of a region, and the lightened and darkened copies of colours and textures.
#pragma once

#include <windows.h>

#include "toolkit/bitmap.h"
#include "toolkit/colors.h"
#include "widgets/segmentglyphs.h"

// One region of all polygons (alternate fill); null for an empty set.
HRGN PolygonsRegion(const TPolygonSet& polygons);
HRGN PolygonRegion(const std::vector<TGeoPoint>& polygon);
// Adds (ORs) a region into an accumulating one; the added region is deleted.
void AddRegion(HRGN& into, HRGN region);

// Each channel of the colour moved by amount, clamped to 0 ... 255.
COLORREF ShiftedColor(TColor color, int amount);
void FillRegionColor(HDC dc, HRGN region, COLORREF color);
// Draws a texture clipped to the region (null: everywhere) over a width x height area,
// stretched over it or tiled from its top-left corner. An empty texture draws nothing.
void FillRegionTexture(HDC dc, HRGN region, TBitmap* texture, bool tile, int width, int height);
// A 24-bit copy of source with every byte moved by amount (clamped); empty for an empty source.
void ShiftedTexture(TBitmap* source, TBitmap* target, int amount);
