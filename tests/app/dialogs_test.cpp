// The dialogs built from their form definitions and driven as the user would: modal loops
// run for real, keys are posted to the controls' windows, and message boxes are answered.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/configform.h"
#include "app/selectcarform.h"
#include "app/settings.h"
#include "i18n/translator.h"
#include "skin/controls/sctrladapter.h"
#include "app/startlistform.h"
#include "skin/controls/scombobox.h"
#include "skin/controls/sspinedit.h"
#include "skin/controls/sgroupbox.h"
#include "tests/app/scripted_comm_ports.h"
#include "tests/app/sparse_file.h"
#include "tests/app/start_list_fakes.h"
#include "tests/support/dialog_answerer.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "skin/controls/sbuttons.h"
#include "toolkit/buttons.h"
#include "toolkit/canvas.h"
#include "toolkit/dialogs.h"
#include "toolkit/extctrls.h"
#include "toolkit/listview.h"
#include "toolkit/spin.h"
#include "toolkit/stdctrls.h"
#include "toolkit/streams.h"
#include "widgets/galoled.h"

namespace {

// Steps run from a timer while modal loops run: each waits for its condition, then acts.
// An action may open the next modal dialog; the steps after it go on from that loop.
class TModalScript {
 public:
  TModalScript() {
    current_ = this;
    timer_ = SetTimer(nullptr, 0, 20, &TModalScript::Tick);
  }
  ~TModalScript() {
    KillTimer(nullptr, timer_);
    current_ = nullptr;
  }
  void When(std::function<bool()> ready, std::function<void()> action) {
    steps_.push_back({std::move(ready), std::move(action)});
  }
  // The form is modal and on screen, with no other dialog of ours above it.
  static bool Modal(TCustomForm* form) {
    return form->GetFormState().Contains(fsModal) && IsWindowVisible(form->GetHandle()) &&
           IsWindowEnabled(form->GetHandle());
  }
  bool Done() const { return next_ == steps_.size(); }

 private:
  struct Step {
    std::function<bool()> ready;
    std::function<void()> action;
  };
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TModalScript* self = current_;
    if (!self || self->busy_ || self->Done() || !self->steps_[self->next_].ready()) return;
    self->busy_ = true;
    Step& step = self->steps_[self->next_++];
    self->busy_ = false;  // the action may start a nested loop whose ticks run the next step
    step.action();
  }

  static inline TModalScript* current_ = nullptr;
  UINT_PTR timer_ = 0;
  std::vector<Step> steps_;
  size_t next_ = 0;
  bool busy_ = false;
};

template <class T>
T* Child(TComponent* form, const char* name) {
  T* control = static_cast<T*>(form->FindComponent(name));
  EXPECT_NE(control, nullptr) << name;
  return control;
}

void Click(TComponent* form, const char* button) { Child<TsButton>(form, button)->Click(); }

void PostKey(TWinControl* control, WORD key) { PostMessageA(control->GetHandle(), WM_KEYDOWN, key, 1); }
void PostChar(TWinControl* control, char c) { PostMessageA(control->GetHandle(), WM_CHAR, c, 1); }

std::vector<std::string> Lines(TStrings* strings) {
  std::vector<std::string> lines;
  for (int i = 0; i < strings->Count(); ++i) lines.push_back(strings->Get(i));
  return lines;
}

// A form's picture as a bitmap file in DRAVOLIN_DIALOG_PICTURES, when that is set.
void SavePicture(TCustomForm* form, const std::string& name) {
  const char* folder = std::getenv("DRAVOLIN_DIALOG_PICTURES");
  if (!folder) return;
  form->Show();
  SetForegroundWindow(form->GetHandle());
  DWORD shown = GetTickCount();
  PumpUntil([&] { return GetTickCount() - shown > 300; });  // lets the native controls paint
  // From the screen, frame and native controls as the user sees them.
  RECT frame{};
  GetWindowRect(form->GetHandle(), &frame);
  TBitmap* picture = New<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(frame.right - frame.left, frame.bottom - frame.top);
  HDC screen = GetDC(nullptr);
  BitBlt(picture->GetCanvas()->GetHandle(), 0, 0, frame.right - frame.left, frame.bottom - frame.top, screen,
         frame.left, frame.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  {
    TFileStream out(std::string(folder) + "\\" + name + ".bmp", fmCreate);
    picture->SaveToStream(out);
  }
  Free(picture);
  form->Hide();
}

// Every dialog, created in the application's order with its files in a scratch folder.
class Dialogs : public testing::Test {
 protected:
  void SetUp() override {
    AppPaths.ClassList = folder.File("Classes.Lst");
    AppPaths.WorkingStartList = folder.File("Current.Asl");
    AppPaths.Settings = folder.File("Dravolin.ini");
  }
  void TearDown() override {
    for (TCustomForm* form : {static_cast<TCustomForm*>(SelectCar), static_cast<TCustomForm*>(Config),
                              static_cast<TCustomForm*>(StartListEdit), static_cast<TCustomForm*>(StartList),
                              static_cast<TCustomForm*>(EditClass), static_cast<TCustomForm*>(AddClass),
                              static_cast<TCustomForm*>(ClassesEditor)})
      Free(form);
    Pump();
  }
  void CreateStartListForms() {
    New<TClassesEditor>(Application);
    New<TAddClass>(Application);
    New<TEditClass>(Application);
    New<TStartList>(Application);
    New<TStartListEdit>(Application);
  }
  // The classes A and B, and a working start list of these entries, the one at `index` of
  // class B.
  void CreateWithAnEntryOfClassB(const std::string& names, size_t index) {
    TScratchFolder::Write(AppPaths.ClassList, "A\r\nB\r\n");
    std::vector<TStartListEntry> stored = Entries(names);
    stored[index].SubItems[efClass] = "B";
    TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(stored));
    CreateStartListForms();
  }
  TListView* List() { return StartList->GetList(); }
  // The classes A and B, an empty working start list, and the participant editor.
  TParticipantEditorView& EditorWithClassesAB() {
    TScratchFolder::Write(AppPaths.ClassList, "A\r\nB\r\n");
    TScratchFolder::Write(AppPaths.WorkingStartList, "");
    CreateStartListForms();
    return StartListEdit->View();
  }

  TDesktopLock lock_;
  TScratchFolder folder;
};

