#include "app/exportui.h"

#include <shellapi.h>

#include "app/atomicsave.h"
#include "resources/resource_ids.h"
#include "toolkit/resstrings.h"

namespace {

TK_RESOURCESTRING(SExportError, IDS_EXPORT_ERROR);
TK_RESOURCESTRING(SExcelNotInstalled, IDS_EXCEL_NOT_INSTALLED);

}  // namespace

TExportMessage ExcelNotInstalledMessage() {
  return {LoadResString(&SExcelNotInstalled), LoadResString(&SExportError), MB_ICONERROR};
}

TExportMessage ExportFailedMessage(const std::string& file_name, DWORD error) {
  const std::string title = LoadResString(&SExportError);
  return {error ? SaveFailedMessage(file_name, error) : title, title, MB_ICONERROR};
}

int ShowExportMessage(HWND owner, const TExportMessage& message) {
  return MessageBoxA(owner, message.Text.c_str(), message.Title.c_str(), message.Flags);
}

void ShellOpenFile(const std::string& file_name) {
  ShellExecuteA(nullptr, "open", file_name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
}
