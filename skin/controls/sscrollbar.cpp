// The skinned scroll bar: geometry, mouse and keyboard, repeat timer and the skinned paint.
#include "skin/controls/sscrollbar.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>

#include "skin/engine/sblend.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/spixels.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sskintext.h"
#include "skin/engine/sutils.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/dragdock.h"
#include "toolkit/forms.h"
#include "toolkit/timers.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kMinSlider = 14;
constexpr unsigned kFirstDelay = 500;
constexpr unsigned kRepeatDelay = 100;

const TEnumInfo& KindInfo() {
  static const TEnumInfo info{"sbHorizontal", "sbVertical"};
  return info;
}
const TEnumInfo& DisabledKindInfo() {
  static const TEnumInfo info{"dkBlended", "dkGrayed"};
  return info;
}

int ClampToInt(int64_t v) { return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

bool IsButton(TsScrollPart part) { return part == spFirstButton || part == spSecondButton; }
bool IsTrack(TsScrollPart part) { return part == spTrackBefore || part == spTrackAfter; }

}  // namespace

TK_CLASS_INFO(TsScrollBar, TWinControl)

void TsScrollBar::Publish(TPublisher<TsScrollBar>& p) {
  using S = TsScrollBar;
  p.Enumeration("BiDiMode", BiDiModeInfo(), &S::GetBiDiMode, &S::SetBiDiMode).Default(bdLeftToRight);
  p.Boolean("ParentBiDiMode", &S::GetParentBiDiMode, &S::SetParentBiDiMode).Default(true);
  // A value that follows the parent is not stored: reading it back would make it the bar's own.
  p.Boolean("Ctl3D", &S::GetCtl3D, &S::SetCtl3D).Stored([](TObject* bar) {
    return !static_cast<TsScrollBar*>(bar)->GetParentCtl3D();
  });
  p.Boolean("ParentCtl3D", &S::GetParentCtl3D, &S::SetParentCtl3D).Default(true);
  p.Set("DisabledKind", DisabledKindInfo(), &S::GetDisabledKind, &S::SetDisabledKind)
      .Default(TsDisabledKind{dkBlended}.Bits());
  p.Enumeration("Kind", KindInfo(), &S::GetKind, &S::SetKind).Default(sbHorizontal);
  p.Integer("LargeChange", &S::GetLargeChange, &S::SetLargeChange).Default(1);
  p.Integer("Max", &S::GetMax, &S::SetMax).Default(100);
  p.Integer("Min", &S::GetMin, &S::SetMin).Default(0);
  p.Integer("PageSize", &S::GetPageSize, &S::SetPageSize).Default(0);
  p.Integer("Position", &S::GetPosition, &S::SetPosition).Default(0);
  p.Integer("SmallChange", &S::GetSmallChange, &S::SetSmallChange).Default(1);
  p.Boolean("Smooth", &S::GetSmooth, &S::SetSmooth).Default(true);
  p.Event("OnChange", &S::OnChange);
  p.Event("OnScroll", &S::OnScroll);
  PublishDragProperties(p);
  PublishDragEvents(p);
  PublishDockEvents(p);
}

void RegisterSkinScrollClasses() { RegisterClasses({TsScrollBar::StaticClass()}); }

// ---- Life --------------------------------------------------------------------------------------

TsScrollBar::TsScrollBar(TComponent* owner) : TWinControl(owner), skin_data_(New<TsCommonData>(this, true)) {
  skin_data_->COC = COC_TsScrollBar;
  control_style_ = {csOpaque, csDoubleClicks};
  SetColor(clBtnFace);
  SetBounds(0, 0, 121, GetSystemMetrics(SM_CYHSCROLL));
  SetTabStop(true);
}

TsScrollBar::~TsScrollBar() {
  StopTimer();
  Free(skin_data_);
  skin_data_ = nullptr;
}

void TsScrollBar::AfterConstruction() {
  TWinControl::AfterConstruction();
  skin_data_->Loaded();
}

void TsScrollBar::Loaded() {
  TWinControl::Loaded();
  skin_data_->Loaded();
  // The stored values were taken while reading; applying them again is no new setting.
  quiet_range_ = true;
  SetParams(position_, min_, max_);
  quiet_range_ = false;
}

