#include "widgets/galoled.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "toolkit/typinfo.h"
#include "widgets/paintutil.h"

namespace {

const TEnumInfo& LedClassInfo() {
  static const TEnumInfo info{"ialcRect",       "ialcRound",    "ialcRomb",
                              "ialcHalfCircle", "ialcTriangle", "ialcTrapezium"};
  return info;
}
const TEnumInfo& BorderStyleInfo() {
  static const TEnumInfo info{"iablsUp", "iablsDown", "iablsNone"};
  return info;
}
const TEnumInfo& SubstanceModeInfo() {
  static const TEnumInfo info{"iasmTile", "iasmStretch"};
  return info;
}

template <class T>
bool Store(T& field, T value) {
  if (field == value) return false;
  field = value;
  return true;
}

bool HasPixels(const TBitmap* bitmap) { return bitmap->GetWidth() > 0 && bitmap->GetHeight() > 0; }

}  // namespace

TK_CLASS_INFO(TIAgaloLED, TCustomControl)

void TIAgaloLED::Publish(TPublisher<TIAgaloLED>& p) {
  using C = TIAgaloLED;
  p.Enumeration("LedClass", LedClassInfo(), &C::GetLedClass, &C::SetLedClass).Default(ialcRect);
  p.Integer("LedWidth", &C::GetLedWidth, &C::SetLedWidth).Default(22);
  p.Integer("LedHeight", &C::GetLedHeight, &C::SetLedHeight).Default(12);
  p.Integer("LedPlasticDepth", &C::GetLedPlasticDepth, &C::SetLedPlasticDepth).Default(5);
  p.Integer("Gap", &C::GetGap, &C::SetGap).Default(0);
  p.Color("GapColor", &C::GetGapColor, &C::SetGapColor).Default(0x808080);
  p.Integer("Angle", &C::GetAngle, &C::SetAngle).Default(0);
  p.Enumeration("InnerBorderStyle", BorderStyleInfo(), &C::GetInnerBorderStyle, &C::SetInnerBorderStyle)
      .Default(iablsNone);
  p.Enumeration("OuterBorderStyle", BorderStyleInfo(), &C::GetOuterBorderStyle, &C::SetOuterBorderStyle)
      .Default(iablsDown);
  p.Integer("InnerBorderDepth", &C::GetInnerBorderDepth, &C::SetInnerBorderDepth).Default(0);
  p.Integer("OuterBorderDepth", &C::GetOuterBorderDepth, &C::SetOuterBorderDepth).Default(2);
  p.Color("BorderColor", &C::GetBorderColor, &C::SetBorderColor).Default(0x808080);
  p.Color("LedPlasticColor", &C::GetLedPlasticColor, &C::SetLedPlasticColor).Default(0x0000FF);
  p.Boolean("LedOn", &C::GetLedOn, &C::SetLedOn).Default(false);
  p.Enumeration("LedPlasticSubsMode", SubstanceModeInfo(), &C::GetLedPlasticSubsMode,
                &C::SetLedPlasticSubsMode)
      .Default(iasmTile);
  p.Enumeration("BorderSubsMode", SubstanceModeInfo(), &C::GetBorderSubsMode, &C::SetBorderSubsMode)
      .Default(iasmTile);
  p.Object("BorderSubstance", &C::GetBorderSubstance, &C::SetBorderSubstance);
  p.Object("LedPlasticSubstance", &C::GetLedPlasticSubstance, &C::SetLedPlasticSubstance);
  p.Boolean("GaloON", &C::GetGaloON, &C::SetGaloON).Default(false);
  p.Integer("GaloSize", &C::GetGaloSize, &C::SetGaloSize).Default(10);
  p.Integer("GaloIntensity", &C::GetGaloIntensity, &C::SetGaloIntensity).Default(5);
}

TK_BEGIN_MESSAGE_MAP(TIAgaloLED)
TK_MESSAGE(WM_SIZE, WMSize)
TK_MESSAGE(WM_MOVE, WMMove)
TK_END_MESSAGE_MAP()

