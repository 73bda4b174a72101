// The style classes: values from the section or the property objects, backgrounds, borders,
// shadows, bevels and the messages each family takes.
#include "skin/engine/sstyles.h"
#include "skin/engine/sutils.h"

#include <algorithm>
#include <sstream>

#include "skin/engine/sbevels.h"
#include "skin/engine/sblend.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sgradient.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/forms.h"
#include "toolkit/labels.h"
#include "toolkit/picture.h"
#include "toolkit/typinfo.h"

TK_ABSTRACT_CLASS_INFO(TsEditorStyle, TsGenStyle)
TK_ABSTRACT_CLASS_INFO(TsCustomStyle, TsEditorStyle)
TK_ABSTRACT_CLASS_INFO(TsStyle, TsCustomStyle)
TK_ABSTRACT_CLASS_INFO(TsPaintStyle, TsGenStyle)
TK_ABSTRACT_CLASS_INFO(TsPassiveBGStyle, TsPaintStyle)
TK_ABSTRACT_CLASS_INFO(TsActiveBGStyle, TsPassiveBGStyle)

namespace {

constexpr int kBorder = 3;        // the editors' non-client border
constexpr int kSpinStrip = 19;    // the strip of a spin edit's buttons
constexpr int kShadowSoften = 6;  // corner of a soft control's shadow

TsStyleQueries& PlainQueries() {
  static struct : TsStyleQueries {
  } plain;
  return plain;
}

bool Destroying(const TComponent* component) {
  return component && component->GetComponentState().Contains(csDestroying);
}

const TsGeneralData* Section(const TsGenStyle* style) {
  return IsValidSkinIndex(style->SkinIndex) ? &SkinGeneralData[style->SkinIndex] : nullptr;
}

void FillBitmap(TBitmap* bmp, TColor color) {
  TCanvas* canvas = bmp->GetCanvas();
  canvas->GetPen()->SetStyle(psClear);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->GetBrush()->SetColor(color);
  canvas->FillRect(RECT{0, 0, bmp->GetWidth(), bmp->GetHeight()});
}

// A 24-bit bitmap owned for the length of a paint.
struct Owned24 {
  TBitmap* bmp;
  ~Owned24() { Free(bmp); }
};

Owned24 MakeScratch(int width, int height) {
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  return Owned24{bmp};
}

// The gradient into bmp, or the colour when there is none.
void GradientOrColor(TBitmap* bmp, const TsGradArray& gradient, TColor color) {
  if (gradient.empty())
    FillBitmap(bmp, color);
  else
    PaintGrad(bmp, gradient, RECT{0, 0, bmp->GetWidth(), bmp->GetHeight()});
}

// The shadow settings in force: the section's when it has one enabled, else the own ones.
struct TShadowLook {
  bool enabled = false;
  int offset = 0;
  TColor color = 0;
  int blur = 0;
  int transparency = 0;
};

TShadowLook ShadowLook(TsGenStyle* style) {
  if (const TsGeneralData* section = Section(style))
    return TShadowLook{section->ShadowEnabled, section->ShadowOffset, section->ShadowColor,
                       section->ShadowBlur, section->ShadowTransparency};
  TsShadow* shadow = style->GetEffects()->GetShadow();
  return TShadowLook{shadow->GetEnabled(), shadow->GetOffset(), shadow->GetColor(), shadow->GetBlur(),
                     shadow->GetTransparency()};
}

// Paints the shadow of `bounds` (parent coordinates) onto canvas at (x, y) more.
void PaintShadowOf(TsGenStyle* style, TCanvas* canvas, RECT bounds, int x, int y, int painting_transparency) {
  const TShadowLook look = ShadowLook(style);
  if (!canvas || !look.enabled || painting_transparency > 100) return;
  OffsetRect(&bounds, look.offset + x, look.offset + y);
  int transparency = look.transparency;
  if (IsTransparentKind(style->COC) && painting_transparency > 0)
    transparency += (100 - transparency) * painting_transparency / 100;
  PaintBitmapWithEffects(canvas, bounds, canvas->GetHandle(), POINT{bounds.left, bounds.top}, transparency,
                         ColorToRGB(look.color), look.blur, 0, style->GetSoftControl() ? kShadowSoften : 0);
}

}  // namespace

