// The windowless widgets: the notification base and its background routines, the on/off LED
// and the speed button, driven by messages through their parent and read back by pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/actions.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/formwriter.h"
#include "toolkit/imagelist.h"
#include "toolkit/resstrings.h"
#include "widgets/justone.h"
#include "widgets/widgets.h"
#include "widgets/wxgraphic.h"
#include "widgets/wxled.h"
#include "widgets/wxmarkuplabel.h"
#include "widgets/wxspeedbutton.h"

// A container whose erased background is red left of x = 50 and blue right of it, so a
// picture shows whether and where the parent painted through a child.
class TStripedPanel : public TCustomControl {
  TK_CLASS(TStripedPanel, TCustomControl)
  TK_MESSAGE_MAP
 public:
  using TCustomControl::TCustomControl;

 private:
  void WMEraseBkgnd(TMessage& message) {
    HDC dc = reinterpret_cast<HDC>(message.WParam);
    for (auto [l, r, c] : {std::tuple{-1000, 50, RGB(255, 0, 0)}, std::tuple{50, 1000, RGB(0, 0, 255)}}) {
      HBRUSH brush = CreateSolidBrush(c);
      RECT area{l, -1000, r, 1000};
      FillRect(dc, &area, brush);
      DeleteObject(brush);
    }
    message.Result = 1;
  }
};
TK_CLASS_INFO(TStripedPanel, TCustomControl)
TK_BEGIN_MESSAGE_MAP(TStripedPanel)
TK_MESSAGE(WM_ERASEBKGND, WMEraseBkgnd)
TK_END_MESSAGE_MAP()

namespace {

class WxWidgets : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 400, 300);
    form->SetColor(clNavy);
  }
  void TearDown() override {
    SetWxVisualStyles(false);
    Free(form);
    Pump();
  }
  template <class T>
  T* Make(int left, int top, int width, int height, TWinControl* parent = nullptr) {
    T* c = New<T>(form);
    c->SetParent(parent ? parent : form);
    c->SetBounds(left, top, width, height);
    return c;
  }
  // A press and release of the left button at (x, y) of a control, through its parent.
  static void Down(TControl* c, int x, int y, UINT msg = WM_LBUTTONDOWN) {
    SendMessageA(c->GetParent()->GetHandle(), msg, MK_LBUTTON, MAKELPARAM(c->GetLeft() + x, c->GetTop() + y));
  }
  static void Up(TControl* c, int x, int y, UINT msg = WM_LBUTTONUP) {
    SendMessageA(c->GetParent()->GetHandle(), msg, 0,
                 MAKELPARAM(static_cast<WORD>(c->GetLeft() + x), static_cast<WORD>(c->GetTop() + y)));
  }
  TColor Shown(TControl* c, int x, int y) {
    TBitmap* picture = PictureOf(form);
    const TColor color = PixelAt(picture, form, c->GetLeft() + x, c->GetTop() + y);
    Free(picture);
    return color;
  }

  TForm* form = nullptr;
};

struct TCounter : TObject {
  int count = 0;
  void Count(TObject*) { ++count; }
  void Press(TObject*, TMouseButton, TShiftState, int, int) { ++count; }
};

TColor ShiftedColorForTest(COLORREF rgb, int amount) {
  auto c = [amount](int v) { return static_cast<BYTE>(std::clamp(v + amount, 0, 255)); };
  return RGB(c(GetRValue(rgb)), c(GetGValue(rgb)), c(GetBValue(rgb)));
}

// ---- Base -----------------------------------------------------------------------------------

TEST_F(WxWidgets, MouseEnterAndLeaveSwapTheHintColourOnceAndOnlyForTheControlItself) {
  auto* c = Make<TWxGraphicControl>(10, 10, 20, 20);
  TCounter enter, leave;
  c->OnMouseEnter = TNotifyEvent(&enter, &TCounter::Count);
  c->OnMouseLeave = TNotifyEvent(&leave, &TCounter::Count);
  const TColor app = Application->GetHintColor();

  c->SetHintColor(clDefault);  // leaves the application's colour alone both ways
  c->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(Application->GetHintColor(), app);
  c->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Application->GetHintColor(), app);

  c->SetHintColor(clYellow);
  c->Perform(CM_MOUSEENTER, 0, 0);
  c->Perform(CM_MOUSEENTER, 0, 0);  // a second enter without a leave changes nothing
  EXPECT_EQ(Application->GetHintColor(), clYellow);
  EXPECT_EQ(enter.count, 2);
  // Notices naming a child touch no colour and raise nothing.
  c->Perform(CM_MOUSELEAVE, 0, reinterpret_cast<LPARAM>(form));
  EXPECT_TRUE(c->GetMouseOver());
  EXPECT_EQ(leave.count, 1);
  c->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Application->GetHintColor(), app);
  EXPECT_EQ(leave.count, 2);
  c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(form));
  EXPECT_FALSE(c->GetMouseOver());
  EXPECT_EQ(enter.count, 2);
}

