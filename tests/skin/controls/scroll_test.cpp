// The skinned scroll bar, list box and up-down on a shown form: a skin of plain coloured
// sections built in memory (normal and hot colours differ), mouse input posted to the windows.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>
#include <vector>

#include "skin/controls/slistbox.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/supdown.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyleprops.h"
#include "skin/engine/sstyles.h"
#include "skin/engine/sutils.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/timers.h"
#include "toolkit/typinfo.h"

namespace {

constexpr TColor kFormColor = 0x00C0C0C0;
constexpr TColor kButton = 0x00204080, kButtonHot = 0x002060C0;
constexpr TColor kTrack1 = 0x00808000, kTrack2 = 0x00008080, kTrackHot = 0x00A0A000;
constexpr TColor kSlider = 0x00400040, kSliderHot = 0x00A000A0;

TsGeneralData Section(const std::string& name, TColor color, TColor hot) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = color;
  s.HotPaintingColor = hot;
  return s;
}

LPARAM At(POINT p) { return MAKELPARAM(p.x, p.y); }

// The system's hit test of a client point of the control (it comes in screen coordinates).
void HitTest(TWinControl* control, POINT client) {
  ClientToScreen(control->GetHandle(), &client);
  control->Perform(WM_NCHITTEST, 0, MAKELPARAM(client.x, client.y));
}
POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

std::vector<std::string> g_errors;
void RecordError(const std::string& text, TsMessageKind) { g_errors.push_back(text); }

struct Counter : TObject {
  int changes = 0;
  int clicks = 0;
  std::vector<std::pair<TScrollCode, int>> scrolls;
  void Change(TObject*) { ++changes; }
  void Click(TObject*, TUDBtnType) { ++clicks; }
  void Scroll(TObject*, TScrollCode code, int& position) { scrolls.emplace_back(code, position); }
};

class Scroll : public testing::Test {
 protected:
  void SetUp() override {
    manager = New<TsSkinManager>(nullptr);
    saved_message_proc = SkinMessageProc;
    SkinMessageProc = &RecordError;
    g_errors.clear();
  }
  void TearDown() override {
    SkinMessageProc = saved_message_proc;
    tk_detail::SetCursorSource(nullptr);
    Free(form);
    Pump();
    Free(manager);
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
    UpdateCommonSkinIndexes();
  }
  void LoadSkin() {
    for (const char* name : {"SCROLLBTNTOP", "SCROLLBTNBOTTOM", "SCROLLBTNLEFT", "SCROLLBTNRIGHT"})
      SkinGeneralData.push_back(Section(name, kButton, kButtonHot));
    SkinGeneralData.push_back(Section("SCROLLBAR1H", kTrack1, kTrackHot));
    SkinGeneralData.push_back(Section("SCROLLBAR1V", kTrack1, kTrackHot));
    SkinGeneralData.push_back(Section("SCROLLBAR2H", kTrack2, kTrackHot));
    SkinGeneralData.push_back(Section("SCROLLBAR2V", kTrack2, kTrackHot));
    SkinGeneralData.push_back(Section("SCROLLSLIDERH", kSlider, kSliderHot));
    SkinGeneralData.push_back(Section("SCROLLSLIDERV", kSlider, kSliderHot));
    SkinGeneralData.push_back(Section("TSSCROLLBAR", kTrack1, kTrack1));
    SkinGeneralData.push_back(Section("TSLISTBOX", clWhite, clWhite));
    SkinData().SkinLoaded = true;
    UpdateCommonSkinIndexes();
  }
  void MakeForm() {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(40, 40, 360, 280);
    form->SetColor(kFormColor);
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  }
  TsUpDown* MakeUpDown(int min, int max) {
    auto* ud = New<TsUpDown>(form);
    ud->SetBounds(100, 20, 17, 24);
    ud->SetMin(min);
    ud->SetMax(max);
    ud->SetParent(form);
    return ud;
  }
  TsScrollBar* MakeBar(TScrollBarKind kind, int length = 200) {
    auto* bar = New<TsScrollBar>(form);
    bar->SetKind(kind);
    if (kind == sbHorizontal)
      bar->SetBounds(10, 10, length, 17);
    else
      bar->SetBounds(10, 10, 17, length);
    bar->SetParent(form);
    return bar;
  }
  TColor Pixel(TWinControl* control, POINT p) {
    TBitmap* picture = PictureOf(control);
    TColor c = PixelAt(picture, control, p.x, p.y);
    Free(picture);
    return c;
  }
  // The cursor is put where the posted message points first: the system's own mouse moves
  // (after a window changes under the cursor) reach a bar holding the mouse and must agree,
  // or they end an arrow's repeat.
  void Post(TWinControl* control, UINT msg, POINT p, WPARAM keys = 0) {
    POINT screen = p;
    ClientToScreen(control->GetHandle(), &screen);
    if (msg == WM_MOUSELEAVE) screen = POINT{0, 0};
    ASSERT_TRUE(PlaceCursor(screen));
    PostMessageA(control->GetHandle(), msg, keys, At(p));
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TsMessageProc saved_message_proc = nullptr;
};

int SliderLength(TsScrollBar* bar) {
  const RECT r = bar->PartRect(spSlider);
  return bar->GetKind() == sbHorizontal ? r.right - r.left : r.bottom - r.top;
}

// The slider lies inside the track (between the arrows) and is at least 1 pixel long.
void ExpectSliderInTrack(TsScrollBar* bar) {
  const RECT slider = bar->PartRect(spSlider);
  const RECT first = bar->PartRect(spFirstButton), second = bar->PartRect(spSecondButton);
  const bool h = bar->GetKind() == sbHorizontal;
  EXPECT_GE(h ? slider.left : slider.top, h ? first.right : first.bottom);
  EXPECT_LE(h ? slider.right : slider.bottom, h ? second.left : second.top);
  EXPECT_GT(h ? slider.right - slider.left : slider.bottom - slider.top, 0);
}

}  // namespace

// ---- Scroll bar --------------------------------------------------------------------------------

