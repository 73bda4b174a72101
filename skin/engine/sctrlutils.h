// Helpers every skinned control paints with: whether it may paint now, its form, its graphic
// children painted into a device context, background-changed notices passed down the control
// tree, and children repainted after a skin or background change.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/controls.h"

class TBitmap;
class TCollection;
class TCollectionItem;
class TCustomForm;

// False for null and for a control whose window is being created, that is loading or being
// destroyed, or that has no parent yet.
bool ControlReadyToPaint(TControl* control);
// The nearest form up the parent chain (an embedded form counts); null when there is none.
// The toolkit's GetParentForm answers the top-level form only.
TCustomForm* GetNearestForm(TControl* control);
// SendMessage with WParam and LParam 0; true when the answer is not 0.
bool SendAMessage(HWND window, UINT msg);
// Sends a message the way a control takes it: Perform for a graphic control or a windowed one
// without a window yet (none is created for it), else SendMessage to its window.
LRESULT SendToControl(TControl* control, UINT msg, WPARAM wparam = 0, LPARAM lparam = 0);
// SKM_BGCHANGED with LParam -1 (changed) or 0.
void SendBGChanged(TControl* control, bool changed);
// DrawText flags for text aligned so: the side, DT_EXPANDTABS and DT_VCENTER; the side mirrored
// when the control is laid out from the right, DT_RTLREADING when it reads right to left.
UINT DrawTextBiDiFlags(const TControl* control, TAlignment alignment);
// The first item whose display name equals name without letter case; null when none.
TCollectionItem* FindCollectionItem(TCollection* collection, const std::string& name);
// Invalidates the control's window and its child windows without erasing, then passes the
// background-changed notice (when bg_changed) down every windowed child ready to paint.
void RefreshWindowAndChildren(TWinControl* control, bool bg_changed);
// Repaints every skinned label among the children that is ready to paint.
void RepaintLabels(TWinControl* control);
// Paints the graphic children into dc (clipped to each), in z-order; skinned labels repaint.
void PaintControlsClipped(HDC dc, TWinControl* control);
// Paints the shadows the children cast onto bitmap.
void PaintChildShadows(TWinControl* control, TBitmap* bitmap);
// Repaints the children after the parent's background changed, each the way its kind needs.
void BroadcastRepaint(TWinControl* parent, bool bg_changed);

// Skinned labels are windowed controls the repaint helpers treat apart; their class registers
// the test that recognises them (null: none is a skinned label).
using TsLabelTest = bool (*)(TControl* control);
void SetSkinnedLabelTest(TsLabelTest test);
bool IsSkinnedLabel(TControl* control);
