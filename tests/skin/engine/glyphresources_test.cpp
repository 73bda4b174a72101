// The five built-in glyphs and the six stored borders from the program's own bitmaps.
#include <gtest/gtest.h>

#include "skin/engine/sborders.h"
#include "skin/engine/sglyphmode.h"
#include "skin/engine/sskinmanager.h"
#include "toolkit/bitmap.h"
#include "toolkit/startup.h"

namespace {

TEST(GlyphResources, EveryGlyphNameFindsItsThreeStateBitmap) {
  for (const char* name : {"BTN_OPENFILE", "BTN_OPENFOLDER", "BTN_DATE", "BTN_ELLIPSIS", "BTN_CALC"}) {
    TBitmap* glyph = BuiltinGlyph(name);
    ASSERT_TRUE(glyph) << name;
    EXPECT_GT(glyph->GetWidth(), 0) << name;
    EXPECT_EQ(glyph->GetWidth() % 3, 0) << name;
    EXPECT_EQ(BuiltinGlyph(name), glyph) << name;  // loaded once
  }
  EXPECT_NE(BuiltinGlyph("BTN_DATE"), BuiltinGlyph("BTN_CALC"));
  FreeBuiltinGlyphs();
}

TEST(GlyphResources, TheSkinEngineLoadsGlyphsAndBordersAtItsStartAndFreesThemAtItsEnd) {
  RegisterSkinEngineUnit();
  EXPECT_EQ(LoadedBuiltinGlyphs(), 0);
  EXPECT_EQ(LoadedStoredBorders(), 0);
  Units().Initialize();
  EXPECT_EQ(LoadedBuiltinGlyphs(), 5);
  EXPECT_EQ(LoadedStoredBorders(), 6);
  Units().Finalize();
  EXPECT_EQ(LoadedBuiltinGlyphs(), 0);
  EXPECT_EQ(LoadedStoredBorders(), 0);
}

TEST(GlyphResources, TheDefaultGlyphGivesTheWidthOfOneState) {
  TsGlyphMode* mode = New<TsGlyphMode>(nullptr);
  mode->SetGlyphName("BTN_ELLIPSIS");
  EXPECT_TRUE(mode->SelectGlyph());
  ASSERT_EQ(CurrentDefaultGlyph(), BuiltinGlyph("BTN_ELLIPSIS"));
  EXPECT_EQ(mode->GlyphWidth(), BuiltinGlyph("BTN_ELLIPSIS")->GetWidth() / 3);

  FreeBuiltinGlyphs();
  EXPECT_EQ(CurrentDefaultGlyph(), nullptr);
  EXPECT_EQ(mode->GlyphWidth(), 0);  // falls back to the (empty) custom glyph
  EXPECT_TRUE(mode->SelectGlyph());  // loaded again
  Free(mode);
  FreeBuiltinGlyphs();
}

// A custom border without an own mask is the first stored one; every stored border is a
// picture of its own.
TEST(StoredBorders, CustomWithoutMaskTakesTheFirstStoredBorder) {
  TBitmap* first = GetBorderBitmap(pdBorder1);
  ASSERT_NE(first, nullptr);
  EXPECT_GT(first->GetWidth(), 0);
  TBitmap* empty = New<TBitmap>();
  EXPECT_EQ(GetBorderBitmap(pdCustom, empty), first);
  EXPECT_EQ(GetBorderBitmap(pdCustom, nullptr), first);
  TBitmap* own = New<TBitmap>();
  own->SetSize(27, 18);
  EXPECT_EQ(GetBorderBitmap(pdCustom, own), own);
  for (TsPredefinedBorders other : {pdBorder2, pdBorder3, pdBorder4, pdBorder5, pdBorder6}) {
    ASSERT_NE(GetBorderBitmap(other), nullptr) << other;
    EXPECT_NE(GetBorderBitmap(other), first) << other;
  }
  Free(own);
  Free(empty);
}

}  // namespace
