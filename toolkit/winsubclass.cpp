#include "toolkit/winsubclass.h"

#include <unordered_map>

namespace {

// What our procedure needs for a window: the object, and the procedure to pass messages to
// once the object has let go. Kept in the process rather than as window properties: Wine asks
// its server for every property, and each message to a subclassed window read two.
struct TSubclassEntry {
  TWindowSubclass* object = nullptr;
  WNDPROC previous = nullptr;
};

SRWLOCK g_entries_lock = SRWLOCK_INIT;

std::unordered_map<HWND, TSubclassEntry>& Entries() {
  static auto* entries = new std::unordered_map<HWND, TSubclassEntry>;  // outlives every window
  return *entries;
}

bool FindEntry(HWND window, TSubclassEntry& entry) {
  AcquireSRWLockShared(&g_entries_lock);
  auto it = Entries().find(window);
  const bool found = it != Entries().end();
  if (found) entry = it->second;
  ReleaseSRWLockShared(&g_entries_lock);
  return found;
}

void StoreEntry(HWND window, const TSubclassEntry& entry) {
  AcquireSRWLockExclusive(&g_entries_lock);
  Entries()[window] = entry;
  ReleaseSRWLockExclusive(&g_entries_lock);
}

void RemoveEntry(HWND window) {
  AcquireSRWLockExclusive(&g_entries_lock);
  Entries().erase(window);
  ReleaseSRWLockExclusive(&g_entries_lock);
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
  TSubclassEntry existing;
  if (FindEntry(window, existing)) throw EOSError("The window is subclassed already", ERROR_ALREADY_EXISTS);
  auto previous = reinterpret_cast<WNDPROC>(GetProc(window, unicode));
  StoreEntry(window, {this, previous});
  window_ = window;
  previous_ = previous;
  unicode_ = unicode;
  SetProc(window, unicode, reinterpret_cast<LONG_PTR>(unicode ? &SubclassProcW : &SubclassProcA));
}

void TWindowSubclass::Uninstall() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  TSubclassEntry entry;
  if (FindEntry(window, entry) && entry.object == this) {
    auto ours = reinterpret_cast<LONG_PTR>(unicode_ ? &SubclassProcW : &SubclassProcA);
    if (GetProc(window, unicode_) == ours) {
      SetProc(window, unicode_, reinterpret_cast<LONG_PTR>(previous_));
      RemoveEntry(window);
    } else {
      // Someone subclassed after us: our procedure stays in their chain and forwards.
      StoreEntry(window, {nullptr, entry.previous});
    }
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
  TSubclassEntry entry;
  FindEntry(window, entry);
  WNDPROC previous = entry.previous;
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
  } else if (previous) {
    result = unicode ? CallWindowProcW(previous, window, msg, wparam, lparam)
                     : CallWindowProcA(previous, window, msg, wparam, lparam);
  } else {
    result =
        unicode ? DefWindowProcW(window, msg, wparam, lparam) : DefWindowProcA(window, msg, wparam, lparam);
  }
  if (msg == WM_NCDESTROY) {
    // The window is gone: forget it (the object may outlive it).
    if (FindEntry(window, entry) && entry.object && entry.object->window_ == window)
      entry.object->window_ = nullptr;
    RemoveEntry(window);
  }
  return result;
}
