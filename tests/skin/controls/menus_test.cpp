// The skinned menus: which items count as dividers, captions and top items, handlers hooked
// only into empty events and taken away only when they are ours, sizes measured from the
// menu font, and items drawn into bitmaps on the internal skin's menu sections.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "skin/controls/sskinmenus.h"
#include "skin/controls/sskinprovider.h"
#include "skin/controls/ssystemmenu.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/graphics.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "toolkit/messages.h"

namespace {

// Handlers an application might have put on its items.
class TAppHandlers : public TObject {
 public:
  void Measure(TObject*, TCanvas*, int&, int&) {}
  void Draw(TObject*, TCanvas*, RECT, TOwnerDrawState) {}
  void Drawn(TObject*, TCanvas*, RECT, TOwnerDrawState) { ++drawn; }
  int drawn = 0;
};

class MenusTest : public SkinTest {
 protected:
  void SetUp() override {
    SkinTest::SetUp();
    form_ = New<TForm>(Application, kCreateNew);
    popup_ = New<TPopupMenu>(form_);
    main_ = New<TMainMenu>(form_);
    menus_ = New<TsSkinableMenus>(nullptr);
  }
  void TearDown() override {
    Free(menus_);
    Free(form_);
    SkinTest::TearDown();
  }

  TMenuItem* Add(TMenuItem* parent, const std::string& caption) {
    auto* item = New<TMenuItem>(form_);
    item->SetCaption(caption);
    parent->Add(item);
    return item;
  }

  static void LoadInternalSkin(TsSkinManager& manager) {
    RegisterSkinEngineClasses();
    ASSERT_TRUE(ReadInternalSkin(&manager, DRAVOLIN_SKIN_DIR));
  }

  static TsGeneralData& Section(const char* name) {
    const int index = GetSkinIndex(name);
    EXPECT_TRUE(IsValidSkinIndex(index)) << name;
    return SkinGeneralData[index];
  }

  // Flat colours, so that every pixel of a section's body is known: the popup background,
  // the selection, and an unselected item that lets the popup background show through.
  static void FlattenMenuSections() {
    TsGeneralData& background = Section("MAINMENU");
    background.PaintingColor = 0x203040;
    background.GradientPercent = background.ImagePercent = background.PaintingTransparency = 0;
    TsGeneralData& item = Section("MENUITEM");
    item.PaintingTransparency = 100;
    item.GradientPercent = item.ImagePercent = 0;
    item.HotPaintingColor = 0xC08040;
    item.HotGradientPercent = item.HotImagePercent = item.HotPaintingTransparency = 0;
    TsGeneralData& line = Section("MENULINE");
    line.PaintingColor = 0x306050;
    line.GradientPercent = line.ImagePercent = line.PaintingTransparency = 0;
  }

  // A 24-bit bitmap filled with one colour.
  static TBitmap* Canvas24(int width, int height, TColor fill = 0x00FF00) {
    auto* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(width, height);
    bmp->GetCanvas()->GetBrush()->SetColor(fill);
    bmp->GetCanvas()->FillRect(RECT{0, 0, width, height});
    return bmp;
  }

  // The menu font as the painter takes it, for measuring the expected sizes.
  static TBitmap* MenuFontCanvas() {
    TBitmap* bmp = Canvas24(1, 1);
    bmp->GetCanvas()->GetFont()->Assign(Screen->GetMenuFont());
    return bmp;
  }

