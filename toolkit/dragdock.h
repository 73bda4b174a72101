// Drag and drop and docking of controls, windowed and windowless.
//
// A drag belongs to one control at a time. BeginDrag (or a left press on a control whose
// DragMode is dmAutomatic) makes it pending: the control keeps the mouse, and the drag starts
// once the mouse has moved past the threshold (a release before that is an ordinary click).
// While it runs, the control under the cursor (FindDragTarget: windows, then their windowless
// children by ControlAtPos) hears OnDragOver with enter, move and leave and says whether it
// takes the drop; the cursor shows DragCursor or crNoDrop. The left button's release drops;
// Escape, the right button or the loss of the mouse capture cancel. OnEndDrag tells the
// dragged control the target (null when none took it) and the point (in the target's client
// coordinates, the screen's without one).
//
// A dkDock drag looks for a dock site instead (the first windowed control with DockSite up
// from the control under the cursor): dropped there the control moves into it, aligned by
// the dock object's DropAlign (from where it was dropped; OnDockOver may change it), and the
// site hears OnDockDrop; dropped anywhere else, or on a site that refuses, it floats in a tool
// window of its own, which goes away when the control is docked again.
#pragma once

#include <windows.h>

#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/typinfo.h"

// What travels with a drag.
class TDragObject : public TObject {
  TK_CLASS(TDragObject, TObject)

 public:
  // Where the cursor is, on the screen.
  POINT GetDragPos() const { return drag_pos_; }
  // The control under the cursor that the drag is over; null over nothing of ours.
  TControl* GetDragTarget() const { return drag_target_; }
  // Whether the target under the cursor takes the drop.
  bool GetAccepted() const { return accepted_; }
  bool GetCancelling() const { return cancelling_; }
  bool GetDropped() const { return dropped_; }
  // The cursor to show over a target that accepts or refuses.
  virtual TCursor GetDragCursor(bool accepted, int x, int y);

 private:
  friend class TDragSession;
  POINT drag_pos_{};
  TControl* drag_target_ = nullptr;
  bool accepted_ = false;
  bool cancelling_ = false;
  bool dropped_ = false;
};

// The object of a drag that carries a control; the source the events see is the control.
class TDragControlObject : public TDragObject {
  TK_CLASS(TDragControlObject, TDragObject)

 public:
  explicit TDragControlObject(TControl* control) : control_(control) {}
  TControl* GetControl() const { return control_; }
  // The control's DragCursor where the drop is taken.
  TCursor GetDragCursor(bool accepted, int x, int y) override;

 private:
  TControl* control_;
};

// The object of a dkDock drag: the source the dock events see.
class TDragDockObject : public TDragControlObject {
  TK_CLASS(TDragDockObject, TDragControlObject)

 public:
  using TDragControlObject::TDragControlObject;
  // Where the control would go: its bounds on the screen at the cursor.
  RECT GetDockRect() const { return dock_rect_; }
  void SetDockRect(const RECT& rect) { dock_rect_ = rect; }
  // How the control is aligned in the site; set from the drop point, a site may change it.
  TAlign GetDropAlign() const { return drop_align_; }
  void SetDropAlign(TAlign align) { drop_align_ = align; }
  // The dock site under the cursor that accepts; null where the control would float.
  TWinControl* GetDockSite() const { return dock_site_; }
  // A dock drag always has somewhere to go: a site or the desktop.
  TCursor GetDragCursor(bool accepted, int x, int y) override;

 private:
  friend class TDragSession;
  RECT dock_rect_{};
  TAlign drop_align_ = alClient;
  TWinControl* dock_site_ = nullptr;
};

// The tool window a floating control lives in, aligned to its client area. It frees itself
// (after the messages waiting) once the control has left it.
class TToolDockForm : public TCustomForm {
  TK_CLASS(TToolDockForm, TCustomForm)
  TK_MESSAGE_MAP

 public:
  explicit TToolDockForm(TComponent* owner);

 private:
  void CMControlChange(TMessage& message);
  void WMGetMinMaxInfo(TMessage& message);
  bool released_ = false;
};

// The alignment a control dropped at a client point of a site takes: the edge the point is
// nearest to within a quarter of the site's size, else the whole client area.
TAlign DropAlignAt(POINT point, const RECT& client);

// Publish the drag and dock names a class lists: the three properties, the four drag events
// and the two dock events.
template <class C>
void PublishDragProperties(TPublisher<C>& p) {
  p.Integer("DragCursor", &TControl::GetDragCursor, &TControl::SetDragCursor).Default(crDrag);
  p.Enumeration("DragKind", DragKindInfo(), &TControl::GetDragKind, &TControl::SetDragKind).Default(dkDrag);
  p.Enumeration("DragMode", DragModeInfo(), &TControl::GetDragMode, &TControl::SetDragMode).Default(dmManual);
}
template <class C>
void PublishDragEvents(TPublisher<C>& p) {
  p.Event("OnDragDrop", &TControl::OnDragDrop);
  p.Event("OnDragOver", &TControl::OnDragOver);
  p.Event("OnEndDrag", &TControl::OnEndDrag);
  p.Event("OnStartDrag", &TControl::OnStartDrag);
}
template <class C>
void PublishDockEvents(TPublisher<C>& p) {
  p.Event("OnEndDock", &TControl::OnEndDock);
  p.Event("OnStartDock", &TControl::OnStartDock);
}

namespace tk_detail {
// The drag's share of the message chain: a mouse message of the dragged control (true when
// the drag used it up), a key message of the loop (Escape cancels), the loss of the capture,
// and a control going away.
bool DragMouseMessage(TControl* control, TMessage& message);
bool DragKeyMessage(const MSG& msg);
void DragCaptureChanged(TWinControl* window, HWND new_capture);
void DragForgetControl(TControl* control);
// The drag cursor, made once.
HCURSOR DragCursorHandle();
}  // namespace tk_detail
