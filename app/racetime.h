// Race times: milliseconds at a resolution of one hundredth, their text form, the lane
// timer that measures them from the 32-bit millisecond tick counter, and the lane records.
// No Win32 here: the tick counter is handed in, so the timer can be driven in tests.
#pragma once

#include <cstdint>
#include <string>

#include "toolkit/object.h"

// Milliseconds, always a multiple of 10; 0 means "no time".
using TRaceTime = int64_t;

// "mm:ss.hh" with at least two digits each (minutes are not folded into hours); times
// below one hundredth give empty text.
std::string FormatTime(TRaceTime time);

// The operating system's millisecond counter, which wraps after 2^32 ms.
using TTickSource = uint32_t (*)();
uint32_t SystemTickCount();

class THRTimer : public TObject {
  TK_CLASS(THRTimer, TObject)

  explicit THRTimer(TTickSource ticks = SystemTickCount) : ticks_(ticks) {}

  bool Start();         // restarts from 0; always true
  TRaceTime GetTime();  // a new reading while running, else the frozen one
  TRaceTime Stop();     // freezes and returns the reading
  void Reset();         // stops and reads 0 again

  bool Running() const { return running_; }
  TRaceTime Elapsed() const { return elapsed_; }

 private:
  TTickSource ticks_;
  bool running_ = false;
  TRaceTime elapsed_ = 0;
  int64_t start_tick_ = 0;
};

// One lane's timer, its completed laps (0 while not completed) and its last total reading.
struct TLaneRecord {
  THRTimer* Timer = nullptr;
  TRaceTime LapTime[3] = {0, 0, 0};  // laps 1 to 3
  TRaceTime Total = 0;
};

// The three lanes, numbered 1 to 3. Lane or lap numbers outside 1 to 3 read 0 and change
// nothing, as callers pass numbers straight from the race state.
class TLanes {
 public:
  static constexpr int Count = 3;

  TLaneRecord* Lane(int lane) { return lane >= 1 && lane <= Count ? &lanes_[lane - 1] : nullptr; }

  TRaceTime GetLaneTotal(int lane);
  void SetLaneTotal(int lane, TRaceTime time);
  TRaceTime GetLapTime(int lane, int lap);
  void SetLapTime(int lane, int lap, TRaceTime time);
  TRaceTime GetLaneElapsed(int lane);
  void RunLaneTimer(int lane, bool run);
  bool LaneTimerRunning(int lane);
  void ResetLaneTimer(int lane);

 private:
  TLaneRecord lanes_[Count];
};
