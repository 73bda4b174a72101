#include "widgets/indicator.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

#include "toolkit/typinfo.h"
#include "widgets/paintutil.h"

const TEnumInfo& IndicatorKindInfo() {
  static const TEnumInfo info{"ik7segment", "ik5x7matrix", "ik9segment"};
  return info;
}

const TEnumInfo& IndicatorStyleInfo() {
  static const TEnumInfo info{"isThin", "isNormal", "isThick"};
  return info;
}

namespace {

const TEnumInfo& BevelKindInfo() {
  static const TEnumInfo info{"bkUP", "bkDown", "bkNone"};
  return info;
}
const TEnumInfo& MouseActionInfo() {
  static const TEnumInfo info{"maNone", "maColor", "maWidth", "maBoth"};
  return info;
}
const TEnumInfo& TransparentModeInfo() {
  static const TEnumInfo info{"tmNone", "tmBackOnly", "tmAll"};
  return info;
}
const TEnumInfo& ColorSchemeInfo() {
  static const TEnumInfo info{"csSilver", "csInvSilver", "csWhite", "csBlack",
                              "csPlasma", "csInvPlasma", "csTIAN"};
  return info;
}
const TEnumInfo& ShadowModeInfo() {
  static const TEnumInfo info{"msmDark", "msmLight", "msmNone"};
  return info;
}
const TEnumInfo& MaterialModeInfo() {
  static const TEnumInfo info{"mmStretch", "mmTile"};
  return info;
}

// Back, bevel, unlit, lit, hovered lit.
struct TScheme {
  TColor back, bevel, unlit, lit, hover;
};
constexpr TScheme kSchemes[] = {
    {0xDDDDDD, 0xDDDDDD, 0xD3D3D3, 0x363636, 0x0000FF}, {0x000000, 0xDDDDDD, 0x363636, 0xDDDDDD, 0x0000FF},
    {0xFFFFFF, 0xDDDDDD, 0xFFFFFF, 0x000000, 0x0000FF}, {0x000000, 0x808080, 0x000000, 0xFFFFFF, 0x0080FF},
    {0x000080, 0x000080, 0x400080, 0x48BFFF, 0x80FFFF}, {0x48BFFF, 0x48BFFF, 0x57A3F7, 0x000080, 0x2747FC},
    {0xA00000, 0xA00000, 0x804000, 0xDAF376, 0x00FFFF},
};

double Radians(int angle_tenths) { return angle_tenths * std::numbers::pi / 1800; }

// Stores a value; true when it changed.
template <class T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

}  // namespace

TK_CLASS_INFO(TIAeverLiquidIndicator, TCustomControl)

