// Enhanced metafiles as graphics: read from .emf and placeable .wmf files, saved as .emf.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "toolkit/picture.h"

// A recorded drawing, played into the rectangle it is drawn to. Width and Height are the
// picture frame's at the screen's resolution; always transparent (what it does not draw
// stays as it was).
class TMetafile : public TGraphic {
  TK_CLASS(TMetafile, TGraphic)

 public:
  TMetafile();
  ~TMetafile() override;

  // A copy of another metafile's drawing; null empties.
  void Assign(TPersistent* source) override;

  int GetWidth() const override { return width_; }
  int GetHeight() const override { return height_; }
  bool GetEmpty() const override { return handle_ == nullptr; }
  void SetTransparent(bool) override {}

  HENHMETAFILE GetHandle() const { return handle_; }
  // Takes the metafile over (deleted with this object); null empties.
  void SetHandle(HENHMETAFILE metafile);

  void Draw(TCanvas& canvas, const RECT& rect) override;

  // An enhanced metafile, or a Windows metafile with its placeable header. The records are
  // checked before the system sees them: a file cut short, sizes or counts beyond a record,
  // object indexes beyond the table, records outside the drawing subset, and what playing
  // would cost beyond any real picture (over a million records, saved states nested over a
  // thousand deep, over 4,096 objects at once or one made over another still held) raise
  // EInvalidGraphic naming the record and leave the graphic as it was.
  void LoadFromStream(TStream& stream) override;
  // The enhanced metafile's bytes.
  void SaveToStream(TStream& stream) override;
  // The same check and reading for bytes in memory (the clipboard's).
  void LoadFromBytes(const std::vector<uint8_t>& bytes);

 private:
  void TakeHandle(HENHMETAFILE metafile);
  // Returns the bytes the metafile took.
  size_t ReadMetafile(const std::vector<uint8_t>& bytes);

  HENHMETAFILE handle_ = nullptr;
  int width_ = 0;
  int height_ = 0;
};
