// The start list editor's logic: the live start list, its placing, sorting and numbering,
// the participant editor's fields, and what New, Delete, Open, Merge, Save, OK and Cancel
// do. The dialog TStartList forwards its events here one line each, implements
// TStartListView with its list view and dialogs, and TStartListEdit implements
// TParticipantEditorView.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "app/atomicsave.h"
#include "app/raceview.h"
#include "app/startlistfile.h"

// Texts the logic shows; translated at run time, so the view is asked for them each time.
enum class TStartListWord { Error, NewParticipant, EditParticipant };

// The English text of a word, which is also its catalog key.
constexpr const char* StartListWordKey(TStartListWord word) {
  switch (word) {
    case TStartListWord::Error: return "ERROR";
    case TStartListWord::NewParticipant: return "New Participant";
    case TStartListWord::EditParticipant: return "Edit Participant";
  }
  return "";
}

// The sub-items of an entry, in order.
enum TEntryField { efClass, efStartNo, efLastName, efFirstName, efMake, efType, efCity, efCountry };
constexpr int kEntryFields = 8;

// The participant editor's control for each field, in field order. edFirstName sits under
// the label "Last Name:" and edits the last name, edLastName the first name.
inline constexpr std::array<const char*, kEntryFields> kParticipantControls = {
    "cbClasses", "edPersonalNo", "edFirstName", "edLastName", "edManuf", "edType", "edCity", "edLand"};

// The participant editor as the start list uses it.
class TParticipantEditorView {
 public:
  virtual ~TParticipantEditorView() = default;

  virtual void SetCaption(const std::string& caption) = 0;
  // edStart: the start place and its upper limit.
  virtual int GetStartPlace() const = 0;
  virtual void SetStartPlace(int place) = 0;
  virtual void SetStartPlaceMax(int max) = 0;
  // The control kParticipantControls[field] (for cbClasses its text).
  virtual std::string GetField(int field) const = 0;
  virtual void SetField(int field, const std::string& text) = 0;
  // Shows the editor modally; true when it was closed with OK.
  virtual bool Execute() = 0;
};

// The start list dialog as its logic uses it.
class TStartListView {
 public:
  virtual ~TStartListView() = default;

  // The list control shows these entries with these (ascending) indices selected; called
  // after every change.
  virtual void ShowEntries(const std::vector<TStartListEntry>& entries, const std::vector<int>& selected) = 0;
  // Indices of the selected entries, ascending.
  virtual std::vector<int> GetSelected() const = 0;
  // The list control's sort by start place (CompareStartPlaces) of these entries: the
  // indices of the entries in their new order. Entries of equal places keep their order.
  virtual std::vector<size_t> SortByStartPlace(const std::vector<TStartListEntry>& entries) = 0;
  // The open and save dialogs; true with the chosen file, false when cancelled.
  virtual bool ExecuteOpenDialog(std::string& file_name) = 0;
  virtual bool ExecuteSaveDialog(std::string& file_name) = 0;
  virtual void ShowMessage(const std::string& text) = 0;
  virtual std::string GetWord(TStartListWord word) const = 0;
};

// A caption as a start place for sorting: a number with the locale's decimal separator;
// any other text counts as 1.
double PlaceValue(const std::string& caption);
// Two start places, ascending: -1, 0 or 1.
int ComparePlaceValues(double a, double b);
// Two captions by their start places (PlaceValue).
int CompareStartPlaces(const std::string& first, const std::string& second);
// A start place as a caption, with the locale's decimal separator ("2,5" in German).
std::string PlaceCaption(double place);

// "3. Miller John / Ford Fiesta (17)": start place, last name, first name, car make and
// type, start number. Missing fields are empty.
std::string EntryText(const TStartListEntry& entry);

class TStartListLogic {
 public:
  static constexpr unsigned kInsertKey = 45;  // VK_INSERT
  static constexpr char kEnterChar = 13;

  // `working_file` is the working start list beside the executable.
  TStartListLogic(TStartListView& view, TParticipantEditorView& editor, std::string working_file);
  TStartListLogic(const TStartListLogic&) = delete;
  TStartListLogic& operator=(const TStartListLogic&) = delete;

  // The live start list, read by the lane assignment, the car selection and the protocol.
  const std::vector<TStartListEntry>& Entries() const { return entries_; }
  int Count() const { return static_cast<int>(entries_.size()); }
  // The line of the lane titles and the car selection; empty for an index outside the list.
  std::string GetEntryText(int index) const;

  // Reads an ".asl" file: replaces the list (emptied even when the file cannot be opened)
  // or, merging, appends to it. A file that cannot be opened shows "ERROR". Open and Merge
  // leave the list as it was when their file cannot be opened.
  void LoadFromFile(const std::string& file_name, bool merge);
  // Writes the list; a failure shows a message naming the file and the reason and leaves the
  // file as it was. A working file that was not read is first copied beside it; when that
  // fails, it is not written.
  bool SaveToFile(const std::string& file_name);
  // By start place through the list control's sort (equal places keep their order), then
  // Renumber.
  void SortList();
  // Captions 1 to N in list order.
  void Renumber();
  // Edits the first selected entry and moves it to the place chosen.
  void EditParticipant();

  // Open and Merge once their file is chosen: the list is read (left as it was when the file
  // cannot be), sorted and shown.
  void OpenChosen(const std::string& file_name, bool merge);

  // Events.
  void FormCreate();
  void FormShow() { SortList(); }
  void btnAddClick();
  void btnDeleteClick();
  void btnOpenClick() { OpenFile(false); }
  void btnMergeClick() { OpenFile(true); }
  void btnSaveClick();
  void btnOKClick() { SaveToFile(working_file_); }
  void btnCancelClick() { LoadWorkingFile(); }
  void ListDblClick() { EditParticipant(); }
  void ListKeyPress(char key) {
    if (key == kEnterChar) EditParticipant();
  }
  // The form's shortcut check; true when the key was taken (Insert adds a participant).
  bool FormShortCut(unsigned key);

  const std::string& WorkingFile() const { return working_file_; }

 private:
  // The operations without the view: the caller takes the selection first and shows after.
  // False: cannot be opened.
  bool ReadFile(const std::string& file_name, bool merge, TStartListProblem* problem = nullptr,
                DWORD* error = nullptr, TAslDamage* damage = nullptr);
  // Entries read from a file replace the list or, merging, are appended to it.
  void TakeEntries(std::vector<TStartListEntry> read, bool merge);
  void Sort();
  void Number();
  void OpenFile(bool merge);
  // The working file. One that is not there (a first start) says "ERROR"; one that cannot be
  // read, holds text but no record, or has damaged records, says why once and is kept before
  // it is saved over.
  void LoadWorkingFile();
  // A first start's "ERROR", or why the file looked for has its original name.
  void MissingWorkingFile();
  void Show() { view_.ShowEntries(entries_, SelectedIndices()); }
  std::vector<int> SelectedIndices() const;
  void TakeSelection();
  void Error() { view_.ShowMessage(view_.GetWord(TStartListWord::Error)); }

  TStartListView& view_;
  TParticipantEditorView& editor_;
  std::string working_file_;
  std::vector<TStartListEntry> entries_;
  // Travels with the entries through a sort, as the list control's own selection would.
  std::vector<bool> selected_;
  // The working file while it is one that was not read.
  TUnreadFileCopy unread_copy_;
};
