// The style base: section and indexes, cache bitmap, hot state, own shadow, message entry.
#include "skin/engine/sgenstyle.h"

#include <algorithm>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

TK_ABSTRACT_CLASS_INFO(TsShadow, TPersistent)
TK_ABSTRACT_CLASS_INFO(TsEffects, TPersistent)
TK_ABSTRACT_CLASS_INFO(TsGenStyle, TPersistent)

namespace {

bool BeingDestroyed(const TComponent* component) {
  return component && component->GetComponentState().Contains(csDestroying);
}

// Owners without queries of their own answer as plain controls.
TsOwnerQueries& PlainOwner() {
  static struct : TsOwnerQueries {
  } plain;
  return plain;
}

}  // namespace

// ---- TsShadow ---------------------------------------------------------------------------------

void TsShadow::Publish(TPublisher<TsShadow>& p) {
  using C = TsShadow;
  p.Color("Color", &C::GetColor, &C::SetColor).Default(0);
  p.Integer("Offset", &C::GetOffset, &C::SetOffset).Default(8);
  p.Integer("Transparency", &C::GetTransparency, &C::SetTransparency).Default(60);
  p.Integer("Blur", &C::GetBlur, &C::SetBlur).Default(4);
  p.Boolean("DontUse", &C::GetDontUse, &C::SetDontUse).Default(true);
  p.Boolean("Enabled", &C::GetEnabled, &C::SetEnabled).Default(false);
}

TsShadow::TsShadow(TsEffects* owner) : owner_(owner) {}

TsShadow::~TsShadow() {
  TControl* control = Style() ? Style()->GetOwnerControl() : nullptr;
  TWinControl* parent = control ? control->GetParent() : nullptr;
  if (parent && !BeingDestroyed(parent) && enabled_) SetEnabled(false);
}

TPersistent* TsShadow::GetOwner() const { return owner_; }
TsGenStyle* TsShadow::Style() const { return owner_ ? owner_->GetStyle() : nullptr; }

void TsShadow::RepaintParent() {
  if (TsGenStyle* style = Style()) style->RepaintParent();
}

void TsShadow::SetColor(TColor value) {
  if (value == color_) return;
  color_ = value;
  RepaintParent();
}

void TsShadow::SetOffset(int32_t value) {
  if (value == offset_) return;
  offset_ = value;
  RepaintParent();
}

void TsShadow::SetBlur(int32_t value) {
  if (value == blur_) return;
  blur_ = value;
  RepaintParent();
}

void TsShadow::SetTransparency(int32_t value) {
  value = std::clamp(value, 0, 100);
  if (value == transparency_) return;
  transparency_ = value;
  if (enabled_) RepaintParent();
}

void TsShadow::SetDontUse(bool value) {
  dont_use_ = value;
  if (dont_use_ && enabled_) SetEnabled(false);
}

void TsShadow::SetEnabled(bool value) {
  TsGenStyle* style = Style();
  TControl* control = style ? style->GetOwnerControl() : nullptr;
  if (!control || GetSkinObjectKind(control->GetParent()) <= 0 || IsNoShadowKind(style->COC)) return;
  if (value) dont_use_ = false;
  enabled_ = value;
  style->RepaintParent();
}

// ---- TsEffects --------------------------------------------------------------------------------

void TsEffects::Publish(TPublisher<TsEffects>& p) { p.Object("Shadow", &TsEffects::GetShadow); }

TsEffects::TsEffects(TsGenStyle* owner) : owner_(owner) { shadow_ = New<TsShadow>(this); }

TsEffects::~TsEffects() {
  Free(shadow_);
  shadow_ = nullptr;
}

TPersistent* TsEffects::GetOwner() const { return owner_; }

// ---- TsLifeGuard ------------------------------------------------------------------------------

TsLifeGuard::TsLifeGuard(const TsGenStyle* style) : alive_(style->alive_) {}

