// The skinned button base: properties, window procedure, mouse handling, size adjustment and
// fading. The composition of the look is in sbuttonpaint.cpp.
#include "skin/controls/sbuttoncontrol.h"

#include "skin/controls/sbuttons.h"

#include <algorithm>
#include <cstring>

#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/forms.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kButtonControlKind = 91;
// Only one drop-down menu of any button shows at a time.
bool g_menu_showing = false;

}  // namespace

const TEnumInfo& ToolButtonStyleInfo() {
  static const TEnumInfo info{"tbsButton", "tbsCheck", "tbsDropDown", "tbsSeparator", "tbsDivider"};
  return info;
}
const TEnumInfo& DisabledKindInfo() {
  static const TEnumInfo info{"dkBlended", "dkGrayed"};
  return info;
}

// ---- TFadeTimer ------------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TFadeTimer, TTimer)

TFadeTimer::TFadeTimer(TsButtonControl* owner) : TTimer(nullptr), button_(owner) {
  SetEnabled(false);
  SetOnTimer(TNotifyEvent(this, &TFadeTimer::NoOp));
}

void TFadeTimer::SetDirection(uint8_t direction) {
  direction_ = direction;
  SetEnabled(direction != 0);
}

void TFadeTimer::Timer() {
  if (!button_ || button_->GetComponentState().Contains(csDestroying) ||
      (Application && Application->GetTerminated())) {
    SetDirection(0);
    return;
  }
  button_->FadeTick();
}

// ---- TsButtonControl -------------------------------------------------------------------------

TK_CLASS_INFO(TsButtonControl, TCustomControl)
TK_ABSTRACT_CLASS_INFO(TsButtonActionLink, TControlActionLink)

bool TsButtonActionLink::IsCaptionLinked() {
  return inherited::IsCaptionLinked() && button_->GetText() == Action()->GetCaption();
}
bool TsButtonActionLink::IsCheckedLinked() {
  return inherited::IsCheckedLinked() && Action()->GetChecked() == button_->GetDown();
}
void TsButtonActionLink::SetCaption(const std::string& value) {
  if (IsCaptionLinked() && button_->GetText() != value) button_->SetText(value);
}
void TsButtonActionLink::SetChecked(bool value) {
  if (IsCheckedLinked()) button_->SetDown(value);
}
void TsButtonActionLink::SetImageIndex(int value) {
  if (IsImageIndexLinked()) button_->SetImageIndex(value);
}

void TsButtonControl::Publish(TPublisher<TsButtonControl>& p) {
  using P = TsButtonControl;
  p.String("Caption", &P::GetCaption, &P::SetCaption);
  p.Integer("Margin", &P::GetMargin, &P::SetMargin).Default(0);
  p.Integer("TextOffset", &P::GetTextOffset, &P::SetTextOffset).Default(0);
  p.Boolean("ShowCaption", &P::GetShowCaption, &P::SetShowCaption).Default(true);
  p.Object("sStyle", &P::GetSStyle, &P::SetSStyle);
  p.Event("OnMouseEnter", &P::OnMouseEnter);
  p.Event("OnMouseLeave", &P::OnMouseLeave);
  p.Integer("NumGlyphs", &P::GetNumGlyphs, &P::SetNumGlyphs).Default(1);
  p.Object("Images", &P::GetImages, &P::SetImages);
  p.Object("ImagesGrayed", &P::GetImagesGrayed, &P::SetImagesGrayed);
  p.Object("ImagesDisabled", &P::GetImagesDisabled, &P::SetImagesDisabled);
  p.Set("DisabledGlyphKind", DisabledKindInfo(), &P::GetDisabledGlyphKind, &P::SetDisabledGlyphKind)
      .Default(TsDisabledKind{dkBlended}.Bits());
  p.Set("DisabledKind", DisabledKindInfo(), &P::GetDisabledKind, &P::SetDisabledKind)
      .Default(TsDisabledKind{dkBlended}.Bits());
  p.Enumeration("Alignment", AlignmentInfo(), &P::GetAlignment, &P::SetAlignment).Default(taCenter);
  p.Integer("Spacing", &P::GetSpacing, &P::SetSpacing).Default(3);
  p.Integer("ImageIndex", &P::GetImageIndex, &P::SetImageIndex).Default(-1);
  p.Boolean("Grayed", &P::GetGrayed, &P::SetGrayed).Default(false);
  p.Integer("Blend", &P::GetBlend, &P::SetBlend).Default(0);
  p.Enumeration("Layout", ButtonLayoutInfo(), &P::GetLayout, &P::SetLayout).Default(blGlyphLeft);
  p.Boolean("AutoSize", &P::GetAutoSize, &P::SetAutoSize).Default(false);
  p.Integer("BevelWidth", &P::GetBevelWidth, &P::SetBevelWidth).Default(2);
}