void PaintStyleRect(TsGenStyle* style, TBitmap* bmp, RECT r, bool soft, TsControlBevel kind, int width) {
  (void)style;
  if (!bmp) return;
  PaintSectionBevel(bmp, r, width, kind, soft);
}

// ---- TsEditorStyle --------------------------------------------------------------------------

void TsEditorStyle::Publish(TPublisher<TsEditorStyle>& p) {
  p.Object("Selection", &TsEditorStyle::GetSelection, &TsEditorStyle::SetSelection);
  p.Object("Painting", &TsEditorStyle::GetPainting, &TsEditorStyle::SetPainting);
}

TsEditorStyle::TsEditorStyle(TControl* owner) : TsGenStyle(owner) {
  SetGroupIndex(0);
  selection_ = New<TsEditorSelection>(this);
  painting_ = New<TsEditorPainting>(this);
}

TsEditorStyle::~TsEditorStyle() {
  FreeAndNil(painting_);
  FreeAndNil(selection_);
}

TsStyleQueries& TsEditorStyle::StyleQueries() const {
  return style_queries_ ? *style_queries_ : PlainQueries();
}

void TsEditorStyle::WndProc(TMessage& message) {
  switch (message.Msg) {
    case SKM_GETSKINOBJECT:
      message.WParam = static_cast<WPARAM>(ClassCode());
      message.LParam = reinterpret_cast<LPARAM>(this);
      message.Result = 1;
      return;
    case CM_PARENTCOLORCHANGED:
    case CM_SYSCOLORCHANGE: FollowParentColor(); break;
  }
  TsGenStyle::WndProc(message);
}

void TsEditorStyle::FollowParentColor() {
  TWinControl* parent = owner_ ? owner_->GetParent() : nullptr;
  if (!painting_->GetParentColor() || !parent) return;
  painting_->FollowParentColor(parent->GetColor());
  if (!SkinChanging) BGChanged = true;
}

void TsEditorStyle::LibMessage(TMessage& message) {
  if (static_cast<int32_t>(message.WParam) == GetGroupIndex()) {
    TsLifeGuard guard(this);
    const auto color = static_cast<TColor>(message.LParam);
    switch (message.Msg) {
      case SKM_EDIT_COLOR: painting_->SetColor(color); break;
      case SKM_EDIT_BORDERTOP: painting_->SetColorBorderTop(color); break;
      case SKM_EDIT_BORDERBOTTOM: painting_->SetColorBorderBottom(color); break;
      case SKM_EDIT_BEVEL: painting_->SetBevel(static_cast<TsEditorBevel>(message.LParam)); break;
      case SKM_EDIT_SELCOLOR: selection_->SetColor(color); break;
      case SKM_EDIT_SELBORDERWIDTH:
        selection_->GetBorder()->SetWidth(static_cast<int>(message.LParam));
        break;
      case SKM_EDIT_SELBORDERBEVEL:
        selection_->GetBorder()->SetBevel(static_cast<TsEditorBevel>(message.LParam));
        break;
      case SKM_EDIT_COPYSHADOW:
        CopyLook(DynamicCast<TsGenStyle>(TsMessageObjects::Find(message.LParam)));
        break;
    }
    if (guard.Freed()) return;  // a repaint freed the owner
    // The painting messages; the number between the first two means nothing.
    const bool painting = message.Msg == SKM_EDIT_COLOR || message.Msg == SKM_EDIT_BORDERTOP ||
                          message.Msg == SKM_EDIT_BORDERBOTTOM || message.Msg == SKM_EDIT_BEVEL;
    if (painting && !SkinChanging) BGChanged = true;
  }
  TsGenStyle::LibMessage(message);
}

