#include "toolkit/sysutils.h"

#include "toolkit/filenames.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

// ---- Exceptions ---------------------------------------------------------------------------

std::string SysErrorMessage(DWORD error_code) {
  char* buffer = nullptr;
  DWORD length = FormatMessageA(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      error_code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
  std::string text = length && buffer ? std::string(buffer, length) : std::string();
  if (buffer) LocalFree(buffer);
  while (!text.empty() && (static_cast<unsigned char>(text.back()) <= ' ' || text.back() == '.'))
    text.pop_back();
  return text;
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void RaiseLastOSError(DWORD error_code) {
  if (error_code == 0) throw EOSError("A call to an OS function failed", 0);
  throw EOSError(Format("System Error.  Code: %d.\r\n%s", static_cast<unsigned long>(error_code),
                        SysErrorMessage(error_code)),
                 error_code);
}

void RaiseInOutError(const std::string& file_name, DWORD error_code) {
  throw EInOutError(Format("I/O error %d on \"%s\": %s", static_cast<unsigned long>(error_code), file_name,
                           SysErrorMessage(error_code)),
                    error_code);
}

void Assert(bool condition, std::string_view message, std::source_location where) {
  if (condition) return;
  throw EAssertionFailed(
      Format("%s (%s, line %d)", message, ExtractFileName(where.file_name()), where.line()));
}

// ---- Text ---------------------------------------------------------------------------------

namespace {

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The code page's upper-case form of every byte, built once.
const std::array<unsigned char, 256>& AnsiUpperTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    char bytes[256];
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<char>(i);
    CharUpperBuffA(bytes + 1, 255);  // byte 0 would end nothing, but keep it out anyway
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(bytes[i]);
    return t;
  }();
  return table;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

}  // namespace

std::string UpperCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) c = AsciiUpper(c);
  return result;
}

std::string LowerCase(std::string_view s) {
  std::string result(s);
  for (char& c : result) c = AsciiLower(c);
  return result;
}

std::string AnsiUpperCase(std::string_view s) {
  std::string result(s);
  if (!result.empty()) CharUpperBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

std::string AnsiLowerCase(std::string_view s) {
  std::string result(s);
  if (!result.empty()) CharLowerBuffA(result.data(), static_cast<DWORD>(result.size()));
  return result;
}

int CompareText(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = static_cast<unsigned char>(AsciiUpper(a[i])) - static_cast<unsigned char>(AsciiUpper(b[i]));
    if (d) return d;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

int CompareStr(std::string_view a, std::string_view b) {
  int d = a.compare(b);
  return d < 0 ? -1 : d > 0 ? 1 : 0;
}

bool SameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareText(a, b) == 0;
}

int AnsiCompareText(std::string_view a, std::string_view b) {
  const auto& upper = AnsiUpperTable();
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = upper[static_cast<unsigned char>(a[i])] - upper[static_cast<unsigned char>(b[i])];
    if (d) return d;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

bool AnsiSameText(std::string_view a, std::string_view b) {
  return a.size() == b.size() && AnsiCompareText(a, b) == 0;
}

int AnsiCompareStrLocale(std::string_view a, std::string_view b) {
  return CompareStringA(LOCALE_USER_DEFAULT, 0, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) -
         CSTR_EQUAL;
}

std::string Trim(std::string_view s) { return TrimRight(TrimLeft(s)); }

std::string TrimLeft(std::string_view s) {
  size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  return std::string(s.substr(i));
}

std::string TrimRight(std::string_view s) {
  size_t n = s.size();
  while (n > 0 && IsBlank(s[n - 1])) --n;
  return std::string(s.substr(0, n));
}

std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to) {
  if (from.empty()) return std::string(s);
  std::string result;
  size_t start = 0;
  for (size_t at; (at = s.find(from, start)) != std::string_view::npos; start = at + from.size()) {
    result.append(s.substr(start, at - start));
    result.append(to);
  }
  result.append(s.substr(start));
  return result;
}

// ---- Numbers ------------------------------------------------------------------------------

std::string IntToStr(int64_t value) { return std::to_string(value); }

std::string IntToHex(int64_t value, int digits) {
  char buffer[32];
  std::snprintf(buffer, sizeof buffer, "%0*llX", std::clamp(digits, 0, 16),
                static_cast<unsigned long long>(value));
  return buffer;
}

namespace {

// Parses [sign] digits or [sign] '$' hex digits; `limit` is the largest magnitude allowed
// for decimal, `hex_limit` for hexadecimal (which may wrap into the negative range).
bool ParseInteger(std::string_view s, int64_t& value, bool wide) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = i < s.size() && s[i] == '$';
  if (hex) ++i;
  if (i == s.size()) return false;
  uint64_t magnitude = 0;
  const uint64_t max_hex = wide ? UINT64_MAX : 0xFFFFFFFFull;
  for (; i < s.size(); ++i) {
    char c = s[i];
    unsigned digit;
    if (c >= '0' && c <= '9')
      digit = static_cast<unsigned>(c - '0');
    else if (hex && c >= 'a' && c <= 'f')
      digit = static_cast<unsigned>(c - 'a' + 10);
    else if (hex && c >= 'A' && c <= 'F')
      digit = static_cast<unsigned>(c - 'A' + 10);
    else
      return false;
    unsigned base = hex ? 16 : 10;
    if (magnitude > (UINT64_MAX - digit) / base) return false;
    magnitude = magnitude * base + digit;
    if (hex && magnitude > max_hex) return false;
  }
  if (hex) {
    // All bits of the type are usable: $FFFFFFFF is -1 as a 32-bit value.
    int64_t bits = wide ? static_cast<int64_t>(magnitude)
                        : static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(magnitude)));
    value = negative ? -bits : bits;
    return !(negative && bits == INT64_MIN);
  }
  const uint64_t max = wide ? static_cast<uint64_t>(INT64_MAX) : static_cast<uint64_t>(INT32_MAX);
  if (magnitude > max + (negative ? 1 : 0)) return false;
  value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
  return true;
}

