// Small controls for the skin engine's control tests: a control whose window procedure calls
// its TsCommonData first, one with a style object of a given kind, a graphic child and a label
// stand-in that note their paints, and a loaded skin of a few sections.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "skin/engine/scommondata.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "toolkit/controls.h"

// The library messages a control's WindowProc saw (SKM_GETSKINOBJECT left out).
struct TSeenMessage {
  UINT msg;
  LPARAM lparam;
};
int CountOf(const std::vector<TSeenMessage>& seen, UINT msg);

// Freed test objects are filled with 0xDD and never reused, so a use after free fails at once.
void* PoisonedNew(size_t size);
void PoisonedDelete(void* block, size_t size);

class TTestCommonData : public TsCommonData {
 public:
  using TsCommonData::TsCommonData;
  static void* operator new(size_t size) { return PoisonedNew(size); }
  static void operator delete(void* block, size_t size) { PoisonedDelete(block, size); }
};

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
  void MarkLoading() { IncludeState(csLoading); }
  void FinishLoading() { Loaded(); }
  void MarkDestroying() { Destroying(); }

  std::vector<TSeenMessage> seen;
  int invalidates = 0;
  int repaints = 0;
  std::function<void()> on_invalidate;  // replaces Invalidate (may free the control)
  LRESULT is_updating_answer = 0;       // 0: the skin data answers SKM_ISUPDATING

 protected:
  void Loaded() override;

 private:
  TTestCommonData* data_;
};

// A style noting where it paints its shadow.
class TTestStyle : public TsGenStyle {
 public:
  using TsGenStyle::TsGenStyle;
  void PaintBitmap(TCanvas* canvas, int x, int y) override;
  std::vector<POINT> shadows;
};

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

// A graphic child noting each paint: the DC's origin and clip box, and its paint-copy state.
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

// Stands in for the skinned label (IsTestLabel is registered with SetSkinnedLabelTest).
class TSkinTestLabel : public TCustomControl {
  TK_CLASS(TSkinTestLabel, TCustomControl)

 public:
  explicit TSkinTestLabel(TComponent* owner);
  void Repaint() override { ++repaints; }
  int repaints = 0;
};
bool IsTestLabel(TControl* control);

// A plain windowed container noting the library messages it gets.
class TSkinTestWindow : public TCustomControl {
  TK_CLASS(TSkinTestWindow, TCustomControl)

 public:
  explicit TSkinTestWindow(TComponent* owner);
  void WndProc(TMessage& message) override;
  void MarkDestroying() { Destroying(); }
  std::vector<TSeenMessage> seen;
};

// The given sections (and "BORDERSMASK" masks of the bordered ones) as the loaded skin.
class TTestSkin {
 public:
  TTestSkin(const std::vector<TsGeneralData>& sections, const std::vector<std::string>& bordered);
  ~TTestSkin();
  TTestSkin(const TTestSkin&) = delete;
  TTestSkin& operator=(const TTestSkin&) = delete;
};
TsGeneralData Section(const std::string& name, int transparency = 0, bool shadow = false);
