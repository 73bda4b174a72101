// Lane assignment over a fake main window, a real start list and the race machine: the lane
// refresh, switch and up-down clicks, and the car selection.
#include "app/laneassign.h"

#include <gtest/gtest.h>

#include "app/racemachine.h"
#include "app/startlistfile.h"
#include "tests/app/fake_race_view.h"
#include "tests/app/start_list_fakes.h"

namespace {

class TFakeLaneView : public TLaneAssignmentView {
 public:
  struct Lane {
    bool on = false, switch_enabled = true, updown_enabled = true;
    int position = 0, max = 0;
    std::string title = "stale";
  } lanes[4];
  bool start_enabled = true;
  std::vector<std::string> car_lines;
  int car_shown_with = -2;
  int car_answer = -1;  // the chosen line; -1 cancels

  bool GetLaneSwitch(int lane) const override { return lanes[lane].on; }
  void SetLaneSwitch(int lane, bool on) override { lanes[lane].on = on; }
  void SetLaneSwitchEnabled(int lane, bool enabled) override { lanes[lane].switch_enabled = enabled; }
  int GetUpDownPosition(int lane) const override { return lanes[lane].position; }
  void SetUpDownPosition(int lane, int position) override { lanes[lane].position = position; }
  int GetUpDownMax(int lane) const override { return lanes[lane].max; }
  void SetUpDownMax(int lane, int max) override { lanes[lane].max = max; }
  bool GetUpDownEnabled(int lane) const override { return lanes[lane].updown_enabled; }
  void SetUpDownEnabled(int lane, bool enabled) override { lanes[lane].updown_enabled = enabled; }
  void SetLaneTitle(int lane, const std::string& title) override { lanes[lane].title = title; }
  void SetStartEnabled(bool enabled) override { start_enabled = enabled; }
  bool ExecuteSelectCar(const std::vector<std::string>& lines, int& selected) override {
    car_lines = lines;
    car_shown_with = selected;
    if (car_answer < 0) return false;
    selected = car_answer;
    return true;
  }
};

class Lanes : public ::testing::Test {
 protected:
  // The start list holds entries named by the letters.
  void List(const std::string& names) {
    WriteStartListFile(list.WorkingFile(), Entries(names));
    list.FormCreate();
  }
  // A click on lane n's switch: the switch toggles, then the logic hears of it.
  void ClickSwitch(int lane) {
    view.lanes[lane].on = !view.lanes[lane].on;
    lanes.ledOn3Click(lane, view.lanes[lane].on);
  }
  std::vector<std::string> Titles() {
    return {view.lanes[1].title, view.lanes[2].title, view.lanes[3].title};
  }

