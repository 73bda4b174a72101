// The style base: its message entry as skinned controls use it (a windowed and a graphic test
// control that pass every message to their style first), the library messages and their
// groups, the cache, the hot state and the own shadow.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

#include "skin/engine/sgenstyle.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/forms.h"

namespace {

// Freed test objects keep their memory, filled with kFreedByte: a write after the free shows
// in Untouched(), a virtual call through it crashes.
constexpr unsigned char kFreedByte = 0xDD;
std::vector<std::pair<unsigned char*, size_t>>& Quarantined() {
  static std::vector<std::pair<unsigned char*, size_t>> blocks;
  return blocks;
}
void Quarantine(void* p, size_t size) {
  std::memset(p, kFreedByte, size);
  Quarantined().push_back({static_cast<unsigned char*>(p), size});
}
bool QuarantineUntouched() {
  for (auto [p, size] : Quarantined())
    for (size_t i = 0; i < size; ++i)
      if (p[i] != kFreedByte) return false;
  return true;
}

class TTestStyle : public TsGenStyle {
 public:
  using TsGenStyle::TsGenStyle;
  static void operator delete(void* p, size_t size) { Quarantine(p, size); }
  bool throw_in_find = false;
  bool editor = false;

 protected:
  bool TakesEditorMessages() const override { return editor; }
  void FindIndexes() override {
    if (throw_in_find) throw std::runtime_error("look-up failed");
    TsGenStyle::FindIndexes();
  }
};

// What the owner answers the style's kind-specific queries with.
struct TOwnerAnswers {
  bool button = false;
  bool down = false;
  bool active_default = false;
  bool shows_hot = false;
  bool pending_paint = false;
  int hot_calls = 0;
};

#define STYLED_CONTROL_BODY(Class, Base)                                            \
 public:                                                                            \
  explicit Class(TComponent* owner, int coc = 1) : Base(owner) {                    \
    style = New<TTestStyle>(this);                                                  \
    style->COC = coc;                                                               \
    style->SetOwnerQueries(this);                                                   \
  }                                                                                 \
  ~Class() override { FreeAndNil(style); }                                          \
  static void operator delete(void* p, size_t size) { Quarantine(p, size); }        \
  void WndProc(TMessage& message) override {                                        \
    if (style && style->HandleFirst(message)) return;                               \
    Base::WndProc(message);                                                         \
  }                                                                                 \
  void Invalidate() override {                                                      \
    ++invalidates;                                                                  \
    Base::Invalidate();                                                             \
  }                                                                                 \
  void Repaint() override {                                                         \
    ++repaints;                                                                     \
    if (auto hook = std::exchange(on_repaint, nullptr)) return hook();              \
    Base::Repaint();                                                                \
  }                                                                                 \
  bool IsButtonControl() override { return answers.button; }                        \
  bool ButtonIsDown() override { return answers.down; }                             \
  bool IsActiveDefault() override { return answers.active_default; }                \
  bool HotChanged(bool) override { return ++answers.hot_calls, answers.shows_hot; } \
  bool PendingPaint() override { return answers.pending_paint; }                    \
  void ClearPendingPaint() override { answers.pending_paint = false; }              \
  TTestStyle* style = nullptr;                                                      \
  TOwnerAnswers answers;                                                            \
  int invalidates = 0;                                                              \
  int repaints = 0;                                                                 \
  std::function<void()> on_repaint; /* run once instead of the next repaint */

class TStyledWin : public TCustomControl, public TsOwnerQueries {
  TK_CLASS(TStyledWin, TCustomControl)
  STYLED_CONTROL_BODY(TStyledWin, TCustomControl)
};
TK_ABSTRACT_CLASS_INFO(TStyledWin, TCustomControl)

class TStyledShape : public TGraphicControl, public TsOwnerQueries {
  TK_CLASS(TStyledShape, TGraphicControl)
  STYLED_CONTROL_BODY(TStyledShape, TGraphicControl)
};
TK_ABSTRACT_CLASS_INFO(TStyledShape, TGraphicControl)

TsGeneralData Section(const char* name, bool shadow = false) {
  TsGeneralData data;
  data.SectionName = name;
  data.ShadowEnabled = shadow;
  return data;
}

class Style : public testing::Test {
 protected:
  void SetUp() override {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(0, 0, 320, 240);
    panel = Make<TStyledWin>(COC_TsPanel, 0, 0, 240, 180, form);
    panel->GetHandle();
  }
  void TearDown() override {
    Free(form);
    Pump();
    SkinChanging = false;
    SkinData().SkinLoaded = false;
    SkinGeneralData.clear();
    for (TsMaskData& mask : SkinMasks) Free(mask.Bmp);
    SkinMasks.clear();
    EXPECT_TRUE(QuarantineUntouched()) << "a freed control or style was written to";
  }
  template <class T>
  T* Make(int coc, int left, int top, int width, int height, TWinControl* parent) {
    T* control = New<T>(form, coc);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
  }
  TStyledWin* Child(int coc = 1) {
    TStyledWin* child = Make<TStyledWin>(coc, 10, 10, 50, 20, panel);
    child->GetHandle();
    return child;
  }
  TStyledShape* Shape(int coc = 1, TWinControl* parent = nullptr) {
    return Make<TStyledShape>(coc, 70, 10, 40, 20, parent ? parent : panel);
  }
  static void LoadSkin() {
    SkinData().SkinLoaded = true;
    SkinGeneralData = {Section("PANEL"), Section("TSTYLEDWIN"), Section("SHADOWED", true)};
    auto* own = New<TBitmap>();
    own->SetSize(27, 12);
    SkinMasks = {TsMaskData{nullptr, "TSTYLEDWIN", "BORDERSMASK", {0, 0, 27, 6}, 3, 0},
                 TsMaskData{own, "PANEL", "BORDERSMASK", {0, 0, 27, 6}, 3, 1}};
  }