// The look of another editor style: painting colours and bevel, selection colour and border.
void TsEditorStyle::CopyLook(TsGenStyle* source) {
  auto* editor = DynamicCast<TsEditorStyle>(source);
  if (!editor || editor == this) return;
  painting_->SetColor(editor->painting_->GetColor());
  painting_->SetColorBorderTop(editor->painting_->GetColorBorderTop());
  painting_->SetColorBorderBottom(editor->painting_->GetColorBorderBottom());
  painting_->SetBevel(editor->painting_->GetBevel());
  selection_->SetColor(editor->selection_->GetColor());
  selection_->GetBorder()->Assign(editor->selection_->GetBorder());
}

TColor TsEditorStyle::GetActualColor() {
  const bool selected = UsesSelectionMode() && selection_->GetMode().Contains(msColor) && ControlIsActive();
  if (const TsGeneralData* section = Section(this))
    return selected ? section->SelectionColor : section->PaintingColor;
  return ColorToRGB(selected ? selection_->GetColor() : painting_->GetColor());
}

namespace {

// The width of a mask's whole image (all its states): its own bitmap's, else its rectangle's
// in the master bitmap; 0 for an invalid index.
int MaskImageWidth(int mask_index) {
  if (!IsValidImgIndex(mask_index)) return 0;
  const TsMaskData& mask = SkinMasks[mask_index];
  return mask.Bmp ? mask.Bmp->GetWidth() : WidthOf(mask.R);
}

}  // namespace

void TsEditorStyle::PaintBorder() {
  auto* window = DynamicCast<TWinControl>(owner_);
  if (!window || !window->HandleAllocated()) return;
  const TColor color = GetActualColor();
  const int w = owner_->GetWidth(), h = owner_->GetHeight();
  HDC dc = GetWindowDC(window->GetHandle());
  if (!dc) return;
  const int saved = SaveDC(dc);
  const RECT strip{w - kBorder - kSpinStrip, kBorder, w - kBorder, h - kBorder};
  if (((COC == 7 || COC == 78) && SkinData().SkinLoaded) ||
      (COC == COC_TsCustomListBox && StyleQueries().ShowsScrollBar()))
    FillDC(dc, strip, color);
  if (MaskImageWidth(BorderIndex) != 0) {
    InitCacheBmp();
    FillBitmap(cache_bmp_, color);
    const int state = Pressed ? 2 : ControlIsActive() ? 1 : 0;
    DrawSkinMaskRect(cache_bmp_, RECT{0, 0, w, h}, false, EmptyCI, SkinMasks[BorderIndex], state);
    HDC cache = cache_bmp_->GetCanvas()->GetHandle();
    BitBlt(dc, 0, 0, w, kBorder, cache, 0, 0, SRCCOPY);
    BitBlt(dc, 0, h - kBorder, w, kBorder, cache, 0, h - kBorder, SRCCOPY);
    BitBlt(dc, 0, kBorder, kBorder, h - 2 * kBorder, cache, 0, kBorder, SRCCOPY);
    BitBlt(dc, w - kBorder, kBorder, kBorder, h - 2 * kBorder, cache, w - kBorder, kBorder, SRCCOPY);
  } else {
    FillDC(dc, RECT{0, 0, w, kBorder}, color);
    FillDC(dc, RECT{0, h - kBorder, w, h}, color);
    FillDC(dc, RECT{0, kBorder, kBorder, h - kBorder}, color);
    FillDC(dc, RECT{w - kBorder, kBorder, w, h - kBorder}, color);
    // The painting bevel as the frame's outermost ring.
    const TColor top = ColorToRGB(painting_->GetColorBorderTop());
    const TColor bottom = ColorToRGB(painting_->GetColorBorderBottom());
    switch (painting_->GetBevel()) {
      case ebNone: break;
      case ebRaised: PaintRectBevel(dc, RECT{0, 0, w, h}, top, bottom, false, 0, 1); break;
      case ebLowered: PaintRectBevel(dc, RECT{0, 0, w, h}, top, bottom, false, 1, 1); break;
      case ebAsTopBorder: PaintRectBevel(dc, RECT{0, 0, w, h}, top, bottom, false, 2, 1); break;
      case ebAsBottomBorder: PaintRectBevel(dc, RECT{0, 0, w, h}, top, bottom, false, 3, 1); break;
    }
  }
  RestoreDC(dc, saved);
  ReleaseDC(window->GetHandle(), dc);
}

