// The mouse on a skinned form's frame: title buttons (painted from the skin's masks in their
// normal, hot and pressed states), hit testing, clicks, the skinned system menu from the icon
// and the caption, and (resize mode rmBorder) moving and sizing with an inverted outline
// instead of the system's live resize. The form's skin provider owns one TsFrameMouse and
// routes the frame's mouse messages to it; the provider keeps the frame painting, the
// metrics and the cache bitmap, and gives them through TsFrameHost.
//
// Standard title-button hit codes are the system's: HTMINBUTTON, HTMAXBUTTON, HTCLOSE, HTHELP.
// Title buttons are stored with the provider in form definitions:
//   TitleButtons = < item Name = 'Pin' Enabled = False end >
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "skin/controls/ssystemmenu.h"
#include "toolkit/collections.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/messages.h"

class TBitmap;
class TsSkinProvider;

// One title button as the frame paints and tracks it. Left..Bottom in window coordinates.
struct TsTitleButtonData {
  int State = 0;       // 0 normal, 1 hot, 2 pressed
  int MaskIndex = -1;  // the skin mask it is drawn from; -1 none
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
  RECT Rect() const { return {Left, Top, Right, Bottom}; }
};

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

// A button of the form's own left of the standard title buttons.
class TsTitleButton : public TCollectionItem {
  TK_CLASS(TsTitleButton, TCollectionItem)

 public:
  // A new button is named after its class.
  explicit TsTitleButton(TCollection* collection);
  ~TsTitleButton() override;
  void Assign(TPersistent* source) override;
  std::string GetDisplayName() const override { return Name; }

  TBitmap* GetGlyph() const { return glyph_; }
  // Drawn centred over the skin's glyph, its bottom-left colour see-through.
  void SetGlyph(TBitmap* glyph);

  std::string Name;
  // Painted with the section's "TITLEBUTTON" mask.
  bool UseSkinData = true;
  int MaskIndex = -1;  // set from "TITLEBUTTON", -1 without skin data
  // A disabled button is drawn inactive and answers no clicks.
  bool Enabled = true;
  TMouseEvent OnMouseUp;
  TMouseEvent OnMouseDown;
  // State and place (its MaskIndex is not used: the field above is).
  TsTitleButtonData Data;

 private:
  static void Publish(TPublisher<TsTitleButton>& p);
  TBitmap* glyph_;
};

class TsTitleButtons : public TCollection {
  TK_CLASS(TsTitleButtons, TCollection)

 public:
  // owner: the skin provider, answered by GetOwner.
  explicit TsTitleButtons(TPersistent* owner = nullptr);
  TsTitleButton* Button(int index) const { return Item<TsTitleButton>(index); }
  TsTitleButton* Add() { return TCollection::Add<TsTitleButton>(); }
};

// Hit codes beyond the system's: the MDI child buttons on an MDI form's menu line, and
// custom title button i as HTCUSTOMBUTTON + i.
constexpr int HTMDICLOSE = 101;
constexpr int HTMDIRESTORE = 102;
constexpr int HTMDIMINIMIZE = 103;
constexpr int HTCUSTOMBUTTON = 1000;

// Frame bands of a border style, from the system metrics.
struct TsFrameMetrics {
  int FrameWidth = 0;
  int FrameHeight = 0;
  int CaptionHeight = 0;
};
TsFrameMetrics FrameMetricsOf(TFormBorderStyle style);
// The size of a title button from the section's "BICONCLOSE" mask; 21 x 21 without one.
SIZE TitleButtonSize(int skin_index);
// The size of the MDI child buttons, from the same mask; 16 x 16 without one.
SIZE MDIButtonSize(int skin_index);

// The frame as it is now, in window coordinates.
struct TsFrameLayout {
  int Width = 0;  // the form's window
  int Height = 0;
  TsFrameMetrics Metrics;
  int IconRight = 0;    // right edge of the icon rectangle (its left is the frame width)
  int IconBottom = 0;   // its bottom
  int MenuBand = 0;     // height of the menu line(s) below the caption
  SIZE Button{21, 21};  // title button size
  TsFrameRules Rules;
  bool Grip = false;  // the size grip at the bottom right is shown
  POINT GripPoint{};  // its top-left
  // An MDI main form with a menu line whose active child is maximized: the child's close,
  // restore and minimize buttons sit at the right end of the menu line.
  bool MDIButtons = false;
  SIZE MDIButton{16, 16};  // their size
  int MenuHeight = 0;      // one menu row
  int TopBand = 0;         // frame, caption, menu band and border width, plus one
  int ButtonTop() const;
  // Left edge of button slot k (1: rightmost).
  int SlotLeft(int k) const;
  // MDI child button k (1 close, 2 restore, 3 minimize), whether shown or not.
  RECT MDIButtonRect(int k) const;
};

// The hit code of a window point by the title buttons and caption row (custom: the custom
// buttons, may be null); `incoming` (the system's answer or HTNOWHERE) elsewhere.
int FrameHitTest(const TsFrameLayout& layout, POINT p, const TsTitleButtons* custom,
                 int incoming = HTNOWHERE);

