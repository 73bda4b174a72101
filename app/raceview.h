// The main window as the race logic sees it: plain reads and writes of its lane elements,
// buttons, count-down timer, settings, participants and protocol rows. TMain implements it
// with its real controls; the race logic decides everything else (which lanes are written,
// what a switched-off lane shows, when a button is enabled). No Win32 here.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Colours as Windows colour values (0x00BBGGRR), the lamp's states.
using TLaneColor = int32_t;
constexpr TLaneColor clLaneRed = 255;         // idle, finished, or lane off
constexpr TLaneColor clLaneLime = 65280;      // ready to start or running
constexpr TLaneColor clLaneYellow = 65535;    // the next lane to start
constexpr TLaneColor clLaneNone = 536870911;  // the toolkit's "no colour"

// The text elements of one lane block.
enum class TLaneElement { Display, Title, Lap1, Lap2, Lap3, Status };

// The main window's buttons whose enabled state belongs to the race.
enum class TRaceButton {
  btnStart,
  btnTrigger,
  btnStop,
  btnCrash,
  btnConfig,
  btnInfo,
  btnHelp,
  btnStartList,
  btnExportHTML,
  btnExportExcel,
  btnExportWordpad
};

// Status and caption words. They are resource strings translated at run time, so the logic
// asks the view for them each time instead of holding a text.
enum class TRaceWord { Start, Prepare, Waiting, Finish, Stop, Crash, Lap, F8 };

// The English resource text of a word, which is also its catalog key.
constexpr const char* RaceWordKey(TRaceWord word) {
  switch (word) {
    case TRaceWord::Start: return "START";
    case TRaceWord::Prepare: return "PREPARE";
    case TRaceWord::Waiting: return "WAITING";
    case TRaceWord::Finish: return "FINISH";
    case TRaceWord::Stop: return "STOP";
    case TRaceWord::Crash: return "CRASH";
    case TRaceWord::Lap: return "LAP";
    case TRaceWord::F8: return "[F8]";
  }
  return "";
}

// One list item: a caption and its sub-items. A start-list entry has the start place as its
// caption and class, start number, last name, first name, car make, car type, city and
// country as sub-items; a protocol row has the place as its caption, the entry's sub-items,
// then lap 1, lap 2, lap 3 and the best lap.
struct TListRow {
  std::string Caption;
  std::vector<std::string> SubItems;
};
using TStartListEntry = TListRow;
using TProtocolRow = TListRow;

// Orders two protocol rows: below, equal to or above 0.
using TProtocolCompare = std::function<int(const TProtocolRow&, const TProtocolRow&)>;

class TRaceView {
 public:
  virtual ~TRaceView() = default;

  // Lanes: the logic passes lane numbers 1 to 3 only.
  virtual bool GetLaneSwitch(int lane) const = 0;
  virtual void SetLaneText(int lane, TLaneElement element, const std::string& text) = 0;
  virtual std::string GetLaneDisplayText(int lane) const = 0;
  virtual void SetLaneLampColor(int lane, TLaneColor color) = 0;
  virtual TLaneColor GetLaneLampColor(int lane) const = 0;
  // The lane refresh: switches and up-downs follow the race's armed state.
  virtual void UpdateLanes() = 0;
  // The start-list entry at the lane's up-down position; false when the position indexes
  // no entry (entries removed after the lane was set).
  virtual bool GetLaneParticipant(int lane, TStartListEntry& entry) const = 0;

  virtual bool GetButtonEnabled(TRaceButton button) const = 0;
  virtual void SetButtonEnabled(TRaceButton button, bool enabled) = 0;
  virtual void SetTriggerCaption(const std::string& caption) = 0;

  // The 10 ms lane display timer: on only while a lane's timer runs.
  virtual void SetDisplayTimerEnabled(bool enabled) = 0;

  // The 1 s count-down timer and the seconds it still has to show.
  virtual bool GetCountDownEnabled() const = 0;
  virtual void SetCountDownEnabled(bool enabled) = 0;
  virtual int GetCountDownTag() const = 0;
  virtual void SetCountDownTag(int tag) = 0;

  // Live settings: count-down seconds and the lap choice's item index (0 = one lap).
  virtual int GetCountDownSeconds() const = 0;
  virtual int GetLapChoice() const = 0;

  virtual std::string GetWord(TRaceWord word) const = 0;

  // Protocol rows in list order.
  virtual int GetProtocolCount() const = 0;
  virtual TProtocolRow GetProtocolRow(int index) const = 0;
  virtual void AppendProtocolRow(const TProtocolRow& row) = 0;
  virtual void SetProtocolCaption(int index, const std::string& caption) = 0;
  // Must be a stable sort, so rows that compare equal keep their order of arrival. The ranking
  // reads a row's best lap, its last sub-item, only: the rows given to `compare` may hold
  // that cell alone.
  virtual void SortProtocol(const TProtocolCompare& compare) = 0;
  // Around many row changes at once (a heat added, ranked and renumbered): the list is drawn
  // once, at the end.
  virtual void BeginProtocolUpdate() {}
  virtual void EndProtocolUpdate() {}
};
