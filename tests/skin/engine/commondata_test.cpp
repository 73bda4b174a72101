// The skin data of controls without a style object, driven through a skinned test control on a
// shown form: the control's window procedure hands every message to its TsCommonData first.
#include <gtest/gtest.h>

#include "skin/engine/scommondata.h"
#include "skin/engine/sctrlutils.h"
#include "skin_test_controls.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/forms.h"

namespace {

class CommonData : public testing::Test {
 protected:
  void SetUp() override {
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

TEST_F(CommonData, StartsUnskinnedWithAStaleCacheOfTwentyFourBits) {
  EXPECT_EQ(data->SkinIndex, -1);
  EXPECT_EQ(data->BorderIndex, -1);
  EXPECT_TRUE(data->BGChanged);
  EXPECT_FALSE(data->Skinned());
  EXPECT_EQ(data->GetOwnerControl(), control);
  EXPECT_EQ(data->GetOwnerObject(), control);
  ASSERT_NE(data->GetCacheBmp(), nullptr);
  EXPECT_EQ(data->GetCacheBmp()->GetPixelFormat(), pf24bit);

  auto* bare = New<TSkinTestControl>(form, false);
  EXPECT_EQ(bare->Data()->GetCacheBmp(), nullptr);
  bare->Data()->UpdateCacheBmp();
  ASSERT_NE(bare->Data()->GetCacheBmp(), nullptr);
  EXPECT_EQ(bare->Data()->GetCacheBmp()->GetWidth(), 80);
  EXPECT_EQ(bare->Data()->GetCacheBmp()->GetHeight(), 40);
  EXPECT_EQ(bare->Data()->GetCacheBmp()->GetPixelFormat(), pf24bit);

  // An owner that is no control: no owner control, nothing to invalidate.
  TObject* other = New<TPersistent>();
  TsCommonData* loose = New<TsCommonData>(other, false);
  EXPECT_EQ(loose->GetOwnerControl(), nullptr);
  EXPECT_EQ(loose->GetOwnerObject(), other);
  loose->BGChanged = false;
  loose->Invalidate();
  EXPECT_FALSE(loose->BGChanged);
  loose->SetSkinSection("Grid");
  loose->SetSkinSection("");
  EXPECT_EQ(loose->GetSkinSection(), "TPersistent");
  Free(loose);
  Free(other);
}

TEST_F(CommonData, SettingTheSameSectionDoesNothingAndAnEmptyOneTakesTheClassName) {
  ShowForm();
  data->SetSkinSection("TsListView");
  EXPECT_EQ(data->GetSkinSection(), "TsListView");
  data->BGChanged = false;
  control->invalidates = 0;
  data->SetSkinSection("TsListView");
  EXPECT_FALSE(data->BGChanged);  // no look-up
  EXPECT_EQ(control->invalidates, 0);
  data->SetSkinSection("TSLISTVIEW");  // letter case counts
  EXPECT_EQ(data->GetSkinSection(), "TSLISTVIEW");
  EXPECT_EQ(control->invalidates, 1);

  data->SetSkinSection("");
  EXPECT_EQ(data->GetSkinSection(), "TSkinTestControl");
}

TEST_F(CommonData, LoadedWithoutSectionTakesTheOwnersClassName) {
  control->MarkLoading();
  control->FinishLoading();
  EXPECT_EQ(data->GetSkinSection(), "TSkinTestControl");
  EXPECT_TRUE(data->BGChanged);

  auto* named = New<TSkinTestControl>(form);
  named->Data()->SetSkinSection("TsScrollBar");
  named->Data()->BGChanged = false;
  named->FinishLoading();
  EXPECT_EQ(named->Data()->GetSkinSection(), "TsScrollBar");
  EXPECT_TRUE(named->Data()->BGChanged);  // looked up again
}

TEST_F(CommonData, NeverHotKindsIgnoreTheMouseAndAreNeverActive) {
  auto* other = New<TSkinTestControl>(form);
  other->SetTop(100);
  other->SetParent(form);
  ShowForm();
  form->FocusControl(other);  // the window focus is elsewhere
  data->COC = 142;            // a scroll bar
  EXPECT_EQ(data->GetMouseAbove(), false);
  TMessage enter{CM_MOUSEENTER, 0, 0, 0};
  data->WndProc(enter);
  EXPECT_EQ(enter.Result, -1);
  EXPECT_FALSE(data->GetMouseAbove());
  control->Perform(WM_SETFOCUS);
  EXPECT_TRUE(data->GetFocused());
  EXPECT_FALSE(data->ControlIsActive());

  data->COC = 10;  // a list view
  control->Perform(CM_MOUSEENTER);
  EXPECT_TRUE(data->GetMouseAbove());
  EXPECT_TRUE(data->ControlIsActive());
  control->Perform(WM_KILLFOCUS);
  EXPECT_FALSE(data->GetFocused());
  EXPECT_TRUE(data->ControlIsActive());  // still under the mouse
  TMessage leave{CM_MOUSELEAVE, 0, 0, 0};
  data->WndProc(leave);
  EXPECT_EQ(leave.Result, -1);
  EXPECT_FALSE(data->ControlIsActive());

  control->Perform(CM_MOUSEENTER);
  control->SetEnabled(false);
  EXPECT_FALSE(data->ControlIsActive());
}

TEST_F(CommonData, FocusCountsOnlyForAFocusableTabStop) {
  ShowForm();
  control->SetTabStop(false);
  control->Perform(CM_ENTER);
  EXPECT_FALSE(data->GetFocused());
  control->SetTabStop(true);
  data->BGChanged = false;
  control->Perform(CM_ENTER);
  EXPECT_TRUE(data->GetFocused());
  EXPECT_TRUE(data->BGChanged);
  control->Perform(CM_EXIT);
  EXPECT_FALSE(data->GetFocused());
}

TEST_F(CommonData, MovesAndSizesMarkTheCacheAndTellTheControl) {
  ShowForm();
  data->BGChanged = false;
  control->seen.clear();
  control->SetBounds(5, 5, 90, 50);
  EXPECT_TRUE(data->BGChanged);
  EXPECT_GE(CountOf(control->seen, SKM_BOUNDSCHANGED), 1);
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 0);  // stale until rebuilt
}

TEST_F(CommonData, QueriesAnswerZeroOrOneAndTheRestOfTheRangeMinusOne) {
  data->BGChanged = true;
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 0);
  EXPECT_EQ(Send(SKM_ISUPDATING), 1);
  data->BGChanged = false;
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 1);
  EXPECT_EQ(Send(SKM_ISUPDATING), 0);
  data->BeginUpdate();
  EXPECT_EQ(Send(SKM_ISCACHEREADY), 0);
  EXPECT_EQ(Send(SKM_ISUPDATING), 1);
  data->EndUpdate();

