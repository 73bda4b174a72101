// Skinned check boxes, radio buttons, group boxes and radio groups on a shown form: states and
// clicks driven by window messages, glyphs and frames read from the controls' cache bitmaps,
// with no skin and with a skin of a few sections built in memory.
#include <gtest/gtest.h>

#include <vector>

#include "skin/controls/scheckbox.h"
#include "skin/controls/sgroupbox.h"
#include "skin/controls/spanel.h"
#include "skin/engine/sgenstyle.h"
#include "skin/engine/smessages.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "skin/engine/stextpaint.h"
#include "tests/skin/engine/skin_test_helpers.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"
#include "toolkit/extctrls.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/forms.h"
#include "toolkit/imagelist.h"
#include "toolkit/strings.h"
#include "toolkit/typinfo.h"

namespace {

constexpr TColor kUnchecked[3] = {0x00102030, 0x00112233, 0x00132435};
constexpr TColor kChecked[3] = {0x00405060, 0x00415263, 0x00435465};
constexpr TColor kOwnRadio = 0x00A0B0C0;
constexpr TColor kGlobal[3] = {0x00706050, 0x00716151, 0x00726252};

// A glyph strip of three 13 x 13 states, image over a black (opaque) mask.
TBitmap* GlyphStrip(const TColor (&colors)[3]) {
  TBitmap* bmp = New<TBitmap>();
  bmp->SetPixelFormat(pf24bit);
  bmp->SetSize(39, 26);
  TCanvas* c = bmp->GetCanvas();
  for (int s = 0; s < 3; ++s) {
    c->GetBrush()->SetColor(colors[s]);
    c->FillRect(RECT{13 * s, 0, 13 * s + 13, 13});
  }
  c->GetBrush()->SetColor(0);
  c->FillRect(RECT{0, 13, 39, 26});
  return bmp;
}

TsGeneralData SectionOf(const std::string& name, TColor color) {
  TsGeneralData s;
  s.SectionName = name;
  s.PaintingColor = s.HotPaintingColor = color;
  return s;
}

struct TClickCounter : TObject {
  int clicks = 0;
  int changes = 0;
  void Click(TObject*) { ++clicks; }
  void Change(TObject*) { ++changes; }
};

bool IsGrey(TColor c) { return GetRValue(c) == GetGValue(c) && GetGValue(c) == GetBValue(c); }

class Checks : public testing::Test {
 protected:
  void SetUp() override {
    RegisterSkinChecksClasses();
    manager = New<TsSkinManager>(nullptr);
    form = New<TForm>(nullptr, kCreateNew);
    form->SetBounds(40, 40, 360, 240);
    form->SetColor(0x00E0E0E0);
  }
  void TearDown() override {
    Free(form);
    Pump();
    Free(manager);
    SkinGeneralData.clear();
    SkinMasks.clear();
    SkinData().SkinLoaded = false;
    UpdateCommonSkinIndexes();
  }
  // "GLOBALINFO" with common check-box glyphs, "TSCHECKBOX" with its own glyphs, "PLAIN"
  // with none, and "TSRADIOBUTTON" with its own checked glyph only.
  void LoadSkin() {
    SkinGeneralData.push_back(SectionOf("GLOBALINFO", 0x00F0F0F0));
    SkinGeneralData.push_back(SectionOf("TSCHECKBOX", 0x00F0F0F0));
    SkinGeneralData.push_back(SectionOf("TSRADIOBUTTON", 0x00F0F0F0));
    SkinGeneralData.push_back(SectionOf("PLAIN", 0x00F0F0F0));
    SkinMasks.push_back(TsMaskData{GlyphStrip(kGlobal), "GLOBALINFO", "BOXCHECKED", {}, 3, 0});
    SkinMasks.push_back(TsMaskData{GlyphStrip(kGlobal), "GLOBALINFO", "BOXUNCHECKED", {}, 3, 0});
    SkinMasks.push_back(TsMaskData{GlyphStrip(kChecked), "TSCHECKBOX", "GLYPHCHECKED", {}, 3, 0});
    SkinMasks.push_back(TsMaskData{GlyphStrip(kUnchecked), "TSCHECKBOX", "GLYPHUNCHECKED", {}, 3, 0});
    const TColor own[3] = {kOwnRadio, kOwnRadio, kOwnRadio};
    SkinMasks.push_back(TsMaskData{GlyphStrip(own), "TSRADIOBUTTON", "GLYPHCHECKED", {}, 3, 0});
    SkinData().SkinLoaded = true;
    UpdateCommonSkinIndexes();
  }
  template <class T>
  T* Add(int left, int top, int width = 100, int height = 18) {
    T* control = New<T>(form);
    control->SetParent(form);
    control->SetBounds(left, top, width, height);
    return control;
  }
  void Show() {
    form->Show();
    ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  }
  // The control's picture as its last paint left it.
  static TColor Pixel(TsCheckedControl* control, int x, int y) {
    control->GetSkinData()->UpdateIndexes();
    control->Repaint();
    return control->GetSkinData()->GetCacheBmp()->GetCanvas()->GetPixels(x, y);
  }
  // What the box shows after its pending paint: a change that forgets to mark the cache stale
  // shows the old picture here.
  static TColor Pixel(TsGroupBox* box, int x, int y) {
    box->Repaint();
    return box->GetStyle()->GetCacheBmp()->GetCanvas()->GetPixels(x, y);
  }
  // The columns from x0 to x1 (excluded) of a canvas that hold anything but the colour at (x0, 0).
  static std::vector<int> Ink(TCanvas* c, int x0, int x1, int height) {
    const TColor background = c->GetPixels(x0, 0);
    std::vector<int> columns;
    for (int x = x0; x < x1; ++x)
      for (int y = 0; y < height; ++y)
        if (c->GetPixels(x, y) != background) {
          columns.push_back(x);
          break;
        }
    return columns;
  }
  static std::vector<int> InkColumns(TsCheckedControl* control, int x0, int x1) {
    control->Repaint();
    return Ink(control->GetSkinData()->GetCacheBmp()->GetCanvas(), x0, x1, control->GetHeight());
  }
  // A white 200 x 40 bitmap with the text as the text writer puts it into r in the control's font.
  static TBitmap* TextBitmap(TControl* control, const std::string& text, RECT r, UINT flags) {
    TBitmap* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(200, 40);
    TCanvas* c = bmp->GetCanvas();
    c->GetBrush()->SetColor(clWhite);
    c->FillRect(RECT{0, 0, 200, 40});
    c->SetFont(control->GetFont());
    WriteTextEx(c, text, true, r, flags);
    return bmp;
  }
  // The ink of text as the text writer puts it in a box 200 wide at 0, aligned so.
  static std::vector<int> TextInk(TControl* control, const std::string& text, UINT side) {
    TBitmap* bmp = TextBitmap(control, text, RECT{0, 0, 200, 40}, DT_SINGLELINE | DT_VCENTER | side);
    std::vector<int> ink = Ink(bmp->GetCanvas(), 0, 200, 40);
    Free(bmp);
    return ink;
  }
  // The rows from y0 to y1 (excluded) of a canvas with anything but white between x0 and x1.
  static std::vector<int> InkRows(TCanvas* c, int x0, int x1, int y0, int y1) {
    std::vector<int> rows;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x)
        if (c->GetPixels(x, y) != clWhite) {
          rows.push_back(y);
          break;
        }
    return rows;
  }
  static void Press(TWinControl* control, int x = 5, int y = 5) {
    SendMessageA(control->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageA(control->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
  }
  static void Space(TWinControl* control) {
    SendMessageA(control->GetHandle(), WM_KEYDOWN, VK_SPACE, 0x00390001);
    SendMessageA(control->GetHandle(), WM_KEYUP, VK_SPACE, static_cast<LPARAM>(0xC0390001u));
  }
  TsRadioGroup* Group(int count, int columns = 1) {
    auto* group = Add<TsRadioGroup>(8, 8, 300, 120);
    group->SetColumns(columns);
    for (int i = 0; i < count; ++i) group->GetItems()->Add("Item " + std::to_string(i + 1));
    return group;
  }
  static int CheckedButtons(TsRadioGroup* group) {
    int n = 0;
    for (int i = 0; i < group->GetButtonCount(); ++i) n += group->GetButton(i)->GetChecked();
    return n;
  }

  TDesktopLock desktop;
  TsSkinManager* manager = nullptr;
  TForm* form = nullptr;
};

}  // namespace

// ---- Check boxes and radio buttons ------------------------------------------------------------

TEST_F(Checks, CheckingARadioButtonUnchecksItsSiblingsAndCodeCannotUncheckIt) {
  auto* a = Add<TsRadioButton>(8, 8);
  auto* b = Add<TsRadioButton>(8, 30);
  auto* c = Add<TsRadioButton>(8, 52);
  auto* box = Add<TsCheckBox>(8, 74);
  box->SetChecked(true);
  b->SetChecked(true);
  c->SetChecked(true);
  a->SetChecked(true);
  EXPECT_TRUE(a->GetChecked());
  EXPECT_FALSE(b->GetChecked() || c->GetChecked());
  EXPECT_TRUE(box->GetChecked());  // not a radio button
  a->SetChecked(false);
  EXPECT_TRUE(a->GetChecked());
}

TEST_F(Checks, OneClickOrSpaceTogglesOnceWithOneClickAndOneChange) {
  auto* box = Add<TsCheckBox>(8, 8);
  TClickCounter counter;
  box->OnClick = TNotifyEvent(&counter, &TClickCounter::Click);
  box->OnChange = TNotifyEvent(&counter, &TClickCounter::Change);
  Show();
  Press(box);
  EXPECT_TRUE(box->GetChecked());
  EXPECT_EQ(counter.clicks, 1);
  EXPECT_EQ(counter.changes, 1);
  Space(box);
  EXPECT_FALSE(box->GetChecked());
  EXPECT_EQ(counter.clicks, 2);
  EXPECT_EQ(counter.changes, 2);
  EXPECT_FALSE(box->GetPressed());
  // Pressed on the control, a release anywhere toggles: the control holds the mouse.
  SendMessageA(box->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(box->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(500, -40));
  EXPECT_TRUE(box->GetChecked());
  EXPECT_EQ(counter.clicks, 3);
  EXPECT_EQ(counter.changes, 3);
  EXPECT_FALSE(box->GetPressed());
  // A release without a press on the control is nothing.
  SendMessageA(box->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(box->GetChecked());
  EXPECT_EQ(counter.clicks, 3);
}

// A quick second click comes as a double click, flagged so to OnMouseDown, and toggles again.
TEST_F(Checks, ADoubleClickIsSeenAsOneAndTogglesOnceMore) {
  auto* box = Add<TsCheckBox>(8, 8);
  TClickCounter counter;
  box->OnClick = TNotifyEvent(&counter, &TClickCounter::Click);
  TShiftState last_shift;
  struct TShiftRecorder : TObject {
    TShiftState* shift;
    void Down(TObject*, TMouseButton, TShiftState s, int, int) { *shift = s; }
  } recorder;
  recorder.shift = &last_shift;
  box->OnMouseDown = TMouseEvent(&recorder, &TShiftRecorder::Down);
  Show();
  Press(box);
  SendMessageA(box->GetHandle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(box->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_TRUE(last_shift.Contains(ssDouble));
  EXPECT_FALSE(box->GetChecked());
  EXPECT_EQ(counter.clicks, 2);
}

TEST_F(Checks, ReadOnlyOrDisabledControlsIgnoreClicksAndTheSpaceKey) {
  auto* box = Add<TsCheckBox>(8, 8);
  auto* disabled = Add<TsCheckBox>(8, 30);
  box->SetReadOnly(true);
  disabled->SetEnabled(false);
  TClickCounter counter;
  box->OnClick = TNotifyEvent(&counter, &TClickCounter::Click);
  Show();
  Press(box);
  Space(box);
  Press(disabled);
  EXPECT_FALSE(box->GetChecked() || disabled->GetChecked());
  EXPECT_FALSE(box->GetPressed());
  EXPECT_EQ(counter.clicks, 0);
}

TEST_F(Checks, ToggleUnchecksACheckedBoxChecksAGrayedOneAndLeavesAnUncheckedOne) {
  auto* box = Add<TsCheckBox>(8, 8);
  box->Toggle();
  EXPECT_EQ(box->GetState(), cbUnchecked);
  box->SetState(cbGrayed);
  box->Toggle();
  EXPECT_EQ(box->GetState(), cbChecked);
  box->Toggle();
  EXPECT_EQ(box->GetState(), cbUnchecked);
}

TEST_F(Checks, TheGlyphLiesCentredOnTheLayoutsSide) {
  auto* box = Add<TsCheckBox>(0, 0, 100, 18);
  // No skin, no glyphs: the built-in glyph, 14 high.
  EXPECT_EQ(box->GlyphSize().cy, 14);
  EXPECT_EQ(box->GetCheckRect(), (RECT{0, 2, 14, 16}));
  TBitmap* glyph = New<TBitmap>();
  glyph->SetPixelFormat(pf24bit);
  glyph->SetSize(13, 13);
  box->SetGlyphChecked(glyph);
  Free(glyph);
  box->SetLayout(calRight);
  EXPECT_EQ(box->GetCheckRect(), (RECT{84, 2, 100, 15}));
  box->SetHeight(30);
  EXPECT_EQ(box->GetCheckRect().top, 8);
}

TEST_F(Checks, EveryControlAnswersWithItsStyleAndClassCode) {
  auto* box = Add<TsCheckBox>(8, 8);
  auto* radio = Add<TsRadioButton>(8, 30);
  auto* group = Add<TsGroupBox>(120, 8, 100, 60);
  auto* radios = Group(2);
  Show();
  EXPECT_EQ(GetSkinObjectKind(box), SCC_TsStyle);
  EXPECT_EQ(GetSkinObject(box), box->GetSkinData());
  // The kind codes skins and the kind sets were made for: check 31, radio 33, group box 74.
  EXPECT_EQ(GetSkinObject(radio)->COC, 33);
  EXPECT_EQ(GetSkinObject(box)->COC, 31);
  EXPECT_EQ(GetSkinObjectKind(group), SCC_TsPassiveBGStyle);
  EXPECT_EQ(GetSkinObject(group)->COC, 74);
  EXPECT_EQ(GetSkinObject(radios)->GetSkinSection(), "TSGROUPBOX");
  EXPECT_EQ(GetSkinObject(radios->GetButton(1))->COC, 33);
  // Through the window as well (a hooked window procedure sees it first).
  EXPECT_EQ(SendMessageA(box->GetHandle(), SKM_GETSKINOBJECT, 0, 0), 1);
}

// The caption starts at the glyph (TextIndent further), and keeps the margin off the other side.
TEST_F(Checks, TheCaptionLiesAgainstTheGlyphAndTheMarginIsOnTheOtherSide) {
  const std::string text = "Hx";
  auto* box = Add<TsCheckBox>(8, 8, 200, 24);
  box->SetCaption(text);
  box->SetShowFocus(false);  // its rectangle would frame the caption
  Show();
  const int glyph = box->GlyphSize().cx;
  const auto left = TextInk(box, text, DT_LEFT);
  std::vector<int> ink = InkColumns(box, glyph, 200);
  ASSERT_FALSE(ink.empty());
  EXPECT_EQ(ink.front(), glyph + left.front());
  // Vertically the caption is centred in the box within the margin, lowered by 2 pixels.
  {
    form->SetColor(clWhite);
    box->Repaint();
    const std::vector<int> rows =
        InkRows(box->GetSkinData()->GetCacheBmp()->GetCanvas(), glyph, 200, 0, box->GetHeight());
    TBitmap* bmp =
        TextBitmap(box, text, RECT{0, 3 + 2, 200, 24 - 3 + 2}, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
    EXPECT_EQ(rows, InkRows(bmp->GetCanvas(), 0, 200, 0, 40));
    EXPECT_FALSE(rows.empty());
    Free(bmp);
  }
  // Without a skin each picture is painted whole: no caption stays behind.
  box->SetCaption("");
  EXPECT_TRUE(InkColumns(box, glyph, 200).empty());
  box->SetCaption(text);
  box->SetTextIndent(5);
  EXPECT_EQ(InkColumns(box, glyph, 200).front(), glyph + 5 + left.front());
  // Glyph on the right, text on the left: 3 pixels of margin before it.
  box->SetTextIndent(0);
  box->SetLayout(calRight);
  const RECT check = box->GetCheckRect();
  EXPECT_EQ(InkColumns(box, 0, check.left).front(), 3 + left.front());
  // Text against the glyph's box on the right.
  box->SetAlignment(taRightJustify);
  const auto right = TextInk(box, text, DT_RIGHT);
  EXPECT_EQ(InkColumns(box, 0, check.left).back(), check.left - (200 - right.back()));
}

TEST_F(Checks, AnAutoSizedBoxFitsGlyphAndCaptionAndKeepsItsAlignedEdge) {
  const std::string text = "Autocross";
  auto* box = Add<TsCheckBox>(20, 8, 40, 18);
  auto* right = Add<TsCheckBox>(20, 40, 300, 18);
  auto* wrapped = Add<TsCheckBox>(20, 80, 60, 18);
  for (TsCheckBox* b : {box, right, wrapped}) {
    b->SetCaption(text + " timing");
    b->SetShowFocus(false);
  }
  right->SetAlignment(taRightJustify);
  right->SetLayout(calRight);
  wrapped->SetMultiLine(true);
  Show();
  const auto ink = TextInk(box, text + " timing", DT_LEFT);
  for (TsCheckBox* b : {box, right, wrapped}) b->SetAutoSize(true);
  // The whole caption shows, the margin after it.
  const int glyph = box->GlyphSize().cx;
  std::vector<int> columns = InkColumns(box, glyph, box->GetWidth());
  ASSERT_FALSE(columns.empty());
  EXPECT_EQ(columns.front(), glyph + ink.front());
  EXPECT_EQ(columns.back(), glyph + ink.back());
  EXPECT_EQ(box->GetWidth(), glyph + GetStringSize(box->GetFont()->GetHandle(), text + " timing").cx + 3);
  EXPECT_EQ(box->GetLeft(), 20);
  // Glyph on the right: the caption with its margin on the left, the right edge kept.
  EXPECT_EQ(right->GetLeft() + right->GetWidth(), 320);
  columns = InkColumns(right, 0, right->GetCheckRect().left);
  ASSERT_FALSE(columns.empty());
  EXPECT_EQ(columns.front(), 3 + ink.front());
  EXPECT_EQ(columns.back() - columns.front(), ink.back() - ink.front());
  // Wrapped text keeps the width and takes more lines' height.
  EXPECT_EQ(wrapped->GetWidth(), 60);
  EXPECT_GT(wrapped->GetHeight(), box->GetHeight());
  // A longer caption widens it; a taller glyph makes it taller.
  const int width = box->GetWidth();
  box->SetCaption(text + " timing, two lanes");
  EXPECT_GT(box->GetWidth(), width);
  TBitmap* tall = New<TBitmap>();
  tall->SetPixelFormat(pf24bit);
  tall->SetSize(20, 60);
  box->SetGlyphChecked(tall);
  Free(tall);
  EXPECT_EQ(box->GetHeight(), 60);
}

// ---- Glyph pixels -------------------------------------------------------------------------------

TEST_F(Checks, WithoutASkinTheBuiltInGlyphsShowTheState) {
  auto* box = Add<TsCheckBox>(8, 8);
  auto* radio = Add<TsRadioButton>(8, 30);
  Show();
  // Glyph at (0, 2): a check mark's corner at (6, 10), a radio's dot at its centre.
  EXPECT_EQ(Pixel(box, 6, 12), clWhite);
  EXPECT_EQ(Pixel(radio, 7, 9), clWhite);
  box->SetChecked(true);
  radio->SetChecked(true);
  EXPECT_EQ(Pixel(box, 6, 12), TColor(0x00202020));
  EXPECT_EQ(Pixel(radio, 7, 9), TColor(0x00202020));
  const TColor border = Pixel(box, 0, 9);
  SendMessageA(box->GetHandle(), CM_MOUSEENTER, 0, 0);
  EXPECT_NE(Pixel(box, 0, 9), border);  // hot
  SendMessageA(box->GetHandle(), CM_MOUSELEAVE, 0, 0);
  EXPECT_EQ(Pixel(box, 0, 9), border);
}

TEST_F(Checks, SkinGlyphsComeFromTheSectionByStateAndNeverFromGlobalInfo) {
  LoadSkin();
  auto* box = Add<TsCheckBox>(8, 8);
  auto* radio = Add<TsRadioButton>(8, 30);
  auto* plain = Add<TsCheckBox>(8, 52);
  plain->GetSkinData()->SetSkinSection("PLAIN");
  Show();
  EXPECT_EQ(box->GlyphSize().cx, 13);
  EXPECT_EQ(Pixel(box, 6, 8), kUnchecked[0]);
  box->SetChecked(true);
  EXPECT_EQ(Pixel(box, 6, 8), kChecked[0]);
  SendMessageA(box->GetHandle(), CM_MOUSEENTER, 0, 0);
  EXPECT_EQ(Pixel(box, 6, 8), kChecked[1]);
  SendMessageA(box->GetHandle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(Pixel(box, 6, 8), kChecked[2]);
  SendMessageA(box->GetHandle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageA(box->GetHandle(), CM_MOUSELEAVE, 0, 0);
  box->SetDisabledKind(TsDisabledKind{dkGrayed});
  box->SetEnabled(false);
  EXPECT_TRUE(IsGrey(Pixel(box, 6, 8)));
  // The radio button's own section glyph wins; unchecked it has none: the built-in glyph shows.
  radio->SetChecked(true);
  EXPECT_EQ(Pixel(radio, 6, 8), kOwnRadio);
  radio->Uncheck();
  EXPECT_EQ(Pixel(radio, 7, 9), clWhite);
  // A section without glyphs shows the built-in ones, whatever "GLOBALINFO" holds.
  EXPECT_EQ(plain->GlyphSize().cx, 14);
  EXPECT_EQ(Pixel(plain, 6, 12), clWhite);
  plain->SetChecked(true);
  EXPECT_EQ(Pixel(plain, 6, 12), TColor(0x00202020));
}

// The glyph comes from the section, else the control's own glyphs, else its images, and only
// then the built-in one.
TEST_F(Checks, GlyphsComeFromTheSectionThenTheControlThenItsImages) {
  LoadSkin();
  SkinGeneralData.push_back(SectionOf("GLYPHBOX", 0x00F0F0F0));
  const TColor section[3] = {0x00010203, 0x00010203, 0x00010203};
  SkinMasks.push_back(TsMaskData{GlyphStrip(section), "GLYPHBOX", "GLYPHCHECKED", {}, 3, 0});
  UpdateCommonSkinIndexes();
  auto solid = [](int side, TColor color) {
    TBitmap* bmp = New<TBitmap>();
    bmp->SetPixelFormat(pf24bit);
    bmp->SetSize(side, side);
    bmp->GetCanvas()->GetBrush()->SetColor(color);
    bmp->GetCanvas()->FillRect(RECT{0, 0, side, side});
    bmp->GetCanvas()->SetPixels(0, side - 1, clBlack);  // the transparent colour of own glyphs
    return bmp;
  };
  TBitmap* own = solid(9, 0x0000C000);
  auto* own_box = Add<TsCheckBox>(8, 8);
  own_box->GetSkinData()->SetSkinSection("PLAIN");
  own_box->SetGlyphChecked(own);
  own_box->SetGlyphUnChecked(own);
  auto* images = New<TCustomImageList>(form);
  images->SetWidth(11);
  images->SetHeight(11);
  TBitmap* image = solid(11, 0x00C00000);
  images->Add(image, nullptr);
  auto* image_box = Add<TsCheckBox>(8, 30);
  image_box->GetSkinData()->SetSkinSection("PLAIN");
  image_box->SetImages(images);
  image_box->SetImgChecked(0);
  image_box->SetImgUnchecked(0);
  auto* section_box = Add<TsCheckBox>(8, 52);
  section_box->GetSkinData()->SetSkinSection("GLYPHBOX");
  section_box->SetGlyphChecked(own);
  Show();
  for (bool checked : {false, true}) {
    for (TsCheckBox* box : {own_box, image_box, section_box}) box->SetChecked(checked);
    EXPECT_EQ(own_box->GlyphSize().cx, 9);
    EXPECT_EQ(Pixel(own_box, 4, 9), TColor(0x0000C000)) << checked;
    EXPECT_EQ(image_box->GlyphSize().cx, 11);
    EXPECT_EQ(Pixel(image_box, 5, 9), TColor(0x00C00000)) << checked;
  }
  EXPECT_EQ(section_box->GlyphSize().cx, 13);
  EXPECT_EQ(Pixel(section_box, 6, 8), section[0]);
  Free(own);
  Free(image);
}

// ---- Group boxes --------------------------------------------------------------------------------

TEST_F(Checks, AGroupBoxCaptionInterruptsTheTopBorderAndAnEmptyOneDoesNot) {
  auto* box = Add<TsGroupBox>(8, 8, 200, 80);
  box->SetCaption("Laps");
  Show();
  const RECT gap = box->CaptionRect();
  EXPECT_EQ(gap.left, 6);
  const int border = (gap.bottom - gap.top) / 2;
  const TColor inside = Pixel(box, 100, 50);
  EXPECT_EQ(Pixel(box, gap.left + 1, border), inside);  // the gap shows the background
  EXPECT_NE(Pixel(box, gap.right + 10, border), inside);
  EXPECT_EQ(Pixel(box, 3, border), Pixel(box, gap.right + 10, border));
  box->SetCaption("");
  EXPECT_EQ(Pixel(box, gap.left + 1, 0), Pixel(box, 150, 0));
  EXPECT_NE(Pixel(box, gap.left + 1, 0), inside);
}

// Without a skin the bevels are as wide as a panel's, and the inner one keeps its place inside
// the outer one's whether that is drawn or not.
TEST_F(Checks, AGroupBoxsBevelsArePanelWideAndTheInnerOneKeepsItsPlace) {
  auto* box = Add<TsGroupBox>(8, 8, 200, 80);
  Show();
  const TColor inside = Pixel(box, 100, 50);
  auto row = [&] {
    std::vector<bool> frame;
    for (int x = 0; x < 6; ++x) frame.push_back(Pixel(box, x, 50) != inside);
    return frame;
  };
  EXPECT_EQ(row(), (std::vector<bool>{true, true, true, true, false, false}));
  box->SetBevelOuter(cbNone);
  EXPECT_EQ(row(), (std::vector<bool>{false, false, true, true, false, false}));
}

// Without a skin a check box shows its parent's colour: on a group box, the box's face.
TEST_F(Checks, ACheckBoxOnAGroupBoxShowsTheGroupBoxsFace) {
  auto* group = Add<TsGroupBox>(8, 8, 200, 80);
  auto* box = New<TsCheckBox>(form);
  box->SetParent(group);
  box->SetBounds(10, 30, 100, 18);
  Show();
  EXPECT_EQ(Pixel(box, 99, 0), Pixel(group, 150, 60));
}

TEST_F(Checks, AGroupBoxCaptionFollowsTheReadingOrder) {
  auto* box = Add<TsGroupBox>(8, 8, 200, 80);
  box->SetCaption("Laps:");
  Show();
  // Which columns of the caption's gap hold text.
  auto picture = [&] {
    const RECT gap = box->CaptionRect();
    Pixel(box, 0, 0);  // painted anew
    return Ink(box->GetStyle()->GetCacheBmp()->GetCanvas(), gap.left, gap.right, gap.bottom);
  };
  const std::vector<int> left_to_right = picture();
  form->SetBiDiMode(bdRightToLeftReadingOnly);
  EXPECT_NE(picture(), left_to_right);  // read from the right, the colon comes first
  form->SetBiDiMode(bdLeftToRight);
  EXPECT_EQ(picture(), left_to_right);
}

TEST_F(Checks, ASkinnedGroupBoxBorderMaskStopsAtTheCaption) {
  constexpr TColor kBorder = 0x00203040, kBody = 0x00C0D0E0;
  SkinGeneralData.push_back(SectionOf("TSGROUPBOX", kBody));
  TBitmap* mask = New<TBitmap>();
  mask->SetPixelFormat(pf24bit);
  mask->SetSize(36, 24);  // three states of 3 x 3 cells of 4 pixels, over a black mask
  mask->GetCanvas()->GetBrush()->SetColor(kBorder);
  mask->GetCanvas()->FillRect(RECT{0, 0, 36, 12});
  mask->GetCanvas()->GetBrush()->SetColor(0);
  mask->GetCanvas()->FillRect(RECT{0, 12, 36, 24});
  SkinMasks.push_back(TsMaskData{mask, "TSGROUPBOX", "BORDERSMASK", {}, 1, 0});
  SkinData().SkinLoaded = true;
  auto* box = Add<TsGroupBox>(8, 8, 200, 80);
  box->GetStyle()->SetSkinSection("TSGROUPBOX");
  box->SetCaption("Laps");
  Show();
  const RECT gap = box->CaptionRect();
  const int border = (gap.bottom - gap.top) / 2;
  EXPECT_EQ(Pixel(box, 100, 50), kBody);
  EXPECT_EQ(Pixel(box, gap.right + 10, border), kBorder);
  EXPECT_EQ(Pixel(box, 0, 50), kBorder);
  EXPECT_EQ(Pixel(box, gap.left + 1, border), Pixel(box, gap.left + 1, border - 1));
  EXPECT_NE(Pixel(box, gap.left + 1, border), kBorder);
}

// Tab from a box's child into another box's and back: the style hears of the focus first, so
// each box the focus enters or leaves builds its cache again (a mark in each cache goes).
TEST_F(Checks, FocusMovingIntoOrOutOfAGroupBoxRebuildsItsCache) {
  auto* first = Add<TsGroupBox>(8, 8, 160, 80);
  auto* second = Add<TsGroupBox>(180, 8, 160, 80);
  auto child_of = [&](TsGroupBox* box) {
    auto* child = New<TsCheckBox>(form);
    child->SetParent(box);
    child->SetBounds(10, 30, 100, 18);
    return child;
  };
  TsCheckBox* in_first = child_of(first);
  TsCheckBox* in_second = child_of(second);
  Show();
  in_first->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  constexpr TColor kMark = 0x00010203;
  auto mark = [&] {
    for (TsGroupBox* box : {first, second}) {
      box->Repaint();
      box->GetStyle()->GetCacheBmp()->GetCanvas()->SetPixels(150, 70, kMark);
    }
  };
  mark();
  Pump();
  EXPECT_EQ(Pixel(first, 150, 70), kMark);  // a paint alone keeps it
  for (TWinControl* target : {static_cast<TWinControl*>(in_second), static_cast<TWinControl*>(in_first)}) {
    mark();
    target->SetFocus();
    Pump();
    EXPECT_NE(Pixel(first, 150, 70), kMark);
    EXPECT_NE(Pixel(second, 150, 70), kMark);
  }
}

TEST_F(Checks, TheCaptionRectangleFollowsTheLayout) {
  auto* box = Add<TsGroupBox>(8, 8, 200, 80);
  box->SetCaption("Laps");
  const int width = box->CaptionRect().right - box->CaptionRect().left;
  box->SetCaptionLayout(clTopRight);
  EXPECT_EQ(box->CaptionRect().right, 200 - 6);
  box->SetCaptionLayout(clTopCenter);
  EXPECT_EQ(box->CaptionRect().left, (200 - width) / 2);
  box->SetWidth(10);
  EXPECT_EQ(box->CaptionRect().left, 0);
  EXPECT_EQ(box->CaptionRect().right, 10);
  EXPECT_EQ(box->GetClientRect().top, box->CaptionHeight());
}

// A group box is a skinned panel: it has the panel's properties and its style as sStyle, and a
// definition that sets them is read and written back the same.
TEST_F(Checks, AGroupBoxIsASkinnedPanelAndItsDefinitionComesBackTheSame) {
  const std::string definition =
      "object Form1: TForm\n"
      "  object gb: TsGroupBox\n"
      "    Left = 8\n    Top = 8\n    Width = 200\n    Height = 90\n"
      "    Caption = 'Laps'\n"
      "    Alignment = taLeftJustify\n"
      "    BevelOuter = cbLoweredSoft\n"
      "    BevelInner = cbNone\n"
      "    BevelWidth = 3\n"
      "    BorderStyle = bsSingle\n"
      "    CaptionLayout = clTopRight\n"
      "    CaptionYOffset = 2\n"
      "    sStyle.SkinSection = 'PANEL'\n"
      "  end\n"
      "end\n";
  auto read = [](const std::string& text) {
    TForm* read_form = New<TForm>(nullptr, kCreateNew);
    ReadComponentFromText(read_form, text, "group box");
    return read_form;
  };
  TForm* first = read(definition);
  auto* box = DynamicCast<TsGroupBox>(first->FindComponent("gb"));
  ASSERT_NE(box, nullptr);
  EXPECT_TRUE(box->InheritsFrom(TsCustomPanel::StaticClass()));
  EXPECT_EQ(box->GetBevelOuter(), cbLoweredSoft);
  EXPECT_EQ(box->GetStyle()->COC, 74);
  EXPECT_NE(GetPropInfo(box, "OnPaint"), nullptr);
  // Written as they were read, and so again from what was written.
  auto check = [](const std::string& written) {
    for (const char* line :
         {"    Caption = 'Laps'\r\n    Alignment = taLeftJustify\r\n    BevelOuter = cbLoweredSoft\r\n"
          "    BevelInner = cbNone\r\n    BevelWidth = 3\r\n    BorderStyle = bsSingle\r\n"
          "    CaptionLayout = clTopRight\r\n    CaptionYOffset = 2\r\n",
          "    sStyle.SkinSection = 'PANEL'\r\n"})
      EXPECT_NE(written.find(line), std::string::npos) << line << written;
  };
  const std::string written = WriteComponentToText(first);
  check(written);
  TForm* second = read(written);
  check(WriteComponentToText(second));
  Free(first);
  Free(second);
}

namespace {

struct TPaintCounter : TObject {
  int paints = 0;
  void Paint(TObject*, TCanvas*) { ++paints; }
};

}  // namespace

// After every paint of its own the box has its children repaint over it, telling them whether
// its background was built anew: a panel on it paints each time, and builds its own cache
// again only after the box built its.
TEST_F(Checks, AGroupBoxsChildrenRepaintAfterEveryPaintToldWhetherItsBackgroundIsNew) {
  auto* box = Add<TsGroupBox>(8, 8, 300, 120);
  auto* panel = New<TsPanel>(form);
  panel->SetParent(box);
  panel->SetBounds(10, 30, 80, 40);
  TPaintCounter counter;
  panel->OnPaint = TPanelPaintEvent(&counter, &TPaintCounter::Paint);
  Show();
  Pump();
  int paints = counter.paints;
  int builds = panel->CacheBuilds();
  box->Repaint();  // the same background
  EXPECT_GT(counter.paints, paints);
  EXPECT_EQ(panel->CacheBuilds(), builds);
  paints = counter.paints;
  box->SetCaption("Laps");
  box->Repaint();  // a new one
  EXPECT_GT(counter.paints, paints);
  EXPECT_GT(panel->CacheBuilds(), builds);
}

// ---- Radio groups -------------------------------------------------------------------------------

TEST_F(Checks, ItemIndexIsClampedAndMinusOneUnchecksEveryButton) {
  auto* group = Group(3);
  Show();
  group->SetItemIndex(5);
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_TRUE(group->GetButton(2)->GetChecked());
  group->SetItemIndex(0);
  EXPECT_EQ(CheckedButtons(group), 1);
  group->SetItemIndex(-7);
  EXPECT_EQ(group->GetItemIndex(), -1);
  EXPECT_EQ(CheckedButtons(group), 0);
  auto* empty = Add<TsRadioGroup>(8, 140, 200, 60);
  empty->SetItemIndex(2);
  EXPECT_EQ(empty->GetItemIndex(), -1);
}

TEST_F(Checks, ColumnsAreClampedAndFilledColumnByColumn) {
  auto* group = Group(4, 0);
  EXPECT_EQ(group->GetColumns(), 1);
  group->SetColumns(40);
  EXPECT_EQ(group->GetColumns(), 16);
  group->SetColumns(2);
  Show();
  auto left = [&](int i) { return group->GetButton(i)->GetLeft(); };
  auto top = [&](int i) { return group->GetButton(i)->GetTop(); };
  EXPECT_EQ(left(0), 8);
  EXPECT_EQ(left(1), 8);
  EXPECT_EQ(left(2), 8 + (300 - 10) / 2);
  EXPECT_EQ(left(3), left(2));
  EXPECT_LT(top(0), top(1));
  EXPECT_EQ(top(2), top(0));
  EXPECT_EQ(top(3), top(1));
  EXPECT_TRUE(group->GetButton(3)->GetVisible());
}

TEST_F(Checks, AGroupLaidOutFromTheRightFillsItsColumnsFromTheRight) {
  auto* group = Group(4, 2);
  Show();
  const int width = (300 - 10) / 2;
  form->SetBiDiMode(bdRightToLeft);
  // The group follows the form; its buttons take its mode.
  EXPECT_EQ(group->GetButton(0)->GetLeft(), 300 - 8 - width);
  EXPECT_EQ(group->GetButton(1)->GetLeft(), 300 - 8 - width);
  EXPECT_EQ(group->GetButton(2)->GetLeft(), 300 - (8 + width) - width);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(group->GetButton(i)->GetBiDiMode(), bdRightToLeft) << i;
  // Read from the right but laid out from the left, the columns stay.
  group->SetBiDiMode(bdRightToLeftNoAlign);
  EXPECT_EQ(group->GetButton(0)->GetLeft(), 8);
  EXPECT_EQ(group->GetButton(3)->GetBiDiMode(), bdRightToLeftNoAlign);
}

TEST_F(Checks, RemovingTheCheckedLineChecksTheLastOne) {
  auto* group = Group(4);
  group->SetItemIndex(3);
  group->GetItems()->Delete(3);
  group->GetItems()->Delete(2);
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_EQ(group->GetButtonCount(), 2);
  EXPECT_TRUE(group->GetButton(1)->GetChecked());
}

TEST_F(Checks, AButtonClickSelectsItsLineAndClicksTheGroupOnce) {
  auto* group = Group(3);
  TClickCounter counter;
  group->OnClick = TNotifyEvent(&counter, &TClickCounter::Click);
  Show();
  group->SetItemIndex(0);
  EXPECT_EQ(counter.clicks, 0);  // set from code: no click
  Press(group->GetButton(2));
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_EQ(CheckedButtons(group), 1);
  EXPECT_EQ(counter.clicks, 1);
  Space(group->GetButton(1));
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_EQ(counter.clicks, 2);
}

namespace {

// A parent that writes down the changed notices of its children, and a click handler that
// writes into the same log.
struct TEventLog : TObject {
  std::vector<std::string> events;
  void Click(TObject*) { events.push_back("click"); }
};

class TWatchingPanel : public TPanel {
 public:
  TWatchingPanel(TComponent* owner, TEventLog* log) : TPanel(owner), log_(log) {}

 protected:
  void WndProc(TMessage& message) override {
    if (message.Msg == CM_CHANGED) log_->events.push_back("changed");
    TPanel::WndProc(message);
  }

 private:
  TEventLog* log_;
};

}  // namespace

TEST_F(Checks, AButtonClickTellsTheParentOfTheChangeBeforeTheGroupsClick) {
  TEventLog log;
  auto* panel = New<TWatchingPanel>(form, &log);
  panel->SetParent(form);
  panel->SetBounds(0, 0, 340, 200);
  auto* group = Group(3);
  group->SetParent(panel);
  group->OnClick = TNotifyEvent(&log, &TEventLog::Click);
  Show();
  group->SetItemIndex(0);
  EXPECT_TRUE(log.events.empty()) << "set from code";
  Press(group->GetButton(2));
  EXPECT_EQ(log.events, (std::vector<std::string>{"changed", "click"}));
}

// Only the mouse and the space key check a radio button: it asks for no arrow keys, and an
// arrow key reaching it checks nothing.
TEST_F(Checks, ArrowKeysOnARadioButtonLeaveTheCheckWhereItIs) {
  auto* group = Group(3);
  TClickCounter counter;
  group->OnClick = TNotifyEvent(&counter, &TClickCounter::Click);
  Show();
  group->SetItemIndex(0);
  HWND first = group->GetButton(0)->GetHandle();
  EXPECT_EQ(SendMessageA(first, WM_GETDLGCODE, 0, 0) & DLGC_WANTARROWS, 0);
  for (WORD vk : {VK_RIGHT, VK_DOWN, VK_UP, VK_LEFT}) SendMessageA(first, WM_KEYDOWN, vk, 1);
  EXPECT_EQ(group->GetItemIndex(), 0);
  EXPECT_EQ(CheckedButtons(group), 1);
  EXPECT_EQ(counter.clicks, 0);
}

// As a dialog's group of radio buttons: Tab stops once, on the checked button (on the first
// while none is checked), and the stop follows the check.
TEST_F(Checks, ARadioGroupIsOneTabStopOnItsCheckedButton) {
  auto* before = Add<TsCheckBox>(8, 140);
  auto* group = Group(3);
  auto* after = Add<TsCheckBox>(8, 170);
  Show();
  auto tab = [&](TWinControl* expected) {
    PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
    PostMessageA(GetFocus(), WM_KEYUP, VK_TAB, 0xC0000001);
    return PumpUntil([&] { return expected->Focused(); }, 2000);
  };
  auto from_before = [&](TWinControl* stop) {
    before->SetFocus();
    Pump();
    EXPECT_TRUE(tab(stop));
    EXPECT_TRUE(tab(after));
  };
  group->SetItemIndex(1);
  from_before(group->GetButton(1));
  group->SetItemIndex(-1);
  from_before(group->GetButton(0));
  // Checked with the mouse, the new button is the stop.
  Press(group->GetButton(2));
  ASSERT_EQ(group->GetItemIndex(), 2);
  from_before(group->GetButton(2));
  for (int i = 0; i < 3; ++i) EXPECT_EQ(group->GetButton(i)->GetTabStop(), i == 2) << i;
}

TEST_F(Checks, AFormDefinitionSetsTheStyleOfCheckBoxesAndRadioButtons) {
  Free(form);
  form = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(form,
                        "object Form1: TForm\n"
                        "  object cb: TsCheckBox\n"
                        "    sStyle.SkinSection = 'GLYPHBOX'\n"
                        "  end\n"
                        "  object rb: TsRadioButton\n"
                        "    sStyle.SkinSection = 'PLAIN'\n"
                        "  end\n"
                        "end\n",
                        "test form");
  auto* box = DynamicCast<TsCheckBox>(form->FindComponent("cb"));
  auto* radio = DynamicCast<TsRadioButton>(form->FindComponent("rb"));
  ASSERT_TRUE(box && radio);
  EXPECT_EQ(box->GetSkinData()->GetSkinSection(), "GLYPHBOX");
  EXPECT_EQ(radio->GetSkinData()->GetSkinSection(), "PLAIN");
  // Read-only and auto size are set from code only: a stored form names neither.
  box->SetReadOnly(true);
  box->SetAutoSize(true);
  for (const char* name : {"ReadOnly", "AutoSize"}) {
    EXPECT_EQ(GetPropInfo(box, name), nullptr) << name;
    EXPECT_EQ(WriteComponentToText(form).find(name), std::string::npos) << name;
  }
}

TEST_F(Checks, AFormDefinitionsItemIndexIsClampedOnceTheButtonsExist) {
  Free(form);
  form = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(form,
                        "object Form1: TForm\n"
                        "  object rg: TsRadioGroup\n"
                        "    Left = 8\n    Top = 8\n    Width = 300\n    Height = 44\n"
                        "    Columns = 3\n"
                        "    ItemIndex = 7\n"
                        "    Items = (\n    'Single'\n    'Two'\n    'Three')\n"
                        "  end\n"
                        "end\n",
                        "test form");
  auto* group = static_cast<TsRadioGroup*>(form->FindComponent("rg"));
  ASSERT_NE(group, nullptr);
  EXPECT_EQ(group->GetButtonCount(), 3);
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_TRUE(group->GetButton(2)->GetChecked());
  // Its buttons come from Items: it takes no controls and only sets its caption and hears
  // double clicks.
  EXPECT_EQ(group->GetControlStyle(), (TControlStyle{csSetCaption, csDoubleClicks}));
}
