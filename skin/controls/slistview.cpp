// The skinned list view: frame, header painting and hooking, and the overlaid scroll bars.
#include "skin/controls/slistview.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "skin/controls/sscrollbar.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kListViewKind = 10;
constexpr int kFrame = 3;
constexpr int kNoHot = -2;
constexpr int kNoPressed = -1;
// How far the brightness of a marked row without the focus lies from the list's colour.
constexpr int kSelectionContrast = 64;

bool IsItemMessage(UINT msg) {
  return msg == LVM_INSERTITEMA || msg == LVM_INSERTITEMW || msg == LVM_DELETEITEM ||
         msg == LVM_DELETEALLITEMS || msg == LVM_SETITEMCOUNT;
}

// Messages after which the list may show other rows than before.
bool MovesRows(const TMessage& message) {
  switch (message.Msg) {
    case WM_MOUSEWHEEL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case LVM_SCROLL:
    case LVM_ENSUREVISIBLE: return true;
    case WM_SETREDRAW: return message.WParam != 0;
    case CN_KEYDOWN:
    case CN_KEYUP: return message.WParam >= VK_PRIOR && message.WParam <= VK_DOWN;
  }
  return false;
}

int SectionState(int index, int pressed, int hot) {
  if (pressed >= 0) return index == pressed ? 2 : 0;
  return index == hot ? 1 : 0;
}

int HeaderCount(HWND header) { return static_cast<int>(SendMessageA(header, HDM_GETITEMCOUNT, 0, 0)); }

RECT HeaderItemRect(HWND header, int index) {
  RECT r{};
  if (!SendMessageA(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r))) r = {};
  return r;
}

// Rec. 601 brightness, 0 to 255.
int Brightness(COLORREF c) { return (299 * GetRValue(c) + 587 * GetGValue(c) + 114 * GetBValue(c)) / 1000; }

COLORREF Mix(COLORREF from, COLORREF to, int percent) {
  auto part = [&](int a, int b) { return static_cast<BYTE>(a + (b - a) * percent / 100); };
  return RGB(part(GetRValue(from), GetRValue(to)), part(GetGValue(from), GetGValue(to)),
             part(GetBValue(from), GetBValue(to)));
}

// The window's frame in screen coordinates, within update when that is a region (not 1).
HRGN FrameRegion(HWND window, HRGN update) {
  RECT outer{}, inner{};
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&inner), 2);
  HRGN frame = CreateRectRgnIndirect(&outer);
  HRGN client = CreateRectRgnIndirect(&inner);
  CombineRgn(frame, frame, client, RGN_DIFF);
  DeleteObject(client);
  if (reinterpret_cast<ULONG_PTR>(update) > 1) CombineRgn(frame, frame, update, RGN_AND);
  return frame;
}

}  // namespace

TK_CLASS_INFO(TsListView, TListView)

// Its skin data is reached from code only: a stored form names none.
void TsListView::Publish(TPublisher<TsListView>& p) { (void)p; }

void RegisterSkinListViewClasses() { RegisterClasses({TsListView::StaticClass()}); }

// ---- Life ------------------------------------------------------------------------------------

TsListView::TsListView(TComponent* owner)
    : TListView(owner),
      common_data_(New<TsCommonData>(this, true)),
      header_hook_(TWndMethod(this, &TsListView::HeaderProc)) {
  common_data_->COC = kListViewKind;
  // Until the header's first section is painted.
  header_height_ = GetFont()->GetSize();
}

TsListView::~TsListView() {
  SetSmallImages(nullptr);
  // Leaves a procedure installed after ours in place (ours then passes everything on).
  header_hook_.Uninstall();
  FreeAndNil(v_bar_);
  FreeAndNil(h_bar_);
  FreeAndNil(common_data_);
}

void TsListView::AfterConstruction() {
  inherited::AfterConstruction();
  if (!GetComponentState().Contains(csLoading)) common_data_->Loaded();
}

void TsListView::Loaded() {
  inherited::Loaded();
  common_data_->Loaded();
  FrameChanged();
  UpdateScrollBars();
}

