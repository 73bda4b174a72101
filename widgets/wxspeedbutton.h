// TWxSpeedButton: a windowless push button with caption and glyph that can toggle within a
// group, repeat while held, open a drop-down menu, hot-track (font and glyph while the mouse is
// over it), draw flat or raised, themed or classic, and show its parent through itself. The
// main window's race buttons.
#pragma once

#include "toolkit/actions.h"
#include "toolkit/buttons.h"
#include "toolkit/menus.h"
#include "toolkit/timers.h"
#include "widgets/wxbuttonglyph.h"
#include "widgets/wxgraphic.h"

// Told to the other buttons of the parent when one goes down or changes its group rules.
constexpr UINT CM_WXBUTTONPRESSED = 0xB051;

// The classic frame: bsWin31 adds an outer window-frame line; bsAutoDetect follows the system.
enum TButtonStyle { bsAutoDetect, bsWin31, bsNew };
// Where the drop-down menu opens: below the button or right of it.
enum TWxDropDownMenuPos { dmpBottom, dmpRight };
enum TWxTrackFontOption {
  hoFollowFont,
  hoPreserveCharSet,
  hoPreserveColor,
  hoPreserveHeight,
  hoPreserveName,
  hoPreservePitch,
  hoPreserveStyle
};
using TWxTrackFontOptions = TSet<TWxTrackFontOption>;

class TWxCustomSpeedButton : public TWxGraphicControl {
  TK_CLASS(TWxCustomSpeedButton, TWxGraphicControl)
  TK_MESSAGE_MAP

 public:
  explicit TWxCustomSpeedButton(TComponent* owner);
  ~TWxCustomSpeedButton() override;

