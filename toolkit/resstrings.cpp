#include "toolkit/resstrings.h"

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