[[noreturn]] void RaiseNotInteger(std::string_view s) {
  throw EConvertError("'" + std::string(s) + "' is not a valid integer value");
}

}  // namespace

bool TryStrToInt(std::string_view s, int& value) {
  int64_t v;
  if (!ParseInteger(s, v, false) || v < INT32_MIN || v > INT32_MAX) return false;
  value = static_cast<int>(v);
  return true;
}

bool TryStrToInt64(std::string_view s, int64_t& value) { return ParseInteger(s, value, true); }

int StrToInt(std::string_view s) {
  int v;
  if (!TryStrToInt(s, v)) RaiseNotInteger(s);
  return v;
}

int64_t StrToInt64(std::string_view s) {
  int64_t v;
  if (!TryStrToInt64(s, v)) RaiseNotInteger(s);
  return v;
}

int StrToIntDef(std::string_view s, int default_value) {
  int v;
  return TryStrToInt(s, v) ? v : default_value;
}

namespace {

char LocaleDecimalSeparator() {
  char buffer[8] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buffer, sizeof buffer) > 1) return buffer[0];
  return '.';
}

std::string LocaleShortDateFormat() {
  char buffer[128] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, buffer, sizeof buffer) > 1) return buffer;
  return "dd.MM.yyyy";
}

}  // namespace

char DecimalSeparator = LocaleDecimalSeparator();
std::string ShortDateFormat = LocaleShortDateFormat();

std::string FloatToStr(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "%.15G", value);
  std::string text = buffer;
  // "1.5E+020" / "1E-05" -> "1.5E20" / "1E-5": no plus sign, no leading zeros in exponents.
  size_t e = text.find('E');
  if (e != std::string::npos) {
    std::string mantissa = text.substr(0, e);
    std::string exponent = text.substr(e + 1);
    bool negative = !exponent.empty() && exponent[0] == '-';
    size_t first = exponent.find_first_not_of("+-0");
    exponent = first == std::string::npos ? "0" : exponent.substr(first);
    text = mantissa + "E" + (negative ? "-" : "") + exponent;
  }
  if (text == "-0") text = "0";
  std::replace(text.begin(), text.end(), '.', DecimalSeparator);
  return text;
}

