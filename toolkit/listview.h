// List views: the common controls' list view (report style above all) with a collection of
// columns and items that keep their texts in our objects. Every item and state operation is
// a message sent to the control's own window, so a subclass of its window procedure sees
// LVM_SETITEMCOUNT for a new row, LVM_DELETEITEM, LVM_DELETEALLITEMS and LVM_SETITEMSTATE.
//
// The window holds no rows of its own (LVS_OWNERDATA): it knows their count, the selection
// and the focus, and asks the items for texts and images when it draws them or is asked for
// them (LVM_GETITEMTEXT). Reading a caption, a sub-item or a state never asks the window.
// Columns and the item count are put into the window when it is created, so RecreateWnd
// keeps them, with the selection, the focused item and the column widths the user dragged.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/collections.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/strings.h"

class TCustomImageList;
class TCustomListView;
class TListItem;
class TListItems;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
// What an automatic sort (after a caption or Data change) follows; AlphaSort sorts always.
enum TSortType { stNone, stData, stText, stBoth };
enum TItemChange { ctText, ctImage, ctState };
// Parts of an item's rectangle: the whole row (report view), the icon, the caption's label,
// the icon and label together.
enum TDisplayCode { drBounds, drIcon, drLabel, drSelectBounds };
// The frame of the list: bsNone or bsSingle (the sunken client edge).
using TBorderStyle = TFormBorderStyle;

// compare < 0 puts item1 first.
using TLVCompareEvent = TEvent<TObject* /*sender*/, TListItem* /*item1*/, TListItem* /*item2*/,
                               intptr_t /*data*/, int& /*compare*/>;
using TLVCompare = int (*)(TListItem* item1, TListItem* item2, intptr_t data);
// A change of the marks of many rows at once is reported for each item that changed; item
// is null only when the window reports another change of every item at once.
using TLVChangeEvent = TEvent<TObject* /*sender*/, TListItem* /*item*/, TItemChange /*change*/>;
using TLVSelectItemEvent = TEvent<TObject* /*sender*/, TListItem* /*item*/, bool /*selected*/>;
// Owner data: fills the passing item with the texts of the row at its index (its Data is the
// row's data).
using TLVOwnerDataEvent = TEvent<TObject* /*sender*/, TListItem* /*item*/>;
class TListColumn;
using TLVColumnClickEvent = TEvent<TObject* /*sender*/, TListColumn* /*column*/>;

// ---- Columns ----------------------------------------------------------------------------------

class TListColumn : public TCollectionItem {
  TK_CLASS(TListColumn, TCollectionItem)

 public:
  explicit TListColumn(TCollection* collection);
  ~TListColumn() override;
  // Announces the finished column (the collection heard of it before it was built).
  void AfterConstruction() override;

  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Read from the window while it shows the column: the user may have dragged the divider.
  int GetWidth() const;
  void SetWidth(int width);
  // The first column is always left-justified by the system.
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);

  TCustomListView* GetListView() const;

 private:
  friend class TCustomListView;
  static void Publish(TPublisher<TListColumn>& p);

  std::string caption_;
  int width_ = 50;
  TAlignment alignment_ = taLeftJustify;
};

class TListColumns : public TCollection {
  TK_CLASS(TListColumns, TCollection)

 public:
  explicit TListColumns(TCustomListView* owner);

  TListColumn* Add() { return TCollection::Add<TListColumn>(); }
  TListColumn* GetItem(int index) const { return Item<TListColumn>(index); }
  TListColumn* operator[](int index) const { return GetItem(index); }
  TCustomListView* GetListView() const { return owner_; }

 protected:
  void Update(TCollectionItem* item) override;

 private:
  TCustomListView* owner_;
};

// ---- Items ------------------------------------------------------------------------------------

// One row: its caption (column 0), the texts of the further columns, an untyped Data pointer
// of the program's, an image of SmallImages, and its state in the window.
class TListItem : public TPersistent {
  TK_CLASS(TListItem, TPersistent)