void TIAeverLiquidIndicator::Publish(TPublisher<TIAeverLiquidIndicator>& p) {
  using C = TIAeverLiquidIndicator;
  p.Enumeration("ColorScheme", ColorSchemeInfo(), &C::GetColorScheme, &C::SetColorScheme);
  p.Integer("SignNumber", &C::GetSignNumber, &C::SetSignNumber).Default(10);
  p.Integer("IndicatorWidth", &C::GetIndicatorWidth, &C::SetIndicatorWidth).Default(172);
  p.Integer("IndicatorHeight", &C::GetIndicatorHeight, &C::SetIndicatorHeight).Default(36);
  p.Integer("IndicatorAngle", &C::GetIndicatorAngle, &C::SetIndicatorAngle).Default(0);
  p.Integer("IndicatorGap", &C::GetIndicatorGap, &C::SetIndicatorGap).Default(2);
  p.String("Indicatorstring", &C::GetIndicatorstring, &C::SetIndicatorstring);
  p.Enumeration("IndicatorKind", IndicatorKindInfo(), &C::GetIndicatorKind, &C::SetIndicatorKind)
      .Default(ik7segment);
  p.Enumeration("InnerBevel", BevelKindInfo(), &C::GetInnerBevel, &C::SetInnerBevel).Default(bkDown);
  p.Enumeration("OuterBevel", BevelKindInfo(), &C::GetOuterBevel, &C::SetOuterBevel).Default(bkUP);
  p.Integer("InnerBevelWidth", &C::GetInnerBevelWidth, &C::SetInnerBevelWidth).Default(2);
  p.Integer("OuterBevelWidth", &C::GetOuterBevelWidth, &C::SetOuterBevelWidth).Default(2);
  p.Color("BevelColor", &C::GetBevelColor, &C::SetBevelColor).Default(0xDDDDDD);
  p.Color("BackColor", &C::GetBackColor, &C::SetBackColor).Default(0xDDDDDD);
  p.Color("NumberForeColor", &C::GetNumberForeColor, &C::SetNumberForeColor).Default(0x363636);
  p.Color("NumberForeColor1", &C::GetNumberForeColor1, &C::SetNumberForeColor1).Default(0x0000FF);
  p.Color("NumberBackColor", &C::GetNumberBackColor, &C::SetNumberBackColor).Default(0xD3D3D3);
  p.Enumeration("IndicatorStyle", IndicatorStyleInfo(), &C::GetIndicatorStyle, &C::SetIndicatorStyle)
      .Default(isNormal);
  p.Enumeration("MouseAction", MouseActionInfo(), &C::GetMouseAction, &C::SetMouseAction).Default(maNone);
  p.Enumeration("TransparentMode", TransparentModeInfo(), &C::GetTransparentMode, &C::SetTransparentMode)
      .Default(tmNone);
  p.Object("BackMaterial", &C::GetBackMaterial, &C::SetBackMaterial);
  p.Object("ForeMaterial", &C::GetForeMaterial, &C::SetForeMaterial);
  p.Enumeration("MaterialShadowMode", ShadowModeInfo(), &C::GetMaterialShadowMode, &C::SetMaterialShadowMode)
      .Default(msmDark);
  p.Enumeration("MaterialMode", MaterialModeInfo(), &C::GetMaterialMode, &C::SetMaterialMode)
      .Default(mmStretch);
  p.Enumeration("ForeMaterialMode", MaterialModeInfo(), &C::GetForeMaterialMode, &C::SetForeMaterialMode)
      .Default(mmStretch);
  p.Event("onMouseEnter", &C::onMouseEnter);
  p.Event("onMouseExit", &C::onMouseExit);
  p.Event("OnMouseDown", &C::OnMouseDown);
  p.Event("OnMouseMove", &C::OnMouseMove);
  p.Event("OnMouseUp", &C::OnMouseUp);
  p.Event("OnResize", &C::OnResize);
  p.Boolean("ShowHint", &C::GetShowHint, &C::SetShowHint).Stored(&TControl::ShowHintStored);
}

TK_BEGIN_MESSAGE_MAP(TIAeverLiquidIndicator)
TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
TK_MESSAGE(CM_MOUSELEAVE, CMMouseLeave)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_IA_RENDER, WMRender)
TK_END_MESSAGE_MAP()

TIAeverLiquidIndicator::TIAeverLiquidIndicator(TComponent* owner) : TCustomControl(owner) {
  control_style_.Include(csOpaque);
  bitmap_ = New<TBitmap>();
  bitmap_->SetPixelFormat(pf32bit);
  back_material_ = New<TBitmap>();
  fore_material_ = New<TBitmap>();
  dark_material_ = New<TBitmap>();
  light_material_ = New<TBitmap>();
  shadow_material_ = New<TBitmap>();
  SetBounds(GetLeft(), GetTop(), 172, 36);
  Reshape();
  Render();
}

TIAeverLiquidIndicator::~TIAeverLiquidIndicator() {
  if (clip_) DeleteObject(clip_);
  if (shape_) DeleteObject(shape_);
  for (TBitmap* b :
       {bitmap_, back_material_, fore_material_, dark_material_, light_material_, shadow_material_})
    Free(b);
}

void TIAeverLiquidIndicator::Loaded() {
  inherited::Loaded();
  RebuildMaterials();
  Reshape();
  Render();
  Invalidate();
}

