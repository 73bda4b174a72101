#include "app/racemachine.h"

#include <algorithm>

namespace {

// Virtual-key codes of the race keys.
constexpr unsigned kKeyF5 = 0x74, kKeyF8 = 0x77, kKeyF9 = 0x78, kKeyF10 = 0x79;

// Lane status while a lane runs its laps.
constexpr const char* kRunningLap[3] = {"R1", "R2", "R3"};

// The buttons locked while a heat is armed.
constexpr TRaceButton kLockedButtons[] = {TRaceButton::btnConfig,        TRaceButton::btnInfo,
                                          TRaceButton::btnHelp,          TRaceButton::btnStartList,
                                          TRaceButton::btnExportHTML,    TRaceButton::btnExportExcel,
                                          TRaceButton::btnExportWordpad, TRaceButton::btnStart};

}  // namespace

TRaceCommand RaceKeyCommand(unsigned key, uint32_t shift_bits) {
  if (shift_bits != 0) return TRaceCommand::None;
  switch (key) {
    case kKeyF5: return TRaceCommand::Prepare;
    case kKeyF8: return TRaceCommand::Trigger;
    case kKeyF9: return TRaceCommand::Stop;
    case kKeyF10: return TRaceCommand::Crash;
    default: return TRaceCommand::None;
  }
}

TRaceMachine::TRaceMachine(TRaceView& view, TTickSource ticks)
    : view_(view), display_(view), protocol_(view), timer1_(ticks), timer2_(ticks), timer3_(ticks) {
  lanes_.Lane(1)->Timer = &timer1_;
  lanes_.Lane(2)->Timer = &timer2_;
  lanes_.Lane(3)->Timer = &timer3_;
}

bool TRaceMachine::RunCommand(TRaceCommand command) {
  switch (command) {
    case TRaceCommand::Prepare:
      if (!view_.GetButtonEnabled(TRaceButton::btnStart)) return false;
      PrepareRace();
      return true;
    case TRaceCommand::Trigger:
      if (!view_.GetButtonEnabled(TRaceButton::btnTrigger)) return false;
      TriggerEvent();
      return true;
    case TRaceCommand::Stop:
      if (!view_.GetButtonEnabled(TRaceButton::btnStop)) return false;
      StopRace();
      return true;
    case TRaceCommand::Crash:
      if (!view_.GetButtonEnabled(TRaceButton::btnCrash)) return false;
      CrashRace();
      return true;
    case TRaceCommand::None: break;
  }
  return false;
}

// ---- Lane rotation ------------------------------------------------------------------------

int TRaceMachine::NextLaneFrom(int lane) const {
  if (!TLaneDisplay::ValidLane(lane)) return 0;
  // The two lanes after `lane` in the rotation 1, 2, 3, 1; a lone lane follows itself.
  for (int step = 1; step <= 2; ++step) {
    int candidate = (lane - 1 + step) % 3 + 1;
    if (display_.LaneOn(candidate)) return candidate;
  }
  return lane;
}

int TRaceMachine::NextLane() const { return NextLaneFrom(current_lane_); }

int TRaceMachine::LaneAfterNext() const { return NextLaneFrom(NextLaneFrom(current_lane_)); }

int TRaceMachine::ActiveLaneCount() const {
  int count = 0;
  for (int lane = 1; lane <= 3; ++lane) count += display_.LaneOn(lane) ? 1 : 0;
  return count;
}

int TRaceMachine::NumberOfLaps() const {
  // A lap choice outside the three items (only from a hand-edited settings file) would make
  // every lane finish at its start and rank an empty best lap first; keep it in range.
  return std::clamp(view_.GetLapChoice() + 1, 1, 3);
}

int TRaceMachine::FirstActiveLane() const {
  for (int lane = 1; lane <= 3; ++lane)
    if (display_.LaneOn(lane)) return lane;
  return 0;
}

int TRaceMachine::GetLaneMask() const {
  return 100 * display_.LaneOn(1) + 10 * display_.LaneOn(2) + display_.LaneOn(3);
}

std::string TRaceMachine::GetTriggerCaption() const {
  int lane = current_lane_ != 0 ? NextLane() : FirstActiveLane();
  if (!TLaneDisplay::ValidLane(lane)) return std::string();
  int k = lap_count_[lane - 1] + 1;
  std::string caption = Word(TRaceWord::F8) + " " + std::to_string(lane) + " ";
  if (k == 1) return caption + Word(TRaceWord::Start);
  if (k <= NumberOfLaps()) return caption + Word(TRaceWord::Lap) + " " + std::to_string(k - 1);
  return caption + Word(TRaceWord::Finish);
}

// ---- Lane states --------------------------------------------------------------------------

void TRaceMachine::ClearLane(int lane) {
  display_.SetLaneDisplay(lane, std::string());
  for (int lap = 1; lap <= 3; ++lap) display_.SetLapLabel(lane, lap, std::string());
  display_.SetLaneStatus(lane, std::string());
  display_.SetLaneLedColor(lane, clLaneRed);
}

