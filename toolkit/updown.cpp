#include "toolkit/updown.h"

#include <commctrl.h>

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& OrientationInfo() {
  static const TEnumInfo info{"udHorizontal", "udVertical"};
  return info;
}

const TEnumInfo& AlignButtonInfo() {
  static const TEnumInfo info{"udLeft", "udRight"};
  return info;
}

}  // namespace

TK_ABSTRACT_CLASS_INFO(TCustomUpDown, TWinControl)
TK_CLASS_INFO(TUpDown, TCustomUpDown)

void TCustomUpDown::Publish(TPublisher<TCustomUpDown>& p) {
  p.Enumeration("AlignButton", AlignButtonInfo(), &TCustomUpDown::GetAlignButton,
                &TCustomUpDown::SetAlignButton)
      .Default(udRight);
  p.Boolean("ArrowKeys", &TCustomUpDown::GetArrowKeys, &TCustomUpDown::SetArrowKeys).Default(true);
  p.Integer("Increment", &TCustomUpDown::GetIncrement, &TCustomUpDown::SetIncrement).Default(1);
  p.Integer("Min", &TCustomUpDown::GetMin, &TCustomUpDown::SetMin).Default(0);
  p.Integer("Max", &TCustomUpDown::GetMax, &TCustomUpDown::SetMax).Default(100);
  p.Integer("Position", &TCustomUpDown::GetPosition, &TCustomUpDown::SetPosition).Default(0);
  p.Enumeration("Orientation", OrientationInfo(), &TCustomUpDown::GetOrientation,
                &TCustomUpDown::SetOrientation)
      .Default(udVertical);
  p.Boolean("Thousands", &TCustomUpDown::GetThousands, &TCustomUpDown::SetThousands).Default(true);
  p.Boolean("Wrap", &TCustomUpDown::GetWrap, &TCustomUpDown::SetWrap).Default(false);
  p.Object("Associate", &TCustomUpDown::GetAssociate, &TCustomUpDown::SetAssociate);
  p.Event("OnClick", &TCustomUpDown::OnClick);
  p.Event("OnChanging", &TCustomUpDown::OnChanging);
}

TK_BEGIN_MESSAGE_MAP(TCustomUpDown)
TK_MESSAGE(CN_NOTIFY, CNNotify)
TK_MESSAGE(CN_HSCROLL, CNScroll)
TK_MESSAGE(CN_VSCROLL, CNScroll)
TK_END_MESSAGE_MAP()

TCustomUpDown::TCustomUpDown(TComponent* owner) : TWinControl(owner) {
  // The system's control captures the mouse and repeats by itself; every press counts, so a
  // quick second press is a press and not a double click.
  control_style_ = {};
  SetColor(clBtnFace);
  SetBounds(0, 0, 17, 25);
}

void TCustomUpDown::CreateParams(TCreateParams& params) {
  TWinControl::CreateParams(params);
  CreateSubClass(params, UPDOWN_CLASSA);
  params.Style |= UDS_SETBUDDYINT | (align_button_ == udRight ? UDS_ALIGNRIGHT : UDS_ALIGNLEFT);
  if (arrow_keys_) params.Style |= UDS_ARROWKEYS;
  if (wrap_) params.Style |= UDS_WRAP;
  if (!thousands_) params.Style |= UDS_NOTHOUSANDS;
  if (orientation_ == udHorizontal) params.Style |= UDS_HORZ;
}

