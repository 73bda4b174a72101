// A spin edit: an edit for a whole number with up-down arrows inside its right edge.
#pragma once

#include <windows.h>

#include "toolkit/stdctrls.h"
#include "toolkit/updown.h"

// Value lives in Text (the text is the number). The arrows and Ctrl+Up / Ctrl+Down add or
// take Increment; only digits can be typed; leaving the edit writes the clamped value back.
// With MinValue = MaxValue there is no limit.
class TSpinEdit : public TCustomEdit {
  TK_CLASS(TSpinEdit, TCustomEdit)
  TK_MESSAGE_MAP

 public:
  explicit TSpinEdit(TComponent* owner);

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
  // Whether the number can be typed (else only the arrows change it).
  bool GetEditorEnabled() const { return editor_enabled_; }
  void SetEditorEnabled(bool enabled) { editor_enabled_ = enabled; }
  // The arrows: a child of the edit, not stored with the form.
  TUpDown* GetButton() const { return button_; }

  // The value limited to MinValue .. MaxValue.
  int CheckValue(int value) const;
  // A read-only spin edit beeps and keeps its value.
  virtual void UpClick();
  virtual void DownClick();

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyPress(char& key) override;
  void DoExit() override;
  virtual bool IsValidChar(char key) const;

 private:
  static void Publish(TPublisher<TSpinEdit>& p);
  void ButtonClick(TObject* sender, TUDBtnType button);
  void PlaceButton();
  void WMSize(TMessage& message);
  void WMNCPaint(TMessage& message);
  void WMPasteOrCut(TMessage& message);
  void WMGetDlgCode(TMessage& message);

  TUpDown* button_;
  int min_value_ = 0;
  int max_value_ = 0;
  int increment_ = 1;
  bool editor_enabled_ = true;
};

// Registers TSpinEdit for form definitions.
void RegisterSpinClasses();
