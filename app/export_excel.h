// The protocol copied into a new workbook of the spreadsheet application through its
// automation interface, late-bound by member names; the workbook stays open there and the
// program writes no file.
#pragma once

#include <optional>
#include <string>

#include "app/exportui.h"
#include "app/protocoltable.h"

inline constexpr const char* kExcelProgId = "Excel.Application";

bool IsExcelInstalled();

// Fills the active sheet of a new workbook of the automation server `prog_id` and shows the
// application. Returns the message for the caller to show when the server is not installed
// (nothing else is done then). Failing automation calls raise EOleError; the sheet stays as
// far as it was filled.
std::optional<TExportMessage> ProtocolToSpreadsheet(const TProtocolTable& table, const std::string& date,
                                                    const std::string& title, const std::string& sign,
                                                    const std::string& prog_id = kExcelProgId);
