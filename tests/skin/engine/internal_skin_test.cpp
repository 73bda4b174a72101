// The program's internal skin as tools/skin.py builds it: the InternalSkins block read into a
// skin manager fills the tables with every section and mask the painters look up, and the
// skin-folder twin of the same skin loads to the same tables.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "skin/engine/sblend.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sstoredskin.h"
#include "skin_test_helpers.h"
#include "skin_test_support.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/strings.h"

namespace {

// The build folder of the skin, as Wine sees it (drive Z: is the root of the build machine).
std::string SkinFile(const std::string& name) { return std::string(DRAVOLIN_SKIN_DIR) + "/" + name; }

class InternalSkin : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    RegisterSkinEngineClasses();
  }

  static void LoadInternal(TsSkinManager& manager) {
    const std::string fragment = ReadText(SkinFile("internal_skin.fragment"));
    ASSERT_FALSE(fragment.empty()) << "the build has not written the skin";
    ReadComponentFromText(
        &manager, "object Skins: TsSkinManager\n" + fragment + "SkinName = 'GrayPlastic (internal)'\nend\n",
        "internal skin");
    ASSERT_TRUE(SkinData().SkinLoaded);
  }
  static int MaskOf(const char* section, const char* property) {
    return GetMaskIndex(GetSkinIndex(section), section, property);
  }
};

// Everything that identifies a section's look, to compare two loads of the same skin.
auto Look(const TsGeneralData& g) {
  auto font = [](const TsFontColors& f) {
    return std::make_tuple(f.Color, f.Left, f.Top, f.Right, f.Bottom);
  };
  return std::make_tuple(
      g.ParentClassName, g.PaintingColor, g.PaintingBevel, g.PaintingBevelWidth, font(g.FontColor),
      font(g.HotFontColor), g.ReservedBoolean, g.ShadowBlur, g.ShadowColor, g.ShadowEnabled, g.ShadowOffset,
      g.ShadowTransparency, g.PaintingTransparency, g.GradientPercent, g.GradientArray.size(), g.ImagePercent,
      g.ShowFocus, g.FadingEnabled, g.FadingIntervalIn, g.FadingIntervalOut, g.FadingIterations,
      g.HotPaintingColor, g.HotPaintingTransparency, g.HotPaintingBevel, g.HotPaintingBevelWidth,
      g.HotGradientPercent, g.HotGradientArray.size(), g.HotImagePercent, g.PaintingColorBorderTop,
      g.PaintingColorBorderBottom, g.SelectionBorderBevel, g.SelectionBorderWidth, g.SelectionColor);
}

using MaskKey = std::pair<std::string, std::string>;
std::map<MaskKey, std::tuple<LONG, LONG, LONG, LONG, int, int, int, int>> MaskTable() {
  std::map<MaskKey, std::tuple<LONG, LONG, LONG, LONG, int, int, int, int>> masks;
  for (const TsMaskData& m : SkinMasks) {
    masks.emplace(MaskKey(m.SectionName, m.PropertyName),
                  std::make_tuple(m.R.left, m.R.top, m.R.right, m.R.bottom, m.ImageCount, m.MaskType,
                                  m.Bmp ? m.Bmp->GetWidth() : 0, m.Bmp ? m.Bmp->GetHeight() : 0));
  }
  return masks;
}

std::vector<TColor> MasterPixels() {
  std::vector<TColor> pixels;
  if (!MasterBitmap) return pixels;
  for (int y = 0; y < MasterBitmap->GetHeight(); ++y)
    for (int x = 0; x < MasterBitmap->GetWidth(); ++x) pixels.push_back(MasterBitmap->GetPixelColor(x, y));
  return pixels;
}

}  // namespace

