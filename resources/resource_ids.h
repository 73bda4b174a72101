// Identifiers of the executable's resources, shared by the resource script and the code.
#pragma once

// String table
#define IDS_MAIN_CAPTION 1000
// The main window: lane status words, protocol columns, the protocol's delete question and
// the questions on closing with a protocol not exported or during a heat
#define IDS_WORD_START 1100
#define IDS_WORD_PREPARE 1101
#define IDS_WORD_WAITING 1102
#define IDS_WORD_FINISH 1103
#define IDS_WORD_STOP 1104
#define IDS_WORD_CRASH 1105
#define IDS_WORD_LAP 1106
#define IDS_WORD_F8 1107
#define IDS_PROTOCOL_PLACE 1110
#define IDS_PROTOCOL_BEST 1111
#define IDS_DELETE_RECORD 1112
#define IDS_CLOSE_PROTOCOL_NOT_EXPORTED 1113
#define IDS_CLOSE_HEAT_RUNNING 1114
// Settings file: the section and key names (resource strings, so they follow the catalog)
#define IDS_SETTINGS_SECTION 1200
#define IDS_SETTINGS_COMPORT 1201
#define IDS_SETTINGS_CONTACT 1202
#define IDS_SETTINGS_ALGORITHM 1203
#define IDS_SETTINGS_COUNTDOWN 1204
#define IDS_SETTINGS_LAPNUM 1205
#define IDS_SETTINGS_PROTOCOL_TITLE 1206
#define IDS_SETTINGS_PROTOCOL_SIGN 1207
// ... and the warning about a file far too large to be one (%s: the file)
#define IDS_SETTINGS_TOO_LARGE 1208
// ... one that cannot be read (%s: the file, %s: the reason), and OK refused on it (%s: the file)
#define IDS_SETTINGS_UNREADABLE 1209
#define IDS_SETTINGS_NOT_SAVED 1210
// The working start list and the class list beside the executable (follow the catalog)
#define IDS_FILE_WORKING_START_LIST 1300
#define IDS_FILE_CLASS_LIST 1301
// The exports: their error messages
#define IDS_EXPORT_ERROR 1600
#define IDS_EXCEL_NOT_INSTALLED 1601
// Saving files: a save that failed (%s: the file, %s: the reason) and the reason for a file
// marked read-only; a working start list with content but no record (%s: the file, %s: the
// copy kept before it is saved over)
#define IDS_SAVE_FAILED 1700
#define IDS_SAVE_READ_ONLY 1701
#define IDS_START_LIST_UNREAD 1702
// A file not read whole whose copy could not be made, so it is not saved over (%s: the file,
// %s: the copy, %s: the reason); a working start list of one record header only (%s: the
// file, %s: the copy); working start list and class list that cannot be read (%s: the file,
// %s: the reason, %s: the copy); a class list with zero bytes (%s: the file, %s: the copy);
// a working start list that begins with a byte order mark (%s: the file, %s: the copy)
#define IDS_UNREAD_NOT_SAVED_OVER 1703
#define IDS_START_LIST_HEADER_ONLY 1704
#define IDS_START_LIST_UNREADABLE 1705
#define IDS_CLASSES_UNREADABLE 1706
#define IDS_CLASSES_CUT 1707
#define IDS_START_LIST_OTHER_ENCODING 1708
// A working start list not there under its original name, taken because the catalog's name
// was refused (%s: the file, %s: the catalog's name)
#define IDS_START_LIST_NAME_REFUSED 1709
// A working start list with damaged records (%d: how many, %s: the file, %d: the first's
// number, %d: its line, %s: what is wrong with it, one of the five reasons after it, %s: the copy)
#define IDS_START_LIST_DAMAGED 1720
#define IDS_RECORD_HEADER_FOR_PLACE 1721
#define IDS_RECORD_PLACE_NO_NUMBER 1722
#define IDS_RECORD_FEW_FIELDS 1723
#define IDS_RECORD_PLACE_MISSING 1725
#define IDS_RECORD_HEADER_AT_END 1726
// A chosen start list with damaged records (%d: how many, %s: the file, %d: the first's number,
// %d: its line, %s: what is wrong with it)
#define IDS_OPENED_LIST_DAMAGED 1724
// The skinned message dialog: the captions of its four types, then its eleven buttons
#define IDS_MSGDLG_WARNING 1900
#define IDS_MSGDLG_ERROR 1901
#define IDS_MSGDLG_INFORMATION 1902
#define IDS_MSGDLG_CONFIRM 1903
#define IDS_MSGDLG_YES 1904
#define IDS_MSGDLG_NO 1905
#define IDS_MSGDLG_OK 1906
#define IDS_MSGDLG_CANCEL 1907
#define IDS_MSGDLG_ABORT 1908
#define IDS_MSGDLG_RETRY 1909
#define IDS_MSGDLG_IGNORE 1910
#define IDS_MSGDLG_ALL 1911
#define IDS_MSGDLG_NOTOALL 1912
#define IDS_MSGDLG_YESTOALL 1913
#define IDS_MSGDLG_HELP 1914
// The skin engine's warning for a skin folder it does not use (%s: the folder, %s: why), and
// the reasons, each with its measure and limit or the section it is in
#define IDS_SKIN_FOLDER_NOT_USED 1950
#define IDS_SKIN_OPTIONS_TOO_LARGE 1951
#define IDS_SKIN_TOO_MANY_SECTIONS 1952
#define IDS_SKIN_LONG_SECTION_NAME 1953
#define IDS_SKIN_LONG_KEY_NAME 1954
#define IDS_SKIN_LONG_VALUE 1955
#define IDS_SKIN_LONG_GRADIENT 1956
#define IDS_SKIN_TOO_MANY_PICTURES 1957
#define IDS_SKIN_TOO_MANY_PICTURE_FILES 1958
#define IDS_SKIN_LONG_PARENT_CHAIN 1959
#define IDS_SKIN_PICTURE_SCANS 1960
// ... Options.dat that cannot be read (%s: the system's reason)
#define IDS_SKIN_OPTIONS_UNREADABLE 1961
// The skin engine's other messages: a second skin manager, a skin past the 16-bit indexes
// (%d: the most kept) of sections, images or both, a mask file not made 24-bit, and the skinned
// scroll bar given a range without room (%d: the maximum)
#define IDS_SKIN_SECOND_MANAGER 1970
#define IDS_SKIN_PAST_INDEXES_SECTIONS 1971
#define IDS_SKIN_PAST_INDEXES_IMAGES 1972
#define IDS_SKIN_PAST_INDEXES_BOTH 1973
#define IDS_SKIN_PIXEL_FORMAT 1974
#define IDS_SCROLLBAR_OUT_OF_RANGE 1975
// The skinned system menu: its six commands and the item that lists the skins
#define IDS_SYSMENU_RESTORE 1980
#define IDS_SYSMENU_MOVE 1981
#define IDS_SYSMENU_SIZE 1982
#define IDS_SYSMENU_MINIMIZE 1983
#define IDS_SYSMENU_MAXIMIZE 1984
#define IDS_SYSMENU_CLOSE 1985
#define IDS_SYSMENU_AVAILABLE_SKINS 1986

// Application manifest (RT_MANIFEST resource 1 of the executable)
#define IDR_MANIFEST 1
