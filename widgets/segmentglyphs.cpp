#include "widgets/segmentglyphs.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

struct TSegmentRow {
  char character;
  const char* seven;  // segments 1 to 7
  const char* nine;   // segments 1 to 9
};

// "0" and "O" share a row; ":" lights nothing in a 7-segment cell.
constexpr TSegmentRow kSegmentRows[] = {
    {'-', "0000001", "000000100"}, {'0', "1111110", "111111000"}, {'1', "0001100", "000110000"},
    {'2', "1011011", "101101100"}, {'3', "0011111", "001111100"}, {'4', "0101101", "010110100"},
    {'5', "0110111", "011011100"}, {'6', "1110111", "111011100"}, {'7', "0011100", "001110000"},
    {'8', "1111111", "111111100"}, {'9', "0111111", "011111100"}, {':', "0000000", "000000011"},
    {'A', "1111101", "111110100"}, {'C', "1110010", "111001000"}, {'E', "1110011", "111001100"},
    {'F', "1110001", "111000100"}, {'G', "1110110", "111011000"}, {'H', "1101101", "110110100"},
    {'J', "1001110", "100111000"}, {'L', "1100010", "110001000"}, {'O', "1111110", "111111000"},
    {'P', "1111001", "111100100"}, {'U', "1101110", "110111000"}, {'Y', "0101111", "010111100"},
    {'_', "0000010", "000001000"}, {'b', "1100111", "110011100"}, {'c', "1000011", "100001100"},
    {'d', "1001111", "100111100"}, {'h', "1100101", "110010100"}, {'i', "1000000", "100000000"},
    {'j', "0000110", "000011000"}, {'l', "1100000", "110000000"}, {'n', "1000101", "100010100"},
    {'o', "1000111", "100011100"}, {'r', "1000001", "100000100"}, {'t', "1100011", "110001100"},
    {'u', "1000110", "100011000"},
};

struct TMatrixRow {
  char character;
  const char* dots;  // 7 rows of 5, top row first
};

