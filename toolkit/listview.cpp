#include "toolkit/listview.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& ViewStyleInfo() {
  static const TEnumInfo info{"vsIcon", "vsSmallIcon", "vsList", "vsReport"};
  return info;
}

const TEnumInfo& SortTypeInfo() {
  static const TEnumInfo info{"stNone", "stData", "stText", "stBoth"};
  return info;
}

const TEnumInfo& ListBorderStyleInfo() {
  static const TEnumInfo info{"bsNone", "bsSingle"};
  return info;
}

int ColumnFormat(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return LVCFMT_RIGHT;
    case taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
  }
}

std::string FromWide(const wchar_t* text) {
  if (!text) return {};
  int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string result(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, result.data(), size, nullptr, nullptr);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

std::wstring ToWide(const std::string& text) {
  int size = MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, nullptr, 0);
  if (size <= 1) return {};
  std::wstring result(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, result.data(), size);
  result.resize(static_cast<size_t>(size - 1));
  return result;
}

}  // namespace

// The sub-item texts of an item: every change is shown in the item's row.
class TListSubItems : public TStringList {
  TK_CLASS(TListSubItems, TStringList)

 public:
  explicit TListSubItems(TListItem* item) : item_(item) {}

 protected:
  void Changed() override {
    TStringList::Changed();
    item_->SubItemsChanged();
  }

 private:
  TListItem* item_;
};

TK_ABSTRACT_CLASS_INFO(TListSubItems, TStringList)

// ---- TListColumn ------------------------------------------------------------------------------

TK_CLASS_INFO(TListColumn, TCollectionItem)

void TListColumn::Publish(TPublisher<TListColumn>& p) {
  p.Enumeration("Alignment", AlignmentInfo(), &TListColumn::GetAlignment, &TListColumn::SetAlignment)
      .Default(taLeftJustify);
  p.String("Caption", &TListColumn::GetCaption, &TListColumn::SetCaption);
  p.Integer("Width", &TListColumn::GetWidth, &TListColumn::SetWidth).Default(50);
}

TListColumn::TListColumn(TCollection* collection) : TCollectionItem(collection) {}

TListColumn::~TListColumn() {
  if (TCustomListView* view = GetListView()) view->ColumnGone(this);
}

void TListColumn::AfterConstruction() {
  inherited::AfterConstruction();
  Changed(true);
}

TCustomListView* TListColumn::GetListView() const {
  auto* columns = DynamicCast<TListColumns>(GetCollection());
  return columns ? columns->GetListView() : nullptr;
}

void TListColumn::Assign(TPersistent* source) {
  auto* column = DynamicCast<TListColumn>(source);
  if (!column) {
    inherited::Assign(source);
    return;
  }
  caption_ = column->caption_;
  alignment_ = column->alignment_;
  SetWidth(column->GetWidth());
  Changed(false);
}

std::string TListColumn::GetDisplayName() const {
  return caption_.empty() ? inherited::GetDisplayName() : caption_;
}

void TListColumn::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed(false);
}

int TListColumn::GetWidth() const {
  TCustomListView* view = GetListView();
  if (view && view->HandleAllocated() && !view->window_dying_) {
    int index = view->ShownColumnIndex(this);
    if (index >= 0) return static_cast<int>(SendMessageA(view->GetHandle(), LVM_GETCOLUMNWIDTH, index, 0));
  }
  return width_;
}

void TListColumn::SetWidth(int width) {
  width_ = width;
  TCustomListView* view = GetListView();
  if (view && view->HandleAllocated() && !view->window_dying_) {
    int index = view->ShownColumnIndex(this);
    if (index >= 0) SendMessageA(view->GetHandle(), LVM_SETCOLUMNWIDTH, index, MAKELPARAM(width, 0));
  }
  Changed(false);
}

void TListColumn::SetAlignment(TAlignment alignment) {
  if (alignment == alignment_) return;
  alignment_ = alignment;
  Changed(false);
}

// ---- TListColumns -----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TListColumns, TCollection)

TListColumns::TListColumns(TCustomListView* owner)
    : TCollection(TListColumn::StaticClass(), owner), owner_(owner) {}

void TListColumns::Update(TCollectionItem* item) {
  // A column under construction is not a TListColumn yet; it announces itself when built.
  if (item && !item->Is<TListColumn>()) return;
  owner_->ColumnsChanged(static_cast<TListColumn*>(item));
}

// ---- TListItem --------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TListItem, TPersistent)

TListItem::TListItem(TListItems* owner) : owner_(owner) { sub_items_ = New<TListSubItems>(this); }

TListItem::~TListItem() {
  if (owner_) {
    TListItems* owner = owner_;
    int index = owner->IndexOfLive(this);
    if (index >= 0) {
      owner->GetListView()->DeleteItemWindow(this);
      // The window's notifications may have run code that changed the list meanwhile.
      index = owner->IndexOfLive(this);
      if (index >= 0) {
        owner->items_.erase(owner->items_.begin() + index);
        owner->Renumber(static_cast<size_t>(index));
        ++owner->generation_;
        owner->GetListView()->ItemsMoved(static_cast<size_t>(index), -1, state_ != 0);
      }
    }
    owner_ = nullptr;
  }
  index_ = -1;
  Free(sub_items_);
}

TPersistent* TListItem::GetOwner() const { return owner_; }

TCustomListView* TListItem::GetListView() const { return owner_ ? owner_->GetListView() : nullptr; }

TStrings* TListItem::GetSubItems() const { return sub_items_; }

void TListItem::SetSubItems(TStrings* sub_items) { sub_items_->Assign(sub_items); }

void TListItem::Assign(TPersistent* source) {
  auto* item = DynamicCast<TListItem>(source);
  if (!item) {
    inherited::Assign(source);
    return;
  }
  if (item == this) return;
  // One automatic sort for the whole copy.
  if (owner_) owner_->BeginUpdate();
  try {
    SetCaption(item->caption_);
    sub_items_->Assign(item->sub_items_);
    SetData(item->data_);
    SetImageIndex(item->image_index_);
  } catch (...) {
    if (owner_) owner_->EndUpdate();
    throw;
  }
  if (owner_) owner_->EndUpdate();
}

void TListItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  if (TCustomListView* view = GetListView()) {
    view->SetItemTextWindow(this);
    view->AutoSort(true);
  }
}

void TListItem::SetData(void* data) {
  if (data == data_) return;
  data_ = data;
  if (TCustomListView* view = GetListView()) view->AutoSort(false);
}

void TListItem::SetImageIndex(int index) {
  if (index == image_index_) return;
  image_index_ = index;
  if (TCustomListView* view = GetListView()) view->RedrawItemWindow(this);
}

bool TListItem::GetState(UINT mask) const { return (state_ & mask) != 0; }

