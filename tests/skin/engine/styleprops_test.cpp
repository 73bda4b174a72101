// The style property objects on their own: defaults, form definitions, the percentages.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "skin/engine/sglyphmode.h"
#include "skin/engine/sstyleprops.h"
#include "toolkit/bitmap.h"
#include "toolkit/components.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/typinfo.h"

using testing::HasSubstr;
using testing::Not;

namespace {

// A component publishing one of each top-level property object, as the style classes do.
class TPropsHost : public TComponent {
  TK_CLASS(TPropsHost, TComponent)

 public:
  explicit TPropsHost(TComponent* owner)
      : TComponent(owner),
        selection_(New<TsEditorSelection>(this)),
        editor_painting_(New<TsEditorPainting>(this)),
        caption_(New<TsStyleCaption>(this)),
        painting_(New<TsStylePainting>(this)),
        background_(New<TsBackground>(this)),
        hot_style_(New<TsHotStyle>(this)),
        effects_(New<TsActiveEffects>(this)),
        glyph_mode_(New<TsGlyphMode>(nullptr)) {}
  ~TPropsHost() override {
    for (TObject* object : {static_cast<TObject*>(glyph_mode_), static_cast<TObject*>(effects_),
                            static_cast<TObject*>(hot_style_), static_cast<TObject*>(background_),
                            static_cast<TObject*>(painting_), static_cast<TObject*>(caption_),
                            static_cast<TObject*>(editor_painting_), static_cast<TObject*>(selection_)})
      Free(object);
  }
  TsEditorSelection* Selection() const { return selection_; }
  TsEditorPainting* EditorPainting() const { return editor_painting_; }
  TsStyleCaption* Caption() const { return caption_; }
  TsStylePainting* Painting() const { return painting_; }
  TsBackground* Background() const { return background_; }
  TsHotStyle* HotStyle() const { return hot_style_; }
  TsActiveEffects* Effects() const { return effects_; }
  TsGlyphMode* GlyphMode() const { return glyph_mode_; }

 private:
  static void Publish(TPublisher<TPropsHost>& p);

