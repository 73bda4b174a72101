// Small controls and a form for the control and form tests: every one records what happens to
// it in Trace(), in order, as "Name:what".
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

std::vector<std::string>& Trace();
// The trace entries that start with prefix.
std::vector<std::string> TraceOf(const std::string& prefix);

// Handles the messages waiting now (through the application's loop).
void Pump();
// Runs the application's loop (idle handling included) until done() holds or timeout_ms
// have passed; returns done().
template <class F>
bool PumpUntil(F done, DWORD timeout_ms = 5000) {
  DWORD start = GetTickCount();
  UINT_PTR timer = SetTimer(nullptr, 0, 10, nullptr);  // wakes the loop's wait
  while (!done() && GetTickCount() - start <= timeout_ms) Application->HandleMessage();
  KillTimer(nullptr, timer);
  return done();
}

// Puts the cursor at a screen point and returns once the system agrees: the motion events of
// this and every earlier move are handled, so none reaches a window after a message the test
// posts next. False when the position never settled.
bool PlaceCursor(POINT screen);
// Puts the cursor in the screen's far corner, off every test's windows.
void ParkCursor();
// Puts the cursor at a screen point, then posts a mouse message for that point to the window
// that has the mouse (the capture, else the one under the point) and handles it.
bool MouseMessageAt(UINT msg, POINT screen, WPARAM keys);
// A log of "Name:..." entries without the leave and enter again of the same control that a
// late move of the real pointer to where it was before brings (a "Name:... leave" entry right
// before a "Name:... enter" entry).
std::vector<std::string> WithoutBounces(const std::vector<std::string>& log);

// Held by every test that shows windows, moves the cursor or changes the active window, for
// the desktop the test runs on (each has its own under the suite, several may share one when
// run by hand). Parks the cursor: no test starts where another left it.
class TDesktopLock {
 public:
  TDesktopLock();
  ~TDesktopLock();
  TDesktopLock(const TDesktopLock&) = delete;
  TDesktopLock& operator=(const TDesktopLock&) = delete;

 private:
  HANDLE mutex_;
};

// While it lives, notes every menu loop (menu mode) that a window of this thread enters, and
// ends each one as soon as the loop handles its messages, so a test that causes one goes on.
class TMenuLoopWatch {
 public:
  TMenuLoopWatch();
  ~TMenuLoopWatch();
  TMenuLoopWatch(const TMenuLoopWatch&) = delete;
  TMenuLoopWatch& operator=(const TMenuLoopWatch&) = delete;
  int Entered() const { return entered_; }

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wparam, LPARAM lparam);
  static void CALLBACK TimerProc(HWND, UINT, UINT_PTR, DWORD);
  static inline TMenuLoopWatch* current_ = nullptr;
  HHOOK hook_ = nullptr;
  UINT_PTR timer_ = 0;
  int entered_ = 0;
  bool in_menu_ = false;
};

// Points the test program's own import of a function elsewhere (the libraries are linked into
// it, so their calls go through this table); returns the function it replaced, null when the
// program does not import it.
void* PatchImport(const char* dll, const char* function, void* replacement);

class TBitmap;
// A picture of a windowed control (PaintTo) with its frame; Pixel reads it at client
// coordinates of the control.
TBitmap* PictureOf(TWinControl* control);
TColor PixelAt(TBitmap* picture, TWinControl* control, int x, int y);

class TCustomListView;
// The rows of a list view as the screen shows them (read from its window, so what its real
// painting left there), each inside its grid lines.
class TScreenRows {
 public:
  explicit TScreenRows(TCustomListView* list);
  int Count(int row, COLORREF colour) const;
  // Each row's pixels that are not the background.
  std::vector<int> Ink(COLORREF background) const;
  // The colour most of a row's pixels have.
  COLORREF Fill(int row) const;

 private:
  std::vector<std::vector<COLORREF>> rows_;
};

// A windowless control filled with its Color.
class TTestShape : public TGraphicControl {
  TK_CLASS(TTestShape, TGraphicControl)
  TK_MESSAGE_MAP

 public:
  explicit TTestShape(TComponent* owner);
  void SetOpaque(bool opaque);
  int GetPaintCount() const { return paint_count_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Click() override;

 private:
  static void Publish(TPublisher<TTestShape>& p);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  int paint_count_ = 0;
};

// A windowed container filled with its Color.
class TTestPanel : public TCustomControl {
  TK_CLASS(TTestPanel, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TTestPanel(TComponent* owner);
  void DefaultHandler(TMessage& message) override;

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TTestPanel>& p);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void TestMessage(TMessage& message);
};

// A panel class below TTestPanel that handles the test message too.
class TTestSubPanel : public TTestPanel {
  TK_CLASS(TTestSubPanel, TTestPanel)
  TK_MESSAGE_MAP

 public:
  explicit TTestSubPanel(TComponent* owner) : TTestPanel(owner) {}

 private:
  void TestMessage(TMessage& message);
};

// The message the chain tests send.
constexpr UINT WM_TESTMESSAGE = WM_APP + 0x31;

// A focusable push button: Enter clicks the default button, Escape the cancel button, and a
// click sets the form's ModalResult.
class TTestButton : public TCustomControl {
  TK_CLASS(TTestButton, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TTestButton(TComponent* owner);
  bool GetDefault() const { return default_; }
  void SetDefault(bool value) { default_ = value; }
  bool GetCancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult GetModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  void Click() override;

 protected:
  void Paint() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;

 private:
  static void Publish(TPublisher<TTestButton>& p);
  void CMDialogKey(TMessage& message);
  void CNKeyDown(TMessage& message);
  void CMEnter(TMessage& message);
  void CMExit(TMessage& message);
  void CMFocusChanged(TMessage& message);

  bool default_ = false;
  bool cancel_ = false;
  TModalResult modal_result_ = mrNone;
};

// An EDIT control wrapped by superclassing; records the messages of its window's creation.
class TTestEdit : public TWinControl {
  TK_CLASS(TTestEdit, TWinControl)

 public:
  explicit TTestEdit(TComponent* owner);
  void WndProc(TMessage& message) override;
  // Message numbers seen while the window was being created.
  const std::vector<UINT>& GetCreationMessages() const { return creation_messages_; }

 protected:
  void CreateParams(TCreateParams& params) override;

 private:
  static void Publish(TPublisher<TTestEdit>& p);
  std::vector<UINT> creation_messages_;
};

// The form the definitions create; its handlers record what they see.
class TTestForm : public TForm {
  TK_CLASS(TTestForm, TForm)

 public:
  explicit TTestForm(TComponent* owner) : TForm(owner) {}
  TTestForm(TComponent* owner, TCreateNew) : TForm(owner, kCreateNew) {}

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormDestroy(TObject* sender);
  void ButtonClick(TObject* sender);
  void FailingClick(TObject* sender);
  void FormKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void FormKeyPress(TObject* sender, char& key);

  // Keys FormKeyDown swallows.
  std::vector<WORD> swallow;

 private:
  static void Publish(TPublisher<TTestForm>& p);
};

// A form class with its own stored definition (resource "TDEFINEDFORM").
class TDefinedForm : public TTestForm {
  TK_CLASS(TDefinedForm, TTestForm)

 public:
  explicit TDefinedForm(TComponent* owner) : TTestForm(owner) {}
};

// Registers the classes above for form definitions.
void RegisterTestControls();
