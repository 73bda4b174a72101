// The per-pixel cores of the skin painters and blends.
#include "skin/engine/spixels.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

// Moves the starts of one run in several views forward until none is negative and cuts the
// count to what every view still holds. Works in 64 bits: skin rectangles are untrusted.
template <size_t N>
bool ClipRun(int64_t (&pos)[N], const int64_t (&size)[N], int64_t& count) {
  int64_t shift = 0;
  for (int64_t p : pos) shift = std::max(shift, -p);
  count -= shift;
  for (size_t i = 0; i < N; ++i) {
    pos[i] += shift;
    count = std::min(count, size[i] - pos[i]);
  }
  return count > 0;
}

// Held to a byte before rounding: a mix far past its ends would overflow the rounding's long.
uint8_t Byte(double v) { return static_cast<uint8_t>(std::lrint(std::clamp(v, 0.0, 255.0))); }

bool IsKeyPixel(const uint8_t* p) { return p[0] == 255 && p[1] == 0 && p[2] == 255; }

uint32_t ColorAt(const uint8_t* p) { return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16); }

uint8_t Channel(uint32_t color, int i) { return static_cast<uint8_t>(color >> (8 * (2 - i))); }

// Where one rectangle of a source goes in a target: both starts and the common size, clipped.
struct TSpan {
  int dx, dy, sx, sy, w, h;
};

// Source rows from sy, and (with a mask) mask rows mask_offset lower, must all lie in src.
bool ClipSpan(const TPixels24& dst, int64_t dx, int64_t dy, const TPixels24& src, int64_t sx, int64_t sy,
              int64_t w, int64_t h, const int64_t* mask_offset, int64_t row_limit, TSpan& out) {
  if (dst.Empty() || src.Empty()) return false;
  int64_t xs[2] = {dx, sx};
  const int64_t ws[2] = {dst.Width, src.Width};
  if (!ClipRun(xs, ws, w)) return false;
  bool ok;
  if (mask_offset) {
    int64_t ys[3] = {dy, sy, sy + *mask_offset};
    const int64_t hs[3] = {dst.Height, std::min<int64_t>(src.Height, row_limit), src.Height};
    ok = ClipRun(ys, hs, h);
    dy = ys[0];
    sy = ys[1];
  } else {
    int64_t ys[2] = {dy, sy};
    const int64_t hs[2] = {dst.Height, std::min<int64_t>(src.Height, row_limit)};
    ok = ClipRun(ys, hs, h);
    dy = ys[0];
    sy = ys[1];
  }
  if (!ok) return false;
  out = {static_cast<int>(xs[0]), static_cast<int>(dy), static_cast<int>(xs[1]),
         static_cast<int>(sy),    static_cast<int>(w),  static_cast<int>(h)};
  return true;
}

// D := (D * M + S * (256 - M)) div 256 per channel: a black mask shows the image.
inline void MaskMix(uint8_t* d, const uint8_t* s, const uint8_t* m, int raise) {
  for (int i = 0; i < 3; ++i) {
    int mm = std::min(255, m[i] + raise);
    d[i] = static_cast<uint8_t>((d[i] * mm + s[i] * (256 - mm)) >> 8);
  }
}

}  // namespace

void PixCopyBitmapRect(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                       int mask_offset, const TPixCache& ci) {
  int64_t offset = mask_offset;
  TSpan s;
  int64_t w = std::min<int64_t>(dst_rect.Width(), src_rect.Width());
  int64_t h = std::min<int64_t>(dst_rect.Height(), src_rect.Height());
  if (!ClipSpan(dst, dst_rect.Left, dst_rect.Top, src, src_rect.Left, src_rect.Top, w, h, &offset, src.Height,
                s))
    return;
  bool use_cache = ci.Ready && !ci.Bmp.Empty();
  for (int row = 0; row < s.h; ++row) {
    uint8_t* d = dst.At(s.dx, s.dy + row);
    const uint8_t* p = src.At(s.sx, s.sy + row);
    const uint8_t* m = src.At(s.sx, s.sy + row + mask_offset);
    for (int col = 0; col < s.w; ++col, d += 3, p += 3, m += 3) {
      if (use_cache && IsKeyPixel(p)) {
        // The parent's background shows through; where the cache does not reach, the mask.
        int cx = s.dx + col + ci.X, cy = s.dy + row + ci.Y;
        if (ci.Bmp.Contains(cx, cy)) {
          const uint8_t* c = ci.Bmp.At(cx, cy);
          d[0] = c[0], d[1] = c[1], d[2] = c[2];
          continue;
        }
      }
      MaskMix(d, p, m, 0);
    }
  }
}