TEST_F(WxWidgets, ParentColourChangeIsRaisedAndHitTestAnswersMasked) {
  auto* c = Make<TWxGraphicControl>(10, 10, 20, 20);
  TCounter changed;
  c->SetParentColor(true);
  c->OnParentColorChange = TNotifyEvent(&changed, &TCounter::Count);
  form->SetColor(clTeal);
  EXPECT_EQ(changed.count, 1);
  EXPECT_EQ(c->GetColor(), clTeal);
  const LRESULT hit = c->Perform(CM_HITTEST, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(hit, 1);  // the toolkit's HTCLIENT answered as True
}

TEST_F(WxWidgets, ThemedBackgroundShowsTheParentOnlyForTheParentsColourUnderVisualStyles) {
  auto* panel = Make<TStripedPanel>(0, 0, 100, 60);
  panel->SetColor(clGreen);
  auto* c = Make<TWxGraphicControl>(40, 10, 20, 20, panel);  // straddles the stripe edge at 50
  TBitmap* b = New<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(20, 20);
  const RECT all{0, 0, 20, 20};
  struct TCase {
    bool styles;
    TColor color;
    TColor left, right;
  };
  for (TCase t : {TCase{true, clGreen, clRed, clBlue}, TCase{true, clYellow, clYellow, clYellow},
                  TCase{false, clGreen, clGreen, clGreen}}) {
    SetWxVisualStyles(t.styles);
    b->GetCanvas()->GetBrush()->SetColor(clWhite);
    DrawThemedBackground(c, b->GetCanvas(), all, t.color, false);
    GdiFlush();
    EXPECT_EQ(b->GetPixelColor(9, 5), t.left) << t.styles << " " << t.color;
    EXPECT_EQ(b->GetPixelColor(10, 5), t.right) << t.styles << " " << t.color;
    // The brush is left as it was.
    EXPECT_EQ(b->GetCanvas()->GetBrush()->GetColor(), clWhite);
  }
  // Clipped to the rectangle; the origin of the bitmap is back where it was.
  b->GetCanvas()->GetBrush()->SetColor(clWhite);
  b->GetCanvas()->FillRect(all);
  const RECT part{0, 0, 5, 20};
  PerformEraseBackground(c, b->GetCanvas()->GetHandle(), {c->GetLeft(), c->GetTop()}, &part);
  GdiFlush();
  EXPECT_EQ(b->GetPixelColor(4, 5), clRed);
  EXPECT_EQ(b->GetPixelColor(5, 5), clWhite);
  POINT origin{};
  GetWindowOrgEx(b->GetCanvas()->GetHandle(), &origin);
  EXPECT_EQ(origin.x, 0);
  Free(b);
}

// White, then its parent's background into its own left 5 columns.
class TErasingShape : public TWxGraphicControl {
 public:
  using TWxGraphicControl::TWxGraphicControl;

 protected:
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clWhite);
    GetCanvas()->FillRect({0, 0, GetWidth(), GetHeight()});
    const RECT part{0, 0, 5, GetHeight()};
    PerformEraseBackground(this, GetCanvas()->GetHandle(), {GetLeft(), GetTop()}, &part);
  }
};

TEST_F(WxWidgets, ParentBackgroundLandsInTheControlWhenTheToolkitPaintsItMoved) {
  auto* panel = Make<TStripedPanel>(0, 0, 100, 60);
  Make<TErasingShape>(60, 10, 20, 20, panel);  // over the blue stripe
  TBitmap* picture = PictureOf(panel);
  EXPECT_EQ(PixelAt(picture, panel, 64, 15), clBlue);
  EXPECT_EQ(PixelAt(picture, panel, 65, 15), clWhite);
  EXPECT_EQ(PixelAt(picture, panel, 79, 29), clWhite);
  Free(picture);
}

// A container that erases nothing and paints green left of x = 50, yellow right of it.
class TPaintedStripes : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == WM_ERASEBKGND) {
      message.Result = 1;
      return;
    }
    TCustomControl::WndProc(message);
  }
  void Paint() override {
    GetCanvas()->GetBrush()->SetColor(clGreen);
    GetCanvas()->FillRect({0, 0, 50, GetHeight()});
    GetCanvas()->GetBrush()->SetColor(clYellow);
    GetCanvas()->FillRect({50, 0, GetWidth(), GetHeight()});
  }
};

TEST_F(WxWidgets, AWindowedControlPaintingDirectlyShowsWhatItsParentPrints) {
  SetWxVisualStyles(true);
  auto* panel = Make<TPaintedStripes>(0, 0, 100, 60);
  panel->SetColor(clGreen);
  auto* c = Make<TCustomControl>(40, 10, 20, 20, panel);  // straddles the edge at 50
  c->SetColor(clGreen);
  TBitmap* b = New<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(20, 20);
  const RECT all{0, 0, 20, 20};
  for (bool buffered : {false, true}) {
    c->SetDoubleBuffered(buffered);
    b->GetCanvas()->GetBrush()->SetColor(clWhite);
    b->GetCanvas()->FillRect(all);
    DrawThemedBackground(c, b->GetCanvas(), all, clGreen, false);
    GdiFlush();
    // Double-buffered, only the parent's erasing shows, and this parent erases nothing.
    EXPECT_EQ(b->GetPixelColor(9, 5), buffered ? clWhite : clGreen);
    EXPECT_EQ(b->GetPixelColor(10, 5), buffered ? clWhite : clYellow);
  }
  Free(b);
}

TEST_F(WxWidgets, PrintClientKeepsTheDeviceContextStateAndTheHandlerGoesBack) {
  auto* panel = Make<TTestPanel>(0, 0, 50, 50);
  TBitmap* b = New<TBitmap>();
  b->SetSize(50, 50);
  HDC dc = b->GetCanvas()->GetHandle();
  InstallPrintClientGuard();
  const int level = SaveDC(dc);
  SetTextColor(dc, RGB(1, 2, 3));
  SetWindowOrgEx(dc, 3, 4, nullptr);
  panel->Perform(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT | PRF_ERASEBKGND);
  EXPECT_EQ(GetTextColor(dc), RGB(1, 2, 3));
  POINT origin{};
  GetWindowOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 3);
  EXPECT_EQ(SaveDC(dc), level + 1);  // the wrapper's own save is gone again
  RestoreDC(dc, level);
  const TMessageEntry* entry = FindMessageEntry(TWinControl::StaticMessageMap(), WM_PRINTCLIENT);
  ASSERT_NE(entry, nullptr);
  const TMessageProc wrapped = entry->proc;
  RemovePrintClientGuard();
  EXPECT_NE(entry->proc, wrapped);
  const TMessageProc original = entry->proc;
  InstallPrintClientGuard();
  InstallPrintClientGuard();  // a second install does not wrap the wrapper
  EXPECT_EQ(entry->proc, wrapped);
  RemovePrintClientGuard();
  EXPECT_EQ(entry->proc, original);
  Free(b);
}

