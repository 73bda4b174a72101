// String-table entries of the translation tests.
#pragma once

#define IDS_I18N_FINISH 32000
#define IDS_I18N_SIGN 32001
#define IDS_I18N_ONLY_VORLEN 32002
#define IDS_I18N_STOP 32003
#define IDS_I18N_NOWHERE 32004
#define IDS_I18N_LINES 32005
#define IDS_I18N_FORMAT 32006
#define IDS_I18N_LANE 32007
// Not in the string table.
#define IDS_I18N_MISSING 32099
