// Identifiers of the string-table entries that only the resource-string tests carry.
#pragma once

#define IDS_TEST_LONG 31000
#define IDS_TEST_ANSI 31001
#define IDS_TEST_FORMAT 31002
// Not in the string table.
#define IDS_TEST_MISSING 31003
