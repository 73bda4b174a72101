// The skinned edit, spin edit and combo box on a shown form, with and without the internal
// skin: borders, values, keys, the spin buttons and the combo box's face.
#include <gtest/gtest.h>

#include <climits>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "skin/controls/scombobox.h"
#include "skin/controls/sedit.h"
#include "skin/controls/sspinedit.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskinmanager.h"
#include "skin_test_support.h"
#include "tests/skin/engine/skin_test_helpers.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/sysutils.h"
#include "toolkit/timers.h"

namespace {

struct TCounter : TObject {
  int changes = 0;
  int keys = 0;
  void Change(TObject*) { ++changes; }
  void Key(TObject*, WORD&, TShiftState) { ++keys; }
};

// The colour a window shows at a point of its own (non-client included).
TColor ScreenPixel(TWinControl* control, int x, int y) {
  HDC dc = GetWindowDC(control->GetHandle());
  const TColor color = GetPixel(dc, x, y);
  ReleaseDC(control->GetHandle(), dc);
  return color;
}

// A form whose handlers a definition wires to the drag events of its edits.
class TDragHost : public TForm {
  TK_CLASS(TDragHost, TForm)

 public:
  explicit TDragHost(TComponent* owner) : TForm(owner, kCreateNew) {}
  void DragDropped(TObject*, TObject*, int, int) { calls.push_back("drop"); }
  void DraggedOver(TObject*, TObject*, int, int, TDragState, bool& accept) {
    accept = true;
    calls.push_back("over");
  }
  void DragStarted(TObject*, TDragObject*&) { calls.push_back("start"); }
  void DragEnded(TObject*, TObject*, int, int) { calls.push_back("end"); }
  std::vector<std::string> calls;

 private:
  static void Publish(TPublisher<TDragHost>& p) {
    p.Method("DragDropped", &TDragHost::DragDropped);
    p.Method("DraggedOver", &TDragHost::DraggedOver);
    p.Method("DragStarted", &TDragHost::DragStarted);
    p.Method("DragEnded", &TDragHost::DragEnded);
  }
};
TK_CLASS_INFO(TDragHost, TForm)

class EditsTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    RegisterSkinEngineClasses();
    form = New<TForm>(Application, kCreateNew);
    form->SetBounds(30, 30, 360, 220);
  }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);
    SkinTest::TearDown();
  }
  void LoadSkin() {
    manager = New<TsSkinManager>(nullptr);
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  }
  template <class T>
  T* Add(int left, int top, int width = 120) {
    T* control = New<T>(form);
    control->SetBounds(left, top, width, 21);
    control->SetParent(form);
    return control;
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
    Settle();
  }
  // Until no window of the form waits for painting.
  void Settle() {
    Pump();
    for (int i = 0; i < form->GetControlCount(); ++i)
      if (auto* w = DynamicCast<TWinControl>(form->GetControl(i)); w && w->HandleAllocated())
        UpdateWindow(w->GetHandle());
    Pump();
  }
  void Type(TWinControl* control, const std::string& text) {
    for (char c : text) SendMessageA(control->GetHandle(), WM_CHAR, static_cast<unsigned char>(c), 1);
  }
  void Leave(TWinControl* from, TWinControl* to) {
    from->SetFocus();
    Pump();
    to->SetFocus();
    Pump();
  }

  TDesktopLock desktop;
  TForm* form = nullptr;
  TsSkinManager* manager = nullptr;
};

// ---- Edit -------------------------------------------------------------------------------------

