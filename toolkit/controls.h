// Controls: the visual components. TControl is the common base (bounds, alignment, colour,
// font, text, mouse input, the message chain); TGraphicControl has no window and draws on its
// parent; TWinControl owns a window (its own class, or a system class it superclasses) and
// hosts child controls; TCustomControl is a windowed control that paints itself.
//
// Message chain of every control: the window's procedure (windowed controls) → WindowProc (a
// replaceable method reference, WndProc by default) → WndProc → the class tables (see
// messages.h) → DefaultHandler, which for windowed controls calls the original class procedure
// with the record's current parameters. Perform enters at WindowProc; a message sent to the
// window enters at the window procedure, where a Win32 subclass sees it first.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/anchors.h"
#include "toolkit/canvas.h"
#include "toolkit/colors.h"
#include "toolkit/components.h"
#include "toolkit/events.h"
#include "toolkit/graphics.h"
#include "toolkit/messages.h"
#include "toolkit/sets.h"
#include "toolkit/sysutils.h"

class TControl;
class TWinControl;
class TCustomForm;
class TPopupMenu;
class TBasicAction;
class TControlActionLink;
class TDragObject;
class TDragDockObject;

TK_EXCEPTION(EInvalidOperation, Exception)

// alCustom: placed by the control itself; the parent's alignment leaves it where it is.
enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
// Horizontal alignment of a control's text (labels, panels, check boxes, list columns).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
class TEnumInfo;
// Its value names, for published properties.
const TEnumInfo& AlignmentInfo();
// Reading order: every right-to-left mode reads text from the right; bdRightToLeft also
// lays the control out from the right.
enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
const TEnumInfo& BiDiModeInfo();
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag { ssShift, ssAlt, ssCtrl, ssLeft, ssRight, ssMiddle, ssDouble };
using TShiftState = TSet<TShiftStateFlag>;

// What a control class is like; set by constructors.
enum TControlStyleFlag {
  csAcceptsControls,  // a container: children may be placed on it
  csCaptureMouse,     // keeps the mouse while a button is held
  csClickEvents,      // a press and release inside is a Click
  csFramed,
  csSetCaption,    // the component name becomes the caption when named
  csOpaque,        // paints all of its area: the parent does not erase below it
  csDoubleClicks,  // gets DblClick (else a double click is a second press)
  csReplicatable,
  csNoStdEvents,       // no OnMouse*/OnKey* events
  csParentBackground,  // shows the parent's background where it does not paint
  csNeedsBorderPaint,
};
using TControlStyle = TSet<TControlStyleFlag>;

// What a control is doing now.
enum TControlStateFlag {
  csLButtonDown,
  csClicked,          // a press that may become a Click
  csReadingState,     // its properties are being read from a form definition
  csAlignmentNeeded,  // an alignment was asked for while disabled
  csFocusing,         // taking the focus
  csCreating,         // its window is being created
  csPaintCopy,        // painting into a copy (not on the screen)
  csCustomPaint,
  csDestroyingHandle,
};
using TControlState = TSet<TControlStateFlag>;

// Mouse cursors: crDefault means the parent's (or the class's) cursor; negative values are
// the system's cursors.
using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crNone = -1;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crSizeNESW = -6;
constexpr TCursor crSizeNS = -7;
constexpr TCursor crSizeNWSE = -8;
constexpr TCursor crSizeWE = -9;
constexpr TCursor crUpArrow = -10;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crAppStart = -19;
constexpr TCursor crHelp = -20;
constexpr TCursor crHandPoint = -21;
constexpr TCursor crSizeAll = -22;
// The cursors of a drag: over a target that takes the drop, and over one that refuses it.
constexpr TCursor crDrag = -12;
constexpr TCursor crNoDrop = -13;
// The system cursor of a TCursor (the arrow for unknown values); null for crNone.
HCURSOR CursorHandle(TCursor cursor);

using TMouseEvent = TEvent<TObject* /*sender*/, TMouseButton, TShiftState, int /*x*/, int /*y*/>;
using TMouseMoveEvent = TEvent<TObject* /*sender*/, TShiftState, int /*x*/, int /*y*/>;
using TKeyEvent = TEvent<TObject* /*sender*/, WORD& /*key*/, TShiftState>;
using TKeyPressEvent = TEvent<TObject* /*sender*/, char& /*key*/>;
using TContextPopupEvent = TEvent<TObject* /*sender*/, POINT /*mouse*/, bool& /*handled*/>;

