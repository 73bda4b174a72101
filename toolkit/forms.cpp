// TCustomForm: top-level windows made from form definitions, with modal showing, closing,
// keyboard navigation and focus bookkeeping.
#include "toolkit/forms.h"

#include <algorithm>

#include "toolkit/formreader.h"
#include "toolkit/menus.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& BorderStyleInfo() {
  static const TEnumInfo info{"bsNone",   "bsSingle",     "bsSizeable",
                              "bsDialog", "bsToolWindow", "bsSizeToolWin"};
  return info;
}
const TEnumInfo& BorderIconsInfo() {
  static const TEnumInfo info{"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
  return info;
}
const TEnumInfo& PositionInfo() {
  static const TEnumInfo info{"poDesigned",     "poDefault",       "poDefaultPosOnly", "poDefaultSizeOnly",
                              "poScreenCenter", "poDesktopCenter", "poMainFormCenter", "poOwnerFormCenter"};
  return info;
}
const TEnumInfo& FormStyleInfo() {
  static const TEnumInfo info{"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"};
  return info;
}
const TEnumInfo& WindowStateInfo() {
  static const TEnumInfo info{"wsNormal", "wsMinimized", "wsMaximized"};
  return info;
}

constexpr DWORD kFrameStyles = WS_POPUP | WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX |
                               WS_MAXIMIZEBOX | WS_BORDER | WS_DLGFRAME;
constexpr DWORD kFrameExStyles =
    WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_TOOLWINDOW | WS_EX_CONTEXTHELP;

// The window styles of a border style and its title-bar buttons.
void FrameStyles(TFormBorderStyle border, TBorderIcons icons, DWORD& style, DWORD& ex_style) {
  style = 0;
  ex_style = 0;
  switch (border) {
    case bsNone: style = WS_POPUP; break;
    case bsSingle: style = WS_CAPTION; break;
    case bsSizeable: style = WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      style = WS_POPUP | WS_CAPTION;
      ex_style = WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
    case bsToolWindow:
      style = WS_CAPTION;
      ex_style = WS_EX_TOOLWINDOW;
      break;
    case bsSizeToolWin:
      style = WS_CAPTION | WS_THICKFRAME;
      ex_style = WS_EX_TOOLWINDOW;
      break;
  }
  if (border == bsNone || !icons.Contains(biSystemMenu)) return;
  style |= WS_SYSMENU;
  bool tool = border == bsToolWindow || border == bsSizeToolWin;
  if (border != bsDialog && !tool) {
    if (icons.Contains(biMinimize)) style |= WS_MINIMIZEBOX;
    if (icons.Contains(biMaximize)) style |= WS_MAXIMIZEBOX;
  }
  // The help button shows only without minimise and maximise buttons.
  if (icons.Contains(biHelp) && !(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX))) ex_style |= WS_EX_CONTEXTHELP;
}

void ReportCreationError(TObject* sender) {
  if (!Application) throw;
  Application->HandleException(sender);
}

}  // namespace

// ---- Construction -----------------------------------------------------------------------------

TK_CLASS_INFO(TControlScrollBar, TPersistent)

void TControlScrollBar::Publish(TPublisher<TControlScrollBar>& p) {
  p.Integer("Range", &TControlScrollBar::GetRange, &TControlScrollBar::SetRange).Default(0);
  p.Integer("Increment", &TControlScrollBar::GetIncrement, &TControlScrollBar::SetIncrement).Default(8);
}

void TControlScrollBar::Assign(TPersistent* source) {
  auto* other = DynamicCast<TControlScrollBar>(source);
  if (!other) return TPersistent::Assign(source);
  range_ = other->range_;
  increment_ = other->increment_;
}

TK_CLASS_INFO(TCustomForm, TWinControl)
TK_CLASS_INFO(TForm, TCustomForm)