TEST_F(Scroll, RangesWithoutLengthOrReversedKeepTheSliderInTheTrack) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  Show();
  const int track = bar->PartRect(spSecondButton).left - bar->PartRect(spFirstButton).right;
  // No range at all: said once and kept; the slider rests at the start (14 pixels without a
  // page).
  bar->SetPosition(30);
  bar->SetMax(0);
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], "Scrollbar property out of range\n\rMax = 0");
  EXPECT_EQ(bar->GetMin(), 0);
  EXPECT_EQ(bar->GetMax(), 0);
  EXPECT_EQ(bar->GetPosition(), 0);
  ExpectSliderInTrack(bar);
  EXPECT_EQ(bar->PartRect(spSlider).left, bar->PartRect(spFirstButton).right);
  EXPECT_EQ(SliderLength(bar), 14);
  // With a page and nothing to scroll the slider fills the track.
  bar->SetPageSize(5);
  EXPECT_EQ(SliderLength(bar), track);
  bar->SetPageSize(0);
  // Max below Min: each setting is said once and taken; the position is Min, nothing divides
  // by the negative range.
  bar->SetParams(7, 10, 5);
  bar->SetParams(7, 10, 4);
  ASSERT_EQ(g_errors.size(), 3u);
  EXPECT_NE(g_errors[1].find("Max = 5"), std::string::npos);
  EXPECT_NE(g_errors[2].find("Max = 4"), std::string::npos);
  EXPECT_EQ(bar->GetMax(), 4);
  EXPECT_EQ(bar->GetPosition(), 10);
  ExpectSliderInTrack(bar);
  // An owner adjusting the bar to content with nothing to scroll makes no mistake.
  bar->SetUpdating(true);
  bar->SetParams(0, 0, 0);
  bar->SetUpdating(false);
  EXPECT_EQ(g_errors.size(), 3u);
  // A page larger than the range: the slider fills at most the track, at either end.
  bar->SetPageSize(500);
  bar->SetParams(10, 0, 10);
  ExpectSliderInTrack(bar);
  bar->SetParams(0, 0, 10);
  ExpectSliderInTrack(bar);
  // Max + PageSize - Min of 0: no division by zero.
  bar->SetPageSize(5);
  bar->SetParams(-5, -5, -10);
  ExpectSliderInTrack(bar);
  // A bar too short for its arrows has no track and no slider to go astray.
  bar->SetBounds(10, 10, 20, 17);
  bar->SetParams(3, 0, 10);
  EXPECT_LE(bar->PartRect(spSlider).right, bar->PartRect(spSecondButton).left);
  // The mouse on such a bar finds no position by dividing by zero.
  Post(bar, WM_LBUTTONDOWN, POINT{10, 8}, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{15, 8}, MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, POINT{15, 8});
  Pump();
  EXPECT_GE(bar->GetPosition(), 0);
  EXPECT_LE(bar->GetPosition(), 10);
}

TEST_F(Scroll, ButtonsTakeTheSkinImagesLengthWhenTheFirstButtonAsks) {
  LoadSkin();
  MakeForm();
  TsScrollBar* h = MakeBar(sbHorizontal);
  TsScrollBar* v = MakeBar(sbVertical);
  const int system_h = h->PartRect(spFirstButton).right, system_v = v->PartRect(spFirstButton).bottom;
  // Button images of three states side by side over their mask: a frame 40 wide, 30 high.
  for (const char* name : {"SCROLLBTNLEFT", "SCROLLBTNTOP"}) {
    TsMaskData mask{New<TBitmap>(), name, "BORDERSMASK", {}, 3, 0};
    mask.Bmp->SetSize(3 * 40, 2 * 30);
    SkinMasks.push_back(mask);
  }
  UpdateCommonSkinIndexes();
  // Not asked for: the system's arrow length whatever the image.
  EXPECT_EQ(h->PartRect(spFirstButton).right, system_h);
  EXPECT_EQ(v->PartRect(spFirstButton).bottom, system_v);
  // Asked for by the first button's section: the image's length, at both ends.
  SkinGeneralData[CommonSkinIndexes.ScrollBtn[siLeft]].ReservedBoolean = true;
  SkinGeneralData[CommonSkinIndexes.ScrollBtn[siTop]].ReservedBoolean = true;
  EXPECT_EQ(h->PartRect(spFirstButton).right, std::max(system_h, 40));
  EXPECT_EQ(h->PartRect(spSecondButton).left, 200 - std::max(system_h, 40));
  EXPECT_EQ(h->PartRect(spTrackBefore).left, std::max(system_h, 40));
  EXPECT_EQ(v->PartRect(spFirstButton).bottom, std::max(system_v, 30));
  ExpectSliderInTrack(h);
  ExpectSliderInTrack(v);
  // Never more than half the bar; an image shorter than the system's arrow changes nothing.
  h->SetBounds(10, 10, 60, 17);
  EXPECT_EQ(h->PartRect(spFirstButton).right, 30);
  SkinMasks[CommonSkinIndexes.ScrollBtnMask[siTop]].Bmp->SetSize(3, 2);
  EXPECT_EQ(v->PartRect(spFirstButton).bottom, system_v);
  Free(form);
  form = nullptr;
  FreeAllMasks();
}

TEST_F(Scroll, PartsArePaintedFromTheirSectionsInTheirStates) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  bar->SetPageSize(20);
  bar->SetParams(50, 0, 100);
  Show();
  ASSERT_TRUE(bar->Skinned());
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spFirstButton))), kButton);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spSecondButton))), kButton);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spTrackBefore))), kTrack1);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spTrackAfter))), kTrack2);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spSlider))), kSlider);
  // Hot: the slider under the mouse; the track never lights up.
  Post(bar, WM_MOUSEMOVE, Centre(bar->PartRect(spSlider)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSlider) == psHot; }));
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spSlider))), kSliderHot);
  Post(bar, WM_MOUSEMOVE, Centre(bar->PartRect(spTrackAfter)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSlider) == psNormal; }));
  EXPECT_EQ(bar->PartState(spTrackAfter), psNormal);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spTrackAfter))), kTrack2);
  // Pressed arrow (hot colours), then leaving clears every state.
  Post(bar, WM_MOUSEMOVE, Centre(bar->PartRect(spSecondButton)));
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spSecondButton)), MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSecondButton) == psPressed; }));
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spSecondButton))), kButtonHot);
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spSecondButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSecondButton) == psHot; }));
  bar->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(bar->GetHotPart(), spNone);
  EXPECT_EQ(Pixel(bar, Centre(bar->PartRect(spSecondButton))), kButton);
  // Disabled: every part moves toward the form's colour.
  bar->SetEnabled(false);
  const TColor disabled = Pixel(bar, Centre(bar->PartRect(spFirstButton)));
  EXPECT_NE(disabled, kButton);
  EXPECT_GT(GetRValue(disabled), GetRValue(kButton));
}

// Between a new skin and its refresh the skin data is updating: a paint then leaves the window
// alone instead of drawing half a skin.
TEST_F(Scroll, NoSkinnedPaintWhileTheSkinDataIsUpdating) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  Show();
  ASSERT_TRUE(bar->Skinned());
  const POINT slider = Centre(bar->PartRect(spSlider));
  auto printed = [&] {
    TBitmap* picture = New<TBitmap>();
    picture->SetPixelFormat(pf24bit);
    picture->SetSize(bar->GetWidth(), bar->GetHeight());
    picture->GetCanvas()->GetBrush()->SetColor(clFuchsia);
    picture->GetCanvas()->FillRect(RECT{0, 0, bar->GetWidth(), bar->GetHeight()});
    SendMessageA(bar->GetHandle(), WM_PRINTCLIENT,
                 reinterpret_cast<WPARAM>(picture->GetCanvas()->GetHandle()), PRF_CLIENT);
    const TColor c = picture->GetPixelColor(slider.x, slider.y);
    Free(picture);
    return c;
  };
  EXPECT_EQ(printed(), kSlider);
  SendMessageA(bar->GetHandle(), SKM_SETNEWSKIN, 0, 0);
  EXPECT_EQ(printed(), clFuchsia);
  SendMessageA(bar->GetHandle(), SKM_REFRESH, 0, 0);
  EXPECT_EQ(printed(), kSlider);
  bar->GetSkinData()->SetUpdating(true);
  EXPECT_EQ(printed(), clFuchsia);
  bar->GetSkinData()->SetUpdating(false);
  EXPECT_EQ(printed(), kSlider);
}

