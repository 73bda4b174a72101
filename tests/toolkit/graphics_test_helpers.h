// Shared by the graphics tests: bitmaps to draw on and ways to compare their pixels.
#pragma once

#include <windows.h>

#include <algorithm>
#include <climits>
#include <memory>
#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"

namespace graphics_test {

struct FreeDeleter {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

template <class T, class... Args>
Owned<T> Make(Args&&... args) {
  return Owned<T>(New<T>(std::forward<Args>(args)...));
}

// A bitmap of the given size and format, filled with one colour through its canvas.
inline Owned<TBitmap> Filled(int width, int height, TColor color, TPixelFormat format = pf24bit) {
  auto bitmap = Make<TBitmap>();
  bitmap->SetPixelFormat(format);
  bitmap->SetSize(width, height);
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetColor(color);
  canvas->FillRect(RECT{0, 0, width, height});
  return bitmap;
}

// Every pixel as 0x00BBGGRR, rows from the top, read from memory.
inline std::vector<TColor> Pixels(TBitmap& bitmap) {
  std::vector<TColor> pixels;
  for (int y = 0; y < bitmap.GetHeight(); ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x) pixels.push_back(bitmap.GetPixelColor(x, y));
  return pixels;
}

// The smallest rectangle holding every pixel that differs from `background`; empty if none.
inline RECT ChangedArea(TBitmap& bitmap, TColor background) {
  RECT area{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (int y = 0; y < bitmap.GetHeight(); ++y)
    for (int x = 0; x < bitmap.GetWidth(); ++x)
      if (bitmap.GetPixelColor(x, y) != background) {
        area.left = std::min<LONG>(area.left, x);
        area.top = std::min<LONG>(area.top, y);
        area.right = std::max<LONG>(area.right, x + 1);
        area.bottom = std::max<LONG>(area.bottom, y + 1);
      }
  if (area.left == INT_MAX) area = RECT{0, 0, 0, 0};
  return area;
}

inline bool Inside(const RECT& inner, const RECT& outer) {
  return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
         inner.bottom <= outer.bottom;
}

// 40 x 30 pixels at the screen's resolution, recorded by the system: a red block from
// (10, 8) to (30, 22), with a pure blue corner from (0, 0) to (5, 5) when asked for, and
// nothing elsewhere.
inline HENHMETAFILE RedBlockMetafile(bool blue_corner = false) {
  HDC screen = GetDC(nullptr);
  const int ppi = GetDeviceCaps(screen, LOGPIXELSX);
  const RECT frame{0, 0, MulDiv(40, 2540, ppi), MulDiv(30, 2540, ppi)};
  HDC dc = CreateEnhMetaFileA(screen, nullptr, &frame, nullptr);
  ReleaseDC(nullptr, screen);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  const RECT block{10, 8, 30, 22}, corner{0, 0, 5, 5};
  ::FillRect(dc, &block, red);
  if (blue_corner) ::FillRect(dc, &corner, blue);
  DeleteObject(red);
  DeleteObject(blue);
  return CloseEnhMetaFile(dc);
}

// A file name in the temporary folder, deleted when the object goes.
class TempFile {
 public:
  explicit TempFile(const std::string& extension) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    name_ = std::string(folder) + "graphics_test_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(counter_++) + extension;
  }
  ~TempFile() { DeleteFileA(name_.c_str()); }
  const std::string& Name() const { return name_; }

 private:
  static inline int counter_ = 0;
  std::string name_;
};

}  // namespace graphics_test
