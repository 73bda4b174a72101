#include "toolkit/inifiles.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "toolkit/filenames.h"
#include "toolkit/streams.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"
#include "toolkit/textcodec.h"

TK_ABSTRACT_CLASS_INFO(TCustomIniFile, TObject)
TK_ABSTRACT_CLASS_INFO(TIniFile, TCustomIniFile)
TK_ABSTRACT_CLASS_INFO(TMemIniFile, TCustomIniFile)

// The lines of an ini file as the file holds them, each with its own line end, so that a
// write changes only its own line and every other byte stays. A UTF-8 file keeps its byte
// order mark and its encoding: names and values are converted at the boundary only.
class TIniDocument {
 public:
  std::vector<std::string> lines;  // bytes of the file, line end included

  void SetText(std::string_view text) {
    index_.valid = false;
    bom_.clear();
    utf8_ = false;
    if (text.starts_with(kBom)) {
      bom_ = kBom;
      text.remove_prefix(kBom.size());
    }
    // Editors save UTF-8 without a mark by default; ANSI text with letters beyond ASCII is
    // almost never valid UTF-8. Plain ASCII stays ANSI.
    utf8_ = IsValidUtf8(text) && (!bom_.empty() || !IsAscii(text));
    lines.clear();
    eol_.clear();
    while (!text.empty()) {
      size_t end = text.find_first_of("\r\n");
      if (end == std::string_view::npos)
        end = text.size();
      else
        end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
      lines.emplace_back(text.substr(0, end));
      if (eol_.empty()) eol_ = LineEnd(lines.back());
      text.remove_prefix(end);
    }
    if (eol_.empty()) eol_ = "\r\n";
  }

  std::string GetText() const {
    std::string text = bom_;
    for (const auto& line : lines) text += line;
    return text;
  }

  // Line `i` in the ANSI code page, without its line end.
  std::string At(size_t i) const {
    const std::string& line = lines[i];
    std::string_view text(line.data(), line.size() - LineEnd(line).size());
    return utf8_ && !IsAscii(text) ? Utf8ToAnsi(text) : std::string(text);
  }
  void Clear() {
    lines.clear();
    index_.valid = false;
  }