// Lengths, places and positions worked out in halves go to the even neighbour.
TEST_F(Scroll, HalvesOfTheGeometryRoundToTheEvenNeighbour) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal, 200);
  Show();
  const int b = bar->PartRect(spFirstButton).right;
  const int track = bar->PartRect(spSecondButton).left - b;
  ASSERT_EQ((track - 14) % 2, 0);
  bar->SetPageSize(41);  // a slider of 41 / 2 = 20.5 pixels
  bar->SetParams(0, 0, 2 * track - 41);
  EXPECT_EQ(SliderLength(bar), 20);
  bar->SetPageSize(0);  // 14 pixels, half a pixel further for each position
  bar->SetParams(1, 0, 2 * (track - 14));
  EXPECT_EQ(bar->PartRect(spSlider).left, b);
  // Two pixels a position: a drag of one pixel is half a position and stays.
  bar->SetParams(0, 0, (track - 14) / 2);
  Counter counter;
  bar->OnScroll = TScrollEvent(&counter, &Counter::Scroll);
  const POINT grab{b + 7, 8};
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->SliderDragging(); }));
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 1, 8}, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 3, 8}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() == 2; }));
  Post(bar, WM_LBUTTONUP, POINT{grab.x + 3, 8});
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging(); }));
  ASSERT_FALSE(counter.scrolls.empty());
  EXPECT_EQ(counter.scrolls[0].second, 2);
}

TEST_F(Scroll, DraggingTheSliderFollowsClientMovesWhileCaptured) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbVertical, 234);
  bar->SetPageSize(10);
  bar->SetParams(0, 0, 100);
  Counter counter;
  bar->OnChange = TNotifyEvent(&counter, &Counter::Change);
  Show();
  const POINT grab = Centre(bar->PartRect(spSlider));
  const RECT track{0, bar->PartRect(spFirstButton).bottom, 17, bar->PartRect(spSecondButton).top};
  const int travel =
      (track.bottom - track.top) - (bar->PartRect(spSlider).bottom - bar->PartRect(spSlider).top);
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->SliderDragging(); }));
  EXPECT_EQ(GetCapture(), bar->GetHandle());
  EXPECT_EQ(bar->GetPosition(), 0);  // grabbing does not move
  // Half the travel down, then beyond the end and outside the bar: the slider stops at Max.
  Post(bar, WM_MOUSEMOVE, POINT{grab.x, grab.y + travel / 2}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() != 0; }));
  EXPECT_NEAR(bar->GetPosition(), 50, 2);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 60, grab.y + travel * 3}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() == 100; }));
  ExpectSliderInTrack(bar);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x, grab.y + travel / 4}, MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, POINT{grab.x, grab.y + travel / 4});
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging(); }));
  EXPECT_NEAR(bar->GetPosition(), 25, 2);
  EXPECT_NE(GetCapture(), bar->GetHandle());
  EXPECT_GE(counter.changes, 3);
}

TEST_F(Scroll, WithoutSmoothADragReportsOnceAtTheRelease) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal, 234);
  bar->SetSmooth(false);
  Counter counter;
  bar->OnChange = TNotifyEvent(&counter, &Counter::Change);
  Show();
  const POINT grab = Centre(bar->PartRect(spSlider));
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 40, grab.y}, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 80, grab.y}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() > 0; }));
  EXPECT_EQ(counter.changes, 0);
  Post(bar, WM_LBUTTONUP, POINT{grab.x + 80, grab.y});
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging(); }));
  EXPECT_EQ(counter.changes, 1);
}

TEST_F(Scroll, EachPartScrollsWithItsCodeAndOtherChangesWithThePartUnderTheMouse) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal, 234);
  bar->SetLargeChange(10);
  bar->SetPageSize(20);
  bar->SetParams(50, 0, 100);
  Counter counter;
  bar->OnScroll = TScrollEvent(&counter, &Counter::Scroll);
  Show();
  using Step = std::pair<TScrollCode, int>;
  auto click = [&](TsScrollPart part) {
    const POINT p = Centre(bar->PartRect(part));
    const size_t before = counter.scrolls.size();
    Post(bar, WM_LBUTTONDOWN, p, MK_LBUTTON);
    Post(bar, WM_LBUTTONUP, p);
    EXPECT_TRUE(PumpUntil([&] { return counter.scrolls.size() > before && !bar->SliderDragging(); }));
    return counter.scrolls.size() > before ? counter.scrolls[before] : Step{scEndScroll, -1};
  };
  EXPECT_EQ(click(spFirstButton), Step(scLineUp, 49));
  EXPECT_EQ(click(spSecondButton), Step(scLineDown, 50));
  EXPECT_EQ(click(spTrackBefore), Step(scPageUp, 40));
  EXPECT_EQ(click(spTrackAfter), Step(scPageDown, 50));
  // A drag reports every move as the position, the last at the release.
  counter.scrolls.clear();
  const POINT grab = Centre(bar->PartRect(spSlider));
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 30, grab.y}, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x + 60, grab.y}, MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, POINT{grab.x + 60, grab.y});
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging() && bar->PartState(spSlider) != psPressed; }));
  ASSERT_FALSE(counter.scrolls.empty());
  for (const Step& step : counter.scrolls) EXPECT_EQ(step.first, scPosition);
  EXPECT_EQ(counter.scrolls.back().second, bar->GetPosition());
  EXPECT_GT(bar->GetPosition(), 50);
  // Keys and code scroll too: by the part the mouse is over, else to a position.
  bar->Perform(CM_MOUSELEAVE);
  counter.scrolls.clear();
  bar->Perform(WM_KEYDOWN, VK_HOME, 0);
  bar->SetPosition(70);
  EXPECT_EQ(bar->GetPosition(), 70);
  EXPECT_EQ(counter.scrolls, (std::vector<Step>{{scPosition, 0}, {scPosition, 70}}));
  const POINT arrow = Centre(bar->PartRect(spFirstButton));
  bar->Perform(WM_MOUSEMOVE, 0, MAKELPARAM(arrow.x, arrow.y));
  ASSERT_EQ(bar->PartState(spFirstButton), psHot);
  counter.scrolls.clear();
  bar->SetPosition(60);
  EXPECT_EQ(counter.scrolls, (std::vector<Step>{{scLineUp, 60}}));
  ParkCursor();
}

TEST_F(Scroll, ArrowsStepRepeatAndStopAtTheEnds) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  bar->SetLargeChange(10);
  Show();
  // At Min the first arrow does nothing.
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spFirstButton)), MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spFirstButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spFirstButton) == psHot; }));
  EXPECT_EQ(bar->GetPosition(), 0);
  // Held, the second arrow steps at once and then repeats.
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spSecondButton)), MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() == 1; }));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() >= 3; }));
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spSecondButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spSecondButton) == psHot; }));
  // A click in the track pages.
  const int before = bar->GetPosition();
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spTrackAfter)), MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spTrackAfter)));
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() == before + 10; }));
  // Keys: End and Home.
  bar->Perform(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(bar->GetPosition(), 100);
  bar->Perform(WM_KEYDOWN, VK_HOME, 0);
  EXPECT_EQ(bar->GetPosition(), 0);
}

