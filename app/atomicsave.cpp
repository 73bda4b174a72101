#include "app/atomicsave.h"

#include <algorithm>

#include "toolkit/sysutils.h"

namespace {

// Writes and closes; false leaves the code of the first failure in `error`.
bool WriteAndClose(HANDLE file, std::string_view content, DWORD& error) {
  bool ok = true;
  size_t done = 0;
  while (ok && done < content.size()) {
    // WriteFile takes at most a DWORD per call.
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written != chunk) {
      error = GetLastError();
      if (error == ERROR_SUCCESS) error = ERROR_WRITE_FAULT;
      ok = false;
    }
    done += written;
  }
  // A full disk may show only when the cached data is flushed at closing.
  if (!CloseHandle(file) && ok) {
    error = GetLastError();
    ok = false;
  }
  return ok;
}

}  // namespace

bool WriteFileReplacing(const std::string& file_name, std::string_view content, DWORD& error) {
  error = ERROR_SUCCESS;
  // Beside the target, so the final rename stays on one volume and cannot half-copy.
  std::string folder = ExtractFilePath(ExpandFileName(file_name));
  if (folder.empty()) folder = ".\\";
  char temp[MAX_PATH];
  if (!GetTempFileNameA(folder.c_str(), "drv", 0, temp)) {
    error = GetLastError();
    return false;
  }
  HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    DeleteFileA(temp);
    return false;
  }
  if (!WriteAndClose(file, content, error)) {
    DeleteFileA(temp);
    return false;
  }
  if (!MoveFileExA(temp, file_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    DeleteFileA(temp);
    return false;
  }
  return true;
}

void SaveFileAtomically(const std::string& file_name, std::string_view bytes) {
  DWORD error = 0;
  if (!WriteFileReplacing(file_name, bytes, error))
    throw EFCreateError(Format("Cannot create file \"%s\". %s", file_name, SysErrorMessage(error)));
}
