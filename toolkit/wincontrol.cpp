// TWinControl and TCustomControl: windows, their classes and procedure, children, alignment,
// painting, keyboard and focus.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <set>
#include <unordered_map>

#include "toolkit/controls.h"
#include "toolkit/dragdock.h"
#include "toolkit/forms.h"
#include "toolkit/textcodec.h"
#include "toolkit/typinfo.h"

namespace tk_detail {
void UpdateMouseControl(TControl* control);
void FreeWindowDeviceContexts(TWinControl* control);
void CaptureLost(TWinControl* window, HWND new_capture);
}  // namespace tk_detail

namespace {

// Which control owns each of our windows. Kept here rather than in a window property: Wine
// asks its server for every property read, and the window procedure needs this for every
// message, which made each message to a control cost tens of microseconds.
class TControlWindows {
 public:
  void Attach(HWND window, TWinControl* control) {
    std::lock_guard lock(mutex_);
    controls_[window] = control;
  }
  // Only while the window is still the control's (a handle may be reused after its window
  // went).
  void Detach(HWND window, const TWinControl* control) {
    std::lock_guard lock(mutex_);
    auto it = controls_.find(window);
    if (it != controls_.end() && it->second == control) controls_.erase(it);
  }
  void DetachAll(const TWinControl* control) {
    std::lock_guard lock(mutex_);
    std::erase_if(controls_, [&](const auto& entry) { return entry.second == control; });
  }
  void Forget(HWND window) {
    std::lock_guard lock(mutex_);
    controls_.erase(window);
  }
  TWinControl* Find(HWND window) const {
    std::lock_guard lock(mutex_);
    auto it = controls_.find(window);
    return it == controls_.end() ? nullptr : it->second;
  }

 private:
  mutable std::mutex mutex_;
  std::unordered_map<HWND, TWinControl*> controls_;
};

TControlWindows& ControlWindows() {
  static TControlWindows* windows = new TControlWindows;
  return *windows;
}

// The control whose window CreateWindowExA is creating: it takes the window over at the
// first message, so it sees WM_NCCREATE and WM_NCCALCSIZE.
thread_local TWinControl* t_creating = nullptr;

std::set<std::string>& RegisteredClasses() {
  static std::set<std::string>* names = new std::set<std::string>;
  return *names;
}

HINSTANCE ModuleInstance() { return GetModuleHandleA(nullptr); }

bool IsMouseMessage(UINT msg) {
  return msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST && msg != WM_MOUSEWHEEL && msg != WM_MOUSEHWHEEL;
}

// Child window identifiers, unique among siblings (WM_MEASUREITEM names the child by it).
UINT NextControlId() {
  static UINT next = 0;
  next = next % 0xFFF0 + 1;
  return next + 0x0F;
}

}  // namespace

TWinControl* FindControl(HWND window) {
  if (!window) return nullptr;
  DWORD process = 0;
  if (!GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId()) return nullptr;
  return ControlWindows().Find(window);
}

LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TWinControl* control = ControlWindows().Find(window);
  if (!control) {
    control = t_creating;
    if (!control) return DefWindowProcA(window, msg, wparam, lparam);
    t_creating = nullptr;
    control->handle_ = window;
    ControlWindows().Attach(window, control);
  }
  TMessage message{msg, wparam, lparam, 0};
  try {
    control->WindowProc(message);
  } catch (...) {
    HandleWindowException(control);
  }
  // The window's last message: its handle may come back for another window.
  if (msg == WM_NCDESTROY) ControlWindows().Forget(window);
  return message.Result;
}

// ---- TWinControl: construction ----------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TWinControl, TControl)

void TWinControl::Publish(TPublisher<TWinControl>& p) {
  p.Boolean("TabStop", &TWinControl::GetTabStop, &TWinControl::SetTabStop).Default(false);
  p.Integer("TabOrder", &TWinControl::GetTabOrder, &TWinControl::SetTabOrder).Default(-1);
  p.Integer("BorderWidth", &TWinControl::GetBorderWidth, &TWinControl::SetBorderWidth).Default(0);
  p.Boolean("DoubleBuffered", &TWinControl::GetDoubleBuffered, &TWinControl::SetDoubleBuffered)
      .Default(false);
  p.Event("OnEnter", &TWinControl::OnEnter);
  p.Event("OnExit", &TWinControl::OnExit);
  p.Event("OnKeyDown", &TWinControl::OnKeyDown);
  p.Event("OnKeyPress", &TWinControl::OnKeyPress);
  p.Event("OnKeyUp", &TWinControl::OnKeyUp);
}

TK_BEGIN_MESSAGE_MAP(TWinControl)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_MESSAGE(WM_PRINTCLIENT, WMPrintClient)
TK_MESSAGE(WM_WINDOWPOSCHANGED, WMWindowPosChanged)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_SETTEXT, WMSetText)
TK_MESSAGE(WM_SETFOCUS, WMSetFocus)
TK_MESSAGE(WM_KILLFOCUS, WMKillFocus)
TK_MESSAGE(WM_KEYDOWN, WMKeyDown)
TK_MESSAGE(WM_KEYUP, WMKeyUp)
TK_MESSAGE(WM_CHAR, WMChar)
TK_MESSAGE(WM_SYSKEYDOWN, WMSysKeyDown)
TK_MESSAGE(WM_SYSKEYUP, WMSysKeyUp)
TK_MESSAGE(WM_SYSCHAR, WMSysChar)
TK_MESSAGE(WM_COMMAND, WMCommand)
TK_MESSAGE(WM_NOTIFY, WMNotify)
TK_MESSAGE(WM_HSCROLL, WMScroll)
TK_MESSAGE(WM_VSCROLL, WMScroll)
TK_MESSAGE(WM_CTLCOLORBTN, WMCtlColor)
TK_MESSAGE(WM_CTLCOLORDLG, WMCtlColor)
TK_MESSAGE(WM_CTLCOLOREDIT, WMCtlColor)
TK_MESSAGE(WM_CTLCOLORLISTBOX, WMCtlColor)
TK_MESSAGE(WM_CTLCOLORMSGBOX, WMCtlColor)
TK_MESSAGE(WM_CTLCOLORSCROLLBAR, WMCtlColor)
TK_MESSAGE(WM_CTLCOLORSTATIC, WMCtlColor)
TK_MESSAGE(WM_DRAWITEM, WMItemMessage)
TK_MESSAGE(WM_MEASUREITEM, WMItemMessage)
TK_MESSAGE(WM_DELETEITEM, WMItemMessage)
TK_MESSAGE(WM_COMPAREITEM, WMItemMessage)
TK_MESSAGE(WM_CHARTOITEM, WMItemMessage)
TK_MESSAGE(WM_VKEYTOITEM, WMItemMessage)
TK_MESSAGE(WM_SETCURSOR, WMSetCursor)
TK_MESSAGE(WM_MOUSELEAVE, WMMouseLeave)
TK_MESSAGE(WM_NCMOUSELEAVE, WMMouseLeave)
TK_MESSAGE(WM_NCMOUSEMOVE, WMNCMouseMove)
TK_MESSAGE(WM_CAPTURECHANGED, WMCaptureChanged)
TK_MESSAGE(WM_NCDESTROY, WMNCDestroy)
TK_MESSAGE(CN_KEYDOWN, CNKeyDown)
TK_MESSAGE(CN_CHAR, CNChar)
TK_MESSAGE(CN_SYSKEYDOWN, CNSysKeyDown)
TK_MESSAGE(CN_SYSCHAR, CNSysChar)
TK_MESSAGE(CN_CTLCOLORBTN, CNCtlColor)
TK_MESSAGE(CN_CTLCOLORDLG, CNCtlColor)
TK_MESSAGE(CN_CTLCOLOREDIT, CNCtlColor)
TK_MESSAGE(CN_CTLCOLORLISTBOX, CNCtlColor)
TK_MESSAGE(CN_CTLCOLORMSGBOX, CNCtlColor)
TK_MESSAGE(CN_CTLCOLORSCROLLBAR, CNCtlColor)
TK_MESSAGE(CN_CTLCOLORSTATIC, CNCtlColor)
TK_MESSAGE(CM_COLORCHANGED, CMColorChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_ENABLEDCHANGED, CMEnabledChanged)
TK_MESSAGE(CM_SHOWHINTCHANGED, CMShowHintChanged)
TK_MESSAGE(CM_BIDIMODECHANGED, CMBiDiModeChanged)
TK_MESSAGE(CM_CTL3DCHANGED, CMCtl3DChanged)
TK_MESSAGE(CM_PARENTCTL3DCHANGED, CMParentCtl3DChanged)
TK_MESSAGE(CM_DIALOGKEY, CMDialogKey)
TK_MESSAGE(CM_DIALOGCHAR, CMDialogChar)
TK_MESSAGE(CM_ENTER, CMEnter)
TK_MESSAGE(CM_EXIT, CMExit)
TK_MESSAGE(CM_RECREATEWND, CMRecreateWnd)
TK_MESSAGE(CM_SYSCOLORCHANGE, CMSysColorChange)
TK_MESSAGE(CM_CHILDKEY, CMChildKey)
TK_MESSAGE(CM_FOCUSCHANGED, CMFocusChanged)
TK_END_MESSAGE_MAP()

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {
  brush_ = New<TBrush>();
  brush_->SetColor(GetColor());
}