  TForm* form = nullptr;
  TStyledWin* panel = nullptr;
};

// ---- Constants --------------------------------------------------------------------------------

TEST(StyleKinds, SetsHoldTheirRangesAndNothingAbove255) {
  for (int coc : {51, 57, 68, 74, 110, 141, 151, 161}) EXPECT_TRUE(IsNeverHotKind(coc)) << coc;
  for (int coc : {0, 50, 75, 109, 111, 140, 162, 256, 51 + 256}) EXPECT_FALSE(IsNeverHotKind(coc)) << coc;
  for (int coc : {57, 74, 110, 141, 151}) EXPECT_TRUE(IsNoShadowKind(coc)) << coc;
  for (int coc : {51, 56, 58, 142, 57 + 256}) EXPECT_FALSE(IsNoShadowKind(coc)) << coc;
  for (int coc : {51, 68, 151}) EXPECT_TRUE(IsShadowContainerKind(coc)) << coc;
  for (int coc : {50, 69, 74, 152, 51 + 256}) EXPECT_FALSE(IsShadowContainerKind(coc)) << coc;
}

// ---- Skin object query and the entry ------------------------------------------------------------

TEST_F(Style, TheSkinObjectIsAnsweredThroughTheControlsWindowProcedure) {
  TStyledWin* child = Child();
  TStyledShape* shape = Shape();
  EXPECT_EQ(GetSkinObject(child), child->style);
  EXPECT_EQ(GetSkinObject(shape), shape->style);
  EXPECT_EQ(GetSkinObjectKind(child), SCC_TsGenStyle);
  // A message sent to the window reaches the style before the control and is answered.
  EXPECT_EQ(SendMessageA(child->GetHandle(), SKM_GETSKINOBJECT, 0, 0), 1);

  auto* plain = New<TTestShape>(form);
  plain->SetParent(form);
  EXPECT_EQ(GetSkinObject(plain), nullptr);
  EXPECT_EQ(GetSkinObjectKind(plain), 0);
  EXPECT_EQ(GetSkinObject(child->style), nullptr);  // not a control
  EXPECT_EQ(GetSkinObjectKind(nullptr), 0);
}

TEST_F(Style, LibraryMessagesActOnlyOnTheStylesGroup) {
  LoadSkin();
  TStyledWin* child = Child();
  child->style->UpdateIndexes();
  ASSERT_EQ(child->style->SkinIndex, 1);
  child->style->SetGroupIndex(2);
  child->style->BGChanged = false;

  for (UINT msg : {SKM_REMOVESKIN, SKM_CLEARINDEXES, SKM_BGCHANGED, SKM_SETUPDATING})
    child->Perform(msg, 0, 1);
  EXPECT_EQ(child->style->SkinIndex, 1);
  EXPECT_EQ(child->style->BorderIndex, 0);
  EXPECT_FALSE(child->style->BGChanged);
  EXPECT_FALSE(child->style->Updating);
  EXPECT_EQ(child->Perform(SKM_ISUPDATING, 0, 0), 0);  // answered by nobody for group 0

  child->Perform(SKM_REMOVESKIN, 2, 0);
  EXPECT_EQ(child->style->SkinIndex, -1);
  EXPECT_EQ(child->style->BorderIndex, -1);
  EXPECT_TRUE(child->style->Updating);
  EXPECT_EQ(child->Perform(SKM_ISUPDATING, 2, 0), 1);
}

TEST_F(Style, TheBaseStyleIgnoresTheEditorAndPaintRanges) {
  TStyledWin* child = Child();
  child->Perform(SKM_EDIT_SHADOWCOLOR, 0, 0x123456);
  child->Perform(SKM_PAINT_SOFTCONTROL, 0, 0);
  EXPECT_EQ(child->style->GetEffects()->GetShadow()->GetColor(), 0);
  EXPECT_TRUE(child->style->GetSoftControl());
}

// ---- Skin changes -------------------------------------------------------------------------------

TEST_F(Style, WhileASkinIsAnnouncedNothingIsMarkedOrInvalidated) {
  TStyledWin* child = Child();
  child->style->BGChanged = false;
  SkinChanging = true;
  int invalidates = child->invalidates;
  child->style->Invalidate();
  EXPECT_EQ(child->invalidates, invalidates);
  child->Perform(SKM_BGCHANGED, 0, 1);
  child->Perform(CM_ENABLEDCHANGED, 0, 0);
  child->Perform(WM_SIZE, 0, 0);
  EXPECT_FALSE(child->style->BGChanged);
  auto* born = New<TTestStyle>(child);
  EXPECT_FALSE(born->BGChanged);  // a style made during the announcement trusts the coming refresh
  Free(born);

  SkinChanging = false;
  child->Perform(SKM_BGCHANGED, 0, 0);  // LParam 0 marks nothing
  EXPECT_FALSE(child->style->BGChanged);
  invalidates = child->invalidates;
  child->style->Invalidate();
  EXPECT_TRUE(child->style->BGChanged);
  EXPECT_EQ(child->invalidates, invalidates + 1);
}

TEST_F(Style, ANewSkinResolvesTheIndexesUntilTheRefreshEndsTheUpdate) {
  LoadSkin();
  TStyledWin* child = Child();
  child->style->UpdateIndexes();
  EXPECT_EQ(child->style->GetSkinSection(), "TStyledWin");  // empty: the owner's class name

  child->style->SetSkinSection("Panel");
  EXPECT_EQ(child->style->SkinIndex, 0);
  EXPECT_EQ(child->style->BorderIndex, 1);
  EXPECT_EQ(child->style->GetBorderMaskBitmap(), SkinMasks[1].Bmp);
  child->style->SetSkinSection("TStyledWin");
  EXPECT_EQ(child->style->GetBorderMaskBitmap(), nullptr);  // a mask on the master bitmap

  SkinChanging = true;
  child->style->SkinIndex = child->style->BorderIndex = -1;
  child->Perform(SKM_SETNEWSKIN, 0, 0);
  EXPECT_FALSE(SkinChanging);
  EXPECT_EQ(child->style->SkinIndex, 1);
  EXPECT_EQ(child->style->BorderIndex, 0);
  EXPECT_TRUE(child->style->Updating);
  EXPECT_FALSE(child->style->BGChanged);
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 0);

