// Skinned menus.
#include "skin/controls/sskinmenus.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "skin/controls/sskinprovider.h"
#include "skin/engine/sbevels.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sblend.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/forms.h"
#include "toolkit/graphics.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "toolkit/picture.h"

TK_ABSTRACT_CLASS_INFO(TsSkinableMenus, TPersistent)

namespace {

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
using OwnedBitmap = std::unique_ptr<TBitmap, FreeObject>;

OwnedBitmap NewBitmap24(int width, int height) {
  OwnedBitmap bmp(New<TBitmap>());
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  return bmp;
}

// Only the popups open at once need their background; a few more spare repainting them.
constexpr std::size_t kMaxCachedPopups = 16;
// The native menu window's frame above the first item, which the background must cover too.
constexpr int kPopupFrameAllowance = 8;

constexpr TColor kSunkenLight = 0xFFFFFF;
constexpr TColor kSunkenShadow = 0x808080;

SIZE GlyphSize(const TMenuItem* item) {
  TBitmap* bitmap = item->GetBitmap();
  if (bitmap && !bitmap->GetEmpty()) return {bitmap->GetWidth(), bitmap->GetHeight()};
  TMenu* menu = item->GetParentMenu();
  if (menu && menu->GetImages()) return {menu->GetImages()->GetWidth(), menu->GetImages()->GetHeight()};
  return {16, 16};
}

bool IsMainMenuTopItem(const TMenuItem* item) {
  return item->GetParent() && item->GetParent()->GetParentMenu() && item->GetParentMenu()->Is<TMainMenu>() &&
         item->GetParent() == item->GetParentMenu()->GetItems();
}

// The menu-line item the system last drew hot on a form's window, in that window's
// coordinates. The system does not always draw it normal again when the pointer goes on from
// the menu line to a title button.
struct THotLineItem {
  HWND window = nullptr;
  const TMenuItem* item = nullptr;
  RECT rect{};
};
THotLineItem hot_line_item;

// The MDI main form's item of its maximized child (its system menu), shown as the child's icon.
bool IsMDIChildItem(const TMenuItem* item) { return item->GetName().rfind("sMDICII", 0) == 0; }

// The active child of the MDI main form while it is maximized; null otherwise.
TCustomForm* MaximizedMDIChild() {
  TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
  if (!main || main->GetFormStyle() != fsMDIForm) return nullptr;
  TCustomForm* child = main->GetActiveMDIChild();
  return child && child->HandleAllocated() && IsZoomed(child->GetHandle()) ? child : nullptr;
}

// The form's own icon, else the application's, else the system's.
HICON FormIcon(TCustomForm* form) {
  if (HICON icon = form->GetIcon()->GetHandle()) return icon;
  if (HICON icon = Application ? Application->GetIcon()->GetHandle() : nullptr) return icon;
  return LoadIconA(nullptr, IDI_APPLICATION);
}

int MenuLineHeight() { return GetSystemMetrics(SM_CYMENU) - 1; }

// The maximized child's icon is as high as the menu line leaves inside a pixel of margin.
int MDIIconSize() { return MenuLineHeight() - 2; }

// The visible top items of the MDI main form's bar as it shows them, its child's merged in.
std::vector<TMenuItem*> MDIBarItems() {
  std::vector<TMenuItem*> items;
  TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
  if (!main || main->GetFormStyle() != fsMDIForm || !main->GetMenu()) return items;
  for (TMenuItem* item : main->GetMenu()->BarItems())
    if (item->GetVisible()) items.push_back(item);
  return items;
}

// The maximized child's own icon; null when it has none.
TIcon* MaximizedMDIChildIcon() {
  TCustomForm* child = MaximizedMDIChild();
  return child && child->GetIcon()->HandleAllocated() ? child->GetIcon() : nullptr;
}

// Room a top item leaves for the maximized child's icon at the line's left end: only the
// first item, when the child-window item that carries the icon is not there before it, and
// only when the child has an icon.
int IconRoom(const TMenuItem* item) {
  TIcon* icon = MaximizedMDIChildIcon();
  if (!icon || IsMDIChildItem(item)) return 0;
  const std::vector<TMenuItem*> bar = MDIBarItems();
  return !bar.empty() && bar.front() == item ? icon->GetWidth() : 0;
}

// Room the last top item leaves after its caption for the maximized child's buttons.
int ButtonRoom(const TMenuItem* item) {
  if (!MaximizedMDIChild()) return 0;
  const std::vector<TMenuItem*> bar = MDIBarItems();
  return !bar.empty() && bar.back() == item ? 40 : 0;
}

// The picture of the form frame a menu-line item lies on: the MDI main form's provider's when
// there is one (its line carries its children's menus), else that of the provider of the
// menu's own form; null without a provider.
TBitmap* MenuLineFrame(const TMenuItem* item) {
  TCustomForm* form = Application ? Application->GetMainForm() : nullptr;
  if (!form || form->GetFormStyle() != fsMDIForm) {
    TMenu* menu = item->GetParentMenu();
    TComponent* owner = menu ? menu->GetOwner() : nullptr;
    while (owner && !owner->Is<TCustomForm>()) owner = owner->GetOwner();
    form = static_cast<TCustomForm*>(owner);
  }
  if (!form || !form->HandleAllocated()) return nullptr;
  auto* provider = reinterpret_cast<TsSkinProvider*>(SendMessageA(form->GetHandle(), SKM_GETPROVIDER, 0, 0));
  return provider ? provider->GetCommonData()->GetCacheBmp() : nullptr;
}

// The caption and, for items that have one, the shortcut after it.
std::string CaptionWithShortCut(const TMenuItem* item) {
  return item->GetCaption() + ShortCutToText(item->GetShortCut());
}

// Writes text in r with the alignment. Centred text is placed here: the contour writer fits
// its rectangle to the text from the left edge.
void WriteAligned(TCanvas* canvas, const std::string& text, bool enabled, RECT r, TAlignment alignment,
                  int skin_index, bool hot) {
  UINT flags = DT_VCENTER | DT_SINGLELINE;
  if (alignment == taRightJustify) {
    flags |= DT_RIGHT;
  } else if (alignment == taCenter) {
    r.left += std::max<LONG>(0, (r.right - r.left - canvas->TextWidth(StripHotkey(text))) / 2);
  }
  WriteTextWithContour(canvas, text, enabled, r, flags, skin_index, hot);
}

bool IsHot(TOwnerDrawState state) { return state.Contains(odSelected) || state.Contains(odHotLight); }

}  // namespace

