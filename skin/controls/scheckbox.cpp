#include "skin/controls/scheckbox.h"

#include <algorithm>
#include <array>

#include "skin/engine/sbevels.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/graphics.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kDefaultGlyph = 14;

const TEnumInfo& DisabledKindInfo() {
  static const TEnumInfo info{"dkBlended", "dkGrayed"};
  return info;
}

void DrawDefaultGlyph(TBitmap* bmp, bool radio, bool checked, bool hot) {
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(kDefaultGlyph, kDefaultGlyph);
  TCanvas* c = bmp->GetCanvas();
  c->GetBrush()->SetColor(sKeyColor);
  c->FillRect(RECT{0, 0, kDefaultGlyph, kDefaultGlyph});
  c->GetPen()->SetColor(hot ? TColor(0x00D08040) : TColor(0x00808080));
  c->GetPen()->SetWidth(1);
  c->GetBrush()->SetColor(hot ? TColor(0x00FFF4E8) : clWhite);
  const TColor mark = 0x00202020;
  if (radio) {
    c->Ellipse(0, 0, kDefaultGlyph, kDefaultGlyph);
    if (!checked) return;
    c->GetPen()->SetColor(mark);
    c->GetBrush()->SetColor(mark);
    c->Ellipse(4, 4, kDefaultGlyph - 4, kDefaultGlyph - 4);
    return;
  }
  c->Rectangle(0, 0, kDefaultGlyph, kDefaultGlyph);
  if (!checked) return;
  c->GetPen()->SetColor(mark);
  c->GetPen()->SetWidth(2);
  c->MoveTo(3, 7);
  c->LineTo(6, 10);
  c->LineTo(11, 4);
}

UINT AlignmentFlag(TAlignment alignment) {
  switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
  }
}

}  // namespace

TBitmap* DefaultCheckGlyph(bool radio, bool checked, bool hot) {
  // Made once and kept for the process, like the other built-in pictures.
  static std::array<TBitmap*, 8> glyphs{};
  TBitmap*& glyph = glyphs[(radio ? 4 : 0) + (checked ? 2 : 0) + (hot ? 1 : 0)];
  if (!glyph) {
    glyph = New<TBitmap>();
    DrawDefaultGlyph(glyph, radio, checked, hot);
  }
  return glyph;
}

const TEnumInfo& CheckAreaLayoutInfo() {
  static const TEnumInfo info{"calLeft", "calRight"};
  return info;
}

// ---- TsCheckedControl ---------------------------------------------------------------------------

TK_CLASS_INFO(TsCheckedControl, TCustomControl)

void TsCheckedControl::Publish(TPublisher<TsCheckedControl>& p) {
  using P = TsCheckedControl;
  p.String("Caption", &P::GetCaption, &P::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &P::GetAlignment, &P::SetAlignment).Default(taLeftJustify);
  p.Enumeration("Layout", CheckAreaLayoutInfo(), &P::GetLayout, &P::SetLayout).Default(calLeft);
  p.Boolean("ShowFocus", &P::GetShowFocus, &P::SetShowFocus).Default(true);
  p.Boolean("MultiLine", &P::GetMultiLine, &P::SetMultiLine).Default(false);
  p.Object("Images", &P::GetImages, &P::SetImages);
  p.Integer("ImgChecked", &P::GetImgChecked, &P::SetImgChecked).Default(0);
  p.Integer("ImgUnchecked", &P::GetImgUnchecked, &P::SetImgUnchecked).Default(0);
  p.Integer("ImgCheckedHot", &P::GetImgCheckedHot, &P::SetImgCheckedHot).Default(0);
  p.Integer("ImgUncheckedHot", &P::GetImgUncheckedHot, &P::SetImgUncheckedHot).Default(0);
  p.Object("GlyphChecked", &P::GetGlyphChecked, &P::SetGlyphChecked);
  p.Object("GlyphUnChecked", &P::GetGlyphUnChecked, &P::SetGlyphUnChecked);
  p.Set("DisabledKind", DisabledKindInfo(), &P::GetDisabledKind, &P::SetDisabledKind)
      .Default(TsDisabledKind{dkBlended}.Bits());
  p.Integer("TextIndent", &P::GetTextIndent, &P::SetTextIndent).Default(0);
  p.Object("sStyle", &P::GetSkinData, &P::SetSkinData);
  p.Boolean("Checked", &P::GetChecked, &P::SetChecked).Default(false);
  p.Event("OnChange", &P::OnChange);
  p.Event("OnClick", &P::OnClick);
}