// The test holds the repeat timer's clock: the press and release go straight to the bar, the
// system timer is stopped and its ticks are given by hand.
TEST_F(Scroll, AHeldPartRepeatsAfterHalfASecondThenEveryTenth) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  bar->SetLargeChange(10);
  bar->SetParams(0, 0, 100);
  Show();
  auto hold = [&](TsScrollPart part) {
    bar->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(Centre(bar->PartRect(part))));
    TTimer* timer = bar->RepeatTimer();
    if (timer) timer->SetEnabled(false);
    return timer;
  };
  auto tick = [&](TTimer* timer) { timer->GetOnTimer()(timer); };
  // Held: one step at once, the next after 500 ms, then every 100 ms.
  auto expect_repeat = [&](TsScrollPart part, int step) {
    const int start = bar->GetPosition();
    TTimer* timer = hold(part);
    if (!timer) return timer;  // the caller asserts it
    EXPECT_EQ(bar->GetPosition(), start + step);
    EXPECT_EQ(timer->GetInterval(), 500u);
    tick(timer);
    EXPECT_EQ(bar->GetPosition(), start + 2 * step);
    EXPECT_EQ(timer->GetInterval(), 100u);
    return timer;
  };
  // An arrow steps by one, the track by a page.
  TTimer* timer = expect_repeat(spSecondButton, 1);
  ASSERT_NE(timer, nullptr);
  for (int i = 0; i < 3; ++i) tick(timer);
  EXPECT_EQ(bar->GetPosition(), 5);
  EXPECT_EQ(timer->GetInterval(), 100u);
  bar->Perform(WM_LBUTTONUP, 0, At(Centre(bar->PartRect(spSecondButton))));
  EXPECT_EQ(bar->RepeatTimer(), nullptr);
  EXPECT_EQ(bar->GetPosition(), 5);
  ASSERT_NE(expect_repeat(spTrackAfter, 10), nullptr);
  bar->Perform(WM_LBUTTONUP, 0, At(Centre(bar->PartRect(spTrackAfter))));
  // Held at the end, the arrow stops there.
  bar->SetPosition(99);
  timer = hold(spSecondButton);
  ASSERT_NE(timer, nullptr);
  for (int i = 0; i < 3; ++i) tick(timer);
  EXPECT_EQ(bar->GetPosition(), 100);
  bar->Perform(WM_LBUTTONUP, 0, At(Centre(bar->PartRect(spSecondButton))));
  EXPECT_EQ(bar->RepeatTimer(), nullptr);
}

TEST_F(Scroll, ArrowsAndArrowKeysMoveBySmallChangeEvenWhenItIsZero) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  bar->SetSmallChange(3);
  bar->SetPosition(5);
  Show();
  bar->Perform(WM_KEYDOWN, VK_RIGHT, 0);
  EXPECT_EQ(bar->GetPosition(), 8);
  bar->Perform(WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(bar->GetPosition(), 5);
  bar->SetSmallChange(0);
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spFirstButton)), MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spFirstButton)));
  ASSERT_TRUE(PumpUntil([&] { return bar->PartState(spFirstButton) == psHot; }));
  EXPECT_EQ(bar->GetPosition(), 5);
  for (WORD key : {VK_LEFT, VK_UP, VK_RIGHT, VK_DOWN}) {
    bar->Perform(WM_KEYDOWN, key, 0);
    EXPECT_EQ(bar->GetPosition(), 5) << key;
  }
  // The page keys still move.
  bar->Perform(WM_KEYDOWN, VK_NEXT, 0);
  EXPECT_EQ(bar->GetPosition(), 6);
}

