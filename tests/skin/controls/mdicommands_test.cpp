// System commands of a skinned MDI main form and its children, and the size steps of a skinned
// form: which windows have their frames painted again before the command returns, and how the
// main form's frame waits while a child changes state. The messages the windows get are read
// by a hook on this thread; the mouse is never moved.
#include <gtest/gtest.h>

#include <functional>
#include <utility>
#include <vector>

#include "skin/controls/sframemouse.h"
#include "skin/controls/ssystemmenu.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/menus.h"

namespace {

// The application's first form is its main form: an MDI frame needs to be that one.
class TCommandsFrame : public TForm {
  TK_CLASS(TCommandsFrame, TForm)

 public:
  explicit TCommandsFrame(TComponent* owner) : TForm(owner, kCreateNew) {
    SetFormStyle(fsMDIForm);
    SetBounds(40, 40, 480, 360);
    SetText("Heats");
  }
};
TK_CLASS_INFO(TCommandsFrame, TForm)

// While it lives, writes down every message sent to a window of this thread, and what
// `probe` says when one of them is `probed` (a WM_SYSCOMMAND unless said).
class TSentLog {
 public:
  explicit TSentLog(std::function<bool()> probe = nullptr, UINT probed = WM_SYSCOMMAND)
      : probe_(std::move(probe)), probed_message_(probed) {
    current_ = this;
    hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &HookProc, nullptr, GetCurrentThreadId());
  }
  ~TSentLog() {
    if (hook_) UnhookWindowsHookEx(hook_);
    current_ = nullptr;
  }
  TSentLog(const TSentLog&) = delete;
  TSentLog& operator=(const TSentLog&) = delete;

  bool Got(HWND window, UINT msg) const {
    for (const auto& sent : sent_)
      if (sent.first == window && sent.second == msg) return true;
    return false;
  }
  const std::vector<bool>& Probed() const { return probed_; }

 private:
  static LRESULT CALLBACK HookProc(int code, WPARAM wparam, LPARAM lparam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && current_) {
      current_->sent_.emplace_back(m->hwnd, m->message);
      if (m->message == current_->probed_message_ && current_->probe_)
        current_->probed_.push_back(current_->probe_());
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
  }

  static inline TSentLog* current_ = nullptr;
  HHOOK hook_ = nullptr;
  std::function<bool()> probe_;
  UINT probed_message_;
  std::vector<std::pair<HWND, UINT>> sent_;
  std::vector<bool> probed_;
};

class MDICommands : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    ASSERT_EQ(Application->GetMainForm(), nullptr);
    frame = Application->CreateForm<TCommandsFrame>();
    RegisterSkinEngineClasses();
    manager = New<TsSkinManager>(nullptr);
    ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  }
  void TearDown() override {
    for (TForm* child : children) Free(child);
    Free(frame);
    Pump();
    Free(manager);
    SkinTest::TearDown();
  }
  // The skinned frame with a one-item menu line and two skinned children.
  void Show() {
    auto* menu = New<TMainMenu>(frame);
    auto* file = New<TMenuItem>(frame);
    file->SetCaption("&File");
    menu->GetItems()->Add(file);
    frame->SetMenu(menu);
    provider = New<TsSkinProvider>(frame);
    frame->Show();
    ASSERT_TRUE(provider->Skinned());
    for (int i = 0; i < 2; ++i) {
      TForm* child = New<TForm>(Application, kCreateNew);
      child->SetFormStyle(fsMDIChild);
      child->SetBounds(20 + 40 * i, 20 + 30 * i, 220, 160);
      child->SetText("Heat " + std::to_string(i + 1));
      New<TsSkinProvider>(child);
      child->Show();
      children.push_back(child);
    }
    ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  }
  bool Settled() {
    Pump();
    return !GetUpdateRect(frame->GetHandle(), nullptr, FALSE) &&
           !GetUpdateRect(frame->GetClientHandle(), nullptr, FALSE);
  }
  void Maximize(TForm* child) {
    SendMessageA(frame->GetClientHandle(), WM_MDIMAXIMIZE, reinterpret_cast<WPARAM>(child->GetHandle()), 0);
    ASSERT_TRUE(PumpUntil([&] { return IsZoomed(child->GetHandle()) && Settled(); }));
  }
  bool MainUpdating() { return provider->GetCommonData()->Updating(); }
  static LRESULT Command(TForm* form, WPARAM command) {
    return SendMessageA(form->GetHandle(), WM_SYSCOMMAND, command, 0);
  }
  // A press and release of the title button `code` of `form`, as the system sends them.
  static void ClickTitleButton(TForm* form, int code, TsSkinProvider* form_provider) {
    TsTitleButtonData* button = form_provider->GetFrameMouse()->ButtonOf(code);
    RECT w{};
    GetWindowRect(form->GetHandle(), &w);
    const LPARAM at =
        MAKELPARAM(w.left + (button->Left + button->Right) / 2, w.top + (button->Top + button->Bottom) / 2);
    SendMessageA(form->GetHandle(), WM_NCLBUTTONDOWN, code, at);
    SendMessageA(form->GetHandle(), WM_NCLBUTTONUP, code, at);
  }
  static TsSkinProvider* ProviderOf(TForm* form) {
    return reinterpret_cast<TsSkinProvider*>(SendMessageA(form->GetHandle(), SKM_GETPROVIDER, 0, 0));
  }

  TDesktopLock desktop;
  TCommandsFrame* frame = nullptr;
  std::vector<TForm*> children;
  TsSkinProvider* provider = nullptr;
  TsSkinManager* manager = nullptr;
};

}  // namespace

