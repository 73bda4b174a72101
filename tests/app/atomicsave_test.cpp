// Replacing a whole file through a temporary one: a file the user marked read-only stays as
// it is, and a replaced file keeps its attributes.
#include "app/atomicsave.h"

#include <gtest/gtest.h>

#include "tests/app/start_list_fakes.h"

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

}  // namespace
