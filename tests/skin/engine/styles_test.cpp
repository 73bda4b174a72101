// The style classes through small controls owning each of them: where every value comes from
// (section or property objects, hot or passive), backgrounds and transparency, the editors'
// colour, key navigation, the messages of each family and the form definitions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <tuple>

#include "skin/engine/sborders.h"
#include "skin/engine/sstyles.h"
#include "tests/toolkit/graphics_test_helpers.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/labels.h"
#include "toolkit/forms.h"
#include "toolkit/picture.h"

namespace {

// A windowed control owning a style of class S, as the skinned controls do.
template <class S>
class TStyleHost : public TCustomControl, public TsStyleQueries {
 public:
  explicit TStyleHost(TComponent* owner, int coc = 1) : TCustomControl(owner) {
    style = New<S>(this);
    style->COC = coc;
    style->SetStyleQueries(this);
  }
  ~TStyleHost() override { FreeAndNil(style); }
  void WndProc(TMessage& message) override {
    if (style && style->HandleFirst(message)) return;
    if (message.Msg == SKM_CAPTIONQUERY) {
      message.Result = caption_query_answer;
      return;
    }
    TCustomControl::WndProc(message);
  }
  S* GetStyle() const { return style; }
  S* style = nullptr;
  bool down = false;
  bool ButtonDown() override { return down; }
  bool IsButton() override { return button; }
  bool button = false;
  LRESULT caption_query_answer = 0;

 protected:
  void KeyDown(WORD& key, TShiftState shift) override {
    if constexpr (std::is_base_of_v<TsCustomStyle, S>) style->KeyDown(key, shift);
    if (key) TCustomControl::KeyDown(key, shift);
  }
};

// Published under the names the skinned controls use, so that form definitions reach them.
class TStyledTestEdit : public TStyleHost<TsStyle> {
  TK_CLASS(TStyledTestEdit, TCustomControl)

 public:
  explicit TStyledTestEdit(TComponent* owner) : TStyleHost(owner, COC_TsEdit) { SetTabStop(true); }

 private:
  static void Publish(TPublisher<TStyledTestEdit>& p) { p.Object("sStyle", &TStyledTestEdit::GetStyle); }
};
TK_CLASS_INFO(TStyledTestEdit, TCustomControl)

class TStyledTestButton : public TStyleHost<TsActiveBGStyle> {
  TK_CLASS(TStyledTestButton, TCustomControl)

 public:
  explicit TStyledTestButton(TComponent* owner) : TStyleHost(owner, COC_TsButton) {}

 private:
  static void Publish(TPublisher<TStyledTestButton>& p) { p.Object("sStyle", &TStyledTestButton::GetStyle); }
};
TK_CLASS_INFO(TStyledTestButton, TCustomControl)

// A parent whose cache the children read: ready or not, at an offset.
class TCacheParent : public TCustomControl {
 public:
  explicit TCacheParent(TComponent* owner) : TCustomControl(owner) {}
  void WndProc(TMessage& message) override {
    if (message.Msg == SKM_GETCACHEINFO && cache) {
      GlobalCacheInfo = TsCacheInfo{cache, offset.x, offset.y, true};
      return;
    }
    TCustomControl::WndProc(message);
  }
  TBitmap* cache = nullptr;
  POINT offset{0, 0};
};

using graphics_test::Make;
using graphics_test::Owned;

TColor Pixel(TBitmap* bmp, int x, int y) {
  const uint8_t* p = bmp->GetScanLine(y) + x * 3;
  return RGB(p[2], p[1], p[0]);
}

// Every channel of a and b within one.
bool Near(TColor a, TColor b) {
  for (int shift : {0, 8, 16})
    if (std::abs(static_cast<int>((a >> shift) & 0xFF) - static_cast<int>((b >> shift) & 0xFF)) > 1)
      return false;
  return true;
}

// (a - b) * alpha / 256 + b per channel.
TColor Mix(TColor a, TColor b, int alpha) {
  TColor out = 0;
  for (int shift : {0, 8, 16}) {
    const int av = (a >> shift) & 0xFF, bv = (b >> shift) & 0xFF;
    out |= static_cast<TColor>((av - bv) * alpha / 256 + bv) << shift;
  }
  return out;
}

Owned<TBitmap> Bitmap24(int w, int h, TColor color) {
  auto bmp = graphics_test::Filled(w, h, color);
  bmp->SetPixelFormat(pf24bit);
  return bmp;
}

class Styles : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 320, 240);
    parent = New<TCacheParent>(form);
    parent->SetParent(form);
    parent->SetBounds(0, 0, 300, 200);
    parent->SetColor(0x203040);
    parent->GetHandle();
  }
  void TearDown() override {
    Free(form);
    Pump();
    SkinChanging = false;
    SkinData().SkinLoaded = false;
    SkinGeneralData.clear();
    SkinMasks.clear();
  }
  template <class S>
  TStyleHost<S>* Host(int coc = 1, RECT bounds = RECT{20, 30, 60, 50}) {
    auto* host = New<TStyleHost<S>>(form, coc);
    host->SetParent(parent);
    host->SetBoundsRect(bounds);
    return host;
  }
  // A loaded skin of the given section, the hosts' sections resolved.
  static void LoadSkin(const TsGeneralData& section) {
    SkinData().SkinLoaded = true;
    SkinGeneralData = {section};
  }
  static TsGeneralData SkinSection() {
    TsGeneralData data;
    data.SectionName = "SKINNED";
    data.PaintingColor = 0x010203;
    data.PaintingBevel = cbLoweredHard;
    data.PaintingBevelWidth = 7;
    data.GradientPercent = 11;
    data.GradientArray = {TsGradStep{0x0A0A0A, 0x0B0B0B, 100, 0, 0}};
    data.ImagePercent = 12;
    data.FadingEnabled = false;
    data.FadingIntervalIn = 21;
    data.FadingIntervalOut = 22;
    data.FadingIterations = 23;
    data.HotPaintingColor = 0x040506;
    data.HotPaintingBevel = cbRaisedHard;
    data.HotPaintingBevelWidth = 8;
    data.HotGradientPercent = 13;
    data.HotGradientArray = {TsGradStep{0x0C0C0C, 0x0D0D0D, 100, 0, 0}, TsGradStep{}};
    data.HotImagePercent = 14;
    data.SelectionColor = 0x070809;
    return data;
  }
  // Property objects set to values that are neither the section's nor the defaults.
  static void SetOwnValues(TsActiveBGStyle* style) {
    style->GetPainting()->SetColor(0x112233);
    style->GetPainting()->SetBevel(cbLoweredSoft);
    style->GetPainting()->SetBevelWidth(3);
    style->GetBackground()->GetGradient()->SetData("255;65280;100;0;0");
    style->GetBackground()->GetGradient()->SetPercent(30);
    style->GetBackground()->GetImage()->SetPercent(40);
    TsHotPainting* hot = style->GetHotStyle()->GetHotPainting();
    hot->SetColor(clBtnFace);  // a system colour: answered as RGB
    hot->SetBevel(cbRaisedHard);
    hot->SetBevelWidth(9);
    style->GetHotStyle()->GetHotBackground()->GetGradient()->SetPercent(15);
    style->GetHotStyle()->GetHotBackground()->GetImage()->SetPercent(25);
    style->GetBtnEffects()->GetFading()->SetEnabled(false);
    style->GetBtnEffects()->GetFading()->SetIntervalIn(31);
    style->GetBtnEffects()->GetFading()->SetIntervalOut(32);
    style->GetBtnEffects()->GetFading()->SetIterations(33);
  }
  static void Hover(TControl* control, bool above) {
    control->Perform(above ? CM_MOUSEENTER : CM_MOUSELEAVE);
  }

  TForm* form = nullptr;
  TCacheParent* parent = nullptr;
};

