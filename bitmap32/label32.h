// TLabel32: an opaque text label drawn through a 32-bit bitmap: background (lightened by
// Contrast), a shadow of the text softened by blurring, a raised or sunken one-pixel frame and
// the text, copied to the screen in one transfer, so it never flickers.
#pragma once

#include <windows.h>

#include <string>

#include "bitmap32/bitmap32.h"
#include "toolkit/controls.h"

enum duTextEllipsis { telNone, telEnd, telPath };
enum duTextHAlign { thaLeft, thaCenter, thaRight };
enum duTextVAlign { tvaTop, tvaCenter, tvaBottom };

class TLabel32 : public TGraphicControl {
  TK_CLASS(TLabel32, TGraphicControl)

 public:
  explicit TLabel32(TComponent* owner);
  ~TLabel32() override;

  // Every setter repaints, even for the value it already has; the numbers are clamped.
  const std::string& GetCaption() const { return caption_; }
  void SetCaption(const std::string& value);
  int GetContrast() const { return contrast_; }
  void SetContrast(int value);
  bool GetShadowOn() const { return shadow_on_; }
  void SetShadowOn(bool value);
  TColor GetShadowColor() const { return shadow_color_; }
  void SetShadowColor(TColor value);
  duTextEllipsis GetTextEllipsis() const { return ellipsis_; }
  void SetTextEllipsis(duTextEllipsis value);
  duTextHAlign GetTextHAlign() const { return h_align_; }
  void SetTextHAlign(duTextHAlign value);
  duTextVAlign GetTextVAlign() const { return v_align_; }
  void SetTextVAlign(duTextVAlign value);
  bool GetTextPrefix() const { return prefix_; }
  void SetTextPrefix(bool value);
  bool GetTextSingleLine() const { return single_line_; }
  void SetTextSingleLine(bool value);
  bool GetTextAutoSize() const { return auto_size_; }
  void SetTextAutoSize(bool value);
  int GetTextAutoSizeSpacing() const { return auto_size_spacing_; }
  void SetTextAutoSizeSpacing(int value);
  int GetShadowCount() const { return shadow_count_; }
  void SetShadowCount(int value);
  TColor GetTextColor() const { return text_color_; }
  void SetTextColor(TColor value);
  // The background; published again so that a form's value comes through this setter too.
  void SetColor(TColor value);

  // The DrawText flags of the alignment, ellipsis, prefix and single-line settings.
  UINT GetTextFlags() const;
  // Draws the label into `target` (resized to the label) exactly as a paint does.
  void Render(TBitmap32* target);
  // Paints since creation (a resize inside a paint must not start another one).
  int GetPaintCount() const { return paint_count_; }

 protected:
  void Paint() override;

 private:
  static void Publish(TPublisher<TLabel32>& p);

  std::string caption_ = "Label32";
  int contrast_ = 0;
  bool shadow_on_ = true;
  TColor shadow_color_ = clWhite;
  duTextEllipsis ellipsis_ = telNone;
  duTextHAlign h_align_ = thaLeft;
  duTextVAlign v_align_ = tvaCenter;
  bool prefix_ = false;
  bool single_line_ = true;
  bool auto_size_ = false;
  int auto_size_spacing_ = 5;
  int shadow_count_ = 1;
  TColor text_color_ = clWindowText;
  // Drawn from scratch on every paint; kept only so that its DIB is not made again while the
  // size stays the same.
  TBitmap32* buffer_ = nullptr;
  int paint_count_ = 0;
};

const TEnumInfo& TextEllipsisInfo();
const TEnumInfo& TextHAlignInfo();
const TEnumInfo& TextVAlignInfo();

// Registers TLabel32 for form definitions.
void RegisterLabel32Class();
