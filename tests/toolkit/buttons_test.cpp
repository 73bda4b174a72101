// Buttons under Wine: the stored test form, Enter and Escape through the default and cancel
// buttons (ShowModal ends with their ModalResult), clicks from mouse, keys and accelerators,
// check and radio states kept in the native windows through messages a subclass sees, speed
// button groups, and glyphs drawn with their bottom-left colour transparent.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "buttons_test_support.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;

namespace {

// Messages a Win32 subclass of the windows saw (the subclass of the window procedure that
// later skinning relies on).
std::vector<std::pair<HWND, UINT>>& Seen() {
  static std::vector<std::pair<HWND, UINT>> seen;
  return seen;
}
WNDPROC g_original = nullptr;

LRESULT CALLBACK RecordingProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  Seen().push_back({window, msg});
  return CallWindowProcA(g_original, window, msg, wparam, lparam);
}

void Subclass(TWinControl* control) {
  auto previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control->GetHandle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&RecordingProc)));
  g_original = previous;  // every toolkit window has the same procedure
}

int SeenCount(TWinControl* control, UINT msg) {
  int count = 0;
  for (auto [window, m] : Seen())
    if (window == control->GetHandle() && m == msg) ++count;
  return count;
}

DWORD ButtonType(TWinControl* control) {
  return static_cast<DWORD>(GetWindowLongPtrA(control->GetHandle(), GWL_STYLE)) & 0x0F;
}

// How many pixels of a colour a client rectangle of a window shows.
int CountColor(TWinControl* window, RECT area, TColor color) {
  TBitmap* picture = PictureOf(window);
  int count = 0;
  for (int y = area.top; y < area.bottom; ++y)
    for (int x = area.left; x < area.right; ++x)
      if (PixelAt(picture, window, x, y) == color) ++count;
  Free(picture);
  return count;
}

}  // namespace

// ---- The stored form ------------------------------------------------------------------------

