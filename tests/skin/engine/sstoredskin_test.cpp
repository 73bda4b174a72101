// Stored skins in form definitions, the manager's streamed properties and the internal
// skin's loading.
#include <gtest/gtest.h>

#include "skin/engine/sskinmanager.h"
#include "skin/engine/sstoredskin.h"
#include "skin_test_helpers.h"
#include "skin_test_support.h"
#include "stored_skin_text.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

namespace {

class StoredSkin : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    RegisterSkinEngineClasses();
  }
};

}  // namespace

TEST_F(StoredSkin, TheStoredMasterBitmapWithItsMalformedHeadersLoads) {
  TBitmap bmp;
  SetBinaryProp(&bmp, GetPropInfo(&bmp, "Data"), MalformedMasterData());
  EXPECT_EQ(bmp.GetWidth(), 192);
  EXPECT_EQ(bmp.GetHeight(), 256);
  EXPECT_EQ(bmp.GetPixelFormat(), pf24bit);
  // The rows start right after the colour table, not at the header's pixel offset.
  EXPECT_EQ(bmp.GetPixelColor(0, 255), MasterPixel(0, 255));
  EXPECT_EQ(bmp.GetPixelColor(191, 0), MasterPixel(191, 0));
  EXPECT_EQ(bmp.GetPixelColor(100, 100), MasterPixel(100, 100));
}

TEST_F(StoredSkin, AStoredMasterBitmapCutInsideItsRowsIsRefused) {
  std::string data = MalformedMasterData();
  data.resize(data.size() - 100);
  TBitmap bmp;
  EXPECT_THROW(SetBinaryProp(&bmp, GetPropInfo(&bmp, "Data"), data), EInvalidGraphic);
  EXPECT_TRUE(bmp.GetEmpty());
}

TEST_F(StoredSkin, AHandWrittenInternalSkinLoadsIntoTheTables) {
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  ASSERT_EQ(manager.GetInternalSkins()->GetCount(), 1);
  TsStoredSkin* stored = manager.GetInternalSkins()->GetItem(0);
  EXPECT_EQ(stored->Name, "Test (internal)");
  EXPECT_EQ(stored->GetGeneralData()->GetCount(), 4);
  EXPECT_EQ(stored->GetImages()->GetCount(), 3);
  EXPECT_EQ(stored->GetPatterns()->GetCount(), 0);
  EXPECT_EQ(manager.GetCommonSections()->Get(0), "[EXTRA]");
  EXPECT_EQ(manager.GetCommonSections()->Get(1), "ParentClassName=FORM");
  EXPECT_EQ(manager.GetCommonSections()->Get(2), "; keep  blanks");

  ASSERT_TRUE(SkinData().SkinLoaded);
  EXPECT_FALSE(SkinChanging);
  EXPECT_EQ(SkinData().DefaultManager, &manager);
  ASSERT_NE(MasterBitmap, nullptr);
  EXPECT_EQ(MasterBitmap->GetWidth(), 192);
  EXPECT_EQ(MasterBitmap->GetHeight(), 256);
  EXPECT_EQ(MasterBitmap->GetTransparentColor(), 0xFF00FF);

  // Four stored sections, then the common section.
  ASSERT_EQ(SkinGeneralData.size(), 5u);
  const TsGeneralData& form = SkinGeneralData[GetSkinIndex("form")];
  EXPECT_EQ(form.PaintingColor, 15790320);
  EXPECT_EQ(form.PaintingBevel, cbRaisedSoft);
  EXPECT_EQ(form.FontColor.Color, 0);
  EXPECT_EQ(form.FontColor.Left, 255);
  EXPECT_EQ(form.FontColor.Bottom, -1);
  ASSERT_EQ(form.GradientArray.size(), 1u);
  EXPECT_EQ(form.GradientArray[0].Color2, 16777215);
  const TsGeneralData& dialog = SkinGeneralData[GetSkinIndex("DIALOG")];
  EXPECT_TRUE(dialog.ReservedBoolean);
  EXPECT_EQ(dialog.ParentClassName, "FORM");
  // A font colour that is no number stops that record's copy; the next one loads.
  EXPECT_EQ(SkinGeneralData[2].SectionName, "BROKEN");
  EXPECT_EQ(SkinGeneralData[3].SectionName, "");
  EXPECT_EQ(SkinGeneralData[3].PaintingColor, 0);
  const TsGeneralData& extra = SkinGeneralData[4];
  EXPECT_EQ(extra.SectionName, "EXTRA");
  EXPECT_EQ(extra.PaintingColor, 15790320);  // from its parent FORM
  EXPECT_EQ(extra.ShadowTransparency, 100);  // clamped

  // Masks: names upper case; an own image copied; a rectangle outside the master refused.
  ASSERT_EQ(SkinMasks.size(), 2u);
  const int borders = GetMaskIndex(GetSkinIndex("DIALOG"), "DIALOG", "BORDERSMASK");
  ASSERT_EQ(borders, 0);
  EXPECT_EQ(SkinMasks[0].SectionName, "FORM");
  EXPECT_EQ(SkinMasks[0].R.bottom, 90);
  EXPECT_EQ(GetMaskFrameSize(borders).cy, 24);
  ASSERT_NE(SkinMasks[1].Bmp, nullptr);
  EXPECT_EQ(SkinMasks[1].PropertyName, "BOXCHECKED");
  EXPECT_EQ(GetMaskFrameSize(1).cx, 5);
  EXPECT_EQ(SkinMasks[1].R, (RECT{1, 2, 16, 10}));  // kept as stored, with the mask type
  EXPECT_EQ(SkinMasks[1].ImageCount, 0);
  EXPECT_EQ(SkinMasks[1].MaskType, 1);
  EXPECT_EQ(CommonSkinIndexes.CheckBoxChecked, -1);  // no GLOBALINFO section in this skin
}

