// The program's forms as they reach each other. The application creates them at start-up in
// this order: TMain, TClassesEditor, TAddClass, TEditClass, TStartList, TStartListEdit,
// TConfig, TSelectCar, TInfoForm; each pointer below is set by its form's constructor and
// the forms live for the whole run. The main window's creation computes the file paths
// before the later forms read them in their own creation.
#pragma once

#include <string>
#include <vector>

#include "app/raceview.h"
#include "toolkit/events.h"

class TMain;
class TClassesEditor;
class TAddClass;
class TEditClass;
class TStartList;
class TStartListEdit;
class TConfig;
class TSelectCar;
class TInfoForm;

extern TMain* Main;
extern TClassesEditor* ClassesEditor;
extern TAddClass* AddClass;
extern TEditClass* EditClass;
extern TStartList* StartList;
extern TStartListEdit* StartListEdit;
extern TConfig* Config;
extern TSelectCar* SelectCar;
extern TInfoForm* InfoForm;

// File paths beside the executable, computed by TMain's creation handler.
struct TAppPaths {
  std::string ClassList;         // folder + resource string "Classes.Lst"
  std::string WorkingStartList;  // folder + resource string "Current.Asl"
  std::string Settings;          // exe path with ".ini"
  std::string Help;              // exe path with ".hlp"
};
extern TAppPaths AppPaths;

// Registers every form class and every control class the form definitions name.
void RegisterAppClasses();

// What the main window asks of the other forms (each implemented in its form's source):

// The start list editor's columns (translated captions and widths) and entries, as shown.
struct TListColumnInfo {
  std::string Caption;
  int Width = 0;
};
std::vector<TListColumnInfo> StartListColumns();
std::vector<TStartListEntry> StartListEntries();
// Shows the start list editor modally (the main window refreshes its lanes afterwards).
void ShowStartListEditor();

// The configuration's live settings (its controls), and its commands.
int ConfigCountDown();       // edCountDown, seconds
int ConfigLapChoice();       // rgLaps item index: laps - 1
std::string ConfigTitle();   // protocol title
std::string ConfigSign();    // protocol sign
void ConfigOpenSavedPort();  // cbPortChange at the main window's first showing
void ShowConfig();           // modal; the result is ignored
// The light barrier's rising edge while the configuration watches the port; the main window
// sets it at its creation (it runs the trigger only while the trigger button is enabled).
void SetConfigTriggerHandler(TNotifyEvent handler);

// The car selection: lines are every entry's text; selected is the lane's participant on
// entry and the chosen one on OK. False on Cancel.
bool ExecuteSelectCar(const std::vector<std::string>& lines, int& selected);

// The information dialog, modal.
void ShowInfo();