TEST_F(ButtonsTest, StoredFormBuildsEveryControlWithItsValues) {
  auto* stored = New<TButtonsForm>(nullptr);
  auto* pnl = stored->Get<TPanel>("pnlTop");
  auto* start = stored->Get<TSpeedButton>("sbStart");
  auto* stop = stored->Get<TSpeedButton>("sbStop");
  auto* label = stored->Get<TLabel>("lblName");
  auto* count = stored->Get<TCheckBox>("cbCount");
  auto* open = stored->Get<TRadioButton>("rbOpen");
  auto* close = stored->Get<TRadioButton>("rbClose");
  auto* laps = stored->Get<TRadioGroup>("rgLaps");
  auto* go = stored->Get<TBitBtn>("btnGo");
  auto* ok = stored->Get<TButton>("btnOk");
  auto* cancel = stored->Get<TButton>("btnCancel");
  ASSERT_TRUE(pnl && start && stop && label && count && open && close && laps && go && ok && cancel);
  ASSERT_TRUE(stored->Get<TBevel>("bvLine") && stored->Get<TImage>("imgLogo") &&
              stored->Get<TGroupBox>("gbPort"));

  EXPECT_EQ(pnl->GetCaption(), "Race control");
  EXPECT_EQ(pnl->GetBevelInner(), bvLowered);
  EXPECT_EQ(pnl->GetWidth(), 460);
  EXPECT_EQ(start->GetParent(), pnl);
  EXPECT_TRUE(start->GetDown());
  EXPECT_FALSE(stop->GetDown());
  EXPECT_EQ(label->GetFocusControl(), count);
  EXPECT_TRUE(count->GetChecked());
  EXPECT_EQ(open->GetParent(), stored->Get<TGroupBox>("gbPort"));
  EXPECT_TRUE(open->GetChecked());
  EXPECT_TRUE(open->GetTabStop());
  EXPECT_FALSE(close->GetTabStop());
  // The stored index beyond the lines is clamped once the lines are there.
  EXPECT_EQ(laps->GetItemIndex(), 2);
  ASSERT_EQ(laps->GetButtonCount(), 3);
  EXPECT_EQ(laps->GetButton(1)->GetCaption(), "Two");
  EXPECT_TRUE(laps->GetButton(2)->GetChecked());
  EXPECT_TRUE(ok->GetDefault());
  EXPECT_EQ(ok->GetModalResult(), mrOk);
  EXPECT_TRUE(cancel->GetCancel());

  // The native windows carry the same state.
  stored->HandleNeeded();
  EXPECT_EQ(ButtonType(ok), static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(ButtonType(cancel), static_cast<DWORD>(BS_PUSHBUTTON));
  EXPECT_EQ(ButtonType(go), static_cast<DWORD>(BS_OWNERDRAW));
  EXPECT_EQ(SendMessageA(count->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_EQ(SendMessageA(laps->GetButton(2)->GetHandle(), BM_GETCHECK, 0, 0), BST_CHECKED);
  Free(stored);
}

TEST_F(ButtonsTest, EnterAndEscapeEndShowModalThroughTheDefaultAndCancelButtons) {
  auto* stored = New<TButtonsForm>(nullptr);
  stored->SetBounds(980, 700, stored->GetWidth(), stored->GetHeight());
  auto* count = stored->Get<TCheckBox>("cbCount");

  // The keys wait in the queue until the modal loop runs.
  PostMessageA(count->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(stored->ShowModal(), mrOk);
  EXPECT_THAT(TraceOf("ButtonClick"), ElementsAre("ButtonClick btnOk"));

  Trace().clear();
  PostMessageA(count->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 1);
  EXPECT_EQ(stored->ShowModal(), mrCancel);
  EXPECT_THAT(TraceOf("ButtonClick"), ElementsAre("ButtonClick btnCancel"));

  // A click on a button ends it too.
  Trace().clear();
  PostMessageA(stored->Get<TButton>("btnCancel")->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(stored->ShowModal(), mrCancel);
  EXPECT_THAT(TraceOf("ButtonClick"), ElementsAre("ButtonClick btnCancel"));
  Pump();
  Free(stored);
}

// ---- Push buttons -------------------------------------------------------------------------

TEST_F(ButtonsTest, FocusedButtonTakesEnterElseTheDefaultButtonDoes) {
  auto* check = Add<TCheckBox>("check", form, {10, 10, 110, 27});
  auto* ok = Add<TButton>("ok", form, {10, 50, 85, 75});
  auto* other = Add<TButton>("other", form, {100, 50, 175, 75});
  ok->SetDefault(true);
  ok->OnClick = TNotifyEvent(log, &TEventLog::Click);
  other->OnClick = TNotifyEvent(log, &TEventLog::Click);
  ShowActive(form);

  other->SetFocus();
  EXPECT_FALSE(ok->GetActive());
  EXPECT_EQ(ButtonType(ok), static_cast<DWORD>(BS_PUSHBUTTON));
  PostKey(other, VK_RETURN);
  EXPECT_THAT(TraceOf("ok:"), IsEmpty());
  EXPECT_THAT(TraceOf("other:"), ElementsAre("other:Click"));

  check->SetFocus();
  EXPECT_TRUE(ok->GetActive());
  EXPECT_EQ(ButtonType(ok), static_cast<DWORD>(BS_DEFPUSHBUTTON));
  PostKey(check, VK_RETURN);
  EXPECT_THAT(TraceOf("ok:"), ElementsAre("ok:Click"));

  // A disabled default button does not take it.
  ok->SetEnabled(false);
  PostKey(check, VK_RETURN);
  EXPECT_THAT(TraceOf("ok:"), ElementsAre("ok:Click"));
}

TEST_F(ButtonsTest, PressOnAButtonClicksOnceAndSoDoesItsAccelerator) {
  auto* go = Add<TButton>("go", form, {10, 10, 85, 35});
  auto* check = Add<TCheckBox>("check", form, {10, 50, 110, 67});
  go->SetCaption("&Go");
  go->OnClick = TNotifyEvent(log, &TEventLog::Click);
  ShowActive(form);
  check->SetFocus();

  PostClick(go, 5, 5);
  EXPECT_THAT(Trace(), ElementsAre("go:Click"));
  EXPECT_TRUE(go->Focused());

  // Alt+G from another control.
  check->SetFocus();
  PostMessageA(check->GetHandle(), WM_SYSCHAR, 'g', 0x20000001);
  Pump();
  EXPECT_THAT(Trace(), ElementsAre("go:Click", "go:Click"));
}

TEST_F(ButtonsTest, StateChangesGoThroughTheControlsOwnWindowAndGettersSendNothing) {
  auto* check = Add<TCheckBox>("check", form, {10, 10, 110, 27});
  auto* radio = Add<TRadioButton>("radio", form, {10, 40, 110, 57});
  auto* ok = Add<TButton>("ok", form, {10, 70, 85, 95});
  Subclass(check);
  Subclass(radio);
  Subclass(ok);
  Seen().clear();

  check->SetChecked(true);
  radio->SetChecked(true);
  ok->SetDefault(true);
  EXPECT_EQ(SeenCount(check, BM_SETCHECK), 1);
  EXPECT_EQ(SeenCount(radio, BM_SETCHECK), 1);
  EXPECT_EQ(SeenCount(ok, BM_SETSTYLE), 1);

  Seen().clear();
  EXPECT_EQ(check->GetCaption(), "check");
  EXPECT_TRUE(check->GetChecked());
  EXPECT_TRUE(radio->GetChecked());
  EXPECT_THAT(Seen(), IsEmpty());

  // A new caption reaches the native window.
  check->SetCaption("Count laps");
  char text[32] = {};
  GetWindowTextA(check->GetHandle(), text, sizeof(text));
  EXPECT_STREQ(text, "Count laps");
}

// ---- Check boxes and radio buttons -----------------------------------------------------------

TEST_F(ButtonsTest, CheckBoxCyclesItsStatesAndReportsEveryChangeAsAClick) {
  auto* check = Add<TCheckBox>("check", form, {10, 10, 110, 27});
  check->OnClick = TNotifyEvent(log, &TEventLog::Click);
  ShowActive(form);
  auto state = [&] { return SendMessageA(check->GetHandle(), BM_GETCHECK, 0, 0); };

  SendMessageA(check->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(check->GetState(), cbChecked);
  EXPECT_EQ(state(), BST_CHECKED);
  SendMessageA(check->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(check->GetState(), cbUnchecked);

  check->SetAllowGrayed(true);
  SendMessageA(check->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(check->GetState(), cbGrayed);
  EXPECT_EQ(state(), BST_INDETERMINATE);
  SendMessageA(check->GetHandle(), BM_CLICK, 0, 0);
  EXPECT_EQ(check->GetState(), cbChecked);
  check->SetChecked(false);  // from code: a click as well
  EXPECT_EQ(state(), BST_UNCHECKED);
  EXPECT_EQ(TraceOf("check:Click").size(), 5u);

  // The space bar on the focused box.
  check->SetFocus();
  PostKey(check, VK_SPACE);
  EXPECT_EQ(check->GetState(), cbGrayed);

  // The caption on the left is a style of the recreated window, which keeps the state.
  check->SetAlignment(taLeftJustify);
  EXPECT_TRUE(GetWindowLongPtrA(check->GetHandle(), GWL_STYLE) & BS_LEFTTEXT);
  EXPECT_EQ(state(), BST_INDETERMINATE);
}

TEST_F(ButtonsTest, RadioButtonsUncheckTheirSiblingsAndTheArrowKeysMoveTheCheck) {
  auto* r1 = Add<TRadioButton>("r1", form, {10, 10, 110, 27});
  auto* r2 = Add<TRadioButton>("r2", form, {10, 30, 110, 47});
  auto* box = Add<TGroupBox>("box", form, {150, 10, 350, 100});
  auto* g1 = Add<TRadioButton>("g1", box, {10, 20, 110, 37});
  auto* g2 = Add<TRadioButton>("g2", box, {10, 45, 110, 62});
  for (TRadioButton* r : {r1, r2, g1, g2}) r->OnClick = TNotifyEvent(log, &TEventLog::Click);

  r1->SetChecked(true);
  g2->SetChecked(true);
  r2->SetChecked(true);
  EXPECT_FALSE(r1->GetChecked());
  EXPECT_TRUE(g2->GetChecked());  // another parent: another group
  EXPECT_EQ(SendMessageA(r1->GetHandle(), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  // Unchecking from code is no click; Tab stops at the checked button only.
  EXPECT_THAT(Trace(), ElementsAre("r1:Click", "g2:Click", "r2:Click"));
  EXPECT_TRUE(r2->GetTabStop());
  EXPECT_FALSE(r1->GetTabStop());

  ShowActive(form);
  Trace().clear();
  r2->SetFocus();
  PostKey(r2, VK_UP);
  EXPECT_TRUE(r1->Focused());
  EXPECT_TRUE(r1->GetChecked());
  EXPECT_FALSE(r2->GetChecked());

  // A press on an unchecked one checks it once.
  PostClick(g1, 5, 5);
  EXPECT_TRUE(g1->GetChecked());
  EXPECT_FALSE(g2->GetChecked());
  EXPECT_THAT(Trace(), ElementsAre("r1:Click", "g1:Click"));

  // Focus from outside the buttons (code, another group) leaves the check alone.
  r2->SetFocus();
  EXPECT_TRUE(r2->Focused());
  EXPECT_FALSE(r2->GetChecked());
}

// ---- Speed buttons --------------------------------------------------------------------------

TEST_F(ButtonsTest, SpeedButtonsOfAGroupActAsRadioButtons) {
  auto* a = Add<TSpeedButton>("a", form, {10, 10, 60, 35});
  auto* b = Add<TSpeedButton>("b", form, {70, 10, 120, 35});
  auto* plain = Add<TSpeedButton>("plain", form, {130, 10, 180, 35});
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  for (TSpeedButton* s : {a, b, plain}) s->OnClick = TNotifyEvent(log, &TEventLog::Click);
  ShowActive(form);

  PostClick(form, 20, 20);
  EXPECT_TRUE(a->GetDown());
  PostClick(form, 80, 20);
  EXPECT_TRUE(b->GetDown());
  EXPECT_FALSE(a->GetDown());
  EXPECT_EQ(a->GetState(), bsUp);
  // The down one stays down, but the click still counts.
  PostClick(form, 80, 20);
  EXPECT_TRUE(b->GetDown());
  EXPECT_THAT(Trace(), ElementsAre("a:Click", "b:Click", "b:Click"));

  // AllowAllUp is the group's: set on one, a click releases the other.
  a->SetAllowAllUp(true);
  EXPECT_TRUE(b->GetAllowAllUp());
  PostClick(form, 80, 20);
  EXPECT_FALSE(b->GetDown());
  EXPECT_FALSE(a->GetDown());

  // Without a group a button never stays down; a release outside is no click.
  plain->SetDown(true);
  EXPECT_FALSE(plain->GetDown());
  Trace().clear();
  PostMessageA(form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({140, 20}));
  PostMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, PointToLParam({300, 200}));
  PostMessageA(form->GetHandle(), WM_LBUTTONUP, 0, PointToLParam({300, 200}));
  Pump();
  EXPECT_THAT(Trace(), IsEmpty());
  EXPECT_EQ(plain->GetState(), bsUp);
}

TEST_F(ButtonsTest, SpeedButtonGlyphIsDrawnWithItsBottomLeftColourTransparent) {
  auto* button = Add<TSpeedButton>("sb", form, {10, 10, 60, 40});
  button->SetColor(clYellow);
  // Two images side by side: up (red ink) and disabled (blue ink).
  TBitmap* strip = New<TBitmap>();
  strip->SetPixelFormat(pf24bit);
  strip->SetSize(32, 16);
  TBitmap* up = MakeGlyph(16, clFuchsia, clRed);
  TBitmap* disabled = MakeGlyph(16, clFuchsia, clBlue);
  strip->GetCanvas()->Draw(0, 0, up);
  strip->GetCanvas()->Draw(16, 0, disabled);
  button->SetGlyph(strip);
  Free(strip);
  Free(up);
  Free(disabled);
  EXPECT_EQ(button->GetNumGlyphs(), 2);

  RECT area = button->GetBoundsRect();
  EXPECT_EQ(CountColor(form, area, clFuchsia), 0);
  EXPECT_EQ(CountColor(form, area, clRed), 64);
  EXPECT_GT(CountColor(form, area, clYellow), 0);
  button->SetEnabled(false);
  EXPECT_EQ(CountColor(form, area, clRed), 0);
  EXPECT_EQ(CountColor(form, area, clBlue), 64);

  // With one image the disabled glyph is its shape embossed in the 3-D colours.
  button->SetNumGlyphs(1);
  EXPECT_EQ(CountColor(form, area, clBlue), 0);
  EXPECT_EQ(CountColor(form, area, clRed), 0);
  EXPECT_GE(CountColor(form, area, ColorToRGB(clBtnShadow)), 64);
}

TEST_F(ButtonsTest, BitBtnDrawsItsGlyphAndIsAPushButtonForTheKeyboard) {
  auto* check = Add<TCheckBox>("check", form, {10, 10, 110, 27});
  auto* go = Add<TBitBtn>("go", form, {10, 50, 110, 80});
  go->SetCaption("Go");
  TBitmap* glyph = MakeGlyph(16, clFuchsia, clRed);
  go->SetGlyph(glyph);
  Free(glyph);
  go->SetDefault(true);
  go->OnClick = TNotifyEvent(log, &TEventLog::Click);

  // Read from a picture of the button alone: the system's buttons clip their painting to
  // where they are on the device, which a picture of the whole form moves.
  RECT area = go->GetClientRect();
  EXPECT_EQ(CountColor(go, area, clRed), 64);
  EXPECT_EQ(CountColor(go, area, clFuchsia), 0);
  EXPECT_EQ(ButtonType(go), static_cast<DWORD>(BS_OWNERDRAW));

  ShowActive(form);
  check->SetFocus();
  PostKey(check, VK_RETURN);
  PostClick(go, 5, 5);
  EXPECT_THAT(Trace(), ElementsAre("go:Click", "go:Click"));
}
