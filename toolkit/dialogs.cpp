// The file dialogs over comdlg32 and the plain message box.
#include "toolkit/dialogs.h"

#include <algorithm>
#include <vector>

#include "toolkit/classregistry.h"
#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& OpenOptionsInfo() {
  static const TEnumInfo info{"ofReadOnly",     "ofOverwritePrompt",    "ofHideReadOnly",  "ofNoChangeDir",
                              "ofNoValidate",   "ofExtensionDifferent", "ofPathMustExist", "ofFileMustExist",
                              "ofCreatePrompt", "ofNoReadOnlyReturn",   "ofEnableSizing"};
  return info;
}

// Room for long path names.
constexpr size_t kFileNameBuffer = 32768;

// "Name|*.ext|..." as the dialog takes it: the parts separated by NULs, ending in two.
std::string FilterList(const std::string& filter) {
  std::string list = filter;
  std::replace(list.begin(), list.end(), '|', '\0');
  list.push_back('\0');  // c_str() adds the second one
  return list;
}

DWORD DialogFlags(TOpenOptions options) {
  DWORD flags = OFN_EXPLORER;
  if (options.Contains(ofReadOnly)) flags |= OFN_READONLY;
  if (options.Contains(ofOverwritePrompt)) flags |= OFN_OVERWRITEPROMPT;
  if (options.Contains(ofHideReadOnly)) flags |= OFN_HIDEREADONLY;
  if (options.Contains(ofNoChangeDir)) flags |= OFN_NOCHANGEDIR;
  if (options.Contains(ofNoValidate)) flags |= OFN_NOVALIDATE;
  if (options.Contains(ofPathMustExist)) flags |= OFN_PATHMUSTEXIST;
  if (options.Contains(ofFileMustExist)) flags |= OFN_FILEMUSTEXIST;
  if (options.Contains(ofCreatePrompt)) flags |= OFN_CREATEPROMPT;
  if (options.Contains(ofNoReadOnlyReturn)) flags |= OFN_NOREADONLYRETURN;
  if (options.Contains(ofEnableSizing)) flags |= OFN_ENABLESIZING;
  return flags;
}

bool IsShownForm(TCustomForm* form) {
  return form && form->HandleAllocated() && IsWindowVisible(form->GetHandle());
}

}  // namespace

// ---- TCommonDialog ----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TCommonDialog, TComponent)

TCommonDialog::TCommonDialog(TComponent* owner) : TComponent(owner) {}

bool TCommonDialog::Execute() { return Execute(OwnerWindow()); }

HWND TCommonDialog::OwnerWindow() const {
  for (TComponent* c = GetOwner(); c; c = c->GetOwner()) {
    if (auto* form = DynamicCast<TCustomForm>(c)) {
      if (IsShownForm(form)) return form->GetHandle();
      break;
    }
  }
  if (Screen && IsShownForm(Screen->GetActiveForm())) return Screen->GetActiveForm()->GetHandle();
  if (Application && IsShownForm(Application->GetMainForm())) return Application->GetMainForm()->GetHandle();
  return nullptr;
}

// ---- TOpenDialog ------------------------------------------------------------------------------

TK_CLASS_INFO(TOpenDialog, TCommonDialog)
TK_CLASS_INFO(TSaveDialog, TOpenDialog)

void TOpenDialog::Publish(TPublisher<TOpenDialog>& p) {
  p.String("DefaultExt", &TOpenDialog::GetDefaultExt, &TOpenDialog::SetDefaultExt);
  p.String("FileName", &TOpenDialog::GetFileName, &TOpenDialog::SetFileName);
  p.String("Filter", &TOpenDialog::GetFilter, &TOpenDialog::SetFilter);
  p.Integer("FilterIndex", &TOpenDialog::GetFilterIndex, &TOpenDialog::SetFilterIndex).Default(1);
  p.String("InitialDir", &TOpenDialog::GetInitialDir, &TOpenDialog::SetInitialDir);
  p.Set("Options", OpenOptionsInfo(), &TOpenDialog::GetOptions, &TOpenDialog::SetOptions)
      .Default(TOpenOptions{ofHideReadOnly, ofEnableSizing}.Bits());
  p.String("Title", &TOpenDialog::GetTitle, &TOpenDialog::SetTitle);
}

TOpenDialog::TOpenDialog(TComponent* owner) : TCommonDialog(owner) {}

void TOpenDialog::SetDefaultExt(const std::string& extension) {
  default_ext_ = !extension.empty() && extension[0] == '.' ? extension.substr(1) : extension;
}

BOOL TOpenDialog::RunDialog(OPENFILENAMEA& ofn) { return GetOpenFileNameA(&ofn); }

bool TOpenDialog::Execute(HWND owner) {
  std::vector<char> buffer(kFileNameBuffer, '\0');
  std::string filter = FilterList(filter_);
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof(ofn);
  ofn.hwndOwner = owner;
  ofn.lpstrFilter = filter_.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(std::max(filter_index_, 1));
  ofn.lpstrFile = buffer.data();
  ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  ofn.lpstrInitialDir = initial_dir_.empty() ? nullptr : initial_dir_.c_str();
  ofn.lpstrTitle = title_.empty() ? nullptr : title_.c_str();
  ofn.lpstrDefExt = default_ext_.empty() ? nullptr : default_ext_.c_str();
  ofn.Flags = DialogFlags(options_);
  if (Application) Application->CancelHint();

  std::copy_n(file_name_.begin(), std::min(file_name_.size(), buffer.size() - 1), buffer.begin());
  BOOL chosen = RunDialog(ofn);
  DWORD error = chosen ? 0 : CommDlgExtendedError();
  if (error == FNERR_INVALIDFILENAME && buffer[0] != '\0') {
    // The dialog refuses to open on a name it cannot show: offer it without one.
    std::fill(buffer.begin(), buffer.end(), '\0');
    chosen = RunDialog(ofn);
    error = chosen ? 0 : CommDlgExtendedError();
  }
  if (error != 0)
    throw EDialogError("The file dialog could not be shown (error $" + IntToHex(error, 4) + ")");
  if (!chosen) return false;

  file_name_ = buffer.data();
  filter_index_ = static_cast<int>(ofn.nFilterIndex);
  if (ofn.Flags & OFN_READONLY)
    options_.Include(ofReadOnly);
  else
    options_.Exclude(ofReadOnly);
  if (ofn.Flags & OFN_EXTENSIONDIFFERENT)
    options_.Include(ofExtensionDifferent);
  else
    options_.Exclude(ofExtensionDifferent);
  return true;
}

BOOL TSaveDialog::RunDialog(OPENFILENAMEA& ofn) { return GetSaveFileNameA(&ofn); }

// ---- Message boxes ----------------------------------------------------------------------------

void ShowMessage(const std::string& text) {
  if (Application) {
    Application->MessageBox(text, Application->GetTitle(), MB_OK);
    return;
  }
  std::string title = ChangeFileExt(ExtractFileName(ExeFileName()), "");
  MessageBoxA(nullptr, text.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

void RegisterDialogClasses() { RegisterClasses({TOpenDialog::StaticClass(), TSaveDialog::StaticClass()}); }
