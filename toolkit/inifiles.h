// Ini files: "[section]" headers and "key=value" lines.
//
// How a line is read (the same for both classes, and as Windows' own profile functions do):
// - blanks around a section name, a key and a value are not part of them: "key = value"
//   is the key "key" with the value "value";
// - a value enclosed in one pair of matching quotes (" or ') loses them, so a value can
//   keep blanks at its ends: key=" x " reads as " x ";
// - names of sections and keys are matched without regard to letter case (umlauts too);
// - lines starting with ';' are comments; lines without '=' inside a section are ignored;
//   the first of several equal sections or keys wins.
// WriteString quotes a value that would not read back as written (blanks at an end, or
// matching quotes at both ends) and keeps every other line of the file byte for byte, line
// ends included (new lines take the file's first line end). Names and values that would break
// the file's structure (line breaks, '=' in a key, ']' in a section name) raise EConvertError
// instead of being written. A file in UTF-8 (one that starts with its byte order mark, or one
// without the mark whose text beyond ASCII is all valid UTF-8, as editors save it) stays UTF-8,
// with its mark or without: names and values are read into the ANSI code page and written
// back as UTF-8, so text of other lines that the code page cannot hold is never touched.
// Other text is ANSI.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/object.h"

class TStrings;
class TIniDocument;

class TCustomIniFile : public TObject {
  TK_CLASS(TCustomIniFile, TObject)

  const std::string& FileName() const { return file_name_; }

  virtual std::string ReadString(std::string_view section, std::string_view key,
                                 std::string_view default_value) = 0;
  virtual void WriteString(std::string_view section, std::string_view key, std::string_view value) = 0;
  // Decimal or hexadecimal ("$1F", "0x1F"); the default when the key is missing or its value
  // is not such a number.
  int ReadInteger(std::string_view section, std::string_view key, int default_value);
  void WriteInteger(std::string_view section, std::string_view key, int value);
  // A number other than 0 is true; the default when missing or not a number. Written as 1 or 0.
  bool ReadBool(std::string_view section, std::string_view key, bool default_value);
  void WriteBool(std::string_view section, std::string_view key, bool value);

  // Fill `strings` (cleared first): the keys of a section; the section names; the
  // "key=value" lines of a section (values as ReadString gives them). File order.
  virtual void ReadSection(std::string_view section, TStrings& strings) = 0;
  virtual void ReadSections(TStrings& strings) = 0;
  virtual void ReadSectionValues(std::string_view section, TStrings& strings) = 0;
  virtual bool SectionExists(std::string_view section) = 0;
  virtual bool ValueExists(std::string_view section, std::string_view key) = 0;
  virtual void EraseSection(std::string_view section) = 0;
  virtual void DeleteKey(std::string_view section, std::string_view key) = 0;
  // Writes pending changes to the file (only TMemIniFile has any).
  virtual void UpdateFile() = 0;

 protected:
  explicit TCustomIniFile(std::string file_name) : file_name_(std::move(file_name)) {}

  std::string file_name_;
};

// Every call reads the file, and every change writes it back at once. A missing file reads
// as empty; writing creates it. A relative name is taken from the current folder (not the
// Windows folder, as the profile functions would). Failed writes raise EFCreateError.
class TIniFile : public TCustomIniFile {
  TK_CLASS(TIniFile, TCustomIniFile)

  explicit TIniFile(const std::string& file_name);

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) override;
  void WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  void ReadSection(std::string_view section, TStrings& strings) override;
  void ReadSections(TStrings& strings) override;
  void ReadSectionValues(std::string_view section, TStrings& strings) override;
  bool SectionExists(std::string_view section) override;
  bool ValueExists(std::string_view section, std::string_view key) override;
  void EraseSection(std::string_view section) override;
  void DeleteKey(std::string_view section, std::string_view key) override;
  void UpdateFile() override {}

 private:
  // Load raises when an existing file cannot be read (a write must not replace it);
  // LoadForReading gives an empty document then, as for a missing file.
  TIniDocument Load() const;
  TIniDocument LoadForReading() const;
  void Save(const TIniDocument& document) const;
};

// The whole file in memory: read once when created (a missing file or an empty name gives
// an empty one), written only by UpdateFile.
class TMemIniFile : public TCustomIniFile {
  TK_CLASS(TMemIniFile, TCustomIniFile)

  explicit TMemIniFile(const std::string& file_name = std::string());
  ~TMemIniFile() override;

  std::string ReadString(std::string_view section, std::string_view key,
                         std::string_view default_value) override;
  void WriteString(std::string_view section, std::string_view key, std::string_view value) override;
  void ReadSection(std::string_view section, TStrings& strings) override;
  void ReadSections(TStrings& strings) override;
  void ReadSectionValues(std::string_view section, TStrings& strings) override;
  bool SectionExists(std::string_view section) override;
  bool ValueExists(std::string_view section, std::string_view key) override;
  void EraseSection(std::string_view section) override;
  void DeleteKey(std::string_view section, std::string_view key) override;
  // Writes the content to the file (raises EFCreateError when that fails); nothing without a name.
  void UpdateFile() override;
  // The bytes UpdateFile would write, for a caller that writes the file its own way.
  std::string GetFileText() const;
  // Replaces the content with a file's bytes, for a caller that reads the file its own way.
  void SetFileText(std::string_view bytes);

  // The content as lines, and replacing it with lines (no file is touched).
  void GetStrings(TStrings& strings) const;
  void SetStrings(const TStrings& strings);
  void Clear();
  // Takes another file name for UpdateFile; with reload, reads that file, dropping the
  // content held so far.
  void Rename(const std::string& file_name, bool reload);

 private:
  std::unique_ptr<TIniDocument> document_;
};
