// The image control: the picture's place for each scale mode and alignment, the back buffer's
// reserve, and the paint stages drawing into the buffer (compared with the stretch transfer).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "bitmap32/image32.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/messages.h"
#include "toolkit/typinfo.h"

namespace {

class TTestImage : public TImage32 {
 public:
  explicit TTestImage(TComponent* owner) : TImage32(owner) {}
  using TCustomImage32::DoPaintBuffer;
};

// A container that notes every mouse enter and leave it hears, with the control named.
class TMouseLog : public TCustomControl {
 public:
  explicit TMouseLog(TComponent* owner) : TCustomControl(owner) {}
  std::vector<std::pair<UINT, LPARAM>> heard;

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == CM_MOUSEENTER || message.Msg == CM_MOUSELEAVE)
      heard.emplace_back(message.Msg, message.LParam);
    TCustomControl::WndProc(message);
  }
};

bool SameRect(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Image32 : public testing::Test {
 protected:
  void SetUp() override { form = New<TForm>(nullptr, kCreateNew); }
  void TearDown() override {
    Free(form);
    Pump();
  }
  TTestImage* Image(int width, int height, int bitmap_width, int bitmap_height) {
    auto* image = New<TTestImage>(form);
    image->SetParent(form);
    image->SetBounds(0, 0, width, height);
    image->GetBitmap()->SetSize(bitmap_width, bitmap_height);
    // A picture that varies in both directions, so a resampling shows.
    for (int y = 0; y < bitmap_height; ++y)
      for (int x = 0; x < bitmap_width; ++x)
        image->GetBitmap()->SetPixel(x, y,
                                     0xFF000000 | (x * 255 / bitmap_width) << 16 |
                                         (y * 255 / bitmap_height) << 8 | ((x + y) % 7) * 30);
    return image;
  }
  TForm* form = nullptr;
};

}  // namespace

TEST_F(Image32, ScaleModesAndAlignmentPlaceThePicture) {
  TTestImage* image = Image(257, 31, 191, 42);
  image->SetScaleMode(smStretch);
  EXPECT_TRUE(SameRect(image->GetBitmapRect(), RECT{0, 0, 257, 31}));
  TTestImage* other = Image(300, 300, 100, 50);
  other->SetScaleMode(smResize);
  EXPECT_TRUE(SameRect(other->GetBitmapRect(), RECT{0, 0, 300, 150}));
  other->SetBitmapAlign(baCenter);
  EXPECT_TRUE(SameRect(other->GetBitmapRect(), RECT{0, 75, 300, 225}));
  other->SetScaleMode(smScale);
  other->SetScale(2.5f);
  EXPECT_TRUE(SameRect(other->GetBitmapRect(), RECT{25, 87, 275, 212}));
  other->SetScale(0);
  EXPECT_FLOAT_EQ(other->GetScale(), 0.001f);
  other->SetScale(2.5f);
  for (float broken : {std::nanf(""), std::numeric_limits<float>::infinity()}) {
    other->SetScale(broken);  // refused
    EXPECT_FLOAT_EQ(other->GetScale(), 2.5f);
  }
  other->SetScale(0);
  other->SetScaleMode(smNormal);
  other->SetBitmapAlign(baCustom);
  other->SetOffset(10.5f, 3.5f);  // halves to even
  EXPECT_TRUE(SameRect(other->GetBitmapRect(), RECT{10, 4, 110, 54}));
  other->GetBitmap()->Delete();
  EXPECT_TRUE(SameRect(other->GetBitmapRect(), RECT{0, 0, 0, 0}));
  EXPECT_THROW(other->EndUpdate(), EAssertionFailed);
  other->GetLayers().BeginUpdate();
  other->GetLayers().EndUpdate();
  EXPECT_THROW(other->GetLayers().EndUpdate(), EAssertionFailed);
  EXPECT_EQ(other->GetLayers().Count(), 0);
}

TEST_F(Image32, TheStretchedLogoIsTheStretchTransferOfThePicture) {
  TTestImage* image = Image(257, 31, 191, 42);
  image->SetScaleMode(smStretch);
  image->GetBitmap()->SetStretchFilter(sfSpline);
  image->ResizeBuffer();
  image->DoPaintBuffer();
  EXPECT_TRUE(image->GetBufferValid());
  auto* expected = New<TBitmap32>();
  expected->SetSize(257, 31);
  StretchTransfer(expected, RECT{0, 0, 257, 31}, RECT{0, 0, 257, 31}, image->GetBitmap(), RECT{0, 0, 191, 42},
                  sfSpline, dmOpaque, nullptr);
  int differing = 0;
  for (int y = 0; y < 31; ++y)
    for (int x = 0; x < 257; ++x)
      differing += (image->GetBuffer()->GetPixel(x, y) & 0xFFFFFF) != (expected->GetPixel(x, y) & 0xFFFFFF);
  EXPECT_EQ(differing, 0);
  Free(expected);
}

