// The skinned message dialog: measuring in dialog units, the layout, the buttons and the
// shortcut the skin engine's messages take.
#include "skin/controls/smessagedlg.h"

#include <windows.h>

#include <algorithm>
#include <array>

#include "skin/controls/sbuttons.h"
#include "skin/controls/slabel.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sutils.h"
#include "resources/resource_ids.h"
#include "toolkit/extctrls.h"
#include "toolkit/picture.h"
#include "toolkit/resstrings.h"

namespace {

// The old record size: the system accepts it everywhere, the newer one not before Vista.
constexpr UINT kNonClientMetricsSize = 340;
constexpr int kIconSize = 32;

// The texts are the executable's resource strings (so translated with it); a program without
// them (a test) gets the English ones.
struct TText {
  TResStringRec rec;
  const char* english;
};
std::string Load(const TText& text) {
  std::string s = LoadResString(&text.rec);
  return s.empty() ? text.english : s;
}

struct TButtonKind {
  const char* name;
  TText caption;
  TModalResult result;
};
const std::array<TButtonKind, 11> kButtonKinds{{
    {"Yes", {{&HInstance, IDS_MSGDLG_YES}, "&Yes"}, mrYes},
    {"No", {{&HInstance, IDS_MSGDLG_NO}, "&No"}, mrNo},
    {"OK", {{&HInstance, IDS_MSGDLG_OK}, "OK"}, mrOk},
    {"Cancel", {{&HInstance, IDS_MSGDLG_CANCEL}, "Cancel"}, mrCancel},
    {"Abort", {{&HInstance, IDS_MSGDLG_ABORT}, "&Abort"}, mrAbort},
    {"Retry", {{&HInstance, IDS_MSGDLG_RETRY}, "&Retry"}, mrRetry},
    {"Ignore", {{&HInstance, IDS_MSGDLG_IGNORE}, "&Ignore"}, mrIgnore},
    {"All", {{&HInstance, IDS_MSGDLG_ALL}, "&All"}, mrAll},
    {"NoToAll", {{&HInstance, IDS_MSGDLG_NOTOALL}, "N&o to All"}, mrNoToAll},
    {"YesToAll", {{&HInstance, IDS_MSGDLG_YESTOALL}, "Yes to &All"}, mrYesToAll},
    {"Help", {{&HInstance, IDS_MSGDLG_HELP}, "&Help"}, mrNone},
}};

const std::array<TText, 4> kCaptions{{
    {{&HInstance, IDS_MSGDLG_WARNING}, "Warning"},
    {{&HInstance, IDS_MSGDLG_ERROR}, "Error"},
    {{&HInstance, IDS_MSGDLG_INFORMATION}, "Information"},
    {{&HInstance, IDS_MSGDLG_CONFIRM}, "Confirm"},
}};
const std::array<LPCSTR, 4> kIcons{IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};

// Measured once per kind for the whole run.
std::array<int, 11> caption_widths{};

// A memory device context with a font selected, released with it.
class TMeasureDC {
 public:
  explicit TMeasureDC(HFONT font) : dc_(CreateCompatibleDC(nullptr)), old_(SelectObject(dc_, font)) {}
  ~TMeasureDC() {
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  TMeasureDC(const TMeasureDC&) = delete;
  TMeasureDC& operator=(const TMeasureDC&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

void ShowSkinMessage(const std::string& text, TsMessageKind kind) {
  sMessageDlg(text, kind == smkWarning ? mtWarning : mtError, {mbOK}, 0);
}

}  // namespace

TK_ABSTRACT_CLASS_INFO(TsMessageForm, TForm)

TsMessageForm::TsMessageForm(TComponent* owner, TCreateNew) : TForm(owner, kCreateNew) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = kNonClientMetricsSize;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, kNonClientMetricsSize, &metrics, 0)) {
    // The font keeps a copy of the description; the handle made for it is ours to delete.
    HFONT font = CreateFontIndirectA(&metrics.lfMessageFont);
    if (font) {
      GetFont()->SetHandle(font);
      DeleteObject(font);
    }
  }
  provider_ = New<TsSkinProvider>(this);
  provider_->SetMakeSkinMenu(false);
}

void TsMessageForm::HelpButtonClick(TObject* sender) {
  (void)sender;
  // The program has no help system of its own: a help file given to the dialog is opened.
  if (!help_file_.empty()) WinHelpA(GetHandle(), help_file_.c_str(), HELP_CONTEXT, help_context_);
}

int MessageDlgCaptionWidth(TMsgDlgBtn kind) { return caption_widths[kind]; }

