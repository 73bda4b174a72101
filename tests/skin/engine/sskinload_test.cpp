// Loading folder skins: Options.dat with its images, inheritance, common sections and the
// refusal of entries that make no sense.
#include <gtest/gtest.h>

#include "skin/engine/sskinload.h"
#include "skin/engine/sskinmanager.h"
#include "skin_test_support.h"
#include "tests/app/sparse_file.h"
#include "toolkit/bitmap.h"
#include "toolkit/inifiles.h"
#include "toolkit/jpeg.h"
#include "toolkit/strings.h"

namespace {

class FolderSkin : public SkinFolderTest {
 protected:
  void SetUp() override {
    SkinFolderTest::SetUp();
    ForceDirectories(Path("skin"));
    Write("skin\\master.bmp", MakeBmp(192, 256, 0x336699));
    Write("skin\\button.bmp", MakeBmp(30, 20, 0x00FF00));
    Write("abs.bmp", MakeBmp(9, 4));
    Write("skin\\pattern.jpg", MakeJpeg(16, 8));
    const std::string jpeg = MakeJpeg(16, 8);
    // The headers are whole; the image data stops short of its end.
    Write("skin\\cut.jpg", jpeg.substr(0, jpeg.size() - 12));
    const std::string bmp = MakeBmp(30, 20);
    Write("skin\\cut.bmp", bmp.substr(0, bmp.size() - 50));
    Write("skin\\thin.bmp", MakeBmp(2, 20));
  }

  void WriteOptions(const std::string& text) { Write("skin\\Options.dat", text); }

  // Loads the folder "skin" through a manager as the program does.
  // True when the folder's skin is the one in the tables.
  bool Load(TsSkinManager& manager) {
    manager.SetSkinDirectory(Folder());
    manager.SetSkinName("skin");
    return SkinData().SkinLoaded && SkinData().SkinIni != nullptr;
  }

  static const TsGeneralData& Section(const char* name) {
    const int index = GetSkinIndex(name);
    EXPECT_GE(index, 0) << name;
    static const TsGeneralData none;
    return index < 0 ? none : SkinGeneralData[index];
  }
  static int MaskOf(const char* section, const char* property) {
    return GetMaskIndex(GetSkinIndex(section), section, property);
  }
};

const char* const kOptions = R"([GLOBALINFO]
MASTERBITMAP=master.bmp
BOXCHECKED=#(0,0,30,10) 3,0
BADNUMBER=#(0,x,10,10) 1,0
NOCOUNTS=#(0,0,10,10)
BLANKS=#(0, 0, 10, 10) 1,0
HUGE=#(0,0,99999999999,10) 1,0
OUTSIDE=#(0,0,500,10) 1,0
NEGATIVE=#(-5,0,10,10) 1,0
ZEROFRAME=#(0,0,2,10) 3,0
FLAT=#(0,5,10,5) 1,0
HASH=#
CLAMPED=#(0,0,10,10) 0,-3
MASKTYPE=#(0,0,10,60) 1,5

[Form]
PaintingColor=255
TCLEFT=255
ShadowColor=128
ShowFocus=true
BORDERSMASK=#(0,42,24,90) 1,1
BUTTON=button.bmp
ABSOLUTE=%ABS%
PATTERN=pattern.jpg
CUTPATTERN=cut.jpg
CUTBMP=cut.bmp
THIN=thin.bmp
MISSING=missing.bmp
NOTHING=just text
GradientData=0;255;100;0;0
HotGradientData=1;x;3;4;5

[DIALOG]
ParentClassName=FORM
TCLEFT=-1
ShowFocus=TRUE

[CHILD]
ParentClassName=Dialog
ShowFocus=1
PaintingTransparency=250
ImagePercent=-5
PaintingBevel=9
FadingIterations=2000000000
FadingIntervalIn=5000
FadingIntervalOut=0

[A]
ParentClassName=B
[B]
ParentClassName=A
TCTOP=-1

[EMPTY]
)";