void PixCopyMasked(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                   int mask_offset, int row_limit, int mode, TPixKey key) {
  int64_t offset = mask_offset;
  TSpan s;
  int64_t w = std::min<int64_t>(dst_rect.Width(), src_rect.Width()) + 1;
  int64_t h = std::min<int64_t>(dst_rect.Height(), src_rect.Height()) + 1;
  if (!ClipSpan(dst, dst_rect.Left, dst_rect.Top, src, src_rect.Left, src_rect.Top, w, h, &offset, row_limit,
                s))
    return;
  int raise = mode == 1 ? 0 : 100;
  for (int row = 0; row < s.h; ++row) {
    uint8_t* d = dst.At(s.dx, s.dy + row);
    const uint8_t* p = src.At(s.sx, s.sy + row);
    const uint8_t* m = src.At(s.sx, s.sy + row + mask_offset);
    for (int col = 0; col < s.w; ++col, d += 3, p += 3, m += 3)
      if (!key.Is(ColorAt(p))) MaskMix(d, p, m, raise);
  }
}

namespace {

// An inclusive source rectangle clamped into the source: a negative left or top becomes 0, the
// right and bottom at most the last column and row. Its first pixel then goes to the target
// point.
TPixRect ClampedInto(const TPixels24& src, TPixRect r) {
  return TPixRect{std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, src.Width - 1),
                  std::min(r.Bottom, src.Height - 1)};
}

}  // namespace

void PixPaintMaskedRect(const TPixels24& dst, const TPixels24& src, int x, int y, TPixRect src_rect,
                        TPixKey key) {
  src_rect = ClampedInto(src, src_rect);
  TSpan s;
  if (!ClipSpan(dst, x, y, src, src_rect.Left, src_rect.Top, int64_t{src_rect.Right} - src_rect.Left + 1,
                int64_t{src_rect.Bottom} - src_rect.Top + 1, nullptr, src.Height, s))
    return;
  for (int row = 0; row < s.h; ++row) {
    uint8_t* d = dst.At(s.dx, s.dy + row);
    const uint8_t* p = src.At(s.sx, s.sy + row);
    for (int col = 0; col < s.w; ++col, d += 3, p += 3)
      if (!key.Is(ColorAt(p))) d[0] = p[0], d[1] = p[1], d[2] = p[2];
  }
}

void PixCopyRect(const TPixels24& dst, int x, int y, const TPixels24& src, TPixRect src_rect) {
  TSpan s;
  if (!ClipSpan(dst, x, y, src, src_rect.Left, src_rect.Top, src_rect.Width(), src_rect.Height(), nullptr,
                src.Height, s))
    return;
  for (int row = 0; row < s.h; ++row)
    std::copy_n(src.At(s.sx, s.sy + row), s.w * 3, dst.At(s.dx, s.dy + row));
}

void PixTileRect(const TPixels24& dst, TPixRect q, const TPixels24& src, TPixRect cell) {
  cell = TPixRect{std::max(cell.Left, 0), std::max(cell.Top, 0), std::min(cell.Right, src.Width),
                  std::min(cell.Bottom, src.Height)};
  // What of q lies in dst; the tiles still start at q's corner.
  const TPixRect v{std::max(q.Left, 0), std::max(q.Top, 0), std::min(q.Right, dst.Width),
                   std::min(q.Bottom, dst.Height)};
  if (src.Empty() || dst.Empty() || cell.Width() < 1 || cell.Height() < 1 || v.Width() < 1 || v.Height() < 1)
    return;
  const int w = static_cast<int>(cell.Width()), h = static_cast<int>(cell.Height());
  // A small cell is repeated into a tile of some 64 pixels a side first: one copy for each
  // pixel of a 1 x 1 cell would cost far more than the pixels themselves.
  constexpr int kTileSide = 64;
  auto repeats = [](int side, int64_t span) {
    return static_cast<int>(std::min<int64_t>((kTileSide + side - 1) / side, (span + side - 1) / side));
  };
  const int tw = w * repeats(w, v.Width()), th = h * repeats(h, v.Height());
  std::vector<uint8_t> wide;
  TPixels24 from = src;
  if (tw > w || th > h) {
    const ptrdiff_t stride = static_cast<ptrdiff_t>(tw) * 3;
    wide.resize(static_cast<size_t>(stride) * th);
    from = TPixels24{wide.data(), tw, th, stride};
    for (int x = 0; x < tw; x += w) PixCopyRect(from, x, 0, src, cell);
    for (int y = h; y < th; y += h) PixCopyRect(from, 0, y, from, TPixRect{0, 0, tw, h});
    cell = TPixRect{0, 0, tw, th};
  }
  const int64_t x0 = q.Left + (v.Left - int64_t{q.Left}) / tw * tw;
  const int64_t y0 = q.Top + (v.Top - int64_t{q.Top}) / th * th;
  for (int64_t y = y0; y < v.Bottom; y += th)
    for (int64_t x = x0; x < v.Right; x += tw)
      PixCopyRect(
          dst, static_cast<int>(x), static_cast<int>(y), from,
          TPixRect{cell.Left, cell.Top, cell.Left + static_cast<int>(std::min<int64_t>(tw, q.Right - x)),
                   cell.Top + static_cast<int>(std::min<int64_t>(th, q.Bottom - y))});
}