  const int invalidates = child->invalidates;
  child->Perform(SKM_REFRESH, 0, 0);
  EXPECT_FALSE(child->style->Updating);
  EXPECT_TRUE(child->style->BGChanged);
  EXPECT_EQ(child->invalidates, invalidates + 1);
}

TEST_F(Style, AnAnnouncementEndsEvenWhenTheLookUpFails) {
  TStyledWin* child = Child();
  child->style->throw_in_find = true;
  SkinChanging = true;
  TMessage message{SKM_SETNEWSKIN, 0, 0, 0};
  EXPECT_ANY_THROW(child->style->HandleFirst(message));
  EXPECT_FALSE(SkinChanging);

  EXPECT_ANY_THROW({
    TsSkinChangingScope announcing;
    EXPECT_TRUE(SkinChanging);
    throw std::runtime_error("loader failed");
  });
  EXPECT_FALSE(SkinChanging);
}

// ---- Cache ------------------------------------------------------------------------------------

TEST_F(Style, TheCacheIsNotReadyAfterAResizeUntilRebuiltAtTheNewSize) {
  TStyledWin* child = Child();
  auto* screen = New<TBitmap>();
  screen->SetSize(200, 100);
  HDC dc = screen->GetCanvas()->GetHandle();
  auto rebuild = [&] {
    child->style->InitCacheBmp();
    child->style->CopyCacheToDC(dc, RECT{0, 0, child->GetWidth(), child->GetHeight()});
  };
  rebuild();
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 1);

  child->SetBounds(10, 10, 80, 30);
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 0);
  child->style->InitCacheBmp();  // the right size, not yet painted
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 0);
  rebuild();
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 1);

  // During an announcement the resize marks nothing, yet the size alone tells.
  SkinChanging = true;
  child->SetBounds(10, 10, 90, 30);
  SkinChanging = false;
  EXPECT_FALSE(child->style->BGChanged);
  EXPECT_EQ(child->Perform(SKM_ISCACHEREADY, 0, 0), 0);

  TStyledShape* shape = Shape();  // windowless: no WM_SIZE at all
  shape->style->InitCacheBmp();
  shape->style->CopyCacheToDC(dc, RECT{0, 0, 40, 20});
  EXPECT_EQ(shape->Perform(SKM_ISCACHEREADY, 0, 0), 1);
  shape->SetBounds(70, 10, 41, 20);
  EXPECT_EQ(shape->Perform(SKM_ISCACHEREADY, 0, 0), 0);
  shape->style->InitCacheBmp();
  shape->Perform(SKM_SETUPDATING, 0, 1);
  EXPECT_EQ(shape->Perform(SKM_ISCACHEREADY, 0, 0), 0);
  Free(screen);
}

