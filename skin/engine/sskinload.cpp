// Loading a skin into the tables.
#include "skin/engine/sskinload.h"

#include <algorithm>
#include <memory>
#include <set>

#include "skin/engine/sgradient.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sutils.h"
#include "toolkit/bitmap.h"
#include "toolkit/inifiles.h"
#include "toolkit/jpeg.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

constexpr TColor kMasterTransparent = 0xFF00FF;
// Patterns bigger than this are refused before decoding (a lying header would ask for
// gigabytes).
constexpr int kMaxPatternSide = 4096;
constexpr int64_t kMaxPatternPixels = int64_t{16} << 20;

bool Contains(const std::string& s, const char* part) { return s.find(part) != std::string::npos; }

std::string ResolvePath(const std::string& name, const std::string& skin_path) {
  return Contains(name, ":") ? name : skin_path + name;
}

// ---- Masks ---------------------------------------------------------------------------------

// "#(L,T,R,B) N,M" as a mask of the master bitmap; false when it does not make a usable mask.
bool ParseMasterRect(const std::string& value, TsMaskData& mask) {
  const std::string rect = ExtractWord(2, value, " ()");
  const std::string counts = ExtractWord(3, value, " ()");
  int n[6];
  if (WordCount(rect, ",") != 4 || WordCount(counts, ",") != 2) return false;
  for (int i = 0; i < 4; ++i)
    if (!TryStrToInt(ExtractWord(i + 1, rect, ","), n[i])) return false;
  for (int i = 0; i < 2; ++i)
    if (!TryStrToInt(ExtractWord(i + 1, counts, ","), n[4 + i])) return false;
  mask.R = RECT{n[0], n[1], n[2], n[3]};
  mask.ImageCount = static_cast<int16_t>(std::clamp(n[4], 1, 1000));
  mask.MaskType = static_cast<int16_t>(std::clamp(n[5], 0, 1));
  return true;
}

// A master-bitmap mask must lie inside the master bitmap and give frames of at least a pixel.
bool FitsMaster(const TsMaskData& mask) {
  if (!MasterBitmap) return false;
  const RECT& r = mask.R;
  if (r.left < 0 || r.top < 0 || r.right > MasterBitmap->GetWidth() || r.bottom > MasterBitmap->GetHeight())
    return false;
  return (r.right - r.left) / mask.ImageCount > 0 && (r.bottom - r.top) / (mask.MaskType + 1) > 0;
}

// An own image holds three states over their masks: it needs a pixel for each frame.
bool FitsOwnImage(const TBitmap& bmp) { return bmp.GetWidth() >= 3 && bmp.GetHeight() >= 2; }

// A BMP file, or null when it is missing or broken.
TBitmap* LoadBitmapFile(const std::string& file) {
  if (!FileExists(file)) return nullptr;
  auto* bmp = new TBitmap;
  try {
    bmp->LoadFromFile(file);
  } catch (const Exception&) {
    delete bmp;
    return nullptr;
  }
  return bmp;
}

// One key of a folder skin's (or the common sections') section.
void AddMaskEntry(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& skin_path) {
  TsMaskData mask;
  mask.SectionName = AnsiUpperCase(section);
  mask.PropertyName = AnsiUpperCase(key);
  if (MasterBitmap && Contains(value, "#")) {
    if (value == "#") return;
    if (ParseMasterRect(value, mask) && FitsMaster(mask)) SkinMasks.push_back(mask);
    return;
  }
  if (!Contains(AnsiUpperCase(value), ".BMP")) return;
  TBitmap* bmp = LoadBitmapFile(ResolvePath(value, skin_path));
  if (!bmp) return;
  if (!FitsOwnImage(*bmp)) {
    delete bmp;
    return;
  }
  try {
    bmp->SetPixelFormat(pf24bit);
  } catch (const Exception&) {
    ShowError("Error of PixelFormat changing");
  }
  mask.Bmp = bmp;
  SkinMasks.push_back(mask);
}

// Calls entry(section, key, value) for every key of every section, in file order.
template <class Entry>
void ForEachIniValue(TMemIniFile& ini, Entry entry) {
  TStringList sections, keys;
  ini.ReadSections(sections);
  for (int s = 0; s < sections.Count(); ++s) {
    const std::string section = sections.Get(s);
    ini.ReadSection(section, keys);
    for (int k = 0; k < keys.Count(); ++k)
      entry(section, keys.Get(k), ini.ReadString(section, keys.Get(k), "-"));
  }
}