void TListItem::SetState(UINT mask, bool on) {
  TCustomListView* view = GetListView();
  if (view && view->Deferring()) {
    view->SetStateDeferred(this, mask, on);
    return;
  }
  if (view && view->HandleAllocated() && !view->window_dying_ && index_ >= 0) {
    // The window tells of the change (and of the item it takes the state from) in
    // LVN_ITEMCHANGED, which sets our state and raises the events.
    LVITEMA item{};
    item.stateMask = mask;
    item.state = on ? mask : 0;
    SendMessageA(view->GetHandle(), LVM_SETITEMSTATE, index_, reinterpret_cast<LPARAM>(&item));
    return;
  }
  // Without a window, keep to what the window allows: one focused item, and one selected
  // item unless the list has MultiSelect.
  if (on && owner_ && view && (mask == LVIS_FOCUSED || !view->GetMultiSelect())) {
    for (TListItem* other : owner_->items_) other->state_ &= ~mask;
  }
  state_ = on ? (state_ | mask) : (state_ & ~mask);
}

RECT TListItem::DisplayRect(TDisplayCode code) const {
  static const int kCodes[] = {LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL, LVIR_SELECTBOUNDS};
  RECT rect{};
  TCustomListView* view = GetListView();
  if (!view || !view->HandleAllocated() || view->window_dying_ || index_ < 0) return rect;
  rect.left = kCodes[code];
  if (!SendMessageA(view->GetHandle(), LVM_GETITEMRECT, index_, reinterpret_cast<LPARAM>(&rect))) rect = {};
  return rect;
}

void TListItem::MakeVisible(bool partial_ok) {
  TCustomListView* view = GetListView();
  if (view && view->HandleAllocated() && !view->window_dying_ && index_ >= 0)
    SendMessageA(view->GetHandle(), LVM_ENSUREVISIBLE, index_, partial_ok ? TRUE : FALSE);
}

void TListItem::Delete() {
  if (owner_) owner_->CheckNotSorting();
  Free(this);
}

void TListItem::SubItemsChanged() {
  if (TCustomListView* view = GetListView()) view->SyncSubItems(this);
}

// ---- TListItems -------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TListItems, TPersistent)

TListItems::TListItems(TCustomListView* owner) : owner_(owner) {}

TListItems::~TListItems() {
  std::vector<TListItem*> doomed;
  doomed.swap(items_);
  for (TListItem* item : doomed) {
    item->owner_ = nullptr;
    Free(item);
  }
}

TPersistent* TListItems::GetOwner() const { return owner_; }

void TListItems::Assign(TPersistent* source) {
  auto* other = DynamicCast<TListItems>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TListItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

TListItem* TListItems::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return items_[static_cast<size_t>(index)];
}

int TListItems::IndexOf(const TListItem* item) const {
  // By address alone: the item may be gone already.
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

int TListItems::IndexOfLive(const TListItem* item) const {
  // Its own index is right unless the list is being changed around it: emptying a long
  // list from its end must not search it once per item.
  int index = item->index_;
  if (index >= 0 && index < GetCount() && items_[static_cast<size_t>(index)] == item) return index;
  return IndexOf(item);
}

void TListItems::CheckNotSorting() const {
  if (owner_->sorting_) throw EListError("The items of a list view cannot change while it sorts them");
}

TListItem* TListItems::Insert(int index) {
  CheckNotSorting();
  index = std::clamp(index, 0, GetCount());
  auto* item = new TListItem(this);
  item->AfterConstruction();
  items_.insert(items_.begin() + index, item);
  Renumber(static_cast<size_t>(index));
  ++generation_;
  if (!owner_->InsertItemWindow(item)) {
    items_.erase(items_.begin() + item->index_);
    Renumber(static_cast<size_t>(index));
    item->owner_ = nullptr;
    Free(item);
    throw EListError("The list view did not take the new item");
  }
  owner_->ItemsMoved(static_cast<size_t>(index) + 1, 1, false);
  return item;
}

void TListItems::Delete(int index) {
  CheckNotSorting();
  Free(GetItem(index));
}

void TListItems::Clear() {
  CheckNotSorting();
  if (items_.empty()) return;
  owner_->ClearItemsWindow();
  ForgetAll();
}

void TListItems::Forget(TListItem* item) {
  int index = IndexOfLive(item);
  if (index < 0) return;
  items_.erase(items_.begin() + index);
  Renumber(static_cast<size_t>(index));
  ++generation_;
  bool had_state = item->state_ != 0;
  item->owner_ = nullptr;
  Free(item);
  owner_->ItemsMoved(static_cast<size_t>(index), -1, had_state);
}

void TListItems::ForgetAll() {
  std::vector<TListItem*> doomed;
  doomed.swap(items_);
  ++generation_;
  for (TListItem* item : doomed) {
    item->owner_ = nullptr;
    Free(item);
  }
}

void TListItems::Renumber(size_t from) {
  for (size_t i = from; i < items_.size(); ++i) items_[i]->index_ = static_cast<int>(i);
}

void TListItems::BeginUpdate() {
  if (update_count_++ == 0) owner_->BeginItemsUpdate();
}

void TListItems::EndUpdate() {
  if (update_count_ == 0) return;
  if (--update_count_ == 0) owner_->EndItemsUpdate();
}

// ---- TCustomListView: construction ------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCustomListView, TWinControl)

TK_BEGIN_MESSAGE_MAP(TCustomListView)
TK_MESSAGE(CN_NOTIFY, CNNotify)
TK_MESSAGE(LVM_DELETEITEM, LVMDeleteItem)
TK_MESSAGE(LVM_DELETEALLITEMS, LVMDeleteAllItems)
TK_MESSAGE(WM_DESTROY, WMDestroy)
TK_MESSAGE(WM_PAINT, WMPaint)
TK_MESSAGE(CM_COLORCHANGED, CMColorChanged)
TK_MESSAGE(CM_FONTCHANGED, CMFontChanged)
TK_MESSAGE(CM_WANTSPECIALKEY, CMWantSpecialKey)
TK_END_MESSAGE_MAP()

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner) {
  // The list view tracks the mouse itself and reports clicks as notifications; it shows no
  // caption.
  control_style_.Exclude(csCaptureMouse).Exclude(csClickEvents).Exclude(csSetCaption);
  SetBounds(GetLeft(), GetTop(), 250, 150);
  SetTabStop(true);
  columns_ = New<TListColumns>(this);
  items_ = New<TListItems>(this);
}

TCustomListView::~TCustomListView() {
  // The window's last notifications still reach the items.
  if (handle_) DestroyHandle();
  if (small_images_) small_images_->RemoveFreeNotification(this);
  FreeAndNil(items_);
  FreeAndNil(columns_);
  if (row_item_) Free(row_item_);
}

