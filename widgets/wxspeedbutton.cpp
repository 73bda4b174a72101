#include "widgets/wxspeedbutton.h"

#include <uxtheme.h>

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/dragdock.h"
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

// Only the corner: top and left in one colour; rect shrinks by 1.
void Corner(HDC dc, RECT& rect, COLORREF color) {
  HBRUSH brush = CreateSolidBrush(color);
  RECT top{rect.left, rect.top, rect.right, rect.top + 1},
      left{rect.left, rect.top, rect.left + 1, rect.bottom};
  FillRect(dc, &top, brush);
  FillRect(dc, &left, brush);
  DeleteObject(brush);
  InflateRect(&rect, -1, -1);
}

const TEnumInfo& ButtonStyleInfo() {
  static const TEnumInfo info{"bsAutoDetect", "bsWin31", "bsNew"};
  return info;
}

const TEnumInfo& DropDownMenuPosInfo() {
  static const TEnumInfo info{"dmpBottom", "dmpRight"};
  return info;
}

// The system draws the old (3.1) look.
bool OldLook() { return LOBYTE(LOWORD(GetVersion())) < 4; }

// Right-to-left reading of the button (its parent's, unless it was given its own).
UINT BiDiFlags(const TControl* control) { return control->UseRightToLeftReading() ? DT_RTLREADING : 0; }

// The parent's own picture without its children; the toolkit keeps that step protected.
struct TParentPaint : TWinControl {
  static void Own(TWinControl* parent, HDC dc) {
    void (TWinControl::*paint)(HDC) = &TParentPaint::PaintWindow;
    (parent->*paint)(dc);
  }
};

// Sets csPaintCopy on a control for a scope.
class TPaintCopyScope {
 public:
  explicit TPaintCopyScope(TControl* control) : control_(control), state_(control->GetControlState()) {
    control->SetControlState(state_ + TControlState{csPaintCopy});
  }
  ~TPaintCopyScope() { control_->SetControlState(state_); }
  TPaintCopyScope(const TPaintCopyScope&) = delete;
  TPaintCopyScope& operator=(const TPaintCopyScope&) = delete;

 private:
  TControl* control_;
  TControlState state_;
};

// The visual-styles library, taken at run time: the program imports only the core system
// libraries, and without it the system's classic button is drawn instead.
struct TThemeApi {
  decltype(&OpenThemeData) open = nullptr;
  decltype(&CloseThemeData) close = nullptr;
  decltype(&DrawThemeBackground) draw = nullptr;
  decltype(&GetThemeBackgroundContentRect) content = nullptr;
  TThemeApi() {
    HMODULE library = LoadLibraryA("uxtheme.dll");
    if (!library) return;
    open =
        reinterpret_cast<decltype(open)>(reinterpret_cast<void*>(GetProcAddress(library, "OpenThemeData")));
    close =
        reinterpret_cast<decltype(close)>(reinterpret_cast<void*>(GetProcAddress(library, "CloseThemeData")));
    draw = reinterpret_cast<decltype(draw)>(
        reinterpret_cast<void*>(GetProcAddress(library, "DrawThemeBackground")));
    content = reinterpret_cast<decltype(content)>(
        reinterpret_cast<void*>(GetProcAddress(library, "GetThemeBackgroundContentRect")));
    if (!close || !draw || !content) open = nullptr;
  }
};

const TThemeApi& ThemeApi() {
  static const TThemeApi api;
  return api;
}

// Theme element states of a toolbar and a push button (the same numbers for both).
enum { kThemeNormal = 1, kThemeHot = 2, kThemePressed = 3, kThemeDisabled = 4 };
constexpr int kToolbarButton = 1, kPushButton = 1;

}  // namespace

TK_CLASS_INFO(TWxCustomSpeedButton, TWxGraphicControl)
TK_CLASS_INFO(TWxSpeedButton, TWxCustomSpeedButton)

