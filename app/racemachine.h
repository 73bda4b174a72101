// The race state machine of the main window: prepare, trigger, stop and crash over three
// lanes, the lane rotation, the count-down before the next lane may start, and the three
// timer handlers that animate the lanes. TMain forwards its events here one line each and
// implements TRaceView with its controls.
#pragma once

#include <cstdint>
#include <string>

#include "app/lanedisplay.h"
#include "app/protocol.h"
#include "app/racetime.h"
#include "app/raceview.h"

// The operations that keys, buttons and the light barrier ask for.
enum class TRaceCommand { None, Prepare, Trigger, Stop, Crash };

// F5, F8, F9 and F10 with no modifier held; `shift_bits` is the key event's shift state as a
// bit mask (empty = 0). Any other key or any modifier gives None.
TRaceCommand RaceKeyCommand(unsigned key, uint32_t shift_bits);

// What StopReason selects: the word of a finished lane and of a protocol row without time.
enum : uint8_t { srWaiting = 0, srFinish = 1, srStop = 2, srCrash = 3, srClearing = 4 };

class TRaceMachine {
 public:
  explicit TRaceMachine(TRaceView& view, TTickSource ticks = SystemTickCount);
  TRaceMachine(const TRaceMachine&) = delete;
  TRaceMachine& operator=(const TRaceMachine&) = delete;

  // Events. Each runs unconditionally: the race buttons call them on mouse-down, as a
  // disabled button delivers no mouse events. RunCommand first checks the matching button.
  void PrepareRace();
  void TriggerEvent();
  void StopRace();
  void CrashRace();
  // Runs the command only while its button is enabled (keys, light barrier); true if it ran.
  bool RunCommand(TRaceCommand command);
  // The main window's key preview; true if the key ran an operation (it is not consumed).
  bool FormKeyDown(unsigned key, uint32_t shift_bits) { return RunCommand(RaceKeyCommand(key, shift_bits)); }

  // Timer handlers: lane display (10 ms; writes only lanes whose timer runs), blink
  // (250 ms), count-down (1 s).
  void TimersTimerTimer();
  void BlinkTimerTimer();
  void CountDownTimer();
  void StartCountDown(const std::string& text, const std::string& after_caption);

  std::string GetTriggerCaption() const;
  int NextLane() const;
  int LaneAfterNext() const;
  int ActiveLaneCount() const;
  int NumberOfLaps() const;
  int FirstActiveLane() const;
  int GetLaneMask() const;

  // Lane states: lamp colour and status word.
  void ClearLane(int lane);
  void SetLaneStart(int lane);
  void SetLanePrepare(int lane);
  void SetLaneFinished(int lane);

  void AddToProtocol();

  bool Armed() const { return armed_; }
  int CurrentLane() const { return current_lane_; }
  int LapCount(int lane) const { return TLaneDisplay::ValidLane(lane) ? lap_count_[lane - 1] : 0; }
  const std::string& CountDownText() const { return count_down_text_; }
  const std::string& AfterCountDownCaption() const { return after_count_down_caption_; }
  uint8_t StopReason() const { return stop_reason_; }

  TLaneDisplay& Display() { return display_; }
  TLanes& Lanes() { return lanes_; }
  TProtocol& Protocol() { return protocol_; }

 private:
  std::string Word(TRaceWord word) const { return view_.GetWord(word); }
  int NextLaneFrom(int lane) const;
  void SetHeatButtons(bool armed);
  // The lane's reading on its display and, during a lap, in the running lap's label.
  void ShowLaneTime(int lane);
  // Stops a running lane timer and shows its final reading.
  void StopLaneTimer(int lane);
  // Starts or stops a lane's timer; the display timer runs while any lane's does, so an idle
  // window is not woken a hundred times a second.
  void RunLaneTimer(int lane, bool run);

  TRaceView& view_;
  TLaneDisplay display_;
  TProtocol protocol_;
  THRTimer timer1_, timer2_, timer3_;
  TLanes lanes_;

  bool armed_ = false;
  int current_lane_ = 0;
  int lap_count_[3] = {0, 0, 0};
  std::string count_down_text_;
  std::string after_count_down_caption_;
  uint8_t stop_reason_ = srWaiting;
};
