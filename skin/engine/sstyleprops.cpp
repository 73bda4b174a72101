#include "skin/engine/sstyleprops.h"

#include <windows.h>

#include <algorithm>

#include "skin/engine/sbevels.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/sgradient.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sstyles.h"
#include "toolkit/bitmap.h"
#include "toolkit/components.h"
#include "toolkit/controls.h"
#include "toolkit/labels.h"
#include "toolkit/picture.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

// ---- What the property objects use of the style base and the painting routines ------------

namespace {

TsGenStyle* AsStyle(const TPersistent* object) {
  return const_cast<TsGenStyle*>(DynamicCast<TsGenStyle>(object));
}
void InvalidateStyle(TsGenStyle* style) { style->Invalidate(); }
void RepaintStyleParent(TsGenStyle* style) { style->RepaintParent(); }
TControl* StyleControl(TsGenStyle* style) { return style->GetOwnerControl(); }
int StyleKind(TsGenStyle* style) { return style->COC; }
bool LoadImageFile(TPicture* picture, const std::string& file_name) {
  return LoadPictureFile(picture, file_name, false);
}
// A text with a word that is no number is no gradient: a form definition must still load.
TsGradArray ParseGradient(const std::string& data) {
  TsGradArray gradient;
  try {
    ParseGradientData(data, gradient);
  } catch (const EConvertError&) {
    gradient.clear();
  }
  return gradient;
}

// The style a background belongs to directly (a style's Background, not a hot style's).
TsPassiveBGStyle* BackgroundStyle(const TsHotBackground* background) {
  return background ? DynamicCast<TsPassiveBGStyle>(background->GetOwner()) : nullptr;
}

TPercent ClampPercent(TPercent value) { return std::min<TPercent>(value, 100); }

void InvalidateOwner(const TPersistent* object) {
  if (TsGenStyle* style = OwnerStyle(object)) InvalidateStyle(style);
}

TControl* OwnerControl(const TPersistent* object) {
  TsGenStyle* style = OwnerStyle(object);
  return style ? StyleControl(style) : nullptr;
}

// The editor family repaints the control itself (the style's border is drawn afresh each
// paint), also while a new skin is announced.
void InvalidateOwnerControl(const TPersistent* object) {
  if (TControl* control = OwnerControl(object)) control->Invalidate();
}

const TEnumInfo& FontStylesInfo() {
  static const TEnumInfo info{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
  return info;
}

// Check box, radio button and their group kinds: they always show their parent's colour.
bool IsCheckKind(int kind) { return kind >= 31 && kind <= 33; }

}  // namespace

TsGenStyle* OwnerStyle(const TPersistent* object) {
  for (const TPersistent* p = object; p; p = p->GetOwner())
    if (TsGenStyle* style = AsStyle(p)) return style;
  return nullptr;
}

// EditorBevelInfo and ControlBevelInfo are the stored skin's (sstoredskin.cpp).
const TEnumInfo& SelectionModeInfo() {
  static const TEnumInfo info{"msBorder", "msColor"};
  return info;
}
const TEnumInfo& CaptionLayoutInfo() {
  static const TEnumInfo info{"sclLeft", "sclTopLeft", "sclTopCenter", "sclTopRight"};
  return info;
}
const TEnumInfo& PredefinedBordersInfo() {
  static const TEnumInfo info{"pdBorder1", "pdBorder2", "pdBorder3", "pdBorder4",
                              "pdBorder5", "pdBorder6", "pdCustom"};
  return info;
}

// ---- TsEditorBorder ------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsEditorBorder, TPersistent)

void TsEditorBorder::Publish(TPublisher<TsEditorBorder>& p) {
  p.Integer("Width", &TsEditorBorder::GetWidth, &TsEditorBorder::SetWidth).Default(2);
  p.Enumeration("Bevel", EditorBevelInfo(), &TsEditorBorder::GetBevel, &TsEditorBorder::SetBevel)
      .Default(ebAsBottomBorder);
}

TsEditorBorder::TsEditorBorder(TPersistent* owner) : owner_(owner) {}

void TsEditorBorder::Assign(TPersistent* source) {
  auto* border = DynamicCast<TsEditorBorder>(source);
  if (!border) return inherited::Assign(source);
  width_ = border->width_;
  bevel_ = border->bevel_;
}

// ---- TsEditorSelection ---------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsEditorSelection, TPersistent)

void TsEditorSelection::Publish(TPublisher<TsEditorSelection>& p) {
  p.Set("Mode", SelectionModeInfo(), &TsEditorSelection::GetMode, &TsEditorSelection::SetMode)
      .Default(TsSelectionModes{msBorder, msColor}.Bits());
  p.Color("Color", &TsEditorSelection::GetColor, &TsEditorSelection::SetColor).Default(clWindow);
  p.Object("Border", &TsEditorSelection::GetBorder, &TsEditorSelection::SetBorder);
}

TsEditorSelection::TsEditorSelection(TPersistent* owner)
    : owner_(owner), border_(New<TsEditorBorder>(this)) {}

TsEditorSelection::~TsEditorSelection() { Free(border_); }

void TsEditorSelection::Assign(TPersistent* source) {
  auto* selection = DynamicCast<TsEditorSelection>(source);
  if (!selection) return inherited::Assign(source);
  mode_ = selection->mode_;
  color_ = selection->color_;
  border_->Assign(selection->border_);
}

// ---- TsEditorPainting ----------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsEditorPainting, TPersistent)

void TsEditorPainting::Publish(TPublisher<TsEditorPainting>& p) {
  p.Boolean("ParentColor", &TsEditorPainting::GetParentColor, &TsEditorPainting::SetParentColor)
      .Default(false);
  p.Color("Color", &TsEditorPainting::GetColor, &TsEditorPainting::SetColor).Default(0xECFFFF);
  p.Color("ColorBorderTop", &TsEditorPainting::GetColorBorderTop, &TsEditorPainting::SetColorBorderTop)
      .Default(clBtnHighlight);
  p.Color("ColorBorderBottom", &TsEditorPainting::GetColorBorderBottom,
          &TsEditorPainting::SetColorBorderBottom)
      .Default(0x7E756B);
  p.Enumeration("Bevel", EditorBevelInfo(), &TsEditorPainting::GetBevel, &TsEditorPainting::SetBevel)
      .Default(ebAsBottomBorder);
}

TsEditorPainting::TsEditorPainting(TPersistent* owner) : owner_(owner) {}

void TsEditorPainting::Assign(TPersistent* source) {
  auto* painting = DynamicCast<TsEditorPainting>(source);
  if (!painting) return inherited::Assign(source);
  parent_color_ = painting->parent_color_;
  color_ = painting->color_;
  color_border_top_ = painting->color_border_top_;
  color_border_bottom_ = painting->color_border_bottom_;
  bevel_ = painting->bevel_;
  InvalidateOwner(this);
}

void TsEditorPainting::SetColorIndex(int index, TColor color) {
  TColor& field = index == 0 ? color_ : index == 1 ? color_border_top_ : color_border_bottom_;
  if (field == color) return;
  field = color;
  if (index == 0) parent_color_ = false;
  // A control half torn down may fail to repaint; the value is stored anyway.
  try {
    InvalidateOwnerControl(this);
  } catch (const Exception&) {
  }
}

void TsEditorPainting::SetBevel(TsEditorBevel bevel) {
  if (bevel_ == bevel) return;
  bevel_ = bevel;
  InvalidateOwnerControl(this);
}

void TsEditorPainting::SetParentColor(bool parent_color) {
  TsGenStyle* style = OwnerStyle(this);
  TControl* control = style ? StyleControl(style) : nullptr;
  if (style && IsCheckKind(StyleKind(style))) {
    parent_color_ = true;
    if (control) color_ = control->GetColor();
    return;
  }
  if (parent_color_ == parent_color) return;
  parent_color_ = parent_color;
  if (!control) return;
  control->SetParentColor(parent_color);
  if (parent_color) {
    color_ = control->GetColor();
    control->Invalidate();
  }
}

// ---- TsStyleCaption ------------------------------------------------------------------------

namespace {
TsCaptionLabelFactory caption_label_factory = nullptr;
constexpr int kCaptionGap = 4;  // between a left caption and its control
}  // namespace

void SetCaptionLabelFactory(TsCaptionLabelFactory factory) { caption_label_factory = factory; }

// Forgets the label when it is freed by someone else (its parent going away first).
class TsStyleCaption::TLabelWatch : public TComponent {
 public:
  explicit TLabelWatch(TsCaptionLabel* label) : TComponent(nullptr), label_(label) {
    FreeNotification(label->LabelControl());
  }
  TsCaptionLabel* GetLabel() const { return label_; }
  void FreeLabel() {
    TsCaptionLabel* label = label_;
    if (!label) return;
    RemoveFreeNotification(label->LabelControl());
    label_ = nullptr;
    Free(label->LabelControl());
  }

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == opRemove && label_ && component == label_->LabelControl()) label_ = nullptr;
  }

 private:
  TsCaptionLabel* label_;
};

