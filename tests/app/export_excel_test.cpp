// The spreadsheet export driven through a real automation object of the tests' own: the
// cells, formats, borders and widths of the sheet, the order that keeps times as text, the
// missing application, and automation errors reaching the caller.
#include "app/export_excel.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <set>
#include <utility>

#include "app/oleauto.h"
#include "tests/app/export_samples.h"
#include "tests/app/recording_automation.h"

namespace {

using testsupport::TCallKind;
using testsupport::TRecordingAutomationServer;
using Cell = std::pair<int, int>;

const char* const kMaker = "Dravolin - Kestrune Software";

class SpreadsheetExport : public ::testing::Test {
 protected:
  // What was put into each cell, and which cells got a continuous border.
  std::map<Cell, std::string> CellValues() const {
    std::map<Cell, std::string> cells;
    for (const auto& [target, call] : server.Puts()) {
      int row = 0, column = 0, end = 0;
      if (std::sscanf(target.c_str(), "ActiveSheet.Cells(%d,%d).Value%n", &row, &column, &end) == 2 &&
          end == static_cast<int>(target.size())) {
        EXPECT_EQ(call.ValueType, VT_BSTR) << target;
        cells[{row, column}] = call.Value;
      }
    }
    return cells;
  }
  std::set<Cell> BorderedCells() const {
    std::set<Cell> cells;
    for (const auto& [target, call] : server.Puts()) {
      int row = 0, column = 0, end = 0;
      if (std::sscanf(target.c_str(), "ActiveSheet.Cells(%d,%d).Borders.LineStyle%n", &row, &column, &end) ==
              2 &&
          end == static_cast<int>(target.size()) && call.Value == "1") {
        cells.insert({row, column});
      }
    }
    return cells;
  }
  std::string Put(const std::string& target) const {
    const auto puts = server.Puts();
    const auto it = puts.find(target);
    return it == puts.end() ? "<none>" : it->second.Value;
  }
  int PutIndex(const std::string& target) const { return server.IndexOf(TCallKind::Put, target); }

