// Forms and the application: forms from stored definitions, showing (modal too), aligned
// children, the keyboard (key preview, dialog keys, focus order), errors reported by the
// application's handler, and the hidden application window.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/dialog_answerer.h"
#include "visual_test_classes.h"

using testing::Contains;
using testing::ElementsAre;
using testing::IsEmpty;
using testing::Not;

namespace {

constexpr LPARAM kKeyData = 1;

void PostKey(TWinControl* to, WORD key) {
  PostMessageA(to->GetHandle(), WM_KEYDOWN, key, kKeyData);
  PostMessageA(to->GetHandle(), WM_KEYUP, key, kKeyData | 0xC0000000);
  Pump();
}

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    Trace().clear();
    form = New<TTestForm>(nullptr, kCreateNew);
    form->SetName("Form");
    // Mostly outside the shared desktop, clear of other tests' windows.
    form->SetBounds(1040, 800, 420, 320);
  }
  void TearDown() override {
    Free(form);
    Pump();
  }
  void ShowActive(TCustomForm* f) {
    f->Show();
    SetActiveWindow(f->GetHandle());
    PumpUntil([&] { return f->GetActive(); });
  }
  template <class T>
  T* Add(const char* name, TWinControl* parent, RECT bounds, TCustomForm* owner = nullptr) {
    T* control = New<T>(owner ? owner : form);
    control->SetName(name);
    control->SetBoundsRect(bounds);
    control->SetParent(parent);
    return control;
  }

  TDesktopLock lock_;
  TTestForm* form = nullptr;
};

// ---- Stored definitions -------------------------------------------------------------------

TEST_F(FormTest, DefinitionBuildsNestedControlsBindsEventsAndRunsOnCreateLast) {
  auto* stored = New<TDefinedForm>(nullptr);
  auto* pnl = static_cast<TTestPanel*>(stored->FindComponent("pnl"));
  auto* ok = static_cast<TTestButton*>(stored->FindComponent("btnOk"));
  auto* fail = static_cast<TTestButton*>(stored->FindComponent("btnFail"));
  auto* shp = static_cast<TControl*>(stored->FindComponent("shp"));
  auto* ed = static_cast<TTestEdit*>(stored->FindComponent("ed"));
  ASSERT_TRUE(pnl && ok && fail && shp && ed);

  // OnCreate saw every component with its stored values.
  EXPECT_THAT(Trace(), ElementsAre("FormCreate 5 OK"));
  EXPECT_EQ(ok->GetParent(), pnl);
  EXPECT_EQ(shp->GetParent(), pnl);
  EXPECT_EQ(pnl->GetParent(), stored);
  EXPECT_EQ(ed->GetParent(), stored);
  EXPECT_TRUE(ok->OnClick == TNotifyEvent(stored, &TTestForm::ButtonClick));
  EXPECT_EQ(stored->GetActiveControl(), ed);
  EXPECT_EQ(ed->GetText(), "typed");
  EXPECT_EQ(fail->GetTabOrder(), 0);
  EXPECT_EQ(ok->GetTabOrder(), 1);
  EXPECT_EQ(stored->GetClientWidth(), 360);
  EXPECT_EQ(stored->GetClientHeight(), 200);
  // Aligned to the top of the client area, at the stored height.
  EXPECT_EQ(pnl->GetBoundsRect().right, 360);
  EXPECT_EQ(pnl->GetHeight(), 50);
  EXPECT_EQ(pnl->GetColor(), clRed);
  EXPECT_EQ(ok->GetColor(), clBtnFace);

  // Visible is true when OnShow runs, before the window is shown; centred on the screen.
  stored->Show();
  EXPECT_THAT(TraceOf("Form"), ElementsAre("FormCreate 5 OK", "FormShow visible=1 window=0"));
  EXPECT_TRUE(IsWindowVisible(stored->GetHandle()));
  EXPECT_EQ(stored->GetLeft(), (GetSystemMetrics(SM_CXSCREEN) - stored->GetWidth()) / 2);
  EXPECT_EQ(stored->GetClientWidth(), 360);

  Free(stored);
  EXPECT_EQ(Trace().back(), "FormDestroy");
}

TEST_F(FormTest, FormWithoutDefinitionCannotBeCreatedByItsClassAlone) {
  EXPECT_THROW(New<TTestForm>(nullptr), EResNotFound);
}

// ---- Showing -----------------------------------------------------------------------------

