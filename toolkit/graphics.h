// Fonts, pens and brushes: descriptions of GDI drawing objects whose handles are created on
// first use and recreated after a change, with the errors of the graphics classes.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "toolkit/colors.h"
#include "toolkit/events.h"
#include "toolkit/persistent.h"
#include "toolkit/sets.h"
#include "toolkit/sysutils.h"

class TBitmap;

TK_EXCEPTION(EInvalidGraphic, Exception)           // unreadable or unsupported image data
TK_EXCEPTION(EInvalidGraphicOperation, Exception)  // an operation the graphic cannot do now
TK_EXCEPTION(EOutOfResources, Exception)           // the system refused a GDI object

// Logical pixels per inch of the screen (LOGPIXELSY), read once.
int ScreenPixelsPerInch();

// GDI objects (fonts, pens, brushes, bitmaps, device contexts) the graphics classes hold now.
// Wine does not count GDI objects per process (GetGuiResources answers 0), so leak checks use
// this: an object counts until DeleteObject or DeleteDC has succeeded, so one deleted while
// still selected into a device context (which the system refuses) stays counted.
int GraphicsObjectsInUse();

// The bookkeeping behind GraphicsObjectsInUse, for the graphics classes' own handles. Track
// returns the handle and raises EOutOfResources for null; the Delete functions return whether
// the system deleted the object.
HGDIOBJ TrackGdiObject(HGDIOBJ object);
bool DeleteTrackedObject(HGDIOBJ object);
// Stops counting an object that is given away (its new owner deletes it).
HGDIOBJ UntrackGdiObject(HGDIOBJ object);
HDC TrackDC(HDC dc);
bool DeleteTrackedDC(HDC dc);

// Base of fonts, pens and brushes: the cached handle and the change notification. A change
// fires OnChange first, so that a canvas can take the old handle out of its device context,
// and only then deletes the old handle.
class TGraphicsObject : public TPersistent {
  TK_CLASS(TGraphicsObject, TPersistent)

 public:
  ~TGraphicsObject() override;
  bool HandleAllocated() const { return handle_ != nullptr; }
  // True while OnChange runs for a change that replaces the handle: a device context that
  // holds it must let it go; one that changed only in colour may keep it selected.
  bool HandleChanging() const { return handle_changing_; }

  TNotifyEvent OnChange;

 protected:
  TGraphicsObject() = default;
  // Called after the description changed; handle_changed is false for parts of it that the
  // GDI object does not hold (a font's colour, a pen's mode), which keep the handle.
  void Changed(bool handle_changed = true);
  // The handle for the current description, created on demand.
  HGDIOBJ CachedHandle();
  virtual HGDIOBJ CreateGdiHandle() = 0;

 private:
  void DeleteHandle();
  HGDIOBJ handle_ = nullptr;
  bool handle_changing_ = false;
};

// ---- Font ---------------------------------------------------------------------------------

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = TSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;

// A font by name, size, style and colour. Height is in pixels (negative: the character height
// without internal leading, positive: the cell height); Size is in points at PixelsPerInch
// (the screen's), Size = -Height * 72 / PixelsPerInch rounded. The default is MS Sans Serif,
// 8 points (Height -11 at 96 DPI), in clWindowText.
class TFont : public TGraphicsObject {
  TK_CLASS(TFont, TGraphicsObject)

 public:
  TFont();

  void Assign(TPersistent* source) override;

  HFONT GetHandle() { return static_cast<HFONT>(CachedHandle()); }
  // Takes over the description of a foreign font (the handle stays the caller's).
  void SetHandle(HFONT font);

  const std::string& GetName() const { return name_; }
  void SetName(const std::string& name);
  int GetHeight() const { return height_; }
  void SetHeight(int height);
  int GetSize() const;
  void SetSize(int size);
  TFontStyles GetStyle() const { return style_; }
  void SetStyle(TFontStyles style);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  TFontPitch GetPitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);
  TFontCharset GetCharset() const { return charset_; }
  void SetCharset(TFontCharset charset);
  // The resolution Size is converted with; changing it keeps Height.
  int GetPixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int pixels_per_inch);

 protected:
  HGDIOBJ CreateGdiHandle() override;

 private:
  static void Publish(TPublisher<TFont>& p);

  std::string name_;
  int height_;
  int pixels_per_inch_;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontPitch pitch_ = fpDefault;
  TFontCharset charset_ = DEFAULT_CHARSET;
};

// ---- Pen ----------------------------------------------------------------------------------

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// The raster operation of lines and shapes (SetROP2), in the order of the R2_ codes:
// pmBlack is R2_BLACK, pmCopy R2_COPYPEN, pmXor R2_XORPEN, pmNotXor R2_NOTXORPEN, ...
enum TPenMode {
  pmBlack,
  pmNotMerge,
  pmMaskNotPen,
  pmNotCopy,
  pmMaskPenNot,
  pmNot,
  pmXor,
  pmNotMask,
  pmMask,
  pmNotXor,
  pmNop,
  pmMergeNotPen,
  pmCopy,
  pmMergePenNot,
  pmMerge,
  pmWhite,
};

// Lines: black, one pixel wide, solid, copy mode by default. Dashed styles are drawn dashed
// only one pixel wide (the system draws wider dashed cosmetic pens solid).
class TPen : public TGraphicsObject {
  TK_CLASS(TPen, TGraphicsObject)

 public:
  TPen() = default;

  void Assign(TPersistent* source) override;

  HPEN GetHandle() { return static_cast<HPEN>(CachedHandle()); }

  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  // Values below 1 are taken as 1.
  int GetWidth() const { return width_; }
  void SetWidth(int width);
  TPenStyle GetStyle() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode GetMode() const { return mode_; }
  void SetMode(TPenMode mode);
  // The SetROP2 code of Mode.
  int GetRop2() const { return static_cast<int>(mode_) + 1; }

 protected:
  HGDIOBJ CreateGdiHandle() override;

 private:
  static void Publish(TPublisher<TPen>& p);

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
};

// ---- Brush --------------------------------------------------------------------------------

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

// Fills: white and solid by default. A pattern bitmap, when set, takes precedence over Style
// and Color. The brush keeps its own copy of the pattern, so the caller's bitmap may be freed.
class TBrush : public TGraphicsObject {
  TK_CLASS(TBrush, TGraphicsObject)

 public:
  TBrush() = default;
  ~TBrush() override;

  void Assign(TPersistent* source) override;

  HBRUSH GetHandle() { return static_cast<HBRUSH>(CachedHandle()); }

  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  TBrushStyle GetStyle() const { return style_; }
  void SetStyle(TBrushStyle style);
  // The brush's copy of the pattern; null when it has none.
  TBitmap* GetBitmap() const { return bitmap_; }
  // Copies the pattern; null removes it.
  void SetBitmap(TBitmap* bitmap);

 protected:
  HGDIOBJ CreateGdiHandle() override;

 private:
  static void Publish(TPublisher<TBrush>& p);

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  TBitmap* bitmap_ = nullptr;
};
