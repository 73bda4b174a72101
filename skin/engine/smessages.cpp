// The process-wide state the private messages share.
#include "skin/engine/smessages.h"

TsCacheInfo GlobalCacheInfo;
std::string RepaintSectionName;
