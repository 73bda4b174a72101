// The race state machine driven through a recording main window and a hand-set tick
// counter: whole heats over the lane rotation, count-down, stop and crash, keys.
#include "app/racemachine.h"

#include <gtest/gtest.h>

#include "tests/app/fake_race_view.h"

namespace {

uint32_t g_ticks = 0;
uint32_t Ticks() { return g_ticks; }

constexpr unsigned kF5 = 0x74, kF8 = 0x77, kF9 = 0x78, kF10 = 0x79;
constexpr uint32_t kShift = 1, kAlt = 2, kCtrl = 4;
using B = TRaceButton;
using Texts = std::vector<std::string>;

class Race : public ::testing::Test {
 protected:
  void SetUp() override {
    g_ticks = 1000;
    view.armed = [this] { return race.Armed(); };
    for (std::string n : {"1", "2", "3"})
      view.start_list.push_back({n, {"A", n, "Driver" + n, "", "", "", "", ""}});
  }
  // Lanes on with the participant of their own number; the lane refresh enables prepare.
  void SwitchOn(std::initializer_list<int> lanes) {
    for (int lane : lanes) view.lanes[lane] = {true, {}, clLaneRed, lane - 1};
    view.buttons[B::btnStart] = true;
  }
  void TriggerAt(uint32_t ms) {
    g_ticks = ms;
    ASSERT_TRUE(race.FormKeyDown(kF8, 0));
  }
  std::vector<TLaneColor> Lamps() { return {view.lanes[1].Lamp, view.lanes[2].Lamp, view.lanes[3].Lamp}; }

