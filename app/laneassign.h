// Lane assignment: each lane's switch and up-down (the index of its participant in the start
// list), the lane titles, the prepare button, and the car selection dialog. TMain forwards
// its switch, up-down and refresh events here one line each and implements
// TLaneAssignmentView with its controls.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/raceview.h"

class TRaceMachine;
class TStartListLogic;

// The main window's lane controls, as plain values. The logic passes lanes 1 to 3 only.
class TLaneAssignmentView {
 public:
  virtual ~TLaneAssignmentView() = default;

  // The lane switch: its Status (on) and whether it takes clicks.
  virtual bool GetLaneSwitch(int lane) const = 0;
  virtual void SetLaneSwitch(int lane, bool on) = 0;
  virtual void SetLaneSwitchEnabled(int lane, bool enabled) = 0;
  // The up-down: Position, Max and whether it takes clicks.
  virtual int GetUpDownPosition(int lane) const = 0;
  virtual void SetUpDownPosition(int lane, int position) = 0;
  virtual int GetUpDownMax(int lane) const = 0;
  virtual void SetUpDownMax(int lane, int max) = 0;
  virtual bool GetUpDownEnabled(int lane) const = 0;
  virtual void SetUpDownEnabled(int lane, bool enabled) = 0;
  virtual void SetLaneTitle(int lane, const std::string& title) = 0;
  // btnStart (prepare).
  virtual void SetStartEnabled(bool enabled) = 0;
  // TSelectCar shown modally with these lines and `selected` chosen; true on OK with the
  // list's selected index in `selected`.
  virtual bool ExecuteSelectCar(const std::vector<std::string>& lines, int& selected) = 0;
};

class TLaneAssignment {
 public:
  TLaneAssignment(TLaneAssignmentView& view, const TStartListLogic& start_list, TRaceMachine& race);
  TLaneAssignment(const TLaneAssignment&) = delete;
  TLaneAssignment& operator=(const TLaneAssignment&) = delete;

  // The lane refresh, after the start list editor, a switch or up-down click, a car choice
  // and at the end of a heat: while a heat is armed nothing can be changed; otherwise each
  // lane follows the start list and its switch, and prepare needs a lane that is on. A lane
  // whose participant changed is cleared of the last heat's times and words.
  void UpdateLanes();
  // A lane switch clicked and toggled, now `on`; `tag` is the switch's Tag, its lane.
  // Switching off clears the lane.
  void ledOn3Click(int tag, bool on);
  // An up-down arrow clicked (its position has already moved).
  void ud3Click() { UpdateLanes(); }
  // A right click on a lane's up-down: the car selection, when there is a choice. True when
  // the click was taken (no context menu is to open).
  bool ud1ContextPopup(int lane);

  // The start-list entry at the lane's up-down position; false when it indexes none.
  bool GetLaneParticipant(int lane, TStartListEntry& entry) const;

 private:
  TLaneAssignmentView& view_;
  const TStartListLogic& start_list_;
  TRaceMachine& race_;
  // The participant (the entry's fields) each switched-on lane showed at its last refresh.
  std::optional<std::vector<std::string>> shown_[3];
};
