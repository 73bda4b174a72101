// Section background painting.
#include "skin/engine/sitempaint.h"

#include <algorithm>
#include <cstdint>
#include <memory>

#include "skin/engine/sblend.h"
#include "skin/engine/sborders.h"
#include "skin/engine/sgradient.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/spixels.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/jpeg.h"

namespace {

struct FreeObject {
  void operator()(TObject* object) const { Free(object); }
};
using OwnedBitmap = std::unique_ptr<TBitmap, FreeObject>;

OwnedBitmap NewBitmap24(int width, int height) {
  OwnedBitmap bmp(New<TBitmap>());
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(width, height);
  return bmp;
}

// Scratch bitmaps kept between calls (a form's background would otherwise make a new section
// of a megabyte or more at every paint): one for the body under transparency, one for the
// gradient over an image, one for a narrow picture's tile. Painting happens on the main thread only. Freed at
// process end. The part handed out is black, as a new bitmap is: where the body or the gradient paints
// nothing, the last paint's pixels must not show.
enum ScratchSlot { kBodyScratch, kGradientScratch, kTileScratch };
TBitmap* Scratch(ScratchSlot slot, int width, int height) {
  static OwnedBitmap bitmaps[3];
  OwnedBitmap& bmp = bitmaps[slot];
  if (!bmp) bmp = NewBitmap24(width, height);
  if (bmp->GetWidth() < width || bmp->GetHeight() < height)
    bmp->SetSize(std::max(width, bmp->GetWidth()), std::max(height, bmp->GetHeight()));
  const TPixels24 view = Pixels24(bmp.get());
  for (int y = 0; y < height; ++y) std::fill_n(view.At(0, y), static_cast<size_t>(width) * 3, uint8_t{0});
  return bmp.get();
}

// The image of the body: a mask of the skin, a JPEG pattern, or none.
struct BodyImage {
  int mask_index = -1;
  int pattern_index = -1;
  bool pattern = false;  // looked up as a pattern (an invalid one paints nothing)
};

// The values of one state of a section.
struct BodyValues {
  TColor color;
  int transparency;
  int image_percent;
  int gradient_percent;
  const TsGradArray* gradient;
};

BodyValues ValuesOf(const TsGeneralData& gd, int state) {
  if (state == 0)
    return {gd.PaintingColor, gd.PaintingTransparency, gd.ImagePercent, gd.GradientPercent,
            &gd.GradientArray};
  return {gd.HotPaintingColor, gd.HotPaintingTransparency, gd.HotImagePercent, gd.HotGradientPercent,
          &gd.HotGradientArray};
}

bool IsValidPatternIndex(int index) {
  return index >= 0 && index < static_cast<int>(SkinPatterns.size()) && SkinPatterns[index].Img;
}

void FillColor(TBitmap* bmp, const RECT& q, TColor color) {
  const TPixels24 view = Pixels24(bmp);
  const uint32_t rgb = ColorToRGB(color) & 0xFFFFFF;
  const int left = std::max<int>(q.left, 0), right = std::min<int>(q.right, view.Width);
  const int top = std::max<int>(q.top, 0), bottom = std::min<int>(q.bottom, view.Height);
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) view.SetColor(x, y, rgb);
}

// The gradient, or the plain colour when the section has none.
void GradientOrColor(TBitmap* bmp, const RECT& q, const BodyValues& v) {
  if (v.gradient->empty())
    FillColor(bmp, q, v.color);
  else
    PaintGrad(bmp, *v.gradient, q);
}

// The opaque body into q of bmp.
void PaintBody(TBitmap* bmp, const RECT& q, const BodyValues& v, const BodyImage& image) {
  const int w = q.right - q.left, h = q.bottom - q.top;
  if (w < 1 || h < 1) return;
  bool painted = false;
  if (v.image_percent > 0) {
    if (image.pattern) {
      // A pattern the skin cannot give paints nothing: q keeps what was under it.
      if (IsValidPatternIndex(image.pattern_index)) {
        TileImage(bmp, q, SkinPatterns[image.pattern_index].Img, TsMaskData{});
        painted = true;
      }
    } else if (IsValidImgIndex(image.mask_index)) {
      TileImage(bmp, q, SkinMasks[image.mask_index].Bmp, SkinMasks[image.mask_index]);
      painted = true;
    } else {
      FillColor(bmp, q, v.color);
    }
  }
  if (v.gradient_percent > 0) {
    if (painted) {
      TBitmap* grad = Scratch(kGradientScratch, w, h);
      GradientOrColor(grad, RECT{0, 0, w, h}, v);
      const int g = v.image_percent * 255 / 100;
      BlendBitmapRect(bmp, grad, RGB(g, g, g), RECT{0, 0, w, h}, POINT{q.left, q.top});
    } else {
      GradientOrColor(bmp, q, v);
    }
  }
  const int shares = v.image_percent + v.gradient_percent;
  if (shares >= 1 && shares <= 99)
    BlendColorRectPercent(bmp, RECT{q.left, q.top, q.right - 1, q.bottom - 1}, shares, v.color);
  else if (shares != 100)
    FillColor(bmp, q, v.color);
}

