// How long a skinned control's cache takes to rebuild: PaintItem of a 75 x 25 button section
// (gradient mixed with its colour, a masked "BORDERSMASK" frame from the master bitmap), of a
// 781 x 534 form background (tiled image, gradient and colour mixed, the frame without its
// middle, which the body is), and PaintBorderRegion of a button with its key pixels collected
// into a window region. Median microseconds. Run by hand with a count (default 2000); the suite runs it with
// a tiny one.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "skin/engine/sborders.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/jpeg.h"

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

void Report(const char* what, std::vector<double> us) {
  std::sort(us.begin(), us.end());
  std::printf("%-44s median %9.2f us  p90 %9.2f us  (%zu runs)\n", what, us[us.size() / 2],
              us[us.size() * 9 / 10], us.size());
}

template <class F>
std::vector<double> Time(int count, F step) {
  std::vector<double> us;
  for (int i = 0; i < count; ++i) {
    const double start = Now();
    step(i);
    us.push_back(Now() - start);
  }
  return us;
}

TBitmap* Bitmap24(int width, int height) {
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  return bmp;
}

// A master bitmap of varied pixels: an image of 64 x 64 at (0, 0) and a frame of three states
// of 3 x 3 cells of 5 x 5 (with its mask below) at (0, 64); key pixels at the frame's corners.
TBitmap* MakeMaster() {
  TBitmap* master = Bitmap24(128, 128);
  for (int y = 0; y < 128; ++y) {
    uint8_t* row = master->GetScanLine(y);
    for (int x = 0; x < 128; ++x) {
      row[x * 3] = static_cast<uint8_t>(x * 2), row[x * 3 + 1] = static_cast<uint8_t>(y * 2);
      row[x * 3 + 2] = static_cast<uint8_t>(x + y);
      if (y >= 64 + 15 && y < 64 + 30) row[x * 3] = row[x * 3 + 1] = row[x * 3 + 2] = (x * 7) % 256;
    }
  }
  for (int state = 0; state < 3; ++state) {
    uint8_t* p = master->GetScanLine(64) + state * 15 * 3;
    p[0] = 255, p[1] = 0, p[2] = 255;
  }
  return master;
}

int AddSection(const char* name, int image_percent, int gradient_percent) {
  TsGeneralData gd;
  gd.SectionName = name;
  gd.PaintingColor = 0x806040;
  gd.ImagePercent = image_percent;
  gd.GradientPercent = gradient_percent;
  gd.GradientData = "x";
  gd.GradientArray = {TsGradStep{0xF0E0D0, 0x907050, 50, 0, 0}, TsGradStep{0x907050, 0x604020, 50, 0, 0}};
  SkinGeneralData.push_back(gd);
  return static_cast<int>(SkinGeneralData.size()) - 1;
}

void AddMask(const char* section, const char* property, RECT r, int count, int mask_type) {
  TsMaskData mask;
  mask.SectionName = section;
  mask.PropertyName = property;
  mask.R = r;
  mask.ImageCount = static_cast<int16_t>(count);
  mask.MaskType = static_cast<int16_t>(mask_type);
  SkinMasks.push_back(mask);
}

}  // namespace

int main(int argc, char** argv) {
  const int count = std::max(argc > 1 ? std::atoi(argv[1]) : 2000, 1);
  MasterBitmap = MakeMaster();
  SkinData().SkinLoaded = true;
  const int button = AddSection("BUTTON", 0, 70);
  AddMask("BUTTON", "BORDERSMASK", RECT{0, 64, 45, 94}, 3, 1);
  const int form = AddSection("FORM", 50, 30);
  AddMask("FORM", "IMAGEFILE", RECT{0, 0, 64, 64}, 1, 0);
  AddMask("FORM", "BORDERSMASK", RECT{0, 64, 45, 94}, 3, 1);
  if (GetSkinIndex("BUTTON") != button || GetMaskIndex(button, "BUTTON", "BORDERSMASK") < 0) {
    std::printf("the skin tables do not find the benchmark's sections\n");
    return 1;
  }

  TBitmap* small = Bitmap24(75, 25);
  Report("PaintItem button 75 x 25", Time(count, [&](int i) {
           PaintItem(button, "BUTTON", EmptyCI, i % 2, true, RECT{0, 0, 75, 25}, {}, small);
         }));
  TBitmap* large = Bitmap24(781, 534);
  Report("PaintItem form background 781 x 534", Time(std::max(count / 20, 1), [&](int i) {
           PaintItem(form, "FORM", EmptyCI, i % 2, false, RECT{0, 0, 781, 534}, {}, large);
         }));
  // A body tiled from a JPEG pattern of 1 x 1 costs about what one of 64 x 64 does: small
  // patterns are repeated into a larger tile once instead of drawn pixel by pixel.
  const int panel = AddSection("PANEL", 100, 0);
  for (int side : {64, 1}) {
    TBitmap* source = Bitmap24(side, side);
    TJPEGImage* jpeg = New<TJPEGImage>();
    jpeg->Assign(source);
    Free(source);
    SkinPatterns.push_back(TsPatternData{jpeg, "PANEL", "IMAGEFILE"});
    TBitmap* body = Bitmap24(800, 600);
    const std::string what =
        "PaintItemBG 800 x 600, " + std::to_string(side) + " x " + std::to_string(side) + " JPEG";
    Report(what.c_str(), Time(std::max(count / 20, 1), [&](int) {
             PaintItemBG(panel, "PANEL", EmptyCI, 0, RECT{0, 0, 800, 600}, POINT{}, body);
           }));
    Free(body);
    Free(jpeg);
    SkinPatterns.clear();
  }
  TsMaskData border = SkinMasks[GetMaskIndex(button, "BUTTON", "BORDERSMASK")];
  Report("PaintBorderRegion 75 x 25 with region", Time(count, [&](int i) {
           HRGN region = CreateRectRgn(0, 0, 0, 0);
           PaintBorderRegion(small, region, true, border, i % 3);
           DeleteObject(region);
         }));
  Free(small);
  Free(large);
  Free(MasterBitmap);
  MasterBitmap = nullptr;
  return 0;
}
