// Menus: shortcut texts, item trees kept in step with the native menus, a form's menu bar
// (commands, shortcuts, submenus opening), pop-up menus opened by a right click on windowed
// and windowless controls, and owner-drawn items measured and drawn through their events.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <array>

#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "visual_test_classes.h"

using testing::ElementsAre;
using testing::IsEmpty;

// The form of menus_test.form; its handlers record what they see in Trace().
class TMenuTestForm : public TForm {
  TK_CLASS(TMenuTestForm, TForm)
  TK_MESSAGE_MAP

 public:
  explicit TMenuTestForm(TComponent* owner) : TForm(owner) {}

  void ItemClick(TObject* sender) {
    Trace().push_back("click " + static_cast<TMenuItem*>(sender)->GetName());
  }
  void MenuPopup(TObject* sender) {
    auto* menu = static_cast<TPopupMenu*>(sender);
    std::string by = menu->GetPopupComponent() ? menu->GetPopupComponent()->GetName() : "-";
    Trace().push_back("popup " + menu->GetName() + " by " + by);
    // The menu's loop takes these from the queue once the menu shows.
    for (WORD key : keys) PostMessageA(GetHandle(), WM_KEYDOWN, key, 1);
  }
  void ItemMeasure(TObject* sender, TCanvas* canvas, int& width, int& height) {
    Trace().push_back("measure " + static_cast<TMenuItem*>(sender)->GetName() + " from " +
                      std::to_string(height));
    measured_text_height = canvas->TextHeight("W");
    width = 150;
    height = 31;
  }
  void ItemDraw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState state) {
    Trace().push_back("draw " + static_cast<TMenuItem*>(sender)->GetName() + " " +
                      std::to_string(rect.bottom - rect.top) +
                      (state.Contains(odSelected) ? " selected" : ""));
    canvas->GetBrush()->SetColor(clLime);
    canvas->FillRect(rect);
  }
  void FormShortCut(TMessage& message, bool& handled) {
    if (message.WParam == static_cast<WPARAM>(swallow)) handled = true;
  }

  std::vector<WORD> keys;  // posted when a pop-up menu opens
  WORD swallow = 0;        // the key OnShortCut takes
  int measured_text_height = 0;
  int menu_changes = 0;

 private:
  static void Publish(TPublisher<TMenuTestForm>& p) {
    p.Method("ItemClick", &TMenuTestForm::ItemClick);
    p.Method("MenuPopup", &TMenuTestForm::MenuPopup);
    p.Method("ItemMeasure", &TMenuTestForm::ItemMeasure);
    p.Method("ItemDraw", &TMenuTestForm::ItemDraw);
    p.Method("FormShortCut", &TMenuTestForm::FormShortCut);
  }
  void CMMenuChanged(TMessage& message) {
    ++menu_changes;
    TK_INHERITED(message);
  }
};

TK_CLASS_INFO(TMenuTestForm, TForm)

TK_BEGIN_MESSAGE_MAP(TMenuTestForm)
TK_MESSAGE(CM_MENUCHANGED, CMMenuChanged)
TK_END_MESSAGE_MAP()

namespace {

// What the menus did, without what the test controls record of themselves ("shp:paint").
std::vector<std::string> MenuTrace() {
  std::vector<std::string> entries;
  for (const std::string& entry : Trace())
    if (entry.find(':') == std::string::npos) entries.push_back(entry);
  return entries;
}

std::string NativeText(HMENU menu, UINT position) {
  char text[128] = {};
  GetMenuStringA(menu, position, text, sizeof text, MF_BYPOSITION);
  return text;
}

// ---- Shortcut texts -----------------------------------------------------------------------

TEST(ShortCutText, NamesKeysWithTheirModifiers) {
  EXPECT_EQ(ShortCutToText(ShortCut('S', {ssCtrl})), "Ctrl+S");
  EXPECT_EQ(ShortCut('S', {ssCtrl}), 16467);
  EXPECT_EQ(ShortCutToText(ShortCut(VK_F5, {})), "F5");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_DELETE, {})), "Del");
  EXPECT_EQ(ShortCutToText(32883), "Alt+F4");
  EXPECT_EQ(ShortCutToText(ShortCut(VK_RETURN, {ssShift, ssCtrl, ssLeft})), "Shift+Ctrl+Enter");
  EXPECT_EQ(ShortCutToText(scNone), "");
  WORD key = 0;
  TShiftState shift;
  ShortCutToKey(32883, key, shift);
  EXPECT_EQ(key, VK_F4);
  EXPECT_EQ(shift, TShiftState{ssAlt});
}

