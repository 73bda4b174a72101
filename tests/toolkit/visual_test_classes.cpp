#include "visual_test_classes.h"

#include <algorithm>
#include <map>

#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/listview.h"

std::vector<std::string>& Trace() {
  static std::vector<std::string> trace;
  return trace;
}

std::vector<std::string> TraceOf(const std::string& prefix) {
  std::vector<std::string> found;
  for (const std::string& entry : Trace())
    if (entry.rfind(prefix, 0) == 0) found.push_back(entry);
  return found;
}

void Pump() { Application->ProcessMessages(); }

namespace {

// One lock per desktop: a test on a desktop of its own (see tools/wine-run) waits for nobody.
std::string DesktopLockName() {
  char name[256] = "";
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof(name) - 1,
                            nullptr);
  return std::string("Dravolin.DesktopTests.") + name;
}

}  // namespace

TDesktopLock::TDesktopLock() : mutex_(CreateMutexA(nullptr, FALSE, DesktopLockName().c_str())) {
  // An abandoned lock (a crashed test) is taken over all the same.
  if (mutex_) WaitForSingleObject(mutex_, 100000);
  ParkCursor();
}

bool PlaceCursor(POINT screen) {
  for (int attempt = 0; attempt < 20; ++attempt) {
    SetCursorPos(screen.x, screen.y);
    // The motion events of this and every earlier move are handled (and any moves they
    // cause dispatched) before the position is trusted: three quiet rounds in a row with the
    // cursor at the point.
    int quiet = 0;
    for (int round = 0; round < 50 && quiet < 3; ++round) {
      // The desktop's own process reads the display's motion events over its background (a
      // move that started or ended there) and reports them late on a busy machine: each
      // round waits for it to answer, so it has handled what the display sent it.
      DWORD_PTR answer = 0;
      SendMessageTimeoutA(GetDesktopWindow(), WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer);
      POINT now{};
      GetCursorPos(&now);
      MSG msg{};
      const bool queued = PeekMessageA(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_NOREMOVE) != 0;
      Pump();
      quiet = (now.x == screen.x && now.y == screen.y && !queued) ? quiet + 1 : 0;
    }
    if (quiet >= 3) return true;
  }
  return false;
}

void ParkCursor() {
  PlaceCursor(POINT{GetSystemMetrics(SM_CXVIRTUALSCREEN) - 1, GetSystemMetrics(SM_CYVIRTUALSCREEN) - 1});
}

bool MouseMessageAt(UINT msg, POINT screen, WPARAM keys) {
  if (!PlaceCursor(screen)) return false;
  HWND to = GetCapture() ? GetCapture() : WindowFromPoint(screen);
  POINT at = screen;
  ScreenToClient(to, &at);
  PostMessageA(to, msg, keys, PointToLParam(at));
  Pump();
  return true;
}

std::vector<std::string> WithoutBounces(const std::vector<std::string>& log) {
  auto name = [](const std::string& entry) { return entry.substr(0, entry.find(':')); };
  std::vector<std::string> kept;
  for (size_t i = 0; i < log.size(); ++i) {
    if (i + 1 < log.size() && name(log[i]) == name(log[i + 1]) && log[i].find("leave") != std::string::npos &&
        log[i + 1].find("enter") != std::string::npos) {
      ++i;
      continue;
    }
    kept.push_back(log[i]);
  }
  return kept;
}

TDesktopLock::~TDesktopLock() {
  if (!mutex_) return;
  ReleaseMutex(mutex_);
  CloseHandle(mutex_);
}

TMenuLoopWatch::TMenuLoopWatch() {
  current_ = this;
  hook_ = SetWindowsHookExA(WH_CALLWNDPROC, &HookProc, nullptr, GetCurrentThreadId());
  // The menu loop dispatches timer messages: the next tick ends the menu.
  timer_ = SetTimer(nullptr, 0, 10, &TimerProc);
}

TMenuLoopWatch::~TMenuLoopWatch() {
  KillTimer(nullptr, timer_);
  if (hook_) UnhookWindowsHookEx(hook_);
  current_ = nullptr;
}