// Characters 33 to 126 except the grave accent; the double quote and "~" share a glyph.
constexpr TMatrixRow kMatrixRows[] = {
    {'!', "00110001100011000110000000011000110"},  {'"', "01010101000000000000000000000000000"},
    {'#', "00000010101111101010111110101000000"},  {'$', "01110101011010001110001011010101110"},
    {'%', "11000110010001000100010001001100011"},  {'&', "00110010011001001100011011001001101"},
    {'\'', "01100110000000000000000000000000000"}, {'(', "00100010000100001000010000100000100"},
    {')', "00100000100001000010000100001000100"},  {'*', "00000101010111011111011101010100000"},
    {'+', "00000000000010001110001000000000000"},  {',', "00000000000000000000001100011000010"},
    {'-', "00000000000000001110000000000000000"},  {'.', "00000000000000000000000000011000110"},
    {'/', "00000000010001000100010001000000000"},  {'0', "01110100011000110001100011000101110"},
    {'1', "00010001100001000010000100001000111"},  {'2', "01110100010000100010001000100011111"},
    {'3', "01110100010000100110000011000101110"},  {'4', "10001100011000101111000010000100001"},
    {'5', "11111100001000011110000011000101110"},  {'6', "01110100011000011110100011000101110"},
    {'7', "11111000010000100010000100001000010"},  {'8', "01110100011000101110100011000101110"},
    {'9', "01110100011000101111000011000101110"},  {':', "00000001100011000000001100011000000"},
    {';', "00000001100011000000001100011000010"},  {'<', "00010001000100010000010000010000010"},
    {'=', "00000000000111000000011100000000000"},  {'>', "01000001000001000001000100010001000"},
    {'?', "01110100010000100010000000011000110"},  {'@', "01110100111010110111100001000101110"},
    {'A', "01110100011000111111100011000110001"},  {'B', "11110100011000111110100011000111110"},
    {'C', "01110100011000010000100001000101110"},  {'D', "11110100011000110001100011000111110"},
    {'E', "11111100001000011110100001000011111"},  {'F', "11111100001000011110100001000010000"},
    {'G', "01110100011000010000100111000101110"},  {'H', "10001100011000111111100011000110001"},
    {'I', "01110001000010000100001000010001110"},  {'J', "00011000010000100001000011000101110"},
    {'K', "10001100101010011000101001001010001"},  {'L', "10000100001000010000100001000011111"},
    {'M', "10001110111010110101100011000110001"},  {'N', "10001110011100110101101111001110001"},
    {'O', "01110100011000110001100011000101110"},  {'P', "01110100011000111110100001000010000"},
    {'Q', "01110100011000110001101011001101111"},  {'R', "11110100011000111110101001001010001"},
    {'S', "01110100011000001110000011000101110"},  {'T', "11111001000010000100001000010000100"},
    {'U', "10001100011000110001100011000101110"},  {'V', "10001100011000110001100010101000100"},
    {'W', "10001100011000110001101011010101010"},  {'X', "10001010100111000100011100101010001"},
    {'Y', "10001010100010000100001000010001110"},  {'Z', "11111000010001000100010001000011111"},
    {'[', "11100100001000010000100001000011100"},  {'\\', "00000100000100000100000100000100000"},
    {']', "00111000010000100001000010000100111"},  {'^', "00100010100000000000000000000000000"},
    {'_', "00000000000000000000000000000011111"},  {'a', "00000000000111000001011111000101111"},
    {'b', "10000100001111010001100011000111110"},  {'c', "00000000000111010001100001000101110"},
    {'d', "00001000010111110001100011000101111"},  {'e', "00000000000111010001111101000001111"},
    {'f', "00000000000111010000111001000010000"},  {'g', "00000000000111010001011110000100110"},
    {'h', "10000100001000011110100011000110001"},  {'i', "00000001000000000100001000010001110"},
    {'j', "00000000100000000010000100001001100"},  {'k', "10000100001001010100110001010010010"},
    {'l', "00000001000110000100001000010001110"},  {'m', "00000000000101010101101011010110101"},
    {'n', "00000000001111010001100011000110001"},  {'o', "00000000000111010001100011000101110"},
    {'p', "00000000001111010001111101000010000"},  {'q', "00000000000111110001011110000100001"},
    {'r', "00000000000111010001100001000010000"},  {'s', "00000000000111110000011100000111110"},
    {'t', "10000100001110010000100001000101110"},  {'u', "00000000001000110001100011001101101"},
    {'v', "00000000001000110001100010101000100"},  {'w', "00000000001000110101101011010101010"},
    {'x', "00000000001000101010001000101010001"},  {'y', "00000000001000110001011110000100110"},
    {'z', "00000000001111100010001000100011111"},  {'{', "00110010000100010000010000100000110"},
    {'|', "00100001000010000100001000010000100"},  {'}', "01100000100001000001000100001001100"},
    {'~', "01010101000000000000000000000000000"},
};

constexpr char kBlankMatrix[] = "00000000000000000000000000000000000";

bool IsPoint(unsigned char c) { return c == '.' || c == ','; }

int T(double value) { return static_cast<int>(std::trunc(value)); }

}  // namespace

// ---- TPolygonSet --------------------------------------------------------------------------

void TPolygonSet::Clear() {
  points.clear();
  counts.clear();
}

void TPolygonSet::Add(const std::vector<TGeoPoint>& polygon) {
  if (polygon.empty()) return;
  points.insert(points.end(), polygon.begin(), polygon.end());
  counts.push_back(static_cast<int>(polygon.size()));
}

void TPolygonSet::Append(const TPolygonSet& other) {
  points.insert(points.end(), other.points.begin(), other.points.end());
  counts.insert(counts.end(), other.counts.begin(), other.counts.end());
}

void TPolygonSet::Offset(int dx, int dy) {
  for (TGeoPoint& p : points) {
    p.x += dx;
    p.y += dy;
  }
}

// ---- Glyphs -------------------------------------------------------------------------------

int SegmentCount(TIAIndicatorKind kind) {
  switch (kind) {
    case ik5x7matrix: return 35;
    case ik9segment: return 10;
    default: return 8;
  }
}

