#include "widgets/wxled.h"

#include "toolkit/dragdock.h"
#include "toolkit/resstrings.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TWxCustomLED, TWxGraphicControl)
TK_CLASS_INFO(TWxLED, TWxCustomLED)

void TWxCustomLED::Publish(TPublisher<TWxCustomLED>& p) {
  using C = TWxCustomLED;
  p.Boolean("Active", &C::GetActive, &C::SetActive).Default(false);
  p.Boolean("AutoSize", &C::GetAutoSize, &C::SetAutoSize).Default(false);
  p.Color("ColorOn", &C::GetColorOn, &C::SetColorOn).Default(clLime);
  p.Color("ColorOff", &C::GetColorOff, &C::SetColorOff).Default(clRed);
  p.Integer("Interval", &C::GetInterval, &C::SetInterval).Default(1000);
  p.Boolean("Status", &C::GetStatus, &C::SetStatus).Default(true);
  PublishDragProperties(p);
  PublishDragEvents(p);
  PublishDockEvents(p);
  // Always the colour of the status: nothing to store.
  p.Unpublish("Color");
}

TWxCustomLED::TWxCustomLED(TComponent* owner) : TWxGraphicControl(owner) {
  picture_ = New<TBitmap>();
  mask_ = New<TBitmap>();
  mask_->LoadFromResourceName(HInstance, "WX_MASK_LED");
  timer_ = New<TTimer>(this);
  timer_->SetEnabled(false);
  timer_->SetOnTimer(TNotifyEvent(this, &TWxCustomLED::Toggle));
  timer_->SetInterval(1000);
  SetColor(clLime);
  SetWidth(17);
  SetHeight(17);
  SetColorOn(clLime);
  SetColorOff(clRed);
  SetActive(false);
  SetStatus(true);
}

TWxCustomLED::~TWxCustomLED() {
  timer_->SetEnabled(false);
  timer_->SetOnTimer(TNotifyEvent());
  Free(picture_);
  Free(mask_);
}

void TWxCustomLED::SetColorOn(TColor value) {
  color_on_ = value;
  if (status_) SetColor(value);
}

void TWxCustomLED::SetColorOff(TColor value) {
  color_off_ = value;
  if (!status_) SetColor(value);
}

// A negative value reaches the timer as a very long interval, which the system caps.
void TWxCustomLED::SetInterval(int value) {
  if (static_cast<unsigned>(value) != timer_->GetInterval())
    timer_->SetInterval(static_cast<unsigned>(value));
}

void TWxCustomLED::SetActive(bool value) {
  active_ = value;
  if (!GetComponentState().Contains(csDesigning)) timer_->SetEnabled(value);
}

void TWxCustomLED::SetStatus(bool value) {
  status_ = value;
  const TColor color = status_ ? color_on_ : color_off_;
  // Setting the colour it already has raises no notification, yet a status set always recolours.
  if (color == GetColor())
    ColorChanged();
  else
    SetColor(color);
  OnChange(this);
}

void TWxCustomLED::Toggle(TObject*) { SetStatus(!status_); }

void TWxCustomLED::SetAutoSize(bool value) {
  auto_size_ = value;
  if (value) SetBounds(GetLeft(), GetTop(), GetWidth(), GetHeight());
}

void TWxCustomLED::SetBounds(int left, int top, int width, int height) {
  if (auto_size_ && (GetAlign() == alNone || GetAlign() == alCustom) && picture_ &&
      picture_->GetWidth() > 0) {
    width = picture_->GetWidth();
    height = picture_->GetHeight();
  }
  inherited::SetBounds(left, top, width, height);
}

void TWxCustomLED::ColorChanged() {
  inherited::ColorChanged();
  // Always from the lime picture, so that every colour change starts afresh.
  picture_->LoadFromResourceName(HInstance, "WX_GREEN_LED");
  picture_->SetPixelFormat(pf24bit);
  const COLORREF rgb = ColorToRGB(GetColor());
  for (int y = 0; y < picture_->GetHeight(); ++y) {
    uint8_t* row = picture_->GetScanLine(y);
    for (int x = 0; x < picture_->GetWidth(); ++x) {
      uint8_t* px = row + x * 3;
      if (px[0] == 0 && px[1] == 0xFF && px[2] == 0) {
        px[0] = GetBValue(rgb);
        px[1] = GetGValue(rgb);
        px[2] = GetRValue(rgb);
      }
    }
  }
  Invalidate();
}

void TWxCustomLED::Paint() {
  TCanvas* canvas = GetCanvas();
  const int pw = picture_->GetWidth(), ph = picture_->GetHeight();
  if (GetComponentState().Contains(csDesigning)) {
    canvas->GetPen()->SetStyle(psDash);
    canvas->GetBrush()->SetStyle(bsClear);
    canvas->Rectangle(0, 0, GetWidth(), GetHeight());
  }
  const int x = (GetWidth() - pw) / 2, y = (GetHeight() - ph) / 2;
  HDC dc = canvas->GetHandle();
  BitBlt(dc, x, y, pw, ph, mask_->GetCanvas()->GetHandle(), 0, 0, SRCAND);
  BitBlt(dc, x, y, pw, ph, picture_->GetCanvas()->GetHandle(), 0, 0, SRCPAINT);
}
