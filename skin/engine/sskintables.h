// The active skin's run-time tables: general data per section, masks (rectangles of the
// master bitmap or own images cut into state frames), JPEG patterns and the master bitmap,
// with the look-ups every skinned control makes after a skin change. One skin is active at a
// time; the loaders (sskinload.h) fill the tables, the skin manager announces them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/colors.h"

class TBitmap;
class TJPEGImage;
class TMemIniFile;
class TsSkinManager;

// One step of a multi-step linear gradient (see sgradient.h for the text form).
struct TsGradStep {
  TColor Color1 = 0;
  TColor Color2 = 0;
  uint8_t Percent = 0;
  int32_t Mode = 0;  // only the first step's counts: 0 top to bottom, 1 left to right
  int32_t Reserved = 0;
};
using TsGradArray = std::vector<TsGradStep>;

enum TsControlBevel : uint8_t { cbNone, cbRaisedSoft, cbLoweredSoft, cbRaisedHard, cbLoweredHard };
enum TsEditorBevel : uint8_t { ebNone, ebRaised, ebLowered, ebAsTopBorder, ebAsBottomBorder };

// Text colour and the contour colours left, top, right and bottom of the text (-1: none).
struct TsFontColors {
  TColor Color = 0;
  TColor Left = -1;
  TColor Top = -1;
  TColor Right = -1;
  TColor Bottom = -1;
};

// One skin section. The defaults are a folder skin's values for keys that neither the
// section nor its parents give.
struct TsGeneralData {
  std::string ParentClassName;
  std::string SectionName;
  TColor PaintingColor = 0xFFFFFF;
  TsControlBevel PaintingBevel = cbNone;
  int32_t PaintingBevelWidth = 2;
  TsFontColors FontColor;
  TsFontColors HotFontColor;
  bool ReservedBoolean = false;
  int32_t ShadowBlur = 6;
  TColor ShadowColor = 0;
  bool ShadowDontUse = false;
  bool ShadowEnabled = false;
  int32_t ShadowOffset = 3;
  int32_t ShadowTransparency = 50;
  int32_t PaintingTransparency = 0;
  int32_t GradientPercent = 0;
  std::string GradientData = " ";
  TsGradArray GradientArray;
  int32_t ImagePercent = 0;
  bool ShowFocus = false;
  bool FadingEnabled = false;
  int32_t FadingIntervalIn = 5;
  int32_t FadingIntervalOut = 5;
  int32_t FadingIterations = 5;
  TColor HotPaintingColor = 0xFFFFFF;
  int32_t HotPaintingTransparency = 0;
  TsControlBevel HotPaintingBevel = cbNone;
  int32_t HotPaintingBevelWidth = 2;
  int32_t HotGradientPercent = 0;
  std::string HotGradientData;
  TsGradArray HotGradientArray;
  int32_t HotImagePercent = 0;
  TColor PaintingColorBorderTop = 0;
  TColor PaintingColorBorderBottom = 0;
  TsEditorBevel SelectionBorderBevel = ebLowered;
  int32_t SelectionBorderWidth = 2;
  TColor SelectionColor = 0xFFFFFF;
};
using TsGeneralDataArray = std::vector<TsGeneralData>;

// A named image of a section: a rectangle R of the master bitmap holding ImageCount state
// frames side by side (MaskType 1: a second row below them is their alpha mask), or an own
// bitmap Bmp of three states side by side over their mask. The table owns Bmp (records of one
// file share it); painters get the record by value and never free it.
struct TsMaskData {
  TBitmap* Bmp = nullptr;
  std::string SectionName;   // upper case
  std::string PropertyName;  // upper case: "BORDERSMASK", "GLYPHMASK", "IMAGEFILE", ...
  RECT R{};
  int16_t ImageCount = 0;
  int16_t MaskType = 0;
};
using TsMaskArray = std::vector<TsMaskData>;

struct TsPatternData {
  TJPEGImage* Img = nullptr;  // owned by the table; records of one file share it
  std::string SectionName;    // upper case
  std::string PropertyName;   // upper case
};
using TsPatternArray = std::vector<TsPatternData>;

