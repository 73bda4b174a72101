// What a skinned form adds to the system's handling of its system commands (outside outline
// mode) and size drags: its frame is painted anew, and around a state change of an MDI
// child the MDI main form's frame waits, then shows the child's buttons and item, its client
// ring and its bars as they now are.
#pragma once

#include "toolkit/messages.h"

class TsSkinProvider;

// WM_SYSCOMMAND of the provider's form; true when handled here (Result set, the system's
// handling included), false for a form that is neither an MDI child nor an MDI main form.
bool FrameSysCommand(TsSkinProvider* provider, TMessage& message);

// WM_SIZING: passed on; a cache no longer of the form's size makes the frame stale.
bool FrameSizing(TsSkinProvider* provider, TMessage& message);

// Holds the MDI main form's frame for a command to one of its children: the child's own
// handling of the command lets it go; whatever the child does, it is let go at the end.
class TsMDIMainHold {
 public:
  TsMDIMainHold();
  ~TsMDIMainHold();
  TsMDIMainHold(const TsMDIMainHold&) = delete;
  TsMDIMainHold& operator=(const TsMDIMainHold&) = delete;
};
