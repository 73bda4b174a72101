// Gradient text and painting.
#include <gtest/gtest.h>

#include "skin/engine/sgradient.h"
#include "toolkit/bitmap.h"
#include "toolkit/sysutils.h"

namespace {

// A 24-bit picture in memory, filled with one marker colour.
struct TRows {
  std::vector<uint8_t> bits;
  TsPixelRows rows;
  TRows(int width, int height, uint8_t fill = 7) {
    rows.width = width;
    rows.height = height;
    rows.row_bytes = (width * 3 + 3) & ~3;
    bits.assign(static_cast<size_t>(rows.row_bytes) * height, fill);
    rows.bits = bits.data();
  }
  uint32_t At(int x, int y) const {  // 0x00RRGGBB
    const uint8_t* p = &bits[static_cast<size_t>(y) * rows.row_bytes + x * 3];
    return (p[2] << 16) | (p[1] << 8) | p[0];
  }
};

constexpr uint32_t kUntouched = 0x070707;

TsGradArray Parse(const std::string& text) {
  TsGradArray arr;
  ParseGradientData(text, arr);
  return arr;
}

}  // namespace

TEST(GradientParse, StepsOfFiveNumbersWithSurplusAndBlankIgnored) {
  EXPECT_TRUE(Parse("").empty());
  EXPECT_TRUE(Parse(" ").empty());
  EXPECT_EQ(Parse("1;2;3;4;5;6;7;8;9").size(), 1u);
  TsGradArray two = Parse(";;13619151;10395294;99;0;0;;10395294;$FF;0;1;0;");
  ASSERT_EQ(two.size(), 2u);
  EXPECT_EQ(two[0].Color1, 13619151);
  EXPECT_EQ(two[0].Color2, 10395294);
  EXPECT_EQ(two[0].Percent, 99);
  EXPECT_EQ(two[0].Mode, 0);
  EXPECT_EQ(two[1].Color2, 255);
  EXPECT_EQ(two[1].Mode, 1);
  TsGradArray arr;
  EXPECT_THROW(ParseGradientData("1;2;x;4;5", arr), EConvertError);
}

TEST(GradientPaint, BlackToWhiteOver256RowsRisesOneLevelPerRow) {
  TRows picture(4, 256);
  PaintGradRows(picture.rows, Parse("0;16777215;100;0;0"), RECT{0, 0, 4, 256});
  for (int y = 0; y < 256; ++y) ASSERT_EQ(picture.At(2, y), 0x010101u * y) << "row " << y;
}

// A step of extent 2 from black to blue 1, green 3, red 5 is halfway at 0.5, 1.5 and 2.5 in its
// middle row (column): ties go to the even neighbour.
TEST(GradientPaint, HalfwayChannelsRoundToEven) {
  TRows rows(2, 3), columns(3, 2);
  PaintGradRows(rows.rows, Parse("0;66309;100;0;0"), RECT{0, 0, 2, 3});
  PaintGradRows(columns.rows, Parse("0;66309;100;1;0"), RECT{0, 0, 3, 2});
  EXPECT_EQ(rows.At(1, 0), 0u);
  EXPECT_EQ(rows.At(1, 1), 0x020200u);
  EXPECT_EQ(rows.At(1, 2), 0x050301u);
  EXPECT_EQ(columns.At(1, 1), 0x020200u);
  EXPECT_EQ(columns.At(2, 1), 0x050301u);
}

TEST(GradientPaint, TheLastStepAlwaysEndsAtTheLastRow) {
  TRows picture(3, 10);
  PaintGradRows(picture.rows, Parse("255;255;0;0;0"), RECT{0, 0, 3, 10});
  for (int y = 0; y < 10; ++y) EXPECT_EQ(picture.At(1, y), 0xFF0000u) << y;  // red as 0x00RRGGBB
}

TEST(GradientPaint, NothingIsPaintedForNoStepsOrAnUnknownMode) {
  TRows picture(3, 3);
  PaintGradRows(picture.rows, Parse(" "), RECT{0, 0, 3, 3});
  PaintGradRows(picture.rows, Parse("0;0;100;2;0"), RECT{0, 0, 3, 3});
  for (int y = 0; y < 3; ++y) EXPECT_EQ(picture.At(1, y), kUntouched);
}

TEST(GradientPaint, OnlyTheFirstStepChoosesTheDirection) {
  TRows picture(4, 4);
  PaintGradRows(picture.rows, Parse("0;0;50;0;0;16777215;16777215;50;1;0"), RECT{0, 0, 4, 4});
  // Vertical: rows differ, columns of a row do not.
  EXPECT_EQ(picture.At(0, 0), 0u);
  EXPECT_EQ(picture.At(3, 0), 0u);
  EXPECT_EQ(picture.At(0, 3), 0xFFFFFFu);
}

TEST(GradientPaint, HorizontalStepsShareTheWidth) {
  TRows picture(11, 2);
  PaintGradRows(picture.rows, Parse("0;0;50;1;0;0;16777215;50;1;0"), RECT{0, 0, 11, 2});
  for (int y = 0; y < 2; ++y) {
    EXPECT_EQ(picture.At(0, y), 0u);
    EXPECT_EQ(picture.At(4, y), 0u);
    EXPECT_EQ(picture.At(10, y), 0xFFFFFFu);
  }
}

TEST(GradientPaint, RectanglesAreClippedToThePicture) {
  TRows picture(5, 5);
  PaintGradRows(picture.rows, Parse("0;0;100;0;0"), RECT{-100, -100, 1000, 1000});
  EXPECT_EQ(picture.At(4, 4), 0u);
  TRows inner(5, 5);
  PaintGradRows(inner.rows, Parse("0;0;100;1;0"), RECT{1, 1, 3, 3});
  EXPECT_EQ(inner.At(1, 1), 0u);
  EXPECT_EQ(inner.At(2, 2), 0u);
  EXPECT_EQ(inner.At(0, 0), kUntouched);
  EXPECT_EQ(inner.At(3, 3), kUntouched);
  // Fully outside or empty: untouched, no fault.
  PaintGradRows(inner.rows, Parse("0;0;100;0;0"), RECT{10, 10, 20, 20});
  PaintGradRows(inner.rows, Parse("0;0;100;0;0"), RECT{3, 3, 1, 1});
  EXPECT_EQ(inner.At(4, 4), kUntouched);
}

TEST(GradientPaint, PercentagesBeyondAHundredStayInsideTheRectangle) {
  TRows picture(3, 12, 7);
  TsGradArray arr = Parse("0;0;255;0;0;255;255;255;0;0;65280;65280;255;0;0");
  PaintGradRows(picture.rows, arr, RECT{0, 2, 3, 8});
  EXPECT_EQ(picture.At(1, 1), kUntouched);
  EXPECT_EQ(picture.At(1, 8), kUntouched);
  EXPECT_EQ(picture.At(1, 2), 0u);
}

TEST(GradientPaint, OnABitmap) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(8, 8);
  PaintGrad(&bmp, Parse("255;255;100;0;0"), RECT{0, 0, 8, 8});
  EXPECT_EQ(bmp.GetPixelColor(3, 3), 255);
  PaintGrad(nullptr, Parse("255;255;100;0;0"), RECT{0, 0, 8, 8});
}
