#include "widgets/wxspeedbutton.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/forms.h"
#include "toolkit/imagelist.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& TrackFontOptionInfo() {
  static const TEnumInfo info{"hoFollowFont",   "hoPreserveCharSet", "hoPreserveColor", "hoPreserveHeight",
                              "hoPreserveName", "hoPreservePitch",   "hoPreserveStyle"};
  return info;
}

COLORREF Shifted(COLORREF rgb, int amount) {
  auto c = [amount](int v) { return static_cast<BYTE>(std::clamp(v + amount, 0, 255)); };
  return RGB(c(GetRValue(rgb)), c(GetGValue(rgb)), c(GetBValue(rgb)));
}

// One pixel ring: top and left in one colour, bottom and right in the other; rect shrinks by 1.
void Ring(HDC dc, RECT& rect, COLORREF top_left, COLORREF bottom_right) {
  auto fill = [dc](int l, int t, int r, int b, COLORREF c) {
    HBRUSH brush = CreateSolidBrush(c);
    RECT area{l, t, r, b};
    FillRect(dc, &area, brush);
    DeleteObject(brush);
  };
  fill(rect.left, rect.top, rect.right, rect.top + 1, top_left);
  fill(rect.left, rect.top, rect.left + 1, rect.bottom, top_left);
  fill(rect.left, rect.bottom - 1, rect.right, rect.bottom, bottom_right);
  fill(rect.right - 1, rect.top, rect.right, rect.bottom, bottom_right);
  InflateRect(&rect, -1, -1);
}

// The held-down face: a checker of button face and highlight.
void FillDither(HDC dc, const RECT& rect) {
  const COLORREF a = ColorToRGB(clBtnFace), b = ColorToRGB(clBtnHighlight);
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) SetPixel(dc, x, y, ((x + y) & 1) ? b : a);
}

TButtonState GlyphState(TWxButtonState state) {
  switch (state) {
    case wbsDisabled: return bsDisabled;
    case wbsDown: return bsDown;
    case wbsExclusive: return bsExclusive;
    default: return bsUp;
  }
}

}  // namespace

TK_CLASS_INFO(TWxCustomSpeedButton, TWxGraphicControl)
TK_CLASS_INFO(TWxSpeedButton, TWxCustomSpeedButton)