TIAgaloLED::TIAgaloLED(TComponent* owner) : TCustomControl(owner) {
  control_style_.Include(csOpaque);
  bitmap_ = New<TBitmap>();
  bitmap_->SetPixelFormat(pf24bit);
  border_texture_ = New<TBitmap>();
  border_light_ = New<TBitmap>();
  border_dark_ = New<TBitmap>();
  plastic_texture_ = New<TBitmap>();
  // A small xorshift: any uniform generator makes the grain.
  grain_ = [this](int range) {
    grain_state_ ^= grain_state_ << 13;
    grain_state_ ^= grain_state_ >> 17;
    grain_state_ ^= grain_state_ << 5;
    return static_cast<int>(grain_state_ % static_cast<uint32_t>(range));
  };
  inherited::SetBounds(GetLeft(), GetTop(), 24, 14);
  ReshapeAndRender();
}

TIAgaloLED::~TIAgaloLED() {
  for (TBitmap* b : {bitmap_, border_texture_, border_light_, border_dark_, plastic_texture_}) Free(b);
}

void TIAgaloLED::SetGrainSource(TGrainSource source) {
  grain_ = std::move(source);
  RenderAndPaint();
}

TLedShape TIAgaloLED::Shape() const {
  return {led_class_,
          led_width_,
          led_height_,
          gap_,
          inner_style_ != iablsNone ? inner_depth_ : 0,
          outer_style_ != iablsNone ? outer_depth_ : 0};
}

// The setters have drawn the lamp as it was read; only the ring texture, read in place, still
// needs its copies.
void TIAgaloLED::Loaded() {
  inherited::Loaded();
  RebuildBorderCopies();
}

void TIAgaloLED::CreateHandle() {
  inherited::CreateHandle();
  control_style_.Include(csOpaque);
  Reshape();
}

void TIAgaloLED::SetBounds(int left, int top, int width, int height) {
  if (!reshaping_ && !IsRightAngle(angle_)) {
    width = box_width_;
    height = box_height_;
  }
  inherited::SetBounds(left, top, width, height);
  if (IsRightAngle(angle_)) {
    box_width_ = GetWidth();
    box_height_ = GetHeight();
  }
}

// ---- Setters ------------------------------------------------------------------------------

