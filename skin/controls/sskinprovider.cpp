// The form skin provider: modes, the message table, the metrics, the frame painter and the
// window region.
#include "skin/controls/sskinprovider.h"

#include <algorithm>

#include "skin/controls/sbuttons.h"
#include "skin/controls/sctrladapter.h"
#include "skin/controls/sedit.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/slistbox.h"
#include "skin/controls/slistview.h"
#include "skin/controls/smdiform.h"
#include "skin/controls/smessagedlg.h"
#include "skin/controls/sskinmenus.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/supdown.h"
#include "skin/engine/sbevels.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin/engine/sitempaint.h"
#include "skin/engine/smaskpaint.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/classregistry.h"
#include "toolkit/menus.h"
#include "toolkit/typinfo.h"
#include "toolkit/winsubclass.h"

namespace {

// Registered once for the process, not on every message the provider passes on.
UINT TaskbarCreatedMessage() {
  static const UINT message = RegisterWindowMessageA("TaskbarCreated");
  return message;
}

constexpr int kProviderKind = 224;
constexpr int kIconicWidth = 160;
const char kBordersMask[] = "BORDERSMASK";

const TEnumInfo& ProviderBorderIconsInfo() {
  static const TEnumInfo info{"biSystemMenu", "biMinimize", "biMaximize", "biHelp"};
  return info;
}
const TEnumInfo& GripModeInfo() {
  static const TEnumInfo info{"gmNone", "gmRightBottom"};
  return info;
}
const TEnumInfo& ResizeModeInfo() {
  static const TEnumInfo info{"rmStandard", "rmBorder"};
  return info;
}

TCustomForm* OwningForm(TComponent* owner) {
  for (TComponent* c = owner; c; c = c->GetOwner())
    if (auto* form = DynamicCast<TCustomForm>(c)) return form;
  return nullptr;
}

bool SkinActive() { return SkinData().DefaultManager && SkinData().SkinLoaded; }

// Another child of the MDI main form than this one is maximized (and covers it).
bool SiblingMaximized(TCustomForm* form) {
  TCustomForm* main = Application ? Application->GetMainForm() : nullptr;
  if (form->GetFormStyle() != fsMDIChild || !main || main->GetFormStyle() != fsMDIForm) return false;
  TCustomForm* active = main->GetActiveMDIChild();
  return active && active != form && active->HandleAllocated() && IsZoomed(active->GetHandle());
}

bool HasVisibleTopItem(const TMainMenu* menu) {
  if (!menu) return false;
  for (int i = 0; i < menu->GetItems()->GetCount(); ++i)
    if (menu->GetItems()->GetItem(i)->GetVisible()) return true;
  return false;
}

TsMenuPainter* MenuPainter() {
  TsSkinManager* manager = SkinData().DefaultManager;
  return manager ? manager->GetMenuPainter() : nullptr;
}

// A state cell's size of a glyph mask (own image: 3 states side by side over 2 halves).
SIZE GlyphSize(int mask_index) { return GetMaskFrameSize(mask_index); }

// The height of one state cell of a frame mask's corner, where its bottom corners begin.
int MaskCellHeight(const TsMaskData& mask) {
  if (mask.Bmp) return mask.Bmp->GetHeight() / 6;
  return (mask.R.bottom - mask.R.top) / ((std::max<int>(mask.MaskType, 0) + 1) * 3);
}

int MaskCellWidth(const TsMaskData& mask) {
  if (mask.Bmp) return mask.Bmp->GetWidth() / 9;
  return mask.ImageCount > 0 ? (mask.R.right - mask.R.left) / (mask.ImageCount * 3) : 0;
}

}  // namespace

TK_CLASS_INFO(TsSkinProvider, TsSkinReceiver)

void TsSkinProvider::Publish(TPublisher<TsSkinProvider>& p) {
  using P = TsSkinProvider;
  p.Set("BorderIcons", ProviderBorderIconsInfo(), &P::GetBorderIcons, &P::SetBorderIcons)
      .Default(TsBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits());
  p.Enumeration("CaptionAlignment", AlignmentInfo(), &P::GetCaptionAlignment, &P::SetCaptionAlignment)
      .Default(taLeftJustify);
  p.Object("CommonData", &P::GetCommonData, &P::SetCommonData);
  p.Enumeration("GripMode", GripModeInfo(), &P::GetGripMode, &P::SetGripMode).Default(gmNone);
  p.Boolean("MakeSkinMenu", &P::GetMakeSkinMenu, &P::SetMakeSkinMenu).Default(true);
  p.Enumeration("ResizeMode", ResizeModeInfo(), &P::GetResizeMode, &P::SetResizeMode).Default(rmStandard);
  p.Boolean("ShowAppIcon", &P::GetShowAppIcon, &P::SetShowAppIcon).Default(true);
  p.Collection("TitleButtons", &P::GetTitleButtons, &P::SetTitleButtons);
  p.Object("TitleIcon", &P::GetTitleIcon, &P::SetTitleIcon);
}

void RegisterSkinControlsClasses() {
  RegisterClasses({TsSkinProvider::StaticClass(), TsTitleButton::StaticClass()});
  RegisterSkinPanelClasses();
  RegisterSkinEditsClasses();
  RegisterSkinScrollClasses();
  RegisterSkinListBoxClasses();
  RegisterSkinUpDownClasses();
  RegisterAdapterClasses();
  RegisterSkinChecksClasses();
  RegisterSkinButtonsClasses();
  RegisterSkinDialogClasses();
  RegisterSkinListViewClasses();
}

// ---- Life ------------------------------------------------------------------------------------

TsSkinProvider::TsSkinProvider(TComponent* owner)
    : TsSkinReceiver(owner),
      form_(OwningForm(owner)),
      subclass_(new TWindowSubclass(TWndMethod(this, &TsSkinProvider::WndProc))),
      frame_mouse_(new TsFrameMouse(this)),
      common_data_(New<TsCommonData>(this, true)),
      title_buttons_(New<TsTitleButtons>(this)),
      title_icon_(New<TsTitleIcon>()),
      button_background_(New<TBitmap>()),
      menu_line_(New<TBitmap>()),
      region_rects_(1) {
  common_data_->SetSkinSection("FORM");
  common_data_->COC = kProviderKind;
  SetSkinManager(SkinData().DefaultManager);
  if (form_) {
    text_seen_on_cursor_ = text_seen_on_gettext_ = form_->GetCaption();
    saved_border_icons_ = form_->GetBorderIcons();
    // The form's scrolling becomes ours, with skinned bars.
    saved_auto_scroll_ = form_->GetAutoScroll();
    if (!Designing()) form_->SetAutoScroll(false);
  }
}

