// Run-time library: exceptions, text and number conversions, file names and files, dates,
// Format and rounding. Text is bytes in the ANSI code page (std::string).
#pragma once

#include <windows.h>
// The Win32 macro would rename our DeleteFile below; Win32 callers use DeleteFileA.
#undef DeleteFile

#include <array>
#include <cstdint>
#include <source_location>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// ---- Exceptions ---------------------------------------------------------------------------

// Base of every exception the toolkit and the program raise; Message is the text shown to
// the user by the application's error handler.
class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const { return message_; }
  void SetMessage(std::string message) { message_ = std::move(message); }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const { return "Exception"; }

 private:
  std::string message_;
};

// Declares an exception class that takes its base's constructors and reports its own name.
#define TK_EXCEPTION(Name, Base)                             \
  class Name : public Base {                                 \
   public:                                                   \
    using Base::Base;                                        \
    const char* ClassName() const override { return #Name; } \
  };

TK_EXCEPTION(EConvertError, Exception)
TK_EXCEPTION(EAssertionFailed, Exception)
TK_EXCEPTION(EListError, Exception)
TK_EXCEPTION(EStringListError, EListError)
TK_EXCEPTION(EMathError, Exception)
TK_EXCEPTION(EInvalidOp, EMathError)
TK_EXCEPTION(EStreamError, Exception)
TK_EXCEPTION(EReadError, EStreamError)
TK_EXCEPTION(EWriteError, EStreamError)
TK_EXCEPTION(EFOpenError, EStreamError)
TK_EXCEPTION(EFCreateError, EStreamError)
TK_EXCEPTION(EResNotFound, Exception)

// A failed operating-system call; ErrorCode is the GetLastError value.
class EOSError : public Exception {
 public:
  EOSError(std::string message, DWORD error_code) : Exception(std::move(message)), error_code_(error_code) {}
  DWORD ErrorCode() const { return error_code_; }
  const char* ClassName() const override { return "EOSError"; }

 private:
  DWORD error_code_;
};

// A failed file operation; ErrorCode is the operating system's error code.
class EInOutError : public Exception {
 public:
  EInOutError(std::string message, DWORD error_code)
      : Exception(std::move(message)), error_code_(error_code) {}
  DWORD ErrorCode() const { return error_code_; }
  const char* ClassName() const override { return "EInOutError"; }

 private:
  DWORD error_code_;
};

// The system's text for an error code, without the trailing line break and full stop.
std::string SysErrorMessage(DWORD error_code);
// Raises EOSError for GetLastError() (read first thing, before anything can reset it).
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD error_code);
// Raises EInOutError for an error code, naming the file concerned.
[[noreturn]] void RaiseInOutError(const std::string& file_name, DWORD error_code);

// Raises EAssertionFailed with the message and the caller's source position when the
// condition is false; stays active in release builds.
void Assert(bool condition, std::string_view message = "Assertion failed",
            std::source_location where = std::source_location::current());

// ---- Text ---------------------------------------------------------------------------------

// ASCII-only case mapping: bytes above 127 are left alone.
std::string UpperCase(std::string_view s);
std::string LowerCase(std::string_view s);
// Case mapping of the ANSI code page (umlauts included).
std::string AnsiUpperCase(std::string_view s);
std::string AnsiLowerCase(std::string_view s);

// Compares by the upper-case codes of ASCII letters; <0, 0 or >0.
int CompareText(std::string_view a, std::string_view b);
// Plain byte comparison; <0, 0 or >0.
int CompareStr(std::string_view a, std::string_view b);
bool SameText(std::string_view a, std::string_view b);
// Compares with the ANSI code page's upper-case mapping, byte by byte: a strict order that
// places letters the same with either case, usable for sorting and binary search.
int AnsiCompareText(std::string_view a, std::string_view b);
bool AnsiSameText(std::string_view a, std::string_view b);
// Compares by the user's locale (linguistic order, for display).
int AnsiCompareStrLocale(std::string_view a, std::string_view b);

