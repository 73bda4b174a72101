// The base of the skinned buttons: a windowed control that composes its whole look in the
// cache bitmap of its style (a TsActiveBGStyle) and copies it to the screen in one transfer.
// It holds the up / hot / down state, the tool-button styles (check, drop-down with an arrow
// zone and a menu, separator, divider), grouping of speed buttons, and the cross-fade between
// the normal and the hot look that TFadeTimer drives.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "skin/engine/sblend.h"
#include "skin/engine/sstyles.h"
#include "toolkit/actions.h"
#include "toolkit/buttons.h"
#include "toolkit/controls.h"
#include "toolkit/imagelist.h"
#include "toolkit/timers.h"

class TBitmap;
class TPopupMenu;
class TsButtonControl;

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };

// The timer of a button's fade. Direction 0 is stopped, 1 fading in, 2 fading out; the timer
// runs exactly while Direction is not 0.
class TFadeTimer : public TTimer {
  TK_CLASS(TFadeTimer, TTimer)

 public:
  explicit TFadeTimer(TsButtonControl* owner);

  TsButtonControl* GetButton() const { return button_; }
  uint8_t GetDirection() const { return direction_; }
  void SetDirection(uint8_t direction);
  // One tick now (what the system timer calls; tests call it directly).
  void Tick() { Timer(); }

 protected:
  void Timer() override;

 private:
  void NoOp(TObject*) {}

  TsButtonControl* button_;
  uint8_t direction_ = 0;
};

class TsButtonControl : public TCustomControl, public TsOwnerQueries, public TsStyleQueries {
  TK_CLASS(TsButtonControl, TCustomControl)

 public:
  explicit TsButtonControl(TComponent* owner);
  ~TsButtonControl() override;
  void AfterConstruction() override;
  void BeforeDestruction() override;

  void WndProc(TMessage& message) override;

  // 2 down, 1 hot, 0 normal: the state index of every skin image the button draws.
  int CurrentState();
  // Sets the size from glyph, caption, margins and style while AutoSize is on.
  virtual void AdjustSize();

  // Fading, started by the style when the mouse enters or leaves, stopped by a press.
  void StartFadeIn();
  void StartFadeOut();
  void StopFade();
  // One fade tick (the timer's handler).
  void FadeTick();

