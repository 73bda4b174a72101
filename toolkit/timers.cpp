#include "toolkit/timers.h"

#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TTimer, TComponent)

void TTimer::Publish(TPublisher<TTimer>& p) {
  p.Boolean("Enabled", &TTimer::GetEnabled, &TTimer::SetEnabled).Default(true);
  p.Integer("Interval", &TTimer::GetInterval, &TTimer::SetInterval).Default(1000);
  p.Event("OnTimer", &TTimer::GetOnTimer, &TTimer::SetOnTimer);
}

namespace {

constexpr UINT_PTR kTimerId = 1;
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

TTimer::TTimer(TComponent* owner) : TComponent(owner) {
  RegisterWindowClass(&TTimer::WindowProc);
  window_ = CreateWindowExA(0, kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleA(nullptr), nullptr);
  if (!window_) RaiseLastOSError();
  SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TTimer::~TTimer() {
  if (running_) KillTimer(window_, kTimerId);
  // Detached first: a WM_TIMER still queued then finds no timer.
  SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
  DestroyWindow(window_);
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
  if (running_) KillTimer(window_, kTimerId);
  running_ = false;
  if (enabled_ && interval_ > 0 && on_timer_) {
    if (!SetTimer(window_, kTimerId, interval_, nullptr)) RaiseLastOSError();
    running_ = true;
  }
}

void TTimer::Timer() { on_timer_(this); }

LRESULT CALLBACK TTimer::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_TIMER && wparam == kTimerId) {
    auto* timer = reinterpret_cast<TTimer*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    // Nothing of the timer is touched after the call: the handler may have freed it.
    if (timer && timer->running_) timer->Timer();
    return 0;
  }
  return DefWindowProcA(window, message, wparam, lparam);
}
