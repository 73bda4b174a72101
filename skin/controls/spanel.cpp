// The skinned panels and the size grip: the cache, the bevels without skin, the caption.
#include "skin/controls/spanel.h"

#include "skin/controls/sbevel.h"
#include "skin/controls/slabel.h"

#include "skin/engine/sbevels.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

namespace {

constexpr int kCustomPanelKind = 68;
constexpr int kPanelKind = 51;

bool BeingFreed(const TComponent* component) { return component->GetComponentState().Contains(csDestroying); }

}  // namespace

// ---- TsTransparentPanel -----------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsTransparentPanel, TCustomPanel)

TK_BEGIN_MESSAGE_MAP(TsTransparentPanel)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_END_MESSAGE_MAP()

TsTransparentPanel::TsTransparentPanel(TComponent* owner) : TCustomPanel(owner) {
  control_style_.Exclude(csOpaque);
  SetBevelWidth(2);
}

int TsTransparentPanel::ClientOffset() { return GetBorderWidth(); }

void TsTransparentPanel::PaintCaption(RECT r, TsGenStyle* style) {
  TCanvas* canvas = style->GetCacheBmp()->GetCanvas();
  canvas->GetBrush()->SetStyle(bsClear);
  canvas->SetFont(GetFont());
  const int h = canvas->TextHeight("W");
  r.top = (r.top + r.bottom - h) / 2;
  r.bottom = r.top + h;
  // The writer moves a centred box by the text's size: it takes a box of that size.
  if (GetAlignment() == taCenter) {
    const int w = canvas->TextWidth(GetCaption());
    r.left = (r.left + r.right - w) / 2;
    r.right = r.left + w;
  }
  // Prefixes as buttons show them: "&x" underlines x, "&&" is one "&".
  const UINT flags = DrawTextBiDiFlags(this, GetAlignment());
  if (IsValidSkinIndex(style->SkinIndex))
    WriteTextWithContour(canvas, GetCaption(), GetEnabled(), r, flags, style->SkinIndex, false);
  else
    WriteTextEx(canvas, GetCaption(), GetEnabled(), r, flags);
}

void TsTransparentPanel::WMEraseBkgnd(TMessage& message) { message.Result = 1; }

// ---- TsCustomPanel ----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TsCustomPanel, TsTransparentPanel)

void TsCustomPanel::Publish(TPublisher<TsCustomPanel>&) {}

TsCustomPanel::TsCustomPanel(TComponent* owner) : TsTransparentPanel(owner) {
  // The toolkit's bevels stay off: the style paints ours.
  TCustomPanel::SetBevelOuter(bvNone);
  style_ = New<TsPassiveBGStyle>(this);
  style_->COC = kCustomPanelKind;
  style_->BGChanged = true;
}

TsCustomPanel::~TsCustomPanel() { FreeAndNil(style_); }

void TsCustomPanel::AfterConstruction() {
  inherited::AfterConstruction();
  style_->UpdateIndexes();
}

void TsCustomPanel::Loaded() {
  inherited::Loaded();
  style_->UpdateIndexes();
}

void TsCustomPanel::SetBevelOuter(TsControlBevel value) {
  if (value == bevel_outer_) return;
  bevel_outer_ = value;
  style_->GetPainting()->SetBevel(value);
  Realign();
  style_->Invalidate();
}

void TsCustomPanel::SetBevelInner(TsControlBevel value) {
  if (value == bevel_inner_) return;
  bevel_inner_ = value;
  Realign();
  style_->Invalidate();
}

void TsCustomPanel::Invalidate() {
  if (style_ && style_->GetPainting()->GetBevel() != bevel_outer_)
    style_->GetPainting()->SetBevel(bevel_outer_);
  inherited::Invalidate();
}

int TsCustomPanel::ClientOffset() {
  int offset = GetBorderWidth();
  if (style_ && style_->GetPaintingBevel() != cbNone) offset += GetBevelWidth();
  if (bevel_inner_ != cbNone) offset += GetBevelWidth();
  return offset;
}

