// Title buttons, hit testing, clicks and outline moving/sizing of a skinned form's frame.
#include "skin/controls/sframemouse.h"

#include <windowsx.h>

#include <algorithm>

#include "skin/controls/sframecommands.h"
#include "skin/controls/sskinmenus.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/typinfo.h"

namespace {

enum { kMin, kMax, kClose, kHelp, kMDIMin, kMDIMax, kMDIClose };

bool IsSizingCode(int code) { return code >= HTLEFT && code <= HTBOTTOMRIGHT; }

// The outline drag of the process: the outline is drawn inverted on the screen, so only one
// can run at a time.
struct TOutlineDrag {
  bool active = false;
  bool moving = false;
  bool moved = false;
  int code = 0;
  HWND window = nullptr;
  HDC dc = nullptr;
  // Rectangles in the coordinates the window is placed in: an MDI child's are the MDI
  // client's, and `origin` is where that client's area begins on the screen.
  RECT start{};    // the window's rectangle when the drag began
  RECT outline{};  // where the outline is drawn now
  POINT origin{};
  POINT press{};  // on the screen
  SIZE min{};
};
TOutlineDrag drag;

void DrawOutline() {
  RECT r = drag.outline;
  OffsetRect(&r, drag.origin.x, drag.origin.y);
  POINT points[5] = {{r.left, r.top},
                     {r.right - 1, r.top},
                     {r.right - 1, r.bottom - 1},
                     {r.left, r.bottom - 1},
                     {r.left, r.top}};
  Polyline(drag.dc, points, 5);
}

// The window's rectangle as MoveWindow takes it: in its parent's client area for a child window
// (an MDI child lies in the MDI client), on the screen otherwise; `origin` gets the screen point
// of those coordinates' zero.
RECT PlacedRect(HWND window, POINT& origin) {
  RECT r{};
  GetWindowRect(window, &r);
  origin = {0, 0};
  if (GetWindowLongPtrA(window, GWL_STYLE) & WS_CHILD) ClientToScreen(GetParent(window), &origin);
  OffsetRect(&r, -origin.x, -origin.y);
  return r;
}

// The state the window shows. The form learns a new state only from the WM_SIZE at the end
// of the change, after the system has had the frame painted (a restored MDI child would keep
// the restore glyph).
TWindowState ShownState(TCustomForm* form) {
  if (!form->HandleAllocated() || !IsWindowVisible(form->GetHandle())) return form->GetWindowState();
  if (IsIconic(form->GetHandle())) return wsMinimized;
  return IsZoomed(form->GetHandle()) ? wsMaximized : wsNormal;
}

// A client point of a mouse message on the screen.
POINT ScreenPoint(HWND window, LPARAM lparam) {
  POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
  ClientToScreen(window, &p);
  return p;
}

}  // namespace

// ---- TsTitleIcon, TsTitleButton, TsTitleButtons ---------------------------------------------

TK_CLASS_INFO(TsTitleIcon, TPersistent)

void TsTitleIcon::Publish(TPublisher<TsTitleIcon>& p) {
  p.Object("Glyph", &TsTitleIcon::GetGlyph, &TsTitleIcon::SetGlyph);
  p.Integer("Width", &TsTitleIcon::GetWidth, &TsTitleIcon::SetWidth).Default(16);
  p.Integer("Height", &TsTitleIcon::GetHeight, &TsTitleIcon::SetHeight).Default(16);
}

TsTitleIcon::TsTitleIcon() : glyph_(New<TBitmap>()) {}
TsTitleIcon::~TsTitleIcon() { FreeAndNil(glyph_); }

void TsTitleIcon::SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }

void TsTitleIcon::Assign(TPersistent* source) {
  auto* icon = DynamicCast<TsTitleIcon>(source);
  if (!icon) return TPersistent::Assign(source);
  glyph_->Assign(icon->glyph_);
  width_ = icon->width_;
  height_ = icon->height_;
}

TK_CLASS_INFO(TsTitleButton, TCollectionItem)

void TsTitleButton::Publish(TPublisher<TsTitleButton>& p) {
  using B = TsTitleButton;
  p.Boolean("UseSkinData", &B::UseSkinData).Default(true);
  p.String("Name", &B::Name);
  p.Object("Glyph", &B::GetGlyph, &B::SetGlyph);
  p.Event("OnMouseUp", &B::OnMouseUp);
  p.Event("OnMouseDown", &B::OnMouseDown);
  p.Boolean("Enabled", &B::Enabled).Default(true);
}

TsTitleButton::TsTitleButton(TCollection* collection)
    : TCollectionItem(collection), Name(StaticClass()->name), glyph_(New<TBitmap>()) {}

TsTitleButton::~TsTitleButton() { FreeAndNil(glyph_); }

void TsTitleButton::SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }

void TsTitleButton::Assign(TPersistent* source) {
  auto* button = DynamicCast<TsTitleButton>(source);
  if (!button) return TCollectionItem::Assign(source);
  Name = button->Name;
  UseSkinData = button->UseSkinData;
  Enabled = button->Enabled;
  SetGlyph(button->glyph_);
  OnMouseUp = button->OnMouseUp;
  OnMouseDown = button->OnMouseDown;
}