  TForm* form_ = nullptr;
  TPopupMenu* popup_ = nullptr;
  TMainMenu* main_ = nullptr;
  TsSkinableMenus* menus_ = nullptr;
  TAppHandlers app_;
};

// ---- Item types -------------------------------------------------------------------------------

TEST_F(MenusTest, ItemTypesFollowTheCaptionAndTheMenuBar) {
  TMenuItem* file = Add(main_->GetItems(), "&File");
  TMenuItem* sub = Add(file, "Open");
  EXPECT_EQ(MenuItemType(file), TsMenuItemType::smTopLine);
  EXPECT_EQ(MenuItemType(sub), TsMenuItemType::smNormal);
  EXPECT_EQ(MenuItemType(Add(popup_->GetItems(), "-")), TsMenuItemType::smDivider);
  EXPECT_EQ(MenuItemType(Add(popup_->GetItems(), "-Group-")), TsMenuItemType::smCaption);
  EXPECT_EQ(MenuItemType(Add(popup_->GetItems(), "--")), TsMenuItemType::smCaption);
  EXPECT_EQ(MenuItemType(Add(popup_->GetItems(), "-dash")), TsMenuItemType::smNormal);
  EXPECT_EQ(MenuItemType(Add(popup_->GetItems(), "&Remove")), TsMenuItemType::smNormal);
}

// ---- Hooking ----------------------------------------------------------------------------------

TEST_F(MenusTest, HandlersGoOnlyIntoEmptyEventsAndOnlyOursComeOff) {
  TMenuItem* plain = Add(popup_->GetItems(), "Plain");
  TMenuItem* own = Add(popup_->GetItems(), "Own");
  TMenuItem* nested = Add(own, "Nested");
  own->OnMeasureItem = TMenuMeasureItemEvent(&app_, &TAppHandlers::Measure);

  menus_->HookPopupMenu(popup_, true);
  EXPECT_TRUE(popup_->GetOwnerDraw());
  EXPECT_TRUE(menus_->IsHooked(plain));
  EXPECT_TRUE(menus_->IsHooked(nested));
  EXPECT_TRUE(plain->OnMeasureItem);
  EXPECT_EQ(own->OnMeasureItem, TMenuMeasureItemEvent(&app_, &TAppHandlers::Measure));
  EXPECT_TRUE(menus_->IsHooked(own));  // its empty draw event took ours

  // The application swaps a handler of ours for its own meanwhile.
  plain->OnAdvancedDrawItem = TAdvancedMenuDrawItemEvent(&app_, &TAppHandlers::Draw);
  menus_->HookPopupMenu(popup_, false);
  EXPECT_FALSE(popup_->GetOwnerDraw());
  EXPECT_EQ(plain->OnAdvancedDrawItem, TAdvancedMenuDrawItemEvent(&app_, &TAppHandlers::Draw));
  EXPECT_FALSE(plain->OnMeasureItem);
  EXPECT_EQ(own->OnMeasureItem, TMenuMeasureItemEvent(&app_, &TAppHandlers::Measure));
  EXPECT_FALSE(own->OnAdvancedDrawItem);
  EXPECT_FALSE(menus_->IsHooked(nested));
}

TEST_F(MenusTest, MainMenuTopItemsGetTheLineHandlersAndSubitemsThePopupOnes) {
  TMenuItem* file = Add(main_->GetItems(), "&File");
  TMenuItem* open = Add(file, "Open");
  menus_->HookMainMenu(main_, true);
  EXPECT_TRUE(main_->GetOwnerDraw());
  EXPECT_EQ(file->OnAdvancedDrawItem, TAdvancedMenuDrawItemEvent(menus_, &TsSkinableMenus::LineDraw));
  EXPECT_EQ(file->OnMeasureItem, TMenuMeasureItemEvent(menus_, &TsSkinableMenus::LineMeasure));
  EXPECT_EQ(open->OnAdvancedDrawItem, TAdvancedMenuDrawItemEvent(menus_, &TsSkinableMenus::PopupDraw));

  // Without skinned popups the menu line is still skinned, its submenus are not.
  menus_->HookMainMenu(main_, false);
  menus_->SetSkinnedPopups(false);
  menus_->HookMainMenu(main_, true);
  EXPECT_TRUE(menus_->IsHooked(file));
  EXPECT_FALSE(menus_->IsHooked(open));
}

// An item hooked on the menu line and moved into a submenu since still loses the handler,
// which would otherwise call a painter that may be gone.
TEST_F(MenusTest, UnhookingTakesOurHandlersOffItemsThatMovedSinceTheyWereHooked) {
  TMenuItem* file = Add(main_->GetItems(), "&File");
  TMenuItem* edit = Add(main_->GetItems(), "&Edit");
  menus_->HookMainMenu(main_, true);
  main_->GetItems()->Remove(edit);
  file->Add(edit);
  menus_->HookMainMenu(main_, false);
  EXPECT_FALSE(edit->OnAdvancedDrawItem);
  EXPECT_FALSE(edit->OnMeasureItem);
}

TEST_F(MenusTest, ActiveHooksEveryFormsMenusAndOffMakesThemPlainAgain) {
  TMenuItem* file = Add(main_->GetItems(), "&File");
  TMenuItem* open = Add(file, "Open");
  TMenuItem* remove = Add(popup_->GetItems(), "&Remove");
  auto* lone = New<TMenuItem>(form_);
  lone->SetCaption("Lone");

  menus_->SetActive(true);
  EXPECT_TRUE(main_->GetOwnerDraw());
  EXPECT_TRUE(popup_->GetOwnerDraw());
  EXPECT_TRUE(menus_->IsHooked(file));
  EXPECT_TRUE(menus_->IsHooked(remove));
  EXPECT_TRUE(menus_->IsHooked(lone));
  EXPECT_TRUE(menus_->IsHooked(open));

  menus_->SetSkinnedPopups(false);
  EXPECT_FALSE(popup_->GetOwnerDraw());
  EXPECT_FALSE(menus_->IsHooked(remove));
  EXPECT_FALSE(menus_->IsHooked(open));
  EXPECT_TRUE(menus_->IsHooked(file));
  menus_->SetSkinnedPopups(true);
  EXPECT_TRUE(menus_->IsHooked(remove));
  EXPECT_TRUE(menus_->IsHooked(open));

  menus_->SetActive(false);
  EXPECT_FALSE(main_->GetOwnerDraw());
  EXPECT_FALSE(popup_->GetOwnerDraw());
  EXPECT_FALSE(menus_->IsHooked(file));
  EXPECT_FALSE(menus_->IsHooked(remove));
  EXPECT_FALSE(menus_->IsHooked(lone));
  EXPECT_FALSE(menus_->IsHooked(open));
  Free(lone);
}

// The skin manager makes its own painter, which follows the skin and SkinnedPopups.
TEST_F(MenusTest, SkinManagersPainterHooksTheMenusWithTheSkin) {
  RegisterSkinnedMenus();
  TMenuItem* file = Add(main_->GetItems(), "&File");
  TMenuItem* remove = Add(popup_->GetItems(), "&Remove");
  auto* manager = New<TsSkinManager>(nullptr);
  LoadInternalSkin(*manager);
  EXPECT_TRUE(main_->GetOwnerDraw());
  EXPECT_TRUE(popup_->GetOwnerDraw());
  EXPECT_TRUE(file->OnAdvancedDrawItem);
  EXPECT_TRUE(remove->OnMeasureItem);

  manager->SetSkinnedPopups(false);
  EXPECT_FALSE(popup_->GetOwnerDraw());
  EXPECT_FALSE(remove->OnMeasureItem);
  EXPECT_TRUE(main_->GetOwnerDraw());

  manager->SetActive(false);
  EXPECT_FALSE(main_->GetOwnerDraw());
  EXPECT_FALSE(file->OnAdvancedDrawItem);
  Free(manager);
  SetMenuPainterFactory(nullptr);
}

// A form's system menu is rebuilt before every show (its skin items come new each time) and
// is hooked then, so it is painted like every other popup of the skinned program.
TEST_F(MenusTest, TheSystemMenuIsHookedEachTimeItShows) {
  RegisterSkinnedMenus();
  auto* manager = New<TsSkinManager>(nullptr);
  LoadInternalSkin(*manager);
  TsSystemMenu menu(nullptr, form_);
  menu.SetSkinManager(manager);
  EXPECT_FALSE(menu.GetOwnerDraw());  // made after the skin came
  TDesktopLock desktop;
  TMenuLoopWatch watch;
  for (int shown = 1; shown <= 2; ++shown) {
    menu.ShowAt(50, 50, true);
    EXPECT_EQ(watch.Entered(), shown);
    EXPECT_TRUE(menu.GetOwnerDraw());
    ASSERT_EQ(menu.GetItems()->GetItem(0)->GetName(), "SkinSelectItem");
    EXPECT_TRUE(menu.GetItems()->GetItem(0)->GetItem(0)->OnAdvancedDrawItem);
    EXPECT_TRUE(menu.ItemClose->OnMeasureItem);
  }
  manager->SetActive(false);
  menu.ShowAt(50, 50, true);  // without a skin it stays as the system draws it
  EXPECT_FALSE(menu.ItemClose->OnMeasureItem);
  Free(manager);
  SetMenuPainterFactory(nullptr);
}

// ---- Measuring --------------------------------------------------------------------------------

TEST_F(MenusTest, PopupItemsMeasureTheirTextInTheMenuFont) {
  TBitmap* font = MenuFontCanvas();
  TCanvas* expect = font->GetCanvas();
  TBitmap* target = Canvas24(1, 1);
  const int m = menus_->Margin;
  const int text_height = static_cast<int>(std::lround(expect->TextHeight("W") * 1.25));
  int width = 0, height = 0;

  TMenuItem* divider = Add(popup_->GetItems(), "-");
  menus_->PopupMeasure(divider, target->GetCanvas(), width, height);
  EXPECT_EQ(height, 2);

  TMenuItem* caption = Add(popup_->GetItems(), "-Group-");
  menus_->PopupMeasure(caption, target->GetCanvas(), width, height);
  EXPECT_EQ(width, 2 * 16 + expect->TextWidth("--Group--") + 3 * m);
  EXPECT_EQ(height, text_height + 2 * m);

  TMenuItem* remove = Add(popup_->GetItems(), "&Remove");
  remove->SetShortCut(VK_DELETE);
  menus_->PopupMeasure(remove, target->GetCanvas(), width, height);
  EXPECT_EQ(width, 2 * 16 + expect->TextWidth("&Remove" + ShortCutToText(VK_DELETE)) + 3 * m);
  EXPECT_EQ(height, text_height + 2 * m);

  // A tall glyph makes the item taller; the glyph counts twice in the width.
  TBitmap* glyph = Canvas24(20, text_height + 9);
  remove->SetBitmap(glyph);
  menus_->PopupMeasure(remove, target->GetCanvas(), width, height);
  EXPECT_EQ(height, text_height + 9 + 2 * m);
  EXPECT_EQ(width, 2 * 20 + expect->TextWidth("&Remove" + ShortCutToText(VK_DELETE)) + 3 * m);
  Free(glyph);
  Free(target);
  Free(font);
}

// The default item is drawn bold, so it is measured bold: its text would run over the edge.
TEST_F(MenusTest, DefaultItemIsMeasuredInTheBoldFontItIsDrawnWith) {
  TBitmap* font = MenuFontCanvas();
  TCanvas* expect = font->GetCanvas();
  expect->GetFont()->SetStyle(expect->GetFont()->GetStyle() + TFontStyles{fsBold});
  TBitmap* target = Canvas24(1, 1);
  TMenuItem* item = Add(popup_->GetItems(), "Remove the selected heat from the protocol");
  item->SetDefault(true);
  int width = 0, height = 0;
  menus_->PopupMeasure(item, target->GetCanvas(), width, height);
  EXPECT_EQ(width, 2 * 16 + expect->TextWidth(item->GetCaption()) + 3 * menus_->Margin);
  TMenuItem* top = Add(main_->GetItems(), "Administration");
  top->SetDefault(true);
  width = 10;
  menus_->LineMeasure(top, target->GetCanvas(), width, height);
  EXPECT_EQ(width, expect->TextWidth(top->GetCaption()) + menus_->Margin + 5);
  Free(target);
  Free(font);
}

TEST_F(MenusTest, MenuLineItemsIgnoreTheAcceleratorAndOnlyGrow) {
  TBitmap* font = MenuFontCanvas();
  TCanvas* expect = font->GetCanvas();
  TBitmap* target = Canvas24(1, 1);
  TMenuItem* file = Add(main_->GetItems(), "&File");
  int width = 10, height = 19;
  menus_->LineMeasure(file, target->GetCanvas(), width, height);
  EXPECT_EQ(width, expect->TextWidth("&File") + menus_->Margin + 5 - expect->TextWidth("&"));
  EXPECT_EQ(height, GetSystemMetrics(SM_CYMENU) - 1);
  width = 500;
  menus_->LineMeasure(file, target->GetCanvas(), width, height);
  EXPECT_EQ(width, 500);
  Free(target);
  Free(font);
}

// ---- Drawing ----------------------------------------------------------------------------------

class MenusDrawTest : public MenusTest {
 protected:
  void SetUp() override {
    MenusTest::SetUp();
    manager_ = New<TsSkinManager>(nullptr);
    LoadInternalSkin(*manager_);
    FlattenMenuSections();
    for (const char* caption : {"Ab", "Cd", "-", "-Group-"}) Add(popup_->GetItems(), caption);
    menus_->HookPopupMenu(popup_, true);
    target_ = Canvas24(kWidth, 120);
  }
  void TearDown() override {
    Free(target_);
    Free(manager_);
    MenusTest::TearDown();
  }

