// The skin manager: the component that holds the application's stored skins, loads the
// active skin into the tables (sskintables.h) and tells every form and control of the
// application about it. The first manager created is the process's default manager; only it
// loads skins.
//
// A skin change reaches, in order, every form the application owns and every component of
// those forms: SKM_SETNEWSKIN (recompute indexes), then the common indexes are refreshed, then
// SKM_REFRESH (repaint; the form's own window gets it first). Removing the skin sends
// SKM_REMOVESKIN, then frees the masks. Windowed controls get the messages sent to their
// window, graphic controls through Perform, and components that are no controls (the form's
// skin provider, grid adapters) through TsSkinReceiver below.
#pragma once

#include <memory>
#include <string>

#include "toolkit/components.h"
#include "toolkit/events.h"
#include "toolkit/messages.h"

class TCustomForm;
class TMainMenu;
class TMenuItem;
class TStrings;
class TStringList;
class TsStoredSkins;
class TPopupMenu;
class TsSkinManager;

// A non-visual component that takes the manager's broadcast directly (the form's skin
// provider, grid adapters derive from it). The form's skin provider answers IsFormProvider:
// it sees SKM_REFRESH through the form's window (sent there first), so the broadcast hands it
// every other message only.
class TsSkinReceiver : public TComponent {
  TK_CLASS(TsSkinReceiver, TComponent)

 public:
  explicit TsSkinReceiver(TComponent* owner) : TComponent(owner) {}
  virtual bool IsFormProvider() const { return false; }
  virtual void SkinMessage(TMessage& message) = 0;
};

// The painter of skinned menus the manager owns. This one paints nothing; the skinned menus
// install their own through SetMenuPainterFactory before the manager is created.
class TsMenuPainter {
 public:
  virtual ~TsMenuPainter() = default;
  // A skin came (true) or went (false): hook or unhook the application's menus.
  virtual void SetActive(bool active) { (void)active; }
  // A main menu was put on the manager's form. Only menus that are whole when they come
  // (moved over from another owner) are seen here: one made with the form as its owner is
  // inserted while its constructor runs, before it is a TMainMenu; SetActive's walk finds it.
  virtual void HookMainMenu(TMainMenu* menu) { (void)menu; }
  // A component of the manager's form went (freed or moved away): forget it if it was hooked.
  // Asked by identity only: a component being freed is no longer of its class.
  virtual void ComponentRemoved(TComponent* component) { (void)component; }
  // SkinnedPopups changed: hook the menus again.
  virtual void UpdateMenus() {}
  // A popup made or rebuilt just before it shows (a form's skinned system menu): painted
  // like the other popups while the menus are skinned, plain again when they are not.
  virtual void HookPopupMenu(TPopupMenu* menu) { (void)menu; }
  // One item a form's skin provider met (measured by the menu line, or put on its form): hooked
  // while the menus are skinned (on), or unhooked (off, the item is going).
  virtual void HookItem(TMenuItem* item, bool on) {
    (void)item;
    (void)on;
  }
};
using TsMenuPainterFactory = std::unique_ptr<TsMenuPainter> (*)(TsSkinManager* manager);
// Null goes back to the painter that paints nothing.
void SetMenuPainterFactory(TsMenuPainterFactory factory);

class TsSkinManager : public TComponent {
  TK_CLASS(TsSkinManager, TComponent)

 public:
  explicit TsSkinManager(TComponent* owner);
  ~TsSkinManager() override;
  // Finds the form that owns the manager.
  void AfterConstruction() override;
  // While Active with a SkinName: announces the skin loaded while the definition was read to
  // the forms that exist now: SKM_SETNEWSKIN, then SKM_REFRESH.
  void Loaded() override;

  // An internal skin's Name or a folder under the skin directory; setting it loads the skin.
  const std::string& GetSkinName() const { return skin_name_; }
  void SetSkinName(const std::string& name);
  // Relative folders are taken from the program's folder; changing it does not reload.
  const std::string& GetSkinDirectory() const { return skin_directory_; }
  void SetSkinDirectory(const std::string& directory);
  // Off removes the skin; on loads SkinName's again.
  bool GetActive() const { return active_; }
  void SetActive(bool active);
  TsStoredSkins* GetInternalSkins() const { return internal_skins_; }
  void SetInternalSkins(TsStoredSkins* skins);
  // Ini text of sections added to every skin. Blanks are removed from every line that is
  // not a ";" comment; a change reloads the skin.
  TStrings* GetCommonSections() const;
  void SetCommonSections(TStrings* sections);
  // Popup menus are painted by the menu painter too.
  bool GetSkinnedPopups() const { return skinned_popups_; }
  void SetSkinnedPopups(bool value);
  TsMenuPainter* GetMenuPainter() const { return menu_painter_.get(); }
  // The form that owns the manager (null for a manager without one).
  TCustomForm* GetOwnerForm() const { return owner_form_; }

  // Before a skin is loaded or skinning is switched off, and after.
  TNotifyEvent OnBeforeChange;
  TNotifyEvent OnAfterChange;

  bool IsDefault() const;
  // SkinDirectory as an absolute folder ending in "\" (empty stays empty).
  std::string GetFullSkinDirectory() const;
  // Clears names and adds the internal skins' names, then the sub-folders of the full skin
  // directory (the program's folder while SkinDirectory is empty) not starting with ".".
  // Answers the first name, or "" when there is none.
  std::string GetSkinNames(TStrings* names) const;
  // Loads SkinName's skin: the folder of that name under the skin directory when it has an
  // Options.dat, else the internal skin of that name (or the first internal skin, whose name
  // SkinName then takes), then announces it (SendNewSkin). Only the default manager loads,
  // and only while Active. True when a skin is loaded afterwards.
  bool LoadSkin();
  // Announces the loaded tables: SKM_SETNEWSKIN, the common indexes, SKM_REFRESH.
  void SendNewSkin();
  // Announces the removal (SKM_REMOVESKIN), then takes the skin out of the tables.
  void SendRemoveSkin();
  void RemoveSkin() { SendRemoveSkin(); }

  // Sent as WParam with every broadcast: styles of that group act on them.
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int value) { group_index_ = value; }

 protected:
  // Tells the menu painter about main menus coming to the manager's form and components going.
  void Notification(TComponent* component, TOperation operation) override;

 private:
  static void Publish(TPublisher<TsSkinManager>& p);
  bool CanLoad() const;
  void CommonSectionsChanged(TObject* sender);
  void Broadcast(UINT msg);

  int group_index_ = 0;
  std::string skin_name_;
  std::string skin_directory_;
  bool active_ = true;
  TsStoredSkins* internal_skins_;
  std::unique_ptr<TsMenuPainter> menu_painter_;
  bool skinned_popups_ = true;
  TStringList* common_sections_;
  TCustomForm* owner_form_ = nullptr;
  bool normalizing_ = false;
};

// Delivers a library message to one form and its components the way a skin change does:
// SKM_REFRESH to the form's window first, then each component that is neither loading nor
// being destroyed. A form being destroyed gets nothing; an error in one component is
// dropped (noted in debug builds) and the others still get the message.
void BroadcastToForm(TCustomForm* form, TMessage& message);
// BroadcastToForm for every form the application owns, in order.
void BroadcastToForms(TMessage& message);

// Registers the skin engine's components for form definitions.
void RegisterSkinEngineClasses();
// Registers the unit that empties the skin tables at the end of the program.
void RegisterSkinEngineUnit();
