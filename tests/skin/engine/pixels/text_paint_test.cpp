// Captions in skin colours, cut captions and the measuring helpers, checked on the pixels the
// text leaves on a white bitmap (never against fixed font widths).
#include <gtest/gtest.h>

#include <memory>

#include "pixels_support.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/canvas.h"
#include "toolkit/graphics.h"

namespace {

constexpr uint32_t kPaper = 0xFFFFFF;

struct TInk {
  int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;  // inclusive bounds of non-paper pixels
  bool Empty() const { return right < 0; }
};
TInk InkOf(
    TBitmap* bmp, const std::function<bool(uint32_t)>& is_ink = [](uint32_t c) { return c != kPaper; }) {
  TInk ink;
  for (int y = 0; y < bmp->GetHeight(); ++y)
    for (int x = 0; x < bmp->GetWidth(); ++x)
      if (is_ink(PixelOf(bmp, x, y)))
        ink.left = std::min(ink.left, x), ink.top = std::min(ink.top, y), ink.right = std::max(ink.right, x),
        ink.bottom = std::max(ink.bottom, y);
  return ink;
}
bool Reddish(uint32_t c) { return (c & 255) > 160 && (c >> 8 & 255) < 90 && (c >> 16 & 255) < 90; }
bool Bluish(uint32_t c) { return (c >> 16 & 255) > 160 && (c & 255) < 90 && (c >> 8 & 255) < 90; }

class TextPaintTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SkinData().SkinLoaded = true;
    SkinGeneralData.assign(1, TsGeneralData{});
    colors_ = &SkinGeneralData[0].FontColor;
    *colors_ = {clBlack, -1, -1, -1, -1};
    SkinGeneralData[0].HotFontColor = {0xFF0000, -1, -1, -1, -1};
  }
  void TearDown() override {
    SkinGeneralData.clear();
    SkinData().SkinLoaded = false;
  }
  std::unique_ptr<TBitmap> Paper() {
    auto bmp = MakeBitmap(160, 50, [](int, int) { return kPaper; });
    bmp->GetCanvas()->GetFont()->SetSize(14);
    bmp->GetCanvas()->GetFont()->SetColor(clBlack);
    return bmp;
  }
  // The caption drawn left-aligned at (20, 10) with the skin's colours.
  std::unique_ptr<TBitmap> Caption(bool enabled = true, bool hot = false, int skin_index = 0) {
    auto bmp = Paper();
    RECT r{20, 10, 140, 40};
    WriteTextWithContour(bmp->GetCanvas(), kText, enabled, r, DT_SINGLELINE, skin_index, hot);
    return bmp;
  }
  static constexpr const char* kText = "Hgl Wq";
  TsFontColors* colors_ = nullptr;
};

TEST_F(TextPaintTest, EachContourSideWidensTheInkByOnePixelOnThatSideOnly) {
  TInk plain = InkOf(Caption().get());
  ASSERT_FALSE(plain.Empty());
  for (int side = 0; side < 4; ++side) {
    *colors_ = {clBlack, -1, -1, -1, -1};
    TColor* sides[] = {&colors_->Left, &colors_->Top, &colors_->Right, &colors_->Bottom};
    *sides[side] = clRed;
    auto bmp = Caption();
    TInk ink = InkOf(bmp.get());
    EXPECT_EQ(ink.left, plain.left - (side == 0)) << side;
    EXPECT_EQ(ink.top, plain.top - (side == 1)) << side;
    EXPECT_EQ(ink.right, plain.right + (side == 2)) << side;
    EXPECT_EQ(ink.bottom, plain.bottom + (side == 3)) << side;
    EXPECT_FALSE(InkOf(bmp.get(), Reddish).Empty()) << side;
  }
}

// The section's main colour stays the canvas's font colour: text the caller writes next with
// the canvas's colour (an unskinned one) takes it.
TEST_F(TextPaintTest, HotCaptionsTakeTheHotColoursAndTheCanvasKeepsTheMainOne) {
  EXPECT_TRUE(InkOf(Caption(true, false).get(), Bluish).Empty());
  auto hot = Caption(true, true);
  EXPECT_FALSE(InkOf(hot.get(), Bluish).Empty());
  EXPECT_EQ(hot->GetCanvas()->GetFont()->GetColor(), 0xFF0000);
  auto bmp = Paper();
  RECT r{20, 10, 140, 40};
  WriteTextWithContour(bmp->GetCanvas(), kText, true, r, DT_SINGLELINE, 0, true);
  WriteTextEx(bmp->GetCanvas(), kText, true, r, DT_SINGLELINE);
  EXPECT_TRUE(InkOf(bmp.get(), [](uint32_t c) { return c == 0; }).Empty());
}

TEST_F(TextPaintTest, DisabledTextIgnoresTheSkinColours) {
  *colors_ = {clRed, clRed, clRed, clRed, clRed};
  auto skinned = Caption(false);
  auto plain = Paper();
  RECT r{20, 10, 140, 40};
  WriteTextEx(plain->GetCanvas(), kText, false, r, DT_SINGLELINE);
  EXPECT_TRUE(InkOf(skinned.get(), Reddish).Empty());
  EXPECT_FALSE(InkOf(skinned.get()).Empty());
  EXPECT_TRUE(PixelsAre(skinned.get(), [&](int x, int y) { return PixelOf(plain.get(), x, y); }));
}

