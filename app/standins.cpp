#include "app/standins.h"

#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

// ---- TLaneIndicator ---------------------------------------------------------------------------

TK_CLASS_INFO(TLaneIndicator, TGraphicControl)

void TLaneIndicator::Publish(TPublisher<TLaneIndicator>& p) {
  p.String("Indicatorstring", &TLaneIndicator::GetIndicatorstring, &TLaneIndicator::SetIndicatorstring);
  p.Color("BackColor", &TLaneIndicator::GetBackColor, &TLaneIndicator::SetBackColor).Default(clBlack);
  p.Color("NumberForeColor", &TLaneIndicator::GetNumberForeColor, &TLaneIndicator::SetNumberForeColor)
      .Default(clYellow);
}

TLaneIndicator::TLaneIndicator(TComponent* owner) : TGraphicControl(owner) {
  control_style_.Include(csOpaque);
  SetBounds(0, 0, 438, 97);
}

void TLaneIndicator::SetIndicatorstring(const std::string& text) {
  // Written every 10 ms while a lane runs: repaint only on change.
  if (text == text_) return;
  text_ = text;
  Invalidate();
}

void TLaneIndicator::SetBackColor(TColor color) {
  if (color == back_color_) return;
  back_color_ = color;
  Invalidate();
}

void TLaneIndicator::SetNumberForeColor(TColor color) {
  if (color == fore_color_) return;
  fore_color_ = color;
  Invalidate();
}

void TLaneIndicator::Paint() {
  TCanvas* canvas = GetCanvas();
  RECT r{0, 0, GetWidth(), GetHeight()};
  canvas->GetBrush()->SetColor(back_color_);
  canvas->FillRect(r);
  if (text_.empty()) return;
  TFont* font = canvas->GetFont();
  font->Assign(GetFont());
  font->SetName("Courier New");
  font->SetStyle({fsBold});
  font->SetHeight(-(GetHeight() * 3 / 4));
  font->SetColor(fore_color_);
  // The canvas selects its font and text colour for its own text calls only.
  SIZE size = canvas->TextExtent(text_);
  canvas->TextOut((r.right - size.cx) / 2, (r.bottom - size.cy) / 2, text_);
}

// ---- TLaneLamp --------------------------------------------------------------------------------

TK_CLASS_INFO(TLaneLamp, TGraphicControl)

void TLaneLamp::Publish(TPublisher<TLaneLamp>& p) {
  p.Color("LedPlasticColor", &TLaneLamp::GetLedPlasticColor, &TLaneLamp::SetLedPlasticColor).Default(clRed);
  p.Color("BorderColor", &TLaneLamp::GetBorderColor, &TLaneLamp::SetBorderColor).Default(clNavy);
}

TLaneLamp::TLaneLamp(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 65, 93); }

void TLaneLamp::SetLedPlasticColor(TColor color) {
  if (color == plastic_color_) return;
  plastic_color_ = color;
  Invalidate();
}

void TLaneLamp::SetBorderColor(TColor color) {
  if (color == border_color_) return;
  border_color_ = color;
  Invalidate();
}

void TLaneLamp::Paint() {
  TCanvas* canvas = GetCanvas();
  canvas->GetPen()->SetColor(border_color_);
  canvas->GetPen()->SetWidth(3);
  canvas->GetBrush()->SetColor(plastic_color_);
  int w = GetWidth(), h = GetHeight();
  canvas->RoundRect(2, 2, w - 2, h - 2, w / 2, w / 2);
}

// ---- TLaneSwitch ------------------------------------------------------------------------------

TK_CLASS_INFO(TLaneSwitch, TGraphicControl)

void TLaneSwitch::Publish(TPublisher<TLaneSwitch>& p) {
  p.Boolean("Status", &TLaneSwitch::GetStatus, &TLaneSwitch::SetStatus).Default(false);
}

TLaneSwitch::TLaneSwitch(TComponent* owner) : TGraphicControl(owner) { SetBounds(0, 0, 25, 25); }

void TLaneSwitch::SetStatus(bool status) {
  if (status == status_) return;
  status_ = status;
  Invalidate();
}

void TLaneSwitch::Paint() {
  TCanvas* canvas = GetCanvas();
  int w = GetWidth(), h = GetHeight();
  // A disabled switch is dimmed, so the locked lane setup during a heat is visible.
  TColor lit = status_ ? clLime : clRed;
  TColor dim = status_ ? clGreen : clMaroon;
  canvas->GetPen()->SetColor(clGray);
  canvas->GetPen()->SetWidth(1);
  canvas->GetBrush()->SetColor(GetEnabled() ? lit : dim);
  canvas->Ellipse(1, 1, w - 1, h - 1);
}

void RegisterStandInClasses() {
  RegisterClasses({TLaneIndicator::StaticClass(), TLaneLamp::StaticClass(), TLaneSwitch::StaticClass()});
}