TK_ABSTRACT_CLASS_INFO(TsStyleCaption, TPersistent)

void TsStyleCaption::Publish(TPublisher<TsStyleCaption>& p) {
  p.Object("Font", &TsStyleCaption::GetFont, &TsStyleCaption::SetFont);
  p.String("Text", &TsStyleCaption::GetText, &TsStyleCaption::SetText);
  p.Boolean("Active", &TsStyleCaption::GetActive, &TsStyleCaption::SetActive).Default(false);
  p.Integer("MaxWidth", &TsStyleCaption::GetMaxWidth, &TsStyleCaption::SetMaxWidth).Default(0);
  p.Enumeration("Layout", CaptionLayoutInfo(), &TsStyleCaption::GetLayout, &TsStyleCaption::SetLayout)
      .Default(sclLeft);
}

TsStyleCaption::TsStyleCaption(TPersistent* owner) : font_(New<TFont>()), owner_(owner) {
  font_->OnChange = TNotifyEvent(this, &TsStyleCaption::FontChanged);
}

TsStyleCaption::~TsStyleCaption() {
  FreeLabel();
  font_->OnChange = nullptr;
  Free(font_);
}

void TsStyleCaption::Assign(TPersistent* source) {
  auto* caption = DynamicCast<TsStyleCaption>(source);
  if (!caption) return inherited::Assign(source);
  font_->Assign(caption->font_);
  text_ = caption->text_;
  max_width_ = caption->max_width_;
  layout_ = caption->layout_;
  SetActive(caption->active_);
  PlaceLabel();
}

