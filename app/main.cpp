// Program entry: the start-up units, the nine forms in their fixed order, then the
// application with its main window until that window is closed.
#include <windows.h>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/configform.h"
#include "app/infoform.h"
#include "app/mainform.h"
#include "app/selectcarform.h"
#include "app/startlistform.h"
#include "bitmap32/bitmap32.h"
#include "i18n/resourcestrings.h"
#include "i18n/translator.h"
#include "skin/engine/sskinmanager.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "toolkit/starttrace.h"
#include "widgets/justone.h"
#include "widgets/wxgraphic.h"

namespace {

// Windowed controls keep the device context's state across WM_PRINTCLIENT while the program runs.
struct TPrintClientGuardScope {
  TPrintClientGuardScope() { InstallPrintClientGuard(); }
  ~TPrintClientGuardScope() { RemovePrintClientGuard(); }
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  StartMark("entry point");
  TPrintClientGuardScope print_client_guard;
  try {
    RegisterTranslationUnits();
    RegisterToolkitUnits();
    RegisterFormsUnit();
    RegisterBitmap32Unit();
    RegisterSkinEngineUnit();
    // The program's own start-up: its resource strings are also looked up in "vorlen",
    // and every text, file name and ini key is German.
    RegisterUnit(
        usApplication, "Dravolin",
        [] {
          AddDomainForResourceString("vorlen");
          UseLanguage("de");
          StartMark("language chosen");
          // A damaged catalog must be found here, not by the first text a form asks for
          // while it is being created: that form would be left half made. It is told once,
          // and the texts it would have translated stay English.
          const std::string problems = CheckCatalogs();
          StartMark("catalogs checked");
          if (!problems.empty())
            Application->MessageBox(problems + "\r\n\r\nThe program runs without this translation.",
                                    Application->GetTitle(), MB_OK | MB_ICONWARNING);
        },
        nullptr);
    TUnitsScope units;
    StartMark("units started");
    RegisterAppClasses();
    // The main window first: its creation computes the file paths that the classes
    // editor, the start list editor and the configuration read in theirs.
    Application->CreateForm(Main);
    StartMark("form Main created");
    // A second copy was refused while the main window was streamed: it ends before any form
    // reads or writes a file of the running copy.
    if (const auto* guard = DynamicCast<TXJustOne>(Main->FindComponent("JustOne"));
        guard && guard->GetRefused())
      return 0;
    Application->CreateForm(ClassesEditor);
    StartMark("form ClassesEditor created");
    Application->CreateForm(AddClass);
    StartMark("form AddClass created");
    Application->CreateForm(EditClass);
    StartMark("form EditClass created");
    Application->CreateForm(StartList);
    StartMark("form StartList created");
    Application->CreateForm(StartListEdit);
    StartMark("form StartListEdit created");
    Application->CreateForm(Config);
    StartMark("form Config created");
    Application->CreateForm(SelectCar);
    StartMark("form SelectCar created");
    Application->CreateForm(InfoForm);
    StartMark("form InfoForm created");
    Application->Run();
  } catch (...) {
    // Start-up failed before the application could show anything.
    HandleWindowException(nullptr);
    return 1;
  }
  return 0;
}