  TFakeRaceView view;
  TRaceMachine race{view, Ticks};
};

TEST_F(Race, OnlyLaneTwoWithThreeLapsEndsAfterFourTriggers) {
  SwitchOn({2});
  ASSERT_TRUE(race.FormKeyDown(kF5, 0));
  EXPECT_EQ(view.Statuses(), (Texts{"", "START", ""}));
  EXPECT_EQ(Lamps(), (std::vector<TLaneColor>{clLaneRed, clLaneLime, clLaneRed}));
  Texts captions;
  for (uint32_t at : {1000u, 21000u, 41000u, 61000u}) {
    captions.push_back(view.trigger_caption);
    TriggerAt(at);
  }
  EXPECT_EQ(captions, (Texts{"[F8] 2 START", "[F8] 2 LAP 1", "[F8] 2 LAP 2", "[F8] 2 FINISH"}));
  EXPECT_FALSE(race.Armed());
  EXPECT_EQ(race.StopReason(), srFinish);
  EXPECT_EQ(view.Status(2), "FINISH");
  ASSERT_EQ(view.protocol.size(), 1u);
  EXPECT_EQ(view.protocol[0].Caption, "1");
  EXPECT_EQ(view.protocol[0].SubItems[2], "Driver2");
  EXPECT_EQ(view.Cells(0), (Texts{"00:20.00", "00:20.00", "00:20.00", "00:20.00"}));
  // The switched-off lanes stayed blank through the whole heat.
  for (int lane : {1, 3}) {
    for (auto& [element, text] : view.lanes[lane].Text) EXPECT_EQ(text, "") << lane;
    EXPECT_EQ(view.lanes[lane].Lamp, clLaneRed);
  }
}

TEST_F(Race, ThreeLanesOneLapWithoutCountDownStartEachLaneInTurn) {
  SwitchOn({1, 2, 3});
  view.lap_choice = 0;
  race.PrepareRace();
  EXPECT_EQ(view.Statuses(), (Texts{"START", "PREPARE", "WAITING"}));
  EXPECT_EQ(Lamps(), (std::vector<TLaneColor>{clLaneLime, clLaneYellow, clLaneRed}));
  TriggerAt(1000);
  EXPECT_EQ(view.Statuses(), (Texts{"R1", "START", "PREPARE"}));
  TriggerAt(2000);
  TriggerAt(3000);
  EXPECT_EQ(view.Statuses(), (Texts{"R1", "R1", "R1"}));
  EXPECT_EQ(view.trigger_caption, "[F8] 1 FINISH");
  for (uint32_t at : {11000u, 12500u, 13000u}) TriggerAt(at);
  EXPECT_FALSE(race.Armed());
  EXPECT_EQ(view.Statuses(), (Texts{"FINISH", "FINISH", "FINISH"}));
  ASSERT_EQ(view.protocol.size(), 3u);
  // Lanes 1 and 3 tie at 10.00 s and keep their order of arrival; lane 2 took 10.50 s.
  EXPECT_EQ(view.protocol[1].SubItems[2], "Driver3");
  EXPECT_EQ(view.Cells(2), (Texts{"00:10.50", "-", "-", "00:10.50"}));
}

TEST_F(Race, CountDownHoldsTheTriggerAndCountsDownTheSeconds) {
  SwitchOn({1, 3});
  view.count_down_seconds = 5;
  race.PrepareRace();
  EXPECT_EQ(view.Statuses(), (Texts{"START", "", "PREPARE"}));
  TriggerAt(1000);
  EXPECT_EQ(view.lanes[3].Lamp, clLaneYellow);
  EXPECT_FALSE(view.Enabled(B::btnTrigger));
  EXPECT_EQ(race.CountDownText(), "3 PREPARE");
  Texts captions{view.trigger_caption};
  for (int tick = 0; tick < 4; ++tick) {
    EXPECT_FALSE(race.FormKeyDown(kF8, 0));
    EXPECT_FALSE(race.RunCommand(TRaceCommand::Trigger));  // the light barrier
    race.CountDownTimer();
    captions.push_back(view.trigger_caption);
  }
  EXPECT_EQ(captions, (Texts{"3 PREPARE 5", "3 PREPARE 4", "3 PREPARE 3", "3 PREPARE 2", "3 PREPARE 1"}));
  EXPECT_EQ(race.LapCount(3), 0);
  race.CountDownTimer();
  EXPECT_FALSE(view.count_down_on);
  EXPECT_EQ(view.trigger_caption, "[F8] 3 START");
  EXPECT_EQ(view.Status(3), "START");
  TriggerAt(7000);
  EXPECT_EQ(race.LapCount(3), 1);
}

TEST_F(Race, StopEndsTheHeatAndKeepsOnlyCompleteTimes) {
  SwitchOn({1, 2});
  race.PrepareRace();
  // Lane 1 completes its three laps; lane 2 is in its third lap when F9 comes.
  for (uint32_t at : {1000u, 2000u, 11000u, 12000u, 21000u, 22000u, 31000u}) TriggerAt(at);
  g_ticks = 35000;
  race.TimersTimerTimer();
  ASSERT_TRUE(race.FormKeyDown(kF9, 0));
  EXPECT_EQ(race.StopReason(), srStop);
  EXPECT_EQ(view.Statuses(), (Texts{"STOP", "STOP", ""}));
  EXPECT_EQ(view.Display(2), "00:33.00");
  ASSERT_EQ(view.protocol.size(), 2u);
  EXPECT_EQ(view.Cells(0), (Texts{"00:10.00", "00:10.00", "00:10.00", "00:10.00"}));
  EXPECT_EQ(view.Cells(1), (Texts{"STOP", "STOP", "STOP", "STOP"}));
}

// Idle is idle: after F9 or F10 halfway through a lap the timers' ticks write nothing, and
// the lanes keep the readings of the moment the heat ended.
TEST_F(Race, AHeatEndedHalfwayThroughALapLeavesNothingTicking) {
  SwitchOn({1, 2});
  for (unsigned key : {kF9, kF10}) {
    race.PrepareRace();
    // Lane 1 in its second lap, lane 2 in its first.
    for (uint32_t at : {1000u, 2000u, 5000u}) TriggerAt(at);
    g_ticks = 7500;
    race.TimersTimerTimer();
    g_ticks = 8000;
    ASSERT_TRUE(race.FormKeyDown(key, 0));
    EXPECT_EQ(view.Display(1), "00:07.00") << key;
    EXPECT_EQ(view.Text(1, TLaneElement::Lap2), "00:03.00") << key;
    EXPECT_EQ(view.Text(2, TLaneElement::Lap1), "00:06.00") << key;
    const int writes = view.lane_writes;
    for (int tick = 0; tick < 5; ++tick) {
      g_ticks += 1000;
      race.TimersTimerTimer();
      race.BlinkTimerTimer();
    }
    EXPECT_EQ(view.lane_writes, writes) << key;
  }
}

TEST_F(Race, TwoLanesWithTheSameParticipantBothWriteTheirRows) {
  SwitchOn({1, 3});
  view.lanes[3].Position = 0;
  view.lap_choice = 0;
  race.PrepareRace();
  for (uint32_t at : {1000u, 2000u, 11000u, 12500u}) TriggerAt(at);
  EXPECT_FALSE(race.Armed());
  ASSERT_EQ(view.protocol.size(), 2u);
  for (const TProtocolRow& row : view.protocol) EXPECT_EQ(row.SubItems[2], "Driver1");
  EXPECT_EQ(view.Cells(0), (Texts{"00:10.00", "-", "-", "00:10.00"}));
  EXPECT_EQ(view.Cells(1), (Texts{"00:10.50", "-", "-", "00:10.50"}));
}

TEST_F(Race, CrashWritesCrashWordsInLanesAndProtocol) {
  SwitchOn({1, 3});
  view.lap_choice = 1;
  race.PrepareRace();
  TriggerAt(1000);
  ASSERT_TRUE(race.FormKeyDown(kF10, 0));
  EXPECT_EQ(race.StopReason(), srCrash);
  EXPECT_EQ(view.Statuses(), (Texts{"CRASH", "", "CRASH"}));
  ASSERT_EQ(view.protocol.size(), 2u);
  EXPECT_EQ(view.Cells(0), (Texts{"CRASH", "CRASH", "-", "CRASH"}));
}

TEST_F(Race, KeysRunOnlyWithoutModifiersAndWhileTheirButtonIsEnabled) {
  EXPECT_EQ(RaceKeyCommand(kF9, 0), TRaceCommand::Stop);
  EXPECT_EQ(RaceKeyCommand(kF10, 0), TRaceCommand::Crash);
  EXPECT_EQ(RaceKeyCommand(0x75 /* F6 */, 0), TRaceCommand::None);
  SwitchOn({1});
  EXPECT_FALSE(race.FormKeyDown(kF8, 0));  // not armed: trigger disabled
  ASSERT_TRUE(race.FormKeyDown(kF5, 0));
  EXPECT_FALSE(race.FormKeyDown(kF5, 0));  // prepare is locked while armed
  for (uint32_t shift : {kShift, kAlt, kCtrl}) EXPECT_FALSE(race.FormKeyDown(kF8, shift));
  EXPECT_EQ(race.LapCount(1), 0);
}

TEST_F(Race, LapTimesAreSplitsAcrossTheTickCounterWrap) {
  SwitchOn({1});
  race.PrepareRace();
  uint32_t start = 0xFFFFF000u;  // 4096 ms before the counter wraps
  for (uint32_t at : {start, start + 35200, start + 70100, start + 106100}) TriggerAt(at);
  EXPECT_EQ(view.Text(1, TLaneElement::Lap2), "00:34.90");
  EXPECT_EQ(view.Cells(0), (Texts{"00:35.20", "00:34.90", "00:36.00", "00:34.90"}));
}

TEST_F(Race, HeatLocksButtonsAndLaneSetupUntilItEnds) {
  std::vector<B> locked = {B::btnConfig,     B::btnInfo,        B::btnHelp,          B::btnStartList,
                           B::btnExportHTML, B::btnExportExcel, B::btnExportWordpad, B::btnStart};
  SwitchOn({1});
  for (bool armed : {true, false}) {
    armed ? race.PrepareRace() : race.StopRace();
    for (B b : locked) EXPECT_EQ(view.Enabled(b), !armed);
    for (B b : {B::btnTrigger, B::btnStop, B::btnCrash}) EXPECT_EQ(view.Enabled(b), armed);
  }
  EXPECT_EQ(view.armed_at_update_lanes, (std::vector<bool>{true, false}));  // locked, then unlocked
}

TEST_F(Race, TriggerWithNoLaneOnOnlyClearsTheCaption) {
  race.PrepareRace();
  view.trigger_caption.assign(3, 'x');  // anything left from before
  race.TriggerEvent();
  EXPECT_EQ(race.CurrentLane(), 0);
  EXPECT_EQ(view.trigger_caption, "");
  EXPECT_TRUE(view.protocol.empty());
}

TEST_F(Race, LapChoiceOutsideTheThreeItemsStaysInRange) {
  view.lap_choice = 7;
  EXPECT_EQ(race.NumberOfLaps(), 3);
  view.lap_choice = -1;
  SwitchOn({1});
  race.PrepareRace();
  TriggerAt(1000);
  EXPECT_TRUE(race.Armed());  // the lane does not finish at its own start
  TriggerAt(5000);
  EXPECT_EQ(view.Cells(0), (Texts{"00:04.00", "-", "-", "00:04.00"}));
}

}  // namespace