TEST_F(EditsTest, TheTextNeverTouchesTheBorderAndTheStyleAnswersFirst) {
  auto* edit = Add<TsEdit>(10, 10);
  Show();
  RECT window{}, client{};
  GetWindowRect(edit->GetHandle(), &window);
  GetClientRect(edit->GetHandle(), &client);
  MapWindowPoints(edit->GetHandle(), nullptr, reinterpret_cast<POINT*>(&client), 2);
  EXPECT_EQ(client.left - window.left, 3);
  EXPECT_EQ(client.top - window.top, 3);
  EXPECT_EQ(window.right - client.right, 3);
  EXPECT_EQ(window.bottom - client.bottom, 3);
  EXPECT_FALSE(GetWindowLongA(edit->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
  // The style answers the skin-object query with 1: the system's edit never sees it (it
  // would answer 0).
  EXPECT_EQ(SendMessageA(edit->GetHandle(), SKM_GETSKINOBJECT, 0, 0), 1);
  EXPECT_EQ(GetSkinObject(edit), edit->GetSkinStyle());
}

// A form definition may set OEMConvert on the edit; the window then converts what is typed.
TEST_F(EditsTest, AFormDefinitionSetsOEMConvert) {
  RegisterSkinEditsClasses();
  ReadComponentFromText(form,
                        "object Form1: TForm\n"
                        "  object ed: TsEdit\n"
                        "    Left = 8\n    Top = 8\n    Width = 120\n    Height = 21\n"
                        "    OEMConvert = True\n"
                        "  end\n"
                        "end\n",
                        "test form");
  auto* edit = static_cast<TsEdit*>(form->FindComponent("ed"));
  ASSERT_NE(edit, nullptr);
  EXPECT_TRUE(edit->GetOEMConvert());
  EXPECT_TRUE(GetWindowLongA(edit->GetHandle(), GWL_STYLE) & ES_OEMCONVERT);
  edit->SetText("kept");
  edit->SetOEMConvert(false);
  EXPECT_FALSE(GetWindowLongA(edit->GetHandle(), GWL_STYLE) & ES_OEMCONVERT);
  EXPECT_EQ(edit->GetText(), "kept");
}

// The edit and the spin edit publish the four drag events: a definition naming them loads and
// each reaches its handler.
TEST_F(EditsTest, AFormDefinitionWiresTheDragEventsOfEditAndSpinEdit) {
  RegisterSkinEditsClasses();
  auto* host = New<TDragHost>(nullptr);
  ReadComponentFromText(host,
                        "object Host: TDragHost\n"
                        "  object ed: TsEdit\n"
                        "    OnDragDrop = DragDropped\n    OnDragOver = DraggedOver\n"
                        "    OnStartDrag = DragStarted\n    OnEndDrag = DragEnded\n"
                        "  end\n"
                        "  object spin: TsSpinEdit\n"
                        "    OnDragDrop = DragDropped\n    OnDragOver = DraggedOver\n"
                        "    OnStartDrag = DragStarted\n    OnEndDrag = DragEnded\n"
                        "  end\n"
                        "end\n",
                        "drag.form");
  for (const char* name : {"ed", "spin"}) {
    auto* edit = DynamicCast<TsEdit>(host->FindComponent(name));
    ASSERT_NE(edit, nullptr) << name;
    host->calls.clear();
    TDragObject* drag = nullptr;
    bool accept = false;
    edit->OnStartDrag(edit, drag);
    edit->OnDragOver(edit, host, 1, 1, dsDragMove, accept);
    edit->OnDragDrop(edit, host, 1, 1);
    edit->OnEndDrag(edit, host, 1, 1);
    EXPECT_TRUE(accept) << name;
    EXPECT_EQ(host->calls, (std::vector<std::string>{"start", "over", "drop", "end"})) << name;
  }
  Free(host);
}

TEST_F(EditsTest, AFormsOwnKeyDownReplacesTheStylesFocusNavigation) {
  auto* first = Add<TsEdit>(10, 10);
  auto* second = Add<TsEdit>(10, 40);
  first->GetSkinStyle()->SetKeysNextControl("13");
  Show();
  first->SetFocus();
  Pump();
  SendMessageA(first->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_TRUE(second->Focused()) << "the style's navigation moves on";

  TCounter counter;
  first->OnKeyDown = TKeyEvent(&counter, &TCounter::Key);
  first->SetFocus();
  Pump();
  SendMessageA(first->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_EQ(counter.keys, 1);
  EXPECT_TRUE(first->Focused()) << "the own handler replaced the navigation";
}

// As in every dialog: what is typed after Tab (or after the focus was set, as an accelerator
// does) replaces the old text.
TEST_F(EditsTest, EnteredFromTheKeyboardEditSpinEditAndComboSelectTheWholeText) {
  auto* start = Add<TsEdit>(10, 10);
  auto* edit = Add<TsEdit>(10, 40);
  auto* spin = Add<TsSpinEdit>(10, 70);
  auto* combo = Add<TsComboBox>(10, 100, 140);
  combo->GetItems()->Add("Jugend & Förderer");
  combo->SetItemIndex(0);
  edit->SetText("Graz");
  spin->SetMaxValue(99);
  spin->SetValue(5);
  Show();
  start->SetFocus();
  Pump();
  auto tab_and_type = [&](TWinControl* expected, char c) {
    HWND from = GetFocus();
    PostMessageA(from, WM_KEYDOWN, VK_TAB, 1);
    PostMessageA(from, WM_KEYUP, VK_TAB, 0xC0000001);
    ASSERT_TRUE(PumpUntil([&] { return expected->Focused(); }));
    SendMessageA(GetFocus(), WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
  };
  tab_and_type(edit, 'W');
  EXPECT_EQ(edit->GetText(), "W");
  tab_and_type(spin, '2');
  EXPECT_EQ(spin->GetText(), "2");
  tab_and_type(combo, 'O');
  EXPECT_EQ(combo->GetText(), "O");
  // The focus given from code, as a label's accelerator gives it.
  spin->SetValue(7);
  spin->SetFocus();
  Pump();
  EXPECT_EQ(spin->GetSelLength(), 1);
}

TEST_F(EditsTest, TheBorderShowsNormalFocusedAndDisabledFromTheSkin) {
  LoadSkin();
  auto* edit = Add<TsEdit>(10, 10);
  auto* other = Add<TsEdit>(10, 40);
  Show();
  const TColor normal = RGB(150, 150, 150), active = RGB(86, 146, 222), face = RGB(255, 255, 255);
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(edit, 0, 10) == normal; }));
  EXPECT_EQ(ScreenPixel(edit, 60, 0), normal);
  EXPECT_EQ(ScreenPixel(edit, 119, 10), normal);
  EXPECT_EQ(ScreenPixel(edit, 60, 20), normal);
  EXPECT_EQ(ScreenPixel(edit, 60, 10), face);

  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(edit, 0, 10) == active; }));
  EXPECT_EQ(ScreenPixel(edit, 60, 20), active);
  EXPECT_EQ(ScreenPixel(other, 0, 10), normal);

  other->SetFocus();
  edit->SetEnabled(false);
  ASSERT_TRUE(PumpUntil([&] { return ScreenPixel(edit, 0, 10) == normal; }));
  EXPECT_EQ(ScreenPixel(edit, 60, 20), normal);
}

