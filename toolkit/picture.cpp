#include "toolkit/picture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "toolkit/bitmap.h"
#include "toolkit/bytes.h"
#include "toolkit/canvas.h"
#include "toolkit/jpeg.h"
#include "toolkit/metafile.h"
#include "toolkit/typinfo.h"

namespace {

// The rest of a stream, from its position.
std::vector<uint8_t> ReadRest(TStream& stream, int64_t limit) {
  int64_t available = stream.GetSize() - stream.GetPosition();
  if (available < 0) available = 0;
  if (available > limit) throw EInvalidGraphic("Image data is too large");
  std::vector<uint8_t> data(static_cast<size_t>(available));
  if (available) stream.ReadBuffer(data.data(), available);
  return data;
}

TGraphic* NewGraphic(TClass cls) {
  if (!cls || !cls->create)
    throw EInvalidGraphic(std::string("Cannot create a graphic of class ") + (cls ? cls->name : "nil"));
  TObject* object = cls->create(nullptr);
  auto* graphic = DynamicCast<TGraphic>(object);
  if (!graphic) {
    Free(object);
    throw EInvalidGraphic(std::string(cls->name) + " is not a graphic class");
  }
  return graphic;
}

struct TFileFormat {
  std::string extension;  // lower case, with the dot
  std::string description;
  TClass graphic_class;
};

std::vector<TFileFormat>& FileFormats() {
  static std::vector<TFileFormat> formats{
      {".bmp", "Bitmaps", TBitmap::StaticClass()},
      {".ico", "Icons", TIcon::StaticClass()},
      {".jpg", "JPEG images", TJPEGImage::StaticClass()},
      {".jpeg", "JPEG images", TJPEGImage::StaticClass()},
      {".emf", "Enhanced metafiles", TMetafile::StaticClass()},
      {".wmf", "Metafiles", TMetafile::StaticClass()},
  };
  return formats;
}

std::string NormalExtension(const std::string& extension) {
  std::string ext = LowerCase(extension);
  if (!ext.empty() && ext[0] != '.') ext.insert(ext.begin(), '.');
  return ext;
}

int64_t RowBytes(int64_t width, int bits) { return (width * bits + 31) / 32 * 4; }

// Whether an .ico entry's image data (a DIB with its mask, or a PNG) fits the bytes it has,
// so that the system is never handed a header promising more than there is.
bool IconImageFits(const uint8_t* image, size_t size) {
  static constexpr uint8_t kPng[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (size >= 8 && std::memcmp(image, kPng, 8) == 0) return true;
  if (size < 40) return false;
  uint32_t header = U32(image);
  int64_t width = static_cast<int32_t>(U32(image + 4));
  int64_t height = static_cast<int32_t>(U32(image + 8)) / 2;
  int bits = U16(image + 14);
  uint32_t colors = U32(image + 32);
  if (header < 40 || header > size || width <= 0 || height <= 0 || width > 1024 || height > 1024)
    return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  if (colors > 256) return false;
  int64_t table = bits <= 8 ? int64_t{colors ? colors : 1u << bits} * 4 : 0;
  int64_t needed = header + table + RowBytes(width, bits) * height + RowBytes(width, 1) * height;
  return needed <= static_cast<int64_t>(size);
}

}  // namespace

// ---- TGraphic -----------------------------------------------------------------------------

TK_ABSTRACT_CLASS_INFO(TGraphic, TPersistent)

void TGraphic::Publish(TPublisher<TGraphic>& p) { p.Binary("Data", &TGraphic::GetData, &TGraphic::SetData); }

void TGraphic::SetWidth(int) {}

void TGraphic::SetHeight(int) {}

void TGraphic::SetTransparent(bool transparent) {
  if (transparent == transparent_) return;
  transparent_ = transparent;
  Changed();
}

void TGraphic::Changed() {
  modified_ = true;
  OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& file_name) {
  TFileStream stream(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& file_name) {
  TFileStream stream(file_name, fmCreate);
  SaveToStream(stream);
}

void TGraphic::AssignTo(TPersistent* dest) {
  auto* bitmap = DynamicCast<TBitmap>(dest);
  if (!bitmap) {
    inherited::AssignTo(dest);
    return;
  }
  if (GetEmpty()) {
    bitmap->Assign(nullptr);
    return;
  }
  bitmap->SetSize(GetWidth(), GetHeight());
  TCanvas* canvas = bitmap->GetCanvas();
  canvas->GetBrush()->SetColor(clWhite);
  canvas->GetBrush()->SetStyle(bsSolid);
  canvas->FillRect(RECT{0, 0, GetWidth(), GetHeight()});
  canvas->Draw(0, 0, this);
}

void TGraphic::ReadData(TStream& stream) {
  int64_t available = stream.GetSize() - stream.GetPosition();
  if (available <= 0) return;
  uint32_t count = 0;
  if (available < 4) throw EInvalidGraphic("Stored image data is cut short");
  stream.ReadBuffer(&count, 4);
  available -= 4;
  // A count beyond the data is taken as "the rest" (older stored bitmaps overstate it).
  int64_t take = std::min<int64_t>(count, available);
  TMemoryStream image;
  image.SetSize(take);
  if (take) stream.ReadBuffer(image.Memory(), take);
  image.SetPosition(0);
  if (take) LoadFromStream(image);
}

void TGraphic::WriteData(TStream& stream) {
  TMemoryStream image;
  SaveToStream(image);
  uint32_t count = static_cast<uint32_t>(image.GetSize());
  stream.WriteBuffer(&count, 4);
  if (count) stream.WriteBuffer(image.Memory(), count);
}

std::string TGraphic::GetData() {
  TMemoryStream stream;
  WriteData(stream);
  return std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.GetSize()));
}