// ---- The skin object ------------------------------------------------------------------------

TEST_F(Styles, EachClassAnswersItsCodeWithItselfAndHandled) {
  auto code = [](TControl* control) {
    TMessage message{SKM_GETSKINOBJECT, 0, 0, 0};
    control->WindowProc(message);
    EXPECT_EQ(message.Result, 1);
    return std::pair{static_cast<int>(message.WParam), reinterpret_cast<TObject*>(message.LParam)};
  };
  auto* editor = Host<TsEditorStyle>();
  auto* custom = Host<TsCustomStyle>();
  auto* style = Host<TsStyle>();
  auto* paint = Host<TsPaintStyle>();
  auto* passive = Host<TsPassiveBGStyle>();
  auto* active = Host<TsActiveBGStyle>();
  EXPECT_EQ(code(editor), (std::pair<int, TObject*>{1, editor->style}));
  EXPECT_EQ(code(custom), (std::pair<int, TObject*>{14, custom->style}));
  EXPECT_EQ(code(style), (std::pair<int, TObject*>{15, style->style}));
  EXPECT_EQ(code(paint), (std::pair<int, TObject*>{1, paint->style}));
  EXPECT_EQ(code(passive), (std::pair<int, TObject*>{12, passive->style}));
  EXPECT_EQ(code(active), (std::pair<int, TObject*>{13, active->style}));
  EXPECT_EQ(GetSkinObject(active), active->style);
  EXPECT_EQ(editor->style->GetBorderStyle(), 2);
  EXPECT_EQ(paint->style->GetBorderStyle(), 2);
}

// ---- Where the values come from -------------------------------------------------------------

TEST_F(Styles, WithoutSkinEveryGetterAnswersFromThePropertyObjectsHotOnlyWhileActive) {
  auto* button = Host<TsActiveBGStyle>(COC_TsButton);
  TsActiveBGStyle* style = button->style;
  SetOwnValues(style);
  ASSERT_EQ(style->SkinIndex, -1);

  EXPECT_EQ(style->GetPaintingColor(), 0x112233);
  EXPECT_EQ(style->GetPaintingBevel(), cbLoweredSoft);
  EXPECT_EQ(style->GetPaintingBevelWidth(), 3);
  EXPECT_EQ(style->GetGradientPercent(), 30);
  EXPECT_EQ(style->GetGradientArray().size(), 1u);
  EXPECT_EQ(style->GetImagePercent(), 40);
  EXPECT_EQ(style->GetImageBitmap(), nullptr);  // an empty picture
  EXPECT_FALSE(style->GetFadingEnabled());
  EXPECT_EQ(style->GetFadingIntervalIn(), 31);
  EXPECT_EQ(style->GetFadingIntervalOut(), 32);
  EXPECT_EQ(style->GetFadingIterations(), 33);

  Hover(button, true);
  ASSERT_TRUE(style->ControlIsActive());
  EXPECT_EQ(style->GetPaintingColor(), ColorToRGB(clBtnFace));
  EXPECT_EQ(style->GetPaintingBevel(), cbRaisedHard);
  EXPECT_EQ(style->GetPaintingBevelWidth(), 9);
  EXPECT_EQ(style->GetGradientPercent(), 15);
  EXPECT_TRUE(style->GetGradientArray().empty());
  EXPECT_EQ(style->GetImagePercent(), 25);
  EXPECT_EQ(style->GetFadingIterations(), 33);  // fading has no hot value

  button->SetEnabled(false);  // disabled is never active
  EXPECT_EQ(style->GetPaintingBevelWidth(), 3);

  // A passive style has no hot values and hands back the stored colour as it is.
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  panel->style->GetPainting()->SetColor(clBtnFace);
  Hover(panel, true);
  EXPECT_EQ(panel->style->GetPaintingColor(), clBtnFace);
  button->style->GetPainting()->SetColor(clBtnFace);
  EXPECT_EQ(button->style->GetPaintingColor(), ColorToRGB(clBtnFace));
}

