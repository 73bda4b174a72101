#include "toolkit/clipbrd.h"

#include <cstring>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/metafile.h"
#include "toolkit/typinfo.h"

namespace {

// A copy of a global memory block's bytes; empty for none.
std::vector<uint8_t> GlobalBytes(HANDLE data) {
  std::vector<uint8_t> bytes;
  const SIZE_T size = data ? GlobalSize(data) : 0;
  const void* memory = size ? GlobalLock(data) : nullptr;
  if (!memory) return bytes;
  bytes.assign(static_cast<const uint8_t*>(memory), static_cast<const uint8_t*>(memory) + size);
  GlobalUnlock(data);
  return bytes;
}

HGLOBAL GlobalCopy(const void* bytes, size_t size) {
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, size ? size : 1);
  void* memory = data ? GlobalLock(data) : nullptr;
  if (!memory) {
    if (data) GlobalFree(data);
    throw EOutOfResources("No memory for the clipboard's data");
  }
  std::memcpy(memory, bytes, size);
  GlobalUnlock(data);
  return data;
}

// The clipboard's packed DIB as a bitmap: the file header a BMP file would have in front,
// so that it is read as carefully as a file (the data comes from any program).
void ReadDib(const std::vector<uint8_t>& dib, TBitmap* bitmap) {
  std::vector<uint8_t> file(14, 0);
  file[0] = 'B';
  file[1] = 'M';
  file.insert(file.end(), dib.begin(), dib.end());
  TMemoryStream* stream = New<TMemoryStream>();
  try {
    stream->WriteBuffer(file.data(), static_cast<int64_t>(file.size()));
    stream->SetPosition(0);
    bitmap->LoadFromStream(*stream);
  } catch (...) {
    Free(stream);
    throw;
  }
  Free(stream);
}

// Data the clipboard did not take.
void FreeData(UINT format, HANDLE data) {
  if (format == CF_ENHMETAFILE)
    DeleteEnhMetaFile(static_cast<HENHMETAFILE>(data));
  else
    GlobalFree(data);
}

}  // namespace

TK_CLASS_INFO(TClipboard, TPersistent)

TClipboard::~TClipboard() {
  while (open_count_) Close();
  if (window_) DestroyWindow(window_);
}

HWND TClipboard::Window() {
  // The clipboard takes data only from an owner window.
  if (!window_)
    window_ = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleA(nullptr), nullptr);
  if (!window_) RaiseLastOSError();
  return window_;
}

void TClipboard::Open() {
  if (open_count_ == 0) {
    // Another program, or Wine's bridge to the X selection, may hold it for a moment.
    bool opened = false;
    for (int attempt = 0; attempt < 20 && !(opened = OpenClipboard(Window())); ++attempt) Sleep(10);
    if (!opened) throw Exception("Cannot open clipboard");
    emptied_ = false;
  }
  ++open_count_;
}

void TClipboard::Close() {
  if (open_count_ == 0) return;
  if (--open_count_ == 0) CloseClipboard();
}

void TClipboard::Clear() {
  Open();
  EmptyClipboard();
  emptied_ = true;
  Close();
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != 0; }

void TClipboard::Put(UINT format, HANDLE data) {
  try {
    Open();
  } catch (...) {
    FreeData(format, data);
    throw;
  }
  if (!emptied_) {
    EmptyClipboard();
    emptied_ = true;
  }
  if (!SetClipboardData(format, data)) {
    const DWORD error = GetLastError();
    FreeData(format, data);
    Close();
    RaiseLastOSError(error);
  }
  Close();
}

std::string TClipboard::GetAsText() {
  Open();
  std::vector<uint8_t> bytes = GlobalBytes(GetClipboardData(CF_TEXT));
  Close();
  // The block may be larger than the text, or (from a careless program) lack the end.
  size_t length = 0;
  while (length < bytes.size() && bytes[length]) ++length;
  return std::string(bytes.begin(), bytes.begin() + static_cast<ptrdiff_t>(length));
}

void TClipboard::SetAsText(const std::string& text) {
  Put(CF_TEXT, GlobalCopy(text.c_str(), text.size() + 1));
}

