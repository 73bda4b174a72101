#include "i18n/resourcestrings.h"

#include <cstdint>
#include <cstring>
#include <limits>

#include "i18n/translator.h"
#include "toolkit/syncobjs.h"
#include "toolkit/textcodec.h"

namespace {

struct TResourceStringState {
  // Guards the fields below. It lives for the whole process, so a resource string loaded
  // during or after shut-down still finds it and learns that translation is off.
  TMultiReadExclusiveWriteSynchronizer lock;
  bool translating = false;
  std::vector<std::string> domains;
  std::vector<THook*> hooks;  // in creation order
};

TResourceStringState& State() {
  static TResourceStringState* state = new TResourceStringState;
  return *state;
}

template <class F>
void* CodeAddress(F* function) {
  return reinterpret_cast<void*>(function);
}

}  // namespace

void AddDomainForResourceString(const std::string& domain) {
  TResourceStringState& state = State();
  TWriteGuard guard(state.lock);
  for (const std::string& name : state.domains)
    if (SameText(name, domain)) return;
  state.domains.push_back(domain);
}

std::vector<std::string> ResourceStringDomains() {
  TResourceStringState& state = State();
  TReadGuard guard(state.lock);
  return state.domains;
}

std::wstring ResourceStringGettext(const std::wstring& text) {
  TResourceStringState& state = State();
  TReadGuard guard(state.lock);
  // An empty text (a string the module does not have) would come back as the catalog's
  // header, the translation of the empty key.
  if (!state.translating || !DefaultInstance || text.empty()) return text;
  std::wstring result = text;
  for (const std::string& domain : state.domains) {
    result = DefaultInstance->dgettext(domain, text);
    if (result != text) break;
  }
  return result;
}

std::wstring i18n::LoadResStringW(const TResStringRec* rec) {
  if (!rec) return {};
  return ResourceStringGettext(ResStringTextW(rec));
}

std::string i18n::LoadResStringA(const TResStringRec* rec) { return WideToAnsi(LoadResStringW(rec)); }

std::string i18n::SysUtilsLoadStr(UINT identifier) {
  return WideToAnsi(ResourceStringGettext(ModuleStringTextW(identifier)));
}

std::string i18n::SysUtilsFmtLoadStr(UINT identifier, std::span<const TFormatArg> args) {
  const std::string formatted = FormatArgs(WideToAnsi(ModuleStringTextW(identifier)), args);
  return WideToAnsi(ResourceStringGettext(AnsiToWide(formatted)));
}

// --- THook ----------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(THook, TObject)

THook::THook(void* old_procedure, void* new_procedure, bool follow_jump)
    : old_procedure_(static_cast<BYTE*>(old_procedure)), new_procedure_(static_cast<BYTE*>(new_procedure)) {
  Reset(follow_jump);
}

THook::~THook() {
  try {
    if (enabled_) Disable();
  } catch (...) {
    // The loader keeps the jump; the process is ending anyway.
  }
  patch_position_ = nullptr;
}

void THook::Reset(bool follow_jump) {
  if (patch_position_) {
    if (enabled_) Disable();
    patch_position_ = nullptr;
  }
  BYTE* position = old_procedure_;
  // jmp qword ptr [rip+disp32]: the pointer lies behind the 6-byte instruction.
  if (follow_jump && position[0] == 0xFF && position[1] == 0x25) {
    int32_t displacement;
    std::memcpy(&displacement, position + 2, sizeof displacement);
    void* target;
    std::memcpy(&target, position + 6 + displacement, sizeof target);
    position = static_cast<BYTE*>(target);
  }
  const int64_t distance = static_cast<int64_t>(reinterpret_cast<uintptr_t>(new_procedure_) -
                                                (reinterpret_cast<uintptr_t>(position) + 5));
  if (distance < std::numeric_limits<int32_t>::min() || distance > std::numeric_limits<int32_t>::max())
    throw Exception("THook: the replacement lies beyond the reach of a 5-byte jump");
  const int32_t displacement = static_cast<int32_t>(distance);
  patch_[0] = 0xE9;
  std::memcpy(patch_ + 1, &displacement, sizeof displacement);
  std::memcpy(saved_, position, sizeof saved_);
  patch_position_ = position;
  if (!VirtualProtect(patch_position_, sizeof patch_, PAGE_EXECUTE_READWRITE, &old_protection_))
    RaiseLastOSError();
}

void THook::Write(const BYTE* bytes) {
  std::memcpy(patch_position_, bytes, sizeof patch_);
  FlushInstructionCache(GetCurrentProcess(), patch_position_, sizeof patch_);
}

void THook::Enable() {
  if (!patch_position_) throw EAssertionFailed("Patch position in THook was nil when Enable was called");
  Write(patch_);
  enabled_ = true;
}

void THook::Disable() {
  if (!patch_position_) throw EAssertionFailed("Patch position in THook was nil when Disable was called");
  Write(saved_);
  enabled_ = false;
}

void HookIntoResourceStrings(bool enabled, bool follow_jump) {
  TResourceStringState& state = State();
  if (state.hooks.empty()) {
    state.hooks.push_back(
        New<THook>(CodeAddress(&::LoadResString), CodeAddress(&i18n::LoadResStringA), follow_jump));
    state.hooks.push_back(
        New<THook>(CodeAddress(&::SysUtilsLoadStr), CodeAddress(&i18n::SysUtilsLoadStr), follow_jump));
    state.hooks.push_back(
        New<THook>(CodeAddress(&::SysUtilsFmtLoadStr), CodeAddress(&i18n::SysUtilsFmtLoadStr), follow_jump));
  }
  for (THook* hook : state.hooks) hook->Reset(follow_jump);
  if (enabled)
    for (THook* hook : state.hooks) hook->Enable();
}

void StartResourceStrings() {
  TResourceStringState& state = State();
  TWriteGuard guard(state.lock);
  state.domains = {"default"};
  state.translating = true;
}

void StopResourceStringTranslation() {
  TResourceStringState& state = State();
  TWriteGuard guard(state.lock);
  state.translating = false;
}

void FreeResourceStrings() {
  TResourceStringState& state = State();
  {
    TWriteGuard guard(state.lock);
    state.translating = false;
    state.domains.clear();
  }
  while (!state.hooks.empty()) {
    THook* hook = state.hooks.back();
    state.hooks.pop_back();
    Free(hook);
  }
}