void TWxCustomSpeedButton::Publish(TPublisher<TWxCustomSpeedButton>& p) {
  using C = TWxCustomSpeedButton;
  p.String("Caption", &C::GetCaption, &C::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &C::GetAlignment, &C::SetAlignment).Default(taCenter);
  p.Boolean("AllowAllUp", &C::GetAllowAllUp, &C::SetAllowAllUp).Default(false);
  p.Boolean("AllowTimer", &C::GetAllowTimer, &C::SetAllowTimer).Default(false);
  p.Integer("GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0);
  p.Boolean("Down", &C::GetDown, &C::SetDown).Default(false);
  p.Boolean("DoubleBuffered", &C::GetDoubleBuffered, &C::SetDoubleBuffered).Default(true);
  p.Object("DropDownMenu", &C::GetDropDownMenu, &C::SetDropDownMenu);
  p.Boolean("Flat", &C::GetFlat, &C::SetFlat).Default(false);
  p.Object("Glyph", &C::GetGlyph, &C::SetGlyph);
  p.Integer("NumGlyphs", &C::GetNumGlyphs, &C::SetNumGlyphs).Default(1);
  p.Boolean("GrayedInactive", &C::GetGrayedInactive, &C::SetGrayedInactive).Default(true);
  p.Boolean("GrayNewStyle", &C::GetGrayNewStyle, &C::SetGrayNewStyle).Default(true);
  p.Boolean("HotTrack", &C::GetHotTrack, &C::SetHotTrack).Default(false);
  p.Object("HotTrackFont", &C::GetHotTrackFont, &C::SetHotTrackFont);
  p.Set("HotTrackFontOptions", TrackFontOptionInfo(), &C::GetHotTrackFontOptions, &C::SetHotTrackFontOptions);
  p.Object("HotTrackGlyph", &C::GetHotTrackGlyph, &C::SetHotTrackGlyph);
  p.Integer("InitPause", &C::GetInitPause, &C::SetInitPause).Default(500);
  p.Enumeration("Layout", ButtonLayoutInfo(), &C::GetLayout, &C::SetLayout).Default(blGlyphTop);
  p.Integer("Margin", &C::GetMargin, &C::SetMargin).Default(-1);
  p.Boolean("MarkDropDown", &C::GetMarkDropDown, &C::SetMarkDropDown).Default(true);
  p.Enumeration("MenuPosition", DropDownMenuPosInfo(), &C::GetMenuPosition, &C::SetMenuPosition)
      .Default(dmpBottom);
  p.Integer("ModalResult", &C::GetModalResult, &C::SetModalResult).Default(mrNone);
  p.Integer("RepeatInterval", &C::GetRepeatInterval, &C::SetRepeatInterval).Default(100);
  p.Integer("Spacing", &C::GetSpacing, &C::SetSpacing).Default(1);
  p.Enumeration("Style", ButtonStyleInfo(), &C::GetStyle, &C::SetStyle).Default(bsAutoDetect);
  p.Boolean("Transparent", &C::GetTransparent, &C::SetTransparent).Default(false);
  p.Boolean("WordWrap", &C::GetWordWrap, &C::SetWordWrap).Default(false);
  PublishDragEvents(p);
}

TK_BEGIN_MESSAGE_MAP(TWxCustomSpeedButton)
TK_MESSAGE(CM_WXBUTTONPRESSED, CMButtonPressed)
TK_MESSAGE(CM_SYSCOLORCHANGE, CMSysColorChange)
TK_MESSAGE(WM_LBUTTONDBLCLK, WMLButtonDblClk)
TK_MESSAGE(WM_RBUTTONDOWN, WMRButton)
TK_MESSAGE(WM_RBUTTONUP, WMRButton)
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
  glyph_.SetActionImage(glyph);
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

void TWxCustomSpeedButton::SetDropDownMenu(TPopupMenu* value) {
  if (value == drop_down_menu_) return;
  if (drop_down_menu_) drop_down_menu_->RemoveFreeNotification(this);
  drop_down_menu_ = value;
  if (value) value->FreeNotification(this);
  if (mark_drop_down_) Invalidate();
}

void TWxCustomSpeedButton::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation == opRemove && component == drop_down_menu_) drop_down_menu_ = nullptr;
}