  void DrawPopupItem(int index, int top, TOwnerDrawState state = {}) {
    TMenuItem* item = popup_->GetItems()->GetItem(index);
    item->AdvancedDrawItem(target_->GetCanvas(), RECT{0, top, kWidth, top + kHeight}, state, false);
  }
  TColor Pixel(int x, int y) { return target_->GetCanvas()->GetPixels(x, y); }
  static TColor Rgb(TColor color) { return ColorToRGB(color) & 0xFFFFFF; }

  static constexpr int kWidth = 200;
  static constexpr int kHeight = 24;
  TsSkinManager* manager_ = nullptr;
  TBitmap* target_ = nullptr;
};

TEST_F(MenusDrawTest, SelectedItemShowsTheItemSectionOthersThePopupBackground) {
  DrawPopupItem(0, 0);
  DrawPopupItem(1, kHeight, TOwnerDrawState{odSelected});
  // Right of the text, away from the selection's rim.
  const int x = kWidth - 12, y = kHeight / 2;
  EXPECT_EQ(Pixel(x, y), Rgb(Section("MAINMENU").PaintingColor));
  EXPECT_EQ(Pixel(x, kHeight + y), Rgb(Section("MENUITEM").HotPaintingColor));
  EXPECT_EQ(menus_->CacheCount(), 1u);
  // The caption is written between the glyph column and that point.
  bool text = false;
  for (int tx = 16 + 2 * menus_->Margin; tx < x && !text; ++tx)
    for (int ty = 0; ty < kHeight; ++ty) text |= Pixel(tx, ty) != Rgb(Section("MAINMENU").PaintingColor);
  EXPECT_TRUE(text);
}

// The text box of a popup item runs from after the glyph column to the item's right edge: a
// right-aligned caption ends there.
TEST_F(MenusDrawTest, ARightAlignedCaptionEndsAtTheItemsRightEdge) {
  menus_->Alignment = taRightJustify;
  DrawPopupItem(0, 0);
  const TColor back = Rgb(Section("MAINMENU").PaintingColor);
  int last_ink = -1;
  for (int x = 0; x < kWidth; ++x)
    for (int y = 0; y < kHeight; ++y)
      if (Pixel(x, y) != back) last_ink = x;
  EXPECT_GE(last_ink, kWidth - menus_->Margin);
}

// The menu messages of the window that tracks the popup reach the handlers.
TEST_F(MenusDrawTest, MenuMessagesMeasureAndDrawThroughTheHandlers) {
  TMenuItem* item = popup_->GetItems()->GetItem(1);
  MEASUREITEMSTRUCT measure{};
  measure.CtlType = ODT_MENU;
  measure.itemID = item->GetCommand();
  TMessage message{WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&measure), 0};
  ASSERT_TRUE(DispatchMenuMessage(nullptr, message));
  int width = 0, height = 0;
  menus_->PopupMeasure(item, target_->GetCanvas(), width, height);
  EXPECT_EQ(static_cast<int>(measure.itemHeight), height);
  EXPECT_EQ(static_cast<int>(measure.itemWidth), width);

  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_MENU;
  draw.itemID = item->GetCommand();
  draw.itemState = ODS_SELECTED;
  draw.hDC = target_->GetCanvas()->GetHandle();
  draw.rcItem = RECT{0, kHeight, kWidth, 2 * kHeight};
  message = TMessage{WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&draw), 0};
  ASSERT_TRUE(DispatchMenuMessage(nullptr, message));
  EXPECT_EQ(Pixel(kWidth - 12, kHeight + kHeight / 2), Rgb(Section("MENUITEM").HotPaintingColor));
}

