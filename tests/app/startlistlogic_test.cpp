// The start list editor's logic through fake dialogs: placing new and edited participants,
// sorting and numbering, deleting, the file commands, OK and Cancel, and its keys.
#include "app/startlistlogic.h"

#include <gtest/gtest.h>

#include "app/startlistfile.h"
#include "tests/app/start_list_fakes.h"

namespace {

class StartList : public ::testing::Test {
 protected:
  void TearDown() override { DecimalSeparator = saved_separator; }
  // The working file holds entries named by the letters; the editor is created.
  void Start(const std::string& names) {
    ASSERT_TRUE(WriteStartListFile(list.WorkingFile(), Entries(names)));
    list.FormCreate();
  }
  void Edit(int index, int new_place) {
    view.selected = {index};
    editor.Answer(new_place);
    list.EditParticipant();
  }

  char saved_separator = DecimalSeparator;
  TScratchFolder folder;
  TFakeStartListView view;
  TFakeParticipantEditor editor;
  TStartListLogic list{view, editor, folder.File("Current.Asl")};
};

TEST_F(StartList, OpeningSortsByPlacesInTheLocalesNotationOtherTextCountingAsOne) {
  DecimalSeparator = ',';
  EXPECT_EQ(PlaceCaption(2.5), "2,5");
  TScratchFolder::Write(folder.File("odd.asl"),
                        FormatStartList({Entry("3", "C"), Entry("x", "X"), Entry("0,5", "H"),
                                         Entry("1.5", "P"), Entry(" 2 ", "T")}));
  view.open_answer = folder.File("odd.asl");
  list.btnOpenClick();
  EXPECT_EQ(view.List(), "1:H,2:X,3:P,4:T,5:C");  // ties keep their order
  EXPECT_EQ(list.GetEntryText(0), "1. H Jo / Ford Ka (10,5)");
  EXPECT_EQ(list.GetEntryText(5), "");
}

class NewParticipant : public StartList, public ::testing::WithParamInterface<char> {};

TEST_P(NewParticipant, LandsAtTheChosenPlaceClampedToTheList) {
  DecimalSeparator = GetParam();
  Start("ABC");
  editor.fields = {"Open", "7", "x", "x", "x", "x", "x", "x"};
  editor.Answer(2, "N");
  list.btnAddClick();
  EXPECT_EQ(editor.caption, "New Participant");
  EXPECT_EQ(editor.max, 4);
  EXPECT_EQ(list.Entries()[1].SubItems, (std::vector<std::string>{"Open", "", "N", "", "", "", "", ""}));
  editor.Answer(0, "F");
  list.btnAddClick();
  editor.Answer(99, "L");
  list.btnAddClick();
  editor.user = nullptr;  // Cancel
  list.btnAddClick();
  EXPECT_EQ(view.List(), "1:F,2:A,3:N,4:B,5:C,6:L");
}

INSTANTIATE_TEST_SUITE_P(DecimalSeparators, NewParticipant, ::testing::Values('.', ','),
                         [](const auto& info) { return info.param == '.' ? "Point" : "Comma"; });

TEST_F(StartList, AnEditedParticipantMovesToItsPlaceAndStaysSelected) {
  DecimalSeparator = ',';
  Start("ABCDE");
  Edit(1, 4);
  EXPECT_EQ(editor.caption, "Edit Participant");
  EXPECT_EQ(editor.offered_place, 2);
  EXPECT_EQ(editor.max, 5);
  EXPECT_EQ(editor.fields[efLastName], "B");
  EXPECT_EQ(view.List(), "1:A,2:C,3:D,4:B,5:E");
  EXPECT_EQ(view.selected, (std::vector<int>{3}));
  Edit(3, 2);
  Edit(2, 3);
  Edit(1, 0);
  Edit(1, 9);
  EXPECT_EQ(view.List(), "1:B,2:C,3:D,4:E,5:A");
  view.selected = {};
  list.EditParticipant();
  EXPECT_EQ(editor.shown, 5);  // nothing selected, no editor
  view.selected = {1, 3};
  list.btnDeleteClick();
  EXPECT_EQ(view.List(), "1:B,2:D,3:A");
}

TEST_F(StartList, EditingAShortOrLongRecordKeepsItsColumns) {
  TScratchFolder::Write(list.WorkingFile(),
                        H() + "1\r\n" + H() + "2\r\n0\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n");
  list.FormCreate();
  Edit(0, 1);
  Edit(1, 2);
  EXPECT_EQ(view.shown[0].SubItems.size(), 8u);
  EXPECT_EQ(view.shown[1].SubItems.size(), 10u);
}

TEST_F(StartList, MergeInterleavesByPlaceAndFailedOpensSayErrorAndKeepTheList) {
  Start("ABC");
  TScratchFolder::Write(folder.File("other.asl"), FormatStartList(Entries("XY")));
  view.open_answer = folder.File("other.asl");
  view.selected = {2};
  list.btnMergeClick();
  EXPECT_EQ(view.List(), "1:A,2:X,3:B,4:Y,5:C");
  EXPECT_EQ(view.selected, (std::vector<int>{4}));
  view.selected = {0};
  list.btnOpenClick();
  EXPECT_EQ(view.List(), "1:X,2:Y");
  EXPECT_TRUE(view.selected.empty());
  view.open_answer = folder.File("missing.asl");
  list.btnMergeClick();
  EXPECT_EQ(list.Count(), 2);
  list.btnOpenClick();  // the list stays: emptied, OK would save it away
  EXPECT_EQ(view.List(), "1:X,2:Y");
  EXPECT_EQ(view.messages, (std::vector<std::string>{"ERROR", "ERROR"}));
  // Loaded as stored, then an Open cancelled: still sorted and numbered.
  TScratchFolder::Write(folder.File("odd.asl"), FormatStartList({Entry("9", "P"), Entry("7", "Q")}));
  list.LoadFromFile(folder.File("odd.asl"), false);
  EXPECT_EQ(view.List(), "9:P,7:Q");
  view.open_answer.clear();
  list.btnOpenClick();
  EXPECT_EQ(view.List(), "1:Q,2:P");
  // A chosen file with a record cut short by two fields is taken, padded, and named with the
  // record (cut by one, its eight lines would be the fields of a record without its place).
  std::string cut = FormatStartList(Entries("XY"));
  cut.resize(cut.size() - std::string("Linz\r\nAT\r\n").size());
  TScratchFolder::Write(folder.File("cut.asl"), cut);
  view.open_answer = folder.File("cut.asl");
  for (bool merge : {true, false}) {
    view.messages.clear();
    merge ? list.btnMergeClick() : list.btnOpenClick();
    EXPECT_EQ(list.Count(), merge ? 4 : 2);
    if (!merge)
      for (const TStartListEntry& entry : list.Entries()) EXPECT_EQ(entry.SubItems.size(), 8u);
    ASSERT_EQ(view.messages.size(), 1u);
    for (const std::string& part : {std::string("1 records"), folder.File("cut.asl") + " ",
                                    std::string("record 2 ("), std::string("fewer than eight fields")})
      EXPECT_NE(view.messages[0].find(part), std::string::npos) << part << " in " << view.messages[0];
  }
}

TEST_F(StartList, OkKeepsTheListAndCancelGoesBackToIt) {
  list.FormCreate();  // a first start: no working file, one message and an empty list
  EXPECT_EQ(view.messages, (std::vector<std::string>{"ERROR"}));
  EXPECT_EQ(list.Count(), 0);
  view.messages.clear();
  editor.Answer(1, "N");
  list.btnAddClick();
  list.btnOKClick();
  list.btnAddClick();
  list.btnCancelClick();
  EXPECT_EQ(view.List(), "1:N");
  view.save_answer = folder.File("copy.asl");
  list.btnSaveClick();
  EXPECT_EQ(TScratchFolder::Read(view.save_answer), TScratchFolder::Read(list.WorkingFile()));
  view.save_answer = folder.File("no folder\\copy.asl");
  list.btnSaveClick();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(view.save_answer), std::string::npos) << view.messages[0];
  // A hand-made working file is numbered in its own order when loaded.
  TScratchFolder::Write(list.WorkingFile(), FormatStartList({Entry("9", "P"), Entry("7", "Q")}));
  list.FormCreate();
  EXPECT_EQ(view.List(), "1:P,2:Q");
}