// The common sections as an ini document; null when there are none.
std::unique_ptr<TMemIniFile> CommonIni(const TsSkinSource& source, const char* name) {
  if (!source.common_sections || source.common_sections->Count() == 0) return nullptr;
  auto ini = std::make_unique<TMemIniFile>();
  ini->Rename(name, false);
  ini->SetStrings(*source.common_sections);
  return ini;
}

void LoadMasterBitmap(const TsSkinSource& source) {
  const std::string name = source.ini->ReadString("GLOBALINFO", "MASTERBITMAP", "");
  if (name.empty()) return;
  TBitmap* bmp = LoadBitmapFile(ResolvePath(name, source.path));
  if (!bmp) return;
  try {
    bmp->SetPixelFormat(pf24bit);
  } catch (const Exception&) {
    delete bmp;
    return;
  }
  bmp->SetTransparent(true);
  bmp->SetTransparentColor(kMasterTransparent);
  MasterBitmap = bmp;
}

void LoadStoredMasks(const TsStoredSkin& stored) {
  if (!stored.GetMasterBitmap()->GetEmpty()) {
    MasterBitmap = new TBitmap;
    MasterBitmap->Assign(stored.GetMasterBitmap());
    MasterBitmap->SetTransparent(true);
    MasterBitmap->SetTransparentColor(kMasterTransparent);
  }
  const TsSkinImages& images = *stored.GetImages();
  for (int i = 0; i < images.GetCount(); ++i) {
    const TsSkinImage& item = *images.GetItem(i);
    TsMaskData mask;
    mask.SectionName = AnsiUpperCase(item.SectionName);
    mask.PropertyName = AnsiUpperCase(item.PropertyName);
    if (item.ImageCount == 0) {
      if (!FitsOwnImage(*item.GetImage())) continue;
      mask.Bmp = new TBitmap;
      mask.Bmp->Assign(item.GetImage());
    } else {
      mask.R = RECT{item.Left, item.Top, item.Right, item.Bottom};
      mask.ImageCount = static_cast<int16_t>(std::clamp(item.ImageCount, 1, 1000));
      mask.MaskType = static_cast<int16_t>(std::clamp(item.MaskType, 0, 1));
      if (!FitsMaster(mask)) continue;
    }
    SkinMasks.push_back(mask);
  }
}

// ---- Patterns ------------------------------------------------------------------------------

bool IsPatternValue(const std::string& value) {
  const std::string upper = AnsiUpperCase(value);
  return Contains(upper, ".JPG") || Contains(upper, ".JPEG");
}

// The image data ends with its end marker; a file cut short does not.
bool HasEndMarker(const std::vector<uint8_t>& data) {
  for (size_t i = data.size(); i >= 2; --i)
    if (data[i - 2] == 0xFF && data[i - 1] == 0xD9) return true;
  return false;
}

// A JPEG file decoded in full, or null when it is missing, broken, cut or too large.
TJPEGImage* LoadPatternFile(const std::string& file) {
  if (!FileExists(file)) return nullptr;
  auto* jpeg = new TJPEGImage;
  try {
    jpeg->LoadFromFile(file);
    const int w = jpeg->GetWidth(), h = jpeg->GetHeight();
    if (w < 1 || h < 1 || w > kMaxPatternSide || h > kMaxPatternSide || int64_t{w} * h > kMaxPatternPixels ||
        !HasEndMarker(jpeg->GetData()))
      throw EInvalidGraphic("Pattern image refused");
    jpeg->DIBNeeded();
  } catch (const Exception&) {
    delete jpeg;
    return nullptr;
  }
  return jpeg;
}

void AddPatternEntry(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& skin_path) {
  if (!IsPatternValue(value)) return;
  TJPEGImage* jpeg = LoadPatternFile(ResolvePath(value, skin_path));
  if (!jpeg) return;
  SkinPatterns.push_back(TsPatternData{jpeg, AnsiUpperCase(section), AnsiUpperCase(key)});
}

// ---- General data --------------------------------------------------------------------------

TsGradArray ParseGradientOrNone(const std::string& data) {
  TsGradArray arr;
  if (data == " ") return arr;
  try {
    ParseGradientData(data, arr);
  } catch (const Exception&) {
    arr.clear();  // a gradient with a bad number is no gradient
  }
  return arr;
}

