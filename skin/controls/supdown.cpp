// The skinned up-down control: hot and pressed halves and their skinned paint.
#include "skin/controls/supdown.h"

#include <commctrl.h>

#include <algorithm>

#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

const TEnumInfo& UpDownDisabledKindInfo() {
  static const TEnumInfo info{"dkBlended", "dkGrayed"};
  return info;
}

const char* const kButtonSections[4] = {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"};

}  // namespace

TK_CLASS_INFO(TsUpDown, TCustomUpDown)

void TsUpDown::Publish(TPublisher<TsUpDown>& p) {
  p.Boolean("ShowInaccessibility", &TsUpDown::GetShowInaccessibility, &TsUpDown::SetShowInaccessibility)
      .Default(true);
  p.Set("DisabledKind", UpDownDisabledKindInfo(), &TsUpDown::GetDisabledKind, &TsUpDown::SetDisabledKind)
      .Default(TsDisabledKind{dkBlended}.Bits());
}

void RegisterSkinUpDownClasses() { RegisterClasses({TsUpDown::StaticClass()}); }

TsUpDown::TsUpDown(TComponent* owner) : TCustomUpDown(owner) { control_style_.Exclude(csDoubleClicks); }

TsUpDown::~TsUpDown() { Free(cache_); }

void TsUpDown::SetShowInaccessibility(bool value) {
  if (value == show_inaccessibility_) return;
  show_inaccessibility_ = value;
  if (HandleAllocated()) Invalidate();
}

void TsUpDown::SetDisabledKind(TsDisabledKind kind) {
  if (kind == disabled_kind_) return;
  disabled_kind_ = kind;
  if (HandleAllocated()) Invalidate();
}

void TsUpDown::SetHotPart(THotPart part) {
  if (part == hot_part_) return;
  hot_part_ = part;
  if (HandleAllocated()) Invalidate();
}

bool TsUpDown::AtLimit(int half) const {
  // Up (vertical first half) and right (horizontal second half) move toward Max.
  const bool toward_max = (GetOrientation() == udVertical) == (half == 1);
  return toward_max ? GetPosition() >= GetMax() : GetPosition() <= GetMin();
}

bool TsUpDown::Skinned() const {
  if (!SkinData().SkinLoaded || GetComponentState().Contains(csDestroying)) return false;
  const int first = GetOrientation() == udVertical ? siTop : siLeft;
  return IsValidSkinIndex(CommonSkinIndexes.ScrollBtn[first]) &&
         IsValidSkinIndex(CommonSkinIndexes.ScrollBtn[first + 1]);
}

RECT TsUpDown::HalfRect(int half) {
  const int w = GetWidth(), h = GetHeight();
  if (GetOrientation() == udVertical) return half == 1 ? RECT{0, 0, w, h / 2} : RECT{0, h / 2, w, h};
  return half == 1 ? RECT{0, 0, w / 2, h} : RECT{w / 2, 0, w, h};
}

int TsUpDown::HalfAt(POINT client) {
  for (int half = 1; half <= 2; ++half) {
    RECT r = HalfRect(half);
    if (PtInRect(&r, client)) return half;
  }
  return 0;
}

// ---- Messages ----------------------------------------------------------------------------------

void TsUpDown::WndProc(TMessage& message) {
  switch (message.Msg) {
    case SKM_REMOVESKIN:
    case SKM_REFRESH:
      if (HandleAllocated()) Invalidate();
      return;
    // WM_PRINTCLIENT is the toolkit's paint into a given device context (PaintTo).
    case WM_PAINT:
    case WM_PRINTCLIENT:
      if (!Skinned()) break;
      {
        PAINTSTRUCT ps{};
        HDC dc = message.WParam ? reinterpret_cast<HDC>(message.WParam) : BeginPaint(handle_, &ps);
        PaintSkinned(dc);
        if (!message.WParam) EndPaint(handle_, &ps);
      }
      message.Result = 0;
      return;
    default: break;
  }
  TCustomUpDown::WndProc(message);
  switch (message.Msg) {
    // The system's control does not repaint for a new range or position, which may take a
    // half to its limit or away from it: without this a half that can move stays disabled.
    case UDM_SETRANGE:
    case UDM_SETRANGE32:
    case UDM_SETPOS:
    case UDM_SETPOS32:
      if (Skinned()) Invalidate();
      break;
    default: break;
  }
  if (GetComponentState().Contains(csDesigning)) return;
  switch (message.Msg) {
    case WM_NCHITTEST: HitTest(PointFromLParam(message.LParam)); break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press();
      message.Result = 1;
      break;
    case WM_LBUTTONUP:
      if (Release()) message.Result = 1;
      break;
    case CM_MOUSELEAVE: Leave(); break;
    default: break;
  }
}