void TRaceMachine::SetLaneStart(int lane) {
  display_.SetLaneLedColor(lane, clLaneLime);
  display_.SetLaneStatus(lane, Word(TRaceWord::Start));
}

void TRaceMachine::SetLanePrepare(int lane) {
  display_.SetLaneLedColor(lane, clLaneYellow);
  display_.SetLaneStatus(lane, Word(TRaceWord::Prepare));
}

void TRaceMachine::SetLaneFinished(int lane) {
  display_.SetLaneLedColor(lane, clLaneRed);
  std::string status;
  switch (stop_reason_) {
    case srWaiting: status = Word(TRaceWord::Waiting); break;
    case srFinish: status = Word(TRaceWord::Finish); break;
    case srStop: status = Word(TRaceWord::Stop); break;
    case srCrash: status = Word(TRaceWord::Crash); break;
    default: break;
  }
  display_.SetLaneStatus(lane, status);
}

// ---- Events -------------------------------------------------------------------------------

void TRaceMachine::SetHeatButtons(bool armed) {
  for (TRaceButton button : kLockedButtons) view_.SetButtonEnabled(button, !armed);
  view_.SetButtonEnabled(TRaceButton::btnStop, armed);
  view_.SetButtonEnabled(TRaceButton::btnCrash, armed);
}

void TRaceMachine::PrepareRace() {
  stop_reason_ = srClearing;
  for (int lane = 1; lane <= 3; ++lane) ClearLane(lane);

  // The lowest switched-on lane starts first; the second one in the rotation is prepared
  // and, with all three on, the third waits.
  int first = FirstActiveLane();
  if (first != 0) SetLaneStart(first);
  int mask = GetLaneMask();
  if (mask == 11 || mask == 101) SetLanePrepare(3);
  if (mask == 110 || mask == 111) SetLanePrepare(2);
  stop_reason_ = srWaiting;
  if (mask == 111) SetLaneFinished(3);
  stop_reason_ = srStop;

  for (int lane = 1; lane <= 3; ++lane) {
    lap_count_[lane - 1] = 0;
    lanes_.ResetLaneTimer(lane);
    lanes_.SetLaneTotal(lane, 0);
    for (int lap = 1; lap <= 3; ++lap) lanes_.SetLapTime(lane, lap, 0);
    display_.SetLaneDisplay(lane, TLaneDisplay::ZeroTime);
  }

  current_lane_ = 0;
  view_.SetButtonEnabled(TRaceButton::btnTrigger, true);
  view_.SetTriggerCaption(GetTriggerCaption());

  armed_ = true;
  SetHeatButtons(true);
  // Lock the lane switches and participants for the heat: a lane switched off halfway
  // would leave the rotation and the protocol inconsistent.
  view_.UpdateLanes();
}

void TRaceMachine::TriggerEvent() {
  view_.SetCountDownEnabled(false);
  view_.SetTriggerCaption(std::string());
  if (current_lane_ == 0) current_lane_ = FirstActiveLane();

  int lane = current_lane_;
  if (TLaneDisplay::ValidLane(lane)) {
    int count = ++lap_count_[lane - 1];
    view_.SetTriggerCaption(GetTriggerCaption());

    TRaceTime lap1 = lanes_.GetLapTime(lane, 1), lap2 = lanes_.GetLapTime(lane, 2);
    switch (count) {
      case 1: {
        lanes_.ResetLaneTimer(lane);
        RunLaneTimer(lane, true);
        SetLaneStart(lane);
        display_.SetLaneStatus(lane, kRunningLap[0]);
        int next = NextLane();
        if (next > lane) {
          if (view_.GetCountDownSeconds() < 1) {
            SetLaneStart(next);
            int after_next = LaneAfterNext();
            if (ActiveLaneCount() > 2 && after_next > lane) SetLanePrepare(after_next);
          } else {
            SetLanePrepare(next);
            StartCountDown(std::to_string(next) + " " + Word(TRaceWord::Prepare), GetTriggerCaption());
          }
        }
        break;
      }
      case 2:
      case 3:
      case 4: {
        // Lap times are splits: the reading minus the laps before.
        TRaceTime reading = lanes_.GetLaneElapsed(lane);
        TRaceTime lap = count == 2 ? reading : count == 3 ? reading - lap1 : reading - lap2 - lap1;
        lanes_.SetLapTime(lane, count - 1, lap);
        display_.SetLapLabel(lane, count - 1, FormatTime(lap));
        display_.SetLaneStatus(lane, count < 4 ? kRunningLap[count - 1] : "");
        break;
      }
      default: break;
    }

    if (NumberOfLaps() < count) {
      StopLaneTimer(lane);
      stop_reason_ = srFinish;
      SetLaneFinished(lane);
      stop_reason_ = srStop;
      // The last lane of the rotation has finished: the heat is over.
      if (NextLane() <= lane) {
        stop_reason_ = srFinish;
        StopRace();
      }
    }
  }
  current_lane_ = NextLane();
}

