// Mouse input of controls: graphic children get their parent's mouse messages (the topmost
// enabled one under the point), capture follows a pressed control, and the mouse entering and
// leaving controls of both kinds is reported and passed up the parent chain.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "visual_test_classes.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;

namespace {

// What the controls recorded, without their painting.
std::vector<std::string> Input() {
  std::vector<std::string> input;
  for (const std::string& entry : Trace())
    if (entry.find(":paint") == std::string::npos) input.push_back(entry);
  return input;
}

// The presses alone (the real cursor may rest over a control and bring enter and leave).
std::vector<std::string> Presses() {
  std::vector<std::string> presses;
  for (const std::string& entry : Input())
    if (entry.find(":enter") == std::string::npos && entry.find(":leave") == std::string::npos)
      presses.push_back(entry);
  return presses;
}

class MouseTest : public testing::Test {
 protected:
  void SetUp() override {
    Trace().clear();
    form = New<TTestForm>(nullptr, kCreateNew);
    form->SetName("Form");
    // In a corner of the shared desktop where other tests' windows do not go.
    form->SetBounds(1030, 820, 240, 190);
    form->OnMouseDown = TMouseEvent(this_form(), &TTestFormMouse::Down);
    cursor_ = form->ClientToScreen({-30, 60});
    tk_detail::SetCursorSource(&TestCursor);
  }
  void TearDown() override {
    Free(form);
    tk_detail::SetCursorSource(nullptr);
    Free(recorder_);
    Pump();
  }
  // Records the form's own presses.
  class TTestFormMouse : public TObject {
   public:
    void Down(TObject*, TMouseButton, TShiftState, int x, int y) {
      Trace().push_back("Form:MouseDown " + std::to_string(x) + "," + std::to_string(y));
    }
  };
  TTestFormMouse* this_form() { return recorder_ = New<TTestFormMouse>(); }

  template <class T>
  T* Add(const char* name, TWinControl* parent, RECT bounds) {
    T* control = New<T>(form);
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetParent(parent);
    return control;
  }
  void Post(TWinControl* to, UINT msg, int x, int y, WPARAM keys = 0) {
    PostMessageA(to->GetHandle(), msg, keys, PointToLParam({x, y}));
    Pump();
  }
  // Moves the test's cursor to a point of a window and sends what the system would: a
  // leave notice to the window the cursor left and a move to the window under it.
  void MoveTo(TWinControl* window, int x, int y, bool notify_leave = true) {
    HWND before = WindowFromPoint(cursor_);
    cursor_ = window->ClientToScreen({x, y});
    HWND under = WindowFromPoint(cursor_);
    if (notify_leave && before != under && FindControl(before)) PostMessageA(before, WM_MOUSELEAVE, 0, 0);
    if (FindControl(under)) {
      POINT client = cursor_;
      ScreenToClient(under, &client);
      PostMessageA(under, WM_MOUSEMOVE, 0, PointToLParam(client));
    }
    Pump();
  }
  // Enter and leave follow this cursor only: the real pointer is shared with every other
  // program on the display and its moves reach a window late on a busy machine.
  static bool TestCursor(POINT* screen) {
    *screen = cursor_;
    return true;
  }
  inline static POINT cursor_{};

