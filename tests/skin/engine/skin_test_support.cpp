#include "skin_test_support.h"

#include "stored_skin_text.h"

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/jpeg.h"
#include "toolkit/streams.h"
#include "toolkit/sysutils.h"

std::vector<std::string>& SkinTest::Messages() {
  static std::vector<std::string> messages;
  return messages;
}

namespace {

void ResetSkinState() {
  FreeAllSkinTables();
  SkinData().SkinPath.clear();
  SkinData().DefaultManager = nullptr;
  SkinChanging = false;
  CommonSkinIndexes = TsCommonSkinIndexes{};
}

}  // namespace

void SkinTest::SetUp() {
  ResetSkinState();
  Messages().clear();
  SkinMessageProc = [](const std::string& text, TsMessageKind) { Messages().push_back(text); };
}

void SkinTest::TearDown() { ResetSkinState(); }

void SkinFolderTest::SetUp() {
  SkinTest::SetUp();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  folder_ = IncludeTrailingPathDelimiter(temp) + "dravolin_skin_" + std::to_string(GetCurrentProcessId()) +
            "_" + info->name() + "\\";
  RemoveFolder(folder_);
  ASSERT_TRUE(ForceDirectories(folder_));
}

void SkinFolderTest::TearDown() {
  SkinTest::TearDown();
  RemoveFolder(folder_);
}

void SkinFolderTest::Write(const std::string& name, const std::string& bytes) const {
  WriteFileBytes(folder_ + name, bytes);
}

void WriteFileBytes(const std::string& file, const std::string& bytes) {
  HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << file;
  DWORD n = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

void RemoveFolder(const std::string& folder) {
  for (const auto& entry : ListDirectory(folder + "*", faAnyFile)) {
    if (entry.Name == "." || entry.Name == "..") continue;
    const std::string name = folder + entry.Name;
    if (entry.Attr & faDirectory)
      RemoveFolder(name + "\\");
    else
      DeleteFileA(name.c_str());
  }
  RemoveDirectoryA(folder.c_str());
}

namespace {

void Put16(std::string& s, size_t at, uint16_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>(v >> 8);
}
void Put32(std::string& s, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

uint32_t flat_colour = 0;

}  // namespace

std::string MakeBmp(int width, int height, uint32_t (*colour)(int x, int y)) {
  const int row = (width * 3 + 3) & ~3;
  std::string bmp(54 + static_cast<size_t>(row) * height, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  Put32(bmp, 2, static_cast<uint32_t>(bmp.size()));
  Put32(bmp, 10, 54);
  Put32(bmp, 14, 40);
  Put32(bmp, 18, static_cast<uint32_t>(width));
  Put32(bmp, 22, static_cast<uint32_t>(height));
  Put16(bmp, 26, 1);
  Put16(bmp, 28, 24);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      const size_t at = 54 + static_cast<size_t>(height - 1 - y) * row + x * 3;
      bmp[at] = static_cast<char>((c >> 16) & 0xFF);
      bmp[at + 1] = static_cast<char>((c >> 8) & 0xFF);
      bmp[at + 2] = static_cast<char>(c & 0xFF);
    }
  return bmp;
}

std::string MakeBmp(int width, int height, uint32_t colour) {
  flat_colour = colour;
  return MakeBmp(width, height, [](int, int) { return flat_colour; });
}

std::string MakeJpeg(int width, int height) {
  TBitmap bmp;
  bmp.SetPixelFormat(pf24bit);
  bmp.SetSize(width, height);
  for (int y = 0; y < height; ++y)
    std::fill_n(bmp.GetScanLine(y), width * 3, static_cast<uint8_t>(0x80 + y % 16));
  TJPEGImage jpeg;
  jpeg.Assign(&bmp);
  TMemoryStream stream;
  jpeg.SaveToStream(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

// ---- The test skin as form-definition text -------------------------------------------------

TColor MasterPixel(int x, int y) {
  return static_cast<TColor>(((x ^ y) & 0xFF) << 16 | (y & 0xFF) << 8 | (x & 0xFF));
}

std::string MalformedMasterData() {
  constexpr int kWidth = 192, kHeight = 256, kRow = kWidth * 3;
  std::string bmp(14 + 40 + 1024 + static_cast<size_t>(kRow) * kHeight, '\0');
  bmp[0] = 'B';
  bmp[1] = 'M';
  Put32(bmp, 2, 149558);
  Put32(bmp, 10, 2102);
  Put32(bmp, 14, 40);
  Put32(bmp, 18, kWidth);
  Put32(bmp, 22, kHeight);
  Put16(bmp, 26, 1);
  Put16(bmp, 28, 24);
  Put32(bmp, 34, 147456);
  Put32(bmp, 46, 256);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const uint32_t c = static_cast<uint32_t>(MasterPixel(x, y));
      const size_t at = 1078 + static_cast<size_t>(kHeight - 1 - y) * kRow + x * 3;
      bmp[at] = static_cast<char>((c >> 16) & 0xFF);
      bmp[at + 1] = static_cast<char>((c >> 8) & 0xFF);
      bmp[at + 2] = static_cast<char>(c & 0xFF);
    }
  std::string data(4, '\0');
  Put32(data, 0, 149558);
  return data + bmp;
}

std::string HexBlock(const std::string& bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "{\n";
  for (size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<uint8_t>(bytes[i]);
    text += kDigits[b >> 4];
    text += kDigits[b & 15];
    if (i % 64 == 63) text += '\n';
  }
  return text + "\n}";
}

std::string TestSkinFormText() {
  // The own image's Data: a byte count and a BMP file.
  const std::string own = MakeBmp(15, 8, 0x00FF00);
  std::string own_data(4, '\0');
  Put32(own_data, 0, static_cast<uint32_t>(own.size()));
  own_data += own;
  return R"(object Skins: TsSkinManager
  InternalSkins = <
    item
      Name = 'Test (internal)'
      GeneralData = <
        item
          SectionName = 'Form'
          PaintingColor = 15790320
          PaintingBevel = cbRaisedSoft
          FontColor = '0 255 -1 -1 -1'
          GradientData = '0;16777215;100;0;0'
        end
        item
          SectionName = 'DIALOG'
          ParentClassName = 'FORM'
          ReservedBoolean = True
        end
        item
          SectionName = 'BROKEN'
          FontColor = '0 x -1 -1 -1'
        end
        item
          PaintingColor = 0
          PaintingBevelWidth = 0
          FontColor = '0 0 0 0 0'
          HotFontColor = '0 0 0 0 0'
          ShadowBlur = 0
          ShadowOffset = 0
          ShadowTransparency = 0
          GradientData = ''
          FadingIntervalIn = 0
          FadingIntervalOut = 0
          FadingIterations = 0
          HotPaintingColor = 0
          HotPaintingBevelWidth = 0
          SelectionBorderBevel = ebNone
          SelectionBorderWidth = 0
          SelectionColor = 0
        end>
      Images = <
        item
          SectionName = 'Form'
          PropertyName = 'BordersMask'
          Left = 0
          Top = 42
          Right = 24
          Bottom = 90
          ImageCount = 1
          MaskType = 1
        end
        item
          SectionName = 'FORM'
          PropertyName = 'OUTSIDE'
          Right = 500
          Bottom = 10
          ImageCount = 1
        end
        item
          SectionName = 'GLOBALINFO'
          PropertyName = 'BOXCHECKED'
          Left = 1
          Top = 2
          Right = 16
          Bottom = 10
          MaskType = 1
          Image.Data = )" +
         HexBlock(own_data) + R"(
        end>
      Patterns = <>
      MasterBitmap.Data = )" +
         HexBlock(MalformedMasterData()) + R"(
    end>
  CommonSections = (
    '[EXTRA]'
    'ParentClassName = FORM'
    '; keep  blanks'
    'ShadowTransparency=250')
  SkinName = 'Test (internal)'
end
)";
}