 public:
  ~TListItem() override;

  // Copies caption, sub-items, Data and image index of another item (not its state).
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  TListItems* GetOwnerItems() const { return owner_; }
  TCustomListView* GetListView() const;

  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& caption);
  // Changes show in the row at once (one message per changed cell).
  TStrings* GetSubItems() const;
  void SetSubItems(TStrings* sub_items);
  void* GetData() const { return data_; }
  void SetData(void* data);
  int GetImageIndex() const { return image_index_; }
  void SetImageIndex(int index);
  int GetIndex() const { return index_; }

  bool GetSelected() const { return GetState(LVIS_SELECTED); }
  void SetSelected(bool selected) { SetState(LVIS_SELECTED, selected); }
  bool GetFocused() const { return GetState(LVIS_FOCUSED); }
  void SetFocused(bool focused) { SetState(LVIS_FOCUSED, focused); }

  // In the list view's client coordinates; empty while the list has no window.
  RECT DisplayRect(TDisplayCode code) const;
  // Scrolls the list so that the item shows (wholly, unless partial_ok).
  void MakeVisible(bool partial_ok);
  // Removes the item from its list and frees it.
  void Delete();

 private:
  friend class TListItems;
  friend class TCustomListView;
  friend class TListSubItems;
  explicit TListItem(TListItems* owner);

  bool GetState(UINT mask) const;
  void SetState(UINT mask, bool on);
  void SubItemsChanged();

  TListItems* owner_;
  std::string caption_;
  TStringList* sub_items_;
  void* data_ = nullptr;
  int image_index_ = -1;
  int index_ = -1;
  // LVIS_SELECTED and LVIS_FOCUSED: the window keeps them by row position only and reports
  // its changes, which are copied here.
  UINT state_ = 0;
};

// The items of a list view, in the order the window shows them.
class TListItems : public TPersistent {
  TK_CLASS(TListItems, TPersistent)

 public:
  explicit TListItems(TCustomListView* owner);
  ~TListItems() override;

  // Copies the items of another TListItems (see TListItem::Assign).
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override;
  TCustomListView* GetListView() const { return owner_; }

  int GetCount() const { return static_cast<int>(items_.size()); }
  // Raises EListError for an index out of range.
  TListItem* GetItem(int index) const;
  TListItem* operator[](int index) const { return GetItem(index); }
  int IndexOf(const TListItem* item) const;

  TListItem* Add() { return Insert(GetCount()); }
  // index is clamped into 0 … Count.
  TListItem* Insert(int index);
  void Delete(int index);
  void Clear();

  // While updating, the window does not repaint and automatic sorts wait for EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int GetUpdateCount() const { return update_count_; }

 private:
  friend class TListItem;
  friend class TCustomListView;
  // Take items out of the list and free them without telling the window (it has lost them
  // already).
  void Forget(TListItem* item);
  void ForgetAll();
  void Renumber(size_t from);
  // IndexOf for an item that still exists.
  int IndexOfLive(const TListItem* item) const;
  void CheckNotSorting() const;

  TCustomListView* owner_;
  std::vector<TListItem*> items_;
  int update_count_ = 0;
  unsigned generation_ = 0;  // counts insertions and removals
};

// ---- The list view ----------------------------------------------------------------------------

