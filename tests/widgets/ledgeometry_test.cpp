// The LED lamp's outlines, rotation, ring sides and shading.
#include "widgets/ledgeometry.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TLedShape Shape(TIALedClass cls, int w, int h, int gap = 0, int inner = 0, int outer = 2) {
  return {cls, w, h, gap, inner, outer};
}

bool Same(const TRealOutline& a, const TRealOutline& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::fabs(a[i].x - b[i].x) > 1e-9 || std::fabs(a[i].y - b[i].y) > 1e-9) return false;
  return true;
}

}  // namespace

TEST(LedGeometry, AnglesWrapIntoOneTurn) {
  EXPECT_EQ(WrapLedAngle(3599), -1);
  EXPECT_EQ(WrapLedAngle(1800), 1800);
  EXPECT_EQ(WrapLedAngle(-1800), 1800);
  EXPECT_EQ(WrapLedAngle(-1799), -1799);
  EXPECT_EQ(WrapLedAngle(7250), 50);
  EXPECT_EQ(WrapLedAngle(-5400), 1800);
  EXPECT_TRUE(IsRightAngle(0) && IsRightAngle(900) && IsRightAngle(-900) && IsRightAngle(1800));
  EXPECT_FALSE(IsRightAngle(450) || IsRightAngle(1));
}

TEST(LedGeometry, OutlinesOfEveryClassArePushedOutwardsRingByRing) {
  // Gap 1, inner ring 2, outer ring 3: m = 6.
  for (TIALedClass cls : {ialcRect, ialcRound, ialcRomb, ialcHalfCircle, ialcTriangle, ialcTrapezium}) {
    const TLedShape shape = Shape(cls, 22, 12, 1, 2, 3);
    const TLedOutlines o = BuildLedOutlines(shape);
    ASSERT_EQ(o.plastic.size(), o.gap.size());
    ASSERT_EQ(o.plastic.size(), o.inner.size());
    ASSERT_EQ(o.plastic.size(), o.outer.size());
    // Every outline lies inside the figure's box (34 x 24), the outer one touching its edges
    // on the sides the class reaches.
    double left = 1e9, top = 1e9, right = -1e9, bottom = -1e9;
    for (const TRealPoint& p : o.outer) {
      left = std::min(left, p.x), top = std::min(top, p.y);
      right = std::max(right, p.x), bottom = std::max(bottom, p.y);
    }
    EXPECT_GE(left, -0.5) << cls;
    EXPECT_GE(top, -0.5) << cls;
    EXPECT_LE(right, 34.5) << cls;
    EXPECT_LE(bottom, 24.5) << cls;
    EXPECT_NEAR(top, 0, 1e-9) << cls;
    EXPECT_NEAR(bottom, 24, 1e-9) << cls;
  }
  EXPECT_EQ(BuildLedOutlines(Shape(ialcRound, 22, 12)).plastic.size(), 44u);
  EXPECT_EQ(BuildLedOutlines(Shape(ialcHalfCircle, 22, 12)).plastic.size(), 46u);
  const TLedOutlines rect = BuildLedOutlines(Shape(ialcRect, 22, 12, 1, 2, 3));
  EXPECT_DOUBLE_EQ(rect.plastic[0].x, 6);
  EXPECT_DOUBLE_EQ(rect.gap[0].x, 5);
  EXPECT_DOUBLE_EQ(rect.inner[2].y, 6 + 12 + 3);
  EXPECT_DOUBLE_EQ(rect.outer[2].x, 34);
  // The trapezium's top corners move in by half the distance, rounded down.
  const TLedOutlines trap = BuildLedOutlines(Shape(ialcTrapezium, 20, 10, 3, 0, 0));
  EXPECT_DOUBLE_EQ(trap.plastic[0].x, 3 + 5);
  EXPECT_DOUBLE_EQ(trap.gap[0].x, 3 + 5 - 1);
  EXPECT_DOUBLE_EQ(trap.gap[1].x, 3 + 15 + 1);
  // Without rings all four coincide: the window is exactly the plastic body.
  const TLedOutlines bare = BuildLedOutlines(Shape(ialcRound, 22, 12, 0, 0, 0));
  EXPECT_TRUE(Same(bare.plastic, bare.gap) && Same(bare.plastic, bare.inner) &&
              Same(bare.plastic, bare.outer));
  EXPECT_EQ(Shape(ialcRect, 22, 12, 0, 0, 0).FigureWidth(), 22);
}

TEST(LedGeometry, RotationTurnsTheFigureAboutTheWindowsCentre) {
  const TLedShape shape = Shape(ialcRect, 20, 10, 0, 0, 0);
  TRealOutline o = BuildLedOutlines(shape).outer;
  TRealOutline turned = o;
  RotateLedOutline(turned, shape, 0, 20, 10);
  EXPECT_TRUE(Same(turned, o));
  // A quarter turn counter-clockwise in a 10 x 20 window: the top-left corner goes to the
  // bottom-left, the top-right corner to the top-left.
  turned = o;
  RotateLedOutline(turned, shape, 900, 10, 20);
  const std::vector<TGeoPoint> corners = RoundOutline(turned);
  EXPECT_EQ(corners[0], (TGeoPoint{0, 20}));
  EXPECT_EQ(corners[1], (TGeoPoint{0, 0}));
  EXPECT_EQ(corners[2], (TGeoPoint{10, 0}));
  EXPECT_EQ(RotatedBox(shape.FigureWidth(), shape.FigureHeight(), 900), (TGeoSize{10, 20}));
  EXPECT_EQ(RotatedBox(shape.FigureWidth(), shape.FigureHeight(), 450), (TGeoSize{21, 21}));
}