// ---- Spin edit --------------------------------------------------------------------------------

class SpinEditTest : public EditsTest {
 protected:
  TsSpinEdit* AddSpin(int min, int max, int value) {
    auto* spin = Add<TsSpinEdit>(10, 10, 80);
    spin->SetMinValue(min);
    spin->SetMaxValue(max);
    spin->SetValue(value);
    return spin;
  }
  // A left click on one of the spin control's buttons, as the mouse would give it.
  void Press(TsSpinEdit* spin, TsTimerSpeedButton* button) {
    HWND window = spin->GetButton()->GetHandle();
    const LPARAM at =
        MAKELPARAM(button->GetLeft() + button->GetWidth() / 2, button->GetTop() + button->GetHeight() / 2);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
  }
  void Release(TsSpinEdit* spin, TsTimerSpeedButton* button) {
    HWND window = spin->GetButton()->GetHandle();
    const LPARAM at =
        MAKELPARAM(button->GetLeft() + button->GetWidth() / 2, button->GetTop() + button->GetHeight() / 2);
    SendMessageA(window, WM_LBUTTONUP, 0, at);
  }
};

TEST_F(SpinEditTest, LeavingWritesTheClampedNumberAndANonNumberReadsAsMinValue) {
  auto* spin = AddSpin(0, 9999, 40);
  auto* other = Add<TsEdit>(10, 60);
  Show();
  spin->SetFocus();
  spin->SetText("");
  Type(spin, "12345");
  EXPECT_EQ(spin->GetText(), "12345");
  EXPECT_EQ(spin->GetValue(), 12345) << "not clamped while typing";
  Leave(spin, other);
  EXPECT_EQ(spin->GetText(), "9999");

  spin->SetText("");
  Leave(spin, other);
  EXPECT_EQ(spin->GetText(), "0");

  spin->SetMinValue(5);
  spin->SetText("abc");
  EXPECT_EQ(spin->GetValue(), 5);
  spin->SetText("99999999999");  // past 32 bits: not a number either
  EXPECT_EQ(spin->GetValue(), 5);
  // Only decimal digits count: hexadecimal forms are no number here.
  for (const char* text : {"$10", "$FFFFFFFF", "-$1", "1$"}) {
    spin->SetText(text);
    EXPECT_EQ(spin->GetValue(), 5) << text;
  }
  spin->SetText("-12");
  EXPECT_EQ(spin->GetValue(), -12) << "not clamped";
}

// Limits set the wrong way round: below MinValue gives MinValue, else above MaxValue gives
// MaxValue.
TEST_F(SpinEditTest, MinValueAboveMaxValueTestsMinValueFirst) {
  auto* spin = AddSpin(10, 5, 0);
  EXPECT_EQ(spin->GetText(), "10");
  for (auto [value, shown] : {std::pair{3, "10"}, {7, "10"}, {12, "5"}, {10, "5"}, {5, "10"}}) {
    spin->SetValue(value);
    EXPECT_EQ(spin->GetText(), shown) << value;
  }
}

