// Files of the translation tests: the catalogs built beside the test program and scratch
// folders for damaged copies.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/sysutils.h"

// The test program's folder, with a trailing backslash.
inline std::string TestFolder() { return ExtractFilePath(ExeFileName()); }

inline std::string ReadWholeFile(const std::string& name) {
  std::string bytes;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

inline void WriteWholeFile(const std::string& name, const std::string& bytes) {
  ForceDirectories(ExtractFileDir(name));
  HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

// A fresh folder under the system's temporary folder, removed with everything in it when
// the object goes.
class TScratchFolder {
 public:
  TScratchFolder() {
    char base[MAX_PATH];
    GetTempPathA(MAX_PATH, base);
    path_ = std::string(base) + "dravolin-i18n-" + IntToStr(GetCurrentProcessId()) + "-" +
            IntToStr(++counter_) + "\\";
    ForceDirectories(path_);
  }
  ~TScratchFolder() { Remove(path_); }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;
  const std::string& Path() const { return path_; }

 private:
  static void Remove(const std::string& folder) {
    for (const TSearchRec& rec : ListDirectory(folder + "*", faAnyFile)) {
      if (rec.Attr & faDirectory)
        Remove(folder + rec.Name + "\\");
      else
        DeleteFileA((folder + rec.Name).c_str());
    }
    RemoveDir(folder);
  }
  static inline int counter_ = 0;
  std::string path_;
};
