// Control adapters: the base, the grid items and the grid adapter.
#include "skin/controls/sctrladapter.h"

#include "skin/controls/sscrollbar.h"

#include <algorithm>

#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/forms.h"
#include "toolkit/grids.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

namespace {

const char kGridSection[] = "GRID";
const char kDataGridClass[] = "TDBGRID";

TCustomForm* OwningForm(TComponent* owner) {
  for (TComponent* c = owner; c; c = c->GetOwner())
    if (auto* form = DynamicCast<TCustomForm>(c)) return form;
  return nullptr;
}

bool SkinActive() { return SkinData().DefaultManager && SkinData().SkinLoaded; }

bool IsDestroying(const TComponent* component) {
  return component->GetComponentState().Contains(csDestroying);
}

void CopyRect(HDC dc, HDC source, int x, int y, int width, int height) {
  if (width > 0 && height > 0) BitBlt(dc, x, y, width, height, source, x, y, SRCCOPY);
}

}  // namespace

void RegisterAdapterClasses() { RegisterClasses({TsGridAdapter::StaticClass(), TsGridItem::StaticClass()}); }

// ---- TsCtrlAdapter --------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsCtrlAdapter, TsSkinReceiver)

TsCtrlAdapter::TsCtrlAdapter(TComponent* owner) : TsSkinReceiver(owner) { FindForm(); }

TsCtrlAdapter::~TsCtrlAdapter() { form_ = nullptr; }

void TsCtrlAdapter::FindForm() {
  if (!form_) form_ = OwningForm(GetOwner());
}

void TsCtrlAdapter::AfterConstruction() {
  TsSkinReceiver::AfterConstruction();
  FindForm();
}

void TsCtrlAdapter::Loaded() {
  TsSkinReceiver::Loaded();
  FindForm();
}

void TsCtrlAdapter::RepaintControl(TControl* control) {
  if (control) control->Repaint();
}

int TsCtrlAdapter::AddItem(TControl*) { return 0; }
void TsCtrlAdapter::AttachItem(int, TControl*) {}
TCollectionItem* TsCtrlAdapter::GetItem(int) const { return nullptr; }
TsCommonData* TsCtrlAdapter::GetItemCommonData(int) const { return nullptr; }
int TsCtrlAdapter::IndexOf(const std::string&) const { return -1; }
void TsCtrlAdapter::DetachItem(int) {}
void TsCtrlAdapter::PaintAllItems(TMessage&) {}
std::string TsCtrlAdapter::ItemCtrlName(int) const { return {}; }

void TsCtrlAdapter::Notification(TComponent* component, TOperation operation) {
  TsSkinReceiver::Notification(component, operation);
  if (component == form_ && operation == opRemove) form_ = nullptr;
}

// ---- TsGridItem -----------------------------------------------------------------------------

TK_CLASS_INFO(TsGridItem, TCollectionItem)

void TsGridItem::Publish(TPublisher<TsGridItem>& p) {
  p.String("CtrlName", &TsGridItem::GetCtrlName, &TsGridItem::SetCtrlName);
  p.Object("CommonData", &TsGridItem::GetCommonData, &TsGridItem::SetCommonData);
}

TsGridItem::TsGridItem(TCollection* collection)
    : TCollectionItem(collection), common_data_(New<TsCommonData>(this, true)) {
  common_data_->COC = COC_TsGridItem;
}

