// Message catalogs read by TDomain: lookups in catalogs of every small size and in both
// byte orders, the language fallback, and damaged catalogs refused once with their errors.
#include "i18n/domain.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tests/i18n/i18n_test_files.h"

namespace {

std::string CatalogFolder() { return TestFolder() + "catalogs"; }

std::string Key(int number) { return Format("key %.3d", number); }
std::string Value(int number) { return Format("Wert %.3d", number); }

// A domain reading catalogs/<language>/LC_MESSAGES/<name>.mo.
class TDomainHolder {
 public:
  TDomainHolder(const std::string& name, const std::string& language,
                const std::string& folder = CatalogFolder())
      : domain_(New<TDomain>(name)) {
    domain_->SetDirectory(folder);
    domain_->SetLanguageCode(language);
  }
  ~TDomainHolder() { Free(domain_); }
  TDomain* operator->() const { return domain_; }

 private:
  TDomain* domain_;
};

// The message of the exception a lookup raises; empty when it raises none.
std::string LookupError(TDomain* domain, const std::string& key) {
  try {
    domain->Lookup(key);
  } catch (const Exception& e) {
    return e.Message();
  }
  return {};
}

class CatalogSearch : public testing::TestWithParam<std::tuple<int, const char*>> {};

TEST_P(CatalogSearch, FindsEveryKeyAndReturnsAbsentKeysUnchanged) {
  const auto [count, order] = GetParam();
  TDomainHolder domain("keys" + IntToStr(count), order);
  for (int i = 1; i <= count; ++i) EXPECT_EQ(domain->Lookup(Key(2 * i)), Value(2 * i)) << Key(2 * i);
  // Before the first, between any two and after the last entry.
  for (int i = 0; i <= count; ++i) EXPECT_EQ(domain->Lookup(Key(2 * i + 1)), Key(2 * i + 1));
  EXPECT_EQ(domain->Lookup(Key(0)), Key(0));
  EXPECT_EQ(domain->Lookup("key 999"), "key 999");
  EXPECT_EQ(domain->Lookup("~"), "~");
  EXPECT_EQ(domain->Lookup(" "), " ");
  EXPECT_TRUE(domain->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(SizesAndByteOrders, CatalogSearch,
                         testing::Combine(testing::Values(0, 1, 2, 3, 4, 5, 6, 79, 80),
                                          testing::Values("le", "be")),
                         [](const auto& info) {
                           return std::string(std::get<1>(info.param)) + "_" +
                                  IntToStr(std::get<0>(info.param));
                         });

TEST(CatalogLookup, TranslationsAreTheCatalogsUtf8Bytes) {
  for (const char* order : {"le", "be"}) {
    TDomainHolder domain("keys80", order);
    EXPECT_EQ(domain->Lookup("umlaut"),
              "Fu\xC3\x9F"
              "zeile \xC3\x84pfel");
    EXPECT_EQ(domain->Lookup("two lines\n"), "zwei\nZeilen\n");
  }
}

// A field's value is the header's bytes read in the ANSI code page (1252 here), not turned
// back into ANSI text: "Zürich" in UTF-8 comes out as "ZÃ¼rich".
TEST(CatalogLookup, EmptyKeyYieldsTheHeaderWhoseFieldsAreReadAsAnsiText) {
  for (const char* order : {"le", "be"}) {
    TDomainHolder domain("keys3", order);
    EXPECT_NE(domain->Lookup("").find("Content-Type: text/plain; charset=UTF-8"), std::string::npos);
    EXPECT_EQ(domain->GetHeaderField("content-type"), L"text/plain; charset=UTF-8");
    EXPECT_EQ(domain->GetHeaderField("Language-Team"), L"Z\u00C3\u00BCrich");
    EXPECT_EQ(domain->GetHeaderField("Language"), L"");
  }
}

TEST(CatalogLookup, RegionalLanguageFallsBackToItsFirstTwoLetters) {
  TDomainHolder domain("keys5", "le_XX");
  EXPECT_EQ(domain->Lookup(Key(4)), Value(4));
  EXPECT_EQ(domain->CatalogFileName("le_XX"),
            IncludeTrailingPathDelimiter(CatalogFolder()) + "le_XX\\LC_MESSAGES\\keys5.mo");
}

TEST(CatalogLookup, MissingCatalogReturnsKeysWithoutError) {
  TDomainHolder domain("keys5", "zz");
  EXPECT_EQ(domain->Lookup(Key(4)), Key(4));
  EXPECT_FALSE(domain->IsOpen());
}

TEST(CatalogLookup, NewLanguageClosesTheCatalogAndOpensTheOtherOnDemand) {
  TDomainHolder domain("keys5", "le");
  EXPECT_EQ(domain->Lookup(Key(2)), Value(2));
  domain->SetLanguageCode("zz");
  EXPECT_FALSE(domain->IsOpen());
  EXPECT_EQ(domain->Lookup(Key(2)), Key(2));
  domain->SetLanguageCode("be");
  EXPECT_EQ(domain->Lookup(Key(2)), Value(2));
}

// --- Damaged catalogs ----------------------------------------------------------------------

uint32_t GetWord(const std::string& bytes, size_t at) {
  uint32_t v;
  std::memcpy(&v, bytes.data() + at, 4);
  return v;
}
void PutWord(std::string& bytes, size_t at, uint32_t v) { std::memcpy(bytes.data() + at, &v, 4); }

class DamagedCatalog : public testing::Test {
 protected:
  // Writes the catalog as xx\LC_MESSAGES\bad.mo and returns a domain on it.
  TDomain* Install(const std::string& bytes) {
    file_name_ = folder_.Path() + "xx\\LC_MESSAGES\\bad.mo";
    WriteWholeFile(file_name_, bytes);
    domain_ = New<TDomain>("bad");
    domain_->SetDirectory(folder_.Path());
    domain_->SetLanguageCode("xx");
    return domain_;
  }
  void TearDown() override { Free(domain_); }

  // Refused once with the message, then every lookup returns its key.
  void ExpectRefusedOnce(TDomain* domain, const std::string& message) {
    EXPECT_EQ(LookupError(domain, Key(2)), message);
    EXPECT_FALSE(domain->IsOpen());
    EXPECT_EQ(domain->Lookup(Key(2)), Key(2));
    EXPECT_EQ(domain->Lookup(Key(4)), Key(4));
  }
  // Refused at each lookup but not given up: the catalog is read once its file is one.
  void ExpectRefusedUntilWhole(TDomain* domain, const std::string& message) {
    for (int attempt = 0; attempt < 2; ++attempt) {
      EXPECT_EQ(LookupError(domain, Key(2)), message) << attempt;
      EXPECT_FALSE(domain->IsOpen());
    }
    WriteWholeFile(file_name_, Good());
    EXPECT_EQ(domain->Lookup(Key(2)), Value(2));
  }
  void Reinstall() {
    Free(domain_);
    domain_ = nullptr;
  }
  std::string CharsetMessage() const {
    return "The translation for the language code xx (in " + file_name_ +
           ") does not have charset=utf-8 in its Content-Type. Translations are turned off.";
  }

  std::string Good() const { return ReadWholeFile(CatalogFolder() + "\\le\\LC_MESSAGES\\keys80.mo"); }

  TScratchFolder folder_;
  std::string file_name_;
  TDomain* domain_ = nullptr;
};

const char kNotMo[] = "This file is not a valid GNU gettext mo file: ";
const char kNoMap[] = "Cannot create memory map on file ";
const char kDamaged[] = "This GNU gettext mo file is damaged (a table or text lies outside it): ";

// Files that are no catalog, or not yet a whole one, as a catalog being copied in place is.
// Tables or texts outside the file are refused as no catalog, and the start-up is told more.
TEST_F(DamagedCatalog, FileThatIsNoWholeCatalogIsRefusedAtEachLookupUntilItIsOne) {
  std::string wrong_magic = Good();
  PutWord(wrong_magic, 0, 0x12345678);
  const struct {
    std::string bytes;
    const char* message;
    const char* fault;
  } cases[] = {
      {"", kNoMap, ""},  // an empty file cannot be mapped
      {wrong_magic, kNotMo, ""},
      {Good().substr(0, 3), kNotMo, ""},
      {Good().substr(0, 12), kNotMo, kDamaged},
      {Good().substr(0, 600), kNotMo, kDamaged},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    Reinstall();
    TDomain* domain = Install(c.bytes);
    EXPECT_EQ(LookupError(domain, Key(2)), c.message + file_name_);
    EXPECT_EQ(domain->GetFault(), *c.fault ? c.fault + file_name_ : "");
    ExpectRefusedUntilWhole(domain, c.message + file_name_);
    EXPECT_EQ(domain->GetFault(), "");
  }
}

TEST_F(DamagedCatalog, TablesOrTextsPastTheEndAreRefusedAsNoCatalog) {
  const std::string good = Good();
  struct Damage {
    size_t at;
    uint32_t value;
  };
  const uint32_t key_table = GetWord(good, 12);
  const uint32_t translations = GetWord(good, 16);
  for (Damage damage :
       {Damage{8, 0x7FFFFFFF}, Damage{12, 0xFFFFFFF0}, Damage{16, static_cast<uint32_t>(good.size())},
        Damage{key_table + 8 * 40 + 4, 0xFFFFFFF0}, Damage{translations + 8 * 79, 0x10000}}) {
    std::string bytes = good;
    PutWord(bytes, damage.at, damage.value);
    SCOPED_TRACE(damage.at);
    Reinstall();
    TDomain* domain = Install(bytes);
    ExpectRefusedUntilWhole(domain, kNotMo + file_name_);
  }
}

// The catalog is read whole when it is opened: a file cut under the program afterwards (by
// another process, or on a network share) changes no lookup and faults none.
TEST_F(DamagedCatalog, CatalogCutUnderTheProgramKeepsItsTranslations) {
  TDomain* domain = Install(Good());
  EXPECT_EQ(domain->Lookup(Key(2)), Value(2));
  HANDLE other =
      CreateFileA(file_name_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE) << GetLastError();
  LARGE_INTEGER cut{};
  cut.QuadPart = 40;
  EXPECT_TRUE(SetFilePointerEx(other, cut, nullptr, FILE_BEGIN));
  EXPECT_TRUE(SetEndOfFile(other));
  CloseHandle(other);
  ASSERT_EQ(ReadWholeFile(file_name_).size(), 40u);
  for (int i = 1; i <= 80; ++i) EXPECT_EQ(domain->Lookup(Key(2 * i)), Value(2 * i));
  EXPECT_EQ(domain->Lookup(Key(3)), Key(3));
  EXPECT_EQ(domain->Lookup("umlaut"),
            "Fu\xC3\x9F"
            "zeile \xC3\x84pfel");
  // A new opening reads the file as it is now.
  domain->SetLanguageCode("xx");
  EXPECT_EQ(LookupError(domain, Key(2)), kNotMo + file_name_);
}

// Tables that lie inside the file but make no catalog show no header with a charset: refused
// once as such, and the start-up is told what is wrong.
TEST_F(DamagedCatalog, ACatalogOfTheWrongShapeIsRefusedForItsCharsetAndTellsWhatIsWrong) {
  const std::string good = Good();
  const uint32_t key_table = GetWord(good, 12);
  const uint32_t translations = GetWord(good, 16);
  auto damaged = [&](std::initializer_list<std::pair<size_t, uint32_t>> words) {
    std::string bytes = good;
    for (auto [at, value] : words) PutWord(bytes, at, value);
    return bytes;
  };
  const struct {
    std::string bytes;
    const char* fault;
  } cases[] = {
      {damaged({{8, 0}}), "it holds no texts"},
      {damaged({{12, 8}}), "its table of original texts lies on its header"},
      {damaged({{16, 20}}), "its table of translations lies on its header"},
      {damaged({{16, key_table + 8 * 40}}), "its tables of original texts and translations overlap"},
      {damaged({{12, translations}, {16, key_table}}),
       "its tables of original texts and translations are swapped"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    Reinstall();
    TDomain* domain = Install(c.bytes);
    ExpectRefusedOnce(domain, CharsetMessage());
    EXPECT_EQ(domain->GetFault(),
              std::string("This GNU gettext mo file is damaged (") + c.fault + "): " + file_name_);
  }
}

TEST_F(DamagedCatalog, NonUtf8CharsetIsRefusedOnceUntilTheLanguageIsSetAgain) {
  TDomain* domain = Install(ReadWholeFile(CatalogFolder() + "\\le\\LC_MESSAGES\\latin1.mo"));
  ExpectRefusedOnce(domain, CharsetMessage());
  EXPECT_EQ(domain->GetFault(), "");
  domain->SetLanguageCode("xx");
  EXPECT_EQ(LookupError(domain, Key(2)), CharsetMessage());
}

}  // namespace
