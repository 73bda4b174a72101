#include "toolkit/winsubclass.h"

#include <array>
#include <mutex>
#include <utility>
#include <unordered_map>

namespace {

constexpr int kLevels = 4;

// The object of each subclassed window and level, and the procedure to pass messages to once
// the object has let go. Every message looks it up: a window property would cost a trip to
// the window server for each (two, with the previous procedure).
struct TSubclassEntry {
  TWindowSubclass* object;
  WNDPROC previous;
  bool Empty() const { return !object && !previous; }
};

class TSubclassTable {
 public:
  void Set(HWND window, int level, TSubclassEntry entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[window][level] = entry;
  }
  TSubclassEntry Get(HWND window, int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = entries_.find(window);
    return found == entries_.end() ? TSubclassEntry{nullptr, nullptr} : found->second[level];
  }
  // The lowest level with nothing of ours in the window's chain, or -1. An entry whose object
  // names another window is left over from a window gone without its last message.
  int FreeLevel(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = entries_.find(window);
    if (found == entries_.end()) return 0;
    for (int level = 0; level < kLevels; ++level) {
      const TSubclassEntry& entry = found->second[level];
      if (entry.Empty() || (entry.object && entry.object->GetWindow() != window)) return level;
    }
    return -1;
  }
  void Remove(HWND window, int level) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = entries_.find(window);
    if (found == entries_.end()) return;
    found->second[level] = TSubclassEntry{nullptr, nullptr};
    for (const TSubclassEntry& entry : found->second)
      if (!entry.Empty()) return;
    entries_.erase(found);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWND, std::array<TSubclassEntry, kLevels>> entries_;
};

TSubclassTable& Subclasses() {
  static TSubclassTable* table = new TSubclassTable;  // windows may outlive static destruction
  return *table;
}

LONG_PTR GetProc(HWND window, bool unicode) {
  return unicode ? GetWindowLongPtrW(window, GWLP_WNDPROC) : GetWindowLongPtrA(window, GWLP_WNDPROC);
}

void SetProc(HWND window, bool unicode, LONG_PTR proc) {
  if (unicode)
    SetWindowLongPtrW(window, GWLP_WNDPROC, proc);
  else
    SetWindowLongPtrA(window, GWLP_WNDPROC, proc);
}

}  // namespace

template <int Level, bool Unicode>
LRESULT CALLBACK TWindowSubclass::SubclassProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Handle(window, msg, wparam, lparam, Level, Unicode);
}

namespace {

// Each level's procedure in both forms, and the level a procedure is of (-1: not ours).
struct TLevelProcs {
  WNDPROC ansi[kLevels];
  WNDPROC unicode[kLevels];
  int LevelOf(LONG_PTR proc, bool wide) const {
    for (int level = 0; level < kLevels; ++level)
      if (reinterpret_cast<LONG_PTR>(wide ? unicode[level] : ansi[level]) == proc) return level;
    return -1;
  }
};

}  // namespace

class TWindowSubclassProcs {
 public:
  template <int... L>
  static TLevelProcs Make(std::integer_sequence<int, L...>) {
    return TLevelProcs{{&TWindowSubclass::SubclassProc<L, false>...},
                       {&TWindowSubclass::SubclassProc<L, true>...}};
  }
};

namespace {

const TLevelProcs& Procs() {
  static const TLevelProcs procs = TWindowSubclassProcs::Make(std::make_integer_sequence<int, kLevels>());
  return procs;
}

}  // namespace

void TWindowSubclass::Install(HWND window, bool unicode) {
  if (window_) throw EOSError("The subclass is installed already", ERROR_ALREADY_EXISTS);
  DWORD process = 0;
  if (!IsWindow(window) || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
    throw EOSError("Cannot subclass a window of another process", ERROR_INVALID_WINDOW_HANDLE);
  const int level = Subclasses().FreeLevel(window);
  if (level < 0) throw EOSError("The window carries too many subclasses", ERROR_ALREADY_EXISTS);
  auto previous = reinterpret_cast<WNDPROC>(GetProc(window, unicode));
  Subclasses().Set(window, level, {this, previous});
  window_ = window;
  previous_ = previous;
  unicode_ = unicode;
  level_ = level;
  const TLevelProcs& procs = Procs();
  SetProc(window, unicode, reinterpret_cast<LONG_PTR>(unicode ? procs.unicode[level] : procs.ansi[level]));
}

void TWindowSubclass::Uninstall() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  if (Subclasses().Get(window, level_).object != this) return;
  const TLevelProcs& procs = Procs();
  if (procs.LevelOf(GetProc(window, unicode_), unicode_) != level_) {
    // Someone subclassed after us: our procedure stays in their chain and forwards.
    Subclasses().Set(window, level_, {nullptr, previous_});
    return;
  }
  SetProc(window, unicode_, reinterpret_cast<LONG_PTR>(previous_));
  Subclasses().Remove(window, level_);
  // Ours below that only forward (let go while we were on top) leave the chain too.
  for (int level = procs.LevelOf(reinterpret_cast<LONG_PTR>(previous_), unicode_); level >= 0;
       level = procs.LevelOf(GetProc(window, unicode_), unicode_)) {
    const TSubclassEntry below = Subclasses().Get(window, level);
    if (below.object || !below.previous) break;
    SetProc(window, unicode_, reinterpret_cast<LONG_PTR>(below.previous));
    Subclasses().Remove(window, level);
  }
}

void TWindowSubclass::CallPrevious(TMessage& message) {
  if (!previous_) return;
  message.Result = unicode_
                       ? CallWindowProcW(previous_, window_, message.Msg, message.WParam, message.LParam)
                       : CallWindowProcA(previous_, window_, message.Msg, message.WParam, message.LParam);
}

LRESULT TWindowSubclass::Handle(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, int level,
                                bool unicode) {
  const TSubclassEntry entry = Subclasses().Get(window, level);
  TWindowSubclass* self = entry.object;
  LRESULT result = 0;
  if (self && self->window_ == window) {
    TMessage message{msg, wparam, lparam, 0};
    try {
      self->handler_(message);
    } catch (...) {
      HandleWindowException(self->handler_.GetObject());
    }
    result = message.Result;
  } else if (entry.previous) {
    result = unicode ? CallWindowProcW(entry.previous, window, msg, wparam, lparam)
                     : CallWindowProcA(entry.previous, window, msg, wparam, lparam);
  } else {
    result =
        unicode ? DefWindowProcW(window, msg, wparam, lparam) : DefWindowProcA(window, msg, wparam, lparam);
  }
  if (msg == WM_NCDESTROY) {
    // The window is gone: forget it at this level (the object may outlive it).
    self = Subclasses().Get(window, level).object;
    if (self && self->window_ == window) self->window_ = nullptr;
    Subclasses().Remove(window, level);
  }
  return result;
}
