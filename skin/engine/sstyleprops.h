// The published sub-objects through which a form definition sets a skinned control's own look
// when no skin section supplies it. Two families: the editor family (borders, selection and
// painting of edits, combo boxes, list boxes, check and radio controls) and the background
// family (painting, background image and gradient, hot state and effects of panels and
// buttons). Every object keeps its owner (the style, or for the background add-ons the
// background) and invalidates the owning style when a value that shows changes.
//
// Both families have a "painting" object with different fields: they are TsEditorPainting and
// TsStylePainting here, class names included. Sub-objects are stored by property path
// ("Painting.Color = ...") and never by class name, so form definitions read the same either
// way, and distinct names keep error messages and the class registry unambiguous.
#pragma once

#include <cstdint>
#include <string>

#include "skin/engine/sborders.h"  // TsPredefinedBorders: the border painter takes the same choice
#include "skin/engine/sskintables.h"
#include "toolkit/colors.h"
#include "toolkit/controls.h"
#include "toolkit/graphics.h"
#include "toolkit/persistent.h"
#include "toolkit/sets.h"

class TBitmap;
class TControl;
class TComponent;
class TEnumInfo;
class TFont;
class TPicture;
class TWinControl;
class TsGenStyle;
template <class C>
class TPublisher;

// A percentage of 0 to 100 in one byte; the setters of the shares that are mixed clamp larger
// values to 100.
using TPercent = uint8_t;

enum TsSelectionMode { msBorder, msColor };
using TsSelectionModes = TSet<TsSelectionMode>;
enum TsCaptionLayout { sclLeft, sclTopLeft, sclTopCenter, sclTopRight };

const TEnumInfo& EditorBevelInfo();
const TEnumInfo& ControlBevelInfo();
const TEnumInfo& SelectionModeInfo();
const TEnumInfo& CaptionLayoutInfo();
const TEnumInfo& PredefinedBordersInfo();

// The style a property object belongs to: the first style up its owner chain; null when none.
TsGenStyle* OwnerStyle(const TPersistent* object);

// ---- Editor family -------------------------------------------------------------------------

class TsEditorBorder : public TPersistent {
  TK_CLASS(TsEditorBorder, TPersistent)

 public:
  explicit TsEditorBorder(TPersistent* owner);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  int GetWidth() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  TsEditorBevel GetBevel() const { return bevel_; }
  void SetBevel(TsEditorBevel bevel) { bevel_ = bevel; }

 private:
  static void Publish(TPublisher<TsEditorBorder>& p);

  TPersistent* owner_;
  int width_ = 2;
  TsEditorBevel bevel_ = ebAsBottomBorder;
};

class TsEditorSelection : public TPersistent {
  TK_CLASS(TsEditorSelection, TPersistent)

 public:
  explicit TsEditorSelection(TPersistent* owner);
  ~TsEditorSelection() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TsSelectionModes GetMode() const { return mode_; }
  void SetMode(TsSelectionModes mode) { mode_ = mode; }
  TColor GetColor() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TsEditorBorder* GetBorder() const { return border_; }
  void SetBorder(TsEditorBorder* border) { border_->Assign(border); }

 private:
  static void Publish(TPublisher<TsEditorSelection>& p);

  TsSelectionModes mode_{msBorder, msColor};
  TPersistent* owner_;
  TColor color_ = clWindow;
  TsEditorBorder* border_;
};

// The painting of an editor style. Colour changes invalidate the style; check and radio
// controls always take their colour from their parent.
class TsEditorPainting : public TPersistent {
  TK_CLASS(TsEditorPainting, TPersistent)

 public:
  explicit TsEditorPainting(TPersistent* owner);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  bool GetParentColor() const { return parent_color_; }
  void SetParentColor(bool parent_color);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color) { SetColorIndex(0, color); }
  TColor GetColorBorderTop() const { return color_border_top_; }
  void SetColorBorderTop(TColor color) { SetColorIndex(1, color); }
  TColor GetColorBorderBottom() const { return color_border_bottom_; }
  void SetColorBorderBottom(TColor color) { SetColorIndex(2, color); }
  TsEditorBevel GetBevel() const { return bevel_; }
  void SetBevel(TsEditorBevel bevel);
  // The parent's colour taken over while ParentColor stays set; the caller repaints.
  void FollowParentColor(TColor color) { color_ = color; }

 private:
  static void Publish(TPublisher<TsEditorPainting>& p);
  void SetColorIndex(int index, TColor color);

  bool parent_color_ = false;
  TPersistent* owner_;
  TColor color_ = 0xECFFFF;
  TColor color_border_top_ = clBtnHighlight;
  TColor color_border_bottom_ = 0x7E756B;
  TsEditorBevel bevel_ = ebAsBottomBorder;
};