TEST_F(Image32, TheBackgroundIsClearedOnlyWhereThePictureLeavesRoom) {
  TTestImage* image = Image(120, 60, 100, 50);
  image->SetColor(clNavy);
  image->ResizeBuffer();
  image->GetBuffer()->Clear(0xFF123456);
  // Only the background stage: around a 100 x 50 picture at the top left, two bands.
  image->GetPaintStages().Clear();
  image->GetPaintStages().Add().Stage = PST_CLEAR_BACKGND;
  image->DoPaintBuffer();
  EXPECT_EQ(image->GetBuffer()->GetPixel(50, 25), 0xFF123456u);
  EXPECT_EQ(image->GetBuffer()->GetPixel(110, 10), 0xFF000080u);
  EXPECT_EQ(image->GetBuffer()->GetPixel(10, 55), 0xFF000080u);
  // A picture that covers the control: nothing at all.
  image->SetScaleMode(smStretch);
  image->GetBuffer()->Clear(0xFF123456);
  image->DoPaintBuffer();
  EXPECT_EQ(image->GetBuffer()->GetPixel(110, 10), 0xFF123456u);
  // No picture: the whole control navy.
  image->GetBitmap()->Delete();
  image->DoPaintBuffer();
  for (POINT p : {POINT{0, 0}, POINT{50, 25}, POINT{119, 59}})
    EXPECT_EQ(image->GetBuffer()->GetPixel(p.x, p.y), 0xFF000080u);
}

TEST_F(Image32, TiledPicturesCoverTheBufferAndTheClearStageWipesIt) {
  TTestImage* image = Image(10, 5, 3, 2);
  image->SetBitmapAlign(baTile);
  image->SetColor(clNavy);
  image->ResizeBuffer();
  image->GetBuffer()->Clear(0xFF123456);
  image->DoPaintBuffer();
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 10; ++x)
      EXPECT_EQ(image->GetBuffer()->GetPixel(x, y), image->GetBitmap()->GetPixel(x % 3, y % 2))
          << x << "," << y;
  // The clear-buffer stage paints the whole buffer in the colour, picture or not.
  image->GetPaintStages().Clear();
  image->GetPaintStages().Add().Stage = PST_CLEAR_BUFFER;
  image->DoPaintBuffer();
  for (POINT p : {POINT{0, 0}, POINT{5, 2}, POINT{9, 4}})
    EXPECT_EQ(image->GetBuffer()->GetPixel(p.x, p.y), 0xFF000080u);
}

// When reading ends the image's owner may set its own stages; the overlay follows every paint,
// the one that redraws the buffer and the one that only copies it.
TEST_F(Image32, InitStagesReplacesTheStagesAndTheOverlayFollowsEveryPaint) {
  TDesktopLock desktop;
  form->SetBounds(30, 30, 300, 100);
  TTestImage* image = Image(50, 20, 5, 5);
  struct TOwner : TObject {
    int overlays = 0;
    void Init(TObject* sender) {
      auto* image = static_cast<TCustomImage32*>(sender);
      image->GetPaintStages().Clear();
      image->GetPaintStages().Add().Stage = PST_CLEAR_BUFFER;
    }
    void Overlay(TObject*) { ++overlays; }
  } owner;
  image->OnInitStages = TNotifyEvent(&owner, &TOwner::Init);
  image->OnGDIOverlay = TNotifyEvent(&owner, &TOwner::Overlay);
  image->Loaded();
  ASSERT_EQ(image->GetPaintStages().Count(), 1);
  EXPECT_EQ(image->GetPaintStages().Items(0).Stage, PST_CLEAR_BUFFER);
  image->SetColor(clNavy);
  form->Show();
  HWND window = image->GetHandle();
  ASSERT_TRUE(PumpUntil([&] { return owner.overlays > 0 && !GetUpdateRect(window, nullptr, FALSE); }));
  EXPECT_EQ(image->GetBuffer()->GetPixel(2, 2), 0xFF000080u);  // the picture is no stage any more
  const int painted = owner.overlays;
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(owner.overlays, painted + 1);
}

