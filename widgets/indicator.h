// TIAeverLiquidIndicator: a short text as a row of 7-segment, 9-segment or 5 x 7 dot cells,
// every segment drawn (lit ones in the fore colour, unlit ones dimmed), inside optional bevels,
// rotatable by any angle with the window cut to the rotated box. Everything is drawn into an
// off-screen bitmap when a property changes; painting copies that bitmap, so the lane times
// can be written a hundred times a second and an unchanged text costs a comparison.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "widgets/segmentglyphs.h"

enum TIABevelKind { bkUP, bkDown, bkNone };
enum TIAMouseAction { maNone, maColor, maWidth, maBoth };
enum TIATransparentMode { tmNone, tmBackOnly, tmAll };
enum TIAColorScheme { csSilver, csInvSilver, csWhite, csBlack, csPlasma, csInvPlasma, csTIAN };
enum TIAMaterialShadowMode { msmDark, msmLight, msmNone };
enum TIAMaterialMode { mmStretch, mmTile };
using TMouseInOutEvent = TNotifyEvent;

// The indicator's private message: render now (posted so hovering does not draw inside the
// toolkit's mouse tracking).
constexpr UINT WM_IA_RENDER = 0xB065;

class TIAeverLiquidIndicator : public TCustomControl {
  TK_CLASS(TIAeverLiquidIndicator, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TIAeverLiquidIndicator(TComponent* owner);
  ~TIAeverLiquidIndicator() override;

  void SetBounds(int left, int top, int width, int height) override;

  int GetSignNumber() const { return sign_number_; }
  virtual void SetSignNumber(int value);
  int GetIndicatorWidth() const { return indicator_width_; }
  virtual void SetIndicatorWidth(int value);
  int GetIndicatorHeight() const { return indicator_height_; }
  virtual void SetIndicatorHeight(int value);
  int GetIndicatorAngle() const { return angle_; }
  virtual void SetIndicatorAngle(int value);
  int GetIndicatorGap() const { return gap_; }
  virtual void SetIndicatorGap(int value);
  const std::string& GetIndicatorstring() const { return text_; }
  virtual void SetIndicatorstring(const std::string& value);
  TIAIndicatorKind GetIndicatorKind() const { return kind_; }
  virtual void SetIndicatorKind(TIAIndicatorKind value);
  TIABevelKind GetInnerBevel() const { return inner_bevel_; }
  virtual void SetInnerBevel(TIABevelKind value);
  TIABevelKind GetOuterBevel() const { return outer_bevel_; }
  virtual void SetOuterBevel(TIABevelKind value);
  int GetInnerBevelWidth() const { return inner_bevel_width_; }
  virtual void SetInnerBevelWidth(int value);
  int GetOuterBevelWidth() const { return outer_bevel_width_; }
  virtual void SetOuterBevelWidth(int value);
  TColor GetBevelColor() const { return bevel_color_; }
  virtual void SetBevelColor(TColor value);
  TColor GetBackColor() const { return back_color_; }
  virtual void SetBackColor(TColor value);
  TColor GetNumberForeColor() const { return fore_color_; }
  virtual void SetNumberForeColor(TColor value);
  TColor GetNumberForeColor1() const { return hover_color_; }
  virtual void SetNumberForeColor1(TColor value);
  TColor GetNumberBackColor() const { return unlit_color_; }
  virtual void SetNumberBackColor(TColor value);
  TIAIndicatorStyle GetIndicatorStyle() const { return style_; }
  virtual void SetIndicatorStyle(TIAIndicatorStyle value);
  TIAMouseAction GetMouseAction() const { return mouse_action_; }
  virtual void SetMouseAction(TIAMouseAction value);
  TIATransparentMode GetTransparentMode() const { return transparent_mode_; }
  virtual void SetTransparentMode(TIATransparentMode value);
  TIAColorScheme GetColorScheme() const { return color_scheme_; }
  virtual void SetColorScheme(TIAColorScheme value);
  // Textures: copied on assignment; an empty bitmap switches them off.
  TBitmap* GetBackMaterial() const { return back_material_; }
  virtual void SetBackMaterial(TBitmap* value);
  TBitmap* GetForeMaterial() const { return fore_material_; }
  virtual void SetForeMaterial(TBitmap* value);
  TIAMaterialShadowMode GetMaterialShadowMode() const { return shadow_mode_; }
  virtual void SetMaterialShadowMode(TIAMaterialShadowMode value);
  TIAMaterialMode GetMaterialMode() const { return material_mode_; }
  virtual void SetMaterialMode(TIAMaterialMode value);
  TIAMaterialMode GetForeMaterialMode() const { return fore_material_mode_; }
  virtual void SetForeMaterialMode(TIAMaterialMode value);

  bool GetHovered() const { return hovered_; }
  // What is drawn now, in window coordinates: the lit and unlit segments.
  TPolygonSet GetLitShape() const { return Shape(true); }
  TPolygonSet GetUnlitShape() const { return Shape(false); }
  // The drawing that painting copies (the control's size, 32 bits per pixel).
  TBitmap* GetPicture() const { return bitmap_; }

  TMouseInOutEvent onMouseEnter;
  TMouseInOutEvent onMouseExit;

 protected:
  void Loaded() override;
  void Paint() override;
  void CreateParams(TCreateParams& params) override;
  void CreateWindowHandle(const TCreateParams& params) override;

 private:
  static void Publish(TPublisher<TIAeverLiquidIndicator>& p);

  bool Streaming() const { return GetComponentState().Contains(csLoading); }
  bool HoverThick() const { return hovered_ && (mouse_action_ == maWidth || mouse_action_ == maBoth); }
  bool HoverColored() const { return hovered_ && (mouse_action_ == maColor || mouse_action_ == maBoth); }
  // Turns points of the unrotated indicator into window coordinates.
  void Place(std::vector<TGeoPoint>& points) const;
  // Sets the window to the box the rotated indicator needs.
  void FitWindow();
  void Reshape();
  void Render();
  // One segment or dot in window coordinates and the pixel rectangles the platform fills
  // for it.
  struct TSegmentShape {
    std::vector<TGeoPoint> polygon;
    std::vector<RECT> rects;
    RECT bounds{0, 0, 0, 0};
  };
  void BuildSegments();
  std::vector<std::string> CellPatterns() const;
  TPolygonSet Shape(bool lit) const;
  void FillSegment(const TSegmentShape& segment, uint32_t pixel);
  // Draws a new text by recolouring the segments it changes and copying only them;
  // false when the drawing needs a full render instead.
  bool RecolourText();
  void CopyToScreen(const RECT& rect);
  // Renders through the message queue once the window exists, at once before.
  void RenderLater();
  // Renders and repaints, unless the control is being read from its definition.
  void Changed();
  void RebuildMaterials();
  void ApplyWindowRegion();

  void CMMouseEnter(TMessage& message);
  void CMMouseLeave(TMessage& message);
  // The window's new size: the indicator follows it, or the window snaps back to the box.
  void SizeChanged();
  void WMSize(TMessage& message);
  void WMRender(TMessage& message);

  int sign_number_ = 10;
  int indicator_width_ = 172;
  int indicator_height_ = 36;
  int angle_ = 0;
  int gap_ = 2;
  std::string text_;
  TIAIndicatorKind kind_ = ik7segment;
  TIABevelKind inner_bevel_ = bkDown;
  TIABevelKind outer_bevel_ = bkUP;
  int inner_bevel_width_ = 2;
  int outer_bevel_width_ = 2;
  TColor bevel_color_ = 0xDDDDDD;
  TColor back_color_ = 0xDDDDDD;
  TColor fore_color_ = 0x363636;
  TColor hover_color_ = 0x0000FF;
  TColor unlit_color_ = 0xD3D3D3;
  TIAIndicatorStyle style_ = isNormal;
  TIAMouseAction mouse_action_ = maNone;
  TIATransparentMode transparent_mode_ = tmNone;
  TIAColorScheme color_scheme_ = csSilver;
  TIAMaterialShadowMode shadow_mode_ = msmDark;
  TIAMaterialMode material_mode_ = mmStretch;
  TIAMaterialMode fore_material_mode_ = mmStretch;

  bool hovered_ = false;
  TBitmap* bitmap_;
  TBitmap* back_material_;
  TBitmap* fore_material_;
  TBitmap* dark_material_;
  TBitmap* light_material_;
  TBitmap* shadow_material_;
  HRGN clip_ = nullptr;                               // what the transparent modes paint; null for tmNone
  HRGN shape_ = nullptr;                              // the rotated indicator; null when it fills the window
  bool window_cut_ = false;                           // the window has a region of ours
  std::vector<std::vector<TSegmentShape>> segments_;  // by cell, then segment
  std::vector<std::string> patterns_;                 // the lit pattern of each cell
  bool recolourable_ = false;
};

// The value names of the published enumerations.
const TEnumInfo& IndicatorKindInfo();
const TEnumInfo& IndicatorStyleInfo();
