#include "app/lanedisplay.h"

TLaneColor TLaneDisplay::GetLaneLedColor(int lane) const {
  return ValidLane(lane) ? view_.GetLaneLampColor(lane) : clLaneNone;
}

void TLaneDisplay::SetLaneLedColor(int lane, TLaneColor color) {
  if (ValidLane(lane)) view_.SetLaneLampColor(lane, LaneOn(lane) ? color : clLaneRed);
}

std::string TLaneDisplay::GetLaneDisplay(int lane) const {
  return ValidLane(lane) ? view_.GetLaneDisplayText(lane) : std::string();
}

void TLaneDisplay::SetLapLabel(int lane, int lap, const std::string& text) {
  switch (lap) {
    case 1: SetText(lane, TLaneElement::Lap1, text); break;
    case 2: SetText(lane, TLaneElement::Lap2, text); break;
    case 3: SetText(lane, TLaneElement::Lap3, text); break;
    default: break;
  }
}

void TLaneDisplay::Blink() {
  for (int lane = 1; lane <= 3; ++lane) {
    if (GetLaneLedColor(lane) != clLaneLime) continue;
    std::string text = GetLaneDisplay(lane);
    if (text == ZeroTime)
      SetLaneDisplay(lane, std::string());
    else if (text.empty())
      SetLaneDisplay(lane, ZeroTime);
  }
}

void TLaneDisplay::SetText(int lane, TLaneElement element, const std::string& text) {
  if (ValidLane(lane)) view_.SetLaneText(lane, element, LaneOn(lane) ? text : std::string());
}
