// The skinned list box and its overlaid scroll bar.
#include "skin/controls/slistbox.h"

#include <algorithm>

#include "skin/controls/sscrollbar.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyles.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kBorder = 3;

bool IsNavigationKey(WORD key) {
  switch (key) {
    case VK_PRIOR:
    case VK_NEXT:
    case VK_END:
    case VK_HOME:
    case VK_UP:
    case VK_DOWN:
    case VK_SCROLL: return true;
    default: return false;
  }
}

// Messages after which the list's own scroll range or position may have moved.
bool MovesTheList(UINT msg) {
  switch (msg) {
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_MOUSEWHEEL:
    case WM_SIZE:
    case CM_ENABLEDCHANGED:
    case CM_VISIBLECHANGED:
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT:
    case LB_SETTOPINDEX:
    case LB_SETCURSEL:
    case LB_SETCARETINDEX:
    case LB_SETITEMHEIGHT: return true;
    default: return false;
  }
}

}  // namespace

TK_CLASS_INFO(TsCustomListBox, TCustomListBox)
TK_CLASS_INFO(TsListBox, TsCustomListBox)

void TsListBox::Publish(TPublisher<TsListBox>& p) { p.Object("sStyle", &TsListBox::GetSkinStyle); }

void RegisterSkinListBoxClasses() { RegisterClasses({TsListBox::StaticClass()}); }

TsCustomListBox::TsCustomListBox(TComponent* owner) : TCustomListBox(owner) {
  // The style draws the border in the non-client area; the toolkit's own would be inside it.
  SetBorderStyle(bsNone);
  SetParentColor(false);
  SetItemHeight(13);
  style_ = New<TsStyle>(this);
  style_->COC = COC_TsCustomListBox;
  style_->SetStyleQueries(this);
  OnKeyDown = TKeyEvent(this, &TsCustomListBox::StyleKeyDown);
}

TsCustomListBox::~TsCustomListBox() {
  OnKeyDown = TKeyEvent();
  FreeScrollBar();
  TsStyle* style = style_;
  style_ = nullptr;
  Free(style);
}

void TsCustomListBox::AfterConstruction() {
  TCustomListBox::AfterConstruction();
  style_->UpdateIndexes();
}

void TsCustomListBox::Loaded() {
  TCustomListBox::Loaded();
  style_->UpdateIndexes();
  UpdateScrollBar();
}

// The focus navigation, until a form gives the list its own key handler.
void TsCustomListBox::StyleKeyDown(TObject* sender, WORD& key, TShiftState shift) {
  (void)sender;
  if (style_) style_->KeyDown(key, shift);
}

void TsCustomListBox::Notification(TComponent* component, TOperation operation) {
  TCustomListBox::Notification(component, operation);
  if (operation == opRemove && component == scroll_bar_) scroll_bar_ = nullptr;
}

bool TsCustomListBox::ReadyForSkin() {
  return style_ && IsValidSkinIndex(style_->SkinIndex) && SkinData().SkinLoaded && ControlReadyToPaint(this);
}

// ---- Messages ----------------------------------------------------------------------------------

void TsCustomListBox::WndProc(TMessage& message) {
  const UINT msg = message.Msg;
  // Moving onto the overlaid bar is not leaving the list: neither the style nor the toolkit
  // hears of it.
  if (msg == CM_MOUSELEAVE && CursorOverList()) return;
  // The style sees every message first, and the toolkit's handling always follows (the
  // mouse entering reaches the parent chain); the list's own window knows nothing of the
  // library's messages, so the style's answer to those stands.
  if (style_) {
    TsLifeGuard guard(style_);
    style_->HandleFirst(message);
    if (guard.Freed()) return;
    if (msg >= SKM_GETSKINOBJECT && msg <= SKM_PAINTLAST && message.Result == 1) {
      AfterMessage(msg);
      return;
    }
  }
  switch (msg) {
    case WM_NCCALCSIZE:
      TCustomListBox::WndProc(message);
      if (message.WParam) {
        RECT& r = reinterpret_cast<NCCALCSIZE_PARAMS*>(message.LParam)->rgrc[0];
        InflateRect(&r, -kBorder, -kBorder);
      } else if (message.LParam) {
        InflateRect(reinterpret_cast<RECT*>(message.LParam), -kBorder, -kBorder);
      }
      return;
    case WM_NCPAINT:
      PaintBorder();
      TCustomListBox::WndProc(message);
      return;
    default: break;
  }
  TCustomListBox::WndProc(message);
  if (!style_) return;
  if (MovesTheList(msg) ||
      ((msg == WM_KEYDOWN || msg == WM_KEYUP) && IsNavigationKey(static_cast<WORD>(message.WParam))))
    UpdateScrollBar();
  if (msg >= SKM_GETSKINOBJECT && msg <= SKM_PAINTLAST) AfterMessage(msg);
}