TsControlBevel ControlBevel(int value) {
  return value >= cbNone && value <= cbLoweredHard ? static_cast<TsControlBevel>(value) : cbNone;
}
TsEditorBevel EditorBevel(int value) {
  return value >= ebNone && value <= ebAsBottomBorder ? static_cast<TsEditorBevel>(value) : ebNone;
}

// Keeps painters inside their bitmaps and loops short whatever a skin says.
void ClampGeneralData(TsGeneralData& g) {
  for (int32_t* percent :
       {&g.ShadowTransparency, &g.PaintingTransparency, &g.GradientPercent, &g.ImagePercent,
        &g.HotPaintingTransparency, &g.HotGradientPercent, &g.HotImagePercent})
    *percent = std::clamp(*percent, 0, 100);
  for (int32_t* width :
       {&g.PaintingBevelWidth, &g.HotPaintingBevelWidth, &g.SelectionBorderWidth, &g.ShadowBlur})
    *width = std::clamp(*width, 0, 100);
  g.ShadowOffset = std::clamp(g.ShadowOffset, -100, 100);
  g.FadingIterations = std::clamp(g.FadingIterations, 0, 100);
  g.FadingIntervalIn = std::clamp(g.FadingIntervalIn, 1, 1000);
  g.FadingIntervalOut = std::clamp(g.FadingIntervalOut, 1, 1000);
  g.PaintingBevel = ControlBevel(g.PaintingBevel);
  g.HotPaintingBevel = ControlBevel(g.HotPaintingBevel);
  g.SelectionBorderBevel = EditorBevel(g.SelectionBorderBevel);
}

bool IsTrue(const std::string& s) { return AnsiUpperCase(s) == "TRUE"; }

TsGeneralData ReadFolderSection(TMemIniFile* ini, const std::string& s) {
  TsGeneralData g;
  auto num = [&](const char* key, int def) { return ReadSkinInteger(s, key, def, ini); };
  auto str = [&](const char* key, const char* def) { return ReadSkinString(s, key, def, ini); };
  auto flag = [&](const char* key) { return IsTrue(ReadSkinString(s, key, "FALSE", ini)); };
  g.SectionName = s;
  g.ParentClassName = ini->ReadString(s, "ParentClassName", "");
  g.PaintingColor = num("PaintingColor", 0xFFFFFF);
  g.PaintingBevel = ControlBevel(num("PaintingBevel", cbNone));
  g.PaintingBevelWidth = num("PaintingBevelWidth", 2);
  g.FontColor = {num("FONTCOLOR", 0), num("TCLEFT", -1), num("TCTOP", -1), num("TCRIGHT", -1),
                 num("TCBOTTOM", -1)};
  g.HotFontColor = {num("HOTFONTCOLOR", 0), num("HOTTCLEFT", -1), num("HOTTCTOP", -1), num("HOTTCRIGHT", -1),
                    num("HOTTCBOTTOM", -1)};
  g.ReservedBoolean = flag("RESERVEDBOOLEAN");
  g.ShadowBlur = num("ShadowBlur", 6);
  g.ShadowColor = ini->ReadInteger(s, "ShadowColor", 0);
  g.ShadowEnabled = flag("ShadowEnabled");
  g.ShadowOffset = num("ShadowOffset", 3);
  g.ShadowTransparency = num("ShadowTransparency", 50);
  g.PaintingTransparency = num("PaintingTransparency", 0);
  g.GradientPercent = num("GradientPercent", 0);
  g.GradientData = str("GradientData", " ");
  g.GradientArray = ParseGradientOrNone(g.GradientData);
  g.ImagePercent = num("ImagePercent", 0);
  g.ShowFocus = flag("ShowFocus");
  g.FadingEnabled = flag("FadingEnabled");
  g.FadingIntervalIn = num("FadingIntervalIn", 5);
  g.FadingIntervalOut = num("FadingIntervalOut", 5);
  g.FadingIterations = num("FadingIterations", 5);
  g.HotPaintingColor = num("HotPaintingColor", 0xFFFFFF);
  g.HotPaintingTransparency = num("HotPaintingTransparency", 0);
  g.HotPaintingBevel = ControlBevel(num("HotPaintingBevel", cbNone));
  g.HotPaintingBevelWidth = num("HotPaintingBevelWidth", 2);
  g.HotGradientPercent = num("HotGradientPercent", 0);
  g.HotGradientData = str("HotGradientData", "");
  g.HotGradientArray = ParseGradientOrNone(g.HotGradientData);
  g.HotImagePercent = num("HotImagePercent", 0);
  g.PaintingColorBorderTop = num("PaintingColorBorderTop", 0);
  g.PaintingColorBorderBottom = num("PaintingColorBorderBottom", 0);
  g.SelectionBorderBevel = EditorBevel(num("SelectionBorderBevel", ebLowered));
  g.SelectionBorderWidth = num("SelectionBorderWidth", 2);
  g.SelectionColor = num("SelectionColor", 0xFFFFFF);
  return g;
}