TEST_F(Scroll, WithoutASkinItIsTheSystemBarAndANewSkinTakesItOver) {
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal);
  Show();
  EXPECT_FALSE(bar->Skinned());
  bar->SetPageSize(10);
  bar->SetParams(30, 0, 100);
  EXPECT_EQ(SendMessageA(bar->GetHandle(), SBM_GETPOS, 0, 0), 30);
  // The last position of the system bar is Max, whatever the page.
  bar->SetPosition(100);
  EXPECT_EQ(SendMessageA(bar->GetHandle(), SBM_GETPOS, 0, 0), 100);
  char name[64] = {};
  GetClassNameA(bar->GetHandle(), name, sizeof(name));
  EXPECT_STREQ(name, "TsScrollBar");
  // The system bar's notifications drive Position: steps, pages and the ends, clamped. Each
  // is reported once, with its own code.
  bar->SetSmallChange(2);
  bar->SetLargeChange(15);
  bar->SetPosition(50);
  Counter counter;
  bar->OnScroll = TScrollEvent(&counter, &Counter::Scroll);
  bar->OnChange = TNotifyEvent(&counter, &Counter::Change);
  bar->Perform(CN_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(bar->GetPosition(), 52);
  bar->Perform(CN_HSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(bar->GetPosition(), 37);
  bar->Perform(CN_HSCROLL, SB_TOP, 0);
  EXPECT_EQ(bar->GetPosition(), 0);
  bar->Perform(CN_HSCROLL, SB_LINEUP, 0);
  EXPECT_EQ(bar->GetPosition(), 0);
  bar->Perform(CN_HSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(bar->GetPosition(), 100);
  using Step = std::pair<TScrollCode, int>;
  EXPECT_EQ(counter.scrolls, (std::vector<Step>{Step(scLineDown, 52), Step(scPageUp, 37), Step(scTop, 0),
                                                Step(scLineUp, 0), Step(scBottom, 100)}));
  EXPECT_EQ(counter.changes, 4);  // the position changed four times
  // Set from code, the position is no scroll of the system bar.
  bar->SetPosition(20);
  EXPECT_EQ(counter.scrolls.size(), 5u);
  EXPECT_EQ(counter.changes, 5);
  bar->OnScroll = TScrollEvent();
  bar->OnChange = TNotifyEvent();
  LoadSkin();
  SendMessageA(bar->GetHandle(), SKM_SETNEWSKIN, 0, 0);
  EXPECT_TRUE(bar->Skinned());
  GetClassNameA(bar->GetHandle(), name, sizeof(name));
  EXPECT_STREQ(name, "TsScrollBarSkinned");
  EXPECT_EQ(bar->GetPosition(), 20);
  // Every new skin makes the window anew, a skinned bar's too.
  HWND before = bar->GetHandle();
  SendMessageA(before, SKM_SETNEWSKIN, 0, 0);
  EXPECT_FALSE(IsWindow(before));
  ASSERT_TRUE(bar->HandleAllocated());
  EXPECT_EQ(bar->GetPosition(), 20);
}

TEST_F(Scroll, ABarFollowsItsParentsReadingOrderUntilItIsGivenItsOwn) {
  MakeForm();
  auto* panel = New<TPanel>(form);
  panel->SetBounds(0, 40, 300, 100);
  panel->SetParent(form);
  TsScrollBar* bar = MakeBar(sbHorizontal);
  bar->SetParent(panel);
  Show();
  bar->SetParams(30, 0, 100);
  form->SetBiDiMode(bdRightToLeftReadingOnly);
  // Through the panel: the window made anew runs from the right and shows Max - Position.
  ASSERT_TRUE(bar->HandleAllocated());
  EXPECT_TRUE(bar->GetParentBiDiMode());
  EXPECT_EQ(bar->Direction(), -1);
  EXPECT_NE(GetWindowLongPtrA(bar->GetHandle(), GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  EXPECT_EQ(SendMessageA(bar->GetHandle(), SBM_GETPOS, 0, 0), 70);
  // Its own mode ends the following.
  bar->SetBiDiMode(bdLeftToRight);
  EXPECT_FALSE(bar->GetParentBiDiMode());
  EXPECT_EQ(bar->Direction(), 1);
  EXPECT_EQ(SendMessageA(bar->GetHandle(), SBM_GETPOS, 0, 0), 30);
  form->SetBiDiMode(bdRightToLeft);
  EXPECT_EQ(bar->Direction(), 1);
  bar->SetParentBiDiMode(true);
  EXPECT_EQ(bar->Direction(), -1);
  EXPECT_EQ(bar->GetPosition(), 30);
}

// The bar's 3-D look and the list box's style come from form definitions.
// The bar's skin data is no stored property: a form definition never names it.
TEST_F(Scroll, AFormDefinitionSetsTheBarsCtl3DAndTheListBoxsStyle) {
  RegisterSkinScrollClasses();
  RegisterSkinListBoxClasses();
  MakeForm();
  form->SetCtl3D(false);
  ReadComponentFromText(form,
                        "object Form1: TForm\n"
                        "  object Following: TsScrollBar\n"
                        "    ParentCtl3D = True\n"
                        "  end\n"
                        "  object Own: TsScrollBar\n"
                        "    Ctl3D = True\n"
                        "  end\n"
                        "  object List: TsListBox\n"
                        "    sStyle.SkinSection = 'TSEDIT'\n"
                        "  end\n"
                        "end\n",
                        "scroll.form");
  auto* following = DynamicCast<TsScrollBar>(form->FindComponent("Following"));
  auto* own = DynamicCast<TsScrollBar>(form->FindComponent("Own"));
  auto* list = DynamicCast<TsListBox>(form->FindComponent("List"));
  ASSERT_TRUE(following && own && list);
  EXPECT_FALSE(following->GetCtl3D());
  EXPECT_TRUE(following->GetParentCtl3D());
  EXPECT_TRUE(own->GetCtl3D());
  EXPECT_FALSE(own->GetParentCtl3D());
  EXPECT_EQ(list->GetSkinStyle()->GetSkinSection(), "TSEDIT");
  EXPECT_EQ(GetPropInfo(own, "SkinData"), nullptr);
}

// ---- List box ----------------------------------------------------------------------------------

TEST_F(Scroll, ReadRightToLeftAHorizontalSystemBarRunsFromTheRight) {
  MakeForm();
  TsScrollBar* h = MakeBar(sbHorizontal);
  TsScrollBar* v = MakeBar(sbVertical);
  Show();
  for (TsScrollBar* bar : {h, v}) {
    bar->SetBiDiMode(bdRightToLeft);
    bar->SetSmallChange(2);
    bar->SetLargeChange(15);
    bar->SetParams(30, 0, 100);
  }
  ASSERT_TRUE(h->HandleAllocated());
  EXPECT_NE(GetWindowLongPtrA(h->GetHandle(), GWL_EXSTYLE) & WS_EX_RTLREADING, 0);
  // The window shows Max - Position; its steps and pages run the other way, thumb positions
  // come back mirrored.
  EXPECT_EQ(h->Direction(), -1);
  EXPECT_EQ(SendMessageA(h->GetHandle(), SBM_GETPOS, 0, 0), 70);
  h->Perform(CN_HSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(h->GetPosition(), 28);
  h->Perform(CN_HSCROLL, SB_PAGEUP, 0);
  EXPECT_EQ(h->GetPosition(), 43);
  EXPECT_EQ(SendMessageA(h->GetHandle(), SBM_GETPOS, 0, 0), 57);
  h->Perform(CN_HSCROLL, SB_TOP, 0);
  EXPECT_EQ(h->GetPosition(), 0);
  // A vertical bar reads the same either way; back to left to right the horizontal one too.
  EXPECT_EQ(v->Direction(), 1);
  EXPECT_EQ(SendMessageA(v->GetHandle(), SBM_GETPOS, 0, 0), 30);
  v->Perform(CN_VSCROLL, SB_LINEDOWN, 0);
  EXPECT_EQ(v->GetPosition(), 32);
  h->SetBiDiMode(bdLeftToRight);
  h->SetPosition(30);
  EXPECT_EQ(h->Direction(), 1);
  EXPECT_EQ(SendMessageA(h->GetHandle(), SBM_GETPOS, 0, 0), 30);
}

TEST_F(Scroll, TheListBoxBarAppearsAsSoonAsItemsNoLongerFitAndFollowsTheList) {
  LoadSkin();
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 106);  // 100 pixels inside the border: 7 items of 13
  list->SetParent(form);
  Show();
  for (int i = 0; i < 7; ++i) list->GetItems()->Add("item " + std::to_string(i));
  EXPECT_EQ(list->GetSkinScrollBar(), nullptr);
  // The eighth item makes the list scroll: the bar is there right after the insertion, with
  // the list's range (not the one before it).
  for (int i = 7; i < 30; ++i) {
    list->GetItems()->Add("item " + std::to_string(i));
    SCROLLINFO si{};
    si.cbSize = sizeof(si);
    si.fMask = SIF_ALL;
    ASSERT_TRUE(GetScrollInfo(list->GetHandle(), SB_VERT, &si));
    TsScrollBar* bar = list->GetSkinScrollBar();
    ASSERT_NE(bar, nullptr) << i;
    EXPECT_EQ(bar->GetMax(), si.nMax - static_cast<int>(si.nPage) + 1) << i;
  }
  TsScrollBar* bar = list->GetSkinScrollBar();
  EXPECT_TRUE(bar->GetVisible());
  EXPECT_EQ(bar->GetParent(), form);
  EXPECT_EQ(bar->GetLeft() + bar->GetWidth(), list->GetLeft() + list->GetWidth() - 3);
  EXPECT_EQ(bar->GetHeight(), list->GetHeight() - 6);
  // Scrolling the list by keys moves the bar along.
  list->SetFocus();
  list->SetItemIndex(0);
  list->Perform(WM_KEYDOWN, VK_END, 0);
  EXPECT_EQ(bar->GetPosition(), list->GetTopIndex());
  EXPECT_GT(bar->GetPosition(), 0);
  // Clearing the list takes the bar away.
  list->GetItems()->Clear();
  EXPECT_EQ(list->GetSkinScrollBar(), nullptr);
}

// While the list's window shows its own scroll bar, the border fills the strip under it with
// the list's colour (the skinned bar lies over it; here it is hidden to see the strip).
TEST_F(Scroll, TheBorderFillsTheStripUnderTheListsOwnBar) {
  LoadSkin();
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 106);
  list->SetParent(form);
  Show();
  for (int i = 0; i < 30; ++i) list->GetItems()->Add("item " + std::to_string(i));
  ASSERT_NE(list->GetSkinScrollBar(), nullptr);
  ASSERT_TRUE(list->ShowsScrollBar());
  list->GetSkinScrollBar()->SetVisible(false);
  RedrawWindow(list->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  // The frame paint draws the border first and then lets the system paint its own bar over
  // the strip; the border alone is what fills it.
  list->GetSkinStyle()->PaintBorder();
  HDC dc = GetWindowDC(list->GetHandle());
  std::vector<TColor> strip, expected;
  for (int y = 8; y < list->GetHeight() - 8; y += 7) {
    strip.push_back(static_cast<TColor>(GetPixel(dc, list->GetWidth() - 11, y)));
    expected.push_back(clWhite);
  }
  ReleaseDC(list->GetHandle(), dc);
  EXPECT_EQ(strip, expected);

  list->GetItems()->Clear();
  EXPECT_FALSE(list->ShowsScrollBar());
}

TEST_F(Scroll, DraggingTheListBoxBarScrollsTheList) {
  LoadSkin();
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 136);
  list->SetParent(form);
  Show();
  for (int i = 0; i < 200; ++i) list->GetItems()->Add("row " + std::to_string(i));
  TsScrollBar* bar = list->GetSkinScrollBar();
  ASSERT_NE(bar, nullptr);
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(bar->GetHandle(), nullptr, FALSE); }));
  const POINT grab = Centre(bar->PartRect(spSlider));
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  Post(bar, WM_MOUSEMOVE, POINT{grab.x, grab.y + 40}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->GetPosition() > 0; }));
  Post(bar, WM_LBUTTONUP, POINT{grab.x, grab.y + 40});
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging(); }));
  EXPECT_EQ(list->GetTopIndex(), bar->GetPosition());
  // The arrow too.
  const int top = list->GetTopIndex();
  Post(bar, WM_LBUTTONDOWN, Centre(bar->PartRect(spSecondButton)), MK_LBUTTON);
  Post(bar, WM_LBUTTONUP, Centre(bar->PartRect(spSecondButton)));
  ASSERT_TRUE(PumpUntil([&] { return list->GetTopIndex() == top + 1; }));
  EXPECT_EQ(bar->GetPosition(), top + 1);
}

