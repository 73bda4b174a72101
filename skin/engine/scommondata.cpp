// The skin data of controls without a style object.
#include "skin/engine/scommondata.h"

#include "skin/engine/sctrlutils.h"
#include "skin/engine/smessages.h"
#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "toolkit/sysutils.h"
#include "toolkit/typinfo.h"

namespace {

const char kFallbackSection[] = "SIMPLYEDIT";
const char kBordersMask[] = "BORDERSMASK";

}  // namespace

// ---- TsDataWatch ----------------------------------------------------------------------------

TsDataWatch::TsDataWatch(TsCommonData* data) : data_(data), next_(data ? data->watches_ : nullptr) {
  if (data_) data_->watches_ = this;
}

TsDataWatch::~TsDataWatch() {
  if (data_) data_->watches_ = next_;
}

// ---- TsCommonData ---------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsCommonData, TPersistent)

void TsCommonData::Publish(TPublisher<TsCommonData>& p) {
  p.String("SkinSection", &TsCommonData::GetSkinSection, &TsCommonData::SetSkinSection);
}

TsCommonData::TsCommonData(TObject* owner, bool create_cache_bmp)
    : owner_control_(DynamicCast<TControl>(owner)), owner_object_(owner) {
  if (!create_cache_bmp) return;
  cache_bmp_ = New<TBitmap>();
  cache_bmp_->SetPixelFormat(pf24bit);
}

TsCommonData::~TsCommonData() {
  for (TsDataWatch* watch = watches_; watch; watch = watch->next_) watch->data_ = nullptr;
  owner_control_ = nullptr;
  owner_object_ = nullptr;
  FreeAndNil(cache_bmp_);
}

bool TsCommonData::OwnerDestroying() const {
  auto* component = DynamicCast<TComponent>(owner_object_);
  return component && component->GetComponentState().Contains(csDestroying);
}

bool TsCommonData::OwnerLoading() const {
  return owner_control_ && owner_control_->GetComponentState().Contains(csLoading);
}

// An empty section cannot go through SetSkinSection: "" equals the stored "" and nothing
// would happen.
void TsCommonData::Loaded() {
  if (!skin_section_.empty()) return UpdateIndexes();
  if (owner_object_) skin_section_ = owner_object_->ClassName();
  UpdateIndexes();
  Invalidate();
}

void TsCommonData::SetSkinSection(const std::string& value) {
  if (value == skin_section_) return;
  skin_section_ = value.empty() && owner_object_ ? owner_object_->ClassName() : value;
  UpdateIndexes();
  Invalidate();
}

void TsCommonData::UpdateIndexes() {
  BGChanged = true;
  SkinIndex = GetSkinIndex(skin_section_);
  if (SkinIndex >= 0) {
    BorderIndex = GetMaskIndex(SkinIndex, skin_section_, kBordersMask);
    return;
  }
  SkinIndex = GetSkinIndex(kFallbackSection);
  BorderIndex = GetMaskIndex(SkinIndex, kFallbackSection, kBordersMask);
}

bool TsCommonData::Skinned() const { return IsValidSkinIndex(SkinIndex); }

bool TsCommonData::Updating() {
  if (!owner_control_ || updating_) return updating_;
  TWinControl* parent = owner_control_->GetParent();
  return parent && parent->Perform(SKM_ISUPDATING, 0, 0) == 1;
}

void TsCommonData::UpdateCacheBmp() {
  if (!cache_bmp_) cache_bmp_ = New<TBitmap>();
  if (owner_control_) {
    if (cache_bmp_->GetWidth() != owner_control_->GetWidth())
      cache_bmp_->SetWidth(owner_control_->GetWidth());
    if (cache_bmp_->GetHeight() != owner_control_->GetHeight())
      cache_bmp_->SetHeight(owner_control_->GetHeight());
  }
  cache_bmp_->SetPixelFormat(pf24bit);
}

void TsCommonData::Invalidate() {
  if (!owner_control_ || OwnerLoading() || OwnerDestroying()) return;
  BGChanged = true;
  if (ControlReadyToPaint(owner_control_)) owner_control_->Invalidate();
}

bool TsCommonData::ControlIsActive() {
  TControl* control = owner_control_;
  if (!ControlReadyToPaint(control)) return false;
  if (!control->GetEnabled() || control->GetComponentState().Contains(csDesigning)) return false;
  if (IsNeverHotKind(COC)) return false;
  if (focused_) return true;
  auto* window = DynamicCast<TWinControl>(control);
  if (window && window->Focused()) return true;
  return mouse_above_;
}