  TDesktopLock lock_;
  TTestForm* form = nullptr;
  TTestFormMouse* recorder_ = nullptr;
};

TEST_F(MouseTest, PressGoesToTheTopmostEnabledGraphicChildUnderThePoint) {
  auto* lower = Add<TTestShape>("lower", form, {10, 10, 60, 50});
  auto* upper = Add<TTestShape>("upper", form, {30, 30, 80, 70});
  form->Show();
  Pump();

  Post(form, WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
  Post(form, WM_LBUTTONUP, 40, 40);
  EXPECT_THAT(Presses(), ElementsAre("upper:MouseDown 10,10", "upper:Click", "upper:MouseUp 10,10"));

  // A disabled control gets nothing: the one below it does.
  Trace().clear();
  upper->SetEnabled(false);
  Post(form, WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
  Post(form, WM_LBUTTONUP, 40, 40);
  EXPECT_THAT(Presses(), ElementsAre("lower:MouseDown 30,30", "lower:Click", "lower:MouseUp 30,30"));

  // With no enabled child under the point the parent handles the press itself.
  Trace().clear();
  lower->SetEnabled(false);
  Post(form, WM_LBUTTONDOWN, 40, 40, MK_LBUTTON);
  Post(form, WM_LBUTTONUP, 40, 40);
  EXPECT_THAT(Presses(), ElementsAre("Form:MouseDown 40,40"));
}

TEST_F(MouseTest, PressedGraphicControlKeepsTheMouseUntilRelease) {
  auto* first = Add<TTestShape>("first", form, {10, 10, 60, 50});
  Add<TTestShape>("second", form, {100, 10, 150, 50});
  form->Show();
  Pump();

  Post(form, WM_LBUTTONDOWN, 20, 20, MK_LBUTTON);
  EXPECT_EQ(GetCaptureControl(), first);
  EXPECT_EQ(GetCapture(), form->GetHandle());
  // Released over the other control: the pressed one gets it, and it is no click.
  Post(form, WM_LBUTTONUP, 120, 20);
  EXPECT_THAT(Presses(), ElementsAre("first:MouseDown 10,10", "first:MouseUp 110,10"));
  EXPECT_EQ(GetCaptureControl(), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MouseTest, EnterAndLeaveReachBothKindsOfControlsAndTheirParents) {
  Add<TTestShape>("shape", form, {10, 10, 60, 50});
  auto* panel = Add<TTestPanel>("panel", form, {70, 10, 200, 140});
  auto* inner = Add<TTestShape>("inner", panel, {10, 10, 50, 50});
  form->Show();
  Pump();

  // What the controls report at each move.
  auto step = [&](TWinControl* window, int x, int y) {
    Trace().clear();
    MoveTo(window, x, y);
    return Input();
  };
  EXPECT_THAT(step(form, 5, 100), IsEmpty());
  EXPECT_EQ(GetMouseControl(), form);
  EXPECT_THAT(step(form, 20, 20), ElementsAre("shape:enter"));
  // From a graphic control to a windowed one.
  EXPECT_THAT(step(panel, 100, 100), ElementsAre("shape:leave", "panel:enter"));
  // Into a graphic child: the panel hears of it, and hears when the mouse comes back.
  EXPECT_THAT(step(panel, 20, 20), ElementsAre("panel:leave", "inner:enter", "panel:enter<inner"));
  EXPECT_EQ(GetMouseControl(), inner);
  EXPECT_THAT(step(panel, 100, 100), ElementsAre("inner:leave", "panel:leave<inner", "panel:enter"));
  // Out of every window: the leave notice of the window left behind says so.
  MoveTo(panel, 20, 20);
  Trace().clear();
  cursor_ = form->ClientToScreen({-30, 60});
  PostMessageA(panel->GetHandle(), WM_MOUSELEAVE, 0, 0);
  Pump();
  EXPECT_THAT(Input(), ElementsAre("inner:leave", "panel:leave<inner"));
  EXPECT_EQ(GetMouseControl(), nullptr);
}

TEST_F(MouseTest, ALeaveNoticeWhileTheCursorIsStillThereChangesNothing) {
  auto* panel = Add<TTestPanel>("panel", form, {70, 10, 200, 140});
  Add<TTestShape>("inner", panel, {10, 10, 50, 50});
  form->Show();
  Pump();
  MoveTo(panel, 20, 20);
  Trace().clear();
  // A late notice from an earlier move, or one for the frame, with the cursor still inside.
  PostMessageA(panel->GetHandle(), WM_MOUSELEAVE, 0, 0);
  PostMessageA(panel->GetHandle(), WM_NCMOUSELEAVE, 0, 0);
  Pump();
  EXPECT_THAT(Input(), IsEmpty());
  // So does a move message that is older than the cursor's last move.
  PostMessageA(panel->GetHandle(), WM_MOUSEMOVE, 0, PointToLParam({100, 100}));
  Pump();
  EXPECT_THAT(Input(), IsEmpty());
}

TEST_F(MouseTest, ALostLeaveNoticeIsMadeGoodWhenIdle) {
  auto* shape = Add<TTestShape>("shape", form, {10, 10, 60, 50});
  auto* panel = Add<TTestPanel>("panel", form, {70, 10, 200, 140});
  form->Show();
  Pump();
  MoveTo(form, 20, 20);
  ASSERT_EQ(GetMouseControl(), shape);
  // The cursor jumps out of every window and no notice comes: the system watches no more.
  Trace().clear();
  cursor_ = form->ClientToScreen({-30, 60});
  TRACKMOUSEEVENT cancel{sizeof(cancel), TME_CANCEL | TME_LEAVE, form->GetHandle(), 0};
  TrackMouseEvent(&cancel);
  Pump();
  tk_detail::CheckMouseControl();
  EXPECT_THAT(Input(), ElementsAre("shape:leave"));
  EXPECT_EQ(GetMouseControl(), nullptr);

  // A windowed control left for another window without a notice: the next move there
  // makes the leave good.
  MoveTo(panel, 100, 100);
  ASSERT_EQ(GetMouseControl(), panel);
  Trace().clear();
  MoveTo(form, 5, 100, false);
  EXPECT_THAT(Input(), ElementsAre("panel:leave"));
  EXPECT_EQ(GetMouseControl(), form);
}

TEST_F(MouseTest, IdlePassesDoNotAskWhereTheCursorIsWhileTheSystemWatchesForTheLeave) {
  form->Show();
  Pump();
  // The real cursor this time, counted: only the system's own watch is under test.
  static int queries;
  queries = 0;
  tk_detail::SetCursorSource([](POINT* screen) {
    ++queries;
    return GetCursorPos(screen) != FALSE;
  });
  POINT inside = form->ClientToScreen({100, 100});
  SetCursorPos(inside.x, inside.y);
  auto watched = [&] {
    TRACKMOUSEEVENT query{sizeof(query), TME_QUERY, nullptr, 0};
    return GetMouseControl() == form && TrackMouseEvent(&query) && (query.dwFlags & TME_LEAVE) &&
           query.hwndTrack == form->GetHandle();
  };
  ASSERT_TRUE(PumpUntil(watched, 10000));
  queries = 0;
  // Nor who holds the capture: under Wine that is a round trip to its server as well.
  static int capture_reads;
  static void* system_get_capture;
  capture_reads = 0;
  system_get_capture = PatchImport("user32.dll", "GetCapture", reinterpret_cast<void*>(+[]() -> HWND {
                                     ++capture_reads;
                                     return reinterpret_cast<decltype(&GetCapture)>(system_get_capture)();
                                   }));
  ASSERT_NE(system_get_capture, nullptr);
  for (int pass = 0; pass < 10; ++pass) tk_detail::CheckMouseControl();
  PatchImport("user32.dll", "GetCapture", system_get_capture);
  EXPECT_EQ(queries, 0);
  EXPECT_EQ(capture_reads, 0);
  EXPECT_EQ(GetMouseControl(), form);
}

TEST_F(MouseTest, DoubleClickIsASecondPressForControlsWithoutDoubleClicks) {
  auto* shape = Add<TTestShape>("shape", form, {10, 10, 60, 50});
  TControlStyle style = shape->GetControlStyle();
  shape->SetControlStyle(style.Exclude(csDoubleClicks));
  form->Show();
  Pump();
  Post(form, WM_LBUTTONDBLCLK, 20, 20, MK_LBUTTON);
  Post(form, WM_LBUTTONUP, 20, 20);
  EXPECT_THAT(Presses(), ElementsAre("shape:MouseDown 10,10", "shape:Click", "shape:MouseUp 10,10"));
}

}  // namespace
