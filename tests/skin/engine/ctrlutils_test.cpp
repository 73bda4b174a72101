// The painting and repaint helpers of the skinned controls, on a test form.
#include <gtest/gtest.h>

#include "skin/engine/sctrlutils.h"
#include "skin/engine/sstyles.h"
#include "skin_test_controls.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/forms.h"

namespace {

class CtrlUtils : public testing::Test {
 protected:
  void SetUp() override {
    SetSkinnedLabelTest(&IsTestLabel);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 300, 200);
    panel = Child<TSkinTestWindow>(form, 10, 10);
    panel->SetBounds(10, 10, 200, 120);
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
  template <class T, class... Args>
  T* Child(TWinControl* parent, int left, int top, Args... args) {
    T* c = New<T>(form, args...);
    c->SetLeft(left);
    c->SetTop(top);
    c->SetParent(parent);
    return c;
  }
  static bool Invalid(TWinControl* control) { return GetUpdateRect(control->GetHandle(), nullptr, FALSE); }

  TDesktopLock desktop;
  TForm* form = nullptr;
  TSkinTestWindow* panel = nullptr;
};

void MarkCreating(TControl* control) {
  control->SetControlState(control->GetControlState() + TControlState{csCreating});
}

}  // namespace

TEST_F(CtrlUtils, AControlIsReadyToPaintOncePlacedAndWhileNotBeingCreated) {
  EXPECT_FALSE(ControlReadyToPaint(nullptr));
  auto* shape = New<TSkinTestShape>(form);
  EXPECT_FALSE(ControlReadyToPaint(shape));  // created, not placed yet
  shape->SetParent(panel);
  EXPECT_TRUE(ControlReadyToPaint(shape));
  MarkCreating(shape);
  EXPECT_FALSE(ControlReadyToPaint(shape));
}

TEST_F(CtrlUtils, TheFormIsTheNearestUpTheParentChain) {
  TForm* inner = Child<TForm>(panel, 0, 0, kCreateNew);
  auto* deep = Child<TSkinTestShape>(inner, 0, 0);
  EXPECT_EQ(GetNearestForm(deep), inner);
  EXPECT_EQ(GetParentForm(deep), form);  // the toolkit's: the top-level one
  EXPECT_EQ(GetNearestForm(New<TSkinTestShape>(form)), nullptr);
}

TEST_F(CtrlUtils, RefreshWithoutTheFlagRepaintsWithoutAnyBackgroundNotice) {
  auto* inner = Child<TSkinTestWindow>(panel, 5, 5);
  auto* deepest = Child<TSkinTestWindow>(inner, 2, 2);
  auto* shape = Child<TSkinTestShape>(inner, 30, 2);
  ShowForm();
  for (TWinControl* c : std::initializer_list<TWinControl*>{panel, inner, deepest})
    ValidateRect(c->GetHandle(), nullptr);
  RefreshWindowAndChildren(panel, false);
  EXPECT_TRUE(Invalid(panel) && Invalid(inner) && Invalid(deepest));
  EXPECT_TRUE(inner->seen.empty() && deepest->seen.empty());

  RefreshWindowAndChildren(panel, true);
  EXPECT_TRUE(panel->seen.empty());  // the children are told, not the control
  ASSERT_EQ(CountOf(inner->seen, SKM_BGCHANGED), 1);
  EXPECT_EQ(inner->seen[0].lparam, -1);
  EXPECT_EQ(CountOf(deepest->seen, SKM_BGCHANGED), 1);
  EXPECT_TRUE(shape->seen.empty());
}

