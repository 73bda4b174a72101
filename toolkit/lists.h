// Lists of pointers (TList) and of objects that the list may own (TObjectList).
#pragma once

#include <vector>

#include "toolkit/object.h"

enum TListNotification { lnAdded, lnExtracted, lnDeleted };

// Returns <0, 0 or >0 like a comparison of a with b.
using TListSortCompare = int (*)(void* a, void* b);

class TList : public TObject {
  TK_CLASS(TList, TObject)

 public:
  TList() = default;
  ~TList() override;

  int GetCount() const { return static_cast<int>(items_.size()); }
  // Index checks raise EListError ("List index out of bounds (i)").
  void* Get(int index) const;
  void Put(int index, void* item);
  void* First() const { return Get(0); }
  void* Last() const { return Get(GetCount() - 1); }

  int Add(void* item);
  void Insert(int index, void* item);
  void Delete(int index);
  // Deletes the first occurrence; its former index or -1.
  int Remove(void* item);
  // Takes the first occurrence out without the "deleted" treatment; the item or null.
  void* Extract(void* item);
  int IndexOf(void* item) const;
  void Exchange(int index1, int index2);
  void Move(int from, int to);
  void Clear();
  // Removes the null entries.
  void Pack();
  // Stable: equal items keep their order.
  void Sort(TListSortCompare compare);

 protected:
  // Called after an item came in, and before an item is deleted or extracted.
  virtual void Notify(void* item, TListNotification action) {
    (void)item;
    (void)action;
  }

 private:
  void CheckIndex(int index, int count) const;
  std::vector<void*> items_;
};

class TObjectList : public TList {
  TK_CLASS(TObjectList, TList)

 public:
  // An owning list frees the objects it deletes (Delete, Remove, Clear, Put, its own
  // destruction); Extract hands an object back without freeing it.
  explicit TObjectList(bool owns_objects = true) : owns_objects_(owns_objects) {}
  ~TObjectList() override;

  bool GetOwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool owns) { owns_objects_ = owns; }

  TObject* GetItem(int index) const { return static_cast<TObject*>(Get(index)); }
  void SetItem(int index, TObject* object) { Put(index, object); }
  int Add(TObject* object) { return TList::Add(object); }
  void Insert(int index, TObject* object) { TList::Insert(index, object); }
  int Remove(TObject* object) { return TList::Remove(object); }
  TObject* Extract(TObject* object) { return static_cast<TObject*>(TList::Extract(object)); }
  int IndexOf(TObject* object) const { return TList::IndexOf(object); }

 protected:
  void Notify(void* item, TListNotification action) override;

 private:
  bool owns_objects_;
};