// ---- Start list and participant editor --------------------------------------------------------

TEST_F(Dialogs, StartListComesWithItsColumnsListStyleAndFileDialogs) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("AB")));
  CreateStartListForms();
  std::vector<std::string> captions;
  std::vector<int> widths;
  for (const TListColumnInfo& column : StartListColumns()) {
    captions.push_back(column.Caption);
    widths.push_back(column.Width);
  }
  EXPECT_EQ(captions, (std::vector<std::string>{"Start Place", "Class", "Start-Nr.", "Last Name",
                                                "First Name", "Factory", "Type", "City", "Land"}));
  EXPECT_EQ(widths, (std::vector<int>{35, 40, 40, 70, 70, 70, 70, 70, 70}));
  EXPECT_TRUE(List()->GetGridLines() && List()->GetMultiSelect() && List()->GetReadOnly() &&
              List()->GetRowSelect());
  EXPECT_FALSE(List()->GetColumnClick());
  EXPECT_EQ(List()->GetRowCount(), 2);
  EXPECT_EQ(StartListEntries().size(), 2u);
  EXPECT_FALSE(Child<TsButton>(StartList, "btnSort")->GetVisible());
  for (const char* name : {"OpenDialog", "SaveDialog"}) {
    TOpenDialog* dialog = Child<TOpenDialog>(StartList, name);
    EXPECT_EQ(dialog->GetDefaultExt(), "asl");
    EXPECT_EQ(dialog->GetFilter(), "Rarezerur Starterliste|*.asl");
  }
  TOpenOptions save = Child<TSaveDialog>(StartList, "SaveDialog")->GetOptions();
  EXPECT_TRUE(save.Contains(ofOverwritePrompt) && save.Contains(ofCreatePrompt));
  for (const char* name : kParticipantControls)
    EXPECT_NE(StartListEdit->FindComponent(name), nullptr) << name;
  EXPECT_EQ(Child<TsSpinEdit>(StartListEdit, "edStart")->GetMaxValue(), 999);
  SavePicture(StartList, "startlist");
  SavePicture(StartListEdit, "startlistedit");
}

// The list's own sort orders the rows, asking the form's ListCompare, which reads the
// places as numbers; the rows it shows come from the entries.
TEST_F(Dialogs, StartListSortsThroughItsCompareEventByPlacesReadAsNumbers) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("AB")));
  std::vector<TStartListEntry> opened = Entries("WXYZ");
  opened[0].Caption = "10";
  opened[1].Caption = "no place";  // counts as 1
  opened[2].Caption = PlaceCaption(2.5);
  opened[3].Caption = "2";
  TScratchFolder::Write(folder.File("open.asl"), FormatStartList(opened));
  CreateStartListForms();
  EXPECT_TRUE(List()->OnCompare == TLVCompareEvent(StartList, &TStartList::ListCompare));
  EXPECT_TRUE(List()->GetOwnerData());
  {
    testsupport::MessageBoxAnswerer boxes({IDOK});  // the place that is no number is named
    StartList->Logic().OpenChosen(folder.File("open.asl"), false);
    EXPECT_EQ(boxes.boxes().size(), 1u);
  }
  std::string order;
  for (const TStartListEntry& entry : StartListEntries()) order += entry.Caption + entry.SubItems[efLastName];
  EXPECT_EQ(order, "1X2Z3Y4W");
  // The window shows the rows from the entries, with no item of its own.
  StartList->Show();
  EXPECT_EQ(List()->GetItems()->GetCount(), 0);
  char text[32] = {};
  LVITEMA cell{};
  cell.iSubItem = 1 + efLastName;
  cell.pszText = text;
  cell.cchTextMax = sizeof text;
  SendMessageA(List()->GetHandle(), LVM_GETITEMTEXTA, 3, reinterpret_cast<LPARAM>(&cell));
  EXPECT_STREQ(text, "W");
  StartList->Hide();
}

