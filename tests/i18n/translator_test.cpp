// The translation instance: language choice, domains, line breaks and the UTF-8 check.
#include "i18n/translator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "i18n/domain.h"
#include "tests/i18n/i18n_test_files.h"
#include "toolkit/textcodec.h"

namespace {

class Translator : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(DefaultInstance, nullptr);
    UseLanguage("de");
  }
};

// Sets an environment variable for one scope.
class TEnvironment {
 public:
  TEnvironment(const char* name, const char* value) : name_(name) {
    char buffer[256];
    DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    had_ = length > 0 && length < sizeof buffer;
    if (had_) old_.assign(buffer, length);
    SetEnvironmentVariableA(name, value);
  }
  ~TEnvironment() { SetEnvironmentVariableA(name_, had_ ? old_.c_str() : nullptr); }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

// The user's locale as the system names it ("en-US"), as a language code ("en_US").
std::string UserLocaleCode() {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  EXPECT_GT(GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH), 0);
  std::string code = WideToAnsi(name);
  std::replace(code.begin(), code.end(), '-', '_');
  return code;
}

TEST_F(Translator, GermanCatalogTranslatesWideAndAnsiTexts) {
  EXPECT_EQ(_(L"Place"), L"Start-Platz");
  EXPECT_EQ(_("Delete Record?"),
            "M\xF6"
            "chten Sie wirklich den markierten Datensatz l\xF6schen?");
  EXPECT_EQ(_("PREPARE"), "BEREIT ");
  EXPECT_EQ(_("START"), "START");
  EXPECT_EQ(GetCurrentLanguage(), "de");
}

TEST_F(Translator, EmptyLanguageComesFromLangWithoutItsEncoding) {
  {
    TEnvironment lang("LANG", "de_DE.ISO-8859-15@euro");
    UseLanguage("");
    EXPECT_EQ(GetCurrentLanguage(), "de_DE");
    EXPECT_EQ(_("ERROR"), "FEHLER");
  }
  {
    TEnvironment lang("LANG", nullptr);
    UseLanguage("");
    EXPECT_EQ(GetCurrentLanguage(), UserLocaleCode());
  }
  UseLanguage("de_DE.UTF-8");
  EXPECT_EQ(GetCurrentLanguage(), "de_DE.UTF-8");  // a code given is taken as it is
}

TEST(SystemLanguage, ThreadLocaleTableAndLocaleNames) {
  EXPECT_EQ(LanguageOfLocale(1031), "de_DE");
  EXPECT_EQ(LanguageOfLocale(2057), "en_UK");
  EXPECT_EQ(LanguageOfLocale(4103), "de_LU");
  EXPECT_EQ(LanguageOfLocale(1041), "C");
  EXPECT_EQ(LanguageOfLocale(0), "C");
  // The system's language and country, as the system names its locale.
  EXPECT_EQ(GetOSLanguage(), UserLocaleCode());
}

TEST_F(Translator, LanguageChangeClosesEveryCatalog) {
  EXPECT_EQ(_("FINISH"), "ZIEL");
  TDomain* domain = DefaultInstance->GetDomain("default");
  EXPECT_TRUE(domain->IsOpen());
  UseLanguage("en");
  EXPECT_FALSE(domain->IsOpen());
  EXPECT_EQ(_("FINISH"), "FINISH");
  UseLanguage("de");
  EXPECT_EQ(_("FINISH"), "ZIEL");
}

TEST_F(Translator, LineBreaksBecomeCarriageReturnLineFeed) {
  DefaultInstance->bindtextdomain("keys80", TestFolder() + "catalogs");
  UseLanguage("le");
  EXPECT_EQ(dgettext("keys80", L"first\nsecond"), L"first\r\nsecond");
  EXPECT_EQ(dgettext("keys80", L"\nleading"), L"\r\nleading");
  EXPECT_EQ(dgettext("keys80", L"kept\r\nas is"), L"kept\r\nas is");
  // Looked up without its carriage return.
  EXPECT_EQ(dgettext("keys80", L"two lines\r\n"), L"zwei\r\nZeilen\r\n");
  EXPECT_EQ(dgettext("keys80", L"two lines\n"), L"zwei\r\nZeilen\r\n");
  EXPECT_EQ(dgettext("keys80", L"umlaut"), L"Fu\u00DFzeile \u00C4pfel");
}

