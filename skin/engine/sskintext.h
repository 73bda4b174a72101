// The texts the skin engine and its controls show: resource strings of the executable, so
// the catalog translates them like every other text of the program.
#pragma once

#include <string>

#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"
#include "toolkit/sysutils.h"

// The text in the interface's language; the English one where the program carries no string
// table (a program without the executable's resources still says what happened).
template <class... Args>
std::string SkinText(UINT identifier, const char* english, const Args&... args) {
  const std::string text = FormatLoadStr(identifier, args...);
  return text.empty() ? Format(english, args...) : text;
}
