// The active skin's tables and their look-ups.
#include "skin/engine/sskintables.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "toolkit/bitmap.h"
#include "toolkit/inifiles.h"
#include "toolkit/jpeg.h"
#include "toolkit/sysutils.h"

const TsCacheInfo EmptyCI{};

TsSkinData::~TsSkinData() {
  delete SkinIni;
  SkinIni = nullptr;
}

TsSkinData& SkinData() {
  static TsSkinData data;
  return data;
}

bool SkinChanging = false;

TsGeneralDataArray SkinGeneralData;
TsMaskArray SkinMasks;
TsPatternArray SkinPatterns;
TBitmap* MasterBitmap = nullptr;
TsCommonSkinIndexes CommonSkinIndexes;

namespace {

// Section names upper-cased to their first record: a skin with many sections must not cost a
// pass of upper-casing over all of them per question. The tables may be refilled or records
// renamed in place, so a hit is checked against its record and every record before it (one
// of them may now carry the name), and a miss against all the names indexed.
struct TSkinIndexCache {
  std::vector<std::string> names;  // as indexed
  std::unordered_map<std::string, int> first;

  bool Current() const {
    if (names.size() != SkinGeneralData.size()) return false;
    for (size_t i = 0; i < names.size(); ++i)
      if (names[i] != SkinGeneralData[i].SectionName) return false;
    return true;
  }
  void Rebuild() {
    names.clear();
    first.clear();
    for (size_t i = 0; i < SkinGeneralData.size(); ++i) {
      names.push_back(SkinGeneralData[i].SectionName);
      first.emplace(AnsiUpperCase(names.back()), static_cast<int>(i));
    }
  }
  int Lookup(const std::string& name) const {
    auto found = first.find(name);
    if (found == first.end()) return -1;
    const size_t i = static_cast<size_t>(found->second);
    if (i >= SkinGeneralData.size()) return -2;
    for (size_t j = 0; j <= i; ++j)
      if (SkinGeneralData[j].SectionName != names[j]) return -2;
    return found->second;
  }
  int Find(const std::string& name) {
    int index = Lookup(name);
    if (index == -2 || (index == -1 && !Current())) {
      Rebuild();
      index = Lookup(name);
    }
    return index;
  }
};

}  // namespace

int GetSkinIndex(const std::string& section) {
  if (!SkinData().SkinLoaded) return -1;
  static TSkinIndexCache cache;
  return cache.Find(AnsiUpperCase(section));
}

namespace {

// The search of GetMaskIndex and GetPatternIndex: the section's own entry, else its
// ancestors' through ParentClassName. Each section is visited once, so a chain that comes
// back to an earlier section ends.
template <class Table>
int FindInherited(const Table& table, int skin_index, const std::string& section,
                  const std::string& property) {
  if (!IsValidSkinIndex(skin_index) || section.empty()) return -1;
  std::string name = AnsiUpperCase(section);
  std::vector<bool> visited(SkinGeneralData.size(), false);
  while (true) {
    visited[skin_index] = true;
    for (size_t i = 0; i < table.size(); ++i)
      if (table[i].PropertyName == property && table[i].SectionName == name) return static_cast<int>(i);
    const std::string parent = AnsiUpperCase(SkinGeneralData[skin_index].ParentClassName);
    if (parent.empty() || parent == name) return -1;
    const int parent_index = GetSkinIndex(parent);
    if (parent_index < 0 || visited[parent_index]) return -1;
    skin_index = parent_index;
    name = parent;
  }
}

}  // namespace

int GetMaskIndex(int skin_index, const std::string& section, const std::string& property) {
  return FindInherited(SkinMasks, skin_index, section, property);
}

int GetPatternIndex(int skin_index, const std::string& section, const std::string& property) {
  return FindInherited(SkinPatterns, skin_index, section, property);
}

bool IsValidSkinIndex(int index) {
  return SkinData().SkinLoaded && index >= 0 && index < static_cast<int>(SkinGeneralData.size());
}

bool IsValidImgIndex(int index) {
  return SkinData().SkinLoaded && index >= 0 && index < static_cast<int>(SkinMasks.size());
}

SIZE GetMaskFrameSize(int mask_index) {
  if (!IsValidImgIndex(mask_index)) return SIZE{0, 0};
  const TsMaskData& mask = SkinMasks[mask_index];
  if (mask.Bmp) return SIZE{mask.Bmp->GetWidth() / 3, mask.Bmp->GetHeight() / 2};
  if (mask.ImageCount < 1 || mask.MaskType < 0) return SIZE{0, 0};
  return SIZE{(mask.R.right - mask.R.left) / mask.ImageCount,
              (mask.R.bottom - mask.R.top) / (mask.MaskType + 1)};
}

