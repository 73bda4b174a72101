#include "toolkit/collections.h"

#include <algorithm>

#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

TK_CLASS_INFO(TCollectionItem, TPersistent)
TK_ABSTRACT_CLASS_INFO(TCollection, TPersistent)

// ---- TCollectionItem -----------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() { SetCollection(nullptr); }

void TCollectionItem::SetCollection(TCollection* collection) {
  if (collection == collection_) return;
  if (collection_) collection_->RemoveItem(this);
  if (collection) collection->InsertItem(this);
}

int TCollectionItem::GetIndex() const {
  if (!collection_) return -1;
  auto& items = collection_->items_;
  return static_cast<int>(std::find(items.begin(), items.end(), this) - items.begin());
}

void TCollectionItem::SetIndex(int index) {
  int current = GetIndex();
  if (current < 0 || index == current) return;
  auto& items = collection_->items_;
  index = std::clamp(index, 0, static_cast<int>(items.size()) - 1);
  items.erase(items.begin() + current);
  items.insert(items.begin() + index, this);
  Changed(true);
}

std::string TCollectionItem::GetDisplayName() const { return ClassName(); }

void TCollectionItem::SetDisplayName(const std::string&) { Changed(false); }

TPersistent* TCollectionItem::GetOwner() const { return collection_; }

void TCollectionItem::Changed(bool all_items) {
  if (collection_) collection_->ItemChanged(all_items ? nullptr : this);
}

// ---- TCollection ---------------------------------------------------------------------------

TCollection::TCollection(TClass item_class, TPersistent* owner) : item_class_(item_class), owner_(owner) {
  if (!item_class->InheritsFrom(TCollectionItem::StaticClass()) || !item_class->create)
    throw EConvertError(Format("%s cannot be the item class of a collection", item_class->name));
}

TCollection::~TCollection() {
  ++update_count_;  // no reports to a derived class that is gone
  while (!items_.empty()) Free(items_.back());
}

TCollectionItem* TCollection::GetItem(int index) const {
  if (index < 0 || index >= GetCount()) throw EListError(Format("List index out of bounds (%d)", index));
  return items_[static_cast<size_t>(index)];
}

void TCollection::SetItem(int index, TCollectionItem* source) { GetItem(index)->Assign(source); }

TCollectionItem* TCollection::Add() { return static_cast<TCollectionItem*>(item_class_->create(this)); }

TCollectionItem* TCollection::Insert(int index) {
  TCollectionItem* item = Add();
  item->SetIndex(index);
  return item;
}

void TCollection::Delete(int index) { Free(GetItem(index)); }

void TCollection::Clear() {
  if (items_.empty()) return;
  BeginUpdate();
  while (!items_.empty()) Free(items_.back());
  EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
  for (TCollectionItem* item : items_)
    if (item->id_ == id) return item;
  return nullptr;
}

void TCollection::BeginUpdate() { ++update_count_; }

void TCollection::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  Changed();
}

void TCollection::Changed() {
  if (update_count_ == 0) Update(nullptr);
}

void TCollection::ItemChanged(TCollectionItem* item) {
  if (update_count_ == 0) Update(item);
}

void TCollection::InsertItem(TCollectionItem* item) {
  items_.push_back(item);
  item->collection_ = this;
  item->id_ = next_id_++;
  Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
  std::erase(items_, item);
  item->collection_ = nullptr;
  Changed();
}

void TCollection::Assign(TPersistent* source) {
  auto* other = DynamicCast<TCollection>(source);
  if (!other) {
    inherited::Assign(source);
    return;
  }
  if (other == this) return;
  BeginUpdate();
  try {
    Clear();
    for (TCollectionItem* item : other->items_) Add()->Assign(item);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TCollection::GetPropName() const {
  if (!owner_) return {};
  for (const TPropInfo* prop : GetPropList(owner_))
    if (prop->kind == TTypeKind::Collection && prop->get_object(owner_) == this) return prop->name;
  return {};
}
