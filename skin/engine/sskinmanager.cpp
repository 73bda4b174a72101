// The skin manager.
#include "skin/engine/sskinmanager.h"

#include <windows.h>

#include <exception>
#include <unordered_set>
#include <vector>

#include "skin/engine/sborders.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/sglyphmode.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinload.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sskintext.h"
#include "skin/engine/sstoredskin.h"
#include "skin/engine/sutils.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/inifiles.h"
#include "toolkit/menus.h"
#include "toolkit/startup.h"
#include "toolkit/starttrace.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

TsMenuPainterFactory menu_painter_factory = nullptr;

std::unique_ptr<TsMenuPainter> NewMenuPainter(TsSkinManager* manager) {
  if (menu_painter_factory) return menu_painter_factory(manager);
  return std::make_unique<TsMenuPainter>();
}

// A broadcast never stops at one broken receiver; debug builds say which one it was.
void NoteDroppedError(TComponent* receiver, UINT msg, const char* what) {
#ifndef NDEBUG
  // Only the address: a receiver that failed may have been freed meanwhile.
  std::string text = "Skin broadcast $" + IntToHex(static_cast<int>(msg), 4) + " to component $" +
                     IntToHex(reinterpret_cast<intptr_t>(receiver), 8) + " failed: " + what + "\n";
  OutputDebugStringA(text.c_str());
#else
  (void)receiver;
  (void)msg;
  (void)what;
#endif
}

template <class F>
void Guarded(TComponent* receiver, UINT msg, F&& deliver) {
  try {
    deliver();
  } catch (const std::exception& e) {
    NoteDroppedError(receiver, msg, e.what());
  } catch (...) {
    NoteDroppedError(receiver, msg, "unknown error");
  }
}

// The styles keep section and mask indexes in 16 bits: entries past that would wrap to the
// index of another one, so they are left out of the skin, and the user is told.
constexpr size_t kMostIndexes = 32767;

void RefuseEntriesPastTheIndexes() {
  const bool sections = SkinGeneralData.size() > kMostIndexes;
  const bool images = SkinMasks.size() > kMostIndexes;
  if (sections) SkinGeneralData.resize(kMostIndexes);
  if (images) {
    // Records of one file share its picture: only one no kept record holds is freed, once.
    std::unordered_set<const TBitmap*> kept;
    for (size_t i = 0; i < kMostIndexes; ++i) kept.insert(SkinMasks[i].Bmp);
    for (size_t i = kMostIndexes; i < SkinMasks.size(); ++i)
      if (kept.insert(SkinMasks[i].Bmp).second) delete SkinMasks[i].Bmp;
    SkinMasks.resize(kMostIndexes);
  }
  const int most = static_cast<int>(kMostIndexes);
  if (sections && images)
    ShowWarning(SkinText(IDS_SKIN_PAST_INDEXES_BOTH,
                         "The skin has more than %d sections and images; the others are not used.", most));
  else if (sections)
    ShowWarning(SkinText(IDS_SKIN_PAST_INDEXES_SECTIONS,
                         "The skin has more than %d sections; the others are not used.", most));
  else if (images)
    ShowWarning(SkinText(IDS_SKIN_PAST_INDEXES_IMAGES,
                         "The skin has more than %d images; the others are not used.", most));
}

bool Owns(const TComponent* owner, const TComponent* component) {
  for (int i = 0; i < owner->GetComponentCount(); ++i)
    if (owner->GetComponent(i) == component) return true;
  return false;
}

bool Dying(const TComponent* component) { return component->GetComponentState().Contains(csDestroying); }