std::string GlyphPattern(TIAIndicatorKind kind, unsigned char character, bool point_lit) {
  if (kind == ik5x7matrix) {
    for (const TMatrixRow& row : kMatrixRows)
      if (static_cast<unsigned char>(row.character) == character) return row.dots;
    return kBlankMatrix;
  }
  const int segments = kind == ik9segment ? 9 : 7;
  std::string pattern(segments, '0');
  if (IsPoint(character)) return pattern + '1';
  for (const TSegmentRow& row : kSegmentRows)
    if (static_cast<unsigned char>(row.character) == character) {
      pattern = kind == ik9segment ? row.nine : row.seven;
      break;
    }
  return pattern + (point_lit ? '1' : '0');
}

double SegmentThickness(TIAIndicatorStyle style, bool hover, int cell_width, int cell_height) {
  const double side = std::min(cell_width, cell_height);
  switch (style) {
    case isThin: return std::max(side / (hover ? 6.0 : 8.0), 2.0);
    case isThick: return std::max(side / (hover ? 4.5 : 5.0), 4.0);
    default: return std::max(side / (hover ? 5.0 : 6.0), 3.0);
  }
}

namespace {

// The hexagon around a colon dot's centre.
std::vector<TGeoPoint> ColonDot(double x, double y, double t) {
  const double a = t / 3;
  return {{T(x - a), T(y + 2 * a)}, {T(x - 2 * a), T(y)}, {T(x - a), T(y - 2 * a)},
          {T(x + a), T(y - 2 * a)}, {T(x + 2 * a), T(y)}, {T(x + a), T(y + 2 * a)}};
}

std::vector<TGeoPoint> PointSegment(double u, double v, double t) {
  const double h = t / 2, q = t / 4;
  return {{T(5.5 * u + q) + 1, T(7 * v)},     {T(5.5 * u + 2 * q) + 1, T(7 * v - h)},
          {T(5.5 * u + 5 * q), T(7 * v - h)}, {T(5.5 * u + 6 * q), T(7 * v)},
          {T(5.5 * u + 5 * q), T(7 * v + h)}, {T(5.5 * u + 2 * q) + 1, T(7 * v + h)}};
}

// The dot size along one axis from the cell's column width or row height.
double DotExtent(TIAIndicatorStyle style, bool hover, double pitch) {
  switch (style) {
    case isThin: return std::max(pitch * (hover ? 1.0 / 2 : 2.0 / 3) - 1, 1.5);
    case isThick: return std::max(pitch * (hover ? 3.0 / 4 : 1.0) - 1, 3.5);
    default: return std::max(pitch * (hover ? 2.0 / 3 : 3.0 / 4) - 1, 2.5);
  }
}

}  // namespace