TEST_F(CtrlUtils, BroadcastWithoutTheFlagStillTellsPanelsAndGroupBoxesButNotButtons) {
  struct Expected {
    int kind;
    int notices_without_flag, repaints_without_flag, notices_with_flag, repaints_with_flag;
  };
  const Expected table[] = {{3, 0, 0, 0, 0},   {31, 0, 0, 1, 0},  {51, 1, 1, 1, 1},  {57, 1, 1, 1, 1},
                            {68, 1, 1, 1, 1},  {74, 1, 1, 1, 1},  {91, 0, 1, 1, 1},  {95, 0, 1, 1, 1},
                            {141, 0, 1, 1, 1}, {142, 0, 1, 1, 1}, {151, 0, 0, 0, 0}, {161, 0, 0, 1, 0}};
  for (const Expected& e : table) {
    auto* child = Child<TStyledTestControl>(panel, 0, 0, e.kind);
    BroadcastRepaint(panel, false);
    EXPECT_EQ(CountOf(child->seen, SKM_BGCHANGED), e.notices_without_flag) << e.kind;
    if (!child->seen.empty()) {
      EXPECT_EQ(child->seen.back().lparam, 0) << e.kind;
    }
    EXPECT_EQ(child->repaints, e.repaints_without_flag) << e.kind;
    child->seen.clear();
    child->repaints = child->invalidates = 0;
    BroadcastRepaint(panel, true);
    EXPECT_EQ(CountOf(child->seen, SKM_BGCHANGED), e.notices_with_flag) << e.kind;
    EXPECT_EQ(child->repaints, e.repaints_with_flag) << e.kind;
    EXPECT_EQ(child->invalidates > child->repaints, e.kind == 161) << e.kind;  // invalidated only
    Free(child);
  }
  auto* window = Child<TSkinTestWindow>(panel, 0, 0);  // no style: invalidated, not told
  auto* label = Child<TSkinTestLabel>(panel, 0, 40);
  ShowForm();
  ValidateRect(window->GetHandle(), nullptr);
  BroadcastRepaint(panel, true);
  EXPECT_TRUE(Invalid(window));
  EXPECT_TRUE(window->seen.empty());
  EXPECT_EQ(label->repaints, 1);
}

// Kind 151 follows its painting transparency: the section's under a skin, its style's own
// painting without one.
TEST_F(CtrlUtils, ASeeThroughKind151IsRepaintedAlsoWithoutASkin) {
  class TPaintStyled : public TCustomControl {
   public:
    explicit TPaintStyled(TComponent* owner) : TCustomControl(owner), style(New<TsPaintStyle>(this)) {
      style->COC = 151;
    }
    ~TPaintStyled() override { FreeAndNil(style); }
    void WndProc(TMessage& message) override {
      notices += message.Msg == SKM_BGCHANGED;
      if (style && style->HandleFirst(message)) return;
      TCustomControl::WndProc(message);
    }
    void Repaint() override { ++repaints; }
    TsPaintStyle* style;
    int notices = 0, repaints = 0;
  };
  auto* child = Child<TPaintStyled>(panel, 0, 0);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(child->repaints, 0);
  child->style->GetPainting()->SetTransparency(40);
  child->notices = child->repaints = 0;
  BroadcastRepaint(panel, false);
  EXPECT_EQ(child->repaints, 0);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(child->notices, 1);
  EXPECT_EQ(child->repaints, 1);
}

TEST_F(CtrlUtils, BroadcastsPassChildrenBeingCreatedOrDestroyed) {
  auto* creating = Child<TSkinTestWindow>(panel, 0, 0);
  auto* doomed = Child<TSkinTestWindow>(panel, 0, 0);
  auto* label = Child<TSkinTestLabel>(panel, 0, 0);
  auto* late = Child<TSkinTestLabel>(panel, 0, 80);
  ShowForm();
  MarkCreating(creating);
  MarkCreating(label);
  doomed->MarkDestroying();
  RefreshWindowAndChildren(panel, true);
  RepaintLabels(panel);
  BroadcastRepaint(panel, true);
  EXPECT_TRUE(creating->seen.empty() && doomed->seen.empty());
  EXPECT_EQ(label->repaints, 0);
  EXPECT_EQ(late->repaints, 2);

  // A parent whose window is being created passes them on to its ready children.
  MarkCreating(panel);
  RepaintLabels(panel);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(late->repaints, 4);
  EXPECT_TRUE(creating->seen.empty());
  panel->SetControlState(panel->GetControlState() - TControlState{csCreating});

  // The children of a control being destroyed are left alone; it gets no window back.
  panel->MarkDestroying();
  RepaintLabels(panel);
  BroadcastRepaint(panel, true);
  EXPECT_EQ(late->repaints, 4);
  DestroyWindow(panel->GetHandle());
  RefreshWindowAndChildren(panel, true);
  EXPECT_FALSE(panel->HandleAllocated());
}