void PixBlendRectWithColor(const TPixels24& dst, int x, int y, TPixKey key, double ratio,
                           const TPixels24& src, TPixRect src_rect) {
  // Rows end at the first one outside the target, and each row at its first column outside
  // it: a first row above or a first column left of the target paints nothing.
  if (x < 0 || y < 0) return;
  src_rect = ClampedInto(src, src_rect);
  TSpan s;
  if (!ClipSpan(dst, x, y, src, src_rect.Left, src_rect.Top, int64_t{src_rect.Right} - src_rect.Left + 1,
                int64_t{src_rect.Bottom} - src_rect.Top + 1, nullptr, src.Height, s))
    return;
  for (int row = 0; row < s.h; ++row) {
    uint8_t* d = dst.At(s.dx, s.dy + row);
    const uint8_t* p = src.At(s.sx, s.sy + row);
    for (int col = 0; col < s.w; ++col, d += 3, p += 3) {
      if (key.Is(ColorAt(p))) continue;
      for (int i = 0; i < 3; ++i) d[i] = Byte(p[i] - (p[i] - d[i]) * ratio);
    }
  }
}

// ---- The 9-part frame and the glyph -------------------------------------------------------

namespace {

// Rectangles beyond this are refused: no arithmetic on them may overflow.
constexpr int64_t kFarCoordinate = int64_t{1} << 28;

bool Reasonable(const TPixRect& r) {
  return std::abs(int64_t{r.Left}) < kFarCoordinate && std::abs(int64_t{r.Top}) < kFarCoordinate &&
         std::abs(int64_t{r.Right}) < kFarCoordinate && std::abs(int64_t{r.Bottom}) < kFarCoordinate;
}

// One state frame of a mask: its origin, height, cells and where its alpha mask lies.
struct TFrame {
  int fx = 0, fy = 0, fh = 0, cw = 0, ch = 0, mask_offset = 0;
  bool masked = false;  // alpha mask below (own bitmaps always)
};

// A negative type would divide by zero or below it: it counts as 0.
int64_t MaskTypeOf(const TPixMask& mask) { return std::max(mask.MaskType, 0); }

bool FrameOf(const TPixMask& mask, int state, TFrame& f) {
  if (mask.Img.Empty()) return false;
  if (mask.Own) {
    // Three states only: a later one lies right of the bitmap, an earlier one left of it.
    if (state < 0 || state > 2) return false;
    f.cw = mask.Img.Width / 9;
    f.ch = mask.Img.Height / 6;
    f.fh = mask.Img.Height / 2;
    f.fx = state * 3 * f.cw;
    f.fy = 0;
    f.mask_offset = mask.Img.Height / 2;
    f.masked = true;
  } else {
    if (mask.ImageCount <= 0 || !Reasonable(mask.R)) return false;
    const int64_t type = MaskTypeOf(mask);
    state = std::min(state, mask.ImageCount - 1);
    int64_t rw = mask.R.Width(), rh = mask.R.Height();
    if (rw <= 0 || rh <= 0) return false;
    // A state before the first is read left of the rectangle; once that lies wholly left of
    // the bitmap nothing is painted, so far origins are not computed on in 32 bits.
    const int64_t fx = mask.R.Left + rw * state / mask.ImageCount;
    if (fx + rw <= 0) return false;
    f.cw = static_cast<int>(rw / (int64_t{mask.ImageCount} * 3));
    f.ch = static_cast<int>(rh / ((type + 1) * 3));
    f.fh = static_cast<int>(rh / (type + 1));
    f.fx = static_cast<int>(fx);
    f.fy = mask.R.Top;
    f.mask_offset = static_cast<int>(rh / 2);
    f.masked = type >= 1;
  }
  return f.cw > 0 && f.ch > 0;
}

// Tiles `cell` of src over `area` of dst (both exclusive), whole cells from the area's top-left
// corner on and the last ones cut: the edges and the middle of a frame. A pixel whose target,
// source or mask pixel lies outside its view is left out. Row by row rather than cell by cell,
// so that small cells over a large area cost no more than large ones.
void TileCell(const TPixels24& dst, TPixRect area, const TPixels24& src, TPixRect cell, bool masked,
              int mask_offset) {
  const int64_t cw = cell.Width(), ch = cell.Height();
  const int x0 = std::max(area.Left, 0), x1 = std::min(area.Right, dst.Width);
  const int y0 = std::max(area.Top, 0), y1 = std::min(area.Bottom, dst.Height);
  if (cw <= 0 || ch <= 0 || x0 >= x1 || y0 >= y1 || src.Empty()) return;
  std::vector<int> columns(x1 - x0);  // byte offset of each target column's source pixel, or -1
  for (int x = x0; x < x1; ++x) {
    int64_t sx = cell.Left + (int64_t{x} - area.Left) % cw;
    columns[x - x0] = sx >= 0 && sx < src.Width ? static_cast<int>(sx * 3) : -1;
  }
  for (int y = y0; y < y1; ++y) {
    int64_t sy = cell.Top + (int64_t{y} - area.Top) % ch;
    if (sy < 0 || sy >= src.Height) continue;
    if (masked && (sy + mask_offset < 0 || sy + mask_offset >= src.Height)) continue;
    const uint8_t* image = src.At(0, static_cast<int>(sy));
    const uint8_t* mask = masked ? src.At(0, static_cast<int>(sy + mask_offset)) : nullptr;
    uint8_t* d = dst.At(x0, y);
    for (int i = 0; i < x1 - x0; ++i, d += 3) {
      int c = columns[i];
      if (c < 0) continue;
      if (masked)
        MaskMix(d, image + c, mask + c, 0);
      else
        d[0] = image[c], d[1] = image[c + 1], d[2] = image[c + 2];
    }
  }
}

}  // namespace

