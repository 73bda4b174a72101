// The skinned buttons on a shown form with a small skin of flat colours: the cache they compose
// (read pixel by pixel), the cross-fade frames, the press and release rules, groups, the size
// adjustment, the drop-down arrow zone and the keys. The mouse is never moved: the tests send
// what the system would.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../toolkit/visual_test_classes.h"
#include "skin/controls/sbuttons.h"
#include "skin/engine/sborders.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyleprops.h"
#include "toolkit/actions.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
#include "toolkit/stdctrls.h"

namespace {

constexpr TColor kNormal = RGB(200, 100, 40);
constexpr TColor kHot = RGB(40, 180, 220);
constexpr TColor kText = RGB(0, 0, 0);
constexpr TColor kGlyph = RGB(250, 0, 0);
constexpr TColor kKey = RGB(0, 255, 0);

TsGeneralData ButtonSection(const char* name) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = kNormal;
  s.HotPaintingColor = kHot;
  s.FontColor.Color = kText;
  s.HotFontColor.Color = kText;
  s.ShowFocus = true;
  s.FadingEnabled = true;
  s.FadingIntervalIn = s.FadingIntervalOut = 5;
  s.FadingIterations = 5;
  return s;
}

// Records the frames a fade shows instead of drawing them.
class TFadeButton : public TsButton {
 public:
  using TsButton::TsButton;
  ~TFadeButton() override {
    // What a tick finds while the button is on its way out.
    if (on_destroy) on_destroy(this);
  }
  std::vector<TColor> frames;  // the pixel at (3, 3) of each frame
  void (*on_destroy)(TFadeButton*) = nullptr;
  static inline bool timer_was_running = false;
  static inline size_t frames_at_destroy = 0;

 protected:
  void ShowFadeFrame(TBitmap* frame) override { frames.push_back(frame->GetPixelColor(3, 3)); }
};

class TClickCounter : public TObject {
 public:
  void Clicked(TObject* sender) {
    ++clicks;
    who.push_back(static_cast<TComponent*>(sender)->GetName());
  }
  int clicks = 0;
  std::vector<std::string> who;
};

// a's share alpha / 256 over b, channel by channel, give or take the rounding.
bool IsMix(TColor seen, TColor a, TColor b, int alpha, double slack = 1.0) {
  auto close_to = [&](int s, int ca, int cb) {
    return std::abs(s - ((ca - cb) * alpha / 256.0 + cb)) <= slack;
  };
  return close_to(GetRValue(seen), GetRValue(a), GetRValue(b)) &&
         close_to(GetGValue(seen), GetGValue(a), GetGValue(b)) &&
         close_to(GetBValue(seen), GetBValue(a), GetBValue(b));
}
// The frames of a fade between the normal and the hot look at these weights of the normal one.
void ExpectFrames(const std::vector<TColor>& frames, const std::vector<int>& alphas) {
  ASSERT_EQ(frames.size(), alphas.size());
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_TRUE(IsMix(frames[i], kNormal, kHot, alphas[i])) << "frame " << i << ": " << std::hex << frames[i];
}
bool FarAway(POINT* screen) {
  *screen = POINT{-5000, -5000};
  return true;
}

