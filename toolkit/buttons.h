// Buttons: the push, check and radio buttons and the group box wrap the system's BUTTON class
// (item and state changes are sent to the button's own window, so a subclass of its window
// procedure sees them); the bitmap button draws itself as an owner-drawn BUTTON; the speed
// button has no window at all and draws on its parent.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };
// The look of a glyph button: up, disabled, pressed, and held down (a speed button that is Down).
enum TButtonState { bsUp, bsDisabled, bsDown, bsExclusive };
enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

// ---- TButtonControl ---------------------------------------------------------------------------

// Base of the controls on the BUTTON class. Clicks come from the button's BN_CLICKED
// notification (reflected as CN_COMMAND), not from the toolkit's own mouse handling.
class TButtonControl : public TWinControl {
  TK_CLASS(TButtonControl, TWinControl)

 public:
  explicit TButtonControl(TComponent* owner);

  void WndProc(TMessage& message) override;

  // Check and radio buttons hold a checked state; the base has none.
  virtual bool GetChecked() const { return false; }
  virtual void SetChecked(bool checked) { (void)checked; }
  // The caption wraps onto several lines (BS_MULTILINE).
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool word_wrap);

 protected:
  void CreateParams(TCreateParams& params) override;
  // While set, BN_CLICKED is ignored: a press that only moves the focus onto the button
  // would otherwise click a radio button twice.
  bool GetClicksDisabled() const { return clicks_disabled_; }
  void SetClicksDisabled(bool disabled) { clicks_disabled_ = disabled; }

 private:
  bool clicks_disabled_ = false;
  bool word_wrap_ = false;
};

// ---- TButton -----------------------------------------------------------------------------------

// A push button. A click sets the parent form's ModalResult (which ends ShowModal). Enter
// presses the focused button, or the Default button while no other button has the focus;
// Escape presses the Cancel button.
class TButton : public TButtonControl {
  TK_CLASS(TButton, TButtonControl)
  TK_MESSAGE_MAP

 public:
  explicit TButton(TComponent* owner);

  void Click() override;

  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  bool GetCancel() const { return cancel_; }
  void SetCancel(bool value) { cancel_ = value; }
  TModalResult GetModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  // Whether Enter presses this button now (drawn with the default frame).
  bool GetActive() const { return active_; }

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  // Shows the button as the one Enter presses (BM_SETSTYLE to the button's window).
  virtual void SetButtonStyle(bool is_default);

 private:
  static void Publish(TPublisher<TButton>& p);
  void CMDialogKey(TMessage& message);
  void CMDialogChar(TMessage& message);
  void CMFocusChanged(TMessage& message);
  void CNCommand(TMessage& message);

  bool default_ = false;
  bool cancel_ = false;
  bool active_ = false;
  TModalResult modal_result_ = mrNone;
};

// ---- Glyph buttons ----------------------------------------------------------------------------

// Where a glyph and a text of the given sizes go in an area (top-left corners), arranged by
// layout, margin and spacing: -1 for margin centres them; -1 for both spreads them evenly.
struct TGlyphTextPlace {
  POINT glyph;
  POINT text;
};
TGlyphTextPlace PlaceGlyphAndText(SIZE area, SIZE glyph, SIZE text, TButtonLayout layout, int margin,
                                  int spacing);

// The glyph of a bitmap or speed button: NumGlyphs images of equal width side by side (up,
// disabled, pressed, held down); the bottom-left pixel's colour is transparent. A state without
// its own image uses the first one (drawn embossed when disabled).
class TButtonGlyph {
 public:
  TButtonGlyph();
  ~TButtonGlyph();
  TButtonGlyph(const TButtonGlyph&) = delete;
  TButtonGlyph& operator=(const TButtonGlyph&) = delete;