void PixDrawSkinMaskRect(const TPixels24& dst, TPixRect r, bool filling, const TPixCache& ci,
                         const TPixMask& mask, int state) {
  TFrame f;
  if (dst.Empty() || !Reasonable(r) || r.Width() < 2 || r.Height() < 2 || !FrameOf(mask, state, f)) return;
  const int w = static_cast<int>(r.Width()), h = static_cast<int>(r.Height()), cw = f.cw, ch = f.ch;
  int lw = cw, rw = cw, th = ch, bh = ch;
  if (w < 2 * cw) lw = w / 2, rw = lw + w % 2;
  if (h < 2 * ch) th = h / 2, bh = th + h % 2;
  const TPixels24& img = mask.Img;
  auto corner = [&](int x, int y, int pw, int ph, int sx, int sy) {
    if (f.masked)
      PixCopyBitmapRect(dst, {x, y, x + pw, y + ph}, img, {sx, sy, sx + pw, sy + ph}, f.mask_offset, ci);
    else
      PixPaintMaskedRect(dst, img, x, y, {sx, sy, sx + pw - 1, sy + ph - 1}, {true, kPixKeyColor});
  };
  auto tile = [&](TPixRect area, TPixRect cell) { TileCell(dst, area, img, cell, f.masked, f.mask_offset); };
  const int fx = f.fx, fy = f.fy, right_x = fx + 3 * cw - rw, bottom_y = fy + f.fh - bh;
  const int inner_top = r.Top + ch, inner_bottom = r.Bottom - ch, inner_left = r.Left + cw,
            inner_right = r.Right - cw;
  corner(r.Left, r.Top, lw, th, fx, fy);
  tile({r.Left, inner_top, r.Left + lw, inner_bottom}, {fx, fy + ch, fx + lw, fy + 2 * ch});
  tile({inner_left, r.Top, inner_right, r.Top + th}, {fx + cw, fy, fx + 2 * cw, fy + th});
  corner(r.Left, r.Bottom - bh, lw, bh, fx, bottom_y);
  tile({inner_left, r.Bottom - bh, inner_right, r.Bottom}, {fx + cw, bottom_y, fx + 2 * cw, bottom_y + bh});
  corner(r.Right - rw, r.Bottom - bh, rw, bh, right_x, bottom_y);
  corner(r.Right - rw, r.Top, rw, th, right_x, fy);
  tile({r.Right - rw, inner_top, r.Right, inner_bottom}, {right_x, fy + ch, right_x + rw, fy + 2 * ch});
  if (filling)
    tile({inner_left, inner_top, inner_right, inner_bottom}, {fx + cw, fy + ch, fx + 2 * cw, fy + 2 * ch});
}

