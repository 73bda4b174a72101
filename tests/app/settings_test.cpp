// The settings file: defaults, the "LapNum" rule, values brought into the controls' ranges,
// a round trip of all seven values, and a file far too large to be settings.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "tests/app/sparse_file.h"
#include "toolkit/inifiles.h"
#include "toolkit/sysutils.h"

namespace {

class Settings : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    file = IncludeTrailingPathDelimiter(temp) + "dravolin_settings_" + std::to_string(GetCurrentProcessId()) +
           "_" + info->name() + ".ini";
  }
  void TearDown() override { DeleteFile(file); }

  // Writes one value by hand, as an edited file would hold it.
  void Store(const char* key, const char* value) { TIniFile(file).WriteString("Configuration", key, value); }

  void WriteBytes(const std::string& bytes) { std::ofstream(file, std::ios::binary) << bytes; }
  std::string Bytes() const {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::string file;
};

TEST_F(Settings, AMissingFileGivesTheFirstStartValues) {
  TSettings s = LoadSettings(file);
  EXPECT_EQ(s.Port, 0);
  EXPECT_EQ(s.Contact, 1);  // "4-6"
  EXPECT_EQ(s.Algorithm, 0);
  EXPECT_EQ(s.CountDown, 5);
  EXPECT_EQ(s.LapChoice, 2);  // three laps
  EXPECT_EQ(s.Title, "Dravolin");
  EXPECT_EQ(s.Sign, "");
  EXPECT_FALSE(FileExists(file));
}

TEST_F(Settings, AFileFarLargerThanAnySettingsIsNotReadAndSavingReplacesIt) {
  const int64_t size = 3 << 20;
  ASSERT_TRUE(WriteSparseFile(file, "[Configuration]\r\nCountDown=77\r\n", size));
  EXPECT_EQ(LoadSettings(file), TSettings());
  EXPECT_EQ(SizeOfFile(file), size);
  TSettings s;
  s.CountDown = 12;
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_LT(SizeOfFile(file), 1000);
  EXPECT_EQ(LoadSettings(file), s);
}

TEST_F(Settings, LapNumHoldsTheLapsMinusTwo) {
  TSettings one_lap;
  one_lap.LapChoice = 0;
  ASSERT_TRUE(SaveSettings(file, one_lap));
  EXPECT_EQ(TIniFile(file).ReadString("Configuration", "LapNum", "?"), "-1");
  EXPECT_EQ(LoadSettings(file).LapChoice, 0);  // "Single"
  Store("LapNum", "0");
  EXPECT_EQ(LoadSettings(file).LapChoice, 1);
  Store("LapNum", "1");
  EXPECT_EQ(LoadSettings(file).LapChoice, 2);
}

TEST_F(Settings, HandEditedValuesAreBroughtIntoTheControlsRanges) {
  struct Case {
    const char* key;
    const char* stored;
    int TSettings::*field;
    int expected;
  };
  const Case cases[] = {
      {"LapNum", "-2", &TSettings::LapChoice, -1},  // no item, as the radio group takes it
      {"LapNum", "-3", &TSettings::LapChoice, -1},
      {"LapNum", "-2147483648", &TSettings::LapChoice, -1},
      {"LapNum", "7", &TSettings::LapChoice, 2},
      {"LapNum", "2147483647", &TSettings::LapChoice, 2},
      {"COMPORT", "17", &TSettings::Port, 0},
      {"COMPORT", "-3", &TSettings::Port, 0},
      {"COMPORT", "16", &TSettings::Port, 16},
      {"Contact", "4", &TSettings::Contact, -1},
      {"Contact", "3", &TSettings::Contact, 3},
      {"Algorithm", "5", &TSettings::Algorithm, 5},  // inverts; the list shows no item
      {"Algorithm", "-1", &TSettings::Algorithm, -1},
      {"CountDown", "-4", &TSettings::CountDown, 0},
      {"CountDown", "10000", &TSettings::CountDown, 9999},
      {"CountDown", "not a number", &TSettings::CountDown, 5},
  };
  for (const Case& c : cases) {
    Store(c.key, c.stored);
    EXPECT_EQ(LoadSettings(file).*c.field, c.expected) << c.key << "=" << c.stored;
    TIniFile(file).DeleteKey("Configuration", c.key);
  }
}

TEST_F(Settings, AllSevenValuesComeBackAsSaved) {
  TSettings s;
  s.Port = 3;
  s.Contact = 2;
  s.Algorithm = 1;
  s.CountDown = 0;
  s.LapChoice = 1;
  s.Title = "  Autocross Cup ";  // blanks at the ends survive
  s.Sign = "Race office; \"Weber\"";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(LoadSettings(file), s);
  TIniFile ini(file);
  for (const char* key :
       {"COMPORT", "Contact", "Algorithm", "CountDown", "LapNum", "ProtocolTitle", "ProtocolSign"})
    EXPECT_TRUE(ini.ValueExists("Configuration", key)) << key;
}