TK_CLASS_INFO(TsTitleButtons, TCollection)

TsTitleButtons::TsTitleButtons(TPersistent* owner) : TCollection(TsTitleButton::StaticClass(), owner) {}

// ---- Metrics and hit test -----------------------------------------------------------------

TsFrameMetrics FrameMetricsOf(TFormBorderStyle style) {
  TsFrameMetrics m;
  if (style == bsNone) return m;
  int cx = GetSystemMetrics(SM_CXFRAME), cy = GetSystemMetrics(SM_CYFRAME);
  bool sizing = style == bsSizeable || style == bsSizeToolWin;
  m.FrameWidth = sizing ? cx : cx - 1;
  m.FrameHeight = sizing || style == bsToolWindow ? cy : cy - 1;
  if (style == bsSizeToolWin)
    m.CaptionHeight = GetSystemMetrics(SM_CYSMCAPTION);
  else if (style == bsToolWindow)
    m.CaptionHeight = GetSystemMetrics(SM_CYSMCAPTION) - 1;
  else
    m.CaptionHeight = GetSystemMetrics(SM_CYCAPTION);
  return m;
}

namespace {

SIZE CloseMaskSize(int skin_index, SIZE fallback) {
  if (!IsValidSkinIndex(skin_index)) return fallback;
  int i = GetMaskIndex(skin_index, SkinGeneralData[skin_index].SectionName, "BICONCLOSE");
  if (!IsValidImgIndex(i)) return fallback;
  const TsMaskData& m = SkinMasks[i];
  if (m.Bmp) return {m.Bmp->GetWidth() / 3, m.Bmp->GetHeight() / 2};
  return {(m.R.right - m.R.left) / std::max<int>(m.ImageCount, 1), (m.R.bottom - m.R.top) / (m.MaskType + 1)};
}

}  // namespace

SIZE TitleButtonSize(int skin_index) { return CloseMaskSize(skin_index, {21, 21}); }
SIZE MDIButtonSize(int skin_index) { return CloseMaskSize(skin_index, {16, 16}); }

int TsFrameLayout::ButtonTop() const {
  int top = (Metrics.CaptionHeight - Button.cy + Metrics.FrameHeight) / 2;
  return Button.cy < 16 ? top + 2 : top;
}

int TsFrameLayout::SlotLeft(int k) const { return Width - Metrics.FrameWidth - k * (Button.cx + 1); }

RECT TsFrameLayout::MDIButtonRect(int k) const {
  int left = Width - Metrics.FrameWidth - k * (MDIButton.cx + 1);
  int top = TopBand - (MenuHeight - MDIButton.cy) / 2 - MDIButton.cy - 1;
  return {left, top, left + MDIButton.cx, top + MDIButton.cy};
}

int FrameHitTest(const TsFrameLayout& l, POINT p, const TsTitleButtons* custom, int incoming) {
  const TsFrameRules& r = l.Rules;
  int w = l.Width, fw = l.Metrics.FrameWidth, b = l.Button.cx + 1;
  int row_top = (l.Metrics.FrameHeight + l.Metrics.CaptionHeight - l.Button.cy) / 2;
  int row_bottom = row_top + l.Button.cy;
  auto in = [&](int from, int to) { return p.x >= from && p.x <= to; };
  if (p.y >= row_top && p.y <= row_bottom) {
    int m = r.MaximizeVisible() ? 1 : 0;
    int n = r.MinimizeVisible() ? 1 : 0;
    int count = custom ? custom->GetCount() : 0;
    if (in(w - fw - b, w - fw) && r.CloseVisible()) return HTCLOSE;
    if (in(w - fw - 2 * b, w - fw - b) && (r.MaximizeEnabled() || r.RestoreEnabled()) && r.MaximizeVisible())
      return HTMAXBUTTON;
    if (r.MinimizeEnabled() && in(w - fw - (m + 2) * b, w - fw - (m + 1) * b) && r.MinimizeVisible())
      return HTMINBUTTON;
    if (in(fw, l.IconRight)) return HTSYSMENU;
    if (r.Icons.Contains(biHelp) && r.MaximizeVisible() &&
        in(w - fw - (m + n + 2) * b, w - fw - (m + n + 1) * b))
      return HTHELP;
    if (in(w - fw - (count + 4) * b, w - fw - 4 * b)) {
      int i = (w - fw - 4 * b - p.x) / b;
      if (i >= 0 && i < count && custom->Button(i)->Enabled) return HTCUSTOMBUTTON + i;
      return HTCAPTION;
    }
    return HTCAPTION;
  }
  if (l.Grip && p.x >= l.GripPoint.x && p.y >= l.GripPoint.y) return HTBOTTOMRIGHT;
  if (l.MDIButtons)
    for (int k = 1; k <= 3; ++k) {
      RECT b = l.MDIButtonRect(k);
      if (PtInRect(&b, p)) return HTMDICLOSE + k - 1;
    }
  // Maximized, the frame lies off the screen: its edge goes to whatever is below.
  if (r.State == wsMaximized && (p.x < 2 || p.y < 2 || p.x > w - 4 || p.y > l.Height - 4))
    return HTTRANSPARENT;
  return incoming;
}

