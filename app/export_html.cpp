#include "app/export_html.h"

#include <windows.h>

#include "app/atomicsave.h"

namespace {

constexpr const char* kMakerName = "Kestrune Software";
// The maker footer's link. The maker has no published address yet; the reserved
// ".example" domain keeps the link from pointing at someone else's site.
constexpr const char* kMakerUrl = "https://kestrune.example/dravolin/";

// The fixed lines before the data rows.
constexpr const char* kPageHead[] = {
    "<html>",
    "<head>",
    "<!-- Dravolin protocol, made by Kestrune Software -->",
    "<title>Dravolin</title>",
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">",
    "<meta name=\"keywords\" content=\"Dravolin, Autocross, Zeitmessung, Protokoll, Kestrune Software\">",
    "<meta name=\"description\" content=\"Dravolin - Autocross-Zeitmessung von Kestrune Software\">",
    "<style type=\"text/css\">",
    "body   {background-color:#F9F9E6; font-family:Verdana; scrollbar-track-color:#F9F9E6;\t"
    "scrollbar-face-color:#B0A786}",
    "h2 {  clip:    rect(  0px ); margin-bottom: 8px}",
    "table  {font-size:10pt}",
    ".flag {  line-height: 4px; width: 28px; font-size: 10px}",
    "a:hover{background-color:#CDBBA0; text-decoration:underline}",
    ".verdana18 {  font-family: Verdana, Arial, Helvetica, sans-serif; font-size: 19px; color: #000000; "
    "text-decoration: none}",
    "p {  font-family: Arial, Helvetica, sans-serif; font-size: 18px; clip:    rect(   ); margin-bottom: "
    "12px; "
    "margin-top: 2px; padding-top: 2px}",
    "</style>",
    "</head>",
    "<body><center>",
    "<div style=\"width:100%; color:#A37E4E; filter:Glow(color=0, strength=5)\"><h2>Dravolin</h2></div>",
    "<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=\"#FFFFFF\" borderColor=#E0E0E0 border=\"1\" "
    "cellpadding=\"4\" width=\"100%\">",
    "<!-- <colgroup valign=\"top\"> <col align=right> <col> <col> <col> <col align=right></colgroup> -->",
    "<colgroup valign=\"top\"> <col align=right> <col align=right> <col align=right> <col> <col> <col> <col> "
    "<col> <col> <col align=right> <col align=right> <col align=right> <col align=right> </colgroup>",
    "<thead bgcolor=\"#B0A786\">",
    "<tr>",
};

// The header row is German whatever the catalog: the page is made for the German events.
constexpr const char* kHeaderTexts[] = {"Platz",    "Klasse",  "Start-Nr.", "Name", "Vorname",
                                        "Fahrzeug", "Typ",     "Ort",       "Land", "Runde 1",
                                        "Runde 2",  "Runde 3", "Best"};

constexpr const char* kFlagRows[] = {
    "    <tr><td bgcolor=\"#000000\">&nbsp;</td></tr>",
    "    <tr><td bgcolor=\"#FF0000\">&nbsp;</td></tr>",
    "    <tr><td bgcolor=\"#FFCC66\">&nbsp;</td></tr>",
};

void Line(std::string& page, const std::string& text) {
  page += text;
  page += "\r\n";
}

}  // namespace

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default: out += c;
    }
  }
  return out;
}

bool ProtocolHtml(const TProtocolTable& table, const std::string& sign, std::string& page) {
  page.clear();
  for (const char* line : kPageHead) Line(page, line);
  for (const char* text : kHeaderTexts) Line(page, std::string("  <th nowrap>") + text + "</th>");
  Line(page, "</tr>");
  Line(page, "</thead>");

  // The caption is the first column; the sub-items fill the others.
  const size_t cells = table.Columns.empty() ? 0 : table.Columns.size() - 1;
  for (size_t i = 0; i < table.Rows.size(); ++i) {
    const TProtocolRow& row = table.Rows[i];
    if (row.SubItems.size() < cells) return false;
    Line(page, i % 2 == 1 ? "<tr bgcolor=\"#E8E4DB\">" : "<tr>");
    Line(page, "<td>" + HtmlEscape(row.Caption) + "</td>");
    for (size_t j = 0; j < cells; ++j) {
      const std::string& text = row.SubItems[j];
      page += text.empty() ? std::string("<td>-</td>") : "<td>" + HtmlEscape(text) + "</td>";
    }
    // No line end: the next row's tag or the table's end follows on the same line.
    page += "</tr>";
  }

  Line(page, "</table></center>");
  Line(page, "<p><center><b>" + HtmlEscape(sign) + "</b></center></p>");
  Line(page, "<BR><table align=\"right\" bgcolor=\"#FFFFFF\">");
  Line(page, std::string("<tr><td align=\"right\" class=\"verdana18\"><a href=\"") + kMakerUrl +
                 "\" class=\"verdana18\">" + kMakerName + "</a></td>");
  Line(page, "<td><table border=\"0\" class=\"flag\" cellspacing=\"0\" >");
  for (const char* line : kFlagRows) Line(page, line);
  Line(page, "  </table></td></tr></table>");
  Line(page, "</body>");
  Line(page, "</html>");
  return true;
}

bool ListViewToHTML(const TProtocolTable& table, const std::string& sign, const std::string& file_name,
                    DWORD* error) {
  std::string page;
  if (!ProtocolHtml(table, sign, page)) return false;
  DWORD code = 0;
  if (WriteFileReplacing(file_name, page, code)) return true;
  if (error) *error = code;
  return false;
}
