// A file far larger than its content: the head written, the rest a hole that costs neither
// disk space nor time to make.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

inline bool WriteSparseFile(const std::string& name, const std::string& head, int64_t size) {
  HANDLE file =
      CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  LARGE_INTEGER end;
  end.QuadPart = size;
  bool ok = WriteFile(file, head.data(), static_cast<DWORD>(head.size()), &written, nullptr) &&
            SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
  CloseHandle(file);
  return ok;
}

// -1 when there is no such file.
inline int64_t SizeOfFile(const std::string& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(name.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
