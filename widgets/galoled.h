// TIAgaloLED: a signal lamp of shaded plastic in one of six shapes, with a gap ring and up to
// two bevelled border rings, rotatable by any angle with the window cut to its outer outline.
// On, the plastic is at full brightness, off at half. Drawn into an off-screen bitmap when a
// property changes; painting copies it (and adds the optional halo around the control).
#pragma once

#include <windows.h>

#include <cstdint>

#include "toolkit/bitmap.h"
#include "toolkit/controls.h"
#include "widgets/ledgeometry.h"

enum TIABorderLedStyle { iablsUp, iablsDown, iablsNone };
enum TIAglSubstanceMode { iasmTile, iasmStretch };

class TIAgaloLED : public TCustomControl {
  TK_CLASS(TIAgaloLED, TCustomControl)
  TK_MESSAGE_MAP

 public:
  explicit TIAgaloLED(TComponent* owner);
  ~TIAgaloLED() override;

  // Size changes are taken only while the angle is a multiple of 90 degrees; otherwise the
  // window keeps the box of the rotated lamp.
  void SetBounds(int left, int top, int width, int height) override;

  TIALedClass GetLedClass() const { return led_class_; }
  virtual void SetLedClass(TIALedClass value);
  int GetLedWidth() const { return led_width_; }
  virtual void SetLedWidth(int value);
  int GetLedHeight() const { return led_height_; }
  virtual void SetLedHeight(int value);
  int GetLedPlasticDepth() const { return depth_; }
  virtual void SetLedPlasticDepth(int value);
  int GetGap() const { return gap_; }
  virtual void SetGap(int value);
  TColor GetGapColor() const { return gap_color_; }
  virtual void SetGapColor(TColor value);
  int GetAngle() const { return angle_; }
  virtual void SetAngle(int value);
  TIABorderLedStyle GetInnerBorderStyle() const { return inner_style_; }
  virtual void SetInnerBorderStyle(TIABorderLedStyle value);
  TIABorderLedStyle GetOuterBorderStyle() const { return outer_style_; }
  virtual void SetOuterBorderStyle(TIABorderLedStyle value);
  int GetInnerBorderDepth() const { return inner_depth_; }
  virtual void SetInnerBorderDepth(int value);
  int GetOuterBorderDepth() const { return outer_depth_; }
  virtual void SetOuterBorderDepth(int value);
  TColor GetBorderColor() const { return border_color_; }
  virtual void SetBorderColor(TColor value);
  TColor GetLedPlasticColor() const { return plastic_color_; }
  virtual void SetLedPlasticColor(TColor value);
  bool GetLedOn() const { return on_; }
  virtual void SetLedOn(bool value);
  TIAglSubstanceMode GetLedPlasticSubsMode() const { return plastic_mode_; }
  virtual void SetLedPlasticSubsMode(TIAglSubstanceMode value);
  TIAglSubstanceMode GetBorderSubsMode() const { return border_mode_; }
  virtual void SetBorderSubsMode(TIAglSubstanceMode value);
  TBitmap* GetBorderSubstance() const { return border_texture_; }
  void SetBorderSubstance(TBitmap* value);
  TBitmap* GetLedPlasticSubstance() const { return plastic_texture_; }
  void SetLedPlasticSubstance(TBitmap* value);
  bool GetGaloON() const { return halo_on_; }
  virtual void SetGaloON(bool value);
  int GetGaloSize() const { return halo_size_; }
  virtual void SetGaloSize(int value);
  int GetGaloIntensity() const { return halo_intensity_; }
  virtual void SetGaloIntensity(int value);

  // The plastic's grain; replaceable so that a drawing can be repeated exactly.
  void SetGrainSource(TGrainSource source);
  TLedShape Shape() const;
  // The outer outline in window coordinates: the window's region.
  const std::vector<TGeoPoint>& GetOuterOutline() const { return outer_; }
  // The drawing that painting copies (the window's size, 24 bits per pixel).
  TBitmap* GetPicture() const { return bitmap_; }

 protected:
  void Loaded() override;
  void CreateHandle() override;
  void Paint() override;

 private:
  static void Publish(TPublisher<TIAgaloLED>& p);

  void Reshape();
  void Render();
  void ReshapeAndRender();
  void RenderAndPaint();
  void PaintHalo();
  void RedrawHaloArea();
  // After a move or resize: the form repaints where the glow was and around the lamp now.
  void RedrawAroundLamp();
  // The window the glow is drawn on (the top-level form), or null; `origin` gets the lamp's
  // top-left corner in its client area.
  HWND GlowWindow(POINT& origin);
  // The form repaints `area` (its client coordinates) with every child over it but the lamp.
  void RedrawForGlow(HWND window, HRGN area, POINT origin);
  void RebuildBorderCopies();

  void WMSize(TMessage& message);
  void WMMove(TMessage& message);

  TIALedClass led_class_ = ialcRect;
  int led_width_ = 22;
  int led_height_ = 12;
  int depth_ = 5;
  int gap_ = 0;
  TColor gap_color_ = 0x808080;
  int angle_ = 0;
  TIABorderLedStyle inner_style_ = iablsNone;
  TIABorderLedStyle outer_style_ = iablsDown;
  int inner_depth_ = 0;
  int outer_depth_ = 2;
  TColor border_color_ = 0x808080;
  TColor plastic_color_ = 0x0000FF;
  bool on_ = false;
  TIAglSubstanceMode plastic_mode_ = iasmTile;
  TIAglSubstanceMode border_mode_ = iasmTile;
  bool halo_on_ = false;
  int halo_size_ = 10;
  int halo_intensity_ = 5;
  bool halo_just_off_ = false;
  RECT glow_box_{};  // where the glow was last drawn, in the form's client coordinates
  bool redrawing_glow_ = false;

  int box_width_ = 24;
  int box_height_ = 14;
  bool reshaping_ = false;
  std::vector<TGeoPoint> plastic_, gap_outline_, inner_, outer_;
  TBitmap* bitmap_;
  TBitmap* border_texture_;
  TBitmap* border_light_;
  TBitmap* border_dark_;
  TBitmap* plastic_texture_;
  TGrainSource grain_;
  uint32_t grain_state_ = 0x2545F491u;
};