bool TsListView::Skinned() const { return common_data_ && common_data_->Skinned(); }

bool TsListView::Dying() const { return GetComponentState().Contains(csDestroying); }

bool TsListView::ReportSkinned() const { return GetViewStyle() == vsReport && Skinned(); }

void TsListView::Invalidate() {
  if (GetComponentState().Contains(csDesigning)) common_data_->BGChanged = true;
  inherited::Invalidate();
}

void TsListView::CreateWnd() {
  inherited::CreateWnd();
  // The header made during the window's creation normally announces itself; a system that
  // did not is caught here.
  if (GetViewStyle() == vsReport && !header_hook_.Installed()) HookHeader(GetHeaderHandle());
  common_data_->BGChanged = true;
  if (Skinned()) FrameChanged();
}

// The frame's width follows the skin: the system asks for the non-client size again.
void TsListView::FrameChanged() {
  if (!HandleAllocated() || Dying()) return;
  common_data_->BGChanged = true;
  SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---- Messages --------------------------------------------------------------------------------

void TsListView::WndProc(TMessage& message) {
  // A style set by HoldOwnBars stays unknown to the list view.
  if (setting_own_style_ && (message.Msg == WM_STYLECHANGING || message.Msg == WM_STYLECHANGED)) return;
  // The header is made inside the list's own creation.
  if (message.Msg == WM_PARENTNOTIFY) ParentNotify(message);
  if (GetControlState().Contains(csCreating)) return inherited::WndProc(message);
  // The pointer went onto an overlaid bar: still above the list (the bar tells when it leaves).
  if (message.Msg == CM_MOUSELEAVE && Skinned()) {
    POINT cursor{};
    RECT r{};
    if (HandleAllocated() && tk_detail::CursorPos(&cursor) && GetWindowRect(handle_, &r) &&
        PtInRect(&r, cursor))
      return;
    ClearHot();
  }
  // The cache holds the frame only, not the rows: a control on the list has no background
  // to show through.
  if (message.Msg == SKM_GETCACHEINFO && Skinned()) {
    GlobalCacheInfo.Ready = false;
    return;
  }
  if (message.Result != 1) {
    TsDataWatch watch(common_data_);
    common_data_->WndProc(message);
    if (watch.Gone()) return;
  }
  if (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_LIBLAST) return AfterMessage(message);
  switch (message.Msg) {
    case WM_NCCALCSIZE: WMNCCalcSize(message); break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case CN_NOTIFY:
      if (Skinned() && reinterpret_cast<NMHDR*>(message.LParam)->code == NM_CUSTOMDRAW)
        CustomDraw(message);
      else
        inherited::WndProc(message);
      break;
    case WM_NCHITTEST:
      if (Skinned()) ClearHot();
      inherited::WndProc(message);
      break;
    case LVM_SCROLL:
    case WM_VSCROLL:
    case WM_HSCROLL:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL: ScrollWithOwnBarsHeld(message); break;
    default: inherited::WndProc(message);
  }
  AfterMessage(message);
}

// What follows the list's own handling: the list has changed by now, so the bars read the
// new scroll information.
void TsListView::AfterMessage(const TMessage& message) {
  if (Dying()) return;
  switch (message.Msg) {
    case SKM_SETNEWSKIN: FrameChanged(); return;
    case SKM_REMOVESKIN:
      common_data_->SkinIndex = common_data_->BorderIndex = -1;
      UpdateScrollBars();
      FrameChanged();
      Invalidate();
      RedrawHeader();
      return;
    case SKM_REFRESH:
      FrameChanged();
      RedrawHeader();
      for (TsScrollBar* bar : {v_bar_, h_bar_})
        if (bar && bar->GetVisible() && bar->HandleAllocated())
          SendMessageA(bar->GetHandle(), SKM_REFRESH, 0, 0);
      UpdateScrollBars();
      return;
  }
  if (!Skinned()) return;
  switch (message.Msg) {
    case WM_SIZE:
      common_data_->BGChanged = true;
      UpdateScrollBars();
      return;
    case WM_MOVE:
    case WM_WINDOWPOSCHANGED:
    case CM_VISIBLECHANGED:
    case CM_ENABLEDCHANGED:
      common_data_->BGChanged = true;
      if (HandleAllocated()) SendMessageA(handle_, WM_NCPAINT, 1, 0);
      UpdateScrollBars();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_ENTER:
    case CM_EXIT:
      // The frame shows the focus, or nothing, until the mouse comes again.
      common_data_->SetMouseAbove(false);
      [[fallthrough]];
    case CM_MOUSEENTER:
    case CM_MOUSELEAVE:
      common_data_->BGChanged = true;
      if (HandleAllocated()) SendMessageA(handle_, WM_NCPAINT, 1, 0);
      return;
  }
  // Rows added one by one while the list does not redraw catch up when it does again.
  if (IsItemMessage(message.Msg) && GetItems()->GetUpdateCount() == 0) return UpdateScrollBars();
  if (MovesRows(message)) UpdateScrollBars();
}

void TsListView::WMNCCalcSize(TMessage& message) {
  inherited::WndProc(message);
  if (!Skinned() || Dying()) return;
  // The system's client edge takes 2 pixels already.
  const int inset = GetBorderStyle() == bsSingle ? kFrame - 2 : kFrame;
  auto* r = reinterpret_cast<RECT*>(message.LParam);  // rgrc[0] of NCCALCSIZE_PARAMS too
  InflateRect(r, -inset, -inset);
  r->right = std::max(r->right, r->left);
  r->bottom = std::max(r->bottom, r->top);
}

void TsListView::WMNCPaint(TMessage& message) {
  if (!Skinned() || Dying() || !HandleAllocated()) return inherited::WndProc(message);
  // The system's painting brings its own scroll bars where no skinned bar lies over them
  // (and costs a themed bar's painting, under Wine some twenty server round trips, where
  // ours do). It is held to the frame: the themed list view fills its whole window, rows
  // included, and nothing would paint them again.
  if (OwnBarUncovered()) {
    TMessage frame_only = message;
    HRGN frame = FrameRegion(handle_, reinterpret_cast<HRGN>(message.WParam));
    frame_only.WParam = reinterpret_cast<WPARAM>(frame);
    inherited::WndProc(frame_only);
    DeleteObject(frame);
  }
  PaintFrameCache();
  HDC dc = GetWindowDC(handle_);
  if (!dc) return;
  HDC cache = common_data_->GetCacheBmp()->GetCanvas()->GetHandle();
  const int w = GetWidth(), h = GetHeight();
  BitBlt(dc, 0, 0, w, kFrame, cache, 0, 0, SRCCOPY);
  BitBlt(dc, 0, kFrame, kFrame, h - kFrame, cache, 0, kFrame, SRCCOPY);
  BitBlt(dc, kFrame, h - kFrame, w, kFrame, cache, kFrame, h - kFrame, SRCCOPY);
  BitBlt(dc, w - kFrame, kFrame, kFrame, h - 2 * kFrame, cache, w - kFrame, kFrame, SRCCOPY);
  // Where the two bars meet the system's corner would show.
  if (v_bar_ && h_bar_ && v_bar_->GetVisible() && h_bar_->GetVisible()) {
    const int bw = v_bar_->GetWidth(), bh = h_bar_->GetHeight();
    BitBlt(dc, w - kFrame - bw, h - kFrame - bh, bw, bh, cache, w - kFrame - bw, h - kFrame - bh, SRCCOPY);
  }
  ReleaseDC(handle_, dc);
  PaintHeaderNow();
  message.Result = 0;
}

void TsListView::PaintHeaderNow() {
  HWND header = header_hook_.GetWindow();
  if (!header || !ReportSkinned() || !IsWindowVisible(header)) return;
  HDC dc = GetDC(header);
  if (!dc) return;
  PaintHeader(dc);
  ReleaseDC(header, dc);
}

// Whether the window shows a bar of its own that none of ours covers.
bool TsListView::OwnBarUncovered() const {
  const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
  return ((style & WS_VSCROLL) && !(v_bar_ && v_bar_->GetVisible())) ||
         ((style & WS_HSCROLL) && !(h_bar_ && h_bar_->GetVisible()));
}

void TsListView::PaintFrameCache() {
  if (!common_data_->BGChanged && common_data_->GetCacheBmp() &&
      common_data_->GetCacheBmp()->GetWidth() == GetWidth() &&
      common_data_->GetCacheBmp()->GetHeight() == GetHeight())
    return;
  common_data_->UpdateCacheBmp();
  TsCacheInfo ci;
  common_data_->GetParentCacheInfo(ci);
  const int state = common_data_->ControlIsActive() ? 1 : 0;
  PaintItemWhole(common_data_->SkinIndex, common_data_->GetSkinSection(), ci, state, true,
                 POINT{GetLeft(), GetTop()}, common_data_->GetCacheBmp());
  common_data_->BGChanged = false;
}

// The system marks the selection of a list without the focus in the button face colour, next
// to invisible on the list's white; the skin's colours of a chosen item are used instead, their
// background taken toward their text until it stands out from the list.
void TsListView::CustomDraw(TMessage& message) {
  auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(message.LParam);
  if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
    message.Result = CDRF_NOTIFYITEMDRAW;
    return;
  }
  message.Result = CDRF_DODEFAULT;
  if (draw->nmcd.dwDrawStage != CDDS_ITEMPREPAINT || !(draw->nmcd.uItemState & CDIS_SELECTED) ||
      GetHideSelection() || GetFocus() == handle_)
    return;
  const COLORREF list = static_cast<COLORREF>(ColorToRGB(GetColor()));
  COLORREF back = static_cast<COLORREF>(ColorToRGB(clHighlight));
  COLORREF text = static_cast<COLORREF>(ColorToRGB(clHighlightText));
  const int item = GetSkinIndex("MENUITEM");
  if (IsValidSkinIndex(item)) {
    const TsGeneralData& data = SkinGeneralData[static_cast<size_t>(item)];
    back = static_cast<COLORREF>(data.HotPaintingColor);
    text = static_cast<COLORREF>(data.HotFontColor.Color);
  }
  for (int step = 0; step < 20 && std::abs(Brightness(back) - Brightness(list)) < kSelectionContrast; ++step)
    back = Mix(back, text, 10);
  // The system would paint its own colours over a selected row.
  draw->nmcd.uItemState &= ~CDIS_SELECTED;
  draw->clrTextBk = back;
  draw->clrText = text;
  message.Result = CDRF_NEWFONT;
}

