// Anchors and size constraints of controls. Anchors name the edges of its parent's client
// area a control keeps its distance to when that area changes size: both of two opposite
// edges stretch it, neither keeps its centre at the same proportion. Constraints limit the
// size every bounds change may give a control.
#pragma once

#include "toolkit/events.h"
#include "toolkit/persistent.h"
#include "toolkit/sets.h"
#include "toolkit/typinfo.h"

enum TAnchorKind { akLeft, akTop, akRight, akBottom };
using TAnchors = TSet<TAnchorKind>;
inline constexpr TAnchors kDefaultAnchors{akLeft, akTop};
const TEnumInfo& AnchorsInfo();

struct TControlBounds {
  int Left = 0, Top = 0, Width = 0, Height = 0;
  bool operator==(const TControlBounds&) const = default;
};

// Where a control was placed, and the size of its parent's client area then.
struct TAnchorOrigin {
  TControlBounds Bounds;
  int ParentWidth = 0, ParentHeight = 0;
};

// The bounds an anchored control takes in a parent client area of the new size.
TControlBounds AnchoredBounds(const TAnchorOrigin& origin, TAnchors anchors, int parent_width,
                              int parent_height);

// The smallest and largest size of a control; 0 is no limit.
class TSizeConstraints : public TPersistent {
  TK_CLASS(TSizeConstraints, TPersistent)

 public:
  void Assign(TPersistent* source) override;

  int GetMinWidth() const { return min_width_; }
  void SetMinWidth(int value) { Change(min_width_, value); }
  int GetMinHeight() const { return min_height_; }
  void SetMinHeight(int value) { Change(min_height_, value); }
  int GetMaxWidth() const { return max_width_; }
  void SetMaxWidth(int value) { Change(max_width_, value); }
  int GetMaxHeight() const { return max_height_; }
  void SetMaxHeight(int value) { Change(max_height_, value); }
  // The size within the limits; a minimum above the maximum wins.
  int ClampWidth(int width) const { return Clamp(width, min_width_, max_width_); }
  int ClampHeight(int height) const { return Clamp(height, min_height_, max_height_); }

  // After every change of a limit.
  TNotifyEvent OnChange;

 private:
  static void Publish(TPublisher<TSizeConstraints>& p);
  static int Clamp(int value, int min, int max);
  void Change(int& field, int value);

  int min_width_ = 0, min_height_ = 0, max_width_ = 0, max_height_ = 0;
};
