#include "toolkit/bitmap.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "toolkit/bytes.h"
#include "toolkit/canvas.h"

// The canvas of a bitmap: a memory DC with the bitmap's section selected, made on demand and
// kept until the section changes or someone needs the section unselected.
class TBitmapCanvas : public TCanvas {
  TK_CLASS(TBitmapCanvas, TCanvas)

 public:
  explicit TBitmapCanvas(TBitmap* bitmap) : bitmap_(bitmap) {}
  ~TBitmapCanvas() override { FreeContext(); }

  void FreeContext();

 protected:
  void CreateHandle() override;

 private:
  TBitmap* bitmap_;
  HDC dc_ = nullptr;
  HGDIOBJ old_bitmap_ = nullptr;
};

TK_ABSTRACT_CLASS_INFO(TBitmapCanvas, TCanvas)

void TBitmapCanvas::CreateHandle() {
  HDC dc = TrackDC(CreateCompatibleDC(nullptr));
  if (bitmap_->dib_) old_bitmap_ = SelectObject(dc, bitmap_->dib_);
  dc_ = dc;
  SetHandle(dc);
}

void TBitmapCanvas::FreeContext() {
  if (!dc_) return;
  SetHandle(nullptr);
  if (old_bitmap_) SelectObject(dc_, old_bitmap_);
  old_bitmap_ = nullptr;
  DeleteTrackedDC(dc_);
  dc_ = nullptr;
}

namespace {

// Sizes beyond these are refused as corrupt rather than tried.
constexpr int64_t kMaxPixels = int64_t{1} << 28;
constexpr int64_t kMaxSide = 1 << 20;

int BitsPerPixel(TPixelFormat format) {
  switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf24bit: return 24;
    default: return 32;
  }
}

bool HasColorTable(TPixelFormat format) { return format == pf1bit || format == pf4bit || format == pf8bit; }

int64_t RowBytes(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

RGBQUAD Quad(COLORREF color) { return RGBQUAD{GetBValue(color), GetGValue(color), GetRValue(color), 0}; }

COLORREF FromQuad(const RGBQUAD& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }

// The standard colour tables: black and white; the 16 VGA colours; those 16, a 6 x 6 x 6
// colour cube and 24 greys.
std::vector<RGBQUAD> StandardColors(TPixelFormat format) {
  static constexpr COLORREF kVga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                        0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                        0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
  std::vector<RGBQUAD> colors;
  if (format == pf1bit) {
    colors = {Quad(0x000000), Quad(0xFFFFFF)};
  } else if (format == pf4bit) {
    for (COLORREF c : kVga) colors.push_back(Quad(c));
  } else if (format == pf8bit) {
    for (COLORREF c : kVga) colors.push_back(Quad(c));
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) colors.push_back(Quad(RGB(r * 51, g * 51, b * 51)));
    for (int i = 0; i < 24; ++i) {
      int v = 8 + i * 10;
      colors.push_back(Quad(RGB(v, v, v)));
    }
  }
  return colors;
}

