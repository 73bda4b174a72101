// Memory, file and resource streams.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/toolkit/rtl_test_files.h"
#include "toolkit/streams.h"

namespace {

std::string Content(TCustomMemoryStream& stream) {
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

TEST(MemoryStream, ReadsWritesAndSeeksLikeAFile) {
  TMemoryStream stream;
  stream.WriteBuffer("hello world", 11);
  EXPECT_EQ(stream.GetPosition(), 11);
  EXPECT_EQ(stream.Seek(-5, soEnd), 6);
  char word[6] = {};
  EXPECT_EQ(stream.Read(word, 100), 5);
  EXPECT_STREQ(word, "world");
  EXPECT_EQ(stream.Read(word, 1), 0);
  stream.SetPosition(0);
  stream.WriteBuffer("J", 1);
  EXPECT_EQ(Content(stream), "Jello world");
  EXPECT_EQ(stream.Seek(-1, soBeginning), -1);
  EXPECT_EQ(stream.GetPosition(), 1);
}

TEST(MemoryStream, WritingPastTheEndFillsTheGapWithZeros) {
  TMemoryStream stream;
  stream.WriteBuffer("ab", 2);
  stream.Seek(3, soCurrent);
  stream.WriteBuffer("z", 1);
  EXPECT_EQ(Content(stream), std::string("ab\0\0\0z", 6));
  stream.SetSize(1);
  EXPECT_EQ(stream.GetPosition(), 1);
  EXPECT_EQ(Content(stream), "a");
  stream.SetSize(3);
  EXPECT_EQ(Content(stream), std::string("a\0\0", 3));
  stream.Clear();
  EXPECT_EQ(stream.GetSize(), 0);
  EXPECT_EQ(stream.GetPosition(), 0);
}

TEST(MemoryStream, ShortReadOfAFixedRecordRaises) {
  TMemoryStream stream;
  stream.WriteBuffer("\x01\x02\x03", 3);
  stream.SetPosition(0);
  uint32_t record = 0;
  EXPECT_THROW(stream.ReadBuffer(&record, sizeof record), EReadError);
  stream.SetPosition(1);
  uint16_t half = 0;
  stream.ReadBuffer(&half, sizeof half);
  EXPECT_EQ(half, 0x0302);
  EXPECT_THROW(stream.ReadBuffer(&half, -1), EReadError);
}

TEST(MemoryStream, CopyFromTakesACountOrTheWholeSource) {
  TMemoryStream source, dest;
  source.WriteBuffer("0123456789", 10);
  source.SetPosition(4);
  EXPECT_EQ(dest.CopyFrom(source, 3), 3);
  EXPECT_EQ(Content(dest), "456");
  EXPECT_EQ(dest.CopyFrom(source, 0), 10);
  EXPECT_EQ(Content(dest), "4560123456789");
  source.SetPosition(8);
  EXPECT_THROW(dest.CopyFrom(source, 5), EReadError);
}

using FileStreams = ScratchFolder;

TEST_F(FileStreams, CreateWritesOpenReadsAndSizeTruncates) {
  {
    TFileStream file(Path("data.bin"), fmCreate);
    file.WriteBuffer("abcdef", 6);
    EXPECT_EQ(file.GetSize(), 6);
    file.SetSize(4);
    EXPECT_EQ(file.GetPosition(), 4);
  }
  EXPECT_EQ(ReadBytes(Path("data.bin")), "abcd");
  {
    TFileStream file(Path("data.bin"), fmOpenReadWrite);
    file.Seek(0, soEnd);
    file.WriteBuffer("XY", 2);
  }
  TFileStream file(Path("data.bin"), fmOpenRead);
  EXPECT_EQ(file.FileName(), Path("data.bin"));
  char bytes[8] = {};
  EXPECT_EQ(file.Read(bytes, sizeof bytes), 6);
  EXPECT_STREQ(bytes, "abcdXY");
  EXPECT_THROW(file.WriteBuffer("no", 2), EWriteError);
}

TEST_F(FileStreams, FailuresNameTheFileAndTheReason) {
  try {
    TFileStream file(Path("missing.bin"), fmOpenRead);
    FAIL();
  } catch (const EFOpenError& e) {
    EXPECT_NE(e.Message().find("missing.bin"), std::string::npos);
    EXPECT_NE(e.Message().find(SysErrorMessage(ERROR_FILE_NOT_FOUND)), std::string::npos) << e.Message();
  }
  EXPECT_THROW(TFileStream(Path("no\\folder\\x.bin"), fmCreate), EFCreateError);
}

TEST_F(FileStreams, ShareModesDecideWhoElseMayOpen) {
  WriteBytes(Path("shared.bin"), "data");
  {
    TFileStream exclusive(Path("shared.bin"), fmOpenRead | fmShareExclusive);
    EXPECT_THROW(TFileStream(Path("shared.bin"), fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream reader(Path("shared.bin"), fmOpenRead | fmShareDenyWrite);
    EXPECT_NO_THROW(TFileStream(Path("shared.bin"), fmOpenRead | fmShareDenyWrite));
    EXPECT_THROW(TFileStream(Path("shared.bin"), fmOpenReadWrite | fmShareDenyNone), EFOpenError);
  }
  {
    TFileStream writer(Path("shared.bin"), fmOpenReadWrite | fmShareDenyNone);
    EXPECT_NO_THROW(TFileStream(Path("shared.bin"), fmOpenRead | fmShareDenyNone));
    EXPECT_THROW(TFileStream(Path("shared.bin"), fmOpenRead | fmShareDenyWrite), EFOpenError);
  }
}

TEST(RunningExecutable, CanBeReadByTwoReadersAtOnce) {
  TFileStream first(ExeFileName(), fmOpenRead | fmShareDenyNone);
  TFileStream second(ExeFileName(), fmOpenRead | fmShareDenyWrite);
  char a[2], b[2];
  first.ReadBuffer(a, 2);
  second.ReadBuffer(b, 2);
  EXPECT_EQ(std::string(a, 2), "MZ");
  EXPECT_EQ(std::string(b, 2), "MZ");
  EXPECT_EQ(first.GetSize(), second.GetSize());
}

TEST_F(FileStreams, MemoryStreamSavesAndLoadsFiles) {
  TMemoryStream stream;
  stream.WriteBuffer("\x00\xFF\r\n", 4);
  stream.SaveToFile(Path("m.bin"));
  EXPECT_EQ(ReadBytes(Path("m.bin")), std::string("\x00\xFF\r\n", 4));
  TMemoryStream loaded;
  loaded.WriteBuffer("old content", 11);
  loaded.LoadFromFile(Path("m.bin"));
  EXPECT_EQ(Content(loaded), std::string("\x00\xFF\r\n", 4));
  EXPECT_EQ(loaded.GetPosition(), 0);
  EXPECT_THROW(loaded.LoadFromFile(Path("none.bin")), EFOpenError);
}

TEST(ResourceStream, ReadsResourcesByNameAndByNumber) {
  TResourceStream blob(GetModuleHandleA(nullptr), "TEST_BLOB", RT_RCDATA);
  const unsigned char expected[] = {'D', 'R', 'V', 0, 0x34, 0x12, 0x78, 0x56};
  ASSERT_EQ(blob.GetSize(), 8);
  unsigned char bytes[8];
  blob.ReadBuffer(bytes, 8);
  EXPECT_EQ(std::memcmp(bytes, expected, 8), 0);
  TResourceStream numbered(GetModuleHandleA(nullptr), 4711, RT_RCDATA);
  EXPECT_EQ(Content(numbered), "\x01\x02\x03\x04");
}

TEST(ResourceStream, MissingResourceAndWritingRaise) {
  EXPECT_THROW(TResourceStream(GetModuleHandleA(nullptr), "NO_SUCH_BLOB", RT_RCDATA), EResNotFound);
  EXPECT_THROW(TResourceStream(GetModuleHandleA(nullptr), 4712, RT_RCDATA), EResNotFound);
  TResourceStream blob(GetModuleHandleA(nullptr), "TEST_BLOB", RT_RCDATA);
  EXPECT_THROW(blob.WriteBuffer("x", 1), EStreamError);
  EXPECT_EQ(static_cast<const char*>(blob.Memory())[0], 'D');
}

}  // namespace