void TWxCustomSpeedButton::Publish(TPublisher<TWxCustomSpeedButton>& p) {
  using C = TWxCustomSpeedButton;
  p.String("Caption", &C::GetCaption, &C::SetCaption);
  p.Boolean("AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false);
  p.Boolean("AllowTimer", &C::GetAllowTimer, &C::SetAllowTimer).Default(false);
  p.Integer("GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0);
  p.Boolean("Down", &C::GetDown, &C::SetDown).Default(false);
  p.Boolean("DoubleBuffered", &C::GetDoubleBuffered, &C::SetDoubleBuffered).Default(true);
  p.Boolean("Flat", &C::GetFlat, &C::SetFlat).Default(false);
  p.Object("Glyph", &C::GetGlyph, &C::SetGlyph);
  p.Integer("NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1);
  p.Boolean("GrayedInactive", &C::GetGrayedInactive, &C::SetGrayedInactive).Default(true);
  p.Boolean("HotTrack", &C::GetHotTrack, &C::SetHotTrack).Default(false);
  p.Object("HotTrackFont", &C::GetHotTrackFont, &C::SetHotTrackFont);
  p.Set("HotTrackFontOptions", TrackFontOptionInfo(), &C::GetHotTrackFontOptions, &C::SetHotTrackFontOptions);
  p.Object("HotTrackGlyph", &C::GetHotTrackGlyph, &C::SetHotTrackGlyph);
  p.Integer("InitPause", &C::GetInitPause, &C::SetInitPause).Default(500);
  p.Enumeration("Layout", ButtonLayoutInfo(), &C::GetLayout, &C::SetLayout).Default(blGlyphTop);
  p.Integer("Margin", &C::GetMargin, &C::SetMargin).Default(-1);
  p.Integer("RepeatInterval", &C::GetRepeatInterval, &C::SetRepeatInterval).Default(100);
  p.Integer("Spacing", &C::GetSpacing, &C::SetSpacing).Default(1);
  p.Boolean("Transparent", &C::GetTransparent, &C::SetTransparent).Default(false);
}

TK_BEGIN_MESSAGE_MAP(TWxCustomSpeedButton)
TK_MESSAGE(CM_WXBUTTONPRESSED, CMButtonPressed)
TK_MESSAGE(CM_SYSCOLORCHANGE, CMSysColorChange)
TK_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
TK_MESSAGE(WM_CANCELMODE, WMCancelMode)
TK_END_MESSAGE_MAP()

TWxCustomSpeedButton::TWxCustomSpeedButton(TComponent* owner) : TWxGraphicControl(owner) {
  hot_track_font_ = New<TFont>();
  glyph_.OnChange = TNotifyEvent(this, &TWxCustomSpeedButton::GlyphChanged);
  hot_glyph_.OnChange = TNotifyEvent(this, &TWxCustomSpeedButton::GlyphChanged);
  control_style_ = {csCaptureMouse, csOpaque, csDoubleClicks, csReplicatable};
  SetParentColor(false);
  SetColor(clBtnFace);
  SetBounds(0, 0, 25, 25);
  SetParentFont(true);
  SetParentShowHint(false);
  SetShowHint(true);
  FollowFont();
}

TWxCustomSpeedButton::~TWxCustomSpeedButton() {
  StopRepeat();
  Free(repeat_timer_);
  Free(hot_track_font_);
}

void TWxCustomSpeedButton::GlyphChanged(TObject*) { Invalidate(); }

void TWxCustomSpeedButton::ActionChange(TObject* sender, bool check_defaults) {
  inherited::ActionChange(sender, check_defaults);
  auto* action = DynamicCast<TCustomAction>(sender);
  if (!action) return;
  if (!check_defaults || group_index_ == 0) SetGroupIndex(action->GetGroupIndex());
  TCustomImageList* images = action->GetActionList() ? action->GetActionList()->GetImages() : nullptr;
  int index = action->GetImageIndex();
  if (!GetGlyph()->GetEmpty() || !images || index < 0 || index >= images->GetCount()) return;
  // Fuchsia shows where the image is masked out, and is the glyph's transparent colour.
  TBitmap* glyph = New<TBitmap>();
  glyph->SetSize(images->GetWidth(), images->GetHeight());
  glyph->GetCanvas()->GetBrush()->SetColor(clFuchsia);
  glyph->GetCanvas()->FillRect(RECT{0, 0, images->GetWidth(), images->GetHeight()});
  images->Draw(glyph->GetCanvas(), 0, 0, index);
  glyph->SetTransparentColor(clFuchsia);
  SetGlyph(glyph);
  Free(glyph);
}

TControlActionLink* TWxCustomSpeedButton::CreateActionLink() { return New<TWxSpeedButtonActionLink>(this); }

TK_ABSTRACT_CLASS_INFO(TWxSpeedButtonActionLink, TControlActionLink)

bool TWxSpeedButtonActionLink::IsCheckedLinked() {
  return inherited::IsCheckedLinked() && button_->GetGroupIndex() != 0 && button_->GetAllowAllUp() &&
         button_->GetDown() == Action()->GetChecked();
}
bool TWxSpeedButtonActionLink::IsGroupIndexLinked() {
  return inherited::IsGroupIndexLinked() && button_->GetGroupIndex() == Action()->GetGroupIndex();
}
void TWxSpeedButtonActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) button_->SetDown(value);
}
void TWxSpeedButtonActionLink::SetGroupIndex(int value) {
  if (IsGroupIndexLinked()) button_->SetGroupIndex(value);
}

void TWxCustomSpeedButton::SetAllowAllUp(bool value) {
  if (value == allow_all_up_) return;
  allow_all_up_ = value;
  NotifyGroup();
}

void TWxCustomSpeedButton::SetGroupIndex(int value) {
  if (value == group_index_) return;
  group_index_ = value;
  // Out of every group a button cannot stay down.
  if (group_index_ == 0 && down_) {
    down_ = false;
    state_ = wbsUp;
    Invalidate();
  }
  NotifyGroup();
}

void TWxCustomSpeedButton::SetDown(bool value) {
  if (group_index_ == 0) value = false;
  if (value == down_ || (down_ && !allow_all_up_)) return;
  down_ = value;
  state_ = value ? wbsExclusive : wbsUp;
  Invalidate();
  if (value) NotifyGroup();
}

void TWxCustomSpeedButton::SetAllowTimer(bool value) {
  allow_timer_ = value;
  if (!value && repeat_timer_) {
    StopRepeat();
    Free(repeat_timer_);
    repeat_timer_ = nullptr;
  }
}

void TWxCustomSpeedButton::SetMargin(int value) {
  if (value >= -1) Change(margin_, value);
}

void TWxCustomSpeedButton::SetTransparent(bool value) {
  if (value == transparent_) return;
  transparent_ = value;
  if (value)
    control_style_.Exclude(csOpaque);
  else
    control_style_.Include(csOpaque);
  Invalidate();
}

void TWxCustomSpeedButton::SetHotTrackFontOptions(TWxTrackFontOptions value) {
  if (value == font_options_) return;
  font_options_ = value;
  FollowFont();
}

void TWxCustomSpeedButton::FollowFont() {
  if (!font_options_.Contains(hoFollowFont)) return;
  TFont* f = GetFont();
  if (!font_options_.Contains(hoPreserveCharSet)) hot_track_font_->SetCharset(f->GetCharset());
  if (!font_options_.Contains(hoPreserveColor)) hot_track_font_->SetColor(f->GetColor());
  if (!font_options_.Contains(hoPreserveHeight)) hot_track_font_->SetHeight(f->GetHeight());
  if (!font_options_.Contains(hoPreserveName)) hot_track_font_->SetName(f->GetName());
  if (!font_options_.Contains(hoPreservePitch)) hot_track_font_->SetPitch(f->GetPitch());
  if (!font_options_.Contains(hoPreserveStyle)) hot_track_font_->SetStyle(f->GetStyle());
}

void TWxCustomSpeedButton::NotifyGroup() {
  TWinControl* parent = GetParent();
  if (group_index_ == 0 || !parent) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* other = parent->GetControl(i);
    if (other != this)
      other->Perform(CM_WXBUTTONPRESSED, static_cast<WPARAM>(group_index_), reinterpret_cast<LPARAM>(this));
  }
}

