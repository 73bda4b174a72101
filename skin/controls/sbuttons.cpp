// The skinned speed, push and bit buttons.
#include "skin/controls/sbuttons.h"

#include <algorithm>

#include "skin/engine/sbevels.h"
#include "skin/engine/sblend.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kSpeedButtonKind = 92;
constexpr int kButtonKind = 93;
constexpr int kBitBtnKind = 94;

}  // namespace

void RegisterSkinButtonsClasses() {
  RegisterClasses({TsSpeedButton::StaticClass(), TsButton::StaticClass(), TsBitBtn::StaticClass()});
}

// ---- TsGlyphHolder ------------------------------------------------------------------------------

TsGlyphHolder::TsGlyphHolder(TsButtonControl* button) : button_(button), glyph_(New<TBitmap>()) {}

TsGlyphHolder::~TsGlyphHolder() { Free(glyph_); }

bool TsGlyphHolder::HasGlyph() const { return glyph_->GetWidth() >= 1; }

int TsGlyphHolder::Width(int num_glyphs) const { return glyph_->GetWidth() / std::max(num_glyphs, 1); }

int TsGlyphHolder::Height() const { return glyph_->GetHeight(); }

void TsGlyphHolder::Draw(TBitmap* cache, POINT p, bool hot) {
  const int w = Width(button_->GetNumGlyphs()), h = Height();
  if (w <= 0 || h <= 0) return;
  // The first image only; the others are states the skin draws itself.
  TBitmap* image = New<TBitmap>();
  try {
    image->SetPixelFormat(pf24bit);
    image->SetSize(w, h);
    BitBlt(image->GetCanvas()->GetHandle(), 0, 0, w, h, glyph_->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    if (button_->GetGrayed() && !hot) GrayScaleBitmap(image, image->GetPixelColor(0, h - 1));
    PaintGlyphOnBitmap(cache, image, p, hot ? 0 : button_->GetBlend(), button_->GetEnabled(),
                       button_->GetDisabledGlyphKind());
  } catch (...) {
    Free(image);
    throw;
  }
  Free(image);
}

// ---- TsSpeedButton ------------------------------------------------------------------------------

TK_CLASS_INFO(TsSpeedButton, TsButtonControl)

void TsSpeedButton::Publish(TPublisher<TsSpeedButton>& p) {
  using P = TsSpeedButton;
  p.Object("Glyph", &P::GetGlyph, &P::SetGlyph);
  p.Object("DropdownMenu", &P::GetDropdownMenu, &P::SetDropdownMenu);
  p.Boolean("AllowAllUp", &P::GetAllowAllUp, &P::SetAllowAllUp).Default(false);
  p.Integer("GroupIndex", &P::GetGroupIndex, &P::SetGroupIndex).Default(0);
  p.Enumeration("ButtonStyle", ToolButtonStyleInfo(), &P::GetButtonStyle, &P::SetButtonStyle)
      .Default(tbsButton);
  p.Boolean("Down", &P::GetDown, &P::SetDown).Default(false);
  p.Event("OnStateChange", &P::OnStateChange);
}

TsSpeedButton::TsSpeedButton(TComponent* owner) : TsButtonControl(owner), glyph_(this) {
  style_->COC = kSpeedButtonKind;
  SetTabStop(false);
}

TsSpeedButton::~TsSpeedButton() = default;

void TsSpeedButton::SetDown(bool value) {
  if (value == down_) return;
  TsButtonControl::SetDown(value);
  if (button_style_ == tbsCheck) OnStateChange(this);
}

int TsSpeedButton::ArrowWidth() { return button_style_ == tbsDropDown ? bevel_width_ * 2 + 16 : 0; }

int TsSpeedButton::GlyphHeight() {
  return glyph_.HasGlyph() ? glyph_.Height() : TsButtonControl::GlyphHeight();
}

int TsSpeedButton::GlyphWidth() {
  return glyph_.HasGlyph() ? glyph_.Width(num_glyphs_) : TsButtonControl::GlyphWidth();
}

void TsSpeedButton::SetGlyph(TBitmap* value) {
  glyph_.Glyph()->Assign(value);
  style_->Invalidate();
}

void TsSpeedButton::DrawGlyph() {
  if (!glyph_.HasGlyph()) return TsButtonControl::DrawGlyph();
  const RECT r = GlyphRect();
  glyph_.Draw(style_->GetCacheBmp(), POINT{r.left, r.top}, Hot());
}

// ---- TsButton -----------------------------------------------------------------------------------

TK_CLASS_INFO(TsButton, TsButtonControl)

void TsButton::Publish(TPublisher<TsButton>& p) {
  using P = TsButton;
  p.Boolean("Cancel", &P::GetCancel, &P::SetCancel).Default(false);
  p.Boolean("Default", &P::GetDefault, &P::SetDefault).Default(false);
  p.Integer("ModalResult", &P::GetModalResult, &P::SetModalResult).Default(mrNone);
  p.Boolean("ShowFocus", &P::GetShowFocus, &P::SetShowFocus).Default(true);
  p.Integer("FocusMargin", &P::GetFocusMargin, &P::SetFocusMargin).Default(1);
  p.Boolean("TabStop", &P::GetTabStop, &P::SetTabStop).Default(true);
}

TsButton::TsButton(TComponent* owner) : TsButtonControl(owner) {
  style_->COC = kButtonKind;
  SetTabStop(true);
  SetBounds(0, 0, 75, 25);
}

void TsButton::WndProc(TMessage& message) {
  switch (message.Msg) {
    case CM_DIALOGCHAR: return CMDialogChar(message);
    case CM_DIALOGKEY: return CMDialogKey(message);
    case CM_FOCUSCHANGED: CMFocusChanged(message); break;
    case WM_KEYUP: WMKeyUp(message); break;
    case CN_COMMAND:
      if (HIWORD(message.WParam) == 0) return CNCommand(message);
      break;
  }
  inherited::WndProc(message);
}

void TsButton::Click() {
  if (!GetEnabled()) return;
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modal_result_);
  inherited::Click();
}

