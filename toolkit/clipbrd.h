// The system clipboard: text, bitmaps and metafiles to and from pictures and graphics.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/picture.h"

// One per process (Clipboard()). What is put on it replaces the clipboard's content, except
// that inside one outermost Open .. Close every format put after the first is added, so one
// copy can offer several formats.
class TClipboard : public TPersistent {
  TK_CLASS(TClipboard, TPersistent)

 public:
  TClipboard() = default;
  ~TClipboard() override;

  // Nested: only the outermost pair opens and closes the system's clipboard. Open raises
  // Exception while another program holds it; a Close without Open does nothing.
  void Open();
  void Close();
  // Empties the clipboard (and takes it over).
  void Clear();
  // Whether the clipboard offers the format, also one the system makes from another.
  bool HasFormat(UINT format) const;

  // CF_TEXT: empty when there is none.
  std::string GetAsText();
  void SetAsText(const std::string& text);

  // From a picture or a graphic: a metafile as CF_ENHMETAFILE, a bitmap (any other graphic
  // drawn into one) as CF_DIB with its own format: colour table up to 8 bits, the 32-bit
  // rows with their fourth byte and no table. Null clears.
  void Assign(TPersistent* source) override;

 protected:
  // Into a picture (the metafile if there is one, else the bitmap) or a bitmap (the bitmap if
  // there is one, else the metafile drawn on white); EInvalidGraphic when the clipboard
  // holds neither, or one that cannot be read.
  void AssignTo(TPersistent* dest) override;

 private:
  HWND Window();
  // The clipboard's picture as a new graphic: its bitmap, or its metafile where there is no
  // bitmap or the metafile is asked for first.
  TGraphic* ReadGraphic(bool metafile_first);
  TGraphic* ReadMetafile();
  // Empties the clipboard once per outermost Open, then hands data to it, which the
  // clipboard owns from then on (freed here when it refuses it).
  void Put(UINT format, HANDLE data);

  HWND window_ = nullptr;
  int open_count_ = 0;
  bool emptied_ = false;
};

// The process's clipboard, created on first use.
TClipboard* Clipboard();