TEST_F(Style, ParentCacheInfoComesFromTheParentsWindow) {
  TStyledShape* shape = Shape();
  panel->style->InitCacheBmp();
  TsCacheInfo info{reinterpret_cast<TBitmap*>(8), 5, 5, false};
  shape->style->GetParentCacheInfo(info);
  EXPECT_EQ(info.Bmp, panel->style->GetCacheBmp());
  EXPECT_EQ(info.X, 0);
  EXPECT_EQ(info.Y, 0);
  EXPECT_TRUE(info.Ready);

  panel->style->COC = COC_TsCustomListBox;  // paints its cache late: never ready
  shape->style->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);

  auto* on_form = Shape(1, form);  // a parent that does not answer
  GlobalCacheInfo.Ready = true;
  on_form->style->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);

  on_form->SetParent(nullptr);
  info = TsCacheInfo{reinterpret_cast<TBitmap*>(8), 5, 5, true};
  on_form->style->GetParentCacheInfo(info);
  EXPECT_EQ(info.Bmp, nullptr);
  EXPECT_EQ(info.X, 0);
  EXPECT_FALSE(info.Ready);
  on_form->style->RepaintParent();  // nothing to do, nothing to crash
}

TEST_F(Style, ParentsWithoutAWindowAreNeitherAskedNorGivenOne) {
  auto* lone = New<TStyledWin>(form, COC_TsPanel);  // never placed: no window
  TStyledShape* shape = Shape(1, lone);
  lone->style->InitCacheBmp();
  GlobalCacheInfo.Ready = true;
  TsCacheInfo info;
  shape->style->GetParentCacheInfo(info);
  EXPECT_FALSE(info.Ready);
  shape->style->RepaintParent();
  EXPECT_FALSE(lone->HandleAllocated());
  EXPECT_EQ(lone->repaints, 0);
}

TEST_F(Style, RepaintParentMarksTheParentAndRepaintsIt) {
  TStyledShape* shape = Shape();
  panel->style->BGChanged = false;
  shape->style->RepaintParent();
  EXPECT_TRUE(panel->style->BGChanged);
  EXPECT_EQ(panel->repaints, 1);
  Free(shape);  // the shadow under a removed control goes
  EXPECT_EQ(panel->repaints, 2);
}

// ---- Hot state --------------------------------------------------------------------------------