TsGridItem::~TsGridItem() {
  busy_ = true;
  HideBars();
  FreeBars();
  if (grid_) {
    // A procedure put in front of ours that chains back to us would call a freed item.
    if (Attached()) grid_->WindowProc = looped_ ? own_proc_ : previous_;
    if (!IsDestroying(grid_) && grid_->HandleAllocated()) {
      // The frame too: the system draws it again.
      SetWindowPos(grid_->GetHandle(), nullptr, 0, 0, 0, 0,
                   SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      grid_->Repaint();
    }
  }
  FreeAndNil(common_data_);
}

void TsGridItem::Assign(TPersistent* source) {
  auto* item = DynamicCast<TsGridItem>(source);
  if (!item) return TCollectionItem::Assign(source);
  ctrl_name_ = item->ctrl_name_;
  SetCommonData(item->common_data_);
}

void TsGridItem::SetCommonData(TsCommonData* data) {
  if (data) common_data_->SetSkinSection(data->GetSkinSection());
}

TsGridAdapter* TsGridItem::GetAdapter() const {
  return GetCollection() ? DynamicCast<TsGridAdapter>(GetCollection()->GetOwner()) : nullptr;
}

bool TsGridItem::Attached() const {
  return grid_ && grid_->WindowProc == TWndMethod(const_cast<TsGridItem*>(this), &TsGridItem::WndProc);
}

void TsGridItem::Attach(TCustomGrid* grid) {
  ctrl_name_ = grid->GetName();
  grid_ = grid;
  common_data_->SetOwnerControl(grid);
  if (common_data_->GetSkinSection().empty()) {
    TsGridAdapter* adapter = GetAdapter();
    common_data_->SetSkinSection(adapter ? adapter->GetDefaultSection() : kGridSection);
  }
  if (Attached()) return;
  previous_ = grid->WindowProc;
  if (!own_proc_) own_proc_ = previous_;
  grid->WindowProc = TWndMethod(this, &TsGridItem::WndProc);
  common_data_->BGChanged = true;
  RepaintFrame();
  UpdateBars();
}

// The record being forwarded is noted: a procedure put in front of ours later that chains back
// to us (we were attached again over it) hands us the same record, which then goes to the
// grid's own procedure instead of round again.
void TsGridItem::CallPrevious(TMessage& message) {
  if (!previous_) return;
  TsDataWatch watch(common_data_);
  TMessage* outer = forwarding_;
  forwarding_ = &message;
  previous_(message);
  if (!watch.Gone()) forwarding_ = outer;
}

void TsGridItem::Forget(TComponent* component) {
  if (component == grid_ && IsDestroying(component)) {
    grid_ = nullptr;
    common_data_->SetOwnerControl(nullptr);
  }
  if (component == vert_bar_) vert_bar_ = nullptr;
  if (component == horz_bar_) horz_bar_ = nullptr;
}

bool TsGridItem::GridAlive() const { return grid_ && !IsDestroying(grid_); }

bool TsGridItem::Skinned() const {
  return GridAlive() && SkinActive() && IsValidSkinIndex(common_data_->SkinIndex);
}

// ---- Window procedure

void TsGridItem::WndProc(TMessage& message) {
  if (&message == forwarding_ && own_proc_) {
    looped_ = true;
    return own_proc_(message);
  }
  if (Skinned())
    SkinnedProc(message);
  else
    UnskinnedProc(message);
}

void TsGridItem::UnskinnedProc(TMessage& message) {
  if (GridAlive()) {
    switch (message.Msg) {
      case SKM_SETNEWSKIN: NewSkin(false); break;
      case SKM_REMOVESKIN: RemoveSkin(); break;
    }
  }
  CallPrevious(message);
}

void TsGridItem::SkinnedProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
      common_data_->BGChanged = true;
      CallPrevious(message);
      break;
    case WM_ENABLE:
      CallPrevious(message);
      grid_->Repaint();
      UpdateBarsUnlessBusy();
      break;
    case WM_PAINT:
      CallPrevious(message);
      UpdateBars();
      break;
    case WM_ERASEBKGND: message.Result = 1; break;
    case WM_WINDOWPOSCHANGED:
    case WM_EXITSIZEMOVE:
      common_data_->BGChanged = true;
      CallPrevious(message);
      UpdateBarsUnlessBusy();
      break;
    case WM_NCHITTEST:
      dragging_ = left_down_;
      CallPrevious(message);
      break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      CallPrevious(message);
      RepaintFrame();
      break;
    case WM_LBUTTONDOWN:
      CallPrevious(message);
      left_down_ = true;
      break;
    case WM_LBUTTONUP:
      CallPrevious(message);
      left_down_ = false;
      if (!dragging_) break;
      dragging_ = false;
      UpdateBarsUnlessBusy();
      break;
    case WM_MOUSEWHEEL:
    case CM_SHOWINGCHANGED:
      CallPrevious(message);
      UpdateBarsUnlessBusy();
      break;
    // The grid's own scrolling (keys, its own bars): the overlays follow it afterwards.
    case WM_HSCROLL: ForwardBusy(message); break;
    case WM_VSCROLL:
      ForwardBusy(message);
      UpdateBars();
      break;
    case SKM_REFRESH:
      common_data_->BGChanged = true;
      if (grid_->HandleAllocated()) SendMessageA(grid_->GetHandle(), WM_NCPAINT, 1, 0);
      break;
    case SKM_GETCACHEINFO: AnswerCacheInfo(message); break;
    case SKM_SETNEWSKIN: NewSkin(true); break;
    // Sent while the skin still counts as loaded too (the manager clears the flag first).
    case SKM_REMOVESKIN:
      RemoveSkin();
      CallPrevious(message);
      break;
    default: CallPrevious(message);
  }
}

