// Stand-in for the skin tables' look-ups until they are built (skin-tables): just enough for
// the style tests, which fill SkinGeneralData and SkinMasks themselves. Remove this file when
// sskintables.cpp defines these.
#include "skin/engine/sskintables.h"
#include "toolkit/sysutils.h"

bool SkinChanging = false;
TsGeneralDataArray SkinGeneralData;
TsMaskArray SkinMasks;

TsSkinData::~TsSkinData() = default;

TsSkinData& SkinData() {
  static TsSkinData data;
  return data;
}

bool IsValidSkinIndex(int index) {
  return SkinData().SkinLoaded && index >= 0 && index < static_cast<int>(SkinGeneralData.size());
}

bool IsValidImgIndex(int index) {
  return SkinData().SkinLoaded && index >= 0 && index < static_cast<int>(SkinMasks.size());
}

int GetSkinIndex(const std::string& section) {
  if (!SkinData().SkinLoaded) return -1;
  for (size_t i = 0; i < SkinGeneralData.size(); ++i)
    if (UpperCase(SkinGeneralData[i].SectionName) == UpperCase(section)) return static_cast<int>(i);
  return -1;
}

int GetMaskIndex(int skin_index, const std::string& section, const std::string& property) {
  if (!IsValidSkinIndex(skin_index)) return -1;
  for (size_t i = 0; i < SkinMasks.size(); ++i)
    if (SkinMasks[i].SectionName == UpperCase(section) && SkinMasks[i].PropertyName == property)
      return static_cast<int>(i);
  return -1;
}
