#include "toolkit/graphics.h"

#include <atomic>
#include <cstring>

#include "toolkit/bitmap.h"
#include "toolkit/typinfo.h"

namespace {

std::atomic<int> g_objects_in_use{0};

const TEnumInfo& FontStyleInfo() {
  static const TEnumInfo info{"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"};
  return info;
}
const TEnumInfo& FontPitchInfo() {
  static const TEnumInfo info{"fpDefault", "fpVariable", "fpFixed"};
  return info;
}
const TEnumInfo& PenStyleInfo() {
  static const TEnumInfo info{"psSolid",      "psDash",  "psDot",        "psDashDot",
                              "psDashDotDot", "psClear", "psInsideFrame"};
  return info;
}
const TEnumInfo& PenModeInfo() {
  static const TEnumInfo info{"pmBlack",      "pmNotMerge",    "pmMaskNotPen", "pmNotCopy",
                              "pmMaskPenNot", "pmNot",         "pmXor",        "pmNotMask",
                              "pmMask",       "pmNotXor",      "pmNop",        "pmMergeNotPen",
                              "pmCopy",       "pmMergePenNot", "pmMerge",      "pmWhite"};
  return info;
}
const TEnumInfo& BrushStyleInfo() {
  static const TEnumInfo info{"bsSolid",     "bsClear",     "bsHorizontal", "bsVertical",
                              "bsFDiagonal", "bsBDiagonal", "bsCross",      "bsDiagCross"};
  return info;
}

constexpr int kDefaultFontSize = 8;

}  // namespace

int ScreenPixelsPerInch() {
  static const int ppi = [] {
    HDC dc = GetDC(nullptr);
    int value = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 0;
    if (dc) ReleaseDC(nullptr, dc);
    return value > 0 ? value : 96;
  }();
  return ppi;
}

int GraphicsObjectsInUse() { return g_objects_in_use.load(); }

HGDIOBJ TrackGdiObject(HGDIOBJ object) {
  if (!object) throw EOutOfResources("Out of system resources (GDI object)");
  ++g_objects_in_use;
  return object;
}

bool DeleteTrackedObject(HGDIOBJ object) {
  if (!object || !DeleteObject(object)) return false;
  --g_objects_in_use;
  return true;
}

HGDIOBJ UntrackGdiObject(HGDIOBJ object) {
  if (object) --g_objects_in_use;
  return object;
}

HDC TrackDC(HDC dc) {
  if (!dc) throw EOutOfResources("Out of system resources (device context)");
  ++g_objects_in_use;
  return dc;
}

bool DeleteTrackedDC(HDC dc) {
  if (!dc || !DeleteDC(dc)) return false;
  --g_objects_in_use;
  return true;
}

// ---- TGraphicsObject ----------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TGraphicsObject, TPersistent)

TGraphicsObject::~TGraphicsObject() { DeleteHandle(); }

void TGraphicsObject::Changed(bool handle_changed) {
  const bool outer = handle_changing_;
  handle_changing_ = handle_changed;
  try {
    OnChange(this);
  } catch (...) {
    handle_changing_ = outer;
    throw;
  }
  handle_changing_ = outer;
  if (handle_changed) DeleteHandle();
}

HGDIOBJ TGraphicsObject::CachedHandle() {
  if (!handle_) handle_ = TrackGdiObject(CreateGdiHandle());
  return handle_;
}

void TGraphicsObject::DeleteHandle() {
  if (!handle_) return;
  DeleteTrackedObject(handle_);
  handle_ = nullptr;
}

// ---- TFont --------------------------------------------------------------------------------

TK_CLASS_INFO(TFont, TGraphicsObject)