void TIAeverLiquidIndicator::Changed() {
  Render();
  Invalidate();
}

// ---- Setters ------------------------------------------------------------------------------

void TIAeverLiquidIndicator::SetSignNumber(int value) {
  if (value <= 0 || !Store(sign_number_, value) || Streaming()) return;
  Reshape();
  Changed();
}

void TIAeverLiquidIndicator::SetIndicatorWidth(int value) {
  if (value < 1 || !Store(indicator_width_, value) || Streaming()) return;
  FitWindow();
  Reshape();
  Changed();
}

void TIAeverLiquidIndicator::SetIndicatorHeight(int value) {
  if (value < 1 || !Store(indicator_height_, value) || Streaming()) return;
  FitWindow();
  Reshape();
  Changed();
}

void TIAeverLiquidIndicator::SetIndicatorAngle(int value) {
  if (!Store(angle_, value) || Streaming()) return;
  FitWindow();
  Reshape();
  Changed();
}

void TIAeverLiquidIndicator::SetIndicatorstring(const std::string& value) {
  // Written every 10 ms while a lane runs: an unchanged text costs this comparison only, a new
  // one the segments it changes.
  if (value == text_) return;
  text_ = value;
  if (!RecolourText()) Changed();
}

void TIAeverLiquidIndicator::SetIndicatorGap(int value) {
  if (Store(gap_, value)) Changed();
}
void TIAeverLiquidIndicator::SetIndicatorKind(TIAIndicatorKind value) {
  if (Store(kind_, value)) Changed();
}
void TIAeverLiquidIndicator::SetInnerBevel(TIABevelKind value) {
  if (Store(inner_bevel_, value)) Changed();
}
void TIAeverLiquidIndicator::SetOuterBevel(TIABevelKind value) {
  if (Store(outer_bevel_, value)) Changed();
}
void TIAeverLiquidIndicator::SetInnerBevelWidth(int value) {
  if (value >= 1 && Store(inner_bevel_width_, value)) Changed();
}
void TIAeverLiquidIndicator::SetOuterBevelWidth(int value) {
  if (value >= 1 && Store(outer_bevel_width_, value)) Changed();
}
void TIAeverLiquidIndicator::SetBevelColor(TColor value) {
  if (Store(bevel_color_, value)) Changed();
}
void TIAeverLiquidIndicator::SetBackColor(TColor value) {
  if (Store(back_color_, value)) Changed();
}
void TIAeverLiquidIndicator::SetNumberForeColor(TColor value) {
  if (Store(fore_color_, value)) Changed();
}
void TIAeverLiquidIndicator::SetNumberForeColor1(TColor value) {
  if (Store(hover_color_, value)) Changed();
}
void TIAeverLiquidIndicator::SetNumberBackColor(TColor value) {
  if (Store(unlit_color_, value)) Changed();
}
void TIAeverLiquidIndicator::SetIndicatorStyle(TIAIndicatorStyle value) {
  if (Store(style_, value)) Changed();
}
void TIAeverLiquidIndicator::SetMouseAction(TIAMouseAction value) {
  if (Store(mouse_action_, value)) Changed();
}

void TIAeverLiquidIndicator::SetTransparentMode(TIATransparentMode value) {
  if (!Store(transparent_mode_, value)) return;
  if (value == tmNone)
    control_style_.Include(csOpaque);
  else
    control_style_.Exclude(csOpaque);
  Changed();
}

void TIAeverLiquidIndicator::SetColorScheme(TIAColorScheme value) {
  // Stored always; the colours follow only outside streaming, so the streamed colours win.
  color_scheme_ = value;
  if (Streaming() || value < csSilver || value > csTIAN) return;
  const TScheme& s = kSchemes[value];
  back_color_ = s.back;
  bevel_color_ = s.bevel;
  unlit_color_ = s.unlit;
  fore_color_ = s.lit;
  hover_color_ = s.hover;
  RenderLater();
}

void TIAeverLiquidIndicator::SetBackMaterial(TBitmap* value) {
  back_material_->Assign(value);
  RebuildMaterials();
  Changed();
}

