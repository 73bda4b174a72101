// Locks and events under contention between threads. Nothing here measures time: threads
// report what they saw, and a broken lock shows as a wrong count or a violated invariant.
#include "toolkit/syncobjs.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <vector>

#include "toolkit/threads.h"

namespace {

const DWORD kSafetyTimeout = 30000;

class TFunctionThread : public TThread {
 public:
  explicit TFunctionThread(std::function<void()> body) : TThread(false), body_(std::move(body)) {}

 protected:
  void Execute() override { body_(); }

 private:
  std::function<void()> body_;
};

// Runs the bodies on threads of their own and waits for all of them.
void RunConcurrently(const std::vector<std::function<void()>>& bodies) {
  std::vector<TFunctionThread*> threads;
  for (const auto& body : bodies) threads.push_back(New<TFunctionThread>(body));
  for (TFunctionThread* thread : threads) {
    thread->WaitFor();
    EXPECT_EQ(thread->FatalException(), nullptr);
    Free(thread);
  }
}

// Runs body on another thread; true when it finished within the safety timeout (a thread
// that hangs on a lock is left behind, failing the test instead of hanging it).
bool RunsToEndOnAnotherThread(std::function<void()> body) {
  auto* done = new TSimpleEvent;
  auto* thread = New<TFunctionThread>([body, done] {
    body();
    done->SetEvent();
  });
  bool finished = done->WaitFor(kSafetyTimeout) == wrSignaled;
  if (finished) {
    thread->WaitFor();
    Free(thread);
    delete done;
  }
  return finished;
}

// --- TCriticalSection --------------------------------------------------------------------------

TEST(CriticalSection, ExcludesOtherThreadsAndNestsOnItsOwn) {
  TCriticalSection lock;
  {
    TCriticalSectionGuard guard(lock);
    EXPECT_TRUE(lock.TryEnter());  // nested on the same thread
    lock.Leave();
    bool other_got_it = true;
    ASSERT_TRUE(RunsToEndOnAnotherThread([&] { other_got_it = lock.TryEnter(); }));
    EXPECT_FALSE(other_got_it);
  }
  bool other_got_it = false;
  ASSERT_TRUE(RunsToEndOnAnotherThread([&] {
    other_got_it = lock.TryEnter();
    if (other_got_it) lock.Leave();
  }));
  EXPECT_TRUE(other_got_it);
}

// --- TMultiReadExclusiveWriteSynchronizer ------------------------------------------------------

TEST(MultiReadExclusiveWrite, ReadersShareTheLock) {
  TMultiReadExclusiveWriteSynchronizer lock;
  TReadGuard held(lock);
  EXPECT_TRUE(RunsToEndOnAnotherThread([&] { TReadGuard also(lock); }));
}

TEST(MultiReadExclusiveWrite, WritersExcludeReadersAndEachOtherUnderContention) {
  TMultiReadExclusiveWriteSynchronizer lock;
  // Writers change the pair one half at a time; a reader or a second writer inside at the
  // same moment would see it split.
  long first = 0, second = 0;
  std::atomic<int> readers_inside{0}, writers_inside{0}, violations{0};
  const int kRounds = 3000;
  auto writer = [&] {
    for (int i = 0; i < kRounds; ++i) {
      TWriteGuard guard(lock);
      if (++writers_inside != 1 || readers_inside != 0) ++violations;
      ++first;
      if (i % 16 == 0) SwitchToThread();
      ++second;
      --writers_inside;
    }
  };
  auto reader = [&] {
    for (int i = 0; i < kRounds; ++i) {
      TReadGuard guard(lock);
      ++readers_inside;
      if (writers_inside != 0 || first != second) ++violations;
      if (i % 16 == 0) SwitchToThread();
      --readers_inside;
    }
  };
  RunConcurrently({writer, reader, writer, reader, reader});
  EXPECT_EQ(violations, 0);
  EXPECT_EQ(first, 2 * kRounds);
  EXPECT_EQ(second, 2 * kRounds);
}

TEST(MultiReadExclusiveWrite, AReaderAskingToWriteIsRefusedAndKeepsItsReadLock) {
  TMultiReadExclusiveWriteSynchronizer lock;
  lock.BeginRead();
  EXPECT_THROW(lock.BeginWrite(), ESyncObjectError);
  // Still a reader: others may read but not write.
  EXPECT_TRUE(RunsToEndOnAnotherThread([&] { TReadGuard also(lock); }));
  lock.EndRead();
  EXPECT_TRUE(RunsToEndOnAnotherThread([&] { TWriteGuard now(lock); }));
}

TEST(MultiReadExclusiveWrite, LocksNestOnOneThreadAndAreFreeAfterTheLastEnd) {
  TMultiReadExclusiveWriteSynchronizer lock;
  lock.BeginWrite();
  lock.BeginWrite();
  lock.BeginRead();  // a writer may read
  lock.BeginRead();
  lock.EndRead();
  lock.EndRead();
  lock.EndWrite();
  lock.EndWrite();
  lock.BeginRead();
  lock.BeginRead();
  lock.EndRead();
  lock.EndRead();
  EXPECT_TRUE(RunsToEndOnAnotherThread([&] { TWriteGuard other(lock); }));
}

TEST(MultiReadExclusiveWrite, ANestedReadIsNotHeldBackByAWaitingWriter) {
  TMultiReadExclusiveWriteSynchronizer lock;
  lock.BeginRead();
  TSimpleEvent writing;
  bool wrote = false;
  auto* writer = New<TFunctionThread>([&] {
    writing.SetEvent();
    TWriteGuard guard(lock);
    wrote = true;
  });
  ASSERT_EQ(writing.WaitFor(kSafetyTimeout), wrSignaled);
  ::Sleep(20);       // lets the writer start waiting; the test holds either way
  lock.BeginRead();  // would deadlock if it queued behind the writer
  EXPECT_FALSE(wrote);
  lock.EndRead();
  lock.EndRead();
  writer->WaitFor();
  Free(writer);
  EXPECT_TRUE(wrote);
}

TEST(MultiReadExclusiveWrite, EndingALockNotHeldRaises) {
  TMultiReadExclusiveWriteSynchronizer lock;
  EXPECT_THROW(lock.EndRead(), ESyncObjectError);
  EXPECT_THROW(lock.EndWrite(), ESyncObjectError);
  lock.BeginWrite();
  bool raised = false;
  ASSERT_TRUE(RunsToEndOnAnotherThread([&] {
    try {
      lock.EndWrite();
    } catch (const ESyncObjectError&) {
      raised = true;
    }
  }));
  EXPECT_TRUE(raised);
  lock.EndWrite();
}

// --- Events ----------------------------------------------------------------------------------

TEST(EventObject, ManualResetStaysSignalledAutoResetServesOneWait) {
  TEventObject manual(true, false);
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);
  manual.SetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  EXPECT_EQ(manual.WaitFor(0), wrSignaled);
  manual.ResetEvent();
  EXPECT_EQ(manual.WaitFor(0), wrTimeout);

  TEventObject automatic(false, true);
  EXPECT_EQ(automatic.WaitFor(0), wrSignaled);
  EXPECT_EQ(automatic.WaitFor(0), wrTimeout);
}

}  // namespace
