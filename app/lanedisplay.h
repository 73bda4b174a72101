// The setters and getters of the three lane blocks (time display, lamp, title, lap labels,
// status) and the blink of a lane that waits for its start. A switched-off lane always
// shows empty text and a red lamp, whatever is written; lanes outside 1 to 3 are ignored.
#pragma once

#include <string>

#include "app/raceview.h"

class TLaneDisplay {
 public:
  // The lane display's idle text, and the zero that a ready lane flashes.
  static constexpr const char* ZeroTime = "00:00.00";

  explicit TLaneDisplay(TRaceView& view) : view_(view) {}
  TLaneDisplay(const TLaneDisplay&) = delete;
  TLaneDisplay& operator=(const TLaneDisplay&) = delete;

  static bool ValidLane(int lane) { return lane >= 1 && lane <= 3; }
  // False for a lane outside 1 to 3.
  bool LaneOn(int lane) const { return ValidLane(lane) && view_.GetLaneSwitch(lane); }

  void SetLaneTitle(int lane, const std::string& text) { SetText(lane, TLaneElement::Title, text); }
  TLaneColor GetLaneLedColor(int lane) const;
  void SetLaneLedColor(int lane, TLaneColor color);
  std::string GetLaneDisplay(int lane) const;
  void SetLaneDisplay(int lane, const std::string& text) { SetText(lane, TLaneElement::Display, text); }
  void SetLaneStatus(int lane, const std::string& text) { SetText(lane, TLaneElement::Status, text); }
  void SetLapLabel(int lane, int lap, const std::string& text);

  // One blink step: every lane with a lime lamp toggles its display between the zero time
  // and empty text; a lane that shows a running time is left alone.
  void Blink();

 private:
  void SetText(int lane, TLaneElement element, const std::string& text);

  TRaceView& view_;
};
