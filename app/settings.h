// The seven settings of the configuration and their ini file beside the executable. The
// section and key names are resource strings, so the names in the file follow the active
// language's catalog.
#pragma once

#include <cstdint>
#include <string>

// The values as the configuration's controls hold them.
struct TSettings {
  static constexpr int kMaxPort = 16;
  static constexpr int kMaxCountDown = 9999;
  static constexpr int kMaxLapChoice = 2;  // "Three"

  int Port = 0;       // port list index: 0 none, n COMn
  int Contact = 1;    // pin pair index ("4-6"); -1 none chosen
  int Algorithm = 0;  // 0 "On", any other "Off" (inverted; outside the list no item shows)
  int CountDown = 5;  // seconds
  int LapChoice = 2;  // lap list index: number of laps - 1; -1 no item
  std::string Title = "Dravolin";
  std::string Sign;

  bool operator==(const TSettings&) const = default;
};

// A settings file holds a few hundred bytes. One beyond this size is damaged or not ours: it
// is not read, since reading it whole would hold up the start.
constexpr int64_t kMaxSettingsFileSize = 1024 * 1024;
bool SettingsFileTooLarge(const std::string& ini_file);

// Reads the settings; a missing file or key, or a file too large, gives the value above. Stored values are
// brought into the controls' ranges: a port beyond COM16 is none, a pin pair outside the
// list is none chosen, an algorithm is kept as stored (any but 0 inverts; the list shows none
// outside its two), the count-down is held to 0 to 9999, and the lap choice (stored as laps - 2,
// plus 1) to -1 (no item) to 2, as the radio group holds it. A file that is there but cannot be read
// (another program holds it, access is denied) gives the defaults too, with `unreadable`,
// when given, set to the system's reason (empty otherwise).
TSettings LoadSettings(const std::string& ini_file, std::string* unreadable = nullptr);

// Writes the seven values, replacing the file in one step and keeping every other line of
// it byte for byte, and the line of a value the file holds already (read, shown and not
// edited). False when the file cannot be read or written (the values are then still the
// live ones, only not kept), with `failure` set to a message naming the file and the
// reason. A file too large is replaced by one with the values.
bool SaveSettings(const std::string& ini_file, const TSettings& settings, std::string* failure = nullptr);

// The ini file of an executable: its path with the extension ".ini".
std::string SettingsFileName(const std::string& exe_file);
