// Border painters and the stored border bitmaps.
#include "skin/engine/sborders.h"

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "skin/engine/smaskpaint.h"
#include "toolkit/bitmap.h"

namespace {

struct FreeBitmap {
  void operator()(TBitmap* bitmap) const { Free(bitmap); }
};

// The stored borders, loaded when the skin engine starts (and by a use after they were freed);
// a missing resource stays null and is not looked for again.
struct StoredBorders {
  std::array<std::unique_ptr<TBitmap, FreeBitmap>, 6> bitmaps;
  std::array<bool, 6> tried{};
};
StoredBorders& Stored() {
  static StoredBorders stored;
  return stored;
}

TBitmap* StoredBorder(int index) {
  StoredBorders& stored = Stored();
  if (!stored.tried[index]) {
    stored.tried[index] = true;
    TBitmap* bitmap = New<TBitmap>();
    try {
      bitmap->LoadFromResourceName(GetModuleHandleW(nullptr), "BORD" + std::to_string(index + 1));
      bitmap->SetPixelFormat(pf24bit);
      stored.bitmaps[index].reset(bitmap);
    } catch (const Exception&) {
      Free(bitmap);
    }
  }
  return stored.bitmaps[index].get();
}

}  // namespace

void LoadStoredBorders() {
  for (int i = 0; i < 6; ++i) StoredBorder(i);
}

void FreeStoredBorders() { Stored() = StoredBorders(); }

int LoadedStoredBorders() {
  const auto& bitmaps = Stored().bitmaps;
  return static_cast<int>(
      std::count_if(bitmaps.begin(), bitmaps.end(), [](const auto& b) { return b != nullptr; }));
}

namespace {

void XorRuns(HRGN region, const std::vector<TPixRect>& runs) {
  if (!region) return;
  for (const TPixRect& run : runs) {
    HRGN piece = CreateRectRgn(run.Left, run.Top, run.Right, run.Bottom);
    CombineRgn(region, region, piece, RGN_XOR);
    DeleteObject(piece);
  }
}

// The frame of one state as the 9-part rule cuts it.
struct FrameGeometry {
  int fx = 0, fy = 0, cw = 0, ch = 0, fh = 0;
  bool valid = false;
};

FrameGeometry OwnFrame(int width, int height, int state) {
  FrameGeometry g;
  g.cw = width / 9;
  g.ch = height / 6;
  g.fx = state * 3 * g.cw;
  g.fh = height / 2;
  g.valid = g.cw > 0 && g.ch > 0;
  return g;
}

FrameGeometry MasterFrame(const TsMaskData& mask, int state) {
  FrameGeometry g;
  // A negative MaskType (only an internal skin can hold one) would divide by zero or less.
  if (mask.ImageCount < 1 || mask.MaskType < 0) return g;
  const int w = mask.R.right - mask.R.left, h = mask.R.bottom - mask.R.top;
  const int layers = mask.MaskType + 1;
  state = std::min(state, mask.ImageCount - 1);
  g.fx = mask.R.left + w * state / mask.ImageCount;
  g.fy = mask.R.top;
  g.cw = w / (mask.ImageCount * 3);
  g.ch = h / (layers * 3);
  g.fh = h / layers;
  g.valid = g.cw > 0 && g.ch > 0;
  return g;
}

RECT Inclusive(const TPixRect& r) { return RECT{r.Left, r.Top, r.Right - 1, r.Bottom - 1}; }

}  // namespace

TBitmap* GetBorderBitmap(TsPredefinedBorders predefined, TBitmap* mask) {
  if (predefined == pdCustom) return mask && mask->GetWidth() > 0 ? mask : StoredBorder(0);
  const int index = static_cast<int>(predefined);
  return index >= 0 && index < 6 ? StoredBorder(index) : nullptr;
}