void ReadFontColors(const std::string& text, TsFontColors& colors) {
  colors = TsFontColors{};
  if (text.empty() || WordCount(text, " ") != 5) return;
  colors.Color = StrToInt(ExtractWord(1, text, " "));
  colors.Left = StrToInt(ExtractWord(2, text, " "));
  colors.Top = StrToInt(ExtractWord(3, text, " "));
  colors.Right = StrToInt(ExtractWord(4, text, " "));
  colors.Bottom = StrToInt(ExtractWord(5, text, " "));
}

// Fills g field by field; a bad number raises and leaves the rest as it was.
void CopyStoredSection(const TsSkinGeneral& item, TsGeneralData& g) {
  g.SectionName = item.SectionName;
  g.ParentClassName = item.ParentClassName;
  g.PaintingColor = item.PaintingColor;
  g.PaintingBevel = item.PaintingBevel;
  g.PaintingBevelWidth = item.PaintingBevelWidth;
  g.ReservedBoolean = item.ReservedBoolean;
  g.ShadowBlur = item.ShadowBlur;
  g.ShadowColor = item.ShadowColor;
  g.ShadowEnabled = item.ShadowEnabled;
  g.ShadowOffset = item.ShadowOffset;
  g.ShadowTransparency = item.ShadowTransparency;
  g.PaintingTransparency = item.PaintingTransparency;
  g.GradientPercent = item.GradientPercent;
  g.GradientData = item.GradientData;
  g.ImagePercent = item.ImagePercent;
  g.ShowFocus = item.ShowFocus;
  g.FadingEnabled = item.FadingEnabled;
  g.FadingIntervalIn = item.FadingIntervalIn;
  g.FadingIntervalOut = item.FadingIntervalOut;
  g.FadingIterations = item.FadingIterations;
  g.HotPaintingColor = item.HotPaintingColor;
  g.HotPaintingTransparency = item.HotPaintingTransparency;
  g.HotPaintingBevel = item.HotPaintingBevel;
  g.HotPaintingBevelWidth = item.HotPaintingBevelWidth;
  g.HotGradientPercent = item.HotGradientPercent;
  g.HotGradientData = item.HotGradientData;
  g.HotImagePercent = item.HotImagePercent;
  g.PaintingColorBorderTop = item.PaintingColorBorderTop;
  g.PaintingColorBorderBottom = item.PaintingColorBorderBottom;
  g.SelectionBorderBevel = item.SelectionBorderBevel;
  g.SelectionBorderWidth = item.SelectionBorderWidth;
  g.SelectionColor = item.SelectionColor;
  ParseGradientData(g.GradientData, g.GradientArray);
  ParseGradientData(g.HotGradientData, g.HotGradientArray);
  ReadFontColors(item.FontColor, g.FontColor);
  ReadFontColors(item.HotFontColor, g.HotFontColor);
}

