// Writes a component tree as a form definition (the format is described in formreader.h).
#pragma once

#include <string>

#include "toolkit/components.h"

// The root with its published properties and every component it owns, each nested in its
// parent component. Written are the properties that differ from their declared default
// (ordinal kinds) or are not empty, and the writable ones only, none that the property marks as
// not stored (a value that follows the parent's), except objects, whose own
// properties are written as "Object.Property". Events must be published methods of the root
// and component references must name the root or a component it owns; anything else raises
// Exception rather than being left out silently.
std::string WriteComponentToText(TComponent* root);
