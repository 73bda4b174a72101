#include "i18n/domain.h"

#include <cstring>

#include "i18n/assembly.h"
#include "toolkit/filenames.h"
#include "toolkit/textcodec.h"

namespace {

constexpr uint32_t kMagic = 0x950412DE;
constexpr uint32_t kSwappedMagic = 0xDE120495;
// Magic, revision, N, O and T.
constexpr uint64_t kHeaderSize = 20;

uint32_t ByteSwap(uint32_t v) { return (v >> 24) | ((v >> 8) & 0xFF00) | ((v << 8) & 0xFF0000) | (v << 24); }

// Unsigned byte order, a shorter string before a longer one it begins.
int CompareKeys(std::string_view a, std::string_view b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  int d = n ? std::memcmp(a.data(), b.data(), n) : 0;
  if (d != 0) return d;
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool CatalogExists(const std::string& name) {
  return (FileLocator && FileLocator->FileExists(name)) || FileExists(name);
}

}  // namespace

TK_ABSTRACT_CLASS_INFO(TDomain, TObject)

TDomain::TDomain(const std::string& domain) : domain_(domain) {}

TDomain::~TDomain() {
  try {
    CloseCatalog();
  } catch (...) {
    // The handles are released either way; nothing to report to.
  }
}

void TDomain::SetDirectory(const std::string& directory) {
  CloseCatalog();
  directory_ = IncludeTrailingPathDelimiter(directory);
}

void TDomain::SetLanguageCode(const std::string& code) {
  CloseCatalog();
  curlang_ = code;
}

std::string TDomain::CatalogFileName(const std::string& language) const {
  return directory_ + language + "\\LC_MESSAGES\\" + domain_ + ".mo";
}

uint32_t TDomain::Word(uint32_t position) const {
  uint32_t value;
  std::memcpy(&value, base_ + position, sizeof value);
  return swap_ ? ByteSwap(value) : value;
}

std::string_view TDomain::Entry(uint32_t table, uint32_t index) const {
  const uint32_t at = table + 8 * index;
  return std::string_view(reinterpret_cast<const char*>(base_) + Word(at + 4), Word(at));
}

bool TDomain::Intact() const {
  const uint64_t table_bytes = uint64_t{8} * count_;
  if (key_table_ > size_ || table_bytes > size_ - key_table_) return false;
  if (translation_table_ > size_ || table_bytes > size_ - translation_table_) return false;
  for (uint32_t table : {key_table_, translation_table_}) {
    for (uint32_t i = 0; i < count_; ++i) {
      const uint64_t length = Word(table + 8 * i);
      const uint64_t position = Word(table + 8 * i + 4);
      if (position > size_ || length > size_ - position) return false;
    }
  }
  return true;
}

std::string TDomain::ShapeFault() const {
  // The seven words: magic, revision, count, the two tables, the hash table's size and place.
  constexpr uint64_t kHeaderWords = 28;
  if (count_ == 0) return "it holds no texts";
  if (key_table_ < kHeaderWords) return "its table of original texts lies on its header";
  if (translation_table_ < kHeaderWords) return "its table of translations lies on its header";
  const uint64_t table_bytes = uint64_t{8} * count_;
  if (key_table_ < translation_table_ + table_bytes && translation_table_ < key_table_ + table_bytes)
    return "its tables of original texts and translations overlap";
  // The header is the translation of the empty text, which sorts first.
  if (!Entry(key_table_, 0).empty() && Entry(translation_table_, 0).empty())
    return "its tables of original texts and translations are swapped";
  return {};
}

void TDomain::UnmapFile() {
  if (view_) UnmapViewOfFile(view_);
  if (mapping_) CloseHandle(mapping_);
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
  view_ = nullptr;
  mapping_ = nullptr;
  file_ = INVALID_HANDLE_VALUE;
  base_ = nullptr;
  size_ = 0;
  count_ = key_table_ = translation_table_ = 0;
  file_name_.clear();
  opened_ = false;
}

void TDomain::Refuse(const std::string& message) {
  UnmapFile();
  may_open_ = false;
  throw Exception(message);
}

void TDomain::OpenCatalog() {
  std::string file_name;
  {
    TWriteGuard guard(lock_);
    if (opened_ || !may_open_) return;
    file_name = CatalogFileName(curlang_);
    if (!CatalogExists(file_name)) {
      file_name = CatalogFileName(curlang_.substr(0, 2));
      if (!CatalogExists(file_name)) {
        may_open_ = false;
        return;
      }
    }
    std::string real_file = file_name;
    int64_t offset = 0, size = 0;
    if (FileLocator) FileLocator->GetCatalogFile(file_name, real_file, offset, size);
    const bool embedded = real_file != file_name;
    file_offset_ = offset;

    file_ = CreateFileW(WideFileName(real_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file_ == INVALID_HANDLE_VALUE) {
      file_ = INVALID_HANDLE_VALUE;
      throw Exception("Cannot open file " + file_name);
    }
    LARGE_INTEGER file_size{};
    if (!GetFileSizeEx(file_, &file_size)) {
      UnmapFile();
      throw Exception("Cannot open file " + file_name);
    }
    const uint64_t total = static_cast<uint64_t>(file_size.QuadPart);
    const uint64_t catalog_size = embedded ? static_cast<uint64_t>(size) : total;
    // Too short for the five header words (an empty file included), or lying partly
    // outside the executable: nothing here can be a catalog.
    if (catalog_size < kHeaderSize || static_cast<uint64_t>(offset) > total ||
        catalog_size > total - static_cast<uint64_t>(offset))
      Refuse("This file is not a valid GNU gettext mo file: " + file_name);

    mapping_ = CreateFileMappingA(file_, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (!mapping_) {
      UnmapFile();
      throw Exception("Cannot create memory map on file " + file_name);
    }
    view_ = MapViewOfFile(mapping_, FILE_MAP_READ, 0, 0, 0);
    if (!view_) {
      const DWORD error = GetLastError();
      UnmapFile();
      throw Exception("Cannot map file " + file_name + " into memory. Reason: " + SysErrorMessage(error));
    }
    base_ = static_cast<const unsigned char*>(view_) + offset;
    size_ = catalog_size;

    swap_ = false;
    const uint32_t magic = Word(0);
    if (magic == kSwappedMagic) {
      swap_ = true;
    } else if (magic != kMagic) {
      // Closed again but not given up: the file may be one still being copied in place.
      UnmapFile();
      throw Exception("This file is not a valid GNU gettext mo file: " + file_name);
    }
    count_ = Word(8);
    key_table_ = Word(12);
    translation_table_ = Word(16);
    if (!Intact())
      Refuse("This GNU gettext mo file is damaged (a table or text lies outside it): " + file_name);
    file_name_ = file_name;
    opened_ = true;
  }

  std::string content_type = GetHeaderField("Content-Type");
  if (UpperCase(content_type).find("CHARSET=UTF-8") == std::string::npos) {
    TWriteGuard guard(lock_);
    // A catalog of the wrong shape has no header to read the character set from: its shape
    // is the problem to name.
    const std::string fault = ShapeFault();
    if (!fault.empty()) Refuse("This GNU gettext mo file is damaged (" + fault + "): " + file_name);
    Refuse("The translation for the language code " + curlang_ + " (in " + file_name +
           ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
  }
}

void TDomain::CloseCatalog() {
  TWriteGuard guard(lock_);
  UnmapFile();
  may_open_ = true;
}

void TDomain::TurnOff() {
  TWriteGuard guard(lock_);
  UnmapFile();
  may_open_ = false;
}

bool TDomain::TranslationsAreUtf8() const {
  if (!opened_) return true;
  for (uint32_t i = 0; i < count_; ++i)
    if (!IsValidUtf8(Entry(translation_table_, i))) return false;
  return true;
}

std::string TDomain::Lookup(std::string_view key) {
  // The empty key finds the catalog's header.
  if (!opened_ && may_open_) OpenCatalog();
  if (!opened_ || count_ == 0) return std::string(key);

  uint64_t p = 1;
  while (p <= count_) p <<= 1;
  uint64_t idx = p / 2;
  uint64_t step = p / 4;
  for (;;) {
    const int d = CompareKeys(key, Entry(key_table_, static_cast<uint32_t>(idx - 1)));
    if (d == 0) return std::string(Entry(translation_table_, static_cast<uint32_t>(idx - 1)));
    if (step == 0) return std::string(key);
    if (d > 0) {
      idx += step;
      if (idx > count_) idx = count_;
    } else {
      idx = idx < step + 1 ? 1 : idx - step;
    }
    step /= 2;
  }
}

std::string_view TDomain::Header() const {
  // The empty key sorts first.
  if (!opened_ || count_ == 0 || !Entry(key_table_, 0).empty()) return {};
  return Entry(translation_table_, 0);
}

std::string TDomain::GetHeaderField(const std::string& field) {
  if (!opened_ && may_open_) OpenCatalog();
  const std::string pattern = UpperCase(field) + ": ";
  std::string_view header = Header();
  while (!header.empty()) {
    const size_t end = header.find('\n');
    std::string_view line = header.substr(0, end);
    header = end == std::string_view::npos ? std::string_view() : header.substr(end + 1);
    if (line.size() >= pattern.size() && UpperCase(line.substr(0, pattern.size())) == pattern) {
      std::string value = Trim(line.substr(pattern.size()));
      return IsValidUtf8(value) ? Utf8ToAnsi(value) : value;
    }
  }
  return {};
}
