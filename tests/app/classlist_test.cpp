// The classes editor's logic on a real string list and file: loading, the editing commands,
// OK and Cancel, and the participant editor's class combo.
#include "app/classlist.h"

#include <gtest/gtest.h>

#include "tests/app/start_list_fakes.h"
#include "toolkit/strings.h"

namespace {

class TFakeClassesView : public TClassesView {
 public:
  TStringList items;
  int index = -1;
  std::string answer;  // what the user types; "-" cancels

  TStrings& GetItems() override { return items; }
  int GetItemIndex() const override { return index; }
  void SetItemIndex(int i) override { index = i; }
  bool ExecuteAddClass(std::string& name) override { return answer != "-" && (name = answer, true); }
  bool ExecuteEditClass(std::string& name) override { return ExecuteAddClass(name); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  std::vector<std::string> messages;
};

class Classes : public ::testing::Test {
 protected:
  std::string Items() const { return view.items.GetCommaText(); }

  TScratchFolder folder;
  TFakeClassesView view;
  TClassesLogic classes{view, folder.File("Classes.Lst")};
};

TEST_F(Classes, OkWritesOneNamePerLineAndCancelGoesBackToTheFile) {
  view.items.Add("stale");
  classes.FormCreate();  // no file yet: an empty list
  EXPECT_EQ(view.items.Count(), 0);
  for (const char* typed : {"Open", "", "-"}) {  // an empty name is a class too
    view.answer = typed;
    classes.btnAddClick();
  }
  classes.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(classes.ClassFile()), "Open\r\n\r\n");
  view.answer = std::string(1, 'C');  // a literal here trips a false -Wrestrict of GCC 12
  classes.btnAddClick();
  classes.btnCancelClick();
  EXPECT_EQ(classes.GetClassList(), (std::vector<std::string>{"Open", ""}));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Classes.Lst"}));
}

TEST_F(Classes, MoveRenameAndDeleteWorkOnTheSelectedClassWithinTheList) {
  TScratchFolder::Write(classes.ClassFile(), "A\r\nB\r\nC");
  classes.FormShow();
  view.index = 0;
  classes.btnUPClick();
  view.index = 2;
  classes.btnDownClick();
  EXPECT_EQ(Items(), "A,B,C");
  classes.btnUPClick();
  EXPECT_EQ(Items(), "A,C,B");
  EXPECT_EQ(view.index, 2);  // the moved class is no longer selected
  view.index = 1;
  view.answer = "Junior";
  classes.ListDblClick();
  view.index = 0;
  classes.btnDeleteClick();
  view.index = -1;
  for (auto command :
       {&TClassesLogic::btnUPClick, &TClassesLogic::btnDeleteClick, &TClassesLogic::ListDblClick})
    (classes.*command)();
  EXPECT_EQ(Items(), "Junior,B");
}

// The list box ends a name at a zero byte, and a file another program holds reads as none:
// neither may come back from OK shorter.
TEST_F(Classes, AFileNotReadWholeIsToldOnceAndKeptBeforeOkWritesOverIt) {
  const std::string cut = std::string("A\0B\r\nC\r\n", 8);
  TScratchFolder::Write(classes.ClassFile(), cut);
  classes.FormCreate();
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_NE(view.messages[0].find(classes.ClassFile() + " "), std::string::npos) << view.messages[0];
  EXPECT_NE(view.messages[0].find(classes.ClassFile() + ".bak"), std::string::npos) << view.messages[0];
  classes.FormShow();
  EXPECT_EQ(view.messages.size(), 1u);
  classes.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(classes.ClassFile() + ".bak"), cut);
  classes.btnOKClick();  // the file is the list's own now: no second copy
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Classes.Lst", "Classes.Lst.bak"}));

  const std::string held = "Open\r\nJunior\r\n";
  TScratchFolder::Write(classes.ClassFile(), held);
  TFileLock lock(classes.ClassFile());
  classes.FormShow();
  EXPECT_EQ(view.items.Count(), 0);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].find(SysErrorMessage(ERROR_SHARING_VIOLATION)), std::string::npos)
      << view.messages[1];
  EXPECT_NE(view.messages[1].find(classes.ClassFile() + ".1.bak"), std::string::npos) << view.messages[1];
  classes.btnOKClick();  // still held: no copy can be made, so nothing is written
  ASSERT_EQ(view.messages.size(), 3u);
  EXPECT_NE(view.messages[2].find(classes.ClassFile() + ".1.bak"), std::string::npos) << view.messages[2];
  lock.Release();
  EXPECT_EQ(TScratchFolder::Read(classes.ClassFile()), held);
  classes.btnOKClick();
  EXPECT_EQ(TScratchFolder::Read(classes.ClassFile() + ".1.bak"), held);
  EXPECT_EQ(TScratchFolder::Read(classes.ClassFile()), "");
}

TEST(ClassCombo, FindsItsClassAgainByNameWhereverTheNewListHasIt) {
  TStringList combo;
  combo.Add("old");
  EXPECT_EQ(RefreshClassItems(combo, "B", {"A", "B"}), 1);
  EXPECT_EQ(combo.GetCommaText(), "A,B");
  EXPECT_EQ(RefreshClassItems(combo, "B", {"B", "C"}), 0);  // "A" deleted, "B" moved up
  EXPECT_EQ(RefreshClassItems(combo, "A", {"B", "C"}), -1);
  EXPECT_EQ(RefreshClassItems(combo, "b", {"B"}), -1);
  EXPECT_EQ(ClassListFileName("C:\\Race\\Dravolin.exe"), "C:\\Race\\Classes.Lst");
}

}  // namespace