TEST_F(StartList, AFailedOkNamesTheFileAndTheReason) {
  Start("AB");
  const std::string before = TScratchFolder::Read(list.WorkingFile());
  ASSERT_TRUE(SetFileAttributesA(list.WorkingFile().c_str(), FILE_ATTRIBUTE_READONLY));
  editor.Answer(1, "N");
  list.btnAddClick();
  list.btnOKClick();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(list.WorkingFile()), std::string::npos) << view.messages[0];
  EXPECT_NE(view.messages[0].find("read-only"), std::string::npos) << view.messages[0];
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile()), before);
  // Another reason, the system's words for it.
  TStartListLogic elsewhere{view, editor, folder.File("gone\\Current.Asl")};
  view.messages.clear();
  elsewhere.btnOKClick();
  ASSERT_EQ(view.messages.size(), 1u);
  const std::string& message = view.messages[0];
  EXPECT_NE(message.find(folder.File("gone\\Current.Asl")), std::string::npos) << message;
  EXPECT_NE(message, "ERROR");
}

TEST_F(StartList, AWorkingFileWithoutTheFirstHeaderIsToldOnceAndKeptBeforeOkWritesOverIt) {
  // Two complete records with the first header line lost: the reading rule gives nothing.
  const std::string bytes = FormatStartList(Entries("AB")).substr(H().size());
  TScratchFolder::Write(list.WorkingFile(), bytes);
  list.FormCreate();
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(list.WorkingFile()), std::string::npos) << view.messages[0];
  EXPECT_NE(view.messages[0].find(list.WorkingFile() + ".bak"), std::string::npos) << view.messages[0];
  list.btnCancelClick();  // reads it again, without a second word
  EXPECT_EQ(view.messages.size(), 1u);
  editor.Answer(1, "N");
  list.btnAddClick();
  list.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile() + ".bak"), bytes);
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile()), FormatStartList(list.Entries()));
  list.btnOKClick();  // the file is the list's own now: no second copy
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Current.Asl", "Current.Asl.bak"}));
  EXPECT_EQ(view.messages.size(), 1u);
  // Unread again later: told again, and an older copy stays.
  TScratchFolder::Write(list.WorkingFile(), "garbage");
  list.FormCreate();
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find(list.WorkingFile() + ".1.bak"), std::string::npos) << view.messages[1];
  list.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile() + ".bak"), bytes);
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile() + ".1.bak"), "garbage");
  // Empty and blank files hold nothing to lose.
  for (const char* nothing : {"", " \r\n\r\n"}) {
    TScratchFolder::Write(list.WorkingFile(), nothing);
    list.FormCreate();
    list.btnOKClick();
  }
  EXPECT_EQ(folder.Names().size(), 3u);
  EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(StartList, AWorkingFileThatCannotBeReadIsToldWhyAndNotWrittenOverUntilItIsKept) {
  Start("AB");
  const std::string bytes = TScratchFolder::Read(list.WorkingFile());
  TFileLock lock(list.WorkingFile());
  view.messages.clear();
  list.FormCreate();
  EXPECT_EQ(list.Count(), 0);
  ASSERT_EQ(view.messages.size(), 1u);  // the reason, not a bare "ERROR"
  const std::string told = view.messages[0];
  EXPECT_NE(told.find(list.WorkingFile() + " "), std::string::npos) << told;
  EXPECT_NE(told.find(SysErrorMessage(ERROR_SHARING_VIOLATION)), std::string::npos) << told;
  EXPECT_NE(told.find(list.WorkingFile() + ".bak"), std::string::npos) << told;
  list.btnCancelClick();
  EXPECT_EQ(view.messages.size(), 1u);
  // Still held: OK refuses, saying why, and the file stays whole.
  list.btnOKClick();
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find(list.WorkingFile() + ".bak"), std::string::npos) << view.messages[1];
  lock.Release();
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile()), bytes);
  // Free again: the copy first, then the list.
  list.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile() + ".bak"), bytes);
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile()), "");
  // A missing file is a first start: "ERROR" as ever, and nothing to keep.
  DeleteFileA(list.WorkingFile().c_str());
  list.FormCreate();
  EXPECT_EQ(view.messages.back(), "ERROR");
  // A file of one header holds one: the message says what it lacks.
  TScratchFolder::Write(list.WorkingFile(), H());
  list.FormCreate();
  EXPECT_NE(view.messages.back().find("only a record header"), std::string::npos) << view.messages.back();
}