void TWxCustomSpeedButton::CMButtonPressed(TMessage& message) {
  auto* sender = DynamicCast<TWxCustomSpeedButton>(reinterpret_cast<TObject*>(message.LParam));
  if (static_cast<int>(message.WParam) != group_index_ || !sender || sender == this) return;
  if (sender->down_ && down_) {
    down_ = false;
    state_ = wbsUp;
    Invalidate();
  }
  // The whole group shares AllowAllUp.
  allow_all_up_ = sender->allow_all_up_;
}

void TWxCustomSpeedButton::CMSysColorChange(TMessage&) { Invalidate(); }

void TWxCustomSpeedButton::Loaded() {
  inherited::Loaded();
  state_ = !GetEnabled() ? wbsDisabled : down_ ? wbsExclusive : wbsUp;
  FollowFont();
}

void TWxCustomSpeedButton::Click() {
  if (TCustomForm* form = GetParentForm(this); form && modal_result_ != mrNone)
    form->SetModalResult(modal_result_);
  inherited::Click();
}

bool TWxCustomSpeedButton::WantKey(int key, TShiftState shift, const std::string& key_text) {
  if (IsAccel(static_cast<WPARAM>(key), GetCaption()) && GetEnabled() && shift.Contains(ssAlt)) {
    Click();
    return true;
  }
  return inherited::WantKey(key, shift, key_text);
}

