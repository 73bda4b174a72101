// The painting and repaint helpers of the skinned controls, on a shown test form.
#include <gtest/gtest.h>

#include "skin/engine/sctrlutils.h"
#include "skin_test_controls.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/collections.h"
#include "toolkit/forms.h"

namespace {

class TNamedItem : public TCollectionItem {
  TK_CLASS(TNamedItem, TCollectionItem)

 public:
  explicit TNamedItem(TCollection* collection) : TCollectionItem(collection) {}
  std::string GetDisplayName() const override { return name; }
  std::string name;
};
TK_CLASS_INFO(TNamedItem, TCollectionItem)

class CtrlUtils : public testing::Test {
 protected:
  void SetUp() override {
    SetSkinnedLabelTest(&IsTestLabel);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 300, 200);
    panel = New<TSkinTestWindow>(form);
    panel->SetBounds(10, 10, 200, 120);
    panel->SetParent(form);
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
  template <class T>
  T* Child(TWinControl* parent, int left, int top) {
    T* c = New<T>(form);
    c->SetLeft(left);
    c->SetTop(top);
    c->SetParent(parent);
    return c;
  }
  static bool Invalid(TWinControl* control) { return GetUpdateRect(control->GetHandle(), nullptr, FALSE); }
  static void Validate(TWinControl* control) { ValidateRect(control->GetHandle(), nullptr); }

  TDesktopLock desktop;
  TForm* form = nullptr;
  TSkinTestWindow* panel = nullptr;
};

}  // namespace

TEST_F(CtrlUtils, AControlIsReadyToPaintOnlyPlacedAndNeitherBeingBuiltNorFreed) {
  EXPECT_FALSE(ControlReadyToPaint(nullptr));
  auto* shape = New<TSkinTestShape>(form);
  EXPECT_FALSE(ControlReadyToPaint(shape));  // created, not placed yet
  shape->SetParent(panel);
  EXPECT_TRUE(ControlReadyToPaint(shape));
  EXPECT_FALSE(ControlReadyToPaint(form));  // a form has no parent

  auto* control = Child<TSkinTestControl>(panel, 0, 0);
  EXPECT_TRUE(ControlReadyToPaint(control));
  control->SetControlState(control->GetControlState() + TControlState{csCreating});
  EXPECT_FALSE(ControlReadyToPaint(control));
  control->SetControlState(control->GetControlState() - TControlState{csCreating});
  control->MarkLoading();
  EXPECT_FALSE(ControlReadyToPaint(control));
  control->FinishLoading();
  EXPECT_TRUE(ControlReadyToPaint(control));
  control->MarkDestroying();
  EXPECT_FALSE(ControlReadyToPaint(control));
}

TEST_F(CtrlUtils, TheNearestFormIsTheFirstUpTheParentChain) {
  auto* shape = Child<TSkinTestShape>(panel, 0, 0);
  EXPECT_EQ(GetNearestForm(shape), form);
  EXPECT_EQ(GetNearestForm(form), form);
  EXPECT_EQ(GetNearestForm(nullptr), nullptr);
  auto* loose = New<TSkinTestShape>(form);
  EXPECT_EQ(GetNearestForm(loose), nullptr);

  TForm* inner = New<TForm>(form, kCreateNew);
  inner->SetParent(panel);
  auto* deep = Child<TSkinTestShape>(inner, 0, 0);
  EXPECT_EQ(GetNearestForm(deep), inner);
  EXPECT_EQ(GetParentForm(deep), form);  // the toolkit's: the top-level one
}

TEST_F(CtrlUtils, MessagesReachGraphicControlsByPerformAndWindowsAtTheirWindow) {
  auto* control = Child<TSkinTestControl>(panel, 0, 0);
  control->HandleNeeded();
  control->Data()->BGChanged = false;
  EXPECT_TRUE(SendAMessage(control->GetHandle(), kIsCacheReady));
  control->Data()->BGChanged = true;
  EXPECT_FALSE(SendAMessage(control->GetHandle(), kIsCacheReady));

  auto* shape = Child<TSkinTestShape>(panel, 0, 0);
  SendBGChanged(shape, true);
  SendBGChanged(shape, false);
  ASSERT_EQ(shape->seen.size(), 2u);
  EXPECT_EQ(shape->seen[0].lparam, -1);
  EXPECT_EQ(shape->seen[1].lparam, 0);

  auto* window = Child<TSkinTestWindow>(panel, 0, 0);
  window->WatchWindow();
  SendBGChanged(window, true);
  ASSERT_EQ(window->seen_by_window.size(), 1u);
  EXPECT_EQ(window->seen_by_window[0].msg, kBGChanged);
  EXPECT_EQ(window->seen_by_window[0].lparam, -1);
}

