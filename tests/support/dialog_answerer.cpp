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

namespace {

// Records a message box and presses the given answer (its default button for -1).
void AnswerBox(HWND box, int answer, std::vector<MessageBoxAnswerer::Box>& boxes) {
  // 0xFFFF is the identifier of a message box's text control.
  HWND text = GetDlgItem(box, 0xFFFF);
  boxes.push_back({WindowText(box), text ? WindowText(text) : std::string()});
  if (answer < 0) answer = DefaultButton(box);
  PostMessageA(box, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
}

// The file-name box of a common file dialog: the combo box of newer layouts (cmb13) or
// the edit of older ones (edt1); null for other dialogs.
HWND FileNameBox(HWND dialog) {
  if (HWND combo = GetDlgItem(dialog, 0x47C)) return combo;
  return GetDlgItem(dialog, 0x480);
}

}  // namespace

MessageBoxAnswerer::MessageBoxAnswerer(std::vector<int> answers)
    : answers_(std::move(answers)), watcher_([this](HWND box) { Answer(box); }) {}

void MessageBoxAnswerer::Answer(HWND box) {
  size_t index = boxes_.size();
  AnswerBox(box, index < answers_.size() ? answers_[index] : -1, boxes_);
}

FileDialogAnswerer::FileDialogAnswerer(std::vector<std::string> names, std::vector<int> box_answers)
    : names_(std::move(names)),
      box_answers_(std::move(box_answers)),
      watcher_([this](HWND dialog) { Answer(dialog); }) {}

void FileDialogAnswerer::Answer(HWND dialog) {
  HWND name_box = FileNameBox(dialog);
  if (!name_box) {
    size_t index = boxes_.size();
    AnswerBox(dialog, index < box_answers_.size() ? box_answers_[index] : -1, boxes_);
    return;
  }
  size_t index = titles_.size();
  titles_.push_back(WindowText(dialog));
  std::string name = index < names_.size() ? names_[index] : std::string();
  if (name.empty()) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return;
  }
  SetWindowTextA(name_box, name.c_str());
  PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

}  // namespace testsupport