// ---- LED --------------------------------------------------------------------------------------

// The two pictures as the resources must hold them: K black, G grey, L lime, W white.
const char* const kPicture[17] = {
    "KKKKKKKKKKKKKKKKK", "KKKKKKKKKKKKKKKKK", "KKKKKKGGGGGKKKKKK", "KKKKGGLLLLLGGKKKK", "KKKGLLLLLLLLLGKKK",
    "KKKGLLWWWLLLLGKKK", "KKGLLWWWLLLLLLGKK", "KKGLLWWLLLLLLLGKK", "KKGLLWLLLLLLLLGKK", "KKGLLLLLLLLLLLGKK",
    "KKGLLLLLLLLLLLGKK", "KKKGLLLLLLLLLGKKK", "KKKGLLLLLLLLLGKKK", "KKKKGGLLLLLGGKKKK", "KKKKKKGGGGGGKKKKK",
    "KKKKKKKKKKKKKKKKK", "KKKKKKKKKKKKKKKKK"};
const char* const kMask[17] = {
    "WWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWW", "WWWWWWKKKKKWWWWWW", "WWWWKKKKKKKKKWWWW", "WWWKKKKKKKKKKKWWW",
    "WWWKKKKKKKKKKKWWW", "WWKKKKKKKKKKKKKWW", "WWKKKKKKKKKKKKKWW", "WWKKKKKKKKKKKKKWW", "WWKKKKKKKKKKKKKWW",
    "WWKKKKKKKKKKKKKWW", "WWWKKKKKKKKKKKWWW", "WWWKKKKKKKKKKKWWW", "WWWWKKKKKKKKKWWWW", "WWWWWWKKKKKKWWWWW",
    "WWWWWWWWWWWWWWWWW", "WWWWWWWWWWWWWWWWW"};

TColor Letter(char c, TColor lamp) {
  switch (c) {
    case 'K': return clBlack;
    case 'G': return 0x808080;
    case 'W': return clWhite;
    default: return lamp;
  }
}

TEST_F(WxWidgets, LedResourcesMatchTheirPixelRows) {
  TBitmap* b = New<TBitmap>();
  for (auto [name, rows] : {std::pair{"WX_GREEN_LED", kPicture}, std::pair{"WX_MASK_LED", kMask}}) {
    b->LoadFromResourceName(HInstance, name);
    ASSERT_EQ(b->GetWidth(), 17);
    ASSERT_EQ(b->GetHeight(), 17);
    for (int y = 0; y < 17; ++y)
      for (int x = 0; x < 17; ++x)
        ASSERT_EQ(b->GetPixelColor(x, y), Letter(rows[y][x], clLime)) << name << x << "," << y;
  }
  Free(b);
}

TEST_F(WxWidgets, NewLedIsALimeLampThatOnlyRecoloursLimePixels) {
  auto* led = Make<TWxLED>(0, 0, 17, 17);
  EXPECT_EQ(led->GetWidth(), 17);
  EXPECT_EQ(led->GetColor(), clLime);
  EXPECT_TRUE(led->GetStatus());
  EXPECT_FALSE(led->GetActive());
  EXPECT_EQ(led->GetInterval(), 1000);
  led->SetColorOff(clBlue);  // nothing visible while on
  EXPECT_EQ(led->GetColor(), clLime);
  EXPECT_EQ(led->GetPicture()->GetPixelColor(8, 8), clLime);
  TCounter changes;
  led->OnChange = TNotifyEvent(&changes, &TCounter::Count);
  led->SetStatus(false);
  led->SetStatus(false);  // the same value still recolours and reports
  EXPECT_EQ(changes.count, 2);
  EXPECT_EQ(led->GetColor(), clBlue);
  for (int y = 0; y < 17; ++y)
    for (int x = 0; x < 17; ++x)
      ASSERT_EQ(led->GetPicture()->GetPixelColor(x, y), Letter(kPicture[y][x], clBlue)) << x << "," << y;
  // Setting on the colour it has recolours from the lime picture, not from the last one.
  led->SetColorOff(clLime);
  EXPECT_EQ(led->GetPicture()->GetPixelColor(8, 8), clLime);
}

TEST_F(WxWidgets, PaintedLampIsCentredOverTheParentAtAnySize) {
  for (auto [w, h] : {std::pair{17, 17}, std::pair{31, 24}, std::pair{11, 9}}) {
    auto* led = Make<TWxLED>(20, 20, w, h);
    for (bool on : {true, false}) {
      led->SetStatus(on);
      const TColor lamp = on ? clLime : clRed;
      const int dx = (w - 17) / 2, dy = (h - 17) / 2;
      TBitmap* picture = PictureOf(form);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
          const int px = x - dx, py = y - dy;
          const bool inside = px >= 0 && px < 17 && py >= 0 && py < 17;
          const TColor want = inside && kMask[py][px] == 'K' ? Letter(kPicture[py][px], lamp) : clNavy;
          ASSERT_EQ(PixelAt(picture, form, 20 + x, 20 + y), want) << w << "x" << h << " " << x << "," << y;
        }
      Free(picture);
    }
    Free(led);
  }
}

