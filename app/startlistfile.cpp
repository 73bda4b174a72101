#include "app/startlistfile.h"

#include <algorithm>

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

namespace {

// The lines of a file's bytes one by one, without copying them.
class TLineReader {
 public:
  explicit TLineReader(std::string_view bytes) : bytes_(bytes) {}
  bool AtEnd() const { return at_ >= bytes_.size(); }
  int LineNumber() const { return line_; }
  std::string_view Next() {
    const size_t start = at_;
    size_t end = start;
    while (end < bytes_.size() && bytes_[end] != '\r' && bytes_[end] != '\n') ++end;
    at_ = end +
          (end < bytes_.size() && bytes_[end] == '\r' && end + 1 < bytes_.size() && bytes_[end + 1] == '\n'
               ? 2
               : 1);
    ++line_;
    return bytes_.substr(start, end - start);
  }

 private:
  std::string_view bytes_;
  size_t at_ = 0;
  int line_ = 0;
};

size_t CountHeaders(std::string_view bytes) {
  size_t count = 0;
  for (size_t at = bytes.find(kAslRecordHeader); at != std::string_view::npos;
       at = bytes.find(kAslRecordHeader, at + kAslRecordHeader.size()))
    ++count;
  return count;
}

void Note(TAslDamage* damage, TAslFault fault, int record, int line) {
  if (!damage) return;
  if (damage->records++ == 0) {
    damage->first = fault;
    damage->first_record = record;
    damage->first_line = line;
  }
}

}  // namespace

void ParseStartList(std::string_view bytes, std::vector<TStartListEntry>& entries, TAslDamage* damage) {
  TLineReader lines(bytes);
  if (lines.AtEnd() || lines.Next() != kAslRecordHeader) return;
  entries.reserve(entries.size() + CountHeaders(bytes));
  std::vector<std::string_view> record;
  for (int number = 1; !lines.AtEnd(); ++number) {
    // The header just read opens the record; its lines run to the next header or the end.
    const int header_line = lines.LineNumber();
    record.clear();
    bool next_header = false;
    while (!lines.AtEnd() && !next_header) {
      std::string_view line = lines.Next();
      next_header = line == kAslRecordHeader;
      if (!next_header) record.push_back(line);
    }
    // Saved again without a word, the header alone would be gone.
    const auto header_at_end = [&] {
      if (next_header && lines.AtEnd()) Note(damage, TAslFault::HeaderAtEnd, number + 1, lines.LineNumber());
    };
    if (record.empty()) {
      Note(damage, TAslFault::HeaderForPlace, number, header_line);
      header_at_end();
      continue;
    }
    TStartListEntry entry;
    double place = 0;
    size_t first_field = 1;
    TAslFault fault = TAslFault::None;
    if (record.size() == kAslFields) {
      // Eight lines are the eight fields without their place line, not a place and seven
      // fields: a class that is a number ("3") must not become the place.
      fault = TAslFault::PlaceMissing;
      first_field = 0;
    } else if (!TryStrToFloat(record[0], place)) {
      fault = TAslFault::PlaceNoNumber;
    }
    entry.Caption = first_field == 0 ? std::to_string(number) : std::string(record[0]);
    entry.SubItems.reserve(std::max(kAslFields, record.size() - first_field));
    for (size_t i = first_field; i < record.size(); ++i) entry.SubItems.emplace_back(record[i]);
    if (entry.SubItems.size() < kAslFields) {
      // A protocol row takes the entry's eight fields; missing ones are empty.
      entry.SubItems.resize(kAslFields);
      if (fault == TAslFault::None) fault = TAslFault::FewFields;
    }
    if (fault != TAslFault::None) Note(damage, fault, number, header_line);
    header_at_end();
    entries.push_back(std::move(entry));
  }
}

bool ReadStartListFile(const std::string& file_name, std::vector<TStartListEntry>& entries,
                       TStartListProblem* problem, DWORD* error, TAslDamage* damage) {
  std::string bytes;
  DWORD code = 0;
  if (!ReadFileWhole(file_name, bytes, code)) {
    if (error) *error = code;
    return false;
  }
  const size_t before = entries.size();
  ParseStartList(bytes, entries, damage);
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
