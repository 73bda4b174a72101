#include "toolkit/controls.h"

#include <algorithm>
#include <cstring>

#include "toolkit/actions.h"
#include "toolkit/dragdock.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/typinfo.h"

namespace {

TControl* g_capture_control = nullptr;
TControl* g_mouse_control = nullptr;
// Control canvases that hold a device context of their own (given back when idle).
std::vector<TControlCanvas*> g_canvases_with_dc;

const TEnumInfo& AlignInfo() {
  static const TEnumInfo info{"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient", "alCustom"};
  return info;
}

bool IsWindowed(const TControl* control) { return control && control->Is<TWinControl>(); }

}  // namespace

const TEnumInfo& AlignmentInfo() {
  static const TEnumInfo info{"taLeftJustify", "taRightJustify", "taCenter"};
  return info;
}

const TEnumInfo& BiDiModeInfo() {
  static const TEnumInfo info{"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                              "bdRightToLeftReadingOnly"};
  return info;
}

// ---- Shared helpers ---------------------------------------------------------------------------

HCURSOR CursorHandle(TCursor cursor) {
  LPCSTR id = IDC_ARROW;
  switch (cursor) {
    case crNone: return nullptr;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crSizeNESW: id = IDC_SIZENESW; break;
    case crSizeNS: id = IDC_SIZENS; break;
    case crSizeNWSE: id = IDC_SIZENWSE; break;
    case crSizeWE: id = IDC_SIZEWE; break;
    case crUpArrow: id = IDC_UPARROW; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crAppStart: id = IDC_APPSTARTING; break;
    case crHelp: id = IDC_HELP; break;
    case crHandPoint: id = IDC_HAND; break;
    case crSizeAll: id = IDC_SIZEALL; break;
    case crDrag: return tk_detail::DragCursorHandle();
    case crNoDrop: id = IDC_NO; break;
    default: break;
  }
  return LoadCursorA(nullptr, id);
}

TShiftState MouseShiftState(WPARAM wparam) {
  TShiftState shift;
  if (wparam & MK_SHIFT) shift.Include(ssShift);
  if (wparam & MK_CONTROL) shift.Include(ssCtrl);
  if (wparam & MK_LBUTTON) shift.Include(ssLeft);
  if (wparam & MK_RBUTTON) shift.Include(ssRight);
  if (wparam & MK_MBUTTON) shift.Include(ssMiddle);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  return shift;
}

TShiftState KeyboardShiftState() {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (GetKeyState(VK_MENU) < 0) shift.Include(ssAlt);
  if (GetKeyState(VK_LBUTTON) < 0) shift.Include(ssLeft);
  if (GetKeyState(VK_RBUTTON) < 0) shift.Include(ssRight);
  if (GetKeyState(VK_MBUTTON) < 0) shift.Include(ssMiddle);
  return shift;
}

TShiftState KeyDataToShiftState(LPARAM key_data) {
  TShiftState shift;
  if (GetKeyState(VK_SHIFT) < 0) shift.Include(ssShift);
  if (GetKeyState(VK_CONTROL) < 0) shift.Include(ssCtrl);
  if (key_data & 0x20000000) shift.Include(ssAlt);
  return shift;
}

TControl* GetCaptureControl() { return g_capture_control; }

void SetCaptureControl(TControl* control) {
  HWND window = nullptr;
  if (auto* windowed = DynamicCast<TWinControl>(control))
    window = windowed->GetHandle();
  else if (control && control->GetParent())
    window = control->GetParent()->GetHandle();
  if (!window) control = nullptr;
  // The window that loses the capture is told so (WM_CAPTURECHANGED) and forgets its control.
  g_capture_control = nullptr;
  if (window) {
    if (GetCapture() != window) SetCapture(window);
  } else if (GetCapture() && FindControl(GetCapture())) {
    ReleaseCapture();
  }
  g_capture_control = control;
}

TControl* GetMouseControl() { return g_mouse_control; }

namespace tk_detail {

namespace {
BOOL SystemCursorPos(POINT* screen) { return ::GetCursorPos(screen); }
TCursorSource g_cursor_source = nullptr;
}  // namespace

void SetCursorSource(TCursorSource source) { g_cursor_source = source; }

bool CursorPos(POINT* screen) {
  return g_cursor_source ? g_cursor_source(screen) : SystemCursorPos(screen) != FALSE;
}

void UpdateMouseControl(TControl* control) {
  if (control == g_mouse_control) return;
  TControl* old = g_mouse_control;
  g_mouse_control = control;
  if (old) old->Perform(CM_MOUSELEAVE, 0, 0);
  // A leave handler may have moved the mouse control on already.
  if (control && control == g_mouse_control) control->Perform(CM_MOUSEENTER, 0, 0);
}

void CheckMouseControl() {
  TControl* mouse = g_mouse_control;
  if (!mouse) return;
  auto* window = IsWindowed(mouse) ? static_cast<TWinControl*>(mouse) : mouse->GetParent();
  // While the system watches the window for the leave, its notice will come: asking where
  // the cursor is costs a round trip to the display server on every idle pass, and so does
  // asking for the capture under Wine, so that comes only after.
  TRACKMOUSEEVENT tracking{sizeof(tracking), TME_QUERY, nullptr, 0};
  if (window && window->HandleAllocated() && TrackMouseEvent(&tracking) && (tracking.dwFlags & TME_LEAVE) &&
      tracking.hwndTrack == window->GetHandle())
    return;
  if (GetCapture()) return;
  POINT screen;
  if (!CursorPos(&screen)) return;
  // The system's leave notice can be lost when the cursor jumps: check where it is now.
  if (!window || !window->HandleAllocated() || WindowFromPoint(screen) != window->GetHandle())
    UpdateMouseControl(nullptr);
}

void CaptureLost(TWinControl* window, HWND new_capture) {
  if (new_capture == window->GetHandle() || !g_capture_control) return;
  if (g_capture_control == window || g_capture_control->GetParent() == window) g_capture_control = nullptr;
}

void ForgetControl(TControl* control) {
  DragForgetControl(control);
  if (g_capture_control == control) {
    g_capture_control = nullptr;
    HWND capture = GetCapture();
    if (capture && FindControl(capture) == control) ReleaseCapture();
  }
  if (g_mouse_control == control) g_mouse_control = nullptr;
}

}  // namespace tk_detail

TControl* FindDragTarget(POINT screen, bool allow_disabled) {
  TWinControl* window = nullptr;
  for (HWND w = WindowFromPoint(screen); w && !window; w = GetParent(w)) window = FindControl(w);
  if (!window) return nullptr;
  if (TControl* child = window->ControlAtPos(window->ScreenToClient(screen), allow_disabled)) return child;
  return window;
}

TCustomForm* GetParentForm(TControl* control) {
  if (!control) return nullptr;
  while (control->GetParent()) control = control->GetParent();
  return DynamicCast<TCustomForm>(control);
}

bool IsAccel(WPARAM key, std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] == '&') {
      ++i;
      continue;
    }
    auto upper = [](unsigned char c) {
      return static_cast<unsigned char>(reinterpret_cast<uintptr_t>(CharUpperA(reinterpret_cast<LPSTR>(c))));
    };
    return upper(static_cast<unsigned char>(caption[i + 1])) == upper(static_cast<unsigned char>(key & 0xFF));
  }
  return false;
}

