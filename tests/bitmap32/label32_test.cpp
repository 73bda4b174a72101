// The shadowed label: its drawing read back pixel by pixel (compared by colour and layout, not
// by glyph: the platform's font stands in for Arial), its limits, and its painting on a form.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>

#include "bitmap32/label32.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/forms.h"

namespace {

constexpr TColor32 kNavy = 0xFF000080, kLime = 0xFF00FF00;

TColor32 Rgb(TColor32 c) { return c & 0x00FFFFFF; }
int Channel(TColor32 c, int shift) { return static_cast<int>((c >> shift) & 0xFF); }
bool Near(TColor32 a, TColor32 b, int tolerance = 1) {
  for (int shift : {0, 8, 16})
    if (std::abs(Channel(a, shift) - Channel(b, shift)) > tolerance) return false;
  return true;
}

class Label32 : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 400, 200);
    picture = New<TBitmap32>();
  }
  void TearDown() override {
    Free(picture);
    Free(form);
    Pump();
  }

  // A lane title as the main window stores it.
  TLabel32* LaneTitle(const std::string& caption) {
    auto* l = New<TLabel32>(form);
    l->SetParent(form);
    l->SetBounds(10, 10, 140, 28);
    l->SetColor(clNavy);
    l->SetTextColor(clLime);
    l->SetShadowColor(clBlack);
    l->SetTextHAlign(thaCenter);
    l->SetTextEllipsis(telEnd);
    l->GetFont()->SetName("Arial");
    l->GetFont()->SetHeight(-19);
    l->GetFont()->SetStyle(TFontStyles{fsBold});
    l->SetCaption(caption);
    return l;
  }

  TForm* form = nullptr;
  TBitmap32* picture = nullptr;
};

// The columns of `b` in [x1, x2) that hold a pixel other than `background` in rows [y1, y2).
int InkColumns(TBitmap32* b, TColor32 background, int x1, int x2, int y1, int y2) {
  int found = 0;
  for (int x = x1; x < x2; ++x)
    for (int y = y1; y < y2; ++y)
      if (Rgb(b->GetPixel(x, y)) != Rgb(background)) {
        ++found;
        break;
      }
  return found;
}

}  // namespace

TEST_F(Label32, SettersClampAndTheDefaultsAreTheStoredOnes) {
  auto* l = New<TLabel32>(form);
  EXPECT_EQ(l->GetCaption(), "Label32");
  EXPECT_EQ(l->GetWidth(), 100);
  EXPECT_EQ(l->GetHeight(), 14);
  EXPECT_EQ(l->GetFont()->GetName(), "Arial");
  EXPECT_TRUE(l->GetFont()->GetStyle().Contains(fsBold));
  EXPECT_EQ(l->GetFont()->GetSize(), 8);
  EXPECT_TRUE(l->GetControlStyle().Contains(csOpaque));
  l->SetContrast(150);
  EXPECT_EQ(l->GetContrast(), 100);
  l->SetContrast(-101);
  EXPECT_EQ(l->GetContrast(), -100);
  l->SetShadowCount(0);
  EXPECT_EQ(l->GetShadowCount(), 1);
  l->SetShadowCount(9);
  EXPECT_EQ(l->GetShadowCount(), 5);
  l->SetTextAutoSizeSpacing(-3);
  EXPECT_EQ(l->GetTextAutoSizeSpacing(), 0);
  // The defaults: left, centred vertically, no prefix, one line.
  EXPECT_EQ(l->GetTextFlags(), UINT(DT_VCENTER | DT_NOPREFIX | DT_SINGLELINE));
  EXPECT_EQ(LaneTitle("x")->GetTextFlags(),
            UINT(DT_CENTER | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX | DT_SINGLELINE));
  l->SetTextHAlign(thaRight);
  l->SetTextVAlign(tvaBottom);
  l->SetTextEllipsis(telPath);
  l->SetTextPrefix(true);
  l->SetTextSingleLine(false);
  EXPECT_EQ(l->GetTextFlags(), UINT(DT_RIGHT | DT_BOTTOM | DT_PATH_ELLIPSIS));
}

TEST_F(Label32, WithoutShadowOnlyTheBackgroundAndTheTextColourAreDrawn) {
  TLabel32* l = LaneTitle("01:23.45");
  l->SetShadowOn(false);
  l->Render(picture);
  ASSERT_EQ(picture->GetWidth(), 140);
  ASSERT_EQ(picture->GetHeight(), 28);
  int text = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 140; ++x) {
      const TColor32 c = picture->GetPixel(x, y);
      // Anti-aliased edges mix navy and lime: never any red, never more blue than navy's.
      ASSERT_EQ(Channel(c, 16), 0) << x << "," << y;
      ASSERT_LE(Channel(c, 0), 128) << x << "," << y;
      text += Rgb(c) == Rgb(kLime);
      if (x == 0 || y == 0 || x == 139 || y == 27) {
        ASSERT_EQ(Rgb(c), Rgb(kNavy)) << x << "," << y;
      }
    }
  EXPECT_GT(text, 20);
}

