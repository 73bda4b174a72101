// The file table appended to the executable: the test program's own table (appended by the
// build like the program's), names in any letter case, and damaged tables that end the walk
// without looping or reading past the end.
#include "i18n/assembly.h"

#include <gtest/gtest.h>

#include <cstring>

#include "i18n/domain.h"
#include "i18n/translator.h"
#include "tests/i18n/i18n_test_files.h"

namespace {

const char kShippedName[] = "locale\\de\\LC_MESSAGES\\default.mo";

TEST(ProgramFileTable, CarriesTheGermanCatalogUnderItsRelativeName) {
  ASSERT_NE(FileLocator, nullptr);
  EXPECT_NE(FileTablePosition(), 0u);
  EXPECT_EQ(FileLocator->Names(), std::vector<std::string>{kShippedName});
  std::string file;
  int64_t offset = -1, size = -1;
  FileLocator->GetCatalogFile(TestFolder() + kShippedName, file, offset, size);
  EXPECT_EQ(file, ExeFileName());
  const std::string exe = ReadWholeFile(ExeFileName());
  ASSERT_GT(size, 28);
  ASSERT_LE(offset + size, static_cast<int64_t>(exe.size()));
  uint32_t magic;
  std::memcpy(&magic, exe.data() + offset, 4);
  EXPECT_EQ(magic, 0x950412DEu);
}

// The folder in front, when it is there, must match exactly; the recorded name after it
// matches in any case, and so does a recorded name alone.
TEST(ProgramFileTable, NamesMatchInAnyCaseButTheFolderExactly) {
  EXPECT_TRUE(FileLocator->FileExists(TestFolder() + kShippedName));
  EXPECT_TRUE(FileLocator->FileExists(TestFolder() + "LOCALE\\De\\lc_messages\\DEFAULT.MO"));
  EXPECT_FALSE(FileLocator->FileExists(AnsiLowerCase(TestFolder()) + kShippedName));
  EXPECT_FALSE(FileLocator->FileExists(TestFolder() + "locale\\de\\LC_MESSAGES\\vorlen.mo"));
  EXPECT_TRUE(FileLocator->FileExists(kShippedName));
  EXPECT_TRUE(FileLocator->FileExists("Locale\\DE\\LC_MESSAGES\\default.mo"));
  EXPECT_FALSE(FileLocator->FileExists("\\" + std::string(kShippedName)));

  std::string file;
  int64_t offset = -1, size = -1;
  FileLocator->GetCatalogFile("C:\\elsewhere\\default.mo", file, offset, size);
  EXPECT_EQ(file, "C:\\elsewhere\\default.mo");
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(size, 0);
  // Only a name in the folder is served from the executable.
  FileLocator->GetCatalogFile(kShippedName, file, offset, size);
  EXPECT_EQ(file, kShippedName);
  EXPECT_EQ(offset, 0);
}

TEST(ProgramFileTable, EmbeddedCatalogServesTheRegionalLanguage) {
  TDomain* domain = New<TDomain>("default");
  domain->SetDirectory(TestFolder() + "locale");
  domain->SetLanguageCode("de_DE");
  EXPECT_EQ(domain->Lookup("Classes.Lst"), "Klasse.Lst");
  EXPECT_EQ(domain->Lookup("ProtocolSign"),
            "ProtokollFu\xC3\x9F"
            "zeile");
  EXPECT_EQ(domain->Lookup("COMPORT"), "COMPORT");
  EXPECT_EQ(domain->GetHeaderField("Content-Type"), L"text/plain; charset=UTF-8");
  Free(domain);
}

// --- Damaged tables ---------------------------------------------------------------------------

struct TRecord {
  uint64_t next;  // 0: the record right behind (or, for the last, the end mark)
  uint64_t offset;
  uint64_t size;
  std::string name;
};

void PutQuad(std::string& bytes, uint64_t value) {
  for (int i = 0; i < 8; ++i) bytes += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// 64 bytes of "file data", then the records of 64 bytes each (a longer name fills as many as
// it needs), then the end mark. Returns the table's position.
uint64_t WriteTable(const std::string& file_name, const std::vector<TRecord>& records) {
  std::string bytes(64, 'd');
  const uint64_t table = bytes.size();
  for (const TRecord& r : records) {
    const uint64_t end = bytes.size() + (24 + r.name.size() + 63) / 64 * 64;
    PutQuad(bytes, r.next ? r.next : end);
    PutQuad(bytes, r.offset);
    PutQuad(bytes, r.size);
    bytes += r.name;
    bytes.resize(end, ' ');
  }
  PutQuad(bytes, 0);
  WriteWholeFile(file_name, bytes);
  return table;
}

class DamagedFileTable : public testing::Test {
 protected:
  std::vector<std::string> Read(const std::vector<TRecord>& records, uint64_t position = 0) {
    const std::string exe = folder_.Path() + "program.exe";
    const uint64_t table = WriteTable(exe, records);
    TAssemblyAnalyzer* analyzer = New<TAssemblyAnalyzer>();
    analyzer->Analyze(exe, position ? position : table);
    std::vector<std::string> names = analyzer->Names();
    Free(analyzer);
    return names;
  }
  TScratchFolder folder_;
};

using Names = std::vector<std::string>;

TEST_F(DamagedFileTable, IntactTableIsReadWhole) {
  EXPECT_EQ(Read({{0, 0, 32, " a.mo "}, {0, 32, 32, "b\\c.mo"}}), (Names{"a.mo", "b\\c.mo"}));
}

TEST_F(DamagedFileTable, RecordPointingBackOrAtItselfEndsTheWalk) {
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {64, 0, 1, "b.mo"}}), Names{"a.mo"});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {128, 0, 1, "b.mo"}}), Names{"a.mo"});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {130, 0, 1, "b.mo"}}), Names{"a.mo"});  // overlaps its own fields
}

