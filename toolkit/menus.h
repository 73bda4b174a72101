// Menus: a form's menu bar (TMainMenu) and pop-up menus (TPopupMenu), each a tree of
// TMenuItem components mirrored in native menus, and the keyboard shortcuts of items.
//
// Every item has a command identifier unique in the process. An item that changes rebuilds
// its parent's native menu, so the system always shows the items as they are. WM_COMMAND,
// WM_INITMENUPOPUP, WM_MEASUREITEM and WM_DRAWITEM of menus reach the items through
// DispatchMenuMessage, which forms call (and the hidden window that owns pop-up menus).
//
// Items sit in form definitions inside their menu or parent item:
//   object pmProtocol: TPopupMenu
//     object miRemove: TMenuItem
//       Caption = '&Remove'
//       ShortCut = 46
//       OnClick = miRemoveClick
//     end
//   end
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/components.h"
#include "toolkit/controls.h"
#include "toolkit/events.h"

class TBitmap;
class TCanvas;
class TCustomImageList;
class TMenu;

TK_EXCEPTION(EMenuError, Exception)

// ---- Shortcuts --------------------------------------------------------------------------------

// A virtual key with modifier bits: Ctrl+S is scCtrl + 'S' (16467), Alt+F4 is 32883.
using TShortCut = uint16_t;
constexpr TShortCut scNone = 0;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;

// Shift, Ctrl and Alt of the shift state count; mouse buttons do not.
TShortCut ShortCut(WORD key, TShiftState shift);
void ShortCutToKey(TShortCut shortcut, WORD& key, TShiftState& shift);
// "Ctrl+S", "Shift+Ctrl+F5", "Alt+F4", "Del"; empty for scNone and for keys without a name.
std::string ShortCutToText(TShortCut shortcut);
// The reverse of ShortCutToText, ignoring case; scNone for a text it does not know.
TShortCut TextToShortCut(std::string_view text);
// A caption without its accelerator marks: "&File" gives "File", "R&&D" gives "R&D".
std::string StripHotkey(std::string_view text);

// ---- Items ------------------------------------------------------------------------------------

// The canvas draws with the menu font; width and height come in with the size the item
// would have and go out with the size it asks for.
using TMenuMeasureItemEvent =
    TEvent<TObject* /*sender*/, TCanvas* /*canvas*/, int& /*width*/, int& /*height*/>;
// Replaces the item's own drawing: the canvas is the menu's device context, rect the item's.
using TAdvancedMenuDrawItemEvent =
    TEvent<TObject* /*sender*/, TCanvas* /*canvas*/, RECT /*rect*/, TOwnerDrawState /*state*/>;

class TMenuItem : public TComponent {
  TK_CLASS(TMenuItem, TComponent)

 public:
  explicit TMenuItem(TComponent* owner);
  // Leaves the parent item and frees the child items.
  ~TMenuItem() override;