bool TryStrToFloat(std::string_view s, double& value) {
  std::string text = Trim(s);
  // Check the form ourselves (strtod would also take hex, "inf" and the C locale's point).
  std::string plain;
  size_t i = 0;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
  size_t digits = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++], ++digits;
  if (i < text.size() && text[i] == DecimalSeparator) {
    plain += '.';
    ++i;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++], ++digits;
  }
  if (digits == 0) return false;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) plain += text[i++];
    size_t exponent_digits = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') plain += text[i++], ++exponent_digits;
    if (exponent_digits == 0) return false;
  }
  if (i != text.size()) return false;
  const char* begin = plain.c_str();
  if (*begin == '+') ++begin;
  double v = 0;
  auto [end, error] = std::from_chars(begin, plain.c_str() + plain.size(), v);
  if (error != std::errc() || end != plain.c_str() + plain.size()) return false;
  value = v;
  return true;
}

double StrToFloat(std::string_view s) {
  double v;
  if (!TryStrToFloat(s, v))
    throw EConvertError("'" + std::string(s) + "' is not a valid floating point value");
  return v;
}

double StrToFloatDef(std::string_view s, double default_value) {
  double v;
  return TryStrToFloat(s, v) ? v : default_value;
}

namespace {

int64_t CheckedInteger(double rounded) {
  // 2^63 is exact as a double; anything at or beyond it (or NaN) does not fit.
  if (!(rounded >= -9223372036854775808.0 && rounded < 9223372036854775808.0))
    throw EInvalidOp("Invalid floating point operation");
  return static_cast<int64_t>(rounded);
}

}  // namespace

int64_t Round(double value) { return CheckedInteger(std::nearbyint(value)); }

int64_t Trunc(double value) { return CheckedInteger(std::trunc(value)); }

// ---- Format -------------------------------------------------------------------------------

namespace {

[[noreturn]] void RaiseBadFormat(std::string_view format) {
  throw EConvertError("Format '" + std::string(format) + "' invalid or incompatible with argument");
}

std::string Pad(std::string text, int width, bool left) {
  if (width > 0 && static_cast<int>(text.size()) < width) {
    std::string fill(static_cast<size_t>(width) - text.size(), ' ');
    text = left ? text + fill : fill + text;
  }
  return text;
}

// Inserts thousands separators into the integer part of a formatted number.
std::string GroupThousands(const std::string& number) {
  size_t start = number[0] == '-' ? 1 : 0;
  size_t end = number.find_first_not_of("0123456789", start);
  if (end == std::string::npos) end = number.size();
  std::string digits = number.substr(start, end - start);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += DecimalSeparator == ',' ? '.' : ',';
    grouped += digits[i];
  }
  return number.substr(0, start) + grouped + number.substr(end);
}

}  // namespace

