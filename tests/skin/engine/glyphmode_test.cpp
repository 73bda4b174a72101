// The glyph mode of the skinned combo box and the built-in glyphs behind it.
#include <gtest/gtest.h>

#include "skin/engine/sglyphmode.h"
#include "toolkit/bitmap.h"

namespace {

class GlyphMode : public testing::Test {
 protected:
  ~GlyphMode() override {
    Free(mode_);
    FreeBuiltinGlyphs();
  }
  static TBitmap* NewBitmap(int width, int height) {
    TBitmap* bitmap = New<TBitmap>();
    bitmap->SetSize(width, height);
    return bitmap;
  }
  TsGlyphMode* mode_ = New<TsGlyphMode>(nullptr);
};

TEST_F(GlyphMode, BlendIsClampedToAPercentage) {
  mode_->SetBlend(120);
  EXPECT_EQ(mode_->GetBlend(), 100);
  mode_->SetBlend(-1);
  EXPECT_EQ(mode_->GetBlend(), 0);
  mode_->SetBlend(35);
  EXPECT_EQ(mode_->GetBlend(), 35);
}

TEST_F(GlyphMode, AssigningAGlyphSwitchesTheDefaultGlyphOff) {
  ASSERT_TRUE(mode_->GetUseDefaultGlyph());
  TBitmap* glyph = NewBitmap(48, 16);
  mode_->SetGlyph(glyph);
  EXPECT_FALSE(mode_->GetUseDefaultGlyph());
  EXPECT_EQ(mode_->GetGlyph()->GetWidth(), 48);
  EXPECT_NE(mode_->GetGlyph(), glyph);  // a copy
  Free(glyph);
  EXPECT_TRUE(mode_->SelectGlyph());
  EXPECT_EQ(mode_->GlyphWidth(), 16);
  EXPECT_EQ(CurrentDefaultGlyph(), mode_->GetGlyph());
}

TEST_F(GlyphMode, AnUnknownGlyphNameSelectsNoBitmap) {
  TBitmap* glyph = NewBitmap(30, 10);
  mode_->SetGlyph(glyph);
  Free(glyph);
  mode_->SetGlyphName("SCO1");
  mode_->SetUseDefaultGlyph(true);  // selects
  EXPECT_EQ(CurrentDefaultGlyph(), nullptr);
  EXPECT_EQ(BuiltinGlyph("SCO1"), nullptr);
  EXPECT_EQ(mode_->GlyphWidth(), 10);  // the custom glyph's width div 3
  EXPECT_TRUE(mode_->SelectGlyph());
}

TEST_F(GlyphMode, AMissingGlyphResourceMeansNoGlyph) {
  // This test program carries none of the program's bitmaps.
  for (const char* name : {"BTN_OPENFILE", "BTN_OPENFOLDER", "BTN_DATE", "BTN_ELLIPSIS", "BTN_CALC"})
    EXPECT_EQ(BuiltinGlyph(name), nullptr) << name;
  mode_->SetGlyphName("BTN_DATE");
  EXPECT_FALSE(mode_->SelectGlyph());  // the empty custom glyph is 0 wide
  EXPECT_EQ(mode_->GlyphWidth(), 0);
}

TEST_F(GlyphMode, TheCurrentGlyphNeverOutlivesItsBitmap) {
  TsGlyphMode* other = New<TsGlyphMode>(nullptr);
  TBitmap* glyph = NewBitmap(24, 8);
  other->SetGlyph(glyph);
  Free(glyph);
  other->SelectGlyph();
  ASSERT_EQ(CurrentDefaultGlyph(), other->GetGlyph());
  Free(other);
  EXPECT_EQ(CurrentDefaultGlyph(), nullptr);

  glyph = NewBitmap(3, 1);
  mode_->SetGlyph(glyph);
  Free(glyph);
  mode_->SelectGlyph();
  ASSERT_NE(CurrentDefaultGlyph(), nullptr);
  FreeBuiltinGlyphs();  // as at process end: nothing may point into what was freed
  EXPECT_EQ(CurrentDefaultGlyph(), nullptr);
}

TEST_F(GlyphMode, AssignCopiesTheOptions) {
  TsGlyphMode* source = New<TsGlyphMode>(nullptr);
  source->SetBlend(20);
  source->SetGrayed(true);
  TBitmap* glyph = NewBitmap(6, 2);
  source->SetGlyph(glyph);
  Free(glyph);
  mode_->Assign(source);
  EXPECT_EQ(mode_->GetBlend(), 20);
  EXPECT_TRUE(mode_->GetGrayed());
  EXPECT_FALSE(mode_->GetUseDefaultGlyph());
  EXPECT_EQ(mode_->GetGlyph()->GetWidth(), 6);
  Free(source);
}

}  // namespace