void TsEditorStyle::PaintBitmap(TCanvas* canvas, int x, int y) {
  if (!owner_) return;
  if (IsComboKind(COC) && StyleQueries().ListDroppedDown()) return;
  RECT bounds = owner_->GetBoundsRect();
  if (COC >= 31 && COC <= 33) {
    RECT mark = StyleQueries().CheckRect();
    if (!IsRectEmpty(&mark)) {
      OffsetRect(&mark, bounds.left, bounds.top);
      bounds = mark;
    }
  }
  const TsGeneralData* section = Section(this);
  PaintShadowOf(this, canvas, bounds, x, y, section ? section->PaintingTransparency : 0);
}

// ---- TsCustomStyle --------------------------------------------------------------------------

void TsCustomStyle::Publish(TPublisher<TsCustomStyle>& p) {
  p.String("KeysNextControl", &TsCustomStyle::GetKeysNextControl, &TsCustomStyle::SetKeysNextControl);
  p.String("KeysPrevControl", &TsCustomStyle::GetKeysPrevControl, &TsCustomStyle::SetKeysPrevControl);
  p.Object("Caption", &TsCustomStyle::GetCaption, &TsCustomStyle::SetCaption);
}

TsCustomStyle::TsCustomStyle(TControl* owner) : TsEditorStyle(owner) { caption_ = New<TsStyleCaption>(this); }

TsCustomStyle::~TsCustomStyle() { FreeAndNil(caption_); }

void TsCustomStyle::WndProc(TMessage& message) {
  TsLifeGuard guard(this);
  switch (message.Msg) {
    case WM_MOVE:
    case WM_SIZE: BoundsChanged(); break;
    case WM_FONTCHANGE:
    case CM_ENABLEDCHANGED:
      if (TControl* label = caption_->GetActive() ? caption_->GetLabel() : nullptr) {
        label->SetEnabled(owner_->GetEnabled());
        label->Invalidate();
      }
      break;
    case CM_VISIBLECHANGED:
      if (TControl* label = caption_->GetActive() ? caption_->GetLabel() : nullptr)
        label->SetVisible(owner_->GetVisible());
      break;
  }
  if (!guard.Freed()) TsEditorStyle::WndProc(message);
}

void TsCustomStyle::BoundsChanged() {
  if (!caption_->GetActive() || !owner_) return;
  if (AsksBeforeCaptionMove(COC)) {
    auto* window = DynamicCast<TWinControl>(owner_);
    if (window && window->HandleAllocated() && SendMessageA(window->GetHandle(), SKM_CAPTIONQUERY, 0, 0) != 0)
      return;
  }
  caption_->PlaceLabel();
  owner_->Repaint();
}

namespace {

// Whether the decimal key code is one of the words (blank or comma separated) of keys.
bool KeyListed(const std::string& keys, WORD key) {
  std::string words = keys;
  std::replace(words.begin(), words.end(), ',', ' ');
  std::istringstream in(words);
  const std::string code = std::to_string(key);
  for (std::string word; in >> word;)
    if (word == code) return true;
  return false;
}

}  // namespace

