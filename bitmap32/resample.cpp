#include "bitmap32/resample.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool FullEdge = true;

bool IntersectPixelRect(TPixelRect& result, const TPixelRect& a, const TPixelRect& b) {
  result = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
  if (result.Empty()) {
    result = {};
    return false;
  }
  return true;
}

// ---- Filters and mapping tables --------------------------------------------------------------

namespace {

constexpr float kPi = 3.14159265358979f;

float Sinc(float t) {
  if (t == 0) return 1;
  t *= kPi;
  return std::sin(t) / t;
}

}  // namespace

float FilterKernel(TStretchFilter filter, float x) {
  float a = std::fabs(x);
  switch (filter) {
    case sfNearest: return x >= -0.5f && x < 0.5f ? 1.0f : 0.0f;
    case sfDraft:
    case sfLinear: return a < 1 ? 1 - a : 0;
    case sfCosine: return a < 1 ? (std::cos(kPi * x) + 1) / 2 : 0;
    case sfSpline:
      if (a < 1) return 0.5f * a * a * a - x * x + 2.0f / 3;
      if (a < 2) return (2 - a) * (2 - a) * (2 - a) / 6;
      return 0;
    case sfLanczos: return a < 3 ? Sinc(a) * Sinc(a / 3) : 0;
    case sfMitchell:
      if (a < 1) return (7 * a * a * a - 12 * x * x + 16.0f / 3) / 6;
      if (a < 2) return (-7.0f / 3 * a * a * a + 12 * x * x - 20 * a + 32.0f / 3) / 6;
      return 0;
  }
  return 0;
}

float FilterWidth(TStretchFilter filter) {
  switch (filter) {
    case sfSpline:
    case sfMitchell: return 2;
    case sfLanczos: return 3;
    default: return 1;
  }
}

TMappingTable BuildMappingTable(int dst_lo, int dst_hi, int clip_lo, int clip_hi, int src_lo, int src_hi,
                                TStretchFilter filter) {
  const int src_w = src_hi - src_lo, dst_w = dst_hi - dst_lo, clip_w = std::max(clip_hi - clip_lo, 0);
  TMappingTable table;
  if (src_w <= 0) return table;
  // A one-pixel source is that pixel everywhere.
  if (src_w == 1) return TMappingTable(clip_w, {{src_lo, 256}});
  const double scale =
      FullEdge ? static_cast<double>(dst_w) / src_w : static_cast<double>(dst_w - 1) / (src_w - 1);
  if (scale == 0) return TMappingTable(clip_w, {{(src_lo + src_hi) / 2, 256}});
  const double width = FilterWidth(filter);
  auto clamp = [&](int64_t j) { return static_cast<int32_t>(std::clamp<int64_t>(j, src_lo, src_hi - 1)); };
  table.resize(clip_w);
  for (int i = 0; i < clip_w; ++i) {
    const int d = i + clip_lo - dst_lo;
    const double c = FullEdge ? (d + 0.5) / scale + src_lo - 0.5 : d / scale + src_lo;
    std::vector<TContributor>& list = table[i];
    if (scale >= 1) {
      for (int64_t j = static_cast<int64_t>(std::floor(c - width));
           j <= static_cast<int64_t>(std::ceil(c + width)); ++j) {
        long w = std::lrint(FilterKernel(filter, static_cast<float>(c - j)) * 256.0);
        if (w != 0) list.push_back({clamp(j), static_cast<int32_t>(w)});
      }
    } else {
      const double support = width / scale;
      for (int64_t j = static_cast<int64_t>(std::floor(c - support));
           j <= static_cast<int64_t>(std::ceil(c + support)); ++j) {
        long w = std::lrint(FilterKernel(filter, static_cast<float>((c - j) * scale)) * 256.0 * scale);
        if (w != 0) list.push_back({clamp(j), static_cast<int32_t>(w)});
      }
      if (list.empty()) list.push_back({clamp(static_cast<int64_t>(std::floor(c))), 256});
    }
    int sum = 0;
    for (const TContributor& t : list) sum += t.weight;
    list[list.size() / 2].weight += 256 - sum;
  }
  return table;
}

