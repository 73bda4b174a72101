// The start list's dialogs made of plain fields, and a scratch folder for its files: the
// tests drive the logic through these and read back what it showed, asked and wrote.
#pragma once

#include <windows.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/startlistfile.h"
#include "app/startlistlogic.h"
#include "toolkit/sysutils.h"

class TFakeStartListView : public TStartListView {
 public:
  std::vector<TStartListEntry> shown;
  std::vector<int> selected;
  std::string open_answer, save_answer;  // empty: the dialog is cancelled
  std::vector<std::string> messages;

  void ShowEntries(const std::vector<TStartListEntry>& entries, const std::vector<int>& sel) override {
    shown = entries, selected = sel;
  }
  std::vector<int> GetSelected() const override { return selected; }
  // As the list control sorts: stable, by CompareStartPlaces.
  std::vector<size_t> SortByStartPlace(const std::vector<TStartListEntry>& entries) override {
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
      return CompareStartPlaces(entries[a].Caption, entries[b].Caption) < 0;
    });
    return order;
  }
  bool ExecuteOpenDialog(std::string& file) override { return !(file = open_answer).empty(); }
  bool ExecuteSaveDialog(std::string& file) override { return !(file = save_answer).empty(); }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }
  std::string GetWord(TStartListWord word) const override { return StartListWordKey(word); }

  // "place:last name" of every entry in list order.
  std::string List() const {
    std::string out;
    for (const auto& e : shown) out += (out.empty() ? "" : ",") + e.Caption + ":" + e.SubItems.at(efLastName);
    return out;
  }
};

class TFakeParticipantEditor : public TParticipantEditorView {
 public:
  std::string caption;
  int place = 0, max = 0, shown = 0, offered_place = 0;
  std::array<std::string, kEntryFields> fields;
  std::function<bool(TFakeParticipantEditor&)> user;  // what the user does; true for OK, unset: Cancel

  void SetCaption(const std::string& text) override { caption = text; }
  int GetStartPlace() const override { return place; }
  // As the spin edit: a place set is clamped to the limits it has then (1 to max).
  void SetStartPlace(int value) override { place = max > 1 ? std::clamp(value, 1, max) : value; }
  void SetStartPlaceMax(int value) override { max = value; }
  std::string GetField(int field) const override { return fields.at(field); }
  void SetField(int field, const std::string& text) override { fields.at(field) = text; }
  bool Execute() override { return ++shown, offered_place = place, user && user(*this); }
  // The user types a start place and, if given, a last name, and presses OK.
  void Answer(int new_place, std::string last_name = {}) {
    user = [=](TFakeParticipantEditor& e) {
      e.place = new_place;
      if (!last_name.empty()) e.fields[efLastName] = last_name;
      return true;
    };
  }
};

// An entry as the editor makes it, the last name telling entries apart.
inline TStartListEntry Entry(const std::string& place, const std::string& last_name) {
  return {place, {"A", "1" + place, last_name, "Jo", "Ford", "Ka", "Linz", "AT"}};
}

// The record header line.
inline std::string H() { return std::string(kAslRecordHeader) + "\r\n"; }

// Entries named by the letters, numbered from 1.
inline std::vector<TStartListEntry> Entries(const std::string& names) {
  std::vector<TStartListEntry> entries;
  for (char c : names) entries.push_back(Entry(std::to_string(entries.size() + 1), std::string(1, c)));
  return entries;
}

// The file held open with no sharing, as another program may: no one else can open it.
class TFileLock {
 public:
  explicit TFileLock(const std::string& file)
      : handle_(
            CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr)) {
    EXPECT_NE(handle_, INVALID_HANDLE_VALUE) << file;
  }
  ~TFileLock() { Release(); }
  void Release() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE handle_;
};

// A folder of the test's own, removed with everything in it.
class TScratchFolder {
 public:
  TScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = IncludeTrailingPathDelimiter(temp) + "dravolin_" + std::to_string(GetCurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name() + "\\";
    ForceDirectories(path_);
  }
  ~TScratchFolder() {
    for (const std::string& name : Names()) {
      SetFileAttributesA((path_ + name).c_str(), FILE_ATTRIBUTE_NORMAL);  // a test's read-only file
      if (!DeleteFileA((path_ + name).c_str())) RemoveDir(path_ + name);
    }
    RemoveDir(path_);
  }
  std::string File(const std::string& name) const { return path_ + name; }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const TSearchRec& rec : ListDirectory(path_ + "*", faAnyFile)) names.push_back(rec.Name);
    return names;
  }
  static std::string Read(const std::string& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static void Write(const std::string& file, const std::string& bytes) {
    std::ofstream(file, std::ios::binary) << bytes;
  }

 private:
  std::string path_;
};