void TsGridItem::ForwardBusy(TMessage& message) {
  const bool was_busy = busy_;
  busy_ = true;
  CallPrevious(message);
  busy_ = was_busy;
}

void TsGridItem::UpdateBarsUnlessBusy() {
  if (!busy_) UpdateBars();
}

// An item that was skinned also clears its busy flag and repaints the grid's cells.
void TsGridItem::NewSkin(bool skinned) {
  if (!Attached() && grid_) Attach(grid_);
  common_data_->BGChanged = true;
  if (skinned) busy_ = false;
  common_data_->UpdateIndexes();
  RepaintFrame();
  UpdateBars();
  if (skinned && grid_) grid_->Repaint();
}

void TsGridItem::RemoveSkin() {
  common_data_->SkinIndex = -1;
  common_data_->BorderIndex = -1;
  FreeBars();
  if (grid_->GetParent()) grid_->SetColor(grid_->GetParent()->GetColor());
}

void TsGridItem::AnswerCacheInfo(TMessage& message) {
  GlobalCacheInfo = TsCacheInfo{common_data_->GetCacheBmp(), 0, 0, true};
  message.Result = 1;
}

// ---- Frame

void TsGridItem::RepaintFrame() {
  common_data_->BGChanged = true;
  if (GridAlive() && grid_->HandleAllocated()) SendMessageA(grid_->GetHandle(), WM_NCPAINT, 1, 0);
}

int TsGridItem::FrameWidth() const {
  if (!grid_) return 0;
  if (!grid_->HandleAllocated()) return (grid_->GetWidth() - grid_->GetClientWidth()) / 2;
  HWND window = grid_->GetHandle();
  RECT outer, inner;
  GetWindowRect(window, &outer);
  GetClientRect(window, &inner);
  int extra = (outer.right - outer.left) - inner.right;
  if (GetWindowLongA(window, GWL_STYLE) & WS_VSCROLL) extra -= GetSystemMetrics(SM_CXVSCROLL);
  return std::max(0, extra / 2);
}

// The section painted over the parent's background at the grid's place.
void TsGridItem::RebuildCache() {
  common_data_->UpdateCacheBmp();
  TBitmap* bmp = common_data_->GetCacheBmp();
  const int width = grid_->GetWidth();
  const int height = grid_->GetHeight();
  TsCacheInfo ci;
  common_data_->GetParentCacheInfo(ci);
  const int state = grid_->Focused() ? 1 : 0;
  PaintItem(common_data_->SkinIndex, common_data_->GetSkinSection(), ci, state, true,
            RECT{0, 0, width, height}, POINT{grid_->GetLeft(), grid_->GetTop()}, bmp);
  common_data_->BGChanged = false;
}