// ---- TsFrameMouse -------------------------------------------------------------------------

// The provider as the frame mouse's host; the system menu is the frame mouse's own.
class TsFrameMouse::TProviderHost : public TsFrameHost {
 public:
  explicit TProviderHost(TsSkinProvider* provider)
      : provider_(provider), menu_(new TsSystemMenu(nullptr, provider->GetForm())) {}
  ~TProviderHost() override { delete menu_; }

  TCustomForm* FrameForm() override { return provider_->GetForm(); }
  TsFrameLayout FrameLayout() override {
    TsFrameLayout l;
    TCustomForm* form = provider_->GetForm();
    if (!form) return l;
    RECT r = form->GetBoundsRect();
    if (form->HandleAllocated()) GetWindowRect(form->GetHandle(), &r);
    l.Width = r.right - r.left;
    l.Height = r.bottom - r.top;
    l.Metrics = {provider_->FrameWidth(), provider_->FrameHeight(), provider_->CaptionHeight()};
    RECT icon = provider_->IconRect();
    l.IconRight = icon.right;
    l.IconBottom = icon.bottom;
    l.MenuBand = provider_->MenuBandHeight();
    int skin = FrameSkinIndex();
    l.Button = TitleButtonSize(skin);
    l.Rules = {form->GetBorderStyle(), provider_->GetBorderIcons(), ShownState(form)};
    l.MenuHeight = provider_->MenuHeight();
    l.TopBand = provider_->FrameTopBand();
    l.MDIButton = MDIButtonSize(skin);
    l.MDIButtons = MDIChildMaximized(form);
    if (provider_->GetGripMode() == gmRightBottom && IsValidSkinIndex(skin)) {
      int grip = GetMaskIndex(skin, SkinGeneralData[skin].SectionName, "GRIPIMAGE");
      SIZE g = GetMaskFrameSize(grip);
      if (IsValidImgIndex(grip) && g.cx > 0) {
        l.Grip = true;
        l.GripPoint = {l.Width - g.cx - l.Metrics.FrameWidth, l.Height - g.cy - l.Metrics.FrameHeight};
      }
    }
    return l;
  }
  bool MDIChildMaximized(TCustomForm* form) {
    if (form->GetFormStyle() != fsMDIForm || !provider_->HasMenuLine() || provider_->MenuHeight() <= 0)
      return false;
    TCustomForm* child = form->GetActiveMDIChild();
    return child && child->HandleAllocated() && IsZoomed(child->GetHandle());
  }
  TsTitleButtons* FrameTitleButtons() override { return provider_->GetTitleButtons(); }
  TsSystemMenu* FrameSystemMenu() override {
    menu_->SetForm(provider_->GetForm());  // not known yet when the provider is made
    menu_->SetBorderIcons(provider_->GetBorderIcons());
    menu_->SetSkinManager(FrameSkinManager());
    return menu_;
  }
  bool FrameOutlineResize() override { return provider_->GetResizeMode() == rmBorder; }
  bool FrameActive() override { return provider_->FormActive(); }
  int FrameSkinIndex() override { return provider_->GetCommonData()->SkinIndex; }
  TBitmap* FrameCache() override { return provider_->GetCommonData()->GetCacheBmp(); }
  TBitmap* FrameButtonBackground() override { return provider_->GetButtonBackground(); }
  // The form's constraints; where it has none, the system's smallest tracking size keeps the
  // outline from collapsing.
  SIZE FrameMinSize() override {
    SIZE min{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
    if (TCustomForm* form = provider_->GetForm()) {
      const TSizeConstraints* c = form->GetConstraints();
      if (c->GetMinWidth() > 0) min.cx = c->GetMinWidth();
      if (c->GetMinHeight() > 0) min.cy = c->GetMinHeight();
    }
    return min;
  }
  bool FrameSkinnedPopups() override {
    TsSkinManager* manager = FrameSkinManager();
    return !manager || manager->GetSkinnedPopups();
  }
  bool FrameMakeSkinMenu() override { return provider_->GetMakeSkinMenu(); }
  TsSkinManager* FrameSkinManager() override { return SkinData().DefaultManager; }
  void FramePassOn(TMessage& message) override { provider_->CallPrevious(message); }
  void FrameRepaint() override { provider_->RepaintFrame(); }
  bool FrameSysCommand(TMessage& message) override { return ::FrameSysCommand(provider_, message); }
  bool FrameSizing(TMessage& message) override { return ::FrameSizing(provider_, message); }

 private:
  TsSkinProvider* provider_;
  TsSystemMenu* menu_;
};

TsFrameMouse::TsFrameMouse(TsSkinProvider* provider)
    : own_host_(std::make_unique<TProviderHost>(provider)), host_(own_host_.get()) {}

TsFrameMouse::TsFrameMouse(TsFrameHost& host) : host_(&host) {}

int TsFrameMouse::HitTest(POINT window_point) {
  return FrameHitTest(host_->FrameLayout(), window_point, host_->FrameTitleButtons());
}

int TsFrameMouse::ButtonWidth() const { return TitleButtonSize(host_->FrameSkinIndex()).cx; }

int TsFrameMouse::CustomButtonCount() const {
  TsTitleButtons* custom = host_->FrameTitleButtons();
  return custom ? custom->GetCount() : 0;
}

int TsFrameMouse::StandardButtonCount() const {
  TsFrameRules r = host_->FrameLayout().Rules;
  if (!r.Icons.Contains(biSystemMenu)) return 0;
  int count = IsValidImgIndex(buttons_[kClose].MaskIndex) ? 1 : 0;
  if (r.MaximizeVisible() && IsValidImgIndex(r.MaximizeEnabled() ? buttons_[kMax].MaskIndex : norm_mask_))
    ++count;
  if (r.MinimizeVisible() && IsValidImgIndex(buttons_[kMin].MaskIndex)) ++count;
  if (r.Icons.Contains(biHelp) && IsValidImgIndex(buttons_[kHelp].MaskIndex)) ++count;
  return count;
}

void TsFrameMouse::UpdateSystemMenu() {
  if (TsSystemMenu* menu = host_->FrameSystemMenu()) menu->UpdateItems();
}

// The mask a button is drawn with now: the restore glyph for maximize on a maximized form.
int TsFrameMouse::MaskOf(int code) {
  if (code >= HTCUSTOMBUTTON) return host_->FrameTitleButtons()->Button(code - HTCUSTOMBUTTON)->MaskIndex;
  if (code == HTMAXBUTTON) {
    TsFrameRules r = host_->FrameLayout().Rules;
    if (r.State == wsMaximized || !r.MaximizeEnabled()) return norm_mask_;
  }
  // Shown only while the child is maximized: the restore glyph when the skin has one.
  if (code == HTMDIRESTORE && IsValidImgIndex(norm_mask_)) return norm_mask_;
  TsTitleButtonData* rec = ButtonOf(code);
  return rec ? rec->MaskIndex : -1;
}

TsFrameMouse::~TsFrameMouse() {
  if (drag.active && drag.window == Window()) EndDrag(false);
}

HWND TsFrameMouse::Window() {
  TCustomForm* form = host_->FrameForm();
  return form && form->HandleAllocated() ? form->GetHandle() : nullptr;
}

void TsFrameMouse::UpdateMasks() {
  int skin_index = host_->FrameSkinIndex();
  static const char* const names[7] = {"BICONMIN", "BICONMAX", "BICONCLOSE", "BICONHELP",
                                       "BICONMIN", "BICONMAX", "BICONCLOSE"};
  bool valid = IsValidSkinIndex(skin_index);
  const std::string section = valid ? SkinGeneralData[skin_index].SectionName : "";
  for (int i = 0; i < 7; ++i)
    buttons_[i].MaskIndex = valid ? GetMaskIndex(skin_index, section, names[i]) : -1;
  norm_mask_ = valid ? GetMaskIndex(skin_index, section, "BICONNORM") : -1;
  if (TsTitleButtons* custom = host_->FrameTitleButtons())
    for (int i = 0; i < custom->GetCount(); ++i) {
      TsTitleButton* button = custom->Button(i);
      button->MaskIndex =
          valid && button->UseSkinData ? GetMaskIndex(skin_index, section, "TITLEBUTTON") : -1;
    }
}

TsTitleButtonData* TsFrameMouse::ButtonOf(int code) {
  switch (code) {
    case HTMINBUTTON: return &buttons_[kMin];
    case HTMAXBUTTON: return &buttons_[kMax];
    case HTCLOSE: return &buttons_[kClose];
    case HTHELP: return &buttons_[kHelp];
    case HTMDICLOSE: return &buttons_[kMDIClose];
    case HTMDIRESTORE: return &buttons_[kMDIMax];
    case HTMDIMINIMIZE: return &buttons_[kMDIMin];
  }
  TsTitleButtons* custom = host_->FrameTitleButtons();
  if (custom && code >= HTCUSTOMBUTTON && code - HTCUSTOMBUTTON < custom->GetCount())
    return &custom->Button(code - HTCUSTOMBUTTON)->Data;
  return nullptr;
}

void TsFrameMouse::CopyButtonBackground(TBitmap* cache, TBitmap* copy) {
  TsFrameLayout l = host_->FrameLayout();
  TsTitleButtons* custom = host_->FrameTitleButtons();
  int count = custom ? custom->GetCount() : 0;
  int width = (count + 4 + 1) * (l.Button.cx + 1) + l.Metrics.FrameWidth;
  int height = l.Metrics.FrameHeight + l.Metrics.CaptionHeight + l.MenuBand + 1;
  width = std::min(width, cache->GetWidth());
  copy->SetPixelFormat(pf24bit);
  copy->SetSize(width, height);
  RECT dst{0, 0, width, height};
  int x = cache->GetWidth() - width - 1;
  copy->GetCanvas()->CopyRect(dst, cache->GetCanvas(), {x, 0, x + width, height});
}

void TsFrameMouse::DrawButton(TBitmap* cache, int code, bool active) {
  TsTitleButtonData* rec = ButtonOf(code);
  int mask = MaskOf(code);
  TsTitleButtons* custom = host_->FrameTitleButtons();
  TsTitleButton* item = code >= HTCUSTOMBUTTON ? custom->Button(code - HTCUSTOMBUTTON) : nullptr;
  int mode = active || rec->State > 0 ? 1 : 2;
  if (IsValidImgIndex(mask) && (!item || item->UseSkinData))
    DrawSkinGlyph(cache, {rec->Left, rec->Top}, rec->State, SkinMasks[mask], mode);
  if (item && !item->GetGlyph()->GetEmpty()) {
    TBitmap* glyph = item->GetGlyph();
    int gw = glyph->GetWidth(), gh = glyph->GetHeight();
    int shift = rec->State == 2 ? 1 : 0;
    int x = rec->Left + (rec->Right - rec->Left - gw) / 2 + shift;
    int y = rec->Top + (rec->Bottom - rec->Top - gh) / 2 + shift;
    TColor key = glyph->GetCanvas()->GetPixels(0, gh - 1);
    PaintMaskedRect(cache, glyph, x, y, {0, 0, gw - 1, gh - 1}, key);
  }
}

void TsFrameMouse::PaintTitleButtons(TBitmap* cache) {
  TsFrameLayout l = host_->FrameLayout();
  const TsFrameRules& r = l.Rules;
  bool active = host_->FrameActive();
  // The MDI buttons are the menu line's: a caption band repaint leaves them where they are.
  for (int i = kMin; i <= kHelp; ++i)
    buttons_[i].Left = buttons_[i].Top = buttons_[i].Right = buttons_[i].Bottom = 0;
  TsTitleButtons* custom = host_->FrameTitleButtons();
  if (custom)
    for (int i = 0; i < custom->GetCount(); ++i) {
      TsTitleButtonData& d = custom->Button(i)->Data;
      d.Left = d.Top = d.Right = d.Bottom = 0;
    }
  if (!r.Icons.Contains(biSystemMenu)) return;
  int top = l.ButtonTop();
  auto place = [&](TsTitleButtonData& d, int slot) {
    d.Left = l.SlotLeft(slot);
    d.Top = top;
    d.Right = d.Left + l.Button.cx;
    d.Bottom = top + l.Button.cy;
  };
  int slot = 1;
  if (IsValidImgIndex(buttons_[kClose].MaskIndex)) {
    place(buttons_[kClose], 1);
    DrawButton(cache, HTCLOSE, active);
  }
  slot = 2;
  if (r.MaximizeVisible()) {
    int mask = r.MaximizeEnabled() ? buttons_[kMax].MaskIndex : norm_mask_;
    if (IsValidImgIndex(mask)) {
      place(buttons_[kMax], slot++);
      DrawButton(cache, HTMAXBUTTON, active && r.Icons.Contains(biMaximize));
    }
  }
  if (r.MinimizeVisible() && IsValidImgIndex(buttons_[kMin].MaskIndex)) {
    place(buttons_[kMin], slot++);
    DrawButton(cache, HTMINBUTTON, active && r.Icons.Contains(biMinimize));
  }
  if (r.Icons.Contains(biHelp) && IsValidImgIndex(buttons_[kHelp].MaskIndex)) {
    place(buttons_[kHelp], slot++);
    DrawButton(cache, HTHELP, active);
  }
  // Custom buttons always start left of four slots, whatever standard buttons show.
  if (custom)
    for (int i = 0; i < custom->GetCount(); ++i) {
      TsTitleButtonData& d = custom->Button(i)->Data;
      place(d, i + 5);
      if (d.Left > l.IconRight) DrawButton(cache, HTCUSTOMBUTTON + i, active && custom->Button(i)->Enabled);
    }
}

void TsFrameMouse::PaintMDIButtons(TBitmap* cache) {
  TsFrameLayout l = host_->FrameLayout();
  for (int k = 1; k <= 3; ++k) {
    int code = HTMDICLOSE + k - 1;
    TsTitleButtonData* d = ButtonOf(code);
    d->Left = d->Top = d->Right = d->Bottom = 0;
    if (!l.MDIButtons) continue;
    RECT r = l.MDIButtonRect(k);
    d->Left = r.left;
    d->Top = r.top;
    d->Right = r.right;
    d->Bottom = r.bottom;
    DrawButton(cache, code, host_->FrameActive());
  }
}

bool TsFrameMouse::MDIButtonsStale() {
  const TsTitleButtonData& close = buttons_[kMDIClose];
  return (close.Right > close.Left) != host_->FrameLayout().MDIButtons;
}

void TsFrameMouse::RepaintButton(int code) {
  TsTitleButtonData* rec = ButtonOf(code);
  TBitmap* cache = host_->FrameCache();
  HWND window = Window();
  if (!rec || !cache || cache->GetEmpty() || !window || rec->Right <= rec->Left) return;
  TsFrameLayout l = host_->FrameLayout();
  if (rec->Left < l.IconRight + 1) return;
  RECT r = rec->Rect();
  TBitmap* back = host_->FrameButtonBackground();
  if (back && !back->GetEmpty()) {
    // Read at the copy's width less the button's distance to the cache's right edge.
    int sx = back->GetWidth() - (cache->GetWidth() - rec->Left);
    if (sx >= 0 && r.bottom <= back->GetHeight())
      cache->GetCanvas()->CopyRect(r, back->GetCanvas(), {sx, r.top, sx + r.right - r.left, r.bottom});
  }
  DrawButton(cache, code, host_->FrameActive());
  HDC dc = GetWindowDC(window);
  int saved = SaveDC(dc);
  BitBlt(dc, r.left, r.top, r.right - r.left, r.bottom - r.top, cache->GetCanvas()->GetHandle(), r.left,
         r.top, SRCCOPY);
  RestoreDC(dc, saved);
  ReleaseDC(window, dc);
}

void TsFrameMouse::SetState(int code, int state) {
  if (TsTitleButtonData* rec = ButtonOf(code)) {
    rec->State = state;
    RepaintButton(code);
  }
}

void TsFrameMouse::SetHot(int code) {
  // The pointer came from the menu line onto a button: the item it left is normal again.
  if (code) ResetHotMenuLineItem();
  if (code == hot_) return;
  SetState(hot_, 0);
  hot_ = code;
  SetState(hot_, 1);
}

void TsFrameMouse::SetPressed(int code) {
  ResetHotMenuLineItem();
  if (code != hot_) SetState(hot_, 0);
  hot_ = code;
  SetState(hot_, 2);
}

// The system keeps one watch per thread: another window's request ends ours unannounced, so
// every move over a hot button asks again.
void TsFrameMouse::WatchLeave() {
  TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE | TME_NONCLIENT, Window(), HOVER_DEFAULT};
  if (track.hwndTrack) TrackMouseEvent(&track);
}

