#include "app/atomicsave.h"

#include <algorithm>

#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

namespace {

// What a replaced file takes over from the old one; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

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
  // The rename would replace it anyway (and Wine would make it writable on the way).
  const DWORD attributes = GetFileAttributesA(file_name.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
    error = ERROR_FILE_READ_ONLY;
    return false;
  }
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
  // Set before the rename, so the file never shows without them.
  if (exists && (attributes & kKeptAttributes)) SetFileAttributesA(temp, attributes & kKeptAttributes);
  if (!MoveFileExA(temp, file_name.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    DeleteFileA(temp);
    return false;
  }
  return true;
}

void SaveFileAtomically(const std::string& file_name, std::string_view bytes) {
  DWORD error = 0;
  if (!WriteFileReplacing(file_name, bytes, error)) throw EFCreateError(SaveFailedMessage(file_name, error));
}

std::string SaveFailedMessage(const std::string& file_name, DWORD error) {
  std::string reason = error == ERROR_FILE_READ_ONLY ? LoadStr(IDS_SAVE_READ_ONLY) : SysErrorMessage(error);
  if (reason.empty()) reason = Format("%d", static_cast<int>(error));
  return SaveFailedMessage(file_name, reason);
}

// The template is translated before it is formatted: FmtLoadStr would look up the
// formatted text, which no catalog holds.
std::string SaveFailedMessage(const std::string& file_name, const std::string& reason) {
  return Format(LoadStr(IDS_SAVE_FAILED), file_name, reason);
}
