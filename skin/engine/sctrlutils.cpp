// Painting and repaint helpers of the skinned controls.
#include "skin/engine/sctrlutils.h"

#include "toolkit/collections.h"
#include "toolkit/forms.h"
#include "toolkit/sysutils.h"

namespace {

// Library messages used here (until the message header is in).
constexpr UINT kBGChanged = 0xA401;

TsLabelTest g_label_test = nullptr;

bool BeingBuiltOrFreed(TControl* control) {
  TComponentState state = control->GetComponentState();
  return control->GetControlState().Contains(csCreating) || state.Contains(csLoading) ||
         state.Contains(csDestroying);
}

bool ReadsRightToLeft(TControl* control) {
  TWinControl* window = DynamicCast<TWinControl>(control);
  if (!window && control) window = control->GetParent();
  if (!window || !window->HandleAllocated()) return false;
  return (GetWindowLongPtrA(window->GetHandle(), GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
}

// Paints one graphic child into the parent's dc: origin at the child, clipped to it, in the
// parent's paint-copy state.
void PaintGraphicChild(HDC dc, TWinControl* parent, TControl* child) {
  RECT r = child->GetBoundsRect();
  if (!RectVisible(dc, &r)) return;
  int saved = SaveDC(dc);
  TControlState state = child->GetControlState();
  TControlState painting = state;
  if (parent->GetControlState().Contains(csPaintCopy))
    painting.Include(csPaintCopy);
  else
    painting.Exclude(csPaintCopy);
  OffsetViewportOrgEx(dc, child->GetLeft(), child->GetTop(), nullptr);
  IntersectClipRect(dc, 0, 0, child->GetWidth(), child->GetHeight());
  child->SetControlState(painting);
  try {
    child->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
  } catch (...) {
    child->SetControlState(state);
    RestoreDC(dc, saved);
    throw;
  }
  child->SetControlState(state);
  RestoreDC(dc, saved);
}

}  // namespace

void SetSkinnedLabelTest(TsLabelTest test) { g_label_test = test; }
bool IsSkinnedLabel(TControl* control) { return control && g_label_test && g_label_test(control); }

bool ControlReadyToPaint(TControl* control) {
  return control && !BeingBuiltOrFreed(control) && control->GetParent();
}

TCustomForm* GetNearestForm(TControl* control) {
  while (control && !control->Is<TCustomForm>()) control = control->GetParent();
  return static_cast<TCustomForm*>(control);
}

bool SendAMessage(HWND window, UINT msg) { return SendMessageA(window, msg, 0, 0) != 0; }

LRESULT SendToControl(TControl* control, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* window = DynamicCast<TWinControl>(control);
  if (window && window->HandleAllocated()) return SendMessageA(window->GetHandle(), msg, wparam, lparam);
  return control->Perform(msg, wparam, lparam);
}

void SendBGChanged(TControl* control, bool changed) {
  SendToControl(control, kBGChanged, 0, changed ? -1 : 0);
}

UINT DrawTextBiDiFlags(TControl* control, TAlignment alignment) {
  UINT side = alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
  UINT flags = DT_EXPANDTABS | DT_VCENTER;
  if (ReadsRightToLeft(control)) {
    if (side != DT_CENTER) side = side == DT_LEFT ? DT_RIGHT : DT_LEFT;
    flags |= DT_RTLREADING;
  }
  return side | flags;
}

TCollectionItem* FindCollectionItem(TCollection* collection, const std::string& name) {
  if (!collection) return nullptr;
  std::string wanted = UpperCase(name);
  for (int i = 0; i < collection->GetCount(); ++i) {
    TCollectionItem* item = collection->GetItem(i);
    if (UpperCase(item->GetDisplayName()) == wanted) return item;
  }
  return nullptr;
}

// Children are walked by index and fetched anew each time: a notice may make one go away. A
// control without window gets none (nor one that is going away).
void RefreshWindowAndChildren(TWinControl* control, bool bg_changed) {
  if (BeingBuiltOrFreed(control)) return;
  if (control->HandleAllocated()) {
    RECT r = control->GetClientRect();
    RedrawWindow(control->GetHandle(), &r, nullptr,
                 RDW_INVALIDATE | RDW_NOINTERNALPAINT | RDW_NOERASE | RDW_ALLCHILDREN);
  }
  for (int i = 0; i < control->GetControlCount(); ++i) {
    auto* child = DynamicCast<TWinControl>(control->GetControl(i));
    if (!child || !ControlReadyToPaint(child)) continue;
    if (bg_changed) SendBGChanged(child, true);
    RefreshWindowAndChildren(child, bg_changed);
  }
}

// The children of a control that is going away are left alone: they go with it or move on.
void RepaintLabels(TWinControl* control) {
  if (BeingBuiltOrFreed(control)) return;
  for (int i = 0; i < control->GetControlCount(); ++i) {
    TControl* child = control->GetControl(i);
    if (IsSkinnedLabel(child) && ControlReadyToPaint(child)) child->Repaint();
  }
}

void PaintControlsClipped(HDC dc, TWinControl* control) {
  for (int i = 0; i < control->GetControlCount(); ++i) {
    TControl* child = control->GetControl(i);
    if (!child->GetVisible() || child->GetComponentState().Contains(csDestroying)) continue;
    if (IsSkinnedLabel(child))
      child->Repaint();
    else if (!child->Is<TWinControl>())
      PaintGraphicChild(dc, control, child);
  }
}

void PaintChildShadows(TWinControl* control, TBitmap* bitmap) {
  (void)control;
  (void)bitmap;
}

void BroadcastRepaint(TWinControl* parent, bool bg_changed) {
  if (BeingBuiltOrFreed(parent)) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* child = parent->GetControl(i);
    if (!ControlReadyToPaint(child)) continue;
    if (IsSkinnedLabel(child)) {
      child->Repaint();
      continue;
    }
    (void)bg_changed;
    if (!child->Is<TWinControl>()) continue;
    child->Invalidate();
  }
}