COLORREF ReadPixel(const uint8_t* row, int x, TPixelFormat format, const std::vector<RGBQUAD>& colors) {
  unsigned index;
  switch (format) {
    case pf1bit: index = (row[x >> 3] >> (7 - (x & 7))) & 1; break;
    case pf4bit: index = (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF; break;
    case pf8bit: index = row[x]; break;
    case pf24bit: {
      const uint8_t* p = row + x * 3;
      return RGB(p[2], p[1], p[0]);
    }
    default: {
      const uint8_t* p = row + x * 4;
      return RGB(p[2], p[1], p[0]);
    }
  }
  return index < colors.size() ? FromQuad(colors[index]) : 0;
}

void WriteIndex(uint8_t* row, int x, TPixelFormat format, unsigned index) {
  switch (format) {
    case pf1bit: {
      uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
      row[x >> 3] = static_cast<uint8_t>(index ? row[x >> 3] | bit : row[x >> 3] & ~bit);
      break;
    }
    case pf4bit: {
      uint8_t& b = row[x >> 1];
      b = (x & 1) ? static_cast<uint8_t>((b & 0xF0) | (index & 0xF))
                  : static_cast<uint8_t>((b & 0x0F) | (index << 4));
      break;
    }
    default: row[x] = static_cast<uint8_t>(index);
  }
}

void WriteColor(uint8_t* row, int x, TPixelFormat format, COLORREF color) {
  uint8_t* p = row + x * (format == pf24bit ? 3 : 4);
  p[0] = GetBValue(color);
  p[1] = GetGValue(color);
  p[2] = GetRValue(color);
}

int Distance(COLORREF a, COLORREF b) {
  int dr = GetRValue(a) - GetRValue(b), dg = GetGValue(a) - GetGValue(b), db = GetBValue(a) - GetBValue(b);
  return dr * dr + dg * dg + db * db;
}

unsigned Nearest(COLORREF color, const std::vector<RGBQUAD>& colors) {
  unsigned best = 0;
  int best_distance = INT_MAX;
  for (unsigned i = 0; i < colors.size(); ++i) {
    int d = Distance(color, FromQuad(colors[i]));
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return best;
}

bool IsBlackAndWhite(const std::vector<RGBQUAD>& colors) {
  if (colors.size() != 2) return false;
  COLORREF a = FromQuad(colors[0]), b = FromQuad(colors[1]);
  return (a == 0 && b == 0xFFFFFF) || (a == 0xFFFFFF && b == 0);
}

// One channel of a BI_BITFIELDS pixel, scaled to 0..255.
struct TChannelMask {
  uint32_t mask = 0;
  int shift = 0;
  uint32_t max = 0;

  explicit TChannelMask(uint32_t m) : mask(m) {
    if (!m) return;
    while (!((m >> shift) & 1)) ++shift;
    max = m >> shift;
  }
  uint8_t Extract(uint32_t pixel) const {
    if (!max) return 0;
    uint32_t v = (pixel & mask) >> shift;
    return static_cast<uint8_t>((static_cast<uint64_t>(v) * 255 + max / 2) / max);
  }
};

[[noreturn]] void Invalid(const char* what) {
  throw EInvalidGraphic(std::string("Bitmap image is not valid: ") + what);
}

}  // namespace

// ---- TBitmap ------------------------------------------------------------------------------

TK_CLASS_INFO(TBitmap, TGraphic)

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  if (canvas_) {
    Free(canvas_);
    canvas_ = nullptr;
  }
  FreeDib();
  if (palette_) DeleteObject(palette_);
}