TEST(ShortCutText, TextGivesTheShortCutBackIgnoringCase) {
  for (TShortCut shortcut :
       {ShortCut('S', {ssCtrl}), ShortCut(VK_F5, {}), ShortCut(VK_DELETE, {}), static_cast<TShortCut>(32883),
        ShortCut(VK_NEXT, {ssShift, ssAlt}), ShortCut('7', {ssCtrl})})
    EXPECT_EQ(TextToShortCut(ShortCutToText(shortcut)), shortcut) << ShortCutToText(shortcut);
  EXPECT_EQ(TextToShortCut("ctrl+s"), ShortCut('S', {ssCtrl}));
  EXPECT_EQ(TextToShortCut("Ctrl+"), scNone);
  EXPECT_EQ(TextToShortCut("Ctrl+Nothing"), scNone);
  EXPECT_EQ(TextToShortCut(""), scNone);
}

TEST(ShortCutText, StripHotkeyKeepsDoubledAmpersands) {
  EXPECT_EQ(StripHotkey("&File"), "File");
  EXPECT_EQ(StripHotkey("R&&D &Tools"), "R&D Tools");
  EXPECT_EQ(StripHotkey("End&"), "End");
}

// ---- Item trees and their native menus -----------------------------------------------------

class MenuTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    owner = New<TComponent>(nullptr);
    menu = New<TPopupMenu>(owner);
  }
  void TearDown() override { Free(owner); }
  TMenuItem* Item(const char* name, const char* caption, TMenuItem* parent) {
    auto* item = New<TMenuItem>(owner);
    item->SetName(name);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }

  TComponent* owner = nullptr;
  TPopupMenu* menu = nullptr;
};

TEST_F(MenuTreeTest, NativeMenuFollowsInsertMoveRemoveAndVisibility) {
  TMenuItem* root = menu->GetItems();
  TMenuItem* a = Item("a", "&Alpha", root);
  TMenuItem* b = Item("b", "Beta", root);
  HMENU native = menu->GetHandle();
  ASSERT_EQ(GetMenuItemCount(native), 2);

  auto* c = New<TMenuItem>(owner);
  c->SetCaption("Gamma");
  c->SetShortCut(ShortCut('G', {ssCtrl}));
  root->Insert(0, c);
  EXPECT_EQ(GetMenuItemCount(native), 3);
  EXPECT_EQ(NativeText(native, 0), "Gamma\tCtrl+G");
  EXPECT_EQ(GetMenuItemID(native, 1), a->GetCommand());
  EXPECT_EQ(c->GetMenuIndex(), 0);

  b->SetMenuIndex(0);
  EXPECT_EQ(root->IndexOf(b), 0);
  EXPECT_EQ(GetMenuItemID(native, 0), b->GetCommand());

  a->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(native), 2);
  a->SetVisible(true);
  a->SetEnabled(false);
  a->SetChecked(true);
  UINT state = GetMenuState(native, a->GetCommand(), MF_BYCOMMAND);
  EXPECT_TRUE(state & MF_GRAYED);
  EXPECT_TRUE(state & MF_CHECKED);

  root->Remove(b);
  EXPECT_EQ(b->GetParent(), nullptr);
  EXPECT_EQ(GetMenuItemCount(native), 2);
  EXPECT_EQ(root->IndexOf(b), -1);
  root->Delete(0);  // c, freed
  EXPECT_EQ(GetMenuItemCount(native), 1);
  EXPECT_EQ(owner->FindComponent("b"), b);
  Free(b);
}

