// Skinned labels, panels, the grip and the bevel on shown forms: a skin of a few flat sections
// built in memory, pictures taken with PaintTo.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "skin/controls/sbevel.h"
#include "skin/controls/slabel.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/sstyles.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/formreader.h"
#include "toolkit/forms.h"
#include "toolkit/stdctrls.h"

namespace {

struct FreeDeleter {
  void operator()(TObject* object) const { Free(object); }
};
template <class T>
using Owned = std::unique_ptr<T, FreeDeleter>;

constexpr TColor kFormColor = 0x00C08040;
constexpr TColor kPanelColor = 0x0040A0C0;
constexpr TColor kPanelFont = 0x00102030;
constexpr TColor kGripColor = 0x00306090;
constexpr TColor kLabelColor = 0x0000FF00;  // never the skin's: shows where a label filled itself
constexpr TColor kText = 0x000000C0;

TsGeneralData SectionOf(const std::string& name, TColor color) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = color;
  s.HotPaintingColor = color;
  s.FontColor.Color = kPanelFont;
  s.HotFontColor.Color = kPanelFont;
  return s;
}

int CountColor(TBitmap* bmp, TColor color, RECT r) {
  int n = 0;
  for (int y = r.top; y < r.bottom; ++y)
    for (int x = r.left; x < r.right; ++x) n += bmp->GetPixelColor(x, y) == color;
  return n;
}

class Panels : public testing::Test {
 protected:
  void SetUp() override {
    RegisterSkinPanelClasses();
    manager = New<TsSkinManager>(nullptr);
  }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
  }
  void LoadSkin() {
    SkinGeneralData.push_back(SectionOf("FORM", kFormColor));
    SkinGeneralData.push_back(SectionOf("TSPANEL", kPanelColor));
    SkinGeneralData.push_back(SectionOf("TSGRIP", kGripColor));
    SkinData().SkinLoaded = true;
  }
  void MakeForm(bool skinned) {
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(40, 40, 360, 240);
    form->SetColor(0x00808080);
    if (skinned) New<TsSkinProvider>(form);
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
    Pump();
  }
  template <class T>
  T* Add(TWinControl* parent, int left, int top, int width, int height) {
    T* control = New<T>(form);
    control->SetParent(parent);
    control->SetBounds(left, top, width, height);
    return control;
  }
  TsLabel* AddLabel(TWinControl* parent, const std::string& caption, int left = 20, int top = 20) {
    auto* label = New<TsLabel>(form);
    label->SetParent(parent);
    label->SetBounds(left, top, 65, 17);
    label->GetFont()->SetColor(kText);
    label->SetCaption(caption);
    return label;
  }
  // A picture of a windowed control; the caller frees it.
  TBitmap* Picture(TWinControl* control) { return PictureOf(control); }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
};

}  // namespace

// ---- Label -------------------------------------------------------------------------------------

TEST_F(Panels, AnEmptyAutoSizedLabelKeepsTheHeightOfOneLine) {
  MakeForm(false);
  TsLabel* empty = AddLabel(form, "");
  TsLabel* text = AddLabel(form, "Xy", 20, 60);
  EXPECT_EQ(empty->GetHeight(), text->GetHeight());
  EXPECT_GT(empty->GetHeight(), 5);
  EXPECT_GT(empty->GetWidth(), 0);
  TsLabel* amp = AddLabel(form, "&", 20, 100);  // a lone prefix is no text either
  EXPECT_EQ(amp->GetHeight(), text->GetHeight());
}

// Laid out from the right, a left-aligned label's text sits on the right: it grows to the left.
TEST_F(Panels, AnAutoSizedLabelLaidOutFromTheRightKeepsItsRightEdge) {
  MakeForm(false);
  form->SetBiDiMode(bdRightToLeft);
  TsLabel* label = AddLabel(form, "Xy");
  const int left = label->GetLeft(), right = left + label->GetWidth();
  label->SetCaption("Xy and more");
  EXPECT_LT(label->GetLeft(), left);
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
  // Read from the right but laid out from the left, it keeps its left edge.
  label->SetBiDiMode(bdRightToLeftNoAlign);
  const int wide_left = label->GetLeft();
  label->SetCaption("Xy");
  EXPECT_EQ(label->GetLeft(), wide_left);
}

