// How fast the skinned buttons are on the real program with its internal skin: a hot fade in
// and out of a 75 x 25 TsButton on the configuration dialog (each timer step blends the two
// looks and puts the frame on the window), and the repaint of the whole configuration dialog
// after a skin change. Prints medians.
//
//   buttons_bench [ROUNDS]      (default: 200)
//
// By hand, after a build, from the source folder (DRAVOLIN_BUILD naming the build folder):
//   tools/wine-session tools/wine-run build/tests/buttons_bench.exe
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
#include "app/configform.h"
#include "app/mainform.h"
#include "i18n/translator.h"
#include "skin/controls/sbuttons.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/support/bench_support.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "widgets/justone.h"

namespace {

using bench::Median;
using bench::Micro;
using bench::Pump;
using bench::TempFolder;

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  try {
    RegisterToolkitUnits();
    RegisterFormsUnit();
    RegisterTranslationUnits();
    RegisterSkinEngineUnit();
    TUnitsScope units;
    RegisterAppClasses();
    TXJustOne::SetMutexCreator([](const char*) { return CreateMutexA(nullptr, FALSE, nullptr); });
    const std::string folder = TempFolder("buttons_bench");
    AppPaths.Settings = folder + "bench.ini";
    Application->CreateForm(Main);
    Application->CreateForm(Config);
    auto* manager = DynamicCast<TsSkinManager>(Main->FindComponent("sSkinManager1"));
    if (!manager || !SkinData().SkinLoaded) throw std::runtime_error("the main window has no skin");
    Config->Show();
    auto* button = New<TsButton>(Config);
    button->SetParent(Config);
    button->SetBounds(8, 330, 75, 25);
    button->SetCaption("Fade");
    Pump();
    button->Repaint();
    if (!button->GetSStyle()->GetFadingEnabled())
      throw std::runtime_error("the button's section does not fade");

    std::vector<double> steps, starts;
    TFadeTimer* timer = button->GetFadeTimer();
    for (int i = 0; i < rounds; ++i) {
      for (UINT msg : {CM_MOUSEENTER, CM_MOUSELEAVE}) {
        starts.push_back(Micro([&] { button->Perform(msg, 0, 0); }));
        while (timer->GetDirection() != 0) steps.push_back(Micro([&] { timer->Tick(); }));
      }
    }
    std::vector<double> repaints, buttons;
    auto* ok = DynamicCast<TsButton>(Config->FindComponent("btnOK"));
    auto* cancel = DynamicCast<TsButton>(Config->FindComponent("btnCancel"));
    if (!ok || !cancel) throw std::runtime_error("the configuration dialog has no skinned buttons");
    for (int i = 0; i < std::max(1, rounds / 10); ++i) {
      manager->SetSkinName("GrayPlastic (internal)");
      repaints.push_back(Micro([&] {
        RedrawWindow(Config->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
      }));
      manager->SetSkinName("GrayPlastic (internal)");
      buttons.push_back(Micro([&] {
        for (TsButton* b : {ok, cancel, button})
          RedrawWindow(b->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      }));
    }
    std::printf("skinned buttons, medians over %d rounds\n", rounds);
    std::printf("%-48s %9.1f us\n", "fade start (old look kept, new look composed)", Median(starts));
    std::printf("%-48s %9.1f us\n", "fade step of a 75 x 25 TsButton", Median(steps));
    std::printf("%-48s %9.2f ms\n", "configuration dialog repaint after a skin change",
                Median(repaints) / 1000);
    std::printf("%-48s %9.2f ms\n", "  of which its three skinned buttons", Median(buttons) / 1000);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "buttons_bench: %s\n", e.what());
    return 1;
  }
  return 0;
}
