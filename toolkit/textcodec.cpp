#include "toolkit/textcodec.h"

#include <windows.h>

#include "toolkit/sysutils.h"

namespace {

// Decodes one code point at bytes[i], advancing i; false for a malformed sequence.
bool DecodeUtf8(std::string_view bytes, size_t& i, char32_t& code) {
  unsigned char lead = static_cast<unsigned char>(bytes[i]);
  if (lead < 0x80) {
    code = lead;
    ++i;
    return true;
  }
  int extra;
  char32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1, code = lead & 0x1F, minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2, code = lead & 0x0F, minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3, code = lead & 0x07, minimum = 0x10000;
  } else {
    return false;  // continuation byte as lead, C0/C1 overlong leads, F5..FF
  }
  if (bytes.size() - i <= static_cast<size_t>(extra)) return false;
  for (int k = 1; k <= extra; ++k) {
    unsigned char next = static_cast<unsigned char>(bytes[i + static_cast<size_t>(k)]);
    if ((next & 0xC0) != 0x80) return false;
    code = (code << 6) | (next & 0x3F);
  }
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  i += static_cast<size_t>(extra) + 1;
  return true;
}

void AppendUtf16(std::wstring& out, char32_t code) {
  if (code < 0x10000) {
    out += static_cast<wchar_t>(code);
  } else {
    code -= 0x10000;
    out += static_cast<wchar_t>(0xD800 + (code >> 10));
    out += static_cast<wchar_t>(0xDC00 + (code & 0x3FF));
  }
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) {
  char32_t code;
  for (size_t i = 0; i < bytes.size();)
    if (!DecodeUtf8(bytes, i, code)) return false;
  return true;
}

bool TryUtf8ToWide(std::string_view bytes, std::wstring& wide) {
  std::wstring out;
  out.reserve(bytes.size());
  char32_t code;
  for (size_t i = 0; i < bytes.size();) {
    if (!DecodeUtf8(bytes, i, code)) return false;
    AppendUtf16(out, code);
  }
  wide = std::move(out);
  return true;
}

std::wstring Utf8ToWide(std::string_view bytes) {
  std::wstring wide;
  if (!TryUtf8ToWide(bytes, wide)) throw EConvertError("The text is not valid UTF-8");
  return wide;
}

std::string WideToUtf8(std::wstring_view wide) {
  std::string out;
  out.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t unit = static_cast<char16_t>(wide[i]);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < wide.size() && wide[i + 1] >= 0xDC00 &&
        wide[i + 1] <= 0xDFFF) {
      unit = 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(wide[i + 1]) - 0xDC00);
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      unit = 0xFFFD;
    }
    AppendUtf8(out, unit);
  }
  return out;
}

std::wstring AnsiToWide(std::string_view ansi) {
  if (ansi.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return wide;
}

std::string WideToAnsi(std::wstring_view wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                              nullptr, 0, nullptr, nullptr);
  std::string ansi(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), ansi.data(),
                      n, nullptr, nullptr);
  return ansi;
}

std::string Utf8ToAnsi(std::string_view bytes) { return WideToAnsi(Utf8ToWide(bytes)); }

std::string AnsiToUtf8(std::string_view ansi) { return WideToUtf8(AnsiToWide(ansi)); }