TWinControl::~TWinControl() {
  // Children still on the control go with it (those with another owner leave that owner).
  while (!win_controls_.empty() || !controls_.empty()) {
    TControl* child =
        !win_controls_.empty() ? static_cast<TControl*>(win_controls_.back()) : controls_.back();
    RemoveControl(child);
    Free(child);
  }
  if (parent_) parent_->RemoveControl(this);
  if (handle_) DestroyHandle();
  Free(window_font_);
  Free(brush_);
}

void TWinControl::BeforeDestruction() {
  inherited::BeforeDestruction();
  DestroyHandle();
}

// ---- TWinControl: the window ------------------------------------------------------------------

HWND TWinControl::GetHandle() {
  HandleNeeded();
  return handle_;
}

void TWinControl::HandleNeeded() {
  if (handle_) return;
  // The parent's window first; it creates its children's windows, this one among them.
  if (parent_) parent_->HandleNeeded();
  if (!handle_) CreateHandle();
}

void TWinControl::CreateParams(TCreateParams& params) {
  params = TCreateParams{};
  params.Caption = GetText();
  params.Style = WS_CHILD | WS_CLIPSIBLINGS;
  if (control_style_.Contains(csAcceptsControls)) {
    params.Style |= WS_CLIPCHILDREN;
    params.ExStyle |= WS_EX_CONTROLPARENT;
  }
  if (GetVisible()) params.Style |= WS_VISIBLE;
  if (!GetEnabled()) params.Style |= WS_DISABLED;
  if (tab_stop_) params.Style |= WS_TABSTOP;
  params.X = GetLeft();
  params.Y = GetTop();
  params.Width = GetWidth();
  params.Height = GetHeight();
  if (parent_) params.WndParent = parent_->GetHandle();
  params.WindowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
  params.WindowClass.lpfnWndProc = &DefWindowProcA;
  params.WindowClass.hInstance = ModuleInstance();
  params.WindowClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  params.WinClassName = ClassName();
}

void TWinControl::CreateSubClass(TCreateParams& params, const char* system_class) {
  WNDCLASSA wc{};
  if (!GetClassInfoA(nullptr, system_class, &wc)) {
    // The common controls register their classes on request.
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_DATE_CLASSES |
                                              ICC_USEREX_CLASSES | ICC_COOL_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!GetClassInfoA(nullptr, system_class, &wc)) RaiseLastOSError();
  }
  wc.hInstance = ModuleInstance();
  wc.style &= ~CS_GLOBALCLASS;
  wc.lpszClassName = nullptr;
  wc.lpszMenuName = nullptr;
  params.WindowClass = wc;
  WNDCLASSW unicode{};
  if (GetClassInfoW(nullptr, AnsiToWide(system_class).c_str(), &unicode))
    params.UnicodeWndProc = unicode.lpfnWndProc;
}