class Buttons : public testing::Test {
 protected:
  void SetUp() override {
    SkinGeneralData = {ButtonSection("TsButton"), ButtonSection("TsSpeedButton"), ButtonSection("TsBitBtn")};
    SkinData().SkinLoaded = true;
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(60, 60, 300, 200);
    form->SetColor(RGB(255, 255, 255));
    // Hover comes from the messages the tests send, never from the shared pointer.
    tk_detail::SetCursorSource(&FarAway);
  }
  void TearDown() override {
    Free(form);
    Free(images);
    tk_detail::SetCursorSource(nullptr);
    Pump();
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
  }
  template <class T>
  T* Add(int left = 10, int top = 10) {
    T* button = New<T>(form);
    button->SetParent(form);
    button->SetLeft(left);
    button->SetTop(top);
    button->SetCaption("Go");
    button->SetTabStop(false);  // no button is focused unless a test says so
    return button;
  }
  void Show() {
    form->Show();
    RedrawWindow(form->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  // The button's composed look, fresh.
  TBitmap* Look(TsButtonControl* button) {
    button->GetSStyle()->BGChanged = true;
    button->Repaint();
    return button->GetSStyle()->GetCacheBmp();
  }
  TColor At(TsButtonControl* button, int x, int y) { return Look(button)->GetPixelColor(x, y); }
  void Enter(TControl* c) { c->Perform(CM_MOUSEENTER, 0, 0); }
  void Leave(TControl* c) { c->Perform(CM_MOUSELEAVE, 0, 0); }
  void Press(TWinControl* c, int x, int y) { c->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }
  void Release(TWinControl* c, int x, int y) { c->Perform(WM_LBUTTONUP, 0, MAKELPARAM(x, y)); }
  void ClickAt(TWinControl* c, int x = 5, int y = 5) {
    Press(c, x, y);
    Release(c, x, y);
  }
  // A 16 x 16 image list holding a red square on the key colour.
  TCustomImageList* MakeImages() {
    images = New<TCustomImageList>(nullptr);
    TBitmap* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(16, 16);
    bmp->GetCanvas()->GetBrush()->SetColor(kKey);
    bmp->GetCanvas()->FillRect(RECT{0, 0, 16, 16});
    bmp->GetCanvas()->GetBrush()->SetColor(kGlyph);
    bmp->GetCanvas()->FillRect(RECT{4, 4, 12, 12});
    images->AddMasked(bmp, kKey);
    Free(bmp);
    return images;
  }

  TDesktopLock desktop;
  TForm* form = nullptr;
  TCustomImageList* images = nullptr;
  TClickCounter counter;
};

// ---- Looks -----------------------------------------------------------------------------------

TEST_F(Buttons, UpHotDownDisabledDefaultAndFocusedLooks) {
  auto* button = Add<TsButton>();
  auto* other = Add<TsButton>(100, 10);
  Show();
  EXPECT_EQ(button->GetSStyle()->SkinIndex, 0);
  EXPECT_EQ(button->CurrentState(), 0);
  EXPECT_EQ(At(button, 3, 3), kNormal);
  // The window shows the cache as it is.
  TBitmap* picture = PictureOf(button);
  EXPECT_EQ(PixelAt(picture, button, 3, 3), kNormal);
  Free(picture);

  SkinGeneralData[0].FadingEnabled = false;
  Enter(button);
  EXPECT_EQ(button->CurrentState(), 1);
  EXPECT_EQ(At(button, 3, 3), kHot);
  Leave(button);
  EXPECT_EQ(At(button, 3, 3), kNormal);

  button->SetDown(true);
  EXPECT_EQ(button->CurrentState(), 2);
  EXPECT_EQ(At(button, 3, 3), kHot);  // every state but the first takes the hot values
  button->SetDown(false);

  button->SetEnabled(false);
  const TColor dim = At(button, 3, 3);
  EXPECT_TRUE(IsMix(dim, kNormal, ColorToRGB(button->GetColor()), 128, 2.0)) << std::hex << dim;
  button->SetEnabled(true);

  // The default button is hot while it is the one Enter presses; focus moves that role.
  button->SetDefault(true);
  EXPECT_TRUE(button->GetActive());
  EXPECT_EQ(At(button, 3, 3), kHot);
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_FALSE(button->GetActive());
  EXPECT_EQ(At(button, 3, 3), kNormal);

  // Focused: a dotted frame around the caption, FocusMargin outside its rectangle.
  const RECT caption = other->CaptionRect();
  TBitmap* look = Look(other);
  int dark = 0;
  for (int x = caption.left - 1; x < caption.right + 1; ++x)
    if (look->GetPixelColor(x, caption.top - 1) == 0) ++dark;
  EXPECT_GT(dark, 2);
  SkinGeneralData[0].ShowFocus = false;
  look = Look(other);
  for (int x = caption.left - 1; x < caption.right + 1; ++x)
    EXPECT_EQ(look->GetPixelColor(x, caption.top - 1), kHot) << x;
}

TEST_F(Buttons, ImageListGlyphAndBitmapGlyphLeaveTheirKeyColourOut) {
  auto* button = Add<TsButton>();
  button->SetImages(MakeImages());
  auto* bit = Add<TsBitBtn>(100, 10);
  bit->SetImages(images);
  Show();
  // No glyph: only caption and background.
  EXPECT_EQ(bit->GlyphWidth(), 0);
  button->SetImageIndex(0);
  bit->SetImageIndex(0);
  // An empty Glyph falls back to the image list.
  EXPECT_EQ(bit->GlyphWidth(), 16);
  for (TsButtonControl* b : {static_cast<TsButtonControl*>(button), static_cast<TsButtonControl*>(bit)}) {
    const RECT g = b->GlyphRect();
    EXPECT_EQ(g.right - g.left, 16);
    EXPECT_EQ(g.top, (25 - 16) / 2);
    TBitmap* look = Look(b);
    EXPECT_EQ(look->GetPixelColor(g.left + 8, g.top + 8), kGlyph);
    EXPECT_EQ(look->GetPixelColor(g.left + 1, g.top + 1), kNormal);  // the key colour is left out
  }

  // A bitmap glyph replaces the list; its bottom-left pixel's colour is transparent.
  TBitmap* glyph = New<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(10, 10);
  glyph->GetCanvas()->GetBrush()->SetColor(kKey);
  glyph->GetCanvas()->FillRect(RECT{0, 0, 10, 10});
  glyph->GetCanvas()->GetBrush()->SetColor(RGB(0, 0, 250));
  glyph->GetCanvas()->FillRect(RECT{3, 3, 7, 7});
  bit->SetGlyph(glyph);
  Free(glyph);
  EXPECT_EQ(bit->GlyphWidth(), 10);
  const RECT g = bit->GlyphRect();
  TBitmap* look = Look(bit);
  EXPECT_EQ(look->GetPixelColor(g.left + 4, g.top + 4), RGB(0, 0, 250));
  EXPECT_EQ(look->GetPixelColor(g.left, g.top), kNormal);

  // Blend 100 hides the list's glyph until the button is hot; the hot glyph is as stored.
  SkinGeneralData[0].FadingEnabled = false;
  button->SetBlend(100);
  const RECT bg = button->GlyphRect();
  EXPECT_EQ(At(button, bg.left + 8, bg.top + 8), kNormal);
  Enter(button);
  EXPECT_EQ(At(button, bg.left + 8, bg.top + 8), kGlyph);
  Leave(button);
  button->SetBlend(0);
  // Disabled, blended: half the glyph, half the background (then the disabled look).
  button->SetDisabledGlyphKind(TsDisabledKind{dkBlended});
  button->SetEnabled(false);
  EXPECT_NE(At(button, bg.left + 8, bg.top + 8), At(button, 3, 3));
  const TColor disabled_glyph = At(button, bg.left + 8, bg.top + 8);
  button->SetDisabledGlyphKind(TsDisabledKind{});
  EXPECT_NE(At(button, bg.left + 8, bg.top + 8), disabled_glyph);  // copied unchanged before dimming
}

TEST_F(Buttons, ADisabledGlyphIsGreyedAndHalfMixedOrTakenPlainFromTheDisabledList) {
  auto* button = Add<TsButton>();
  button->SetImages(MakeImages());
  button->SetImageIndex(0);
  button->SetDisabledKind(TsDisabledKind{});  // no cache-wide look: the glyph step alone
  Show();
  const RECT g = button->GlyphRect();
  button->SetEnabled(false);
  button->SetDisabledGlyphKind(TsDisabledKind{dkBlended, dkGrayed});
  const int grey = (250 + 0 + 0) / 3;
  const TColor mixed = At(button, g.left + 8, g.top + 8);
  EXPECT_TRUE(IsMix(mixed, RGB(grey, grey, grey), kNormal, 128, 1.5)) << std::hex << mixed;
  EXPECT_EQ(At(button, g.left + 1, g.top + 1), kNormal);
  button->SetDisabledGlyphKind(TsDisabledKind{});
  EXPECT_EQ(At(button, g.left + 8, g.top + 8), kGlyph);

  // A list for the disabled look is drawn as it is, whatever DisabledGlyphKind says.
  TCustomImageList* disabled = New<TCustomImageList>(nullptr);
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(16, 16);
  bmp->GetCanvas()->GetBrush()->SetColor(kKey);
  bmp->GetCanvas()->FillRect(RECT{0, 0, 16, 16});
  bmp->GetCanvas()->GetBrush()->SetColor(RGB(0, 0, 240));
  bmp->GetCanvas()->FillRect(RECT{4, 4, 12, 12});
  disabled->AddMasked(bmp, kKey);
  Free(bmp);
  button->SetImagesDisabled(disabled);
  button->SetDisabledGlyphKind(TsDisabledKind{dkBlended, dkGrayed});
  EXPECT_EQ(At(button, g.left + 8, g.top + 8), RGB(0, 0, 240));
  // Freeing the list clears the reference.
  Free(disabled);
  EXPECT_EQ(button->GetImagesDisabled(), nullptr);
  EXPECT_TRUE(IsMix(At(button, g.left + 8, g.top + 8), RGB(grey, grey, grey), kNormal, 128, 1.5));
}

// A change inside the button's image list shows at once; a list the button let go of, or one
// freed while the button holds it, no longer reaches it.
TEST_F(Buttons, AChangeInsideTheImageListRepaintsTheButton) {
  auto* button = Add<TsButton>();
  button->SetImages(MakeImages());
  button->SetImageIndex(0);
  Show();
  TsActiveBGStyle* style = button->GetSStyle();
  auto settled = [&] {
    Pump();
    return !GetUpdateRect(button->GetHandle(), nullptr, FALSE) && !style->BGChanged;
  };
  ASSERT_TRUE(PumpUntil(settled));
  images->Delete(0);
  EXPECT_TRUE(style->BGChanged);
  EXPECT_TRUE(GetUpdateRect(button->GetHandle(), nullptr, FALSE));

  TCustomImageList* other = New<TCustomImageList>(nullptr);
  button->SetImages(other);
  ASSERT_TRUE(PumpUntil(settled));
  images->Clear();  // the list the button let go of
  EXPECT_FALSE(style->BGChanged);
  Free(other);
  EXPECT_EQ(button->GetImages(), nullptr);
}

TEST_F(Buttons, CaptionsShowOneAmpersandForTwoAndTakeTheirAcceleratorKey) {
  auto* button = Add<TsButton>();
  Show();
  TCanvas* canvas = button->GetSStyle()->GetCacheBmp()->GetCanvas();
  canvas->SetFont(button->GetFont());
  button->SetCaption("A&&B");
  EXPECT_EQ(button->CaptionSize().cx, canvas->TextWidth("A&B"));
  button->SetCaption("&Go");
  EXPECT_EQ(button->CaptionSize().cx, canvas->TextWidth("Go"));
  button->SetShowCaption(false);
  EXPECT_EQ(button->CaptionSize().cx, 0);
  EXPECT_EQ(button->CaptionSize().cy, 0);
  button->SetShowCaption(true);

  button->OnClick = TNotifyEvent(&counter, &TClickCounter::Clicked);
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'g', 0), 1);
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_FALSE(button->GetDown());
  button->SetCaption("A&&g");
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, 'g', 0), 0);  // "&&g" is no accelerator
}