// Drag and drop and docking (the drag itself is in dragdock.h). dmAutomatic starts a drag when
// the left button moves past the drag threshold; a dkDock drag moves the control into a dock
// site or floats it.
enum TDragMode { dmManual, dmAutomatic };
enum TDragKind { dkDrag, dkDock };
enum TDragState { dsDragEnter, dsDragLeave, dsDragMove };
const TEnumInfo& DragModeInfo();
const TEnumInfo& DragKindInfo();
// The source is the drag object OnStartDrag gave, else the dragged control; x and y are in the
// client coordinates of the control the event belongs to.
using TStartDragEvent = TEvent<TObject* /*sender*/, TDragObject*& /*drag_object*/>;
using TDragOverEvent =
    TEvent<TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/, TDragState, bool& /*accept*/>;
using TDragDropEvent = TEvent<TObject* /*sender*/, TObject* /*source*/, int /*x*/, int /*y*/>;
// The target is null for a drag that was cancelled or dropped where nothing took it.
using TEndDragEvent = TEvent<TObject* /*sender*/, TObject* /*target*/, int /*x*/, int /*y*/>;
using TStartDockEvent = TEvent<TObject* /*sender*/, TDragDockObject*& /*drag_object*/>;
using TDockOverEvent = TEvent<TObject* /*sender*/, TDragDockObject* /*source*/, int /*x*/, int /*y*/,
                              TDragState, bool& /*accept*/>;
using TDockDropEvent = TEvent<TObject* /*sender*/, TDragDockObject* /*source*/, int /*x*/, int /*y*/>;
using TUnDockEvent =
    TEvent<TObject* /*sender*/, TControl* /*client*/, TWinControl* /*new_target*/, bool& /*allow*/>;

// The state of an owner-drawn item (menus, list and combo boxes): the ODS_ bits of its
// DRAWITEMSTRUCT, one flag per bit, so OwnerDrawState(item_state) is a plain conversion.
enum TOwnerDrawStateFlag {
  odSelected,
  odGrayed,
  odDisabled,
  odChecked,
  odFocused,
  odDefault,
  odHotLight,
  odInactive,
  odNoAccel,
  odNoFocusRect,
  odReserved1,
  odReserved2,
  odComboBoxEdit,
};
using TOwnerDrawState = TSet<TOwnerDrawStateFlag>;
inline TOwnerDrawState OwnerDrawState(UINT item_state) {
  return TOwnerDrawState::FromBits(item_state & 0x1FFF);
}

// The shift state of a mouse message's WParam, or of the keyboard now.
TShiftState MouseShiftState(WPARAM wparam);
TShiftState KeyboardShiftState();
// The shift state of a key message's key data (Alt from bit 29) plus Shift and Ctrl now.
TShiftState KeyDataToShiftState(LPARAM key_data);

// ---- Canvas of a control -----------------------------------------------------------------

// Draws on a control outside painting: on its window (windowed) or on the part of the parent's
// window it covers (graphic: origin moved to the control, clipped to it). The device context
// is taken when first needed and given back by FreeHandle, by the message loop when idle
// (FreeDeviceContexts), and when the control's window goes away.
class TControlCanvas : public TCanvas {
  TK_CLASS(TControlCanvas, TCanvas)

 public:
  TControlCanvas() = default;
  ~TControlCanvas() override;

  TControl* GetControl() const { return control_; }
  void SetControl(TControl* control);
  // Gives a device context taken by the canvas back; a DC bound with SetHandle is unbound.
  void FreeHandle();

 protected:
  void CreateHandle() override;

 private:
  TControl* control_ = nullptr;
  HDC window_dc_ = nullptr;  // taken with GetDCEx, released with ReleaseDC
  HWND dc_window_ = nullptr;
};

// Gives back the device contexts of every control canvas that is not locked.
void FreeDeviceContexts();

// ---- TControl ----------------------------------------------------------------------------

class TControl : public TComponent {
  TK_CLASS(TControl, TComponent)