  for (UINT msg : {0xA001u, SKM_BGCHANGED, 0xA405u, SKM_BOUNDSCHANGED, SKM_SETUPDATING, 0xA410u, 0xA414u})
    EXPECT_EQ(Send(msg, 0), -1) << std::hex << msg;
  TMessage outside{0xA415, 0, 0, 0};
  data->WndProc(outside);
  EXPECT_EQ(outside.Result, 0);
  TMessage skin_object{SKM_GETSKINOBJECT, 0, 0, 0};
  data->WndProc(skin_object);
  EXPECT_EQ(skin_object.Result, 0);
  EXPECT_EQ(skin_object.LParam, 0);
}

TEST_F(CommonData, UpdatingAsksTheParentForExactlyOne) {
  auto* parent = New<TSkinTestControl>(form);
  parent->SetParent(form);
  auto* child = New<TSkinTestControl>(form);
  child->SetParent(parent);
  child->Data()->BGChanged = false;
  parent->is_updating_answer = 1;
  EXPECT_TRUE(child->Data()->Updating());
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY), 0);
  parent->is_updating_answer = 2;
  EXPECT_FALSE(child->Data()->Updating());
  parent->is_updating_answer = -1;
  EXPECT_FALSE(child->Data()->Updating());
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY), 1);

  child->SetParent(nullptr);
  EXPECT_FALSE(child->Data()->Updating());
  child->Perform(SKM_SETUPDATING, 0, 1);
  EXPECT_TRUE(child->Data()->Updating());
  child->Perform(SKM_SETUPDATING, 0, 0);
  EXPECT_FALSE(child->Data()->Updating());
  Free(child);
}

TEST_F(CommonData, TheCacheAnswerNeedsACacheBitmap) {
  auto* bare = New<TSkinTestControl>(form, false);
  bare->SetParent(form);
  auto* child = New<TSkinTestControl>(form);
  child->SetParent(bare);
  TsCacheInfo info;
  child->Data()->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
  EXPECT_EQ(bare->Perform(SKM_GETCACHEINFO), -1);

  child->SetParent(control);
  child->Data()->GetParentCacheInfo(info);
  EXPECT_TRUE(info.Ready);
  EXPECT_EQ(info.Bmp, data->GetCacheBmp());
  EXPECT_EQ(info.X, 0);
  EXPECT_EQ(info.Y, 0);

  // A parent that does not answer leaves it not ready.
  child->SetParent(form);
  child->Data()->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
  child->SetParent(nullptr);
  child->Data()->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
  EXPECT_EQ(info.Bmp, nullptr);
  Free(child);
}

TEST_F(CommonData, ASkinChangeUpdatesThenRefreshesAndRepaintsTheLabels) {
  SetSkinnedLabelTest(&IsTestLabel);
  ShowForm();
  auto* label = New<TSkinTestLabel>(form);
  label->SetParent(control);
  data->SetSkinSection("TsListView");
  data->BGChanged = false;

  Send(SKM_SETNEWSKIN);
  EXPECT_TRUE(data->Updating());
  EXPECT_TRUE(data->BGChanged);
  EXPECT_EQ(data->SkinIndex, -1);  // no skin loaded: not even the fallback
  control->invalidates = 0;
  Send(SKM_REFRESH);
  EXPECT_FALSE(data->Updating());
  EXPECT_TRUE(data->BGChanged);
  EXPECT_EQ(control->invalidates, 1);
  EXPECT_EQ(label->repaints, 1);

  Send(SKM_REMOVESKIN);
  EXPECT_EQ(data->SkinIndex, -1);
  EXPECT_EQ(data->BorderIndex, -1);
  EXPECT_TRUE(data->Updating());
  EXPECT_GE(control->repaints, 1);

  Send(SKM_BGCHANGED, 0);
  EXPECT_FALSE(data->BGChanged);
  Send(SKM_BGCHANGED, -1);
  EXPECT_TRUE(data->BGChanged);
}

