#include "app/startlistform.h"

#include <cmath>

#include "app/appforms.h"
#include "app/classesform.h"
#include "i18n/translator.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/classregistry.h"
#include "toolkit/dialogs.h"
#include "toolkit/listview.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/sspinedit.h"
#include "toolkit/stdctrls.h"
#include "toolkit/typinfo.h"

namespace {

template <class T>
T* Find(const TComponent* form, const char* name) {
  return static_cast<T*>(form->FindComponent(name));
}

}  // namespace

// ---- TStartList -------------------------------------------------------------------------------

// The start list's controls and dialogs as its logic sees them.
class TStartList::TView : public TStartListView {
 public:
  explicit TView(TStartList& form) : form_(form) {}

  // The list view holds no row of its own: it is told the count and asks ListData for the
  // rows it draws, so showing costs the visible rows, whatever the list's length.
  void ShowEntries(const std::vector<TStartListEntry>& entries, const std::vector<int>& selected) override {
    TListView* list = form_.List();
    list->SetRowData(RowData(entries.size()));
    list->SetSelectedRows(selected);
  }

  std::vector<int> GetSelected() const override { return form_.List()->GetSelectedRows(); }

  // The list's own sort, through its compare event ListCompare; each row's data is the index
  // of its entry.
  std::vector<size_t> SortByStartPlace(const std::vector<TStartListEntry>& entries) override {
    TListView* list = form_.List();
    sorting_ = &entries;
    places_.assign(entries.size(), std::nan(""));
    try {
      list->SetRowData(RowData(entries.size()));
      list->AlphaSort();
    } catch (...) {
      sorting_ = nullptr;
      places_.clear();
      throw;
    }
    sorting_ = nullptr;
    places_.clear();
    std::vector<size_t> order;
    order.reserve(entries.size());
    for (void* data : list->GetRowData()) order.push_back(reinterpret_cast<size_t>(data));
    return order;
  }

  // The start place of the entry a row's data names while the list sorts, its caption read
  // once a sort; false for any other row.
  bool SortingPlace(const TListItem* item, double& place) {
    const auto index = reinterpret_cast<size_t>(item->GetData());
    if (!sorting_ || index >= places_.size()) return false;
    if (std::isnan(places_[index])) places_[index] = PlaceValue((*sorting_)[index].Caption);
    place = places_[index];
    return true;
  }

 private:
  static std::vector<void*> RowData(size_t count) {
    std::vector<void*> data(count);
    for (size_t i = 0; i < count; ++i) data[i] = reinterpret_cast<void*>(i);
    return data;
  }

 public:
  bool ExecuteOpenDialog(std::string& file_name) override {
    return Execute(Find<TOpenDialog>(&form_, "OpenDialog"), file_name);
  }
  bool ExecuteSaveDialog(std::string& file_name) override {
    return Execute(Find<TSaveDialog>(&form_, "SaveDialog"), file_name);
  }

  void ShowMessage(const std::string& text) override {
    Application->MessageBox(text, Application->GetTitle(), MB_OK);
  }

  std::string GetWord(TStartListWord word) const override { return _(StartListWordKey(word)); }

 private:
  static bool Execute(TOpenDialog* dialog, std::string& file_name) {
    if (!dialog->Execute()) return false;
    file_name = dialog->GetFileName();
    return true;
  }

  TStartList& form_;
  const std::vector<TStartListEntry>* sorting_ = nullptr;
  std::vector<double> places_;  // NaN: not read yet
};

// The participant editor is created after the start list, so it is looked up when used.
class TStartList::TEditorLink : public TParticipantEditorView {
 public:
  void SetCaption(const std::string& caption) override { Editor().SetCaption(caption); }
  int GetStartPlace() const override { return Editor().GetStartPlace(); }
  void SetStartPlace(int place) override { Editor().SetStartPlace(place); }
  void SetStartPlaceMax(int max) override { Editor().SetStartPlaceMax(max); }
  std::string GetField(int field) const override { return Editor().GetField(field); }
  void SetField(int field, const std::string& text) override { Editor().SetField(field, text); }
  bool Execute() override { return Editor().Execute(); }

