// The configuration dialog's logic: the port choice, the light barrier's signal on the test
// lamp and as triggers, and the settings between its controls and the ini file. TConfig
// forwards its events here one line each and implements TConfigView with its controls.
#pragma once

#include <functional>
#include <string>

#include "app/commstatus.h"
#include "app/settings.h"
#include "toolkit/colors.h"

// The dialog's controls as plain values. Setting an item index fires no click event.
class TConfigView {
 public:
  virtual ~TConfigView() = default;

  virtual int GetPortIndex() const = 0;  // cbPort: 0 none, n COMn
  virtual void SetPortIndex(int index) = 0;
  virtual int GetContactIndex() const = 0;  // cbCont: pin pair
  virtual void SetContactIndex(int index) = 0;
  virtual int GetAlgorithmIndex() const = 0;  // cbAlg: 0 as read, otherwise inverted
  virtual void SetAlgorithmIndex(int index) = 0;
  // cbCont and cbAlg together: usable only while a port is open.
  virtual void SetLineListsEnabled(bool enabled) = 0;

  // The test lamp; its on state remembers the last level, so it also marks edges.
  virtual TColor GetLampColor() const = 0;
  virtual void SetLampColor(TColor color) = 0;
  virtual bool GetLampEnabled() const = 0;
  virtual void SetLampEnabled(bool enabled) = 0;
  virtual bool GetLampOn() const = 0;
  virtual void SetLampOn(bool on) = 0;

  virtual int GetCountDown() const = 0;  // edCountDown, seconds
  virtual void SetCountDown(int seconds) = 0;
  virtual int GetLapChoice() const = 0;  // rgLaps: number of laps - 1
  virtual void SetLapChoice(int index) = 0;
  virtual std::string GetTitle() const = 0;  // edTitle
  virtual void SetTitle(const std::string& text) = 0;
  virtual std::string GetSign() const = 0;  // edSign
  virtual void SetSign(const std::string& text) = 0;

  // A message box with OK.
  virtual void ShowMessage(const std::string& text) = 0;
};

class TConfigLogic {
 public:
  // `comm` is the dialog's serial-port component; its OnChanged is to reach
  // CommStatusChanged. `ini_file` is the settings file beside the executable.
  TConfigLogic(TConfigView& view, TMyCommStatus& comm, std::string ini_file);
  TConfigLogic(const TConfigLogic&) = delete;
  TConfigLogic& operator=(const TConfigLogic&) = delete;

  // A rising edge of the selected level. The main window runs the trigger only while its
  // trigger button is enabled (TRaceMachine::RunCommand), so an edge during a count-down
  // or while idle is lost.
  std::function<void()> OnTrigger;

  // Each showing: the stored settings, the port opened again, the lamp brought up to date.
  void FormShow();
  // The port list's choice (also run once by the main window's first showing): opens the
  // port at once; one that cannot be opened or does not answer falls back to "None" with
  // the pin pair and algorithm lists disabled.
  void cbPortChange();
  // The component's OnChanged.
  void CommStatusChanged() { CheckSignal(); }
  // The pin pair's and the algorithm's click.
  void cbPortClick() { CheckSignal(); }
  // Shows the selected level on the lamp and triggers on its rising edge; a closed port
  // shows the lamp red and off.
  void CheckSignal();

  // Reads the ini file into the controls (no click event, so the port is not opened). A file
  // too large to be settings, or one that cannot be read, gives the defaults; the first time,
  // a message names it (and the reason).
  void LoadSettings();
  // Writes the controls' values (OK); false when the file cannot be written, which a message
  // naming the file and the reason says. A file that could not be read when the settings
  // were last loaded is not written: the values shown did not come from it.
  bool SaveSettings();

  TSettings GetSettings() const;
  void SetSettings(const TSettings& settings);
  const std::string& IniFile() const { return ini_file_; }

 private:
  TConfigView& view_;
  TMyCommStatus& comm_;
  std::string ini_file_;
  bool told_too_large_ = false;
  bool told_unreadable_ = false;
  // The file could not be read at the last load.
  bool unread_ = false;
};