TsSkinProvider::~TsSkinProvider() {
  MDIChildDestroying();
  delete mdi_form_;
  mdi_form_ = nullptr;
  Detach();
  delete subclass_;
  delete frame_mouse_;
  FreeAndNil(common_data_);
  FreeAndNil(title_buttons_);
  FreeAndNil(title_icon_);
  FreeAndNil(button_background_);
  FreeAndNil(menu_line_);
  FreeAndNil(caption_band_);
}

void TsSkinProvider::AfterConstruction() {
  TsSkinReceiver::AfterConstruction();
  TaskbarCreatedMessage();
  UpdateIndexes();
  // Read from a form definition: attached in Loaded, when the form's frame is known.
  if (GetComponentState().Contains(csLoading)) return;
  Attach();
  CreateMDIForm();
  MDIChildConstructed();
}

void TsSkinProvider::CreateMDIForm() {
  if (mdi_form_ || !form_ || form_->GetFormStyle() != fsMDIForm || Designing()) return;
  mdi_form_ = new TsMDIForm(this);
}

// The bars follow every size, move, activation and command of the form and its children.
void TsSkinProvider::MDIFormMessage(const TMessage& message) {
  switch (message.Msg) {
    case WM_SIZE:
    case WM_WINDOWPOSCHANGED:
    case WM_ACTIVATE:
    case WM_SYSCOMMAND: mdi_form_->UpdateScrollBars(); break;
    case SKM_SETNEWSKIN:
    case SKM_REMOVESKIN: mdi_form_->UpdateMDIIconItem(); break;
    default:
      if (message.Msg != MDIChildChangedMessage()) break;
      mdi_form_->UpdateMDIIconItem();
      // A child maximized or restored: its buttons come onto or leave the menu line.
      if (frame_mouse_->MDIButtonsStale()) {
        menu_changed_ = true;
        RepaintFrame();
      }
  }
}

void TsSkinProvider::Loaded() {
  TsSkinReceiver::Loaded();
  UpdateIndexes();
  frame_mouse_->UpdateSystemMenu();
  const int mask = GetMaskIndex(common_data_->SkinIndex, common_data_->GetSkinSection(), "TITLEBUTTON");
  for (int i = 0; i < title_buttons_->GetCount(); ++i) {
    TsTitleButton* button = title_buttons_->Button(i);
    button->MaskIndex = button->UseSkinData ? mask : -1;
  }
  Attach();
  CreateMDIForm();
  MDIChildConstructed();
}

void TsSkinProvider::UpdateIndexes() {
  common_data_->UpdateIndexes();
  // The fallback section of other controls does not apply to forms.
  if (GetSkinIndex(common_data_->GetSkinSection()) < 0) {
    common_data_->SkinIndex = -1;
    common_data_->BorderIndex = -1;
  }
  frame_mouse_->UpdateMasks();
}

