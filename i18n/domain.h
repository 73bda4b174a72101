// One text domain: finds the GNU message catalog (.mo) of the current language on disk or
// in the executable's file table, reads it into memory once, checks it and answers lookups
// by binary search in place.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/object.h"
#include "toolkit/syncobjs.h"

class TDomain : public TObject {
  TK_CLASS(TDomain, TObject)

 public:
  explicit TDomain(const std::string& domain);
  ~TDomain() override;

  const std::string& GetDomain() const { return domain_; }
  // The folder under which the language folders lie, with a trailing backslash.
  const std::string& GetDirectory() const { return directory_; }
  const std::string& GetLanguageCode() const { return curlang_; }
  // Both close the catalog and allow a new attempt to open one.
  void SetDirectory(const std::string& directory);
  void SetLanguageCode(const std::string& code);

  // The translation of a UTF-8 key, or the key itself when the catalog lacks it or there is
  // no usable catalog. The empty key is the key of the catalog's header and comes back as it
  // is. Opening errors are raised: a file that cannot be opened or read, or that is not (or
  // not yet whole) a .mo file, leaves the next lookup to try again; a catalog without a
  // header that says charset=utf-8 is refused once, after which lookups return their keys
  // until the folder or language is set again.
  std::string Lookup(std::string_view key);
  // A field of the catalog's header (the value after "Name: "), empty when absent. The
  // header's bytes are read in the ANSI code page.
  std::wstring GetHeaderField(const std::string& field);

  void OpenCatalog();
  void CloseCatalog();
  // Gives the catalog up: lookups return their keys until the folder or language is set
  // again, whatever error the opening met.
  void TurnOff();
  bool IsOpen() const { return opened_; }
  // The name the open catalog was found under; empty when none is open.
  const std::string& GetFileName() const { return file_name_; }
  // False when a translation of the open catalog is not valid UTF-8.
  bool TranslationsAreUtf8() const;
  // True when the open catalog translates a text that is not empty as an empty one.
  bool HasEmptyTranslations() const;
  // What the last refused opening found wrong, in more words than its error: the shape of a
  // damaged catalog; empty when there is nothing to add.
  const std::string& GetFault() const { return fault_; }
  // The file name the catalog is looked for under (full language code).
  std::string CatalogFileName(const std::string& language) const;

 private:
  uint32_t Word(uint32_t position) const;
  std::string_view Entry(uint32_t table, uint32_t index) const;
  // Checks that the tables and every string lie inside the catalog.
  bool Intact() const;
  // What is wrong with the shape of an intact catalog that shows no usable header: its
  // count, tables on the header, overlapping or swapped tables; empty when none of these.
  std::string ShapeFault() const;
  // Reads the catalog's bytes; raises the opening and reading errors.
  void ReadCatalog(const std::string& file_name, const std::string& real_file, bool embedded, int64_t size);
  void Forget();
  [[noreturn]] void Refuse(const std::string& message);

  std::string directory_;
  std::string domain_;
  TMultiReadExclusiveWriteSynchronizer lock_;
  bool swap_ = false;
  uint32_t count_ = 0;
  uint32_t key_table_ = 0;
  uint32_t translation_table_ = 0;
  int64_t file_offset_ = 0;
  // The catalog's bytes: nothing of the file is held once they are read, so a file cut or
  // replaced under the program cannot fault a lookup.
  std::string data_;
  const unsigned char* base_ = nullptr;
  uint64_t size_ = 0;  // bytes of the catalog from base_
  std::string curlang_;
  std::string file_name_;
  std::string fault_;
  bool opened_ = false;
  bool may_open_ = true;
};
