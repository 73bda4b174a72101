// The segment indicator and the LED lamp as controls: their drawings read back pixel by pixel,
// their window regions, sizes and limits, on a form of their own (never shown).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <tuple>

#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "widgets/galoled.h"
#include "widgets/indicator.h"
#include "widgets/paintutil.h"
#include "widgets/widgets.h"

namespace {

class Widgets : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 700, 400);
  }
  void TearDown() override {
    Free(form);
    Pump();
  }

  // An indicator as the main window streams the lane displays.
  TIAeverLiquidIndicator* LaneDisplay() {
    auto* d = New<TIAeverLiquidIndicator>(form);
    d->SetParent(form);
    d->SetBounds(10, 10, 438, 97);
    d->SetSignNumber(7);
    d->SetIndicatorKind(ik9segment);
    d->SetIndicatorStyle(isThick);
    d->SetInnerBevel(bkNone);
    d->SetOuterBevel(bkNone);
    d->SetBackColor(clBlack);
    d->SetNumberForeColor(clYellow);
    d->SetNumberForeColor1(0x0080FF);
    d->SetNumberBackColor(0x001818);
    return d;
  }

  // A lamp as the main window streams the lane lamps.
  TIAgaloLED* LaneLamp() {
    auto* l = New<TIAgaloLED>(form);
    l->SetParent(form);
    l->SetBounds(460, 10, 69, 97);
    l->SetLedWidth(65);
    l->SetLedHeight(93);
    l->SetLedPlasticDepth(10);
    l->SetGapColor(clLime);
    l->SetBorderColor(clNavy);
    l->SetLedOn(true);
    return l;
  }

  TForm* form = nullptr;
};

// The pixel inside a convex polygon at the mean of its points.
POINT Centre(const TPolygonSet& set, int index) {
  int first = 0;
  for (int i = 0; i < index; ++i) first += set.counts[i];
  double x = 0, y = 0;
  for (int i = 0; i < set.counts[index]; ++i) x += set.points[first + i].x, y += set.points[first + i].y;
  return {static_cast<int>(std::lround(x / set.counts[index])),
          static_cast<int>(std::lround(y / set.counts[index]))};
}

int CountColor(TBitmap* picture, TColor color) {
  int found = 0;
  for (int y = 0; y < picture->GetHeight(); ++y)
    for (int x = 0; x < picture->GetWidth(); ++x) found += picture->GetPixelColor(x, y) == color;
  return found;
}

bool InWindowRegion(TWinControl* control, int x, int y) {
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  const bool has = GetWindowRgn(control->GetHandle(), region) != ERROR;
  const bool inside = !has || PtInRegion(region, x, y);
  DeleteObject(region);
  return inside;
}

// A container that keeps every area it is asked to repaint.
class TRepaintLog : public TCustomControl {
 public:
  explicit TRepaintLog(TComponent* owner) : TCustomControl(owner), asked(CreateRectRgn(0, 0, 0, 0)) {}
  ~TRepaintLog() override { DeleteObject(asked); }
  bool Asked(int x, int y) const { return PtInRegion(asked, x, y); }
  void Forget() { SetRectRgn(asked, 0, 0, 0, 0); }

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_PAINT && HandleAllocated()) {
      HRGN update = CreateRectRgn(0, 0, 0, 0);
      if (GetUpdateRgn(GetHandle(), update, FALSE) > NULLREGION) CombineRgn(asked, asked, update, RGN_OR);
      DeleteObject(update);
    }
    TCustomControl::WndProc(message);
  }

 private:
  HRGN asked;
};

}  // namespace

// ---- Indicator ------------------------------------------------------------------------------

TEST_F(Widgets, LaneTimesShowLitSegmentsInTheForeColourAndTheRestDimmed) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  struct TCase {
    const char* text;
    int lit;
  };
  // "0" lights 6, "1" 2, "2" 5, "3" 5, "4" 4, "5" 5, "6" 6; the colon 2, the point 1.
  for (TCase c : {TCase{"00:00.00", 6 * 6 + 2 + 1}, TCase{"12:34.56", 2 + 5 + 2 + 5 + 4 + 1 + 5 + 6}}) {
    d->SetIndicatorstring(c.text);
    const TPolygonSet &lit = d->GetLitShape(), &unlit = d->GetUnlitShape();
    ASSERT_EQ(lit.Count(), c.lit) << c.text;
    ASSERT_EQ(lit.Count() + unlit.Count(), 7 * 10);
    TBitmap* picture = d->GetPicture();
    ASSERT_EQ(picture->GetWidth(), 438);
    ASSERT_EQ(picture->GetHeight(), 97);
    for (int i = 0; i < lit.Count(); ++i) {
      POINT p = Centre(lit, i);
      EXPECT_EQ(picture->GetPixelColor(p.x, p.y), clYellow) << c.text << " lit " << i;
    }
    for (int i = 0; i < unlit.Count(); ++i) {
      POINT p = Centre(unlit, i);
      EXPECT_EQ(picture->GetPixelColor(p.x, p.y), 0x001818) << c.text << " unlit " << i;
    }
    // Between the cells and around them the background is black, and nothing but the three
    // colours is drawn.
    for (POINT p : {POINT{0, 0}, POINT{437, 96}, POINT{0, 48}, POINT{437, 48}, POINT{62, 48}})
      EXPECT_EQ(picture->GetPixelColor(p.x, p.y), clBlack) << p.x << "," << p.y;
    const int yellow = CountColor(picture, clYellow), dim = CountColor(picture, 0x001818),
              black = CountColor(picture, clBlack);
    EXPECT_EQ(yellow + dim + black, 438 * 97);
    EXPECT_GT(yellow, 0);
  }
  // Painting is the copy of that drawing.
  TBitmap* shown = PictureOf(d);
  for (int y = 0; y < 97; y += 3)
    for (int x = 0; x < 438; x += 3)
      ASSERT_EQ(PixelAt(shown, d, x, y), d->GetPicture()->GetPixelColor(x, y)) << x << "," << y;
  Free(shown);
}

