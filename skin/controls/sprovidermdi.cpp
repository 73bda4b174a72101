// The provider's MDI branches: an MDI child's frame shares the screen with its siblings and
// with the main form's menu line (its buttons go there while it is maximized), so the
// child's activation, size and life repaint those; the main form's client follows children
// that come, go and move.
#include "skin/controls/sskinprovider.h"

#include "skin/controls/smdiform.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "toolkit/bitmap.h"
#include "toolkit/menus.h"

namespace {

bool Going(const TComponent* component) { return component->GetComponentState().Contains(csDestroying); }

bool Maximized(TCustomForm* form) { return form && form->HandleAllocated() && IsZoomed(form->GetHandle()); }

}  // namespace

TsSkinProvider* MDIMainProvider() {
  TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
  if (!main || main->GetFormStyle() != fsMDIForm || !main->HandleAllocated()) return nullptr;
  return reinterpret_cast<TsSkinProvider*>(SendMessageA(main->GetHandle(), SKM_GETPROVIDER, 0, 0));
}

// The main form's provider while this form is one of its children and neither is going.
TsSkinProvider* TsSkinProvider::MDIMainOfChild() const {
  if (!form_ || form_->GetFormStyle() != fsMDIChild) return nullptr;
  TsSkinProvider* main = MDIMainProvider();
  if (!main || main == this || Going(main) || Going(main->form_) || !main->mdi_form_) return nullptr;
  return main;
}

// A child's provider made after the main form's: the frame and the bars take the child in.
void TsSkinProvider::MDIChildConstructed() {
  TsSkinProvider* main = MDIMainOfChild();
  if (!main || !main->Skinned()) return;
  main->common_data_->BGChanged = true;
  main->mdi_form_->UpdateScrollBars();
}

// A child's menu items may stand on the main form's menu line.
void TsSkinProvider::MDIChildDestroying() {
  if (!form_ || !form_->GetMenu()) return;
  if (TsSkinProvider* main = MDIMainOfChild()) main->RepaintFrame();
}

void TsSkinProvider::MDIChildSized() {
  TsSkinProvider* main = MDIMainOfChild();
  if (!main || !form_->HandleAllocated()) return;
  if (Maximized(form_)) {
    // Maximized, the child's buttons are on the main form's menu line.
    TBitmap* cache = common_data_->GetCacheBmp();
    if (cache->GetWidth() == form_->GetWidth() || cache->GetHeight() == form_->GetHeight())
      main->common_data_->BGChanged = true;
    SendMessageA(main->form_->GetHandle(), WM_NCPAINT, 0, 0);
  }
  if (resize_mode_ != rmBorder) return;
  // The client's new ranges come on a message it posts to itself.
  Application->ProcessMessages();
  main->mdi_form_->UpdateScrollBars();
}

void TsSkinProvider::MDIActivated() {
  if (TsSkinProvider* main = MDIMainOfChild()) {
    RepaintOtherChildren();
    main->common_data_->BGChanged = true;
    SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  }
  RepaintMaximizedChild();
}

// The first activation of a child being shown: the main form's client takes it in.
void TsSkinProvider::MDINCActivating() {
  const bool first = !nc_activated_;
  nc_activated_ = true;
  if (!first || !FormVisible()) return;
  if (TsSkinProvider* main = MDIMainOfChild()) main->mdi_form_->ChildShown();
}

void TsSkinProvider::MDINCActivated() {
  TsSkinProvider* main = MDIMainOfChild();
  if (!main) return;
  RepaintOtherChildren();
  main->common_data_->BGChanged = true;
}

// The main form's caption stays active while its maximized child is the active one.
bool TsSkinProvider::MDIMainStaysActive(bool active) const {
  if (active || !mdi_form_) return active;
  TCustomForm* child = form_->GetActiveMDIChild();
  return Maximized(child) && child->GetActive();
}

// The child can only keep the caption active while our main form is the active window: once
// another top-level window takes the activation, ours or another program's, the frame greys.
void TsSkinProvider::MDIMainDeactivated() {
  if (mdi_form_ && HasBorder()) form_active_ = false;
}

void TsSkinProvider::RepaintOtherChildren() {
  TsSkinProvider* main = MDIMainOfChild();
  if (!main) return;
  for (int i = 0; TCustomForm* child = main->form_->GetMDIChild(i); ++i)
    if (child != form_ && child->HandleAllocated() && IsWindowVisible(child->GetHandle()))
      SendMessageA(child->GetHandle(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::RepaintMaximizedChild() {
  TCustomForm* main = mdi_form_ ? form_ : nullptr;
  if (TsSkinProvider* provider = MDIMainOfChild()) main = provider->form_;
  TCustomForm* child = main ? main->GetActiveMDIChild() : nullptr;
  if (Maximized(child)) RedrawWindow(child->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
}