void TRaceMachine::StopRace() {
  armed_ = false;
  SetHeatButtons(false);
  view_.SetButtonEnabled(TRaceButton::btnTrigger, false);
  view_.SetCountDownEnabled(false);
  view_.SetTriggerCaption(std::string());

  for (int lane = 1; lane <= 3; ++lane) {
    StopLaneTimer(lane);
    SetLaneFinished(lane);
    if (display_.GetLaneDisplay(lane).empty()) display_.SetLaneDisplay(lane, TLaneDisplay::ZeroTime);
  }
  AddToProtocol();
  view_.UpdateLanes();
}

void TRaceMachine::CrashRace() {
  stop_reason_ = srCrash;
  StopRace();
  for (int lane = 1; lane <= 3; ++lane) display_.SetLaneStatus(lane, Word(TRaceWord::Crash));
}

void TRaceMachine::AddToProtocol() {
  std::vector<THeatLane> heat;
  for (int lane = 1; lane <= 3; ++lane) {
    if (!display_.LaneOn(lane)) continue;
    THeatLane entry;
    entry.HasParticipant = view_.GetLaneParticipant(lane, entry.Participant);
    for (int lap = 1; lap <= 3; ++lap) entry.LapTime[lap - 1] = lanes_.GetLapTime(lane, lap);
    heat.push_back(std::move(entry));
  }
  std::string no_time = stop_reason_ == srStop    ? Word(TRaceWord::Stop)
                        : stop_reason_ == srCrash ? Word(TRaceWord::Crash)
                                                  : std::string(TProtocol::UnknownWord);
  protocol_.AddHeat(heat, NumberOfLaps(), no_time);
}

// ---- Timers -------------------------------------------------------------------------------

void TRaceMachine::TimersTimerTimer() {
  // Only a running lane changes. A stopped one showed its last reading when it stopped, so
  // an idle window repaints nothing, also after a heat ended halfway through a lap.
  for (int lane = 1; lane <= 3; ++lane)
    if (lanes_.LaneTimerRunning(lane)) ShowLaneTime(lane);
}

void TRaceMachine::ShowLaneTime(int lane) {
  TRaceTime total = lanes_.GetLaneElapsed(lane);
  lanes_.SetLaneTotal(lane, total);
  // A reset timer leaves the display alone, so the zero written at prepare stays.
  if (total != 0) display_.SetLaneDisplay(lane, FormatTime(total));

  // The running lap: the total minus the laps already closed.
  int k = lap_count_[lane - 1];
  if (k < 1 || k > NumberOfLaps()) return;
  TRaceTime lap = total;
  for (int done = 1; done < k; ++done) lap -= lanes_.GetLapTime(lane, done);
  display_.SetLapLabel(lane, k, FormatTime(lap));
}

void TRaceMachine::StopLaneTimer(int lane) {
  if (!lanes_.LaneTimerRunning(lane)) return;
  RunLaneTimer(lane, false);
  ShowLaneTime(lane);  // the final reading, which no tick shows any more
}

void TRaceMachine::RunLaneTimer(int lane, bool run) {
  lanes_.RunLaneTimer(lane, run);
  bool any = false;
  for (int other = 1; other <= 3; ++other) any = any || lanes_.LaneTimerRunning(other);
  view_.SetDisplayTimerEnabled(any);
}

void TRaceMachine::BlinkTimerTimer() {
  if (armed_ && !view_.GetCountDownEnabled()) display_.Blink();
}

void TRaceMachine::StartCountDown(const std::string& text, const std::string& after_caption) {
  int seconds = view_.GetCountDownSeconds();
  if (seconds < 1) {
    view_.SetCountDownEnabled(false);
    view_.SetButtonEnabled(TRaceButton::btnTrigger, true);
    view_.SetTriggerCaption(GetTriggerCaption());
    return;
  }
  view_.SetButtonEnabled(TRaceButton::btnTrigger, false);
  view_.SetCountDownTag(seconds - 1);
  count_down_text_ = text;
  after_count_down_caption_ = after_caption;
  view_.SetTriggerCaption(text + " " + std::to_string(seconds));
  view_.SetCountDownEnabled(true);
}

void TRaceMachine::CountDownTimer() {
  if (!view_.GetCountDownEnabled()) return;  // a tick queued before the timer went off
  int tag = view_.GetCountDownTag();
  if (tag > 0) {
    view_.SetTriggerCaption(count_down_text_ + " " + std::to_string(tag));
    view_.SetCountDownTag(tag - 1);
    return;
  }
  view_.SetCountDownEnabled(false);
  view_.SetButtonEnabled(TRaceButton::btnTrigger, true);
  view_.SetTriggerCaption(after_count_down_caption_);
  // The rotation has already moved on to the lane that waited.
  SetLaneStart(current_lane_);
  if (NextLane() > current_lane_) SetLanePrepare(NextLane());
}