std::string Options(const std::string& abs) {
  std::string text = kOptions;
  text.replace(text.find("%ABS%"), 5, abs);
  return text;
}

}  // namespace

TEST_F(FolderSkin, MasksOfTheMasterBitmapAndOwnImages) {
  WriteOptions(Options(Path("abs.bmp")));
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  EXPECT_EQ(SkinData().SkinPath, Path("skin\\"));
  ASSERT_NE(MasterBitmap, nullptr);
  EXPECT_EQ(MasterBitmap->GetWidth(), 192);
  EXPECT_EQ(MasterBitmap->GetPixelFormat(), pf24bit);
  EXPECT_EQ(MasterBitmap->GetTransparentColor(), 0xFF00FF);

  const int boxes = MaskOf("GLOBALINFO", "BOXCHECKED");
  ASSERT_GE(boxes, 0);
  EXPECT_EQ(GetMaskFrameSize(boxes).cx, 10);
  // Bad numbers, blanks, missing counts, rectangles outside the bitmap, frames of no size and
  // a lone "#" are left out; loading goes on past them.
  for (const char* name :
       {"BADNUMBER", "NOCOUNTS", "BLANKS", "HUGE", "OUTSIDE", "NEGATIVE", "ZEROFRAME", "FLAT", "HASH"})
    EXPECT_EQ(MaskOf("GLOBALINFO", name), -1) << name;
  const int clamped = MaskOf("GLOBALINFO", "CLAMPED");
  ASSERT_GE(clamped, 0);
  EXPECT_EQ(SkinMasks[clamped].ImageCount, 1);
  EXPECT_EQ(SkinMasks[clamped].MaskType, 0);
  // A mask type above 1 is kept as written: its rectangle holds that many more rows.
  const int mask_type = MaskOf("GLOBALINFO", "MASKTYPE");
  ASSERT_GE(mask_type, 0);
  EXPECT_EQ(SkinMasks[mask_type].MaskType, 5);
  EXPECT_EQ(GetMaskFrameSize(mask_type).cy, 10);
  // The master bitmap's own entry is a mask with its own image as well.
  const int master = MaskOf("GLOBALINFO", "MASTERBITMAP");
  ASSERT_GE(master, 0);
  EXPECT_NE(SkinMasks[master].Bmp, nullptr);

  EXPECT_EQ(GetMaskFrameSize(MaskOf("FORM", "BORDERSMASK")).cy, 24);
  const int button = MaskOf("FORM", "BUTTON");
  ASSERT_GE(button, 0);
  ASSERT_NE(SkinMasks[button].Bmp, nullptr);
  EXPECT_EQ(SkinMasks[button].Bmp->GetWidth(), 30);
  EXPECT_EQ(SkinMasks[button].Bmp->GetPixelFormat(), pf24bit);
  EXPECT_EQ(SkinMasks[button].SectionName, "FORM");
  EXPECT_GE(MaskOf("FORM", "ABSOLUTE"), 0);
  for (const char* name : {"CUTBMP", "THIN", "MISSING", "NOTHING", "PATTERN"})
    EXPECT_EQ(MaskOf("FORM", name), -1) << name;
  // Inherited by DIALOG from FORM.
  EXPECT_EQ(MaskOf("DIALOG", "BORDERSMASK"), MaskOf("FORM", "BORDERSMASK"));
  EXPECT_TRUE(Messages().empty());
}

TEST_F(FolderSkin, PatternsAreWholeJpegFiles) {
  WriteOptions(Options(Path("abs.bmp")));
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  const int pattern = GetPatternIndex(GetSkinIndex("FORM"), "FORM", "PATTERN");
  ASSERT_GE(pattern, 0);
  EXPECT_EQ(SkinPatterns[pattern].Img->GetWidth(), 16);
  EXPECT_EQ(GetPatternIndex(GetSkinIndex("FORM"), "FORM", "CUTPATTERN"), -1);
  EXPECT_EQ(GetPatternIndex(GetSkinIndex("DIALOG"), "DIALOG", "PATTERN"), pattern);
}