// ---- TControlCanvas -------------------------------------------------------------------------

TK_CLASS_INFO(TControlCanvas, TCanvas)

TControlCanvas::~TControlCanvas() { FreeHandle(); }

void TControlCanvas::SetControl(TControl* control) {
  if (control_ == control) return;
  FreeHandle();
  control_ = control;
}

void TControlCanvas::FreeHandle() {
  if (window_dc_) {
    HDC dc = window_dc_;
    HWND window = dc_window_;
    window_dc_ = nullptr;
    dc_window_ = nullptr;
    SetHandle(nullptr);
    ReleaseDC(window, dc);
    std::erase(g_canvases_with_dc, this);
  } else if (HandleAllocated()) {
    SetHandle(nullptr);
  }
}

void TControlCanvas::CreateHandle() {
  if (!control_) TCanvas::CreateHandle();
  HWND window = nullptr;
  if (auto* windowed = DynamicCast<TWinControl>(control_)) {
    window = windowed->GetHandle();
  } else {
    if (!control_->GetParent())
      throw EInvalidOperation(Format("Control '%s' has no parent window", control_->GetName()));
    window = control_->GetParent()->GetHandle();
  }
  HDC dc = GetDCEx(window, nullptr, DCX_CACHE | DCX_CLIPSIBLINGS);
  if (!dc) throw EOutOfResources("Out of system resources (device context)");
  if (!IsWindowed(control_)) {
    // The part of the parent's window the control covers, in the control's coordinates.
    SetViewportOrgEx(dc, control_->GetLeft(), control_->GetTop(), nullptr);
    IntersectClipRect(dc, 0, 0, control_->GetWidth(), control_->GetHeight());
  }
  window_dc_ = dc;
  dc_window_ = window;
  g_canvases_with_dc.push_back(this);
  SetHandle(dc);
}

