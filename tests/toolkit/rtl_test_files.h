// Scratch files for the run-time library tests: a fresh folder per test, removed afterwards.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

// The lines of a list, for comparing with a vector of expected lines.
inline std::vector<std::string> Lines(const TStrings& list) {
  std::vector<std::string> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list.Get(i));
  return lines;
}

using V = std::vector<std::string>;

class ScratchFolder : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    folder_ = IncludeTrailingPathDelimiter(temp) + "dravolin_rtl_" + std::to_string(GetCurrentProcessId()) +
              "_" + info->name() + "\\";
    ASSERT_TRUE(ForceDirectories(folder_));
  }
  void TearDown() override { RemoveTree(folder_); }

  std::string Path(const std::string& name) const { return folder_ + name; }

  // The file's bytes, or "<missing>".
  static std::string ReadBytes(const std::string& name) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    std::string bytes(GetFileSize(file, nullptr), '\0');
    DWORD n = 0;
    if (!bytes.empty()) ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(file);
    return bytes.substr(0, n);
  }

  static void WriteBytes(const std::string& name, const std::string& bytes) {
    HANDLE file = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
    CloseHandle(file);
  }

 private:
  static void RemoveTree(const std::string& folder) {
    for (const auto& entry : ListDirectory(folder + "*", faAnyFile)) {
      std::string name = folder + entry.Name;
      if (entry.Attr & faDirectory)
        RemoveTree(name + "\\");
      else
        DeleteFile(name);
    }
    RemoveDir(ExcludeTrailingPathDelimiter(folder));
  }

  std::string folder_;
};