TEST_F(Style, MouseEnterOnANeverHotKindChangesNothingButIsAnswered) {
  for (int coc : {COC_TsPanel, COC_TsCustomPanel, COC_TsGroupBox, COC_TsBevel, COC_TsScrollBar}) {
    TStyledShape* shape = Shape(coc);
    shape->style->BGChanged = false;
    const int invalidates = shape->invalidates;
    EXPECT_EQ(shape->Perform(CM_MOUSEENTER, 0, 0), 1) << coc;
    EXPECT_FALSE(shape->style->GetMouseAbove()) << coc;
    EXPECT_FALSE(shape->style->BGChanged) << coc;
    EXPECT_EQ(shape->invalidates, invalidates) << coc;
    EXPECT_EQ(shape->answers.hot_calls, 0) << coc;
  }
}

TEST_F(Style, HoverInvalidatesUnlessFocusedOrShownByTheOwner) {
  TStyledShape* shape = Shape();
  const int invalidates = shape->invalidates;
  EXPECT_EQ(shape->Perform(CM_MOUSEENTER, 0, 0), 1);
  EXPECT_TRUE(shape->style->GetMouseAbove());
  EXPECT_TRUE(shape->style->ControlIsActive());
  EXPECT_EQ(shape->invalidates, invalidates + 1);
  EXPECT_EQ(shape->Perform(CM_MOUSELEAVE, 0, 0), 1);
  EXPECT_FALSE(shape->style->ControlIsActive());
  EXPECT_EQ(shape->invalidates, invalidates + 2);

  shape->answers.shows_hot = true;  // a fading button or a combo box's button area
  shape->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(shape->answers.hot_calls, 3);
  EXPECT_EQ(shape->invalidates, invalidates + 2);

  TStyledShape* focused = Shape(COC_TsPanel - 1);
  focused->Perform(CM_ENTER, 0, 0);
  const int before = focused->invalidates;
  focused->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(focused->style->GetMouseAbove());
  EXPECT_EQ(focused->invalidates, before);
  EXPECT_EQ(focused->answers.hot_calls, 0);
}

// The toolkit tells the parent chain of the mouse entering or leaving a child, with the child
// in LParam: the mouse is within the container then, and it shows it.
TEST_F(Style, NoticesAboutChildrenAreTheContainersHover) {
  auto* box = Make<TStyledWin>(1, 0, 100, 100, 60, panel);  // a container that may be hot
  auto* inner = New<TTestShape>(box);                       // a plain child: it tells its parent
  inner->SetParent(box);
  const int invalidates = box->invalidates;
  inner->Perform(CM_MOUSEENTER, 0, 0);
  EXPECT_TRUE(box->style->GetMouseAbove());
  EXPECT_EQ(box->invalidates, invalidates + 1);
  EXPECT_EQ(box->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(inner)), 1);
  inner->Perform(CM_MOUSELEAVE, 0, 0);
  EXPECT_FALSE(box->style->GetMouseAbove());
  EXPECT_EQ(box->invalidates, invalidates + 3);

  // A never-hot container answers the notice and changes nothing.
  const int panel_invalidates = panel->invalidates;
  EXPECT_EQ(panel->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(box)), 1);
  EXPECT_FALSE(panel->style->GetMouseAbove());
  EXPECT_EQ(panel->invalidates, panel_invalidates);
}

// Counts the mouse-enter events a style raises.
class TEnterCounter : public TObject {
 public:
  void Entered(TObject* sender) {
    ++count;
    last_sender = sender;
    if (auto free = std::exchange(on_enter, nullptr)) free();
  }
  int count = 0;
  TObject* last_sender = nullptr;
  std::function<void()> on_enter;  // run once inside the next event
};

TEST_F(Style, TheMouseEnterEventTellsOfTheOwnersOwnEntries) {
  TEnterCounter counter;
  // A hot kind and a never-hot one both hear the mouse come in.
  for (int coc : {1, COC_TsPanel}) {
    TStyledShape* shape = Shape(coc);
    shape->style->OnMouseEnter = TNotifyEvent(&counter, &TEnterCounter::Entered);
    counter.count = 0;
    EXPECT_EQ(shape->Perform(CM_MOUSEENTER, 0, 0), 1) << coc;
    EXPECT_EQ(counter.count, 1) << coc;
    EXPECT_EQ(counter.last_sender, shape) << coc;
    shape->Perform(CM_MOUSELEAVE, 0, 0);
    // A child's notice passing up the chain is no entry of the owner's.
    shape->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(panel));
    EXPECT_EQ(counter.count, 1) << coc;
  }
  // A handler that frees the control leaves the style's entry without touching either again.
  TStyledShape* doomed = Shape();
  doomed->style->OnMouseEnter = TNotifyEvent(&counter, &TEnterCounter::Entered);
  counter.on_enter = [doomed] { Free(doomed); };
  TMessage message{CM_MOUSEENTER, 0, 0, 0};
  EXPECT_TRUE(doomed->style->HandleFirst(message));
}

