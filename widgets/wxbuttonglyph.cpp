#include "widgets/wxbuttonglyph.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "toolkit/canvas.h"

// ---- Glyph cache --------------------------------------------------------------------------

// Built images of one size; a slot is reused once the glyph that built it dropped it.
class TWxGlyphList {
 public:
  TWxGlyphList(int width, int height) : width_(width), height_(height) {}
  ~TWxGlyphList() {
    for (TBitmap* image : images_) Free(image);
  }
  bool Fits(SIZE size) const { return size.cx == width_ && size.cy == height_; }
  int Count() const { return count_; }
  TBitmap* Image(int index) const { return images_[static_cast<size_t>(index)]; }
  int Add(TBitmap* image) {
    auto free = std::find(used_.begin(), used_.end(), false);
    const auto index = static_cast<size_t>(free - used_.begin());
    if (free == used_.end()) {
      images_.push_back(nullptr);
      used_.push_back(false);
    }
    images_[index] = image;
    used_[index] = true;
    ++count_;
    return static_cast<int>(index);
  }
  void Release(int index) {
    const auto i = static_cast<size_t>(index);
    if (i >= used_.size() || !used_[i]) return;
    Free(images_[i]);
    images_[i] = nullptr;
    used_[i] = false;
    --count_;
  }

 private:
  int width_, height_;
  std::vector<TBitmap*> images_;
  std::vector<bool> used_;
  int count_ = 0;
};

namespace {

// Process-wide: buttons with glyphs of one size share one list. Never destroyed, so a button
// freed during the process's end still finds it.
std::vector<TWxGlyphList*>& GlyphLists() {
  static auto* lists = new std::vector<TWxGlyphList*>;
  return *lists;
}

TWxGlyphList* ListFor(SIZE size) {
  for (TWxGlyphList* list : GlyphLists())
    if (list->Fits(size)) return list;
  GlyphLists().push_back(new TWxGlyphList(size.cx, size.cy));
  return GlyphLists().back();
}

void DropIfEmpty(TWxGlyphList* list) {
  if (list->Count() > 0) return;
  auto& lists = GlyphLists();
  lists.erase(std::remove(lists.begin(), lists.end(), list), lists.end());
  delete list;
}

TBitmap* NewImage(SIZE size, COLORREF fill) {
  TBitmap* image = New<TBitmap>();
  image->SetPixelFormat(pf24bit);
  image->SetSize(size.cx, size.cy);
  image->GetCanvas()->GetBrush()->SetColor(static_cast<TColor>(fill));
  image->GetCanvas()->FillRect(RECT{0, 0, size.cx, size.cy});
  return image;
}

// One slice of the strip, keyed by the glyph's transparent colour.
TBitmap* Slice(TBitmap* glyph, SIZE size, int slice, COLORREF key) {
  TBitmap* image = NewImage(size, key);
  TCanvas* source = glyph->GetCanvas();
  source->Lock();
  BitBlt(image->GetCanvas()->GetHandle(), 0, 0, size.cx, size.cy, source->GetHandle(), slice * size.cx, 0,
         SRCCOPY);
  source->Unlock();
  image->SetTransparentColor(static_cast<TColor>(key));
  return image;
}

// Paints the brush where the monochrome source is white and keeps the destination elsewhere.
constexpr DWORD kBrushWhereMask = 0xE20746;

// The shape of source (everything but key) in highlight one pixel right and down, then in
// shadow, on background.
TBitmap* Embossed(TBitmap* source, COLORREF key, COLORREF background) {
  const SIZE size{source->GetWidth(), source->GetHeight()};
  GdiFlush();  // the slice was copied by GDI; its pixels are read directly
  HDC mask_dc = CreateCompatibleDC(nullptr);
  HBITMAP mask = CreateBitmap(size.cx, size.cy, 1, 1, nullptr);
  HGDIOBJ old_mask = SelectObject(mask_dc, mask);
  PatBlt(mask_dc, 0, 0, size.cx, size.cy, BLACKNESS);
  for (int y = 0; y < size.cy; ++y)
    for (int x = 0; x < size.cx; ++x)
      if (ColorToRGB(source->GetPixelColor(x, y)) != key) SetPixelV(mask_dc, x, y, RGB(255, 255, 255));
  TBitmap* image = NewImage(size, background);
  HDC dc = image->GetCanvas()->GetHandle();
  const COLORREF old_text = SetTextColor(dc, RGB(0, 0, 0)), old_bk = SetBkColor(dc, RGB(255, 255, 255));
  for (auto [shift, color] : {std::pair{1, clBtnHighlight}, std::pair{0, clBtnShadow}}) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    HGDIOBJ old_brush = SelectObject(dc, brush);
    BitBlt(dc, shift, shift, size.cx, size.cy, mask_dc, 0, 0, kBrushWhereMask);
    SelectObject(dc, old_brush);
    DeleteObject(brush);
  }
  SetTextColor(dc, old_text);
  SetBkColor(dc, old_bk);
  SelectObject(mask_dc, old_mask);
  DeleteObject(mask);
  DeleteDC(mask_dc);
  image->GetCanvas()->Refresh();
  image->SetTransparentColor(static_cast<TColor>(background));
  return image;
}