 private:
  static TParticipantEditorView& Editor() {
    if (!StartListEdit) throw EInvalidOperation("The participant editor does not exist");
    return StartListEdit->View();
  }
};

TStartList::TStartList(TComponent* owner)
    : TForm(owner),
      view_(std::make_unique<TView>(*this)),
      editor_(std::make_unique<TEditorLink>()),
      logic_(std::make_unique<TStartListLogic>(*view_, *editor_, AppPaths.WorkingStartList)) {
  StartList = this;
}

TStartList::~TStartList() {
  if (StartList == this) StartList = nullptr;
}

TListView* TStartList::GetList() const { return List(); }

TListView* TStartList::List() const { return Find<TListView>(this, "List"); }

void TStartList::FormCreate(TObject*) {
  TranslateComponent(this);
  // Enlarged by its grip, never made smaller than designed (whatever the system's frame).
  GetConstraints()->SetMinWidth(GetWidth());
  GetConstraints()->SetMinHeight(GetHeight());
  logic_->FormCreate();
}

void TStartList::FormShow(TObject*) {
  SetActiveControl(List());
  logic_->FormShow();
}

void TStartList::FormShortCut(TMessage& message, bool& handled) {
  if (logic_->FormShortCut(static_cast<unsigned>(message.WParam))) handled = true;
}

void TStartList::btnAddClick(TObject*) { logic_->btnAddClick(); }
void TStartList::btnDeleteClick(TObject*) { logic_->btnDeleteClick(); }
void TStartList::btnOpenClick(TObject*) { logic_->btnOpenClick(); }
void TStartList::btnMergeClick(TObject*) { logic_->btnMergeClick(); }
void TStartList::btnSaveClick(TObject*) { logic_->btnSaveClick(); }
void TStartList::btnOKClick(TObject*) { logic_->btnOKClick(); }
void TStartList::btnCancelClick(TObject*) { logic_->btnCancelClick(); }
void TStartList::ListDblClick(TObject*) { logic_->ListDblClick(); }

void TStartList::ListCompare(TObject*, TListItem* item1, TListItem* item2, intptr_t, int& compare) {
  double a = 0, b = 0;
  // Only rows of the running sort have entries: any other pair compares equal.
  compare = view_->SortingPlace(item1, a) && view_->SortingPlace(item2, b) ? ComparePlaceValues(a, b) : 0;
}

void TStartList::ListData(TObject*, TListItem* item) {
  const std::vector<TStartListEntry>& entries = logic_->Entries();
  const auto index = static_cast<size_t>(item->GetIndex());
  if (index >= entries.size()) return;
  const TStartListEntry& entry = entries[index];
  item->SetCaption(entry.Caption);
  TStrings* cells = item->GetSubItems();
  for (const std::string& cell : entry.SubItems) cells->Add(cell);
}
void TStartList::ListKeyPress(TObject*, char& key) { logic_->ListKeyPress(key); }

void TStartList::Publish(TPublisher<TStartList>& p) {
  p.Method("FormCreate", &TStartList::FormCreate);
  p.Method("FormShow", &TStartList::FormShow);
  p.Method("FormShortCut", &TStartList::FormShortCut);
  p.Method("btnAddClick", &TStartList::btnAddClick);
  p.Method("btnDeleteClick", &TStartList::btnDeleteClick);
  p.Method("btnOpenClick", &TStartList::btnOpenClick);
  p.Method("btnMergeClick", &TStartList::btnMergeClick);
  p.Method("btnSaveClick", &TStartList::btnSaveClick);
  p.Method("btnOKClick", &TStartList::btnOKClick);
  p.Method("btnCancelClick", &TStartList::btnCancelClick);
  p.Method("ListDblClick", &TStartList::ListDblClick);
  p.Method("ListCompare", &TStartList::ListCompare);
  p.Method("ListData", &TStartList::ListData);
  p.Method("ListKeyPress", &TStartList::ListKeyPress);
}

TK_CLASS_INFO(TStartList, TForm)

// ---- TStartListEdit ---------------------------------------------------------------------------

class TStartListEdit::TView : public TParticipantEditorView {
 public:
  explicit TView(TStartListEdit& form) : form_(form) {}