TEST_F(Widgets, IndicatorLaysTextIntoCellsAndRedrawsOnlyOnChange) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetIndicatorstring("");
  EXPECT_EQ(d->GetLitShape().Count(), 0);  // every segment of every cell unlit
  EXPECT_EQ(d->GetUnlitShape().Count(), 70);
  d->SetSignNumber(3);
  d->SetIndicatorKind(ik7segment);
  d->SetIndicatorstring("5.5");
  EXPECT_EQ(d->GetLitShape().Count(), 5 + 1 + 5);
  d->SetIndicatorstring("5..5");
  EXPECT_EQ(d->GetLitShape().Count(), 5 + 1 + 1 + 5);
  d->SetIndicatorstring("12:");  // the colon is blank in a 7-segment cell
  EXPECT_EQ(d->GetLitShape().Count(), 2 + 5);
  d->SetSignNumber(0);  // ignored
  EXPECT_EQ(d->GetSignNumber(), 3);
  d->SetIndicatorKind(ik5x7matrix);
  EXPECT_EQ(d->GetLitShape().Count() + d->GetUnlitShape().Count(), 3 * 35);

  // The same text again does not even invalidate the window (shown: hidden windows keep no
  // update region).
  TDesktopLock desktop;
  form->SetBounds(1000, 760, 460, 120);
  form->Show();
  HWND window = d->GetHandle();
  Pump();
  ValidateRect(window, nullptr);
  d->SetIndicatorstring("12:");
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
}

// Shrunk to nothing (a layout can do that), the indicator still takes every new text and
// shows the last one when it has room again.
TEST_F(Widgets, AnIndicatorOfNoSizeTakesNewTextsAndShowsTheLastWhenItGrows) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetIndicatorstring("00:00.00");
  for (SIZE size : {SIZE{0, 0}, SIZE{438, 0}, SIZE{0, 97}}) {
    d->SetBounds(10, 10, size.cx, size.cy);
    EXPECT_NO_THROW(d->SetIndicatorstring("00:00.01")) << size.cx << "x" << size.cy;
    EXPECT_NO_THROW(d->SetIndicatorstring("00:00.02")) << size.cx << "x" << size.cy;
    d->SetBounds(10, 10, 438, 97);
    TIAeverLiquidIndicator* fresh = LaneDisplay();
    fresh->SetIndicatorstring("00:00.02");
    EXPECT_EQ(d->GetLitShape().points, fresh->GetLitShape().points);
    EXPECT_EQ(d->GetPicture()->GetPixelColor(400, 50), fresh->GetPicture()->GetPixelColor(400, 50));
    d->SetIndicatorstring("00:00.00");
  }
}

TEST_F(Widgets, NewTextsRecolourOnlyTheSegmentsTheyChange) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  TDesktopLock desktop;
  form->SetBounds(20, 300, 470, 160);  // on the screen: its pixels are read back
  form->Show();
  HWND window = d->GetHandle();
  for (const char* text : {"00:00.00", "00:00.01", "", "12:34.56", "1.2.3", "59:59.99", "00:01.10"})
    d->SetIndicatorstring(text);
  EXPECT_TRUE(PumpUntil([&] { return !GetUpdateRect(window, nullptr, FALSE); }));
  d->SetIndicatorstring("00:01.11");
  // Only the last cell changes, and it is on the screen at once, without a paint cycle.
  EXPECT_FALSE(GetUpdateRect(window, nullptr, FALSE));
  TBitmap* drawn = d->GetPicture();
  HDC dc = GetDC(window);
  int differing = 0;
  for (int y = 0; y < 97; y += 2)
    for (int x = 0; x < 438; x += 2)
      differing += GetPixel(dc, x, y) != static_cast<COLORREF>(drawn->GetPixelColor(x, y));
  ReleaseDC(window, dc);
  EXPECT_EQ(differing, 0);
  // The result is the drawing of the same text from scratch.
  TIAeverLiquidIndicator* fresh = LaneDisplay();
  fresh->SetIndicatorstring("00:01.11");
  TBitmap *a = d->GetPicture(), *b = fresh->GetPicture();
  for (int y = 0; y < 97; ++y)
    for (int x = 0; x < 438; ++x) ASSERT_EQ(a->GetPixelColor(x, y), b->GetPixelColor(x, y)) << x << "," << y;
  EXPECT_EQ(d->GetLitShape().points, fresh->GetLitShape().points);
}

TEST_F(Widgets, ColourSchemesOverwriteTheColoursEveryTimeTheyAreSet) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetColorScheme(csPlasma);
  EXPECT_EQ(d->GetBackColor(), 0x000080);
  EXPECT_EQ(d->GetBevelColor(), 0x000080);
  EXPECT_EQ(d->GetNumberBackColor(), 0x400080);
  EXPECT_EQ(d->GetNumberForeColor(), 0x48BFFF);
  EXPECT_EQ(d->GetNumberForeColor1(), 0x80FFFF);
  d->SetNumberForeColor(clWhite);
  d->SetColorScheme(csPlasma);  // the same scheme again still recolours
  EXPECT_EQ(d->GetNumberForeColor(), 0x48BFFF);
  // The deferred render shows the scheme.
  PumpUntil([&] { return d->GetPicture()->GetPixelColor(0, 0) == 0x000080; }, 2000);
  EXPECT_EQ(d->GetPicture()->GetPixelColor(0, 0), 0x000080);
}

// An indicator as the form reader sees it: marked as being read, then told reading ended.
class TReadIndicator : public TIAeverLiquidIndicator {
 public:
  using TIAeverLiquidIndicator::TIAeverLiquidIndicator;
  void BeginReading() { IncludeState(csLoading); }
  void EndReading() { Loaded(); }
};