  void InsertAt(size_t i, std::string_view text) {
    index_.valid = false;
    // The line before the end may have had none, being the last.
    if (i > 0 && i == lines.size() && LineEnd(lines[i - 1]).empty()) lines[i - 1] += eol_;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(i), Encoded(text) + eol_);
  }

  std::string Read(std::string_view section, std::string_view key, std::string_view default_value) const {
    int line = FindKey(section, key);
    return line < 0 ? std::string(default_value) : ValueOf(At(static_cast<size_t>(line)));
  }

  void Write(std::string_view section, std::string_view key, std::string_view value) {
    std::string name = CheckedName(section, key);
    std::string text = name + "=" + QuotedValue(value);
    int line = FindKey(section, name);
    if (line >= 0) {
      // Keep the key as the file spells it ('=' is never part of a UTF-8 sequence).
      std::string& old = lines[static_cast<size_t>(line)];
      old = TrimRight(std::string_view(old).substr(0, old.find('='))) + "=" + Encoded(QuotedValue(value)) +
            std::string(LineEnd(old));
      return;
    }
    int header = FindSection(section);
    if (header < 0) {
      if (!lines.empty() && !Trim(At(lines.size() - 1)).empty()) InsertAt(lines.size(), "");
      InsertAt(lines.size(), std::string(1, '[').append(Trim(section)).append(1, ']'));
      InsertAt(lines.size(), text);
      return;
    }
    // After the section's last non-blank line, so blank separator lines stay below it.
    int end = SectionEnd(header);
    int at = end;
    while (at > header + 1 && Trim(At(static_cast<size_t>(at - 1))).empty()) --at;
    InsertAt(static_cast<size_t>(at), text);
  }

  std::vector<std::pair<std::string, std::string>> Entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    int header = FindSection(section);
    if (header < 0) return entries;
    std::unordered_set<std::string> seen;  // upper case: a section may hold many keys
    for (int i = header + 1, end = SectionEnd(header); i < end; ++i) {
      std::string key;
      std::string line = At(static_cast<size_t>(i));
      if (KeyOf(line, key) && seen.insert(AnsiUpperCase(key)).second)
        entries.emplace_back(key, ValueOf(line));
    }
    return entries;
  }

  std::vector<std::string> Sections() const {
    std::vector<std::string> names;
    std::string name;
    std::unordered_set<std::string> seen;  // upper case
    for (size_t i = 0; i < lines.size(); ++i)
      if (SectionOf(At(i), name) && seen.insert(AnsiUpperCase(name)).second) names.push_back(name);
    return names;
  }

  bool HasSection(std::string_view section) const { return FindSection(section) >= 0; }
  bool HasKey(std::string_view section, std::string_view key) const { return FindKey(section, key) >= 0; }

  void EraseSection(std::string_view section) {
    for (int header; (header = FindSection(section)) >= 0;) {
      lines.erase(lines.begin() + header, lines.begin() + SectionEnd(header));
      index_.valid = false;
    }
  }

  void DeleteKey(std::string_view section, std::string_view key) {
    std::string name = Trim(key), found;
    std::string wanted = Trim(section);
    bool inside = false;
    for (size_t i = 0; i < lines.size();) {
      std::string line = At(i);
      if (SectionOf(line, found)) inside = AnsiSameText(found, wanted);
      if (inside && KeyOf(line, found) && AnsiSameText(found, name)) {
        lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(i));
        index_.valid = false;
      } else
        ++i;
    }
  }

 private:
  static constexpr std::string_view kBom = "\xEF\xBB\xBF";

  static bool IsAscii(std::string_view text) {
    return std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  }

  static std::string_view LineEnd(const std::string& line) {
    size_t n = line.size();
    size_t ends = n >= 2 && line.compare(n - 2, 2, "\r\n") == 0            ? 2
                  : n >= 1 && (line[n - 1] == '\r' || line[n - 1] == '\n') ? 1
                                                                           : 0;
    return std::string_view(line).substr(n - ends);
  }

  std::string Encoded(std::string_view text) const { return utf8_ ? AnsiToUtf8(text) : std::string(text); }

  static bool SectionOf(const std::string& line, std::string& name) {
    std::string text = Trim(line);
    if (text.empty() || text[0] != '[') return false;
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    name = Trim(std::string_view(text).substr(1, close - 1));
    return true;
  }

  static bool KeyOf(const std::string& line, std::string& key) {
    std::string text = TrimLeft(line);
    if (text.empty() || text[0] == ';' || text[0] == '[') return false;
    size_t eq = text.find('=');
    if (eq == std::string::npos) return false;
    key = TrimRight(std::string_view(text).substr(0, eq));
    return true;
  }

  static std::string ValueOf(const std::string& line) {
    std::string value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
      value = value.substr(1, value.size() - 2);
    return value;
  }

  static std::string QuotedValue(std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos)
      throw EConvertError("An ini value cannot hold a line break");
    bool blank_end = !value.empty() && (static_cast<unsigned char>(value.front()) <= ' ' ||
                                        static_cast<unsigned char>(value.back()) <= ' ');
    bool quoted = value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0];
    std::string text(value);
    if (blank_end || quoted) text.insert(0, 1, '"').push_back('"');
    return text;
  }

  static std::string CheckedName(std::string_view section, std::string_view key) {
    std::string name = Trim(key);
    if (section.find_first_of("\r\n]") != std::string_view::npos)
      throw EConvertError("Invalid ini section name '" + std::string(section) + "'");
    if (name.empty() || name[0] == ';' || name[0] == '[' || name.find_first_of("\r\n=") != std::string::npos)
      throw EConvertError("Invalid ini key name '" + std::string(key) + "'");
    return name;
  }

  // Where every section and key is, worked out once after each change: a skin's description
  // is asked thousands of times while it loads, and a pass over the file per question made
  // that take seconds.
  struct TIndex {
    bool valid = false;
    std::unordered_map<std::string, int> first_header;  // upper-case name -> its first header
    std::vector<int> headers;                           // every header line, in file order
    std::unordered_map<int, std::unordered_map<std::string, int>> keys;  // header -> key -> line
  };

  const TIndex& Index() const {
    if (index_.valid) return index_;
    index_ = TIndex{};
    std::string name;
    int header = -1;
    for (size_t i = 0; i < lines.size(); ++i) {
      std::string line = At(i);
      if (SectionOf(line, name)) {
        header = static_cast<int>(i);
        index_.headers.push_back(header);
        index_.first_header.emplace(AnsiUpperCase(name), header);
      } else if (header >= 0 && KeyOf(line, name)) {
        index_.keys[header].emplace(AnsiUpperCase(name), static_cast<int>(i));
      }
    }
    index_.valid = true;
    return index_;
  }

  int FindSection(std::string_view section) const {
    const TIndex& index = Index();
    auto found = index.first_header.find(AnsiUpperCase(Trim(section)));
    return found == index.first_header.end() ? -1 : found->second;
  }

  // The index of the next section header after `header`, or the end.
  int SectionEnd(int header) const {
    const TIndex& index = Index();
    auto next = std::upper_bound(index.headers.begin(), index.headers.end(), header);
    return next == index.headers.end() ? static_cast<int>(lines.size()) : *next;
  }

  int FindKey(std::string_view section, std::string_view key) const {
    int header = FindSection(section);
    if (header < 0) return -1;
    const TIndex& index = Index();
    auto keys = index.keys.find(header);
    if (keys == index.keys.end()) return -1;
    auto found = keys->second.find(AnsiUpperCase(Trim(key)));
    return found == keys->second.end() ? -1 : found->second;
  }

  std::string bom_;
  bool utf8_ = false;         // lines are UTF-8 (valid sequences, with a byte order mark or beyond ASCII)
  std::string eol_ = "\r\n";  // for new lines: the file's first line end
  mutable TIndex index_;
};

