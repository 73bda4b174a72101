// Shared by the standard-control tests: a form in a corner of the desktop, a recorder of the
// controls' events (into Trace()) and a spy that subclasses a window and counts its messages.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "toolkit/spin.h"
#include "toolkit/stdctrls.h"
#include "toolkit/updown.h"
#include "toolkit/winsubclass.h"
#include "visual_test_classes.h"

// Records events as "name:what" in Trace().
class TEventRecorder : public TObject {
 public:
  void Change(TObject* sender) { Add(sender, "change"); }
  void Click(TObject* sender) { Add(sender, "click"); }
  void DblClick(TObject* sender) { Add(sender, "dblclick"); }
  void KeyPress(TObject* sender, char& key) { Add(sender, std::string("key ") + key); }
  void UpDownClick(TObject* sender, TUDBtnType button) { Add(sender, button == btNext ? "next" : "prev"); }
  void Changing(TObject* sender, bool& allow) {
    Add(sender, "changing");
    allow = allow_change;
  }
  void Scroll(TObject* sender, TScrollCode code, int& position) {
    Add(sender, "scroll " + std::to_string(code) + " " + std::to_string(position));
    if (scroll_to >= 0) position = scroll_to;
  }

  bool allow_change = true;
  int scroll_to = -1;  // a position OnScroll imposes

 private:
  static void Add(TObject* sender, const std::string& what) {
    Trace().push_back(static_cast<TComponent*>(sender)->GetName() + ":" + what);
  }
};

// Sits in front of a window's procedure (as a skinned control's subclass would) and records
// the message numbers it sees.
class TMessageSpy : public TObject {
 public:
  explicit TMessageSpy(HWND window) : subclass_(TWndMethod(this, &TMessageSpy::Handle)) {
    subclass_.Install(window);
  }
  int Count(UINT msg) const { return static_cast<int>(std::count(seen.begin(), seen.end(), msg)); }
  std::vector<UINT> seen;

 private:
  void Handle(TMessage& message) {
    seen.push_back(message.Msg);
    subclass_.CallPrevious(message);
  }
  TWindowSubclass subclass_;
};

class StdCtrlsTest : public testing::Test {
 protected:
  void SetUp() override {
    Trace().clear();
    form = New<TTestForm>(nullptr, kCreateNew);
    form->SetName("Form");
    // A corner of the shared desktop that other tests' windows leave alone.
    form->SetBounds(860, 600, 400, 300);
    recorder = New<TEventRecorder>();
  }
  void TearDown() override {
    Free(form);
    Free(recorder);
    Pump();
  }
  template <class T>
  T* Add(const char* name, RECT bounds) {
    T* control = New<T>(form);
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetParent(form);
    return control;
  }
  void ShowActive() {
    form->Show();
    SetActiveWindow(form->GetHandle());
    PumpUntil([&] { return form->GetActive(); });
  }
  static void PostChars(HWND window, const std::string& text) {
    for (char c : text) PostMessageA(window, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
  }
  static void PostKey(HWND window, WORD key) {
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    Pump();
  }
  // A press and release of the left button at a client point of a window.
  static void PostClick(HWND window, POINT point, WPARAM keys = 0) {
    PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON | keys, PointToLParam(point));
    PostMessageA(window, WM_LBUTTONUP, keys, PointToLParam(point));
    Pump();
  }

  TDesktopLock lock_;
  TTestForm* form = nullptr;
  TEventRecorder* recorder = nullptr;
};