void TsMessageForm::Build(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  if (Application) SetBiDiMode(Application->GetBiDiMode());
  SetBorderStyle(bsDialog);
  TMeasureDC dc(GetFont()->GetHandle());
  const UINT bidi = DrawTextBiDiFlags(this, taLeftJustify) & DT_RTLREADING;
  const bool right_to_left = bidi != 0;

  static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  SIZE letters{};
  GetTextExtentPointA(dc.Get(), kLetters, 52, &letters);
  const int ux = letters.cx / 52, uy = letters.cy;
  const int h_margin = MulDiv(16, ux, 4), v_margin = MulDiv(12, uy, 8);
  const int h_spacing = MulDiv(10, ux, 4), v_spacing = MulDiv(10, uy, 8);
  int button_width = MulDiv(50, ux, 4);
  const int button_height = MulDiv(14, uy, 8), button_spacing = MulDiv(4, ux, 4);

  int count = 0;
  for (int k = 0; k < static_cast<int>(kButtonKinds.size()); ++k) {
    const auto kind = static_cast<TMsgDlgBtn>(k);
    if (!buttons.Contains(kind)) continue;
    ++count;
    if (caption_widths[k] == 0) {
      RECT r{};
      const std::string caption = Load(kButtonKinds[k].caption);
      DrawTextA(dc.Get(), caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE | bidi);
      caption_widths[k] = r.right - r.left + 8;
    }
    button_width = std::max(button_width, caption_widths[k]);
  }

  // The closing NUL is measured too: an empty message is one (empty) line, not an untouched
  // rectangle half the screen wide.
  RECT text{0, 0, GetSystemMetrics(SM_CXSCREEN) / 2, 0};
  DrawTextA(dc.Get(), msg.c_str(), static_cast<int>(msg.size()) + 1, &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | bidi);
  const int text_width = text.right - text.left, text_height = text.bottom - text.top;
  const bool has_icon = type != mtCustom;
  int block_width = text_width, block_height = text_height;
  if (has_icon) {
    block_width += h_spacing + kIconSize;
    block_height = std::max(block_height, kIconSize);
  }
  const int group_width = count > 0 ? count * button_width + (count - 1) * button_spacing : 0;
  SetClientWidth(std::max(block_width, group_width) + 2 * h_margin);
  SetClientHeight(block_height + v_spacing + button_height + 2 * v_margin);
  SetLeft(GetSystemMetrics(SM_CXSCREEN) / 2 - GetWidth() / 2);
  SetTop(GetSystemMetrics(SM_CYSCREEN) / 2 - GetHeight() / 2);

  if (type == mtCustom)
    SetText(Application ? Application->GetTitle() : "");
  else
    SetText(Load(kCaptions[type]));

  if (has_icon) {
    auto* image = New<TImage>(this);
    image->SetName("Image");
    image->SetParent(this);
    image->GetPicture()->GetIcon()->SetHandle(LoadIconA(nullptr, kIcons[type]));
    // Read from the right, the text begins at the left margin: the icon goes to the right.
    const int image_left = right_to_left ? GetClientWidth() - h_margin - kIconSize : h_margin;
    image->SetBounds(image_left, v_margin, kIconSize, kIconSize);
  }

  auto* label = New<TsLabel>(this);
  label->SetName("Message");
  label->SetParent(this);
  label->SetWordWrap(true);
  label->SetCaption(msg);
  int left = block_width - text_width + h_margin;
  if (right_to_left) left = GetClientWidth() - left - text_width;
  label->SetBounds(left, v_margin, text_width, text_height);

  const TMsgDlgBtn default_kind = buttons.Contains(mbOK) ? mbOK : buttons.Contains(mbYes) ? mbYes : mbRetry;
  const TMsgDlgBtn cancel_kind = buttons.Contains(mbCancel) ? mbCancel : buttons.Contains(mbNo) ? mbNo : mbOK;
  int x = (GetClientWidth() - group_width) / 2;
  const int y = block_height + v_margin + v_spacing;
  for (int k = 0; k < static_cast<int>(kButtonKinds.size()); ++k) {
    const auto kind = static_cast<TMsgDlgBtn>(k);
    if (!buttons.Contains(kind)) continue;
    auto* button = New<TsBitBtn>(this);
    button->SetName(kButtonKinds[k].name);
    button->SetParent(this);
    button->SetCaption(Load(kButtonKinds[k].caption));
    button->SetModalResult(kButtonKinds[k].result);
    button->SetDefault(kind == default_kind);
    button->SetCancel(kind == cancel_kind);
    button->SetBounds(x, y, button_width, button_height);
    if (kind == mbHelp) button->OnClick = TNotifyEvent(this, &TsMessageForm::HelpButtonClick);
    x += button_width + button_spacing;
  }
}

TsMessageForm* CreateSMessageDialog(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons) {
  TsMessageForm* form = New<TsMessageForm>(Application, kCreateNew);
  try {
    form->Build(msg, type, buttons);
  } catch (...) {
    Free(form);
    throw;
  }
  return form;
}

int sMessageDlgPosHelp(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int help_ctx, int x,
                       int y, const std::string& help_file) {
  TsMessageForm* form = CreateSMessageDialog(msg, type, buttons);
  int result = mrNone;
  try {
    form->SetHelpContext(help_ctx);
    form->SetHelpFile(help_file);
    if (x >= 0) form->SetLeft(x);
    if (y >= 0) form->SetTop(y);
    if (x < 0 && y < 0) form->SetPosition(poScreenCenter);
    form->GetProvider()->GetCommonData()->SetSkinSection("DIALOG");
    // Attaches to the form and lets the system menu take the dialog's items.
    form->GetProvider()->Loaded();
    result = form->ShowModal();
  } catch (...) {
    Free(form);
    throw;
  }
  Free(form);
  return result;
}

int sMessageDlg(const std::string& msg, TMsgDlgType type, TMsgDlgButtons buttons, int help_ctx) {
  return sMessageDlgPosHelp(msg, type, buttons, help_ctx, -1, -1, "");
}

void RegisterSkinDialogClasses() { SkinMessageProc = ShowSkinMessage; }
