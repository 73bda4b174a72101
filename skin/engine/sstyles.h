// The style classes skinned controls own: each answers the values painting needs from the
// style's skin section when SkinIndex >= 0, and from the control's own property objects
// (sstyleprops.h) otherwise.
//
//   TsEditorStyle     edits, combo boxes, list boxes: selection and painting, the border
//   TsCustomStyle     + caption label and key navigation (KeysNextControl, KeysPrevControl)
//   TsStyle           the editor controls' style
//   TsPaintStyle      bevels: painting and the shadow
//   TsPassiveBGStyle  panels, group boxes: + background (colour, image, gradient, transparency)
//   TsActiveBGStyle   buttons: + hot values (while ControlIsActive) and effects (fading)
//
// The owner creates the style in its constructor, sets COC and the section, calls
// UpdateIndexes after loading and hands every message to HandleFirst first (sgenstyle.h).
// Owners of particular kinds answer the queries below through SetStyleQueries.
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sgenstyle.h"
#include "skin/engine/sstyleprops.h"

class TBitmap;
class TCanvas;

// Kinds whose background may let the parent's show through: panels, group boxes, buttons.
constexpr bool IsTransparentKind(int coc) { return (coc >= 51 && coc <= 74) || (coc >= 91 && coc <= 94); }
// Kinds whose caption label moves only when the control does not answer SKM_CAPTIONQUERY.
constexpr bool AsksBeforeCaptionMove(int coc) { return (coc >= 11 && coc <= 18) || coc == 81 || coc == 82; }
// The group a library broadcast to every background style carries besides its own.
constexpr WPARAM kAllBackgroundsGroup = 21;

// What the styles ask of editor and button owners beyond TsOwnerQueries; the defaults answer
// for a plain control.
class TsStyleQueries {
 public:
  // A combo box whose list is dropped down.
  virtual bool ListDroppedDown() { return false; }
  // A list box showing its vertical scroll bar.
  virtual bool ShowsScrollBar() { return false; }
  // The rectangle of a check or radio control's mark, in client coordinates; empty: the whole
  // control casts the shadow.
  virtual RECT CheckRect() { return RECT{}; }
  // A TsButtonControl, its BevelWidth and whether it is down.
  virtual bool IsButton() { return false; }
  virtual int ButtonBevelWidth() { return 1; }
  virtual bool ButtonDown() { return false; }
  // The drop-down style: its arrow zone, whether that is the pressed part, whether the menu
  // is open.
  virtual bool IsDropDown() { return false; }
  virtual RECT ArrowZone() { return RECT{}; }
  virtual bool ArrowPressed() { return false; }
  virtual bool MenuOpen() { return false; }
  // Kind 141: the height of the header its shadow starts below.
  virtual int HeaderHeight() { return 0; }

 protected:
  ~TsStyleQueries() = default;
};

// The bevel of `kind` and `width` over r of bmp (the section bevel painter); panels, group
// boxes and buttons use it.
void PaintStyleRect(TsGenStyle* style, TBitmap* bmp, RECT r, bool soft, TsControlBevel kind, int width);

// ---- Editor family -------------------------------------------------------------------------

class TsEditorStyle : public TsGenStyle {
  TK_CLASS(TsEditorStyle, TsGenStyle)

 public:
  explicit TsEditorStyle(TControl* owner);
  ~TsEditorStyle() override;

  void WndProc(TMessage& message) override;
  void LibMessage(TMessage& message) override;
  int ClassCode() const override { return SCC_TsEditorStyle; }

  // The colour of the control's body: the selection colour while active (descendants of
  // TsCustomStyle with msColor only), else the painting colour; always RGB.
  TColor GetActualColor();
  // The 3-pixel non-client border onto the control's window.
  void PaintBorder();
  // The shadow an editor control casts: a check or radio control's mark, nothing for a
  // combo box whose list is down.
  void PaintBitmap(TCanvas* canvas, int x, int y) override;

  TsEditorSelection* GetSelection() const { return selection_; }
  void SetSelection(TsEditorSelection* value) { selection_->Assign(value); }
  TsEditorPainting* GetPainting() const { return painting_; }
  void SetPainting(TsEditorPainting* value) { painting_->Assign(value); }
  int GetBorderStyle() const { return border_style_; }
  void SetStyleQueries(TsStyleQueries* queries) { style_queries_ = queries; }

  // Set by the owner while it is pressed: the border mask shows its pressed state.
  bool Pressed = false;

 protected:
  bool TakesEditorMessages() const override { return true; }
  // Whether Selection.Mode may choose the selection colour.
  virtual bool UsesSelectionMode() const { return false; }
  TsStyleQueries& StyleQueries() const;
  void FollowParentColor();

 private:
  static void Publish(TPublisher<TsEditorStyle>& p);
  void CopyLook(TsGenStyle* source);

  TsEditorSelection* selection_ = nullptr;
  TsEditorPainting* painting_ = nullptr;
  int border_style_ = 2;
  TsStyleQueries* style_queries_ = nullptr;
};

class TsCustomStyle : public TsEditorStyle {
  TK_CLASS(TsCustomStyle, TsEditorStyle)

 public:
  explicit TsCustomStyle(TControl* owner);
  ~TsCustomStyle() override;

  void WndProc(TMessage& message) override;
  int ClassCode() const override { return SCC_TsCustomStyle; }