TEST_F(WxWidgets, LedBlinksWhileActiveAndAutoSizeKeepsThePictureSize) {
  auto* led = Make<TWxLED>(0, 0, 30, 30);
  TCounter changes;
  led->OnChange = TNotifyEvent(&changes, &TCounter::Count);
  led->SetInterval(5);
  led->SetActive(true);
  EXPECT_TRUE(PumpUntil([&] { return changes.count >= 2; }));
  led->SetActive(false);
  const bool status = led->GetStatus();
  led->Toggle(nullptr);  // one tick
  EXPECT_NE(led->GetStatus(), status);
  led->SetAutoSize(true);
  EXPECT_EQ(led->GetWidth(), 17);
  led->SetBounds(0, 0, 50, 40);
  EXPECT_EQ(led->GetWidth(), 17);
  EXPECT_EQ(led->GetHeight(), 17);
}

// ---- Speed button -----------------------------------------------------------------------------

class WxButton : public WxWidgets {
 protected:
  TWxSpeedButton* Button(int left = 10, int top = 10) {
    auto* b = Make<TWxSpeedButton>(left, top, 60, 30);
    b->SetCaption("Go");
    b->GetFont()->SetColor(clBlack);
    b->OnClick = TNotifyEvent(&clicks, &TCounter::Count);
    return b;
  }
  bool Has(TControl* c, TColor color) {
    TBitmap* picture = PictureOf(form);
    bool found = false;
    for (int y = 2; y < c->GetHeight() - 2 && !found; ++y)
      for (int x = 2; x < c->GetWidth() - 2 && !found; ++x)
        found = PixelAt(picture, form, c->GetLeft() + x, c->GetTop() + y) == color;
    Free(picture);
    return found;
  }
  TCounter clicks;
};

TEST_F(WxButton, EachStateHasItsOwnPicture) {
  TWxSpeedButton* b = Button();
  const TColor face = ColorToRGB(clBtnFace), frame = ColorToRGB(clWindowFrame);
  const TColor light = ShiftedColorForTest(face, 64), dark = ShiftedColorForTest(face, -64);
  // Up: raised, light top-left, frame and dark bottom-right, caption in the font colour.
  EXPECT_EQ(Shown(b, 0, 0), light);
  EXPECT_EQ(Shown(b, 59, 29), frame);
  EXPECT_EQ(Shown(b, 58, 28), dark);
  EXPECT_TRUE(Has(b, clBlack));
  // Hot with hot tracking: the caption in the hot font.
  b->SetHotTrack(true);
  b->GetHotTrackFont()->SetColor(clRed);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(Has(b, clRed));
  EXPECT_FALSE(Has(b, clBlack));
  // Down while pressed: the frame reversed.
  Down(b, 5, 5);
  EXPECT_EQ(b->GetState(), wbsDown);
  EXPECT_EQ(Shown(b, 0, 0), frame);
  EXPECT_EQ(Shown(b, 1, 1), dark);
  Up(b, 5, 5);
  EXPECT_EQ(Shown(b, 0, 0), light);
  // Disabled: caption embossed in highlight and shadow, no font colour.
  b->SetEnabled(false);
  EXPECT_EQ(b->GetState(), wbsDisabled);
  EXPECT_TRUE(Has(b, ColorToRGB(clBtnShadow)));
  EXPECT_FALSE(Has(b, clBlack));
  EXPECT_FALSE(Has(b, clRed));
  b->SetEnabled(true);
  // Flat and not hot: no frame at all; hot: a thin one.
  b->Perform(CM_MOUSELEAVE, 0, 0);
  b->SetFlat(true);
  EXPECT_EQ(Shown(b, 0, 0), face);
  EXPECT_EQ(Shown(b, 59, 29), face);
  b->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(Shown(b, 0, 0), light);
  EXPECT_EQ(Shown(b, 59, 29), dark);
  b->Perform(CM_MOUSELEAVE, 0, 0);
  // Transparent over the coloured parent: the parent shows through the face.
  b->SetTransparent(true);
  EXPECT_EQ(Shown(b, 3, 3), clNavy);
  EXPECT_EQ(Shown(b, 0, 0), clNavy);
}

TEST_F(WxButton, HeldDownButtonOfAGroupShowsTheDitheredFace) {
  TWxSpeedButton* b = Button();
  b->SetGroupIndex(1);
  b->SetDown(true);
  EXPECT_EQ(b->GetState(), wbsExclusive);
  const TColor p = Shown(b, 3, 3), q = Shown(b, 4, 3);
  EXPECT_NE(p, q);
  const auto highlight = static_cast<TColor>(ColorToRGB(clBtnHighlight));
  EXPECT_TRUE(p == highlight || q == highlight);
}

TEST_F(WxButton, ReleaseInsideClicksOnceAndOutsideOrDisabledNever) {
  TWxSpeedButton* b = Button();
  TCounter downs;
  b->OnMouseDown = TMouseEvent(&downs, &TCounter::Press);
  Down(b, 5, 5);
  Up(b, 5, 5);
  EXPECT_EQ(clicks.count, 1);
  Down(b, 5, 5);
  SendMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 5, 10 + 30));  // y = Height: out
  EXPECT_EQ(b->GetState(), wbsUp);
  SendMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 5, 10 + 29));
  EXPECT_EQ(b->GetState(), wbsDown);
  Up(b, 5, 40);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(b->GetState(), wbsUp);
  b->SetEnabled(false);
  Down(b, 5, 5);
  Up(b, 5, 5);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(b->GetState(), wbsDisabled);
  // A right press reaches OnMouseDown but neither presses nor clicks.
  b->SetEnabled(true);
  Down(b, 5, 5, WM_RBUTTONDOWN);
  EXPECT_EQ(b->GetState(), wbsUp);
  Up(b, 5, 5, WM_RBUTTONUP);
  EXPECT_EQ(clicks.count, 1);
  EXPECT_EQ(downs.count, 3);
  b->SetMargin(-2);
  EXPECT_EQ(b->GetMargin(), -1);
  b->SetMargin(4);
  EXPECT_EQ(b->GetMargin(), 4);
}