void TCustomListView::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  CreateSubClass(params, WC_LISTVIEWA);
  static const DWORD kViewStyles[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
  // The image lists belong to their components, not to the window.
  // The rows live in our items alone: the window is told how many there are and asks for
  // what it draws (LVS_OWNERDATA), so thousands of rows cost it nothing to take or drop.
  params.Style |= kViewStyles[view_style_] | LVS_SHAREIMAGELISTS | LVS_OWNERDATA;
  if (!multi_select_) params.Style |= LVS_SINGLESEL;
  if (!hide_selection_) params.Style |= LVS_SHOWSELALWAYS;
  if (!read_only_) params.Style |= LVS_EDITLABELS;
  if (!column_click_) params.Style |= LVS_NOSORTHEADER;
  if (border_style_ == bsSingle) AddSingleBorder(params);
  // Resizing repaints only what changed.
  params.WindowClass.style &= ~(CS_HREDRAW | CS_VREDRAW);
}

void TCustomListView::CreateWnd() {
  window_dying_ = false;
  shown_columns_.clear();
  shown_images_ = nullptr;
  inherited::CreateWnd();
  rebuilding_ = true;
  try {
    HWND window = handle_;
    ApplyExtendedStyles();
    ApplyColors();
    ApplyImages();
    for (int i = 0; i < columns_->GetCount(); ++i) SetColumnWindow(i, columns_->GetItem(i), true);
    // Filled without redrawing: each row would otherwise update the scroll bars and the
    // visible area as it comes.
    SendMessageA(window, WM_SETREDRAW, FALSE, 0);
    SendMessageA(window, LVM_SETITEMCOUNT, GetRowCount(), 0);
    ReflectStates({});
    ApplyRowMarks();
    // Made inside an update, the window draws again at its end.
    if (items_->update_count_ == 0)
      SendMessageA(window, WM_SETREDRAW, TRUE, 0);
    else
      redraw_off_ = true;
    BeginItemsUpdate();
    if (saved_top_index_ > 0 && saved_top_index_ < items_->GetCount() && view_style_ == vsReport) {
      RECT first = items_->items_[0]->DisplayRect(drBounds);
      RECT top = items_->items_[static_cast<size_t>(saved_top_index_)]->DisplayRect(drBounds);
      SendMessageA(window, LVM_SCROLL, 0, top.top - first.top);
    }
  } catch (...) {
    rebuilding_ = false;
    throw;
  }
  rebuilding_ = false;
  saved_top_index_ = 0;
}

void TCustomListView::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == small_images_) {
    small_images_ = nullptr;
    if (HandleAllocated()) ApplyImages();
  }
}

bool TCustomListView::Quiet() const {
  return rebuilding_ || window_dying_ || GetComponentState().Contains(csDestroying);
}

// ---- TCustomListView: properties --------------------------------------------------------------

void TCustomListView::SetViewStyle(TViewStyle style) {
  if (style == view_style_) return;
  view_style_ = style;
  RecreateWnd();
}

void TCustomListView::SetMultiSelect(bool multi_select) {
  if (multi_select == multi_select_) return;
  multi_select_ = multi_select;
  RecreateWnd();
}

void TCustomListView::SetReadOnly(bool read_only) {
  if (read_only == read_only_) return;
  read_only_ = read_only;
  RecreateWnd();
}

void TCustomListView::SetColumnClick(bool column_click) {
  if (column_click == column_click_) return;
  column_click_ = column_click;
  RecreateWnd();
}

void TCustomListView::SetHideSelection(bool hide_selection) {
  if (hide_selection == hide_selection_) return;
  hide_selection_ = hide_selection;
  RecreateWnd();
}

