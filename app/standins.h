// Plain controls that stand in for the display widgets on the main window and the
// configuration until the real ones come: a lane time display, a lane lamp and a lane
// switch. They keep the property names the race logic reads and writes, so the form
// definitions and the logic stay as they are when the real widgets replace them.
#pragma once

#include <string>

#include "toolkit/controls.h"

// A lane's time display: large yellow text on black. The text is `Indicatorstring`.
class TLaneIndicator : public TGraphicControl {
  TK_CLASS(TLaneIndicator, TGraphicControl)

 public:
  explicit TLaneIndicator(TComponent* owner);

  const std::string& GetIndicatorstring() const { return text_; }
  void SetIndicatorstring(const std::string& text);
  TColor GetBackColor() const { return back_color_; }
  void SetBackColor(TColor color);
  TColor GetNumberForeColor() const { return fore_color_; }
  void SetNumberForeColor(TColor color);

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TLaneIndicator>& p);

  std::string text_;
  TColor back_color_ = clBlack;
  TColor fore_color_ = clYellow;
};

// A lane's lamp: a filled rounded shape in `LedPlasticColor`, framed in `BorderColor`.
class TLaneLamp : public TGraphicControl {
  TK_CLASS(TLaneLamp, TGraphicControl)

 public:
  explicit TLaneLamp(TComponent* owner);

  TColor GetLedPlasticColor() const { return plastic_color_; }
  void SetLedPlasticColor(TColor color);
  TColor GetBorderColor() const { return border_color_; }
  void SetBorderColor(TColor color);

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TLaneLamp>& p);

  TColor plastic_color_ = clRed;
  TColor border_color_ = clNavy;
};

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

// Registers the stand-ins for form definitions.
void RegisterStandInClasses();
