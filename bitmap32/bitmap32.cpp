#include "bitmap32/bitmap32.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

#include "toolkit/clipbrd.h"
#include "toolkit/colors.h"
#include "toolkit/metafile.h"
#include "toolkit/picture.h"
#include "toolkit/startup.h"
#include "toolkit/typinfo.h"

namespace {

CRITICAL_SECTION lock_count_section;
int unit_users = 0;
HFONT stock_font = nullptr;
TBitmap* measuring_bitmap = nullptr;

const TEnumInfo& DrawModeInfo() {
  static const TEnumInfo info{"dmOpaque", "dmBlend", "dmCustom"};
  return info;
}
const TEnumInfo& StretchFilterInfo() {
  static const TEnumInfo info{"sfNearest", "sfDraft",   "sfLinear",  "sfCosine",
                              "sfSpline",  "sfLanczos", "sfMitchell"};
  return info;
}

TPixelRect ToPixelRect(const RECT& r) {
  return {static_cast<int32_t>(r.left), static_cast<int32_t>(r.top), static_cast<int32_t>(r.right),
          static_cast<int32_t>(r.bottom)};
}

// Holds notifications back for the life of a scope.
class TUpdateScope {
 public:
  explicit TUpdateScope(TThreadPersistent* object) : object_(object) { object_->BeginUpdate(); }
  ~TUpdateScope() { object_->EndUpdate(); }
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TThreadPersistent* object_;
};

}  // namespace

// ---- Unit ------------------------------------------------------------------------------------

void InitBitmap32Unit() {
  if (unit_users++ > 0) return;
  InitializeCriticalSection(&lock_count_section);
  InitBlending();
  SetGamma(0.7);
  stock_font = static_cast<HFONT>(GetStockObject(SYSTEM_FONT));
  measuring_bitmap = New<TBitmap>();
  measuring_bitmap->SetSize(8, 8);
}

void FinishBitmap32Unit() {
  if (unit_users == 0 || --unit_users > 0) return;
  FreeAndNil(measuring_bitmap);
  DeleteCriticalSection(&lock_count_section);
}

void RegisterBitmap32Unit() { RegisterUnit(usLibrary, "Bitmap32", InitBitmap32Unit, FinishBitmap32Unit); }

