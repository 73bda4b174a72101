// The provider's scrolling of a form whose AutoScroll was set: the form's own scrolling is
// switched off at construction, and skinned bars at its right (left, for a form laid out from
// the right) and bottom edges move the children instead, as far as they reach beyond the
// client area.
#include <windows.h>

#include <algorithm>
#include <vector>

#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/smdiform.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "toolkit/forms.h"

namespace {

// The client area keeps this much room around the content.
constexpr int kContentMargin = 2;
constexpr int kPageMargin = 4;
constexpr int kLargeChange = 80;

int BarThickness(TScrollBarKind kind) {
  return GetSystemMetrics(kind == sbVertical ? SM_CXVSCROLL : SM_CYHSCROLL);
}

}  // namespace

void TsSkinProvider::Notification(TComponent* component, TOperation operation) {
  TsSkinReceiver::Notification(component, operation);
  MenuComponentNotice(component, operation);
  // By identity on removal: a component being freed is no longer of its class.
  if (operation == opInsert)
    if (auto* manager = DynamicCast<TsSkinManager>(component)) SetSkinManager(manager);
  if (operation != opRemove) return;
  if (component == skin_manager_) skin_manager_ = nullptr;
  for (TsScrollBar*& bar : scroll_bars_)
    if (component == bar) bar = nullptr;
  if (component == grip_) grip_ = nullptr;
  if (mdi_form_) mdi_form_->ComponentRemoved(component);
}

bool TsSkinProvider::ScrollingAllowed() const {
  return saved_auto_scroll_ && form_ && !Designing() && !GetComponentState().Contains(csLoading) &&
         !form_->GetComponentState().Contains(csLoading) && !FormDestroying() && !FormCreating() &&
         form_->GetFormStyle() != fsMDIForm;  // an MDI main form scrolls its client (TsMDIForm)
}

bool TsSkinProvider::OwnScrollPart(TControl* control) const {
  if (auto* bar = DynamicCast<TsScrollBar>(control)) return bar->GetOwner() == this;
  if (auto* grip = DynamicCast<TsGrip>(control)) return grip->GetOwner() == this;
  return false;
}

// The extent of the children as if the form were not scrolled: a child's place moves with
// the scrolling, so the offset is added back (measured on the moved places alone, the range
// would shrink as the form scrolls and the bars would jump).
void TsSkinProvider::MeasureContent() {
  if (!form_) return;
  int width = 0, height = 0;
  for (int i = 0; i < form_->GetControlCount(); ++i) {
    TControl* control = form_->GetControl(i);
    if (!control->GetVisible() || OwnScrollPart(control)) continue;
    const TAlign align = control->GetAlign();
    if (align == alNone || align == alTop)
      height = std::max(height, control->GetTop() + control->GetHeight() + scroll_offsets_[sbVertical]);
    if (align == alNone || align == alLeft)
      width = std::max(width, control->GetLeft() + control->GetWidth() + scroll_offsets_[sbHorizontal]);
  }
  content_extent_[sbHorizontal] =
      width + kContentMargin + (scroll_bars_[sbVertical] ? scroll_bars_[sbVertical]->GetWidth() : 0);
  content_extent_[sbVertical] =
      height + kContentMargin + (scroll_bars_[sbHorizontal] ? scroll_bars_[sbHorizontal]->GetHeight() : 0);
}

void TsSkinProvider::UpdateScrollBars() {
  if (!ScrollingAllowed() || !form_->HandleAllocated()) {
    FreeScrollBar(sbHorizontal);
    FreeScrollBar(sbVertical);
    FreeAndNil(grip_);
    return;
  }
  MeasureContent();
  RECT client = form_->GetClientRect();
  // The vertical bar first: its width narrows what the horizontal bar may cover, and the
  // horizontal bar's height what the vertical one may.
  UpdateScrollBar(sbVertical, client);
  UpdateScrollBar(sbHorizontal, client);
  TsScrollBar* v = scroll_bars_[sbVertical];
  TsScrollBar* h = scroll_bars_[sbHorizontal];
  if (!v || !h) {
    FreeAndNil(grip_);
    return;
  }
  v->SetHeight(std::max(0, v->GetHeight() - h->GetHeight()));
  // The corner is the vertical bar's: on the left of a form laid out from the right.
  const int corner = std::min(v->GetWidth(), static_cast<int>(client.right));
  if (form_->UseRightToLeftAlignment())
    h->SetBounds(corner, h->GetTop(), client.right - corner, h->GetHeight());
  else
    h->SetWidth(client.right - corner);
  if (!grip_) {
    grip_ = New<TsGrip>(this);
    grip_->SetParent(form_);
  }
  grip_->SetBounds(v->GetLeft(), h->GetTop(), v->GetWidth(), h->GetHeight());
  grip_->SetVisible(true);
  grip_->BringToFront();
}

