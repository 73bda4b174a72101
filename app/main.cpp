// Program entry: the start-up units, then the application with its main window until that
// window is closed.
#include <windows.h>

#include "i18n/resourcestrings.h"
#include "i18n/translator.h"
#include "resource_ids.h"
#include "toolkit/forms.h"
#include "toolkit/resstrings.h"
#include "toolkit/startup.h"

namespace {

// The main window. Its controls and form definition come with the race timing parts; until
// then it is an empty form with the main window's frame and caption.
class TMain : public TForm {
  TK_CLASS(TMain, TForm)

 public:
  explicit TMain(TComponent* owner) : TForm(owner, kCreateNew) {
    SetBorderStyle(bsSingle);
    SetBorderIcons({biSystemMenu, biMinimize});
    SetPosition(poScreenCenter);
    SetClientWidth(781);
    SetClientHeight(534);
    SetCaption(LoadStr(IDS_MAIN_CAPTION));
  }
};

TK_CLASS_INFO(TMain, TForm)

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  try {
    RegisterTranslationUnits();
    RegisterToolkitUnits();
    RegisterFormsUnit();
    // The program's own start-up: its resource strings are also looked up in "vorlen",
    // and every text, file name and ini key is German.
    RegisterUnit(
        usApplication, "Dravolin",
        [] {
          AddDomainForResourceString("vorlen");
          UseLanguage("de");
        },
        nullptr);
    TUnitsScope units;
    TMain* main = nullptr;
    Application->CreateForm(main);
    Application->Run();
  } catch (...) {
    // Start-up failed before the application could show anything.
    HandleWindowException(nullptr);
    return 1;
  }
  return 0;
}
