// Forms (top-level windows made from form definitions), the application object that runs
// the message loop and owns the forms, and the screen.
//
// A form class TMain is created with Application->CreateForm(Main) or New<TMain>(owner): its
// form definition (the RCDATA resource named after the class, "TMAIN") is read, then OnCreate
// runs with every component in place. Show makes it visible (Visible is true before the window
// is shown); ShowModal runs a loop with the other forms disabled until ModalResult is set.
// Closing the main form ends Application->Run.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/picture.h"

class TApplication;
class TScreen;
class THintWindow;
class TMainMenu;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TBorderIcon { biSystemMenu, biMinimize, biMaximize, biHelp };
using TBorderIcons = TSet<TBorderIcon>;
enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter,
};
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
// An MDI main form holds an MDICLIENT window; MDI children are windows inside the main
// form's client (the application's main form must be the MDI form).
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
enum TFormStateFlag { fsCreating, fsVisible, fsShowing, fsModal, fsActivated };
using TFormState = TSet<TFormStateFlag>;

// The result of a modal form: the button identifiers of message boxes.
using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

using TCloseEvent = TEvent<TObject* /*sender*/, TCloseAction& /*action*/>;
using TCloseQueryEvent = TEvent<TObject* /*sender*/, bool& /*can_close*/>;
// The key message (CN_KEYDOWN / CN_SYSKEYDOWN: WParam key, LParam key data); Handled = true
// consumes the key.
using TShortCutEvent = TEvent<TMessage& /*message*/, bool& /*handled*/>;

// Passed to the form constructor for a form without a definition.
struct TCreateNew {};
inline constexpr TCreateNew kCreateNew{};

// What a form says about scrolling its client area in one direction. The toolkit's forms do not
// scroll themselves; a form skin provider scrolls a form whose AutoScroll is set (see
// TCustomForm::GetAutoScroll).
class TControlScrollBar : public TPersistent {
  TK_CLASS(TControlScrollBar, TPersistent)

 public:
  void Assign(TPersistent* source) override;
  // The extent to scroll over; 0 leaves it to the controls' extent.
  int GetRange() const { return range_; }
  void SetRange(int range) { range_ = range < 0 ? 0 : range; }
  // Pixels per arrow click.
  int GetIncrement() const { return increment_; }
  void SetIncrement(int increment) { increment_ = increment < 1 ? 1 : increment; }

 private:
  static void Publish(TPublisher<TControlScrollBar>& p);
  int range_ = 0;
  int increment_ = 8;
};

class TCustomForm : public TWinControl {
  TK_CLASS(TCustomForm, TWinControl)
  TK_MESSAGE_MAP

 public:
  // Reads the form definitions of the class and its ancestors below TForm (resources named
  // after each class); raises EResNotFound when there is none.
  explicit TCustomForm(TComponent* owner);
  // A form without a definition.
  TCustomForm(TComponent* owner, TCreateNew);
  ~TCustomForm() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  void SetVisible(bool visible) override;
  void Show();
  // Shows the form modally: the application's other windows are disabled until ModalResult
  // is set (or Close is called, giving mrCancel). Raises EInvalidOperation for a visible or
  // disabled form and for one that is modal already.
  TModalResult ShowModal();
  // OnCloseQuery, then OnClose with the action (caHide by default); the main form's close
  // ends the application.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages now waiting have been handled.
  void Release();

  TModalResult GetModalResult() const { return modal_result_; }
  // Ends ShowModal when not mrNone; on a form that is not modal it does nothing.
  void SetModalResult(TModalResult result);

