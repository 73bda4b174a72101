// The protocol as a web page: fixed head and style sheet, a fixed German header row, one
// table row per protocol row (every second one shaded), the configured sign line and the
// maker footer. Text in the ANSI code page, declared as iso-8859-1, lines ended by CR LF.
#pragma once

#include <windows.h>

#include <string>

#include "app/protocoltable.h"

// The text with &, <, > and " replaced by their entities, so names from the start list
// cannot break the page or put markup into it.
std::string HtmlEscape(const std::string& text);

// The whole page. False when a row lacks a cell that a column expects (`page` then holds
// nothing useful).
bool ProtocolHtml(const TProtocolTable& table, const std::string& sign, std::string& page);

// Writes the page to `file_name`; true once it is complete on disk. On false the previous
// file (if any) is untouched, `error` (when given) holds the system's error code if the
// writing failed, and the caller reports ExportFailedMessage().
bool ListViewToHTML(const TProtocolTable& table, const std::string& sign, const std::string& file_name,
                    DWORD* error = nullptr);
