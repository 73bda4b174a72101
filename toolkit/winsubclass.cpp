#include "toolkit/winsubclass.h"

namespace {

// The object, and the procedure to pass messages to once the object has let go.
constexpr char kObjectProp[] = "Dravolin.Subclass";
constexpr char kPreviousProp[] = "Dravolin.SubclassPrevious";

void RemoveProps(HWND window) {
  RemovePropA(window, kObjectProp);
  RemovePropA(window, kPreviousProp);
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
  if (GetPropA(window, kPreviousProp))
    throw EOSError("The window is subclassed already", ERROR_ALREADY_EXISTS);
  auto previous = reinterpret_cast<WNDPROC>(GetProc(window, unicode));
  if (!SetPropA(window, kPreviousProp, reinterpret_cast<HANDLE>(previous)) ||
      !SetPropA(window, kObjectProp, this)) {
    RemoveProps(window);
    RaiseLastOSError();
  }
  window_ = window;
  previous_ = previous;
  unicode_ = unicode;
  SetProc(window, unicode, reinterpret_cast<LONG_PTR>(unicode ? &SubclassProcW : &SubclassProcA));
}

void TWindowSubclass::Uninstall() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  if (GetPropA(window, kObjectProp) == this) {
    auto ours = reinterpret_cast<LONG_PTR>(unicode_ ? &SubclassProcW : &SubclassProcA);
    if (GetProc(window, unicode_) == ours) {
      SetProc(window, unicode_, reinterpret_cast<LONG_PTR>(previous_));
      RemoveProps(window);
    } else {
      // Someone subclassed after us: our procedure stays in their chain and forwards.
      RemovePropA(window, kObjectProp);
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
  auto previous = reinterpret_cast<WNDPROC>(GetPropA(window, kPreviousProp));
  auto* self = static_cast<TWindowSubclass*>(GetPropA(window, kObjectProp));
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
    self = static_cast<TWindowSubclass*>(GetPropA(window, kObjectProp));
    if (self && self->window_ == window) self->window_ = nullptr;
    RemoveProps(window);
  }
  return result;
}