int TsFrameMouse::ScreenHitTest(POINT screen, int incoming) {
  RECT wr{};
  HWND window = Window();
  if (window) GetWindowRect(window, &wr);
  POINT p{screen.x - wr.left, screen.y - wr.top};
  int code = FrameHitTest(host_->FrameLayout(), p, host_->FrameTitleButtons(), incoming);
  if (ButtonOf(code))
    SetHot(code);
  else
    ClearHot();
  return code;
}

void TsFrameMouse::ShowSystemMenu(int x, int y) {
  TsSystemMenu* menu = host_->FrameSystemMenu();
  if (menu) menu->ShowAt(x, y, host_->FrameMakeSkinMenu());
}

bool TsFrameMouse::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_NCHITTEST: return NCHitTest(m);
    case WM_NCLBUTTONDOWN: return NCLButtonDown(m);
    case WM_NCLBUTTONUP: return ButtonUp(m, static_cast<int>(m.WParam));
    case WM_LBUTTONUP: return ButtonUp(m, -1);
    case WM_NCLBUTTONDBLCLK: return NCLButtonDblClk(m);
    case WM_NCRBUTTONDOWN:
      if (!host_->FrameSkinnedPopups() || (m.WParam != HTCAPTION && m.WParam != HTSYSMENU)) return false;
      m.Result = 1;
      return true;
    case WM_NCRBUTTONUP:
      if (!host_->FrameSkinnedPopups()) return false;
      if (m.WParam == HTCAPTION || m.WParam == HTSYSMENU) {
        ClearHot();
        ShowSystemMenu(GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam));
      }
      m.Result = 1;
      return true;
    case WM_MOUSEMOVE:
      if (!drag.active || drag.window != Window()) return false;
      host_->FramePassOn(m);
      DragTo(ScreenPoint(Window(), m.LParam));
      return true;
    case WM_CAPTURECHANGED:
      // Someone else took the mouse (a menu, Escape handling): the drag is dropped.
      if (drag.active && drag.window == Window() && reinterpret_cast<HWND>(m.LParam) != Window())
        EndDrag(false);
      if (pressed_ && reinterpret_cast<HWND>(m.LParam) != Window()) {
        pressed_ = 0;
        ClearHot();
      }
      return false;
    case WM_NCMOUSEMOVE:
      if (hot_) WatchLeave();
      return false;
    case WM_SYSCOMMAND: return SysCommand(m);
    case WM_SIZING: return Sizing(m);
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
      if (!pressed_) ClearHot();
      return false;
  }
  return false;
}

