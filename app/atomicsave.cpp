#include "app/atomicsave.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>

#include "resources/resource_ids.h"
#include "toolkit/filenames.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

namespace {

// What a replaced file takes over from the old one; read-only files are never replaced.
constexpr DWORD kKeptAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// Writes and closes; false leaves the code of the first failure in `error`.
bool WriteAndFlush(HANDLE file, std::string_view content, DWORD& error) {
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
  // A full disk may show only when the cached data is flushed: before the rename, not after.
  if (ok && !FlushFileBuffers(file)) {
    error = GetLastError();
    ok = false;
  }
  return ok;
}

// A save's temporary file: the prefix, eight hex digits, ".tmp". Only this program makes such
// names (the system's own scheme, "drv" and four digits, is other programs' too).
constexpr std::string_view kTemporaryPrefix = "~dravolin-save-";
constexpr std::string_view kTemporaryExt = ".tmp";
constexpr size_t kTemporaryDigits = 8;

bool IsTemporaryName(const std::string& name) {
  if (name.size() != kTemporaryPrefix.size() + kTemporaryDigits + kTemporaryExt.size() ||
      !AnsiSameText(name.substr(0, kTemporaryPrefix.size()), kTemporaryPrefix) ||
      !AnsiSameText(name.substr(name.size() - kTemporaryExt.size()), kTemporaryExt))
    return false;
  return std::all_of(name.begin() + kTemporaryPrefix.size(), name.end() - kTemporaryExt.size(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

// A new temporary file beside the target, made and opened at once, so no other save (nor
// the removal of stale ones) can take it in between.
HANDLE CreateTemporaryFile(const std::string& folder, std::string& name, DWORD& error) {
  const uint32_t start = GetTickCount() ^ (GetCurrentProcessId() << 16);
  for (uint32_t n = 0; n < 0x10000; ++n) {
    char digits[kTemporaryDigits + 1];
    std::snprintf(digits, sizeof digits, "%08x", static_cast<unsigned>(start + n));
    name = folder + std::string(kTemporaryPrefix) + digits + std::string(kTemporaryExt);
    // Shared for deletion only, so it can be renamed while held: a save in progress stays
    // open until its rename, and the tidying of stale temporaries (which opens them alone)
    // never takes it away between its last write and its rename.
    HANDLE file = CreateFileW(WideFileName(name).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                              CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) return file;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

std::string FolderOf(const std::string& file_name) {
  const std::string folder = ExtractFilePath(ExpandFileName(file_name));
  return folder.empty() ? ".\\" : folder;
}

}  // namespace

void RemoveStaleTemporariesBeside(const std::string& file_name) {
  RemoveStaleTemporaries(FolderOf(file_name));
}

void RemoveStaleTemporaries(const std::string& folder) {
  const std::string pattern = std::string(kTemporaryPrefix) + "*" + std::string(kTemporaryExt);
  for (const TSearchRec& rec : ListDirectory(IncludeTrailingPathDelimiter(folder) + pattern, 0)) {
    if (!IsTemporaryName(rec.Name)) continue;
    // Opened alone or not at all: a file that any process holds (a save going on) is left.
    HANDLE file = CreateFileW(WideFileName(IncludeTrailingPathDelimiter(folder) + rec.Name).c_str(), DELETE,
                              0, nullptr, OPEN_EXISTING, FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
}

bool WriteFileReplacing(const std::string& file_name, std::string_view content, DWORD& error) {
  error = ERROR_SUCCESS;
  const std::wstring target = WideFileName(file_name);
  // The rename would replace it anyway (and Wine would make it writable on the way).
  const DWORD attributes = GetFileAttributesW(target.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) {
    error = ERROR_FILE_READ_ONLY;
    return false;
  }
  // Beside the target, so the final rename stays on one volume and cannot half-copy.
  std::string temp_name;
  HANDLE file = CreateTemporaryFile(FolderOf(file_name), temp_name, error);
  if (file == INVALID_HANDLE_VALUE) return false;
  const std::wstring temp = WideFileName(temp_name);
  auto fail = [&] {
    CloseHandle(file);
    DeleteFileW(temp.c_str());
    return false;
  };
  if (!WriteAndFlush(file, content, error)) return fail();
  // Set before the rename, so the file never shows without them.
  if (exists && (attributes & kKeptAttributes))
    SetFileAttributesW(temp.c_str(), attributes & kKeptAttributes);
  if (!MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
    return fail();
  }
  CloseHandle(file);
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
  // A sync or backup tool may hold the file while sharing it whole: reading goes on beside it.
  HANDLE file = CreateFileW(WideFileName(file_name).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
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
  // A folder of that name would make every copy fail: the next free name is taken as for a file.
  for (int n = 1; FileExists(copy_) || DirectoryExists(copy_); ++n)
    copy_ = file_name + "." + IntToStr(n) + ".bak";
  return first;
}

void TUnreadFileCopy::Clear() {
  file_.clear();
  copy_.clear();
}

bool TUnreadFileCopy::KeepBeforeSave(const std::string& file_name, std::string& failure) {
  if (!Marked() || !AnsiSameText(ExpandFileName(file_name), ExpandFileName(file_))) return true;
  // A file gone meanwhile has nothing left to lose.
  if (!CopyFileW(WideFileName(file_).c_str(), WideFileName(copy_).c_str(), TRUE)) {
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) {
      failure = FormatLoadStr(IDS_UNREAD_NOT_SAVED_OVER, file_, copy_, ErrorReason(error));
      return false;
    }
  }
  Clear();
  return true;
}