// The parent's cache bitmap as a control sees it: where the control lies in it and whether it
// can be read. Passed by value into the painters.
struct TsCacheInfo {
  TBitmap* Bmp = nullptr;
  int X = 0;
  int Y = 0;
  bool Ready = false;
};
// Never ready: passed where key pixels must not show the parent's background.
extern const TsCacheInfo EmptyCI;

// The process-wide skin state. Every look-up answers "none" while SkinLoaded is false.
struct TsSkinData {
  TsSkinManager* DefaultManager = nullptr;  // the first skin manager of the process
  TMemIniFile* SkinIni = nullptr;           // the active folder skin's Options.dat; owned
  std::string SkinPath;                     // its folder with a trailing backslash
  bool SkinLoaded = false;
  ~TsSkinData();
};
TsSkinData& SkinData();

// True while a new skin is announced: styles neither invalidate nor mark their caches.
extern bool SkinChanging;

// The tables of the active skin.
extern TsGeneralDataArray SkinGeneralData;
extern TsMaskArray SkinMasks;
extern TsPatternArray SkinPatterns;
extern TBitmap* MasterBitmap;  // nil when the skin has none

// Indexes most painters need, recomputed after every skin change; -1: not in this skin.
// The four-entry arrays follow TsSideIndex.
enum TsSideIndex { siTop, siBottom, siLeft, siRight };
struct TsCommonSkinIndexes {
  int16_t GlobalInfo = -1;
  int16_t Tab[4] = {-1, -1, -1, -1};  // "TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"
  int16_t TabMask[4] = {-1, -1, -1, -1};
  int16_t ScrollBtn[4] = {-1, -1, -1, -1};  // "SCROLLBTNTOP" ... "SCROLLBTNRIGHT"
  int16_t ScrollBtnMask[4] = {-1, -1, -1, -1};
  int16_t ScrollBtnImage[4] = {-1, -1, -1, -1};
  int16_t ScrollBtnHotImage[4] = {-1, -1, -1, -1};
  int16_t ScrollBtnGlyph[4] = {-1, -1, -1, -1};
  int16_t ScrollSliderV = -1;
  int16_t ScrollSliderH = -1;
  int16_t ScrollSliderVMask = -1;
  int16_t ScrollSliderHMask = -1;
  int16_t ScrollSliderVGlyph = -1;
  int16_t ScrollSliderHGlyph = -1;
  int16_t ScrollSliderHImage = -1;
  int16_t ScrollSliderHHotImage = -1;
  int16_t ScrollSliderVImage = -1;
  int16_t ScrollSliderVHotImage = -1;
  // "SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V" in that order.
  int16_t ScrollBar[4] = {-1, -1, -1, -1};
  int16_t ScrollBarMask[4] = {-1, -1, -1, -1};
  int16_t ScrollBarImage[4] = {-1, -1, -1, -1};
  int16_t ScrollBarHotImage[4] = {-1, -1, -1, -1};
  // Glyph masks of "GLOBALINFO".
  int16_t CheckBoxChecked = -1;
  int16_t CheckBoxUnchecked = -1;
  int16_t CheckBoxGrayed = -1;
  int16_t RadioButtonChecked = -1;
  int16_t RadioButtonUnchecked = -1;
  int16_t RadioButtonGrayed = -1;
  int16_t SmallCheckBoxChecked = -1;
  int16_t SmallCheckBoxUnchecked = -1;
  int16_t SmallCheckBoxGrayed = -1;
};
extern TsCommonSkinIndexes CommonSkinIndexes;

// Index of the first section of that name (letter case ignored); -1 when none or no skin.
int GetSkinIndex(const std::string& section);
// The section's (or, through ParentClassName, an ancestor's) mask of that property; the
// property is compared exactly (masks are stored upper case). -1 when none.
int GetMaskIndex(int skin_index, const std::string& section, const std::string& property);
int GetPatternIndex(int skin_index, const std::string& section, const std::string& property);
bool IsValidSkinIndex(int index);
bool IsValidImgIndex(int index);
// Width and height of one state frame of a mask; 0 x 0 for an invalid index or a mask whose
// counts give no frame.
SIZE GetMaskFrameSize(int mask_index);
void UpdateCommonSkinIndexes();
// Frees every mask's own image and the master bitmap and empties the mask table.
void FreeAllMasks();
void FreeAllPatterns();
// Empties all three tables, frees the master bitmap and the skin ini (at process end).
void FreeAllSkinTables();
