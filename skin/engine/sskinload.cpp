// Loading a skin into the tables.
#include "skin/engine/sskinload.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "skin/engine/sgradient.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintext.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sutils.h"
#include "toolkit/bitmap.h"
#include "toolkit/filenames.h"
#include "toolkit/inifiles.h"
#include "toolkit/jpeg.h"
#include "toolkit/streams.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

constexpr TColor kMasterTransparent = 0xFF00FF;
// Patterns bigger than this are refused before decoding (a lying header would ask for
// gigabytes).
constexpr int kMaxPatternSide = 4096;
constexpr int64_t kMaxPatternPixels = int64_t{16} << 20;
// All pictures of one table together (each file counted once): beyond this a picture is
// left out like a broken one.
constexpr int64_t kMaxTablePixels = int64_t{32} << 20;

// What no real skin comes near; a folder beyond any of them is refused as a whole.
constexpr int64_t kMaxOptionsBytes = int64_t{4} << 20;
constexpr size_t kMaxSkinName = 256;        // a section or key name (each look-up upper-cases it)
constexpr size_t kMaxSkinText = 64 * 1024;  // a key with its value
constexpr int kMaxSkinSections = 2000;
constexpr int kMaxParentDepth = 64;  // sections on the way through ParentClassName
constexpr int kMaxGradientSteps = 256;
constexpr int kMaxSkinPictures = 4000;     // keys naming a file or a rectangle of the master
constexpr size_t kMaxPictureFiles = 1000;  // different file names among them
// A BMP file may hold this many times what its headers declare, and a little more (the rows
// behind a gap, a colour profile); beyond that it is no skin's picture.
constexpr int64_t kMaxBmpOverImage = 2;
constexpr int64_t kMaxBmpSlack = 64 * 1024;

// A mask's frame count and mask type as the tables keep them: a count below 1 is 1 and a type
// below 0 is 0 (either would give frames of no size, or divide by zero); larger values stay as
// written, only held within the tables' 16 bits.
int16_t KeptImageCount(int written) { return static_cast<int16_t>(std::clamp<int>(written, 1, INT16_MAX)); }
int16_t KeptMaskType(int written) { return static_cast<int16_t>(std::clamp<int>(written, 0, INT16_MAX)); }

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
  mask.ImageCount = KeptImageCount(n[4]);
  mask.MaskType = KeptMaskType(n[5]);
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

// A BMP file, or null when it is missing or broken, or far larger than its own headers declare
// (a sparse gigabyte behind a small image): no skin's picture is, and only the declared bytes
// would be read anyway.
TBitmap* LoadBitmapFile(const std::string& file) {
  if (!FileExists(file)) return nullptr;
  auto* bmp = new TBitmap;
  try {
    TFileStream stream(file, fmOpenRead | fmShareDenyWrite);
    const int64_t image = TBitmap::Extent(stream).image;
    if (image > 0 && stream.GetSize() > kMaxBmpOverImage * image + kMaxBmpSlack)
      throw EInvalidGraphic("Bitmap file is far larger than its image");
    bmp->LoadFromStream(stream);
  } catch (const Exception&) {
    delete bmp;
    return nullptr;
  }
  return bmp;
}

// The pictures one loader has read, by file name: a file that many keys name is read and held
// once, and all of them together stay within kMaxTablePixels. The table owns the pictures.
template <class Picture>
class TPictureCache {
 public:
  // The picture of the file, read by load(file, *this) the first time (which spends its
  // pixels before decoding them); null when it cannot be used.
  template <class Load>
  Picture* Get(const std::string& file, Load load) {
    const std::string key = AnsiUpperCase(file);
    auto found = pictures_.find(key);
    if (found != pictures_.end()) return found->second;
    return pictures_[key] = load(file, *this);
  }
  // Whether a picture of this size still fits; counts it when it does.
  bool Spend(int width, int height) {
    const int64_t pixels = int64_t{std::max(width, 0)} * std::max(height, 0);
    if (pixels > kMaxTablePixels - spent_) return false;
    spent_ += pixels;
    return true;
  }

 private:
  std::unordered_map<std::string, Picture*> pictures_;
  int64_t spent_ = 0;
};
using TBitmapCache = TPictureCache<TBitmap>;