  // ---- Properties
  TsActiveBGStyle* GetSStyle() const { return style_; }
  void SetSStyle(TsActiveBGStyle* value) { style_->Assign(value); }
  int GetMargin() const { return margin_; }
  void SetMargin(int value);
  int GetNumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int value) { Store(num_glyphs_, value); }
  TCustomImageList* GetImages() const { return images_; }
  void SetImages(TCustomImageList* value);
  TCustomImageList* GetImagesGrayed() const { return images_grayed_; }
  void SetImagesGrayed(TCustomImageList* value);
  TCustomImageList* GetImagesDisabled() const { return images_disabled_; }
  void SetImagesDisabled(TCustomImageList* value);
  TsDisabledKind GetDisabledGlyphKind() const { return disabled_glyph_kind_; }
  void SetDisabledGlyphKind(TsDisabledKind value) { Store(disabled_glyph_kind_, value); }
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value) { Store(alignment_, value); }
  TsDisabledKind GetDisabledKind() const { return disabled_kind_; }
  void SetDisabledKind(TsDisabledKind value) { Store(disabled_kind_, value); }
  int GetTextOffset() const { return text_offset_; }
  void SetTextOffset(int value) { Store(text_offset_, value); }
  bool GetShowCaption() const { return show_caption_; }
  void SetShowCaption(bool value) { Store(show_caption_, value); }
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int value) { Store(spacing_, value); }
  int GetImageIndex() const { return image_index_; }
  void SetImageIndex(int value) { Store(image_index_, value); }
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value) { Store(auto_size_, value); }
  TPopupMenu* GetDropdownMenu() const { return dropdown_menu_; }
  void SetDropdownMenu(TPopupMenu* value);
  bool GetGrayed() const { return grayed_; }
  void SetGrayed(bool value) { Store(grayed_, value); }
  int GetBlend() const { return blend_; }
  void SetBlend(int value) { Store(blend_, value); }
  bool GetAllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value) { allow_all_up_ = value; }
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int value) { group_index_ = value; }
  int GetBevelWidth() const { return bevel_width_; }
  void SetBevelWidth(int value) { Store(bevel_width_, value); }
  TToolButtonStyle GetButtonStyle() const { return button_style_; }
  void SetButtonStyle(TToolButtonStyle value) { Store(button_style_, value); }
  bool GetDown() const { return down_; }
  virtual void SetDown(bool value);
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout value) { Store(layout_, value); }

  TFadeTimer* GetFadeTimer() const { return fade_timer_; }
  TBitmap* GetFadeBmp() const { return fade_bmp_; }
  int GetStep() const { return step_; }
  bool GetMenuOpen() const { return menu_open_; }
  // The DrawText alignment the last caption paint used.
  UINT GetCaptionFormat() const { return caption_format_; }
  // The rectangles of the glyph and the caption (this also sets the caption format).
  RECT GlyphRect();
  RECT CaptionRect();
  // The caption's measured size (0 x 0 without ShowCaption).
  SIZE CaptionSize();

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  // ---- Style and owner queries
  bool IsButtonControl() override { return true; }
  bool ButtonIsDown() override { return down_; }
  bool HotChanged(bool entered) override;
  bool IsButton() override { return true; }
  int ButtonBevelWidth() override { return bevel_width_; }
  bool ButtonDown() override { return down_; }
  bool IsDropDown() override { return button_style_ == tbsDropDown; }
  RECT ArrowZone() override;
  bool MenuOpen() override { return menu_open_; }

  // Width of the drop-down arrow zone (0 here).
  virtual int ArrowWidth() { return 0; }
  virtual int GlyphHeight();
  virtual int GlyphWidth();

 protected:
  void Paint() override;
  void CreateWnd() override;
  void Loaded() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void Notification(TComponent* component, TOperation operation) override;
  // The action list's images when the button has none, and the action's image; caption and
  // hint too unless only defaults are filled.
  void ActionChange(TObject* sender, bool check_defaults) override;
  TControlActionLink* CreateActionLink() override;

  // Composition steps into the style's cache.
  void PrepareCache();
  void PaintBackground();
  virtual void PaintBorder();
  virtual void DrawGlyph();
  virtual void DrawCaption(RECT r, UINT flags);
  void PaintCaptionStep();
  virtual void PaintFocus(const RECT& caption) { (void)caption; }
  virtual void PaintArrow();
  // Puts a finished fade frame on the screen.
  virtual void ShowFadeFrame(TBitmap* frame);
  // The image list painting uses now (enabled, greyed or disabled).
  TCustomImageList* CurrentImages();
  void ImagesChanged(TObject* sender);
  bool Hot() { return style_ && style_->ControlIsActive(); }
  bool Destroying() const;
  void RepaintNow();
  // Marks the look stale and repaints.
  void Refresh();

  template <class T>
  void Store(T& field, const T& value) {
    if (field == value) return;
    field = value;
    style_->Invalidate();
  }

  TsActiveBGStyle* style_ = nullptr;
  int margin_ = 0;
  int num_glyphs_ = 1;
  TCustomImageList* images_ = nullptr;
  TChangeLink images_link_;
  TCustomImageList* images_grayed_ = nullptr;
  TCustomImageList* images_disabled_ = nullptr;
  TsDisabledKind disabled_glyph_kind_{dkBlended};
  TAlignment alignment_ = taCenter;
  TsDisabledKind disabled_kind_{dkBlended};
  bool pressed_ = false;
  bool region_changing_ = true;
  int text_offset_ = 0;
  bool show_caption_ = true;
  int spacing_ = 3;
  int image_index_ = -1;
  bool auto_size_ = false;
  TPopupMenu* dropdown_menu_ = nullptr;
  bool grayed_ = false;
  int blend_ = 0;
  bool allow_all_up_ = false;
  bool pressed_by_mouse_ = false;
  int group_index_ = 0;
  int bevel_width_ = 2;
  TToolButtonStyle button_style_ = tbsButton;
  bool down_ = false;
  TButtonLayout layout_ = blGlyphLeft;
  UINT caption_format_ = DT_LEFT;
  bool menu_open_ = false;
  HRGN region_ = nullptr;
  TBitmap* fade_bmp_ = nullptr;
  TBitmap* fade_frame_ = nullptr;  // the blended frame of a fade step
  int step_ = 0;
  TFadeTimer* fade_timer_ = nullptr;
  bool saved_show_hint_ = true;

 private:
  static void Publish(TPublisher<TsButtonControl>& p);
  void ReleaseGroup();
  bool StartFade();
  void FadeFrame(bool fading_in);
  void OpenMenu();
};

// A skinned button's link: its text and Down state follow the action while they equal the
// action's caption and Checked state.
class TsButtonActionLink : public TControlActionLink {
  TK_CLASS(TsButtonActionLink, TControlActionLink)

 public:
  explicit TsButtonActionLink(TsButtonControl* client) : TControlActionLink(client), button_(client) {}

  bool IsCaptionLinked() override;
  bool IsCheckedLinked() override;
  void SetCaption(const std::string& value) override;
  void SetChecked(bool value) override;
  void SetImageIndex(int value) override;

 private:
  TsButtonControl* button_;
};

// The width of a caption on one line in the canvas's font, "&" prefixes handled as drawing
// handles them ("&&" is one "&", a single "&" takes no room).
int CaptionTextWidth(TCanvas* canvas, const std::string& caption);

// The enumerations' value names, for the form reader (the layout's are the toolkit's).
const TEnumInfo& ToolButtonStyleInfo();
// ButtonLayoutInfo: the toolkit's (toolkit/buttons.h).
const TEnumInfo& DisabledKindInfo();
