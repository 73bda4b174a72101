#include "toolkit/timers.h"

#include <unordered_map>

#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TTimer, TComponent)

void TTimer::Publish(TPublisher<TTimer>& p) {
  p.Boolean("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Integer("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000);
  p.Event("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
}

namespace {

constexpr char kWindowClass[] = "DravolinTimerWindow";

void RegisterWindowClass(WNDPROC procedure) {
  // Once per process; the class lives until the process ends.
  static const bool registered = [procedure] {
    WNDCLASSEXA wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
  }();
  if (!registered) RaiseLastOSError();
}

}  // namespace

// The timers of one thread share one hidden window: a window costs the system far more than a
// timer, and a form may carry dozens of timers that never run. Each timer has an id of its
// own that is never given again, so a tick still queued for a freed timer finds nobody.
struct TTimer::TThreadTimers {
  HWND window = nullptr;
  UINT_PTR next_id = 1;
  std::unordered_map<UINT_PTR, TTimer*> timers;
};

TTimer::TThreadTimers& TTimer::ThisThreadTimers() {
  // Kept to the end of the process: a timer freed after its thread has ended still finds it.
  thread_local TThreadTimers* timers = new TThreadTimers;
  if (!timers->window) {
    RegisterWindowClass(&TTimer::WindowProc);
    timers->window = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     GetModuleHandleA(nullptr), nullptr);
    if (!timers->window) RaiseLastOSError();
    SetWindowLongPtrA(timers->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(timers));
  }
  return *timers;
}

TTimer::TTimer(TComponent* owner) : TComponent(owner), thread_timers_(&ThisThreadTimers()) {
  id_ = thread_timers_->next_id++;
  thread_timers_->timers[id_] = this;
}

TTimer::~TTimer() {
  if (running_) KillTimer(thread_timers_->window, id_);
  // Forgotten first: a WM_TIMER still queued then finds no timer.
  thread_timers_->timers.erase(id_);
}

void TTimer::SetInterval(unsigned interval) {
  if (interval == interval_) return;
  interval_ = interval;
  UpdateTimer();
}

void TTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  UpdateTimer();
}

void TTimer::SetOnTimer(const TNotifyEvent& handler) {
  on_timer_ = handler;
  UpdateTimer();
}

void TTimer::UpdateTimer() {
  if (running_) KillTimer(thread_timers_->window, id_);
  running_ = false;
  if (enabled_ && interval_ > 0 && on_timer_) {
    if (!SetTimer(thread_timers_->window, id_, interval_, nullptr)) RaiseLastOSError();
    running_ = true;
  }
}

void TTimer::Timer() { on_timer_(this); }

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER) {
    auto* timers = reinterpret_cast<TThreadTimers*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!timers) return 0;
    const auto found = timers->timers.find(wparam);
    // Nothing of the timer is touched after the call: the handler may have freed it.
    if (found != timers->timers.end() && found->second->running_) found->second->Timer();
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