void TCustomForm::Publish(TPublisher<TCustomForm>& p) {
  p.String("Caption", &TCustomForm::GetText, &TCustomForm::SetText);
  p.Enumeration("BorderStyle", BorderStyleInfo(), &TCustomForm::GetBorderStyle, &TCustomForm::SetBorderStyle)
      .Default(bsSizeable);
  p.Set("BorderIcons", BorderIconsInfo(), &TCustomForm::GetBorderIcons, &TCustomForm::SetBorderIcons);
  p.Enumeration("FormStyle", FormStyleInfo(), &TCustomForm::GetFormStyle, &TCustomForm::SetFormStyle)
      .Default(fsNormal);
  p.Enumeration("Position", PositionInfo(), &TCustomForm::GetPosition, &TCustomForm::SetPosition)
      .Default(poDesigned);
  p.Integer("ClientWidth", &TCustomForm::GetClientWidth, &TCustomForm::SetClientWidth);
  p.Integer("ClientHeight", &TCustomForm::GetClientHeight, &TCustomForm::SetClientHeight);
  p.Boolean("KeyPreview", &TCustomForm::GetKeyPreview, &TCustomForm::SetKeyPreview).Default(false);
  p.Boolean("AutoScroll", &TCustomForm::GetAutoScroll, &TCustomForm::SetAutoScroll).Default(false);
  p.Object("HorzScrollBar", &TCustomForm::GetHorzScrollBar, &TCustomForm::SetHorzScrollBar);
  p.Object("VertScrollBar", &TCustomForm::GetVertScrollBar, &TCustomForm::SetVertScrollBar);
  p.Enumeration("WindowState", WindowStateInfo(), &TCustomForm::GetWindowState, &TCustomForm::SetWindowState)
      .Default(wsNormal);
  p.Object("ActiveControl", &TCustomForm::GetActiveControl, &TCustomForm::SetActiveControl);
  p.Object("Icon", &TCustomForm::GetIcon, &TCustomForm::SetIcon);
  p.Object("Menu", &TCustomForm::GetMenu, &TCustomForm::SetMenu);
  p.Event("OnCreate", &TCustomForm::OnCreate);
  p.Event("OnDestroy", &TCustomForm::OnDestroy);
  p.Event("OnShow", &TCustomForm::OnShow);
  p.Event("OnHide", &TCustomForm::OnHide);
  p.Event("OnActivate", &TCustomForm::OnActivate);
  p.Event("OnDeactivate", &TCustomForm::OnDeactivate);
  p.Event("OnClose", &TCustomForm::OnClose);
  p.Event("OnCloseQuery", &TCustomForm::OnCloseQuery);
  p.Event("OnShortCut", &TCustomForm::OnShortCut);
  p.Event("OnPaint", &TCustomForm::OnPaint);
}

TK_BEGIN_MESSAGE_MAP(TCustomForm)
TK_MESSAGE(WM_ACTIVATE, WMActivate)
TK_MESSAGE(WM_CLOSE, WMClose)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_GETMINMAXINFO, WMGetMinMaxInfo)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_MESSAGE(WM_SYSCOMMAND, WMSysCommand)
TK_MESSAGE(CM_DIALOGKEY, CMDialogKey)
TK_MESSAGE(CM_RELEASE, CMRelease)
TK_MESSAGE(CM_ACTIVATE, CMActivate)
TK_MESSAGE(CM_DEACTIVATE, CMDeactivate)
TK_MESSAGE(WM_COMMAND, WMMenuMessage)
TK_MESSAGE(WM_INITMENUPOPUP, WMMenuMessage)
TK_MESSAGE(WM_MENUCHAR, WMMenuMessage)
TK_MESSAGE(WM_MEASUREITEM, WMMenuMessage)
TK_MESSAGE(WM_DRAWITEM, WMMenuMessage)
TK_MESSAGE(WM_MDIACTIVATE, WMMDIActivate)
TK_MESSAGE(WM_WINDOWPOSCHANGED, WMWindowPosChanged)
TK_END_MESSAGE_MAP()

TCustomForm::TCustomForm(TComponent* owner) : TWinControl(owner) { Init(); }

TCustomForm::TCustomForm(TComponent* owner, TCreateNew) : TWinControl(owner), create_new_(true) { Init(); }

void TCustomForm::Init() {
  visible_ = false;
  parent_font_ = false;
  control_style_ = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  StoreBounds(0, 0, 320, 240);
  SetColor(clBtnFace);
  canvas_ = New<TControlCanvas>();
  canvas_->SetControl(this);
  icon_ = New<TIcon>();
  icon_->OnChange = TNotifyEvent(this, &TCustomForm::IconChanged);
  horz_scroll_bar_ = New<TControlScrollBar>();
  vert_scroll_bar_ = New<TControlScrollBar>();
  if (Screen) Screen->AddForm(this);
}