// The stored skin's shape: 95 named sections and a nameless last one, 76 images (the window's
// frame and the button's in their places of the master bitmap), no patterns.
TEST_F(InternalSkin, HasNinetyFiveSectionsAndSeventySixImagesWithFrameAndButtonInPlace) {
  TsSkinManager manager(nullptr);
  LoadInternal(manager);
  ASSERT_EQ(manager.GetInternalSkins()->GetCount(), 1);
  TsStoredSkin* stored = manager.GetInternalSkins()->GetItem(0);
  EXPECT_EQ(stored->Name, "GrayPlastic (internal)");
  EXPECT_EQ(stored->GetGeneralData()->GetCount(), 96);
  EXPECT_EQ(stored->GetImages()->GetCount(), 76);
  EXPECT_EQ(stored->GetPatterns()->GetCount(), 0);
  // Every item reaches the tables: the names are all different, none is left out.
  ASSERT_EQ(SkinGeneralData.size(), 96u);
  EXPECT_EQ(SkinMasks.size(), 76u);
  std::set<std::string> names;
  for (size_t i = 0; i + 1 < SkinGeneralData.size(); ++i) {
    EXPECT_FALSE(SkinGeneralData[i].SectionName.empty()) << i;
    EXPECT_TRUE(names.insert(AnsiUpperCase(SkinGeneralData[i].SectionName)).second)
        << SkinGeneralData[i].SectionName;
  }
  for (const char* name : {"TsButton", "TsEdit", "TsPanel", "TsGroupBox", "Form", "FormTitle", "DIALOG",
                           "MainMenu", "MenuItem", "MenuLine", "ScrollSliderV", "TABTOP", "GLOBALINFO"}) {
    const int index = GetSkinIndex(name);
    ASSERT_GE(index, 0) << name;
    EXPECT_EQ(SkinGeneralData[index].SectionName, name);
  }

  const TsMaskData& form = SkinMasks[MaskOf("FORM", "BORDERSMASK")];
  EXPECT_EQ(form.R, (RECT{0, 42, 24, 90}));
  EXPECT_EQ(form.ImageCount, 1);
  EXPECT_EQ(form.MaskType, 1);
  EXPECT_EQ(form.Bmp, nullptr);
  const TsMaskData& button = SkinMasks[MaskOf("TSBUTTON", "BORDERSMASK")];
  EXPECT_EQ(button.R, (RECT{97, 220, 151, 256}));
  EXPECT_EQ(button.ImageCount, 3);
  EXPECT_EQ(button.MaskType, 1);
  EXPECT_EQ(button.Bmp, nullptr);

  // The master bitmap is stored in its malformed form: 149558 bytes claimed, 148534 there.
  const std::string fragment = ReadText(SkinFile("internal_skin.fragment"));
  const size_t start = fragment.find("MasterBitmap.Data = {");
  ASSERT_NE(start, std::string::npos);
  std::string data;
  for (size_t i = fragment.find('{', start) + 1; i + 1 < fragment.size() && fragment[i] != '}'; ++i) {
    if (!isxdigit(static_cast<unsigned char>(fragment[i]))) continue;
    data += static_cast<char>(std::stoi(fragment.substr(i, 2), nullptr, 16));
    ++i;
  }
  ASSERT_GE(data.size(), 4u);
  const auto* length = reinterpret_cast<const uint8_t*>(data.data());
  EXPECT_EQ(length[0] | length[1] << 8 | length[2] << 16 | length[3] << 24, 149558);
  EXPECT_EQ(data.size() - 4, 148534u);
}