TEST_F(Dialogs, StartListGrowsWithItsWindowButNeverBelowItsDesignedSize) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("AB")));
  CreateStartListForms();
  StartList->Show();
  Pump();
  auto bounds = [](TControl* c) { return c->GetBoundsRect(); };
  TControl* ok = Child<TsButton>(StartList, "btnOK");
  TControl* add = Child<TsButton>(StartList, "btnAdd");
  const RECT window = bounds(StartList), list = bounds(List()), ok_at = bounds(ok), add_at = bounds(add);
  StartList->SetBounds(window.left, window.top, window.right - window.left + 200,
                       window.bottom - window.top + 100);
  Pump();
  EXPECT_EQ(List()->GetWidth(), list.right - list.left + 200);
  EXPECT_EQ(List()->GetHeight(), list.bottom - list.top + 100);
  EXPECT_EQ(bounds(add).left, add_at.left + 200);
  EXPECT_EQ(bounds(add).top, add_at.top);
  EXPECT_EQ(bounds(ok).left, ok_at.left + 200);
  EXPECT_EQ(bounds(ok).top, ok_at.top + 100);
  // Its grip may make it smaller again, down to the size it was designed with.
  StartList->SetBounds(window.left, window.top, 300, 200);
  Pump();
  EXPECT_EQ(bounds(StartList).right - bounds(StartList).left, window.right - window.left);
  EXPECT_EQ(bounds(StartList).bottom - bounds(StartList).top, window.bottom - window.top);
  const RECT list_again = bounds(List());
  EXPECT_TRUE(EqualRect(&list, &list_again));
  StartList->Hide();
}

TEST_F(Dialogs, FirstStartWithoutWorkingFileSaysErrorOnceAndStartsEmpty) {
  testsupport::MessageBoxAnswerer boxes({IDOK});
  CreateStartListForms();
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "ERROR");
  EXPECT_TRUE(StartListEntries().empty());
}

TEST_F(Dialogs, InsertKeyAddsThroughTheEditorWhoseEnterConfirmsAndOkSaves) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("A")));
  CreateStartListForms();
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartList); }, [this] { PostKey(List(), VK_INSERT); });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] {
                EXPECT_EQ(StartListEdit->GetCaption(), "New Participant");
                EXPECT_EQ(Child<TsSpinEdit>(StartListEdit, "edStart")->GetValue(), 2);
                Child<TsEdit>(StartListEdit, "edFirstName")->SetText("Miller");  // under "Last Name:"
                Child<TsEdit>(StartListEdit, "edLastName")->SetText("John");
                PostKey(Child<TsEdit>(StartListEdit, "edLastName"), VK_RETURN);
              });
  script.When([] { return TModalScript::Modal(StartList); }, [] { Click(StartList, "btnOK"); });
  ShowStartListEditor();
  EXPECT_TRUE(script.Done());
  std::vector<TStartListEntry> entries = StartListEntries();
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1].Caption, "2");
  EXPECT_EQ(entries[1].SubItems[efLastName], "Miller");
  EXPECT_EQ(entries[1].SubItems[efFirstName], "John");
  EXPECT_EQ(TScratchFolder::Read(AppPaths.WorkingStartList), FormatStartList(entries));
}

TEST_F(Dialogs, EnterOnTheListEditsTheEntryKeepingItsClassAndCancelReloads) {
  CreateWithAnEntryOfClassB("XY", 1);
  TsComboBox* classes = Child<TsComboBox>(StartListEdit, "cbClasses");
  classes->GetItems()->Add("A");
  classes->SetItemIndex(0);  // the class picked at the last use of the editor
  List()->SetSelectedRows({1});
  TModalScript script;
  // A class typed and cancelled stays in the editor, never in the entry.
  script.When([] { return TModalScript::Modal(StartList); }, [this] { PostChar(List(), 13); });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [classes] {
                classes->SetText("Offen");
                Click(StartListEdit, "btnCancel");
              });
  script.When([] { return TModalScript::Modal(StartList); }, [this] { PostChar(List(), 13); });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [classes] {
                EXPECT_EQ(StartListEntries()[1].SubItems[efClass], "B");
                EXPECT_EQ(StartListEdit->GetCaption(), "Edit Participant");
                EXPECT_EQ(Lines(classes->GetItems()), (std::vector<std::string>{"A", "B"}));
                EXPECT_EQ(classes->GetText(), "B");
                Child<TsEdit>(StartListEdit, "edCity")->SetText("Graz");
                Click(StartListEdit, "btnOK");
              });
  script.When([] { return TModalScript::Modal(StartList); },
              [] {
                EXPECT_EQ(StartListEntries()[1].SubItems[efCity], "Graz");
                EXPECT_EQ(StartListEntries()[1].SubItems[efClass], "B");
                Click(StartList, "btnCancel");
              });
  ShowStartListEditor();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(StartListEntries()[1].SubItems[efCity], "Linz");
}

// The spin edit clamps to the limit it had when the place is set: a limit left from a
// "New" on a shorter list must not move the edited entry.
TEST_F(Dialogs, ParticipantEditorDrawsOkAsDefaultAndKeepsAnEditedPlaceWhateverItsLastLimit) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("ABC")));
  TScratchFolder::Write(folder.File("ten.asl"), FormatStartList(Entries("DEFGHIJKLM")));
  CreateStartListForms();
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] {
                // Enter means OK, so OK is drawn as the default button.
                EXPECT_TRUE(Child<TsButton>(StartListEdit, "btnOK")->IsActiveDefault());
                Click(StartListEdit, "btnCancel");
              });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] {
                EXPECT_EQ(Child<TsSpinEdit>(StartListEdit, "edStart")->GetValue(), 8);
                Child<TsEdit>(StartListEdit, "edFirstName")->SetText("Renamed");
                Click(StartListEdit, "btnOK");
              });
  StartList->Logic().btnAddClick();
  StartList->Logic().LoadFromFile(folder.File("ten.asl"), false);
  List()->SetSelectedRows({7});
  StartList->Logic().EditParticipant();
  EXPECT_TRUE(script.Done());
  const std::vector<TStartListEntry> entries = StartListEntries();
  ASSERT_EQ(entries.size(), 10u);
  EXPECT_EQ(entries[7].SubItems[efLastName], "Renamed");
  EXPECT_EQ(entries[3].SubItems[efLastName], "G");
}