void PixDrawSkinGlyph(const TPixels24& dst, int x, int y, int state, const TPixMask& mask, int mode) {
  if (dst.Empty() || mask.Img.Empty() || std::abs(int64_t{x}) >= kFarCoordinate ||
      std::abs(int64_t{y}) >= kFarCoordinate)
    return;
  const TPixels24& img = mask.Img;
  // Only the part of the cell from (dx, dy) on is visible; it never reaches the next state.
  int dx = x < 0 ? -x : 0, dy = y < 0 ? -y : 0;
  const TPixKey key{true, kPixKeyColor};
  if (mask.Own) {
    int cw = img.Width / 3, ch = img.Height / 2;
    // A state outside the three lies beside the bitmap: nothing of it is painted.
    if (state < 0 || state > 2 || cw <= 0 || ch <= 0 || dx >= cw || dy >= ch) return;
    int x0 = state * cw;
    PixCopyMasked(dst, {x + dx, y + dy, x + cw - 1, y + ch - 1}, img, {x0 + dx, dy, x0 + cw - 1, ch - 1}, ch,
                  img.Height / 2, mode, key);
    return;
  }
  if (mask.ImageCount <= 0 || !Reasonable(mask.R)) return;
  const int64_t type = MaskTypeOf(mask);
  int cw = static_cast<int>(mask.R.Width() / mask.ImageCount),
      ch = static_cast<int>(mask.R.Height() / (type + 1));
  if (cw <= 0 || ch <= 0 || dx >= cw || dy >= ch) return;
  state = std::min(state, mask.ImageCount - 1);
  // A state before the first is read left of the rectangle; wholly left of the bitmap it
  // paints nothing, and its far origin is not computed on in 32 bits.
  const int64_t left = mask.R.Left + int64_t{state} * cw + dx;
  if (left + cw <= 0) return;
  int sx = static_cast<int>(left), sy = mask.R.Top + dy;
  TPixRect src{sx, sy, sx + cw - dx - 1, sy + ch - dy - 1};
  if (type == 0) {
    if (mode == 1)
      PixPaintMaskedRect(dst, img, x + dx, y + dy, src, key);
    else
      PixBlendRectWithColor(dst, x + dx, y + dy, key, 0.5, img, src);
  } else {
    PixCopyMasked(dst, {x + dx, y + dy, x + cw - 1, y + ch - 1}, img, src,
                  static_cast<int>(mask.R.Height() / 2), img.Height, mode, key);
  }
}

// ---- Blends -------------------------------------------------------------------------------

void PixBlendColorRectPercent(const TPixels24& bmp, TPixRect r, int transparency, uint32_t color) {
  if (bmp.Empty()) return;
  int left = std::max(r.Left, 0), top = std::max(r.Top, 0);
  int right = std::min(r.Right, bmp.Width - 1), bottom = std::min(r.Bottom, bmp.Height - 1);
  double p = std::clamp(transparency, 0, 100) / 100.0;
  // Every channel value's result looked up: the same arithmetic, once per value, not per pixel.
  uint8_t table[3][256];
  for (int i = 0; i < 3; ++i) {
    const double c = Channel(color, i) * (1 - p);
    for (int v = 0; v < 256; ++v) table[i][v] = Byte(v * p + c);
  }
  for (int y = top; y <= bottom; ++y) {
    uint8_t* d = bmp.At(left, y);
    for (int x = left; x <= right; ++x, d += 3)
      for (int i = 0; i < 3; ++i) d[i] = table[i][d[i]];
  }
}

