// The indicator's glyph tables, segment and dot polygons, cell layout and rotation.
#include "widgets/segmentglyphs.h"

#include <gtest/gtest.h>

#include <ostream>
#include <set>
#include <string>

void PrintTo(const TGeoPoint& p, std::ostream* os) { *os << "(" << p.x << ", " << p.y << ")"; }
void PrintTo(const TCellContent& c, std::ostream* os) { *os << "'" << c.character << (c.point ? ".'" : "'"); }

namespace {

constexpr TIAIndicatorKind kKinds[] = {ik7segment, ik5x7matrix, ik9segment};
constexpr TIAIndicatorStyle kStyles[] = {isThin, isNormal, isThick};

TCellRect Cell(int left, int top, int width, int height) { return {left, top, left + width, top + height}; }

// The polygon of segment or dot i (0-based) of a cell, in the indicator's coordinates.
std::vector<TGeoPoint> Part(const TCellRect& cell, const TCellStyle& style, int i) {
  std::vector<TGeoPoint> p = style.kind == ik5x7matrix ? DotPolygon(cell, style, i / 5 + 1, i % 5 + 1)
                                                       : SegmentPolygon(cell, style, i + 1);
  for (TGeoPoint& q : p) q = {q.x + cell.left, q.y + cell.top};
  return p;
}

std::vector<TGeoPoint> Polygon(const TPolygonSet& set, int index) {
  int first = 0;
  for (int i = 0; i < index; ++i) first += set.counts[i];
  return {set.points.begin() + first, set.points.begin() + first + set.counts[index]};
}

std::string Lit(TIAIndicatorKind kind, char c, bool point = false) {
  return GlyphPattern(kind, static_cast<unsigned char>(c), point);
}

}  // namespace

// Every byte in every kind, style and point state: each segment or dot lands in exactly one
// of the two sets, in segment order, as the pattern says, with the cell's corner added.
TEST(SegmentGlyphs, EveryCharacterSplitsTheCellsSegmentsIntoLitAndUnlit) {
  const TCellRect cell = Cell(124, 5, 62, 93);
  for (TIAIndicatorKind kind : kKinds)
    for (TIAIndicatorStyle st : kStyles)
      for (int c = 0; c < 256; ++c)
        for (bool point : {false, true}) {
          const TCellStyle style{kind, st, c % 2 == 0};
          TPolygonSet lit, unlit;
          GetGlyph(cell, style, static_cast<unsigned char>(c), point, lit, unlit);
          const std::string pattern = GlyphPattern(kind, static_cast<unsigned char>(c), point);
          ASSERT_EQ(static_cast<int>(pattern.size()), SegmentCount(kind));
          ASSERT_EQ(lit.Count() + unlit.Count(), SegmentCount(kind)) << kind << " " << c;
          int l = 0, u = 0;
          for (int i = 0; i < SegmentCount(kind); ++i) {
            const bool on = pattern[i] == '1';
            ASSERT_TRUE(pattern[i] == '0' || on);
            ASSERT_EQ(on ? Polygon(lit, l++) : Polygon(unlit, u++), Part(cell, style, i)) << kind << c << i;
          }
          for (const TPolygonSet* set : {&lit, &unlit})
            for (const TGeoPoint& p : set->points) {
              ASSERT_GE(p.x, cell.left - 1);
              ASSERT_LE(p.x, cell.right + 1);  // the hovered point reaches one pixel over
              ASSERT_GE(p.y, cell.top - 1);
              ASSERT_LE(p.y, cell.bottom);
            }
        }
}