TEST_F(Panels, PrefixesShowAsOnButtonsAndADoubledOneShowsOneAmpersand) {
  MakeForm(false);
  TsLabel* doubled = AddLabel(form, "R&&D");
  TsLabel* plain = AddLabel(form, "R&D", 20, 60);
  plain->SetShowAccelChar(false);
  plain->SetCaption("R&D ");  // measured again with the prefix off
  plain->SetCaption("R&D");
  EXPECT_EQ(doubled->GetWidth(), plain->GetWidth());
  TsLabel* marked = AddLabel(form, "&File", 20, 100);
  TsLabel* bare = AddLabel(form, "File", 20, 140);
  EXPECT_EQ(marked->GetWidth(), bare->GetWidth());
}

TEST_F(Panels, ATransparentLabelOnAFormWithoutSkinFillsItselfWithItsColor) {
  MakeForm(false);
  TsLabel* label = AddLabel(form, "Lane");
  label->SetAutoSize(false);
  label->SetBounds(20, 20, 80, 20);
  label->SetColor(kLabelColor);
  ASSERT_TRUE(label->GetTransparent());
  Show();
  Owned<TBitmap> picture(Picture(label));
  EXPECT_EQ(picture->GetPixelColor(78, 1), kLabelColor);
  EXPECT_EQ(picture->GetPixelColor(1, 18), kLabelColor);
  EXPECT_GT(CountColor(picture.get(), kText, RECT{0, 0, 80, 20}), 5);
}

TEST_F(Panels, ATransparentLabelShowsTheFormsSkinnedBackgroundAroundItsText) {
  LoadSkin();
  MakeForm(true);
  TsLabel* label = AddLabel(form, "Protokoll");
  label->SetAutoSize(false);
  label->SetBounds(20, 20, 120, 24);
  label->SetColor(kLabelColor);
  Show();
  Owned<TBitmap> picture(Picture(label));
  EXPECT_EQ(picture->GetPixelColor(118, 1), kFormColor);
  EXPECT_EQ(picture->GetPixelColor(2, 22), kFormColor);
  EXPECT_EQ(CountColor(picture.get(), kLabelColor, RECT{0, 0, 120, 24}), 0);
  EXPECT_GT(CountColor(picture.get(), kText, RECT{0, 0, 120, 24}), 10);
  // An opaque one covers the background with its colour.
  label->SetTransparent(false);
  label->Repaint();
  Owned<TBitmap> opaque(Picture(label));
  EXPECT_EQ(opaque->GetPixelColor(118, 1), kLabelColor);
}

TEST_F(Panels, ALabelOnASkinnedPanelShowsThePanelsBackground) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 100);
  panel->SetBevelOuter(cbNone);
  TsLabel* label = AddLabel(panel, "Heat");
  label->SetColor(kLabelColor);
  Show();
  Owned<TBitmap> picture(Picture(label));
  EXPECT_EQ(picture->GetPixelColor(label->GetWidth() - 1, 0), kPanelColor);
  EXPECT_GT(CountColor(picture.get(), kText, label->GetClientRect()), 5);
}

TEST_F(Panels, ADisabledLabelIsEmbossed) {
  MakeForm(false);
  TsLabel* label = AddLabel(form, "IIII");
  label->GetFont()->SetHeight(-24);
  label->SetColor(kLabelColor);
  label->SetEnabled(false);
  Show();
  Owned<TBitmap> picture(Picture(label));
  const TColor light = ColorToRGB(clBtnHighlight), dark = ColorToRGB(clBtnShadow);
  ASSERT_NE(light, dark);
  const RECT r = label->GetClientRect();
  EXPECT_EQ(CountColor(picture.get(), kText, r), 0);
  EXPECT_GT(CountColor(picture.get(), dark, r), 10);
  int lights = 0;
  for (int y = 1; y < r.bottom; ++y)
    for (int x = 1; x < r.right; ++x) {
      if (picture->GetPixelColor(x, y) != light) continue;
      ++lights;
      // The highlight copy lies one pixel right and down of the text drawn in shadow colour.
      EXPECT_EQ(picture->GetPixelColor(x - 1, y - 1), dark) << x << "," << y;
    }
  EXPECT_GT(lights, 5);
}