void TsButton::CreateWnd() {
  inherited::CreateWnd();
  active_ = default_;
}

void TsButton::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  if (HandleAllocated())
    if (TCustomForm* form = GetParentForm(this))
      form->Perform(CM_FOCUSCHANGED, 0, reinterpret_cast<LPARAM>(form->GetActiveControl()));
  style_->Invalidate();
}

void TsButton::CMDialogChar(TMessage& message) {
  const bool space = message.WParam == VK_SPACE && style_->GetFocused();
  if (space || (IsAccel(message.WParam, GetCaption()) && CanFocus())) {
    style_->BGChanged = true;
    SetDown(true);
    RepaintNow();
    message.Result = 1;
    message.WParam = 0;
    // An accelerator has no key-up of its own here: it clicks at once.
    if (!space) Press();
    return;
  }
  inherited::WndProc(message);
}

void TsButton::Press() {
  TsLifeGuard guard(style_);
  SetDown(false);
  RepaintNow();
  if (guard.Freed()) return;
  Click();
}

void TsButton::WMKeyUp(TMessage& message) {
  (void)message;
  if (down_) Press();
}

void TsButton::CMDialogKey(TMessage& message) {
  const bool enter = message.WParam == VK_RETURN && active_;
  const bool escape = message.WParam == VK_ESCAPE && cancel_;
  if ((enter || escape) && KeyDataToShiftState(message.LParam).Empty() && CanFocus()) {
    // The pressed look is painted at once rather than by running the message loop here: a
    // second key waiting in the queue would press the button again inside this press.
    TsLifeGuard guard(style_);
    SetDown(true);
    RepaintNow();
    if (guard.Freed()) return;
    Click();
    if (guard.Freed()) return;
    SetDown(false);
    message.Result = 1;
    RepaintNow();
    return;
  }
  inherited::WndProc(message);
}

void TsButton::CMFocusChanged(TMessage& message) {
  auto* focused = reinterpret_cast<TControl*>(message.LParam);
  const bool was = active_;
  if (auto* button = DynamicCast<TsButton>(focused))
    active_ = button == this;
  else
    active_ = default_;
  if (active_ != was) style_->Invalidate();
  style_->BGChanged = true;
}

void TsButton::CNCommand(TMessage& message) {
  (void)message;
  style_->BGChanged = true;
  Click();
}

void TsButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  style_->BGChanged = true;
  TsLifeGuard guard(style_);
  inherited::MouseDown(button, shift, x, y);
  if (guard.Freed()) return;
  // A button that cannot take the focus (hidden, disabled, on a hidden form) is left alone.
  if (CanFocus()) SetFocus();
}

void TsButton::PaintFocus(const RECT& caption) {
  const bool show =
      IsValidSkinIndex(style_->SkinIndex) ? SkinGeneralData[style_->SkinIndex].ShowFocus : show_focus_;
  if (!show || !show_caption_) return;
  RECT r = caption;
  InflateRect(&r, focus_margin_, focus_margin_);
  PaintDottedFrame(style_->GetCacheBmp()->GetCanvas(), r);
}

// ---- TsBitBtn -----------------------------------------------------------------------------------

TK_CLASS_INFO(TsBitBtn, TsButton)

void TsBitBtn::Publish(TPublisher<TsBitBtn>& p) {
  p.Object("Glyph", &TsBitBtn::GetGlyph, &TsBitBtn::SetGlyph);
}

TsBitBtn::TsBitBtn(TComponent* owner) : TsButton(owner), glyph_(this) { style_->COC = kBitBtnKind; }

TsBitBtn::~TsBitBtn() = default;

int TsBitBtn::GlyphHeight() { return glyph_.HasGlyph() ? glyph_.Height() : TsButtonControl::GlyphHeight(); }

int TsBitBtn::GlyphWidth() {
  return glyph_.HasGlyph() ? glyph_.Width(num_glyphs_) : TsButtonControl::GlyphWidth();
}

void TsBitBtn::SetGlyph(TBitmap* value) {
  glyph_.Glyph()->Assign(value);
  style_->Invalidate();
}

void TsBitBtn::DrawGlyph() {
  if (!glyph_.HasGlyph()) return TsButtonControl::DrawGlyph();
  const RECT r = GlyphRect();
  glyph_.Draw(style_->GetCacheBmp(), POINT{r.left, r.top}, Hot());
}