// The classes editor may delete or move classes while an entry is being edited: the entry
// keeps its class by name, also when that class is no longer offered.
TEST_F(Dialogs, AnEntrysClassSurvivesTheClassesEditorMovingOrDeletingClasses) {
  CreateWithAnEntryOfClassB("X", 0);
  TsComboBox* classes = Child<TsComboBox>(StartListEdit, "cbClasses");
  TCustomListBox* class_list = Child<TCustomListBox>(ClassesEditor, "List");
  auto in_classes_editor = [&](int index, const char* button) {
    return [=] {
      class_list->SetItemIndex(index);
      Click(ClassesEditor, button);
      Click(ClassesEditor, "btnOK");
    };
  };
  TModalScript script;
  auto editor = [] { return TModalScript::Modal(StartListEdit); };
  auto classes_editor = [] { return TModalScript::Modal(ClassesEditor); };
  script.When(editor, [] { Click(StartListEdit, "btnEditClasses"); });
  script.When(classes_editor, in_classes_editor(1, "btnUP"));  // B moved up: B, A
  script.When(editor, [classes] {
    EXPECT_EQ(classes->GetText(), "B");
    EXPECT_EQ(classes->GetItemIndex(), 0);
    Click(StartListEdit, "btnEditClasses");
  });
  script.When(classes_editor, in_classes_editor(0, "btnDelete"));  // B deleted: A
  script.When(editor, [classes] {
    EXPECT_EQ(Lines(classes->GetItems()), (std::vector<std::string>{"A"}));
    EXPECT_EQ(classes->GetText(), "B");
    Click(StartListEdit, "btnOK");
  });
  List()->SetSelectedRows({0});
  StartList->Logic().EditParticipant();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(StartListEntries()[0].SubItems[efClass], "B");
}

// A file that cannot be read leaves the live list alone, so OK cannot save it away.
TEST_F(Dialogs, AnOpenThatFailsSaysErrorAndKeepsTheListThatOkSaves) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("AB")));
  const std::string stored = TScratchFolder::Read(AppPaths.WorkingStartList);
  CreateStartListForms();
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartList); },
              [this] {
                testsupport::FileDialogAnswerer files({folder.File("missing.asl")}, {IDOK});
                Click(StartList, "btnOpen");
                EXPECT_EQ(files.boxes().size(), 1u);
                EXPECT_EQ(List()->GetRowCount(), 2);
                Click(StartList, "btnOK");
              });
  ShowStartListEditor();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(StartListEntries().size(), 2u);
  EXPECT_EQ(TScratchFolder::Read(AppPaths.WorkingStartList), stored);
}

// A new participant takes the class last used, even one typed and then cancelled.
TEST_F(Dialogs, ClassTypedIntoTheParticipantEditorOutlivesCancel) {
  TParticipantEditorView& editor = EditorWithClassesAB();
  editor.SetField(efClass, "B");
  TsComboBox* classes = Child<TsComboBox>(StartListEdit, "cbClasses");
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [classes] {
                HWND edit = classes->GetEditHandle();
                SetFocus(edit);
                for (char c : std::string("Offen")) SendMessageA(edit, WM_CHAR, c, 1);
                EXPECT_EQ(classes->GetText(), "Offen");
                Click(StartListEdit, "btnCancel");
              });
  EXPECT_FALSE(editor.Execute());
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(editor.GetField(efClass), "Offen");
  // OK keeps what was typed.
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [classes] {
                classes->SetText("Offen");
                Click(StartListEdit, "btnOK");
              });
  EXPECT_TRUE(editor.Execute());
  EXPECT_EQ(editor.GetField(efClass), "Offen");
}

// The class list's own look-up ignores case; an entry's class is kept as it is written.
TEST_F(Dialogs, AClassDifferingOnlyInCaseFromAListedOneStaysAsWritten) {
  TParticipantEditorView& editor = EditorWithClassesAB();
  editor.SetField(efClass, "a");
  EXPECT_EQ(editor.GetField(efClass), "a");
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartListEdit); }, [] { Click(StartListEdit, "btnOK"); });
  EXPECT_TRUE(editor.Execute());
  EXPECT_EQ(editor.GetField(efClass), "a");
  // Cancel keeps the class last picked.
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] {
                Child<TsComboBox>(StartListEdit, "cbClasses")->SetItemIndex(1);
                Click(StartListEdit, "btnCancel");
              });
  EXPECT_FALSE(editor.Execute());
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(editor.GetField(efClass), "B");
  editor.SetField(efClass, "B");
  EXPECT_EQ(Child<TsComboBox>(StartListEdit, "cbClasses")->GetItemIndex(), 1);
}

