// JPEG images: a graphic that keeps the compressed data and decodes it into a bitmap when it
// is drawn, and that compresses a bitmap when it is saved.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/picture.h"

class TBitmap;

enum TJPEGScale { jsFullSize, jsHalf, jsQuarter, jsEighth };
enum TJPEGPerformance { jpBestQuality, jpBestSpeed };

// Told after each pass of a progressive decode with ProgressiveDisplay: pass counts from 1,
// final is true for the last one. The image (drawn or assigned) shows the pass's state.
using TJPEGProgressEvent = TEvent<TObject* /*sender*/, int /*pass*/, bool /*final*/>;

// No encoder writes more scans than this (a progressive image has about ten); a file with
// more is refused, since each scan costs a pass over the whole picture.
constexpr int kMaxJpegScans = 100;

// The scans (start-of-scan markers) in JPEG data, counted by walking its markers without
// decoding; counting stops after `stop_after`.
int CountJpegScans(const uint8_t* data, size_t size, int stop_after);

// Holds compressed JPEG data, a decoded bitmap (24 bits per pixel), or both. Loading keeps the
// data and reads only the header (a stream that is no JPEG, whose header is broken, or with
// more than kMaxJpegScans scans raises EInvalidGraphic); the pixels are decoded on first need (DIBNeeded),
// and damaged image data raises EInvalidGraphic then. Data cut short decodes what there is (the rest grey),
// as the decoder allows. Assigning a bitmap keeps the pixels; the data is compressed from them on first need
// (JPEGNeeded) with CompressionQuality and ProgressiveEncoding.
class TJPEGImage : public TGraphic {
  TK_CLASS(TJPEGImage, TGraphic)

 public:
  TJPEGImage();
  ~TJPEGImage() override;

  // From another JPEG image (data, pixels and settings) or a bitmap; null empties.
  void Assign(TPersistent* source) override;

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetEmpty() const override { return data_.empty() && !bitmap_; }
  void SetTransparent(bool) override {}  // JPEG has no transparency

  // 1 to 100 (clamped); 90 by default.
  int GetCompressionQuality() const { return quality_; }
  void SetCompressionQuality(int quality);
  // Encode progressively; after loading, whether the loaded data is progressive.
  bool GetProgressiveEncoding() const { return progressive_encoding_; }
  void SetProgressiveEncoding(bool progressive);
  // Decode a progressive image scan by scan (buffered-image mode), firing OnProgress per pass.
  bool GetProgressiveDisplay() const { return progressive_display_; }
  void SetProgressiveDisplay(bool progressive);
  // Decoding options; changing one drops the decoded pixels.
  bool GetGrayscale() const { return grayscale_; }
  void SetGrayscale(bool grayscale);
  TJPEGScale GetScale() const { return scale_; }
  void SetScale(TJPEGScale scale);
  TJPEGPerformance GetPerformance() const { return performance_; }
  void SetPerformance(TJPEGPerformance performance);

  // Decodes the data into the bitmap unless it is there.
  void DIBNeeded();
  // Compresses the bitmap into data unless it is there.
  void JPEGNeeded();
  // Compresses the current pixels anew with the current settings.
  void Compress();
  // The compressed bytes (JPEGNeeded first); empty for an empty image.
  const std::vector<uint8_t>& GetData();

  void Draw(TCanvas& canvas, const RECT& rect) override;
  void LoadFromStream(TStream& stream) override;
  void SaveToStream(TStream& stream) override;

  TJPEGProgressEvent OnProgress;

 protected:
  // To a bitmap: an exact copy of the decoded pixels.
  void AssignTo(TPersistent* dest) override;

 private:
  void ReadHeader();
  void FreeBitmap();
  void Decode();

  std::vector<uint8_t> data_;
  TBitmap* bitmap_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int quality_ = 90;
  bool progressive_encoding_ = false;
  bool progressive_display_ = false;
  bool grayscale_ = false;
  TJPEGScale scale_ = jsFullSize;
  TJPEGPerformance performance_ = jpBestQuality;
};
