// Conversions between the ANSI code page, UTF-8 and UTF-16. Catalog texts and other outside
// data arrive as UTF-8 and must be checked before they are trusted.
#pragma once

#include <string>
#include <string_view>

// True when the bytes are well-formed UTF-8: no stray or missing continuation bytes, no
// overlong forms, no surrogate code points, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// Strict UTF-8 to UTF-16: false (output untouched) for bytes that are not valid UTF-8.
bool TryUtf8ToWide(std::string_view bytes, std::wstring& wide);
// The same, raising EConvertError for invalid UTF-8.
std::wstring Utf8ToWide(std::string_view bytes);
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string WideToUtf8(std::wstring_view wide);

// The ANSI code page (CP_ACP) to and from UTF-16; characters the code page lacks become '?'.
std::wstring AnsiToWide(std::string_view ansi);
std::string WideToAnsi(std::wstring_view wide);
// UTF-8 to the ANSI code page, raising EConvertError for invalid UTF-8.
std::string Utf8ToAnsi(std::string_view bytes);
std::string AnsiToUtf8(std::string_view ansi);
