// The classes editor TClassesEditor (the live class list in its list box) and the two small
// dialogs that enter a class name, TAddClass and TEditClass. The editor forwards its events
// to TClassesLogic.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/classlist.h"
#include "toolkit/forms.h"

class TButton;
class TEdit;
class TCustomListBox;

class TClassesEditor : public TForm {
  TK_CLASS(TClassesEditor, TForm)

 public:
  explicit TClassesEditor(TComponent* owner);
  ~TClassesEditor() override;

  TClassesLogic& Logic() { return *logic_; }
  // The live class list, for the participant editor's combo.
  std::vector<std::string> GetClassList() const { return logic_->GetClassList(); }

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void btnOKClick(TObject* sender);
  void btnCancelClick(TObject* sender);
  void btnAddClick(TObject* sender);
  void btnDeleteClick(TObject* sender);
  void btnUPClick(TObject* sender);
  void btnDownClick(TObject* sender);
  void ListDblClick(TObject* sender);

 private:
  class TView;
  static void Publish(TPublisher<TClassesEditor>& p);

  std::unique_ptr<TView> view_;
  std::unique_ptr<TClassesLogic> logic_;
};

// A dialog with one name field: Enter in the field clicks OK.
class TClassNameDialog : public TForm {
  TK_CLASS(TClassNameDialog, TForm)

 public:
  explicit TClassNameDialog(TComponent* owner) : TForm(owner) {}

  TEdit* GetNameEdit() const;
  // Shows the dialog modally; true on OK with the name field's text.
  bool Execute(std::string& name);

  void FormCreate(TObject* sender);
  void edNameKeyPress(TObject* sender, char& key);

 private:
  static void Publish(TPublisher<TClassNameDialog>& p);
};

// A new class: the name field starts empty on every showing.
class TAddClass : public TClassNameDialog {
  TK_CLASS(TAddClass, TClassNameDialog)

 public:
  explicit TAddClass(TComponent* owner);
  ~TAddClass() override;

  void FormShow(TObject* sender);

 private:
  static void Publish(TPublisher<TAddClass>& p);
};

// Renaming a class: the name field keeps the text of its last use.
class TEditClass : public TClassNameDialog {
  TK_CLASS(TEditClass, TClassNameDialog)

 public:
  explicit TEditClass(TComponent* owner);
  ~TEditClass() override;

  void FormShow(TObject* sender);

 private:
  static void Publish(TPublisher<TEditClass>& p);
};

void RegisterClassesForms();
