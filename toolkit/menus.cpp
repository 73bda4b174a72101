// Menu items, menu bars and pop-up menus over native menus; shortcut texts.
#include "toolkit/menus.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/forms.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

namespace {

// Command identifiers stay clear of the dialog buttons' (IDOK ...) and the system commands'
// (SC_SIZE and above), which reach a form's WM_COMMAND and WM_SYSCOMMAND too.
constexpr UINT kFirstCommand = 0x0100;
constexpr UINT kLastCommand = 0xEFFF;

// Items by command and by native submenu, for the messages that name them so.
struct TMenuRegistry {
  std::unordered_map<UINT, TMenuItem*> commands;
  std::unordered_map<HMENU, TMenuItem*> handles;
  UINT next = kFirstCommand;
};

TMenuRegistry& Registry() {
  static TMenuRegistry* registry = new TMenuRegistry;
  return *registry;
}

UINT AllocateCommand(TMenuItem* item) {
  TMenuRegistry& r = Registry();
  if (r.commands.size() > kLastCommand - kFirstCommand) throw EMenuError("Too many menu items");
  while (r.commands.contains(r.next)) r.next = r.next == kLastCommand ? kFirstCommand : r.next + 1;
  UINT command = r.next;
  r.commands[command] = item;
  r.next = command == kLastCommand ? kFirstCommand : command + 1;
  return command;
}

TMenuItem* ItemByCommand(UINT command) {
  auto it = Registry().commands.find(command);
  return it == Registry().commands.end() ? nullptr : it->second;
}

TMenuItem* ItemByHandle(HMENU handle) {
  auto it = Registry().handles.find(handle);
  return it == Registry().handles.end() ? nullptr : it->second;
}

bool Dying(const TComponent* component) {
  return component && component->GetComponentState().Contains(csDestroying);
}

// The menu merged into a menu bar; null for none.
const TMenu* MergedMenuOf(const TMenu* menu) {
  return menu->Is<TMainMenu>() ? static_cast<const TMainMenu*>(menu)->GetMerged() : nullptr;
}

// ---- The hidden window that owns pop-up menus without a window of their own -------------

constexpr char kPopupWindowClass[] = "TPopupList";
HWND g_popup_window = nullptr;
int g_popup_menus = 0;

LRESULT CALLBACK PopupWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam) {
  TMessage message{msg, wparam, lparam, 0};
  try {
    if (DispatchMenuMessage(nullptr, message)) return message.Result;
  } catch (...) {
    HandleWindowException(nullptr);
    return 0;
  }
  return DefWindowProcA(window, msg, wparam, lparam);
}

HWND PopupWindow() {
  if (g_popup_window) return g_popup_window;
  HINSTANCE instance = GetModuleHandleA(nullptr);
  WNDCLASSA wc{};
  if (!GetClassInfoA(instance, kPopupWindowClass, &wc)) {
    wc.lpfnWndProc = &PopupWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kPopupWindowClass;
    if (!RegisterClassA(&wc)) RaiseLastOSError();
  }
  // Never shown: it only receives the menus' messages.
  g_popup_window = CreateWindowExA(WS_EX_TOOLWINDOW, kPopupWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr,
                                   nullptr, instance, nullptr);
  if (!g_popup_window) RaiseLastOSError();
  return g_popup_window;
}

// ---- Key names ----------------------------------------------------------------------------

