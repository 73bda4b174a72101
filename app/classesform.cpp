#include "app/classesform.h"

#include "app/appforms.h"
#include "i18n/translator.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/classregistry.h"
#include "skin/controls/sedit.h"
#include "toolkit/stdctrls.h"
#include "toolkit/typinfo.h"

// ---- TClassesEditor ---------------------------------------------------------------------------

class TClassesEditor::TView : public TClassesView {
 public:
  explicit TView(TClassesEditor& form) : form_(form) {}

  TStrings& GetItems() override { return *List()->GetItems(); }
  int GetItemIndex() const override { return List()->GetItemIndex(); }
  void SetItemIndex(int index) override { List()->SetItemIndex(index); }
  bool ExecuteAddClass(std::string& name) override { return AddClass && AddClass->Execute(name); }
  bool ExecuteEditClass(std::string& name) override { return EditClass && EditClass->Execute(name); }
  void ShowMessage(const std::string& text) override {
    Application->MessageBox(text, Application->GetTitle(), MB_OK | MB_ICONWARNING);
  }

 private:
  TCustomListBox* List() const { return static_cast<TCustomListBox*>(form_.FindComponent("List")); }

  TClassesEditor& form_;
};

TClassesEditor::TClassesEditor(TComponent* owner)
    : TForm(owner),
      view_(std::make_unique<TView>(*this)),
      logic_(std::make_unique<TClassesLogic>(*view_, AppPaths.ClassList)) {
  ClassesEditor = this;
}

TClassesEditor::~TClassesEditor() {
  if (ClassesEditor == this) ClassesEditor = nullptr;
}

void TClassesEditor::FormCreate(TObject*) {
  TranslateComponent(this);
  // Any number of classes opens at once: the window is told only the count.
  static_cast<TCustomListBox*>(FindComponent("List"))->SetOwnerData(true);
  logic_->FormCreate();
}

void TClassesEditor::FormShow(TObject*) { logic_->FormShow(); }
void TClassesEditor::btnOKClick(TObject*) { logic_->btnOKClick(); }
void TClassesEditor::btnCancelClick(TObject*) { logic_->btnCancelClick(); }
void TClassesEditor::btnAddClick(TObject*) { logic_->btnAddClick(); }
void TClassesEditor::btnDeleteClick(TObject*) { logic_->btnDeleteClick(); }
void TClassesEditor::btnUPClick(TObject*) { logic_->btnUPClick(); }
void TClassesEditor::btnDownClick(TObject*) { logic_->btnDownClick(); }
void TClassesEditor::ListDblClick(TObject*) { logic_->ListDblClick(); }

void TClassesEditor::Publish(TPublisher<TClassesEditor>& p) {
  p.Method("FormCreate", &TClassesEditor::FormCreate);
  p.Method("FormShow", &TClassesEditor::FormShow);
  p.Method("btnOKClick", &TClassesEditor::btnOKClick);
  p.Method("btnCancelClick", &TClassesEditor::btnCancelClick);
  p.Method("btnAddClick", &TClassesEditor::btnAddClick);
  p.Method("btnDeleteClick", &TClassesEditor::btnDeleteClick);
  p.Method("btnUPClick", &TClassesEditor::btnUPClick);
  p.Method("btnDownClick", &TClassesEditor::btnDownClick);
  p.Method("ListDblClick", &TClassesEditor::ListDblClick);
}

TK_CLASS_INFO(TClassesEditor, TForm)

// ---- The name dialogs -------------------------------------------------------------------------

TsEdit* TClassNameDialog::GetNameEdit() const { return static_cast<TsEdit*>(FindComponent("edName")); }

bool TClassNameDialog::Execute(std::string& name) {
  if (ShowModal() != mrOk) return false;
  name = GetNameEdit()->GetText();
  return true;
}

void TClassNameDialog::FormCreate(TObject*) { TranslateComponent(this); }

void TClassNameDialog::edNameKeyPress(TObject*, char& key) {
  if (key == 13) static_cast<TsButton*>(FindComponent("btnOK"))->Click();
}

void TClassNameDialog::Publish(TPublisher<TClassNameDialog>& p) {
  p.Method("FormCreate", &TClassNameDialog::FormCreate);
  p.Method("edNameKeyPress", &TClassNameDialog::edNameKeyPress);
}

TK_ABSTRACT_CLASS_INFO(TClassNameDialog, TForm)

TAddClass::TAddClass(TComponent* owner) : TClassNameDialog(owner) { AddClass = this; }

TAddClass::~TAddClass() {
  if (AddClass == this) AddClass = nullptr;
}

void TAddClass::FormShow(TObject*) {
  GetNameEdit()->SetText("");
  SetActiveControl(GetNameEdit());
}

void TAddClass::Publish(TPublisher<TAddClass>& p) { p.Method("FormShow", &TAddClass::FormShow); }

TK_CLASS_INFO(TAddClass, TClassNameDialog)

TEditClass::TEditClass(TComponent* owner) : TClassNameDialog(owner) { EditClass = this; }

TEditClass::~TEditClass() {
  if (EditClass == this) EditClass = nullptr;
}

void TEditClass::FormShow(TObject*) { SetActiveControl(GetNameEdit()); }

void TEditClass::Publish(TPublisher<TEditClass>& p) { p.Method("FormShow", &TEditClass::FormShow); }

TK_CLASS_INFO(TEditClass, TClassNameDialog)

void RegisterClassesForms() {
  RegisterClasses({TClassesEditor::StaticClass(), TAddClass::StaticClass(), TEditClass::StaticClass()});
}