TEST_F(WxButton, DoubleClickIsTwoPressesAndTwoClicks) {
  TWxSpeedButton* b = Button();
  TCounter downs, doubles;
  b->OnMouseDown = TMouseEvent(&downs, &TCounter::Press);
  b->OnDblClick = TNotifyEvent(&doubles, &TCounter::Count);
  Down(b, 5, 5);
  Up(b, 5, 5);
  Down(b, 5, 5, WM_LBUTTONDBLCLK);
  EXPECT_EQ(b->GetState(), wbsDown);
  Up(b, 5, 5);
  EXPECT_EQ(downs.count, 2);
  EXPECT_EQ(clicks.count, 2);
  EXPECT_EQ(doubles.count, 0);  // only a button held Down reports the double click
}

TEST_F(WxButton, GroupKeepsOneDownAndLeavingTheGroupReleases) {
  TWxSpeedButton* g[3] = {Button(10, 10), Button(80, 10), Button(150, 10)};
  for (TWxSpeedButton* b : g) b->SetGroupIndex(7);
  auto down = [&] { return int(g[0]->GetDown()) + g[1]->GetDown() + g[2]->GetDown(); };
  Down(g[0], 5, 5), Up(g[0], 5, 5);
  EXPECT_TRUE(g[0]->GetDown());
  Down(g[2], 5, 5), Up(g[2], 5, 5);
  EXPECT_TRUE(g[2]->GetDown());
  EXPECT_EQ(down(), 1);
  Down(g[2], 5, 5), Up(g[2], 5, 5);  // AllowAllUp False: it stays down
  EXPECT_EQ(down(), 1);
  EXPECT_EQ(g[2]->GetState(), wbsExclusive);
  g[1]->SetAllowAllUp(true);  // told to the whole group
  EXPECT_TRUE(g[2]->GetAllowAllUp());
  Down(g[2], 5, 5), Up(g[2], 5, 5);
  EXPECT_EQ(down(), 0);
  g[0]->SetDown(true);
  g[0]->SetGroupIndex(0);
  EXPECT_FALSE(g[0]->GetDown());
  EXPECT_EQ(g[0]->GetState(), wbsUp);
}

TEST_F(WxButton, ActionMovesDownOnlyInAGroupThatAllowsAllUpAndTheGroupIndexWhileEqual) {
  auto* action = New<TAction>(form);
  action->SetCaption("Lane 1");
  TWxSpeedButton* b = Button();
  b->OnClick = nullptr;
  b->SetAction(action);
  EXPECT_TRUE(dynamic_cast<TWxSpeedButtonActionLink*>(b->GetActionLink()));
  EXPECT_EQ(b->GetCaption(), "Lane 1");
  action->SetChecked(true);  // not in a group
  EXPECT_FALSE(b->GetDown());
  action->SetChecked(false);
  action->SetGroupIndex(4);
  EXPECT_EQ(b->GetGroupIndex(), 4);
  action->SetChecked(true);  // AllowAllUp False
  EXPECT_FALSE(b->GetDown());
  action->SetChecked(false);
  b->SetAllowAllUp(true);
  action->SetChecked(true);
  EXPECT_TRUE(b->GetDown());
  action->SetChecked(false);
  EXPECT_FALSE(b->GetDown());

  // A group of its own is kept; a click still runs the action.
  b->SetGroupIndex(5);
  action->SetGroupIndex(6);
  EXPECT_EQ(b->GetGroupIndex(), 5);
  TCounter runs;
  action->OnExecute = TNotifyEvent(&runs, &TCounter::Count);
  Down(b, 5, 5), Up(b, 5, 5);
  EXPECT_EQ(runs.count, 1);
  EXPECT_EQ(clicks.count, 0);
  // Taking an action again takes its group.
  b->SetAction(nullptr);
  b->SetAction(action);
  EXPECT_EQ(b->GetGroupIndex(), 6);
}

TEST_F(WxButton, ActionImageBecomesTheGlyphOnFuchsiaUnlessTheButtonHasOne) {
  constexpr TColor kKey = RGB(0, 255, 0);
  auto* images = New<TCustomImageList>(form);
  TBitmap* picture = New<TBitmap>();
  picture->SetSize(16, 16);
  picture->GetCanvas()->GetBrush()->SetColor(kKey);
  picture->GetCanvas()->FillRect(RECT{0, 0, 16, 16});
  picture->GetCanvas()->GetBrush()->SetColor(clRed);
  picture->GetCanvas()->FillRect(RECT{4, 4, 12, 12});
  images->AddMasked(picture, kKey);
  auto* list = New<TActionList>(form);
  list->SetImages(images);
  auto* action = New<TAction>(form);
  action->SetActionList(list);
  action->SetImageIndex(0);

  TWxSpeedButton* b = Button();
  b->SetAction(action);
  TBitmap* glyph = b->GetGlyph();
  ASSERT_EQ(glyph->GetWidth(), 16);
  EXPECT_EQ(glyph->GetPixelColor(0, 0), clFuchsia);
  EXPECT_EQ(glyph->GetPixelColor(8, 8), clRed);
  EXPECT_EQ(glyph->GetTransparentColor(), clFuchsia);

  TWxSpeedButton* own = Button(80, 10);
  picture->SetSize(4, 4);
  own->SetGlyph(picture);
  own->SetAction(action);
  EXPECT_EQ(own->GetGlyph()->GetWidth(), 4);

  action->SetImageIndex(3);  // not in the list
  TWxSpeedButton* none = Button(150, 10);
  none->SetAction(action);
  EXPECT_TRUE(none->GetGlyph()->GetEmpty());
  Free(picture);
}