TEST_F(Label32, TheShadowIsASoftHaloExactlyUnderTheText) {
  TLabel32* l = LaneTitle("WALL");
  l->SetShadowOn(false);
  l->Render(picture);
  auto* plain = New<TBitmap32>();
  plain->Assign(picture);
  l->SetShadowOn(true);
  l->Render(picture);
  int halo = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 140; ++x) {
      const TColor32 shadowed = picture->GetPixel(x, y), without = plain->GetPixel(x, y);
      // Any ink within one pixel (one softening pass) of this one?
      bool ink_near = false;
      for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
          const int nx = std::clamp(x + dx, 0, 139), ny = std::clamp(y + dy, 0, 27);
          ink_near = ink_near || Rgb(plain->GetPixel(nx, ny)) != Rgb(kNavy);
        }
      if (!ink_near) {
        ASSERT_EQ(Rgb(shadowed), Rgb(without)) << "shadow away from the text at " << x << "," << y;
      } else if (Rgb(without) == Rgb(kNavy) && Rgb(shadowed) != Rgb(kNavy)) {
        ++halo;
        // Black softened into navy: darker, never another hue.
        EXPECT_LT(Channel(shadowed, 0), 128) << x << "," << y;
        EXPECT_EQ(Channel(shadowed, 16), 0) << x << "," << y;
      }
    }
  EXPECT_GT(halo, 20);
  // The text itself is drawn over the shadow, so its fully covered pixels stay lime, and the
  // softening made the background opaque.
  int lime = 0;
  for (int y = 1; y < 27; ++y)
    for (int x = 1; x < 139; ++x) lime += Rgb(picture->GetPixel(x, y)) == Rgb(kLime);
  EXPECT_GT(lime, 20);
  EXPECT_EQ(picture->GetPixel(20, 2) >> 24, 0xFFu);
  Free(plain);
}

TEST_F(Label32, ContrastLightensTheBackgroundAndDrawsARaisedFrame) {
  TLabel32* l = LaneTitle("");
  l->SetContrast(20);
  l->Render(picture);
  const TColor32 background = 0xFF141494;  // navy + 20 in each channel
  EXPECT_TRUE(Near(picture->GetPixel(70, 14), background, 0));
  EXPECT_TRUE(Near(picture->GetPixel(1, 1), background, 0));
  // White at alpha 102 over the top and left edges, black at alpha 51 over the others.
  auto over = [](int c, int with, int alpha) { return c + (with - c) * alpha / 255; };
  const TColor32 light =
      0xFF000000 | over(0x14, 255, 102) << 16 | over(0x14, 255, 102) << 8 | over(0x94, 255, 102);
  const TColor32 dark = 0xFF000000 | over(0x14, 0, 51) << 16 | over(0x14, 0, 51) << 8 | over(0x94, 0, 51);
  EXPECT_TRUE(Near(picture->GetPixel(70, 0), light)) << std::hex << picture->GetPixel(70, 0);
  EXPECT_TRUE(Near(picture->GetPixel(0, 14), light)) << std::hex << picture->GetPixel(0, 14);
  EXPECT_TRUE(Near(picture->GetPixel(70, 27), dark)) << std::hex << picture->GetPixel(70, 27);
  EXPECT_TRUE(Near(picture->GetPixel(139, 14), dark)) << std::hex << picture->GetPixel(139, 14);
}

TEST_F(Label32, AutoSizeTakesTheTextSizePlusTheSpacing) {
  TLabel32* l = LaneTitle("Miller");
  auto* measure = New<TBitmap32>();
  measure->SetFont(l->GetFont());
  const SIZE text = measure->TextExtent("Miller");
  Free(measure);
  l->SetTextAutoSize(true);
  l->Render(picture);
  EXPECT_EQ(l->GetWidth(), text.cx + 5);
  EXPECT_EQ(l->GetHeight(), text.cy + 5);
  EXPECT_EQ(picture->GetWidth(), text.cx + 5);
  l->SetTextAutoSizeSpacing(10);
  l->Render(picture);
  EXPECT_EQ(l->GetHeight(), text.cy + 10);
}

