// A main window made of plain fields, for driving the race logic in tests: it records what
// the logic writes and answers what the logic reads.
#pragma once

#include <algorithm>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/raceview.h"

class TFakeRaceView : public TRaceView {
 public:
  struct Lane {
    bool On = false;
    std::map<TLaneElement, std::string> Text;
    TLaneColor Lamp = clLaneRed;
    int Position = 0;  // index into start_list
  };

  Lane lanes[5];  // 1 to 3; 0 and 4 catch writes that must never happen
  std::map<TRaceButton, bool> buttons;
  std::string trigger_caption;
  bool count_down_on = false;
  bool display_timer_on = false;
  int count_down_tag = 0, count_down_seconds = 0, lap_choice = 2;
  std::vector<TStartListEntry> start_list;
  std::vector<TProtocolRow> protocol;
  std::map<TRaceWord, std::string> words;  // overrides of the English keys
  std::function<bool()> armed;             // read at each lane refresh
  std::vector<bool> armed_at_update_lanes;
  int lane_writes = 0;  // texts and lamp colours written to the lanes

  std::string Text(int lane, TLaneElement element) const {
    return Get(lanes[lane].Text, element, std::string());
  }
  std::string Status(int lane) const { return Text(lane, TLaneElement::Status); }
  std::string Display(int lane) const { return Text(lane, TLaneElement::Display); }
  std::vector<std::string> Statuses() const { return {Status(1), Status(2), Status(3)}; }
  bool Enabled(TRaceButton button) const { return Get(buttons, button, false); }
  std::vector<std::string> Cells(int row) const {  // lap 1, lap 2, lap 3, best
    const auto& items = protocol.at(row).SubItems;
    return std::vector<std::string>(items.end() - 4, items.end());
  }

  bool GetLaneSwitch(int lane) const override { return lanes[lane].On; }
  void SetLaneText(int lane, TLaneElement e, const std::string& text) override {
    ++lane_writes;
    lanes[lane].Text[e] = text;
  }
  std::string GetLaneDisplayText(int lane) const override { return Display(lane); }
  void SetLaneLampColor(int lane, TLaneColor color) override {
    ++lane_writes;
    lanes[lane].Lamp = color;
  }
  TLaneColor GetLaneLampColor(int lane) const override { return lanes[lane].Lamp; }
  void UpdateLanes() override { armed_at_update_lanes.push_back(armed && armed()); }
  bool GetLaneParticipant(int lane, TStartListEntry& entry) const override {
    size_t position = lanes[lane].Position;
    if (position >= start_list.size()) return false;
    entry = start_list[position];
    return true;
  }
  bool GetButtonEnabled(TRaceButton button) const override { return Enabled(button); }
  void SetButtonEnabled(TRaceButton button, bool enabled) override { buttons[button] = enabled; }
  void SetTriggerCaption(const std::string& caption) override { trigger_caption = caption; }
  void SetDisplayTimerEnabled(bool enabled) override { display_timer_on = enabled; }
  bool GetCountDownEnabled() const override { return count_down_on; }
  void SetCountDownEnabled(bool enabled) override { count_down_on = enabled; }
  int GetCountDownTag() const override { return count_down_tag; }
  void SetCountDownTag(int tag) override { count_down_tag = tag; }
  int GetCountDownSeconds() const override { return count_down_seconds; }
  int GetLapChoice() const override { return lap_choice; }
  std::string GetWord(TRaceWord word) const override {
    return Get(words, word, std::string(RaceWordKey(word)));
  }
  int GetProtocolCount() const override { return static_cast<int>(protocol.size()); }
  TProtocolRow GetProtocolRow(int index) const override { return protocol.at(index); }
  void AppendProtocolRow(const TProtocolRow& row) override { protocol.push_back(row); }
  void SetProtocolCaption(int index, const std::string& caption) override {
    protocol.at(index).Caption = caption;
  }
  void SortProtocol(const TProtocolCompare& compare) override {
    std::stable_sort(protocol.begin(), protocol.end(),
                     [&](const TProtocolRow& a, const TProtocolRow& b) { return compare(a, b) < 0; });
  }

 private:
  template <class M, class K, class V>
  static V Get(const M& map, const K& key, V fallback) {
    auto it = map.find(key);
    return it == map.end() ? fallback : it->second;
  }
};
