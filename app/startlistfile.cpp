#include "app/startlistfile.h"

#include "app/atomicsave.h"
#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

namespace {

TK_RESOURCESTRING(SWorkingStartList, IDS_FILE_WORKING_START_LIST);

constexpr std::string_view kLineEnd = "\r\n";

void AppendLine(std::string& out, std::string_view line) {
  out += line;
  out += kLineEnd;
}

bool HasByteOrderMark(std::string_view bytes) {
  return bytes.starts_with("\xEF\xBB\xBF") || bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

}  // namespace

std::string FormatStartList(const std::vector<TStartListEntry>& entries) {
  std::string out;
  for (const TStartListEntry& entry : entries) {
    AppendLine(out, kAslRecordHeader);
    AppendLine(out, entry.Caption);
    for (const std::string& field : entry.SubItems) AppendLine(out, field);
  }
  return out;
}

void ParseStartList(std::string_view bytes, std::vector<TStartListEntry>& entries) {
  std::vector<std::string> lines = SplitLines(bytes);
  if (lines.empty() || lines[0] != kAslRecordHeader) return;
  size_t i = 1;
  while (i < lines.size()) {
    // The line after a header is the start place, whatever it holds.
    TStartListEntry entry;
    entry.Caption = std::move(lines[i++]);
    while (i < lines.size()) {
      std::string& line = lines[i++];
      if (line == kAslRecordHeader) break;
      entry.SubItems.push_back(std::move(line));
    }
    entries.push_back(std::move(entry));
  }
}

bool ReadStartListFile(const std::string& file_name, std::vector<TStartListEntry>& entries,
                       TStartListProblem* problem, DWORD* error) {
  std::string bytes;
  DWORD code = 0;
  if (!ReadFileWhole(file_name, bytes, code)) {
    if (error) *error = code;
    return false;
  }
  const size_t before = entries.size();
  ParseStartList(bytes, entries);
  if (problem) {
    const std::string_view first_line = std::string_view(bytes).substr(0, bytes.find_first_of("\r\n"));
    *problem = entries.size() > before || Trim(bytes).empty() ? TStartListProblem::None
               : first_line == kAslRecordHeader               ? TStartListProblem::HeaderOnly
               : HasByteOrderMark(bytes)                      ? TStartListProblem::OtherEncoding
                                                              : TStartListProblem::NoHeader;
  }
  return true;
}

bool WriteStartListFile(const std::string& file_name, const std::vector<TStartListEntry>& entries,
                        DWORD* error) {
  DWORD code = 0;
  if (WriteFileReplacing(file_name, FormatStartList(entries), code)) return true;
  if (error) *error = code;
  return false;
}

std::string WorkingStartListFileName(const std::string& exe_file) {
  return ExtractFilePath(exe_file) + LoadResFileName(&SWorkingStartList);
}

std::string RefusedWorkingStartListName() { return RefusedResFileName(&SWorkingStartList); }
