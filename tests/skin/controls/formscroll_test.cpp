// A form whose AutoScroll is set, on a skin with the form's section: its provider lays skinned
// bars over the client area when the children reach beyond it, and scrolls the children.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/skin/engine/skin_test_helpers.h"
#include "tests/skin/engine/skin_test_support.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/scommondata.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/classregistry.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/streams.h"
#include "toolkit/forms.h"

namespace {

class FormScroll : public testing::Test {
 protected:
  void SetUp() override {
    manager = New<TsSkinManager>(nullptr);
    TsGeneralData form_section;
    form_section.SectionName = "FORM";
    SkinGeneralData.push_back(form_section);
    SkinData().SkinLoaded = true;
  }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);
    SkinGeneralData.clear();
    SkinData().SkinLoaded = false;
  }
  // A 300 x 200 client area with one panel at (left, top) of the given size.
  void MakeForm(bool auto_scroll, RECT panel_bounds) {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetAutoScroll(auto_scroll);
    form->SetBounds(40, 40, 320, 240);
    form->SetClientWidth(300);
    form->SetClientHeight(200);
    panel = New<TPanel>(form);
    panel->SetParent(form);
    panel->SetBoundsRect(panel_bounds);
    provider = New<TsSkinProvider>(form);
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  }
  TsScrollBar* Bar(TScrollBarKind kind) { return provider->ScrollBar(kind); }
  int ClientWidth() { return form->GetClientRect().right; }
  int ClientHeight() { return form->GetClientRect().bottom; }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
  TPanel* panel = nullptr;
  TsSkinProvider* provider = nullptr;
};

}  // namespace

TEST_F(FormScroll, TheProviderTakesTheFormsScrollingOver) {
  MakeForm(true, RECT{10, 10, 100, 100});
  EXPECT_FALSE(form->GetAutoScroll());  // the form itself no longer scrolls
  Show();
  EXPECT_EQ(Bar(sbVertical), nullptr);  // everything fits
  EXPECT_EQ(Bar(sbHorizontal), nullptr);
}

TEST_F(FormScroll, ContentBelowTheClientAreaGetsAVerticalBarAtTheRightEdge) {
  MakeForm(true, RECT{10, 10, 100, 400});
  Show();
  TsScrollBar* bar = Bar(sbVertical);
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Bar(sbHorizontal), nullptr);
  EXPECT_EQ(bar->GetKind(), sbVertical);
  EXPECT_EQ(bar->GetParent(), form);
  EXPECT_TRUE(bar->GetVisible());
  EXPECT_FALSE(bar->GetTabStop());
  EXPECT_EQ(bar->GetLeft() + bar->GetWidth(), ClientWidth());
  EXPECT_EQ(bar->GetTop(), 0);
  EXPECT_EQ(bar->GetHeight(), ClientHeight());
  // The content ends 2 pixels below the panel; the page leaves 4 pixels.
  EXPECT_EQ(bar->GetPageSize(), ClientHeight() - 4);
  EXPECT_EQ(bar->GetMax(), 402 - (ClientHeight() - 4));
  EXPECT_EQ(bar->GetSmallChange(), 8);
  EXPECT_EQ(bar->GetLargeChange(), 80);
}

TEST_F(FormScroll, MovingTheBarMovesTheChildrenAndBackToTheSamePlaces) {
  MakeForm(true, RECT{10, 10, 100, 400});
  Show();
  TsScrollBar* bar = Bar(sbVertical);
  ASSERT_NE(bar, nullptr);
  const int max = bar->GetMax();
  bar->SetPosition(50);
  EXPECT_EQ(panel->GetTop(), 10 - 50);
  EXPECT_EQ(provider->ScrollOffset(sbVertical), 50);
  EXPECT_EQ(bar->GetLeft() + bar->GetWidth(), ClientWidth());  // the bar itself stays
  // Scrolled, the content is still as long: the range does not shrink on a new layout.
  provider->UpdateScrollBars();
  EXPECT_EQ(bar->GetMax(), max);
  EXPECT_EQ(bar->GetPosition(), 50);
  bar->SetPosition(max);
  EXPECT_EQ(panel->GetTop() + panel->GetHeight() + 2, ClientHeight() - 4);  // the end shows
  bar->SetPosition(0);
  EXPECT_EQ(panel->GetTop(), 10);
}

TEST_F(FormScroll, AFormGrownToFitDropsTheBarAndScrollsBack) {
  MakeForm(true, RECT{10, 10, 100, 400});
  Show();
  ASSERT_NE(Bar(sbVertical), nullptr);
  Bar(sbVertical)->SetPosition(70);
  ASSERT_EQ(panel->GetTop(), -60);
  form->SetClientHeight(500);
  EXPECT_EQ(Bar(sbVertical), nullptr);
  EXPECT_EQ(provider->ScrollOffset(sbVertical), 0);
  EXPECT_EQ(panel->GetTop(), 10);
}

TEST_F(FormScroll, AFormShrunkBelowTheScrolledPlaceScrollsToItsNewEnd) {
  MakeForm(true, RECT{10, 10, 100, 400});
  Show();
  ASSERT_NE(Bar(sbVertical), nullptr);
  Bar(sbVertical)->SetPosition(Bar(sbVertical)->GetMax());
  form->SetClientHeight(300);
  ASSERT_NE(Bar(sbVertical), nullptr);
  EXPECT_EQ(Bar(sbVertical)->GetPosition(), Bar(sbVertical)->GetMax());
  EXPECT_EQ(panel->GetTop() + panel->GetHeight() + 2, ClientHeight() - 4);
}