  // The owner's key-down: a key listed in KeysNextControl (KeysPrevControl) moves the focus to
  // the next (previous) control of the form in tab order, if any takes it; the owner is then
  // invalidated and the key consumed (key := 0).
  void KeyDown(WORD& key, TShiftState shift);

  const std::string& GetKeysNextControl() const { return keys_next_; }
  void SetKeysNextControl(const std::string& value) { keys_next_ = value; }
  const std::string& GetKeysPrevControl() const { return keys_prev_; }
  void SetKeysPrevControl(const std::string& value) { keys_prev_ = value; }
  TsStyleCaption* GetCaption() const { return caption_; }
  void SetCaption(TsStyleCaption* value) { caption_->Assign(value); }

 protected:
  bool UsesSelectionMode() const override { return true; }

 private:
  static void Publish(TPublisher<TsCustomStyle>& p);
  void BoundsChanged();
  void MoveFocus(bool forward);

  std::string keys_next_;
  std::string keys_prev_;
  TsStyleCaption* caption_ = nullptr;
};

class TsStyle : public TsCustomStyle {
  TK_CLASS(TsStyle, TsCustomStyle)

 public:
  using TsCustomStyle::TsCustomStyle;
  int ClassCode() const override { return SCC_TsStyle; }
};

// ---- Background family ---------------------------------------------------------------------

class TsPaintStyle : public TsGenStyle {
  TK_CLASS(TsPaintStyle, TsGenStyle)

 public:
  explicit TsPaintStyle(TControl* owner);
  ~TsPaintStyle() override;

  void WndProc(TMessage& message) override;
  void LibMessage(TMessage& message) override;
  int ClassCode() const override { return SCC_TsPaintStyle; }
  // The shadow the control casts onto a parent's canvas, at (x, y) more than its bounds.
  void PaintBitmap(TCanvas* canvas, int x, int y) override;

  TsStylePainting* GetPainting() const { return painting_; }
  void SetPainting(TsStylePainting* value) { painting_->Assign(value); }
  int GetBorderStyle() const { return border_style_; }
  void SetStyleQueries(TsStyleQueries* queries) { style_queries_ = queries; }
  // The section's PaintingTransparency with a skin, else Painting.Transparency.
  int GetTransparency() const;

 protected:
  bool TakesPaintMessages() const override { return true; }
  TsStyleQueries& StyleQueries() const;

 private:
  static void Publish(TPublisher<TsPaintStyle>& p);

  TsStylePainting* painting_ = nullptr;
  int border_style_ = 2;
  TsStyleQueries* style_queries_ = nullptr;
};

class TsPassiveBGStyle : public TsPaintStyle {
  TK_CLASS(TsPassiveBGStyle, TsPaintStyle)

 public:
  explicit TsPassiveBGStyle(TControl* owner);
  ~TsPassiveBGStyle() override;

  void LibMessage(TMessage& message) override;
  int ClassCode() const override { return SCC_TsPassiveBGStyle; }

  // The values painting uses, from the section or from the property objects.
  virtual TColor GetPaintingColor();
  virtual TsControlBevel GetPaintingBevel();
  virtual int GetPaintingBevelWidth();
  virtual int GetGradientPercent();
  virtual const TsGradArray& GetGradientArray();
  virtual int GetImagePercent();
  // Null when there is no image.
  virtual TBitmap* GetImageBitmap();

  // The background into bmp (the control's size): the parent's pixels for a fully
  // transparent control over a ready parent cache, else colour, image and gradient at their
  // shares, mixed with the parent's pixels at the transparency.
  virtual void PaintBG(TBitmap* bmp);

  TsBackground* GetBackground() const { return background_; }
  void SetBackground(TsBackground* value) { background_->Assign(value); }

 private:
  static void Publish(TPublisher<TsPassiveBGStyle>& p);
  void CopyParentPart(TBitmap* bmp, const TsCacheInfo& ci);

  TsBackground* background_ = nullptr;
};

class TsActiveBGStyle : public TsPassiveBGStyle {
  TK_CLASS(TsActiveBGStyle, TsPassiveBGStyle)

 public:
  explicit TsActiveBGStyle(TControl* owner);
  ~TsActiveBGStyle() override;

  int ClassCode() const override { return SCC_TsActiveBGStyle; }

  // The hot values while ControlIsActive, the passive ones otherwise.
  TColor GetPaintingColor() override;
  TsControlBevel GetPaintingBevel() override;
  int GetPaintingBevelWidth() override;
  int GetGradientPercent() override;
  const TsGradArray& GetGradientArray() override;
  int GetImagePercent() override;
  TBitmap* GetImageBitmap() override;

  bool GetFadingEnabled();
  int GetFadingIntervalIn();
  int GetFadingIntervalOut();
  int GetFadingIterations();

  // The button bevel over r: sunk while the button is down, the painting bevel otherwise.
  void PaintBevel(TCanvas* canvas, RECT r);

  TsHotStyle* GetHotStyle() const { return hot_style_; }
  void SetHotStyle(TsHotStyle* value) { hot_style_->Assign(value); }
  TsActiveEffects* GetBtnEffects() const { return btn_effects_; }
  void SetBtnEffects(TsActiveEffects* value) { btn_effects_->Assign(value); }

 private:
  static void Publish(TPublisher<TsActiveBGStyle>& p);
  bool Hot() { return ControlIsActive(); }

  TsHotStyle* hot_style_ = nullptr;
  TsActiveEffects* btn_effects_ = nullptr;
};