void TsCustomStyle::KeyDown(WORD& key, TShiftState shift) {
  if (!owner_ || Destroying(owner_)) return;
  if (shift.Contains(ssShift) || shift.Contains(ssAlt) || shift.Contains(ssCtrl)) return;
  if (IsComboKind(COC) && StyleQueries().ListDroppedDown()) return;
  const bool next = KeyListed(keys_next_, key);
  if (!next && !KeyListed(keys_prev_, key)) return;
  TsLifeGuard guard(this);
  MoveFocus(next);
  // The focus change may have freed the control (and this style with it).
  if (!guard.Freed() && owner_ && !Destroying(owner_)) owner_->Invalidate();
  key = 0;
}

void TsCustomStyle::MoveFocus(bool forward) {
  auto* self = DynamicCast<TWinControl>(owner_);
  TCustomForm* form = GetNearestForm(owner_);
  if (!self || !form) return;
  std::vector<TWinControl*> list;
  form->GetTabOrderList(list);
  const auto at = std::find(list.begin(), list.end(), self);
  if (at == list.end()) return;
  const int count = static_cast<int>(list.size()), start = static_cast<int>(at - list.begin());
  for (int step = 1; step < count; ++step) {
    TWinControl* next = list[((forward ? start + step : start - step) % count + count) % count];
    if (next->CanFocus() && next->GetTabStop() && next->GetEnabled() && next->GetVisible()) {
      next->SetFocus();
      return;
    }
  }
}

// ---- TsPaintStyle ---------------------------------------------------------------------------

void TsPaintStyle::Publish(TPublisher<TsPaintStyle>& p) {
  p.Object("Painting", &TsPaintStyle::GetPainting, &TsPaintStyle::SetPainting);
}

TsPaintStyle::TsPaintStyle(TControl* owner) : TsGenStyle(owner) {
  SetGroupIndex(0);
  painting_ = New<TsStylePainting>(this);
}

TsPaintStyle::~TsPaintStyle() { FreeAndNil(painting_); }

TsStyleQueries& TsPaintStyle::StyleQueries() const {
  return style_queries_ ? *style_queries_ : PlainQueries();
}

int TsPaintStyle::GetTransparency() const {
  const TsGeneralData* section = Section(this);
  return section ? section->PaintingTransparency : painting_->GetTransparency();
}

void TsPaintStyle::WndProc(TMessage& message) {
  if (message.Msg == CM_PARENTCOLORCHANGED || message.Msg == CM_SYSCOLORCHANGE) {
    TWinControl* parent = owner_ ? owner_->GetParent() : nullptr;
    if (painting_->GetParentColor() && parent) {
      painting_->FollowParentColor(parent->GetColor());
      TsLifeGuard guard(this);
      Invalidate();
      if (guard.Freed()) return;
    }
  }
  TsGenStyle::WndProc(message);
}

void TsPaintStyle::LibMessage(TMessage& message) {
  if (message.Msg == SKM_PAINT_COLOR && static_cast<int32_t>(message.WParam) == GetGroupIndex()) {
    painting_->SetColor(static_cast<TColor>(message.LParam));
    return;
  }
  TsGenStyle::LibMessage(message);
}

void TsPaintStyle::PaintBitmap(TCanvas* canvas, int x, int y) {
  if (!owner_) return;
  RECT bounds = owner_->GetBoundsRect();
  if (COC == 141) bounds.top += StyleQueries().HeaderHeight();
  PaintShadowOf(this, canvas, bounds, x, y, GetTransparency());
}

// ---- TsPassiveBGStyle -----------------------------------------------------------------------

void TsPassiveBGStyle::Publish(TPublisher<TsPassiveBGStyle>& p) {
  p.Object("Background", &TsPassiveBGStyle::GetBackground, &TsPassiveBGStyle::SetBackground);
}

TsPassiveBGStyle::TsPassiveBGStyle(TControl* owner) : TsPaintStyle(owner) {
  background_ = New<TsBackground>(this);
}

TsPassiveBGStyle::~TsPassiveBGStyle() { FreeAndNil(background_); }