std::vector<TGeoPoint> SegmentPolygon(const TCellRect& cell, const TCellStyle& style, int segment) {
  if (style.kind == ik5x7matrix) return {};
  const double u = cell.Width() / 8.0, v = cell.Height() / 8.0;
  const double t = SegmentThickness(style.style, style.hover, cell.Width(), cell.Height());
  const double h = t / 2;
  const bool nine = style.kind == ik9segment;
  switch (segment) {
    case 1:
      return {{T(u), T(7 * v + h) - 1}, {T(u - h), T(7 * v - h) - 1},   {T(1.5 * u - h), T(4 * v + h)},
              {T(1.5 * u), T(4 * v)},   {T(1.5 * u + h), T(4 * v + h)}, {T(u + h), T(7 * v - h) - 1}};
    case 2:
      return {{T(1.5 * u), T(4 * v) - 1}, {T(1.5 * u - h), T(4 * v - h) - 1},
              {T(2 * u - h), T(v + h)},   {T(2 * u), T(v - h)},
              {T(2 * u + h), T(v + h)},   {T(1.5 * u + h), T(4 * v - h) - 1}};
    case 3:
      return {{T(2 * u) + 1, T(v - h)},   {T(2 * u + h) + 1, T(v - h)},   {T(6.5 * u - h) - 1, T(v - h)},
              {T(6.5 * u) - 1, T(v - h)}, {T(6.5 * u - h) - 1, T(v + h)}, {T(2 * u + h) + 1, T(v + h)}};
    case 4:
      return {{T(6.5 * u), T(v - h)},   {T(6.5 * u + h), T(v + h)},       {T(6 * u + h), T(4 * v - h) - 1},
              {T(6 * u), T(4 * v) - 1}, {T(6 * u - h), T(4 * v - h) - 1}, {T(6.5 * u - h), T(v + h)}};
    case 5:
      return {{T(6 * u), T(4 * v)},
              {T(6 * u + h), T(4 * v + h)},
              {T(5.5 * u + h), T(7 * v - h) - 1},
              {T(5.5 * u), T(7 * v + h) - 1},
              {T(5.5 * u - h), T(7 * v - h) - 1},
              {T(6 * u - h), T(4 * v + h)}};
    case 6:
      return {{T(u) + 1, T(7 * v + h)},           {T(u + h) + 1, T(7 * v - h)},
              {T(5.5 * u - h) - 1, T(7 * v - h)}, {T(5.5 * u) - 1, T(7 * v + h)},
              {T(5.5 * u - h) - 1, T(7 * v + h)}, {T(u + h) + 1, T(7 * v + h)}};
    case 7:
      return {{T(1.5 * u) + 1, T(4 * v)},       {T(1.5 * u + h) + 1, T(4 * v - h)},
              {T(6 * u - h) - 1, T(4 * v - h)}, {T(6 * u) - 1, T(4 * v)},
              {T(6 * u - h) - 1, T(4 * v + h)}, {T(1.5 * u + h) + 1, T(4 * v + h)}};
    case 8: return nine ? ColonDot(4 * u, 2.5 * v, t) : PointSegment(u, v, t);
    case 9: return nine ? ColonDot(3.5 * u, 5.5 * v, t) : std::vector<TGeoPoint>{};
    case 10: return nine ? PointSegment(u, v, t) : std::vector<TGeoPoint>{};
    default: return {};
  }
}

std::vector<TGeoPoint> DotPolygon(const TCellRect& cell, const TCellStyle& style, int row, int column) {
  const int cw = cell.Width(), ch = cell.Height();
  const int d = T(cw / 16.0) + 1;
  const double cx = (cw - 2.0 * d) / 5, cy = ch / 7.0;
  const int dw = T(DotExtent(style.style, style.hover, cx));
  const int dh = T(DotExtent(style.style, style.hover, cy));
  const int x0 = T((column - 1) * cx + d), y0 = T((row - 1) * cy);
  return {{x0, y0}, {x0 + dw, y0}, {x0 + dw, y0 + dh}, {x0, y0 + dh}};
}

void GetGlyph(const TCellRect& cell, const TCellStyle& style, unsigned char character, bool point_lit,
              TPolygonSet& lit, TPolygonSet& unlit) {
  const std::string pattern = GlyphPattern(style.kind, character, point_lit);
  for (int i = 0; i < static_cast<int>(pattern.size()); ++i) {
    std::vector<TGeoPoint> polygon = style.kind == ik5x7matrix ? DotPolygon(cell, style, i / 5 + 1, i % 5 + 1)
                                                               : SegmentPolygon(cell, style, i + 1);
    for (TGeoPoint& p : polygon) {
      p.x += cell.left;
      p.y += cell.top;
    }
    (pattern[i] == '1' ? lit : unlit).Add(polygon);
  }
}

std::vector<TCellContent> LayOutCells(std::string_view text, int cells, TIAIndicatorKind kind) {
  std::vector<TCellContent> laid;
  if (kind == ik5x7matrix) {
    for (char c : text) laid.push_back({static_cast<unsigned char>(c), false});
  } else {
    bool after_character = false;  // the last cell holds a character that may take a point
    for (char c : text) {
      const auto byte = static_cast<unsigned char>(c);
      if (IsPoint(byte) && after_character) {
        laid.back().point = true;
        after_character = false;
      } else {
        laid.push_back({byte, false});
        after_character = !IsPoint(byte);
      }
    }
  }
  cells = std::max(cells, 0);
  if (static_cast<int>(laid.size()) >= cells) {
    laid.resize(cells);
    return laid;
  }
  std::vector<TCellContent> row(cells - laid.size());
  row.insert(row.end(), laid.begin(), laid.end());
  return row;
}

