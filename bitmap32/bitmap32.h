// The 32-bit bitmap: top-down $AARRGGBB pixels in a DIB section with a memory device context
// of its own, so the same pixels are reached directly in memory and through GDI (text, blits).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <string_view>

#include "bitmap32/blend.h"
#include "bitmap32/convolve.h"
#include "bitmap32/resample.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/events.h"
#include "toolkit/graphics.h"
#include "toolkit/persistent.h"
#include "toolkit/streams.h"

class TClipboard;

TK_EXCEPTION(ETransformError, Exception)

// (source pixel, destination pixel, master alpha): dmCustom's combination.
using TPixelCombineEvent = TEvent<TColor32, TColor32&, uint32_t>;

// A persistent object with change notification, an update count that holds it back, and a lock
// for callers that share the object between threads.
class TThreadPersistent : public TPersistent {
  TK_CLASS(TThreadPersistent, TPersistent)

 public:
  TThreadPersistent();
  ~TThreadPersistent() override;

  // Fires OnChange unless updates are held back.
  virtual void Changed();
  void BeginUpdate() { ++update_count_; }
  // An unpaired call raises EAssertionFailed and leaves the count at 0.
  void EndUpdate();
  int GetUpdateCount() const { return update_count_; }
  void Lock();
  void Unlock();
  int GetLockCount() const { return lock_count_; }

  TNotifyEvent OnChange;

 private:
  CRITICAL_SECTION lock_;
  int lock_count_ = 0;
  int update_count_ = 0;
};

// Something with a width and a height that can be resized.
class TCustomMap : public TThreadPersistent {
  TK_CLASS(TCustomMap, TThreadPersistent)

 public:
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Negative sizes count as 0; a real change resizes the storage, then Changed and Resized.
  virtual void SetSize(int width, int height);
  virtual bool Empty() const { return width_ == 0 || height_ == 0; }
  void Delete() { SetSize(0, 0); }

  TNotifyEvent OnResize;

 protected:
  virtual void ResizeStorage(int& width, int& height, int new_width, int new_height);
  virtual void Resized() { OnResize(this); }
  int width_ = 0;
  int height_ = 0;
};

class TBitmap32 : public TCustomMap {
  TK_CLASS(TBitmap32, TCustomMap)

 public:
  TBitmap32();
  ~TBitmap32() override;

  // From null (empties), another TBitmap32, a TBitmap, a TPicture, any TGraphic or the
  // clipboard (its picture, opaque). An icon or a metafile in a picture keeps its shape in
  // alpha: opaque where it draws, 0 elsewhere.
  void Assign(TPersistent* source) override;

  bool Empty() const override { return TCustomMap::Empty() || !dib_; }

  TColor32* GetBits() const { return bits_; }
  TPixelMap GetPixelMap() const { return {bits_, Empty() ? 0 : width_, Empty() ? 0 : height_}; }
  TColor32* RowAddress(int y) const { return bits_ + static_cast<ptrdiff_t>(y) * width_; }
  TColor32* PixelAddress(int x, int y) const { return RowAddress(y) + x; }
  // Unchecked, like the addresses.
  TColor32 GetPixel(int x, int y) const { return *PixelAddress(x, y); }
  void SetPixel(int x, int y, TColor32 color) { *PixelAddress(x, y) = color; }
  // Checked: OuterColor outside the bitmap; writing outside does nothing.
  TColor32 GetPixelS(int x, int y) const;
  void SetPixelS(int x, int y, TColor32 color);

  HDC GetHandle() const { return dc_; }
  HBITMAP GetBitmapHandle() const { return dib_; }
  const BITMAPINFO& GetBitmapInfo() const { return info_; }
  // Bound to the bitmap's device context; created on first request, freed by a resize.
  TCanvas* GetCanvas();
  TFont* GetFont() const { return font_; }
  void SetFont(TFont* font) { font_->Assign(font); }

  TDrawMode GetDrawMode() const { return draw_mode_; }
  void SetDrawMode(TDrawMode mode);
  uint32_t GetMasterAlpha() const { return master_alpha_; }
  // Above 255 is taken as 255.
  void SetMasterAlpha(uint32_t alpha);
  TColor32 GetOuterColor() const { return outer_color_; }
  void SetOuterColor(TColor32 color) { outer_color_ = color; }
  TStretchFilter GetStretchFilter() const { return stretch_filter_; }
  void SetStretchFilter(TStretchFilter filter);

