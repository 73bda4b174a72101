// The cross-built libjpeg (6b interface) links into our programs and behaves: it encodes
// baseline and progressive images, decodes them with and without buffered-image mode, and
// reports corrupt input through an error handler that returns control to the caller.
#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" {
#include <jpeglib.h>
}

namespace {

struct ErrorTrap {
  jpeg_error_mgr mgr;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
  int warnings;
};

extern "C" void TrapError(j_common_ptr cinfo) {
  auto* trap = reinterpret_cast<ErrorTrap*>(cinfo->err);
  (*cinfo->err->format_message)(cinfo, trap->message);
  std::longjmp(trap->jump, 1);
}

extern "C" void CountWarning(j_common_ptr cinfo, int level) {
  if (level < 0) ++reinterpret_cast<ErrorTrap*>(cinfo->err)->warnings;
}

void InstallTrap(ErrorTrap& trap) {
  jpeg_std_error(&trap.mgr);
  trap.mgr.error_exit = TrapError;
  trap.mgr.emit_message = CountWarning;
  trap.message[0] = '\0';
  trap.warnings = 0;
}

// A test card: horizontal red ramp, vertical green ramp, blue constant.
std::vector<JSAMPLE> TestCard(int width, int height) {
  std::vector<JSAMPLE> rgb(static_cast<size_t>(width * height * 3));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      JSAMPLE* p = &rgb[static_cast<size_t>((y * width + x) * 3)];
      p[0] = static_cast<JSAMPLE>(x * 255 / (width - 1));
      p[1] = static_cast<JSAMPLE>(y * 255 / (height - 1));
      p[2] = 96;
    }
  return rgb;
}

std::vector<unsigned char> Encode(const std::vector<JSAMPLE>& rgb, int width, int height, bool progressive) {
  jpeg_compress_struct cinfo;
  ErrorTrap trap;
  cinfo.err = &trap.mgr;
  InstallTrap(trap);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  if (setjmp(trap.jump)) {
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    ADD_FAILURE() << "encoding failed: " << trap.message;
    return {};
  }
  jpeg_create_compress(&cinfo);
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(width);
  cinfo.image_height = static_cast<JDIMENSION>(height);
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_RGB;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, 95, TRUE);
  if (progressive) jpeg_simple_progression(&cinfo);
  jpeg_start_compress(&cinfo, TRUE);
  while (cinfo.next_scanline < cinfo.image_height) {
    JSAMPROW row = const_cast<JSAMPLE*>(&rgb[cinfo.next_scanline * static_cast<size_t>(width) * 3]);
    jpeg_write_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_compress(&cinfo);
  std::vector<unsigned char> out(buffer, buffer + size);
  jpeg_destroy_compress(&cinfo);
  std::free(buffer);
  return out;
}

struct Decoded {
  bool ok = false;
  std::string error;
  int warnings = 0;
  int width = 0, height = 0;
  bool multiscan = false;
  int output_passes = 0;
  std::vector<JSAMPLE> rgb;
};