// ---- Rotation and bevels ------------------------------------------------------------------

// lrint rounds in the default mode, to nearest with halves to even.
int RoundEven(double value) { return static_cast<int>(std::lrint(value)); }

namespace {

double AngleRadians(int angle_tenths) { return angle_tenths * std::numbers::pi / 1800; }

// A point turned about the origin, in real numbers.
void TurnAboutOrigin(double x, double y, double a, double& rx, double& ry) {
  const double r = std::sqrt(x * x + y * y);
  double angle;
  if (x == 0)
    angle = y <= 0 ? std::numbers::pi / 2 : -std::numbers::pi / 2;
  else
    angle = std::atan2(-y, x);
  rx = r * std::cos(angle + a);
  ry = -r * std::sin(angle + a);
}

}  // namespace

void RotatePoints(std::vector<TGeoPoint>& points, int cx, int cy, int angle_tenths) {
  const double a = AngleRadians(angle_tenths);
  double ccx, ccy;
  TurnAboutOrigin(cx, cy, a, ccx, ccy);
  const int dx = RoundEven(cx - ccx), dy = RoundEven(cy - ccy);
  for (TGeoPoint& p : points) {
    if (RoundEven(std::sqrt(double(p.x) * p.x + double(p.y) * p.y)) != 0) {
      double rx, ry;
      TurnAboutOrigin(p.x, p.y, a, rx, ry);
      // The rotated point is rounded as a whole: its distance and angle, then each coordinate.
      p = {RoundEven(rx), RoundEven(ry)};
    }
    p.x += dx;
    p.y += dy;
  }
}

TGeoSize RotatedBox(double width, double height, int angle_tenths) {
  const double a = AngleRadians(angle_tenths);
  const double c = std::fabs(std::cos(a)), s = std::fabs(std::sin(a));
  return {RoundEven(c * width + s * height), RoundEven(s * width + c * height)};
}

int BevelOctant(int angle_tenths) {
  const double a = AngleRadians(angle_tenths);
  const double s = std::sin(a), c = std::cos(a);
  const double diagonal = 1 / std::sqrt(2.0);
  int q = 0;
  // A later match replaces an earlier one (so angle 0 counts as the fourth quadrant).
  if (c >= 0 && s >= 0) q = 1;
  if (c >= 0 && s <= 0) q = 4;
  if (c <= 0 && s >= 0) q = 2;
  if (c <= 0 && s <= 0) q = 3;
  switch (q) {
    case 1: return s <= diagonal ? 1 : 2;
    case 2: return s <= diagonal ? 4 : 3;
    case 3: return s >= -diagonal ? 5 : 6;
    default: return s >= -diagonal ? 8 : 7;
  }
}

bool BevelEdgeLight(int angle_tenths, TBevelEdge edge) {
  switch (BevelOctant(angle_tenths)) {
    case 1:
    case 8: return edge == beTop || edge == beLeft;
    case 2:
    case 3: return edge == beTop || edge == beRight;
    case 4:
    case 5: return edge == beBottom || edge == beRight;
    default: return edge == beLeft || edge == beBottom;
  }
}

std::vector<TGeoPoint> BevelEdgePolygon(int width, int height, int offset, int bevel_width, TBevelEdge edge) {
  const int o = offset, w = bevel_width, W = width, H = height;
  switch (edge) {
    case beTop: return {{o, o}, {W - o, o}, {W - o - w, o + w}, {o + w, o + w}};
    case beLeft: return {{o, o}, {o, H - o}, {o + w, H - o - w}, {o + w, o + w}};
    case beBottom: return {{o, H - o}, {o + w, H - o - w}, {W - o - w, H - o - w}, {W - o, H - o}};
    default: return {{W - o, H - o}, {W - o - w, H - o - w}, {W - o - w, o + w}, {W - o, o}};
  }
}
