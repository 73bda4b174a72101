#include "widgets/paintutil.h"

#include <algorithm>

#include "toolkit/canvas.h"

HRGN PolygonsRegion(const TPolygonSet& polygons) {
  if (polygons.Empty()) return nullptr;
  // TGeoPoint and POINT are both two ints in a row.
  static_assert(sizeof(TGeoPoint) == sizeof(POINT));
  return CreatePolyPolygonRgn(reinterpret_cast<const POINT*>(polygons.points.data()), polygons.counts.data(),
                              polygons.Count(), ALTERNATE);
}

HRGN PolygonRegion(const std::vector<TGeoPoint>& polygon) {
  if (polygon.size() < 3) return nullptr;
  return CreatePolygonRgn(reinterpret_cast<const POINT*>(polygon.data()), static_cast<int>(polygon.size()),
                          ALTERNATE);
}

void AddRegion(HRGN& into, HRGN region) {
  if (!region) return;
  if (!into) {
    into = region;
    return;
  }
  CombineRgn(into, into, region, RGN_OR);
  DeleteObject(region);
}

COLORREF ShiftedColor(TColor color, int amount) {
  const COLORREF rgb = ColorToRGB(color);
  auto shift = [amount](int c) { return static_cast<BYTE>(std::clamp(c + amount, 0, 255)); };
  return RGB(shift(GetRValue(rgb)), shift(GetGValue(rgb)), shift(GetBValue(rgb)));
}

void FillRegionColor(HDC dc, HRGN region, COLORREF color) {
  if (!region) return;
  HBRUSH brush = CreateSolidBrush(color);
  FillRgn(dc, region, brush);
  DeleteObject(brush);
}

void FillRegionTexture(HDC dc, HRGN region, TBitmap* texture, bool tile, int width, int height) {
  if (!texture || texture->GetEmpty() || texture->GetWidth() <= 0 || texture->GetHeight() <= 0) return;
  const int saved = SaveDC(dc);
  if (region) ExtSelectClipRgn(dc, region, RGN_AND);
  const int tw = texture->GetWidth(), th = texture->GetHeight();
  if (tile) {
    // One fill with the texture as a pattern from the corner, not a copy per tile (a texture
    // of a few pixels would take thousands). A one-bit pattern would take the device
    // context's colours instead of its own, so it goes as a colour copy.
    TBitmap* colour = nullptr;
    if (texture->GetPixelFormat() == pf1bit) {
      colour = New<TBitmap>();
      colour->Assign(texture);
      colour->SetPixelFormat(pf24bit);
    }
    HBRUSH pattern = CreatePatternBrush((colour ? colour : texture)->GetHandle());
    SetBrushOrgEx(dc, 0, 0, nullptr);
    const RECT area{0, 0, (width / tw + 1) * tw, (height / th + 1) * th};
    ::FillRect(dc, &area, pattern);
    DeleteObject(pattern);
    if (colour) Free(colour);
  } else {
    SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, 0, 0, width, height, texture->GetCanvas()->GetHandle(), 0, 0, tw, th, SRCCOPY);
  }
  RestoreDC(dc, saved);
}

void ShiftedTexture(TBitmap* source, TBitmap* target, int amount) {
  if (!source || source->GetEmpty() || source->GetWidth() <= 0 || source->GetHeight() <= 0) {
    target->SetSize(0, 0);
    return;
  }
  target->Assign(source);
  target->SetPixelFormat(pf24bit);
  for (int y = 0; y < target->GetHeight(); ++y) {
    uint8_t* row = target->GetScanLine(y);
    for (int x = 0; x < target->GetWidth() * 3; ++x)
      row[x] = static_cast<uint8_t>(std::clamp(row[x] + amount, 0, 255));
  }
}