  TOleInitializer ole;
  TRecordingAutomationServer server;
};

TEST_F(SpreadsheetExport, SheetHoldsDateTitleHeaderRowsSignAndMakerLine) {
  const TProtocolTable table = testsupport::HeatsProtocol();
  ASSERT_EQ(ProtocolToSpreadsheet(table, "24.08.2024", "Autocross", "Rennleitung", server.ProgId()),
            std::nullopt);
  EXPECT_EQ(server.InstancesCreated(), 1);

  std::map<Cell, std::string> expected = {
      {{2, 2}, "24.08.2024"}, {{3, 2}, "Autocross"}, {{10, 2}, "Rennleitung"}, {{12, 2}, kMaker}};
  std::set<Cell> bordered;
  for (int i = 0; i < 13; ++i) {
    expected[{5, 2 + i}] = table.Columns[i].Caption;
    bordered.insert({5, 2 + i});
  }
  for (int r = 0; r < 3; ++r) {
    expected[{6 + r, 2}] = table.Rows[r].Caption;
    bordered.insert({6 + r, 2});
    for (int j = 0; j < 12; ++j) {
      expected[{6 + r, 3 + j}] = table.Rows[r].SubItems[j];
      bordered.insert({6 + r, 3 + j});
    }
  }
  EXPECT_EQ(CellValues(), expected);
  EXPECT_EQ(BorderedCells(), bordered);
}

TEST_F(SpreadsheetExport, RowsAndColumnsAreFormattedAsTheLayoutSays) {
  ASSERT_EQ(ProtocolToSpreadsheet(testsupport::HeatsProtocol(), "d", "t", "s", server.ProgId()),
            std::nullopt);
  EXPECT_EQ(Put("ActiveSheet.Rows(3).Font.Bold"), "true");
  EXPECT_EQ(Put("ActiveSheet.Rows(3).Font.Size"), "14");
  EXPECT_EQ(Put("ActiveSheet.Rows(5).Font.Bold"), "true");
  for (int row : {6, 7, 8}) EXPECT_EQ(Put("ActiveSheet.Rows(" + std::to_string(row) + ").NumberFormat"), "@");
  EXPECT_EQ(Put("ActiveSheet.Rows(5).NumberFormat"), "<none>");
  EXPECT_EQ(Put("ActiveSheet.Rows(10).Font.Bold"), "true");
  EXPECT_EQ(Put("ActiveSheet.Rows(10).Font.Size"), "14");
  EXPECT_EQ(Put("ActiveSheet.Rows(12).Font.Italic"), "true");
  EXPECT_EQ(Put("Visible"), "true");

  // Widths in characters of seven pixels: 42, 105 and 55 pixels.
  EXPECT_EQ(Put("ActiveSheet.Columns(2).ColumnWidth"), "6");
  EXPECT_EQ(Put("ActiveSheet.Columns(5).ColumnWidth"), "15");
  EXPECT_EQ(Put("ActiveSheet.Columns(14).ColumnWidth"), "7.85714");
  EXPECT_EQ(server.Puts().at("ActiveSheet.Columns(14).ColumnWidth").ValueType, VT_R8);
  EXPECT_EQ(Put("ActiveSheet.Columns(15).ColumnWidth"), "<none>");
}

TEST_F(SpreadsheetExport, CallsComeInTheOrderThatKeepsTimesAsText) {
  ASSERT_EQ(ProtocolToSpreadsheet(testsupport::HeatsProtocol(), "d", "t", "s", server.ProgId()),
            std::nullopt);
  const int add = server.IndexOf(TCallKind::Read, "WorkBooks.Add");
  ASSERT_GE(add, 0);
  EXPECT_LT(add, server.IndexOf(TCallKind::Read, "ActiveSheet"));
  // Each data row is text-formatted before its first value.
  for (int row : {6, 7, 8}) {
    const std::string r = std::to_string(row);
    EXPECT_LT(PutIndex("ActiveSheet.Rows(" + r + ").NumberFormat"),
              PutIndex("ActiveSheet.Cells(" + r + ",2).Value"));
  }
  // Auto-fit after the last row, for the thirteen columns only.
  const int last_value = PutIndex("ActiveSheet.Cells(8,14).Value");
  for (int column = 2; column <= 14; ++column) {
    EXPECT_GT(server.IndexOf(TCallKind::Read, "ActiveSheet.Columns(" + std::to_string(column) + ").Autofit"),
              last_value);
  }
  EXPECT_EQ(server.IndexOf(TCallKind::Read, "ActiveSheet.Columns(15).Autofit"), -1);
  // Shown when complete.
  EXPECT_EQ(server.Calls().back().Target, "Visible");
}

TEST_F(SpreadsheetExport, EmptyProtocolPutsSignAndMakerBelowTheHeaderRow) {
  ASSERT_EQ(ProtocolToSpreadsheet(testsupport::EmptyProtocol(), "d", "t", "sign", server.ProgId()),
            std::nullopt);
  const auto cells = CellValues();
  EXPECT_EQ(cells.size(), 2u + 13u + 2u);
  EXPECT_EQ(cells.at({7, 2}), "sign");
  EXPECT_EQ(cells.at({9, 2}), kMaker);
  EXPECT_EQ(Put("ActiveSheet.Rows(7).Font.Size"), "14");
  EXPECT_EQ(Put("ActiveSheet.Rows(9).Font.Italic"), "true");
  EXPECT_EQ(Put("ActiveSheet.Rows(6).NumberFormat"), "<none>");
}

TEST_F(SpreadsheetExport, AnAutomationErrorReachesTheCallerWithTheSheetAsFarAsFilled) {
  server.FailMember("Borders");
  EXPECT_THROW(ProtocolToSpreadsheet(testsupport::HeatsProtocol(), "d", "t", "s", server.ProgId()),
               EOleError);
  EXPECT_EQ(Put("ActiveSheet.Cells(5,2).Value"), "Place");
  EXPECT_EQ(Put("ActiveSheet.Cells(5,3).Value"), "<none>");
  EXPECT_EQ(Put("Visible"), "<none>");
}

TEST(SpreadsheetMissing, AMissingApplicationGivesTheMessageAndNothingElse) {
  const std::optional<TExportMessage> message =
      ProtocolToSpreadsheet(testsupport::HeatsProtocol(), "d", "t", "s", "Dravolin.NoSuchServer");
  ASSERT_TRUE(message.has_value());
  EXPECT_EQ(message->Text, "Excel is not installed!");
  EXPECT_EQ(message->Title, "ERROR");
  EXPECT_EQ(message->Flags, static_cast<UINT>(MB_ICONERROR));
  EXPECT_FALSE(IsOleServerInstalled("Dravolin.NoSuchServer"));
}

TEST(SpreadsheetMissing, PlainWineHasNoSpreadsheetApplication) {
  EXPECT_FALSE(IsExcelInstalled());
  EXPECT_TRUE(ProtocolToSpreadsheet(testsupport::EmptyProtocol(), "d", "t", "s").has_value());
}

}  // namespace
