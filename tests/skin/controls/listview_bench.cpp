// How the skinned protocol list scales on the real main window with the internal skin: the
// list is filled with ROWS rows, then the median of
//   - one heat of one lane added (the row appended, all rows ranked and renumbered, as the
//     program does at the end of a heat) until the window is painted again, and how much the
//     process's memory grew a heat over all of them,
//   - one step of the skinned vertical bar (one row), from the top to the bottom, the list
//     and the bar painted after each step,
//   - a full repaint of the list (frame, header, rows, bars).
//
//   skinned_listview_bench [ROWS [ADDS [SCREENSHOT.bmp]]]      (default: 5000 20)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   tools/wine-session tools/wine-run build/tests/skinned_listview_bench.exe
// Not a pass/fail test: the suite runs it once with a few rows so that it keeps working.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/mainform.h"
#include "app/protocol.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "i18n/translator.h"
#include "skin/controls/slistview.h"
#include "skin/controls/sscrollbar.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "tests/support/bench_support.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "widgets/justone.h"

namespace {

using bench::Median;
using bench::Pump;
using bench::TempFolder;
using bench::Time;

// Lap times spread over a minute, in an order unrelated to the row numbers.
THeatLane Lane(int i) {
  THeatLane lane;
  lane.HasParticipant = true;
  const std::string n = std::to_string(i + 1);
  lane.Participant = {"",
                      {"Class " + std::to_string(i % 7), n, "Lastname" + n, "First" + n, "Ford",
                       "Type " + std::to_string(i % 13), "City" + n, "AT"}};
  for (int lap = 0; lap < 3; ++lap) lane.LapTime[lap] = 30000 + (i * 7919 + lap * 131) % 60000;
  return lane;
}

// The main window as the screen shows it, as a BMP file.
void SaveScreenshot(TCustomForm* form, const std::string& file) {
  RECT r{};
  GetWindowRect(form->GetHandle(), &r);
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(r.right - r.left, r.bottom - r.top);
  HDC screen = GetDC(nullptr);
  BitBlt(bmp->GetCanvas()->GetHandle(), 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top,
         SRCCOPY);
  ReleaseDC(nullptr, screen);
  bmp->SaveToFile(file);
  Free(bmp);
}

// Painted what waits for it, and done what the paint posted.
void PaintNow(TCustomForm* form) {
  RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Pump();
}

// The bytes allocated on all of the process's heaps (the system reports its memory in whole
// regions, which a few kilobytes a heat do not change).
double HeapBytes() {
  std::vector<HANDLE> heaps(GetProcessHeaps(0, nullptr) + 16);
  heaps.resize(GetProcessHeaps(static_cast<DWORD>(heaps.size()), heaps.data()));
  double bytes = 0;
  for (HANDLE heap : heaps) {
    if (!HeapLock(heap)) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heap, &entry))
      if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += entry.cbData;
    HeapUnlock(heap);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const int rows = argc > 1 ? std::max(10, std::atoi(argv[1])) : 5000;
  const int adds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20;
  try {
    RegisterToolkitUnits();
    RegisterFormsUnit();
    RegisterTranslationUnits();
    RegisterSkinEngineUnit();
    TUnitsScope units;
    RegisterAppClasses();
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    const std::string folder = TempFolder("listview_bench");
    Application->CreateForm(Main);
    AppPaths.ClassList = folder + "Classes.Lst";
    AppPaths.WorkingStartList = folder + "Current.Asl";
    AppPaths.Settings = folder + "bench.ini";
    WriteStartListFile(AppPaths.WorkingStartList, {});
    // The protocol takes its participant columns from the start list.
    Application->CreateForm(ClassesEditor);
    Application->CreateForm(AddClass);
    Application->CreateForm(EditClass);
    Application->CreateForm(StartList);
    Application->CreateForm(StartListEdit);
    Main->Show();
    Pump();
    auto* list = DynamicCast<TsListView>(Main->FindComponent("ListProtocol"));
    if (!list || !list->Skinned()) throw std::runtime_error("the protocol list is not a skinned list view");

    TProtocol protocol(*Main);
    // The rows as the program has them: participant cells and lap times, ranked.
    list->BeginUpdate();
    list->GetItems()->Clear();
    for (int i = 0; i < rows - adds; ++i) {
      THeatLane lane = Lane(i);
      TProtocolRow row = lane.Participant;
      for (std::string& cell : TProtocol::LaneCells(lane.LapTime, 3, "???")) row.SubItems.push_back(cell);
      Main->AppendProtocolRow(row);
    }
    list->EndUpdate();
    protocol.AddHeat({Lane(rows)}, 3, "???");
    PaintNow(Main);

    std::vector<double> add, append, sort, renumber, quiet;
    const double memory_before = HeapBytes();
    for (int i = 0; i < adds - 1; ++i)
      add.push_back(Time([&] {
        protocol.AddHeat({Lane(rows + 1 + i)}, 3, "???");
        PaintNow(Main);
      }));
    const double memory_per_heat = (HeapBytes() - memory_before) / std::max(adds - 1, 1);
    // The same three steps apart.
    for (int i = 0; i < adds - 1; ++i) {
      THeatLane lane = Lane(rows + adds + i);
      TProtocolRow row = lane.Participant;
      for (std::string& cell : TProtocol::LaneCells(lane.LapTime, 3, "???")) row.SubItems.push_back(cell);
      append.push_back(Time([&] { Main->AppendProtocolRow(row); }));
      sort.push_back(Time([&] { Main->SortProtocol(TProtocol::ListProtocolCompare); }));
      renumber.push_back(Time([&] { protocol.Renumber(); }));
      // The same work while the list does not redraw: what a batched update would save.
      Main->AppendProtocolRow(row);
      quiet.push_back(Time([&] {
        list->BeginUpdate();
        Main->SortProtocol(TProtocol::ListProtocolCompare);
        protocol.Renumber();
        list->EndUpdate();
      }));
    }
    Pump();

    std::vector<double> repaint;
    for (int i = 0; i < 20; ++i)
      repaint.push_back(Time([&] {
        RedrawWindow(list->GetHandle(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_UPDATENOW | RDW_FRAME | RDW_ALLCHILDREN);
        if (TsScrollBar* bar = list->GetVerticalBar())
          RedrawWindow(bar->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      }));

    TsScrollBar* bar = list->GetVerticalBar();
    if (!bar) throw std::runtime_error("the protocol list has no skinned bar");
    bar->SetPosition(bar->GetMin());
    Pump();
    std::vector<double> scroll;
    while (bar->GetPosition() < bar->GetMax()) {
      const int before = bar->GetPosition();
      scroll.push_back(Time([&] {
        bar->SetPosition(before + 1);
        UpdateWindow(list->GetHandle());
        UpdateWindow(bar->GetHandle());
      }));
      if (bar->GetPosition() != before + 1) throw std::runtime_error("the bar did not step");
    }
    if (SendMessageA(list->GetHandle(), LVM_GETTOPINDEX, 0, 0) != bar->GetMax())
      throw std::runtime_error("the list did not follow the bar to the bottom");
    // The two halves of a step apart: the list scrolling one row up and painting, the bar painting.
    std::vector<double> list_only, bar_only;
    const int row = list->GetItems()->GetItem(0)->DisplayRect(drBounds).bottom -
                    list->GetItems()->GetItem(0)->DisplayRect(drBounds).top;
    for (int i = 0; i < std::min(500, bar->GetMax()); ++i) {
      list_only.push_back(Time([&] {
        SendMessageA(list->GetHandle(), LVM_SCROLL, 0, -row);
        UpdateWindow(list->GetHandle());
      }));
      bar_only.push_back(Time([&] { bar->RepaintParts(); }));
    }
    const int top = static_cast<int>(SendMessageA(list->GetHandle(), LVM_GETTOPINDEX, 0, 0));
    if (top != bar->GetPosition()) throw std::runtime_error("the bar did not follow the list");
    if (argc > 3) SaveScreenshot(Main, argv[3]);
    const int shown_rows = list->GetItems()->GetCount();

    // The same heats on a tenth of the rows: a ranking linear in the rows takes about a tenth.
    const int tenth = std::max(10, rows / 10);
    list->BeginUpdate();
    list->GetItems()->Clear();
    for (int i = 0; i < tenth - adds; ++i) {
      THeatLane lane = Lane(i);
      TProtocolRow row = lane.Participant;
      for (std::string& cell : TProtocol::LaneCells(lane.LapTime, 3, "???")) row.SubItems.push_back(cell);
      Main->AppendProtocolRow(row);
    }
    list->EndUpdate();
    PaintNow(Main);
    std::vector<double> add_tenth;
    for (int i = 0; i < adds; ++i)
      add_tenth.push_back(Time([&] {
        protocol.AddHeat({Lane(tenth + i)}, 3, "???");
        PaintNow(Main);
      }));

    std::printf("skinned protocol list, %d rows, median (ms)\n", shown_rows);
    std::printf("%-44s %8.2f  (%zu adds)\n", "add one row, rank, renumber, painted", Median(add), add.size());
    std::printf("%-44s %8.2f  (%d rows; %.1fx the time for %.0fx the rows)\n",
                "  the same with a tenth of the rows", Median(add_tenth), tenth,
                Median(add) / Median(add_tenth),
                static_cast<double>(shown_rows) / list->GetItems()->GetCount());
    std::printf("%-44s %8.1f KB\n", "  memory grown a heat", memory_per_heat / 1024);
    std::printf("%-44s %8.2f\n", "  of which: append the row", Median(append));
    std::printf("%-44s %8.2f\n", "            rank the rows", Median(sort));
    std::printf("%-44s %8.2f\n", "            renumber the rows", Median(renumber));
    std::printf("%-44s %8.2f\n", "rank and renumber inside one list update", Median(quiet));
    std::printf("%-44s %8.2f  (%zu steps)\n", "one step of the skinned bar, painted", Median(scroll),
                scroll.size());
    std::printf("%-44s %8.2f\n", "  of which: the list scrolled a row, painted", Median(list_only));
    std::printf("%-44s %8.2f\n", "            the skinned bar painted", Median(bar_only));
    std::printf("%-44s %8.2f\n", "full repaint of the list", Median(repaint));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skinned_listview_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