 public:
  explicit TControl(TComponent* owner);
  ~TControl() override;
  void BeforeDestruction() override;

  // ---- Messages
  static const TMessageMap* StaticMessageMap();
  virtual const TMessageMap* GetMessageMap() const;
  // The replaceable entry of the chain; WndProc by default. A replacement passes messages on
  // to the method it replaced.
  TWndMethod WindowProc;
  virtual void WndProc(TMessage& message);
  // Hands a message to the class tables (most derived first).
  void Dispatch(TMessage& message);
  // For messages no table handles: graphic controls answer the text messages from the
  // cached text; windowed controls call the original window procedure.
  virtual void DefaultHandler(TMessage& message);
  // Sends a message through WindowProc directly (a Win32 subclass does not see it).
  LRESULT Perform(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);

  // ---- Parent and bounds
  TWinControl* GetParent() const { return parent_; }
  // Moves the control into another container (null takes it out); raises EInvalidOperation
  // for itself or one of its own children.
  virtual void SetParent(TWinControl* parent);
  TComponent* GetParentComponent() const override;
  void SetParentComponent(TComponent* parent) override;
  // With csSetCaption, a control whose text is its old name shows the new name.
  void SetName(const std::string& name) override;

  int GetLeft() const { return left_; }
  int GetTop() const { return top_; }
  int GetWidth() const { return width_; }
  int GetHeight() const { return height_; }
  void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
  void SetTop(int top) { SetBounds(left_, top, width_, height_); }
  void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
  void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
  // In the parent's client coordinates (the screen's for top-level windows). Unchanged
  // values do nothing; negative sizes count as 0.
  virtual void SetBounds(int left, int top, int width, int height);
  RECT GetBoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  void SetBoundsRect(const RECT& r) { SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); }
  // The client area in the control's own coordinates. A control may narrow it to the room its
  // children or its text take (a group box's caption band).
  virtual RECT GetClientRect();
  // The client area as the window has it (the control's bounds without a window): where the
  // mouse counts as inside and what painting covers, whatever GetClientRect narrows.
  RECT WindowClientRect();
  int GetClientWidth();
  int GetClientHeight();
  virtual void SetClientWidth(int width);
  virtual void SetClientHeight(int height);
  // The screen position of the client area's top-left corner.
  virtual POINT GetClientOrigin();
  POINT ClientToScreen(POINT point);
  POINT ScreenToClient(POINT point);

  TAlign GetAlign() const { return align_; }
  void SetAlign(TAlign align);
  // The parent's edges the control follows when the parent's client area changes size (an
  // unaligned control only); from its bounds when last placed other than by the anchors.
  TAnchors GetAnchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors);
  // Limits every bounds change (SetBounds, alignment, anchors, auto-size, a form's frame).
  TSizeConstraints* GetConstraints() const { return constraints_; }
  void SetConstraints(TSizeConstraints* constraints) { constraints_->Assign(constraints); }

  // ---- State
  bool GetVisible() const { return visible_; }
  virtual void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible and every parent visible, up to a shown top-level window.
  virtual bool GetShowing();
  bool GetEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  TColor GetColor() const { return color_; }
  void SetColor(TColor color);
  bool GetParentColor() const { return parent_color_; }
  void SetParentColor(bool parent_color);
  TFont* GetFont() const { return font_; }
  void SetFont(TFont* font);
  bool GetParentFont() const { return parent_font_; }
  void SetParentFont(bool parent_font);
  // The text is cached in the object: reading it never sends WM_GETTEXT.
  const std::string& GetText() const { return text_; }
  void SetText(const std::string& text);
  const std::string& GetCaption() const { return text_; }
  void SetCaption(const std::string& caption) { SetText(caption); }
  const std::string& GetHint() const { return hint_; }
  void SetHint(const std::string& hint) { hint_ = hint; }
  bool GetShowHint() const { return show_hint_; }
  void SetShowHint(bool show_hint);
  bool GetParentShowHint() const { return parent_show_hint_; }
  void SetParentShowHint(bool parent_show_hint);
  // Whether a form definition stores the control's ShowHint: not while it follows the parent.
  static bool ShowHintStored(TObject* control);
  TCursor GetCursor() const { return cursor_; }
  void SetCursor(TCursor cursor);
  // ---- Reading order. With ParentBiDiMode the control follows its parent's BiDiMode;
  // setting BiDiMode clears ParentBiDiMode. A change is announced by CM_BIDIMODECHANGED.
  TBiDiMode GetBiDiMode() const { return bidi_mode_; }
  void SetBiDiMode(TBiDiMode mode);
  bool GetParentBiDiMode() const { return parent_bidi_mode_; }
  void SetParentBiDiMode(bool parent_bidi_mode);
  bool UseRightToLeftReading() const { return bidi_mode_ != bdLeftToRight; }
  bool UseRightToLeftAlignment() const { return bidi_mode_ == bdRightToLeft; }
  TControlStyle GetControlStyle() const { return control_style_; }
  void SetControlStyle(TControlStyle style) { control_style_ = style; }
  TControlState GetControlState() const { return control_state_; }
  void SetControlState(TControlState state) { control_state_ = state; }
  // While the mouse is captured for this control (SetCapture on its window or, for a
  // graphic control, on its parent's, with the messages routed to it).
  bool GetMouseCapture() const;
  void SetMouseCapture(bool capture);
  // The menu a right click (or the context-menu key) opens unless OnContextPopup handles
  // it; null for none. Without one the parent's menu opens.
  TPopupMenu* GetPopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);
  // The action whose caption, enabled state, hint and visibility the control follows (see
  // actions.h), and which a click runs when there is no OnClick; null for none.
  TBasicAction* GetAction() const;
  void SetAction(TBasicAction* action);
  TControlActionLink* GetActionLink() const { return action_link_; }

  // ---- Painting and z-order
  virtual void Invalidate();
  // Paints now (graphic opaque controls straight onto the parent's window).
  virtual void Repaint();
  // Paints what is invalid now.
  virtual void Update();
  void Refresh() { Repaint(); }
  void BringToFront();
  void SendToBack();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseMoveEvent OnMouseMove;
  TMouseEvent OnMouseUp;
  TNotifyEvent OnResize;
  TContextPopupEvent OnContextPopup;

  // ---- Drag and drop, docking (dragdock.cpp)
  TDragMode GetDragMode() const { return drag_mode_; }
  void SetDragMode(TDragMode mode) { drag_mode_ = mode; }
  TDragKind GetDragKind() const { return drag_kind_; }
  void SetDragKind(TDragKind kind) { drag_kind_ = kind; }
  TCursor GetDragCursor() const { return drag_cursor_; }
  void SetDragCursor(TCursor cursor) { drag_cursor_ = cursor; }
  // Starts dragging the control: at once, or once the mouse has moved more than threshold
  // pixels from where it is now (-1: the system's drag threshold) while the drag is pending.
  void BeginDrag(bool immediate, int threshold = -1);
  // Ends the control's drag: dropped where the cursor is, or cancelled.
  void EndDrag(bool drop);
  // While the control's drag is pending or under way.
  bool Dragging() const;
  // Moves the control into a dock site, aligned so (alNone: at the site's top-left with its
  // size); false when the site or the control's current site (OnUnDock) refuses.
  bool ManualDock(TWinControl* site, TAlign align = alNone);
  // Floats the control in a tool window of its own whose client area is at the screen rect.
  bool ManualFloat(const RECT& screen);
  // Whether the control lives in a floating tool window.
  bool GetFloating() const;

  TDragOverEvent OnDragOver;
  TDragDropEvent OnDragDrop;
  TStartDragEvent OnStartDrag;
  TEndDragEvent OnEndDrag;
  TStartDockEvent OnStartDock;
  TEndDragEvent OnEndDock;

 protected:
  // Raises OnClick; without one, runs the action.
  virtual void Click();
  // Tells the parent (CM_CHANGED) that the control's value changed.
  void Changed();
  virtual void DblClick();
  // The base raises the event; overrides call inherited first, so OnMouseDown comes before
  // the control's own press handling.
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  // After the size changed; raises OnResize.
  virtual void Resize();
  virtual void DoContextPopup(POINT mouse, bool& handled);
  void Notification(TComponent* component, TOperation operation) override;
  void Loaded() override;

  // Asks the parent to align its children again (when this control is aligned).
  virtual void RequestAlign();
  // Invalidates the control's area on the parent's window.
  void InvalidateControl(bool erase);
  // Inside a handler: the message handling of the ancestors (see TK_INHERITED).
  void DispatchFrom(const TMessageMap* map, TMessage& message);
  // Called by SetParent after the parent changed (the window follows in TWinControl).
  virtual void ParentChanged(TWinControl* old_parent);
  // Moves the control to the top or the bottom of its siblings.
  virtual void SetZOrder(bool top_most);
  // The bounds fields without side effects (window position notifications).
  void StoreBounds(int left, int top, int width, int height);
  // The current bounds and the parent's client size become what the anchors measure from.
  void UpdateAnchorOrigin();
  // The text field without side effects: the window changed its text itself (typing).
  void StoreText(const std::string& text) { text_ = text; }
  bool IsReading() const;
  // Takes the action's caption, enabled state, hint and visibility; with check_defaults only
  // where the control still has its default value (the control's own definition wins).
  virtual void ActionChange(TObject* sender, bool check_defaults);
  // Makes the link SetAction ties the control with; controls with more to link make their own.
  virtual TControlActionLink* CreateActionLink();
  // The drag's events. DragOver accepts only with an OnDragOver (which may refuse).
  virtual void DoStartDrag(TDragObject*& drag_object);
  virtual void DragOver(TObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DragDrop(TObject* source, int x, int y);
  virtual void DoEndDrag(TObject* target, int x, int y);
  virtual void DoStartDock(TDragDockObject*& drag_object);
  virtual void DoEndDock(TObject* target, int x, int y);

  TControlStyle control_style_;
  TControlState control_state_;

 private:
  friend class TWinControl;
  friend class TCustomForm;
  friend class TDragSession;
  static void Publish(TPublisher<TControl>& p);
  void FontChanged(TObject* sender);
  void ConstraintsChanged(TObject* sender);
  // Placed by the parent's anchoring: the bounds follow the anchors, not the origin.
  void AnchorTo(int parent_width, int parent_height);
  void MouseButtonDown(TMessage& message, TMouseButton button, bool double_click);
  void MouseButtonUp(TMessage& message, TMouseButton button);

  void WMLButtonDown(TMessage& message);
  void WMLButtonDblClk(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void WMRButtonDown(TMessage& message);
  void WMRButtonDblClk(TMessage& message);
  void WMRButtonUp(TMessage& message);
  void WMMButtonDown(TMessage& message);
  void WMMButtonDblClk(TMessage& message);
  void WMMButtonUp(TMessage& message);
  void WMMouseMove(TMessage& message);
  void WMCancelMode(TMessage& message);
  void WMContextMenu(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMParentColorChanged(TMessage& message);
  void CMParentFontChanged(TMessage& message);
  void CMParentShowHintChanged(TMessage& message);
  void CMParentBiDiModeChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMVisibleChanged(TMessage& message);
  void CMHitTest(TMessage& message);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);

  TWinControl* parent_ = nullptr;
  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = kDefaultAnchors;
  TAnchorOrigin anchor_origin_;
  bool anchoring_ = false;
  TSizeConstraints* constraints_;
  bool visible_ = true;
  bool enabled_ = true;
  TColor color_ = clWindow;
  bool parent_color_ = false;
  TFont* font_ = nullptr;
  bool parent_font_ = true;
  std::string text_;
  std::string hint_;
  bool show_hint_ = false;
  bool parent_show_hint_ = true;
  TBiDiMode bidi_mode_ = bdLeftToRight;
  bool parent_bidi_mode_ = true;
  TCursor cursor_ = crDefault;
  TDragMode drag_mode_ = dmManual;
  TDragKind drag_kind_ = dkDrag;
  TCursor drag_cursor_ = crDrag;
  TPopupMenu* popup_menu_ = nullptr;
  TControlActionLink* action_link_ = nullptr;
};

// The control whose events and mouse capture are under way (graphic controls included).
TControl* GetCaptureControl();
void SetCaptureControl(TControl* control);
// The control the mouse is over (the innermost: a graphic child rather than its parent).
TControl* GetMouseControl();
namespace tk_detail {
// Makes the mouse control leave when the cursor is no longer over its window (when idle).
void CheckMouseControl();
// Where the cursor is, as enter and leave judge it. Tests put a source of their own in
// place to drive enter and leave by messages alone; null restores the system's cursor.
using TCursorSource = bool (*)(POINT* screen);
void SetCursorSource(TCursorSource source);
bool CursorPos(POINT* screen);
// Lends a paint DC to a control's canvas (locked) while paint runs, on every path.
void PaintOnCanvas(TControlCanvas* canvas, HDC dc, const std::function<void()>& paint);
}  // namespace tk_detail
// The toolkit control of a window of this process; null for other windows.
TWinControl* FindControl(HWND window);
// The control under a screen point: the innermost windowed control, or its graphic child.
TControl* FindDragTarget(POINT screen, bool allow_disabled);
// The form a control is on (its top-level parent, if that is a form).
TCustomForm* GetParentForm(TControl* control);
// Whether key is the accelerator of a caption: the character after a single '&' ("&&" is a
// plain '&'), compared without case.
bool IsAccel(WPARAM key, std::string_view caption);

// ---- TGraphicControl ----------------------------------------------------------------------

// A control without a window: painted by its parent's WM_PAINT in z-order (or when sent
// WM_PAINT with a DC in WParam), given mouse messages by its parent.
class TGraphicControl : public TControl {
  TK_CLASS(TGraphicControl, TControl)
  TK_MESSAGE_MAP

 public:
  explicit TGraphicControl(TComponent* owner);
  ~TGraphicControl() override;

  TCanvas* GetCanvas() const { return canvas_; }

 protected:
  virtual void Paint() {}

 private:
  void WMPaint(TMessage& message);

  TControlCanvas* canvas_;
};

// ---- TWinControl --------------------------------------------------------------------------

// What CreateWnd passes to CreateWindowExA. CreateParams fills it; a control that wraps a
// system class calls CreateSubClass(params, "EDIT") there.
struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  WNDCLASSA WindowClass{};           // lpfnWndProc: the procedure DefaultHandler passes messages to
  WNDPROC UnicodeWndProc = nullptr;  // the system class's procedure in its Unicode form
  std::string WinClassName;          // our own class, registered on first use
};