std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args) {
  std::string out;
  size_t next_arg = 0;
  auto take = [&](size_t index) -> const TFormatArg& {
    if (index >= args.size()) RaiseBadFormat(format);
    return args[index];
  };
  auto take_int = [&](size_t index) -> int {
    const TFormatArg& a = take(index);
    if (a.GetKind() == TFormatArg::Kind::Signed) return static_cast<int>(a.Signed());
    if (a.GetKind() == TFormatArg::Kind::Unsigned) return static_cast<int>(a.Unsigned());
    RaiseBadFormat(format);
  };
  for (size_t i = 0; i < format.size();) {
    char c = format[i++];
    if (c != '%') {
      out += c;
      continue;
    }
    if (i >= format.size()) RaiseBadFormat(format);
    if (format[i] == '%') {
      out += '%';
      ++i;
      continue;
    }
    // [index:][-][width][.precision]type
    auto read_number = [&](int& number) {
      if (i < format.size() && format[i] == '*') {
        ++i;
        number = take_int(next_arg++);
        return true;
      }
      bool any = false;
      number = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
        number = std::min(number * 10 + (format[i++] - '0'), 100000);
        any = true;
      }
      return any;
    };
    int width = 0, precision = -1;
    bool left = false;
    // An argument index is digits followed by ':' (no '*': that would take an argument).
    size_t digits_end = i;
    while (digits_end < format.size() && format[digits_end] >= '0' && format[digits_end] <= '9') ++digits_end;
    int number;
    if (digits_end > i && digits_end < format.size() && format[digits_end] == ':') {
      read_number(number);
      next_arg = static_cast<size_t>(number);
      ++i;
    }
    if (i < format.size() && format[i] == '-') {
      left = true;
      ++i;
    }
    if (read_number(number)) width = number;
    if (width < 0) {
      left = true;
      width = -width;
    }
    if (i < format.size() && format[i] == '.') {
      ++i;
      if (!read_number(precision)) precision = 0;
      if (precision < 0) precision = -1;
    }
    if (i >= format.size()) RaiseBadFormat(format);
    char type = format[i++];
    const TFormatArg& arg = take(next_arg++);
    using Kind = TFormatArg::Kind;
    std::string text;
    switch (type) {
      case 'd':
      case 'D':
      case 'u':
      case 'U': {
        if (arg.GetKind() != Kind::Signed && arg.GetKind() != Kind::Unsigned) RaiseBadFormat(format);
        bool negative = arg.GetKind() == Kind::Signed && arg.Signed() < 0;
        uint64_t magnitude = arg.GetKind() == Kind::Unsigned ? arg.Unsigned()
                             : negative                      ? 0 - static_cast<uint64_t>(arg.Signed())
                                                             : static_cast<uint64_t>(arg.Signed());
        std::string digits = std::to_string(magnitude);
        if (precision > static_cast<int>(digits.size()))
          digits.insert(0, static_cast<size_t>(precision) - digits.size(), '0');
        text = (negative ? "-" : "") + digits;
        break;
      }
      case 'x':
      case 'X': {
        uint64_t bits;
        if (arg.GetKind() == Kind::Signed) {
          bits = static_cast<uint64_t>(arg.Signed());
          if (arg.Bits() < 64) bits &= (uint64_t{1} << arg.Bits()) - 1;
        } else if (arg.GetKind() == Kind::Unsigned) {
          bits = arg.Unsigned();
        } else {
          RaiseBadFormat(format);
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, type == 'x' ? "%0*llx" : "%0*llX", std::max(precision, 0),
                      static_cast<unsigned long long>(bits));
        text = buffer;
        break;
      }
      case 'f':
      case 'F':
      case 'e':
      case 'E':
      case 'g':
      case 'G':
      case 'n':
      case 'N': {
        if (arg.GetKind() != Kind::Float) RaiseBadFormat(format);
        char spec[8] = {'%', '.', '*', type == 'n' || type == 'N' ? 'f' : type, 0};
        int digits = precision >= 0 ? std::min(precision, 60) : 6;
        char buffer[512];
        std::snprintf(buffer, sizeof buffer, spec, digits, arg.Float());
        text = buffer;
        if (type == 'n' || type == 'N') text = GroupThousands(text);
        if (size_t point = text.find('.'); point != std::string::npos) text[point] = DecimalSeparator;
        break;
      }
      case 's':
      case 'S': {
        if (arg.GetKind() == Kind::Char)
          text = std::string(1, arg.Char());
        else if (arg.GetKind() == Kind::Text)
          text = std::string(arg.Text());
        else
          RaiseBadFormat(format);
        if (precision >= 0 && static_cast<size_t>(precision) < text.size())
          text.resize(static_cast<size_t>(precision));
        break;
      }
      case 'c':
      case 'C':
        if (arg.GetKind() != Kind::Char) RaiseBadFormat(format);
        text = std::string(1, arg.Char());
        break;
      case 'p':
      case 'P': {
        if (arg.GetKind() != Kind::Pointer) RaiseBadFormat(format);
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%016llX",
                      static_cast<unsigned long long>(reinterpret_cast<uintptr_t>(arg.Pointer())));
        text = buffer;
        break;
      }
      default: RaiseBadFormat(format);
    }
    out += Pad(std::move(text), width, left);
  }
  return out;
}

