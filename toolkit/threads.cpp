#include "toolkit/threads.h"

#include <process.h>

namespace {

// --- Hand-over to the main thread ------------------------------------------------------------
// Everything here is plain data without destructors: workers may still call Synchronize
// while the runtime library tears down static objects at exit.

const char kSyncWindowClass[] = "TThreadSyncWindow";
const UINT WM_SYNCHRONIZE = WM_USER + 1;

// One waiting Synchronize call; lives on the stack of the waiting thread.
struct TSyncRequest {
  explicit TSyncRequest(const TThreadMethod* m) : method(m) {}
  const TThreadMethod* method;
  std::exception_ptr error;
  TEventObject done{true, false};
  TSyncRequest* next = nullptr;
};

SRWLOCK g_sync_lock = SRWLOCK_INIT;  // guards the queue, the window and the pending event
TSyncRequest* g_queue_head = nullptr;
TSyncRequest* g_queue_tail = nullptr;
HWND g_sync_window = nullptr;
HANDLE g_sync_pending = nullptr;  // manual-reset event, set while the queue is not empty
std::atomic<DWORD> g_main_thread{0};
// Signalled when the main thread ends; kept open for the whole process, so a worker that
// copied it never waits on a closed handle.
HANDLE g_main_thread_handle = nullptr;

class TSyncLock {
 public:
  TSyncLock() { AcquireSRWLockExclusive(&g_sync_lock); }
  ~TSyncLock() { ReleaseSRWLockExclusive(&g_sync_lock); }
  TSyncLock(const TSyncLock&) = delete;
  TSyncLock& operator=(const TSyncLock&) = delete;
};

TSyncRequest* PopRequest() {
  TSyncLock lock;
  TSyncRequest* request = g_queue_head;
  if (request) {
    g_queue_head = request->next;
    if (!g_queue_head) g_queue_tail = nullptr;
  }
  if (!g_queue_head && g_sync_pending) ResetEvent(g_sync_pending);
  return request;
}

// Takes a request out of the queue if the main thread has not taken it yet.
bool WithdrawRequest(TSyncRequest* request) {
  TSyncLock lock;
  TSyncRequest* previous = nullptr;
  for (TSyncRequest* r = g_queue_head; r; previous = r, r = r->next) {
    if (r != request) continue;
    (previous ? previous->next : g_queue_head) = r->next;
    if (g_queue_tail == r) g_queue_tail = previous;
    return true;
  }
  return false;
}

LRESULT CALLBACK SyncWindowProc(HWND wnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == WM_SYNCHRONIZE) {
    try {
      CheckSynchronize();
    } catch (...) {
      // Nothing may unwind through the system's message dispatch.
    }
    return 0;
  }
  return DefWindowProcA(wnd, msg, wparam, lparam);
}

}  // namespace

DWORD MainThreadID() { return g_main_thread.load(); }

void Synchronize(const TThreadMethod& method) {
  if (GetCurrentThreadId() == g_main_thread.load()) {
    method();
    return;
  }
  TSyncRequest request(&method);
  HANDLE main_thread;
  {
    TSyncLock lock;
    if (!g_sync_window)
      throw EThread("Synchronize: the main thread does not take calls (not started or shut down)");
    (g_queue_tail ? g_queue_tail->next : g_queue_head) = &request;
    g_queue_tail = &request;
    SetEvent(g_sync_pending);
    // A lost post (full queue) only delays the call: the next one drains the whole queue.
    PostMessageA(g_sync_window, WM_SYNCHRONIZE, 0, 0);
    main_thread = g_main_thread_handle;
  }
  HANDLE handles[2] = {request.done.Handle(), main_thread};
  DWORD result = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (result == WAIT_OBJECT_0 + 1 && WithdrawRequest(&request))
    throw EThread("Synchronize: the main thread has ended");
  // Taken by the main thread just before it ended, or a failed wait: wait for the call
  // itself, which the main thread finishes or cancels.
  if (result != WAIT_OBJECT_0) request.done.WaitFor(INFINITE);
  if (request.error) std::rethrow_exception(request.error);
}

bool CheckSynchronize() {
  if (GetCurrentThreadId() != g_main_thread.load())
    throw EThread("CheckSynchronize called from a thread that is not the main thread");
  bool ran = false;
  while (TSyncRequest* request = PopRequest()) {
    try {
      (*request->method)();
    } catch (...) {
      request->error = std::current_exception();
    }
    // The waiting thread may destroy the request as soon as this is set.
    request->done.SetEvent();
    ran = true;
  }
  return ran;
}

void InitThreadsUnit() {
  if (g_sync_window) throw EThread("The Threads unit is initialised already");
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  wc.lpfnWndProc = SyncWindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = kSyncWindowClass;
  if (!RegisterClassA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) RaiseLastOSError();
  HANDLE pending = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!pending) RaiseLastOSError();
  HWND wnd =
      CreateWindowExA(0, kSyncWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
  if (!wnd) {
    DWORD error = GetLastError();
    CloseHandle(pending);
    RaiseLastOSError(error);
  }
  DWORD self = GetCurrentThreadId();
  if (g_main_thread.load() != self) {
    HANDLE thread = nullptr;
    DuplicateHandle(GetCurrentProcess(), GetCurrentThread(), GetCurrentProcess(), &thread, SYNCHRONIZE, FALSE,
                    0);
    g_main_thread_handle = thread;  // an earlier main thread's handle is left open on purpose
    g_main_thread = self;
  }
  TSyncLock lock;
  g_sync_pending = pending;
  g_sync_window = wnd;
}

