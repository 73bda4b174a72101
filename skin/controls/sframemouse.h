// The mouse on a skinned form's frame: hit codes of the title buttons and the caption, the
// buttons' normal/hot/pressed states and their clicks, the system menu from the icon and the
// caption, and (resize mode rmBorder) moving and sizing with an inverted outline instead of
// the system's live resize. The form's skin provider owns one TsFrameMouse, gives it the
// frame through TsFrameHost and hands it the frame's mouse messages.
#pragma once

#include <windows.h>

#include "skin/controls/ssystemmenu.h"
#include "skin/controls/stitlebuttons.h"
#include "toolkit/forms.h"
#include "toolkit/messages.h"

class TBitmap;

// Hit codes beyond the system's: the MDI child buttons on an MDI form's menu line, and
// custom title button i as HTCUSTOMBUTTON + i.
constexpr int HTMDICLOSE = 101;
constexpr int HTMDIRESTORE = 102;
constexpr int HTMDIMINIMIZE = 103;
constexpr int HTCUSTOMBUTTON = 1000;

enum TsResizeMode { rmStandard, rmBorder };

// Frame bands of a border style, from the system metrics.
struct TsFrameMetrics {
  int FrameWidth = 0;
  int FrameHeight = 0;
  int CaptionHeight = 0;
};
TsFrameMetrics FrameMetricsOf(TFormBorderStyle style);
// The size of a title button from the section's "BICONCLOSE" mask; 21 x 21 without one.
SIZE TitleButtonSize(int skin_index);

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
  int ButtonTop() const;
  // Left edge of button slot k (1: rightmost).
  int SlotLeft(int k) const;
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
  virtual TsResizeMode FrameResizeMode() = 0;
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
  // The message to the form's previous window procedure (Result set by it).
  virtual void FramePassOn(TMessage& message) = 0;
  // The whole frame is painted again.
  virtual void FrameRepaint() = 0;
};

class TsFrameMouse {
 public:
  explicit TsFrameMouse(TsFrameHost& host) : host_(host) {}
  ~TsFrameMouse();
  TsFrameMouse(const TsFrameMouse&) = delete;
  TsFrameMouse& operator=(const TsFrameMouse&) = delete;

  // Takes the button masks of the section ("BICONMIN", "BICONMAX", "BICONCLOSE",
  // "BICONHELP", "TITLEBUTTON") after a skin change.
  void UpdateMaskIndexes(int skin_index);
  // Lays the title buttons out and draws them into the frame's cache.
  void PaintTitleButtons(TBitmap* cache);
  // Copies the caption strip behind the buttons out of the cache (before the buttons are
  // painted) so one button can be repainted alone.
  void CopyButtonBackground(TBitmap* cache, TBitmap* copy);

  // A frame message: true when answered here (Result set), false when the provider passes
  // it on. WM_NCHITTEST, WM_NCLBUTTONDOWN/UP/DBLCLK, WM_NCRBUTTONDOWN/UP, WM_LBUTTONUP,
  // WM_MOUSEMOVE, WM_CAPTURECHANGED, WM_MOUSELEAVE, WM_NCMOUSELEAVE, CM_MOUSELEAVE.
  bool Handle(TMessage& message);
  // The hit code of a screen point (incoming: the system's answer, see FrameHitTest).
  int HitTest(POINT screen, int incoming = HTNOWHERE);

  // The record of a title button by its hit code; null for other codes.
  TsTitleButtonData* ButtonOf(int code);
  int GetHotButton() const { return hot_; }
  int GetPressedButton() const { return pressed_; }
  void SetHot(int code);
  void SetPressed(int code);
  void ClearHot() { SetHot(0); }
  // An outline move or size runs (one at a time in the process).
  static bool Dragging();
  static RECT DragOutline();

  void ShowSystemMenu(int x, int y);

 private:
  void SetState(int code, int state);
  void RepaintButton(int code);
  void DrawButton(TBitmap* cache, int code, bool active);
  void Click(int code);
  bool NCLButtonDown(TMessage& message);
  bool ButtonUp(TMessage& message, int code);
  bool NCLButtonDblClk(TMessage& message);
  bool NCHitTest(TMessage& message);
  void StartDrag(int code, POINT screen);
  void DragTo(POINT screen);
  void EndDrag(bool apply);
  HWND Window();

  TsFrameHost& host_;
  // Minimize, maximize, close, help.
  TsTitleButtonData buttons_[4];
  int norm_mask_ = -1;  // "BICONNORM": the restore glyph
  int hot_ = 0;
  int pressed_ = 0;
};