// A windowed control gets the message sent to its window, made now when it has none yet, so
// hooked window procedures see it. One that cannot have a window (it has no parent window)
// still takes it through WindowProc: it must not keep the previous skin's indexes.
void Deliver(TControl* control, const TMessage& message) {
  if (auto* windowed = DynamicCast<TWinControl>(control)) {
    HWND window = nullptr;
    try {
      window = windowed->GetHandle();
    } catch (const EInvalidOperation&) {
    }
    if (window) {
      SendMessageA(window, message.Msg, message.WParam, message.LParam);
      return;
    }
  }
  control->Perform(message.Msg, message.WParam, message.LParam);
}

void DeliverToComponent(TComponent* component, const TMessage& message) {
  if (auto* receiver = DynamicCast<TsSkinReceiver>(component)) {
    if (receiver->IsFormProvider() && message.Msg == SKM_REFRESH) return;
    TMessage copy = message;
    receiver->SkinMessage(copy);
  } else if (auto* control = DynamicCast<TControl>(component)) {
    Deliver(control, message);
  }
}

}  // namespace

void SetMenuPainterFactory(TsMenuPainterFactory factory) { menu_painter_factory = factory; }

TK_ABSTRACT_CLASS_INFO(TsSkinReceiver, TComponent)

// ---- Broadcast -------------------------------------------------------------------------------

void BroadcastToForm(TCustomForm* form, TMessage& message) {
  if (!form || Dying(form)) return;
  // A receiver may free components (itself among them) or the form: the components are taken
  // as they are now, and each is asked for only while its form still owns it.
  TComponent* form_owner = form->GetOwner();
  auto form_gone = [&] { return form_owner && !Owns(form_owner, form); };
  std::vector<TComponent*> components;
  for (int i = 0; i < form->GetComponentCount(); ++i) components.push_back(form->GetComponent(i));

  if (message.Msg == SKM_REFRESH) Guarded(form, message.Msg, [&] { Deliver(form, message); });
  // An MDI main form's client window holds the children: it hears of the skin too.
  if (form->GetFormStyle() == fsMDIForm && form->GetClientHandle())
    Guarded(form, message.Msg,
            [&] { SendMessageA(form->GetClientHandle(), message.Msg, message.WParam, message.LParam); });
  for (TComponent* component : components) {
    if (form_gone() || Dying(form)) return;
    if (!Owns(form, component)) continue;
    const TComponentState state = component->GetComponentState();
    if (state.Contains(csDestroying) || state.Contains(csLoading)) continue;
    Guarded(component, message.Msg, [&] { DeliverToComponent(component, message); });
    // An MDI child the form still owns (a receiver may have freed it) passes the message on
    // to its own components.
    if (form_gone() || Dying(form) || !Owns(form, component)) continue;
    if (auto* child = DynamicCast<TCustomForm>(component); child && child->GetFormStyle() == fsMDIChild)
      BroadcastToForm(child, message);
  }
}

void BroadcastToForms(TMessage& message) {
  if (!Application) return;
  // The forms as they are now; one freed by a receiver is left out, the others still get it.
  std::vector<TComponent*> forms;
  for (int i = 0; i < Application->GetComponentCount(); ++i) forms.push_back(Application->GetComponent(i));
  for (TComponent* component : forms) {
    if (!Owns(Application, component)) continue;
    auto* form = DynamicCast<TCustomForm>(component);
    if (form && !Dying(form)) BroadcastToForm(form, message);
  }
}

// ---- The manager -----------------------------------------------------------------------------

TK_CLASS_INFO(TsSkinManager, TComponent)

void TsSkinManager::Publish(TPublisher<TsSkinManager>& p) {
  using M = TsSkinManager;
  p.Collection("InternalSkins", &M::GetInternalSkins, &M::SetInternalSkins);
  p.String("SkinDirectory", &M::GetSkinDirectory, &M::SetSkinDirectory);
  p.String("SkinName", &M::GetSkinName, &M::SetSkinName);
  p.Strings("CommonSections", &M::GetCommonSections, &M::SetCommonSections);
  p.Boolean("Active", &M::GetActive, &M::SetActive).Default(true);
  p.Boolean("SkinnedPopups", &M::GetSkinnedPopups, &M::SetSkinnedPopups).Default(true);
  p.Event("OnAfterChange", &M::OnAfterChange);
  p.Event("OnBeforeChange", &M::OnBeforeChange);
}