TEST_F(Scroll, WithoutASkinOrBeforeItsWindowTheListBoxHasNoBar) {
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 60);
  // No window yet, no parent: nothing to lay a bar on and nothing to fail.
  list->UpdateScrollBar();
  list->SetParent(form);
  for (int i = 0; i < 50; ++i) list->GetItems()->Add("row");
  list->UpdateScrollBar();
  Show();
  list->Invalidate();
  EXPECT_EQ(list->GetSkinScrollBar(), nullptr);
}

// Without a skin the list box frames itself as the edit does: the style's colour round it and
// behind its rows, taken again by every frame paint and invalidation.
TEST_F(Scroll, WithoutASkinTheListBoxBorderAndBackgroundTakeTheStylesColour) {
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 60);
  list->SetParent(form);
  auto* painting = DynamicCast<TsEditorPainting>(list->GetSkinStyle()->GetPainting());
  ASSERT_NE(painting, nullptr);
  painting->SetBevel(ebNone);
  painting->SetColor(0x00336699);
  // Focused, the list shows the selection colour instead.
  list->GetSkinStyle()->GetSelection()->SetMode(TsSelectionModes{});
  Show();
  auto ring = [&](int x, int y) {
    HDC dc = GetWindowDC(list->GetHandle());
    const TColor color = GetPixel(dc, x, y);
    ReleaseDC(list->GetHandle(), dc);
    return color;
  };
  EXPECT_EQ(list->GetColor(), TColor(0x00336699));
  for (POINT p : {POINT{0, 30}, POINT{2, 30}, POINT{75, 1}, POINT{147, 30}, POINT{75, 58}})
    EXPECT_EQ(ring(p.x, p.y), TColor(0x00336699)) << p.x << "," << p.y;
  painting->SetColor(0x00102030);
  list->Invalidate();
  EXPECT_EQ(list->GetColor(), TColor(0x00102030));
  RedrawWindow(list->GetHandle(), nullptr, nullptr, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
  EXPECT_EQ(ring(1, 30), TColor(0x00102030));
}

namespace {
POINT g_cursor{};
bool TestCursor(POINT* screen) {
  *screen = g_cursor;
  return true;
}
// Dragged itself (DragMode): the press that holds the slider is let go once the drag starts.
struct TDropCounter : TObject {
  int drops = 0;
  void Over(TObject*, TObject*, int, int, TDragState, bool&) {}
  void Drop(TObject*, TObject*, int, int) { ++drops; }
};

TEST_F(Scroll, ADragOfTheBarItselfLetsGoOfTheSliderAndDropsOnAnotherControl) {
  LoadSkin();
  MakeForm();
  TsScrollBar* bar = MakeBar(sbHorizontal, 200);
  bar->SetDragMode(dmAutomatic);
  auto* target = New<TPanel>(form);
  target->SetParent(form);
  target->SetBounds(10, 100, 200, 100);
  TDropCounter counter;
  target->OnDragOver = TDragOverEvent(&counter, &TDropCounter::Over);
  target->OnDragDrop = TDragDropEvent(&counter, &TDropCounter::Drop);
  Show();
  const POINT grab = Centre(bar->PartRect(spSlider));
  Post(bar, WM_LBUTTONDOWN, grab, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return bar->SliderDragging(); }));
  EXPECT_TRUE(bar->Dragging());  // pending until the mouse moves past the threshold
  Post(bar, WM_MOUSEMOVE, POINT{grab.x, grab.y + 120}, MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return !bar->SliderDragging(); }));
  EXPECT_TRUE(bar->Dragging());
  EXPECT_EQ(bar->GetPosition(), 0);
  Post(bar, WM_LBUTTONUP, POINT{grab.x, grab.y + 120});
  ASSERT_TRUE(PumpUntil([&] { return counter.drops == 1; }));
  EXPECT_FALSE(bar->Dragging());
  EXPECT_EQ(bar->GetPosition(), 0);
}

}  // namespace

TEST_F(Scroll, MovingFromTheListOntoItsBarDoesNotEndTheHotState) {
  LoadSkin();
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 106);
  list->SetParent(form);
  Show();
  for (int i = 0; i < 40; ++i) list->GetItems()->Add("row");
  TsScrollBar* bar = list->GetSkinScrollBar();
  ASSERT_NE(bar, nullptr);
  tk_detail::SetCursorSource(&TestCursor);
  list->Perform(CM_MOUSEENTER);
  ASSERT_TRUE(list->GetSkinStyle()->GetMouseAbove());
  g_cursor = bar->ClientToScreen(POINT{5, 30});  // over the bar, inside the list's rectangle
  list->Perform(CM_MOUSELEAVE);
  EXPECT_TRUE(list->GetSkinStyle()->GetMouseAbove());
  bar->Perform(CM_MOUSEENTER);
  // The pointer leaves the bar to the outside: the list hears of it from the bar.
  g_cursor = form->ClientToScreen(POINT{300, 200});
  bar->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(list->GetSkinStyle()->GetMouseAbove());
}

namespace {
BOOL WINAPI FailingGetScrollInfo(HWND, int, LPSCROLLINFO) { return FALSE; }
}  // namespace