// Both glyph objects draw the caption alike.
void TWxCustomSpeedButton::SetAlignment(TAlignment value) {
  glyph_.SetAlignment(value);
  hot_glyph_.SetAlignment(value);
}
void TWxCustomSpeedButton::SetGrayNewStyle(bool value) {
  glyph_.SetGrayNewStyle(value);
  hot_glyph_.SetGrayNewStyle(value);
}
void TWxCustomSpeedButton::SetWordWrap(bool value) {
  glyph_.SetWordWrap(value);
  hot_glyph_.SetWordWrap(value);
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
  TWinControl* parent = GetParent();
  if (static_cast<int>(message.WParam) != group_index_ || !parent || !parent->GetShowing() || !sender ||
      sender == this)
    return;
  if (sender->down_ && down_) {
    down_ = false;
    state_ = wbsUp;
    Invalidate();
  }
  // The whole group shares AllowAllUp.
  allow_all_up_ = sender->allow_all_up_;
}

// The built images hold system colours (face, highlight, shadow).
void TWxCustomSpeedButton::CMSysColorChange(TMessage&) {
  glyph_.Invalidate();
  hot_glyph_.Invalidate();
  Invalidate();
}

// The hot-track font stays as it was read: it followed the font while that was read.
void TWxCustomSpeedButton::Loaded() {
  inherited::Loaded();
  BuildStateImage();
}

void TWxCustomSpeedButton::BuildStateImage() {
  glyph_.StateImage(!GetEnabled() ? wbsDisabled : flat_ ? wbsInactive : wbsUp);
}

void TWxCustomSpeedButton::Click() {
  if (TCustomForm* form = GetParentForm(this)) form->SetModalResult(modal_result_);
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
  if (menu_tracking_) return;
  inherited::MouseDown(button, shift, x, y);
  if (!GetMouseOver() && GetEnabled()) {
    Perform(CM_MOUSEENTER, 0, 0);
    Invalidate();
  }
  if (button != mbLeft || !GetEnabled()) return;
  if (!down_) {
    state_ = wbsDown;
    Invalidate();
  }
  dragging_ = true;
  menu_tracking_ = true;
  if (drop_down_menu_) DropDown(x, y);
  KeepPendingQuit();
  menu_tracking_ = false;
  if (allow_timer_) {
    if (!repeat_timer_) {
      repeat_timer_ = New<TTimer>(nullptr);
      repeat_timer_->SetOnTimer(TNotifyEvent(this, &TWxCustomSpeedButton::RepeatTick));
    }
    repeat_timer_->SetInterval(init_pause_);
    repeat_timer_->SetEnabled(true);
  }
}

// A click on this button that closed the menu must not stand before a quit that was already
// asked for: the quit is taken off the queue and posted again.
void TWxCustomSpeedButton::KeepPendingQuit() {
  MSG next;
  if (!PeekMessageA(&next, nullptr, 0, 0, PM_NOREMOVE) ||
      (next.message != WM_LBUTTONDOWN && next.message != WM_LBUTTONDBLCLK) || !GetParent() ||
      !GetParent()->HandleAllocated())
    return;
  POINT at{static_cast<short>(LOWORD(next.lParam)), static_cast<short>(HIWORD(next.lParam))};
  MapWindowPoints(next.hwnd, GetParent()->GetHandle(), &at, 1);
  const RECT bounds = GetBoundsRect();
  MSG quit;
  if (PtInRect(&bounds, at) && PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE))
    PostQuitMessage(static_cast<int>(quit.wParam));
}

