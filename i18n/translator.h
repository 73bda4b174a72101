// The translation runtime's engine: the current language and text domain, the domains with
// their catalogs, and the calls through which the program translates texts and forms.
//
// One instance, DefaultInstance, exists while the runtime's unit runs (RegisterTranslationUnits).
// The application's start-up then adds its resource-string domain and selects the language:
//   AddDomainForResourceString("vorlen");
//   UseLanguage("de");
// Forms call TranslateComponent(this) in their creation handler; run-time texts go through _.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "toolkit/object.h"
#include "toolkit/sysutils.h"

class TComponent;
class TDomain;
class TStrings;
class TStringList;
class TClassMode;
class TTP_Retranslator;
struct TPropInfo;

class TTranslator : public TObject {
  TK_CLASS(TTranslator, TObject)

 public:
  TTranslator();
  ~TTranslator() override;
  // Picks the language from the environment and binds the "default" domain; runs after
  // construction so descendants hear of it.
  void AfterConstruction() override;

  // A text's translation in the current domain / in the given domain. Carriage returns are
  // dropped from the key and every line feed of the result follows one. An empty text stays
  // empty. Raises for catalog errors and for a translation that is not valid UTF-8.
  std::wstring gettext(const std::wstring& text);
  std::wstring dgettext(const std::string& domain, const std::wstring& text);

  // Selects a language code ("de", "de_DE"); an empty code takes LANG (without an encoding
  // suffix) or else the system's locale. Every domain opens the new language's catalog at
  // its next lookup.
  void UseLanguage(const std::string& code);
  const std::string& GetCurrentLanguage() const { return curlang_; }

  void bindtextdomain(const std::string& domain, const std::string& directory);
  void textdomain(const std::string& domain);
  const std::string& GetCurrentTextDomain() const { return curmsgdomain_; }
  const std::string& GetDefaultDomainDirectory() const { return default_domain_directory_; }
  // The domain of that name, created with the current folder and language on first use.
  TDomain* GetDomain(const std::string& domain);
  // Opens the current language's catalog of each domain now, so that a damaged one shows
  // before any form asks for a text. A catalog that cannot be used (unreadable, damaged, not
  // UTF-8) is turned off, its texts staying untranslated, and its error is returned; the
  // errors are separated by an empty line. Empty when every catalog is usable or absent.
  std::string CheckCatalogs(const std::vector<std::string>& domains);

  // --- Component translation ----------------------------------------------------------------

  // Translates a component's whole tree once, recording the English texts; a later call
  // after a language change re-translates from the recording. An empty domain means the
  // current one. An error ends the walk and is raised after the component has taken its
  // marker (with what was recorded) and the recorder is released.
  void TranslateComponent(TComponent* component, const std::string& domain = "");
  // Every published string property, nested object, string list line and collection item
  // of an object tree, each object once.
  void TranslateProperties(TObject* object, std::string domain = "");
  void TranslateProperty(TObject* object, const TPropInfo* prop, std::deque<TObject*>& todo,
                         const std::string& domain);
  // Every non-empty line; lines keep their objects.
  void TranslateStrings(TStrings* list, const std::string& domain);
  // Never translates the property of objects of the class and its descendants.
  void TP_GlobalIgnoreClassProperty(TClass cls, const std::string& property_name);
  const std::vector<TClassMode*>& GetClassHandling() const { return class_handling_; }

 protected:
  // Told after the change they name.
  virtual void LanguageChanged(const std::string& language) { (void)language; }
  virtual void DomainChanged(const std::string& domain) { (void)domain; }
  virtual void DomainDirectoryChanged(const std::string& domain) { (void)domain; }

 private:
  friend class TTP_Retranslator;

  std::string curlang_;
  std::string curmsgdomain_ = "default";
  std::string default_domain_directory_;
  TStringList* domainlist_;                   // name -> owned TDomain, in order of first use
  std::vector<TClassMode*> class_handling_;   // owned
  TTP_Retranslator* retranslator_ = nullptr;  // the recorder of the pass running now
};

// The thread locale's language code by the built-in table ("de_DE" for 1031); "C" when the
// table lacks it.
std::string LanguageOfLocale(unsigned locale);
// "de_DE" from the user's locale names when both are two letters, else by LanguageOfLocale
// of the thread locale.
std::string GetOSLanguage();

// The instance while the runtime runs; null before and after.
extern TTranslator* DefaultInstance;

// --- Global calls (forwarded to DefaultInstance) --------------------------------------------

std::wstring _(const std::wstring& text);
// The same for text in the ANSI code page.
std::string _(const std::string& text);
inline std::string _(const char* text) { return _(std::string(text)); }
std::wstring dgettext(const std::string& domain, const std::wstring& text);
void TranslateComponent(TComponent* component, const std::string& domain = "");
void UseLanguage(const std::string& code);
std::string GetCurrentLanguage();
// CheckCatalogs of the current domain and the resource-string domains.
std::string CheckCatalogs();

// Registers the runtime's unit, stage usTranslation ("Translation"): it builds the file
// locator, the instance and the resource-string hooks, and takes them down again in the
// reverse order at shut-down.
void RegisterTranslationUnits();
void StartTranslation();
void FinishTranslation();
