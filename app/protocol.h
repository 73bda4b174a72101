// The protocol: one row per switched-on lane and heat, all rows of all heats ranked by the
// best lap and numbered as places. The rows live in the main window's list; this class
// builds their cells, ranks and renumbers them.
#pragma once

#include <string>
#include <vector>

#include "app/racetime.h"
#include "app/raceview.h"

// What one switched-on lane hands to the protocol at the end of a heat.
struct THeatLane {
  bool HasParticipant = false;  // false: the lane's up-down indexes no start-list entry
  TStartListEntry Participant;
  TRaceTime LapTime[3] = {0, 0, 0};
};

class TProtocol {
 public:
  // Written for a lane without a complete time when the heat neither stopped nor crashed.
  static constexpr const char* UnknownWord = "???";
  // Written for a lap beyond the configured number of laps.
  static constexpr const char* NoLap = "-";
  // Participant fields of a protocol row: class to country.
  static constexpr int ParticipantFields = 8;

  explicit TProtocol(TRaceView& view) : view_(view) {}
  TProtocol(const TProtocol&) = delete;
  TProtocol& operator=(const TProtocol&) = delete;

  // Appends one row per lane in the given order, then ranks and renumbers all rows.
  // `no_time_word` fills the cells of a lane that did not complete its laps.
  void AddHeat(const std::vector<THeatLane>& lanes, int laps, const std::string& no_time_word);

  // Lap 1, lap 2, lap 3 and best for one lane.
  static std::vector<std::string> LaneCells(const TRaceTime (&lap_time)[3], int laps,
                                            const std::string& no_time_word);

  // The ranking order on the best-lap cell (the last sub-item): two times by their value,
  // times before any other text, other texts by their ASCII upper-case codes.
  static int ListProtocolCompare(const TProtocolRow& first, const TProtocolRow& second);

  // Places 1 to N in list order.
  void Renumber();

 private:
  TRaceView& view_;
};