TEST_F(FolderSkin, GeneralDataInheritsThroughParentsWithDefaultsLast) {
  WriteOptions(Options(Path("abs.bmp")));
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  const TsGeneralData& empty = Section("EMPTY");
  const TsGeneralData defaults;
  EXPECT_EQ(empty.PaintingColor, 0xFFFFFF);
  EXPECT_EQ(empty.PaintingBevelWidth, defaults.PaintingBevelWidth);
  EXPECT_EQ(empty.FontColor.Left, -1);
  EXPECT_EQ(empty.ShadowTransparency, 50);
  EXPECT_EQ(empty.GradientData, " ");
  EXPECT_TRUE(empty.GradientArray.empty());
  EXPECT_EQ(empty.SelectionBorderBevel, ebLowered);

  const TsGeneralData& form = Section("FORM");
  EXPECT_EQ(form.SectionName, "Form");
  EXPECT_EQ(form.ShadowColor, 128);
  EXPECT_TRUE(form.ShowFocus);
  ASSERT_EQ(form.GradientArray.size(), 1u);
  EXPECT_TRUE(form.HotGradientArray.empty());  // a bad number makes no gradient
  const TsGeneralData& dialog = Section("DIALOG");
  EXPECT_EQ(dialog.FontColor.Left, 255);  // an explicit -1 is inherited
  EXPECT_EQ(dialog.ShadowColor, 0);       // never inherited
  EXPECT_TRUE(dialog.ShowFocus);
  const TsGeneralData& child = Section("CHILD");
  EXPECT_EQ(child.PaintingColor, 255);  // from the grandparent
  EXPECT_FALSE(child.ShowFocus);        // "1" is not "TRUE"
  EXPECT_EQ(child.PaintingTransparency, 100);
  EXPECT_EQ(child.ImagePercent, 0);
  EXPECT_EQ(child.PaintingBevel, cbNone);
  EXPECT_LE(child.FadingIterations, 100);
  EXPECT_EQ(child.FadingIntervalIn, 5000);  // slow, but as written
  EXPECT_EQ(child.FadingIntervalOut, 1);
  // A and B name each other: the look-up ends with the default.
  EXPECT_EQ(Section("A").FontColor.Top, -1);
  EXPECT_EQ(Section("B").PaintingColor, 0xFFFFFF);
  EXPECT_EQ(ReadSkinInteger("A", "TCTOP", 77), 77);
  EXPECT_EQ(ReadSkinString("A", "Nothing", "d"), "d");
  EXPECT_EQ(ReadSkinString("CHILD", "PaintingColor", "d"), "255");
  EXPECT_EQ(ReadSkinString("CHILD", "TCLEFT", "d"), "-1");  // only integers take -1 as missing
}

TEST_F(FolderSkin, MasterRectanglesNeedAMasterBitmap) {
  WriteOptions("[FORM]\nBORDERSMASK=#(0,0,10,10) 1,0\nBUTTON=button.bmp\n");
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  EXPECT_EQ(MasterBitmap, nullptr);
  EXPECT_EQ(MaskOf("FORM", "BORDERSMASK"), -1);
  EXPECT_GE(MaskOf("FORM", "BUTTON"), 0);
}

TEST_F(FolderSkin, ABrokenMasterBitmapLeavesTheSkinWithoutOne) {
  const std::string bmp = MakeBmp(192, 256);
  Write("skin\\master.bmp", bmp.substr(0, bmp.size() / 2));
  WriteOptions(Options(Path("abs.bmp")));
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  EXPECT_EQ(MasterBitmap, nullptr);
  EXPECT_EQ(MaskOf("GLOBALINFO", "BOXCHECKED"), -1);
  EXPECT_GE(MaskOf("FORM", "BUTTON"), 0);
  EXPECT_GE(GetSkinIndex("CHILD"), 0);
}