void TWinControl::CreateHandle() {
  if (handle_) return;
  CreateWnd();
  // Children's windows, bottom first, each placed above the ones before it.
  std::vector<TWinControl*> children = win_controls_;
  for (TWinControl* child : children) {
    if (child->parent_ != this) continue;
    child->CreateHandle();
    if (child->handle_)
      SetWindowPos(child->handle_, HWND_TOP, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  }
}

void TWinControl::CreateWnd() {
  TCreateParams params;
  CreateParams(params);
  if ((params.Style & WS_CHILD) && !params.WndParent)
    throw EInvalidOperation(Format("Control '%s' has no parent window", GetName()));
  def_wnd_proc_ = params.WindowClass.lpfnWndProc ? params.WindowClass.lpfnWndProc : &DefWindowProcA;
  def_wnd_proc_w_ = params.UnicodeWndProc;
  if (!RegisteredClasses().contains(params.WinClassName)) {
    WNDCLASSA wc = params.WindowClass;
    wc.lpfnWndProc = &ControlWindowProc;
    wc.hInstance = ModuleInstance();
    wc.lpszClassName = params.WinClassName.c_str();
    if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
    RegisteredClasses().insert(params.WinClassName);
  }
  CreateWindowHandle(params);
  UpdateWindowFont();
}

void TWinControl::CreateWindowHandle(const TCreateParams& params) {
  HMENU id =
      (params.Style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<UINT_PTR>(NextControlId())) : nullptr;
  // A title goes with the window up to 32,767 characters (Wine keeps the length of a longer
  // one modulo 64 KB); a longer one follows as WM_SETTEXT.
  constexpr size_t kCreateCaptionLimit = 32767;
  bool caption_later = params.Caption.size() > kCreateCaptionLimit;
  control_state_.Include(csCreating);
  t_creating = this;
  HWND window = CreateWindowExA(
      params.ExStyle, params.WinClassName.c_str(), caption_later ? "" : params.Caption.c_str(), params.Style,
      params.X, params.Y, params.Width, params.Height, params.WndParent, id, ModuleInstance(), params.Param);
  DWORD error = GetLastError();
  t_creating = nullptr;
  control_state_.Exclude(csCreating);
  if (!window) {
    // The window may have come and gone before the failure was reported.
    ControlWindows().DetachAll(this);
    handle_ = nullptr;
    RaiseLastOSError(error ? error : ERROR_CANNOT_MAKE);
  }
  if (!handle_) {
    handle_ = window;
    ControlWindows().Attach(window, this);
  }
  if (caption_later) {
    TMessage set{WM_SETTEXT, 0, reinterpret_cast<LPARAM>(params.Caption.c_str()), 0};
    DefaultHandler(set);
  }
}

void TWinControl::DestroyWnd() {
  // The window's text may have changed behind our back (typing into an edit).
  if (def_wnd_proc_ && def_wnd_proc_ != &DefWindowProcA) text_ = ClassWindowText();
  DestroyWindow(handle_);
}

std::string TWinControl::ClassWindowText() {
  if (!def_wnd_proc_w_) {
    LRESULT length = CallWindowProcA(def_wnd_proc_, handle_, WM_GETTEXTLENGTH, 0, 0);
    std::string text(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
    LRESULT got = CallWindowProcA(def_wnd_proc_, handle_, WM_GETTEXT, text.size(),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, std::max<LRESULT>(length, 0))));
    return text;
  }
  // Asked in Unicode: asked in ANSI, a combo box without an edit fetches its selected item
  // from its list in ANSI, and the system converts that item through a stack buffer of 512
  // characters, whatever the item's length.
  LRESULT length = CallWindowProcW(def_wnd_proc_w_, handle_, WM_GETTEXTLENGTH, 0, 0);
  std::wstring wide(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
  LRESULT got = CallWindowProcW(def_wnd_proc_w_, handle_, WM_GETTEXT, wide.size(),
                                reinterpret_cast<LPARAM>(wide.data()));
  wide.resize(static_cast<size_t>(std::clamp<LRESULT>(got, 0, std::max<LRESULT>(length, 0))));
  return WideToAnsi(wide);
}

void TWinControl::AnswerTextRequest(TMessage& message) {
  std::string text = ClassWindowText();
  if (message.Msg == WM_GETTEXTLENGTH) {
    message.Result = static_cast<LRESULT>(text.size());
    return;
  }
  auto* buffer = reinterpret_cast<char*>(message.LParam);
  if (!buffer || message.WParam == 0) {
    message.Result = 0;
    return;
  }
  size_t n = std::min(text.size(), static_cast<size_t>(message.WParam) - 1);
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  message.Result = static_cast<LRESULT>(n);
}

void TWinControl::DestroyHandle() {
  if (!handle_) return;
  control_state_.Include(csDestroyingHandle);
  DestroyWnd();
  control_state_.Exclude(csDestroyingHandle);
  if (handle_) {
    // A replaced WindowProc kept WM_NCDESTROY from us.
    ControlWindows().Detach(handle_, this);
    handle_ = nullptr;
  }
}

void TWinControl::RecreateWnd() {
  if (!handle_) return;
  bool shown = !parent_ && IsWindowVisible(handle_);
  bool had_focus = Focused();
  DestroyHandle();
  HandleNeeded();
  if (shown) ShowWindow(handle_, SW_SHOWNA);
  if (had_focus) ::SetFocus(handle_);
}

void TWinControl::DefaultHandler(TMessage& message) {
  if (handle_ && def_wnd_proc_w_ && (message.Msg == WM_GETTEXT || message.Msg == WM_GETTEXTLENGTH))
    AnswerTextRequest(message);
  else if (handle_)
    message.Result = CallWindowProcA(def_wnd_proc_, handle_, message.Msg, message.WParam, message.LParam);
  else
    TControl::DefaultHandler(message);
}

bool TWinControl::GetShowing() {
  if (!parent_) return GetVisible() && handle_ && IsWindowVisible(handle_);
  return GetVisible() && parent_->GetShowing();
}

void TWinControl::SetVisible(bool visible) {
  if (visible == GetVisible()) return;
  TControl::SetVisible(visible);
  if (!visible && parent_) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  if (handle_ && parent_) {
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE |
                     (visible ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
  }
  Perform(CM_SHOWINGCHANGED);
}

void TWinControl::WMNCDestroy(TMessage& message) {
  TK_INHERITED(message);
  tk_detail::FreeWindowDeviceContexts(this);
  if (handle_) ControlWindows().Detach(handle_, this);
  handle_ = nullptr;
  tracking_mouse_ = tracking_non_client_ = false;
  TControl* mouse = GetMouseControl();
  if (mouse == this || (mouse && mouse->parent_ == this && !mouse->Is<TWinControl>()))
    tk_detail::UpdateMouseControl(nullptr);
}

// ---- TWinControl: children ------------------------------------------------------------------

TControl* TWinControl::GetControl(int index) const {
  if (index < 0 || index >= GetControlCount())
    throw EListError(Format("List index out of bounds (%d)", index));
  size_t i = static_cast<size_t>(index);
  return i < controls_.size() ? controls_[i] : win_controls_[i - controls_.size()];
}

bool TWinControl::ContainsControl(TControl* control) const {
  for (; control; control = control->parent_)
    if (control == this) return true;
  return false;
}

void TWinControl::InsertControl(TControl* control) {
  control->parent_ = this;
  if (auto* windowed = DynamicCast<TWinControl>(control)) {
    win_controls_.push_back(windowed);
    tab_list_.push_back(windowed);
  } else {
    controls_.push_back(control);
  }
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 1);
}

void TWinControl::RemoveControl(TControl* control) {
  bool windowed = std::find(win_controls_.begin(), win_controls_.end(), control) != win_controls_.end();
  bool graphic = std::find(controls_.begin(), controls_.end(), control) != controls_.end();
  if (!windowed && !graphic) return;
  if (graphic) control->InvalidateControl(true);
  if (GetCaptureControl() == control) SetCaptureControl(nullptr);
  if (windowed) {
    auto* child = static_cast<TWinControl*>(control);
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(child, true);
    std::erase(win_controls_, child);
    std::erase(tab_list_, child);
  } else {
    std::erase(controls_, control);
  }
  control->parent_ = nullptr;
  Perform(CM_CONTROLCHANGE, reinterpret_cast<WPARAM>(control), 0);
  if (control->GetAlign() != alNone) AlignChildren();
}

void TWinControl::ParentChanged(TWinControl* old_parent) {
  if (handle_) {
    if (parent_ && parent_->HandleAllocated()) {
      ::SetParent(handle_, parent_->handle_);
      SetWindowPos(handle_, HWND_TOP, GetLeft(), GetTop(), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    } else {
      DestroyHandle();
    }
  } else if (parent_ && parent_->HandleAllocated() && !IsReading()) {
    HandleNeeded();
  }
  TControl::ParentChanged(old_parent);
}

void TWinControl::SetZOrder(bool top_most) {
  if (!parent_) {
    if (handle_)
      SetWindowPos(handle_, top_most ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    return;
  }
  std::vector<TWinControl*>& list = parent_->win_controls_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  list.insert(top_most ? list.end() : list.begin(), this);
  if (handle_)
    SetWindowPos(handle_, top_most ? HWND_TOP : HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

TControl* TWinControl::ControlAtPos(POINT point, bool allow_disabled, bool allow_windowed) {
  auto usable = [&](TControl* c) {
    if (!c->GetVisible() || (!c->GetEnabled() && !allow_disabled)) return false;
    RECT r = c->GetBoundsRect();
    return PtInRect(&r, point) != FALSE;
  };
  if (allow_windowed) {
    for (auto it = win_controls_.rbegin(); it != win_controls_.rend(); ++it)
      if (usable(*it)) return *it;
  }
  for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
    TControl* c = *it;
    if (usable(c) &&
        c->Perform(CM_HITTEST, 0, PointToLParam({point.x - c->GetLeft(), point.y - c->GetTop()})) != 0)
      return c;
  }
  return nullptr;
}

void TWinControl::Broadcast(TMessage& message) {
  std::vector<TControl*> children(controls_.begin(), controls_.end());
  children.insert(children.end(), win_controls_.begin(), win_controls_.end());
  for (TControl* child : children) {
    if (child->parent_ != this) continue;
    child->WindowProc(message);
    if (message.Result != 0) return;
  }
}

void TWinControl::NotifyControls(UINT msg, WPARAM wparam, LPARAM lparam) {
  std::vector<TControl*> children(controls_.begin(), controls_.end());
  children.insert(children.end(), win_controls_.begin(), win_controls_.end());
  for (TControl* child : children) {
    if (child->parent_ != this) continue;
    TMessage message{msg, wparam, lparam, 0};
    child->WindowProc(message);
  }
}

// ---- TWinControl: bounds and alignment ------------------------------------------------------

void TWinControl::SetBounds(int left, int top, int width, int height) {
  width = constraints_->ClampWidth(std::max(width, 0));
  height = constraints_->ClampHeight(std::max(height, 0));
  if (left == GetLeft() && top == GetTop() && width == GetWidth() && height == GetHeight()) return;
  if (handle_ && !IsIconic(handle_)) {
    // WM_WINDOWPOSCHANGED brings the window's actual bounds back into the fields.
    SetWindowPos(handle_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  bool resized = width != GetWidth() || height != GetHeight();
  StoreBounds(left, top, width, height);
  UpdateAnchorOrigin();
  if (handle_) {
    // Minimised: the bounds apply when it is restored.
    WINDOWPLACEMENT placement{};
    placement.length = sizeof(placement);
    if (GetWindowPlacement(handle_, &placement)) {
      placement.rcNormalPosition = GetBoundsRect();
      SetWindowPlacement(handle_, &placement);
    }
  }
  if (resized) {
    AlignChildren();
    if (!GetComponentState().Contains(csLoading)) Resize();
  }
  RequestAlign();
}

void TWinControl::UpdateBounds() {
  if (!handle_ || IsIconic(handle_)) return;
  RECT r;
  GetWindowRect(handle_, &r);
  if (GetWindowLongPtrA(handle_, GWL_STYLE) & WS_CHILD) {
    if (HWND parent = ::GetParent(handle_))
      MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  if (r.left == GetLeft() && r.top == GetTop() && r.right - r.left == GetWidth() &&
      r.bottom - r.top == GetHeight())
    return;
  StoreBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  UpdateAnchorOrigin();
  RequestAlign();
}

RECT TWinControl::GetClientRect() {
  if (!handle_) return TControl::GetClientRect();
  RECT r{};
  ::GetClientRect(handle_, &r);
  return r;
}

POINT TWinControl::GetClientOrigin() {
  if (!handle_) return TControl::GetClientOrigin();
  POINT origin{0, 0};
  ::ClientToScreen(handle_, &origin);
  return origin;
}

void TWinControl::WMWindowPosChanged(TMessage& message) {
  UpdateBounds();
  TK_INHERITED(message);
}

void TWinControl::WMSize(TMessage& message) {
  TK_INHERITED(message);
  if (message.WParam == SIZE_MINIMIZED) return;
  UpdateBounds();
  AlignChildren();
  if (!GetComponentState().Contains(csLoading)) Resize();
}

void TWinControl::DisableAlign() { ++align_level_; }

void TWinControl::EnableAlign() {
  if (align_level_ > 0) --align_level_;
  if (align_level_ == 0 && control_state_.Contains(csAlignmentNeeded)) Realign();
}

void TWinControl::Realign() { AlignChildren(); }

void TWinControl::SetBorderWidth(int width) {
  width = std::max(width, 0);
  if (width == border_width_) return;
  border_width_ = width;
  Realign();
  Invalidate();
}

void TWinControl::AdjustClientRect(RECT& rect) { InflateRect(&rect, -border_width_, -border_width_); }

void TWinControl::AlignChildren() {
  if (aligning_) return;
  if (align_level_ > 0 || GetComponentState().Contains(csLoading)) {
    control_state_.Include(csAlignmentNeeded);
    return;
  }
  control_state_.Exclude(csAlignmentNeeded);
  aligning_ = true;
  try {
    RECT rect = GetClientRect();
    AdjustClientRect(rect);
    AlignControls(nullptr, rect);
    AnchorChildren();
  } catch (...) {
    aligning_ = false;
    throw;
  }
  aligning_ = false;
}

void TWinControl::AnchorChildren() {
  const RECT client = GetClientRect();
  std::vector<TControl*> all(controls_.begin(), controls_.end());
  all.insert(all.end(), win_controls_.begin(), win_controls_.end());
  for (TControl* c : all) {
    // Read from a definition, a control measures from where it is once the form is complete.
    if (c->GetAlign() != alNone || c->anchors_ == kDefaultAnchors ||
        c->GetComponentState().Contains(csLoading))
      continue;
    c->AnchorTo(client.right - client.left, client.bottom - client.top);
  }
}

void TWinControl::AlignControls(TControl* control, RECT& rect) {
  (void)control;
  std::vector<TControl*> all(controls_.begin(), controls_.end());
  all.insert(all.end(), win_controls_.begin(), win_controls_.end());
  for (TAlign align : {alTop, alBottom, alLeft, alRight, alClient}) {
    std::vector<TControl*> list;
    for (TControl* c : all)
      if (c->GetAlign() == align && c->GetVisible()) list.push_back(c);
    // Controls keep the order they have along the edge they are aligned to.
    auto key = [align](TControl* c) {
      switch (align) {
        case alTop: return c->GetTop();
        case alBottom: return -(c->GetTop() + c->GetHeight());
        case alLeft: return c->GetLeft();
        case alRight: return -(c->GetLeft() + c->GetWidth());
        default: return 0;
      }
    };
    std::stable_sort(list.begin(), list.end(), [&](TControl* a, TControl* b) { return key(a) < key(b); });
    for (TControl* c : list) {
      int width = std::max<int>(rect.right - rect.left, 0);
      int height = std::max<int>(rect.bottom - rect.top, 0);
      switch (align) {
        case alTop:
          c->SetBounds(rect.left, rect.top, width, c->GetHeight());
          rect.top += c->GetHeight();
          break;
        case alBottom:
          c->SetBounds(rect.left, rect.bottom - c->GetHeight(), width, c->GetHeight());
          rect.bottom -= c->GetHeight();
          break;
        case alLeft:
          c->SetBounds(rect.left, rect.top, c->GetWidth(), height);
          rect.left += c->GetWidth();
          break;
        case alRight:
          c->SetBounds(rect.right - c->GetWidth(), rect.top, c->GetWidth(), height);
          rect.right -= c->GetWidth();
          break;
        case alClient: c->SetBounds(rect.left, rect.top, width, height); break;
        default: break;
      }
    }
  }
}

void TWinControl::Loaded() {
  TControl::Loaded();
  if (pending_tab_order_ >= 0) {
    int order = pending_tab_order_;
    pending_tab_order_ = -1;
    SetTabOrder(order);
  }
  Realign();
}

// ---- TWinControl: painting -------------------------------------------------------------------

void TWinControl::Invalidate() {
  if (handle_) InvalidateRect(handle_, nullptr, control_style_.Contains(csOpaque) ? FALSE : TRUE);
}

void TWinControl::Repaint() {
  Invalidate();
  Update();
}

void TWinControl::Update() {
  if (handle_) UpdateWindow(handle_);
}

void TWinControl::WMEraseBkgnd(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  // Double-buffered controls erase into their buffer (LParam = WParam marks that call).
  if (double_buffered_ && message.LParam != static_cast<LPARAM>(message.WParam)) {
    message.Result = 1;
    return;
  }
  int saved = SaveDC(dc);
  // Opaque graphic children paint all of their area: erasing below them would flicker.
  for (TControl* c : controls_)
    if (c->GetVisible() && c->control_style_.Contains(csOpaque))
      ExcludeClipRect(dc, c->GetLeft(), c->GetTop(), c->GetLeft() + c->GetWidth(),
                      c->GetTop() + c->GetHeight());
  RECT r = WindowClientRect();
  FillRect(dc, &r, brush_->GetHandle());
  RestoreDC(dc, saved);
  message.Result = 1;
}

void TWinControl::PaintWindow(HDC dc) {
  // System classes paint into a given DC; our own classes have nothing of their own to paint.
  if (def_wnd_proc_ && def_wnd_proc_ != &DefWindowProcA) {
    TMessage paint{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
    DefaultHandler(paint);
  }
}

void TWinControl::PaintControls(HDC dc, TControl* first) {
  size_t start = 0;
  if (first) {
    auto it = std::find(controls_.begin(), controls_.end(), first);
    if (it == controls_.end()) return;
    start = static_cast<size_t>(it - controls_.begin());
  }
  // Most paints touch a few children (a lane label a hundred times a second): the others are
  // passed over by their bounds, without asking the device context about each.
  RECT box{};
  if (GetClipBox(dc, &box) == NULLREGION) return;
  std::vector<TControl*> list(controls_.begin() + static_cast<std::ptrdiff_t>(start), controls_.end());
  for (TControl* c : list) {
    if (!c->GetVisible() || c->parent_ != this) continue;
    RECT r = c->GetBoundsRect(), common;
    if (!IntersectRect(&common, &r, &box) || !RectVisible(dc, &r)) continue;
    int saved = SaveDC(dc);
    OffsetViewportOrgEx(dc, c->GetLeft(), c->GetTop(), nullptr);
    IntersectClipRect(dc, 0, 0, c->GetWidth(), c->GetHeight());
    try {
      c->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
    } catch (...) {
      RestoreDC(dc, saved);
      throw;
    }
    RestoreDC(dc, saved);
  }
}

void TWinControl::PaintHandler(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  PAINTSTRUCT ps{};
  bool own_dc = !dc;
  if (own_dc) dc = BeginPaint(handle_, &ps);
  try {
    if (controls_.empty()) {
      PaintWindow(dc);
    } else {
      int saved = SaveDC(dc);
      // Only children inside what is painted change the clip region.
      RECT box{};
      GetClipBox(dc, &box);
      for (TControl* c : controls_) {
        RECT r = c->GetBoundsRect(), common;
        if (c->GetVisible() && c->control_style_.Contains(csOpaque) && IntersectRect(&common, &r, &box))
          ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
      }
      PaintWindow(dc);
      RestoreDC(dc, saved);
      PaintControls(dc, nullptr);
    }
  } catch (...) {
    if (own_dc) EndPaint(handle_, &ps);
    throw;
  }
  if (own_dc) EndPaint(handle_, &ps);
}

void TWinControl::WMPaint(TMessage& message) {
  if (!message.WParam && controls_.empty() && !double_buffered_ && !control_state_.Contains(csCustomPaint)) {
    TK_INHERITED(message);
    return;
  }
  if (message.WParam || !double_buffered_) {
    PaintHandler(message);
    return;
  }
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(handle_, &ps);
  RECT client = WindowClientRect();
  HDC memory = CreateCompatibleDC(dc);
  HBITMAP bitmap =
      memory ? CreateCompatibleBitmap(dc, std::max<int>(client.right, 1), std::max<int>(client.bottom, 1))
             : nullptr;
  HGDIOBJ old = bitmap ? SelectObject(memory, bitmap) : nullptr;
  try {
    if (!bitmap) {
      TMessage direct{WM_PAINT, reinterpret_cast<WPARAM>(dc), 0, 0};
      PaintHandler(direct);
    } else {
      Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(memory), reinterpret_cast<LPARAM>(memory));
      TMessage buffered{WM_PAINT, reinterpret_cast<WPARAM>(memory), 0, 0};
      PaintHandler(buffered);
      BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
    }
  } catch (...) {
    if (old) SelectObject(memory, old);
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    EndPaint(handle_, &ps);
    throw;
  }
  if (old) SelectObject(memory, old);
  if (bitmap) DeleteObject(bitmap);
  if (memory) DeleteDC(memory);
  EndPaint(handle_, &ps);
}

void TWinControl::WMPrintClient(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  if (!dc) return;
  // The same painting as WM_PAINT, into the given DC (graphic children included).
  if (message.LParam & PRF_ERASEBKGND) Perform(WM_ERASEBKGND, message.WParam, message.WParam);
  TMessage paint{WM_PAINT, message.WParam, 0, 0};
  PaintHandler(paint);
  message.Result = 0;
}

void TWinControl::PaintTo(HDC dc, int x, int y) {
  HWND window = GetHandle();
  RECT frame{};
  GetWindowRect(window, &frame);
  POINT client{0, 0};
  ::ClientToScreen(window, &client);
  int saved = SaveDC(dc);
  try {
    OffsetViewportOrgEx(dc, x, y, nullptr);
    IntersectClipRect(dc, 0, 0, frame.right - frame.left, frame.bottom - frame.top);
    if (client.x != frame.left || client.y != frame.top) {
      // The frame as the system draws it.
      TMessage print{WM_PRINT, reinterpret_cast<WPARAM>(dc), PRF_NONCLIENT, 0};
      DefaultHandler(print);
      OffsetViewportOrgEx(dc, client.x - frame.left, client.y - frame.top, nullptr);
    }
    RECT r = WindowClientRect();
    IntersectClipRect(dc, 0, 0, r.right, r.bottom);
    Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
    std::vector<TWinControl*> children = win_controls_;
    for (TWinControl* child : children)
      if (child->GetVisible() && child->parent_ == this)
        child->PaintTo(dc, child->GetLeft(), child->GetTop());
  } catch (...) {
    RestoreDC(dc, saved);
    throw;
  }
  RestoreDC(dc, saved);
}

// ---- TWinControl: notifications ---------------------------------------------------------------

void TWinControl::CMColorChanged(TMessage& message) {
  brush_->SetColor(GetColor());
  TK_INHERITED(message);
  NotifyControls(CM_PARENTCOLORCHANGED);
}

void TWinControl::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  UpdateWindowFont();
  NotifyControls(CM_PARENTFONTCHANGED);
}

void TWinControl::UpdateWindowFont() {
  if (!handle_) return;
  // The window gets a copy: the control's own font deletes its handle after a change, while
  // the window still uses it.
  TFont* font = New<TFont>();
  font->Assign(GetFont());
  Perform(WM_SETFONT, reinterpret_cast<WPARAM>(font->GetHandle()), TRUE);
  Free(window_font_);
  window_font_ = font;
}

void TWinControl::CMEnabledChanged(TMessage& message) {
  TK_INHERITED(message);
  if (!GetEnabled() && parent_) {
    if (TCustomForm* form = GetParentForm(this)) form->DefocusControl(this, false);
  }
  if (handle_) EnableWindow(handle_, GetEnabled() ? TRUE : FALSE);
}

void TWinControl::CMShowHintChanged(TMessage& message) {
  (void)message;
  NotifyControls(CM_PARENTSHOWHINTCHANGED);
}

void TWinControl::CMBiDiModeChanged(TMessage& message) {
  (void)message;
  NotifyControls(CM_PARENTBIDIMODECHANGED);
}

void TWinControl::SetCtl3D(bool ctl3d) {
  parent_ctl3d_ = false;
  if (ctl3d == ctl3d_) return;
  ctl3d_ = ctl3d;
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::SetParentCtl3D(bool parent_ctl3d) {
  if (parent_ctl3d == parent_ctl3d_) return;
  parent_ctl3d_ = parent_ctl3d;
  if (parent_ctl3d && GetParent() && !IsReading()) Perform(CM_PARENTCTL3DCHANGED);
}

void TWinControl::AddSingleBorder(TCreateParams& params) const {
  if (ctl3d_)
    params.ExStyle |= WS_EX_CLIENTEDGE;
  else
    params.Style |= WS_BORDER;
}

void TWinControl::CMCtl3DChanged(TMessage& message) {
  (void)message;
  // The border is a window style: only a new window shows the other one.
  if (HandleAllocated()) RecreateWnd();
  NotifyControls(CM_PARENTCTL3DCHANGED);
}

void TWinControl::CMParentCtl3DChanged(TMessage& message) {
  (void)message;
  if (!parent_ctl3d_ || !GetParent() || ctl3d_ == GetParent()->GetCtl3D()) return;
  ctl3d_ = GetParent()->GetCtl3D();
  Perform(CM_CTL3DCHANGED);
}

void TWinControl::CMSysColorChange(TMessage& message) {
  (void)message;
  // A system colour's brush was made from the old value.
  if (static_cast<uint32_t>(GetColor()) & 0x80000000u) {
    brush_->SetColor(clBlack);
    brush_->SetColor(GetColor());
  }
  NotifyControls(CM_SYSCOLORCHANGE);
}

void TWinControl::CMRecreateWnd(TMessage& message) {
  (void)message;
  RecreateWnd();
}

void TWinControl::WMSetText(TMessage& message) {
  TK_INHERITED(message);
  auto* text = reinterpret_cast<const char*>(message.LParam);
  if (text != text_.c_str()) text_ = text ? text : "";
}

void TWinControl::ReflectTo(HWND child, TMessage& message) {
  TWinControl* control = FindControl(child);
  if (control && control != this)
    message.Result = control->Perform(CN_BASE + message.Msg, message.WParam, message.LParam);
  else
    TK_INHERITED(message);
}

void TWinControl::WMCommand(TMessage& message) {
  if (message.LParam)
    ReflectTo(reinterpret_cast<HWND>(message.LParam), message);
  else
    TK_INHERITED(message);
}

void TWinControl::WMNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  if (header)
    ReflectTo(header->hwndFrom, message);
  else
    TK_INHERITED(message);
}

void TWinControl::WMScroll(TMessage& message) {
  if (message.LParam)
    ReflectTo(reinterpret_cast<HWND>(message.LParam), message);
  else
    TK_INHERITED(message);
}

void TWinControl::WMCtlColor(TMessage& message) {
  ReflectTo(reinterpret_cast<HWND>(message.LParam), message);
}

void TWinControl::WMItemMessage(TMessage& message) {
  HWND child = nullptr;
  switch (message.Msg) {
    case WM_DRAWITEM: {
      auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (item && item->CtlType != ODT_MENU) child = item->hwndItem;
      break;
    }
    case WM_MEASUREITEM: {
      auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (item && item->CtlType != ODT_MENU && handle_)
        child = GetDlgItem(handle_, static_cast<int>(item->CtlID));
      break;
    }
    case WM_DELETEITEM: {
      auto* item = reinterpret_cast<DELETEITEMSTRUCT*>(message.LParam);
      if (item) child = item->hwndItem;
      break;
    }
    case WM_COMPAREITEM: {
      auto* item = reinterpret_cast<COMPAREITEMSTRUCT*>(message.LParam);
      if (item) child = item->hwndItem;
      break;
    }
    default: child = reinterpret_cast<HWND>(message.LParam); break;  // WM_CHARTOITEM, WM_VKEYTOITEM
  }
  if (child)
    ReflectTo(child, message);
  else
    TK_INHERITED(message);
}

void TWinControl::CNCtlColor(TMessage& message) {
  auto dc = reinterpret_cast<HDC>(message.WParam);
  SetTextColor(dc, ColorToRGB(GetFont()->GetColor()));
  SetBkColor(dc, ColorToRGB(GetColor()));
  message.Result = reinterpret_cast<LRESULT>(brush_->GetHandle());
}

// ---- TWinControl: mouse ----------------------------------------------------------------------

void TWinControl::WndProc(TMessage& message) {
  if (IsMouseMessage(message.Msg) && handle_) {
    if (message.Msg == WM_MOUSEMOVE) {
      UpdateMouseOver(message);
      if (!handle_) return;
    }
    if (IsControlMouseMsg(message)) return;
  }
  TControl::WndProc(message);
}

void TWinControl::UpdateMouseOver(const TMessage& message) {
  // The innermost control under the mouse, disabled ones included, for enter and leave.
  // Judged by where the cursor is now: a move message may be older than the cursor's last move.
  TControl* target = nullptr;
  RECT client = WindowClientRect();
  if (GetCapture() == handle_) {
    POINT point = PointFromLParam(message.LParam);
    if (PtInRect(&client, point)) target = ControlAtPos(point, true);
    if (!target && PtInRect(&client, point)) target = this;
  } else {
    POINT screen{};
    tk_detail::CursorPos(&screen);
    if (WindowFromPoint(screen) != handle_) {
      TControl* mouse = GetMouseControl();
      if (mouse == this || (mouse && mouse->parent_ == this && !mouse->Is<TWinControl>()))
        tk_detail::UpdateMouseControl(nullptr);
      return;
    }
    POINT point = screen;
    ::ScreenToClient(handle_, &point);
    if (PtInRect(&client, point)) {
      target = ControlAtPos(point, true);
      if (!target) target = this;
    }
  }
  TrackMouse(false);
  tk_detail::UpdateMouseControl(target);
}

bool TWinControl::IsControlMouseMsg(TMessage& message) {
  TControl* target = nullptr;
  POINT point = PointFromLParam(message.LParam);
  if (GetCapture() == handle_) {
    TControl* capture = GetCaptureControl();
    if (capture && capture->parent_ == this && !capture->Is<TWinControl>()) target = capture;
  } else {
    target = ControlAtPos(point, false);
  }
  if (!target) return false;
  message.Result = target->Perform(message.Msg, message.WParam,
                                   PointToLParam({point.x - target->GetLeft(), point.y - target->GetTop()}));
  return true;
}

void TWinControl::TrackMouse(bool non_client) {
  if (!handle_ || (non_client ? tracking_non_client_ : tracking_mouse_)) return;
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | (non_client ? static_cast<DWORD>(TME_NONCLIENT) : 0u),
                        handle_, HOVER_DEFAULT};
  if (TrackMouseEvent(&track)) {
    // One request at a time per window: the other kind ends.
    tracking_mouse_ = !non_client;
    tracking_non_client_ = non_client;
  }
}

void TWinControl::WMNCMouseMove(TMessage& message) {
  TrackMouse(true);
  tk_detail::UpdateMouseControl(this);
  TK_INHERITED(message);
}

void TWinControl::WMMouseLeave(TMessage& message) {
  if (message.Msg == WM_MOUSELEAVE)
    tracking_mouse_ = false;
  else
    tracking_non_client_ = false;
  POINT screen{};
  tk_detail::CursorPos(&screen);
  if (WindowFromPoint(screen) == handle_) {
    // Only between client area and frame of the same window.
    POINT point = screen;
    ::ScreenToClient(handle_, &point);
    RECT client = WindowClientRect();
    TControl* target = this;
    if (PtInRect(&client, point)) {
      if (TControl* child = ControlAtPos(point, true)) target = child;
      TrackMouse(false);
    } else {
      TrackMouse(true);
    }
    tk_detail::UpdateMouseControl(target);
  } else {
    TControl* mouse = GetMouseControl();
    if (mouse == this || (mouse && mouse->parent_ == this && !mouse->Is<TWinControl>()))
      tk_detail::UpdateMouseControl(nullptr);
  }
  TK_INHERITED(message);
}

void TWinControl::WMCaptureChanged(TMessage& message) {
  tk_detail::CaptureLost(this, reinterpret_cast<HWND>(message.LParam));
  tk_detail::DragCaptureChanged(this, reinterpret_cast<HWND>(message.LParam));
  TK_INHERITED(message);
}

void TWinControl::WMSetCursor(TMessage& message) {
  if (reinterpret_cast<HWND>(message.WParam) == handle_ && LOWORD(message.LParam) == HTCLIENT) {
    TCursor cursor = Screen ? Screen->GetCursor() : crDefault;
    if (cursor == crDefault) {
      POINT point;
      GetCursorPos(&point);
      ::ScreenToClient(handle_, &point);
      TControl* child = ControlAtPos(point, false);
      cursor = child && child->GetCursor() != crDefault ? child->GetCursor() : GetCursor();
    }
    if (cursor != crDefault) {
      ::SetCursor(CursorHandle(cursor));
      message.Result = 1;
      return;
    }
  }
  TK_INHERITED(message);
}

// ---- TWinControl: focus ---------------------------------------------------------------------

void TWinControl::SetTabStop(bool tab_stop) {
  if (tab_stop == tab_stop_) return;
  tab_stop_ = tab_stop;
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE,
                      tab_stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP)));
  }
  Perform(CM_TABSTOPCHANGED);
}

int TWinControl::GetTabOrder() const {
  if (!parent_) return -1;
  const std::vector<TWinControl*>& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  return it == list.end() ? -1 : static_cast<int>(it - list.begin());
}

void TWinControl::SetTabOrder(int order) {
  if (IsReading()) {
    // Siblings read later are not there yet: the order is applied in Loaded.
    pending_tab_order_ = order;
    return;
  }
  if (!parent_) return;
  std::vector<TWinControl*>& list = parent_->tab_list_;
  auto it = std::find(list.begin(), list.end(), this);
  if (it == list.end()) return;
  list.erase(it);
  order = std::clamp(order, 0, static_cast<int>(list.size()));
  list.insert(list.begin() + order, this);
}

bool TWinControl::CanFocus() {
  for (TWinControl* c = this; c; c = c->parent_)
    if (!c->GetVisible() || !c->GetEnabled()) return false;
  return true;
}

bool TWinControl::Focused() { return handle_ && GetFocus() == handle_; }

void TWinControl::SetFocus() {
  if (TCustomForm* form = GetParentForm(this); form && form != this)
    form->FocusControl(this);
  else if (CanFocus())
    ::SetFocus(GetHandle());
}

void TWinControl::GetTabOrderList(std::vector<TWinControl*>& list) {
  for (TWinControl* c : tab_list_) {
    list.push_back(c);
    c->GetTabOrderList(list);
  }
}

TWinControl* TWinControl::FindNextControl(TWinControl* current, bool forward, bool check_tab_stop,
                                          bool check_parent) {
  std::vector<TWinControl*> list;
  GetTabOrderList(list);
  int count = static_cast<int>(list.size());
  if (count == 0) return nullptr;
  auto found = std::find(list.begin(), list.end(), current);
  int index = found == list.end() ? (forward ? count - 1 : 0) : static_cast<int>(found - list.begin());
  // At most one round: a list without a candidate ends the search.
  for (int step = 0; step < count; ++step) {
    index = forward ? (index + 1) % count : (index + count - 1) % count;
    TWinControl* c = list[static_cast<size_t>(index)];
    if (c == current) break;
    if ((!check_tab_stop || c->tab_stop_) && (!check_parent || c->parent_ == this) && c->CanFocus()) return c;
  }
  return nullptr;
}

void TWinControl::SelectNext(TWinControl* current, bool forward, bool check_tab_stop) {
  if (TWinControl* next = FindNextControl(current, forward, check_tab_stop, !check_tab_stop))
    next->SetFocus();
}

void TWinControl::WMSetFocus(TMessage& message) {
  if (!GetComponentState().Contains(csDestroying)) {
    if (TCustomForm* form = GetParentForm(this)) form->SetFocusedControl(this);
  }
  TK_INHERITED(message);
}

void TWinControl::WMKillFocus(TMessage& message) { TK_INHERITED(message); }

void TWinControl::CMEnter(TMessage& message) {
  (void)message;
  DoEnter();
}

void TWinControl::CMExit(TMessage& message) {
  (void)message;
  DoExit();
}

void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::CMFocusChanged(TMessage& message) {
  std::vector<TControl*> children(controls_.begin(), controls_.end());
  children.insert(children.end(), win_controls_.begin(), win_controls_.end());
  for (TControl* child : children)
    if (child->parent_ == this) child->WindowProc(message);
}

// ---- TWinControl: keyboard -------------------------------------------------------------------

void TWinControl::KeyDown(WORD& key, TShiftState shift) {
  if (!control_style_.Contains(csNoStdEvents)) OnKeyDown(this, key, shift);
}

void TWinControl::KeyPress(char& key) {
  if (!control_style_.Contains(csNoStdEvents)) OnKeyPress(this, key);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift) {
  if (!control_style_.Contains(csNoStdEvents)) OnKeyUp(this, key, shift);
}

bool TWinControl::DoKeyDown(TMessage& message) {
  auto key = static_cast<WORD>(message.WParam);
  TShiftState shift = KeyDataToShiftState(message.LParam);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->GetKeyPreview()) {
    static_cast<TWinControl*>(form)->KeyDown(key, shift);
    if (key == 0) return true;
  }
  KeyDown(key, shift);
  if (key == 0) return true;
  message.WParam = key;
  return false;
}