// ---- Transfer paths ---------------------------------------------------------------------------

namespace {

struct TRowWriter {
  TDrawMode draw_mode;
  uint32_t master_alpha;
  TPixelCombiner combine;

  void operator()(const TColor32* src, TColor32* dst, int count) const {
    switch (draw_mode) {
      case dmOpaque: std::memcpy(dst, src, static_cast<size_t>(count) * 4); break;
      case dmBlend:
        if (master_alpha < 255)
          BlendRowMaster(src, dst, count, master_alpha);
        else
          BlendRow(src, dst, count);
        break;
      case dmCustom:
        for (int i = 0; i < count; ++i) combine.call(combine.context, src[i], dst[i], master_alpha);
        break;
    }
  }
};

void BlockTransfer(const TPixelMap& dst, const TPixelRect& clip, const TPixelMap& src, int dx, int dy,
                   const TRowWriter& write) {
  for (int y = clip.top; y < clip.bottom; ++y)
    write(src.Row(y + dy) + clip.left + dx, dst.Row(y) + clip.left, clip.Width());
}

// Source index of each destination index of the clip, nearest neighbour.
std::vector<int> NearestMap(int dst_lo, int dst_hi, int clip_lo, int clip_hi, int src_lo, int src_hi) {
  const int64_t src_w = src_hi - src_lo, dst_w = dst_hi - dst_lo;
  std::vector<int> map;
  for (int x = clip_lo; x < clip_hi; ++x) {
    int64_t s;
    if (dst_w < 2)
      s = (src_lo + src_hi - 1) / 2;
    else if (FullEdge)
      s = src_lo + (x - dst_lo) * src_w / dst_w;
    else
      s = std::lrint(src_lo + static_cast<double>(x - dst_lo) * (src_w - 1) / (dst_w - 1));
    map.push_back(static_cast<int>(std::clamp<int64_t>(s, src_lo, src_hi - 1)));
  }
  return map;
}

void Nearest(const TPixelMap& dst, const TPixelRect& dr, const TPixelRect& clip, const TPixelMap& src,
             const TPixelRect& sr, const TRowWriter& write) {
  std::vector<int> xs = NearestMap(dr.left, dr.right, clip.left, clip.right, sr.left, sr.right);
  std::vector<int> ys = NearestMap(dr.top, dr.bottom, clip.top, clip.bottom, sr.top, sr.bottom);
  std::vector<TColor32> row(xs.size());
  for (size_t j = 0; j < ys.size(); ++j) {
    const TColor32* s = src.Row(ys[j]);
    for (size_t i = 0; i < xs.size(); ++i) row[i] = s[xs[i]];
    write(row.data(), dst.Row(clip.top + static_cast<int>(j)) + clip.left, clip.Width());
  }
}

// The block of source indexes [first, last) that falls on each destination index; at least one.
std::vector<std::pair<int, int>> DraftBlocks(int dst_lo, int dst_hi, int clip_lo, int clip_hi, int src_lo,
                                             int src_hi) {
  const int64_t src_w = src_hi - src_lo, dst_w = dst_hi - dst_lo;
  std::vector<std::pair<int, int>> blocks;
  for (int x = clip_lo; x < clip_hi; ++x) {
    int first = static_cast<int>(src_lo + (x - dst_lo) * src_w / dst_w);
    int last = static_cast<int>(src_lo + (x - dst_lo + 1) * src_w / dst_w);
    blocks.push_back({first, std::max(last, first + 1)});
  }
  return blocks;
}

// Averages each block as sum x (2^24 div count), keeping the top byte of the 32-bit product:
// fixed point without a division per pixel, so a block of three 255s gives 254.
void Draft(const TPixelMap& dst, const TPixelRect& dr, const TPixelRect& clip, const TPixelMap& src,
           const TPixelRect& sr, const TRowWriter& write) {
  auto xs = DraftBlocks(dr.left, dr.right, clip.left, clip.right, sr.left, sr.right);
  auto ys = DraftBlocks(dr.top, dr.bottom, clip.top, clip.bottom, sr.top, sr.bottom);
  std::vector<TColor32> row(xs.size());
  for (size_t j = 0; j < ys.size(); ++j) {
    for (size_t i = 0; i < xs.size(); ++i) {
      uint64_t sum[4] = {0, 0, 0, 0};
      for (int y = ys[j].first; y < ys[j].second; ++y) {
        const TColor32* s = src.Row(y);
        for (int x = xs[i].first; x < xs[i].second; ++x)
          for (int c = 0; c < 4; ++c) sum[c] += (s[x] >> (8 * c)) & 0xFF;
      }
      const uint64_t count = static_cast<uint64_t>(ys[j].second - ys[j].first) *
                             static_cast<uint64_t>(xs[i].second - xs[i].first);
      const uint64_t factor = 16777216 / count;
      TColor32 p = 0;
      for (int c = 0; c < 4; ++c) {
        // Past 2^24 pixels the factor is 0 and would blacken the block: the plain mean there.
        const uint64_t value = factor ? (sum[c] * factor) >> 24 : sum[c] / count;
        p |= static_cast<TColor32>(value & 0xFF) << (8 * c);
      }
      row[i] = p;
    }
    write(row.data(), dst.Row(clip.top + static_cast<int>(j)) + clip.left, clip.Width());
  }
}

// Left (or top) source index and the share of the next one in 1/256, clamped at both edges
// so that no neighbour beyond the source is read.
struct TLinearStep {
  int index;
  int next;
  uint32_t fraction;
};
std::vector<TLinearStep> LinearSteps(int dst_lo, int dst_hi, int clip_lo, int clip_hi, int src_lo,
                                     int src_hi) {
  const double src_w = src_hi - src_lo, dst_w = dst_hi - dst_lo;
  std::vector<TLinearStep> steps;
  for (int x = clip_lo; x < clip_hi; ++x) {
    double c = FullEdge ? (x - dst_lo + 0.5) * src_w / dst_w + src_lo - 0.5
                        : (x - dst_lo) * (src_w - 1) / (dst_w - 1) + src_lo;
    int64_t pos = std::llrint(c * 256);
    int64_t index = pos >> 8;
    uint32_t fraction = static_cast<uint32_t>(pos & 255);
    if (index < src_lo) index = src_lo, fraction = 0;
    if (index >= src_hi - 1) index = src_hi - 1, fraction = 0;
    steps.push_back(
        {static_cast<int>(index), static_cast<int>(std::min<int64_t>(index + 1, src_hi - 1)), fraction});
  }
  return steps;
}

void Bilinear(const TPixelMap& dst, const TPixelRect& dr, const TPixelRect& clip, const TPixelMap& src,
              const TPixelRect& sr, const TRowWriter& write) {
  auto xs = LinearSteps(dr.left, dr.right, clip.left, clip.right, sr.left, sr.right);
  auto ys = LinearSteps(dr.top, dr.bottom, clip.top, clip.bottom, sr.top, sr.bottom);
  std::vector<TColor32> row(xs.size());
  for (size_t j = 0; j < ys.size(); ++j) {
    const TColor32* top = src.Row(ys[j].index);
    const TColor32* bottom = src.Row(ys[j].next);
    for (size_t i = 0; i < xs.size(); ++i) {
      const TLinearStep& s = xs[i];
      row[i] = Interpolator(s.fraction, ys[j].fraction, top[s.index], top[s.next], bottom[s.index],
                            bottom[s.next]);
    }
    write(row.data(), dst.Row(clip.top + static_cast<int>(j)) + clip.left, clip.Width());
  }
}

// Columns first summed down each contributing source row, exactly in integers, then across:
// the same sum of weight_y * weight_x * channel in 16 fractional bits.
void Resample(const TPixelMap& dst, const TPixelRect& dr, const TPixelRect& clip, const TPixelMap& src,
              const TPixelRect& sr, TStretchFilter filter, const TRowWriter& write) {
  TMappingTable mx = BuildMappingTable(dr.left, dr.right, clip.left, clip.right, sr.left, sr.right, filter);
  TMappingTable my = BuildMappingTable(dr.top, dr.bottom, clip.top, clip.bottom, sr.top, sr.bottom, filter);
  if (mx.empty() || my.empty()) return;
  int first = sr.right, last = sr.left;
  for (const auto& list : mx)
    for (const TContributor& t : list) first = std::min(first, t.pos), last = std::max(last, t.pos);
  std::vector<int32_t> column(static_cast<size_t>(last - first + 1) * 4);
  std::vector<TColor32> row(mx.size());
  for (size_t j = 0; j < my.size(); ++j) {
    std::fill(column.begin(), column.end(), 0);
    for (const TContributor& ty : my[j]) {
      const uint8_t* s = reinterpret_cast<const uint8_t*>(src.Row(ty.pos) + first);
      int32_t* v = column.data();
      const int32_t w = ty.weight;
      for (size_t k = 0; k < column.size(); ++k) v[k] += w * s[k];
    }
    for (size_t i = 0; i < mx.size(); ++i) {
      int32_t sum[4] = {0, 0, 0, 0};
      for (const TContributor& tx : mx[i]) {
        const int32_t* v = column.data() + static_cast<size_t>(tx.pos - first) * 4;
        for (int c = 0; c < 4; ++c) sum[c] += tx.weight * v[c];
      }
      TColor32 p = 0;
      for (int c = 0; c < 4; ++c)
        p |= static_cast<uint32_t>((std::clamp(sum[c], 0, 0xFF0000) >> 16) & 0xFF) << (8 * c);
      row[i] = p;
    }
    write(row.data(), dst.Row(clip.top + static_cast<int>(j)) + clip.left, clip.Width());
  }
}

}  // namespace