TsCheckedControl::TsCheckedControl(TComponent* owner)
    : TCustomControl(owner), glyph_checked_(New<TBitmap>()), glyph_unchecked_(New<TBitmap>()) {
  style_ = New<TsStyle>(this);
  style_->COC = COC_TsCheckedControl;
  style_->SetStyleQueries(this);
  // Clicks are raised here, once per release; the toolkit's own would come on top.
  control_style_.Exclude(csClickEvents);
  control_style_.Include(csOpaque);
  SetBounds(0, 0, 100, 17);
  SetHeight(18);
  SetParentColor(true);
  SetTabStop(true);
}

TsCheckedControl::~TsCheckedControl() {
  FreeAndNil(style_);
  Free(glyph_checked_);
  Free(glyph_unchecked_);
}

void TsCheckedControl::WndProc(TMessage& message) {
  if (style_ && style_->HandleFirst(message)) return;  // answered, or we are gone
  switch (message.Msg) {
    case WM_ERASEBKGND:
      if (style_ && IsValidSkinIndex(style_->SkinIndex)) {
        message.Result = 1;
        return;
      }
      break;
    case CM_TEXTCHANGED:
      AdjustSize();
      if (style_) style_->Invalidate();
      break;
    case CM_FONTCHANGED: AdjustSize(); break;
    case CM_EXIT: SetPressed(false); break;
  }
  inherited::WndProc(message);
}

void TsCheckedControl::Loaded() {
  inherited::Loaded();
  style_->UpdateIndexes();
  AdjustSize();  // the skin's glyph may differ from the one the size was stored with
}

void TsCheckedControl::CreateWnd() {
  inherited::CreateWnd();
  // A control made in code has no Loaded: its section is looked up with its window.
  if (style_->SkinIndex < 0) style_->UpdateIndexes();
}

void TsCheckedControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == images_) images_ = nullptr;
}

// ---- State ------------------------------------------------------------------------------------

void TsCheckedControl::StoreState(TCheckBoxState value) {
  if (value == state_) return;
  state_ = value;
  if (style_) style_->Invalidate();
  StateChanged();
}

void TsCheckedControl::SetChecked(bool value) {
  if (value == GetChecked()) return;
  StoreState(ValidateChecked(value) ? cbChecked : cbUnchecked);
}

void TsCheckedControl::SetState(TCheckBoxState value) {
  if (value == cbGrayed)
    StoreState(value);
  else
    SetChecked(value == cbChecked);
}

void TsCheckedControl::Toggle() {
  if (state_ == cbChecked)
    SetChecked(false);
  else if (state_ == cbGrayed)
    SetChecked(true);
}

// ---- Mouse and keyboard -------------------------------------------------------------------------

bool TsCheckedControl::Usable() {
  return !GetReadOnly() && GetEnabled() && !GetComponentState().Contains(csDestroying) && AcceptsInput();
}

void TsCheckedControl::SetPressed(bool value) {
  if (value == pressed_) return;
  pressed_ = value;
  if (style_) {
    style_->Pressed = value;
    style_->Invalidate();
  }
}

void TsCheckedControl::UserToggle() {
  SetChecked(!GetChecked());
  Click();  // raises OnClick: once per toggle
  if (OnChange) OnChange(this);
}

void TsCheckedControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (button != mbLeft || !Usable()) return;
  SetPressed(true);
  if (!GetComponentState().Contains(csDesigning) && !Focused() && CanFocus()) SetFocus();
}

void TsCheckedControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button != mbLeft || !pressed_) return;
  if (Usable() && !GetComponentState().Contains(csDesigning)) UserToggle();
  SetPressed(false);
}

void TsCheckedControl::KeyDown(WORD& key, TShiftState shift) {
  inherited::KeyDown(key, shift);
  if (key == VK_SPACE && shift.Empty() && Usable()) SetPressed(true);
}

void TsCheckedControl::KeyUp(WORD& key, TShiftState shift) {
  inherited::KeyUp(key, shift);
  if (key != VK_SPACE || !pressed_) return;
  if (Usable()) UserToggle();
  SetPressed(false);
}

// ---- Properties -------------------------------------------------------------------------------

void TsCheckedControl::Changed(bool glyph_size_may_change) {
  if (glyph_size_may_change) AdjustSize();
  if (style_) style_->Invalidate();
}

void TsCheckedControl::SetAutoSize(bool value) {
  if (value == auto_size_) return;
  auto_size_ = value;
  AdjustSize();
}

void TsCheckedControl::AdjustSize() {
  const TComponentState state = GetComponentState();
  if (!auto_size_ || !GetParent() || IsReading() || state.Contains(csLoading) || state.Contains(csDestroying))
    return;
  const SIZE glyph = GlyphSize();
  const RECT check = GetCheckRect();
  const int glyph_side = check.right - check.left + text_indent_;
  int width = glyph_side;
  int height = glyph.cy;
  if (!GetCaption().empty()) {
    // Measured as PaintCaption writes it, in a box as wide as the caption may be now.
    RECT text{0, 0, multi_line_ ? std::max(GetWidth() - glyph_side - margin_, 1) : 0, 0};
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old_font = SelectObject(dc, GetFont()->GetHandle());
    DrawTextA(dc, GetCaption().c_str(), -1, &text, CaptionFlags() | DT_CALCRECT);
    SelectObject(dc, old_font);
    DeleteDC(dc);
    if (!multi_line_) width += text.right + margin_;
    // The caption's box lies 2 pixels lower than the margin alone would put it.
    height = std::max<int>(height, text.bottom + 2 * margin_ + 2);
  }
  if (multi_line_) width = GetWidth();
  int left = GetLeft();
  if (alignment_ == taRightJustify) left += GetWidth() - width;
  SetBounds(left, GetTop(), width, height);
}

void TsCheckedControl::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Changed(false);
}

void TsCheckedControl::SetLayout(TCheckAreaLayout value) {
  if (value == layout_) return;
  layout_ = value;
  Changed(true);  // the glyph's box is wider on the right
}

void TsCheckedControl::SetShowFocus(bool value) {
  if (value == show_focus_) return;
  show_focus_ = value;
  Changed(false);
}

void TsCheckedControl::SetMultiLine(bool value) {
  if (value == multi_line_) return;
  multi_line_ = value;
  Changed(true);
}

