// The form skin provider: the non-visual component that draws a whole form with the skin. It
// subclasses the form's window and, while a skin is active, takes over the non-client area
// (caption, frame, menu line, size grip painted from the skin into the cache bitmap of its
// skin data, the window region cut from the skin's transparent corners), paints the client
// background and the graphic children, and answers the skin engine's private messages.
// Without an active skin it passes everything on, except the two skin-change messages it
// uses to switch between the modes. The skin manager's broadcast reaches it as a
// TsSkinReceiver (SKM_REFRESH through the form's window).
//
// The frame's mouse handling (title buttons, hit testing, system menu, moving and sizing) is
// TsFrameMouse's, owned by the provider.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "skin/controls/sframemouse.h"
#include "skin/engine/sskinmanager.h"
#include "toolkit/components.h"
#include "toolkit/controls.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

class TBitmap;
class TCustomForm;
class TsGrip;
class TsScrollBar;
class TsCommonData;
class TWindowSubclass;
class TsMDIForm;

enum TsResizeMode { rmStandard, rmBorder };
enum TsGripMode { gmNone, gmRightBottom };
using TsBorderIcons = TBorderIcons;

class TsSkinProvider : public TsSkinReceiver {
  TK_CLASS(TsSkinProvider, TsSkinReceiver)

 public:
  // The form is the first TCustomForm up the owner chain.
  explicit TsSkinProvider(TComponent* owner);
  ~TsSkinProvider() override;
  void AfterConstruction() override;
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  bool IsFormProvider() const override { return true; }
  // The manager's broadcast: the window procedure, whether or not the subclass is installed.
  void SkinMessage(TMessage& message) override { WndProc(message); }

  // ---- Properties
  TsBorderIcons GetBorderIcons() const { return border_icons_; }
  void SetBorderIcons(TsBorderIcons icons) { border_icons_ = icons; }
  TAlignment GetCaptionAlignment() const { return caption_alignment_; }
  void SetCaptionAlignment(TAlignment alignment);
  TsCommonData* GetCommonData() const { return common_data_; }
  void SetCommonData(TsCommonData* data);
  TsGripMode GetGripMode() const { return grip_mode_; }
  void SetGripMode(TsGripMode mode) { grip_mode_ = mode; }
  bool GetMakeSkinMenu() const { return make_skin_menu_; }
  void SetMakeSkinMenu(bool value) { make_skin_menu_ = value; }
  TsResizeMode GetResizeMode() const { return resize_mode_; }
  void SetResizeMode(TsResizeMode mode) { resize_mode_ = mode; }
  bool GetShowAppIcon() const { return show_app_icon_; }
  void SetShowAppIcon(bool value);
  TsTitleButtons* GetTitleButtons() const { return title_buttons_; }
  void SetTitleButtons(TsTitleButtons* buttons);
  TsTitleIcon* GetTitleIcon() const { return title_icon_; }
  void SetTitleIcon(TsTitleIcon* icon);

  // ---- For the frame mouse, the menus and the tests
  TCustomForm* GetForm() const { return form_; }
  // The manager followed: the default one at creation or at the next new skin, or one put on
  // the form while none is; none leaves the form unskinned.
  TsSkinManager* GetSkinManager() const { return skin_manager_; }
  // The MDI main form's skinning; null for other forms.
  TsMDIForm* GetMDIForm() const { return mdi_form_; }
  TsFrameMouse* GetFrameMouse() const { return frame_mouse_; }
  // The window procedure (the subclass's handler).
  void WndProc(TMessage& message);
  // Passes the message to the form's window procedure as it was before ours.
  void CallPrevious(TMessage& message);
  // Whether the subclass is the form window's procedure now.
  bool Attached() const;
  // The mode messages are handled in: a skin is active and the form's section is in it.
  bool Skinned() const;
  bool FormActive() const { return form_active_; }
  bool HasBorder() const;
  bool IconShown() const;
  bool HasMenuLine() const;
  // Metrics from the form's BorderStyle and the system metrics.
  int FrameWidth() const;
  int FrameHeight() const;
  int CaptionHeight() const;
  int MenuHeight() const;
  int MenuBandHeight() const;  // menu height x rows when the form has a menu line, else 0
  POINT ClientOffset() const;
  // Where the client area lies in the window and in the cache: the menu line's band is one
  // pixel taller than its rows.
  POINT ClientOrigin() const;
  int FrameTopBand() const;
  RECT IconRect() const;
  // Marks the frame stale and sends WM_NCPAINT.
  void RepaintFrame();
  // Renders the whole window into the cache bitmap when it is stale.
  void PaintFrame();
  // The transparent rectangles (window coordinates) of the last region build.
  const std::vector<RECT>& RegionRects() const { return region_rects_; }
  // The strip behind the title buttons, for repainting one button alone.
  TBitmap* GetButtonBackground() const { return button_background_; }
  // The menu-line band as the last frame paint left it, without the items.
  TBitmap* GetMenuLineBitmap() const { return menu_line_; }

 private:
  static void Publish(TPublisher<TsSkinProvider>& p);
  void Attach();
  void Detach();
  void SetSkinManager(TsSkinManager* manager);
  // Marks the frame stale, and repaints it when the form shows.
  void FrameChanged();
  bool Designing() const;
  bool FormCreating() const;
  bool FormDestroying() const;
  bool FormVisible() const;
  void UpdateIndexes();
  void CheckCaption(std::string& seen);
  // The form's WindowProc in front of the toolkit's: a caption set through the toolkit
  // (Perform) never passes the window procedure.
  void FormWindowProc(TMessage& message);

