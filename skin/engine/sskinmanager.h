// The skin manager: the component that holds the application's stored skins and loads the
// active skin into the tables (sskintables.h). The first manager created is the process's
// default manager; only it loads skins.
#pragma once

#include <string>

#include "toolkit/components.h"

class TStrings;
class TStringList;
class TsStoredSkins;

class TsSkinManager : public TComponent {
  TK_CLASS(TsSkinManager, TComponent)

 public:
  explicit TsSkinManager(TComponent* owner);
  ~TsSkinManager() override;
  // A skin named while the manager was read from a form definition is loaded now.
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

  bool IsDefault() const;
  // SkinDirectory as an absolute folder ending in "\" (empty stays empty).
  std::string GetFullSkinDirectory() const;
  // Loads SkinName's skin: the folder of that name under the skin directory when it has an
  // Options.dat, else the internal skin of that name (or the first internal skin, whose name
  // SkinName then takes). Only the default manager loads, and only while Active. True when a
  // skin is loaded afterwards.
  bool LoadSkin();
  // Takes the skin out of the tables.
  void RemoveSkin();

 private:
  static void Publish(TPublisher<TsSkinManager>& p);
  bool CanLoad() const;
  void CommonSectionsChanged(TObject* sender);

  std::string skin_name_;
  std::string skin_directory_;
  bool active_ = true;
  TsStoredSkins* internal_skins_;
  TStringList* common_sections_;
  bool normalizing_ = false;
};

// Registers the skin engine's components for form definitions.
void RegisterSkinEngineClasses();
// Registers the unit that empties the skin tables at the end of the program.
void RegisterSkinEngineUnit();