// A BMP file as an own-image mask (24 bits per pixel, big enough for its frames), or null.
TBitmap* LoadMaskFile(const std::string& file, TBitmapCache& budget) {
  TBitmap* bmp = LoadBitmapFile(file);
  if (!bmp) return nullptr;
  if (!FitsOwnImage(*bmp) || !budget.Spend(bmp->GetWidth(), bmp->GetHeight())) {
    delete bmp;
    return nullptr;
  }
  try {
    bmp->SetPixelFormat(pf24bit);
  } catch (const Exception&) {
    ShowError(SkinText(IDS_SKIN_PIXEL_FORMAT, "Error of PixelFormat changing"));
  }
  return bmp;
}

// One key of a folder skin's (or the common sections') section.
void AddMaskEntry(const std::string& section, const std::string& key, const std::string& value,
                  const std::string& skin_path, TBitmapCache& pictures) {
  TsMaskData mask;
  mask.SectionName = AnsiUpperCase(section);
  mask.PropertyName = AnsiUpperCase(key);
  if (MasterBitmap && Contains(value, "#")) {
    if (value == "#") return;
    if (ParseMasterRect(value, mask) && FitsMaster(mask)) SkinMasks.push_back(mask);
    return;
  }
  if (!Contains(AnsiUpperCase(value), ".BMP")) return;
  mask.Bmp = pictures.Get(ResolvePath(value, skin_path), LoadMaskFile);
  if (!mask.Bmp) return;
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

void LoadMasterBitmap(const TsSkinSource& source, TBitmapCache& budget) {
  const std::string name = source.ini->ReadString("GLOBALINFO", "MASTERBITMAP", "");
  if (name.empty()) return;
  TBitmap* bmp = LoadBitmapFile(ResolvePath(name, source.path));
  if (!bmp) return;
  if (!budget.Spend(bmp->GetWidth(), bmp->GetHeight())) {
    delete bmp;
    return;
  }
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
    mask.R = RECT{item.Left, item.Top, item.Right, item.Bottom};
    if (item.ImageCount == 0) {
      // An own image keeps what was stored beside it; its painters read neither.
      if (!FitsOwnImage(*item.GetImage())) continue;
      mask.Bmp = new TBitmap;
      mask.Bmp->Assign(item.GetImage());
      mask.MaskType = KeptMaskType(item.MaskType);
    } else {
      mask.ImageCount = KeptImageCount(item.ImageCount);
      mask.MaskType = KeptMaskType(item.MaskType);
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

using TJpegCache = TPictureCache<TJPEGImage>;

// A JPEG file decoded in full, or null when it is missing, broken, cut or too large.
TJPEGImage* LoadPatternFile(const std::string& file, TJpegCache& budget) {
  if (!FileExists(file)) return nullptr;
  auto* jpeg = new TJPEGImage;
  try {
    jpeg->LoadFromFile(file);
    const int w = jpeg->GetWidth(), h = jpeg->GetHeight();
    if (w < 1 || h < 1 || w > kMaxPatternSide || h > kMaxPatternSide || int64_t{w} * h > kMaxPatternPixels ||
        !HasEndMarker(jpeg->GetData()) || !budget.Spend(w, h))
      throw EInvalidGraphic("Pattern image refused");
    jpeg->DIBNeeded();
  } catch (const Exception&) {
    delete jpeg;
    return nullptr;
  }
  return jpeg;
}

void AddPatternEntry(const std::string& section, const std::string& key, const std::string& value,
                     const std::string& skin_path, TJpegCache& pictures) {
  if (!IsPatternValue(value)) return;
  TJPEGImage* jpeg = pictures.Get(ResolvePath(value, skin_path), LoadPatternFile);
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
  // A timer of 0 ms would fire without pause; a long interval only makes a slow fade.
  g.FadingIntervalIn = std::max(g.FadingIntervalIn, 1);
  g.FadingIntervalOut = std::max(g.FadingIntervalOut, 1);
  g.PaintingBevel = ControlBevel(g.PaintingBevel);
  g.HotPaintingBevel = ControlBevel(g.HotPaintingBevel);
  g.SelectionBorderBevel = EditorBevel(g.SelectionBorderBevel);
}

bool IsTrue(const std::string& s) { return AnsiUpperCase(s) == "TRUE"; }

// The ParentClassName links of a folder skin's sections, worked out once: the parent's index
// (-1: none or no such section), the order that puts every parent before its children, and
// how many sections a look-up walks from each.
struct TParentLinks {
  std::vector<std::string> names;  // file order
  std::vector<int> parent;
  std::vector<int> order;
  std::vector<bool> in_cycle;
  std::vector<int> depth;

  TParentLinks(TMemIniFile& ini, const TStrings& sections) {
    std::unordered_map<std::string, int> index;
    for (int i = 0; i < sections.Count(); ++i) {
      names.push_back(sections.Get(i));
      index.emplace(AnsiUpperCase(names.back()), i);
    }
    const size_t n = names.size();
    for (const std::string& name : names) {
      const std::string p = ini.ReadString(name, "ParentClassName", "?");
      auto found = p.empty() || p == "?" ? index.end() : index.find(AnsiUpperCase(p));
      parent.push_back(found == index.end() ? -1 : found->second);
    }
    in_cycle.assign(n, false);
    depth.assign(n, 0);
    std::vector<char> state(n, 0);  // 0 not seen, 1 on the current path, 2 done
    std::vector<int> path;
    for (size_t start = 0; start < n; ++start) {
      int i = static_cast<int>(start);
      for (; i >= 0 && state[i] == 0; i = parent[i]) {
        state[i] = 1;
        path.push_back(i);
      }
      if (i >= 0 && state[i] == 1) {  // came back: the path from i on is a cycle
        const auto from = std::find(path.begin(), path.end(), i);
        const int length = static_cast<int>(path.end() - from);
        for (auto c = from; c != path.end(); ++c) {
          in_cycle[*c] = true;
          depth[*c] = length;
        }
      }
      for (auto c = path.rbegin(); c != path.rend(); ++c) {
        if (!in_cycle[*c]) depth[*c] = 1 + (parent[*c] >= 0 ? depth[parent[*c]] : 0);
        state[*c] = 2;
        order.push_back(*c);
      }
      path.clear();
    }
  }
};

// ReadSkinString and ReadSkinInteger for every section at once: a section without the value
// takes its parent's answer, worked out before it, so a long chain costs one read per
// section and key. Sections on a cycle walk it (the checks keep it short).
class TInheritedValues {
 public:
  TInheritedValues(TMemIniFile& ini, const TParentLinks& links) : ini_(ini), links_(links) {}

  std::string String(int section, const std::string& key, const std::string& default_value) {
    const int from = Supplier(section, key, false);
    return from < 0 ? default_value : ini_.ReadString(links_.names[from], key, "?");
  }
  int Integer(int section, const std::string& key, int default_value) {
    const int from = Supplier(section, key, true);
    return from < 0 ? default_value : ini_.ReadInteger(links_.names[from], key, -1);
  }

 private:
  bool Has(int section, const std::string& key, bool integer) {
    const std::string& name = links_.names[section];
    return integer ? ini_.ReadInteger(name, key, -1) != -1 : ini_.ReadString(name, key, "?") != "?";
  }

  // The section whose value a section gets (-1: none has it), for every section of the key.
  int Supplier(int section, const std::string& key, bool integer) {
    std::vector<int>& from = suppliers_[{key, integer}];
    if (from.empty()) {
      from.assign(links_.names.size(), -1);
      for (int i : links_.order) {
        if (Has(i, key, integer))
          from[i] = i;
        else if (!links_.in_cycle[i])
          from[i] = links_.parent[i] >= 0 ? from[links_.parent[i]] : -1;
        else
          for (int c = links_.parent[i]; c != i && from[i] < 0; c = links_.parent[c])
            if (Has(c, key, integer)) from[i] = c;
      }
    }
    return from[section];
  }

  TMemIniFile& ini_;
  const TParentLinks& links_;
  std::map<std::pair<std::string, bool>, std::vector<int>> suppliers_;
};

TsGeneralData ReadFolderSection(TMemIniFile* ini, TInheritedValues& values, int index, const std::string& s) {
  TsGeneralData g;
  auto num = [&](const char* key, int def) { return values.Integer(index, key, def); };
  auto str = [&](const char* key, const char* def) { return values.String(index, key, def); };
  auto flag = [&](const char* key) { return IsTrue(values.String(index, key, "FALSE")); };
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

// Why a JPEG file of the folder is refused before anything is decoded: a scan repeated
// thousands of times costs a pass over the picture each. Empty when it is not (a file that
// cannot be read is left out at loading like a missing one).
std::string PictureFileFault(const std::string& file) {
  std::vector<uint8_t> data;
  try {
    TFileStream stream(file, fmOpenRead | fmShareDenyNone);
    if (stream.GetSize() > (int64_t{256} << 20)) return std::string();
    data.resize(static_cast<size_t>(stream.GetSize()));
    stream.ReadBuffer(data.data(), static_cast<int64_t>(data.size()));
  } catch (const Exception&) {
    return std::string();
  }
  if (CountJpegScans(data.data(), data.size(), kMaxJpegScans) <= kMaxJpegScans) return std::string();
  return SkinText(IDS_SKIN_PICTURE_SCANS, "the picture %s has more than %d scans", ExtractFileName(file),
                  kMaxJpegScans);
}

// Why Options.dat cannot be read, with the system's own reason (the stream's English sentence
// would stand in a translated box).
std::string OptionsUnreadable(DWORD error) {
  const std::string reason = SysErrorMessage(error);
  return SkinText(IDS_SKIN_OPTIONS_UNREADABLE, "Options.dat cannot be read: %s",
                  reason.empty() ? IntToStr(static_cast<int>(error)) : reason);
}

// Options.dat whole into bytes, beside any program that shares the file; empty, or why not.
std::string ReadOptionsFile(const std::string& file, std::string& bytes) {
  HANDLE handle = CreateFileW(WideFileName(file).c_str(), GENERIC_READ,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return OptionsUnreadable(GetLastError());
  std::string fault;
  LARGE_INTEGER size{};
  DWORD read = 0;
  if (!GetFileSizeEx(handle, &size)) {
    fault = OptionsUnreadable(GetLastError());
  } else if (size.QuadPart > kMaxOptionsBytes) {
    fault = SkinText(IDS_SKIN_OPTIONS_TOO_LARGE, "Options.dat holds %d bytes (at most %d)",
                     static_cast<int64_t>(size.QuadPart), kMaxOptionsBytes);
  } else {
    bytes.resize(static_cast<size_t>(size.QuadPart));
    if (!ReadFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr))
      fault = OptionsUnreadable(GetLastError());
    bytes.resize(fault.empty() ? read : 0);
  }
  CloseHandle(handle);
  return fault;
}

// Why a folder skin's description is refused; empty when it is not. Everything that loading
// walks is bounded here, so loading stays linear in the size of the folder.
std::string SkinFolderFault(TMemIniFile& ini, const std::string& folder) {
  TStringList sections, values;
  int pictures = 0;
  std::unordered_set<std::string> files;
  std::unordered_map<std::string, std::string> jpegs;  // by the upper-cased name, as first named
  ini.ReadSections(sections);
  if (sections.Count() > kMaxSkinSections)
    return SkinText(IDS_SKIN_TOO_MANY_SECTIONS, "%d sections (at most %d)", sections.Count(),
                    kMaxSkinSections);
  for (int i = 0; i < sections.Count(); ++i) {
    const std::string& section = sections.Get(i);
    if (section.size() > kMaxSkinName)
      return SkinText(IDS_SKIN_LONG_SECTION_NAME, "a section name of %d bytes",
                      static_cast<int64_t>(section.size()));
    ini.ReadSectionValues(section, values);
    for (int k = 0; k < values.Count(); ++k) {
      const std::string& line = values.Get(k);
      const size_t eq = line.find('=');
      if (eq > kMaxSkinName)
        return SkinText(IDS_SKIN_LONG_KEY_NAME, "a key name of %d bytes in [%s]", static_cast<int64_t>(eq),
                        section);
      if (line.size() > kMaxSkinText)
        return SkinText(IDS_SKIN_LONG_VALUE, "a key and value of %d bytes in [%s]",
                        static_cast<int64_t>(line.size()), section);
      const std::string value = line.substr(eq + 1);
      const std::string upper = AnsiUpperCase(value);
      if (Contains(upper, ".BMP") || IsPatternValue(upper)) files.insert(upper);
      if (IsPatternValue(upper)) jpegs.emplace(upper, value);
      if (Contains(value, "#") || Contains(upper, ".BMP") || IsPatternValue(upper)) ++pictures;
    }
    for (const char* key : {"GradientData", "HotGradientData"})
      if (WordCount(ini.ReadString(section, key, ""), ";") / 5 > kMaxGradientSteps)
        return SkinText(IDS_SKIN_LONG_GRADIENT, "a gradient of more than %d steps in [%s]", kMaxGradientSteps,
                        section);
  }
  if (pictures > kMaxSkinPictures)
    return SkinText(IDS_SKIN_TOO_MANY_PICTURES, "%d pictures (at most %d)", pictures, kMaxSkinPictures);
  if (files.size() > kMaxPictureFiles)
    return SkinText(IDS_SKIN_TOO_MANY_PICTURE_FILES, "%d picture files (at most %d)",
                    static_cast<int64_t>(files.size()), static_cast<int64_t>(kMaxPictureFiles));
  const TParentLinks links(ini, sections);
  for (size_t i = 0; i < links.names.size(); ++i)
    if (links.depth[i] > kMaxParentDepth)
      return SkinText(IDS_SKIN_LONG_PARENT_CHAIN, "a chain of %d parent sections from [%s]", links.depth[i],
                      links.names[i]);
  for (const auto& [upper, file] : jpegs) {
    const std::string fault = PictureFileFault(ResolvePath(file, folder));
    if (!fault.empty()) return fault;
  }
  return std::string();
}

}  // namespace

// ---- Entry points --------------------------------------------------------------------------

std::string SkinFolderNotUsed(const std::string& folder, const std::string& fault) {
  return SkinText(IDS_SKIN_FOLDER_NOT_USED, "The skin folder %s is not used: %s.", folder, fault);
}

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

TMemIniFile* OpenSkinFolder(const std::string& folder, std::string& fault) {
  const std::string file = folder + "Options.dat";
  std::string bytes;
  // Kept in memory whole while the skin is in use: the size is asked before anything is read.
  fault = ReadOptionsFile(file, bytes);
  if (!fault.empty()) return nullptr;
  auto ini = std::make_unique<TMemIniFile>();
  ini->Rename(file, false);
  ini->SetFileText(bytes);
  fault = SkinFolderFault(*ini, folder);
  return fault.empty() ? ini.release() : nullptr;
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
  TBitmapCache pictures;
  if (source.ini) {
    LoadMasterBitmap(source, pictures);
    path = source.path;
    ForEachIniValue(*source.ini, [&](const std::string& s, const std::string& k, const std::string& v) {
      AddMaskEntry(s, k, v, path, pictures);
    });
  } else if (source.stored) {
    LoadStoredMasks(*source.stored);
  } else {
    return;
  }
  if (auto common = CommonIni(source, "1.tmp"))
    ForEachIniValue(*common, [&](const std::string& s, const std::string& k, const std::string& v) {
      if (AnsiUpperCase(s) != "GLOBALINFO") AddMaskEntry(s, k, v, path, pictures);
    });
}

void LoadAllPatterns(const TsSkinSource& source) {
  FreeAllPatterns();
  std::string path;
  TJpegCache pictures;
  if (source.ini) {
    path = source.path;
    ForEachIniValue(*source.ini, [&](const std::string& s, const std::string& k, const std::string& v) {
      AddPatternEntry(s, k, v, path, pictures);
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
      AddPatternEntry(s, k, v, path, pictures);
    });
}

void LoadAllGeneralData(const TsSkinSource& source) {
  SkinGeneralData.clear();
  if (source.ini) {
    TStringList sections;
    source.ini->ReadSections(sections);
    const TParentLinks links(*source.ini, sections);
    TInheritedValues values(*source.ini, links);
    for (int i = 0; i < sections.Count(); ++i)
      SkinGeneralData.push_back(ReadFolderSection(source.ini, values, i, sections.Get(i)));
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
