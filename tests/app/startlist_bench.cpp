// How the start list scales: for each size, a generated start list is parsed, sorted,
// loaded into the editor's list view, opened over a list already shown, dropped again
// (Cancel back to a short working list) and saved, and the times are printed.
//
//   startlist_bench [COUNT...]      (default: 1000 10000 100000)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   tools/wine-session tools/wine-run build/tests/startlist_bench.exe
// Not a pass/fail test: the suite runs it once with small counts so that it keeps working.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "app/startlistlogic.h"
#include "i18n/translator.h"
#include "toolkit/forms.h"
#include "toolkit/listview.h"
#include "toolkit/startup.h"

namespace {

using TClock = std::chrono::steady_clock;

double MillisecondsSince(TClock::time_point start) {
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}

template <class F>
double Time(F&& step) {
  TClock::time_point start = TClock::now();
  step();
  return MillisecondsSince(start);
}

// `count` entries with their places in reverse, so that sorting has work to do.
std::vector<TStartListEntry> MakeEntries(int count) {
  static const char* const kMakes[] = {"Ford", "Opel", "Fiat", "Audi", "Seat", "Mazda"};
  std::vector<TStartListEntry> entries;
  entries.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    std::string n = std::to_string(i + 1);
    entries.push_back({std::to_string(count - i),
                       {"Class " + std::to_string(i % 7), n, "Lastname" + n, "First" + n, kMakes[i % 6],
                        "Type " + std::to_string(i % 13), "City" + n, "AT"}});
  }
  return entries;
}

void WriteBytes(const std::string& file_name, const std::string& bytes) {
  HANDLE file = CreateFileA(file_name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  bool ok = file != INVALID_HANDLE_VALUE &&
            WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  if (!ok) throw std::runtime_error("cannot write " + file_name);
}

std::string ReadBytes(const std::string& file_name) {
  std::vector<TStartListEntry> entries;
  if (!ReadStartListFile(file_name, entries)) throw std::runtime_error("cannot read " + file_name);
  return FormatStartList(entries);
}

// The logic without dialogs, for timing the sort on its own.
class TQuietView : public TStartListView {
 public:
  void ShowEntries(const std::vector<TStartListEntry>&, const std::vector<int>&) override {}
  std::vector<int> GetSelected() const override { return {}; }
  bool ExecuteOpenDialog(std::string&) override { return false; }
  bool ExecuteSaveDialog(std::string&) override { return false; }
  void ShowMessage(const std::string& text) override { std::fprintf(stderr, "message: %s\n", text.c_str()); }
  std::string GetWord(TStartListWord word) const override { return StartListWordKey(word); }
};

class TQuietEditor : public TParticipantEditorView {
 public:
  void SetCaption(const std::string&) override {}
  int GetStartPlace() const override { return 1; }
  void SetStartPlace(int) override {}
  void SetStartPlaceMax(int) override {}
  std::string GetField(int) const override { return {}; }
  void SetField(int, const std::string&) override {}
  bool Execute() override { return false; }
};

struct TFigures {
  double parse, sort, load_and_show, window, open, cancel, save;
};

TFigures Measure(int count, const std::string& folder) {
  TFigures f{};
  const std::string big = folder + "bench-big.asl";
  const std::string working = folder + "bench-working.asl";
  const std::string saved = folder + "bench-saved.asl";
  std::vector<TStartListEntry> entries = MakeEntries(count);
  std::string bytes = FormatStartList(entries);
  WriteBytes(big, bytes);
  // The working list has the same people the other way round, so that every cell of a row
  // changes when one list replaces the other.
  std::reverse(entries.begin(), entries.end());
  WriteBytes(working, FormatStartList(entries));

  std::vector<TStartListEntry> parsed;
  f.parse = Time([&] { ParseStartList(bytes, parsed); });
  if (static_cast<int>(parsed.size()) != count) throw std::runtime_error("parse lost entries");

  TQuietView quiet_view;
  TQuietEditor quiet_editor;
  TStartListLogic quiet(quiet_view, quiet_editor, big);
  quiet.LoadFromFile(big, false);
  f.sort = Time([&] { quiet.SortList(); });

  // Opening the editor: the form reads the working list into its items, then makes its list
  // view's window with the items already in and sorts on showing, as ShowModal would. The
  // window part is timed on its own too.
  AppPaths.WorkingStartList = working;
  TStartList* form = nullptr;
  f.load_and_show = Time([&] {
    form = New<TStartList>(Application);
    if (form->GetList()->HandleAllocated())
      throw std::runtime_error("the list's window came before its items");
    f.window = Time([&] {
      form->GetList()->HandleNeeded();
      form->Logic().FormShow();
    });
  });
  TListView* list = form->GetList();
  if (list->GetItems()->GetCount() != count) throw std::runtime_error("the list view lost entries");
  // Some rows are selected, as while the officials work.
  for (int i = 0; i < count; i += 97) list->GetItems()->GetItem(i)->SetSelected(true);

  // Another list read over the one shown, as Open does without its sort, then Cancel back to
  // a short working list.
  f.open = Time([&] { form->Logic().LoadFromFile(big, false); });
  WriteBytes(working, FormatStartList(MakeEntries(10)));
  f.cancel = Time([&] { form->Logic().btnCancelClick(); });
  if (list->GetItems()->GetCount() != 10) throw std::runtime_error("Cancel did not reload the working list");

  form->Logic().LoadFromFile(big, false);
  f.save = Time([&] { form->Logic().SaveToFile(saved); });
  if (ReadBytes(saved) != bytes) throw std::runtime_error("the saved list differs from the one read");
  Free(form);

  for (const std::string& file : {big, working, saved}) DeleteFileA(file.c_str());
  return f;
}

std::string TempFolder() {
  char path[MAX_PATH + 1] = {};
  DWORD length = GetTempPathA(MAX_PATH, path);
  return std::string(path, length);
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> counts;
  for (int i = 1; i < argc; ++i) counts.push_back(std::atoi(argv[i]));
  if (counts.empty()) counts = {1000, 10000, 100000};
  try {
    RegisterToolkitUnits();
    RegisterFormsUnit();
    RegisterTranslationUnits();
    TUnitsScope units;
    RegisterAppClasses();
    std::printf("%8s %10s %10s %14s %10s %10s %10s %10s   (ms)\n", "entries", "parse", "sort", "load+show",
                "window", "open", "cancel", "save");
    for (int count : counts) {
      TFigures f = Measure(count, TempFolder());
      std::printf("%8d %10.1f %10.1f %14.1f %10.1f %10.1f %10.1f %10.1f\n", count, f.parse, f.sort,
                  f.load_and_show, f.window, f.open, f.cancel, f.save);
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startlist_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