// Only the control with the focus shows it: the class box's text is no longer marked once the
// focus has moved on, and the list's focus mark goes with the entry an edit moved.
TEST_F(Dialogs, OnlyTheFocusedControlShowsTheFocus) {
  CreateWithAnEntryOfClassB("ABCD", 1);
  TsComboBox* classes = Child<TsComboBox>(StartListEdit, "cbClasses");
  const COLORREF marked = GetSysColor(COLOR_HIGHLIGHT);
  auto marked_pixels = [marked](HWND window) {
    RECT r{};
    GetClientRect(window, &r);
    HDC dc = GetDC(window);
    int found = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) found += GetPixel(dc, x, y) == marked;
    ReleaseDC(window, dc);
    return found;
  };
  auto painted = [](HWND window) { return !GetUpdateRect(window, nullptr, FALSE); };
  HWND edit = nullptr;
  int marked_with_focus = 0, marked_after = -1;
  List()->SetSelectedRows({1});
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartList); }, [this] { PostChar(List(), 13); });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [&] {
                edit = classes->GetEditHandle();
                SetFocus(edit);
                SendMessageA(edit, EM_SETSEL, 0, -1);
              });
  script.When([&] { return painted(edit) && marked_pixels(edit) > 0; },
              [&] {
                marked_with_focus = marked_pixels(edit);
                PostMessageA(edit, WM_KEYDOWN, VK_TAB, 1);
              });
  script.When([&] { return GetFocus() != edit && painted(edit); },
              [&] {
                marked_after = marked_pixels(edit);
                Child<TsSpinEdit>(StartListEdit, "edStart")->SetValue(4);  // entry 2 moves to the end
                Click(StartListEdit, "btnOK");
              });
  script.When([] { return TModalScript::Modal(StartList); },
              [this] {
                EXPECT_EQ(StartListEntries()[3].SubItems[efLastName], "B");
                EXPECT_EQ(List()->GetSelectedRows(), std::vector<int>{3});
                EXPECT_EQ(
                    SendMessageA(List()->GetHandle(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED),
                    3);
                Click(StartList, "btnCancel");
              });
  ShowStartListEditor();
  EXPECT_TRUE(script.Done());
  EXPECT_GT(marked_with_focus, 0);
  EXPECT_EQ(marked_after, 0);
}

TEST_F(Dialogs, EscapeCancelsTheStartListAsEveryDialogsCancelButtonDoes) {
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(Entries("AB")));
  CreateStartListForms();
  static TScriptedCommPorts ports;  // outlives the forms freed after the test
  New<TConfig>(Application, ports);
  New<TSelectCar>(Application);
  for (TCustomForm* form : std::vector<TCustomForm*>{ClassesEditor, AddClass, EditClass, StartList,
                                                     StartListEdit, Config, SelectCar})
    EXPECT_TRUE(Child<TsButton>(form, "btnCancel")->GetCancel()) << form->GetName();

  TModalScript script;
  script.When([] { return TModalScript::Modal(StartList); },
              [this] {
                List()->SetSelectedRows({0});
                StartList->Logic().btnDeleteClick();
                PostKey(List(), VK_ESCAPE);
              });
  // The key is handled before the next tick: a start list still open did not take it.
  script.When([] { return TModalScript::Modal(StartList); },
              [] {
                ADD_FAILURE() << "Escape left the start list open";
                Click(StartList, "btnCancel");
              });
  ShowStartListEditor();
  EXPECT_FALSE(script.Done());
  EXPECT_EQ(StartListEntries().size(), 2u);
}

// ---- Classes ---------------------------------------------------------------------------------

TEST_F(Dialogs, ClassesEditorAddsThroughTheNameDialogMovesRenamesAndSavesOnOk) {
  TScratchFolder::Write(AppPaths.ClassList, "A\r\n");
  TScratchFolder::Write(AppPaths.WorkingStartList, "");
  CreateStartListForms();
  TCustomListBox* list = Child<TCustomListBox>(ClassesEditor, "List");
  Child<TsEdit>(AddClass, "edName")->SetText("left over");
  TModalScript script;
  script.When([] { return TModalScript::Modal(ClassesEditor); }, [] { Click(ClassesEditor, "btnAdd"); });
  script.When([] { return TModalScript::Modal(AddClass); },
              [] {
                TsEdit* name = Child<TsEdit>(AddClass, "edName");
                EXPECT_EQ(name->GetText(), "");
                name->SetText("B");
                PostChar(name, 13);
              });
  script.When([] { return TModalScript::Modal(ClassesEditor); },
              [list] {
                EXPECT_EQ(Lines(list->GetItems()), (std::vector<std::string>{"A", "B"}));
                list->SetItemIndex(0);
                Click(ClassesEditor, "btnDown");
                list->OnDblClick(list);  // index 0 is now "B"
              });
  script.When([] { return TModalScript::Modal(EditClass); },
              [] {
                Child<TsEdit>(EditClass, "edName")->SetText("C");
                PostChar(Child<TsEdit>(EditClass, "edName"), 13);
              });
  script.When([] { return TModalScript::Modal(ClassesEditor); }, [] { Click(ClassesEditor, "btnOK"); });
  ClassesEditor->ShowModal();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(TScratchFolder::Read(AppPaths.ClassList), "C\r\nA\r\n");
  EXPECT_EQ(ClassesEditor->GetClassList(), (std::vector<std::string>{"C", "A"}));
  SavePicture(ClassesEditor, "classes");
  SavePicture(AddClass, "addclass");
  SavePicture(EditClass, "editclass");
}

TEST_F(Dialogs, ClassesEditorCarriesAGridAdapterThatSkinsNothing) {
  TScratchFolder::Write(AppPaths.WorkingStartList, "");
  CreateStartListForms();
  auto* adapter = DynamicCast<TsGridAdapter>(ClassesEditor->FindComponent("sGridAdapter1"));
  ASSERT_NE(adapter, nullptr);
  EXPECT_EQ(adapter->GetForm(), ClassesEditor);
  EXPECT_EQ(adapter->Count(), 0);
  EXPECT_EQ(adapter->IndexOf("List"), -1);
}