TControl* TsStyleCaption::GetLabel() const {
  TsCaptionLabel* label = watch_ ? watch_->GetLabel() : nullptr;
  return label ? label->LabelControl() : nullptr;
}

void TsStyleCaption::SetFont(TFont* font) { font_->Assign(font); }

void TsStyleCaption::FontChanged(TObject*) {
  if (TControl* label = GetLabel()) label->GetFont()->Assign(font_);
  PlaceLabel();
}

void TsStyleCaption::SetText(const std::string& text) {
  text_ = text;
  if (TControl* label = GetLabel()) label->SetCaption(text_);
  PlaceLabel();
}

void TsStyleCaption::SetMaxWidth(int max_width) {
  max_width_ = max_width;
  PlaceLabel();
}

void TsStyleCaption::SetLayout(TsCaptionLayout layout) {
  layout_ = layout;
  PlaceLabel();
}

void TsStyleCaption::SetActive(bool active) {
  if (active_ == active) return;
  active_ = active;
  if (active)
    CreateLabel();
  else
    FreeLabel();
}

void TsStyleCaption::CreateLabel() {
  TControl* control = OwnerControl(this);
  if (!control || !control->GetParent() || !caption_label_factory || GetLabel()) return;
  TsCaptionLabel* made = caption_label_factory();
  if (!made) return;
  watch_ = New<TLabelWatch>(made);
  TControl* label = made->LabelControl();
  if (text_.empty()) text_ = control->GetName();
  try {
    label->SetName(control->GetName().empty() ? std::string() : control->GetName() + "Label");
  } catch (const Exception&) {
    // A name another component has already: the label stays unnamed.
  }
  // The parent first: a skinned label takes its layout values only once it has one.
  label->SetParent(control->GetParent());
  made->SetFocusControl(DynamicCast<TWinControl>(control));
  label->GetFont()->Assign(font_);
  label->SetCaption(text_);
  label->SetVisible(control->GetVisible());
  label->SetEnabled(control->GetEnabled());
  PlaceLabel();
}

