// Edits, up-down controls and spin edits on a shown form: typing and OnChange, the cached text,
// limits, colours, what a subclass of the window sees, arrow presses, and the spin edit's value
// rules.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "stdctrls_test_support.h"
#include "toolkit/bitmap.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

using EditTest = StdCtrlsTest;

TEST_F(EditTest, TypingFiresOnChangePerCharacterAndTheCachedTextFollowsWithoutWmGetText) {
  auto* edit = Add<TEdit>("ed", {10, 10, 130, 31});
  edit->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  ShowActive();
  edit->SetFocus();
  TMessageSpy spy(edit->GetHandle());

  PostChars(edit->GetHandle(), "ab");
  EXPECT_THAT(Trace(), ElementsAre("ed:change", "ed:change"));
  EXPECT_EQ(edit->GetText(), "ab");
  PostKey(edit->GetHandle(), VK_BACK);
  EXPECT_EQ(edit->GetText(), "a");
  EXPECT_EQ(Trace().size(), 3u);

  // Reading the text, its selection or its length asks the window for no text.
  for (int i = 0; i < 5; ++i) EXPECT_EQ(edit->GetText(), "a");
  EXPECT_EQ(edit->GetSelText(), "");
  EXPECT_EQ(spy.Count(WM_GETTEXT), 0);

  // Text from code: one OnChange, and the window shows it.
  Trace().clear();
  edit->SetText("Dravolin");
  EXPECT_THAT(Trace(), ElementsAre("ed:change"));
  char shown[32] = {};
  GetWindowTextA(edit->GetHandle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "Dravolin");
  edit->SetSelStart(2);
  edit->SetSelLength(3);
  EXPECT_EQ(edit->GetSelText(), "avo");
  edit->SetSelText("X");
  EXPECT_EQ(edit->GetText(), "DrXlin");
}