  TScratchFolder folder;
  TFakeStartListView list_view;
  TFakeParticipantEditor editor;
  TStartListLogic list{list_view, editor, folder.File("Current.Asl")};
  TFakeRaceView race_view;
  TRaceMachine race{race_view};
  TFakeLaneView view;
  TLaneAssignment lanes{view, list, race};
};

TEST_F(Lanes, AnEmptyStartListTurnsEveryLaneOff) {
  for (auto& lane : view.lanes) lane.on = true;
  lanes.UpdateLanes();
  for (int n = 1; n <= 3; ++n) {
    EXPECT_FALSE(view.lanes[n].on);
    EXPECT_FALSE(view.lanes[n].updown_enabled);
    EXPECT_TRUE(view.lanes[n].switch_enabled);
  }
  EXPECT_EQ(Titles(), (std::vector<std::string>{"", "", ""}));
  EXPECT_FALSE(view.start_enabled);
}

TEST_F(Lanes, OnLanesShowTheirParticipantAndPrepareNeedsOne) {
  List("ABC");
  view.lanes[2] = {true, false, false, 2, 0, ""};
  view.lanes[3] = {true, true, true, 2, 0, ""};  // two lanes may share a participant
  lanes.UpdateLanes();
  EXPECT_EQ(Titles(), (std::vector<std::string>{"", "3. C Jo / Ford Ka (13)", "3. C Jo / Ford Ka (13)"}));
  EXPECT_FALSE(view.lanes[1].updown_enabled);
  EXPECT_TRUE(view.lanes[2].updown_enabled && view.lanes[2].switch_enabled);
  EXPECT_EQ(view.lanes[2].max, 2);
  EXPECT_TRUE(view.start_enabled);
  ClickSwitch(2);
  ClickSwitch(3);
  EXPECT_FALSE(view.start_enabled);
  ClickSwitch(1);
  EXPECT_EQ(Titles(), (std::vector<std::string>{"1. A Jo / Ford Ka (11)", "", ""}));
  view.lanes[1].position = 1;  // the up arrow
  lanes.ud3Click();
  EXPECT_EQ(view.lanes[1].title, "2. B Jo / Ford Ka (12)");
  // A switch whose Tag names no lane changes no lane, but the lanes still follow the list.
  for (int tag : {0, 4}) {
    view.lanes[1].title = "stale";
    lanes.ledOn3Click(tag, false);
    EXPECT_TRUE(view.lanes[1].on);
    EXPECT_EQ(view.lanes[1].title, "2. B Jo / Ford Ka (12)");
  }
}

TEST_F(Lanes, SwitchingOffClearsTheLaneAndArmingLocksTheSetup) {
  List("AB");
  race_view.lanes[2] = {
      true, {{TLaneElement::Status, "FINISH"}, {TLaneElement::Lap1, "00:12.00"}}, clLaneLime, 0};
  view.lanes[2].on = true;
  ClickSwitch(2);
  EXPECT_EQ(race_view.Status(2), "");
  EXPECT_EQ(race_view.Text(2, TLaneElement::Lap1), "");
  EXPECT_EQ(race_view.lanes[2].Lamp, clLaneRed);
  EXPECT_EQ(view.lanes[2].title, "");
  race_view.lanes[1].On = view.lanes[1].on = true;
  race.PrepareRace();
  lanes.UpdateLanes();
  for (int n = 1; n <= 3; ++n) EXPECT_FALSE(view.lanes[n].updown_enabled || view.lanes[n].switch_enabled);
}

TEST_F(Lanes, APositionBeyondTheShortenedListIsClampedForTitleAndProtocol) {
  List("ABCD");
  view.lanes[1] = {true, true, true, 3, 3, ""};
  list_view.selected = {2, 3};
  list.btnDeleteClick();
  lanes.UpdateLanes();
  EXPECT_EQ(view.lanes[1].position, 1);
  EXPECT_EQ(view.lanes[1].title, "2. B Jo / Ford Ka (12)");
  TStartListEntry entry;
  ASSERT_TRUE(lanes.GetLaneParticipant(1, entry));
  EXPECT_EQ(entry.SubItems[efLastName], "B");
}

TEST_F(Lanes, TheCarSelectionOpensOnTheLanesParticipant) {
  List("A");
  lanes.UpdateLanes();
  view.lanes[1].on = true;
  EXPECT_FALSE(lanes.ud1ContextPopup(1));  // one entry: nothing to choose
  List("ABC");
  lanes.UpdateLanes();
  EXPECT_FALSE(lanes.ud1ContextPopup(2));  // lane off, its up-down disabled
  view.lanes[1].position = 1;
  EXPECT_TRUE(lanes.ud1ContextPopup(1));
  EXPECT_EQ(view.car_shown_with, 1);
  EXPECT_EQ(view.car_lines.size(), 3u);
  EXPECT_EQ(view.car_lines[2], "3. C Jo / Ford Ka (13)");
  EXPECT_EQ(view.lanes[1].position, 1);  // Cancel
  view.car_answer = 2;
  EXPECT_TRUE(lanes.ud1ContextPopup(1));
  EXPECT_EQ(view.lanes[1].position, 2);
  EXPECT_EQ(view.lanes[1].title, "3. C Jo / Ford Ka (13)");
}

// The lane's title names the participant: the last heat's times, laps and words must not
// stand under another one's name, however that one came to the lane.
TEST_F(Lanes, AnotherParticipantOnALaneClearsTheLastHeatsTimesAndWords) {
  List("ABC");
  view.lanes[1] = {true, true, true, 0, 0, ""};
  view.lanes[2] = {true, true, true, 1, 0, ""};
  lanes.UpdateLanes();
  auto finished = [&](int lane) {
    race_view.lanes[lane] = {true,
                             {{TLaneElement::Display, "00:12.00"},
                              {TLaneElement::Lap1, "00:12.00"},
                              {TLaneElement::Status, "FINISH"}},
                             clLaneRed,
                             0};
  };
  finished(1);
  finished(2);
  lanes.UpdateLanes();  // the end of the heat: the same participants
  EXPECT_EQ(race_view.Status(1), "FINISH");
  view.lanes[1].position = 1;  // the arrow
  lanes.ud3Click();
  EXPECT_EQ(race_view.Display(1), "");
  EXPECT_EQ(race_view.Text(1, TLaneElement::Lap1), "");
  EXPECT_EQ(race_view.Status(1), "");
  EXPECT_EQ(race_view.Status(2), "FINISH");
  view.car_answer = 2;
  EXPECT_TRUE(lanes.ud1ContextPopup(2));
  EXPECT_EQ(race_view.Status(2), "");
  // A new participant at place 1 moves another one to lane 1's place in the list.
  finished(1);
  editor.Answer(1, "N");
  list.btnAddClick();
  lanes.UpdateLanes();
  EXPECT_EQ(view.lanes[1].title, "2. A Jo / Ford Ka (11)");
  EXPECT_EQ(race_view.Status(1), "");
}

}  // namespace
