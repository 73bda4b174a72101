// The up-down control (two arrow buttons, the system's msctls_updown32), optionally tied to
// an associated control whose text shows the position.
#pragma once

#include <windows.h>

#include "toolkit/controls.h"

enum TUDAlignButton { udLeft, udRight };
enum TUDOrientation { udHorizontal, udVertical };
// btNext is the up (or right) arrow, btPrev the down (or left) one.
enum TUDBtnType { btNext, btPrev };

using TUDClickEvent = TEvent<TObject* /*sender*/, TUDBtnType /*button*/>;
// Setting allow_change to false keeps the position.
using TUDChangingEvent = TEvent<TObject* /*sender*/, bool& /*allow_change*/>;

// Every press of an arrow (mouse, or the arrow keys in the associated edit) first asks
// OnChanging, then moves the position within Min .. Max (or wraps), then raises OnClick with
// the arrow. OnClick comes for every press, also when the position cannot move (at a limit,
// refused by OnChanging, or with Min = Max = 0): the arrow was pressed all the same.
class TCustomUpDown : public TWinControl {
  TK_CLASS(TCustomUpDown, TWinControl)
  TK_MESSAGE_MAP

 public:
  explicit TCustomUpDown(TComponent* owner);

  int GetMin() const { return min_; }
  void SetMin(int min);
  int GetMax() const { return max_; }
  void SetMax(int max);
  // Kept when the range changes; set values are clamped into the range.
  int GetPosition() const { return position_; }
  void SetPosition(int position);
  int GetIncrement() const { return increment_; }
  void SetIncrement(int increment);
  TUDOrientation GetOrientation() const { return orientation_; }
  void SetOrientation(TUDOrientation orientation);
  // The side of the associated control the arrows take.
  TUDAlignButton GetAlignButton() const { return align_button_; }
  void SetAlignButton(TUDAlignButton align_button);
  // Whether the Up and Down keys in the associated control press the arrows.
  bool GetArrowKeys() const { return arrow_keys_; }
  void SetArrowKeys(bool arrow_keys);
  // Whether the position wraps around at the ends of the range.
  bool GetWrap() const { return wrap_; }
  void SetWrap(bool wrap);
  // Whether the associated control shows thousands separators.
  bool GetThousands() const { return thousands_; }
  void SetThousands(bool thousands);
  // The control (usually an edit) beside which the arrows sit and whose text shows the position.
  TWinControl* GetAssociate() const { return associate_; }
  void SetAssociate(TWinControl* associate);

  // Replaces TControl's OnClick: the arrow comes with it.
  TUDClickEvent OnClick;
  TUDChangingEvent OnChanging;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWnd() override;
  void Notification(TComponent* component, TOperation operation) override;
  // Raises OnChanging; false keeps the position.
  virtual bool CanChange();
  // Raises OnClick.
  virtual void Click(TUDBtnType button);
  using TControl::Click;

 private:
  static void Publish(TPublisher<TCustomUpDown>& p);
  void CNNotify(TMessage& message);
  void CNScroll(TMessage& message);

  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int increment_ = 1;
  TUDOrientation orientation_ = udVertical;
  TUDAlignButton align_button_ = udRight;
  bool arrow_keys_ = true;
  bool wrap_ = false;
  bool thousands_ = true;
  TWinControl* associate_ = nullptr;
  int pending_delta_ = 0;  // the delta of the press under way (UDN_DELTAPOS)
};

class TUpDown : public TCustomUpDown {
  TK_CLASS(TUpDown, TCustomUpDown)

 public:
  explicit TUpDown(TComponent* owner) : TCustomUpDown(owner) {}
};

// Registers TUpDown for form definitions.
void RegisterUpDownClasses();