void TCustomListView::SetBorderStyle(TBorderStyle style) {
  if (style != bsNone) style = bsSingle;
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomListView::SetRowSelect(bool row_select) {
  if (row_select == row_select_) return;
  row_select_ = row_select;
  if (HandleAllocated()) ApplyExtendedStyles();
}

void TCustomListView::SetGridLines(bool grid_lines) {
  if (grid_lines == grid_lines_) return;
  grid_lines_ = grid_lines;
  if (HandleAllocated()) ApplyExtendedStyles();
}

void TCustomListView::ApplyExtendedStyles() {
  DWORD styles = (row_select_ ? LVS_EX_FULLROWSELECT : 0) | (grid_lines_ ? LVS_EX_GRIDLINES : 0);
  SendMessageA(handle_, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES, styles);
}

void TCustomListView::ApplyColors() {
  COLORREF back = ColorToRGB(GetColor());
  SendMessageA(handle_, LVM_SETBKCOLOR, 0, back);
  SendMessageA(handle_, LVM_SETTEXTBKCOLOR, 0, back);
  SendMessageA(handle_, LVM_SETTEXTCOLOR, 0, ColorToRGB(GetFont()->GetColor()));
}

void TCustomListView::ApplyImages() {
  HIMAGELIST images = small_images_ ? small_images_->GetHandle() : nullptr;
  if (images == shown_images_) return;
  SendMessageA(handle_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
  shown_images_ = images;
}

void TCustomListView::SetSortType(TSortType sort_type) {
  if (sort_type == sort_type_) return;
  sort_type_ = sort_type;
  if (sort_type_ == stNone) return;
  if (items_->update_count_ > 0)
    sort_pending_ = true;
  else
    SortItems(nullptr, 0);
}

void TCustomListView::SetSmallImages(TCustomImageList* images) {
  if (images == small_images_) return;
  if (small_images_) small_images_->RemoveFreeNotification(this);
  small_images_ = images;
  if (images) images->FreeNotification(this);
  if (HandleAllocated()) ApplyImages();
}

// ---- TCustomListView: owner data ---------------------------------------------------------------

void TCustomListView::SetOwnerData(bool owner_data) {
  if (owner_data == owner_data_) return;
  items_->Clear();
  row_data_.clear();
  row_marks_.clear();
  owner_data_ = owner_data;
  SetWindowRowCount(0);
}

int TCustomListView::GetRowCount() const {
  return owner_data_ ? static_cast<int>(row_data_.size()) : items_->GetCount();
}

void TCustomListView::SetRowData(std::vector<void*> data) {
  if (!owner_data_) throw EInvalidOperation("The list view has items of its own");
  if (sorting_) throw EListError("The items of a list view cannot change while it sorts them");
  row_data_ = std::move(data);
  SetWindowRowCount(GetRowCount());
}

void TCustomListView::SetWindowRowCount(int count) {
  if (!HandleAllocated() || window_dying_) return;
  // As at the end of an update: the bars are set once, with the window's drawing held.
  const bool recount = SendMessageA(handle_, LVM_GETITEMCOUNT, 0, 0) != count;
  const bool held = recount && IsWindowVisible(handle_);
  if (held) DefWindowProcA(handle_, WM_SETREDRAW, FALSE, 0);
  if (recount) SendMessageA(handle_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  if (held) DefWindowProcA(handle_, WM_SETREDRAW, TRUE, 0);
  RedrawWindow(handle_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | (held ? RDW_FRAME | RDW_ALLCHILDREN : 0));
}

TListItem* TCustomListView::RowItem(int row) const {
  if (row < 0 || row >= GetRowCount()) return nullptr;
  auto* self = const_cast<TCustomListView*>(this);
  if (!row_item_) self->row_item_ = new TListItem(nullptr);
  TListItem* item = row_item_;
  item->caption_.clear();
  item->sub_items_->Clear();
  item->image_index_ = -1;
  item->index_ = row;
  item->data_ = row_data_[static_cast<size_t>(row)];
  self->OnData(self, item);
  return item;
}

std::vector<int> TCustomListView::GetSelectedRows() const {
  if (!owner_data_) return {};
  if (!HandleAllocated() || window_dying_) return row_marks_;
  std::vector<int> rows;
  for (int row = -1;;) {
    row = static_cast<int>(SendMessageA(handle_, LVM_GETNEXTITEM, static_cast<WPARAM>(row), LVNI_SELECTED));
    if (row < 0 || (!rows.empty() && row <= rows.back())) break;
    rows.push_back(row);
  }
  return rows;
}

void TCustomListView::SetSelectedRows(const std::vector<int>& rows) {
  if (!owner_data_) return;
  std::vector<int> sorted = rows;
  std::sort(sorted.begin(), sorted.end());
  row_marks_.clear();
  for (int row : sorted)
    if (row >= 0 && row < GetRowCount() && (row_marks_.empty() || row > row_marks_.back()))
      row_marks_.push_back(row);
  if (!multi_select_ && row_marks_.size() > 1) row_marks_.resize(1);
  if (HandleAllocated() && !window_dying_) ApplyRowMarks();
}

void TCustomListView::ApplyRowMarks() {
  if (!owner_data_) return;
  bool outer = reflecting_;
  reflecting_ = true;
  try {
    // All rows lose their selection in one message (the window keeps ranges, not rows).
    LVITEMA state{};
    state.stateMask = LVIS_SELECTED;
    SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
    state.state = LVIS_SELECTED;
    for (int row : row_marks_)
      SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&state));
    const auto focused =
        static_cast<int>(SendMessageA(handle_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    if (!row_marks_.empty() && !std::binary_search(row_marks_.begin(), row_marks_.end(), focused)) {
      // The focus mark goes with the selection.
      state.stateMask = state.state = LVIS_FOCUSED;
      SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(row_marks_.front()),
                   reinterpret_cast<LPARAM>(&state));
    }
  } catch (...) {
    reflecting_ = outer;
    throw;
  }
  reflecting_ = outer;
  row_marks_.clear();
}

// ---- TCustomListView: selection and geometry ---------------------------------------------------

TListItem* TCustomListView::GetNextItem(TListItem* start, UINT mask) const {
  int from = start && start->owner_ == items_ ? start->index_ : -1;
  UINT wanted = ((mask & LVNI_SELECTED) ? LVIS_SELECTED : 0) | ((mask & LVNI_FOCUSED) ? LVIS_FOCUSED : 0);
  for (size_t i = static_cast<size_t>(from + 1); i < items_->items_.size(); ++i)
    if ((items_->items_[i]->state_ & wanted) == wanted) return items_->items_[i];
  return nullptr;
}

TListItem* TCustomListView::GetSelected() const { return GetNextItem(nullptr, LVNI_SELECTED); }

void TCustomListView::SetSelected(TListItem* item) {
  if (item && item->owner_ != items_) throw EInvalidOperation("The item belongs to another list");
  if (HandleAllocated() && !window_dying_) {
    // Row by row: taking the selection from all rows at once costs the window a
    // notification per row.
    std::vector<TListItem*> selected;
    for (TListItem* other : items_->items_)
      if (other != item && (other->state_ & LVIS_SELECTED)) selected.push_back(other);
    for (TListItem* other : selected)
      if (other->owner_ == items_) other->SetSelected(false);
    if (item) {
      item->SetFocused(true);
      item->SetSelected(true);
    }
    return;
  }
  for (TListItem* other : items_->items_) other->state_ &= ~static_cast<UINT>(LVIS_SELECTED);
  if (item) {
    item->SetFocused(true);
    item->state_ |= LVIS_SELECTED;
  }
}

int TCustomListView::GetSelCount() const {
  return static_cast<int>(std::count_if(items_->items_.begin(), items_->items_.end(),
                                        [](TListItem* item) { return (item->state_ & LVIS_SELECTED) != 0; }));
}

int TCustomListView::GetItemIndex() const {
  TListItem* item = GetSelected();
  return item ? item->index_ : -1;
}

void TCustomListView::SetItemIndex(int index) {
  SetSelected(index >= 0 && index < items_->GetCount() ? items_->items_[static_cast<size_t>(index)]
                                                       : nullptr);
}

TListItem* TCustomListView::GetItemFocused() const { return GetNextItem(nullptr, LVNI_FOCUSED); }

void TCustomListView::SetItemFocused(TListItem* item) {
  if (item && item->owner_ != items_) throw EInvalidOperation("The item belongs to another list");
  if (item)
    item->SetFocused(true);
  else if (TListItem* focused = GetItemFocused())
    focused->SetFocused(false);
}

TListItem* TCustomListView::GetTopItem() const {
  if (!HandleAllocated() || window_dying_ || items_->GetCount() == 0) return nullptr;
  auto index = static_cast<int>(SendMessageA(handle_, LVM_GETTOPINDEX, 0, 0));
  return index >= 0 && index < items_->GetCount() ? items_->items_[static_cast<size_t>(index)] : nullptr;
}

TListItem* TCustomListView::GetItemAt(int x, int y) const {
  if (!HandleAllocated() || window_dying_) return nullptr;
  LVHITTESTINFO hit{};
  hit.pt = {x, y};
  auto index = static_cast<int>(SendMessageA(handle_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  if (index < 0 || index >= items_->GetCount() || !(hit.flags & LVHT_ONITEM)) return nullptr;
  return items_->items_[static_cast<size_t>(index)];
}

HWND TCustomListView::GetHeaderHandle() {
  return reinterpret_cast<HWND>(SendMessageA(GetHandle(), LVM_GETHEADER, 0, 0));
}

void TCustomListView::Scroll(int dx, int dy) {
  if (HandleAllocated() && !window_dying_) SendMessageA(handle_, LVM_SCROLL, dx, dy);
}

void TCustomListView::DeleteSelected() {
  items_->CheckNotSorting();
  std::vector<TListItem*> doomed;
  for (TListItem* item = GetNextItem(nullptr, LVNI_SELECTED); item; item = GetNextItem(item, LVNI_SELECTED))
    doomed.push_back(item);
  if (doomed.empty()) return;
  items_->BeginUpdate();
  try {
    // From the end, so the rows before keep their positions; an item that a handler has
    // removed meanwhile is skipped.
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it)
      if (items_->IndexOf(*it) >= 0) Free(*it);
  } catch (...) {
    items_->EndUpdate();
    throw;
  }
  items_->EndUpdate();
}

// ---- TCustomListView: sorting ------------------------------------------------------------------

bool TCustomListView::AlphaSort() { return CustomSort(nullptr, 0); }

bool TCustomListView::CustomSort(TLVCompare compare, intptr_t data) {
  SortItems(compare, data);
  return true;
}

namespace {

// Mostly the rows were sorted before and a few came after them (a heat's lanes, a new
// participant): the sorted head is kept and the rest sorted and put in, some one comparison
// a row instead of log n. Equal rows keep their order as in a stable sort of the whole.
template <class T, class Less>
void SortAfterSortedHead(std::vector<T>& order, Less less) {
  auto tail = std::is_sorted_until(order.begin(), order.end(), less);
  // Rows in the reverse order (a list saved the other way round) are turned over: strictly
  // descending, so no equal rows change their order.
  auto not_above = [&](const T& a, const T& b) { return !less(b, a); };
  if (std::adjacent_find(tail, order.end(), not_above) == order.end()) std::reverse(tail, order.end());
  std::stable_sort(tail, order.end(), less);
  const size_t head = static_cast<size_t>(tail - order.begin()), rest = order.size() - head;
  if (rest * 32 >= head) {
    std::inplace_merge(order.begin(), tail, order.end(), less);
    return;
  }
  // A few rows: each finds its place in the head by halving, after its equals; the head
  // is moved once, not once a row.
  std::vector<T> merged;
  merged.reserve(order.size());
  auto from = order.begin();
  for (auto row = order.begin() + static_cast<std::ptrdiff_t>(head); row != order.end(); ++row) {
    auto at = std::upper_bound(from, order.begin() + static_cast<std::ptrdiff_t>(head), *row, less);
    merged.insert(merged.end(), std::make_move_iterator(from), std::make_move_iterator(at));
    merged.push_back(std::move(*row));
    from = at;
  }
  merged.insert(merged.end(), std::make_move_iterator(from),
                std::make_move_iterator(order.begin() + static_cast<std::ptrdiff_t>(head)));
  order = std::move(merged);
}

}  // namespace

void TCustomListView::SortItems(TLVCompare compare, intptr_t data) {
  sort_pending_ = false;
  if (owner_data_) return SortRowData();
  auto compare_items = [&](TListItem* a, TListItem* b) {
    if (compare) return compare(a, b, data);
    if (OnCompare) {
      int result = 0;
      OnCompare(this, a, b, data, result);
      return result;
    }
    return AnsiCompareStrLocale(a->caption_, b->caption_);
  };
  // A copy is sorted: a comparison that raises leaves the list as it was.
  std::vector<TListItem*> order = items_->items_;
  // The rows the window marks now.
  std::vector<int> marked;
  for (TListItem* item : order)
    if (item->state_) marked.push_back(item->index_);
  unsigned generation = items_->generation_;
  sorting_ = true;
  try {
    SortAfterSortedHead(order, [&](TListItem* a, TListItem* b) { return compare_items(a, b) < 0; });
  } catch (...) {
    sorting_ = false;
    throw;
  }
  sorting_ = false;
  if (items_->generation_ != generation)
    throw EListError("The items of a list view changed while it sorted them");
  items_->items_ = std::move(order);
  items_->Renumber(0);
  if (!HandleAllocated() || window_dying_) return;
  // The window keeps only the positions of the selection and the focus: they follow the
  // items. The rows are drawn again from the items (an update draws everything at its end).
  if (Deferring()) {
    marks_dirty_ = marks_dirty_ || !marked.empty();
    return;
  }
  if (!marked.empty()) ReflectStates(marked);
  InvalidateRect(handle_, nullptr, FALSE);
}

void TCustomListView::SortRowData() {
  // Two passing items carry the data to OnCompare; a comparison that raises leaves the rows.
  auto* first = new TListItem(nullptr);
  auto* second = new TListItem(nullptr);
  auto less = [&](void* a, void* b) {
    int result = 0;
    if (OnCompare) {
      first->data_ = a;
      second->data_ = b;
      OnCompare(this, first, second, 0, result);
    }
    return result < 0;
  };
  std::vector<void*> order = row_data_;
  sorting_ = true;
  try {
    SortAfterSortedHead(order, less);
  } catch (...) {
    sorting_ = false;
    Free(first);
    Free(second);
    throw;
  }
  sorting_ = false;
  Free(first);
  Free(second);
  row_data_ = std::move(order);
  if (HandleAllocated() && !window_dying_ && !Deferring()) InvalidateRect(handle_, nullptr, FALSE);
}

void TCustomListView::AutoSort(bool text_changed) {
  bool wanted = sort_type_ == stBoth || (text_changed ? sort_type_ == stText : sort_type_ == stData);
  if (!wanted || sorting_) return;
  if (items_->update_count_ > 0)
    sort_pending_ = true;
  else
    SortItems(nullptr, 0);
}

void TCustomListView::BeginItemsUpdate() {
  // While updating, the window hears nothing of the items: no row count, no marks, no
  // redraw (switching the window's redrawing off and on again costs it a full layout and
  // painting). The marks it has now are where the items with a state are.
  update_marks_.clear();
  marks_dirty_ = false;
  for (TListItem* item : items_->items_)
    if (item->state_) update_marks_.push_back(item->index_);
}

bool TCustomListView::Deferring() const {
  return items_->update_count_ > 0 && HandleAllocated() && !window_dying_;
}

void TCustomListView::SetStateDeferred(TListItem* item, UINT mask, bool on) {
  // As the window would: one focused item, one selected unless MultiSelect; each item that
  // changed is reported.
  std::vector<TListItem*> changed;
  auto set = [&](TListItem* row, UINT state) {
    if (state == row->state_) return;
    row->state_ = state;
    changed.push_back(row);
  };
  if (on && (mask == LVIS_FOCUSED || !multi_select_))
    for (TListItem* other : items_->items_)
      if (other != item && (other->state_ & mask)) set(other, other->state_ & ~mask);
  set(item, on ? (item->state_ | mask) : (item->state_ & ~mask));
  if (changed.empty()) return;
  marks_dirty_ = true;
  if (Quiet()) return;
  const unsigned generation = items_->generation_;
  for (TListItem* row : changed) {
    if (items_->generation_ != generation && items_->IndexOf(row) < 0) continue;
    Change(row, ctState);
    if (mask & LVIS_SELECTED) DoSelectItem(row, (row->state_ & LVIS_SELECTED) != 0);
  }
}

void TCustomListView::EndItemsUpdate() {
  auto redraw = [this] {
    if (!HandleAllocated() || window_dying_) return;
    // The window learns the row count and the marks once for the whole update.
    const int count = items_->GetCount();
    const bool recount = SendMessageA(handle_, LVM_GETITEMCOUNT, 0, 0) != count;
    // For a new count the list view sets both scroll bars twice over and paints them each
    // time (under Wine a themed bar costs some twenty server round trips a paint). The
    // window's drawing is held meanwhile (the system's, not the list view's own redraw
    // switch, which would skip the bars' update) and the whole window painted once below.
    const bool held = recount && IsWindowVisible(handle_);
    if (held) DefWindowProcA(handle_, WM_SETREDRAW, FALSE, 0);
    try {
      if (recount) SendMessageA(handle_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
      if (marks_dirty_) ReflectStates(update_marks_);
    } catch (...) {
      if (held) DefWindowProcA(handle_, WM_SETREDRAW, TRUE, 0);
      throw;
    }
    if (held) DefWindowProcA(handle_, WM_SETREDRAW, TRUE, 0);
    marks_dirty_ = false;
    update_marks_.clear();
    if (redraw_off_) SendMessageA(handle_, WM_SETREDRAW, TRUE, 0);
    redraw_off_ = false;
    RedrawWindow(handle_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | (held ? RDW_FRAME | RDW_ALLCHILDREN : 0));
  };
  try {
    if (sort_pending_) SortItems(nullptr, 0);
  } catch (...) {
    redraw();  // a failed sort must not leave the list without painting
    throw;
  }
  redraw();
}

// ---- TCustomListView: the window's items and columns -------------------------------------------

bool TCustomListView::InsertItemWindow(TListItem* item) {
  if (!HandleAllocated() || window_dying_) return true;
  if (Deferring()) {
    marks_dirty_ = marks_dirty_ || item->state_ != 0;
    return true;
  }
  // The window only counts the rows (LVS_OWNERDATA): it asks for texts and images when it
  // draws them (LVN_GETDISPINFO), so setting a caption is no message to the window, which
  // matters when thousands are renumbered at once. The count (not LVM_INSERTITEM, which
  // leaves the scroll bars as they were) lays the rows out again, keeping the scroll position.
  const int count = items_->GetCount();
  SendMessageA(handle_, LVM_SETITEMCOUNT, count, LVSICF_NOSCROLL | LVSICF_NOINVALIDATEALL);
  if (SendMessageA(handle_, LVM_GETITEMCOUNT, 0, 0) != count) return false;
  if (item->state_) ReflectState(item);
  return true;
}

void TCustomListView::DeleteItemWindow(TListItem* item) {
  if (!HandleAllocated() || window_dying_ || Deferring()) return;
  TListItem* outer = deleting_;
  deleting_ = item;
  SendMessageA(handle_, LVM_DELETEITEM, item->index_, 0);
  deleting_ = outer;
}

void TCustomListView::ClearItemsWindow() {
  if (!HandleAllocated() || window_dying_) return;
  clearing_ = true;
  SendMessageA(handle_, LVM_DELETEALLITEMS, 0, 0);
  clearing_ = false;
}

void TCustomListView::RedrawItemWindow(TListItem* item) {
  if (HandleAllocated() && !window_dying_ && item->index_ >= 0 && items_->update_count_ == 0)
    SendMessageA(handle_, LVM_REDRAWITEMS, item->index_, item->index_);
}

void TCustomListView::SetItemTextWindow(TListItem* item) {
  if (!HandleAllocated() || window_dying_ || item->index_ < 0) return;
  // The caption is asked for (see InsertItemWindow): the row is only drawn again, and only
  // when the list is not being updated (its end draws everything).
  if (items_->update_count_ == 0) SendMessageA(handle_, LVM_REDRAWITEMS, item->index_, item->index_);
  if (!Quiet()) Change(item, ctText);
}

void TCustomListView::SyncSubItems(TListItem* item) {
  // Sub-item texts are asked for like captions: a changed one only redraws its row.
  if (!HandleAllocated() || window_dying_ || item->index_ < 0 || item->owner_ != items_) return;
  RedrawItemWindow(item);
  if (!Quiet()) Change(item, ctText);
}

int TCustomListView::ShownColumnIndex(const TListColumn* column) const {
  auto it = std::find(shown_columns_.begin(), shown_columns_.end(), column);
  return it == shown_columns_.end() ? -1 : static_cast<int>(it - shown_columns_.begin());
}

void TCustomListView::ColumnGone(TListColumn* column) {
  // The window still shows it: the next change of the columns builds them again.
  std::replace(shown_columns_.begin(), shown_columns_.end(), column, static_cast<TListColumn*>(nullptr));
}

void TCustomListView::SetColumnWindow(int index, TListColumn* column, bool insert) {
  LVCOLUMNA info{};
  info.mask = LVCF_TEXT | LVCF_FMT | LVCF_SUBITEM;
  info.fmt = ColumnFormat(column->alignment_);
  info.pszText = const_cast<char*>(column->caption_.c_str());
  info.iSubItem = index;
  if (!insert) {
    // The width stays as the window has it (the user may have dragged it).
    SendMessageA(handle_, LVM_SETCOLUMNA, index, reinterpret_cast<LPARAM>(&info));
    return;
  }
  info.mask |= LVCF_WIDTH;
  info.cx = column->width_;
  auto at =
      static_cast<int>(SendMessageA(handle_, LVM_INSERTCOLUMNA, index, reinterpret_cast<LPARAM>(&info)));
  if (at < 0) return;
  size_t position = std::min(static_cast<size_t>(at), shown_columns_.size());
  shown_columns_.insert(shown_columns_.begin() + static_cast<std::ptrdiff_t>(position), column);
}

void TCustomListView::RebuildColumns() {
  for (int i = static_cast<int>(shown_columns_.size()) - 1; i >= 0; --i) {
    if (TListColumn* column = shown_columns_[static_cast<size_t>(i)])
      column->width_ = static_cast<int>(SendMessageA(handle_, LVM_GETCOLUMNWIDTH, i, 0));
    SendMessageA(handle_, LVM_DELETECOLUMN, i, 0);
  }
  shown_columns_.clear();
  for (int i = 0; i < columns_->GetCount(); ++i) SetColumnWindow(i, columns_->GetItem(i), true);
}

void TCustomListView::ColumnsChanged(TListColumn* column) {
  if (!HandleAllocated() || window_dying_) return;
  if (column) {
    int index = ShownColumnIndex(column);
    if (index >= 0) SetColumnWindow(index, column, false);
    return;
  }
  // Columns came, went or moved. Appended ones are simply added; anything else builds the
  // window's columns again.
  auto count = static_cast<size_t>(columns_->GetCount());
  bool appended = shown_columns_.size() <= count;
  for (size_t i = 0; appended && i < shown_columns_.size(); ++i)
    appended = shown_columns_[i] == columns_->GetItem(static_cast<int>(i));
  if (appended) {
    for (size_t i = shown_columns_.size(); i < count; ++i) {
      TListColumn* added = columns_->GetItem(static_cast<int>(i));
      // A column still being built comes with its own announcement.
      if (!added->Is<TListColumn>()) break;
      SetColumnWindow(static_cast<int>(i), added, true);
    }
  } else {
    RebuildColumns();
  }
  // The rows show other texts in the columns now.
  if (items_->update_count_ == 0) InvalidateRect(handle_, nullptr, FALSE);
}

// ---- TCustomListView: the window's life ------------------------------------------------------

void TCustomListView::SaveWindowState() {
  // The window goes while the items stay: keep what the user changed in it (the items
  // hold their selection and focus themselves).
  for (size_t i = 0; i < shown_columns_.size(); ++i)
    if (TListColumn* column = shown_columns_[i])
      column->width_ = static_cast<int>(SendMessageA(handle_, LVM_GETCOLUMNWIDTH, i, 0));
  saved_top_index_ = static_cast<int>(SendMessageA(handle_, LVM_GETTOPINDEX, 0, 0));
  if (owner_data_) row_marks_ = GetSelectedRows();
}

void TCustomListView::WMDestroy(TMessage& message) {
  if (!GetComponentState().Contains(csDestroying)) SaveWindowState();
  window_dying_ = true;
  TK_INHERITED(message);
}

void TCustomListView::WMPaint(TMessage& message) {
  // The image list makes a new handle when its size changes.
  if (small_images_) ApplyImages();
  TK_INHERITED(message);
}

void TCustomListView::CMColorChanged(TMessage& message) {
  TK_INHERITED(message);
  if (HandleAllocated()) {
    ApplyColors();
    Invalidate();
  }
}

void TCustomListView::CMFontChanged(TMessage& message) {
  TK_INHERITED(message);
  if (HandleAllocated()) ApplyColors();
}

void TCustomListView::CMWantSpecialKey(TMessage& message) {
  // While a caption is edited, Enter and Escape end the editing instead of pressing buttons.
  bool editing = HandleAllocated() && SendMessageA(handle_, LVM_GETEDITCONTROL, 0, 0) != 0;
  if (editing && (message.WParam == VK_RETURN || message.WParam == VK_ESCAPE))
    message.Result = 1;
  else
    TK_INHERITED(message);
}

// ---- TCustomListView: notifications ----------------------------------------------------------

TListItem* TCustomListView::ItemOfNotification(int index) const {
  return index >= 0 && index < items_->GetCount() ? items_->items_[static_cast<size_t>(index)] : nullptr;
}

void TCustomListView::CNNotify(TMessage& message) {
  auto* header = reinterpret_cast<NMHDR*>(message.LParam);
  switch (header->code) {
    case LVN_DELETEALLITEMS:
      // No LVN_DELETEITEM for each row (TRUE); the items go with LVM_DELETEALLITEMS itself.
      message.Result = TRUE;
      break;
    case LVN_ITEMCHANGED: ItemChanged(*reinterpret_cast<NMLISTVIEW*>(header)); break;
    case LVN_ODSTATECHANGED: RangeStateChanged(*reinterpret_cast<NMLVODSTATECHANGE*>(header)); break;
    case LVN_GETDISPINFOA:
    case LVN_GETDISPINFOW: GetDispInfo(*reinterpret_cast<NMLVDISPINFOA*>(header)); break;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW: message.Result = FindItem(*reinterpret_cast<NMLVFINDITEMA*>(header)); break;
    case LVN_COLUMNCLICK: {
      auto* info = reinterpret_cast<NMLISTVIEW*>(header);
      if (info->iSubItem >= 0 && static_cast<size_t>(info->iSubItem) < shown_columns_.size())
        if (TListColumn* column = shown_columns_[static_cast<size_t>(info->iSubItem)]) ColClick(column);
      break;
    }
    case LVN_BEGINLABELEDITA:
    case LVN_BEGINLABELEDITW: message.Result = read_only_ ? TRUE : FALSE; break;
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
      // The caption is set here; FALSE keeps the window from taking the text itself.
      auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
      TListItem* item = ItemOfNotification(info->item.iItem);
      if (item && info->item.pszText) {
        item->SetCaption(header->code == LVN_ENDLABELEDITA
                             ? std::string(info->item.pszText)
                             : FromWide(reinterpret_cast<NMLVDISPINFOW*>(header)->item.pszText));
      }
      message.Result = FALSE;
      break;
    }
    case NM_CLICK:
      if (!Quiet()) Click();
      break;
    case NM_DBLCLK:
      if (!Quiet()) DblClick();
      break;
    default: break;
  }
}

void TCustomListView::ItemChanged(const NMLISTVIEW& info) {
  if (window_dying_ || reflecting_) return;
  const UINT changed = (info.uOldState ^ info.uNewState) & (LVIS_SELECTED | LVIS_FOCUSED);
  if (info.iItem < 0 && (info.uChanged & LVIF_STATE)) {
    // The window changed the marks of all rows at once: each item whose state changed is
    // reported as the window reports a single row.
    RowsChanged(0, items_->GetCount() - 1, changed, info.uNewState);
    return;
  }
  TListItem* item = info.iItem < 0 ? nullptr : ItemOfNotification(info.iItem);
  if (info.iItem >= 0 && !item) return;
  if (item && (info.uChanged & LVIF_STATE))
    item->state_ = (item->state_ & ~changed) | (info.uNewState & changed);
  if (Quiet()) return;
  if (info.uChanged & LVIF_STATE) {
    Change(item, ctState);
    if (changed & LVIS_SELECTED) DoSelectItem(item, (info.uNewState & LVIS_SELECTED) != 0);
  } else if (info.uChanged & LVIF_TEXT) {
    Change(item, ctText);
  } else if (info.uChanged & LVIF_IMAGE) {
    Change(item, ctImage);
  }
}

void TCustomListView::RangeStateChanged(const NMLVODSTATECHANGE& info) {
  if (window_dying_ || reflecting_) return;
  // A range of rows changed at once (shift-click).
  RowsChanged(info.iFrom, info.iTo, (info.uOldState ^ info.uNewState) & (LVIS_SELECTED | LVIS_FOCUSED),
              info.uNewState);
}

void TCustomListView::RowsChanged(int from, int to, UINT mask, UINT new_state) {
  const int last = std::min(to, items_->GetCount() - 1);
  std::vector<TListItem*> changed;
  for (int i = std::max(from, 0); i <= last; ++i) {
    TListItem* item = items_->items_[static_cast<size_t>(i)];
    const UINT state = (item->state_ & ~mask) | (new_state & mask);
    if (state == item->state_) continue;
    changed.push_back(item);
    item->state_ = state;
  }
  if (Quiet()) return;
  const unsigned generation = items_->generation_;
  for (TListItem* item : changed) {
    // A handler may have removed items meanwhile.
    if (items_->generation_ != generation && items_->IndexOf(item) < 0) continue;
    Change(item, ctState);
    if (mask & LVIS_SELECTED) DoSelectItem(item, (item->state_ & LVIS_SELECTED) != 0);
  }
}

void TCustomListView::GetDispInfo(NMLVDISPINFOA& info) {
  TListItem* item = owner_data_ ? RowItem(info.item.iItem) : ItemOfNotification(info.item.iItem);
  if (!item) return;
  if ((info.item.mask & LVIF_IMAGE) && info.item.iSubItem == 0) info.item.iImage = item->image_index_;
  if (!(info.item.mask & LVIF_TEXT) || info.item.iSubItem < 0 || info.item.cchTextMax <= 0) return;
  const int sub = info.item.iSubItem;
  std::string text;
  if (sub == 0)
    text = item->caption_;
  else if (sub - 1 < item->sub_items_->Count())
    text = item->sub_items_->Get(sub - 1);
  if (info.hdr.code == LVN_GETDISPINFOA) {
    lstrcpynA(info.item.pszText, text.c_str(), info.item.cchTextMax);
  } else {
    auto& wide = reinterpret_cast<NMLVDISPINFOW&>(info);
    lstrcpynW(wide.item.pszText, ToWide(text).c_str(), wide.item.cchTextMax);
  }
}

LRESULT TCustomListView::FindItem(const NMLVFINDITEMA& find) {
  // Typing in the list looks for the next caption that begins with (or is) what was typed.
  const LVFINDINFOA& info = find.lvfi;
  if (!(info.flags & (LVFI_STRING | LVFI_PARTIAL)) || !info.psz) return -1;
  const std::string wanted = find.hdr.code == LVN_ODFINDITEMA
                                 ? std::string(info.psz)
                                 : FromWide(reinterpret_cast<const NMLVFINDITEMW&>(find).lvfi.psz);
  const int count = GetRowCount();
  if (count == 0) return -1;
  const int start = find.iStart >= 0 && find.iStart < count ? find.iStart : 0;
  const bool partial = (info.flags & LVFI_PARTIAL) != 0;
  for (int n = 0; n < count; ++n) {
    const int i = start + n;
    if (i >= count && !(info.flags & LVFI_WRAP)) break;
    const TListItem* row = owner_data_ ? RowItem(i % count) : items_->items_[static_cast<size_t>(i % count)];
    if (!row) continue;
    const std::string& caption = row->caption_;
    const std::string head = partial ? caption.substr(0, wanted.size()) : caption;
    if (AnsiCompareText(head, wanted) == 0) return i % count;
  }
  return -1;
}

void TCustomListView::ReflectState(TListItem* item) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = item->state_ & state.stateMask;
  SendMessageA(handle_, LVM_SETITEMSTATE, item->index_, reinterpret_cast<LPARAM>(&state));
}

void TCustomListView::ReflectStates(const std::vector<int>& stale) {
  if (!HandleAllocated() || window_dying_) return;
  // The window marks rows by their positions: after rows moved, the marks it has (stale) are
  // taken away and set again from the items, without events (no item changed its state).
  // Row by row: taking away all marks at once costs the window a notification per row.
  bool outer = reflecting_;
  reflecting_ = true;
  try {
    LVITEMA none{};
    none.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    for (int row : stale)
      if (row >= 0 && row < items_->GetCount())
        SendMessageA(handle_, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&none));
    for (TListItem* item : items_->items_)
      if (item->state_) ReflectState(item);
  } catch (...) {
    reflecting_ = outer;
    throw;
  }
  reflecting_ = outer;
}

void TCustomListView::ItemsMoved(size_t from, int delta, bool state_lost) {
  if (!HandleAllocated() || window_dying_) return;
  if (Deferring()) {
    // The end of the update sets the marks from the items.
    const std::vector<TListItem*>& rows = items_->items_;
    for (size_t i = from; !marks_dirty_ && i < rows.size(); ++i) marks_dirty_ = rows[i]->state_ != 0;
    marks_dirty_ = marks_dirty_ || state_lost;
    return;
  }
  // Whether the window moved its marks along is its own affair: both the old and the new
  // position of a marked item count as stale, and so does the place of a marked row that went.
  std::vector<int> stale;
  if (state_lost) stale.push_back(static_cast<int>(from));
  const std::vector<TListItem*>& rows = items_->items_;
  for (size_t i = from; i < rows.size(); ++i) {
    if (!rows[i]->state_) continue;
    stale.push_back(static_cast<int>(i) - delta);
    stale.push_back(static_cast<int>(i));
  }
  if (!stale.empty()) ReflectStates(stale);
}

void TCustomListView::LVMDeleteItem(TMessage& message) {
  const auto index = static_cast<int>(message.WParam);
  TK_INHERITED(message);
  // A row deleted by someone else than the items takes its item along.
  if (deleting_ || clearing_ || window_dying_ || GetComponentState().Contains(csDestroying) ||
      !message.Result)
    return;
  if (index >= 0 && index < items_->GetCount()) items_->Forget(items_->items_[static_cast<size_t>(index)]);
}

void TCustomListView::LVMDeleteAllItems(TMessage& message) {
  TK_INHERITED(message);
  if (clearing_ || window_dying_ || GetComponentState().Contains(csDestroying)) return;
  items_->ForgetAll();
}

void TCustomListView::Change(TListItem* item, TItemChange change) { OnChange(this, item, change); }

void TCustomListView::DoSelectItem(TListItem* item, bool selected) { OnSelectItem(this, item, selected); }

void TCustomListView::ColClick(TListColumn* column) { OnColumnClick(this, column); }

// ---- TListView --------------------------------------------------------------------------------

TK_CLASS_INFO(TListView, TCustomListView)

void TListView::Publish(TPublisher<TListView>& p) {
  p.Enumeration("BorderStyle", ListBorderStyleInfo(), &TListView::GetBorderStyle, &TListView::SetBorderStyle)
      .Default(bsSingle);
  p.Collection("Columns", &TListView::GetColumns, &TListView::SetColumns);
  p.Boolean("ColumnClick", &TListView::GetColumnClick, &TListView::SetColumnClick).Default(true);
  p.Boolean("GridLines", &TListView::GetGridLines, &TListView::SetGridLines).Default(false);
  p.Boolean("HideSelection", &TListView::GetHideSelection, &TListView::SetHideSelection).Default(true);
  p.Boolean("MultiSelect", &TListView::GetMultiSelect, &TListView::SetMultiSelect).Default(false);
  p.Boolean("OwnerData", &TListView::GetOwnerData, &TListView::SetOwnerData).Default(false);
  p.Boolean("ReadOnly", &TListView::GetReadOnly, &TListView::SetReadOnly).Default(false);
  p.Boolean("RowSelect", &TListView::GetRowSelect, &TListView::SetRowSelect).Default(false);
  p.Object("SmallImages", &TListView::GetSmallImages, &TListView::SetSmallImages);
  p.Enumeration("SortType", SortTypeInfo(), &TListView::GetSortType, &TListView::SetSortType).Default(stNone);
  p.Enumeration("ViewStyle", ViewStyleInfo(), &TListView::GetViewStyle, &TListView::SetViewStyle)
      .Default(vsIcon);
  p.Event("OnChange", &TListView::OnChange);
  p.Event("OnColumnClick", &TListView::OnColumnClick);
  p.Event("OnCompare", &TListView::OnCompare);
  p.Event("OnData", &TListView::OnData);
  p.Event("OnSelectItem", &TListView::OnSelectItem);
}

void RegisterListViewClasses() { RegisterClasses({TListView::StaticClass()}); }