TEST_F(Style, TheActiveStateFollowsButtonsFocusAndHover) {
  TStyledShape* button = Shape(COC_TsButton);
  button->SetEnabled(false);
  button->answers.active_default = true;
  EXPECT_TRUE(button->style->ControlIsActive());  // the default button shows as such, even disabled
  button->answers.active_default = false;
  button->answers.down = true;
  EXPECT_FALSE(button->style->ControlIsActive());
  button->SetEnabled(true);
  EXPECT_TRUE(button->style->ControlIsActive());

  TStyledShape* bar = Shape(COC_TsScrollBar);
  bar->Perform(CM_ENTER, 0, 0);
  EXPECT_TRUE(bar->style->GetFocused());
  EXPECT_FALSE(bar->style->ControlIsActive());
  TStyledShape* edit = Shape(COC_TsEdit);
  edit->Perform(CM_ENTER, 0, 0);
  EXPECT_TRUE(edit->style->ControlIsActive());
  edit->Perform(CM_EXIT, 0, 0);
  EXPECT_FALSE(edit->style->ControlIsActive());
}

// ---- Own shadow -------------------------------------------------------------------------------

TEST_F(Style, ShadowSettersClampStoreAndRepaintTheSkinnedParent) {
  TStyledShape* shape = Shape();
  TsShadow* shadow = shape->style->GetEffects()->GetShadow();
  EXPECT_EQ(shadow->GetTransparency(), 60);
  EXPECT_TRUE(shadow->GetDontUse());
  shadow->SetTransparency(150);
  EXPECT_EQ(shadow->GetTransparency(), 100);
  shadow->SetTransparency(-5);
  EXPECT_EQ(shadow->GetTransparency(), 0);

  shadow->SetEnabled(true);
  EXPECT_TRUE(shadow->GetEnabled());
  EXPECT_FALSE(shadow->GetDontUse());
  const int repaints = panel->repaints;
  shadow->SetColor(0);  // unchanged
  EXPECT_EQ(panel->repaints, repaints);
  shadow->SetOffset(3);
  EXPECT_EQ(panel->repaints, repaints + 1);

  shadow->SetDontUse(true);  // setting DontUse on an enabled shadow disables it
  EXPECT_FALSE(shadow->GetEnabled());
  EXPECT_EQ(panel->repaints, repaints + 2);
}

TEST_F(Style, OnlyShadowKindsOnASkinnedParentCastOne) {
  TsShadow* on_plain = Shape(1, form)->style->GetEffects()->GetShadow();
  on_plain->SetEnabled(true);
  EXPECT_FALSE(on_plain->GetEnabled());
  EXPECT_TRUE(on_plain->GetDontUse());
  TsShadow* group_box = Shape(COC_TsGroupBox)->style->GetEffects()->GetShadow();
  group_box->SetEnabled(true);
  EXPECT_FALSE(group_box->GetEnabled());
}