// ---- Mouse --------------------------------------------------------------------------------

void TWxCustomSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseDown(button, shift, x, y);
  if (!GetMouseOver() && GetEnabled()) Perform(CM_MOUSEENTER, 0, 0);
  if (button != mbLeft || !GetEnabled()) return;
  if (!down_) {
    state_ = wbsDown;
    Invalidate();
  }
  dragging_ = true;
  if (allow_timer_) {
    if (!repeat_timer_) {
      repeat_timer_ = New<TTimer>(nullptr);
      repeat_timer_->SetOnTimer(TNotifyEvent(this, &TWxCustomSpeedButton::RepeatTick));
    }
    repeat_timer_->SetInterval(init_pause_);
    repeat_timer_->SetEnabled(true);
  }
}

void TWxCustomSpeedButton::RepeatTick(TObject*) {
  if (!repeat_timer_) return;
  repeat_timer_->SetInterval(repeat_interval_);
  // One click per tick while held on the button; a release or a lost capture ends the repeat.
  if (state_ == wbsDown && dragging_ && GetMouseCapture()) return Click();
  StopRepeat();
  // The capture went elsewhere without a release: the press ends here, without a click.
  if (dragging_ && !GetMouseCapture()) FinishPress(-1, -1);
}

void TWxCustomSpeedButton::StopRepeat() {
  if (repeat_timer_) repeat_timer_->SetEnabled(false);
}

void TWxCustomSpeedButton::MouseMove(TShiftState shift, int x, int y) {
  inherited::MouseMove(shift, x, y);
  if (!dragging_) return;
  const bool inside = x >= 0 && x < GetClientWidth() && y >= 0 && y < GetClientHeight();
  const TWxButtonState state = down_ ? wbsExclusive : inside ? wbsDown : wbsUp;
  if (state != state_) {
    state_ = state;
    Invalidate();
  }
}

void TWxCustomSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  if (button == mbLeft) FinishPress(x, y);
  StopRepeat();
}

void TWxCustomSpeedButton::FinishPress(int x, int y) {
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = x >= 0 && x < GetClientWidth() && y >= 0 && y < GetClientHeight();
  if (group_index_ == 0) {
    state_ = wbsUp;
  } else if (inside) {
    SetDown(!down_);
    state_ = down_ ? wbsExclusive : wbsUp;
  } else {
    state_ = down_ ? wbsExclusive : wbsUp;
  }
  Invalidate();
  if (inside) Click();
  // The release point is where the pointer is: hot only while it is still over the button.
  UpdateHot(inside && GetEnabled());
}

