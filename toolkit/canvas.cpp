#include "toolkit/canvas.h"

#include <climits>

#include "toolkit/picture.h"

TK_CLASS_INFO(TCanvas, TPersistent)

namespace {

int TextLength(std::string_view text) {
  // GDI takes the length as an int; longer text is cut, never read past.
  return text.size() > static_cast<size_t>(INT_MAX) ? INT_MAX : static_cast<int>(text.size());
}

}  // namespace

TCanvas::TCanvas() : font_(New<TFont>()), pen_(New<TPen>()), brush_(New<TBrush>()) {
  InitializeCriticalSection(&lock_);
  font_->OnChange = TNotifyEvent(this, &TCanvas::FontChanged);
  pen_->OnChange = TNotifyEvent(this, &TCanvas::PenChanged);
  brush_->OnChange = TNotifyEvent(this, &TCanvas::BrushChanged);
}

TCanvas::~TCanvas() {
  SetHandle(nullptr);
  Free(font_);
  Free(pen_);
  Free(brush_);
  DeleteCriticalSection(&lock_);
}

HDC TCanvas::GetHandle() {
  RequiredState({csHandleValid});
  return handle_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == handle_) return;
  if (handle_) DeselectHandles();
  handle_ = dc;
  state_ = dc ? TCanvasState{csHandleValid} : TCanvasState{};
}

void TCanvas::CreateHandle() { throw EInvalidGraphicOperation("Canvas does not allow drawing"); }

void TCanvas::Changing() { OnChanging(this); }

void TCanvas::Changed() { OnChange(this); }

void TCanvas::RequiredState(TCanvasState required) {
  TCanvasState needed = required - state_;
  if (needed.Empty()) return;
  if (needed.Contains(csHandleValid)) {
    CreateHandle();
    if (!handle_) throw EInvalidGraphicOperation("Canvas does not allow drawing");
  }
  if (needed.Contains(csFontValid)) UseFont();
  if (needed.Contains(csPenValid)) UsePen();
  if (needed.Contains(csBrushValid)) UseBrush();
}

void TCanvas::UseFont() {
  HGDIOBJ previous = SelectObject(handle_, font_->GetHandle());
  if (!old_font_) old_font_ = previous;
  SetTextColor(handle_, ColorToRGB(font_->GetColor()));
  state_.Include(csFontValid);
}

void TCanvas::UsePen() {
  HGDIOBJ previous = SelectObject(handle_, pen_->GetHandle());
  if (!old_pen_) old_pen_ = previous;
  SetROP2(handle_, pen_->GetRop2());
  state_.Include(csPenValid);
}

void TCanvas::UseBrush() {
  HGDIOBJ previous = SelectObject(handle_, brush_->GetHandle());
  if (!old_brush_) old_brush_ = previous;
  // Text backgrounds and the gaps of hatches and dashed lines take the brush colour; only a
  // solid brush paints them.
  SetBkColor(handle_, ColorToRGB(brush_->GetColor()));
  SetBkMode(handle_, brush_->GetStyle() == bsSolid && !brush_->GetBitmap() ? OPAQUE : TRANSPARENT);
  state_.Include(csBrushValid);
}

void TCanvas::DeselectHandles() {
  if (old_font_) SelectObject(handle_, old_font_);
  if (old_pen_) SelectObject(handle_, old_pen_);
  if (old_brush_) SelectObject(handle_, old_brush_);
  old_font_ = old_pen_ = old_brush_ = nullptr;
  state_ = state_ - TCanvasState{csFontValid, csPenValid, csBrushValid};
}

// Each takes the object out of the DC before the object deletes its old handle (a selected
// object cannot be deleted and would leak).
void TCanvas::FontChanged(TObject*) {
  if (!state_.Contains(csFontValid)) return;
  SelectObject(handle_, old_font_);
  old_font_ = nullptr;
  state_.Exclude(csFontValid);
}

void TCanvas::PenChanged(TObject*) {
  if (!state_.Contains(csPenValid)) return;
  SelectObject(handle_, old_pen_);
  old_pen_ = nullptr;
  state_.Exclude(csPenValid);
}

void TCanvas::BrushChanged(TObject*) {
  if (!state_.Contains(csBrushValid)) return;
  SelectObject(handle_, old_brush_);
  old_brush_ = nullptr;
  state_.Exclude(csBrushValid);
}

void TCanvas::Refresh() {
  if (handle_) DeselectHandles();
}

POINT TCanvas::GetPenPos() {
  RequiredState({csHandleValid});
  POINT pos{};
  GetCurrentPositionEx(handle_, &pos);
  return pos;
}