TEST_F(InternalSkin, LoadsWithTheStoredShapeAndEveryLookupFindsItsPart) {
  TsSkinManager manager(nullptr);
  LoadInternal(manager);
  ASSERT_NE(MasterBitmap, nullptr);
  EXPECT_EQ(MasterBitmap->GetWidth(), 192);
  EXPECT_EQ(MasterBitmap->GetHeight(), 256);
  EXPECT_EQ(MasterBitmap->GetPixelFormat(), pf24bit);
  EXPECT_TRUE(SkinPatterns.empty());
  ASSERT_GE(SkinGeneralData.size(), 2u);
  EXPECT_EQ(SkinGeneralData.back().SectionName, "");
  EXPECT_EQ(SkinGeneralData.back().PaintingColor, 0);
  EXPECT_EQ(SkinGeneralData.back().HotPaintingColor, 0);

  // The common indexes of scroll bars, tabs and check boxes: none is missing.
  const auto* index = reinterpret_cast<const int16_t*>(&CommonSkinIndexes);
  for (size_t i = 0; i < sizeof CommonSkinIndexes / sizeof(int16_t); ++i)
    EXPECT_GE(index[i], 0) << "entry " << i;
  // What the form, its dialog, menus and controls look up by name.
  for (const char* section :
       {"FORM",          "FORMTITLE", "DIALOG",     "MDIAREA",       "MAINMENU",  "MENUITEM",   "MENULINE",
        "TITLEBUTTON",   "DIVIDER",   "COLHEADER",  "SIMPLYEDIT",    "GRID",      "TsButton",   "TsBitBtn",
        "TsSpeedButton", "TsEdit",    "TsSpinEdit", "TsComboBox",    "TsListBox", "TsListView", "TsPanel",
        "TsGroupBox",    "TsGrip",    "TsCheckBox", "TsRadioButton", "TsLabel",   "TsBevel"}) {
    EXPECT_GE(GetSkinIndex(section), 0) << section;
  }
  for (const char* property : {"BORDERSMASK", "TITLEBAR", "GRIPIMAGE", "TITLEBUTTON", "BICONCLOSE",
                               "BICONMAX", "BICONNORM", "BICONMIN", "BICONHELP"}) {
    EXPECT_GE(MaskOf("FORM", property), 0) << property;
    EXPECT_GE(MaskOf("DIALOG", property), 0) << property;
  }
  EXPECT_GE(MaskOf("FORMTITLE", "BORDERSMASK"), 0);
  EXPECT_GE(MaskOf("TSCOMBOBOX", "GLYPHMASK"), 0);
  EXPECT_GE(MaskOf("TSCHECKBOX", "GLYPHCHECKED"), 0);
  EXPECT_GE(MaskOf("TSRADIOBUTTON", "GLYPHUNCHECKED"), 0);

  const TsGeneralData& dialog = SkinGeneralData[GetSkinIndex("DIALOG")];
  EXPECT_TRUE(dialog.ReservedBoolean);
  EXPECT_EQ(dialog.ParentClassName, "Form");
  // Captions and buttons have their soft vertical gradients, normal and hot.
  EXPECT_EQ(SkinGeneralData[GetSkinIndex("FormTitle")].HotGradientArray.size(), 2u);
  EXPECT_EQ(SkinGeneralData[GetSkinIndex("TsButton")].GradientArray.size(), 2u);
  // Frames: the window's cells of 8, buttons with three states of 18 x 18, tabs in their own images.
  EXPECT_EQ(GetMaskFrameSize(MaskOf("FORM", "BORDERSMASK")).cx, 24);
  EXPECT_EQ(GetMaskFrameSize(MaskOf("FORM", "BORDERSMASK")).cy, 24);
  const TsMaskData& button = SkinMasks[MaskOf("TSBUTTON", "BORDERSMASK")];
  EXPECT_EQ(button.ImageCount, 3);
  EXPECT_EQ(button.MaskType, 1);
  EXPECT_EQ(GetMaskFrameSize(MaskOf("TSBUTTON", "BORDERSMASK")).cy, 18);
  ASSERT_NE(SkinMasks[MaskOf("TABTOP", "BORDERSMASK")].Bmp, nullptr);
  EXPECT_EQ(GetMaskFrameSize(MaskOf("TABTOP", "BORDERSMASK")).cx, 18);
  // The window's rounded corner: outside it the key colour, inside the dark outline.
  const TsMaskData& form = SkinMasks[MaskOf("FORM", "BORDERSMASK")];
  EXPECT_EQ(MasterBitmap->GetPixelColor(form.R.left, form.R.top), 0xFF00FF);
  EXPECT_NE(MasterBitmap->GetPixelColor(form.R.left, form.R.top + 12), 0xFF00FF);
}

