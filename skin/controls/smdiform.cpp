// The MDI main form's skinning: the client window's procedure, its scroll bars and the
// child-window menu item.
#include "skin/controls/smdiform.h"

#include <algorithm>

#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/sskinmanager.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/forms.h"
#include "toolkit/menus.h"
#include "toolkit/winsubclass.h"

namespace {

constexpr int kSmallStep = 8;
constexpr int kDefaultPage = 80;
// The client works its scroll ranges out after its children moved (posted to itself).
constexpr UINT kMDICalcChildScroll = 0x003F;

// Posted to the client after a bar's scroll event retired a bar: by then the bar's own code
// has returned.
UINT FreeBarsMessage() {
  static const UINT message = RegisterWindowMessageA("DravolinMDIFreeBars");
  return message;
}

bool SkinActive() { return SkinData().DefaultManager && SkinData().SkinLoaded; }

TMenuItem* NewItem(TComponent* owner, const std::string& name, const std::string& caption) {
  auto* item = New<TMenuItem>(owner);
  item->SetName(name);
  item->SetCaption(caption);
  return item;
}

}  // namespace

TK_ABSTRACT_CLASS_INFO(TsMDIForm, TPersistent)

TsMDIForm::TsMDIForm(TsSkinProvider* provider)
    : subclass_(new TWindowSubclass(TWndMethod(this, &TsMDIForm::ClientProc))), provider_(provider) {
  form_ = provider ? provider->GetForm() : nullptr;
  if (!form_) return;
  form_->HandleNeeded();
  BuildChildItem();
  if (form_->GetClientHandle()) subclass_->Install(form_->GetClientHandle());
}

TsMDIForm::~TsMDIForm() {
  delete subclass_;
  // The bars and the grip belong to the form and go with it; one still there goes now.
  if (form_ && !form_->GetComponentState().Contains(csDestroying)) {
    FreeBars();
    if (child_item_ && child_item_->GetParent()) child_item_->GetParent()->Remove(child_item_);
  }
  // The item is the provider's: a menu freed first while it held the item has freed it.
}

void TsMDIForm::BuildChildItem() {
  child_item_ = NewItem(provider_, "sMDICII", "");
  child_item_->SetGroupIndex(0);
  struct TSub {
    const char* name;
    const char* caption;
  };
  for (TSub s : {TSub{"ItemMDIRestore", "Restore"}, TSub{"ItemMDIMinimize", "Minimize"}, TSub{"", "-"},
                 TSub{"ItemMDIClose", "Close"}}) {
    TMenuItem* item = NewItem(child_item_, s.name, s.caption);
    if (item->GetName() == "ItemMDIClose") item->SetShortCut(ShortCut(VK_F4, {ssCtrl}));
    if (!item->IsLine()) item->OnClick = TNotifyEvent(this, &TsMDIForm::ChildCommand);
    child_item_->Add(item);
  }
}

void TsMDIForm::ComponentRemoved(TComponent* component) {
  if (component == child_item_) child_item_ = nullptr;
}

void TsMDIForm::ChildCommand(TObject* sender) {
  TCustomForm* child = form_->GetActiveMDIChild();
  if (!child || !child->HandleAllocated()) return;
  const std::string name = static_cast<TMenuItem*>(sender)->GetName();
  const WPARAM command = name == "ItemMDIRestore"    ? SC_RESTORE
                         : name == "ItemMDIMinimize" ? SC_MINIMIZE
                                                     : SC_CLOSE;
  SendMessageA(child->GetHandle(), WM_SYSCOMMAND, command, 0);
}

// ---- Metrics ---------------------------------------------------------------------------------

int TsMDIForm::AlignedExtent(TAlign align) const {
  int sum = 0;
  for (int i = 0; i < form_->GetControlCount(); ++i) {
    TControl* c = form_->GetControl(i);
    if (!c->GetVisible() || c->GetAlign() != align) continue;
    sum += align == alTop || align == alBottom ? c->GetHeight() : c->GetWidth();
  }
  return sum;
}

int TsMDIForm::ClientAreaWidth() const {
  return form_->GetClientWidth() - AlignedExtent(alLeft) - AlignedExtent(alRight);
}