bool TsFrameMouse::NCHitTest(TMessage& m) {
  TCustomForm* form = host_->FrameForm();
  if (!form || form->GetBorderStyle() == bsNone) return false;
  if (IsIconic(Window())) {
    // Minimised, the window is its caption: every press is one on it.
    ClearHot();
    m.Result = HTCAPTION;
    return true;
  }
  bool border = host_->FrameOutlineResize();
  int incoming = HTNOWHERE;
  if (border) {
    host_->FramePassOn(m);
    incoming = static_cast<int>(m.Result);
  }
  int code = ScreenHitTest({GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)}, incoming);
  m.Result = code;
  if (border) return true;
  // The system answers the rest (frame edges, client) and the caption of a normal window.
  if (code == HTNOWHERE) return false;
  if (code == HTCAPTION && form->GetWindowState() != wsMaximized) return false;
  return true;
}

bool TsFrameMouse::NCLButtonDown(TMessage& m) {
  int code = static_cast<int>(m.WParam);
  POINT pt{GET_X_LPARAM(m.LParam), GET_Y_LPARAM(m.LParam)};
  TCustomForm* form = host_->FrameForm();
  HWND window = Window();
  m.Result = 1;
  if (code == HTSYSMENU) {
    if (!host_->FrameSkinnedPopups()) return false;
    ClearHot();
    TsFrameLayout l = host_->FrameLayout();
    RECT wr{};
    GetWindowRect(window, &wr);
    ShowSystemMenu(wr.left + l.Metrics.FrameWidth, wr.top + l.IconBottom);
    return true;
  }
  if (ButtonOf(code)) {
    pressed_ = code;
    SetPressed(code);
    // The release may come outside the button: it must reach us to put the button back.
    SetCapture(window);
    if (code >= HTCUSTOMBUTTON) {
      TsTitleButton* button = host_->FrameTitleButtons()->Button(code - HTCUSTOMBUTTON);
      if (button->OnMouseDown) button->OnMouseDown(button, mbLeft, TShiftState{}, pt.x, pt.y);
    }
    return true;
  }
  pressed_ = 0;
  if (IsIconic(window)) {
    // A minimised window is dragged about by the system (its loop ends at the release, which
    // it keeps): the release is told after it.
    SendMessageA(window, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, m.LParam);
    SendMessageA(window, WM_NCLBUTTONUP, m.WParam, m.LParam);
    return true;
  }
  ClearHot();
  RECT wr{};
  GetWindowRect(window, &wr);
  TsFrameLayout l = host_->FrameLayout();
  if (form->GetWindowState() == wsMaximized &&
      pt.y - wr.top <= l.Metrics.FrameHeight + l.Metrics.CaptionHeight)
    return true;
  if (host_->FrameOutlineResize() && (code == HTCAPTION || IsSizingCode(code))) {
    StartDrag(code, pt);
    return true;
  }
  return false;
}

