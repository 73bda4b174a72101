// How long a skin change takes on the real program: the nine forms are made as the program
// makes them (every window created, the main window shown), then for each round the internal
// skin is loaded again and announced to every form and control, and the program switches to
// the skin folder twin of the internal skin and back; each step ends with a full repaint.
// Prints the median of each step over the rounds.
//
//   skin_bench [ROUNDS]      (default: 30)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   tools/wine-session tools/wine-run build/tests/skin_bench.exe
// Not a pass/fail test: the suite runs it once with few rounds so that it keeps working.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/appforms.h"
#include "app/classesform.h"
#include "app/configform.h"
#include "app/infoform.h"
#include "app/mainform.h"
#include "app/selectcarform.h"
#include "app/startlistfile.h"
#include "app/startlistform.h"
#include "i18n/translator.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/support/bench_support.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "toolkit/sysutils.h"
#include "widgets/justone.h"

namespace {

using bench::Median;
using bench::TempFolder;
using bench::Time;

const char* const kInternal = "GrayPlastic (internal)";

void CopyFolderSkin(const std::string& folder) {
  const std::string from = std::string(DRAVOLIN_SKIN_DIR) + "\\GrayPlastic\\";
  const std::string to = folder + "skins\\GrayPlastic\\";
  CreateDirectoryA((folder + "skins").c_str(), nullptr);
  CreateDirectoryA(to.c_str(), nullptr);
  for (const TSearchRec& rec : ListDirectory(from + "*", 0))
    if (!CopyFileA((from + rec.Name).c_str(), (to + rec.Name).c_str(), FALSE))
      throw std::runtime_error("cannot copy " + rec.Name);
}

void MakeForms(const std::string& folder) {
  Application->CreateForm(Main);
  AppPaths.ClassList = folder + "Classes.Lst";
  AppPaths.WorkingStartList = folder + "Current.Asl";
  AppPaths.Settings = folder + "bench.ini";
  AppPaths.Help = folder + "bench.hlp";
  WriteStartListFile(AppPaths.WorkingStartList, {});
  Application->CreateForm(ClassesEditor);
  Application->CreateForm(AddClass);
  Application->CreateForm(EditClass);
  Application->CreateForm(StartList);
  Application->CreateForm(StartListEdit);
  Application->CreateForm(Config);
  Application->CreateForm(SelectCar);
  Application->CreateForm(InfoForm);
  // Every window exists, so the broadcast sends to all of them.
  for (int i = 0; i < Application->GetComponentCount(); ++i)
    if (auto* form = DynamicCast<TCustomForm>(Application->GetComponent(i))) form->GetHandle();
  Main->Show();
}

void RepaintAll() {
  for (int i = 0; i < Application->GetComponentCount(); ++i) {
    auto* form = DynamicCast<TCustomForm>(Application->GetComponent(i));
    if (form && form->HandleAllocated())
      RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
  try {
    RegisterToolkitUnits();
    RegisterFormsUnit();
    RegisterTranslationUnits();
    RegisterSkinEngineUnit();
    TUnitsScope units;
    RegisterAppClasses();
    // Not refused by a test's main window running beside it.
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    const std::string folder = TempFolder("skin_bench");
    CopyFolderSkin(folder);
    MakeForms(folder);
    auto* manager = DynamicCast<TsSkinManager>(Main->FindComponent("sSkinManager1"));
    if (!manager || !SkinData().SkinLoaded) throw std::runtime_error("the main window has no skin");
    manager->SetSkinDirectory(folder + "skins");

    std::vector<double> internal, to_folder, to_internal;
    for (int i = 0; i < rounds; ++i) {
      internal.push_back(Time([&] {
        manager->SetSkinName(kInternal);
        RepaintAll();
      }));
      to_folder.push_back(Time([&] {
        manager->SetSkinName("GrayPlastic");
        RepaintAll();
      }));
      if (SkinData().SkinPath.empty()) throw std::runtime_error("the folder skin did not load");
      to_internal.push_back(Time([&] {
        manager->SetSkinName(kInternal);
        RepaintAll();
      }));
    }
    std::printf("skin change, median of %d rounds, nine forms (ms)\n", rounds);
    std::printf("%-40s %8.1f\n", "internal skin again (load+broadcast+paint)", Median(internal));
    std::printf("%-40s %8.1f\n", "internal -> folder skin", Median(to_folder));
    std::printf("%-40s %8.1f\n", "folder -> internal skin", Median(to_internal));
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skin_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
