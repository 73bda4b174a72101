#include "toolkit/streams.h"

#include <algorithm>
#include <cstring>

#include "toolkit/filenames.h"

TK_ABSTRACT_CLASS_INFO(TStream, TObject)
TK_ABSTRACT_CLASS_INFO(THandleStream, TStream)
TK_ABSTRACT_CLASS_INFO(TFileStream, THandleStream)
TK_ABSTRACT_CLASS_INFO(TCustomMemoryStream, TStream)
TK_ABSTRACT_CLASS_INFO(TMemoryStream, TCustomMemoryStream)
TK_ABSTRACT_CLASS_INFO(TResourceStream, TCustomMemoryStream)

// ---- TStream ------------------------------------------------------------------------------

int64_t TStream::GetSize() {
  int64_t position = Seek(0, soCurrent);
  int64_t size = Seek(0, soEnd);
  Seek(position, soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError(std::string(ClassName()) + " cannot change its size"); }

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count < 0 || (count > 0 && Read(buffer, count) != count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count < 0 || (count > 0 && Write(buffer, count) != count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.GetSize();
  }
  const int64_t kChunk = 64 * 1024;
  std::vector<unsigned char> buffer(static_cast<size_t>(std::min(count, kChunk)));
  int64_t copied = 0;
  while (copied < count) {
    int64_t n = std::min(count - copied, kChunk);
    source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    copied += n;
  }
  return copied;
}

// ---- THandleStream / TFileStream ----------------------------------------------------------

namespace {

// ReadFile and WriteFile move at most 4 GiB - 1 per call.
const int64_t kMaxTransfer = 0x40000000;

}  // namespace

int64_t THandleStream::Read(void* buffer, int64_t count) {
  int64_t total = 0;
  auto* bytes = static_cast<unsigned char*>(buffer);
  while (total < count) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min(count - total, kMaxTransfer));
    if (!ReadFile(handle_, bytes + total, want, &n, nullptr) || n == 0) break;
    total += n;
  }
  return total;
}

int64_t THandleStream::Write(const void* buffer, int64_t count) {
  int64_t total = 0;
  auto* bytes = static_cast<const unsigned char*>(buffer);
  while (total < count) {
    DWORD n = 0;
    DWORD want = static_cast<DWORD>(std::min(count - total, kMaxTransfer));
    if (!WriteFile(handle_, bytes + total, want, &n, nullptr) || n == 0) break;
    total += n;
  }
  return total;
}

int64_t THandleStream::Seek(int64_t offset, TSeekOrigin origin) {
  static const DWORD methods[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance, position;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(handle_, distance, &position, methods[origin])) return -1;
  return position.QuadPart;
}

void THandleStream::SetSize(int64_t size) {
  int64_t position = GetPosition();
  if (Seek(size, soBeginning) != size || !SetEndOfFile(handle_)) {
    DWORD error = GetLastError();
    Seek(position, soBeginning);
    throw EStreamError("Cannot change the size of the file: " + SysErrorMessage(error));
  }
  Seek(std::min(position, size), soBeginning);
}

TFileStream::TFileStream(const std::string& file_name, unsigned mode)
    : THandleStream(INVALID_HANDLE_VALUE), file_name_(file_name) {
  static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  static const DWORD share[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned share_index = (mode & 0xF0) >> 4;
  bool create = (mode & fmCreate) == fmCreate;
  if (share_index > 4 || (!create && (mode & 0x0F) > 2))
    throw EFOpenError(Format("Cannot open file \"%s\": invalid mode $%x", file_name, mode));
  DWORD share_mode = share[share_index];
  if (create) {
    handle_ = CreateFileW(WideFileName(file_name).c_str(), GENERIC_READ | GENERIC_WRITE, share_mode, nullptr,
                          CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFCreateError(
          Format("Cannot create file \"%s\". %s", file_name, SysErrorMessage(GetLastError())));
  } else {
    handle_ = CreateFileW(WideFileName(file_name).c_str(), access[mode & 0x0F], share_mode, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE)
      throw EFOpenError(Format("Cannot open file \"%s\". %s", file_name, SysErrorMessage(GetLastError())));
  }
}

TFileStream::~TFileStream() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

// ---- TCustomMemoryStream / TMemoryStream --------------------------------------------------

void TCustomMemoryStream::SetPointer(void* memory, int64_t size) {
  memory_ = memory;
  size_ = size;
}

int64_t TCustomMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || position_ >= size_) return 0;
  int64_t n = std::min(count, size_ - position_);
  std::memcpy(buffer, static_cast<const unsigned char*>(memory_) + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? position_ : size_;
  int64_t target = base + offset;
  if (target < 0) return -1;  // before the start: the position stays
  position_ = target;
  return position_;
}

void TCustomMemoryStream::SaveToStream(TStream& stream) { stream.WriteBuffer(memory_, size_); }

void TCustomMemoryStream::SaveToFile(const std::string& file_name) {
  TFileStream file(file_name, fmCreate);
  SaveToStream(file);
}

void TMemoryStream::Resize(int64_t size) {
  if (size < 0) throw EStreamError("Invalid stream size");
  if (size > static_cast<int64_t>(data_.max_size()))
    throw EStreamError("Out of memory while expanding memory stream");
  if (static_cast<size_t>(size) > data_.capacity())
    data_.reserve(std::max(static_cast<size_t>(size), data_.capacity() * 2));
  data_.resize(static_cast<size_t>(size));
  SetPointer(data_.data(), size);
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  int64_t end = position_ + count;
  if (end > GetSize()) Resize(end);
  std::memcpy(data_.data() + position_, buffer, static_cast<size_t>(count));
  position_ = end;
  return count;
}

void TMemoryStream::SetSize(int64_t size) {
  Resize(size);
  if (position_ > size) position_ = size;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  SetPointer(nullptr, 0);
  position_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& stream) {
  stream.SetPosition(0);
  int64_t size = stream.GetSize();
  Resize(size);
  position_ = 0;
  stream.ReadBuffer(data_.data(), size);
}

void TMemoryStream::LoadFromFile(const std::string& file_name) {
  TFileStream file(file_name, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(file);
}

// ---- TResourceStream ----------------------------------------------------------------------

TResourceStream::TResourceStream(HINSTANCE instance, const std::string& name, const char* type) {
  Initialize(instance, name.c_str(), type, name);
}

TResourceStream::TResourceStream(HINSTANCE instance, int id, const char* type) {
  Initialize(instance, MAKEINTRESOURCEA(id), type, std::string(1, '#').append(IntToStr(id)));
}

void TResourceStream::Initialize(HINSTANCE instance, const char* name, const char* type,
                                 const std::string& shown_name) {
  HRSRC info = FindResourceA(instance, name, type);
  HGLOBAL handle = info ? LoadResource(instance, info) : nullptr;
  void* data = handle ? LockResource(handle) : nullptr;
  if (!data) throw EResNotFound("Resource " + shown_name + " not found");
  SetPointer(data, SizeofResource(instance, info));
}

int64_t TResourceStream::Write(const void*, int64_t) {
  throw EStreamError("Can't write to a read-only resource stream");
}
