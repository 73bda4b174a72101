// Skinned menus: the application's menus made owner-drawn and painted from the skin. Popup
// items lie on the "MAINMENU" section with "MENUITEM" under the selected one; the top items of
// a form's menu line lie on "MENULINE" with "MENUITEM" under the hot one.
//
// The painter hooks its measure and draw handlers into the items' OnMeasureItem and
// OnAdvancedDrawItem events, only where the application left them empty, and takes away only
// its own handlers again. The skin manager owns one painter and switches it with the skin:
//   menus->SetActive(SkinData().SkinLoaded);
// RegisterSkinnedMenus makes the skin manager create and drive one by itself.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "toolkit/controls.h"
#include "toolkit/events.h"
#include "toolkit/persistent.h"

class TBitmap;
class TCanvas;
class TComponent;
class TFont;
class TMainMenu;
class TMenu;
class TMenuItem;
class TPopupMenu;
class TsSkinManager;

// Scoped: image32.h has an smNormal of its own.
enum class TsMenuItemType { smCaption, smDivider, smNormal, smTopLine };

// Called after an item of a menu line is drawn; the sender is the item.
using TsMenuManagerDrawItemEvent =
    TEvent<TObject* /*sender*/, TCanvas* /*canvas*/, RECT /*rect*/, TOwnerDrawState /*state*/>;

// "-" is a divider, "-text-" a caption line, any other popup item normal; top items of a
// menu bar are the top line.
TsMenuItemType MenuItemType(const TMenuItem* item);

// Makes every skin manager created from now on own a TsSkinableMenus (before the main form).
void RegisterSkinnedMenus();

// Draws the menu-line item the system left hot on a form's window normal again (a form's
// frame does this when one of its title buttons becomes hot); nothing when none is left hot.
void ResetHotMenuLineItem();

// The icon of the MDI main form's maximized active child at the left end of a menu-line row,
// (menu height - 2) pixels square; nothing while no child is maximized. With own_icon_only,
// nothing for a child without an icon of its own either (the first item leaves no room then).
void DrawMDIChildIcon(TCanvas* canvas, const RECT& row, bool own_icon_only = false);

class TsSkinableMenus : public TPersistent {
  TK_CLASS(TsSkinableMenus, TPersistent)

 public:
  explicit TsSkinableMenus(TsSkinManager* manager);
  ~TsSkinableMenus() override;

  int Margin = 4;
  TAlignment Alignment = taLeftJustify;
  int BevelWidth = 0;
  int BorderWidth = 0;
  TFont* GetCaptionFont() const { return caption_font_; }
  void SetCaptionFont(TFont* font);
  TsMenuManagerDrawItemEvent OnDrawItem;

  TsSkinManager* GetSkinManager() const { return manager_; }
  // Hooks (true) or unhooks (false) every menu of every form of the application; nothing
  // happens unless the state changes.
  bool GetActive() const { return active_; }
  void SetActive(bool active);
  // Whether popup menus and submenus are skinned too (the manager's SkinnedPopups). While
  // active, a change hooks the menus again at once.
  bool GetSkinnedPopups() const { return skinned_popups_; }
  void SetSkinnedPopups(bool skinned);

  // One item: a top item of a menu bar gets the menu-line handlers, any other item the
  // popup handlers (only with SkinnedPopups). Off takes away only this painter's handlers.
  void HookItem(TMenuItem* item, bool on);
  // The whole tree, OwnerDraw following on.
  void HookMainMenu(TMainMenu* menu, bool on);
  void HookPopupMenu(TPopupMenu* menu, bool on);
  // A component and everything it owns, as SetActive walks the forms.
  void HookComponent(TComponent* component, bool on);

  // Frees the cached popup backgrounds (only when all is true).
  void ClearCache(bool all);
  // Drops the background kept for the popup whose first item this was.
  void ForgetItem(const TComponent* item);
  std::size_t CacheCount() const { return cache_.size(); }

  // The handlers, public so that a form's frame painter can lay out and draw its menu line.
  void PopupMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
  void PopupDraw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState state);
  void LineMeasure(TObject* sender, TCanvas* canvas, int& width, int& height);
  void LineDraw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState state);

  // Whether the item carries this painter's handlers.
  bool IsHooked(const TMenuItem* item) const;

 private:
  struct CacheEntry {
    TBitmap* bmp;
    const TMenuItem* first;
  };

  bool Designing() const;
  void HookForms(bool on);
  void HookTree(TMenuItem* item, bool on);
  // The popup's background, painted once per popup; null without a "MAINMENU" section.
  TBitmap* PopupBackground(TMenuItem* item, TCanvas* canvas, int width, int bottom);
  int PopupItemHeight(TMenuItem* item, TCanvas* canvas);
  void DrawDivider(TCanvas* canvas, const RECT& rect);
  void DrawGlyph(TMenuItem* item, TBitmap* work, int height);
  void UseMenuFont(TCanvas* canvas, bool bold) const;

  TsSkinManager* manager_;
  TFont* caption_font_;
  bool active_ = false;
  bool skinned_popups_ = true;
  std::vector<CacheEntry> cache_;
};