void TsSkinProvider::UpdateScrollBar(TScrollBarKind kind, RECT client) {
  const bool vertical = kind == sbVertical;
  TControlScrollBar* settings = vertical ? form_->GetVertScrollBar() : form_->GetHorzScrollBar();
  const int range = std::max(content_extent_[kind], settings->GetRange());
  const int page = (vertical ? client.bottom : client.right) - kPageMargin;
  const bool needed =
      range - page >= 1 && common_data_->SkinIndex >= 0 && FormVisible() && range > page + kPageMargin;
  if (!needed) return FreeScrollBar(kind);
  TsScrollBar*& bar = scroll_bars_[kind];
  if (!bar) {
    bar = New<TsScrollBar>(this);
    bar->SetKind(kind);
    bar->SetTabStop(false);
    bar->OnChange = TNotifyEvent(this, &TsSkinProvider::ScrollBarChange);
    bar->SetParent(form_);
  }
  const int thickness = BarThickness(kind);
  scrolling_ = true;
  bar->SetUpdating(true);
  bar->SetPageSize(std::max(page, 1));
  bar->SetSmallChange(static_cast<uint16_t>(std::clamp(settings->GetIncrement(), 1, 0xFFFF)));
  bar->SetLargeChange(kLargeChange);
  // The bar's Max is its last position: the one that shows the content's end at the edge.
  // (With Max at the whole range the form would scroll a page past its content.)
  const int last = std::max(0, range - page);
  bar->SetParams(std::min(scroll_offsets_[kind], last), 0, last);
  bar->SetUpdating(false);
  scrolling_ = false;
  if (scroll_offsets_[kind] > last) ScrollBy(kind, last - scroll_offsets_[kind]);
  if (vertical && form_->UseRightToLeftAlignment())
    bar->SetBounds(1, 1, thickness, std::max(0, static_cast<int>(client.bottom) - 2));
  else if (vertical)
    bar->SetBounds(client.right - thickness, 0, thickness, client.bottom);
  else
    bar->SetBounds(0, client.bottom - thickness, client.right, thickness);
  bar->SetVisible(true);
  bar->BringToFront();
}

// A bar no longer needed scrolls the form back first.
void TsSkinProvider::FreeScrollBar(TScrollBarKind kind) {
  TsScrollBar* bar = scroll_bars_[kind];
  if (scroll_offsets_[kind] != 0 && form_ && !FormDestroying()) ScrollBy(kind, -scroll_offsets_[kind]);
  scroll_offsets_[kind] = 0;
  if (!bar) return;
  scroll_bars_[kind] = nullptr;
  bar->OnChange = TNotifyEvent();
  Free(bar);
}

// Moves every child but the provider's own parts against the scrolling: scrolled down by
// delta, the children go up by delta.
void TsSkinProvider::ScrollBy(TScrollBarKind kind, int delta) {
  if (delta == 0) return;
  scroll_offsets_[kind] += delta;
  std::vector<TControl*> children;
  for (int i = 0; i < form_->GetControlCount(); ++i)
    if (!OwnScrollPart(form_->GetControl(i))) children.push_back(form_->GetControl(i));
  for (TControl* child : children) {
    if (kind == sbHorizontal)
      child->SetLeft(child->GetLeft() - delta);
    else
      child->SetTop(child->GetTop() - delta);
  }
}

void TsSkinProvider::ScrollBarChange(TObject* sender) {
  auto* bar = DynamicCast<TsScrollBar>(sender);
  if (scrolling_ || !bar || bar->GetUpdating() || !form_) return;
  const TScrollBarKind kind = bar == scroll_bars_[sbVertical] ? sbVertical : sbHorizontal;
  if (bar != scroll_bars_[kind]) return;
  scrolling_ = true;
  bar->SetEnabled(false);
  ScrollBy(kind, bar->GetPosition() - scroll_offsets_[kind]);
  bar->SetEnabled(true);
  if (form_->HandleAllocated()) UpdateWindow(form_->GetHandle());
  scrolling_ = false;
}
