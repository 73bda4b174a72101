#include "app/export_text.h"

#include "app/atomicsave.h"
#include "toolkit/sysutils.h"

namespace {

constexpr int kTimeCellWidth = 8;

void Line(std::string& text, const std::string& line) {
  text += line;
  text += "\r\n";
}

}  // namespace

int TextColumnWidth(size_t column) {
  return column < kTextColumnWidths.size() ? kTextColumnWidths[column] : kTimeCellWidth;
}

std::string TextCell(const std::string& text, int width) {
  std::string cell = text.substr(0, static_cast<size_t>(width));
  cell.resize(static_cast<size_t>(width) + 1, ' ');
  return cell;
}

std::string ProtocolText(const TProtocolTable& table, const std::string& date, const std::string& title,
                         const std::string& sign) {
  std::string text;
  Line(text, date);
  Line(text, "");
  Line(text, title);
  Line(text, "");

  std::string header;
  for (size_t i = 0; i < table.Columns.size(); ++i)
    header += TextCell(table.Columns[i].Caption, TextColumnWidth(i));
  Line(text, header);

  for (const TProtocolRow& row : table.Rows) {
    std::string line = TextCell(row.Caption, TextColumnWidth(0));
    for (size_t j = 0; j < row.SubItems.size(); ++j)
      line += TextCell(row.SubItems[j], TextColumnWidth(j + 1));
    Line(text, line);
  }

  Line(text, "");
  Line(text, sign);
  Line(text, "");
  Line(text, kExportMakerLine);
  return text;
}

void SaveProtocolText(const std::string& file_name, const TProtocolTable& table, const std::string& date,
                      const std::string& title, const std::string& sign) {
  DWORD error = 0;
  if (!WriteFileReplacing(file_name, ProtocolText(table, date, title, sign), error))
    throw EInOutError(SaveFailedMessage(file_name, error), error);
}