void TIAeverLiquidIndicator::SetForeMaterial(TBitmap* value) {
  fore_material_->Assign(value);
  Changed();
}

void TIAeverLiquidIndicator::SetMaterialShadowMode(TIAMaterialShadowMode value) {
  if (!Store(shadow_mode_, value)) return;
  RebuildMaterials();
  Changed();
}
void TIAeverLiquidIndicator::SetMaterialMode(TIAMaterialMode value) {
  if (Store(material_mode_, value)) Changed();
}
void TIAeverLiquidIndicator::SetForeMaterialMode(TIAMaterialMode value) {
  if (Store(fore_material_mode_, value)) Changed();
}

void TIAeverLiquidIndicator::RebuildMaterials() {
  ShiftedTexture(back_material_, dark_material_, -64);
  ShiftedTexture(back_material_, light_material_, 64);
  ShiftedTexture(back_material_, shadow_material_,
                 shadow_mode_ == msmDark    ? -32
                 : shadow_mode_ == msmLight ? 32
                                            : 0);
}

// ---- Shape --------------------------------------------------------------------------------

void TIAeverLiquidIndicator::Place(std::vector<TGeoPoint>& points) const {
  // Turning by whole turns leaves every point where it is.
  if (angle_ % 3600 != 0) RotatePoints(points, indicator_width_ / 2, indicator_height_ / 2, angle_);
  const int dx = (GetWidth() - indicator_width_) / 2, dy = (GetHeight() - indicator_height_) / 2;
  for (TGeoPoint& p : points) p = {p.x + dx, p.y + dy};
}

void TIAeverLiquidIndicator::FitWindow() {
  const TGeoSize box = RotatedBox(indicator_width_, indicator_height_, angle_);
  SetBounds(GetLeft(), GetTop(), box.width, box.height);
  if (GetParent()) GetParent()->Invalidate();
}

void TIAeverLiquidIndicator::Reshape() {
  if (shape_) DeleteObject(shape_);
  shape_ = nullptr;
  // Upright or on its side the indicator fills its window: no region to keep up.
  if (angle_ % 900 != 0) {
    std::vector<TGeoPoint> corners{
        {0, 0}, {indicator_width_, 0}, {indicator_width_, indicator_height_}, {0, indicator_height_}};
    Place(corners);
    shape_ = PolygonRegion(corners);
  }
  ApplyWindowRegion();
}

void TIAeverLiquidIndicator::ApplyWindowRegion() {
  if (!HandleAllocated()) return;
  // The transparent modes let the parent show through by cutting the window to what they draw.
  HRGN region = nullptr;
  if (shape_) {
    region = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(region, shape_, nullptr, RGN_COPY);
  }
  if (clip_) {
    HRGN cut = CreateRectRgn(0, 0, 0, 0);
    CombineRgn(cut, clip_, nullptr, RGN_COPY);
    if (region) {
      CombineRgn(cut, cut, region, RGN_AND);
      DeleteObject(region);
    }
    region = cut;
  }
  if (!region && !window_cut_) return;
  window_cut_ = region != nullptr;
  SetWindowRgn(handle_, region, TRUE);  // the window owns the region now
}

void TIAeverLiquidIndicator::CreateParams(TCreateParams& params) {
  inherited::CreateParams(params);
  // A device context of its own: a new lane time is copied to the window a hundred times a
  // second, and under Wine taking a shared one each time sets it up from scratch.
  params.WindowClass.style |= CS_OWNDC;
}

void TIAeverLiquidIndicator::CreateWindowHandle(const TCreateParams& params) {
  inherited::CreateWindowHandle(params);
  ApplyWindowRegion();
}

// ---- Drawing ------------------------------------------------------------------------------

namespace {

// A 0x00BBGGRR colour as a pixel of a 32-bit bitmap (blue in the lowest byte).
uint32_t Pixel(COLORREF color) { return ((color & 0xFF) << 16) | (color & 0xFF00) | ((color >> 16) & 0xFF); }

}  // namespace

