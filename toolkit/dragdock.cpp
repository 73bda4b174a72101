#include "toolkit/dragdock.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/typinfo.h"

const TEnumInfo& DragModeInfo() {
  static const TEnumInfo info{"dmManual", "dmAutomatic"};
  return info;
}

const TEnumInfo& DragKindInfo() {
  static const TEnumInfo info{"dkDrag", "dkDock"};
  return info;
}

// ---- Drag objects -----------------------------------------------------------------------------

TK_CLASS_INFO(TDragObject, TObject)
TK_ABSTRACT_CLASS_INFO(TDragControlObject, TDragObject)
TK_ABSTRACT_CLASS_INFO(TDragDockObject, TDragControlObject)

TCursor TDragObject::GetDragCursor(bool accepted, int, int) { return accepted ? crDrag : crNoDrop; }

TCursor TDragControlObject::GetDragCursor(bool accepted, int, int) {
  return accepted ? control_->GetDragCursor() : crNoDrop;
}

TCursor TDragDockObject::GetDragCursor(bool, int, int) { return GetControl()->GetDragCursor(); }

TAlign DropAlignAt(POINT point, const RECT& client) {
  const int width = client.right - client.left, height = client.bottom - client.top;
  struct TEdge {
    int distance, limit;
    TAlign align;
  };
  const TEdge edges[] = {{point.x - client.left, width / 4, alLeft},
                         {point.y - client.top, height / 4, alTop},
                         {client.right - 1 - point.x, width / 4, alRight},
                         {client.bottom - 1 - point.y, height / 4, alBottom}};
  const TEdge* nearest = nullptr;
  for (const TEdge& edge : edges)
    if (edge.distance >= 0 && edge.distance < edge.limit && (!nearest || edge.distance < nearest->distance))
      nearest = &edge;
  return nearest ? nearest->align : alClient;
}

// ---- The drag under way -------------------------------------------------------------------------

// The one drag of the process: pending from BeginDrag until the threshold is passed, then
// active until the drop or the cancel.
class TDragSession {
 public:
  static TDragSession& Current() {
    static TDragSession session;
    return session;
  }

  bool Busy(const TControl* control) const { return phase_ != kIdle && control_ == control; }
  // From where the press was (null: where the cursor is now).
  void Begin(TControl* control, bool immediate, int threshold, const POINT* start = nullptr);
  void End(TControl* control, bool drop);
  bool MouseMessage(TControl* control, TMessage& message);
  bool KeyMessage(const MSG& msg);
  void CaptureChanged(TWinControl* window, HWND new_capture);
  void Forget(TControl* control);

 private:
  enum TPhase { kIdle, kPending, kStarting, kActive };

  // The drag starts with the cursor at a screen point.
  void Start(POINT at);
  void MoveTo(POINT screen);
  TWinControl* DockSiteAt(POINT screen) const;
  bool Notify(TControl* target, POINT screen, TDragState state);
  void Reset();
  void Finish(bool drop);
  void DockOrFloat(TControl* control, TDragDockObject* object, TWinControl* site, POINT screen);
  HWND CaptureWindow() const;

  TPhase phase_ = kIdle;
  TControl* control_ = nullptr;
  bool dock_ = false;
  POINT start_{};
  SIZE threshold_{};
  POINT grab_{};  // where the control was taken, from its top-left corner
  TDragObject* object_ = nullptr;
  bool own_object_ = false;
  TObject* source_ = nullptr;
  TControl* target_ = nullptr;
  bool accepted_ = false;
  // A right press that cancelled is not followed by the context menu of its release.
  bool swallow_right_up_ = false;
  // The controls the end of a drag still talks to; null once they went away.
  TControl* ending_control_ = nullptr;
  TControl* ending_target_ = nullptr;
};