bool TsScrollBar::Skinned() const {
  return skin_data_ && SkinData().SkinLoaded && skin_data_->Skinned() &&
         !GetComponentState().Contains(csDestroying);
}

// ---- Window ------------------------------------------------------------------------------------

void TsScrollBar::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  // Skinned, the bar is a window of our own: the system's bar would draw over the skin on
  // focus, enabling and range changes and run its own tracking loop on a press.
  skinned_window_ = Skinned();
  if (skinned_window_) {
    params.WinClassName += "Skinned";
    params.WindowClass.hbrBackground = nullptr;
  } else {
    CreateSubClass(params, "SCROLLBAR");
    params.Style |= kind_ == sbHorizontal ? SBS_HORZ : SBS_VERT;
  }
  const bool right_to_left = UseRightToLeftReading();
  if (right_to_left) params.ExStyle |= WS_EX_RTLREADING;
  direction_ = right_to_left && kind_ == sbHorizontal ? -1 : 1;
}

void TsScrollBar::CreateWnd() {
  TWinControl::CreateWnd();
  ApplyToWindow();
}

void TsScrollBar::ApplyToWindow() {
  if (!handle_ || skinned_window_) return;
  // The system's bar shows positions up to nMax - page + 1: stretch it so that Max is the last.
  SCROLLINFO info{};
  info.cbSize = sizeof(info);
  info.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  info.nMin = min_;
  info.nMax = ClampToInt(static_cast<int64_t>(std::max(max_, min_)) + std::max(page_size_ - 1, 0));
  info.nPage = static_cast<UINT>(page_size_);
  info.nPos = direction_ < 0 ? max_ - position_ : position_;
  SendMessageA(handle_, SBM_SETSCROLLINFO, TRUE, reinterpret_cast<LPARAM>(&info));
}

bool TsScrollBar::CanFocus() { return TWinControl::CanFocus() && GetTabStop(); }

// ---- Properties --------------------------------------------------------------------------------