TColor TCanvas::GetPixels(int x, int y) {
  RequiredState({csHandleValid});
  COLORREF color = GetPixel(handle_, x, y);
  return color == CLR_INVALID ? clNone : static_cast<TColor>(color);
}

void TCanvas::SetPixels(int x, int y, TColor color) {
  Changing();
  RequiredState({csHandleValid});
  SetPixel(handle_, x, y, ColorToRGB(color));
  Changed();
}

void TCanvas::MoveTo(int x, int y) {
  RequiredState({csHandleValid});
  MoveToEx(handle_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::LineTo(handle_, x, y);
  Changed();
}

void TCanvas::Polyline(std::span<const POINT> points) {
  if (points.size() < 2 || points.size() > static_cast<size_t>(INT_MAX)) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polyline(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Polygon(std::span<const POINT> points) {
  if (points.size() < 2 || points.size() > static_cast<size_t>(INT_MAX)) return;
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Polygon(handle_, points.data(), static_cast<int>(points.size()));
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Rectangle(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::RoundRect(handle_, x1, y1, x2, y2, corner_width, corner_height);
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  Changing();
  RequiredState({csHandleValid, csPenValid, csBrushValid});
  ::Ellipse(handle_, x1, y1, x2, y2);
  Changed();
}

void TCanvas::FillRect(const RECT& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FillRect(handle_, &rect, brush_->GetHandle());
  Changed();
}

void TCanvas::FrameRect(const RECT& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::FrameRect(handle_, &rect, brush_->GetHandle());
  Changed();
}

void TCanvas::DrawFocusRect(const RECT& rect) {
  Changing();
  RequiredState({csHandleValid, csBrushValid});
  ::DrawFocusRect(handle_, &rect);
  Changed();
}

void TCanvas::TextOut(int x, int y, std::string_view text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  int length = TextLength(text);
  ExtTextOutA(handle_, x, y, 0, nullptr, text.data(), static_cast<UINT>(length), nullptr);
  SIZE extent{};
  GetTextExtentPoint32A(handle_, text.data(), length, &extent);
  MoveToEx(handle_, x + extent.cx, y, nullptr);
  Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, std::string_view text) {
  Changing();
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  UINT options = ETO_CLIPPED;
  if (brush_->GetStyle() != bsClear) options |= ETO_OPAQUE;
  ExtTextOutA(handle_, x, y, options, &rect, text.data(), static_cast<UINT>(TextLength(text)), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(std::string_view text) {
  RequiredState({csHandleValid, csFontValid});
  SIZE extent{};
  GetTextExtentPoint32A(handle_, text.data(), TextLength(text), &extent);
  return extent;
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  RECT rect{x, y, x + graphic->GetWidth(), y + graphic->GetHeight()};
  StretchDraw(rect, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic* graphic) {
  if (!graphic || graphic->GetEmpty()) return;
  Changing();
  RequiredState({csHandleValid});
  graphic->Draw(*this, rect);
  Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas* source, const RECT& source_rect) {
  if (!source) return;
  Changing();
  // Font and brush give the text and background colours a monochrome source is mapped to.
  RequiredState({csHandleValid, csFontValid, csBrushValid});
  HDC source_dc = source->GetHandle();
  int dest_width = dest.right - dest.left, dest_height = dest.bottom - dest.top;
  int source_width = source_rect.right - source_rect.left,
      source_height = source_rect.bottom - source_rect.top;
  if (dest_width == source_width && dest_height == source_height) {
    BitBlt(handle_, dest.left, dest.top, dest_width, dest_height, source_dc, source_rect.left,
           source_rect.top, copy_mode_);
  } else {
    SetStretchBltMode(handle_, COLORONCOLOR);
    StretchBlt(handle_, dest.left, dest.top, dest_width, dest_height, source_dc, source_rect.left,
               source_rect.top, source_width, source_height, copy_mode_);
  }
  Changed();
}

RECT TCanvas::GetClipRect() {
  RequiredState({csHandleValid});
  RECT rect{};
  GetClipBox(handle_, &rect);
  return rect;
}

void TCanvas::Lock() {
  EnterCriticalSection(&lock_);
  ++lock_count_;
}

void TCanvas::Unlock() {
  if (lock_count_ <= 0) return;  // unpaired: leaving a section not entered would corrupt it
  --lock_count_;
  LeaveCriticalSection(&lock_);
}

bool TCanvas::TryLock() {
  if (!TryEnterCriticalSection(&lock_)) return false;
  ++lock_count_;
  return true;
}
