// The property objects inside a style: invalidation reaching the style, the control's colour,
// and the caption label beside the control.
#include <gtest/gtest.h>

#include "skin/engine/sgenstyle.h"
#include "skin/engine/sglyphmode.h"
#include "skin/engine/sstyleprops.h"
#include "skin/engine/sstyles.h"
#include "toolkit/bitmap.h"
#include "toolkit/extctrls.h"
#include "toolkit/labels.h"
#include "toolkit/picture.h"

namespace {

// A windowed control with a style that sees every message first, as the skinned controls do.
class TStyledControl : public TCustomControl {
 public:
  explicit TStyledControl(TComponent* owner) : TCustomControl(owner) {}
  ~TStyledControl() override { FreeAndNil(style_); }
  void AfterConstruction() override {
    TCustomControl::AfterConstruction();
    style_ = New<TsGenStyle>(this);
  }
  TsGenStyle* Style() const { return style_; }
  void Invalidate() override {
    ++invalidations;
    TCustomControl::Invalidate();
  }
  int invalidations = 0;

 protected:
  void WndProc(TMessage& message) override {
    if (style_ && style_->HandleFirst(message)) return;
    TCustomControl::WndProc(message);
  }

 private:
  TsGenStyle* style_ = nullptr;
};

class StylePropsOwner : public testing::Test {
 protected:
  StylePropsOwner() {
    parent_->SetBounds(0, 0, 300, 200);
    parent_->SetColor(0x123456);
    control_->SetName("Edit1");
    control_->SetParent(parent_);
    control_->SetBounds(100, 80, 120, 21);
    style_ = control_->Style();
  }
  ~StylePropsOwner() override {
    Free(control_);
    Free(parent_);
  }
  // Whether `change` marked the style's cache stale.
  template <class F>
  bool Invalidates(F change, TsGenStyle* style = nullptr) {
    if (!style) style = style_;
    style->BGChanged = false;
    change();
    return style->BGChanged;
  }
  // Whether `change` invalidated the control itself.
  template <class F>
  bool InvalidatesControl(F change) {
    control_->invalidations = 0;
    change();
    return control_->invalidations > 0;
  }

