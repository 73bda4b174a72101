// The ".asl" format byte for byte, what reading makes of odd and damaged files, and the save
// that leaves the old file whole when it fails.
#include "app/startlistfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "app/atomicsave.h"
#include "tests/app/start_list_fakes.h"

namespace {

std::vector<TStartListEntry> Parse(const std::string& bytes) {
  std::vector<TStartListEntry> entries;
  ParseStartList(bytes, entries);
  return entries;
}

TEST(AslFormat, TwoEntriesAreTwentyCrLfLinesWithNothingAround) {
  const std::string fields = "A\r\n11\r\nMiller\r\nJo\r\nFord\r\nKa\r\nLinz\r\nAT\r\n";
  EXPECT_EQ(FormatStartList({Entry("1", "Miller"), Entry("1", "Miller")}),
            H() + "1\r\n" + fields + H() + "1\r\n" + fields);
  EXPECT_EQ(FormatStartList({}), "");
}

TEST(AslFormat, RecordsTakeAnyNumberOfWholeLinesAndAHeaderLineEndsOne) {
  auto e = Parse(H() + "7\r\n" + H() + " 2 \r\n\r\n x\r\n" + H() +
                 "3\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10");
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].SubItems, std::vector<std::string>(8));  // only a place: eight empty fields
  EXPECT_EQ(EntryText(e[0]), "7.   /   ()");
  EXPECT_EQ(e[1].Caption, " 2 ");  // not trimmed
  EXPECT_EQ(e[1].SubItems, (std::vector<std::string>{"", " x", "", "", "", "", "", ""}));
  EXPECT_EQ(e[2].SubItems.size(), 10u);  // more than eight, and no final line end
  // A field that equals the header cannot be stored: it starts a record of its own.
  e = Parse(FormatStartList({{"1", {"A", std::string(kAslRecordHeader), "X", "Y"}}}));
  ASSERT_EQ(e.size(), 2u);
  EXPECT_EQ(e[1].Caption, "X");
  EXPECT_EQ(e[1].SubItems[0], "Y");
}

// A list as the editor writes it, with the one record at `index` changed by `damage`.
std::string Damaged(size_t index, const std::function<void(std::string&)>& damage) {
  std::string bytes;
  std::vector<TStartListEntry> entries = Entries("ABC");
  for (size_t i = 0; i < entries.size(); ++i) {
    std::string record = FormatStartList({entries[i]});
    if (i == index) damage(record);
    bytes += record;
  }
  return bytes;
}