TsMenuItemType MenuItemType(const TMenuItem* item) {
  if (IsMainMenuTopItem(item)) return TsMenuItemType::smTopLine;
  const std::string& caption = item->GetCaption();
  if (caption == "-") return TsMenuItemType::smDivider;
  if (caption.size() >= 2 && caption.front() == '-' && caption.back() == '-')
    return TsMenuItemType::smCaption;
  return TsMenuItemType::smNormal;
}

// ---- Life and hooking ---------------------------------------------------------------------

TsSkinableMenus::TsSkinableMenus(TsSkinManager* manager) : manager_(manager), caption_font_(New<TFont>()) {}

TsSkinableMenus::~TsSkinableMenus() {
  ClearCache(true);
  Free(caption_font_);
}

void TsSkinableMenus::SetCaptionFont(TFont* font) { caption_font_->Assign(font); }

bool TsSkinableMenus::Designing() const {
  return manager_ && manager_->GetComponentState().Contains(csDesigning);
}

void TsSkinableMenus::SetActive(bool active) {
  if (active == active_) return;
  active_ = active;
  ClearCache(true);
  HookForms(active);
}

void TsSkinableMenus::SetSkinnedPopups(bool skinned) {
  if (skinned == skinned_popups_) return;
  // Every menu again: submenus of the menu line follow the flag too.
  if (active_) HookForms(false);
  skinned_popups_ = skinned;
  if (active_) HookForms(true);
}

void TsSkinableMenus::HookForms(bool on) {
  if (Designing() || !Application) return;
  for (int i = 0; i < Application->GetComponentCount(); ++i) {
    TComponent* component = Application->GetComponent(i);
    if (component->Is<TCustomForm>()) HookComponent(component, on);
  }
}

void TsSkinableMenus::HookComponent(TComponent* component, bool on) {
  // A form going away (the manager's own, as the program ends) keeps its menus as they are.
  if (component->GetComponentState().Contains(csDestroying)) return;
  if (auto* main_menu = DynamicCast<TMainMenu>(component)) {
    HookMainMenu(main_menu, on);
  } else if (auto* popup = DynamicCast<TPopupMenu>(component)) {
    if (skinned_popups_) HookPopupMenu(popup, on);
  } else if (auto* item = DynamicCast<TMenuItem>(component)) {
    // Items of a menu are met through their menu; only items outside one are taken here.
    if (skinned_popups_ && !item->GetParentMenu()) HookTree(item, on);
  }
  for (int i = 0; i < component->GetComponentCount(); ++i) HookComponent(component->GetComponent(i), on);
}

