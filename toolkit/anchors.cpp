#include "toolkit/anchors.h"

#include <algorithm>

const TEnumInfo& AnchorsInfo() {
  static const TEnumInfo info{"akLeft", "akTop", "akRight", "akBottom"};
  return info;
}

namespace {

// One axis: the new start and length of a span placed at start with length in an extent.
void AnchorAxis(bool to_start, bool to_end, int start, int length, int extent, int new_extent, int& out_start,
                int& out_length) {
  out_start = start;
  out_length = length;
  if (to_start && to_end) {
    out_length = length + new_extent - extent;
  } else if (to_end) {
    out_start = start + new_extent - extent;
  } else if (!to_start) {
    // The centre stays at the same proportion of the extent.
    const long long centre = 2LL * start + length;
    out_start = extent > 0 ? static_cast<int>((centre * new_extent / extent - length) / 2) : start;
  }
}

}  // namespace

TControlBounds AnchoredBounds(const TAnchorOrigin& origin, TAnchors anchors, int parent_width,
                              int parent_height) {
  const TControlBounds& b = origin.Bounds;
  TControlBounds r;
  AnchorAxis(anchors.Contains(akLeft), anchors.Contains(akRight), b.Left, b.Width, origin.ParentWidth,
             parent_width, r.Left, r.Width);
  AnchorAxis(anchors.Contains(akTop), anchors.Contains(akBottom), b.Top, b.Height, origin.ParentHeight,
             parent_height, r.Top, r.Height);
  return r;
}

TK_CLASS_INFO(TSizeConstraints, TPersistent)

void TSizeConstraints::Publish(TPublisher<TSizeConstraints>& p) {
  using C = TSizeConstraints;
  p.Integer("MaxHeight", &C::GetMaxHeight, &C::SetMaxHeight).Default(0);
  p.Integer("MaxWidth", &C::GetMaxWidth, &C::SetMaxWidth).Default(0);
  p.Integer("MinHeight", &C::GetMinHeight, &C::SetMinHeight).Default(0);
  p.Integer("MinWidth", &C::GetMinWidth, &C::SetMinWidth).Default(0);
}

void TSizeConstraints::Assign(TPersistent* source) {
  auto* other = DynamicCast<TSizeConstraints>(source);
  if (!other) return TPersistent::Assign(source);
  min_width_ = other->min_width_;
  min_height_ = other->min_height_;
  max_width_ = other->max_width_;
  max_height_ = other->max_height_;
  OnChange(this);
}

int TSizeConstraints::Clamp(int value, int min, int max) {
  if (max > 0) value = std::min(value, max);
  if (min > 0) value = std::max(value, min);
  return value;
}

void TSizeConstraints::Change(int& field, int value) {
  value = std::max(value, 0);
  if (value == field) return;
  field = value;
  OnChange(this);
}