TEST_F(Image32, OptionsAskForTheArrowKeysAndTheFocusOnAPress) {
  TDesktopLock desktop;
  form->SetBounds(30, 30, 300, 100);
  TTestImage* image = Image(50, 20, 5, 5);
  form->Show();
  HWND window = image->GetHandle();
  EXPECT_FALSE(SendMessageA(window, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_NE(GetFocus(), window);
  image->SetOptions(TCustomPaintBox32::pboWantArrowKeys | TCustomPaintBox32::pboAutoFocus);
  EXPECT_TRUE(SendMessageA(window, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS);
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
  EXPECT_EQ(GetFocus(), window);
}

TEST_F(Image32, APictureScaledToNoSizePaintsOnlyTheBackground) {
  // 1000 x 1 scaled by 0.001, or fitted into 50 x 50: one side rounds to 0.
  for (TScaleMode mode : {smScale, smResize}) {
    TTestImage* image = Image(50, 50, 1000, 1);
    image->SetColor(clNavy);
    image->SetScaleMode(mode);
    image->SetScale(0.001f);
    image->ResizeBuffer();
    image->GetBuffer()->Clear(0xFF123456);
    EXPECT_NO_THROW(image->DoPaintBuffer()) << mode;
    EXPECT_TRUE(image->GetBufferValid());
    for (POINT p : {POINT{0, 0}, POINT{25, 0}, POINT{49, 49}})
      EXPECT_EQ(image->GetBuffer()->GetPixel(p.x, p.y), 0xFF000080u) << mode;
  }
}

TEST_F(Image32, TheBufferGrowsWithAReserveAndShrinksOnlyPastIt) {
  // Made at 192 x 192 (buffer 232 x 232), then set to 100 x 50: more than 40 too large, fitted.
  TTestImage* image = Image(100, 50, 10, 10);
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 100);
  EXPECT_EQ(image->GetBuffer()->GetHeight(), 50);
  image->SetBounds(0, 0, 101, 51);  // 1 more: the new size plus 40
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 141);
  EXPECT_EQ(image->GetBuffer()->GetHeight(), 91);
  image->SetBounds(0, 0, 131, 81);  // within the reserve: kept
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 141);
  image->SetBounds(0, 0, 121, 71);  // 10 smaller: kept
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 141);
  EXPECT_EQ(image->GetBuffer()->GetHeight(), 91);
  image->SetBounds(0, 0, 100, 50);  // more than 40 too large: fitted again
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 100);
  // A paint resizes it the same way (the window is never shown here: called directly).
  image->ResizeBuffer();
  EXPECT_EQ(image->GetBuffer()->GetWidth(), 100);
}

TEST_F(Image32, AnUncoveredImageIsOneBlitOfTheValidBuffer) {
  TDesktopLock desktop;
  form->SetBounds(30, 30, 300, 100);
  TTestImage* image = Image(257, 31, 191, 42);
  image->SetScaleMode(smStretch);
  int stages = 0;
  struct TCounter : TObject {
    int* count;
    void Stage(TObject*, TBitmap32*, uint32_t) { ++*count; }
  } counter;
  counter.count = &stages;
  image->GetPaintStages().Add().Stage = PST_CUSTOM;
  image->OnPaintStage = TPaintStageEvent(&counter, &TCounter::Stage);
  form->Show();
  HWND window = image->GetHandle();
  ASSERT_TRUE(PumpUntil([&] { return stages > 0 && !GetUpdateRect(window, nullptr, FALSE); }));
  const int drawn = stages;
  // A repaint that is not an Invalidate (the window uncovered) keeps the buffer.
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
  EXPECT_EQ(stages, drawn);
  image->Invalidate();
  UpdateWindow(window);
  EXPECT_EQ(stages, drawn + 1);
}

TEST_F(Image32, AutoSizeFollowsThePictureAndItsScale) {
  TTestImage* image = Image(10, 10, 10, 10);
  image->SetAutoSize(true);
  image->GetBitmap()->SetSize(60, 30);
  EXPECT_EQ(image->GetWidth(), 60);
  EXPECT_EQ(image->GetHeight(), 30);
  image->SetScaleMode(smScale);
  image->SetScale(2);
  image->GetBitmap()->SetSize(40, 20);
  EXPECT_EQ(image->GetWidth(), 80);
  EXPECT_EQ(image->GetHeight(), 40);
  image->SetScale(0.001f);  // 100 x 100 scaled to nothing: the size stays
  image->GetBitmap()->SetSize(100, 100);
  EXPECT_EQ(image->GetWidth(), 80);
  EXPECT_EQ(image->GetHeight(), 40);
  // Switched on, it takes the picture's size at once.
  TTestImage* other = Image(200, 100, 60, 30);
  other->SetAutoSize(true);
  EXPECT_EQ(other->GetWidth(), 60);
  EXPECT_EQ(other->GetHeight(), 30);
}