TColor32 ToColor32(TColor color) {
  if (color < 0) color = static_cast<TColor>(GetSysColor(color & 0xFF));
  const uint32_t c = static_cast<uint32_t>(color);
  return 0xFF000000 | ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// ---- TThreadPersistent ------------------------------------------------------------------------

TK_CLASS_INFO(TThreadPersistent, TPersistent)

TThreadPersistent::TThreadPersistent() {
  InitBitmap32Unit();
  InitializeCriticalSection(&lock_);
}

TThreadPersistent::~TThreadPersistent() {
  DeleteCriticalSection(&lock_);
  FinishBitmap32Unit();
}

void TThreadPersistent::Changed() {
  if (update_count_ == 0) OnChange(this);
}

void TThreadPersistent::EndUpdate() {
  if (update_count_ < 1) throw EAssertionFailed("Unpaired TThreadPersistent.EndUpdate");
  --update_count_;
}

void TThreadPersistent::Lock() {
  EnterCriticalSection(&lock_count_section);
  ++lock_count_;
  LeaveCriticalSection(&lock_count_section);
  EnterCriticalSection(&lock_);
}

void TThreadPersistent::Unlock() {
  LeaveCriticalSection(&lock_);
  EnterCriticalSection(&lock_count_section);
  --lock_count_;
  LeaveCriticalSection(&lock_count_section);
}

// ---- TCustomMap -------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomMap, TThreadPersistent)

void TCustomMap::SetSize(int width, int height) {
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  if (width == width_ && height == height_) return;
  ResizeStorage(width_, height_, width, height);
  Changed();
  Resized();
}

void TCustomMap::ResizeStorage(int& width, int& height, int new_width, int new_height) {
  width = new_width;
  height = new_height;
}

// ---- TBitmap32 --------------------------------------------------------------------------------

TK_CLASS_INFO(TBitmap32, TCustomMap)

void TBitmap32::Publish(TPublisher<TBitmap32>& p) {
  p.Binary("Data", &TBitmap32::GetData, &TBitmap32::SetData);
  p.Enumeration("DrawMode", DrawModeInfo(), &TBitmap32::GetDrawMode, &TBitmap32::SetDrawMode)
      .Default(dmOpaque);
  p.Integer("MasterAlpha", &TBitmap32::GetMasterAlpha, &TBitmap32::SetMasterAlpha).Default(255);
  p.Integer("OuterColor", &TBitmap32::GetOuterColor, &TBitmap32::SetOuterColor).Default(0);
  p.Enumeration("StretchFilter", StretchFilterInfo(), &TBitmap32::GetStretchFilter,
                &TBitmap32::SetStretchFilter)
      .Default(sfNearest);
  p.Event("OnChange", &TBitmap32::OnChange);
  p.Event("OnResize", &TBitmap32::OnResize);
}

TBitmap32::TBitmap32() {
  info_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info_.bmiHeader.biPlanes = 1;
  info_.bmiHeader.biBitCount = 32;
  info_.bmiHeader.biCompression = BI_RGB;
  font_ = New<TFont>();
  font_->OnChange = TNotifyEvent(this, &TBitmap32::FontChanged);
}

TBitmap32::~TBitmap32() {
  // The owner may be half destroyed already: nothing is reported to it any more.
  OnChange = nullptr;
  OnResize = nullptr;
  OnHandleChanged = nullptr;
  OnPixelCombine = nullptr;
  BeginUpdate();
  Lock();
  FreeAndNil(canvas_);
  SetSize(0, 0);
  FreeAndNil(font_);
  Unlock();
}

void TBitmap32::FreeStorage() {
  DeselectFont();
  FreeAndNil(canvas_);
  if (dc_) DeleteTrackedDC(dc_);
  if (dib_) DeleteTrackedObject(dib_);
  dc_ = nullptr;
  dib_ = nullptr;
  bits_ = nullptr;
}

void TBitmap32::ResizeStorage(int& width, int& height, int new_width, int new_height) {
  FreeStorage();
  width = height = 0;
  if (new_width >= 1 && new_height >= 1) {
    info_.bmiHeader.biWidth = new_width;
    info_.bmiHeader.biHeight = -new_height;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(nullptr, &info_, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!dib || !bits) throw Exception("Can't allocate the DIB handle");
    HDC dc = CreateCompatibleDC(nullptr);
    if (!dc) {
      DeleteObject(dib);
      throw Exception("Can't create compatible DC");
    }
    if (!SelectObject(dc, dib)) {
      DeleteDC(dc);
      DeleteObject(dib);
      throw Exception("Can't select an object into DC");
    }
    dib_ = static_cast<HBITMAP>(TrackGdiObject(dib));
    dc_ = TrackDC(dc);
    bits_ = static_cast<TColor32*>(bits);
  }
  width = new_width;
  height = new_height;
  HandleChanged();
}

void TBitmap32::HandleChanged() {
  if (canvas_) canvas_->SetHandle(dc_);
  OnHandleChanged(this);
}

TCanvas* TBitmap32::GetCanvas() {
  if (!canvas_) {
    canvas_ = New<TCanvas>();
    if (dc_) canvas_->SetHandle(dc_);
    canvas_->OnChange = TNotifyEvent(this, &TBitmap32::CanvasChanged);
  }
  return canvas_;
}

void TBitmap32::CanvasChanged(TObject*) {
  GdiFlush();  // GDI's drawing reaches the pixels before anyone reads them
  Changed();
}

void TBitmap32::SelectFont() {
  HFONT font = font_->GetHandle();
  // Selecting a font has Wine look it up again; a label draws each paint in the same one.
  if (font_selected_ == font && GetCurrentObject(dc_, OBJ_FONT) == font) return;
  SelectObject(dc_, font);
  font_selected_ = font;
}

void TBitmap32::DeselectFont() {
  if (dc_ && font_selected_) SelectObject(dc_, stock_font);
  font_selected_ = nullptr;
}

void TBitmap32::FontChanged(TObject*) {
  // A new colour keeps the font; any other change frees the handle that dc_ holds.
  if (font_->HandleChanging()) DeselectFont();
}

void TBitmap32::SetDrawMode(TDrawMode mode) {
  if (mode == draw_mode_) return;
  draw_mode_ = mode;
  Changed();
}

void TBitmap32::SetMasterAlpha(uint32_t alpha) {
  alpha = std::min<uint32_t>(alpha, 255);
  if (alpha == master_alpha_) return;
  master_alpha_ = alpha;
  Changed();
}

void TBitmap32::SetStretchFilter(TStretchFilter filter) {
  if (filter == stretch_filter_) return;
  stretch_filter_ = filter;
  Changed();
}

TColor32 TBitmap32::GetPixelS(int x, int y) const {
  if (Empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return outer_color_;
  return GetPixel(x, y);
}

void TBitmap32::SetPixelS(int x, int y, TColor32 color) {
  if (Empty() || x < 0 || y < 0 || x >= width_ || y >= height_) return;
  SetPixel(x, y, color);
}

void TBitmap32::Clear(TColor32 color) {
  if (Empty()) return;
  FillPixels(bits_, width_ * height_, color);
  Changed();
}

void TBitmap32::FillRect(int x1, int y1, int x2, int y2, TColor32 color) {
  if (Empty() || x1 >= x2 || y1 >= y2 || x1 >= width_ || y1 >= height_ || x2 < 1 || y2 < 1) return;
  x1 = std::max(x1, 0), y1 = std::max(y1, 0);
  x2 = std::min(x2, width_), y2 = std::min(y2, height_);
  for (int y = y1; y < y2; ++y) FillPixels(PixelAddress(x1, y), x2 - x1, color);
  Changed();
}

void TBitmap32::HorzLineBlend(int x1, int y, int x2, TColor32 color) {
  if (Empty() || y < 0 || y >= height_ || !ClipSpan(x1, x2, width_)) return;
  for (TColor32* p = PixelAddress(x1, y); x1 <= x2; ++x1, ++p) BlendInto(color, *p);
  ClearMultimediaState();
}

void TBitmap32::VertLineBlend(int x, int y1, int y2, TColor32 color) {
  if (Empty() || x < 0 || x >= width_ || !ClipSpan(y1, y2, height_)) return;
  for (TColor32* p = PixelAddress(x, y1); y1 <= y2; ++y1, p += width_) BlendInto(color, *p);
  ClearMultimediaState();
}

void TBitmap32::RaiseFrame(int x1, int y1, int x2, int y2, int contrast) {
  if (x1 >= x2 || y1 >= y2 || x1 >= width_ || y1 >= height_ || x2 < 1 || y2 < 1) return;
  if (contrast != 0) {
    const TColor32 white = 0xFFFFFFFF, black = 0xFF000000;
    // In 64 bits: a contrast far past 100 must not wrap round to a faint frame.
    const int64_t amount = contrast > 0 ? int64_t{contrast} : -int64_t{contrast};
    auto alpha = [amount](int percent_of_full) {
      return static_cast<int>(std::min<int64_t>(amount * percent_of_full / 100, 255));
    };
    TColor32 light, dark;
    if (contrast > 0) {
      light = WithAlpha(white, alpha(512));
      dark = WithAlpha(black, alpha(255));
    } else {
      light = WithAlpha(black, alpha(255));
      dark = WithAlpha(white, alpha(512));
    }
    HorzLineBlend(x1, y1, x2 - 1, light);
    HorzLineBlend(x1, y2 - 1, x2 - 1, dark);
    VertLineBlend(x1, y1 + 1, y2 - 2, light);
    VertLineBlend(x2 - 1, y1 + 1, y2 - 2, dark);
  }
  Changed();
}

void TBitmap32::ResetAlpha() {
  if (!Empty()) {
    TColor32* p = bits_;
    for (int i = width_ * height_; i > 0; --i, ++p) *p |= 0xFF000000;
  }
  Changed();
}

SIZE TBitmap32::TextExtent(std::string_view text) {
  SIZE size{0, 0};
  if (dc_) {
    SelectFont();
    GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  } else {
    HDC dc = measuring_bitmap->GetCanvas()->GetHandle();
    HGDIOBJ old = SelectObject(dc, font_->GetHandle());
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &size);
    SelectObject(dc, old);
  }
  return size;
}

void TBitmap32::DrawText(const RECT& rect, UINT flags, std::string_view text) {
  if (dc_) {
    SelectFont();
    SetTextColor(dc_, ColorToRGB(font_->GetColor()));
    SetBkMode(dc_, TRANSPARENT);
    RECT r = rect;
    ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, flags);
    GdiFlush();
  }
  Changed();
}

