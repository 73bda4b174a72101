// The skinned message dialog: a modal box built as a form with its own skin provider in the
// "DIALOG" section, an icon by message type, the wrapped message and a row of buttons. The
// skin engine's warnings and errors (ShowWarning, ShowError) come here once the skinned
// controls are registered.
#pragma once

#include <string>

#include "toolkit/forms.h"
#include "toolkit/sets.h"

class TsSkinProvider;

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp
};
using TMsgDlgButtons = TSet<TMsgDlgBtn>;

// The results of the buttons the system's message boxes do not have.
constexpr TModalResult mrAll = 8;
constexpr TModalResult mrNoToAll = 9;
constexpr TModalResult mrYesToAll = 10;

class TsMessageForm : public TForm {
  TK_CLASS(TsMessageForm, TForm)

 public:
  // A form without a definition, in the system's message font.
  TsMessageForm(TComponent* owner, TCreateNew);

  TsSkinProvider* GetProvider() const { return provider_; }
  // The help file the help button opens at the form's help context.
  int GetHelpContext() const { return help_context_; }
  void SetHelpContext(int context) { help_context_ = context; }
  const std::string& GetHelpFile() const { return help_file_; }
  void SetHelpFile(const std::string& file) { help_file_ = file; }

  // Lays the dialog out in the form's font: icon, message, buttons, size and caption.
  void Build(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);
  void HelpButtonClick(TObject* sender);

 private:
  TsSkinProvider* provider_;
  int help_context_ = 0;
  std::string help_file_;
};

// Builds the dialog (not shown): the caller shows it and frees it.
TsMessageForm* CreateSMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons);

// Shows the dialog modally and returns the modal result of the button pressed. X and Y of 0
// or more place it there; with both negative it is centred on the screen.
int sMessageDlgPosHelp(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int help_ctx, int x,
                       int y, const std::string& help_file);
int sMessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int help_ctx);

// A button caption's measured width (+8): 0 until first measured, then kept for the run.
int MessageDlgCaptionWidth(TMsgDlgBtn kind);

// Routes the skin engine's warnings and errors to it.
void RegisterSkinDialogClasses();