// One common section on top of its parent record (or the folder defaults).
TsGeneralData ReadCommonSection(const TStrings& sections, const std::string& s) {
  const std::string parent_name = AnsiUpperCase(ReadSectionString(sections, s, "ParentClassName", "-1"));
  const TsGeneralData* parent = nullptr;
  for (const TsGeneralData& g : SkinGeneralData)
    if (AnsiUpperCase(g.SectionName) == parent_name) {
      parent = &g;
      break;
    }
  const TsGeneralData base = parent ? *parent : TsGeneralData{};
  TsGeneralData g = base;
  g.SectionName = s;
  g.ParentClassName = parent_name;
  auto num = [&](const char* key, int inherited) {
    const int v = ReadSectionInteger(sections, s, key, -1);
    return v == -1 ? inherited : v;
  };
  auto str = [&](const char* key, const std::string& inherited) {
    const std::string v = ReadSectionString(sections, s, key, "?");
    return v == "?" ? inherited : v;
  };
  auto flag = [&](const char* key, bool inherited) {
    const std::string v = ReadSectionString(sections, s, key, "?");
    return v == "?" ? inherited : IsTrue(v);
  };
  g.PaintingColor = num("PaintingColor", base.PaintingColor);
  g.PaintingBevel = ControlBevel(num("PaintingBevel", base.PaintingBevel));
  g.PaintingBevelWidth = num("PaintingBevelWidth", base.PaintingBevelWidth);
  g.FontColor = {num("FONTCOLOR", base.FontColor.Color), num("TCLEFT", base.FontColor.Left),
                 num("TCTOP", base.FontColor.Top), num("TCRIGHT", base.FontColor.Right),
                 num("TCBOTTOM", base.FontColor.Bottom)};
  g.HotFontColor = {num("HOTFONTCOLOR", base.HotFontColor.Color), num("HOTTCLEFT", base.HotFontColor.Left),
                    num("HOTTCTOP", base.HotFontColor.Top), num("HOTTCRIGHT", base.HotFontColor.Right),
                    num("HOTTCBOTTOM", base.HotFontColor.Bottom)};
  g.ReservedBoolean = flag("RESERVEDBOOLEAN", base.ReservedBoolean);
  g.ShadowBlur = num("ShadowBlur", base.ShadowBlur);
  g.ShadowColor = num("ShadowColor", base.ShadowColor);
  g.ShadowEnabled = flag("ShadowEnabled", base.ShadowEnabled);
  g.ShadowOffset = num("ShadowOffset", base.ShadowOffset);
  g.ShadowTransparency = num("ShadowTransparency", base.ShadowTransparency);
  g.PaintingTransparency = num("PaintingTransparency", base.PaintingTransparency);
  g.GradientPercent = num("GradientPercent", base.GradientPercent);
  g.GradientData = str("GradientData", base.GradientData);
  g.GradientArray = ParseGradientOrNone(g.GradientData);
  g.ImagePercent = num("ImagePercent", base.ImagePercent);
  g.ShowFocus = flag("ShowFocus", base.ShowFocus);
  g.FadingEnabled = flag("FadingEnabled", base.FadingEnabled);
  g.FadingIntervalIn = num("FadingIntervalIn", base.FadingIntervalIn);
  g.FadingIntervalOut = num("FadingIntervalOut", base.FadingIntervalOut);
  g.FadingIterations = num("FadingIterations", base.FadingIterations);
  g.HotPaintingColor = num("HotPaintingColor", base.HotPaintingColor);
  g.HotPaintingTransparency = num("HotPaintingTransparency", base.HotPaintingTransparency);
  g.HotPaintingBevel = ControlBevel(num("HotPaintingBevel", base.HotPaintingBevel));
  g.HotPaintingBevelWidth = num("HotPaintingBevelWidth", base.HotPaintingBevelWidth);
  g.HotGradientPercent = num("HotGradientPercent", base.HotGradientPercent);
  g.HotGradientData = str("HotGradientData", base.HotGradientData);
  g.HotGradientArray = ParseGradientOrNone(g.HotGradientData);
  g.HotImagePercent = num("HotImagePercent", base.HotImagePercent);
  g.PaintingColorBorderTop = num("PaintingColorBorderTop", base.PaintingColorBorderTop);
  g.PaintingColorBorderBottom = num("PaintingColorBorderBottom", base.PaintingColorBorderBottom);
  g.SelectionBorderBevel = EditorBevel(num("SelectionBorderBevel", base.SelectionBorderBevel));
  g.SelectionBorderWidth = num("SelectionBorderWidth", base.SelectionBorderWidth);
  g.SelectionColor = num("SelectionColor", base.SelectionColor);
  return g;
}

// The value of (section, key) or of the nearest ancestor that has it; `missing` when none.
// Each section is asked once, so a ParentClassName cycle ends.
template <class Read, class T>
T ReadInherited(TMemIniFile* ini, const std::string& section, const std::string& key, T missing, Read read) {
  if (!ini) ini = SkinData().SkinIni;
  if (!ini) return missing;
  std::set<std::string> asked;
  std::string current = section;
  while (asked.insert(AnsiUpperCase(current)).second) {
    T value = read(*ini, current, key, missing);
    if (value != missing) return value;
    const std::string parent = ini->ReadString(current, "ParentClassName", "?");
    if (parent.empty() || parent == "?") break;
    current = parent;
  }
  return missing;
}

}  // namespace