TEST_F(Styles, WithASkinSectionThePropertyObjectsAreIgnoredHotValuesIncluded) {
  LoadSkin(SkinSection());
  auto* button = Host<TsActiveBGStyle>(COC_TsButton);
  TsActiveBGStyle* style = button->style;
  SetOwnValues(style);
  style->SetSkinSection("Skinned");
  ASSERT_EQ(style->SkinIndex, 0);

  EXPECT_EQ(style->GetPaintingColor(), 0x010203);
  EXPECT_EQ(style->GetPaintingBevel(), cbLoweredHard);
  EXPECT_EQ(style->GetPaintingBevelWidth(), 7);
  EXPECT_EQ(style->GetGradientPercent(), 11);
  EXPECT_EQ(style->GetGradientArray()[0].Color1, 0x0A0A0A);
  EXPECT_EQ(style->GetImagePercent(), 12);
  EXPECT_EQ(style->GetImageBitmap(), nullptr);  // the section has no "IMAGEFILE"
  EXPECT_FALSE(style->GetFadingEnabled());
  EXPECT_EQ(style->GetFadingIntervalIn(), 21);
  EXPECT_EQ(style->GetFadingIntervalOut(), 22);
  EXPECT_EQ(style->GetFadingIterations(), 23);

  Hover(button, true);
  EXPECT_EQ(style->GetPaintingColor(), 0x040506);
  EXPECT_EQ(style->GetPaintingBevel(), cbRaisedHard);
  EXPECT_EQ(style->GetPaintingBevelWidth(), 8);
  EXPECT_EQ(style->GetGradientPercent(), 13);
  EXPECT_EQ(style->GetGradientArray().size(), 2u);
  EXPECT_EQ(style->GetImagePercent(), 14);

  // The section's images: "IMAGEFILE" passive, "HOTIMAGEFILE" hot.
  auto* passive_image = New<TBitmap>();
  auto* hot_image = New<TBitmap>();
  SkinMasks = {TsMaskData{passive_image, "SKINNED", "IMAGEFILE", {}, 1, 0},
               TsMaskData{hot_image, "SKINNED", "HOTIMAGEFILE", {}, 1, 0}};
  EXPECT_EQ(style->GetImageBitmap(), hot_image);
  Hover(button, false);
  EXPECT_EQ(style->GetImageBitmap(), passive_image);
  Free(passive_image);
  Free(hot_image);
}

// An image share makes room in the gradient share the style paints with: its own without a
// skin, the section's with one. The hot pair belongs to the hot style and is left alone.
TEST_F(Styles, AnImagePercentLowersTheGradientOnlyPastTheSharePaintedWith) {
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  TsBackground* background = panel->style->GetBackground();
  background->GetImage()->SetPercent(60);
  EXPECT_EQ(background->GetGradient()->GetPercent(), 40);  // was 70

  auto* button = Host<TsActiveBGStyle>(COC_TsButton);
  TsHotBackground* hot = button->style->GetHotStyle()->GetHotBackground();
  hot->GetImage()->SetPercent(60);
  EXPECT_EQ(hot->GetGradient()->GetPercent(), 70);
  EXPECT_EQ(button->style->GetBackground()->GetGradient()->GetPercent(), 70);

  LoadSkin(SkinSection());  // gradient share 11
  panel->style->SetSkinSection("SKINNED");
  background->GetGradient()->SetPercent(70);
  background->GetImage()->SetPercent(80);
  EXPECT_EQ(background->GetGradient()->GetPercent(), 70);
  background->GetImage()->SetPercent(95);
  EXPECT_EQ(background->GetGradient()->GetPercent(), 5);
}

TEST_F(Styles, ThePaintingTransparencyComesFromTheSectionWithASkin) {
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  panel->style->GetPainting()->SetTransparency(30);
  EXPECT_EQ(panel->style->GetTransparency(), 30);
  TsGeneralData section = SkinSection();
  section.PaintingTransparency = 70;
  LoadSkin(section);
  panel->style->SetSkinSection("SKINNED");
  EXPECT_EQ(panel->style->GetTransparency(), 70);
}

// ---- The editors' colour --------------------------------------------------------------------

TEST_F(Styles, APlainEditorStyleIgnoresTheSelectionMode) {
  auto* editor = Host<TsEditorStyle>(COC_TsEdit);
  auto* edit = Host<TsStyle>(COC_TsEdit);
  for (TsEditorStyle* style :
       {static_cast<TsEditorStyle*>(editor->style), static_cast<TsEditorStyle*>(edit->style)}) {
    style->GetPainting()->SetColor(clBtnFace);
    style->GetSelection()->SetColor(0x00FF00);
  }
  Hover(editor, true);
  Hover(edit, true);
  ASSERT_TRUE(editor->style->ControlIsActive());
  EXPECT_EQ(editor->style->GetActualColor(), ColorToRGB(clBtnFace));
  EXPECT_EQ(edit->style->GetActualColor(), 0x00FF00);

  edit->style->GetSelection()->SetMode(TsSelectionModes{msBorder});
  EXPECT_EQ(edit->style->GetActualColor(), ColorToRGB(clBtnFace));
  edit->style->GetSelection()->SetMode(TsSelectionModes{msColor});
  Hover(edit, false);
  EXPECT_EQ(edit->style->GetActualColor(), ColorToRGB(clBtnFace));

  LoadSkin(SkinSection());
  editor->style->SetSkinSection("SKINNED");
  edit->style->SetSkinSection("SKINNED");
  Hover(edit, true);
  EXPECT_EQ(edit->style->GetActualColor(), 0x070809);
  EXPECT_EQ(editor->style->GetActualColor(), 0x010203);
}

// The editors' border, read back from the control's window.
TEST_F(Styles, TheEditorBorderIsTheActualColourWithThePaintingBevelOutside) {
  TDesktopLock desktop;
  auto* edit = Host<TsStyle>(COC_TsEdit, RECT{20, 30, 100, 54});
  edit->style->GetPainting()->SetColor(0x00C000);
  edit->style->GetPainting()->SetColorBorderBottom(0x0000C0);
  edit->style->GetPainting()->SetBevel(ebAsBottomBorder);
  form->Show();
  Pump();
  edit->style->PaintBorder();
  HDC dc = GetWindowDC(edit->GetHandle());
  const TColor outer = GetPixel(dc, 0, 10), inner = GetPixel(dc, 2, 10), right_inner = GetPixel(dc, 77, 10);
  ReleaseDC(edit->GetHandle(), dc);
  EXPECT_EQ(outer, 0x0000C0u);
  EXPECT_EQ(inner, 0x00C000u);
  EXPECT_EQ(right_inner, 0x00C000u);
}

