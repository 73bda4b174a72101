// Text, number, file-name and date helpers, exceptions and Format.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "tests/toolkit/rtl_test_files.h"
#include "toolkit/sysutils.h"
#include "toolkit/textcodec.h"

namespace {

// Restores the locale settings a test changes.
class LocaleSettings : public ::testing::Test {
 protected:
  void TearDown() override {
    DecimalSeparator = separator_;
    ShortDateFormat = date_format_;
  }

 private:
  char separator_ = DecimalSeparator;
  std::string date_format_ = ShortDateFormat;
};

TEST(Utf8, MalformedSequencesAreRejected) {
  EXPECT_TRUE(IsValidUtf8("plain \xC3\xA4 \xE2\x82\xAC \xF0\x9F\x98\x80"));
  for (const char* bad : {"\x80", "\xC3", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                          "\xF4\x90\x80\x80", "\xFF", "ok\xC3(", "\xE4pfel"})
    EXPECT_FALSE(IsValidUtf8(bad)) << bad;
  std::wstring out = L"kept";
  EXPECT_FALSE(TryUtf8ToWide("\xE4pfel", out));
  EXPECT_EQ(out, L"kept");
  EXPECT_THROW(Utf8ToWide("\xED\xA0\x80"), EConvertError);
  EXPECT_THROW(Utf8ToAnsi("Fu\xDF"), EConvertError);
}

TEST(Utf8, ConvertsAllPlanesBothWays) {
  EXPECT_EQ(Utf8ToWide("a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80"), L"a\u00E4\u20AC\U0001F600");
  EXPECT_EQ(WideToUtf8(L"a\u00E4\u20AC\U0001F600"), "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80");
  EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(AnsiCodePage, Cp1252UmlautsRoundTrip) {
  const std::string ansi = "\xC4\xD6\xDC\xE4\xF6\xFC\xDF \x80";
  EXPECT_EQ(AnsiToWide(ansi), L"\u00C4\u00D6\u00DC\u00E4\u00F6\u00FC\u00DF \u20AC");
  EXPECT_EQ(WideToAnsi(AnsiToWide(ansi)), ansi);
  EXPECT_EQ(AnsiToUtf8(ansi), "\xC3\x84\xC3\x96\xC3\x9C\xC3\xA4\xC3\xB6\xC3\xBC\xC3\x9F \xE2\x82\xAC");
  EXPECT_EQ(Utf8ToAnsi(AnsiToUtf8(ansi)), ansi);
}

TEST(AnsiCodePage, MissingCharactersBecomeQuestionMarksNotLookAlikes) {
  EXPECT_EQ(WideToAnsi(L"A\u0100\u2215"), "A??");
}

TEST(TextCase, AsciiFunctionsLeaveUmlautsAnsiFunctionsMapThem) {
  EXPECT_EQ(UpperCase("abc\xE4"), "ABC\xE4");
  EXPECT_EQ(AnsiUpperCase("abc\xE4\xF6"), "ABC\xC4\xD6");
  EXPECT_EQ(AnsiLowerCase("ABC\xC4"), "abc\xE4");
  EXPECT_EQ(CompareText("Miller", "MILLER"), 0);
  EXPECT_LT(CompareText("abc", "ABD"), 0);
  EXPECT_GT(CompareText("b", "A"), 0);
  EXPECT_LT(CompareText("ab", "ABC"), 0);
  EXPECT_NE(CompareText("\xE4", "\xC4"), 0);
  EXPECT_EQ(AnsiCompareText("\xE4pfel", "\xC4PFEL"), 0);
  EXPECT_TRUE(SameText("Key", "kEY"));
  EXPECT_FALSE(SameText("Key", "Keys"));
}

TEST(TextTrim, RemovesBlanksAndControlCharactersOnly) {
  EXPECT_EQ(Trim(" \t\r\n\x01 a b \x1F"), "a b");
  EXPECT_EQ(TrimLeft("  a  "), "a  ");
  EXPECT_EQ(TrimRight("  a  "), "  a");
  EXPECT_EQ(Trim("\xA0x\xA0"), "\xA0x\xA0");  // no-break space is text
  EXPECT_EQ(Trim(" \t "), "");
}

TEST(StrToInt, AcceptsDecimalAndDollarHexWithinRange) {
  EXPECT_EQ(StrToInt("-42"), -42);
  EXPECT_EQ(StrToInt("+7"), 7);
  EXPECT_EQ(StrToInt("$1F"), 31);
  EXPECT_EQ(StrToInt("-$10"), -16);
  EXPECT_EQ(StrToInt("$FFFFFFFF"), -1);
  EXPECT_EQ(StrToInt("2147483647"), 2147483647);
  EXPECT_EQ(StrToInt("-2147483648"), INT32_MIN);
  EXPECT_EQ(StrToInt64("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(IntToStr(-12), "-12");
  EXPECT_EQ(IntToHex(255, 4), "00FF");
}

TEST(StrToInt, RejectsEverythingElseWithTheValueInTheMessage) {
  for (const char* bad :
       {"", " 5", "5 ", "12a", "0x1F", "$", "-", "$1G", "2147483648", "$100000000", "1.0"}) {
    int value = 99;
    EXPECT_FALSE(TryStrToInt(bad, value)) << bad;
    EXPECT_EQ(value, 99);
    EXPECT_EQ(StrToIntDef(bad, -5), -5);
  }
  try {
    StrToInt("abc");
    FAIL();
  } catch (const EConvertError& e) {
    EXPECT_EQ(e.Message(), "'abc' is not a valid integer value");
  }
}

using FloatText = LocaleSettings;

TEST_F(FloatText, UseTheDecimalSeparatorBothWays) {
  DecimalSeparator = ',';
  EXPECT_EQ(FloatToStr(2.5), "2,5");
  EXPECT_DOUBLE_EQ(StrToFloat("2,5"), 2.5);
  EXPECT_THROW(StrToFloat("2.5"), EConvertError);
  DecimalSeparator = '.';
  EXPECT_EQ(FloatToStr(2.5), "2.5");
  EXPECT_DOUBLE_EQ(StrToFloat(" -1.5e3 "), -1500);
  EXPECT_DOUBLE_EQ(StrToFloat("7"), 7);
  EXPECT_DOUBLE_EQ(StrToFloatDef("x", 1.0), 1.0);
}

TEST_F(FloatText, ShortestFormWithFifteenDigits) {
  DecimalSeparator = '.';
  EXPECT_EQ(FloatToStr(3), "3");
  EXPECT_EQ(FloatToStr(-0.0), "0");
  EXPECT_EQ(FloatToStr(1.0 / 3), "0.333333333333333");
  EXPECT_EQ(FloatToStr(1e20), "1E20");
  EXPECT_EQ(FloatToStr(0.00001), "1E-5");
  EXPECT_EQ(FloatToStr(0.0001), "0.0001");
  EXPECT_DOUBLE_EQ(StrToFloat(FloatToStr(1.0 / 3)), 0.333333333333333);
}

TEST_F(FloatText, RejectMalformedText) {
  DecimalSeparator = '.';
  for (const char* bad : {"", ".", "1e", "e5", "inf", "nan", "0x10", "1.5.2", "1,5", "- 1"}) {
    double value = 9;
    EXPECT_FALSE(TryStrToFloat(bad, value)) << bad;
    EXPECT_EQ(value, 9);
  }
}

TEST(Rounding, HalvesGoToEvenAndOverflowRaises) {
  EXPECT_EQ(Round(0.5), 0);
  EXPECT_EQ(Round(1.5), 2);
  EXPECT_EQ(Round(2.5), 2);
  EXPECT_EQ(Round(-0.5), 0);
  EXPECT_EQ(Round(-1.5), -2);
  EXPECT_EQ(Round(2.4999), 2);
  EXPECT_EQ(Round(2.5001), 3);
  EXPECT_EQ(Trunc(-2.7), -2);
  EXPECT_THROW(Round(std::nan("")), EInvalidOp);
  EXPECT_THROW(Round(1e300), EInvalidOp);
  EXPECT_THROW(Trunc(-1e19), EMathError);
}

using FormatDirectives = LocaleSettings;

TEST_F(FormatDirectives, DirectivesWidthsAndPrecisions) {
  DecimalSeparator = '.';
  EXPECT_EQ(Format("%s=%d", std::string("LapNum"), -1), "LapNum=-1");
  EXPECT_EQ(Format("[%5d][%-5d][%.3d]", 42, 42, 7), "[   42][42   ][007]");
  EXPECT_EQ(Format("%x %X %x", 255, -1, static_cast<int64_t>(-1)), "ff FFFFFFFF ffffffffffffffff");
  EXPECT_EQ(Format("%.4x", 10u), "000a");
  EXPECT_EQ(Format("%f|%.2f|%8.1f|%e", 1.5, 2.345, -3.25, 1234.5), "1.500000|2.35|    -3.2|1.234500e+03");
  EXPECT_EQ(Format("%s|%.2s|%6s|%-3s|", "abc", "abc", "abc", 'x'), "abc|ab|   abc|x  |");
  EXPECT_EQ(Format("100%% %c", 'z'), "100% z");
  EXPECT_EQ(Format("%1:s %0:s %s", "a", "b"), "b a b");
  EXPECT_EQ(Format("[%*d]", 4, 1), "[   1]");
  EXPECT_EQ(Format("%.0n", 1234567.0), "1,234,567");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "");
  DecimalSeparator = ',';
  EXPECT_EQ(Format("%.1f", 2.5), "2,5");
}

TEST_F(FormatDirectives, MismatchedOrMissingArgumentsRaise) {
  EXPECT_THROW(Format("%d", "text"), EConvertError);
  EXPECT_THROW(Format("%s", 5), EConvertError);
  EXPECT_THROW(Format("%f", 5), EConvertError);
  EXPECT_THROW(Format("%d %d", 5), EConvertError);
  EXPECT_THROW(Format("%q", 5), EConvertError);
  EXPECT_THROW(Format("50%"), EConvertError);
}

TEST(FileNameParts, SplitAtBackslashSlashAndDrive) {
  EXPECT_EQ(ExtractFilePath("C:\\race\\Current.Asl"), "C:\\race\\");
  EXPECT_EQ(ExtractFilePath("C:/race/x.ini"), "C:/race/");
  EXPECT_EQ(ExtractFilePath("C:x.ini"), "C:");
  EXPECT_EQ(ExtractFilePath("x.ini"), "");
  EXPECT_EQ(ExtractFileName("C:\\race\\Current.Asl"), "Current.Asl");
  EXPECT_EQ(ExtractFileDir("C:\\race\\x"), "C:\\race");
  EXPECT_EQ(ExtractFileDir("C:\\x"), "C:\\");
  EXPECT_EQ(ExtractFileExt("C:\\race\\Current.Asl"), ".Asl");
  EXPECT_EQ(ExtractFileExt("C:\\my.race\\README"), "");
  EXPECT_EQ(ChangeFileExt("C:\\race\\dravolin.exe", ".ini"), "C:\\race\\dravolin.ini");
  EXPECT_EQ(ChangeFileExt("C:\\my.race\\dravolin", ".hlp"), "C:\\my.race\\dravolin.hlp");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\race"), "C:\\race\\");
  EXPECT_EQ(IncludeTrailingPathDelimiter("C:\\race\\"), "C:\\race\\");
  EXPECT_EQ(ExcludeTrailingPathDelimiter("C:\\race\\"), "C:\\race");
}

using FileSystem = ScratchFolder;

TEST_F(FileSystem, ExistenceTellsFilesFromDirectories) {
  WriteBytes(Path("a.txt"), "x");
  ASSERT_TRUE(CreateDir(Path("sub")));
  EXPECT_TRUE(FileExists(Path("a.txt")));
  EXPECT_FALSE(DirectoryExists(Path("a.txt")));
  EXPECT_TRUE(DirectoryExists(Path("sub")));
  EXPECT_FALSE(FileExists(Path("sub")));
  EXPECT_FALSE(FileExists(Path("none.txt")));
  EXPECT_TRUE(DeleteFile(Path("a.txt")));
  EXPECT_FALSE(FileExists(Path("a.txt")));
  EXPECT_FALSE(DeleteFile(Path("a.txt")));
  EXPECT_TRUE(ForceDirectories(Path("x\\y\\z")));
  EXPECT_TRUE(DirectoryExists(Path("x\\y\\z")));
}

TEST_F(FileSystem, DirectorySearchFindsFoldersOnlyWhenAsked) {
  WriteBytes(Path("one.dat"), "12345");
  WriteBytes(Path("two.dat"), "");
  ASSERT_TRUE(CreateDir(Path("skin")));
  auto names = [](const std::vector<TSearchRec>& entries) {
    std::vector<std::string> result;
    for (const auto& e : entries) result.push_back(e.Name);
    std::sort(result.begin(), result.end());
    return result;
  };
  EXPECT_EQ(names(ListDirectory(Path("*"), 0)), (std::vector<std::string>{"one.dat", "two.dat"}));
  EXPECT_EQ(names(ListDirectory(Path("*"), faDirectory)),
            (std::vector<std::string>{"one.dat", "skin", "two.dat"}));
  TSearchRec rec;
  ASSERT_EQ(FindFirst(Path("one.*"), faAnyFile, rec), 0u);
  EXPECT_EQ(rec.Name, "one.dat");
  EXPECT_EQ(rec.Size, 5);
  EXPECT_NE(FindNext(rec), 0u);
  FindClose(rec);
  EXPECT_NE(FindFirst(Path("*.none"), faAnyFile, rec), 0u);
}

TEST(ModulePath, ExecutablePathNamesThisRunningFile) {
  std::string exe = ExeFileName();
  EXPECT_TRUE(FileExists(exe)) << exe;
  EXPECT_TRUE(SameText(ExtractFileExt(exe), ".exe"));
  EXPECT_NE(ExtractFilePath(exe), "");
}

TEST(ErrorExceptions, OSErrorsCarryCodeAndSystemText) {
  std::string text = SysErrorMessage(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), '\n');
  try {
    SetLastError(ERROR_FILE_NOT_FOUND);
    RaiseLastOSError();
  } catch (const EOSError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_NE(e.Message().find(text), std::string::npos) << e.Message();
    EXPECT_STREQ(e.ClassName(), "EOSError");
  }
  try {
    RaiseInOutError("C:\\x.asl", ERROR_ACCESS_DENIED);
  } catch (const EInOutError& e) {
    EXPECT_EQ(e.ErrorCode(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_NE(e.Message().find("C:\\x.asl"), std::string::npos);
  }
}

TEST(ErrorExceptions, AssertionNamesMessageFileAndLine) {
  EXPECT_NO_THROW(Assert(true, "never"));
  try {
    Assert(false, "Lane out of range");
    FAIL();
  } catch (const EAssertionFailed& e) {
    EXPECT_NE(e.Message().find("Lane out of range (rtl_sysutils_test.cpp, line "), std::string::npos)
        << e.Message();
  }
}

using DateText = LocaleSettings;

TEST_F(DateText, EncodeDecodeAndFormatWithThePicture) {
  EXPECT_EQ(EncodeDate(1899, 12, 30), 0);
  EXPECT_EQ(EncodeDate(2000, 1, 1), 36526);
  EXPECT_EQ(EncodeDate(2024, 3, 1) - EncodeDate(2024, 2, 28), 2);  // leap year
  int y, m, d;
  DecodeDate(EncodeDate(2026, 12, 7) + 0.75, y, m, d);
  EXPECT_EQ(y * 10000 + m * 100 + d, 20261207);
  EXPECT_THROW(EncodeDate(2023, 2, 29), EConvertError);
  ShortDateFormat = "dd.MM.yyyy";
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 7)), "07.03.2024");
  ShortDateFormat = "M/d/yy";
  EXPECT_EQ(DateToStr(EncodeDate(2024, 3, 7)), "3/7/24");
}

TEST_F(DateText, TodayIsShownInTheLocalesShortForm) {
  char expected[128];
  ASSERT_GT(GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, nullptr, nullptr, expected, sizeof expected),
            0);
  EXPECT_EQ(DateToStr(Date()), expected);
}

}  // namespace
