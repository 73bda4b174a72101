// The resource script is compiled into the program: each kind of resource loads back.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "resource_ids.h"
#include "tests/support/test_resource_ids.h"

namespace {

HINSTANCE Self() { return GetModuleHandleA(nullptr); }

std::wstring LoadWide(UINT id) {
  const wchar_t* text = nullptr;
  int length = LoadStringW(Self(), id, reinterpret_cast<LPWSTR>(&text), 0);
  return length > 0 ? std::wstring(text, static_cast<size_t>(length)) : std::wstring();
}

// Pixels of a bitmap as 0x00RRGGBB, rows from the top.
std::vector<unsigned> Pixels(HBITMAP bitmap, int width, int height) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  std::vector<unsigned> pixels(static_cast<size_t>(width * height));
  HDC dc = GetDC(nullptr);
  int rows = GetDIBits(dc, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, dc);
  EXPECT_EQ(rows, height);
  for (auto& p : pixels) p &= 0xFFFFFF;
  return pixels;
}

TEST(StringTable, CaptionLoadsWholeWithoutCopying) {
  EXPECT_EQ(LoadWide(IDS_MAIN_CAPTION), L"Kestrune / Software / Dravolin");
}

TEST(StringTable, Utf8SourceTextArrivesAsUtf16AndAsAnsi) {
  EXPECT_EQ(LoadWide(IDS_TEST_UMLAUTS), L"ProtokollFu\u00DFzeile \u00C4pfel");
  char ansi[64] = {};
  ASSERT_GT(LoadStringA(Self(), IDS_TEST_UMLAUTS, ansi, sizeof ansi), 0);
  EXPECT_STREQ(ansi, "ProtokollFu\xDFzeile \xC4pfel");  // code page 1252
}

TEST(StringTable, MissingIdentifierLoadsNothing) { EXPECT_EQ(LoadWide(IDS_MAIN_CAPTION + 999), L""); }

TEST(RawData, BlobLoadsByteForByte) {
  HRSRC info = FindResourceA(Self(), "TEST_BLOB", MAKEINTRESOURCEA(10));  // RT_RCDATA
  ASSERT_NE(info, nullptr);
  ASSERT_EQ(SizeofResource(Self(), info), 8u);
  auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(Self(), info)));
  const unsigned char expected[] = {'D', 'R', 'V', 0, 0x34, 0x12, 0x78, 0x56};
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
}

TEST(Bitmaps, LedPictureAndMaskLoadWithTheirPixels) {
  HBITMAP picture =
      static_cast<HBITMAP>(LoadImageA(Self(), "WX_GREEN_LED", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  HBITMAP mask =
      static_cast<HBITMAP>(LoadImageA(Self(), "WX_MASK_LED", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  ASSERT_NE(picture, nullptr);
  ASSERT_NE(mask, nullptr);
  DIBSECTION dib{};
  ASSERT_EQ(GetObjectA(picture, sizeof dib, &dib), static_cast<int>(sizeof dib));
  EXPECT_EQ(dib.dsBm.bmWidth, 17);
  EXPECT_EQ(dib.dsBm.bmHeight, 17);
  EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);

  auto pic = Pixels(picture, 17, 17);
  auto msk = Pixels(mask, 17, 17);
  EXPECT_EQ(pic[0], 0x000000u);           // black corner
  EXPECT_EQ(pic[2 * 17 + 6], 0x808080u);  // grey rim, row 3
  EXPECT_EQ(pic[8 * 17 + 8], 0x00FF00u);  // lime centre
  EXPECT_EQ(pic[5 * 17 + 6], 0xFFFFFFu);  // white highlight, row 6
  EXPECT_EQ(msk[8 * 17 + 8], 0x000000u);
  // The picture is black wherever the mask is white.
  for (size_t i = 0; i < pic.size(); ++i) {
    ASSERT_TRUE(msk[i] == 0 || msk[i] == 0xFFFFFFu) << i;
    if (msk[i] == 0xFFFFFFu) {
      EXPECT_EQ(pic[i], 0u) << "pixel " << i;
    }
  }
  DeleteObject(picture);
  DeleteObject(mask);
}

// The skin engine's stored pictures: three states side by side over their alpha masks.
TEST(Bitmaps, SkinBordersAndComboGlyphsLoadAsStatesOverMasks) {
  const char* names[] = {"BORD1", "BORD2", "BORD3", "BORD4", "BORD5", "BORD6", "SF", "SR", "SD", "SE", "SC"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(Self(), name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    ASSERT_NE(bitmap, nullptr);
    DIBSECTION dib{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof dib, &dib), static_cast<int>(sizeof dib));
    const int width = dib.dsBm.bmWidth, height = dib.dsBm.bmHeight;
    EXPECT_EQ(dib.dsBm.bmBitsPixel, 24);
    const bool border = name[0] == 'B';
    // Borders are cut into 3 x 3 cells per state; the glyphs are the combo button's 19 x 17.
    EXPECT_EQ(width % (border ? 9 : 3), 0);
    EXPECT_EQ(height % (border ? 6 : 2), 0);
    if (!border) {
      EXPECT_EQ(width, 57);
      EXPECT_EQ(height, 34);
    }
    auto px = Pixels(bitmap, width, height);
    // The mask half holds greys only, and its middle (the glyph's pictogram, the border's open
    // inside) is as the image needs: borders keep the target there, glyphs show their picture.
    const int half = height / 2;
    for (int y = half; y < height; ++y) {
      for (int x = 0; x < width; ++x) {
        unsigned p = px[static_cast<size_t>(y * width + x)];
        ASSERT_TRUE((p & 0xFF) == ((p >> 8) & 0xFF) && (p & 0xFF) == (p >> 16)) << x << "," << y;
      }
    }
    unsigned centre_mask = px[static_cast<size_t>((half + half / 2) * width + width / 6)];
    EXPECT_EQ(centre_mask, border ? 0xFFFFFFu : 0x000000u);
    // The rounded border's corner lies outside its shape: the key colour, cut from regions.
    if (std::strcmp(name, "BORD1") == 0) EXPECT_EQ(px[0], 0xFF00FFu);
    DeleteObject(bitmap);
  }
}

}  // namespace