TEST_F(Widgets, IndicatorBeingReadRendersAtOnceExceptForItsSizesAndScheme) {
  auto* d = New<TReadIndicator>(form);
  d->SetParent(form);
  d->BeginReading();
  // Inside the gap between the default bevels and the cells: the background.
  d->SetBackColor(clRed);
  EXPECT_EQ(d->GetPicture()->GetPixelColor(80, 4), clRed);
  d->SetIndicatorWidth(300);
  d->SetColorScheme(csBlack);
  EXPECT_EQ(d->GetWidth(), 172);
  EXPECT_EQ(d->GetBackColor(), clRed);
  d->EndReading();
  EXPECT_EQ(d->GetPicture()->GetPixelColor(80, 4), clRed);
}

TEST_F(Widgets, AStreamedColourSchemeLeavesTheColoursAsStreamed) {
  RegisterWidgetClasses();
  auto* defined = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(defined,
                        "object Defined: TForm\n"
                        "  object Display: TIAeverLiquidIndicator\n"
                        "    ColorScheme = csPlasma\n"
                        "    NumberForeColor = clWhite\n"
                        "  end\n"
                        "end\n",
                        "display.form");
  auto* d = DynamicCast<TIAeverLiquidIndicator>(defined->FindComponent("Display"));
  ASSERT_TRUE(d);
  auto* fresh = New<TIAeverLiquidIndicator>(form);
  EXPECT_EQ(d->GetColorScheme(), csPlasma);
  EXPECT_EQ(d->GetNumberForeColor(), clWhite);
  EXPECT_EQ(d->GetBackColor(), fresh->GetBackColor());
  EXPECT_EQ(d->GetBevelColor(), fresh->GetBevelColor());
  EXPECT_EQ(d->GetNumberBackColor(), fresh->GetNumberBackColor());
  EXPECT_EQ(d->GetNumberForeColor1(), fresh->GetNumberForeColor1());
  Free(defined);
}

TEST_F(Widgets, BevelsAreLitFromTheTopLeftAndTransparentModesCutTheWindow) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetOuterBevel(bkUP);
  d->SetOuterBevelWidth(3);
  d->SetBevelColor(0x808080);
  TBitmap* picture = d->GetPicture();
  EXPECT_EQ(picture->GetPixelColor(200, 1), 0xA0A0A0);   // top: light
  EXPECT_EQ(picture->GetPixelColor(1, 48), 0xA0A0A0);    // left: light
  EXPECT_EQ(picture->GetPixelColor(200, 95), 0x606060);  // bottom: dark
  EXPECT_EQ(picture->GetPixelColor(436, 48), 0x606060);  // right: dark
  d->SetOuterBevel(bkDown);
  EXPECT_EQ(picture->GetPixelColor(200, 1), 0x606060);

  d->SetIndicatorstring("1");
  const POINT lit = Centre(d->GetLitShape(), 0), unlit = Centre(d->GetUnlitShape(), 0);
  EXPECT_TRUE(InWindowRegion(d, 200, 7));
  d->SetTransparentMode(tmBackOnly);
  EXPECT_FALSE(InWindowRegion(d, 200, 7));  // background between the bevel and the cells
  EXPECT_TRUE(InWindowRegion(d, 200, 1));   // bevel
  EXPECT_TRUE(InWindowRegion(d, lit.x, lit.y));
  EXPECT_TRUE(InWindowRegion(d, unlit.x, unlit.y));
  d->SetTransparentMode(tmAll);
  EXPECT_TRUE(InWindowRegion(d, lit.x, lit.y));
  EXPECT_FALSE(InWindowRegion(d, unlit.x, unlit.y));
  d->SetTransparentMode(tmNone);
  EXPECT_TRUE(InWindowRegion(d, 200, 7));
  EXPECT_TRUE(InWindowRegion(d, unlit.x, unlit.y));
}

// The inner bevel and the inner ring lie inside the outer ones, each lit by its own style; a
// side without an outer one takes the inner one to the edge.
TEST_F(Widgets, InnerBevelsAndRingsLieInsideTheOuterOnes) {
  auto* d = New<TIAeverLiquidIndicator>(form);  // raised outer, sunken inner bevel, 2 each
  d->SetParent(form);
  d->SetBevelColor(0x808080);
  TBitmap* picture = d->GetPicture();
  EXPECT_EQ(picture->GetPixelColor(86, 1), 0xA0A0A0);  // outer top: light
  EXPECT_EQ(picture->GetPixelColor(86, 2), 0x606060);  // inner top: dark
  EXPECT_EQ(picture->GetPixelColor(86, 3), 0x606060);
  EXPECT_EQ(picture->GetPixelColor(86, 33), 0xA0A0A0);  // inner bottom: light
  EXPECT_EQ(picture->GetPixelColor(86, 34), 0x606060);  // outer bottom: dark
  d->SetInnerBevelWidth(4);
  EXPECT_EQ(picture->GetPixelColor(86, 5), 0x606060);
  d->SetOuterBevel(bkNone);
  EXPECT_EQ(picture->GetPixelColor(86, 0), 0x606060);  // the inner one at the edge
  EXPECT_EQ(picture->GetPixelColor(86, 4), 0xDDDDDD);  // then the background (gap 2)
  auto top = [&] {
    int y = 1000;
    for (TGeoPoint p : d->GetUnlitShape().points) y = std::min(y, p.y);
    return y;
  };
  const int gapped = top();
  d->SetIndicatorGap(0);  // the cells begin higher
  EXPECT_LT(top(), gapped);

  TIAgaloLED* l = LaneLamp();
  l->SetLedWidth(55);
  l->SetLedHeight(83);
  l->SetBorderColor(0x808080);
  l->SetOuterBorderStyle(iablsUp);
  l->SetInnerBorderStyle(iablsDown);
  l->SetInnerBorderDepth(3);
  ASSERT_EQ(l->GetWidth(), 55 + 2 * 5);
  TBitmap* lamp = l->GetPicture();
  EXPECT_EQ(lamp->GetPixelColor(32, 1), 0xA0A0A0);   // outer ring's top: light
  EXPECT_EQ(lamp->GetPixelColor(32, 3), 0x606060);   // inner ring's top: dark
  EXPECT_EQ(lamp->GetPixelColor(32, 89), 0xA0A0A0);  // inner ring's bottom: light
  EXPECT_EQ(lamp->GetPixelColor(32, 92), 0x606060);  // outer ring's bottom: dark
  l->SetOuterBorderStyle(iablsNone);
  ASSERT_EQ(l->GetWidth(), 55 + 2 * 3);
  EXPECT_EQ(lamp->GetPixelColor(30, 1), 0x606060);  // the inner ring at the edge
}

