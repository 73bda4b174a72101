// TTimer: fires on its thread under any message loop (ours or a message box's), stops when
// disabled or freed, and survives a handler that frees it.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <thread>

#include "toolkit/timers.h"

namespace {

// Dispatches messages until done() holds; false when it still does not after a generous
// limit (a guard against hanging, not a timing expectation).
template <class Done>
bool PumpUntil(Done done) {
  const DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > 20000) return false;
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
  }
  return true;
}

void PumpFor(DWORD ms) {
  const DWORD start = GetTickCount();
  PumpUntil([&] { return GetTickCount() - start >= ms; });
}

class TTimerClient : public TComponent {
  TK_CLASS(TTimerClient, TComponent)

 public:
  using TComponent::TComponent;
  TTimer* timer = nullptr;
  int ticks = 0;
  int stop_after = 0;
  DWORD thread = 0;

  void Tick(TObject* sender) {
    EXPECT_EQ(sender, timer);
    thread = GetCurrentThreadId();
    if (++ticks == stop_after) timer->SetEnabled(false);
  }
  void TickAndFree(TObject*) {
    ++ticks;
    FreeAndNil(timer);
  }
  void TickAndCloseMessageBox(TObject*) {
    ++ticks;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM) -> BOOL {
          char name[16] = {};
          GetClassNameA(window, name, sizeof name);
          if (lstrcmpA(name, "#32770") == 0) PostMessageA(window, WM_COMMAND, IDOK, 0);
          return TRUE;
        },
        0);
  }
};
TK_ABSTRACT_CLASS_INFO(TTimerClient, TComponent)

class Timer : public testing::Test {
 protected:
  void SetUp() override {
    client_ = New<TTimerClient>(nullptr);
    client_->timer = New<TTimer>(client_);
  }
  void TearDown() override { Free(client_); }
  TTimerClient* client_;
};

TEST_F(Timer, StartsOnlyWithAHandlerAndStopsWhenDisabledOrWithoutInterval) {
  TTimer* timer = client_->timer;
  EXPECT_EQ(timer->GetInterval(), 1000u);
  EXPECT_TRUE(timer->GetEnabled());
  EXPECT_FALSE(timer->IsRunning());
  timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::Tick));
  EXPECT_TRUE(timer->IsRunning());
  timer->SetInterval(0);
  EXPECT_FALSE(timer->IsRunning());
  timer->SetInterval(50);
  EXPECT_TRUE(timer->IsRunning());
  timer->SetEnabled(false);
  EXPECT_FALSE(timer->IsRunning());
  timer->SetEnabled(true);
  timer->SetOnTimer(nullptr);
  EXPECT_FALSE(timer->IsRunning());
}

TEST_F(Timer, FiresOnItsThreadUnderAMessageLoopUntilDisabled) {
  client_->stop_after = 3;
  client_->timer->SetInterval(10);
  client_->timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::Tick));
  ASSERT_TRUE(PumpUntil([&] { return client_->ticks >= 3; }));
  EXPECT_EQ(client_->thread, GetCurrentThreadId());
  EXPECT_FALSE(client_->timer->IsRunning());
  PumpFor(200);
  EXPECT_EQ(client_->ticks, 3);
}

TEST_F(Timer, AHandlerMayFreeItsTimer) {
  client_->timer->SetInterval(10);
  client_->timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::TickAndFree));
  ASSERT_TRUE(PumpUntil([&] { return client_->ticks >= 1; }));
  EXPECT_EQ(client_->timer, nullptr);
  EXPECT_EQ(client_->GetComponentCount(), 0);
  PumpFor(100);
  EXPECT_EQ(client_->ticks, 1);
}

TEST_F(Timer, FreeingTheTimerStopsItEvenWithATickQueued) {
  client_->timer->SetInterval(1);
  client_->timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::Tick));
  Sleep(50);  // lets a WM_TIMER become due before the timer goes
  FreeAndNil(client_->timer);
  PumpFor(100);
  EXPECT_EQ(client_->ticks, 0);
}

// The thread's hidden timer windows: message-only windows are found only under HWND_MESSAGE.
int TimerWindowsOfThisThread() {
  int count = 0;
  for (HWND w = FindWindowExA(HWND_MESSAGE, nullptr, "DravolinTimerWindow", nullptr); w;
       w = FindWindowExA(HWND_MESSAGE, w, "DravolinTimerWindow", nullptr))
    if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) ++count;
  return count;
}

TEST_F(Timer, TimersOfAThreadShareOneWindowAndEachTicksItsOwnHandler) {
  TTimerClient* others[4];
  for (TTimerClient*& other : others) {
    other = New<TTimerClient>(client_);
    other->timer = New<TTimer>(other);
  }
  EXPECT_EQ(TimerWindowsOfThisThread(), 1);
  client_->stop_after = 2;
  client_->timer->SetInterval(10);
  client_->timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::Tick));
  others[2]->stop_after = 3;
  others[2]->timer->SetInterval(15);
  others[2]->timer->SetOnTimer(TNotifyEvent(others[2], &TTimerClient::Tick));
  // Tick checks that each tick names its own timer.
  ASSERT_TRUE(PumpUntil([&] { return client_->ticks >= 2 && others[2]->ticks >= 3; }));
  PumpFor(100);
  EXPECT_EQ(client_->ticks, 2);
  EXPECT_EQ(others[2]->ticks, 3);
  EXPECT_EQ(others[0]->ticks + others[1]->ticks + others[3]->ticks, 0);
}

TEST_F(Timer, FiresInsideAModalMessageBox) {
  // Should the timer never fire, a helper closes the box so the test fails instead of hanging.
  std::atomic<bool> done{false};
  DWORD ui_thread = GetCurrentThreadId();
  std::thread rescue([&] {
    for (int i = 0; i < 400 && !done; ++i) Sleep(50);
    if (!done)
      EnumThreadWindows(
          ui_thread, [](HWND w, LPARAM) -> BOOL { return PostMessageA(w, WM_COMMAND, IDOK, 0), TRUE; }, 0);
  });
  client_->timer->SetInterval(20);
  client_->timer->SetOnTimer(TNotifyEvent(client_, &TTimerClient::TickAndCloseMessageBox));
  MessageBoxA(nullptr, "Waiting for the timer", "Timer test", MB_OK);
  done = true;
  rescue.join();
  EXPECT_GE(client_->ticks, 1);
}

}  // namespace