TEST_F(MenusDrawTest, DividerIsASunkenLineAndCaptionItemsAreNotDrawn) {
  TMenuItem* divider = popup_->GetItems()->GetItem(2);
  divider->AdvancedDrawItem(target_->GetCanvas(), RECT{0, 48, kWidth, 50}, {}, false);
  const int inset = menus_->BorderWidth + menus_->Margin;
  EXPECT_EQ(Pixel(inset, 48), 0x808080);
  EXPECT_EQ(Pixel(kWidth - inset - 1, 49), 0xFFFFFF);
  EXPECT_EQ(Pixel(inset - 1, 48), Rgb(Section("MAINMENU").PaintingColor));

  DrawPopupItem(3, 60, TOwnerDrawState{odSelected});
  for (int x = 0; x < kWidth; x += 7) EXPECT_EQ(Pixel(x, 60 + kHeight / 2), 0x00FF00);
}

TEST_F(MenusDrawTest, CheckedItemFramesItsGlyphCell) {
  popup_->GetItems()->GetItem(0)->SetChecked(true);
  DrawPopupItem(0, 0);
  const int d = (kHeight - 16) / 2, m = menus_->Margin;
  EXPECT_EQ(Pixel(m, d), 0x808080);
  EXPECT_EQ(Pixel(m + 15, d + 15), 0xFFFFFF);
}

