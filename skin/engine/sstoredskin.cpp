// Skins stored in form definitions.
#include "skin/engine/sstoredskin.h"

#include "toolkit/bitmap.h"
#include "toolkit/jpeg.h"

// ControlBevelInfo and EditorBevelInfo are defined once, with the style properties.

// ---- TsSkinGeneral -------------------------------------------------------------------------

TK_CLASS_INFO(TsSkinGeneral, TCollectionItem)

void TsSkinGeneral::Publish(TPublisher<TsSkinGeneral>& p) {
  using G = TsSkinGeneral;
  p.String("Name", &G::Name);
  p.String("SectionName", &G::SectionName);
  p.String("ParentClassName", &G::ParentClassName);
  p.Color("PaintingColor", &G::PaintingColor).Default(0xFFFFFF);
  p.Enumeration("PaintingBevel", ControlBevelInfo(), &G::PaintingBevel).Default(cbNone);
  p.Integer("PaintingBevelWidth", &G::PaintingBevelWidth).Default(2);
  p.String("FontColor", &G::FontColor);
  p.String("HotFontColor", &G::HotFontColor);
  p.Integer("ShadowBlur", &G::ShadowBlur).Default(6);
  p.Color("ShadowColor", &G::ShadowColor).Default(0);
  p.Boolean("ShadowDontUse", &G::ShadowDontUse).Default(false);
  p.Boolean("ShadowEnabled", &G::ShadowEnabled).Default(false);
  p.Boolean("ReservedBoolean", &G::ReservedBoolean).Default(false);
  p.Integer("ShadowOffset", &G::ShadowOffset).Default(3);
  p.Integer("ShadowTransparency", &G::ShadowTransparency).Default(50);
  p.Integer("PaintingTransparency", &G::PaintingTransparency).Default(0);
  p.Integer("GradientPercent", &G::GradientPercent).Default(0);
  p.String("GradientData", &G::GradientData);
  p.Integer("ImagePercent", &G::ImagePercent).Default(0);
  p.Boolean("ShowFocus", &G::ShowFocus).Default(false);
  p.Boolean("FadingEnabled", &G::FadingEnabled).Default(false);
  p.Integer("FadingIntervalIn", &G::FadingIntervalIn).Default(5);
  p.Integer("FadingIntervalOut", &G::FadingIntervalOut).Default(5);
  p.Integer("FadingIterations", &G::FadingIterations).Default(5);
  p.Color("HotPaintingColor", &G::HotPaintingColor).Default(0xFFFFFF);
  p.Integer("HotPaintingTransparency", &G::HotPaintingTransparency).Default(0);
  p.Enumeration("HotPaintingBevel", ControlBevelInfo(), &G::HotPaintingBevel).Default(cbNone);
  p.Integer("HotPaintingBevelWidth", &G::HotPaintingBevelWidth).Default(2);
  p.Integer("HotGradientPercent", &G::HotGradientPercent).Default(0);
  p.String("HotGradientData", &G::HotGradientData);
  p.Integer("HotImagePercent", &G::HotImagePercent).Default(0);
  p.Color("PaintingColorBorderTop", &G::PaintingColorBorderTop).Default(0);
  p.Color("PaintingColorBorderBottom", &G::PaintingColorBorderBottom).Default(0);
  p.Enumeration("SelectionBorderBevel", EditorBevelInfo(), &G::SelectionBorderBevel).Default(ebLowered);
  p.Integer("SelectionBorderWidth", &G::SelectionBorderWidth).Default(2);
  p.Color("SelectionColor", &G::SelectionColor).Default(0xFFFFFF);
}

TsSkinGeneral::TsSkinGeneral(TCollection* collection) : TCollectionItem(collection) {}

void TsSkinGeneral::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsSkinGeneral>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  // Every field is plain data; the item's identity (collection, ID) stays.
  Name = other->Name;
  SectionName = other->SectionName;
  ParentClassName = other->ParentClassName;
  PaintingColor = other->PaintingColor;
  PaintingBevel = other->PaintingBevel;
  PaintingBevelWidth = other->PaintingBevelWidth;
  FontColor = other->FontColor;
  HotFontColor = other->HotFontColor;
  ShadowBlur = other->ShadowBlur;
  ShadowColor = other->ShadowColor;
  ShadowDontUse = other->ShadowDontUse;
  ShadowEnabled = other->ShadowEnabled;
  ReservedBoolean = other->ReservedBoolean;
  ShadowOffset = other->ShadowOffset;
  ShadowTransparency = other->ShadowTransparency;
  PaintingTransparency = other->PaintingTransparency;
  GradientPercent = other->GradientPercent;
  GradientData = other->GradientData;
  ImagePercent = other->ImagePercent;
  ShowFocus = other->ShowFocus;
  FadingEnabled = other->FadingEnabled;
  FadingIntervalIn = other->FadingIntervalIn;
  FadingIntervalOut = other->FadingIntervalOut;
  FadingIterations = other->FadingIterations;
  HotPaintingColor = other->HotPaintingColor;
  HotPaintingTransparency = other->HotPaintingTransparency;
  HotPaintingBevel = other->HotPaintingBevel;
  HotPaintingBevelWidth = other->HotPaintingBevelWidth;
  HotGradientPercent = other->HotGradientPercent;
  HotGradientData = other->HotGradientData;
  HotImagePercent = other->HotImagePercent;
  PaintingColorBorderTop = other->PaintingColorBorderTop;
  PaintingColorBorderBottom = other->PaintingColorBorderBottom;
  SelectionBorderBevel = other->SelectionBorderBevel;
  SelectionBorderWidth = other->SelectionBorderWidth;
  SelectionColor = other->SelectionColor;
}

