#include "toolkit/winsubclass.h"

namespace {

// The object, and the procedure to pass messages to once the object has let go.
constexpr char kObjectProp[] = "Dravolin.Subclass";
constexpr char kPreviousProp[] = "Dravolin.SubclassPrevious";

void RemoveProps(HWND window) {
  RemovePropA(window, kObjectProp);
  RemovePropA(window, kPreviousProp);
}

}  // namespace

void TWindowSubclass::Install(HWND window) {
  if (window_) throw EOSError("The subclass is installed already", ERROR_ALREADY_EXISTS);
  DWORD process = 0;
  if (!IsWindow(window) || !GetWindowThreadProcessId(window, &process) || process != GetCurrentProcessId())
    throw EOSError("Cannot subclass a window of another process", ERROR_INVALID_WINDOW_HANDLE);
  if (GetPropA(window, kPreviousProp))
    throw EOSError("The window is subclassed already", ERROR_ALREADY_EXISTS);
  auto previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC));
  if (!SetPropA(window, kPreviousProp, reinterpret_cast<HANDLE>(previous)) ||
      !SetPropA(window, kObjectProp, this)) {
    RemoveProps(window);
    RaiseLastOSError();
  }
  window_ = window;
  previous_ = previous;
  SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SubclassProc));
}

void TWindowSubclass::Uninstall() {
  if (!window_) return;
  HWND window = window_;
  window_ = nullptr;
  if (GetPropA(window, kObjectProp) == this) {
    if (reinterpret_cast<WNDPROC>(GetWindowLongPtrA(window, GWLP_WNDPROC)) == &SubclassProc) {
      SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
      RemoveProps(window);
    } else {
      // Someone subclassed after us: our procedure stays in their chain and forwards.
      RemovePropA(window, kObjectProp);
    }
  }
}

void TWindowSubclass::CallPrevious(TMessage& message) {
  if (!previous_) return;
  message.Result = CallWindowProcA(previous_, window_, message.Msg, message.WParam, message.LParam);
}

LRESULT CALLBACK TWindowSubclass::SubclassProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
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
    result = CallWindowProcA(previous, window, msg, wparam, lparam);
  } else {
    result = DefWindowProcA(window, msg, wparam, lparam);
  }
  if (msg == WM_NCDESTROY) {
    // The window is gone: forget it (the object may outlive it).
    self = static_cast<TWindowSubclass*>(GetPropA(window, kObjectProp));
    if (self && self->window_ == window) self->window_ = nullptr;
    RemoveProps(window);
  }
  return result;
}