void TsCheckedControl::SetImages(TCustomImageList* value) {
  if (value == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = value;
  if (images_) images_->FreeNotification(this);
  Changed(true);
}

void TsCheckedControl::SetImgChecked(int value) {
  if (value == img_checked_) return;
  img_checked_ = value;
  Changed(true);
}

void TsCheckedControl::SetImgUnchecked(int value) {
  if (value == img_unchecked_) return;
  img_unchecked_ = value;
  Changed(true);
}

void TsCheckedControl::SetImgCheckedHot(int value) {
  if (value == img_checked_hot_) return;
  img_checked_hot_ = value;
  Changed(false);
}

void TsCheckedControl::SetImgUncheckedHot(int value) {
  if (value == img_unchecked_hot_) return;
  img_unchecked_hot_ = value;
  Changed(false);
}

void TsCheckedControl::SetGlyphChecked(TBitmap* value) {
  glyph_checked_->Assign(value);
  Changed(true);
}

void TsCheckedControl::SetGlyphUnChecked(TBitmap* value) {
  glyph_unchecked_->Assign(value);
  Changed(true);
}

void TsCheckedControl::SetDisabledKind(TsDisabledKind value) {
  if (value == disabled_kind_) return;
  disabled_kind_ = value;
  if (!GetEnabled()) Changed(false);
}

void TsCheckedControl::SetTextIndent(int value) {
  if (value == text_indent_) return;
  text_indent_ = value;
  Changed(true);
}

void TsCheckedControl::SetSkinData(TsStyle* value) { style_->Assign(value); }

// ---- Glyph --------------------------------------------------------------------------------------

int TsCheckedControl::SectionGlyphIndex(TCheckBoxState state) {
  if (!style_ || !IsValidSkinIndex(style_->SkinIndex)) return -1;
  const int own = GetMaskIndex(style_->SkinIndex, style_->GetSkinSection(),
                               state == cbUnchecked ? "GLYPHUNCHECKED" : "GLYPHCHECKED");
  return IsValidImgIndex(own) ? own : -1;
}

SIZE TsCheckedControl::GlyphSize() {
  auto mask_size = [](int mask) { return mask >= 0 ? GetMaskFrameSize(mask) : SIZE{}; };
  const SIZE section = mask_size(SectionGlyphIndex(cbChecked));
  if (section.cx > 0 && section.cy > 0) return section;
  if (!glyph_checked_->GetEmpty()) return SIZE{glyph_checked_->GetWidth(), glyph_checked_->GetHeight()};
  if (images_) return SIZE{images_->GetWidth(), images_->GetHeight()};
  if (TBitmap* glyph = DefaultCheckGlyph(IsRadio(), true, false)) {
    // Check-box glyphs drawn 18 high carry a margin: they count as 14.
    const int height = !IsRadio() && glyph->GetHeight() == 18 ? 14 : glyph->GetHeight();
    return SIZE{glyph->GetWidth(), height};
  }
  return SIZE{kDefaultGlyph, kDefaultGlyph};
}

RECT TsCheckedControl::GetCheckRect() {
  const SIZE size = GlyphSize();
  const int top = (GetHeight() - size.cy) / 2;
  if (layout_ == calRight) return RECT{GetWidth() - size.cx - 3, top, GetWidth(), top + size.cy};
  return RECT{0, top, size.cx, top + size.cy};
}

// ---- Painting -----------------------------------------------------------------------------------

void TsCheckedControl::Paint() {
  if (!style_ || GetComponentState().Contains(csLoading) || GetComponentState().Contains(csDestroying))
    return;
  style_->InitCacheBmp();
  TBitmap* cache = style_->GetCacheBmp();
  cache->GetCanvas()->SetFont(GetFont());
  const bool skinned = IsValidSkinIndex(style_->SkinIndex);
  const RECT all{0, 0, GetWidth(), GetHeight()};
  TsCacheInfo ci;
  style_->GetParentCacheInfo(ci);
  if (skinned) {
    PaintItemBG(style_->SkinIndex, style_->GetSkinSection(), ci, 0, all, POINT{GetLeft(), GetTop()}, cache);
  } else {
    TCanvas* c = cache->GetCanvas();
    // The caption leaves the brush clear: the fill must cover the last picture.
    c->GetBrush()->SetStyle(bsSolid);
    c->GetBrush()->SetColor(GetParent() ? GetParent()->GetColor() : GetColor());
    c->FillRect(RECT{-1, -1, GetWidth() + 1, GetHeight() + 1});
  }
  if (!GetCaption().empty()) PaintCaption(cache);
  PaintGlyph(cache);
  if (!GetEnabled()) FillControlBG(cache, disabled_kind_, this, POINT{GetLeft(), GetTop()}, ci);
  BitBlt(GetCanvas()->GetHandle(), 0, 0, GetWidth(), GetHeight(), cache->GetCanvas()->GetHandle(), 0, 0,
         SRCCOPY);
  style_->BGChanged = false;
}

RECT TsCheckedControl::CaptionRect() {
  RECT r{margin_, margin_, GetWidth() - margin_, GetHeight() - margin_};
  // On the right the glyph's box keeps 3 pixels free beyond the glyph: the text stops at the box.
  const RECT check = GetCheckRect();
  if (layout_ == calLeft)
    r.left = check.right + text_indent_;
  else
    r.right = check.left - text_indent_;
  return r;
}

UINT TsCheckedControl::CaptionFlags() const {
  return (multi_line_ ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER) | AlignmentFlag(alignment_);
}

void TsCheckedControl::PaintCaption(TBitmap* cache) {
  RECT r = CaptionRect();
  OffsetRect(&r, 0, 2);
  const UINT flags = CaptionFlags();
  TCanvas* c = cache->GetCanvas();
  c->GetBrush()->SetStyle(bsClear);
  if (IsValidSkinIndex(style_->SkinIndex))
    WriteTextWithContour(c, GetCaption(), GetEnabled(), r, flags, style_->SkinIndex,
                         style_->ControlIsActive());
  else
    WriteTextEx(c, GetCaption(), GetEnabled(), r, flags);
  if (show_focus_ && Focused()) {
    InflateRect(&r, 1, 1);
    c->GetBrush()->SetStyle(bsSolid);
    c->DrawFocusRect(r);
  }
}

void TsCheckedControl::PaintGlyph(TBitmap* cache) {
  const RECT r = GetCheckRect();
  // Hot under the mouse only: the focus has its own rectangle.
  const bool hot = pressed_ || (style_->GetMouseAbove() && GetEnabled());
  const bool checked = state_ != cbUnchecked;
  auto skin_glyph = [&](int mask) {
    const TsMaskData& data = SkinMasks[static_cast<size_t>(mask)];
    const int state = std::min(pressed_ ? 2 : hot ? 1 : 0, std::max(data.ImageCount - 1, 0));
    DrawSkinGlyph(cache, POINT{r.left, r.top}, state, data);
  };
  if (const int mask = SectionGlyphIndex(state_); mask >= 0) return skin_glyph(mask);
  TBitmap* own = checked ? glyph_checked_ : glyph_unchecked_;
  if (!own->GetEmpty()) {
    PaintGlyphOnBitmap(cache, own, POINT{r.left, r.top}, 0, true, disabled_kind_);
    return;
  }
  if (images_) {
    const int index =
        checked ? (hot ? img_checked_hot_ : img_checked_) : (hot ? img_unchecked_hot_ : img_unchecked_);
    images_->Draw(cache->GetCanvas(), r.left, r.top, index, true);
    return;
  }
  TBitmap* glyph = DefaultCheckGlyph(IsRadio(), checked, hot);
  PaintMaskedRect(cache, glyph, r.left, r.top, RECT{0, 0, glyph->GetWidth() - 1, glyph->GetHeight() - 1},
                  sKeyColor);
}

// ---- TsCheckBox and TsRadioButton -------------------------------------------------------------

TK_CLASS_INFO(TsCheckBox, TsCheckedControl)

void TsCheckBox::Publish(TPublisher<TsCheckBox>& p) {
  p.Enumeration("State", CheckBoxStateInfo(), &TsCheckBox::GetState, &TsCheckBox::SetState)
      .Default(cbUnchecked);
}

TK_CLASS_INFO(TsRadioButton, TsCheckedControl)

void TsRadioButton::Publish(TPublisher<TsRadioButton>& p) { (void)p; }

TsRadioButton::TsRadioButton(TComponent* owner) : TsCheckedControl(owner) { style_->COC = COC_TsRadioButton; }

void TsRadioButton::Uncheck() { StoreState(cbUnchecked); }

bool TsRadioButton::ValidateChecked(bool value) {
  if (!value) return GetChecked();
  if (!GetChecked() && GetParent()) {
    TWinControl* parent = GetParent();
    for (int i = 0; i < parent->GetControlCount(); ++i) {
      auto* sibling = DynamicCast<TsRadioButton>(parent->GetControl(i));
      if (sibling && sibling != this) sibling->Uncheck();
    }
  }
  return true;
}