// The section's border mask decides by its image's width, not by its frame's: a strip of no
// states still frames the editor from the cache (in the actual colour, nothing drawn over it),
// while a mask of no width leaves the frame and the painting bevel.
TEST_F(Styles, TheEditorBorderComesFromTheCacheWhenTheMaskImageHasAWidth) {
  TDesktopLock desktop;
  LoadSkin(SkinSection());
  auto* edit = Host<TsStyle>(COC_TsEdit, RECT{20, 30, 100, 54});
  edit->style->GetPainting()->SetColorBorderBottom(0x0000C0);
  edit->style->GetPainting()->SetBevel(ebAsBottomBorder);
  form->Show();
  Pump();
  for (auto [r, count, outer] : {std::tuple{RECT{0, 0, 18, 6}, 0, TColor{0x010203}},
                                 std::tuple{RECT{4, 0, 4, 6}, 3, TColor{0x0000C0}}}) {
    SkinMasks = {TsMaskData{nullptr, "SKINNED", "BORDERSMASK", r, static_cast<int16_t>(count), 0}};
    edit->style->SetSkinSection("OTHER");
    edit->style->SetSkinSection("SKINNED");
    ASSERT_EQ(edit->style->BorderIndex, 0);
    edit->style->PaintBorder();
    HDC dc = GetWindowDC(edit->GetHandle());
    const TColor got = GetPixel(dc, 0, 10), inner = GetPixel(dc, 2, 10);
    ReleaseDC(edit->GetHandle(), dc);
    EXPECT_EQ(got, outer) << "image count " << count;
    EXPECT_EQ(inner, 0x010203u) << "image count " << count;
  }
}

// ---- Backgrounds ----------------------------------------------------------------------------

class StyleBackground : public Styles {
 protected:
  void SetUp() override {
    Styles::SetUp();
    panel = Host<TsPassiveBGStyle>(COC_TsPanel, RECT{20, 30, 52, 46});
    style = panel->style;
    style->GetPainting()->SetColor(0x336699);
    bmp = Bitmap24(32, 16, 0x000000);
  }
  void Paint() { style->PaintBG(bmp.get()); }
  // The same colour everywhere in bmp.
  bool Uniform(TColor color) {
    for (int y = 0; y < bmp->GetHeight(); ++y)
      for (int x = 0; x < bmp->GetWidth(); ++x)
        if (Pixel(bmp.get(), x, y) != color) return false;
    return true;
  }
  void SetImage(TColor color) {
    auto image = Bitmap24(5, 3, color);
    style->GetBackground()->GetImage()->GetImage()->SetGraphic(image.get());
  }

  TStyleHost<TsPassiveBGStyle>* panel = nullptr;
  TsPassiveBGStyle* style = nullptr;
  Owned<TBitmap> bmp;
};

TEST_F(StyleBackground, NoSharesGiveAPlainFillOfThePaintingColour) {
  style->GetBackground()->GetGradient()->SetPercent(0);
  style->GetBackground()->GetImage()->SetPercent(0);
  Paint();
  EXPECT_TRUE(Uniform(0x336699));
  auto empty = Bitmap24(0, 0, 0);
  style->PaintBG(empty.get());  // nothing to paint, nothing read outside
  // Partly transparent without shares: the parent's colour.
  style->GetPainting()->SetTransparency(40);
  Paint();
  EXPECT_TRUE(Uniform(0x203040));
}

TEST_F(StyleBackground, SharesOfAHundredBlendNoColourOverImageAndGradient) {
  SetImage(0x804020);
  style->GetBackground()->GetGradient()->SetData("4210752;4210752;100;0;0");  // $404040
  style->GetBackground()->GetImage()->SetPercent(60);
  style->GetBackground()->GetGradient()->SetPercent(40);
  ASSERT_EQ(style->GetImagePercent() + style->GetGradientPercent(), 100);
  Paint();
  const TColor expected = Mix(0x804020, 0x404040, 60 * 256 / 100);
  EXPECT_TRUE(Near(Pixel(bmp.get(), 0, 0), expected)) << std::hex << Pixel(bmp.get(), 0, 0);
  EXPECT_TRUE(Uniform(Pixel(bmp.get(), 0, 0)));
  // The painting colour plays no part.
  const TColor before = Pixel(bmp.get(), 7, 9);
  style->GetPainting()->SetColor(0xFFFFFF);
  Paint();
  EXPECT_EQ(Pixel(bmp.get(), 7, 9), before);
}

TEST_F(StyleBackground, SharesBelowAHundredMixInThePaintingColour) {
  style->GetBackground()->GetGradient()->SetData("4210752;4210752;100;0;0");
  style->GetBackground()->GetGradient()->SetPercent(50);
  style->GetBackground()->GetImage()->SetPercent(0);
  Paint();
  // Half the gradient, half the colour.
  const TColor expected = RGB((0x40 + 0x99) / 2, (0x40 + 0x66) / 2, (0x40 + 0x33) / 2);
  EXPECT_TRUE(Near(Pixel(bmp.get(), 3, 3), expected)) << std::hex << Pixel(bmp.get(), 3, 3);
  // An image share without a picture fills with the colour first.
  style->GetBackground()->GetGradient()->SetPercent(0);
  style->GetBackground()->GetImage()->SetPercent(50);
  Paint();
  EXPECT_TRUE(Uniform(0x336699));
}