bool TWinControl::DoKeyUp(TMessage& message) {
  auto key = static_cast<WORD>(message.WParam);
  TShiftState shift = KeyDataToShiftState(message.LParam);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->GetKeyPreview()) {
    static_cast<TWinControl*>(form)->KeyUp(key, shift);
    if (key == 0) return true;
  }
  KeyUp(key, shift);
  if (key == 0) return true;
  message.WParam = key;
  return false;
}

bool TWinControl::DoKeyPress(TMessage& message) {
  char key = static_cast<char>(message.WParam);
  TCustomForm* form = GetParentForm(this);
  if (form && form != this && form->GetKeyPreview()) {
    static_cast<TWinControl*>(form)->KeyPress(key);
    if (key == 0) return true;
  }
  KeyPress(key);
  if (key == 0) return true;
  message.WParam = static_cast<unsigned char>(key);
  return false;
}

void TWinControl::WMKeyDown(TMessage& message) {
  if (!DoKeyDown(message)) TK_INHERITED(message);
}

void TWinControl::WMKeyUp(TMessage& message) {
  if (!DoKeyUp(message)) TK_INHERITED(message);
}

void TWinControl::WMChar(TMessage& message) {
  if (!DoKeyPress(message)) TK_INHERITED(message);
}

void TWinControl::WMSysKeyDown(TMessage& message) {
  if (!DoKeyDown(message)) TK_INHERITED(message);
}