void TIAeverLiquidIndicator::BuildSegments() {
  segments_.clear();
  const int outer = outer_bevel_ != bkNone ? outer_bevel_width_ : 0;
  const int inner = inner_bevel_ != bkNone ? inner_bevel_width_ : 0;
  const int b = gap_ + outer + inner;
  int ch = indicator_height_ - 2 * b;
  if (ch < 1 || ch > indicator_height_) ch = indicator_height_;
  int cw = (indicator_width_ - 2 * b) / sign_number_;
  if (cw <= 0) cw = indicator_width_ / sign_number_;
  const TCellStyle style{kind_, style_, HoverThick()};
  const int count = SegmentCount(kind_);
  std::vector<char> data;
  segments_.resize(sign_number_);
  for (int i = 0; i < sign_number_; ++i) {
    const TCellRect cell{i * cw, 0, (i + 1) * cw, ch};
    for (int k = 0; k < count; ++k) {
      TSegmentShape shape;
      shape.polygon = kind_ == ik5x7matrix ? DotPolygon(cell, style, k / 5 + 1, k % 5 + 1)
                                           : SegmentPolygon(cell, style, k + 1);
      for (TGeoPoint& p : shape.polygon) p = {p.x + cell.left + b, p.y + cell.top + b};
      Place(shape.polygon);
      // The pixels the platform fills for the polygon, kept so that a new text only
      // recolours them.
      if (HRGN region = PolygonRegion(shape.polygon)) {
        GetRgnBox(region, &shape.bounds);
        data.resize(GetRegionData(region, 0, nullptr));
        if (!data.empty() &&
            GetRegionData(region, static_cast<DWORD>(data.size()), reinterpret_cast<RGNDATA*>(data.data()))) {
          const auto* header = reinterpret_cast<const RGNDATA*>(data.data());
          const auto* rects = reinterpret_cast<const RECT*>(header->Buffer);
          shape.rects.assign(rects, rects + header->rdh.nCount);
        }
        DeleteObject(region);
      }
      segments_[i].push_back(std::move(shape));
    }
  }
}

std::vector<std::string> TIAeverLiquidIndicator::CellPatterns() const {
  std::vector<std::string> patterns;
  for (const TCellContent& cell : LayOutCells(text_, sign_number_, kind_))
    patterns.push_back(GlyphPattern(kind_, cell.character, cell.point));
  return patterns;
}

TPolygonSet TIAeverLiquidIndicator::Shape(bool lit) const {
  TPolygonSet set;
  for (size_t i = 0; i < segments_.size() && i < patterns_.size(); ++i)
    for (size_t k = 0; k < segments_[i].size() && k < patterns_[i].size(); ++k)
      if ((patterns_[i][k] == '1') == lit) set.Add(segments_[i][k].polygon);
  return set;
}

void TIAeverLiquidIndicator::FillSegment(const TSegmentShape& segment, uint32_t pixel) {
  const int w = bitmap_->GetWidth(), h = bitmap_->GetHeight();
  uint8_t* top = bitmap_->GetScanLine(0);
  const int row_bytes = bitmap_->GetRowBytes();
  for (const RECT& r : segment.rects) {
    const int left = std::max<int>(r.left, 0), right = std::min<int>(r.right, w);
    for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, h); ++y) {
      auto* row = reinterpret_cast<uint32_t*>(top + y * row_bytes);
      std::fill(row + left, row + std::max(left, right), pixel);
    }
  }
}

bool TIAeverLiquidIndicator::RecolourText() {
  if (!recolourable_ || Streaming() || bitmap_->GetWidth() != GetWidth() ||
      bitmap_->GetHeight() != GetHeight() || static_cast<int>(segments_.size()) != sign_number_ ||
      patterns_.size() != segments_.size())
    return false;
  std::vector<std::string> next = CellPatterns();
  const uint32_t lit = Pixel(ColorToRGB(HoverColored() ? hover_color_ : fore_color_));
  const uint32_t unlit = Pixel(ColorToRGB(unlit_color_));
  RECT dirty{0, 0, 0, 0};
  for (size_t i = 0; i < next.size(); ++i) {
    if (next[i] == patterns_[i]) continue;
    for (size_t k = 0; k < segments_[i].size() && k < next[i].size(); ++k) {
      if (next[i][k] == patterns_[i][k]) continue;
      FillSegment(segments_[i][k], next[i][k] == '1' ? lit : unlit);
      UnionRect(&dirty, &dirty, &segments_[i][k].bounds);
    }
  }
  patterns_ = std::move(next);
  if (HandleAllocated() && !IsRectEmpty(&dirty)) CopyToScreen(dirty);
  return true;
}