namespace {

void FillKeys(const TIniDocument& document, std::string_view section, TStrings& strings) {
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (const auto& [key, value] : document.Entries(section)) strings.Add(key);
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

void FillSections(const TIniDocument& document, TStrings& strings) {
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (const auto& name : document.Sections()) strings.Add(name);
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

void FillValues(const TIniDocument& document, std::string_view section, TStrings& strings) {
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (const auto& [key, value] : document.Entries(section)) strings.Add(key + "=" + value);
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

// Reads a whole file; false when it does not exist. Other failures raise EFOpenError, so a
// file that exists but cannot be read is never overwritten with a partial content.
bool ReadWholeFile(const std::string& file_name, std::string& text) {
  if (GetFileAttributesW(WideFileName(file_name).c_str()) == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  }
  // Shared as far as the stream allows: a sync or backup tool holding the file open for
  // writing must not make it unreadable.
  TFileStream stream(file_name, fmOpenRead | fmShareDenyNone);
  text.assign(static_cast<size_t>(stream.GetSize()), '\0');
  stream.ReadBuffer(text.data(), static_cast<int64_t>(text.size()));
  return true;
}

void WriteWholeFile(const std::string& file_name, const std::string& text) {
  TFileStream stream(file_name, fmCreate | fmShareDenyWrite);
  stream.WriteBuffer(text.data(), static_cast<int64_t>(text.size()));
}

}  // namespace

// ---- TCustomIniFile -----------------------------------------------------------------------

int TCustomIniFile::ReadInteger(std::string_view section, std::string_view key, int default_value) {
  std::string text = ReadString(section, key, "");
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
  return StrToIntDef(text, default_value);
}

void TCustomIniFile::WriteInteger(std::string_view section, std::string_view key, int value) {
  WriteString(section, key, IntToStr(value));
}

bool TCustomIniFile::ReadBool(std::string_view section, std::string_view key, bool default_value) {
  return ReadInteger(section, key, default_value ? 1 : 0) != 0;
}

void TCustomIniFile::WriteBool(std::string_view section, std::string_view key, bool value) {
  WriteString(section, key, value ? "1" : "0");
}

// ---- TIniFile -----------------------------------------------------------------------------

TIniFile::TIniFile(const std::string& file_name) : TCustomIniFile(ExpandFileName(file_name)) {}

TIniDocument TIniFile::Load() const {
  TIniDocument document;
  std::string text;
  if (ReadWholeFile(FileName(), text)) document.SetText(text);
  return document;
}

TIniDocument TIniFile::LoadForReading() const {
  try {
    return Load();
  } catch (const EStreamError&) {
    return TIniDocument();  // an unreadable file reads like a missing one
  }
}

void TIniFile::Save(const TIniDocument& document) const { WriteWholeFile(FileName(), document.GetText()); }

std::string TIniFile::ReadString(std::string_view section, std::string_view key,
                                 std::string_view default_value) {
  return LoadForReading().Read(section, key, default_value);
}

void TIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  TIniDocument document = Load();
  document.Write(section, key, value);
  Save(document);
}

void TIniFile::ReadSection(std::string_view section, TStrings& strings) {
  FillKeys(LoadForReading(), section, strings);
}

void TIniFile::ReadSections(TStrings& strings) { FillSections(LoadForReading(), strings); }

void TIniFile::ReadSectionValues(std::string_view section, TStrings& strings) {
  FillValues(LoadForReading(), section, strings);
}

bool TIniFile::SectionExists(std::string_view section) { return LoadForReading().HasSection(section); }

bool TIniFile::ValueExists(std::string_view section, std::string_view key) {
  return LoadForReading().HasKey(section, key);
}

void TIniFile::EraseSection(std::string_view section) {
  TIniDocument document = Load();
  if (!document.HasSection(section)) return;
  document.EraseSection(section);
  Save(document);
}

void TIniFile::DeleteKey(std::string_view section, std::string_view key) {
  TIniDocument document = Load();
  if (!document.HasKey(section, key)) return;
  document.DeleteKey(section, key);
  Save(document);
}

// ---- TMemIniFile --------------------------------------------------------------------------

TMemIniFile::TMemIniFile(const std::string& file_name)
    : TCustomIniFile(file_name), document_(std::make_unique<TIniDocument>()) {
  Rename(file_name, true);
}

TMemIniFile::~TMemIniFile() = default;

std::string TMemIniFile::ReadString(std::string_view section, std::string_view key,
                                    std::string_view default_value) {
  return document_->Read(section, key, default_value);
}

void TMemIniFile::WriteString(std::string_view section, std::string_view key, std::string_view value) {
  document_->Write(section, key, value);
}

void TMemIniFile::ReadSection(std::string_view section, TStrings& strings) {
  FillKeys(*document_, section, strings);
}

void TMemIniFile::ReadSections(TStrings& strings) { FillSections(*document_, strings); }

void TMemIniFile::ReadSectionValues(std::string_view section, TStrings& strings) {
  FillValues(*document_, section, strings);
}

bool TMemIniFile::SectionExists(std::string_view section) { return document_->HasSection(section); }

bool TMemIniFile::ValueExists(std::string_view section, std::string_view key) {
  return document_->HasKey(section, key);
}

void TMemIniFile::EraseSection(std::string_view section) { document_->EraseSection(section); }

void TMemIniFile::DeleteKey(std::string_view section, std::string_view key) {
  document_->DeleteKey(section, key);
}

void TMemIniFile::UpdateFile() {
  if (!FileName().empty()) WriteWholeFile(FileName(), document_->GetText());
}

std::string TMemIniFile::GetFileText() const { return document_->GetText(); }

void TMemIniFile::GetStrings(TStrings& strings) const {
  strings.BeginUpdate();
  try {
    strings.Clear();
    for (size_t i = 0; i < document_->lines.size(); ++i) strings.Add(document_->At(i));
  } catch (...) {
    strings.EndUpdate();
    throw;
  }
  strings.EndUpdate();
}

void TMemIniFile::SetStrings(const TStrings& strings) {
  document_->Clear();
  for (int i = 0; i < strings.Count(); ++i) document_->InsertAt(document_->lines.size(), strings.Get(i));
}

void TMemIniFile::Clear() { document_->Clear(); }

void TMemIniFile::SetFileText(std::string_view bytes) { document_->SetText(bytes); }

void TMemIniFile::Rename(const std::string& file_name, bool reload) {
  file_name_ = file_name;
  if (!reload) return;
  std::string text;
  if (!file_name.empty()) ReadWholeFile(file_name, text);
  document_->SetText(text);
}