// An item's own bitmap sits as far in from the left as from the top; an image of the menu's
// list is centred in the item's height and as far in from the left (the margin plays no part).
TEST_F(MenusDrawTest, AnItemsBitmapAndItsListImageLieAsFarInAsDown) {
  constexpr TColor kGlyph = 0x0000C0;
  menus_->Margin = 1;
  TMenuItem* item = popup_->GetItems()->GetItem(0);
  TBitmap* bitmap = Canvas24(12, 12, kGlyph);
  bitmap->GetCanvas()->SetPixels(0, 11, 0x00FFFF);  // the see-through colour
  item->SetBitmap(bitmap);
  Free(bitmap);
  DrawPopupItem(0, 0);
  const int d = (kHeight - 12) / 2;
  EXPECT_EQ(Pixel(d, d), kGlyph);
  EXPECT_EQ(Pixel(d + 11, d), kGlyph);
  EXPECT_NE(Pixel(d - 1, d), kGlyph);
  EXPECT_NE(Pixel(d + 12, d), kGlyph);

  auto* images = New<TCustomImageList>(form_);
  images->SetWidth(10);
  images->SetHeight(10);
  TBitmap* image = Canvas24(10, 10, kGlyph);
  images->Add(image, nullptr);
  Free(image);
  popup_->SetImages(images);
  popup_->GetItems()->GetItem(1)->SetImageIndex(0);
  DrawPopupItem(1, 0);
  const int i = (kHeight - 10) / 2;
  EXPECT_EQ(Pixel(i, i), kGlyph);
  EXPECT_EQ(Pixel(i + 9, i), kGlyph);
  EXPECT_NE(Pixel(i - 1, i), kGlyph);
  EXPECT_NE(Pixel(i + 10, i), kGlyph);
}