TEST_F(Settings, SavingKeepsAUtf8FileAndEveryLineItDoesNotWriteByteForByte) {
  // "[Notiz] Text=Ελληνικά und €" (no ANSI code page holds it), a comment and Unix line ends.
  const std::string note =
      "[Notiz]\nText=\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC und \xE2\x82\xAC\n";
  const std::string bom = "\xEF\xBB\xBF";
  {
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    const std::string bytes = bom + "; by hand\n[Configuration]\nCountDown=3\n" + note;
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
  }
  TSettings s;
  s.CountDown = 9;
  s.Title =
      "Gro\xDF"
      "er Preis";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(LoadSettings(file), s);
  HANDLE in = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  std::string bytes(4096, '\0');
  DWORD read = 0;
  ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  CloseHandle(in);
  bytes.resize(read);
  EXPECT_TRUE(bytes.starts_with(bom + "; by hand\n[Configuration]\nCountDown=9\n")) << bytes;
  EXPECT_NE(bytes.find("\nProtocolTitle=Gro\xC3\x9F"
                       "er Preis\n"),
            std::string::npos)
      << bytes;
  EXPECT_TRUE(bytes.ends_with("\n" + note)) << bytes;
}

TEST_F(Settings, ValuesNotEditedAreWrittenBackByteForByte) {
  // "Zürich Ω" in a UTF-8 file: the ANSI code page has no omega, so the title reads as
  // "Zürich ?".
  const std::string title = "ProtocolTitle=Z\xC3\xBCrich \xCE\xA9\r\n";
  const std::string original = "\xEF\xBB\xBF[Configuration]\r\nCountDown=007\r\n" + title + "Algorithm=0\r\n";
  auto write = [this](const std::string& bytes) {
    HANDLE out = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(out);
  };
  auto read = [this] {
    HANDLE in = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::string bytes(4096, '\0');
    DWORD count = 0;
    ReadFile(in, bytes.data(), static_cast<DWORD>(bytes.size()), &count, nullptr);
    CloseHandle(in);
    bytes.resize(count);
    return bytes;
  };
  write(original);
  TSettings s = LoadSettings(file);
  EXPECT_EQ(s.Title, "Z\xFCrich ?");
  ASSERT_TRUE(SaveSettings(file, s));
  std::string bytes = read();
  EXPECT_TRUE(bytes.starts_with(original)) << bytes;  // the values not in the file are added after
  // Another value edited: only its line changes.
  s.CountDown = 9;
  ASSERT_TRUE(SaveSettings(file, s));
  bytes = read();
  EXPECT_NE(bytes.find("CountDown=9\r\n" + title), std::string::npos) << bytes;
  // The title edited: written as the user gave it.
  s.Title = "Linz";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_NE(read().find("ProtocolTitle=Linz\r\n"), std::string::npos) << read();
}

TEST_F(Settings, AFileThatASyncToolHoldsWithFullSharingIsReadAsUsual) {
  TSettings stored;
  stored.CountDown = 7;
  stored.LapChoice = 0;
  stored.Title = "Club race";
  stored.Sign = "Race office";
  ASSERT_TRUE(SaveSettings(file, stored));
  HANDLE holder =
      CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  std::string reason = "?";
  EXPECT_EQ(LoadSettings(file, &reason), stored);
  EXPECT_EQ(reason, "");
  CloseHandle(holder);
  // OK once it is let go: the edited value is written, the others stay the user's.
  TSettings edited = LoadSettings(file);
  edited.CountDown = 9;
  std::string failure;
  EXPECT_TRUE(SaveSettings(file, edited, &failure)) << failure;
  stored.CountDown = 9;
  EXPECT_EQ(LoadSettings(file), stored);
}

TEST_F(Settings, AUtf8FileWithoutAByteOrderMarkIsReadAsUtf8AndWrittenBackInIt) {
  // As Notepad saves it: "Zürich Ω", "Straße 5", no mark.
  auto original = [](const std::string& count_down, const std::string& sign) {
    return "[Configuration]\r\nCOMPORT=0\r\nContact=1\r\nAlgorithm=0\r\nCountDown=" + count_down +
           "\r\nLapNum=1\r\nProtocolTitle=Z\xC3\xBCrich \xCE\xA9\r\nProtocolSign=" + sign + "\r\n";
  };
  WriteBytes(original("5",
                      "Stra\xC3\x9F"
                      "e 5"));
  TSettings s = LoadSettings(file);
  EXPECT_EQ(s.Title, "Z\xFCrich ?");  // the ANSI code page has no omega
  EXPECT_EQ(s.Sign,
            "Stra\xDF"
            "e 5");
  s.CountDown = 9;
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(Bytes(), original("9",
                              "Stra\xC3\x9F"
                              "e 5"));
  s.Sign = "M\xFCller";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_EQ(Bytes(), original("9", "M\xC3\xBCller"));
  // Text that is no valid UTF-8 is ANSI, and stays so.
  WriteBytes(
      "[Configuration]\r\nProtocolSign=Stra\xDF"
      "e\r\n");
  EXPECT_EQ(LoadSettings(file).Sign,
            "Stra\xDF"
            "e");
  s.Sign = "M\xFCller";
  ASSERT_TRUE(SaveSettings(file, s));
  EXPECT_NE(Bytes().find("ProtocolSign=M\xFCller\r\n"), std::string::npos);
}

TEST_F(Settings, AFileThatCannotBeWrittenIsReportedToTheCaller) {
  EXPECT_FALSE(SaveSettings(file + "\\missing folder\\x.ini", TSettings()));
  EXPECT_EQ(SettingsFileName("C:\\Race\\Dravolin.exe"), "C:\\Race\\Dravolin.ini");
}

}  // namespace