TEST_F(StyleBackground, AFullyTransparentControlShowsExactlyTheParentsCachedPixels) {
  auto cache = Bitmap24(300, 200, 0);
  for (int y = 0; y < 200; ++y) {
    uint8_t* row = cache->GetScanLine(y);
    for (int x = 0; x < 300; ++x)
      row[x * 3] = static_cast<uint8_t>(x * y % 253), row[x * 3 + 1] = static_cast<uint8_t>(y),
              row[x * 3 + 2] = static_cast<uint8_t>(x % 251);
  }
  parent->cache = cache.get();
  parent->offset = POINT{3, 5};
  style->GetPainting()->SetTransparency(100);
  Paint();
  for (int y = 0; y < 16; ++y)
    for (int x = 0; x < 32; ++x)
      ASSERT_EQ(Pixel(bmp.get(), x, y), Pixel(cache.get(), 20 + 3 + x, 30 + 5 + y)) << x << "," << y;

  // Without a parent cache it paints its own background.
  parent->cache = nullptr;
  style->GetBackground()->GetGradient()->SetData("4210752;4210752;100;0;0");
  style->GetBackground()->GetGradient()->SetPercent(100);
  Paint();
  EXPECT_TRUE(Uniform(0x404040));
}

TEST_F(StyleBackground, APartlyTransparentControlMixesItsBackgroundWithTheParents) {
  auto cache = Bitmap24(300, 200, 0x102030);
  parent->cache = cache.get();
  style->GetBackground()->GetGradient()->SetPercent(0);
  style->GetPainting()->SetTransparency(25);
  Paint();
  // Transparency > 0 without shares fills with the parent's colour, then mixes in its cache.
  const TColor expected = Mix(0x203040, 0x102030, 75 * 255 / 100);
  EXPECT_TRUE(Near(Pixel(bmp.get(), 5, 5), expected)) << std::hex << Pixel(bmp.get(), 5, 5);
}

TEST_F(StyleBackground, AnActiveStylePaintsItsHotBackgroundWhileActive) {
  auto* button = Host<TsActiveBGStyle>(COC_TsButton, RECT{20, 30, 52, 46});
  button->style->GetPainting()->SetColor(0x0000FF);
  button->style->GetBackground()->GetGradient()->SetPercent(0);
  button->style->GetHotStyle()->GetHotPainting()->SetColor(0x00FF00);
  button->style->GetHotStyle()->GetHotBackground()->GetGradient()->SetPercent(0);
  button->style->PaintBG(bmp.get());
  EXPECT_EQ(Pixel(bmp.get(), 4, 4), 0x0000FF);
  Hover(button, true);
  button->style->PaintBG(bmp.get());
  EXPECT_EQ(Pixel(bmp.get(), 4, 4), 0x00FF00);
}

// ---- Shadows and bevels ---------------------------------------------------------------------

TEST_F(Styles, TheShadowFallsAtTheOffsetAndNotForAnOverTransparentSection) {
  auto* shape = Host<TsPaintStyle>(COC_TsPanel, RECT{20, 30, 60, 50});
  TsGeneralData section = SkinSection();
  section.ShadowEnabled = true;
  section.ShadowOffset = 4;
  section.ShadowTransparency = 0;
  section.ShadowBlur = 0;
  section.ShadowColor = 0x000000;
  LoadSkin(section);
  shape->style->SetSkinSection("SKINNED");
  shape->style->SetSoftControl(false);
  auto canvas = Bitmap24(120, 100, 0xFFFFFF);
  shape->style->PaintBitmap(canvas->GetCanvas(), 10, 0);
  EXPECT_EQ(Pixel(canvas.get(), 20 + 4 + 10 + 2, 30 + 4 + 2), 0x000000u);
  EXPECT_EQ(Pixel(canvas.get(), 20 + 4 + 10 - 1, 30 + 4 + 2), 0xFFFFFFu);
  EXPECT_EQ(Pixel(canvas.get(), 20 + 2, 30 + 2), 0xFFFFFFu);

  SkinGeneralData[0].PaintingTransparency = 101;
  auto clean = Bitmap24(120, 100, 0xFFFFFF);
  shape->style->PaintBitmap(clean->GetCanvas(), 0, 0);
  EXPECT_EQ(Pixel(clean.get(), 20 + 4 + 2, 30 + 4 + 2), 0xFFFFFFu);
}

TEST_F(Styles, AButtonBevelSinksWhileDownAndFollowsTheHotBevelWhileActive) {
  auto* button = Host<TsActiveBGStyle>(COC_TsButton);
  button->button = true;
  button->style->GetPainting()->SetBevel(cbRaisedHard);
  auto bmp = Bitmap24(20, 20, 0x808080);
  const RECT r{0, 0, 20, 20};
  button->style->PaintBevel(bmp->GetCanvas(), r);
  const TColor raised_top_left = Pixel(bmp.get(), 0, 5);
  const TColor raised_bottom_right = Pixel(bmp.get(), 19, 5);
  EXPECT_NE(raised_top_left, raised_bottom_right);

  button->down = true;
  auto sunk = Bitmap24(20, 20, 0x808080);
  button->style->PaintBevel(sunk->GetCanvas(), r);
  EXPECT_EQ(Pixel(sunk.get(), 0, 5), raised_bottom_right);
  EXPECT_EQ(Pixel(sunk.get(), 19, 5), raised_top_left);

  // cbNone paints nothing for a button that is not being designed.
  button->down = false;
  button->style->GetPainting()->SetBevel(cbNone);
  auto none = Bitmap24(20, 20, 0x808080);
  button->style->PaintBevel(none->GetCanvas(), r);
  EXPECT_EQ(Pixel(none.get(), 0, 5), 0x808080u);

  // Active: the hot bevel at the hot width.
  button->style->GetHotStyle()->GetHotPainting()->SetBevel(cbLoweredHard);
  button->style->GetHotStyle()->GetHotPainting()->SetBevelWidth(3);
  Hover(button, true);
  auto hot = Bitmap24(20, 20, 0x808080);
  button->style->PaintBevel(hot->GetCanvas(), r);
  for (int x : {0, 1, 2}) EXPECT_EQ(Pixel(hot.get(), x, 10), raised_bottom_right) << x;
  EXPECT_EQ(Pixel(hot.get(), 3, 10), 0x808080u);
}

