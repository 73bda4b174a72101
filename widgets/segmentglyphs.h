// The segment indicator's vocabulary and geometry: which segments or dots a character lights,
// the polygon of every segment and dot of a cell, how a text is laid into cells, and the
// rotation the indicator applies afterwards. Pure functions on plain values (no window, no
// device context), so they build for any target and are tested exhaustively.
#pragma once

#include <string>
#include <string_view>
#include <vector>

enum TIAIndicatorKind { ik7segment, ik5x7matrix, ik9segment };
enum TIAIndicatorStyle { isThin, isNormal, isThick };

struct TGeoPoint {
  int x = 0;
  int y = 0;
  bool operator==(const TGeoPoint&) const = default;
};

// Polygons as the platform's poly-polygon calls take them: all points in a row, and the
// number of points of each polygon.
struct TPolygonSet {
  std::vector<TGeoPoint> points;
  std::vector<int> counts;

  int Count() const { return static_cast<int>(counts.size()); }
  bool Empty() const { return counts.empty(); }
  void Clear();
  void Add(const std::vector<TGeoPoint>& polygon);
  void Append(const TPolygonSet& other);
  void Offset(int dx, int dy);
};

struct TCellRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
};

// How a cell is drawn, beside its rectangle.
struct TCellStyle {
  TIAIndicatorKind kind = ik7segment;
  TIAIndicatorStyle style = isNormal;
  bool hover = false;  // the mouse is over the indicator and it reacts with thickness
};

// Segments of a cell: 8 for 7-segment cells (the last the decimal point), 10 for 9-segment
// cells (8 and 9 the colon dots, 10 the point), 35 dots for the 5 x 7 matrix.
int SegmentCount(TIAIndicatorKind kind);

// The on/off pattern of a character, one '0' or '1' per segment (rows of dots, top first, for
// the matrix). "." and "," light only the point in segment cells; unknown characters nothing.
std::string GlyphPattern(TIAIndicatorKind kind, unsigned char character, bool point_lit);

// Segment or dot thickness for a cell of the given size.
double SegmentThickness(TIAIndicatorStyle style, bool hover, int cell_width, int cell_height);

// The six points of one segment (numbered as above) relative to the cell's corner; empty for
// a segment the cell's kind does not have.
std::vector<TGeoPoint> SegmentPolygon(const TCellRect& cell, const TCellStyle& style, int segment);
// The four points of the dot in row and column (both from 1) relative to the cell's corner.
std::vector<TGeoPoint> DotPolygon(const TCellRect& cell, const TCellStyle& style, int row, int column);

// Appends every segment or dot of the cell, in the indicator's coordinates, to the lit or the
// unlit set.
void GetGlyph(const TCellRect& cell, const TCellStyle& style, unsigned char character, bool point_lit,
              TPolygonSet& lit, TPolygonSet& unlit);

// What one cell shows.
struct TCellContent {
  unsigned char character = ' ';
  bool point = false;
  bool operator==(const TCellContent&) const = default;
};

// Lays a text right-aligned into `cells` cells. In segment cells a "." or "," after a character
// lights that character's point; a leading or repeated one takes a cell of its own. A text
// needing more cells shows its beginning.
std::vector<TCellContent> LayOutCells(std::string_view text, int cells, TIAIndicatorKind kind);

// Rounds halves to even, as every coordinate of these shapes is rounded.
int RoundEven(double value);

// Rotates points about (cx, cy) by an angle in tenths of a degree, counter-clockwise on the
// screen, rounding as the indicator does (each point about the origin, then shifted by the
// centre's rounded displacement).
void RotatePoints(std::vector<TGeoPoint>& points, int cx, int cy, int angle_tenths);

// The size of the box a w x h rectangle turned by the angle needs.
struct TGeoSize {
  int width = 0, height = 0;
  bool operator==(const TGeoSize&) const = default;
};
TGeoSize RotatedBox(double width, double height, int angle_tenths);

// The four edges of a bevel and which of them are light for a raised bevel at an angle.
enum TBevelEdge { beTop, beLeft, beBottom, beRight };
int BevelOctant(int angle_tenths);
bool BevelEdgeLight(int angle_tenths, TBevelEdge edge);
// The corners of one edge of a bevel at inset `offset` with the given width.
std::vector<TGeoPoint> BevelEdgePolygon(int width, int height, int offset, int bevel_width, TBevelEdge edge);
