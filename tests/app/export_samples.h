// Protocols for the export tests, as the main window would hand them over, and a scratch
// folder for the written files.
#pragma once

#include <windows.h>

#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>

#include "app/protocoltable.h"
#include "toolkit/sysutils.h"

namespace testsupport {

// The thirteen protocol columns with their widths in pixels.
inline TProtocolTable EmptyProtocol() {
  TProtocolTable table;
  table.Columns = {{"Place", 42},      {"Class", 49},    {"Start No.", 56}, {"Last Name", 105},
                   {"First Name", 98}, {"Car Make", 70}, {"Car Type", 70},  {"City", 77},
                   {"Country", 63},    {"LAP 1", 55},    {"LAP 2", 55},     {"LAP 3", 55},
                   {"BEST", 55}};
  return table;
}

// Three rows of two heats, ranked: complete laps, one lap with an empty city and a last
// name longer than its text column, and a stopped lane.
inline TProtocolTable HeatsProtocol() {
  TProtocolTable table = EmptyProtocol();
  table.Rows = {
      {"1",
       {"A", "11", "Huber", "Franz", "VW", "Golf", "Graz", "AT", "00:35.20", "00:34.90", "00:36.00",
        "00:34.90"}},
      {"2",
       {"B", "7", "Schwarzenberger-Lindqvist", "Anna", "Opel", "Kadett", "", "DE", "01:05.30", "-", "-",
        "01:05.30"}},
      {"3", {"A", "3", "Maier", "Sepp", "Audi", "80", "Linz", "AT", "STOP", "STOP", "STOP", "STOP"}},
  };
  return table;
}

// The lines, each ended by CR LF.
inline std::string CrLfLines(std::initializer_list<std::string> lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

inline std::string ReadWholeFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

inline void WriteWholeFile(const std::string& name, const std::string& content) {
  std::ofstream(name, std::ios::binary) << content;
}

// Holds a file open for reading the way a viewer might, so it can be neither deleted nor
// replaced meanwhile.
class TFileHeldOpen {
 public:
  explicit TFileHeldOpen(const std::string& name)
      : handle_(
            CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)) {}
  ~TFileHeldOpen() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  TFileHeldOpen(const TFileHeldOpen&) = delete;
  TFileHeldOpen& operator=(const TFileHeldOpen&) = delete;

 private:
  HANDLE handle_;
};

// A new empty folder under the temporary folder, removed with everything in it.
class TScratchFolder {
 public:
  TScratchFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = IncludeTrailingPathDelimiter(temp) + "dravolin_exports_" + std::to_string(GetCurrentProcessId());
    CreateDir(path_);
  }
  ~TScratchFolder() {
    for (const TSearchRec& entry : ListDirectory(File("*"), faAnyFile)) {
      SetFileAttributesA(File(entry.Name).c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(File(entry.Name).c_str());
    }
    RemoveDir(path_);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  std::string File(const std::string& name) const { return path_ + "\\" + name; }
  // The names in the folder, to see that no temporary file is left over.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const TSearchRec& entry : ListDirectory(File("*"), faAnyFile)) names.push_back(entry.Name);
    return names;
  }

 private:
  std::string path_;
};

}  // namespace testsupport