TEST_F(SpinEditTest, OnlyDigitsCanBeTypedNegativesComeFromDownClickOrSetValue) {
  auto* spin = AddSpin(0, 0, 0);
  Show();
  spin->SetText("1");
  spin->SelectAll();
  Type(spin, "-x 2");
  EXPECT_EQ(spin->GetText(), "2");
  spin->DownClick();
  spin->DownClick();
  spin->DownClick();
  EXPECT_EQ(spin->GetValue(), -1) << "no limits with MinValue = MaxValue";
  spin->SetValue(-12000);
  EXPECT_EQ(spin->GetText(), "-12000");
  spin->SetValue(1 << 30);
  spin->UpClick();
  EXPECT_EQ(spin->GetValue(), (1 << 30) + 1);

  spin->SetEditorEnabled(false);
  Type(spin, "7");
  EXPECT_EQ(spin->GetText(), IntToStr((1 << 30) + 1)) << "typing needs the editor";
}

TEST_F(SpinEditTest, StepsPastThirtyTwoBitsAndFromAnEmptyTextNeverRaise) {
  auto* spin = AddSpin(0, 0, 0);
  Show();
  spin->SetValue(INT_MAX);
  EXPECT_NO_THROW(spin->UpClick());
  EXPECT_EQ(spin->GetValue(), INT_MAX);
  spin->SetValue(INT_MIN);
  EXPECT_NO_THROW(spin->DownClick());
  EXPECT_EQ(spin->GetValue(), INT_MIN);

  spin->SetMinValue(0);
  spin->SetMaxValue(9999);
  spin->SetIncrement(INT_MAX);
  spin->SetValue(10);
  EXPECT_NO_THROW(spin->UpClick());
  EXPECT_EQ(spin->GetValue(), 9999);
  EXPECT_NO_THROW(spin->DownClick());
  EXPECT_EQ(spin->GetValue(), 0);

  spin->SetIncrement(3);
  spin->SetText("");
  EXPECT_NO_THROW(spin->UpClick());
  EXPECT_EQ(spin->GetText(), "3");
}

TEST_F(SpinEditTest, ArrowsCountOnlyWithCtrlAndAReadOnlySpinEditKeepsItsValue) {
  auto* spin = AddSpin(0, 100, 50);
  Show();
  spin->SetFocus();
  Pump();
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_UP, 1);
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  EXPECT_EQ(spin->GetValue(), 50);

  BYTE keys[256]{};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_UP, 1);
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_UP, 1);
  SendMessageA(spin->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  EXPECT_EQ(spin->GetValue(), 51);

  spin->SetReadOnly(true);
  spin->UpClick();
  spin->DownClick();
  Press(spin, spin->GetButton()->GetUpButton());
  Release(spin, spin->GetButton()->GetUpButton());
  EXPECT_EQ(spin->GetValue(), 51);
}

