// What the export buttons show the user around an export: the message boxes of a failed
// export and the shell opening a written file. The texts are resource strings, so they
// follow the active catalog.
#pragma once

#include <windows.h>

#include <string>

// One message box: the export decides what it says, the caller shows it.
struct TExportMessage {
  std::string Text;
  std::string Title;
  UINT Flags = 0;
};

// "Excel is not installed!" titled "ERROR" with the error icon.
TExportMessage ExcelNotInstalledMessage();
// "ERROR" titled "ERROR" with the error icon: a page could not be made; with the system's
// error code of a failed write, the text names the file and the reason instead.
TExportMessage ExportFailedMessage(const std::string& file_name = {}, DWORD error = 0);

int ShowExportMessage(HWND owner, const TExportMessage& message);

// Asks the shell to open a written file with its registered program; a file type without
// one is not reported.
void ShellOpenFile(const std::string& file_name);
