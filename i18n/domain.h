// One text domain: finds the GNU message catalog (.mo) of the current language on disk or
// in the executable's file table, maps it read-only, checks it once and answers lookups by
// binary search in place.
#pragma once

#include <windows.h>

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
  // is. Opening errors are raised: "Cannot open file ..." and the mapping errors leave the
  // next lookup to try again; a catalog that is not a .mo file, is damaged or is not UTF-8
  // is refused once, after which lookups return their keys until the folder or language
  // is set again.
  std::string Lookup(std::string_view key);
  // A field of the open catalog's header (the value after "Name: "), empty when absent.
  std::string GetHeaderField(const std::string& field);

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
  // The file name the catalog is looked for under (full language code).
  std::string CatalogFileName(const std::string& language) const;

 private:
  uint32_t Word(uint32_t position) const;
  std::string_view Entry(uint32_t table, uint32_t index) const;
  std::string_view Header() const;
  // Checks that the tables and every string lie inside the catalog.
  bool Intact() const;
  // What is wrong with the shape of an intact catalog that shows no usable header: its
  // count, tables on the header, overlapping or swapped tables; empty when none of these.
  std::string ShapeFault() const;
  void UnmapFile();
  [[noreturn]] void Refuse(const std::string& message);

  std::string directory_;
  std::string domain_;
  TMultiReadExclusiveWriteSynchronizer lock_;
  bool swap_ = false;
  uint32_t count_ = 0;
  uint32_t key_table_ = 0;
  uint32_t translation_table_ = 0;
  int64_t file_offset_ = 0;
  HANDLE file_ = INVALID_HANDLE_VALUE;
  HANDLE mapping_ = nullptr;
  void* view_ = nullptr;
  const unsigned char* base_ = nullptr;
  uint64_t size_ = 0;  // bytes of the catalog from base_
  std::string curlang_;
  std::string file_name_;
  bool opened_ = false;
  bool may_open_ = true;
};