TEST_F(Buttons, AWrappedCaptionIsCentredWhateverTheLayout) {
  auto* button = Add<TsButton>();
  button->SetWidth(40);
  button->SetHeight(60);
  button->SetCaption("one two three four");
  button->SetAlignment(taLeftJustify);
  Show();
  Look(button);
  EXPECT_EQ(button->GetCaptionFormat(), static_cast<UINT>(DT_CENTER));
  button->SetCaption("x");
  Look(button);
  EXPECT_EQ(button->GetCaptionFormat(), static_cast<UINT>(DT_LEFT));
}

// ---- Fading ------------------------------------------------------------------------------------

TEST_F(Buttons, AFadeInBlendsTheTwoCachesAtFallingWeightsThenRepaintsHot) {
  auto* button = Add<TFadeButton>();
  Show();
  Enter(button);
  TFadeTimer* timer = button->GetFadeTimer();
  ASSERT_EQ(timer->GetDirection(), 1);
  EXPECT_TRUE(timer->GetEnabled());
  EXPECT_EQ(timer->GetInterval(), 5u);
  EXPECT_EQ(button->GetFadeBmp()->GetPixelColor(3, 3), kNormal);
  EXPECT_EQ(button->GetSStyle()->GetCacheBmp()->GetPixelColor(3, 3), kHot);
  for (int i = 0; i < 5; ++i) timer->Tick();
  ExpectFrames(button->frames, {204, 153, 102, 51, 0});
  EXPECT_EQ(timer->GetDirection(), 1);
  timer->Tick();  // the sixth stops the fade and repaints
  EXPECT_EQ(timer->GetDirection(), 0);
  EXPECT_FALSE(timer->GetEnabled());
  EXPECT_EQ(button->frames.size(), 5u);
  EXPECT_EQ(button->GetStep(), 5);
  EXPECT_EQ(button->GetSStyle()->GetCacheBmp()->GetPixelColor(3, 3), kHot);

  // Out from the end of a fade in: N + 1 frames, the last the plain look.
  button->frames.clear();
  Leave(button);
  for (int i = 0; i < 7; ++i) timer->Tick();
  ExpectFrames(button->frames, {0, 51, 102, 153, 204, 255});
  EXPECT_EQ(timer->GetDirection(), 0);
  EXPECT_EQ(button->GetStep(), 0);
}