TEST_F(Widgets, RotatedIndicatorTakesTheRotatedBoxAndItsShape) {
  auto* d = New<TIAeverLiquidIndicator>(form);
  d->SetParent(form);
  d->GetHandle();
  EXPECT_EQ(d->GetWidth(), 172);
  EXPECT_EQ(d->GetHeight(), 36);
  d->SetIndicatorAngle(450);
  EXPECT_EQ(d->GetWidth(), 147);
  EXPECT_EQ(d->GetHeight(), 147);
  EXPECT_TRUE(InWindowRegion(d, 73, 73));
  EXPECT_FALSE(InWindowRegion(d, 2, 2));
  EXPECT_FALSE(InWindowRegion(d, 144, 144));
  EXPECT_TRUE(InWindowRegion(d, 130, 20));  // along the rising diagonal
  // Resizing snaps back to the box.
  d->SetBounds(d->GetLeft(), d->GetTop(), 300, 60);
  Pump();
  EXPECT_EQ(d->GetWidth(), 147);
  EXPECT_EQ(d->GetHeight(), 147);
  EXPECT_EQ(d->GetIndicatorWidth(), 172);
  // On its side the indicator takes the window's height as its width.
  d->SetIndicatorAngle(900);
  EXPECT_EQ(d->GetWidth(), 36);
  EXPECT_EQ(d->GetHeight(), 172);
  d->SetBounds(d->GetLeft(), d->GetTop(), 40, 200);
  EXPECT_EQ(d->GetIndicatorWidth(), 200);
  EXPECT_EQ(d->GetIndicatorHeight(), 40);
  // Drawn for the new size at once, not after the message queue's turn.
  EXPECT_EQ(d->GetPicture()->GetWidth(), 40);
  EXPECT_EQ(d->GetPicture()->GetHeight(), 200);
  EXPECT_TRUE(InWindowRegion(d, 2, 2));
}

TEST_F(Widgets, HoveringThickensOrRecoloursTheSegments) {
  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetIndicatorstring("8");
  int entered = 0;
  struct TCounter : TObject {
    int* count;
    void Hit(TObject*) { ++*count; }
  } counter;
  counter.count = &entered;
  d->onMouseEnter = TNotifyEvent(&counter, &TCounter::Hit);
  d->GetHandle();
  const std::vector<TGeoPoint> before = d->GetLitShape().points;
  d->SetMouseAction(maBoth);
  d->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(entered, 1);
  EXPECT_TRUE(PumpUntil([&] { return d->GetLitShape().points != before; }, 2000));
  const POINT p = Centre(d->GetLitShape(), 0);
  EXPECT_EQ(d->GetPicture()->GetPixelColor(p.x, p.y), 0x0080FF);
  d->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return d->GetLitShape().points == before; }, 2000));
  EXPECT_EQ(d->GetPicture()->GetPixelColor(p.x, p.y), clYellow);
  // Colour alone keeps the shape; thickness alone keeps the colour; leaving is told.
  int left = 0;
  TCounter leave_counter;
  leave_counter.count = &left;
  d->onMouseExit = TNotifyEvent(&leave_counter, &TCounter::Hit);
  d->SetMouseAction(maColor);
  d->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return d->GetPicture()->GetPixelColor(p.x, p.y) == 0x0080FF; }, 2000));
  EXPECT_EQ(d->GetLitShape().points, before);
  d->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(left, 1);
  EXPECT_TRUE(PumpUntil([&] { return d->GetPicture()->GetPixelColor(p.x, p.y) == clYellow; }, 2000));
  d->SetMouseAction(maWidth);
  d->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(PumpUntil([&] { return d->GetLitShape().points != before; }, 2000));
  EXPECT_EQ(d->GetPicture()->GetPixelColor(p.x, p.y), clYellow);
  d->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(left, 2);
}

// ---- Lamp -----------------------------------------------------------------------------------

