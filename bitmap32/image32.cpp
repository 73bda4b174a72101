#include "bitmap32/image32.h"

#include <algorithm>
#include <cmath>

#include "toolkit/classregistry.h"
#include "toolkit/forms.h"
#include "toolkit/messages.h"
#include "toolkit/typinfo.h"

const TEnumInfo& BitmapAlignInfo() {
  static const TEnumInfo info{"baTopLeft", "baCenter", "baTile", "baCustom"};
  return info;
}

const TEnumInfo& ScaleModeInfo() {
  static const TEnumInfo info{"smNormal", "smStretch", "smScale", "smResize"};
  return info;
}

namespace {

// To the nearest, halves to even.
int RoundEven(double value) { return static_cast<int>(std::nearbyint(value)); }

// New buffer length: grown with the reserve, shrunk only when more than the reserve too large.
int BufferLength(int current, int wanted, int oversize) {
  int length = current;
  if (length < wanted)
    length = wanted + oversize;
  else if (wanted < length - oversize)
    length = wanted;
  return std::max(length, 1);
}

}  // namespace

// ---- TCustomPaintBox32 ------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomPaintBox32, TCustomControl)

TK_BEGIN_MESSAGE_MAP(TCustomPaintBox32)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_END_MESSAGE_MAP()

TCustomPaintBox32::TCustomPaintBox32(TComponent* owner) : TCustomControl(owner), buffer_(New<TBitmap32>()) {
  // The buffer never reports its changes: nothing listens, and it changes on every paint.
  buffer_->BeginUpdate();
  control_style_.Include(csOpaque);
  SetBounds(0, 0, 192, 192);
}

TCustomPaintBox32::~TCustomPaintBox32() { Free(buffer_); }

void TCustomPaintBox32::Invalidate() {
  buffer_valid_ = false;
  inherited::Invalidate();
}

void TCustomPaintBox32::Loaded() {
  buffer_valid_ = false;
  inherited::Loaded();
}

void TCustomPaintBox32::SetBounds(int left, int top, int width, int height) {
  buffer_valid_ = false;
  inherited::SetBounds(left, top, width, height);
}

void TCustomPaintBox32::Resize() {
  ResizeBuffer();
  buffer_valid_ = false;
  inherited::Resize();
}

void TCustomPaintBox32::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  ApplyAutoSize();
}

void TCustomPaintBox32::ApplyAutoSize() {
  int width = GetWidth(), height = GetHeight();
  if (auto_size_ && CanAutoSize(width, height)) SetBounds(GetLeft(), GetTop(), width, height);
}

RECT TCustomPaintBox32::GetViewportRect() { return {0, 0, GetWidth(), GetHeight()}; }

void TCustomPaintBox32::ResizeBuffer() {
  const RECT r = GetViewportRect();
  const int w = std::max<int>(r.right - r.left, 0), h = std::max<int>(r.bottom - r.top, 0);
  const int width = BufferLength(buffer_->GetWidth(), w, buffer_oversize_);
  const int height = BufferLength(buffer_->GetHeight(), h, buffer_oversize_);
  if (width == buffer_->GetWidth() && height == buffer_->GetHeight()) return;
  buffer_->Lock();
  buffer_->SetSize(width, height);
  buffer_->Unlock();
  buffer_valid_ = false;
}

void TCustomPaintBox32::Paint() {
  ResizeBuffer();
  if (!buffer_valid_) DoPaintBuffer();
  buffer_->Lock();
  const RECT r = GetViewportRect();
  BitBlt(GetCanvas()->GetHandle(), r.left, r.top, r.right - r.left, r.bottom - r.top, buffer_->GetHandle(), 0,
         0, SRCCOPY);
  buffer_->Unlock();
  DoPaintGDIOverlay();
}

void TCustomPaintBox32::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if ((options_ & pboAutoFocus) && CanFocus()) SetFocus();
  inherited::MouseDown(button, shift, x, y);
}

void TCustomPaintBox32::MouseEnter() {
  mouse_in_control_ = true;
  OnMouseEnter(this);
}

void TCustomPaintBox32::MouseLeave() {
  mouse_in_control_ = false;
  OnMouseLeave(this);
}

void TCustomPaintBox32::WMGetDlgCode(TMessage& message) {
  TK_INHERITED(message);
  if (options_ & pboWantArrowKeys) message.Result |= DLGC_WANTARROWS;
}