TsButtonControl::TsButtonControl(TComponent* owner) : TCustomControl(owner) {
  images_link_.OnChange = TNotifyEvent(this, &TsButtonControl::ImagesChanged);
  style_ = New<TsActiveBGStyle>(this);
  style_->COC = kButtonControlKind;
  style_->SetOwnerQueries(this);
  style_->SetStyleQueries(this);
  SetControlStyle(TControlStyle{csCaptureMouse, csSetCaption, csDoubleClicks, csOpaque});
  SetBounds(0, 0, 84, 22);
  SetTabStop(false);
  fade_bmp_ = New<TBitmap>();
  fade_bmp_->SetPixelFormat(pf24bit);
  fade_timer_ = New<TFadeTimer>(this);
}

void TsButtonControl::AfterConstruction() {
  inherited::AfterConstruction();
  // Read from a form definition: the section is known in Loaded.
  if (!GetComponentState().Contains(csLoading)) style_->UpdateIndexes();
}

void TsButtonControl::BeforeDestruction() {
  // A tick must never reach a button on its way out.
  if (fade_timer_) fade_timer_->SetDirection(0);
  inherited::BeforeDestruction();
}

TsButtonControl::~TsButtonControl() {
  fade_timer_->SetDirection(0);
  FreeAndNil(fade_timer_);
  FreeAndNil(fade_bmp_);
  FreeAndNil(fade_frame_);
  FreeAndNil(style_);
  if (region_) DeleteObject(region_);
}

bool TsButtonControl::Destroying() const { return GetComponentState().Contains(csDestroying); }

int TsButtonControl::CurrentState() {
  if (down_) return 2;
  return Hot() ? 1 : 0;
}

void TsButtonControl::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
    case SKM_REFRESH: region_changing_ = true; break;
    case CM_TEXTCHANGED:
      if (!SkinChanging) style_->BGChanged = true;
      style_->Invalidate();
      break;
    case CM_MOUSEENTER:
      if (message.LParam == 0) OnMouseEnter(this);
      break;
    case CM_MOUSELEAVE:
      if (message.LParam == 0) OnMouseLeave(this);
      break;
    case CM_EXIT:
      if (button_style_ == tbsButton || button_style_ == tbsDropDown)
        SetDown(false);
      else if (button_style_ == tbsCheck && !down_)
        Click();
      else if (button_style_ == tbsCheck && allow_all_up_ && !pressed_by_mouse_)
        SetDown(false);
      break;
    case WM_ERASEBKGND: message.Result = 1; return;  // the cache covers every pixel
  }
  if (style_ && style_->HandleFirst(message)) return;
  inherited::WndProc(message);
}

// ---- Properties --------------------------------------------------------------------------------

void TsButtonControl::SetMargin(int value) {
  if (margin_ == value) return;
  margin_ = value;
  style_->BGChanged = true;
  Invalidate();
}

void TsButtonControl::SetDown(bool value) { Store(down_, value); }

void TsButtonControl::SetImages(TCustomImageList* value) {
  if (images_ == value) return;
  if (images_) {
    images_->UnRegisterChanges(&images_link_);
    images_->RemoveFreeNotification(this);
  }
  images_ = value;
  if (images_) {
    images_->RegisterChanges(&images_link_);
    images_->FreeNotification(this);
  }
  style_->Invalidate();
}

// A glyph added, replaced or removed in the list shows at once.
void TsButtonControl::ImagesChanged(TObject*) { style_->Invalidate(); }

void TsButtonControl::SetImagesGrayed(TCustomImageList* value) {
  if (images_grayed_ == value) return;
  images_grayed_ = value;
  if (value) value->FreeNotification(this);
  style_->Invalidate();
}