TCustomForm::~TCustomForm() {
  EnableOtherWindows();
  if (Screen) Screen->RemoveForm(this);
  if (Application && Application->main_form_ == this) Application->main_form_ = nullptr;
  Free(canvas_);
  Free(icon_);
  Free(horz_scroll_bar_);
  Free(vert_scroll_bar_);
}

void TCustomForm::AfterConstruction() {
  form_state_.Include(fsCreating);
  try {
    if (!create_new_) ReadDefinitions();
    DoCreate();
  } catch (...) {
    form_state_.Exclude(fsCreating);
    throw;
  }
  form_state_.Exclude(fsCreating);
  // Visible = True in the definition shows the form once it is complete.
  if (form_state_.Contains(fsVisible)) {
    form_state_.Exclude(fsVisible);
    SetVisible(true);
  }
}

void TCustomForm::BeforeDestruction() {
  if (GetVisible() && handle_) ShowWindow(handle_, SW_HIDE);
  DoDestroy();
  inherited::BeforeDestruction();
}

void TCustomForm::ReadDefinitions() {
  // Ancestors' definitions first, down to the class itself (TForm and above have none).
  std::vector<TClass> classes;
  for (TClass c = ClassType(); c && c != TForm::StaticClass() && c != TCustomForm::StaticClass();
       c = c->parent)
    classes.push_back(c);
  HMODULE module = GetModuleHandleA(nullptr);
  bool found = false;
  for (auto it = classes.rbegin(); it != classes.rend(); ++it) {
    if (!FindResourceA(module, (*it)->name, RT_RCDATA)) continue;
    found = true;
    ReadComponentResource(this, (*it)->name, module);
  }
  if (!found) throw EResNotFound(Format("Resource %s not found", ClassName()));
}

void TCustomForm::DoCreate() {
  try {
    OnCreate(this);
  } catch (...) {
    ReportCreationError(this);
  }
}

void TCustomForm::DoDestroy() {
  try {
    OnDestroy(this);
  } catch (...) {
    ReportCreationError(this);
  }
}

void TCustomForm::Loaded() {
  TWinControl::Loaded();
  if (pending_client_width_ >= 0) SetClientWidth(std::exchange(pending_client_width_, -1));
  if (pending_client_height_ >= 0) SetClientHeight(std::exchange(pending_client_height_, -1));
}

// ---- The window --------------------------------------------------------------------------------

void TCustomForm::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  params.Style &= ~static_cast<DWORD>(WS_CHILD | WS_VISIBLE | WS_TABSTOP);
  params.Style |= WS_CLIPCHILDREN;
  params.ExStyle &= ~static_cast<DWORD>(WS_EX_CONTROLPARENT);
  DWORD style, ex_style;
  FrameStyles(border_style_, border_icons_, style, ex_style);
  params.Style |= style;
  params.ExStyle |= ex_style | WS_EX_CONTROLPARENT;
  // Other forms stay above the main form and share its taskbar button.
  params.WndParent = nullptr;
  if (Application && Application->main_form_ && Application->main_form_ != this &&
      Application->main_form_->HandleAllocated())
    params.WndParent = Application->main_form_->GetHandle();
  if (form_style_ == fsStayOnTop) params.ExStyle |= WS_EX_TOPMOST;
  if (form_style_ == fsMDIChild) {
    TCustomForm* frame = Application ? Application->main_form_ : nullptr;
    if (!frame || frame == this || frame->form_style_ != fsMDIForm)
      throw EInvalidOperation("Cannot create form. No MDI forms are currently active");
    frame->HandleNeeded();
    params.Style = (params.Style & ~static_cast<DWORD>(WS_POPUP)) | WS_CHILD | WS_CLIPSIBLINGS;
    params.ExStyle |= WS_EX_MDICHILD;
    params.WndParent = frame->client_handle_;
  }
  if (position_ == poDefault || position_ == poDefaultPosOnly) params.X = params.Y = CW_USEDEFAULT;
  if (position_ == poDefault || position_ == poDefaultSizeOnly) params.Width = params.Height = CW_USEDEFAULT;
}