void TsPassiveBGStyle::LibMessage(TMessage& message) {
  const auto group = static_cast<int32_t>(message.WParam);
  if (group == GetGroupIndex() || message.WParam == kAllBackgroundsGroup) {
    const bool listens = IsTransparentKind(COC) && background_->GetListenMSG();
    TsLifeGuard guard(this);
    switch (message.Msg) {
      case SKM_UPDATETRANSPARENT:
        if (const TsGeneralData* section = Section(this); section && section->PaintingTransparency > 0) {
          BGChanged = true;
          if (owner_) owner_->Repaint();
        }
        break;
      case SKM_PAINT_BGIMAGE:
        // A picture or a graphic its sender offered is taken, none clears the image;
        // anything else is no image.
        if (auto* source = TsMessageObjects::Find(message.LParam);
            listens && (!message.LParam || (source && (source->Is<TPicture>() || source->Is<TGraphic>())))) {
          background_->GetImage()->GetImage()->Assign(DynamicCast<TPersistent>(source));
          if (!guard.Freed()) Invalidate();
        }
        break;
      case SKM_PAINT_COPYSHADOW:
        if (auto* source = DynamicCast<TsPassiveBGStyle>(TsMessageObjects::Find(message.LParam));
            listens && source && source != this) {
          background_->Assign(source->background_);
          if (!guard.Freed()) Invalidate();
        }
        break;
    }
    if (guard.Freed()) return;
  }
  TsPaintStyle::LibMessage(message);
}

TColor TsPassiveBGStyle::GetPaintingColor() {
  const TsGeneralData* section = Section(this);
  return section ? section->PaintingColor : GetPainting()->GetColor();
}

TsControlBevel TsPassiveBGStyle::GetPaintingBevel() {
  const TsGeneralData* section = Section(this);
  return section ? section->PaintingBevel : GetPainting()->GetBevel();
}

int TsPassiveBGStyle::GetPaintingBevelWidth() {
  const TsGeneralData* section = Section(this);
  return section ? section->PaintingBevelWidth : GetPainting()->GetBevelWidth();
}

int TsPassiveBGStyle::GetGradientPercent() {
  const TsGeneralData* section = Section(this);
  return section ? section->GradientPercent : background_->GetGradient()->GetPercent();
}

const TsGradArray& TsPassiveBGStyle::GetGradientArray() {
  const TsGeneralData* section = Section(this);
  return section ? section->GradientArray : background_->GetGradient()->GetGradientArray();
}

int TsPassiveBGStyle::GetImagePercent() {
  const TsGeneralData* section = Section(this);
  return section ? section->ImagePercent : background_->GetImage()->GetPercent();
}

namespace {

TBitmap* SectionImage(const TsGenStyle* style, const char* property) {
  const int mask = GetMaskIndex(style->SkinIndex, style->GetSkinSection(), property);
  return IsValidImgIndex(mask) ? SkinMasks[mask].Bmp : nullptr;
}

TBitmap* PictureBitmap(TPicture* picture) {
  return picture ? DynamicCast<TBitmap>(picture->GetGraphic()) : nullptr;
}

}  // namespace

TBitmap* TsPassiveBGStyle::GetImageBitmap() {
  if (Section(this)) return SectionImage(this, "IMAGEFILE");
  return PictureBitmap(background_->GetImage()->GetImage());
}

void TsPassiveBGStyle::CopyParentPart(TBitmap* bmp, const TsCacheInfo& ci) {
  const RECT bounds = owner_->GetBoundsRect();
  BitBlt(bmp->GetCanvas()->GetHandle(), 0, 0, bmp->GetWidth(), bmp->GetHeight(),
         ci.Bmp->GetCanvas()->GetHandle(), bounds.left + ci.X, bounds.top + ci.Y, SRCCOPY);
}