void FinalizeThreadsUnit() {
  HWND wnd;
  HANDLE pending;
  TSyncRequest* cancelled;
  {
    TSyncLock lock;
    wnd = g_sync_window;
    pending = g_sync_pending;
    cancelled = g_queue_head;
    g_sync_window = nullptr;
    g_sync_pending = nullptr;
    g_queue_head = g_queue_tail = nullptr;
  }
  while (cancelled) {
    TSyncRequest* next = cancelled->next;
    cancelled->error = std::make_exception_ptr(EThread("Synchronize: the main thread has shut down"));
    cancelled->done.SetEvent();
    cancelled = next;
  }
  if (wnd) DestroyWindow(wnd);
  if (pending) CloseHandle(pending);
  UnregisterClassA(kSyncWindowClass, GetModuleHandleA(nullptr));
}

// --- TThread ---------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TThread, TObject)

namespace {

const int kPriorities[] = {THREAD_PRIORITY_IDLE,         THREAD_PRIORITY_LOWEST,
                           THREAD_PRIORITY_BELOW_NORMAL, THREAD_PRIORITY_NORMAL,
                           THREAD_PRIORITY_ABOVE_NORMAL, THREAD_PRIORITY_HIGHEST,
                           THREAD_PRIORITY_TIME_CRITICAL};

}  // namespace

TThread::TThread(bool create_suspended) : create_suspended_(create_suspended) {
  unsigned id = 0;
  handle_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, &id));
  if (!handle_) RaiseLastOSError();
  thread_id_ = id;
}

TThread::~TThread() {
  StopAndWait();  // freed with delete rather than Free
  CloseHandle(handle_);
}

void TThread::BeforeDestruction() {
  // Before any destructor runs: Execute may still use the derived class's members.
  StopAndWait();
  inherited::BeforeDestruction();
}

void TThread::StopAndWait() {
  if (GetCurrentThreadId() == thread_id_ || finished_) return;
  // Freed from outside: the thread must not free the object as well.
  free_on_terminate_ = false;
  Terminate();
  if (!started_) {
    // Never started: it skips Execute because Terminated is set.
    started_ = true;
    ResumeThread(handle_);
  }
  try {
    WaitFor();
  } catch (...) {
    // Destruction cannot report it and goes on.
  }
}

void TThread::AfterConstruction() {
  inherited::AfterConstruction();
  if (!create_suspended_) Start();
}

unsigned __stdcall TThread::ThreadProc(void* self) {
  auto* thread = static_cast<TThread*>(self);
  if (!thread->Terminated()) {
    try {
      thread->Execute();
    } catch (...) {
      thread->fatal_exception_ = std::current_exception();
    }
  }
  DWORD result = thread->return_value_;
  bool free_it = thread->free_on_terminate_;
  thread->finished_ = true;
  // Unless it frees itself, the object may be gone from here on.
  if (free_it) Free(thread);
  return result;
}

void TThread::Start() {
  if (started_) throw EThread("Cannot call Start on a running or finished thread");
  started_ = true;
  if (ResumeThread(handle_) == static_cast<DWORD>(-1)) RaiseLastOSError();
}

void TThread::Resume() {
  pause_requested_ = false;
  resume_event_.SetEvent();
  if (!started_) Start();
}

void TThread::Suspend() {
  // Closed before the flag goes up, so a thread that sees the flag always waits.
  resume_event_.ResetEvent();
  pause_requested_ = true;
  if (GetCurrentThreadId() == thread_id_) CheckPaused();
}

void TThread::Terminate() {
  terminated_ = true;
  terminate_event_.SetEvent();
}

bool TThread::CheckPaused() {
  if (pause_requested_ && !Terminated()) {
    paused_ = true;
    HANDLE handles[2] = {resume_event_.Handle(), terminate_event_.Handle()};
    while (pause_requested_ && !Terminated()) WaitForMultipleObjects(2, handles, FALSE, INFINITE);
    paused_ = false;
  }
  return !Terminated();
}

bool TThread::Sleep(DWORD milliseconds) {
  WaitForSingleObject(terminate_event_.Handle(), milliseconds);
  return CheckPaused();
}

DWORD TThread::WaitFor() {
  DWORD self = GetCurrentThreadId();
  if (self == thread_id_) throw EThread("A thread cannot wait for itself");
  if (!started_) throw EThread("Cannot wait for a thread that was never started");
  if (self == g_main_thread.load()) {
    // The thread may be waiting in Synchronize for this very thread: serve it meanwhile,
    // and let sent messages through so other threads' SendMessage calls do not hang.
    for (;;) {
      HANDLE handles[2] = {handle_, g_sync_pending};
      DWORD count = g_sync_pending ? 2 : 1;
      DWORD result = MsgWaitForMultipleObjects(count, handles, FALSE, INFINITE, QS_SENDMESSAGE);
      if (result == WAIT_OBJECT_0) break;
      if (result == WAIT_OBJECT_0 + count) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);
      } else if (result == WAIT_OBJECT_0 + 1) {
        CheckSynchronize();
      } else {
        RaiseLastOSError();
      }
    }
  } else if (WaitForSingleObject(handle_, INFINITE) != WAIT_OBJECT_0) {
    RaiseLastOSError();
  }
  DWORD code = 0;
  GetExitCodeThread(handle_, &code);
  return code;
}

TThreadPriority TThread::Priority() const {
  int value = GetThreadPriority(handle_);
  for (int p = tpIdle; p <= tpTimeCritical; ++p)
    if (kPriorities[p] == value) return static_cast<TThreadPriority>(p);
  return tpNormal;
}

void TThread::SetPriority(TThreadPriority value) {
  if (!SetThreadPriority(handle_, kPriorities[value])) RaiseLastOSError();
}