TEST(SegmentGlyphs, TablesLightWhatTheDisplayShows) {
  // Segments 1 lower-left, 2 upper-left, 3 top, 4 upper-right, 5 lower-right, 6 bottom, 7 middle.
  EXPECT_EQ(Lit(ik7segment, '8', true), "11111111");
  EXPECT_EQ(Lit(ik7segment, '.'), "00000001");
  EXPECT_EQ(Lit(ik7segment, ','), "00000001");
  EXPECT_EQ(Lit(ik9segment, '.'), "0000000001");
  EXPECT_EQ(Lit(ik7segment, ' '), "00000000");
  EXPECT_EQ(Lit(ik9segment, ':'), "0000000110");
  EXPECT_EQ(Lit(ik7segment, ':'), "00000000");
  EXPECT_EQ(Lit(ik7segment, 'o'), "10001110");
  EXPECT_EQ(Lit(ik7segment, 'O'), "11111100");
  EXPECT_EQ(Lit(ik7segment, '0'), Lit(ik7segment, 'O'));
  EXPECT_EQ(Lit(ik7segment, '1'), "00011000");
  EXPECT_EQ(Lit(ik7segment, '2'), "10110110");
  EXPECT_EQ(Lit(ik9segment, '7', true), "0011100001");
  EXPECT_EQ(Lit(ik7segment, 'a'), "00000000");  // no row: lower-case letters are distinct
  // The 9-segment rows are the 7-segment ones plus the colon dots, which only ":" lights.
  const std::string listed = "-0123456789:ACEFGHJLOPUY_bcdhijlnortu";
  for (int c = 0; c < 256; ++c) {
    std::string seven = Lit(ik7segment, static_cast<char>(c)), nine = Lit(ik9segment, static_cast<char>(c));
    EXPECT_EQ(nine.substr(0, 7), seven.substr(0, 7)) << c;
    EXPECT_EQ(nine.substr(7, 2), c == ':' ? "11" : "00") << c;
    bool lights = seven.find('1') != std::string::npos || c == ':';
    bool expected = listed.find(static_cast<char>(c)) != std::string::npos && c != 0;
    if (c == '.' || c == ',') expected = true;
    EXPECT_EQ(lights, expected) << c;
  }
}

TEST(SegmentGlyphs, MatrixTableCoversThePrintableCharacters) {
  const std::string blank(35, '0');
  EXPECT_EQ(Lit(ik5x7matrix, '0'), "01110100011000110001100011000101110");
  EXPECT_EQ(Lit(ik5x7matrix, 'A'), "01110100011000111111100011000110001");
  EXPECT_EQ(Lit(ik5x7matrix, '.'), "00000000000000000000000000011000110");
  EXPECT_EQ(Lit(ik5x7matrix, '"'), Lit(ik5x7matrix, '~'));
  EXPECT_EQ(Lit(ik5x7matrix, '`'), blank);
  EXPECT_EQ(Lit(ik5x7matrix, ' '), blank);
  std::set<std::string> glyphs;
  for (int c = 0; c < 256; ++c) {
    const std::string g = Lit(ik5x7matrix, static_cast<char>(c), true);
    const bool printable = c >= 33 && c <= 126 && c != '`';
    EXPECT_EQ(g != blank, printable) << c;
    if (printable) glyphs.insert(g);
  }
  // 93 characters, of which "0"/"O" and the double quote/"~" share glyphs.
  EXPECT_EQ(glyphs.size(), 91u);
}

