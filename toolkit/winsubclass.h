// Subclassing of windows that are not toolkit controls (a list view's header, a combo box's
// edit): our procedure goes in front of the window's own with SetWindowLongPtr(GWLP_WNDPROC),
// and its messages reach a handler as TMessage records. The object is found in a table of the
// subclassed windows, so no code is generated at run time. A window may carry up to four of
// ours at once (two skin providers on one form): each sits at its own level of the window's
// chain, with a procedure of its own, and passes messages on to the one installed before it.
//
// A procedure takes messages in one form, ANSI or Unicode; a message sent in the other form
// is converted on the way, and the system converts item texts (LB_GETTEXT, CB_GETLBTEXT)
// through a buffer of 512 characters. A window that the system's own controls send such
// messages to (a combo box's list) is subclassed in Unicode, so they pass unconverted.
#pragma once

#include <windows.h>

#include "toolkit/messages.h"
#include "toolkit/sysutils.h"

class TWindowSubclass {
 public:
  // The handler answers a message alone (setting Result) or passes it on with CallPrevious.
  explicit TWindowSubclass(TWndMethod handler) : handler_(handler) {}
  ~TWindowSubclass() { Uninstall(); }
  TWindowSubclass(const TWindowSubclass&) = delete;
  TWindowSubclass& operator=(const TWindowSubclass&) = delete;

  // Goes on top of the window's chain. Raises EOSError when the window does not exist,
  // belongs to another process or carries four of ours already, or when this object is
  // installed.
  // unicode: the handler gets the messages in their Unicode form (texts in UTF-16).
  void Install(HWND window, bool unicode = false);
  // Takes our procedure out, but only while it is still the window's procedure: a
  // procedure installed after ours stays, and ours then passes every message straight on.
  void Uninstall();
  bool Installed() const { return window_ != nullptr; }
  HWND GetWindow() const { return window_; }
  // The procedure that was installed before ours.
  WNDPROC GetPreviousProc() const { return previous_; }

  // Calls the previous procedure with the record's (possibly changed) parameters and
  // stores its result.
  void CallPrevious(TMessage& message);

 private:
  friend class TWindowSubclassProcs;
  template <int Level, bool Unicode>
  static LRESULT CALLBACK SubclassProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  static LRESULT Handle(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, int level, bool unicode);

  TWndMethod handler_;
  HWND window_ = nullptr;
  WNDPROC previous_ = nullptr;
  bool unicode_ = false;
  int level_ = 0;
};