int TsMDIForm::ClientAreaHeight() const {
  return form_->GetClientHeight() - AlignedExtent(alTop) - AlignedExtent(alBottom);
}

POINT TsMDIForm::ClientOffset() const {
  const int bw = form_->GetBorderWidth();
  return {AlignedExtent(alLeft) + provider_->FrameWidth() + bw,
          AlignedExtent(alTop) + provider_->FrameHeight() + provider_->CaptionHeight() +
              provider_->MenuBandHeight() + bw + 1};
}

bool TsMDIForm::ChildMaximized() const {
  TCustomForm* child = form_->GetActiveMDIChild();
  return child && child->HandleAllocated() && IsZoomed(child->GetHandle());
}

void TsMDIForm::PaintArea(TBitmap* cache) const {
  const int area = GetSkinIndex("MDIAREA");
  if (!IsValidSkinIndex(area) || ChildMaximized()) return;
  const POINT o = ClientOffset();
  const RECT r{o.x, o.y, std::min<LONG>(o.x + ClientAreaWidth(), cache->GetWidth()),
               std::min<LONG>(o.y + ClientAreaHeight(), cache->GetHeight())};
  PaintItem(area, "MDIAREA", TsCacheInfo{cache, 0, 0, true}, 0, true, r, POINT{o.x, o.y}, cache);
}

bool TsMDIForm::Skinned() const { return provider_ && provider_->Skinned(); }

// ---- The client window -----------------------------------------------------------------------

void TsMDIForm::ClientProc(TMessage& message) {
  if (!Skinned()) return subclass_->CallPrevious(message);
  switch (message.Msg) {
    case WM_ERASEBKGND: EraseClient(message); break;
    case WM_NCPAINT: PaintRing(message); break;
    case WM_SIZE:
    case WM_HSCROLL:
    case WM_VSCROLL:
      subclass_->CallPrevious(message);
      InvalidateRect(subclass_->GetWindow(), nullptr, TRUE);
      break;
    case kMDICalcChildScroll:
      subclass_->CallPrevious(message);
      UpdateScrollBars();
      break;
    default:
      if (message.Msg == FreeBarsMessage()) return FreeRetiredBars();
      subclass_->CallPrevious(message);
  }
}

void TsMDIForm::EraseClient(TMessage& message) {
  message.Result = 1;
  if (ChildMaximized()) return;
  TBitmap* cache = provider_->GetCommonData()->GetCacheBmp();
  const POINT offset = ClientOffset();
  BitBlt(reinterpret_cast<HDC>(message.WParam), 0, 0, ClientAreaWidth() + 4, ClientAreaHeight() + 4,
         cache->GetCanvas()->GetHandle(), offset.x + 2, offset.y + 2, SRCCOPY);
}

void TsMDIForm::PaintRing(TMessage& message) {
  message.Result = 0;
  if (TCustomForm* child = form_->GetActiveMDIChild(); child && ChildMaximized()) {
    if (child->GetControlCount() > 0) BroadcastRepaint(child, true);
    return;
  }
  HWND client = subclass_->GetWindow();
  HDC dc = GetWindowDC(client);
  HDC src = provider_->GetCommonData()->GetCacheBmp()->GetCanvas()->GetHandle();
  const POINT o = ClientOffset();
  const int w = ClientAreaWidth(), h = ClientAreaHeight();
  BitBlt(dc, 0, 0, w, 2, src, o.x, o.y, SRCCOPY);
  BitBlt(dc, 0, 0, 2, h, src, o.x, o.y, SRCCOPY);
  BitBlt(dc, 0, h - 2, w, 2, src, o.x, o.y + h - 2, SRCCOPY);
  BitBlt(dc, w - 2, 0, 2, h, src, o.x + w - 2, o.y, SRCCOPY);
  ReleaseDC(client, dc);
}

// ---- The menu item ---------------------------------------------------------------------------