TEST_F(Panels, ValuesSetWhileTheLabelHasNoParentAreIgnoredButAutoSize) {
  MakeForm(false);
  auto* edit = Add<TEdit>(form, 150, 60, 100, 21);
  auto* label = New<TsLabel>(form);
  label->SetAlignment(taRightJustify);
  label->SetWordWrap(true);
  label->SetFocusControl(edit);
  EXPECT_EQ(label->GetAlignment(), taLeftJustify);
  EXPECT_FALSE(label->GetWordWrap());
  EXPECT_EQ(label->GetFocusControl(), nullptr);
  label->SetAutoSize(false);
  EXPECT_FALSE(label->GetAutoSize());
  label->SetParent(form);
  label->SetAlignment(taRightJustify);
  label->SetFocusControl(edit);
  EXPECT_EQ(label->GetAlignment(), taRightJustify);
  // Taken off its parent, the label keeps its focus control: clearing it is ignored as well.
  label->SetParent(nullptr);
  label->SetFocusControl(nullptr);
  EXPECT_EQ(label->GetFocusControl(), edit);
  Free(edit);
  EXPECT_EQ(label->GetFocusControl(), nullptr);
}

TEST_F(Panels, ALabelReadFromAFormWrapsAtItsWidth) {
  MakeForm(false);
  ReadComponentFromText(form, R"(object Form1: TForm
  object lblLong: TsLabel
    Left = 8
    Top = 8
    Width = 60
    Caption = 'Start list of the second heat'
    WordWrap = True
    Alignment = taCenter
  end
end
)",
                        "panels");
  auto* label = DynamicCast<TsLabel>(form->FindComponent("lblLong"));
  ASSERT_TRUE(label);
  TsLabel* line = AddLabel(form, "Start", 8, 150);
  EXPECT_TRUE(label->GetWordWrap());
  EXPECT_EQ(label->GetAlignment(), taCenter);
  EXPECT_LE(label->GetWidth(), 60);
  EXPECT_GE(label->GetHeight(), 3 * line->GetHeight());
}

TEST_F(Panels, ACaptionLabelWrapsAtItsMaxWidth) {
  MakeForm(false);
  auto* edit = Add<TEdit>(form, 150, 100, 120, 21);
  edit->SetName("edDriver");
  TsStyle* style = New<TsStyle>(edit);
  TsStyleCaption* caption = style->GetCaption();
  caption->SetText("Driver of the car in this heat");
  caption->SetMaxWidth(60);
  caption->SetActive(true);
  auto* label = DynamicCast<TsLabel>(caption->GetLabel());
  ASSERT_TRUE(label);
  TsLabel* line = AddLabel(form, "Driver", 8, 200);
  EXPECT_EQ(label->GetWidth(), 60);
  EXPECT_GE(label->GetHeight(), 3 * line->GetHeight());
  EXPECT_EQ(label->GetFocusControl(), edit);
  Free(style);
}

TEST_F(Panels, TheAcceleratorAndAPressFocusTheFocusControlWhileTheLabelIsEnabled) {
  MakeForm(false);
  auto* other = Add<TEdit>(form, 150, 10, 100, 21);
  auto* edit = Add<TEdit>(form, 150, 60, 100, 21);
  TsLabel* label = AddLabel(form, "&Name");
  label->SetFocusControl(edit);
  Show();
  other->SetFocus();
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'n', 0), 1);
  EXPECT_TRUE(edit->Focused());
  other->SetFocus();
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'x', 0), 0);
  label->SetEnabled(false);
  EXPECT_EQ(label->Perform(CM_DIALOGCHAR, 'n', 0), 0);
  EXPECT_TRUE(other->Focused());
  // A press of the left button focuses it too; the double-click message that follows a second
  // press does not again.
  label->SetEnabled(true);
  label->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  label->Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(edit->Focused());
  other->SetFocus();
  label->Perform(WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(2, 2));
  label->Perform(WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
  EXPECT_TRUE(other->Focused());
  Free(edit);
  EXPECT_EQ(label->GetFocusControl(), nullptr);
}