  void CreateMDIForm();
  void MDIFormMessage(const TMessage& message);
  void UnskinnedProc(TMessage& message);
  void SkinnedProc(TMessage& message);
  void NewSkin(TMessage& message, bool skinned);
  void RemoveSkin(bool skinned);
  void Refresh();
  void AnswerCacheInfo();
  void SetUpdatingFlag(TMessage& message);
  void WMActivate(TMessage& message);
  void WMNCActivate(TMessage& message);
  void WMNCPaint(TMessage& message);
  void WMPaint(TMessage& message);
  void WMPosChanged(TMessage& message);
  void WMSetText(TMessage& message);
  void WMCommand(TMessage& message);
  void WMGetMinMaxInfo(TMessage& message);
  void WMMeasureItem(TMessage& message);
  void WMMove(TMessage& message);
  // The form's main menu hooked again into the skinned menus (items added since included).
  void RehookMenu();
  // A menu item put on the form (or taken off it) joins (or leaves) the skinned menus.
  void MenuComponentNotice(TComponent* component, TOperation operation);
  void CMMenuChanged(TMessage& message);

  void BuildRegion();
  void ApplyRegion();
  void PaintNonClient(HDC dc);
  void PaintClient(HDC dc);
  void PaintIconicClient(HDC dc);
  void PaintFullFrame();
  void PaintCaptionBand(const RECT& r);
  void PaintIcon();
  void PaintTitleBar(int height);
  void PaintCaptionText(const RECT& r, int top, int bottom);
  void PaintMenuLine();
  int LayoutMenuLine(bool draw);
  void TakeButtonBackground();
  POINT GripPoint() const;
  int TitleBarWidth(int mask_index) const;
  void RefreshMenuBar();

  // ---- The MDI branches: an MDI child's repaints of its siblings and of its main form, the
  // main form's of its client (sprovidermdi.cpp)
 private:
  TsSkinProvider* MDIMainOfChild() const;
  void MDIChildConstructed();
  void MDIChildDestroying();
  void MDIChildSized();
  void MDIActivated();
  void MDINCActivating();
  void MDINCActivated();
  bool MDIMainStaysActive(bool active) const;
  void MDIMainDeactivated();
  void RepaintOtherChildren();
  void RepaintMaximizedChild();

  // ---- Scrolling a form whose AutoScroll was set, with skinned bars (sproviderscroll.cpp)
 public:
  // The bar of a direction while the form needs one (else nullptr), and how far the form is
  // scrolled that way.
  TsScrollBar* ScrollBar(TScrollBarKind kind) const { return scroll_bars_[kind]; }
  TsGrip* ScrollGrip() const { return grip_; }
  int ScrollOffset(TScrollBarKind kind) const { return scroll_offsets_[kind]; }
  // Lays the bars out for the form's size and content: made, updated or freed.
  void UpdateScrollBars();

 private:
  bool ScrollingAllowed() const;
  bool OwnScrollPart(TControl* control) const;
  void MeasureContent();
  void UpdateScrollBar(TScrollBarKind kind, RECT client);
  void FreeScrollBar(TScrollBarKind kind);
  void ScrollBy(TScrollBarKind kind, int delta);
  void ScrollBarChange(TObject* sender);

  bool saved_auto_scroll_ = false;
  TsScrollBar* scroll_bars_[2] = {};  // indexed by TScrollBarKind
  TsGrip* grip_ = nullptr;            // in the corner between both bars
  int scroll_offsets_[2] = {};
  int content_extent_[2] = {};  // width, height, as if the form were not scrolled
  bool scrolling_ = false;

  TCustomForm* form_ = nullptr;
  TsSkinManager* skin_manager_ = nullptr;
  TWindowSubclass* subclass_;
  TWndMethod previous_window_proc_;
  TsFrameMouse* frame_mouse_;
  TsMDIForm* mdi_form_ = nullptr;
  TsCommonData* common_data_;
  TsTitleButtons* title_buttons_;
  TsTitleIcon* title_icon_;
  TBitmap* button_background_;
  TBitmap* menu_line_;
  TBitmap* caption_band_ = nullptr;

  std::vector<RECT> region_rects_;
  bool region_guard_ = false;
  bool attaching_ = false;
  bool region_dirty_ = true;
  bool activated_once_ = false;
  TsBorderIcons border_icons_{biSystemMenu, biMinimize, biMaximize};
  TsBorderIcons saved_border_icons_;
  bool border_icons_guard_ = false;
  std::string text_seen_on_cursor_;
  std::string text_seen_on_gettext_;
  bool make_skin_menu_ = true;
  bool show_app_icon_ = true;
  bool client_repaint_pending_ = false;
  TAlignment caption_alignment_ = taLeftJustify;
  bool menu_changed_ = true;
  TsGripMode grip_mode_ = gmNone;
  bool client_guard_ = false;
  TsResizeMode resize_mode_ = rmStandard;
  bool frame_painted_ = false;
  bool menu_bar_refreshed_ = false;
  bool nc_activated_ = false;  // the first WM_NCACTIVATE came: an MDI child is shown
  bool form_active_ = true;
  int menu_line_count_ = 1;
};

// The provider of the application's MDI main form; null when there is none.
TsSkinProvider* MDIMainProvider();

// Registers the provider for form definitions.
void RegisterSkinControlsClasses();