void TIAeverLiquidIndicator::CopyToScreen(const RECT& rect) {
  // A lane time changes a hundred times a second: the copy goes straight to the window, as a
  // paint through the message queue costs several times the copy. A hidden window is painted
  // in full when it shows.
  if (!IsWindowVisible(handle_)) return;
  HDC dc = GetDC(handle_);
  BitBlt(dc, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
         bitmap_->GetCanvas()->GetHandle(), rect.left, rect.top, SRCCOPY);
  ReleaseDC(handle_, dc);
}

void TIAeverLiquidIndicator::Render() {
  const bool was_clipped = clip_ != nullptr;
  if (clip_) DeleteObject(clip_);
  clip_ = nullptr;
  const bool transparent = transparent_mode_ != tmNone;
  BuildSegments();
  patterns_ = CellPatterns();
  // A control of no size has no pixels to recolour: new texts wait for a render with room.
  recolourable_ = false;

  const int w = GetWidth(), h = GetHeight();
  if (bitmap_->GetWidth() != w || bitmap_->GetHeight() != h) bitmap_->SetSize(w, h);
  if (w <= 0 || h <= 0) return;
  HDC dc = bitmap_->GetCanvas()->GetHandle();
  const bool textured = back_material_->GetWidth() > 0 && back_material_->GetHeight() > 0;
  const bool tile = material_mode_ == mmTile;
  if (textured) {
    FillRegionTexture(dc, nullptr, back_material_, tile, w, h);
  } else {
    RECT all{0, 0, w, h};
    HBRUSH brush = CreateSolidBrush(ColorToRGB(back_color_));
    FillRect(dc, &all, brush);
    DeleteObject(brush);
  }

  // Bevels: the outer one at the edge, the inner one inside it.
  const int outer = outer_bevel_ != bkNone ? outer_bevel_width_ : 0;
  struct TBevel {
    TIABevelKind kind;
    int offset, width;
  };
  for (const TBevel& bevel :
       {TBevel{outer_bevel_, 0, outer_bevel_width_}, TBevel{inner_bevel_, outer, inner_bevel_width_}}) {
    if (bevel.kind == bkNone) continue;
    for (TBevelEdge edge : {beTop, beLeft, beBottom, beRight}) {
      std::vector<TGeoPoint> corners =
          BevelEdgePolygon(indicator_width_, indicator_height_, bevel.offset, bevel.width, edge);
      Place(corners);
      HRGN region = PolygonRegion(corners);
      const bool light = BevelEdgeLight(angle_, edge) == (bevel.kind == bkUP);
      if (textured)
        FillRegionTexture(dc, region, light ? light_material_ : dark_material_, tile, w, h);
      else
        FillRegionColor(dc, region, ShiftedColor(bevel_color_, light ? 32 : -32));
      if (transparent)
        AddRegion(clip_, region);
      else if (region)
        DeleteObject(region);
    }
  }

  const bool hover = HoverColored();
  const bool fore_textured = fore_material_->GetWidth() > 0 && fore_material_->GetHeight() > 0;
  // Flat colours on an opaque control: every segment is its own set of pixels, and a new text
  // recolours only the segments it changes.
  recolourable_ = !transparent && !textured && !fore_textured;
  if (recolourable_) {
    if (was_clipped) ApplyWindowRegion();
    GdiFlush();
    const uint32_t lit = Pixel(ColorToRGB(hover ? hover_color_ : fore_color_));
    const uint32_t unlit = Pixel(ColorToRGB(unlit_color_));
    for (size_t i = 0; i < segments_.size(); ++i)
      for (size_t k = 0; k < segments_[i].size(); ++k)
        FillSegment(segments_[i][k], patterns_[i][k] == '1' ? lit : unlit);
    return;
  }
  if (HRGN region = PolygonsRegion(Shape(true))) {
    // The texture stands for the lit colour only while that is not the hover colour.
    const TColor lit = hover ? hover_color_ : fore_color_;
    if (fore_textured && lit != hover_color_)
      FillRegionTexture(dc, region, fore_material_, fore_material_mode_ == mmTile, w, h);
    else
      FillRegionColor(dc, region, ColorToRGB(lit));
    if (transparent)
      AddRegion(clip_, region);
    else
      DeleteObject(region);
  }
  if (HRGN region = PolygonsRegion(Shape(false))) {
    if (textured)
      FillRegionTexture(dc, region, shadow_material_, tile, w, h);
    else
      FillRegionColor(dc, region, ColorToRGB(unlit_color_));
    if (transparent_mode_ == tmBackOnly)
      AddRegion(clip_, region);
    else
      DeleteObject(region);
  }
  GdiFlush();
  if (transparent && !clip_) clip_ = CreateRectRgn(0, 0, 0, 0);
  if (transparent || was_clipped) ApplyWindowRegion();
}