void TsScrollBar::SetKind(TScrollBarKind kind) {
  if (kind == kind_) return;
  kind_ = kind;
  if (!IsReading() && !GetComponentState().Contains(csLoading))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TsScrollBar::SetParams(int position, int min, int max) {
  const bool reading = IsReading() || GetComponentState().Contains(csLoading);
  // A range without room (Max at or below Min) is the caller's mistake: said once for this
  // setting, then taken as it is. An owner adjusting the bar to its content (Updating set)
  // may well have nothing to scroll.
  if (max <= min && !reading && !updating_ && !quiet_range_)
    ShowError(SkinText(IDS_SCROLLBAR_OUT_OF_RANGE, "Scrollbar property out of range\n\rMax = %d", max));
  min_ = min;
  max_ = max;
  // A range with Max below Min leaves a single position: Min.
  if (!reading) position = std::clamp(position, min_, std::max(min_, max_));
  const int old = position_;
  position_ = position;
  ApplyToWindow();
  if (reading) return;
  if (old != position_) Changed(old);
  RepaintParts();
}

void TsScrollBar::SetPosition(int position) {
  const TControlState state = GetControlState();
  if (state.Contains(csCreating) || GetComponentState().Contains(csDestroying)) return;
  if (position == position_ && !IsReading()) return;
  SetParams(position, min_, max_);
}

void TsScrollBar::SetMin(int min) {
  SetParams(position_, min, max_);
  if (HandleAllocated()) Invalidate();
}

void TsScrollBar::SetMax(int max) {
  SetParams(position_, min_, max);
  if (HandleAllocated()) Invalidate();
}

void TsScrollBar::SetPageSize(int page_size) {
  if (page_size < 0 || page_size == page_size_) return;
  page_size_ = page_size;
  ApplyToWindow();
  if (HandleAllocated()) Invalidate();
}

void TsScrollBar::SetDisabledKind(TsDisabledKind kind) {
  if (kind == disabled_kind_) return;
  disabled_kind_ = kind;
  if (HandleAllocated()) Invalidate();
}

void TsScrollBar::Changed(int old_position) {
  (void)old_position;
  if (suppress_change_) {
    if (!deferred_changed_) deferred_old_position_ = old_position;
    deferred_changed_ = true;
    return;
  }
  OnChange(this);
  // Every skinned change is a scroll by the part under the mouse; with none there (code,
  // keys) the bar was set to a position. The system's bar reports its own scrolls (CNScroll).
  if (!OnScroll || !skinned_window_) return;
  static const TScrollCode kCodes[spCount] = {scLineUp, scLineDown, scPageUp, scPageDown, scPosition};
  int position = position_;
  OnScroll(this, hot_part_ == spNone ? scPosition : kCodes[hot_part_], position);
}

// ---- Geometry ----------------------------------------------------------------------------------
// Halves round to the even neighbour (the default rounding of nearbyint and llrint).

int TsScrollBar::Length() { return std::max(kind_ == sbHorizontal ? GetWidth() : GetHeight(), 0); }

int TsScrollBar::ButtonLength() {
  const bool horizontal = kind_ == sbHorizontal;
  int b = GetSystemMetrics(horizontal ? SM_CXHSCROLL : SM_CYVSCROLL);
  // A skin whose first button asks for it (ReservedBoolean) gets buttons as long as their
  // image, never shorter than the system's arrows.
  const int side = horizontal ? siLeft : siTop;
  const int section = CommonSkinIndexes.ScrollBtn[side];
  if (Skinned() && IsValidSkinIndex(section) && SkinGeneralData[section].ReservedBoolean) {
    const SIZE image = GetMaskFrameSize(CommonSkinIndexes.ScrollBtnMask[side]);
    b = std::max<int>(b, horizontal ? image.cx : image.cy);
  }
  return std::max(std::min(b, Length() / 2), 0);
}

int TsScrollBar::SliderLength() {
  const int track = Length() - 2 * ButtonLength();
  if (track <= 0) return 0;
  // Max + PageSize - Min is the whole content; 0 or less (a reversed range) shows one page.
  const int64_t content = static_cast<int64_t>(max_) + page_size_ - min_;
  int s = kMinSlider;
  // With nothing to scroll (Max at Min) the page is the whole content: the slider fills the track.
  if (page_size_ > 0 && content > 0)
    s = static_cast<int>(std::nearbyint(std::max(static_cast<double>(track) / content * page_size_, 14.0)));
  else if (page_size_ > 0)
    s = track;
  return std::min(s, track);
}

int TsScrollBar::SliderCentre() {
  const int b = ButtonLength(), s = SliderLength();
  const int track = Length() - 2 * b;
  if (!GetEnabled()) return Length() / 2;
  // No range: the slider rests at the start of the track, never before it.
  if (max_ <= min_) return b + s / 2;
  const int pos = std::clamp(position_, min_, max_);
  const double share = static_cast<double>(pos) - min_;
  return b + s / 2 +
         static_cast<int>(std::nearbyint((track - s) * share / (static_cast<double>(max_) - min_)));
}

void TsScrollBar::UpdateRects() {
  const int l = Length(), b = ButtonLength(), s = SliderLength();
  const int thick = kind_ == sbHorizontal ? GetHeight() : GetWidth();
  const int start = std::clamp(SliderCentre() - s / 2, b, std::max(b, l - b - s));
  auto along = [&](int from, int to) {
    return kind_ == sbHorizontal ? RECT{from, 0, to, thick} : RECT{0, from, thick, to};
  };
  part_rects_[spFirstButton] = along(0, b);
  part_rects_[spSecondButton] = along(l - b, l);
  part_rects_[spSlider] = along(start, start + s);
  part_rects_[spTrackBefore] = along(b, start);
  part_rects_[spTrackAfter] = along(start + s, l - b);
}

RECT TsScrollBar::PartRect(TsScrollPart part) {
  UpdateRects();
  return part == spNone ? RECT{} : part_rects_[part];
}

TsScrollPart TsScrollBar::PartAt(POINT client) {
  UpdateRects();
  for (TsScrollPart part : {spSlider, spFirstButton, spSecondButton, spTrackBefore, spTrackAfter})
    if (PtInRect(&part_rects_[part], client)) return part;
  return spNone;
}

int TsScrollBar::PositionAtCoord(int c) {
  if (!GetEnabled()) return 0;
  const int b = ButtonLength(), s = SliderLength();
  const int span = Length() - 2 * b - s;
  if (span <= 0 || max_ <= min_) return min_;
  const double v = (c - b - s / 2.0) * (static_cast<double>(max_) - min_) / span;
  return ClampToInt(static_cast<int64_t>(min_) + std::llrint(v));
}

// ---- Messages ----------------------------------------------------------------------------------

void TsScrollBar::WndProc(TMessage& message) {
  const UINT msg = message.Msg;
  {
    TsDataWatch watch(skin_data_);
    if (skin_data_->HandleFirst(message)) {
      if (!watch.Gone()) AfterSkinMessage(msg);
      return;
    }
  }
  if (skinned_window_ && Skinned()) {
    // A drag of the bar itself (DragMode) sees the mouse before the bar's own handling.
    if (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && tk_detail::DragMouseMessage(this, message)) return;
    switch (msg) {
      case WM_PAINT: return WMPaint(message);
      case WM_PRINTCLIENT: return WMPaint(message);
      case WM_ERASEBKGND: return WMEraseBkgnd(message);
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: return WMLButtonDown(message);
      case WM_LBUTTONUP: return WMLButtonUp(message);
      case WM_MOUSEMOVE: WMMouseMove(message); break;
      case WM_CAPTURECHANGED: WMCaptureChanged(message); break;
      case WM_CANCELMODE: WMCaptureChanged(message); break;
      case CM_MOUSELEAVE: CMMouseLeave(message); break;
      case CM_ENABLEDCHANGED: Invalidate(); break;
      default: break;
    }
  }
  switch (msg) {
    case CN_HSCROLL:
    case CN_VSCROLL: return CNScroll(message);
    case WM_GETDLGCODE: message.Result = DLGC_WANTARROWS; return;
    default: break;
  }
  TWinControl::WndProc(message);
  // The direction is taken when the window is made (CreateParams).
  if (msg == CM_BIDIMODECHANGED && HandleAllocated()) RecreateWnd();
}

void TsScrollBar::AfterSkinMessage(UINT msg) {
  switch (msg) {
    case SKM_SETNEWSKIN:
      if (HandleAllocated()) Perform(CM_RECREATEWND);
      break;
    case SKM_REMOVESKIN:
      // The window's class follows the skin: our own while skinned, the system's bar otherwise.
      if (HandleAllocated() && skinned_window_ != Skinned()) Perform(CM_RECREATEWND);
      break;
    case SKM_REFRESH:
      skin_data_->BGChanged = true;
      RepaintParts();
      break;
    default: break;
  }
}

void TsScrollBar::WMPaint(TMessage& message) {
  PAINTSTRUCT ps{};
  HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(handle_, &ps);
  // Between a new skin and its refresh the indexes may not agree yet: the refresh paints. A
  // parent rebuilding its cache is not waited for: nothing would paint a bar laid over a
  // control once the parent is done.
  if (!skin_data_->UpdatingItself()) PaintSkinned(dc);
  if (!message.WParam) EndPaint(handle_, &ps);
  message.Result = 0;
}

void TsScrollBar::WMEraseBkgnd(TMessage& message) { message.Result = 1; }

void TsScrollBar::WMLButtonDown(TMessage& message) {
  const POINT point = PointFromLParam(message.LParam);
  Press(point);
  MouseDown(mbLeft, MouseShiftState(message.WParam), point.x, point.y);
  message.Result = 0;
}

void TsScrollBar::WMLButtonUp(TMessage& message) {
  const POINT point = PointFromLParam(message.LParam);
  Release(point);
  MouseUp(mbLeft, MouseShiftState(message.WParam), point.x, point.y);
  message.Result = 0;
}

void TsScrollBar::WMMouseMove(TMessage& message) { Track(PointFromLParam(message.LParam)); }

void TsScrollBar::WMCaptureChanged(TMessage& message) {
  // Someone else took the mouse: let go of what was held.
  if (pressed_ && reinterpret_cast<HWND>(message.LParam) != handle_) Release(last_mouse_);
}

void TsScrollBar::CMMouseLeave(TMessage& message) {
  // The control the bar is laid over took the pointer's step onto the bar for no leave: it
  // hears of the leave when the pointer leaves the bar outside it.
  auto* linked = DynamicCast<TWinControl>(linked_control_);
  POINT cursor{};
  RECT r{};
  if (message.LParam == 0 && linked && linked->HandleAllocated() && tk_detail::CursorPos(&cursor) &&
      GetWindowRect(linked->GetHandle(), &r) && !PtInRect(&r, cursor))
    linked->Perform(CM_MOUSELEAVE, 0, 0);
  if (pressed_) return;
  SetStates(spNone, false);
}

void TsScrollBar::CNScroll(TMessage& message) {
  int64_t position = position_;
  TScrollCode code = scPosition;
  const int small = small_change_ * direction_, large = large_change_ * direction_;
  switch (LOWORD(message.WParam)) {
    case SB_LINEUP: code = scLineUp, position -= small; break;
    case SB_LINEDOWN: code = scLineDown, position += small; break;
    case SB_PAGEUP: code = scPageUp, position -= large; break;
    case SB_PAGEDOWN: code = scPageDown, position += large; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: {
      code = LOWORD(message.WParam) == SB_THUMBTRACK ? scTrack : scPosition;
      SCROLLINFO info{};
      info.cbSize = sizeof(info);
      info.fMask = SIF_TRACKPOS;
      if (handle_ && GetScrollInfo(handle_, SB_CTL, &info)) position = info.nTrackPos;
      if (direction_ < 0) position = max_ - position;
      break;
    }
    case SB_TOP: code = scTop, position = min_; break;
    case SB_BOTTOM: code = scBottom, position = max_; break;
    case SB_ENDSCROLL: code = scEndScroll; break;
    default: return;
  }
  int result = ClampToInt(std::clamp<int64_t>(position, min_, std::max(min_, max_)));
  OnScroll(this, code, result);
  SetPosition(result);
}

void TsScrollBar::KeyDown(WORD& key, TShiftState shift) {
  int64_t p = position_;
  switch (key) {
    case VK_PRIOR: p -= large_change_; break;
    case VK_NEXT: p += large_change_; break;
    case VK_END: p = max_; break;
    case VK_HOME: p = min_; break;
    case VK_LEFT:
    case VK_UP: p -= small_change_; break;
    case VK_RIGHT:
    case VK_DOWN: p += small_change_; break;
    default: break;
  }
  if (p != position_) SetPosition(ClampToInt(std::clamp<int64_t>(p, min_, std::max(min_, max_))));
  TWinControl::KeyDown(key, shift);
}

// ---- Mouse and repeat --------------------------------------------------------------------------

void TsScrollBar::StepBy(int delta) {
  const int64_t p = static_cast<int64_t>(position_) + delta;
  SetPosition(ClampToInt(std::clamp<int64_t>(p, min_, std::max(min_, max_))));
}

void TsScrollBar::Press(POINT client) {
  if (!GetEnabled()) return;
  if (CanFocus() && !Focused()) SetFocus();
  last_mouse_ = client;
  const TsScrollPart part = PartAt(client);
  if (part == spNone) return;
  // No hints pop up over a held bar; Release gives the setting back.
  if (Application) {
    saved_show_hint_ = Application->GetShowHint();
    Application->SetShowHint(false);
  }
  pressed_ = true;
  hot_part_ = part;
  SetCapture(handle_);
  const int small = small_change_;
  switch (part) {
    case spFirstButton:
    case spSecondButton:
      part_states_[part] = psPressed;
      if (position_ != (part == spFirstButton ? min_ : std::max(min_, max_))) {
        StepBy(part == spFirstButton ? -small : small);
        StartTimer();
      }
      break;
    case spSlider:
      part_states_[part] = psPressed;
      drag_offset_ = PositionAtCoord(Coord(client)) - position_;
      dragging_ = true;
      if (!smooth_) {
        suppress_change_ = true;
        deferred_changed_ = false;
      }
      StartTimer();
      break;
    default:
      part_states_[part] = psPressed;
      StepBy(part == spTrackBefore ? -static_cast<int>(large_change_) : large_change_);
      StartTimer();
      break;
  }
  RepaintParts();
}

void TsScrollBar::Track(POINT client) {
  last_mouse_ = client;
  if (dragging_) {
    SetPosition(PositionAtCoord(Coord(client)) - drag_offset_);
    return;
  }
  if (pressed_) {
    // A held arrow or track looks pressed only while the mouse is over it.
    const TsScrollPart under = PartAt(client);
    const TsPartState state = under == hot_part_ ? psPressed : psNormal;
    if (hot_part_ != spNone && part_states_[hot_part_] != state) {
      part_states_[hot_part_] = state;
      RepaintParts();
    }
    return;
  }
  SetHotPart(PartAt(client));
}

void TsScrollBar::EndSliderDrag() {
  dragging_ = false;
  if (!suppress_change_) return;
  suppress_change_ = false;
  if (deferred_changed_ && deferred_old_position_ != position_) Changed(deferred_old_position_);
  deferred_changed_ = false;
}

void TsScrollBar::Release(POINT client) {
  StopTimer();
  const bool was_pressed = pressed_;
  if (dragging_) {
    SetPosition(PositionAtCoord(Coord(client)) - drag_offset_);
    EndSliderDrag();
  }
  pressed_ = false;
  if (GetCapture() == handle_) ReleaseCapture();
  if (was_pressed && Application) Application->SetShowHint(saved_show_hint_);
  for (TsPartState& state : part_states_) state = psNormal;
  hot_part_ = spNone;
  RECT client_rect{0, 0, GetWidth(), GetHeight()};
  SetHotPart(PtInRect(&client_rect, client) ? PartAt(client) : spNone);
  RepaintParts();
}

void TsScrollBar::SetHotPart(TsScrollPart part) {
  // Only the arrows and the slider light up; the track does not.
  if (IsTrack(part)) part = spNone;
  if (part == hot_part_ && (part == spNone || part_states_[part] == psHot)) return;
  SetStates(part, false);
}

void TsScrollBar::SetStates(TsScrollPart hot, bool pressed) {
  for (TsPartState& state : part_states_) state = psNormal;
  hot_part_ = hot;
  if (hot != spNone) part_states_[hot] = pressed ? psPressed : psHot;
  RepaintParts();
}

void TsScrollBar::StartTimer() {
  if (!timer_) {
    timer_ = New<TTimer>(nullptr);
    timer_->SetOnTimer(TNotifyEvent(this, &TsScrollBar::TimerTick));
  }
  first_tick_ = true;
  timer_->SetInterval(kFirstDelay);
  timer_->SetEnabled(true);
}

void TsScrollBar::StopTimer() {
  if (!timer_) return;
  Free(timer_);
  timer_ = nullptr;
}

void TsScrollBar::TimerTick(TObject* sender) {
  (void)sender;
  if (first_tick_) {
    first_tick_ = false;
    timer_->SetInterval(kRepeatDelay);
  }
  if (!pressed_) return StopTimer();
  if (dragging_) {
    SetPosition(PositionAtCoord(Coord(last_mouse_)) - drag_offset_);
    if (GetCapture() != handle_) SetCapture(handle_);
    return;
  }
  const TsScrollPart under = PartAt(last_mouse_);
  const int small = small_change_;
  if (IsButton(hot_part_)) {
    if (under == hot_part_) StepBy(hot_part_ == spFirstButton ? -small : small);
  } else if (IsTrack(hot_part_)) {
    // The page repeat runs until the slider reaches the mouse.
    if (under == hot_part_)
      StepBy(hot_part_ == spTrackBefore ? -static_cast<int>(large_change_) : large_change_);
  }
  // Moving may have taken the slider under the mouse: the held track part stays pressed.
  if (IsTrack(hot_part_) && pressed_) part_states_[hot_part_] = psPressed;
}

// ---- Painting ----------------------------------------------------------------------------------

void TsScrollBar::RepaintParts() {
  if (!HandleAllocated() || !skinned_window_ || !Skinned()) return;
  HDC dc = GetDC(handle_);
  PaintSkinned(dc);
  ReleaseDC(handle_, dc);
}

void TsScrollBar::PaintPart(TsScrollPart part, const TsCacheInfo& ci) {
  const RECT r = part_rects_[part];
  if (r.right - r.left < 1 || r.bottom - r.top < 1) return;
  const bool horizontal = kind_ == sbHorizontal;
  TBitmap* bmp = skin_data_->GetCacheBmp();
  int section = -1, glyph = -1;
  const char* name = "";
  switch (part) {
    case spFirstButton:
    case spSecondButton: {
      const int side = horizontal ? (part == spFirstButton ? siLeft : siRight)
                                  : (part == spFirstButton ? siTop : siBottom);
      static const char* const kNames[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT",
                                            "SCROLLBTNRIGHT"};
      section = CommonSkinIndexes.ScrollBtn[side];
      glyph = CommonSkinIndexes.ScrollBtnGlyph[side];
      name = kNames[side];
      break;
    }
    case spTrackBefore:
    case spTrackAfter: {
      // "SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"
      const int i = (part == spTrackBefore ? 0 : 2) + (horizontal ? 0 : 1);
      static const char* const kNames[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
      section = CommonSkinIndexes.ScrollBar[i];
      name = kNames[i];
      break;
    }
    default:
      section = horizontal ? CommonSkinIndexes.ScrollSliderH : CommonSkinIndexes.ScrollSliderV;
      glyph = horizontal ? CommonSkinIndexes.ScrollSliderHGlyph : CommonSkinIndexes.ScrollSliderVGlyph;
      name = horizontal ? "SCROLLSLIDERH" : "SCROLLSLIDERV";
      break;
  }
  if (!IsValidSkinIndex(section)) return;
  const int state = part_states_[part];
  PaintItem(section, name, ci, state, true, r, POINT{r.left, r.top}, bmp);
  if (!IsValidImgIndex(glyph)) return;
  const SIZE g = GetMaskFrameSize(glyph);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (g.cx < 1 || g.cy < 1 || g.cx > w || g.cy > h) return;
  DrawSkinGlyph(bmp, POINT{r.left + (w - g.cx) / 2, r.top + (h - g.cy) / 2}, state, SkinMasks[glyph]);
}

void TsScrollBar::PaintSkinned(HDC dc) {
  if (updating_ || !ControlReadyToPaint(this) || GetControlState().Contains(csCreating)) return;
  skin_data_->UpdateCacheBmp();
  TBitmap* bmp = skin_data_->GetCacheBmp();
  const int w = GetWidth(), h = GetHeight();
  if (w < 1 || h < 1) return;
  UpdateRects();
  TsCacheInfo ci;
  skin_data_->GetParentCacheInfo(ci);
  // The parent's background first: parts of the skin may let it show through.
  const TColor parent_color = GetParent() ? ColorToRGB(GetParent()->GetColor()) : ColorToRGB(clBtnFace);
  if (ci.Ready && ci.Bmp) {
    BitBlt(bmp->GetCanvas()->GetHandle(), 0, 0, w, h, ci.Bmp->GetCanvas()->GetHandle(), ci.X + GetLeft(),
           ci.Y + GetTop(), SRCCOPY);
  } else {
    bmp->GetCanvas()->GetBrush()->SetColor(parent_color);
    bmp->GetCanvas()->FillRect(RECT{0, 0, w, h});
  }
  // The painters read the parent at ci's place plus the part's offset.
  TsCacheInfo part_ci = ci;
  part_ci.X += GetLeft();
  part_ci.Y += GetTop();
  for (TsScrollPart part : {spTrackBefore, spTrackAfter, spFirstButton, spSecondButton, spSlider})
    PaintPart(part, part_ci);
  if (!GetEnabled()) {
    if (ci.Ready)
      FillControlBG(bmp, disabled_kind_, this, POINT{GetLeft(), GetTop()}, ci);
    else
      BlendColorRectPercent(bmp, RECT{0, 0, w - 1, h - 1}, 40, parent_color);
  }
  skin_data_->BGChanged = false;
  GdiFlush();
  BitBlt(dc, 0, 0, w, h, bmp->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}
