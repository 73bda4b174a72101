#include "app/startlistlogic.h"

#include <algorithm>
#include <stdexcept>

#include "app/atomicsave.h"
#include "app/startlistfile.h"
#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

namespace {

std::string Field(const TStartListEntry& entry, int field) {
  return field < static_cast<int>(entry.SubItems.size()) ? entry.SubItems[field] : std::string();
}

std::string DamageReason(TAslFault fault) {
  switch (fault) {
    case TAslFault::HeaderForPlace: return LoadStr(IDS_RECORD_HEADER_FOR_PLACE);
    case TAslFault::PlaceMissing: return LoadStr(IDS_RECORD_PLACE_MISSING);
    case TAslFault::PlaceNoNumber: return LoadStr(IDS_RECORD_PLACE_NO_NUMBER);
    case TAslFault::HeaderAtEnd: return LoadStr(IDS_RECORD_HEADER_AT_END);
    default: return LoadStr(IDS_RECORD_FEW_FIELDS);
  }
}

}  // namespace

double PlaceValue(const std::string& caption) { return StrToFloatDef(caption, 1.0); }

int ComparePlaceValues(double a, double b) { return a < b ? -1 : a > b ? 1 : 0; }

int CompareStartPlaces(const std::string& first, const std::string& second) {
  return ComparePlaceValues(PlaceValue(first), PlaceValue(second));
}

std::string PlaceCaption(double place) { return FloatToStr(place); }

std::string EntryText(const TStartListEntry& e) {
  return e.Caption + ". " + Field(e, efLastName) + " " + Field(e, efFirstName) + " / " + Field(e, efMake) +
         " " + Field(e, efType) + " (" + Field(e, efStartNo) + ")";
}

TStartListLogic::TStartListLogic(TStartListView& view, TParticipantEditorView& editor,
                                 std::string working_file)
    : view_(view), editor_(editor), working_file_(std::move(working_file)) {}

std::string TStartListLogic::GetEntryText(int index) const {
  return index >= 0 && index < Count() ? EntryText(entries_[index]) : std::string();
}

// ---- Files ----------------------------------------------------------------------------------

bool TStartListLogic::ReadFile(const std::string& file_name, bool merge, TStartListProblem* problem,
                               DWORD* error, TAslDamage* damage) {
  std::vector<TStartListEntry> read;
  const bool opened = ReadStartListFile(file_name, read, problem, error, damage);
  // Replacing, a file that cannot be opened still leaves no stale list behind.
  TakeEntries(std::move(read), merge);
  return opened;
}

void TStartListLogic::TakeEntries(std::vector<TStartListEntry> read, bool merge) {
  if (!merge) {
    entries_.clear();
    selected_.clear();
  }
  for (TStartListEntry& entry : read) entries_.push_back(std::move(entry));
  selected_.resize(entries_.size(), false);
}

void TStartListLogic::LoadFromFile(const std::string& file_name, bool merge) {
  TakeSelection();
  bool opened = ReadFile(file_name, merge);
  Show();
  if (!opened) Error();
}

bool TStartListLogic::SaveToFile(const std::string& file_name) {
  std::string failure;
  if (!unread_copy_.KeepBeforeSave(file_name, failure)) {
    view_.ShowMessage(failure);
    return false;
  }
  // What an interrupted save left is tidied in the program's folder only: a folder the user
  // saves to holds other programs' files.
  if (AnsiSameText(ExpandFileName(file_name), ExpandFileName(working_file_)))
    RemoveStaleTemporariesBeside(file_name);
  DWORD error = 0;
  if (WriteStartListFile(file_name, entries_, &error)) return true;
  view_.ShowMessage(SaveFailedMessage(file_name, error));
  return false;
}

