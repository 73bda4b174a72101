// Labels: a static text without a window of its own, drawn on its parent. It can size itself
// to its text, wrap words, align the text inside its bounds and pass the focus to another
// control when its accelerator is pressed.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

class TCustomLabel : public TGraphicControl {
  TK_CLASS(TCustomLabel, TGraphicControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomLabel(TComponent* owner);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  // With AutoSize the label takes the size of its text (its width stays when words wrap).
  bool GetAutoSize() const { return auto_size_; }
  virtual void SetAutoSize(bool auto_size);
  TTextLayout GetLayout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool word_wrap);
  // A transparent label leaves what lies below it visible; else it fills itself with Color.
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool transparent);
  // '&' marks the accelerator (shown underlined) unless this is false.
  bool GetShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool show);
  // The control that gets the focus when the accelerator is pressed.
  TWinControl* GetFocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* control);

  // The DrawText flags the label paints and measures its text with.
  UINT GetTextFlags() const;

 protected:
  virtual std::string GetLabelText() const { return GetCaption(); }
  // Draws (or, with DT_CALCRECT, measures into rect) the text on Canvas.
  virtual void DoDrawText(RECT& rect, UINT flags);
  // Applies AutoSize: measures the text on a screen device context.
  virtual void AdjustBounds();
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;

 private:
  void CMTextChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMDialogChar(TMessage& message);

  TAlignment alignment_ = taLeftJustify;
  bool auto_size_ = true;
  TTextLayout layout_ = tlTop;
  bool word_wrap_ = false;
  bool transparent_ = false;
  bool show_accel_char_ = true;
  TWinControl* focus_control_ = nullptr;
};

class TLabel : public TCustomLabel {
  TK_CLASS(TLabel, TCustomLabel)

 public:
  explicit TLabel(TComponent* owner) : TCustomLabel(owner) {}

 private:
  static void Publish(TPublisher<TLabel>& p);
};

// Value names of TTextLayout for published properties.
const TEnumInfo& TextLayoutInfo();

// Registers the label classes for form definitions.
void RegisterLabelClasses();
