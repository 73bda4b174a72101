// How long the lane display and the lane lamp take per update under the real window system:
// a lane time set with changing hundredths and painted, the same time set again, a lamp
// colour change painted, a lane title (shadowed label) with a new caption painted, and the
// logo image redrawn and painted. Run by hand with a count (default 10000); CI runs it with a tiny one.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bitmap32/image32.h"
#include "bitmap32/label32.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"

namespace {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER t;
  QueryPerformanceCounter(&t);
  return t.QuadPart * 1e6 / frequency.QuadPart;
}

// Median and 90th percentile of the samples in microseconds.
void Report(const char* what, std::vector<double> us) {
  std::sort(us.begin(), us.end());
  std::printf("%-36s median %8.2f us  p90 %8.2f us  (%zu runs)\n", what, us[us.size() / 2],
              us[us.size() * 9 / 10], us.size());
}

template <class F>
std::vector<double> Time(int count, F step) {
  std::vector<double> us;
  us.reserve(count);
  for (int i = 0; i < count; ++i) {
    const double start = Now();
    step(i);
    us.push_back(Now() - start);
  }
  return us;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = std::max(argc > 1 ? std::atoi(argv[1]) : 10000, 1);
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  TForm* form = New<TForm>(nullptr, kCreateNew);
  form->SetBounds(600, 500, 560, 190);
  auto* display = New<TIAeverLiquidIndicator>(form);
  display->SetParent(form);
  display->SetBounds(4, 4, 438, 97);
  display->SetSignNumber(7);
  display->SetIndicatorKind(ik9segment);
  display->SetIndicatorStyle(isThick);
  display->SetInnerBevel(bkNone);
  display->SetOuterBevel(bkNone);
  display->SetBackColor(clBlack);
  display->SetNumberForeColor(clYellow);
  display->SetNumberBackColor(0x001818);
  auto* lamp = New<TIAgaloLED>(form);
  lamp->SetParent(form);
  lamp->SetBounds(450, 4, 69, 97);
  lamp->SetLedWidth(65);
  lamp->SetLedHeight(93);
  lamp->SetLedPlasticDepth(10);
  lamp->SetBorderColor(clNavy);
  lamp->SetLedOn(true);
  auto* title = New<TLabel32>(form);  // a lane title as the main window stores it
  title->SetParent(form);
  title->SetBounds(4, 106, 140, 28);
  title->SetColor(clNavy);
  title->SetTextColor(clLime);
  title->SetShadowColor(clBlack);
  title->SetTextHAlign(thaCenter);
  title->SetTextEllipsis(telEnd);
  title->GetFont()->SetHeight(-19);
  auto* logo = New<TImage32>(form);  // the main window's logo
  logo->SetParent(form);
  logo->SetBounds(150, 106, 257, 31);
  logo->SetScaleMode(smStretch);
  TBitmap32* picture = logo->GetBitmap();
  picture->SetStretchFilter(sfSpline);
  picture->SetSize(191, 42);
  for (int y = 0; y < 42; ++y)
    for (int x = 0; x < 191; ++x)
      picture->SetPixel(x, y, 0xFF000000 | (x * 255 / 191) << 16 | (y * 6) << 8 | 0x80);
  form->Show();
  Application->ProcessMessages();

  char text[16];
  Report("indicator: new time + paint", Time(count, [&](int i) {
           std::snprintf(text, sizeof text, "%02d:%02d.%02d", i / 6000 % 100, i / 100 % 60, i % 100);
           display->SetIndicatorstring(text);
           display->Update();
         }));
  const std::string shown = display->GetIndicatorstring();
  Report("indicator: same time again", Time(count, [&](int) { display->SetIndicatorstring(shown); }));
  const TColor colours[] = {clRed, clLime, clYellow};
  Report("lamp: new colour + paint", Time(std::max(count / 10, 1), [&](int i) {
           lamp->SetLedPlasticColor(colours[i % 3]);
           lamp->Update();
         }));
  const char* names[] = {"Miller, Anna", "Schmidt-Lauterbach, Maximilian", "Ng, Li"};
  Report("label: lane title caption + paint", Time(count, [&](int i) {
           title->SetCaption(names[i % 3]);
           title->Update();
         }));
  Report("label: lane title paint alone", Time(count, [&](int) { title->Repaint(); }));
  TBitmap32* scratch = New<TBitmap32>();
  Report("label: lane title drawn in memory", Time(count, [&](int) { title->Render(scratch); }));
  Free(scratch);
  Report("image: logo redrawn + paint", Time(std::max(count / 10, 1), [&](int) {
           logo->Invalidate();
           logo->Update();
         }));
  // Textures tiled on the display and the lamp: a tiny one costs about what a large one does.
  for (int side : {64, 2}) {
    TBitmap* texture = New<TBitmap>();
    texture->SetPixelFormat(pf24bit);
    texture->SetSize(side, side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) texture->GetCanvas()->SetPixels(x, y, (x + y) % 2 ? clGray : clSilver);
    display->SetMaterialMode(mmTile);
    display->SetForeMaterialMode(mmTile);
    display->SetBackMaterial(texture);
    display->SetForeMaterial(texture);
    lamp->SetLedPlasticSubstance(texture);
    lamp->SetBorderSubstance(texture);
    Free(texture);
    const std::string what =
        "textures " + std::to_string(side) + " x " + std::to_string(side) + ": time + lamp";
    Report(what.c_str(), Time(std::max(count / 10, 1), [&](int i) {
             display->SetIndicatorstring(i % 2 ? "12:34.56" : "65:43.21");
             lamp->SetLedOn(i % 2 == 0);
           }));
  }
  Free(form);
  return 0;
}
