#include "toolkit/jpeg.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

extern "C" {
#include <jerror.h>
#include <jpeglib.h>
}

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"

// libjpeg reports fatal errors by calling error_exit, which must not return. Ours longjmps
// back to the step function that set the return point. Each step below is a plain function
// that holds no object with a destructor, so the jump skips no C++ clean-up; the C++ code
// around the steps owns the decoder state and destroys it, also when it throws.
namespace {

struct TErrorTrap {
  jpeg_error_mgr mgr;  // first: libjpeg sees the jpeg_error_mgr
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
};

extern "C" void TrapError(j_common_ptr cinfo) {
  auto* trap = reinterpret_cast<TErrorTrap*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, trap->message);
  std::longjmp(trap->jump, 1);
}

extern "C" void CountWarning(j_common_ptr cinfo, int level) {
  if (level < 0) ++reinterpret_cast<TErrorTrap*>(cinfo->err)->warnings;
}

void InstallTrap(TErrorTrap& trap) {
  jpeg_std_error(&trap.mgr);
  trap.mgr.error_exit = TrapError;
  trap.mgr.emit_message = CountWarning;
  trap.message[0] = '\0';
  trap.warnings = 0;
}

// ---- Decoding from bytes in memory --------------------------------------------------------

const JOCTET kEndOfImage[2] = {0xFF, JPEG_EOI};

extern "C" void SourceInit(j_decompress_ptr) {}

// All data is in the buffer from the start; asking for more means it ended early. Like the
// library's own sources, warn and end the image, so that what was read can still be shown.
extern "C" boolean SourceFill(j_decompress_ptr cinfo) {
  WARNMS(cinfo, JWRN_JPEG_EOF);
  cinfo->src->next_input_byte = kEndOfImage;
  cinfo->src->bytes_in_buffer = sizeof kEndOfImage;
  return TRUE;
}

extern "C" void SourceSkip(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  jpeg_source_mgr* source = cinfo->src;
  if (static_cast<size_t>(count) > source->bytes_in_buffer) {
    source->bytes_in_buffer = 0;
    SourceFill(cinfo);
    return;
  }
  source->next_input_byte += count;
  source->bytes_in_buffer -= static_cast<size_t>(count);
}

extern "C" void SourceTerm(j_decompress_ptr) {}

struct TDecoder {
  jpeg_decompress_struct cinfo;
  TErrorTrap trap;
  jpeg_source_mgr source;
  JSAMPARRAY row;  // one output row, from the library's image pool
  bool buffered;
};

struct TDecodeOptions {
  int scale_denom;
  bool grayscale;
  bool fast;
  bool buffered;  // progressive display, when the image has several scans
};

bool OpenDecoder(TDecoder* d, const uint8_t* data, size_t size) {
  d->cinfo.err = &d->trap.mgr;
  InstallTrap(d->trap);
  if (setjmp(d->trap.jump)) return false;
  jpeg_create_decompress(&d->cinfo);
  d->source.init_source = SourceInit;
  d->source.fill_input_buffer = SourceFill;
  d->source.skip_input_data = SourceSkip;
  d->source.resync_to_restart = jpeg_resync_to_restart;
  d->source.term_source = SourceTerm;
  d->source.next_input_byte = data;
  d->source.bytes_in_buffer = size;
  d->cinfo.src = &d->source;
  jpeg_read_header(&d->cinfo, TRUE);
  return true;
}

void SetDecodeOptions(TDecoder* d, const TDecodeOptions& options) {
  jpeg_decompress_struct& c = d->cinfo;
  c.scale_num = 1;
  c.scale_denom = static_cast<unsigned>(options.scale_denom);
  if (options.grayscale) {
    c.out_color_space = JCS_GRAYSCALE;
  } else if (c.jpeg_color_space == JCS_CMYK || c.jpeg_color_space == JCS_YCCK) {
    c.out_color_space = JCS_CMYK;
  } else {
    c.out_color_space = JCS_RGB;
  }
  c.dct_method = options.fast ? JDCT_IFAST : JDCT_ISLOW;
  c.do_fancy_upsampling = options.fast ? FALSE : TRUE;
}

