#include "skin/controls/sframecommands.h"

#include <windows.h>

#include "skin/controls/smdiform.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "toolkit/bitmap.h"
#include "toolkit/forms.h"

namespace {

bool ChangesState(UINT command) {
  return command == SC_MINIMIZE || command == SC_MAXIMIZE || command == SC_RESTORE;
}

void SetUpdating(TsSkinProvider* provider, bool updating) {
  if (provider) provider->GetCommonData()->SetUpdating(updating);
}

void NCPaint(HWND window) {
  if (window) SendMessageA(window, WM_NCPAINT, 0, 0);
}

// The child's own frame is this provider's; what follows concerns the main form only. Other
// commands (moving, sizing, the menus) run modal loops the main frame must keep painting in:
// it is held only for the state changes and the close.
void ChildSysCommand(TsSkinProvider* provider, TMessage& message) {
  const UINT command = message.WParam & 0xFFF0;
  TsSkinProvider* main = MDIMainProvider();
  if (!main || (!ChangesState(command) && command != SC_CLOSE)) return provider->CallPrevious(message);
  HWND child = provider->GetForm()->GetHandle();
  const bool was_maximized = IsZoomed(child);
  SetUpdating(main, true);
  provider->CallPrevious(message);
  // A close may have posted the child's release: running it here would free the child under
  // its own window procedure.
  if (command != SC_CLOSE) Application->ProcessMessages();
  TCustomForm* main_form = main->GetForm();
  if (command == SC_RESTORE)
    for (int i = 0; i < main_form->GetMDIChildCount(); ++i) {
      TCustomForm* other = main_form->GetMDIChild(i);
      if (other->HandleAllocated() && other->GetHandle() != child) NCPaint(other->GetHandle());
    }
  main->GetCommonData()->BGChanged = true;
  TsMDIForm* mdi = main->GetMDIForm();
  if (mdi) mdi->UpdateMDIIconItem();
  SetUpdating(main, false);
  NCPaint(main_form->GetHandle());
  if (was_maximized) NCPaint(main_form->GetClientHandle());
  if (mdi) mdi->UpdateScrollBars();
}

void MainSysCommand(TsSkinProvider* provider, TMessage& message) {
  provider->CallPrevious(message);
  if (!ChangesState(message.WParam & 0xFFF0)) return;
  provider->RepaintFrame();
  provider->GetMDIForm()->UpdateScrollBars();
}

}  // namespace

bool FrameSysCommand(TsSkinProvider* provider, TMessage& message) {
  TCustomForm* form = provider->GetForm();
  if (!form || !form->HandleAllocated()) return false;
  if (form->GetFormStyle() == fsMDIChild) {
    ChildSysCommand(provider, message);
    return true;
  }
  if (!provider->GetMDIForm()) return false;
  MainSysCommand(provider, message);
  return true;
}

bool FrameSizing(TsSkinProvider* provider, TMessage& message) {
  provider->CallPrevious(message);
  TCustomForm* form = provider->GetForm();
  if (!form || !form->HandleAllocated()) return true;
  RECT r{};
  GetWindowRect(form->GetHandle(), &r);
  const TBitmap* cache = provider->GetCommonData()->GetCacheBmp();
  if (cache && cache->GetWidth() == r.right - r.left && cache->GetHeight() == r.bottom - r.top) return true;
  provider->GetCommonData()->BGChanged = true;
  if (TsMDIForm* mdi = provider->GetMDIForm()) mdi->UpdateScrollBars();
  return true;
}

TsMDIMainHold::TsMDIMainHold() { SetUpdating(MDIMainProvider(), true); }

TsMDIMainHold::~TsMDIMainHold() {
  TsSkinProvider* main = MDIMainProvider();
  if (!main || !main->GetCommonData()->Updating()) return;
  // The child did not let it go (it is not skinned): the frame missed what happened meanwhile.
  main->GetCommonData()->SetUpdating(false);
  main->RepaintFrame();
}
