#include "tests/support/dialog_answerer.h"

#include <algorithm>
#include <stdexcept>

namespace testsupport {
namespace {

thread_local DialogWatcher* t_watcher = nullptr;

std::string WindowText(HWND wnd) {
  int length = GetWindowTextLengthA(wnd);
  std::string text(static_cast<size_t>(length) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(wnd, text.data(), length + 1)));
  return text;
}

bool IsDialogBox(HWND wnd) {
  char name[16] = {};
  GetClassNameA(wnd, name, sizeof name);
  return lstrcmpA(name, "#32770") == 0;
}

// The button Enter would press: the button drawn as default, else the dialog's default
// identifier when it names a control (Wine answers 1 for boxes that have no IDOK), else
// the focused control.
int DefaultButton(HWND box) {
  for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
    if ((GetWindowLongPtrA(child, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) return GetDlgCtrlID(child);
  LRESULT def = SendMessageA(box, DM_GETDEFID, 0, 0);
  if (HIWORD(def) == DC_HASDEFID && GetDlgItem(box, LOWORD(def))) return LOWORD(def);
  HWND focus = GetFocus();
  if (focus && GetParent(focus) == box) return GetDlgCtrlID(focus);
  return IDOK;
}

}  // namespace

DialogWatcher::DialogWatcher(Handler handler) : handler_(std::move(handler)) {
  if (t_watcher) throw std::logic_error("one DialogWatcher per thread");
  hook_ = SetWindowsHookExA(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
  if (!hook_) throw std::runtime_error("SetWindowsHookEx(WH_CBT) failed");
  t_watcher = this;
}

DialogWatcher::~DialogWatcher() {
  if (timer_) KillTimer(nullptr, timer_);
  UnhookWindowsHookEx(hook_);
  t_watcher = nullptr;
}

LRESULT CALLBACK DialogWatcher::CbtProc(int code, WPARAM wparam, LPARAM lparam) {
  DialogWatcher* self = t_watcher;
  if (code == HCBT_ACTIVATE && self) {
    HWND wnd = reinterpret_cast<HWND>(wparam);
    auto& seen = self->handled_;
    if (IsDialogBox(wnd) && std::find(seen.begin(), seen.end(), wnd) == seen.end()) {
      seen.push_back(wnd);
      self->pending_.push_back(wnd);
      // The box is activated before it has finished its set-up (default button and so
      // on): hand it over from a timer, which its modal loop dispatches once it runs.
      if (!self->timer_) self->timer_ = SetTimer(nullptr, 0, 0, TimerProc);
    }
  }
  return CallNextHookEx(self ? self->hook_ : nullptr, code, wparam, lparam);
}

void CALLBACK DialogWatcher::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  DialogWatcher* self = t_watcher;
  if (!self) return;
  KillTimer(nullptr, self->timer_);
  self->timer_ = 0;
  std::vector<HWND> ready;
  ready.swap(self->pending_);
  for (HWND wnd : ready)
    if (IsWindow(wnd)) self->handler_(wnd);
}

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers)
    : answers_(std::move(answers)), watcher_([this](HWND box) { Answer(box); }) {}

void MessageBoxAnswerer::Answer(HWND box) {
  // 0xFFFF is the identifier of a message box's text control.
  HWND text = GetDlgItem(box, 0xFFFF);
  boxes_.push_back({WindowText(box), text ? WindowText(text) : std::string()});
  size_t index = boxes_.size() - 1;
  int answer = index < answers_.size() ? answers_[index] : DefaultButton(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

}  // namespace testsupport