TEST_F(SpinEditTest, TheButtonsSitInsideTheRightEdgeClickAndRepeatWhileHeld) {
  auto* spin = AddSpin(0, 9999, 40);
  auto* other = Add<TsEdit>(10, 60);
  Show();
  TsSpinButton* buttons = spin->GetButton();
  EXPECT_EQ(buttons->GetLeft() + buttons->GetWidth(), spin->GetWidth() - 6);
  EXPECT_EQ(buttons->GetHeight(), spin->GetHeight() - 6);
  RECT text{};
  SendMessageA(spin->GetHandle(), EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  EXPECT_LE(text.right, buttons->GetLeft()) << "typed text never runs under the buttons";
  EXPECT_EQ(buttons->GetUpButton()->GetHeight() + buttons->GetDownButton()->GetHeight(),
            buttons->GetHeight());

  other->SetFocus();
  Pump();
  TsTimerSpeedButton* up = buttons->GetUpButton();
  Press(spin, up);
  Pump();
  EXPECT_TRUE(spin->Focused()) << "a press gives the edit the focus";
  ASSERT_NE(up->GetRepeatTimer(), nullptr);
  EXPECT_TRUE(up->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(up->GetRepeatTimer()->GetInterval(), 400u);
  up->TimerExpired(nullptr);  // the repeat timer's ticks while the button is held
  up->TimerExpired(nullptr);
  EXPECT_EQ(up->GetRepeatTimer()->GetInterval(), 100u);
  EXPECT_EQ(spin->GetValue(), 42);
  Release(spin, up);
  Pump();
  EXPECT_EQ(spin->GetValue(), 43) << "the release clicks once more";
  EXPECT_FALSE(up->GetRepeatTimer()->GetEnabled());
  up->TimerExpired(nullptr);
  EXPECT_EQ(spin->GetValue(), 43) << "no repeat once released";

  TsTimerSpeedButton* down = buttons->GetDownButton();
  Press(spin, down);
  Release(spin, down);
  Pump();
  EXPECT_EQ(spin->GetValue(), 42);

  // Held and moved off the button, it repeats for as long as it holds the mouse.
  Press(spin, up);
  const LPARAM off = MAKELPARAM(1, down->GetTop() + down->GetHeight() / 2);
  SendMessageA(buttons->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, off);
  up->TimerExpired(nullptr);
  EXPECT_EQ(spin->GetValue(), 43);
  SendMessageA(buttons->GetHandle(), WM_LBUTTONUP, 0, off);
  up->TimerExpired(nullptr);
  EXPECT_EQ(spin->GetValue(), 43);
}

// ---- Combo box --------------------------------------------------------------------------------

class ComboTest : public EditsTest {
 protected:
  TsComboBox* AddCombo(TComboBoxStyle style, int top = 10) {
    auto* combo = Add<TsComboBox>(10, top, 140);
    combo->SetStyle(style);
    for (const char* item : {"None", "COM1", "COM2", "COM3"}) combo->GetItems()->Add(item);
    return combo;
  }
  static SIZE SizeOf(TsComboBox* combo) {
    const RECT r = combo->ButtonRect();
    return SIZE{r.right - r.left, r.bottom - r.top};
  }
};

// Its edit part's keys and editing, and the command notifications of its parts (a drop-down
// list chooses by its list part, which tells the control by a command).
TEST_F(ComboTest, AReadOnlyComboBoxIgnoresTheKeysAndEditingOfItsParts) {
  auto* list = AddCombo(csDropDownList);
  auto* edit = AddCombo(csDropDown, 40);
  list->SetItemIndex(1);
  edit->SetText("typed");
  list->SetReadOnly(true);
  edit->SetReadOnly(true);
  TCounter counter;
  list->OnChange = TNotifyEvent(&counter, &TCounter::Change);
  edit->OnChange = TNotifyEvent(&counter, &TCounter::Change);
  Show();
  list->SetFocus();
  Pump();
  for (WORD key : {VK_DOWN, VK_DOWN, VK_END, VK_HOME}) SendMessageA(list->GetHandle(), WM_KEYDOWN, key, 1);
  SendMessageA(list->GetHandle(), WM_CHAR, 'C', 1);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 1) << "the list part's notifications do not reach the control";

  HWND part = edit->GetEditHandle();
  ASSERT_NE(part, nullptr);
  SendMessageA(part, WM_CHAR, 'x', 1);
  SendMessageA(part, EM_SETSEL, 0, -1);
  SendMessageA(part, WM_CLEAR, 0, 0);
  SendMessageA(part, WM_CUT, 0, 0);
  SendMessageA(part, WM_PASTE, 0, 0);
  SendMessageA(part, WM_UNDO, 0, 0);
  SendMessageA(part, WM_KEYDOWN, VK_DELETE, 1);
  Pump();
  EXPECT_EQ(edit->GetText(), "typed");
  char shown[32]{};
  GetWindowTextA(part, shown, sizeof shown);
  EXPECT_STREQ(shown, "typed");
  EXPECT_EQ(counter.changes, 0);

  // The edit part's notifications do not reach the control.
  EXPECT_EQ(
      SendMessageA(edit->GetHandle(), WM_COMMAND, MAKEWPARAM(0, EN_CHANGE), reinterpret_cast<LPARAM>(part)),
      1);
  EXPECT_EQ(counter.changes, 0);

  edit->SetReadOnly(false);
  SendMessageA(part, WM_CHAR, 'x', 1);
  Pump();
  EXPECT_NE(edit->GetText(), "typed") << "and take them again when no longer read-only";
  list->SetReadOnly(false);
  SendMessageA(list->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  Pump();
  EXPECT_EQ(list->GetItemIndex(), 2);
}

TEST_F(ComboTest, ItemIndexFromCodeReportsAChangeTheWindowsCreationDoesNot) {
  auto* combo = AddCombo(csDropDownList);
  combo->SetItemIndex(0);
  TCounter counter;
  combo->OnChange = TNotifyEvent(&counter, &TCounter::Change);
  Show();
  EXPECT_EQ(combo->GetItemIndex(), 0);
  EXPECT_EQ(counter.changes, 0) << "the selection handed to the new window is no user's choice";
  combo->SetItemIndex(2);
  EXPECT_EQ(counter.changes, 1);
  EXPECT_EQ(combo->GetText(), "COM2");
  // Every index set from code is reported once, the same one too.
  combo->SetItemIndex(2);
  EXPECT_EQ(counter.changes, 2);
  SendMessageA(combo->GetHandle(), CB_SETCURSEL, 1, 0);
  EXPECT_EQ(counter.changes, 3);
  // A new window takes the selection over quietly.
  combo->RecreateWnd();
  combo->HandleNeeded();
  EXPECT_EQ(combo->GetItemIndex(), 1);
  EXPECT_EQ(counter.changes, 3);
}

// The client area is the room inside the style's border; the toolkit's sizing, painting and
// mouse tracking still go by the whole window.
TEST_F(ComboTest, TheClientRectangleLiesFourPixelsInside) {
  auto* combo = AddCombo(csDropDownList);
  EXPECT_EQ(combo->GetClientRect(), (RECT{4, 4, 136, 17}));
  Show();
  const int height = combo->GetHeight();
  EXPECT_EQ(combo->GetClientRect(), (RECT{4, 4, 136, height - 4}));
  EXPECT_EQ(combo->GetClientWidth(), 132);
  combo->SetClientWidth(100);
  EXPECT_EQ(combo->GetWidth(), 108);
  // Over its edge, outside the narrowed rectangle, the mouse is still over the combo box.
  static POINT cursor{};
  cursor = combo->ClientToScreen(POINT{1, 1});
  tk_detail::SetCursorSource([](POINT* p) {
    *p = cursor;
    return true;
  });
  SendMessageA(combo->GetHandle(), WM_MOUSEMOVE, 0, MAKELPARAM(1, 1));
  EXPECT_EQ(GetMouseControl(), combo);
  tk_detail::SetCursorSource(nullptr);
}

// The list reads as closed up when OnCloseUp runs.
TEST_F(ComboTest, OnCloseUpSeesTheListClosed) {
  auto* combo = AddCombo(csDropDownList);
  Show();
  struct Probe : TObject {
    TsComboBox* combo = nullptr;
    int calls = 0;
    bool dropped = true;
    void CloseUp(TObject*) {
      ++calls;
      dropped = combo->GetDroppedDown();
    }
  } probe;
  probe.combo = combo;
  combo->OnCloseUp = TNotifyEvent(&probe, &Probe::CloseUp);
  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->GetDroppedDown());
  combo->Perform(CN_COMMAND, MAKEWPARAM(0, CBN_CLOSEUP), 0);
  EXPECT_GE(probe.calls, 1);
  EXPECT_FALSE(probe.dropped);
  EXPECT_FALSE(combo->GetDroppedDown());
}

TEST_F(ComboTest, WithoutAGlyphMaskTheButtonIsTheBuiltInPicture) {
  auto* plain = AddCombo(csDropDownList);
  Show();
  ASSERT_NE(ComboButtonBitmap(), nullptr);
  EXPECT_EQ(SizeOf(plain).cx, 19);
  EXPECT_EQ(SizeOf(plain).cy, 17);
  EXPECT_EQ(plain->ButtonRect().right, plain->GetWidth() - 3);

  LoadSkin();
  auto* skinned = AddCombo(csDropDownList, 40);
  auto* other = AddCombo(csDropDownList, 70);
  other->GetSkinStyle()->SetSkinSection("TsEdit");  // a section without "GLYPHMASK"
  EXPECT_EQ(SizeOf(skinned).cx, 17);
  EXPECT_EQ(SizeOf(skinned).cy, 15);
  EXPECT_EQ(SizeOf(other).cx, 19);
  EXPECT_EQ(SizeOf(other).cy, 17);
}

// Centred: top = (Height - button height) div 2 and bottom = Height - top, one pixel more when
// the room left is odd.
TEST_F(ComboTest, TheButtonRectangleIsCentredFromBothEdges) {
  auto* combo = AddCombo(csDropDownList);
  Show();
  const int height = combo->GetHeight();
  const int glyph_height = height % 2 ? 14 : 15;  // odd room left above and below
  TBitmap* glyph = New<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(3 * 10, 2 * glyph_height);
  combo->GetGlyphMode()->SetUseDefaultGlyph(false);
  combo->GetGlyphMode()->SetGlyph(glyph);
  Free(glyph);
  const RECT r = combo->ButtonRect();
  const int top = (height - glyph_height) / 2;
  EXPECT_EQ(r, (RECT{combo->GetWidth() - 3 - 10, top, combo->GetWidth() - 3, height - top}));
  EXPECT_EQ(r.bottom - r.top, glyph_height + 1);
}

TEST_F(ComboTest, TheButtonShowsNormalHotAndDroppedFromTheGlyphMask) {
  LoadSkin();
  auto* combo = AddCombo(csDropDownList);
  auto* other = Add<TsEdit>(10, 60);
  combo->SetItemIndex(1);
  Show();
  other->SetFocus();
  Settle();
  const int mask = GetMaskIndex(GetSkinIndex("TsComboBox"), "TsComboBox", "GLYPHMASK");
  ASSERT_TRUE(IsValidImgIndex(mask));
  const RECT r = combo->ButtonRect();
  const SIZE size = GetMaskFrameSize(mask);
  // What each state should look like: the mask's state over the face colour.
  auto expected = [&](int state, int x, int y) {
    TBitmap* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(size.cx, size.cy);
    bmp->GetCanvas()->GetBrush()->SetColor(combo->GetSkinStyle()->GetActualColor());
    bmp->GetCanvas()->FillRect(RECT{0, 0, size.cx, size.cy});
    DrawSkinGlyph(bmp, POINT{0, 0}, state, SkinMasks[mask]);
    const TColor c = bmp->GetCanvas()->GetPixels(x, y);
    Free(bmp);
    return c;
  };
  auto shown = [&](int x, int y) { return ScreenPixel(combo, r.left + x, r.top + y); };
  const POINT probes[] = {{0, 7}, {8, 7}, {9, 7}, {3, 3}, {12, 12}};
  auto matches = [&](int state) {
    for (POINT p : probes)
      if (shown(p.x, p.y) != expected(state, p.x, p.y)) return false;
    return true;
  };
  ASSERT_NE(expected(0, 0, 7), expected(1, 0, 7)) << "the states must differ where probed";
  EXPECT_TRUE(matches(0)) << "normal";
  EXPECT_EQ(combo->ButtonState(), 0);

  combo->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(combo->ButtonState(), 1);
  EXPECT_TRUE(PumpUntil([&] { return matches(1); })) << "hot";
  combo->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return matches(0); })) << "normal again";

  combo->SetDroppedDown(true);
  EXPECT_EQ(combo->ButtonState(), 2);
  EXPECT_TRUE(PumpUntil([&] { return matches(2); })) << "dropped";
  combo->SetDroppedDown(false);
  Pump();
}