void TFont::Publish(TPublisher<TFont>& p) {
  p.Integer("Charset", &TFont::GetCharset, &TFont::SetCharset).Default(DEFAULT_CHARSET);
  p.Color("Color", &TFont::GetColor, &TFont::SetColor).Default(clWindowText);
  p.Integer("Height", &TFont::GetHeight, &TFont::SetHeight);
  p.String("Name", &TFont::GetName, &TFont::SetName);
  p.Enumeration("Pitch", FontPitchInfo(), &TFont::GetPitch, &TFont::SetPitch).Default(fpDefault);
  p.Integer("Size", &TFont::GetSize, &TFont::SetSize);
  p.Set("Style", FontStyleInfo(), &TFont::GetStyle, &TFont::SetStyle).Default(0);
}

TFont::TFont()
    : name_("MS Sans Serif"),
      height_(-MulDiv(kDefaultFontSize, ScreenPixelsPerInch(), 72)),
      pixels_per_inch_(ScreenPixelsPerInch()) {}

void TFont::Assign(TPersistent* source) {
  if (auto* font = DynamicCast<TFont>(source)) {
    if (font == this) return;
    // Height alone is copied: it is the font; Size follows from this font's resolution.
    const bool same_face = name_ == font->name_ && height_ == font->height_ && style_ == font->style_ &&
                           pitch_ == font->pitch_ && charset_ == font->charset_;
    // A colour alone keeps the handle, as SetColor does: a label that takes its control's font
    // and then writes in its own colours would otherwise make a new font on every paint.
    if (same_face) return SetColor(font->color_);
    name_ = font->name_;
    height_ = font->height_;
    style_ = font->style_;
    color_ = font->color_;
    pitch_ = font->pitch_;
    charset_ = font->charset_;
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TFont::SetHandle(HFONT font) {
  LOGFONTA lf{};
  if (!font || GetObjectA(font, sizeof lf, &lf) != static_cast<int>(sizeof lf))
    throw EInvalidGraphicOperation("Not a font handle");
  name_ = lf.lfFaceName;
  height_ = lf.lfHeight;
  TFontStyles style;
  if (lf.lfWeight >= FW_BOLD) style.Include(fsBold);
  if (lf.lfItalic) style.Include(fsItalic);
  if (lf.lfUnderline) style.Include(fsUnderline);
  if (lf.lfStrikeOut) style.Include(fsStrikeOut);
  style_ = style;
  switch (lf.lfPitchAndFamily & 3) {
    case FIXED_PITCH: pitch_ = fpFixed; break;
    case VARIABLE_PITCH: pitch_ = fpVariable; break;
    default: pitch_ = fpDefault;
  }
  charset_ = lf.lfCharSet;
  Changed();
}

void TFont::SetName(const std::string& name) {
  // An empty name would give whatever face the font mapper likes.
  if (name.empty() || name == name_) return;
  name_ = name;
  Changed();
}

void TFont::SetHeight(int height) {
  if (height == height_) return;
  height_ = height;
  Changed();
}

int TFont::GetSize() const { return -MulDiv(height_, 72, pixels_per_inch_); }

void TFont::SetSize(int size) { SetHeight(-MulDiv(size, pixels_per_inch_, 72)); }

void TFont::SetStyle(TFontStyles style) {
  if (style == style_) return;
  style_ = style;
  Changed();
}

void TFont::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  // The colour is no part of the GDI font, but listeners (a canvas's text colour) need to know.
  Changed(false);
}

void TFont::SetPitch(TFontPitch pitch) {
  if (pitch == pitch_) return;
  pitch_ = pitch;
  Changed();
}

void TFont::SetCharset(TFontCharset charset) {
  if (charset == charset_) return;
  charset_ = charset;
  Changed();
}

void TFont::SetPixelsPerInch(int pixels_per_inch) {
  if (pixels_per_inch > 0) pixels_per_inch_ = pixels_per_inch;
}

HGDIOBJ TFont::CreateGdiHandle() {
  LOGFONTA lf{};
  lf.lfHeight = height_;
  lf.lfWeight = style_.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = style_.Contains(fsItalic);
  lf.lfUnderline = style_.Contains(fsUnderline);
  lf.lfStrikeOut = style_.Contains(fsStrikeOut);
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                        : pitch_ == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  // Face names are at most 31 bytes; a longer one is cut rather than overrunning the field.
  std::strncpy(lf.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
  return CreateFontIndirectA(&lf);
}

// ---- TPen ---------------------------------------------------------------------------------

TK_CLASS_INFO(TPen, TGraphicsObject)

void TPen::Publish(TPublisher<TPen>& p) {
  p.Color("Color", &TPen::GetColor, &TPen::SetColor).Default(clBlack);
  p.Enumeration("Mode", PenModeInfo(), &TPen::GetMode, &TPen::SetMode).Default(pmCopy);
  p.Enumeration("Style", PenStyleInfo(), &TPen::GetStyle, &TPen::SetStyle).Default(psSolid);
  p.Integer("Width", &TPen::GetWidth, &TPen::SetWidth).Default(1);
}

void TPen::Assign(TPersistent* source) {
  if (auto* pen = DynamicCast<TPen>(source)) {
    if (pen == this) return;
    if (color_ == pen->color_ && width_ == pen->width_ && style_ == pen->style_ && mode_ == pen->mode_)
      return;
    color_ = pen->color_;
    width_ = pen->width_;
    style_ = pen->style_;
    mode_ = pen->mode_;
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TPen::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TPen::SetWidth(int width) {
  if (width < 1) width = 1;
  if (width == width_) return;
  width_ = width;
  Changed();
}

void TPen::SetStyle(TPenStyle style) {
  if (style < psSolid || style > psInsideFrame || style == style_) return;
  style_ = style;
  Changed();
}

void TPen::SetMode(TPenMode mode) {
  if (mode < pmBlack || mode > pmWhite || mode == mode_) return;
  mode_ = mode;
  // The mode is device-context state (SetROP2), not part of the pen handle; listeners apply it.
  Changed(false);
}

HGDIOBJ TPen::CreateGdiHandle() {
  static constexpr int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                    PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
  return CreatePen(kStyles[style_], width_, ColorToRGB(color_));
}

// ---- TBrush -------------------------------------------------------------------------------

TK_CLASS_INFO(TBrush, TGraphicsObject)

void TBrush::Publish(TPublisher<TBrush>& p) {
  p.Color("Color", &TBrush::GetColor, &TBrush::SetColor).Default(clWhite);
  p.Enumeration("Style", BrushStyleInfo(), &TBrush::GetStyle, &TBrush::SetStyle).Default(bsSolid);
}

TBrush::~TBrush() { FreeAndNil(bitmap_); }

void TBrush::Assign(TPersistent* source) {
  if (auto* brush = DynamicCast<TBrush>(source)) {
    if (brush == this) return;
    color_ = brush->color_;
    style_ = brush->style_;
    if (brush->bitmap_) {
      if (!bitmap_) bitmap_ = New<TBitmap>();
      bitmap_->Assign(brush->bitmap_);
    } else {
      FreeAndNil(bitmap_);
    }
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TBrush::SetColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) {
  if (style < bsSolid || style > bsDiagCross || style == style_) return;
  style_ = style;
  Changed();
}

void TBrush::SetBitmap(TBitmap* bitmap) {
  if (bitmap == bitmap_) return;
  if (bitmap && !bitmap->GetEmpty()) {
    if (!bitmap_) bitmap_ = New<TBitmap>();
    bitmap_->Assign(bitmap);
  } else {
    if (!bitmap_) return;
    FreeAndNil(bitmap_);
  }
  Changed();
}

HGDIOBJ TBrush::CreateGdiHandle() {
  // The pattern brush copies the bits, so the bitmap needs no selection and may change later.
  if (bitmap_) return CreatePatternBrush(bitmap_->GetHandle());
  static constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                     HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
  switch (style_) {
    case bsSolid: return CreateSolidBrush(ColorToRGB(color_));
    case bsClear: {
      LOGBRUSH lb{BS_HOLLOW, 0, 0};
      return CreateBrushIndirect(&lb);
    }
    default: return CreateHatchBrush(kHatches[style_ - bsHorizontal], ColorToRGB(color_));
  }
}