void TsUpDown::HitTest(POINT screen) {
  const int half = HalfAt(ScreenToClient(screen));
  if (half == 0) return;
  if (Inaccessible(half))
    SetHotPart(hpNone);
  else if (hot_part_ != half && !pressed_)
    SetHotPart(static_cast<THotPart>(half));
}

// The position has already moved: a press that reached Max (first half) or Min (second half)
// leaves the half hot, whatever the orientation.
void TsUpDown::Press() {
  pressed_ = true;
  if (hot_part_ == hpFirstHot && GetPosition() < GetMax()) SetHotPart(hpFirstPressed);
  if (hot_part_ == hpSecondHot && GetPosition() > GetMin()) SetHotPart(hpSecondPressed);
}

bool TsUpDown::Release() {
  if (!pressed_) return false;
  pressed_ = false;
  const THotPart before = hot_part_;
  // Only a pressed half turns hot again: a press that showed nothing pressed keeps the hot
  // half, rather than lighting the other half under a mouse that is not there.
  if (hot_part_ == hpFirstPressed && !(show_inaccessibility_ && GetPosition() == GetMax()))
    SetHotPart(hpFirstHot);
  if (hot_part_ == hpSecondPressed && !(show_inaccessibility_ && GetPosition() == GetMin()))
    SetHotPart(hpSecondHot);
  return hot_part_ != before;
}

void TsUpDown::Leave() {
  pressed_ = false;
  SetHotPart(hpNone);
}

// ---- Painting ----------------------------------------------------------------------------------

void TsUpDown::PaintHalf(TBitmap* bmp, int half, const TsCacheInfo& ci) {
  const int side = (GetOrientation() == udVertical ? siTop : siLeft) + (half - 1);
  const int section = CommonSkinIndexes.ScrollBtn[side];
  const RECT r = HalfRect(half);
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 1 || h < 1 || !IsValidSkinIndex(section)) return;
  const bool disabled = !GetEnabled() || Inaccessible(half);
  int state = 0;
  if (hot_part_ == half) state = 1;
  if (hot_part_ == half + 2) state = 2;
  PaintItem(section, kButtonSections[side], ci, state, true, r, POINT{r.left, r.top}, bmp);
  const int glyph = CommonSkinIndexes.ScrollBtnGlyph[side];
  if (IsValidImgIndex(glyph)) {
    const SIZE g = GetMaskFrameSize(glyph);
    if (g.cx >= 1 && g.cy >= 1 && g.cx <= w && g.cy <= h)
      DrawSkinGlyph(bmp, POINT{r.left + (w - g.cx) / 2, r.top + (h - g.cy) / 2}, state, SkinMasks[glyph]);
  }
  if (!disabled) return;
  TColor parent_color = GetParent() ? ColorToRGB(GetParent()->GetColor()) : ColorToRGB(clBtnFace);
  if (ci.Ready) {
    TBitmap* part = New<TBitmap>();
    part->SetPixelFormat(pf24bit);
    part->SetSize(w, h);
    BitBlt(part->GetCanvas()->GetHandle(), 0, 0, w, h, bmp->GetCanvas()->GetHandle(), r.left, r.top, SRCCOPY);
    FillControlBG(part, disabled_kind_, this, POINT{r.left, r.top}, ci);
    BitBlt(bmp->GetCanvas()->GetHandle(), r.left, r.top, w, h, part->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
    Free(part);
  } else {
    BlendColorRectPercent(bmp, RECT{r.left, r.top, r.right - 1, r.bottom - 1}, 40, parent_color);
  }
}

void TsUpDown::PaintSkinned(HDC dc) {
  const int w = GetWidth(), h = GetHeight();
  if (w < 1 || h < 1) return;
  if (!cache_) cache_ = New<TBitmap>();
  cache_->SetPixelFormat(pf24bit);
  cache_->SetSize(w, h);
  GlobalCacheInfo.Ready = false;
  TsCacheInfo ci;
  if (GetParent()) {
    SendToControl(GetParent(), SKM_GETCACHEINFO);
    ci = GlobalCacheInfo;
  }
  if (!ci.Bmp) ci.Ready = false;
  // The painters read the parent at the control's place plus the half's offset.
  TsCacheInfo at = ci;
  at.X += GetLeft();
  at.Y += GetTop();
  for (int half = 1; half <= 2; ++half) PaintHalf(cache_, half, at);
  GdiFlush();
  BitBlt(dc, 0, 0, w, h, cache_->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}
