// The active skin's tables and their look-ups.
#include "skin/engine/sskintables.h"

const TsCacheInfo EmptyCI{};