void TWinControl::WMSysKeyUp(TMessage& message) {
  if (!DoKeyUp(message)) TK_INHERITED(message);
}

void TWinControl::WMSysChar(TMessage& message) {
  if (!DoKeyPress(message)) TK_INHERITED(message);
}

bool TWinControl::SpecialKey(TMessage& message) {
  auto key = static_cast<WORD>(message.WParam);
  UINT mask = 0;
  switch (key) {
    case VK_TAB: mask = DLGC_WANTTAB; break;
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN: mask = DLGC_WANTARROWS; break;
    case VK_RETURN:
    case VK_EXECUTE:
    case VK_ESCAPE:
    case VK_CANCEL: mask = DLGC_WANTALLKEYS; break;
    default: return false;
  }
  if (Perform(CM_WANTSPECIALKEY, key, message.LParam) != 0) return false;
  if (static_cast<UINT>(Perform(WM_GETDLGCODE, 0, 0)) & mask) return false;
  TCustomForm* form = GetParentForm(this);
  return form && form->Perform(CM_DIALOGKEY, key, message.LParam) != 0;
}

void TWinControl::CNKeyDown(TMessage& message) {
  message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(message)) return;
  if (Perform(CM_CHILDKEY, message.WParam, reinterpret_cast<LPARAM>(this)) != 0) return;
  if (SpecialKey(message)) return;
  message.Result = 0;
}