TEST_F(Widgets, LampShadesItsPlasticAndHalvesItWhenOff) {
  TIAgaloLED* l = LaneLamp();
  l->SetGrainSource([](int) { return 0; });  // every pixel grained by +15
  l->SetLedPlasticColor(clRed);
  TBitmap* picture = l->GetPicture();
  ASSERT_EQ(picture->GetWidth(), 69);
  ASSERT_EQ(picture->GetHeight(), 97);
  // Centre 252 + 15; the middle of the body's top edge 127 + 15; a corner 39 + 15.
  EXPECT_EQ(picture->GetPixelColor(34, 48), RGB(255, 0, 0));
  EXPECT_EQ(picture->GetPixelColor(34, 2), RGB(142, 0, 0));
  EXPECT_EQ(picture->GetPixelColor(2, 2), RGB(255 * 54 / 255, 0, 0));
  // The default lowered ring: top and left dark, bottom and right light, in navy +- 32.
  EXPECT_EQ(picture->GetPixelColor(34, 0), RGB(0, 0, 96));
  EXPECT_EQ(picture->GetPixelColor(0, 48), RGB(0, 0, 96));
  EXPECT_EQ(picture->GetPixelColor(34, 96), RGB(32, 32, 160));
  EXPECT_EQ(picture->GetPixelColor(68, 48), RGB(32, 32, 160));
  EXPECT_EQ(CountColor(picture, clLime), 0);  // no gap ring with Gap 0
  l->SetLedOn(false);
  EXPECT_EQ(picture->GetPixelColor(34, 48), RGB(127, 0, 0));
  EXPECT_EQ(picture->GetPixelColor(34, 2), RGB(127 * 142 / 255, 0, 0));
  // A half turn takes the ring's own top edge to the bottom, where it is light: the sides
  // follow the screen, so a rectangle looks the same.
  l->SetAngle(1800);
  EXPECT_EQ(picture->GetPixelColor(34, 0), RGB(0, 0, 96));
  EXPECT_EQ(picture->GetPixelColor(34, 96), RGB(32, 32, 160));
  // A gap ring in its colour between the plastic and the border.
  l->SetAngle(0);
  l->SetGap(3);
  EXPECT_EQ(l->GetWidth(), 65 + 2 * 5);
  EXPECT_EQ(picture->GetPixelColor(3, 48), clLime);
  // A body of no size and the deepest plastic: no NaN colours, no crash.
  l->SetLedWidth(0);
  l->SetLedHeight(0);
  l->SetGap(0);
  EXPECT_EQ(l->GetWidth(), 4);
  EXPECT_EQ(picture->GetWidth(), 4);
}

// Read from a definition, a lamp is drawn once its properties are all set, and it is grained
// as if each of them had drawn it: as one made property by property.
TEST_F(Widgets, LampReadFromADefinitionLooksAsOneMadePropertyByProperty) {
  RegisterWidgetClasses();
  auto* defined = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(defined,
                        "object Defined: TForm\n  object Lamp: TIAgaloLED\n    Width = 69\n"
                        "    Height = 97\n    LedWidth = 65\n    LedHeight = 93\n"
                        "    LedPlasticDepth = 10\n    GapColor = clLime\n    BorderColor = clNavy\n"
                        "    LedOn = True\n  end\nend\n",
                        "lamp.form");
  auto* read = DynamicCast<TIAgaloLED>(defined->FindComponent("Lamp"));
  ASSERT_TRUE(read);
  TIAgaloLED* made = LaneLamp();
  auto same = [&] {
    TBitmap *a = read->GetPicture(), *b = made->GetPicture();
    if (a->GetWidth() != b->GetWidth() || a->GetHeight() != b->GetHeight()) return false;
    for (int y = 0; y < a->GetHeight(); ++y)
      for (int x = 0; x < a->GetWidth(); ++x)
        if (a->GetPixelColor(x, y) != b->GetPixelColor(x, y)) return false;
    return true;
  };
  EXPECT_TRUE(same());
  // The grain goes on from the same point.
  read->SetLedOn(false);
  made->SetLedOn(false);
  EXPECT_TRUE(same());
  Free(defined);
}

// A lamp as the form reader sees it: marked as being read, then told reading ended.
class TReadLamp : public TIAgaloLED {
 public:
  using TIAgaloLED::TIAgaloLED;
  void BeginReading() { IncludeState(csLoading); }
  void EndReading() { Loaded(); }
};

TEST_F(Widgets, LampBeingReadReshapesAndRendersAtOnceAndLoadedOnlyMakesTheRingCopies) {
  auto* l = New<TReadLamp>(form);
  int grains = 0;
  l->SetGrainSource([&](int) { return ++grains, 0; });
  l->BeginReading();
  grains = 0;
  l->SetLedWidth(40);
  EXPECT_EQ(l->GetWidth(), 44);
  EXPECT_EQ(l->GetPicture()->GetWidth(), 44);
  EXPECT_GT(grains, 0);
  l->SetLedPlasticColor(clLime);
  const TColor centre = l->GetPicture()->GetPixelColor(22, 7);
  EXPECT_EQ(GetRValue(centre), 0);
  EXPECT_GT(GetGValue(centre), 0);
  // The reader fills the ring texture in place, without the setter.
  TBitmap* grey = l->GetBorderSubstance();
  grey->SetPixelFormat(pf24bit);
  grey->SetSize(4, 4);
  grey->GetCanvas()->GetBrush()->SetColor(RGB(100, 100, 100));
  grey->GetCanvas()->FillRect(RECT{0, 0, 4, 4});
  grains = 0;
  l->EndReading();
  EXPECT_EQ(grains, 0);  // nothing drawn again
  EXPECT_NE(l->GetPicture()->GetPixelColor(22, 0), RGB(36, 36, 36));
  l->SetLedOn(true);  // the next render takes the dark copy for the lowered ring's top
  EXPECT_EQ(l->GetPicture()->GetPixelColor(22, 0), RGB(36, 36, 36));
}

TEST_F(Widgets, LampWindowIsCutToTheOuterOutlineOfEachShape) {
  for (TIALedClass cls : {ialcRect, ialcRound, ialcRomb, ialcHalfCircle, ialcTriangle, ialcTrapezium}) {
    auto* l = New<TIAgaloLED>(form);
    l->SetParent(form);
    l->SetLedClass(cls);
    l->SetLedWidth(40);
    l->SetLedHeight(30);
    l->GetHandle();
    EXPECT_EQ(l->GetWidth(), 44) << cls;
    EXPECT_EQ(l->GetHeight(), 34) << cls;
    EXPECT_TRUE(InWindowRegion(l, 22, 20)) << cls;
    // Only the rectangle reaches the top-left corner; the half circle its left edge.
    EXPECT_EQ(InWindowRegion(l, 1, 1), cls == ialcRect || cls == ialcHalfCircle) << cls;
    EXPECT_EQ(InWindowRegion(l, 42, 1), cls == ialcRect) << cls;
    EXPECT_EQ(InWindowRegion(l, 3, 32), cls != ialcRomb && cls != ialcRound) << cls;
    // At 45 degrees the window is the rotated box and no shape reaches its corners.
    l->SetAngle(450);
    EXPECT_EQ(l->GetWidth(), 55) << cls;
    EXPECT_EQ(l->GetHeight(), 55) << cls;
    EXPECT_TRUE(InWindowRegion(l, 27, 27)) << cls;
    EXPECT_FALSE(InWindowRegion(l, 1, 1)) << cls;
    EXPECT_FALSE(InWindowRegion(l, 53, 53)) << cls;
    l->SetWidth(80);  // ignored while turned
    EXPECT_EQ(l->GetWidth(), 55) << cls;
    Free(l);
  }
}

