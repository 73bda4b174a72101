#include "widgets/justone.h"

#include "toolkit/controls.h"

#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

namespace {

HANDLE SystemCreateMutex(const char* name) { return CreateMutexA(nullptr, FALSE, name); }
TXJustOne::TCreateMutex g_create_mutex = &SystemCreateMutex;

// Test scripts run copies side by side, each on a desktop of its own, and keep their guards
// apart with this; the program itself never sets it.
std::string TestInstance() {
  char value[128] = {};
  const DWORD length = GetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", value, sizeof value);
  return length && length < sizeof value ? std::string(value, length) : std::string();
}

}  // namespace

TK_CLASS_INFO(TXJustOne, TComponent)

void TXJustOne::Publish(TPublisher<TXJustOne>& p) {
  p.Boolean("SwitchToPrevious", &TXJustOne::GetSwitchToPrevious, &TXJustOne::SetSwitchToPrevious)
      .Default(true);
  p.Event("AlreadyExist", &TXJustOne::AlreadyExist);
}

TXJustOne::TXJustOne(TComponent* owner) : TComponent(owner) {}

TXJustOne::~TXJustOne() {
  if (created_ && mutex_) CloseHandle(mutex_);
}

void TXJustOne::SetMutexCreator(TCreateMutex creator) {
  g_create_mutex = creator ? creator : &SystemCreateMutex;
}

std::string TXJustOne::MutexName() {
  // The title is cut at 256 characters; a mutex name may not hold a backslash.
  std::string name = Application ? Application->GetTitle().substr(0, 256) : std::string();
  if (const std::string instance = TestInstance(); !instance.empty()) name += "@" + instance;
  for (char& c : name)
    if (c == '\\') c = '/';
  return name;
}

void TXJustOne::Loaded() {
  inherited::Loaded();
  const std::string name = MutexName();
  const std::string title = Application ? Application->GetTitle().substr(0, 256) : std::string();
  created_ = false;
  SetLastError(0);
  mutex_ = g_create_mutex(name.c_str());
  // A creation that fails (denied: another session holds the name) counts as a running copy.
  if (GetLastError() != ERROR_ALREADY_EXISTS && mutex_) {
    created_ = true;
    return;
  }
  Refuse(title);
  created_ = true;
}

namespace {

// The first top-level window of that title (any class) that is not one of this copy's own
// controls: the skin engine may already have made this copy's main window, whose caption can
// match the title too (the search ignores case).
HWND RunningCopyWindow(const std::string& title) {
  for (HWND window = FindWindowExA(nullptr, nullptr, nullptr, title.c_str()); window;
       window = FindWindowExA(nullptr, window, nullptr, title.c_str()))
    if (!FindControl(window)) return window;
  return nullptr;
}

}  // namespace

void TXJustOne::Refuse(const std::string& title) {
  refused_ = true;
  AlreadyExist(this);
  if (switch_to_previous_ && Application) {
    // Our own hidden window carries the same title: cleared so the search finds the other.
    SetWindowTextA(Application->GetHandle(), "");
    if (HWND previous = RunningCopyWindow(title)) {
      if (IsIconic(previous))
        ShowWindow(previous, SW_RESTORE);
      else
        BringWindowToTop(previous);
      SetForegroundWindow(previous);
    }
  }
  if (Application) {
    Application->SetShowMainForm(false);
    Application->Terminate();
  }
}