TEST_F(Label32, ALongCaptionEndsInAnEllipsisOrIsCutAtTheEdge) {
  TLabel32* l = LaneTitle("WWWWWWWWWWWWWWWWWWWW");
  l->SetShadowOn(false);
  l->SetTextHAlign(thaLeft);
  // The last ten columns inside the frame: cut W's fill their upper half, the ellipsis's dots
  // sit on the base line only.
  l->SetTextEllipsis(telNone);
  l->Render(picture);
  EXPECT_GT(InkColumns(picture, kNavy, 128, 139, 1, 12), 5);
  l->SetTextEllipsis(telEnd);
  l->Render(picture);
  EXPECT_EQ(InkColumns(picture, kNavy, 120, 139, 1, 12), 0);
  EXPECT_GT(InkColumns(picture, kNavy, 100, 139, 12, 27), 3);
}

TEST_F(Label32, PaintingCopiesTheDrawingAndEverySetterRepaints) {
  TDesktopLock desktop;
  form->SetBounds(20, 20, 400, 200);  // on the screen: its pixels are read back
  TLabel32* l = LaneTitle("Miller");
  form->Show();
  HWND window = form->GetHandle();
  ASSERT_TRUE(PumpUntil([&] { return l->GetPaintCount() > 0 && !GetUpdateRect(window, nullptr, FALSE); }));
  // The text's pixels have alpha 0 in the bitmap; on the screen they are the text's colour.
  l->Render(picture);
  HDC dc = GetDC(window);
  int differing = 0;
  for (int y = 0; y < 28; ++y)
    for (int x = 0; x < 140; ++x)
      differing += GetPixel(dc, 10 + x, 10 + y) != RGB(Channel(picture->GetPixel(x, y), 16),
                                                       Channel(picture->GetPixel(x, y), 8),
                                                       Channel(picture->GetPixel(x, y), 0));
  ReleaseDC(window, dc);
  EXPECT_EQ(differing, 0);
  // The same caption again still repaints.
  const int painted = l->GetPaintCount();
  l->SetCaption("Miller");
  EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE));
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); }));
  EXPECT_EQ(l->GetPaintCount(), painted + 1);
  // So does every other setter given the value it has, the background's included, also when
  // it comes from a form's definition.
  const std::function<void()> same_values[] = {
      [&] { l->SetContrast(l->GetContrast()); },
      [&] { l->SetShadowOn(l->GetShadowOn()); },
      [&] { l->SetShadowColor(l->GetShadowColor()); },
      [&] { l->SetTextEllipsis(l->GetTextEllipsis()); },
      [&] { l->SetTextHAlign(l->GetTextHAlign()); },
      [&] { l->SetTextVAlign(l->GetTextVAlign()); },
      [&] { l->SetTextPrefix(l->GetTextPrefix()); },
      [&] { l->SetTextSingleLine(l->GetTextSingleLine()); },
      [&] { l->SetTextAutoSize(l->GetTextAutoSize()); },
      [&] { l->SetTextAutoSizeSpacing(l->GetTextAutoSizeSpacing()); },
      [&] { l->SetShadowCount(l->GetShadowCount()); },
      [&] { l->SetTextColor(l->GetTextColor()); },
      [&] { l->SetColor(l->GetColor()); },
      [&] { SetOrdProp(l, "Color", clNavy); },
  };
  for (size_t i = 0; i < std::size(same_values); ++i) {
    ValidateRect(window, nullptr);
    same_values[i]();
    EXPECT_TRUE(GetUpdateRect(window, nullptr, FALSE)) << "setter " << i;
  }
  EXPECT_EQ(l->GetColor(), clNavy);
}

TEST_F(Label32, AnAutoSizeResizeFromAPaintPaintsOnceMoreAndThenRests) {
  TDesktopLock desktop;
  form->SetBounds(20, 20, 400, 200);
  TLabel32* l = LaneTitle("Miller");
  l->SetTextAutoSize(true);
  form->Show();
  HWND window = form->GetHandle();
  ASSERT_TRUE(PumpUntil([&] { return l->GetPaintCount() > 0 && !GetUpdateRect(window, nullptr, FALSE); }));
  const int painted = l->GetPaintCount();
  // A resize inside the paint invalidates once; the paint it brings measures the same size.
  for (int i = 0; i < 5; ++i) {
    Pump();
    UpdateWindow(window);
  }
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  EXPECT_EQ(l->GetPaintCount(), painted);
  EXPECT_LE(painted, 3);
  l->SetCaption("Miller-Luedenscheid");
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); }));
  EXPECT_EQ(l->GetPaintCount(), painted + 2);  // the new text, then the new size
  EXPECT_GT(l->GetWidth(), 140 / 2);
}