// The empty key is the catalog's header; without a catalog it stays empty.
TEST_F(Translator, EmptyTextGivesTheCatalogsHeader) {
  const std::wstring header = _(L"");
  EXPECT_NE(header.find(L"Language: de\r\n"), std::wstring::npos) << WideToAnsi(header);
  EXPECT_NE(header.find(L"Content-Type: text/plain; charset=UTF-8"), std::wstring::npos);
  EXPECT_EQ(_(""), WideToAnsi(header));
  EXPECT_EQ(dgettext("default", L""), header);
  UseLanguage("en");
  EXPECT_EQ(_(""), "");
}

// keys80.mo with the translation of "key 004" made empty: msgfmt leaves such entries out,
// but a catalog from elsewhere may hold one.
std::string WithEmptyTranslation() {
  std::string bytes = ReadWholeFile(TestFolder() + "catalogs\\le\\LC_MESSAGES\\keys80.mo");
  uint32_t translations = 0;
  std::memcpy(&translations, bytes.data() + 16, 4);
  // Entry 0 is the header, then "key 002", "key 004".
  const uint32_t zero = 0;
  std::memcpy(bytes.data() + translations + 8 * 2, &zero, 4);
  return bytes;
}

// A text that is not empty never comes back empty: bytes that are not UTF-8 and an entry
// translated as nothing raise alike.
TEST_F(Translator, TranslationThatIsNotUtf8OrEmptyIsAnError) {
  TScratchFolder folder;
  std::string bytes = WithEmptyTranslation();
  const size_t at = bytes.find("Fu\xC3\x9F");
  ASSERT_NE(at, std::string::npos);
  bytes[at + 2] = '\xFF';
  const size_t header = bytes.find("text/plain");
  ASSERT_NE(header, std::string::npos);
  bytes[header] = '\xFF';
  WriteWholeFile(folder.Path() + "le\\LC_MESSAGES\\broken.mo", bytes);
  DefaultInstance->bindtextdomain("broken", folder.Path());
  UseLanguage("le");
  EXPECT_EQ(dgettext("broken", L"key 002"), L"Wert 002");
  for (const char* text : {"umlaut", "key 004"}) {
    try {
      dgettext("broken", AnsiToWide(text));
      ADD_FAILURE() << "no error for " << text;
    } catch (const Exception& e) {
      EXPECT_EQ(e.Message(),
                std::string("Error: Could not translate ") + text +
                    ". Probably because the mo file doesn't contain utf-8 encoded translations.");
    }
  }
  // Only a text that is not empty can fail: the empty one comes back empty.
  EXPECT_NO_THROW(EXPECT_EQ(dgettext("broken", L""), L""));
  UseLanguage("de");  // closes the catalog before the folder goes
}