// ---- Panel -------------------------------------------------------------------------------------

TEST_F(Panels, ASkinnedPanelPaintsItsSectionAndItsCaptionInTheSectionsFontColor) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 60);
  panel->SetCaption("R&&D");
  Show();
  Owned<TBitmap> picture(Picture(panel));
  EXPECT_EQ(picture->GetPixelColor(3, 3), kPanelColor);
  EXPECT_EQ(picture->GetPixelColor(196, 56), kPanelColor);
  EXPECT_GT(CountColor(picture.get(), kPanelFont, RECT{60, 20, 140, 40}), 10);
  EXPECT_EQ(CountColor(picture.get(), kPanelFont, RECT{0, 0, 200, 15}), 0);  // centred in height

  // The same caption without prefix handling is the wider "R&&D": ours shows one "&".
  TCanvas* canvas = picture->GetCanvas();
  canvas->SetFont(panel->GetFont());
  int left = 200, right = 0;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 200; ++x)
      if (picture->GetPixelColor(x, y) == kPanelFont) left = std::min(left, x), right = std::max(right, x);
  EXPECT_LE(right - left + 1, canvas->TextWidth("R&D"));
  EXPECT_GT(right - left + 1, canvas->TextWidth("RD"));
}

TEST_F(Panels, WithoutSkinAPanelPaintsItsColorAndItsRaisedBevel) {
  MakeForm(false);
  auto* panel = Add<TsPanel>(form, 10, 10, 120, 60);
  panel->GetStyle()->GetPainting()->SetColor(kPanelColor);
  panel->SetBevelWidth(1);
  Show();
  Owned<TBitmap> picture(Picture(panel));
  EXPECT_EQ(picture->GetPixelColor(60, 30), kPanelColor);
  const TColor top = picture->GetPixelColor(60, 0), bottom = picture->GetPixelColor(60, 59);
  EXPECT_NE(top, kPanelColor);
  EXPECT_NE(bottom, kPanelColor);
  EXPECT_GT(top & 0xFF, bottom & 0xFF);  // light above, dark below
}

// The style's bevel and the panel's outer bevel are one value, whichever side sets it, also on
// a shown panel whose invalidate would copy the panel's value back.
TEST_F(Panels, TheStylesBevelIsThePanelsOuterBevel) {
  MakeForm(false);
  auto* panel = Add<TsPanel>(form, 10, 10, 120, 60);
  panel->GetStyle()->GetPainting()->SetColor(kPanelColor);
  panel->SetBevelWidth(1);
  Show();
  panel->GetStyle()->GetPainting()->SetBevel(cbNone);
  EXPECT_EQ(panel->GetStyle()->GetPainting()->GetBevel(), cbNone);
  EXPECT_EQ(panel->GetBevelOuter(), cbNone);
  Owned<TBitmap> picture(Picture(panel));
  EXPECT_EQ(picture->GetPixelColor(60, 0), kPanelColor);  // no bevel drawn
  panel->SetBevelOuter(cbLoweredHard);
  EXPECT_EQ(panel->GetStyle()->GetPainting()->GetBevel(), cbLoweredHard);

  // A whole painting assigned (a style copied from another) carries its bevel to the panel,
  // and a repaint keeps it.
  auto* source = New<TsStylePainting>(nullptr);
  source->SetColor(kPanelColor);
  source->SetBevel(cbNone);
  panel->GetStyle()->GetPainting()->Assign(source);
  Free(source);
  EXPECT_EQ(panel->GetBevelOuter(), cbNone);
  panel->Invalidate();
  EXPECT_EQ(panel->GetStyle()->GetPainting()->GetBevel(), cbNone);
  Owned<TBitmap> after(Picture(panel));
  EXPECT_EQ(after->GetPixelColor(60, 0), kPanelColor);
}

