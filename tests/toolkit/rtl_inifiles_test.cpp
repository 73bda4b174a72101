// Ini files on disk (TIniFile) and in memory (TMemIniFile).
#include <gtest/gtest.h>

#include "tests/toolkit/rtl_test_files.h"
#include "toolkit/inifiles.h"
#include "toolkit/strings.h"

namespace {

using IniFile = ScratchFolder;

TEST_F(IniFile, MissingFileAndMissingKeysGiveTheDefaults) {
  TIniFile ini(Path("dravolin.ini"));
  EXPECT_EQ(ini.ReadInteger("Configuration", "COMPORT", 0), 0);
  EXPECT_EQ(ini.ReadInteger("Configuration", "LapNum", 2), 2);
  EXPECT_EQ(ini.ReadString("Configuration", "ProtocolTitle", "Dravolin"), "Dravolin");
  EXPECT_TRUE(ini.ReadBool("Configuration", "Flag", true));
  EXPECT_FALSE(ini.SectionExists("Configuration"));
  TStringList sections;
  ini.ReadSections(sections);
  EXPECT_EQ(sections.Count(), 0);
  EXPECT_EQ(ReadBytes(Path("dravolin.ini")), "<missing>");  // reading creates nothing
  WriteBytes(Path("dravolin.ini"), "[Configuration]\r\nCOMPORT=3\r\n");
  EXPECT_EQ(ini.ReadInteger("Configuration", "CountDown", 5), 5);
  EXPECT_EQ(ini.ReadInteger("Other", "COMPORT", 7), 7);
}

TEST_F(IniFile, EveryWriteReachesTheFileAtOnce) {
  TIniFile ini(Path("dravolin.ini"));
  ini.WriteInteger("Configuration", "COMPORT", 3);
  EXPECT_EQ(ReadBytes(Path("dravolin.ini")), "[Configuration]\r\nCOMPORT=3\r\n");
  ini.WriteInteger("Configuration", "LapNum", -1);
  ini.WriteString("Configuration", "ProtokollFu\xDFzeile",
                  "Gr\xFC\xDF"
                  "e");
  ini.WriteBool("Configuration", "On", true);
  EXPECT_EQ(ReadBytes(Path("dravolin.ini")),
            "[Configuration]\r\nCOMPORT=3\r\nLapNum=-1\r\nProtokollFu\xDFzeile=Gr\xFC\xDF"
            "e\r\nOn=1\r\n");
  TIniFile other(Path("dravolin.ini"));
  EXPECT_EQ(other.ReadInteger("Configuration", "LapNum", 2), -1);
  WriteBytes(Path("dravolin.ini"), "[Configuration]\r\nCOMPORT=9\r\n");  // changed behind its back
  EXPECT_EQ(ini.ReadInteger("Configuration", "COMPORT", 0), 9);
}

TEST_F(IniFile, NamesIgnoreCaseUmlautsIncluded) {
  WriteBytes(Path("x.ini"), "[Einstellungen]\r\n\xC4pfel=4\r\nCountDown=40\r\n");
  TIniFile ini(Path("x.ini"));
  EXPECT_EQ(ini.ReadInteger("EINSTELLUNGEN", "countdown", 0), 40);
  EXPECT_EQ(ini.ReadInteger("einstellungen", "\xE4PFEL", 0), 4);
  ini.WriteInteger("EINSTELLUNGEN", "COUNTDOWN", 5);
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[Einstellungen]\r\n\xC4pfel=4\r\nCountDown=5\r\n");
  EXPECT_TRUE(ini.ValueExists("einstellungen", "\xE4pfel"));
  EXPECT_FALSE(ini.ValueExists("einstellungen", "Birne"));
}

TEST_F(IniFile, IntegersReadDecimalAndHexOtherwiseTheDefault) {
  WriteBytes(Path("x.ini"), "[S]\r\na=$1F\r\nb=0x1F\r\nc=0X\r\nd=abc\r\ne=-12\r\nf= 7 \r\ng=\r\nh=0\r\n");
  TIniFile ini(Path("x.ini"));
  EXPECT_EQ(ini.ReadInteger("S", "a", -1), 31);
  EXPECT_EQ(ini.ReadInteger("S", "b", -1), 31);
  EXPECT_EQ(ini.ReadInteger("S", "c", -1), -1);
  EXPECT_EQ(ini.ReadInteger("S", "d", -1), -1);
  EXPECT_EQ(ini.ReadInteger("S", "e", -1), -12);
  EXPECT_EQ(ini.ReadInteger("S", "f", -1), 7);
  EXPECT_EQ(ini.ReadInteger("S", "g", -1), -1);
  EXPECT_TRUE(ini.ReadBool("S", "a", false));
  EXPECT_FALSE(ini.ReadBool("S", "h", true));
  EXPECT_TRUE(ini.ReadBool("S", "d", true));
}

TEST_F(IniFile, BlanksAroundTheEqualsSignAreNotPartOfNameOrValue) {
  WriteBytes(Path("x.ini"),
             "  [ Sec ]  \r\n  key  =  some value  \r\nquoted=\"  padded \"\r\nsingle='x'\r\n");
  TIniFile ini(Path("x.ini"));
  EXPECT_EQ(ini.ReadString("Sec", "key", ""), "some value");
  EXPECT_EQ(ini.ReadString("Sec", "quoted", ""), "  padded ");
  EXPECT_EQ(ini.ReadString("Sec", "single", ""), "x");
  TStringList values;
  ini.ReadSectionValues("sec", values);
  EXPECT_EQ(Lines(values), (V{"key=some value", "quoted=  padded ", "single=x"}));
}

TEST_F(IniFile, ValuesThatWouldNotReadBackAreQuoted) {
  TIniFile ini(Path("x.ini"));
  ini.WriteString("S", "padded", " x ");
  ini.WriteString("S", "quotes", "\"a\"");
  ini.WriteString("S", "inner", "say \"hi\"");
  ini.WriteString("S", "empty", "");
  EXPECT_EQ(ReadBytes(Path("x.ini")),
            "[S]\r\npadded=\" x \"\r\nquotes=\"\"a\"\"\r\ninner=say \"hi\"\r\nempty=\r\n");
  for (const char* key : {"padded", "quotes", "inner"}) {
    std::string expected = key == std::string("padded")   ? " x "
                           : key == std::string("quotes") ? "\"a\""
                                                          : "say \"hi\"";
    EXPECT_EQ(ini.ReadString("S", key, "?"), expected);
  }
  EXPECT_EQ(ini.ReadString("S", "empty", "?"), "");
}

TEST_F(IniFile, WritingKeepsCommentsAndOtherLinesAndAddsAtTheSectionEnd) {
  WriteBytes(Path("x.ini"), "; settings\r\n[A]\r\nx = 1 ; old\r\n\r\n[B]\r\ny=2\r\n");
  TIniFile ini(Path("x.ini"));
  ini.WriteString("a", "new", "n");
  ini.WriteString("A", "X", "3");
  ini.WriteString("C", "z", "4");
  EXPECT_EQ(ReadBytes(Path("x.ini")),
            "; settings\r\n[A]\r\nx=3\r\nnew=n\r\n\r\n[B]\r\ny=2\r\n\r\n[C]\r\nz=4\r\n");
  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(Lines(list), (V{"A", "B", "C"}));
  ini.ReadSection("A", list);
  EXPECT_EQ(Lines(list), (V{"x", "new"}));
}

TEST_F(IniFile, EraseSectionAndDeleteKeyRemoveOnlyTheirLines) {
  WriteBytes(Path("x.ini"), "[A]\r\nx=1\r\ny=2\r\n[B]\r\nx=3\r\n");
  TIniFile ini(Path("x.ini"));
  ini.DeleteKey("a", "X");
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[A]\r\ny=2\r\n[B]\r\nx=3\r\n");
  ini.EraseSection("A");
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[B]\r\nx=3\r\n");
  EXPECT_FALSE(ini.SectionExists("A"));
  EXPECT_TRUE(ini.SectionExists("b"));
}

TEST_F(IniFile, NamesAndValuesThatWouldBreakTheFileAreRefused) {
  WriteBytes(Path("x.ini"), "[S]\r\na=1\r\n");
  TIniFile ini(Path("x.ini"));
  EXPECT_THROW(ini.WriteString("S", "a", "1\r\n[Evil]\r\nb=2"), EConvertError);
  EXPECT_THROW(ini.WriteString("S", "k=v", "1"), EConvertError);
  EXPECT_THROW(ini.WriteString("S]", "k", "1"), EConvertError);
  EXPECT_THROW(ini.WriteString("S", "", "1"), EConvertError);
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[S]\r\na=1\r\n");
}

TEST_F(IniFile, AFileThatCannotBeReadGivesDefaultsAndIsNeverOverwritten) {
  WriteBytes(Path("x.ini"), "[S]\r\na=1\r\nb=2\r\n");
  HANDLE lock = CreateFileA(Path("x.ini").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  TIniFile ini(Path("x.ini"));
  EXPECT_EQ(ini.ReadInteger("S", "a", 7), 7);
  EXPECT_FALSE(ini.SectionExists("S"));
  EXPECT_THROW(ini.WriteInteger("S", "c", 3), EStreamError);
  CloseHandle(lock);
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[S]\r\na=1\r\nb=2\r\n");
}

TEST_F(IniFile, ARelativeNameMeansTheCurrentFolderNotWindows) {
  char previous[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(Path("").c_str()));
  {
    TIniFile ini("relative.ini");
    ini.WriteInteger("S", "k", 1);
  }
  SetCurrentDirectoryA(previous);
  EXPECT_EQ(ReadBytes(Path("relative.ini")), "[S]\r\nk=1\r\n");
}

using MemIniFile = ScratchFolder;

TEST_F(MemIniFile, KeepsFileOrderAndIgnoresCase) {
  TStringList lines;
  lines.SetText(
      "[GLOBALINFO]\r\nMASTERBITMAP=Master.bmp\r\n[TsButton]\r\nBORDERSMASK=#(0,42,24,90) 1,1\r\n"
      "ParentClassName=TsPanel\r\n[Form]\r\nTitle=x\r\n");
  TMemIniFile ini;
  ini.SetStrings(lines);
  TStringList list;
  ini.ReadSections(list);
  EXPECT_EQ(Lines(list), (V{"GLOBALINFO", "TsButton", "Form"}));
  ini.ReadSection("TSBUTTON", list);
  EXPECT_EQ(Lines(list), (V{"BORDERSMASK", "ParentClassName"}));
  EXPECT_EQ(ini.ReadString("tsbutton", "bordersmask", ""), "#(0,42,24,90) 1,1");
  EXPECT_EQ(ini.ReadString("globalinfo", "MasterBitmap", ""), "Master.bmp");
  ini.WriteString("Form", "Added", "1");
  ini.GetStrings(list);
  EXPECT_EQ(list.Get(list.Count() - 1), "Added=1");
}

TEST_F(MemIniFile, NeverTouchesTheDiskUntilUpdateFile) {
  WriteBytes(Path("Options.dat"), "[A]\r\nx=1\r\n");
  TMemIniFile ini(Path("Options.dat"));
  EXPECT_EQ(ini.ReadInteger("A", "x", 0), 1);
  ini.WriteInteger("A", "x", 2);
  ini.EraseSection("A");
  ini.WriteInteger("B", "y", 3);
  EXPECT_EQ(ReadBytes(Path("Options.dat")), "[A]\r\nx=1\r\n");
  ini.UpdateFile();
  EXPECT_EQ(ReadBytes(Path("Options.dat")), "[B]\r\ny=3\r\n");
  TMemIniFile absent(Path("absent\\Options.dat"));
  absent.WriteString("S", "k", "v");
  EXPECT_EQ(absent.ReadString("S", "k", ""), "v");
  EXPECT_FALSE(DirectoryExists(Path("absent")));
  EXPECT_THROW(absent.UpdateFile(), EFCreateError);
}

TEST_F(MemIniFile, Utf8FileWithByteOrderMarkIsConvertedToAnsi) {
  WriteBytes(Path("u.ini"),
             "\xEF\xBB\xBF[S]\r\nk=Gr\xC3\xBC\xC3\x9F"
             "e\r\n");
  TMemIniFile ini(Path("u.ini"));
  EXPECT_EQ(ini.ReadString("S", "k", ""),
            "Gr\xFC\xDF"
            "e");
}

// "[Notiz] Text=Ελληνικά und €" in UTF-8: no ANSI code page holds it.
constexpr const char* kGreekNote =
    "Text=\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC und \xE2\x82\xAC";

TEST_F(IniFile, AUtf8FileStaysUtf8AndLinesNotWrittenKeepTheirBytes) {
  const std::string bom = "\xEF\xBB\xBF";
  WriteBytes(Path("u.ini"), bom + "[Configuration]\r\nCOMPORT=1\r\n\r\n[Notiz]\r\n" + kGreekNote + "\r\n");
  {
    TIniFile ini(Path("u.ini"));
    ini.WriteInteger("Configuration", "COMPORT", 3);
    ini.WriteString("Configuration", "ProtocolSign",
                    "Gr\xFC\xDF"
                    "e");
    EXPECT_EQ(ini.ReadString("configuration", "protocolsign", ""),
              "Gr\xFC\xDF"
              "e");
  }
  EXPECT_EQ(ReadBytes(Path("u.ini")), bom +
                                          "[Configuration]\r\nCOMPORT=3\r\nProtocolSign=Gr\xC3\xBC\xC3\x9F"
                                          "e\r\n\r\n[Notiz]\r\n" +
                                          kGreekNote + "\r\n");
  TMemIniFile mem(Path("u.ini"));
  mem.WriteString("Neu", "\xC4pfel", "\x80");
  mem.UpdateFile();
  EXPECT_EQ(ReadBytes(Path("u.ini")), bom +
                                          "[Configuration]\r\nCOMPORT=3\r\nProtocolSign=Gr\xC3\xBC\xC3\x9F"
                                          "e\r\n\r\n[Notiz]\r\n" +
                                          kGreekNote + "\r\n\r\n[Neu]\r\n\xC3\x84pfel=\xE2\x82\xAC\r\n");
  EXPECT_EQ(TMemIniFile(Path("u.ini")).ReadString("neu", "\xE4pfel", ""), "\x80");
}

TEST_F(IniFile, LineEndsAndAMissingLastLineEndAreKept) {
  // Unix line ends, one odd CR LF, a key in ANSI and no line end after the last line.
  WriteBytes(Path("x.ini"), "[A]\nx = 1\n[B]\r\nFu\xDF=2\n[C]\ny=3");
  TIniFile ini(Path("x.ini"));
  ini.WriteInteger("A", "x", 4);
  ini.WriteInteger("A", "n", 5);
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[A]\nx=4\nn=5\n[B]\r\nFu\xDF=2\n[C]\ny=3");
  ini.WriteInteger("C", "z", 6);
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[A]\nx=4\nn=5\n[B]\r\nFu\xDF=2\n[C]\ny=3\nz=6\n");
  ini.DeleteKey("A", "n");
  EXPECT_EQ(ReadBytes(Path("x.ini")), "[A]\nx=4\n[B]\r\nFu\xDF=2\n[C]\ny=3\nz=6\n");
}

TEST_F(MemIniFile, FirstOfRepeatedSectionsAndKeysWins) {
  TMemIniFile ini;
  TStringList lines;
  lines.SetText("x=0\r\n[A]\r\nk=1\r\nk=2\r\nnovalue\r\n;k=3\r\n[a]\r\nk=4\r\nm=5\r\n");
  ini.SetStrings(lines);
  EXPECT_EQ(ini.ReadString("A", "k", ""), "1");
  EXPECT_EQ(ini.ReadString("A", "m", "none"), "none");
  EXPECT_EQ(ini.ReadString("", "x", "none"), "none");
  TStringList list;
  ini.ReadSection("A", list);
  EXPECT_EQ(Lines(list), V{"k"});
  ini.ReadSections(list);
  EXPECT_EQ(Lines(list), V{"A"});
}

}  // namespace
