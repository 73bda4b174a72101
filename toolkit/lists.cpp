#include "toolkit/lists.h"

#include <algorithm>

#include "toolkit/sysutils.h"

TK_ABSTRACT_CLASS_INFO(TList, TObject)
TK_ABSTRACT_CLASS_INFO(TObjectList, TList)

TList::~TList() { Clear(); }

void TList::CheckIndex(int index, int count) const {
  if (index < 0 || index >= count) throw EListError(Format("List index out of bounds (%d)", index));
}

void* TList::Get(int index) const {
  CheckIndex(index, GetCount());
  return items_[static_cast<size_t>(index)];
}

void TList::Put(int index, void* item) {
  CheckIndex(index, GetCount());
  void* old = items_[static_cast<size_t>(index)];
  if (old == item) return;
  items_[static_cast<size_t>(index)] = item;
  if (old) Notify(old, lnDeleted);
  if (item) Notify(item, lnAdded);
}

int TList::Add(void* item) {
  items_.push_back(item);
  if (item) Notify(item, lnAdded);
  return GetCount() - 1;
}

void TList::Insert(int index, void* item) {
  CheckIndex(index, GetCount() + 1);
  items_.insert(items_.begin() + index, item);
  if (item) Notify(item, lnAdded);
}

void TList::Delete(int index) {
  CheckIndex(index, GetCount());
  void* item = items_[static_cast<size_t>(index)];
  items_.erase(items_.begin() + index);
  if (item) Notify(item, lnDeleted);
}

int TList::Remove(void* item) {
  int index = IndexOf(item);
  if (index >= 0) Delete(index);
  return index;
}

void* TList::Extract(void* item) {
  int index = IndexOf(item);
  if (index < 0) return nullptr;
  items_.erase(items_.begin() + index);
  Notify(item, lnExtracted);
  return item;
}

int TList::IndexOf(void* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int index1, int index2) {
  CheckIndex(index1, GetCount());
  CheckIndex(index2, GetCount());
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
}

void TList::Move(int from, int to) {
  CheckIndex(from, GetCount());
  CheckIndex(to, GetCount());
  void* item = items_[static_cast<size_t>(from)];
  items_.erase(items_.begin() + from);
  items_.insert(items_.begin() + to, item);
}

void TList::Clear() {
  // One at a time from the end, so a Notify that looks at the list sees it consistent.
  while (!items_.empty()) Delete(GetCount() - 1);
}

void TList::Pack() { std::erase(items_, nullptr); }

void TList::Sort(TListSortCompare compare) {
  std::stable_sort(items_.begin(), items_.end(), [compare](void* a, void* b) { return compare(a, b) < 0; });
}

TObjectList::~TObjectList() { Clear(); }

void TObjectList::Notify(void* item, TListNotification action) {
  if (owns_objects_ && action == lnDeleted) Free(static_cast<TObject*>(item));
  TList::Notify(item, action);
}