TEST_F(MenuTreeTest, ChildItemsMakeASubmenuAndGoWithTheirParent) {
  TMenuItem* file = Item("file", "&File", menu->GetItems());
  HMENU native = menu->GetHandle();
  EXPECT_EQ(GetSubMenu(native, 0), nullptr);
  TMenuItem* save = Item("save", "&Save", file);
  Item("close", "&Close", file);
  HMENU sub = GetSubMenu(native, 0);
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub, file->GetHandle());
  EXPECT_EQ(GetMenuItemCount(sub), 2);
  EXPECT_EQ(save->GetParentMenu(), menu);
  EXPECT_EQ(menu->FindItem(reinterpret_cast<UINT_PTR>(sub), fkHandle), file);

  int components = owner->GetComponentCount();
  Free(file);
  EXPECT_EQ(owner->GetComponentCount(), components - 3);
  EXPECT_EQ(GetMenuItemCount(native), 0);
  EXPECT_EQ(menu->GetItems()->GetCount(), 0);
}

TEST_F(MenuTreeTest, GlyphsMakeItemsOwnerDrawnUntilTheirImageListGoes) {
  auto owner_drawn = [&](TMenuItem* item) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_FTYPE;
    GetMenuItemInfoA(menu->GetHandle(), item->GetCommand(), FALSE, &info);
    return (info.fType & MFT_OWNERDRAW) != 0;
  };
  TMenuItem* item = Item("item", "Item", menu->GetItems());
  item->SetImageIndex(0);
  EXPECT_FALSE(owner_drawn(item));
  // An image list of another owner: the menu hears of it going all the same.
  auto* images = New<TCustomImageList>(nullptr);
  menu->SetImages(images);
  EXPECT_TRUE(owner_drawn(item));
  Free(images);
  EXPECT_EQ(menu->GetImages(), nullptr);
  EXPECT_FALSE(owner_drawn(item));
}

TEST_F(MenuTreeTest, InsertRefusesItemsAlreadyPlacedAndLoops) {
  TMenuItem* a = Item("a", "A", menu->GetItems());
  TMenuItem* b = Item("b", "B", a);
  EXPECT_THROW(menu->GetItems()->Add(b), EMenuError);
  EXPECT_THROW(b->Add(a), EMenuError);
  auto* loose = New<TMenuItem>(owner);
  EXPECT_THROW(b->Insert(5, loose), EMenuError);
  EXPECT_THROW(b->Add(menu->GetItems()), EMenuError);
  EXPECT_THROW(a->GetItem(1), EMenuError);
}

TEST_F(MenuTreeTest, CheckingARadioItemClearsItsGroupOnly) {
  TMenuItem* root = menu->GetItems();
  TMenuItem* one = Item("one", "One", root);
  TMenuItem* two = Item("two", "Two", root);
  TMenuItem* other = Item("other", "Other", root);
  for (TMenuItem* item : {one, two, other}) item->SetRadioItem(true);
  other->SetGroupIndex(2);
  one->SetChecked(true);
  other->SetChecked(true);
  two->SetChecked(true);
  EXPECT_FALSE(one->GetChecked());
  EXPECT_TRUE(two->GetChecked());
  EXPECT_TRUE(other->GetChecked());
  HMENU native = menu->GetHandle();
  EXPECT_FALSE(GetMenuState(native, one->GetCommand(), MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(native, two->GetCommand(), MF_BYCOMMAND) & MF_CHECKED);
}

TEST_F(MenuTreeTest, CommandsAndShortCutsClickEnabledItemsOfTheirOwnMenu) {
  struct TProbe : TObject {
    int clicks = 0;
    void Click(TObject*) { ++clicks; }
  } probe;
  TMenuItem* edit = Item("edit", "Edit", menu->GetItems());
  TMenuItem* copy = Item("copy", "Copy", edit);
  copy->SetShortCut(ShortCut('C', {ssCtrl}));
  copy->OnClick = TNotifyEvent(&probe, &TProbe::Click);
  EXPECT_TRUE(menu->DispatchCommand(copy->GetCommand()));
  EXPECT_EQ(probe.clicks, 1);
  EXPECT_EQ(menu->FindItem(ShortCut('C', {ssCtrl}), fkShortCut), copy);

  auto* other = New<TPopupMenu>(owner);
  EXPECT_FALSE(other->DispatchCommand(copy->GetCommand()));
  EXPECT_EQ(other->FindItem(copy->GetCommand(), fkCommand), nullptr);

  copy->SetEnabled(false);
  EXPECT_TRUE(menu->DispatchCommand(copy->GetCommand()));
  EXPECT_EQ(probe.clicks, 1);
  // The key of a disabled item (or one under a disabled parent) goes on to the control.
  TMessage key{CN_KEYDOWN, 'C', 1, 0};
  EXPECT_FALSE(menu->IsShortCut(key));
  copy->SetEnabled(true);
  edit->SetEnabled(false);
  EXPECT_FALSE(menu->IsShortCut(key));
}

// The commands of a menu bar's native menu, left to right.
std::vector<UINT> NativeCommands(HMENU menu) {
  std::vector<UINT> commands;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID;  // items with a submenu have one too
    GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    commands.push_back(info.wID);
  }
  return commands;
}