void TIAeverLiquidIndicator::Paint() {
  HDC dc = GetCanvas()->GetHandle();
  const int saved = SaveDC(dc);
  // The clip region narrows what the paint may touch; it never widens it past the control.
  if (clip_) ExtSelectClipRgn(dc, clip_, RGN_AND);
  BitBlt(dc, 0, 0, bitmap_->GetWidth(), bitmap_->GetHeight(), bitmap_->GetCanvas()->GetHandle(), 0, 0,
         SRCCOPY);
  RestoreDC(dc, saved);
}

// ---- Messages -----------------------------------------------------------------------------

void TIAeverLiquidIndicator::CMMouseEnter(TMessage& message) {
  hovered_ = true;
  RenderLater();
  TK_INHERITED(message);
  if (onMouseEnter) onMouseEnter(this);
}

void TIAeverLiquidIndicator::CMMouseLeave(TMessage& message) {
  hovered_ = false;
  RenderLater();
  TK_INHERITED(message);
  if (onMouseExit) onMouseExit(this);
}

void TIAeverLiquidIndicator::WMRender(TMessage& message) {
  TK_INHERITED(message);
  Render();
  Invalidate();
}

void TIAeverLiquidIndicator::SetBounds(int left, int top, int width, int height) {
  const bool resized = width != GetWidth() || height != GetHeight();
  inherited::SetBounds(left, top, width, height);
  // A window tells of its new size with WM_SIZE; before it exists the indicator follows here.
  if (resized && !HandleAllocated()) SizeChanged();
}

void TIAeverLiquidIndicator::WMSize(TMessage& message) {
  TK_INHERITED(message);
  SizeChanged();
}

void TIAeverLiquidIndicator::SizeChanged() {
  if (Streaming()) return;
  const double a = Radians(angle_);
  if (std::fabs(std::sin(a)) < 0.0001) {
    indicator_width_ = GetWidth();
    indicator_height_ = GetHeight();
    Reshape();
  } else if (std::fabs(std::cos(a)) < 0.0001) {
    // On its side the indicator is drawn for its new size at once.
    indicator_width_ = GetHeight();
    indicator_height_ = GetWidth();
    Reshape();
    Render();
    Invalidate();
    return;
  } else {
    const TGeoSize box = RotatedBox(indicator_width_, indicator_height_, angle_);
    if (box.width != GetWidth() || box.height != GetHeight()) FitWindow();
  }
  RenderLater();
}

void TIAeverLiquidIndicator::RenderLater() {
  if (HandleAllocated())
    PostMessageA(handle_, WM_IA_RENDER, 0, 0);
  else
    Render();
}