void TsStyleCaption::UpdateLabel() {
  if (active_ && !GetLabel()) CreateLabel();
  PlaceLabel();
}

void TsStyleCaption::FreeLabel() {
  if (!watch_) return;
  watch_->FreeLabel();
  FreeAndNil(watch_);
}

void TsStyleCaption::PlaceLabel() {
  TsCaptionLabel* made = watch_ ? watch_->GetLabel() : nullptr;
  TControl* control = OwnerControl(this);
  if (!made || !control || !control->GetParent()) return;
  TControl* label = made->LabelControl();
  static constexpr TAlignment kAlignment[] = {taRightJustify, taLeftJustify, taCenter, taRightJustify};
  made->SetTransparent(true);
  made->SetAlignment(kAlignment[layout_]);
  made->SetAutoSize(true);
  // The width first, so that wrapped words are measured at the width the label keeps.
  if (max_width_ != 0) label->SetWidth(max_width_);
  made->SetWordWrap(max_width_ != 0);
  made->AdjustBounds();
  if (max_width_ != 0) label->SetWidth(max_width_);  // wrapped lines may come out narrower
  const int w = label->GetWidth(), h = label->GetHeight();
  const int left = control->GetLeft(), top = control->GetTop();
  switch (layout_) {
    case sclLeft: label->SetBounds(left - w - kCaptionGap, top + (control->GetHeight() - h) / 2, w, h); break;
    case sclTopLeft: label->SetBounds(left, top - h, w, h); break;
    case sclTopCenter: label->SetBounds(left + (control->GetWidth() - w) / 2, top - h, w, h); break;
    case sclTopRight: label->SetBounds(left + control->GetWidth() - w, top - h, w, h); break;
  }
}

// ---- TsStylePainting -----------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsStylePainting, TPersistent)

void TsStylePainting::Publish(TPublisher<TsStylePainting>& p) {
  p.Boolean("ParentColor", &TsStylePainting::GetParentColor, &TsStylePainting::SetParentColor).Default(true);
  p.Color("Color", &TsStylePainting::GetColor, &TsStylePainting::SetColor).Default(0xCAC2B7);
  p.Enumeration("Bevel", ControlBevelInfo(), &TsStylePainting::GetBevel, &TsStylePainting::SetBevel)
      .Default(cbRaisedSoft);
  p.Integer("Transparency", &TsStylePainting::GetTransparency, &TsStylePainting::SetTransparency).Default(0);
}

TsStylePainting::TsStylePainting(TPersistent* owner) : owner_(owner) {}

void TsStylePainting::Assign(TPersistent* source) {
  auto* painting = DynamicCast<TsStylePainting>(source);
  if (!painting) return inherited::Assign(source);
  parent_color_ = painting->parent_color_;
  color_ = painting->color_;
  bevel_width_ = painting->bevel_width_;
  transparency_ = painting->transparency_;
  SetBevel(painting->bevel_);  // a panel's outer bevel follows
  InvalidateOwner(this);
}

void TsStylePainting::SetColor(TColor color) {
  if (color_ == color) return;
  color_ = color;
  parent_color_ = false;
  if (TControl* control = OwnerControl(this)) control->SetColor(color);
  InvalidateOwner(this);
}

void TsStylePainting::SetParentColor(bool parent_color) {
  if (parent_color_ == parent_color) return;
  parent_color_ = parent_color;
  TControl* control = OwnerControl(this);
  if (!control) return;
  control->SetParentColor(parent_color);
  if (parent_color && control->GetParent() && control->GetParent()->GetColor() != color_) {
    color_ = control->GetParent()->GetColor();
    InvalidateOwner(this);
  }
}

void TsStylePainting::SetBevel(TsControlBevel bevel) {
  if (bevel_ == bevel) return;
  bevel_ = bevel;
  if (auto* panel = dynamic_cast<TsOuterBevelControl*>(OwnerControl(this));
      panel && panel->GetBevelOuter() != bevel)
    panel->SetBevelOuter(bevel);
  InvalidateOwner(this);
}