void TsButtonControl::SetImagesDisabled(TCustomImageList* value) {
  if (images_disabled_ == value) return;
  images_disabled_ = value;
  if (value) value->FreeNotification(this);
  style_->Invalidate();
}

void TsButtonControl::SetDropdownMenu(TPopupMenu* value) {
  dropdown_menu_ = value;
  if (value) value->FreeNotification(this);
}

void TsButtonControl::Notification(TComponent* component, TOperation operation) {
  inherited::Notification(component, operation);
  if (operation != opRemove) return;
  if (component == dropdown_menu_) dropdown_menu_ = nullptr;
  if (component == images_) images_ = nullptr;
  if (component == images_grayed_) images_grayed_ = nullptr;
  if (component == images_disabled_) images_disabled_ = nullptr;
}

void TsButtonControl::ActionChange(TObject* sender, bool check_defaults) {
  inherited::ActionChange(sender, check_defaults);
  auto* action = DynamicCast<TCustomAction>(sender);
  if (!action) return;
  if (!images_ && action->GetActionList() && action->GetActionList()->GetImages())
    SetImages(action->GetActionList()->GetImages());
  if (image_index_ != action->GetImageIndex()) SetImageIndex(action->GetImageIndex());
  if (check_defaults) return;
  SetCaption(action->GetCaption());
  style_->Invalidate();
  SetHint(action->GetHint());
}

TControlActionLink* TsButtonControl::CreateActionLink() { return New<TsButtonActionLink>(this); }

RECT TsButtonControl::ArrowZone() { return RECT{GetWidth() - ArrowWidth(), 0, GetWidth(), GetHeight()}; }

int TsButtonControl::GlyphWidth() {
  TCustomImageList* list = CurrentImages();
  return list && image_index_ >= 0 ? list->GetWidth() : 0;
}

int TsButtonControl::GlyphHeight() {
  TCustomImageList* list = CurrentImages();
  return list && image_index_ >= 0 ? list->GetHeight() : 0;
}

TCustomImageList* TsButtonControl::CurrentImages() {
  if (!GetEnabled()) return images_disabled_ ? images_disabled_ : images_;
  if (images_grayed_ && !Hot()) return images_grayed_;
  return images_;
}

// ---- Life and size --------------------------------------------------------------------------

void TsButtonControl::CreateWnd() {
  inherited::CreateWnd();
  AdjustSize();
}

void TsButtonControl::Loaded() {
  inherited::Loaded();
  style_->UpdateIndexes();
  AdjustSize();
}

void TsButtonControl::AdjustSize() {
  if (down_ || GetComponentState().Contains(csLoading)) return;
  int w = GetWidth(), h = GetHeight();
  const int b = bevel_width_, m = margin_, gh = GlyphHeight(), gw = GlyphWidth();
  if (auto_size_ && (gh != 0 || show_caption_)) {
    switch (button_style_) {
      case tbsSeparator:
        w = GetHeight() + 2 * m + 2 * b;
        h = gh + 2 * m + 2 * b;
        break;
      case tbsDivider:
        w = 2 * b + 4;
        h = gh + 2 * m + 2 * b;
        break;
      default: {
        const int gh2 = gh + 2 * b, gw2 = gw + 2 * b;
        const int s = gw2 > 0 && !GetCaption().empty() ? spacing_ : 0;
        TCanvas* canvas = GetCanvas();
        canvas->SetFont(GetFont());
        const int t = canvas->TextWidth(GetCaption()), th = canvas->TextHeight("W");
        if (!show_caption_) {
          w = gw2 + 2 * m;
          h = gh2 + 2 * m;
        } else if (layout_ == blGlyphLeft || layout_ == blGlyphRight) {
          w = gw2 + s + t + 2 * m;
          h = std::max(gh2, th) + 2 * m;
        } else {
          w = std::max(gw2, t) + 2 * m;
          h = gh2 + s + th + 2 * m;
        }
        w += ArrowWidth();
      }
    }
  }
  SetBounds(GetLeft(), GetTop(), w, h);
}

// ---- Mouse -------------------------------------------------------------------------------------

