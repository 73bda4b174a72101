#include "app/settings.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "app/atomicsave.h"
#include "app/signal.h"
#include "resources/resource_ids.h"
#include "toolkit/filenames.h"
#include "toolkit/inifiles.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

namespace {

TK_RESOURCESTRING(SSection, IDS_SETTINGS_SECTION);
TK_RESOURCESTRING(SComPort, IDS_SETTINGS_COMPORT);
TK_RESOURCESTRING(SContact, IDS_SETTINGS_CONTACT);
TK_RESOURCESTRING(SAlgorithm, IDS_SETTINGS_ALGORITHM);
TK_RESOURCESTRING(SCountDown, IDS_SETTINGS_COUNTDOWN);
TK_RESOURCESTRING(SLapNum, IDS_SETTINGS_LAPNUM);
TK_RESOURCESTRING(SProtocolTitle, IDS_SETTINGS_PROTOCOL_TITLE);
TK_RESOURCESTRING(SProtocolSign, IDS_SETTINGS_PROTOCOL_SIGN);

// "LapNum" holds the number of laps minus 2, so it is the lap list's index minus 1.
constexpr int kLapNumOffset = 1;
// Read when the key is missing: one above the last lap choice, which gives three laps.
constexpr int kLapNumDefault = 2;

// A section or key name from the catalog that an ini file cannot hold as it is (a bracket,
// '=', ';', a line break, blanks at an end, nothing) would leave the settings unread and
// unsaved: the original name is used instead.
bool FitsIni(std::string_view name) {
  return !name.empty() && name == Trim(name) && name.find_first_of("[]=;\r\n") == std::string_view::npos;
}

std::string Name(const TResStringRec& rec) { return LoadResStringFitting(&rec, FitsIni); }

// A value the file holds already keeps its line as it is: a text the code page cannot show
// ("Ω" in a UTF-8 file reads as "?") would be written back changed, a number in another
// spelling ("007") too.
void WriteString(TCustomIniFile& ini, const std::string& section, const std::string& key,
                 const std::string& value) {
  if (!ini.ValueExists(section, key) || ini.ReadString(section, key, "") != value)
    ini.WriteString(section, key, value);
}

void WriteInteger(TCustomIniFile& ini, const std::string& section, const std::string& key, int value) {
  if (!ini.ValueExists(section, key) || ini.ReadInteger(section, key, ~value) != value)
    ini.WriteInteger(section, key, value);
}

void WriteSettings(TCustomIniFile& ini, const TSettings& settings) {
  const std::string section = Name(SSection);
  WriteInteger(ini, section, Name(SComPort), settings.Port);
  WriteInteger(ini, section, Name(SContact), settings.Contact);
  WriteInteger(ini, section, Name(SAlgorithm), settings.Algorithm);
  WriteInteger(ini, section, Name(SCountDown), settings.CountDown);
  WriteInteger(ini, section, Name(SLapNum), settings.LapChoice - kLapNumOffset);
  WriteString(ini, section, Name(SProtocolTitle), settings.Title);
  WriteString(ini, section, Name(SProtocolSign), settings.Sign);
}

}  // namespace

bool SettingsFileTooLarge(const std::string& ini_file) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(WideFileName(ini_file).c_str(), GetFileExInfoStandard, &data)) return false;
  const int64_t size = (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  return !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && size > kMaxSettingsFileSize;
}

TSettings LoadSettings(const std::string& ini_file, std::string* unreadable) {
  const TSettings defaults;
  if (unreadable) unreadable->clear();
  if (SettingsFileTooLarge(ini_file)) return defaults;
  // Read once with full sharing and parsed from memory: the ini file class would open the file
  // again denying writers, and a sync tool holding it would make it read as empty.
  std::string bytes;
  DWORD error = 0;
  if (!ReadFileWhole(ini_file, bytes, error) && !NoSuchFile(error)) {
    if (unreadable) *unreadable = ErrorReason(error);
    return defaults;
  }
  TSettings s;
  TMemIniFile ini;
  ini.SetFileText(bytes);
  const std::string section = Name(SSection);
  s.Port = ini.ReadInteger(section, Name(SComPort), defaults.Port);
  s.Contact = ini.ReadInteger(section, Name(SContact), defaults.Contact);
  s.Algorithm = ini.ReadInteger(section, Name(SAlgorithm), defaults.Algorithm);
  s.CountDown = ini.ReadInteger(section, Name(SCountDown), defaults.CountDown);
  int64_t lap_num = ini.ReadInteger(section, Name(SLapNum), kLapNumDefault);
  s.Title = ini.ReadString(section, Name(SProtocolTitle), defaults.Title);
  s.Sign = ini.ReadString(section, Name(SProtocolSign), defaults.Sign);

  // A hand-edited file may hold anything; the controls can show only their own ranges.
  if (s.Port < 0 || s.Port > TSettings::kMaxPort) s.Port = 0;
  if (s.Contact < 0 || s.Contact >= kContactCount) s.Contact = -1;
  s.CountDown = std::clamp(s.CountDown, 0, TSettings::kMaxCountDown);
  // As the radio group takes it: -1 selects no item.
  s.LapChoice = static_cast<int>(std::clamp<int64_t>(lap_num + kLapNumOffset, -1, TSettings::kMaxLapChoice));
  return s;
}

bool SaveSettings(const std::string& ini_file, const TSettings& settings, std::string* failure) {
  std::string text;
  DWORD error = 0;
  // A file too large is started afresh: its old content is never read.
  if (!SettingsFileTooLarge(ini_file) && !ReadFileWhole(ini_file, text, error) && !NoSuchFile(error)) {
    // An existing file that cannot be read must not be replaced by the seven values alone.
    if (failure) *failure = SaveFailedMessage(ini_file, error);
    return false;
  }
  try {
    TMemIniFile ini;
    ini.SetFileText(text);
    WriteSettings(ini, settings);
    text = ini.GetFileText();
  } catch (const Exception& e) {
    if (failure) *failure = SaveFailedMessage(ini_file, e.Message());
    return false;
  }
  RemoveStaleTemporariesBeside(ini_file);
  if (WriteFileReplacing(ini_file, text, error)) return true;
  if (failure) *failure = SaveFailedMessage(ini_file, error);
  return false;
}

std::string SettingsFileName(const std::string& exe_file) { return ChangeFileExt(exe_file, ".ini"); }
