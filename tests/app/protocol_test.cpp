// The protocol: the cells a lane writes, the ranking order, and the rows of whole heats.
#include "app/protocol.h"

#include <gtest/gtest.h>

#include "tests/app/fake_race_view.h"

namespace {

using Cells = std::vector<std::string>;

TProtocolRow Row(const std::string& best) { return {"", {"A", "1", "Name", best}}; }
THeatLane Lane(const std::string& name, TRaceTime lap1, TRaceTime lap2 = 0, TRaceTime lap3 = 0) {
  THeatLane lane;
  lane.HasParticipant = true;
  lane.Participant = {"7", {"A", "11", name, "F", "VW", "Golf", "Graz", "AT"}};
  lane.LapTime[0] = lap1;
  lane.LapTime[1] = lap2;
  lane.LapTime[2] = lap3;
  return lane;
}
std::vector<std::string> Names(const TFakeRaceView& view) {
  std::vector<std::string> names;
  for (const auto& row : view.protocol) names.push_back(row.Caption + " " + row.SubItems.at(2));
  return names;
}

TEST(ProtocolCells, CompleteLapsGiveTimesAndTheBest) {
  TRaceTime laps[3] = {35200, 34900, 36000};
  EXPECT_EQ(TProtocol::LaneCells(laps, 3, "STOP"), (Cells{"00:35.20", "00:34.90", "00:36.00", "00:34.90"}));
  EXPECT_EQ(TProtocol::LaneCells(laps, 1, "STOP"), (Cells{"00:35.20", "-", "-", "00:35.20"}));
}

TEST(ProtocolCells, IncompleteLapsGiveTheWordUpToTheConfiguredLaps) {
  TRaceTime laps[3] = {35200, 0, 0};
  EXPECT_EQ(TProtocol::LaneCells(laps, 3, "STOP"), (Cells{"STOP", "STOP", "STOP", "STOP"}));
  EXPECT_EQ(TProtocol::LaneCells(laps, 2, "CRASH"), (Cells{"CRASH", "CRASH", "-", "CRASH"}));
  EXPECT_EQ(TProtocol::LaneCells(laps, 1, "???"), (Cells{"00:35.20", "-", "-", "00:35.20"}));
}

TEST(ProtocolRanking, TimesByValueThenUnknownThenWordsByText) {
  std::vector<std::string> ordered = {"00:34.90", "01:00.00", "59:59.99", "100:00.00", "???",
                                      "CRASH",    "STOP",     "STOPP",    "UNFALL"};
  for (size_t i = 0; i + 1 < ordered.size(); ++i) {
    EXPECT_LT(TProtocol::ListProtocolCompare(Row(ordered[i]), Row(ordered[i + 1])), 0) << ordered[i];
    EXPECT_GT(TProtocol::ListProtocolCompare(Row(ordered[i + 1]), Row(ordered[i])), 0) << ordered[i];
  }
  EXPECT_EQ(TProtocol::ListProtocolCompare(Row("stop"), Row("STOP")), 0);
  EXPECT_EQ(TProtocol::ListProtocolCompare(Row("01:00.00"), Row("01:00.00")), 0);
}

TEST(ProtocolRanking, ComparesTheLastSubItemWhateverTheRowLength) {
  TProtocolRow longer = {"", {"A", "B", "C", "D", "E", "F", "G", "H", "I", "J", "00:20.00"}};
  EXPECT_LT(TProtocol::ListProtocolCompare(longer, Row("00:30.00")), 0);
  EXPECT_LT(TProtocol::ListProtocolCompare(TProtocolRow{}, Row("???")), 0);  // no sub-items: empty text
}

TEST(ProtocolHeats, RowsOfAllHeatsAreRankedAndNumberedTogether) {
  TFakeRaceView view;
  TProtocol protocol(view);
  protocol.AddHeat({Lane("Ann", 41000), Lane("Bob", 0)}, 1, "STOP");
  EXPECT_EQ(Names(view), (Cells{"1 Ann", "2 Bob"}));
  protocol.AddHeat({Lane("Cid", 40000), Lane("Dan", 41000), Lane("Eve", 0)}, 1, "CRASH");
  // Ann and Dan tie and keep their order of arrival.
  EXPECT_EQ(Names(view), (Cells{"1 Cid", "2 Ann", "3 Dan", "4 Eve", "5 Bob"}));
  EXPECT_EQ(view.protocol[0].SubItems.size(), 12u);
}

TEST(ProtocolHeats, DeletedRowLeavesAGapUntilTheNextHeat) {
  TFakeRaceView view;
  TProtocol protocol(view);
  protocol.AddHeat({Lane("Ann", 40000), Lane("Bob", 41000), Lane("Cid", 42000)}, 1, "STOP");
  view.protocol.erase(view.protocol.begin() + 1);
  EXPECT_EQ(Names(view), (Cells{"1 Ann", "3 Cid"}));
  protocol.AddHeat({Lane("Dan", 43000)}, 1, "STOP");
  EXPECT_EQ(Names(view), (Cells{"1 Ann", "2 Cid", "3 Dan"}));
}

TEST(ProtocolHeats, LaneWithoutStartListEntryKeepsItsTimesUnderEmptyFields) {
  TFakeRaceView view;
  TProtocol protocol(view);
  THeatLane orphan = Lane("", 39000);
  orphan.HasParticipant = false;
  THeatLane shorter = Lane("Ann", 40000);
  shorter.Participant.SubItems.resize(3);  // from a hand-made start-list file
  protocol.AddHeat({shorter, orphan}, 1, "STOP");
  ASSERT_EQ(view.protocol.size(), 2u);
  EXPECT_EQ(view.protocol[0].SubItems,
            (Cells{"", "", "", "", "", "", "", "", "00:39.00", "-", "-", "00:39.00"}));
  EXPECT_EQ(view.protocol[1].SubItems.size(), 7u);  // the cells shift; the best stays last
  EXPECT_EQ(view.protocol[1].SubItems.back(), "00:40.00");
}

}  // namespace
