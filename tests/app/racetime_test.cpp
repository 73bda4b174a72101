// Race times: their text form, the lane timer's readings (including across the wrap of
// the 32-bit tick counter) and the lane records' range checks.
#include "app/racetime.h"

#include <gtest/gtest.h>

namespace {

uint32_t g_tick = 0;
uint32_t FakeTicks() { return g_tick; }

TEST(FormatTime, WritesMinutesSecondsAndHundredths) {
  EXPECT_EQ(FormatTime(10), "00:00.01");
  EXPECT_EQ(FormatTime(60000), "01:00.00");
  EXPECT_EQ(FormatTime(61230), "01:01.23");
  EXPECT_EQ(FormatTime(3599990), "59:59.99");
  EXPECT_EQ(FormatTime(6000000), "100:00.00");  // minutes are not folded into hours
}

TEST(FormatTime, TimesBelowOneHundredthAreEmpty) {
  EXPECT_EQ(FormatTime(0), "");
  EXPECT_EQ(FormatTime(5), "");
  EXPECT_EQ(FormatTime(9), "");
}

TEST(LaneTimer, ReadsWholeHundredthsWhileRunning) {
  THRTimer timer(FakeTicks);
  EXPECT_EQ(timer.GetTime(), 0);  // never started
  g_tick = 1000;
  EXPECT_TRUE(timer.Start());
  g_tick = 1009;
  EXPECT_EQ(timer.GetTime(), 0);
  g_tick = 1010;
  EXPECT_EQ(timer.GetTime(), 10);
  g_tick = 1019;
  EXPECT_EQ(timer.GetTime(), 10);
  g_tick = 62230;
  EXPECT_EQ(timer.GetTime(), 61230);
}

TEST(LaneTimer, StopFreezesAndStartBeginsAgainAtZero) {
  THRTimer timer(FakeTicks);
  g_tick = 500;
  timer.Start();
  g_tick = 2567;
  EXPECT_EQ(timer.Stop(), 2060);
  g_tick = 9999;
  EXPECT_EQ(timer.GetTime(), 2060);
  EXPECT_EQ(timer.GetTime(), 2060);
  EXPECT_FALSE(timer.Running());
  timer.Start();
  EXPECT_EQ(timer.GetTime(), 0);
  g_tick = 10999;
  timer.Reset();
  EXPECT_EQ(timer.GetTime(), 0);
  EXPECT_EQ(FormatTime(timer.GetTime()), "");
}

TEST(LaneTimer, ReadsTheTrueTimeAcrossTheCounterWrap) {
  THRTimer timer(FakeTicks);
  g_tick = 0xFFFFFF00u;  // 256 ms before the wrap
  timer.Start();
  g_tick = 1000;  // after the wrap
  EXPECT_EQ(timer.GetTime(), 1250);
}

TEST(LaneRecords, LanesAndLapsOutsideOneToThreeAreIgnored) {
  TLanes lanes;
  THRTimer timer(FakeTicks);
  lanes.Lane(2)->Timer = &timer;
  for (int lane : {0, 4, -1}) {
    lanes.SetLaneTotal(lane, 100);
    lanes.SetLapTime(lane, 1, 100);
    lanes.RunLaneTimer(lane, true);
    EXPECT_EQ(lanes.GetLaneTotal(lane), 0);
    EXPECT_EQ(lanes.GetLapTime(lane, 1), 0);
    EXPECT_EQ(lanes.GetLaneElapsed(lane), 0);
  }
  lanes.SetLapTime(2, 0, 70);
  lanes.SetLapTime(2, 4, 80);
  lanes.SetLapTime(2, 3, 90);
  EXPECT_EQ(lanes.GetLapTime(2, 0), 0);
  EXPECT_EQ(lanes.GetLapTime(2, 4), 0);
  EXPECT_EQ(lanes.GetLapTime(2, 3), 90);
  EXPECT_EQ(lanes.GetLapTime(1, 3), 0);

  g_tick = 0;
  lanes.RunLaneTimer(2, true);
  g_tick = 120;
  EXPECT_EQ(lanes.GetLaneElapsed(2), 120);
  lanes.RunLaneTimer(2, false);
  EXPECT_FALSE(timer.Running());
  lanes.ResetLaneTimer(2);
  EXPECT_EQ(lanes.GetLaneElapsed(2), 0);
  EXPECT_EQ(lanes.GetLaneElapsed(1), 0);  // a lane without its timer yet
}

}  // namespace
