#include "app/standins.h"

#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

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

void RegisterStandInClasses() { RegisterClass(TLaneSwitch::StaticClass()); }