void TsPassiveBGStyle::PaintBG(TBitmap* bmp) {
  if (!bmp || !owner_) return;
  bmp->SetPixelFormat(pf24bit);
  const int w = bmp->GetWidth(), h = bmp->GetHeight();
  TsCacheInfo ci;
  GetParentCacheInfo(ci);
  const bool parent_ready = ci.Ready && ci.Bmp;
  const int transparency = GetTransparency();
  if (parent_ready && transparency == 100) return CopyParentPart(bmp, ci);

  const TColor color = ColorToRGB(GetPaintingColor());
  const int image_percent = GetImagePercent(), gradient_percent = GetGradientPercent();
  bool tiled = false;
  if (image_percent > 0) {
    TBitmap* image = GetImageBitmap();
    if (image && image->GetWidth() > 0 && image->GetHeight() > 0) {
      TileImage(bmp, RECT{0, 0, w, h}, image, TsMaskData{});
      tiled = true;
    } else {
      FillBitmap(bmp, color);
    }
  }
  if (gradient_percent > 0) {
    if (tiled) {
      Owned24 gradient = MakeScratch(w, h);
      GradientOrColor(gradient.bmp, GetGradientArray(), color);
      BlendBitmaps(bmp, gradient.bmp, static_cast<uint8_t>(std::min(image_percent * 256 / 100, 255)));
    } else {
      GradientOrColor(bmp, GetGradientArray(), color);
    }
  }
  const int shares = gradient_percent + image_percent;
  if (shares >= 1 && shares <= 99) {
    BlendColorRectPercent(bmp, RECT{0, 0, w - 1, h - 1}, shares, color);
  } else if (shares != 100) {
    TWinControl* parent = owner_->GetParent();
    FillBitmap(bmp, transparency > 0 && parent ? ColorToRGB(parent->GetColor()) : color);
  }

  if (parent_ready && transparency > 0 && transparency < 100) {
    Owned24 under = MakeScratch(w, h);
    CopyParentPart(under.bmp, ci);
    BlendBitmaps(bmp, under.bmp, static_cast<uint8_t>((100 - transparency) * 255 / 100));
  }
}

// ---- TsActiveBGStyle ------------------------------------------------------------------------

void TsActiveBGStyle::Publish(TPublisher<TsActiveBGStyle>& p) {
  p.Object("HotStyle", &TsActiveBGStyle::GetHotStyle, &TsActiveBGStyle::SetHotStyle);
  p.Object("BtnEffects", &TsActiveBGStyle::GetBtnEffects, &TsActiveBGStyle::SetBtnEffects);
}

TsActiveBGStyle::TsActiveBGStyle(TControl* owner) : TsPassiveBGStyle(owner) {
  hot_style_ = New<TsHotStyle>(this);
  btn_effects_ = New<TsActiveEffects>(this);
}

TsActiveBGStyle::~TsActiveBGStyle() {
  FreeAndNil(btn_effects_);
  FreeAndNil(hot_style_);
}

TColor TsActiveBGStyle::GetPaintingColor() {
  if (!Hot())
    return Section(this) ? TsPassiveBGStyle::GetPaintingColor() : ColorToRGB(GetPainting()->GetColor());
  const TsGeneralData* section = Section(this);
  return section ? section->HotPaintingColor : ColorToRGB(hot_style_->GetHotPainting()->GetColor());
}

TsControlBevel TsActiveBGStyle::GetPaintingBevel() {
  if (!Hot()) return TsPassiveBGStyle::GetPaintingBevel();
  const TsGeneralData* section = Section(this);
  return section ? section->HotPaintingBevel : hot_style_->GetHotPainting()->GetBevel();
}

int TsActiveBGStyle::GetPaintingBevelWidth() {
  if (!Hot()) return TsPassiveBGStyle::GetPaintingBevelWidth();
  const TsGeneralData* section = Section(this);
  return section ? section->HotPaintingBevelWidth : hot_style_->GetHotPainting()->GetBevelWidth();
}

int TsActiveBGStyle::GetGradientPercent() {
  if (!Hot()) return TsPassiveBGStyle::GetGradientPercent();
  const TsGeneralData* section = Section(this);
  return section ? section->HotGradientPercent : hot_style_->GetHotBackground()->GetGradient()->GetPercent();
}