TEST_F(Panels, ClientOffsetCountsOnlyTheBevelsThatAreDrawn) {
  MakeForm(false);
  auto* panel = Add<TsPanel>(form, 10, 10, 120, 60);
  panel->SetBorderWidth(3);
  panel->SetBevelWidth(2);
  EXPECT_EQ(panel->ClientOffset(), 5);
  panel->SetBevelOuter(cbNone);
  panel->SetBevelInner(cbRaisedSoft);
  EXPECT_EQ(panel->ClientOffset(), 5);
  panel->SetBevelInner(cbLoweredSoft);
  panel->SetBevelOuter(cbRaisedSoft);
  EXPECT_EQ(panel->ClientOffset(), 7);
  auto* child = Add<TsPanel>(panel, 0, 0, 10, 10);
  child->SetAlign(alClient);
  EXPECT_EQ(child->GetLeft(), 7);
  EXPECT_EQ(child->GetWidth(), 120 - 14);
  // An aligned child follows a bevel taken away at once, not over the bevel until a resize.
  panel->SetBevelInner(cbNone);
  EXPECT_EQ(child->GetLeft(), 5);
  panel->SetBevelOuter(cbNone);
  EXPECT_EQ(child->GetLeft(), 3);
  EXPECT_EQ(child->GetWidth(), 120 - 6);
}

TEST_F(Panels, OnPaintRunsTwiceWhenTheCacheIsRebuiltAndOnceOtherwise) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 120, 60);
  int calls = 0;
  struct Counter : TObject {
    int* n;
    void Paint(TObject*, TCanvas*) { ++*n; }
  } counter;
  counter.n = &calls;
  panel->OnPaint = TPanelPaintEvent(&counter, &Counter::Paint);
  Show();
  const int builds = panel->CacheBuilds();
  calls = 0;
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds);
  EXPECT_EQ(calls, 1);
  calls = 0;
  panel->SetCaption("new");  // stale cache
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds + 1);
  EXPECT_EQ(calls, 2);
  panel->GetFont()->SetHeight(-20);  // the caption in the cache changes with the font
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds + 2);
  panel->SetColor(0x00123456);  // the cache shows the section's or the style's colour, not this
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds + 2);
}

TEST_F(Panels, AResizedPanelPaintsItsNewAreaAndItsChildrenSeeTheNewCache) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 100, 50);
  panel->SetBevelOuter(cbNone);
  TsLabel* label = AddLabel(panel, "Lap", 150, 60);
  Show();
  panel->SetBounds(10, 10, 300, 150);
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(panel->GetHandle(), nullptr, FALSE); }));
  EXPECT_FALSE(panel->GetStyle()->Updating);
  Owned<TBitmap> picture(Picture(panel));
  EXPECT_EQ(picture->GetPixelColor(290, 140), kPanelColor);
  Owned<TBitmap> text(Picture(label));
  EXPECT_EQ(text->GetPixelColor(label->GetWidth() - 1, 0), kPanelColor);
}

TEST_F(Panels, GraphicChildrenArePaintedOverThePanelsBackground) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 100);
  auto* bevel = Add<TsBevel>(panel, 20, 20, 60, 40);
  bevel->SetShape(sbsBox);
  Show();
  Owned<TBitmap> picture(Picture(panel));
  EXPECT_EQ(picture->GetPixelColor(20, 30), clWhite);  // the bevel's raised left edge
  EXPECT_EQ(picture->GetPixelColor(79, 30), clBlack);
  EXPECT_EQ(picture->GetPixelColor(50, 40), kPanelColor);  // inside the box: the panel
  // Once, not twice: a spacer drawn with XOR would vanish when painted twice.
  bevel->SetShape(sbsSpacer);
  panel->Repaint();
  Owned<TBitmap> spacer(Picture(panel));
  int changed = 0;
  for (int x = 20; x < 80; ++x) changed += spacer->GetPixelColor(x, 20) != kPanelColor;
  EXPECT_GT(changed, 5);
}