LRESULT CALLBACK TMenuLoopWatch::HookProc(int code, WPARAM wparam, LPARAM lparam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
  if (code == HC_ACTION && current_ && message->message == WM_ENTERMENULOOP) {
    ++current_->entered_;
    current_->in_menu_ = true;
  }
  if (code == HC_ACTION && current_ && message->message == WM_EXITMENULOOP) current_->in_menu_ = false;
  return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK TMenuLoopWatch::TimerProc(HWND, UINT, UINT_PTR, DWORD) {
  if (current_ && current_->in_menu_) EndMenu();
}

TScreenRows::TScreenRows(TCustomListView* list) {
  HWND window = list->GetHandle();
  RECT client{};
  GetClientRect(window, &client);
  HDC dc = GetDC(window);
  for (int i = 0; i < list->GetItems()->GetCount(); ++i) {
    const RECT r = list->GetItems()->GetItem(i)->DisplayRect(drBounds);
    std::vector<COLORREF>& row = rows_.emplace_back();
    for (int y = r.top + 1; y < r.bottom - 1; ++y)
      for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, client.right); ++x)
        row.push_back(GetPixel(dc, x, y));
  }
  ReleaseDC(window, dc);
}

int TScreenRows::Count(int row, COLORREF colour) const {
  const auto& pixels = rows_[static_cast<size_t>(row)];
  return static_cast<int>(std::count(pixels.begin(), pixels.end(), colour));
}

std::vector<int> TScreenRows::Ink(COLORREF background) const {
  std::vector<int> ink;
  for (size_t i = 0; i < rows_.size(); ++i)
    ink.push_back(static_cast<int>(rows_[i].size()) - Count(static_cast<int>(i), background));
  return ink;
}

COLORREF TScreenRows::Fill(int row) const {
  std::map<COLORREF, int> counts;
  for (COLORREF c : rows_[static_cast<size_t>(row)]) ++counts[c];
  return std::max_element(counts.begin(), counts.end(),
                          [](const auto& a, const auto& b) { return a.second < b.second; })
      ->first;
}

void* PatchImport(const char* dll, const char* function, void* replacement) {
  auto* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
  auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + reinterpret_cast<IMAGE_DOS_HEADER*>(base)->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* module = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); module->Name;
       ++module) {
    if (lstrcmpiA(reinterpret_cast<char*>(base + module->Name), dll) != 0 || !module->OriginalFirstThunk)
      continue;
    auto* name = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->OriginalFirstThunk);
    auto* slot = reinterpret_cast<IMAGE_THUNK_DATA*>(base + module->FirstThunk);
    for (; name->u1.AddressOfData; ++name, ++slot) {
      if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal)) continue;
      auto* by_name = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + name->u1.AddressOfData);
      if (lstrcmpA(reinterpret_cast<char*>(by_name->Name), function) != 0) continue;
      DWORD protection = 0;
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, PAGE_READWRITE, &protection);
      auto* previous = reinterpret_cast<void*>(slot->u1.Function);
      slot->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
      VirtualProtect(&slot->u1.Function, sizeof slot->u1.Function, protection, &protection);
      return previous;
    }
  }
  return nullptr;
}

TBitmap* PictureOf(TWinControl* control) {
  RECT frame{};
  GetWindowRect(control->GetHandle(), &frame);
  TBitmap* picture = New<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(frame.right - frame.left, frame.bottom - frame.top);
  control->PaintTo(picture->GetCanvas()->GetHandle(), 0, 0);
  GdiFlush();
  return picture;
}

TColor PixelAt(TBitmap* picture, TWinControl* control, int x, int y) {
  RECT frame{};
  GetWindowRect(control->GetHandle(), &frame);
  POINT client = control->ClientToScreen({0, 0});
  return picture->GetPixelColor(x + client.x - frame.left, y + client.y - frame.top);
}

namespace {

std::string NameOf(LPARAM control) {
  return control ? reinterpret_cast<TControl*>(control)->GetName() : std::string();
}

std::string EnterLeave(TControl* self, const char* what, const TMessage& message) {
  std::string entry = self->GetName() + ":" + what;
  if (message.LParam) entry.append("<").append(NameOf(message.LParam));
  return entry;
}

}  // namespace

// ---- TTestShape ---------------------------------------------------------------------------

TK_CLASS_INFO(TTestShape, TGraphicControl)

void TTestShape::Publish(TPublisher<TTestShape>& p) {
  p.String("Caption", &TControl::GetCaption, &TControl::SetCaption);
}

TK_BEGIN_MESSAGE_MAP(TTestShape)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_END_MESSAGE_MAP()

TTestShape::TTestShape(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 40, 30); }

void TTestShape::SetOpaque(bool opaque) {
  TControlStyle style = GetControlStyle();
  SetControlStyle(opaque ? style.Include(csOpaque) : style.Exclude(csOpaque));
}

void TTestShape::Paint() {
  ++paint_count_;
  Trace().push_back(GetName() + ":paint");
  GetCanvas()->GetBrush()->SetColor(GetColor());
  GetCanvas()->FillRect(GetClientRect());
}

