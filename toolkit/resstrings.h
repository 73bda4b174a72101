// Resource strings: the program's texts, file names and ini keys live in the string table
// of the executable, identified by module and number, and every load goes through one of
// three central loaders (LoadResString, SysUtilsLoadStr, SysUtilsFmtLoadStr).
//
// The translation runtime redirects those three by writing a 5-byte relative jump over
// their first bytes at start-up (and writing the saved bytes back at shut-down). For that
// to reach every caller, the loaders are built with TK_PATCHABLE: no inlining, cloning or
// other inter-procedural change may bypass their entry, and the entry starts with five
// bytes of no-ops to overwrite. Its replacements load the text with the helpers below,
// which are not redirected.
#pragma once

#include <windows.h>

#include <array>
#include <span>
#include <string>
#include <vector>

#include "toolkit/sysutils.h"

#define TK_PATCHABLE __attribute__((noipa, patchable_function_entry(5)))

// The executable's module handle, for the records of its resource strings.
extern HMODULE HInstance;

// One resource string: the module that owns it and its number in that module's string table.
struct TResStringRec {
  HMODULE* module;
  UINT identifier;
};

// Declares the record of a string of this executable's string table:
//   TK_RESOURCESTRING(SDeleteRecord, IDS_DELETE_RECORD);
//   MessageBoxA(wnd, LoadResString(&SDeleteRecord).c_str(), ...);
#define TK_RESOURCESTRING(Name, Identifier) \
  inline constexpr TResStringRec Name { &HInstance, Identifier }

// --- The three loaders ------------------------------------------------------------------------
// Texts come back in the ANSI code page, whole whatever their length; a missing string, a
// null record and a number beyond the string table's range (above 65535) give "".

TK_PATCHABLE std::string LoadResString(const TResStringRec* rec);
// The first non-empty text under the number among the resource modules.
TK_PATCHABLE std::string SysUtilsLoadStr(UINT identifier);
// SysUtilsLoadStr's text formatted with the arguments (see Format; its errors are raised).
TK_PATCHABLE std::string SysUtilsFmtLoadStr(UINT identifier, std::span<const TFormatArg> args);

inline std::string LoadStr(UINT identifier) { return SysUtilsLoadStr(identifier); }
template <class... Args>
std::string FmtLoadStr(UINT identifier, const Args&... args) {
  const std::array<TFormatArg, sizeof...(Args)> list{TFormatArg(args)...};
  return SysUtilsFmtLoadStr(identifier, list);
}

// --- Translated texts the program relies on ------------------------------------------------------
// A catalog comes from anyone; where its translation would break the program's own use of a
// text, the original (the string table's text) is used instead.

// The translated template formatted with the arguments. A translation that does not fit them
// (a bad '%' directive) gives the original template formatted, so the message still says
// what happened.
std::string FormatLoadStrArgs(UINT identifier, std::span<const TFormatArg> args);
template <class... Args>
std::string FormatLoadStr(UINT identifier, const Args&... args) {
  const std::array<TFormatArg, sizeof...(Args)> list{TFormatArg(args)...};
  return FormatLoadStrArgs(identifier, list);
}

// The resource string's translation when `fits` accepts it, otherwise its original text.
std::string LoadResStringFitting(const TResStringRec* rec, bool (*fits)(std::string_view));
// A resource string that names a file in a known folder: its translation when that is a plain
// file name, otherwise the original, so no catalog can point the program at another folder
// ("..\\x"), a drive, a device ("NUL") or no file at all.
std::string LoadResFileName(const TResStringRec* rec);
// The catalog's name that LoadResFileName did not take; empty when it took it or there is none.
std::string RefusedResFileName(const TResStringRec* rec);
// A name of one file: not empty, no folder, drive or wildcard, no control character, and
// not a device ("CON", "NUL", "COM1.txt", ...).
bool IsPlainFileName(std::string_view name);

// --- Loading without the loaders (for their replacements) --------------------------------------

// The modules whose string tables SysUtilsLoadStr searches, in order: the executable.
std::vector<HMODULE> ResourceModules();
// One module's string, UTF-16 as stored, read in place from the resource (no buffer that
// could cut it short).
std::wstring LoadStringWhole(HMODULE module, UINT identifier);
// The record's text as UTF-16.
std::wstring ResStringTextW(const TResStringRec* rec);
// The first non-empty text under the number among ResourceModules(), as UTF-16.
std::wstring ModuleStringTextW(UINT identifier);
