// Placeholder until the title buttons, hit testing and system menu land: no buttons, the
// system's own hit testing and mouse handling.
#include "skin/controls/sframemouse.h"

#include "toolkit/bitmap.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TsTitleIcon, TPersistent)

void TsTitleIcon::Publish(TPublisher<TsTitleIcon>& p) {
  p.Object("Glyph", &TsTitleIcon::GetGlyph, &TsTitleIcon::SetGlyph);
  p.Integer("Width", &TsTitleIcon::GetWidth, &TsTitleIcon::SetWidth).Default(16);
  p.Integer("Height", &TsTitleIcon::GetHeight, &TsTitleIcon::SetHeight).Default(16);
}

TsTitleIcon::TsTitleIcon() : glyph_(New<TBitmap>()) {}
TsTitleIcon::~TsTitleIcon() { FreeAndNil(glyph_); }

void TsTitleIcon::SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }

void TsTitleIcon::Assign(TPersistent* source) {
  auto* icon = DynamicCast<TsTitleIcon>(source);
  if (!icon) return TPersistent::Assign(source);
  glyph_->Assign(icon->glyph_);
  width_ = icon->width_;
  height_ = icon->height_;
}

TK_CLASS_INFO(TsTitleButton, TCollectionItem)

void TsTitleButton::Publish(TPublisher<TsTitleButton>& p) {
  p.String("Name", &TsTitleButton::Name);
  p.Boolean("UseSkinData", &TsTitleButton::UseSkinData).Default(true);
}

TsTitleButton::TsTitleButton(TCollection* collection) : TCollectionItem(collection) {}

void TsTitleButton::Assign(TPersistent* source) {
  auto* button = DynamicCast<TsTitleButton>(source);
  if (!button) return TCollectionItem::Assign(source);
  Name = button->Name;
  UseSkinData = button->UseSkinData;
}

TK_CLASS_INFO(TsTitleButtons, TCollection)

TsTitleButtons::TsTitleButtons(TPersistent* owner) : TCollection(TsTitleButton::StaticClass(), owner) {}

TsFrameMouse::TsFrameMouse(TsSkinProvider* provider) : provider_(provider) {}
TsFrameMouse::~TsFrameMouse() = default;
void TsFrameMouse::UpdateMasks() {}
bool TsFrameMouse::WndProc(TMessage&) { return false; }
int TsFrameMouse::HitTest(POINT) { return HTNOWHERE; }
void TsFrameMouse::PaintTitleButtons(TBitmap*) {}
int TsFrameMouse::ButtonWidth() const { return 0; }
int TsFrameMouse::StandardButtonCount() const { return 0; }
int TsFrameMouse::CustomButtonCount() const { return 0; }
int TsFrameMouse::HotButton() const { return 0; }
void TsFrameMouse::ClearHot() {}
void TsFrameMouse::UpdateSystemMenu() {}