// Remove blanks and control characters (every byte up to ' ') from the ends.
std::string Trim(std::string_view s);
std::string TrimLeft(std::string_view s);
std::string TrimRight(std::string_view s);

std::string StringReplaceAll(std::string_view s, std::string_view from, std::string_view to);

// ---- Numbers ------------------------------------------------------------------------------

std::string IntToStr(int64_t value);
// Upper-case hexadecimal with at least `digits` digits (negative values as two's complement).
std::string IntToHex(int64_t value, int digits);

// Decimal with an optional sign, or hexadecimal after '$' (also "-$1F"); no blanks. A
// hexadecimal 32-bit value may use all 32 bits ("$FFFFFFFF" is -1), as colours do.
bool TryStrToInt(std::string_view s, int& value);
bool TryStrToInt64(std::string_view s, int64_t& value);
// Raise EConvertError "'s' is not a valid integer value".
int StrToInt(std::string_view s);
int64_t StrToInt64(std::string_view s);
int StrToIntDef(std::string_view s, int default_value);

// The locale's decimal separator, read once from the user's locale; may be set (tests do).
extern char DecimalSeparator;

// Up to 15 significant digits, no trailing zeros, exponent form for very large or small
// values ("1E20", "1E-5"), with DecimalSeparator.
std::string FloatToStr(double value);
// Optional blanks, sign, digits with DecimalSeparator, optional exponent; raises
// EConvertError "'s' is not a valid floating point value".
double StrToFloat(std::string_view s);
bool TryStrToFloat(std::string_view s, double& value);
double StrToFloatDef(std::string_view s, double default_value);

// Rounds to the nearest integer, halves to even (the FPU's default mode); raises EInvalidOp
// for values that do not fit or are not numbers.
int64_t Round(double value);
// Drops the fraction; raises EInvalidOp like Round.
int64_t Trunc(double value);

// ---- Format -------------------------------------------------------------------------------

// One argument of Format, keeping its type so a mismatched directive is reported, not
// misread.
class TFormatArg {
 public:
  enum class Kind { Signed, Unsigned, Float, Text, Char, Pointer };

  template <class T>
  requires(std::is_integral_v<T> && !std::is_same_v<T, bool> && !std::is_same_v<T, char>)
      TFormatArg(T value) {
    if constexpr (std::is_signed_v<T>) {
      kind_ = Kind::Signed;
      int_ = static_cast<int64_t>(value);
    } else {
      kind_ = Kind::Unsigned;
      uint_ = static_cast<uint64_t>(value);
    }
    bits_ = sizeof(T) * 8;
  }
  TFormatArg(bool) = delete;
  TFormatArg(char value) : kind_(Kind::Char), char_(value) {}
  TFormatArg(double value) : kind_(Kind::Float), float_(value) {}
  TFormatArg(float value) : kind_(Kind::Float), float_(value) {}
  TFormatArg(long double value) : kind_(Kind::Float), float_(static_cast<double>(value)) {}
  TFormatArg(const char* value) : kind_(Kind::Text), text_(value ? value : "") {}
  TFormatArg(char* value) : TFormatArg(static_cast<const char*>(value)) {}
  TFormatArg(const std::string& value) : kind_(Kind::Text), text_(value) {}
  TFormatArg(std::string_view value) : kind_(Kind::Text), text_(value) {}
  TFormatArg(const void* value) : kind_(Kind::Pointer), pointer_(value) {}

  Kind GetKind() const { return kind_; }
  int Bits() const { return bits_; }
  int64_t Signed() const { return int_; }
  uint64_t Unsigned() const { return uint_; }
  double Float() const { return float_; }
  std::string_view Text() const { return text_; }
  char Char() const { return char_; }
  const void* Pointer() const { return pointer_; }

 private:
  Kind kind_;
  int bits_ = 0;
  int64_t int_ = 0;
  uint64_t uint_ = 0;
  double float_ = 0;
  char char_ = 0;
  std::string_view text_;
  const void* pointer_ = nullptr;
};

std::string FormatArgs(std::string_view format, std::span<const TFormatArg> args);