std::string KeyName(WORD key) {
  switch (key) {
    case VK_BACK: return "BkSp";
    case VK_TAB: return "Tab";
    case VK_ESCAPE: return "Esc";
    case VK_RETURN: return "Enter";
    case VK_SPACE: return "Space";
    case VK_PRIOR: return "PgUp";
    case VK_NEXT: return "PgDn";
    case VK_END: return "End";
    case VK_HOME: return "Home";
    case VK_LEFT: return "Left";
    case VK_UP: return "Up";
    case VK_RIGHT: return "Right";
    case VK_DOWN: return "Down";
    case VK_INSERT: return "Ins";
    case VK_DELETE: return "Del";
    default: break;
  }
  if ((key >= '0' && key <= '9') || (key >= 'A' && key <= 'Z')) return std::string(1, static_cast<char>(key));
  if (key >= VK_F1 && key <= VK_F24) return Format("F%d", key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return Format("Num %d", key - VK_NUMPAD0);
  // Punctuation and the like, as the keyboard layout names them.
  UINT scan = MapVirtualKeyA(key, MAPVK_VK_TO_VSC);
  if (scan == 0) return {};
  char name[64] = {};
  int length = GetKeyNameTextA(static_cast<LONG>(scan << 16), name, sizeof name);
  return length > 0 ? std::string(name, static_cast<size_t>(length)) : std::string();
}

bool ConsumePrefix(std::string_view& text, std::string_view prefix) {
  if (text.size() < prefix.size() || !SameText(text.substr(0, prefix.size()), prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

// The upper-case accelerator character of a caption; 0 when it has none.
char AcceleratorOf(std::string_view caption) {
  for (size_t i = 0; i + 1 < caption.size(); ++i) {
    if (caption[i] != '&') continue;
    if (caption[i + 1] != '&')
      return static_cast<char>(std::toupper(static_cast<unsigned char>(caption[i + 1])));
    ++i;
  }
  return 0;
}

TMenuItem* FindShortCutIn(TMenuItem* parent, TShortCut shortcut) {
  for (int i = 0; i < parent->GetCount(); ++i) {
    TMenuItem* item = parent->GetItem(i);
    if (!item->GetVisible()) continue;
    if (item->GetShortCut() == shortcut) return item;
    if (item->GetEnabled() && item->GetCount() > 0)
      if (TMenuItem* found = FindShortCutIn(item, shortcut)) return found;
  }
  return nullptr;
}

// A canvas on a device context for the length of one owner-draw message, with the menu font.
class TItemCanvas {
 public:
  explicit TItemCanvas(HDC dc) : canvas_(New<TCanvas>()) {
    canvas_->SetHandle(dc);
    if (Screen) canvas_->SetFont(Screen->GetMenuFont());
  }
  ~TItemCanvas() {
    canvas_->SetHandle(nullptr);
    Free(canvas_);
  }
  TItemCanvas(const TItemCanvas&) = delete;
  TItemCanvas& operator=(const TItemCanvas&) = delete;
  TCanvas* Get() const { return canvas_; }

 private:
  TCanvas* canvas_;
};

constexpr int kGlyphMargin = 3;   // around the glyph column
constexpr int kTextGap = 6;       // between glyph column and caption
constexpr int kShortCutGap = 20;  // between caption and shortcut text
constexpr int kArrowSpace = 16;   // right of the shortcut: the submenu arrow

}  // namespace

// ---- Shortcuts --------------------------------------------------------------------------------

TShortCut ShortCut(WORD key, TShiftState shift) {
  if (key > 0xFF) return scNone;
  TShortCut result = key;
  if (shift.Contains(ssShift)) result |= scShift;
  if (shift.Contains(ssCtrl)) result |= scCtrl;
  if (shift.Contains(ssAlt)) result |= scAlt;
  return result;
}

void ShortCutToKey(TShortCut shortcut, WORD& key, TShiftState& shift) {
  key = shortcut & 0xFF;
  shift = {};
  if (shortcut & scShift) shift.Include(ssShift);
  if (shortcut & scCtrl) shift.Include(ssCtrl);
  if (shortcut & scAlt) shift.Include(ssAlt);
}

std::string ShortCutToText(TShortCut shortcut) {
  std::string name = KeyName(shortcut & 0xFF);
  if (name.empty()) return {};
  std::string text;
  if (shortcut & scShift) text += "Shift+";
  if (shortcut & scCtrl) text += "Ctrl+";
  if (shortcut & scAlt) text += "Alt+";
  return text + name;
}

TShortCut TextToShortCut(std::string_view text) {
  TShortCut modifiers = 0;
  for (;;) {
    if (ConsumePrefix(text, "Shift+"))
      modifiers |= scShift;
    else if (ConsumePrefix(text, "Ctrl+"))
      modifiers |= scCtrl;
    else if (ConsumePrefix(text, "Alt+"))
      modifiers |= scAlt;
    else
      break;
  }
  if (text.empty()) return scNone;
  for (WORD key = 1; key <= 0xFF; ++key) {
    std::string name = KeyName(key);
    if (!name.empty() && SameText(name, text)) return static_cast<TShortCut>(modifiers | key);
  }
  return scNone;
}

std::string StripHotkey(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '&') {
      if (i + 1 < text.size() && text[i + 1] == '&') result += '&';
      ++i;
      if (i < text.size() && text[i] != '&') result += text[i];
      continue;
    }
    result += text[i];
  }
  return result;
}

// ---- TMenuItem --------------------------------------------------------------------------------

TK_CLASS_INFO(TMenuItem, TComponent)

void TMenuItem::Publish(TPublisher<TMenuItem>& p) {
  p.Object("Bitmap", &TMenuItem::GetBitmap, &TMenuItem::SetBitmap);
  p.String("Caption", &TMenuItem::GetCaption, &TMenuItem::SetCaption);
  p.Boolean("Checked", &TMenuItem::GetChecked, &TMenuItem::SetChecked).Default(false);
  p.Boolean("Default", &TMenuItem::GetDefault, &TMenuItem::SetDefault).Default(false);
  p.Boolean("Enabled", &TMenuItem::GetEnabled, &TMenuItem::SetEnabled).Default(true);
  p.Integer("GroupIndex", &TMenuItem::GetGroupIndex, &TMenuItem::SetGroupIndex).Default(0);
  p.String("Hint", &TMenuItem::GetHint, &TMenuItem::SetHint);
  p.Integer("ImageIndex", &TMenuItem::GetImageIndex, &TMenuItem::SetImageIndex).Default(-1);
  p.Boolean("RadioItem", &TMenuItem::GetRadioItem, &TMenuItem::SetRadioItem).Default(false);
  p.Integer("ShortCut", &TMenuItem::GetShortCut, &TMenuItem::SetShortCut).Default(scNone);
  p.Boolean("Visible", &TMenuItem::GetVisible, &TMenuItem::SetVisible).Default(true);
  p.Event("OnClick", &TMenuItem::OnClick);
  p.Event("OnMeasureItem", &TMenuItem::OnMeasureItem);
  p.Event("OnAdvancedDrawItem", &TMenuItem::OnAdvancedDrawItem);
}

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
  command_ = AllocateCommand(this);
  bitmap_ = New<TBitmap>();
  bitmap_->OnChange = TNotifyEvent(this, &TMenuItem::BitmapChanged);
}