TEST_F(FolderSkin, AMasterBitmapFarLargerThanItsHeadersDeclareIsNotTaken) {
  WriteOptions(Options(Path("abs.bmp")));
  // A gap of a few bytes behind the image is a picture still.
  const std::string bmp = MakeBmp(192, 256);
  Write("skin\\master.bmp", bmp + std::string(100, '\0'));
  {
    TsSkinManager manager(nullptr);
    ASSERT_TRUE(Load(manager));
    EXPECT_NE(MasterBitmap, nullptr);
  }
  // A gigabyte behind it, a hole that costs nothing to make: not read.
  ASSERT_TRUE(WriteSparseFile(Path("skin\\master.bmp"), bmp, int64_t{1} << 30));
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  EXPECT_EQ(MasterBitmap, nullptr);
  EXPECT_EQ(MaskOf("GLOBALINFO", "BOXCHECKED"), -1);
  EXPECT_GE(MaskOf("FORM", "BUTTON"), 0);
}

TEST_F(FolderSkin, CommonSectionsAddRecordsAfterTheSkinsOwn) {
  WriteOptions(Options(Path("abs.bmp")));
  TsSkinManager manager(nullptr);
  manager.SetActive(false);
  TStringList common;
  common.SetText(
      "[FORM]\nPaintingColor=0x10\n[EXTRA]\nParentClassName=Form\nTCTOP=$20\nEXTRAMASK=button.bmp\n"
      "[GLOBALINFO]\nSKIPPED=button.bmp\n");
  manager.SetCommonSections(&common);
  manager.SetActive(true);
  ASSERT_TRUE(Load(manager));
  const size_t own = 7;
  ASSERT_EQ(SkinGeneralData.size(), own + 3);
  EXPECT_EQ(SkinGeneralData[own].PaintingColor, 16);
  EXPECT_EQ(Section("FORM").PaintingColor, 255);  // the first FORM wins
  const TsGeneralData& extra = Section("EXTRA");
  EXPECT_EQ(extra.PaintingColor, 255);
  EXPECT_EQ(extra.FontColor.Top, 32);
  EXPECT_EQ(extra.FontColor.Left, 255);
  EXPECT_GE(MaskOf("EXTRA", "EXTRAMASK"), 0);
  EXPECT_EQ(MaskOf("GLOBALINFO", "SKIPPED"), -1);
}

// Without internal skins a missing folder still loads: an empty skin, no section found.
TEST_F(FolderSkin, AMissingFolderFallsBackToAnEmptySkinWithoutInternalSkins) {
  TsSkinManager manager(nullptr);
  EXPECT_FALSE(Load(manager));
  EXPECT_TRUE(SkinData().SkinLoaded);
  EXPECT_TRUE(SkinGeneralData.empty());
  EXPECT_EQ(GetSkinIndex("FORM"), -1);
  EXPECT_FALSE(SkinChanging);
}

TEST_F(FolderSkin, LoadersWithoutASourceLeaveTheTablesEmpty) {
  TStringList common;
  common.SetText("[EXTRA]\nPaintingColor=1\n");
  TsSkinSource source;
  source.common_sections = &common;
  LoadAllMasks(source);
  LoadAllPatterns(source);
  LoadAllGeneralData(source);
  EXPECT_TRUE(SkinGeneralData.empty());
  EXPECT_TRUE(SkinMasks.empty());
}