TEST(SegmentGlyphs, ThicknessAndPolygonsFollowTheCellGrid) {
  EXPECT_DOUBLE_EQ(SegmentThickness(isThick, false, 62, 93), 12.4);
  EXPECT_DOUBLE_EQ(SegmentThickness(isThick, true, 62, 93), 62 / 4.5);
  EXPECT_DOUBLE_EQ(SegmentThickness(isThin, false, 10, 12), 2.0);  // 1.25 raised
  EXPECT_DOUBLE_EQ(SegmentThickness(isNormal, false, 10, 12), 3.0);
  EXPECT_DOUBLE_EQ(SegmentThickness(isThick, false, 10, 12), 4.0);

  const TCellRect cell = Cell(0, 0, 62, 93);
  const TCellStyle thick{ik9segment, isThick, false};
  // u = 7.75, v = 11.625, h = 6.2: the top bar's straight outer edge and shortened inner one.
  std::vector<TGeoPoint> top{{16, 5}, {22, 5}, {43, 5}, {49, 5}, {43, 17}, {22, 17}};
  EXPECT_EQ(SegmentPolygon(cell, thick, 3), top);
  std::vector<TGeoPoint> lower_left{{7, 86}, {1, 74}, {5, 52}, {11, 46}, {17, 52}, {13, 74}};
  EXPECT_EQ(SegmentPolygon(cell, thick, 1), lower_left);
  // The upper colon dot around (31, 29.06), a = 4.13.
  std::vector<TGeoPoint> colon{{26, 37}, {22, 29}, {26, 20}, {35, 20}, {39, 29}, {35, 37}};
  EXPECT_EQ(SegmentPolygon(cell, thick, 8), colon);
  EXPECT_EQ(SegmentPolygon(cell, thick, 10), SegmentPolygon(cell, {ik7segment, isThick, false}, 8));
  EXPECT_TRUE(SegmentPolygon(cell, {ik7segment, isThick, false}, 9).empty());
  EXPECT_TRUE(SegmentPolygon(cell, {ik7segment, isThick, false}, 10).empty());
  EXPECT_TRUE(SegmentPolygon(cell, thick, 11).empty());
  EXPECT_TRUE(SegmentPolygon(cell, thick, 0).empty());
  // Hovering thickens segments.
  auto width_of = [](const std::vector<TGeoPoint>& p) { return p[4].y - p[1].y; };
  EXPECT_GT(width_of(SegmentPolygon(cell, {ik9segment, isThick, true}, 7)),
            width_of(SegmentPolygon(cell, thick, 7)));

  // Dots: inset 4, pitch 10.8 x 13.29; thick dots fill the pitch less one pixel, and shrink
  // when hovered.
  const TCellStyle matrix{ik5x7matrix, isThick, false};
  std::vector<TGeoPoint> first{{4, 0}, {13, 0}, {13, 12}, {4, 12}};
  EXPECT_EQ(DotPolygon(cell, matrix, 1, 1), first);
  std::vector<TGeoPoint> last{{47, 79}, {56, 79}, {56, 91}, {47, 91}};
  EXPECT_EQ(DotPolygon(cell, matrix, 7, 5), last);
  std::vector<TGeoPoint> hovered{{4, 0}, {11, 0}, {11, 8}, {4, 8}};
  EXPECT_EQ(DotPolygon(cell, {ik5x7matrix, isThick, true}, 1, 1), hovered);
  // Tiny cells keep a minimum dot.
  std::vector<TGeoPoint> tiny{{1, 0}, {2, 0}, {2, 1}, {1, 1}};
  EXPECT_EQ(DotPolygon(Cell(0, 0, 5, 7), {ik5x7matrix, isThin, false}, 1, 1), tiny);
}

TEST(SegmentGlyphs, TextIsLaidRightAlignedWithPointsSharingCells) {
  using C = TCellContent;
  const C blank{};
  auto lay = [](std::string_view text, int cells) { return LayOutCells(text, cells, ik7segment); };
  EXPECT_EQ(lay("5.5", 3), (std::vector<C>{blank, {'5', true}, {'5', false}}));
  EXPECT_EQ(lay(".5", 3), (std::vector<C>{blank, {'.', false}, {'5', false}}));
  EXPECT_EQ(lay("5..5", 3), (std::vector<C>{{'5', true}, {'.', false}, {'5', false}}));
  EXPECT_EQ(lay("", 3), (std::vector<C>(3, blank)));
  EXPECT_EQ(lay("12345", 3), (std::vector<C>{{'1'}, {'2'}, {'3'}}));  // the beginning is shown
  EXPECT_EQ(lay("1.", 2), (std::vector<C>{blank, {'1', true}}));
  EXPECT_EQ(lay("1,2", 2), (std::vector<C>{{'1', true}, {'2'}}));
  // A lane time fills exactly the seven cells, the colon in a cell of its own.
  EXPECT_EQ(LayOutCells("12:34.56", 7, ik9segment),
            (std::vector<C>{{'1'}, {'2'}, {':'}, {'3'}, {'4', true}, {'5'}, {'6'}}));
  // The matrix takes every character into a cell and never lights a point.
  EXPECT_EQ(LayOutCells("1.5", 4, ik5x7matrix), (std::vector<C>{blank, {'1'}, {'.'}, {'5'}}));
  EXPECT_EQ(LayOutCells("ABCDE", 3, ik5x7matrix), (std::vector<C>{{'A'}, {'B'}, {'C'}}));
  EXPECT_TRUE(LayOutCells("1", 0, ik7segment).empty());
}