// Every pixel but the transparent and the face colour turned to its grey.
void Greyed(TBitmap* image, COLORREF key) {
  const COLORREF face = ColorToRGB(clBtnFace);
  TCanvas* canvas = image->GetCanvas();
  for (int y = 0; y < image->GetHeight(); ++y)
    for (int x = 0; x < image->GetWidth(); ++x) {
      const COLORREF c = ColorToRGB(canvas->GetPixels(x, y));
      if (c == key || c == face) continue;
      const int grey = (77 * GetRValue(c) + 150 * GetGValue(c) + 29 * GetBValue(c)) / 256;
      canvas->SetPixels(x, y, static_cast<TColor>(RGB(grey, grey, grey)));
    }
}

// Lines wider than space lose characters from their end, two and then one more each round,
// with "..." appended; the lines are joined again without trailing blanks.
std::string Shortened(HDC dc, const std::string& caption, int space) {
  auto width = [dc](const std::string& s) {
    SIZE extent{};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &extent);
    return static_cast<int>(extent.cx);
  };
  std::string result;
  size_t start = 0;
  while (start <= caption.size()) {
    size_t end = caption.find('\n', start);
    if (end == std::string::npos) end = caption.size();
    std::string line = caption.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (width(line) > space) {
      std::string cut;
      for (size_t n = 2;; ++n) {
        cut = line.substr(0, line.size() - std::min(n, line.size())) + "...";
        if (n >= line.size() || width(cut) <= space) break;
      }
      line = cut;
    }
    if (start > 0) result += "\r\n";
    result += line;
    start = end + 1;
  }
  while (!result.empty() && (result.back() == ' ' || result.back() == '\n' || result.back() == '\r'))
    result.pop_back();
  return result;
}

// A bitmap's palette selected and realised in a device context for a scope; the context's own
// comes back after it. Without a palette nothing happens.
class TPaletteScope {
 public:
  TPaletteScope(HDC dc, HPALETTE palette)
      : dc_(dc), old_(palette ? SelectPalette(dc, palette, FALSE) : nullptr) {
    if (old_) RealizePalette(dc);
  }
  ~TPaletteScope() {
    if (old_) SelectPalette(dc_, old_, TRUE);
  }
  TPaletteScope(const TPaletteScope&) = delete;
  TPaletteScope& operator=(const TPaletteScope&) = delete;

 private:
  HDC dc_;
  HPALETTE old_;
};

}  // namespace

int WxGlyphCacheListCount() { return static_cast<int>(GlyphLists().size()); }

// ---- Drawing helpers ----------------------------------------------------------------------