TEST_F(MenuTreeTest, AMergedMenuTakesTheBarsPlacesByGroupIndexUntilItGoes) {
  auto* bar = New<TMainMenu>(owner);
  auto* other = New<TMainMenu>(owner);
  auto top = [&](TMainMenu* menu, const char* caption, uint8_t group) {
    TMenuItem* item = Item("", caption, menu->GetItems());
    item->SetGroupIndex(group);
    return item;
  };
  TMenuItem* file = top(bar, "File", 0);
  TMenuItem* window = top(bar, "Window", 5);
  TMenuItem* help = top(bar, "Help", 9);
  TMenuItem* open = top(other, "File", 0);  // takes the bar's File's place
  TMenuItem* tools = top(other, "Tools", 7);
  TMenuItem* edit = top(other, "Edit", 1);  // out of order: placed by its group all the same
  TMenuItem* copy = Item("", "Copy", edit);
  copy->SetShortCut(ShortCut('C', {ssCtrl}));
  HMENU native = bar->GetHandle();
  ASSERT_EQ(NativeCommands(native),
            (std::vector<UINT>{file->GetCommand(), window->GetCommand(), help->GetCommand()}));

  bar->Merge(other);
  EXPECT_EQ(bar->GetMerged(), other);
  EXPECT_EQ(bar->BarItems(), (std::vector<TMenuItem*>{open, edit, window, tools, help}));
  EXPECT_EQ(NativeCommands(native),
            (std::vector<UINT>{open->GetCommand(), edit->GetCommand(), window->GetCommand(),
                               tools->GetCommand(), help->GetCommand()}));
  // The merged items answer through the bar: commands, submenus and shortcuts.
  EXPECT_EQ(bar->FindItem(copy->GetCommand(), fkCommand), copy);
  EXPECT_EQ(bar->FindItem(ShortCut('C', {ssCtrl}), fkShortCut), copy);
  EXPECT_EQ(GetSubMenu(native, 1), edit->GetHandle());
  // A change of the merged menu shows in the bar.
  tools->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(native), 4);
  tools->SetVisible(true);
  EXPECT_EQ(GetMenuItemCount(native), 5);

  // Merged into another bar, it leaves this one.
  auto* second = New<TMainMenu>(owner);
  second->Merge(other);
  EXPECT_EQ(bar->GetMerged(), nullptr);
  EXPECT_EQ(NativeCommands(native),
            (std::vector<UINT>{file->GetCommand(), window->GetCommand(), help->GetCommand()}));
  second->Unmerge(bar);  // not the merged one: nothing happens
  EXPECT_EQ(second->GetMerged(), other);

  // Freed while merged, the menu leaves the bar; a bar freed first lets its menu go.
  bar->Merge(other);
  Free(other);
  EXPECT_EQ(bar->GetMerged(), nullptr);
  EXPECT_EQ(GetMenuItemCount(native), 3);
  auto* last = New<TMainMenu>(owner);
  top(last, "Last", 3);
  second->Merge(last);
  Free(second);
  Free(last);  // no bar left to tell
}