TEST_F(Dialogs, RenamedClassStaysSelectedSoItCanBeMoved) {
  TScratchFolder::Write(AppPaths.ClassList, "A\r\nB\r\nC\r\n");
  TScratchFolder::Write(AppPaths.WorkingStartList, "");
  CreateStartListForms();
  TCustomListBox* list = Child<TCustomListBox>(ClassesEditor, "List");
  TModalScript script;
  script.When([] { return TModalScript::Modal(ClassesEditor); },
              [list] {
                list->SetItemIndex(2);
                list->OnDblClick(list);
              });
  script.When([] { return TModalScript::Modal(EditClass); },
              [] {
                Child<TsEdit>(EditClass, "edName")->SetText("X");
                PostChar(Child<TsEdit>(EditClass, "edName"), 13);
              });
  script.When([] { return TModalScript::Modal(ClassesEditor); },
              [list] {
                EXPECT_EQ(list->GetItemIndex(), 2);
                Click(ClassesEditor, "btnUP");
                EXPECT_EQ(Lines(list->GetItems()), (std::vector<std::string>{"A", "X", "B"}));
                Click(ClassesEditor, "btnCancel");
              });
  ClassesEditor->ShowModal();
  EXPECT_TRUE(script.Done());
}

TEST_F(Dialogs, ParticipantEditorOffersTheClassListAgainAfterTheClassesEditor) {
  TScratchFolder::Write(AppPaths.WorkingStartList, "");
  CreateStartListForms();
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] { Click(StartListEdit, "btnEditClasses"); });
  script.When([] { return TModalScript::Modal(ClassesEditor); },
              [] {
                Child<TCustomListBox>(ClassesEditor, "List")->GetItems()->Add("Open");
                Click(ClassesEditor, "btnOK");
              });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [] {
                EXPECT_EQ(Lines(Child<TsComboBox>(StartListEdit, "cbClasses")->GetItems()),
                          (std::vector<std::string>{"Open"}));
                Click(StartListEdit, "btnCancel");
              });
  EXPECT_FALSE(StartListEdit->View().Execute());
  EXPECT_TRUE(script.Done());
}

// A long class list goes into the box at once: every class in the file's order, the entry's
// class selected, again after the classes editor's OK.
TEST_F(Dialogs, ALongClassListFillsTheClassBoxInOrderWithTheEntrysClassSelected) {
  std::string classes;
  for (int i = 0; i < 300; ++i) classes += Format("K%.3d\r\n", i);
  TScratchFolder::Write(AppPaths.ClassList, classes);
  std::vector<TStartListEntry> stored = Entries("XY");
  stored[1].SubItems[efClass] = "K150";
  TScratchFolder::Write(AppPaths.WorkingStartList, FormatStartList(stored));
  CreateStartListForms();
  TsComboBox* box = Child<TsComboBox>(StartListEdit, "cbClasses");
  auto offers_all_with_k150 = [box](int count) {
    ASSERT_EQ(box->GetItems()->Count(), count);
    for (int i : {0, 1, 150, 298}) EXPECT_EQ(box->GetItems()->Get(i), Format("K%.3d", i));
    EXPECT_EQ(box->GetItems()->Get(count - 1), count == 300 ? "K299" : "New");
    EXPECT_EQ(box->GetItemIndex(), 150);
    EXPECT_EQ(box->GetText(), "K150");
  };
  TModalScript script;
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [&] {
                offers_all_with_k150(300);
                Click(StartListEdit, "btnEditClasses");
              });
  script.When([] { return TModalScript::Modal(ClassesEditor); },
              [] {
                Child<TCustomListBox>(ClassesEditor, "List")->GetItems()->Add("New");
                Click(ClassesEditor, "btnOK");
              });
  script.When([] { return TModalScript::Modal(StartListEdit); },
              [&] {
                offers_all_with_k150(301);
                Click(StartListEdit, "btnCancel");
              });
  List()->SetSelectedRows({1});
  StartList->Logic().EditParticipant();
  EXPECT_TRUE(script.Done());
}

// ---- Car selection ---------------------------------------------------------------------------

TEST_F(Dialogs, SelectCarShowsEveryLineWithTheLanesEntryAndADoubleClickChooses) {
  New<TSelectCar>(Application);
  EXPECT_EQ(SelectCar->GetCaption(), "Select Car");
  TCustomListBox* list = SelectCar->GetList();
  TModalScript script;
  script.When([] { return TModalScript::Modal(SelectCar); },
              [list] {
                EXPECT_EQ(Lines(list->GetItems()), (std::vector<std::string>{"1. a", "2. b", "3. c"}));
                EXPECT_EQ(list->GetItemIndex(), 1);
                list->SetItemIndex(2);
                list->OnDblClick(list);
              });
  script.When([] { return TModalScript::Modal(SelectCar); }, [] { Click(SelectCar, "btnCancel"); });
  int selected = 1;
  EXPECT_TRUE(ExecuteSelectCar({"1. a", "2. b", "3. c"}, selected));
  EXPECT_EQ(selected, 2);
  EXPECT_FALSE(ExecuteSelectCar({"1. a", "2. b", "3. c"}, selected));
  EXPECT_EQ(selected, 2);
  EXPECT_TRUE(script.Done());
  SavePicture(SelectCar, "selectcar");
}

// ---- Configuration ---------------------------------------------------------------------------

class TTriggerCounter : public TObject {
 public:
  void Trigger(TObject*) {
    if (++count == fails_at) throw Exception("The trigger failed");
  }
  int count = 0;
  int fails_at = 0;
};