bool CalcDimensions(TDecoder* d, const TDecodeOptions& options) {
  if (setjmp(d->trap.jump)) return false;
  SetDecodeOptions(d, options);
  jpeg_calc_output_dimensions(&d->cinfo);
  return true;
}

bool StartDecoder(TDecoder* d, const TDecodeOptions& options) {
  if (setjmp(d->trap.jump)) return false;
  SetDecodeOptions(d, options);
  d->buffered = options.buffered && jpeg_has_multiple_scans(&d->cinfo);
  d->cinfo.buffered_image = d->buffered ? TRUE : FALSE;
  jpeg_start_decompress(&d->cinfo);
  JDIMENSION row_samples = d->cinfo.output_width * static_cast<JDIMENSION>(d->cinfo.output_components);
  d->row =
      (*d->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&d->cinfo), JPOOL_IMAGE, row_samples, 1);
  return true;
}

// Reads the rows of one output pass into top-down 24-bit rows (B, G, R).
void ReadRows(TDecoder* d, uint8_t* bits, ptrdiff_t stride) {
  jpeg_decompress_struct& c = d->cinfo;
  const int components = c.output_components;
  while (c.output_scanline < c.output_height) {
    uint8_t* out = bits + static_cast<ptrdiff_t>(c.output_scanline) * stride;
    jpeg_read_scanlines(&c, d->row, 1);
    const JSAMPLE* in = d->row[0];
    for (JDIMENSION x = 0; x < c.output_width; ++x, out += 3, in += components) {
      if (components == 1) {
        out[0] = out[1] = out[2] = in[0];
      } else if (components == 3) {
        out[0] = in[2];
        out[1] = in[1];
        out[2] = in[0];
      } else {
        // Adobe's CMYK JPEGs store the inks inverted: each channel is (255 - ink) * (255 - black).
        int k = in[3];
        out[0] = static_cast<uint8_t>(in[2] * k / 255);
        out[1] = static_cast<uint8_t>(in[1] * k / 255);
        out[2] = static_cast<uint8_t>(in[0] * k / 255);
      }
    }
  }
}

// One output pass: the whole image, or in buffered mode the scans read so far. Returns 1 when
// more passes follow, 0 after the last, -1 on an error.
int ReadPass(TDecoder* d, uint8_t* bits, ptrdiff_t stride) {
  if (setjmp(d->trap.jump)) return -1;
  jpeg_decompress_struct& c = d->cinfo;
  if (!d->buffered) {
    ReadRows(d, bits, stride);
    return 0;
  }
  if (!jpeg_input_complete(&c)) {
    int status;
    do status = jpeg_consume_input(&c);
    while (status != JPEG_SUSPENDED && status != JPEG_REACHED_EOI && status != JPEG_SCAN_COMPLETED);
  }
  jpeg_start_output(&c, c.input_scan_number);
  ReadRows(d, bits, stride);
  jpeg_finish_output(&c);
  return jpeg_input_complete(&c) ? 0 : 1;
}

bool FinishDecoder(TDecoder* d) {
  if (setjmp(d->trap.jump)) return false;
  jpeg_finish_decompress(&d->cinfo);
  return true;
}

struct TDecoderDeleter {
  void operator()(TDecoder* d) const {
    jpeg_destroy_decompress(&d->cinfo);
    delete d;
  }
};
using TDecoderPtr = std::unique_ptr<TDecoder, TDecoderDeleter>;

TDecoderPtr NewDecoder() {
  // Zeroed, so that destroying a decoder whose creation failed finds no memory manager.
  auto* d = new TDecoder;
  std::memset(static_cast<void*>(d), 0, sizeof *d);
  return TDecoderPtr(d);
}

[[noreturn]] void RaiseJpegError(const TDecoder& d) {
  throw EInvalidGraphic(std::string("JPEG error: ") + d.trap.message);
}

// ---- Encoding into a growing memory buffer ------------------------------------------------

struct TEncoder {
  jpeg_compress_struct cinfo;
  TErrorTrap trap;
  jpeg_destination_mgr destination;
  JOCTET* buffer;
  size_t capacity;
  size_t size;
};

TEncoder* EncoderOf(j_compress_ptr cinfo) { return static_cast<TEncoder*>(cinfo->client_data); }