// ---- TsGenStyle -------------------------------------------------------------------------------

void TsGenStyle::Publish(TPublisher<TsGenStyle>& p) {
  using C = TsGenStyle;
  p.Object("Effects", &C::GetEffects);
  p.String("SkinSection", &C::GetSkinSection, &C::SetSkinSection);
  p.Integer("GroupIndex", &C::GetGroupIndex, &C::SetGroupIndex).Default(0);
  p.Event("OnMouseEnter", &C::OnMouseEnter);
  p.Boolean("SoftControl", &C::GetSoftControl, &C::SetSoftControl).Default(true);
}

TsGenStyle::TsGenStyle(TControl* owner) : owner_(owner) {
  BGChanged = !SkinChanging;
  cache_bmp_ = New<TBitmap>();
  cache_bmp_->SetPixelFormat(pf24bit);
  if (owner_) cache_bmp_->SetSize(owner_->GetWidth(), owner_->GetHeight());
  effects_ = New<TsEffects>(this);
  TsMessageObjects::Add(this);
}

TsGenStyle::~TsGenStyle() {
  // Whoever is inside an entry of this style learns that it is gone.
  *alive_ = false;
  TsMessageObjects::Remove(this);
  // The shadow turns itself off while freed and repaints the parent: the effects it goes
  // through must still be reachable then.
  Free(effects_);
  effects_ = nullptr;
  FreeAndNil(cache_bmp_);
}

void TsGenStyle::BeforeDestruction() {
  TPersistent::BeforeDestruction();
  TWinControl* parent = owner_ ? owner_->GetParent() : nullptr;
  if (parent && !BeingDestroyed(parent)) RepaintParent();
}

TsOwnerQueries& TsGenStyle::Queries() const { return queries_ ? *queries_ : PlainOwner(); }

bool TsGenStyle::OwnerHasFocus() const {
  auto* window = DynamicCast<TWinControl>(owner_);
  return window && window->HandleAllocated() && window->Focused();
}

bool TsGenStyle::OwnerDesigning() const {
  return owner_ && owner_->GetComponentState().Contains(csDesigning);
}

void TsGenStyle::StaleUnlessChanging() {
  if (!SkinChanging) BGChanged = true;
}

// ---- Section and indexes

void TsGenStyle::FindIndexes() {
  SkinIndex = static_cast<int16_t>(GetSkinIndex(skin_section_));
  BorderIndex = static_cast<int16_t>(GetMaskIndex(SkinIndex, skin_section_, "BORDERSMASK"));
}

void TsGenStyle::SetSkinSection(const std::string& value) {
  if (value == skin_section_) return;
  skin_section_ = value;
  FindIndexes();
  Invalidate();
}

void TsGenStyle::UpdateIndexes() {
  BGChanged = true;
  if (skin_section_.empty() && owner_) skin_section_ = owner_->ClassName();
  FindIndexes();
}

TBitmap* TsGenStyle::GetBorderMaskBitmap() {
  if (!IsValidSkinIndex(SkinIndex)) return nullptr;
  const int mask = GetMaskIndex(SkinIndex, skin_section_, "BORDERSMASK");
  return IsValidImgIndex(mask) ? SkinMasks[mask].Bmp : nullptr;
}

// ---- Painting

void TsGenStyle::PaintBitmap(TCanvas* canvas, int x, int y) {
  (void)canvas;
  (void)x;
  (void)y;
}

void TsGenStyle::Invalidate() {
  if (SkinChanging) return;
  BGChanged = true;
  if (owner_ && owner_->GetVisible() && !owner_->GetControlState().Contains(csCreating) &&
      !BeingDestroyed(owner_))
    owner_->Invalidate();
}

void TsGenStyle::SetSoftControl(bool value) {
  if (value == soft_control_) return;
  soft_control_ = value;
  Invalidate();
}

