// TTimer: a component that calls OnTimer every Interval milliseconds on the thread that
// created it, from whatever message loop that thread runs (the application's, a modal
// form's or a message box's): the timers of a thread share one hidden message-only window of
// that thread.
#pragma once

#include <windows.h>

#include "toolkit/components.h"
#include "toolkit/events.h"

class TTimer : public TComponent {
  TK_CLASS(TTimer, TComponent)

 public:
  explicit TTimer(TComponent* owner);
  ~TTimer() override;

  // Interval 0 stops the timer. Setting Interval, Enabled or OnTimer restarts the count.
  unsigned GetInterval() const { return interval_; }
  void SetInterval(unsigned interval);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  const TNotifyEvent& GetOnTimer() const { return on_timer_; }
  void SetOnTimer(const TNotifyEvent& handler);

  // Whether the system timer is running (enabled, an interval and a handler).
  bool IsRunning() const { return running_; }

 protected:
  // Calls OnTimer. The handler may free or disable the timer.
  virtual void Timer();

 private:
  static void Publish(TPublisher<TTimer>& p);
  struct TThreadTimers;
  static TThreadTimers& ThisThreadTimers();
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void UpdateTimer();

  TThreadTimers* thread_timers_;
  UINT_PTR id_ = 0;
  unsigned interval_ = 1000;
  bool enabled_ = true;
  bool running_ = false;
  TNotifyEvent on_timer_;
};