void TsGridItem::FollowSectionColors() {
  const TsGeneralData& section = SkinGeneralData[common_data_->SkinIndex];
  if (grid_->GetFont()->GetColor() != section.FontColor.Color)
    grid_->GetFont()->SetColor(section.FontColor.Color);
  if (grid_->GetColor() != section.PaintingColor) grid_->SetColor(section.PaintingColor);
}

void TsGridItem::WMNCPaint(TMessage& message) {
  if (grid_->GetBorderStyle() == bsNone) return CallPrevious(message);
  HWND window = grid_->GetHandle();
  if (grid_->GetComponentState().Contains(csDesigning)) CallPrevious(message);
  UpdateBarsUnlessBusy();
  message.Result = 0;
  if (!grid_->GetVisible()) return;
  if (common_data_->BGChanged) RebuildCache();
  FollowSectionColors();
  HDC dc = GetWindowDC(window);
  PaintFrame(dc);
  ReleaseDC(window, dc);
}

void TsGridItem::PaintFrame(HDC dc) {
  TBitmap* bmp = common_data_->GetCacheBmp();
  HDC source = bmp->GetCanvas()->GetHandle();
  const int width = grid_->GetWidth();
  const int height = grid_->GetHeight();
  const int frame = FrameWidth();
  CopyRect(dc, source, 0, 0, width, frame);
  CopyRect(dc, source, 0, height - frame, width, frame);
  CopyRect(dc, source, 0, frame, frame, height - 2 * frame);
  CopyRect(dc, source, width - frame, frame, frame, height - 2 * frame);
  // The overlay bars' areas, and the corner between two bars, which belongs to neither and
  // which nothing else paints.
  for (TsScrollBar* bar : {vert_bar_, horz_bar_})
    if (bar && bar->GetVisible())
      CopyRect(dc, source, bar->GetLeft() - grid_->GetLeft(), bar->GetTop() - grid_->GetTop(),
               bar->GetWidth(), bar->GetHeight());
  const LONG style = GetWindowLongA(grid_->GetHandle(), GWL_STYLE);
  if ((style & WS_VSCROLL) && (style & WS_HSCROLL)) {
    const int cx = GetSystemMetrics(SM_CXVSCROLL);
    const int cy = GetSystemMetrics(SM_CYHSCROLL);
    CopyRect(dc, source, width - frame - cx, height - frame - cy, cx, cy);
  }
}

// ---- Scroll-bar overlays

TsGridItem::TBarPlace TsGridItem::VertBarPlace() const {
  TBarPlace place;
  if (!grid_) return place;
  const TScrollStyle bars = grid_->GetScrollBars();
  const int visible = grid_->VisibleRowCount();
  place.Needed =
      (bars == ssVertical || bars == ssBoth) && grid_->GetRowCount() - grid_->GetFixedRows() - visible >= 1;
  if (!place.Needed) return place;
  const int frame = FrameWidth();
  const int width = GetSystemMetrics(SM_CXVSCROLL);
  const int below = HorzBarPlace().Needed ? GetSystemMetrics(SM_CYHSCROLL) : 0;
  const int left = grid_->GetLeft() + grid_->GetWidth() - frame - width;
  const int top = grid_->GetTop() + frame;
  place.Bounds = RECT{left, top, left + width, grid_->GetTop() + grid_->GetHeight() - frame - below};
  place.Min = grid_->GetFixedRows();
  place.Max = grid_->GetRowCount() - visible;  // the last top row: the position runs to Max
  place.PageSize = visible;
  place.Position = grid_->GetTopRow();
  return place;
}