void TsStylePainting::SetTransparency(int transparency) {
  if (transparency_ == transparency) return;
  transparency_ = transparency;
  if (TsGenStyle* style = OwnerStyle(this)) RepaintStyleParent(style);
  InvalidateOwner(this);
}

// ---- TsHotPainting -------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsHotPainting, TPersistent)

void TsHotPainting::Publish(TPublisher<TsHotPainting>& p) {
  p.Color("Color", &TsHotPainting::GetColor, &TsHotPainting::SetColor).Default(0xCFB78F);
  p.Enumeration("Bevel", ControlBevelInfo(), &TsHotPainting::GetBevel, &TsHotPainting::SetBevel)
      .Default(cbRaisedSoft);
  p.Integer("Transparency", &TsHotPainting::GetTransparency, &TsHotPainting::SetTransparency).Default(0);
  p.Color("FontColor", &TsHotPainting::GetFontColor, &TsHotPainting::SetFontColor).Default(0);
  p.Set("FontStyle", FontStylesInfo(), &TsHotPainting::GetFontStyle, &TsHotPainting::SetFontStyle).Default(0);
  p.Integer("BevelWidth", &TsHotPainting::GetBevelWidth, &TsHotPainting::SetBevelWidth).Default(5);
}

TsHotPainting::TsHotPainting(TPersistent* owner) : owner_(owner) {}

void TsHotPainting::Assign(TPersistent* source) {
  auto* painting = DynamicCast<TsHotPainting>(source);
  if (!painting) return inherited::Assign(source);
  color_ = painting->color_;
  bevel_ = painting->bevel_;
  transparency_ = painting->transparency_;
  font_color_ = painting->font_color_;
  font_style_ = painting->font_style_;
  bevel_width_ = painting->bevel_width_;
  InvalidateOwner(this);
}

// The hot look is read when the control turns hot: a new value waits for that.
void TsHotPainting::SetTransparency(TPercent transparency) { transparency_ = ClampPercent(transparency); }

// ---- Background add-ons --------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsBGAddon, TPersistent)

TPersistent* TsBGAddon::GetOwner() const { return owner_; }

void TsBGAddon::Changed() {
  if (owner_) owner_->AddonChanged();
}

TK_ABSTRACT_CLASS_INFO(TsBGImage, TsBGAddon)

void TsBGImage::Publish(TPublisher<TsBGImage>& p) {
  p.Object("Image", &TsBGImage::GetImage, &TsBGImage::SetImage);
  p.String("ImageName", &TsBGImage::GetImageName, &TsBGImage::SetImageName);
  p.Integer("Percent", &TsBGImage::GetPercent, &TsBGImage::SetPercent).Default(0);
}

TsBGImage::TsBGImage(TsHotBackground* owner) : TsBGAddon(owner), image_(New<TPicture>()) {
  image_->OnChange = TNotifyEvent(this, &TsBGImage::ImageChanged);
}

TsBGImage::~TsBGImage() {
  image_->OnChange = nullptr;
  Free(image_);
}

void TsBGImage::Assign(TPersistent* source) {
  auto* image = DynamicCast<TsBGImage>(source);
  if (!image) return inherited::Assign(source);
  image_name_ = image->image_name_;
  percent_ = image->percent_;
  image_->Assign(image->image_);  // the change chain runs through ImageChanged
}

void TsBGImage::ImageChanged(TObject*) { Changed(); }

void TsBGImage::SetImage(TPicture* picture) { image_->Assign(picture); }

void TsBGImage::SetImageName(const std::string& name) {
  if (!FileExists(name)) return;
  image_name_ = name;
  LoadImageFile(image_, name);
}

void TsBGImage::SetPercent(TPercent percent) {
  percent = ClampPercent(percent);
  if (percent == percent_) return;
  percent_ = percent;
  // Room is made against the share the style paints with (its section's while skinned);
  // a hot background belongs to the hot style and keeps its pair as it is.
  if (TsPassiveBGStyle* style = BackgroundStyle(GetBackground());
      style && style->GetGradientPercent() + percent > 100)
    style->GetBackground()->GetGradient()->percent_ = static_cast<TPercent>(100 - percent);
  Changed();
}