TEST_F(ComboTest, HoverRepaintsOnlyTheButtonUnlessTheListIsOpen) {
  LoadSkin();
  auto* combo = AddCombo(csDropDownList);
  auto* other = Add<TsEdit>(10, 60);
  Show();
  other->SetFocus();
  Settle();
  TsStyle* style = combo->GetSkinStyle();
  style->BGChanged = false;
  combo->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_FALSE(style->BGChanged) << "the button area alone";
  combo->Perform(CM_MOUSELEAVE, 0, 0);

  // Every style with a parent, and one whose window is not made yet.
  auto* simple = AddCombo(csSimple, 40);
  simple->HandleNeeded();
  auto* holder = New<TForm>(nullptr, kCreateNew);  // never shown: no windows made on it
  auto* windowless = New<TsComboBox>(holder);
  windowless->SetParent(holder);
  ASSERT_FALSE(windowless->HandleAllocated());
  for (TsComboBox* box : {simple, windowless}) {
    box->GetSkinStyle()->BGChanged = false;
    box->Perform(CM_MOUSEENTER, 0, 0);
    EXPECT_FALSE(box->GetSkinStyle()->BGChanged) << "the button area alone";
    box->Perform(CM_MOUSELEAVE, 0, 0);
  }
  // Without a parent the whole box.
  windowless->SetParent(nullptr);
  windowless->GetSkinStyle()->BGChanged = false;
  windowless->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(windowless->GetSkinStyle()->BGChanged) << "no parent";
  Free(holder);

  combo->SetDroppedDown(true);
  ASSERT_TRUE(combo->GetDroppedDown());
  ASSERT_FALSE(combo->Focused());
  style->BGChanged = false;
  combo->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(style->BGChanged) << "the whole box";
  combo->SetDroppedDown(false);
  Pump();
}

