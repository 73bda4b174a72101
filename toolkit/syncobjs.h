// Locks and events shared between threads: a critical section, a multi-reader single-writer
// lock, and Win32 events, each with a scoped guard where it has a lock/unlock pair.
#pragma once

#include <windows.h>

#include <utility>
#include <vector>

#include "toolkit/sysutils.h"

TK_EXCEPTION(ESyncObjectError, Exception)

// A recursive mutual-exclusion lock of one process (Win32 critical section).
class TCriticalSection {
 public:
  TCriticalSection();
  ~TCriticalSection();
  TCriticalSection(const TCriticalSection&) = delete;
  TCriticalSection& operator=(const TCriticalSection&) = delete;

  void Enter() { EnterCriticalSection(&section_); }
  void Leave() { LeaveCriticalSection(&section_); }
  // True when the lock was taken (it is free or already this thread's).
  bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }

 private:
  CRITICAL_SECTION section_;
};

// Many readers or one writer. Both kinds nest on one thread, and a writer may also read.
// A reader that asks for the write lock would wait for itself (or, with two such readers,
// for each other) for ever, so BeginWrite raises ESyncObjectError instead; the caller keeps
// its read lock. Ending a lock this thread does not hold raises as well. Waiting writers
// go before new readers, so a steady stream of readers cannot starve a writer; a thread
// that already reads is let in again, since holding it back behind a writer would deadlock.
class TMultiReadExclusiveWriteSynchronizer {
 public:
  TMultiReadExclusiveWriteSynchronizer() = default;
  ~TMultiReadExclusiveWriteSynchronizer() = default;
  TMultiReadExclusiveWriteSynchronizer(const TMultiReadExclusiveWriteSynchronizer&) = delete;
  TMultiReadExclusiveWriteSynchronizer& operator=(const TMultiReadExclusiveWriteSynchronizer&) = delete;

  void BeginRead();
  void EndRead();
  void BeginWrite();
  void EndWrite();

 private:
  struct TReader {
    DWORD thread;
    int depth;
  };
  TReader* FindReader(DWORD thread);
  void DropReader(DWORD thread);

  SRWLOCK state_lock_ = SRWLOCK_INIT;  // guards the fields below
  CONDITION_VARIABLE changed_ = CONDITION_VARIABLE_INIT;
  std::vector<TReader> readers_;  // threads holding the read lock, with their nesting depth
  DWORD writer_ = 0;              // thread holding the write lock, 0 when none
  int write_depth_ = 0;
  int waiting_writers_ = 0;
};

enum TWaitResult { wrSignaled, wrTimeout, wrAbandoned, wrError };

// A Win32 event object; owns its handle. (Event handlers, the other kind of "event", are
// TEvent<...> of events.h.)
class TEventObject {
 public:
  // An unnamed event; manual_reset keeps it signalled until ResetEvent.
  TEventObject(bool manual_reset, bool initial_state);
  ~TEventObject();
  TEventObject(const TEventObject&) = delete;
  TEventObject& operator=(const TEventObject&) = delete;

  void SetEvent() { ::SetEvent(handle_); }
  void ResetEvent() { ::ResetEvent(handle_); }
  TWaitResult WaitFor(DWORD timeout = INFINITE);
  HANDLE Handle() const { return handle_; }

 private:
  HANDLE handle_;
};

// Manual reset, initially not signalled: the usual "it has happened" flag.
class TSimpleEvent : public TEventObject {
 public:
  TSimpleEvent() : TEventObject(true, false) {}
};

// Scoped holders: the lock is released when the guard goes out of scope.
class TCriticalSectionGuard {
 public:
  explicit TCriticalSectionGuard(TCriticalSection& lock) : lock_(lock) { lock_.Enter(); }
  ~TCriticalSectionGuard() { lock_.Leave(); }
  TCriticalSectionGuard(const TCriticalSectionGuard&) = delete;
  TCriticalSectionGuard& operator=(const TCriticalSectionGuard&) = delete;

 private:
  TCriticalSection& lock_;
};

class TReadGuard {
 public:
  explicit TReadGuard(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginRead(); }
  ~TReadGuard() { lock_.EndRead(); }
  TReadGuard(const TReadGuard&) = delete;
  TReadGuard& operator=(const TReadGuard&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};

class TWriteGuard {
 public:
  explicit TWriteGuard(TMultiReadExclusiveWriteSynchronizer& lock) : lock_(lock) { lock_.BeginWrite(); }
  ~TWriteGuard() { lock_.EndWrite(); }
  TWriteGuard(const TWriteGuard&) = delete;
  TWriteGuard& operator=(const TWriteGuard&) = delete;

 private:
  TMultiReadExclusiveWriteSynchronizer& lock_;
};
