// The clipboard: text, bitmaps and metafiles through the system's clipboard, and the 32-bit
// bitmap's round trip through it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "bitmap32/bitmap32.h"
#include "tests/toolkit/graphics_test_helpers.h"
#include "toolkit/bitmap.h"
#include "toolkit/clipbrd.h"
#include "toolkit/metafile.h"
#include "toolkit/picture.h"

using namespace graphics_test;

namespace {

// The clipboard belongs to the window station: each test process takes one of its own, so
// no test beside it (nor the desktop's link to the X selection) sees or changes its content.
class ClipboardTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    const std::string name = "dravolin-clipboard-" + std::to_string(GetCurrentProcessId());
    HWINSTA station = CreateWindowStationA(name.c_str(), 0, WINSTA_ALL_ACCESS, nullptr);
    ASSERT_NE(station, nullptr);
    ASSERT_TRUE(SetProcessWindowStation(station));
    HDESK desktop = CreateDesktopA("clipboard", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
    ASSERT_NE(desktop, nullptr);
    ASSERT_TRUE(SetThreadDesktop(desktop));
  }

  // Puts data on the clipboard as another program would, alone.
  static void PutRaw(UINT format, HANDLE data) {
    static HWND other =
        CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_TRUE(OpenClipboard(other));
    EmptyClipboard();
    EXPECT_NE(SetClipboardData(format, data), nullptr);
    CloseClipboard();
  }
  static HGLOBAL Global(const std::vector<uint8_t>& bytes) {
    HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    std::memcpy(GlobalLock(data), bytes.data(), bytes.size());
    GlobalUnlock(data);
    return data;
  }
  // The packed DIB on the clipboard.
  static std::vector<uint8_t> RawDib() {
    std::vector<uint8_t> bytes;
    if (!OpenClipboard(nullptr)) return bytes;
    if (HANDLE data = GetClipboardData(CF_DIB)) {
      const auto* memory = static_cast<const uint8_t*>(GlobalLock(data));
      bytes.assign(memory, memory + GlobalSize(data));
      GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes;
  }
};

uint32_t WordAt(const std::vector<uint8_t>& bytes, size_t at) {
  uint32_t word;
  std::memcpy(&word, &bytes[at], 4);
  return word;
}

TEST_F(ClipboardTest, TextAndNestedOpeningThatGathersFormats) {
  TClipboard* clipboard = Clipboard();
  EXPECT_EQ(clipboard, Clipboard());
  clipboard->SetAsText("Startliste 1");
  EXPECT_TRUE(clipboard->HasFormat(CF_TEXT));
  EXPECT_EQ(clipboard->GetAsText(), "Startliste 1");

  // Inside one outermost Open .. Close every format is added to the others.
  auto bitmap = Make<TBitmap>();
  bitmap->SetSize(2, 1);
  clipboard->Open();
  clipboard->Open();
  clipboard->SetAsText("with a picture");
  clipboard->Assign(bitmap.get());
  clipboard->Close();
  EXPECT_NE(GetOpenClipboardWindow(), nullptr) << "the inner Close keeps it open";
  clipboard->Close();
  EXPECT_EQ(GetOpenClipboardWindow(), nullptr);
  EXPECT_TRUE(clipboard->HasFormat(CF_DIB));
  EXPECT_EQ(clipboard->GetAsText(), "with a picture");

  // Outside, each put replaces the content; an unpaired Close does nothing.
  clipboard->SetAsText("alone");
  EXPECT_FALSE(clipboard->HasFormat(CF_DIB));
  clipboard->Close();
  EXPECT_EQ(clipboard->GetAsText(), "alone");
  clipboard->Clear();
  EXPECT_FALSE(clipboard->HasFormat(CF_TEXT));
  EXPECT_EQ(clipboard->GetAsText(), "");
}

TEST_F(ClipboardTest, Bitmap32GoesAsAThirtyTwoBitDibAndComesBackOpaqueFromEitherFormat) {
  auto source = Make<TBitmap32>();
  source->SetSize(3, 2);
  const TColor32 pixels[6] = {0x80112233, 0x00FFFFFF, 0xFF0000FF, 0x40FF8000, 0xFF000000, 0x01020304};
  for (int i = 0; i < 6; ++i) source->SetPixel(i % 3, i / 3, pixels[i]);
  Clipboard()->Assign(source.get());

  // A 32-bit DIB without colour table or palette, rows bottom-up with their fourth byte.
  const std::vector<uint8_t> dib = RawDib();
  ASSERT_EQ(dib.size(), 40u + 3 * 2 * 4);
  BITMAPINFOHEADER header;
  std::memcpy(&header, dib.data(), 40);
  EXPECT_EQ(header.biBitCount, 32);
  EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
  EXPECT_EQ(header.biClrUsed, 0u);
  EXPECT_EQ(header.biHeight, 2);
  TColor32 stored;
  std::memcpy(&stored, dib.data() + 40 + 12, 4);  // the second stored row is the top one
  EXPECT_EQ(stored, 0x80112233u);
  EXPECT_FALSE(Clipboard()->HasFormat(CF_PALETTE));
  EXPECT_TRUE(Clipboard()->HasFormat(CF_BITMAP)) << "made by the system from the DIB";

  auto back = Make<TBitmap32>();
  back->Assign(Clipboard());
  ASSERT_EQ(back->GetWidth(), 3);
  ASSERT_EQ(back->GetHeight(), 2);
  for (int i = 0; i < 6; ++i) EXPECT_EQ(back->GetPixel(i % 3, i / 3), pixels[i] | 0xFF000000) << i;

  // A device bitmap put alone, as older programs do.
  HDC screen = GetDC(nullptr);
  HBITMAP device = CreateCompatibleBitmap(screen, 4, 3);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, device);
  HBRUSH fill = CreateSolidBrush(RGB(0x11, 0x22, 0x33));
  const RECT all{0, 0, 4, 3};
  FillRect(dc, &all, fill);
  SetPixel(dc, 3, 2, RGB(255, 0, 0));
  SelectObject(dc, old);
  DeleteObject(fill);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  PutRaw(CF_BITMAP, device);
  back->Assign(Clipboard());
  ASSERT_EQ(back->GetWidth(), 4);
  EXPECT_EQ(back->GetPixel(0, 0), 0xFF112233u);
  EXPECT_EQ(back->GetPixel(3, 2), 0xFFFF0000u);
}

