// The windowless widgets: the notification base and its background routines, the on/off LED
// and the speed button, driven by messages through their parent and read back by pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <initializer_list>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include <windows.h>
// (needs windows.h first)
#include <uxtheme.h>

#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/actions.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/formwriter.h"
#include "toolkit/imagelist.h"
#include "toolkit/menus.h"
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
    // The pictures below are the classic ones, whatever the system's theme.
    PinWxVisualStyles(false);
  }
  void TearDown() override {
    tk_detail::SetCursorSource(nullptr);
    UnpinWxVisualStyles();
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

TEST_F(WxWidgets, VisualStylesAreInForceWhileTheSystemReportsItsThemeActiveForTheProgram) {
  UnpinWxVisualStyles();
  // This program carries the common controls 6 manifest, so the theme library's word decides.
  const bool themed = IsThemeActive() && IsAppThemed();
  EXPECT_EQ(WxVisualStyles(), themed);
  // The test prefix runs Wine's own theme.
  EXPECT_TRUE(themed);
  PinWxVisualStyles(!themed);
  EXPECT_EQ(WxVisualStyles(), !themed);
  UnpinWxVisualStyles();
  EXPECT_EQ(WxVisualStyles(), themed);
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
    PinWxVisualStyles(t.styles);
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
  PinWxVisualStyles(true);
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
  // Any interval is taken, a negative one too: the timer runs it as a very long one.
  led->SetInterval(-1);
  EXPECT_EQ(led->GetInterval(), -1);
  led->SetActive(true);
  led->SetActive(false);
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
  // Placed by itself, it keeps the picture's size too, where the parent leaves it.
  led->SetAlign(alCustom);
  led->SetBounds(5, 6, 50, 40);
  EXPECT_EQ(led->GetBoundsRect().left, 5);
  EXPECT_EQ(led->GetBoundsRect().top, 6);
  EXPECT_EQ(led->GetWidth(), 17);
  EXPECT_EQ(led->GetHeight(), 17);
  // Aligned to an edge, it takes the size the parent gives.
  led->SetAlign(alTop);
  EXPECT_EQ(led->GetWidth(), led->GetParent()->GetClientWidth());
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
  // Down while pressed: a window-frame ring and a shadow corner inside it.
  Down(b, 5, 5);
  EXPECT_EQ(b->GetState(), wbsDown);
  EXPECT_EQ(Shown(b, 0, 0), frame);
  EXPECT_EQ(Shown(b, 59, 29), frame);
  EXPECT_EQ(Shown(b, 1, 1), ColorToRGB(clBtnShadow));
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

TEST_F(WxButton, HotTrackFontFollowsTheFontByItsOptionsAndStaysAsReadFromADefinition) {
  TWxSpeedButton* b = Button();
  b->GetFont()->SetName("Arial");
  b->GetFont()->SetHeight(-13);
  b->GetFont()->SetColor(clMaroon);
  // By default the name and height follow; colour and style are kept.
  EXPECT_EQ(b->GetHotTrackFont()->GetName(), "Arial");
  EXPECT_EQ(b->GetHotTrackFont()->GetHeight(), -13);
  EXPECT_NE(b->GetHotTrackFont()->GetColor(), clMaroon);
  b->SetHotTrackFontOptions({hoFollowFont});
  EXPECT_EQ(b->GetHotTrackFont()->GetColor(), clMaroon);
  // Read from a definition, the hot font is the one written there.
  RegisterWidgetClasses();
  auto* defined = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(defined,
                        "object Defined: TForm\n  object Button: TWxSpeedButton\n    Caption = 'Go'\n"
                        "    Font.Name = 'Arial'\n    Font.Height = -13\n"
                        "    HotTrackFont.Name = 'Courier New'\n    HotTrackFont.Height = -20\n  end\nend\n",
                        "button.form");
  auto* read = DynamicCast<TWxSpeedButton>(defined->FindComponent("Button"));
  ASSERT_TRUE(read);
  EXPECT_EQ(read->GetHotTrackFont()->GetName(), "Courier New");
  EXPECT_EQ(read->GetHotTrackFont()->GetHeight(), -20);
  Free(defined);
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
  // Flat: the frame stays, the dither only while hot.
  b->SetFlat(true);
  EXPECT_EQ(Shown(b, 3, 3), Shown(b, 4, 3));
  EXPECT_EQ(Shown(b, 0, 0), ShiftedColorForTest(ColorToRGB(clBtnFace), -64));
  b->Perform(CM_MOUSEENTER);
  EXPECT_NE(Shown(b, 3, 3), Shown(b, 4, 3));
}

TEST_F(WxButton, ReleaseOfAnyButtonInsideClicksOnceAndOutsideOrDisabledNever) {
  TWxSpeedButton* b = Button();
  TCounter downs;
  b->OnMouseDown = TMouseEvent(&downs, &TCounter::Press);
  Down(b, 5, 5);
  Up(b, 5, 5);
  EXPECT_EQ(clicks.count, 1);
  Down(b, 5, 5);
  SendMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 5, 10 + 31));
  EXPECT_EQ(b->GetState(), wbsUp);
  SendMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 5, 10 + 30));  // y = Height: on
  EXPECT_EQ(b->GetState(), wbsDown);
  SendMessageA(form->GetHandle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(10 + 60, 10 + 5));  // x = Width: off
  EXPECT_EQ(b->GetState(), wbsUp);
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
  // A left press ended by the right or middle button coming up is a whole click.
  for (UINT up : {WM_RBUTTONUP, WM_MBUTTONUP}) {
    Down(b, 5, 5);
    Up(b, 5, 5, up);
    EXPECT_FALSE(b->GetDragging());
    EXPECT_EQ(b->GetState(), wbsUp);
  }
  EXPECT_EQ(clicks.count, 3);
  b->SetMargin(-2);
  EXPECT_EQ(b->GetMargin(), -1);
  b->SetMargin(4);
  EXPECT_EQ(b->GetMargin(), 4);
}