// The style's focus navigation is the list's OnKeyDown until a form gives its own; the
// toolkit's handling follows the style's (the mouse entering reaches the parent); the bar
// stays as it is while the list's own figures cannot be read.
TEST_F(Scroll, TheListBoxPassesEveryMessageOnAndKeepsItsBarWithoutFigures) {
  LoadSkin();
  MakeForm();
  auto* list = New<TsListBox>(form);
  list->SetBounds(10, 10, 150, 106);
  list->SetParent(form);
  auto* next = New<TsListBox>(form);
  next->SetBounds(10, 130, 150, 60);
  next->SetParent(form);
  list->GetSkinStyle()->SetKeysNextControl("13");
  Show();
  list->SetFocus();
  Pump();
  SendMessageA(list->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_TRUE(next->Focused()) << "the style's navigation";
  Counter counter;
  struct Keys : TObject {
    int keys = 0;
    void Key(TObject*, WORD&, TShiftState) { ++keys; }
  } keys;
  list->OnKeyDown = TKeyEvent(&keys, &Keys::Key);
  list->SetFocus();
  Pump();
  SendMessageA(list->GetHandle(), WM_KEYDOWN, VK_RETURN, 1);
  Pump();
  EXPECT_EQ(keys.keys, 1);
  EXPECT_TRUE(list->Focused()) << "the form's own handler replaced the navigation";

  struct Recorder : TObject {
    TWinControl* target = nullptr;
    std::vector<LPARAM> entered;
    void Proc(TMessage& m) {
      if (m.Msg == CM_MOUSEENTER) entered.push_back(m.LParam);
      target->WndProc(m);
    }
  } recorder;
  recorder.target = form;
  form->WindowProc = TWndMethod(&recorder, &Recorder::Proc);
  list->Perform(CM_MOUSEENTER, 0, 0);
  form->WindowProc = TWndMethod(form, &TForm::WndProc);
  EXPECT_EQ(recorder.entered, std::vector<LPARAM>{reinterpret_cast<LPARAM>(list)});
  EXPECT_TRUE(list->GetSkinStyle()->GetMouseAbove());
  list->Perform(CM_MOUSELEAVE);

  for (int i = 0; i < 40; ++i) list->GetItems()->Add("row");
  TsScrollBar* bar = list->GetSkinScrollBar();
  ASSERT_NE(bar, nullptr);
  void* real = PatchImport("user32.dll", "GetScrollInfo", reinterpret_cast<void*>(&FailingGetScrollInfo));
  ASSERT_NE(real, nullptr);
  list->UpdateScrollBar();
  PatchImport("user32.dll", "GetScrollInfo", real);
  EXPECT_EQ(list->GetSkinScrollBar(), bar);
}

// ---- Up-down -----------------------------------------------------------------------------------

TEST_F(Scroll, AnUpDownWithoutRangeLooksDisabledButStillClicks) {
  LoadSkin();
  MakeForm();
  auto* ud = New<TsUpDown>(form);
  ud->SetBounds(100, 20, 17, 24);
  ud->SetMin(0);
  ud->SetMax(0);
  Counter counter;
  ud->OnClick = TUDClickEvent(&counter, &Counter::Click);
  ud->SetParent(form);
  Show();
  ASSERT_TRUE(ud->Skinned());
  // Both halves blended toward the form's colour.
  for (int half = 1; half <= 2; ++half) {
    const TColor c = Pixel(ud, Centre(ud->HalfRect(half)));
    EXPECT_NE(c, kButton);
    EXPECT_GT(GetRValue(c), GetRValue(kButton));
  }
  Post(ud, WM_MOUSEMOVE, Centre(ud->HalfRect(1)));
  Post(ud, WM_LBUTTONDOWN, Centre(ud->HalfRect(1)), MK_LBUTTON);
  Post(ud, WM_LBUTTONUP, Centre(ud->HalfRect(1)));
  ASSERT_TRUE(PumpUntil([&] { return counter.clicks == 1; }));
  Pump();  // the release, posted before the click came
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpNone);

  // Without the inaccessible look a half at its limit is hot under the mouse, and a press
  // leaves it hot: it never shows pressed.
  ud->SetShowInaccessibility(false);
  const POINT first = Centre(ud->HalfRect(1));
  HitTest(ud, first);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.x, first.y));
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(CM_MOUSELEAVE);

  // A range or position from code repaints (the system's control would not): the halves
  // that can move lose the disabled look.
  ud->SetShowInaccessibility(true);
  Pump();
  ValidateRect(ud->GetHandle(), nullptr);
  ud->SetMax(10);
  EXPECT_TRUE(GetUpdateRect(ud->GetHandle(), nullptr, FALSE));
  ValidateRect(ud->GetHandle(), nullptr);
  ud->SetPosition(10);
  EXPECT_TRUE(GetUpdateRect(ud->GetHandle(), nullptr, FALSE));
}

TEST_F(Scroll, AnUpDownShowsHotAndPressedHalvesAndLeavingClearsThem) {
  LoadSkin();
  MakeForm();
  TsUpDown* ud = MakeUpDown(0, 10);
  ud->SetPosition(5);
  Show();
  EXPECT_EQ(Pixel(ud, Centre(ud->HalfRect(1))), kButton);
  Post(ud, WM_MOUSEMOVE, Centre(ud->HalfRect(2)));
  ASSERT_TRUE(PumpUntil([&] { return ud->GetHotPart() == TsUpDown::hpSecondHot; }));
  EXPECT_EQ(Pixel(ud, Centre(ud->HalfRect(2))), kButtonHot);
  Post(ud, WM_LBUTTONDOWN, Centre(ud->HalfRect(2)), MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return ud->GetHotPart() == TsUpDown::hpSecondPressed; }));
  Post(ud, WM_LBUTTONUP, Centre(ud->HalfRect(2)));
  ASSERT_TRUE(PumpUntil([&] { return ud->GetHotPart() == TsUpDown::hpSecondHot; }));
  EXPECT_EQ(ud->GetPosition(), 4);  // the lower half counts down
  ud->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpNone);
  EXPECT_EQ(Pixel(ud, Centre(ud->HalfRect(2))), kButton);
}

// Whether a press shows the half pressed follows the position the press moved to: one that
// reaches the limit leaves the half hot, one that wraps away from it shows it pressed.
TEST_F(Scroll, AnUpDownPressShowsPressedFromThePositionItMovedTo) {
  LoadSkin();
  MakeForm();
  TsUpDown* ud = MakeUpDown(0, 10);
  Show();
  const POINT first = Centre(ud->HalfRect(1));
  auto press = [&](int position) {
    ud->SetPosition(position);
    HitTest(ud, first);
    const LRESULT result = ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.x, first.y));
    const TsUpDown::THotPart part = ud->GetHotPart();
    const LRESULT released = ud->Perform(WM_LBUTTONUP, 0, MAKELPARAM(first.x, first.y));
    EXPECT_EQ(released, ud->GetHotPart() != part ? 1 : 0) << position;  // 1 when the look changed
    ud->Perform(CM_MOUSELEAVE);
    EXPECT_EQ(result, 1) << position;
    return part;
  };
  EXPECT_EQ(press(5), TsUpDown::hpFirstPressed);
  EXPECT_EQ(ud->GetPosition(), 6);
  EXPECT_EQ(press(9), TsUpDown::hpFirstHot);  // reached Max
  EXPECT_EQ(ud->GetPosition(), 10);
  ud->SetWrap(true);
  EXPECT_EQ(press(10), TsUpDown::hpNone);  // inaccessible at Max: never hot
  EXPECT_EQ(ud->GetPosition(), 0);
  ud->SetShowInaccessibility(false);
  EXPECT_EQ(press(10), TsUpDown::hpFirstPressed);  // wrapped to Min
  EXPECT_EQ(ud->GetPosition(), 0);
}

