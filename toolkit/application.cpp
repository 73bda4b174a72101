// TApplication (message loop, hidden application window, exceptions, hints), TScreen and the
// hint window.
#include <algorithm>
#include <exception>

#include "toolkit/dragdock.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "toolkit/starttrace.h"

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

namespace {

constexpr char kAppWindowClass[] = "TApplication";
constexpr UINT_PTR kHintTimerId = 0x4855;

// Reports the exception being handled as an Exception (other kinds are wrapped).
template <class F>
void WithCurrentException(F&& report) {
  try {
    throw;
  } catch (const Exception& e) {
    report(e);
  } catch (const std::exception& e) {
    report(Exception(e.what()));
  } catch (...) {
    report(Exception("Unknown exception"));
  }
}

}  // namespace

void HandleWindowException(TObject* sender) {
  if (Application) {
    Application->HandleException(sender);
    return;
  }
  WithCurrentException([](const Exception& e) {
    MessageBoxA(nullptr, e.Message().c_str(), "Error", MB_OK | MB_ICONSTOP | MB_TASKMODAL);
  });
}

// ---- TApplication -----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TApplication, TComponent)

TApplication::TApplication(TComponent* owner) : TComponent(owner) {
  title_ = ChangeFileExt(ExtractFileName(ExeFileName()), "");
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, kAppWindowClass, &wc)) {
    wc.lpfnWndProc = &AppWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    wc.lpszClassName = kAppWindowClass;
    if (!RegisterClassA(&wc)) RaiseLastOSError();
  }
  // Never shown: it only carries the title (and the minimised state of the application).
  handle_ = CreateWindowExA(WS_EX_TOOLWINDOW, kAppWindowClass, title_.c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0, nullptr, nullptr,
                            instance, nullptr);
  if (!handle_) RaiseLastOSError();
  SetWindowLongPtrA(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  icon_ = New<TIcon>();
  // The executable's own icon, by the name resource compilers give the program's icon.
  if (FindResourceA(instance, "MAINICON", RT_GROUP_ICON)) icon_->LoadFromResourceName(instance, "MAINICON");
}

TApplication::~TApplication() {
  StopHintTimer();
  hint_control_ = nullptr;
  main_form_ = nullptr;
  if (handle_) {
    SetWindowLongPtrA(handle_, GWLP_USERDATA, 0);
    DestroyWindow(handle_);
    handle_ = nullptr;
  }
  // The forms go while the application's own state still exists.
  DestroyComponents();
  hint_window_ = nullptr;
  Free(icon_);
}

void TApplication::SetIcon(TIcon* icon) { icon_->Assign(icon); }

void TApplication::FormCreated(TCustomForm* form) {
  if (!main_form_) {
    main_form_ = form;
    form->HandleNeeded();
  }
}

void TApplication::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextA(handle_, title.c_str());
}

void TApplication::Run() {
  if (!main_form_) return;
  if (show_main_form_) {
    if (main_form_->GetWindowState() == wsMinimized) minimized_ = true;
    main_form_->SetVisible(true);
    StartMark("main window shown");
  }
  while (!terminated_) {
    try {
      HandleMessage();
    } catch (...) {
      HandleException(this);
    }
  }
}

void TApplication::Terminate() { PostQuitMessage(0); }

bool TApplication::IsKeyMsg(MSG& msg) {
  if (msg.message < WM_KEYFIRST || msg.message > WM_KEYLAST) return false;
  if (tk_detail::DragKeyMessage(msg)) return true;  // Escape ends a drag
  // A window that is not ours (an edit inside a combo box) has its toolkit parent answer.
  TWinControl* control = nullptr;
  for (HWND window = msg.hwnd; window && !control; window = GetParent(window)) control = FindControl(window);
  if (!control) return false;
  return control->Perform(CN_BASE + msg.message, msg.wParam, msg.lParam) != 0;
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) {
    terminated_ = true;
    return true;
  }
  try {
    switch (msg.message) {
      case WM_KEYDOWN:
      case WM_SYSKEYDOWN:
      case WM_LBUTTONDOWN:
      case WM_RBUTTONDOWN:
      case WM_MBUTTONDOWN:
      case WM_NCLBUTTONDOWN: CancelHint(); break;
      default: break;
    }
    if (!IsKeyMsg(msg)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    }
  } catch (...) {
    HandleException(this);
  }
  return true;
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (ProcessMessage(msg)) {
  }
}

void TApplication::HandleMessage() {
  MSG msg;
  if (!ProcessMessage(msg)) {
    Idle();
    if (!terminated_) WaitMessage();
  }
}

void TApplication::Idle() {
  static bool first_idle = false;
  StartMarkOnce(first_idle, "first idle: queue empty, first paint done");
  FreeDeviceContexts();
  tk_detail::CheckMouseControl();
  try {
    OnIdle(this);
  } catch (...) {
    HandleException(this);
  }
}

void TApplication::HandleException(TObject* sender) {
  WithCurrentException([&](const Exception& e) {
    if (OnException) {
      try {
        OnException(sender, e);
        return;
      } catch (...) {
        // A failing handler leaves the report to the default.
      }
    }
    ShowException(e);
  });
}

