// Resource strings: loaded whole and in the ANSI code page, and the three loaders really
// redirected by a jump written over their entry, as the translation runtime does it.
#include "toolkit/resstrings.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>

#include "tests/toolkit/resource_string_callers.h"
#include "tests/toolkit/resource_strings_test_ids.h"
#include "toolkit/textcodec.h"

namespace {

std::string ExpectedLongText() {
  std::string text;
  char block[16];
  for (int i = 1; i <= 150; ++i) {
    snprintf(block, sizeof block, "Block %03d;", i);
    text += block;
  }
  return text;
}

// "Fußzeile Äpfel €" in code page 1252.
const char kAnsiText[] = "Fu\xDFzeile \xC4pfel \x80";

TEST(ResourceStrings, LongStringsAreLoadedWholeByEveryLoader) {
  const std::string expected = ExpectedLongText();
  ASSERT_EQ(expected.size(), 1500u);
  EXPECT_EQ(LongTextByRecord(), expected);
  EXPECT_EQ(LongTextByIdentifier(), expected);
  EXPECT_EQ(FmtLoadStr(IDS_TEST_LONG), expected);
}

TEST(ResourceStrings, TextComesInTheAnsiCodePage) {
  ASSERT_EQ(GetACP(), 1252u);
  EXPECT_EQ(AnsiTextByRecord(), kAnsiText);
  EXPECT_EQ(AnsiTextByIdentifier(), kAnsiText);
  EXPECT_EQ(LaneCaption(2, "M\xFCller"), "Lane 2: M\xFCller");
}

TK_RESOURCESTRING(SMissing, IDS_TEST_MISSING);
// Beyond 16 bits: must not be cut to the number of another string (here IDS_TEST_LONG).
TK_RESOURCESTRING(SOutOfRange, IDS_TEST_LONG + 0x10000);

TEST(ResourceStrings, MissingStringsAndBadRecordsGiveEmptyText) {
  const TResStringRec no_module{nullptr, IDS_TEST_LONG};
  EXPECT_EQ(LoadResString(&SMissing), "");
  EXPECT_EQ(LoadResString(&SOutOfRange), "");
  EXPECT_EQ(LoadResString(&no_module), "");
  EXPECT_EQ(LoadResString(nullptr), "");
  EXPECT_EQ(SysUtilsLoadStr(IDS_TEST_MISSING), "");
  EXPECT_EQ(SysUtilsLoadStr(IDS_TEST_LONG + 0x10000), "");
}

TEST(ResourceStrings, FormatErrorsReachTheCaller) {
  EXPECT_THROW(FmtLoadStr(IDS_TEST_FORMAT, 2), EConvertError);
}

TEST(ResourceStrings, RecordsOfThisProgramNameItsModule) {
  EXPECT_EQ(HInstance, GetModuleHandleA(nullptr));
  EXPECT_EQ(ResourceModules(), std::vector<HMODULE>{HInstance});
}

// --- Redirecting the loaders ----------------------------------------------------------------

template <class F>
BYTE* CodeOf(F* function) {
  return reinterpret_cast<BYTE*>(function);
}

// Writes "jmp rel32" to the replacement over the first 5 bytes of the target and puts the
// saved bytes back when it goes, the way the translation runtime patches the loaders.
class TJumpPatch {
 public:
  TJumpPatch(BYTE* target, BYTE* replacement) : target_(target) {
    int32_t displacement = static_cast<int32_t>(replacement - (target + 5));
    std::memcpy(saved_, target_, 5);
    BYTE patch[5] = {0xE9};
    std::memcpy(patch + 1, &displacement, 4);
    Write(patch);
  }
  ~TJumpPatch() { Write(saved_); }
  TJumpPatch(const TJumpPatch&) = delete;
  TJumpPatch& operator=(const TJumpPatch&) = delete;

  // A rel32 jump reaches ±2 GB; a static executable keeps all its code far closer.
  static bool InReach(BYTE* target, BYTE* replacement) {
    int64_t displacement = replacement - (target + 5);
    return displacement >= std::numeric_limits<int32_t>::min() &&
           displacement <= std::numeric_limits<int32_t>::max();
  }

 private:
  void Write(const BYTE* bytes) {
    DWORD old_protection = 0;
    if (!VirtualProtect(target_, 5, PAGE_EXECUTE_READWRITE, &old_protection))
      throw std::runtime_error("VirtualProtect");
    std::memcpy(target_, bytes, 5);
    VirtualProtect(target_, 5, old_protection, &old_protection);
    FlushInstructionCache(GetCurrentProcess(), target_, 5);
  }

  BYTE* target_;
  BYTE saved_[5];
};

// Replacements in the translation runtime's manner: load as before, then change the text.
std::string Bracketed(char open, const std::string& text, char close) {
  std::string result(1, open);
  result += text;
  result += close;
  return result;
}
std::string ReplacedLoadResString(const TResStringRec* rec) {
  return Bracketed('<', WideToAnsi(ResStringTextW(rec)).substr(0, 9), '>');
}
std::string ReplacedLoadStr(UINT identifier) {
  return Bracketed('[', WideToAnsi(ModuleStringTextW(identifier)).substr(0, 9), ']');
}
std::string ReplacedFmtLoadStr(UINT identifier, std::span<const TFormatArg> args) {
  return Bracketed('{', FormatArgs(WideToAnsi(ModuleStringTextW(identifier)), args), '}');
}

TEST(ResourceStringLoaders, EachEntryHasFiveBytesToPatch) {
  const BYTE nops[5] = {0x90, 0x90, 0x90, 0x90, 0x90};
  EXPECT_EQ(std::memcmp(CodeOf(&LoadResString), nops, 5), 0);
  EXPECT_EQ(std::memcmp(CodeOf(&SysUtilsLoadStr), nops, 5), 0);
  EXPECT_EQ(std::memcmp(CodeOf(&SysUtilsFmtLoadStr), nops, 5), 0);
}

TEST(ResourceStringLoaders, AJumpAtTheEntryRedirectsCallersInOtherUnitsUntilRestored) {
  ASSERT_TRUE(TJumpPatch::InReach(CodeOf(&LoadResString), CodeOf(&ReplacedLoadResString)));
  ASSERT_TRUE(TJumpPatch::InReach(CodeOf(&SysUtilsLoadStr), CodeOf(&ReplacedLoadStr)));
  ASSERT_TRUE(TJumpPatch::InReach(CodeOf(&SysUtilsFmtLoadStr), CodeOf(&ReplacedFmtLoadStr)));
  {
    TJumpPatch record(CodeOf(&LoadResString), CodeOf(&ReplacedLoadResString));
    TJumpPatch identifier(CodeOf(&SysUtilsLoadStr), CodeOf(&ReplacedLoadStr));
    TJumpPatch format(CodeOf(&SysUtilsFmtLoadStr), CodeOf(&ReplacedFmtLoadStr));
    EXPECT_EQ(LongTextByRecord(), "<Block 001>");
    EXPECT_EQ(AnsiTextByRecord(), "<Fu\xDFzeile >");
    EXPECT_EQ(LongTextByIdentifier(), "[Block 001]");
    EXPECT_EQ(AnsiTextByIdentifier(), "[Fu\xDFzeile ]");
    EXPECT_EQ(LaneCaption(3, "Lauda"), "{Lane 3: Lauda}");
  }
  EXPECT_EQ(LongTextByRecord(), ExpectedLongText());
  EXPECT_EQ(AnsiTextByIdentifier(), kAnsiText);
  EXPECT_EQ(LaneCaption(3, "Lauda"), "Lane 3: Lauda");
}

}  // namespace
