// Collections: ordered lists of items of one class that own their items and are stored
// with their owner (list-view columns, a skin's stored sections).
#pragma once

#include <string>
#include <vector>

#include "toolkit/persistent.h"

class TCollection;

class TCollectionItem : public TPersistent {
  TK_CLASS(TCollectionItem, TPersistent)

 public:
  // Adds itself to the collection (when not null), which then owns it.
  explicit TCollectionItem(TCollection* collection);
  // Leaves its collection.
  ~TCollectionItem() override;

  TCollection* GetCollection() const { return collection_; }
  // Moves the item to another collection (or none: the caller then owns it).
  void SetCollection(TCollection* collection);
  // Position in the collection; setting it moves the item.
  int GetIndex() const;
  void SetIndex(int index);
  // Unique within the collection, kept while items move.
  int GetID() const { return id_; }
  // The text that describes the item in lists; the class name unless overridden.
  virtual std::string GetDisplayName() const;
  virtual void SetDisplayName(const std::string& name);

  TPersistent* GetOwner() const override;

 protected:
  // Tells the collection that this item (or, with all_items, every item) has changed.
  void Changed(bool all_items);

 private:
  friend class TCollection;
  TCollection* collection_ = nullptr;
  int id_ = 0;
};

class TCollection : public TPersistent {
  TK_CLASS(TCollection, TPersistent)

 public:
  // item_class must be created by name (TK_CLASS_INFO, a constructor taking TCollection*).
  explicit TCollection(TClass item_class, TPersistent* owner = nullptr);
  ~TCollection() override;

  TClass GetItemClass() const { return item_class_; }
  int GetCount() const { return static_cast<int>(items_.size()); }
  TCollectionItem* GetItem(int index) const;
  // Copies source's state into the item at index.
  void SetItem(int index, TCollectionItem* source);
  template <class T>
  T* Item(int index) const {
    return static_cast<T*>(GetItem(index));
  }

  // A new item at the end / at index.
  TCollectionItem* Add();
  TCollectionItem* Insert(int index);
  template <class T>
  T* Add() {
    return static_cast<T*>(Add());
  }
  void Delete(int index);
  void Clear();
  TCollectionItem* FindItemID(int id) const;

  // Between BeginUpdate and EndUpdate, changes are not reported; EndUpdate reports one.
  void BeginUpdate();
  void EndUpdate();
  int GetUpdateCount() const { return update_count_; }

  // Copies the items of another collection (TCollection only).
  void Assign(TPersistent* source) override;
  TPersistent* GetOwner() const override { return owner_; }
  // The name of the owner's published property that holds this collection; empty when the
  // owner has none.
  std::string GetPropName() const;

 protected:
  // Called after a change: the item that changed, or null when items came, went or moved.
  virtual void Update(TCollectionItem* item) { (void)item; }
  void Changed();

 private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* item);
  void RemoveItem(TCollectionItem* item);
  void ItemChanged(TCollectionItem* item);

  TClass item_class_;
  TPersistent* owner_;
  std::vector<TCollectionItem*> items_;
  int next_id_ = 0;
  int update_count_ = 0;
};