void TsSkinProvider::Attach() {
  if (!form_ || subclass_->Installed() || attaching_) return;
  if (!previous_window_proc_) {
    previous_window_proc_ = form_->WindowProc;
    form_->WindowProc = TWndMethod(this, &TsSkinProvider::FormWindowProc);
  }
  // No window is made here: a form still being read gets its window (and its children
  // theirs) in the usual order; the first message of the new window brings us back.
  if (!form_->HandleAllocated()) return;
  {
    // Cleared on every way out: a refused subclass leaves the provider free to try again.
    attaching_ = true;
    struct TAttaching {
      bool& flag;
      ~TAttaching() { flag = false; }
    } attaching{attaching_};
    subclass_->Install(form_->GetHandle());
    form_active_ = true;
    activated_once_ = true;
    frame_mouse_->ClearHot();
    common_data_->BGChanged = true;
    // The system draws no caption buttons of its own under a skinned frame.
    if (Skinned() && !form_->GetBorderIcons().Empty()) {
      saved_border_icons_ = form_->GetBorderIcons();
      border_icons_guard_ = true;
      form_->SetBorderIcons({});
      border_icons_guard_ = false;
    }
  }
  if (FormVisible()) SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::SetSkinManager(TsSkinManager* manager) {
  if (skin_manager_ || !manager) return;
  skin_manager_ = manager;
  manager->FreeNotification(this);  // a manager on another form tells us it goes too
}

void TsSkinProvider::Detach() {
  // Both leave a procedure installed after ours in place.
  subclass_->Uninstall();
  if (!form_) return;
  const TWndMethod ours(this, &TsSkinProvider::FormWindowProc);
  if (form_->WindowProc == ours) {
    form_->WindowProc = previous_window_proc_;
    return;
  }
  // A provider hooked in after us passes on to ours: it passes on to our previous from now.
  for (int i = 0; i < form_->GetComponentCount(); ++i)
    if (auto* later = DynamicCast<TsSkinProvider>(form_->GetComponent(i));
        later && later != this && later->previous_window_proc_ == ours)
      later->previous_window_proc_ = previous_window_proc_;
}

void TsSkinProvider::FormWindowProc(TMessage& message) {
  // A window made again (new styles, a skin removed and back) loses the subclass with the
  // old one: take the new one over before it is shown.
  if (!attaching_ && !subclass_->Installed() && form_->HandleAllocated() && Skinned() && !FormCreating() &&
      message.Msg != WM_NCDESTROY && message.Msg != WM_DESTROY) {
    region_dirty_ = true;
    Attach();
  }
  previous_window_proc_(message);
  if (message.Msg != CM_TEXTCHANGED || !Skinned()) return;
  text_seen_on_cursor_ = text_seen_on_gettext_ = form_->GetCaption();
  if (FormVisible()) RepaintFrame();
}

bool TsSkinProvider::Attached() const {
  if (!subclass_->Installed()) return false;
  return GetWindowLongPtrA(subclass_->GetWindow(), GWLP_WNDPROC) !=
         reinterpret_cast<LONG_PTR>(subclass_->GetPreviousProc());
}

// ---- Properties ------------------------------------------------------------------------------

void TsSkinProvider::SetCaptionAlignment(TAlignment alignment) {
  if (alignment == caption_alignment_) return;
  caption_alignment_ = alignment;
  FrameChanged();
}

void TsSkinProvider::SetShowAppIcon(bool value) {
  if (value == show_app_icon_) return;
  show_app_icon_ = value;
  FrameChanged();
}

// A hidden form paints the new frame when it shows.
void TsSkinProvider::FrameChanged() {
  common_data_->BGChanged = true;
  if (FormVisible()) SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::SetCommonData(TsCommonData* data) {
  if (data) common_data_->SetSkinSection(data->GetSkinSection());
}

void TsSkinProvider::SetTitleButtons(TsTitleButtons* buttons) { title_buttons_->Assign(buttons); }
void TsSkinProvider::SetTitleIcon(TsTitleIcon* icon) { title_icon_->Assign(icon); }

// ---- State -----------------------------------------------------------------------------------

bool TsSkinProvider::Designing() const { return GetComponentState().Contains(csDesigning); }

bool TsSkinProvider::FormCreating() const {
  return !form_ || form_->GetFormState().Contains(fsCreating) ||
         form_->GetControlState().Contains(csCreating);
}

bool TsSkinProvider::FormDestroying() const {
  return !form_ || form_->GetComponentState().Contains(csDestroying);
}

bool TsSkinProvider::FormVisible() const {
  return form_ && form_->HandleAllocated() && IsWindowVisible(form_->GetHandle());
}

bool TsSkinProvider::Skinned() const {
  return !FormDestroying() && !Designing() && skin_manager_ && SkinActive() && common_data_->SkinIndex >= 0 &&
         !border_icons_guard_;
}

bool TsSkinProvider::HasBorder() const { return form_ && form_->GetBorderStyle() != bsNone; }

bool TsSkinProvider::IconShown() const {
  const TFormBorderStyle style = form_->GetBorderStyle();
  return (style == bsSingle || style == bsSizeable) && show_app_icon_;
}

// An MDI child's menu shows in the main form's line, merged with the main form's own items.
bool TsSkinProvider::HasMenuLine() const {
  TMainMenu* menu = form_->GetMenu();
  if (!menu || form_->GetBorderStyle() == bsDialog || form_->GetFormStyle() == fsMDIChild) return false;
  if (HasVisibleTopItem(menu)) return true;
  TCustomForm* child = form_->GetFormStyle() == fsMDIForm ? form_->GetActiveMDIChild() : nullptr;
  return child && HasVisibleTopItem(child->GetMenu());
}

// ---- Metrics ---------------------------------------------------------------------------------

int TsSkinProvider::FrameWidth() const {
  switch (form_->GetBorderStyle()) {
    case bsNone: return 0;
    case bsSizeable:
    case bsSizeToolWin: return GetSystemMetrics(SM_CXFRAME);
    default: return GetSystemMetrics(SM_CXFRAME) - 1;
  }
}

int TsSkinProvider::FrameHeight() const {
  switch (form_->GetBorderStyle()) {
    case bsNone: return 0;
    case bsSizeable:
    case bsToolWindow:
    case bsSizeToolWin: return GetSystemMetrics(SM_CYFRAME);
    default: return GetSystemMetrics(SM_CYFRAME) - 1;
  }
}

int TsSkinProvider::CaptionHeight() const {
  switch (form_->GetBorderStyle()) {
    case bsNone: return 0;
    case bsSizeToolWin: return GetSystemMetrics(SM_CYSMCAPTION);
    case bsToolWindow: return GetSystemMetrics(SM_CYSMCAPTION) - 1;
    default: return GetSystemMetrics(SM_CYCAPTION);
  }
}

int TsSkinProvider::MenuHeight() const { return form_->GetMenu() ? GetSystemMetrics(SM_CYMENU) - 1 : 0; }

int TsSkinProvider::MenuBandHeight() const { return HasMenuLine() ? MenuHeight() * menu_line_count_ : 0; }

POINT TsSkinProvider::ClientOffset() const {
  const int bw = form_->GetBorderWidth();
  return {FrameWidth() + bw, FrameHeight() + CaptionHeight() + MenuBandHeight() + bw};
}

POINT TsSkinProvider::ClientOrigin() const {
  const POINT offset = ClientOffset();
  return {offset.x, offset.y + (HasMenuLine() ? 1 : 0)};
}

int TsSkinProvider::FrameTopBand() const {
  if (!HasBorder()) return 1;
  return FrameHeight() + CaptionHeight() + MenuBandHeight() + form_->GetBorderWidth() + 1;
}

RECT TsSkinProvider::IconRect() const {
  RECT r{FrameWidth(), FrameHeight(), FrameWidth(), FrameHeight() + GetSystemMetrics(SM_CYSMICON)};
  if (IconShown()) r.right += GetSystemMetrics(SM_CXSMICON);
  return r;
}

// ---- The window procedure --------------------------------------------------------------------

void TsSkinProvider::CallPrevious(TMessage& message) {
  if (subclass_->Installed()) return subclass_->CallPrevious(message);
  // Reached through the broadcast without our subclass: the form's own procedure.
  if (form_ && form_->HandleAllocated())
    message.Result = SendMessageA(form_->GetHandle(), message.Msg, message.WParam, message.LParam);
}

void TsSkinProvider::WndProc(TMessage& message) {
  if (Skinned()) {
    message.Result = 0;
    SkinnedProc(message);
  } else {
    UnskinnedProc(message);
  }
  if (mdi_form_) MDIFormMessage(message);
}

void TsSkinProvider::UnskinnedProc(TMessage& message) {
  switch (message.Msg) {
    case SKM_SETNEWSKIN: NewSkin(message, false); break;
    case SKM_REMOVESKIN: RemoveSkin(false); break;
    default:
      if (subclass_->Installed()) CallPrevious(message);
  }
}

void TsSkinProvider::SkinnedProc(TMessage& message) {
  switch (message.Msg) {
    case WM_GETTEXT:
      CallPrevious(message);
      CheckCaption(text_seen_on_gettext_);
      break;
    case WM_SETCURSOR:
      CallPrevious(message);
      CheckCaption(text_seen_on_cursor_);
      break;
    case WM_SETTEXT: WMSetText(message); break;
    case WM_PAINT: WMPaint(message); break;
    case WM_ERASEBKGND: message.Result = 1; break;
    case WM_NCPAINT: WMNCPaint(message); break;
    case WM_NCACTIVATE: WMNCActivate(message); break;
    case WM_ACTIVATE: WMActivate(message); break;
    case WM_WINDOWPOSCHANGED:
    case WM_EXITSIZEMOVE: WMPosChanged(message); break;
    case WM_WINDOWPOSCHANGING:
      if (!common_data_->Updating()) CallPrevious(message);
      MeasureContent();
      break;
    case WM_SIZE:
      CallPrevious(message);
      UpdateScrollBars();
      MDIChildSized();
      break;
    case WM_MOVE: WMMove(message); break;
    case WM_GETMINMAXINFO: WMGetMinMaxInfo(message); break;
    case WM_MEASUREITEM: WMMeasureItem(message); break;
    case WM_SYSCOLORCHANGE:
      CallPrevious(message);
      RefreshMenuBar();
      break;
    case WM_COMMAND: WMCommand(message); break;
    case CM_MENUCHANGED: CMMenuChanged(message); break;
    case WM_NCHITTEST:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCMOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_MOUSEMOVE:
    case WM_SIZING:
    case WM_SYSCOMMAND:
    case WM_MOUSELEAVE:
    case WM_NCMOUSELEAVE:
    case CM_MOUSELEAVE:
    case WM_CAPTURECHANGED:
      if (!frame_mouse_->WndProc(message)) CallPrevious(message);
      break;
    case SKM_SETNEWSKIN: NewSkin(message, true); break;
    case SKM_REMOVESKIN: RemoveSkin(true); break;
    case SKM_CLEARINDEXES: common_data_->SkinIndex = common_data_->BorderIndex = -1; break;
    case SKM_GETPROVIDER: message.Result = reinterpret_cast<LRESULT>(this); break;
    case SKM_REFRESH: Refresh(); break;
    case SKM_GETCACHEINFO: AnswerCacheInfo(); break;
    case SKM_SETUPDATING: SetUpdatingFlag(message); break;
    case SKM_ISCACHEREADY:
      message.Result = !common_data_->BGChanged && !common_data_->Updating() ? 1 : 0;
      break;
    case SKM_ISUPDATING: message.Result = common_data_->BGChanged || common_data_->Updating() ? 1 : 0; break;
    default:
      // The taskbar's restart notice would have the system redraw the caption.
      if (message.Msg == TaskbarCreatedMessage()) break;
      CallPrevious(message);
  }
}

// The caption comes from the form's own text: sending WM_GETTEXT from here would recurse.
void TsSkinProvider::CheckCaption(std::string& seen) {
  if (form_->GetCaption() == seen) return;
  seen = form_->GetCaption();
  RepaintFrame();
}

void TsSkinProvider::RepaintFrame() {
  common_data_->BGChanged = true;
  if (form_ && form_->HandleAllocated()) SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
}

void TsSkinProvider::NewSkin(TMessage& message, bool skinned) {
  (void)skinned;
  UpdateIndexes();
  if (!SkinData().DefaultManager) return;
  if (!skin_manager_) SetSkinManager(SkinData().DefaultManager);
  if (Designing() || !form_) return;
  if (common_data_->SkinIndex < 0) return;
  if (!form_->GetBorderIcons().Empty()) {
    saved_border_icons_ = form_->GetBorderIcons();
    border_icons_guard_ = true;
    form_->SetBorderIcons({});
    border_icons_guard_ = false;
  }
  if (!subclass_->Installed() && form_->HandleAllocated()) {
    form_active_ = Screen && Screen->GetActiveForm() == form_;
    subclass_->Install(form_->GetHandle());
  }
  FreeAndNil(caption_band_);
  region_dirty_ = true;
  common_data_->BGChanged = true;
  for (TsScrollBar* bar : scroll_bars_)
    if (bar) bar->Perform(message.Msg, message.WParam, message.LParam);
  UpdateScrollBars();
  if (form_->HandleAllocated()) SendMessageA(form_->GetHandle(), WM_NCPAINT, message.WParam, message.LParam);
}

void TsSkinProvider::RemoveSkin(bool skinned) {
  common_data_->SkinIndex = common_data_->BorderIndex = -1;
  common_data_->BGChanged = true;
  if (Designing() || !skin_manager_ || !form_ || FormDestroying()) return;
  UpdateScrollBars();
  FreeAndNil(caption_band_);
  region_dirty_ = true;
  if (form_->HandleAllocated()) SetWindowRgn(form_->GetHandle(), nullptr, TRUE);
  if (form_->GetBorderIcons() == saved_border_icons_) {
    // Nothing of ours to give back: a new window drops every trace of the skinned frame.
    if (!skinned) Application->ProcessMessages();
    form_->Perform(CM_RECREATEWND, 0, 0);
    return;
  }
  border_icons_guard_ = true;
  form_->SetBorderIcons(saved_border_icons_);
  border_icons_guard_ = false;
}

void TsSkinProvider::Refresh() {
  if (GetComponentState().Contains(csLoading)) return;
  common_data_->BGChanged = true;
  common_data_->SetUpdating(false);
  FreeAndNil(caption_band_);
  if (!form_->HandleAllocated()) return;
  SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  // A maximized child covers the MDI client: only it is repainted.
  TCustomForm* child = mdi_form_ ? form_->GetActiveMDIChild() : nullptr;
  if (child && child->HandleAllocated() && IsZoomed(child->GetHandle())) {
    RedrawWindow(child->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    return;
  }
  RedrawWindow(form_->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
  if (!mdi_form_ || !form_->GetClientHandle()) return;
  // The client takes its ground and ring from the new frame.
  mdi_form_->ResizeClient();
  SendMessageA(form_->GetClientHandle(), WM_NCPAINT, 1, 0);
}

void TsSkinProvider::AnswerCacheInfo() {
  if (GetComponentState().Contains(csLoading)) return;
  // The client area is copied from the cache at this offset: children read it there too.
  const POINT offset = ClientOrigin();
  GlobalCacheInfo = TsCacheInfo{common_data_->GetCacheBmp(), offset.x, offset.y, true};
}

void TsSkinProvider::SetUpdatingFlag(TMessage& message) {
  common_data_->SetUpdating(message.LParam != 0);
  if (message.LParam != 0) common_data_->BGChanged = true;
}

// Wine draws the system caption over ours when the text changes: draw ours again at once.
void TsSkinProvider::WMSetText(TMessage& message) {
  CallPrevious(message);
  text_seen_on_cursor_ = text_seen_on_gettext_ = form_->GetCaption();
  if (FormVisible()) RepaintFrame();
}

void TsSkinProvider::WMActivate(TMessage& message) {
  CallPrevious(message);
  if (FormCreating()) return;
  UpdateScrollBars();
  activated_once_ = true;
  common_data_->BGChanged = true;
  if (LOWORD(message.WParam) == WA_INACTIVE) MDIMainDeactivated();
  MDIActivated();
  if (!HasBorder()) return;
  SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  RehookMenu();
}

// A moved MDI child changes the main form's scroll range.
void TsSkinProvider::WMMove(TMessage& message) {
  CallPrevious(message);
  if (form_->GetFormStyle() != fsMDIChild || IsZoomed(form_->GetHandle())) return;
  if (TsSkinProvider* main = MDIMainProvider(); main && main->mdi_form_) main->mdi_form_->UpdateScrollBars();
}

// A main-menu item the menu line measures is painted by the skinned menus, whoever made it.
void TsSkinProvider::WMMeasureItem(TMessage& message) {
  const auto* measure = reinterpret_cast<const MEASUREITEMSTRUCT*>(message.LParam);
  TMainMenu* menu = form_->GetMenu();
  TsMenuPainter* painter = MenuPainter();
  if (measure && measure->CtlType == ODT_MENU && menu && painter && form_->GetFormStyle() != fsMDIChild)
    if (TMenuItem* item = menu->FindItem(measure->itemID, fkCommand)) painter->HookItem(item, true);
  CallPrevious(message);
}

void TsSkinProvider::MenuComponentNotice(TComponent* component, TOperation operation) {
  TsMenuPainter* painter = MenuPainter();
  if (auto* item = DynamicCast<TMenuItem>(component); item && painter && !Designing())
    painter->HookItem(item, operation == opInsert);
}

void TsSkinProvider::RehookMenu() {
  TsMenuPainter* painter = MenuPainter();
  if (painter && form_->GetMenu()) painter->HookMainMenu(form_->GetMenu());
}

void TsSkinProvider::WMNCActivate(TMessage& message) {
  // The system's answer paints its own caption; the skinned one goes over it right after.
  CallPrevious(message);
  MDINCActivating();
  if (FormCreating()) return;
  SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  if (const bool active = MDIMainStaysActive(message.WParam != 0); HasBorder() && form_active_ != active) {
    form_active_ = active;
    common_data_->BGChanged = true;
  }
  MDINCActivated();
  SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  if (HasBorder()) RehookMenu();
  if (!menu_bar_refreshed_) {
    menu_bar_refreshed_ = true;
    RefreshMenuBar();
  }
  message.Result = 1;
}

void TsSkinProvider::WMPosChanged(TMessage& message) {
  region_dirty_ = true;
  CallPrevious(message);
  // A form shown without being activated lays its bars out here.
  if (message.Msg == WM_WINDOWPOSCHANGED &&
      (reinterpret_cast<WINDOWPOS*>(message.LParam)->flags & SWP_SHOWWINDOW))
    UpdateScrollBars();
  TBitmap* cache = common_data_->GetCacheBmp();
  if (cache->GetWidth() == form_->GetWidth() && cache->GetHeight() == form_->GetHeight()) return;
  if (!FormCreating()) common_data_->BGChanged = true;
  if (!FormVisible()) return;
  SendMessageA(form_->GetHandle(), WM_NCPAINT, 0, 0);
  RedrawWindow(form_->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_NOERASE);
}

void TsSkinProvider::WMCommand(TMessage& message) {
  switch (HIWORD(message.WParam)) {
    case 0x0300:
      CallPrevious(message);
      RepaintFrame();
      break;
    case 0x0400: message.Result = 0; break;
    default: CallPrevious(message);
  }
}

void TsSkinProvider::WMGetMinMaxInfo(TMessage& message) {
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  auto* info = reinterpret_cast<MINMAXINFO*>(message.LParam);
  info->ptMaxTrackSize = {work.right - work.left + 6, work.bottom - work.top + 6};
  CallPrevious(message);
}

void TsSkinProvider::CMMenuChanged(TMessage& message) {
  if (FormVisible() && !FormCreating()) {
    menu_changed_ = true;
    if (!form_->GetFormState().Contains(fsShowing)) common_data_->BGChanged = true;
  }
  CallPrevious(message);
}

// Renaming the first item makes the system lay the menu bar out again.
void TsSkinProvider::RefreshMenuBar() {
  TMainMenu* menu = form_->GetMenu();
  if (!menu || menu->GetItems()->GetCount() == 0) return;
  TMenuItem* first = menu->GetItems()->GetItem(0);
  const std::string caption = first->GetCaption();
  first->SetCaption("");
  first->SetCaption(caption);
}

// ---- Non-client painting and the region ------------------------------------------------------

void TsSkinProvider::WMNCPaint(TMessage& message) {
  message.Result = 1;
  if (!FormVisible() || GetComponentState().Contains(csLoading) || FormCreating() ||
      common_data_->Updating() || SiblingMaximized(form_))
    return;
  if (region_dirty_ && !region_guard_ && HasBorder()) BuildRegion();
  HDC dc = GetWindowDC(form_->GetHandle());
  const int saved = SaveDC(dc);
  PaintNonClient(dc);
  RestoreDC(dc, saved);
  ReleaseDC(form_->GetHandle(), dc);
  region_guard_ = false;
}

void TsSkinProvider::BuildRegion() {
  region_rects_.assign(1, RECT{});
  region_rects_.clear();
  const bool iconic = IsIconic(form_->GetHandle());
  const int width = iconic ? kIconicWidth : form_->GetWidth();
  if (IsValidImgIndex(common_data_->BorderIndex)) {
    const TsMaskData& mask = SkinMasks[common_data_->BorderIndex];
    GetTransparentRects(region_rects_, width, mask, false, 0);
    GetTransparentRects(region_rects_, width, mask, true, form_->GetHeight() - MaskCellHeight(mask));
  }
  const int title = GetSkinIndex("FORMTITLE");
  const int title_mask = title >= 0 ? GetMaskIndex(title, "FORMTITLE", kBordersMask) : -1;
  if (IsValidImgIndex(title_mask)) GetTransparentRects(region_rects_, width, SkinMasks[title_mask], false, 0);
  region_dirty_ = false;
  if (!region_guard_) ApplyRegion();
}

void TsSkinProvider::ApplyRegion() {
  region_guard_ = true;
  HRGN region = CreateRectRgn(0, 0, form_->GetWidth(), form_->GetHeight());
  for (const RECT& r : region_rects_) {
    HRGN cut = CreateRectRgn(r.left, r.top, r.right, r.bottom);
    CombineRgn(region, region, cut, RGN_DIFF);
    DeleteObject(cut);
  }
  SetWindowRgn(form_->GetHandle(), region, TRUE);  // the window owns the region now
}

void TsSkinProvider::PaintNonClient(HDC dc) {
  if (common_data_->BGChanged) {
    const bool fast = caption_band_ && caption_band_->GetWidth() == form_->GetWidth() && HasBorder();
    if (!fast) client_repaint_pending_ = true;
    PaintFrame();
  }
  TBitmap* cache = common_data_->GetCacheBmp();
  HDC src = cache->GetCanvas()->GetHandle();
  // The client part of the cache is new too: WM_PAINT copies it.
  if (client_repaint_pending_) InvalidateRect(form_->GetHandle(), nullptr, FALSE);
  const bool iconic = IsIconic(form_->GetHandle());
  const int bw = form_->GetBorderWidth();
  const int fw = FrameWidth() + bw;
  const int fh = FrameHeight() + bw;
  const int top = FrameHeight() + CaptionHeight() + (iconic ? 1 : 0) + MenuBandHeight() + bw;
  const int w = cache->GetWidth(), h = cache->GetHeight();
  BitBlt(dc, 0, 0, form_->GetWidth(), HasMenuLine() ? top + 1 : top, src, 0, 0, SRCCOPY);
  BitBlt(dc, 0, top, fw, h - top, src, 0, top, SRCCOPY);
  BitBlt(dc, fw, form_->GetHeight() - fh, w - 2 * fw, fh, src, fw, form_->GetHeight() - fh, SRCCOPY);
  BitBlt(dc, w - fw, top, fw, h - top, src, w - fw, top, SRCCOPY);
}

// ---- The frame painter ----------------------------------------------------------------------

void TsSkinProvider::PaintFrame() {
  if (FormCreating() || !common_data_->BGChanged) return;
  TBitmap* cache = common_data_->GetCacheBmp();
  const TsGeneralData* general =
      IsValidSkinIndex(common_data_->SkinIndex) ? &SkinGeneralData[common_data_->SkinIndex] : nullptr;
  const bool fast = !menu_changed_ && general && general->ReservedBoolean && caption_band_ &&
                    caption_band_->GetWidth() == form_->GetWidth() &&
                    cache->GetHeight() == form_->GetHeight() && HasBorder();
  if (fast) {
    cache->GetCanvas()->Draw(0, 0, caption_band_);
    PaintCaptionBand(RECT{0, 0, caption_band_->GetWidth(), caption_band_->GetHeight()});
    common_data_->BGChanged = false;
  } else {
    PaintFullFrame();
  }
  menu_changed_ = false;
  frame_painted_ = true;
}

void TsSkinProvider::PaintFullFrame() {
  TBitmap* cache = common_data_->GetCacheBmp();
  const bool iconic = form_->HandleAllocated() && IsIconic(form_->GetHandle());
  const int band = CaptionHeight() + 2 * FrameHeight();
  const RECT r = iconic ? RECT{0, 0, kIconicWidth, band - FrameHeight() + 1}
                        : RECT{0, 0, form_->GetWidth(), form_->GetHeight()};
  region_dirty_ = true;
  cache->SetPixelFormat(pf24bit);
  cache->SetSize(r.right, r.bottom);
  const int skin = common_data_->SkinIndex;
  if (!IsValidSkinIndex(skin)) return;
  const std::string& section = common_data_->GetSkinSection();
  const int state = form_active_ ? 1 : 0;
  if (HasBorder())
    PaintItem(skin, section, EmptyCI, state, false, r, POINT{0, 0}, cache);
  else
    PaintItemBG(skin, section, EmptyCI, state, r, POINT{0, 0}, cache);
  const int grip = GetMaskIndex(skin, section, "GRIPIMAGE");
  if (grip_mode_ == gmRightBottom && IsValidImgIndex(grip))
    DrawSkinGlyph(cache, GripPoint(), 0, SkinMasks[grip]);
  const int caption_band_height = CaptionHeight() + FrameHeight();
  if (SkinGeneralData[skin].ReservedBoolean && HasBorder() &&
      (!caption_band_ || caption_band_->GetWidth() != cache->GetWidth())) {
    if (!caption_band_) caption_band_ = New<TBitmap>();
    caption_band_->SetPixelFormat(pf24bit);
    caption_band_->SetSize(cache->GetWidth(), caption_band_height);
    BitBlt(caption_band_->GetCanvas()->GetHandle(), 0, 0, cache->GetWidth(), caption_band_height,
           cache->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
  }
  if (HasBorder()) {
    const int title = GetSkinIndex("FORMTITLE");
    if (IsValidSkinIndex(title)) {
      const RECT tr{0, 0, r.right, iconic ? r.bottom : band - FrameHeight()};
      const POINT offset = ClientOffset();
      const TsCacheInfo ci{cache, offset.x, offset.y, true};
      PaintItem(title, "FORMTITLE", ci, state, true, tr, POINT{0, 0}, cache);
    }
    if (!iconic) PaintIcon();
    PaintTitleBar(band - FrameHeight());
  }
  if (HasMenuLine() && MenuHeight() > 0) PaintMenuLine();
  if (HasBorder()) {
    if (!iconic) {
      TakeButtonBackground();
      frame_mouse_->PaintTitleButtons(cache);
      frame_mouse_->PaintMDIButtons(cache);
    }
    PaintCaptionText(r, FrameHeight(), CaptionHeight());
  }
  if (mdi_form_ && !iconic) mdi_form_->PaintArea(cache);
}

POINT TsSkinProvider::GripPoint() const {
  const int grip = GetMaskIndex(common_data_->SkinIndex, common_data_->GetSkinSection(), "GRIPIMAGE");
  const SIZE size = GlyphSize(grip);
  TBitmap* cache = common_data_->GetCacheBmp();
  return {cache->GetWidth() - size.cx - FrameWidth(), cache->GetHeight() - size.cy - FrameHeight()};
}

// Two frame cells (the mask's edges) around the standard buttons' widths.
int TsSkinProvider::TitleBarWidth(int mask_index) const {
  return 2 * MaskCellWidth(SkinMasks[mask_index]) +
         frame_mouse_->StandardButtonCount() * frame_mouse_->ButtonWidth();
}

// From the window's top down to the caption band's bottom, at the right end.
void TsSkinProvider::PaintTitleBar(int height) {
  const int bar = GetMaskIndex(common_data_->SkinIndex, common_data_->GetSkinSection(), "TITLEBAR");
  if (frame_mouse_->StandardButtonCount() < 1 || !IsValidImgIndex(bar)) return;
  TBitmap* cache = common_data_->GetCacheBmp();
  const RECT r{form_->GetWidth() - TitleBarWidth(bar), 0, cache->GetWidth(), height};
  DrawSkinMaskRect(cache, r, true, EmptyCI, SkinMasks[bar], form_active_ ? 1 : 0);
}

void TsSkinProvider::PaintIcon() {
  if (!IconShown()) return;
  TBitmap* cache = common_data_->GetCacheBmp();
  const RECT ir = IconRect();
  TBitmap* glyph = title_icon_->GetGlyph();
  if (!glyph->GetEmpty()) {
    glyph->SetTransparentColor(0xFF00FF);
    glyph->SetTransparent(true);
    const int w = title_icon_->GetWidth() ? title_icon_->GetWidth() : glyph->GetWidth();
    const int h = title_icon_->GetHeight() ? title_icon_->GetHeight() : glyph->GetHeight();
    cache->GetCanvas()->StretchDraw(RECT{ir.left, ir.top, ir.left + w, ir.top + h}, glyph);
    return;
  }
  // The form's icon at its own size, the application's up to the caption's bottom, the
  // system's in the icon rectangle, unless the title icon gives the size.
  HICON icon = form_->GetIcon()->GetHandle();
  SIZE fallback{0, 0};
  if (!icon && Application && Application->GetIcon()->GetHandle()) {
    icon = Application->GetIcon()->GetHandle();
    fallback = {CaptionHeight() - ir.top, CaptionHeight() - ir.top};
  } else if (!icon) {
    icon = LoadIconA(nullptr, IDI_APPLICATION);
    fallback = {ir.right - ir.left, ir.bottom - ir.top};
  }
  const int w = title_icon_->GetWidth() ? title_icon_->GetWidth() : fallback.cx;
  const int h = title_icon_->GetHeight() ? title_icon_->GetHeight() : fallback.cy;
  DrawIconEx(cache->GetCanvas()->GetHandle(), ir.left, ir.top, icon, w, h, 0, nullptr, DI_NORMAL);
}

void TsSkinProvider::PaintCaptionText(const RECT& r, int top, int bottom) {
  TCanvas* canvas = common_data_->GetCacheBmp()->GetCanvas();
  canvas->GetFont()->Assign(form_->GetFont());
  TFontStyles style = canvas->GetFont()->GetStyle();
  style.Include(fsBold);
  canvas->GetFont()->SetStyle(style);
  const bool iconic = form_->HandleAllocated() && IsIconic(form_->GetHandle());
  const RECT ir = IconRect();
  const int custom = frame_mouse_->CustomButtonCount();
  const int n = custom == 0 ? frame_mouse_->StandardButtonCount() : custom + 4;
  const int reserved = n * (frame_mouse_->ButtonWidth() + 1) + 16;
  const int max_width = iconic ? r.right - ir.right - 8 : r.right - ir.right - reserved;
  const std::string text = CutText(canvas, form_->GetCaption(), max_width);
  RECT tr{(ir.right - ir.left) + FrameWidth() + 4, top, r.right - reserved, bottom};
  if (iconic) tr.right = tr.left + canvas->TextWidth(text);
  if (tr.right <= tr.left || tr.bottom <= tr.top) return;
  const UINT flags =
      DrawTextBiDiFlags(form_, caption_alignment_) | DT_EXPANDTABS | DT_VCENTER | DT_SINGLELINE;
  // The text painter fits its rectangle to the text from the left: place it here.
  const SIZE size = canvas->TextExtent(text);
  if (flags & DT_RIGHT)
    tr.left = std::max<int>(tr.left, tr.right - size.cx);
  else if (flags & DT_CENTER)
    tr.left = std::max<int>(tr.left, (tr.left + tr.right - size.cx) / 2);
  tr.right = std::min<int>(tr.right, tr.left + size.cx);
  tr.top = (tr.top + tr.bottom - size.cy) / 2;
  tr.bottom = tr.top + size.cy;
  WriteTextWithContour(canvas, text, true, tr, flags, GetSkinIndex("FORMTITLE"), form_active_);
}

void TsSkinProvider::PaintCaptionBand(const RECT& r) {
  TBitmap* cache = common_data_->GetCacheBmp();
  const int title = GetSkinIndex("FORMTITLE");
  if (IsValidSkinIndex(title))
    PaintItem(title, "FORMTITLE", EmptyCI, form_active_ ? 1 : 0, true, r, POINT{0, 0}, cache);
  PaintIcon();
  PaintTitleBar(r.bottom - r.top);
  TakeButtonBackground();
  frame_mouse_->PaintTitleButtons(cache);
  PaintCaptionText(RECT{0, 0, form_->GetWidth(), form_->GetHeight()}, 0, CaptionHeight() + FrameHeight());
}

void TsSkinProvider::PaintMenuLine() {
  TBitmap* cache = common_data_->GetCacheBmp();
  const int line = GetSkinIndex("MENULINE");
  menu_line_count_ = LayoutMenuLine(false);
  const int top = FrameHeight() + CaptionHeight();
  if (IsValidSkinIndex(line)) {
    const RECT r{0, top, cache->GetWidth(), top + MenuHeight() * menu_line_count_ + 1};
    PaintItem(line, "MENULINE", TsCacheInfo{cache, 0, 0, true}, form_active_ ? 1 : 0, true, r, POINT{0, top},
              cache);
  }
  // The band as painted, before icon and items.
  const int band = MenuHeight() * menu_line_count_ + 1;
  menu_line_->SetPixelFormat(pf24bit);
  menu_line_->SetSize(form_->GetWidth(), band);
  BitBlt(menu_line_->GetCanvas()->GetHandle(), 0, 0, form_->GetWidth(), band, cache->GetCanvas()->GetHandle(),
         0, top, SRCCOPY);
  // A maximized MDI child's icon leads the line (the first item leaves room for it).
  DrawMDIChildIcon(cache->GetCanvas(), RECT{FrameWidth(), top, FrameWidth(), top + MenuHeight()}, true);
  LayoutMenuLine(true);
}

// The top items of the form's menu as its bar shows them (an MDI main form's with its active
// child's merged in), left to right from the frame's edge and wrapped into rows as the system
// lays out a menu bar; with draw, each is painted into the cache by the skinned menus' own
// handlers (items without them are the system's to draw). Answers the row count.
int TsSkinProvider::LayoutMenuLine(bool draw) {
  TMainMenu* menu = form_->GetMenu();
  if (!menu) return 1;
  TCanvas* canvas = common_data_->GetCacheBmp()->GetCanvas();
  const int extra = GetSystemMetrics(SM_CXMENUSIZE) - 6;
  const int left = FrameWidth();
  const int limit = form_->GetWidth() - 2 * FrameWidth() - 6 - 2 * form_->GetBorderWidth();
  int x = left, y = FrameHeight() + CaptionHeight(), rows = 1;
  for (TMenuItem* item : menu->BarItems()) {
    if (!item->GetVisible() || !item->OnMeasureItem || !item->OnAdvancedDrawItem) continue;
    int w = 10, h = 19;
    item->OnMeasureItem(item, canvas, w, h);
    const int width = w + extra;
    // An item wider than a whole row still takes one row, not an endless run of empty ones.
    if (x + width > limit && x > left) {
      x = left;
      y += MenuHeight();
      ++rows;
    }
    if (draw)
      item->OnAdvancedDrawItem(item, canvas, RECT{x, y, x + width, y + MenuHeight()}, TOwnerDrawState{});
    x += width;
  }
  return rows;
}

void TsSkinProvider::TakeButtonBackground() {
  const int n = frame_mouse_->CustomButtonCount() + frame_mouse_->StandardButtonCount() + 1;
  // Wide enough for the MDI child buttons on the menu line too (the strip reaches down to it).
  const int mdi = 3 * (MDIButtonSize(common_data_->SkinIndex).cx + 1);
  const int width = std::max(n * (frame_mouse_->ButtonWidth() + 1), mdi) + FrameWidth();
  const int height = FrameTopBand();
  button_background_->SetPixelFormat(pf24bit);
  button_background_->SetSize(width, height);
  BitBlt(button_background_->GetCanvas()->GetHandle(), 0, 0, width, height,
         common_data_->GetCacheBmp()->GetCanvas()->GetHandle(), form_->GetWidth() - width - 1, 0, SRCCOPY);
}

// ---- Client painting -------------------------------------------------------------------------

void TsSkinProvider::WMPaint(TMessage& message) {
  message.Result = 1;
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(form_->GetHandle(), &ps);
  if (IsIconic(form_->GetHandle())) {
    PaintIconicClient(dc);
  } else if (FormVisible() && !common_data_->Updating() && !FormDestroying() && !SiblingMaximized(form_)) {
    const int saved = SaveDC(dc);
    for (int i = 0; i < form_->GetControlCount(); ++i) {
      auto* child = DynamicCast<TWinControl>(form_->GetControl(i));
      if (!child || !child->GetVisible() || !child->GetControlStyle().Contains(csOpaque)) continue;
      const RECT b = child->GetBoundsRect();
      ExcludeClipRect(dc, b.left, b.top, b.right, b.bottom);
    }
    PaintClient(dc);
    RestoreDC(dc, saved);
  }
  EndPaint(form_->GetHandle(), &ps);
}

// The system may leave a minimised window a client area over its caption: it shows the
// caption band too, not the form's background.
void TsSkinProvider::PaintIconicClient(HDC dc) {
  if (common_data_->BGChanged) PaintFrame();
  POINT origin{0, 0};
  MapWindowPoints(form_->GetHandle(), nullptr, &origin, 1);
  RECT wr{};
  GetWindowRect(form_->GetHandle(), &wr);
  TBitmap* cache = common_data_->GetCacheBmp();
  BitBlt(dc, wr.left - origin.x, wr.top - origin.y, cache->GetWidth(), cache->GetHeight(),
         cache->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
}

void TsSkinProvider::PaintClient(HDC dc) {
  if (client_guard_) return;
  const int skin = common_data_->SkinIndex;
  const TsGeneralData& general = SkinGeneralData[skin];
  TBitmap* cache = common_data_->GetCacheBmp();
  if (common_data_->BGChanged) PaintFrame();
  const POINT offset = ClientOrigin();
  const RECT client = form_->GetClientRect();
  if (general.GradientPercent + general.ImagePercent > 0) {
    BitBlt(dc, 0, 0, form_->GetWidth(), form_->GetHeight(), cache->GetCanvas()->GetHandle(), offset.x,
           offset.y, SRCCOPY);
  } else {
    HBRUSH brush = CreateSolidBrush(ColorToRGB(general.PaintingColor));
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    const int grip = GetMaskIndex(skin, common_data_->GetSkinSection(), "GRIPIMAGE");
    if (grip_mode_ == gmRightBottom && IsValidImgIndex(grip)) {
      const POINT gp = GripPoint();
      TBitmap* tmp = New<TBitmap>();
      tmp->SetPixelFormat(pf24bit);
      tmp->SetSize(cache->GetWidth() - gp.x, cache->GetHeight() - gp.y);
      tmp->GetCanvas()->GetBrush()->SetColor(general.PaintingColor);
      tmp->GetCanvas()->FillRect(RECT{0, 0, tmp->GetWidth(), tmp->GetHeight()});
      DrawSkinGlyph(tmp, POINT{0, 0}, 0, SkinMasks[grip]);
      BitBlt(dc, gp.x - offset.x, gp.y - offset.y, tmp->GetWidth(), tmp->GetHeight(),
             tmp->GetCanvas()->GetHandle(), 0, 0, SRCCOPY);
      Free(tmp);
    }
  }
  common_data_->BGChanged = false;
  client_guard_ = true;
  PaintControlsClipped(dc, form_);
  client_repaint_pending_ = false;
  client_guard_ = false;
}
