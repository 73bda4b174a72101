// Common dialogs (choosing a file to open or to save under) and the plain message box.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include <string>

#include "toolkit/components.h"
#include "toolkit/sets.h"
#include "toolkit/sysutils.h"

TK_EXCEPTION(EDialogError, Exception)

// A dialog component: Execute shows it modally, owned by the form it belongs to.
class TCommonDialog : public TComponent {
  TK_CLASS(TCommonDialog, TComponent)

 public:
  explicit TCommonDialog(TComponent* owner);

  // Shows the dialog; true when the user confirmed it.
  bool Execute();
  // The same with an explicit owner window (null for none).
  virtual bool Execute(HWND owner) = 0;

 protected:
  // The window the dialog belongs to: the visible form that owns the component, else the
  // active form, else the main form; null when none is shown.
  HWND OwnerWindow() const;
};

enum TOpenOption {
  ofReadOnly,            // in and out: the read-only box is ticked
  ofOverwritePrompt,     // saving over an existing file asks first
  ofHideReadOnly,        // no read-only box
  ofNoChangeDir,         // the process's current folder stays as it was
  ofNoValidate,          // names with invalid characters are accepted
  ofExtensionDifferent,  // out: the chosen name's extension is not DefaultExt
  ofPathMustExist,       // only names in existing folders
  ofFileMustExist,       // only existing files (opening)
  ofCreatePrompt,        // a name of a file that does not exist asks whether to create it
  ofNoReadOnlyReturn,    // no read-only files
  ofEnableSizing,        // the dialog can be resized
};
using TOpenOptions = TSet<TOpenOption>;

// Chooses one file to open (GetOpenFileNameA).
class TOpenDialog : public TCommonDialog {
  TK_CLASS(TOpenDialog, TCommonDialog)

 public:
  explicit TOpenDialog(TComponent* owner);

  using TCommonDialog::Execute;
  // On confirmation FileName is the chosen file's full name and FilterIndex the filter
  // then selected; on cancel both stay as they were.
  bool Execute(HWND owner) override;

  const std::string& GetTitle() const { return title_; }
  void SetTitle(const std::string& title) { title_ = title; }
  // Pairs of description and patterns separated by '|': "HTML|*.html|HTM|*.htm".
  const std::string& GetFilter() const { return filter_; }
  void SetFilter(const std::string& filter) { filter_ = filter; }
  // 1-based position of the filter shown first.
  int GetFilterIndex() const { return filter_index_; }
  void SetFilterIndex(int index) { filter_index_ = index; }
  // Added to a name typed without extension ("htm", without the dot).
  const std::string& GetDefaultExt() const { return default_ext_; }
  void SetDefaultExt(const std::string& extension);
  const std::string& GetFileName() const { return file_name_; }
  void SetFileName(const std::string& file_name) { file_name_ = file_name; }
  const std::string& GetInitialDir() const { return initial_dir_; }
  void SetInitialDir(const std::string& dir) { initial_dir_ = dir; }
  TOpenOptions GetOptions() const { return options_; }
  void SetOptions(TOpenOptions options) { options_ = options; }

 protected:
  // GetOpenFileNameA or GetSaveFileNameA.
  virtual BOOL RunDialog(OPENFILENAMEA& ofn);

 private:
  static void Publish(TPublisher<TOpenDialog>& p);

  std::string title_;
  std::string filter_;
  int filter_index_ = 1;
  std::string default_ext_;
  std::string file_name_;
  std::string initial_dir_;
  TOpenOptions options_{ofHideReadOnly, ofEnableSizing};
};

// Chooses a file name to save under (GetSaveFileNameA).
class TSaveDialog : public TOpenDialog {
  TK_CLASS(TSaveDialog, TOpenDialog)

 public:
  explicit TSaveDialog(TComponent* owner) : TOpenDialog(owner) {}

 protected:
  BOOL RunDialog(OPENFILENAMEA& ofn) override;
};

// A message box with OK, titled with the application's title, owned by the active form.
void ShowMessage(const std::string& text);

// Registers TOpenDialog and TSaveDialog for form definitions.
void RegisterDialogClasses();
