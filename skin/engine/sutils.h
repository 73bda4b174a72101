// Small helpers the skin engine and the skinned controls share: ini text held in string
// lists, words of a string, numbers, rectangles, folders and the two message shortcuts.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "toolkit/sysutils.h"

class TObject;
class TStrings;

// ---- Ini text in string lists --------------------------------------------------------------

// Clears `sections` and adds one entry per "[name]" header of `lines`, its object a new
// TStringList of the lines below it. Empty lines, ";" comments and lines before the first
// header are dropped. The caller frees the lists (FreeIniSections).
void ReadIniSections(const TStrings& lines, TStrings& sections);
// Frees the lists ReadIniSections made and clears `sections`.
void FreeIniSections(TStrings& sections);
// The text after "key=" in the section (both names without case); the default when missing.
std::string ReadSectionString(const TStrings& sections, std::string_view section, std::string_view key,
                              const std::string& default_value);
// Decimal, "$1F" or "0x1F"; the default when missing or not a number.
int ReadSectionInteger(const TStrings& sections, std::string_view section, std::string_view key,
                       int default_value);

// ---- Words ---------------------------------------------------------------------------------
// A word is a maximal run of characters not in `delims`.

int WordCount(std::string_view s, std::string_view delims);
// 1-based position of the n-th word's first character; 0 when there are fewer words.
int WordPosition(int n, std::string_view s, std::string_view delims);
std::string ExtractWord(int n, std::string_view s, std::string_view delims);
bool IsWordPresent(std::string_view word, std::string_view s, std::string_view delims);
std::string DelChars(std::string_view s, char c);

// ---- Conditionals and numbers --------------------------------------------------------------

inline int iffi(bool flag, int a, int b) { return flag ? a : b; }
inline std::string iffs(bool flag, const std::string& a, const std::string& b) { return flag ? a : b; }
inline TObject* iffo(bool flag, TObject* a, TObject* b) { return flag ? a : b; }
inline bool Between(int value, int min, int max) { return min <= value && value <= max; }
// a percent of the way from b to 100: Round(b + (100 - b) * a / 100).
int SumPercent(int a, int b);
inline int MaxInt2(int a, int b) { return a > b ? a : b; }
inline int MinInt2(int a, int b) { return a < b ? a : b; }
inline void SwapInt(int& a, int& b) {
  int t = a;
  a = b;
  b = t;
}

// ---- Rectangles (right and bottom exclusive) -----------------------------------------------

inline int WidthOf(const RECT& r) { return r.right - r.left; }
inline int HeightOf(const RECT& r) { return r.bottom - r.top; }
// False when they only touch or r2 is empty.
bool RectsOverlap(const RECT& r1, const RECT& r2);
// Both corners of inner lie in outer by the point-in-rectangle test (right and bottom edges
// excluded).
bool RectInRect(const RECT& outer, const RECT& inner);

// ---- Folders -------------------------------------------------------------------------------

// The executable's folder with its trailing delimiter.
std::string GetAppPath();
// DirectoryExists is the toolkit's (toolkit/sysutils.h).
// A folder ending in "\": "" stays, "x/" becomes "x\", "C" becomes "C:\".
std::string NormalDir(std::string_view path);

// ---- Messages ------------------------------------------------------------------------------

enum TsMessageKind { smkWarning, smkError };
using TsMessageProc = void (*)(const std::string& text, TsMessageKind kind);
// Where ShowWarning and ShowError go: a plain message box until the skinned dialog is set.
extern TsMessageProc SkinMessageProc;
void ShowWarning(const std::string& text);
void ShowError(const std::string& text);