TEST_F(Panels, FocusMovingAmongTheChildrenDoesNotRebuildTheCache) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 100);
  auto* first = Add<TEdit>(panel, 10, 10, 80, 21);
  auto* second = Add<TEdit>(panel, 10, 50, 80, 21);
  Show();
  first->SetFocus();
  Pump();
  panel->Repaint();
  const int builds = panel->CacheBuilds();
  second->SetFocus();
  Pump();
  panel->Repaint();
  EXPECT_FALSE(panel->GetStyle()->BGChanged);
  EXPECT_EQ(panel->CacheBuilds(), builds);
}

TEST_F(Panels, APanelPartlyOutsideItsParentRebuildsOnEveryPaintAndOnceMoreInside) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 100, 50);
  Show();
  panel->SetLeft(form->GetClientWidth() - 40);  // hangs over the right edge
  panel->Repaint();
  int builds = panel->CacheBuilds();
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds + 1);
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), builds + 2);
  panel->SetLeft(10);
  panel->Repaint();
  builds = panel->CacheBuilds();
  panel->Repaint();  // the move itself marked the cache; this is the one more after it
  panel->Repaint();
  EXPECT_LE(panel->CacheBuilds(), builds + 1);
  const int settled = panel->CacheBuilds();
  panel->Repaint();
  EXPECT_EQ(panel->CacheBuilds(), settled);
}

namespace {

class TLoadingGrip : public TsGrip {
 public:
  using TsGrip::TsGrip;
  void SetLoading(bool loading) { loading ? IncludeState(csLoading) : ExcludeState(csLoading); }
};

}  // namespace

// The grip shows its own section, or the corner of its linked control's cache once it is told
// to; while it is not ready to paint (here: still loading) it paints nothing at all.
TEST_F(Panels, TheGripShowsTheCornerOfItsLinkedControlsCache) {
  LoadSkin();
  MakeForm(true);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 100);
  struct Corner : TObject {
    void Paint(TObject*, TCanvas* canvas) {
      canvas->GetBrush()->SetStyle(bsSolid);
      canvas->GetBrush()->SetColor(kLabelColor);
      canvas->FillRect(RECT{190, 90, 200, 100});
    }
  } corner;
  panel->OnPaint = TPanelPaintEvent(&corner, &Corner::Paint);
  auto* grip = Add<TLoadingGrip>(form, 250, 150, 20, 20);
  grip->SetColor(kLabelColor);  // what the toolkit's panel painting would fill it with
  Show();
  Owned<TBitmap> own(Picture(grip));
  EXPECT_EQ(own->GetPixelColor(15, 15), kGripColor);  // its own section
  grip->SetLoading(true);
  Owned<TBitmap> loading(Picture(grip));
  EXPECT_NE(loading->GetPixelColor(15, 15), kGripColor);
  EXPECT_NE(loading->GetPixelColor(15, 15), kLabelColor);
  grip->SetLoading(false);
  grip->UseWindowCache = true;
  grip->LinkedControl = panel;
  grip->Repaint();
  Owned<TBitmap> linked(Picture(grip));
  EXPECT_EQ(linked->GetPixelColor(15, 15), kLabelColor);
  EXPECT_EQ(linked->GetPixelColor(5, 5), kPanelColor);
}

// ---- Bevel -------------------------------------------------------------------------------------

namespace {

// A bevel on a plain grey form, pictured through the form.
class Bevels : public Panels {
 protected:
  TsBevel* AddBevel(TsBevelShape shape, TsControlBevel kind) {
    MakeForm(false);
    form->SetColor(0x00808080);
    auto* bevel = New<TsBevel>(form);
    bevel->SetParent(form);
    bevel->SetBounds(10, 10, 40, 30);
    bevel->SetShape(shape);
    bevel->GetStyle()->GetPainting()->SetBevel(kind);
    Show();
    picture.reset(Picture(form));
    return bevel;
  }
  TColor At(int x, int y) { return PixelAt(picture.get(), form, 10 + x, 10 + y); }
  Owned<TBitmap> picture;
};

}  // namespace

