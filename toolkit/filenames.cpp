#include "toolkit/filenames.h"

#include <windows.h>

#include <map>
#include <mutex>

#include "toolkit/textcodec.h"

namespace {

// Names made with '?' for what the code page lacks, and what the system had given: each
// whole name and its folder, so that files beside it are found too.
class TWideNames {
 public:
  // Kept without a trailing backslash, so a folder is found by the names of its files.
  void Remember(std::string name, std::wstring wide) {
    if (name.size() > 1 && IsSeparator(name.back()) && !wide.empty()) name.pop_back(), wide.pop_back();
    std::lock_guard<std::mutex> lock(mutex_);
    names_[std::move(name)] = std::move(wide);
  }
  // The wide form by the longest remembered name that `name` is or lies in; false when none.
  bool Find(std::string_view name, std::wstring& wide) const {
    std::lock_guard<std::mutex> lock(mutex_);
    size_t length = name.size();
    if (length > 1 && IsSeparator(name.back())) --length;
    for (;;) {
      auto found = names_.find(name.substr(0, length));
      if (found != names_.end()) {
        wide = found->second + AnsiToWide(name.substr(length));
        return true;
      }
      if (length < 2) return false;
      length = name.find_last_of("\\/", length - 1);
      if (length == std::string_view::npos || length == 0) return false;
    }
  }

 private:
  static bool IsSeparator(char c) { return c == '\\' || c == '/'; }
  mutable std::mutex mutex_;
  std::map<std::string, std::wstring, std::less<>> names_;
};

TWideNames& WideNames() {
  static TWideNames names;
  return names;
}

// The ANSI form, with '?' for every character the code page lacks; `lossy` tells whether
// there was one (best-fit letters such as "L" for "Ł" would name another file).
std::string ToAnsi(std::wstring_view wide, bool& lossy) {
  BOOL used_default = FALSE;
  std::string ansi;
  if (!wide.empty()) {
    const int length = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?",
                                &used_default);
    ansi.resize(static_cast<size_t>(n));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), length, ansi.data(), n, "?",
                        &used_default);
  }
  lossy = used_default || (!ansi.empty() && AnsiToWide(ansi) != wide);
  return ansi;
}

}  // namespace

std::string FileNameFromWide(std::wstring_view wide) {
  bool lossy = false;
  std::string name = ToAnsi(wide, lossy);
  if (lossy) {
    const size_t slash = wide.find_last_of(L"\\/");
    if (slash != std::wstring_view::npos) {
      const std::wstring folder(wide.substr(0, slash + 1));
      bool folder_lossy = false;
      const std::string ansi_folder = ToAnsi(folder, folder_lossy);
      if (folder_lossy) WideNames().Remember(ansi_folder, folder);
    }
    WideNames().Remember(name, std::wstring(wide));
  }
  return name;
}

std::string FolderEntryFromWide(std::string_view folder, std::wstring_view wide_folder,
                                std::wstring_view entry) {
  bool lossy = false;
  std::string name = ToAnsi(entry, lossy);
  if (lossy)
    WideNames().Remember(std::string(folder) + name, std::wstring(wide_folder) + std::wstring(entry));
  return name;
}

std::wstring WideFileName(std::string_view name) { return LongFormOf(WideNameAsGiven(name)); }

std::wstring WideNameAsGiven(std::string_view name) {
  std::wstring wide;
  if (name.find('?') == std::string_view::npos || name.rfind("\\\\?\\", 0) == 0 ||
      !WideNames().Find(name, wide))
    wide = AnsiToWide(name);
  return wide;
}

std::wstring LongFormOf(std::wstring wide) {
  // A folder may take no more than MAX_PATH - 12 characters in the plain form (room for a
  // file name of 8.3 below it); the files in it need the long form already then.
  if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\?\\", 0) == 0) return wide;
  // The long form is taken as it is: relative parts and '/' must be resolved before.
  std::wstring full(wide.size() + MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return wide;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    full.resize(n + 1);
  }
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}