class TWinControl : public TControl {
  TK_CLASS(TWinControl, TControl)
  TK_MESSAGE_MAP

 public:
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;
  void BeforeDestruction() override;

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;

  // ---- Window
  // Creates the window (and its parents') on first use.
  HWND GetHandle();
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded();
  // Destroys the window and creates it again (new styles take effect); the state the
  // object holds (bounds, text, font, children) carries over.
  void RecreateWnd();
  // The original class procedure that DefaultHandler calls.
  WNDPROC GetDefWndProc() const { return def_wnd_proc_; }
  // The same procedure in its Unicode form (null for a class of our own): called with
  // CallWindowProcW, it takes requests for texts without the system's conversion between
  // the two forms, which copies item texts through a buffer of its own size.
  WNDPROC GetDefWndProcW() const { return def_wnd_proc_w_; }
  // The window's text as its class's procedure has it (no subclass sees the request).
  std::string ClassWindowText();
  bool GetShowing() override;
  void SetVisible(bool visible) override;
  void SetBounds(int left, int top, int width, int height) override;
  RECT GetClientRect() override;
  POINT GetClientOrigin() override;
  void Invalidate() override;
  void Repaint() override;
  void Update() override;

  // ---- Children: graphic controls first, then windowed ones, each in z-order (bottom first)
  int GetControlCount() const { return static_cast<int>(controls_.size() + win_controls_.size()); }
  TControl* GetControl(int index) const;
  bool ContainsControl(TControl* control) const;
  // The topmost visible child under a client point: graphic children, and windowed ones when
  // asked for; disabled ones only when allowed.
  TControl* ControlAtPos(POINT point, bool allow_disabled, bool allow_windowed = false);
  // Sends the message to every child until one answers with a nonzero result.
  void Broadcast(TMessage& message);
  // Sends a new message to every child (results are ignored).
  void NotifyControls(UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);

