// Look-ups in the skin tables.
#include <gtest/gtest.h>

#include "skin_test_support.h"
#include "toolkit/bitmap.h"

namespace {

class SkinTables : public SkinTest {
 protected:
  static void Section(const std::string& name, const std::string& parent = "") {
    TsGeneralData g;
    g.SectionName = name;
    g.ParentClassName = parent;
    SkinGeneralData.push_back(g);
  }
  static int Mask(const std::string& section, const std::string& property, RECT r = {0, 0, 10, 10},
                  int count = 1, int type = 0) {
    TsMaskData m;
    m.SectionName = section;
    m.PropertyName = property;
    m.R = r;
    m.ImageCount = static_cast<int16_t>(count);
    m.MaskType = static_cast<int16_t>(type);
    SkinMasks.push_back(m);
    return static_cast<int>(SkinMasks.size()) - 1;
  }
  static void Loaded() { SkinData().SkinLoaded = true; }
};

}  // namespace

TEST_F(SkinTables, SectionsAreFoundWithoutLetterCaseAndTheFirstOfTwoWins) {
  EXPECT_EQ(GetSkinIndex("FORM"), -1);  // empty table
  Section("Form");
  Section("TsButton");
  Section("FORM");
  EXPECT_EQ(GetSkinIndex("form"), -1);  // no skin loaded
  Loaded();
  EXPECT_EQ(GetSkinIndex("form"), 0);
  EXPECT_EQ(GetSkinIndex("TSBUTTON"), 1);
  EXPECT_EQ(GetSkinIndex("TsEdit"), -1);

  // After a refill the first still wins, also where the record remembered keeps its name.
  SkinGeneralData.clear();
  Section("A");
  Section("X");
  Section("FORM");
  EXPECT_EQ(GetSkinIndex("Form"), 2);
  SkinGeneralData.clear();
  Section("A");
  Section("Form");
  Section("FORM");
  EXPECT_EQ(GetSkinIndex("FORM"), 1);
  SkinGeneralData[1].SectionName = "B";  // renamed in place
  EXPECT_EQ(GetSkinIndex("form"), 2);
  EXPECT_EQ(GetSkinIndex("b"), 1);
}

TEST_F(SkinTables, AnEmptyNameFindsTheFirstNamelessRecord) {
  Section("Form");
  Loaded();
  EXPECT_EQ(GetSkinIndex(""), -1);
  Section("");
  Section("");
  EXPECT_EQ(GetSkinIndex(""), 1);
}

TEST_F(SkinTables, MasksAreInheritedFromParentAndGrandparent) {
  Section("BASE");
  Section("MIDDLE", "Base");
  Section("LEAF", "middle");
  const int base = Mask("BASE", "BORDERSMASK");
  const int middle = Mask("MIDDLE", "GLYPHMASK");
  Loaded();
  EXPECT_EQ(GetMaskIndex(2, "leaf", "BORDERSMASK"), base);
  EXPECT_EQ(GetMaskIndex(2, "Leaf", "GLYPHMASK"), middle);
  EXPECT_EQ(GetMaskIndex(2, "LEAF", "glyphmask"), -1);  // property names are stored upper case
  EXPECT_EQ(GetMaskIndex(2, "", "GLYPHMASK"), -1);
  EXPECT_EQ(GetMaskIndex(7, "LEAF", "GLYPHMASK"), -1);
  EXPECT_EQ(GetMaskIndex(-1, "LEAF", "GLYPHMASK"), -1);
}

TEST_F(SkinTables, ParentChainsThatComeBackEnd) {
  Section("SELF", "self");
  Section("A", "B");
  Section("B", "C");
  Section("C", "A");
  Loaded();
  EXPECT_EQ(GetMaskIndex(0, "SELF", "BORDERSMASK"), -1);
  EXPECT_EQ(GetMaskIndex(1, "A", "BORDERSMASK"), -1);
  EXPECT_EQ(GetPatternIndex(1, "A", "PATTERN"), -1);
  Mask("C", "BORDERSMASK");
  EXPECT_EQ(GetMaskIndex(1, "A", "BORDERSMASK"), 0);
}

TEST_F(SkinTables, PatternsAreInheritedLikeMasks) {
  Section("BASE");
  Section("LEAF", "BASE");
  SkinPatterns.push_back(TsPatternData{nullptr, "BASE", "PATTERN"});
  Loaded();
  EXPECT_EQ(GetPatternIndex(1, "LEAF", "PATTERN"), 0);
  EXPECT_EQ(GetPatternIndex(1, "LEAF", "OTHER"), -1);
  SkinPatterns.clear();
}