// Mask types are kept as stored: one above 1 stays (its rectangle holds that many more rows),
// one below 0 becomes 0, for master rectangles and own images alike.
TEST_F(StoredSkin, MaskTypesAreKeptAboveOneAndRaisedToZeroBelowIt) {
  std::string text = TestSkinFormText();
  auto replace = [&text](const std::string& from, const std::string& to) {
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
  };
  replace("Bottom = 90\n          ImageCount = 1\n          MaskType = 1",
          "Bottom = 90\n          ImageCount = 1\n          MaskType = 3");
  replace("PropertyName = 'OUTSIDE'\n          Right = 500\n          Bottom = 10\n          ImageCount = 1",
          "PropertyName = 'NEGATIVE'\n          Right = 10\n          Bottom = 10\n          ImageCount = 1\n"
          "          MaskType = -2");
  replace("Right = 16\n          Bottom = 10\n          MaskType = 1",
          "Right = 16\n          Bottom = 10\n          MaskType = -1");
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, text, "test skin");
  ASSERT_TRUE(SkinData().SkinLoaded);
  ASSERT_EQ(SkinMasks.size(), 3u);
  const int form = GetMaskIndex(GetSkinIndex("FORM"), "FORM", "BORDERSMASK");
  ASSERT_GE(form, 0);
  EXPECT_EQ(SkinMasks[form].MaskType, 3);
  EXPECT_EQ(GetMaskFrameSize(form).cy, 48 / 4);
  const int negative = GetMaskIndex(GetSkinIndex("FORM"), "FORM", "NEGATIVE");
  ASSERT_GE(negative, 0);
  EXPECT_EQ(SkinMasks[negative].MaskType, 0);
  EXPECT_EQ(GetMaskFrameSize(negative).cy, 10);
  const TsMaskData& own = SkinMasks[2];  // no GLOBALINFO section to look it up by
  EXPECT_EQ(own.PropertyName, "BOXCHECKED");
  ASSERT_NE(own.Bmp, nullptr);
  EXPECT_EQ(own.MaskType, 0);
}