// Items of a menu line lie on the form's frame as its provider painted it (the rectangles are
// the frame's): a normal item keeps the frame under its caption, a hot one shows the item
// section. A form without a provider has no line to draw on.
TEST_F(MenusDrawTest, MenuLineItemsLieOnTheProvidersFrameAndNeedOne) {
  TMenuItem* file = Add(main_->GetItems(), "&File");
  menus_->HookMainMenu(main_, true);
  menus_->OnDrawItem = TsMenuManagerDrawItemEvent(&app_, &TAppHandlers::Drawn);
  form_->HandleNeeded();
  file->AdvancedDrawItem(target_->GetCanvas(), RECT{0, 0, 60, 20}, TOwnerDrawState{odSelected}, true);
  EXPECT_EQ(Pixel(30, 10), 0x00FF00);
  EXPECT_EQ(app_.drawn, 0);

  auto* provider = New<TsSkinProvider>(form_);
  ASSERT_EQ(SendMessageA(form_->GetHandle(), SKM_GETPROVIDER, 0, 0), reinterpret_cast<LRESULT>(provider));
  TBitmap* frame = provider->GetCommonData()->GetCacheBmp();
  frame->SetSize(200, 40);
  frame->GetCanvas()->GetBrush()->SetColor(0x112233);
  frame->GetCanvas()->FillRect(RECT{0, 0, 200, 40});
  file->AdvancedDrawItem(frame->GetCanvas(), RECT{10, 10, 70, 30}, {}, true);
  file->AdvancedDrawItem(frame->GetCanvas(), RECT{80, 10, 140, 30}, TOwnerDrawState{odHotLight}, true);
  const TColor hot = Rgb(Section("MENUITEM").HotPaintingColor);
  EXPECT_EQ(frame->GetCanvas()->GetPixels(12, 20), 0x112233);
  EXPECT_EQ(frame->GetCanvas()->GetPixels(130, 20), hot);
  // The caption begins at the item's left margin, not in its middle.
  auto ink = [&](int from, int to) {
    bool found = false;
    for (int x = from; x < to; ++x)
      for (int y = 12; y < 28; ++y) found |= frame->GetCanvas()->GetPixels(x, y) != hot;
    return found;
  };
  EXPECT_TRUE(ink(80 + menus_->Margin, 100));
  EXPECT_FALSE(ink(115, 136));
  EXPECT_EQ(app_.drawn, 2);
}