TEST_F(Buttons, ALeaveDuringAFadeInFadesOutFromWhereItWas) {
  auto* button = Add<TFadeButton>();
  Show();
  Enter(button);
  button->GetFadeTimer()->Tick();
  EXPECT_EQ(button->GetStep(), 2);
  button->frames.clear();
  Leave(button);
  for (int i = 0; i < 4; ++i) button->GetFadeTimer()->Tick();
  ExpectFrames(button->frames, {153, 204, 255});
  EXPECT_EQ(button->GetFadeTimer()->GetDirection(), 0);
  // A press stops a fade at once.
  Enter(button);
  Press(button, 5, 5);
  EXPECT_EQ(button->GetFadeTimer()->GetDirection(), 0);
  Release(button, 5, 5);
}

TEST_F(Buttons, NoStepsOrNoTimeBetweenThemMeansNoFadeButTheHotLookAtOnce) {
  auto* button = Add<TFadeButton>();
  Show();
  SkinGeneralData[0].FadingIntervalIn = 0;
  Enter(button);
  EXPECT_FALSE(button->GetFadeTimer()->GetEnabled());
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(button->GetHandle(), nullptr, FALSE); }));
  EXPECT_EQ(button->GetSStyle()->GetCacheBmp()->GetPixelColor(3, 3), kHot);
  Leave(button);
  SkinGeneralData[0].FadingIntervalIn = 5;
  SkinGeneralData[0].FadingIterations = 0;
  Enter(button);
  EXPECT_FALSE(button->GetFadeTimer()->GetEnabled());
  // The count drops to 0 in the middle of a fade out at step 0: the tick stops it.
  SkinGeneralData[0].FadingIterations = 5;
  Enter(button);
  Leave(button);
  button->GetFadeTimer()->Tick();
  ASSERT_EQ(button->GetStep(), 0);
  SkinGeneralData[0].FadingIterations = 0;
  button->GetFadeTimer()->Tick();
  EXPECT_EQ(button->GetFadeTimer()->GetDirection(), 0);
  EXPECT_EQ(button->frames.size(), 1u);
}