bool TsFrameMouse::ButtonUp(TMessage& m, int code) {
  HWND window = Window();
  if (drag.active && drag.window == window) {
    EndDrag(true);
    m.Result = 1;
    return true;
  }
  if (!pressed_ && IsIconic(window) && host_->FrameForm()->GetFormStyle() == fsMDIChild &&
      host_->FrameSkinnedPopups()) {
    m.Result = 1;
    POINT cursor{};
    GetCursorPos(&cursor);
    ShowSystemMenu(cursor.x, cursor.y);
    return true;
  }
  int pressed = pressed_;
  if (!pressed)
    return false;  // no press of ours: the system's own release (a Ctrl+click's MK_CONTROL is no hit code)
  pressed_ = 0;
  if (GetCapture() == window) ReleaseCapture();
  // A client release carries a client point: its hit code is the frame's answer there.
  bool client = code < 0;
  if (client) code = ScreenHitTest(ScreenPoint(window, m.LParam), HTNOWHERE);
  m.Result = 1;
  if (code != pressed) {
    ClearHot();
    return !client;  // the form still sees a release in its client area
  }
  Click(code);
  return true;
}

void TsFrameMouse::Click(int code) {
  TCustomForm* form = host_->FrameForm();
  HWND window = Window();
  TsSystemMenu* menu = host_->FrameSystemMenu();
  auto update = [&] {
    if (menu) menu->UpdateItems();
  };
  switch (code) {
    case HTHELP:
      ClearHot();
      SendMessageA(window, WM_SYSCOMMAND, SC_CONTEXTHELP, 0);
      update();
      return;
    case HTMINBUTTON:
      ClearHot();
      MinimizeForm(form);
      update();
      host_->FrameRepaint();
      return;
    case HTMAXBUTTON: {
      ClearHot();
      std::unique_ptr<TsMDIMainHold> hold(form->GetFormStyle() == fsMDIChild ? new TsMDIMainHold : nullptr);
      SendMessageA(window, WM_SYSCOMMAND, form->GetWindowState() == wsMaximized ? SC_RESTORE : SC_MAXIMIZE,
                   0);
      update();
      return;
    }
    case HTCLOSE:
      buttons_[kClose].State = 0;
      hot_ = 0;
      SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
      return;
  }
  if (code >= HTMDICLOSE && code <= HTMDIMINIMIZE) return MDIChildCommand(code);
  if (code >= HTCUSTOMBUTTON) {
    TsTitleButton* button = host_->FrameTitleButtons()->Button(code - HTCUSTOMBUTTON);
    ClearHot();
    if (button->OnMouseUp) {
      RECT wr{};
      GetWindowRect(window, &wr);
      button->OnMouseUp(button, mbLeft, TShiftState{}, button->Data.Left + wr.left,
                        button->Data.Top + wr.top);
    }
  }
}

