// Labels, panels, bevels, images and radio groups under Wine: sizes measured against the
// canvas's own text measurement, bevel and picture pixels read back from the painted windows,
// and the radio group's clamped index, columns and clicks. One test also saves a picture of
// the stored test form when DRAVOLIN_SCREENSHOT names a file.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "buttons_test_support.h"

using testing::ElementsAre;
using testing::IsEmpty;

namespace {

// Text measured on a memory canvas with the control's font.
SIZE Measure(TControl* control, const std::string& text) {
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(1, 1);
  bitmap->GetCanvas()->SetFont(control->GetFont());
  SIZE size = bitmap->GetCanvas()->TextExtent(text);
  Free(bitmap);
  return size;
}

}  // namespace

// ---- Labels ----------------------------------------------------------------------------------

TEST_F(ButtonsTest, LabelSizesItselfToItsTextAndWrapsWithinItsWidth) {
  auto* label = New<TLabel>(form);
  label->SetParent(form);
  label->SetBounds(20, 10, 5, 5);
  label->GetFont()->SetHeight(-15);
  label->SetCaption("Number of laps");
  SIZE text = Measure(label, "Number of laps");
  EXPECT_EQ(label->GetWidth(), text.cx);
  EXPECT_EQ(label->GetHeight(), text.cy);

  // An empty caption keeps one line's height.
  label->SetCaption("");
  EXPECT_EQ(label->GetHeight(), text.cy);

  // Wrapped within a narrower width: the lines stack up, no wider than the widest.
  label->SetCaption("Number of laps");
  label->SetAutoSize(false);
  label->SetWordWrap(true);
  int narrow = Measure(label, "Number of ").cx + 2;
  label->SetWidth(narrow);
  label->SetAutoSize(true);
  EXPECT_LE(label->GetWidth(), narrow);
  EXPECT_EQ(label->GetHeight(), 2 * text.cy);

  // A right-aligned label keeps its right edge.
  label->SetWordWrap(false);
  label->SetAlignment(taRightJustify);
  int right = label->GetLeft() + label->GetWidth();
  label->SetCaption("Laps");
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), right);
  EXPECT_EQ(label->GetWidth(), Measure(label, "Laps").cx);

  // Without AutoSize nothing moves.
  label->SetAutoSize(false);
  label->SetCaption("Number of laps");
  EXPECT_EQ(label->GetWidth(), Measure(label, "Laps").cx);
}

TEST_F(ButtonsTest, LabelPaintsItsColourAndGivesTheFocusOnItsAccelerator) {
  auto* edit = Add<TCheckBox>("target", form, {10, 60, 110, 77});
  auto* other = Add<TCheckBox>("other", form, {10, 90, 110, 107});
  auto* label = New<TLabel>(form);
  label->SetParent(form);
  label->SetAutoSize(false);
  label->SetBounds(10, 10, 100, 30);
  label->SetCaption("&Title:");
  label->SetFocusControl(edit);
  label->SetColor(clLime);
  EXPECT_EQ(PixelOf(label, label->GetWidth() - 1, label->GetHeight() - 1), clLime);
  // Transparent: the form's colour shows.
  label->SetTransparent(true);
  EXPECT_EQ(PixelOf(label, label->GetWidth() - 1, label->GetHeight() - 1),
            static_cast<TColor>(ColorToRGB(clBtnFace)));

  ShowActive(form);
  other->SetFocus();
  PostMessageA(other->GetHandle(), WM_SYSCHAR, 't', 0x20000001);
  Pump();
  EXPECT_TRUE(edit->Focused());

  // A freed focus control is forgotten.
  Free(edit);
  EXPECT_EQ(label->GetFocusControl(), nullptr);
}

// ---- Panels and bevels ------------------------------------------------------------------------