// Saved by an editor in UTF-8 or UTF-16: the message says the file is in another encoding,
// not that its first line is no header.
TEST_F(StartList, AWorkingFileWithAByteOrderMarkIsToldToBeInAnotherEncoding) {
  for (const std::string mark : {"\xEF\xBB\xBF", "\xFF\xFE", "\xFE\xFF"}) {
    TScratchFolder::Write(list.WorkingFile(), mark + H() + "1\r\nA\r\n17\r\nM\xC3\xBCller\r\n");
    view.messages.clear();
    list.FormCreate();
    EXPECT_EQ(list.Count(), 0);
    ASSERT_EQ(view.messages.size(), 1u);
    EXPECT_NE(view.messages[0].find("another encoding"), std::string::npos) << view.messages[0];
    EXPECT_NE(view.messages[0].find(list.WorkingFile() + ".bak"), std::string::npos) << view.messages[0];
    list.btnOKClick();  // kept as .bak, and told again for the next file
    DeleteFileA((list.WorkingFile() + ".bak").c_str());
  }
}

TEST_F(StartList, AWorkingFileWithDamagedRecordsShowsWhatWasReadSaysWhereAndIsKeptBeforeOk) {
  // A header doubled before the second record, and the third record's place line lost.
  std::vector<TStartListEntry> whole = Entries("ABC");
  std::string third = FormatStartList({whole[2]});
  third.erase(H().size(), 3);
  const std::string bytes = FormatStartList({whole[0]}) + H() + FormatStartList({whole[1]}) + third;
  TScratchFolder::Write(list.WorkingFile(), bytes);
  list.FormCreate();
  EXPECT_EQ(FormatStartList(list.Entries()), FormatStartList(whole));
  ASSERT_EQ(view.messages.size(), 1u);
  const std::string told = view.messages[0];
  for (const std::string& part : std::vector<std::string>{
           "2 records", list.WorkingFile() + " ", "record 2 (line 11)",
           "a record header where its start place should be", list.WorkingFile() + ".bak"})
    EXPECT_NE(told.find(part), std::string::npos) << part << " in " << told;
  list.btnCancelClick();
  EXPECT_EQ(view.messages.size(), 1u);
  list.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile() + ".bak"), bytes);
  EXPECT_EQ(TScratchFolder::Read(list.WorkingFile()), FormatStartList(whole));
  // A record cut short is named too, and kept with eight fields.
  std::string cut = FormatStartList(whole);
  cut.erase(cut.find("Linz"), 10);
  TScratchFolder::Write(list.WorkingFile(), cut);
  list.FormCreate();
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find("fewer than eight fields"), std::string::npos) << view.messages[1];
  EXPECT_EQ(list.Entries()[0].SubItems.size(), 8u);
  // A list of the editor's shape is read without a word.
  Start("AB");
  EXPECT_EQ(view.messages.size(), 2u);
}

TEST_F(StartList, InsertAddsAndEnterEdits) {
  Start("AB");
  EXPECT_FALSE(list.FormShortCut('A'));
  EXPECT_TRUE(list.FormShortCut(TStartListLogic::kInsertKey));
  EXPECT_EQ(editor.caption, "New Participant");
  view.selected = {1};
  list.ListKeyPress(TStartListLogic::kEnterChar);
  EXPECT_EQ(editor.caption, "Edit Participant");
  EXPECT_EQ(editor.shown, 2);
}

}  // namespace
