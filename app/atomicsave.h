// Saving a whole file so that a failure on the way (disk full, power lost at the track)
// leaves the old file as it was: the bytes go to a temporary file beside it, which replaces
// the old one only once it is complete. And the other way round: reading a whole file with
// the reason when it cannot be, and keeping a file that could not be read whole before the
// first save over it.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Writes `content` as the new content of `file_name` through a uniquely named temporary
// file in the same folder. True when the file now holds
// exactly `content`; false with `error` set to the system's error code otherwise (the old file is then
// untouched and the temporary file removed). A file marked read-only is not replaced (ERROR_FILE_READ_ONLY);
// a replaced file keeps its hidden, system and archive attributes.
bool WriteFileReplacing(const std::string& file_name, std::string_view content, DWORD& error);

// The same, raising EFCreateError with SaveFailedMessage on failure.
void SaveFileAtomically(const std::string& file_name, std::string_view bytes);

// Removes what interrupted saves left in `folder`: their temporary files that no process holds
// (only names of the form the saves make, which no other program makes). Done only in the
// program's own folder, at the start and before its own files are saved.
void RemoveStaleTemporaries(const std::string& folder);
void RemoveStaleTemporariesBeside(const std::string& file_name);

// The message for a save that failed, in the active language: the file and the reason.
std::string SaveFailedMessage(const std::string& file_name, DWORD error);
std::string SaveFailedMessage(const std::string& file_name, const std::string& reason);
// The system's text for an error code (its number when there is none).
std::string ErrorReason(DWORD error);

// The file's bytes; false with `error` set to the system's error code when it cannot be
// opened or read (ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when there is none).
bool ReadFileWhole(const std::string& file_name, std::string& bytes, DWORD& error);
// The error of a file that is not there (rather than one that cannot be read).
inline bool NoSuchFile(DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; }

// A file that was not read whole (another program holds it, access is denied, or it holds
// what the list cannot show): shown empty or cut short, the list must not silently replace
// it. Before the first save over it, it is copied beside itself ("Aktuell.Asl.bak", or
// "Aktuell.Asl.1.bak" and on when that exists, so an older copy stays).
class TUnreadFileCopy {
 public:
  // The copy's name is chosen now, so the message at loading can name it. True when the
  // file was not marked yet: the user is told once, not at each reading while the copy is
  // still to be made.
  bool Mark(const std::string& file_name);
  void Clear();
  bool Marked() const { return !file_.empty(); }
  const std::string& CopyName() const { return copy_; }
  // Before `file_name` is saved: makes the copy when it is the marked file. False when that
  // fails (the save must not go on), with `failure` naming the file, the copy and the reason.
  bool KeepBeforeSave(const std::string& file_name, std::string& failure);

 private:
  std::string file_, copy_;
};