TTransferResult StretchPixels(const TPixelMap& dst, const TPixelRect& dst_rect, const TPixelRect& dst_clip,
                              const TPixelMap& src, const TPixelRect& src_rect, const TTransferMode& mode) {
  if (src.Empty()) return TTransferResult::Done;
  if (dst.Empty()) return TTransferResult::DestinationEmpty;
  if (src_rect.Empty()) return TTransferResult::Done;
  if (src_rect.left < 0 || src_rect.top < 0 || src_rect.right > src.width || src_rect.bottom > src.height)
    return TTransferResult::SourceRectInvalid;
  TPixelRect clip;
  if (!IntersectPixelRect(clip, dst_clip, {0, 0, dst.width, dst.height})) return TTransferResult::Done;
  if (!IntersectPixelRect(clip, clip, dst_rect)) return TTransferResult::Done;
  TRowWriter write{mode.draw_mode, mode.master_alpha, mode.combine};
  if (write.draw_mode == dmCustom && !write.combine.call) write.draw_mode = dmOpaque;
  if (write.draw_mode == dmBlend && write.master_alpha == 0) return TTransferResult::Done;
  if (src_rect.Width() == dst_rect.Width() && src_rect.Height() == dst_rect.Height()) {
    BlockTransfer(dst, clip, src, src_rect.left - dst_rect.left, src_rect.top - dst_rect.top, write);
  } else {
    switch (mode.filter) {
      case sfNearest: Nearest(dst, dst_rect, clip, src, src_rect, write); break;
      case sfDraft: Draft(dst, dst_rect, clip, src, src_rect, write); break;
      case sfLinear:
        if (dst_rect.Width() > src_rect.Width() && dst_rect.Height() > src_rect.Height())
          Bilinear(dst, dst_rect, clip, src, src_rect, write);
        else
          Resample(dst, dst_rect, clip, src, src_rect, sfLinear, write);
        break;
      default: Resample(dst, dst_rect, clip, src, src_rect, mode.filter, write); break;
    }
  }
  ClearMultimediaState();
  return TTransferResult::Done;
}