// What the frame mouse needs of the provider.
class TsFrameHost {
 public:
  virtual ~TsFrameHost() = default;
  virtual TCustomForm* FrameForm() = 0;
  virtual TsFrameLayout FrameLayout() = 0;
  virtual TsTitleButtons* FrameTitleButtons() = 0;
  virtual TsSystemMenu* FrameSystemMenu() = 0;
  // Resize mode rmBorder: moving and sizing by outline.
  virtual bool FrameOutlineResize() = 0;
  // The caption is drawn active.
  virtual bool FrameActive() = 0;
  // The form's skin section; -1 none.
  virtual int FrameSkinIndex() = 0;
  // The frame's cache bitmap and the copy of the caption strip behind the buttons; null when
  // there is none yet (the buttons are then not repainted alone).
  virtual TBitmap* FrameCache() = 0;
  virtual TBitmap* FrameButtonBackground() = 0;
  // The smallest size an outline drag may give the window.
  virtual SIZE FrameMinSize() { return {0, 0}; }
  // The skin manager draws popup menus (the system menu replaces the system's).
  virtual bool FrameSkinnedPopups() { return true; }
  virtual bool FrameMakeSkinMenu() { return true; }
  virtual TsSkinManager* FrameSkinManager() { return nullptr; }
  // The message to the form's previous window procedure (Result set by it).
  virtual void FramePassOn(TMessage& message) = 0;
  // The whole frame is painted again.
  virtual void FrameRepaint() = 0;
  // Outside outline mode: a system command (WM_SYSCOMMAND) and a size drag's step
  // (WM_SIZING) with what the frame adds; true when handled (Result set).
  virtual bool FrameSysCommand(TMessage&) { return false; }
  virtual bool FrameSizing(TMessage&) { return false; }
};

class TsFrameMouse {
 public:
  // For a skin provider: the frame is the provider's, the system menu the frame mouse's own.
  explicit TsFrameMouse(TsSkinProvider* provider);
  explicit TsFrameMouse(TsFrameHost& host);
  ~TsFrameMouse();
  TsFrameMouse(const TsFrameMouse&) = delete;
  TsFrameMouse& operator=(const TsFrameMouse&) = delete;

  // Looks the title-button masks of the provider's section up again (skin loaded or
  // changed, form definition read): "BICONMIN", "BICONMAX", "BICONCLOSE", "BICONHELP",
  // "BICONNORM", the same three again for the MDI child buttons, and "TITLEBUTTON" for custom buttons with
  // UseSkinData. No mask found: index -1, that button is not painted.
  void UpdateMasks();
  // The provider routes here in skinned mode: WM_NCHITTEST, WM_NCLBUTTONDOWN, WM_NCLBUTTONUP,
  // WM_NCLBUTTONDBLCLK, WM_NCRBUTTONDOWN, WM_NCRBUTTONUP, WM_NCMOUSEMOVE, WM_LBUTTONUP,
  // WM_MOUSEMOVE, WM_SIZING, WM_SYSCOMMAND, WM_MOUSELEAVE, WM_NCMOUSELEAVE, CM_MOUSELEAVE
  // (and WM_CAPTURECHANGED). True: answered here (message.Result set), the provider
  // returns. False: the provider passes the message on to the form's previous procedure.
  bool WndProc(TMessage& message);
  // The hit code of a point in window coordinates (origin at the window's top-left);
  // HTNOWHERE where the system answers.
  int HitTest(POINT window_point);
  // Lays the title buttons out and paints them, each in its state, into the provider's
  // cache bitmap. The frame painter calls it after the caption background (and the button
  // background copy) and before the caption text.
  void PaintTitleButtons(TBitmap* cache);
  // Lays the MDI child buttons out and paints them into the cache while the layout shows
  // them (else they get no rectangle); after the menu line and the button background copy.
  void PaintMDIButtons(TBitmap* cache);
  // The MDI buttons painted last are not the ones the layout shows now.
  bool MDIButtonsStale();
  // Copies the caption strip behind the buttons out of the cache (before the buttons are
  // painted) so one button can be repainted alone; for hosts without their own copy.
  void CopyButtonBackground(TBitmap* cache, TBitmap* copy);
  // Width of one title button in pixels, from the "BICONCLOSE" mask (21 without one).
  int ButtonWidth() const;
  // Standard buttons shown by the provider's BorderIcons, the form's BorderStyle and the
  // skin's masks.
  int StandardButtonCount() const;
  int CustomButtonCount() const;
  // The hit code of the button that is hot or pressed, 0 for none; ClearHot repaints it.
  int HotButton() const { return hot_; }
  void ClearHot() { SetHot(0); }
  // Shows, hides and enables the system menu's items by the form now.
  void UpdateSystemMenu();

  // The record of a title button by its hit code; null for other codes.
  TsTitleButtonData* ButtonOf(int code);
  int GetPressedButton() const { return pressed_; }
  void SetHot(int code);
  void SetPressed(int code);
  // An outline move or size runs (one at a time in the process) and where it is, in the
  // coordinates the window is placed in (an MDI child's: the MDI client's).
  static bool Dragging();
  static RECT DragOutline();

  void ShowSystemMenu(int x, int y);

 private:
  class TProviderHost;
  int MaskOf(int code);
  int ScreenHitTest(POINT screen, int incoming);
  void SetState(int code, int state);
  void RepaintButton(int code);
  // Asks the system for WM_NCMOUSELEAVE: a hot button is put back when the pointer leaves.
  void WatchLeave();
  void DrawButton(TBitmap* cache, int code, bool active);
  void Click(int code);
  void MDIChildCommand(int code);
  bool SysCommand(TMessage& message);
  bool Sizing(TMessage& message);
  bool NCLButtonDown(TMessage& message);
  bool ButtonUp(TMessage& message, int code);
  bool NCLButtonDblClk(TMessage& message);
  bool NCHitTest(TMessage& message);
  void StartDrag(int code, POINT screen);
  void DragTo(POINT screen);
  void EndDrag(bool apply);
  HWND Window();

  std::unique_ptr<TsFrameHost> own_host_;
  TsFrameHost* host_;
  // Minimize, maximize, close, help; the MDI child's minimize, restore, close.
  TsTitleButtonData buttons_[7];
  int norm_mask_ = -1;  // "BICONNORM": the restore glyph
  int hot_ = 0;
  int pressed_ = 0;
};