void TCustomForm::CreateWnd() {
  TWinControl::CreateWnd();
  if (form_style_ == fsMDIForm) {
    CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
    client_handle_ =
        CreateWindowExA(WS_EX_CLIENTEDGE, "MDICLIENT", nullptr,
                        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_HSCROLL | WS_VSCROLL,
                        0, 0, 0, 0, handle_, nullptr, GetModuleHandleA(nullptr), &ccs);
    if (!client_handle_) RaiseLastOSError();
    PlaceMDIClient();
  }
  if (HasMenuBar()) menu_->SetWindowHandle(handle_);
  // The default positions and sizes were chosen by the system.
  UpdateBounds();
  if (!icon_->GetEmpty()) IconChanged(icon_);
}

RECT TCustomForm::FrameMargins() {
  DWORD style, ex_style;
  FrameStyles(border_style_, border_icons_, style, ex_style);
  RECT r{0, 0, 0, 0};
  AdjustWindowRectEx(&r, style, HasMenuBar() ? TRUE : FALSE, ex_style);
  return {-r.left, -r.top, r.right, r.bottom};
}

RECT TCustomForm::GetClientRect() {
  if (handle_) return TWinControl::GetClientRect();
  RECT m = FrameMargins();
  return {0, 0, std::max<int>(GetWidth() - m.left - m.right, 0),
          std::max<int>(GetHeight() - m.top - m.bottom, 0)};
}

POINT TCustomForm::GetClientOrigin() {
  if (handle_) return TWinControl::GetClientOrigin();
  RECT m = FrameMargins();
  return {GetLeft() + m.left, GetTop() + m.top};
}

void TCustomForm::SetClientWidth(int width) {
  if (IsReading()) {
    pending_client_width_ = width;
    return;
  }
  TWinControl::SetClientWidth(width);
}

void TCustomForm::SetClientHeight(int height) {
  if (IsReading()) {
    pending_client_height_ = height;
    return;
  }
  TWinControl::SetClientHeight(height);
}

void TCustomForm::SetBorderStyle(TFormBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  ApplyFrameStyles();
}

void TCustomForm::SetBorderIcons(TBorderIcons icons) {
  if (icons == border_icons_) return;
  border_icons_ = icons;
  ApplyFrameStyles();
}

void TCustomForm::ApplyFrameStyles() {
  if (!handle_) return;
  DWORD style, ex_style;
  FrameStyles(border_style_, border_icons_, style, ex_style);
  auto old_style = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_STYLE));
  auto old_ex_style = static_cast<DWORD>(GetWindowLongPtrA(handle_, GWL_EXSTYLE));
  SetWindowLongPtrA(handle_, GWL_STYLE, static_cast<LONG_PTR>((old_style & ~kFrameStyles) | style));
  SetWindowLongPtrA(handle_, GWL_EXSTYLE, static_cast<LONG_PTR>((old_ex_style & ~kFrameExStyles) | ex_style));
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Perform(CM_BORDERCHANGED);
}

