// The skin data of controls without a style object, driven through a test control on a form:
// the control's window procedure hands every message to its TsCommonData first.
#include <gtest/gtest.h>

#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin_test_controls.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/forms.h"

namespace {

class CommonData : public testing::Test {
 protected:
  void SetUp() override {
    SetSkinnedLabelTest(&IsTestLabel);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 300, 200);
    control = New<TSkinTestControl>(form);
    control->SetParent(form);
    data = control->Data();
  }
  void TearDown() override {
    SetSkinnedLabelTest(nullptr);
    Free(form);
    Pump();
  }
  void ShowForm() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  }
  LRESULT Send(UINT msg, LPARAM lparam = 0) { return control->Perform(msg, 0, lparam); }

  TDesktopLock desktop;
  TForm* form = nullptr;
  TSkinTestControl* control = nullptr;
  TsCommonData* data = nullptr;
};

}  // namespace

TEST_F(CommonData, TheSameSectionAgainDoesNothingAndAnEmptyOneTakesTheClassName) {
  ShowForm();
  data->SetSkinSection("TsListView");
  data->BGChanged = false;
  control->invalidates = 0;
  data->SetSkinSection("TsListView");
  EXPECT_FALSE(data->BGChanged);  // not looked up
  EXPECT_EQ(control->invalidates, 0);
  data->SetSkinSection("");
  EXPECT_EQ(data->GetSkinSection(), "TSkinTestControl");
  EXPECT_EQ(control->invalidates, 1);
}

TEST_F(CommonData, LoadedWithoutSectionTakesTheOwnersClassName) {
  control->MarkLoading();
  control->FinishLoading();
  EXPECT_EQ(data->GetSkinSection(), "TSkinTestControl");
}

TEST_F(CommonData, AMissingSectionFallsBackToSimplyEdit) {
  {
    TTestSkin skin({Section("TsListView"), Section("SimplyEdit"), Section("TsPlain")},
                   {"TSLISTVIEW", "SIMPLYEDIT"});
    data->SetSkinSection("TsListView");
    EXPECT_EQ(data->SkinIndex, 0);
    EXPECT_EQ(data->BorderIndex, 0);
    data->SetSkinSection("TsNothing");
    EXPECT_EQ(data->SkinIndex, 1);
    EXPECT_EQ(data->BorderIndex, 1);
    data->SetSkinSection("tsplain");  // no letter case; no border of its own
    EXPECT_EQ(data->SkinIndex, 2);
    EXPECT_EQ(data->BorderIndex, -1);
  }
  TTestSkin skin({Section("TsListView")}, {});
  Send(SKM_SETNEWSKIN);  // nor the fallback in this skin
  EXPECT_EQ(data->SkinIndex, -1);
  EXPECT_FALSE(data->Skinned());
}

TEST_F(CommonData, NeverHotKindsIgnoreTheMouseAndAreNeverActive) {
  auto* other = New<TSkinTestControl>(form);
  other->SetTop(100);
  other->SetParent(form);
  ShowForm();
  form->FocusControl(other);  // the window focus is elsewhere
  data->COC = 142;            // a scroll bar
  TMessage enter{CM_MOUSEENTER, 0, 0, 0};
  data->WndProc(enter);
  EXPECT_EQ(enter.Result, -1);
  EXPECT_FALSE(data->GetMouseAbove());
  control->Perform(WM_SETFOCUS);
  EXPECT_TRUE(data->GetFocused());
  EXPECT_FALSE(data->ControlIsActive());

  data->COC = 10;  // a list view
  control->Perform(CM_MOUSEENTER);
  control->Perform(WM_KILLFOCUS);
  EXPECT_TRUE(data->ControlIsActive());  // hovered
  control->Perform(CM_MOUSELEAVE);
  EXPECT_FALSE(data->ControlIsActive());
}

