#include "i18n/domain.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <new>

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

void TDomain::Forget() {
  data_ = std::string();
  base_ = nullptr;
  size_ = 0;
  count_ = key_table_ = translation_table_ = 0;
  file_name_.clear();
  opened_ = false;
}

void TDomain::Refuse(const std::string& message) {
  Forget();
  may_open_ = false;
  throw Exception(message);
}

void TDomain::ReadCatalog(const std::string& file_name, const std::string& real_file, bool embedded,
                          int64_t size) {
  HANDLE file = CreateFileW(WideFileName(real_file).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) throw Exception("Cannot open file " + file_name);
  struct TCloser {
    HANDLE handle;
    ~TCloser() { CloseHandle(handle); }
  } closer{file};
  // An empty file is one that cannot be mapped, and is refused as such.
  LARGE_INTEGER file_size{};
  if (!GetFileSizeEx(file, &file_size) || file_size.QuadPart <= 0)
    throw Exception("Cannot create memory map on file " + file_name);
  const uint64_t total = static_cast<uint64_t>(file_size.QuadPart);
  const uint64_t offset = static_cast<uint64_t>(file_offset_);
  const uint64_t wanted = embedded ? static_cast<uint64_t>(size) : total;
  auto fail = [&](DWORD error) {
    throw Exception("Cannot map file " + file_name + " into memory. Reason: " + SysErrorMessage(error));
  };
  // An embedded catalog said to reach past the executable's end: there is nothing to read.
  if (offset > total || wanted > total - offset) fail(ERROR_HANDLE_EOF);
  std::string bytes;
  try {
    bytes.resize(static_cast<size_t>(wanted));
  } catch (const std::bad_alloc&) {
    fail(ERROR_NOT_ENOUGH_MEMORY);
  }
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(offset);
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) fail(GetLastError());
  for (uint64_t done = 0; done < wanted;) {
    const DWORD chunk = static_cast<DWORD>(std::min<uint64_t>(wanted - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file, bytes.data() + done, chunk, &got, nullptr)) fail(GetLastError());
    // Cut while it was read.
    if (got == 0) fail(ERROR_HANDLE_EOF);
    done += got;
  }
  data_ = std::move(bytes);
  base_ = reinterpret_cast<const unsigned char*>(data_.data());
  size_ = data_.size();
}

void TDomain::OpenCatalog() {
  std::string file_name;
  {
    TWriteGuard guard(lock_);
    if (opened_ || !may_open_) return;
    fault_.clear();
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
    file_offset_ = offset;
    ReadCatalog(file_name, real_file, real_file != file_name, size);

    // Closed again but not given up: the file may be one still being copied in place.
    const std::string not_mo = "This file is not a valid GNU gettext mo file: " + file_name;
    swap_ = false;
    const uint32_t magic = size_ >= 4 ? Word(0) : 0;
    if (magic == kSwappedMagic) {
      swap_ = true;
    } else if (magic != kMagic) {
      Forget();
      throw Exception(not_mo);
    }
    if (size_ >= kHeaderSize) {
      count_ = Word(8);
      key_table_ = Word(12);
      translation_table_ = Word(16);
    }
    // Cut short, or a table or text lies outside it: nothing in it may be read.
    if (size_ < kHeaderSize || !Intact()) {
      Forget();
      fault_ = "This GNU gettext mo file is damaged (a table or text lies outside it): " + file_name;
      throw Exception(not_mo);
    }
    file_name_ = file_name;
    opened_ = true;
  }

  const std::string content_type = WideToUtf8(GetHeaderField("Content-Type"));
  if (UpperCase(content_type).find("CHARSET=UTF-8") == std::string::npos) {
    TWriteGuard guard(lock_);
    // A catalog of the wrong shape has no header to read the character set from: its shape
    // is what the start-up names.
    const std::string shape = ShapeFault();
    if (!shape.empty()) fault_ = "This GNU gettext mo file is damaged (" + shape + "): " + file_name;
    Refuse("The translation for the language code " + curlang_ + " (in " + file_name +
           ") does not have charset=utf-8 in its Content-Type. Translations are turned off.");
  }
}

void TDomain::CloseCatalog() {
  TWriteGuard guard(lock_);
  Forget();
  may_open_ = true;
}

void TDomain::TurnOff() {
  TWriteGuard guard(lock_);
  Forget();
  may_open_ = false;
}

bool TDomain::TranslationsAreUtf8() const {
  if (!opened_) return true;
  for (uint32_t i = 0; i < count_; ++i)
    if (!IsValidUtf8(Entry(translation_table_, i))) return false;
  return true;
}

bool TDomain::HasEmptyTranslations() const {
  if (!opened_) return false;
  for (uint32_t i = 0; i < count_; ++i)
    if (!Entry(key_table_, i).empty() && Entry(translation_table_, i).empty()) return true;
  return false;
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

std::wstring TDomain::GetHeaderField(const std::string& field) {
  const std::string pattern = UpperCase(field) + ": ";
  // The header taken as ANSI text and carried as UTF-8, as the lines are compared.
  const std::string header = WideToUtf8(AnsiToWide(Lookup("")));
  size_t start = 0;
  while (start < header.size()) {
    size_t end = header.find_first_of("\r\n", start);
    if (end == std::string::npos) end = header.size();
    const std::string_view line = std::string_view(header).substr(start, end - start);
    if (line.size() >= pattern.size() && UpperCase(line.substr(0, pattern.size())) == pattern)
      return Utf8ToWide(Trim(line.substr(pattern.size())));
    start = end + (header.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return {};
}