void TTestShape::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  Trace().push_back(GetName() + ":MouseDown " + std::to_string(x) + "," + std::to_string(y));
  inherited::MouseDown(button, shift, x, y);
}

void TTestShape::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  Trace().push_back(GetName() + ":MouseUp " + std::to_string(x) + "," + std::to_string(y));
  inherited::MouseUp(button, shift, x, y);
}

void TTestShape::Click() {
  Trace().push_back(GetName() + ":Click");
  inherited::Click();
}

void TTestShape::CMMouseEnter(TMessage& message) {
  Trace().push_back(EnterLeave(this, "enter", message));
  TK_INHERITED(message);
}

void TTestShape::CMMouseLeave(TMessage& message) {
  Trace().push_back(EnterLeave(this, "leave", message));
  TK_INHERITED(message);
}

// ---- TTestPanel ---------------------------------------------------------------------------

TK_CLASS_INFO(TTestPanel, TCustomControl)

void TTestPanel::Publish(TPublisher<TTestPanel>& p) {
  p.String("Caption", &TControl::GetCaption, &TControl::SetCaption);
}

TK_BEGIN_MESSAGE_MAP(TTestPanel)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_MESSAGE(WM_TESTMESSAGE, TestMessage)
TK_END_MESSAGE_MAP()

TTestPanel::TTestPanel(TComponent* owner) : TCustomControl(owner) {
  SetControlStyle(GetControlStyle() + TControlStyle{csAcceptsControls});
  SetBounds(0, 0, 100, 60);
}

void TTestPanel::Paint() {
  GetCanvas()->GetBrush()->SetColor(GetColor());
  GetCanvas()->FillRect(GetClientRect());
}

void TTestPanel::DefaultHandler(TMessage& message) {
  if (message.Msg == WM_TESTMESSAGE) Trace().push_back("default " + std::to_string(message.WParam));
  inherited::DefaultHandler(message);
}

void TTestPanel::TestMessage(TMessage& message) {
  Trace().push_back("base");
  message.WParam += 1;
  TK_INHERITED(message);
}

void TTestPanel::CMMouseEnter(TMessage& message) {
  Trace().push_back(EnterLeave(this, "enter", message));
  TK_INHERITED(message);
}

void TTestPanel::CMMouseLeave(TMessage& message) {
  Trace().push_back(EnterLeave(this, "leave", message));
  TK_INHERITED(message);
}

TK_CLASS_INFO(TTestSubPanel, TTestPanel)

TK_BEGIN_MESSAGE_MAP(TTestSubPanel)
TK_MESSAGE(WM_TESTMESSAGE, TestMessage)
TK_END_MESSAGE_MAP()

void TTestSubPanel::TestMessage(TMessage& message) {
  Trace().push_back("derived");
  message.WParam += 10;
  TK_INHERITED(message);
  message.Result = 42;
}

// ---- TTestButton --------------------------------------------------------------------------

TK_CLASS_INFO(TTestButton, TCustomControl)

void TTestButton::Publish(TPublisher<TTestButton>& p) {
  p.String("Caption", &TControl::GetCaption, &TControl::SetCaption);
  p.Boolean("Default", &TTestButton::GetDefault, &TTestButton::SetDefault);
  p.Boolean("Cancel", &TTestButton::GetCancel, &TTestButton::SetCancel);
  p.Integer("ModalResult", &TTestButton::GetModalResult, &TTestButton::SetModalResult);
}

TK_BEGIN_MESSAGE_MAP(TTestButton)
TK_MESSAGE(CM_DIALOGKEY, CMDialogKey)
TK_MESSAGE(CN_KEYDOWN, CNKeyDown)
TK_MESSAGE(CM_ENTER, CMEnter)
TK_MESSAGE(CM_EXIT, CMExit)
TK_MESSAGE(CM_FOCUSCHANGED, CMFocusChanged)
TK_END_MESSAGE_MAP()

TTestButton::TTestButton(TComponent* owner) : TCustomControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
  SetColor(clBtnFace);
}

void TTestButton::Click() {
  Trace().push_back(GetName() + ":Click");
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modal_result_);
  inherited::Click();
}

void TTestButton::Paint() {
  GetCanvas()->GetBrush()->SetColor(GetColor());
  GetCanvas()->FillRect(GetClientRect());
  GetCanvas()->GetBrush()->SetColor(clBlack);
  GetCanvas()->FrameRect(GetClientRect());
}