TEST_F(CtrlUtils, ANoticeToAControlWithoutWindowCreatesNone) {
  auto* window = New<TSkinTestWindow>(form);
  window->SetParent(panel);
  ASSERT_FALSE(window->HandleAllocated());
  SendBGChanged(window, true);
  EXPECT_FALSE(window->HandleAllocated());
  EXPECT_EQ(CountOf(window->seen, kBGChanged), 1);  // still told

  RefreshWindowAndChildren(panel, true);
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_FALSE(window->HandleAllocated());
  EXPECT_EQ(CountOf(window->seen, kBGChanged), 2);
}

TEST_F(CtrlUtils, TextFlagsFollowTheAlignmentAndTheReadingOrder) {
  auto* shape = Child<TSkinTestShape>(panel, 0, 0);
  EXPECT_EQ(DrawTextBiDiFlags(shape, taLeftJustify), UINT(DT_LEFT | DT_EXPANDTABS | DT_VCENTER));
  EXPECT_EQ(DrawTextBiDiFlags(shape, taRightJustify), UINT(DT_RIGHT | DT_EXPANDTABS | DT_VCENTER));
  EXPECT_EQ(DrawTextBiDiFlags(shape, taCenter), UINT(DT_CENTER | DT_EXPANDTABS | DT_VCENTER));

  HWND window = panel->GetHandle();
  SetWindowLongPtrA(window, GWL_EXSTYLE, GetWindowLongPtrA(window, GWL_EXSTYLE) | WS_EX_RTLREADING);
  EXPECT_EQ(DrawTextBiDiFlags(shape, taLeftJustify),
            UINT(DT_RIGHT | DT_EXPANDTABS | DT_VCENTER | DT_RTLREADING));
  EXPECT_EQ(DrawTextBiDiFlags(panel, taRightJustify),
            UINT(DT_LEFT | DT_EXPANDTABS | DT_VCENTER | DT_RTLREADING));
  EXPECT_EQ(DrawTextBiDiFlags(panel, taCenter), UINT(DT_CENTER | DT_EXPANDTABS | DT_VCENTER | DT_RTLREADING));
}

TEST_F(CtrlUtils, CollectionItemsAreFoundByNameWithoutLetterCase) {
  TCollection* items = New<TCollection>(TNamedItem::StaticClass());
  for (const char* name : {"TsButton", "tsPanel", "TSPANEL"}) items->Add<TNamedItem>()->name = name;
  EXPECT_EQ(FindCollectionItem(items, "TSBUTTON"), items->GetItem(0));
  EXPECT_EQ(FindCollectionItem(items, "TsPanel"), items->GetItem(1));  // the first of two
  EXPECT_EQ(FindCollectionItem(items, "TsEdit"), nullptr);
  EXPECT_EQ(FindCollectionItem(nullptr, "TsEdit"), nullptr);
  Free(items);
}

TEST_F(CtrlUtils, RefreshWithoutTheFlagRepaintsWithoutAnyBackgroundNotice) {
  auto* inner = Child<TSkinTestWindow>(panel, 5, 5);
  auto* deepest = Child<TSkinTestWindow>(inner, 2, 2);
  auto* shape = Child<TSkinTestShape>(inner, 30, 2);
  ShowForm();
  for (TWinControl* c : {static_cast<TWinControl*>(panel), static_cast<TWinControl*>(inner),
                         static_cast<TWinControl*>(deepest)})
    Validate(c);

  RefreshWindowAndChildren(panel, false);
  EXPECT_TRUE(Invalid(panel));
  EXPECT_TRUE(Invalid(inner));
  EXPECT_TRUE(Invalid(deepest));
  EXPECT_EQ(CountOf(inner->seen, kBGChanged) + CountOf(deepest->seen, kBGChanged), 0);

  RefreshWindowAndChildren(panel, true);
  EXPECT_EQ(CountOf(panel->seen, kBGChanged), 0);  // the children are told, not the control
  EXPECT_EQ(CountOf(inner->seen, kBGChanged), 1);
  EXPECT_EQ(CountOf(deepest->seen, kBGChanged), 1);
  EXPECT_EQ(inner->seen.back().lparam, -1);
  EXPECT_TRUE(shape->seen.empty());
}