TEST_F(Widgets, LampSizeFollowsTheWindowOnlyAtRightAngles) {
  TIAgaloLED* l = LaneLamp();
  l->GetHandle();
  l->SetAngle(3599);
  EXPECT_EQ(l->GetAngle(), -1);
  l->SetAngle(-1800);
  EXPECT_EQ(l->GetAngle(), 1800);
  l->SetAngle(900);
  EXPECT_EQ(l->GetWidth(), 97);
  EXPECT_EQ(l->GetHeight(), 69);
  l->SetBounds(l->GetLeft(), l->GetTop(), 50, 30);
  EXPECT_EQ(l->GetLedWidth(), 26);
  EXPECT_EQ(l->GetLedHeight(), 46);
  l->SetAngle(450);
  const int w = l->GetWidth(), h = l->GetHeight();
  SetWindowPos(l->GetHandle(), nullptr, 0, 0, 20, 20, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(l->GetWidth(), w);
  EXPECT_EQ(l->GetHeight(), h);
  l->SetLedPlasticDepth(11);  // out of range: kept
  EXPECT_EQ(l->GetLedPlasticDepth(), 10);
  l->SetGaloSize(50);
  EXPECT_EQ(l->GetGaloSize(), 10);
}

TEST_F(Widgets, TexturesFillTheBackgroundRingsAndUnlitSegmentsWithTheirCopies) {
  TBitmap* grey = New<TBitmap>();
  grey->SetPixelFormat(pf24bit);
  grey->SetSize(4, 4);
  grey->GetCanvas()->GetBrush()->SetColor(RGB(100, 100, 100));
  grey->GetCanvas()->FillRect(RECT{0, 0, 4, 4});

  TIAgaloLED* l = LaneLamp();
  l->SetGap(3);
  l->SetBorderSubstance(grey);
  TBitmap* lamp = l->GetPicture();
  EXPECT_EQ(lamp->GetPixelColor(3, 48), RGB(100, 100, 100));  // the gap ring: the texture itself
  EXPECT_EQ(lamp->GetPixelColor(34, 0), RGB(36, 36, 36));     // lowered ring's top: the dark copy
  EXPECT_EQ(lamp->GetPixelColor(34, 102), RGB(164, 164, 164));
  l->SetBorderSubstance(nullptr);
  EXPECT_EQ(lamp->GetPixelColor(3, 48), clLime);

  TIAeverLiquidIndicator* d = LaneDisplay();
  d->SetOuterBevel(bkUP);
  d->SetIndicatorstring("1");
  d->SetBackMaterial(grey);
  TBitmap* display = d->GetPicture();
  EXPECT_EQ(display->GetPixelColor(200, 6), RGB(100, 100, 100));  // background
  EXPECT_EQ(display->GetPixelColor(200, 0), RGB(164, 164, 164));  // raised bevel's top: light copy
  EXPECT_EQ(display->GetPixelColor(200, 96), RGB(36, 36, 36));
  const POINT unlit = Centre(d->GetUnlitShape(), 0), lit = Centre(d->GetLitShape(), 0);
  EXPECT_EQ(display->GetPixelColor(unlit.x, unlit.y), RGB(68, 68, 68));  // shadow copy, 32 darker
  EXPECT_EQ(display->GetPixelColor(lit.x, lit.y), clYellow);
  d->SetMaterialShadowMode(msmLight);
  EXPECT_EQ(display->GetPixelColor(unlit.x, unlit.y), RGB(132, 132, 132));
  d->SetForeMaterial(grey);
  EXPECT_EQ(display->GetPixelColor(lit.x, lit.y), RGB(100, 100, 100));
  // The lit texture stands in for the lit colour only while that is not the hover colour.
  d->SetNumberForeColor1(clYellow);
  EXPECT_EQ(display->GetPixelColor(lit.x, lit.y), clYellow);
  Free(grey);
}

// Textures read from a form definition, tiled or stretched: the indicator's background,
// bevels and segments and the lamp's plastic and rings, with the copies made when reading ends.
TEST_F(Widgets, TexturesReadFromADefinitionFillAsTheirModesSay) {
  RegisterWidgetClasses();
  const COLORREF red = RGB(200, 0, 0), green = RGB(0, 200, 0), blue = RGB(0, 0, 200),
                 grey = RGB(200, 200, 200);
  TBitmap* texture = New<TBitmap>();
  texture->SetPixelFormat(pf24bit);
  texture->SetSize(2, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) {
      const COLORREF c = y ? (x ? grey : blue) : (x ? green : red);
      uint8_t* px = texture->GetScanLine(y) + 3 * x;
      px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
    }
  // A stored bitmap: the length of its file, then the file.
  TMemoryStream file;
  texture->SaveToStream(file);
  Free(texture);
  const auto* bytes = static_cast<const uint8_t*>(file.Memory());
  std::string hex;
  for (int64_t i = -4; i < file.GetSize(); ++i) {
    const int c = i < 0 ? (file.GetSize() >> (8 * (i + 4))) & 0xFF : bytes[i];
    hex += "0123456789ABCDEF"[c >> 4];
    hex += "0123456789ABCDEF"[c & 15];
  }
  auto* defined = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(
      defined,
      "object Defined: TForm\n"
      "  object Display: TIAeverLiquidIndicator\n    Width = 438\n    Height = 97\n"
      "    IndicatorWidth = 438\n    IndicatorHeight = 97\n    SignNumber = 7\n"
      "    IndicatorKind = ik9segment\n    InnerBevel = bkNone\n    Indicatorstring = '1'\n"
      "    BackMaterial.Data = {" +
          hex +
          "}\n    MaterialMode = mmTile\n    MaterialShadowMode = msmNone\n"
          "    ForeMaterial.Data = {" +
          hex +
          "}\n    ForeMaterialMode = mmTile\n  end\n"
          "  object Lamp: TIAgaloLED\n    Width = 69\n    Height = 97\n    LedWidth = 59\n"
          "    LedHeight = 87\n    Gap = 3\n    LedOn = True\n    BorderSubstance.Data = {" +
          hex + "}\n    LedPlasticSubstance.Data = {" + hex +
          "}\n    LedPlasticSubsMode = iasmStretch\n  end\nend\n",
      "textures.form");
  auto tile = [&](int x, int y) { return (y % 2 ? (x % 2 ? grey : blue) : (x % 2 ? green : red)); };
  auto* d = DynamicCast<TIAeverLiquidIndicator>(defined->FindComponent("Display"));
  ASSERT_TRUE(d);
  TBitmap* display = d->GetPicture();
  EXPECT_EQ(display->GetPixelColor(201, 3), tile(201, 3));      // background in the gap
  EXPECT_EQ(display->GetPixelColor(200, 0), RGB(255, 64, 64));  // raised bevel's top: light copy
  EXPECT_EQ(display->GetPixelColor(201, 96), RGB(0, 136, 0));   // its bottom: dark copy
  const POINT unlit = Centre(d->GetUnlitShape(), 0), lit = Centre(d->GetLitShape(), 0);
  EXPECT_EQ(display->GetPixelColor(unlit.x, unlit.y), tile(unlit.x, unlit.y));  // unshadowed copy
  EXPECT_EQ(display->GetPixelColor(lit.x, lit.y), tile(lit.x, lit.y));
  EXPECT_EQ(display->GetPixelColor(lit.x + 1, lit.y), tile(lit.x + 1, lit.y));

  auto* l = DynamicCast<TIAgaloLED>(defined->FindComponent("Lamp"));
  ASSERT_TRUE(l);
  ASSERT_EQ(l->GetWidth(), 69);
  // The ring copies are made when reading ends, so the first render after that shows them:
  // the window's first sizing.
  l->GetHandle();
  TBitmap* lamp = l->GetPicture();
  EXPECT_EQ(lamp->GetPixelColor(3, 48), tile(3, 48));        // the gap ring: the texture, tiled
  EXPECT_EQ(lamp->GetPixelColor(34, 0), RGB(136, 0, 0));     // lowered ring's top: dark copy
  EXPECT_EQ(lamp->GetPixelColor(34, 96), RGB(255, 64, 64));  // its bottom: light copy
  // The plastic stretched: the texture's quarters, shaded (red top left, grey bottom right).
  const COLORREF top_left = lamp->GetPixelColor(20, 25), bottom_right = lamp->GetPixelColor(50, 72);
  EXPECT_GT(GetRValue(top_left), 0);
  EXPECT_EQ(GetGValue(top_left) + GetBValue(top_left), 0);
  EXPECT_GT(GetRValue(bottom_right), 0);
  EXPECT_EQ(GetRValue(bottom_right), GetGValue(bottom_right));
  EXPECT_EQ(GetRValue(bottom_right), GetBValue(bottom_right));
  Free(defined);
}

// A tiny tiled texture, filled as one pattern, gives the picture a large one of the same
// repetition gives (the speed of both is a figure of the widgets' benchmark).
TEST_F(Widgets, TinyTiledTexturesGiveThePictureOfLargeOnes) {
  auto textured = [&](int side) {
    TBitmap* texture = New<TBitmap>();
    texture->SetPixelFormat(pf24bit);
    texture->SetSize(side, side);
    for (int y = 0; y < side; ++y)
      for (int x = 0; x < side; ++x) {
        uint8_t* px = texture->GetScanLine(y) + 3 * x;
        px[0] = static_cast<uint8_t>(40 + 50 * (x % 2)), px[1] = static_cast<uint8_t>(60 + 70 * (y % 2)),
        px[2] = 90;
      }
    TIAeverLiquidIndicator* d = LaneDisplay();
    d->SetOuterBevel(bkUP);
    d->SetInnerBevel(bkDown);
    d->SetMaterialMode(mmTile);
    d->SetForeMaterialMode(mmTile);
    d->SetBackMaterial(texture);
    d->SetForeMaterial(texture);
    TIAgaloLED* l = LaneLamp();
    l->SetGap(3);
    l->SetLedPlasticSubstance(texture);
    l->SetBorderSubstance(texture);
    Free(texture);
    d->SetIndicatorstring("12:34.56");
    l->SetLedOn(true);
    return std::pair{d, l};
  };
  auto [tiny_display, tiny_lamp] = textured(2);
  auto [large_display, large_lamp] = textured(64);
  // Both textures repeat every two pixels, so both drawings are the same.
  large_lamp->SetGrainSource(nullptr);
  tiny_lamp->SetGrainSource(nullptr);
  for (TBitmap* a : {tiny_display->GetPicture(), tiny_lamp->GetPicture()}) {
    TBitmap* b = a == tiny_display->GetPicture() ? large_display->GetPicture() : large_lamp->GetPicture();
    int differing = 0;
    for (int y = 0; y < a->GetHeight(); ++y)
      for (int x = 0; x < a->GetWidth(); ++x) differing += a->GetPixelColor(x, y) != b->GetPixelColor(x, y);
    EXPECT_EQ(differing, 0);
  }
}

// Tiling as a pattern keeps a texture's own colours in every pixel format, those with a colour
// table included.
TEST_F(Widgets, TiledTexturesKeepTheirColoursInEveryPixelFormat) {
  const COLORREF colours[2] = {RGB(200, 30, 30), RGB(30, 30, 200)};
  for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
    TBitmap* texture = New<TBitmap>();
    texture->SetPixelFormat(pf24bit);
    texture->SetSize(3, 2);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) {
        const COLORREF c = colours[(x + y) % 2];
        uint8_t* px = texture->GetScanLine(y) + 3 * x;
        px[0] = GetBValue(c), px[1] = GetGValue(c), px[2] = GetRValue(c);
      }
    texture->SetPixelFormat(format);
    TBitmap* target = New<TBitmap>();
    target->SetPixelFormat(pf24bit);
    target->SetSize(20, 10);
    FillRegionTexture(target->GetCanvas()->GetHandle(), nullptr, texture, true, 20, 10);
    GdiFlush();
    int differing = 0;
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 20; ++x)
        differing += target->GetPixelColor(x, y) != static_cast<TColor>(colours[(x % 3 + y % 2) % 2]);
    EXPECT_EQ(differing, 0) << format;
    Free(target);
    Free(texture);
  }
}

