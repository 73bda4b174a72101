// Graphics that can be drawn, loaded and saved (bitmaps, icons, JPEG images, metafiles), and the picture
// that holds any one of them and picks the kind by file extension.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/events.h"
#include "toolkit/graphics.h"
#include "toolkit/persistent.h"
#include "toolkit/streams.h"

class TCanvas;
class TBitmap;

// An image of some kind. Form definitions store it as its "Data" property: a 32-bit
// little-endian byte count followed by what SaveToStream writes; reading accepts a count
// larger than the bytes that follow (older stored bitmaps say too much).
class TGraphic : public TPersistent {
  TK_CLASS(TGraphic, TPersistent)

 public:
  virtual int GetWidth() const = 0;
  virtual int GetHeight() const = 0;
  // Kinds that cannot be resized ignore these.
  virtual void SetWidth(int width);
  virtual void SetHeight(int height);
  virtual bool GetEmpty() const = 0;
  virtual bool GetTransparent() const { return transparent_; }
  virtual void SetTransparent(bool transparent);
  // Set by every change; cleared by the owner when it has saved.
  bool GetModified() const { return modified_; }
  void SetModified(bool modified) { modified_ = modified; }

  // Draws the image stretched to rect on the canvas (called through TCanvas::Draw and
  // StretchDraw, which announce the change).
  virtual void Draw(TCanvas& canvas, const RECT& rect) = 0;

  // Malformed data raises EInvalidGraphic and leaves the graphic as it was.
  virtual void LoadFromStream(TStream& stream) = 0;
  virtual void SaveToStream(TStream& stream) = 0;
  void LoadFromFile(const std::string& file_name);
  void SaveToFile(const std::string& file_name);

  TNotifyEvent OnChange;

 protected:
  TGraphic() = default;
  // To a bitmap: draws this graphic onto a white bitmap of its size.
  void AssignTo(TPersistent* dest) override;
  virtual void Changed();
  // The "Data" property's content (see above).
  virtual void ReadData(TStream& stream);
  virtual void WriteData(TStream& stream);

 private:
  friend class TPicture;
  static void Publish(TPublisher<TGraphic>& p);
  std::string GetData();
  void SetData(const std::string& bytes);

  bool transparent_ = false;
  bool modified_ = false;
};

// An icon (HICON), drawn with DrawIconEx; always transparent.
class TIcon : public TGraphic {
  TK_CLASS(TIcon, TGraphic)

 public:
  TIcon();
  ~TIcon() override;

  void Assign(TPersistent* source) override;

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetEmpty() const override { return icon_ == nullptr; }
  void SetTransparent(bool) override {}

  HICON GetHandle() const { return icon_; }
  // Takes the icon over (it is destroyed with this object); null empties the icon.
  void SetHandle(HICON icon);
  // Gives the icon up to the caller; the object is empty afterwards.
  HICON ReleaseHandle();
  bool HandleAllocated() const { return icon_ != nullptr; }

  // At the system's icon size when the resource has one; EResNotFound when there is none.
  void LoadFromResourceName(HINSTANCE instance, const std::string& name);
  void LoadFromResourceID(HINSTANCE instance, int id);

  void Draw(TCanvas& canvas, const RECT& rect) override;
  // .ico files: the image nearest to the system's icon size (the deepest colour among equals).
  void LoadFromStream(TStream& stream) override;
  // A one-image .ico file with 32-bit colour and its mask.
  void SaveToStream(TStream& stream) override;

 private:
  void TakeIcon(HICON icon);

  HICON icon_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};

// Holds one graphic of any kind, owned. Changes of the graphic are passed on as OnChange.
class TPicture : public TPersistent {
  TK_CLASS(TPicture, TPersistent)

 public:
  TPicture() = default;
  ~TPicture() override;

  // Copies a picture's or a graphic's image (a graphic of the same kind); null empties.
  void Assign(TPersistent* source) override;

  TGraphic* GetGraphic() const { return graphic_; }
  // Holds a copy of graphic; null empties the picture.
  void SetGraphic(TGraphic* graphic);
  // The graphic as a bitmap / an icon, replacing a graphic of another kind with an empty one.
  TBitmap* GetBitmap();
  TIcon* GetIcon();
  int GetWidth() const;
  int GetHeight() const;

  // Chooses the kind of graphic by the file's extension (registered formats: .bmp, .ico,
  // .jpg, .jpeg, .emf, .wmf); an unknown extension raises EInvalidGraphic.
  void LoadFromFile(const std::string& file_name);
  // Saves the graphic in its own format; an empty picture saves nothing.
  void SaveToFile(const std::string& file_name);

  // Adds a file extension (with or without the dot) for a graphic class created by name.
  static void RegisterFileFormat(const std::string& extension, const std::string& description,
                                 TClass graphic_class);
  // The class registered for an extension; null when none is.
  static TClass FindFileFormat(const std::string& extension);

  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* dest) override;

 private:
  static void Publish(TPublisher<TPicture>& p);
  // Stored as the class name (a length byte and the name) followed by the graphic's Data.
  std::string GetData();
  void SetData(const std::string& bytes);
  void SetOwnedGraphic(TGraphic* graphic);
  void GraphicChanged(TObject* sender);
  void Changed();

  TGraphic* graphic_ = nullptr;
};