  void SetCaption(const std::string& caption) override { form_.SetCaption(caption); }
  int GetStartPlace() const override { return Start()->GetValue(); }
  void SetStartPlace(int place) override { Start()->SetValue(place); }
  void SetStartPlaceMax(int max) override { Start()->SetMaxValue(max); }

  std::string GetField(int field) const override { return Control(field)->GetText(); }
  void SetField(int field, const std::string& text) override {
    if (field == efClass) {
      // The combo's selected item would otherwise replace the text when its window is made.
      TsComboBox* combo = Find<TsComboBox>(&form_, "cbClasses");
      // Exactly this name: the list's own look-up ignores case, and "a" is not the class "A".
      TStrings* items = combo->GetItems();
      int index = 0;
      while (index < items->Count() && items->Get(index) != text) ++index;
      if (index == items->Count()) index = -1;
      combo->SetItemIndex(index);
      if (index < 0) combo->SetText(text);
      return;
    }
    Control(field)->SetText(text);
  }

  // Cancel leaves the fields as they are: a new entry starts from the class last shown.
  bool Execute() override { return form_.ShowModal() == mrOk; }

 private:
  TsSpinEdit* Start() const { return Find<TsSpinEdit>(&form_, "edStart"); }
  TControl* Control(int field) const {
    return Find<TControl>(&form_, kParticipantControls.at(static_cast<size_t>(field)));
  }

  TStartListEdit& form_;
};

TStartListEdit::TStartListEdit(TComponent* owner) : TForm(owner), view_(std::make_unique<TView>(*this)) {
  StartListEdit = this;
}

TStartListEdit::~TStartListEdit() {
  if (StartListEdit == this) StartListEdit = nullptr;
}

TParticipantEditorView& TStartListEdit::View() { return *view_; }

void TStartListEdit::FormCreate(TObject*) { TranslateComponent(this); }

void TStartListEdit::FormShow(TObject*) {
  RefreshClasses();
  SetActiveControl(Find<TsSpinEdit>(this, "edStart"));
}

void TStartListEdit::FormShortCut(TMessage& message, bool&) {
  // Enter confirms from any field; the key itself goes on as usual.
  if (message.WParam == VK_RETURN) Find<TsButton>(this, "btnOK")->Click();
}

void TStartListEdit::btnEditClassesClick(TObject*) {
  if (ClassesEditor) ClassesEditor->ShowModal();
  RefreshClasses();
}

void TStartListEdit::RefreshClasses() {
  TsComboBox* combo = Find<TsComboBox>(this, "cbClasses");
  std::vector<std::string> classes;
  if (ClassesEditor) classes = ClassesEditor->GetClassList();
  // The class shown is the entry's data, picked or typed: it is found again by its name,
  // never by the place it had in the list, which the classes editor may have changed.
  const std::string text = combo->GetText();
  const int index = RefreshClassItems(*combo->GetItems(), text, classes);
  combo->SetItemIndex(index);
  if (index < 0) combo->SetText(text);
}

void TStartListEdit::Publish(TPublisher<TStartListEdit>& p) {
  p.Method("FormCreate", &TStartListEdit::FormCreate);
  p.Method("FormShow", &TStartListEdit::FormShow);
  p.Method("FormShortCut", &TStartListEdit::FormShortCut);
  p.Method("btnEditClassesClick", &TStartListEdit::btnEditClassesClick);
}

TK_CLASS_INFO(TStartListEdit, TForm)

// ---- What the main window asks --------------------------------------------------------------

std::vector<TListColumnInfo> StartListColumns() {
  std::vector<TListColumnInfo> columns;
  if (!StartList) return columns;
  TListColumns* list_columns = Find<TListView>(StartList, "List")->GetColumns();
  for (int i = 0; i < list_columns->GetCount(); ++i) {
    TListColumn* column = list_columns->GetItem(i);
    columns.push_back({column->GetCaption(), column->GetWidth()});
  }
  return columns;
}

std::vector<TStartListEntry> StartListEntries() {
  if (!StartList) return {};
  return StartList->Logic().Entries();
}

void ShowStartListEditor() {
  if (StartList) StartList->ShowModal();
}

void RegisterStartListForms() { RegisterClasses({TStartList::StaticClass(), TStartListEdit::StaticClass()}); }
