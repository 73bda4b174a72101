// The skinned label: a windowed static text that, when transparent, shows the part of its
// parent's skin cache under it before drawing its text, so the skinned background shows
// through. Also the caption label the editor styles put beside their controls.
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sstyleprops.h"
#include "toolkit/controls.h"
#include "toolkit/labels.h"

class TBitmap;

class TsCustomLabel : public TCustomControl, public TsCaptionLabel {
  TK_CLASS(TsCustomLabel, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TsCustomLabel(TComponent* owner);
  ~TsCustomLabel() override;

  // The setters below but AutoSize act only while the label has a parent: a value set without
  // one is ignored (the caption label and form reading both give the parent first).
  TWinControl* GetFocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* control) override;
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment) override;
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool auto_size) override;
  TTextLayout GetLayout() const { return layout_; }
  void SetLayout(TTextLayout layout);
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool word_wrap) override;
  bool GetShowAccelChar() const { return show_accel_char_; }
  void SetShowAccelChar(bool show);
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool transparent) override;
  bool GetMouseInControl() const { return mouse_in_control_; }

  // The DrawText flags the label paints with.
  UINT GetTextFlags() const;
  void AdjustBounds() override;
  TControl* LabelControl() override { return this; }

 protected:
  // The caption; empty while there is no parent.
  virtual std::string GetLabelText();
  // The control's font; null without parent.
  virtual TFont* GetLabelFont();
  // Draws (or, with DT_CALCRECT, measures into rect) the text on the painting canvas.
  virtual void DoDrawText(RECT& rect, UINT flags);
  void Paint() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  // The canvas DoDrawText draws on: one on the screen while sizing, else the control's.
  TCanvas* DrawCanvas() const;

 private:
  static void Publish(TPublisher<TsCustomLabel>& p);
  bool HasParent() const { return GetParent() != nullptr; }
  bool CanFocusTarget() const;

  void CMTextChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void CMDialogChar(TMessage& message);
  void WMLButtonDown(TMessage& message);

  TWinControl* focus_control_ = nullptr;
  TAlignment alignment_ = taLeftJustify;
  bool auto_size_ = true;
  TTextLayout layout_ = tlTop;
  bool word_wrap_ = false;
  bool show_accel_char_ = true;
  bool transparent_ = true;
  bool mouse_in_control_ = false;
  TCanvas* draw_canvas_ = nullptr;
};

class TsLabel : public TsCustomLabel {
  TK_CLASS(TsLabel, TsCustomLabel)

 public:
  explicit TsLabel(TComponent* owner) : TsCustomLabel(owner) {}

 private:
  static void Publish(TPublisher<TsLabel>& p);
};

// Registers TsLabel for form definitions, as the skinned label the repaint helpers know and
// as the caption label of the editor styles.
void RegisterSkinLabelClasses();