POINT TWxCustomSpeedButton::MenuPoint() {
  const TPopupAlignment alignment = drop_down_menu_ ? drop_down_menu_->GetAlignment() : paLeft;
  POINT at{0, GetHeight()};
  if (menu_position_ == dmpBottom) {
    at.x = alignment == paRight ? GetWidth() + 1 : alignment == paCenter ? GetWidth() / 2 : 0;
  } else if (alignment == paLeft) {
    at = {GetWidth(), -1};
  } else if (alignment == paRight) {
    at = {-1, -1};
  } else {
    at = {GetWidth() / 2, GetHeight()};
  }
  return ClientToScreen(at);
}

void TWxCustomSpeedButton::DropDown(int x, int y) {
  const POINT at = MenuPoint();
  if (TCustomForm* form = GetParentForm(this))
    if (TWinControl* active = form->GetActiveControl())
      active->Perform(CM_CANCELMODE, 0, reinterpret_cast<LPARAM>(this));
  drop_down_menu_->SetPopupComponent(this);
  drop_down_menu_->Popup(at.x, at.y);
  // The menu took the mouse: the press ends here, as a release where it began.
  FinishPress(x, y);
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
  // The bottom edge itself still counts as on the button.
  const bool inside = x >= 0 && x < GetWidth() && y >= 0 && y <= GetHeight();
  const TWxButtonState state = down_ ? wbsExclusive : inside ? wbsDown : wbsUp;
  if (state != state_) {
    state_ = state;
    Invalidate();
  }
}

void TWxCustomSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  inherited::MouseUp(button, shift, x, y);
  // Whichever button comes up ends a held press.
  FinishPress(x, y);
  StopRepeat();
}

void TWxCustomSpeedButton::FinishPress(int x, int y) {
  if (!dragging_) return;
  dragging_ = false;
  const bool inside = x >= 0 && x < GetClientWidth() && y >= 0 && y < GetClientHeight();
  if (group_index_ == 0) {
    state_ = wbsUp;
    Perform(CM_MOUSELEAVE, 0, 0);
  } else if (inside) {
    SetDown(!down_);
    state_ = down_ ? wbsExclusive : wbsUp;
  } else {
    state_ = down_ ? wbsExclusive : wbsUp;
  }
  Invalidate();
  if (inside && !menu_tracking_) Click();
  UpdateTracking();
}

void TWxCustomSpeedButton::UpdateTracking() {
  bool hot = false;
  POINT cursor{};
  if (GetEnabled() && tk_detail::CursorPos(&cursor)) {
    HWND active = GetActiveWindow();
    hot = FindDragTarget(cursor, true) == this && active &&
          GetWindowThreadProcessId(active, nullptr) == GetCurrentThreadId();
  }
  if (hot != GetMouseOver()) Perform(hot ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, 0);
}

void TWxCustomSpeedButton::WMLButtonDblClk(TMessage& message) {
  if (menu_tracking_) return;
  TK_INHERITED(message);
  if (down_) DblClick();
}

void TWxCustomSpeedButton::WMRButton(TMessage& message) {
  TK_INHERITED(message);
  UpdateTracking();
}

void TWxCustomSpeedButton::WMCancelMode(TMessage& message) {
  // The toolkit ends a held press as a release outside: no click, no repeat.
  TK_INHERITED(message);
  StopRepeat();
  if (dragging_) FinishPress(-1, -1);
}

// A flat button shows its frame on entering only when no other control holds the mouse.
bool TWxCustomSpeedButton::RepaintsOnHover(bool entering) const {
  return WxVisualStyles() || hot_track_ ||
         (flat_ && GetEnabled() && !dragging_ && !(entering && GetCaptureControl()));
}

void TWxCustomSpeedButton::MouseEnter(TControl* control) {
  const bool mine = !control && !GetMouseOver() && GetEnabled();
  inherited::MouseEnter(control);
  if (mine && RepaintsOnHover(true)) Invalidate();
}

void TWxCustomSpeedButton::MouseLeave(TControl* control) {
  const bool mine = !control && GetMouseOver() && GetEnabled();
  inherited::MouseLeave(control);
  if (mine && RepaintsOnHover(false)) Invalidate();
}

