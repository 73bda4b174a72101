#include "toolkit/resstrings.h"

#include <algorithm>
#include <array>

#include "toolkit/textcodec.h"

// The linker's symbol for the start of this image, i.e. its module handle.
extern "C" IMAGE_DOS_HEADER __ImageBase;

HMODULE HInstance = reinterpret_cast<HMODULE>(&__ImageBase);

std::vector<HMODULE> ResourceModules() { return {HInstance}; }

std::wstring LoadStringWhole(HMODULE module, UINT identifier) {
  // String-table numbers are 16 bits; a larger one would be cut to another string's number.
  if (!module || identifier > 0xFFFF) return {};
  const wchar_t* text = nullptr;
  int length = LoadStringW(module, identifier, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text) return {};
  return std::wstring(text, static_cast<size_t>(length));
}

std::wstring ResStringTextW(const TResStringRec* rec) {
  if (!rec || !rec->module) return {};
  return LoadStringWhole(*rec->module, rec->identifier);
}

std::wstring ModuleStringTextW(UINT identifier) {
  for (HMODULE module : ResourceModules()) {
    std::wstring text = LoadStringWhole(module, identifier);
    if (!text.empty()) return text;
  }
  return {};
}

TK_PATCHABLE std::string LoadResString(const TResStringRec* rec) { return WideToAnsi(ResStringTextW(rec)); }

TK_PATCHABLE std::string SysUtilsLoadStr(UINT identifier) {
  return WideToAnsi(ModuleStringTextW(identifier));
}

TK_PATCHABLE std::string SysUtilsFmtLoadStr(UINT identifier, std::span<const TFormatArg> args) {
  return FormatArgs(WideToAnsi(ModuleStringTextW(identifier)), args);
}

std::string FormatLoadStrArgs(UINT identifier, std::span<const TFormatArg> args) {
  try {
    return FormatArgs(LoadStr(identifier), args);
  } catch (const EConvertError&) {
    return FormatArgs(WideToAnsi(ModuleStringTextW(identifier)), args);
  }
}

std::string LoadResStringFitting(const TResStringRec* rec, bool (*fits)(std::string_view)) {
  std::string text = LoadResString(rec);
  return fits(text) ? text : WideToAnsi(ResStringTextW(rec));
}

std::string LoadResFileName(const TResStringRec* rec) { return LoadResStringFitting(rec, IsPlainFileName); }

std::string RefusedResFileName(const TResStringRec* rec) {
  std::string text = LoadResString(rec);
  return IsPlainFileName(text) ? std::string() : text;
}

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (char c : name)
    if (static_cast<unsigned char>(c) < ' ' ||
        std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos)
      return false;
  // A device answers to its name with any extension.
  const std::string base = TrimRight(UpperCase(name.substr(0, name.find('.'))));
  static constexpr std::array<std::string_view, 6> kDevices = {"CON", "PRN",    "AUX",
                                                               "NUL", "CONIN$", "CONOUT$"};
  if (std::find(kDevices.begin(), kDevices.end(), base) != kDevices.end()) return false;
  const bool numbered = base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
                        base[3] >= '0' && base[3] <= '9';
  return !numbered;
}
