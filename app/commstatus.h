// The serial-port component: it owns the light barrier's port and a watcher thread that
// polls the port's modem status every 10 ms and hands every change to the user-interface
// thread, where the component takes the four line flags and raises OnChanged.
#pragma once

#include <cstdint>
#include <memory>

#include "app/commport.h"
#include "app/signal.h"
#include "toolkit/components.h"
#include "toolkit/events.h"
#include "toolkit/syncobjs.h"
#include "toolkit/threads.h"

// Polls one port and reports each change of its status word, synchronously on the
// user-interface thread. Paused while it has no port. The component changes its port and
// last status only under its lock, which the watcher holds for no more than one status
// query, so a port is never closed under a query.
class TMyCommWatcher : public TThread {
  TK_CLASS(TMyCommWatcher, TThread)

 public:
  static constexpr DWORD kPollInterval = 10;  // milliseconds

  // Created suspended; `on_change` runs on the user-interface thread after each change.
  explicit TMyCommWatcher(TThreadMethod on_change);

  // The port to poll (null: none) and the last status word reset to 0, so the next poll
  // reports every line that is set.
  void SetPort(TCommPort* port);
  uint32_t GetLastStatus();

 protected:
  void Execute() override;

 private:
  // One status query; true when the word changed.
  bool Poll();

  TCriticalSection lock_;
  TCommPort* port_ = nullptr;
  uint32_t last_status_ = 0;
  TThreadMethod on_change_;
};

// Port numbers: 0 none, n "COM" followed by n.
constexpr int kMaxCommPort = 16;

class TMyCommStatus : public TComponent {
  TK_CLASS(TMyCommStatus, TComponent)

 public:
  explicit TMyCommStatus(TComponent* owner);
  // With other ports than the machine's (tests); `ports` must outlive the component.
  TMyCommStatus(TComponent* owner, TCommPorts& ports);
  ~TMyCommStatus() override;
  void BeforeDestruction() override;

  bool GetClearToSend() const { return lines_.ClearToSend; }
  bool GetDataSetReady() const { return lines_.DataSetReady; }
  bool GetRing() const { return lines_.Ring; }
  bool GetReceiveLine() const { return lines_.ReceiveLine; }
  const TModemLines& GetLines() const { return lines_; }

  int GetComm() const { return comm_; }
  // Closes the current port and opens port n (0: none; a number outside 0 to 16 counts as
  // none). Active tells whether the port answers; one that does not is closed again. Then
  // OnChanged reports all lines False, and the watcher's first poll reports every line
  // that is already set as a change. The watcher is paused while there is no port.
  void SetComm(int n);
  bool GetActive() const { return active_; }

  // Takes the four flags from a modem-status word.
  void UpdateStatus(uint32_t word) { lines_ = TModemLines::FromStatusWord(word); }
  // The hand-over from the watcher (user-interface thread): the watcher's last status while
  // a port is open, else all lines False; then OnChanged.
  void StatusChanged();

  // Null once the component is being destroyed.
  TMyCommWatcher* GetWatcher() const { return watcher_; }

  TNotifyEvent OnChanged;

 private:
  static void Publish(TPublisher<TMyCommStatus>& p);
  // The line flags are published for reading; writing them has no effect.
  void IgnoreLine(bool) {}
  // The watcher's hand-over: StatusChanged, whose failure is reported on this thread and
  // leaves the watcher running.
  void WatcherChanged();
  void CreateWatcher();
  void FreeWatcher();
  // Hands the current port to the watcher and lets it run, or pauses it without one.
  void ArmWatcher();

  TModemLines lines_;
  TCommPorts& ports_;
  std::unique_ptr<TCommPort> port_;
  TMyCommWatcher* watcher_ = nullptr;
  int comm_ = 0;
  bool active_ = false;
};

// Lets form definitions hold the component.
void RegisterCommStatusClass();