void TApplication::ShowException(const Exception& e) { MessageBox(e.Message(), title_, MB_OK | MB_ICONSTOP); }

int TApplication::MessageBox(const std::string& text, const std::string& caption, UINT flags) {
  HWND owner = GetActiveWindow();
  if (!FindControl(owner))
    owner = main_form_ && main_form_->HandleAllocated() ? main_form_->GetHandle() : nullptr;
  if (owner && !IsWindowVisible(owner)) owner = nullptr;
  CancelHint();
  return ::MessageBoxA(owner, text.c_str(), caption.c_str(), flags);
}

// ---- Minimising and restoring -------------------------------------------------------------

void TApplication::Minimize() {
  if (main_form_ && main_form_->HandleAllocated() && main_form_->GetVisible())
    ShowWindow(main_form_->GetHandle(), SW_MINIMIZE);
  MainFormSized(true);
}

void TApplication::MainFormSized(bool minimized) {
  if (minimized == minimized_) return;
  minimized_ = minimized;
  // The hidden window mirrors the state, so a second instance sees an iconic application.
  if (handle_) {
    LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
    SetWindowLongPtrA(handle_, GWL_STYLE,
                      minimized ? (style | WS_MINIMIZE) : (style & ~static_cast<LONG_PTR>(WS_MINIMIZE)));
  }
  if (minimized)
    OnMinimize(this);
  else
    OnRestore(this);
}

void TApplication::Restore() {
  MainFormSized(false);
  if (!main_form_ || !main_form_->HandleAllocated()) return;
  HWND main = main_form_->GetHandle();
  if (IsIconic(main)) ShowWindow(main, SW_RESTORE);
  BringToFront();
}

void TApplication::BringToFront() {
  if (!main_form_ || !main_form_->HandleAllocated() || !IsWindowVisible(main_form_->GetHandle())) return;
  // While a modal form runs (the main form is disabled) that form keeps the front.
  HWND target = main_form_->GetHandle();
  if (!IsWindowEnabled(target)) {
    HWND last = GetLastActivePopup(target);
    if (last && IsWindowVisible(last) && IsWindowEnabled(last)) target = last;
  }
  SetForegroundWindow(target);
  SetActiveWindow(target);
}

void TApplication::DeferredRestore() {
  if (handle_ && IsWindowVisible(handle_)) ShowWindow(handle_, SW_HIDE);
  Restore();
}

LRESULT CALLBACK TApplication::AppWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* app = reinterpret_cast<TApplication*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  if (!app) return DefWindowProcA(window, msg, wparam, lparam);
  try {
    switch (msg) {
      case WM_QUERYOPEN:
        // Restoring the application window (a second instance did): the main form instead.
        PostMessageA(window, CM_APPRESTORE, 0, 0);
        return TRUE;
      case WM_SHOWWINDOW:
        if (wparam) PostMessageA(window, CM_APPRESTORE, 0, 0);
        break;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE) PostMessageA(window, CM_APPRESTORE, 0, 0);
        return 0;
      case WM_SYSCOMMAND:
        switch (wparam & 0xFFF0) {
          case SC_RESTORE: app->Restore(); return 0;
          case SC_MINIMIZE: app->Minimize(); return 0;
          default: break;
        }
        break;
      case WM_CLOSE:
        if (app->main_form_) app->main_form_->Close();
        return 0;
      case CM_APPRESTORE: app->DeferredRestore(); return 0;
      default: break;
    }
  } catch (...) {
    app->HandleException(app);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

// ---- Hints ------------------------------------------------------------------------------------

void TApplication::SetShowHint(bool show_hint) {
  if (show_hint == show_hint_) return;
  show_hint_ = show_hint;
  if (!show_hint) CancelHint();
}

void TApplication::StartHintTimer(int delay) {
  StopHintTimer();
  hint_timer_ = SetTimer(nullptr, 0, static_cast<UINT>(std::max(delay, 1)), &HintTimerProc);
}

void TApplication::StopHintTimer() {
  if (hint_timer_) KillTimer(nullptr, hint_timer_);
  hint_timer_ = 0;
}

VOID CALLBACK TApplication::HintTimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (!Application) return;
  try {
    Application->HintTimerExpired();
  } catch (...) {
    Application->HandleException(Application);
  }
}

void TApplication::CancelHint() {
  StopHintTimer();
  if (hint_window_ && hint_window_->HandleAllocated()) ShowWindow(hint_window_->GetHandle(), SW_HIDE);
  hint_showing_ = false;
  hint_control_ = nullptr;
}

void TApplication::HintMouseMessage(TControl* control, const TMessage& message) {
  if (!show_hint_) return;
  POINT screen = control->ClientToScreen(PointFromLParam(message.LParam));
  if (control == hint_control_) {
    hint_mouse_ = screen;
    return;
  }
  bool was_showing = hint_showing_;
  CancelHint();
  hint_mouse_ = screen;
  if (!control->GetShowHint() || control->GetHint().empty()) return;
  hint_control_ = control;
  // From one hint to the next without the pause.
  StartHintTimer(was_showing ? 50 : hint_pause_);
}