void TsSkinableMenus::HookItem(TMenuItem* item, bool on) {
  const TMenuMeasureItemEvent line_measure(this, &TsSkinableMenus::LineMeasure);
  const TMenuMeasureItemEvent popup_measure(this, &TsSkinableMenus::PopupMeasure);
  const TAdvancedMenuDrawItemEvent line_draw(this, &TsSkinableMenus::LineDraw);
  const TAdvancedMenuDrawItemEvent popup_draw(this, &TsSkinableMenus::PopupDraw);
  if (on) {
    const bool top = IsMainMenuTopItem(item);
    if (!top && !skinned_popups_) return;
    if (!item->OnMeasureItem) item->OnMeasureItem = top ? line_measure : popup_measure;
    if (!item->OnAdvancedDrawItem) item->OnAdvancedDrawItem = top ? line_draw : popup_draw;
  } else {
    // Either kind: the item may have moved between the menu line and a submenu since.
    if (item->OnMeasureItem == line_measure || item->OnMeasureItem == popup_measure)
      item->OnMeasureItem = nullptr;
    if (item->OnAdvancedDrawItem == line_draw || item->OnAdvancedDrawItem == popup_draw)
      item->OnAdvancedDrawItem = nullptr;
  }
}

bool TsSkinableMenus::IsHooked(const TMenuItem* item) const {
  auto self = const_cast<TsSkinableMenus*>(this);
  return item->OnAdvancedDrawItem == TAdvancedMenuDrawItemEvent(self, &TsSkinableMenus::PopupDraw) ||
         item->OnAdvancedDrawItem == TAdvancedMenuDrawItemEvent(self, &TsSkinableMenus::LineDraw);
}

void TsSkinableMenus::HookTree(TMenuItem* item, bool on) {
  HookItem(item, on);
  for (int i = 0; i < item->GetCount(); ++i) HookTree(item->GetItem(i), on);
}

void TsSkinableMenus::HookMainMenu(TMainMenu* menu, bool on) {
  menu->SetOwnerDraw(on);
  TMenuItem* root = menu->GetItems();
  for (int i = 0; i < root->GetCount(); ++i) HookTree(root->GetItem(i), on);
}

void TsSkinableMenus::HookPopupMenu(TPopupMenu* menu, bool on) {
  menu->SetOwnerDraw(on);
  TMenuItem* root = menu->GetItems();
  for (int i = 0; i < root->GetCount(); ++i) HookTree(root->GetItem(i), on);
}

void TsSkinableMenus::ClearCache(bool all) {
  if (!all) return;
  for (CacheEntry& entry : cache_) Free(entry.bmp);
  cache_.clear();
}

void TsSkinableMenus::ForgetItem(const TComponent* item) {
  auto found =
      std::find_if(cache_.begin(), cache_.end(), [&](const CacheEntry& e) { return e.first == item; });
  if (found == cache_.end()) return;
  Free(found->bmp);
  cache_.erase(found);
}

// ---- The skin manager's painter -----------------------------------------------------------

namespace {

class TsSkinableMenusPainter : public TsMenuPainter {
 public:
  explicit TsSkinableMenusPainter(TsSkinManager* manager)
      : manager_(manager), menus_(New<TsSkinableMenus>(manager)) {}
  ~TsSkinableMenusPainter() override { Free(menus_); }

  void SetActive(bool active) override {
    // A new skin paints new backgrounds even when menus stay hooked.
    menus_->ClearCache(true);
    menus_->SetSkinnedPopups(manager_->GetSkinnedPopups());
    menus_->SetActive(active);
  }
  void HookMainMenu(TMainMenu* menu) override {
    if (menus_->GetActive()) menus_->HookMainMenu(menu, true);
  }
  void ComponentRemoved(TComponent* component) override { menus_->ForgetItem(component); }
  void UpdateMenus() override { menus_->SetSkinnedPopups(manager_->GetSkinnedPopups()); }
  // Also unhooks: the menu may have been hooked under a skin that has gone since.
  void HookPopupMenu(TPopupMenu* menu) override { menus_->HookPopupMenu(menu, menus_->GetActive()); }
  void HookItem(TMenuItem* item, bool on) override {
    if (!on || menus_->GetActive()) menus_->HookItem(item, on);
  }

