#include "skin/engine/sglyphmode.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "skin/engine/sgenstyle.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

namespace {

void InvalidateSkinObject(TControl* control) {
  if (TsGenStyle* style = GetSkinObject(control)) style->Invalidate();
}

constexpr std::array<const char*, 5> kGlyphNames = {"BTN_OPENFILE", "BTN_OPENFOLDER", "BTN_DATE",
                                                    "BTN_ELLIPSIS", "BTN_CALC"};
constexpr std::array<const char*, 5> kGlyphResources = {"SF", "SR", "SD", "SE", "SC"};

struct TBuiltinGlyphs {
  std::array<TBitmap*, 5> bitmaps{};
  std::array<bool, 5> tried{};
  TBitmap* current = nullptr;
  ~TBuiltinGlyphs() { Clear(); }
  void Clear() {
    current = nullptr;
    for (TBitmap*& bitmap : bitmaps) FreeAndNil(bitmap);
    tried = {};
  }
};

TBuiltinGlyphs& Glyphs() {
  static TBuiltinGlyphs glyphs;
  return glyphs;
}

TBitmap* LoadGlyphResource(const char* name) {
  HMODULE module = GetModuleHandleA(nullptr);
  if (!FindResourceA(module, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */)) return nullptr;
  TBitmap* bitmap = New<TBitmap>();
  try {
    bitmap->LoadFromResourceName(module, name);
  } catch (const Exception&) {
    FreeAndNil(bitmap);
  }
  return bitmap;
}

}  // namespace

TBitmap* BuiltinGlyph(const std::string& glyph_name) {
  auto it = std::find_if(kGlyphNames.begin(), kGlyphNames.end(),
                         [&](const char* name) { return SameText(glyph_name, name); });
  if (it == kGlyphNames.end()) return nullptr;
  const size_t i = static_cast<size_t>(it - kGlyphNames.begin());
  TBuiltinGlyphs& glyphs = Glyphs();
  if (!glyphs.tried[i]) {
    glyphs.tried[i] = true;
    glyphs.bitmaps[i] = LoadGlyphResource(kGlyphResources[i]);
  }
  return glyphs.bitmaps[i];
}

void LoadBuiltinGlyphs() {
  for (const char* name : kGlyphNames) BuiltinGlyph(name);
}

int LoadedBuiltinGlyphs() {
  const auto& bitmaps = Glyphs().bitmaps;
  return static_cast<int>(std::count_if(bitmaps.begin(), bitmaps.end(), [](TBitmap* b) { return b; }));
}

TBitmap* CurrentDefaultGlyph() { return Glyphs().current; }

void FreeBuiltinGlyphs() { Glyphs().Clear(); }

TK_ABSTRACT_CLASS_INFO(TsGlyphMode, TPersistent)

void TsGlyphMode::Publish(TPublisher<TsGlyphMode>& p) {
  p.Integer("Blend", &TsGlyphMode::GetBlend, &TsGlyphMode::SetBlend).Default(0);
  p.Boolean("Grayed", &TsGlyphMode::GetGrayed, &TsGlyphMode::SetGrayed).Default(false);
  p.Boolean("UseDefaultGlyph", &TsGlyphMode::GetUseDefaultGlyph, &TsGlyphMode::SetUseDefaultGlyph)
      .Default(true);
  p.Object("Glyph", &TsGlyphMode::GetGlyph, &TsGlyphMode::SetGlyph);
  p.String("Hint", &TsGlyphMode::GetHint, &TsGlyphMode::SetHint);
}

TsGlyphMode::TsGlyphMode(TControl* owner) : owner_(owner), glyph_(New<TBitmap>()) {}

TsGlyphMode::~TsGlyphMode() {
  TBuiltinGlyphs& glyphs = Glyphs();
  if (glyphs.current == glyph_) glyphs.current = nullptr;
  Free(glyph_);
}

TPersistent* TsGlyphMode::GetOwner() const { return owner_; }

void TsGlyphMode::Assign(TPersistent* source) {
  auto* mode = DynamicCast<TsGlyphMode>(source);
  if (!mode) return inherited::Assign(source);
  blend_ = mode->blend_;
  grayed_ = mode->grayed_;
  glyph_->Assign(mode->glyph_);
  use_default_glyph_ = mode->use_default_glyph_;
  InvalidateOwnerStyle();
}

void TsGlyphMode::InvalidateOwnerStyle() {
  if (owner_) InvalidateSkinObject(owner_);
}

void TsGlyphMode::SetBlend(int blend) {
  if (blend_ == blend) return;
  blend_ = std::clamp(blend, 0, 100);
  InvalidateOwnerStyle();
}

void TsGlyphMode::SetGrayed(bool grayed) {
  if (grayed_ == grayed) return;
  grayed_ = grayed;
  InvalidateOwnerStyle();
}

void TsGlyphMode::SetGlyph(TBitmap* glyph) {
  if (glyph != glyph_) glyph_->Assign(glyph);
  use_default_glyph_ = false;
  InvalidateOwnerStyle();
}

void TsGlyphMode::SetUseDefaultGlyph(bool use) {
  if (use_default_glyph_ == use) return;
  use_default_glyph_ = use;
  if (use) SelectGlyph();
  InvalidateOwnerStyle();
}

std::string TsGlyphMode::GetHint() const { return owner_ ? owner_->GetHint() : std::string(); }

bool TsGlyphMode::SelectGlyph() {
  Glyphs().current = use_default_glyph_ ? BuiltinGlyph(glyph_name_) : glyph_;
  return GlyphWidth() != 0;
}

int TsGlyphMode::GlyphWidth() const {
  if (use_default_glyph_ && Glyphs().current) return Glyphs().current->GetWidth() / 3;
  return glyph_ ? glyph_->GetWidth() / 3 : 16;
}
