// How long the program takes to start beside the least Win32 program that opens one window
// (floor_program.exe): both are started in turn, each until its window is visible, then
// closed again; the program runs from a scratch folder of its own. Prints the median time
// from process creation until the window is visible, the processor time used by then, and
// the program's ratio to the floor. A first start of each is not counted (files made,
// libraries brought into memory).
//
//   startup_bench [STARTS [ENTRIES]]   (default: 15 of each, alternating; 3 entries)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   tools/wine-session tools/wine-run build/tests/startup_bench.exe
// With DRAVOLIN_START_TRACE naming a file, the program writes the timeline of each start to it.
// Not a pass/fail test: the suite runs it once with few starts so that it keeps working.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/bench_support.h"

namespace {

using bench::Median;

const char kProgramTitle[] = "Kestrune / Software / Dravolin";
const char kFloorTitle[] = "Dravolin start-up floor";

// A day's start list: a start without one tells so before its window. A tournament's list
// is read at every start too.
void WriteStartList(const std::string& folder, int entries) {
  std::ofstream file(folder + "Aktuell.Asl", std::ios::binary);
  for (int n = 1; n <= entries; ++n)
    file << "[DRAVOLIN1ASLREC]\r\n"
         << n << "\r\nA\r\n1" << n << "\r\nRacer" << n << "\r\nJo\r\nFord\r\nKa\r\nLinz\r\nAT\r\n";
  if (!file) throw std::runtime_error("cannot write the start list in " + folder);
}

double FileTimeMs(const FILETIME& time) {
  return static_cast<double>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) / 1e4;
}

struct TFind {
  DWORD process;
  const char* title;
  HWND window;
};

BOOL CALLBACK FindShown(HWND window, LPARAM param) {
  auto* find = reinterpret_cast<TFind*>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  char title[256] = {};
  GetWindowTextA(window, title, sizeof title);
  RECT rect;
  if (process != find->process || std::strcmp(title, find->title) || !IsWindowVisible(window) ||
      !GetWindowRect(window, &rect) || rect.right - rect.left < 50 || rect.bottom - rect.top < 50)
    return TRUE;
  find->window = window;
  return FALSE;
}

// Starts the command, waits for its window (30 s at most), closes it and waits for its end.
// Returns the milliseconds from just before the process was made until its window was
// visible. (Wine reports no usable processor times of another process: the program's own
// are in its start-up trace.)
double StartOnce(const std::string& command, const char* title, const std::string& folder) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  std::string line = command;
  FILETIME created_at;
  GetSystemTimePreciseAsFileTime(&created_at);
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &process))
    throw std::runtime_error("cannot start " + command);
  TFind find{process.dwProcessId, title, nullptr};
  const DWORD deadline = GetTickCount() + 30000;
  while (EnumWindows(FindShown, reinterpret_cast<LPARAM>(&find)) && !find.window) {
    if (GetTickCount() > deadline || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) {
      TerminateProcess(process.hProcess, 1);
      throw std::runtime_error("no window shown by " + command);
    }
    Sleep(1);
  }
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const double visible_ms = FileTimeMs(now) - FileTimeMs(created_at);
  PostMessageA(find.window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    TerminateProcess(process.hProcess, 1);
    throw std::runtime_error("did not end when its window was closed: " + command);
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return visible_ms;
}

std::string BenchFolder() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of("\\/") + 1);
}

// The scratch folder and what the program left in it (its settings, its start list).
void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do DeleteFileA((folder + found.cFileName).c_str());
    while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

void Report(const char* what, const std::vector<double>& visible) {
  std::printf("%-20s visible after median %6.1f ms (min %6.1f)\n", what, Median(visible),
              *std::min_element(visible.begin(), visible.end()));
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const int entries = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
  const std::string folder = bench::TempFolder("startup");
  try {
    const std::string program = folder + "dravolin.exe";
    if (!CopyFileA(DRAVOLIN_EXE, program.c_str(), FALSE))
      throw std::runtime_error(std::string("cannot copy ") + DRAVOLIN_EXE);
    const std::string floor = "\"" + BenchFolder() + "floor_program.exe\"";
    const std::string dravolin = "\"" + program + "\"";
    WriteStartList(folder, entries);
    StartOnce(dravolin, kProgramTitle, folder);
    StartOnce(floor, kFloorTitle, "");
    std::vector<double> program_starts, floor_starts;
    for (int i = 0; i < count; ++i) {
      program_starts.push_back(StartOnce(dravolin, kProgramTitle, folder));
      floor_starts.push_back(StartOnce(floor, kFloorTitle, ""));
    }
    std::printf("%d alternating starts of each, a start list of %d\n", count, entries);
    Report("program", program_starts);
    Report("floor (one window)", floor_starts);
    std::printf("ratio to the floor: %.2f (medians)\n", Median(program_starts) / Median(floor_starts));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "startup_bench: %s\n", e.what());
    RemoveFolder(folder);
    return 1;
  }
  RemoveFolder(folder);
  return 0;
}
