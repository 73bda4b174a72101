// The skinned scroll bar: a stand-alone scroll bar window that, while a skin is loaded, draws
// and operates itself (two arrow buttons, the track before and after the slider, the slider,
// each normal, hot or pressed from the skin). Hit testing, dragging and auto-repeat are its
// own: the system's bar never sees a left-button press while skinned, since it would run its
// own modal tracking loop. Without a skin it is the system's bar.
//
// Position runs from Min to Max; PageSize only sets the slider's length. An owner that lays
// the bar over its own scrolling (a list box, a list view) sets Updating while it adjusts the
// bar and links itself with SetLinkedControl.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/engine/sblend.h"
#include "skin/engine/sskintables.h"
#include "toolkit/controls.h"
#include "toolkit/stdctrls.h"

class TsCommonData;
class TTimer;

// The parts of the bar, in the order their rectangles and states are kept.
enum TsScrollPart {
  spNone = -1,
  spFirstButton = 0,  // left or top arrow
  spSecondButton,     // right or bottom arrow
  spTrackBefore,
  spTrackAfter,
  spSlider,
  spCount
};
// A part's look.
enum TsPartState { psNormal, psHot, psPressed };

class TsScrollBar : public TWinControl {
  TK_CLASS(TsScrollBar, TWinControl)

 public:
  explicit TsScrollBar(TComponent* owner);
  ~TsScrollBar() override;
  void AfterConstruction() override;
  void WndProc(TMessage& message) override;
  bool CanFocus() override;

  // ---- Properties
  TScrollBarKind GetKind() const { return kind_; }
  void SetKind(TScrollBarKind kind);
  int GetPosition() const { return position_; }
  void SetPosition(int position);
  int GetMin() const { return min_; }
  void SetMin(int min);
  int GetMax() const { return max_; }
  void SetMax(int max);
  int GetPageSize() const { return page_size_; }
  void SetPageSize(int page_size);
  // Sets all three at once; the position is clamped into the range. A range with Max at or
  // below Min is reported (ShowError, once per call, not while Updating) and taken all the
  // same, the position then at Min.
  void SetParams(int position, int min, int max);
  uint16_t GetSmallChange() const { return small_change_; }
  void SetSmallChange(uint16_t change) { small_change_ = change; }
  uint16_t GetLargeChange() const { return large_change_; }
  void SetLargeChange(uint16_t change) { large_change_ = change; }
  // Reports changes continuously while the slider is dragged; off, once at the release.
  bool GetSmooth() const { return smooth_; }
  void SetSmooth(bool smooth) { smooth_ = smooth; }
  // -1 for a horizontal bar read right to left (its window shows Max - Position), else 1.
  // Any right-to-left BiDiMode, its own or its parent's, runs it from the right.
  int Direction() const { return direction_; }
  TsDisabledKind GetDisabledKind() const { return disabled_kind_; }
  void SetDisabledKind(TsDisabledKind kind);
  TsCommonData* GetSkinData() const { return skin_data_; }

  // ---- Owner's link
  bool GetUpdating() const { return updating_; }
  void SetUpdating(bool updating) { updating_ = updating; }
  TControl* GetLinkedControl() const { return linked_control_; }
  void SetLinkedControl(TControl* control) { linked_control_ = control; }

  // ---- Skinned state (read by owners and tests)
  // A skin is loaded and the bar draws and operates itself.
  bool Skinned() const;
  // The parts' rectangles in client coordinates as the bar lays them out now.
  RECT PartRect(TsScrollPart part);
  TsPartState PartState(TsScrollPart part) const { return part_states_[part]; }
  // The part under the mouse or held; spNone for none.
  TsScrollPart GetHotPart() const { return hot_part_; }
  // The part at a client point (spNone outside the bar).
  TsScrollPart PartAt(POINT client);
  // The repeat and drag timer while a part is held; nullptr otherwise.
  TTimer* RepeatTimer() const { return timer_; }
  // Whether the slider is being dragged.
  bool SliderDragging() const { return dragging_; }
  // Repaints the skinned parts now (no-op without a skin).
  void RepaintParts();

  TNotifyEvent OnChange;
  TScrollEvent OnScroll;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Loaded() override;
  void KeyDown(WORD& key, TShiftState shift) override;
  // The position changed from old_position: OnChange, then OnScroll with the hot part's code.
  virtual void Changed(int old_position);

 private:
  static void Publish(TPublisher<TsScrollBar>& p);

  // ---- Messages
  void WMPaint(TMessage& message);
  void WMEraseBkgnd(TMessage& message);
  void WMLButtonDown(TMessage& message);
  void WMLButtonUp(TMessage& message);
  void WMMouseMove(TMessage& message);
  void WMCaptureChanged(TMessage& message);
  void CMMouseLeave(TMessage& message);
  void CNScroll(TMessage& message);
  void AfterSkinMessage(UINT msg);

  // ---- Geometry
  int Length();
  int ButtonLength();
  int SliderLength();
  int SliderCentre();
  void UpdateRects();
  // The position under a client coordinate along the bar (see the drag).
  int PositionAtCoord(int c);
  int Coord(POINT client) const { return kind_ == sbHorizontal ? client.x : client.y; }

  // ---- Mouse and repeat
  void Press(POINT client);
  void Release(POINT client);
  void Track(POINT client);
  void EndSliderDrag();
  void StartTimer();
  void StopTimer();
  void TimerTick(TObject* sender);
  void SetHotPart(TsScrollPart part);
  void SetStates(TsScrollPart hot, bool pressed);
  void ApplyToWindow();
  void StepBy(int delta);

  // ---- Painting
  void PaintSkinned(HDC dc);
  void PaintPart(TsScrollPart part, const TsCacheInfo& ci);

  TScrollBarKind kind_ = sbHorizontal;
  int position_ = 0;
  int min_ = 0;
  int max_ = 100;
  int page_size_ = 0;
  int direction_ = 1;  // -1 for a horizontal bar read right to left
  uint16_t small_change_ = 1;
  uint16_t large_change_ = 1;
  RECT part_rects_[spCount]{};
  TsPartState part_states_[spCount]{};
  TTimer* timer_ = nullptr;
  bool smooth_ = true;
  TsCommonData* skin_data_ = nullptr;
  TsDisabledKind disabled_kind_{dkBlended};
  TsScrollPart hot_part_ = spNone;
  int drag_offset_ = 0;
  bool updating_ = false;
  TControl* linked_control_ = nullptr;
  bool suppress_change_ = false;
  int deferred_old_position_ = 0;
  bool deferred_changed_ = false;
  bool dragging_ = false;
  bool pressed_ = false;
  bool first_tick_ = true;
  POINT last_mouse_{};  // client coordinates of the last press or move
  bool saved_show_hint_ = false;
  bool skinned_window_ = false;  // the window is of our own class, not the system's bar
  bool quiet_range_ = false;     // SetParams reports no range error (re-applying stored values)
};

// Registers TsScrollBar for form definitions.
void RegisterSkinScrollClasses();