// What a style caption sets on its label beyond a control's own properties. The label must
// have its parent before these are set: a skinned label ignores them without one.
class TsCaptionLabel {
 public:
  virtual TControl* LabelControl() = 0;
  virtual void SetFocusControl(TWinControl* control) = 0;
  virtual void SetAlignment(TAlignment alignment) = 0;
  virtual void SetTransparent(bool transparent) = 0;
  virtual void SetWordWrap(bool word_wrap) = 0;
  virtual void SetAutoSize(bool auto_size) = 0;
  // Sizes the label to its text now (at its present width when words wrap).
  virtual void AdjustBounds() = 0;

 protected:
  ~TsCaptionLabel() = default;
};

// Creates the label of a style caption, owned by nobody (the caption frees it). The skinned
// label registers one; without a factory an active caption shows no label.
using TsCaptionLabelFactory = TsCaptionLabel* (*)();
void SetCaptionLabelFactory(TsCaptionLabelFactory factory);

// A label beside the style's control, shown while Active.
class TsStyleCaption : public TPersistent {
  TK_CLASS(TsStyleCaption, TPersistent)

 public:
  explicit TsStyleCaption(TPersistent* owner);
  ~TsStyleCaption() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TFont* GetFont() const { return font_; }
  void SetFont(TFont* font);
  const std::string& GetText() const { return text_; }
  void SetText(const std::string& text);
  bool GetActive() const { return active_; }
  void SetActive(bool active);
  int GetMaxWidth() const { return max_width_; }
  void SetMaxWidth(int max_width);
  TsCaptionLayout GetLayout() const { return layout_; }
  void SetLayout(TsCaptionLayout layout);

  // The label while Active (and a factory made one); null otherwise.
  TControl* GetLabel() const;
  // Puts the label beside the control again (after the control moved or changed its size).
  void PlaceLabel();
  // Makes the label of an active caption that could not have one yet (the control had no
  // parent while it was read), then places it.
  void UpdateLabel();

 private:
  class TLabelWatch;
  static void Publish(TPublisher<TsStyleCaption>& p);
  void CreateLabel();
  void FreeLabel();
  void FontChanged(TObject* sender);

  TFont* font_;
  TPersistent* owner_;
  std::string text_;
  bool active_ = false;
  int max_width_ = 0;
  TsCaptionLayout layout_ = sclLeft;
  TLabelWatch* watch_ = nullptr;  // holds the label and forgets it when someone else frees it
};

// ---- Background family ---------------------------------------------------------------------

// A control whose outer bevel is its style's painting bevel (the skinned panels): setting the
// painting's bevel sets the control's too, so that neither undoes the other.
class TsOuterBevelControl {
 public:
  virtual TsControlBevel GetBevelOuter() const = 0;
  virtual void SetBevelOuter(TsControlBevel value) = 0;

 protected:
  ~TsOuterBevelControl() = default;
};

class TsStylePainting : public TPersistent {
  TK_CLASS(TsStylePainting, TPersistent)

 public:
  explicit TsStylePainting(TPersistent* owner);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  bool GetParentColor() const { return parent_color_; }
  void SetParentColor(bool parent_color);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  // Not published: the control sets it.
  int GetBevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int width) { bevel_width_ = width; }
  TsControlBevel GetBevel() const { return bevel_; }
  void SetBevel(TsControlBevel bevel);
  int GetTransparency() const { return transparency_; }
  void SetTransparency(int transparency);
  // The parent's colour taken over while ParentColor stays set; the caller repaints.
  void FollowParentColor(TColor color) { color_ = color; }

 private:
  static void Publish(TPublisher<TsStylePainting>& p);

  bool parent_color_ = true;
  TColor color_ = 0xCAC2B7;
  int bevel_width_ = 0;
  TsControlBevel bevel_ = cbRaisedSoft;
  TPersistent* owner_;
  int transparency_ = 0;
};