extern "C" void DestinationInit(j_compress_ptr cinfo) {
  TEncoder* e = EncoderOf(cinfo);
  e->capacity = 64 * 1024;
  e->buffer = static_cast<JOCTET*>(std::malloc(e->capacity));
  if (!e->buffer) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  e->destination.next_output_byte = e->buffer;
  e->destination.free_in_buffer = e->capacity;
}

extern "C" boolean DestinationEmpty(j_compress_ptr cinfo) {
  TEncoder* e = EncoderOf(cinfo);
  size_t grown = e->capacity * 2;
  auto* buffer = static_cast<JOCTET*>(std::realloc(e->buffer, grown));
  if (!buffer) ERREXIT(cinfo, JERR_OUT_OF_MEMORY);
  e->buffer = buffer;
  e->destination.next_output_byte = buffer + e->capacity;
  e->destination.free_in_buffer = grown - e->capacity;
  e->capacity = grown;
  return TRUE;
}

extern "C" void DestinationTerm(j_compress_ptr cinfo) {
  TEncoder* e = EncoderOf(cinfo);
  e->size = e->capacity - e->destination.free_in_buffer;
}

struct TEncodeJob {
  const uint8_t* bits;  // top-down 24-bit rows (B, G, R)
  ptrdiff_t stride;
  int width;
  int height;
  int quality;
  bool progressive;
  bool grayscale;
};

bool RunEncoder(TEncoder* e, const TEncodeJob& job) {
  e->cinfo.err = &e->trap.mgr;
  InstallTrap(e->trap);
  if (setjmp(e->trap.jump)) return false;
  jpeg_create_compress(&e->cinfo);
  e->cinfo.client_data = e;
  e->destination.init_destination = DestinationInit;
  e->destination.empty_output_buffer = DestinationEmpty;
  e->destination.term_destination = DestinationTerm;
  e->cinfo.dest = &e->destination;
  e->cinfo.image_width = static_cast<JDIMENSION>(job.width);
  e->cinfo.image_height = static_cast<JDIMENSION>(job.height);
  e->cinfo.input_components = 3;
  e->cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&e->cinfo);
  if (job.grayscale) jpeg_set_colorspace(&e->cinfo, JCS_GRAYSCALE);
  jpeg_set_quality(&e->cinfo, job.quality, TRUE);
  if (job.progressive) jpeg_simple_progression(&e->cinfo);
  jpeg_start_compress(&e->cinfo, TRUE);
  JSAMPARRAY row = (*e->cinfo.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&e->cinfo), JPOOL_IMAGE,
                                                 static_cast<JDIMENSION>(job.width) * 3, 1);
  while (e->cinfo.next_scanline < e->cinfo.image_height) {
    const uint8_t* in = job.bits + static_cast<ptrdiff_t>(e->cinfo.next_scanline) * job.stride;
    JSAMPLE* out = row[0];
    for (int x = 0; x < job.width; ++x, in += 3, out += 3) {
      out[0] = in[2];
      out[1] = in[1];
      out[2] = in[0];
    }
    jpeg_write_scanlines(&e->cinfo, row, 1);
  }
  jpeg_finish_compress(&e->cinfo);
  return true;
}

struct TEncoderDeleter {
  void operator()(TEncoder* e) const {
    jpeg_destroy_compress(&e->cinfo);
    std::free(e->buffer);
    delete e;
  }
};

}  // namespace

int CountJpegScans(const uint8_t* data, size_t size, int stop_after) {
  int scans = 0;
  size_t i = 2;  // past the start of image
  while (i + 4 <= size && scans <= stop_after) {
    if (data[i] != 0xFF) {
      ++i;  // garbage between segments, as the decoder skips it
      continue;
    }
    const uint8_t marker = data[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == JPEG_EOI) break;
    if (marker == 0x01 || (marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7)) {  // no length
      i += 2;
      continue;
    }
    i += 2 + ((size_t{data[i + 2]} << 8) | data[i + 3]);
    if (marker != 0xDA) continue;
    ++scans;
    // The entropy-coded data up to the next marker (a stuffed zero or a restart is none).
    while (i + 1 < size && !(data[i] == 0xFF && data[i + 1] != 0 &&
                             !(data[i + 1] >= JPEG_RST0 && data[i + 1] <= JPEG_RST0 + 7)))
      ++i;
  }
  return scans;
}