  // ---- Alignment
  void DisableAlign();
  void EnableAlign();
  void Realign();
  int GetBorderWidth() const { return border_width_; }
  void SetBorderWidth(int width);

  // ---- Focus and keys
  bool GetTabStop() const { return tab_stop_; }
  void SetTabStop(bool tab_stop);
  // The position among the parent's windowed children in tab order; -1 without parent.
  int GetTabOrder() const;
  void SetTabOrder(int order);
  // Visible and enabled with all its parents.
  virtual bool CanFocus();
  virtual bool Focused();
  virtual void SetFocus();
  // The windowed controls below this one in tab order (depth first).
  void GetTabOrderList(std::vector<TWinControl*>& list);
  // The next (or previous) control after current in tab order that can take the focus;
  // check_parent limits it to current's own siblings. Null when there is none.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool check_tab_stop, bool check_parent);
  void SelectNext(TWinControl* current, bool forward, bool check_tab_stop);

  // Paints the control and its children (windowed ones too) into a device context with the
  // window's top-left corner at (x, y): a picture of it without reading the screen.
  void PaintTo(HDC dc, int x, int y);

  bool GetDoubleBuffered() const { return double_buffered_; }
  void SetDoubleBuffered(bool value) { double_buffered_ = value; }
  // The brush the background is erased with (Color).
  TBrush* GetBrush() const { return brush_; }

