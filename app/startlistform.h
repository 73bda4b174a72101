// The start list editor TStartList (the live start list in its list view) and the
// participant editor TStartListEdit. Both forward their events to TStartListLogic and show
// what it decides; the logic reaches the participant editor through the global form, which
// is created after the start list.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "app/startlistlogic.h"
#include "toolkit/forms.h"

class TsButton;
class TsComboBox;
class TsEdit;
class TListItem;
class TListView;
class TOpenDialog;
class TSaveDialog;
class TsSpinEdit;

class TStartList : public TForm {
  TK_CLASS(TStartList, TForm)

 public:
  explicit TStartList(TComponent* owner);
  ~TStartList() override;

  TStartListLogic& Logic() { return *logic_; }
  // The list view, showing the live start list.
  TListView* GetList() const;

  // Event handlers named in the form definition.
  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormShortCut(TMessage& message, bool& handled);
  void btnAddClick(TObject* sender);
  void btnDeleteClick(TObject* sender);
  void btnOpenClick(TObject* sender);
  void btnMergeClick(TObject* sender);
  void btnSaveClick(TObject* sender);
  void btnOKClick(TObject* sender);
  void btnCancelClick(TObject* sender);
  void ListDblClick(TObject* sender);
  // The list's compare event: two rows by their entries' start places.
  void ListCompare(TObject* sender, TListItem* item1, TListItem* item2, intptr_t data, int& compare);
  // The list's owner-data event: the texts of the entry at the item's index.
  void ListData(TObject* sender, TListItem* item);
  void ListKeyPress(TObject* sender, char& key);

 private:
  class TView;
  class TEditorLink;
  static void Publish(TPublisher<TStartList>& p);
  TListView* List() const;

  std::unique_ptr<TView> view_;
  std::unique_ptr<TEditorLink> editor_;
  std::unique_ptr<TStartListLogic> logic_;
};

class TStartListEdit : public TForm {
  TK_CLASS(TStartListEdit, TForm)

 public:
  explicit TStartListEdit(TComponent* owner);
  ~TStartListEdit() override;

  // The editor as the start list's logic uses it.
  TParticipantEditorView& View();

  void FormCreate(TObject* sender);
  void FormShow(TObject* sender);
  void FormShortCut(TMessage& message, bool& handled);
  void btnEditClassesClick(TObject* sender);

 private:
  class TView;
  static void Publish(TPublisher<TStartListEdit>& p);
  // The class combo takes the class list again, keeping the class it shows.
  void RefreshClasses();

  std::unique_ptr<TView> view_;
};

// Registers both forms for creation by name.
void RegisterStartListForms();
