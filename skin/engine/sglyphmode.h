// The glyph options of a skinned combo box's button: a custom glyph or one of the built-in
// glyphs chosen by the owner's glyph name, blended or grayed. The built-in glyphs are the
// program's BITMAP resources "SF", "SR", "SD", "SE" and "SC" (three states side by side), loaded
// at first use and freed at process end.
#pragma once

#include <string>

#include "toolkit/persistent.h"

class TBitmap;
class TControl;
template <class C>
class TPublisher;

class TsGlyphMode : public TPersistent {
  TK_CLASS(TsGlyphMode, TPersistent)

 public:
  explicit TsGlyphMode(TControl* owner);
  ~TsGlyphMode() override;
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;

  // Percent, clamped to 0..100.
  int GetBlend() const { return blend_; }
  void SetBlend(int blend);
  bool GetGrayed() const { return grayed_; }
  void SetGrayed(bool grayed);
  bool GetUseDefaultGlyph() const { return use_default_glyph_; }
  void SetUseDefaultGlyph(bool use);
  TBitmap* GetGlyph() const { return glyph_; }
  // Copies the bitmap and switches UseDefaultGlyph off.
  void SetGlyph(TBitmap* glyph);
  // The owner's hint; writing it does nothing.
  std::string GetHint() const;
  void SetHint(const std::string&) {}

  // The name that chooses the built-in glyph ("BTN_OPENFILE", ...); set by the owner.
  const std::string& GetGlyphName() const { return glyph_name_; }
  void SetGlyphName(const std::string& name) { glyph_name_ = name; }

  // Makes the built-in glyph of the glyph name (with UseDefaultGlyph) or Glyph the current
  // default glyph; true when the glyph width is not 0.
  bool SelectGlyph();
  // The width of one state: the current default glyph's with UseDefaultGlyph, else Glyph's.
  int GlyphWidth() const;

 private:
  static void Publish(TPublisher<TsGlyphMode>& p);
  void InvalidateOwnerStyle();

  TControl* owner_;
  int blend_ = 0;
  bool grayed_ = false;
  bool use_default_glyph_ = true;
  TBitmap* glyph_;
  std::string glyph_name_;
};

// The built-in bitmap a glyph name chooses ("BTN_OPENFILE" "SF", "BTN_OPENFOLDER" "SR",
// "BTN_DATE" "SD", "BTN_ELLIPSIS" "SE", "BTN_CALC" "SC"); null for any other name and for a
// resource the program lacks.
TBitmap* BuiltinGlyph(const std::string& glyph_name);
// Loads the five built-in glyphs (done when the skin engine starts).
void LoadBuiltinGlyphs();
// How many of the five are loaded now.
int LoadedBuiltinGlyphs();
// The glyph a glyph mode selected last; null when none or after it was freed.
TBitmap* CurrentDefaultGlyph();
// Frees the built-in glyphs (done at process end); the next use loads them again.
void FreeBuiltinGlyphs();
