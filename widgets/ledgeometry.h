// The LED lamp's shape and shading as pure functions: the outlines of plastic, gap and border
// rings for each lamp class, their rotation into the window, the light and dark sides of the
// rings, and the shade of the plastic and of the halo. No window or device context, so they
// build for any target and are tested without drawing.
#pragma once

#include <functional>
#include <vector>

#include "widgets/segmentglyphs.h"

enum TIALedClass { ialcRect, ialcRound, ialcRomb, ialcHalfCircle, ialcTriangle, ialcTrapezium };

struct TRealPoint {
  double x = 0;
  double y = 0;
};
using TRealOutline = std::vector<TRealPoint>;

// What the outlines depend on. Border depths of rings that are not drawn count as 0.
struct TLedShape {
  TIALedClass led_class = ialcRect;
  int led_width = 22;
  int led_height = 12;
  int gap = 0;
  int inner_depth = 0;
  int outer_depth = 2;

  int Margin() const { return gap + inner_depth + outer_depth; }
  double FigureWidth() const { return led_width + 2.0 * Margin(); }
  double FigureHeight() const { return led_height + 2.0 * Margin(); }
};

// Plastic, gap, inner and outer outline: the same number of points in the same order, each
// the previous one pushed outwards.
struct TLedOutlines {
  TRealOutline plastic, gap, inner, outer;
};

// Angles in tenths of a degree wrapped into -1799 ... 1800.
int WrapLedAngle(int angle_tenths);
// The angle is a multiple of 90 degrees (the lamp then follows its window's size).
bool IsRightAngle(int angle_tenths);

// The unrotated outlines, in the coordinates of the figure's own box.
TLedOutlines BuildLedOutlines(const TLedShape& shape);
// Turns an outline counter-clockwise about the figure's centre onto the centre of a window of
// the given size.
void RotateLedOutline(TRealOutline& outline, const TLedShape& shape, int angle_tenths, int window_width,
                      int window_height);
std::vector<TGeoPoint> RoundOutline(const TRealOutline& outline);

// The direction of a ring's edge from one point to the next, in tenths of a degree, with the
// half turn of a lowered ring added; and whether a ring's quadrilateral along that edge is dark.
int RingEdgeAngle(TGeoPoint from, TGeoPoint to, bool lowered);
bool RingEdgeDark(int edge_angle_tenths);

// The plastic's shade (0 ... 255, before grain) of pixel (x, y) of a width x height bitmap
// with border margin m: brightest at the centre, falling off linearly with the city-block
// distance. A shape that leaves no room for the body shades 0.
int PlasticShade(double x, double y, int width, int height, int margin, int depth);
// A pseudo-random integer from 0 to range - 1; the grain of the plastic.
using TGrainSource = std::function<int(int range)>;
// The grained shade: s + 15 - r, clamped to 0 ... 255.
int GrainedShade(int shade, int depth, const TGrainSource& grain);
// One channel of a plastic pixel: full brightness on, half off.
int ShadeChannel(int channel, bool on, int shade);

// The halo's strength at pixel (x, y) of a width x height halo bitmap.
int HaloAlpha(int x, int y, int width, int height, int intensity);
