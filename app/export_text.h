// The protocol as a plain text file with fixed-width columns, for printing from any text
// editor: date, title, header line, one line per row, sign and maker line. Text in the
// ANSI code page, lines ended by CR LF.
#pragma once

#include <array>
#include <string>

#include "app/protocoltable.h"

// Characters per protocol column: place, class, start number, last name, first name, car
// make, car type, city, country, lap 1, lap 2, lap 3, best.
inline constexpr std::array<int, 13> kTextColumnWidths = {6, 6, 6, 13, 13, 10, 10, 10, 10, 8, 8, 8, 8};

// The width of protocol column `column`. Columns beyond the table appear only when hand-made
// start-list entries carry extra fields; they push the lap and best cells to the right, so
// they take the width of a time cell.
int TextColumnWidth(size_t column);

// The text cut to `width` characters and padded with blanks to width + 1.
std::string TextCell(const std::string& text, int width);

// The whole file; `date` is today's date in the locale's short form.
std::string ProtocolText(const TProtocolTable& table, const std::string& date, const std::string& title,
                         const std::string& sign);

// Writes the file whole or not at all; raises EInOutError naming the file when it cannot
// be written (the previous file, if any, is then untouched).
void SaveProtocolText(const std::string& file_name, const TProtocolTable& table, const std::string& date,
                      const std::string& title, const std::string& sign);