TEST(AslFormat, DamagedRecordsAreCountedAndReadWithoutShiftingTheirFields) {
  const std::vector<TStartListEntry> whole = Entries("ABC");
  auto parse = [](const std::string& bytes, TAslDamage& damage) {
    std::vector<TStartListEntry> entries;
    ParseStartList(bytes, entries, &damage);
    return entries;
  };
  // Of the editor's shape, with a line end of any kind and none at the end: nothing told.
  std::string lf = FormatStartList(whole);
  lf.erase(std::remove(lf.begin(), lf.end(), '\r'), lf.end());
  for (const std::string& bytes : {FormatStartList(whole), lf, lf.substr(0, lf.size() - 1)}) {
    TAslDamage damage;
    EXPECT_EQ(FormatStartList(parse(bytes, damage)), FormatStartList(whole));
    EXPECT_EQ(damage.records, 0);
  }
  // A header doubled before the second record: the empty record is left out.
  TAslDamage damage;
  auto e = parse(Damaged(1, [](std::string& r) { r.insert(0, H()); }), damage);
  EXPECT_EQ(FormatStartList(e), FormatStartList(whole));
  EXPECT_EQ(damage.records, 1);
  EXPECT_EQ(damage.first, TAslFault::HeaderForPlace);
  EXPECT_EQ(damage.first_record, 2);
  EXPECT_EQ(damage.first_line, 11);
  // The place line missing: the eight lines are the fields, the place the record's number.
  damage = {};
  e = parse(Damaged(1, [](std::string& r) { r.erase(H().size(), 3); }), damage);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].Caption, "2");
  EXPECT_EQ(e[1].SubItems, whole[1].SubItems);
  EXPECT_EQ(damage.first, TAslFault::PlaceMissing);
  EXPECT_EQ(damage.first_record, 2);
  // The same when the class is a number: it stays the class, the start number its own.
  std::vector<TStartListEntry> numeric = whole;
  numeric[1].SubItems[0] = "3";
  std::string bytes = FormatStartList(numeric);
  bytes.erase(bytes.find(H() + "2\r\n") + H().size(), 3);
  damage = {};
  e = parse(bytes, damage);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[1].Caption, "2");
  EXPECT_EQ(e[1].SubItems, numeric[1].SubItems);
  EXPECT_EQ(damage.first, TAslFault::PlaceMissing);
  // A header alone on the last line: left out, but told, with or without its line end.
  for (const std::string& end : {H(), H().substr(0, H().size() - 2)}) {
    damage = {};
    EXPECT_EQ(FormatStartList(parse(FormatStartList(whole) + end, damage)), FormatStartList(whole));
    EXPECT_EQ(damage.records, 1);
    EXPECT_EQ(damage.first, TAslFault::HeaderAtEnd);
    EXPECT_EQ(damage.first_record, 4);
    EXPECT_EQ(damage.first_line, 31);
  }
  // The next header early: the record is padded to eight fields, the next one read whole.
  damage = {};
  e = parse(Damaged(0, [](std::string& r) { r.resize(r.size() - std::string("Linz\r\nAT\r\n").size()); }),
            damage);
  ASSERT_EQ(e.size(), 3u);
  EXPECT_EQ(e[0].SubItems, (std::vector<std::string>{"A", "11", "A", "Jo", "Ford", "Ka", "", ""}));
  EXPECT_EQ(e[1].SubItems, whole[1].SubItems);
  EXPECT_EQ(damage.first, TAslFault::FewFields);
  EXPECT_EQ(damage.first_record, 1);
  EXPECT_EQ(damage.first_line, 1);
  // Several: counted, the first one named.
  damage = {};
  parse(H() + "x\r\n" + H() + H() + "3\r\n", damage);
  EXPECT_EQ(damage.records, 3);
  EXPECT_EQ(damage.first, TAslFault::PlaceNoNumber);
}

TEST(AslFormat, WithoutTheHeaderFirstNothingIsRead) {
  for (const std::string& bytes :
       std::vector<std::string>{"", "\r\n" + H() + "1\r\n", "[dravolin1aslrec]\r\n1\r\n",
                                "[DRAVOLIN1ASLREC] \r\n1\r\n", std::string(10000, 'x'), H()})
    EXPECT_TRUE(Parse(bytes).empty()) << bytes.substr(0, 40);
}

TEST(AslFile, TwoThousandEntriesWithLongLinesComeBackAsSaved) {
  TScratchFolder folder;
  std::vector<TStartListEntry> entries;
  for (int i = 1; i <= 2000; ++i) entries.push_back(Entry(std::to_string(i), std::to_string(i).append("N")));
  entries[1999].SubItems[efCity] = std::string(10000, 'c');
  ASSERT_TRUE(WriteStartListFile(folder.File("big.asl"), entries));
  std::vector<TStartListEntry> read;
  ASSERT_TRUE(ReadStartListFile(folder.File("big.asl"), read));
  EXPECT_EQ(FormatStartList(read), FormatStartList(entries));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"big.asl"}));  // no temporary file left
  EXPECT_FALSE(ReadStartListFile(folder.File("missing.asl"), read));
  EXPECT_EQ(read.size(), 2000u);
}

TEST(AslFile, AFailedSaveLeavesTheOldFileWhole) {
  TScratchFolder folder;
  const std::string file = folder.File("Current.Asl");
  TScratchFolder::Write(file, "old");
  {
    // Held open without sharing, the old file cannot be replaced.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(WriteStartListFile(file, {Entry("1", "New")}));
    CloseHandle(held);
  }
  EXPECT_EQ(TScratchFolder::Read(file), "old");
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Current.Asl"}));  // no temporary file left
  EXPECT_FALSE(WriteStartListFile(folder.File("no folder\\x.asl"), {}));
  EXPECT_EQ(WorkingStartListFileName("C:\\Race\\Dravolin.exe"), "C:\\Race\\Current.Asl");
}

}  // namespace