std::vector<TsNinePiece> NinePieces(TPixRect r, int fx, int fy, int cw, int ch, int fh, bool filling) {
  std::vector<TsNinePiece> pieces;
  const int W = r.Width(), H = r.Height();
  // Zero-size cells would never step forward along an edge.
  if (W < 2 || H < 2 || cw < 1 || ch < 1) return pieces;
  int lw = cw, rw = cw, th = ch, bh = ch;
  if (W < 2 * cw) lw = W / 2, rw = lw + W % 2;
  if (H < 2 * ch) th = H / 2, bh = th + H % 2;
  auto add = [&](TsNinePiece::Kind kind, int sx, int sy, int x, int y, int w, int h) {
    pieces.push_back({kind, TPixRect{sx, sy, sx + w, sy + h}, TPixRect{x, y, x + w, y + h}});
  };
  // Whole cells from `from` while they leave room for the far corner, then one cut piece.
  auto steps = [](int from, int end, int cell, auto place) {
    int p = from;
    for (; p < end - 2 * cell; p += cell) place(p, cell);
    if (p < end - cell) place(p, end - cell - p);
  };
  const int right_x = fx + 3 * cw - rw, bottom_y = fy + fh - bh;
  add(TsNinePiece::Corner, fx, fy, r.Left, r.Top, lw, th);
  steps(r.Top + ch, r.Bottom, ch,
        [&](int y, int h) { add(TsNinePiece::Edge, fx, fy + ch, r.Left, y, lw, h); });
  steps(r.Left + cw, r.Right, cw,
        [&](int x, int w) { add(TsNinePiece::Edge, fx + cw, fy, x, r.Top, w, th); });
  add(TsNinePiece::Corner, fx, bottom_y, r.Left, r.Bottom - bh, lw, bh);
  steps(r.Left + cw, r.Right, cw,
        [&](int x, int w) { add(TsNinePiece::Edge, fx + cw, bottom_y, x, r.Bottom - bh, w, bh); });
  add(TsNinePiece::Corner, right_x, bottom_y, r.Right - rw, r.Bottom - bh, rw, bh);
  add(TsNinePiece::Corner, right_x, fy, r.Right - rw, r.Top, rw, th);
  steps(r.Top + ch, r.Bottom, ch,
        [&](int y, int h) { add(TsNinePiece::Edge, right_x, fy + ch, r.Right - rw, y, rw, h); });
  if (filling)
    steps(r.Top + ch, r.Bottom, ch, [&](int y, int h) {
      steps(r.Left + cw, r.Right, cw,
            [&](int x, int w) { add(TsNinePiece::Middle, fx + cw, fy + ch, x, y, w, h); });
    });
  return pieces;
}

void PixCopyBorderPart(const TPixels24& dst, TPixRect dst_rect, const TPixels24& src, TPixRect src_rect,
                       int mask_offset, int row_limit, TPixKey key, std::vector<TPixRect>* runs) {
  if (dst.Empty() || src.Empty()) return;
  int cols = std::min(dst_rect.Right - dst_rect.Left, src_rect.Right - src_rect.Left) + 1;
  int rows = std::min(dst_rect.Bottom - dst_rect.Top, src_rect.Bottom - src_rect.Top) + 1;
  int dx = dst_rect.Left, dy = dst_rect.Top, sx = src_rect.Left, sy = src_rect.Top;
  // Move both starts forward past whatever lies before either bitmap.
  if (const int skip = -std::min({dx, sx, 0}); skip > 0) dx += skip, sx += skip, cols -= skip;
  if (const int skip = -std::min({dy, sy, 0}); skip > 0) dy += skip, sy += skip, rows -= skip;
  mask_offset = std::max(mask_offset, 0);
  cols = std::min({cols, dst.Width - dx, src.Width - sx});
  rows =
      std::min({rows, dst.Height - dy, std::min(row_limit, src.Height) - sy, src.Height - mask_offset - sy});
  if (cols < 1 || rows < 1) return;
  for (int r = 0; r < rows; ++r) {
    uint8_t* d = dst.At(dx, dy + r);
    const uint8_t* s = src.At(sx, sy + r);
    const uint8_t* m = src.At(sx, sy + r + mask_offset);
    int run = -1;
    for (int c = 0; c < cols; ++c, d += 3, s += 3, m += 3) {
      const uint32_t color = s[2] | (s[1] << 8) | (static_cast<uint32_t>(s[0]) << 16);
      if (key.Is(color)) {
        if (run < 0) run = c;
        continue;
      }
      if (run >= 0) {
        if (runs) runs->push_back(TPixRect{dx + run, dy + r, dx + c, dy + r + 1});
        run = -1;
      }
      for (int ch = 0; ch < 3; ++ch)
        d[ch] = static_cast<uint8_t>((d[ch] * m[ch] + s[ch] * (256 - m[ch])) >> 8);
    }
    if (run >= 0 && runs) runs->push_back(TPixRect{dx + run, dy + r, dx + cols, dy + r + 1});
  }
}