const TsGradArray& TsActiveBGStyle::GetGradientArray() {
  if (!Hot()) return TsPassiveBGStyle::GetGradientArray();
  const TsGeneralData* section = Section(this);
  return section ? section->HotGradientArray
                 : hot_style_->GetHotBackground()->GetGradient()->GetGradientArray();
}

int TsActiveBGStyle::GetImagePercent() {
  if (!Hot()) return TsPassiveBGStyle::GetImagePercent();
  const TsGeneralData* section = Section(this);
  return section ? section->HotImagePercent : hot_style_->GetHotBackground()->GetImage()->GetPercent();
}

TBitmap* TsActiveBGStyle::GetImageBitmap() {
  if (!Hot()) return TsPassiveBGStyle::GetImageBitmap();
  if (Section(this)) return SectionImage(this, "HOTIMAGEFILE");
  return PictureBitmap(hot_style_->GetHotBackground()->GetImage()->GetImage());
}

bool TsActiveBGStyle::GetFadingEnabled() {
  const TsGeneralData* section = Section(this);
  return section ? section->FadingEnabled : btn_effects_->GetFading()->GetEnabled();
}

int TsActiveBGStyle::GetFadingIntervalIn() {
  const TsGeneralData* section = Section(this);
  return section ? section->FadingIntervalIn : btn_effects_->GetFading()->GetIntervalIn();
}

int TsActiveBGStyle::GetFadingIntervalOut() {
  const TsGeneralData* section = Section(this);
  return section ? section->FadingIntervalOut : btn_effects_->GetFading()->GetIntervalOut();
}

int TsActiveBGStyle::GetFadingIterations() {
  const TsGeneralData* section = Section(this);
  return section ? section->FadingIterations : btn_effects_->GetFading()->GetIterations();
}

namespace {

// A control bevel on a canvas: white and black lines, soft or hard, raised or lowered.
void PaintControlBevel(TCanvas* canvas, RECT r, TsControlBevel kind, int width) {
  if (kind == cbNone || width < 1) return;
  const bool soft = kind == cbRaisedSoft || kind == cbLoweredSoft;
  const bool lowered = kind == cbLoweredSoft || kind == cbLoweredHard;
  PaintBevel(canvas, r, 0xFFFFFF, 0x000000, width, soft, lowered ? 1 : 0);
}

TsControlBevel Sunk(TsControlBevel kind) {
  return kind == cbRaisedSoft ? cbLoweredSoft : kind == cbRaisedHard ? cbLoweredHard : kind;
}

}  // namespace

void TsActiveBGStyle::PaintBevel(TCanvas* canvas, RECT r) {
  if (!canvas) return;
  TsStyleQueries& queries = StyleQueries();
  const bool button = queries.IsButton();
  if (!ControlIsActive()) {
    const int width = button ? queries.ButtonBevelWidth() : 1;
    TsControlBevel kind = GetPaintingBevel();
    if (kind == cbNone) {
      // Only a button being designed shows where it is.
      if (button && owner_ && owner_->GetComponentState().Contains(csDesigning)) PaintDottedFrame(canvas, r);
      return;
    }
    if (button && queries.ButtonDown()) kind = Sunk(kind);
    return PaintControlBevel(canvas, r, kind, width);
  }
  if (button && queries.ButtonDown() && !(queries.IsDropDown() && queries.ArrowPressed())) {
    const int width = GetPaintingBevelWidth() / 4 + 1;
    PaintControlBevel(canvas, r, cbLoweredSoft, width);
    const RECT zone = queries.ArrowZone();
    if (queries.IsDropDown() && !queries.MenuOpen() && !IsRectEmpty(&zone))
      PaintControlBevel(canvas, zone, cbLoweredSoft, width);
    return;
  }
  PaintControlBevel(canvas, r, GetPaintingBevel(), GetPaintingBevelWidth());
}
