// Window messages as the toolkit passes them around: a mutable message record, the toolkit's
// own notification numbers, and per-class handler tables dispatched by message number.
//
// A class with handlers declares TK_MESSAGE_MAP in its body and lists them in its source:
//
//   TK_BEGIN_MESSAGE_MAP(TLamp)
//     TK_MESSAGE(CM_MOUSEENTER, CMMouseEnter)
//     TK_MESSAGE(WM_SIZE, WMSize)
//   TK_END_MESSAGE_MAP()
//
// A handler is a member `void CMMouseEnter(TMessage& message);` (private is fine). The
// dispatch looks for the message number in the object's own class table first, then in its
// ancestors' tables, and falls back to DefaultHandler. Inside a handler, TK_INHERITED(message)
// goes on to the nearest ancestor's handler for the same number (or DefaultHandler).
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <iterator>

#include "toolkit/events.h"
#include "toolkit/object.h"

// One message, passed by reference along the chain so that any stage may change the
// parameters the next one sees or set the result.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// Mouse coordinates packed into LParam (signed 16-bit halves).
inline POINT PointFromLParam(LPARAM lparam) {
  return {static_cast<int16_t>(LOWORD(lparam)), static_cast<int16_t>(HIWORD(lparam))};
}
inline LPARAM PointToLParam(POINT point) {
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
}

// A control's replaceable window procedure: a method taking the message record.
using TWndMethod = TEvent<TMessage&>;

// ---- The toolkit's notifications ----------------------------------------------------------
// Widgets and the skinning layer use several of these by number, so the numbers are fixed.
// 0xB051 and 0xB065 are left free for widgets' private use.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_DIALOGCHAR = 0xB006;    // WParam char, LParam key data: accelerators
constexpr UINT CM_FOCUSCHANGED = 0xB007;  // LParam: the newly focused control
constexpr UINT CM_PARENTFONTCHANGED = 0xB008;
constexpr UINT CM_PARENTCOLORCHANGED = 0xB009;
constexpr UINT CM_HITTEST = 0xB00A;         // LParam: client point; Result nonzero = hit
constexpr UINT CM_VISIBLECHANGED = 0xB00B;  // WParam: the new value
constexpr UINT CM_ENABLEDCHANGED = 0xB00C;
constexpr UINT CM_COLORCHANGED = 0xB00D;
constexpr UINT CM_FONTCHANGED = 0xB00E;
constexpr UINT CM_CTL3DCHANGED = 0xB00F;
constexpr UINT CM_PARENTCTL3DCHANGED = 0xB010;
constexpr UINT CM_TEXTCHANGED = 0xB012;
constexpr UINT CM_MOUSEENTER = 0xB013;  // LParam: 0 for the control itself, else the child
constexpr UINT CM_MOUSELEAVE = 0xB014;  // the same
constexpr UINT CM_ENTER = 0xB01A;
constexpr UINT CM_EXIT = 0xB01B;
constexpr UINT CM_PARENTSHOWHINTCHANGED = 0xB023;
constexpr UINT CM_SYSCOLORCHANGE = 0xB024;
constexpr UINT CM_HINTSHOW = 0xB030;  // LParam: THintInfo*; Result nonzero cancels
constexpr UINT CM_CHANGED = 0xB037;   // to the parent; LParam: the control whose value changed
// Numbers of our own choice.
constexpr UINT CM_ACTIVATE = 0xB040;  // to a form that became active
constexpr UINT CM_DEACTIVATE = 0xB041;
constexpr UINT CM_DIALOGKEY = 0xB042;  // WParam key, LParam key data; Result nonzero = used
constexpr UINT CM_RECREATEWND = 0xB043;
constexpr UINT CM_SHOWINGCHANGED = 0xB044;
constexpr UINT CM_MENUCHANGED = 0xB045;
constexpr UINT CM_CURSORCHANGED = 0xB046;
constexpr UINT CM_SHOWHINTCHANGED = 0xB047;
constexpr UINT CM_TABSTOPCHANGED = 0xB048;
constexpr UINT CM_RELEASE = 0xB049;         // posted to a form that frees itself
constexpr UINT CM_CONTROLCHANGE = 0xB04A;   // WParam control, LParam inserted (1) or removed (0)
constexpr UINT CM_WANTSPECIALKEY = 0xB04B;  // WParam key; Result nonzero = the control takes it
constexpr UINT CM_CHILDKEY = 0xB04C;        // WParam key, LParam the control; Result nonzero = used
constexpr UINT CM_CANCELMODE = 0xB04D;      // LParam: the control that starts a mouse action
constexpr UINT CM_ICONCHANGED = 0xB04E;
constexpr UINT CM_BORDERCHANGED = 0xB04F;
constexpr UINT CM_CONTROLLISTCHANGE = 0xB050;
constexpr UINT CM_APPRESTORE = 0xB052;  // the application window's deferred restore
constexpr UINT CM_BIDIMODECHANGED = 0xB053;
constexpr UINT CM_PARENTBIDIMODECHANGED = 0xB054;

