#include "toolkit/messages.h"

const TMessageEntry* FindMessageEntry(const TMessageMap* map, UINT msg) {
  if (!map) return nullptr;
  for (size_t i = 0; i < map->count; ++i)
    if (map->entries[i].msg == msg) return &map->entries[i];
  return nullptr;
}

TMessageProc FindMessageHandler(const TMessageMap* map, UINT msg) {
  for (; map; map = map->base)
    if (const TMessageEntry* entry = FindMessageEntry(map, msg)) return entry->proc;
  return nullptr;
}