  TBitmap* GetGlyph() const { return glyph_; }
  // A bitmap whose width is 1 to 4 times its height sets NumGlyphs to that ratio.
  void SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }
  int GetNumGlyphs() const { return num_glyphs_; }
  // 1 to 4; other values are ignored.
  void SetNumGlyphs(int count);
  // The size of one image; 0 x 0 without a glyph.
  SIZE GetImageSize() const;

  // Where glyph and caption go inside client, arranged by layout, margin and spacing (-1 for
  // margin centres the content; -1 for both spreads it evenly).
  struct TLayout {
    POINT glyph;
    RECT text;
  };
  TLayout Arrange(HDC dc, const RECT& client, const std::string& caption, TButtonLayout layout, int margin,
                  int spacing) const;
  // Draws glyph and caption (in the font selected into dc) for the state.
  void Draw(HDC dc, const RECT& client, POINT offset, const std::string& caption, TButtonLayout layout,
            int margin, int spacing, TButtonState state, TColor text_color) const;

  // Told after the bitmap or NumGlyphs changed.
  TNotifyEvent OnChange;

 private:
  void GlyphChanged(TObject* sender);
  void DrawImage(HDC dc, int x, int y, TButtonState state) const;

  // Receives the bitmap's change notice (an event needs an object).
  class TRelay : public TObject {
   public:
    explicit TRelay(TButtonGlyph* glyph) : glyph_(glyph) {}
    void Changed(TObject* sender) { glyph_->GlyphChanged(sender); }

   private:
    TButtonGlyph* glyph_;
  };

  TBitmap* glyph_;
  TRelay* relay_;
  int num_glyphs_ = 1;
};

// A push button drawn with a glyph beside its caption (an owner-drawn BUTTON).
class TBitBtn : public TButton {
  TK_CLASS(TBitBtn, TButton)
  TK_MESSAGE_MAP

 public:
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  TBitmap* GetGlyph() const { return glyph_.GetGlyph(); }
  void SetGlyph(TBitmap* glyph) { glyph_.SetGlyph(glyph); }
  int GetNumGlyphs() const { return glyph_.GetNumGlyphs(); }
  void SetNumGlyphs(int count) { glyph_.SetNumGlyphs(count); }
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  int GetMargin() const { return margin_; }
  void SetMargin(int margin);
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int spacing);

 protected:
  void CreateParams(TCreateParams& params) override;
  void SetButtonStyle(bool is_default) override;

 private:
  static void Publish(TPublisher<TBitBtn>& p);
  void GlyphChanged(TObject* sender);
  void CNDrawItem(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMTextChanged(TMessage& message);

  TButtonGlyph glyph_;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  bool is_default_ = false;
};

// A button without a window (it takes no focus). With a GroupIndex other than 0 it stays
// Down after a click and the buttons of its group on the same parent act as radio buttons:
// one going down releases the other; AllowAllUp lets a click release the down one too.
class TSpeedButton : public TGraphicControl {
  TK_CLASS(TSpeedButton, TGraphicControl)
  TK_MESSAGE_MAP

 public:
  explicit TSpeedButton(TComponent* owner);

  void Click() override;

  bool GetAllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value);
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int value);
  // Always false with GroupIndex 0; a down button comes up only with AllowAllUp.
  bool GetDown() const { return down_; }
  void SetDown(bool value);
  // No frame until the mouse is over the button.
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value);
  // The face is not filled: what lies below shows through.
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  TBitmap* GetGlyph() const { return glyph_.GetGlyph(); }
  void SetGlyph(TBitmap* glyph) { glyph_.SetGlyph(glyph); }
  int GetNumGlyphs() const { return glyph_.GetNumGlyphs(); }
  void SetNumGlyphs(int count) { glyph_.SetNumGlyphs(count); }
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout layout);
  // Pixels from the edge to the glyph; -1 centres glyph and caption.
  int GetMargin() const { return margin_; }
  void SetMargin(int margin);
  // Pixels between glyph and caption; -1 spreads them evenly.
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int spacing);

  TButtonState GetState() const { return state_; }
  bool GetMouseInControl() const { return mouse_in_control_; }

 protected:
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  // Tells the other buttons of the group that this one went down (and its AllowAllUp).
  void UpdateExclusive();
  // Another button of the group changed: release this one when the other went down.
  virtual void GroupChanged(TSpeedButton* sender);

  TButtonState state_ = bsUp;
  bool dragging_ = false;
  bool mouse_in_control_ = false;

 private:
  static void Publish(TPublisher<TSpeedButton>& p);
  void GlyphChanged(TObject* sender);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMDialogChar(TMessage& message);
  void CMTextChanged(TMessage& message);

  TButtonGlyph glyph_;
  bool allow_all_up_ = false;
  int group_index_ = 0;
  bool down_ = false;
  bool flat_ = false;
  bool transparent_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
};