// ---- Notifications ------------------------------------------------------------------------

void TWxCustomSpeedButton::EnabledChanged() {
  inherited::EnabledChanged();
  if (!GetEnabled()) {
    dragging_ = false;
    StopRepeat();
    state_ = wbsDisabled;
  } else if (state_ == wbsDisabled) {
    state_ = down_ && group_index_ ? wbsExclusive : wbsUp;
  }
  BuildStateImage();
  UpdateTracking();
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

void TWxCustomSpeedButton::VisibleChanged() {
  inherited::VisibleChanged();
  if (GetVisible()) UpdateTracking();
}

// ---- Painting -----------------------------------------------------------------------------

void TWxCustomSpeedButton::Paint() {
  // Asked by the parent while it paints into this button's own picture.
  if (painting_copy_) return;
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

bool TWxCustomSpeedButton::Hot() const { return GetMouseOver() && GetEnabled(); }

TWxButtonState TWxCustomSpeedButton::PaintState() const {
  // A flat button away from the pointer looks inactive, also when held down (its frame stays,
  // see PaintClassic) or disabled.
  const bool designing = GetComponentState().Contains(csDesigning);
  if (flat_ && !Hot() && !designing) return wbsInactive;
  return state_;
}

void TWxCustomSpeedButton::PaintFace(TCanvas* canvas) {
  const TWxButtonState paint_state = PaintState();
  if (WxVisualStyles())
    PaintThemed(canvas, paint_state);
  else
    PaintClassic(canvas, paint_state);
}

void TWxCustomSpeedButton::PaintThemed(TCanvas* canvas, TWxButtonState paint_state) {
  HDC dc = canvas->GetHandle();
  RECT rect{0, 0, GetWidth(), GetHeight()};
  if (transparent_)
    PaintParent(canvas);
  else
    PerformEraseBackground(this, dc, {GetLeft(), GetTop()}, &rect);
  const bool pressed = state_ == wbsDown || state_ == wbsExclusive;
  const int element = state_ == wbsDisabled ? kThemeDisabled
                      : pressed             ? kThemePressed
                      : Hot() || dragging_  ? kThemeHot
                                            : kThemeNormal;
  RECT content = rect;
  HWND window = GetParent() && GetParent()->HandleAllocated() ? GetParent()->GetHandle() : nullptr;
  const TThemeApi& api = ThemeApi();
  if (HTHEME theme = api.open ? api.open(window, flat_ ? L"TOOLBAR" : L"BUTTON") : nullptr) {
    const int part = flat_ ? kToolbarButton : kPushButton;
    api.draw(theme, dc, part, element, &rect, nullptr);
    api.content(theme, dc, part, element, &rect, &content);
    api.close(theme);
  } else if (!flat_) {
    // No theme in force: the system's own push button.
    UINT look = DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0u) | (state_ == wbsDisabled ? DFCS_INACTIVE : 0u);
    DrawFrameControl(dc, &rect, DFC_BUTTON, look);
    InflateRect(&content, -3, -3);
  } else {
    if (element == kThemePressed) DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
    if (element == kThemeHot) DrawEdge(dc, &rect, BDR_RAISEDINNER, BF_RECT);
    InflateRect(&content, -2, -2);
  }
  PaintImage(canvas, content, pressed ? POINT{1, 0} : POINT{0, 0}, paint_state, Hot());
}

void TWxCustomSpeedButton::PaintClassic(TCanvas* canvas, TWxButtonState paint_state) {
  HDC dc = canvas->GetHandle();
  RECT rect{0, 0, GetWidth(), GetHeight()};
  if (transparent_) {
    PaintParent(canvas);
  } else {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(GetColor()));
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
  }
  const bool pressed = state_ == wbsDown || state_ == wbsExclusive;
  if (paint_state == wbsInactive && state_ != wbsExclusive) {
    InflateRect(&rect, -2, -2);
  } else {
    PaintFrame(dc, rect, pressed);
    // A flat one held down shows the dither only while the pointer is over it.
    if (state_ == wbsExclusive && !transparent_ && paint_state != wbsInactive) FillDither(dc, rect);
  }
  PaintImage(canvas, rect, pressed ? POINT{1, 1} : POINT{0, 0}, paint_state, Hot());
}