// ---- A form with menus ---------------------------------------------------------------------

class MenuFormTest : public testing::Test {
 protected:
  void SetUp() override {
    RegisterMenuClasses();
    RegisterClass(TMenuTestForm::StaticClass());
    Trace().clear();
    form = New<TMenuTestForm>(nullptr);
    form->Show();
    SetForegroundWindow(form->GetHandle());
    PumpUntil([&] { return form->GetActive(); });
    // Closes a menu the test failed to close, so a failure cannot hang the run.
    safety_ = SetTimer(nullptr, 0, 8000, [](HWND, UINT, UINT_PTR, DWORD) { EndMenu(); });
  }
  void TearDown() override {
    KillTimer(nullptr, safety_);
    SetKeyboardState(std::array<BYTE, 256>{}.data());
    Free(form);
    Pump();
  }
  template <class T>
  T* Find(const char* name) {
    return static_cast<T*>(form->FindComponent(name));
  }
  // A right click as the mouse gives it, at client coordinates of a windowed control.
  void RightClick(TWinControl* control, int x, int y) {
    PostMessageA(control->GetHandle(), WM_RBUTTONDOWN, MK_RBUTTON, PointToLParam({x, y}));
    PostMessageA(control->GetHandle(), WM_RBUTTONUP, 0, PointToLParam({x, y}));
    Pump();
  }
  void PressKey(TWinControl* control, WORD key) {
    PostMessageA(control->GetHandle(), WM_KEYDOWN, key, 1);
    PostMessageA(control->GetHandle(), WM_KEYUP, key, 0xC0000001);
    Pump();
  }

  TDesktopLock lock_;
  TMenuTestForm* form = nullptr;
  UINT_PTR safety_ = 0;
};

TEST_F(MenuFormTest, DefinitionBuildsTheMenusAndShowsTheBarInTheForm) {
  auto* bar = Find<TMainMenu>("mmMain");
  auto* file = Find<TMenuItem>("miFile");
  auto* save = Find<TMenuItem>("miSave");
  ASSERT_TRUE(bar && file && save);
  EXPECT_EQ(form->GetMenu(), bar);
  EXPECT_EQ(GetMenu(form->GetHandle()), bar->GetHandle());
  EXPECT_EQ(bar->GetItems()->GetCount(), 2);
  EXPECT_EQ(file->GetParentComponent(), bar);
  EXPECT_EQ(save->GetParent(), file);
  EXPECT_EQ(save->GetShortCut(), ShortCut('S', {ssCtrl}));
  EXPECT_FALSE(Find<TMenuItem>("miRefresh")->GetEnabled());
  EXPECT_TRUE(Find<TMenuItem>("miLarge")->GetChecked());
  EXPECT_EQ(Find<TControl>("pnl")->GetPopupMenu(), Find<TPopupMenu>("pmList"));
  EXPECT_EQ(Find<TControl>("shp")->GetPopupMenu(), Find<TPopupMenu>("pmShape"));
  // The bar takes its room above the client area, not out of it.
  EXPECT_EQ(form->GetClientHeight(), 200);
  EXPECT_EQ(NativeText(bar->GetHandle(), 0), "&File");
  EXPECT_EQ(NativeText(file->GetHandle(), 0), "&Save\tCtrl+S");
}