void TWxCustomSpeedButton::UpdateHot(bool hot) {
  if (hot != GetMouseOver()) Perform(hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TWxCustomSpeedButton::WMLButtonDblClk(TMessage& message) {
  TK_INHERITED(message);
  if (down_) DblClick();
}

void TWxCustomSpeedButton::WMCancelMode(TMessage& message) {
  // The toolkit ends a held press as a release outside: no click, no repeat.
  TK_INHERITED(message);
  StopRepeat();
  if (dragging_) FinishPress(-1, -1);
}

bool TWxCustomSpeedButton::RepaintsOnHover() const {
  return WxVisualStyles() || hot_track_ || (flat_ && GetEnabled() && !dragging_);
}

void TWxCustomSpeedButton::MouseEnter(TControl* control) {
  const bool mine = !control && !GetMouseOver() && GetEnabled();
  inherited::MouseEnter(control);
  if (mine && RepaintsOnHover()) Invalidate();
}

void TWxCustomSpeedButton::MouseLeave(TControl* control) {
  const bool mine = !control && GetMouseOver() && GetEnabled();
  inherited::MouseLeave(control);
  if (mine && RepaintsOnHover()) Invalidate();
}

// ---- Notifications ------------------------------------------------------------------------

void TWxCustomSpeedButton::EnabledChanged() {
  inherited::EnabledChanged();
  if (!GetEnabled()) {
    dragging_ = false;
    StopRepeat();
    state_ = wbsDisabled;
    if (GetMouseOver()) Perform(CM_MOUSELEAVE, 0, 0);
  } else if (state_ == wbsDisabled) {
    state_ = down_ && group_index_ ? wbsExclusive : wbsUp;
  }
  Invalidate();
}

void TWxCustomSpeedButton::FontChanged() {
  inherited::FontChanged();
  FollowFont();
  Invalidate();
}

void TWxCustomSpeedButton::TextChanged() {
  inherited::TextChanged();
  Invalidate();
}

void TWxCustomSpeedButton::VisibleChanged() { inherited::VisibleChanged(); }

// ---- Painting -----------------------------------------------------------------------------

void TWxCustomSpeedButton::Paint() {
  if (!GetEnabled()) {
    state_ = wbsDisabled;
    dragging_ = false;
  } else if (state_ == wbsDisabled) {
    state_ = down_ && group_index_ ? wbsExclusive : wbsUp;
  }
  if (!double_buffered_) return PaintFace(GetCanvas());
  // Drawn off-screen and copied in one go, so a held button never flickers.
  TBitmap* buffer = New<TBitmap>();
  buffer->SetPixelFormat(pf24bit);
  buffer->SetSize(GetWidth(), GetHeight());
  PaintFace(buffer->GetCanvas());
  BitBlt(GetCanvas()->GetHandle(), 0, 0, GetWidth(), GetHeight(), buffer->GetCanvas()->GetHandle(), 0, 0,
         SRCCOPY);
  Free(buffer);
}

void TWxCustomSpeedButton::PaintFace(TCanvas* canvas) {
  const bool designing = GetComponentState().Contains(csDesigning);
  const bool hot = GetMouseOver() && GetEnabled();
  TWxButtonState paint_state = state_;
  // A flat button shows no frame until the pointer is over it; one held down always does.
  if (flat_ && !hot && !designing && state_ != wbsExclusive && state_ != wbsDisabled)
    paint_state = wbsInactive;
  HDC dc = canvas->GetHandle();
  RECT rect{0, 0, GetWidth(), GetHeight()};
  if (transparent_)
    PerformEraseBackground(this, dc, {GetLeft(), GetTop()}, &rect);
  else
    DrawThemedBackground(this, canvas, rect, GetColor(), false);
  const bool pressed = paint_state == wbsDown || paint_state == wbsExclusive;
  if (paint_state == wbsInactive) {
    InflateRect(&rect, -2, -2);
  } else {
    const COLORREF base = ColorToRGB(GetColor());
    const COLORREF light = Shifted(base, 64), dark = Shifted(base, -64);
    if (flat_) {
      pressed ? Ring(dc, rect, dark, light) : Ring(dc, rect, light, dark);
    } else if (pressed) {
      Ring(dc, rect, ColorToRGB(clWindowFrame), light);
      Ring(dc, rect, dark, base);
    } else {
      Ring(dc, rect, light, ColorToRGB(clWindowFrame));
      Ring(dc, rect, base, dark);
    }
    InflateRect(&rect, -1, -1);
    if (paint_state == wbsExclusive && !transparent_) FillDither(dc, rect);
  }
  PaintImage(canvas, rect, pressed ? POINT{1, 1} : POINT{0, 0}, paint_state, hot);
}

void TWxCustomSpeedButton::PaintImage(TCanvas* canvas, const RECT& rect, POINT offset, TWxButtonState state,
                                      bool hot) {
  const bool hot_look = hot_track_ && (hot || dragging_);
  TFont* font = hot_look ? hot_track_font_ : GetFont();
  const TButtonGlyph& glyph = hot_look && !hot_glyph_.GetGlyph()->GetEmpty() ? hot_glyph_ : glyph_;
  HDC dc = canvas->GetHandle();
  HGDIOBJ old_font = SelectObject(dc, font->GetHandle());
  glyph.Draw(dc, rect, offset, GetCaption(), layout_, margin_, spacing_, GlyphState(state), font->GetColor());
  SelectObject(dc, old_font);
}
