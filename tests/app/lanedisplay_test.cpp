// The lane blocks: what a switched-off or out-of-range lane shows, the blink of a lane that
// waits for its start, the count-down, and the lane display timer's totals and running laps.
#include "app/lanedisplay.h"

#include <gtest/gtest.h>

#include "app/racemachine.h"
#include "tests/app/fake_race_view.h"

namespace {

uint32_t g_ticks = 0;
uint32_t Ticks() { return g_ticks; }

using E = TLaneElement;

void WriteAll(TLaneDisplay& display, int lane) {
  display.SetLaneTitle(lane, "Driver");
  display.SetLaneDisplay(lane, "00:12.34");
  display.SetLaneStatus(lane, "START");
  display.SetLapLabel(lane, 3, "00:01.00");
  display.SetLaneLedColor(lane, clLaneLime);
}

TEST(LaneSetters, SwitchedOffLaneShowsEmptyTextAndRedLamp) {
  TFakeRaceView view;
  TLaneDisplay display(view);
  view.lanes[2].On = true;
  WriteAll(display, 1);
  WriteAll(display, 2);
  for (E e : {E::Title, E::Display, E::Status, E::Lap3}) {
    EXPECT_EQ(view.Text(1, e), "");
    EXPECT_NE(view.Text(2, e), "");
  }
  EXPECT_EQ(display.GetLaneLedColor(1), clLaneRed);
  EXPECT_EQ(display.GetLaneLedColor(2), clLaneLime);
}

TEST(LaneSetters, LanesAndLapsOutsideOneToThreeWriteNothing) {
  TFakeRaceView view;
  TLaneDisplay display(view);
  for (auto& lane : view.lanes) lane.On = true;
  for (int lane : {0, 4}) {
    WriteAll(display, lane);
    EXPECT_TRUE(view.lanes[lane].Text.empty());
    EXPECT_EQ(view.lanes[lane].Lamp, clLaneRed);
    EXPECT_EQ(display.GetLaneDisplay(lane), "");
    EXPECT_EQ(display.GetLaneLedColor(lane), clLaneNone);
  }
  display.SetLapLabel(1, 0, "x");
  display.SetLapLabel(1, 4, "x");
  EXPECT_TRUE(view.lanes[1].Text.empty());
}

class LaneTimers : public ::testing::Test {
 protected:
  void SetUp() override { g_ticks = 1000; }
  TFakeRaceView view;
  TRaceMachine race{view, Ticks};
};

TEST_F(LaneTimers, OnlyTheLaneReadyToStartFlashes) {
  view.lanes[1].On = view.lanes[2].On = view.lanes[3].On = true;
  view.lanes[1].Lamp = clLaneLime;
  view.lanes[1].Text[E::Display] = "00:00.00";
  race.BlinkTimerTimer();  // not armed: nothing flashes
  EXPECT_EQ(view.Display(1), "00:00.00");
  race.PrepareRace();
  race.BlinkTimerTimer();
  EXPECT_EQ(view.Display(1), "");
  EXPECT_EQ(view.Display(2), "00:00.00");  // PREPARE, yellow
  EXPECT_EQ(view.Display(3), "00:00.00");  // WAITING, red
  race.BlinkTimerTimer();
  EXPECT_EQ(view.Display(1), "00:00.00");
}

TEST_F(LaneTimers, CountDownOfOneSecondHoldsTheBlinkThenEnablesTheTrigger) {
  view.lanes[1].On = view.lanes[2].On = true;
  view.count_down_seconds = 1;
  view.words[TRaceWord::Prepare] = "BEREIT ";
  race.PrepareRace();
  race.TriggerEvent();
  EXPECT_EQ(view.trigger_caption, "2 BEREIT  1");
  race.BlinkTimerTimer();
  EXPECT_EQ(view.Display(1), "00:00.00");  // started, lime, no reading yet: no flash now
  race.CountDownTimer();
  EXPECT_TRUE(view.Enabled(TRaceButton::btnTrigger));
  EXPECT_EQ(view.Status(2), "START");
  race.BlinkTimerTimer();
  EXPECT_EQ(view.Display(2), "");
}

TEST_F(LaneTimers, DisplayShowsTotalAndRunningLapUntilTheLaneFinishes) {
  view.lanes[2].On = true;
  view.lap_choice = 1;
  race.PrepareRace();
  race.TriggerEvent();
  g_ticks = 13450;
  race.TimersTimerTimer();
  EXPECT_EQ(view.Display(2), "00:12.45");
  EXPECT_EQ(view.Text(2, E::Lap1), "00:12.45");
  EXPECT_EQ(race.Lanes().GetLaneTotal(2), 12450);
  race.BlinkTimerTimer();
  EXPECT_EQ(view.Display(2), "00:12.45");  // a running time does not flash

  g_ticks = 31000;
  race.TriggerEvent();  // lap 1: 30.00
  g_ticks = 36000;
  race.TimersTimerTimer();
  EXPECT_EQ(view.Text(2, E::Lap2), "00:05.00");
  g_ticks = 61500;
  race.TriggerEvent();  // lap 2: 30.50, the lane and the heat end
  g_ticks = 99000;
  race.TimersTimerTimer();
  EXPECT_EQ(view.Display(2), "01:00.50");
  EXPECT_EQ(view.Text(2, E::Lap1), "00:30.00");
  EXPECT_EQ(view.Text(2, E::Lap2), "00:30.50");
  EXPECT_EQ(view.Text(2, E::Lap3), "");
}

}  // namespace