TMenuItem::~TMenuItem() {
  if (parent_) parent_->Remove(this);
  while (!items_.empty()) Free(items_.back());
  DestroyHandle();
  Registry().commands.erase(command_);
  Free(bitmap_);
}

TMenuItem* TMenuItem::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EMenuError(Format("Menu index out of range (%d)", index));
  return items_[static_cast<size_t>(index)];
}

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(GetCount(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item) return;
  if (item->parent_) throw EMenuError("Menu inserted twice");
  if (item->menu_) throw EMenuError("A menu's items cannot be inserted into another item");
  for (const TMenuItem* p = this; p; p = p->parent_)
    if (p == item) throw EMenuError("A menu item cannot be inserted into itself");
  if (index < 0 || index > GetCount()) throw EMenuError(Format("Menu index out of range (%d)", index));
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  MenuChanged(true);
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index < 0) return;
  // The native menu lists the visible items only.
  int native = 0;
  for (int i = 0; i < index; ++i)
    if (items_[static_cast<size_t>(i)]->visible_) ++native;
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  // Detached at once, so a submenu freed next is never still inside our menu.
  if (handle_ && item->visible_) RemoveMenu(handle_, static_cast<UINT>(native), MF_BYPOSITION);
  MenuChanged(true);
  // An item without children is a command again: its own submenu is no longer shown.
  if (items_.empty() && !menu_ && !Dying(this)) DestroyHandle();
}

void TMenuItem::Delete(int index) { Free(GetItem(index)); }

void TMenuItem::Clear() {
  while (!items_.empty()) Free(items_.back());
}

TMenuItem* TMenuItem::Find(std::string_view caption) const {
  std::string wanted = StripHotkey(caption);
  for (TMenuItem* item : items_)
    if (SameText(StripHotkey(item->caption_), wanted)) return item;
  return nullptr;
}

int TMenuItem::GetMenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

void TMenuItem::SetMenuIndex(int index) {
  if (!parent_) return;
  TMenuItem* parent = parent_;
  index = std::clamp(index, 0, parent->GetCount() - 1);
  int current = parent->IndexOf(this);
  if (index == current) return;
  parent->items_.erase(parent->items_.begin() + current);
  parent->items_.insert(parent->items_.begin() + index, this);
  parent->MenuChanged(true);
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

TComponent* TMenuItem::GetParentComponent() const {
  if (parent_ && parent_->menu_) return parent_->menu_;
  return parent_;
}

void TMenuItem::SetParentComponent(TComponent* parent) {
  if (parent_) parent_->Remove(this);
  if (auto* menu = DynamicCast<TMenu>(parent))
    menu->GetItems()->Add(this);
  else if (auto* item = DynamicCast<TMenuItem>(parent))
    item->Add(this);
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  MenuChanged();
}

void TMenuItem::SetShortCut(TShortCut shortcut) {
  if (shortcut == shortcut_) return;
  shortcut_ = shortcut;
  MenuChanged();
}

void TMenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  MenuChanged();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  MenuChanged();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  if (checked && radio_item_) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::TurnSiblingsOff() {
  if (!parent_) return;
  for (TMenuItem* sibling : parent_->items_)
    if (sibling != this && sibling->radio_item_ && sibling->group_index_ == group_index_)
      sibling->checked_ = false;
}

void TMenuItem::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  // One default item per menu.
  if (value && parent_)
    for (TMenuItem* sibling : parent_->items_)
      if (sibling != this) sibling->default_ = false;
  MenuChanged();
}