void TBitmap32::DrawTo(HDC dc, int x, int y) {
  if (Empty()) return;
  GdiFlush();  // drawing through the bitmap's own device context reaches the pixels first
  StretchDIBits(dc, x, y, width_, height_, 0, 0, width_, height_, bits_, &info_, DIB_RGB_COLORS, SRCCOPY);
}

void TBitmap32::Draw(int dst_x, int dst_y, TBitmap32* src) {
  if (!src || src->Empty()) return;
  Draw(RECT{dst_x, dst_y, dst_x + src->width_, dst_y + src->height_}, RECT{0, 0, src->width_, src->height_},
       src);
}

void TBitmap32::Draw(const RECT& dst_rect, TBitmap32* src) {
  if (!src || src->Empty()) return;
  Draw(dst_rect, RECT{0, 0, src->width_, src->height_}, src);
}

void TBitmap32::Draw(const RECT& dst_rect, const RECT& src_rect, TBitmap32* src) {
  if (!src || src->Empty() || Empty()) return;
  StretchTransfer(this, dst_rect, RECT{0, 0, width_, height_}, src, src_rect, src->stretch_filter_,
                  src->draw_mode_, src->OnPixelCombine);
  Changed();
}

// ---- Stored data ------------------------------------------------------------------------------

void TBitmap32::ReadData(TStream& stream) {
  int32_t width = 0, height = 0;
  stream.ReadBuffer(&width, 4);
  stream.ReadBuffer(&height, 4);
  // Stored data comes from outside (a form definition, a skin): its sizes are checked
  // against the bytes really there before anything is allocated.
  if (width < 0 || height < 0) throw EReadError("Stored bitmap has a negative size");
  const uint64_t pixels = static_cast<uint64_t>(width) * static_cast<uint64_t>(height);
  const int64_t available = stream.GetSize() - stream.GetPosition();
  if (pixels > static_cast<uint64_t>(std::max<int64_t>(available, 0)) / 4)
    throw EReadError("Stored bitmap is larger than its data");
  SetSize(width, height);
  if (!Empty()) stream.ReadBuffer(bits_, static_cast<int64_t>(pixels) * 4);
  Changed();
}

