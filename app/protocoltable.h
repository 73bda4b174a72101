// The protocol as the exports read it: the protocol list's columns and its rows in list
// order. The main window fills it from its list view, so the exports need no window.
#pragma once

#include <string>
#include <vector>

#include "app/raceview.h"

// One column of the protocol list.
struct TProtocolColumn {
  std::string Caption;
  int Width = 0;  // pixels
};

struct TProtocolTable {
  std::vector<TProtocolColumn> Columns;
  std::vector<TProtocolRow> Rows;
};

// The line naming the maker at the end of the text file and of the spreadsheet.
inline constexpr const char* kExportMakerLine = "Dravolin - Kestrune Software";
