// Resource-string translation: the toolkit's three loaders are redirected at start-up, by a
// 5-byte relative jump written over their entry, to replacements that load the text as
// before and pass it through the catalogs of the resource-string domains in order, the first
// domain that changes the text winning.
#pragma once

#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "toolkit/object.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

// Appends a domain to the resource-string domains ("default" is there from start-up),
// unless it is there already (compared without case).
void AddDomainForResourceString(const std::string& domain);
// The domains in order.
std::vector<std::string> ResourceStringDomains();

// The text translated by the resource-string domains; unchanged once shut-down has begun.
std::wstring ResourceStringGettext(const std::wstring& text);

namespace i18n {

// The replacements of the toolkit's loaders. Numbers beyond the string table's 16 bits give
// empty text, as in the toolkit's loaders (never read as the address of a text).
std::wstring LoadResStringW(const TResStringRec* rec);
std::string LoadResStringA(const TResStringRec* rec);
std::string SysUtilsLoadStr(UINT identifier);
// Formats the untranslated text, then translates the formatted result.
std::string SysUtilsFmtLoadStr(UINT identifier, std::span<const TFormatArg> args);

}  // namespace i18n

// One patched procedure: a "jmp rel32" to the replacement over its first 5 bytes.
class THook : public TObject {
  TK_CLASS(THook, TObject)

 public:
  // Prepares the patch (see Reset); Enable writes it.
  THook(void* old_procedure, void* new_procedure, bool follow_jump);
  // Writes the saved bytes back.
  ~THook() override;

  // Disables a prepared patch, then prepares it again: the patch position is the old
  // procedure or, with follow_jump, the target of the indirect jump ("jmp [rip+disp32]")
  // found there, made writable (and left so) for the writes to come. Raises when the
  // replacement is beyond a 32-bit displacement, and the system's error when the bytes
  // cannot be made writable.
  void Reset(bool follow_jump);
  // Write the jump / the saved bytes and flush the instruction cache. Raise EAssertionFailed
  // without a position.
  void Enable();
  void Disable();

  BYTE* GetPatchPosition() const { return patch_position_; }
  bool GetEnabled() const { return enabled_; }

 private:
  void Write(const BYTE* bytes);

  BYTE* old_procedure_;
  BYTE* new_procedure_;
  DWORD old_protection_ = 0;
  BYTE patch_[5] = {};
  BYTE saved_[5] = {};
  BYTE* patch_position_ = nullptr;
  bool enabled_ = false;
};

// Creates the three hooks (LoadResString, SysUtilsLoadStr, SysUtilsFmtLoadStr) when there
// are none, Resets each and, if enabled, Enables each.
void HookIntoResourceStrings(bool enabled, bool follow_jump);

// Start-up and shut-down steps of the runtime (translator.cpp runs them in order).
void StartResourceStrings();           // the domain list with "default", translation on
void StopResourceStringTranslation();  // translation off: texts come back as loaded
void FreeResourceStrings();            // the domain list, then the hooks, last created first
