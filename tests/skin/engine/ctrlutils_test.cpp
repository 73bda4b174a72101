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
  EXPECT_TRUE(SendAMessage(control->GetHandle(), SKM_ISCACHEREADY));
  control->Data()->BGChanged = true;
  EXPECT_FALSE(SendAMessage(control->GetHandle(), SKM_ISCACHEREADY));

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
  EXPECT_EQ(window->seen_by_window[0].msg, SKM_BGCHANGED);
  EXPECT_EQ(window->seen_by_window[0].lparam, -1);
}

TEST_F(CtrlUtils, ANoticeToAControlWithoutWindowCreatesNone) {
  auto* window = New<TSkinTestWindow>(form);
  window->SetParent(panel);
  ASSERT_FALSE(window->HandleAllocated());
  SendBGChanged(window, true);
  EXPECT_FALSE(window->HandleAllocated());
  EXPECT_EQ(CountOf(window->seen, SKM_BGCHANGED), 1);  // still told

  RefreshWindowAndChildren(panel, true);
  EXPECT_FALSE(panel->HandleAllocated());
  EXPECT_FALSE(window->HandleAllocated());
  EXPECT_EQ(CountOf(window->seen, SKM_BGCHANGED), 2);
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
  EXPECT_EQ(CountOf(inner->seen, SKM_BGCHANGED) + CountOf(deepest->seen, SKM_BGCHANGED), 0);

  RefreshWindowAndChildren(panel, true);
  EXPECT_EQ(CountOf(panel->seen, SKM_BGCHANGED), 0);  // the children are told, not the control
  EXPECT_EQ(CountOf(inner->seen, SKM_BGCHANGED), 1);
  EXPECT_EQ(CountOf(deepest->seen, SKM_BGCHANGED), 1);
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

TEST_F(CtrlUtils, BroadcastTellsAndRepaintsEachKindOfStyledChildAsItNeeds) {
  struct Expected {
    int kind;
    int notices_without_flag;  // with LParam 0
    int repaints_without_flag;
    int notices_with_flag;  // with LParam -1
    int repaints_with_flag;
  };
  const Expected table[] = {
      {3, 0, 0, 0, 0},   {31, 0, 0, 1, 0},  {33, 0, 0, 1, 0},  {51, 1, 1, 1, 1},  {57, 1, 1, 1, 1},
      {68, 1, 1, 1, 1},  {74, 1, 1, 1, 1},  {58, 0, 0, 0, 0},  {91, 0, 1, 1, 1},  {93, 0, 1, 1, 1},
      {95, 0, 1, 1, 1},  {141, 0, 1, 1, 1}, {142, 0, 1, 1, 1}, {151, 0, 0, 0, 0}, {161, 0, 0, 1, 0},
      {165, 0, 0, 1, 0}, {110, 0, 0, 0, 0},
  };
  for (const Expected& e : table) {
    auto* child = New<TStyledTestControl>(form, e.kind);
    child->SetParent(panel);
    BroadcastRepaint(panel, false);
    EXPECT_EQ(CountOf(child->seen, SKM_BGCHANGED), e.notices_without_flag) << "kind " << e.kind;
    if (!child->seen.empty()) EXPECT_EQ(child->seen.back().lparam, 0) << "kind " << e.kind;
    EXPECT_EQ(child->repaints, e.repaints_without_flag) << "kind " << e.kind;
    EXPECT_EQ(child->invalidates - child->repaints, 0) << "kind " << e.kind;
    child->seen.clear();
    child->repaints = child->invalidates = 0;
    BroadcastRepaint(panel, true);
    EXPECT_EQ(CountOf(child->seen, SKM_BGCHANGED), e.notices_with_flag) << "kind " << e.kind;
    if (!child->seen.empty()) EXPECT_EQ(child->seen.back().lparam, -1) << "kind " << e.kind;
    EXPECT_EQ(child->repaints, e.repaints_with_flag) << "kind " << e.kind;
    bool invalidated_only = e.kind == 161 || e.kind == 165;
    EXPECT_EQ(child->invalidates - child->repaints > 0, invalidated_only) << "kind " << e.kind;
    Free(child);
  }
}

TEST_F(CtrlUtils, ABroadcastLeavesAScrollBarToTheControlItBelongsTo) {
  auto* list = New<TStyledTestControl>(form, 8);
  list->SetParent(panel);
  auto* bar = New<TStyledTestControl>(list, 142);  // the list's own bar, beside it
  bar->SetParent(panel);
  BroadcastRepaint(panel, true);
  EXPECT_TRUE(bar->seen.empty());
  EXPECT_EQ(bar->repaints, 0);
}

TEST_F(CtrlUtils, PartlyTransparentPanelsOfKind151RepaintWithTheFlag) {
  TsGeneralData glass = Section("Glass");
  glass.PaintingTransparency = 30;
  TTestSkin skin({glass}, {});
  auto* child = New<TStyledTestControl>(form, 151);
  child->Style()->SetSkinSection("Glass");
  child->SetParent(panel);
  BroadcastRepaint(panel, false);
  EXPECT_EQ(child->repaints, 0);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(child->repaints, 1);
  EXPECT_EQ(CountOf(child->seen, SKM_BGCHANGED), 1);
}

TEST_F(CtrlUtils, ChildShadowsComeFromTheSkinOrTheChildsOwnSettings) {
  auto* container = New<TStyledTestControl>(form, 51);
  container->SetBounds(0, 0, 200, 100);
  container->SetParent(form);
  auto make = [&](int kind, bool own_shadow) {
    auto* c = New<TStyledTestControl>(form, kind);
    c->SetParent(container);
    c->Style()->GetEffects()->GetShadow()->SetEnabled(own_shadow);
    return c;
  };
  auto* casting = make(91, true);
  auto* plain = make(91, false);
  auto* kindless = make(0, true);
  auto* hidden = make(91, true);
  hidden->SetVisible(false);
  ASSERT_TRUE(casting->Style()->GetEffects()->GetShadow()->GetEnabled());
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(200, 100);
  PaintChildShadows(container, bitmap);
  ASSERT_EQ(casting->Style()->shadows.size(), 1u);
  EXPECT_EQ(casting->Style()->shadows[0].x, 0);
  EXPECT_EQ(casting->Style()->shadows[0].y, 0);
  EXPECT_TRUE(plain->Style()->shadows.empty());
  EXPECT_TRUE(kindless->Style()->shadows.empty());
  EXPECT_TRUE(hidden->Style()->shadows.empty());

  {
    // With a skin the section decides, whatever the own settings say.
    TsGeneralData shadowed = Section("Shadowed");
    shadowed.ShadowEnabled = true;
    TTestSkin skin({shadowed, Section("Flat")}, {});
    plain->Style()->SetSkinSection("Shadowed");
    casting->Style()->SetSkinSection("Flat");
    PaintChildShadows(container, bitmap);
    EXPECT_EQ(plain->Style()->shadows.size(), 1u);
    EXPECT_EQ(casting->Style()->shadows.size(), 1u);  // not again
  }

  // A child being destroyed ends the walk.
  plain->Style()->SetSkinSection("");
  auto* after = make(91, true);
  casting->MarkDestroying();
  PaintChildShadows(container, bitmap);
  EXPECT_TRUE(after->Style()->shadows.empty());
  Free(bitmap);
}