TEST_F(WxButton, AutoRepeatClicksOnlyWhileHeldAndStopsOnReleaseOrLostCapture) {
  TWxSpeedButton* b = Button();
  b->SetAllowTimer(true);
  Down(b, 5, 5);
  ASSERT_NE(b->GetRepeatTimer(), nullptr);
  EXPECT_EQ(b->GetRepeatTimer()->GetInterval(), 500u);
  EXPECT_TRUE(b->GetRepeatTimer()->GetEnabled());
  b->RepeatTick(nullptr);
  EXPECT_EQ(b->GetRepeatTimer()->GetInterval(), 100u);
  b->RepeatTick(nullptr);
  EXPECT_EQ(clicks.count, 2);
  Up(b, 5, 5);
  EXPECT_EQ(clicks.count, 3);
  EXPECT_FALSE(b->GetRepeatTimer()->GetEnabled());
  b->RepeatTick(nullptr);  // a late tick after the release clicks nothing
  EXPECT_EQ(clicks.count, 3);
  // The capture taken away while held: the next tick clicks nothing and ends the press.
  Down(b, 5, 5);
  ReleaseCapture();
  b->RepeatTick(nullptr);
  EXPECT_EQ(clicks.count, 3);
  EXPECT_FALSE(b->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(b->GetState(), wbsUp);
  // A cancelled mode told to the button (a menu or dialog took over) ends it at once.
  Down(b, 5, 5);
  b->Perform(WM_CANCELMODE);
  EXPECT_FALSE(b->GetRepeatTimer()->GetEnabled());
  EXPECT_EQ(b->GetState(), wbsUp);
  EXPECT_EQ(clicks.count, 3);
  b->SetAllowTimer(false);
  EXPECT_EQ(b->GetRepeatTimer(), nullptr);
}

}  // namespace

// ---- Single-instance guard --------------------------------------------------------------------
// Each test runs in a process of its own: a refusal ends only that process's loop.

