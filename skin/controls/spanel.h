// The skinned panels and the size grip. A panel paints its background (the skin section's, or
// without skin its style's colour and bevels) and its caption into its style's cache bitmap,
// copies the cache to its window and lets the toolkit paint its graphic children over it; its
// windowed children read the cache as their parent's background.
#pragma once

#include <windows.h>

#include "skin/engine/sstyles.h"
#include "toolkit/extctrls.h"

// Passes CM_ENTER and CM_EXIT to `inherited` with the style's BGChanged held false, and says
// whether it did: focus moving among a container's children leaves its background as it is.
template <class Inherited>
bool PassFocusKeepingCache(TsGenStyle* style, TMessage& message, Inherited inherited) {
  if (message.Msg != CM_ENTER && message.Msg != CM_EXIT) return false;
  const bool stale = style->BGChanged;
  style->BGChanged = false;
  struct TRestore {
    TsGenStyle* style;
    bool stale;
    ~TRestore() { style->BGChanged = stale; }
  } restore{style, stale};
  inherited(message);
  return true;
}

class TsTransparentPanel : public TCustomPanel {
  TK_CLASS(TsTransparentPanel, TCustomPanel)
  TK_MESSAGE_MAP

 public:
  explicit TsTransparentPanel(TComponent* owner);

 protected:
  // The room kept free on every side for the frame: here BorderWidth.
  virtual int ClientOffset();
  // Writes the caption centred in height on r of the style's cache canvas.
  virtual void PaintCaption(RECT r, TsGenStyle* style);

 private:
  void WMEraseBkgnd(TMessage& message);
};

class TsCustomPanel : public TsTransparentPanel, public TsOuterBevelControl {
  TK_CLASS(TsCustomPanel, TsTransparentPanel)

 public:
  explicit TsCustomPanel(TComponent* owner);
  ~TsCustomPanel() override;
  void AfterConstruction() override;

  void WndProc(TMessage& message) override;
  // The style's bevel follows BevelOuter first, so the bevel painted and the room kept agree.
  void Invalidate() override;

  TsControlBevel GetBevelOuter() const override { return bevel_outer_; }
  void SetBevelOuter(TsControlBevel value) override;
  TsControlBevel GetBevelInner() const { return bevel_inner_; }
  void SetBevelInner(TsControlBevel value);
  TsPassiveBGStyle* GetStyle() const { return style_; }
  void SetStyle(TsPassiveBGStyle* value) { style_->Assign(value); }

  // BorderWidth, and BevelWidth for each bevel drawn.
  int ClientOffset() override;
  // How often the cache was rebuilt: tests and the benchmark watch it.
  int CacheBuilds() const { return cache_builds_; }

 protected:
  void Paint() override;
  void Loaded() override;
  void AdjustClientRect(RECT& rect) override;
  void PaintCaption(RECT r, TsGenStyle* style) override;
  // The bevels without skin, into the cache.
  void PaintBevels(TBitmap* bmp);
  // Rebuilds the cache when stale; false when nothing may be painted now.
  bool PrepareCache();

  TsPassiveBGStyle* style_ = nullptr;

 private:
  static void Publish(TPublisher<TsCustomPanel>& p);
  bool PartlyOutside() const;

  TsControlBevel bevel_outer_ = cbRaisedSoft;
  TsControlBevel bevel_inner_ = cbNone;
  bool partly_outside_ = false;
  int cache_builds_ = 0;
};

class TsPanel : public TsCustomPanel {
  TK_CLASS(TsPanel, TsCustomPanel)

 public:
  explicit TsPanel(TComponent* owner);

 private:
  static void Publish(TPublisher<TsPanel>& p);
};

// The size grip of a form's bottom right corner. With UseWindowCache and a linked window it
// shows that window's cache corner, so the grip matches the frame behind it.
class TsGrip : public TsCustomPanel {
  TK_CLASS(TsGrip, TsCustomPanel)

 public:
  explicit TsGrip(TComponent* owner);

  bool UseWindowCache = false;
  TWinControl* LinkedControl = nullptr;

 protected:
  void Paint() override;
};

// Registers the panels, the grip, the skinned label and the skinned bevel for form definitions.
void RegisterSkinPanelClasses();