void TsButtonControl::ReleaseGroup() {
  // Group 0 counts as a group too: a check button pressed there releases the others of it.
  TWinControl* parent = GetParent();
  if (!parent) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    auto* other = DynamicCast<TsSpeedButton>(parent->GetControl(i));
    if (!other || other == this || other->group_index_ != group_index_ || !other->down_) continue;
    other->step_ = other->style_->GetFadingIterations() - 1;
    other->fade_timer_->SetDirection(0);
    other->SetDown(false);
    other->Repaint();
  }
}

void TsButtonControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (Application) {
    saved_show_hint_ = Application->GetShowHint();
    Application->SetShowHint(false);
  }
  pressed_ = true;
  TsLifeGuard guard(style_);
  inherited::MouseDown(button, shift, x, y);
  if (guard.Freed()) return;
  StopFade();
  if (button != mbLeft || !GetEnabled()) return;
  switch (button_style_) {
    case tbsButton:
    case tbsCheck:
      if (down_) break;
      if (button_style_ == tbsCheck || group_index_ != 0) {
        ReleaseGroup();
        pressed_by_mouse_ = true;
      }
      SetDown(true);
      region_changing_ = true;
      style_->BGChanged = true;
      RepaintNow();
      break;
    case tbsDropDown:
      // The arrow zone without a menu does nothing.
      if (x >= GetWidth() - ArrowWidth()) {
        if (dropdown_menu_ && !g_menu_showing) OpenMenu();
      } else if (!menu_open_ && !down_) {
        SetDown(true);
        RepaintNow();
      }
      break;
    default: break;
  }
}

void TsButtonControl::OpenMenu() {
  menu_open_ = g_menu_showing = true;
  style_->BGChanged = true;
  RepaintNow();
  const POINT p = ClientToScreen(POINT{0, GetHeight()});
  TsLifeGuard guard(style_);
  dropdown_menu_->Popup(p.x, p.y);
  g_menu_showing = false;
  if (guard.Freed()) return;
  menu_open_ = false;
  pressed_ = false;
  style_->BGChanged = true;
  RepaintNow();
}

void TsButtonControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (Application) Application->SetShowHint(saved_show_hint_);
  if (!pressed_ || Destroying()) return;
  pressed_ = false;
  TsLifeGuard guard(style_);
  inherited::MouseUp(button, shift, x, y);
  if (guard.Freed()) return;
  step_ = style_->GetFadingIterations() - 1;
  fade_timer_->SetDirection(0);
  if (button != mbLeft || !GetEnabled()) return;
  if (!SkinChanging) style_->BGChanged = true;
  const bool inside = x >= 0 && y >= 0 && x < GetWidth() && y < GetHeight();
  switch (button_style_) {
    case tbsButton:
    case tbsCheck:
      if (button_style_ == tbsButton && group_index_ == 0) {
        SetDown(false);
      } else {
        // Went down at this press: stays down. Was down before: comes up only with AllowAllUp.
        if (inside && down_ && allow_all_up_ && !pressed_by_mouse_) SetDown(false);
        // A check button shows its new state before its click runs.
        if (button_style_ == tbsCheck) RepaintNow();
        pressed_by_mouse_ = false;
      }
      if (inside) Click();
      if (guard.Freed()) return;
      if (button_style_ != tbsCheck) RepaintNow();
      break;
    case tbsDropDown:
      // The click comes while the button still shows down.
      if (inside) Click();
      if (guard.Freed()) return;
      SetDown(false);
      RepaintNow();
      break;
    default: break;
  }
}

void TsButtonControl::RepaintNow() {
  try {
    Repaint();
  } catch (const Exception&) {
    // A failed repaint leaves the old look; the next paint mends it.
  }
}

void TsButtonControl::Refresh() {
  if (!SkinChanging) style_->BGChanged = true;
  RepaintNow();
}

// ---- Fading --------------------------------------------------------------------------------

bool TsButtonControl::HotChanged(bool entered) {
  // Without a look yet, steps or time between them there is nothing to fade (a timer of
  // interval 0 never ticks, and the look would stay half way): the style repaints at once.
  const bool fades = button_style_ != tbsSeparator && button_style_ != tbsDivider &&
                     style_->GetFadingEnabled() && HandleAllocated() && style_->GetCacheBmp() &&
                     style_->GetFadingIterations() > 0 &&
                     (entered ? style_->GetFadingIntervalIn() : style_->GetFadingIntervalOut()) > 0;
  if (!fades) {
    fade_timer_->SetDirection(0);
    return false;
  }
  entered ? StartFadeIn() : StartFadeOut();
  return true;
}