void TClipboard::Assign(TPersistent* source) {
  if (auto* picture = DynamicCast<TPicture>(source)) source = picture->GetGraphic();
  if (!source) {
    Clear();
  } else if (auto* metafile = DynamicCast<TMetafile>(source)) {
    if (metafile->GetEmpty()) {
      Clear();
      return;
    }
    HENHMETAFILE copy = CopyEnhMetaFileA(metafile->GetHandle(), nullptr);
    if (!copy) RaiseLastOSError();
    Put(CF_ENHMETAFILE, copy);
  } else if (auto* graphic = DynamicCast<TGraphic>(source)) {
    TBitmap* bitmap = DynamicCast<TBitmap>(graphic);
    TBitmap* drawn = nullptr;
    TMemoryStream* file = New<TMemoryStream>();
    try {
      if (!bitmap) {
        bitmap = drawn = New<TBitmap>();
        drawn->Assign(graphic);
      }
      bitmap->SaveToStream(*file);
      if (file->GetSize() <= 14) {
        Clear();
      } else {
        // A BMP file less its file header is the packed DIB.
        Put(CF_DIB, GlobalCopy(static_cast<const uint8_t*>(file->Memory()) + 14,
                               static_cast<size_t>(file->GetSize() - 14)));
      }
    } catch (...) {
      Free(file);
      Free(drawn);
      throw;
    }
    Free(file);
    Free(drawn);
  } else {
    inherited::Assign(source);
  }
}

void TClipboard::AssignTo(TPersistent* dest) {
  auto* picture = DynamicCast<TPicture>(dest);
  auto* bitmap = DynamicCast<TBitmap>(dest);
  if (!picture && !bitmap) {
    inherited::AssignTo(dest);
    return;
  }
  TGraphic* graphic = ReadGraphic(picture != nullptr);
  try {
    if (picture)
      picture->SetGraphic(graphic);
    else
      bitmap->Assign(graphic);
  } catch (...) {
    Free(graphic);
    throw;
  }
  Free(graphic);
}

TGraphic* TClipboard::ReadGraphic(bool metafile_first) {
  Open();
  TGraphic* graphic = nullptr;
  try {
    const bool metafile = HasFormat(CF_ENHMETAFILE);
    if (metafile && (metafile_first || !HasFormat(CF_BITMAP))) {
      graphic = ReadMetafile();
    } else if (HasFormat(CF_DIB)) {
      auto* read = New<TBitmap>();
      graphic = read;
      ReadDib(GlobalBytes(GetClipboardData(CF_DIB)), read);
    } else if (HasFormat(CF_BITMAP)) {
      auto* read = New<TBitmap>();
      graphic = read;
      // The clipboard keeps its handle: the bitmap takes over a copy.
      HANDLE copy = CopyImage(GetClipboardData(CF_BITMAP), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
      if (!copy) throw EInvalidGraphic("The clipboard's bitmap cannot be read");
      read->SetHandle(static_cast<HBITMAP>(copy));
    } else {
      throw EInvalidGraphic("The clipboard holds no picture");
    }
  } catch (...) {
    Close();
    Free(graphic);
    throw;
  }
  Close();
  return graphic;
}

TGraphic* TClipboard::ReadMetafile() {
  auto* metafile = New<TMetafile>();
  try {
    // Bytes, not the handle: another program's metafile is checked like a file.
    auto handle = static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE));
    std::vector<uint8_t> bytes(handle ? GetEnhMetaFileBits(handle, 0, nullptr) : 0);
    if (bytes.empty() || !GetEnhMetaFileBits(handle, static_cast<UINT>(bytes.size()), bytes.data()))
      throw EInvalidGraphic("The clipboard's metafile cannot be read");
    metafile->LoadFromBytes(bytes);
  } catch (...) {
    Free(metafile);
    throw;
  }
  return metafile;
}

TClipboard* Clipboard() {
  // Lives for the whole run, like the clipboard it stands for.
  static TClipboard* clipboard = New<TClipboard>();
  return clipboard;
}