TEST_F(Style, ResizingAShadowedControlRepaintsItsParent) {
  TStyledWin* child = Child();
  child->style->GetEffects()->GetShadow()->SetEnabled(true);
  int repaints = panel->repaints;
  child->SetBounds(10, 10, 55, 20);
  EXPECT_GT(panel->repaints, repaints);
  EXPECT_EQ(child->repaints, 0);

  child->style->COC = 58;  // repaints itself on resize too
  child->SetBounds(10, 10, 56, 20);
  EXPECT_GE(child->repaints, 1);

  // While a skin is announced both repaints still happen; only the cache mark waits.
  child->style->BGChanged = false;
  repaints = panel->repaints;
  const int own_repaints = child->repaints;
  SkinChanging = true;
  child->SetBounds(10, 10, 57, 20);
  SkinChanging = false;
  EXPECT_GT(panel->repaints, repaints);
  EXPECT_GT(child->repaints, own_repaints);
  EXPECT_FALSE(child->style->BGChanged);

  LoadSkin();  // the section's shadow counts as well
  TStyledWin* skinned = Child();
  skinned->style->SetSkinSection("Shadowed");
  repaints = panel->repaints;
  skinned->SetBounds(10, 40, 50, 21);
  EXPECT_GT(panel->repaints, repaints);

  TStyledWin* combo = Child(COC_TsComboBox);  // its list is painted late: no parent repaint now
  combo->style->GetEffects()->GetShadow()->SetEnabled(true);
  combo->answers.pending_paint = true;
  repaints = panel->repaints;
  combo->SetBounds(10, 70, 50, 22);
  EXPECT_EQ(panel->repaints, repaints);
  combo->Perform(WM_CTLCOLORLISTBOX, 0, 0);
  EXPECT_FALSE(combo->answers.pending_paint);
}

TEST_F(Style, ShadowMessagesSetTheOwnShadowOfEditorStyles) {
  TStyledShape* shape = Shape();
  shape->style->editor = true;
  TsShadow* shadow = shape->style->GetEffects()->GetShadow();
  shape->Perform(SKM_EDIT_SHADOWTRANSPARENCY, 0, 150);
  EXPECT_EQ(shadow->GetTransparency(), 100);
  shape->Perform(SKM_EDIT_SHADOWENABLED, 0, 1);  // DontUse still set
  EXPECT_FALSE(shadow->GetEnabled());
  shadow->SetDontUse(false);
  shape->Perform(SKM_EDIT_SHADOWENABLED, 0, 1);
  EXPECT_TRUE(shadow->GetEnabled());
  shape->Hide();
  shape->Perform(SKM_EDIT_SHADOWENABLED, 0, 1);
  EXPECT_FALSE(shadow->GetEnabled());
  shape->Show();

  TStyledShape* source = Shape();
  TsShadow* from = source->style->GetEffects()->GetShadow();
  from->SetEnabled(true);
  from->SetBlur(9);
  source->style->SetSoftControl(false);
  shape->Perform(SKM_EDIT_COPYSHADOW, 0, reinterpret_cast<LPARAM>(source->style));
  EXPECT_EQ(shadow->GetBlur(), 9);
  EXPECT_TRUE(shadow->GetEnabled());
  EXPECT_FALSE(shape->style->GetSoftControl());
  shape->Perform(SKM_EDIT_SOFTCONTROL, 0, 1);
  EXPECT_TRUE(shape->style->GetSoftControl());
}

TEST_F(Style, AContainerRepaintsOnlyWhenAChildMayCastAShadow) {
  panel->style->editor = true;
  TStyledShape* shape = Shape();
  const int repaints = panel->repaints;
  panel->Perform(SKM_EDIT_CHILDSHADOWS, 0, 0);
  EXPECT_EQ(panel->repaints, repaints);  // every child keeps DontUse
  shape->style->GetEffects()->GetShadow()->SetDontUse(false);
  panel->style->BGChanged = false;
  panel->Perform(SKM_EDIT_CHILDSHADOWS, 0, 0);
  EXPECT_EQ(panel->repaints, repaints + 1);
  EXPECT_TRUE(panel->style->BGChanged);
}

// ---- Owners freed inside the entry ------------------------------------------------------------

TEST_F(Style, AnOwnerFreedWhileItsStyleHandlesAMessageIsNotTouchedAgain) {
  TStyledWin* child = Child(58);  // repaints itself after the parent on resize
  child->style->GetEffects()->GetShadow()->SetEnabled(true);
  panel->on_repaint = [child] { Free(child); };
  HWND window = child->GetHandle();
  SendMessageA(window, WM_SIZE, 0, MAKELPARAM(60, 20));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(panel->GetControlCount(), 0);
  EXPECT_TRUE(QuarantineUntouched());

  TStyledShape* shape = Shape(58);
  shape->style->GetEffects()->GetShadow()->SetEnabled(true);
  panel->on_repaint = [shape] { Free(shape); };
  shape->Perform(WM_SIZE, 0, 0);
  EXPECT_EQ(panel->GetControlCount(), 0);
  EXPECT_TRUE(QuarantineUntouched());
}

}  // namespace
