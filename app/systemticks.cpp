// The lane timers' tick source: the system's 32-bit millisecond counter.
#include <windows.h>

#include "app/racetime.h"

uint32_t SystemTickCount() { return GetTickCount(); }
