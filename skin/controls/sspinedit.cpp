#include "skin/controls/sspinedit.h"

#include <algorithm>
#include <climits>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/sysutils.h"
#include "toolkit/timers.h"
#include "toolkit/typinfo.h"

namespace {

constexpr unsigned kFirstRepeat = 400;  // ms before the first repeat
constexpr unsigned kRepeat = 100;       // ms between repeats
constexpr int kMinButtonWidth = 15;
constexpr int kBorder = 3;  // the edit's skinned border

bool Loading(const TComponent* component) { return component->GetComponentState().Contains(csLoading); }

}  // namespace

// ---- TsTimerSpeedButton -----------------------------------------------------------------------

TK_CLASS_INFO(TsTimerSpeedButton, TSpeedButton)

TsTimerSpeedButton::TsTimerSpeedButton(TComponent* owner) : TSpeedButton(owner) {}

void TsTimerSpeedButton::SetFocusMark(bool mark) {
  if (mark == focus_mark_) return;
  focus_mark_ = mark;
  Invalidate();
}

void TsTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  TSpeedButton::MouseDown(button, shift, x, y);
  if (button != mbLeft || !allow_timer_ || !GetEnabled()) return;
  if (!timer_) {
    timer_ = New<TTimer>(this);
    timer_->SetEnabled(false);
    timer_->SetOnTimer(TNotifyEvent(this, &TsTimerSpeedButton::TimerExpired));
  }
  timer_->SetInterval(kFirstRepeat);
  timer_->SetEnabled(true);
}

void TsTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (timer_) timer_->SetEnabled(false);
  TSpeedButton::MouseUp(button, shift, x, y);
}

void TsTimerSpeedButton::TimerExpired(TObject* sender) {
  (void)sender;
  timer_->SetInterval(kRepeat);
  // While the button holds the mouse, wherever the mouse is now; a timer whose button lost
  // the mouse without a release has nothing left to do.
  if (GetMouseCapture())
    Click();
  else
    timer_->SetEnabled(false);
}

void TsTimerSpeedButton::Paint() {
  TSpeedButton::Paint();
  TCanvas* canvas = GetCanvas();
  const int w = GetWidth(), h = GetHeight();
  const int shift = state_ == bsDown ? 1 : 0;
  if (!GetGlyph() || GetGlyph()->GetEmpty()) {
    // The default arrow: a filled triangle 6 wide and 3 high, centred.
    const int left = (w - 6) / 2 + shift, top = (h - 3) / 2 + shift;
    const TColor ink = GetEnabled() ? clBlack : clGray;
    for (int row = 0; row < 3; ++row) {
      const int inset = points_up_ ? 2 - row : row;
      for (int x = left + inset; x < left + 6 - inset; ++x) canvas->SetPixels(x, top + row, ink);
    }
  }
  if (focus_mark_) {
    RECT r{kBorder + shift, kBorder + shift, w - kBorder + shift, h - kBorder + shift};
    canvas->GetBrush()->SetColor(clBtnFace);
    canvas->DrawFocusRect(r);
  }
}

// ---- TsSpinButton ------------------------------------------------------------------------------

TK_CLASS_INFO(TsSpinButton, TCustomControl)

TK_BEGIN_MESSAGE_MAP(TsSpinButton)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
TK_MESSAGE(WM_SETFOCUS, WMSetFocus)
TK_MESSAGE(WM_KILLFOCUS, WMKillFocus)
TK_END_MESSAGE_MAP()

TsSpinButton::TsSpinButton(TComponent* owner) : TCustomControl(owner) {
  control_style_.Exclude(csAcceptsControls);
  control_style_.Exclude(csSetCaption);
  control_style_.Include(csFramed);
  // The edit's colour (the skin's) shows round the flat buttons.
  SetParentColor(true);
  up_ = New<TsTimerSpeedButton>(this);
  down_ = New<TsTimerSpeedButton>(this);
  down_->SetPointsUp(false);
  for (TsTimerSpeedButton* button : {up_, down_}) {
    button->SetFlat(true);
    button->SetTransparent(true);
    button->OnMouseDown = TMouseEvent(this, &TsSpinButton::ButtonMouseDown);
    button->OnClick = TNotifyEvent(this, &TsSpinButton::ButtonClick);
    button->SetParent(this);
  }
  focused_ = up_;
  TCustomControl::SetBounds(0, 0, 18, 21);
  int w = GetWidth(), h = GetHeight();
  FitButtons(w, h);
}

void TsSpinButton::FitButtons(int& width, int& height) {
  if (!up_ || !down_ || Loading(this)) return;
  width = std::max(width, kMinButtonWidth);
  const int half = height / 2;
  up_->SetBounds(0, 0, width, half);
  down_->SetBounds(0, half, width, height - half);
}

