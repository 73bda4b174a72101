#include "toolkit/syncobjs.h"

#include <algorithm>

namespace {

// Holds the exclusive lock on an SRWLOCK for one scope.
class TStateLock {
 public:
  explicit TStateLock(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~TStateLock() { ReleaseSRWLockExclusive(&lock_); }
  TStateLock(const TStateLock&) = delete;
  TStateLock& operator=(const TStateLock&) = delete;

 private:
  SRWLOCK& lock_;
};

}  // namespace

// --- TCriticalSection ----------------------------------------------------------------------

TCriticalSection::TCriticalSection() { InitializeCriticalSection(&section_); }
TCriticalSection::~TCriticalSection() { DeleteCriticalSection(&section_); }

// --- TMultiReadExclusiveWriteSynchronizer ---------------------------------------------------

TMultiReadExclusiveWriteSynchronizer::TReader* TMultiReadExclusiveWriteSynchronizer::FindReader(
    DWORD thread) {
  auto it = std::find_if(readers_.begin(), readers_.end(),
                         [thread](const TReader& r) { return r.thread == thread; });
  return it == readers_.end() ? nullptr : &*it;
}

void TMultiReadExclusiveWriteSynchronizer::DropReader(DWORD thread) {
  std::erase_if(readers_, [thread](const TReader& r) { return r.thread == thread; });
}

void TMultiReadExclusiveWriteSynchronizer::BeginRead() {
  DWORD self = GetCurrentThreadId();
  TStateLock state(state_lock_);
  if (TReader* reader = FindReader(self)) {
    ++reader->depth;
    return;
  }
  // The writer itself may read; it is counted as a reader so EndRead pairs up.
  if (writer_ != self) {
    while (writer_ != 0 || waiting_writers_ > 0)
      SleepConditionVariableSRW(&changed_, &state_lock_, INFINITE, 0);
  }
  readers_.push_back({self, 1});
}

void TMultiReadExclusiveWriteSynchronizer::EndRead() {
  DWORD self = GetCurrentThreadId();
  TStateLock state(state_lock_);
  TReader* reader = FindReader(self);
  if (!reader) throw ESyncObjectError("EndRead without BeginRead");
  if (--reader->depth == 0) {
    DropReader(self);
    if (readers_.empty()) WakeAllConditionVariable(&changed_);
  }
}

void TMultiReadExclusiveWriteSynchronizer::BeginWrite() {
  DWORD self = GetCurrentThreadId();
  TStateLock state(state_lock_);
  if (writer_ == self) {
    ++write_depth_;
    return;
  }
  if (FindReader(self)) throw ESyncObjectError("BeginWrite while this thread holds the read lock");
  ++waiting_writers_;
  while (writer_ != 0 || !readers_.empty()) SleepConditionVariableSRW(&changed_, &state_lock_, INFINITE, 0);
  --waiting_writers_;
  writer_ = self;
  write_depth_ = 1;
}

void TMultiReadExclusiveWriteSynchronizer::EndWrite() {
  TStateLock state(state_lock_);
  if (writer_ != GetCurrentThreadId()) throw ESyncObjectError("EndWrite without BeginWrite");
  if (--write_depth_ == 0) {
    writer_ = 0;
    WakeAllConditionVariable(&changed_);
  }
}

// --- TEventObject ----------------------------------------------------------------------------------

TEventObject::TEventObject(bool manual_reset, bool initial_state)
    : handle_(CreateEventA(nullptr, manual_reset, initial_state, nullptr)) {
  if (!handle_) RaiseLastOSError();
}

TEventObject::~TEventObject() { CloseHandle(handle_); }

TWaitResult TEventObject::WaitFor(DWORD timeout) {
  switch (WaitForSingleObject(handle_, timeout)) {
    case WAIT_OBJECT_0: return wrSignaled;
    case WAIT_TIMEOUT: return wrTimeout;
    case WAIT_ABANDONED: return wrAbandoned;
    default: return wrError;
  }
}
