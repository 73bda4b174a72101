// Stretch transfer between pixel maps: nearest neighbour, draft averaging, bilinear
// magnification and the filtered resampler with integer mapping tables. Free of Win32.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "bitmap32/blend.h"

// A view of top-down pixels without row padding (a TBitmap32's, or any buffer's).
struct TPixelMap {
  TColor32* bits = nullptr;
  int width = 0;
  int height = 0;
  bool Empty() const { return !bits || width <= 0 || height <= 0; }
  TColor32* Row(int y) const { return bits + static_cast<ptrdiff_t>(y) * width; }
};

// Same layout as the system's RECT: right and bottom exclusive.
struct TPixelRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
};
// The common part; an empty one is (0, 0, 0, 0) and false.
bool IntersectPixelRect(TPixelRect& result, const TPixelRect& a, const TPixelRect& b);

enum TDrawMode : uint8_t { dmOpaque, dmBlend, dmCustom };
enum TStretchFilter : uint8_t { sfNearest, sfDraft, sfLinear, sfCosine, sfSpline, sfLanczos, sfMitchell };

// Pixel mapping with pixel centres ((i + 0.5) * scale - 0.5); true from start-up.
extern bool FullEdge;

// The kernel of a filter and its support width.
float FilterKernel(TStretchFilter filter, float x);
float FilterWidth(TStretchFilter filter);

struct TContributor {
  int32_t pos;
  int32_t weight;  // in 1/256
};
using TMappingTable = std::vector<std::vector<TContributor>>;
// One list of contributors per destination index of the clip, each summing to exactly 256;
// empty for an empty source range.
TMappingTable BuildMappingTable(int dst_lo, int dst_hi, int clip_lo, int clip_hi, int src_lo, int src_hi,
                                TStretchFilter filter);

// dmCustom's per-pixel combination: (source, destination by reference, master alpha).
struct TPixelCombiner {
  void (*call)(void* context, TColor32 f, TColor32& b, uint32_t m) = nullptr;
  void* context = nullptr;
};

struct TTransferMode {
  TStretchFilter filter = sfNearest;
  TDrawMode draw_mode = dmOpaque;
  uint32_t master_alpha = 255;
  TPixelCombiner combine;
};

// What the transfer refused; Done also covers the silent returns (empty source rectangle or
// clip, blending with master alpha 0).
enum class TTransferResult { Done, SourceEmpty, DestinationEmpty, SourceRectInvalid };

// Copies src_rect of src into dst_rect of dst, only within dst_clip, scaled with the filter
// and written with the draw mode.
TTransferResult StretchPixels(const TPixelMap& dst, const TPixelRect& dst_rect, const TPixelRect& dst_clip,
                              const TPixelMap& src, const TPixelRect& src_rect, const TTransferMode& mode);