TEST_F(FolderSkin, RecordsAgreeWithTheLookUpsWhateverTheParentLinks) {
  // Chains, a self-link, a ring with a tail into it, a missing parent, names in other cases.
  WriteOptions(
      "[C0]\nParentClassName=c1\n[C1]\nParentClassName=C2\nTCLEFT=-1\n[C2]\nPaintingColor=7\nTCLEFT=8\n"
      "GradientData=1;2;3;0;0\n[SELF]\nParentClassName=self\n[R0]\nParentClassName=R1\n"
      "[R1]\nParentClassName=R2\nPaintingColor=5\nGradientData=?\n[R2]\nParentClassName=r0\nTCLEFT=6\n"
      "GradientData=4;5;6;0;0\n[TAIL]\nParentClassName=R2\n[LOST]\nParentClassName=NOWHERE\nTCLEFT=9\n");
  TsSkinManager manager(nullptr);
  ASSERT_TRUE(Load(manager));
  for (const char* name : {"C0", "C1", "C2", "SELF", "R0", "R1", "R2", "TAIL", "LOST"}) {
    const TsGeneralData& g = Section(name);
    EXPECT_EQ(g.PaintingColor, ReadSkinInteger(name, "PaintingColor", 0xFFFFFF)) << name;
    EXPECT_EQ(g.FontColor.Left, ReadSkinInteger(name, "TCLEFT", -1)) << name;
    EXPECT_EQ(g.GradientData, ReadSkinString(name, "GradientData", " ")) << name;
  }
  EXPECT_EQ(Section("C0").PaintingColor, 7);
  EXPECT_EQ(Section("R0").FontColor.Left, 6);
  EXPECT_EQ(Section("TAIL").PaintingColor, 5);
}

TEST_F(FolderSkin, AFolderBeyondAnyRealSkinIsRefusedWithAWarning) {
  auto stops = [](int n) {
    std::string text;
    for (int i = 0; i < n; ++i) text += "1;2;3;0;0;";
    return text;
  };
  auto sections = [](int n, bool chained) {
    std::string text;
    for (int i = 0; i < n; ++i)
      text += "[S" + std::to_string(i) +
              "]\nParentClassName=" + (chained ? "S" + std::to_string(i + 1) : "") + "\n";
    return text;
  };
  auto pictures = [](int n) {
    std::string text = "[FORM]\n";
    for (int i = 0; i < n; ++i) text += "P" + std::to_string(i) + "=#(0,0,3,2) 1,0\n";
    return text;
  };
  auto files = [](int n) {
    std::string text = "[FORM]\n";
    for (int i = 0; i < n; ++i)
      text += "P" + std::to_string(i) + "=p" + std::to_string(i / 2) + (i % 2 ? ".bmp\n" : ".jpg\n");
    return text;
  };
  const struct {
    std::string options;
    bool refused;
  } cases[] = {
      {"[FORM]\nGradientData=" + stops(256) + "\n", false},
      {"[FORM]\nHotGradientData=" + stops(257) + "\n", true},
      {"[FORM]\nK=" + std::string(64 * 1024 - 2, '1') + "\n", false},
      {"[FORM]\nK=" + std::string(64 * 1024 - 1, '1') + "\n", true},
      {"[" + std::string(256, 'F') + "]\n" + std::string(256, 'K') + "=1\n", false},
      {"[" + std::string(257, 'F') + "]\n", true},
      {"[FORM]\n" + std::string(257, 'K') + "=1\n", true},
      {sections(2000, false), false},
      {sections(2001, false), true},
      {sections(64, true), false},  // the last names a section that is not there
      {sections(65, true), true},
      {"[A]\nParentClassName=B\n[B]\nParentClassName=A\n", false},
      {pictures(4000), false},
      {pictures(4001), true},
      {files(1000), false},
      {files(1001), true},
  };
  for (const auto& c : cases) {
    Messages().clear();
    WriteOptions(c.options);
    TsSkinManager manager(nullptr);
    EXPECT_EQ(Load(manager), !c.refused) << c.options.substr(0, 40);
    ASSERT_EQ(Messages().size(), c.refused ? 1u : 0u) << c.options.substr(0, 40);
    if (c.refused) {
      EXPECT_NE(Messages()[0].find("is not used"), std::string::npos) << Messages()[0];
    }
  }
  // The file's size is checked before it is read.
  Write("skin\\Options.dat", "[FORM]\n" + std::string(4 << 20, ';'));
  TsSkinManager manager(nullptr);
  Messages().clear();
  EXPECT_FALSE(Load(manager));
  ASSERT_EQ(Messages().size(), 1u);
  EXPECT_NE(Messages()[0].find("4194311 bytes"), std::string::npos) << Messages()[0];
}
