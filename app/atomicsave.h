// Saving a whole file so that a failure on the way (disk full, power lost at the track)
// leaves the old file as it was: the bytes go to a temporary file beside it, which replaces
// the old one only once it is complete.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Writes `content` as the new content of `file_name` through a uniquely named temporary
// file in the same folder. True when the file now holds exactly `content`; false with
// `error` set to the system's error code otherwise (the old file is then untouched and the
// temporary file removed). A file marked read-only is not replaced (ERROR_FILE_READ_ONLY);
// a replaced file keeps its hidden, system and archive attributes.
bool WriteFileReplacing(const std::string& file_name, std::string_view content, DWORD& error);

// The same, raising EFCreateError with SaveFailedMessage on failure.
void SaveFileAtomically(const std::string& file_name, std::string_view bytes);

// The message for a save that failed, in the active language: the file and the reason.
std::string SaveFailedMessage(const std::string& file_name, DWORD error);
std::string SaveFailedMessage(const std::string& file_name, const std::string& reason);
