// Start-list files (".asl"): for each entry a record header line, the start place and then
// every field on a line of its own; lines end with CR LF, text is in the ANSI code page, and
// there is nothing else in the file (an empty list is an empty file).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/raceview.h"

// Opens each record. A field with this very text cannot be stored: reading takes it for the
// start of the next record.
inline constexpr std::string_view kAslRecordHeader = "[DRAVOLIN1ASLREC]";

// The open, merge and save dialogs' settings.
inline constexpr const char* kAslDefaultExt = "asl";
inline constexpr const char* kAslFilter = "Rarezerur Starterliste|*.asl";

// The file's bytes for the entries in list order.
std::string FormatStartList(const std::vector<TStartListEntry>& entries);

// The fields the editor writes for each entry.
inline constexpr size_t kAslFields = 8;

// What a record's own structure shows to be wrong with it: a header where its start place
// should be (a header doubled: the record is empty and left out), exactly eight lines (the
// place line is missing, whatever the first line holds: they are read as the fields, the place
// being the record's number), a start place that is no number, fewer than eight fields (read
// padded with empty ones), or a header alone on the file's last line (the record is empty and
// left out).
enum class TAslFault { None, HeaderForPlace, PlaceMissing, PlaceNoNumber, FewFields, HeaderAtEnd };

// The damaged records of a file: how many, and the first of them (its number, counting the
// file's record headers from 1, and the line of its header).
struct TAslDamage {
  int records = 0;
  int first_record = 0;
  int first_line = 0;
  TAslFault first = TAslFault::None;
};

// Appends the records of a file's bytes to `entries`. Lines are taken whole; a record ends at
// the next header line or at the end, and may have eight fields or more; a damaged one is
// read as far as it can be and counted in `damage`. When the first line is not exactly the
// header nothing is read.
void ParseStartList(std::string_view bytes, std::vector<TStartListEntry>& entries,
                    TAslDamage* damage = nullptr);

// Why a file holding more than blanks gave no record: its first line is not the header, or
// the header is all it holds.
// What kept a file that holds text from giving a participant: its first line is no record
// header, it is a header alone, or it begins with a Unicode byte order mark (an editor saved
// it in UTF-8 or UTF-16; the list is read in the ANSI code page).
enum class TStartListProblem { None, NoHeader, HeaderOnly, OtherEncoding };

// Appends the file's records; false (and nothing appended) when it cannot be opened or read,
// with `error`, when given, the system's error code (ERROR_FILE_NOT_FOUND when there is none).
bool ReadStartListFile(const std::string& file_name, std::vector<TStartListEntry>& entries,
                       TStartListProblem* problem = nullptr, DWORD* error = nullptr,
                       TAslDamage* damage = nullptr);

// Replaces the file with the entries; false when it cannot be written, the old file then
// being left as it was and `error`, when given, holding the system's error code.
bool WriteStartListFile(const std::string& file_name, const std::vector<TStartListEntry>& entries,
                        DWORD* error = nullptr);

// The working start list beside the executable. Its name is a resource string, so it
// follows the active catalog ("Aktuell.Asl" in German); a translation that is no plain file name is
// not taken.
std::string WorkingStartListFileName(const std::string& exe_file);
// The catalog's name for the working start list when it was not taken (not a plain file
// name); empty otherwise.
std::string RefusedWorkingStartListName();