std::string ReadText(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void SaveWindowPicture(HWND window, const char* file_variable) {
  const char* file = std::getenv(file_variable);
  if (!file) return;
  RECT frame{};
  GetWindowRect(window, &frame);
  TBitmap* picture = New<TBitmap>();
  picture->SetPixelFormat(pf24bit);
  picture->SetSize(frame.right - frame.left, frame.bottom - frame.top);
  HDC screen = GetDC(nullptr);
  BitBlt(picture->GetCanvas()->GetHandle(), 0, 0, frame.right - frame.left, frame.bottom - frame.top, screen,
         frame.left, frame.top, SRCCOPY);
  ReleaseDC(nullptr, screen);
  {
    TFileStream out(file, fmCreate);
    picture->SaveToStream(out);
  }
  Free(picture);
}

HICON SolidIcon(int size, COLORREF colour) {
  HDC screen = GetDC(nullptr);
  HBITMAP image = CreateCompatibleBitmap(screen, size, size);
  HDC dc = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(dc, image);
  HBRUSH brush = CreateSolidBrush(colour);
  RECT all{0, 0, size, size};
  FillRect(dc, &all, brush);
  DeleteObject(brush);
  SelectObject(dc, old);
  DeleteDC(dc);
  ReleaseDC(nullptr, screen);
  std::vector<BYTE> bits(static_cast<size_t>((size + 15) / 16 * 2 * size), 0);  // all opaque
  HBITMAP mask = CreateBitmap(size, size, 1, 1, bits.data());
  ICONINFO info{TRUE, 0, 0, mask, image};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mask);
  DeleteObject(image);
  return icon;
}

bool ReadInternalSkin(TComponent* manager, const std::string& skin_dir) {
  const std::string fragment = ReadText(skin_dir + "/internal_skin.fragment");
  if (fragment.empty()) {
    ADD_FAILURE() << "the build has not written the skin";
    return false;
  }
  ReadComponentFromText(
      manager, "object Skins: TsSkinManager\n" + fragment + "SkinName = 'GrayPlastic (internal)'\nend\n",
      "internal skin");
  if (!SkinData().SkinLoaded) ADD_FAILURE() << "the internal skin did not load";
  return SkinData().SkinLoaded;
}