void TStartListLogic::LoadWorkingFile() {
  TakeSelection();
  TStartListProblem problem = TStartListProblem::None;
  DWORD error = 0;
  TAslDamage damage;
  const bool opened = ReadFile(working_file_, false, &problem, &error, &damage);
  Number();
  Show();
  // A missing working file (a first start) is reported like any other: the officials see
  // that no start list was loaded, and the list is empty.
  const bool missing = !opened && NoSuchFile(error);
  if (opened ? problem == TStartListProblem::None && damage.records == 0 : missing) {
    unread_copy_.Clear();
    if (missing) MissingWorkingFile();
    return;
  }
  // Shown empty, the day's participants would be lost with the next OK.
  if (!unread_copy_.Mark(working_file_)) return;
  const std::string& copy = unread_copy_.CopyName();
  if (!opened)
    view_.ShowMessage(FormatLoadStr(IDS_START_LIST_UNREADABLE, working_file_, ErrorReason(error), copy));
  else if (problem == TStartListProblem::None)
    view_.ShowMessage(FormatLoadStr(IDS_START_LIST_DAMAGED, damage.records, working_file_,
                                    damage.first_record, damage.first_line, DamageReason(damage.first),
                                    copy));
  else if (problem == TStartListProblem::HeaderOnly)
    view_.ShowMessage(FormatLoadStr(IDS_START_LIST_HEADER_ONLY, working_file_, copy));
  else if (problem == TStartListProblem::OtherEncoding)
    view_.ShowMessage(FormatLoadStr(IDS_START_LIST_OTHER_ENCODING, working_file_, copy));
  else
    view_.ShowMessage(FormatLoadStr(IDS_START_LIST_UNREAD, working_file_, copy));
}

void TStartListLogic::MissingWorkingFile() {
  // The catalog named a file elsewhere (or no file): the list was looked for under its
  // original name, where the day's list may not be.
  const std::string refused = RefusedWorkingStartListName();
  if (refused.empty()) return Error();
  view_.ShowMessage(FormatLoadStr(IDS_START_LIST_NAME_REFUSED, working_file_, refused));
}

void TStartListLogic::OpenFile(bool merge) {
  std::string file_name;
  if (!view_.ExecuteOpenDialog(file_name)) return SortList();
  OpenChosen(file_name, merge);
}

void TStartListLogic::OpenChosen(const std::string& file_name, bool merge) {
  TakeSelection();
  // A file that cannot be read leaves the list as it was: emptied, the next OK would save the
  // day's participants away.
  std::vector<TStartListEntry> read;
  TAslDamage damage;
  const bool opened = ReadStartListFile(file_name, read, nullptr, nullptr, &damage);
  if (opened) TakeEntries(std::move(read), merge);
  Sort();
  Show();
  if (!opened) return Error();
  // Read without a field shifted, but the officials should know the file was not whole.
  if (damage.records > 0)
    view_.ShowMessage(FormatLoadStr(IDS_OPENED_LIST_DAMAGED, damage.records, file_name, damage.first_record,
                                    damage.first_line, DamageReason(damage.first)));
}

void TStartListLogic::btnSaveClick() {
  std::string file_name;
  if (view_.ExecuteSaveDialog(file_name)) SaveToFile(file_name);
}

// ---- Order ----------------------------------------------------------------------------------

void TStartListLogic::SortList() {
  TakeSelection();
  Sort();
  Show();
}

void TStartListLogic::Renumber() {
  TakeSelection();
  Number();
  Show();
}

void TStartListLogic::Sort() {
  const std::vector<size_t> order = view_.SortByStartPlace(entries_);
  // Each entry exactly once, or none is lost by a sort that went wrong.
  std::vector<bool> seen(entries_.size(), false);
  for (size_t i : order) {
    if (i >= seen.size() || seen[i]) throw std::logic_error("The start list's sort lost entries");
    seen[i] = true;
  }
  if (order.size() != entries_.size()) throw std::logic_error("The start list's sort lost entries");
  std::vector<TStartListEntry> entries;
  std::vector<bool> selected;
  entries.reserve(entries_.size());
  selected.reserve(entries_.size());
  for (size_t i : order) {
    entries.push_back(std::move(entries_[i]));
    selected.push_back(selected_[i]);
  }
  entries_ = std::move(entries);
  selected_ = std::move(selected);
  Number();
}