TEST_F(Styles, AButtonsOwnBorderMaskIsTheBitmapTheBorderPainterTakes) {
  // The masked borders' choice goes straight to the border painter: one enumeration for both.
  auto* button = Host<TsActiveBGStyle>(COC_TsButton);
  TsMaskedBorders* borders = button->style->GetBtnEffects()->GetMaskedBorders();
  auto mask = Bitmap24(18, 12, 0x00FF00);
  borders->SetMask(mask.get());
  ASSERT_EQ(borders->GetPredefined(), pdCustom);
  EXPECT_EQ(GetBorderBitmap(borders->GetPredefined(), borders->GetMask()), borders->GetMask());
}

// ---- Messages -------------------------------------------------------------------------------

TEST_F(Styles, EditorMessagesOfTheGroupSetThePaintingAndSelection) {
  auto* edit = Host<TsStyle>(COC_TsEdit);
  TsStyle* style = edit->style;
  style->GetPainting()->SetParentColor(true);
  style->SetGroupIndex(3);
  edit->Perform(SKM_EDIT_COLOR, 2, 0x0000AA);  // another group
  EXPECT_NE(style->GetPainting()->GetColor(), 0x0000AA);

  style->BGChanged = false;
  edit->Perform(SKM_EDIT_COLOR, 3, 0x0000AA);
  EXPECT_EQ(style->GetPainting()->GetColor(), 0x0000AA);
  EXPECT_FALSE(style->GetPainting()->GetParentColor());
  EXPECT_TRUE(style->BGChanged);
  edit->Perform(SKM_EDIT_BORDERTOP, 3, 0x0000BB);
  edit->Perform(SKM_EDIT_BORDERBOTTOM, 3, 0x0000CC);
  edit->Perform(SKM_EDIT_BEVEL, 3, ebRaised);
  edit->Perform(SKM_EDIT_SELCOLOR, 3, 0x0000DD);
  edit->Perform(SKM_EDIT_SELBORDERWIDTH, 3, 5);
  edit->Perform(SKM_EDIT_SELBORDERBEVEL, 3, ebNone);
  EXPECT_EQ(style->GetPainting()->GetColorBorderTop(), 0x0000BB);
  EXPECT_EQ(style->GetPainting()->GetColorBorderBottom(), 0x0000CC);
  EXPECT_EQ(style->GetPainting()->GetBevel(), ebRaised);
  EXPECT_EQ(style->GetSelection()->GetColor(), 0x0000DD);
  EXPECT_EQ(style->GetSelection()->GetBorder()->GetWidth(), 5);
  EXPECT_EQ(style->GetSelection()->GetBorder()->GetBevel(), ebNone);
  // Only the four painting messages mark the cache: not the unused number among them, nor
  // the selection's.
  for (UINT unmarking : {SKM_EDIT_COLOR + 1, SKM_EDIT_SELCOLOR, SKM_EDIT_SELBORDERWIDTH}) {
    style->BGChanged = false;
    edit->Perform(unmarking, 3, unmarking == SKM_EDIT_SELBORDERWIDTH ? 5 : 0x0000DD);
    EXPECT_FALSE(style->BGChanged) << std::hex << unmarking;
  }

  // While a skin is announced the cache is left alone.
  SkinChanging = true;
  style->BGChanged = false;
  edit->Perform(SKM_EDIT_BEVEL, 3, ebLowered);
  EXPECT_FALSE(style->BGChanged);
  SkinChanging = false;

  // 0xA432 copies the look of another editor style.
  auto* other = Host<TsStyle>(COC_TsEdit);
  other->Perform(SKM_EDIT_COPYSHADOW, 0, reinterpret_cast<LPARAM>(style));
  EXPECT_EQ(other->style->GetPainting()->GetColor(), 0x0000AA);
  EXPECT_EQ(other->style->GetPainting()->GetBevel(), ebLowered);
  EXPECT_EQ(other->style->GetSelection()->GetBorder()->GetWidth(), 5);
}

TEST_F(Styles, APaintingWithParentColorFollowsTheParentsColour) {
  auto* edit = Host<TsStyle>(COC_TsEdit);
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  edit->style->GetPainting()->SetParentColor(true);
  ASSERT_TRUE(panel->style->GetPainting()->GetParentColor());
  parent->SetColor(0x445566);
  edit->Perform(CM_PARENTCOLORCHANGED);
  panel->Perform(CM_PARENTCOLORCHANGED);
  EXPECT_EQ(edit->style->GetPainting()->GetColor(), 0x445566);
  EXPECT_TRUE(edit->style->GetPainting()->GetParentColor());
  EXPECT_EQ(panel->style->GetPainting()->GetColor(), 0x445566);
  EXPECT_TRUE(panel->style->GetPainting()->GetParentColor());

  // An own colour stays.
  panel->style->GetPainting()->SetColor(0x010101);
  parent->SetColor(0x778899);
  panel->Perform(CM_SYSCOLORCHANGE);
  EXPECT_EQ(panel->style->GetPainting()->GetColor(), 0x010101);
}

TEST_F(Styles, BackgroundMessagesActForTheirGroupOrTheCommonOne) {
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  TsPassiveBGStyle* style = panel->style;
  style->SetGroupIndex(4);
  panel->Perform(SKM_PAINT_COLOR, 4, 0x00AA00);
  EXPECT_EQ(style->GetPainting()->GetColor(), 0x00AA00);

  // A picture for listening backgrounds only.
  auto picture = Make<TPicture>();
  auto image = Bitmap24(6, 6, 0x123456);
  picture->SetGraphic(image.get());
  TsOfferedObject offer(picture.get());
  panel->Perform(SKM_PAINT_BGIMAGE, 4, offer.LParam());
  EXPECT_EQ(style->GetImageBitmap(), nullptr);
  style->GetBackground()->SetListenMSG(true);
  panel->Perform(SKM_PAINT_BGIMAGE, kAllBackgroundsGroup, offer.LParam());
  ASSERT_NE(style->GetImageBitmap(), nullptr);
  EXPECT_EQ(style->GetImageBitmap()->GetWidth(), 6);
  panel->Perform(SKM_PAINT_BGIMAGE, 4, reinterpret_cast<LPARAM>(style));  // not an image: kept
  EXPECT_NE(style->GetImageBitmap(), nullptr);
  panel->Perform(SKM_PAINT_BGIMAGE, 4, 0);  // none: cleared
  EXPECT_EQ(style->GetImageBitmap(), nullptr);

  // Repainted for a partly transparent section only.
  TsGeneralData section = SkinSection();
  LoadSkin(section);
  style->SetSkinSection("SKINNED");
  style->BGChanged = false;
  panel->Perform(SKM_UPDATETRANSPARENT, kAllBackgroundsGroup, 0);
  EXPECT_FALSE(style->BGChanged);
  SkinGeneralData[0].PaintingTransparency = 30;
  panel->Perform(SKM_UPDATETRANSPARENT, 5, 0);  // not its group
  EXPECT_FALSE(style->BGChanged);
  panel->Perform(SKM_UPDATETRANSPARENT, 4, 0);
  EXPECT_TRUE(style->BGChanged);
}

