// Painting and repaint helpers of the skinned controls.
#include "skin/engine/sctrlutils.h"

#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyles.h"
#include "toolkit/bitmap.h"
#include "toolkit/collections.h"
#include "toolkit/forms.h"
#include "toolkit/sysutils.h"

namespace {

TsLabelTest g_label_test = nullptr;

bool BeingDestroyed(TControl* control) { return control->GetComponentState().Contains(csDestroying); }

bool BeingBuiltOrFreed(TControl* control) {
  TComponentState state = control->GetComponentState();
  return control->GetControlState().Contains(csCreating) || state.Contains(csLoading) ||
         state.Contains(csDestroying);
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

// A scroll bar that belongs to another control (a list's bar parented beside it) is kept up by
// that control; one owned by its form is on its own.
bool HasOwnerControl(TControl* child) {
  TComponent* owner = child->GetOwner();
  return owner && owner->Is<TControl>() && !owner->Is<TCustomForm>();
}

// The section's transparency, or without a skin the style's own painting's.
int PaintingTransparency(TsGenStyle* style) {
  if (auto* paint = DynamicCast<TsPaintStyle>(style)) return paint->GetTransparency();
  return IsValidSkinIndex(style->SkinIndex) ? SkinGeneralData[style->SkinIndex].PaintingTransparency : 0;
}

void NoticeAndRepaint(TControl* child, bool notice, bool bg_changed) {
  if (notice) SendBGChanged(child, bg_changed);
  child->Repaint();
}

// What a child with a style object needs after its parent's background changed, by its kind.
void RepaintByKind(TControl* child, TsGenStyle* style, bool bg_changed) {
  int kind = style->COC;
  if (kind == COC_TsScrollBar) {
    if (!HasOwnerControl(child)) NoticeAndRepaint(child, bg_changed, bg_changed);
  } else if (kind == 151) {
    if (bg_changed && PaintingTransparency(style) > 0) NoticeAndRepaint(child, true, bg_changed);
  } else if (kind == 161 || kind == 165) {
    if (!bg_changed) return;
    SendBGChanged(child, true);
    child->Invalidate();
  } else if (kind == 141) {
    NoticeAndRepaint(child, bg_changed, bg_changed);
  } else if ((kind >= 51 && kind <= 57) || kind == 68 || kind == 74) {
    NoticeAndRepaint(child, true, bg_changed);  // panels and group boxes hear of it either way
  } else if (kind >= 31 && kind <= 33) {
    if (bg_changed) SendBGChanged(child, true);
  } else if (kind >= 91 && kind <= 95) {
    NoticeAndRepaint(child, bg_changed, true);
  }
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
  SendToControl(control, SKM_BGCHANGED, 0, changed ? -1 : 0);
}

UINT DrawTextBiDiFlags(const TControl* control, TAlignment alignment) {
  UINT side = alignment == taRightJustify ? DT_RIGHT : alignment == taCenter ? DT_CENTER : DT_LEFT;
  UINT flags = DT_EXPANDTABS | DT_VCENTER;
  if (control && control->UseRightToLeftAlignment() && side != DT_CENTER)
    side = side == DT_LEFT ? DT_RIGHT : DT_LEFT;
  if (control && control->UseRightToLeftReading()) flags |= DT_RTLREADING;
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
// control without window gets none (nor one that is going away: its children may be gone).
void RefreshWindowAndChildren(TWinControl* control, bool bg_changed) {
  if (BeingDestroyed(control)) return;
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
  if (BeingDestroyed(control)) return;
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
  for (int i = 0; i < control->GetControlCount(); ++i) {
    TControl* child = control->GetControl(i);
    if (child->GetComponentState().Contains(csDestroying)) break;
    TsGenStyle* style = GetSkinObject(child);
    if (!style || !child->GetVisible()) continue;
    bool casts = IsValidSkinIndex(style->SkinIndex)
                     ? SkinGeneralData[style->SkinIndex].ShadowEnabled
                     : style->COC >= 1 && style->GetEffects()->GetShadow()->GetEnabled();
    if (casts) style->PaintBitmap(bitmap->GetCanvas(), 0, 0);
  }
}

void BroadcastRepaint(TWinControl* parent, bool bg_changed) {
  if (BeingDestroyed(parent)) return;
  for (int i = 0; i < parent->GetControlCount(); ++i) {
    TControl* child = parent->GetControl(i);
    if (!ControlReadyToPaint(child)) continue;
    if (IsSkinnedLabel(child))
      child->Repaint();
    else if (TsGenStyle* style = GetSkinObject(child))
      RepaintByKind(child, style, bg_changed);
    else if (child->Is<TWinControl>())
      child->Invalidate();
  }
}