void TGraphic::SetData(const std::string& bytes) {
  TMemoryStream stream;
  stream.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  stream.SetPosition(0);
  ReadData(stream);
}

// ---- TIcon --------------------------------------------------------------------------------

TK_CLASS_INFO(TIcon, TGraphic)

TIcon::TIcon() {
  TGraphic::SetTransparent(true);
  SetModified(false);
}

TIcon::~TIcon() {
  if (icon_) DestroyIcon(icon_);
}

void TIcon::TakeIcon(HICON icon) {
  if (icon_ && icon_ != icon) DestroyIcon(icon_);
  icon_ = icon;
  width_ = height_ = 0;
  if (!icon) return;
  ICONINFO info{};
  if (!GetIconInfo(icon, &info)) return;
  BITMAP bm{};
  if (info.hbmMask && GetObjectA(info.hbmMask, sizeof bm, &bm)) {
    width_ = bm.bmWidth;
    // A monochrome icon's mask holds the AND and the XOR image one above the other.
    height_ = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
  }
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
}

void TIcon::Assign(TPersistent* source) {
  if (!source) {
    if (!icon_) return;
    TakeIcon(nullptr);
    Changed();
    return;
  }
  if (auto* icon = DynamicCast<TIcon>(source)) {
    if (icon == this) return;
    HICON copy = nullptr;
    if (icon->icon_ && !(copy = CopyIcon(icon->icon_))) throw EOutOfResources("Cannot copy the icon");
    TakeIcon(copy);
    Changed();
    return;
  }
  inherited::Assign(source);
}

void TIcon::SetHandle(HICON icon) {
  if (icon == icon_) return;
  TakeIcon(icon);
  Changed();
}

HICON TIcon::ReleaseHandle() {
  HICON icon = icon_;
  icon_ = nullptr;
  width_ = height_ = 0;
  if (icon) Changed();
  return icon;
}

