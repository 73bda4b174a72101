// Serial ports whose modem-status words the test sets, for driving the watcher thread
// without hardware. The test writes a port's state while the watcher reads it.
#pragma once

#include <windows.h>

#include <atomic>
#include <map>
#include <memory>
#include <stdexcept>

#include "app/commport.h"
#include "toolkit/threads.h"

struct TScriptedPort {
  std::atomic<uint32_t> status{0};
  std::atomic<bool> answers{true};
  std::atomic<bool> fails{false};  // the query raises, as a broken driver might
  std::atomic<int> queries{0};
  std::atomic<int> open{0};    // handles open now
  std::atomic<int> opened{0};  // handles opened so far
};

class TScriptedCommPorts : public TCommPorts {
 public:
  // A port that exists; every other number fails to open.
  TScriptedPort& Add(int number) { return ports_[number]; }

  std::unique_ptr<TCommPort> Open(int number) override {
    auto it = ports_.find(number);
    if (it == ports_.end()) return nullptr;
    return std::make_unique<THandle>(it->second);
  }

 private:
  class THandle : public TCommPort {
   public:
    explicit THandle(TScriptedPort& port) : port_(port) {
      ++port_.open;
      ++port_.opened;
    }
    ~THandle() override { --port_.open; }
    bool GetModemStatus(uint32_t& status) override {
      ++port_.queries;
      if (port_.fails) throw std::runtime_error("scripted port failure");
      if (!port_.answers) return false;
      status = port_.status;
      return true;
    }

   private:
    TScriptedPort& port_;
  };

  std::map<int, TScriptedPort> ports_;
};

// Long enough never to be reached by a working build; only keeps a broken one from hanging.
constexpr DWORD kSafetyTimeout = 30000;

// Waits (without serving the hand-over) until the condition holds; false after the safety
// timeout.
template <class F>
bool WaitUntil(F condition) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kSafetyTimeout; Sleep(1))
    if (condition()) return true;
  return condition();
}

// Serves the watcher's hand-over (the test runs on the main thread) until the condition
// holds; false after the safety timeout.
template <class F>
bool ServeUntil(F condition) {
  for (DWORD start = GetTickCount(); GetTickCount() - start < kSafetyTimeout; Sleep(1)) {
    CheckSynchronize();
    if (condition()) return true;
  }
  return condition();
}

// Serves the hand-over until the watcher has made `count` more whole polls, so every change
// set before the call has arrived (a poll waits for its hand-over before the next begins).
inline bool ServePolls(TScriptedPort& port, int count = 1) {
  int target = port.queries + count + 1;
  return ServeUntil([&] { return port.queries >= target; });
}