void DrawBitmapTransparent(TCanvas* canvas, int x, int y, int width, int height, TBitmap* bitmap, RECT source,
                           TColor transparent) {
  if (!bitmap || bitmap->GetEmpty()) return;
  if (width < 1) width = bitmap->GetWidth();
  if (height < 1) height = bitmap->GetHeight();
  if (source.right - source.left < 1 || source.bottom - source.top < 1)
    source = {0, 0, bitmap->GetWidth(), bitmap->GetHeight()};
  const int sw = source.right - source.left, sh = source.bottom - source.top;
  HDC dest = canvas->GetHandle();
  const bool mono = bitmap->GetMonochrome();
  const int old_stretch = mono ? 0 : SetStretchBltMode(dest, COLORONCOLOR);
  HPALETTE palette = bitmap->GetPalette();
  TCanvas* bitmap_canvas = bitmap->GetCanvas();
  bitmap_canvas->Lock();
  HDC src = bitmap_canvas->GetHandle();
  TPaletteScope dest_palette(dest, palette), src_palette(src, palette);
  if (transparent == clNone) {
    StretchBlt(dest, x, y, width, height, src, source.left, source.top, sw, sh, canvas->GetCopyMode());
  } else {
    const COLORREF key = transparent == clDefault
                             ? ColorToRGB(bitmap->GetPixelColor(0, bitmap->GetHeight() - 1))
                         : mono ? RGB(255, 255, 255)
                                : ColorToRGB(transparent);
    // Mask: white where the source shows the key.
    HDC mask_dc = CreateCompatibleDC(dest);
    HBITMAP mask = CreateBitmap(sw, sh, 1, 1, nullptr);
    HGDIOBJ old_mask = SelectObject(mask_dc, mask);
    std::optional<TPaletteScope> mask_palette(std::in_place, mask_dc, palette);
    const COLORREF old_src_bk = SetBkColor(src, key);
    BitBlt(mask_dc, 0, 0, sw, sh, src, source.left, source.top, SRCCOPY);
    SetBkColor(src, old_src_bk);
    // The destination, cleared where the picture goes.
    HDC work_dc = CreateCompatibleDC(dest);
    HBITMAP work = CreateCompatibleBitmap(dest, width, height);
    HGDIOBJ old_work = SelectObject(work_dc, work);
    std::optional<TPaletteScope> work_palette(std::in_place, work_dc, palette);
    SetStretchBltMode(work_dc, COLORONCOLOR);
    BitBlt(work_dc, 0, 0, width, height, dest, x, y, SRCCOPY);
    SetTextColor(work_dc, RGB(0, 0, 0));
    SetBkColor(work_dc, RGB(255, 255, 255));
    StretchBlt(work_dc, 0, 0, width, height, mask_dc, 0, 0, sw, sh, SRCAND);
    // The source, cleared where the key was, laid over it.
    HDC clean_dc = CreateCompatibleDC(dest);
    HBITMAP clean = CreateCompatibleBitmap(dest, sw, sh);
    HGDIOBJ old_clean = SelectObject(clean_dc, clean);
    std::optional<TPaletteScope> clean_palette(std::in_place, clean_dc, palette);
    BitBlt(clean_dc, 0, 0, sw, sh, src, source.left, source.top, SRCCOPY);
    SetTextColor(clean_dc, RGB(255, 255, 255));
    SetBkColor(clean_dc, RGB(0, 0, 0));
    BitBlt(clean_dc, 0, 0, sw, sh, mask_dc, 0, 0, SRCAND);
    StretchBlt(work_dc, 0, 0, width, height, clean_dc, 0, 0, sw, sh, SRCPAINT);
    BitBlt(dest, x, y, width, height, work_dc, 0, 0, SRCCOPY);
    clean_palette.reset();
    work_palette.reset();
    mask_palette.reset();
    SelectObject(clean_dc, old_clean);
    DeleteObject(clean);
    DeleteDC(clean_dc);
    SelectObject(work_dc, old_work);
    DeleteObject(work);
    DeleteDC(work_dc);
    SelectObject(mask_dc, old_mask);
    DeleteObject(mask);
    DeleteDC(mask_dc);
  }
  bitmap_canvas->Unlock();
  if (!mono) SetStretchBltMode(dest, old_stretch);
}

void DrawDropDownMark(HDC dc, int x, int y, bool enabled) {
  auto arrow = [dc](int left, int top, TColor color) {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(color));
    for (int row = 0; row < 4; ++row) {
      RECT line{left + row, top + row, left + 7 - row, top + row + 1};
      FillRect(dc, &line, brush);
    }
    DeleteObject(brush);
  };
  if (enabled) return arrow(x, y, clBtnText);
  arrow(x + 1, y + 1, clBtnHighlight);
  arrow(x, y, clBtnShadow);
}

// ---- TWxButtonGlyph -----------------------------------------------------------------------

TWxButtonGlyph::TWxButtonGlyph() : glyph_(New<TBitmap>()), relay_(New<TRelay>(this)) {
  glyph_->OnChange = TNotifyEvent(relay_, &TRelay::Changed);
}

TWxButtonGlyph::~TWxButtonGlyph() {
  Invalidate();
  Free(glyph_);
  Free(relay_);
}

void TWxButtonGlyph::Changed() { OnChange(glyph_); }

