// The skinned combo box: the toolkit's combo box whose face the control paints itself (text
// area and a drop-down button from the section's "GLYPHMASK" or the built-in "COMBO" picture),
// whose border its style paints, with a read-only mode, text alignment and glyph options.
#pragma once

#include <windows.h>

#include <string>

#include "skin/engine/sglyphmode.h"
#include "skin/engine/sstyles.h"
#include "toolkit/stdctrls.h"

class TBitmap;

class TsCustomComboBox : public TCustomComboBox, public TsStyleQueries, public TsOwnerQueries {
  TK_CLASS(TsCustomComboBox, TCustomComboBox)
  TK_MESSAGE_MAP

 public:
  explicit TsCustomComboBox(TComponent* owner);
  ~TsCustomComboBox() override;
  void AfterConstruction() override;

  void WndProc(TMessage& message) override;
  void Invalidate() override;
  // The bounds less 4 pixels on every side: the room inside the style's border.
  RECT GetClientRect() override;

  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment alignment);
  bool GetReadOnly() const { return read_only_; }
  void SetReadOnly(bool read_only);
  TsGlyphMode* GetGlyphMode() const { return glyph_mode_; }
  void SetGlyphMode(TsGlyphMode* mode) { glyph_mode_->Assign(mode); }
  TsStyle* GetSkinStyle() const { return style_; }

  // The drop-down button in client coordinates, and its picture in the state it shows now:
  // 0 normal, 1 active (hot or focused), 2 dropped.
  RECT ButtonRect();
  SIZE ButtonSize();
  int ButtonState();
  // The rectangle the text is written in (the bounds less 4 pixels and the button).
  RECT TextRect();

  // ---- Style queries
  bool ListDroppedDown() override;
  bool HotChanged(bool entered) override;
  bool PendingPaint() override { return dropping_; }
  void ClearPendingPaint() override { dropping_ = false; }

 protected:
  void Loaded() override;
  void CreateWnd() override;
  void Change() override;
  void DropDown() override;
  void ComboWndProc(TMessage& message, HWND part) override;

 private:
  static void Publish(TPublisher<TsCustomComboBox>& p);
  bool Designing() const;
  bool MayPaint() const;
  int GlyphMaskIndex() const;
  void PaintButton(HDC dc);
  void PaintText(HDC dc);
  void PaintFace(HDC dc);
  void StyleKeyDown(TObject* sender, WORD& key, TShiftState shift);
  void CNCommand(TMessage& message);
  void WMNCPaint(TMessage& message);
  void WMPaint(TMessage& message);

  TAlignment alignment_ = taLeftJustify;
  TsGlyphMode* glyph_mode_;
  int button_margin_ = 3;
  bool read_only_ = false;
  TsStyle* style_;
  std::string section_word_ = "SCO1";
  bool dropping_ = false;
  bool creating_window_ = false;  // the toolkit hands the saved selection to a new window
  int changes_ = 0;               // OnChange notices raised so far
};

class TsComboBox : public TsCustomComboBox {
  TK_CLASS(TsComboBox, TsCustomComboBox)

 public:
  explicit TsComboBox(TComponent* owner);
};

// The built-in button picture "COMBO" (three 19 x 17 states over their mask), loaded once.
TBitmap* ComboButtonBitmap();
