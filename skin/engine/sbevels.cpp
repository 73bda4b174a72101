// Bevels, frames, marks and painting helpers.
#include "skin/engine/sbevels.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <memory>

#include "skin/engine/smaskpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/jpeg.h"
#include "toolkit/picture.h"

namespace {

// A solid brush that deletes itself.
class SolidBrush {
 public:
  explicit SolidBrush(TColor color) : brush_(CreateSolidBrush(ColorToRGB(color))) {}
  ~SolidBrush() { DeleteObject(brush_); }
  SolidBrush(const SolidBrush&) = delete;
  SolidBrush& operator=(const SolidBrush&) = delete;
  HBRUSH get() const { return brush_; }

 private:
  HBRUSH brush_;
};

// Line `i` of a bevel side as a rectangle one pixel thick (empty when the ends have crossed).
RECT SideLine(TsBevelSide side, POINT p1, POINT p2, int i) {
  const int x1 = std::min(p1.x, p2.x), x2 = std::max(p1.x, p2.x);
  const int y1 = std::min(p1.y, p2.y), y2 = std::max(p1.y, p2.y);
  switch (side) {
    case bvsLeft: return RECT{x1 + i, y1 + i, x1 + i + 1, y2 - i + 1};
    case bvsTop: return RECT{x1 + i, y1 + i, x2 - i + 1, y1 + i + 1};
    case bvsRight: return RECT{x1 - i, y1 + i, x1 - i + 1, y2 - i + 1};
    case bvsBottom: return RECT{x1 + i, y1 - i, x2 - i + 1, y1 - i + 1};
  }
  return RECT{};
}

void FillLine(HDC dc, const RECT& line, TColor color) {
  if (line.right <= line.left || line.bottom <= line.top) return;
  SolidBrush brush(color);
  FillRect(dc, &line, brush.get());
}

uint8_t Channel(COLORREF color, int shift) { return static_cast<uint8_t>((color >> shift) & 0xFF); }

// The end points of each side of r (exclusive right and bottom) as PaintBevelSimple takes them.
std::array<std::pair<POINT, POINT>, 4> SideEnds(const RECT& r) {
  const LONG right = r.right - 1, bottom = r.bottom - 1;
  return {{{{r.left, r.top}, {r.left, bottom}},
           {{r.left, r.top}, {right, r.top}},
           {{right, r.top}, {right, bottom}},
           {{r.left, bottom}, {right, bottom}}}};
}

bool Is24(TBitmap* bmp) { return bmp && !bmp->GetEmpty() && bmp->GetPixelFormat() == pf24bit; }

// Distance of a strip pixel from the strip's outer edge, and its position along the edge with
// the edge's length, for the trapezoid test.
struct StripPos {
  int depth;
  int along;
  int length;
};
StripPos PositionInStrip(TsBevelSide side, const RECT& s, int x, int y) {
  switch (side) {
    case bvsLeft: return {x - s.left, y - s.top, s.bottom - s.top};
    case bvsTop: return {y - s.top, x - s.left, s.right - s.left};
    case bvsRight: return {s.right - 1 - x, y - s.top, s.bottom - s.top};
    case bvsBottom: return {s.bottom - 1 - y, x - s.left, s.right - s.left};
  }
  return {0, 0, 0};
}

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
using OwnedBitmap = std::unique_ptr<TBitmap, FreeObject>;

OwnedBitmap NewBitmap24(int width, int height) {
  OwnedBitmap bmp(New<TBitmap>());
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  return bmp;
}

// Pieces of `cell` pixels from `from` while a whole one leaves room before `end`, then the rest.
template <class Place>
void Tile(int from, int end, int cell, Place place) {
  if (cell < 1) return;
  int p = from;
  for (; p < end - cell; p += cell) place(p, p + cell);
  if (p < end) place(p, end);
}

std::string UpperExtension(const std::string& file_name) {
  const size_t dot = file_name.find_last_of('.');
  const size_t slash = file_name.find_last_of("\\/");
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return {};
  std::string ext = file_name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace

void PaintBevelSimple(HDC dc, TColor color, TsBevelSide side, int width, POINT p1, POINT p2) {
  const int saved = SaveDC(dc);
  for (int i = 0; i < width; ++i) FillLine(dc, SideLine(side, p1, p2, i), color);
  RestoreDC(dc, saved);
}

void PaintBevelFloat(HDC dc, TColor first, TColor second, TsBevelSide side, int width, POINT p1, POINT p2) {
  if (width < 1) return;
  const int saved = SaveDC(dc);
  const COLORREF a = ColorToRGB(first), b = ColorToRGB(second);
  if (width == 1) {
    FillLine(dc, SideLine(side, p1, p2, 0), static_cast<TColor>(a));
  } else {
    FillLine(dc, SideLine(side, p1, p2, 0), clWhite);
    for (int i = 1; i < width; ++i) {
      const double t = static_cast<double>(i) / width;
      COLORREF mixed = 0;
      for (int shift : {0, 8, 16}) {
        const double v = Channel(a, shift) * (1 - t) + Channel(b, shift) * t;
        mixed |= static_cast<COLORREF>(std::min(255L, std::lrint(v))) << shift;  // ties to even
      }
      FillLine(dc, SideLine(side, p1, p2, i), static_cast<TColor>(mixed));
    }
  }
  RestoreDC(dc, saved);
}

void PaintRectBevel(HDC dc, RECT r, TColor light, TColor dark, bool soft, int kind, int width) {
  if (width < 1 || r.right <= r.left || r.bottom <= r.top) return;
  light = static_cast<TColor>(ColorToRGB(light));
  dark = static_cast<TColor>(ColorToRGB(dark));
  // Colours of the sides left, top, right, bottom.
  TColor colors[4];
  switch (kind) {
    case 1: colors[0] = colors[1] = dark, colors[2] = colors[3] = light; break;
    case 2: colors[0] = colors[1] = colors[2] = colors[3] = light; break;
    case 3: colors[0] = colors[1] = colors[2] = colors[3] = dark; break;
    default: colors[0] = colors[1] = light, colors[2] = colors[3] = dark; break;
  }
  const auto ends = SideEnds(r);
  for (int s = 0; s < 4; ++s) {
    const auto side = static_cast<TsBevelSide>(s);
    // Lines past the rectangle's other side would lie outside it: a side has at most as many
    // lines as the rectangle is wide (left, right) or high (top, bottom).
    const int lines =
        std::min<int>(width, side == bvsLeft || side == bvsRight ? r.right - r.left : r.bottom - r.top);
    if (soft)
      PaintBevelFloat(dc, colors[s], colors[s] == light ? dark : light, side, lines, ends[s].first,
                      ends[s].second);
    else
      PaintBevelSimple(dc, colors[s], side, lines, ends[s].first, ends[s].second);
  }
}

void PaintBevel(TCanvas* canvas, RECT r, TColor light, TColor dark, int width, bool soft, int kind) {
  if (!canvas) return;
  canvas->Refresh();
  PaintRectBevel(canvas->GetHandle(), r, light, dark, soft, kind, width);
}

void FadeRectEdge(TBitmap* bmp, RECT strip, TsBevelSide side, int depth, bool shaded, bool soft,
                  TColor color) {
  if (!Is24(bmp) || depth < 1) return;
  const COLORREF c = ColorToRGB(color);
  const int cc[3] = {Channel(c, 16), Channel(c, 8), Channel(c, 0)};  // blue, green, red
  const int step = 255 / depth;
  const RECT full = strip;
  const int left = std::max<int>(strip.left, 0), top = std::max<int>(strip.top, 0);
  const int right = std::min<int>(strip.right, bmp->GetWidth());
  const int bottom = std::min<int>(strip.bottom, bmp->GetHeight());
  for (int y = top; y < bottom; ++y) {
    uint8_t* row = bmp->GetScanLine(y);
    for (int x = left; x < right; ++x) {
      const StripPos pos = PositionInStrip(side, full, x, y);
      // The trapezoid: line k from the outer edge is shortened by k at both ends.
      if (pos.along < pos.depth || pos.along >= pos.length - pos.depth) continue;
      int m = 127;
      if (shaded) m = soft ? std::min(255, pos.depth * step) : std::max(0, 255 - pos.depth * step);
      uint8_t* p = row + x * 3;
      for (int ch = 0; ch < 3; ++ch)
        p[ch] = static_cast<uint8_t>(((p[ch] - cc[ch]) * m + cc[ch] * 256) / 256);
    }
  }
}

void PaintSectionBevel(TBitmap* bmp, RECT r, int width, TsControlBevel kind, bool shaded) {
  if (!bmp || bmp->GetEmpty() || kind == cbNone || width < 1) return;
  const bool raised = kind == cbRaisedSoft || kind == cbRaisedHard;
  if (width == 1) {
    PaintBevel(bmp->GetCanvas(), r, raised ? clWhite : clBlack, raised ? clBlack : clWhite, 1, false);
    return;
  }
  // The right and bottom stop at the last column and row, so the outermost right and bottom
  // lines of the bitmap stay as they are (as skins have always shown it).
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  r.right = std::min<LONG>(r.right, bmp->GetWidth() - 1);
  r.bottom = std::min<LONG>(r.bottom, bmp->GetHeight() - 1);
  const int w = r.right - r.left, h = r.bottom - r.top;
  // Twice a width from a skin file may not fit in an int.
  int d = width;
  if (h < 2 * int64_t{d}) d = h / 2 - 1;
  if (w < 2 * int64_t{d}) d = w / 2 - 1;
  if (d < 2) return;
  const bool soft = kind == cbRaisedSoft || kind == cbLoweredSoft;
  const TColor light = 0xF0F0F0, dark = 0x191919;
  FadeRectEdge(bmp, RECT{r.left, r.top, r.left + d, r.bottom}, bvsLeft, d, shaded, soft,
               raised ? light : dark);
  FadeRectEdge(bmp, RECT{r.left, r.top, r.right, r.top + d}, bvsTop, d, shaded, soft,
               raised ? clWhite : clBlack);
  FadeRectEdge(bmp, RECT{r.right - d - 1, r.top, r.right, r.bottom}, bvsRight, d, shaded, soft,
               raised ? dark : light);
  FadeRectEdge(bmp, RECT{r.left, r.bottom - d - 1, r.right, r.bottom}, bvsBottom, d, shaded, soft,
               raised ? clBlack : clWhite);
}

void Frame3D(HDC dc, RECT& r, TColor top_left, TColor bottom_right, int& width) {
  // Right and bottom are taken in by one so that the polylines run on the frame's last column
  // and row; the bottom-right polyline ends one left of the bottom-left corner so that the
  // corner pixel itself is drawn (a polyline leaves out its last point).
  --r.right;
  --r.bottom;
  if (width > 0) {
    const int saved = SaveDC(dc);
    HPEN tl = CreatePen(PS_SOLID, 1, ColorToRGB(top_left));
    HPEN br = CreatePen(PS_SOLID, 1, ColorToRGB(bottom_right));
    // Rings past the middle would cross over and grow out of the rectangle again.
    for (; width > 0 && r.left <= r.right && r.top <= r.bottom; --width) {
      const POINT first[3] = {{r.left, r.bottom}, {r.left, r.top}, {r.right, r.top}};
      const POINT second[3] = {{r.right, r.top}, {r.right, r.bottom}, {r.left - 1, r.bottom}};
      SelectObject(dc, tl);
      Polyline(dc, first, 3);
      SelectObject(dc, br);
      Polyline(dc, second, 3);
      InflateRect(&r, -1, -1);
    }
    RestoreDC(dc, saved);
    DeleteObject(tl);
    DeleteObject(br);
    InflateRect(&r, -width, -width);
  }
  width = 0;
  ++r.right;
  ++r.bottom;
}

void PaintDottedFrame(TCanvas* canvas, RECT r) {
  if (!canvas || r.right <= r.left || r.bottom <= r.top) return;
  HDC dc = canvas->GetHandle();
  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0);
  auto dot = [&](int x, int y) {
    SetPixel(dc, x - 1, y - 1, white);
    SetPixel(dc, x, y, black);
  };
  for (int x = r.left; x < r.right; x += 3) {
    dot(x, r.top);
    dot(x, r.bottom - 1);
  }
  for (int y = r.top; y < r.bottom; y += 3) {
    dot(r.left, y);
    dot(r.right - 1, y);
  }
}

void DrawCheckMark(TCanvas* canvas, RECT r, bool enabled, TColor color) {
  if (!canvas || r.right <= r.left || r.bottom <= r.top) return;
  // The mark of a small rectangle (and its embossed copy) would reach past it.
  HDC dc = canvas->GetHandle();
  HRGN clip = CreateRectRgn(0, 0, 0, 0);
  const bool had_clip = GetClipRgn(dc, clip) == 1;
  IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
  const int dx = (r.right - r.left) / 8, dy = (r.bottom - r.top) / 8;
  InflateRect(&r, -dx, -dy);
  OffsetRect(&r, 1, 1);
  const int h = r.bottom - r.top, d = h / 4;
  const LONG L = r.left, T = r.top, R = r.right, B = r.bottom;
  auto draw = [&](int offset, TColor c) {
    const POINT mark[6] = {
        {L + offset, B - h / 3 - 2 + offset},     {L + h / 3 + offset, B - 2 + offset},
        {R - 2 + offset, T + h / 3 + offset},     {R - 2 + offset, T + h / 3 - d + offset},
        {L + h / 3 + offset, B - 2 - d + offset}, {L + d + offset, B - h / 3 - 2 + offset}};
    canvas->GetPen()->SetColor(c);
    canvas->GetBrush()->SetColor(c);
    canvas->Polygon(mark);
  };
  if (enabled) {
    draw(0, static_cast<TColor>(ColorToRGB(color)));
  } else {
    draw(1, static_cast<TColor>(ColorToRGB(cl3DLight)));
    draw(0, static_cast<TColor>(ColorToRGB(clBtnShadow)));
  }
  SelectClipRgn(dc, had_clip ? clip : nullptr);
  DeleteObject(clip);
}

void FillDC(HDC dc, RECT r, TColor color) {
  SolidBrush brush(color);
  FillRect(dc, &r, brush.get());
}

void GetTransparentRects(std::vector<RECT>& rects, int control_width, const TsMaskData& mask, bool bottom,
                         int y) {
  TBitmap* src = mask.Bmp ? mask.Bmp : MasterBitmap;
  if (!Is24(src)) return;
  int left, top, cw, ch, frame_height;
  if (mask.Bmp) {
    left = 0;
    top = 0;
    cw = src->GetWidth() / 9;
    ch = src->GetHeight() / 6;
    frame_height = src->GetHeight() / 2;
  } else {
    if (mask.ImageCount < 1) return;
    const int rw = mask.R.right - mask.R.left, rh = mask.R.bottom - mask.R.top;
    const int layers = std::max<int>(mask.MaskType, 0) + 1;  // frames as the painters cut them
    left = mask.R.left;
    top = mask.R.top;
    cw = rw / (mask.ImageCount * 3);
    ch = rh / (layers * 3);
    frame_height = rh / layers;
  }
  if (cw < 1 || ch < 1) return;
  // One corner cell's rows: the first ones of the frame, or its last ones (where the painters
  // take the bottom corners from).
  const int first_row = top + (bottom ? frame_height - ch : 0);
  auto scan = [&](int r, int c_from, int c_to, int x_shift) {
    const int sy = first_row + r;
    if (sy < 0 || sy >= src->GetHeight()) return;
    const uint8_t* row = src->GetScanLine(sy);
    int run = -1;
    for (int c = c_from; c <= c_to; ++c) {
      const int sx = left + c;
      const bool key = sx >= 0 && sx < src->GetWidth() && row[sx * 3] == 255 && row[sx * 3 + 1] == 0 &&
                       row[sx * 3 + 2] == 255;
      if (key && run < 0) run = c;
      if (!key && run >= 0) {
        rects.push_back(RECT{run + x_shift, y + r, c + x_shift, y + r + 1});
        run = -1;
      }
    }
    if (run >= 0) rects.push_back(RECT{run + x_shift, y + r, c_to + 1 + x_shift, y + r + 1});
  };
  for (int r = 0; r < ch; ++r) {
    scan(r, 0, cw - 1, 0);
    // The right corner as the painters place it: the frame's columns 2cw..3cw-1 end at the
    // control's right edge.
    scan(r, 2 * cw, 3 * cw - 1, control_width - 3 * cw);
  }
}

void TileRectHorz(TBitmap* dst, TBitmap* src, const RECT& src_rect, const RECT& dst_rect) {
  Tile(dst_rect.left, dst_rect.right, src_rect.right - src_rect.left, [&](int x, int x_end) {
    CopyBitmapRect(RECT{x, dst_rect.top, x_end, dst_rect.bottom}, src_rect, dst, EmptyCI, src);
  });
}

void TileRectVert(TBitmap* dst, TBitmap* src, const RECT& src_rect, const RECT& dst_rect) {
  Tile(dst_rect.top, dst_rect.bottom, src_rect.bottom - src_rect.top, [&](int y, int y_end) {
    CopyBitmapRect(RECT{dst_rect.left, y, dst_rect.right, y_end}, src_rect, dst, EmptyCI, src);
  });
}

void TileRectPart(TBitmap* dst, TBitmap* src, int state, const RECT& src_rect, POINT p) {
  if (!src || !dst) return;
  const int cw = src->GetWidth() / 9, ch = src->GetHeight() / 6;
  if (cw < 1 || ch < 1) return;
  RECT from = src_rect;
  OffsetRect(&from, state * 3 * cw, 0);
  CopyBitmapRect(RECT{p.x, p.y, p.x + cw, p.y + ch}, from, dst, EmptyCI, src);
}

void PaintBitmapWithEffects(TCanvas* src, RECT r, HDC dc, POINT p, int transparency, TColor color, int blur,
                            int shape, int radius) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (!src || !dc || w < 1 || h < 1) return;
  HDC src_dc = src->GetHandle();
  const int saved_src = SaveDC(src_dc), saved_dst = SaveDC(dc);
  if (transparency == 0) {
    FillDC(dc, r, color);
  } else if (transparency == 100) {
    BitBlt(dc, r.left, r.top, w, h, src_dc, p.x, p.y, SRCCOPY);
  } else {
    OwnedBitmap work = NewBitmap24(w, h);
    BitBlt(work->GetCanvas()->GetHandle(), 0, 0, w, h, src_dc, p.x, p.y, SRCCOPY);
    OwnedBitmap mask = NewBitmap24(w, h);
    HDC mdc = mask->GetCanvas()->GetHandle();
    const int saved_mask = SaveDC(mdc);
    FillDC(mdc, RECT{0, 0, w, h}, clWhite);
    SelectObject(mdc, GetStockObject(NULL_PEN));
    // The shapes and the blur as the bitmap shadow takes them (sblend.cpp, PaintShadow).
    blur = std::clamp(blur, -1, std::min(w / 2, h / 2));
    radius = ShadowCornerSize(radius, w, h);
    const int64_t t = int64_t{transparency} * 255 / 100;  // greys taken in 8 bits, as PaintShadow
    const double step = blur >= 0 ? (255.0 - t) / (blur + 1) : 0.0;
    auto fill = [&](int i, int grey) {
      HBRUSH brush = CreateSolidBrush(RGB(grey, grey, grey));
      HGDIOBJ old = SelectObject(mdc, brush);
      if (shape == 1)
        Ellipse(mdc, i, i, w - i, h - i);
      else
        RoundRect(mdc, i, i, w - i, h - i, radius, radius);
      SelectObject(mdc, old);
      DeleteObject(brush);
    };
    int grey = 255;
    for (int i = 0; i <= blur; ++i) {
      fill(i, grey);
      grey = static_cast<int>((t + std::llrint((blur - i) * step)) & 0xFF);  // halves to even, as PaintShadow
    }
    fill(blur, grey);  // the last grey: t, or white when no ring was drawn
    RestoreDC(mdc, saved_mask);
    BlendColorByMask(work.get(), mask.get(), color);
    BitBlt(dc, r.left, r.top, w, h, work->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
  }
  RestoreDC(dc, saved_dst);
  RestoreDC(src_dc, saved_src);
}

void PaintItemRectCopy(TCanvas* src, RECT r, HDC dc, POINT p, int transparency, TColor color, int blur,
                       int shape) {
  PaintBitmapWithEffects(src, r, dc, p, transparency, color, blur, shape, 0);
}

void PaintGlyphOnBitmap(TBitmap* dst, TBitmap* glyph, POINT p, int blend, bool enabled,
                        TsDisabledKind disabled_kind) {
  if (!dst || !glyph || glyph->GetEmpty() || glyph->GetWidth() < 1 || glyph->GetHeight() < 1) return;
  OwnedBitmap work(New<TBitmap>());
  work->Assign(glyph);
  work->SetPixelFormat(pf24bit);
  const TColor key = work->GetPixelColor(0, work->GetHeight() - 1);
  const RECT all{0, 0, work->GetWidth() - 1, work->GetHeight() - 1};
  if (!enabled) {
    if (disabled_kind.Contains(dkGrayed)) GrayScaleBitmap(work.get(), key);
    if (disabled_kind.Contains(dkBlended)) {
      BlendRectWithColor(dst, p.x, p.y, key, 0.5, all, work.get());
      return;
    }
  } else if (blend >= 1) {
    BlendRectWithColor(dst, p.x, p.y, key, blend / 100.0, all, work.get());
    return;
  }
  MaskBitmapPixels(dst, work.get(), p.x, p.y, key);
}

bool LoadPictureFile(TPicture* picture, const std::string& file_name, bool gray) {
  if (!picture) return false;
  if (file_name.empty()) {
    picture->Assign(nullptr);
    return true;
  }
  const std::string ext = UpperExtension(file_name);
  try {
    if (ext == ".JPG" || ext == ".JPEG") {
      TJPEGImage* jpeg = New<TJPEGImage>();
      try {
        jpeg->LoadFromFile(file_name);
        jpeg->SetGrayscale(gray);
        picture->SetGraphic(jpeg);
      } catch (...) {
        Free(jpeg);
        throw;
      }
      Free(jpeg);
      return true;
    }
    if (ext == ".BMP") {
      TBitmap* bmp = New<TBitmap>();
      try {
        bmp->LoadFromFile(file_name);
        bmp->SetPixelFormat(pf24bit);
        if (gray) ProcessBitmapPixels(bmp);
        picture->SetGraphic(bmp);
      } catch (...) {
        Free(bmp);
        throw;
      }
      Free(bmp);
      return true;
    }
  } catch (const Exception&) {
    // An unreadable skin image leaves the picture as it was.
  }
  return false;
}