bool TsGenStyle::ControlIsActive() {
  if (!owner_ || BeingDestroyed(owner_)) return false;
  if (Queries().IsActiveDefault()) return true;
  if (!owner_->GetEnabled() || OwnerDesigning()) return false;
  if (Queries().ButtonIsDown()) return true;
  if (IsNeverHotKind(COC)) return false;
  return focused_ || OwnerHasFocus() || mouse_above_;
}

void TsGenStyle::InitCacheBmp() {
  if (!cache_bmp_) cache_bmp_ = New<TBitmap>();
  cache_bmp_->SetSize(owner_ ? owner_->GetWidth() : 0, owner_ ? owner_->GetHeight() : 0);
  cache_bmp_->SetPixelFormat(pf24bit);
}

void TsGenStyle::CopyCacheToDC(HDC dc, const RECT& rect) {
  if (cache_bmp_ && !cache_bmp_->GetEmpty()) {
    const int saved = SaveDC(dc);
    BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
           cache_bmp_->GetCanvas()->GetHandle(), rect.left, rect.top, SRCCOPY);
    RestoreDC(dc, saved);
  }
  BGChanged = false;
}

void TsGenStyle::GetParentCacheInfo(TsCacheInfo& info) {
  info = TsCacheInfo{};
  TWinControl* parent = owner_ ? owner_->GetParent() : nullptr;
  // Asking a parent without a window would create one in the middle of painting.
  if (!parent || !parent->HandleAllocated()) return;
  GlobalCacheInfo.Ready = false;
  SendMessageA(parent->GetHandle(), SKM_GETCACHEINFO, 0, 0);
  info = GlobalCacheInfo;
}

void TsGenStyle::RepaintParent() {
  TWinControl* parent = owner_ ? owner_->GetParent() : nullptr;
  if (!parent || !parent->HandleAllocated()) return;
  SendMessageA(parent->GetHandle(), SKM_BGCHANGED, 0, -1);
  parent->Repaint();
}

bool TsGenStyle::CastsShadow(bool own_needs_kind) {
  if (IsValidSkinIndex(SkinIndex) && SkinGeneralData[SkinIndex].ShadowEnabled) return true;
  return effects_->GetShadow()->GetEnabled() && (!own_needs_kind || COC >= 1);
}

// ---- Message entry

bool TsGenStyle::HandleFirst(TMessage& message) {
  TsLifeGuard guard(this);
  WndProc(message);
  return guard.Freed() || message.Result == 1;
}

void TsGenStyle::WndProc(TMessage& message) {
  const UINT msg = message.Msg;
  if (msg == SKM_GETSKINOBJECT) {
    message.WParam = static_cast<WPARAM>(ClassCode());
    message.LParam = reinterpret_cast<LPARAM>(this);
    message.Result = 1;
  } else if (msg >= SKM_LIBFIRST && msg <= SKM_LIBLAST) {
    LibMessage(message);
  } else if (msg >= SKM_EDITFIRST && msg <= SKM_EDITLAST) {
    if (TakesEditorMessages()) LibMessage(message);
  } else if (msg >= SKM_PAINTFIRST && msg <= SKM_PAINTLAST) {
    if (TakesPaintMessages()) LibMessage(message);
  } else {
    switch (msg) {
      case CM_MOUSEENTER: HotTrack(message, true); break;
      case CM_MOUSELEAVE: HotTrack(message, false); break;
      case WM_SETFOCUS:
      case CM_ENTER:
        focused_ = true;
        if (!IsEditKind(COC)) Invalidate();
        break;
      case WM_KILLFOCUS:
      case CM_EXIT:
        focused_ = false;
        Invalidate();
        break;
      case WM_MOVE:
      case WM_SIZE: BoundsChanged(); break;
      case CM_VISIBLECHANGED:
        if (owner_ && !owner_->GetVisible() && CastsShadow(true)) RepaintParent();
        break;
      case CM_ENABLEDCHANGED:
      case WM_FONTCHANGE: Invalidate(); break;
      case WM_CTLCOLORLISTBOX:
        if (IsComboKind(COC) && Queries().PendingPaint()) {
          Queries().ClearPendingPaint();
          StaleUnlessChanging();
        }
        break;
    }
  }
}