// ---- Entry points --------------------------------------------------------------------------

TsSkinSource CurrentSkinSource() {
  TsSkinSource source;
  TsSkinManager* manager = SkinData().DefaultManager;
  source.ini = SkinData().SkinIni;
  source.path = SkinData().SkinPath;
  if (manager) {
    source.common_sections = manager->GetCommonSections();
    if (!source.ini) source.stored = manager->GetInternalSkins()->Find(manager->GetSkinName());
  }
  return source;
}

std::string ReadSkinString(const std::string& section, const std::string& key,
                           const std::string& default_value, TMemIniFile* ini) {
  std::string v = ReadInherited(ini, section, key, std::string("?"),
                                [](TMemIniFile& f, const std::string& s, const std::string& k,
                                   const std::string& m) { return f.ReadString(s, k, m); });
  return v == "?" ? default_value : v;
}

int ReadSkinInteger(const std::string& section, const std::string& key, int default_value, TMemIniFile* ini) {
  int v = ReadInherited(ini, section, key, -1,
                        [](TMemIniFile& f, const std::string& s, const std::string& k, int m) {
                          return f.ReadInteger(s, k, m);
                        });
  return v == -1 ? default_value : v;
}

void LoadAllMasks(const TsSkinSource& source) {
  FreeAllMasks();
  std::string path;
  if (source.ini) {
    LoadMasterBitmap(source);
    path = source.path;
    ForEachIniValue(*source.ini, [&](const std::string& s, const std::string& k, const std::string& v) {
      AddMaskEntry(s, k, v, path);
    });
  } else if (source.stored) {
    LoadStoredMasks(*source.stored);
  } else {
    return;
  }
  if (auto common = CommonIni(source, "1.tmp"))
    ForEachIniValue(*common, [&](const std::string& s, const std::string& k, const std::string& v) {
      if (AnsiUpperCase(s) != "GLOBALINFO") AddMaskEntry(s, k, v, path);
    });
}

void LoadAllPatterns(const TsSkinSource& source) {
  FreeAllPatterns();
  std::string path;
  if (source.ini) {
    path = source.path;
    ForEachIniValue(*source.ini, [&](const std::string& s, const std::string& k, const std::string& v) {
      AddPatternEntry(s, k, v, path);
    });
  } else if (source.stored) {
    const TsSkinPatterns& patterns = *source.stored->GetPatterns();
    for (int i = 0; i < patterns.GetCount(); ++i) {
      const TsSkinPattern& item = *patterns.GetItem(i);
      auto* jpeg = new TJPEGImage;
      jpeg->Assign(item.GetImage());
      SkinPatterns.push_back(
          TsPatternData{jpeg, AnsiUpperCase(item.SectionName), AnsiUpperCase(item.PropertyName)});
    }
  } else {
    return;
  }
  if (auto common = CommonIni(source, "2.tmp"))
    ForEachIniValue(*common, [&](const std::string& s, const std::string& k, const std::string& v) {
      AddPatternEntry(s, k, v, path);
    });
}

void LoadAllGeneralData(const TsSkinSource& source) {
  SkinGeneralData.clear();
  if (source.ini) {
    TStringList sections;
    source.ini->ReadSections(sections);
    for (int i = 0; i < sections.Count(); ++i)
      SkinGeneralData.push_back(ReadFolderSection(source.ini, sections.Get(i)));
  } else if (source.stored) {
    const TsSkinGenerals& items = *source.stored->GetGeneralData();
    for (int i = 0; i < items.GetCount(); ++i) {
      SkinGeneralData.emplace_back();
      try {
        CopyStoredSection(*items.GetItem(i), SkinGeneralData.back());
      } catch (const Exception&) {
        // The record keeps what was copied before the bad value.
      }
    }
  } else {
    return;
  }
  if (source.common_sections && source.common_sections->Count() > 0) {
    TStringList sections;
    ReadIniSections(*source.common_sections, sections);
    try {
      for (int i = 0; i < sections.Count(); ++i)
        SkinGeneralData.push_back(ReadCommonSection(sections, sections.Get(i)));
    } catch (...) {
      FreeIniSections(sections);
      throw;
    }
    FreeIniSections(sections);
  }
  for (TsGeneralData& g : SkinGeneralData) ClampGeneralData(g);
}