namespace {

bool Designing(const TControl* control) { return control->GetComponentState().Contains(csDesigning); }

POINT MessageScreenPoint(TControl* control, const TMessage& message) {
  return control->ClientToScreen(PointFromLParam(message.LParam));
}

// The cursor of the window now under the mouse, once the drag no longer sets it.
void RestoreCursor() {
  POINT screen{};
  tk_detail::CursorPos(&screen);
  HWND window = WindowFromPoint(screen);
  if (FindControl(window))
    SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
  else
    ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

}  // namespace

HWND TDragSession::CaptureWindow() const {
  if (!control_) return nullptr;
  auto* window = DynamicCast<TWinControl>(control_);
  if (!window) window = control_->GetParent();
  return window && window->HandleAllocated() ? window->GetHandle() : nullptr;
}

void TDragSession::Begin(TControl* control, bool immediate, int threshold, const POINT* start) {
  if (phase_ != kIdle) {
    if (control_ == control) return;
    End(control_, false);
  }
  control_ = control;
  dock_ = control->GetDragKind() == dkDock;
  if (start)
    start_ = *start;
  else
    tk_detail::CursorPos(&start_);
  // As the system's drag detection: a rectangle of the drag size centred on the press.
  threshold_ = threshold >= 0 ? SIZE{threshold, threshold}
                              : SIZE{GetSystemMetrics(SM_CXDRAG) / 2, GetSystemMetrics(SM_CYDRAG) / 2};
  phase_ = kPending;
  if (!control->GetMouseCapture()) SetCaptureControl(control);
  if (!control->GetMouseCapture()) {
    Reset();  // no window to take the mouse with
    return;
  }
  if (immediate) Start(start_);
}

void TDragSession::Start(POINT at) {
  phase_ = kStarting;
  // The control's own press (its click, a pressed look) ends here.
  control_->Perform(WM_CANCELMODE);
  if (phase_ != kStarting) return;
  SetCaptureControl(control_);
  if (!control_->GetMouseCapture()) {
    Reset();
    return;
  }
  phase_ = kActive;
  POINT origin = control_->ClientToScreen({0, 0});
  grab_ = {start_.x - origin.x, start_.y - origin.y};
  TControl* control = control_;
  TDragObject* given = nullptr;
  if (dock_) {
    TDragDockObject* dock_object = nullptr;
    control->DoStartDock(dock_object);
    given = dock_object;
  } else {
    control->DoStartDrag(given);
  }
  if (phase_ != kActive || control_ != control) return;  // a handler ended it
  own_object_ = !given;
  object_ = given ? given
                  : (dock_ ? static_cast<TDragObject*>(New<TDragDockObject>(control))
                           : static_cast<TDragObject*>(New<TDragControlObject>(control)));
  source_ = given || dock_ ? static_cast<TObject*>(object_) : control;
  MoveTo(at);
}

TWinControl* TDragSession::DockSiteAt(POINT screen) const {
  auto* self = DynamicCast<TWinControl>(control_);
  for (TControl* c = FindDragTarget(screen, false); c; c = c->GetParent()) {
    auto* site = DynamicCast<TWinControl>(c);
    // Never into the control itself or one of its own children.
    if (site && site->GetDockSite() && !(self && self->ContainsControl(site))) return site;
  }
  return nullptr;
}

bool TDragSession::Notify(TControl* target, POINT screen, TDragState state) {
  POINT client = target->ScreenToClient(screen);
  bool accept = false;
  if (auto* dock_object = dock_ ? static_cast<TDragDockObject*>(object_) : nullptr) {
    auto* site = static_cast<TWinControl*>(target);
    RECT area = site->GetClientRect();
    dock_object->SetDropAlign(DropAlignAt(client, area));
    site->DockOver(dock_object, client.x, client.y, state, accept);
  } else {
    target->DragOver(source_, client.x, client.y, state, accept);
  }
  return accept;
}

void TDragSession::MoveTo(POINT screen) {
  object_->drag_pos_ = screen;
  if (dock_) {
    static_cast<TDragDockObject*>(object_)->SetDockRect({screen.x - grab_.x, screen.y - grab_.y,
                                                         screen.x - grab_.x + control_->GetWidth(),
                                                         screen.y - grab_.y + control_->GetHeight()});
  }
  TControl* drag = control_;
  TControl* target = dock_ ? DockSiteAt(screen) : FindDragTarget(screen, false);
  if (target != target_) {
    TControl* old = target_;
    target_ = nullptr;
    accepted_ = false;
    if (old) Notify(old, screen, dsDragLeave);
    if (phase_ != kActive || control_ != drag) return;
    target_ = target;
    if (target_) accepted_ = Notify(target_, screen, dsDragEnter);
  } else if (target_) {
    accepted_ = Notify(target_, screen, dsDragMove);
  }
  if (phase_ != kActive || control_ != drag) return;
  object_->drag_target_ = target_;
  object_->accepted_ = accepted_;
  if (dock_)
    static_cast<TDragDockObject*>(object_)->dock_site_ =
        accepted_ ? static_cast<TWinControl*>(target_) : nullptr;
  POINT client = target_ ? target_->ScreenToClient(screen) : screen;
  ::SetCursor(CursorHandle(object_->GetDragCursor(accepted_, client.x, client.y)));
}

void TDragSession::Reset() {
  phase_ = kIdle;
  control_ = nullptr;
  object_ = nullptr;
  own_object_ = false;
  source_ = nullptr;
  target_ = nullptr;
  accepted_ = false;
}

void TDragSession::End(TControl* control, bool drop) {
  if (phase_ == kIdle || control != control_) return;
  if (phase_ != kActive || !object_) {
    // Never started (or ended by OnStartDrag itself): nothing was told of it.
    TControl* pending = control_;
    Reset();
    if (pending->GetMouseCapture() && !pending->GetControlState().Contains(csLButtonDown))
      SetCaptureControl(nullptr);
    return;
  }
  Finish(drop);
}

void TDragSession::Finish(bool drop) {
  TControl* control = control_;
  TDragObject* object = object_;
  const bool own = own_object_;
  TObject* source = source_;
  TControl* target = target_;
  const bool dock = dock_;
  const POINT screen = object->drag_pos_;
  const bool taken = drop && target && accepted_;
  object->dropped_ = taken;
  object->cancelling_ = !drop;
  Reset();
  ending_control_ = control;
  ending_target_ = target;
  if (control->GetMouseCapture()) SetCaptureControl(nullptr);
  RestoreCursor();
  // The target hears the drag leave it, then takes the drop.
  if (target) {
    POINT client = target->ScreenToClient(screen);
    bool ignored = false;
    if (dock)
      static_cast<TWinControl*>(target)->DockOver(static_cast<TDragDockObject*>(object), client.x, client.y,
                                                  dsDragLeave, ignored);
    else
      target->DragOver(source, client.x, client.y, dsDragLeave, ignored);
  }
  TControl* end_target = taken ? ending_target_ : nullptr;
  if (dock) {
    auto* site = static_cast<TWinControl*>(end_target);
    if (drop && ending_control_)
      DockOrFloat(ending_control_, static_cast<TDragDockObject*>(object), site, screen);
    // A site that went away while the control moved in is no target.
    end_target = site && ending_target_ ? site : nullptr;
  } else if (end_target && ending_target_) {
    POINT client = end_target->ScreenToClient(screen);
    end_target->DragDrop(source, client.x, client.y);
    end_target = ending_target_;
  }
  if (TControl* ended = ending_control_) {
    POINT at = end_target ? end_target->ScreenToClient(screen) : screen;
    if (dock)
      ended->DoEndDock(end_target, at.x, at.y);
    else
      ended->DoEndDrag(end_target, at.x, at.y);
  }
  ending_control_ = ending_target_ = nullptr;
  if (own) Free(object);
}

void TDragSession::DockOrFloat(TControl* control, TDragDockObject* object, TWinControl* site, POINT screen) {
  if (!site) {
    control->ManualFloat(object->GetDockRect());
    return;
  }
  const TAlign align = object->GetDropAlign();
  if (!control->ManualDock(site, align)) return;
  if (align == alNone) {
    RECT rect = object->GetDockRect();
    POINT at = site->ScreenToClient({rect.left, rect.top});
    control->SetBounds(at.x, at.y, control->GetWidth(), control->GetHeight());
  }
  if (!ending_target_) return;
  POINT client = site->ScreenToClient(screen);
  site->DockDrop(object, client.x, client.y);
}

bool TDragSession::MouseMessage(TControl* control, TMessage& message) {
  if (swallow_right_up_ && message.Msg == WM_RBUTTONUP) {
    swallow_right_up_ = false;
    return true;
  }
  if (phase_ == kIdle) {
    if ((message.Msg == WM_LBUTTONDOWN || message.Msg == WM_LBUTTONDBLCLK) &&
        control->GetDragMode() == dmAutomatic && !Designing(control)) {
      const POINT press = MessageScreenPoint(control, message);
      Begin(control, false, -1, &press);
    }
    return false;  // the press goes on: released in place it is a click
  }
  if (control != control_ || phase_ == kStarting) return false;
  if (phase_ == kPending) {
    switch (message.Msg) {
      case WM_MOUSEMOVE: {
        POINT screen = MessageScreenPoint(control, message);
        if (std::abs(screen.x - start_.x) <= threshold_.cx && std::abs(screen.y - start_.y) <= threshold_.cy)
          return false;
        Start(screen);
        return true;
      }
      case WM_LBUTTONUP:
      case WM_RBUTTONDOWN: {
        // Released or given up before it started: the control handles its press as ever.
        const bool release = !control->GetControlStyle().Contains(csCaptureMouse);
        Reset();
        if (release && control->GetMouseCapture()) SetCaptureControl(nullptr);
        return false;
      }
      default: return false;
    }
  }
  switch (message.Msg) {
    case WM_MOUSEMOVE: MoveTo(MessageScreenPoint(control, message)); break;
    case WM_LBUTTONUP:
      MoveTo(MessageScreenPoint(control, message));
      if (phase_ == kActive && control_ == control) Finish(true);
      break;
    case WM_RBUTTONDOWN:
      swallow_right_up_ = true;
      Finish(false);
      break;
    default: break;  // other buttons do nothing while dragging
  }
  return true;
}

bool TDragSession::KeyMessage(const MSG& msg) {
  if (phase_ != kActive || msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  Finish(false);
  return true;
}

void TDragSession::CaptureChanged(TWinControl* window, HWND new_capture) {
  if ((phase_ != kPending && phase_ != kActive) || !window->HandleAllocated()) return;
  HWND capture = CaptureWindow();
  if (window->GetHandle() != capture || new_capture == capture) return;
  // Another window took the mouse: the drag cannot go on.
  End(control_, false);
}

void TDragSession::Forget(TControl* control) {
  if (ending_control_ == control) ending_control_ = nullptr;
  if (ending_target_ == control) ending_target_ = nullptr;
  if (target_ == control) {
    target_ = nullptr;
    accepted_ = false;
    if (object_) object_->drag_target_ = nullptr;
  }
  if (control_ != control || phase_ == kIdle) return;
  // A windowless control's drag holds its parent's window, which stays.
  HWND capture = CaptureWindow();
  // The target may have shown that it would take the drop.
  if (phase_ == kActive && target_) {
    TControl* target = std::exchange(target_, nullptr);
    phase_ = kStarting;  // no other message of the drag is handled meanwhile
    Notify(target, object_->drag_pos_, dsDragLeave);
  }
  if (own_object_) Free(object_);
  Reset();
  if (capture && GetCapture() == capture) ReleaseCapture();
  RestoreCursor();
}

namespace tk_detail {

bool DragMouseMessage(TControl* control, TMessage& message) {
  return TDragSession::Current().MouseMessage(control, message);
}
bool DragKeyMessage(const MSG& msg) { return TDragSession::Current().KeyMessage(msg); }
void DragCaptureChanged(TWinControl* window, HWND new_capture) {
  TDragSession::Current().CaptureChanged(window, new_capture);
}
void DragForgetControl(TControl* control) { TDragSession::Current().Forget(control); }

HCURSOR DragCursorHandle() {
  // An arrow over a sheet: '#' black, 'o' white, the rest shows what is below.
  static const HCURSOR cursor = [] {
    static constexpr std::string_view kArt[] = {
        "#",
        "##",
        "#o#",
        "#oo#",
        "#ooo#",
        "#oooo#",
        "#ooooo#",
        "#oooooo#",
        "#ooooooo#",
        "#oooooooo#",
        "#ooooo#####",
        "#oo#oo#",
        "#o# #oo#",
        "##  #oo#",
        "#    #oo#",
        "      #oo#",
        "       ##",
        "",
        "     ##########",
        "     #oooooooo#",
        "     #oooooooo#",
        "     #oooooooo#",
        "     #oooooooo#",
        "     ##########",
    };
    constexpr int kSize = 32, kStride = kSize / 8;
    std::vector<BYTE> and_plane(kSize * kStride, 0xFF), xor_plane(kSize * kStride, 0x00);
    for (int y = 0; y < static_cast<int>(std::size(kArt)); ++y) {
      for (int x = 0; x < static_cast<int>(kArt[y].size()); ++x) {
        const char c = kArt[y][static_cast<size_t>(x)];
        if (c != '#' && c != 'o') continue;
        const BYTE bit = static_cast<BYTE>(0x80 >> (x % 8));
        and_plane[static_cast<size_t>(y * kStride + x / 8)] &= static_cast<BYTE>(~bit);
        if (c == 'o') xor_plane[static_cast<size_t>(y * kStride + x / 8)] |= bit;
      }
    }
    HCURSOR made =
        CreateCursor(GetModuleHandleA(nullptr), 0, 0, kSize, kSize, and_plane.data(), xor_plane.data());
    return made ? made : LoadCursorA(nullptr, IDC_ARROW);
  }();
  return cursor;
}

}  // namespace tk_detail

// ---- TControl: the drag's operations and events ----------------------------------------------

void TControl::BeginDrag(bool immediate, int threshold) {
  if (!Designing(this)) TDragSession::Current().Begin(this, immediate, threshold);
}

void TControl::EndDrag(bool drop) { TDragSession::Current().End(this, drop); }

bool TControl::Dragging() const { return TDragSession::Current().Busy(this); }

void TControl::DoStartDrag(TDragObject*& drag_object) { OnStartDrag(this, drag_object); }

void TControl::DragOver(TObject* source, int x, int y, TDragState state, bool& accept) {
  accept = static_cast<bool>(OnDragOver);
  OnDragOver(this, source, x, y, state, accept);
}

void TControl::DragDrop(TObject* source, int x, int y) { OnDragDrop(this, source, x, y); }
void TControl::DoEndDrag(TObject* target, int x, int y) { OnEndDrag(this, target, x, y); }
void TControl::DoStartDock(TDragDockObject*& drag_object) { OnStartDock(this, drag_object); }
void TControl::DoEndDock(TObject* target, int x, int y) { OnEndDock(this, target, x, y); }

// ---- Docking ---------------------------------------------------------------------------------

bool TControl::GetFloating() const { return DynamicCast<TToolDockForm>(GetParent()) != nullptr; }

bool TControl::ManualDock(TWinControl* site, TAlign align) {
  if (!site || site == this) return false;
  if (auto* self = DynamicCast<TWinControl>(this); self && self->ContainsControl(site)) return false;
  TWinControl* old = GetParent();
  if (old && old != site && old->GetDockSite() && !old->DoUnDock(site, this)) return false;
  // Leaving a tool window closes it (TToolDockForm frees itself once empty).
  SetParent(site);
  SetAlign(align);
  if (align == alNone) SetBounds(0, 0, GetWidth(), GetHeight());
  return true;
}

bool TControl::ManualFloat(const RECT& screen) {
  auto* host = DynamicCast<TToolDockForm>(GetParent());
  if (!host) {
    host = New<TToolDockForm>(GetOwner());
    TWinControl* old = GetParent();
    if (old && old->GetDockSite() && !old->DoUnDock(host, this)) {
      Free(host);
      return false;
    }
    host->SetCaption(GetText());
    SetAlign(alNone);
    SetParent(host);
    SetAlign(alClient);
  }
  // A size with room for the frame first: the client size is taken from it.
  if (!host->HandleAllocated())
    host->SetBounds(screen.left, screen.top, screen.right - screen.left + 64,
                    screen.bottom - screen.top + 64);
  host->SetClientWidth(screen.right - screen.left);
  host->SetClientHeight(screen.bottom - screen.top);
  POINT origin = host->GetClientOrigin();
  host->SetBounds(host->GetLeft() + screen.left - origin.x, host->GetTop() + screen.top - origin.y,
                  host->GetWidth(), host->GetHeight());
  host->Show();
  return true;
}

void TWinControl::DockOver(TDragDockObject* source, int x, int y, TDragState state, bool& accept) {
  accept = true;
  OnDockOver(this, source, x, y, state, accept);
}

void TWinControl::DockDrop(TDragDockObject* source, int x, int y) { OnDockDrop(this, source, x, y); }

bool TWinControl::DoUnDock(TWinControl* new_target, TControl* client) {
  bool allow = true;
  OnUnDock(this, client, new_target, allow);
  return allow;
}

// ---- TToolDockForm ---------------------------------------------------------------------------

TK_CLASS_INFO(TToolDockForm, TCustomForm)

TK_BEGIN_MESSAGE_MAP(TToolDockForm)
TK_MESSAGE(CM_CONTROLCHANGE, CMControlChange)
TK_MESSAGE(WM_GETMINMAXINFO, WMGetMinMaxInfo)
TK_END_MESSAGE_MAP()

TToolDockForm::TToolDockForm(TComponent* owner) : TCustomForm(owner, kCreateNew) {
  SetBorderStyle(bsSizeToolWin);
  SetBorderIcons({biSystemMenu});
}

void TToolDockForm::WMGetMinMaxInfo(TMessage& message) {
  TK_INHERITED(message);
  // As small as the control: the system's minimum would widen a narrow one.
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  RECT frame{0, 0, 1, 1};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(handle_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(handle_, GWL_EXSTYLE)));
  info->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
  message.Result = 0;
}

void TToolDockForm::CMControlChange(TMessage& message) {
  TK_INHERITED(message);
  if (message.LParam != 0 || released_ || GetControlCount() > 0 || GetComponentState().Contains(csDestroying))
    return;
  released_ = true;
  Hide();
  Release();
}