void TWxButtonGlyph::SetNumGlyphs(int count) {
  if (count <= 0 || count > 5 || count == num_glyphs_) return;
  Invalidate();
  num_glyphs_ = count;
  Changed();
}

void TWxButtonGlyph::SetAlignment(TAlignment value) {
  if (value == alignment_) return;
  alignment_ = value;
  Changed();
}

void TWxButtonGlyph::SetGrayNewStyle(bool value) {
  if (value == gray_new_style_) return;
  gray_new_style_ = value;
  Invalidate();
  Changed();
}

void TWxButtonGlyph::SetWordWrap(bool value) {
  if (value == word_wrap_) return;
  word_wrap_ = value;
  Changed();
}

void TWxButtonGlyph::SetActionImage(TBitmap* image) {
  glyph_->Assign(image);
  from_action_ = true;
  Invalidate();
}

void TWxButtonGlyph::GlyphChanged(TObject*) {
  from_action_ = false;
  Invalidate();
  // A strip of square images says how many it holds.
  const int width = glyph_->GetWidth(), height = glyph_->GetHeight();
  if (height > 0 && width % height == 0) num_glyphs_ = width / height > 5 ? 1 : width / height;
  Changed();
}

TColor TWxButtonGlyph::GetTransparentColor() const {
  return static_cast<TColor>(ColorToRGB(glyph_->GetTransparentColor()) & 0xFFFFFF);
}

SIZE TWxButtonGlyph::GetImageSize() const {
  if (glyph_->GetEmpty() || glyph_->GetWidth() / num_glyphs_ <= 0) return {0, 0};
  return {glyph_->GetWidth() / num_glyphs_, glyph_->GetHeight()};
}

void TWxButtonGlyph::Invalidate() {
  if (!list_) return;
  for (int& index : indexes_) {
    if (index >= 0) list_->Release(index);
    index = -1;
  }
  DropIfEmpty(list_);
  list_ = nullptr;
}

TBitmap* TWxButtonGlyph::BuildImage(TWxButtonState state) {
  const SIZE size = GetImageSize();
  const auto key = static_cast<COLORREF>(GetTransparentColor());
  const bool own = static_cast<int>(state) < num_glyphs_;
  switch (state) {
    case wbsDisabled: {
      if (own) return Slice(glyph_, size, 1, key);
      TBitmap* up = Slice(glyph_, size, 0, key);
      TBitmap* image = Embossed(up, key, gray_new_style_ && !from_action_ ? key : ColorToRGB(clBtnFace));
      Free(up);
      return image;
    }
    case wbsInactive: {
      TBitmap* image = Slice(glyph_, size, own ? 4 : 0, key);
      if (!own) Greyed(image, key);
      return image;
    }
    case wbsDown: return Slice(glyph_, size, num_glyphs_ < 3 ? 0 : 2, key);
    case wbsExclusive: return Slice(glyph_, size, own ? 3 : 0, key);
    default: return Slice(glyph_, size, 0, key);
  }
}

TBitmap* TWxButtonGlyph::StateImage(TWxButtonState state) {
  const SIZE size = GetImageSize();
  if (size.cx <= 0 || size.cy <= 0) return nullptr;
  int& index = indexes_[state];
  if (index < 0) {
    if (!list_) list_ = ListFor(size);
    index = list_->Add(BuildImage(state));
  }
  return list_->Image(index);
}

UINT TWxButtonGlyph::TextFlags(UINT bidi_flags) const {
  TAlignment alignment = alignment_;
  // Right-to-left reading mirrors left and right.
  if ((bidi_flags & DT_RTLREADING) && alignment != taCenter)
    alignment = alignment == taLeftJustify ? taRightJustify : taLeftJustify;
  const UINT align = alignment == taLeftJustify    ? DT_LEFT
                     : alignment == taRightJustify ? DT_RIGHT
                                                   : DT_CENTER;
  return align | (word_wrap_ ? DT_WORDBREAK : 0u) | bidi_flags;
}

