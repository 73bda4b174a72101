#include "app/protocol.h"

#include <algorithm>
#include <string_view>

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Case-insensitive for ASCII letters only, byte codes otherwise (toolkit's CompareText, kept
// here so the race logic stays free of Win32).
int CompareAsciiText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(AsciiUpper(a[i])) - static_cast<unsigned char>(AsciiUpper(b[i]));
    if (d) return d;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool AllDigits(std::string_view s) {
  return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Reads a cell written by FormatTime ("mm:ss.hh", two or more minute digits) as
// milliseconds. Anything else is not a time.
bool ParseTimeCell(std::string_view cell, int64_t& ms) {
  size_t colon = cell.find(':');
  if (colon == std::string_view::npos || colon < 2 || colon > 15 || cell.size() != colon + 6) return false;
  std::string_view minutes = cell.substr(0, colon), seconds = cell.substr(colon + 1, 2),
                   hundredths = cell.substr(colon + 4, 2);
  if (cell[colon + 3] != '.' || !AllDigits(minutes) || !AllDigits(seconds) || !AllDigits(hundredths))
    return false;
  int64_t value = 0;
  for (char c : minutes) value = value * 10 + (c - '0');
  value = value * 60 + (seconds[0] - '0') * 10 + (seconds[1] - '0');
  ms = (value * 100 + (hundredths[0] - '0') * 10 + (hundredths[1] - '0')) * 10;
  return true;
}

std::string_view BestCell(const TProtocolRow& row) {
  return row.SubItems.empty() ? std::string_view() : std::string_view(row.SubItems.back());
}

}  // namespace

void TProtocol::AddHeat(const std::vector<THeatLane>& lanes, int laps, const std::string& no_time_word) {
  struct TUpdate {
    TRaceView& view;
    explicit TUpdate(TRaceView& v) : view(v) { view.BeginProtocolUpdate(); }
    ~TUpdate() { view.EndProtocolUpdate(); }
  } update(view_);
  for (const THeatLane& lane : lanes) {
    // A lane whose participant vanished from the start list still gets its times, under
    // empty participant fields, so the cells stay in their columns.
    TProtocolRow row = lane.HasParticipant
                           ? lane.Participant
                           : TProtocolRow{std::string(), std::vector<std::string>(ParticipantFields)};
    for (std::string& cell : LaneCells(lane.LapTime, laps, no_time_word))
      row.SubItems.push_back(std::move(cell));
    view_.AppendProtocolRow(row);
  }
  view_.SortProtocol(ListProtocolCompare);
  Renumber();
}

std::vector<std::string> TProtocol::LaneCells(const TRaceTime (&lap_time)[3], int laps,
                                              const std::string& no_time_word) {
  int n = std::clamp(laps, 1, 3);
  TRaceTime best = *std::min_element(lap_time, lap_time + n);
  std::vector<std::string> cells;
  for (int lap = 0; lap < 3; ++lap) {
    if (lap >= n)
      cells.push_back(NoLap);
    else
      cells.push_back(best == 0 ? no_time_word : FormatTime(lap_time[lap]));
  }
  cells.push_back(best == 0 ? no_time_word : FormatTime(best));
  return cells;
}

int TProtocol::ListProtocolCompare(const TProtocolRow& first, const TProtocolRow& second) {
  std::string_view a = BestCell(first), b = BestCell(second);
  int64_t time_a = 0, time_b = 0;
  bool is_time_a = ParseTimeCell(a, time_a), is_time_b = ParseTimeCell(b, time_b);
  // By text, 100:00.00 would rank before 99:59.99.
  if (is_time_a && is_time_b) return time_a < time_b ? -1 : time_a > time_b ? 1 : 0;
  if (is_time_a != is_time_b) return is_time_a ? -1 : 1;
  return CompareAsciiText(a, b);
}

void TProtocol::Renumber() {
  for (int i = 0, n = view_.GetProtocolCount(); i < n; ++i)
    view_.SetProtocolCaption(i, std::to_string(i + 1));
}