  TsEditorSelection* selection_;
  TsEditorPainting* editor_painting_;
  TsStyleCaption* caption_;
  TsStylePainting* painting_;
  TsBackground* background_;
  TsHotStyle* hot_style_;
  TsActiveEffects* effects_;
  TsGlyphMode* glyph_mode_;
};

TK_CLASS_INFO(TPropsHost, TComponent)

void TPropsHost::Publish(TPublisher<TPropsHost>& p) {
  p.Object("Selection", &TPropsHost::Selection);
  p.Object("EditorPainting", &TPropsHost::EditorPainting);
  p.Object("Caption", &TPropsHost::Caption);
  p.Object("Painting", &TPropsHost::Painting);
  p.Object("Background", &TPropsHost::Background);
  p.Object("HotStyle", &TPropsHost::HotStyle);
  p.Object("BtnEffects", &TPropsHost::Effects);
  p.Object("GlyphMode", &TPropsHost::GlyphMode);
}

class StyleProps : public testing::Test {
 protected:
  StyleProps() { host_->SetName("Host"); }
  ~StyleProps() override { Free(host_); }
  TPropsHost* host_ = New<TPropsHost>(nullptr);
};

// Every ordinal property of the object tree whose published default differs from its value.
void CollectDefaultMismatches(TObject* object, const std::string& path, std::vector<std::string>& out) {
  for (const TPropInfo* prop : GetPropList(object)) {
    const std::string name = path + prop->name;
    if (prop->kind == TTypeKind::Object) {
      TObject* child = GetObjectProp(object, prop);
      if (child && std::string(child->ClassName()).rfind("Ts", 0) == 0)
        CollectDefaultMismatches(child, name + ".", out);
    } else if (prop->IsOrdinal() && prop->has_default && GetOrdProp(object, prop) != prop->default_value) {
      out.push_back(name);
    }
  }
}

TEST_F(StyleProps, FreshObjectsHoldTheirPublishedDefaults) {
  std::vector<std::string> mismatches;
  CollectDefaultMismatches(host_, "", mismatches);
  EXPECT_THAT(mismatches, testing::IsEmpty());

  // A fresh tree stores no value of ours: only the font and the (empty) bitmaps, which store
  // themselves whole.
  std::istringstream text(WriteComponentToText(host_));
  for (std::string line; std::getline(text, line);) {
    if (line.find(" = ") != std::string::npos) {
      EXPECT_TRUE(line.find(".Font.") != std::string::npos || line.find(".Data = ") != std::string::npos)
          << line;
    }
  }
}

TEST_F(StyleProps, DefaultsAreTheDocumentedLook) {
  EXPECT_EQ(host_->Selection()->GetMode(), (TsSelectionModes{msBorder, msColor}));
  EXPECT_EQ(host_->Selection()->GetColor(), clWindow);
  EXPECT_EQ(host_->Selection()->GetBorder()->GetWidth(), 2);
  EXPECT_EQ(host_->Selection()->GetBorder()->GetBevel(), ebAsBottomBorder);
  EXPECT_FALSE(host_->EditorPainting()->GetParentColor());
  EXPECT_EQ(host_->EditorPainting()->GetColor(), 0xECFFFF);
  EXPECT_EQ(host_->EditorPainting()->GetColorBorderTop(), clBtnHighlight);
  EXPECT_EQ(host_->EditorPainting()->GetColorBorderBottom(), 0x7E756B);
  EXPECT_EQ(host_->Caption()->GetLayout(), sclLeft);
  EXPECT_FALSE(host_->Caption()->GetActive());

  EXPECT_TRUE(host_->Painting()->GetParentColor());
  EXPECT_EQ(host_->Painting()->GetColor(), 0xCAC2B7);
  EXPECT_EQ(host_->Painting()->GetBevel(), cbRaisedSoft);
  EXPECT_EQ(host_->Painting()->GetBevelWidth(), 0);
  TsHotPainting* hot = host_->HotStyle()->GetHotPainting();
  EXPECT_EQ(hot->GetColor(), 0xCFB78F);
  EXPECT_EQ(hot->GetBevelWidth(), 5);
  EXPECT_EQ(host_->Background()->GetGradient()->GetPercent(), 70);
  EXPECT_EQ(host_->Background()->GetImage()->GetPercent(), 0);
  EXPECT_FALSE(host_->Background()->GetListenMSG());
  TsFading* fading = host_->Effects()->GetFading();
  EXPECT_TRUE(fading->GetEnabled());
  EXPECT_EQ(fading->GetIterations() + fading->GetIntervalIn() + fading->GetIntervalOut(), 15);
  TsMaskedBorders* borders = host_->Effects()->GetMaskedBorders();
  EXPECT_TRUE(borders->GetEnabled());
  EXPECT_EQ(borders->GetPredefined(), pdBorder1);
  EXPECT_EQ(borders->GetTransparentColor(), 0xFF00FF);
  EXPECT_TRUE(host_->GlyphMode()->GetUseDefaultGlyph());
  EXPECT_EQ(host_->GlyphMode()->GetBlend(), 0);
}

constexpr char kDefinition[] =
    "object Host: TPropsHost\n"
    "  Selection.Mode = [msColor]\n"
    "  Selection.Color = clRed\n"
    "  Selection.Border.Width = 3\n"
    "  Selection.Border.Bevel = ebLowered\n"
    "  EditorPainting.Color = $00112233\n"
    "  EditorPainting.ColorBorderTop = clBlack\n"
    "  EditorPainting.Bevel = ebRaised\n"
    "  Caption.Text = 'Driver'\n"
    "  Caption.Layout = sclTopCenter\n"
    "  Caption.MaxWidth = 80\n"
    "  Caption.Font.Height = -15\n"
    "  Painting.Color = $00445566\n"
    "  Painting.Bevel = cbLoweredHard\n"
    "  Painting.Transparency = 30\n"
    "  Background.ListenMSG = True\n"
    "  Background.Gradient.Data = 'x'\n"
    "  Background.Gradient.Percent = 25\n"
    "  Background.Image.Percent = 75\n"
    "  HotStyle.HotPainting.Color = clYellow\n"
    "  HotStyle.HotPainting.FontStyle = [fsBold]\n"
    "  HotStyle.HotPainting.BevelWidth = 2\n"
    "  HotStyle.HotBackground.Gradient.Percent = 10\n"
    "  BtnEffects.Fading.Enabled = False\n"
    "  BtnEffects.Fading.Iterations = 9\n"
    "  BtnEffects.MaskedBorders.Predefined = pdBorder4\n"
    "  BtnEffects.MaskedBorders.TransparentColor = clLime\n"
    "  GlyphMode.Grayed = True\n"
    "  GlyphMode.Blend = 40\n"
    "end\n";

TEST_F(StyleProps, FormDefinitionSetsNestedValuesAndWritesThemBack) {
  ReadComponentFromText(host_, kDefinition, "props.form");
  EXPECT_EQ(host_->Selection()->GetMode(), TsSelectionModes{msColor});
  EXPECT_EQ(host_->Selection()->GetColor(), clRed);
  EXPECT_EQ(host_->Selection()->GetBorder()->GetWidth(), 3);
  EXPECT_EQ(host_->Selection()->GetBorder()->GetBevel(), ebLowered);
  EXPECT_EQ(host_->EditorPainting()->GetColor(), 0x112233);
  EXPECT_EQ(host_->EditorPainting()->GetColorBorderTop(), clBlack);
  EXPECT_EQ(host_->EditorPainting()->GetBevel(), ebRaised);
  EXPECT_EQ(host_->Caption()->GetText(), "Driver");
  EXPECT_EQ(host_->Caption()->GetLayout(), sclTopCenter);
  EXPECT_EQ(host_->Caption()->GetFont()->GetHeight(), -15);
  EXPECT_FALSE(host_->Painting()->GetParentColor());  // setting the colour clears it
  EXPECT_EQ(host_->Painting()->GetBevel(), cbLoweredHard);
  EXPECT_EQ(host_->Painting()->GetTransparency(), 30);
  EXPECT_TRUE(host_->Background()->GetListenMSG());
  EXPECT_EQ(host_->Background()->GetGradient()->GetData(), "x");
  EXPECT_EQ(host_->Background()->GetGradient()->GetPercent(), 25);
  EXPECT_EQ(host_->Background()->GetImage()->GetPercent(), 75);
  EXPECT_EQ(host_->HotStyle()->GetHotPainting()->GetFontStyle(), TFontStyles{fsBold});
  EXPECT_EQ(host_->HotStyle()->GetHotPainting()->GetBevelWidth(), 2);
  EXPECT_EQ(host_->HotStyle()->GetHotBackground()->GetGradient()->GetPercent(), 10);
  EXPECT_FALSE(host_->Effects()->GetFading()->GetEnabled());
  EXPECT_EQ(host_->Effects()->GetFading()->GetIterations(), 9);
  EXPECT_EQ(host_->Effects()->GetMaskedBorders()->GetPredefined(), pdBorder4);
  EXPECT_TRUE(host_->GlyphMode()->GetGrayed());
  EXPECT_EQ(host_->GlyphMode()->GetBlend(), 40);

  const std::string text = WriteComponentToText(host_);
  EXPECT_THAT(text, HasSubstr("Painting.Bevel = cbLoweredHard"));
  EXPECT_THAT(text, HasSubstr("BtnEffects.MaskedBorders.Predefined = pdBorder4"));
  EXPECT_THAT(text, Not(HasSubstr("Selection.Border.Bevel = ebAsBottomBorder")));
  TPropsHost* copy = New<TPropsHost>(nullptr);
  copy->SetName("Host");
  ReadComponentFromText(copy, text, "written.form");
  EXPECT_EQ(WriteComponentToText(copy), text);
  Free(copy);
}

TEST_F(StyleProps, TheTwoPaintingClassesStayApart) {
  EXPECT_STRNE(host_->Painting()->ClassName(), host_->EditorPainting()->ClassName());
  EXPECT_TRUE(GetPropInfo(host_->Painting(), "Transparency"));
  EXPECT_FALSE(GetPropInfo(host_->EditorPainting(), "Transparency"));
  EXPECT_TRUE(GetPropInfo(host_->EditorPainting(), "ColorBorderTop"));
  EXPECT_FALSE(GetPropInfo(host_->Painting(), "BevelWidth"));  // set by the control only
}

// ---- Image and gradient percentages ---------------------------------------------------------

// The image's side of the rule needs a style (its section may hold the share painted with):
// the styles' tests have it.
TEST_F(StyleProps, ImageAndGradientPercentNeverAddUpToMoreThan100) {
  TsBackground* background = host_->Background();
  background->GetImage()->SetPercent(60);
  EXPECT_EQ(background->GetImage()->GetPercent(), 60);

  background->GetGradient()->SetPercent(80);
  EXPECT_EQ(background->GetImage()->GetPercent(), 20);
  background->GetImage()->SetPercent(10);
  EXPECT_EQ(background->GetGradient()->GetPercent(), 80);  // 90 is allowed as it is

  // The hot background keeps the same rule with its own pair.
  TsHotBackground* hot = host_->HotStyle()->GetHotBackground();
  hot->GetImage()->SetPercent(50);
  hot->GetGradient()->SetPercent(60);
  EXPECT_EQ(hot->GetImage()->GetPercent(), 40);
  EXPECT_EQ(background->GetImage()->GetPercent(), 10);
}

TEST_F(StyleProps, SharesAboveOneHundredAreClampedAndFadingCountsAreTakenAsGiven) {
  TsBackground* background = host_->Background();
  background->GetGradient()->SetPercent(150);
  EXPECT_EQ(background->GetGradient()->GetPercent(), 100);
  EXPECT_EQ(background->GetImage()->GetPercent(), 0);
  background->GetImage()->SetPercent(200);
  EXPECT_EQ(background->GetImage()->GetPercent(), 100);
  background->GetGradient()->SetPercent(30);
  EXPECT_EQ(background->GetImage()->GetPercent(), 70);

  TsHotPainting* hot = host_->HotStyle()->GetHotPainting();
  hot->SetTransparency(120);
  EXPECT_EQ(hot->GetTransparency(), 100);
  // The fading counts are no shares: taken as given.
  TsFading* fading = host_->Effects()->GetFading();
  fading->SetIntervalIn(255);
  EXPECT_EQ(fading->GetIntervalIn(), 255);
}

TEST_F(StyleProps, GradientDataKeepsAtMost255Characters) {
  host_->Background()->GetGradient()->SetData(std::string(300, 'a'));
  EXPECT_EQ(host_->Background()->GetGradient()->GetData().size(), 255u);
}

// A word that is no number makes the text no gradient; the text is kept and a form
// definition carrying it still loads.
TEST_F(StyleProps, UnreadableGradientDataIsTheEmptyGradient) {
  TsBGGradient* gradient = host_->Background()->GetGradient();
  gradient->SetData("255;65280;100;0;0");
  ASSERT_EQ(gradient->GetGradientArray().size(), 1u);
  EXPECT_NO_THROW(gradient->SetData("255;65280;half;0;0"));
  EXPECT_EQ(gradient->GetData(), "255;65280;half;0;0");
  EXPECT_TRUE(gradient->GetGradientArray().empty());

  EXPECT_NO_THROW(ReadComponentFromText(host_,
                                        "object Host: TPropsHost\n"
                                        "  Background.Gradient.Data = '1;2;3;4;5;6;7;x;9;10'\n"
                                        "  Background.Gradient.Percent = 25\n"
                                        "end\n",
                                        "props.form"));
  EXPECT_TRUE(gradient->GetGradientArray().empty());
  EXPECT_EQ(gradient->GetPercent(), 25);
}

TEST_F(StyleProps, MaskAlwaysMakesTheBordersCustom) {
  TsMaskedBorders* borders = host_->Effects()->GetMaskedBorders();
  TBitmap* mask = New<TBitmap>();
  mask->SetSize(9, 3);
  borders->SetMask(mask);
  EXPECT_EQ(borders->GetPredefined(), pdCustom);
  EXPECT_EQ(borders->GetMask()->GetWidth(), 9);
  EXPECT_EQ(borders->GetMask()->GetPixelFormat(), pf24bit);

  borders->SetPredefined(pdBorder2);
  TBitmap* empty = New<TBitmap>();
  borders->SetMask(empty);  // even an empty one
  EXPECT_EQ(borders->GetPredefined(), pdCustom);
  Free(empty);
  Free(mask);
}

TEST_F(StyleProps, AssignCopiesTheWholeBackground) {
  TsBackground* source = host_->Background();
  source->GetGradient()->SetData("g");
  source->GetGradient()->SetPercent(30);
  source->GetImage()->SetPercent(20);
  source->SetListenMSG(true);
  TsHotBackground* hot = host_->HotStyle()->GetHotBackground();
  hot->Assign(source);
  EXPECT_EQ(hot->GetGradient()->GetData(), "g");
  EXPECT_EQ(hot->GetGradient()->GetPercent(), 30);
  EXPECT_EQ(hot->GetImage()->GetPercent(), 20);
}

TEST_F(StyleProps, ImageNameOfAMissingFileIsIgnored) {
  TsBGImage* image = host_->Background()->GetImage();
  image->SetImageName("Z:\\no\\such\\file.bmp");
  EXPECT_EQ(image->GetImageName(), "");
  EXPECT_TRUE(image->GetImage()->GetGraphic() == nullptr);
}

}  // namespace
