// How a skinned button composes its look: background, border with the window region, glyph,
// caption, drop-down arrow and the disabled look go into the style's cache bitmap, which is
// then copied to the window in one transfer, so a half-painted button never shows.
#include <algorithm>

#include "skin/controls/sbuttoncontrol.h"
#include "skin/engine/sbevels.h"
#include "skin/engine/sblend.h"
#include "skin/engine/sborders.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyleprops.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/imagelist.h"

namespace {

const char kBordersMask[] = "BORDERSMASK";

// A 24-bit scratch bitmap freed on every way out.
struct TScratch {
  TBitmap* bmp = New<TBitmap>();
  TScratch(int w, int h) {
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(w, h);
  }
  ~TScratch() { Free(bmp); }
  TScratch(const TScratch&) = delete;
  TScratch& operator=(const TScratch&) = delete;
};

}  // namespace

void TsButtonControl::Paint() {
  if (Destroying() || !GetParent() || !HandleAllocated()) return;
  if (style_->BGChanged) PrepareCache();
  TBitmap* cache = style_->GetCacheBmp();
  if (!cache) return;
  BitBlt(GetCanvas()->GetHandle(), 0, 0, cache->GetWidth(), cache->GetHeight(),
         cache->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TsButtonControl::PrepareCache() {
  style_->InitCacheBmp();
  TBitmap* cache = style_->GetCacheBmp();
  const bool fading = fade_timer_->GetEnabled();
  if (button_style_ == tbsSeparator || button_style_ == tbsDivider) {
    TsCacheInfo ci;
    style_->GetParentCacheInfo(ci);
    if (ci.Ready && ci.Bmp) {
      BitBlt(cache->GetCanvas()->GetHandle(), 0, 0, GetWidth(), GetHeight(), ci.Bmp->GetCanvas()->GetHandle(),
             ci.X + GetLeft(), ci.Y + GetTop(), SRCCOPY);
    } else {
      cache->GetCanvas()->FillRect(RECT{0, 0, GetWidth(), GetHeight()});
    }
  } else if (!fading) {
    PaintBackground();
  }
  if (!fading) {
    PaintBorder();
    PaintArrow();
  }
  if (!GetEnabled()) {
    TsCacheInfo ci;
    style_->GetParentCacheInfo(ci);
    FillControlBG(cache, disabled_kind_, this, POINT{GetLeft(), GetTop()}, ci);
  }
  style_->BGChanged = false;
}

void TsButtonControl::PaintBackground() {
  TBitmap* cache = style_->GetCacheBmp();
  if (IsValidSkinIndex(style_->SkinIndex)) {
    TsCacheInfo ci;
    style_->GetParentCacheInfo(ci);
    PaintItemBG(style_->SkinIndex, style_->GetSkinSection(), ci, CurrentState(),
                RECT{0, 0, GetWidth(), GetHeight()}, POINT{GetLeft(), GetTop()}, cache);
  } else {
    style_->PaintBG(cache);
  }
}

void TsButtonControl::PaintBorder() {
  TBitmap* cache = style_->GetCacheBmp();
  const int w = GetWidth(), h = GetHeight();
  if (button_style_ == tbsSeparator) return;
  if (button_style_ == tbsDivider) {
    const int divider = GetSkinIndex("DIVIDER");
    if (IsValidSkinIndex(divider)) {
      const int mask = GetMaskIndex(divider, "DIVIDER", kBordersMask);
      if (!IsValidImgIndex(mask)) return;
      const int fw = GetMaskFrameSize(mask).cx;
      TsCacheInfo ci;
      style_->GetParentCacheInfo(ci);
      ci.X += GetLeft();
      ci.Y += GetTop();
      DrawSkinMaskRect(cache, RECT{(w - fw) / 2, 1, (w + fw) / 2, h - 2}, true, ci, SkinMasks[mask], 0);
    } else {
      const int b = bevel_width_;
      PaintStyleRect(style_, cache, RECT{(w - b) / 2, b, (w - b) / 2 + 3 * b, h - b},
                     style_->GetSoftControl(), style_->GetPaintingBevel(), b);
    }
    return;
  }
  HRGN region = nullptr;
  if (region_changing_) {
    if (region_) DeleteObject(region_);
    region_ = region = CreateRectRgn(0, 0, w, h);
  }
  const RECT bevel_rect{0, 0, w - ArrowWidth(), h};
  if (IsValidSkinIndex(style_->SkinIndex)) {
    const int mask = GetMaskIndex(style_->SkinIndex, style_->GetSkinSection(), kBordersMask);
    if (IsValidImgIndex(mask))
      PaintBorderRegion(cache, region, true, SkinMasks[mask], CurrentState());
    else
      style_->PaintBevel(cache->GetCanvas(), bevel_rect);
  } else {
    TsMaskedBorders* borders = style_->GetBtnEffects()->GetMaskedBorders();
    if (borders->GetEnabled())
      PaintRasterBorder(cache, GetBorderBitmap(borders->GetPredefined(), borders->GetMask()), CurrentState(),
                        borders->GetTransparentColor(), region);
    else
      style_->PaintBevel(cache->GetCanvas(), bevel_rect);
  }
  if (region_changing_ && !GetControlState().Contains(csAlignmentNeeded) && HandleAllocated()) {
    SetWindowRgn(handle_, region_, TRUE);  // the window owns the region from now on
    region_ = nullptr;
    region_changing_ = false;
  }
  DrawGlyph();
  PaintCaptionStep();
}

void TsButtonControl::DrawGlyph() {
  TCustomImageList* list = CurrentImages();
  if (!list || image_index_ < 0) return;
  const RECT r = GlyphRect();
  TBitmap* cache = style_->GetCacheBmp();
  const bool hot = Hot();
  const bool plain = GetEnabled() || list == images_disabled_;
  const bool grey_idle = grayed_ && list == images_;
  TScratch scratch(list->GetWidth(), list->GetHeight());
  TBitmap* glyph = scratch.bmp;
  TCanvas* canvas = glyph->GetCanvas();
  canvas->GetBrush()->SetColor(list->GetBkColor() == clNone ? TColor(0xFF00FF) : list->GetBkColor());
  canvas->FillRect(RECT{0, 0, glyph->GetWidth(), glyph->GetHeight()});
  list->Draw(canvas, 0, 0, image_index_, true);
  const RECT all{0, 0, glyph->GetWidth() - 1, glyph->GetHeight() - 1};
  if (!plain) {
    if (disabled_glyph_kind_.Contains(dkGrayed)) ProcessBitmapPixels(glyph);
    const TColor key = glyph->GetPixelColor(0, glyph->GetHeight() - 1);
    if (disabled_glyph_kind_.Contains(dkBlended))
      BlendRectWithColor(cache, r.left, r.top, key, 0.5, all, glyph);
    else
      MaskBitmapPixels(cache, glyph, r.left, r.top, key);
    return;
  }
  if (!hot && grey_idle) ProcessBitmapPixels(glyph);
  const TColor key = glyph->GetPixelColor(0, glyph->GetHeight() - 1);
  if (!hot && blend_ > 0)
    BlendRectWithColor(cache, r.left, r.top, key, blend_ / 100.0, all, glyph);
  else
    MaskBitmapPixels(cache, glyph, r.left, r.top, key);
}

int CaptionTextWidth(TCanvas* canvas, const std::string& text) {
  canvas->TextExtent("");  // selects the canvas's font into its DC
  RECT r{0, 0, 0, 0};
  DrawTextA(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_SINGLELINE);
  return r.right - r.left;
}

SIZE TsButtonControl::CaptionSize() {
  if (!show_caption_) return SIZE{0, 0};
  style_->InitCacheBmp();
  TCanvas* canvas = style_->GetCacheBmp()->GetCanvas();
  canvas->SetFont(GetFont());
  const std::string& text = GetCaption();
  const int t = canvas->TextWidth(text), gw = GlyphWidth();
  const int s = gw > 0 && !text.empty() ? spacing_ : 0;
  int m = 0;
  if (layout_ == blGlyphLeft || layout_ == blGlyphRight)
    m = std::min(s + t, GetWidth() - gw - 2 * margin_ - s);
  else
    m = std::min(t, GetWidth() - 2 * margin_);
  RECT r{0, 0, m, 0};
  canvas->TextExtent("");
  DrawTextA(canvas->GetHandle(), text.c_str(), static_cast<int>(text.size()), &r,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

RECT TsButtonControl::GlyphRect() {
  const int gw = GlyphWidth(), gh = GlyphHeight(), w = GetWidth(), h = GetHeight(), m = margin_;
  const SIZE c = CaptionSize();
  const int s = show_caption_ && gw > 0 && !GetCaption().empty() ? spacing_ : 0;
  const int hh = (w - gw - s - c.cx) / 2 - m, vv = (h - gh - s - c.cy) / 2 - m;
  int x = 0, y = (h - gh) / 2;
  switch (layout_) {
    case blGlyphLeft:
      x = alignment_ == taLeftJustify ? m : alignment_ == taCenter ? m + hh : 2 * hh + m;
      break;
    case blGlyphRight:
      x = alignment_ == taLeftJustify ? w - m - 2 * hh - s - gw
          : alignment_ == taCenter    ? (w - gw + s + c.cx) / 2
                                      : w - gw - m;
      break;
    case blGlyphTop:
      x = (w - gw) / 2;
      y = m + vv;
      break;
    case blGlyphBottom:
      x = (w - gw) / 2;
      y = h - m - vv - gh;
      break;
  }
  RECT r{x, y, x + gw, y + gh};
  if (down_) OffsetRect(&r, 1, 1);
  return r;
}

RECT TsButtonControl::CaptionRect() {
  const int gw = GlyphWidth(), gh = GlyphHeight(), w = GetWidth(), h = GetHeight(), m = margin_;
  const SIZE c = CaptionSize();
  const bool vertical = layout_ == blGlyphTop || layout_ == blGlyphBottom;
  const bool has_text = !GetCaption().empty();
  const int s1 = (vertical ? gh > 0 && has_text : gw > 0) ? spacing_ : 0;
  const int s2 = (vertical ? gh : gw) > 0 && has_text ? spacing_ : 0;
  const int hh = (w - gw - s2 - c.cx) / 2 - m, vv = (h - gh - s2 - c.cy) / 2 - m;
  int l = 0, r = 0, t = (h - c.cy) / 2, b = h - (h - c.cy) / 2;
  switch (layout_) {
    case blGlyphLeft:
      caption_format_ = DT_LEFT;
      if (alignment_ == taLeftJustify) {
        l = gw + m + s1;
        r = w - m - 2 * hh;
      } else if (alignment_ == taCenter) {
        l = gw + m + hh + s1;
        r = w - m - hh;
      } else {
        l = gw + 2 * hh + m + s1;
        r = w - m;
      }
      break;
    case blGlyphRight:
      caption_format_ = DT_RIGHT;
      l = alignment_ == taLeftJustify ? m : alignment_ == taCenter ? m + hh : 2 * hh + m;
      r = l + c.cx;
      break;
    case blGlyphTop:
      caption_format_ = DT_CENTER;
      l = (w - c.cx) / 2;
      r = w - (w - c.cx) / 2;
      t = m + vv + gh + s1;
      b = h - vv - m;
      break;
    case blGlyphBottom:
      caption_format_ = DT_CENTER;
      l = (w - c.cx) / 2;
      r = w - (w - c.cx) / 2;
      t = m + vv;
      b = h - vv - m - gh - s1;
      break;
  }
  RECT rect{l - 1 + text_offset_, t, r + 2 + text_offset_, b};
  if (down_) OffsetRect(&rect, 1, 1);
  return rect;
}

void TsButtonControl::PaintCaptionStep() {
  TCanvas* canvas = style_->GetCacheBmp()->GetCanvas();
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  const RECT r = CaptionRect();
  if (r.bottom - r.top > canvas->TextHeight("T") + 6) caption_format_ = DT_CENTER;
  DrawCaption(r, caption_format_ | DT_EXPANDTABS | DT_WORDBREAK);
  if (Focused()) PaintFocus(r);
}

void TsButtonControl::DrawCaption(RECT r, UINT flags) {
  if (!show_caption_) return;
  TCanvas* canvas = style_->GetCacheBmp()->GetCanvas();
  canvas->SetFont(GetFont());
  canvas->GetBrush()->SetStyle(bsClear);
  // Right to left, the caption's side is mirrored as well as read from the right.
  const TAlignment side = flags & DT_CENTER ? taCenter : flags & DT_RIGHT ? taRightJustify : taLeftJustify;
  flags = (flags & ~(DT_CENTER | DT_RIGHT)) |
          (DrawTextBiDiFlags(this, side) & (DT_CENTER | DT_RIGHT | DT_RTLREADING));
  WriteTextWithContour(canvas, GetCaption(), true, r, flags, style_->SkinIndex, Hot());
}

void TsButtonControl::PaintArrow() {
  if (button_style_ != tbsDropDown) return;
  TBitmap* cache = style_->GetCacheBmp();
  TCanvas* canvas = cache->GetCanvas();
  const bool hot = Hot();
  const TColor color = hot ? style_->GetHotStyle()->GetHotPainting()->GetFontColor() : GetFont()->GetColor();
  const int d = menu_open_ ? bevel_width_ : 0;
  const RECT z = ArrowZone();
  const int x = z.left + (z.right - z.left) / 2 - 6 + d, y = z.top + (z.bottom - z.top) / 2 - 1 + d;
  if (!IsValidSkinIndex(style_->SkinIndex) && !style_->GetBtnEffects()->GetMaskedBorders()->GetEnabled()) {
    if (menu_open_)
      PaintRectBevel(canvas->GetHandle(), z, 0xFFFFFF, 0x000000, style_->GetSoftControl(), 1,
                     style_->GetPaintingBevelWidth() / 4 + 1);
    else
      style_->PaintBevel(canvas, z);
  }
  auto arrow = [canvas](int ax, int ay, TColor c) {
    canvas->GetBrush()->SetStyle(bsSolid);
    canvas->GetBrush()->SetColor(c);
    canvas->GetPen()->SetColor(c);
    const POINT points[] = {{ax + 3, ay}, {ax + 9, ay}, {ax + 6, ay + 3}};
    canvas->Polygon(points);
  };
  if (GetEnabled()) {
    arrow(x, y, color);
  } else {
    arrow(x + 1, y + 1, 0xFFFFFF);
    arrow(x, y, 0x808080);
  }
}