void TsListView::ParentNotify(const TMessage& message) {
  if (LOWORD(message.WParam) != WM_CREATE) return;
  auto child = reinterpret_cast<HWND>(message.LParam);
  char name[32] = {};
  if (!GetClassNameA(child, name, sizeof(name)) || lstrcmpiA(name, WC_HEADERA) != 0) return;
  HookHeader(child);
}

void TsListView::ClearHot() {
  if (hot_ == kNoHot) return;
  hot_ = kNoHot;
  RedrawHeader();
}

// ---- The header ------------------------------------------------------------------------------

void TsListView::HookHeader(HWND header) {
  if (!header || header == header_hook_.GetWindow()) return;
  header_hook_.Uninstall();
  pressed_ = kNoPressed;
  hot_ = kNoHot;
  tracking_header_ = false;
  try {
    header_hook_.Install(header);
  } catch (const EOSError&) {
    // Another of our subclasses has it: it stays the system's painting.
  }
}

void TsListView::HeaderProc(TMessage& message) {
  if (!ReportSkinned() || Dying()) return header_hook_.CallPrevious(message);
  switch (message.Msg) {
    case WM_LBUTTONDOWN: HeaderButtonDown(message); break;
    case WM_LBUTTONUP: HeaderButtonUp(message); break;
    case WM_NCHITTEST:
      HeaderHot(message, SectionAt(POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}));
      break;
    case WM_MOUSEMOVE:
      HeaderHot(message, SectionAtClient(header_hook_.GetWindow(),
                                         POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)}));
      break;
    case WM_MOUSELEAVE:
      tracking_header_ = false;
      HeaderHot(message, kNoHot);
      break;
    case WM_CAPTURECHANGED: HeaderCaptureLost(message); break;
    case WM_PAINT: HeaderPaint(message); break;
    case WM_PRINTCLIENT: PaintHeader(reinterpret_cast<HDC>(message.WParam)); break;
    case WM_ERASEBKGND: message.Result = 1; break;
    default: header_hook_.CallPrevious(message);
  }
}

