#include "bitmap32/label32.h"

#include <algorithm>

#include "toolkit/classregistry.h"
#include "toolkit/typinfo.h"

const TEnumInfo& TextEllipsisInfo() {
  static const TEnumInfo info{"telNone", "telEnd", "telPath"};
  return info;
}

const TEnumInfo& TextHAlignInfo() {
  static const TEnumInfo info{"thaLeft", "thaCenter", "thaRight"};
  return info;
}

const TEnumInfo& TextVAlignInfo() {
  static const TEnumInfo info{"tvaTop", "tvaCenter", "tvaBottom"};
  return info;
}

namespace {

RECT Shrunk(RECT r) { return {r.left + 1, r.top + 1, r.right - 1, r.bottom - 1}; }

}  // namespace

TK_CLASS_INFO(TLabel32, TGraphicControl)

void TLabel32::Publish(TPublisher<TLabel32>& p) {
  using C = TLabel32;
  p.String("Caption", &C::GetCaption, &C::SetCaption);
  p.Integer("Contrast", &C::GetContrast, &C::SetContrast).Default(0);
  p.Boolean("ShadowOn", &C::GetShadowOn, &C::SetShadowOn).Default(true);
  p.Color("ShadowColor", &C::GetShadowColor, &C::SetShadowColor).Default(clWhite);
  p.Enumeration("TextEllipsis", TextEllipsisInfo(), &C::GetTextEllipsis, &C::SetTextEllipsis)
      .Default(telNone);
  p.Enumeration("TextHAlign", TextHAlignInfo(), &C::GetTextHAlign, &C::SetTextHAlign).Default(thaLeft);
  p.Enumeration("TextVAlign", TextVAlignInfo(), &C::GetTextVAlign, &C::SetTextVAlign).Default(tvaCenter);
  p.Boolean("TextPrefix", &C::GetTextPrefix, &C::SetTextPrefix).Default(false);
  p.Boolean("TextSingleLine", &C::GetTextSingleLine, &C::SetTextSingleLine).Default(true);
  p.Boolean("TextAutoSize", &C::GetTextAutoSize, &C::SetTextAutoSize).Default(false);
  p.Integer("TextAutoSizeSpacing", &C::GetTextAutoSizeSpacing, &C::SetTextAutoSizeSpacing).Default(5);
  p.Integer("ShadowCount", &C::GetShadowCount, &C::SetShadowCount).Default(1);
  p.Color("TextColor", &C::GetTextColor, &C::SetTextColor).Default(clWindowText);
  p.Color("Color", &C::GetColor, &C::SetColor);
}

TLabel32::TLabel32(TComponent* owner) : TGraphicControl(owner), buffer_(New<TBitmap32>()) {
  control_style_.Include(csOpaque);
  SetBounds(0, 0, 100, 14);
  SetColor(clBtnFace);
  TFont* font = GetFont();
  font->SetName("Arial");
  font->SetStyle(TFontStyles{fsBold});
  font->SetSize(8);
  SetParentFont(false);
}

TLabel32::~TLabel32() { Free(buffer_); }

void TLabel32::SetCaption(const std::string& value) {
  caption_ = value;
  Invalidate();
}

void TLabel32::SetContrast(int value) {
  contrast_ = std::clamp(value, -100, 100);
  Invalidate();
}

void TLabel32::SetShadowOn(bool value) {
  shadow_on_ = value;
  Invalidate();
}

void TLabel32::SetShadowColor(TColor value) {
  shadow_color_ = value;
  Invalidate();
}

void TLabel32::SetTextEllipsis(duTextEllipsis value) {
  ellipsis_ = value;
  Invalidate();
}

void TLabel32::SetTextHAlign(duTextHAlign value) {
  h_align_ = value;
  Invalidate();
}

void TLabel32::SetTextVAlign(duTextVAlign value) {
  v_align_ = value;
  Invalidate();
}

void TLabel32::SetTextPrefix(bool value) {
  prefix_ = value;
  Invalidate();
}

void TLabel32::SetTextSingleLine(bool value) {
  single_line_ = value;
  Invalidate();
}

void TLabel32::SetTextAutoSize(bool value) {
  auto_size_ = value;
  Invalidate();
}

void TLabel32::SetTextAutoSizeSpacing(int value) {
  auto_size_spacing_ = std::max(value, 0);
  Invalidate();
}

void TLabel32::SetShadowCount(int value) {
  shadow_count_ = std::clamp(value, 1, 5);
  Invalidate();
}

void TLabel32::SetTextColor(TColor value) {
  text_color_ = value;
  Invalidate();
}

void TLabel32::SetColor(TColor value) {
  // The control's own setter repaints only for a new colour.
  TGraphicControl::SetColor(value);
  Invalidate();
}

UINT TLabel32::GetTextFlags() const {
  UINT flags = 0;
  if (h_align_ == thaCenter) flags += DT_CENTER;
  if (h_align_ == thaRight) flags += DT_RIGHT;
  if (v_align_ == tvaCenter) flags += DT_VCENTER;
  if (v_align_ == tvaBottom) flags += DT_BOTTOM;
  if (ellipsis_ == telEnd) flags += DT_END_ELLIPSIS;
  if (ellipsis_ == telPath) flags += DT_PATH_ELLIPSIS;
  if (!prefix_) flags += DT_NOPREFIX;
  if (single_line_) flags += DT_SINGLELINE;
  return flags;
}

void TLabel32::Render(TBitmap32* b) {
  b->SetFont(GetFont());
  if (auto_size_) {
    const SIZE text = b->TextExtent(caption_);
    const int width = text.cx + auto_size_spacing_, height = text.cy + auto_size_spacing_;
    // Only a real change: SetBounds invalidates, and the paint that follows measures the same
    // size again, so a resize from a paint leads to exactly one more paint.
    if (width != GetWidth() || height != GetHeight()) SetBounds(GetLeft(), GetTop(), width, height);
  }
  b->SetSize(GetWidth(), GetHeight());
  if (b->Empty()) return;
  const UINT flags = GetTextFlags();
  TColor32 background = ToColor32(GetColor());
  if (contrast_ != 0) background = LightenColor(background, contrast_);
  b->Clear(background);
  const RECT client{0, 0, GetWidth(), GetHeight()};
  if (shadow_on_) {
    b->GetFont()->SetColor(shadow_color_);
    b->DrawText(Shrunk(client), flags, caption_);
    for (int i = 0; i < shadow_count_; ++i) ApplyPresetFilter32(7, b);
  }
  b->RaiseFrame(client, contrast_);
  b->GetFont()->SetColor(text_color_);
  b->DrawText(Shrunk(client), flags, caption_);
}

void TLabel32::Paint() {
  ++paint_count_;
  Render(buffer_);
  // The screen transfer ignores alpha, so the text's alpha of 0 leaves no hole.
  buffer_->DrawTo(GetCanvas()->GetHandle(), 0, 0);
}

void RegisterLabel32Class() { RegisterClasses({TLabel32::StaticClass()}); }