// The parent's background of r's size at the control's place, into r.
void CopyParent(TBitmap* bmp, const RECT& r, const TsCacheInfo& ci, POINT p) {
  if (ci.Bmp == bmp) return;
  const int x = ci.X + p.x, y = ci.Y + p.y;
  PixCopyRect(Pixels24(bmp), r.left, r.top, Pixels24(ci.Bmp),
              TPixRect{x, y, x + (r.right - r.left), y + (r.bottom - r.top)});
}

void PaintBackground(int skin_index, const TsCacheInfo& ci, int state, const RECT& r, POINT p, TBitmap* bmp,
                     const BodyImage& image) {
  if (!IsValidSkinIndex(skin_index) || !bmp) return;
  const BodyValues v = ValuesOf(SkinGeneralData[skin_index], state);
  const int t = v.transparency;
  if (ci.Ready && t < 0) return;
  if (!ci.Ready || t == 0) {
    PaintBody(bmp, r, v, image);
  } else if (t == 100) {
    CopyParent(bmp, r, ci, p);
  } else {
    const int w = r.right - r.left, h = r.bottom - r.top;
    if (w < 1 || h < 1) return;
    TBitmap* body = Scratch(kBodyScratch, w, h);
    PaintBody(body, RECT{0, 0, w, h}, v, image);
    CopyParent(bmp, r, ci, p);
    // The weight is a grey colour: above 100 percent its channel is taken in 8 bits (in 64
    // bits first, so that no transparency overflows the product).
    const int g = static_cast<int>(int64_t{t} * 255 / 100 & 0xFF);
    BlendBitmapRect(bmp, body, RGB(g, g, g), RECT{0, 0, w, h}, POINT{r.left, r.top});
  }
}

bool InsideBitmap(const RECT& r, TBitmap* bmp) {
  return bmp && r.left >= 0 && r.top >= 0 && r.right <= bmp->GetWidth() && r.bottom <= bmp->GetHeight();
}

void PaintBorder(int border_index, TsCacheInfo ci, int state, bool filling, const RECT& r, POINT p,
                 TBitmap* bmp) {
  ci.X += p.x;
  ci.Y += p.y;
  if (IsValidImgIndex(border_index)) DrawSkinMaskRect(bmp, r, filling, ci, SkinMasks[border_index], state);
}

}  // namespace

namespace {

// Pictures narrower or lower than this are widened before they are tiled.
constexpr int kDrawnTileSide = 64;

// The picture drawn from q's corner, clipped to q so that the last tiles stop at its edges.
// A narrow picture is drawn once into a scratch bitmap and repeated there to some
// kDrawnTileSide pixels a side (no more than q needs): a draw call for each pixel of a 1 x 1
// picture costs more than a hundred times the body.
void DrawTiles(TBitmap* bmp, const RECT& q, TGraphic* graphic) {
  const int w = graphic->GetWidth(), h = graphic->GetHeight();
  TCanvas* canvas = bmp->GetCanvas();
  HDC dc = canvas->GetHandle();
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, q.left, q.top, q.right, q.bottom);
  if (std::min(w, h) < kDrawnTileSide) {
    auto side = [](int one, int span) {
      return one * std::max(1, std::min((kDrawnTileSide + one - 1) / one, (span + one - 1) / one));
    };
    const int tw = side(w, q.right - q.left), th = side(h, q.bottom - q.top);
    TBitmap* tile = Scratch(kTileScratch, tw, th);
    tile->GetCanvas()->Draw(0, 0, graphic);
    GdiFlush();
    const TPixels24 pixels = Pixels24(tile);
    if (tw > w || th > h) PixTileRect(pixels, TPixRect{0, 0, tw, th}, pixels, TPixRect{0, 0, w, h});
    HDC tile_dc = tile->GetCanvas()->GetHandle();
    for (int y = q.top; y < q.bottom; y += th)
      for (int x = q.left; x < q.right; x += tw) BitBlt(dc, x, y, tw, th, tile_dc, 0, 0, SRCCOPY);
  } else {
    for (int y = q.top; y < q.bottom; y += h)
      for (int x = q.left; x < q.right; x += w) canvas->Draw(x, y, graphic);
  }
  RestoreDC(dc, saved);
  GdiFlush();
}

}  // namespace