void TTestButton::CMDialogKey(TMessage& message) {
  bool enter = message.WParam == VK_RETURN && default_;
  bool escape = message.WParam == VK_ESCAPE && cancel_;
  if ((enter || escape) && CanFocus()) {
    Click();
    message.Result = 1;
    return;
  }
  TK_INHERITED(message);
}

void TTestButton::CNKeyDown(TMessage& message) {
  Trace().push_back(GetName() + ":CN_KEYDOWN " + std::to_string(message.WParam));
  TK_INHERITED(message);
}

void TTestButton::KeyDown(WORD& key, TShiftState shift) {
  Trace().push_back(GetName() + ":KeyDown " + std::to_string(key));
  inherited::KeyDown(key, shift);
}

void TTestButton::KeyPress(char& key) {
  Trace().push_back(GetName() + ":KeyPress " + key);
  inherited::KeyPress(key);
}

void TTestButton::CMEnter(TMessage& message) {
  Trace().push_back(GetName() + ":enter focus");
  TK_INHERITED(message);
}

void TTestButton::CMExit(TMessage& message) {
  Trace().push_back(GetName() + ":exit focus");
  TK_INHERITED(message);
}

void TTestButton::CMFocusChanged(TMessage& message) {
  Trace().push_back(GetName() + ":focus changed to " + NameOf(message.LParam));
  TK_INHERITED(message);
}

// ---- TTestEdit ----------------------------------------------------------------------------

TK_CLASS_INFO(TTestEdit, TWinControl)

void TTestEdit::Publish(TPublisher<TTestEdit>& p) {
  p.String("Text", &TControl::GetText, &TControl::SetText);
}

TTestEdit::TTestEdit(TComponent* owner) : TWinControl(owner) {
  SetTabStop(true);
  SetBounds(0, 0, 120, 21);
  control_style_.Exclude(csSetCaption);
}

void TTestEdit::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, "EDIT");
  params.Style |= ES_AUTOHSCROLL | WS_BORDER;
}

void TTestEdit::WndProc(TMessage& message) {
  if (GetControlState().Contains(csCreating)) creation_messages_.push_back(message.Msg);
  inherited::WndProc(message);
}

// ---- TTestForm ----------------------------------------------------------------------------

TK_CLASS_INFO(TTestForm, TForm)
TK_CLASS_INFO(TDefinedForm, TTestForm)

void TTestForm::Publish(TPublisher<TTestForm>& p) {
  p.Method("FormCreate", &TTestForm::FormCreate);
  p.Method("FormShow", &TTestForm::FormShow);
  p.Method("FormDestroy", &TTestForm::FormDestroy);
  p.Method("ButtonClick", &TTestForm::ButtonClick);
  p.Method("FailingClick", &TTestForm::FailingClick);
  p.Method("FormKeyDown", &TTestForm::FormKeyDown);
  p.Method("FormKeyPress", &TTestForm::FormKeyPress);
}

void TTestForm::FormCreate(TObject* sender) {
  std::string entry = "FormCreate " + std::to_string(GetComponentCount());
  if (TComponent* button = FindComponent("btnOk"))
    entry += " " + static_cast<TControl*>(button)->GetCaption();
  Trace().push_back(entry);
  (void)sender;
}

void TTestForm::FormShow(TObject* sender) {
  Trace().push_back(std::string("FormShow visible=") + (GetVisible() ? "1" : "0") +
                    " window=" + (IsWindowVisible(GetHandle()) ? "1" : "0"));
  (void)sender;
}

void TTestForm::FormDestroy(TObject* sender) {
  Trace().push_back("FormDestroy");
  (void)sender;
}

void TTestForm::ButtonClick(TObject* sender) {
  Trace().push_back("ButtonClick " + static_cast<TComponent*>(sender)->GetName());
}

void TTestForm::FailingClick(TObject* sender) {
  (void)sender;
  throw EConvertError("The lap time is not valid");
}

void TTestForm::FormKeyDown(TObject* sender, WORD& key, TShiftState shift) {
  (void)sender;
  (void)shift;
  Trace().push_back("FormKeyDown " + std::to_string(key));
  for (WORD k : swallow)
    if (k == key) key = 0;
}

void TTestForm::FormKeyPress(TObject* sender, char& key) {
  (void)sender;
  Trace().push_back(std::string("FormKeyPress ") + key);
  if (key == 'x') key = 0;
}

void RegisterTestControls() {
  RegisterClasses({TTestShape::StaticClass(), TTestPanel::StaticClass(), TTestSubPanel::StaticClass(),
                   TTestButton::StaticClass(), TTestEdit::StaticClass()});
}
