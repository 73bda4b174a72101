// The class list and its editor's logic. The list lives in the classes editor's list box and
// in a file beside the executable, one class name per line; the editor works on the list
// box's items and writes the file only on OK. TClassesEditor forwards its events here one
// line each and implements TClassesView; the participant editor refreshes its class combo
// with RefreshClassItems.
#pragma once

#include <string>
#include <vector>

#include "app/atomicsave.h"

class TStrings;

// The classes editor as its logic uses it.
class TClassesView {
 public:
  virtual ~TClassesView() = default;

  // The list box's items and selection (-1 none).
  virtual TStrings& GetItems() = 0;
  virtual int GetItemIndex() const = 0;
  virtual void SetItemIndex(int index) = 0;
  // TAddClass and TEditClass, shown modally: true on OK with their name field's text.
  virtual bool ExecuteAddClass(std::string& name) = 0;
  virtual bool ExecuteEditClass(std::string& name) = 0;
  // A message box with OK.
  virtual void ShowMessage(const std::string& text) = 0;
};

class TClassesLogic {
 public:
  // `class_file` is the class list file beside the executable.
  TClassesLogic(TClassesView& view, std::string class_file);
  TClassesLogic(const TClassesLogic&) = delete;
  TClassesLogic& operator=(const TClassesLogic&) = delete;

  // The live class list, for the participant editor.
  std::vector<std::string> GetClassList() const;

  // Empties the list, then reads the file if there is one (no message when there is none).
  // A file that cannot be read, or holds zero bytes (each ends a name in the list box),
  // says so once and is kept beside itself before it is saved over.
  void LoadClasses();
  // Replaces the file with the list; a failure raises the toolkit's file error and leaves
  // the old file as it was. A file not read whole is copied first; when that fails, a
  // message says so and nothing is written.
  void SaveClasses();

  // Events. Every showing and Cancel start again from the file.
  void FormCreate() { LoadClasses(); }
  void FormShow() { LoadClasses(); }
  void btnOKClick() { SaveClasses(); }
  void btnCancelClick() { LoadClasses(); }
  void btnAddClick();
  void btnDeleteClick();
  void ListDblClick();
  // Exchange the selected class with its neighbour. The selection stays at its index, so the
  // moved class is no longer selected.
  void btnUPClick() { Exchange(-1); }
  void btnDownClick() { Exchange(1); }

  const std::string& ClassFile() const { return class_file_; }

 private:
  void Exchange(int step);

  TClassesView& view_;
  std::string class_file_;
  // The class file while it is one that was not read whole.
  TUnreadFileCopy unread_copy_;
};

// The participant editor's class combo, on showing and after the classes editor: its items
// become the class list. Returns the index of the class `shown` (the combo's text) in the
// new list, -1 when it is not one of them.
int RefreshClassItems(TStrings& combo_items, const std::string& shown,
                      const std::vector<std::string>& classes);

// The class list file beside the executable. Its name is a resource string, so it follows
// the active catalog ("Klasse.Lst" in German); a translation that is no plain file name is
// not taken.
std::string ClassListFileName(const std::string& exe_file);