void TMenuItem::SetRadioItem(bool radio_item) {
  if (radio_item == radio_item_) return;
  radio_item_ = radio_item;
  if (checked_ && radio_item) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetGroupIndex(uint8_t group_index) {
  if (group_index == group_index_) return;
  group_index_ = group_index;
  if (checked_ && radio_item_) TurnSiblingsOff();
  MenuChanged();
}

void TMenuItem::SetBitmap(TBitmap* bitmap) { bitmap_->Assign(bitmap); }

void TMenuItem::BitmapChanged(TObject* sender) {
  (void)sender;
  MenuChanged();
}

void TMenuItem::SetImageIndex(int index) {
  if (index == image_index_) return;
  image_index_ = index;
  MenuChanged();
}

void TMenuItem::Click() {
  if (enabled_) OnClick(this);
}

void TMenuItem::MenuChanged(bool rebuild_self) {
  if (Dying(this)) return;
  if (rebuild_self) RebuildHandle();
  if (parent_ && !Dying(parent_)) parent_->RebuildHandle();
  TMenu* menu = GetParentMenu();
  if (menu && !Dying(menu)) menu->MenuChanged(this, true);
}

// ---- TMenuItem: native menus ------------------------------------------------------------------

HMENU TMenuItem::GetHandle() {
  if (!handle_) {
    bool bar = menu_ && menu_->IsMenuBar();
    HMENU handle = bar ? CreateMenu() : CreatePopupMenu();
    if (!handle) RaiseLastOSError();
    handle_ = handle;
    Registry().handles[handle] = this;
    RebuildHandle();
  }
  return handle_;
}

void TMenuItem::DestroyHandle() {
  if (!handle_) return;
  HMENU handle = handle_;
  handle_ = nullptr;
  Registry().handles.erase(handle);
  // Submenus stay with their items: only this menu goes.
  while (GetMenuItemCount(handle) > 0)
    if (!RemoveMenu(handle, 0, MF_BYPOSITION)) break;
  DestroyMenu(handle);
}

void TMenuItem::RebuildHandle() {
  if (!handle_) return;
  while (GetMenuItemCount(handle_) > 0)
    if (!RemoveMenu(handle_, 0, MF_BYPOSITION)) break;
  bool top_level = menu_ && menu_->IsMenuBar();
  for (TMenuItem* item : menu_ ? menu_->BarItems() : items_)
    if (item->visible_) item->AppendTo(handle_, top_level);
}

void TMenuItem::RebuildAll() {
  for (TMenuItem* item : items_) item->RebuildAll();
  RebuildHandle();
}

bool TMenuItem::IsTopLevel() const { return parent_ && parent_->menu_ && parent_->menu_->IsMenuBar(); }

bool TMenuItem::IsOwnerDrawn() const {
  TMenu* menu = GetParentMenu();
  if (menu && menu->owner_draw_) return true;
  // Glyphs are drawn by us: native menus have no place for them.
  if (IsTopLevel() || IsLine()) return false;
  return !bitmap_->GetEmpty() || (image_index_ >= 0 && menu && menu->images_);
}

void TMenuItem::AppendTo(HMENU menu, bool top_level) {
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_DATA;
  std::string text;
  if (IsLine()) {
    info.fType = MFT_SEPARATOR;
  } else {
    text = caption_;
    // The native look shows the shortcut in a column of its own.
    if (shortcut_ != scNone && !top_level) {
      std::string shortcut = ShortCutToText(shortcut_);
      if (!shortcut.empty()) text += "\t" + shortcut;
    }
    info.fMask |= MIIM_STRING;
    info.dwTypeData = text.data();
    info.cch = static_cast<UINT>(text.size());
  }
  if (radio_item_) info.fType |= MFT_RADIOCHECK;
  if (IsOwnerDrawn()) info.fType |= MFT_OWNERDRAW;
  info.fState = enabled_ ? MFS_ENABLED : MFS_DISABLED | MFS_GRAYED;
  if (checked_) info.fState |= MFS_CHECKED;
  if (default_) info.fState |= MFS_DEFAULT;
  info.wID = command_;
  info.hSubMenu = items_.empty() ? nullptr : GetHandle();
  info.dwItemData = reinterpret_cast<ULONG_PTR>(this);
  if (!InsertMenuItemA(menu, static_cast<UINT>(GetMenuItemCount(menu)), TRUE, &info)) RaiseLastOSError();
}

// ---- TMenuItem: owner drawing -----------------------------------------------------------------

SIZE TMenuItem::GlyphSize() const {
  if (!bitmap_->GetEmpty()) return {bitmap_->GetWidth(), bitmap_->GetHeight()};
  TMenu* menu = GetParentMenu();
  if (menu && menu->images_) return {menu->images_->GetWidth(), menu->images_->GetHeight()};
  return {16, 16};
}

void TMenuItem::MeasureItem(TCanvas* canvas, int& width, int& height) {
  if (IsLine()) {
    width = 0;
    height = std::max(GetSystemMetrics(SM_CYMENU) / 2, 4);
  } else {
    if (default_) canvas->GetFont()->SetStyle(canvas->GetFont()->GetStyle() + TFontStyles{fsBold});
    int text_width = canvas->TextWidth(StripHotkey(caption_));
    int text_height = canvas->TextHeight("W");
    if (IsTopLevel()) {
      width = text_width + 2 * kTextGap;
      height = std::max(text_height + 4, GetSystemMetrics(SM_CYMENU) - 1);
    } else {
      SIZE glyph = GlyphSize();
      width = glyph.cx + 2 * kGlyphMargin + kTextGap + text_width + kArrowSpace;
      std::string shortcut = ShortCutToText(shortcut_);
      if (!shortcut.empty()) width += kShortCutGap + canvas->TextWidth(shortcut);
      height = std::max<int>(text_height + 6, glyph.cy + 2 * kGlyphMargin);
    }
  }
  OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::AdvancedDrawItem(TCanvas* canvas, const RECT& rect, TOwnerDrawState state, bool top_level) {
  if (OnAdvancedDrawItem)
    OnAdvancedDrawItem(this, canvas, rect, state);
  else
    DrawDefault(canvas, rect, state, top_level);
}

void TMenuItem::DrawDefault(TCanvas* canvas, const RECT& rect, TOwnerDrawState state, bool top_level) {
  bool selected = state.Contains(odSelected) || (top_level && state.Contains(odHotLight));
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(selected && enabled_ ? clHighlight : clMenu);
  canvas->FillRect(rect);
  int height = rect.bottom - rect.top;
  if (IsLine()) {
    RECT line{rect.left + kGlyphMargin, rect.top + height / 2 - 1, rect.right - kGlyphMargin, rect.bottom};
    DrawEdge(canvas->GetHandle(), &line, EDGE_ETCHED, BF_TOP);
    return;
  }
  TColor text_color = !enabled_ ? clGrayText : selected ? clHighlightText : clMenuText;
  RECT text_rect = rect;
  if (!top_level) {
    SIZE glyph = GlyphSize();
    RECT cell{rect.left + kGlyphMargin, rect.top + (height - glyph.cy) / 2, 0, 0};
    cell.right = cell.left + glyph.cx;
    cell.bottom = cell.top + glyph.cy;
    TMenu* menu = GetParentMenu();
    bool has_glyph = !bitmap_->GetEmpty() || (image_index_ >= 0 && menu && menu->images_);
    if (checked_ && has_glyph) {
      RECT frame = cell;
      InflateRect(&frame, 1, 1);
      DrawEdge(canvas->GetHandle(), &frame, BDR_SUNKENOUTER, BF_RECT);
    }
    if (!bitmap_->GetEmpty()) {
      // Menu glyphs let their bottom-left colour show the menu through, whatever the
      // bitmap's own Transparent says; a copy keeps the item's bitmap (and menu) untouched.
      TBitmap* glyph = New<TBitmap>();
      try {
        glyph->Assign(bitmap_);
        glyph->SetTransparent(true);
        canvas->Draw(cell.left, cell.top, glyph);
      } catch (...) {
        Free(glyph);
        throw;
      }
      Free(glyph);
    } else if (has_glyph) {
      menu->images_->Draw(canvas, cell.left, cell.top, image_index_, enabled_);
    } else if (checked_) {
      // The mark in the text colour, centred in the glyph cell.
      canvas->GetPen()->SetColor(text_color);
      canvas->GetBrush()->SetColor(text_color);
      int cx = (cell.left + cell.right) / 2;
      int cy = (cell.top + cell.bottom) / 2;
      if (radio_item_) {
        canvas->Ellipse(cx - 3, cy - 3, cx + 3, cy + 3);
      } else {
        for (int d = 0; d < 3; ++d) {
          const POINT tick[] = {{cx - 4, cy - 1 + d}, {cx - 2, cy + 1 + d}, {cx + 3, cy - 4 + d}};
          canvas->Polyline(tick);
        }
      }
    }
    text_rect.left = cell.right + kGlyphMargin + kTextGap;
    text_rect.right -= kArrowSpace;
  }
  TFont* font = canvas->GetFont();
  if (default_) font->SetStyle(font->GetStyle() + TFontStyles{fsBold});
  font->SetColor(text_color);
  canvas->TextExtent("");  // selects the font and its colour
  HDC dc = canvas->GetHandle();
  int old_mode = SetBkMode(dc, TRANSPARENT);
  UINT flags = DT_SINGLELINE | DT_VCENTER | (top_level ? DT_CENTER : DT_LEFT);
  if (state.Contains(odNoAccel)) flags |= DT_HIDEPREFIX;
  DrawTextA(dc, caption_.c_str(), static_cast<int>(caption_.size()), &text_rect, flags);
  std::string shortcut = top_level ? std::string() : ShortCutToText(shortcut_);
  if (!shortcut.empty())
    DrawTextA(dc, shortcut.c_str(), static_cast<int>(shortcut.size()), &text_rect,
              DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
  SetBkMode(dc, old_mode);
}

// ---- TMenu ------------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TMenu, TComponent)

void TMenu::Publish(TPublisher<TMenu>& p) {
  p.Object("Images", &TMenu::GetImages, &TMenu::SetImages);
  p.Boolean("OwnerDraw", &TMenu::GetOwnerDraw, &TMenu::SetOwnerDraw).Default(false);
}

TMenu::TMenu(TComponent* owner) : TComponent(owner) {
  items_ = New<TMenuItem>(nullptr);
  items_->menu_ = this;
}

TMenu::~TMenu() { Free(items_); }

void TMenu::SetOwnerDraw(bool owner_draw) {
  if (owner_draw == owner_draw_) return;
  owner_draw_ = owner_draw;
  items_->RebuildAll();
  MenuChanged(nullptr, true);
}

void TMenu::SetImages(TCustomImageList* images) {
  if (images == images_) return;
  images_ = images;
  if (images) images->FreeNotification(this);
  items_->RebuildAll();
  MenuChanged(nullptr, true);
}

void TMenu::SetWindowHandle(HWND window) { window_ = window; }

void TMenu::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    if (!Dying(this)) {
      items_->RebuildAll();
      MenuChanged(nullptr, true);
    }
  }
}

void TMenu::MenuChanged(TMenuItem* source, bool rebuild) {
  (void)source;
  (void)rebuild;
}

std::vector<TMenuItem*> TMenu::BarItems() const { return items_->items_; }

TMenuItem* TMenu::FindItem(UINT_PTR value, TFindItemKind kind) const {
  const TMenu* merged = MergedMenuOf(this);
  TMenuItem* item = nullptr;
  switch (kind) {
    case fkCommand: item = ItemByCommand(static_cast<UINT>(value)); break;
    case fkHandle: item = ItemByHandle(reinterpret_cast<HMENU>(value)); break;
    case fkShortCut:
      item = FindShortCutIn(items_, static_cast<TShortCut>(value));
      if (!item && merged) item = FindShortCutIn(merged->items_, static_cast<TShortCut>(value));
      break;
  }
  if (!item) return nullptr;
  const TMenu* menu = item->GetParentMenu();
  return menu == this || (merged && menu == merged) ? item : nullptr;
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = FindItem(command, fkCommand);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::DispatchPopup(HMENU submenu) {
  TMenuItem* item = ItemByHandle(submenu);
  if (!item || item->GetParentMenu() != this) return false;
  // The root opens as the whole pop-up menu (OnPopup has run); a submenu tells its item.
  if (item != items_) item->Click();
  return true;
}

bool TMenu::IsShortCut(TMessage& message) {
  auto key = static_cast<WORD>(message.WParam);
  if (key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU) return false;
  TShortCut shortcut = ShortCut(key, KeyDataToShiftState(message.LParam));
  if (shortcut == scNone) return false;
  TMenuItem* item = FindItem(shortcut, fkShortCut);
  if (!item || !item->GetEnabled()) return false;
  item->Click();
  return true;
}

// ---- TMainMenu --------------------------------------------------------------------------------

TK_CLASS_INFO(TMainMenu, TMenu)

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() {
  if (merged_into_) merged_into_->Unmerge(this);
  if (merged_) merged_->merged_into_ = nullptr;
  SetWindowHandle(nullptr);
}

void TMainMenu::Merge(TMainMenu* menu) {
  if (menu == merged_ || menu == this) return;
  if (merged_) merged_->merged_into_ = nullptr;
  // A menu shows in one bar at a time.
  if (menu && menu->merged_into_) menu->merged_into_->Unmerge(menu);
  merged_ = menu;
  if (menu) menu->merged_into_ = this;
  BarChanged();
}

void TMainMenu::Unmerge(TMainMenu* menu) {
  if (menu && menu == merged_) Merge(nullptr);
}

void TMainMenu::BarChanged() {
  if (Dying(this)) return;
  GetItems()->RebuildHandle();
  MenuChanged(nullptr, true);
}

// The bar's items of a group the merged menu brings give way to its items; each merged item
// goes before the first of the bar's own items with a greater GroupIndex.
std::vector<TMenuItem*> TMainMenu::BarItems() const {
  std::vector<TMenuItem*> shown;
  if (!merged_) return TMenu::BarItems();
  const std::vector<TMenuItem*>& theirs = merged_->GetItems()->items_;
  auto brought = [&](const TMenuItem* item) {
    return std::any_of(theirs.begin(), theirs.end(),
                       [&](const TMenuItem* t) { return t->group_index_ == item->group_index_; });
  };
  for (TMenuItem* item : GetItems()->items_)
    if (!brought(item)) shown.push_back(item);
  for (TMenuItem* item : theirs) {
    auto place = std::find_if(shown.begin(), shown.end(), [&](const TMenuItem* s) {
      return s->parent_ == GetItems() && s->group_index_ > item->group_index_;
    });
    shown.insert(place, item);
  }
  return shown;
}

void TMainMenu::SetWindowHandle(HWND window) {
  if (window_ && IsWindow(window_) && GetItems()->HandleAllocated() && ::GetMenu(window_) == GetHandle())
    ::SetMenu(window_, nullptr);
  window_ = window;
  if (window_) ::SetMenu(window_, GetHandle());
}

// A merged menu's change shows in the bar it is merged into.
void TMainMenu::MenuChanged(TMenuItem* source, bool rebuild) {
  TMenu::MenuChanged(source, rebuild);
  if (merged_into_ && !Dying(merged_into_)) merged_into_->BarChanged();
  if (!window_ || !IsWindow(window_)) return;
  DrawMenuBar(window_);
  SendMessageA(window_, CM_MENUCHANGED, 0, 0);
}

// ---- TPopupMenu -------------------------------------------------------------------------------

TK_CLASS_INFO(TPopupMenu, TMenu)

namespace {
const TEnumInfo& PopupAlignmentInfo() {
  static const TEnumInfo info{"paLeft", "paRight", "paCenter"};
  return info;
}
const TEnumInfo& TrackButtonInfo() {
  static const TEnumInfo info{"tbRightButton", "tbLeftButton"};
  return info;
}
}  // namespace

void TPopupMenu::Publish(TPublisher<TPopupMenu>& p) {
  p.Enumeration("Alignment", PopupAlignmentInfo(), &TPopupMenu::GetAlignment, &TPopupMenu::SetAlignment)
      .Default(paLeft);
  p.Boolean("AutoPopup", &TPopupMenu::GetAutoPopup, &TPopupMenu::SetAutoPopup).Default(true);
  p.Enumeration("TrackButton", TrackButtonInfo(), &TPopupMenu::GetTrackButton, &TPopupMenu::SetTrackButton)
      .Default(tbRightButton);
  p.Event("OnPopup", &TPopupMenu::OnPopup);
}

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { ++g_popup_menus; }

TPopupMenu::~TPopupMenu() {
  if (--g_popup_menus == 0 && g_popup_window) {
    DestroyWindow(g_popup_window);
    g_popup_window = nullptr;
  }
}

void TPopupMenu::SetPopupComponent(TComponent* component) {
  if (component == popup_component_) return;
  popup_component_ = component;
  if (component) component->FreeNotification(this);
}

void TPopupMenu::Notification(TComponent* component, TOperation operation) {
  TMenu::Notification(component, operation);
  if (operation == opRemove && component == popup_component_) popup_component_ = nullptr;
}

void TPopupMenu::DoPopup() { OnPopup(this); }

void TPopupMenu::Popup(int x, int y) {
  DoPopup();
  HMENU menu = GetHandle();
  UINT flags = TPM_RETURNCMD | (track_button_ == tbRightButton ? TPM_RIGHTBUTTON : TPM_LEFTBUTTON);
  switch (alignment_) {
    case paLeft: flags |= TPM_LEFTALIGN; break;
    case paRight: flags |= TPM_RIGHTALIGN; break;
    case paCenter: flags |= TPM_CENTERALIGN; break;
  }
  if (Application) Application->CancelHint();
  HWND owner = window_ ? window_ : PopupWindow();
  // Blocks in the menu's own loop; the chosen command comes back instead of being posted,
  // so its OnClick has run when Popup returns.
  auto command = static_cast<UINT>(TrackPopupMenu(menu, flags, x, y, 0, owner, nullptr));
  if (command != 0) DispatchCommand(command);
}

// ---- Messages ---------------------------------------------------------------------------------

bool DispatchMenuMessage(TMenu* window_menu, TMessage& message) {
  switch (message.Msg) {
    case WM_COMMAND: {
      // Menus and accelerators only: controls' notifications carry their window.
      if (message.LParam != 0 || HIWORD(message.WParam) > 1) return false;
      UINT command = LOWORD(message.WParam);
      if (window_menu && window_menu->DispatchCommand(command)) return true;
      // A pop-up menu tracked with this window as its owner.
      TMenuItem* item = ItemByCommand(command);
      auto* popup = DynamicCast<TPopupMenu>(item ? item->GetParentMenu() : nullptr);
      return popup && popup->DispatchCommand(command);
    }
    case WM_INITMENUPOPUP: {
      TMenuItem* item = ItemByHandle(reinterpret_cast<HMENU>(message.WParam));
      TMenu* menu = item ? item->GetParentMenu() : nullptr;
      if (!menu || !menu->DispatchPopup(reinterpret_cast<HMENU>(message.WParam))) return false;
      message.Result = 0;
      return true;
    }
    case WM_MENUCHAR: {
      // Owner-drawn items have no text the system reads accelerators from.
      TMenuItem* parent = ItemByHandle(reinterpret_cast<HMENU>(message.LParam));
      if (!parent) return false;
      auto key = static_cast<char>(std::toupper(static_cast<unsigned char>(LOWORD(message.WParam))));
      // A bar's native menu shows its merged items too.
      std::vector<TMenuItem*> items;
      if (TMenu* menu = parent->GetParent() ? nullptr : parent->GetParentMenu())
        items = menu->BarItems();
      else
        for (int i = 0; i < parent->GetCount(); ++i) items.push_back(parent->GetItem(i));
      int position = 0;
      for (TMenuItem* item : items) {
        if (!item->GetVisible()) continue;
        if (AcceleratorOf(item->GetCaption()) == key) {
          message.Result = MAKELRESULT(position, item->GetCount() > 0 ? MNC_SELECT : MNC_EXECUTE);
          return true;
        }
        ++position;
      }
      return false;
    }
    case WM_MEASUREITEM: {
      auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(message.LParam);
      if (!measure || measure->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemByCommand(measure->itemID);
      if (!item) return false;
      HDC dc = GetDC(nullptr);
      try {
        TItemCanvas canvas(dc);
        int width = static_cast<int>(measure->itemWidth);
        int height = static_cast<int>(measure->itemHeight);
        item->MeasureItem(canvas.Get(), width, height);
        measure->itemWidth = static_cast<UINT>(std::max(width, 0));
        measure->itemHeight = static_cast<UINT>(std::max(height, 0));
      } catch (...) {
        ReleaseDC(nullptr, dc);
        throw;
      }
      ReleaseDC(nullptr, dc);
      message.Result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* draw = reinterpret_cast<DRAWITEMSTRUCT*>(message.LParam);
      if (!draw || draw->CtlType != ODT_MENU) return false;
      TMenuItem* item = ItemByCommand(draw->itemID);
      if (!item) return false;
      int saved = SaveDC(draw->hDC);
      try {
        TItemCanvas canvas(draw->hDC);
        item->AdvancedDrawItem(canvas.Get(), draw->rcItem, OwnerDrawState(draw->itemState),
                               item->IsTopLevel());
      } catch (...) {
        RestoreDC(draw->hDC, saved);
        throw;
      }
      RestoreDC(draw->hDC, saved);
      message.Result = TRUE;
      return true;
    }
    default: return false;
  }
}

bool IsPopupMenuShortCut(TControl* control, TMessage& message) {
  for (TControl* c = control; c; c = c->GetParent())
    if (TPopupMenu* menu = c->GetPopupMenu(); menu && menu->IsShortCut(message)) return true;
  return false;
}

void RegisterMenuClasses() {
  RegisterClasses({TMenuItem::StaticClass(), TMainMenu::StaticClass(), TPopupMenu::StaticClass()});
}