  void Clear(TColor32 color);
  void FillRect(int x1, int y1, int x2, int y2, TColor32 color);
  // Blend the colour (its alpha is the weight) onto a span, both ends included.
  void HorzLineBlend(int x1, int y, int x2, TColor32 color);
  void VertLineBlend(int x, int y1, int y2, TColor32 color);
  // Contrast in percent: positive lightens the top and left edges and darkens the others.
  void RaiseFrame(int x1, int y1, int x2, int y2, int contrast);
  void RaiseFrame(const RECT& r, int contrast) { RaiseFrame(r.left, r.top, r.right, r.bottom, contrast); }
  void ResetAlpha();

  SIZE TextExtent(std::string_view text);
  void DrawText(const RECT& rect, UINT flags, std::string_view text);

  // 1:1 onto a device context.
  void DrawTo(HDC dc, int x, int y);
  // Src through the stretch transfer with its filter, draw mode and master alpha.
  void Draw(int dst_x, int dst_y, TBitmap32* src);
  void Draw(const RECT& dst_rect, const RECT& src_rect, TBitmap32* src);
  void Draw(const RECT& dst_rect, TBitmap32* src);

  // The "Data" stream: width and height (signed 32-bit) and the rows of pixels, top first.
  // Reading refuses negative sizes and sizes whose pixels are not all in the stream.
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);
  // Data as a byte string; empty for an empty bitmap, so nothing is stored for it.
  std::string GetData();
  void SetData(const std::string& bytes);

  TNotifyEvent OnHandleChanged;
  TPixelCombineEvent OnPixelCombine;

 protected:
  void ResizeStorage(int& width, int& height, int new_width, int new_height) override;
  virtual void HandleChanged();
  void AssignTo(TPersistent* dest) override;

 private:
  static void Publish(TPublisher<TBitmap32>& p);
  void FreeStorage();
  void SelectFont();
  void DeselectFont();
  void FontChanged(TObject* sender);
  void CanvasChanged(TObject* sender);
  void AssignBitmap(TBitmap* bitmap);
  void AssignGraphic(TGraphic* graphic);
  void AssignMasked(TGraphic* graphic);
  void AssignClipboard(TClipboard* clipboard);

  TColor32* bits_ = nullptr;
  TCanvas* canvas_ = nullptr;
  TDrawMode draw_mode_ = dmOpaque;
  TFont* font_ = nullptr;
  HBITMAP dib_ = nullptr;
  HDC dc_ = nullptr;
  BITMAPINFO info_{};
  uint32_t master_alpha_ = 255;
  TColor32 outer_color_ = 0;
  TStretchFilter stretch_filter_ = sfNearest;
  HFONT font_selected_ = nullptr;
};

// Copies src_rect of src into dst_rect of dst, only within dst_clip. An empty source returns
// at once; a missing or empty destination, a missing source and a source rectangle outside
// the source raise ETransformError.
void StretchTransfer(TBitmap32* dst, const RECT& dst_rect, const RECT& dst_clip, TBitmap32* src,
                     const RECT& src_rect, TStretchFilter filter, TDrawMode mode,
                     const TPixelCombineEvent& combine);

// 3 x 3 convolution of red, green and blue (see ConvolvePixels), without a change
// notification; a divisor of 0 raises Exception.
void Convolve3x3(const TKernel3x3& kernel, uint16_t divisor, TBitmap32* bitmap);
// Preset index and 127; nothing for the indexes above 17.
void ApplyPresetFilter32(uint8_t index, TBitmap32* bitmap);

// $00BBGGRR (system colours resolved) as opaque $FFRRGGBB.
TColor32 ToColor32(TColor color);

// The unit's process-wide state (lock counts, blend variants, gamma table, stock font and the
// bitmap that measures text for bitmaps without a device context). Counted: the first Init
// does the work, the matching last Finish undoes it. TBitmap32 starts it on first use too.
void InitBitmap32Unit();
void FinishBitmap32Unit();
// Registers the unit with the program's start-up (toolkit/startup.h), library stage.
void RegisterBitmap32Unit();
