// The fixed-width text protocol: the cell rule, byte-exact files for an empty protocol and
// for several heats, cells beyond the width table, and writing the file whole or not at all.
#include "app/export_text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/app/export_samples.h"

namespace {

using testsupport::CrLfLines;
using testsupport::ReadWholeFile;
using testsupport::TScratchFolder;
using testsupport::WriteWholeFile;

const std::string kHeaderLine =
    "Place  "
    "Class  "
    "Start  "
    "Last Name     "
    "First Name    "
    "Car Make   "
    "Car Type   "
    "City       "
    "Country    "
    "LAP 1    "
    "LAP 2    "
    "LAP 3    "
    "BEST     ";

TEST(TextCell, IsCutToTheWidthAndPaddedToOneBlankBeyondIt) {
  EXPECT_EQ(TextCell("1", 6), "1      ");
  EXPECT_EQ(TextCell("", 8), "         ");
  EXPECT_EQ(TextCell("00:35.20", 8), "00:35.20 ");
  EXPECT_EQ(TextCell("Schwarzenberger-Lin", 13), "Schwarzenberg ");
}

TEST(TextFile, EmptyProtocolHasDateTitleHeaderAndClosingLines) {
  EXPECT_EQ(
      ProtocolText(testsupport::EmptyProtocol(), "24.08.2024", "Dravolin", ""),
      CrLfLines({"24.08.2024", "", "Dravolin", "", kHeaderLine, "", "", "", "Dravolin - Kestrune Software"}));
}

TEST(TextFile, RowsAreWrittenInFixedWidthCellsInListOrder) {
  TScratchFolder folder;
  const std::string file = folder.File("protocol.txt");
  SaveProtocolText(file, testsupport::HeatsProtocol(), "8/24/2024", "Autocross Gr\xE4tz", "Rennleitung");
  const std::string row1 =
      "1      "
      "A      "
      "11     "
      "Huber         "
      "Franz         "
      "VW         "
      "Golf       "
      "Graz       "
      "AT         "
      "00:35.20 "
      "00:34.90 "
      "00:36.00 "
      "00:34.90 ";
  const std::string row2 =
      "2      "
      "B      "
      "7      "
      "Schwarzenberg "
      "Anna          "
      "Opel       "
      "Kadett     "
      "           "
      "DE         "
      "01:05.30 "
      "-        "
      "-        "
      "01:05.30 ";
  const std::string row3 =
      "3      "
      "A      "
      "3      "
      "Maier         "
      "Sepp          "
      "Audi       "
      "80         "
      "Linz       "
      "AT         "
      "STOP     "
      "STOP     "
      "STOP     "
      "STOP     ";
  EXPECT_EQ(ReadWholeFile(file),
            CrLfLines({"8/24/2024", "", "Autocross Gr\xE4tz", "", kHeaderLine, row1, row2, row3, "",
                       "Rennleitung", "", "Dravolin - Kestrune Software"}));
}

TEST(TextFile, CellsBeyondTheWidthTableTakeTheWidthOfATimeCell) {
  TProtocolTable table = testsupport::EmptyProtocol();
  table.Columns.push_back({"EXTRA COLUMN", 55});
  // A hand-made start-list entry with a ninth field shifts the time cells one to the right.
  table.Rows = {{"1",
                 {"A", "11", "Huber", "Franz", "VW", "Golf", "Graz", "AT", "Styria", "00:35.20", "-", "-",
                  "00:35.20"}}};
  const std::string text = ProtocolText(table, "d", "t", "s");
  EXPECT_THAT(text, ::testing::HasSubstr(kHeaderLine + "EXTRA CO \r\n"));
  EXPECT_THAT(text, ::testing::HasSubstr("AT         Styria   00:35.20 -        -        00:35.20 \r\n"));
  EXPECT_EQ(TextColumnWidth(12), 8);
  EXPECT_EQ(TextColumnWidth(40), 8);
}

TEST(TextFileFailure, AMissingFolderRaisesAnInOutErrorAndCreatesNothing) {
  TScratchFolder folder;
  const std::string file = folder.File("missing\\protocol.txt");
  try {
    SaveProtocolText(file, testsupport::HeatsProtocol(), "d", "t", "s");
    FAIL() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_NE(e.ErrorCode(), 0u);
    EXPECT_THAT(e.Message(), ::testing::HasSubstr(file));
  }
  EXPECT_TRUE(folder.Names().empty());
}

TEST(TextFileFailure, AFileThatCannotBeReplacedKeepsItsContent) {
  TScratchFolder folder;
  const std::string file = folder.File("protocol.txt");
  WriteWholeFile(file, "previous");
  {
    testsupport::TFileHeldOpen held(file);
    EXPECT_THROW(SaveProtocolText(file, testsupport::HeatsProtocol(), "d", "t", "s"), EInOutError);
  }
  EXPECT_EQ(ReadWholeFile(file), "previous");
  EXPECT_THAT(folder.Names(), ::testing::ElementsAre("protocol.txt"));
}

TEST(TextFileFailure, AReadOnlyFileIsNotReplacedAndTheErrorNamesItAndTheReason) {
  TScratchFolder folder;
  const std::string file = folder.File("protocol.txt");
  WriteWholeFile(file, "previous");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    SaveProtocolText(file, testsupport::HeatsProtocol(), "d", "t", "s");
    ADD_FAILURE() << "no error raised";
  } catch (const EInOutError& e) {
    EXPECT_THAT(e.Message(), ::testing::HasSubstr(file));
    EXPECT_THAT(e.Message(), ::testing::HasSubstr("read-only"));
  }
  EXPECT_EQ(ReadWholeFile(file), "previous");
}

}  // namespace