// Another process can send any number as the object of these messages: only a live style, or
// an object our own sender offers, is taken; junk, a freed style and an unoffered picture are not.
TEST_F(Styles, ObjectMessagesTakeOnlyObjectsOurOwnCodeVouchesFor) {
  auto* edit = Host<TsStyle>(COC_TsEdit);
  auto* panel = Host<TsPassiveBGStyle>(COC_TsPanel);
  panel->style->GetBackground()->SetListenMSG(true);
  edit->style->GetPainting()->SetColor(0x000011);
  panel->style->GetPainting()->SetColor(0x000022);
  const LPARAM junk[] = {0x10, 0x7FFE0000, -1};
  for (LPARAM lparam : junk) {
    SendMessageA(edit->GetHandle(), SKM_EDIT_COPYSHADOW, 0, lparam);
    SendMessageA(panel->GetHandle(), SKM_PAINT_COPYSHADOW, 0, lparam);
    SendMessageA(panel->GetHandle(), SKM_PAINT_BGIMAGE, 0, lparam);
  }
  EXPECT_EQ(edit->style->GetPainting()->GetColor(), 0x000011);
  EXPECT_EQ(panel->style->GetPainting()->GetColor(), 0x000022);

  // A freed style is no longer taken; a live one is, through the window too.
  auto* gone = Host<TsStyle>(COC_TsEdit);
  gone->style->GetPainting()->SetColor(0x000033);
  const auto gone_style = reinterpret_cast<LPARAM>(gone->style);
  auto* other = Host<TsStyle>(COC_TsEdit);
  other->style->GetPainting()->SetColor(0x000044);
  Free(gone);
  SendMessageA(edit->GetHandle(), SKM_EDIT_COPYSHADOW, 0, gone_style);
  EXPECT_EQ(edit->style->GetPainting()->GetColor(), 0x000011);
  SendMessageA(edit->GetHandle(), SKM_EDIT_COPYSHADOW, 0, reinterpret_cast<LPARAM>(other->style));
  EXPECT_EQ(edit->style->GetPainting()->GetColor(), 0x000044);

  // A picture nobody offered is not an image.
  auto picture = Make<TPicture>();
  auto image = Bitmap24(6, 6, 0x123456);
  picture->SetGraphic(image.get());
  SendMessageA(panel->GetHandle(), SKM_PAINT_BGIMAGE, 0, reinterpret_cast<LPARAM>(picture.get()));
  EXPECT_EQ(panel->style->GetImageBitmap(), nullptr);
}

// ---- The caption label ---------------------------------------------------------------------

class TCaptionTestLabel : public TLabel, public TsCaptionLabel {
 public:
  TCaptionTestLabel() : TLabel(nullptr) {}
  TControl* LabelControl() override { return this; }
  void SetFocusControl(TWinControl* control) override { TLabel::SetFocusControl(control); }
  void SetAlignment(TAlignment alignment) override { TLabel::SetAlignment(alignment); }
  void SetTransparent(bool transparent) override { TLabel::SetTransparent(transparent); }
  void SetWordWrap(bool word_wrap) override { TLabel::SetWordWrap(word_wrap); }
  void SetAutoSize(bool auto_size) override { TLabel::SetAutoSize(auto_size); }
  void AdjustBounds() override { TLabel::AdjustBounds(); }
};

class StyleCaptionLabel : public Styles {
 protected:
  void SetUp() override {
    Styles::SetUp();
    SetCaptionLabelFactory([]() -> TsCaptionLabel* { return New<TCaptionTestLabel>(); });
  }
  void TearDown() override {
    SetCaptionLabelFactory(nullptr);
    Styles::TearDown();
  }
  TStyleHost<TsStyle>* Captioned(int coc) {
    auto* host = Host<TsStyle>(coc, RECT{120, 40, 200, 60});
    host->GetHandle();
    host->style->GetCaption()->SetText("Heat");
    host->style->GetCaption()->SetActive(true);
    return host;
  }
};

TEST_F(StyleCaptionLabel, TheLabelFollowsItsControlUnlessTheControlKeepsIt) {
  auto* edit = Captioned(COC_TsEdit);
  TControl* label = edit->style->GetCaption()->GetLabel();
  ASSERT_TRUE(label);
  const int gap = edit->GetLeft() - label->GetLeft();
  edit->SetLeft(150);
  EXPECT_EQ(edit->GetLeft() - label->GetLeft(), gap);
  edit->SetEnabled(false);
  EXPECT_FALSE(label->GetEnabled());
  edit->SetVisible(false);
  EXPECT_FALSE(label->GetVisible());

  // A combo box that answers the caption query keeps its label where it is.
  auto* combo = Captioned(COC_TsComboBox);
  TControl* combo_label = combo->style->GetCaption()->GetLabel();
  ASSERT_TRUE(combo_label);
  const int left = combo_label->GetLeft();
  combo->caption_query_answer = 1;
  combo->SetLeft(160);
  EXPECT_EQ(combo_label->GetLeft(), left);
  combo->caption_query_answer = 0;
  combo->SetLeft(170);
  EXPECT_NE(combo_label->GetLeft(), left);
}

// ---- Key navigation -------------------------------------------------------------------------