  TPanel* parent_ = New<TPanel>(nullptr);
  TStyledControl* control_ = New<TStyledControl>(nullptr);
  TsGenStyle* style_ = nullptr;
};

// The editor family repaints the control, the background family marks the style; a style's
// own background tells it of its image and gradient, a hot style's does not, and the hot look
// is stored only.
TEST_F(StylePropsOwner, ChangesThatShowInvalidateTheOwningStyle) {
  TsEditorPainting* editor = New<TsEditorPainting>(style_);
  TsStylePainting* painting = New<TsStylePainting>(style_);
  auto* passive = New<TsPassiveBGStyle>(control_);
  TsBackground* background = passive->GetBackground();
  TsHotStyle* hot = New<TsHotStyle>(style_);
  TsActiveEffects* effects = New<TsActiveEffects>(style_);
  EXPECT_EQ(OwnerStyle(background->GetImage()), passive);
  EXPECT_EQ(OwnerStyle(effects->GetMaskedBorders()), style_);

  EXPECT_TRUE(InvalidatesControl([&] { editor->SetColorBorderBottom(clRed); }));
  EXPECT_TRUE(InvalidatesControl([&] { editor->SetBevel(ebLowered); }));
  EXPECT_FALSE(InvalidatesControl([&] { editor->SetBevel(ebLowered); }));  // no change
  EXPECT_TRUE(Invalidates([&] { painting->SetBevel(cbNone); }));
  EXPECT_TRUE(Invalidates([&] { painting->SetTransparency(40); }));
  EXPECT_TRUE(Invalidates([&] { background->GetGradient()->SetPercent(20); }, passive));
  EXPECT_TRUE(Invalidates([&] { background->GetImage()->SetPercent(20); }, passive));
  EXPECT_TRUE(Invalidates([&] { background->GetImage()->GetImage()->GetBitmap()->SetSize(4, 4); }, passive));
  EXPECT_FALSE(Invalidates([&] { hot->GetHotPainting()->SetColor(clLime); }));
  EXPECT_EQ(hot->GetHotPainting()->GetColor(), clLime);
  EXPECT_FALSE(Invalidates([&] { hot->GetHotBackground()->GetGradient()->SetData("255;65280;100;0;0"); }));
  EXPECT_EQ(hot->GetHotBackground()->GetGradient()->GetData(), "255;65280;100;0;0");
  // Values set again change nothing.
  EXPECT_FALSE(Invalidates([&] { background->GetGradient()->SetPercent(20); }, passive));
  EXPECT_FALSE(Invalidates([&] { background->GetImage()->SetPercent(20); }, passive));
  EXPECT_FALSE(Invalidates([&] { hot->GetHotPainting()->SetBevelWidth(9); }));  // store only
  EXPECT_TRUE(Invalidates([&] { effects->GetMaskedBorders()->SetTransparentColor(clBlack); }));
  EXPECT_FALSE(Invalidates([&] { effects->GetFading()->SetEnabled(false); }));

  // While a new skin is announced the style is not marked; the editor family's control is
  // repainted all the same.
  {
    TsSkinChangingScope changing;
    EXPECT_FALSE(Invalidates([&] { painting->SetBevel(cbRaisedHard); }));
    EXPECT_TRUE(InvalidatesControl([&] { editor->SetColor(clBlue); }));
  }
  for (TObject* o : std::initializer_list<TObject*>{effects, hot, passive, painting, editor}) Free(o);
}

TEST_F(StylePropsOwner, ABackgroundImageFileIsLoadedByName) {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string file = std::string(temp) + "dravolin_props_bg.bmp";
  TBitmap* bitmap = New<TBitmap>();
  bitmap->SetSize(6, 4);
  bitmap->SaveToFile(file);
  Free(bitmap);

  auto* passive = New<TsPassiveBGStyle>(control_);
  TsBackground* background = passive->GetBackground();
  TsBGImage* image = background->GetImage();
  EXPECT_TRUE(Invalidates([&] { image->SetImageName(file); }, passive));
  EXPECT_EQ(image->GetImageName(), file);
  EXPECT_EQ(image->GetImage()->GetWidth(), 6);
  EXPECT_EQ(image->GetImage()->GetHeight(), 4);
  DeleteFileA(file.c_str());

  image->SetImageName(file + ".gone");  // a missing file changes nothing
  EXPECT_EQ(image->GetImageName(), file);
  EXPECT_EQ(image->GetImage()->GetWidth(), 6);
  Free(passive);
}

TEST_F(StylePropsOwner, StylePaintingColourFollowsTheControlAndItsParent) {
  TsStylePainting* painting = New<TsStylePainting>(style_);
  painting->SetColor(0x00FF00);
  EXPECT_FALSE(painting->GetParentColor());
  EXPECT_EQ(control_->GetColor(), 0x00FF00);

  EXPECT_TRUE(Invalidates([&] { painting->SetParentColor(true); }));
  EXPECT_EQ(painting->GetColor(), 0x123456);
  EXPECT_TRUE(control_->GetParentColor());
  Free(painting);
}

TEST_F(StylePropsOwner, EditorPaintingColourClearsParentColor) {
  TsEditorPainting* painting = New<TsEditorPainting>(style_);
  painting->SetParentColor(true);
  EXPECT_TRUE(control_->GetParentColor());
  EXPECT_EQ(painting->GetColor(), control_->GetColor());
  painting->SetColor(0x0000FF);
  EXPECT_FALSE(painting->GetParentColor());
  Free(painting);
}

TEST_F(StylePropsOwner, ACheckBoxAlwaysTakesItsParentsColour) {
  style_->COC = 32;
  control_->SetColor(0x445566);
  TsEditorPainting* painting = New<TsEditorPainting>(style_);
  painting->SetParentColor(false);
  EXPECT_TRUE(painting->GetParentColor());
  EXPECT_EQ(painting->GetColor(), 0x445566);
  Free(painting);
}

TEST_F(StylePropsOwner, GlyphModeInvalidatesTheControlsStyle) {
  TsGlyphMode* mode = New<TsGlyphMode>(control_);
  EXPECT_TRUE(Invalidates([&] { mode->SetBlend(50); }));
  EXPECT_TRUE(Invalidates([&] { mode->SetGrayed(true); }));
  EXPECT_TRUE(Invalidates([&] { mode->SetUseDefaultGlyph(false); }));
  control_->SetHint("Pick a file");
  EXPECT_EQ(mode->GetHint(), "Pick a file");
  mode->SetHint("ignored");
  EXPECT_EQ(control_->GetHint(), "Pick a file");
  Free(mode);
}

// ---- Caption label ---------------------------------------------------------------------------

class TTestLabel : public TLabel, public TsCaptionLabel {
 public:
  TTestLabel() : TLabel(nullptr) { ++made; }
  TControl* LabelControl() override { return this; }
  void SetFocusControl(TWinControl* control) override { TLabel::SetFocusControl(control); }
  void SetAlignment(TAlignment alignment) override { TLabel::SetAlignment(alignment); }
  void SetTransparent(bool transparent) override { TLabel::SetTransparent(transparent); }
  void SetWordWrap(bool word_wrap) override { TLabel::SetWordWrap(word_wrap); }
  void SetAutoSize(bool auto_size) override { TLabel::SetAutoSize(auto_size); }
  void AdjustBounds() override { TLabel::AdjustBounds(); }
  static int made;
};
int TTestLabel::made = 0;

class StyleCaption : public StylePropsOwner {
 protected:
  StyleCaption() {
    SetCaptionLabelFactory([]() -> TsCaptionLabel* { return New<TTestLabel>(); });
  }
  ~StyleCaption() override {
    Free(caption_);
    SetCaptionLabelFactory(nullptr);
  }
  TsStyleCaption* caption_ = New<TsStyleCaption>(style_);
};

TEST_F(StyleCaption, ActiveMakesALabelBesideTheControl) {
  caption_->SetText("Driver");
  caption_->SetActive(true);
  auto* label = DynamicCast<TCustomLabel>(caption_->GetLabel());
  ASSERT_TRUE(label);
  EXPECT_EQ(label->GetName(), "Edit1Label");
  EXPECT_EQ(label->GetParent(), parent_);
  EXPECT_EQ(label->GetFocusControl(), control_);
  EXPECT_EQ(label->GetCaption(), "Driver");
  EXPECT_TRUE(label->GetTransparent());
  // Left of the control, its right edge short of the control's left edge, centred in height.
  EXPECT_LT(label->GetLeft() + label->GetWidth(), control_->GetLeft());
  EXPECT_GE(label->GetLeft() + label->GetWidth(), control_->GetLeft() - 10);
  EXPECT_EQ(label->GetTop() + label->GetHeight() / 2, control_->GetTop() + control_->GetHeight() / 2);

  caption_->SetActive(false);
  EXPECT_EQ(caption_->GetLabel(), nullptr);
}

TEST_F(StyleCaption, LayoutPutsTheLabelAboveTheControl) {
  caption_->SetText("Car");
  caption_->SetActive(true);
  auto* label = DynamicCast<TCustomLabel>(caption_->GetLabel());
  ASSERT_TRUE(label);
  caption_->SetLayout(sclTopLeft);
  EXPECT_EQ(label->GetLeft(), control_->GetLeft());
  EXPECT_EQ(label->GetTop() + label->GetHeight(), control_->GetTop());
  caption_->SetLayout(sclTopRight);
  EXPECT_EQ(label->GetLeft() + label->GetWidth(), control_->GetLeft() + control_->GetWidth());
  caption_->SetLayout(sclTopCenter);
  EXPECT_NEAR(label->GetLeft() + label->GetWidth() / 2.0, control_->GetLeft() + control_->GetWidth() / 2.0,
              1);
  EXPECT_EQ(label->GetAlignment(), taCenter);

  caption_->SetMaxWidth(50);
  EXPECT_EQ(label->GetWidth(), 50);
  EXPECT_TRUE(label->GetWordWrap());
}

TEST_F(StyleCaption, AnEmptyTextBecomesTheControlsName) {
  caption_->SetActive(true);
  ASSERT_TRUE(caption_->GetLabel());
  EXPECT_EQ(caption_->GetText(), "Edit1");
}

TEST_F(StyleCaption, ALabelFreedWithItsParentIsForgotten) {
  caption_->SetActive(true);
  ASSERT_TRUE(caption_->GetLabel());
  Free(caption_->GetLabel());
  EXPECT_EQ(caption_->GetLabel(), nullptr);
  caption_->SetText("again");  // places nothing, touches nothing freed
  caption_->SetActive(false);
}

TEST_F(StyleCaption, ACaptionReadBeforeItsControlHadAParentGetsItsLabelLater) {
  control_->SetParent(nullptr);
  caption_->SetActive(true);
  EXPECT_EQ(caption_->GetLabel(), nullptr);
  control_->SetParent(parent_);
  caption_->UpdateLabel();
  ASSERT_TRUE(caption_->GetLabel());
  EXPECT_EQ(caption_->GetLabel()->GetParent(), parent_);
}

TEST_F(StyleCaption, WithoutAFactoryNoLabelIsMade) {
  SetCaptionLabelFactory(nullptr);
  const int made = TTestLabel::made;
  caption_->SetActive(true);
  EXPECT_TRUE(caption_->GetActive());
  EXPECT_EQ(caption_->GetLabel(), nullptr);
  EXPECT_EQ(TTestLabel::made, made);
}

}  // namespace