namespace {

class TGuardProbe : public TXJustOne {
 public:
  using TXJustOne::Loaded;
  using TXJustOne::TXJustOne;
};

// Terminate posts the quit message; the loop that would take it is never run here.
bool QuitPosted() {
  MSG msg;
  return PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != FALSE;
}

std::string WindowText(HWND window) {
  char text[300] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

HANDLE FailingMutex(const char*) {
  SetLastError(ERROR_ACCESS_DENIED);
  return nullptr;
}

class Guard : public testing::Test {
 protected:
  void TearDown() override {
    TXJustOne::SetMutexCreator(nullptr);
    for (TGuardProbe* g : guards) Free(g);
    if (other) DestroyWindow(other);
  }
  TGuardProbe* Check(bool switch_to_previous = true) {
    auto* g = New<TGuardProbe>(nullptr);
    g->SetSwitchToPrevious(switch_to_previous);
    g->AlreadyExist = TNotifyEvent(&raised, &TCounter::Count);
    g->Loaded();
    guards.push_back(g);
    return g;
  }
  // A minimised top-level window with the application's title: the running copy's.
  void RunningCopy() {
    other = CreateWindowExA(0, "STATIC", Application->GetTitle().c_str(), WS_OVERLAPPEDWINDOW | WS_MINIMIZE,
                            0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(other, SW_SHOWMINNOACTIVE);
  }
  std::vector<TGuardProbe*> guards;
  TCounter raised;
  HWND other = nullptr;
};

TEST_F(Guard, FirstCopyRunsQuietlyAndASecondIsRefusedWithoutTouchingTheFirst) {
  const std::string title = WindowText(Application->GetHandle());
  RunningCopy();
  EXPECT_FALSE(Check()->GetRefused());
  EXPECT_EQ(raised.count, 0);
  EXPECT_EQ(WindowText(Application->GetHandle()), title);
  EXPECT_FALSE(QuitPosted());
  // SwitchToPrevious False: only the event and the end.
  EXPECT_TRUE(Check(false)->GetRefused());
  EXPECT_EQ(raised.count, 1);
  EXPECT_EQ(WindowText(Application->GetHandle()), title);
  EXPECT_TRUE(IsIconic(other));
  EXPECT_TRUE(QuitPosted());
  EXPECT_FALSE(Application->GetShowMainForm());
}

TEST_F(Guard, RefusedCopyRestoresTheRunningOneAndHidesItsOwnTitle) {
  RunningCopy();
  Check();
  ASSERT_TRUE(Check()->GetRefused());
  EXPECT_EQ(WindowText(Application->GetHandle()), "");
  EXPECT_FALSE(IsIconic(other));
  EXPECT_TRUE(QuitPosted());
}

TEST_F(Guard, RefusedCopyWithNoWindowInSightStillEnds) {
  Check();
  EXPECT_TRUE(Check()->GetRefused());
  EXPECT_TRUE(QuitPosted());
}

TEST_F(Guard, ACopyOnAnotherDesktopIsGuardedByTheSameTitle) {
  HDESK other = CreateDesktopA("dravolin-guard-test", nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  ASSERT_TRUE(other);
  std::string there;
  std::thread([&] {
    SetThreadDesktop(other);
    there = TXJustOne::MutexName();
  }).join();
  CloseDesktop(other);
  EXPECT_EQ(there, Application->GetTitle());
  // Only the tests' own setting keeps copies apart.
  SetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", "apart");
  EXPECT_EQ(TXJustOne::MutexName(), Application->GetTitle() + "@apart");
  SetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", nullptr);
}

TEST_F(Guard, FailedMutexRunsUnguardedUnlessACopyIsInSight) {
  TXJustOne::SetMutexCreator(&FailingMutex);
  EXPECT_FALSE(Check()->GetRefused());
  EXPECT_FALSE(QuitPosted());
  RunningCopy();
  EXPECT_TRUE(Check()->GetRefused());
  EXPECT_FALSE(IsIconic(other));
}

}  // namespace

// ---- Markup label -----------------------------------------------------------------------------

namespace {

std::string Blankless(std::string s) {
  s.erase(std::remove(s.begin(), s.end(), ' '), s.end());
  return s;
}

class Markup : public WxWidgets {
 protected:
  TWxMarkupLabel* Label(const std::string& text, int width = 300) {
    auto* l = Make<TWxMarkupLabel>(10, 10, width, 100);
    l->GetFont()->SetName("Arial");
    l->GetFont()->SetSize(10);
    l->GetFont()->SetColor(clBlack);
    l->SetText(text);
    return l;
  }
  // Every run's text, and every placed piece, in reading order.
  static std::string Runs(TWxMarkupLabel* l) {
    std::string all;
    for (int i = 0; i < l->Elements().Count(); ++i) all += l->Elements()[i].Text;
    return all;
  }
  static std::string Placed(const std::vector<std::vector<TWxMarkupLabel::TPlaced>>& lines) {
    std::string all;
    for (const auto& line : lines)
      for (const auto& piece : line) all += piece.Text;
    return all;
  }
};

TEST_F(Markup, BoldMiddleWordIsAThirdRunOnTheSameBaseline) {
  TWxMarkupLabel* l = Label("one <b>two</b> three");
  ASSERT_EQ(l->Elements().Count(), 3);
  EXPECT_FALSE(l->Elements()[0].FontStyle.Contains(fsBold));
  EXPECT_TRUE(l->Elements()[1].FontStyle.Contains(fsBold));
  EXPECT_FALSE(l->Elements()[2].FontStyle.Contains(fsBold));
  const auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 1u);
  ASSERT_EQ(lines[0].size(), 3u);
  for (const auto& piece : lines[0])
    EXPECT_EQ(piece.Y + l->Elements()[piece.Element].Ascent, lines[0][0].Y + l->Elements()[0].Ascent);
  EXPECT_LT(lines[0][0].X, lines[0][1].X);
  EXPECT_LT(lines[0][1].X, lines[0][2].X);
}

TEST_F(Markup, TagValuesSetTheFontAndBadOnesAreLeftOutWithoutLosingText) {
  struct TCase {
    const char* attribute;
    TColor color;
    int size;
  };
  for (TCase c : {TCase{R"(color="#FF0000")", clRed, 10}, TCase{R"(color="$0000FF")", clBlue, 10},
                  TCase{R"(color="green")", clGreen, 10}, TCase{R"(color="clGreen")", clGreen, 10},
                  TCase{R"(color="r")", clBlack, 10}, TCase{R"(color="#GG0000")", clBlack, 10},
                  TCase{R"(color="nocolour")", clBlack, 10}, TCase{R"(size="14")", clBlack, 14},
                  TCase{R"(size="big")", clBlack, 10}, TCase{R"(size="12pt")", clBlack, 10}}) {
    TWxMarkupLabel* l = Label(std::string("a <font ") + c.attribute + ">b</font> c");
    ASSERT_EQ(l->Elements().Count(), 3) << c.attribute;
    EXPECT_EQ(l->Elements()[1].FontColor, c.color) << c.attribute;
    EXPECT_EQ(l->Elements()[1].FontSize, c.size) << c.attribute;
    EXPECT_EQ(l->Elements()[2].FontColor, clBlack) << c.attribute;  // the closing tag restores
    EXPECT_EQ(l->Elements()[2].FontSize, 10) << c.attribute;
    Free(l);
  }
}

TEST_F(Markup, TextAfterAnUnclosedTagIsDroppedAndCrLfIsABlank) {
  TWxMarkupLabel* l = Label("shown <b hidden");
  EXPECT_EQ(Runs(l), "shown ");
  l->SetText("a\r\nb  ");
  EXPECT_EQ(l->GetText(), "a b");
  EXPECT_EQ(l->Layout().size(), 1u);
  l->SetText("a<br>b<br>c");
  EXPECT_EQ(l->Layout().size(), 3u);
}

TEST_F(Markup, WrapPlacesEveryWordOnceAndAlwaysEnds) {
  for (const char* text : {"go go go go go go go go", "a supercalifragilisticexpialidocious b",
                           "x <b>go go</b> go <i>go go go</i> go", "supercalifragilisticexpialidocious"}) {
    for (int width = 12; width < 260; width += 9) {
      TWxMarkupLabel* l = Label(text, width);
      const auto lines = l->Layout();
      EXPECT_EQ(Blankless(Placed(lines)), Blankless(Runs(l))) << text << " at " << width;
      for (const auto& line : lines) EXPECT_FALSE(line.empty());
      Free(l);
    }
  }
  // A word wider than the label stands on a line of its own, past the right margin.
  TWxMarkupLabel* l = Label("a supercalifragilisticexpialidocious b", 40);
  const auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1][0].Text, "supercalifragilisticexpialidocious ");
}

TEST_F(Markup, LinesAlignWithinTheMarginsAndAnEmptyTextPaintsOnlyTheBackground) {
  TWxMarkupLabel* l = Label("word", 200);
  const int left = l->Layout()[0][0].X;
  EXPECT_EQ(left, 5);
  l->SetAlignment(taRightJustify);
  const int right = l->Layout()[0][0].X;
  l->SetAlignment(taCenter);
  const int centre = l->Layout()[0][0].X;
  EXPECT_GT(right, centre);
  EXPECT_GT(centre, left);
  EXPECT_NEAR(centre - left, right - centre, 1);
  l->SetText("");
  TBitmap* picture = PictureOf(form);
  for (int y = 0; y < 100; y += 4)
    for (int x = 0; x < 200; x += 4)
      ASSERT_EQ(PixelAt(picture, form, 10 + x, 10 + y), clNavy) << x << "," << y;
  Free(picture);
}

// Ends the program when one layout runs longer than the bound, naming the text: a hang shows
// as this test's failure, not as the suite's time-out.
class TLayoutWatch {
 public:
  explicit TLayoutWatch(ULONGLONG bound_ms) : bound_(bound_ms), thread_([this] { Watch(); }) {}
  ~TLayoutWatch() {
    done_ = true;
    thread_.join();
  }
  void Begin(const std::string& what) {
    std::lock_guard lock(mutex_);
    what_ = what;
    started_ = GetTickCount64();
  }
  void End() { started_ = 0; }

 private:
  void Watch() {
    while (!done_) {
      Sleep(10);
      std::lock_guard lock(mutex_);
      const ULONGLONG started = started_;
      if (started && GetTickCount64() - started > bound_) {
        std::fprintf(stderr, "layout of %s ran longer than %llu ms\n", what_.c_str(), bound_);
        std::fflush(stderr);
        ExitProcess(1);
      }
    }
  }
  const ULONGLONG bound_;
  std::mutex mutex_;
  std::string what_;
  std::atomic<ULONGLONG> started_{0};
  std::atomic<bool> done_{false};
  std::thread thread_;
};

TEST_F(Markup, AnyTextAtAnyWidthIsLaidOutAndPaintedInBoundedTime) {
  TLayoutWatch watch(3000);
  TWxMarkupLabel* l = Label("");
  auto check = [&](const std::string& text, int width) {
    watch.Begin("\"" + text + "\" at " + std::to_string(width));
    l->SetText(text);
    l->SetWidth(width);
    const auto lines = l->Layout();
    watch.End();
    ASSERT_EQ(Blankless(Placed(lines)), Blankless(Runs(l))) << text << " at " << width;
  };
  // Runs of blanks only, at a line's start or after a br, at every width (one of them wraps
  // the blanks into a line of their own).
  for (const char* text : {" <b>x</b>", "a<br> <b>b</b>", "aa  <b>b</b>", "<b> </b>", "a<b>  </b><br>b"})
    for (int width = -20; width < 120; ++width) check(text, width);
  std::mt19937 random(32);
  const char* pieces[] = {"a",
                          "bb",
                          "word ",
                          " ",
                          "  ",
                          "<b>",
                          "</b>",
                          "<i>",
                          "</i>",
                          "<br>",
                          "\r\n",
                          "x y",
                          "<font size=\"16\">",
                          "</font>",
                          "supercalifragilistic"};
  for (int k = 0; k < 10000; ++k) {
    std::string text;
    for (int n = random() % 12; n >= 0; --n) text += pieces[random() % std::size(pieces)];
    check(text, static_cast<int>(random() % 320) - 20);
  }
  // Painting lays out the same way.
  for (const char* text : {" <b>x</b>", "a<br> <b>b</b>"}) {
    watch.Begin(std::string("painted \"") + text + "\"");
    l->SetText(text);
    Free(PictureOf(form));
    watch.End();
  }
}

TEST_F(Markup, EveryRunPlacesAWordOnItsLineAndOnlyTheLineStartLosesItsBlanks) {
  // A run that does not fit the rest of the line still puts its first word there.
  TWxMarkupLabel* l = Label("aaaa <b>bbbb</b>");
  l->SetWidth(1000);
  const int wide = l->Layout()[0][1].X;
  l->SetWidth(wide + 5);  // room for "aaaa " and the right margin only
  auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0][1].Text, "bbbb");
  // Words on either side of a tag keep their blank; a line starts at its first letter.
  l->SetWidth(300);
  l->SetText("a<b> b</b><br><i>  c</i>");
  lines = l->Layout();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][1].Text, " b");
  EXPECT_EQ(lines[1][0].Text, "c");
  EXPECT_EQ(lines[1][0].X, 5);
}

TEST_F(Markup, OlderDefinitionsGiveTheColourAsBackColorWhichIsNeverWritten) {
  RegisterWidgetClasses();
  for (const char* value : {"clRed", "255"}) {
    auto* defined = New<TForm>(nullptr, kCreateNew);
    ReadComponentFromText(
        defined,
        std::string("object Defined: TForm\n  object Label: TWxMarkupLabel\n    BackColor = ") + value +
            "\n  end\nend\n",
        "label.form");
    auto* label = DynamicCast<TWxMarkupLabel>(defined->FindComponent("Label"));
    ASSERT_TRUE(label);
    EXPECT_EQ(label->GetColor(), clRed) << value;
    EXPECT_FALSE(label->GetParentColor());
    const std::string written = WriteComponentToText(defined);
    EXPECT_EQ(written.find("BackColor"), std::string::npos) << written;
    EXPECT_NE(written.find("Color = clRed"), std::string::npos) << written;
    Free(defined);
  }
}

}  // namespace