TEST_F(CtrlUtils, BroadcastsPassChildrenBeingCreatedOrDestroyed) {
  auto* creating = Child<TSkinTestWindow>(panel, 0, 0);
  auto* label = Child<TSkinTestLabel>(panel, 0, 0);
  auto* doomed = Child<TSkinTestWindow>(panel, 0, 0);
  ShowForm();
  creating->SetControlState(creating->GetControlState() + TControlState{csCreating});
  doomed->MarkDestroying();
  label->SetControlState(label->GetControlState() + TControlState{csCreating});

  RefreshWindowAndChildren(panel, true);
  RepaintLabels(panel);
  BroadcastRepaint(panel, true);
  EXPECT_TRUE(creating->seen.empty());
  EXPECT_TRUE(doomed->seen.empty());
  EXPECT_EQ(label->repaints, 0);

  // Nor are the children of a control being destroyed repainted, nor does it get its window
  // back.
  auto* late = Child<TSkinTestLabel>(panel, 0, 80);  // owned by the form: not marked itself
  panel->MarkDestroying();
  RepaintLabels(panel);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(late->repaints, 0);
  DestroyWindow(panel->GetHandle());
  EXPECT_FALSE(panel->HandleAllocated());
  RefreshWindowAndChildren(panel, true);
  EXPECT_FALSE(panel->HandleAllocated());
}

TEST_F(CtrlUtils, LabelsAloneAreRepainted) {
  auto* label = Child<TSkinTestLabel>(panel, 0, 0);
  auto* other = Child<TSkinTestLabel>(form, 0, 0);  // not a child of the panel
  auto* control = Child<TSkinTestControl>(panel, 0, 50);
  RepaintLabels(panel);
  EXPECT_EQ(label->repaints, 1);
  EXPECT_EQ(other->repaints, 0);
  EXPECT_EQ(control->repaints, 0);

  SetSkinnedLabelTest(nullptr);  // no label class registered
  RepaintLabels(panel);
  EXPECT_EQ(label->repaints, 1);
}

TEST_F(CtrlUtils, GraphicChildrenPaintIntoTheDCAtTheirPlaceAndClipped) {
  auto* first = Child<TSkinTestShape>(panel, 10, 5);
  auto* hidden = Child<TSkinTestShape>(panel, 60, 5);
  hidden->SetVisible(false);
  auto* outside = Child<TSkinTestShape>(panel, 150, 80);
  auto* label = Child<TSkinTestLabel>(panel, 0, 60);
  auto* window = Child<TSkinTestControl>(panel, 100, 0);
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetPixelFormat(pf24bit);
  bitmap->SetSize(200, 120);
  HDC dc = bitmap->GetCanvas()->GetHandle();
  IntersectClipRect(dc, 0, 0, 140, 120);  // leaves `outside` out

  panel->SetControlState(panel->GetControlState() + TControlState{csPaintCopy});
  PaintControlsClipped(dc, panel);
  ASSERT_EQ(first->paints.size(), 1u);
  EXPECT_EQ(first->paints[0].origin.x, 10);
  EXPECT_EQ(first->paints[0].origin.y, 5);
  EXPECT_EQ(first->paints[0].clip.left, 0);
  EXPECT_EQ(first->paints[0].clip.top, 0);
  EXPECT_EQ(first->paints[0].clip.right, 30);
  EXPECT_EQ(first->paints[0].clip.bottom, 20);
  EXPECT_TRUE(first->paints[0].paint_copy);  // the parent's state while it paints
  EXPECT_FALSE(first->GetControlState().Contains(csPaintCopy));
  EXPECT_TRUE(hidden->paints.empty());
  EXPECT_TRUE(outside->paints.empty());
  EXPECT_EQ(label->repaints, 1);
  EXPECT_EQ(window->paints, 0);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);  // the DC comes back as it was

  panel->SetControlState(panel->GetControlState() - TControlState{csPaintCopy});
  first->SetControlState(first->GetControlState() + TControlState{csPaintCopy});
  PaintControlsClipped(dc, panel);
  ASSERT_EQ(first->paints.size(), 2u);
  EXPECT_FALSE(first->paints[1].paint_copy);
  EXPECT_TRUE(first->GetControlState().Contains(csPaintCopy));
  Free(bitmap);
}

TEST_F(CtrlUtils, BroadcastWithoutStyleInvalidatesWindowsAndRepaintsLabels) {
  auto* window = Child<TSkinTestWindow>(panel, 0, 0);
  auto* label = Child<TSkinTestLabel>(panel, 0, 40);
  auto* shape = Child<TSkinTestShape>(panel, 100, 0);
  ShowForm();
  Validate(window);
  BroadcastRepaint(panel, true);
  EXPECT_TRUE(Invalid(window));
  EXPECT_EQ(label->repaints, 1);
  EXPECT_TRUE(shape->seen.empty());
  EXPECT_TRUE(window->seen.empty());  // no notice without a style object
}
