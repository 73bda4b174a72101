// Actions: what reaches a linked control and what does not, groups, running by click, freeing
// either end of a link, and actions in a form definition.
#include <gtest/gtest.h>

#include "toolkit/actions.h"
#include "toolkit/classregistry.h"
#include "toolkit/formreader.h"
#include "visual_test_classes.h"

namespace {

class TRunCounter : public TObject {
 public:
  void Run(TObject*) { ++runs; }
  void Clicked(TObject*) { ++clicks; }
  int runs = 0;
  int clicks = 0;
};

class ActionTest : public testing::Test {
 protected:
  void SetUp() override {
    Trace().clear();
    form = New<TTestForm>(nullptr, kCreateNew);
    list = New<TActionList>(form);
    action = NewAction("Start");
    counter = New<TRunCounter>();
    action->OnExecute = TNotifyEvent(counter, &TRunCounter::Run);
  }
  void TearDown() override {
    Free(form);
    Free(counter);
  }
  TAction* NewAction(const std::string& caption, int group = 0) {
    auto* a = New<TAction>(form);
    a->SetCaption(caption);
    a->SetGroupIndex(group);
    a->SetActionList(list);
    return a;
  }
  TTestShape* NewShape() {
    auto* shape = New<TTestShape>(form);
    shape->SetParent(form);
    return shape;
  }
  // A press and release inside the control.
  void ClickOn(TControl* control) {
    control->SetBounds(10, 10, 40, 20);
    control->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    control->Perform(WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }

  TTestForm* form = nullptr;
  TActionList* list = nullptr;
  TAction* action = nullptr;
  TRunCounter* counter = nullptr;
};

TEST_F(ActionTest, ChangesReachLinkedControlsButNotValuesAControlChangedOnItsOwn) {
  action->SetHint("Starts the heat");
  TTestShape* follows = NewShape();
  TTestShape* own = NewShape();
  follows->SetAction(action);
  own->SetAction(action);
  EXPECT_EQ(follows->GetCaption(), "Start");
  EXPECT_EQ(follows->GetHint(), "Starts the heat");
  EXPECT_EQ(follows->GetAction(), action);
  EXPECT_EQ(action->GetClientCount(), 2);

  own->SetCaption("Go now");
  own->SetVisible(false);
  action->SetCaption("Restart");
  action->SetHint("Again");
  action->SetEnabled(false);
  action->SetVisible(false);
  EXPECT_EQ(follows->GetCaption(), "Restart");
  EXPECT_EQ(follows->GetHint(), "Again");
  EXPECT_FALSE(follows->GetEnabled());
  EXPECT_FALSE(follows->GetVisible());
  EXPECT_EQ(own->GetCaption(), "Go now");
  EXPECT_EQ(own->GetHint(), "Again");
  EXPECT_FALSE(own->GetEnabled());

  // Once the values agree again (both hidden), the control follows again.
  action->SetVisible(true);
  EXPECT_TRUE(follows->GetVisible());
  EXPECT_TRUE(own->GetVisible());
  own->SetCaption("Restart");
  action->SetCaption("Finish");
  EXPECT_EQ(own->GetCaption(), "Finish");
}

TEST_F(ActionTest, CheckingAnActionOfAGroupUnchecksTheOthersOfThatGroupOnly) {
  action->SetGroupIndex(1);
  TAction* second = NewAction("Second", 1);
  TAction* other_group = NewAction("Other", 2);
  TAction* no_group = NewAction("None");
  other_group->SetChecked(true);
  no_group->SetChecked(true);
  action->SetChecked(true);
  second->SetChecked(true);
  EXPECT_FALSE(action->GetChecked());
  EXPECT_TRUE(second->GetChecked());
  EXPECT_TRUE(other_group->GetChecked());
  EXPECT_TRUE(no_group->GetChecked());
  // Unchecking leaves the group all up.
  second->SetChecked(false);
  EXPECT_FALSE(action->GetChecked());
  EXPECT_FALSE(second->GetChecked());
  // Actions without a list have no group to uncheck.
  auto* loose = New<TAction>(form);
  loose->SetGroupIndex(2);
  loose->SetChecked(true);
  EXPECT_TRUE(other_group->GetChecked());
}

TEST_F(ActionTest, AClickRunsTheEnabledActionUnlessTheControlHasItsOwnOnClick) {
  TTestShape* shape = NewShape();
  shape->SetName("Shape");
  shape->SetAction(action);
  ClickOn(shape);
  EXPECT_EQ(counter->runs, 1);
  EXPECT_EQ(TraceOf("Shape:Click").size(), 1u);

  action->SetEnabled(false);
  shape->SetEnabled(true);
  ClickOn(shape);
  EXPECT_EQ(counter->runs, 1);

  action->SetEnabled(true);
  shape->OnClick = TNotifyEvent(counter, &TRunCounter::Clicked);
  ClickOn(shape);
  EXPECT_EQ(counter->runs, 1);
  EXPECT_EQ(counter->clicks, 1);

  // Without an action a click is the control's own, as always.
  shape->SetAction(nullptr);
  ClickOn(shape);
  EXPECT_EQ(counter->clicks, 2);
  EXPECT_EQ(shape->GetActionLink(), nullptr);
}

TEST_F(ActionTest, FreeingEitherEndLeavesNoDanglingLink) {
  TTestShape* shape = NewShape();
  TTestShape* freed = NewShape();
  shape->SetAction(action);
  freed->SetAction(action);
  Free(freed);
  EXPECT_EQ(action->GetClientCount(), 1);
  action->SetCaption("Still here");
  EXPECT_EQ(shape->GetCaption(), "Still here");

  Free(action);
  EXPECT_EQ(shape->GetAction(), nullptr);
  EXPECT_EQ(list->GetActionCount(), 0);
  ClickOn(shape);  // nothing to run, nothing to crash on

  // A list frees the actions still in it, and their controls let go.
  TAction* listed = NewAction("Listed");
  listed->SetName("Listed");
  shape->SetAction(listed);
  Free(list);
  list = nullptr;
  EXPECT_EQ(shape->GetAction(), nullptr);
  EXPECT_EQ(form->FindComponent("Listed"), nullptr);
  EXPECT_EQ(shape->GetCaption(), "Listed");
}

TEST_F(ActionTest, FormDefinitionTiesControlsToActionsAndTheControlsOwnValuesWin) {
  RegisterActionClasses();
  auto* defined = New<TTestForm>(nullptr, kCreateNew);
  ReadComponentFromText(defined,
                        "object Defined: TTestForm\n"
                        "  object Shape: TTestShape\n"
                        "    Hint = 'Own hint'\n"
                        "    Action = Start\n"
                        "  end\n"
                        "  object Actions: TActionList\n"
                        "    object Start: TAction\n"
                        "      Caption = 'Start heat'\n"
                        "      Hint = 'Starts'\n"
                        "      GroupIndex = 3\n"
                        "    end\n"
                        "  end\n"
                        "end\n",
                        "actions.form");
  auto* shape = DynamicCast<TTestShape>(defined->FindComponent("Shape"));
  auto* start = DynamicCast<TAction>(defined->FindComponent("Start"));
  auto* actions = DynamicCast<TActionList>(defined->FindComponent("Actions"));
  ASSERT_TRUE(shape && start && actions);
  EXPECT_EQ(start->GetActionList(), actions);
  EXPECT_EQ(start->GetParentComponent(), actions);
  EXPECT_EQ(shape->GetAction(), start);
  EXPECT_EQ(shape->GetCaption(), "Start heat");
  EXPECT_EQ(shape->GetHint(), "Own hint");
  Free(defined);
}

}  // namespace