  bool GetAllowAllUp() const { return allow_all_up_; }
  void SetAllowAllUp(bool value);
  bool GetAllowTimer() const { return allow_timer_; }
  void SetAllowTimer(bool value);
  bool GetDown() const { return down_; }
  void SetDown(bool value);
  bool GetFlat() const { return flat_; }
  void SetFlat(bool value) { Change(flat_, value); }
  int GetGroupIndex() const { return group_index_; }
  void SetGroupIndex(int value);
  bool GetHotTrack() const { return hot_track_; }
  void SetHotTrack(bool value) { Change(hot_track_, value); }
  TFont* GetHotTrackFont() const { return hot_track_font_; }
  void SetHotTrackFont(TFont* value) { hot_track_font_->Assign(value); }
  TWxTrackFontOptions GetHotTrackFontOptions() const { return font_options_; }
  void SetHotTrackFontOptions(TWxTrackFontOptions value);
  TPopupMenu* GetDropDownMenu() const { return drop_down_menu_; }
  void SetDropDownMenu(TPopupMenu* value);
  bool GetMarkDropDown() const { return mark_drop_down_; }
  void SetMarkDropDown(bool value) { Change(mark_drop_down_, value); }
  TWxDropDownMenuPos GetMenuPosition() const { return menu_position_; }
  void SetMenuPosition(TWxDropDownMenuPos value) { menu_position_ = value; }
  // While the drop-down menu is open.
  bool GetMenuTracking() const { return menu_tracking_; }
  TButtonStyle GetStyle() const { return style_; }
  void SetStyle(TButtonStyle value) { Change(style_, value); }
  TAlignment GetAlignment() const { return glyph_.GetAlignment(); }
  void SetAlignment(TAlignment value);
  bool GetGrayNewStyle() const { return glyph_.GetGrayNewStyle(); }
  void SetGrayNewStyle(bool value);
  bool GetWordWrap() const { return glyph_.GetWordWrap(); }
  void SetWordWrap(bool value);
  bool GetGrayedInactive() const { return grayed_inactive_; }
  void SetGrayedInactive(bool value) { Change(grayed_inactive_, value); }
  int GetInitPause() const { return init_pause_; }
  void SetInitPause(int value) { init_pause_ = static_cast<uint16_t>(value); }
  int GetRepeatInterval() const { return repeat_interval_; }
  void SetRepeatInterval(int value) { repeat_interval_ = static_cast<uint16_t>(value); }
  TButtonLayout GetLayout() const { return layout_; }
  void SetLayout(TButtonLayout value) { Change(layout_, value); }
  int GetMargin() const { return margin_; }
  // Values below -1 are refused.
  void SetMargin(int value);
  int GetSpacing() const { return spacing_; }
  void SetSpacing(int value) { Change(spacing_, value); }
  TModalResult GetModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult value) { modal_result_ = value; }
  bool GetTransparent() const { return transparent_; }
  void SetTransparent(bool value);
  bool GetDoubleBuffered() const { return double_buffered_; }
  void SetDoubleBuffered(bool value) { double_buffered_ = value; }
  TBitmap* GetGlyph() const { return glyph_.GetGlyph(); }
  void SetGlyph(TBitmap* value) { glyph_.SetGlyph(value); }
  int GetNumGlyphs() const { return glyph_.GetNumGlyphs(); }
  void SetNumGlyphs(int value) { glyph_.SetNumGlyphs(value); }
  TBitmap* GetHotTrackGlyph() const { return hot_glyph_.GetGlyph(); }
  // The glyph's palette (null unless it has a colour table).
  HPALETTE GetPalette() const { return glyph_.GetPalette(); }
  void SetHotTrackGlyph(TBitmap* value) { hot_glyph_.SetGlyph(value); }

  TWxButtonState GetState() const { return state_; }
  bool GetDragging() const { return dragging_; }
  // The repeat timer, while AllowTimer made one (for tests that tick it).
  TTimer* GetRepeatTimer() const { return repeat_timer_; }
  void RepeatTick(TObject* sender);
  void Click() override;
  // Hot while enabled, under the cursor (itself, not a control above it) and while the active
  // window is this thread's; enters or leaves when that changed.
  void UpdateTracking();
  // The screen point the drop-down menu opens at.
  POINT MenuPoint();

 protected:
  void Loaded() override;
  void Notification(TComponent* component, TOperation operation) override;
  void Paint() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void EnabledChanged() override;
  void FontChanged() override;
  void TextChanged() override;
  void VisibleChanged() override;
  void MouseEnter(TControl* control) override;
  void MouseLeave(TControl* control) override;
  bool WantKey(int key, TShiftState shift, const std::string& key_text) override;
  // The action's group index, and its image as the glyph while the button has none.
  void ActionChange(TObject* sender, bool check_defaults) override;
  TControlActionLink* CreateActionLink() override;
  // Glyph and caption into rect, moved by offset.
  virtual void PaintImage(TCanvas* canvas, const RECT& rect, POINT offset, TWxButtonState state, bool hot);

 private:
  static void Publish(TPublisher<TWxCustomSpeedButton>& p);
  template <class T>
  void Change(T& field, T value) {
    if (field == value) return;
    field = value;
    Invalidate();
  }
  void NotifyGroup();
  void FinishPress(int x, int y);
  void StopRepeat();
  bool RepaintsOnHover(bool entering) const;
  void FollowFont();
  void BuildStateImage();
  TWxButtonState PaintState() const;
  void PaintFace(TCanvas* canvas);
  void PaintThemed(TCanvas* canvas, TWxButtonState paint_state);
  void PaintClassic(TCanvas* canvas, TWxButtonState paint_state);
  void PaintFrame(HDC dc, RECT& rect, bool pressed) const;
  void PaintParent(TCanvas* canvas);
  bool Hot() const;
  void DropDown(int x, int y);
  void KeepPendingQuit();
  void GlyphChanged(TObject* sender);

  void CMButtonPressed(TMessage& message);
  void CMSysColorChange(TMessage& message);
  void WMLButtonDblClk(TMessage& message);
  void WMRButton(TMessage& message);
  void WMCancelMode(TMessage& message);

  bool allow_all_up_ = false;
  bool allow_timer_ = false;
  bool down_ = false;
  bool dragging_ = false;
  bool flat_ = false;
  TPopupMenu* drop_down_menu_ = nullptr;
  bool mark_drop_down_ = true;
  TWxDropDownMenuPos menu_position_ = dmpBottom;
  bool menu_tracking_ = false;
  TButtonStyle style_ = bsAutoDetect;
  bool painting_copy_ = false;  // the parent paints into this button's picture
  TWxButtonGlyph glyph_;
  TWxButtonGlyph hot_glyph_;
  int group_index_ = 0;
  bool hot_track_ = false;
  TFont* hot_track_font_;
  TWxTrackFontOptions font_options_{hoFollowFont, hoPreserveColor, hoPreserveStyle};
  bool grayed_inactive_ = true;
  uint16_t init_pause_ = 500;
  TButtonLayout layout_ = blGlyphTop;
  int margin_ = -1;
  TModalResult modal_result_ = mrNone;
  uint16_t repeat_interval_ = 100;
  TTimer* repeat_timer_ = nullptr;
  int spacing_ = 1;
  bool transparent_ = false;
  bool double_buffered_ = true;
  TWxButtonState state_ = wbsUp;
};

// A race button's link: Down follows the action's Checked state only in a group that allows
// all up and while they are equal; the group index while it equals the action's.
class TWxSpeedButtonActionLink : public TControlActionLink {
  TK_CLASS(TWxSpeedButtonActionLink, TControlActionLink)

 public:
  explicit TWxSpeedButtonActionLink(TWxCustomSpeedButton* client)
      : TControlActionLink(client), button_(client) {}

  bool IsCheckedLinked() override;
  bool IsGroupIndexLinked() override;
  void SetChecked(bool value) override;
  void SetGroupIndex(int value) override;

 private:
  TWxCustomSpeedButton* button_;
};

class TWxSpeedButton : public TWxCustomSpeedButton {
  TK_CLASS(TWxSpeedButton, TWxCustomSpeedButton)

 public:
  using TWxCustomSpeedButton::TWxCustomSpeedButton;
};
