// The skinned spin edit: a TsEdit for a whole number with two auto-repeating buttons inside
// its right edge. Value lives in Text; the buttons and Ctrl+Up / Ctrl+Down add or take
// Increment, clamped to MinValue .. MaxValue (no limit while they are equal) and never past
// the 32-bit range.
#pragma once

#include <windows.h>

#include "skin/controls/sedit.h"
#include "toolkit/buttons.h"

class TTimer;

// One button of the spin control: a speed button that clicks again every 100 ms (after
// 400 ms) while it is held, and shows a focus rectangle while it holds the focus mark.
class TsTimerSpeedButton : public TSpeedButton {
  TK_CLASS(TsTimerSpeedButton, TSpeedButton)

 public:
  explicit TsTimerSpeedButton(TComponent* owner);

  bool GetAllowTimer() const { return allow_timer_; }
  void SetAllowTimer(bool allow) { allow_timer_ = allow; }
  bool GetFocusMark() const { return focus_mark_; }
  void SetFocusMark(bool mark);
  // Which way the default arrow points when the button has no glyph.
  void SetPointsUp(bool up) { points_up_ = up; }
  TTimer* GetRepeatTimer() const { return timer_; }
  // One repeat tick (the timer's handler).
  void TimerExpired(TObject* sender);

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

 private:
  TTimer* timer_ = nullptr;  // made on first need
  bool allow_timer_ = true;
  bool focus_mark_ = false;
  bool points_up_ = true;
};

// Two stacked buttons; a press moves the focus to FocusControl (or to the spin control) and a
// click raises OnUpClick or OnDownClick.
class TsSpinButton : public TCustomControl {
  TK_CLASS(TsSpinButton, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TsSpinButton(TComponent* owner);

  void SetBounds(int left, int top, int width, int height) override;
  TsTimerSpeedButton* GetUpButton() const { return up_; }
  TsTimerSpeedButton* GetDownButton() const { return down_; }
  TWinControl* GetFocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* control);
  TBitmap* GetUpGlyph() const { return up_->GetGlyph(); }
  void SetUpGlyph(TBitmap* glyph);
  TBitmap* GetDownGlyph() const { return down_->GetGlyph(); }
  void SetDownGlyph(TBitmap* glyph);

  TNotifyEvent OnUpClick;
  TNotifyEvent OnDownClick;

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void FitButtons(int& width, int& height);
  void ButtonMouseDown(TObject* sender, TMouseButton button, TShiftState shift, int x, int y);
  void ButtonClick(TObject* sender);
  void FocusButton(TsTimerSpeedButton* button);
  void WMSize(TMessage& message);
  void WMGetDlgCode(TMessage& message);
  void WMSetFocus(TMessage& message);
  void WMKillFocus(TMessage& message);

  TsTimerSpeedButton* up_;
  TsTimerSpeedButton* down_;
  TsTimerSpeedButton* focused_;
  TWinControl* focus_control_ = nullptr;
};

class TsBaseSpinEdit : public TsEdit {
  TK_CLASS(TsBaseSpinEdit, TsEdit)
  TK_MESSAGE_MAP

 public:
  explicit TsBaseSpinEdit(TComponent* owner);

  // Whether the number can be typed (else only the buttons change it).
  bool GetEditorEnabled() const { return editor_enabled_; }
  void SetEditorEnabled(bool enabled) { editor_enabled_ = enabled; }
  TsSpinButton* GetButton() const { return button_; }
  void Invalidate() override;
  // Nothing here; the value classes count.
  virtual void UpClick() {}
  virtual void DownClick() {}
  // The smallest height that shows a line of the font.
  int MinHeight();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  virtual bool IsValidChar(char key) const;
  // One line of text: ES_MULTILINE is there only for the edit rectangle, so the number is
  // selected whole when the edit is entered from the keyboard.
  bool IsMultiLine() override { return false; }

 private:
  static void Publish(TPublisher<TsBaseSpinEdit>& p);
  void SetEditRect();
  void UpButtonClick(TObject* sender) { (void)sender, UpClick(); }
  void DownButtonClick(TObject* sender) { (void)sender, DownClick(); }
  void WMSize(TMessage& message);
  void WMPasteOrCut(TMessage& message);
  void WMGetDlgCode(TMessage& message);

  TsSpinButton* button_;
  bool editor_enabled_ = true;
};

class TsSpinEdit : public TsBaseSpinEdit {
  TK_CLASS(TsSpinEdit, TsBaseSpinEdit)

 public:
  explicit TsSpinEdit(TComponent* owner) : TsBaseSpinEdit(owner) {}

  // MinValue when the text is not a whole number; else the number, even beyond the limits.
  int GetValue() const;
  // Writes the clamped value.
  void SetValue(int value);
  int GetMinValue() const { return min_value_; }
  void SetMinValue(int value) { min_value_ = value; }
  int GetMaxValue() const { return max_value_; }
  void SetMaxValue(int value) { max_value_ = value; }
  int GetIncrement() const { return increment_; }
  void SetIncrement(int increment) { increment_ = increment; }
  // The value limited to MinValue .. MaxValue; no limit while they are equal.
  int CheckValue(int64_t value) const;

  // A read-only spin edit beeps and keeps its value.
  void UpClick() override;
  void DownClick() override;

 protected:
  void DoExit() override;
  bool IsValidChar(char key) const override;

 private:
  static void Publish(TPublisher<TsSpinEdit>& p);
  void Step(int64_t delta);

  int min_value_ = 0;
  int max_value_ = 0;
  int increment_ = 1;
};