TEST_F(CommonData, QueriesAnswerZeroOrOneAndTheRestOfTheRangeMinusOne) {
  data->BGChanged = false;
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 1);
  EXPECT_EQ(Send(SKM_ISUPDATING), 0);
  data->BeginUpdate();
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 0);
  EXPECT_EQ(Send(SKM_ISUPDATING), 1);
  data->EndUpdate();
  auto* child = New<TSkinTestControl>(form);
  child->SetParent(control);
  child->Data()->BGChanged = false;
  control->is_updating_answer = 2;  // only 1 counts
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY), 1);
  control->is_updating_answer = 1;
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY), 0);

  for (UINT msg : {SKM_LIBFIRST, SKM_BGCHANGED, 0xA405u, SKM_BOUNDSCHANGED, SKM_SETUPDATING, SKM_LIBLAST})
    EXPECT_EQ(Send(msg), -1) << std::hex << msg;
  for (UINT msg : {SKM_GETSKINOBJECT, SKM_EDITFIRST}) {
    TMessage outside{msg, 0, 0, 0};
    data->WndProc(outside);
    EXPECT_EQ(outside.Result, 0) << std::hex << msg;
  }
}

TEST_F(CommonData, WithoutCacheBitmapTheAskerSeesNoParentCache) {
  auto* bare = New<TSkinTestControl>(form, false);
  bare->SetParent(form);
  auto* child = New<TSkinTestControl>(form);
  child->SetParent(bare);
  TsCacheInfo info;
  child->Data()->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
  child->SetParent(control);
  child->Data()->GetParentCacheInfo(info);
  EXPECT_TRUE(info.Ready);
  EXPECT_EQ(info.Bmp, data->GetCacheBmp());
  child->SetParent(form);  // a parent that does not answer
  child->Data()->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
}

TEST_F(CommonData, ASkinChangeUpdatesThenRefreshesAndRepaintsTheLabels) {
  auto* label = New<TSkinTestLabel>(form);
  label->SetParent(control);
  ShowForm();
  TTestSkin skin({Section("TsListView")}, {});
  data->SetSkinSection("TsListView");
  data->SkinIndex = -1;
  Send(SKM_SETNEWSKIN);
  EXPECT_EQ(data->SkinIndex, 0);
  EXPECT_TRUE(data->Updating());
  control->invalidates = 0;
  Send(SKM_REFRESH);
  EXPECT_FALSE(data->Updating());
  EXPECT_EQ(control->invalidates, 1);
  EXPECT_EQ(label->repaints, 1);
  Send(SKM_REMOVESKIN);
  EXPECT_EQ(data->SkinIndex, -1);
  EXPECT_TRUE(data->Updating());
}

TEST_F(CommonData, RemovingTheSkinWhileTheOwnerIsDestroyedChangesNothing) {
  auto* label = New<TSkinTestLabel>(form);  // owned by the form: not marked itself
  label->SetParent(control);
  ShowForm();
  data->SkinIndex = 3;
  data->BorderIndex = 4;
  control->MarkDestroying();
  control->repaints = control->invalidates = 0;
  Send(SKM_REMOVESKIN);
  EXPECT_EQ(data->SkinIndex, 3);
  EXPECT_EQ(data->BorderIndex, 4);
  EXPECT_FALSE(data->Updating());
  EXPECT_EQ(control->repaints, 0);
  Send(SKM_REFRESH);  // a broadcast reaching it is harmless
  EXPECT_EQ(control->invalidates, 0);
  EXPECT_EQ(label->repaints, 0);
}

TEST_F(CommonData, AnEntryWhoseOwnerIsFreedMeanwhileStopsThere) {
  ShowForm();
  TSkinTestControl* doomed = control;
  doomed->on_invalidate = [&] { FreeAndNil(control); };
  doomed->Perform(SKM_REFRESH);  // invalidates (and frees) first, then would repaint the labels
  EXPECT_EQ(control, nullptr);

  // The same before a repaint-section request goes to the window (an unnamed section matches
  // the empty name asked for).
  auto* other = New<TSkinTestControl>(form);
  other->SetParent(form);
  HWND window = other->GetHandle();
  other->on_invalidate = [&] { FreeAndNil(other); };
  TSkinTestControl* target = other;
  target->Perform(SKM_REPAINTSECTION);
  EXPECT_EQ(other, nullptr);
  EXPECT_FALSE(IsWindow(window));
}