  // ---- Child items
  int GetCount() const { return static_cast<int>(items_.size()); }
  // Raises EMenuError for an index out of range.
  TMenuItem* GetItem(int index) const;
  int IndexOf(const TMenuItem* item) const;
  // Adds an item at the end / at index (0..Count). Raises EMenuError for an item that is in
  // a menu already, for an index out of range and for an item placed inside itself.
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);
  // Takes a child item out without freeing it (an item that is no child does nothing).
  void Remove(TMenuItem* item);
  // Frees the child at index / every child.
  void Delete(int index);
  void Clear();
  // The child whose caption is this one, ignoring accelerators and case; null when none is.
  TMenuItem* Find(std::string_view caption) const;

  TMenuItem* GetParent() const { return parent_; }
  // The position among the parent's items; -1 without parent. Setting it moves the item
  // (clamped to the parent's range).
  int GetMenuIndex() const;
  void SetMenuIndex(int index);
  // The menu at the root of the tree; null for an item outside any menu.
  TMenu* GetParentMenu() const;
  // The menu for a top item, the parent item for the others (form definitions).
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;

  // ---- Properties
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // A caption of "-" makes the item a separator line.
  bool IsLine() const { return caption_ == "-"; }
  TShortCut GetShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut);
  bool GetVisible() const { return visible_; }
  void SetVisible(bool visible);
  bool GetEnabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  // Checking a radio item unchecks the radio items of its group among its siblings.
  bool GetChecked() const { return checked_; }
  void SetChecked(bool checked);
  // The item shown in bold, chosen by a double click in some menus.
  bool GetDefault() const { return default_; }
  void SetDefault(bool value);
  // Shows a bullet instead of a check mark; with GroupIndex, checking one turns off the others.
  bool GetRadioItem() const { return radio_item_; }
  void SetRadioItem(bool radio_item);
  uint8_t GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(uint8_t group_index);
  // The glyph drawn beside the caption, its bottom-left colour see-through (the item is
  // then drawn by the toolkit).
  TBitmap* GetBitmap() const { return bitmap_; }
  void SetBitmap(TBitmap* bitmap);
  // An image of the menu's Images instead of Bitmap; -1 for none.
  int GetImageIndex() const { return image_index_; }
  void SetImageIndex(int index);
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }

  // ---- Native side
  // Whether the item sits in a menu bar (rather than in a pop-up menu or submenu).
  bool IsTopLevel() const;
  // The identifier WM_COMMAND carries for this item.
  UINT GetCommand() const { return command_; }
  // The native menu of the child items (created on first use).
  HMENU GetHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Runs OnClick when the item is enabled.
  virtual void Click();
  // Called while a native owner-drawn item is measured or drawn: the events when set, the
  // toolkit's own look otherwise. top_level is true for the items of a menu bar.
  virtual void MeasureItem(TCanvas* canvas, int& width, int& height);
  virtual void AdvancedDrawItem(TCanvas* canvas, const RECT& rect, TOwnerDrawState state, bool top_level);

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TAdvancedMenuDrawItemEvent OnAdvancedDrawItem;

 protected:
  // After a change that the native menus must show: rebuilds the parent's (or, with
  // rebuild_self, its own) native menu and tells the menu.
  void MenuChanged(bool rebuild_self = false);

 private:
  friend class TMenu;
  friend class TMainMenu;
  static void Publish(TPublisher<TMenuItem>& p);
  void BitmapChanged(TObject* sender);
  // Fills the native menu with the visible child items.
  void RebuildHandle();
  // Rebuilds this item's native menu and every one below it.
  void RebuildAll();
  void DestroyHandle();
  void AppendTo(HMENU menu, bool top_level);
  bool IsOwnerDrawn() const;
  void TurnSiblingsOff();
  void DrawDefault(TCanvas* canvas, const RECT& rect, TOwnerDrawState state, bool top_level);
  SIZE GlyphSize() const;

  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item only
  HMENU handle_ = nullptr;
  UINT command_ = 0;
  std::string caption_;
  std::string hint_;
  TShortCut shortcut_ = scNone;
  bool visible_ = true;
  bool enabled_ = true;
  bool checked_ = false;
  bool default_ = false;
  bool radio_item_ = false;
  uint8_t group_index_ = 0;
  int image_index_ = -1;
  TBitmap* bitmap_;
};

// ---- Menus ------------------------------------------------------------------------------------

enum TFindItemKind { fkCommand, fkHandle, fkShortCut };

class TMenu : public TComponent {
  TK_CLASS(TMenu, TComponent)

 public:
  explicit TMenu(TComponent* owner);
  // Frees the items (and so every child item).
  ~TMenu() override;

  // The root of the tree: its children are the menu's top items.
  TMenuItem* GetItems() const { return items_; }
  // The native menu (created on first use).
  HMENU GetHandle() { return items_->GetHandle(); }