TEST_F(FormTest, ShowModalEndsWhenAControlSetsTheModalResult) {
  auto* owner = form;
  ShowActive(owner);
  auto* dialog = New<TTestForm>(nullptr, kCreateNew);
  dialog->SetBounds(1060, 820, 200, 120);
  auto* ok = Add<TTestButton>("ok", dialog, {10, 10, 85, 35}, dialog);
  ok->SetModalResult(mrOk);
  bool owner_enabled_while_modal = true;
  struct TProbe : TObject {
    TCustomForm* owner;
    bool* enabled;
    void Click(TObject*) { *enabled = IsWindowEnabled(owner->GetHandle()); }
  } probe;
  probe.owner = owner;
  probe.enabled = &owner_enabled_while_modal;
  ok->OnClick = TNotifyEvent(&probe, &TProbe::Click);
  // The click waits in the queue until the modal loop runs.
  PostMessageA(ok->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({5, 5}));
  PostMessageA(ok->GetHandle(), WM_LBUTTONUP, 0, PointToLParam({5, 5}));

  EXPECT_EQ(dialog->ShowModal(), mrOk);
  EXPECT_FALSE(owner_enabled_while_modal);
  EXPECT_TRUE(IsWindowEnabled(owner->GetHandle()));
  EXPECT_FALSE(dialog->GetVisible());
  EXPECT_FALSE(IsWindowVisible(dialog->GetHandle()));

  // Close in the modal loop gives mrCancel; a modeless form ignores a modal result.
  PostMessageA(dialog->GetHandle(), WM_CLOSE, 0, 0);
  EXPECT_EQ(dialog->ShowModal(), mrCancel);
  dialog->Show();
  TModalResult before = dialog->GetModalResult();
  dialog->SetModalResult(mrOk);
  Pump();
  EXPECT_EQ(dialog->GetModalResult(), before);
  EXPECT_TRUE(dialog->GetVisible());
  EXPECT_THROW(dialog->ShowModal(), EInvalidOperation);
  Free(dialog);
}

