// Skinned check boxes and radio buttons: a glyph (checked or unchecked, normal, hot or pressed)
// beside a caption, painted into the style's cache bitmap and copied to the window in one blit.
//
// The glyph comes from the control's skin section ("GLYPHCHECKED" / "GLYPHUNCHECKED"), else
// from GlyphChecked / GlyphUnChecked, else from Images, else from the built-in glyphs. The control raises its
// clicks itself: one Click (and OnClick) per release of the left button or the space key, then OnChange.
#pragma once

#include <windows.h>

#include "skin/engine/sblend.h"
#include "skin/engine/sstyles.h"
#include "toolkit/buttons.h"
#include "toolkit/controls.h"

class TBitmap;
class TCustomImageList;

enum TCheckAreaLayout { calLeft, calRight };
const TEnumInfo& CheckAreaLayoutInfo();

class TsCheckedControl : public TCustomControl, public TsStyleQueries {
  TK_CLASS(TsCheckedControl, TCustomControl)

 public:
  explicit TsCheckedControl(TComponent* owner);
  ~TsCheckedControl() override;
  void WndProc(TMessage& message) override;

  bool GetChecked() const { return state_ == cbChecked; }
  virtual void SetChecked(bool value);
  TCheckBoxState GetState() const { return state_; }
  // Checked and unchecked go through SetChecked; grayed is stored as it is.
  void SetState(TCheckBoxState value);
  // A checked box becomes unchecked, a grayed one checked; an unchecked one stays.
  virtual void Toggle();

  virtual bool GetReadOnly() const { return read_only_; }
  void SetReadOnly(bool value) { read_only_ = value; }
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  TCheckAreaLayout GetLayout() const { return layout_; }
  void SetLayout(TCheckAreaLayout value);
  bool GetShowFocus() const { return show_focus_; }
  void SetShowFocus(bool value);
  bool GetMultiLine() const { return multi_line_; }
  void SetMultiLine(bool value);
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  int GetImgChecked() const { return img_checked_; }
  void SetImgChecked(int value);
  int GetImgUnchecked() const { return img_unchecked_; }
  void SetImgUnchecked(int value);
  int GetImgCheckedHot() const { return img_checked_hot_; }
  void SetImgCheckedHot(int value);
  int GetImgUncheckedHot() const { return img_unchecked_hot_; }
  void SetImgUncheckedHot(int value);
  TBitmap* GetGlyphChecked() const { return glyph_checked_; }
  void SetGlyphChecked(TBitmap* value);
  TBitmap* GetGlyphUnChecked() const { return glyph_unchecked_; }
  void SetGlyphUnChecked(TBitmap* value);
  TsDisabledKind GetDisabledKind() const { return disabled_kind_; }
  void SetDisabledKind(TsDisabledKind value);
  int GetTextIndent() const { return text_indent_; }
  void SetTextIndent(int value);
  TsStyle* GetSkinData() const { return style_; }
  void SetSkinData(TsStyle* value);
  bool GetPressed() const { return pressed_; }
  // With AutoSize the control takes the size of its glyph and caption; with MultiLine only
  // the height follows (the width decides the wrapping). A right-aligned control keeps its
  // right edge.
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);

  // The glyph's size and its rectangle: centred vertically, on the side Layout says.
  SIZE GlyphSize();
  RECT GetCheckRect();
  RECT CheckRect() override { return GetCheckRect(); }

  TNotifyEvent OnChange;

 protected:
  // The value Checked takes when value is asked for.
  virtual bool ValidateChecked(bool value) { return value; }
  // Radio buttons use the round glyphs.
  virtual bool IsRadio() const { return false; }
  // Whether the user may change the control now (a radio group may forbid it).
  virtual bool AcceptsInput() { return true; }
  // Stores the state and repaints, asking nobody.
  void StoreState(TCheckBoxState value);
  // After every change of the state, however it came.
  virtual void StateChanged() {}

  void Paint() override;
  void Loaded() override;
  void CreateWnd() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void KeyDown(WORD& key, TShiftState shift) override;
  void KeyUp(WORD& key, TShiftState shift) override;
  void Notification(TComponent* component, TOperation operation) override;

  TsStyle* style_;

 private:
  static void Publish(TPublisher<TsCheckedControl>& p);
  bool Usable();
  void SetPressed(bool value);
  // The toggle a release of the mouse button or the space key makes, with its events.
  void UserToggle();
  void Changed(bool glyph_size_may_change);
  void AdjustSize();
  // The caption's box: the glyph's side stops at the glyph (and TextIndent), the margin
  // keeps it off the other edges.
  RECT CaptionRect();
  UINT CaptionFlags() const;
  // The skin's glyph mask of the control's section for the state (-1: none).
  int SectionGlyphIndex(TCheckBoxState state);
  void PaintCaption(TBitmap* cache);
  void PaintGlyph(TBitmap* cache);

  TAlignment alignment_ = taLeftJustify;
  TCheckAreaLayout layout_ = calLeft;
  bool show_focus_ = true;
  TCheckBoxState state_ = cbUnchecked;
  bool pressed_ = false;
  bool read_only_ = false;
  TCustomImageList* images_ = nullptr;
  int img_checked_ = 0;
  int img_unchecked_ = 0;
  bool multi_line_ = false;
  int img_unchecked_hot_ = 0;
  int img_checked_hot_ = 0;
  TBitmap* glyph_checked_;
  TBitmap* glyph_unchecked_;
  TsDisabledKind disabled_kind_{dkBlended};
  int text_indent_ = 0;
  int margin_ = 3;
  bool auto_size_ = false;
};

class TsCheckBox : public TsCheckedControl {
  TK_CLASS(TsCheckBox, TsCheckedControl)

 public:
  explicit TsCheckBox(TComponent* owner) : TsCheckedControl(owner) {}

 private:
  static void Publish(TPublisher<TsCheckBox>& p);
};

// Checking a radio button unchecks the other radio buttons of its parent; it cannot be
// unchecked by itself (only by a sibling, or by its radio group through Uncheck).
class TsRadioButton : public TsCheckedControl {
  TK_CLASS(TsRadioButton, TsCheckedControl)

 public:
  explicit TsRadioButton(TComponent* owner);
  // Unchecked whatever ValidateChecked says: for its group, and for the siblings it unchecks.
  void Uncheck();

 protected:
  bool ValidateChecked(bool value) override;
  bool IsRadio() const override { return true; }

 private:
  static void Publish(TPublisher<TsRadioButton>& p);
};

// The built-in glyph of a kind and state (14 x 14, key colour $FF00FF outside the mark); made
// at first use.
TBitmap* DefaultCheckGlyph(bool radio, bool checked, bool hot);
