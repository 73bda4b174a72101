// Gradient text parsing and painting.
#include "skin/engine/sgradient.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/sysutils.h"

void ParseGradientData(const std::string& data, TsGradArray& arr) {
  arr.clear();
  // The words in one pass: asking for the n-th word each time walked a long text again and
  // again.
  std::vector<std::string_view> words;
  const std::string_view text(data);
  for (size_t pos = 0; pos < text.size();) {
    const size_t end = std::min(text.find(';', pos), text.size());
    if (end > pos) words.push_back(text.substr(pos, end - pos));
    pos = end + 1;
  }
  arr.reserve(words.size() / 5);
  for (size_t i = 0; i + 5 <= words.size(); i += 5) {
    TsGradStep step;
    step.Color1 = StrToInt(words[i]);
    step.Color2 = StrToInt(words[i + 1]);
    step.Percent = static_cast<uint8_t>(StrToInt(words[i + 2]));
    step.Mode = StrToInt(words[i + 3]);
    arr.push_back(step);
  }
}

namespace {

// Colours of positions 0..extent of one step, the ends exactly Color1 and Color2.
struct TStepColors {
  double c[3];  // B, G, R at the start
  double d[3];  // change per position
  void Pixel(int k, uint8_t* p) const {
    for (int i = 0; i < 3; ++i)
      p[i] = static_cast<uint8_t>(std::clamp(std::lrint(c[i] + d[i] * k), 0L, 255L));  // ties to even
  }
};

TStepColors StepColors(const TsGradStep& step, int extent) {
  auto channel = [](TColor color, int i) {
    return static_cast<double>((static_cast<uint32_t>(color) >> (8 * (2 - i))) & 0xFF);
  };
  TStepColors s;
  for (int i = 0; i < 3; ++i) {
    s.c[i] = channel(step.Color1, i);
    s.d[i] = (channel(step.Color2, i) - s.c[i]) / extent;
  }
  return s;
}

// Walks the steps along [first, last] of a side `length` long; calls paint(from, to, colors,
// start) for the positions each step paints (clipped to [first, last], start is the step's
// own start for the interpolation). Returns nothing; stops at a last step that cannot paint.
template <class Paint>
void WalkSteps(const TsGradArray& arr, int first, int last, int length, Paint paint) {
  int64_t pos = first;
  for (size_t i = 0; i < arr.size(); ++i) {
    const int64_t start = pos;
    pos += static_cast<int64_t>(length) * arr[i].Percent / 100;
    if (i + 1 == arr.size()) pos = last;
    const int64_t extent = pos - start;
    if (extent <= 0) {
      if (i + 1 == arr.size()) return;
      continue;
    }
    const int64_t from = std::max<int64_t>(start, first), to = std::min<int64_t>(pos, last);
    if (from > to) continue;
    paint(static_cast<int>(from), static_cast<int>(to), StepColors(arr[i], static_cast<int>(extent)),
          static_cast<int>(start));
  }
}

}  // namespace

void PaintGradRows(const TsPixelRows& rows, const TsGradArray& arr, RECT r) {
  r.right = std::min<LONG>(r.right, rows.width);
  r.bottom = std::min<LONG>(r.bottom, rows.height);
  r.left = std::max<LONG>(r.left, 0);
  r.top = std::max<LONG>(r.top, 0);
  if (arr.empty() || !rows.bits || r.right <= r.left || r.bottom <= r.top) return;
  if (rows.pixel_bytes != 3 && rows.pixel_bytes != 4) return;
  const int px = rows.pixel_bytes;
  auto row = [&](int y) { return rows.bits + static_cast<ptrdiff_t>(y) * rows.row_bytes; };
  if (arr[0].Mode == 0) {
    WalkSteps(arr, r.top, r.bottom - 1, r.bottom - r.top,
              [&](int from, int to, const TStepColors& c, int start) {
                for (int y = from; y <= to; ++y) {
                  uint8_t color[3];
                  c.Pixel(y - start, color);
                  uint8_t* p = row(y) + r.left * px;
                  for (int x = r.left; x < r.right; ++x, p += px) std::copy(color, color + 3, p);
                }
              });
  } else if (arr[0].Mode == 1) {
    // One row is worked out, then copied to every row.
    std::vector<uint8_t> line(static_cast<size_t>(r.right - r.left) * px);
    bool painted = false;
    std::copy(row(r.top) + r.left * px, row(r.top) + r.right * px, line.begin());
    WalkSteps(arr, r.left, r.right - 1, r.right - r.left,
              [&](int from, int to, const TStepColors& c, int start) {
                for (int x = from; x <= to; ++x)
                  c.Pixel(x - start, &line[static_cast<size_t>(x - r.left) * px]);
                painted = true;
              });
    if (!painted) return;
    for (int y = r.top; y < r.bottom; ++y) {
      uint8_t* p = row(y) + r.left * px;
      for (int x = 0; x < r.right - r.left; ++x)
        std::copy(&line[static_cast<size_t>(x) * px], &line[static_cast<size_t>(x) * px] + 3, p + x * px);
    }
  }
}

void PaintGrad(TBitmap* bmp, const TsGradArray& arr, const RECT& r) {
  if (!bmp || arr.empty() || bmp->GetEmpty()) return;
  const TPixelFormat format = bmp->GetPixelFormat();
  if (format != pf24bit && format != pf32bit && format != pfDevice) return;
  TsPixelRows rows;
  rows.bits = bmp->GetScanLine(0);
  rows.row_bytes = bmp->GetRowBytes();
  rows.width = bmp->GetWidth();
  rows.height = bmp->GetHeight();
  rows.pixel_bytes = format == pf24bit ? 3 : 4;
  PaintGradRows(rows, arr, r);
}