// A notice about a child (LParam) passed up by the toolkit counts too: the mouse is still within
// the owner. Only the owner's own entry raises its event.
void TsGenStyle::HotTrack(TMessage& message, bool entered) {
  message.Result = 1;
  if (entered && message.LParam == 0 && OnMouseEnter) {
    // The handler may free the owner, and the style with it.
    TsLifeGuard guard(this);
    OnMouseEnter(owner_);
    if (guard.Freed()) return;
  }
  if (IsNeverHotKind(COC)) return;
  mouse_above_ = entered;
  if (focused_ || OwnerHasFocus() || OwnerDesigning()) return;
  if (!Queries().HotChanged(entered)) Invalidate();
}

// During a skin announcement only the cache mark waits for the coming refresh; the shadow
// under the old bounds still has to go.
void TsGenStyle::BoundsChanged() {
  StaleUnlessChanging();
  if (CastsShadow() && !(IsComboKind(COC) && Queries().PendingPaint())) {
    TsLifeGuard guard(this);
    RepaintParent();
    if (guard.Freed()) return;  // the parent's repaint freed the owner
  }
  if (!owner_) return;
  if (COC == 58 || Queries().IsButtonControl() || (OwnerDesigning() && owner_->Is<TWinControl>()))
    owner_->Repaint();
}

void TsGenStyle::LibMessage(TMessage& message) {
  if (static_cast<int32_t>(message.WParam) != group_index_) return;
  TsShadow* shadow = effects_->GetShadow();
  TsLifeGuard guard(this);
  switch (message.Msg) {
    case SKM_BGCHANGED:
      if (!SkinChanging && message.LParam != 0) BGChanged = true;
      break;
    case SKM_SETNEWSKIN: {
      // The announcement ends here whatever the look-ups do.
      struct ClearOnExit {
        ~ClearOnExit() { SkinChanging = false; }
      } clear;
      BGChanged = false;
      Updating = true;
      FindIndexes();
      break;
    }
    case SKM_REMOVESKIN:
      BorderIndex = SkinIndex = -1;
      Updating = true;
      Invalidate();
      break;
    case SKM_CLEARINDEXES: BorderIndex = SkinIndex = -1; break;
    case SKM_REFRESH:
      BGChanged = true;
      Updating = false;
      Invalidate();
      break;
    case SKM_GETCACHEINFO:
      if (owner_ && owner_->GetParent() && !owner_->GetComponentState().Contains(csLoading)) {
        GlobalCacheInfo = TsCacheInfo{cache_bmp_, 0, 0, false};
        const bool late_cache = COC == 7 || COC == 8 || COC == 78 || COC == 83 || COC == 96;
        GlobalCacheInfo.Ready = !late_cache && cache_bmp_;
      }
      break;
    case SKM_REPAINTSECTION:
      if (UpperCase(skin_section_) == RepaintSectionName) {
        SkinChanging = false;
        Invalidate();
        if (guard.Freed()) return;
        if (auto* window = DynamicCast<TWinControl>(owner_); window && window->HandleAllocated())
          SendMessageA(window->GetHandle(), WM_PAINT, 0, 0);
      }
      break;
    case SKM_SETUPDATING: Updating = message.LParam != 0; break;
    case SKM_ISCACHEREADY:
      message.Result = !BGChanged && !Updating && cache_bmp_ && owner_ &&
                       cache_bmp_->GetWidth() == owner_->GetWidth() &&
                       cache_bmp_->GetHeight() == owner_->GetHeight();
      break;
    case SKM_ISUPDATING: message.Result = BGChanged || Updating; break;
    case SKM_EDIT_SOFTCONTROL:
    case SKM_PAINT_SOFTCONTROL:
      SetSoftControl(message.LParam != 0);
      if (!guard.Freed()) StaleUnlessChanging();
      break;
    case SKM_EDIT_SHADOWENABLED:
    case SKM_PAINT_SHADOWENABLED:
      SetShadowEnabled(message.LParam != 0);
      StaleUnlessChanging();
      break;
    case SKM_EDIT_SHADOWCOLOR:
    case SKM_PAINT_SHADOWCOLOR:
      shadow->SetColor(static_cast<TColor>(message.LParam));
      if (!guard.Freed()) StaleUnlessChanging();
      break;
    case SKM_EDIT_SHADOWTRANSPARENCY:
    case SKM_PAINT_SHADOWTRANSPARENCY:
      shadow->SetTransparency(static_cast<int32_t>(message.LParam));
      if (!guard.Freed()) StaleUnlessChanging();
      break;
    case SKM_EDIT_SHADOWOFFSET:
    case SKM_PAINT_SHADOWOFFSET:
      shadow->SetOffset(static_cast<int32_t>(message.LParam));
      if (!guard.Freed()) StaleUnlessChanging();
      break;
    case SKM_EDIT_SHADOWBLUR:
    case SKM_PAINT_SHADOWBLUR:
      shadow->SetBlur(static_cast<int32_t>(message.LParam));
      if (!guard.Freed()) StaleUnlessChanging();
      break;
    case SKM_EDIT_CHILDSHADOWS:
    case SKM_PAINT_CHILDSHADOWS: RepaintChildShadows(); break;
    case SKM_EDIT_COPYSHADOW:
    case SKM_PAINT_COPYSHADOW:
      CopyShadow(DynamicCast<TsGenStyle>(TsMessageObjects::Find(message.LParam)));
      break;
  }
}

