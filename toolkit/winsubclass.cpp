#include "toolkit/winsubclass.h"

#include <mutex>
#include <unordered_map>

namespace {

// Marks a window while one of our subclasses is in its chain, so a second one is refused.
constexpr char kObjectProp[] = "Dravolin.Subclass";

// The object of each subclassed window, and the procedure to pass messages to once the object
// has let go. Every message looks it up: a window property would cost a trip to the window
// server for each (two, with the previous procedure).
struct TSubclassEntry {
  TWindowSubclass* object;
  WNDPROC previous;
};

class TSubclassTable {
 public:
  void Set(HWND window, TSubclassEntry entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_[window] = entry;
  }
  TSubclassEntry Get(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto found = entries_.find(window);
    return found == entries_.end() ? TSubclassEntry{nullptr, nullptr} : found->second;
  }
  void Remove(HWND window) {
    std::lock_guard<std::mutex> lock(mutex_);
    entries_.erase(window);
  }

 private:
  std::mutex mutex_;
  std::unordered_map<HWND, TSubclassEntry> entries_;
};

TSubclassTable& Subclasses() {
  static TSubclassTable* table = new TSubclassTable;  // windows may outlive static destruction
  return *table;
}

void Forget(HWND window) {
  Subclasses().Remove(window);
  RemovePropA(window, kObjectProp);
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

void TWindowSubclass::Install(HWND window, bool unicode) {
  if (window_) throw EOSError("The subclass is installed already", ERROR_ALREADY_EXISTS);
  DWORD process = 0;
  if (!IsWindow(window) || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
    throw EOSError("Cannot subclass a window of another process", ERROR_INVALID_WINDOW_HANDLE);
  if (GetPropA(window, kObjectProp)) throw EOSError("The window is subclassed already", ERROR_ALREADY_EXISTS);
  auto previous = reinterpret_cast<WNDPROC>(GetProc(window, unicode));
  if (!SetPropA(window, kObjectProp, this)) RaiseLastOSError();
  // A window handle of a window gone without our last message may be given again.
  Subclasses().Set(window, {this, previous});
  window_ = window;
  previous_ = previous;
  unicode_ = unicode;
  SetProc(window, unicode, reinterpret_cast<LONG_PTR>(unicode ? &SubclassProcW : &SubclassProcA));
}

void TWindowSubclass::Uninstall() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  if (Subclasses().Get(window).object != this) return;
  auto ours = reinterpret_cast<LONG_PTR>(unicode_ ? &SubclassProcW : &SubclassProcA);
  if (GetProc(window, unicode_) == ours) {
    SetProc(window, unicode_, reinterpret_cast<LONG_PTR>(previous_));
    Forget(window);
  } else {
    // Someone subclassed after us: our procedure stays in their chain and forwards.
    Subclasses().Set(window, {nullptr, previous_});
  }
}

void TWindowSubclass::CallPrevious(TMessage& message) {
  if (!previous_) return;
  message.Result = unicode_
                       ? CallWindowProcW(previous_, window_, message.Msg, message.WParam, message.LParam)
                       : CallWindowProcA(previous_, window_, message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TWindowSubclass::SubclassProcA(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Handle(window, msg, wparam, lparam, false);
}

LRESULT CALLBACK TWindowSubclass::SubclassProcW(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  return Handle(window, msg, wparam, lparam, true);
}

LRESULT TWindowSubclass::Handle(HWND window, UINT msg, WPARAM wparam, LPARAM lparam, bool unicode) {
  const TSubclassEntry entry = Subclasses().Get(window);
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
    // The window is gone: forget it (the object may outlive it).
    self = Subclasses().Get(window).object;
    if (self && self->window_ == window) self->window_ = nullptr;
    Forget(window);
  }
  return result;
}
