// The file table appended to the executable: files (the shipped catalog) that travel inside
// the .exe and are found by their names relative to the executable's folder.
//
// The executable carries a 44-byte signature in its constant data: 36 ASCII characters and
// the little-endian 64-bit file position of the table's first record, zero until
// tools/append_files.py appends a table and writes its position there. Each record is the
// next record's position (0 ends the table), the embedded file's position and size (each
// 8 bytes, little-endian) and its name, padded with blanks up to the next record.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/object.h"

class TStringList;

// The table position written behind the signature characters; 0 when nothing is appended.
uint64_t FileTablePosition();

// One embedded file.
class TAssemblyFileInfo : public TObject {
  TK_CLASS(TAssemblyFileInfo, TObject)

 public:
  TAssemblyFileInfo() = default;
  int64_t Offset = 0;
  int64_t Size = 0;
};

// The process's locator of embedded files.
class TAssemblyAnalyzer : public TObject {
  TK_CLASS(TAssemblyAnalyzer, TObject)

 public:
  TAssemblyAnalyzer();
  ~TAssemblyAnalyzer() override;

  // Reads the running executable's table.
  void Analyze();
  // Reads the table at `table_position` of the file `exe_name`, whose folder becomes the
  // base of the embedded names. Never raises: a table that cannot be read or breaks its own
  // rules (positions that do not strictly increase, records or data outside the file, a
  // duplicate name) ends the walk, and the records read before it stay.
  void Analyze(const std::string& exe_name, uint64_t table_position);

  // True when the name, without the executable's folder in front (compared
  // case-sensitively), is a recorded name (compared without case).
  bool FileExists(const std::string& name) const;
  // The file to open for a name and where inside it the data lies: the executable, the
  // record's offset and size for an embedded name; else the name itself, 0 and 0.
  void GetCatalogFile(const std::string& name, std::string& file_to_open, int64_t& offset,
                      int64_t& size) const;

  const std::string& GetExeName() const { return exe_name_; }
  const std::string& GetBaseDirectory() const { return base_directory_; }
  // The recorded names, sorted without case.
  std::vector<std::string> Names() const;

 private:
  // The record of a name that begins with the executable's folder.
  const TAssemblyFileInfo* Find(const std::string& name) const;
  const TAssemblyFileInfo* FindRecorded(std::string_view name) const;
  bool InFolder(const std::string& name) const;

  std::string exe_name_;
  std::string base_directory_;  // with a trailing backslash
  TStringList* files_;          // name -> owned TAssemblyFileInfo
};

// The locator built at start-up; null before and after the runtime runs.
extern TAssemblyAnalyzer* FileLocator;
