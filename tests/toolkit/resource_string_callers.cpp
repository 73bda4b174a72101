#include "tests/toolkit/resource_string_callers.h"

#include "tests/toolkit/resource_strings_test_ids.h"
#include "toolkit/resstrings.h"

namespace {

TK_RESOURCESTRING(SLongText, IDS_TEST_LONG);
TK_RESOURCESTRING(SAnsiText, IDS_TEST_ANSI);

}  // namespace

std::string LongTextByRecord() { return LoadResString(&SLongText); }
std::string LongTextByIdentifier() { return LoadStr(IDS_TEST_LONG); }
std::string AnsiTextByRecord() { return LoadResString(&SAnsiText); }
std::string AnsiTextByIdentifier() { return SysUtilsLoadStr(IDS_TEST_ANSI); }
std::string LaneCaption(int lane, const std::string& name) { return FmtLoadStr(IDS_TEST_FORMAT, lane, name); }