// ---- TJPEGImage ---------------------------------------------------------------------------

TK_CLASS_INFO(TJPEGImage, TGraphic)

TJPEGImage::TJPEGImage() = default;

TJPEGImage::~TJPEGImage() { FreeBitmap(); }

void TJPEGImage::FreeBitmap() { FreeAndNil(bitmap_); }

void TJPEGImage::Assign(TPersistent* source) {
  if (!source) {
    if (GetEmpty()) return;
    data_.clear();
    FreeBitmap();
    width_ = height_ = 0;
    Changed();
    return;
  }
  if (auto* jpeg = DynamicCast<TJPEGImage>(source)) {
    if (jpeg == this) return;
    data_ = jpeg->data_;
    FreeBitmap();
    if (jpeg->bitmap_) {
      bitmap_ = New<TBitmap>();
      bitmap_->Assign(jpeg->bitmap_);
    }
    width_ = jpeg->width_;
    height_ = jpeg->height_;
    quality_ = jpeg->quality_;
    progressive_encoding_ = jpeg->progressive_encoding_;
    progressive_display_ = jpeg->progressive_display_;
    grayscale_ = jpeg->grayscale_;
    scale_ = jpeg->scale_;
    performance_ = jpeg->performance_;
    Changed();
    return;
  }
  if (auto* bitmap = DynamicCast<TBitmap>(source)) {
    TBitmap* copy = New<TBitmap>();
    try {
      copy->Assign(bitmap);
      copy->SetTransparent(false);
      if (!copy->GetEmpty()) copy->SetPixelFormat(pf24bit);
    } catch (...) {
      Free(copy);
      throw;
    }
    data_.clear();
    FreeBitmap();
    if (copy->GetEmpty()) {
      Free(copy);
      width_ = height_ = 0;
    } else {
      bitmap_ = copy;
      width_ = copy->GetWidth();
      height_ = copy->GetHeight();
    }
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TJPEGImage::AssignTo(TPersistent* dest) {
  if (auto* bitmap = DynamicCast<TBitmap>(dest)) {
    DIBNeeded();
    bitmap->Assign(bitmap_);
    return;
  }
  inherited::AssignTo(dest);
}

void TJPEGImage::SetCompressionQuality(int quality) {
  quality = std::clamp(quality, 1, 100);
  if (quality == quality_) return;
  quality_ = quality;
  Changed();
}

void TJPEGImage::SetProgressiveEncoding(bool progressive) {
  if (progressive == progressive_encoding_) return;
  progressive_encoding_ = progressive;
  Changed();
}

void TJPEGImage::SetProgressiveDisplay(bool progressive) {
  if (progressive == progressive_display_) return;
  progressive_display_ = progressive;
  Changed();
}

// Decoding options only matter while there is data to decode again; pixels that came from a
// bitmap are kept.
void TJPEGImage::SetGrayscale(bool grayscale) {
  if (grayscale == grayscale_) return;
  grayscale_ = grayscale;
  if (!data_.empty()) FreeBitmap();
  Changed();
}

void TJPEGImage::SetScale(TJPEGScale scale) {
  if (scale < jsFullSize || scale > jsEighth || scale == scale_) return;
  scale_ = scale;
  if (!data_.empty()) {
    FreeBitmap();
    ReadHeader();
  }
  Changed();
}

void TJPEGImage::SetPerformance(TJPEGPerformance performance) {
  if (performance == performance_ || (performance != jpBestQuality && performance != jpBestSpeed)) return;
  performance_ = performance;
  if (!data_.empty()) FreeBitmap();
  Changed();
}

void TJPEGImage::ReadHeader() {
  TDecoderPtr d = NewDecoder();
  TDecodeOptions options{1 << scale_, grayscale_, performance_ == jpBestSpeed, false};
  if (!OpenDecoder(d.get(), data_.data(), data_.size()) || !CalcDimensions(d.get(), options))
    RaiseJpegError(*d);
  // Each scan is decoded over the whole picture: a scan repeated thousands of times would
  // hold the program for minutes.
  if (CountJpegScans(data_.data(), data_.size(), kMaxJpegScans) > kMaxJpegScans)
    throw EInvalidGraphic("JPEG image has more than " + std::to_string(kMaxJpegScans) + " scans");
  width_ = static_cast<int>(d->cinfo.output_width);
  height_ = static_cast<int>(d->cinfo.output_height);
  progressive_encoding_ = d->cinfo.progressive_mode != 0;
}

void TJPEGImage::Decode() {
  TDecoderPtr d = NewDecoder();
  TDecodeOptions options{1 << scale_, grayscale_, performance_ == jpBestSpeed, progressive_display_};
  if (!OpenDecoder(d.get(), data_.data(), data_.size()) || !StartDecoder(d.get(), options))
    RaiseJpegError(*d);
  const int width = static_cast<int>(d->cinfo.output_width),
            height = static_cast<int>(d->cinfo.output_height);
  if (width <= 0 || height <= 0) throw EInvalidGraphic("JPEG image has no pixels");
  TBitmap* bitmap = New<TBitmap>();
  try {
    bitmap->SetPixelFormat(pf24bit);
    bitmap->SetSize(width, height);
  } catch (...) {
    Free(bitmap);
    throw;
  }
  uint8_t* bits = bitmap->GetScanLine(0);
  const ptrdiff_t stride = bitmap->GetRowBytes();
  FreeBitmap();
  bitmap_ = bitmap;
  width_ = width;
  height_ = height;
  try {
    for (int pass = 1;; ++pass) {
      int status = ReadPass(d.get(), bits, stride);
      if (status < 0) RaiseJpegError(*d);
      if (d->buffered) {
        OnProgress(this, pass, status == 0);
        // The handler may have replaced the image (new data, another scale): stop decoding.
        if (bitmap_ != bitmap) return;
      }
      if (status == 0) break;
    }
    if (!FinishDecoder(d.get())) RaiseJpegError(*d);
  } catch (...) {
    if (bitmap_ == bitmap) FreeBitmap();
    throw;
  }
}

void TJPEGImage::DIBNeeded() {
  if (bitmap_ || data_.empty()) return;
  Decode();
}

void TJPEGImage::JPEGNeeded() {
  if (!data_.empty() || !bitmap_) return;
  Compress();
}

void TJPEGImage::Compress() {
  DIBNeeded();
  if (!bitmap_) return;
  std::unique_ptr<TEncoder, TEncoderDeleter> e(new TEncoder);
  std::memset(static_cast<void*>(e.get()), 0, sizeof *e);
  TEncodeJob job{bitmap_->GetScanLine(0),
                 bitmap_->GetRowBytes(),
                 bitmap_->GetWidth(),
                 bitmap_->GetHeight(),
                 quality_,
                 progressive_encoding_,
                 grayscale_};
  if (!RunEncoder(e.get(), job)) throw EInvalidGraphic(std::string("JPEG error: ") + e->trap.message);
  data_.assign(e->buffer, e->buffer + e->size);
}

const std::vector<uint8_t>& TJPEGImage::GetData() {
  JPEGNeeded();
  return data_;
}

void TJPEGImage::Draw(TCanvas& canvas, const RECT& rect) {
  DIBNeeded();
  if (bitmap_) bitmap_->Draw(canvas, rect);
}

void TJPEGImage::LoadFromStream(TStream& stream) {
  const int64_t start = stream.GetPosition();
  int64_t available = stream.GetSize() - start;
  if (available < 0) available = 0;
  if (available > (int64_t{256} << 20)) throw EInvalidGraphic("JPEG image is too large");
  std::vector<uint8_t> data(static_cast<size_t>(available));
  if (available) stream.ReadBuffer(data.data(), available);
  // The header is checked before anything is replaced, so a bad stream leaves the image as it was.
  std::vector<uint8_t> previous = std::move(data_);
  const int old_width = width_, old_height = height_;
  const bool old_progressive = progressive_encoding_;
  data_ = std::move(data);
  try {
    ReadHeader();
  } catch (...) {
    data_ = std::move(previous);
    width_ = old_width;
    height_ = old_height;
    progressive_encoding_ = old_progressive;
    stream.SetPosition(start);
    throw;
  }
  FreeBitmap();
  Changed();
}

void TJPEGImage::SaveToStream(TStream& stream) {
  JPEGNeeded();
  if (!data_.empty()) stream.WriteBuffer(data_.data(), static_cast<int64_t>(data_.size()));
}