TEST(LedGeometry, RingSidesAreLitFromTheTopLeftAndFollowTheRotation) {
  // An unrotated rectangle: top and left edges light, bottom and right dark when raised.
  const std::vector<TGeoPoint> rect{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
  auto dark = [&](const std::vector<TGeoPoint>& p, int i, bool lowered) {
    return RingEdgeDark(RingEdgeAngle(p[i], p[(i + 1) % p.size()], lowered));
  };
  EXPECT_FALSE(dark(rect, 0, false));  // top
  EXPECT_TRUE(dark(rect, 1, false));   // right
  EXPECT_TRUE(dark(rect, 2, false));   // bottom
  EXPECT_FALSE(dark(rect, 3, false));  // left
  for (int i = 0; i < 4; ++i) EXPECT_NE(dark(rect, i, true), dark(rect, i, false)) << i;
  EXPECT_EQ(RingEdgeAngle({3, 3}, {3, 3}, false), 0);
  EXPECT_EQ(RingEdgeAngle({3, 3}, {3, 3}, true), 1800);
  EXPECT_EQ(RingEdgeAngle({0, 0}, {10, -10}, false), 450);
  // A half turn exchanges the light and dark edges.
  const TLedShape shape = Shape(ialcRect, 20, 10);
  TRealOutline o = BuildLedOutlines(shape).outer;
  TRealOutline turned = o;
  RotateLedOutline(turned, shape, 1800, 24, 14);
  const std::vector<TGeoPoint> a = RoundOutline(o), b = RoundOutline(turned);
  for (int i = 0; i < 4; ++i) EXPECT_NE(dark(a, i, false), dark(b, i, false)) << i;
}

TEST(LedGeometry, PlasticShadeFallsOffFromTheCentreAndSurvivesEmptyBodies) {
  // The lane lamp: 69 x 97, depth 10, m = 2, so d = 16.25 and the divisor 46.5.
  EXPECT_EQ(PlasticShade(34.5, 48.5, 69, 97, 2, 10), 255);
  EXPECT_EQ(PlasticShade(34.5, 2, 69, 97, 2, 10), 128);
  EXPECT_EQ(PlasticShade(34.5, 95, 69, 97, 2, 10), 128);
  EXPECT_EQ(PlasticShade(2, 48.5, 69, 97, 2, 10), 166);
  EXPECT_EQ(PlasticShade(67, 48.5, 69, 97, 2, 10), 166);
  EXPECT_EQ(PlasticShade(2, 2, 69, 97, 2, 10), 39);
  // No body (the window is all margin) or a depth that leaves no fall-off: dark, not NaN.
  EXPECT_EQ(PlasticShade(1, 1, 4, 4, 2, 10), 0);
  EXPECT_EQ(PlasticShade(0, 0, 0, 0, 0, 10), 0);
  EXPECT_EQ(PlasticShade(5, 5, 10, 10, 5, 1), 0);
  // Grain adds 15 less a draw below 3 x depth, clamped.
  EXPECT_EQ(GrainedShade(100, 10, [](int range) { return range - 1; }), 100 + 15 - 29);
  EXPECT_EQ(GrainedShade(250, 10, [](int) { return 0; }), 255);
  EXPECT_EQ(GrainedShade(0, 10, [](int range) { return range - 1; }), 0);
  int asked = 0;
  GrainedShade(0, 4, [&](int range) { return asked = range, 0; });
  EXPECT_EQ(asked, 12);
  // On: full brightness; off: half.
  EXPECT_EQ(ShadeChannel(255, true, 255), 255);
  EXPECT_EQ(ShadeChannel(255, false, 255), 127);
  EXPECT_EQ(ShadeChannel(200, true, 128), 100);
  EXPECT_EQ(ShadeChannel(200, false, 128), 50);
}

TEST(LedGeometry, HaloIsStrongestAtTheCentre) {
  EXPECT_EQ(HaloAlpha(50, 50, 100, 100, 10), 255);
  EXPECT_EQ(HaloAlpha(50, 50, 100, 100, 5), 128);  // 127.5 to even
  EXPECT_EQ(HaloAlpha(0, 50, 100, 100, 10), 0);
  EXPECT_EQ(HaloAlpha(0, 0, 100, 100, 10), 0);
  EXPECT_EQ(HaloAlpha(25, 50, 100, 100, 10), 128);  // 127.5 to even
  EXPECT_EQ(HaloAlpha(0, 0, 0, 0, 10), 0);
}