class TsHotPainting : public TPersistent {
  TK_CLASS(TsHotPainting, TPersistent)

 public:
  explicit TsHotPainting(TPersistent* owner);
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  // Stored only: the hot look is read when the control turns hot.
  TColor GetColor() const { return color_; }
  void SetColor(TColor color) { color_ = color; }
  TsControlBevel GetBevel() const { return bevel_; }
  void SetBevel(TsControlBevel bevel) { bevel_ = bevel; }
  TPercent GetTransparency() const { return transparency_; }
  // Clamped to 100: a mix weight beyond the whole would overflow the channels.
  void SetTransparency(TPercent transparency);
  TColor GetFontColor() const { return font_color_; }
  void SetFontColor(TColor color) { font_color_ = color; }
  TFontStyles GetFontStyle() const { return font_style_; }
  void SetFontStyle(TFontStyles style) { font_style_ = style; }
  int GetBevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int width) { bevel_width_ = width; }

 private:
  static void Publish(TPublisher<TsHotPainting>& p);

  TPersistent* owner_;
  TColor color_ = 0xCFB78F;
  TsControlBevel bevel_ = cbRaisedSoft;
  TPercent transparency_ = 0;
  TColor font_color_ = 0;
  TFontStyles font_style_;
  int bevel_width_ = 5;
};

class TsHotBackground;

// What a background holds besides its colour; tells the background when it changes.
class TsBGAddon : public TPersistent {
  TK_CLASS(TsBGAddon, TPersistent)

 public:
  explicit TsBGAddon(TsHotBackground* owner) : owner_(owner) {}
  TPersistent* GetOwner() const override;
  TsHotBackground* GetBackground() const { return owner_; }

 protected:
  void Changed();

 private:
  TsHotBackground* owner_;
};

class TsBGImage : public TsBGAddon {
  TK_CLASS(TsBGImage, TsBGAddon)

 public:
  explicit TsBGImage(TsHotBackground* owner);
  ~TsBGImage() override;
  void Assign(TPersistent* source) override;

  TPicture* GetImage() const { return image_; }
  void SetImage(TPicture* picture);
  const std::string& GetImageName() const { return image_name_; }
  // Taken only for a file that exists; the picture is loaded from it.
  void SetImageName(const std::string& name);
  TPercent GetPercent() const { return percent_; }
  // Clamped to 100; lowers the gradient's percent so that both add up to at most 100.
  void SetPercent(TPercent percent);

 private:
  friend class TsBGGradient;
  static void Publish(TPublisher<TsBGImage>& p);
  void ImageChanged(TObject* sender);

  TPicture* image_;
  std::string image_name_;
  TPercent percent_ = 0;
};

class TsBGGradient : public TsBGAddon {
  TK_CLASS(TsBGGradient, TsBGAddon)

 public:
  explicit TsBGGradient(TsHotBackground* owner);
  void Assign(TPersistent* source) override;

  // The gradient's text form (at most 255 characters; see sgradient.h).
  const std::string& GetData() const { return data_; }
  void SetData(const std::string& data);
  TPercent GetPercent() const { return percent_; }
  // Clamped to 100; lowers the image's percent so that both add up to at most 100.
  void SetPercent(TPercent percent);
  // Data parsed; empty for an empty or unreadable text.
  const TsGradArray& GetGradientArray() const { return gradient_array_; }

 private:
  friend class TsBGImage;
  static void Publish(TPublisher<TsBGGradient>& p);

  std::string data_;
  TPercent percent_ = 70;
  TsGradArray gradient_array_;
};

class TsHotBackground : public TPersistent {
  TK_CLASS(TsHotBackground, TPersistent)

 public:
  explicit TsHotBackground(TPersistent* owner);
  ~TsHotBackground() override;
  // Copies the image and the gradient.
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TsBGImage* GetImage() const { return image_; }
  void SetImage(TsBGImage* image) { image_->Assign(image); }
  TsBGGradient* GetGradient() const { return gradient_; }
  void SetGradient(TsBGGradient* gradient) { gradient_->Assign(gradient); }