// ---- Check box and radio button ------------------------------------------------------------

// A three-state check box: a click goes from unchecked to checked (to grayed with
// AllowGrayed) and back to unchecked. Every change of State, from code too, is a Click.
class TCheckBox : public TButtonControl {
  TK_CLASS(TCheckBox, TButtonControl)
  TK_MESSAGE_MAP

 public:
  explicit TCheckBox(TComponent* owner);

  bool GetChecked() const override { return state_ == cbChecked; }
  void SetChecked(bool checked) override { SetState(checked ? cbChecked : cbUnchecked); }
  TCheckBoxState GetState() const { return state_; }
  void SetState(TCheckBoxState state);
  bool GetAllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool value) { allow_grayed_ = value; }
  // taRightJustify (the default) puts the caption right of the box.
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  virtual void Toggle();

 private:
  static void Publish(TPublisher<TCheckBox>& p);
  void CNCommand(TMessage& message);
  void CMDialogChar(TMessage& message);

  TCheckBoxState state_ = cbUnchecked;
  bool allow_grayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

// A radio button: checking it unchecks the radio buttons beside it (same parent). Only the
// checked one is a tab stop; the arrow keys move among them and check the one they reach.
class TRadioButton : public TButtonControl {
  TK_CLASS(TRadioButton, TButtonControl)
  TK_MESSAGE_MAP

 public:
  explicit TRadioButton(TComponent* owner);

  bool GetChecked() const override { return checked_; }
  // Checking from code is a Click too; unchecking is not.
  void SetChecked(bool checked) override;
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;

 private:
  static void Publish(TPublisher<TRadioButton>& p);
  void CNCommand(TMessage& message);
  void CMDialogChar(TMessage& message);
  void WMSetFocus(TMessage& message);

  bool checked_ = false;
  TAlignment alignment_ = taRightJustify;
};

// ---- Group box ------------------------------------------------------------------------------

// A frame with a caption around other controls (a BS_GROUPBOX window). Unlike the bare system
// class it takes the mouse, so its own and its windowless children's mouse events work.
class TCustomGroupBox : public TWinControl {
  TK_CLASS(TCustomGroupBox, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomGroupBox(TComponent* owner);
  void DefaultHandler(TMessage& message) override;

 protected:
  void CreateParams(TCreateParams& params) override;
  // Below the caption and inside the frame.
  void AdjustClientRect(RECT& rect) override;
  // The height of a line of text in the control's font.
  int TextLineHeight();

 private:
  void WMNCHitTest(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMTextChanged(TMessage& message);
};

class TGroupBox : public TCustomGroupBox {
  TK_CLASS(TGroupBox, TCustomGroupBox)

 public:
  explicit TGroupBox(TComponent* owner) : TCustomGroupBox(owner) {}

 private:
  static void Publish(TPublisher<TGroupBox>& p);
};

// Value names of the enumerations above for published properties.
const TEnumInfo& ButtonLayoutInfo();
const TEnumInfo& CheckBoxStateInfo();

// Registers the button classes for form definitions.
void RegisterButtonClasses();