TsSkinManager::TsSkinManager(TComponent* owner)
    : TComponent(owner), internal_skins_(new TsStoredSkins(this)), common_sections_(new TStringList) {
  menu_painter_ = NewMenuPainter(this);
  common_sections_->OnChange = TNotifyEvent(this, &TsSkinManager::CommonSectionsChanged);
  if (SkinData().DefaultManager)
    ShowWarning(
        SkinText(IDS_SKIN_SECOND_MANAGER,
                 "Please be sure, that only one exemplar of TsSkinManager component is loaded in project."));
  else
    SkinData().DefaultManager = this;
}

TsSkinManager::~TsSkinManager() {
  common_sections_->OnChange = nullptr;
  if (IsDefault()) {
    // Nobody is told about changes from here on.
    OnBeforeChange = nullptr;
    OnAfterChange = nullptr;
    SendRemoveSkin();
    SkinData().DefaultManager = nullptr;
  }
  delete internal_skins_;
  delete common_sections_;
}

void TsSkinManager::AfterConstruction() {
  inherited::AfterConstruction();
  for (TComponent* c = GetOwner(); c && !owner_form_; c = c->GetOwner())
    owner_form_ = DynamicCast<TCustomForm>(c);
}

// SkinName's setter loaded the skin while the definition was read, when the controls read so
// far were still loading: they hear of it now, refresh included.
void TsSkinManager::Loaded() {
  inherited::Loaded();
  if (!active_ || skin_name_.empty()) return;
  SkinChanging = false;
  Broadcast(SKM_SETNEWSKIN);
  Broadcast(SKM_REFRESH);
  // The menus read after SkinName came when the painter had hooked the forms already: they
  // would stay unskinned.
  if (IsDefault() && SkinData().SkinLoaded) {
    menu_painter_->SetActive(false);
    menu_painter_->SetActive(true);
  }
}

void TsSkinManager::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (component == this || Dying(this) || !menu_painter_) return;
  if (operation == opRemove)
    menu_painter_->ComponentRemoved(component);
  else if (auto* menu = DynamicCast<TMainMenu>(component))
    menu_painter_->HookMainMenu(menu);
}

bool TsSkinManager::IsDefault() const { return SkinData().DefaultManager == this; }

bool TsSkinManager::CanLoad() const { return active_ && IsDefault() && !Dying(this); }

void TsSkinManager::SetSkinName(const std::string& name) {
  skin_name_ = name;
  if (CanLoad()) LoadSkin();
}

// The skin in use stays until SkinName is set again; the skin path names the new folder.
void TsSkinManager::SetSkinDirectory(const std::string& directory) {
  if (directory == skin_directory_) return;
  skin_directory_ = directory;
  SkinData().SkinPath = GetFullSkinDirectory();
}

void TsSkinManager::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  // A secondary manager has no skin to change.
  if (!IsDefault()) return;
  if (active) {
    SetSkinName(skin_name_);  // a full reload
    return;
  }
  if (OnBeforeChange) OnBeforeChange(this);
  // While the definition is read there is normally nothing to take out; but a SkinName read
  // before Active has loaded the skin already, and switched off it must not stay in the
  // tables and paint the forms made later.
  if (!GetComponentState().Contains(csLoading) || SkinData().SkinLoaded) SendRemoveSkin();
  UpdateCommonSkinIndexes();
  if (OnAfterChange) OnAfterChange(this);
}

void TsSkinManager::SetInternalSkins(TsStoredSkins* skins) { internal_skins_->Assign(skins); }

TStrings* TsSkinManager::GetCommonSections() const { return common_sections_; }