// ---- Files --------------------------------------------------------------------------------

namespace {

bool IsDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

// Index just past the last delimiter (0 when there is none).
size_t NameStart(std::string_view name) {
  for (size_t i = name.size(); i > 0; --i)
    if (IsDelimiter(name[i - 1])) return i;
  return 0;
}

size_t ExtensionStart(std::string_view name) {
  size_t start = NameStart(name);
  size_t dot = name.rfind('.');
  return dot != std::string_view::npos && dot >= start ? dot : name.size();
}

DWORD Attributes(const std::string& name) { return GetFileAttributesW(WideFileName(name).c_str()); }

}  // namespace

std::string ExtractFilePath(std::string_view name) { return std::string(name.substr(0, NameStart(name))); }

std::string ExtractFileDir(std::string_view name) {
  size_t n = NameStart(name);
  // Keep the delimiter of a root ("C:\", "\") and a bare drive ("C:").
  if (n > 0 && name[n - 1] != ':' && n > 1 && name[n - 2] != ':') --n;
  return std::string(name.substr(0, n));
}

std::string ExtractFileName(std::string_view name) { return std::string(name.substr(NameStart(name))); }

std::string ExtractFileExt(std::string_view name) { return std::string(name.substr(ExtensionStart(name))); }

std::string ChangeFileExt(std::string_view name, std::string_view extension) {
  return std::string(name.substr(0, ExtensionStart(name))) + std::string(extension);
}

std::string IncludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (result.empty() || (result.back() != '\\' && result.back() != '/')) result += '\\';
  return result;
}

std::string ExcludeTrailingPathDelimiter(std::string_view path) {
  std::string result(path);
  if (!result.empty() && (result.back() == '\\' || result.back() == '/')) result.pop_back();
  return result;
}