// The MDI buttons act on the active child. The button goes back to normal first: the command
// may take the buttons off the menu line, or leave them (a child refusing to close).
void TsFrameMouse::MDIChildCommand(int code) {
  ClearHot();
  TCustomForm* child = host_->FrameForm()->GetActiveMDIChild();
  if (!child || !child->HandleAllocated()) return;
  static const WPARAM commands[3] = {SC_CLOSE, SC_RESTORE, SC_MINIMIZE};
  std::unique_ptr<TsMDIMainHold> hold(code == HTMDIMINIMIZE ? new TsMDIMainHold : nullptr);
  SendMessageA(child->GetHandle(), WM_SYSCOMMAND, commands[code - HTMDICLOSE], 0);
}

// ---- System commands and size drags outside outline mode ----------------------------------

bool TsFrameMouse::SysCommand(TMessage& m) {
  if (host_->FrameOutlineResize()) return false;
  return host_->FrameSysCommand(m);
}

bool TsFrameMouse::Sizing(TMessage& m) { return host_->FrameSizing(m); }

bool TsFrameMouse::NCLButtonDblClk(TMessage& m) {
  if (drag.active && drag.window == Window()) EndDrag(true);
  TCustomForm* form = host_->FrameForm();
  m.Result = 1;
  if (m.WParam == HTCAPTION) {
    TsFrameRules r = host_->FrameLayout().Rules;
    // Any form the provider lets maximize toggles, whether or not its style shows the button.
    if (r.MaximizeEnabled() || r.RestoreEnabled()) {
      if (form->GetWindowState() == wsMaximized)
        form->SetWindowState(wsNormal);
      else
        SendMessageA(Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
      if (TsSystemMenu* menu = host_->FrameSystemMenu()) menu->UpdateItems();
    }
    return true;
  }
  if (m.WParam == HTSYSMENU) {
    form->Close();
    return true;
  }
  return false;
}

// ---- Outline drag -------------------------------------------------------------------------

bool TsFrameMouse::Dragging() { return drag.active; }
RECT TsFrameMouse::DragOutline() { return drag.outline; }

void TsFrameMouse::StartDrag(int code, POINT screen) {
  if (drag.active) EndDrag(false);
  HWND window = Window();
  drag.window = window;
  drag.code = code;
  drag.moving = !IsSizingCode(code);
  drag.moved = false;
  drag.press = screen;
  drag.min = host_->FrameMinSize();
  drag.start = PlacedRect(window, drag.origin);
  drag.outline = drag.start;
  drag.dc = GetDCEx(GetDesktopWindow(), nullptr, DCX_WINDOW | DCX_CACHE | DCX_LOCKWINDOWUPDATE);
  SaveDC(drag.dc);
  SetROP2(drag.dc, R2_NOT);
  SelectObject(drag.dc, GetStockObject(NULL_BRUSH));
  drag.active = true;
  SetCapture(window);
  DrawOutline();
}

void TsFrameMouse::DragTo(POINT screen) {
  int dx = screen.x - drag.press.x, dy = screen.y - drag.press.y;
  RECT r = drag.start;
  if (drag.moving) {
    OffsetRect(&r, dx, dy);
  } else {
    int c = drag.code;
    if (c == HTTOP || c == HTTOPLEFT || c == HTTOPRIGHT)
      r.top = std::min<int>(r.top + dy, r.bottom - drag.min.cy);
    if (c == HTBOTTOM || c == HTBOTTOMLEFT || c == HTBOTTOMRIGHT)
      r.bottom = std::max<int>(r.bottom + dy, r.top + drag.min.cy);
    if (c == HTLEFT || c == HTTOPLEFT || c == HTBOTTOMLEFT)
      r.left = std::min<int>(r.left + dx, r.right - drag.min.cx);
    if (c == HTRIGHT || c == HTTOPRIGHT || c == HTBOTTOMRIGHT)
      r.right = std::max<int>(r.right + dx, r.left + drag.min.cx);
  }
  DrawOutline();  // erases the old one
  drag.outline = r;
  drag.moved = true;
  DrawOutline();
}

void TsFrameMouse::EndDrag(bool apply) {
  if (!drag.active) return;
  drag.active = false;
  DrawOutline();
  RestoreDC(drag.dc, -1);
  ReleaseDC(GetDesktopWindow(), drag.dc);
  drag.dc = nullptr;
  if (GetCapture() == drag.window) ReleaseCapture();
  const RECT& r = drag.outline;
  if (apply && drag.moved && IsWindow(drag.window))
    MoveWindow(drag.window, r.left, r.top, r.right - r.left, r.bottom - r.top, TRUE);
  drag.moved = false;
  drag.window = nullptr;
}
