#include "toolkit/starttrace.h"

#include <windows.h>

#include <cstdio>

namespace {

std::FILE* TraceFile() {
  static std::FILE* file = [] {
    char path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("DRAVOLIN_START_TRACE", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::fopen(path, "a") : nullptr;
  }();
  return file;
}

double Milliseconds(const FILETIME& time) {
  return static_cast<double>(ULARGE_INTEGER{{time.dwLowDateTime, time.dwHighDateTime}}.QuadPart) / 1e4;
}

}  // namespace

void StartMark(const char* what) {
  std::FILE* file = TraceFile();
  if (!file) return;
  FILETIME now, created, exited, kernel, user;
  GetSystemTimePreciseAsFileTime(&now);
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  std::fprintf(file, "%8.1f ms %8.1f cpu  %s\n", Milliseconds(now) - Milliseconds(created),
               Milliseconds(kernel) + Milliseconds(user), what);
  std::fflush(file);
}

void StartMarkOnce(bool& done, const char* what) {
  if (done) return;
  done = true;
  StartMark(what);
}