TEST_F(DamagedFileTable, PositionsOrDataOutsideTheFileEndTheWalk) {
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {0xFFFFFFFFFFFFFF00ull, 0, 1, "b.mo"}}), Names{"a.mo"});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {0, 10, 0xFFFFFFFFFFFFFFF0ull, "b.mo"}}), Names{"a.mo"});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {0, 0x100000000ull, 1, "b.mo"}}), Names{"a.mo"});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}}, 1 << 20), Names{});
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}}, 130), Names{});  // no room for a next-record field
}

TEST_F(DamagedFileTable, DuplicateNameKeepsTheRecordsBeforeIt) {
  EXPECT_EQ(Read({{0, 0, 1, "a.mo"}, {0, 0, 1, "A.MO"}, {0, 0, 1, "c.mo"}}), Names{"a.mo"});
}

// The walk is bounded by the file alone: every record strictly behind the one before.
TEST_F(DamagedFileTable, EveryRecordIsReadUpToTheNextWhateverItsPaddingOrTheirNumber) {
  const std::string deep = std::string(700, 'x') + "\\" + std::string(700, 'y') + "\\c.mo";
  EXPECT_EQ(Read({{0, 0, 1, "a.mo" + std::string(5000, ' ')}, {0, 0, 1, deep}, {0, 0, 1, "b.mo"}}),
            (Names{"a.mo", "b.mo", deep}));
  EXPECT_EQ(Read({{0, 0, 1, "  \t "}, {0, 0, 1, "b.mo"}}), (Names{"", "b.mo"}));  // a blank name too
  std::vector<TRecord> records;
  for (int i = 0; i < 5000; ++i) records.push_back({0, 0, 1, IntToStr(i)});
  EXPECT_EQ(Read(records).size(), 5000u);
}

TEST_F(DamagedFileTable, NoTableMeansNoNames) {
  TAssemblyAnalyzer* analyzer = New<TAssemblyAnalyzer>();
  analyzer->Analyze(folder_.Path() + "missing.exe", 64);
  EXPECT_TRUE(analyzer->Names().empty());
  EXPECT_FALSE(analyzer->FileExists(folder_.Path() + "a.mo"));
  analyzer->Analyze(ExeFileName(), 0);
  EXPECT_TRUE(analyzer->Names().empty());
  Free(analyzer);
}

}  // namespace