void FreeDeviceContexts() {
  std::vector<TControlCanvas*> canvases = g_canvases_with_dc;
  for (TControlCanvas* canvas : canvases)
    if (canvas->GetLockCount() == 0) canvas->FreeHandle();
}

namespace tk_detail {

// Device contexts of a window that is going away.
void FreeWindowDeviceContexts(TWinControl* control) {
  std::vector<TControlCanvas*> canvases = g_canvases_with_dc;
  for (TControlCanvas* canvas : canvases) {
    TControl* owner = canvas->GetControl();
    if (owner == control || (owner && owner->GetParent() == control && !IsWindowed(owner)))
      canvas->FreeHandle();
  }
}

}  // namespace tk_detail

// ---- TControl: construction -----------------------------------------------------------------

TK_CLASS_INFO(TControl, TComponent)

void TControl::Publish(TPublisher<TControl>& p) {
  p.Integer("Left", &TControl::GetLeft, &TControl::SetLeft);
  p.Integer("Top", &TControl::GetTop, &TControl::SetTop);
  p.Integer("Width", &TControl::GetWidth, &TControl::SetWidth);
  p.Integer("Height", &TControl::GetHeight, &TControl::SetHeight);
  p.Enumeration("Align", AlignInfo(), &TControl::GetAlign, &TControl::SetAlign).Default(alNone);
  p.Set("Anchors", AnchorsInfo(), &TControl::GetAnchors, &TControl::SetAnchors)
      .Default(kDefaultAnchors.Bits());
  p.Object("Constraints", &TControl::GetConstraints, &TControl::SetConstraints);
  p.Boolean("Visible", &TControl::GetVisible, &TControl::SetVisible).Default(true);
  p.Boolean("Enabled", &TControl::GetEnabled, &TControl::SetEnabled).Default(true);
  p.Color("Color", &TControl::GetColor, &TControl::SetColor);
  p.Boolean("ParentColor", &TControl::GetParentColor, &TControl::SetParentColor);
  // A value that follows the parent is not stored: reading it back would make it the
  // control's own.
  p.Object("Font", &TControl::GetFont, &TControl::SetFont).Stored([](TObject* control) {
    return !static_cast<TControl*>(control)->GetParentFont();
  });
  p.Boolean("ParentFont", &TControl::GetParentFont, &TControl::SetParentFont).Default(true);
  p.String("Hint", &TControl::GetHint, &TControl::SetHint);
  p.Boolean("ShowHint", &TControl::GetShowHint, &TControl::SetShowHint).Stored(&TControl::ShowHintStored);
  p.Boolean("ParentShowHint", &TControl::GetParentShowHint, &TControl::SetParentShowHint).Default(true);
  p.Integer("Cursor", &TControl::GetCursor, &TControl::SetCursor).Default(crDefault);
  p.Object("PopupMenu", &TControl::GetPopupMenu, &TControl::SetPopupMenu);
  p.Object("Action", &TControl::GetAction, &TControl::SetAction);
  p.Event("OnClick", &TControl::OnClick);
  p.Event("OnDblClick", &TControl::OnDblClick);
  p.Event("OnMouseDown", &TControl::OnMouseDown);
  p.Event("OnMouseMove", &TControl::OnMouseMove);
  p.Event("OnMouseUp", &TControl::OnMouseUp);
  p.Event("OnResize", &TControl::OnResize);
  p.Event("OnContextPopup", &TControl::OnContextPopup);
}

TK_BEGIN_MESSAGE_MAP(TControl)
TK_MESSAGE(WM_LBUTTONDOWN, WMLButtonDown)
TK_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
TK_MESSAGE(WM_LBUTTONUP, WMLButtonUp)
TK_MESSAGE(WM_RBUTTONDOWN, WMRButtonDown)
TK_MESSAGE(WM_RBUTTONDBLCLK, WMRButtonDblClk)
TK_MESSAGE(WM_RBUTTONUP, WMRButtonUp)
TK_MESSAGE(WM_MBUTTONDOWN, WMMButtonDown)
TK_MESSAGE(WM_MBUTTONDBLCLK, WMMButtonDblClk)
TK_MESSAGE(WM_MBUTTONUP, WMMButtonUp)
TK_MESSAGE(WM_MOUSEMOVE, WMMouseMove)
TK_MESSAGE(WM_CANCELMODE, WMCancelMode)
TK_MESSAGE(WM_CONTEXTMENU, WMContextMenu)
TK_MESSAGE(CM_COLORCHANGED, CMColorChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_PARENTCOLORCHANGED, CMParentColorChanged)
TK_MESSAGE(CM_PARENTFONTCHANGED, CMParentFontChanged)
TK_MESSAGE(CM_PARENTSHOWHINTCHANGED, CMParentShowHintChanged)
TK_MESSAGE(CM_PARENTBIDIMODECHANGED, CMParentBiDiModeChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_VISIBLECHANGED, CMVisibleChanged)
TK_MESSAGE(CM_HITTEST, CMHitTest)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_END_MESSAGE_MAP()

