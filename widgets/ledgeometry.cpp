#include "widgets/ledgeometry.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double kPi = std::numbers::pi;

double Radians(int angle_tenths) { return angle_tenths * kPi / 1800; }

// Number of steps of the round outlines: one per pixel of the longer side, at least one.
int RoundSteps(const TLedShape& shape) { return std::max({shape.led_width, shape.led_height, 1}); }

TRealOutline PlasticOutline(const TLedShape& shape) {
  const double m = shape.Margin();
  const int W = shape.led_width, H = shape.led_height;
  const int n = RoundSteps(shape);
  TRealOutline p;
  switch (shape.led_class) {
    case ialcRound:
      for (int i = 0; i < 2 * n; ++i) {
        const double t = i * kPi / n;
        p.push_back({m + W / 2.0 + std::sin(t) * W / 2.0, m + H / 2.0 - std::cos(t) * H / 2.0});
      }
      break;
    case ialcRomb: p = {{m + W / 2, m}, {m + W, m + H / 2}, {m + W / 2, m + H}, {m, m + H / 2}}; break;
    case ialcHalfCircle:
      for (int i = 0; i < 2 * n; ++i) {
        const double t = i * kPi / (2 * n - 1);
        p.push_back({m + std::sin(t) * W, m + H / 2.0 - std::cos(t) * H / 2.0});
      }
      p.push_back({m, m + H});
      p.push_back({m, m});
      break;
    case ialcTriangle: p = {{m + W / 2, m}, {m + W, m + H}, {m, m + H}}; break;
    case ialcTrapezium: p = {{m + W / 4, m}, {m + 3 * W / 4, m}, {m + W, m + H}, {m, m + H}}; break;
    default: p = {{m, m}, {m + W, m}, {m + W, m + H}, {m, m + H}}; break;
  }
  return p;
}

// The outline pushed outwards by d, point by point as each class moves its points.
TRealOutline PushOutwards(const TLedShape& shape, TRealOutline outline, int d) {
  const int n = RoundSteps(shape);
  auto move = [&](size_t i, double dx, double dy) {
    outline[i].x += dx;
    outline[i].y += dy;
  };
  switch (shape.led_class) {
    case ialcRound:
      for (size_t i = 0; i < outline.size(); ++i) {
        const double t = i * kPi / n;
        move(i, std::sin(t) * d, -std::cos(t) * d);
      }
      break;
    case ialcHalfCircle:
      for (size_t i = 0; i + 2 < outline.size(); ++i) {
        const double t = i * kPi / (2 * n - 1);
        move(i, std::sin(t) * d, -std::cos(t) * d);
      }
      move(outline.size() - 2, -d, d);
      move(outline.size() - 1, -d, -d);
      break;
    case ialcRomb:
      move(0, 0, -d);
      move(1, d, 0);
      move(2, 0, d);
      move(3, -d, 0);
      break;
    case ialcTriangle:
      move(0, 0, -d);
      move(1, d, d);
      move(2, -d, d);
      break;
    case ialcTrapezium:
      move(0, -(d / 2), -d);
      move(1, d / 2, -d);
      move(2, d, d);
      move(3, -d, d);
      break;
    default:
      move(0, -d, -d);
      move(1, d, -d);
      move(2, d, d);
      move(3, -d, d);
      break;
  }
  return outline;
}

}  // namespace

int WrapLedAngle(int angle_tenths) {
  while (angle_tenths > 1800) angle_tenths -= 3600;
  while (angle_tenths <= -1800) angle_tenths += 3600;
  return angle_tenths;
}

bool IsRightAngle(int angle_tenths) {
  const double a = Radians(angle_tenths);
  return std::fabs(std::cos(a)) < 0.0001 || std::fabs(std::sin(a)) < 0.0001;
}

TLedOutlines BuildLedOutlines(const TLedShape& shape) {
  TLedOutlines o;
  o.plastic = PlasticOutline(shape);
  o.gap = PushOutwards(shape, o.plastic, shape.gap);
  o.inner = PushOutwards(shape, o.gap, shape.inner_depth);
  o.outer = PushOutwards(shape, o.inner, shape.outer_depth);
  return o;
}

void RotateLedOutline(TRealOutline& outline, const TLedShape& shape, int angle_tenths, int window_width,
                      int window_height) {
  const double a = Radians(angle_tenths), c = std::cos(a), s = std::sin(a);
  const double w = shape.FigureWidth(), h = shape.FigureHeight();
  const double dx = window_width / 2.0 - (c * w / 2 + s * h / 2);
  const double dy = window_height / 2.0 - (-s * w / 2 + c * h / 2);
  for (TRealPoint& p : outline) p = {p.x * c + p.y * s + dx, -p.x * s + p.y * c + dy};
}

std::vector<TGeoPoint> RoundOutline(const TRealOutline& outline) {
  std::vector<TGeoPoint> points;
  points.reserve(outline.size());
  for (const TRealPoint& p : outline) points.push_back({RoundEven(p.x), RoundEven(p.y)});
  return points;
}

int RingEdgeAngle(TGeoPoint from, TGeoPoint to, bool lowered) {
  int angle = lowered ? 1800 : 0;
  const double dx = to.x - from.x, dy = from.y - to.y;  // y upwards
  const double length = std::fabs(dx) + std::fabs(dy);
  if (length == 0) return angle;
  if (RoundEven(dx) == 0) return angle + (dy > 0 ? 900 : -900);
  return angle + RoundEven(std::atan2(dy / length, dx / length) * 1800 / kPi);
}

bool RingEdgeDark(int edge_angle_tenths) {
  const double a = Radians(edge_angle_tenths), s = std::sin(a), c = std::cos(a);
  const double diagonal = 1 / std::sqrt(2.0);
  return (s > 0 && c <= -diagonal) || (s <= 0 && c <= diagonal);
}

int PlasticShade(double x, double y, int width, int height, int margin, int depth) {
  const double d = std::min(width / 2.0 - margin, height / 2.0 - margin) * depth / 20;
  const double divisor = width / 2.0 + height / 2.0 - 2.0 * margin - 2 * d;
  // A body of no size (or a depth that eats it) has no fall-off to compute: dark.
  if (!(std::fabs(divisor) > 1e-9)) return 0;
  const double s = 255 - (std::fabs(y - height / 2.0) + std::fabs(x - width / 2.0)) * 127 / divisor;
  if (!std::isfinite(s) || std::fabs(s) > 1e9) return 0;
  return RoundEven(s);
}

int GrainedShade(int shade, int depth, const TGrainSource& grain) {
  const int range = std::max(3 * depth, 1);
  const int r = grain ? grain(range) : 0;
  return std::clamp(shade + 15 - r, 0, 255);
}

int ShadeChannel(int channel, bool on, int shade) { return (channel * (on ? 2 : 1) / 2) * shade / 255; }

int HaloAlpha(int x, int y, int width, int height, int intensity) {
  if (width <= 0 || height <= 0) return 0;
  const double nx = 2.0 * x / width - 1, ny = 2.0 * y / height - 1;
  const int a = RoundEven((255 - std::sqrt(nx * nx + ny * ny) * 255) * intensity / 10);
  return std::clamp(a, 0, 255);
}