void TIAgaloLED::SetLedClass(TIALedClass value) {
  if (Store(led_class_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetLedWidth(int value) {
  if (value >= 0 && Store(led_width_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetLedHeight(int value) {
  if (value >= 0 && Store(led_height_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetLedPlasticDepth(int value) {
  if (value >= 1 && value <= 10 && Store(depth_, value)) RenderAndPaint();
}
void TIAgaloLED::SetGap(int value) {
  if (value >= 0 && Store(gap_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetGapColor(TColor value) {
  if (Store(gap_color_, value)) RenderAndPaint();
}
void TIAgaloLED::SetAngle(int value) {
  if (Store(angle_, WrapLedAngle(value))) ReshapeAndRender();
}
void TIAgaloLED::SetInnerBorderStyle(TIABorderLedStyle value) {
  if (Store(inner_style_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetOuterBorderStyle(TIABorderLedStyle value) {
  if (Store(outer_style_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetInnerBorderDepth(int value) {
  if (value >= 0 && Store(inner_depth_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetOuterBorderDepth(int value) {
  if (value >= 0 && Store(outer_depth_, value)) ReshapeAndRender();
}
void TIAgaloLED::SetBorderColor(TColor value) {
  if (Store(border_color_, value)) RenderAndPaint();
}
void TIAgaloLED::SetLedPlasticColor(TColor value) {
  if (Store(plastic_color_, value)) RenderAndPaint();
}
void TIAgaloLED::SetLedOn(bool value) {
  if (Store(on_, value)) RenderAndPaint();
}
void TIAgaloLED::SetLedPlasticSubsMode(TIAglSubstanceMode value) {
  if (Store(plastic_mode_, value)) RenderAndPaint();
}
void TIAgaloLED::SetBorderSubsMode(TIAglSubstanceMode value) {
  if (Store(border_mode_, value)) RenderAndPaint();
}

void TIAgaloLED::SetBorderSubstance(TBitmap* value) {
  if (value && HasPixels(value)) {
    border_texture_->Assign(value);
    border_texture_->SetPixelFormat(pf24bit);
  } else {
    border_texture_->SetSize(0, 0);
  }
  RebuildBorderCopies();
  RenderAndPaint();
}

void TIAgaloLED::SetLedPlasticSubstance(TBitmap* value) {
  if (value && HasPixels(value)) {
    plastic_texture_->Assign(value);
    plastic_texture_->SetPixelFormat(pf24bit);
  } else {
    plastic_texture_->SetSize(0, 0);
  }
  RenderAndPaint();
}

void TIAgaloLED::SetGaloON(bool value) {
  if (value == halo_on_) return;
  if (halo_on_ && !value) halo_just_off_ = true;
  halo_on_ = value;
  Invalidate();
}
void TIAgaloLED::SetGaloSize(int value) {
  if (value >= 0 && value <= 49 && Store(halo_size_, value)) Invalidate();
}
void TIAgaloLED::SetGaloIntensity(int value) {
  if (value >= 1 && value <= 10 && Store(halo_intensity_, value)) Invalidate();
}

void TIAgaloLED::RebuildBorderCopies() {
  ShiftedTexture(border_texture_, border_light_, 64);
  ShiftedTexture(border_texture_, border_dark_, -64);
}

// ---- Shape --------------------------------------------------------------------------------

void TIAgaloLED::ReshapeAndRender() {
  Reshape();
  RenderAndPaint();
}

void TIAgaloLED::RenderAndPaint() {
  Render();
  Invalidate();
}

void TIAgaloLED::Reshape() {
  const TLedShape shape = Shape();
  const TGeoSize box = RotatedBox(shape.FigureWidth(), shape.FigureHeight(), angle_);
  box_width_ = box.width;
  box_height_ = box.height;
  reshaping_ = true;
  inherited::SetBounds(GetLeft(), GetTop(), box.width, box.height);
  reshaping_ = false;
  TLedOutlines outlines = BuildLedOutlines(shape);
  for (TRealOutline* o : {&outlines.plastic, &outlines.gap, &outlines.inner, &outlines.outer})
    RotateLedOutline(*o, shape, angle_, GetWidth(), GetHeight());
  plastic_ = RoundOutline(outlines.plastic);
  gap_outline_ = RoundOutline(outlines.gap);
  inner_ = RoundOutline(outlines.inner);
  outer_ = RoundOutline(outlines.outer);
  if (HandleAllocated()) SetWindowRgn(handle_, PolygonRegion(outer_), TRUE);
}

// ---- Drawing ------------------------------------------------------------------------------

namespace {

// The union of the quadrilaterals between two outlines, split by the side each edge faces
// when `sides` is set (else all go to `light`).
void RingRegions(const std::vector<TGeoPoint>& in, const std::vector<TGeoPoint>& out, bool sides,
                 bool lowered, HRGN& light, HRGN& dark) {
  const size_t n = std::min(in.size(), out.size());
  for (size_t i = 0; i < n; ++i) {
    const size_t next = (i + 1) % n;
    HRGN quad = PolygonRegion({in[i], out[i], out[next], in[next]});
    const bool is_dark = sides && RingEdgeDark(RingEdgeAngle(out[i], out[next], lowered));
    AddRegion(is_dark ? dark : light, quad);
  }
}

}  // namespace

void TIAgaloLED::Render() {
  const int W = GetWidth(), H = GetHeight();
  if (bitmap_->GetWidth() != W || bitmap_->GetHeight() != H) bitmap_->SetSize(W, H);
  if (W <= 0 || H <= 0) return;
  const TLedShape shape = Shape();
  const int m = shape.Margin();
  HDC dc = bitmap_->GetCanvas()->GetHandle();

  // Plastic: the colour (or the texture under it), shaded from the centre, grained.
  const bool textured = HasPixels(plastic_texture_);
  if (textured) FillRegionTexture(dc, nullptr, plastic_texture_, plastic_mode_ == iasmTile, W, H);
  GdiFlush();
  const COLORREF rgb = ColorToRGB(plastic_color_);
  uint8_t* top = bitmap_->GetScanLine(0);  // rows are top-down, one stride apart
  const int stride = bitmap_->GetRowBytes();
  for (int y = 0; y < H; ++y) {
    uint8_t* row = top + y * stride;
    for (int x = 0; x < W; ++x) {
      uint8_t* px = row + 3 * x;
      const int shade = GrainedShade(PlasticShade(x, y, W, H, m, depth_), depth_, grain_);
      const int b = textured ? px[0] : GetBValue(rgb), g = textured ? px[1] : GetGValue(rgb),
                r = textured ? px[2] : GetRValue(rgb);
      px[0] = static_cast<uint8_t>(ShadeChannel(b, on_, shade));
      px[1] = static_cast<uint8_t>(ShadeChannel(g, on_, shade));
      px[2] = static_cast<uint8_t>(ShadeChannel(r, on_, shade));
    }
  }
  dc = bitmap_->GetCanvas()->GetHandle();

  const bool border_textured =
      HasPixels(border_texture_) && HasPixels(border_light_) && HasPixels(border_dark_);
  const bool tile = border_mode_ == iasmTile;
  if (gap_ != 0) {
    HRGN ring = nullptr, unused = nullptr;
    RingRegions(plastic_, gap_outline_, false, false, ring, unused);
    if (HasPixels(border_texture_))
      FillRegionTexture(dc, ring, border_texture_, tile, W, H);
    else
      FillRegionColor(dc, ring, ColorToRGB(gap_color_));
    if (ring) DeleteObject(ring);
  }
  struct TRing {
    TIABorderLedStyle style;
    const std::vector<TGeoPoint>& in;
    const std::vector<TGeoPoint>& out;
  };
  for (const TRing& ring : {TRing{outer_style_, inner_, outer_}, TRing{inner_style_, gap_outline_, inner_}}) {
    if (ring.style == iablsNone) continue;
    HRGN light = nullptr, dark = nullptr;
    RingRegions(ring.in, ring.out, true, ring.style == iablsDown, light, dark);
    if (border_textured) {
      FillRegionTexture(dc, light, border_light_, tile, W, H);
      FillRegionTexture(dc, dark, border_dark_, tile, W, H);
    } else {
      FillRegionColor(dc, light, ShiftedColor(border_color_, 32));
      FillRegionColor(dc, dark, ShiftedColor(border_color_, -32));
    }
    for (HRGN region : {light, dark})
      if (region) DeleteObject(region);
  }
  GdiFlush();
}

void TIAgaloLED::Paint() {
  // Painted again while the form repaints under the glow: the picture alone.
  if (!redrawing_glow_ && GetParent() && (halo_on_ || halo_just_off_)) {
    halo_just_off_ = false;
    RedrawHaloArea();
  }
  HDC dc = GetCanvas()->GetHandle();
  BitBlt(dc, 0, 0, bitmap_->GetWidth(), bitmap_->GetHeight(), bitmap_->GetCanvas()->GetHandle(), 0, 0,
         SRCCOPY);
  if (!redrawing_glow_ && on_ && halo_on_ && halo_size_ >= 1) PaintHalo();
}

HWND TIAgaloLED::GlowWindow(POINT& origin) {
  TWinControl* top = this;
  while (top->GetParent()) top = top->GetParent();
  if (top == this || !top->HandleAllocated() || !HandleAllocated()) return nullptr;
  origin = POINT{0, 0};
  MapWindowPoints(handle_, top->GetHandle(), &origin, 1);
  return top->GetHandle();
}

// The glow lies over the parent and whatever of the form's children it reaches: all of them
// repaint there, so an old glow goes and a new one never adds to the last.
void TIAgaloLED::RedrawHaloArea() {
  POINT origin{};
  HWND window = GlowWindow(origin);
  if (!window) return;
  HRGN area = CreateEllipticRgn(origin.x - halo_size_, origin.y - halo_size_,
                                origin.x + GetWidth() + halo_size_, origin.y + GetHeight() + halo_size_);
  RedrawForGlow(window, area, origin);
  DeleteObject(area);
}

void TIAgaloLED::RedrawForGlow(HWND window, HRGN area, POINT origin) {
  // The lamp keeps its own picture; the corners outside its shape belong to what lies under it.
  HRGN lamp = CreateRectRgn(0, 0, 0, 0);
  if (GetWindowRgn(handle_, lamp) == ERROR) SetRectRgn(lamp, 0, 0, GetWidth(), GetHeight());
  OffsetRgn(lamp, origin.x, origin.y);
  CombineRgn(area, area, lamp, RGN_DIFF);
  DeleteObject(lamp);
  redrawing_glow_ = true;
  try {
    RedrawWindow(window, nullptr, area, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  } catch (...) {
    redrawing_glow_ = false;
    throw;
  }
  redrawing_glow_ = false;
}

// The glow is drawn on the form's client area over its children, never beyond the form onto
// other programs' windows.
void TIAgaloLED::PaintHalo() {
  POINT origin{};
  HWND window = GlowWindow(origin);
  if (!window) return;
  const int size = halo_size_;
  const int bw = GetWidth() + 2 * size, bh = GetHeight() + 2 * size;
  glow_box_ = RECT{origin.x - size, origin.y - size, origin.x - size + bw, origin.y - size + bh};
  // Not clipped by the form's children (the form's own device context would leave them out).
  HDC dc = GetDCEx(window, nullptr, DCX_CACHE);
  TBitmap* glow = New<TBitmap>();
  glow->SetPixelFormat(pf24bit);
  glow->SetSize(bw, bh);
  BitBlt(glow->GetCanvas()->GetHandle(), 0, 0, bw, bh, dc, origin.x - size, origin.y - size, SRCCOPY);
  GdiFlush();
  const COLORREF rgb = ColorToRGB(plastic_color_);
  const int colour[3] = {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
  for (int y = 0; y < bh; ++y) {
    uint8_t* row = glow->GetScanLine(y);
    for (int x = 0; x < bw; ++x) {
      const int a = HaloAlpha(x, y, bw, bh, halo_intensity_);
      for (int c = 0; c < 3; ++c)
        row[3 * x + c] = static_cast<uint8_t>(std::min(255, row[3 * x + c] + colour[c] * a / 255));
    }
  }
  BitBlt(dc, origin.x - size, origin.y - size, bw, bh, glow->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
  ReleaseDC(window, dc);
  Free(glow);
}

// ---- Messages -----------------------------------------------------------------------------

void TIAgaloLED::WMSize(TMessage& message) {
  TK_INHERITED(message);
  if (!reshaping_) {
    if (!IsRightAngle(angle_)) {
      if (GetWidth() != box_width_ || GetHeight() != box_height_) {
        reshaping_ = true;
        inherited::SetBounds(GetLeft(), GetTop(), box_width_, box_height_);
        reshaping_ = false;
      }
    } else {
      const int m = Shape().Margin();
      const bool upright = std::abs(std::abs(std::cos(angle_ * std::numbers::pi / 1800)) - 1) < 0.0001;
      const int w = upright ? GetWidth() : GetHeight(), h = upright ? GetHeight() : GetWidth();
      led_width_ = std::max(w - 2 * m, 0);
      led_height_ = std::max(h - 2 * m, 0);
      ReshapeAndRender();
    }
  }
  RedrawAroundLamp();
}

void TIAgaloLED::WMMove(TMessage& message) {
  TK_INHERITED(message);
  RedrawAroundLamp();
}

void TIAgaloLED::RedrawAroundLamp() {
  if (!GetParent() || !halo_on_ || !on_) return;
  POINT origin{};
  HWND window = GlowWindow(origin);
  if (!window) return;
  RECT now{origin.x, origin.y, origin.x + GetWidth(), origin.y + GetHeight()};
  InflateRect(&now, halo_size_, halo_size_);
  HRGN area = CreateRectRgnIndirect(&now);
  HRGN before = CreateRectRgnIndirect(&glow_box_);
  CombineRgn(area, area, before, RGN_OR);
  RedrawWindow(window, nullptr, area, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  DeleteObject(before);
  DeleteObject(area);
}