// Notifications a parent reflects to the child control they concern, at CN_BASE + the
// original number, and the keys sent to the focused control before they are dispatched.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_CHARTOITEM = CN_BASE + WM_CHARTOITEM;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_COMPAREITEM = CN_BASE + WM_COMPAREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLORDLG = CN_BASE + WM_CTLCOLORDLG;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORMSGBOX = CN_BASE + WM_CTLCOLORMSGBOX;
constexpr UINT CN_CTLCOLORSCROLLBAR = CN_BASE + WM_CTLCOLORSCROLLBAR;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_DELETEITEM = CN_BASE + WM_DELETEITEM;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_HSCROLL = CN_BASE + WM_HSCROLL;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_VKEYTOITEM = CN_BASE + WM_VKEYTOITEM;
constexpr UINT CN_VSCROLL = CN_BASE + WM_VSCROLL;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_KEYUP = CN_BASE + WM_KEYUP;
constexpr UINT CN_CHAR = CN_BASE + WM_CHAR;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---- Handler tables -----------------------------------------------------------------------

using TMessageProc = void (*)(TObject* self, TMessage& message);

struct TMessageEntry {
  UINT msg;
  TMessageProc proc;
};

// One class's table and the table of its nearest ancestor that has one. The entries are
// constant data; code that wraps a handler at run time finds its entry with FindMessageEntry.
struct TMessageMap {
  const TMessageMap* base;
  const TMessageEntry* entries;
  size_t count;
};

// The handler for msg in map or in its ancestors' maps; null when none has one.
TMessageProc FindMessageHandler(const TMessageMap* map, UINT msg);
// The entry that map itself (not an ancestor) holds for msg; null when it has none.
const TMessageEntry* FindMessageEntry(const TMessageMap* map, UINT msg);

namespace tk_detail {

template <class C, void (C::*Handler)(TMessage&)>
void MessageThunk(TObject* self, TMessage& message) {
  (static_cast<C*>(self)->*Handler)(message);
}

// The table of C or of its nearest ancestor with one; null when none has one.
template <class C>
const TMessageMap* BaseMessageMap() {
  if constexpr (requires { C::StaticMessageMap(); })
    return C::StaticMessageMap();
  else
    return nullptr;
}

}  // namespace tk_detail

// In the class body of a class below the root of a dispatching family (TControl's family
// declares the root's virtual GetMessageMap).
#define TK_MESSAGE_MAP                          \
 public:                                        \
  static const TMessageMap* StaticMessageMap(); \
  const TMessageMap* GetMessageMap() const override;

#define TK_BEGIN_MESSAGE_MAP(Class)                                              \
  const TMessageMap* Class::GetMessageMap() const { return StaticMessageMap(); } \
  const TMessageMap* Class::StaticMessageMap() {                                 \
    using TkSelf = Class;                                                        \
    static const TMessageEntry entries[] = {
#define TK_MESSAGE(msg, Method) {(msg), &tk_detail::MessageThunk<TkSelf, &TkSelf::Method>},
#define TK_END_MESSAGE_MAP()                                                                                 \
  }                                                                                                          \
  ;                                                                                                          \
  static const TMessageMap map{tk_detail::BaseMessageMap<TkSelf::inherited>(), entries, std::size(entries)}; \
  return &map;                                                                                               \
  }

// Inside a handler of a class with a table: the ancestors' handling of the same message.
#define TK_INHERITED(message) DispatchFrom(tk_detail::BaseMessageMap<inherited>(), (message))

// Reports an exception that escaped a window procedure or a loop that dispatches messages
// (through the application's handler when there is an application); called inside the catch
// block. Nothing may unwind through the system's window-procedure callers.
void HandleWindowException(TObject* sender);