std::string ExpandFileName(std::string_view name) {
  // Wide, so that a folder the code page cannot spell and a long one come back whole.
  const std::wstring source = WideNameAsGiven(name);
  std::wstring buffer(std::max<size_t>(MAX_PATH, source.size() + 1), L'\0');
  for (;;) {
    DWORD n = GetFullPathNameW(source.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (n == 0) return std::string(name);
    if (n < buffer.size()) {
      buffer.resize(n);
      return FileNameFromWide(buffer);
    }
    buffer.resize(n + 1);
  }
}

bool FileExists(const std::string& name) {
  DWORD a = Attributes(name);
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& name) {
  DWORD a = Attributes(name);
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFile(const std::string& name) { return DeleteFileW(WideFileName(name).c_str()) != 0; }

bool RenameFile(const std::string& old_name, const std::string& new_name) {
  return MoveFileW(WideFileName(old_name).c_str(), WideFileName(new_name).c_str()) != 0;
}

bool CreateDir(const std::string& name) { return CreateDirectoryW(WideFileName(name).c_str(), nullptr) != 0; }

bool RemoveDir(const std::string& name) { return RemoveDirectoryW(WideFileName(name).c_str()) != 0; }

bool ForceDirectories(const std::string& name) {
  std::string dir = ExcludeTrailingPathDelimiter(ExpandFileName(name));
  if (dir.empty()) return false;
  if (DirectoryExists(dir)) return true;
  std::string parent = ExtractFileDir(dir);
  if (parent == dir) return false;  // a root that does not exist
  if (!parent.empty() && !ForceDirectories(parent)) return false;
  return CreateDir(dir) || DirectoryExists(dir);
}

std::string GetModuleName(HMODULE module) {
  // Wide: the ANSI call spells a folder outside the code page with other letters ("Lodz").
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(module, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    // A full buffer means the name may have been cut: try again with more room.
    if (n < buffer.size()) {
      buffer.resize(n);
      return FileNameFromWide(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::string ExeFileName() { return GetModuleName(nullptr); }

namespace {

// Skips entries whose special attributes were not asked for.
DWORD FindMatching(TSearchRec& rec, WIN32_FIND_DATAW& data) {
  for (;;) {
    if ((data.dwFileAttributes & rec.ExcludeAttr) == 0) {
      rec.Name = FolderEntryFromWide(rec.Folder, rec.WideFolder, data.cFileName);
      rec.Attr = data.dwFileAttributes;
      rec.Size = static_cast<int64_t>((static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
      return 0;
    }
    if (!FindNextFileW(rec.FindHandle, &data)) return GetLastError();
  }
}

}  // namespace

DWORD FindFirst(const std::string& pattern, DWORD attributes, TSearchRec& rec) {
  rec.ExcludeAttr = ~attributes & (faHidden | faSysFile | faDirectory);
  rec.Folder = ExtractFilePath(pattern);
  rec.WideFolder = WideNameAsGiven(rec.Folder);
  WIN32_FIND_DATAW data;
  rec.FindHandle = FindFirstFileW(WideFileName(pattern).c_str(), &data);
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD result = FindMatching(rec, data);
  if (result != 0) FindClose(rec);
  return result;
}

DWORD FindNext(TSearchRec& rec) {
  WIN32_FIND_DATAW data;
  if (rec.FindHandle == INVALID_HANDLE_VALUE) return ERROR_NO_MORE_FILES;
  if (!FindNextFileW(rec.FindHandle, &data)) return GetLastError();
  return FindMatching(rec, data);
}

void FindClose(TSearchRec& rec) {
  if (rec.FindHandle != INVALID_HANDLE_VALUE) ::FindClose(rec.FindHandle);
  rec.FindHandle = INVALID_HANDLE_VALUE;
}

std::vector<TSearchRec> ListDirectory(const std::string& pattern, DWORD attributes) {
  std::vector<TSearchRec> entries;
  TSearchRec rec;
  for (DWORD result = FindFirst(pattern, attributes, rec); result == 0; result = FindNext(rec)) {
    if (rec.Name == "." || rec.Name == "..") continue;
    TSearchRec entry = rec;
    entry.FindHandle = INVALID_HANDLE_VALUE;
    entries.push_back(std::move(entry));
  }
  FindClose(rec);
  return entries;
}

// ---- Dates --------------------------------------------------------------------------------

namespace {

// Days from 1 January of year 0 (proleptic Gregorian) to the date, and back.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe);
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<int64_t>(yoe) + era * 400 + (month <= 2));
}

const int64_t kDayZero = DaysFromCivil(1899, 12, 30);

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

}  // namespace

TDateTime EncodeDate(int year, int month, int day) {
  static const int days_in_month[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > days_in_month[month - 1] + (month == 2 && IsLeapYear(year)))
    throw EConvertError("Invalid argument to date encode");
  return static_cast<double>(DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) -
                             kDayZero);
}

void DecodeDate(TDateTime date, int& year, int& month, int& day) {
  CivilFromDays(static_cast<int64_t>(std::floor(date)) + kDayZero, year, month, day);
}

TDateTime Date() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return EncodeDate(now.wYear, now.wMonth, now.wDay);
}

TDateTime Now() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  return EncodeDate(now.wYear, now.wMonth, now.wDay) +
         (now.wHour * 3600000.0 + now.wMinute * 60000.0 + now.wSecond * 1000.0 + now.wMilliseconds) /
             86400000.0;
}

std::string DateToStr(TDateTime date) {
  SYSTEMTIME st{};
  int year, month, day;
  DecodeDate(date, year, month, day);
  st.wYear = static_cast<WORD>(year);
  st.wMonth = static_cast<WORD>(month);
  st.wDay = static_cast<WORD>(day);
  char buffer[256];
  int n = GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, ShortDateFormat.c_str(), buffer, sizeof buffer);
  if (n <= 0) return Format("%.4d-%.2d-%.2d", year, month, day);
  return std::string(buffer, static_cast<size_t>(n - 1));
}
