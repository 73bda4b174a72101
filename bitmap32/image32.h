// The image controls: TCustomPaintBox32 paints through a 32-bit back buffer that it redraws
// only when invalid (a repaint after an uncovering is one blit); TCustomImage32 shows a
// TBitmap32 placed and scaled by BitmapAlign and ScaleMode, drawn by a list of paint stages.
// Layers are not part of this program: the collection stays empty.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "bitmap32/bitmap32.h"
#include "toolkit/controls.h"

class TCustomPaintBox32 : public TCustomControl {
  TK_CLASS(TCustomPaintBox32, TCustomControl)
  TK_MESSAGE_MAP

 public:
  enum TOption { pboWantArrowKeys = 1, pboAutoFocus = 2 };

  explicit TCustomPaintBox32(TComponent* owner);
  ~TCustomPaintBox32() override;

  TBitmap32* GetBuffer() const { return buffer_; }
  bool GetBufferValid() const { return buffer_valid_; }
  int GetOptions() const { return options_; }
  void SetOptions(int options) { options_ = options; }
  bool GetMouseInControl() const { return mouse_in_control_; }

  void Invalidate() override;
  void Loaded() override;
  void SetBounds(int left, int top, int width, int height) override;
  virtual RECT GetViewportRect();
  // Grows the buffer with a reserve of 40 pixels; shrinks it only when more than 40 too large.
  void ResizeBuffer();
  // With AutoSize the control takes the size CanAutoSize proposes: when it is switched on and
  // whenever the control applies it.
  bool GetAutoSize() const { return auto_size_; }
  void SetAutoSize(bool value);

  TNotifyEvent OnGDIOverlay;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  virtual void DoPaintBuffer() { buffer_valid_ = true; }
  virtual void DoPaintGDIOverlay() { OnGDIOverlay(this); }
  virtual void MouseEnter();
  virtual void MouseLeave();
  void Paint() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  // Changes the proposed size and answers true, or answers false to keep the current one.
  virtual bool CanAutoSize(int& /*width*/, int& /*height*/) { return false; }
  void ApplyAutoSize();

  TBitmap32* buffer_;
  bool buffer_valid_ = false;

 private:
  void WMEraseBkgnd(TMessage& message) { message.Result = 1; }
  void WMGetDlgCode(TMessage& message);
  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);

  int buffer_oversize_ = 40;
  int options_ = 0;
  bool mouse_in_control_ = false;
  bool auto_size_ = false;
};

enum TBitmapAlign { baTopLeft, baCenter, baTile, baCustom };
enum TScaleMode { smNormal, smStretch, smScale, smResize };

struct TPaintStage {
  bool DsgnTime = false;
  bool RunTime = true;
  uint32_t Stage = 0;
  uint32_t Parameter = 0;
};

enum : uint32_t {
  PST_CUSTOM = 1,
  PST_CLEAR_BUFFER,
  PST_CLEAR_BACKGND,
  PST_DRAW_BITMAP,
  PST_DRAW_LAYERS,
  PST_CONTROL_FRAME,
  PST_BITMAP_FRAME
};

class TPaintStages {
 public:
  TPaintStage& Add();
  void Clear() { items_.clear(); }
  int Count() const { return static_cast<int>(items_.size()); }
  TPaintStage& Items(int index) { return items_.at(index); }

 private:
  std::vector<TPaintStage> items_;
};

// A layer over the picture. None is ever made in this program, so the image's mouse events
// always name none.
class TCustomLayer;

// The layers drawn over the picture. None is ever made in this program: the collection keeps
// only what the image asks of it (count, update count, whether layers take mouse events, and
// the mouse routing, which finds no layer).
class TLayerCollection {
 public:
  // Layer options the image asks for.
  static constexpr uint32_t LOB_VISIBLE = 0x80000000, LOB_GDI_OVERLAY = 0x40000000,
                            LOB_MOUSE_EVENTS = 0x20000000;

  int Count() const { return 0; }
  bool GetMouseEvents() const { return mouse_events_; }
  void SetMouseEvents(bool value) { mouse_events_ = value; }
  void BeginUpdate() { ++update_count_; }
  // Below 0 raises EAssertionFailed.
  void EndUpdate();
  // The layer that holds the mouse between a press and its release.
  TCustomLayer* GetMouseListener() const { return nullptr; }
  // Each answers the topmost layer with LOB_MOUSE_EVENTS under the point.
  TCustomLayer* MouseDown(TMouseButton, TShiftState, int, int) { return nullptr; }
  TCustomLayer* MouseMove(TShiftState, int, int) { return nullptr; }
  TCustomLayer* MouseUp(TMouseButton, TShiftState, int, int) { return nullptr; }