TEST_F(Buttons, AButtonFreedDuringAFadeStopsItsTimerFirst) {
  auto* button = Add<TFadeButton>();
  Show();
  Enter(button);
  ASSERT_TRUE(button->GetFadeTimer()->GetEnabled());
  button->on_destroy = [](TFadeButton* b) {
    TFadeButton::timer_was_running = b->GetFadeTimer()->GetEnabled();
    b->GetFadeTimer()->Tick();
    TFadeButton::frames_at_destroy = b->frames.size();
  };
  Free(button);
  EXPECT_FALSE(TFadeButton::timer_was_running);
  EXPECT_EQ(TFadeButton::frames_at_destroy, 0u);
}

TEST_F(Buttons, SeparatorsAndDividersNeverFadeAndShowNoCaption) {
  auto* sep = Add<TsSpeedButton>();
  sep->SetButtonStyle(tbsSeparator);
  auto* div = Add<TsSpeedButton>(100, 10);
  div->SetButtonStyle(tbsDivider);
  div->SetCaption("WWWW");
  Show();
  for (TsSpeedButton* b : {sep, div}) {
    Enter(b);
    EXPECT_FALSE(b->GetFadeTimer()->GetEnabled());
    Leave(b);
  }
  // Both show the form's colour beneath them (no parent cache), the divider its line only.
  EXPECT_EQ(At(sep, 3, 3), At(sep, 40, 11));
  TBitmap* look = Look(div);
  int inked = 0;
  for (int x = 0; x < div->GetWidth(); ++x)
    if (look->GetPixelColor(x, 11) == kText) ++inked;
  EXPECT_EQ(inked, 0);
}

// Right to left the caption keeps to the other side of its box: a left-aligned caption
// moves to the box's right end.
TEST_F(Buttons, ARightToLeftCaptionIsMirroredInItsBox) {
  auto* button = Add<TsButton>();
  button->SetCaption("Ab");
  button->SetAlignment(taLeftJustify);
  button->SetMargin(12);  // the caption clear of the border
  button->SetShowFocus(false);
  Show();
  auto first_ink = [&] {
    TBitmap* look = Look(button);
    for (int x = 6; x < button->GetWidth() - 6; ++x)
      for (int y = 6; y < button->GetHeight() - 6; ++y)
        if (look->GetPixelColor(x, y) == kText) return x;
    return -1;
  };
  const int left_to_right = first_ink();
  ASSERT_GE(left_to_right, 0);
  button->SetBiDiMode(bdRightToLeft);
  const int right_to_left = first_ink();
  EXPECT_GT(right_to_left, left_to_right);
  EXPECT_LE(right_to_left, left_to_right + 3);  // the box is the caption's width and 3 more
  button->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(first_ink(), left_to_right);
}

// ---- Press and release -------------------------------------------------------------------------

TEST_F(Buttons, GroupedSpeedButtonsReleaseOnlyTheirOwnGroup) {
  auto* a = Add<TsSpeedButton>(0, 0);
  auto* b = Add<TsSpeedButton>(0, 30);
  auto* c = Add<TsSpeedButton>(0, 60);
  auto* d = Add<TsSpeedButton>(100, 0);
  auto* e = Add<TsSpeedButton>(100, 30);
  a->SetGroupIndex(1);
  b->SetGroupIndex(1);
  c->SetGroupIndex(2);
  d->SetButtonStyle(tbsCheck);
  e->SetButtonStyle(tbsCheck);
  auto* plain = Add<TsButton>(200, 0);  // no speed button: never released by a group
  plain->SetGroupIndex(1);
  Show();
  a->SetDown(true);
  c->SetDown(true);
  d->SetDown(true);
  plain->SetDown(true);
  Enter(a);  // a fade under way is cut short
  Press(b, 5, 5);
  EXPECT_FALSE(a->GetDown());
  EXPECT_FALSE(a->GetFadeTimer()->GetEnabled());
  EXPECT_TRUE(b->GetDown());
  EXPECT_TRUE(c->GetDown());
  EXPECT_TRUE(d->GetDown());
  EXPECT_TRUE(plain->GetDown());
  Release(b, 5, 5);
  EXPECT_TRUE(b->GetDown());
  // Group 0 is a group too: a check button pressed there releases the other down speed
  // buttons of group 0.
  ClickAt(e);
  EXPECT_TRUE(e->GetDown());
  EXPECT_FALSE(d->GetDown());
  EXPECT_TRUE(b->GetDown());
  EXPECT_TRUE(plain->GetDown());
}