TControl::TControl(TComponent* owner) : TComponent(owner) {
  WindowProc = TWndMethod(this, &TControl::WndProc);
  control_style_ = {csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  font_ = New<TFont>();
  font_->OnChange = TNotifyEvent(this, &TControl::FontChanged);
  constraints_ = New<TSizeConstraints>();
  constraints_->OnChange = TNotifyEvent(this, &TControl::ConstraintsChanged);
}

TControl::~TControl() {
  FreeAndNil(action_link_);
  if (parent_) parent_->RemoveControl(this);
  tk_detail::ForgetControl(this);
  Free(font_);
  Free(constraints_);
}

void TControl::BeforeDestruction() {
  inherited::BeforeDestruction();
  tk_detail::ForgetControl(this);
}

// ---- TControl: messages ---------------------------------------------------------------------

void TControl::WndProc(TMessage& message) {
  if (message.Msg >= WM_MOUSEFIRST && message.Msg <= WM_MOUSELAST &&
      tk_detail::DragMouseMessage(this, message))
    return;
  switch (message.Msg) {
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDBLCLK:
      // A control without double clicks sees a second press instead.
      if (!control_style_.Contains(csDoubleClicks)) message.Msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
      break;
    case WM_MOUSEMOVE:
      if (Application) Application->HintMouseMessage(this, message);
      break;
    default: break;
  }
  Dispatch(message);
}

void TControl::Dispatch(TMessage& message) { DispatchFrom(GetMessageMap(), message); }

void TControl::DispatchFrom(const TMessageMap* map, TMessage& message) {
  if (TMessageProc proc = FindMessageHandler(map, message.Msg))
    proc(this, message);
  else
    DefaultHandler(message);
}

void TControl::DefaultHandler(TMessage& message) {
  // A control without a window keeps its text in the object only.
  switch (message.Msg) {
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(message.LParam);
      size_t size = message.WParam;
      if (!buffer || size == 0) {
        message.Result = 0;
        break;
      }
      size_t n = std::min(text_.size(), size - 1);
      std::memcpy(buffer, text_.data(), n);
      buffer[n] = '\0';
      message.Result = static_cast<LRESULT>(n);
      break;
    }
    case WM_GETTEXTLENGTH: message.Result = static_cast<LRESULT>(text_.size()); break;
    case WM_SETTEXT: {
      auto* text = reinterpret_cast<const char*>(message.LParam);
      if (text != text_.c_str()) text_ = text ? text : "";
      message.Result = TRUE;
      break;
    }
    default: break;
  }
}

LRESULT TControl::Perform(UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  WindowProc(message);
  return message.Result;
}

void TControl::MouseButtonDown(TMessage& message, TMouseButton button, bool double_click) {
  TK_INHERITED(message);
  if (button == mbLeft) {
    if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(true);
    if (control_style_.Contains(csClickEvents) && !double_click) control_state_.Include(csClicked);
    control_state_.Include(csLButtonDown);
  }
  if (double_click && control_style_.Contains(csClickEvents)) DblClick();
  if (control_style_.Contains(csNoStdEvents)) return;
  POINT point = PointFromLParam(message.LParam);
  TShiftState shift = MouseShiftState(message.WParam);
  if (double_click) shift.Include(ssDouble);
  MouseDown(button, shift, point.x, point.y);
}

void TControl::MouseButtonUp(TMessage& message, TMouseButton button) {
  TK_INHERITED(message);
  POINT point = PointFromLParam(message.LParam);
  if (button == mbLeft) {
    control_state_.Exclude(csLButtonDown);
    if (control_style_.Contains(csCaptureMouse)) SetMouseCapture(false);
    if (control_state_.Contains(csClicked)) {
      control_state_.Exclude(csClicked);
      RECT client = WindowClientRect();
      if (PtInRect(&client, point)) Click();
    }
  }
  if (!control_style_.Contains(csNoStdEvents))
    MouseUp(button, MouseShiftState(message.WParam), point.x, point.y);
}

