// The caption icon and the custom title buttons.
#include "skin/controls/stitlebuttons.h"

#include "toolkit/bitmap.h"
#include "toolkit/typinfo.h"

// ---- TsTitleIcon ----------------------------------------------------------------------------

TK_CLASS_INFO(TsTitleIcon, TPersistent)

void TsTitleIcon::Publish(TPublisher<TsTitleIcon>& p) {
  using I = TsTitleIcon;
  p.Object("Glyph", &I::GetGlyph, &I::SetGlyph);
  p.Integer("Height", &I::GetHeight, &I::SetHeight).Default(16);
  p.Integer("Width", &I::GetWidth, &I::SetWidth).Default(16);
}

TsTitleIcon::TsTitleIcon() : glyph_(new TBitmap) {}
TsTitleIcon::~TsTitleIcon() { delete glyph_; }

void TsTitleIcon::SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }

void TsTitleIcon::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsTitleIcon>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  SetGlyph(other->glyph_);
  height_ = other->height_;
  width_ = other->width_;
}

// ---- TsTitleButton --------------------------------------------------------------------------

TK_CLASS_INFO(TsTitleButton, TCollectionItem)

void TsTitleButton::Publish(TPublisher<TsTitleButton>& p) {
  using B = TsTitleButton;
  p.Boolean("UseSkinData", &B::GetUseSkinData, &B::SetUseSkinData).Default(true);
  p.String("Name", &B::GetName, &B::SetName);
  p.Object("Glyph", &B::GetGlyph, &B::SetGlyph);
  p.Event("OnMouseUp", &B::OnMouseUp);
  p.Event("OnMouseDown", &B::OnMouseDown);
  p.Boolean("Enabled", &B::GetEnabled, &B::SetEnabled).Default(true);
}

TsTitleButton::TsTitleButton(TCollection* collection)
    : TCollectionItem(collection), name_(ClassType()->name), glyph_(new TBitmap) {}

TsTitleButton::~TsTitleButton() { delete glyph_; }

void TsTitleButton::SetName(const std::string& name) {
  if (name != name_) name_ = name;
}

void TsTitleButton::SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }

void TsTitleButton::Assign(TPersistent* source) {
  auto* other = DynamicCast<TsTitleButton>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  use_skin_data_ = other->use_skin_data_;
  name_ = other->name_;
  SetGlyph(other->glyph_);
  enabled_ = other->enabled_;
  OnMouseUp = other->OnMouseUp;
  OnMouseDown = other->OnMouseDown;
}

// ---- TsTitleButtons -------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsTitleButtons, TCollection)
TsTitleButtons::TsTitleButtons(TPersistent* owner) : TCollection(TsTitleButton::StaticClass(), owner) {}