// A drop-down button pressed in its arrow zone without a menu does nothing; released, it
// clicks while it still shows down. A check button shows its new state before its click.
TEST_F(Buttons, ReleasesClickInTheOrderOfTheirStyle) {
  auto* drop = Add<TsSpeedButton>(0, 0);
  drop->SetButtonStyle(tbsDropDown);
  auto* check = Add<TsSpeedButton>(100, 0);
  check->SetButtonStyle(tbsCheck);
  struct Probe : TObject {
    bool down = false;
    bool stale = true;
    void Clicked(TObject* sender) {
      auto* b = static_cast<TsSpeedButton*>(sender);
      down = b->GetDown();
      stale = b->GetSStyle()->BGChanged;
    }
  } probe;
  drop->OnClick = TNotifyEvent(&probe, &Probe::Clicked);
  check->OnClick = TNotifyEvent(&probe, &Probe::Clicked);
  Show();
  Press(drop, drop->GetWidth() - 3, 5);
  EXPECT_FALSE(drop->GetDown());
  Release(drop, drop->GetWidth() - 3, 5);
  Press(drop, 5, 5);
  EXPECT_TRUE(drop->GetDown());
  Release(drop, 5, 5);
  EXPECT_TRUE(probe.down);
  EXPECT_FALSE(drop->GetDown());
  ClickAt(check);
  EXPECT_TRUE(probe.down);
  EXPECT_FALSE(probe.stale);
}

TEST_F(Buttons, ADownCheckButtonComesUpOnlyWithAllowAllUpAndClicksOnceEitherWay) {
  auto* check = Add<TsSpeedButton>();
  check->SetButtonStyle(tbsCheck);
  check->OnClick = TNotifyEvent(&counter, &TClickCounter::Clicked);
  int changes = 0;
  struct Changes : TObject {
    int* n;
    void Changed(TObject*) { ++*n; }
  } watcher;
  watcher.n = &changes;
  check->OnStateChange = TNotifyEvent(&watcher, &Changes::Changed);
  Show();
  ClickAt(check);
  EXPECT_TRUE(check->GetDown());
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(changes, 1);
  ClickAt(check);
  EXPECT_TRUE(check->GetDown());
  EXPECT_EQ(counter.clicks, 2);
  check->SetAllowAllUp(true);
  ClickAt(check);
  EXPECT_FALSE(check->GetDown());
  EXPECT_EQ(counter.clicks, 3);
  EXPECT_EQ(changes, 2);
}

TEST_F(Buttons, AReleaseOutsideNeverClicksButAPlainButtonComesUp) {
  auto* button = Add<TsButton>();
  auto* grouped = Add<TsSpeedButton>(100, 10);
  grouped->SetGroupIndex(3);
  button->OnClick = TNotifyEvent(&counter, &TClickCounter::Clicked);
  grouped->OnClick = TNotifyEvent(&counter, &TClickCounter::Clicked);
  Show();
  Press(button, 5, 5);
  EXPECT_TRUE(button->GetDown());
  EXPECT_TRUE(button->Focused());
  Release(button, 200, 5);
  EXPECT_FALSE(button->GetDown());
  Press(grouped, 5, 5);
  Release(grouped, -3, 5);
  EXPECT_TRUE(grouped->GetDown());
  EXPECT_EQ(counter.clicks, 0);
  ClickAt(button);
  EXPECT_EQ(counter.clicks, 1);
}

// ---- Size and arrow ------------------------------------------------------------------------------

// The caption counts with the width TextWidth gives it, its accelerator mark included.
TEST_F(Buttons, AutoSizeAddsGlyphBevelSpacingAndTheCaptionsTextWidthAtTheNextAdjustment) {
  auto* button = Add<TsSpeedButton>();
  button->SetImages(MakeImages());
  button->SetImageIndex(0);
  button->SetCaption("&Caption");
  Show();
  button->SetAutoSize(true);
  EXPECT_EQ(button->GetWidth(), 84);  // setting it alone changes nothing
  button->AdjustSize();
  TCanvas* canvas = button->GetCanvas();
  canvas->SetFont(button->GetFont());
  const int t = canvas->TextWidth("&Caption"), th = canvas->TextHeight("W");
  ASSERT_GT(t, canvas->TextWidth("Caption"));
  EXPECT_EQ(button->GetWidth(), 16 + 4 + 3 + t);  // 63 for a caption 40 wide
  EXPECT_EQ(button->GetHeight(), std::max(20, th));
  button->SetButtonStyle(tbsDropDown);
  button->AdjustSize();
  EXPECT_EQ(button->GetWidth(), 16 + 4 + 3 + t + 20);
}