void TCustomForm::IconChanged(TObject* sender) {
  (void)sender;
  if (!handle_) return;
  HICON icon = icon_->GetHandle();
  SendMessageA(handle_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  SendMessageA(handle_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
  Perform(CM_ICONCHANGED);
}

void TCustomForm::WMPaint(TMessage& message) {
  TSetMemberScope painting(control_state_, csCustomPaint);
  TK_INHERITED(message);
}

void TCustomForm::PaintWindow(HDC dc) {
  tk_detail::PaintOnCanvas(canvas_, dc, [this] { Paint(); });
}

void TCustomForm::Paint() { OnPaint(this); }

// ---- Showing and closing --------------------------------------------------------------------

void TCustomForm::SetVisible(bool visible) {
  if (form_state_.Contains(fsCreating)) {
    // Shown once it is complete (see AfterConstruction).
    if (visible)
      form_state_.Include(fsVisible);
    else
      form_state_.Exclude(fsVisible);
    return;
  }
  if (visible == GetVisible()) return;
  if (visible) {
    TControl::SetVisible(true);
    try {
      HandleNeeded();
      if (!placed_) {
        placed_ = true;
        PlaceOnShow();
      }
      DoShow();
    } catch (...) {
      TControl::SetVisible(false);
      throw;
    }
    if (GetVisible() && handle_) {
      int command = window_state_ == wsMinimized   ? SW_SHOWMINIMIZED
                    : window_state_ == wsMaximized ? SW_SHOWMAXIMIZED
                                                   : SW_SHOWNORMAL;
      ShowWindow(handle_, command);
    }
  } else {
    DoHide();
    TControl::SetVisible(false);
    if (handle_) ShowWindow(handle_, SW_HIDE);
  }
  Perform(CM_SHOWINGCHANGED);
}

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::DoShow() { OnShow(this); }
void TCustomForm::DoHide() { OnHide(this); }

void TCustomForm::PlaceOnShow() {
  RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  TCustomForm* center_on = nullptr;
  switch (position_) {
    case poScreenCenter:
    case poDesktopCenter: break;
    case poOwnerFormCenter: center_on = DynamicCast<TCustomForm>(GetOwner()); [[fallthrough]];
    case poMainFormCenter:
      if (!center_on && Application) center_on = Application->GetMainForm();
      if (center_on == this || (center_on && !center_on->GetVisible())) center_on = nullptr;
      break;
    default: return;
  }
  if (center_on) area = center_on->GetBoundsRect();
  int left = area.left + (area.right - area.left - GetWidth()) / 2;
  int top = area.top + (area.bottom - area.top - GetHeight()) / 2;
  // Keep the title bar reachable.
  RECT work = Screen ? Screen->GetWorkAreaRect() : area;
  left = std::max<int>(left, work.left);
  top = std::max<int>(top, work.top);
  SetBounds(left, top, GetWidth(), GetHeight());
}

void TCustomForm::SetWindowState(TWindowState state) {
  if (state == window_state_) return;
  window_state_ = state;
  if (handle_ && IsWindowVisible(handle_))
    ShowWindow(handle_, state == wsMinimized ? SW_MINIMIZE : state == wsMaximized ? SW_MAXIMIZE : SW_RESTORE);
}

void TCustomForm::WMSize(TMessage& message) {
  TK_INHERITED(message);
  // DefFrameProc has given the client the whole client area.
  if (form_style_ == fsMDIForm) PlaceMDIClient();
  NotifyMDIFrame();
  if (!handle_ || !IsWindowVisible(handle_)) return;
  switch (message.WParam) {
    case SIZE_MINIMIZED: window_state_ = wsMinimized; break;
    case SIZE_MAXIMIZED: window_state_ = wsMaximized; break;
    case SIZE_RESTORED: window_state_ = wsNormal; break;
    default: break;
  }
  if (Application && Application->main_form_ == this)
    Application->MainFormSized(message.WParam == SIZE_MINIMIZED);
}

// Sizing by the frame and maximising stop at the constraints.
void TCustomForm::WMGetMinMaxInfo(TMessage& message) {
  TK_INHERITED(message);
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  const TSizeConstraints* c = GetConstraints();
  if (c->GetMinWidth() > 0) info->ptMinTrackSize.x = c->GetMinWidth();
  if (c->GetMinHeight() > 0) info->ptMinTrackSize.y = c->GetMinHeight();
  if (c->GetMaxWidth() > 0) info->ptMaxTrackSize.x = info->ptMaxSize.x = c->GetMaxWidth();
  if (c->GetMaxHeight() > 0) info->ptMaxTrackSize.y = info->ptMaxSize.y = c->GetMaxHeight();
}

bool TCustomForm::CloseQuery() {
  bool can_close = true;
  OnCloseQuery(this, can_close);
  return can_close;
}

void TCustomForm::DoClose(TCloseAction& action) { OnClose(this, action); }

void TCustomForm::Close() {
  if (form_state_.Contains(fsModal)) {
    // The modal loop asks OnCloseQuery and OnClose.
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->main_form_ == this) {
    Application->Terminate();
    return;
  }
  switch (action) {
    case caHide: SetVisible(false); break;
    case caMinimize: SetWindowState(wsMinimized); break;
    case caFree: Release(); break;
    default: break;
  }
}

void TCustomForm::WMClose(TMessage& message) {
  (void)message;
  Close();
}

void TCustomForm::Release() { PostMessageA(GetHandle(), CM_RELEASE, 0, 0); }

void TCustomForm::CMRelease(TMessage& message) {
  (void)message;
  // Nothing of the form is touched after this: the chain returns straight to the system.
  Free(this);
}

void TCustomForm::SetModalResult(TModalResult result) {
  if (form_state_.Contains(fsModal)) modal_result_ = result;
}

void TCustomForm::DisableOtherWindows() {
  struct TContext {
    HWND self;
    std::vector<HWND>* list;
  } context{handle_, &disabled_windows_};
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND window, LPARAM data) -> BOOL {
        auto* c = reinterpret_cast<TContext*>(data);
        if (window != c->self && IsWindowVisible(window) && IsWindowEnabled(window)) {
          EnableWindow(window, FALSE);
          c->list->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&context));
}

void TCustomForm::EnableOtherWindows() {
  std::vector<HWND> list;
  list.swap(disabled_windows_);
  for (HWND window : list)
    if (IsWindow(window)) EnableWindow(window, TRUE);
}

TModalResult TCustomForm::ShowModal() {
  if (GetVisible() || !GetEnabled() || form_state_.Contains(fsModal))
    throw EInvalidOperation("Cannot make a visible window modal");
  if (HWND capture = GetCapture()) SendMessageA(capture, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  if (Application) Application->CancelHint();
  HWND previous = GetActiveWindow();
  form_state_.Include(fsModal);
  modal_result_ = mrNone;
  TCloseAction action = caHide;
  auto finish = [&] {
    EnableOtherWindows();
    form_state_.Exclude(fsModal);
    if (GetVisible()) SetVisible(false);
    if (previous && IsWindow(previous) && IsWindowVisible(previous)) SetActiveWindow(previous);
  };
  try {
    HandleNeeded();
    DisableOtherWindows();
    Show();
    for (;;) {
      if (Application) {
        Application->HandleMessage();
        if (Application->GetTerminated()) modal_result_ = mrCancel;
      } else {
        MSG msg;
        if (GetMessageA(&msg, nullptr, 0, 0) <= 0) {
          PostQuitMessage(static_cast<int>(msg.wParam));
          modal_result_ = mrCancel;
        } else {
          TranslateMessage(&msg);
          DispatchMessageA(&msg);
        }
      }
      if (modal_result_ == mrNone) continue;
      if (Application && Application->GetTerminated()) break;
      // A result ends the loop unless OnCloseQuery or OnClose keep the form open.
      action = caHide;
      if (!CloseQuery()) {
        modal_result_ = mrNone;
        continue;
      }
      DoClose(action);
      if (action == caNone) {
        modal_result_ = mrNone;
        continue;
      }
      break;
    }
  } catch (...) {
    finish();
    throw;
  }
  TModalResult result = modal_result_;
  finish();
  if (action == caFree) Release();
  return result;
}

// ---- Activation and focus -------------------------------------------------------------------

void TCustomForm::WMActivate(TMessage& message) {
  // No default handling: it would put the focus on the form itself.
  bool active = LOWORD(message.WParam) != WA_INACTIVE;
  active_ = active;
  if (active) {
    if (Screen) Screen->active_form_ = this;
    form_state_.Include(fsActivated);
    if (!active_control_ || !active_control_->CanFocus())
      active_control_ = FindNextControl(nullptr, true, true, false);
    if (!HIWORD(message.WParam)) SetWindowFocus();
    Perform(CM_ACTIVATE);
  } else {
    Perform(CM_DEACTIVATE);
  }
}

void TCustomForm::CMActivate(TMessage& message) {
  (void)message;
  Activate();
}

void TCustomForm::CMDeactivate(TMessage& message) {
  (void)message;
  Deactivate();
}

void TCustomForm::Activate() { OnActivate(this); }
void TCustomForm::Deactivate() { OnDeactivate(this); }

void TCustomForm::SetWindowFocus() {
  if (!handle_) return;
  HWND target = active_control_ && active_control_->CanFocus() ? active_control_->GetHandle() : handle_;
  if (GetFocus() != target) ::SetFocus(target);
}

void TCustomForm::SetActiveControl(TWinControl* control) {
  if (control == active_control_) return;
  bool loading = GetComponentState().Contains(csLoading);
  if (control && (control == this || GetParentForm(control) != this || (!loading && !control->CanFocus())))
    throw EInvalidOperation("Cannot focus a disabled or invisible window");
  active_control_ = control;
  if (!loading && active_) SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* control) {
  SetActiveControl(control);
  if (!handle_ || !IsWindowVisible(handle_)) return;
  if (active_)
    SetWindowFocus();
  else
    SetActiveWindow(handle_);
}

void TCustomForm::SetFocusedControl(TWinControl* control) {
  if (GetComponentState().Contains(csDestroying)) return;
  if (Screen) {
    Screen->active_control_ = control;
    Screen->active_form_ = this;
  }
  if (control != this) active_control_ = control;
  if (control == focused_control_) return;
  TWinControl* old = focused_control_;
  focused_control_ = control;
  // Leave the old control and its containers up to the one that holds both.
  TWinControl* common = nullptr;
  for (TWinControl* c = old; c && !common; c = c->GetParent())
    if (c->ContainsControl(control)) common = c;
  for (TWinControl* c = old; c && c != common && c != this; c = c->GetParent()) {
    c->Perform(CM_EXIT);
    if (focused_control_ != control) return;  // a handler moved the focus on
  }
  std::vector<TWinControl*> entered;
  for (TWinControl* c = control; c && c != common && c != this; c = c->GetParent()) entered.push_back(c);
  for (auto it = entered.rbegin(); it != entered.rend(); ++it) {
    (*it)->Perform(CM_ENTER);
    if (focused_control_ != control) return;
  }
  Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(control));
}

void TCustomForm::DefocusControl(TWinControl* control, bool removing) {
  if (removing && control->ContainsControl(focused_control_)) focused_control_ = control->GetParent();
  if (Screen && control->ContainsControl(Screen->active_control_)) Screen->active_control_ = nullptr;
  if (control->ContainsControl(active_control_)) {
    active_control_ = nullptr;
    // The focus goes to the form rather than to a window that is going away.
    if (active_ && !GetComponentState().Contains(csDestroying)) SetWindowFocus();
  }
}

// ---- Keys ---------------------------------------------------------------------------------------

bool TCustomForm::IsShortCut(TMessage& message) {
  bool handled = false;
  OnShortCut(message, handled);
  if (handled) return true;
  if (menu_ && menu_->IsShortCut(message)) return true;
  return focused_control_ && IsPopupMenuShortCut(focused_control_, message);
}

// ---- Menu -----------------------------------------------------------------------------------------

void TCustomForm::SetMenu(TMainMenu* menu) {
  if (menu == menu_) return;
  if (menu_ && handle_) menu_->SetWindowHandle(nullptr);
  menu_ = menu;
  if (menu) menu->FreeNotification(this);
  if (menu && handle_ && HasMenuBar()) menu->SetWindowHandle(handle_);
  if (active_) MergeIntoFrame(true);
}

// An MDI child has no menu bar of its own: its menu shows in the main form's while it is active.
bool TCustomForm::HasMenuBar() const { return menu_ && form_style_ != fsMDIChild; }

void TCustomForm::MergeIntoFrame(bool merge) {
  TCustomForm* frame = Application ? Application->main_form_ : nullptr;
  if (form_style_ != fsMDIChild || !frame || frame == this || !frame->menu_) return;
  if (merge)
    frame->menu_->Merge(menu_);
  else
    frame->menu_->Unmerge(menu_);
}

void TCustomForm::DestroyWnd() {
  // The system would destroy a menu still attached to the window; the menu is ours.
  if (menu_) menu_->SetWindowHandle(nullptr);
  HWND child = form_style_ == fsMDIChild ? handle_ : nullptr;
  HWND frame = child && ::GetParent(child) ? ::GetParent(::GetParent(child)) : nullptr;
  MergeIntoFrame(false);
  TWinControl::DestroyWnd();
  client_handle_ = nullptr;
  // The frame learns once the child is gone (a maximized child takes its menu additions along).
  if (frame && IsWindow(frame))
    SendMessageA(frame, MDIChildChangedMessage(), 0, reinterpret_cast<LPARAM>(child));
}

// ---- MDI --------------------------------------------------------------------------------------

UINT MDIChildChangedMessage() {
  static const UINT message = RegisterWindowMessageA("DravolinMDIChildChanged");
  return message;
}

void TCustomForm::SetFormStyle(TFormStyle style) {
  if (style == form_style_) return;
  form_style_ = style;
  if (handle_) RecreateWnd();
}

void TCustomForm::DefaultHandler(TMessage& message) {
  if (handle_ && form_style_ == fsMDIForm)
    message.Result = DefFrameProcA(handle_, client_handle_, message.Msg, message.WParam, message.LParam);
  else if (handle_ && form_style_ == fsMDIChild)
    message.Result = DefMDIChildProcA(handle_, message.Msg, message.WParam, message.LParam);
  else
    TWinControl::DefaultHandler(message);
}

TCustomForm* TCustomForm::GetActiveMDIChild() const {
  if (!client_handle_) return nullptr;
  auto active = reinterpret_cast<HWND>(SendMessageA(client_handle_, WM_MDIGETACTIVE, 0, 0));
  return DynamicCast<TCustomForm>(FindControl(active));
}

int TCustomForm::GetMDIChildCount() const {
  int count = 0;
  while (GetMDIChild(count)) ++count;
  return count;
}

TCustomForm* TCustomForm::GetMDIChild(int index) const {
  if (!client_handle_) return nullptr;
  for (HWND w = GetWindow(client_handle_, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    auto* form = DynamicCast<TCustomForm>(FindControl(w));
    if (form && form->form_style_ == fsMDIChild && index-- == 0) return form;
  }
  return nullptr;
}

// The client fills what the aligned controls leave of the form's client area.
void TCustomForm::PlaceMDIClient() {
  if (!client_handle_) return;
  RECT r;
  ::GetClientRect(handle_, &r);
  for (int i = 0; i < GetControlCount(); ++i) {
    TControl* c = GetControl(i);
    if (!c->GetVisible()) continue;
    switch (c->GetAlign()) {
      case alTop: r.top += c->GetHeight(); break;
      case alBottom: r.bottom -= c->GetHeight(); break;
      case alLeft: r.left += c->GetWidth(); break;
      case alRight: r.right -= c->GetWidth(); break;
      default: break;
    }
  }
  MoveWindow(client_handle_, r.left, r.top, std::max<int>(r.right - r.left, 0),
             std::max<int>(r.bottom - r.top, 0), TRUE);
}

void TCustomForm::NotifyMDIFrame() {
  if (form_style_ != fsMDIChild || !handle_) return;
  HWND client = ::GetParent(handle_);
  HWND frame = client ? ::GetParent(client) : nullptr;
  if (frame) SendMessageA(frame, MDIChildChangedMessage(), 0, reinterpret_cast<LPARAM>(handle_));
}

void TCustomForm::WMMDIActivate(TMessage& message) {
  TK_INHERITED(message);
  if (form_style_ != fsMDIChild) return;
  // The child being activated takes the focus bookkeeping of a form of its own.
  active_ = reinterpret_cast<HWND>(message.LParam) == handle_;
  MergeIntoFrame(active_);
  NotifyMDIFrame();
}

void TCustomForm::WMWindowPosChanged(TMessage& message) {
  TK_INHERITED(message);
  NotifyMDIFrame();
}

void TCustomForm::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  // The menu takes itself off the window when it is freed.
  if (operation == opRemove && component == menu_) menu_ = nullptr;
}

void TCustomForm::WMMenuMessage(TMessage& message) {
  if (!DispatchMenuMessage(menu_, message)) TK_INHERITED(message);
}

void TCustomForm::WMSysCommand(TMessage& message) {
  // F10 or a lone Alt (the keyboard menu without a character) would select the system menu's
  // icon of a form without a menu bar, and that menu mode swallows every key until Escape.
  // Alt+Space still opens the system menu.
  bool keyboard_menu = (message.WParam & 0xFFF0) == SC_KEYMENU && message.LParam == 0;
  if (keyboard_menu && !::GetMenu(handle_)) return;
  TK_INHERITED(message);
}

void TCustomForm::CMDialogKey(TMessage& message) {
  if (GetKeyState(VK_MENU) >= 0) {
    auto key = static_cast<WORD>(message.WParam);
    if (key == VK_TAB && GetKeyState(VK_CONTROL) >= 0) {
      SelectNext(active_control_, GetKeyState(VK_SHIFT) >= 0, true);
      message.Result = 1;
      return;
    }
    if (key == VK_LEFT || key == VK_RIGHT || key == VK_UP || key == VK_DOWN) {
      if (active_control_ && active_control_->GetParent()) {
        active_control_->GetParent()->SelectNext(active_control_, key == VK_RIGHT || key == VK_DOWN, false);
        message.Result = 1;
      }
      return;
    }
  }
  // Enter and Escape go to the controls: the default and the cancel button take them.
  TK_INHERITED(message);
}
