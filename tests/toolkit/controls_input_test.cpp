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
  }
  void TearDown() override {
    Free(form);
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
  // Puts the cursor over a point of a window and waits until the mouse control is the
  // expected one and stays so. Only the real cursor moves: a posted move to a point where
  // the cursor is not (yet) would be contradicted by the idle check for lost leaves.
  void MoveTo(TWinControl* window, int x, int y, TControl* expected) {
    POINT screen = window->ClientToScreen({x, y});
    SetCursorPos(screen.x, screen.y);
    PumpUntil([&] { return GetMouseControl() == expected; }, 2000);
    PumpUntil([] { return false; }, 300);
    PumpUntil([&] { return GetMouseControl() == expected; }, 2000);
  }

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
  auto* shape = Add<TTestShape>("shape", form, {10, 10, 60, 50});
  auto* panel = Add<TTestPanel>("panel", form, {70, 10, 200, 140});
  auto* inner = Add<TTestShape>("inner", panel, {10, 10, 50, 50});
  form->Show();
  Pump();

  // What the controls report at each step; the run counts only when no other program moved
  // the cursor meanwhile (tests of other programs share the desktop), else it is repeated.
  std::vector<std::vector<std::string>> steps;
  POINT away = form->ClientToScreen({-30, 60});
  for (int attempt = 0; attempt < 6; ++attempt) {
    steps.clear();
    bool undisturbed = true;
    // Each step keeps exactly what arrived after its move, once the input has settled (no
    // news for 300 ms), so late deliveries on a busy machine land in the right step.
    auto settle = [&] {
      size_t seen = Input().size();
      for (int i = 0; i < 20; ++i) {
        PumpUntil([] { return false; }, 300);
        if (Input().size() == seen) break;
        seen = Input().size();
      }
    };
    auto step = [&](TWinControl* window, int x, int y, TControl* expected, size_t count) {
      settle();
      size_t before = Input().size();
      MoveTo(window, x, y, expected);
      settle();
      POINT now;
      GetCursorPos(&now);
      POINT wanted = window->ClientToScreen({x, y});
      undisturbed = undisturbed && now.x == wanted.x && now.y == wanted.y && GetMouseControl() == expected;
      std::vector<std::string> input = Input();
      steps.emplace_back(input.begin() + static_cast<std::ptrdiff_t>(before), input.end());
      // X may report the old cursor position once more after a jump: a bounce back and forth
      // on the way counts as a disturbance, not as the controls' answer.
      undisturbed = undisturbed && (count == 0 || steps.back().size() == count);
    };
    step(form, 5, 100, form, 0);
    step(form, 20, 20, shape, 1);
    step(panel, 100, 100, panel, 2);  // from a graphic control to a windowed one
    step(panel, 20, 20, inner, 3);    // into a graphic child: the panel hears of it
    step(panel, 100, 100, panel, 3);
    size_t before = Input().size();
    SetCursorPos(away.x, away.y);  // out of every window
    bool left = PumpUntil([&] { return GetMouseControl() == nullptr; });
    settle();
    std::vector<std::string> input = Input();
    steps.emplace_back(input.begin() + static_cast<std::ptrdiff_t>(before), input.end());
    POINT now;
    GetCursorPos(&now);
    if (undisturbed && left && steps.back().size() == 1 && now.x == away.x && now.y == away.y) break;
  }
  ASSERT_EQ(steps.size(), 6u);
  EXPECT_THAT(steps[1], ElementsAre("shape:enter"));
  EXPECT_THAT(steps[2], ElementsAre("shape:leave", "panel:enter"));
  EXPECT_THAT(steps[3], ElementsAre("panel:leave", "inner:enter", "panel:enter<inner"));
  EXPECT_THAT(steps[4], ElementsAre("inner:leave", "panel:leave<inner", "panel:enter"));
  EXPECT_THAT(steps[5], ElementsAre("panel:leave"));
  EXPECT_EQ(GetMouseControl(), nullptr);
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
