// Bitmaps on device-independent bitmap sections: pixels addressable row by row in memory and
// drawable through a canvas, read from and written to BMP files and bitmap resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/picture.h"

class TBitmapCanvas;

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };
enum TTransparentMode { tmAuto, tmFixed };

// A bitmap is always a top-down DIB section (never a device-dependent bitmap, whose pixels
// cannot be addressed): GetScanLine(0) is the top row, rows are padded to 4 bytes. pfDevice is
// stored as 32 bits per pixel (B, G, R and an unused byte). Formats up to 8 bits carry a colour
// table. A new bitmap is empty and pfDevice.
//
// The canvas keeps the section selected into its memory DC between drawing operations;
// GetScanLine flushes GDI's pending drawing first. GetHandle takes the section out of the
// canvas's DC (the canvas selects it again when it next draws), so that the handle can be
// selected elsewhere or passed to functions that select it.
class TBitmap : public TGraphic {
  TK_CLASS(TBitmap, TGraphic)

 public:
  TBitmap();
  ~TBitmap() override;

  // A deep copy of another bitmap (pixels, format, colour table, transparency); other
  // graphics are drawn onto a white bitmap of their size; null empties.
  void Assign(TPersistent* source) override;

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  void SetWidth(int width) override { SetSize(width, height_); }
  void SetHeight(int height) override { SetSize(width_, height); }
  // Keeps the pixels of the top-left part both sizes share; new pixels are 0 (black or colour
  // table entry 0). Negative sizes count as 0.
  void SetSize(int width, int height);
  bool GetEmpty() const override { return dib_ == nullptr; }

  TPixelFormat GetPixelFormat() const { return pixel_format_; }
  // Converts the pixels. Going up keeps every colour exactly; going down to a colour-table
  // format keeps them too when the image has no more colours than the table has entries
  // (the table is made of them), and otherwise maps each pixel to the nearest colour of the
  // format's standard table (black and white for pf1bit).
  void SetPixelFormat(TPixelFormat format);
  // A one-bit bitmap with a black and white colour table.
  bool GetMonochrome() const;
  // True converts to black and white (pixels lighter than half grey white); false turns a
  // monochrome bitmap into pfDevice.
  void SetMonochrome(bool monochrome);
  // The colour table of formats up to 8 bits; empty for the others.
  const std::vector<RGBQUAD>& GetColorTable() const { return colors_; }
  // A logical palette of the colour table, owned by the bitmap and made anew when the table
  // changed; null for formats without one and for an empty bitmap.
  HPALETTE GetPalette();

  // The first byte of row y (0 is the top row). Raises EInvalidGraphicOperation for a row
  // outside the bitmap.
  uint8_t* GetScanLine(int y);
  // Bytes from one row to the next.
  int GetRowBytes() const { return row_bytes_; }
  // A pixel as a 0x00BBGGRR colour, read from memory; clNone outside the bitmap.
  TColor GetPixelColor(int x, int y) const;

  TCanvas* GetCanvas();

  // With tmAuto the transparent colour is the bottom-left pixel's; setting a colour makes the
  // mode tmFixed, setting clDefault makes it tmAuto again.
  TColor GetTransparentColor() const;
  void SetTransparentColor(TColor color);
  TTransparentMode GetTransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode mode);

  // The section; null for an empty bitmap.
  HBITMAP GetHandle();
  // Takes a bitmap over: its pixels are copied into a new section and the handle is deleted.
  // Null empties the bitmap.
  void SetHandle(HBITMAP bitmap);
  // Gives the section up to the caller; the bitmap is empty afterwards.
  HBITMAP ReleaseHandle();
  bool HandleAllocated() const { return dib_ != nullptr; }

  void Draw(TCanvas& canvas, const RECT& rect) override;

  // BMP files: 1, 4, 8, 16, 24 and 32 bits per pixel, top-down or bottom-up rows, colour
  // tables and BI_BITFIELDS masks, the core (OS/2) and the version 4 and 5 headers. Wrong file
  // and image size fields, and a pixel offset that points elsewhere than where the rows can
  // be, are tolerated; a header that does not fit together, truncated rows or compressed
  // (RLE, JPEG, PNG) data raise EInvalidGraphic. 16-bit files become pf24bit. No more of the
  // stream is read than the headers declare (see Extent).
  void LoadFromStream(TStream& stream) override;
  // What the headers of the BMP file at the stream's position declare it to take: `image`
  // counts the file header, the information header, masks, colour table and rows, `file` the
  // same with the rows where the file header puts them. Both 0 when the headers are no BMP's
  // or describe no image that could be read. The position is left as it was.
  struct TExtent {
    int64_t image = 0;
    int64_t file = 0;
  };
  static TExtent Extent(TStream& stream);
  // A bottom-up BMP file in the bitmap's own format (pfDevice as 32 bits).
  void SaveToStream(TStream& stream) override;
  // A BITMAP resource of a module; EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  void LoadFromResourceID(HINSTANCE instance, int id);

 protected:
  void Changed() override;

 private:
  friend class TBitmapCanvas;

  // Makes a new empty section of the given shape; the old one is left to the caller.
  struct TDib {
    HBITMAP handle = nullptr;
    uint8_t* bits = nullptr;
    int row_bytes = 0;
  };
  static TDib CreateDib(int width, int height, TPixelFormat format, const std::vector<RGBQUAD>& colors);
  // Replaces the section (the old one is deleted) and tells the canvas.
  void InstallDib(const TDib& dib, int width, int height, TPixelFormat format, std::vector<RGBQUAD> colors);
  void FreeDib();
  void FreeCanvasContext();
  // Reads a DIB (information header, colour table or masks, rows) from memory and returns the
  // bytes it used. pixel_offset is where the file header says the rows are, or 0 for none.
  size_t ReadDib(const uint8_t* data, size_t size, size_t pixel_offset);
  void CanvasChanged(TObject* sender);

  HBITMAP dib_ = nullptr;
  uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int row_bytes_ = 0;
  TPixelFormat pixel_format_ = pfDevice;
  std::vector<RGBQUAD> colors_;
  HPALETTE palette_ = nullptr;
  std::vector<RGBQUAD> palette_colors_;  // the table palette_ was made of
  TBitmapCanvas* canvas_ = nullptr;
  TColor transparent_color_ = clDefault;
  TTransparentMode transparent_mode_ = tmAuto;
};