 private:
  TsSkinManager* manager_;
  TsSkinableMenus* menus_;
};

}  // namespace

void RegisterSkinnedMenus() {
  SetMenuPainterFactory([](TsSkinManager* manager) -> std::unique_ptr<TsMenuPainter> {
    return std::make_unique<TsSkinableMenusPainter>(manager);
  });
}

// ---- Popup items --------------------------------------------------------------------------

void TsSkinableMenus::UseMenuFont(TCanvas* canvas, bool bold) const {
  TFont* font = canvas->GetFont();
  if (Screen && Screen->GetMenuFont()) font->Assign(Screen->GetMenuFont());
  TFontStyles style = font->GetStyle();
  if (bold)
    style.Include(fsBold);
  else
    style.Exclude(fsBold);
  font->SetStyle(style);
}

void TsSkinableMenus::PopupMeasure(TObject* sender, TCanvas* canvas, int& width, int& height) {
  auto* item = DynamicCast<TMenuItem>(sender);
  if (!item) return;
  const TsMenuItemType type = MenuItemType(item);
  // In the font the item is drawn with: the default item is bold.
  UseMenuFont(canvas, item->GetDefault());
  std::string text;
  if (type == TsMenuItemType::smCaption)
    text = "-" + item->GetCaption() + "-";
  else if (type != TsMenuItemType::smDivider)
    text = CaptionWithShortCut(item);
  const SIZE glyph = GlyphSize(item);
  width = 2 * glyph.cx + canvas->TextWidth(text) + 3 * Margin;
  if (type == TsMenuItemType::smDivider) {
    height = 2;
    return;
  }
  int h = static_cast<int>(std::lround(canvas->TextHeight("W") * 1.25));
  if (type == TsMenuItemType::smNormal) h = std::max<int>(h, glyph.cy);
  height = h + 2 * Margin;
}

int TsSkinableMenus::PopupItemHeight(TMenuItem* item, TCanvas* canvas) {
  int width = 0, height = 0;
  PopupMeasure(item, canvas, width, height);
  return height;
}

TBitmap* TsSkinableMenus::PopupBackground(TMenuItem* item, TCanvas* canvas, int width, int bottom) {
  TMenuItem* parent = item->GetParent();
  const TMenuItem* first = parent && parent->GetCount() > 0 ? parent->GetItem(0) : item;
  auto found =
      std::find_if(cache_.begin(), cache_.end(), [&](const CacheEntry& e) { return e.first == first; });
  if (found != cache_.end()) {
    // A popup that grew or got wider since (or another one at a freed item's address) needs
    // a new picture: the old one has nothing under the new rows.
    if (found->bmp->GetWidth() == width && found->bmp->GetHeight() >= bottom) return found->bmp;
    Free(found->bmp);
    cache_.erase(found);
  }
  const int section = GetSkinIndex("MAINMENU");
  if (!IsValidSkinIndex(section)) return nullptr;
  int height = kPopupFrameAllowance;
  if (parent) {
    for (int i = 0; i < parent->GetCount(); ++i)
      if (parent->GetItem(i)->GetVisible()) height += PopupItemHeight(parent->GetItem(i), canvas);
  }
  height = std::max(height, bottom);
  OwnedBitmap bmp = NewBitmap24(width, height);
  PaintItem(section, "MAINMENU", EmptyCI, 0, true, RECT{0, 0, width, height}, POINT{0, 0}, bmp.get());
  if (cache_.size() >= kMaxCachedPopups) {
    Free(cache_.front().bmp);
    cache_.erase(cache_.begin());
  }
  cache_.push_back({bmp.release(), first});
  return cache_.back().bmp;
}

void TsSkinableMenus::DrawDivider(TCanvas* canvas, const RECT& rect) {
  const int left = rect.left + BorderWidth + Margin, right = rect.right - BorderWidth - Margin;
  if (right <= left) return;
  const int y = rect.top + (rect.bottom - rect.top) / 2 - 1;
  HDC dc = canvas->GetHandle();
  FillDC(dc, RECT{left, y, right, y + 1}, kSunkenShadow);
  FillDC(dc, RECT{left, y + 1, right, y + 2}, kSunkenLight);
}