// A child restored from maximized uncovers its siblings and the client's ring: their frames
// and the main form's (its menu line loses the child's buttons) are painted again at once.
TEST_F(MDICommands, AChildsStateChangeRepaintsTheMainFrameItsClientAndTheOtherChildren) {
  Show();
  Maximize(children[0]);
  {
    TSentLog log;
    Command(children[0], SC_RESTORE);
    EXPECT_TRUE(log.Got(children[1]->GetHandle(), WM_NCPAINT));
    EXPECT_TRUE(log.Got(frame->GetHandle(), WM_NCPAINT));
    EXPECT_TRUE(log.Got(frame->GetClientHandle(), WM_NCPAINT));
  }
  EXPECT_FALSE(MainUpdating());
  EXPECT_FALSE(IsZoomed(children[0]->GetHandle()));
  // Minimized from normal: the main frame again, the client's ring was never covered.
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  {
    TSentLog log;
    Command(children[1], SC_MINIMIZE);
    EXPECT_TRUE(log.Got(frame->GetHandle(), WM_NCPAINT));
  }
  EXPECT_FALSE(MainUpdating());
  EXPECT_TRUE(IsIconic(children[1]->GetHandle()));
}

// The menu line's minimize button and a child's own maximize button hold the main form's frame
// until the child has handled the command; the child lets it go.
TEST_F(MDICommands, AChildsButtonsHoldTheMainFrameWhileTheChildChangesState) {
  Show();
  TsSkinProvider* child_provider = ProviderOf(children[1]);
  ASSERT_NE(child_provider, nullptr);
  {
    TSentLog log([&] { return MainUpdating(); });
    ClickTitleButton(children[1], HTMAXBUTTON, child_provider);
    ASSERT_FALSE(log.Probed().empty());
    EXPECT_TRUE(log.Probed().front());
  }
  EXPECT_TRUE(IsZoomed(children[1]->GetHandle()));
  EXPECT_FALSE(MainUpdating());
  ASSERT_TRUE(PumpUntil([&] { return Settled(); }));
  {
    TSentLog log([&] { return MainUpdating(); });
    ClickTitleButton(frame, HTMDIMINIMIZE, provider);
    ASSERT_FALSE(log.Probed().empty());
    EXPECT_TRUE(log.Probed().front()) << "the child's minimize";
  }
  EXPECT_TRUE(IsIconic(children[1]->GetHandle()));
  EXPECT_FALSE(MainUpdating());
}

// Other commands may run modal loops (moving, sizing, menus): the main frame is not held.
TEST_F(MDICommands, AChildsOtherCommandsLeaveTheMainFramePainting) {
  Show();
  {
    TSentLog log([&] { return MainUpdating(); }, WM_MDINEXT);
    Command(children[1], SC_NEXTWINDOW);
    ASSERT_FALSE(log.Probed().empty());
    EXPECT_FALSE(log.Probed().front());
  }
  EXPECT_FALSE(MainUpdating());
}

// A size step whose cache is not of the form's size any more makes the frame stale.
TEST_F(MDICommands, ASizeStepMarksTheFrameStaleOnlyWhenTheCacheSizeDiffers) {
  Show();
  TsCommonData* data = provider->GetCommonData();
  RECT r{};
  GetWindowRect(frame->GetHandle(), &r);
  data->BGChanged = false;
  SendMessageA(frame->GetHandle(), WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
  EXPECT_FALSE(data->BGChanged);
  data->GetCacheBmp()->SetSize(10, 10);
  SendMessageA(frame->GetHandle(), WM_SIZING, WMSZ_RIGHT, reinterpret_cast<LPARAM>(&r));
  EXPECT_TRUE(data->BGChanged);
}

// A child minimized from its system menu has its icon frame and client painted at once.
TEST_F(MDICommands, AChildMinimizedFromItsSystemMenuIsPaintedAtOnce) {
  Show();
  TsSystemMenu menu(nullptr, children[0]);
  TSentLog log;
  menu.ItemMinimize->Click();
  EXPECT_TRUE(IsIconic(children[0]->GetHandle()));
  EXPECT_TRUE(log.Got(children[0]->GetHandle(), WM_NCPAINT));
  EXPECT_TRUE(log.Got(children[0]->GetHandle(), WM_PAINT));
}
