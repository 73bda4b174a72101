// Panels (containers with bevels and a caption), bevels (lines and frames), images (a
// picture shown as it is, centred or stretched) and radio groups (a group box holding one
// radio button per line of its Items).
#pragma once

#include <windows.h>

#include <vector>

#include "toolkit/buttons.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/picture.h"
#include "toolkit/strings.h"

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
// A panel's border: bsNone or bsSingle (a sunken client edge).
using TBorderStyle = TFormBorderStyle;
const TEnumInfo& PanelBorderStyleInfo();

// Draws `width` one-pixel frames inside rect, the top and left edges in one colour and the
// bottom and right edges in the other, and shrinks rect by them.
void Frame3D(HDC dc, RECT& rect, TColor top_left, TColor bottom_right, int width);

// ---- Panel ------------------------------------------------------------------------------------

using TPanelPaintEvent = TEvent<TObject* /*panel*/, TCanvas* /*canvas*/>;

// A container that paints its colour, an outer and an inner bevel and its caption (centred
// vertically). Aligned children go inside BorderWidth and the bevels.
class TCustomPanel : public TCustomControl {
  TK_CLASS(TCustomPanel, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomPanel(TComponent* owner);

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  TBevelCut GetBevelInner() const { return bevel_inner_; }
  void SetBevelInner(TBevelCut bevel);
  TBevelCut GetBevelOuter() const { return bevel_outer_; }
  void SetBevelOuter(TBevelCut bevel);
  int GetBevelWidth() const { return bevel_width_; }
  // At least 1.
  void SetBevelWidth(int width);
  TBorderStyle GetBorderStyle() const { return border_style_; }
  // bsNone or bsSingle; the other form border styles count as bsSingle.
  void SetBorderStyle(TBorderStyle style);

  // After the panel painted itself, on its canvas: draws over bevels and caption.
  TPanelPaintEvent OnPaint;

 protected:
  void CreateParams(TCreateParams& params) override;
  void AdjustClientRect(RECT& rect) override;
  void Paint() override;
  // The room BevelOuter and BevelInner take on each side.
  int BevelExtent() const;

 private:
  void CMTextChanged(TMessage& message);

  TAlignment alignment_ = taCenter;
  TBevelCut bevel_inner_ = bvNone;
  TBevelCut bevel_outer_ = bvRaised;
  int bevel_width_ = 1;
  TBorderStyle border_style_ = bsNone;
};

class TPanel : public TCustomPanel {
  TK_CLASS(TPanel, TCustomPanel)

 public:
  explicit TPanel(TComponent* owner) : TCustomPanel(owner) {}

 private:
  static void Publish(TPublisher<TPanel>& p);
};

// ---- Bevel --------------------------------------------------------------------------------------

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
enum TBevelStyle { bsLowered, bsRaised };

// A windowless box, frame or line in the 3-D colours; bsSpacer draws nothing.
class TBevel : public TGraphicControl {
  TK_CLASS(TBevel, TGraphicControl)

 public:
  explicit TBevel(TComponent* owner);

  TBevelShape GetShape() const { return shape_; }
  void SetShape(TBevelShape shape);
  TBevelStyle GetStyle() const { return style_; }
  void SetStyle(TBevelStyle style);

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TBevel>& p);

  TBevelShape shape_ = bsBox;
  TBevelStyle style_ = bsLowered;
};

// ---- Image ----------------------------------------------------------------------------------------

// A windowless control showing a picture: at its own size from the top-left corner, centred,
// or stretched over the control (keeping its proportions with Proportional).
class TImage : public TGraphicControl {
  TK_CLASS(TImage, TGraphicControl)

 public:
  explicit TImage(TComponent* owner);
  ~TImage() override;

  TPicture* GetPicture() const { return picture_; }
  void SetPicture(TPicture* picture) { picture_->Assign(picture); }
  bool GetStretch() const { return stretch_; }
  void SetStretch(bool value);
  bool GetCenter() const { return center_; }
  void SetCenter(bool value);
  bool GetProportional() const { return proportional_; }
  void SetProportional(bool value);
  // The graphic's transparent colour shows what lies below (bitmaps: the bottom-left pixel's).
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  // The control takes the picture's size (when not stretched).
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);

  // Where the picture is drawn, in client coordinates.
  RECT DestRect();

 protected:
  void Paint() override;
  void Loaded() override;

 private:
  static void Publish(TPublisher<TImage>& p);
  void PictureChanged(TObject* sender);
  void ApplyAutoSize();

  TPicture* picture_;
  bool stretch_ = false;
  bool center_ = false;
  bool proportional_ = false;
  bool transparent_ = false;
  bool auto_size_ = false;
};

// ---- Radio group ---------------------------------------------------------------------------------

class TGroupButton;

// A group box with one radio button per line of Items, laid out in Columns (1 to 16), column
// by column. ItemIndex is the checked line (-1 for none); set from code it is clamped to
// -1 .. the last line. A click on a button sets ItemIndex and raises OnClick. The buttons are
// the group's own: they are not stored with the form.
class TCustomRadioGroup : public TCustomGroupBox {
  TK_CLASS(TCustomRadioGroup, TCustomGroupBox)
  TK_MESSAGE_MAP

 public:
  explicit TCustomRadioGroup(TComponent* owner);
  ~TCustomRadioGroup() override;

  TStrings* GetItems() const { return items_; }
  void SetItems(TStrings* items) { items_->Assign(items); }
  int GetItemIndex() const { return item_index_; }
  void SetItemIndex(int index);
  int GetColumns() const { return columns_; }
  void SetColumns(int columns);

  int GetButtonCount() const { return static_cast<int>(buttons_.size()); }
  // The radio button of line index.
  TRadioButton* GetButton(int index) const;

 protected:
  void Loaded() override;
  void CreateWnd() override;
  // Places the buttons (moved together with DeferWindowPos once their windows exist).
  void ArrangeButtons();
  // Whether a click may change ItemIndex.
  virtual bool CanModify() { return true; }

 private:
  friend class TGroupButton;
  void ItemsChanged(TObject* sender);
  void UpdateButtons();
  void ButtonClicked(TGroupButton* button);
  void ButtonKeyDown(WORD& key, TShiftState shift) { KeyDown(key, shift); }
  void ButtonKeyPress(char& key) { KeyPress(key); }
  void WMSize(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);

  TStringList* items_;
  std::vector<TGroupButton*> buttons_;
  int item_index_ = -1;
  int columns_ = 1;
  bool updating_ = false;
};

class TRadioGroup : public TCustomRadioGroup {
  TK_CLASS(TRadioGroup, TCustomRadioGroup)

 public:
  explicit TRadioGroup(TComponent* owner) : TCustomRadioGroup(owner) {}

 private:
  static void Publish(TPublisher<TRadioGroup>& p);
};

// Value names of the enumerations above for published properties.
const TEnumInfo& BevelCutInfo();
const TEnumInfo& BevelShapeInfo();
const TEnumInfo& BevelStyleInfo();

// Registers the classes above for form definitions.
void RegisterExtCtrlsClasses();