void TCustomUpDown::CreateWnd() {
  TWinControl::CreateWnd();
  SendMessageA(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
  UDACCEL accel{0, static_cast<UINT>(increment_)};
  SendMessageA(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  if (associate_ && (associate_->HandleAllocated() || associate_->GetParent()))
    SendMessageA(handle_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(associate_->GetHandle()), 0);
  SendMessageA(handle_, UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::SetMin(int min) {
  if (min == min_) return;
  min_ = min;
  if (handle_) SendMessageA(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TCustomUpDown::SetMax(int max) {
  if (max == max_) return;
  max_ = max;
  if (handle_) SendMessageA(handle_, UDM_SETRANGE32, static_cast<WPARAM>(min_), max_);
}

void TCustomUpDown::SetPosition(int position) {
  // While a form definition is read, the range may still come.
  if (!IsReading()) position = std::clamp(position, std::min(min_, max_), std::max(min_, max_));
  position_ = position;
  if (handle_) SendMessageA(handle_, UDM_SETPOS32, 0, position);
}

void TCustomUpDown::SetIncrement(int increment) {
  if (increment == increment_) return;
  increment_ = increment;
  if (handle_) {
    UDACCEL accel{0, static_cast<UINT>(increment)};
    SendMessageA(handle_, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  }
}

void TCustomUpDown::SetOrientation(TUDOrientation orientation) {
  if (orientation == orientation_) return;
  orientation_ = orientation;
  if (!IsReading() && !GetComponentState().Contains(csLoading))
    SetBounds(GetLeft(), GetTop(), GetHeight(), GetWidth());
  RecreateWnd();
}

void TCustomUpDown::SetAlignButton(TUDAlignButton align_button) {
  if (align_button == align_button_) return;
  align_button_ = align_button;
  RecreateWnd();
}

void TCustomUpDown::SetArrowKeys(bool arrow_keys) {
  if (arrow_keys == arrow_keys_) return;
  arrow_keys_ = arrow_keys;
  RecreateWnd();
}

void TCustomUpDown::SetWrap(bool wrap) {
  if (wrap == wrap_) return;
  wrap_ = wrap;
  RecreateWnd();
}

void TCustomUpDown::SetThousands(bool thousands) {
  if (thousands == thousands_) return;
  thousands_ = thousands;
  RecreateWnd();
}

void TCustomUpDown::SetAssociate(TWinControl* associate) {
  if (associate == associate_) return;
  if (associate == this) throw EInvalidOperation("An up-down control cannot be associated with itself");
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = associate;
  if (associate) associate->FreeNotification(this);
  if (!handle_) return;
  HWND buddy = nullptr;
  if (associate && (associate->HandleAllocated() || associate->GetParent())) buddy = associate->GetHandle();
  SendMessageA(handle_, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  // The associated control shows the position at once.
  if (buddy) SendMessageA(handle_, UDM_SETPOS32, 0, position_);
}

void TCustomUpDown::Notification(TComponent* component, TOperation operation) {
  TWinControl::Notification(component, operation);
  if (operation == opRemove && component == associate_) {
    associate_ = nullptr;
    if (handle_) SendMessageA(handle_, UDM_SETBUDDY, 0, 0);
  }
}

bool TCustomUpDown::CanChange() {
  bool allow = true;
  OnChanging(this, allow);
  return allow;
}

void TCustomUpDown::Click(TUDBtnType button) { OnClick(this, button); }

void TCustomUpDown::CNNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  if (!header || header->code != static_cast<UINT>(UDN_DELTAPOS)) return;
  pending_delta_ = reinterpret_cast<NMUPDOWN*>(message.LParam)->iDelta;
  message.Result = CanChange() ? 0 : 1;
}

void TCustomUpDown::CNScroll(TMessage& message) {
  // Sent after every press, whether the position moved or not.
  if (LOWORD(message.WParam) != SB_THUMBPOSITION) return;
  // The error flag only says the associated control's text is no number (or that there is
  // no associated control): the answer is the control's own position all the same.
  BOOL error = FALSE;
  position_ = static_cast<int>(SendMessageA(handle_, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)));
  int delta = pending_delta_;
  pending_delta_ = 0;
  if (delta == 0) return;
  // A reversed range (Max below Min) counts down with the up arrow.
  bool up = (delta > 0) == (max_ >= min_);
  Click(up ? btNext : btPrev);
}

void RegisterUpDownClasses() { RegisterClasses({TUpDown::StaticClass()}); }