void TsSpinButton::SetBounds(int left, int top, int width, int height) {
  FitButtons(width, height);
  TCustomControl::SetBounds(left, top, width, height);
}

void TsSpinButton::WMSize(TMessage& message) {
  TK_INHERITED(message);
  int w = GetWidth(), h = GetHeight();
  FitButtons(w, h);
  if (w != GetWidth() || h != GetHeight()) TCustomControl::SetBounds(GetLeft(), GetTop(), w, h);
}

void TsSpinButton::Loaded() {
  TCustomControl::Loaded();
  int w = GetWidth(), h = GetHeight();
  FitButtons(w, h);
  if (w != GetWidth() || h != GetHeight()) TCustomControl::SetBounds(GetLeft(), GetTop(), w, h);
}

void TsSpinButton::SetFocusControl(TWinControl* control) {
  focus_control_ = control;
  if (control) control->FreeNotification(this);
}

void TsSpinButton::Notification(TComponent* component, TOperation operation) {
  TCustomControl::Notification(component, operation);
  if (operation == opRemove && component == focus_control_) focus_control_ = nullptr;
}

void TsSpinButton::SetUpGlyph(TBitmap* glyph) { up_->SetGlyph(glyph); }
void TsSpinButton::SetDownGlyph(TBitmap* glyph) { down_->SetGlyph(glyph); }

void TsSpinButton::FocusButton(TsTimerSpeedButton* button) {
  if (button == focused_ || !CanFocus()) return;
  focused_->SetFocusMark(false);
  focused_ = button;
  focused_->SetFocusMark(Focused());
  focused_->Invalidate();
}

void TsSpinButton::ButtonMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y) {
  (void)shift, (void)x, (void)y;
  if (button != mbLeft) return;
  FocusButton(sender == down_ ? down_ : up_);
  auto may_take = [](TWinControl* c) { return c && c->GetTabStop() && c->CanFocus() && !c->Focused(); };
  if (may_take(focus_control_))
    focus_control_->SetFocus();
  else if (may_take(this))
    SetFocus();
}

void TsSpinButton::ButtonClick(TObject* sender) {
  if (sender == up_)
    OnUpClick(this);
  else if (sender == down_)
    OnDownClick(this);
}

void TsSpinButton::WMGetDlgCode(TMessage& message) { message.Result = DLGC_WANTARROWS; }

void TsSpinButton::WMSetFocus(TMessage& message) {
  TK_INHERITED(message);
  focused_->SetFocusMark(true);
}

void TsSpinButton::WMKillFocus(TMessage& message) {
  TK_INHERITED(message);
  focused_->SetFocusMark(false);
}

// ---- TsBaseSpinEdit ----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsBaseSpinEdit, TsEdit)

void TsBaseSpinEdit::Publish(TPublisher<TsBaseSpinEdit>& p) {
  p.Boolean("EditorEnabled", &TsBaseSpinEdit::GetEditorEnabled, &TsBaseSpinEdit::SetEditorEnabled)
      .Default(true);
}

TK_BEGIN_MESSAGE_MAP(TsBaseSpinEdit)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_PASTE, WMPasteOrCut)
TK_MESSAGE(WM_CUT, WMPasteOrCut)
TK_MESSAGE(WM_GETDLGCODE, WMGetDlgCode)
TK_END_MESSAGE_MAP()

TsBaseSpinEdit::TsBaseSpinEdit(TComponent* owner) : TsEdit(owner) {
  button_ = New<TsSpinButton>(this);
  button_->SetBounds(0, 0, 15, 13);
  button_->SetVisible(true);
  button_->SetParent(this);
  button_->OnUpClick = TNotifyEvent(this, &TsBaseSpinEdit::UpButtonClick);
  button_->OnDownClick = TNotifyEvent(this, &TsBaseSpinEdit::DownButtonClick);
  button_->SetFocusControl(this);
  SetText("0");
}