class StyleKeys : public Styles {
 protected:
  void SetUp() override {
    Styles::SetUp();
    first = Edit(10);
    second = Edit(40);
    skipped = Edit(70);
    skipped->SetEnabled(false);
    third = Edit(100);
    form->Show();
    first->SetFocus();
    ASSERT_TRUE(PumpUntil([&] { return first->Focused(); }));
  }
  TStyledTestEdit* Edit(int top) {
    auto* edit = New<TStyledTestEdit>(form);
    edit->SetParent(parent);
    edit->SetBounds(10, top, 80, 20);
    return edit;
  }
  // Sends a key-down to the control and answers what is left of the key.
  static WORD Press(TStyledTestEdit* edit, WORD key, TShiftState shift = {}) {
    edit->GetStyle()->KeyDown(key, shift);
    return key;
  }

  TDesktopLock desktop;
  TStyledTestEdit* first = nullptr;
  TStyledTestEdit* second = nullptr;
  TStyledTestEdit* skipped = nullptr;
  TStyledTestEdit* third = nullptr;
};

TEST_F(StyleKeys, EmptyKeyListsMoveNothing) {
  for (WORD key : std::initializer_list<WORD>{VK_RETURN, VK_DOWN, VK_UP, VK_TAB, 'A'}) {
    EXPECT_EQ(Press(first, key), key);
    EXPECT_TRUE(first->Focused());
  }
}

TEST_F(StyleKeys, ListedKeysMoveTheFocusInTabOrderSkippingAndWrapping) {
  for (TStyledTestEdit* edit : {first, second, third}) {
    edit->GetStyle()->SetKeysNextControl("13, 40");
    edit->GetStyle()->SetKeysPrevControl("38");
  }
  EXPECT_EQ(Press(first, VK_DOWN), 0);
  EXPECT_TRUE(second->Focused());
  EXPECT_EQ(Press(second, VK_RETURN), 0);
  EXPECT_TRUE(third->Focused());  // the disabled one is skipped
  EXPECT_EQ(Press(third, VK_RETURN), 0);
  EXPECT_TRUE(first->Focused());  // wrapped
  EXPECT_EQ(Press(first, VK_UP), 0);
  EXPECT_TRUE(third->Focused());

  // "113" is not "13"; a modifier keeps the key for the control.
  third->GetStyle()->SetKeysNextControl("113");
  EXPECT_EQ(Press(third, VK_RETURN), VK_RETURN);
  EXPECT_EQ(Press(third, VK_UP, TShiftState{ssShift}), VK_UP);
  EXPECT_TRUE(third->Focused());
}

// Key 0 is looked up like any other; a listed key is consumed and its control invalidated
// also when no other control can take the focus.
TEST_F(StyleKeys, AListedKeyIsConsumedAndItsControlInvalidatedWhetherOrNotTheFocusMoves) {
  first->GetStyle()->SetKeysNextControl("0");
  EXPECT_EQ(Press(first, 0), 0);
  EXPECT_TRUE(second->Focused());

  first->SetEnabled(false);
  third->SetEnabled(false);
  second->GetStyle()->SetKeysPrevControl("38");
  Pump();
  ValidateRect(second->GetHandle(), nullptr);
  EXPECT_EQ(Press(second, VK_UP), 0);
  EXPECT_TRUE(second->Focused());
  EXPECT_TRUE(GetUpdateRect(second->GetHandle(), nullptr, FALSE));
  EXPECT_EQ(Press(second, VK_DOWN), VK_DOWN);  // not listed: kept for the control
}

TEST_F(StyleKeys, AKeyDownReachesTheStyleThroughTheOwner) {
  first->GetStyle()->SetKeysNextControl("40");
  SendMessageA(first->GetHandle(), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_TRUE(PumpUntil([&] { return second->Focused(); }));
}

// ---- Form definitions -----------------------------------------------------------------------

TEST_F(Styles, StylesStreamFromFormDefinitions) {
  RegisterClasses({TStyledTestEdit::StaticClass(), TStyledTestButton::StaticClass()});
  auto* host = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(host,
                        "object Host: TForm\n"
                        "  object Edit1: TStyledTestEdit\n"
                        "    sStyle.SkinSection = 'TSEDIT'\n"
                        "    sStyle.KeysNextControl = '13'\n"
                        "    sStyle.Painting.Color = $00102030\n"
                        "    sStyle.Selection.Color = clRed\n"
                        "    sStyle.Caption.Text = 'Driver'\n"
                        "  end\n"
                        "  object Button1: TStyledTestButton\n"
                        "    sStyle.SkinSection = 'TSBUTTON'\n"
                        "    sStyle.GroupIndex = 2\n"
                        "    sStyle.Painting.Bevel = cbLoweredHard\n"
                        "    sStyle.Background.Gradient.Percent = 20\n"
                        "    sStyle.HotStyle.HotPainting.Color = clYellow\n"
                        "    sStyle.BtnEffects.Fading.Iterations = 9\n"
                        "  end\n"
                        "end\n",
                        "styles.form");
  auto* edit = DynamicCast<TStyledTestEdit>(host->FindComponent("Edit1"));
  auto* button = DynamicCast<TStyledTestButton>(host->FindComponent("Button1"));
  ASSERT_TRUE(edit && button);
  EXPECT_EQ(edit->style->GetSkinSection(), "TSEDIT");
  EXPECT_EQ(edit->style->GetKeysNextControl(), "13");
  EXPECT_EQ(edit->style->GetPainting()->GetColor(), 0x102030);
  EXPECT_EQ(edit->style->GetSelection()->GetColor(), clRed);
  EXPECT_EQ(edit->style->GetCaption()->GetText(), "Driver");
  EXPECT_EQ(button->style->GetSkinSection(), "TSBUTTON");
  EXPECT_EQ(button->style->GetGroupIndex(), 2);
  EXPECT_EQ(button->style->GetPainting()->GetBevel(), cbLoweredHard);
  EXPECT_EQ(button->style->GetBackground()->GetGradient()->GetPercent(), 20);
  EXPECT_EQ(button->style->GetHotStyle()->GetHotPainting()->GetColor(), clYellow);
  EXPECT_EQ(button->style->GetBtnEffects()->GetFading()->GetIterations(), 9);
  Free(host);
}

}  // namespace