TEST_F(MenuFormTest, MenuCommandsReachTheItemsOnClick) {
  auto* save = Find<TMenuItem>("miSave");
  auto* file = Find<TMenuItem>("miFile");
  PostMessageA(form->GetHandle(), WM_COMMAND, MAKEWPARAM(save->GetCommand(), 0), 0);
  Pump();
  EXPECT_THAT(MenuTrace(), ElementsAre("click miSave"));
  // A submenu about to open tells its item first.
  SendMessageA(form->GetHandle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file->GetHandle()), 0);
  EXPECT_THAT(MenuTrace(), ElementsAre("click miSave", "click miFile"));
  // A disabled item's command does nothing.
  PostMessageA(form->GetHandle(), WM_COMMAND, MAKEWPARAM(Find<TMenuItem>("miRefresh")->GetCommand(), 0), 0);
  Pump();
  EXPECT_EQ(MenuTrace().size(), 2u);
}

TEST_F(MenuFormTest, KeyboardOpensTheBarAndChoosesAnItem) {
  // Alt+F opens "File"; Enter chooses its first item through the native menu loop.
  PostMessageA(form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  PostMessageA(form->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpUntil([] { return !TraceOf("click miSave").empty(); }, 3000);
  EXPECT_THAT(MenuTrace(), ElementsAre("click miFile", "click miSave"));
}

TEST_F(MenuFormTest, ShortCutsGoToOnShortCutFirstThenToTheMenus) {
  auto* pnl = Find<TTestPanel>("pnl");
  pnl->SetFocus();
  std::array<BYTE, 256> keys{};
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys.data());
  PressKey(pnl, 'S');
  EXPECT_THAT(MenuTrace(), ElementsAre("click miSave"));
  form->swallow = 'S';
  PressKey(pnl, 'S');
  EXPECT_EQ(MenuTrace().size(), 1u);
  SetKeyboardState(std::array<BYTE, 256>{}.data());
  // Del is the shortcut of the focused panel's pop-up menu; F5's item is disabled.
  PressKey(pnl, VK_DELETE);
  PressKey(pnl, VK_F5);
  EXPECT_THAT(MenuTrace(), ElementsAre("click miSave", "click miRemove"));
}

TEST_F(MenuFormTest, ChangedItemsRedrawTheBar) {
  int before = form->menu_changes;
  Find<TMenuItem>("miView")->SetCaption("&Look");
  EXPECT_GT(form->menu_changes, before);
  EXPECT_EQ(NativeText(form->GetMenu()->GetHandle(), 1), "&Look");
  // A menu freed while the form lives leaves it without a bar.
  Free(form->GetMenu());
  EXPECT_EQ(form->GetMenu(), nullptr);
  EXPECT_EQ(GetMenu(form->GetHandle()), nullptr);
}

// ---- Pop-up menus --------------------------------------------------------------------------

TEST_F(MenuFormTest, RightClickOpensTheControlsMenuAndRunsTheChosenItem) {
  auto* pnl = Find<TTestPanel>("pnl");
  form->keys = {VK_DOWN, VK_RETURN};
  RightClick(pnl, 100, 80);
  EXPECT_THAT(MenuTrace(), ElementsAre("popup pmList by pnl", "click miRemove"));
  Trace().clear();
  form->keys = {VK_ESCAPE};
  RightClick(pnl, 100, 80);
  EXPECT_THAT(MenuTrace(), ElementsAre("popup pmList by pnl"));
}

TEST_F(MenuFormTest, ControlWithoutMenuOpensItsParentsMenu) {
  form->keys = {VK_ESCAPE};
  RightClick(Find<TTestPanel>("inner"), 5, 5);
  EXPECT_THAT(MenuTrace(), ElementsAre("popup pmList by pnl"));
}

TEST_F(MenuFormTest, WindowlessControlOpensItsOwnMenu) {
  form->keys = {VK_DOWN, VK_RETURN};
  auto* shp = Find<TControl>("shp");
  RightClick(Find<TTestPanel>("pnl"), shp->GetLeft() + 5, shp->GetTop() + 5);
  EXPECT_THAT(MenuTrace(), ElementsAre("popup pmShape by shp", "click miShape"));
}

TEST_F(MenuFormTest, HandledContextPopupKeepsTheMenuClosed) {
  struct TProbe : TObject {
    POINT at{};
    void Popup(TObject*, POINT mouse, bool& handled) {
      at = mouse;
      handled = true;
    }
  } probe;
  auto* pnl = Find<TTestPanel>("pnl");
  pnl->OnContextPopup = TContextPopupEvent(&probe, &TProbe::Popup);
  form->keys = {VK_ESCAPE};
  RightClick(pnl, 100, 80);
  EXPECT_THAT(MenuTrace(), IsEmpty());
  EXPECT_EQ(probe.at.x, 100);
  EXPECT_EQ(probe.at.y, 80);
}

TEST_F(MenuFormTest, ContextMenuKeyOpensTheMenuAtTheControl) {
  auto* pnl = Find<TTestPanel>("pnl");
  form->keys = {VK_ESCAPE};
  SendMessageA(pnl->GetHandle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(pnl->GetHandle()),
               MAKELPARAM(-1, -1));
  EXPECT_THAT(MenuTrace(), ElementsAre("popup pmList by pnl"));
}

TEST_F(MenuFormTest, FreedPopupMenuIsForgottenByItsControls) {
  auto* pnl = Find<TTestPanel>("pnl");
  Free(Find<TPopupMenu>("pmList"));
  EXPECT_EQ(pnl->GetPopupMenu(), nullptr);
  RightClick(pnl, 100, 80);
  EXPECT_THAT(MenuTrace(), IsEmpty());
}

// ---- Owner drawing -------------------------------------------------------------------------

TEST_F(MenuFormTest, OwnerDrawnItemsAreMeasuredAndDrawnThroughTheirEvents) {
  auto* list = Find<TPopupMenu>("pmList");
  auto* remove = Find<TMenuItem>("miRemove");
  remove->OnMeasureItem = TMenuMeasureItemEvent(form, &TMenuTestForm::ItemMeasure);
  remove->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(form, &TMenuTestForm::ItemDraw);
  list->SetOwnerDraw(true);
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE;
  GetMenuItemInfoA(list->GetHandle(), 0, TRUE, &info);
  EXPECT_TRUE(info.fType & MFT_OWNERDRAW);

  form->keys = {VK_DOWN, VK_RETURN};
  RightClick(Find<TTestPanel>("pnl"), 100, 80);
  // The measured height is the height the item is drawn at; selecting it draws it again.
  std::vector<std::string> draws = TraceOf("draw");
  ASSERT_GE(draws.size(), 2u);
  EXPECT_EQ(draws.front(), "draw miRemove 31");
  EXPECT_EQ(draws.back(), "draw miRemove 31 selected");
  EXPECT_EQ(TraceOf("measure").size(), 1u);
  EXPECT_EQ(TraceOf("click").size(), 1u);
  EXPECT_EQ(MenuTrace().back(), "click miRemove");
  EXPECT_GT(form->measured_text_height, 0);

  // Switching it off gives the native items back.
  list->SetOwnerDraw(false);
  GetMenuItemInfoA(list->GetHandle(), 0, TRUE, &info);
  EXPECT_FALSE(info.fType & MFT_OWNERDRAW);
}

TEST_F(MenuFormTest, ItemsWithoutEventsDrawThemselvesWhenOwnerDrawn) {
  auto* bar = form->GetMenu();
  auto* save = Find<TMenuItem>("miSave");
  auto* glyph = New<TBitmap>();
  glyph->SetSize(16, 16);
  glyph->GetCanvas()->GetBrush()->SetColor(clRed);
  glyph->GetCanvas()->FillRect({0, 0, 16, 16});
  save->SetBitmap(glyph);
  Free(glyph);
  bar->SetOwnerDraw(true);
  // Opening "File" measures and draws its items (glyph, caption, shortcut) with the toolkit's
  // look; choosing Save still works.
  PostMessageA(form->GetHandle(), WM_SYSCOMMAND, SC_KEYMENU, 'f');
  PostMessageA(form->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  PumpUntil([] { return !TraceOf("click miSave").empty(); }, 3000);
  EXPECT_THAT(MenuTrace(), ElementsAre("click miFile", "click miSave"));
}

}  // namespace
