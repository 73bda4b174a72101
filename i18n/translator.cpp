#include "i18n/translator.h"

#include <windows.h>

#include <algorithm>

#include "i18n/assembly.h"
#include "i18n/domain.h"
#include "i18n/resourcestrings.h"
#include "i18n/translatormarker.h"
#include "toolkit/collections.h"
#include "toolkit/components.h"
#include "toolkit/startup.h"
#include "toolkit/strings.h"
#include "toolkit/textcodec.h"

TTranslator* DefaultInstance = nullptr;

namespace {

// Catalog results carry bare line feeds; the program's texts use CR LF.
std::string NormaliseLineBreaks(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) result += '\r';
    result += text[i];
  }
  return result;
}

std::string EnvironmentValue(const char* name) {
  char buffer[256];
  DWORD length = GetEnvironmentVariableA(name, buffer, sizeof buffer);
  if (length == 0) return {};
  if (length < sizeof buffer) return std::string(buffer, length);
  std::string value(length, '\0');
  length = GetEnvironmentVariableA(name, value.data(), length);
  value.resize(length);
  return value;
}

}  // namespace

TK_ABSTRACT_CLASS_INFO(TTranslator, TObject)

TTranslator::TTranslator()
    : default_domain_directory_(ExtractFilePath(ExeFileName()) + "locale"), domainlist_(New<TStringList>()) {
  domainlist_->SetOwnsObjects(true);
  domainlist_->SetCaseSensitive(true);
}

TTranslator::~TTranslator() {
  Free(domainlist_);
  for (TClassMode* mode : class_handling_) Free(mode);
}

void TTranslator::AfterConstruction() {
  UseLanguage("");
  bindtextdomain("default", default_domain_directory_);
  textdomain("default");
  TP_GlobalIgnoreClassProperty(TComponent::StaticClass(), "Name");
  TP_GlobalIgnoreClassProperty(TCollection::StaticClass(), "PropName");
}

std::wstring TTranslator::gettext(const std::wstring& text) { return dgettext(curmsgdomain_, text); }

std::wstring TTranslator::dgettext(const std::string& domain, const std::wstring& text) {
  TDomain* target = GetDomain(domain);
  std::string key = WideToUtf8(text);
  std::erase(key, '\r');
  const std::string found = NormaliseLineBreaks(target->Lookup(key));
  std::wstring result;
  if (!TryUtf8ToWide(found, result)) result.clear();
  // Bytes that are not UTF-8, or an entry translated as nothing: never a blank caption.
  if (result.empty() && !text.empty())
    throw Exception(
        Format("Error: Could not translate %s. Probably because the mo file doesn't contain utf-8 "
               "encoded translations.",
               WideToAnsi(text)));
  return result;
}

void TTranslator::UseLanguage(const std::string& code) {
  std::string language = code;
  if (language.empty()) {
    language = EnvironmentValue("LANG");
    if (language.empty()) language = GetOSLanguage();
    const size_t point = language.find('.');
    if (point != std::string::npos) language.resize(point);
  }
  curlang_ = language;
  for (int i = 0; i < domainlist_->Count(); ++i)
    static_cast<TDomain*>(domainlist_->Objects(i))->SetLanguageCode(curlang_);
  LanguageChanged(curlang_);
}

void TTranslator::bindtextdomain(const std::string& domain, const std::string& directory) {
  GetDomain(domain)->SetDirectory(IncludeTrailingPathDelimiter(directory));
  DomainDirectoryChanged(domain);
}

void TTranslator::textdomain(const std::string& domain) {
  curmsgdomain_ = domain;
  DomainChanged(domain);
}

TDomain* TTranslator::GetDomain(const std::string& domain) {
  const int index = domainlist_->IndexOf(domain);
  if (index >= 0) return static_cast<TDomain*>(domainlist_->Objects(index));
  TDomain* created = New<TDomain>(domain);
  try {
    created->SetDirectory(default_domain_directory_);
    created->SetLanguageCode(curlang_);
    domainlist_->AddObject(domain, created);
  } catch (...) {
    Free(created);
    throw;
  }
  return created;
}

std::string TTranslator::CheckCatalogs(const std::vector<std::string>& domains) {
  std::string problems;
  for (const std::string& name : domains) {
    TDomain* domain = GetDomain(name);
    std::string problem;
    try {
      domain->OpenCatalog();
      const std::string catalog = "The translation for the language code " + curlang_ + " (in " +
                                  domain->GetFileName() + ") has texts ";
      if (!domain->TranslationsAreUtf8())
        problem = catalog + "that are not valid UTF-8. Translations are turned off.";
      else if (domain->HasEmptyTranslations())
        problem = catalog + "translated as empty texts. Translations are turned off.";
    } catch (const std::exception& e) {
      // The reader's error, or what it found wrong in more words.
      problem = domain->GetFault().empty() ? e.what() : domain->GetFault();
    }
    if (problem.empty()) continue;
    // Errors such as "Cannot open file" would be raised again by every later lookup.
    domain->TurnOff();
    if (!problems.empty()) problems += "\r\n\r\n";
    problems += problem;
  }
  return problems;
}

