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

}  // namespace