TEST_F(Buttons, TheDropDownArrowSitsInItsZoneAndMovesWhileTheMenuShows) {
  auto* button = Add<TsSpeedButton>(0, 0);
  button->SetButtonStyle(tbsDropDown);
  button->SetCaption("");
  button->GetFont()->SetColor(RGB(0, 0, 160));
  EXPECT_EQ(button->ArrowWidth(), 20);
  EXPECT_EQ(button->ArrowZone().left, 64);
  Show();
  TBitmap* look = Look(button);
  const TColor arrow = RGB(0, 0, 160);
  for (POINT p : {POINT{71, 10}, POINT{77, 10}, POINT{74, 13}})
    EXPECT_EQ(look->GetPixelColor(p.x, p.y), arrow);
  EXPECT_NE(look->GetPixelColor(74, 14), arrow);

  TPopupMenu* menu = New<TPopupMenu>(form);
  TMenuItem* item = New<TMenuItem>(menu);
  item->SetCaption("One");
  menu->GetItems()->Add(item);
  button->SetDropdownMenu(menu);
  std::vector<TColor> while_open;
  struct Probe : TObject {
    TsSpeedButton* button;
    std::vector<TColor>* seen;
    void Popup(TObject*) {
      TBitmap* cache = button->GetSStyle()->GetCacheBmp();
      for (POINT p : {POINT{73, 12}, POINT{79, 12}, POINT{76, 15}, POINT{71, 10}})
        seen->push_back(cache->GetPixelColor(p.x, p.y));
    }
  } probe;
  probe.button = button;
  probe.seen = &while_open;
  menu->OnPopup = TNotifyEvent(&probe, &Probe::Popup);
  {
    TMenuLoopWatch watch;
    Press(button, 75, 10);
    EXPECT_EQ(watch.Entered(), 1);
  }
  ASSERT_EQ(while_open.size(), 4u);
  EXPECT_EQ(while_open[0], arrow);
  EXPECT_EQ(while_open[1], arrow);
  EXPECT_EQ(while_open[2], arrow);
  EXPECT_NE(while_open[3], arrow);
  EXPECT_FALSE(button->GetMenuOpen());
  EXPECT_FALSE(button->GetDown());
  EXPECT_EQ(Look(button)->GetPixelColor(71, 10), arrow);

  // Disabled: white one pixel right and down, grey on top.
  button->SetDisabledKind(TsDisabledKind{});
  button->SetEnabled(false);
  look = Look(button);
  EXPECT_EQ(look->GetPixelColor(71, 10), RGB(128, 128, 128));
  EXPECT_EQ(look->GetPixelColor(78, 11), RGB(255, 255, 255));
}

TEST_F(Buttons, WithoutSkinMaskedBordersFrameTheButtonCutTheKeyCornerAndLeaveTheArrowZoneBare) {
  SkinData().SkinLoaded = false;
  constexpr TColor kFrame = RGB(10, 120, 10), kCut = RGB(255, 0, 255);
  // Three states of 3 x 3 cells of 3 x 3 pixels over their (opaque) mask.
  TBitmap* mask = New<TBitmap>();
  mask->SetPixelFormat(pf24bit);
  mask->SetSize(27, 18);
  mask->GetCanvas()->GetBrush()->SetColor(kFrame);
  mask->GetCanvas()->FillRect(RECT{0, 0, 27, 9});
  mask->GetCanvas()->GetBrush()->SetColor(0);
  mask->GetCanvas()->FillRect(RECT{0, 9, 27, 18});
  mask->GetCanvas()->SetPixels(0, 0, kCut);
  auto* button = Add<TsSpeedButton>(0, 0);
  button->SetButtonStyle(tbsDropDown);
  button->SetCaption("");
  button->GetSStyle()->GetPainting()->SetColor(RGB(200, 200, 200));
  Show();
  EXPECT_EQ(button->GetSStyle()->SkinIndex, -1);

  TsMaskedBorders* borders = button->GetSStyle()->GetBtnEffects()->GetMaskedBorders();
  borders->SetMask(mask);
  borders->SetPredefined(pdCustom);
  borders->SetTransparentColor(kCut);
  borders->SetEnabled(true);
  Free(mask);
  button->SetHeight(23);  // a new size: the region is built again
  TBitmap* look = Look(button);
  EXPECT_EQ(look->GetPixelColor(1, 1), kFrame);
  EXPECT_EQ(look->GetPixelColor(83, 21), kFrame);
  for (int y = 3; y < 20; ++y) EXPECT_EQ(look->GetPixelColor(64, y), RGB(200, 200, 200)) << y;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  ASSERT_NE(GetWindowRgn(button->GetHandle(), region), ERROR);
  EXPECT_FALSE(PtInRegion(region, 0, 0));
  EXPECT_TRUE(PtInRegion(region, 1, 0));
  EXPECT_TRUE(PtInRegion(region, 40, 11));
  DeleteObject(region);
}

