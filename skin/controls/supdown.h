// The skinned up-down control: the toolkit's up-down whose two halves are painted from the
// skin's scroll-button sections while a skin is loaded, hot and pressed, and with the half
// that cannot move further looking disabled (ShowInaccessibility). The first half is the upper
// one of a vertical control and the left one of a horizontal control; up and right move
// toward Max, down and left toward Min. Without the sections it is the toolkit's control.
#pragma once

#include <windows.h>

#include <cstdint>

#include "skin/engine/sblend.h"
#include "skin/engine/sskintables.h"
#include "toolkit/updown.h"

class TBitmap;

class TsUpDown : public TCustomUpDown {
  TK_CLASS(TsUpDown, TCustomUpDown)

 public:
  // The visual state: a half hot or pressed.
  enum THotPart : uint8_t { hpNone, hpFirstHot, hpSecondHot, hpFirstPressed, hpSecondPressed };

  explicit TsUpDown(TComponent* owner);
  ~TsUpDown() override;
  void WndProc(TMessage& message) override;

  bool GetShowInaccessibility() const { return show_inaccessibility_; }
  void SetShowInaccessibility(bool value);
  TsDisabledKind GetDisabledKind() const { return disabled_kind_; }
  void SetDisabledKind(TsDisabledKind kind);
  THotPart GetHotPart() const { return hot_part_; }
  void SetHotPart(THotPart part);
  // A half (1 first, 2 second) whose direction is at its limit.
  bool AtLimit(int half) const;
  // Painted from the skin now: a skin is loaded with both button sections of the orientation.
  bool Skinned() const;
  // The half (1 or 2) at a client point; 0 outside.
  int HalfAt(POINT client);
  RECT HalfRect(int half);

 private:
  static void Publish(TPublisher<TsUpDown>& p);
  void HitTest(POINT screen);
  void Press();
  // Whether the look changed.
  bool Release();
  void Leave();
  void PaintSkinned(HDC dc);
  void PaintHalf(TBitmap* bmp, int half, const TsCacheInfo& ci);
  bool Inaccessible(int half) const { return show_inaccessibility_ && AtLimit(half); }

  bool show_inaccessibility_ = true;
  TsDisabledKind disabled_kind_{dkBlended};
  THotPart hot_part_ = hpNone;
  bool pressed_ = false;
  TBitmap* cache_ = nullptr;
};

// Registers TsUpDown for form definitions.
void RegisterSkinUpDownClasses();
