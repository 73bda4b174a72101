// What the benchmarks run under Wine share: timing a step, the median of the timings, a
// scratch folder of the process and emptying the message queue.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace bench {

using TClock = std::chrono::steady_clock;

// How long the step took, in milliseconds (Time) or microseconds (Micro).
template <class F>
double Time(F&& step) {
  const TClock::time_point start = TClock::now();
  step();
  return std::chrono::duration<double, std::milli>(TClock::now() - start).count();
}
template <class F>
double Micro(F&& step) {
  return Time(step) * 1000;
}

// 0 for no values.
inline double Median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

// "<temp>\dravolin_<name>_<process id>\", made when missing.
inline std::string TempFolder(const std::string& name) {
  char path[MAX_PATH] = {};
  const DWORD length = GetTempPathA(MAX_PATH, path);
  const std::string folder =
      std::string(path, length) + "dravolin_" + name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  return folder + "\\";
}

inline void Pump() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace bench
