// The protocol page: byte-exact pages for an empty protocol and for several heats, escaping
// of texts from the start list, and writing the page whole or not at all.
#include "app/export_html.h"

#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "app/exportui.h"
#include "tests/app/export_samples.h"

namespace {

using testsupport::CrLfLines;
using testsupport::ReadWholeFile;
using testsupport::TScratchFolder;
using testsupport::WriteWholeFile;

// Everything up to the first data row.
std::string PageHead() {
  return CrLfLines({
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
      "<colgroup valign=\"top\"> <col align=right> <col align=right> <col align=right> <col> <col> <col> "
      "<col> "
      "<col> <col> <col align=right> <col align=right> <col align=right> <col align=right> </colgroup>",
      "<thead bgcolor=\"#B0A786\">",
      "<tr>",
      "  <th nowrap>Platz</th>",
      "  <th nowrap>Klasse</th>",
      "  <th nowrap>Start-Nr.</th>",
      "  <th nowrap>Name</th>",
      "  <th nowrap>Vorname</th>",
      "  <th nowrap>Fahrzeug</th>",
      "  <th nowrap>Typ</th>",
      "  <th nowrap>Ort</th>",
      "  <th nowrap>Land</th>",
      "  <th nowrap>Runde 1</th>",
      "  <th nowrap>Runde 2</th>",
      "  <th nowrap>Runde 3</th>",
      "  <th nowrap>Best</th>",
      "</tr>",
      "</thead>",
  });
}

// Everything after the last row's "</tr>".
std::string PageTail(const std::string& sign_html) {
  return CrLfLines({
      "</table></center>",
      "<p><center><b>" + sign_html + "</b></center></p>",
      "<BR><table align=\"right\" bgcolor=\"#FFFFFF\">",
      "<tr><td align=\"right\" class=\"verdana18\"><a href=\"https://kestrune.example/dravolin/\" "
      "class=\"verdana18\">Kestrune Software</a></td>",
      "<td><table border=\"0\" class=\"flag\" cellspacing=\"0\" >",
      "    <tr><td bgcolor=\"#000000\">&nbsp;</td></tr>",
      "    <tr><td bgcolor=\"#FF0000\">&nbsp;</td></tr>",
      "    <tr><td bgcolor=\"#FFCC66\">&nbsp;</td></tr>",
      "  </table></td></tr></table>",
      "</body>",
      "</html>",
  });
}

TEST(HtmlPage, EmptyProtocolHasTheHeaderRowOnlyAndAnEmptySignLine) {
  TScratchFolder folder;
  const std::string file = folder.File("protocol.htm");
  ASSERT_TRUE(ListViewToHTML(testsupport::EmptyProtocol(), "", file));
  EXPECT_EQ(ReadWholeFile(file), PageHead() + PageTail(""));
}

TEST(HtmlPage, RowsAreShadedFromTheSecondOnAndEmptyCellsShowADash) {
  TScratchFolder folder;
  const std::string file = folder.File("protocol.html");
  ASSERT_TRUE(ListViewToHTML(testsupport::HeatsProtocol(), "Bergrennen 2024", file));
  const std::string rows =
      "<tr>\r\n<td>1</td>\r\n"
      "<td>A</td><td>11</td><td>Huber</td><td>Franz</td><td>VW</td><td>Golf</td><td>Graz</td><td>AT</td>"
      "<td>00:35.20</td><td>00:34.90</td><td>00:36.00</td><td>00:34.90</td></tr>"
      "<tr bgcolor=\"#E8E4DB\">\r\n<td>2</td>\r\n"
      "<td>B</td><td>7</td><td>Schwarzenberger-Lindqvist</td><td>Anna</td><td>Opel</td><td>Kadett</td>"
      "<td>-</td><td>DE</td><td>01:05.30</td><td>-</td><td>-</td><td>01:05.30</td></tr>"
      "<tr>\r\n<td>3</td>\r\n"
      "<td>A</td><td>3</td><td>Maier</td><td>Sepp</td><td>Audi</td><td>80</td><td>Linz</td><td>AT</td>"
      "<td>STOP</td><td>STOP</td><td>STOP</td><td>STOP</td></tr>";
  EXPECT_EQ(ReadWholeFile(file), PageHead() + rows + PageTail("Bergrennen 2024"));
}

TEST(HtmlPage, CellsBeyondTheColumnsAreLeftOut) {
  TProtocolTable table = testsupport::EmptyProtocol();
  table.Columns.resize(3);
  table.Rows = {{"1", {"A", "11", "Huber"}}};
  std::string page;
  ASSERT_TRUE(ProtocolHtml(table, "", page));
  EXPECT_THAT(page, ::testing::HasSubstr("<td>1</td>\r\n<td>A</td><td>11</td></tr></table></center>\r\n"));
}

TEST(HtmlEscaping, MarkupCharactersFromTheDataBecomeEntities) {
  EXPECT_EQ(HtmlEscape("M\xFCller & S\xF6hne"), "M\xFCller &amp; S\xF6hne");
  EXPECT_EQ(HtmlEscape("<script>alert(\"x\")</script>"), "&lt;script&gt;alert(&quot;x&quot;)&lt;/script&gt;");
  EXPECT_EQ(HtmlEscape("it's plain"), "it's plain");

  TProtocolTable table = testsupport::HeatsProtocol();
  table.Rows[0].Caption = "<1>";
  table.Rows[0].SubItems[2] = "<script>x</script>";
  table.Rows[0].SubItems[6] =
      "Br\xFC"
      "ck & \"Co\"";
  std::string page;
  ASSERT_TRUE(ProtocolHtml(table, "Sign <b>&", page));
  EXPECT_THAT(page, ::testing::HasSubstr("<td>&lt;1&gt;</td>"));
  EXPECT_THAT(page, ::testing::HasSubstr("<td>&lt;script&gt;x&lt;/script&gt;</td>"));
  EXPECT_THAT(page, ::testing::HasSubstr("<td>Br\xFC"
                                         "ck &amp; &quot;Co&quot;</td>"));
  EXPECT_THAT(page, ::testing::HasSubstr("<p><center><b>Sign &lt;b&gt;&amp;</b></center></p>"));
  EXPECT_THAT(page, ::testing::Not(::testing::HasSubstr("<script>")));
}

class HtmlWriteFailure : public ::testing::Test {
 protected:
  TScratchFolder folder;
  const std::string file = folder.File("protocol.htm");
  const std::string previous = "previous page";
};

TEST_F(HtmlWriteFailure, AMissingFolderGivesFalseAndCreatesNothing) {
  EXPECT_FALSE(ListViewToHTML(testsupport::HeatsProtocol(), "", folder.File("missing\\protocol.htm")));
  EXPECT_TRUE(folder.Names().empty());
}

TEST_F(HtmlWriteFailure, ARowWithoutACellForEveryColumnLeavesThePreviousPage) {
  WriteWholeFile(file, previous);
  TProtocolTable table = testsupport::HeatsProtocol();
  table.Rows[1].SubItems.resize(10);
  EXPECT_FALSE(ListViewToHTML(table, "", file));
  EXPECT_EQ(ReadWholeFile(file), previous);
  EXPECT_THAT(folder.Names(), ::testing::ElementsAre("protocol.htm"));
}

TEST_F(HtmlWriteFailure, AFileThatCannotBeReplacedStaysAsItWasWithNoTemporaryFileLeft) {
  WriteWholeFile(file, previous);
  {
    testsupport::TFileHeldOpen held(file);
    EXPECT_FALSE(ListViewToHTML(testsupport::HeatsProtocol(), "", file));
  }
  EXPECT_EQ(ReadWholeFile(file), previous);
  EXPECT_THAT(folder.Names(), ::testing::ElementsAre("protocol.htm"));
}

TEST_F(HtmlWriteFailure, ASuccessfulExportReplacesALongerPreviousFileWhole) {
  WriteWholeFile(file, std::string(100000, 'x'));
  ASSERT_TRUE(ListViewToHTML(testsupport::EmptyProtocol(), "", file));
  EXPECT_EQ(ReadWholeFile(file), PageHead() + PageTail(""));
  EXPECT_THAT(folder.Names(), ::testing::ElementsAre("protocol.htm"));
}

TEST_F(HtmlWriteFailure, AReadOnlyPageIsNotReplacedAndTheMessageNamesItAndTheReason) {
  WriteWholeFile(file, previous);
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(ListViewToHTML(testsupport::HeatsProtocol(), "", file));
  EXPECT_EQ(ReadWholeFile(file), previous);
  DWORD error = 0;
  EXPECT_FALSE(ListViewToHTML(testsupport::HeatsProtocol(), "", file, &error));
  const TExportMessage failed = ExportFailedMessage(file, error);
  EXPECT_THAT(failed.Text, ::testing::HasSubstr(file));
  EXPECT_THAT(failed.Text, ::testing::HasSubstr("read-only"));
  EXPECT_EQ(failed.Title, "ERROR");
}

TEST(ExportMessages, FailuresAreReportedWithTheErrorIcon) {
  const TExportMessage failed = ExportFailedMessage();
  EXPECT_EQ(failed.Text, "ERROR");
  EXPECT_EQ(failed.Title, "ERROR");
  EXPECT_EQ(failed.Flags, 16u);
  const TExportMessage excel = ExcelNotInstalledMessage();
  EXPECT_EQ(excel.Text, "Excel is not installed!");
  EXPECT_EQ(excel.Title, "ERROR");
  EXPECT_EQ(excel.Flags, 16u);
}

}  // namespace