// printf-like formatting with typed arguments:
//   %[index:][-][width][.precision]type, width and precision may be '*' (an integer argument)
//   d, u   integers (precision: at least that many digits)
//   x, X   hexadecimal (negative values as two's complement of their own width)
//   f, e, g, n   floating point (precision default 6 for f and e; n adds thousands
//                separators), with DecimalSeparator
//   s      text or a character (precision: at most that many characters)
//   c      a character
//   p      a pointer
//   %%     a percent sign
// A directive that does not fit its argument, or a missing argument, raises EConvertError.
template <class... Args>
std::string Format(std::string_view format, const Args&... args) {
  const std::array<TFormatArg, sizeof...(Args)> list{TFormatArg(args)...};
  return FormatArgs(format, list);
}

// ---- Files --------------------------------------------------------------------------------

// File names take '\', '/' and the drive's ':' as delimiters.
std::string ExtractFilePath(std::string_view name);  // up to and including the last delimiter
std::string ExtractFileDir(std::string_view name);   // the same without a trailing '\' (not of a root)
std::string ExtractFileName(std::string_view name);
std::string ExtractFileExt(std::string_view name);  // with the dot; empty when there is none
std::string ChangeFileExt(std::string_view name, std::string_view extension);
std::string IncludeTrailingPathDelimiter(std::string_view path);
std::string ExcludeTrailingPathDelimiter(std::string_view path);
std::string ExpandFileName(std::string_view name);  // full path name

bool FileExists(const std::string& name);       // an existing file, not a directory
bool DirectoryExists(const std::string& name);  // an existing directory
bool DeleteFile(const std::string& name);
bool RenameFile(const std::string& old_name, const std::string& new_name);
bool CreateDir(const std::string& name);
bool RemoveDir(const std::string& name);
// Creates a directory and any missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& name);

// The full file name of a module (of the executable for null).
std::string GetModuleName(HMODULE module);
std::string ExeFileName();

// File attributes for the directory search.
enum : DWORD {
  faReadOnly = FILE_ATTRIBUTE_READONLY,
  faHidden = FILE_ATTRIBUTE_HIDDEN,
  faSysFile = FILE_ATTRIBUTE_SYSTEM,
  faDirectory = FILE_ATTRIBUTE_DIRECTORY,
  faArchive = FILE_ATTRIBUTE_ARCHIVE,
  faAnyFile = 0x3F,
};

// One entry of a directory search.
struct TSearchRec {
  std::string Name;  // without the folder
  DWORD Attr = 0;
  int64_t Size = 0;
  HANDLE FindHandle = INVALID_HANDLE_VALUE;
  DWORD ExcludeAttr = 0;
  std::string Folder;  // of the pattern, as given and as the system takes it
  std::wstring WideFolder;
};

// Searches `pattern` (a folder and wildcards). Normal files are always found; hidden, system
// files and directories only when their attribute is in `attributes`. Return 0 with `rec`
// filled, or the error code (ERROR_FILE_NOT_FOUND, ERROR_NO_MORE_FILES ...). Every
// successful FindFirst needs a FindClose.
DWORD FindFirst(const std::string& pattern, DWORD attributes, TSearchRec& rec);
DWORD FindNext(TSearchRec& rec);
void FindClose(TSearchRec& rec);
// All entries of a search at once (without "." and ".."), in the order the system gives them.
std::vector<TSearchRec> ListDirectory(const std::string& pattern, DWORD attributes);

// ---- Dates --------------------------------------------------------------------------------

// Days since 30 December 1899, the fraction being the time of day.
using TDateTime = double;

TDateTime EncodeDate(int year, int month, int day);  // raises EConvertError for an invalid date
void DecodeDate(TDateTime date, int& year, int& month, int& day);
TDateTime Date();  // today, local time
TDateTime Now();

// The locale's short date picture (for example "dd.MM.yyyy"), read once; may be set.
extern std::string ShortDateFormat;
// The date in ShortDateFormat.
std::string DateToStr(TDateTime date);