bool TsButtonControl::StartFade() {
  if (button_style_ == tbsSeparator || button_style_ == tbsDivider || !style_->GetFadingEnabled())
    return false;
  TBitmap* cache = style_->GetCacheBmp();
  if (cache)
    fade_bmp_->Assign(cache);
  else
    fade_bmp_->SetSize(0, 0);
  fade_bmp_->SetPixelFormat(pf24bit);
  // The new look, whatever the timer is doing now.
  fade_timer_->SetDirection(0);
  style_->InitCacheBmp();
  PaintBackground();
  PaintBorder();
  PaintArrow();
  if (!GetEnabled()) {
    TsCacheInfo ci;
    style_->GetParentCacheInfo(ci);
    FillControlBG(style_->GetCacheBmp(), disabled_kind_, this, POINT{GetLeft(), GetTop()}, ci);
  }
  style_->BGChanged = false;
  return true;
}

void TsButtonControl::StartFadeIn() {
  if (!StartFade()) return;
  step_ = 1;
  fade_timer_->SetInterval(static_cast<unsigned>(std::max(style_->GetFadingIntervalIn(), 1)));
  fade_timer_->SetDirection(1);
}

void TsButtonControl::StartFadeOut() {
  if (!StartFade()) return;
  fade_timer_->SetInterval(static_cast<unsigned>(std::max(style_->GetFadingIntervalOut(), 1)));
  fade_timer_->SetDirection(2);
}

void TsButtonControl::StopFade() {
  if (!style_->GetFadingEnabled()) return;
  fade_timer_->SetDirection(0);
  step_ = style_->GetFadingIterations() - 1;
}

void TsButtonControl::FadeTick() {
  const int n = style_->GetFadingIterations();
  if (step_ > n || step_ < 0 || n <= 0) {
    if (step_ > n) --step_;
    if (step_ < 0) ++step_;
    fade_timer_->SetDirection(0);
    Refresh();
    return;
  }
  switch (fade_timer_->GetDirection()) {
    case 0: fade_timer_->SetEnabled(false); break;
    case 1:
      FadeFrame(true);
      ++step_;
      break;
    case 2:
      FadeFrame(false);
      --step_;
      break;
  }
}

void TsButtonControl::FadeFrame(bool fading_in) {
  TBitmap* cache = style_->GetCacheBmp();
  const int n = style_->GetFadingIterations();
  if (!cache || n <= 0) return;
  const int alpha = std::clamp(255 - (step_ * 255) / n, 0, 255);
  TBitmap* first = fading_in ? fade_bmp_ : cache;
  TBitmap* other = fading_in ? cache : fade_bmp_;
  // The frame's bitmap lives as long as the button: a new one per step (bits and a device
  // context) would cost more than the blend itself.
  if (!fade_frame_) {
    fade_frame_ = New<TBitmap>();
    fade_frame_->SetPixelFormat(pf24bit);
  }
  const int w = first->GetWidth(), h = first->GetHeight();
  if (fade_frame_->GetWidth() != w || fade_frame_->GetHeight() != h) fade_frame_->SetSize(w, h);
  if (first->GetPixelFormat() != pf24bit) first->SetPixelFormat(pf24bit);
  GdiFlush();
  for (int y = 0; y < h; ++y)
    std::memcpy(fade_frame_->GetScanLine(y), first->GetScanLine(y), static_cast<size_t>(w) * 3);
  // A resized button has caches of two sizes: that frame stays unblended.
  if (other->GetWidth() == w && other->GetHeight() == h)
    BlendBitmaps(fade_frame_, other, static_cast<uint8_t>(alpha));
  ShowFadeFrame(fade_frame_);
}

void TsButtonControl::ShowFadeFrame(TBitmap* frame) {
  if (!HandleAllocated()) return;
  BitBlt(GetCanvas()->GetHandle(), 0, 0, frame->GetWidth(), frame->GetHeight(),
         frame->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}
