// A plain control that stands in for the lane switch of the main window until the real
// widget comes. It keeps the property names the race logic reads and writes, so the form
// definition and the logic stay as they are when the real widget replaces it.
#pragma once

#include "toolkit/controls.h"

// A lane's on/off switch: green while `Status` is on, red while off. A click only raises
// OnClick; the owner decides whether it toggles `Status`.
class TLaneSwitch : public TGraphicControl {
  TK_CLASS(TLaneSwitch, TGraphicControl)

 public:
  explicit TLaneSwitch(TComponent* owner);

  bool GetStatus() const { return status_; }
  void SetStatus(bool status);

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TLaneSwitch>& p);

  bool status_ = false;
};

// Registers the stand-in for form definitions.
void RegisterStandInClasses();