void TsListView::HeaderButtonDown(TMessage& message) {
  HWND header = header_hook_.GetWindow();
  HDHITTESTINFO hit{};
  hit.pt = POINT{GET_X_LPARAM(message.LParam), GET_Y_LPARAM(message.LParam)};
  const auto index = static_cast<int>(SendMessageA(header, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  // A press on a divider sizes the column; no section goes down.
  pressed_ = (hit.flags & (HHT_ONDIVIDER | HHT_ONDIVOPEN)) || index < 0 ? kNoPressed : index;
  RedrawHeader();
  header_hook_.CallPrevious(message);
}

// Released before the header reports the click: a column click finds the section up.
void TsListView::HeaderButtonUp(TMessage& message) {
  pressed_ = kNoPressed;
  UpdateScrollBars();
  RedrawHeader();
  header_hook_.CallPrevious(message);
}

// A window that took the mouse before the release (one popping up) ends the press.
void TsListView::HeaderCaptureLost(TMessage& message) {
  const bool was_pressed = pressed_ != kNoPressed;
  pressed_ = kNoPressed;
  header_hook_.CallPrevious(message);
  if (was_pressed) RedrawHeader();
}

void TsListView::HeaderHot(TMessage& message, int section) {
  if (message.Msg == WM_MOUSEMOVE && !tracking_header_) {
    TRACKMOUSEEVENT track{sizeof(track), TME_LEAVE, header_hook_.GetWindow(), 0};
    tracking_header_ = TrackMouseEvent(&track) != FALSE;
  }
  const bool changed = section != hot_;
  hot_ = section;
  header_hook_.CallPrevious(message);
  if (changed) RedrawHeader();
}

void TsListView::HeaderPaint(TMessage& message) {
  HWND header = header_hook_.GetWindow();
  PAINTSTRUCT ps;
  HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(header, &ps);
  PaintHeader(dc);
  if (!message.WParam) EndPaint(header, &ps);
  message.Result = 0;
}

void TsListView::RedrawHeader() {
  if (HWND header = header_hook_.GetWindow())
    RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}

void TsListView::PaintHeader(HDC dc) {
  HWND header = header_hook_.GetWindow();
  if (!header || !dc) return;
  RECT client{};
  ::GetClientRect(header, &client);
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  try {
    int right = 0;
    const int count = HeaderCount(header);
    if (count == 0) header_height_ = HeaderItemRect(header, 0).bottom;
    for (int i = 0; i < count; ++i) {
      const RECT r = HeaderItemRect(header, i);
      if (r.right <= r.left || r.bottom <= r.top) continue;
      header_height_ = r.bottom - r.top;
      right = std::max<int>(right, r.right);
      PaintSection(dc, header, i, r, bmp);
    }
    if (client.right > right) PaintSection(dc, header, -1, RECT{right, 0, client.right, client.bottom}, bmp);
  } catch (...) {
    Free(bmp);
    throw;
  }
  Free(bmp);
}

// index -1: the empty remainder right of the last section.
void TsListView::PaintSection(HDC dc, HWND header, int index, const RECT& r, TBitmap* bmp) {
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 1 || h < 1) return;
  bmp->SetSize(w, h);
  TCanvas* canvas = bmp->GetCanvas();
  const int state = SectionState(index, pressed_, hot_);
  int skin = GetSkinIndex("COLHEADER");
  const char* section = "COLHEADER";
  if (!IsValidSkinIndex(skin)) {
    skin = GetSkinIndex("TSBUTTON");
    section = "TSBUTTON";
  }
  if (index < 0 || !IsValidSkinIndex(skin)) {
    canvas->GetBrush()->SetColor(GetColor());
    canvas->FillRect(RECT{0, 0, w, h});
  } else {
    PaintItem(skin, section, EmptyCI, state, true, RECT{0, 0, w, h}, POINT{0, 0}, bmp);
  }
  if (index >= 0) {
    char text[260] = {};
    HDITEMA item{};
    item.mask = HDI_TEXT | HDI_FORMAT | HDI_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof(text);
    SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    RECT tr{4, 1, w - 4, h - 1};
    if (state == 2) OffsetRect(&tr, 1, 1);
    HDC mem = canvas->GetHandle();
    const int saved = SaveDC(mem);
    SelectObject(mem, reinterpret_cast<HFONT>(SendMessageA(header, WM_GETFONT, 0, 0)));
    SetBkMode(mem, TRANSPARENT);
    COLORREF color = GetSysColor(COLOR_BTNTEXT);
    if (IsValidSkinIndex(skin)) {
      const TsGeneralData& data = SkinGeneralData[static_cast<size_t>(skin)];
      color = static_cast<COLORREF>(state ? data.HotFontColor.Color : data.FontColor.Color);
    }
    SetTextColor(mem, color);
    int image_room = 0;
    TCustomImageList* images = GetSmallImages();
    const bool has_image =
        images && (item.fmt & HDF_IMAGE) && item.iImage >= 0 && item.iImage < images->GetCount();
    if (has_image) image_room = images->GetWidth() + 2;
    SIZE extent{};
    const char* caption = item.pszText ? item.pszText : text;
    const int length = lstrlenA(caption);
    GetTextExtentPoint32A(mem, caption, length, &extent);
    // A caption wider than its section is placed all the same and cut at the text rectangle.
    int x = tr.left + image_room;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
      x = tr.right - extent.cx;
    else if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
      x = (tr.left + tr.right - extent.cx + image_room) / 2;
    const int y = (tr.top + tr.bottom - extent.cy) / 2;
    if (has_image)
      images->Draw(canvas, x - image_room, (tr.top + tr.bottom - images->GetHeight()) / 2, item.iImage);
    ExtTextOutA(mem, x, y, ETO_CLIPPED, &tr, caption, static_cast<UINT>(length), nullptr);
    RestoreDC(mem, saved);
  }
  BitBlt(dc, r.left, r.top, w, h, canvas->GetHandle(), 0, 0, SRCCOPY);
}

int TsListView::SectionAtClient(HWND header, POINT client) const {
  if (!header) return kNoHot;
  const int count = HeaderCount(header);
  for (int i = 0; i < count; ++i) {
    const RECT r = HeaderItemRect(header, i);
    if (PtInRect(&r, client)) return i;
  }
  return kNoHot;
}

int TsListView::SectionAt(POINT screen) const {
  HWND header = header_hook_.GetWindow();
  if (!header) return kNoHot;
  ::ScreenToClient(header, &screen);
  return SectionAtClient(header, screen);
}

// ---- The overlaid scroll bars ------------------------------------------------------------------

namespace {

bool NeedsBar(HWND window, int bar, SCROLLINFO& si) {
  si = SCROLLINFO{sizeof(si), SIF_ALL};
  if (!GetScrollInfo(window, bar, &si)) return false;
  return si.nMax > si.nMin && si.nPage != 0 && si.nPage <= static_cast<UINT>(si.nMax);
}

// Whether upper lies above lower among the same parent's windows. Looked for from upper up:
// our bars are mostly the topmost, so the walk is short (each step asks Wine's server).
bool Above(HWND upper, HWND lower) {
  if (GetParent(upper) != GetParent(lower)) return false;
  for (HWND w = GetWindow(upper, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV))
    if (w == lower) return false;
  return true;
}

}  // namespace

void TsListView::UpdateScrollBars() {
  const TControlState state = GetControlState();
  if (GetComponentState().Contains(csLoading) || Dying() || state.Contains(csCreating) ||
      state.Contains(csDestroyingHandle) || updating_bars_)
    return;
  SCROLLINFO v{}, h{};
  const bool wanted = Skinned() && GetVisible() && HandleAllocated() && GetParent();
  const bool need_v = wanted && NeedsBar(handle_, SB_VERT, v);
  const bool need_h = wanted && NeedsBar(handle_, SB_HORZ, h);
  if (!need_v) DropBar(v_bar_);
  if (!need_h) DropBar(h_bar_);
  if (need_v && !v_bar_) v_bar_ = MakeBar(sbVertical);
  if (need_h && !h_bar_) h_bar_ = MakeBar(sbHorizontal);
  updating_bars_ = true;
  try {
    if (v_bar_) SetBar(v_bar_, v, need_v);
    if (h_bar_) SetBar(h_bar_, h, need_h);
    PlaceBars();
  } catch (...) {
    updating_bars_ = false;
    throw;
  }
  updating_bars_ = false;
}

TsScrollBar* TsListView::MakeBar(TScrollBarKind kind) {
  auto* bar = New<TsScrollBar>(this);
  bar->SetVisible(false);
  bar->SetTabStop(false);
  bar->SetKind(kind);
  if (kind == sbVertical)
    bar->SetWidth(GetSystemMetrics(SM_CXVSCROLL));
  else
    bar->SetHeight(GetSystemMetrics(SM_CYHSCROLL));
  bar->SetLinkedControl(this);
  bar->OnChange = TNotifyEvent(this, kind == sbVertical ? &TsListView::VBarChange : &TsListView::HBarChange);
  bar->SetParent(GetParent());
  return bar;
}

// A bar whose change is running is only hidden: its own code is still on the stack.
void TsListView::DropBar(TsScrollBar*& bar) {
  if (!bar) return;
  if (bar_changing_ == bar) return bar->SetVisible(false);
  TsScrollBar* doomed = bar;
  bar = nullptr;
  doomed->SetVisible(false);
  Free(doomed);
}

void TsListView::SetBar(TsScrollBar* bar, const SCROLLINFO& si, bool needed) {
  const bool vertical = bar == v_bar_;
  const int before[] = {bar->GetPosition(), bar->GetMin(), bar->GetMax(), bar->GetPageSize(),
                        bar->GetEnabled()};
  bar->SetUpdating(true);
  bar->SetEnabled(GetEnabled());
  int page = static_cast<int>(si.nPage);
  int position = 0, min = 0, max = 1;
  if (needed && si.nMin <= si.nMax && si.nMax != 0 && si.nMax - page + 1 != 0) {
    position = si.nPos;
    min = si.nMin;
    max = si.nMax - page + 1;
    bar->SetLargeChange(static_cast<uint16_t>(std::clamp(page, 1, 0xFFFF)));
    // A horizontal step of a 23rd of the width (none below 23 pixels), within the bar's 16 bits.
    bar->SetSmallChange(vertical ? 1 : static_cast<uint16_t>(std::clamp(si.nMax / 23, 0, 0xFFFF)));
  } else {
    page = 1;
  }
  if (position != before[0] || min != before[1] || max != before[2]) bar->SetParams(position, min, max);
  bar->SetPageSize(page);
  (vertical ? v_pos_ : h_pos_) = bar->GetPosition();
  bar->SetUpdating(false);
  const int after[] = {bar->GetPosition(), bar->GetMin(), bar->GetMax(), bar->GetPageSize(),
                       bar->GetEnabled()};
  const bool shown = bar->GetVisible();
  bar->SetVisible(needed);
  // Nothing was painted while the bar was updating.
  if (shown && needed && !std::equal(std::begin(before), std::end(before), std::begin(after)))
    bar->RepaintParts();
}

void TsListView::PlaceBars() {
  const bool v_shown = v_bar_ && v_bar_->GetVisible(), h_shown = h_bar_ && h_bar_->GetVisible();
  if (v_bar_) {
    const int w = v_bar_->GetWidth();
    v_bar_->SetBounds(GetLeft() + GetWidth() - w - kFrame, GetTop() + kFrame, w,
                      GetHeight() - (h_shown ? h_bar_->GetHeight() : 0) - 2 * kFrame);
  }
  if (h_bar_) {
    const int h = h_bar_->GetHeight();
    h_bar_->SetBounds(GetLeft() + kFrame, GetTop() + GetHeight() - h - kFrame,
                      GetWidth() - (v_shown ? v_bar_->GetWidth() : 0) - 2 * kFrame, h);
  }
  // Raised only when the list came over them: every raise repaints.
  for (TsScrollBar* bar : {v_bar_, h_bar_})
    if (bar && (!bar->HandleAllocated() || !HandleAllocated() || !Above(bar->GetHandle(), handle_)))
      bar->BringToFront();
}

int TsListView::RowHeight() {
  if (GetRowCount() == 0 || !HandleAllocated()) return 0;
  RECT r{LVIR_BOUNDS};
  if (!SendMessageA(handle_, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 0;
  return r.bottom - r.top;
}

void TsListView::VBarChange(TObject*) {
  if (updating_bars_ || !v_bar_) return;
  int delta = v_bar_->GetPosition() - v_pos_;
  v_pos_ = v_bar_->GetPosition();
  if (GetViewStyle() == vsReport) delta *= RowHeight();
  ScrollByBar(v_bar_, 0, delta);
}

void TsListView::HBarChange(TObject*) {
  if (updating_bars_ || !h_bar_) return;
  const int delta = h_bar_->GetPosition() - h_pos_;
  h_pos_ = h_bar_->GetPosition();
  ScrollByBar(h_bar_, delta, 0);
}

void TsListView::ScrollByBar(TsScrollBar* bar, int dx, int dy) {
  if (dx == 0 && dy == 0) return;
  TsScrollBar* outer = bar_changing_;
  bar_changing_ = bar;
  try {
    Scroll(dx, dy);
  } catch (...) {
    bar_changing_ = outer;
    throw;
  }
  bar_changing_ = outer;
}

// A scroll sets only the position of the list's bars, never their range, so hiding them
// cannot make the system lay the window out again.
void TsListView::ScrollWithOwnBarsHeld(TMessage& message) {
  const LONG_PTR held = HoldOwnBars();
  try {
    inherited::WndProc(message);
  } catch (...) {
    ReleaseOwnBars(held);
    throw;
  }
  ReleaseOwnBars(held);
}

// The list view paints its own bar at every position it sets, though ours lies over it; a
// themed bar is costly to paint (under Wine some twenty server round trips), more than the
// scroll itself. So while the list scrolls, the window's style loses the bars that ours
// cover. The list view is not told: its own idea of its style, and so its layout,
// stay as they are, and the system finds no bar to paint.
LONG_PTR TsListView::HoldOwnBars() {
  if (!HandleAllocated() || !Skinned()) return 0;
  const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
  LONG_PTR held = 0;
  if (v_bar_ && v_bar_->GetVisible()) held |= style & WS_VSCROLL;
  if (h_bar_ && h_bar_->GetVisible()) held |= style & WS_HSCROLL;
  if (held) SetOwnStyle(style & ~held);
  return held;
}

void TsListView::ReleaseOwnBars(LONG_PTR held) {
  if (!held || !HandleAllocated()) return;
  const LONG_PTR style = GetWindowLongPtrA(handle_, GWL_STYLE);
  SetOwnStyle(style | held);
  // The system showed a held bar again meanwhile and laid the window out without the other.
  if (style & held)
    SetWindowPos(handle_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TsListView::SetOwnStyle(LONG_PTR style) {
  setting_own_style_ = true;
  SetWindowLongPtrA(handle_, GWL_STYLE, style);
  setting_own_style_ = false;
}

void TsListView::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == v_bar_) v_bar_ = nullptr;
  if (component == h_bar_) h_bar_ = nullptr;
}