void TWxCustomSpeedButton::PaintFrame(HDC dc, RECT& rect, bool pressed) const {
  const COLORREF base = ColorToRGB(GetColor()), frame = ColorToRGB(clWindowFrame);
  const COLORREF light = Shifted(base, 64), dark = Shifted(base, -64);
  const bool win31 = style_ == bsWin31 || (style_ == bsAutoDetect && OldLook());
  if (flat_) {
    pressed ? Ring(dc, rect, dark, light) : Ring(dc, rect, light, dark);
  } else if (win31) {
    Ring(dc, rect, frame, frame);
    pressed ? Ring(dc, rect, dark, light) : Ring(dc, rect, light, dark);
  } else if (pressed) {
    Ring(dc, rect, frame, frame);
    Corner(dc, rect, ColorToRGB(clBtnShadow));
  } else {
    Ring(dc, rect, light, frame);
    Ring(dc, rect, base, dark);
  }
  InflateRect(&rect, -1, -1);
}

void TWxCustomSpeedButton::PaintParent(TCanvas* canvas) {
  TWinControl* parent = GetParent();
  if (!parent) return;
  HDC dc = canvas->GetHandle();
  const RECT bounds = GetBoundsRect();
  const RECT client = parent->GetClientRect();
  const int saved = SaveDC(dc);
  painting_copy_ = true;
  try {
    // From here on the parent's coordinates.
    OffsetViewportOrgEx(dc, -GetLeft(), -GetTop(), nullptr);
    IntersectClipRect(dc, client.left, client.top, client.right, client.bottom);
    {
      TPaintCopyScope copy(parent);
      parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(dc));
      TParentPaint::Own(parent, dc);
    }
    // The windowless siblings below this button, each in its own place.
    for (int i = 0; i < parent->GetControlCount(); ++i) {
      TControl* sibling = parent->GetControl(i);
      if (sibling == this) break;
      RECT overlap{}, area = sibling->GetBoundsRect();
      if (sibling->Is<TWinControl>() || !sibling->GetVisible() || !IntersectRect(&overlap, &area, &bounds))
        continue;
      const int inner = SaveDC(dc);
      OffsetViewportOrgEx(dc, sibling->GetLeft(), sibling->GetTop(), nullptr);
      IntersectClipRect(dc, 0, 0, sibling->GetWidth(), sibling->GetHeight());
      TPaintCopyScope copy(sibling);
      sibling->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
      RestoreDC(dc, inner);
    }
  } catch (...) {
    painting_copy_ = false;
    RestoreDC(dc, saved);
    throw;
  }
  painting_copy_ = false;
  RestoreDC(dc, saved);
}

void TWxCustomSpeedButton::PaintImage(TCanvas* canvas, const RECT& rect, POINT offset, TWxButtonState state,
                                      bool hot) {
  // The hot font stays while a press is dragged off the button; the hot glyph only while hot.
  TFont* font = hot_track_ && (hot || dragging_) ? hot_track_font_ : GetFont();
  TWxButtonGlyph& glyph = hot_track_ && hot && !hot_glyph_.GetGlyph()->GetEmpty() ? hot_glyph_ : glyph_;
  if (state == wbsInactive && !grayed_inactive_) state = wbsUp;
  HDC dc = canvas->GetHandle();
  HGDIOBJ old_font = SelectObject(dc, font->GetHandle());
  glyph.Draw(canvas, rect, offset, GetCaption(), layout_, margin_, spacing_, state,
             drop_down_menu_ && mark_drop_down_, font->GetColor(), BiDiFlags(this));
  SelectObject(dc, old_font);
}
