#include "toolkit/spin.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TSpinEdit, TCustomEdit)

void TSpinEdit::Publish(TPublisher<TSpinEdit>& p) {
  p.Boolean("EditorEnabled", &TSpinEdit::GetEditorEnabled, &TSpinEdit::SetEditorEnabled).Default(true);
  p.Integer("Increment", &TSpinEdit::GetIncrement, &TSpinEdit::SetIncrement).Default(1);
  p.Integer("MinValue", &TSpinEdit::GetMinValue, &TSpinEdit::SetMinValue).Default(0);
  p.Integer("MaxValue", &TSpinEdit::GetMaxValue, &TSpinEdit::SetMaxValue).Default(0);
  p.Integer("Value", &TSpinEdit::GetValue, &TSpinEdit::SetValue);
}

TK_BEGIN_MESSAGE_MAP(TSpinEdit)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_NCPAINT, WMNCPaint)
TK_MESSAGE(WM_PASTE, WMPasteOrCut)
TK_MESSAGE(WM_CUT, WMPasteOrCut)
TK_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
TK_END_MESSAGE_MAP()

TSpinEdit::TSpinEdit(TComponent* owner) : TCustomEdit(owner) {
  button_ = New<TUpDown>(this);
  button_->SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL), 17);
  // No range: the arrows only report presses, the edit does the counting.
  button_->SetMin(0);
  button_->SetMax(0);
  button_->SetArrowKeys(false);
  button_->OnClick = TUDClickEvent(this, &TSpinEdit::ButtonClick);
  button_->SetParent(this);
  SetText("0");
}

void TSpinEdit::CreateParams(TCreateParams& params) {
  TCustomEdit::CreateParams(params);
  // Multi-line, so the text can be kept clear of the arrows (EM_SETRECTNP).
  params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TSpinEdit::CreateWnd() {
  TCustomEdit::CreateWnd();
  PlaceButton();
}

void TSpinEdit::PlaceButton() {
  if (!HandleAllocated()) return;
  // The arrows' window first, so it is placed where it is (not created at a stale place).
  button_->HandleNeeded();
  RECT client = GetClientRect();
  int width = button_->GetWidth();
  button_->SetBounds(client.right - width, 0, width, client.bottom);
  RECT text{0, 0, std::max<LONG>(client.right - width - 2, 0), client.bottom + 1};
  SendMessageA(handle_, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
}

void TSpinEdit::WMSize(TMessage& message) {
  TK_INHERITED(message);
  PlaceButton();
}

void TSpinEdit::WMNCPaint(TMessage& message) {
  TK_INHERITED(message);
  // A themed edit draws its frame with a window DC that does not clip children: it covers the
  // arrows, whose window is not made invalid by that. They are drawn again.
  if (!button_->HandleAllocated()) return;
  auto region = reinterpret_cast<HRGN>(message.WParam);
  RECT arrows{};
  GetWindowRect(button_->GetHandle(), &arrows);
  if (message.WParam == 1 || RectInRegion(region, &arrows))
    InvalidateRect(button_->GetHandle(), nullptr, TRUE);
}

int TSpinEdit::CheckValue(int value) const {
  if (min_value_ == max_value_) return value;
  return std::clamp(value, std::min(min_value_, max_value_), std::max(min_value_, max_value_));
}

int TSpinEdit::GetValue() const {
  int value = 0;
  return TryStrToInt(GetText(), value) ? value : min_value_;
}

void TSpinEdit::SetValue(int value) { SetText(IntToStr(CheckValue(value))); }

void TSpinEdit::UpClick() {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetValue(GetValue() + increment_);
}

void TSpinEdit::DownClick() {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetValue(GetValue() - increment_);
}

void TSpinEdit::ButtonClick(TObject* sender, TUDBtnType button) {
  (void)sender;
  if (button == btNext)
    UpClick();
  else
    DownClick();
}

void TSpinEdit::KeyDown(WORD& key, TShiftState shift) {
  if (shift.Contains(ssCtrl)) {
    if (key == VK_UP) UpClick();
    if (key == VK_DOWN) DownClick();
  }
  TCustomEdit::KeyDown(key, shift);
}

bool TSpinEdit::IsValidChar(char key) const {
  auto code = static_cast<unsigned char>(key);
  bool control_key = code < 32 && code != VK_RETURN;
  if (!control_key && (code < '0' || code > '9')) return false;
  // Without the editor only control keys (not Backspace) go through.
  return editor_enabled_ || (control_key && code != VK_BACK);
}

void TSpinEdit::KeyPress(char& key) {
  if (!IsValidChar(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key != 0) TCustomEdit::KeyPress(key);
}

void TSpinEdit::DoExit() {
  TCustomEdit::DoExit();
  // Whatever was typed leaves as the number it stands for, within the limits.
  std::string clamped = IntToStr(CheckValue(GetValue()));
  if (GetText() != clamped) SetText(clamped);
}

void TSpinEdit::WMPasteOrCut(TMessage& message) {
  if (editor_enabled_ && !GetReadOnly()) TK_INHERITED(message);
}

void TSpinEdit::WMGetDlgCode(TMessage& message) {
  TK_INHERITED(message);
  // Multi-line edits want Enter and Escape; this one leaves them to the form's buttons.
  message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

void RegisterSpinClasses() { RegisterClasses({TSpinEdit::StaticClass()}); }