void TsMDIForm::UpdateMDIIconItem() {
  if (!form_ || form_->GetComponentState().Contains(csDestroying)) return;
  TMainMenu* menu = form_->GetMenu();
  if (menu) {
    TMenuItem* items = menu->GetItems();
    const bool first = items->GetCount() > 0 && items->GetItem(0) == child_item_;
    if (ChildMaximized()) {
      if (!child_item_) BuildChildItem();
      if (!first) {
        if (child_item_->GetParent()) child_item_->GetParent()->Remove(child_item_);
        items->Insert(0, child_item_);
      }
    } else if (first) {
      items->Remove(child_item_);
      DrawMenuBar(form_->GetHandle());
      provider_->RepaintFrame();
    }
  }
  if (!guard_) UpdateScrollBars();
}

// ---- Scroll bars -----------------------------------------------------------------------------

bool TsMDIForm::ScrollInfo(int bar, SCROLLINFO& info, int& origin) const {
  if (!form_->GetActiveMDIChild()) return false;
  info = SCROLLINFO{};
  info.cbSize = sizeof info;  // 28 bytes
  info.fMask = SIF_ALL;
  if (!GetScrollInfo(form_->GetClientHandle(), bar, &info)) return false;
  // An empty range (0..0, page 0: the client needs no bar) would pass the page test.
  if (info.nMax - info.nMin < static_cast<int>(info.nPage) || info.nMax <= info.nMin) return false;
  origin = info.nMin;
  info.nMax = info.nMax - static_cast<int>(info.nPage) - info.nMin + 1;
  info.nPos -= origin;
  info.nMin = 0;
  if (bar == SB_HORZ && info.nMax == origin) ++info.nMax;
  if (info.nPage == 0) info.nPage = kDefaultPage;
  return true;
}

void TsMDIForm::FreeBars() {
  FreeBar(vert_bar_);
  FreeBar(horz_bar_);
  FreeAndNil(grip_);
  if (!scrolling_bar_) FreeRetiredBars();
}

void TsMDIForm::FreeBar(TsMDIScrollBar*& bar) {
  if (!bar) return;
  TsMDIScrollBar* gone = bar;
  bar = nullptr;
  if (gone != scrolling_bar_) return Free(gone);
  gone->OnChange = TNotifyEvent();
  gone->OnScroll = TScrollEvent();
  gone->SetVisible(false);
  retired_bars_.push_back(gone);
}

void TsMDIForm::FreeRetiredBars() {
  for (TsMDIScrollBar* bar : retired_bars_) Free(bar);
  retired_bars_.clear();
}

void TsMDIForm::ResizeClient() {
  HWND client = form_ ? form_->GetClientHandle() : nullptr;
  if (!client) return;
  RECT r{};
  GetClientRect(client, &r);
  SendMessageA(client, WM_SIZE, SIZE_RESTORED, MAKELPARAM(r.right, r.bottom));
}

void TsMDIForm::ChildShown() {
  if (!form_ || form_->GetComponentState().Contains(csDestroying)) return;
  UpdateScrollBars();
  provider_->GetCommonData()->BGChanged = true;
  UpdateMDIIconItem();
  if (HWND client = form_->GetClientHandle())
    RedrawWindow(client, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);
}

void TsMDIForm::UpdateScrollBars() {
  if (guard_ || !form_ || form_->GetFormState().Contains(fsCreating) ||
      form_->GetComponentState().Contains(csDestroying))
    return;
  if (!SkinActive() || ChildMaximized()) return FreeBars();
  SCROLLINFO v{}, h{};
  const bool want_v = ScrollInfo(SB_VERT, v, v_origin_);
  const bool want_h = ScrollInfo(SB_HORZ, h, h_origin_);
  if (want_v)
    PlaceBar(vert_bar_, true, v);
  else
    FreeBar(vert_bar_);
  if (want_h)
    PlaceBar(horz_bar_, false, h);
  else
    FreeBar(horz_bar_);
  if (vert_bar_ && horz_bar_) {
    if (!grip_) {
      grip_ = New<TsMDIGrip>(form_);
      grip_->SetParent(form_);
    }
    grip_->SetBounds(vert_bar_->GetLeft() + 1, horz_bar_->GetTop() + 1, GetSystemMetrics(SM_CXVSCROLL),
                     GetSystemMetrics(SM_CYHSCROLL));
    grip_->BringToFront();
  } else {
    FreeAndNil(grip_);
  }
}