  // ---- 3-D look. With ParentCtl3D the control follows its parent's Ctl3D; setting Ctl3D
  // clears ParentCtl3D. A single border is sunken with Ctl3D and a flat line without.
  bool GetCtl3D() const { return ctl3d_; }
  void SetCtl3D(bool ctl3d);
  bool GetParentCtl3D() const { return parent_ctl3d_; }
  void SetParentCtl3D(bool parent_ctl3d);

  TKeyEvent OnKeyDown;
  TKeyPressEvent OnKeyPress;
  TKeyEvent OnKeyUp;
  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;

  // ---- Docking (dragdock.cpp): a dock site takes controls dropped on it by a dkDock drag.
  bool GetDockSite() const { return dock_site_; }
  void SetDockSite(bool dock_site) { dock_site_ = dock_site; }
  TDockOverEvent OnDockOver;
  TDockDropEvent OnDockDrop;
  TUnDockEvent OnUnDock;

 protected:
  virtual void CreateParams(TCreateParams& params);
  // The window style of a single border as Ctl3D wants it.
  void AddSingleBorder(TCreateParams& params) const;
  // Takes a system class (EDIT, BUTTON, SysListView32, ...) as the base of ours: its class
  // data, extra bytes and procedure (which DefaultHandler then calls).
  void CreateSubClass(TCreateParams& params, const char* system_class);
  virtual void CreateWnd();
  virtual void CreateHandle();
  virtual void DestroyWnd();
  void DestroyHandle();
  // Answers WM_GETTEXT or WM_GETTEXTLENGTH in ANSI from the class's Unicode answer.
  void AnswerTextRequest(TMessage& message);
  // Called once the window exists (children windows are created after it).
  virtual void CreateWindowHandle(const TCreateParams& params);

