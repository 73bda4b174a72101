#include "app/classlist.h"

#include <algorithm>

#include "app/atomicsave.h"
#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

TK_RESOURCESTRING(SClassList, IDS_FILE_CLASS_LIST);

}  // namespace

TClassesLogic::TClassesLogic(TClassesView& view, std::string class_file)
    : view_(view), class_file_(std::move(class_file)) {}

std::vector<std::string> TClassesLogic::GetClassList() const {
  const TStrings& items = view_.GetItems();
  std::vector<std::string> classes;
  for (int i = 0; i < items.Count(); ++i) classes.push_back(items.Get(i));
  return classes;
}

void TClassesLogic::LoadClasses() {
  TStrings& items = view_.GetItems();
  items.Clear();
  std::string bytes;
  DWORD error = 0;
  const bool read = ReadFileWhole(class_file_, bytes, error);
  if (read) items.SetText(bytes);
  const bool missing = !read && NoSuchFile(error);
  if (missing || (read && bytes.find('\0') == std::string::npos)) {
    unread_copy_.Clear();
    return;
  }
  if (!unread_copy_.Mark(class_file_)) return;
  const std::string& copy = unread_copy_.CopyName();
  view_.ShowMessage(read ? FormatLoadStr(IDS_CLASSES_CUT, class_file_, copy)
                         : FormatLoadStr(IDS_CLASSES_UNREADABLE, class_file_, ErrorReason(error), copy));
}

// Every line followed by CR LF, an empty class name included.
void TClassesLogic::SaveClasses() {
  std::string failure;
  if (!unread_copy_.KeepBeforeSave(class_file_, failure)) return view_.ShowMessage(failure);
  RemoveStaleTemporariesBeside(class_file_);
  SaveFileAtomically(class_file_, view_.GetItems().GetText());
}

void TClassesLogic::btnAddClick() {
  std::string name;
  if (view_.ExecuteAddClass(name)) view_.GetItems().Add(name);
}

void TClassesLogic::btnDeleteClick() {
  int index = view_.GetItemIndex();
  TStrings& items = view_.GetItems();
  if (index >= 0 && index < items.Count()) items.Delete(index);
}

void TClassesLogic::ListDblClick() {
  int index = view_.GetItemIndex();
  if (index < 0 || index >= view_.GetItems().Count()) return;
  std::string name;
  // The dialog is modal, so the selection is still the same class afterwards.
  if (!view_.ExecuteEditClass(name)) return;
  view_.GetItems().Put(index, name);
}

void TClassesLogic::Exchange(int step) {
  int index = view_.GetItemIndex();
  TStrings& items = view_.GetItems();
  int other = index + step;
  if (index < 0 || index >= items.Count() || other < 0 || other >= items.Count()) return;
  items.Exchange(index, other);
  view_.SetItemIndex(index);
}

int RefreshClassItems(TStrings& combo_items, const std::string& shown,
                      const std::vector<std::string>& classes) {
  combo_items.BeginUpdate();
  combo_items.Clear();
  combo_items.AddStrings(classes);
  combo_items.EndUpdate();
  // Exactly this name: a class differing only in case is another class.
  auto same = std::find(classes.begin(), classes.end(), shown);
  return same == classes.end() ? -1 : static_cast<int>(same - classes.begin());
}

std::string ClassListFileName(const std::string& exe_file) {
  return ExtractFilePath(exe_file) + LoadResFileName(&SClassList);
}