// Inside the modal loop: the form holds a result when the button is clicked.
struct TModalProbe : TObject {
  TForm* form = nullptr;
  TWxSpeedButton* button = nullptr;
  TModalResult seen = mrYes;
  void Click(TObject*) {
    form->SetModalResult(mrOk);
    button->Click();
    seen = form->GetModalResult();
    form->SetModalResult(mrCancel);
  }
};

TEST_F(WxButton, ClickHandsTheButtonsModalResultToItsModalFormNoneIncluded) {
  TWxSpeedButton* b = Button();
  TWxSpeedButton* trigger = Button(100, 10);
  TModalProbe probe;
  probe.form = form;
  probe.button = b;
  trigger->OnClick = TNotifyEvent(&probe, &TModalProbe::Click);
  for (TModalResult result : {mrIgnore, mrNone}) {
    b->SetModalResult(result);
    PostMessageA(form->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(100 + 5, 10 + 5));
    PostMessageA(form->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(100 + 5, 10 + 5));
    EXPECT_EQ(form->ShowModal(), mrCancel);
    EXPECT_EQ(probe.seen, result);
  }
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
  // On a parent that is not showing the group is not told.
  g[0]->SetDown(true);
  g[1]->SetDown(true);
  EXPECT_TRUE(g[0]->GetDown());
  g[1]->SetAllowAllUp(true);
  EXPECT_FALSE(g[0]->GetAllowAllUp());
  g[1]->SetAllowAllUp(false);
  g[1]->SetGroupIndex(0);
  g[1]->SetGroupIndex(7);
  TDesktopLock desktop;
  form->Show();
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

// A strip of square slices, each of one colour, on a fuchsia corner (the transparent colour).
TBitmap* Strip(std::initializer_list<TColor> colors, int side = 8) {
  TBitmap* strip = New<TBitmap>();
  strip->SetPixelFormat(pf24bit);
  strip->SetSize(side * static_cast<int>(colors.size()), side);
  int x = 0;
  for (TColor c : colors) {
    strip->GetCanvas()->GetBrush()->SetColor(c);
    strip->GetCanvas()->FillRect(RECT{x, 0, x + side, side});
    strip->GetCanvas()->GetBrush()->SetColor(clFuchsia);
    strip->GetCanvas()->FillRect(RECT{x, side - 2, x + 2, side});
    x += side;
  }
  return strip;
}

TEST_F(WxButton, GlyphStripGivesEachStateItsSliceAndBuildsTheMissingOnesInTheSharedCache) {
  const int lists = WxGlyphCacheListCount();
  TWxButtonGlyph glyph;
  TBitmap* five = Strip({clRed, clLime, clBlue, clYellow, clAqua});
  glyph.SetGlyph(five);
  EXPECT_EQ(glyph.GetNumGlyphs(), 5);
  const TColor slice[] = {clRed, clLime, clBlue, clYellow, clAqua};
  for (TWxButtonState s : {wbsUp, wbsDisabled, wbsDown, wbsExclusive, wbsInactive}) {
    EXPECT_EQ(glyph.StateImage(s)->GetPixelColor(4, 1), slice[s]) << s;
    EXPECT_EQ(glyph.StateImage(s)->GetPixelColor(0, 7), clFuchsia) << s;
  }
  EXPECT_EQ(WxGlyphCacheListCount(), lists + 1);
  glyph.SetNumGlyphs(0);  // ignored, as is more than five
  glyph.SetNumGlyphs(6);
  EXPECT_EQ(glyph.GetNumGlyphs(), 5);
  TBitmap* seven = Strip({clRed, clRed, clRed, clRed, clRed, clRed, clRed});
  glyph.SetGlyph(seven);
  EXPECT_EQ(glyph.GetNumGlyphs(), 1);

  // One slice: down and held down use it, inactive is its grey, disabled is embossed.
  TBitmap* one = Strip({RGB(200, 40, 10)}, 10);
  glyph.SetGlyph(one);
  EXPECT_EQ(WxGlyphCacheListCount(), lists);  // the 8 x 8 list went with its last image
  EXPECT_EQ(glyph.StateImage(wbsDown)->GetPixelColor(4, 4), RGB(200, 40, 10));
  EXPECT_EQ(glyph.StateImage(wbsExclusive)->GetPixelColor(4, 4), RGB(200, 40, 10));
  const int grey = (77 * 200 + 150 * 40 + 29 * 10) / 256;
  EXPECT_EQ(glyph.StateImage(wbsInactive)->GetPixelColor(4, 4), RGB(grey, grey, grey));
  EXPECT_EQ(glyph.StateImage(wbsInactive)->GetPixelColor(0, 9), clFuchsia);
  const TColor shadow = ColorToRGB(clBtnShadow), face = ColorToRGB(clBtnFace);
  TBitmap* embossed = glyph.StateImage(wbsDisabled);
  EXPECT_EQ(embossed->GetPixelColor(4, 4), shadow);
  EXPECT_EQ(embossed->GetPixelColor(0, 9), clFuchsia);  // new style: on the transparent colour
  EXPECT_EQ(embossed->GetTransparentColor(), clFuchsia);
  glyph.SetGrayNewStyle(false);
  embossed = glyph.StateImage(wbsDisabled);
  EXPECT_EQ(embossed->GetPixelColor(4, 4), shadow);
  EXPECT_EQ(embossed->GetPixelColor(0, 9), face);  // classic: on the button face
  EXPECT_EQ(embossed->GetTransparentColor(), face);
  EXPECT_EQ(embossed->GetPixelColor(1, 8), ColorToRGB(clBtnHighlight));  // the highlight copy below the shape
  // An action's image is embossed on the button face in either style.
  glyph.SetGrayNewStyle(true);
  glyph.SetActionImage(one);
  EXPECT_EQ(glyph.StateImage(wbsDisabled)->GetPixelColor(0, 9), face);
  glyph.SetGlyph(one);
  EXPECT_EQ(glyph.StateImage(wbsDisabled)->GetPixelColor(0, 9), clFuchsia);

  // A button's images go with a change of system colours and come back when painted.
  TWxSpeedButton* b = Button();
  b->SetGlyph(Strip({clRed}, 12));
  b->SetEnabled(false);
  EXPECT_EQ(WxGlyphCacheListCount(), lists + 2);
  b->Perform(CM_SYSCOLORCHANGE);
  EXPECT_EQ(WxGlyphCacheListCount(), lists + 1);
  EXPECT_TRUE(Has(b, shadow));
  EXPECT_EQ(WxGlyphCacheListCount(), lists + 2);
  for (TBitmap* bitmap : {five, seven, one}) Free(bitmap);
}

TEST_F(WxButton, PaletteIsTheGlyphsColourTableAndDrawingGivesTheCanvasItsOwnBack) {
  TWxSpeedButton* b = Button();
  EXPECT_EQ(b->GetPalette(), nullptr);
  TBitmap* strip = Strip({clRed}, 12);
  b->SetGlyph(strip);
  EXPECT_EQ(b->GetPalette(), nullptr);  // no colour table
  strip->SetPixelFormat(pf8bit);
  b->SetGlyph(strip);
  const std::vector<RGBQUAD>& table = b->GetGlyph()->GetColorTable();
  HPALETTE palette = b->GetPalette();
  ASSERT_TRUE(palette);
  std::vector<PALETTEENTRY> entries(table.size());
  ASSERT_EQ(GetPaletteEntries(palette, 0, static_cast<UINT>(entries.size()), entries.data()), table.size());
  for (size_t i = 0; i < table.size(); ++i)
    EXPECT_EQ(RGB(entries[i].peRed, entries[i].peGreen, entries[i].peBlue),
              RGB(table[i].rgbRed, table[i].rgbGreen, table[i].rgbBlue))
        << i;
  // Drawn with its fuchsia left out, in its own colours; the canvas has its palette back.
  TBitmap* target = New<TBitmap>();
  target->SetPixelFormat(pf24bit);
  target->SetSize(12, 12);
  target->GetCanvas()->GetBrush()->SetColor(clWhite);
  target->GetCanvas()->FillRect(RECT{0, 0, 12, 12});
  HDC dc = target->GetCanvas()->GetHandle();
  const HGDIOBJ before = GetCurrentObject(dc, OBJ_PAL);
  DrawBitmapTransparent(target->GetCanvas(), 0, 0, 0, 0, b->GetGlyph(), RECT{}, clFuchsia);
  EXPECT_EQ(GetCurrentObject(dc, OBJ_PAL), before);
  GdiFlush();
  EXPECT_EQ(target->GetPixelColor(5, 5), clRed);
  EXPECT_EQ(target->GetPixelColor(0, 11), clWhite);
  Free(target);
  Free(strip);
}

TEST_F(WxButton, FlatInactiveGlyphIsGreyOnlyWithGrayedInactiveLeavesWhenHotAndStaysWhenDisabled) {
  TWxSpeedButton* b = Button();
  b->SetCaption("");
  TBitmap* red = Strip({clRed}, 12);
  b->SetGlyph(red);
  b->SetFlat(true);
  const int grey = 77 * 255 / 256;
  EXPECT_TRUE(Has(b, RGB(grey, grey, grey)));
  EXPECT_FALSE(Has(b, clRed));
  b->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(Has(b, clRed));
  b->Perform(CM_MOUSELEAVE);
  b->SetGrayedInactive(false);
  EXPECT_TRUE(Has(b, clRed));
  // Disabled, a flat button is as inactive as away from the pointer: grey, not embossed.
  b->SetGrayedInactive(true);
  b->SetEnabled(false);
  EXPECT_TRUE(Has(b, RGB(grey, grey, grey)));
  EXPECT_FALSE(Has(b, ColorToRGB(clBtnShadow)));
  Free(red);
}

// Away from the pointer a flat button's glyph is grey, held down or not (the held one keeps
// its frame); the hot glyph shows only while the pointer is over the button, not while a press
// is dragged off it.
TEST_F(WxButton, FlatButtonAwayFromThePointerIsGreyEvenHeldAndTheHotGlyphNeedsThePointer) {
  TWxSpeedButton* b = Button();
  b->SetCaption("");
  TBitmap* red = Strip({clRed}, 12);
  TBitmap* blue = Strip({clBlue}, 12);
  b->SetGlyph(red);
  b->SetFlat(true);
  b->SetGroupIndex(1);
  b->SetDown(true);
  const int grey = 77 * 255 / 256;
  EXPECT_TRUE(Has(b, RGB(grey, grey, grey)));
  EXPECT_FALSE(Has(b, clRed));
  EXPECT_EQ(Shown(b, 0, 0), ShiftedColorForTest(ColorToRGB(clBtnFace), -64));  // the held frame
  b->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(Has(b, clRed));
  b->Perform(CM_MOUSELEAVE);
  b->SetDown(false);
  b->SetGroupIndex(0);
  b->SetFlat(false);

  b->SetHotTrack(true);
  b->SetHotTrackGlyph(blue);
  b->Perform(CM_MOUSEENTER);
  Down(b, 5, 5);
  EXPECT_TRUE(Has(b, clBlue));
  b->Perform(CM_MOUSELEAVE);  // dragged off
  Down(b, 100, 100, WM_MOUSEMOVE);
  EXPECT_TRUE(Has(b, clRed));
  EXPECT_FALSE(Has(b, clBlue));
  Up(b, 100, 100);
  Free(red);
  Free(blue);
}

TEST_F(WxButton, CaptionIsShortenedWithDotsWrappedWithWordWrapAndPlacedByAlignment) {
  TWxButtonGlyph glyph;
  HDC dc = CreateCompatibleDC(nullptr);
  TFont* font = New<TFont>();
  font->SetName("Arial");
  font->SetHeight(-13);
  HGDIOBJ old = SelectObject(dc, font->GetHandle());
  auto width = [dc](const std::string& s) {
    SIZE size{};
    GetTextExtentPoint32A(dc, s.c_str(), static_cast<int>(s.size()), &size);
    return static_cast<int>(size.cx);
  };
  const std::string caption = "Start the race now";
  // Beside the (absent) glyph the text space is the width less the spacing of 1.
  const int space = width("Start the") + 2;
  const RECT client{0, 0, space + 1, 60};
  auto place = glyph.Arrange(dc, client, caption, blGlyphLeft, -1, 1, false, 0);
  ASSERT_GE(place.caption.size(), 3u);
  EXPECT_EQ(place.caption.substr(place.caption.size() - 3), "...");
  EXPECT_LE(width(place.caption), space);
  EXPECT_EQ(caption.rfind(place.caption.substr(0, place.caption.size() - 3), 0), 0u);
  // Each line on its own; a caption that fits stays as it is; nothing fits: only the dots.
  place = glyph.Arrange(dc, client, "Start\r\n" + caption, blGlyphLeft, -1, 1, false, 0);
  EXPECT_EQ(place.caption.rfind("Start\r\n", 0), 0u);
  EXPECT_EQ(glyph.Arrange(dc, client, "Start", blGlyphLeft, -1, 1, false, 0).caption, "Start");
  EXPECT_EQ(glyph.Arrange(dc, RECT{0, 0, 3, 20}, "Go go", blGlyphLeft, -1, 1, false, 0).caption, "...");
  // The drop-down mark takes 9 pixels of the text space.
  const RECT wide{0, 0, width(caption) + 2, 60};
  EXPECT_EQ(glyph.Arrange(dc, wide, caption, blGlyphRight, -1, 1, false, 0).caption, caption);
  EXPECT_NE(glyph.Arrange(dc, wide, caption, blGlyphRight, -1, 1, true, 0).caption, caption);
  // Above or below a glyph the text space is the height less glyph, margin and spacing.
  {
    TWxButtonGlyph above;
    TBitmap* square = Strip({clRed}, 10);
    above.SetGlyph(square);
    const int tall = 10 + 2 + 3 + width("Start the") + 1;
    const RECT narrow{0, 0, width("Start") + 1, tall};
    for (TButtonLayout layout : {blGlyphTop, blGlyphBottom})
      EXPECT_EQ(above.Arrange(dc, narrow, "Start the", layout, 2, 3, false, 0).caption, "Start the")
          << layout;
    const RECT flat{0, 0, 400, tall - 2};
    for (TButtonLayout layout : {blGlyphTop, blGlyphBottom})
      EXPECT_NE(above.Arrange(dc, flat, "Start the", layout, 2, 3, false, 0).caption, "Start the") << layout;
    Free(square);
    // Without a glyph nothing is above or below: a wide, low button keeps its caption.
    EXPECT_EQ(glyph.Arrange(dc, RECT{0, 0, 400, 12}, "Start the", blGlyphTop, -1, 1, false, 0).caption,
              "Start the");
  }

  glyph.SetWordWrap(true);
  place = glyph.Arrange(dc, client, caption, blGlyphTop, -1, 1, false, 0);
  EXPECT_EQ(place.caption, caption);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  EXPECT_GE(place.text.bottom - place.text.top, 2 * metrics.tmHeight);
  EXPECT_LE(place.text.right - place.text.left, space);

  // Glyph left of the caption with the mark one pixel after the glyph.
  TBitmap* red = Strip({clRed}, 10);
  glyph.SetGlyph(red);
  place = glyph.Arrange(dc, RECT{0, 0, 200, 40}, "Go", blGlyphLeft, 4, 2, true, 0);
  EXPECT_EQ(place.glyph.x, 4);
  EXPECT_EQ(place.mark.x, 4 + 10 + 1);
  EXPECT_GE(place.text.left, place.mark.x + 7);
  SelectObject(dc, old);
  DeleteDC(dc);
  Free(font);
  Free(red);

  // On a button: left and right alignment move the wrapped lines to the sides.
  TWxSpeedButton* b = Button();
  b->SetBounds(10, 10, 120, 60);
  b->SetCaption("Word wrapped caption of a race button");
  b->SetWordWrap(true);
  auto left_most = [&] {
    TBitmap* picture = PictureOf(form);
    int found = 1000;
    for (int y = 3; y < 57; ++y)
      for (int x = 3; x < 117; ++x)
        if (PixelAt(picture, form, 10 + x, 10 + y) == clBlack) found = std::min(found, x);
    Free(picture);
    return found;
  };
  b->SetAlignment(taLeftJustify);
  const int left = left_most();
  b->SetAlignment(taRightJustify);
  const int right = left_most();
  EXPECT_GT(right, left);
  // Read right to left (the form's order, which the button follows), the two sides swap.
  form->SetBiDiMode(bdRightToLeft);
  b->SetAlignment(taLeftJustify);
  EXPECT_EQ(left_most(), right);
}

TEST_F(WxButton, StylesAndThemedPaintDrawTheirOwnFramesAndMoveThePressedImage) {
  TWxSpeedButton* b = Button();
  const TColor face = ColorToRGB(clBtnFace), frame = ColorToRGB(clWindowFrame);
  const TColor light = ShiftedColorForTest(face, 64), dark = ShiftedColorForTest(face, -64);
  b->SetStyle(bsWin31);
  EXPECT_EQ(Shown(b, 0, 0), frame);
  EXPECT_EQ(Shown(b, 1, 1), light);
  EXPECT_EQ(Shown(b, 58, 28), dark);
  b->SetStyle(bsNew);
  EXPECT_EQ(Shown(b, 0, 0), light);
  // Pressed, a glyph at its margin moves by the image offset in every style: the pressed
  // frame takes as much room as the raised one.
  TBitmap* red = Strip({clRed}, 8);
  b->SetGlyph(red);
  b->SetCaption("");
  b->SetLayout(blGlyphLeft);
  b->SetMargin(0);
  auto first_red = [&] {
    for (int x = 0; x < 60; ++x)
      if (Shown(b, x, 15) == clRed) return x;
    return -1;
  };
  for (TButtonStyle style : {bsWin31, bsNew}) {
    b->SetStyle(style);
    const int up = first_red();
    Down(b, 5, 5);
    EXPECT_EQ(first_red(), up + 1) << style;
    Up(b, 5, 5);
  }
  b->SetGlyph(nullptr);
  b->SetCaption("Go");
  b->SetStyle(bsNew);
  Free(red);

  // Themed: the caption moves one pixel right, not down, while pressed.
  PinWxVisualStyles(true);
  b->Invalidate();
  auto first_black = [&] {
    TBitmap* picture = PictureOf(form);
    for (int x = 2; x < 58; ++x)
      for (int y = 2; y < 28; ++y)
        if (PixelAt(picture, form, 10 + x, 10 + y) == clBlack) {
          Free(picture);
          return POINT{x, y};
        }
    Free(picture);
    return POINT{-1, -1};
  };
  const POINT up = first_black();
  ASSERT_GE(up.x, 0);
  Down(b, 5, 5);
  const POINT pressed = first_black();
  EXPECT_EQ(pressed.x, up.x + 1);
  EXPECT_EQ(pressed.y, up.y);
  Up(b, 5, 5);
}

TEST_F(WxButton, TransparentButtonShowsTheParentAndTheWindowlessSiblingsBelowIt) {
  auto* below = Make<TTestShape>(0, 0, 40, 50);
  below->SetColor(clLime);
  TWxSpeedButton* b = Button(20, 20);
  b->SetCaption("");
  b->SetFlat(true);
  b->SetTransparent(true);
  for (bool buffered : {true, false}) {
    b->SetDoubleBuffered(buffered);
    b->Invalidate();
    EXPECT_EQ(Shown(b, 10, 10), clLime) << buffered;  // over the shape below
    EXPECT_EQ(Shown(b, 30, 10), clNavy) << buffered;  // over the form only
  }
  // Over a striped panel the panel's own picture shows at the button's place in it.
  auto* panel = Make<TStripedPanel>(100, 100, 200, 100);
  TWxSpeedButton* on_panel = Button(30, 30);
  on_panel->SetParent(panel);
  on_panel->SetCaption("");
  on_panel->SetFlat(true);
  on_panel->SetTransparent(true);
  TBitmap* picture = PictureOf(form);
  EXPECT_EQ(PixelAt(picture, form, 100 + 30 + 5, 100 + 30 + 5), clRed);
  EXPECT_EQ(PixelAt(picture, form, 100 + 30 + 50, 100 + 30 + 5), clBlue);
  Free(picture);
}

TEST_F(WxButton, DropDownMenuOpensAtItsPositionRunsTheChosenItemAndNeverClicks) {
  TDesktopLock desktop;
  form->Show();
  TWxSpeedButton* b = Button();
  auto* menu = New<TPopupMenu>(form);
  auto* item = New<TMenuItem>(menu);
  item->SetCaption("Lane 1");
  menu->GetItems()->Add(item);
  const TColor text = ColorToRGB(clBtnText);
  b->GetFont()->SetColor(clRed);
  EXPECT_FALSE(Has(b, text));
  b->SetDropDownMenu(menu);
  EXPECT_TRUE(Has(b, text));  // the arrow
  b->SetMarkDropDown(false);
  EXPECT_FALSE(Has(b, text));

  struct TProbe : TObject {
    TWxSpeedButton* button;
    HWND form;
    int items = 0;
    bool tracking = false, pressed = false;
    TComponent* caller = nullptr;
    void Popup(TObject* sender) {
      caller = static_cast<TPopupMenu*>(sender)->GetPopupComponent();
      tracking = button->GetMenuTracking();
      pressed = button->GetState() == wbsDown;
      for (WORD key : {VK_DOWN, VK_RETURN}) PostMessageA(form, WM_KEYDOWN, key, 1);
    }
    // A click on the button queued behind a quit asked for while the menu was open: the quit
    // stays pending.
    void Item(TObject*) {
      ++items;
      PostMessageA(form, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(15, 15));
      PostQuitMessage(7);
    }
  } probe;
  probe.button = b;
  probe.form = form->GetHandle();
  menu->OnPopup = TNotifyEvent(&probe, &TProbe::Popup);
  item->OnClick = TNotifyEvent(&probe, &TProbe::Item);
  {
    TMenuLoopWatch watch;
    Down(b, 5, 5);
    EXPECT_EQ(watch.Entered(), 1);
  }
  EXPECT_EQ(probe.caller, b);
  EXPECT_TRUE(probe.tracking);
  EXPECT_TRUE(probe.pressed);
  EXPECT_EQ(probe.items, 1);
  EXPECT_EQ(clicks.count, 0);
  EXPECT_EQ(b->GetState(), wbsUp);
  EXPECT_FALSE(b->GetMenuTracking());
  EXPECT_FALSE(b->GetDragging());
  MSG msg;
  EXPECT_TRUE(PeekMessageA(&msg, form->GetHandle(), WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE));
  ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
  Up(b, 5, 5);
  EXPECT_EQ(clicks.count, 0);

  // The opening point by position and the menu's alignment; a freed menu is forgotten.
  const POINT origin = b->ClientToScreen({0, 0});
  struct TCase {
    TWxDropDownMenuPos position;
    TPopupAlignment alignment;
    POINT at;
  };
  for (TCase c : {TCase{dmpBottom, paLeft, {0, 30}}, TCase{dmpBottom, paRight, {61, 30}},
                  TCase{dmpBottom, paCenter, {30, 30}}, TCase{dmpRight, paLeft, {60, -1}},
                  TCase{dmpRight, paRight, {-1, -1}}, TCase{dmpRight, paCenter, {30, 30}}}) {
    b->SetMenuPosition(c.position);
    menu->SetAlignment(c.alignment);
    const POINT at = b->MenuPoint();
    EXPECT_EQ(at.x - origin.x, c.at.x) << c.position << c.alignment;
    EXPECT_EQ(at.y - origin.y, c.at.y) << c.position << c.alignment;
  }
  Free(menu);
  EXPECT_EQ(b->GetDropDownMenu(), nullptr);
}

POINT g_cursor{-10000, -10000};
bool TestCursor(POINT* screen) {
  *screen = g_cursor;
  return true;
}

TEST_F(WxButton, HotTrackingFollowsTheControlUnderTheCursorWhileTheFormIsActive) {
  TDesktopLock desktop;
  tk_detail::SetCursorSource(&TestCursor);
  form->Show();
  SetForegroundWindow(form->GetHandle());
  ASSERT_TRUE(PumpUntil([&] { return GetActiveWindow() == form->GetHandle(); }));
  TWxSpeedButton* b = Button();
  auto* above = Make<TTestShape>(40, 10, 30, 30);  // covers the button's right part
  g_cursor = b->ClientToScreen({10, 10});
  b->UpdateTracking();
  EXPECT_TRUE(b->GetMouseOver());
  g_cursor = b->ClientToScreen({45, 10});
  b->UpdateTracking();
  EXPECT_FALSE(b->GetMouseOver());
  above->SetEnabled(false);  // disabled controls count too
  b->UpdateTracking();
  EXPECT_FALSE(b->GetMouseOver());
  // A right button's messages and showing the button again look at the cursor.
  g_cursor = b->ClientToScreen({10, 10});
  Up(b, 10, 10, WM_RBUTTONUP);
  EXPECT_TRUE(b->GetMouseOver());
  b->Hide();
  b->Perform(CM_MOUSELEAVE);
  b->Show();
  EXPECT_TRUE(b->GetMouseOver());
  b->SetEnabled(false);
  EXPECT_FALSE(b->GetMouseOver());
  b->SetEnabled(true);
  EXPECT_TRUE(b->GetMouseOver());
  // Not while another thread's window is active.
  b->Perform(CM_MOUSELEAVE);
  SetActiveWindow(nullptr);
  ASSERT_TRUE(PumpUntil([] { return GetActiveWindow() == nullptr; }));
  b->UpdateTracking();
  EXPECT_FALSE(b->GetMouseOver());
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
  // Copies of this program run these tests side by side: each keeps a guard of its own.
  void SetUp() override { SetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", Instance().c_str()); }
  static std::string Instance() { return "guard-test-" + std::to_string(GetCurrentProcessId()); }
  void TearDown() override {
    SetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", nullptr);
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
  // The desktop is no part of the name; only the tests' own setting keeps copies apart.
  EXPECT_EQ(there, Application->GetTitle() + "@" + Instance());
  SetEnvironmentVariableA("DRAVOLIN_TEST_INSTANCE", nullptr);
  EXPECT_EQ(TXJustOne::MutexName(), Application->GetTitle());
}

// Denied is how a copy in another session shows: the guard cannot tell, so it ends.
TEST_F(Guard, FailedMutexCountsAsARunningCopyInSightOrNot) {
  TXJustOne::SetMutexCreator(&FailingMutex);
  EXPECT_TRUE(Check()->GetRefused());
  EXPECT_EQ(raised.count, 1);
  EXPECT_TRUE(QuitPosted());
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

TEST_F(Markup, TagValuesSetTheFontAndBadOnesEndTheParseWithAConversionError) {
  struct TCase {
    const char* attribute;
    TColor color;
    int size;
  };
  for (TCase c : {TCase{R"(color="#FF0000")", clRed, 10}, TCase{R"(color="$0000FF")", clBlue, 10},
                  TCase{R"(color="green")", clGreen, 10}, TCase{R"(color="clGreen")", clGreen, 10},
                  TCase{R"(color="r")", clBlack, 10}, TCase{R"(size="14")", clBlack, 14},
                  TCase{R"(size="0")", clBlack, 0}, TCase{R"(size="-20")", clBlack, -20}}) {
    TWxMarkupLabel* l = Label(std::string("a <font ") + c.attribute + ">b</font> c");
    ASSERT_EQ(l->Elements().Count(), 3) << c.attribute;
    EXPECT_EQ(l->Elements()[1].FontColor, c.color) << c.attribute;
    EXPECT_EQ(l->Elements()[1].FontSize, c.size) << c.attribute;
    // Size 0 is the default height, a negative one measures the cell: both are laid out.
    EXPECT_GT(l->Elements()[1].Height, 0) << c.attribute;
    EXPECT_EQ(l->Elements()[2].FontColor, clBlack) << c.attribute;
    EXPECT_EQ(l->Elements()[2].FontSize, 10) << c.attribute;
    Free(l);
  }
  // A size that is no decimal integer or a colour the conversion rejects reaches whoever set
  // the text; the runs before the tag are kept and shown.
  for (const char* attribute : {R"(size="big")", R"(size="12pt")", R"(size="$10")", R"(size="")",
                                R"(color="#GG0000")", R"(color="#12")", R"(color="nocolour")"}) {
    TWxMarkupLabel* l = Label("");
    EXPECT_THROW(l->SetText(std::string("a <font ") + attribute + ">b</font> c"), EConvertError) << attribute;
    EXPECT_EQ(Runs(l), "a ") << attribute;
    EXPECT_GT(l->Elements()[0].Width, 0) << attribute;
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

TEST_F(Markup, EveryRunPlacesAWordOnItsLineAndLosesItsLeadingBlanks) {
  // A run that does not fit the rest of the line still puts its first word there.
  TWxMarkupLabel* l = Label("aaaa <b>bbbb</b>");
  l->SetWidth(1000);
  const int wide = l->Layout()[0][1].X;
  l->SetWidth(wide + 5);  // room for "aaaa " and the right margin only
  auto lines = l->Layout();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0][1].Text, "bbbb");
  // Each run is drawn from its first letter, at the line's start and after a tag alike.
  l->SetWidth(300);
  l->SetText("a<b>b</b>");
  const int glued = l->Layout()[0][1].X;
  l->SetText("a<b> b</b><br><i>  c</i>");
  lines = l->Layout();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0][1].Text, "b");
  EXPECT_EQ(lines[0][1].X, glued);
  EXPECT_EQ(lines[1][0].Text, "c");
  EXPECT_EQ(lines[1][0].X, 5);
}

TEST_F(Markup, AutoSizeFitsTheWidestUnwrappedLineAndTheLinesWithTheMarginsFromADefinition) {
  RegisterWidgetClasses();
  auto* defined = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(
      defined,
      "object Defined: TForm\n  object Label: TWxMarkupLabel\n    Width = 40\n    Height = 20\n"
      "    AutoSize = True\n    Alignment = taCenter\n    MarginLeft = 3\n    MarginRight = 7\n"
      "    MarginTop = 2\n    Font.Name = 'Arial'\n    Text = 'short<br><b>a much longer line</b>'\n"
      "  end\nend\n",
      "label.form");
  auto* label = DynamicCast<TWxMarkupLabel>(defined->FindComponent("Label"));
  ASSERT_TRUE(label);
  const auto lines = label->Layout();
  ASSERT_EQ(lines.size(), 2u);  // no wrapping however narrow the label was
  const TWxHTMLElement &first = label->Elements()[0], &second = label->Elements()[1];
  // Every line starts at the left margin, whatever the alignment.
  EXPECT_EQ(lines[0][0].X, 3);
  EXPECT_EQ(lines[1][0].X, 3);
  EXPECT_EQ(label->GetWidth(), 3 + second.Width + 7);
  EXPECT_EQ(label->GetHeight(), 2 + first.Height + second.Height + 5);
  Free(defined);
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
