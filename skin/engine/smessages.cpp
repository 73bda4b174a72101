// The process-wide state the private messages share.
#include "skin/engine/smessages.h"

#include <unordered_map>

TsCacheInfo GlobalCacheInfo;
std::string RepaintSectionName;

namespace {

// Counted: a style may also be offered by a sender while it is registered.
std::unordered_map<LPARAM, int>& MessageObjects() {
  static std::unordered_map<LPARAM, int> objects;
  return objects;
}

}  // namespace

void TsMessageObjects::Add(const TObject* object) {
  if (object) ++MessageObjects()[reinterpret_cast<LPARAM>(object)];
}

void TsMessageObjects::Remove(const TObject* object) {
  auto found = MessageObjects().find(reinterpret_cast<LPARAM>(object));
  if (found != MessageObjects().end() && --found->second <= 0) MessageObjects().erase(found);
}

TObject* TsMessageObjects::Find(LPARAM lparam) {
  return MessageObjects().contains(lparam) ? reinterpret_cast<TObject*>(lparam) : nullptr;
}