TEST_F(ButtonsTest, PanelKeepsAlignedChildrenInsideItsBevelsAndCallsOnPaint) {
  auto* panel = Add<TPanel>("pnl", form, {10, 10, 210, 110});
  auto* child = Add<TPanel>("child", panel, {0, 0, 10, 10});
  child->SetAlign(alClient);
  EXPECT_EQ(child->GetBoundsRect().left, 1);  // the raised outer bevel

  panel->SetBorderWidth(3);
  panel->SetBevelInner(bvLowered);
  panel->SetBevelWidth(2);
  RECT inner = child->GetBoundsRect();
  EXPECT_EQ(inner.left, 2 + 3 + 2);
  EXPECT_EQ(inner.top, 7);
  EXPECT_EQ(inner.right, 200 - 7);
  EXPECT_EQ(inner.bottom, 100 - 7);

  // Raised outside: light top left, dark bottom right; the inner bevel lowered.
  child->Hide();
  panel->SetColor(clTeal);
  TBitmap* picture = PictureOf(panel);
  EXPECT_EQ(PixelAt(picture, panel, 0, 0), static_cast<TColor>(ColorToRGB(clBtnHighlight)));
  EXPECT_EQ(PixelAt(picture, panel, 199, 99), static_cast<TColor>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(PixelAt(picture, panel, 3, 3), clTeal);  // the border
  EXPECT_EQ(PixelAt(picture, panel, 5, 10), static_cast<TColor>(ColorToRGB(clBtnShadow)));
  EXPECT_EQ(PixelAt(picture, panel, 20, 80), clTeal);  // clear of the caption
  Free(picture);

  struct TProbe : TObject {
    std::vector<std::pair<TObject*, TCanvas*>> calls;
    void Paint(TObject* sender, TCanvas* canvas) { calls.push_back({sender, canvas}); }
  } probe;
  panel->OnPaint = TPanelPaintEvent(&probe, &TProbe::Paint);
  Free(PictureOf(panel));
  ASSERT_EQ(probe.calls.size(), 1u);
  EXPECT_EQ(probe.calls[0].first, panel);
  EXPECT_EQ(probe.calls[0].second, panel->GetCanvas());

  panel->SetBorderStyle(bsSingle);
  EXPECT_TRUE(GetWindowLongPtrA(panel->GetHandle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(ButtonsTest, BevelDrawsItsShapeInTheShadowAndHighlightColours) {
  auto* bevel = New<TBevel>(form);
  bevel->SetParent(form);
  bevel->SetBounds(10, 10, 100, 40);
  TColor shadow = ColorToRGB(clBtnShadow), light = ColorToRGB(clBtnHighlight);

  EXPECT_EQ(PixelOf(bevel, 0, 0), shadow);
  EXPECT_EQ(PixelOf(bevel, 99, 39), light);
  EXPECT_EQ(PixelOf(bevel, 50, 20), static_cast<TColor>(ColorToRGB(clBtnFace)));

  bevel->SetShape(bsTopLine);
  EXPECT_EQ(PixelOf(bevel, 50, 0), shadow);
  EXPECT_EQ(PixelOf(bevel, 50, 1), light);
  EXPECT_EQ(PixelOf(bevel, 99, 39), static_cast<TColor>(ColorToRGB(clBtnFace)));

  bevel->SetStyle(bsRaised);
  bevel->SetShape(bsRightLine);
  EXPECT_EQ(PixelOf(bevel, 98, 20), light);
  EXPECT_EQ(PixelOf(bevel, 99, 20), shadow);
}

// ---- Images -----------------------------------------------------------------------------------

TEST_F(ButtonsTest, ImageShowsItsPictureCentredStretchedAndTransparent) {
  auto* image = New<TImage>(form);
  image->SetParent(form);
  image->SetBounds(10, 10, 64, 48);
  TBitmap* glyph = MakeGlyph(16, clFuchsia, clRed);
  image->GetPicture()->SetGraphic(glyph);
  Free(glyph);

  RECT r = image->DestRect();
  EXPECT_THAT((std::vector<long>{r.left, r.top, r.right, r.bottom}), ElementsAre(0, 0, 16, 16));
  image->SetCenter(true);
  r = image->DestRect();
  EXPECT_THAT((std::vector<long>{r.left, r.top, r.right, r.bottom}), ElementsAre(24, 16, 40, 32));
  EXPECT_EQ(PixelOf(image, 24, 16), clFuchsia);
  EXPECT_EQ(PixelOf(image, 32, 24), clRed);

  // Transparent: the bottom-left colour lets the form show.
  image->SetTransparent(true);
  EXPECT_EQ(PixelOf(image, 24, 16), static_cast<TColor>(ColorToRGB(clBtnFace)));
  EXPECT_EQ(PixelOf(image, 32, 24), clRed);

  image->SetStretch(true);
  image->SetProportional(true);
  r = image->DestRect();
  EXPECT_THAT((std::vector<long>{r.left, r.top, r.right, r.bottom}), ElementsAre(8, 0, 56, 48));
  image->SetProportional(false);
  r = image->DestRect();
  EXPECT_THAT((std::vector<long>{r.left, r.top, r.right, r.bottom}), ElementsAre(0, 0, 64, 48));

  image->SetStretch(false);
  image->SetAutoSize(true);
  EXPECT_EQ(image->GetWidth(), 16);
  EXPECT_EQ(image->GetHeight(), 16);
}

// ---- Radio groups -------------------------------------------------------------------------------

TEST_F(ButtonsTest, RadioGroupClampsItsIndexAndColumns) {
  auto* group = Add<TRadioGroup>("rg", form, {10, 10, 250, 110});
  group->SetItemIndex(3);
  EXPECT_EQ(group->GetItemIndex(), -1);  // no lines yet

  group->GetItems()->SetCommaText("Single,Two,Three");
  group->SetItemIndex(5);
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_TRUE(group->GetButton(2)->GetChecked());
  group->SetItemIndex(-7);
  EXPECT_EQ(group->GetItemIndex(), -1);
  EXPECT_FALSE(group->GetButton(2)->GetChecked());

  // The checked line goes away: the last line is checked.
  group->SetItemIndex(2);
  group->GetItems()->Delete(2);
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_TRUE(group->GetButton(1)->GetChecked());
  EXPECT_EQ(group->GetButtonCount(), 2);

  group->SetColumns(0);
  EXPECT_EQ(group->GetColumns(), 1);
  group->SetColumns(40);
  EXPECT_EQ(group->GetColumns(), 16);
}

TEST_F(ButtonsTest, RadioGroupLaysItsButtonsOutColumnByColumn) {
  form->HandleNeeded();  // the buttons have windows from the start
  auto* group = Add<TRadioGroup>("rg", form, {10, 10, 250, 110});
  group->GetItems()->SetCommaText("a,b,c,d");
  group->SetColumns(2);
  RECT b[4];
  for (int i = 0; i < 4; ++i) {
    b[i] = group->GetButton(i)->GetBoundsRect();
    // The windows were moved as well.
    RECT window{};
    GetWindowRect(group->GetButton(i)->GetHandle(), &window);
    MapWindowPoints(HWND_DESKTOP, group->GetHandle(), reinterpret_cast<POINT*>(&window), 2);
    EXPECT_EQ(window.left, b[i].left);
    EXPECT_EQ(window.top, b[i].top);
    EXPECT_TRUE(group->GetButton(i)->GetVisible());
  }
  // a and b in the left column, c and d in the right one, each half the inner width.
  EXPECT_EQ(b[0].left, 8);
  EXPECT_EQ(b[1].left, b[0].left);
  EXPECT_EQ(b[2].left, b[0].left + (240 - 10) / 2);
  EXPECT_EQ(b[3].left, b[2].left);
  EXPECT_EQ(b[0].top, b[2].top);
  EXPECT_EQ(b[1].top, b[3].top);
  EXPECT_EQ(b[1].top - b[0].top, b[0].bottom - b[0].top);
  EXPECT_EQ(b[0].right - b[0].left, (240 - 10) / 2);

  // Resized: placed again.
  group->SetWidth(340);
  EXPECT_EQ(group->GetButton(2)->GetLeft(), 8 + (340 - 10) / 2);
}

TEST_F(ButtonsTest, RadioGroupButtonClickSetsTheIndexAndClicksTheGroup) {
  auto* group = Add<TRadioGroup>("rg", form, {10, 10, 250, 110});
  group->GetItems()->SetCommaText("Single,Two,Three");
  group->OnClick = TNotifyEvent(log, &TEventLog::Click);
  ShowActive(form);

  TRadioButton* two = group->GetButton(1);
  PostClick(two, 5, 5);
  EXPECT_EQ(group->GetItemIndex(), 1);
  EXPECT_TRUE(two->Focused());
  EXPECT_THAT(Trace(), ElementsAre("rg:Click"));
  // The arrow keys move through the group's buttons.
  PostKey(two, VK_DOWN);
  EXPECT_EQ(group->GetItemIndex(), 2);
  EXPECT_THAT(Trace(), ElementsAre("rg:Click", "rg:Click"));

  // Disabled with the group.
  group->SetEnabled(false);
  EXPECT_FALSE(IsWindowEnabled(two->GetHandle()));
}

// ---- The stored form as a person sees it ------------------------------------------------------

TEST_F(ButtonsTest, StoredFormPaintsEveryControl) {
  auto* stored = New<TButtonsForm>(nullptr);
  stored->SetBounds(900, 600, stored->GetWidth(), stored->GetHeight());
  TBitmap* logo = MakeGlyph(32, clFuchsia, clNavy);
  auto* image = stored->Get<TImage>("imgLogo");
  image->SetTransparent(true);
  image->GetPicture()->SetGraphic(logo);
  Free(logo);
  TBitmap* glyph = MakeGlyph(16, clFuchsia, clGreen);
  stored->Get<TBitBtn>("btnGo")->SetGlyph(glyph);
  Free(glyph);
  stored->Show();
  Pump();

  Trace().clear();
  TBitmap* picture = PictureOf(stored);
  EXPECT_THAT(TraceOf("PanelPaint"), ElementsAre("PanelPaint pnlTop canvas"));
  EXPECT_EQ(PixelAt(picture, stored, 220 + 32, 124 + 28), clNavy);
  Free(picture);

  // What the screen shows, for a person to look at.
  if (const char* file = std::getenv("DRAVOLIN_SCREENSHOT")) {
    stored->SetBounds(100, 100, stored->GetWidth(), stored->GetHeight());
    stored->Get<TCheckBox>("cbCount")->SetFocus();
    PumpUntil([] { return false; }, 500);
    RECT frame{};
    GetWindowRect(stored->GetHandle(), &frame);
    TBitmap* shot = New<TBitmap>();
    shot->SetPixelFormat(pf24bit);
    shot->SetSize(frame.right - frame.left, frame.bottom - frame.top);
    HDC screen = GetDC(nullptr);
    BitBlt(shot->GetCanvas()->GetHandle(), 0, 0, shot->GetWidth(), shot->GetHeight(), screen, frame.left,
           frame.top, SRCCOPY);
    ReleaseDC(nullptr, screen);
    shot->SaveToFile(file);
    Free(shot);
  }
  Free(stored);
}