  TFormBorderStyle GetBorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons GetBorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition GetPosition() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }
  TWindowState GetWindowState() const { return window_state_; }
  void SetWindowState(TWindowState state);
  bool GetKeyPreview() const { return key_preview_; }
  void SetKeyPreview(bool key_preview) { key_preview_ = key_preview; }
  // Whether the client area scrolls when the controls do not fit (done by a skin provider).
  bool GetAutoScroll() const { return auto_scroll_; }
  void SetAutoScroll(bool auto_scroll) { auto_scroll_ = auto_scroll; }
  TControlScrollBar* GetHorzScrollBar() const { return horz_scroll_bar_; }
  void SetHorzScrollBar(TControlScrollBar* bar) { horz_scroll_bar_->Assign(bar); }
  TControlScrollBar* GetVertScrollBar() const { return vert_scroll_bar_; }
  void SetVertScrollBar(TControlScrollBar* bar) { vert_scroll_bar_->Assign(bar); }
  TFormState GetFormState() const { return form_state_; }
  TFormStyle GetFormStyle() const { return form_style_; }
  // Takes effect when the window is made (a made window is made again).
  void SetFormStyle(TFormStyle style);
  // MDI main form: the MDICLIENT window (null before the window is made), the active child
  // and the children in the client's order.
  HWND GetClientHandle() const { return client_handle_; }
  TCustomForm* GetActiveMDIChild() const;
  int GetMDIChildCount() const;
  TCustomForm* GetMDIChild(int index) const;
  // MDI windows pass what they do not handle to DefFrameProc / DefMDIChildProc.
  void DefaultHandler(TMessage& message) override;
  // The client size is applied after a form definition's frame properties.
  void SetClientWidth(int width) override;
  void SetClientHeight(int height) override;
  RECT GetClientRect() override;
  POINT GetClientOrigin() override;

  // The control that has (or gets when the form is activated) the focus.
  TWinControl* GetActiveControl() const { return active_control_; }
  // Raises EInvalidOperation for a control of another form or one that cannot take the focus.
  void SetActiveControl(TWinControl* control);
  // Makes control the active one and focuses it (activating the form).
  void FocusControl(TWinControl* control);
  // Whether the form is the active window.
  bool GetActive() const { return active_; }
  // Focus bookkeeping, told by the controls (CM_ENTER/CM_EXIT and CM_FOCUSCHANGED are sent).
  void SetFocusedControl(TWinControl* control);
  // A control that goes away or can no longer take the focus gives it up.
  void DefocusControl(TWinControl* control, bool removing);
  TWinControl* GetFocusedControl() const { return focused_control_; }

  // OnShortCut, then the items of the form's menu, then the pop-up menus of the focused
  // control and its parents; true when the key was used.
  virtual bool IsShortCut(TMessage& message);

  // The menu bar; its commands and owner-drawn items are served through the form's window.
  TMainMenu* GetMenu() const { return menu_; }
  void SetMenu(TMainMenu* menu);

  // Drawing on the form's client area (creates the window when needed).
  TCanvas* GetCanvas() const { return canvas_; }
  TIcon* GetIcon() const { return icon_; }
  void SetIcon(TIcon* icon) { icon_->Assign(icon); }

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;
  TShortCutEvent OnShortCut;
  TNotifyEvent OnPaint;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void PaintWindow(HDC dc) override;
  virtual void Paint();
  virtual void DoCreate();
  virtual void DoDestroy();
  virtual void DoShow();
  virtual void DoHide();
  virtual void DoClose(TCloseAction& action);
  virtual void Activate();
  virtual void Deactivate();

 private:
  friend class TApplication;
  static void Publish(TPublisher<TCustomForm>& p);
  void Init();
  void ReadDefinitions();
  void ApplyFrameStyles();
  void PlaceOnShow();
  void IconChanged(TObject* sender);
  RECT FrameMargins();
  void SetWindowFocus();
  void DisableOtherWindows();
  void EnableOtherWindows();

  void WMActivate(TMessage& message);
  void WMClose(TMessage& message);
  void WMSize(TMessage& message);
  void WMGetMinMaxInfo(TMessage& message);
  void WMPaint(TMessage& message);
  void WMSysCommand(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMRelease(TMessage& message);
  void CMActivate(TMessage& message);
  void CMDeactivate(TMessage& message);
  void WMMenuMessage(TMessage& message);
  void WMMDIActivate(TMessage& message);
  void WMWindowPosChanged(TMessage& message);
  void NotifyMDIFrame();
  void PlaceMDIClient();
  bool HasMenuBar() const;
  // The active MDI child's menu is merged into the main form's (false takes it out again).
  void MergeIntoFrame(bool merge);

  bool create_new_ = false;
  TFormStyle form_style_ = fsNormal;
  HWND client_handle_ = nullptr;
  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TPosition position_ = poDesigned;
  TWindowState window_state_ = wsNormal;
  bool key_preview_ = false;
  bool auto_scroll_ = false;
  TControlScrollBar* horz_scroll_bar_;
  TControlScrollBar* vert_scroll_bar_;
  TFormState form_state_;
  TModalResult modal_result_ = mrNone;
  TWinControl* active_control_ = nullptr;
  TWinControl* focused_control_ = nullptr;
  bool active_ = false;
  bool placed_ = false;
  int pending_client_width_ = -1;
  int pending_client_height_ = -1;
  TControlCanvas* canvas_;
  TIcon* icon_;
  TMainMenu* menu_ = nullptr;
  std::vector<HWND> disabled_windows_;
};

