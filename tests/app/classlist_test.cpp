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