TWxButtonGlyph::TLayout TWxButtonGlyph::Arrange(HDC dc, const RECT& client, const std::string& caption,
                                                TButtonLayout layout, int margin, int spacing, bool mark,
                                                UINT bidi_flags) const {
  const SIZE area{client.right - client.left, client.bottom - client.top};
  const SIZE glyph = GetImageSize();
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  const int mark_room = mark ? 9 : 0;
  // The caption's room along the layout: beside the glyph the width, above or below it the
  // height, less glyph, margin and spacing (each when not -1) and the mark. Without a glyph
  // nothing is above or below the caption, which has the width (a wide, low button would
  // otherwise cut its caption to fit the height).
  const int across = area.cx - mark_room;
  const bool above_or_below = !horizontal && glyph.cx > 0 && glyph.cy > 0;
  int space = above_or_below ? area.cy - glyph.cy : area.cx - glyph.cx;
  space -= (margin != -1 ? margin : 0) + (spacing != -1 ? spacing : 0) + mark_room;
  space = std::max(space, 1);

  TLayout result;
  result.caption = caption.substr(0, 255);
  if (!word_wrap_) result.caption = Shortened(dc, result.caption, space);
  SIZE text{0, 0};
  if (!result.caption.empty()) {
    // Wrapped lines take the width beside the glyph, or the whole width above or below it.
    RECT measured{0, 0, horizontal ? space : std::max(across, 1), 0};
    DrawTextA(dc, result.caption.c_str(), static_cast<int>(result.caption.size()), &measured,
              DT_CALCRECT | TextFlags(bidi_flags));
    text = {measured.right - measured.left, measured.bottom - measured.top};
    // Aligned lines under or over the glyph take the whole width.
    if (!horizontal && alignment_ != taCenter) text.cx = std::max<LONG>(text.cx, across);
  }
  // The arrow rides after the glyph, or after the caption when there is no glyph.
  SIZE glyph_box = glyph, text_box = text;
  if (mark && glyph.cx > 0) glyph_box.cx += 8;
  if (mark && glyph.cx == 0 && text.cx > 0) text_box.cx += 10;

  const TGlyphTextPlace place = PlaceGlyphAndText(area, glyph_box, text_box, layout, margin, spacing);
  const POINT glyph_pos = place.glyph, text_pos = place.text;
  result.glyph = {client.left + glyph_pos.x, client.top + glyph_pos.y};
  result.text = {client.left + text_pos.x, client.top + text_pos.y, client.left + text_pos.x + text.cx,
                 client.top + text_pos.y + text.cy};
  if (glyph.cx > 0)
    result.mark = {result.glyph.x + glyph.cx + 1, result.glyph.y + glyph.cy / 2 - 2};
  else if (text.cx > 0)
    result.mark = {result.text.right + 3, (result.text.top + result.text.bottom) / 2 - 2};
  else
    result.mark = {client.left + (area.cx - 7) / 2, client.top + (area.cy - 4) / 2};
  return result;
}

RECT TWxButtonGlyph::Draw(TCanvas* canvas, const RECT& client, POINT offset, const std::string& caption,
                          TButtonLayout layout, int margin, int spacing, TWxButtonState state, bool mark,
                          TColor text_color, UINT bidi_flags) {
  HDC dc = canvas->GetHandle();
  const TLayout place = Arrange(dc, client, caption, layout, margin, spacing, mark, bidi_flags);
  if (TBitmap* image = StateImage(state))
    DrawBitmapTransparent(canvas, place.glyph.x + offset.x, place.glyph.y + offset.y, 0, 0, image, RECT{},
                          image->GetTransparentColor());
  RECT text = place.text;
  OffsetRect(&text, offset.x, offset.y);
  if (!place.caption.empty()) {
    const int old_mode = SetBkMode(dc, TRANSPARENT);
    const COLORREF old_color = GetTextColor(dc);
    const UINT flags = TextFlags(bidi_flags);
    const int length = static_cast<int>(place.caption.size());
    if (state == wbsDisabled) {
      RECT shifted = text;
      OffsetRect(&shifted, 1, 1);
      SetTextColor(dc, ColorToRGB(clBtnHighlight));
      DrawTextA(dc, place.caption.c_str(), length, &shifted, flags);
      SetTextColor(dc, ColorToRGB(clBtnShadow));
    } else {
      SetTextColor(dc, ColorToRGB(text_color));
    }
    DrawTextA(dc, place.caption.c_str(), length, &text, flags);
    SetTextColor(dc, old_color);
    SetBkMode(dc, old_mode);
  }
  if (mark) DrawDropDownMark(dc, place.mark.x + offset.x, place.mark.y + offset.y, state != wbsDisabled);
  return text;
}