TEST_F(TextPaintTest, InvalidSkinIndexDrawsInTheCanvasColour) {
  *colors_ = {clRed, clRed, -1, -1, -1};
  auto unskinned = Caption(true, false, 5);
  auto plain = Paper();
  RECT r{20, 10, 140, 40};
  WriteTextEx(plain->GetCanvas(), kText, true, r, DT_SINGLELINE);
  EXPECT_TRUE(PixelsAre(unskinned.get(), [&](int x, int y) { return PixelOf(plain.get(), x, y); }));
}

// Empty text draws nothing, and still leaves the brush clear as every call does: a caller
// that fills after it would otherwise paint with the brush it had.
TEST_F(TextPaintTest, EmptyTextDrawsNothingAndLeavesTheBrushClear) {
  for (bool skinned : {true, false}) {
    auto bmp = Paper();
    bmp->GetCanvas()->GetBrush()->SetStyle(bsSolid);
    RECT r{20, 10, 140, 40};
    if (skinned)
      WriteTextWithContour(bmp->GetCanvas(), "", true, r, DT_SINGLELINE, 0, false);
    else
      WriteTextEx(bmp->GetCanvas(), "", true, r, DT_SINGLELINE);
    EXPECT_TRUE(InkOf(bmp.get()).Empty());
    EXPECT_EQ(bmp->GetCanvas()->GetBrush()->GetStyle(), bsClear) << skinned;
  }
}

TEST_F(TextPaintTest, RectangleIsFittedAndComesBackMovedUnlessTheTextWordBreaks) {
  auto bmp = Paper();
  TCanvas* canvas = bmp->GetCanvas();
  SIZE size = canvas->TextExtent(kText);
  RECT r{20, 10, 140, 40};
  WriteTextEx(canvas, kText, true, r, DT_WORDBREAK);
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.top, 10);
  EXPECT_EQ(r.right, 140);
  EXPECT_EQ(r.bottom, 40);

  int inward = (30 - size.cy) / 2;
  r = {20, 10, 140, 40};
  WriteTextEx(canvas, kText, true, r, 0);
  EXPECT_EQ(r.left, 21);
  EXPECT_EQ(r.right, 21 + size.cx);
  EXPECT_EQ(r.top, 11 + inward);
  EXPECT_EQ(r.bottom, 41 - inward);

  r = {20, 10, 140, 40};
  WriteTextEx(canvas, kText, true, r, DT_RIGHT);
  EXPECT_EQ(r.right, 141);
  EXPECT_EQ(r.left, 141 - size.cx);

  // Centred: the rectangle keeps its size and moves by half the difference to the text's.
  r = {20, 10, 140, 40};
  WriteTextEx(canvas, kText, true, r, DT_CENTER);
  EXPECT_EQ(r.left, 21 + (size.cx - 120) / 2);
  EXPECT_EQ(r.top, 11 + (size.cy - 30) / 2);
  EXPECT_EQ(r.right - r.left, 120);
}

TEST_F(TextPaintTest, LeftAlignedTextStartsAtTheRectangle) {
  auto bmp = Paper();
  RECT r{20, 10, 140, 40};
  WriteTextEx(bmp->GetCanvas(), "|||", true, r, 0);
  TInk ink = InkOf(bmp.get());
  EXPECT_GE(ink.left, 20);
  EXPECT_LE(ink.left, 23);
}

// ---- Cutting and measuring ----------------------------------------------------------------

TEST_F(TextPaintTest, CutTextKeepsTheLongestPrefixThatFitsWithDots) {
  auto bmp = Paper();
  TCanvas* canvas = bmp->GetCanvas();
  const std::string text = "Autocross heat 12";
  int full = canvas->TextWidth(text);
  EXPECT_EQ(CutText(canvas, text, 0), "");
  EXPECT_EQ(CutText(canvas, text, -5), "");
  EXPECT_EQ(CutText(canvas, text, full), text);
  EXPECT_EQ(CutText(canvas, "", 100), "");
  std::string cut = CutText(canvas, text, full - 1);
  ASSERT_GE(cut.size(), 4u);
  ASSERT_EQ(cut.substr(cut.size() - 3), "...");
  std::string prefix = cut.substr(0, cut.size() - 3);
  EXPECT_EQ(text.substr(0, prefix.size()), prefix);
  EXPECT_LE(canvas->TextWidth(cut), full - 1);
  EXPECT_GT(canvas->TextWidth(text.substr(0, prefix.size() + 1) + "..."), full - 1);
  // Not even the first letter fits with the dots.
  EXPECT_EQ(CutText(canvas, text, canvas->TextWidth("A...") - 1), "");
}

TEST_F(TextPaintTest, MeasuringHelpersAgreeWithTheCanvas) {
  auto bmp = Paper();
  TCanvas* canvas = bmp->GetCanvas();
  HFONT font = canvas->GetFont()->GetHandle();
  SIZE size = GetStringSize(font, kText);
  SIZE expected = canvas->TextExtent(kText);
  EXPECT_EQ(size.cx, expected.cx);
  EXPECT_EQ(size.cy, expected.cy);
  EXPECT_EQ(GetFontHeight(font), expected.cy + 6);
  EXPECT_GT(GetStringSize(font, "WWWW").cx, GetStringSize(font, "WW").cx);
}

}  // namespace