void TsCustomListBox::AfterMessage(UINT msg) {
  if (!IsValidSkinIndex(style_->SkinIndex) && msg != SKM_REMOVESKIN) return;
  switch (msg) {
    case SKM_SETNEWSKIN:
      // The bar belongs to the list, not to the form: the manager's broadcast passes it by.
      if (scroll_bar_) scroll_bar_->Perform(SKM_SETNEWSKIN, 0, 0);
      break;
    case SKM_REFRESH:
      if (scroll_bar_ && scroll_bar_->GetVisible()) scroll_bar_->Perform(SKM_REFRESH, 0, 0);
      UpdateScrollBar();
      break;
    case SKM_REMOVESKIN:
      if (!GetComponentState().Contains(csDestroying)) {
        FreeScrollBar();
        Invalidate();
      }
      break;
    default: break;
  }
}

bool TsCustomListBox::Busy() const {
  return GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying);
}

// The style's colour with a skin and without one (its Painting colour then), as the edit takes it.
void TsCustomListBox::TakeStyleColor() {
  const TColor color = style_->GetActualColor();
  if (color != GetColor()) SetColor(color);
}

void TsCustomListBox::PaintBorder() {
  if (Busy() || !style_) return;
  TakeStyleColor();
  style_->PaintBorder();
}

void TsCustomListBox::Invalidate() {
  const bool busy = Busy();
  if (!busy && style_) {
    TakeStyleColor();
    if (GetComponentState().Contains(csDesigning)) style_->BGChanged = true;
  }
  TCustomListBox::Invalidate();
  if (!busy) UpdateScrollBar();
}

bool TsCustomListBox::ShowsScrollBar() {
  return HandleAllocated() && (GetWindowLongA(handle_, GWL_STYLE) & WS_VSCROLL) != 0;
}

bool TsCustomListBox::CursorOverList() {
  POINT cursor{};
  if (!GetParent() || !tk_detail::CursorPos(&cursor)) return false;
  RECT r = GetBoundsRect();
  const POINT origin = GetParent()->ClientToScreen(POINT{r.left, r.top});
  OffsetRect(&r, origin.x - r.left, origin.y - r.top);
  return PtInRect(&r, cursor) != FALSE;
}

// ---- The overlaid bar --------------------------------------------------------------------------

void TsCustomListBox::FreeScrollBar() {
  TsScrollBar* bar = scroll_bar_;
  scroll_bar_ = nullptr;
  if (bar) Free(bar);
}

void TsCustomListBox::UpdateScrollBar() {
  // No window yet, no parent to lay the bar on, or no skin: nothing to keep in step.
  if (!ReadyForSkin() || !HandleAllocated()) {
    if (!ReadyForSkin()) FreeScrollBar();
    return;
  }
  SCROLLINFO si{};
  si.cbSize = sizeof(si);
  si.fMask = SIF_ALL;
  // Without the list's own figures the bar stays as it is.
  if (!GetScrollInfo(handle_, SB_VERT, &si)) return;
  const int item_height = std::max(GetItemHeight(), 1);
  const bool needs = GetItems()->Count() - (GetHeight() - 2 * kBorder) / item_height > 0;
  if (!needs || !GetVisible()) return FreeScrollBar();
  if (!scroll_bar_) {
    if (si.nMax <= si.nMin) return;
    scroll_bar_ = New<TsScrollBar>(this);
    scroll_bar_->SetVisible(false);
    scroll_bar_->SetLinkedControl(this);
    scroll_bar_->SetTabStop(false);
    scroll_bar_->SetKind(sbVertical);
    scroll_bar_->SetBounds(0, 0, GetSystemMetrics(SM_CXVSCROLL) + 1, GetHeight() - 2 * kBorder);
    scroll_bar_->SetParent(GetParent());
    scroll_bar_->OnChange = TNotifyEvent(this, &TsCustomListBox::ScrollBarChange);
  }
  TsScrollBar* bar = scroll_bar_;
  bar->SetUpdating(true);
  bar->SetEnabled(GetEnabled());
  const int page = static_cast<int>(si.nPage);
  const int last = si.nMax - std::max(page, 1) + 1;
  if (si.nMax >= si.nMin && si.nMax != 0 && last > si.nMin) {
    bar->SetPageSize(page);
    bar->SetLargeChange(static_cast<uint16_t>(std::clamp(page, 1, 0xFFFF)));
    bar->SetParams(si.nPos, si.nMin, last);
  } else {
    bar->SetPageSize(1);
    bar->SetParams(0, 0, 1);
    bar->SetEnabled(false);
  }
  const int width = bar->GetWidth();
  bar->SetBounds(GetLeft() + GetWidth() - width - kBorder, GetTop() + kBorder, width,
                 GetHeight() - 2 * kBorder);
  bar->SetVisible(true);
  bar->BringToFront();
  bar->SetUpdating(false);
  bar->RepaintParts();
}

void TsCustomListBox::ScrollBarChange(TObject* sender) {
  (void)sender;
  if (!scroll_bar_ || !HandleAllocated() || scroll_bar_->GetUpdating()) return;
  const int position = scroll_bar_->GetPosition();
  if (position <= 0xFFFF)
    SendMessageA(handle_, WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
  else
    SendMessageA(handle_, LB_SETTOPINDEX, static_cast<WPARAM>(position), 0);
  TCustomListBox::Invalidate();
}