void PixBlendBitmaps(const TPixels24& a, const TPixels24& b, int alpha) {
  if (a.Empty() || b.Empty() || a.Width != b.Width || a.Height != b.Height) return;
  double k = std::clamp(alpha, 0, 255) / 256.0;
  for (int y = 0; y < a.Height; ++y) {
    uint8_t* d = a.At(0, y);
    const uint8_t* s = b.At(0, y);
    for (int x = 0; x < a.Width * 3; ++x) d[x] = Byte((d[x] - s[x]) * k + s[x]);
  }
}

void PixBlendBitmapRect(const TPixels24& dst, const TPixels24& src, uint32_t weight, TPixRect src_rect,
                        int dst_x, int dst_y) {
  TSpan s;
  if (!ClipSpan(dst, dst_x, dst_y, src, src_rect.Left, src_rect.Top, src_rect.Width(), src_rect.Height(),
                nullptr, src.Height, s))
    return;
  const int sum = Channel(weight, 0) + Channel(weight, 1) + Channel(weight, 2);
  if (sum % 3 == 0) {
    // A grey weight g makes the factor g / 256, exact in binary: S + (D - S) * g / 256 is then
    // rounded (to even on ties) in integers with the very same result.
    const int g = sum / 3;
    for (int row = 0; row < s.h; ++row) {
      uint8_t* d = dst.At(s.dx, s.dy + row);
      const uint8_t* p = src.At(s.sx, s.sy + row);
      for (int i = 0; i < s.w * 3; ++i) {
        // Up when the rest is above a half, or a half and the quotient odd.
        const int n = p[i] * (256 - g) + d[i] * g, q = n >> 8;
        d[i] = static_cast<uint8_t>(q + (((n & 255) + (q & 1)) > 128));
      }
    }
    return;
  }
  double a = sum / 768.0;
  for (int row = 0; row < s.h; ++row) {
    uint8_t* d = dst.At(s.dx, s.dy + row);
    const uint8_t* p = src.At(s.sx, s.sy + row);
    for (int i = 0; i < s.w * 3; ++i) d[i] = Byte(p[i] + (d[i] - p[i]) * a);
  }
}

void PixBlendColorByMask(const TPixels24& bmp, const TPixels24& mask, uint32_t color) {
  if (bmp.Empty() || mask.Empty() || bmp.Width != mask.Width || bmp.Height != mask.Height) return;
  int c[3];
  for (int i = 0; i < 3; ++i) c[i] = Channel(color, i);
  for (int y = 0; y < bmp.Height; ++y) {
    uint8_t* d = bmp.At(0, y);
    const uint8_t* m = mask.At(0, y);
    for (int x = 0; x < bmp.Width; ++x, d += 3, m += 3)
      for (int i = 0; i < 3; ++i) d[i] = static_cast<uint8_t>(((d[i] - c[i]) * m[i] + 255 * c[i]) >> 8);
  }
}

void PixBlendBitmapPixels(const TPixels24& bmp, TPixKey key, uint32_t color, double ratio) {
  if (bmp.Empty()) return;
  for (int y = 0; y < bmp.Height; ++y) {
    uint8_t* d = bmp.At(0, y);
    for (int x = 0; x < bmp.Width; ++x, d += 3) {
      if (key.Is(ColorAt(d))) continue;
      for (int i = 0; i < 3; ++i) d[i] = Byte((d[i] - Channel(color, i)) * ratio + Channel(color, i));
    }
  }
}

void PixGrayScale(const TPixels24& bmp, TPixKey key) {
  if (bmp.Empty()) return;
  for (int y = 0; y < bmp.Height; ++y) {
    uint8_t* d = bmp.At(0, y);
    for (int x = 0; x < bmp.Width; ++x, d += 3) {
      if (key.Is(ColorAt(d))) continue;
      d[0] = d[1] = d[2] = static_cast<uint8_t>((d[0] + d[1] + d[2]) / 3);
    }
  }
}

void PixMaskBitmapPixels(const TPixels24& dst, const TPixels24& src, int x, int y, TPixKey key) {
  if (src.Empty()) return;
  PixPaintMaskedRect(dst, src, x, y, {0, 0, src.Width - 1, src.Height - 1}, key);
}