TEST_F(ClipboardTest, BitmapsKeepTheirColourTableAndBrokenOnesAreRefused) {
  auto eight = Make<TBitmap>();
  eight->SetPixelFormat(pf8bit);
  eight->SetSize(5, 3);
  eight->GetCanvas()->GetBrush()->SetColor(clNavy);
  eight->GetCanvas()->FillRect(RECT{0, 0, 5, 3});
  eight->GetCanvas()->SetPixels(4, 2, clYellow);
  Clipboard()->Assign(eight.get());
  auto back = Make<TBitmap>();
  back->Assign(Clipboard());
  EXPECT_EQ(back->GetPixelFormat(), pf8bit);
  EXPECT_EQ(back->GetPixelColor(0, 0), eight->GetPixelColor(0, 0));
  EXPECT_EQ(back->GetPixelColor(4, 2), eight->GetPixelColor(4, 2));
  EXPECT_NE(back->GetPixelColor(0, 0), back->GetPixelColor(4, 2));

  // A DIB whose header promises more rows than the block holds, and a clipboard with only
  // text: refused, and the bitmap stays as it was.
  std::vector<uint8_t> broken(40 + 16, 0);
  const BITMAPINFOHEADER promise{40, 100, 100, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  std::memcpy(broken.data(), &promise, 40);
  PutRaw(CF_DIB, Global(broken));
  auto kept = Make<TBitmap32>();
  kept->SetSize(2, 2);
  kept->Clear(0xFF123456);
  EXPECT_THROW(kept->Assign(Clipboard()), EInvalidGraphic);
  Clipboard()->SetAsText("no picture");
  EXPECT_THROW(kept->Assign(Clipboard()), EInvalidGraphic);
  EXPECT_EQ(kept->GetWidth(), 2);
  EXPECT_EQ(kept->GetPixel(1, 1), 0xFF123456u);
}

TEST_F(ClipboardTest, MetafilesGoAsMetafilesAndComeBackChecked) {
  auto picture = Make<TPicture>();
  auto metafile = Make<TMetafile>();
  metafile->SetHandle(RedBlockMetafile());
  picture->SetGraphic(metafile.get());
  Clipboard()->Assign(picture.get());
  EXPECT_TRUE(Clipboard()->HasFormat(CF_ENHMETAFILE));

  auto back = Make<TPicture>();
  back->Assign(Clipboard());
  auto* read = DynamicCast<TMetafile>(back->GetGraphic());
  ASSERT_NE(read, nullptr);
  EXPECT_EQ(read->GetWidth(), 40);
  // Into a bitmap: drawn on white when there is no bitmap beside it.
  auto bitmap = Make<TBitmap>();
  bitmap->Assign(Clipboard());
  ASSERT_EQ(bitmap->GetWidth(), 40);
  EXPECT_EQ(bitmap->GetPixelColor(20, 15), clRed);
  EXPECT_EQ(bitmap->GetPixelColor(2, 2), clWhite);

  // Another program's metafile that selects an object beyond its table is not played.
  HDC screen = GetDC(nullptr);
  HDC dc = CreateEnhMetaFileA(screen, nullptr, nullptr, nullptr);
  ReleaseDC(nullptr, screen);
  SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 0, 0, 10, 10);
  HENHMETAFILE sound = CloseEnhMetaFile(dc);
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(sound, 0, nullptr));
  GetEnhMetaFileBits(sound, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(sound);
  bool patched = false;
  for (size_t at = WordAt(bytes, 4); at + 12 <= bytes.size(); at += WordAt(bytes, at + 4)) {
    if (WordAt(bytes, at) == EMR_SELECTOBJECT) {
      const uint32_t beyond = 5000;
      std::memcpy(&bytes[at + 8], &beyond, 4);
      patched = true;
      break;
    }
    if (!WordAt(bytes, at + 4)) break;
  }
  ASSERT_TRUE(patched);
  PutRaw(CF_ENHMETAFILE, SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
  EXPECT_THROW(back->Assign(Clipboard()), EInvalidGraphic);
  EXPECT_NE(DynamicCast<TMetafile>(back->GetGraphic()), nullptr);
}

}  // namespace