void TControl::WMLButtonDown(TMessage& message) { MouseButtonDown(message, mbLeft, false); }
void TControl::WMLButtonDblClk(TMessage& message) { MouseButtonDown(message, mbLeft, true); }
void TControl::WMLButtonUp(TMessage& message) { MouseButtonUp(message, mbLeft); }
void TControl::WMRButtonDown(TMessage& message) { MouseButtonDown(message, mbRight, false); }
void TControl::WMRButtonDblClk(TMessage& message) { MouseButtonDown(message, mbRight, true); }
void TControl::WMRButtonUp(TMessage& message) {
  MouseButtonUp(message, mbRight);
  // A windowless control has no window whose default handling asks for the context menu:
  // the parent's window is asked, and passes it on to the control under the mouse.
  if (!IsWindowed(this) && parent_ && parent_->HandleAllocated()) {
    POINT screen = ClientToScreen(PointFromLParam(message.LParam));
    HWND window = parent_->GetHandle();
    SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), PointToLParam(screen));
  }
}
void TControl::WMMButtonDown(TMessage& message) { MouseButtonDown(message, mbMiddle, false); }
void TControl::WMMButtonDblClk(TMessage& message) { MouseButtonDown(message, mbMiddle, true); }
void TControl::WMMButtonUp(TMessage& message) { MouseButtonUp(message, mbMiddle); }

void TControl::WMMouseMove(TMessage& message) {
  TK_INHERITED(message);
  if (control_style_.Contains(csNoStdEvents)) return;
  POINT point = PointFromLParam(message.LParam);
  MouseMove(MouseShiftState(message.WParam), point.x, point.y);
}

void TControl::WMCancelMode(TMessage& message) {
  TK_INHERITED(message);
  if (GetMouseCapture()) {
    SetMouseCapture(false);
    if (control_state_.Contains(csLButtonDown)) Perform(WM_LBUTTONUP, 0, PointToLParam({-1, -1}));
  }
  control_state_.Exclude(csLButtonDown);
  control_state_.Exclude(csClicked);
}

void TControl::WMContextMenu(TMessage& message) {
  if (message.Result != 0) return;
  // (-1, -1) comes from the keyboard and is passed on as it is.
  POINT screen = PointFromLParam(message.LParam);
  bool keyboard = screen.x == -1 && screen.y == -1;
  POINT mouse = screen;
  if (!keyboard) {
    mouse = ScreenToClient(screen);
    RECT client = WindowClientRect();
    // On the frame or title bar: the system's menu.
    if (!PtInRect(&client, mouse)) {
      TK_INHERITED(message);
      return;
    }
    // A windowless child under the mouse has the first say.
    if (auto* self = DynamicCast<TWinControl>(this)) {
      if (TControl* child = self->ControlAtPos(mouse, false)) {
        child->WindowProc(message);
        if (message.Result != 0) return;
      }
    }
  }
  bool handled = false;
  DoContextPopup(mouse, handled);
  if (handled) {
    message.Result = 1;
    return;
  }
  if (popup_menu_ && popup_menu_->GetAutoPopup()) {
    if (keyboard) screen = ClientToScreen({0, 0});
    popup_menu_->SetPopupComponent(this);
    message.Result = 1;
    popup_menu_->Popup(screen.x, screen.y);
    return;
  }
  TK_INHERITED(message);
}

void TControl::CMColorChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

void TControl::CMFontChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

void TControl::CMParentColorChanged(TMessage& message) {
  (void)message;
  if (parent_color_ && parent_) {
    SetColor(parent_->GetColor());
    parent_color_ = true;
  }
}

void TControl::CMParentFontChanged(TMessage& message) {
  (void)message;
  if (parent_font_ && parent_) {
    font_->Assign(parent_->GetFont());
    parent_font_ = true;
  }
}

void TControl::CMParentShowHintChanged(TMessage& message) {
  (void)message;
  if (parent_show_hint_ && parent_ && show_hint_ != parent_->GetShowHint()) {
    show_hint_ = parent_->GetShowHint();
    Perform(CM_SHOWHINTCHANGED);
  }
}

void TControl::CMParentBiDiModeChanged(TMessage& message) {
  (void)message;
  if (parent_bidi_mode_ && parent_ && bidi_mode_ != parent_->GetBiDiMode()) {
    bidi_mode_ = parent_->GetBiDiMode();
    Perform(CM_BIDIMODECHANGED);
  }
}

void TControl::CMEnabledChanged(TMessage& message) {
  (void)message;
  Invalidate();
}

void TControl::CMVisibleChanged(TMessage& message) {
  (void)message;
  if (!IsWindowed(this)) InvalidateControl(true);
}

void TControl::CMHitTest(TMessage& message) { message.Result = HTCLIENT; }