// The class form definitions of the program's forms derive from.
class TForm : public TCustomForm {
  TK_CLASS(TForm, TCustomForm)

 public:
  explicit TForm(TComponent* owner) : TCustomForm(owner) {}
  TForm(TComponent* owner, TCreateNew) : TCustomForm(owner, kCreateNew) {}
};

// ---- Hints -----------------------------------------------------------------------------------

// What a control may change before its hint is shown (CM_HINTSHOW's LParam).
struct THintInfo {
  TControl* HintControl = nullptr;
  POINT CursorPos{};  // in the control's client coordinates
  std::string HintStr;
  TColor HintColor = clInfoBk;
  int HideTimeout = 0;
};

// ---- Application -----------------------------------------------------------------------------

using TExceptionEvent = TEvent<TObject* /*sender*/, const Exception& /*e*/>;

class TApplication : public TComponent {
  TK_CLASS(TApplication, TComponent)

 public:
  explicit TApplication(TComponent* owner);
  ~TApplication() override;

  // Creates a form owned by the application; the first form created is the main form.
  // reference is set before the form's definition is read, so handlers can use it.
  template <class T>
  T* CreateForm(T*& reference) {
    T* form = new T(this);
    reference = form;
    try {
      form->AfterConstruction();
    } catch (...) {
      reference = nullptr;
      Free(form);
      throw;
    }
    FormCreated(form);
    return form;
  }
  template <class T>
  T* CreateForm() {
    T* form = nullptr;
    return CreateForm(form);
  }

  // Shows the main form (unless ShowMainForm is false) and handles messages until the
  // application is terminated.
  void Run();
  // Handles the messages that are waiting (may be called from within a handler).
  void ProcessMessages();
  // Handles one message, or waits for one when none is waiting.
  void HandleMessage();
  // Ends Run (and any modal loop) once the current message is handled.
  void Terminate();
  bool GetTerminated() const { return terminated_; }