void TsBaseSpinEdit::CreateParams(TCreateParams& params) {
  TsEdit::CreateParams(params);
  // Multi-line, so the text can be kept clear of the buttons (EM_SETRECTNP).
  params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TsBaseSpinEdit::CreateWnd() {
  TsEdit::CreateWnd();
  SetEditRect();
}

void TsBaseSpinEdit::SetEditRect() {
  if (!HandleAllocated()) return;
  RECT client{};
  ::GetClientRect(handle_, &client);
  RECT text{};
  SendMessageA(handle_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
  text = RECT{0, 0, std::max<LONG>(client.right - button_->GetWidth() - 2, 0), client.bottom + 1};
  SendMessageA(handle_, EM_SETRECTNP, 0, reinterpret_cast<LPARAM>(&text));
  SendMessageA(handle_, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
}

int TsBaseSpinEdit::MinHeight() {
  HDC dc = GetDC(nullptr);
  TEXTMETRICA system{}, font{};
  GetTextMetricsA(dc, &system);
  HGDIOBJ old = SelectObject(dc, GetFont()->GetHandle());
  GetTextMetricsA(dc, &font);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return std::min(system.tmHeight, font.tmHeight) / 4 + font.tmHeight + GetSystemMetrics(SM_CYBORDER) * 4 + 2;
}

void TsBaseSpinEdit::WMSize(TMessage& message) {
  TK_INHERITED(message);
  const int min_height = MinHeight();
  if (min_height > GetHeight()) {
    SetHeight(min_height);
    return;
  }
  button_->SetBounds(GetWidth() - button_->GetWidth() - 2 * kBorder, 0, button_->GetWidth(),
                     GetHeight() - 2 * kBorder);
  SetEditRect();
}

void TsBaseSpinEdit::Invalidate() {
  TsEdit::Invalidate();
  if (MayPaint()) button_->Invalidate();
}

void TsBaseSpinEdit::KeyDown(WORD& key, TShiftState shift) {
  if (shift.Contains(ssCtrl)) {
    if (key == VK_UP) UpClick();
    if (key == VK_DOWN) DownClick();
  }
  TsEdit::KeyDown(key, shift);
}

bool TsBaseSpinEdit::IsValidChar(char key) const {
  (void)key;
  return editor_enabled_;
}

void TsBaseSpinEdit::KeyPress(char& key) {
  if (!IsValidChar(key)) {
    key = 0;
    MessageBeep(0);
  }
  if (key != 0) TsEdit::KeyPress(key);
}

void TsBaseSpinEdit::WMPasteOrCut(TMessage& message) {
  if (editor_enabled_ && !GetReadOnly()) TK_INHERITED(message);
}

void TsBaseSpinEdit::WMGetDlgCode(TMessage& message) {
  TK_INHERITED(message);
  // Multi-line edits want Enter and Escape; this one leaves them to the form's buttons.
  message.Result &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS);
}

// ---- TsSpinEdit --------------------------------------------------------------------------------

TK_CLASS_INFO(TsSpinEdit, TsBaseSpinEdit)

void TsSpinEdit::Publish(TPublisher<TsSpinEdit>& p) {
  p.Integer("Increment", &TsSpinEdit::GetIncrement, &TsSpinEdit::SetIncrement).Default(1);
  p.Integer("MinValue", &TsSpinEdit::GetMinValue, &TsSpinEdit::SetMinValue).Default(0);
  p.Integer("MaxValue", &TsSpinEdit::GetMaxValue, &TsSpinEdit::SetMaxValue).Default(0);
  p.Integer("Value", &TsSpinEdit::GetValue, &TsSpinEdit::SetValue);
}

int TsSpinEdit::CheckValue(int64_t value) const {
  // Below MinValue first: limits set the wrong way round give MinValue below it, MaxValue above.
  if (min_value_ != max_value_) {
    if (value < min_value_)
      value = min_value_;
    else if (value > max_value_)
      value = max_value_;
  }
  // Without limits a step past the 32-bit range stops at its end.
  return static_cast<int>(std::clamp<int64_t>(value, INT_MIN, INT_MAX));
}

int TsSpinEdit::GetValue() const {
  // Decimal only: "$10" is no number the user can type here.
  const std::string text = GetText();
  int value = 0;
  return text.find('$') == std::string::npos && TryStrToInt(text, value) ? value : min_value_;
}

void TsSpinEdit::SetValue(int value) { SetText(IntToStr(CheckValue(value))); }

void TsSpinEdit::Step(int64_t delta) {
  if (GetReadOnly()) {
    MessageBeep(0);
    return;
  }
  SetText(IntToStr(CheckValue(static_cast<int64_t>(GetValue()) + delta)));
}

void TsSpinEdit::UpClick() { Step(increment_); }
void TsSpinEdit::DownClick() { Step(-static_cast<int64_t>(increment_)); }

bool TsSpinEdit::IsValidChar(char key) const {
  const auto code = static_cast<unsigned char>(key);
  const bool control_key = code < 32 && code != VK_RETURN;
  if (!control_key && (code < '0' || code > '9')) return false;
  // Without the editor only control keys (not Backspace) go through.
  return GetEditorEnabled() || (control_key && code != VK_BACK);
}

void TsSpinEdit::DoExit() {
  TsBaseSpinEdit::DoExit();
  // Whatever was typed (nothing too) leaves as the number it stands for, within the limits.
  const std::string clamped = IntToStr(CheckValue(GetValue()));
  if (GetText() != clamped) SetText(clamped);
}