TEST_F(InternalSkin, TheSkinFolderTwinLoadsToTheSameTables) {
  std::vector<std::tuple<std::string, decltype(Look(TsGeneralData()))>> stored;
  std::map<MaskKey, std::tuple<LONG, LONG, LONG, LONG, int, int, int, int>> stored_masks;
  std::vector<TColor> stored_master;
  {
    TsSkinManager manager(nullptr);
    LoadInternal(manager);
    for (const TsGeneralData& g : SkinGeneralData) stored.emplace_back(g.SectionName, Look(g));
    stored_masks = MaskTable();
    stored_master = MasterPixels();
  }
  TearDown();
  SetUp();
  TsSkinManager manager(nullptr);
  manager.SetSkinDirectory(DRAVOLIN_SKIN_DIR);
  manager.SetSkinName("GrayPlastic");
  ASSERT_TRUE(SkinData().SkinLoaded);
  EXPECT_FALSE(SkinData().SkinPath.empty());
  // The folder has no nameless record; every named section reads back alike.
  ASSERT_EQ(SkinGeneralData.size() + 1, stored.size());
  for (size_t i = 0; i < SkinGeneralData.size(); ++i) {
    EXPECT_EQ(std::get<0>(stored[i]), SkinGeneralData[i].SectionName);
    EXPECT_TRUE(std::get<1>(stored[i]) == Look(SkinGeneralData[i])) << SkinGeneralData[i].SectionName;
  }
  // The same masks (the folder adds its master bitmap's file as a mask of GLOBALINFO), and the
  // folder's one JPEG pattern.
  auto masks = MaskTable();
  EXPECT_EQ(masks.erase(MaskKey("GLOBALINFO", "MASTERBITMAP")), 1u);
  EXPECT_TRUE(masks == stored_masks);
  ASSERT_EQ(SkinPatterns.size(), 1u);
  EXPECT_EQ(SkinPatterns[0].SectionName, "MDIAREA");
  // The stored master bitmap, whose headers claim 1024 bytes more than it holds, reads to the
  // pixels of the folder's plain BMP file.
  ASSERT_NE(MasterBitmap, nullptr);
  EXPECT_EQ(MasterBitmap->GetWidth(), 192);
  EXPECT_TRUE(MasterPixels() == stored_master);
}

namespace {

// A pixel of a 24-bit bitmap as 0x00RRGGBB.
unsigned PixelAt(TBitmap& bmp, int x, int y) {
  const uint8_t* p = bmp.GetScanLine(y) + 3 * x;
  return (p[2] << 16) | (p[1] << 8) | p[0];
}

// True when any pixel of r differs from the colour.
bool Differs(TBitmap& bmp, const RECT& r, unsigned colour) {
  for (int y = r.top; y < r.bottom; ++y) {
    for (int x = r.left; x < r.right; ++x) {
      if (PixelAt(bmp, x, y) != colour) return true;
    }
  }
  return false;
}

bool SameArea(TBitmap& a, const RECT& ra, TBitmap& b, const RECT& rb) {
  for (int y = 0; y < ra.bottom - ra.top; ++y) {
    for (int x = 0; x < ra.right - ra.left; ++x) {
      if (PixelAt(a, ra.left + x, ra.top + y) != PixelAt(b, rb.left + x, rb.top + y)) return false;
    }
  }
  return true;
}

}  // namespace

