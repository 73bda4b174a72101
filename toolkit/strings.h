// String lists: TStrings (the interface every list of lines offers) and TStringList (the
// list itself, optionally sorted, with an object per line and change events).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/persistent.h"
#include "toolkit/sysutils.h"

class TStream;

// Splits text into lines at CR LF, LF or CR; a break at the very end starts no further line.
std::vector<std::string> SplitLines(std::string_view text);

enum TDuplicates { dupIgnore, dupAccept, dupError };

// The interface of a list of lines, each with an optional object. Lines are ANSI bytes.
// Derived classes store the lines; everything else is built on the virtual primitives.
class TStrings : public TPersistent {
  TK_CLASS(TStrings, TPersistent)

  // Primitives: count, line and object access, insertion, deletion.
  virtual int Count() const = 0;
  virtual std::string Get(int index) const = 0;
  virtual void Put(int index, const std::string& s);  // Delete + InsertObject, keeping the object
  virtual TObject* Objects(int index) const { return (CheckIndex(index), nullptr); }
  virtual void PutObject(int index, TObject* object);  // ignored by lists without objects
  virtual void InsertObject(int index, const std::string& s, TObject* object) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear();

  std::string Strings(int index) const { return Get(index); }
  int Add(const std::string& s) { return AddObject(s, nullptr); }
  virtual int AddObject(const std::string& s, TObject* object);
  void Insert(int index, const std::string& s) { InsertObject(index, s, nullptr); }
  virtual void Exchange(int index1, int index2);
  // Moves the line (and its object) so that it ends up at new_index.
  virtual void Move(int current_index, int new_index);
  void AddStrings(const TStrings& source);
  // Overridden where many lines at once cost less than one at a time.
  virtual void AddStrings(const std::vector<std::string>& lines);
  // Copies lines and objects of another TStrings; other sources go to TPersistent.
  void Assign(TPersistent* source) override;
  // Same lines in the same order (objects are not compared).
  bool Equals(const TStrings& other) const;

  // Index of the first line equal to s (by CompareStrings), or -1.
  virtual int IndexOf(std::string_view s) const;
  int IndexOfObject(const TObject* object) const;

  // name=value lines: the name is the text before the first '=' (compared like IndexOf,
  // nothing trimmed); a line without '=' has no name.
  std::string Names(int index) const;
  int IndexOfName(std::string_view name) const;
  // The text after the '=' of the first line named `name`; empty when there is none.
  std::string Values(std::string_view name) const;
  std::string ValueFromIndex(int index) const;
  // Replaces the value of the first line named `name`, adds "name=value" when there is
  // none; an empty value deletes the line.
  void SetValue(std::string_view name, std::string_view value);

  // Every line followed by CR LF. SetText splits at CR LF, LF or CR; a break at the very end
  // does not start another line.
  std::string GetText() const;
  void SetText(std::string_view text);
  // Lines separated by commas, quoted with '"' (inner quotes doubled) when they hold a
  // blank, comma, quote or control character. SetCommaText also splits at unquoted blanks.
  std::string GetCommaText() const;
  void SetCommaText(std::string_view text);

  // Changes between BeginUpdate and the matching EndUpdate are announced once, at the end.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  // The bytes of the file or stream as they are, split like SetText. LoadFromFile raises
  // EFOpenError, SaveToFile EFCreateError; the stream calls use the stream's position.
  void LoadFromFile(const std::string& file_name);
  void SaveToFile(const std::string& file_name) const;
  virtual void LoadFromStream(TStream& stream);
  void SaveToStream(TStream& stream) const;

 protected:
  TStrings() = default;
  // -1, 0 or 1; not case-sensitive (by the ANSI code page) unless a list says otherwise.
  virtual int CompareStrings(std::string_view a, std::string_view b) const;
  virtual void SetUpdateState(bool /*updating*/) {}
  void CheckIndex(int index) const;  // raises EStringListError for a bad index
  [[noreturn]] void Error(const std::string& message) const;

 private:
  void ReplaceAll(const std::vector<std::string>& lines);  // one change announced
  int update_count_ = 0;
};

// A list of lines with objects. Sorted lists keep their order on every Add and find lines
// by binary search; Duplicates decides what Add does with a line a sorted list already has.
class TStringList : public TStrings {
  TK_CLASS(TStringList, TStrings)

  TStringList() = default;
  ~TStringList() override;

  int Count() const override { return static_cast<int>(items_.size()); }
  std::string Get(int index) const override;
  void Put(int index, const std::string& s) override;  // not on a sorted list
  TObject* Objects(int index) const override;
  void PutObject(int index, TObject* object) override;
  void InsertObject(int index, const std::string& s, TObject* object) override;  // not sorted
  void Delete(int index) override;
  void Clear() override;
  int AddObject(const std::string& s, TObject* object) override;
  void Exchange(int index1, int index2) override;  // not on a sorted list
  void Move(int current_index, int new_index) override;
  int IndexOf(std::string_view s) const override;
  void Assign(TPersistent* source) override;  // also copies Sorted, Duplicates, CaseSensitive

  // Binary search of a sorted list: true and the first matching index, or false and the
  // index where s belongs.
  bool Find(std::string_view s, int& index) const;
  virtual void Sort();
  // Sorts with the given comparison (stable); raises on a sorted list unless Sorted itself
  // is the caller.
  void CustomSort(int (*compare)(TStringList* list, int index1, int index2));

  bool GetSorted() const { return sorted_; }
  void SetSorted(bool sorted);
  TDuplicates GetDuplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates duplicates) { duplicates_ = duplicates; }
  bool GetCaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool case_sensitive);
  // When set, the list frees the objects of deleted lines and all of them when it goes.
  bool GetOwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool owns) { owns_objects_ = owns; }

  // Before and after every change (once per update, see BeginUpdate); sender is the list.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  int CompareStrings(std::string_view a, std::string_view b) const override;
  void SetUpdateState(bool updating) override;
  virtual void Changing();
  virtual void Changed();

 private:
  struct Item {
    std::string text;
    TObject* object;
  };
  void InsertItem(int index, const std::string& s, TObject* object);
  void SortItems(int (*compare)(TStringList*, int, int));
  void CheckNotSorted() const;

  std::vector<Item> items_;
  bool sorted_ = false;
  TDuplicates duplicates_ = dupIgnore;
  bool case_sensitive_ = false;
  bool owns_objects_ = false;
  bool changing_announced_ = false;  // OnChanging already fired in the current update
  bool changed_in_update_ = false;
};