TEST_F(Scroll, AHorizontalUpDownMovesLeftTowardMinAndRightTowardMax) {
  LoadSkin();
  MakeForm();
  auto* ud = New<TsUpDown>(form);
  ud->SetOrientation(udHorizontal);
  ud->SetBounds(100, 20, 30, 17);
  ud->SetMin(0);
  ud->SetMax(10);
  ud->SetPosition(0);
  ud->SetParent(form);
  Show();
  // At Min the left half is the one that cannot move.
  EXPECT_TRUE(ud->AtLimit(1));
  EXPECT_FALSE(ud->AtLimit(2));
  EXPECT_NE(Pixel(ud, Centre(ud->HalfRect(1))), kButton);
  EXPECT_EQ(Pixel(ud, Centre(ud->HalfRect(2))), kButton);
  Post(ud, WM_LBUTTONDOWN, Centre(ud->HalfRect(1)), MK_LBUTTON);
  Post(ud, WM_LBUTTONUP, Centre(ud->HalfRect(1)));
  Pump();
  EXPECT_EQ(ud->GetPosition(), 0);
  Post(ud, WM_LBUTTONDOWN, Centre(ud->HalfRect(2)), MK_LBUTTON);
  ASSERT_TRUE(PumpUntil([&] { return ud->GetHotPart() == TsUpDown::hpSecondPressed; }));
  Post(ud, WM_LBUTTONUP, Centre(ud->HalfRect(2)));
  ASSERT_TRUE(PumpUntil([&] { return ud->GetPosition() == 1; }));
  ud->SetPosition(10);
  EXPECT_FALSE(ud->AtLimit(1));
  EXPECT_TRUE(ud->AtLimit(2));
}

// The hot half follows the system's hit tests; nothing changes while a half is held or for a
// point beside both halves, and a half at its limit is never hot with the inaccessible look.
TEST_F(Scroll, AnUpDownTakesItsHotHalfFromTheHitTest) {
  LoadSkin();
  MakeForm();
  TsUpDown* ud = MakeUpDown(0, 10);
  ud->SetPosition(10);
  Show();
  const POINT first = Centre(ud->HalfRect(1)), second = Centre(ud->HalfRect(2));
  HitTest(ud, second);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpSecondHot);
  HitTest(ud, POINT{-5, -5});
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpSecondHot);
  HitTest(ud, first);  // at Max
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpNone);
  ud->SetPosition(5);
  HitTest(ud, first);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(first));
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstPressed);
  HitTest(ud, second);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstPressed);
  EXPECT_EQ(ud->Perform(WM_LBUTTONUP, 0, At(first)), 1);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpNone);
}

// A press and its release go by Position against Max for the first half and Min for the
// second, whatever the orientation: the left half of a horizontal control that reaches Min
// and the right half that reaches Max still show pressed.
TEST_F(Scroll, AnUpDownPressAndReleaseGoByMaxForTheFirstHalfAndMinForTheSecond) {
  LoadSkin();
  MakeForm();
  auto* ud = New<TsUpDown>(form);
  ud->SetOrientation(udHorizontal);
  ud->SetBounds(100, 20, 30, 17);
  ud->SetMin(0);
  ud->SetMax(10);
  ud->SetParent(form);
  ud->SetPosition(1);
  Show();
  const POINT left = Centre(ud->HalfRect(1)), right = Centre(ud->HalfRect(2));
  HitTest(ud, left);
  ASSERT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(left));
  EXPECT_EQ(ud->GetPosition(), 0);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstPressed);
  ud->Perform(WM_LBUTTONUP, 0, At(left));
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(CM_MOUSELEAVE);

  // The right half reaching Max still shows pressed (Position is above Min).
  ud->SetPosition(9);
  HitTest(ud, right);
  ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(right));
  EXPECT_EQ(ud->GetPosition(), 10);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpSecondPressed);
  EXPECT_EQ(ud->Perform(WM_LBUTTONUP, 0, At(right)), 1);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpSecondHot);
  ud->Perform(CM_MOUSELEAVE);

  // A press that shows nothing pressed (here in an empty range) leaves the hot half as it is
  // on its release: the other half does not light up. A release without a press changes
  // nothing.
  ud->SetShowInaccessibility(false);
  ud->SetMin(0);
  ud->SetMax(0);
  HitTest(ud, left);
  ASSERT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(WM_LBUTTONDOWN, MK_LBUTTON, At(left));
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  EXPECT_EQ(ud->Perform(WM_LBUTTONUP, 0, At(left)), 0);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpFirstHot);
  ud->Perform(CM_MOUSELEAVE);
  EXPECT_EQ(ud->Perform(WM_LBUTTONUP, 0, At(right)), 0);
  EXPECT_EQ(ud->GetHotPart(), TsUpDown::hpNone);
}

// A disabled control keeps showing its hot half under the disabled look.
TEST_F(Scroll, ADisabledUpDownPaintsItsHotHalfUnderTheDisabledLook) {
  LoadSkin();
  MakeForm();
  TsUpDown* ud = MakeUpDown(0, 10);
  ud->SetPosition(5);
  Show();
  ud->SetHotPart(TsUpDown::hpFirstHot);
  ValidateRect(ud->GetHandle(), nullptr);
  ud->SetEnabled(false);
  EXPECT_TRUE(GetUpdateRect(ud->GetHandle(), nullptr, FALSE)) << "repainted disabled";
  const TColor hot = Pixel(ud, Centre(ud->HalfRect(1))), normal = Pixel(ud, Centre(ud->HalfRect(2)));
  // 40 percent of the section's colour, 60 percent of the form's.
  auto mix = [](TColor c, int shift) {
    return static_cast<int>(std::lround(((c >> shift) & 0xFF) * 0.4 + ((kFormColor >> shift) & 0xFF) * 0.6));
  };
  for (int shift : {0, 8, 16}) {
    EXPECT_NEAR(static_cast<int>((hot >> shift) & 0xFF), mix(kButtonHot, shift), 1) << shift;
    EXPECT_NEAR(static_cast<int>((normal >> shift) & 0xFF), mix(kButton, shift), 1) << shift;
  }
}

TEST_F(Scroll, WithoutASkinTheUpDownIsTheToolkitsControl) {
  MakeForm();
  auto* ud = New<TsUpDown>(form);
  ud->SetBounds(100, 20, 17, 24);
  ud->SetParent(form);
  Counter counter;
  ud->OnClick = TUDClickEvent(&counter, &Counter::Click);
  Show();
  EXPECT_FALSE(ud->Skinned());
  EXPECT_NE(Pixel(ud, Centre(ud->HalfRect(1))), kButton);
  Post(ud, WM_LBUTTONDOWN, Centre(ud->HalfRect(1)), MK_LBUTTON);
  Post(ud, WM_LBUTTONUP, Centre(ud->HalfRect(1)));
  ASSERT_TRUE(PumpUntil([&] { return counter.clicks == 1; }));
  EXPECT_EQ(ud->GetPosition(), 1);
}