  // Every item measures and draws itself through the OnMeasureItem / OnAdvancedDrawItem
  // events (or the toolkit's own look). Changing it rebuilds the native menus.
  bool GetOwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool owner_draw);
  // Glyphs of the items with an ImageIndex; null for none.
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* images);
  // The window the menu belongs to (the form of a menu bar, the owner of a pop-up's
  // messages); null for none.
  HWND GetWindowHandle() const { return window_; }
  virtual void SetWindowHandle(HWND window);

  // The top items as the menu shows them (a menu bar's merged menu placed among them).
  virtual std::vector<TMenuItem*> BarItems() const;
  // An item of this menu (or of a menu merged into it) by command identifier, native submenu
  // handle or shortcut.
  TMenuItem* FindItem(UINT_PTR value, TFindItemKind kind) const;
  // Clicks the item with the command; false when the menu has none.
  bool DispatchCommand(UINT command);
  // A native submenu of this menu is about to open: its item's OnClick runs.
  bool DispatchPopup(HMENU submenu);
  // A key message (CN_KEYDOWN / CN_SYSKEYDOWN) that is the shortcut of a visible item
  // whose parents are visible and enabled: clicks it when enabled; true when found.
  virtual bool IsShortCut(TMessage& message);

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  // The tree changed; rebuild tells whether the native menus were rebuilt.
  virtual void MenuChanged(TMenuItem* source, bool rebuild);
  // Whether the root's native menu is a menu bar (else a pop-up menu).
  virtual bool IsMenuBar() const { return false; }

  HWND window_ = nullptr;

 private:
  friend class TMenuItem;
  static void Publish(TPublisher<TMenu>& p);

  TMenuItem* items_;
  bool owner_draw_ = false;
  TCustomImageList* images_ = nullptr;
};

// The menu bar of a form (the form's Menu property attaches it to the form's window).
//
// An MDI main form's bar shows the menu of its active child too, merged by GroupIndex: a top
// item of the child's menu takes the place of the bar's own items of the same GroupIndex, the
// others go between the bar's items in GroupIndex order.
class TMainMenu : public TMenu {
  TK_CLASS(TMainMenu, TMenu)

 public:
  explicit TMainMenu(TComponent* owner);
  // Leaves the bar it is merged into, and gives back the menu merged into it.
  ~TMainMenu() override;
  // Shows the bar in the window (taking it off the window it was in before).
  void SetWindowHandle(HWND window) override;

  // Shows menu's top items in this bar (in place of any merged before); null shows none.
  void Merge(TMainMenu* menu);
  // Takes menu out again when it is the merged one.
  void Unmerge(TMainMenu* menu);
  TMainMenu* GetMerged() const { return merged_; }
  std::vector<TMenuItem*> BarItems() const override;

 protected:
  void MenuChanged(TMenuItem* source, bool rebuild) override;
  bool IsMenuBar() const override { return true; }

 private:
  void BarChanged();

  TMainMenu* merged_ = nullptr;       // shown in this bar
  TMainMenu* merged_into_ = nullptr;  // the bar this menu is shown in
};

enum TPopupAlignment { paLeft, paRight, paCenter };
enum TTrackButton { tbRightButton, tbLeftButton };

// A menu shown at a point, e.g. a control's PopupMenu on a right click.
class TPopupMenu : public TMenu {
  TK_CLASS(TPopupMenu, TMenu)

 public:
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  // Shows the menu at a screen point and returns once it is closed, after the chosen item's
  // OnClick has run. OnPopup runs first.
  virtual void Popup(int x, int y);
  // The control that opened the menu last (set by the control before Popup).
  TComponent* GetPopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* component);
  // Where the menu lies relative to the point.
  TPopupAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment alignment) { alignment_ = alignment; }
  // Opened by a control's right click (else only by Popup).
  bool GetAutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool auto_popup) { auto_popup_ = auto_popup; }
  // The mouse button that chooses items.
  TTrackButton GetTrackButton() const { return track_button_; }
  void SetTrackButton(TTrackButton button) { track_button_ = button; }

  TNotifyEvent OnPopup;

 protected:
  void Notification(TComponent* component, TOperation operation) override;
  virtual void DoPopup();

 private:
  static void Publish(TPublisher<TPopupMenu>& p);

  TComponent* popup_component_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  bool auto_popup_ = true;
  TTrackButton track_button_ = tbRightButton;
};

// Routes a window's menu messages (WM_COMMAND from a menu or accelerator, WM_INITMENUPOPUP,
// WM_MEASUREITEM and WM_DRAWITEM of menu items) to the items: commands to the window's own
// menu bar, the others to whichever menu the item belongs to. False when it is no menu
// message of ours, which then goes on to the default handling.
bool DispatchMenuMessage(TMenu* window_menu, TMessage& message);

// Tries the shortcuts of the pop-up menus of a control and its parents, innermost first.
bool IsPopupMenuShortCut(TControl* control, TMessage& message);

// Registers TMenuItem, TMainMenu and TPopupMenu for form definitions.
void RegisterMenuClasses();