TEST_F(CommonData, RemovingTheSkinWhileTheOwnerIsDestroyedChangesNothing) {
  SetSkinnedLabelTest(&IsTestLabel);
  auto* label = New<TSkinTestLabel>(form);  // owned by the form: not marked itself
  label->SetParent(control);
  ShowForm();
  data->SkinIndex = 3;
  data->BorderIndex = 4;
  control->MarkDestroying();
  control->repaints = 0;
  Send(SKM_REMOVESKIN);
  EXPECT_EQ(data->SkinIndex, 3);
  EXPECT_EQ(data->BorderIndex, 4);
  EXPECT_FALSE(data->Updating());
  EXPECT_EQ(control->repaints, 0);
  // Nor is it invalidated any more.
  data->BGChanged = false;
  Send(SKM_REFRESH);
  EXPECT_EQ(control->invalidates, 0);
  EXPECT_EQ(label->repaints, 0);
}

TEST_F(CommonData, InvalidateWaitsUntilTheControlIsPlacedAndLoaded) {
  auto* loose = New<TSkinTestControl>(form);
  loose->Data()->BGChanged = false;
  loose->Data()->Invalidate();
  EXPECT_TRUE(loose->Data()->BGChanged);
  EXPECT_EQ(loose->invalidates, 0);  // no parent yet

  control->MarkLoading();
  data->BGChanged = false;
  data->Invalidate();
  EXPECT_FALSE(data->BGChanged);
  EXPECT_EQ(control->invalidates, 0);
  control->FinishLoading();
  data->Invalidate();
  EXPECT_TRUE(data->BGChanged);
  EXPECT_GE(control->invalidates, 1);
}

TEST_F(CommonData, AnEntryWhoseOwnerIsFreedMeanwhileStopsThere) {
  ShowForm();
  SetSkinnedLabelTest(&IsTestLabel);
  TSkinTestControl* doomed = control;
  doomed->on_invalidate = [&] { FreeAndNil(control); };
  doomed->Perform(SKM_REFRESH);  // invalidates (and frees) first, then would repaint the labels
  EXPECT_EQ(control, nullptr);

  // The same before a repaint-section request is sent to the window (an unnamed section
  // matches the empty name asked for).
  auto* other = New<TSkinTestControl>(form);
  other->SetParent(form);
  HWND window = other->GetHandle();
  other->on_invalidate = [&] { FreeAndNil(other); };
  TSkinTestControl* target = other;
  target->Perform(SKM_REPAINTSECTION);
  EXPECT_EQ(other, nullptr);
  EXPECT_FALSE(IsWindow(window));
}

TEST_F(CommonData, AMissingSectionFallsBackToSimplyEdit) {
  {
    TTestSkin skin({Section("TsListView"), Section("SimplyEdit"), Section("TsPlain")},
                   {"TSLISTVIEW", "SIMPLYEDIT"});
    data->SetSkinSection("TsListView");
    EXPECT_TRUE(data->Skinned());
    EXPECT_EQ(data->SkinIndex, 0);
    EXPECT_EQ(data->BorderIndex, 0);
    data->SetSkinSection("TsNothing");
    EXPECT_EQ(data->SkinIndex, 1);
    EXPECT_EQ(data->BorderIndex, 1);
    data->SetSkinSection("tsplain");  // found without letter case, but has no border
    EXPECT_EQ(data->SkinIndex, 2);
    EXPECT_EQ(data->BorderIndex, -1);
  }
  TTestSkin skin({Section("TsListView")}, {});
  Send(SKM_SETNEWSKIN);  // a skin without the fallback section
  EXPECT_EQ(data->SkinIndex, -1);
  EXPECT_EQ(data->BorderIndex, -1);
  EXPECT_FALSE(data->Skinned());
}

TEST_F(CommonData, OnlyPartlyTransparentSectionsRepaintForTransparencyUpdates) {
  TsGeneralData glass = Section("Glass");
  glass.PaintingTransparency = 40;
  TTestSkin skin({Section("Solid"), glass}, {});
  ShowForm();
  data->SetSkinSection("Solid");
  data->BGChanged = false;
  control->repaints = 0;
  Send(SKM_UPDATETRANSPARENT);
  EXPECT_FALSE(data->BGChanged);
  EXPECT_EQ(control->repaints, 0);
  data->SetSkinSection("Glass");
  data->BGChanged = false;
  Send(SKM_UPDATETRANSPARENT);
  EXPECT_TRUE(data->BGChanged);
  EXPECT_EQ(control->repaints, 1);
}