void TControl::CMMouseEnter(TMessage& message) {
  // The parent chain hears of it too, naming the control the mouse entered.
  if (parent_)
    parent_->Perform(CM_MOUSEENTER, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

void TControl::CMMouseLeave(TMessage& message) {
  if (parent_)
    parent_->Perform(CM_MOUSELEAVE, 0, message.LParam ? message.LParam : reinterpret_cast<LPARAM>(this));
}

// ---- TControl: events ----------------------------------------------------------------------

void TControl::Changed() {
  if (parent_) parent_->Perform(CM_CHANGED, 0, reinterpret_cast<LPARAM>(this));
}

void TControl::Click() {
  if (!OnClick && action_link_ && action_link_->GetAction())
    action_link_->Execute();
  else
    OnClick(this);
}
void TControl::DblClick() { OnDblClick(this); }
void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseDown(this, button, shift, x, y);
}
void TControl::MouseMove(TShiftState shift, int x, int y) { OnMouseMove(this, shift, x, y); }
void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  OnMouseUp(this, button, shift, x, y);
}
void TControl::Resize() { OnResize(this); }
void TControl::DoContextPopup(POINT mouse, bool& handled) { OnContextPopup(this, mouse, handled); }

void TControl::SetPopupMenu(TPopupMenu* menu) {
  if (menu == popup_menu_) return;
  popup_menu_ = menu;
  if (menu) menu->FreeNotification(this);
}

void TControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == popup_menu_) popup_menu_ = nullptr;
  if (operation == opRemove && component && component == GetAction()) SetAction(nullptr);
}

// ---- TControl: action ----------------------------------------------------------------------

TBasicAction* TControl::GetAction() const { return action_link_ ? action_link_->GetAction() : nullptr; }

void TControl::SetAction(TBasicAction* action) {
  if (!action) {
    FreeAndNil(action_link_);
    return;
  }
  if (action == GetAction()) return;
  // Later changes come through the link's setters, which leave values the control changed on
  // its own alone; taking everything on every change would overwrite them.
  if (!action_link_) action_link_ = CreateActionLink();
  action_link_->SetAction(action);
  ActionChange(action, GetComponentState().Contains(csLoading));
  action->FreeNotification(this);
}

TControlActionLink* TControl::CreateActionLink() { return New<TControlActionLink>(this); }

void TControl::ActionChange(TObject* sender, bool check_defaults) {
  auto* action = DynamicCast<TCustomAction>(sender);
  if (!action) return;
  if (!check_defaults || GetCaption().empty() || GetCaption() == GetName()) SetCaption(action->GetCaption());
  if (!check_defaults || GetEnabled()) SetEnabled(action->GetEnabled());
  if (!check_defaults || GetHint().empty()) SetHint(action->GetHint());
  if (!check_defaults || GetVisible()) SetVisible(action->GetVisible());
}

// ---- TControl: parent and bounds -----------------------------------------------------------

TComponent* TControl::GetParentComponent() const { return parent_; }

void TControl::SetParentComponent(TComponent* parent) {
  if (auto* windowed = DynamicCast<TWinControl>(parent)) SetParent(windowed);
}

void TControl::SetParent(TWinControl* parent) {
  if (parent == parent_) return;
  for (TControl* p = parent; p; p = p->parent_)
    if (p == this) throw EInvalidOperation("A control cannot be placed inside itself");
  TWinControl* old = parent_;
  if (old) old->RemoveControl(this);
  if (parent) parent->InsertControl(this);
  ParentChanged(old);
}

void TControl::ParentChanged(TWinControl* old_parent) {
  (void)old_parent;
  if (!parent_ || IsReading()) return;
  // Take over what is inherited from the new parent.
  Perform(CM_PARENTCOLORCHANGED);
  Perform(CM_PARENTFONTCHANGED);
  Perform(CM_PARENTSHOWHINTCHANGED);
  Perform(CM_PARENTBIDIMODECHANGED);
  Perform(CM_PARENTCTL3DCHANGED);
  if (!IsWindowed(this)) Invalidate();
  UpdateAnchorOrigin();
  RequestAlign();
}

bool TControl::IsReading() const { return GetComponentState().Contains(csReading); }

void TControl::StoreBounds(int left, int top, int width, int height) {
  left_ = left;
  top_ = top;
  width_ = width;
  height_ = height;
}

void TControl::UpdateAnchorOrigin() {
  if (anchoring_ || !parent_ || GetComponentState().Contains(csLoading)) return;
  anchor_origin_.Bounds = {left_, top_, width_, height_};
  // A minimised form's client area says nothing of the size it comes back with.
  if (parent_->HandleAllocated() && IsIconic(parent_->handle_)) return;
  RECT client = parent_->GetClientRect();
  anchor_origin_.ParentWidth = client.right - client.left;
  anchor_origin_.ParentHeight = client.bottom - client.top;
}