TEST_F(CtrlUtils, ANoticeToAControlWithoutWindowCreatesNone) {
  auto* window = Child<TSkinTestWindow>(panel, 0, 0);
  SendBGChanged(window, true);
  RefreshWindowAndChildren(panel, true);
  EXPECT_FALSE(panel->HandleAllocated() || window->HandleAllocated());
  EXPECT_EQ(CountOf(window->seen, SKM_BGCHANGED), 2);  // still told
}

TEST_F(CtrlUtils, GraphicChildrenPaintIntoTheDCAtTheirPlaceAndClipped) {
  auto* shape = Child<TSkinTestShape>(panel, 10, 5);
  auto* hidden = Child<TSkinTestShape>(panel, 60, 5);
  hidden->SetVisible(false);
  auto* outside = Child<TSkinTestShape>(panel, 150, 80);
  auto* label = Child<TSkinTestLabel>(panel, 0, 60);
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(200, 120);
  HDC dc = bitmap->GetCanvas()->GetHandle();
  IntersectClipRect(dc, 0, 0, 140, 120);  // leaves `outside` out
  panel->SetControlState(panel->GetControlState() + TControlState{csPaintCopy});
  PaintControlsClipped(dc, panel);
  ASSERT_EQ(shape->paints.size(), 1u);
  EXPECT_EQ(shape->paints[0].origin.x, 10);
  EXPECT_EQ(shape->paints[0].origin.y, 5);
  EXPECT_TRUE(EqualRect(&shape->paints[0].clip, std::data({RECT{0, 0, 30, 20}})));
  EXPECT_TRUE(shape->paints[0].paint_copy);  // the parent's, while it paints
  EXPECT_FALSE(shape->GetControlState().Contains(csPaintCopy));
  EXPECT_TRUE(hidden->paints.empty() && outside->paints.empty());
  EXPECT_EQ(label->repaints, 1);
  POINT origin{};
  GetViewportOrgEx(dc, &origin);
  EXPECT_EQ(origin.x, 0);  // the DC comes back as it was
  Free(bitmap);
}

TEST_F(CtrlUtils, ChildShadowsComeFromTheSkinOrTheChildsOwnSettings) {
  auto* container = Child<TStyledTestControl>(form, 0, 0, 51);
  auto make = [&](int kind, bool own_shadow) {
    auto* c = Child<TStyledTestControl>(container, 0, 0, kind);
    c->Style()->GetEffects()->GetShadow()->SetEnabled(own_shadow);
    return c;
  };
  auto* casting = make(91, true);
  auto* plain = make(91, false);
  auto* kindless = make(0, true);
  auto* hidden = make(91, true);
  hidden->SetVisible(false);
  TBitmap* bitmap = New<TBitmap>();
  PaintChildShadows(container, bitmap);
  ASSERT_EQ(casting->Style()->shadows.size(), 1u);
  EXPECT_EQ(casting->Style()->shadows[0].x, 0);
  EXPECT_TRUE(plain->Style()->shadows.empty() && kindless->Style()->shadows.empty() &&
              hidden->Style()->shadows.empty());
  {
    TTestSkin skin({Section("Shadowed", 0, true), Section("Flat")}, {});
    plain->Style()->SetSkinSection("Shadowed");
    casting->Style()->SetSkinSection("Flat");
    PaintChildShadows(container, bitmap);  // the section decides, whatever the own settings
    EXPECT_EQ(plain->Style()->shadows.size(), 1u);
    EXPECT_EQ(casting->Style()->shadows.size(), 1u);
  }
  auto* after = make(91, true);
  casting->MarkDestroying();  // ends the walk
  PaintChildShadows(container, bitmap);
  EXPECT_TRUE(after->Style()->shadows.empty());
  Free(bitmap);
}
