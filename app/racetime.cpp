#include "app/racetime.h"

TK_ABSTRACT_CLASS_INFO(THRTimer, TObject)

namespace {

std::string TwoDigits(int64_t value) {
  std::string text = std::to_string(value);
  return text.size() < 2 ? std::string(2 - text.size(), '0') + text : text;
}

}  // namespace

std::string FormatTime(TRaceTime time) {
  int64_t hundredths = time / 10;
  int64_t seconds = hundredths / 100;
  // Minutes are a 32-bit count in the stored texts; no real heat comes near its limit.
  int32_t minutes = static_cast<int32_t>(seconds / 60);
  std::string text = TwoDigits(minutes) + ":" + TwoDigits(seconds % 60) + "." + TwoDigits(hundredths % 100);
  return text == "00:00.00" ? std::string() : text;
}

bool THRTimer::Start() {
  start_tick_ = ticks_();
  elapsed_ = 0;
  running_ = true;
  return true;
}

TRaceTime THRTimer::GetTime() {
  if (!running_) return elapsed_;
  int64_t d = static_cast<int64_t>(ticks_()) - start_tick_;
  if (d < 0) d += int64_t{1} << 32;  // the counter wrapped since the start
  elapsed_ = d / 10 * 10;
  return elapsed_;
}

TRaceTime THRTimer::Stop() {
  TRaceTime reading = GetTime();
  running_ = false;
  return reading;
}

void THRTimer::Reset() {
  Stop();
  elapsed_ = 0;
}

TRaceTime TLanes::GetLaneTotal(int lane) { return Lane(lane) ? Lane(lane)->Total : 0; }

void TLanes::SetLaneTotal(int lane, TRaceTime time) {
  if (Lane(lane)) Lane(lane)->Total = time;
}

TRaceTime TLanes::GetLapTime(int lane, int lap) {
  return Lane(lane) && lap >= 1 && lap <= 3 ? Lane(lane)->LapTime[lap - 1] : 0;
}

void TLanes::SetLapTime(int lane, int lap, TRaceTime time) {
  if (Lane(lane) && lap >= 1 && lap <= 3) Lane(lane)->LapTime[lap - 1] = time;
}

TRaceTime TLanes::GetLaneElapsed(int lane) {
  TLaneRecord* record = Lane(lane);
  return record && record->Timer ? record->Timer->GetTime() : 0;
}

void TLanes::RunLaneTimer(int lane, bool run) {
  TLaneRecord* record = Lane(lane);
  if (!record || !record->Timer) return;
  if (run)
    record->Timer->Start();
  else
    record->Timer->Stop();
}

bool TLanes::LaneTimerRunning(int lane) {
  TLaneRecord* record = Lane(lane);
  return record && record->Timer && record->Timer->Running();
}

void TLanes::ResetLaneTimer(int lane) {
  TLaneRecord* record = Lane(lane);
  if (record && record->Timer) record->Timer->Reset();
}