class TCustomListView : public TWinControl {
  TK_CLASS(TCustomListView, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomListView(TComponent* owner);
  ~TCustomListView() override;

  TListColumns* GetColumns() const { return columns_; }
  void SetColumns(TListColumns* columns) { columns_->Assign(columns); }
  TListItems* GetItems() const { return items_; }
  void SetItems(TListItems* items) { items_->Assign(items); }

  // Style properties: changing one recreates the window (items and columns stay).
  TViewStyle GetViewStyle() const { return view_style_; }
  void SetViewStyle(TViewStyle style);
  bool GetMultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool multi_select);
  bool GetReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);
  bool GetColumnClick() const { return column_click_; }
  void SetColumnClick(bool column_click);
  bool GetHideSelection() const { return hide_selection_; }
  void SetHideSelection(bool hide_selection);
  TBorderStyle GetBorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);
  // Extended styles, changed in place.
  bool GetRowSelect() const { return row_select_; }
  void SetRowSelect(bool row_select);
  bool GetGridLines() const { return grid_lines_; }
  void SetGridLines(bool grid_lines);

  // Setting a sort type other than stNone sorts at once.
  TSortType GetSortType() const { return sort_type_; }
  void SetSortType(TSortType sort_type);
  // The images of the small-icon, list and report views; the list does not own them.
  TCustomImageList* GetSmallImages() const { return small_images_; }
  void SetSmallImages(TCustomImageList* images);

  // The first selected item (lowest index); setting it makes it the only selected item and
  // the focused one (null clears the selection).
  TListItem* GetSelected() const;
  void SetSelected(TListItem* item);
  int GetSelCount() const;
  // The index of Selected, -1 when none; an index out of range clears the selection.
  int GetItemIndex() const;
  void SetItemIndex(int index);
  TListItem* GetItemFocused() const;
  void SetItemFocused(TListItem* item);
  // The first visible row; null without items or window.
  TListItem* GetTopItem() const;
  // The item under a client point; null when none.
  TListItem* GetItemAt(int x, int y) const;
  // The next item after start (null: from the top) that has every state in mask
  // (LVNI_SELECTED, LVNI_FOCUSED); null when there is none.
  TListItem* GetNextItem(TListItem* start, UINT mask) const;
  // The report view's column header ("SysHeader32"); creates the list's window.
  HWND GetHeaderHandle();

  // Scrolls by pixels (the report view scrolls vertically by whole rows).
  void Scroll(int dx, int dy);
  // Sorts with OnCompare, or by caption in the user's locale order without it. Equal items
  // keep their order; an exception from the comparison leaves the order as it was.
  // With OwnerData the rows' data are sorted, OnCompare getting passing items that carry
  // only the data (and no index); the window's marks stay where they were.
  bool AlphaSort();
  // Sorts with compare (null: as AlphaSort, OnCompare getting data).
  bool CustomSort(TLVCompare compare, intptr_t data);

  // Owner data: the list keeps no items, only one data value a row; OnData gives the texts
  // of the rows the window draws, and the window alone keeps the marks. Switching it clears
  // the rows.
  bool GetOwnerData() const { return owner_data_; }
  void SetOwnerData(bool owner_data);
  // The rows, one data value each; the window is told a new count and draws them again.
  void SetRowData(std::vector<void*> data);
  const std::vector<void*>& GetRowData() const { return row_data_; }
  // The rows shown: the items, or with OwnerData the data values.
  int GetRowCount() const;
  // With OwnerData: the selected rows, ascending, and setting them (the focus on the first,
  // none when empty); before the window is made they wait for it.
  std::vector<int> GetSelectedRows() const;
  void SetSelectedRows(const std::vector<int>& rows);
  void BeginUpdate() { items_->BeginUpdate(); }
  void EndUpdate() { items_->EndUpdate(); }
  void DeleteSelected();
  void ClearSelection() { SetSelected(nullptr); }

  TLVCompareEvent OnCompare;
  TLVChangeEvent OnChange;
  TLVSelectItemEvent OnSelectItem;
  TLVColumnClickEvent OnColumnClick;
  TLVOwnerDataEvent OnData;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Raise the events; called for the window's notifications.
  virtual void Change(TListItem* item, TItemChange change);
  virtual void DoSelectItem(TListItem* item, bool selected);
  virtual void ColClick(TListColumn* column);

 private:
  friend class TListColumn;
  friend class TListColumns;
  friend class TListItem;
  friend class TListItems;

  // Window side of the item and column operations (no-ops without a window).
  bool InsertItemWindow(TListItem* item);  // false when the window refused the row
  void RedrawItemWindow(TListItem* item);
  void DeleteItemWindow(TListItem* item);
  void ClearItemsWindow();
  void SetItemTextWindow(TListItem* item);
  void SyncSubItems(TListItem* item);
  void ColumnsChanged(TListColumn* column);
  void SetColumnWindow(int index, TListColumn* column, bool insert);
  void RebuildColumns();
  int ShownColumnIndex(const TListColumn* column) const;
  void ColumnGone(TListColumn* column);
  void ApplyExtendedStyles();
  void ApplyColors();
  void ApplyImages();
  void SaveWindowState();
  void SortItems(TLVCompare compare, intptr_t data);
  void SortRowData();
  // The passing item filled with row's texts by OnData; null outside the rows.
  TListItem* RowItem(int row) const;
  // A new row count for the window, drawn once.
  void SetWindowRowCount(int count);
  void ApplyRowMarks();
  void AutoSort(bool text_changed);
  void BeginItemsUpdate();
  void EndItemsUpdate();
  // Inside an update, with a window: item changes wait for its end.
  bool Deferring() const;
  void SetStateDeferred(TListItem* item, UINT mask, bool on);
  bool Quiet() const;
  TListItem* ItemOfNotification(int index) const;
  // Set the window's selection and focus from the items: one item, or all of them after
  // taking the marks away from the rows in stale.
  void ReflectState(TListItem* item);
  void ReflectStates(const std::vector<int>& stale);
  // Rows from `from` on moved by delta (or a row with a state went there): the window's
  // marks follow when any of them is selected or focused.
  void ItemsMoved(size_t from, int delta, bool state_lost);
  void ItemChanged(const NMLISTVIEW& info);
  void RangeStateChanged(const NMLVODSTATECHANGE& info);
  // Sets `mask` of the rows from … to (as the window reports them) and raises the events of
  // each item that changed.
  void RowsChanged(int from, int to, UINT mask, UINT new_state);
  void GetDispInfo(NMLVDISPINFOA& info);
  LRESULT FindItem(const NMLVFINDITEMA& find);

  void CNNotify(TMessage& message);
  void LVMDeleteItem(TMessage& message);
  void LVMDeleteAllItems(TMessage& message);
  void WMDestroy(TMessage& message);
  void WMPaint(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMWantSpecialKey(TMessage& message);

  TListColumns* columns_;
  TListItems* items_;
  TViewStyle view_style_ = vsIcon;
  bool multi_select_ = false;
  bool read_only_ = false;
  bool column_click_ = true;
  bool hide_selection_ = true;
  bool row_select_ = false;
  bool grid_lines_ = false;
  TBorderStyle border_style_ = bsSingle;
  TSortType sort_type_ = stNone;
  TCustomImageList* small_images_ = nullptr;
  HIMAGELIST shown_images_ = nullptr;

  std::vector<TListColumn*> shown_columns_;  // the columns the window has, in its order
  int saved_top_index_ = 0;
  bool window_dying_ = false;  // from WM_DESTROY: the window's notifications change nothing
  bool rebuilding_ = false;    // while the window is filled: no events
  TListItem* deleting_ = nullptr;
  bool clearing_ = false;
  bool sort_pending_ = false;
  bool sorting_ = false;
  bool reflecting_ = false;  // while ReflectStates sets the window's marks
  // The rows the window marked when the update began, and whether the marks moved since.
  std::vector<int> update_marks_;
  bool marks_dirty_ = false;
  bool redraw_off_ = false;  // the window was made inside an update
  bool owner_data_ = false;
  std::vector<void*> row_data_;
  // The marks of the rows while there is no window to keep them (OwnerData).
  std::vector<int> row_marks_;
  TListItem* row_item_ = nullptr;
};

class TListView : public TCustomListView {
  TK_CLASS(TListView, TCustomListView)

 public:
  explicit TListView(TComponent* owner) : TCustomListView(owner) {}

 private:
  static void Publish(TPublisher<TListView>& p);
};

// Registers TListView for form definitions.
void RegisterListViewClasses();
