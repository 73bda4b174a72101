// How the start list scales, along the program's own path: for each size, a generated start
// list is parsed and sorted, then the skinned editor is made beside the main window (reading
// the working list as the start does), shown and painted, a list of the same size opened over
// it as Open does (read, sorted, painted), the working list read back as Escape does, and the
// list saved; the times are printed.
//
//   startlist_bench [COUNT...]      (default: 1000 10000 100000)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   DRAVOLIN_OWN_DESKTOP=1 tools/wine-session tools/wine-run build/tests/startlist_bench.exe
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
#include "app/mainform.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "app/startlistlogic.h"
#include "i18n/translator.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/support/bench_support.h"
#include "toolkit/forms.h"
#include "toolkit/listview.h"
#include "toolkit/startup.h"
#include "widgets/justone.h"

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
  // The same order as the list's sort, without a list.
  std::vector<size_t> SortByStartPlace(const std::vector<TStartListEntry>& entries) override {
    std::vector<size_t> order(entries.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::vector<double> places;
    for (const TStartListEntry& entry : entries) places.push_back(PlaceValue(entry.Caption));
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return ComparePlaceValues(places[a], places[b]) < 0; });
    return order;
  }
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
  double parse, sort, create, show, open, cancel, save;
};

// Paints every window of the form that waits for it, as the message loop would next.
void Paint(TCustomForm* form) {
  RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  bench::Pump();
}

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

  // As at the start: the editor reads the working list when it is made. Then as its button
  // does: shown (sorted on showing) and painted.
  AppPaths.WorkingStartList = working;
  TStartList* form = nullptr;
  f.create = Time([&] { form = New<TStartList>(Application); });
  f.show = Time([&] {
    form->Show();
    Paint(form);
  });
  TListView* list = form->GetList();
  if (list->GetRowCount() != count) throw std::runtime_error("the list view lost entries");
  // Some rows are selected, as while the officials work.
  std::vector<int> selected;
  for (int i = 0; i < count; i += 97) selected.push_back(i);
  list->SetSelectedRows(selected);

  // Open: another list of the same size read over the one shown, sorted and painted.
  f.open = Time([&] {
    form->Logic().OpenChosen(big, false);
    Paint(form);
  });
  // Escape: the whole working list read back; the dialog closes after it.
  f.cancel = Time([&] { form->Logic().btnCancelClick(); });
  if (list->GetRowCount() != count) throw std::runtime_error("Cancel did not read the working list");
  form->Hide();

  form->Logic().OpenChosen(big, false);
  f.save = Time([&] { form->Logic().SaveToFile(saved); });
  if (ReadBytes(saved) != FormatStartList(form->Logic().Entries()))
    throw std::runtime_error("the saved list differs from the one shown");
  Free(form);

  for (const std::string& file : {big, working, saved}) DeleteFileA(file.c_str());
  return f;
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
    RegisterSkinEngineUnit();
    TUnitsScope units;
    RegisterAppClasses();
    // Not refused by a test's main window running beside it.
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    // The main window carries the skin, as in the program.
    const std::string folder = bench::TempFolder("startlist_bench");
    AppPaths.ClassList = folder + "Classes.Lst";
    AppPaths.WorkingStartList = folder + "Current.Asl";
    AppPaths.Settings = folder + "bench.ini";
    WriteStartListFile(AppPaths.WorkingStartList, {});
    Application->CreateForm(Main);
    if (!SkinData().SkinLoaded) throw std::runtime_error("the main window has no skin");
    Main->Show();
    std::printf("%8s %10s %10s %10s %12s %10s %10s %10s   (ms)\n", "entries", "parse", "sort", "create",
                "show+paint", "open", "cancel", "save");
    for (int count : counts) {
      TFigures f = Measure(count, folder);
      std::printf("%8d %10.1f %10.1f %10.1f %12.1f %10.1f %10.1f %10.1f\n", count, f.parse, f.sort, f.create,
                  f.show, f.open, f.cancel, f.save);
      std::fflush(stdout);
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startlist_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