void TIcon::LoadFromResourceName(HINSTANCE instance, const std::string& name) {
  auto icon = static_cast<HICON>(LoadImageA(instance, name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound("Resource " + name + " not found");
  SetHandle(icon);
}

void TIcon::LoadFromResourceID(HINSTANCE instance, int id) {
  auto icon =
      static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
  if (!icon) throw EResNotFound(Format("Resource %d not found", id));
  SetHandle(icon);
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect) {
  if (!icon_) return;
  DrawIconEx(canvas.GetHandle(), rect.left, rect.top, icon_, rect.right - rect.left, rect.bottom - rect.top,
             0, nullptr, DI_NORMAL);
}

void TIcon::LoadFromStream(TStream& stream) {
  const int64_t start = stream.GetPosition();
  std::vector<uint8_t> data = ReadRest(stream, int64_t{64} << 20);
  auto fail = [&](const char* what) {
    stream.SetPosition(start);
    throw EInvalidGraphic(std::string("Icon image is not valid: ") + what);
  };
  if (data.size() < 6 || U16(data.data()) != 0 || U16(data.data() + 2) != 1) fail("no icon header");
  const size_t count = U16(data.data() + 4);
  if (count == 0 || 6 + 16 * count > data.size()) fail("the directory is cut short");
  const int wanted = GetSystemMetrics(SM_CXICON);
  size_t best = count, end = 6 + 16 * count;
  int best_distance = 0, best_bits = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint8_t* entry = data.data() + 6 + 16 * i;
    int width = entry[0] ? entry[0] : 256;
    int bits = U16(entry + 6);
    uint32_t bytes = U32(entry + 8), offset = U32(entry + 12);
    if (offset > data.size() || bytes > data.size() - offset) fail("an image lies outside the file");
    end = std::max<size_t>(end, offset + bytes);
    if (!IconImageFits(data.data() + offset, bytes)) continue;
    int distance = std::abs(width - wanted);
    if (best == count || distance < best_distance || (distance == best_distance && bits > best_bits)) {
      best = i;
      best_distance = distance;
      best_bits = bits;
    }
  }
  if (best == count) fail("no usable image");
  const uint8_t* entry = data.data() + 6 + 16 * best;
  int width = entry[0] ? entry[0] : 256, height = entry[1] ? entry[1] : 256;
  HICON icon = CreateIconFromResourceEx(data.data() + U32(entry + 12), U32(entry + 8), TRUE, 0x00030000,
                                        width, height, LR_DEFAULTCOLOR);
  if (!icon) fail("the system cannot read the image");
  stream.SetPosition(start + static_cast<int64_t>(end));
  SetHandle(icon);
}

void TIcon::SaveToStream(TStream& stream) {
  if (!icon_) return;
  ICONINFO info{};
  if (!GetIconInfo(icon_, &info)) throw EInvalidGraphicOperation("Cannot read the icon");
  const int width = width_, height = height_;
  const int64_t color_bytes = int64_t{width} * 4 * height;
  const int64_t mask_row = RowBytes(width, 1);
  std::vector<uint8_t> color(static_cast<size_t>(color_bytes));
  std::vector<uint8_t> mask(static_cast<size_t>(mask_row * height * 2));
  struct {
    BITMAPINFOHEADER header;
    RGBQUAD colors[2];
  } bi{};
  bi.header.biSize = sizeof(BITMAPINFOHEADER);
  bi.header.biWidth = width;
  bi.header.biPlanes = 1;
  bi.header.biCompression = BI_RGB;
  HDC dc = GetDC(nullptr);
  bool ok;
  if (info.hbmColor) {
    bi.header.biHeight = height;  // bottom-up, as the file stores it
    bi.header.biBitCount = 32;
    ok = GetDIBits(dc, info.hbmColor, 0, height, color.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                   DIB_RGB_COLORS) == height;
    bi.header.biBitCount = 1;
    ok = ok && GetDIBits(dc, info.hbmMask, 0, height, mask.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                         DIB_RGB_COLORS) == height;
  } else {
    // Monochrome: the mask's lower half (first, bottom-up) is the XOR image, white where set.
    bi.header.biHeight = height * 2;
    bi.header.biBitCount = 1;
    ok = GetDIBits(dc, info.hbmMask, 0, height * 2, mask.data(), reinterpret_cast<BITMAPINFO*>(&bi),
                   DIB_RGB_COLORS) == height * 2;
    for (int y = 0; ok && y < height; ++y)
      for (int x = 0; x < width; ++x) {
        bool set = (mask[static_cast<size_t>(y * mask_row + (x >> 3))] >> (7 - (x & 7))) & 1;
        std::memset(&color[static_cast<size_t>((int64_t{y} * width + x) * 4)], set ? 0xFF : 0, 3);
      }
    if (ok)
      std::memmove(mask.data(), mask.data() + mask_row * height, static_cast<size_t>(mask_row * height));
  }
  ReleaseDC(nullptr, dc);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (!ok) throw EInvalidGraphicOperation("Cannot read the icon's pixels");

  const uint32_t image_bytes = static_cast<uint32_t>(40 + color_bytes + mask_row * height);
  std::vector<uint8_t> out;
  Put16(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  out.push_back(static_cast<uint8_t>(width < 256 ? width : 0));
  out.push_back(static_cast<uint8_t>(height < 256 ? height : 0));
  out.push_back(0);
  out.push_back(0);
  Put16(out, 1);
  Put16(out, 32);
  Put32(out, image_bytes);
  Put32(out, 22);
  Put32(out, 40);
  Put32(out, static_cast<uint32_t>(width));
  Put32(out, static_cast<uint32_t>(height * 2));
  Put16(out, 1);
  Put16(out, 32);
  for (int i = 0; i < 6; ++i) Put32(out, 0);
  out.insert(out.end(), color.begin(), color.end());
  out.insert(out.end(), mask.begin(), mask.begin() + static_cast<ptrdiff_t>(mask_row * height));
  stream.WriteBuffer(out.data(), static_cast<int64_t>(out.size()));
}

// ---- TPicture -----------------------------------------------------------------------------

TK_CLASS_INFO(TPicture, TPersistent)

void TPicture::Publish(TPublisher<TPicture>& p) { p.Binary("Data", &TPicture::GetData, &TPicture::SetData); }

TPicture::~TPicture() { Free(graphic_); }

void TPicture::Changed() { OnChange(this); }

void TPicture::GraphicChanged(TObject*) { Changed(); }

void TPicture::SetOwnedGraphic(TGraphic* graphic) {
  if (graphic_) Free(graphic_);
  graphic_ = graphic;
  if (graphic_) graphic_->OnChange = TNotifyEvent(this, &TPicture::GraphicChanged);
  Changed();
}

void TPicture::SetGraphic(TGraphic* graphic) {
  if (graphic == graphic_) return;
  if (!graphic) {
    SetOwnedGraphic(nullptr);
    return;
  }
  TGraphic* copy = NewGraphic(graphic->ClassType());
  try {
    copy->Assign(graphic);
  } catch (...) {
    Free(copy);
    throw;
  }
  SetOwnedGraphic(copy);
}

void TPicture::Assign(TPersistent* source) {
  if (!source) {
    SetGraphic(nullptr);
  } else if (auto* picture = DynamicCast<TPicture>(source)) {
    if (picture != this) SetGraphic(picture->graphic_);
  } else if (auto* graphic = DynamicCast<TGraphic>(source)) {
    SetGraphic(graphic);
  } else {
    inherited::Assign(source);
  }
}

void TPicture::AssignTo(TPersistent* dest) {
  if (auto* graphic = DynamicCast<TGraphic>(dest)) {
    graphic->Assign(graphic_);
    return;
  }
  inherited::AssignTo(dest);
}

TBitmap* TPicture::GetBitmap() {
  if (!DynamicCast<TBitmap>(graphic_)) SetOwnedGraphic(New<TBitmap>());
  return static_cast<TBitmap*>(graphic_);
}

TIcon* TPicture::GetIcon() {
  if (!DynamicCast<TIcon>(graphic_)) SetOwnedGraphic(New<TIcon>());
  return static_cast<TIcon*>(graphic_);
}

int TPicture::GetWidth() const { return graphic_ ? graphic_->GetWidth() : 0; }

int TPicture::GetHeight() const { return graphic_ ? graphic_->GetHeight() : 0; }

void TPicture::LoadFromFile(const std::string& file_name) {
  std::string extension = LowerCase(ExtractFileExt(file_name));
  TClass cls = FindFileFormat(extension);
  if (!cls) throw EInvalidGraphic("Unknown picture file extension (" + extension + ")");
  TGraphic* graphic = NewGraphic(cls);
  try {
    graphic->LoadFromFile(file_name);
  } catch (...) {
    Free(graphic);
    throw;
  }
  SetOwnedGraphic(graphic);
}

void TPicture::SaveToFile(const std::string& file_name) {
  if (graphic_) graphic_->SaveToFile(file_name);
}

void TPicture::RegisterFileFormat(const std::string& extension, const std::string& description,
                                  TClass graphic_class) {
  std::string ext = NormalExtension(extension);
  for (TFileFormat& format : FileFormats())
    if (format.extension == ext) {
      format.description = description;
      format.graphic_class = graphic_class;
      return;
    }
  FileFormats().push_back({ext, description, graphic_class});
}

TClass TPicture::FindFileFormat(const std::string& extension) {
  std::string ext = NormalExtension(extension);
  for (const TFileFormat& format : FileFormats())
    if (format.extension == ext) return format.graphic_class;
  return nullptr;
}

std::string TPicture::GetData() {
  if (!graphic_) return {};
  std::string name = graphic_->ClassName();
  std::string bytes(1, static_cast<char>(name.size()));
  bytes += name;
  bytes += graphic_->GetData();
  return bytes;
}

void TPicture::SetData(const std::string& bytes) {
  if (bytes.empty()) {
    SetGraphic(nullptr);
    return;
  }
  size_t length = static_cast<uint8_t>(bytes[0]);
  if (1 + length > bytes.size()) throw EInvalidGraphic("Stored picture data is cut short");
  std::string name = bytes.substr(1, length);
  TClass cls = nullptr;
  for (const TFileFormat& format : FileFormats())
    if (name == format.graphic_class->name) cls = format.graphic_class;
  if (!cls) throw EInvalidGraphic("Unknown graphic class " + name);
  TGraphic* graphic = NewGraphic(cls);
  try {
    graphic->SetData(bytes.substr(1 + length));
  } catch (...) {
    Free(graphic);
    throw;
  }
  SetOwnedGraphic(graphic);
}