TEST_F(EditTest, TypedTextOutlivesANewWindowAndTextWithoutWindowStillReportsChange) {
  auto* edit = Add<TEdit>("ed", {10, 10, 130, 31});
  edit->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  ShowActive();
  PostChars(edit->GetHandle(), "lap");
  edit->SetBorderStyle(bsNone);  // a new window
  EXPECT_FALSE(GetWindowLongPtrA(edit->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  EXPECT_EQ(edit->GetText(), "lap");
  char shown[16] = {};
  GetWindowTextA(edit->GetHandle(), shown, sizeof(shown));
  EXPECT_STREQ(shown, "lap");

  auto* loose = New<TEdit>(form);
  loose->SetName("loose");
  loose->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  Trace().clear();
  loose->SetText("x");
  EXPECT_THAT(Trace(), ElementsAre("loose:change"));
}

TEST_F(EditTest, MaxLengthAndReadOnlyReachTheWindowAsMessagesAndLimitTyping) {
  auto* edit = Add<TEdit>("ed", {10, 10, 130, 31});
  ShowActive();
  TMessageSpy spy(edit->GetHandle());
  edit->SetMaxLength(3);
  PostChars(edit->GetHandle(), "abcd");
  EXPECT_EQ(edit->GetText(), "abc");
  edit->SetReadOnly(true);
  PostChars(edit->GetHandle(), "z");
  EXPECT_EQ(edit->GetText(), "abc");
  EXPECT_TRUE(GetWindowLongPtrA(edit->GetHandle(), GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(spy.Count(EM_LIMITTEXT), 1);
  EXPECT_EQ(spy.Count(EM_SETREADONLY), 1);
}

TEST_F(EditTest, ColorAndFontColorPaintTheEditAlsoWhenReadOnly) {
  auto* edit = Add<TEdit>("ed", {10, 10, 130, 35});
  auto* read_only = Add<TEdit>("ro", {10, 50, 130, 75});
  for (TEdit* e : {edit, read_only}) {
    e->SetColor(clYellow);
    e->GetFont()->SetColor(clRed);
    e->SetText("WWWW");
  }
  read_only->SetReadOnly(true);
  ShowActive();
  for (TEdit* e : {edit, read_only}) {
    e->SetSelStart(0);  // the focused one had its text selected
    TBitmap* picture = PictureOf(e);
    RECT client = e->GetClientRect();
    EXPECT_EQ(PixelAt(picture, e, client.right - 3, client.bottom - 3), clYellow) << e->GetName();
    int red = 0;
    for (int y = 0; y < client.bottom; ++y)
      for (int x = 0; x < client.right; ++x) red += PixelAt(picture, e, x, y) == clRed;
    EXPECT_GT(red, 10) << e->GetName();
    Free(picture);
  }
}

// An edit whose descendant asks for more window styles.
class TMultiLineEdit : public TEdit {
 public:
  explicit TMultiLineEdit(TComponent* owner) : TEdit(owner) {}

 protected:
  void CreateParams(TCreateParams& params) override {
    TEdit::CreateParams(params);
    params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
  }
};

TEST_F(EditTest, DescendantStylesTakeEffectAndMultiLineTextFromCodeStillReportsChange) {
  auto* edit = Add<TMultiLineEdit>("ml", {10, 10, 130, 60});
  edit->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  ShowActive();
  LONG_PTR style = GetWindowLongPtrA(edit->GetHandle(), GWL_STYLE);
  EXPECT_TRUE(style & ES_MULTILINE);
  EXPECT_TRUE(style & WS_CLIPCHILDREN);
  // A multi-line window announces no change for text set from code; the control does.
  edit->SetText("one");
  edit->SetSelStart(3);
  PostChars(edit->GetHandle(), "!");
  EXPECT_THAT(Trace(), ElementsAre("ml:change", "ml:change"));
  EXPECT_EQ(edit->GetText(), "one!");
}

// ---- Up-down --------------------------------------------------------------------------------

using UpDownTest = StdCtrlsTest;

POINT UpperArrow(TUpDown* updown) { return {updown->GetWidth() / 2, updown->GetHeight() / 4}; }
POINT LowerArrow(TUpDown* updown) { return {updown->GetWidth() / 2, updown->GetHeight() * 3 / 4}; }

TEST_F(UpDownTest, ArrowPressesFireOnClickEvenWhenMinAndMaxAreZero) {
  auto* updown = Add<TUpDown>("ud", {10, 10, 27, 40});
  updown->SetMax(0);
  updown->OnClick = TUDClickEvent(recorder, &TEventRecorder::UpDownClick);
  ShowActive();
  PostClick(updown->GetHandle(), UpperArrow(updown));
  PostClick(updown->GetHandle(), LowerArrow(updown));
  PostClick(updown->GetHandle(), LowerArrow(updown));
  EXPECT_THAT(Trace(), ElementsAre("ud:next", "ud:prev", "ud:prev"));
  EXPECT_EQ(updown->GetPosition(), 0);
}

TEST_F(UpDownTest, PositionMovesWithinTheRangeAndOnChangingCanRefuse) {
  auto* updown = Add<TUpDown>("ud", {10, 10, 27, 40});
  updown->SetMax(2);
  updown->SetPosition(1);
  updown->OnClick = TUDClickEvent(recorder, &TEventRecorder::UpDownClick);
  updown->OnChanging = TUDChangingEvent(recorder, &TEventRecorder::Changing);
  ShowActive();
  PostClick(updown->GetHandle(), UpperArrow(updown));
  EXPECT_EQ(updown->GetPosition(), 2);
  // At the top the press is still reported.
  PostClick(updown->GetHandle(), UpperArrow(updown));
  EXPECT_EQ(updown->GetPosition(), 2);
  recorder->allow_change = false;
  PostClick(updown->GetHandle(), LowerArrow(updown));
  EXPECT_EQ(updown->GetPosition(), 2);
  EXPECT_THAT(Trace(),
              ElementsAre("ud:changing", "ud:next", "ud:changing", "ud:next", "ud:changing", "ud:prev"));
  // Lowering the range keeps a position beyond it (the lanes rely on it).
  updown->SetMax(1);
  EXPECT_EQ(updown->GetPosition(), 2);
  updown->SetPosition(7);
  EXPECT_EQ(updown->GetPosition(), 1);
}

TEST_F(UpDownTest, AssociatedEditShowsThePositionAndSitsBesideTheArrows) {
  auto* edit = Add<TEdit>("ed", {10, 10, 90, 31});
  auto* updown = Add<TUpDown>("ud", {200, 10, 217, 31});
  updown->SetMax(10);
  updown->SetPosition(4);
  edit->OnChange = TNotifyEvent(recorder, &TEventRecorder::Change);
  updown->SetAssociate(edit);
  ShowActive();
  EXPECT_EQ(edit->GetText(), "4");
  // The arrows moved to the edit's right edge (the edit gave up the room).
  EXPECT_EQ(updown->GetLeft(), edit->GetLeft() + edit->GetWidth());
  PostClick(updown->GetHandle(), UpperArrow(updown));
  EXPECT_EQ(updown->GetPosition(), 5);
  EXPECT_EQ(edit->GetText(), "5");
  // An associate that goes is forgotten.
  Free(edit);
  EXPECT_EQ(updown->GetAssociate(), nullptr);
  PostClick(updown->GetHandle(), UpperArrow(updown));
  EXPECT_EQ(updown->GetPosition(), 6);
}

// ---- Spin edit ------------------------------------------------------------------------------

class SpinEditTest : public StdCtrlsTest {
 protected:
  void SetUp() override {
    StdCtrlsTest::SetUp();
    spin = Add<TSpinEdit>("sp", {10, 10, 110, 33});
    other = Add<TEdit>("other", {10, 50, 110, 71});
    spin->SetMinValue(0);
    spin->SetMaxValue(9999);
    spin->SetValue(40);
    ShowActive();
    spin->SetFocus();
  }
  // Types into the spin edit and leaves it.
  void TypeAndLeave(const std::string& text) {
    spin->SetFocus();
    spin->SelectAll();
    PostKey(spin->GetHandle(), VK_DELETE);
    PostChars(spin->GetHandle(), text);
    other->SetFocus();
    Pump();
  }
  TSpinEdit* spin = nullptr;
  TEdit* other = nullptr;
};

TEST_F(SpinEditTest, LeavingWritesTheClampedNumberBack) {
  TypeAndLeave("12345");
  EXPECT_EQ(spin->GetText(), "9999");
  TypeAndLeave("");
  EXPECT_EQ(spin->GetText(), "0");
  TypeAndLeave("0077");
  EXPECT_EQ(spin->GetValue(), 77);
  EXPECT_EQ(spin->GetText(), "77");
}

TEST_F(SpinEditTest, OnlyDigitsCanBeTyped) {
  TypeAndLeave("-1a2 3");
  EXPECT_EQ(spin->GetText(), "123");
  spin->SetText("abc");
  EXPECT_EQ(spin->GetValue(), spin->GetMinValue());
}

TEST_F(SpinEditTest, ArrowsAndCtrlArrowKeysStepByIncrementWithinTheLimits) {
  spin->SetIncrement(5);
  TUpDown* button = spin->GetButton();
  PostClick(button->GetHandle(), UpperArrow(button));
  EXPECT_EQ(spin->GetValue(), 45);
  PostClick(button->GetHandle(), LowerArrow(button));
  PostClick(button->GetHandle(), LowerArrow(button));
  EXPECT_EQ(spin->GetValue(), 35);

  // Ctrl+Up steps; Up alone does not.
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  PostKey(spin->GetHandle(), VK_UP);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(spin->GetValue(), 40);
  PostKey(spin->GetHandle(), VK_UP);
  EXPECT_EQ(spin->GetValue(), 40);

  spin->SetValue(9998);
  PostClick(button->GetHandle(), UpperArrow(button));
  EXPECT_EQ(spin->GetValue(), 9999);
  // No limits when both are equal; a read-only spin edit keeps its value.
  spin->SetMaxValue(0);
  spin->SetValue(-20);
  EXPECT_EQ(spin->GetValue(), -20);
  spin->SetReadOnly(true);
  PostClick(button->GetHandle(), UpperArrow(button));
  EXPECT_EQ(spin->GetValue(), -20);
}

TEST_F(SpinEditTest, EnterReachesTheFormsDefaultButtonAndTypesNothing) {
  auto* ok = Add<TTestButton>("ok", {150, 10, 220, 35});
  ok->SetDefault(true);
  PostKey(spin->GetHandle(), VK_RETURN);
  PostChars(spin->GetHandle(), "\r");
  EXPECT_THAT(TraceOf("ok:Click"), ElementsAre("ok:Click"));
  EXPECT_EQ(spin->GetText(), "40");
}

TEST_F(SpinEditTest, TypedTextStaysClearOfTheArrows) {
  TUpDown* button = spin->GetButton();
  RECT client = spin->GetClientRect();
  EXPECT_EQ(button->GetLeft() + button->GetWidth(), client.right);
  EXPECT_EQ(button->GetHeight(), client.bottom);
  RECT text{};
  SendMessageA(spin->GetHandle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_LE(text.right, button->GetLeft());
}

}  // namespace