class ConfigDialog : public Dialogs {
 protected:
  void SetUp() override {
    Dialogs::SetUp();
    SetConfigTriggerHandler(TNotifyEvent(&counter, &TTriggerCounter::Trigger));
  }
  void TearDown() override {
    Dialogs::TearDown();
    SetConfigTriggerHandler(TNotifyEvent());
  }
  TsComboBox* Combo(const char* name) { return Child<TsComboBox>(Config, name); }
  TsSpinEdit* CountDown() { return Child<TsSpinEdit>(Config, "edCountDown"); }

  TScriptedCommPorts ports;
  TTriggerCounter counter;
};

TEST_F(ConfigDialog, FirstStartWithoutIniFileShowsTheDefaultsInItsControls) {
  New<TConfig>(Application, ports);
  EXPECT_EQ(Combo("cbPort")->GetItems()->Count(), 17);
  EXPECT_EQ(Combo("cbPort")->GetItems()->Get(16), "COM16");
  EXPECT_EQ(Lines(Combo("cbCont")->GetItems()), (std::vector<std::string>{"4-1", "4-6", "7-8", "7-9"}));
  EXPECT_EQ(Child<TsRadioGroup>(Config, "rgLaps")->GetColumns(), 3);
  EXPECT_EQ(CountDown()->GetMaxValue(), 9999);
  EXPECT_EQ(Combo("cbPort")->GetItemIndex(), 0);
  EXPECT_EQ(Combo("cbCont")->GetItemIndex(), 1);
  EXPECT_EQ(Combo("cbAlg")->GetItemIndex(), 0);
  EXPECT_FALSE(Combo("cbCont")->GetEnabled() || Combo("cbAlg")->GetEnabled());
  EXPECT_EQ(ConfigCountDown(), 5);
  EXPECT_EQ(ConfigLapChoice(), 2);
  EXPECT_EQ(ConfigTitle(), "Dravolin");
  EXPECT_EQ(ConfigSign(), "");
  SavePicture(Config, "config");
}

TEST_F(ConfigDialog, CancelKeepsTheLiveValueOkStoresItAndEachShowingReloads) {
  New<TConfig>(Application, ports);
  TModalScript script;
  script.When([] { return TModalScript::Modal(Config); },
              [this] {
                CountDown()->SetValue(12);
                Click(Config, "btnCancel");
              });
  script.When([] { return TModalScript::Modal(Config); },
              [this] {
                EXPECT_EQ(CountDown()->GetValue(), 5);
                CountDown()->SetValue(7);
                Child<TsRadioGroup>(Config, "rgLaps")->SetItemIndex(0);
                Click(Config, "btnOK");
              });
  ShowConfig();
  EXPECT_EQ(ConfigCountDown(), 12);
  ShowConfig();
  EXPECT_TRUE(script.Done());
  TSettings stored = LoadSettings(AppPaths.Settings);
  EXPECT_EQ(stored.CountDown, 7);
  EXPECT_EQ(stored.LapChoice, 0);
}

TEST_F(ConfigDialog, EnterPressesOkEscapeCancelSpaceAndEnterTheFocusedButtonInTabOrder) {
  New<TConfig>(Application, ports);
  auto* ok = Child<TsButton>(Config, "btnOK");
  auto* cancel = Child<TsButton>(Config, "btnCancel");
  auto* title = Child<TEdit>(Config, "edTitle");
  EXPECT_TRUE(ok->Is<TsButton>() && cancel->Is<TsButton>());
  // The buttons come last in tab order, OK before Cancel, as the plain buttons did.
  std::vector<TWinControl*> order;
  Config->GetTabOrderList(order);
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[order.size() - 2], ok);
  EXPECT_EQ(order.back(), cancel);
  EXPECT_TRUE(ok->GetTabStop() && cancel->GetTabStop());

  TModalScript script;
  // Enter in an edit: the default button.
  script.When([] { return TModalScript::Modal(Config); },
              [&] {
                CountDown()->SetValue(9);
                title->SetFocus();
                PostKey(title, VK_RETURN);
              });
  // Escape: the cancel button.
  script.When([] { return TModalScript::Modal(Config); },
              [&] {
                CountDown()->SetValue(3);
                title->SetFocus();
                PostKey(title, VK_ESCAPE);
              });
  // Tab from OK reaches Cancel; Space there presses it.
  script.When([] { return TModalScript::Modal(Config); },
              [&] {
                CountDown()->SetValue(4);
                ok->SetFocus();
                PostKey(ok, VK_TAB);
              });
  script.When([&] { return cancel->Focused(); },
              [&] {
                PostChar(cancel, ' ');
                PostMessageA(cancel->GetHandle(), WM_KEYUP, VK_SPACE, 1);
              });
  // Enter on the focused Cancel presses Cancel, not the default OK.
  script.When([] { return TModalScript::Modal(Config); },
              [&] {
                CountDown()->SetValue(6);
                cancel->SetFocus();
                PostKey(cancel, VK_RETURN);
              });
  // Only OK stores the value.
  for (int showing = 0; showing < 4; ++showing) {
    ShowConfig();
    EXPECT_EQ(LoadSettings(AppPaths.Settings).CountDown, 9) << "showing " << showing;
  }
  EXPECT_TRUE(script.Done());
}