TEST_F(Image32, MouseEventsNameNoLayerAndALeftPressHoldsTheMouseUntilItsRelease) {
  TTestImage* image = Image(100, 50, 10, 10);
  struct TLog : TObject {
    std::vector<std::string> seen;
    void Press(TObject*, TMouseButton button, TShiftState, int x, int y, TCustomLayer* layer) {
      seen.push_back("press " + std::to_string(button) + " " + std::to_string(x) + "," + std::to_string(y) +
                     (layer ? " layer" : ""));
    }
    void Move(TObject*, TShiftState, int x, int y, TCustomLayer* layer) {
      seen.push_back("move " + std::to_string(x) + "," + std::to_string(y) + (layer ? " layer" : ""));
    }
    void Release(TObject*, TMouseButton, TShiftState, int, int, TCustomLayer* layer) {
      seen.push_back(std::string("release") + (layer ? " layer" : ""));
    }
  } log;
  image->OnMouseDown = TImgMouseEvent(&log, &TLog::Press);
  image->OnMouseMove = TImgMouseMoveEvent(&log, &TLog::Move);
  image->OnMouseUp = TImgMouseEvent(&log, &TLog::Release);
  HWND window = image->GetHandle();
  SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(7, 8));
  EXPECT_EQ(GetCapture(), window);
  image->SetCursor(crHandPoint);
  SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(9, 10));
  EXPECT_EQ(Screen->GetCursor(), crHandPoint);  // no layer under the mouse: the image's cursor
  SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(9, 10));
  EXPECT_EQ(GetCapture(), nullptr);
  image->Perform(CM_MOUSEENTER);
  image->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(Screen->GetCursor(), crDefault);
  SendMessageA(window, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(1, 2));
  EXPECT_EQ(GetCapture(), nullptr);
  SendMessageA(window, WM_RBUTTONUP, 0, MAKELPARAM(1, 2));
  EXPECT_EQ(log.seen,
            (std::vector<std::string>{"press 0 7,8", "move 9,10", "release", "press 1 1,2", "release"}));
  Screen->SetCursor(crDefault);
}

TEST_F(Image32, ScaleIsReadFromTheFormAsAWholeOrAFractionalNumber) {
  RegisterImage32Class();
  for (auto [text, scale] : {std::pair{"2.5", 2.5f}, std::pair{"3", 3.0f}, std::pair{"1.25E-1", 0.125f}}) {
    auto* defined = New<TForm>(nullptr, kCreateNew);
    ReadComponentFromText(
        defined,
        std::string("object Defined: TForm\n  object Logo: TImage32\n    Scale = ") + text + "\n  end\nend\n",
        "logo.form");
    auto* logo = DynamicCast<TImage32>(defined->FindComponent("Logo"));
    ASSERT_TRUE(logo);
    EXPECT_EQ(logo->GetScale(), scale) << text;
    Free(defined);
  }
  auto* broken = New<TForm>(nullptr, kCreateNew);
  EXPECT_THROW(
      ReadComponentFromText(broken, "object B: TForm\n  object L: TImage32\n    Scale = 2.5x\n  end\nend\n",
                            "broken.form"),
      Exception);
  Free(broken);
}

// The image is a container, as a picture with controls on it; the mouse over it reaches the
// control under it too, and its stages may be bound from a form definition.
TEST_F(Image32, ItHoldsChildrenClippedAndItsParentHearsTheMouseOverIt) {
  auto* panel = New<TMouseLog>(form);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 200, 100);
  TTestImage* image = Image(100, 50, 10, 10);
  image->SetParent(panel);
  EXPECT_TRUE(image->GetControlStyle().Contains(csAcceptsControls));
  EXPECT_TRUE(GetWindowLongA(image->GetHandle(), GWL_STYLE) & WS_CLIPCHILDREN);
  EXPECT_TRUE(GetWindowLongA(image->GetHandle(), GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
  struct TLog : TObject {
    int entered = 0, left = 0;
    void Enter(TObject*) { ++entered; }
    void Leave(TObject*) { ++left; }
  } log;
  image->OnMouseEnter = TNotifyEvent(&log, &TLog::Enter);
  image->OnMouseLeave = TNotifyEvent(&log, &TLog::Leave);
  image->Perform(CM_MOUSEENTER);
  image->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(log.entered, 1);
  EXPECT_EQ(log.left, 1);
  const auto named = reinterpret_cast<LPARAM>(image);
  EXPECT_EQ(panel->heard,
            (std::vector<std::pair<UINT, LPARAM>>{{CM_MOUSEENTER, named}, {CM_MOUSELEAVE, named}}));
  const TPropInfo* stage = GetPropInfo(image, "OnPaintStage");
  ASSERT_TRUE(stage);
  EXPECT_TRUE(stage->get_method);
}