void TsSkinManager::SetCommonSections(TStrings* sections) { common_sections_->Assign(sections); }

void TsSkinManager::SetSkinnedPopups(bool value) {
  if (value == skinned_popups_) return;
  skinned_popups_ = value;
  menu_painter_->UpdateMenus();
}

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

std::string TsSkinManager::GetSkinNames(TStrings* names) const {
  names->BeginUpdate();
  names->Clear();
  for (int i = 0; i < internal_skins_->GetCount(); ++i) names->Add(internal_skins_->GetItem(i)->Name);
  const std::string dir = GetFullSkinDirectory();
  if (DirectoryExists(dir)) {
    for (const TSearchRec& rec : ListDirectory(dir + "*", faDirectory))
      if ((rec.Attr & faDirectory) && !rec.Name.empty() && rec.Name[0] != '.') names->Add(rec.Name);
  }
  names->EndUpdate();
  return names->Count() > 0 ? names->Get(0) : std::string();
}

bool TsSkinManager::LoadSkin() {
  if (!active_ || !IsDefault()) return false;
  if (OnBeforeChange) OnBeforeChange(this);
  TsSkinData& data = SkinData();
  if (skin_name_.empty()) skin_directory_.clear();
  data.SkinLoaded = false;
  delete data.SkinIni;
  data.SkinIni = nullptr;
  data.SkinPath.clear();

  const std::string folder = GetFullSkinDirectory() + skin_name_ + "\\";
  std::string fault;
  if (!skin_name_.empty() && FileExists(folder + "Options.dat")) data.SkinIni = OpenSkinFolder(folder, fault);
  if (data.SkinIni) {
    data.SkinPath = folder;
  } else if (!internal_skins_->Find(skin_name_) && internal_skins_->GetCount() > 0) {
    skin_name_ = internal_skins_->GetItem(0)->Name;
  }
  // A folder that no real skin looks like is not loaded: the internal skin stands in.
  if (!fault.empty()) ShowWarning(SkinFolderNotUsed(folder, fault));
  const TsSkinSource source = CurrentSkinSource();
  {
    // A loader that fails ends the change here: no announcement, no OnAfterChange.
    TsSkinChangingScope changing;
    LoadAllMasks(source);
    LoadAllPatterns(source);
    LoadAllGeneralData(source);
  }
  RefuseEntriesPastTheIndexes();
  StartMark("skin data loaded");
  SendNewSkin();
  StartMark("skin announced");
  if (OnAfterChange) OnAfterChange(this);
  return data.SkinLoaded;
}

void TsSkinManager::SendNewSkin() {
  SkinData().SkinLoaded = true;
  {
    TsSkinChangingScope changing;
    Broadcast(SKM_SETNEWSKIN);
    UpdateCommonSkinIndexes();
  }
  const TComponentState state = GetComponentState();
  if (!state.Contains(csLoading) && !state.Contains(csReading)) Broadcast(SKM_REFRESH);
  menu_painter_->SetActive(SkinData().SkinLoaded);
}

void TsSkinManager::SendRemoveSkin() {
  SkinData().SkinLoaded = false;
  Broadcast(SKM_REMOVESKIN);
  FreeAllMasks();
  if (menu_painter_) menu_painter_->SetActive(false);
}

void TsSkinManager::Broadcast(UINT msg) {
  TMessage message{msg, static_cast<WPARAM>(group_index_), reinterpret_cast<LPARAM>(this), 0};
  BroadcastToForms(message);
}

void RegisterSkinEngineClasses() { RegisterClasses({TsSkinManager::StaticClass()}); }

void RegisterSkinEngineUnit() {
  RegisterUnit(
      usLibrary, "SkinEngine",
      [] {
        LoadBuiltinGlyphs();
        LoadStoredBorders();
      },
      [] {
        FreeAllSkinTables();
        FreeBuiltinGlyphs();
        FreeStoredBorders();
      });
}
