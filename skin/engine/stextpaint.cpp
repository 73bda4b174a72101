// Captions in skin colours, cut captions and text measuring.
#include "skin/engine/stextpaint.h"

#include "skin/engine/sskintables.h"
#include "toolkit/canvas.h"
#include "toolkit/graphics.h"

namespace {

// Fits r to the text (unless it word-breaks) and returns where to draw; r comes back moved
// one pixel right and down. Centred text keeps its size and moves by half the difference,
// as the callers, which pass r already the text's size, expect. The brush is left clear,
// empty text or not: callers go on painting with it.
RECT LayOut(TCanvas* canvas, const std::string& text, RECT& r, UINT flags) {
  canvas->GetBrush()->SetStyle(bsClear);
  if (flags & DT_WORDBREAK) return r;
  SIZE size = canvas->TextExtent(text);
  if ((flags & DT_CENTER) && !(flags & DT_RIGHT)) {
    OffsetRect(&r, (size.cx - (r.right - r.left)) / 2, (size.cy - (r.bottom - r.top)) / 2);
  } else {
    int inward = ((r.bottom - r.top) - size.cy) / 2;
    r.top += inward;
    r.bottom -= inward;
    if (flags & DT_RIGHT)
      r.left = r.right - size.cx;
    else
      r.right = r.left + size.cx;
  }
  RECT draw = r;
  OffsetRect(&r, 1, 1);
  return draw;
}

// Draws with the canvas's font on its DC, no background, restoring the DC afterwards.
class TTextDrawer {
 public:
  TTextDrawer(TCanvas* canvas, const std::string& text, UINT flags)
      : dc_(canvas->GetHandle()), text_(text), flags_(flags) {
    old_font_ = SelectObject(dc_, canvas->GetFont()->GetHandle());
    old_mode_ = SetBkMode(dc_, TRANSPARENT);
    old_color_ = GetTextColor(dc_);
  }
  ~TTextDrawer() {
    SetTextColor(dc_, old_color_);
    SetBkMode(dc_, old_mode_);
    SelectObject(dc_, old_font_);
  }
  void Draw(TColor color, RECT r, int dx = 0, int dy = 0) {
    SetTextColor(dc_, ColorToRGB(color));
    OffsetRect(&r, dx, dy);
    DrawTextA(dc_, text_.c_str(), static_cast<int>(text_.size()), &r, flags_);
  }
  // Embossed: highlight one pixel right and down, the shadow-coloured text over it.
  void DrawDisabled(const RECT& r) {
    Draw(clBtnHighlight, r, 1, 1);
    Draw(clBtnShadow, r);
  }

 private:
  HDC dc_;
  const std::string& text_;
  UINT flags_;
  HGDIOBJ old_font_;
  int old_mode_;
  COLORREF old_color_;
};

}  // namespace

void WriteTextWithContour(TCanvas* canvas, const std::string& text, bool enabled, RECT& r, UINT flags,
                          int skin_index, bool hot) {
  RECT draw = LayOut(canvas, text, r, flags);
  if (text.empty()) return;
  const bool skinned = enabled && IsValidSkinIndex(skin_index);
  const TsFontColors* colors = nullptr;
  if (skinned)
    colors = hot ? &SkinGeneralData[skin_index].HotFontColor : &SkinGeneralData[skin_index].FontColor;
  {
    TTextDrawer drawer(canvas, text, flags);
    if (!enabled) return drawer.DrawDisabled(draw);
    if (!skinned) return drawer.Draw(canvas->GetFont()->GetColor(), draw);
    if (colors->Left != -1) drawer.Draw(colors->Left, draw, -1, 0);
    if (colors->Top != -1) drawer.Draw(colors->Top, draw, 0, -1);
    if (colors->Right != -1) drawer.Draw(colors->Right, draw, 1, 0);
    if (colors->Bottom != -1) drawer.Draw(colors->Bottom, draw, 0, 1);
    drawer.Draw(colors->Color, draw);
  }
  // The main colour stays the canvas's font colour for whatever the caller writes next. Set
  // once the drawer has put the device context back: a font change deselects the font.
  canvas->GetFont()->SetColor(colors->Color);
}

void WriteTextEx(TCanvas* canvas, const std::string& text, bool enabled, RECT& r, UINT flags) {
  RECT draw = LayOut(canvas, text, r, flags);
  if (text.empty()) return;
  TTextDrawer drawer(canvas, text, flags);
  if (enabled)
    drawer.Draw(canvas->GetFont()->GetColor(), draw);
  else
    drawer.DrawDisabled(draw);
}

std::string CutText(TCanvas* canvas, const std::string& text, int max_width) {
  std::string result = max_width >= 1 ? text : std::string();
  if (result.empty() || canvas->TextWidth(result) <= max_width) return result;
  while (!result.empty() && canvas->TextWidth(result + "...") > max_width) result.pop_back();
  if (!result.empty()) result += "...";
  return result;
}

SIZE GetStringSize(HFONT font, const std::string& text) {
  SIZE size{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return size;
}

int GetFontHeight(HFONT font) {
  TEXTMETRICA metrics{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font);
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return metrics.tmHeight + 6;
}