// The parent chain hears of it too (a skinned panel under the image tracks the mouse).
void TCustomPaintBox32::CMMouseEnter(TMessage& message) {
  if (message.LParam == 0) MouseEnter();
  TK_INHERITED(message);
}

void TCustomPaintBox32::CMMouseLeave(TMessage& message) {
  if (message.LParam == 0) MouseLeave();
  TK_INHERITED(message);
}

// ---- TPaintStages ----------------------------------------------------------------------------

TPaintStage& TPaintStages::Add() {
  items_.push_back(TPaintStage{});
  return items_.back();
}

// ---- TLayerCollection ------------------------------------------------------------------------

void TLayerCollection::EndUpdate() {
  if (update_count_ <= 0) throw EAssertionFailed("Unpaired EndUpdate");
  --update_count_;
}

// ---- TCustomImage32 ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomImage32, TCustomPaintBox32)

TCustomImage32::TCustomImage32(TComponent* owner) : TCustomPaintBox32(owner), bitmap_(New<TBitmap32>()) {
  control_style_ = {csAcceptsControls, csCaptureMouse, csClickEvents,
                    csOpaque,          csDoubleClicks, csReplicatable};
  bitmap_->OnChange = TNotifyEvent(this, &TCustomImage32::BitmapChanged);
  bitmap_->OnResize = TNotifyEvent(this, &TCustomImage32::BitmapResizedHandler);
  InitDefaultStages();
}

TCustomImage32::~TCustomImage32() { Free(bitmap_); }

void TCustomImage32::InitDefaultStages() {
  auto add = [this](bool design_only, uint32_t stage, uint32_t parameter = 0) {
    TPaintStage& s = stages_.Add();
    s.DsgnTime = true;
    s.RunTime = !design_only;
    s.Stage = stage;
    s.Parameter = parameter;
  };
  add(false, PST_CLEAR_BACKGND);
  add(true, PST_CONTROL_FRAME);
  add(false, PST_DRAW_BITMAP);
  add(true, PST_BITMAP_FRAME);
  add(false, PST_DRAW_LAYERS, 0x80000000);
}

void TCustomImage32::SetBitmap(TBitmap32* value) {
  cache_valid_ = false;
  bitmap_->Assign(value);
}

void TCustomImage32::SetBitmapAlign(TBitmapAlign value) {
  cache_valid_ = false;
  bitmap_align_ = value;
  Changed();
}

void TCustomImage32::SetScale(float value) {
  if (!std::isfinite(value)) return;  // no size can follow from it
  value = std::max(value, 0.001f);
  if (value == scale_) return;
  cache_valid_ = false;
  scale_ = value;
  Changed();
}

void TCustomImage32::SetScaleMode(TScaleMode value) {
  if (value == scale_mode_) return;
  cache_valid_ = false;
  scale_mode_ = value;
  Changed();
}

void TCustomImage32::SetOffset(float horizontal, float vertical) {
  cache_valid_ = false;
  offset_horz_ = horizontal;
  offset_vert_ = vertical;
  Changed();
}

void TCustomImage32::EndUpdate() {
  if (update_count_ <= 0) throw EAssertionFailed("Unpaired EndUpdate call");
  --update_count_;
}

void TCustomImage32::Changed() {
  if (update_count_ != 0) return;
  Invalidate();
  OnChange(this);
}

void TCustomImage32::Invalidate() {
  cache_valid_ = false;
  inherited::Invalidate();
}

void TCustomImage32::Loaded() {
  inherited::Loaded();
  DoInitStages();
}

void TCustomImage32::Resize() {
  cache_valid_ = false;
  inherited::Resize();
}

void TCustomImage32::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (GetTabStop() && CanFocus()) SetFocus();
  TCustomLayer* layer = layers_.GetMouseEvents() ? layers_.MouseDown(button, shift, x, y) : nullptr;
  if (button == mbLeft || layers_.GetMouseListener()) SetMouseCapture(true);
  OnMouseDown(this, button, shift, x, y, layer);
}

void TCustomImage32::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  TCustomLayer* layer = layers_.GetMouseEvents() ? layers_.MouseMove(shift, x, y) : nullptr;
  if (layers_.GetMouseEvents() && !layer && Screen) Screen->SetCursor(GetCursor());
  OnMouseMove(this, shift, x, y, layer);
}

void TCustomImage32::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  TCustomLayer* layer = layers_.GetMouseEvents() ? layers_.MouseUp(button, shift, x, y) : nullptr;
  if (button == mbLeft && !layers_.GetMouseListener()) SetMouseCapture(false);
  inherited::MouseUp(button, shift, x, y);
  OnMouseUp(this, button, shift, x, y, layer);
}

