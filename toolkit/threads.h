// Worker threads and the hand-over of work to the user-interface (main) thread.
//
// Synchronize posts the call to a hidden window that the main thread creates at start-up
// (the "Threads" unit, see startup.h) and waits for it, so the main thread runs it from
// whatever message loop it is in: the application's, a modal form's or a message box's.
// Loops that do not dispatch messages may call CheckSynchronize instead.
//
// Shut-down: finalising the unit destroys the window and fails every call still waiting
// with EThread; a Synchronize after that (or before start-up) raises EThread at once
// without running the method. So a worker never waits for a main thread that has stopped
// serving it.
#pragma once

#include <windows.h>

#include <atomic>
#include <concepts>
#include <exception>
#include <functional>
#include <type_traits>
#include <utility>

#include "toolkit/object.h"
#include "toolkit/syncobjs.h"
#include "toolkit/sysutils.h"

TK_EXCEPTION(EThread, Exception)

// A parameterless method of an object, or any callable (a TEvent<> method reference among
// them), to run on the main thread.
class TThreadMethod {
 public:
  TThreadMethod() = default;
  template <class O, class C>
  TThreadMethod(O* object, void (C::*method)()) : call_([object, method] { (object->*method)(); }) {}
  template <class F>
  requires std::invocable<F&> &&(!std::same_as<std::decay_t<F>, TThreadMethod>)TThreadMethod(F function)
      : call_(std::move(function)) {}

  explicit operator bool() const { return static_cast<bool>(call_); }
  void operator()() const { call_(); }

 private:
  std::function<void()> call_;
};

// The main thread: the one that initialised the Threads unit; 0 before that.
DWORD MainThreadID();

// Runs method on the main thread and returns when it has run; an exception it throws is
// raised again here. On the main thread itself the method runs directly.
void Synchronize(const TThreadMethod& method);

// Runs the calls waiting for the main thread; true if there were any. Main thread only.
bool CheckSynchronize();

// Creates and destroys the hidden window; registered as the "Threads" unit.
void InitThreadsUnit();
void FinalizeThreadsUnit();

enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A thread whose body is Execute. Create it with New<T>(...): the system thread exists
// from the constructor on (so Handle, ThreadID and Priority work while it is suspended)
// and, unless created suspended, starts in AfterConstruction, once the derived object is
// complete.
//
// Suspend/Resume never stop the system thread from outside (it might hold the heap's or
// another lock): Suspend asks the thread to pause, and the thread does so at its next
// safe point, CheckPaused or Sleep, until Resume or Terminate. A thread created suspended
// starts with Start or Resume.
//
// FreeOnTerminate frees the object on its own thread after Execute; do not touch or wait
// for such an object once it may have finished. Otherwise freeing the object terminates
// the thread, lets it out of a pause and waits for it, before any destructor runs.
class TThread : public TObject {
  TK_CLASS(TThread, TObject)

 public:
  explicit TThread(bool create_suspended);
  ~TThread() override;

  void AfterConstruction() override;
  void BeforeDestruction() override;

  // Starts a thread created suspended; raises EThread if it was started already.
  void Start();
  // Starts a thread that was never started, or lets a paused thread go on.
  void Resume();
  // Asks the thread to pause at its next safe point; returns at once (unless called by the
  // thread itself, which then pauses here).
  void Suspend();
  // Sets Terminated and wakes the thread from Sleep and from a pause.
  void Terminate();
  // Waits until Execute has ended and returns the exit code (ReturnValue). On the main
  // thread it keeps serving Synchronize and sent messages meanwhile. Raises EThread for the
  // thread itself and for a thread that was never started.
  DWORD WaitFor();

  bool Terminated() const { return terminated_.load(); }
  // True before the start and while paused or asked to pause.
  bool Suspended() const { return !started_ || pause_requested_.load(); }
  // True while the thread waits at a safe point for Resume.
  bool Paused() const { return paused_.load(); }
  bool Finished() const { return finished_.load(); }

  bool FreeOnTerminate() const { return free_on_terminate_.load(); }
  void SetFreeOnTerminate(bool value) { free_on_terminate_ = value; }
  TThreadPriority Priority() const;
  void SetPriority(TThreadPriority value);
  HANDLE Handle() const { return handle_; }
  DWORD ThreadID() const { return thread_id_; }
  DWORD ReturnValue() const { return return_value_; }
  // The exception that escaped Execute, or null; it ended the thread, not the process.
  std::exception_ptr FatalException() const { return fatal_exception_; }

 protected:
  virtual void Execute() = 0;

  void SetReturnValue(DWORD value) { return_value_ = value; }
  void Synchronize(const TThreadMethod& method) { ::Synchronize(method); }
  template <class O, class C>
  void Synchronize(O* object, void (C::*method)()) {
    ::Synchronize(TThreadMethod(object, method));
  }
  // A safe point: waits while a pause is asked for. False once Terminated.
  bool CheckPaused();
  // Waits for milliseconds, woken early by Terminate, then honours a pause like CheckPaused.
  bool Sleep(DWORD milliseconds);

 private:
  static unsigned __stdcall ThreadProc(void* self);
  void StopAndWait();

  HANDLE handle_ = nullptr;
  DWORD thread_id_ = 0;
  bool create_suspended_;
  std::atomic<bool> started_{false};
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  std::atomic<bool> free_on_terminate_{false};
  std::atomic<bool> pause_requested_{false};
  std::atomic<bool> paused_{false};
  DWORD return_value_ = 0;
  std::exception_ptr fatal_exception_;
  TEventObject resume_event_{true, true};      // signalled while the thread may run
  TEventObject terminate_event_{true, false};  // signalled by Terminate
};
