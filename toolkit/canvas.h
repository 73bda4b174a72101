// The canvas: drawing with a pen, a brush and a font on any device context (a window's, a
// memory bitmap's, a printer's).
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "toolkit/events.h"
#include "toolkit/graphics.h"
#include "toolkit/persistent.h"
#include "toolkit/sets.h"

class TGraphic;

enum TCanvasStates { csHandleValid, csFontValid, csPenValid, csBrushValid };
using TCanvasState = TSet<TCanvasStates>;

// Raster operations of CopyRect and of drawing bitmaps (BitBlt codes).
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// A canvas draws on a device context it is given (SetHandle: the caller owns the DC) or that a
// subclass provides on demand (CreateHandle: a bitmap's memory DC, a control's window DC).
// Pen, brush and font are selected into the DC when a drawing operation needs them; the DC's
// own objects are put back when the handle is released or replaced, or by Refresh, so the
// canvas never leaves its objects selected in a DC it lets go of. Rectangles are RECTs with
// exclusive right and bottom edges, as in GDI.
class TCanvas : public TPersistent {
  TK_CLASS(TCanvas, TPersistent)

 public:
  TCanvas();
  ~TCanvas() override;

  // The device context; asks CreateHandle for one when none is bound.
  HDC GetHandle();
  // Binds a device context (null unbinds), after putting the previous one's objects back.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return handle_ != nullptr; }

  TFont* GetFont() const { return font_; }
  void SetFont(TFont* font) { font_->Assign(font); }
  TPen* GetPen() const { return pen_; }
  void SetPen(TPen* pen) { pen_->Assign(pen); }
  TBrush* GetBrush() const { return brush_; }
  void SetBrush(TBrush* brush) { brush_->Assign(brush); }
  TCopyMode GetCopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode mode) { copy_mode_ = mode; }

  POINT GetPenPos();
  void SetPenPos(POINT pos) { MoveTo(pos.x, pos.y); }
  // clNone for a pixel outside the device's surface or clipping region.
  TColor GetPixels(int x, int y);
  void SetPixels(int x, int y, TColor color);

  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(std::span<const POINT> points);
  void Polygon(std::span<const POINT> points);
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
  void RoundRect(int x1, int y1, int x2, int y2, int corner_width, int corner_height);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const RECT& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
  // With the brush, no outline.
  void FillRect(const RECT& rect);
  // A one-pixel frame in the brush.
  void FrameRect(const RECT& rect);
  // The dotted XOR frame of a focused item; drawing it twice removes it.
  void DrawFocusRect(const RECT& rect);

  // Text in the font at (x, y) (top left of the cell); the background is filled with the
  // brush colour unless the brush is clear. Moves the pen position to the text's end.
  void TextOut(int x, int y, std::string_view text);
  // The same, clipped to rect, and the whole rect filled with the brush colour unless clear.
  void TextRect(const RECT& rect, int x, int y, std::string_view text);
  SIZE TextExtent(std::string_view text);
  int TextWidth(std::string_view text) { return TextExtent(text).cx; }
  int TextHeight(std::string_view text) { return TextExtent(text).cy; }

  // Draws a graphic at its own size / stretched to rect; transparent graphics transparently.
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const RECT& rect, TGraphic* graphic);
  // Copies (stretching when the sizes differ) a rectangle of another canvas with CopyMode.
  void CopyRect(const RECT& dest, TCanvas* source, const RECT& source_rect);

  // The bounds of the current clipping region (the whole surface when there is none).
  RECT GetClipRect();

  // Serialises drawing between threads (a critical section; nests on one thread).
  void Lock();
  void Unlock();
  bool TryLock();
  int GetLockCount() const { return lock_count_; }

  // Puts the DC's own objects back; ours are selected again on the next drawing operation.
  void Refresh();

  TCanvasState GetState() const { return state_; }

  // Around every drawing operation.
  TNotifyEvent OnChanging;
  TNotifyEvent OnChange;

 protected:
  // Called when a drawing operation needs a DC and none is bound; binds one with SetHandle.
  // The base class has none to give and raises EInvalidGraphicOperation.
  virtual void CreateHandle();
  virtual void Changing();
  virtual void Changed();
  // Makes sure the DC exists and the given objects are selected.
  void RequiredState(TCanvasState required);

 private:
  void DeselectHandles();
  void UseFont();
  void UsePen();
  void UseBrush();
  void FontChanged(TObject* sender);
  void PenChanged(TObject* sender);
  void BrushChanged(TObject* sender);

  HDC handle_ = nullptr;
  TCanvasState state_;
  TFont* font_;
  TPen* pen_;
  TBrush* brush_;
  TCopyMode copy_mode_ = cmSrcCopy;
  // The DC's own objects, saved when ours went in; null while ours are not selected.
  HGDIOBJ old_font_ = nullptr;
  HGDIOBJ old_pen_ = nullptr;
  HGDIOBJ old_brush_ = nullptr;
  CRITICAL_SECTION lock_;
  int lock_count_ = 0;
};