// What start-up relies on: each unusable catalog is told once, and no later lookup in its
// domain raises, not even when the file stays unreadable.
TEST_F(Translator, CatalogCheckReportsEachUnusableCatalogOnceThenLeavesItsTextsUntranslated) {
  TScratchFolder folder;
  const std::string good = ReadWholeFile(TestFolder() + "catalogs\\le\\LC_MESSAGES\\keys80.mo");
  std::string not_utf8 = good;
  not_utf8[not_utf8.find("Fu\xC3\x9F") + 2] = '\xFF';
  const std::string file = folder.Path() + "le\\LC_MESSAGES\\";
  WriteWholeFile(file + "good.mo", good);
  WriteWholeFile(file + "empty.mo", "");
  WriteWholeFile(file + "locked.mo", good);
  WriteWholeFile(file + "notutf8.mo", not_utf8);
  WriteWholeFile(file + "blank.mo", WithEmptyTranslation());
  WriteWholeFile(file + "latin1.mo", ReadWholeFile(TestFolder() + "catalogs\\le\\LC_MESSAGES\\latin1.mo"));
  HANDLE lock =
      CreateFileA((file + "locked.mo").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  const std::vector<std::string> domains{"good", "empty", "locked", "notutf8", "blank", "latin1", "absent"};
  for (const std::string& domain : domains) DefaultInstance->bindtextdomain(domain, folder.Path());
  UseLanguage("le");

  EXPECT_EQ(DefaultInstance->CheckCatalogs(domains),
            "Cannot create memory map on file " + file + "empty.mo\r\n\r\n" + "Cannot open file " + file +
                "locked.mo\r\n\r\n" + "The translation for the language code le (in " + file +
                "notutf8.mo) has texts that are not valid UTF-8. Translations are turned off.\r\n\r\n" +
                "The translation for the language code le (in " + file +
                "blank.mo) has texts translated as empty texts. Translations are turned off.\r\n\r\n" +
                "The translation for the language code le (in " + file +
                "latin1.mo) does not have charset=utf-8 in its Content-Type. Translations are turned off.");
  EXPECT_EQ(DefaultInstance->CheckCatalogs(domains), "");
  for (const char* domain : {"empty", "locked", "notutf8", "blank", "latin1", "absent"}) {
    SCOPED_TRACE(domain);
    EXPECT_NO_THROW(EXPECT_EQ(dgettext(domain, L"umlaut"), L"umlaut"));
    EXPECT_NO_THROW(EXPECT_EQ(dgettext(domain, L"key 002"), L"key 002"));
    EXPECT_NO_THROW(EXPECT_EQ(dgettext(domain, L"key 004"), L"key 004"));
  }
  EXPECT_EQ(dgettext("good", L"key 002"), L"Wert 002");
  CloseHandle(lock);
  UseLanguage("de");  // closes the catalogs before the folder goes
}

TEST_F(Translator, DomainIsCreatedOnceWithTheFolderAndLanguageOfItsCreation) {
  TDomain* fresh = DefaultInstance->GetDomain("fresh");
  EXPECT_EQ(DefaultInstance->GetDomain("fresh"), fresh);
  EXPECT_EQ(fresh->GetLanguageCode(), "de");
  EXPECT_EQ(fresh->GetDirectory(), TestFolder() + "locale\\");
  EXPECT_EQ(DefaultInstance->GetDefaultDomainDirectory(), TestFolder() + "locale");
  DefaultInstance->textdomain("fresh");
  EXPECT_EQ(_("FINISH"), "FINISH");
  DefaultInstance->textdomain("default");
  EXPECT_EQ(_("FINISH"), "ZIEL");
}

class TRecordingTranslator : public TTranslator {
 public:
  std::vector<std::string> calls;

 protected:
  void LanguageChanged(const std::string& language) override { calls.push_back("language " + language); }
  void DomainChanged(const std::string& domain) override { calls.push_back("domain " + domain); }
  void DomainDirectoryChanged(const std::string& domain) override { calls.push_back("directory " + domain); }
};

TEST(TranslatorInstance, StartsWithEnvironmentLanguageAndDefaultDomainAndTellsDescendants) {
  TEnvironment lang("LANG", "fr_CA.UTF-8");
  TRecordingTranslator* translator = New<TRecordingTranslator>();
  EXPECT_EQ(translator->GetCurrentLanguage(), "fr_CA");
  EXPECT_EQ(translator->GetCurrentTextDomain(), "default");
  EXPECT_EQ(translator->calls,
            (std::vector<std::string>{"language fr_CA", "directory default", "domain default"}));
  ASSERT_EQ(translator->GetClassHandling().size(), 2u);
  Free(translator);
}

}  // namespace
