// Streams: sequential and positioned reading and writing over files, memory and resources.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/object.h"
#include "toolkit/sysutils.h"

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

// Open and share modes of TFileStream: one open mode or fmCreate, or'ed with a share mode.
enum : unsigned {
  fmOpenRead = 0x0000,
  fmOpenWrite = 0x0001,
  fmOpenReadWrite = 0x0002,
  fmShareCompat = 0x0000,  // the same as fmShareExclusive
  fmShareExclusive = 0x0010,
  fmShareDenyWrite = 0x0020,
  fmShareDenyRead = 0x0030,
  fmShareDenyNone = 0x0040,
  fmCreate = 0xFF00,  // create or truncate, then read and write
};

class TStream : public TObject {
  TK_CLASS(TStream, TObject)

  // Read and Write move up to count bytes and return how many they moved (short at the end
  // of the data, never negative).
  virtual int64_t Read(void* buffer, int64_t count) = 0;
  virtual int64_t Write(const void* buffer, int64_t count) = 0;
  // Returns the new position.
  virtual int64_t Seek(int64_t offset, TSeekOrigin origin) = 0;

  int64_t GetPosition() { return Seek(0, soCurrent); }
  void SetPosition(int64_t position) { Seek(position, soBeginning); }
  virtual int64_t GetSize();
  virtual void SetSize(int64_t size);

  // Exactly count bytes, or EReadError / EWriteError (a short record is an error).
  void ReadBuffer(void* buffer, int64_t count);
  void WriteBuffer(const void* buffer, int64_t count);
  // Copies count bytes from source's position; count 0 copies the whole source from its
  // start. Returns the bytes copied; a short source raises EReadError.
  int64_t CopyFrom(TStream& source, int64_t count);

 protected:
  TStream() = default;
};

// A stream over a Win32 file handle it does not own.
class THandleStream : public TStream {
  TK_CLASS(THandleStream, TStream)

  explicit THandleStream(HANDLE handle) : handle_(handle) {}
  HANDLE Handle() const { return handle_; }

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  void SetSize(int64_t size) override;  // raises EStreamError when the file cannot be resized

 protected:
  HANDLE handle_;
};

// A file opened with CreateFileA. Raises EFOpenError (or EFCreateError for fmCreate) with the
// file name and the system's reason when the file cannot be opened.
class TFileStream : public THandleStream {
  TK_CLASS(TFileStream, THandleStream)

  TFileStream(const std::string& file_name, unsigned mode);
  ~TFileStream() override;
  const std::string& FileName() const { return file_name_; }

 private:
  std::string file_name_;
};

// A stream over a block of memory it does not own (TMemoryStream and TResourceStream set
// the block). Seeking past the end is allowed; reading there gives nothing.
class TCustomMemoryStream : public TStream {
  TK_CLASS(TCustomMemoryStream, TStream)

  int64_t Read(void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t GetSize() override { return size_; }
  void* Memory() const { return memory_; }

  void SaveToStream(TStream& stream);
  void SaveToFile(const std::string& file_name);

 protected:
  TCustomMemoryStream() = default;
  void SetPointer(void* memory, int64_t size);

  int64_t position_ = 0;

 private:
  void* memory_ = nullptr;
  int64_t size_ = 0;
};

// A growable stream in memory. Writing past the end grows it (a gap reads as zero bytes).
class TMemoryStream : public TCustomMemoryStream {
  TK_CLASS(TMemoryStream, TCustomMemoryStream)

  TMemoryStream() = default;

  int64_t Write(const void* buffer, int64_t count) override;
  void SetSize(int64_t size) override;  // new bytes are zero
  void Clear();                         // size and position 0

  // Replaces the content with the whole stream or file; position 0 afterwards.
  void LoadFromStream(TStream& stream);
  void LoadFromFile(const std::string& file_name);

 private:
  void Resize(int64_t size);
  std::vector<unsigned char> data_;
};

// A read-only view of a resource of a module, found by name or identifier and type
// (RT_RCDATA and so on). Raises EResNotFound when the module has no such resource.
class TResourceStream : public TCustomMemoryStream {
  TK_CLASS(TResourceStream, TCustomMemoryStream)

  TResourceStream(HINSTANCE instance, const std::string& name, const char* type);
  TResourceStream(HINSTANCE instance, int id, const char* type);

  int64_t Write(const void* buffer, int64_t count) override;  // raises EStreamError

 private:
  void Initialize(HINSTANCE instance, const char* name, const char* type, const std::string& shown_name);
};