TEST_F(SkinTables, FrameSizesOfOwnImagesAndOfMasterRectangles) {
  Section("FORM");
  TsMaskData own;
  own.Bmp = new TBitmap;
  own.Bmp->SetSize(90, 40);
  own.SectionName = "FORM";
  own.PropertyName = "OWN";
  SkinMasks.push_back(own);
  const int master = Mask("FORM", "BORDERSMASK", RECT{0, 42, 24, 90}, 1, 1);
  const int three = Mask("TSBUTTON", "BORDERSMASK", RECT{97, 220, 151, 256}, 3, 1);
  const int none = Mask("X", "BORDERSMASK", RECT{0, 0, 10, 10}, 0, 0);
  const int negative = Mask("X", "GLYPHMASK", RECT{0, 0, 10, 10}, 1, -1);
  Loaded();
  SIZE s = GetMaskFrameSize(0);
  EXPECT_EQ(s.cx, 30);
  EXPECT_EQ(s.cy, 20);
  s = GetMaskFrameSize(master);
  EXPECT_EQ(s.cx, 24);
  EXPECT_EQ(s.cy, 24);
  s = GetMaskFrameSize(three);
  EXPECT_EQ(s.cx, 18);
  EXPECT_EQ(s.cy, 18);
  for (int index : {none, negative, -1, 99}) {
    s = GetMaskFrameSize(index);
    EXPECT_EQ(s.cx, 0) << index;
    EXPECT_EQ(s.cy, 0) << index;
  }
}

TEST_F(SkinTables, ValidIndexesNeedALoadedSkin) {
  Section("FORM");
  Mask("FORM", "BORDERSMASK");
  EXPECT_FALSE(IsValidSkinIndex(0));
  EXPECT_FALSE(IsValidImgIndex(0));
  Loaded();
  EXPECT_TRUE(IsValidSkinIndex(0));
  EXPECT_FALSE(IsValidSkinIndex(1));
  EXPECT_TRUE(IsValidImgIndex(0));
  EXPECT_FALSE(IsValidImgIndex(-1));
  EXPECT_FALSE(IsValidImgIndex(static_cast<int>(SkinMasks.size())));
}

TEST_F(SkinTables, CommonIndexesFollowTheSkinAndStaleOnesAreCleared) {
  Section("GLOBALINFO");
  Section("TABLEFT");
  Section("SCROLLBTNRIGHT");
  Section("SCROLLSLIDERV");
  Section("SCROLLBAR2V");
  Mask("GLOBALINFO", "BOXCHECKED");
  Mask("GLOBALINFO", "RADIOGRAYED");
  Mask("TABLEFT", "BORDERSMASK");
  Mask("SCROLLBTNRIGHT", "GLYPHMASK");
  Mask("SCROLLSLIDERV", "HOTIMAGEFILE");
  Mask("SCROLLBAR2V", "IMAGEFILE");
  Loaded();
  UpdateCommonSkinIndexes();
  const TsCommonSkinIndexes& c = CommonSkinIndexes;
  EXPECT_EQ(c.GlobalInfo, 0);
  EXPECT_EQ(c.Tab[siLeft], 1);
  EXPECT_EQ(c.Tab[siTop], -1);
  EXPECT_EQ(c.TabMask[siLeft], 2);
  EXPECT_EQ(c.ScrollBtn[siRight], 2);
  EXPECT_EQ(c.ScrollBtnGlyph[siRight], 3);
  EXPECT_EQ(c.ScrollSliderV, 3);
  EXPECT_EQ(c.ScrollSliderVHotImage, 4);
  EXPECT_EQ(c.ScrollSliderHHotImage, -1);
  EXPECT_EQ(c.ScrollBar[3], 4);
  EXPECT_EQ(c.ScrollBarImage[3], 5);
  EXPECT_EQ(c.CheckBoxChecked, 0);
  EXPECT_EQ(c.SmallCheckBoxChecked, 0);
  EXPECT_EQ(c.RadioButtonGrayed, 1);
  EXPECT_EQ(c.RadioButtonChecked, -1);

  // A skin without those sections leaves nothing of the previous one behind.
  SkinGeneralData.clear();
  Section("FORM");
  UpdateCommonSkinIndexes();
  EXPECT_EQ(c.GlobalInfo, -1);
  EXPECT_EQ(c.ScrollBtnGlyph[siRight], -1);
  EXPECT_EQ(c.ScrollSliderVHotImage, -1);
  EXPECT_EQ(c.CheckBoxChecked, -1);
  EXPECT_EQ(c.SmallCheckBoxChecked, -1);
}

TEST_F(SkinTables, FreeingEmptiesTheTablesAndTheMasterBitmap) {
  MasterBitmap = new TBitmap;
  TsMaskData own;
  own.Bmp = new TBitmap;
  SkinMasks.push_back(own);
  Mask("A", "B");
  SkinPatterns.push_back(TsPatternData{nullptr, "A", "P"});
  FreeAllMasks();
  FreeAllPatterns();
  EXPECT_TRUE(SkinMasks.empty());
  EXPECT_TRUE(SkinPatterns.empty());
  EXPECT_EQ(MasterBitmap, nullptr);
}
