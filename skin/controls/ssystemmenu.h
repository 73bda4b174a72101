// The skinned system menu of a form: the system's commands (restore, move, size, minimize,
// maximize, close) shown and enabled by the form's border style, state and the provider's
// border icons, and, when the form has a skin manager, a submenu "Available skins" with one
// item per skin name that switches to that skin.
#pragma once

#include <string>
#include <vector>

#include "toolkit/forms.h"
#include "toolkit/menus.h"

class TsSkinManager;

// Which of the system's commands a form shows and allows. icons: the provider's BorderIcons
// (the form's own are cleared while skinned).
struct TsFrameRules {
  TFormBorderStyle Style = bsSizeable;
  TBorderIcons Icons{biSystemMenu, biMinimize, biMaximize};
  TWindowState State = wsNormal;

  bool CloseVisible() const { return Icons.Contains(biSystemMenu); }
  bool MaximizeVisible() const { return Style == bsSizeable && Icons.Contains(biSystemMenu); }
  bool MinimizeVisible() const {
    return (Style == bsSingle || Style == bsSizeable) && Icons.Contains(biSystemMenu);
  }
  bool RestoreVisible() const { return MinimizeVisible(); }
  bool SizeVisible() const { return Style == bsSingle || Style == bsSizeable || Style == bsSizeToolWin; }
  bool MoveVisible() const { return true; }
  bool CloseEnabled() const { return true; }
  bool MaximizeEnabled() const { return Icons.Contains(biMaximize) && State != wsMaximized; }
  bool RestoreEnabled() const { return Icons.Contains(biMaximize) && State != wsNormal; }
  bool MinimizeEnabled() const { return Icons.Contains(biMinimize) && State != wsMinimized; }
  bool MoveEnabled() const { return State != wsMaximized; }
  bool SizeEnabled() const { return Style != bsSingle; }
};

// The manager's skin names (internal skins, then skin folders); none without a manager.
std::vector<std::string> SkinNamesOf(TsSkinManager* manager);

class TsSystemMenu : public TPopupMenu {
  TK_CLASS(TsSystemMenu, TPopupMenu)

 public:
  // form: the form whose commands the items send; may be set later.
  explicit TsSystemMenu(TComponent* owner, TCustomForm* form = nullptr);

  TCustomForm* GetForm() const { return form_; }
  void SetForm(TCustomForm* form) { form_ = form; }
  TsSkinManager* GetSkinManager() const { return manager_; }
  void SetSkinManager(TsSkinManager* manager) { manager_ = manager; }
  // The provider's border icons the rules are taken with.
  TBorderIcons GetBorderIcons() const { return icons_; }
  void SetBorderIcons(TBorderIcons icons) { icons_ = icons; }
  TsFrameRules Rules() const;

  // Shows and enables the system items by the rules.
  void UpdateItems();
  // Takes the skin items out and, with a skin manager that knows skins, puts them in again
  // at the top: "Available skins" with a submenu and a separator after it.
  void MakeSkinItems();
  // MakeSkinItems (when make_skin_menu), UpdateItems, then the menu at the screen point.
  void ShowAt(int x, int y, bool make_skin_menu);

  TMenuItem* ItemRestore;
  TMenuItem* ItemMove;
  TMenuItem* ItemSize;
  TMenuItem* ItemMinimize;
  TMenuItem* ItemMaximize;
  TMenuItem* ItemClose;

 private:
  TMenuItem* NewItem(const std::string& caption, const std::string& name, TNotifyEvent click);
  void RemoveSkinItems();
  void SysCommand(WPARAM command);
  void RestoreClick(TObject* sender);
  void MoveClick(TObject* sender);
  void SizeClick(TObject* sender);
  void MinimizeClick(TObject* sender);
  void MaximizeClick(TObject* sender);
  void CloseClick(TObject* sender);
  void SkinClick(TObject* sender);

  TCustomForm* form_;
  TsSkinManager* manager_ = nullptr;
  TBorderIcons icons_{biSystemMenu, biMinimize, biMaximize};
};

// Minimizes a form as its minimize button does: the application's main form minimizes the
// application, any other form itself.
void MinimizeForm(TCustomForm* form);