TEST_F(FormScroll, BothBarsLeaveEachOtherTheCorner) {
  MakeForm(true, RECT{10, 10, 600, 400});
  Show();
  TsScrollBar* v = Bar(sbVertical);
  TsScrollBar* h = Bar(sbHorizontal);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(v->GetHeight(), ClientHeight() - h->GetHeight());
  EXPECT_EQ(h->GetWidth(), ClientWidth() - v->GetWidth());
  EXPECT_EQ(h->GetTop() + h->GetHeight(), ClientHeight());
  TsGrip* grip = provider->ScrollGrip();  // the corner between them
  ASSERT_NE(grip, nullptr);
  EXPECT_EQ(grip->GetLeft(), v->GetLeft());
  EXPECT_EQ(grip->GetTop(), h->GetTop());
  EXPECT_EQ(grip->GetLeft() + grip->GetWidth(), ClientWidth());
  EXPECT_EQ(grip->GetTop() + grip->GetHeight(), ClientHeight());
  h->SetPosition(30);
  EXPECT_EQ(panel->GetLeft(), 10 - 30);
  EXPECT_EQ(v->GetLeft() + v->GetWidth(), ClientWidth());  // the bars are not scrolled away
  EXPECT_EQ(grip->GetLeft(), v->GetLeft());
  form->SetClientWidth(700);  // one bar left: the grip goes
  EXPECT_EQ(Bar(sbHorizontal), nullptr);
  EXPECT_EQ(provider->ScrollGrip(), nullptr);
}

TEST_F(FormScroll, AFormLaidOutFromTheRightHasItsVerticalBarAndCornerOnTheLeft) {
  MakeForm(true, RECT{10, 10, 600, 400});
  form->SetBiDiMode(bdRightToLeft);
  Show();
  const int thickness = GetSystemMetrics(SM_CXVSCROLL);
  TsScrollBar* v = Bar(sbVertical);
  TsScrollBar* h = Bar(sbHorizontal);
  ASSERT_NE(v, nullptr);
  ASSERT_NE(h, nullptr);
  // Both bars: the horizontal one leaves the left corner to the vertical one and the grip.
  EXPECT_EQ(v->GetBoundsRect(), (RECT{1, 1, thickness + 1, ClientHeight() - 1 - h->GetHeight()}));
  EXPECT_EQ(h->GetLeft(), v->GetWidth());
  EXPECT_EQ(h->GetLeft() + h->GetWidth(), ClientWidth());
  ASSERT_NE(provider->ScrollGrip(), nullptr);
  EXPECT_EQ(provider->ScrollGrip()->GetLeft(), v->GetLeft());
  form->SetClientWidth(700);  // the vertical bar alone
  ASSERT_EQ(Bar(sbHorizontal), nullptr);
  EXPECT_EQ(v->GetBoundsRect(), (RECT{1, 1, thickness + 1, ClientHeight() - 1}));
}

TEST_F(FormScroll, TheFormsRangeAndIncrementCount) {
  MakeForm(true, RECT{10, 10, 100, 100});
  form->GetVertScrollBar()->SetRange(1000);
  form->GetVertScrollBar()->SetIncrement(13);
  Show();
  ASSERT_NE(Bar(sbVertical), nullptr);
  EXPECT_EQ(Bar(sbVertical)->GetMax(), 1000 - (ClientHeight() - 4));
  EXPECT_EQ(Bar(sbVertical)->GetSmallChange(), 13);
}

TEST_F(FormScroll, AlignedChildrenDoNotMakeTheFormScroll) {
  MakeForm(true, RECT{10, 10, 100, 100});
  panel->SetAlign(alBottom);
  panel->SetHeight(900);
  Show();
  EXPECT_EQ(Bar(sbVertical), nullptr);
}

TEST_F(FormScroll, AFormWithoutAutoScrollOrWithoutTheSkinHasNoBars) {
  MakeForm(false, RECT{10, 10, 100, 400});
  Show();
  EXPECT_EQ(Bar(sbVertical), nullptr);
  Free(form);
  form = nullptr;

  MakeForm(true, RECT{10, 10, 100, 400});
  Show();
  ASSERT_NE(Bar(sbVertical), nullptr);
  Bar(sbVertical)->SetPosition(40);
  TMessage remove{SKM_REMOVESKIN, 0, 0, 0};
  BroadcastToForm(form, remove);  // the skin goes: so do the bars, and the form scrolls back
  EXPECT_EQ(Bar(sbVertical), nullptr);
  EXPECT_EQ(panel->GetTop(), 10);
}

// ---- The internal skin ----------------------------------------------------------------------

TEST_F(FormScroll, OnTheInternalSkinBothBarsAreSkinnedAndScroll) {
  SkinGeneralData.clear();
  RegisterSkinEngineClasses();
  RegisterSkinControlsClasses();
  ASSERT_TRUE(ReadInternalSkin(manager, DRAVOLIN_SKIN_DIR));
  MakeForm(true, RECT{10, 10, 600, 500});
  panel->SetCaption("Content");
  form->SetText("Scrolled form");
  Show();
  ASSERT_NE(Bar(sbVertical), nullptr);
  ASSERT_NE(Bar(sbHorizontal), nullptr);
  EXPECT_TRUE(Bar(sbVertical)->Skinned());
  EXPECT_TRUE(Bar(sbHorizontal)->Skinned());
  Bar(sbVertical)->SetPosition(100);
  Bar(sbHorizontal)->SetPosition(60);
  EXPECT_EQ(panel->GetTop(), 10 - 100);
  EXPECT_EQ(panel->GetLeft(), 10 - 60);
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  SaveWindowPicture(form->GetHandle(), "DRAVOLIN_FORM_SCROLL_PICTURE");
}