TEST_F(ComboTest, ADisabledComboBoxShowsGreyTextAndAFadedButton) {
  auto* combo = AddCombo(csDropDownList);
  auto* enabled = AddCombo(csDropDownList, 40);
  combo->SetItemIndex(1);
  enabled->SetItemIndex(1);
  combo->SetEnabled(false);
  Show();
  Settle();
  auto count = [&](TsComboBox* c, TColor color, RECT area) {
    int n = 0;
    for (int y = area.top; y < area.bottom; ++y)
      for (int x = area.left; x < area.right; ++x) n += ScreenPixel(c, x, y) == color;
    return n;
  };
  const RECT text = combo->TextRect();
  EXPECT_GT(count(combo, 0x808080, text), 5) << "grey text";
  EXPECT_EQ(count(enabled, 0x808080, text), 0);
  // The arrow (the darkest pixels of the picture) is lighter on the disabled button.
  const RECT r = combo->ButtonRect();
  auto darkest = [&](TsComboBox* c) {
    int low = 255 * 3;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) {
        const TColor p = ScreenPixel(c, x, y);
        low = std::min(low, GetRValue(p) + GetGValue(p) + GetBValue(p));
      }
    return low;
  };
  EXPECT_LT(darkest(enabled), 3 * 0x40);
  EXPECT_GT(darkest(combo), darkest(enabled) + 3 * 0x60);
}

