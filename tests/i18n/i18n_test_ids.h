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
// Translated by "vorlen" into a template with a bad directive, and one that fits.
#define IDS_I18N_BAD_FORMAT 32008
#define IDS_I18N_GOOD_FORMAT 32009
// File names, translated by "vorlen" into names that leave the folder, name a device, or fit.
#define IDS_I18N_FILE_FIRST 32010
#define IDS_I18N_FILE_COUNT 7
// Not in the string table.
#define IDS_I18N_MISSING 32099
