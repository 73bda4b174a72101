// The speed button's glyph: a strip of up to five images (up, disabled, down, held down,
// inactive), the per-state images built from it on demand and shared through a process-wide
// cache, and the layout and drawing of glyph, caption and drop-down mark.
#pragma once

#include <windows.h>

#include <string>

#include "toolkit/bitmap.h"
#include "toolkit/buttons.h"
#include "toolkit/controls.h"

// The numbers are the slices of the glyph strip.
enum TWxButtonState { wbsUp, wbsDisabled, wbsDown, wbsExclusive, wbsInactive };

// Draws a part of bitmap (source; all of it when its width or height is below 1) stretched
// to width x height at (x, y) (the bitmap's size for sides below 1). transparent: clNone for a
// plain copy in the canvas's copy mode, clDefault for the bitmap's bottom-left pixel.
void DrawBitmapTransparent(TCanvas* canvas, int x, int y, int width, int height, TBitmap* bitmap, RECT source,
                           TColor transparent);

class TWxGlyphList;

class TWxButtonGlyph {
 public:
  TWxButtonGlyph();
  ~TWxButtonGlyph();
  TWxButtonGlyph(const TWxButtonGlyph&) = delete;
  TWxButtonGlyph& operator=(const TWxButtonGlyph&) = delete;

  TBitmap* GetGlyph() const { return glyph_; }
  HPALETTE GetPalette() const { return glyph_->GetPalette(); }
  void SetGlyph(TBitmap* glyph) { glyph_->Assign(glyph); }
  // An action's image as the glyph: its disabled image is embossed on the button face,
  // whatever GrayNewStyle says. A glyph set later is the button's own again.
  void SetActionImage(TBitmap* image);
  int GetNumGlyphs() const { return num_glyphs_; }
  // 1 to 5; 0 and unchanged values are ignored.
  void SetNumGlyphs(int count);
  TAlignment GetAlignment() const { return alignment_; }
  void SetAlignment(TAlignment value);
  // Disabled images embossed on the transparent colour rather than on the button face.
  bool GetGrayNewStyle() const { return gray_new_style_; }
  void SetGrayNewStyle(bool value);
  bool GetWordWrap() const { return word_wrap_; }
  void SetWordWrap(bool value);
  // The glyph's transparent colour as an RGB value.
  TColor GetTransparentColor() const;
  SIZE GetImageSize() const;
  // Drops the built images (system colours changed, new glyph).
  void Invalidate();

  struct TLayout {
    POINT glyph;
    RECT text;
    POINT mark;           // top-left of the drop-down arrow
    std::string caption;  // as drawn: shortened with "..." when it does not fit
  };
  // In the font selected into dc; bidi_flags are DrawText's right-to-left flags.
  TLayout Arrange(HDC dc, const RECT& client, const std::string& caption, TButtonLayout layout, int margin,
                  int spacing, bool mark, UINT bidi_flags) const;
  // Glyph, caption (in the canvas's font, text_color unless disabled) and, with mark, the
  // drop-down arrow. The text rectangle drawn into comes back.
  RECT Draw(TCanvas* canvas, const RECT& client, POINT offset, const std::string& caption,
            TButtonLayout layout, int margin, int spacing, TWxButtonState state, bool mark, TColor text_color,
            UINT bidi_flags);
  // The state's built image (null without a glyph), as the cache holds it.
  TBitmap* StateImage(TWxButtonState state);

  TNotifyEvent OnChange;

 private:
  void GlyphChanged(TObject* sender);
  void Changed();
  TBitmap* BuildImage(TWxButtonState state);
  UINT TextFlags(UINT bidi_flags) const;

  // Receives the bitmap's change notice (an event needs an object).
  class TRelay : public TObject {
   public:
    explicit TRelay(TWxButtonGlyph* glyph) : glyph_(glyph) {}
    void Changed(TObject* sender) { glyph_->GlyphChanged(sender); }

   private:
    TWxButtonGlyph* glyph_;
  };

  TBitmap* glyph_;
  TRelay* relay_;
  int num_glyphs_ = 1;
  TAlignment alignment_ = taCenter;
  bool gray_new_style_ = true;
  bool from_action_ = false;
  bool word_wrap_ = false;
  TWxGlyphList* list_ = nullptr;  // the cache's list of this image size
  int indexes_[5] = {-1, -1, -1, -1, -1};
};

// The cache's image lists alive now (one per image size in use), for tests.
int WxGlyphCacheListCount();

// The arrow a drop-down button shows: 7 x 4 pixels at (x, y).
void DrawDropDownMark(HDC dc, int x, int y, bool enabled);