  // Places the aligned children inside rect (the client area minus BorderWidth).
  virtual void AlignControls(TControl* control, RECT& rect);
  virtual void AdjustClientRect(RECT& rect);
  void Loaded() override;
  void ParentChanged(TWinControl* old_parent) override;
  void SetZOrder(bool top_most) override;

  // Key handling; setting key to 0 swallows the key.
  virtual void KeyDown(WORD& key, TShiftState shift);
  virtual void KeyPress(char& key);
  virtual void KeyUp(WORD& key, TShiftState shift);
  // A key message through the form's key preview and the key events; true when swallowed
  // (key 0), else the message carries the key as changed. Also for windows inside the control
  // that are not controls of their own (a combo box's edit).
  bool DoKeyDown(TMessage& message);
  bool DoKeyPress(TMessage& message);
  bool DoKeyUp(TMessage& message);
  virtual void DoEnter();
  virtual void DoExit();

  // Painting: the window itself with Perform(WM_PAINT, dc), then the graphic children.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc, TControl* first);
  void PaintHandler(TMessage& message);

  bool IsControlMouseMsg(TMessage& message);

  // A site accepts a dock unless OnDockOver refuses; DockDrop raises OnDockDrop after the
  // control moved in; DoUnDock asks OnUnDock whether a docked control may leave.
  virtual void DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept);
  virtual void DockDrop(TDragDockObject* source, int x, int y);
  virtual bool DoUnDock(TWinControl* new_target, TControl* client);

  HWND handle_ = nullptr;
  WNDPROC def_wnd_proc_ = nullptr;
  WNDPROC def_wnd_proc_w_ = nullptr;

 private:
  friend class TControl;
  friend class TCustomForm;
  friend class TDragSession;
  friend LRESULT CALLBACK ControlWindowProc(HWND, UINT, WPARAM, LPARAM);
  static void Publish(TPublisher<TWinControl>& p);

  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  void AlignChildren();
  void AnchorChildren();
  void UpdateBounds();
  void UpdateWindowFont();
  void TrackMouse(bool non_client);
  void UpdateMouseOver(const TMessage& message);
  bool SpecialKey(TMessage& message);
  void ReflectTo(HWND child, TMessage& message);

  void WMPaint(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMPrintClient(TMessage& message);
  void WMWindowPosChanged(TMessage& message);
  void WMSize(TMessage& message);
  void WMSetText(TMessage& message);
  void WMSetFocus(TMessage& message);
  void WMKillFocus(TMessage& message);
  void WMKeyDown(TMessage& message);
  void WMKeyUp(TMessage& message);
  void WMChar(TMessage& message);
  void WMSysKeyDown(TMessage& message);
  void WMSysKeyUp(TMessage& message);
  void WMSysChar(TMessage& message);
  void WMCommand(TMessage& message);
  void WMNotify(TMessage& message);
  void WMScroll(TMessage& message);
  void WMCtlColor(TMessage& message);
  void WMItemMessage(TMessage& message);
  void WMSetCursor(TMessage& message);
  void WMMouseLeave(TMessage& message);
  void WMNCMouseMove(TMessage& message);
  void WMNCDestroy(TMessage& message);
  void CNKeyDown(TMessage& message);
  void CNChar(TMessage& message);
  void CNSysKeyDown(TMessage& message);
  void CNSysChar(TMessage& message);
  void CNCtlColor(TMessage& message);
  void CMColorChanged(TMessage& message);
  void CMFontChanged(TMessage& message);
  void CMEnabledChanged(TMessage& message);
  void CMShowHintChanged(TMessage& message);
  void CMBiDiModeChanged(TMessage& message);
  void CMCtl3DChanged(TMessage& message);
  void CMParentCtl3DChanged(TMessage& message);
  void CMDialogKey(TMessage& message);
  void CMDialogChar(TMessage& message);
  void CMEnter(TMessage& message);
  void CMExit(TMessage& message);
  void CMRecreateWnd(TMessage& message);
  void CMSysColorChange(TMessage& message);
  void CMChildKey(TMessage& message);
  void CMFocusChanged(TMessage& message);
  void WMCaptureChanged(TMessage& message);

  std::vector<TControl*> controls_;         // graphic children
  std::vector<TWinControl*> win_controls_;  // windowed children
  std::vector<TWinControl*> tab_list_;      // windowed children in tab order
  TBrush* brush_;
  TFont* window_font_ = nullptr;  // the copy of Font whose handle the window uses
  int align_level_ = 0;
  bool aligning_ = false;
  int border_width_ = 0;
  bool tab_stop_ = false;
  int pending_tab_order_ = -1;
  bool double_buffered_ = false;
  bool ctl3d_ = true;
  bool parent_ctl3d_ = true;
  bool dock_site_ = false;
  bool tracking_mouse_ = false;
  bool tracking_non_client_ = false;
};

// ---- TCustomControl -----------------------------------------------------------------------

// A windowed control of its own class that paints itself with Paint on Canvas. The canvas is
// usable outside painting too (it then draws on the window directly).
class TCustomControl : public TWinControl {
  TK_CLASS(TCustomControl, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomControl(TComponent* owner);
  ~TCustomControl() override;

  TCanvas* GetCanvas() const { return canvas_; }

 protected:
  virtual void Paint() {}
  void PaintWindow(HDC dc) override;

 private:
  void WMPaint(TMessage& message);

  TControlCanvas* canvas_;
};

// Registers the window class of a control class on first use and creates windows of it; also
// the window procedure every toolkit window has.
LRESULT CALLBACK ControlWindowProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
