#include "toolkit/strings.h"

#include <algorithm>
#include <memory>
#include <numeric>

#include "toolkit/streams.h"

TK_ABSTRACT_CLASS_INFO(TStrings, TPersistent)
TK_CLASS_INFO(TStringList, TStrings)

// ---- TStrings -----------------------------------------------------------------------------

void TStrings::Error(const std::string& message) const { throw EStringListError(message); }

void TStrings::CheckIndex(int index) const {
  if (index < 0 || index >= Count()) Error(Format("List index out of bounds (%d)", index));
}

void TStrings::Put(int index, const std::string& s) {
  BeginUpdate();
  try {
    TObject* object = Objects(index);
    Delete(index);
    InsertObject(index, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::PutObject(int index, TObject*) { CheckIndex(index); }

void TStrings::Clear() {
  BeginUpdate();
  try {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

int TStrings::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  InsertObject(index, s, object);
  return index;
}

void TStrings::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  if (index1 == index2) return;
  BeginUpdate();
  try {
    std::string s1 = Get(index1), s2 = Get(index2);
    TObject *o1 = Objects(index1), *o2 = Objects(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Move(int current_index, int new_index) {
  CheckIndex(current_index);
  CheckIndex(new_index);
  if (current_index == new_index) return;
  BeginUpdate();
  try {
    std::string s = Get(current_index);
    TObject* object = Objects(current_index);
    Delete(current_index);
    InsertObject(new_index, s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::AddStrings(const TStrings& source) {
  // Copy first: the source may be this list.
  std::vector<std::pair<std::string, TObject*>> lines;
  for (int i = 0; i < source.Count(); ++i) lines.emplace_back(source.Get(i), source.Objects(i));
  BeginUpdate();
  try {
    for (auto& [s, object] : lines) AddObject(s, object);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::AddStrings(const std::vector<std::string>& lines) {
  BeginUpdate();
  try {
    for (const auto& s : lines) Add(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Assign(TPersistent* source) {
  auto* strings = DynamicCast<TStrings>(source);
  if (!strings) return TPersistent::Assign(source);
  if (strings == this) return;
  BeginUpdate();
  try {
    Clear();
    AddStrings(*strings);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStrings::Equals(const TStrings& other) const {
  if (Count() != other.Count()) return false;
  for (int i = 0; i < Count(); ++i)
    if (Get(i) != other.Get(i)) return false;
  return true;
}

int TStrings::CompareStrings(std::string_view a, std::string_view b) const {
  int d = AnsiCompareText(a, b);
  return d < 0 ? -1 : d > 0 ? 1 : 0;
}

int TStrings::IndexOf(std::string_view s) const {
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfObject(const TObject* object) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == object) return i;
  return -1;
}

std::string TStrings::Names(int index) const {
  std::string s = Get(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(0, eq);
}

int TStrings::IndexOfName(std::string_view name) const {
  for (int i = 0; i < Count(); ++i) {
    std::string s = Get(i);
    size_t eq = s.find('=');
    if (eq != std::string::npos && CompareStrings(std::string_view(s).substr(0, eq), name) == 0) return i;
  }
  return -1;
}

std::string TStrings::Values(std::string_view name) const {
  int i = IndexOfName(name);
  return i >= 0 ? ValueFromIndex(i) : std::string();
}

std::string TStrings::ValueFromIndex(int index) const {
  std::string s = Get(index);
  size_t eq = s.find('=');
  return eq == std::string::npos ? std::string() : s.substr(eq + 1);
}

void TStrings::SetValue(std::string_view name, std::string_view value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::string line = std::string(name) + "=" + std::string(value);
  if (i >= 0)
    Put(i, line);
  else
    Add(line);
}

std::string TStrings::GetText() const {
  std::string text;
  for (int i = 0; i < Count(); ++i) {
    text += Get(i);
    text += "\r\n";
  }
  return text;
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
  }
  return lines;
}

void TStrings::SetText(std::string_view text) { ReplaceAll(SplitLines(text)); }

void TStrings::ReplaceAll(const std::vector<std::string>& lines) {
  BeginUpdate();
  try {
    Clear();
    AddStrings(lines);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

std::string TStrings::GetCommaText() const {
  // A single empty line needs quotes, or it would read back as no line at all.
  if (Count() == 1 && Get(0).empty()) return "\"\"";
  std::string text;
  for (int i = 0; i < Count(); ++i) {
    if (i > 0) text += ',';
    std::string s = Get(i);
    bool quote = std::any_of(s.begin(), s.end(), [](char c) {
      return static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"';
    });
    if (!quote) {
      text += s;
      continue;
    }
    text += '"';
    for (char c : s) {
      if (c == '"') text += '"';
      text += c;
    }
    text += '"';
  }
  return text;
}

void TStrings::SetCommaText(std::string_view text) {
  auto blank = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
  std::vector<std::string> lines;
  size_t i = 0;
  while (i < text.size() && blank(text[i])) ++i;
  while (i < text.size()) {
    std::string s;
    if (text[i] == '"') {
      ++i;
      while (i < text.size()) {
        if (text[i] == '"') {
          if (i + 1 < text.size() && text[i + 1] == '"') {
            s += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        s += text[i++];
      }
    } else {
      while (i < text.size() && !blank(text[i]) && text[i] != ',') s += text[i++];
    }
    lines.push_back(std::move(s));
    while (i < text.size() && blank(text[i])) ++i;
    if (i < text.size() && text[i] == ',') {
      ++i;
      if (i == text.size()) lines.emplace_back();  // a trailing comma ends with an empty line
      while (i < text.size() && blank(text[i])) ++i;
    }
  }
  ReplaceAll(lines);
}

void TStrings::BeginUpdate() {
  if (update_count_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) SetUpdateState(false);
}

void TStrings::LoadFromFile(const std::string& file_name) {
  TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TStrings::SaveToFile(const std::string& file_name) const {
  TFileStream stream(file_name, fmCreate);
  SaveToStream(stream);
}

void TStrings::LoadFromStream(TStream& stream) {
  int64_t size = stream.GetSize() - stream.GetPosition();
  std::string bytes(static_cast<size_t>(std::max<int64_t>(size, 0)), '\0');
  stream.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  SetText(bytes);
}

void TStrings::SaveToStream(TStream& stream) const {
  std::string text = GetText();
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

// ---- TStringList --------------------------------------------------------------------------

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (owns_objects_)
    for (auto& item : items_) FreeAndNil(item.object);
}

std::string TStringList::Get(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].text;
}

void TStringList::CheckNotSorted() const {
  if (sorted_) Error("Operation not allowed on sorted list");
}

void TStringList::Put(int index, const std::string& s) {
  CheckNotSorted();
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].text = s;
  Changed();
}

TObject* TStringList::Objects(int index) const {
  CheckIndex(index);
  return items_[static_cast<size_t>(index)].object;
}

void TStringList::PutObject(int index, TObject* object) {
  CheckIndex(index);
  Changing();
  items_[static_cast<size_t>(index)].object = object;
  Changed();
}

void TStringList::InsertItem(int index, const std::string& s, TObject* object) {
  Changing();
  items_.insert(items_.begin() + index, Item{s, object});
  Changed();
}

void TStringList::InsertObject(int index, const std::string& s, TObject* object) {
  CheckNotSorted();
  if (index < 0 || index > Count()) Error(Format("List index out of bounds (%d)", index));
  InsertItem(index, s, object);
}

int TStringList::AddObject(const std::string& s, TObject* object) {
  int index = Count();
  if (sorted_ && Find(s, index)) {
    if (duplicates_ == dupIgnore) return index;
    if (duplicates_ == dupError) Error("String list does not allow duplicates");
  }
  InsertItem(index, s, object);
  return index;
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  TObject* object = items_[static_cast<size_t>(index)].object;
  items_.erase(items_.begin() + index);
  if (owns_objects_) Free(object);
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  Changing();
  std::vector<Item> doomed;
  doomed.swap(items_);
  if (owns_objects_)
    for (auto& item : doomed) FreeAndNil(item.object);
  Changed();
}

void TStringList::Exchange(int index1, int index2) {
  CheckNotSorted();
  CheckIndex(index1);
  CheckIndex(index2);
  if (index1 == index2) return;
  Changing();
  std::swap(items_[static_cast<size_t>(index1)], items_[static_cast<size_t>(index2)]);
  Changed();
}

void TStringList::Move(int current_index, int new_index) {
  CheckNotSorted();
  CheckIndex(current_index);
  CheckIndex(new_index);
  if (current_index == new_index) return;
  Changing();
  Item item = std::move(items_[static_cast<size_t>(current_index)]);
  items_.erase(items_.begin() + current_index);
  items_.insert(items_.begin() + new_index, std::move(item));
  Changed();
}

int TStringList::IndexOf(std::string_view s) const {
  if (!sorted_) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::Assign(TPersistent* source) {
  auto* list = DynamicCast<TStringList>(source);
  if (!list || list == this) return TStrings::Assign(source);
  BeginUpdate();
  try {
    Clear();
    sorted_ = false;
    duplicates_ = list->duplicates_;
    case_sensitive_ = list->case_sensitive_;
    AddStrings(*list);
    SetSorted(list->sorted_);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

bool TStringList::Find(std::string_view s, int& index) const {
  // First position whose line is not below s: with duplicates, the first of them.
  int low = 0, high = Count();
  while (low < high) {
    int mid = low + (high - low) / 2;
    if (CompareStrings(items_[static_cast<size_t>(mid)].text, s) < 0)
      low = mid + 1;
    else
      high = mid;
  }
  index = low;
  return low < Count() && CompareStrings(items_[static_cast<size_t>(low)].text, s) == 0;
}

void TStringList::SortItems(int (*compare)(TStringList*, int, int)) {
  if (items_.size() < 2) return;
  Changing();
  // Sort a permutation so the comparison can address lines by index, as it expects.
  std::vector<int> order(items_.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(std::move(items_[static_cast<size_t>(i)]));
  items_ = std::move(sorted);
  Changed();
}

void TStringList::Sort() {
  SortItems([](TStringList* list, int a, int b) {
    return list->CompareStrings(list->items_[static_cast<size_t>(a)].text,
                                list->items_[static_cast<size_t>(b)].text);
  });
}

void TStringList::CustomSort(int (*compare)(TStringList* list, int index1, int index2)) {
  CheckNotSorted();
  SortItems(compare);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted == sorted_) return;
  if (sorted) Sort();
  sorted_ = sorted;
}

void TStringList::SetCaseSensitive(bool case_sensitive) {
  if (case_sensitive == case_sensitive_) return;
  case_sensitive_ = case_sensitive;
  if (sorted_) Sort();
}

int TStringList::CompareStrings(std::string_view a, std::string_view b) const {
  if (!case_sensitive_) return TStrings::CompareStrings(a, b);
  return CompareStr(a, b);
}

void TStringList::SetUpdateState(bool updating) {
  if (updating) {
    changing_announced_ = false;
    changed_in_update_ = false;
    return;
  }
  if (changed_in_update_) {
    changed_in_update_ = false;
    OnChange(this);
  }
}

void TStringList::Changing() {
  if (UpdateCount() == 0) {
    OnChanging(this);
  } else if (!changing_announced_) {
    changing_announced_ = true;
    OnChanging(this);
  }
}

void TStringList::Changed() {
  if (UpdateCount() == 0)
    OnChange(this);
  else
    changed_in_update_ = true;
}