TBitmap::TDib TBitmap::CreateDib(int width, int height, TPixelFormat format,
                                 const std::vector<RGBQUAD>& colors) {
  std::vector<uint8_t> info_bytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(info_bytes.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = -height;  // top-down: row 0 first in memory
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(BitsPerPixel(format));
  info->bmiHeader.biCompression = BI_RGB;
  if (HasColorTable(format)) {
    size_t count = std::min<size_t>(colors.size(), size_t{1} << BitsPerPixel(format));
    info->bmiHeader.biClrUsed = static_cast<DWORD>(count);
    std::memcpy(info->bmiColors, colors.data(), count * sizeof(RGBQUAD));
  }
  void* bits = nullptr;
  HBITMAP handle = CreateDIBSection(nullptr, info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!handle || !bits) {
    if (handle) DeleteObject(handle);
    throw EOutOfResources(Format("Cannot create a bitmap of %d x %d pixels", width, height));
  }
  TrackGdiObject(handle);
  return {handle, static_cast<uint8_t*>(bits), static_cast<int>(RowBytes(width, BitsPerPixel(format)))};
}

void TBitmap::InstallDib(const TDib& dib, int width, int height, TPixelFormat format,
                         std::vector<RGBQUAD> colors) {
  FreeDib();
  dib_ = dib.handle;
  bits_ = dib.bits;
  row_bytes_ = dib.row_bytes;
  width_ = width;
  height_ = height;
  pixel_format_ = format;
  colors_ = std::move(colors);
}

HPALETTE TBitmap::GetPalette() {
  if (GetEmpty() || colors_.empty()) return nullptr;
  const bool same =
      palette_ && palette_colors_.size() == colors_.size() &&
      std::memcmp(palette_colors_.data(), colors_.data(), colors_.size() * sizeof(RGBQUAD)) == 0;
  if (same) return palette_;
  if (palette_) DeleteObject(palette_);
  std::vector<uint8_t> memory(sizeof(LOGPALETTE) + colors_.size() * sizeof(PALETTEENTRY));
  auto* logical = reinterpret_cast<LOGPALETTE*>(memory.data());
  logical->palVersion = 0x300;
  logical->palNumEntries = static_cast<WORD>(colors_.size());
  for (size_t i = 0; i < colors_.size(); ++i)
    logical->palPalEntry[i] = {colors_[i].rgbRed, colors_[i].rgbGreen, colors_[i].rgbBlue, 0};
  palette_ = CreatePalette(logical);
  palette_colors_ = colors_;
  return palette_;
}

void TBitmap::FreeDib() {
  FreeCanvasContext();
  if (dib_) DeleteTrackedObject(dib_);
  dib_ = nullptr;
  bits_ = nullptr;
  row_bytes_ = 0;
}

void TBitmap::FreeCanvasContext() {
  if (canvas_) canvas_->FreeContext();
}

void TBitmap::Changed() { inherited::Changed(); }

void TBitmap::CanvasChanged(TObject*) { Changed(); }

TCanvas* TBitmap::GetCanvas() {
  if (!canvas_) {
    canvas_ = New<TBitmapCanvas>(this);
    canvas_->OnChange = TNotifyEvent(this, &TBitmap::CanvasChanged);
  }
  return canvas_;
}

void TBitmap::Assign(TPersistent* source) {
  if (!source) {
    if (GetEmpty() && width_ == 0 && height_ == 0) return;
    FreeDib();
    width_ = height_ = 0;
    Changed();
    return;
  }
  if (auto* bitmap = DynamicCast<TBitmap>(source)) {
    if (bitmap == this) return;
    if (bitmap->dib_) {
      GdiFlush();
      TDib dib = CreateDib(bitmap->width_, bitmap->height_, bitmap->pixel_format_, bitmap->colors_);
      std::memcpy(dib.bits, bitmap->bits_,
                  static_cast<size_t>(dib.row_bytes) * static_cast<size_t>(bitmap->height_));
      InstallDib(dib, bitmap->width_, bitmap->height_, bitmap->pixel_format_, bitmap->colors_);
    } else {
      FreeDib();
      width_ = bitmap->width_;
      height_ = bitmap->height_;
      pixel_format_ = bitmap->pixel_format_;
      colors_ = bitmap->colors_;
    }
    transparent_color_ = bitmap->transparent_color_;
    transparent_mode_ = bitmap->transparent_mode_;
    SetTransparent(bitmap->GetTransparent());
    Changed();
    return;
  }
  // Other graphics and pictures know how to put themselves into a bitmap (AssignTo).
  inherited::Assign(source);
}

void TBitmap::SetSize(int width, int height) {
  width = std::max(width, 0);
  height = std::max(height, 0);
  if (width == width_ && height == height_) return;
  if (width == 0 || height == 0 || width > kMaxSide || height > kMaxSide ||
      int64_t{width} * height > kMaxPixels) {
    if (width && height)
      throw EInvalidGraphicOperation(Format("Bitmap size %d x %d is too large", width, height));
    FreeDib();
    width_ = width;
    height_ = height;
    Changed();
    return;
  }
  if (HasColorTable(pixel_format_) && colors_.empty()) colors_ = StandardColors(pixel_format_);
  TDib dib = CreateDib(width, height, pixel_format_, colors_);
  if (dib_) {
    GdiFlush();
    int rows = std::min(height, height_), columns = std::min(width, width_);
    int bits = BitsPerPixel(pixel_format_);
    for (int y = 0; y < rows; ++y) {
      const uint8_t* from = bits_ + static_cast<size_t>(y) * row_bytes_;
      uint8_t* to = dib.bits + static_cast<size_t>(y) * dib.row_bytes;
      if (bits >= 8) {
        std::memcpy(to, from, static_cast<size_t>(columns) * (bits / 8));
      } else {
        // Pixel by pixel: whole bytes would bring the old padding bits in as pixels.
        for (int x = 0; x < columns; ++x) {
          unsigned index =
              bits == 1 ? (from[x >> 3] >> (7 - (x & 7))) & 1 : (from[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF;
          WriteIndex(to, x, pixel_format_, index);
        }
      }
    }
  }
  InstallDib(dib, width, height, pixel_format_, colors_);
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat format) {
  if (format < pfDevice || format > pf32bit || format == pixel_format_) return;
  std::vector<RGBQUAD> colors;
  if (!dib_) {
    pixel_format_ = format;
    colors_ = HasColorTable(format) ? StandardColors(format) : std::vector<RGBQUAD>{};
    Changed();
    return;
  }
  GdiFlush();
  const size_t capacity = HasColorTable(format) ? size_t{1} << BitsPerPixel(format) : 0;
  std::unordered_map<COLORREF, unsigned> index_of;
  bool keep_indices = false;
  if (HasColorTable(format)) {
    if (HasColorTable(pixel_format_) && colors_.size() <= capacity) {
      colors = colors_;  // the same indices fit: keep them
      keep_indices = true;
    } else {
      // The image's own colours when they fit, else the standard table.
      for (int y = 0; y < height_ && colors.size() <= capacity; ++y) {
        const uint8_t* row = bits_ + static_cast<size_t>(y) * row_bytes_;
        for (int x = 0; x < width_ && colors.size() <= capacity; ++x) {
          COLORREF c = ReadPixel(row, x, pixel_format_, colors_);
          if (index_of.emplace(c, static_cast<unsigned>(colors.size())).second) colors.push_back(Quad(c));
        }
      }
      if (colors.size() > capacity) {
        colors = StandardColors(format);
        index_of.clear();
      }
    }
    colors.resize(capacity, RGBQUAD{0, 0, 0, 0});
  }
  TDib dib = CreateDib(width_, height_, format, colors);
  const bool copy_32 =
      (format == pfDevice || format == pf32bit) && (pixel_format_ == pfDevice || pixel_format_ == pf32bit);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* from = bits_ + static_cast<size_t>(y) * row_bytes_;
    uint8_t* to = dib.bits + static_cast<size_t>(y) * dib.row_bytes;
    if (copy_32) {
      std::memcpy(to, from, static_cast<size_t>(row_bytes_));
      continue;
    }
    for (int x = 0; x < width_; ++x) {
      if (keep_indices) {
        unsigned index = pixel_format_ == pf1bit   ? (from[x >> 3] >> (7 - (x & 7))) & 1
                         : pixel_format_ == pf4bit ? (from[x >> 1] >> ((x & 1) ? 0 : 4)) & 0xF
                                                   : from[x];
        WriteIndex(to, x, format, index);
        continue;
      }
      COLORREF c = ReadPixel(from, x, pixel_format_, colors_);
      if (!HasColorTable(format)) {
        WriteColor(to, x, format, c);
        continue;
      }
      auto found = index_of.find(c);
      unsigned index;
      if (found != index_of.end()) {
        index = found->second;
      } else {
        index = format == pf1bit
                    ? (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29 >= 128 * 256 ? 1 : 0)
                    : Nearest(c, colors);
        index_of.emplace(c, index);
      }
      WriteIndex(to, x, format, index);
    }
  }
  InstallDib(dib, width_, height_, format, std::move(colors));
  Changed();
}

bool TBitmap::GetMonochrome() const { return pixel_format_ == pf1bit && IsBlackAndWhite(colors_); }

void TBitmap::SetMonochrome(bool monochrome) {
  if (monochrome == GetMonochrome()) return;
  if (!monochrome) {
    SetPixelFormat(pfDevice);
    return;
  }
  // Through 24 bits, so that the one-bit step maps by brightness to the black and white table.
  if (pixel_format_ == pf1bit) SetPixelFormat(pf24bit);
  if (!dib_) {
    SetPixelFormat(pf1bit);
    return;
  }
  GdiFlush();
  std::vector<RGBQUAD> colors = StandardColors(pf1bit);
  TDib dib = CreateDib(width_, height_, pf1bit, colors);
  for (int y = 0; y < height_; ++y) {
    const uint8_t* from = bits_ + static_cast<size_t>(y) * row_bytes_;
    uint8_t* to = dib.bits + static_cast<size_t>(y) * dib.row_bytes;
    for (int x = 0; x < width_; ++x) {
      COLORREF c = ReadPixel(from, x, pixel_format_, colors_);
      WriteIndex(to, x, pf1bit,
                 GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29 >= 128 * 256 ? 1 : 0);
    }
  }
  InstallDib(dib, width_, height_, pf1bit, std::move(colors));
  Changed();
}

uint8_t* TBitmap::GetScanLine(int y) {
  if (!dib_ || y < 0 || y >= height_)
    throw EInvalidGraphicOperation(Format("Scan line index %d out of range", y));
  GdiFlush();
  return bits_ + static_cast<size_t>(y) * row_bytes_;
}

TColor TBitmap::GetPixelColor(int x, int y) const {
  if (!dib_ || x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  GdiFlush();
  return static_cast<TColor>(
      ReadPixel(bits_ + static_cast<size_t>(y) * row_bytes_, x, pixel_format_, colors_));
}

TColor TBitmap::GetTransparentColor() const {
  if (transparent_mode_ == tmFixed) return transparent_color_;
  return dib_ ? GetPixelColor(0, height_ - 1) : clDefault;
}

void TBitmap::SetTransparentColor(TColor color) {
  if (color == clDefault) {
    SetTransparentMode(tmAuto);
    return;
  }
  if (transparent_mode_ == tmFixed && color == transparent_color_) return;
  transparent_mode_ = tmFixed;
  transparent_color_ = color;
  Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode) {
  if (mode == transparent_mode_ || (mode != tmAuto && mode != tmFixed)) return;
  // Fixing the mode keeps the colour that was in force.
  transparent_color_ = mode == tmFixed ? GetTransparentColor() : clDefault;
  transparent_mode_ = mode;
  Changed();
}

HBITMAP TBitmap::GetHandle() {
  if (canvas_ && canvas_->GetLockCount() == 0) canvas_->FreeContext();
  return dib_;
}

HBITMAP TBitmap::ReleaseHandle() {
  FreeCanvasContext();
  HBITMAP handle = dib_;
  if (handle) UntrackGdiObject(handle);
  dib_ = nullptr;
  bits_ = nullptr;
  row_bytes_ = 0;
  width_ = height_ = 0;
  Changed();
  return handle;
}

void TBitmap::SetHandle(HBITMAP bitmap) {
  if (!bitmap) {
    Assign(nullptr);
    return;
  }
  if (bitmap == dib_) return;
  BITMAP bm{};
  if (GetObjectA(bitmap, sizeof bm, &bm) == 0 || bm.bmWidth <= 0 || bm.bmHeight <= 0)
    throw EInvalidGraphic("Not a bitmap handle");
  int width = bm.bmWidth, height = bm.bmHeight;
  TPixelFormat format;
  switch (bm.bmBitsPixel) {
    case 1: format = pf1bit; break;
    case 4: format = pf4bit; break;
    case 8: format = pf8bit; break;
    case 16:
    case 24: format = pf24bit; break;
    default: format = pfDevice;
  }
  DIBSECTION ds{};
  bool is_dib = GetObjectA(bitmap, sizeof ds, &ds) == static_cast<int>(sizeof ds);
  if (is_dib && ds.dsBm.bmBitsPixel == 32) format = pf32bit;
  // GetDIBits reports the colour table along with the pixels.
  std::vector<uint8_t> info_bytes(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
  auto* info = reinterpret_cast<BITMAPINFO*>(info_bytes.data());
  info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info->bmiHeader.biWidth = width;
  info->bmiHeader.biHeight = -height;
  info->bmiHeader.biPlanes = 1;
  info->bmiHeader.biBitCount = static_cast<WORD>(BitsPerPixel(format));
  info->bmiHeader.biCompression = BI_RGB;
  const int64_t row_bytes = RowBytes(width, BitsPerPixel(format));
  std::vector<uint8_t> pixels(static_cast<size_t>(row_bytes * height));
  HDC dc = GetDC(nullptr);
  int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  if (rows != height) throw EInvalidGraphic("Cannot read the bitmap's pixels");
  std::vector<RGBQUAD> colors;
  if (HasColorTable(format)) {
    colors.assign(info->bmiColors, info->bmiColors + (size_t{1} << BitsPerPixel(format)));
    if (format == pf1bit && !is_dib) colors = StandardColors(pf1bit);
  }
  TDib dib = CreateDib(width, height, format, colors);
  std::memcpy(dib.bits, pixels.data(), pixels.size());
  InstallDib(dib, width, height, format, std::move(colors));
  DeleteObject(bitmap);  // taken over
  Changed();
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect) {
  if (!dib_) return;
  HDC dest = canvas.GetHandle();
  TCanvas* own = GetCanvas();
  own->Lock();
  try {
    HDC source = own->GetHandle();
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (GetTransparent()) {
      TColor color = GetTransparentColor();
      GdiTransparentBlt(dest, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                        ColorToRGB(color == clDefault ? clWhite : color));
    } else if (pixel_format_ == pf1bit) {
      // A one-bit source may be mapped through the destination's text (0) and background (1)
      // colours instead of its table: make them the table's.
      COLORREF old_text = SetTextColor(dest, FromQuad(colors_[0]));
      COLORREF old_back = SetBkColor(dest, FromQuad(colors_[1]));
      StretchBlt(dest, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                 canvas.GetCopyMode());
      SetTextColor(dest, old_text);
      SetBkColor(dest, old_back);
    } else {
      SetStretchBltMode(dest, COLORONCOLOR);
      StretchBlt(dest, rect.left, rect.top, width, height, source, 0, 0, width_, height_,
                 canvas.GetCopyMode());
    }
  } catch (...) {
    own->Unlock();
    throw;
  }
  own->Unlock();
}

// ---- BMP reading and writing --------------------------------------------------------------

size_t TBitmap::ReadDib(const uint8_t* data, size_t size, size_t pixel_offset) {
  if (size < 12) Invalid("the header is cut short");
  const uint32_t header_size = U32(data);
  const bool core = header_size == 12;
  if (!core && (header_size < 40 || header_size > size)) Invalid("unknown header");
  int64_t width, height;
  int bits;
  uint32_t compression = BI_RGB, colors_used = 0;
  if (core) {
    width = U16(data + 4);
    height = U16(data + 6);
    bits = U16(data + 10);
  } else {
    width = static_cast<int32_t>(U32(data + 4));
    height = static_cast<int32_t>(U32(data + 8));
    bits = U16(data + 14);
    compression = U32(data + 16);
    colors_used = U32(data + 32);
  }
  const bool top_down = height < 0;
  if (top_down) height = -height;
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || width * height > kMaxPixels)
    Invalid("impossible size");
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
    Invalid("unsupported bit count");
  constexpr uint32_t kAlphaBitFields = 6;
  const bool bitfields = compression == BI_BITFIELDS || compression == kAlphaBitFields;
  if (compression != BI_RGB && !bitfields) throw EInvalidGraphic("Bitmap image is compressed (unsupported)");
  if (bitfields && bits != 16 && bits != 32) Invalid("bit fields need 16 or 32 bits per pixel");
  if (top_down && core) Invalid("top-down core header");
  if (colors_used > 65536) Invalid("colour count");

  // Bit-field masks follow a 40-byte header; longer headers hold them.
  size_t pos = header_size;
  uint32_t masks[4] = {0, 0, 0, 0};
  if (bitfields) {
    if (header_size >= 52) {
      for (int i = 0; i < 3; ++i) masks[i] = U32(data + 40 + 4 * i);
      if (header_size >= 56) masks[3] = U32(data + 52);
    } else {
      size_t count = compression == kAlphaBitFields ? 4 : 3;
      if (pos + 4 * count > size) Invalid("the masks are cut short");
      for (size_t i = 0; i < count; ++i) masks[i] = U32(data + pos + 4 * i);
      pos += 4 * count;
    }
  } else if (bits == 16) {
    masks[0] = 0x7C00;
    masks[1] = 0x03E0;
    masks[2] = 0x001F;
  }

  // Colour table: its count of entries, all when the count is 0. Deeper formats may carry
  // one too (as a hint for palette devices); it is skipped.
  const size_t entry_size = core ? 3 : 4;
  size_t table_entries = bits <= 8 ? (colors_used ? colors_used : size_t{1} << bits) : colors_used;
  const size_t table_start = pos;
  const int64_t row_bytes = RowBytes(width, bits);
  const int64_t image_bytes = row_bytes * height;
  size_t rows_at = table_start + table_entries * entry_size;
  // The header's pixel offset counts where it is plausible: past the table with the rows
  // fitting behind it, or (with an implicit count) marking a shorter table.
  if (pixel_offset > rows_at &&
      static_cast<int64_t>(pixel_offset) + image_bytes <= static_cast<int64_t>(size)) {
    rows_at = pixel_offset;
  } else if (pixel_offset && pixel_offset < rows_at && bits <= 8 && !colors_used &&
             pixel_offset >= table_start && (pixel_offset - table_start) % entry_size == 0) {
    table_entries = (pixel_offset - table_start) / entry_size;
    rows_at = pixel_offset;
  }
  if (rows_at > size) Invalid("the colour table is cut short");
  if (static_cast<int64_t>(size - rows_at) < image_bytes) Invalid("the pixel data is cut short");

  TPixelFormat format = bits == 1    ? pf1bit
                        : bits == 4  ? pf4bit
                        : bits == 8  ? pf8bit
                        : bits == 32 ? pf32bit
                                     : pf24bit;
  std::vector<RGBQUAD> colors;
  if (bits <= 8) {
    const size_t capacity = size_t{1} << bits;
    for (size_t i = 0; i < std::min(table_entries, capacity); ++i) {
      const uint8_t* e = data + table_start + i * entry_size;
      colors.push_back(RGBQUAD{e[0], e[1], e[2], 0});
    }
    // Indices past a short table show black, in GDI's drawing and in ours alike.
    colors.resize(capacity, RGBQUAD{0, 0, 0, 0});
  }

  TDib dib = CreateDib(static_cast<int>(width), static_cast<int>(height), format, colors);
  const TChannelMask red(masks[0]), green(masks[1]), blue(masks[2]), alpha(masks[3]);
  const bool convert = bits == 16 || bitfields;
  for (int64_t i = 0; i < height; ++i) {
    const uint8_t* from = data + rows_at + i * row_bytes;
    uint8_t* to = dib.bits + (top_down ? i : height - 1 - i) * dib.row_bytes;
    if (!convert) {
      std::memcpy(to, from, static_cast<size_t>(row_bytes));
      continue;
    }
    for (int64_t x = 0; x < width; ++x) {
      uint32_t pixel = bits == 16 ? U16(from + 2 * x) : U32(from + 4 * x);
      uint8_t* p = to + x * (format == pf24bit ? 3 : 4);
      p[0] = blue.Extract(pixel);
      p[1] = green.Extract(pixel);
      p[2] = red.Extract(pixel);
      if (format == pf32bit) p[3] = alpha.Extract(pixel);
    }
  }
  InstallDib(dib, static_cast<int>(width), static_cast<int>(height), format, std::move(colors));
  return rows_at + static_cast<size_t>(image_bytes);
}

namespace {

constexpr int64_t kFileHeader = 14;
// Read to learn the extent: the file header, the longest information header (version 5) and
// the masks that may follow a short one.
constexpr int64_t kHeadBytes = kFileHeader + 124 + 16;

// The bytes of the information header, masks and colour table, and of the rows, as a DIB's
// header declares them; false when it describes no image that could be read.
bool DeclaredDib(const uint8_t* data, size_t size, int64_t& head, int64_t& rows) {
  if (size < 12) return false;
  const uint32_t header = U32(data);
  const bool core = header == 12;
  if (!core && (header < 40 || header > size)) return false;
  const int64_t width = core ? U16(data + 4) : static_cast<int32_t>(U32(data + 4));
  int64_t height = core ? U16(data + 6) : static_cast<int32_t>(U32(data + 8));
  if (height < 0) height = -height;
  const int bits = core ? U16(data + 10) : U16(data + 14);
  const uint32_t compression = core ? BI_RGB : U32(data + 16), used = core ? 0 : U32(data + 32);
  if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide || bits < 1 || bits > 32 ||
      used > 65536)
    return false;
  constexpr uint32_t kAlphaBitFields = 6;
  const int64_t masks = compression == BI_BITFIELDS && header < 52      ? 12
                        : compression == kAlphaBitFields && header < 52 ? 16
                                                                        : 0;
  const int64_t entries = bits <= 8 && !used ? int64_t{1} << bits : used;
  head = header + masks + entries * (core ? 3 : 4);
  rows = RowBytes(width, bits) * height;
  return true;
}

}  // namespace

TBitmap::TExtent TBitmap::Extent(TStream& stream) {
  const int64_t start = stream.GetPosition();
  std::vector<uint8_t> data(
      static_cast<size_t>(std::clamp<int64_t>(stream.GetSize() - start, 0, kHeadBytes)));
  stream.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
  stream.SetPosition(start);
  int64_t head = 0, rows = 0;
  if (data.size() < kFileHeader || data[0] != 'B' || data[1] != 'M' ||
      !DeclaredDib(data.data() + kFileHeader, data.size() - kFileHeader, head, rows))
    return {};
  const int64_t table_end = kFileHeader + head;
  return {table_end + rows, std::max<int64_t>(table_end, U32(data.data() + 10)) + rows};
}

void TBitmap::LoadFromStream(TStream& stream) {
  const int64_t start = stream.GetPosition();
  const int64_t available = stream.GetSize() - start;
  if (available < kFileHeader + 12) throw EInvalidGraphic("Bitmap image is not valid: too short");
  if (available > (int64_t{1} << 31)) throw EInvalidGraphic("Bitmap image is too large");
  // Only what the headers declare: a file far larger than its image (a sparse gigabyte) is not
  // read whole. Headers that declare nothing readable are read alone, and refused below.
  const TExtent extent = Extent(stream);
  const int64_t wanted = std::min(available, std::max(extent.file, std::min(available, kHeadBytes)));
  std::vector<uint8_t> data(static_cast<size_t>(wanted));
  stream.ReadBuffer(data.data(), wanted);
  if (data[0] != 'B' || data[1] != 'M') {
    stream.SetPosition(start);
    throw EInvalidGraphic("Bitmap image is not valid: no BMP signature");
  }
  const uint32_t file_size = U32(data.data() + 2);
  const uint32_t offset = U32(data.data() + 10);
  size_t used;
  try {
    used = kFileHeader + ReadDib(data.data() + kFileHeader, data.size() - kFileHeader,
                                 offset > kFileHeader ? offset - kFileHeader : 0);
  } catch (...) {
    stream.SetPosition(start);
    throw;
  }
  // Whatever the file size field covers beyond the rows belongs to the image as well.
  if (file_size > used && file_size <= available) used = file_size;
  stream.SetPosition(start + static_cast<int64_t>(used));
  Changed();
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  TResourceStream stream(instance, name, RT_BITMAP);
  ReadDib(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.GetSize()), 0);
  Changed();
}

void TBitmap::LoadFromResourceID(HINSTANCE instance, int id) {
  TResourceStream stream(instance, id, RT_BITMAP);
  ReadDib(static_cast<const uint8_t*>(stream.Memory()), static_cast<size_t>(stream.GetSize()), 0);
  Changed();
}

void TBitmap::SaveToStream(TStream& stream) {
  if (!dib_) return;
  GdiFlush();
  const int bits = BitsPerPixel(pixel_format_);
  const uint32_t table_bytes = static_cast<uint32_t>(colors_.size() * 4);
  const uint32_t offset = 14 + 40 + table_bytes;
  const uint32_t image_bytes = static_cast<uint32_t>(row_bytes_) * static_cast<uint32_t>(height_);
  std::vector<uint8_t> head;
  head.reserve(offset);
  head.push_back('B');
  head.push_back('M');
  Put32(head, offset + image_bytes);
  Put32(head, 0);
  Put32(head, offset);
  Put32(head, 40);
  Put32(head, static_cast<uint32_t>(width_));
  Put32(head, static_cast<uint32_t>(height_));  // bottom-up, as most readers expect
  Put16(head, 1);
  Put16(head, static_cast<unsigned>(bits));
  Put32(head, BI_RGB);
  Put32(head, image_bytes);
  Put32(head, 3780);  // 96 DPI in pixels per metre
  Put32(head, 3780);
  Put32(head, static_cast<uint32_t>(colors_.size()));
  Put32(head, 0);
  for (const RGBQUAD& q : colors_) {
    head.push_back(q.rgbBlue);
    head.push_back(q.rgbGreen);
    head.push_back(q.rgbRed);
    head.push_back(0);
  }
  stream.WriteBuffer(head.data(), static_cast<int64_t>(head.size()));
  for (int y = height_ - 1; y >= 0; --y)
    stream.WriteBuffer(bits_ + static_cast<size_t>(y) * row_bytes_, row_bytes_);
}
