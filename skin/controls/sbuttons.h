// The skinned buttons the forms use: TsSpeedButton (a tool button with a glyph bitmap, groups
// and a drop-down style; it takes no focus), TsButton (a focusable push button: Default and
// Cancel roles, ModalResult, a dotted focus frame) and TsBitBtn (a TsButton with a glyph).
#pragma once

#include <windows.h>

#include "skin/controls/sbuttoncontrol.h"
#include "toolkit/forms.h"

// The glyph bitmap of TsSpeedButton and TsBitBtn: drawn instead of the image list when it is
// at least one pixel wide.
class TsGlyphHolder {
 public:
  explicit TsGlyphHolder(TsButtonControl* button);
  ~TsGlyphHolder();
  TsGlyphHolder(const TsGlyphHolder&) = delete;
  TsGlyphHolder& operator=(const TsGlyphHolder&) = delete;

  TBitmap* Glyph() const { return glyph_; }
  bool HasGlyph() const;
  int Width(int num_glyphs) const;
  int Height() const;
  // Into the style's cache at p.
  void Draw(TBitmap* cache, POINT p, bool hot);

 private:
  TsButtonControl* button_;
  TBitmap* glyph_;
};

class TsSpeedButton : public TsButtonControl {
  TK_CLASS(TsSpeedButton, TsButtonControl)

 public:
  explicit TsSpeedButton(TComponent* owner);
  ~TsSpeedButton() override;

  void SetDown(bool value) override;
  int ArrowWidth() override;
  int GlyphHeight() override;
  int GlyphWidth() override;

  TBitmap* GetGlyph() const { return glyph_.Glyph(); }
  void SetGlyph(TBitmap* value);

  TNotifyEvent OnStateChange;

 protected:
  void DrawGlyph() override;

 private:
  static void Publish(TPublisher<TsSpeedButton>& p);
  TsGlyphHolder glyph_;
};

class TsButton : public TsButtonControl {
  TK_CLASS(TsButton, TsButtonControl)

 public:
  explicit TsButton(TComponent* owner);

  void Click() override;
  void WndProc(TMessage& message) override;

  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  bool GetCancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult GetModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  bool GetShowFocus() const { return show_focus_; }
  void SetShowFocus(bool value) { Store(show_focus_, value); }
  int GetFocusMargin() const { return focus_margin_; }
  void SetFocusMargin(int value) { Store(focus_margin_, value); }
  // Whether Enter presses this button now.
  bool GetActive() const { return active_; }

  bool IsActiveDefault() override { return default_ && active_; }

 protected:
  void CreateWnd() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void PaintFocus(const RECT& caption) override;

 private:
  static void Publish(TPublisher<TsButton>& p);
  void CMDialogChar(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMFocusChanged(TMessage& message);
  void WMKeyUp(TMessage& message);
  void CNCommand(TMessage& message);
  // Down while the key's message is seen, then up and clicked.
  void Press();

  bool cancel_ = false;
  bool default_ = false;
  TModalResult modal_result_ = mrNone;
  bool show_focus_ = true;
  int focus_margin_ = 1;
  bool active_ = false;
};

class TsBitBtn : public TsButton {
  TK_CLASS(TsBitBtn, TsButton)

 public:
  explicit TsBitBtn(TComponent* owner);
  ~TsBitBtn() override;

  int GlyphHeight() override;
  int GlyphWidth() override;

  TBitmap* GetGlyph() const { return glyph_.Glyph(); }
  void SetGlyph(TBitmap* value);

 protected:
  void DrawGlyph() override;

 private:
  static void Publish(TPublisher<TsBitBtn>& p);
  TsGlyphHolder glyph_;
};

// Registers the skinned buttons for form definitions.
void RegisterSkinButtonsClasses();
