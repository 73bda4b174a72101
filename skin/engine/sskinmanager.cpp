// The skin manager.
#include "skin/engine/sskinmanager.h"

#include "skin/engine/sskinload.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sutils.h"
#include "toolkit/classregistry.h"
#include "toolkit/inifiles.h"
#include "toolkit/startup.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

// SkinChanging is true for as long as one lives, whatever way the scope is left.
class TSkinChangingScope {
 public:
  TSkinChangingScope() { SkinChanging = true; }
  ~TSkinChangingScope() { SkinChanging = false; }
  TSkinChangingScope(const TSkinChangingScope&) = delete;
  TSkinChangingScope& operator=(const TSkinChangingScope&) = delete;
};

}  // namespace

TK_CLASS_INFO(TsSkinManager, TComponent)

void TsSkinManager::Publish(TPublisher<TsSkinManager>& p) {
  using M = TsSkinManager;
  p.Collection("InternalSkins", &M::GetInternalSkins, &M::SetInternalSkins);
  p.String("SkinDirectory", &M::GetSkinDirectory, &M::SetSkinDirectory);
  p.String("SkinName", &M::GetSkinName, &M::SetSkinName);
  p.Strings("CommonSections", &M::GetCommonSections, &M::SetCommonSections);
  p.Boolean("Active", &M::GetActive, &M::SetActive).Default(true);
}

TsSkinManager::TsSkinManager(TComponent* owner)
    : TComponent(owner), internal_skins_(new TsStoredSkins(this)), common_sections_(new TStringList) {
  common_sections_->OnChange = TNotifyEvent(this, &TsSkinManager::CommonSectionsChanged);
  if (SkinData().DefaultManager)
    ShowWarning("Please be sure, that only one exemplar of TsSkinManager component is loaded in project.");
  else
    SkinData().DefaultManager = this;
}

TsSkinManager::~TsSkinManager() {
  common_sections_->OnChange = nullptr;
  if (IsDefault()) {
    RemoveSkin();
    SkinData().DefaultManager = nullptr;
  }
  delete internal_skins_;
  delete common_sections_;
}

void TsSkinManager::Loaded() {
  inherited::Loaded();
  if (active_ && !skin_name_.empty()) LoadSkin();
}

bool TsSkinManager::IsDefault() const { return SkinData().DefaultManager == this; }

bool TsSkinManager::CanLoad() const {
  return active_ && IsDefault() && !GetComponentState().Contains(csLoading) &&
         !GetComponentState().Contains(csDestroying);
}

void TsSkinManager::SetSkinName(const std::string& name) {
  skin_name_ = name;
  if (CanLoad()) LoadSkin();
}

void TsSkinManager::SetSkinDirectory(const std::string& directory) { skin_directory_ = directory; }

void TsSkinManager::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  if (!IsDefault() || GetComponentState().Contains(csLoading)) return;
  if (active) {
    LoadSkin();
  } else {
    RemoveSkin();
    UpdateCommonSkinIndexes();
  }
}

void TsSkinManager::SetInternalSkins(TsStoredSkins* skins) { internal_skins_->Assign(skins); }

TStrings* TsSkinManager::GetCommonSections() const { return common_sections_; }

void TsSkinManager::SetCommonSections(TStrings* sections) { common_sections_->Assign(sections); }

void TsSkinManager::CommonSectionsChanged(TObject*) {
  if (normalizing_) return;
  normalizing_ = true;
  try {
    common_sections_->BeginUpdate();
    for (int i = 0; i < common_sections_->Count(); ++i) {
      const std::string line = common_sections_->Get(i);
      if (!line.empty() && line[0] != ';' && line.find(' ') != std::string::npos)
        common_sections_->Put(i, DelChars(line, ' '));
    }
    common_sections_->EndUpdate();
  } catch (...) {
    normalizing_ = false;
    throw;
  }
  normalizing_ = false;
  if (CanLoad()) LoadSkin();
}

std::string TsSkinManager::GetFullSkinDirectory() const {
  std::string dir = skin_directory_;
  if (dir.rfind(".\\", 0) == 0 || dir.rfind("./", 0) == 0)
    dir = GetAppPath() + dir.substr(2);
  else if (dir.find(':') == std::string::npos)
    dir = GetAppPath() + dir;
  return NormalDir(dir);
}

bool TsSkinManager::LoadSkin() {
  if (!active_ || !IsDefault()) return false;
  TsSkinData& data = SkinData();
  if (skin_name_.empty()) skin_directory_.clear();
  data.SkinLoaded = false;
  delete data.SkinIni;
  data.SkinIni = nullptr;
  data.SkinPath.clear();

  const std::string folder = GetFullSkinDirectory() + skin_name_ + "\\";
  if (!skin_name_.empty() && FileExists(folder + "Options.dat")) {
    data.SkinIni = new TMemIniFile(folder + "Options.dat");
    data.SkinPath = folder;
  } else if (!internal_skins_->Find(skin_name_) && internal_skins_->GetCount() > 0) {
    skin_name_ = internal_skins_->GetItem(0)->Name;
  }
  const TsSkinSource source = CurrentSkinSource();

  TSkinChangingScope changing;
  LoadAllMasks(source);
  LoadAllPatterns(source);
  LoadAllGeneralData(source);
  // With neither a folder nor a stored skin there is nothing to show: stay unskinned.
  data.SkinLoaded = source.ini || source.stored;
  UpdateCommonSkinIndexes();
  return data.SkinLoaded;
}

void TsSkinManager::RemoveSkin() {
  SkinData().SkinLoaded = false;
  FreeAllMasks();
}

void RegisterSkinEngineClasses() { RegisterClasses({TsSkinManager::StaticClass()}); }

void RegisterSkinEngineUnit() { RegisterUnit(usLibrary, "SkinEngine", nullptr, FreeAllSkinTables); }
