// The skin loaders: fill the tables of sskintables.h from a skin folder (Options.dat with BMP
// and JPEG files) or from a skin stored with the manager, then add the manager's common
// sections. A skin folder is untrusted: entries that do not make sense (bad numbers,
// rectangles outside the master bitmap, frames of no size, broken or cut images) are left
// out and loading goes on; percentages and transparencies are clamped to 0..100.
#pragma once

#include <string>

class TMemIniFile;
class TStrings;
class TsStoredSkin;

// Where a skin comes from: the folder skin when ini is set, else the stored skin (none: the
// tables stay empty and the common sections are not added either).
struct TsSkinSource {
  TMemIniFile* ini = nullptr;
  std::string path;  // the folder with a trailing backslash
  TsStoredSkin* stored = nullptr;
  const TStrings* common_sections = nullptr;
};
// The default manager's: SkinData's ini and path, else its internal skin named SkinName.
TsSkinSource CurrentSkinSource();

// Each empties its table first.
void LoadAllMasks(const TsSkinSource& source);
void LoadAllPatterns(const TsSkinSource& source);
void LoadAllGeneralData(const TsSkinSource& source);
inline void LoadAllMasks() { LoadAllMasks(CurrentSkinSource()); }
inline void LoadAllPatterns() { LoadAllPatterns(CurrentSkinSource()); }
inline void LoadAllGeneralData() { LoadAllGeneralData(CurrentSkinSource()); }

// Reads the Options.dat of a skin folder (path with a trailing backslash). Null, with the
// reason in fault, when it cannot be read or holds what no real skin has: a file over 4 MB,
// a section or key name over 256 bytes, a key with its value over 64 KB, over 2,000
// sections, over 4,000 pictures (keys naming an image file or a rectangle of the master
// bitmap) or over 1,000 image file names, a gradient of over 256 steps, a chain of over 64 sections
// through ParentClassName (a cycle counts its whole length), or a JPEG file of more scans than
// any encoder writes (kMaxJpegScans).
TMemIniFile* OpenSkinFolder(const std::string& folder, std::string& fault);
// The engine's warning for a folder OpenSkinFolder refused, in the interface's language.
std::string SkinFolderNotUsed(const std::string& folder, const std::string& fault);

// A value of the section or, when missing, of its ParentClassName ancestors (a chain that
// comes back to a section already asked ends there); the default when none has it. For
// integers an explicit -1 counts as missing. ini null: SkinData's.
std::string ReadSkinString(const std::string& section, const std::string& key,
                           const std::string& default_value, TMemIniFile* ini = nullptr);
int ReadSkinInteger(const std::string& section, const std::string& key, int default_value,
                    TMemIniFile* ini = nullptr);