// Over the client's own bar: the client's edge is 2 pixels, the aligned controls lie before it.
TsMDIScrollBar* TsMDIForm::PlaceBar(TsMDIScrollBar*& bar, bool vertical, const SCROLLINFO& info) {
  if (!bar) {
    bar = New<TsMDIScrollBar>(form_);
    bar->SetVisible(false);
    if (vertical) bar->SetKind(sbVertical);
    bar->SetTabStop(false);
    bar->SetSmallChange(kSmallStep);
    bar->SetParent(form_);
    bar->OnChange = TNotifyEvent(this, &TsMDIForm::BarChanged);
    bar->OnScroll = TScrollEvent(this, &TsMDIForm::BarScrolled);
  }
  guard_ = true;
  // Positions run 0 .. nMax; the page only sizes the slider.
  const int page = static_cast<int>(info.nPage);
  // Updating: a client with nothing to scroll is no range mistake of ours.
  bar->SetUpdating(true);
  bar->SetParams(std::clamp(info.nPos, 0, std::max(info.nMax, 0)), 0, std::max(info.nMax, 0));
  bar->SetPageSize(page);
  bar->SetLargeChange(static_cast<uint16_t>(page));
  bar->SetUpdating(false);
  bar->RepaintParts();
  guard_ = false;
  const int left = AlignedExtent(alLeft), top = AlignedExtent(alTop);
  const int cx = GetSystemMetrics(SM_CXVSCROLL), cy = GetSystemMetrics(SM_CYHSCROLL);
  if (vertical) {
    int height = ClientAreaHeight();
    if (ScrollInfoWanted(SB_HORZ)) height -= cy;
    bar->SetBounds(left + ClientAreaWidth() - cx - 2, top, cx + 1, height);
  } else {
    const int right = vert_bar_ ? vert_bar_->GetLeft() : left + ClientAreaWidth();
    bar->SetBounds(left, top + ClientAreaHeight() - cy - 2, right - left, cy + 1);
  }
  bar->SetVisible(true);
  bar->BringToFront();
  return bar;
}

bool TsMDIForm::ScrollInfoWanted(int bar) const {
  SCROLLINFO info{};
  int origin = 0;
  return ScrollInfo(bar, info, origin);
}

void TsMDIForm::BarChanged(TObject* sender) {
  if (guard_ || form_->GetFormState().Contains(fsCreating) ||
      form_->GetComponentState().Contains(csDestroying))
    return;
  guard_ = true;
  const bool vertical = sender == vert_bar_;
  auto* bar = static_cast<TsMDIScrollBar*>(sender);
  const int position = (vertical ? v_origin_ : h_origin_) + bar->GetPosition();
  HWND client = form_->GetClientHandle();
  const UINT msg = vertical ? WM_VSCROLL : WM_HSCROLL;
  const int which = vertical ? SB_VERT : SB_HORZ;
  SendMessageA(client, msg, MAKEWPARAM(SB_THUMBPOSITION, position), 0);
  // Wine's client takes the position from LParam, and only with SB_THUMBPOSITION alone in
  // WParam; the system's does not get there (its position is set already).
  if (GetScrollPos(client, which) != position) SendMessageA(client, msg, SB_THUMBPOSITION, position);
  guard_ = false;
}

// The children moved with the scroll, and the client's ranges (the children's union with the
// client) with them. The client works them out when it is resized, on a message it posts to
// itself; the bars follow at once, not a scroll step late.
void TsMDIForm::BarScrolled(TObject* sender, TScrollCode code, int& position) {
  (void)code;
  (void)position;
  if (guard_ || scrolling_bar_ || form_->GetFormState().Contains(fsCreating) ||
      form_->GetComponentState().Contains(csDestroying))
    return;
  scrolling_bar_ = static_cast<TsMDIScrollBar*>(sender);
  ResizeClient();
  Application->ProcessMessages();
  UpdateScrollBars();
  scrolling_bar_ = nullptr;
  if (!retired_bars_.empty()) PostMessageA(form_->GetClientHandle(), FreeBarsMessage(), 0, 0);
}
