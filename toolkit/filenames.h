// File names as the program's strings carry them: in the ANSI code page, like every other
// text it shows. A name the system gives in characters that code page lacks (a folder named
// in Greek, or "Łódź" under a Western code page) shows each of them as '?', which no real
// file name holds; the wide name behind it is remembered, so that the file operations, which
// all go through WideFileName, reach the same file.
#pragma once

#include <string>
#include <string_view>

// The ANSI name of a name the system gave (a module's, a folder's entry, a full path).
std::string FileNameFromWide(std::wstring_view wide);
// The same for an entry found in a folder: `folder` as the caller named it, `wide_folder`
// as the system took it. The entry's name alone is returned.
std::string FolderEntryFromWide(std::string_view folder, std::wstring_view wide_folder,
                                std::wstring_view entry);
// The name for the system's wide-character calls: what FileNameFromWide made comes back as
// the system gave it; a full name too long for the plain form gets the "\\?\" prefix.
std::wstring WideFileName(std::string_view name);
// The same without the "\\?\" prefix.
std::wstring WideNameAsGiven(std::string_view name);
// A wide name of any length in the form the system's calls take ("\\?\" when it is long).
std::wstring LongFormOf(std::wstring wide);