TEST(SegmentGlyphs, RotationTurnsCounterClockwiseAboutTheCentre) {
  EXPECT_EQ(RoundEven(2.5), 2);
  EXPECT_EQ(RoundEven(3.5), 4);
  EXPECT_EQ(RoundEven(-2.5), -2);
  std::vector<TGeoPoint> rect{{0, 0}, {438, 0}, {438, 97}, {0, 97}};
  std::vector<TGeoPoint> same = rect;
  RotatePoints(same, 219, 48, 0);
  EXPECT_EQ(same, rect);
  RotatePoints(same, 219, 48, 3600);
  EXPECT_EQ(same, rect);
  // A quarter turn: the right end goes up, the rectangle stands on its short side.
  std::vector<TGeoPoint> turned = rect;
  RotatePoints(turned, 219, 48, 900);
  EXPECT_EQ(turned, (std::vector<TGeoPoint>{{171, 267}, {171, -171}, {268, -171}, {268, 267}}));
  std::vector<TGeoPoint> origin{{0, 0}};
  RotatePoints(origin, 0, 0, 450);
  EXPECT_EQ(origin[0], (TGeoPoint{0, 0}));

  EXPECT_EQ(RotatedBox(172, 36, 0), (TGeoSize{172, 36}));
  EXPECT_EQ(RotatedBox(172, 36, 900), (TGeoSize{36, 172}));
  EXPECT_EQ(RotatedBox(172, 36, 450), (TGeoSize{147, 147}));
  EXPECT_EQ(RotatedBox(172, 36, -1800), (TGeoSize{172, 36}));
}

TEST(SegmentGlyphs, BevelLightEdgesFollowTheOctantOfTheAngle) {
  EXPECT_EQ(BevelOctant(0), 8);  // the fourth quadrant's test comes later and wins
  EXPECT_EQ(BevelOctant(200), 1);
  EXPECT_EQ(BevelOctant(600), 2);
  EXPECT_EQ(BevelOctant(1200), 3);
  EXPECT_EQ(BevelOctant(1600), 4);
  EXPECT_EQ(BevelOctant(1800), 4);
  EXPECT_EQ(BevelOctant(2000), 5);
  EXPECT_EQ(BevelOctant(2600), 6);
  EXPECT_EQ(BevelOctant(3000), 7);
  EXPECT_EQ(BevelOctant(3400), 8);
  EXPECT_TRUE(BevelEdgeLight(0, beTop) && BevelEdgeLight(0, beLeft));
  EXPECT_FALSE(BevelEdgeLight(0, beBottom) || BevelEdgeLight(0, beRight));
  EXPECT_TRUE(BevelEdgeLight(1800, beBottom) && BevelEdgeLight(1800, beRight));
  EXPECT_TRUE(BevelEdgeLight(2700, beLeft) && BevelEdgeLight(2700, beBottom));
  EXPECT_EQ(BevelEdgePolygon(100, 40, 2, 3, beTop),
            (std::vector<TGeoPoint>{{2, 2}, {98, 2}, {95, 5}, {5, 5}}));
  EXPECT_EQ(BevelEdgePolygon(100, 40, 0, 2, beRight),
            (std::vector<TGeoPoint>{{100, 40}, {98, 38}, {98, 2}, {100, 0}}));
}
