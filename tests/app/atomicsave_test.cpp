// Replacing a whole file through a temporary one: a file the user marked read-only stays as
// it is, a replaced file keeps its attributes, and what interrupted saves left is removed.
// Reading beside another program, and files in folders the code page cannot spell or too
// long for plain names.
#include "app/atomicsave.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/app/start_list_fakes.h"
#include "toolkit/filenames.h"
#include "toolkit/inifiles.h"
#include "toolkit/streams.h"

namespace {

TEST(AtomicSave, AReadOnlyFileIsNotReplacedAndTheFailureSaysWhy) {
  TScratchFolder folder;
  const std::string file = folder.File("Current.Asl");
  TScratchFolder::Write(file, "old");
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
  DWORD error = 0;
  EXPECT_FALSE(WriteFileReplacing(file, "new", error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_FILE_READ_ONLY));
  EXPECT_EQ(TScratchFolder::Read(file), "old");
  EXPECT_EQ(GetFileAttributesA(file.c_str()) & FILE_ATTRIBUTE_READONLY,
            static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(folder.Names(), (std::vector<std::string>{"Current.Asl"}));  // no temporary file left
  try {
    SaveFileAtomically(file, "new");
    ADD_FAILURE() << "no exception";
  } catch (const EFCreateError& e) {
    EXPECT_NE(e.Message().find(file), std::string::npos) << e.Message();
    EXPECT_NE(e.Message().find("read-only"), std::string::npos) << e.Message();
  }
  EXPECT_EQ(TScratchFolder::Read(file), "old");
}

TEST(AtomicSave, AReplacedFileKeepsItsAttributes) {
  TScratchFolder folder;
  const std::string file = folder.File("Classes.Lst");
  TScratchFolder::Write(file, "old");
  const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE;
  ASSERT_TRUE(SetFileAttributesA(file.c_str(), kept));
  ASSERT_EQ(GetFileAttributesA(file.c_str()) & kept, kept);
  DWORD error = 0;
  ASSERT_TRUE(WriteFileReplacing(file, "new", error)) << error;
  EXPECT_EQ(TScratchFolder::Read(file), "new");
  EXPECT_EQ(GetFileAttributesA(file.c_str()) & (kept | FILE_ATTRIBUTE_READONLY), kept);
  ASSERT_TRUE(WriteFileReplacing(folder.File("fresh.txt"), "x", error));  // a new file: attributes as made
  EXPECT_EQ(GetFileAttributesA(folder.File("fresh.txt").c_str()) & (kept | FILE_ATTRIBUTE_READONLY) &
                ~FILE_ATTRIBUTE_ARCHIVE,
            0u);
}

TEST(AtomicSave, AFileHeldWithFullSharingReadsAndOneHeldAloneDoesNot) {
  TScratchFolder folder;
  const std::string file = folder.File("Current.Asl");
  TScratchFolder::Write(file, "list");
  // A sync or backup tool: reading, writing and deleting shared.
  HANDLE shared =
      CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(shared, INVALID_HANDLE_VALUE);
  std::string bytes;
  DWORD error = 0;
  EXPECT_TRUE(ReadFileWhole(file, bytes, error)) << error;
  EXPECT_EQ(bytes, "list");
  CloseHandle(shared);
  HANDLE alone = CreateFileA(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(alone, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(ReadFileWhole(file, bytes, error));
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  CloseHandle(alone);
}

TEST(AtomicSave, OnlyTheProgramsOwnStaleTemporariesAreRemovedAndOnlyWhenAsked) {
  TScratchFolder folder;
  const std::string file = folder.File("Current.Asl");
  TScratchFolder::Write(file, "old");
  // Other programs' (the system's scheme for temporary names), and near misses of ours.
  const std::vector<std::string> foreign = {"drv1234.tmp",
                                            "drvcafe.tmp",
                                            "DRVBEEF.TMP",
                                            "drv1.tmp",
                                            "backup.tmp",
                                            "~dravolin-save-123.tmp",
                                            "~dravolin-save-0000abcx.tmp",
                                            "~dravolin-save-0000abcd.txt"};
  for (const std::string& name : foreign) TScratchFolder::Write(folder.File(name), "theirs");
  // Left by interrupted saves of ours, and one that a save of another copy is writing.
  for (const char* name :
       {"~dravolin-save-0000abcd.tmp", "~DRAVOLIN-SAVE-DEADBEEF.TMP", "~dravolin-save-00000c0d.tmp"})
    TScratchFolder::Write(folder.File(name), "stale");
  HANDLE busy =
      CreateFileA(folder.File("~dravolin-save-00000c0d.tmp").c_str(), GENERIC_WRITE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(busy, INVALID_HANDLE_VALUE);
  auto names = [&] {
    std::vector<std::string> names = folder.Names();
    std::sort(names.begin(), names.end());
    return names;
  };
  auto expected = [&](std::vector<std::string> ours) {
    ours.insert(ours.end(), foreign.begin(), foreign.end());
    ours.push_back("Current.Asl");
    std::sort(ours.begin(), ours.end());
    return ours;
  };
  // A save alone (an export to the user's folder) removes nothing.
  DWORD error = 0;
  ASSERT_TRUE(WriteFileReplacing(file, "new", error)) << error;
  EXPECT_EQ(TScratchFolder::Read(file), "new");
  EXPECT_EQ(names(), expected({"~DRAVOLIN-SAVE-DEADBEEF.TMP", "~dravolin-save-00000c0d.tmp",
                               "~dravolin-save-0000abcd.tmp"}));
  // Before a save of the program's own files: ours that no process holds.
  RemoveStaleTemporariesBeside(file);
  EXPECT_EQ(names(), expected({"~dravolin-save-00000c0d.tmp"}));
  CloseHandle(busy);
  // At the start: the one let go is stale now.
  RemoveStaleTemporaries(folder.File(""));
  EXPECT_EQ(names(), expected({}));
}

TEST(AtomicSave, TheCopyOfAFileNotReadTakesTheFirstNameThatNothingHas) {
  TScratchFolder folder;
  const std::string file = folder.File("Classes.Lst");
  TScratchFolder::Write(file, "Open\r\n");
  ASSERT_TRUE(CreateDirectoryA((file + ".bak").c_str(), nullptr));
  TScratchFolder::Write(file + ".1.bak", "older");
  TUnreadFileCopy copy;
  copy.Mark(file);
  EXPECT_EQ(copy.CopyName(), file + ".2.bak");
  std::string failure;
  EXPECT_TRUE(copy.KeepBeforeSave(file, failure)) << failure;
  EXPECT_EQ(TScratchFolder::Read(file + ".2.bak"), "Open\r\n");
  EXPECT_EQ(TScratchFolder::Read(file + ".1.bak"), "older");
}

// The program's folder as the system names it: in Greek, in Polish (neither spelled by a
// Western code page), and one of 300 characters.
struct TForeignFolder {
  const char* what;
  const wchar_t* folders;  // below the scratch folder, separated by backslashes
};
void PrintTo(const TForeignFolder& folder, std::ostream* out) { *out << folder.what; }
class ForeignFolders : public ::testing::TestWithParam<TForeignFolder> {};

TEST_P(ForeignFolders, TheWorkingFilesAreReadAndSavedThere) {
  TScratchFolder scratch;
  const std::wstring base = WideNameAsGiven(scratch.File(""));
  std::wstring wide = base;
  std::vector<std::wstring> made;
  for (const wchar_t* part = GetParam().folders; *part;) {
    const wchar_t* end = std::wcschr(part, L'\\');
    const std::wstring name = end ? std::wstring(part, end) : std::wstring(part);
    wide += name + L"\\";
    ASSERT_TRUE(CreateDirectoryW(LongFormOf(wide).c_str(), nullptr)) << GetLastError();
    made.push_back(wide);
    part = end ? end + 1 : part + name.size();
  }
  // As the program finds its folder, and a skin folder in it.
  const std::string folder = ExtractFilePath(FileNameFromWide(wide + L"dravolin.exe"));
  const std::string list = folder + "Aktuell.Asl", ini = folder + "dravolin.ini";
  DWORD error = 0;
  EXPECT_TRUE(WriteFileReplacing(list, "[DRAVOLIN1ASLREC]", error)) << error;
  std::string bytes;
  EXPECT_TRUE(ReadFileWhole(list, bytes, error)) << error;
  EXPECT_EQ(bytes, "[DRAVOLIN1ASLREC]");
  EXPECT_TRUE(FileExists(list));
  EXPECT_EQ(ExpandFileName(folder + "sub\\..\\Aktuell.Asl"), ExpandFileName(list));
  EXPECT_NE(GetFileAttributesW(LongFormOf(wide + L"Aktuell.Asl").c_str()), INVALID_FILE_ATTRIBUTES);
  TIniFile(ini).WriteString("Einstellungen", "CountDown", "7");
  EXPECT_EQ(TIniFile(ini).ReadString("Einstellungen", "CountDown", ""), "7");
  ASSERT_TRUE(ReadFileWhole(ini, bytes, error)) << error;
  EXPECT_EQ(TFileStream(ini, fmOpenRead | fmShareDenyNone).GetSize(), static_cast<int64_t>(bytes.size()));
  ASSERT_TRUE(CreateDir(folder + "Skins"));
  ASSERT_TRUE(CreateDirectoryW(LongFormOf(wide + L"Skins\\\u03a3").c_str(), nullptr));
  const std::vector<TSearchRec> skins = ListDirectory(folder + "Skins\\*", faDirectory);
  ASSERT_EQ(skins.size(), 1u);
  EXPECT_TRUE(DirectoryExists(folder + "Skins\\" + skins[0].Name));
  TUnreadFileCopy copy;
  copy.Mark(list);
  std::string failure;
  EXPECT_TRUE(copy.KeepBeforeSave(list, failure)) << failure;
  EXPECT_EQ(GetFileAttributesW(LongFormOf(wide + L"Aktuell.Asl.bak").c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);

  for (const wchar_t* name : {L"Skins\\\u03a3", L"Skins"}) RemoveDirectoryW(LongFormOf(wide + name).c_str());
  for (const wchar_t* name : {L"Aktuell.Asl", L"Aktuell.Asl.bak", L"dravolin.ini"})
    DeleteFileW(LongFormOf(wide + name).c_str());
  for (auto dir = made.rbegin(); dir != made.rend(); ++dir) RemoveDirectoryW(LongFormOf(*dir).c_str());
}

INSTANTIATE_TEST_SUITE_P(
    AtomicSave, ForeignFolders,
    ::testing::Values(TForeignFolder{"Greek", L"\u0391\u03b8\u03ae\u03bd\u03b1"},
                      TForeignFolder{"Polish", L"\u0141\u00f3d\u017a"},
                      TForeignFolder{
                          "Long",
                          L"Rennen 2026 mit einem sehr langen Ordnernamen fuer die Vereinsmeisterschaft "
                          L"der Autocross-Freunde\\zweiter Ordner mit noch mehr Zeichen damit der Pfad "
                          L"sicher ueber dreihundert Zeichen lang wird, wie ihn Windows Explorer "
                          L"erlaubt\\Lauf 1"}),
    [](const ::testing::TestParamInfo<TForeignFolder>& info) { return std::string(info.param.what); });

}  // namespace