void TCustomImage32::MouseLeave() {
  // The cursor the last move over the picture gave every window goes back.
  if (layers_.GetMouseEvents() && !layers_.GetMouseListener() && Screen) Screen->SetCursor(crDefault);
  inherited::MouseLeave();
}

void TCustomImage32::DoPaintGDIOverlay() {
  // Layers with LOB_GDI_OVERLAY would paint on the canvas here: there are none.
  inherited::DoPaintGDIOverlay();
}

SIZE TCustomImage32::AutoSizeOfBitmap() const {
  if (scale_mode_ != smScale) return {bitmap_->GetWidth(), bitmap_->GetHeight()};
  return {RoundEven(bitmap_->GetWidth() * static_cast<double>(scale_)),
          RoundEven(bitmap_->GetHeight() * static_cast<double>(scale_))};
}

void TCustomImage32::BitmapResized() {
  const SIZE size = AutoSizeOfBitmap();
  if (GetAutoSize() && size.cx >= 1 && size.cy >= 1) SetBounds(GetLeft(), GetTop(), size.cx, size.cy);
  // Nothing here sets the handler: it is told of every resize, held back or not.
  OnBitmapResize(this);
  cache_valid_ = false;
  Invalidate();
}

bool TCustomImage32::CanAutoSize(int& width, int& height) {
  const SIZE size = AutoSizeOfBitmap();
  if (GetComponentState().Contains(csDesigning) && (size.cx < 1 || size.cy < 1)) return true;
  const TAlign align = GetAlign();
  if (align == alNone || align == alLeft || align == alRight) width = size.cx;
  if (align == alNone || align == alTop || align == alBottom) height = size.cy;
  return true;
}

SIZE TCustomImage32::GetBitmapSize() {
  const int width = GetWidth(), height = GetHeight();
  if (bitmap_->Empty() || width == 0 || height == 0) return {0, 0};
  const int bw = bitmap_->GetWidth(), bh = bitmap_->GetHeight();
  SIZE size{bw, bh};
  switch (scale_mode_) {
    case smNormal: break;
    case smStretch: size = {width, height}; break;
    case smScale:
      size = {RoundEven(bw * static_cast<double>(scale_)), RoundEven(bh * static_cast<double>(scale_))};
      break;
    case smResize: {
      const float mx = static_cast<float>(width) / bw, my = static_cast<float>(height) / bh;
      size = mx < my ? SIZE{width, RoundEven(bh * static_cast<double>(mx))}
                     : SIZE{RoundEven(bw * static_cast<double>(my)), height};
      break;
    }
  }
  return {std::max<LONG>(size.cx, 0), std::max<LONG>(size.cy, 0)};
}

RECT TCustomImage32::GetBitmapRect() {
  if (bitmap_->Empty()) return {0, 0, 0, 0};
  const SIZE size = GetBitmapSize();
  RECT r{0, 0, size.cx, size.cy};
  int dx = 0, dy = 0;
  if (bitmap_align_ == baCenter) {
    dx = (GetWidth() - size.cx) / 2;
    dy = (GetHeight() - size.cy) / 2;
  } else if (bitmap_align_ == baCustom) {
    dx = RoundEven(offset_horz_);
    dy = RoundEven(offset_vert_);
  }
  OffsetRect(&r, dx, dy);
  return r;
}

void TCustomImage32::UpdateCache() {
  if (cache_valid_) return;
  cached_rect_ = GetBitmapRect();
  scale_x_ = scale_y_ = shift_x_ = shift_y_ = rev_scale_x_ = rev_scale_y_ = 0;
  const int w = cached_rect_.right - cached_rect_.left, h = cached_rect_.bottom - cached_rect_.top;
  // A picture scaled to no size (a side rounded to 0) is not drawn: paint shows the background.
  if (!bitmap_->Empty() && w > 0 && h > 0) {
    scale_x_ = MulDiv(w, 65536, bitmap_->GetWidth());
    scale_y_ = MulDiv(h, 65536, bitmap_->GetHeight());
    shift_x_ = cached_rect_.left;
    shift_y_ = cached_rect_.top;
    rev_scale_x_ = MulDiv(bitmap_->GetWidth(), 65536, w);
    rev_scale_y_ = MulDiv(bitmap_->GetHeight(), 65536, h);
  }
  cache_valid_ = true;
}