TK_ABSTRACT_CLASS_INFO(TsBGGradient, TsBGAddon)

void TsBGGradient::Publish(TPublisher<TsBGGradient>& p) {
  p.String("Data", &TsBGGradient::GetData, &TsBGGradient::SetData);
  p.Integer("Percent", &TsBGGradient::GetPercent, &TsBGGradient::SetPercent).Default(70);
}

TsBGGradient::TsBGGradient(TsHotBackground* owner) : TsBGAddon(owner) {}

void TsBGGradient::Assign(TPersistent* source) {
  auto* gradient = DynamicCast<TsBGGradient>(source);
  if (!gradient) return inherited::Assign(source);
  data_ = gradient->data_;
  percent_ = gradient->percent_;
  gradient_array_ = gradient->gradient_array_;
  Changed();
}

void TsBGGradient::SetData(const std::string& data) {
  if (data.substr(0, 255) == data_) return;
  data_ = data.substr(0, 255);
  gradient_array_ = ParseGradient(data_);
  Changed();
}

void TsBGGradient::SetPercent(TPercent percent) {
  percent = ClampPercent(percent);
  if (percent == percent_) return;
  percent_ = percent;
  if (TsHotBackground* background = GetBackground()) {
    TsBGImage* image = background->GetImage();
    if (image && image->percent_ + percent > 100) image->percent_ = static_cast<TPercent>(100 - percent);
  }
  Changed();
}

// ---- TsHotBackground, TsBackground ---------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsHotBackground, TPersistent)

void TsHotBackground::Publish(TPublisher<TsHotBackground>& p) {
  p.Object("Image", &TsHotBackground::GetImage, &TsHotBackground::SetImage);
  p.Object("Gradient", &TsHotBackground::GetGradient, &TsHotBackground::SetGradient);
}

TsHotBackground::TsHotBackground(TPersistent* owner) : owner_(owner) {
  image_ = New<TsBGImage>(this);
  gradient_ = New<TsBGGradient>(this);
}

TsHotBackground::~TsHotBackground() {
  FreeAndNil(gradient_);
  FreeAndNil(image_);
}

void TsHotBackground::Assign(TPersistent* source) {
  auto* background = DynamicCast<TsHotBackground>(source);
  if (!background) return inherited::Assign(source);
  image_->Assign(background->image_);
  gradient_->Assign(background->gradient_);
}

void TsHotBackground::AddonChanged() {
  // The add-ons are made in the constructor; the first picture events may come before both are.
  // Only a style's own background repaints it; a hot background waits for the hot look.
  if (image_ && gradient_)
    if (TsPassiveBGStyle* style = BackgroundStyle(this)) InvalidateStyle(style);
}

TK_ABSTRACT_CLASS_INFO(TsBackground, TsHotBackground)

void TsBackground::Publish(TPublisher<TsBackground>& p) {
  p.Boolean("ListenMSG", &TsBackground::GetListenMSG, &TsBackground::SetListenMSG).Default(false);
}

void TsBackground::Assign(TPersistent* source) {
  inherited::Assign(source);
  if (auto* background = DynamicCast<TsBackground>(source)) listen_msg_ = background->listen_msg_;
}

// ---- TsHotStyle ----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsHotStyle, TPersistent)

void TsHotStyle::Publish(TPublisher<TsHotStyle>& p) {
  p.Object("HotPainting", &TsHotStyle::GetHotPainting, &TsHotStyle::SetHotPainting);
  p.Object("HotBackground", &TsHotStyle::GetHotBackground, &TsHotStyle::SetHotBackground);
}

TsHotStyle::TsHotStyle(TPersistent* owner)
    : owner_(owner), hot_painting_(New<TsHotPainting>(this)), hot_background_(New<TsHotBackground>(this)) {}

TsHotStyle::~TsHotStyle() {
  Free(hot_background_);
  Free(hot_painting_);
}

void TsHotStyle::Assign(TPersistent* source) {
  auto* hot = DynamicCast<TsHotStyle>(source);
  if (!hot) return inherited::Assign(source);
  hot_painting_->Assign(hot->hot_painting_);
  hot_background_->Assign(hot->hot_background_);
}