namespace {

void CopyBorderPiece(const TPixels24& d, const TPixels24& s, const RECT& dst_rect, const RECT& src_rect,
                     const TsMaskData& mask_data, HRGN region, TColor trans_color) {
  if (!mask_data.Bmp && mask_data.MaskType == 0) {
    PixCopyRect(d, dst_rect.left, dst_rect.top, s,
                TPixRect{src_rect.left, src_rect.top, src_rect.right + 1, src_rect.bottom + 1});
    return;
  }
  // An own bitmap keeps its mask in its lower half; a master image half its rectangle lower,
  // as the other masked copies read it (half the master bitmap would be another image's).
  const int mask_offset = mask_data.Bmp ? s.Height / 2 : (mask_data.R.bottom - mask_data.R.top) / 2;
  const TPixKey key = PixKeyOf(trans_color);
  std::vector<TPixRect> runs;
  PixCopyBorderPart(d, PixRect(dst_rect), s, PixRect(src_rect), mask_offset, s.Height, key, &runs);
  XorRuns(region, runs);
}

}  // namespace

void CopyBorderPart(const RECT& dst_rect, const RECT& src_rect, TBitmap* dst, const TsMaskData& mask_data,
                    HRGN region, TColor trans_color, TBitmap* src) {
  CopyBorderPiece(Pixels24(dst), Pixels24(src), dst_rect, src_rect, mask_data, region, trans_color);
}

void PaintRasterBorder(TBitmap* dst, TBitmap* border, int state, TColor trans_color, HRGN region) {
  if (!dst || !border || dst->GetWidth() < 3 || dst->GetHeight() < 3) return;
  const FrameGeometry g = OwnFrame(border->GetWidth(), border->GetHeight(), state);
  if (!g.valid) return;
  TsMaskData own;
  own.Bmp = border;
  const TPixels24 d = Pixels24(dst), s = Pixels24(border);
  const TPixRect whole{0, 0, dst->GetWidth(), dst->GetHeight()};
  for (const TsNinePiece& piece : NinePieces(whole, g.fx, g.fy, g.cw, g.ch, g.fh, false))
    CopyBorderPiece(d, s, Inclusive(piece.dst), Inclusive(piece.src), own, region, trans_color);
}

void PaintBorderRegion(TBitmap* dst, HRGN region, bool filling, const TsMaskData& mask_data, int state) {
  if (!dst || dst->GetWidth() < 3 || dst->GetHeight() < 3) return;
  TBitmap* src = mask_data.Bmp ? mask_data.Bmp : MasterBitmap;
  if (!src || src->GetEmpty()) return;
  const FrameGeometry g =
      mask_data.Bmp ? OwnFrame(src->GetWidth(), src->GetHeight(), state) : MasterFrame(mask_data, state);
  if (!g.valid) return;
  const TPixels24 d = Pixels24(dst), s = Pixels24(src);
  const TPixRect whole{0, 0, dst->GetWidth(), dst->GetHeight()};
  const bool masked = mask_data.Bmp || mask_data.MaskType >= 1;
  const TPixCache no_cache;
  const int mask_offset = mask_data.Bmp ? s.Height / 2 : (mask_data.R.bottom - mask_data.R.top) / 2;
  for (const TsNinePiece& piece : NinePieces(whole, g.fx, g.fy, g.cw, g.ch, g.fh, filling)) {
    if (!masked)
      PixCopyRect(d, piece.dst.Left, piece.dst.Top, s, piece.src);
    else if (piece.kind == TsNinePiece::Middle)
      PixCopyBitmapRect(d, piece.dst, s, piece.src, mask_offset, no_cache);
    else
      CopyBorderPiece(d, s, Inclusive(piece.dst), Inclusive(piece.src), mask_data, region, sKeyColor);
  }
}