// The columns shown are counted from the right edge: the last page holds as many as fit.
TsGridItem::TBarPlace TsGridItem::HorzBarPlace() const {
  TBarPlace place;
  if (!grid_) return place;
  const TScrollStyle bars = grid_->GetScrollBars();
  int room = grid_->GetClientWidth();
  for (int col = 0; col < grid_->GetFixedCols(); ++col) room -= grid_->GetDefaultColWidth() + 1;
  int visible = 0;
  for (int col = grid_->GetColCount() - 1;
       col >= grid_->GetFixedCols() && room >= grid_->GetDefaultColWidth(); --col) {
    room -= grid_->GetDefaultColWidth() + 1;
    ++visible;
  }
  visible = std::max(visible, 1);
  place.Needed =
      (bars == ssHorizontal || bars == ssBoth) && grid_->GetColCount() - grid_->GetFixedCols() - visible >= 1;
  if (!place.Needed) return place;
  const int frame = FrameWidth();
  const int height = GetSystemMetrics(SM_CYHSCROLL);
  const LONG style = grid_->HandleAllocated() ? GetWindowLongA(grid_->GetHandle(), GWL_STYLE) : 0;
  const int beside = style & WS_VSCROLL ? GetSystemMetrics(SM_CXVSCROLL) : 0;
  const int left = grid_->GetLeft() + frame;
  const int top = grid_->GetTop() + grid_->GetHeight() - frame - height;
  place.Bounds = RECT{left, top, grid_->GetLeft() + grid_->GetWidth() - frame - beside, top + height};
  place.Min = grid_->GetFixedCols();
  place.Max = grid_->GetColCount() - visible;
  place.PageSize = visible;
  place.Position = grid_->GetLeftCol();
  return place;
}

void TsGridItem::UpdateBars() {
  if (placing_bars_ || !grid_) return;
  placing_bars_ = true;
  PlaceBar(vert_bar_, VertBarPlace(), sbVertical);
  PlaceBar(horz_bar_, HorzBarPlace(), sbHorizontal);
  placing_bars_ = false;
}

// A bar is made on the grid's parent, owned by the adapter (which hears when the parent frees it).
void TsGridItem::PlaceBar(TsScrollBar*& bar, const TBarPlace& place, TScrollBarKind kind) {
  const bool shown = place.Needed && Skinned() && grid_->GetParent() && grid_->GetVisible();
  if (!shown) {
    if (bar) bar->SetVisible(false);
    return;
  }
  if (!bar) {
    bar = New<TsScrollBar>(GetAdapter());
    bar->SetVisible(false);
    bar->SetKind(kind);
    bar->SetTabStop(false);
    bar->SetLinkedControl(grid_);
    bar->SetParent(grid_->GetParent());
    bar->OnChange = TNotifyEvent(this, &TsGridItem::BarChanged);
  }
  const RECT& r = place.Bounds;
  bar->SetUpdating(true);
  bar->SetEnabled(grid_->GetEnabled());
  bar->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
  bar->SetPageSize(place.PageSize);
  bar->SetLargeChange(static_cast<uint16_t>(std::clamp(place.PageSize, 1, 0xFFFF)));
  bar->SetParams(place.Position, place.Min, place.Max);
  bar->SetUpdating(false);
  if (bar->GetVisible()) return;
  bar->SetVisible(true);
  bar->BringToFront();
}

// The bar moved by the user: the grid scrolls there, and its scroll notification leaves the
// bar alone.
void TsGridItem::BarChanged(TObject* sender) {
  if (placing_bars_ || !GridAlive()) return;
  const bool was_busy = busy_;
  busy_ = true;
  if (sender == vert_bar_ && vert_bar_)
    grid_->SetTopRow(vert_bar_->GetPosition());
  else if (sender == horz_bar_ && horz_bar_)
    grid_->SetLeftCol(horz_bar_->GetPosition());
  busy_ = was_busy;
}

void TsGridItem::HideBars() {
  for (TsScrollBar* bar : {vert_bar_, horz_bar_})
    if (bar && !bar->GetComponentState().Contains(csDestroying)) bar->SetVisible(false);
}

void TsGridItem::FreeBars() {
  // Cleared first: freeing a bar tells the adapter, which asks the items about it.
  TsScrollBar* vert = vert_bar_;
  TsScrollBar* horz = horz_bar_;
  vert_bar_ = horz_bar_ = nullptr;
  Free(vert);
  Free(horz);
}

