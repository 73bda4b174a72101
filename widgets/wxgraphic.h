// Base of the windowless display widgets (LED, speed button, markup label): the toolkit's
// notifications as overridable operations, a hint colour of their own while the mouse is over
// them, mouse enter and leave events, and the routines that show the parent's background.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/canvas.h"
#include "toolkit/controls.h"

// Whether the toolkit's visual styles are in force: the system reports its theme active for
// this program, which runs on the common controls 6 its manifest asks for. The widgets then
// show the parent's background through a control of the parent's colour and draw themed.
bool WxVisualStyles();
// Tests that compare pixels pin the answer for themselves; unpinned, the system decides.
void PinWxVisualStyles(bool on);
void UnpinWxVisualStyles();

class TWxExGraphicControl : public TGraphicControl {
  TK_CLASS(TWxExGraphicControl, TGraphicControl)
  TK_MESSAGE_MAP

 public:
  explicit TWxExGraphicControl(TComponent* owner);

  // clDefault leaves the application's hint colour alone.
  TColor GetHintColor() const { return hint_color_; }
  void SetHintColor(TColor value) { hint_color_ = value; }
  bool GetMouseOver() const { return mouse_over_; }

  TNotifyEvent OnParentColorChange;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  // Each default hands the notification on to the toolkit, so overrides call inherited.
  virtual void VisibleChanged();
  virtual void EnabledChanged();
  virtual void TextChanged();
  virtual void FontChanged();
  virtual void ColorChanged();
  virtual void ParentFontChanged();
  virtual void ParentColorChanged();
  virtual void ParentShowHintChanged();
  virtual bool HintShow(void* hint_info);
  virtual bool HitTest(int x, int y);
  virtual void MouseEnter(TControl* control);
  virtual void MouseLeave(TControl* control);
  virtual bool WantKey(int key, TShiftState shift, const std::string& key_text);
  virtual void FocusChanged(TControl* control);

 private:
  static void Publish(TPublisher<TWxExGraphicControl>& p);

  // The notification being answered, for the defaults that pass it on.
  void PassOn();
  template <class F>
  void Route(TMessage& message, F op);

  void CMVisibleChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMTextChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void CMParentShowHintChanged(TMessage& message);
  void CMHintShow(TMessage& message);
  void CMHitTest(TMessage& message);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void CMDialogChar(TMessage& message);
  void CMFocusChanged(TMessage& message);

  TColor hint_color_;
  TColor saved_hint_color_ = clDefault;
  bool mouse_over_ = false;
  TMessage* current_ = nullptr;
};

class TWxExPubGraphicControl : public TWxExGraphicControl {
  TK_CLASS(TWxExPubGraphicControl, TWxExGraphicControl)
 public:
  using TWxExGraphicControl::TWxExGraphicControl;
  static void Publish(TPublisher<TWxExPubGraphicControl>& p);
};

class TWxGraphicControl : public TWxExGraphicControl {
  TK_CLASS(TWxGraphicControl, TWxExGraphicControl)
 public:
  using TWxExGraphicControl::TWxExGraphicControl;
};

class TWxPubGraphicControl : public TWxExPubGraphicControl {
  TK_CLASS(TWxPubGraphicControl, TWxExPubGraphicControl)
 public:
  using TWxExPubGraphicControl::TWxExPubGraphicControl;
};

// Fills rect with the canvas brush's colour, or shows the parent's background there when the
// control has its parent's colour under visual styles.
void DrawThemedBackground(TControl* control, TCanvas* canvas, const RECT& rect, bool needs_parent_background);
void DrawThemedBackground(TControl* control, TCanvas* canvas, const RECT& rect, TColor color,
                          bool needs_parent_background);
// Has the control's parent erase its background into dc, moved by offset and clipped to rect
// (null: unclipped).
void PerformEraseBackground(TControl* control, HDC dc, POINT offset, const RECT* rect);
// Only csParentBackground and csNeedsBorderPaint of style are added or read.
void IncludeThemeStyle(TControl* control, TControlStyle style);
TControlStyle GetThemeStyle(TControl* control);

// Wraps the windowed controls' WM_PRINTCLIENT handling so the device context's state survives
// it; Remove puts the toolkit's handler back.
void InstallPrintClientGuard();
void RemovePrintClientGuard();