void TWinControl::CNChar(TMessage& message) {
  message.Result = 1;
  if (!(static_cast<UINT>(Perform(WM_GETDLGCODE, 0, 0)) & DLGC_WANTCHARS)) {
    TCustomForm* form = GetParentForm(this);
    if (form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) return;
  }
  message.Result = 0;
}

void TWinControl::CNSysKeyDown(TMessage& message) {
  message.Result = 1;
  TCustomForm* form = GetParentForm(this);
  if (form && form->IsShortCut(message)) return;
  message.Result = 0;
}

void TWinControl::CNSysChar(TMessage& message) {
  // Alt+letter: an accelerator of a control on the form.
  if (message.WParam == VK_SPACE) return;
  TCustomForm* form = GetParentForm(this);
  if (form && form->Perform(CM_DIALOGCHAR, message.WParam, message.LParam) != 0) message.Result = 1;
}

void TWinControl::CMChildKey(TMessage& message) {
  if (parent_) message.Result = parent_->Perform(CM_CHILDKEY, message.WParam, message.LParam);
}

void TWinControl::CMDialogKey(TMessage& message) { Broadcast(message); }
void TWinControl::CMDialogChar(TMessage& message) { Broadcast(message); }

// ---- TCustomControl ---------------------------------------------------------------------------

void tk_detail::PaintOnCanvas(TControlCanvas* canvas, HDC dc, const std::function<void()>& paint) {
  canvas->FreeHandle();
  canvas->Lock();
  canvas->SetHandle(dc);
  try {
    paint();
  } catch (...) {
    canvas->SetHandle(nullptr);
    canvas->Unlock();
    throw;
  }
  canvas->SetHandle(nullptr);
  canvas->Unlock();
}

TK_ABSTRACT_CLASS_INFO(TCustomControl, TWinControl)

TK_BEGIN_MESSAGE_MAP(TCustomControl)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_END_MESSAGE_MAP()

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner) {
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
}

TCustomControl::~TCustomControl() { Free(canvas_); }

void TCustomControl::WMPaint(TMessage& message) {
  TSetMemberScope painting(control_state_, csCustomPaint);
  TK_INHERITED(message);
}

void TCustomControl::PaintWindow(HDC dc) {
  tk_detail::PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}