 private:
  int update_count_ = 0;
  bool mouse_events_ = true;
};

// (sender, buffer, stage index)
using TPaintStageEvent = TEvent<TObject*, TBitmap32*, uint32_t>;
// The image's mouse events name the layer under the mouse (null: none).
using TImgMouseEvent = TEvent<TObject*, TMouseButton, TShiftState, int, int, TCustomLayer*>;
using TImgMouseMoveEvent = TEvent<TObject*, TShiftState, int, int, TCustomLayer*>;

class TCustomImage32 : public TCustomPaintBox32 {
  TK_CLASS(TCustomImage32, TCustomPaintBox32)

 public:
  explicit TCustomImage32(TComponent* owner);
  ~TCustomImage32() override;

  TBitmap32* GetBitmap() const { return bitmap_; }
  void SetBitmap(TBitmap32* value);
  TBitmapAlign GetBitmapAlign() const { return bitmap_align_; }
  void SetBitmapAlign(TBitmapAlign value);
  float GetScale() const { return scale_; }
  void SetScale(float value);
  TScaleMode GetScaleMode() const { return scale_mode_; }
  void SetScaleMode(TScaleMode value);
  void SetOffset(float horizontal, float vertical);
  TPaintStages& GetPaintStages() { return stages_; }
  TLayerCollection& GetLayers() { return layers_; }

  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  virtual void Changed();
  void Invalidate() override;
  void Loaded() override;

  // The picture's size and place in the control.
  virtual SIZE GetBitmapSize();
  virtual RECT GetBitmapRect();
  // The cached place, rebuilt on the next paint.
  RECT GetCachedBitmapRect() const { return cached_rect_; }

  TNotifyEvent OnBitmapResize;
  TNotifyEvent OnChange;
  TNotifyEvent OnInitStages;
  TPaintStageEvent OnPaintStage;
  TImgMouseEvent OnMouseDown;
  TImgMouseMoveEvent OnMouseMove;
  TImgMouseEvent OnMouseUp;

 protected:
  // With AutoSize the control takes the picture's size (scaled with smScale).
  virtual void BitmapResized();
  bool CanAutoSize(int& width, int& height) override;
  virtual void DoInitStages() { OnInitStages(this); }
  virtual void InitDefaultStages();
  void DoPaintBuffer() override;
  void Resize() override;
  void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseMove(TShiftState shift, int x, int y) override;
  void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
  void MouseLeave() override;
  void DoPaintGDIOverlay() override;

  virtual void ExecBitmapFrame(TBitmap32* dest, int stage);
  virtual void ExecClearBuffer(TBitmap32* dest, int stage);
  virtual void ExecClearBackgnd(TBitmap32* dest, int stage);
  virtual void ExecControlFrame(TBitmap32* dest, int stage);
  virtual void ExecCustom(TBitmap32* dest, int stage);
  virtual void ExecDrawBitmap(TBitmap32* dest, int stage);
  virtual void ExecDrawLayers(TBitmap32*, int) {}

 private:
  void BitmapChanged(TObject*) { Changed(); }
  void BitmapResizedHandler(TObject*) { BitmapResized(); }
  void UpdateCache();
  // The picture's size for AutoSize: the bitmap's, times Scale with smScale.
  SIZE AutoSizeOfBitmap() const;

  TBitmap32* bitmap_;
  TBitmapAlign bitmap_align_ = baTopLeft;
  TLayerCollection layers_;
  float offset_horz_ = 0, offset_vert_ = 0;
  TPaintStages stages_;
  float scale_ = 1.0f;
  TScaleMode scale_mode_ = smNormal;
  int update_count_ = 0;
  RECT cached_rect_{};
  int32_t scale_x_ = 0, scale_y_ = 0, shift_x_ = 0, shift_y_ = 0, rev_scale_x_ = 0, rev_scale_y_ = 0;
  bool cache_valid_ = false;
};

class TImage32 : public TCustomImage32 {
  TK_CLASS(TImage32, TCustomImage32)

 public:
  explicit TImage32(TComponent* owner) : TCustomImage32(owner) {}

 private:
  static void Publish(TPublisher<TImage32>& p);
};

const TEnumInfo& BitmapAlignInfo();
const TEnumInfo& ScaleModeInfo();

// Registers TImage32 for form definitions.
void RegisterImage32Class();