// ---- TsGridItems ----------------------------------------------------------------------------

TK_CLASS_INFO(TsGridItems, TCollection)

TsGridItems::TsGridItems(TPersistent* owner) : TCollection(TsGridItem::StaticClass(), owner) {}

// ---- TsGridAdapter --------------------------------------------------------------------------

TK_CLASS_INFO(TsGridAdapter, TsCtrlAdapter)

void TsGridAdapter::Publish(TPublisher<TsGridAdapter>& p) {
  p.Collection("Controls", &TsGridAdapter::GetControls, &TsGridAdapter::SetControls);
}

TsGridAdapter::TsGridAdapter(TComponent* owner) : TsCtrlAdapter(owner), controls_(New<TsGridItems>(this)) {
  handled_class_ = TCustomGrid::StaticClass();
  default_section_ = kGridSection;
}

TsGridAdapter::~TsGridAdapter() { FreeAndNil(controls_); }

void TsGridAdapter::SetControls(TsGridItems* items) { controls_->Assign(items); }

void TsGridAdapter::Loaded() {
  TsCtrlAdapter::Loaded();
  for (int i = 0; i < Count(); ++i) {
    TsGridItem* item = Item(i);
    // The section stays as the form gave it: an empty one takes the adapter's default when
    // the grid is attached.
    TComponent* control = GetForm() ? GetForm()->FindComponent(item->GetCtrlName()) : nullptr;
    if (!DynamicCast<TControl>(control)) continue;
    item->GetCommonData()->BGChanged = true;
    AttachItem(i, static_cast<TControl*>(control));
  }
}

int TsGridAdapter::AddItem(TControl* control) {
  controls_->Add();
  const int index = Count() - 1;
  AttachItem(index, control);
  RepaintControl(control);
  return index;
}

int TsGridAdapter::Count() const { return controls_ ? controls_->GetCount() : 0; }

void TsGridAdapter::AttachItem(int index, TControl* control) {
  auto* grid = DynamicCast<TCustomGrid>(control);
  TsGridItem* item = Item(index);
  if (!grid || !item || UpperCase(grid->ClassName()) == kDataGridClass) return;
  item->Attach(grid);
}

TCollectionItem* TsGridAdapter::GetItem(int index) const { return Item(index); }

TsCommonData* TsGridAdapter::GetItemCommonData(int index) const {
  TsGridItem* item = Item(index);
  return item ? item->GetCommonData() : nullptr;
}

int TsGridAdapter::IndexOf(const std::string& name) const {
  const std::string wanted = UpperCase(name);
  for (int i = 0; i < Count(); ++i)
    if (UpperCase(Item(i)->GetCtrlName()) == wanted) return i;
  return -1;
}

std::string TsGridAdapter::ItemCtrlName(int index) const {
  TsGridItem* item = Item(index);
  return item ? item->GetCtrlName() : std::string();
}

void TsGridAdapter::DetachItem(int index) {
  if (Item(index)) controls_->Delete(index);
}

void TsGridAdapter::PaintAllItems(TMessage& message) {
  for (int i = 0; i < Count(); ++i) Item(i)->WndProc(message);
}

// A grid being freed is no longer of its class: its item is found by the grid itself. Items
// drop a freed grid even while the adapter goes (the form frees its children first).
void TsGridAdapter::Notification(TComponent* component, TOperation operation) {
  TsCtrlAdapter::Notification(component, operation);
  if (operation != opRemove || !controls_) return;
  int attached = -1;
  for (int i = 0; i < Count(); ++i) {
    if (Item(i)->GetGrid() == component && attached < 0) attached = i;
    Item(i)->Forget(component);
  }
  if (IsDestroying(this)) return;
  if (attached >= 0) return DetachItem(attached);
  if (handled_class_ && component->InheritsFrom(handled_class_)) DetachItem(IndexOf(component->GetName()));
}