  TCustomForm* GetMainForm() const { return main_form_; }
  bool GetShowMainForm() const { return show_main_form_; }
  void SetShowMainForm(bool show) { show_main_form_ = show; }
  // The hidden application window: carries the title, so another instance can find this one.
  HWND GetHandle() const { return handle_; }
  // The executable's name without extension unless set.
  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& title);
  // The icon of the application: the executable's "MAINICON" unless set; empty without one.
  TIcon* GetIcon() const { return icon_; }
  void SetIcon(TIcon* icon);

  // Minimises the main form; restoring activates it again.
  void Minimize();
  void Restore();
  void BringToFront();
  bool GetMinimized() const { return minimized_; }
  // The reading order the application's own dialogs take.
  TBiDiMode GetBiDiMode() const { return bidi_mode_; }
  void SetBiDiMode(TBiDiMode mode) { bidi_mode_ = mode; }

  bool GetShowHint() const { return show_hint_; }
  void SetShowHint(bool show_hint);
  TColor GetHintColor() const { return hint_color_; }
  void SetHintColor(TColor color) { hint_color_ = color; }
  int GetHintPause() const { return hint_pause_; }
  void SetHintPause(int milliseconds) { hint_pause_ = milliseconds; }
  int GetHintHidePause() const { return hint_hide_pause_; }
  void SetHintHidePause(int milliseconds) { hint_hide_pause_ = milliseconds; }
  // Hides the hint now.
  void CancelHint();
  // The hint window while a hint is shown; null otherwise.
  THintWindow* GetHintWindow() const { return hint_window_; }
  // Called by controls for mouse movement (hint timing).
  void HintMouseMessage(TControl* control, const TMessage& message);

  // Reports the exception being handled (call inside a catch block): OnException when
  // assigned, else ShowException.
  void HandleException(TObject* sender);
  // A message box with the exception's message and the title as caption.
  void ShowException(const Exception& e);
  // A message box owned by the active form (or the main form). (windows.h makes the name
  // MessageBoxA; callers' MessageBox becomes the same.)
  int MessageBox(const std::string& text, const std::string& caption, UINT flags);

  TExceptionEvent OnException;
  TNotifyEvent OnIdle;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;
  TNotifyEvent OnHint;

 private:
  friend class TCustomForm;
  static LRESULT CALLBACK AppWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  static VOID CALLBACK HintTimerProc(HWND window, UINT msg, UINT_PTR id, DWORD time);
  void FormCreated(TCustomForm* form);
  bool ProcessMessage(MSG& msg);
  bool IsKeyMsg(MSG& msg);
  void Idle();
  void MainFormSized(bool minimized);
  void DeferredRestore();
  void StartHintTimer(int delay);
  void StopHintTimer();
  void HintTimerExpired();
  void ShowHintFor(TControl* control);

  HWND handle_ = nullptr;
  std::string title_;
  TIcon* icon_ = nullptr;
  TCustomForm* main_form_ = nullptr;
  bool terminated_ = false;
  bool show_main_form_ = true;
  bool minimized_ = false;
  TBiDiMode bidi_mode_ = bdLeftToRight;
  bool show_hint_ = true;
  TColor hint_color_ = clInfoBk;
  int hint_pause_ = 500;
  int hint_hide_pause_ = 2500;
  THintWindow* hint_window_ = nullptr;
  TControl* hint_control_ = nullptr;
  UINT_PTR hint_timer_ = 0;
  bool hint_showing_ = false;
  POINT hint_mouse_{};
};

// ---- Screen ----------------------------------------------------------------------------------

class TScreen : public TComponent {
  TK_CLASS(TScreen, TComponent)

 public:
  explicit TScreen(TComponent* owner);
  ~TScreen() override;

  int GetWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
  int GetHeight() const { return GetSystemMetrics(SM_CYSCREEN); }
  int GetPixelsPerInch() const { return ScreenPixelsPerInch(); }
  RECT GetWorkAreaRect() const;
  // The forms in creation order.
  int GetFormCount() const { return static_cast<int>(forms_.size()); }
  TCustomForm* GetForm(int index) const;
  TCustomForm* GetActiveForm() const { return active_form_; }
  TWinControl* GetActiveControl() const { return active_control_; }
  // The font of menus (the system's).
  TFont* GetMenuFont() const { return menu_font_; }
  // A cursor for every window while not crDefault.
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor cursor);

 private:
  friend class TCustomForm;
  void AddForm(TCustomForm* form);
  void RemoveForm(TCustomForm* form);

  std::vector<TCustomForm*> forms_;
  TCustomForm* active_form_ = nullptr;
  TWinControl* active_control_ = nullptr;
  TFont* menu_font_;
  TCursor cursor_ = crDefault;
};

// A top-level popup that shows a hint text in the application's hint colour.
class THintWindow : public TCustomControl {
  TK_CLASS(THintWindow, TCustomControl)

 public:
  explicit THintWindow(TComponent* owner);
  // Shows the text with its top-left corner at a screen point.
  void ActivateHint(POINT screen, const std::string& text, TColor color);
  void ReleaseHandle() { DestroyHandle(); }

 protected:
  void CreateParams(TCreateParams& params) override;
  void Paint() override;
};

// Sent (SendMessage) by an MDI child to its main form's window after it was sized, moved or
// activated, and after its window was destroyed: WParam 0, LParam the child's window (no
// longer a window in the last case). A registered message.
UINT MDIChildChangedMessage();

// Created by the "Forms" unit; null before start-up and after shut-down.
extern TApplication* Application;
extern TScreen* Screen;

// Registers the "Forms" unit (Screen and Application), after RegisterToolkitUnits.
void RegisterFormsUnit();