TEST_F(MenusDrawTest, WithoutMenuSectionsItemsKeepTheMenuColourAndNothingIsCached) {
  manager_->RemoveSkin();
  DrawPopupItem(0, 0, TOwnerDrawState{odSelected});
  EXPECT_EQ(Pixel(kWidth - 12, kHeight / 2), Rgb(clMenu));
  EXPECT_EQ(menus_->CacheCount(), 0u);
}

TEST_F(MenusDrawTest, CacheIsClearedOnlyWhenAll) {
  DrawPopupItem(0, 0);
  menus_->ClearCache(false);
  EXPECT_EQ(menus_->CacheCount(), 1u);
  menus_->ClearCache(true);
  EXPECT_EQ(menus_->CacheCount(), 0u);
}

// A popup that gains items after it was first shown still has its background under the new
// items, not whatever lay past the end of the first picture.
TEST_F(MenusDrawTest, PopupThatGrewGetsItsBackgroundUnderTheNewItems) {
  DrawPopupItem(0, 0);
  for (int i = 0; i < 6; ++i) Add(popup_->GetItems(), "More");
  menus_->HookPopupMenu(popup_, true);
  const int top = 120 - kHeight;
  popup_->GetItems()->GetItem(9)->AdvancedDrawItem(target_->GetCanvas(), RECT{0, top, kWidth, top + kHeight},
                                                   {}, false);
  EXPECT_EQ(Pixel(kWidth - 12, top + kHeight / 2), Rgb(Section("MAINMENU").PaintingColor));
}

// Every submenu opened adds a background; the program runs for a whole race day.
TEST_F(MenusDrawTest, CachedBackgroundsStayBounded) {
  for (int i = 0; i < 100; ++i) {
    TMenuItem* parent = Add(popup_->GetItems(), "Sub");
    TMenuItem* child = Add(parent, "Child");
    menus_->HookItem(child, true);
    child->AdvancedDrawItem(target_->GetCanvas(), RECT{0, 0, kWidth, kHeight}, {}, false);
  }
  EXPECT_LE(menus_->CacheCount(), 16u);
  EXPECT_GT(menus_->CacheCount(), 0u);
}

}  // namespace