// The text shows selected while the window has the focus or the style holds it: entered as
// the form's active control before the window took the focus, or focused in an edit part.
TEST_F(ComboTest, TheTextIsSelectedWhileFocusedOrWhileTheStyleHoldsTheFocus) {
  auto* list = AddCombo(csDropDownList);
  list->SetItemIndex(1);
  auto* editable = AddCombo(csDropDown, 40);
  auto* other = Add<TsEdit>(10, 70);
  Show();
  other->SetFocus();
  Settle();
  const RECT text = list->TextRect();
  const TColor highlight = ColorToRGB(clHighlight);
  auto selected = [&] {
    int n = 0;
    for (int y = text.top; y < text.bottom; ++y)
      for (int x = text.left; x < text.right; ++x) n += ScreenPixel(list, x, y) == highlight;
    return n > 5;
  };
  EXPECT_FALSE(selected());
  list->Perform(CM_ENTER);
  list->Invalidate();
  Settle();
  EXPECT_FALSE(list->Focused());
  EXPECT_TRUE(selected()) << "entered";
  list->Perform(CM_EXIT);
  Settle();
  EXPECT_FALSE(selected()) << "left";

  ::SetFocus(editable->GetEditHandle());
  Pump();
  ASSERT_TRUE(editable->Focused());
  editable->Invalidate();
  EXPECT_TRUE(editable->GetSkinStyle()->GetFocused());
}

TEST_F(ComboTest, TheSystemsOwnTextPaintIsCoveredAgainAfterASelection) {
  LoadSkin();
  auto* combo = AddCombo(csDropDownList);
  combo->SetAlignment(taRightJustify);
  combo->SetItemIndex(1);
  auto* other = Add<TsEdit>(10, 60);
  Show();
  other->SetFocus();
  Settle();
  const RECT text = combo->TextRect();
  // Right-aligned: the left half of the text area keeps the colour under the text (the face,
  // or the selection while focused) whatever is selected; the system's own paint would put
  // the text at the left.
  auto left_half_clean = [&] {
    const bool focused = combo->Focused();
    const TColor under = focused ? ColorToRGB(clHighlight) : combo->GetSkinStyle()->GetActualColor();
    for (int y = text.top + 1; y < text.bottom - 2; ++y)
      for (int x = text.left + 1; x < (text.left + text.right) / 2; ++x)
        if (ScreenPixel(combo, x, y) != under) return false;
    return true;
  };
  EXPECT_TRUE(left_half_clean());
  combo->SetFocus();
  Settle();
  EXPECT_TRUE(left_half_clean()) << "focused";
  SendMessageA(combo->GetHandle(), WM_KEYDOWN, VK_DOWN, 1);
  Settle();
  EXPECT_EQ(combo->GetItemIndex(), 2);
  EXPECT_TRUE(left_half_clean()) << "chosen by key";
  combo->SetDroppedDown(true);
  Settle();
  SendMessageA(combo->GetListHandle(), WM_KEYDOWN, VK_DOWN, 1);
  SendMessageA(combo->GetListHandle(), WM_KEYDOWN, VK_RETURN, 1);
  Settle();
  EXPECT_TRUE(left_half_clean()) << "chosen in the list";
  other->SetFocus();
  Settle();
  EXPECT_TRUE(left_half_clean()) << "left";
  for (int index : {2, 3, 0}) {
    SendMessageA(combo->GetHandle(), CB_SETCURSEL, index, 0);
    Settle();
    EXPECT_TRUE(left_half_clean()) << index;
  }
}

}  // namespace