TEST_F(Buttons, ADisabledButtonWithoutSkinWritesItsCaptionInTheFontColourThenDimsIt) {
  SkinData().SkinLoaded = false;
  auto* button = Add<TsButton>();
  button->SetCaption("WWWW");
  button->GetFont()->SetColor(RGB(0, 0, 0));
  button->SetDisabledKind(TsDisabledKind{});
  Show();
  auto darkest = [&](TBitmap* look) {
    int best = 255 * 3;
    for (int y = 0; y < look->GetHeight(); ++y)
      for (int x = 4; x < look->GetWidth() - 4; ++x) {
        const TColor c = look->GetPixelColor(x, y);
        best = std::min(best, GetRValue(c) + GetGValue(c) + GetBValue(c));
      }
    return best;
  };
  button->SetEnabled(false);
  EXPECT_EQ(darkest(Look(button)), 0);  // as enabled: no embossed grey text
  button->SetDisabledKind(TsDisabledKind{dkBlended});
  EXPECT_GT(darkest(Look(button)), 60);  // dimmed with the rest
}

// ---- Keys ---------------------------------------------------------------------------------------

TEST_F(Buttons, EnterPressesTheDefaultOrTheFocusedButtonAndEscapeTheCancelOne) {
  auto* edit = New<TEdit>(form);
  edit->SetParent(form);
  edit->SetBounds(10, 100, 100, 21);
  auto* ok = Add<TsButton>(10, 10);
  auto* cancel = Add<TsButton>(100, 10);
  auto* other = Add<TsButton>(190, 10);
  ok->SetName("ok");
  cancel->SetName("cancel");
  other->SetName("other");
  for (TsButton* b : {ok, cancel, other}) b->OnClick = TNotifyEvent(&counter, &TClickCounter::Clicked);
  ok->SetDefault(true);
  cancel->SetCancel(true);
  Show();
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return edit->Focused(); }));
  // A second Enter already waiting is not taken inside the first press.
  PostMessageA(edit->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_RETURN, 0), 1);
  EXPECT_EQ(counter.who, (std::vector<std::string>{"ok"}));
  EXPECT_FALSE(ok->GetDown());
  Pump();
  counter.who.clear();
  // Alt held: nothing.
  EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 1 << 29), 0);
  EXPECT_EQ(form->Perform(CM_DIALOGKEY, VK_ESCAPE, 0), 1);
  EXPECT_EQ(counter.who, (std::vector<std::string>{"cancel"}));
  other->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return other->Focused(); }));
  EXPECT_FALSE(ok->GetActive());
  form->Perform(CM_DIALOGKEY, VK_RETURN, 0);
  EXPECT_EQ(counter.who.back(), "other");
  // Space goes down on the character, clicks on the key's release.
  counter.who.clear();
  EXPECT_EQ(form->Perform(CM_DIALOGCHAR, VK_SPACE, 0), 1);
  EXPECT_TRUE(other->GetDown());
  EXPECT_TRUE(counter.who.empty());
  other->Perform(WM_KEYUP, VK_SPACE, 0);
  EXPECT_FALSE(other->GetDown());
  EXPECT_EQ(counter.who, (std::vector<std::string>{"other"}));
  // A disabled button never clicks.
  cancel->SetEnabled(false);
  cancel->Click();
  EXPECT_EQ(counter.who.size(), 1u);
}

// ---- Actions ---------------------------------------------------------------------------------

TEST_F(Buttons, AnActionGivesItsImagesCaptionAndHintAndItsCheckedStateFollowsDown) {
  auto* list = New<TActionList>(form);
  list->SetImages(MakeImages());
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->SetCaption("Run");
  action->SetHint("Runs the heat");
  action->SetImageIndex(0);
  auto* button = Add<TsSpeedButton>();
  button->SetAction(action);
  EXPECT_EQ(button->GetImages(), images);
  EXPECT_EQ(button->GetImageIndex(), 0);
  EXPECT_EQ(button->GetText(), "Run");
  EXPECT_EQ(button->GetHint(), "Runs the heat");
  EXPECT_TRUE(dynamic_cast<TsButtonActionLink*>(button->GetActionLink()));

  action->SetChecked(true);
  EXPECT_TRUE(button->GetDown());
  action->SetChecked(false);
  EXPECT_FALSE(button->GetDown());
  // Pressed on its own, the button follows again once the two agree.
  button->SetDown(true);
  action->SetChecked(true);
  action->SetChecked(false);
  EXPECT_FALSE(button->GetDown());

  action->SetImageIndex(-1);
  EXPECT_EQ(button->GetImageIndex(), -1);
  action->SetCaption("Run again");
  EXPECT_EQ(button->GetText(), "Run again");
  button->SetCaption("Mine");
  action->SetCaption("Third");
  EXPECT_EQ(button->GetText(), "Mine");

  // A button's own images stay; a changed action's caption and hint come with the next action.
  TCustomImageList* own = New<TCustomImageList>(form);
  auto* other = Add<TsSpeedButton>(60, 10);
  other->SetImages(own);
  other->SetAction(action);
  EXPECT_EQ(other->GetImages(), own);
  EXPECT_EQ(other->GetText(), "Third");

  Free(action);
  EXPECT_EQ(button->GetAction(), nullptr);
  EXPECT_EQ(other->GetAction(), nullptr);
}

}  // namespace
