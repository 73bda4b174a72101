// Ordinary callers of the resource-string loaders, compiled in a translation unit of their
// own like any other user of resource strings.
#pragma once

#include <string>

std::string LongTextByRecord();
std::string LongTextByIdentifier();
std::string AnsiTextByRecord();
std::string AnsiTextByIdentifier();
std::string LaneCaption(int lane, const std::string& name);
