// The skin engine's shared helpers.
#include <gtest/gtest.h>

#include "skin/engine/sutils.h"
#include "toolkit/strings.h"

TEST(SkinUtilsWords, CountsPositionsAndExtractsWordsBetweenDelimiters) {
  EXPECT_EQ(WordCount("  a  b ", " "), 2);
  EXPECT_EQ(WordCount("", " "), 0);
  EXPECT_EQ(WordCount(";;;", ";"), 0);
  const std::string mask = "#(0,42,24,90) 1,1";
  EXPECT_EQ(ExtractWord(2, mask, " ()"), "0,42,24,90");
  EXPECT_EQ(ExtractWord(3, mask, " ()"), "1,1");
  EXPECT_EQ(ExtractWord(4, mask, " ()"), "");
  EXPECT_EQ(ExtractWord(0, mask, " ()"), "");
  EXPECT_EQ(WordPosition(2, "  a  b ", " "), 6);
  EXPECT_EQ(WordPosition(3, "  a  b ", " "), 0);
  EXPECT_TRUE(IsWordPresent("b", "a b c", " "));
  EXPECT_FALSE(IsWordPresent("B", "a b c", " "));
  EXPECT_FALSE(IsWordPresent("", "a b c", " "));
  EXPECT_EQ(DelChars(" Key = Value ", ' '), "Key=Value");
}

TEST(SkinUtilsNumbers, PercentsAndConditionals) {
  EXPECT_EQ(SumPercent(50, 20), 60);
  EXPECT_EQ(SumPercent(0, 37), 37);
  EXPECT_EQ(SumPercent(100, 37), 100);
  EXPECT_EQ(SumPercent(50, 1), 50);  // halves go to the even neighbour
  EXPECT_EQ(SumPercent(50, 3), 52);
  EXPECT_EQ(SumPercent(-50, 1), -48);
  EXPECT_EQ(iffi(true, 1, 2), 1);
  EXPECT_EQ(iffs(false, "a", "b"), "b");
  EXPECT_TRUE(Between(5, 5, 6));
  EXPECT_FALSE(Between(7, 5, 6));
  int a = 1, b = 2;
  SwapInt(a, b);
  EXPECT_EQ(a, 2);
  EXPECT_EQ(MaxInt2(a, b), 2);
  EXPECT_EQ(MinInt2(a, b), 1);
}

TEST(SkinUtilsRects, TouchingIsNoOverlapAndInnerCornersUseTheExclusiveTest) {
  EXPECT_FALSE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{10, 0, 20, 10}));
  EXPECT_FALSE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{0, 10, 10, 20}));
  EXPECT_TRUE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{9, 9, 20, 20}));
  EXPECT_FALSE(RectsOverlap(RECT{0, 0, 10, 10}, RECT{5, 5, 5, 5}));
  EXPECT_TRUE(RectInRect(RECT{0, 0, 10, 10}, RECT{1, 1, 9, 9}));
  // The bottom-right corner is exclusive, so a rectangle is not in itself.
  EXPECT_FALSE(RectInRect(RECT{0, 0, 10, 10}, RECT{0, 0, 10, 10}));
  EXPECT_EQ(WidthOf(RECT{3, 4, 10, 20}), 7);
  EXPECT_EQ(HeightOf(RECT{3, 4, 10, 20}), 16);
}

TEST(SkinUtilsFolders, NormalDirEndsInOneBackslash) {
  EXPECT_EQ(NormalDir(""), "");
  EXPECT_EQ(NormalDir("C"), "C:\\");
  EXPECT_EQ(NormalDir("C:\\skins/"), "C:\\skins\\");
  EXPECT_EQ(NormalDir("C:\\skins\\"), "C:\\skins\\");
  EXPECT_EQ(NormalDir("skins"), "skins\\");
  const std::string app = GetAppPath();
  ASSERT_FALSE(app.empty());
  EXPECT_TRUE(app.back() == '\\' || app.back() == '/');
  EXPECT_TRUE(DirectoryExists(app));
}

namespace {

struct TIniText {
  TStringList lines, sections;
  explicit TIniText(std::initializer_list<const char*> text) {
    for (const char* line : text) lines.Add(line);
    ReadIniSections(lines, sections);
  }
  ~TIniText() { FreeIniSections(sections); }
};

}  // namespace

TEST(SkinUtilsIniSections, CommentsEmptyLinesAndLinesBeforeTheFirstHeaderAreDropped) {
  TIniText ini{"stray=1", "[A]", "x=1", ";c", "", "[B]"};
  ASSERT_EQ(ini.sections.Count(), 2);
  EXPECT_EQ(ini.sections.Get(0), "A");
  EXPECT_EQ(static_cast<TStrings*>(ini.sections.Objects(0))->Count(), 1);
  EXPECT_EQ(static_cast<TStrings*>(ini.sections.Objects(1))->Count(), 0);
  EXPECT_EQ(ReadSectionString(ini.sections, "a", "x", "d"), "1");
  EXPECT_EQ(ReadSectionString(ini.sections, "A", "y", "d"), "d");
  EXPECT_EQ(ReadSectionString(ini.sections, "C", "x", "d"), "d");
}

TEST(SkinUtilsIniSections, IntegersAreDecimalOrHexadecimal) {
  TIniText ini{"[S]", "hex=0x1F", "dollar=$1F", "short=0X", "text=abc", "dec=-12", "big=99999999999"};
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "hex", -1), 31);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "dollar", -1), 31);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "short", -7), -7);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "text", -7), -7);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "dec", -7), -12);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "big", -7), -7);
  EXPECT_EQ(ReadSectionInteger(ini.sections, "S", "none", -7), -7);
}

TEST(SkinUtilsMessages, WarningsAndErrorsGoThroughTheReplaceableProcedure) {
  static std::vector<std::pair<std::string, TsMessageKind>> shown;
  shown.clear();
  TsMessageProc saved = SkinMessageProc;
  SkinMessageProc = [](const std::string& text, TsMessageKind kind) { shown.emplace_back(text, kind); };
  ShowWarning("w");
  ShowError("e");
  SkinMessageProc = saved;
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], std::make_pair(std::string("w"), smkWarning));
  EXPECT_EQ(shown[1], std::make_pair(std::string("e"), smkError));
}