void TControl::AnchorTo(int parent_width, int parent_height) {
  TControlBounds b = AnchoredBounds(anchor_origin_, anchors_, parent_width, parent_height);
  anchoring_ = true;
  try {
    SetBounds(b.Left, b.Top, b.Width, b.Height);
  } catch (...) {
    anchoring_ = false;
    throw;
  }
  anchoring_ = false;
}

void TControl::SetAnchors(TAnchors anchors) {
  if (anchors == anchors_) return;
  anchors_ = anchors;
  UpdateAnchorOrigin();
}

void TControl::ConstraintsChanged(TObject* sender) {
  (void)sender;
  SetBounds(left_, top_, width_, height_);
}

void TControl::SetBounds(int left, int top, int width, int height) {
  width = constraints_->ClampWidth(std::max(width, 0));
  height = constraints_->ClampHeight(std::max(height, 0));
  if (left == left_ && top == top_ && width == width_ && height == height_) return;
  bool resized = width != width_ || height != height_;
  InvalidateControl(true);
  StoreBounds(left, top, width, height);
  UpdateAnchorOrigin();
  InvalidateControl(true);
  RequestAlign();
  if (resized && !GetComponentState().Contains(csLoading)) Resize();
}

RECT TControl::GetClientRect() { return {0, 0, width_, height_}; }

RECT TControl::WindowClientRect() {
  auto* window = DynamicCast<TWinControl>(this);
  if (!window || !window->HandleAllocated()) return {0, 0, width_, height_};
  RECT r{};
  ::GetClientRect(window->GetHandle(), &r);
  return r;
}

int TControl::GetClientWidth() {
  RECT r = GetClientRect();
  return r.right - r.left;
}

int TControl::GetClientHeight() {
  RECT r = GetClientRect();
  return r.bottom - r.top;
}

void TControl::SetClientWidth(int width) { SetWidth(width + (width_ - GetClientWidth())); }
void TControl::SetClientHeight(int height) { SetHeight(height + (height_ - GetClientHeight())); }

POINT TControl::GetClientOrigin() {
  if (!parent_) return {left_, top_};
  POINT origin = parent_->GetClientOrigin();
  return {origin.x + left_, origin.y + top_};
}

POINT TControl::ClientToScreen(POINT point) {
  POINT origin = GetClientOrigin();
  return {point.x + origin.x, point.y + origin.y};
}

POINT TControl::ScreenToClient(POINT point) {
  POINT origin = GetClientOrigin();
  return {point.x - origin.x, point.y - origin.y};
}

void TControl::SetAlign(TAlign align) {
  if (align == align_) return;
  align_ = align;
  UpdateAnchorOrigin();
  // An aligned control keeps its other size when it is taken out of the alignment.
  RequestAlign();
}

void TControl::RequestAlign() {
  if (parent_ && align_ != alNone && visible_) parent_->AlignChildren();
}

void TControl::Loaded() {
  inherited::Loaded();
  if (parent_) {
    if (parent_color_) Perform(CM_PARENTCOLORCHANGED);
    if (parent_font_) Perform(CM_PARENTFONTCHANGED);
    if (parent_show_hint_) Perform(CM_PARENTSHOWHINTCHANGED);
    if (parent_bidi_mode_) Perform(CM_PARENTBIDIMODECHANGED);
    Perform(CM_PARENTCTL3DCHANGED);
  }
  UpdateAnchorOrigin();
  RequestAlign();
}

void TControl::SetName(const std::string& name) {
  // A control named while its text still is its old name shows the new name.
  bool change_text =
      control_style_.Contains(csSetCaption) && !GetComponentState().Contains(csLoading) && GetName() == text_;
  inherited::SetName(name);
  if (change_text) SetText(name);
}

// ---- TControl: state -----------------------------------------------------------------------

void TControl::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Perform(CM_VISIBLECHANGED, visible);
  if (parent_ && align_ != alNone) parent_->AlignChildren();
}

bool TControl::GetShowing() { return visible_ && parent_ && parent_->GetShowing(); }

void TControl::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Perform(CM_ENABLEDCHANGED);
}

void TControl::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  parent_color_ = false;
  Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool parent_color) {
  if (parent_color == parent_color_) return;
  parent_color_ = parent_color;
  if (parent_color && parent_ && !IsReading()) Perform(CM_PARENTCOLORCHANGED);
}

void TControl::SetFont(TFont* font) {
  if (font) font_->Assign(font);
}