void UpdateCommonSkinIndexes() {
  // A skin with fewer sections must not keep the previous skin's indexes.
  CommonSkinIndexes = TsCommonSkinIndexes{};
  TsCommonSkinIndexes& c = CommonSkinIndexes;
  auto skin = [](const char* section) { return static_cast<int16_t>(GetSkinIndex(section)); };
  auto mask = [](int16_t index, const char* section, const char* property) {
    return static_cast<int16_t>(GetMaskIndex(index, section, property));
  };
  c.GlobalInfo = skin("GLOBALINFO");
  static const char* const kTabs[4] = {"TABTOP", "TABBOTTOM", "TABLEFT", "TABRIGHT"};
  static const char* const kButtons[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT",
                                          "SCROLLBTNRIGHT"};
  static const char* const kBars[4] = {"SCROLLBAR1H", "SCROLLBAR1V", "SCROLLBAR2H", "SCROLLBAR2V"};
  for (int i = 0; i < 4; ++i) {
    c.Tab[i] = skin(kTabs[i]);
    c.TabMask[i] = mask(c.Tab[i], kTabs[i], "BORDERSMASK");
    c.ScrollBtn[i] = skin(kButtons[i]);
    c.ScrollBtnMask[i] = mask(c.ScrollBtn[i], kButtons[i], "BORDERSMASK");
    c.ScrollBtnImage[i] = mask(c.ScrollBtn[i], kButtons[i], "IMAGEFILE");
    c.ScrollBtnHotImage[i] = mask(c.ScrollBtn[i], kButtons[i], "HOTIMAGEFILE");
    c.ScrollBtnGlyph[i] = mask(c.ScrollBtn[i], kButtons[i], "GLYPHMASK");
    c.ScrollBar[i] = skin(kBars[i]);
    c.ScrollBarMask[i] = mask(c.ScrollBar[i], kBars[i], "BORDERSMASK");
    c.ScrollBarImage[i] = mask(c.ScrollBar[i], kBars[i], "IMAGEFILE");
    c.ScrollBarHotImage[i] = mask(c.ScrollBar[i], kBars[i], "HOTIMAGEFILE");
  }
  c.ScrollSliderV = skin("SCROLLSLIDERV");
  c.ScrollSliderH = skin("SCROLLSLIDERH");
  c.ScrollSliderVMask = mask(c.ScrollSliderV, "SCROLLSLIDERV", "BORDERSMASK");
  c.ScrollSliderHMask = mask(c.ScrollSliderH, "SCROLLSLIDERH", "BORDERSMASK");
  c.ScrollSliderVGlyph = mask(c.ScrollSliderV, "SCROLLSLIDERV", "GLYPHMASK");
  c.ScrollSliderHGlyph = mask(c.ScrollSliderH, "SCROLLSLIDERH", "GLYPHMASK");
  c.ScrollSliderHImage = mask(c.ScrollSliderH, "SCROLLSLIDERH", "IMAGEFILE");
  c.ScrollSliderHHotImage = mask(c.ScrollSliderH, "SCROLLSLIDERH", "HOTIMAGEFILE");
  c.ScrollSliderVImage = mask(c.ScrollSliderV, "SCROLLSLIDERV", "IMAGEFILE");
  c.ScrollSliderVHotImage = mask(c.ScrollSliderV, "SCROLLSLIDERV", "HOTIMAGEFILE");
  const int16_t g = c.GlobalInfo;
  c.CheckBoxChecked = mask(g, "GLOBALINFO", "BOXCHECKED");
  c.CheckBoxUnchecked = mask(g, "GLOBALINFO", "BOXUNCHECKED");
  c.CheckBoxGrayed = mask(g, "GLOBALINFO", "BOXGRAYED");
  c.RadioButtonChecked = mask(g, "GLOBALINFO", "RADIOCHECKED");
  c.RadioButtonUnchecked = mask(g, "GLOBALINFO", "RADIOUNCHECKED");
  c.RadioButtonGrayed = mask(g, "GLOBALINFO", "RADIOGRAYED");
  c.SmallCheckBoxChecked = c.CheckBoxChecked;
  c.SmallCheckBoxUnchecked = c.CheckBoxUnchecked;
  c.SmallCheckBoxGrayed = c.CheckBoxGrayed;
}

namespace {

// Records may share a picture (one file named by many keys): each is freed once.
template <class Table, class Picture>
void FreeShared(Table& table, Picture picture) {
  std::unordered_set<const void*> freed;
  while (!table.empty()) {
    auto* p = picture(table.back());
    if (p && freed.insert(p).second) delete p;
    table.pop_back();
  }
}

}  // namespace

void FreeAllMasks() {
  FreeShared(SkinMasks, [](TsMaskData& m) { return m.Bmp; });
  delete MasterBitmap;
  MasterBitmap = nullptr;
}

void FreeAllPatterns() {
  FreeShared(SkinPatterns, [](TsPatternData& p) { return p.Img; });
}

void FreeAllSkinTables() {
  SkinData().SkinLoaded = false;
  FreeAllMasks();
  FreeAllPatterns();
  SkinGeneralData.clear();
  delete SkinData().SkinIni;
  SkinData().SkinIni = nullptr;
}
