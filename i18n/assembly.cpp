#include "i18n/assembly.h"

#include <cstring>

#include "toolkit/streams.h"
#include "toolkit/strings.h"
#include "toolkit/sysutils.h"

// The only copy of the 36 characters in the program: tools/append_files.py looks for them in
// the built file and writes the table position into the 8 bytes behind them. Read through a
// volatile object, since GCC folds a plain constant's (zero) position into the code.
extern "C" volatile const char DravolinFileTableSignature[44] =
    "6637DB2E-62E1-4A60-AC19-C23867046A89\0\0\0\0\0\0\0";

TAssemblyAnalyzer* FileLocator = nullptr;

namespace {

constexpr size_t kSignatureLength = 36;

uint64_t ReadUInt64(TStream& stream) {
  unsigned char bytes[8];
  stream.ReadBuffer(bytes, sizeof bytes);
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

uint64_t FileTablePosition() {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i)
    value = (value << 8) | static_cast<unsigned char>(DravolinFileTableSignature[kSignatureLength + i]);
  return value;
}

TK_CLASS_INFO(TAssemblyFileInfo, TObject)
TK_ABSTRACT_CLASS_INFO(TAssemblyAnalyzer, TObject)

TAssemblyAnalyzer::TAssemblyAnalyzer() : files_(New<TStringList>()) {
  files_->SetSorted(true);
  files_->SetCaseSensitive(false);
  files_->SetDuplicates(dupError);
  files_->SetOwnsObjects(true);
}

TAssemblyAnalyzer::~TAssemblyAnalyzer() { Free(files_); }

void TAssemblyAnalyzer::Analyze() { Analyze(ExeFileName(), FileTablePosition()); }

void TAssemblyAnalyzer::Analyze(const std::string& exe_name, uint64_t table_position) {
  if (table_position == 0) return;
  exe_name_ = exe_name;
  base_directory_ = ExtractFilePath(exe_name);
  try {
    TFileStream file(exe_name, fmOpenRead | fmShareDenyNone);
    const uint64_t file_size = static_cast<uint64_t>(file.GetSize());
    uint64_t position = table_position;
    for (;;) {
      // The next-record field, and for a full record the next record, must lie in the file,
      // each record strictly behind the one before.
      if (position > file_size || file_size - position < 8) return;
      file.SetPosition(static_cast<int64_t>(position));
      const uint64_t next = ReadUInt64(file);
      if (next == 0) return;
      if (file_size < 8 || next > file_size - 8 || next < position + 24) return;
      const uint64_t offset = ReadUInt64(file);
      const uint64_t size = ReadUInt64(file);
      if (offset > file_size || size > file_size - offset) return;
      // Up to the next record, however much padding: the file bounds it.
      const uint64_t name_length = next - position - 24;
      std::string name(static_cast<size_t>(name_length), '\0');
      file.ReadBuffer(name.data(), static_cast<int64_t>(name_length));
      name = Trim(name);
      TAssemblyFileInfo* info = New<TAssemblyFileInfo>();
      info->Offset = static_cast<int64_t>(offset);
      info->Size = static_cast<int64_t>(size);
      try {
        files_->AddObject(name, info);
      } catch (...) {
        Free(info);
        throw;
      }
      position = next;
    }
  } catch (const std::exception&) {
    // An unreadable executable or a duplicate name: the records read so far stay.
  }
}

bool TAssemblyAnalyzer::InFolder(const std::string& name) const {
  return !base_directory_.empty() && name.compare(0, base_directory_.size(), base_directory_) == 0;
}

const TAssemblyFileInfo* TAssemblyAnalyzer::FindRecorded(std::string_view name) const {
  int index = 0;
  if (!files_->Find(name, index)) return nullptr;
  return static_cast<const TAssemblyFileInfo*>(files_->Objects(index));
}

const TAssemblyFileInfo* TAssemblyAnalyzer::Find(const std::string& name) const {
  return InFolder(name) ? FindRecorded(std::string_view(name).substr(base_directory_.size())) : nullptr;
}

bool TAssemblyAnalyzer::FileExists(const std::string& name) const {
  return FindRecorded(InFolder(name) ? std::string_view(name).substr(base_directory_.size()) : name) !=
         nullptr;
}

void TAssemblyAnalyzer::GetCatalogFile(const std::string& name, std::string& file_to_open, int64_t& offset,
                                       int64_t& size) const {
  file_to_open = name;
  offset = 0;
  size = 0;
  if (const TAssemblyFileInfo* info = Find(name)) {
    file_to_open = exe_name_;
    offset = info->Offset;
    size = info->Size;
  }
}

std::vector<std::string> TAssemblyAnalyzer::Names() const {
  std::vector<std::string> names;
  for (int i = 0; i < files_->Count(); ++i) names.push_back(files_->Get(i));
  return names;
}
