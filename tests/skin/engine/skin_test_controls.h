// Small controls for the skin engine's control tests: a skinned control whose window procedure
// calls its TsCommonData first, a graphic child and a label stand-in that note their paints,
// and a container whose answers to the library's queries a test sets.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "skin/engine/scommondata.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "toolkit/controls.h"

// One message as a control's WindowProc saw it.
struct TSeenMessage {
  UINT msg;
  LPARAM lparam;
};
// How many of seen have msg.
int CountOf(const std::vector<TSeenMessage>& seen, UINT msg);

// Freed memory of the test objects is filled with 0xDD and kept until the process ends, so a
// use after free reads garbage pointers and fails at once.
void* PoisonedNew(size_t size);
void PoisonedDelete(void* block, size_t size);

class TTestCommonData : public TsCommonData {
 public:
  using TsCommonData::TsCommonData;
  static void* operator new(size_t size) { return PoisonedNew(size); }
  static void operator delete(void* block, size_t size) { PoisonedDelete(block, size); }
};

// A windowed control skinned through a TsCommonData (section "TSkinTestControl" unless set).
class TSkinTestControl : public TCustomControl {
  TK_CLASS(TSkinTestControl, TCustomControl)

 public:
  explicit TSkinTestControl(TComponent* owner, bool cache_bmp = true);
  ~TSkinTestControl() override;
  static void* operator new(size_t size) { return PoisonedNew(size); }
  static void operator delete(void* block, size_t size) { PoisonedDelete(block, size); }

  void WndProc(TMessage& message) override;
  void Invalidate() override;
  void Repaint() override;
  TsCommonData* Data() const { return data_; }
  // As after a form definition was read.
  void MarkLoading() { IncludeState(csLoading); }
  void FinishLoading() { Loaded(); }
  void MarkDestroying() { Destroying(); }

  std::vector<TSeenMessage> seen;
  int invalidates = 0;
  int repaints = 0;
  int paints = 0;
  std::function<void()> on_invalidate;  // runs inside Invalidate (may free the control)
  LRESULT is_updating_answer = 0;       // answered to SKM_ISUPDATING from the children

 protected:
  void Loaded() override;
  void Paint() override;

 private:
  TTestCommonData* data_;
};

// A graphic child noting every paint: the DC's origin and clip box and the paint-copy state.
class TSkinTestShape : public TGraphicControl {
  TK_CLASS(TSkinTestShape, TGraphicControl)

 public:
  explicit TSkinTestShape(TComponent* owner);
  void WndProc(TMessage& message) override;

  struct TPaint {
    POINT origin;
    RECT clip;
    bool paint_copy;
  };
  std::vector<TPaint> paints;
  std::vector<TSeenMessage> seen;
};

// Stands in for the skinned label (registered with SetSkinnedLabelTest by the tests).
class TSkinTestLabel : public TCustomControl {
  TK_CLASS(TSkinTestLabel, TCustomControl)

 public:
  explicit TSkinTestLabel(TComponent* owner);
  void Repaint() override;
  int repaints = 0;
};
bool IsTestLabel(TControl* control);

// A windowed control noting its messages: at WindowProc (every way in) and at its window
// procedure (only what was sent to the window).
class TSkinTestWindow : public TCustomControl {
  TK_CLASS(TSkinTestWindow, TCustomControl)

 public:
  explicit TSkinTestWindow(TComponent* owner);
  void WndProc(TMessage& message) override;
  // Starts noting what arrives at the window itself.
  void WatchWindow();
  void MarkDestroying() { Destroying(); }

  std::vector<TSeenMessage> seen;
  std::vector<TSeenMessage> seen_by_window;

 private:
  static LRESULT CALLBACK WatchProc(HWND window, UINT msg, WPARAM wparam, LPARAM lparam);
  WNDPROC old_proc_ = nullptr;
};

// A style that notes where it paints its shadow onto a parent's canvas.
class TTestStyle : public TsGenStyle {
 public:
  using TsGenStyle::TsGenStyle;
  void PaintBitmap(TCanvas* canvas, int x, int y) override;
  std::vector<POINT> shadows;
};

// A windowed control with a style object of a given kind; its window procedure hands every
// message to the style first.
class TStyledTestControl : public TCustomControl {
  TK_CLASS(TStyledTestControl, TCustomControl)

 public:
  explicit TStyledTestControl(TComponent* owner) : TStyledTestControl(owner, 0) {}
  TStyledTestControl(TComponent* owner, int kind);
  ~TStyledTestControl() override;
  void WndProc(TMessage& message) override;
  void Invalidate() override;
  void Repaint() override;
  void MarkDestroying() { Destroying(); }
  TTestStyle* Style() const { return style_; }

  std::vector<TSeenMessage> seen;
  int invalidates = 0;
  int repaints = 0;

 private:
  TTestStyle* style_;
};

// Makes the given sections (and their "BORDERSMASK" masks) the loaded skin while it lives.
class TTestSkin {
 public:
  TTestSkin(const std::vector<TsGeneralData>& sections, const std::vector<std::string>& bordered);
  ~TTestSkin();
  TTestSkin(const TTestSkin&) = delete;
  TTestSkin& operator=(const TTestSkin&) = delete;
};
TsGeneralData Section(const std::string& name);