void TsCustomPanel::AdjustClientRect(RECT& rect) {
  TWinControl::AdjustClientRect(rect);
  const int extent = ClientOffset() - GetBorderWidth();
  InflateRect(&rect, -extent, -extent);
}

bool TsCustomPanel::PartlyOutside() const {
  TWinControl* parent = GetParent();
  if (!parent) return false;
  const RECT client = parent->GetClientRect();
  const POINT top_left{GetLeft(), GetTop()};
  const POINT bottom_right{GetLeft() + GetWidth(), GetTop() + GetHeight()};
  auto inside = [&](POINT p) {
    return p.x >= client.left && p.y >= client.top && p.x <= client.right && p.y <= client.bottom;
  };
  return !(inside(top_left) && inside(bottom_right));
}

void TsCustomPanel::PaintBevels(TBitmap* bmp) {
  HDC dc = bmp->GetCanvas()->GetHandle();
  const int saved = SaveDC(dc);
  RECT r{0, 0, GetWidth(), GetHeight()};
  const int width = GetBevelWidth();
  PaintStyleRect(style_, bmp, r, style_->GetSoftControl(), bevel_outer_, width);
  const int inset = GetBorderWidth() + width;
  InflateRect(&r, -inset, -inset);
  PaintStyleRect(style_, bmp, r, style_->GetSoftControl(), bevel_inner_, width);
  RestoreDC(dc, saved);
}

void TsCustomPanel::PaintCaption(RECT r, TsGenStyle* style) { inherited::PaintCaption(r, style); }

bool TsCustomPanel::PrepareCache() {
  if (IsValidSkinIndex(style_->SkinIndex) && style_->Updating) return false;
  if (partly_outside_) style_->BGChanged = true;
  partly_outside_ = PartlyOutside();
  if (!style_->BGChanged) return true;
  TBitmap* cache = style_->GetCacheBmp();
  style_->InitCacheBmp();
  ++cache_builds_;
  const int offset = ClientOffset();
  RECT r = GetClientRect();
  r.left += offset;
  r.right -= offset;
  if (OnPaint) OnPaint(this, cache->GetCanvas());
  if (IsValidSkinIndex(style_->SkinIndex)) {
    TsCacheInfo ci;
    style_->GetParentCacheInfo(ci);
    PaintItem(style_->SkinIndex, style_->GetSkinSection(), ci, 0, true, RECT{0, 0, GetWidth(), GetHeight()},
              POINT{GetLeft(), GetTop()}, cache);
    PaintChildShadows(this, cache);
  } else {
    style_->PaintBG(cache);
    PaintBevels(cache);
  }
  PaintCaption(r, style_);
  style_->BGChanged = false;
  return true;
}

void TsCustomPanel::Paint() {
  TWinControl* parent = GetParent();
  if (BeingFreed(this) || !style_) return;
  if (parent && parent->GetControlState().Contains(csCreating)) return;
  if (parent && parent->HandleAllocated() && SendMessageA(parent->GetHandle(), SKM_ISUPDATING, 0, 0) == 1)
    return;
  if (!ControlReadyToPaint(this) || !style_->GetCacheBmp()) {
    TCustomPanel::Paint();
    return;
  }
  const bool was_stale = style_->BGChanged || partly_outside_;
  if (!PrepareCache()) return;
  if (OnPaint) OnPaint(this, style_->GetCacheBmp()->GetCanvas());
  GdiFlush();
  // A paint for opaque children alone (a lane label) leaves none of the panel's own pixels.
  HDC dc = GetCanvas()->GetHandle();
  RECT box{};
  if (GetClipBox(dc, &box) != NULLREGION) style_->CopyCacheToDC(dc, GetClientRect());
  // Windowed labels show the cache as their background: a new one shows through them at once.
  if (was_stale) RepaintLabels(this);
}

