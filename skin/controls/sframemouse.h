// The mouse on a skinned form's frame: title buttons (painted from the skin's masks in their
// normal, hot and pressed states), hit testing, clicks, moving and sizing, and the skinned
// system menu. The form's skin provider owns one TsFrameMouse and routes the frame's mouse
// messages to it; the provider keeps the frame painting, the metrics and the cache bitmap.
//
// Title-button hit codes are the system's: HTMINBUTTON, HTMAXBUTTON, HTCLOSE, HTHELP.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/collections.h"
#include "toolkit/messages.h"

class TBitmap;
class TsSkinProvider;

// The small icon at the left of the caption; an empty glyph falls back to the form's icon.
class TsTitleIcon : public TPersistent {
  TK_CLASS(TsTitleIcon, TPersistent)

 public:
  TsTitleIcon();
  ~TsTitleIcon() override;
  void Assign(TPersistent* source) override;

  TBitmap* GetGlyph() const { return glyph_; }
  void SetGlyph(TBitmap* glyph);
  // 0 takes the glyph's (or icon's) own size.
  int GetWidth() const { return width_; }
  void SetWidth(int width) { width_ = width; }
  int GetHeight() const { return height_; }
  void SetHeight(int height) { height_ = height; }

 private:
  static void Publish(TPublisher<TsTitleIcon>& p);
  TBitmap* glyph_;
  int width_ = 16;
  int height_ = 16;
};

// A button of the form's own next to the standard title buttons.
class TsTitleButton : public TCollectionItem {
  TK_CLASS(TsTitleButton, TCollectionItem)

 public:
  explicit TsTitleButton(TCollection* collection);
  void Assign(TPersistent* source) override;

  std::string Name;
  // Painted with the section's "TITLEBUTTON" mask.
  bool UseSkinData = true;
  int MaskIndex = -1;  // set by the provider from "TITLEBUTTON", -1 without skin data

 private:
  static void Publish(TPublisher<TsTitleButton>& p);
};

class TsTitleButtons : public TCollection {
  TK_CLASS(TsTitleButtons, TCollection)

 public:
  explicit TsTitleButtons(TPersistent* owner = nullptr);
  TsTitleButton* Button(int index) const { return Item<TsTitleButton>(index); }
};

class TsFrameMouse {
 public:
  explicit TsFrameMouse(TsSkinProvider* provider);
  ~TsFrameMouse();
  TsFrameMouse(const TsFrameMouse&) = delete;
  TsFrameMouse& operator=(const TsFrameMouse&) = delete;

  // Looks the title-button masks of the provider's section up again (skin loaded or
  // changed, form definition read). No mask found: index -1, that button is not painted.
  void UpdateMasks();
  // The provider routes here in skinned mode: WM_NCHITTEST, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,
  // WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCMOUSEMOVE, WM_LBUTTONUP,
  // WM_MOUSEMOVE, WM_SIZING, WM_SYSCOMMAND, WM_MOUSELEAVE, WM_NCMOUSELEAVE, CM_MOUSELEAVE.
  // True: answered here (message.Result set), the provider returns. False: the provider
  // passes the message on to the form's previous window procedure.
  bool WndProc(TMessage& message);
  // The hit code of a point in window coordinates (origin at the window's top-left).
  int HitTest(POINT window_point);
  // Paints the title buttons, each in its state, into the provider's cache bitmap at their
  // places in the caption band. The frame painter calls it after the caption background
  // and before the caption text.
  void PaintTitleButtons(TBitmap* cache);
  // Width of one title button in pixels (0 without skin masks).
  int ButtonWidth() const;
  // Standard buttons shown by the provider's BorderIcons and the form's BorderStyle.
  int StandardButtonCount() const;
  int CustomButtonCount() const;
  // The hit code of the button that is hot or pressed, 0 for none; ClearHot repaints it.
  int HotButton() const;
  void ClearHot();
  // Rebuilds the system menu's items (the form definition was read, the skin list changed).
  void UpdateSystemMenu();

 private:
  TsSkinProvider* provider_;
};