TK_ABSTRACT_CLASS_INFO(TsSkinGenerals, TCollection)
TsSkinGenerals::TsSkinGenerals(TPersistent* owner) : TCollection(TsSkinGeneral::StaticClass(), owner) {}

// ---- TsSkinImage ---------------------------------------------------------------------------

TK_CLASS_INFO(TsSkinImage, TCollectionItem)

void TsSkinImage::Publish(TPublisher<TsSkinImage>& p) {
  using I = TsSkinImage;
  p.String("Name", &I::Name);
  p.String("SectionName", &I::SectionName);
  p.String("PropertyName", &I::PropertyName);
  p.Integer("Left", &I::Left).Default(0);
  p.Integer("Top", &I::Top).Default(0);
  p.Integer("Right", &I::Right).Default(0);
  p.Integer("Bottom", &I::Bottom).Default(0);
  p.Integer("ImageCount", &I::ImageCount).Default(0);
  p.Integer("MaskType", &I::MaskType).Default(0);
  p.Object("Image", &I::GetImage, &I::SetImage);
}

TsSkinImage::TsSkinImage(TCollection* collection) : TCollectionItem(collection), image_(new TBitmap) {}

TsSkinImage::~TsSkinImage() { delete image_; }

void TsSkinImage::SetImage(TBitmap* image) { image_->Assign(image); }

void TsSkinImage::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsSkinImage>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  Name = other->Name;
  SectionName = other->SectionName;
  PropertyName = other->PropertyName;
  Left = other->Left;
  Top = other->Top;
  Right = other->Right;
  Bottom = other->Bottom;
  ImageCount = other->ImageCount;
  MaskType = other->MaskType;
  SetImage(other->image_);
}

TK_ABSTRACT_CLASS_INFO(TsSkinImages, TCollection)
TsSkinImages::TsSkinImages(TPersistent* owner) : TCollection(TsSkinImage::StaticClass(), owner) {}

// ---- TsSkinPattern -------------------------------------------------------------------------

TK_CLASS_INFO(TsSkinPattern, TCollectionItem)

void TsSkinPattern::Publish(TPublisher<TsSkinPattern>& p) {
  using P = TsSkinPattern;
  p.String("Name", &P::Name);
  p.String("SectionName", &P::SectionName);
  p.String("PropertyName", &P::PropertyName);
  p.Object("Image", &P::GetImage, &P::SetImage);
}

TsSkinPattern::TsSkinPattern(TCollection* collection) : TCollectionItem(collection), image_(new TJPEGImage) {}

TsSkinPattern::~TsSkinPattern() { delete image_; }

void TsSkinPattern::SetImage(TJPEGImage* image) { image_->Assign(image); }

void TsSkinPattern::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsSkinPattern>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  Name = other->Name;
  SectionName = other->SectionName;
  PropertyName = other->PropertyName;
  SetImage(other->image_);
}

TK_ABSTRACT_CLASS_INFO(TsSkinPatterns, TCollection)
TsSkinPatterns::TsSkinPatterns(TPersistent* owner) : TCollection(TsSkinPattern::StaticClass(), owner) {}

// ---- TsStoredSkin --------------------------------------------------------------------------

TK_CLASS_INFO(TsStoredSkin, TCollectionItem)

void TsStoredSkin::Publish(TPublisher<TsStoredSkin>& p) {
  using S = TsStoredSkin;
  p.String("Name", &S::Name);
  p.Collection("GeneralData", &S::GetGeneralData, &S::SetGeneralData);
  p.Collection("Images", &S::GetImages, &S::SetImages);
  p.Collection("Patterns", &S::GetPatterns, &S::SetPatterns);
  p.Object("MasterBitmap", &S::GetMasterBitmap, &S::SetMasterBitmap);
}

TsStoredSkin::TsStoredSkin(TCollection* collection)
    : TCollectionItem(collection),
      general_data_(new TsSkinGenerals(this)),
      images_(new TsSkinImages(this)),
      patterns_(new TsSkinPatterns(this)),
      master_bitmap_(new TBitmap) {}

TsStoredSkin::~TsStoredSkin() {
  delete general_data_;
  delete images_;
  delete patterns_;
  delete master_bitmap_;
}

void TsStoredSkin::SetGeneralData(TsSkinGenerals* value) { general_data_->Assign(value); }
void TsStoredSkin::SetImages(TsSkinImages* value) { images_->Assign(value); }
void TsStoredSkin::SetPatterns(TsSkinPatterns* value) { patterns_->Assign(value); }
void TsStoredSkin::SetMasterBitmap(TBitmap* value) { master_bitmap_->Assign(value); }

void TsStoredSkin::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsStoredSkin>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  Name = other->Name;
  SetGeneralData(other->general_data_);
  SetImages(other->images_);
  SetPatterns(other->patterns_);
  SetMasterBitmap(other->master_bitmap_);
}

// ---- TsStoredSkins -------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsStoredSkins, TCollection)
TsStoredSkins::TsStoredSkins(TPersistent* owner) : TCollection(TsStoredSkin::StaticClass(), owner) {}

TsStoredSkin* TsStoredSkins::Find(const std::string& name) const {
  for (int i = 0; i < GetCount(); ++i)
    if (GetItem(i)->Name == name) return GetItem(i);
  return nullptr;
}