void TCustomImage32::DoPaintBuffer() {
  UpdateCache();
  const bool designing = GetComponentState().Contains(csDesigning);
  for (int i = 0; i < stages_.Count(); ++i) {
    const TPaintStage& s = stages_.Items(i);
    if (!(designing ? s.DsgnTime : s.RunTime)) continue;
    switch (s.Stage) {
      case PST_CUSTOM: ExecCustom(buffer_, i); break;
      case PST_CLEAR_BUFFER: ExecClearBuffer(buffer_, i); break;
      case PST_CLEAR_BACKGND: ExecClearBackgnd(buffer_, i); break;
      case PST_DRAW_BITMAP: ExecDrawBitmap(buffer_, i); break;
      case PST_DRAW_LAYERS: ExecDrawLayers(buffer_, i); break;
      case PST_CONTROL_FRAME: ExecControlFrame(buffer_, i); break;
      case PST_BITMAP_FRAME: ExecBitmapFrame(buffer_, i); break;
    }
  }
  inherited::DoPaintBuffer();
}

void TCustomImage32::ExecCustom(TBitmap32* dest, int stage) { OnPaintStage(this, dest, stage); }

void TCustomImage32::ExecClearBuffer(TBitmap32* dest, int) { dest->Clear(ToColor32(GetColor())); }

void TCustomImage32::ExecClearBackgnd(TBitmap32* dest, int) {
  const TColor32 c = ToColor32(GetColor());
  const int width = GetWidth(), height = GetHeight();
  const RECT& r = cached_rect_;
  if (bitmap_->Empty() || bitmap_->GetDrawMode() != dmOpaque) {
    dest->Clear(c);
    return;
  }
  if (r.left < 1 && r.top < 1 && r.right >= width && (r.bottom >= height || bitmap_align_ == baTile)) return;
  dest->FillRect(0, 0, width, r.top, c);
  dest->FillRect(0, r.bottom, width, height, c);
  dest->FillRect(0, r.top, r.left, r.bottom, c);
  dest->FillRect(r.right, r.top, width, r.bottom, c);
}

void TCustomImage32::ExecDrawBitmap(TBitmap32* dest, int) {
  const RECT& r = cached_rect_;
  if (bitmap_->Empty() || IsRectEmpty(&r)) return;
  bitmap_->Lock();
  if (bitmap_align_ == baTile) {
    for (int j = 0; j <= dest->GetHeight() / r.bottom; ++j)
      for (int i = 0; i <= dest->GetWidth() / r.right; ++i) {
        RECT tile = r;
        OffsetRect(&tile, i * r.right, j * r.bottom);
        dest->Draw(tile, bitmap_);
      }
  } else {
    dest->Draw(r, bitmap_);
  }
  bitmap_->Unlock();
}

void TCustomImage32::ExecControlFrame(TBitmap32* dest, int) {
  const RECT r{0, 0, GetWidth(), GetHeight()};
  DrawFocusRect(dest->GetHandle(), &r);
}

void TCustomImage32::ExecBitmapFrame(TBitmap32* dest, int) {
  DrawFocusRect(dest->GetHandle(), &cached_rect_);
}

// ---- TImage32 ---------------------------------------------------------------------------------

TK_CLASS_INFO(TImage32, TCustomImage32)

void TImage32::Publish(TPublisher<TImage32>& p) {
  using C = TImage32;
  p.Object("Bitmap", &C::GetBitmap, &C::SetBitmap);
  p.Enumeration("BitmapAlign", BitmapAlignInfo(), &C::GetBitmapAlign, &C::SetBitmapAlign).Default(baTopLeft);
  p.Enumeration("ScaleMode", ScaleModeInfo(), &C::GetScaleMode, &C::SetScaleMode).Default(smNormal);
  p.Boolean("AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false);
  p.Float("Scale", &C::GetScale, &C::SetScale).Default(1);
  p.Event("OnBitmapResize", &C::OnBitmapResize);
  p.Event("OnChange", &C::OnChange);
  p.Event("OnInitStages", &C::OnInitStages);
  p.Event("OnPaintStage", &C::OnPaintStage);
  p.Event("OnGDIOverlay", &C::OnGDIOverlay);
  p.Event("OnMouseEnter", &C::OnMouseEnter);
  p.Event("OnMouseLeave", &C::OnMouseLeave);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
}

void RegisterImage32Class() { RegisterClasses({TImage32::StaticClass()}); }