TEST_F(Bevels, ARaisedFrameShowsABlackLineInsideAWhiteOne) {
  AddBevel(sbsFrame, cbRaisedSoft);
  EXPECT_EQ(At(0, 10), clWhite);
  EXPECT_EQ(At(1, 10), clBlack);
  EXPECT_EQ(At(20, 0), clWhite);
  EXPECT_EQ(At(20, 1), clBlack);
  EXPECT_EQ(At(38, 10), clWhite);
  EXPECT_EQ(At(39, 10), clBlack);
  EXPECT_EQ(At(20, 15), 0x00808080);
}

TEST_F(Bevels, BoxAndLinesTakeTheirColoursFromTheBevel) {
  AddBevel(sbsBox, cbLoweredSoft);
  EXPECT_EQ(At(0, 10), clBlack);
  EXPECT_EQ(At(39, 10), clWhite);
  EXPECT_EQ(At(20, 29), clWhite);
  Free(form);
  form = nullptr;
  AddBevel(sbsBottomLine, cbRaisedHard);
  EXPECT_EQ(At(20, 28), clWhite);
  EXPECT_EQ(At(20, 29), clBlack);
  EXPECT_EQ(At(20, 0), 0x00808080);
  Free(form);
  form = nullptr;
  AddBevel(sbsRightLine, cbLoweredHard);
  EXPECT_EQ(At(38, 10), clBlack);
  EXPECT_EQ(At(39, 10), clWhite);
}

TEST_F(Bevels, WithoutABevelOnlyTheCaptionShowsButSpacerAndDottedDrawRegardless) {
  TsBevel* bevel = AddBevel(sbsBox, cbNone);
  EXPECT_EQ(CountColor(picture.get(), clWhite, RECT{0, 0, picture->GetWidth(), picture->GetHeight()}), 0);
  bevel->SetBevelCaption("Lane");
  bevel->SetShowCaption(true);
  bevel->GetFont()->SetColor(clWhite);
  Pump();
  form->Repaint();
  picture.reset(Picture(form));
  EXPECT_GT(CountColor(picture.get(), clWhite, RECT{0, 0, picture->GetWidth(), picture->GetHeight()}), 5);
  Free(form);
  form = nullptr;
  AddBevel(sbsDotted, cbNone);
  EXPECT_EQ(At(1, 1), clBlack);
  Free(form);
  form = nullptr;
  AddBevel(sbsSpacer, cbNone);
  // Without a caption too the line is dotted: its dots XOR the form's grey, its gaps keep it.
  int dots = 0, gaps = 0;
  for (int x = 0; x < 40; ++x) {
    const TColor c = At(x, 0);
    if (c == 0x00808080) {
      ++gaps;
    } else {
      ++dots;
      EXPECT_EQ(c, TColor(0x00808080 ^ 0x00FFD8CE)) << "x " << x;
    }
  }
  EXPECT_GT(dots, 5);
  EXPECT_GT(gaps, 5);
}

// The bevel's window procedure is the toolkit's: the mouse entering or leaving it is told to
// its parent chain.
TEST_F(Panels, TheMouseEnteringOrLeavingABevelReachesItsParent) {
  MakeForm(false);
  auto* panel = Add<TsPanel>(form, 10, 10, 200, 100);
  auto* bevel = Add<TsBevel>(panel, 10, 10, 40, 30);
  struct Recorder : TObject {
    TWinControl* target = nullptr;
    std::vector<std::pair<UINT, LPARAM>> seen;
    void Proc(TMessage& m) {
      if (m.Msg == CM_MOUSEENTER || m.Msg == CM_MOUSELEAVE) seen.emplace_back(m.Msg, m.LParam);
      target->WndProc(m);
    }
  } recorder;
  recorder.target = panel;
  panel->WindowProc = TWndMethod(&recorder, &Recorder::Proc);
  bevel->Perform(CM_MOUSEENTER, 0, 0);
  bevel->Perform(CM_MOUSELEAVE, 0, 0);
  panel->WindowProc = TWndMethod(panel, &TsPanel::WndProc);
  const LPARAM self = reinterpret_cast<LPARAM>(bevel);
  EXPECT_EQ(recorder.seen,
            (std::vector<std::pair<UINT, LPARAM>>{{CM_MOUSEENTER, self}, {CM_MOUSELEAVE, self}}));
}