// ---- TsFading, TsMaskedBorders, TsActiveEffects --------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsFading, TPersistent)

void TsFading::Publish(TPublisher<TsFading>& p) {
  p.Boolean("Enabled", &TsFading::GetEnabled, &TsFading::SetEnabled).Default(true);
  p.Integer("Iterations", &TsFading::GetIterations, &TsFading::SetIterations).Default(5);
  p.Integer("IntervalIn", &TsFading::GetIntervalIn, &TsFading::SetIntervalIn).Default(5);
  p.Integer("IntervalOut", &TsFading::GetIntervalOut, &TsFading::SetIntervalOut).Default(5);
}

void TsFading::Assign(TPersistent* source) {
  auto* fading = DynamicCast<TsFading>(source);
  if (!fading) return inherited::Assign(source);
  enabled_ = fading->enabled_;
  iterations_ = fading->iterations_;
  interval_in_ = fading->interval_in_;
  interval_out_ = fading->interval_out_;
}

TK_ABSTRACT_CLASS_INFO(TsMaskedBorders, TPersistent)

void TsMaskedBorders::Publish(TPublisher<TsMaskedBorders>& p) {
  p.Object("Mask", &TsMaskedBorders::GetMask, &TsMaskedBorders::SetMask);
  p.Boolean("Enabled", &TsMaskedBorders::GetEnabled, &TsMaskedBorders::SetEnabled).Default(true);
  p.Enumeration("Predefined", PredefinedBordersInfo(), &TsMaskedBorders::GetPredefined,
                &TsMaskedBorders::SetPredefined)
      .Default(pdBorder1);
  p.Color("TransparentColor", &TsMaskedBorders::GetTransparentColor, &TsMaskedBorders::SetTransparentColor)
      .Default(0xFF00FF);
}

TsMaskedBorders::TsMaskedBorders(TPersistent* owner) : mask_(New<TBitmap>()), owner_(owner) {}

TsMaskedBorders::~TsMaskedBorders() { Free(mask_); }

void TsMaskedBorders::Assign(TPersistent* source) {
  auto* borders = DynamicCast<TsMaskedBorders>(source);
  if (!borders) return inherited::Assign(source);
  mask_->Assign(borders->mask_);
  enabled_ = borders->enabled_;
  predefined_ = borders->predefined_;
  transparent_color_ = borders->transparent_color_;
  InvalidateOwner(this);
}

void TsMaskedBorders::SetMask(TBitmap* mask) {
  if (mask != mask_) mask_->Assign(mask);
  InvalidateOwner(this);
  mask_->SetPixelFormat(pf24bit);
  predefined_ = pdCustom;
}

void TsMaskedBorders::SetEnabled(bool enabled) {
  if (enabled_ == enabled) return;
  enabled_ = enabled;
  InvalidateOwner(this);
}

void TsMaskedBorders::SetPredefined(TsPredefinedBorders predefined) {
  if (predefined_ == predefined) return;
  predefined_ = predefined;
  InvalidateOwner(this);
}

void TsMaskedBorders::SetTransparentColor(TColor color) {
  if (transparent_color_ == color) return;
  transparent_color_ = color;
  InvalidateOwner(this);
}

TK_ABSTRACT_CLASS_INFO(TsActiveEffects, TPersistent)

void TsActiveEffects::Publish(TPublisher<TsActiveEffects>& p) {
  p.Object("Fading", &TsActiveEffects::GetFading, &TsActiveEffects::SetFading);
  p.Object("MaskedBorders", &TsActiveEffects::GetMaskedBorders, &TsActiveEffects::SetMaskedBorders);
}

TsActiveEffects::TsActiveEffects(TPersistent* owner)
    : fading_(New<TsFading>(this)), masked_borders_(New<TsMaskedBorders>(this)), owner_(owner) {}

TsActiveEffects::~TsActiveEffects() {
  Free(masked_borders_);
  Free(fading_);
}

void TsActiveEffects::Assign(TPersistent* source) {
  auto* effects = DynamicCast<TsActiveEffects>(source);
  if (!effects) return inherited::Assign(source);
  fading_->Assign(effects->fading_);
  masked_borders_->Assign(effects->masked_borders_);
}