TEST_F(Widgets, HaloGlowsAroundALitLampInsideItsOwnWindowOnly) {
  TDesktopLock desktop;
  form->SetBounds(20, 300, 300, 200);
  form->SetColor(clBlack);
  TIAgaloLED* l = LaneLamp();
  l->SetBounds(100, 40, 69, 97);
  l->SetGaloIntensity(10);
  l->SetGaloON(true);
  form->Show();
  HWND window = form->GetHandle();
  auto colour_at = [&](int x, int y) {
    HDC dc = GetDC(window);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    return c;
  };
  auto red_at = [&](int x, int y) { return GetRValue(colour_at(x, y)); };
  // Just left of the lamp the glow adds red; far from it the form stays black.
  EXPECT_TRUE(PumpUntil([&] { return red_at(97, 88) > 0; }));
  EXPECT_EQ(red_at(60, 88), 0);
  EXPECT_EQ(GetGValue(colour_at(97, 88)), 0);
  // Switched off, the parent paints over the old glow.
  l->SetGaloON(false);
  EXPECT_TRUE(PumpUntil([&] { return red_at(97, 88) == 0; }));
}

// As the main window's lamps sit on a panel: the glow shows over the panel and over a
// neighbour, keeps its strength however often the lamp repaints, and goes from both.
TEST_F(Widgets, HaloShowsOverThePanelAndNeighboursOfALampAndNeverAddsUp) {
  TDesktopLock desktop;
  form->SetBounds(20, 300, 300, 200);
  form->SetColor(clBlack);
  auto* panel = New<TRepaintLog>(form);
  panel->SetParent(form);
  panel->SetColor(clBlack);
  panel->SetBounds(0, 0, 300, 200);
  auto* neighbour = New<TRepaintLog>(form);
  neighbour->SetParent(panel);
  neighbour->SetColor(clBlack);
  neighbour->SetBounds(80, 40, 18, 97);
  TIAgaloLED* l = LaneLamp();
  l->SetParent(panel);
  l->SetBounds(100, 40, 69, 97);
  l->SetGaloIntensity(10);
  l->SetGaloON(true);
  form->Show();
  auto red_at = [](TWinControl* control, int x, int y) {
    HDC dc = GetDC(control->GetHandle());
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(control->GetHandle(), dc);
    return static_cast<int>(GetRValue(c));
  };
  // On the panel above the lamp, and on the neighbour just left of it.
  auto panel_red = [&] { return red_at(panel, 134, 36); };
  auto neighbour_red = [&] { return red_at(neighbour, 16, 48); };
  ASSERT_TRUE(PumpUntil([&] {
    return panel_red() > 0 && neighbour_red() > 0 && !GetUpdateRect(form->GetHandle(), nullptr, FALSE);
  }));
  Pump();
  const int on_panel = panel_red(), on_neighbour = neighbour_red();
  EXPECT_EQ(red_at(panel, 134, 5), 0);  // beyond the glow
  for (int i = 0; i < 3; ++i) {
    RedrawWindow(l->GetHandle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    EXPECT_EQ(panel_red(), on_panel);
    EXPECT_EQ(neighbour_red(), on_neighbour);
  }
  l->SetGaloON(false);
  EXPECT_TRUE(PumpUntil([&] { return panel_red() == 0 && neighbour_red() == 0; }));
}

TEST_F(Widgets, MovedOrResizedGlowingLampHasItsOldAndNewSurroundingsRepainted) {
  TDesktopLock desktop;
  form->SetBounds(20, 300, 400, 250);
  auto* panel = New<TRepaintLog>(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 400, 250);
  TIAgaloLED* l = New<TIAgaloLED>(form);
  l->SetParent(panel);
  l->SetBounds(100, 40, 24, 14);
  l->SetLedOn(true);
  l->SetGaloSize(10);
  l->SetGaloON(true);
  form->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !GetUpdateRect(panel->GetHandle(), nullptr, FALSE) &&
           !GetUpdateRect(l->GetHandle(), nullptr, FALSE);
  }));
  panel->Forget();
  l->SetBounds(200, 100, 24, 14);  // moved: the old glow 10 around (100, 40) goes
  EXPECT_TRUE(panel->Asked(95, 45));
  EXPECT_TRUE(panel->Asked(195, 105));
  EXPECT_TRUE(panel->Asked(230, 120));
  EXPECT_FALSE(panel->Asked(5, 5));
  panel->Forget();
  l->SetBounds(200, 100, 40, 30);  // resized
  EXPECT_TRUE(panel->Asked(245, 135));
  EXPECT_FALSE(panel->Asked(5, 5));
}
