// Resource strings translated through the toolkit's patched loaders: German from the
// "default" catalog, "vorlen" asked only on a miss, and untranslated after shut-down. Also
// the hook's patching of a procedure of our own.
#include "i18n/resourcestrings.h"

#include <gtest/gtest.h>

#include <cstring>

#include "i18n/domain.h"
#include "i18n/translator.h"
#include "tests/i18n/i18n_test_ids.h"

namespace {

TK_RESOURCESTRING(SFinish, IDS_I18N_FINISH);
TK_RESOURCESTRING(SSign, IDS_I18N_SIGN);
TK_RESOURCESTRING(SOnlyVorlen, IDS_I18N_ONLY_VORLEN);
TK_RESOURCESTRING(SStop, IDS_I18N_STOP);
TK_RESOURCESTRING(SNowhere, IDS_I18N_NOWHERE);
TK_RESOURCESTRING(SLines, IDS_I18N_LINES);
TK_RESOURCESTRING(SMissing, IDS_I18N_MISSING);
TK_RESOURCESTRING(SOutOfRange, IDS_I18N_FINISH + 0x10000);

// As the application's start-up does it.
class TranslatedResourceStrings : public testing::Test {
 protected:
  void SetUp() override {
    AddDomainForResourceString("vorlen");
    UseLanguage("de");
  }
};

TEST_F(TranslatedResourceStrings, EveryLoaderGivesGermanInTheAnsiCodePage) {
  EXPECT_EQ(LoadResString(&SFinish), "ZIEL");
  EXPECT_EQ(LoadStr(IDS_I18N_FINISH), "ZIEL");
  EXPECT_EQ(LoadResString(&SSign), "ProtokollFu\xDFzeile");
  EXPECT_EQ(SysUtilsLoadStr(IDS_I18N_SIGN), "ProtokollFu\xDFzeile");
  EXPECT_EQ(i18n::LoadResStringW(&SSign), L"ProtokollFu\u00DFzeile");
}

TEST_F(TranslatedResourceStrings, FormattingLoaderTranslatesTheFormattedText) {
  EXPECT_EQ(FmtLoadStr(IDS_I18N_FORMAT, "FINISH"), "ZIEL");
  EXPECT_EQ(FmtLoadStr(IDS_I18N_LANE, 2), "Lane 2");
}

TEST_F(TranslatedResourceStrings, SecondDomainIsAskedOnlyOnAMiss) {
  TDomain* vorlen = DefaultInstance->GetDomain("vorlen");
  EXPECT_EQ(LoadResString(&SStop), "STOPP");  // "vorlen" would say "HALT"
  EXPECT_FALSE(vorlen->IsOpen());
  EXPECT_EQ(LoadResString(&SOnlyVorlen), "Nur in vorlen");
  EXPECT_TRUE(vorlen->IsOpen());
  EXPECT_EQ(LoadResString(&SNowhere), "Not in any catalog");
}

TEST_F(TranslatedResourceStrings, BareLineFeedComesBackNormalisedFromTheFirstDomain) {
  UseLanguage("de");
  EXPECT_EQ(LoadResString(&SLines), "first line\r\nsecond line");
  EXPECT_FALSE(DefaultInstance->GetDomain("vorlen")->IsOpen());
}

TEST_F(TranslatedResourceStrings, MissingOrOutOfRangeStringsStayEmpty) {
  EXPECT_EQ(LoadResString(&SMissing), "");
  EXPECT_EQ(LoadResString(&SOutOfRange), "");
  EXPECT_EQ(LoadResString(nullptr), "");
  EXPECT_EQ(SysUtilsLoadStr(IDS_I18N_MISSING), "");
}

TEST_F(TranslatedResourceStrings, DomainIsAddedOnce) {
  AddDomainForResourceString("VORLEN");
  EXPECT_EQ(ResourceStringDomains(), (std::vector<std::string>{"default", "vorlen"}));
}

TEST_F(TranslatedResourceStrings, ATranslatedTemplateThatDoesNotFitItsArgumentsGivesWayToTheOriginal) {
  EXPECT_EQ(FormatLoadStr(IDS_I18N_BAD_FORMAT, "x.asl", "full"), "File x.asl: full.");
  EXPECT_EQ(FormatLoadStr(IDS_I18N_GOOD_FORMAT, 2, "3"), "Bahn 2 von 3");
}

TEST_F(TranslatedResourceStrings, AFileNameIsTakenFromTheCatalogOnlyWhenItIsAPlainName) {
  const char* const taken[IDS_I18N_FILE_COUNT] = {"Gut.Lst",   "File1.Lst", "File2.Lst", "File3.Lst",
                                                  "File4.Lst", "File5.Lst", "File6.Lst"};
  for (int i = 0; i < IDS_I18N_FILE_COUNT; ++i) {
    const TResStringRec rec{&HInstance, static_cast<UINT>(IDS_I18N_FILE_FIRST + i)};
    EXPECT_EQ(LoadResFileName(&rec), taken[i]) << LoadResString(&rec);
  }
  for (const char* plain : {"Aktuell.Asl", "Klasse.Lst", "a b.c", "CONSOLE.Lst", "COM10.Lst", "\xC4rger.Lst"})
    EXPECT_TRUE(IsPlainFileName(plain)) << plain;
  for (const char* other :
       {"", ".", "..", "a\\b", "a|b", "tab\t.Lst", "con", "Aux.Asl", "LPT9", "com1 .txt", "CONOUT$"})
    EXPECT_FALSE(IsPlainFileName(other)) << other;
}

TEST_F(TranslatedResourceStrings, ShutDownLeavesTextsUntranslatedAndTheLoadersAsBuilt) {
  FinishTranslation();
  EXPECT_EQ(DefaultInstance, nullptr);
  EXPECT_EQ(LoadResString(&SFinish), "FINISH");
  EXPECT_EQ(FmtLoadStr(IDS_I18N_FORMAT, "FINISH"), "FINISH");
  // The replacements themselves no longer reach the freed instance.
  EXPECT_EQ(i18n::LoadResStringA(&SFinish), "FINISH");
  EXPECT_EQ(ResourceStringGettext(L"FINISH"), L"FINISH");

  StartTranslation();
  AddDomainForResourceString("vorlen");
  UseLanguage("de");
  EXPECT_EQ(LoadResString(&SFinish), "ZIEL");
}

// --- THook ---------------------------------------------------------------------------------

TK_PATCHABLE int Original(int value) { return value + 1; }
int Replacement(int value) { return value * 10; }

// Executable and writable (a page of the image stays copy-on-write until its first write).
bool WritableCode(const void* address) {
  MEMORY_BASIC_INFORMATION info{};
  VirtualQuery(address, &info, sizeof info);
  return info.Protect == PAGE_EXECUTE_READWRITE || info.Protect == PAGE_EXECUTE_WRITECOPY;
}

// The entry is made writable when the patch is prepared and stays so, also after the hook.
TEST(Hook, JumpsToTheReplacementAndLeavesTheEntryWritable) {
  BYTE* entry = reinterpret_cast<BYTE*>(&Original);
  THook* hook = New<THook>(reinterpret_cast<void*>(&Original), reinterpret_cast<void*>(&Replacement), false);
  EXPECT_EQ(hook->GetPatchPosition(), entry);
  EXPECT_TRUE(WritableCode(entry));
  EXPECT_EQ(Original(4), 5);
  hook->Enable();
  EXPECT_EQ(entry[0], 0xE9);
  EXPECT_EQ(Original(4), 40);
  hook->Disable();
  EXPECT_EQ(Original(4), 5);
  hook->Enable();
  Free(hook);  // writes the saved bytes back
  EXPECT_EQ(Original(4), 5);
  EXPECT_TRUE(WritableCode(entry));
}

TEST(Hook, FollowsAnIndirectJumpToItsTarget) {
  BYTE* stub =
      static_cast<BYTE*>(VirtualAlloc(nullptr, 64, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE));
  ASSERT_NE(stub, nullptr);
  // jmp qword ptr [rip+0], followed by the pointer.
  const BYTE jump[6] = {0xFF, 0x25, 0, 0, 0, 0};
  std::memcpy(stub, jump, sizeof jump);
  void* target = reinterpret_cast<void*>(&Original);
  std::memcpy(stub + 6, &target, sizeof target);

  THook* followed = New<THook>(stub, reinterpret_cast<void*>(&Replacement), true);
  EXPECT_EQ(followed->GetPatchPosition(), static_cast<BYTE*>(target));
  Free(followed);
  THook* direct = New<THook>(stub, stub + 32, false);
  EXPECT_EQ(direct->GetPatchPosition(), stub);
  Free(direct);
  VirtualFree(stub, 0, MEM_RELEASE);
}

TEST(Hook, ReplacementOutOfJumpRangeIsRefused) {
  BYTE* far_away = reinterpret_cast<BYTE*>(&Original) + 0x100000000ll;
  EXPECT_THROW(New<THook>(reinterpret_cast<void*>(&Original), far_away, false), Exception);
  EXPECT_EQ(Original(4), 5);
}

}  // namespace