// Direct field writes: no repaint per message, the cache is marked by the caller.
void TsGenStyle::SetShadowEnabled(bool value) {
  TsShadow* shadow = effects_->GetShadow();
  const bool allowed = !IsNoShadowKind(COC) && owner_ && owner_->GetVisible() && !shadow->dont_use_;
  shadow->enabled_ = allowed && value;
}

void TsGenStyle::CopyShadow(TsGenStyle* source) {
  if (!source || source == this) return;
  TsShadow* from = source->GetEffects()->GetShadow();
  TsShadow* to = effects_->GetShadow();
  to->color_ = from->color_;
  to->transparency_ = from->transparency_;
  to->offset_ = from->offset_;
  to->blur_ = from->blur_;
  SetShadowEnabled(from->enabled_);
  soft_control_ = source->soft_control_;
  Invalidate();
}

void TsGenStyle::RepaintChildShadows() {
  auto* container = DynamicCast<TWinControl>(owner_);
  if (!container || !IsShadowContainerKind(COC)) return;
  for (int i = container->GetControlCount() - 1; i >= 0; --i) {
    TsGenStyle* child = GetSkinObject(container->GetControl(i));
    if (child && !child->GetEffects()->GetShadow()->GetDontUse()) {
      StaleUnlessChanging();
      container->Repaint();
      return;
    }
  }
}

// ---- Queries through a control's window procedure

namespace {

TMessage AskSkinObject(TObject* object) {
  TMessage message{SKM_GETSKINOBJECT, 0, 0, 0};
  if (auto* control = DynamicCast<TControl>(object)) control->WindowProc(message);
  return message;
}

}  // namespace

TsGenStyle* GetSkinObject(TObject* control) {
  const TMessage answer = AskSkinObject(control);
  return answer.WParam > 0 ? DynamicCast<TsGenStyle>(reinterpret_cast<TObject*>(answer.LParam)) : nullptr;
}

int GetSkinObjectKind(TObject* control) { return static_cast<int>(AskSkinObject(control).WParam); }