void TStartListLogic::Number() {
  for (size_t i = 0; i < entries_.size(); ++i) entries_[i].Caption = IntToStr(static_cast<int64_t>(i) + 1);
}

// ---- Participants ---------------------------------------------------------------------------

void TStartListLogic::btnAddClick() {
  TakeSelection();
  const int n = Count();
  editor_.SetStartPlaceMax(n + 1);
  editor_.SetStartPlace(n + 1);
  // The class stays as last used.
  for (int field = efStartNo; field < kEntryFields; ++field) editor_.SetField(field, std::string());
  editor_.SetCaption(view_.GetWord(TStartListWord::NewParticipant));
  if (editor_.Execute()) {
    const int m = n + 1;
    const int v = std::clamp(editor_.GetStartPlace(), 1, m);
    // Half a place before the entry now at v, so the sort puts the new one there.
    TStartListEntry entry{PlaceCaption(v >= m ? v + 0.5 : v - 0.5), {}};
    for (int field = 0; field < kEntryFields; ++field) entry.SubItems.push_back(editor_.GetField(field));
    entries_.push_back(std::move(entry));
    selected_.push_back(false);
  }
  Sort();
  Show();
}

void TStartListLogic::EditParticipant() {
  TakeSelection();
  auto first = std::find(selected_.begin(), selected_.end(), true);
  if (first == selected_.end()) return;
  const int index = static_cast<int>(first - selected_.begin());
  const int n = Count();
  {
    const TStartListEntry& entry = entries_[index];
    editor_.SetCaption(view_.GetWord(TStartListWord::EditParticipant));
    // The limit first: the spin edit clamps the place to the limit of its last use.
    editor_.SetStartPlaceMax(n);
    editor_.SetStartPlace(StrToIntDef(Trim(entry.Caption), 1));
    for (int field = 0; field < kEntryFields; ++field) editor_.SetField(field, Field(entry, field));
  }
  if (editor_.Execute()) {
    const int v = std::clamp(editor_.GetStartPlace(), 1, n);
    const int place = index + 1;  // the list is numbered after every change
    // Just before the entry now at v when moving up, just after it when moving down.
    double caption = v >= n || v > place ? v + 0.5 : v < place ? v - 0.5 : v;
    TStartListEntry& entry = entries_[index];
    entry.Caption = PlaceCaption(caption);
    // A short record (only a place, say) gets all eight; extra fields of a longer one stay.
    if (entry.SubItems.size() < kEntryFields) entry.SubItems.resize(kEntryFields);
    for (int field = 0; field < kEntryFields; ++field) entry.SubItems[field] = editor_.GetField(field);
  }
  Sort();
  Show();
}

void TStartListLogic::btnDeleteClick() {
  TakeSelection();
  std::vector<TStartListEntry> kept;
  for (size_t i = 0; i < entries_.size(); ++i)
    if (!selected_[i]) kept.push_back(std::move(entries_[i]));
  entries_ = std::move(kept);
  selected_.assign(entries_.size(), false);
  Sort();
  Show();
}

// ---- Events ---------------------------------------------------------------------------------

void TStartListLogic::FormCreate() { LoadWorkingFile(); }

bool TStartListLogic::FormShortCut(unsigned key) {
  if (key != kInsertKey) return false;
  btnAddClick();
  return true;
}

// ---- Selection ------------------------------------------------------------------------------

void TStartListLogic::TakeSelection() {
  selected_.assign(entries_.size(), false);
  for (int index : view_.GetSelected())
    if (index >= 0 && index < Count()) selected_[index] = true;
}

std::vector<int> TStartListLogic::SelectedIndices() const {
  std::vector<int> indices;
  for (size_t i = 0; i < selected_.size(); ++i)
    if (selected_[i]) indices.push_back(static_cast<int>(i));
  return indices;
}