TEST_F(FormTest, FormResizesItsAlignedChildren) {
  form->SetClientWidth(400);
  form->SetClientHeight(300);
  auto* top = Add<TTestPanel>("top", form, {0, 0, 10, 40});
  auto* bottom = Add<TTestPanel>("bottom", form, {0, 0, 10, 30});
  auto* left = Add<TTestPanel>("left", form, {0, 0, 50, 10});
  auto* right = Add<TTestPanel>("right", form, {0, 0, 20, 10});
  auto* client = Add<TTestPanel>("client", form, {0, 0, 10, 10});
  auto* custom =
      Add<TTestPanel>("custom", form, {7, 8, 10, 10});  // placed by itself: left, top, right, bottom
  custom->SetAlign(alCustom);
  top->SetAlign(alTop);
  bottom->SetAlign(alBottom);
  left->SetAlign(alLeft);
  right->SetAlign(alRight);
  client->SetAlign(alClient);
  auto bounds = [](TControl* c) {
    RECT r = c->GetBoundsRect();
    return std::vector<long>{r.left, r.top, r.right, r.bottom};
  };
  EXPECT_THAT(bounds(top), ElementsAre(0, 0, 400, 40));
  EXPECT_THAT(bounds(bottom), ElementsAre(0, 270, 400, 300));
  EXPECT_THAT(bounds(left), ElementsAre(0, 40, 50, 270));
  EXPECT_THAT(bounds(right), ElementsAre(380, 40, 400, 270));
  EXPECT_THAT(bounds(client), ElementsAre(50, 40, 380, 270));
  EXPECT_THAT(bounds(custom), ElementsAre(7, 8, 10, 10));

  // The same on a shown window, resized by the system.
  form->Show();
  Pump();
  SetWindowPos(form->GetHandle(), nullptr, 0, 0, form->GetWidth() + 100, form->GetHeight() + 50,
               SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(form->GetClientWidth(), 500);
  EXPECT_THAT(bounds(top), ElementsAre(0, 0, 500, 40));
  EXPECT_THAT(bounds(bottom), ElementsAre(0, 320, 500, 350));
  EXPECT_THAT(bounds(client), ElementsAre(50, 40, 480, 320));
  EXPECT_THAT(bounds(custom), ElementsAre(7, 8, 10, 10));
  RECT window{};
  GetWindowRect(client->GetHandle(), &window);
  EXPECT_EQ(window.right - window.left, 430);

  // A hidden aligned control gives its room to the others.
  top->Hide();
  EXPECT_THAT(bounds(left), ElementsAre(0, 0, 50, 320));
}

TEST_F(FormTest, CanvasIsUsableBeforeShowingAndBorderStyleChangesTheLiveWindow) {
  EXPECT_GT(form->GetCanvas()->TextWidth("Dravolin"), 0);
  EXPECT_TRUE(form->HandleAllocated());
  EXPECT_FALSE(IsWindowVisible(form->GetHandle()));

  HWND window = form->GetHandle();
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME);
  form->SetBorderStyle(bsDialog);
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_THICKFRAME);
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
  form->SetBorderStyle(bsSingle);
  form->SetBorderIcons({biSystemMenu, biMinimize});
  EXPECT_TRUE(GetWindowLongPtrA(window, GWL_STYLE) & WS_MINIMIZEBOX);
  EXPECT_FALSE(GetWindowLongPtrA(window, GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_EQ(form->GetHandle(), window);
}

// ---- Keyboard ----------------------------------------------------------------------------

TEST_F(FormTest, KeyPreviewLetsTheFormSeeKeysFirstAndSwallowThem) {
  auto* button = Add<TTestButton>("btn", form, {10, 10, 85, 35});
  form->OnKeyDown = TKeyEvent(form, &TTestForm::FormKeyDown);
  form->OnKeyPress = TKeyPressEvent(form, &TTestForm::FormKeyPress);
  form->swallow = {VK_F5};
  ShowActive(form);
  Trace().clear();

  // Without preview the form hears nothing.
  PostKey(button, VK_F8);
  EXPECT_THAT(Trace(), ElementsAre("btn:CN_KEYDOWN 119", "btn:KeyDown 119"));

  Trace().clear();
  form->SetKeyPreview(true);
  PostKey(button, VK_F8);
  PostKey(button, VK_F5);
  EXPECT_THAT(Trace(), ElementsAre("btn:CN_KEYDOWN 119", "FormKeyDown 119", "btn:KeyDown 119",
                                   "btn:CN_KEYDOWN 116", "FormKeyDown 116"));

  Trace().clear();
  PostMessageA(button->GetHandle(), WM_CHAR, 'a', kKeyData);
  PostMessageA(button->GetHandle(), WM_CHAR, 'x', kKeyData);
  Pump();
  EXPECT_THAT(Trace(), ElementsAre("FormKeyPress a", "btn:KeyPress a", "FormKeyPress x"));
}

TEST_F(FormTest, EnterClicksTheDefaultButtonAndEscapeTheCancelButton) {
  auto* edit = Add<TTestEdit>("ed", form, {10, 10, 130, 31});
  auto* ok = Add<TTestButton>("ok", form, {10, 50, 85, 75});
  auto* cancel = Add<TTestButton>("cancel", form, {100, 50, 175, 75});
  ok->SetDefault(true);
  cancel->SetCancel(true);
  ShowActive(form);
  edit->SetFocus();
  EXPECT_TRUE(edit->Focused());

  PostKey(edit, VK_RETURN);
  EXPECT_THAT(TraceOf("ok:Click"), ElementsAre("ok:Click"));
  PostKey(edit, VK_ESCAPE);
  EXPECT_THAT(TraceOf("cancel:Click"), ElementsAre("cancel:Click"));
  // An edit does not want Tab: it moves the focus on.
  PostKey(edit, VK_TAB);
  EXPECT_TRUE(ok->Focused());
}

TEST_F(FormTest, F10OrALoneAltLeaveAFormWithoutMenuBarOutOfMenuModeButAltSpaceOpensItsSystemMenu) {
  auto* button = Add<TTestButton>("btn", form, {10, 10, 85, 35});
  ShowActive(form);
  TMenuLoopWatch watch;
  HWND to = button->GetHandle();
  PostMessageA(to, WM_SYSKEYDOWN, VK_F10, kKeyData);
  PostMessageA(to, WM_SYSKEYUP, VK_F10, kKeyData | 0xC0000000);
  PostKey(button, VK_F5);
  PostMessageA(to, WM_SYSKEYDOWN, VK_MENU, kKeyData | (1 << 29));
  PostMessageA(to, WM_SYSKEYUP, VK_MENU, kKeyData | 0xC0000000);
  PostKey(button, VK_F8);
  EXPECT_EQ(watch.Entered(), 0);
  EXPECT_THAT(TraceOf("btn:KeyDown 11"), ElementsAre("btn:KeyDown 116", "btn:KeyDown 119"));

  SendMessageA(form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, ' ');
  EXPECT_EQ(watch.Entered(), 1);
}

TEST_F(FormTest, TabFollowsTabOrderAndFocusChangesAreAnnounced) {
  auto* b1 = Add<TTestButton>("b1", form, {10, 10, 85, 35});
  auto* b2 = Add<TTestButton>("b2", form, {10, 50, 85, 75});
  auto* b3 = Add<TTestButton>("b3", form, {10, 90, 85, 115});
  b3->SetTabOrder(0);
  b2->SetTabStop(false);
  ShowActive(form);
  // The first control in tab order got the focus when the form was activated.
  EXPECT_TRUE(b3->Focused());
  EXPECT_EQ(form->GetActiveControl(), b3);

  Trace().clear();
  PostKey(b3, VK_TAB);
  EXPECT_TRUE(b1->Focused());
  EXPECT_THAT(TraceOf("b3:exit"), ElementsAre("b3:exit focus"));
  EXPECT_THAT(TraceOf("b1:enter"), ElementsAre("b1:enter focus"));
  EXPECT_THAT(Trace(), Contains("b2:focus changed to b1"));
  // b2 is no tab stop: back to the start of the order.
  PostKey(b1, VK_TAB);
  EXPECT_TRUE(b3->Focused());
  // Arrows move among siblings, tab stops or not.
  PostKey(b3, VK_DOWN);
  EXPECT_TRUE(b1->Focused());
  PostKey(b1, VK_DOWN);
  EXPECT_TRUE(b2->Focused());
}

// ---- Errors ------------------------------------------------------------------------------

TEST_F(FormTest, ExceptionInAHandlerIsShownByTheApplication) {
  auto* button = Add<TTestButton>("btn", form, {10, 10, 85, 35});
  button->OnClick = TNotifyEvent(form, &TTestForm::FailingClick);
  ShowActive(form);
  testsupport::MessageBoxAnswerer answerer({IDOK});
  PostMessageA(button->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({5, 5}));
  PostMessageA(button->GetHandle(), WM_LBUTTONUP, 0, PointToLParam({5, 5}));
  Pump();
  ASSERT_EQ(answerer.boxes().size(), 1u);
  EXPECT_EQ(answerer.boxes()[0].text, "The lap time is not valid");
  EXPECT_EQ(answerer.boxes()[0].title, Application->GetTitle());
}

TEST_F(FormTest, ReplacedExceptionHandlerGetsTheExceptionInstead) {
  struct TReport : TObject {
    std::string seen;
    void Handle(TObject*, const Exception& e) { seen = std::string(e.ClassName()) + ": " + e.Message(); }
  } report;
  Application->OnException = TExceptionEvent(&report, &TReport::Handle);
  auto* button = Add<TTestButton>("btn", form, {10, 10, 85, 35});
  button->OnClick = TNotifyEvent(form, &TTestForm::FailingClick);
  testsupport::MessageBoxAnswerer answerer({});
  button->GetHandle();
  PostMessageA(button->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, PointToLParam({5, 5}));
  PostMessageA(button->GetHandle(), WM_LBUTTONUP, 0, PointToLParam({5, 5}));
  Pump();
  Application->OnException = nullptr;
  EXPECT_EQ(report.seen, "EConvertError: The lap time is not valid");
  EXPECT_THAT(answerer.boxes(), IsEmpty());
}

// ---- The application ---------------------------------------------------------------------

TEST_F(FormTest, ApplicationWindowCarriesTheTitleAndRestoresTheMinimisedMainForm) {
  TDefinedForm* main = nullptr;
  Application->CreateForm(main);
  ASSERT_EQ(Application->GetMainForm(), main);
  Application->SetTitle("Dravolin single instance");
  HWND app = FindWindowA(nullptr, "Dravolin single instance");
  EXPECT_EQ(app, Application->GetHandle());
  EXPECT_FALSE(IsWindowVisible(app));
  ShowActive(main);

  Application->Minimize();
  Pump();
  EXPECT_TRUE(IsIconic(main->GetHandle()));
  EXPECT_TRUE(IsIconic(app));

  // What a second instance does with the window it found.
  if (IsIconic(app))
    ShowWindow(app, SW_RESTORE);
  else
    BringWindowToTop(app);
  SetForegroundWindow(app);
  EXPECT_TRUE(
      PumpUntil([&] { return !IsIconic(main->GetHandle()) && GetActiveWindow() == main->GetHandle(); }));
  EXPECT_FALSE(IsWindowVisible(app));
  EXPECT_FALSE(Application->GetMinimized());

  // Not minimised, only behind another window: activating the application brings it back.
  ShowActive(form);
  SetForegroundWindow(app);
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == main->GetHandle(); }));
  Free(main);
  EXPECT_EQ(Application->GetMainForm(), nullptr);
}

// Last: the application stays terminated once Run has ended.
TEST_F(FormTest, ClosingTheMainFormEndsRun) {
  TDefinedForm* main = nullptr;
  Application->CreateForm(main);
  PostMessageA(main->GetHandle(), WM_CLOSE, 0, 0);
  Application->Run();
  EXPECT_TRUE(Application->GetTerminated());
  EXPECT_TRUE(main->GetVisible());
  Free(main);
}

}  // namespace