  // An add-on changed: the owning style repaints its background.
  void AddonChanged();

 private:
  static void Publish(TPublisher<TsHotBackground>& p);

  TPersistent* owner_;
  TsBGImage* image_ = nullptr;
  TsBGGradient* gradient_ = nullptr;
};

class TsBackground : public TsHotBackground {
  TK_CLASS(TsBackground, TsHotBackground)

 public:
  explicit TsBackground(TPersistent* owner) : TsHotBackground(owner) {}
  void Assign(TPersistent* source) override;

  // Whether the background follows the image broadcasts of its group.
  bool GetListenMSG() const { return listen_msg_; }
  void SetListenMSG(bool listen) { listen_msg_ = listen; }

 private:
  static void Publish(TPublisher<TsBackground>& p);

  bool listen_msg_ = false;
};

class TsHotStyle : public TPersistent {
  TK_CLASS(TsHotStyle, TPersistent)

 public:
  explicit TsHotStyle(TPersistent* owner);
  ~TsHotStyle() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TsHotPainting* GetHotPainting() const { return hot_painting_; }
  void SetHotPainting(TsHotPainting* painting) { hot_painting_->Assign(painting); }
  TsHotBackground* GetHotBackground() const { return hot_background_; }
  void SetHotBackground(TsHotBackground* background) { hot_background_->Assign(background); }

 private:
  static void Publish(TPublisher<TsHotStyle>& p);

  TPersistent* owner_;
  TsHotPainting* hot_painting_;
  TsHotBackground* hot_background_;
};

class TsFading : public TPersistent {
  TK_CLASS(TsFading, TPersistent)

 public:
  explicit TsFading(TPersistent* owner) : owner_(owner) {}
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool enabled) { enabled_ = enabled; }
  TPercent GetIterations() const { return iterations_; }
  void SetIterations(TPercent value) { iterations_ = value; }
  TPercent GetIntervalIn() const { return interval_in_; }
  void SetIntervalIn(TPercent value) { interval_in_ = value; }
  TPercent GetIntervalOut() const { return interval_out_; }
  void SetIntervalOut(TPercent value) { interval_out_ = value; }

 private:
  static void Publish(TPublisher<TsFading>& p);

  bool enabled_ = true;
  TPercent iterations_ = 5;
  TPercent interval_in_ = 5;
  TPercent interval_out_ = 5;
  TPersistent* owner_;
};

class TsMaskedBorders : public TPersistent {
  TK_CLASS(TsMaskedBorders, TPersistent)

 public:
  explicit TsMaskedBorders(TPersistent* owner);
  ~TsMaskedBorders() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TBitmap* GetMask() const { return mask_; }
  // Copies the bitmap (even the same one), makes it 24 bits per pixel and switches
  // Predefined to pdCustom.
  void SetMask(TBitmap* mask);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  TsPredefinedBorders GetPredefined() const { return predefined_; }
  void SetPredefined(TsPredefinedBorders predefined);
  TColor GetTransparentColor() const { return transparent_color_; }
  void SetTransparentColor(TColor color);

 private:
  static void Publish(TPublisher<TsMaskedBorders>& p);

  TBitmap* mask_;
  bool enabled_ = true;
  TsPredefinedBorders predefined_ = pdBorder1;
  TColor transparent_color_ = 0xFF00FF;
  TPersistent* owner_;
};

class TsActiveEffects : public TPersistent {
  TK_CLASS(TsActiveEffects, TPersistent)

 public:
  explicit TsActiveEffects(TPersistent* owner);
  ~TsActiveEffects() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }

  TsFading* GetFading() const { return fading_; }
  void SetFading(TsFading* fading) { fading_->Assign(fading); }
  TsMaskedBorders* GetMaskedBorders() const { return masked_borders_; }
  void SetMaskedBorders(TsMaskedBorders* borders) { masked_borders_->Assign(borders); }

 private:
  static void Publish(TPublisher<TsActiveEffects>& p);

  TsFading* fading_;
  TsMaskedBorders* masked_borders_;
  TPersistent* owner_;
};
