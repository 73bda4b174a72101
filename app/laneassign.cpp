#include "app/laneassign.h"

#include "app/lanedisplay.h"
#include "app/racemachine.h"
#include "app/startlistlogic.h"

TLaneAssignment::TLaneAssignment(TLaneAssignmentView& view, const TStartListLogic& start_list,
                                 TRaceMachine& race)
    : view_(view), start_list_(start_list), race_(race) {}

void TLaneAssignment::UpdateLanes() {
  if (race_.Armed()) {
    for (int lane = 1; lane <= 3; ++lane) {
      view_.SetUpDownEnabled(lane, false);
      view_.SetLaneSwitchEnabled(lane, false);
    }
    return;
  }
  const int count = start_list_.Count();
  bool any_on = false;
  for (int lane = 1; lane <= 3; ++lane) {
    view_.SetLaneSwitchEnabled(lane, true);
    if (count == 0) {
      view_.SetUpDownEnabled(lane, false);
      view_.SetLaneSwitch(lane, false);
      view_.SetLaneTitle(lane, std::string());
      continue;
    }
    view_.SetUpDownMax(lane, count - 1);
    // A position beyond a shortened list moves to its last entry, so the title and the
    // protocol row name the same participant.
    if (view_.GetUpDownPosition(lane) > count - 1) view_.SetUpDownPosition(lane, count - 1);
    if (!view_.GetLaneSwitch(lane)) {
      view_.SetUpDownEnabled(lane, false);
      view_.SetLaneTitle(lane, std::string());
      continue;
    }
    view_.SetUpDownEnabled(lane, true);
    const int position = view_.GetUpDownPosition(lane);
    // Another participant (chosen, or moved to this place of the list): the times and words
    // of the last heat were not theirs. Their start place does not tell them apart.
    const std::vector<std::string> participant = position >= 0 && position < count
                                                     ? start_list_.Entries()[position].SubItems
                                                     : std::vector<std::string>();
    std::optional<std::vector<std::string>>& shown = shown_[lane - 1];
    if (shown && *shown != participant) race_.ClearLane(lane);
    shown = participant;
    view_.SetLaneTitle(lane, start_list_.GetEntryText(position));
    any_on = true;
  }
  view_.SetStartEnabled(any_on);
}

void TLaneAssignment::ledOn3Click(int tag, bool on) {
  // Only the clearing needs a lane; a switch with another Tag still makes the lanes follow.
  if (!on && TLaneDisplay::ValidLane(tag)) race_.ClearLane(tag);
  UpdateLanes();
}

bool TLaneAssignment::ud1ContextPopup(int lane) {
  if (!TLaneDisplay::ValidLane(lane)) return false;
  if (view_.GetUpDownMax(lane) <= 0 || !view_.GetUpDownEnabled(lane)) return false;
  std::vector<std::string> lines;
  for (int i = 0; i < start_list_.Count(); ++i) lines.push_back(start_list_.GetEntryText(i));
  int selected = view_.GetUpDownPosition(lane);
  // A choice of no line (an empty list box) keeps the lane's participant.
  if (view_.ExecuteSelectCar(lines, selected) && selected >= 0 && selected < start_list_.Count()) {
    view_.SetUpDownPosition(lane, selected);
    UpdateLanes();
  }
  return true;
}

bool TLaneAssignment::GetLaneParticipant(int lane, TStartListEntry& entry) const {
  if (!TLaneDisplay::ValidLane(lane)) return false;
  int position = view_.GetUpDownPosition(lane);
  if (position < 0 || position >= start_list_.Count()) return false;
  entry = start_list_.Entries()[position];
  return true;
}
