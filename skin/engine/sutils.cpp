// Helpers shared by the skin engine and the skinned controls.
#include "skin/engine/sutils.h"

#include <cmath>

#include "toolkit/forms.h"
#include "toolkit/strings.h"

// ---- Ini text in string lists --------------------------------------------------------------

void ReadIniSections(const TStrings& lines, TStrings& sections) {
  sections.Clear();
  TStringList* current = nullptr;
  for (int i = 0; i < lines.Count(); ++i) {
    const std::string line = lines.Get(i);
    if (line.empty() || line[0] == ';') continue;
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = new TStringList;
      sections.AddObject(line.substr(1, line.size() - 2), current);
    } else if (current) {
      current->Add(line);
    }
  }
}

void FreeIniSections(TStrings& sections) {
  for (int i = 0; i < sections.Count(); ++i) delete sections.Objects(i);
  sections.Clear();
}

std::string ReadSectionString(const TStrings& sections, std::string_view section, std::string_view key,
                              const std::string& default_value) {
  const int s = sections.IndexOf(section);
  if (s < 0) return default_value;
  auto* list = static_cast<TStrings*>(sections.Objects(s));
  if (!list) return default_value;
  const int k = list->IndexOfName(key);
  return k < 0 ? default_value : list->ValueFromIndex(k);
}

int ReadSectionInteger(const TStrings& sections, std::string_view section, std::string_view key,
                       int default_value) {
  std::string text = ReadSectionString(sections, section, key, std::string());
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text.replace(0, 2, "$");
  int value = 0;
  return TryStrToInt(text, value) ? value : default_value;
}

// ---- Words ---------------------------------------------------------------------------------

namespace {

bool IsDelim(char c, std::string_view delims) { return delims.find(c) != std::string_view::npos; }

// Start (0-based) and length of the n-th word; npos when there is none.
std::pair<size_t, size_t> FindWord(int n, std::string_view s, std::string_view delims) {
  int count = 0;
  size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsDelim(s[i], delims)) ++i;
    if (i >= s.size()) break;
    size_t start = i;
    while (i < s.size() && !IsDelim(s[i], delims)) ++i;
    if (++count == n) return {start, i - start};
  }
  return {std::string_view::npos, 0};
}

}  // namespace

int WordCount(std::string_view s, std::string_view delims) {
  int count = 0;
  bool in_word = false;
  for (char c : s) {
    bool delim = IsDelim(c, delims);
    if (!delim && !in_word) ++count;
    in_word = !delim;
  }
  return count;
}

int WordPosition(int n, std::string_view s, std::string_view delims) {
  auto [start, length] = FindWord(n, s, delims);
  return start == std::string_view::npos ? 0 : static_cast<int>(start) + 1;
}

std::string ExtractWord(int n, std::string_view s, std::string_view delims) {
  auto [start, length] = FindWord(n, s, delims);
  return start == std::string_view::npos ? std::string() : std::string(s.substr(start, length));
}

bool IsWordPresent(std::string_view word, std::string_view s, std::string_view delims) {
  const int count = WordCount(s, delims);
  for (int i = 1; i <= count; ++i)
    if (ExtractWord(i, s, delims) == word) return true;
  return false;
}

std::string DelChars(std::string_view s, char c) {
  std::string result;
  result.reserve(s.size());
  for (char ch : s)
    if (ch != c) result += ch;
  return result;
}

// ---- Numbers and rectangles ----------------------------------------------------------------

// Halves go to the even neighbour, as every percentage mix of the skin engine rounds.
int SumPercent(int a, int b) { return static_cast<int>(std::nearbyint(b + (100.0 - b) * a / 100.0)); }

bool RectsOverlap(const RECT& r1, const RECT& r2) {
  if (r2.bottom <= r1.top || r2.right <= r1.left || r2.left >= r1.right || r2.top >= r1.bottom) return false;
  return r2.right > r2.left && r2.bottom > r2.top;
}

bool RectInRect(const RECT& outer, const RECT& inner) {
  auto in = [&](LONG x, LONG y) {
    return x >= outer.left && x < outer.right && y >= outer.top && y < outer.bottom;
  };
  return in(inner.left, inner.top) && in(inner.right, inner.bottom);
}

// ---- Folders -------------------------------------------------------------------------------

std::string GetAppPath() { return ExtractFilePath(ExeFileName()); }

std::string NormalDir(std::string_view path) {
  std::string result(path);
  if (result.empty() || result.back() == '\\') return result;
  if (result.back() == '/') {
    result.back() = '\\';
    return result;
  }
  if (result.size() == 1) result += ':';
  result += '\\';
  return result;
}

// ---- Messages ------------------------------------------------------------------------------

namespace {

void PlainMessage(const std::string& text, TsMessageKind kind) {
  UINT icon = kind == smkError ? MB_ICONERROR : MB_ICONWARNING;
  if (Application)
    Application->MessageBox(text, Application->GetTitle(), MB_OK | icon);
  else
    MessageBoxA(nullptr, text.c_str(), "", MB_OK | icon);
}

}  // namespace

TsMessageProc SkinMessageProc = PlainMessage;

void ShowWarning(const std::string& text) {
  (SkinMessageProc ? SkinMessageProc : PlainMessage)(text, smkWarning);
}
void ShowError(const std::string& text) {
  (SkinMessageProc ? SkinMessageProc : PlainMessage)(text, smkError);
}