TEST_F(ConfigDialog, SettingsFileFarTooLargeIsReportedOnceNotReadAndOnlyOkReplacesIt) {
  const int64_t size = 3 << 20;
  ASSERT_TRUE(WriteSparseFile(AppPaths.Settings, "[Configuration]\r\nCountDown=77\r\n", size));
  testsupport::MessageBoxAnswerer boxes({IDOK});
  New<TConfig>(Application, ports);
  EXPECT_EQ(ConfigCountDown(), 5);
  TModalScript script;
  script.When([] { return TModalScript::Modal(Config); }, [] { Click(Config, "btnCancel"); });
  script.When([] { return TModalScript::Modal(Config); },
              [this] {
                EXPECT_EQ(CountDown()->GetValue(), 5);
                CountDown()->SetValue(8);
                Click(Config, "btnOK");
              });
  ShowConfig();
  EXPECT_EQ(SizeOfFile(AppPaths.Settings), size);
  ShowConfig();
  EXPECT_TRUE(script.Done());
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_NE(boxes.boxes()[0].text.find(AppPaths.Settings), std::string::npos) << boxes.boxes()[0].text;
  EXPECT_LT(SizeOfFile(AppPaths.Settings), 1000);
  EXPECT_EQ(LoadSettings(AppPaths.Settings).CountDown, 8);
}

TEST_F(ConfigDialog, PickedPortLightsTheLampAndARisingEdgeReachesTheTriggerHandler) {
  TScriptedPort& port = ports.Add(3);
  New<TConfig>(Application, ports);
  TIAgaloLED* lamp = Child<TIAgaloLED>(Config, "led");
  EXPECT_EQ(lamp->GetHeight(), 21);
  Combo("cbPort")->SetItemIndex(3);
  Combo("cbPort")->OnChange(Combo("cbPort"));
  EXPECT_TRUE(Combo("cbCont")->GetEnabled() && Combo("cbAlg")->GetEnabled());
  EXPECT_FALSE(lamp->GetLedOn());
  port.status = MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;
  EXPECT_TRUE(ServeUntil([&] { return counter.count == 1; }));
  EXPECT_EQ(lamp->GetLedPlasticColor(), clLime);
  EXPECT_TRUE(lamp->GetLedOn());
  // A port that cannot be opened falls back to none.
  Combo("cbPort")->SetItemIndex(5);
  Combo("cbPort")->OnChange(Combo("cbPort"));
  EXPECT_EQ(Combo("cbPort")->GetItemIndex(), 0);
  EXPECT_FALSE(Combo("cbCont")->GetEnabled());
  EXPECT_EQ(lamp->GetLedPlasticColor(), clRed);
  EXPECT_FALSE(lamp->GetLedOn());
}

// Reading the settings sets the lists without their events: the port opens once, when the
// saved port is asked for, and never with the pin pair read before it.
TEST_F(ConfigDialog, ReadingTheSettingsOpensNoPortTheSavedOneOpensOnceWhenAsked) {
  TScriptedPort& port = ports.Add(3);
  TSettings saved;
  saved.Port = 3;
  saved.Contact = 3;
  ASSERT_TRUE(SaveSettings(AppPaths.Settings, saved));
  New<TConfig>(Application, ports);
  EXPECT_EQ(port.opened, 0);
  EXPECT_EQ(Combo("cbPort")->GetItemIndex(), 3);
  EXPECT_EQ(Combo("cbCont")->GetItemIndex(), 3);
  ConfigOpenSavedPort();
  EXPECT_EQ(port.opened, 1);
  EXPECT_EQ(port.open, 1);
  EXPECT_TRUE(Combo("cbCont")->GetEnabled());
  // Each showing reads the file again and opens the port once more, closing the last handle.
  TModalScript script;
  script.When([] { return TModalScript::Modal(Config); }, [] { Click(Config, "btnCancel"); });
  ShowConfig();
  EXPECT_TRUE(script.Done());
  EXPECT_EQ(port.opened, 2);
  EXPECT_EQ(port.open, 1);
}

TEST_F(ConfigDialog, ATriggerThatFailsIsReportedAndTheLightBarrierGoesOnWatching) {
  TScriptedPort& port = ports.Add(3);
  New<TConfig>(Application, ports);
  testsupport::MessageBoxAnswerer boxes({IDOK});
  counter.fails_at = 1;
  Combo("cbPort")->SetItemIndex(3);
  Combo("cbPort")->OnChange(Combo("cbPort"));
  const uint32_t all_lines = MS_CTS_ON | MS_DSR_ON | MS_RING_ON | MS_RLSD_ON;
  port.status = all_lines;
  ASSERT_TRUE(ServeUntil([&] { return counter.count == 1; }));
  port.status = 0;
  ASSERT_TRUE(ServePolls(port, 3));
  port.status = all_lines;
  EXPECT_TRUE(ServeUntil([&] { return counter.count == 2; }));
  ASSERT_EQ(boxes.boxes().size(), 1u);
  EXPECT_EQ(boxes.boxes()[0].text, "The trigger failed");
}

// ---- German ------------------------------------------------------------------------------------

class GermanDialogs : public ConfigDialog {
 protected:
  void SetUp() override {
    ConfigDialog::SetUp();
    UseLanguage("de");
  }
  void TearDown() override {
    ConfigDialog::TearDown();
    UseLanguage("en");
  }
};

TEST_F(GermanDialogs, FormsComeUpTranslated) {
  New<TConfig>(Application, ports);
  EXPECT_EQ(Combo("cbPort")->GetItems()->Get(0), "Keiner");
  EXPECT_EQ(Combo("cbPort")->GetItemIndex(), 0);
  New<TSelectCar>(Application);
  EXPECT_EQ(SelectCar->GetCaption(), "Teilnehmerauswahl");
  SavePicture(Config, "config_de");
}

}  // namespace
