// TWxLED: a small round lamp drawn from a 17 x 17 picture, recoloured for on and off, that can
// blink on a timer. The main window's lane switches.
#pragma once

#include "toolkit/bitmap.h"
#include "toolkit/timers.h"
#include "widgets/wxgraphic.h"

class TWxCustomLED : public TWxGraphicControl {
  TK_CLASS(TWxCustomLED, TWxGraphicControl)

 public:
  explicit TWxCustomLED(TComponent* owner);
  ~TWxCustomLED() override;

  TColor GetColorOn() const { return color_on_; }
  void SetColorOn(TColor value);
  TColor GetColorOff() const { return color_off_; }
  void SetColorOff(TColor value);
  bool GetActive() const { return active_; }
  void SetActive(bool value);
  int GetInterval() const { return static_cast<int>(timer_->GetInterval()); }
  void SetInterval(int value);
  bool GetStatus() const { return status_; }
  // Always recolours and raises OnChange, also for the current value.
  void SetStatus(bool value);
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);

  void SetBounds(int left, int top, int width, int height) override;
  TBitmap* GetPicture() const { return picture_; }
  // The blink timer's tick (public so that a test can tick it).
  void Toggle(TObject* sender);

  TNotifyEvent OnChange;

 protected:
  void ColorChanged() override;
  void Paint() override;

 private:
  static void Publish(TPublisher<TWxCustomLED>& p);

  TBitmap* picture_;
  TBitmap* mask_;
  TTimer* timer_;
  TColor color_on_ = clLime;
  TColor color_off_ = clRed;
  bool active_ = false;
  bool status_ = true;
  bool auto_size_ = false;
};

class TWxLED : public TWxCustomLED {
  TK_CLASS(TWxLED, TWxCustomLED)

 public:
  using TWxCustomLED::TWxCustomLED;
};
