#include "app/export_excel.h"

#include "app/oleauto.h"

namespace {

// Sheet positions (row 1 and column 1 stay empty as a margin).
constexpr int kDateRow = 2;
constexpr int kTitleRow = 3;
constexpr int kHeaderRow = 5;
constexpr int kFirstColumn = 2;
constexpr int kHeadingFontSize = 14;
// xlContinuous
constexpr int kContinuousLine = 1;
// A spreadsheet column's width counts characters of about seven pixels.
constexpr double kPixelsPerCharacter = 7.0;

class TSheetWriter {
 public:
  explicit TSheetWriter(TAutoObject sheet) : sheet_(std::move(sheet)) {}

  TAutoObject Row(int row) const { return sheet_.GetObject("Rows", {row}); }
  TAutoObject RowFont(int row) const { return Row(row).GetObject("Font"); }
  TAutoObject Column(int column) const { return sheet_.GetObject("Columns", {column}); }

  void SetCell(int row, int column, const std::string& text) const {
    sheet_.GetObject("Cells", {row, column}).Put("Value", text);
  }
  void SetBorderedCell(int row, int column, const std::string& text) const {
    TAutoObject cell = sheet_.GetObject("Cells", {row, column});
    cell.Put("Value", text);
    cell.GetObject("Borders").Put("LineStyle", kContinuousLine);
  }

 private:
  TAutoObject sheet_;
};

}  // namespace

bool IsExcelInstalled() { return IsOleServerInstalled(kExcelProgId); }

std::optional<TExportMessage> ProtocolToSpreadsheet(const TProtocolTable& table, const std::string& date,
                                                    const std::string& title, const std::string& sign,
                                                    const std::string& prog_id) {
  TOleInitializer ole;
  if (!IsOleServerInstalled(prog_id)) return ExcelNotInstalledMessage();

  TAutoObject application = TAutoObject::Create(prog_id);
  application.GetObject("WorkBooks").Call("Add");
  const TSheetWriter sheet(application.GetObject("ActiveSheet"));

  int row = kHeaderRow;
  int column = kFirstColumn;
  for (const TProtocolColumn& protocol_column : table.Columns) {
    sheet.RowFont(row).Put("Bold", true);
    sheet.SetBorderedCell(row, column, protocol_column.Caption);
    sheet.Column(column).Put("ColumnWidth", protocol_column.Width / kPixelsPerCharacter);
    ++column;
  }

  for (const TProtocolRow& protocol_row : table.Rows) {
    ++row;
    // Text format before the values, so places and times such as 01:05.30 stay as written.
    sheet.Row(row).Put("NumberFormat", "@");
    sheet.SetBorderedCell(row, kFirstColumn, protocol_row.Caption);
    for (size_t j = 0; j < protocol_row.SubItems.size(); ++j) {
      sheet.SetBorderedCell(row, kFirstColumn + 1 + static_cast<int>(j), protocol_row.SubItems[j]);
    }
  }

  const int columns = static_cast<int>(table.Columns.size());
  for (int c = kFirstColumn; c < kFirstColumn + columns; ++c) sheet.Column(c).Call("Autofit");

  const int last_row = row;
  sheet.SetCell(kDateRow, kFirstColumn, date);
  sheet.SetCell(kTitleRow, kFirstColumn, title);
  TAutoObject title_font = sheet.RowFont(kTitleRow);
  title_font.Put("Bold", true);
  title_font.Put("Size", kHeadingFontSize);

  TAutoObject sign_font = sheet.RowFont(last_row + 2);
  sign_font.Put("Bold", true);
  sign_font.Put("Size", kHeadingFontSize);
  sheet.SetCell(last_row + 2, kFirstColumn, sign);

  sheet.RowFont(last_row + 4).Put("Italic", true);
  sheet.SetCell(last_row + 4, kFirstColumn, kExportMakerLine);

  application.Put("Visible", true);
  return std::nullopt;
}
