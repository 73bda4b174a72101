// The five built-in glyphs from the program's own bitmaps.
#include <gtest/gtest.h>

#include "skin/engine/sglyphmode.h"
#include "toolkit/bitmap.h"

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

}  // namespace
