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
    // A write cut short (the disk filled up on the way) succeeds with what fitted and sets no
    // error: the rest is written again, and that write fails with the reason.
    SetLastError(ERROR_SUCCESS);
    if (!WriteFile(file, content.data() + done, chunk, &written, nullptr) || written == 0) {
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
  return SaveFailedMessage(file_name,
                           error == ERROR_FILE_READ_ONLY ? LoadStr(IDS_SAVE_READ_ONLY) : ErrorReason(error));
}

// The template is translated before it is formatted: FmtLoadStr would look up the
// formatted text, which no catalog holds.
std::string SaveFailedMessage(const std::string& file_name, const std::string& reason) {
  return FormatLoadStr(IDS_SAVE_FAILED, file_name, reason);
}

std::string ErrorReason(DWORD error) {
  std::string reason = SysErrorMessage(error);
  return reason.empty() ? Format("%d", static_cast<int>(error)) : reason;
}

bool ReadFileWhole(const std::string& file_name, std::string& bytes, DWORD& error) {
  error = ERROR_SUCCESS;
  bytes.clear();
  HANDLE file = CreateFileA(file_name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = GetLastError();
    return false;
  }
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size);
  if (ok) bytes.resize(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (ok && done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    // A file cut short meanwhile is not read whole either.
    SetLastError(ERROR_SUCCESS);
    ok = ReadFile(file, bytes.data() + done, chunk, &read, nullptr) && read > 0;
    done += read;
  }
  if (!ok) {
    error = GetLastError();
    if (error == ERROR_SUCCESS) error = ERROR_HANDLE_EOF;
    bytes.clear();
  }
  CloseHandle(file);
  return ok;
}

// ---- TUnreadFileCopy ------------------------------------------------------------------------

bool TUnreadFileCopy::Mark(const std::string& file_name) {
  const bool first = !Marked();
  file_ = file_name;
  copy_ = file_name + ".bak";
  for (int n = 1; FileExists(copy_); ++n) copy_ = file_name + "." + IntToStr(n) + ".bak";
  return first;
}

void TUnreadFileCopy::Clear() {
  file_.clear();
  copy_.clear();
}

bool TUnreadFileCopy::KeepBeforeSave(const std::string& file_name, std::string& failure) {
  if (!Marked() || !AnsiSameText(ExpandFileName(file_name), ExpandFileName(file_))) return true;
  // A file gone meanwhile has nothing left to lose.
  if (!CopyFileA(file_.c_str(), copy_.c_str(), TRUE)) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      failure = FormatLoadStr(IDS_UNREAD_NOT_SAVED_OVER, file_, copy_, ErrorReason(error));
      return false;
    }
  }
  Clear();
  return true;
}