// The picture to judge the skin by (written to the build folder as engine_sheet.bmp): every
// section painted by the engine at three sizes as normal, hot, pressed and disabled, then every
// mask in every state. Every framed section shows its frame, and a button's hot and pressed
// looks differ from its normal one and from each other.
TEST_F(InternalSkin, EverySectionAndMaskPaintsIntoThePictureSheet) {
  TsSkinManager manager(nullptr);
  LoadInternal(manager);
  const SIZE sizes[] = {{24, 24}, {75, 25}, {140, 40}};
  const int label_width = 130, gap = 6, row = 46;
  const unsigned white = 0xFFFFFF;
  int mask_rows_height = 0;
  for (int m = 0; m < static_cast<int>(SkinMasks.size()); ++m) {
    mask_rows_height += std::max<int>(GetMaskFrameSize(m).cy, 12) + gap;
  }
  const int sections = static_cast<int>(SkinGeneralData.size());
  TBitmap sheet;
  sheet.SetPixelFormat(pf24bit);
  sheet.SetSize(label_width + 4 * (24 + 75 + 140 + 3 * gap) + gap, sections * row + mask_rows_height + gap);
  sheet.GetCanvas()->GetBrush()->SetColor(clWhite);
  sheet.GetCanvas()->FillRect({0, 0, sheet.GetWidth(), sheet.GetHeight()});
  sheet.GetCanvas()->GetFont()->SetName("Arial");
  sheet.GetCanvas()->GetFont()->SetHeight(-11);

  std::map<std::string, std::vector<RECT>> cells;  // section -> the 75 x 25 cells by state
  int y = gap;
  for (int s = 0; s < sections; ++s, y += row) {
    const std::string name = SkinGeneralData[s].SectionName;
    if (name.empty()) continue;
    sheet.GetCanvas()->TextOut(2, y + 4, name);
    int x = label_width;
    for (int state = 0; state < 4; ++state) {
      for (const SIZE& size : sizes) {
        const RECT r{x, y, x + size.cx, y + size.cy};
        if (state < 3) {
          PaintItem(s, name, EmptyCI, state, true, r, {0, 0}, &sheet);
        } else {
          TBitmap disabled;
          disabled.SetPixelFormat(pf24bit);
          disabled.SetSize(size.cx, size.cy);
          PaintItemWhole(s, name, EmptyCI, 0, true, {0, 0}, &disabled);
          FillControlBG(&disabled, TsDisabledKind{dkGrayed, dkBlended}, nullptr, {0, 0}, EmptyCI);
          sheet.GetCanvas()->Draw(r.left, r.top, &disabled);
        }
        if (size.cx == 75) cells[name].push_back(r);
        x += size.cx + gap;
      }
      x += gap;
    }
    if (GetMaskIndex(s, name, "BORDERSMASK") >= 0) {
      // The frame's corners are painted (not left white) in every state.
      for (const RECT& r : cells[name]) {
        EXPECT_TRUE(Differs(sheet, {r.left, r.top, r.left + 3, r.top + 3}, white)) << name;
      }
    }
  }
  for (int m = 0; m < static_cast<int>(SkinMasks.size()); ++m) {
    const TsMaskData& mask = SkinMasks[m];
    const SIZE frame = GetMaskFrameSize(m);
    sheet.GetCanvas()->TextOut(2, y, mask.SectionName + "." + mask.PropertyName);
    const int states = mask.Bmp ? 3 : std::max<int>(mask.ImageCount, 1);
    for (int state = 0; state < states; ++state) {
      DrawSkinGlyph(&sheet, {2 * label_width + state * (frame.cx + gap), y}, state, mask, 1);
    }
    y += std::max<int>(frame.cy, 12) + gap;
  }
  sheet.SaveToFile(SkinFile("engine_sheet.bmp"));

  const std::vector<RECT>& button = cells["TsButton"];
  ASSERT_EQ(button.size(), 4u);
  EXPECT_FALSE(SameArea(sheet, button[0], sheet, button[1])) << "hot looks like normal";
  EXPECT_FALSE(SameArea(sheet, button[0], sheet, button[2])) << "pressed looks like normal";
  EXPECT_FALSE(SameArea(sheet, button[1], sheet, button[2])) << "pressed looks like hot";
  EXPECT_FALSE(SameArea(sheet, button[0], sheet, button[3])) << "disabled looks like normal";
}