void TControl::FontChanged(TObject* sender) {
  (void)sender;
  parent_font_ = false;
  Perform(CM_FONTCHANGED);
}

void TControl::SetParentFont(bool parent_font) {
  if (parent_font == parent_font_) return;
  parent_font_ = parent_font;
  if (parent_font && parent_ && !IsReading()) Perform(CM_PARENTFONTCHANGED);
}

void TControl::SetText(const std::string& text) {
  if (text == text_) return;
  std::string value = text;
  text_ = value;
  Perform(WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
  Perform(CM_TEXTCHANGED);
}

void TControl::SetShowHint(bool show_hint) {
  parent_show_hint_ = false;
  if (show_hint == show_hint_) return;
  show_hint_ = show_hint;
  Perform(CM_SHOWHINTCHANGED);
}

bool TControl::ShowHintStored(TObject* control) {
  return !static_cast<TControl*>(control)->GetParentShowHint();
}

void TControl::SetParentShowHint(bool parent_show_hint) {
  if (parent_show_hint == parent_show_hint_) return;
  parent_show_hint_ = parent_show_hint;
  if (parent_show_hint && parent_ && !IsReading()) Perform(CM_PARENTSHOWHINTCHANGED);
}

void TControl::SetBiDiMode(TBiDiMode mode) {
  parent_bidi_mode_ = false;
  if (mode == bidi_mode_) return;
  bidi_mode_ = mode;
  Perform(CM_BIDIMODECHANGED);
}

void TControl::SetParentBiDiMode(bool parent_bidi_mode) {
  if (parent_bidi_mode == parent_bidi_mode_) return;
  parent_bidi_mode_ = parent_bidi_mode;
  if (parent_bidi_mode && parent_ && !IsReading()) Perform(CM_PARENTBIDIMODECHANGED);
}

void TControl::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  Perform(CM_CURSORCHANGED);
  // Show the new cursor at once when the mouse is over the control.
  if (g_mouse_control == this && !GetCapture()) {
    TWinControl* window = IsWindowed(this) ? static_cast<TWinControl*>(this) : parent_;
    if (window && window->HandleAllocated())
      SendMessageA(window->GetHandle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window->GetHandle()),
                   HTCLIENT);
  }
}

bool TControl::GetMouseCapture() const { return g_capture_control == this; }

void TControl::SetMouseCapture(bool capture) {
  if (capture == GetMouseCapture()) return;
  SetCaptureControl(capture ? this : nullptr);
}

// ---- TControl: painting and z-order ----------------------------------------------------------

void TControl::InvalidateControl(bool erase) {
  if (!parent_ || !parent_->HandleAllocated() || width_ <= 0 || height_ <= 0) return;
  RECT r = GetBoundsRect();
  InvalidateRect(parent_->GetHandle(), &r, erase ? TRUE : FALSE);
}

void TControl::Invalidate() {
  if (visible_) InvalidateControl(!control_style_.Contains(csOpaque));
}

void TControl::Repaint() {
  if (!visible_ || !parent_ || !parent_->HandleAllocated()) return;
  if (!control_style_.Contains(csOpaque)) {
    Invalidate();
    Update();
    return;
  }
  // Opaque: paint straight onto the parent's window, and whatever lies above it.
  HWND window = parent_->GetHandle();
  HDC dc = GetDC(window);
  if (!dc) return;
  try {
    IntersectClipRect(dc, left_, top_, left_ + width_, top_ + height_);
    parent_->PaintControls(dc, this);
  } catch (...) {
    ReleaseDC(window, dc);
    throw;
  }
  ReleaseDC(window, dc);
}

void TControl::Update() {
  if (parent_) parent_->Update();
}

void TControl::BringToFront() { SetZOrder(true); }
void TControl::SendToBack() { SetZOrder(false); }

void TControl::SetZOrder(bool top_most) {
  if (!parent_) return;
  std::vector<TControl*>& list = parent_->controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(top_most ? list.end() : list.begin(), this);
  InvalidateControl(true);
}

// ---- TGraphicControl ------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TGraphicControl, TControl)

TK_BEGIN_MESSAGE_MAP(TGraphicControl)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_END_MESSAGE_MAP()

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner) {
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
}

TGraphicControl::~TGraphicControl() { Free(canvas_); }

void TGraphicControl::WMPaint(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc) return;
  canvas_->FreeHandle();
  canvas_->Lock();
  canvas_->SetHandle(dc);
  try {
    Paint();
  } catch (...) {
    canvas_->SetHandle(nullptr);
    canvas_->Unlock();
    throw;
  }
  canvas_->SetHandle(nullptr);
  canvas_->Unlock();
}