void TsSkinableMenus::DrawGlyph(TMenuItem* item, TBitmap* work, int height) {
  const SIZE glyph = GlyphSize(item);
  const int d = (height - glyph.cy) / 2;
  RECT cell{Margin, d, Margin + glyph.cx, d + glyph.cy};
  TMenu* menu = item->GetParentMenu();
  TCustomImageList* images = menu ? menu->GetImages() : nullptr;
  const bool has_image = images && item->GetImageIndex() >= 0;
  TBitmap* bitmap = item->GetBitmap();
  const bool has_bitmap = bitmap && !bitmap->GetEmpty();
  TCanvas* canvas = work->GetCanvas();
  if (item->GetChecked()) {
    BlendColorRectPercent(work, RECT{cell.left, cell.top, cell.right - 1, cell.bottom - 1}, 50, 0xFFFFFF);
    RECT frame = cell;
    int frame_width = 1;
    Frame3D(canvas->GetHandle(), frame, kSunkenShadow, kSunkenLight, frame_width);
    if (!has_image && !has_bitmap) {
      const int section = GetSkinIndex("MENUITEM");
      const TColor color = IsValidSkinIndex(section) ? SkinGeneralData[section].FontColor.Color : clMenuText;
      DrawCheckMark(canvas, cell, item->GetEnabled(), color);
    }
  }
  if (has_bitmap) {
    // A copy: menu glyphs are see-through at their bottom-left colour whatever the item's says.
    OwnedBitmap copy(New<TBitmap>());
    copy->Assign(bitmap);
    copy->SetTransparent(true);
    canvas->Draw(d, d, copy.get());
  } else if (has_image) {
    const int image_top = (height - images->GetHeight()) / 2;
    images->Draw(canvas, image_top, image_top, item->GetImageIndex(), item->GetEnabled());
  }
}

void TsSkinableMenus::PopupDraw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState state) {
  auto* item = DynamicCast<TMenuItem>(sender);
  if (!item) return;
  const TsMenuItemType type = MenuItemType(item);
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (type == TsMenuItemType::smCaption || width < 1 || height < 1) return;
  TBitmap* background = PopupBackground(item, canvas, width, rect.bottom);
  if (type == TsMenuItemType::smDivider) {
    if (background)
      BitBlt(canvas->GetHandle(), rect.left, rect.top, width, height, background->GetCanvas()->GetHandle(), 0,
             rect.top, SRCCOPY);
    DrawDivider(canvas, rect);
    return;
  }
  OwnedBitmap work = NewBitmap24(width, height);
  TCanvas* out = work->GetCanvas();
  if (background) {
    BitBlt(out->GetHandle(), 0, 0, width, height, background->GetCanvas()->GetHandle(), 0, rect.top, SRCCOPY);
  } else {
    out->GetBrush()->SetColor(clMenu);
    out->FillRect(RECT{0, 0, width, height});
  }
  const bool hot = IsHot(state);
  const int item_section = GetSkinIndex("MENUITEM");
  if (IsValidSkinIndex(item_section)) {
    const TsCacheInfo ci{background, 0, rect.top, background != nullptr};
    PaintItem(item_section, "MENUITEM", ci, hot ? 1 : 0, true, RECT{0, 0, width, height}, POINT{0, 0},
              work.get());
  }
  DrawGlyph(item, work.get(), height);

  UseMenuFont(out, item->GetDefault());
  const SIZE glyph = GlyphSize(item);
  const RECT text_rect{glyph.cx + 2 * Margin, 0, width, height};
  WriteAligned(out, item->GetCaption(), item->GetEnabled(), text_rect, Alignment, item_section, hot);
  const std::string shortcut = ShortCutToText(item->GetShortCut());
  if (!shortcut.empty())
    WriteAligned(out, shortcut, item->GetEnabled(), text_rect, taRightJustify, item_section, hot);
  BitBlt(canvas->GetHandle(), rect.left, rect.top, width, height, out->GetHandle(), 0, 0, SRCCOPY);
}

// ---- Menu-line items ----------------------------------------------------------------------