void TileImage(TBitmap* bmp, const RECT& q, TGraphic* graphic, const TsMaskData& mask) {
  if (!bmp) return;
  const TPixels24 dst = Pixels24(bmp);
  if (graphic && !graphic->GetEmpty()) {
    const int w = graphic->GetWidth(), h = graphic->GetHeight();
    if (w < 1 || h < 1) return;
    if (auto* image = dynamic_cast<TBitmap*>(graphic)) {
      PixTileRect(dst, PixRect(q), Pixels24(image), TPixRect{0, 0, w, h});
    } else if (dynamic_cast<TJPEGImage*>(graphic)) {
      DrawTiles(bmp, q, graphic);
    }
    return;
  }
  if (mask.Bmp || mask.ImageCount < 1) return;
  // The first state of the mask's rectangle, above its alpha mask.
  const int layers = std::clamp<int>(mask.MaskType, 0, 1) + 1;
  const int w = (mask.R.right - mask.R.left) / mask.ImageCount, h = (mask.R.bottom - mask.R.top) / layers;
  if (w < 1 || h < 1) return;
  PixTileRect(dst, PixRect(q), Pixels24(MasterBitmap),
              TPixRect{mask.R.left, mask.R.top, mask.R.left + w, mask.R.top + h});
}

void PaintItemBG(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, const RECT& r,
                 POINT p, TBitmap* bmp) {
  if (!IsValidSkinIndex(skin_index)) return;
  const char* property = state == 0 ? "IMAGEFILE" : "HOTIMAGEFILE";
  BodyImage image;
  image.mask_index = GetMaskIndex(skin_index, section, property);
  if (!IsValidImgIndex(image.mask_index)) {
    image.pattern = true;
    image.pattern_index = GetPatternIndex(skin_index, section, property);
  }
  PaintBackground(skin_index, ci, state, r, p, bmp, image);
}

void PaintItemBGFromParent(int skin_index, const std::string&, const TsCacheInfo& ci, int state,
                           const RECT& r, POINT p, TBitmap* bmp, int image_index, int hot_image_index) {
  BodyImage image;
  image.mask_index = state == 0 ? image_index : hot_image_index;
  PaintBackground(skin_index, ci, state, r, p, bmp, image);
}

void PaintItem(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, bool filling,
               const RECT& r, POINT p, TBitmap* bmp) {
  if (!IsValidSkinIndex(skin_index) || !InsideBitmap(r, bmp)) return;
  PaintItemBG(skin_index, section, ci, state, r, p, bmp);
  PaintBorder(GetMaskIndex(skin_index, section, "BORDERSMASK"), ci, state, filling, r, p, bmp);
}

void PaintItemFromParent(int skin_index, int border_index, int image_index, int hot_image_index,
                         const TsCacheInfo& ci, int state, bool filling, const RECT& r, POINT p,
                         TBitmap* bmp) {
  if (!IsValidSkinIndex(skin_index) || !InsideBitmap(r, bmp)) return;
  PaintItemBGFromParent(skin_index, "", ci, state, r, p, bmp, image_index, hot_image_index);
  PaintBorder(border_index, ci, state, filling, r, p, bmp);
}

void PaintItemWhole(int skin_index, const std::string& section, const TsCacheInfo& ci, int state,
                    bool filling, POINT p, TBitmap* bmp) {
  if (!bmp) return;
  PaintItem(skin_index, section, ci, state, filling, RECT{0, 0, bmp->GetWidth(), bmp->GetHeight()}, p, bmp);
}

void PaintItemToDC(int skin_index, const std::string& section, const TsCacheInfo& ci, int state, bool filling,
                   const RECT& r, POINT p, HDC dc) {
  if (!IsValidSkinIndex(skin_index) || r.left < 0 || r.top < 0 || !dc) return;
  const int w = r.right - r.left, h = r.bottom - r.top;
  if (w < 1 || h < 1) return;
  const int saved = SaveDC(dc);
  OwnedBitmap bmp = NewBitmap24(w, h);
  PaintItem(skin_index, section, ci, state, filling, RECT{0, 0, w, h}, p, bmp.get());
  BitBlt(dc, r.left, r.top, w, h, bmp->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
  RestoreDC(dc, saved);
}