// Decodes to RGB; in buffered-image mode shows every scan as the reader arrives at it.
Decoded Decode(const std::vector<unsigned char>& data, bool buffered) {
  Decoded result;
  jpeg_decompress_struct cinfo;
  ErrorTrap trap;
  cinfo.err = &trap.mgr;
  InstallTrap(trap);
  if (setjmp(trap.jump)) {
    result.error = trap.message;
    jpeg_destroy_decompress(&cinfo);
    return result;
  }
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  result.multiscan = jpeg_has_multiple_scans(&cinfo);
  cinfo.out_color_space = JCS_RGB;
  cinfo.buffered_image = buffered && result.multiscan;
  jpeg_calc_output_dimensions(&cinfo);
  result.width = static_cast<int>(cinfo.output_width);
  result.height = static_cast<int>(cinfo.output_height);
  result.rgb.resize(static_cast<size_t>(result.width * result.height * 3));
  jpeg_start_decompress(&cinfo);
  auto read_rows = [&] {
    while (cinfo.output_scanline < cinfo.output_height) {
      JSAMPROW row = &result.rgb[cinfo.output_scanline * static_cast<size_t>(result.width) * 3];
      jpeg_read_scanlines(&cinfo, &row, 1);
    }
  };
  if (cinfo.buffered_image) {
    while (!jpeg_input_complete(&cinfo)) {
      int status;
      do status = jpeg_consume_input(&cinfo);
      while (status != JPEG_SUSPENDED && status != JPEG_REACHED_EOI && status != JPEG_SCAN_COMPLETED);
      jpeg_start_output(&cinfo, cinfo.input_scan_number);
      read_rows();
      jpeg_finish_output(&cinfo);
      ++result.output_passes;
    }
  } else {
    read_rows();
    result.output_passes = 1;
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  result.ok = true;
  result.warnings = trap.warnings;
  return result;
}

// Largest per-channel difference between two RGB images of the same size.
int MaxDifference(const std::vector<JSAMPLE>& a, const std::vector<JSAMPLE>& b) {
  int worst = 0;
  for (size_t i = 0; i < a.size() && i < b.size(); ++i) worst = std::max(worst, std::abs(a[i] - b[i]));
  return worst;
}

constexpr int kWidth = 64, kHeight = 48;

TEST(JpegLibrary, IsTheSixBInterface) { EXPECT_EQ(JPEG_LIB_VERSION, 62); }

TEST(JpegLibrary, BaselineRoundTripKeepsTheImage) {
  auto card = TestCard(kWidth, kHeight);
  auto jpeg = Encode(card, kWidth, kHeight, false);
  ASSERT_GT(jpeg.size(), 100u);
  auto image = Decode(jpeg, false);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_FALSE(image.multiscan);
  EXPECT_EQ(image.width, kWidth);
  EXPECT_EQ(image.height, kHeight);
  EXPECT_EQ(image.warnings, 0);
  EXPECT_LE(MaxDifference(card, image.rgb), 16);
}

TEST(JpegLibrary, ProgressiveImageDecodesScanByScanInBufferedMode) {
  auto card = TestCard(kWidth, kHeight);
  auto jpeg = Encode(card, kWidth, kHeight, true);
  auto plain = Decode(jpeg, false);
  auto buffered = Decode(jpeg, true);
  ASSERT_TRUE(plain.ok) << plain.error;
  ASSERT_TRUE(buffered.ok) << buffered.error;
  EXPECT_TRUE(buffered.multiscan);
  EXPECT_GT(buffered.output_passes, 1);  // one pass per scan of the progression
  // The last pass shows the complete image, the same as the one-go decode.
  EXPECT_EQ(MaxDifference(plain.rgb, buffered.rgb), 0);
  EXPECT_LE(MaxDifference(card, buffered.rgb), 16);
}

TEST(JpegLibrary, ImageCutInItsDataDecodesWithAWarning) {
  auto card = TestCard(kWidth, kHeight);
  auto jpeg = Encode(card, kWidth, kHeight, false);
  jpeg.resize(jpeg.size() * 2 / 3);
  auto image = Decode(jpeg, false);
  ASSERT_TRUE(image.ok) << image.error;
  EXPECT_GT(image.warnings, 0);
}

TEST(JpegLibrary, ImageCutInItsHeaderIsAnErrorThatReturns) {
  auto jpeg = Encode(TestCard(kWidth, kHeight), kWidth, kHeight, false);
  jpeg.resize(20);
  auto image = Decode(jpeg, false);
  EXPECT_FALSE(image.ok);
  EXPECT_FALSE(image.error.empty());
}

TEST(JpegLibrary, NonJpegDataIsAnErrorThatReturns) {
  std::vector<unsigned char> bmp = {'B', 'M', 0x36, 0, 0, 0, 0, 0, 0, 0, 0x36, 0, 0, 0};
  auto image = Decode(bmp, false);
  EXPECT_FALSE(image.ok);
  EXPECT_NE(image.error.find("Not a JPEG file"), std::string::npos) << image.error;
}

}  // namespace
