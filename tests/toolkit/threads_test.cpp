// Threads: start, end, pause and the hand-over to the main thread.
#include "toolkit/threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>

#include "tests/support/dialog_answerer.h"

namespace {

// Long enough never to be reached by a working build; only keeps a broken one from hanging.
const DWORD kSafetyTimeout = 30000;

// A thread whose Execute is a function given at creation.
class TFunctionThread : public TThread {
 public:
  using TBody = std::function<void(TFunctionThread&)>;
  TFunctionThread(bool create_suspended, TBody body) : TThread(create_suspended), body_(std::move(body)) {}

  using TThread::CheckPaused;
  using TThread::SetReturnValue;
  using TThread::Sleep;
  using TThread::Synchronize;

 protected:
  void Execute() override { body_(*this); }

 private:
  TBody body_;
};

TFunctionThread* StartThread(TFunctionThread::TBody body) {
  return New<TFunctionThread>(false, std::move(body));
}
TFunctionThread* PrepareThread(TFunctionThread::TBody body) {
  return New<TFunctionThread>(true, std::move(body));
}

bool Signalled(TEventObject& event) { return event.WaitFor(kSafetyTimeout) == wrSignaled; }

// Runs the thread's message loop until WM_QUIT.
void RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

// Waits (polling) until the condition holds; false after the safety timeout.
template <class F>
bool Eventually(F condition) {
  for (DWORD waited = 0; waited < kSafetyTimeout; waited += 1) {
    if (condition()) return true;
    ::Sleep(1);
  }
  return condition();
}

// --- Synchronize -------------------------------------------------------------------------------

TEST(Synchronize, RunsOnTheMainThreadFromItsMessageLoopAndWaits) {
  DWORD ran_on = 0;
  bool returned_after_run = false;
  TFunctionThread* worker = StartThread([&](TFunctionThread& self) {
    bool ran = false;
    self.Synchronize([&] {
      ran_on = GetCurrentThreadId();
      ran = true;
      PostQuitMessage(0);
    });
    returned_after_run = ran;
  });
  RunMessageLoop();
  worker->WaitFor();
  Free(worker);
  EXPECT_EQ(ran_on, GetCurrentThreadId());
  EXPECT_TRUE(returned_after_run);
}

TEST(Synchronize, RunsWhileTheMainThreadShowsAModalMessageBox) {
  // The box stays open until the synchronized method closes it, so its answer proves the
  // method ran inside the box's own modal loop.
  TFunctionThread* worker = nullptr;
  bool box_open_during_call = false;
  DWORD ran_on = 0;
  testsupport::DialogWatcher watcher([&](HWND box) {
    worker = StartThread([&, box](TFunctionThread& self) {
      self.Synchronize([&, box] {
        ran_on = GetCurrentThreadId();
        box_open_during_call = IsWindowVisible(box) != FALSE;
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
      });
    });
    SetTimer(box, 1, kSafetyTimeout, [](HWND wnd, UINT, UINT_PTR, DWORD) {
      PostMessageA(wnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    });
  });
  int answer = MessageBoxA(nullptr, "Waiting for the watcher", "Synchronize", MB_OKCANCEL);
  ASSERT_NE(worker, nullptr);
  worker->WaitFor();
  Free(worker);
  EXPECT_EQ(answer, IDOK);
  EXPECT_EQ(ran_on, GetCurrentThreadId());
  EXPECT_TRUE(box_open_during_call);
}

TEST(Synchronize, ExceptionOfTheMethodIsRaisedInTheCallingThread) {
  std::string caught;
  bool worker_went_on = false;
  TFunctionThread* worker = StartThread([&](TFunctionThread& self) {
    try {
      self.Synchronize([] { throw EConvertError("'x' is not a valid integer value"); });
    } catch (const EConvertError& e) {
      caught = e.Message();
    }
    worker_went_on = true;
  });
  worker->WaitFor();
  EXPECT_EQ(caught, "'x' is not a valid integer value");
  EXPECT_TRUE(worker_went_on);
  EXPECT_EQ(worker->FatalException(), nullptr);
  Free(worker);
}

TEST(Synchronize, OnTheMainThreadRunsTheMethodDirectly) {
  DWORD ran_on = 0;
  Synchronize([&] { ran_on = GetCurrentThreadId(); });
  EXPECT_EQ(ran_on, GetCurrentThreadId());
  EXPECT_THROW(Synchronize([] { throw EConvertError("direct"); }), EConvertError);
}

TEST(Synchronize, AcceptsAnObjectsMethod) {
  struct TCounter {
    int calls = 0;
    void Count() { ++calls; }
  } counter;
  TFunctionThread* worker =
      StartThread([&](TFunctionThread& self) { self.Synchronize(&counter, &TCounter::Count); });
  worker->WaitFor();
  Free(worker);
  EXPECT_EQ(counter.calls, 1);
}

TEST(Synchronize, CheckSynchronizeServesCallsWithoutAMessageLoop) {
  DWORD ran_on = 0;
  TFunctionThread* worker =
      StartThread([&](TFunctionThread& self) { self.Synchronize([&] { ran_on = GetCurrentThreadId(); }); });
  EXPECT_TRUE(Eventually([] { return CheckSynchronize(); }));
  worker->WaitFor();
  Free(worker);
  EXPECT_EQ(ran_on, GetCurrentThreadId());
  EXPECT_FALSE(CheckSynchronize());
}

TEST(Synchronize, CheckSynchronizeOnAnotherThreadRaises) {
  bool raised = false;
  TFunctionThread* worker = StartThread([&](TFunctionThread&) {
    try {
      CheckSynchronize();
    } catch (const EThread&) {
      raised = true;
    }
  });
  worker->WaitFor();
  Free(worker);
  EXPECT_TRUE(raised);
}

TEST(Synchronize, AfterShutDownRaisesInsteadOfWaiting) {
  FinalizeThreadsUnit();
  bool ran = false;
  bool raised = false;
  TFunctionThread* worker = StartThread([&](TFunctionThread& self) {
    try {
      self.Synchronize([&] { ran = true; });
    } catch (const EThread&) {
      raised = true;
    }
  });
  worker->WaitFor();
  Free(worker);
  InitThreadsUnit();
  EXPECT_TRUE(raised);
  EXPECT_FALSE(ran);
}

TEST(Synchronize, ShutDownReleasesAThreadWaitingForTheMainThread) {
  // The main thread serves no calls here (no message loop, no WaitFor) until it shuts down.
  TSimpleEvent calling;
  bool ran = false;
  bool raised = false;
  TFunctionThread* worker = StartThread([&](TFunctionThread& self) {
    calling.SetEvent();
    try {
      self.Synchronize([&] { ran = true; });
    } catch (const EThread&) {
      raised = true;
    }
  });
  ASSERT_TRUE(Signalled(calling));
  ::Sleep(20);  // lets the call reach the queue; the outcome is the same if it does not
  FinalizeThreadsUnit();
  worker->WaitFor();
  Free(worker);
  InitThreadsUnit();
  EXPECT_TRUE(raised);
  EXPECT_FALSE(ran);
}

// --- TThread -----------------------------------------------------------------------------------

TEST(Thread, CreatedSuspendedRunsOnlyAfterStart) {
  TSimpleEvent ran;
  TFunctionThread* thread = PrepareThread([&](TFunctionThread&) { ran.SetEvent(); });
  EXPECT_TRUE(thread->Suspended());
  EXPECT_NE(thread->ThreadID(), 0u);
  EXPECT_EQ(ran.WaitFor(0), wrTimeout);
  EXPECT_THROW(thread->WaitFor(), EThread);
  thread->Start();
  thread->WaitFor();
  EXPECT_EQ(ran.WaitFor(0), wrSignaled);
  EXPECT_TRUE(thread->Finished());
  EXPECT_THROW(thread->Start(), EThread);
  Free(thread);
}

// Its Execute reads a field that only the derived constructor sets.
class TAnswerThread : public TThread {
 public:
  TAnswerThread() : TThread(false) { answer_ = 42; }

 protected:
  void Execute() override { SetReturnValue(answer_); }

 private:
  DWORD answer_ = 0;
};

TEST(Thread, CreatedRunningStartsOnceTheObjectIsCompleteAndWaitForGivesTheExitCode) {
  TAnswerThread* thread = New<TAnswerThread>();
  EXPECT_EQ(thread->WaitFor(), 42u);
  EXPECT_EQ(thread->ReturnValue(), 42u);
  DWORD code = 0;
  GetExitCodeThread(thread->Handle(), &code);
  EXPECT_EQ(code, 42u);
  Free(thread);
}

TEST(Thread, ExceptionEscapingExecuteIsKeptAndEndsOnlyTheThread) {
  TFunctionThread* thread = StartThread([](TFunctionThread& self) {
    self.SetReturnValue(3);
    throw EThread("port gone");
  });
  EXPECT_EQ(thread->WaitFor(), 3u);
  ASSERT_NE(thread->FatalException(), nullptr);
  try {
    std::rethrow_exception(thread->FatalException());
  } catch (const EThread& e) {
    EXPECT_EQ(e.Message(), "port gone");
  }
  Free(thread);
}

// Reports its destruction and the thread it happened on.
class TSelfFreeingThread : public TThread {
 public:
  TSelfFreeingThread(TSimpleEvent& freed, DWORD& freed_on)
      : TThread(true), freed_(freed), freed_on_(freed_on) {
    SetFreeOnTerminate(true);
  }
  ~TSelfFreeingThread() override {
    freed_on_ = GetCurrentThreadId();
    freed_.SetEvent();
  }

 protected:
  void Execute() override {}

 private:
  TSimpleEvent& freed_;
  DWORD& freed_on_;
};

TEST(Thread, FreeOnTerminateFreesTheObjectOnItsOwnThread) {
  TSimpleEvent freed;
  DWORD freed_on = 0;
  TSelfFreeingThread* thread = New<TSelfFreeingThread>(freed, freed_on);
  DWORD id = thread->ThreadID();
  thread->Start();
  ASSERT_TRUE(Signalled(freed));
  EXPECT_EQ(freed_on, id);
}

// Its Execute runs until terminated and then notes whether its destructor has run yet.
class TLoopingThread : public TThread {
 public:
  TLoopingThread(TSimpleEvent& running, bool& destroyed, bool& ended_after_destruction)
      : TThread(false),
        running_(running),
        destroyed_(destroyed),
        ended_after_destruction_(ended_after_destruction) {}
  ~TLoopingThread() override { destroyed_ = true; }

 protected:
  void Execute() override {
    running_.SetEvent();
    while (Sleep(INFINITE)) {
    }
    ended_after_destruction_ = destroyed_;
  }

 private:
  TSimpleEvent& running_;
  bool& destroyed_;
  bool& ended_after_destruction_;
};

TEST(Thread, FreeingTheObjectEndsExecuteBeforeAnyDestructorRuns) {
  TSimpleEvent running;
  bool destroyed = false;
  bool ended_after_destruction = true;
  TLoopingThread* thread = New<TLoopingThread>(running, destroyed, ended_after_destruction);
  ASSERT_TRUE(Signalled(running));
  Free(thread);
  EXPECT_TRUE(destroyed);
  EXPECT_FALSE(ended_after_destruction);

  bool executed = false;
  Free(PrepareThread([&](TFunctionThread&) { executed = true; }));
  EXPECT_FALSE(executed);
}

TEST(Thread, PriorityMapsToTheSystemsLevels) {
  TFunctionThread* thread = PrepareThread([](TFunctionThread&) {});
  thread->SetPriority(tpHighest);
  EXPECT_EQ(GetThreadPriority(thread->Handle()), THREAD_PRIORITY_HIGHEST);
  EXPECT_EQ(thread->Priority(), tpHighest);
  thread->SetPriority(tpTimeCritical);
  EXPECT_EQ(GetThreadPriority(thread->Handle()), THREAD_PRIORITY_TIME_CRITICAL);
  thread->SetPriority(tpLower);
  EXPECT_EQ(GetThreadPriority(thread->Handle()), THREAD_PRIORITY_BELOW_NORMAL);
  EXPECT_EQ(thread->Priority(), tpLower);
  Free(thread);
}

TEST(Thread, AThreadCannotWaitForItself) {
  bool raised = false;
  TFunctionThread* thread = StartThread([&](TFunctionThread& self) {
    try {
      self.WaitFor();
    } catch (const EThread&) {
      raised = true;
    }
  });
  thread->WaitFor();
  Free(thread);
  EXPECT_TRUE(raised);
}

// --- Pause and resume -------------------------------------------------------------------------

TEST(ThreadPause, SuspendStopsTheWorkAtASafePointUntilResume) {
  std::atomic<int> rounds{0};
  TFunctionThread* thread = StartThread([&](TFunctionThread& self) {
    while (self.CheckPaused()) ++rounds;
  });
  ASSERT_TRUE(Eventually([&] { return rounds > 0; }));
  thread->Suspend();
  EXPECT_TRUE(thread->Suspended());
  ASSERT_TRUE(Eventually([&] { return thread->Paused(); }));
  int paused_at = rounds;
  ::Sleep(30);
  EXPECT_EQ(rounds, paused_at);
  // Paused by waiting, not stopped by the system: its suspend count is 0.
  DWORD suspend_count = SuspendThread(thread->Handle());
  ResumeThread(thread->Handle());
  EXPECT_EQ(suspend_count, 0u);

  thread->Resume();
  EXPECT_FALSE(thread->Suspended());
  EXPECT_TRUE(Eventually([&] { return rounds > paused_at; }));
  thread->Terminate();
  thread->WaitFor();
  Free(thread);
}

TEST(ThreadPause, TerminateReleasesAPausedThread) {
  TFunctionThread* thread = StartThread([](TFunctionThread& self) {
    while (self.Sleep(1)) {
    }
  });
  thread->Suspend();
  ASSERT_TRUE(Eventually([&] { return thread->Paused(); }));
  thread->Terminate();
  thread->WaitFor();
  EXPECT_FALSE(thread->Paused());
  Free(thread);
}

TEST(ThreadPause, AThreadMayPauseItself) {
  std::atomic<bool> went_on{false};
  TFunctionThread* thread = StartThread([&](TFunctionThread& self) {
    self.Suspend();
    went_on = true;
  });
  ASSERT_TRUE(Eventually([&] { return thread->Paused(); }));
  EXPECT_FALSE(went_on);
  thread->Resume();
  thread->WaitFor();
  EXPECT_TRUE(went_on);
  Free(thread);
}

TEST(ThreadPause, ResumeStartsAThreadCreatedSuspended) {
  TFunctionThread* thread = PrepareThread([](TFunctionThread& self) { self.SetReturnValue(5); });
  thread->Resume();
  EXPECT_EQ(thread->WaitFor(), 5u);
  Free(thread);
}

}  // namespace