void TApplication::HintTimerExpired() {
  StopHintTimer();
  if (hint_showing_) {
    CancelHint();
    return;
  }
  // Only while the mouse is still over the control (the mouse control is always alive).
  TControl* control = hint_control_;
  if (!control || control != GetMouseControl()) {
    hint_control_ = nullptr;
    return;
  }
  ShowHintFor(control);
}

void TApplication::ShowHintFor(TControl* control) {
  THintInfo info;
  info.HintControl = control;
  info.CursorPos = control->ScreenToClient(hint_mouse_);
  info.HintStr = control->GetHint();
  info.HintColor = hint_color_;
  info.HideTimeout = hint_hide_pause_;
  if (control->Perform(CM_HINTSHOW, 0, reinterpret_cast<LPARAM>(&info)) != 0 || info.HintStr.empty()) return;
  if (!hint_window_) hint_window_ = New<THintWindow>(this);
  hint_window_->ActivateHint({hint_mouse_.x, hint_mouse_.y + GetSystemMetrics(SM_CYCURSOR) / 2 + 4},
                             info.HintStr, info.HintColor);
  hint_showing_ = true;
  OnHint(this);
  if (info.HideTimeout > 0) StartHintTimer(info.HideTimeout);
}

// ---- THintWindow -----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(THintWindow, TCustomControl)

THintWindow::THintWindow(TComponent* owner) : TCustomControl(owner) {
  SetVisible(false);
  SetColor(clInfoBk);
  GetFont()->SetColor(clInfoText);
}

void THintWindow::CreateParams(TCreateParams& params) {
  TCustomControl::CreateParams(params);
  params.Style = WS_POPUP | WS_BORDER;
  params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  params.WndParent = nullptr;
  params.WindowClass.style |= CS_SAVEBITS;
}

void THintWindow::ActivateHint(POINT screen, const std::string& text, TColor color) {
  SetCaption(text);
  SetColor(color);
  TCanvas* canvas = GetCanvas();
  canvas->SetFont(GetFont());
  SIZE extent = canvas->TextExtent(text.empty() ? " " : text);
  int width = extent.cx + 8;
  int height = extent.cy + 4;
  RECT work = Screen ? Screen->GetWorkAreaRect()
                     : RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  int left = std::clamp<int>(screen.x, work.left, std::max<int>(work.left, work.right - width));
  int top = std::clamp<int>(screen.y, work.top, std::max<int>(work.top, work.bottom - height));
  SetBounds(left, top, width, height);
  SetWindowPos(GetHandle(), HWND_TOPMOST, left, top, width, height, SWP_SHOWWINDOW | SWP_NOACTIVATE);
  Invalidate();
}

void THintWindow::Paint() {
  TCanvas* canvas = GetCanvas();
  RECT r = GetClientRect();
  canvas->GetBrush()->SetColor(GetColor());
  canvas->FillRect(r);
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->TextOut(3, 1, GetCaption());
  canvas->GetBrush()->SetStyle(bsSolid);
}

// ---- TScreen ---------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TScreen, TComponent)

TScreen::TScreen(TComponent* owner) : TComponent(owner) {
  menu_font_ = New<TFont>();
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof(metrics);
  bool ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  if (!ok) {
    // Systems that do not know the last field.
    metrics.cbSize = sizeof(metrics) - sizeof(metrics.iPaddedBorderWidth);
    ok = SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, metrics.cbSize, &metrics, 0);
  }
  if (ok) {
    if (HFONT font = CreateFontIndirectA(&metrics.lfMenuFont)) {
      menu_font_->SetHandle(font);
      DeleteObject(font);
    }
  }
}

TScreen::~TScreen() { Free(menu_font_); }

RECT TScreen::GetWorkAreaRect() const {
  RECT r{0, 0, GetWidth(), GetHeight()};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
  return r;
}

TCustomForm* TScreen::GetForm(int index) const {
  if (index < 0 || index >= GetFormCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return forms_[static_cast<size_t>(index)];
}

void TScreen::AddForm(TCustomForm* form) { forms_.push_back(form); }

void TScreen::RemoveForm(TCustomForm* form) {
  std::erase(forms_, form);
  if (active_form_ == form) active_form_ = nullptr;
  if (active_control_ && GetParentForm(active_control_) == form) active_control_ = nullptr;
}

void TScreen::SetCursor(TCursor cursor) {
  if (cursor == cursor_) return;
  cursor_ = cursor;
  POINT point;
  GetCursorPos(&point);
  HWND window = WindowFromPoint(point);
  if (cursor != crDefault)
    ::SetCursor(CursorHandle(cursor));
  else if (window && FindControl(window))
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
}

// ---- The unit ---------------------------------------------------------------------------------

void RegisterFormsUnit() {
  RegisterUnit(
      usToolkit, "Forms",
      [] {
        Screen = New<TScreen>(nullptr);
        try {
          Application = New<TApplication>(nullptr);
        } catch (...) {
          FreeAndNil(Screen);
          throw;
        }
      },
      [] {
        FreeAndNil(Application);
        FreeAndNil(Screen);
      });
}