void TBitmap32::WriteData(TStream& stream) {
  int32_t size[2] = {width_, height_};
  stream.WriteBuffer(size, 8);
  if (!Empty()) {
    GdiFlush();
    stream.WriteBuffer(bits_, static_cast<int64_t>(width_) * height_ * 4);
  }
}

std::string TBitmap32::GetData() {
  if (Empty()) return {};
  TMemoryStream stream;
  WriteData(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

void TBitmap32::SetData(const std::string& bytes) {
  if (bytes.empty()) {
    SetSize(0, 0);
    return;
  }
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  ReadData(stream);
}

// ---- Assignment -------------------------------------------------------------------------------

void TBitmap32::Assign(TPersistent* source) {
  {
    TUpdateScope update(this);
    if (!source) {
      SetSize(0, 0);
    } else if (auto* other = DynamicCast<TBitmap32>(source)) {
      SetSize(other->width_, other->height_);
      if (!Empty()) {
        GdiFlush();
        std::memcpy(bits_, other->bits_, static_cast<size_t>(width_) * height_ * 4);
      }
      draw_mode_ = other->draw_mode_;
      master_alpha_ = other->master_alpha_;
      outer_color_ = other->outer_color_;
      stretch_filter_ = other->stretch_filter_;
    } else if (auto* bitmap = DynamicCast<TBitmap>(source)) {
      AssignBitmap(bitmap);
    } else if (auto* picture = DynamicCast<TPicture>(source)) {
      TGraphic* graphic = picture->GetGraphic();
      if (!graphic)
        SetSize(0, 0);
      else if (auto* b = DynamicCast<TBitmap>(graphic))
        AssignBitmap(b);
      else if (graphic->Is<TIcon>() || graphic->Is<TMetafile>())
        AssignMasked(graphic);
      else
        AssignGraphic(graphic);
    } else if (auto* graphic = DynamicCast<TGraphic>(source)) {
      AssignGraphic(graphic);
    } else if (auto* clipboard = DynamicCast<TClipboard>(source)) {
      AssignClipboard(clipboard);
    } else {
      TPersistent::Assign(source);  // raises for what nobody knows
    }
  }
  Changed();
}

void TBitmap32::AssignBitmap(TBitmap* bitmap) {
  SetSize(bitmap->GetWidth(), bitmap->GetHeight());
  if (Empty()) return;
  if (bitmap->GetPixelFormat() == pf32bit) {
    // Rows as they are, alpha included.
    for (int y = 0; y < height_; ++y)
      std::memcpy(RowAddress(y), bitmap->GetScanLine(y), static_cast<size_t>(width_) * 4);
  } else {
    BitBlt(dc_, 0, 0, width_, height_, bitmap->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    GdiFlush();
    ResetAlpha();
  }
  if (bitmap->GetTransparent()) {
    const TColor32 key = ToColor32(bitmap->GetTransparentColor()) & 0x00FFFFFF;
    TColor32* p = bits_;
    for (int i = width_ * height_; i > 0; --i, ++p)
      if ((*p & 0x00FFFFFF) == key) *p &= 0x00FFFFFF;
  }
}

void TBitmap32::AssignGraphic(TGraphic* graphic) {
  SetSize(graphic->GetWidth(), graphic->GetHeight());
  if (Empty()) return;
  TCanvas* canvas = New<TCanvas>();
  canvas->SetHandle(dc_);
  try {
    canvas->Draw(0, 0, graphic);
  } catch (...) {
    Free(canvas);
    throw;
  }
  Free(canvas);
  GdiFlush();
  ResetAlpha();
}

void TBitmap32::AssignClipboard(TClipboard* clipboard) {
  TPicture* picture = New<TPicture>();
  try {
    picture->Assign(clipboard);
    if (TGraphic* graphic = picture->GetGraphic())
      AssignGraphic(graphic);
    else
      SetSize(0, 0);
  } catch (...) {
    Free(picture);
    throw;
  }
  Free(picture);
}

// Drawn once on blue and once on red: where both renderings agree the graphic covers the
// pixel (opaque), elsewhere it is transparent.
void TBitmap32::AssignMasked(TGraphic* graphic) {
  SetSize(graphic->GetWidth(), graphic->GetHeight());
  if (Empty()) return;
  TBitmap32* other = New<TBitmap32>();
  try {
    other->SetSize(width_, height_);
    Clear(0xFF0000FF);
    other->Clear(0xFFFF0000);
    GetCanvas()->Draw(0, 0, graphic);
    other->GetCanvas()->Draw(0, 0, graphic);
    for (int i = 0; i < width_ * height_; ++i) {
      const TColor32 rgb = bits_[i] & 0x00FFFFFF;
      bits_[i] = rgb == (other->bits_[i] & 0x00FFFFFF) ? rgb | 0xFF000000 : rgb;
    }
  } catch (...) {
    Free(other);
    throw;
  }
  Free(other);
}

void TBitmap32::AssignTo(TPersistent* dest) {
  if (auto* clipboard = DynamicCast<TClipboard>(dest)) {
    TBitmap* bitmap = New<TBitmap>();
    try {
      AssignTo(bitmap);
      clipboard->Assign(bitmap);
    } catch (...) {
      Free(bitmap);
      throw;
    }
    Free(bitmap);
    return;
  }
  TBitmap* bitmap = DynamicCast<TBitmap>(dest);
  if (auto* picture = DynamicCast<TPicture>(dest)) bitmap = picture->GetBitmap();
  if (!bitmap) {
    TPersistent::AssignTo(dest);
    return;
  }
  bitmap->Assign(nullptr);
  bitmap->SetPixelFormat(pf32bit);
  bitmap->SetSize(Empty() ? 0 : width_, Empty() ? 0 : height_);
  if (Empty()) return;
  GdiFlush();
  for (int y = 0; y < height_; ++y)
    std::memcpy(bitmap->GetScanLine(y), RowAddress(y), static_cast<size_t>(width_) * 4);
}

// ---- Stretch transfer and convolution ----------------------------------------------------------

namespace {

void CallCombineEvent(void* context, TColor32 f, TColor32& b, uint32_t m) {
  (*static_cast<const TPixelCombineEvent*>(context))(f, b, m);
}

}  // namespace

void StretchTransfer(TBitmap32* dst, const RECT& dst_rect, const RECT& dst_clip, TBitmap32* src,
                     const RECT& src_rect, TStretchFilter filter, TDrawMode mode,
                     const TPixelCombineEvent& combine) {
  // An empty source returns before any check: callers rely on drawing nothing silently.
  if (src && src->Empty()) return;
  if (!dst || dst->Empty()) throw ETransformError("Destination bitmap is nil or empty");
  if (!src) throw ETransformError("Source bitmap is nil or empty");
  TTransferMode transfer;
  transfer.filter = filter;
  transfer.draw_mode = mode;
  transfer.master_alpha = src->GetMasterAlpha();
  if (combine) transfer.combine = {CallCombineEvent, const_cast<TPixelCombineEvent*>(&combine)};
  GdiFlush();
  TPixelMap source = src->GetPixelMap();
  // Drawn onto itself, the bitmap is read from a copy: the paths write rows and columns that
  // later ones still read.
  std::vector<TColor32> copy;
  if (src == dst) {
    copy.assign(source.bits, source.bits + static_cast<size_t>(source.width) * source.height);
    source.bits = copy.data();
  }
  TTransferResult result = StretchPixels(dst->GetPixelMap(), ToPixelRect(dst_rect), ToPixelRect(dst_clip),
                                         source, ToPixelRect(src_rect), transfer);
  if (result == TTransferResult::SourceRectInvalid) throw ETransformError("Source rectangle is invalid");
}

void Convolve3x3(const TKernel3x3& kernel, uint16_t divisor, TBitmap32* bitmap) {
  if (divisor == 0) throw Exception("The convolution divisor is 0");
  if (!bitmap) return;
  GdiFlush();
  ConvolvePixels(kernel, divisor, bitmap->GetPixelMap());
}

void ApplyPresetFilter32(uint8_t index, TBitmap32* bitmap) {
  if (!bitmap) return;
  GdiFlush();
  ApplyPresetFilterPixels(index, bitmap->GetPixelMap());
}