void TsSkinableMenus::LineMeasure(TObject* sender, TCanvas* canvas, int& width, int& height) {
  auto* item = DynamicCast<TMenuItem>(sender);
  if (!item) return;
  height = MenuLineHeight();
  // The item's cell takes the line's item spacing besides: the child's icon fits in it.
  if (IsMDIChildItem(item)) {
    width = 8;
    return;
  }
  UseMenuFont(canvas, item->GetDefault());
  const std::string text = CaptionWithShortCut(item);
  int w = canvas->TextWidth(text) + Margin + 5;
  // The accelerator mark is not shown.
  if (text.find('&') != std::string::npos) w -= canvas->TextWidth("&");
  // Room for the maximized child's icon before the first item and its buttons after the last.
  w += IconRoom(item) + ButtonRoom(item);
  width = std::max(width, w);
}

void TsSkinableMenus::LineDraw(TObject* sender, TCanvas* canvas, RECT rect, TOwnerDrawState state) {
  auto* item = DynamicCast<TMenuItem>(sender);
  if (!item) return;
  const int width = rect.right - rect.left, height = rect.bottom - rect.top;
  if (width < 1 || height < 1) return;
  const int line_section = GetSkinIndex("MENULINE");
  // The line behind the item is the form's frame as its provider painted it; the rectangle is
  // in the frame's coordinates. Without a provider there is no line to draw on.
  TBitmap* frame = MenuLineFrame(item);
  if (!frame) return;
  if (IsMDIChildItem(item)) {
    DrawMDIChildIcon(canvas, rect);
    return;
  }
  const TsCacheInfo parent{frame, rect.left, rect.top, true};
  OwnedBitmap work = NewBitmap24(width, height);
  TCanvas* out = work->GetCanvas();
  BitBlt(out->GetHandle(), 0, 0, width, height, parent.Bmp->GetCanvas()->GetHandle(), parent.X, parent.Y,
         SRCCOPY);
  const bool hot = IsHot(state);
  const int item_section = GetSkinIndex("MENUITEM");
  if (hot && IsValidSkinIndex(item_section))
    PaintItem(item_section, "MENUITEM", parent, 1, true, RECT{0, 0, width, height}, POINT{0, 0}, work.get());
  UseMenuFont(out, item->GetDefault());
  const RECT text_rect{Margin + IconRoom(item), 0, width - Margin - ButtonRoom(item), height};
  WriteAligned(out, item->GetCaption(), item->GetEnabled(), text_rect, taLeftJustify, line_section, hot);
  const std::string shortcut = ShortCutToText(item->GetShortCut());
  if (!shortcut.empty())
    WriteAligned(out, shortcut, item->GetEnabled(), text_rect, taRightJustify, line_section, hot);
  BitBlt(canvas->GetHandle(), rect.left, rect.top, width, height, out->GetHandle(), 0, 0, SRCCOPY);
  // Only the system's drawing on the window leaves the item hot there; the frame's cache
  // holds it normal.
  if (HWND window = WindowFromDC(canvas->GetHandle()); window && hot)
    hot_line_item = {window, item, rect};
  else if (hot_line_item.item == item)
    hot_line_item = {};
  OnDrawItem(item, canvas, rect, state);
}

void ResetHotMenuLineItem() {
  const THotLineItem pending = hot_line_item;
  hot_line_item = {};
  if (!pending.item || !IsWindow(pending.window)) return;
  auto* form = DynamicCast<TCustomForm>(FindControl(pending.window));
  TMainMenu* menu = form ? form->GetMenu() : nullptr;
  if (!menu) return;
  // Looked for by identity among the form's items: the one drawn may have gone since.
  for (TMenuItem* item : menu->BarItems()) {
    if (item != pending.item || !item->OnAdvancedDrawItem) continue;
    HDC dc = GetWindowDC(pending.window);
    const int saved = SaveDC(dc);
    TCanvas* canvas = New<TCanvas>();
    canvas->SetHandle(dc);
    if (Screen) canvas->SetFont(Screen->GetMenuFont());
    item->OnAdvancedDrawItem(item, canvas, pending.rect, TOwnerDrawState{});
    canvas->SetHandle(nullptr);
    Free(canvas);
    RestoreDC(dc, saved);
    ReleaseDC(pending.window, dc);
  }
}

void DrawMDIChildIcon(TCanvas* canvas, const RECT& row, bool own_icon_only) {
  TCustomForm* child = MaximizedMDIChild();
  if (!child || (own_icon_only && !MaximizedMDIChildIcon())) return;
  const int size = MDIIconSize();
  DrawIconEx(canvas->GetHandle(), row.left + 1, row.top + (row.bottom - row.top - size) / 2, FormIcon(child),
             size, size, 0, nullptr, DI_NORMAL);
}