void TTranslator::TP_GlobalIgnoreClassProperty(TClass cls, const std::string& property_name) {
  const std::string name = UpperCase(property_name);
  for (size_t i = 0; i < class_handling_.size(); ++i) {
    TClassMode* mode = class_handling_[i];
    if (mode->HClass == cls) {
      mode->PropertiesToIgnore->Add(name);
      return;
    }
    // A class's rule stands before the rules of its ancestors.
    if (cls->InheritsFrom(mode->HClass)) {
      TClassMode* created = New<TClassMode>(cls);
      created->PropertiesToIgnore->Add(name);
      class_handling_.insert(class_handling_.begin() + static_cast<std::ptrdiff_t>(i), created);
      return;
    }
  }
  TClassMode* created = New<TClassMode>(cls);
  created->PropertiesToIgnore->Add(name);
  class_handling_.push_back(created);
}

// --- Languages of the system ----------------------------------------------------------------

std::string LanguageOfLocale(unsigned locale) {
  struct Entry {
    unsigned locale;
    const char* code;
  };
  static const Entry table[] = {
      {1030, "da_DK"}, {1031, "de_DE"}, {1032, "gr_GR"}, {1033, "en_US"}, {1034, "es_ES"},
      {1035, "fi_FI"}, {1036, "fr_FR"}, {1039, "is_IS"}, {1040, "it_IT"}, {1042, "ko_KO"},
      {1043, "nl_NL"}, {1044, "no_NO"}, {1045, "pl_PL"}, {1046, "pt_BR"}, {1049, "ru_RU"},
      {1053, "sv_SE"}, {2057, "en_UK"}, {2060, "fr_BE"}, {2067, "nl_BE"}, {2068, "nn_NO"},
      {2070, "pt_PT"}, {2077, "fi_SE"}, {3082, "es_ES"}, {3084, "fr_CA"}, {4103, "de_LU"},
  };
  for (const Entry& entry : table)
    if (entry.locale == locale) return entry.code;
  return "C";
}

std::string GetOSLanguage() {
  char language[5] = {};
  char country[5] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof language) == 3 &&
      GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof country) == 3)
    return std::string(language) + "_" + country;
  return LanguageOfLocale(GetThreadLocale());
}

// --- Global calls ---------------------------------------------------------------------------

namespace {

TTranslator& Instance() {
  if (!DefaultInstance) throw Exception("The translation runtime is not running");
  return *DefaultInstance;
}

}  // namespace

std::wstring _(const std::wstring& text) { return Instance().gettext(text); }
std::string _(const std::string& text) { return WideToAnsi(Instance().gettext(AnsiToWide(text))); }
std::wstring dgettext(const std::string& domain, const std::wstring& text) {
  return Instance().dgettext(domain, text);
}
void TranslateComponent(TComponent* component, const std::string& domain) {
  Instance().TranslateComponent(component, domain);
}
void UseLanguage(const std::string& code) { Instance().UseLanguage(code); }
std::string GetCurrentLanguage() { return Instance().GetCurrentLanguage(); }

std::string CheckCatalogs() {
  TTranslator& instance = Instance();
  std::vector<std::string> domains{instance.GetCurrentTextDomain()};
  for (const std::string& domain : ResourceStringDomains())
    if (std::find(domains.begin(), domains.end(), domain) == domains.end()) domains.push_back(domain);
  return instance.CheckCatalogs(domains);
}

// --- Start-up and shut-down -----------------------------------------------------------------

void StartTranslation() {
  FileLocator = New<TAssemblyAnalyzer>();
  FileLocator->Analyze();
  StartResourceStrings();
  try {
    DefaultInstance = New<TTranslator>();
    HookIntoResourceStrings(true, false);
  } catch (...) {
    FinishTranslation();
    throw;
  }
}

void FinishTranslation() {
  // Translation off first, so no resource string reaches the instance while it goes.
  StopResourceStringTranslation();
  FreeAndNil(DefaultInstance);
  FreeResourceStrings();
  FreeAndNil(FileLocator);
}

void RegisterTranslationUnits() {
  RegisterUnit(usTranslation, "Translation", StartTranslation, FinishTranslation);
}
