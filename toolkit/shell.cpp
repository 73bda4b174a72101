#include "toolkit/shell.h"

#include <objbase.h>
#include <shellapi.h>

#include "toolkit/forms.h"

bool ShellExecuteOpen(const std::string& file, const std::string& parameters, const std::string& directory,
                      int show) {
  // Some shell handlers need COM on the calling thread; it is left as it was found.
  HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  SHELLEXECUTEINFOA info{};
  info.cbSize = sizeof(info);
  // Failures come back to the caller rather than as the shell's own message boxes; the
  // launch is complete before COM is released.
  info.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  if (Application && Application->GetMainForm() && Application->GetMainForm()->HandleAllocated())
    info.hwnd = Application->GetMainForm()->GetHandle();
  info.lpVerb = "open";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  info.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  info.nShow = show;
  BOOL ok = ShellExecuteExA(&info);
  if (SUCCEEDED(com)) CoUninitialize();
  return ok && reinterpret_cast<INT_PTR>(info.hInstApp) > 32;
}