void TsCustomPanel::WndProc(TMessage& message) {
  if (!style_) return inherited::WndProc(message);
  const bool skinned = IsValidSkinIndex(style_->SkinIndex);
  if (PassFocusKeepingCache(style_, message, [this](TMessage& m) { inherited::WndProc(m); })) return;
  switch (message.Msg) {
    case WM_WINDOWPOSCHANGED:
    case WM_SETTEXT:
    case CM_VISIBLECHANGED:
    case CM_FONTCHANGED:  // the caption in the cache is written in the font
      if (!SkinChanging) style_->BGChanged = true;
      break;
    case WM_SIZE:
      if (skinned) style_->Updating = true;
      break;
  }
  if (style_->HandleFirst(message)) return;
  inherited::WndProc(message);
  if ((message.Msg == WM_MOVE || message.Msg == WM_SIZE) && style_ && IsValidSkinIndex(style_->SkinIndex) &&
      !BeingFreed(this)) {
    style_->Updating = false;
    RefreshWindowAndChildren(this, true);
  }
}

// ---- TsPanel ------------------------------------------------------------------------------------

TK_CLASS_INFO(TsPanel, TsCustomPanel)

void TsPanel::Publish(TPublisher<TsPanel>& p) {
  p.String("Caption", &TsPanel::GetCaption, &TsPanel::SetCaption);
  p.Enumeration("Alignment", AlignmentInfo(), &TsPanel::GetAlignment, &TsPanel::SetAlignment)
      .Default(taCenter);
  p.Enumeration("BevelOuter", ControlBevelInfo(), &TsPanel::GetBevelOuter, &TsPanel::SetBevelOuter)
      .Default(cbRaisedSoft);
  p.Enumeration("BevelInner", ControlBevelInfo(), &TsPanel::GetBevelInner, &TsPanel::SetBevelInner)
      .Default(cbNone);
  p.Integer("BevelWidth", &TsPanel::GetBevelWidth, &TsPanel::SetBevelWidth).Default(2);
  p.Enumeration("BorderStyle", PanelBorderStyleInfo(), &TsPanel::GetBorderStyle, &TsPanel::SetBorderStyle)
      .Default(bsNone);
  p.Object("sStyle", &TsPanel::GetStyle, &TsPanel::SetStyle);
  p.Event("OnPaint", &TsPanel::OnPaint);
}

TsPanel::TsPanel(TComponent* owner) : TsCustomPanel(owner) { style_->COC = kPanelKind; }

// ---- TsGrip -------------------------------------------------------------------------------------

TK_CLASS_INFO(TsGrip, TsCustomPanel)

TsGrip::TsGrip(TComponent* owner) : TsCustomPanel(owner) {
  SetCaption(" ");
  style_->SetSkinSection("TSGRIP");
  style_->GetBackground()->GetGradient()->SetData(" ");
  SetAlign(alNone);
  SetBounds(GetLeft(), GetTop(), 20, 20);
}

void TsGrip::Paint() {
  if (!ControlReadyToPaint(this)) return;
  style_->BGChanged = false;
  if (UseWindowCache && LinkedControl && LinkedControl->HandleAllocated()) {
    GlobalCacheInfo.Ready = false;
    SendMessageA(LinkedControl->GetHandle(), SKM_GETCACHEINFO, 0, 0);
    const TsCacheInfo ci = GlobalCacheInfo;
    if (ci.Ready && ci.Bmp) {
      BitBlt(GetCanvas()->GetHandle(), 0, 0, GetWidth(), GetHeight(), ci.Bmp->GetCanvas()->GetHandle(),
             ci.Bmp->GetWidth() - GetWidth() + ci.X, ci.Bmp->GetHeight() - GetHeight() + ci.Y, SRCCOPY);
      return;
    }
  }
  style_->BGChanged = true;
  inherited::Paint();
}

void RegisterSkinPanelClasses() {
  RegisterClasses({TsPanel::StaticClass(), TsGrip::StaticClass()});
  RegisterSkinLabelClasses();
  RegisterSkinBevelClasses();
}