TEST_F(StoredSkin, NestedCollectionsAndObjectsWriteAndReadBack) {
  std::string text;
  {
    TsSkinManager manager(nullptr);
    manager.SetActive(false);
    ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
    text = WriteComponentToText(&manager);
  }
  EXPECT_NE(text.find("GeneralData = <"), std::string::npos);
  EXPECT_NE(text.find("MasterBitmap.Data = {"), std::string::npos);
  TsSkinManager again(nullptr);
  again.SetActive(false);
  ReadComponentFromText(&again, text, "written skin");
  TsStoredSkin* stored = again.GetInternalSkins()->GetItem(0);
  EXPECT_EQ(stored->GetGeneralData()->GetCount(), 4);
  EXPECT_EQ(stored->GetGeneralData()->GetItem(1)->ParentClassName, "FORM");
  EXPECT_TRUE(stored->GetGeneralData()->GetItem(1)->ReservedBoolean);
  EXPECT_EQ(stored->GetImages()->GetItem(2)->GetImage()->GetWidth(), 15);
  EXPECT_EQ(stored->GetMasterBitmap()->GetHeight(), 256);
  EXPECT_EQ(stored->GetMasterBitmap()->GetPixelColor(5, 7), MasterPixel(5, 7));
}

TEST_F(StoredSkin, AnUnknownSkinNameTakesTheFirstInternalSkin) {
  TsSkinManager manager(nullptr);
  manager.SetActive(false);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  manager.SetActive(true);
  ASSERT_TRUE(SkinData().SkinLoaded);
  manager.SetSkinName("No such skin");
  EXPECT_EQ(manager.GetSkinName(), "Test (internal)");
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_GE(GetSkinIndex("FORM"), 0);
}

TEST_F(StoredSkin, ASecondManagerWarnsAndNeverLoads) {
  {
    TsSkinManager first(nullptr);
    TsSkinManager second(nullptr);
    EXPECT_EQ(SkinData().DefaultManager, &first);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0],
              "Please be sure, that only one exemplar of TsSkinManager component is loaded in project.");
    second.GetInternalSkins()->Add()->Name = "S";
    second.SetSkinName("S");
    EXPECT_FALSE(SkinData().SkinLoaded);
  }
  EXPECT_EQ(SkinData().DefaultManager, nullptr);
}

TEST_F(StoredSkin, SwitchingOffRemovesTheSkinAndOnReloadsIt) {
  TsSkinManager manager(nullptr);
  ReadComponentFromText(&manager, TestSkinFormText(), "test skin");
  ASSERT_TRUE(SkinData().SkinLoaded);
  manager.SetActive(false);
  EXPECT_FALSE(SkinData().SkinLoaded);
  EXPECT_EQ(MasterBitmap, nullptr);
  EXPECT_TRUE(SkinMasks.empty());
  EXPECT_EQ(GetSkinIndex("FORM"), -1);
  manager.SetActive(true);
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_EQ(SkinMasks.size(), 2u);
}

TEST_F(StoredSkin, CommonSectionsLoseTheirBlanksExceptInComments) {
  TsSkinManager manager(nullptr);
  TStringList lines;
  lines.Add("[ A ]");
  lines.Add("Key = Value");
  lines.Add(";  a comment ");
  manager.SetCommonSections(&lines);
  EXPECT_EQ(manager.GetCommonSections()->Get(0), "[A]");
  EXPECT_EQ(manager.GetCommonSections()->Get(1), "Key=Value");
  EXPECT_EQ(manager.GetCommonSections()->Get(2), ";  a comment ");
}

TEST_F(StoredSkin, FullSkinDirectories) {
  TsSkinManager manager(nullptr);
  const std::string app = GetAppPath();
  manager.SetSkinDirectory("skins");
  EXPECT_EQ(manager.GetFullSkinDirectory(), app + "skins\\");
  manager.SetSkinDirectory(".\\skins");
  EXPECT_EQ(manager.GetFullSkinDirectory(), app + "skins\\");
  manager.SetSkinDirectory("./skins");
  EXPECT_EQ(manager.GetFullSkinDirectory(), app + "skins\\");
  manager.SetSkinDirectory("D:\\skins");
  EXPECT_EQ(manager.GetFullSkinDirectory(), "D:\\skins\\");
  manager.SetSkinDirectory("D:");
  EXPECT_EQ(manager.GetFullSkinDirectory(), "D:\\");
}