void TsCommonData::GetParentCacheInfo(TsCacheInfo& info) {
  info = TsCacheInfo{};
  GlobalCacheInfo.Ready = false;
  if (!owner_control_ || !owner_control_->GetParent()) return;
  SendToControl(owner_control_->GetParent(), SKM_GETCACHEINFO, 0, 0);
  info = GlobalCacheInfo;
}

bool TsCommonData::HandleFirst(TMessage& message) {
  TsDataWatch watch(this);
  WndProc(message);
  return watch.Gone() || (message.Msg >= SKM_LIBFIRST && message.Msg <= SKM_LIBLAST);
}

void TsCommonData::WndProc(TMessage& message) {
  switch (message.Msg) {
    case WM_MOVE:
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED: BoundsChanged(); break;
    case WM_SETFOCUS:
    case CM_ENTER: FocusChanged(true); break;
    case WM_KILLFOCUS:
    case CM_EXIT: FocusChanged(false); break;
    case WM_FONTCHANGE:
    case CM_ENABLEDCHANGED: Invalidate(); break;
    case CM_MOUSEENTER: MouseOver(message, true); break;
    case CM_MOUSELEAVE: MouseOver(message, false); break;
    default:
      if (message.Msg < SKM_LIBFIRST || message.Msg > SKM_LIBLAST) break;
      message.Result = -1;
      LibMessage(message);
  }
}

void TsCommonData::LibMessage(TMessage& message) {
  switch (message.Msg) {
    case SKM_BGCHANGED: BGChanged = message.LParam != 0; break;
    case SKM_SETNEWSKIN: NewSkin(); break;
    case SKM_REMOVESKIN: RemoveSkin(); break;
    case SKM_REFRESH: Refresh(); break;
    case SKM_GETCACHEINFO: AnswerCacheInfo(); break;
    case SKM_REPAINTSECTION: RepaintSection(); break;
    case SKM_UPDATETRANSPARENT: UpdateTransparent(); break;
    case SKM_SETUPDATING: updating_ = message.LParam != 0; break;
    case SKM_ISCACHEREADY: message.Result = !BGChanged && !Updating() ? 1 : 0; break;
    case SKM_ISUPDATING: message.Result = BGChanged || Updating() ? 1 : 0; break;
  }
}

void TsCommonData::BoundsChanged() {
  BGChanged = true;
  if (owner_control_) owner_control_->Perform(SKM_BOUNDSCHANGED, 0, 0);
}

void TsCommonData::FocusChanged(bool entered) {
  auto* window = DynamicCast<TWinControl>(owner_control_);
  BGChanged = true;
  focused_ = entered && window && window->CanFocus() && window->GetTabStop();
}

void TsCommonData::MouseOver(TMessage& message, bool above) {
  if (!IsNeverHotKind(COC)) mouse_above_ = above;
  message.Result = -1;
}

void TsCommonData::NewSkin() {
  updating_ = true;
  UpdateIndexes();
}

void TsCommonData::RemoveSkin() {
  if (OwnerDestroying()) return;
  BorderIndex = -1;
  SkinIndex = -1;
  updating_ = true;
  if (auto* window = DynamicCast<TWinControl>(owner_control_)) window->Repaint();
}

// Invalidate may run foreign code that frees the owner (and this object with it).
void TsCommonData::Refresh() {
  TsDataWatch watch(this);
  BGChanged = true;
  updating_ = false;
  Invalidate();
  if (watch.Gone()) return;
  if (auto* window = DynamicCast<TWinControl>(owner_control_)) RepaintLabels(window);
}

void TsCommonData::AnswerCacheInfo() {
  GlobalCacheInfo.Ready = false;
  if (cache_bmp_) GlobalCacheInfo = TsCacheInfo{cache_bmp_, 0, 0, true};
}

void TsCommonData::RepaintSection() {
  if (UpperCase(skin_section_) != RepaintSectionName) return;
  TsDataWatch watch(this);
  Invalidate();
  if (watch.Gone()) return;
  auto* window = DynamicCast<TWinControl>(owner_control_);
  if (window && window->HandleAllocated()) SendMessageA(window->GetHandle(), WM_PAINT, 0, 0);
}

void TsCommonData::UpdateTransparent() {
  if (!owner_control_ || !IsValidSkinIndex(SkinIndex) || SkinGeneralData[SkinIndex].PaintingTransparency <= 0)
    return;
  BGChanged = true;
  owner_control_->Repaint();
}
