// The display widgets together on a skinned form, as a window of the program shows them: a
// markup label over a skinned panel and an image control that takes its picture's size. With
// DRAVOLIN_WIDGET_FORM_PICTURE set the form is saved there as a BMP to look at.
#include <gtest/gtest.h>

#include <utility>

#include "bitmap32/image32.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sscrollbar.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/skin/engine/skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/formreader.h"
#include "toolkit/formwriter.h"
#include "toolkit/forms.h"
#include "widgets/galoled.h"
#include "widgets/widgets.h"
#include "widgets/wxgraphic.h"
#include "widgets/wxled.h"
#include "widgets/wxmarkuplabel.h"

namespace {

constexpr TColor kFormColor = 0x00C08040;
constexpr TColor kPanelColor = 0x0040A0C0;

TEST(WidgetForm, MarkupLabelOverASkinnedPanelAndAnImageSizedToItsPicture) {
  TDesktopLock desktop;
  RegisterSkinPanelClasses();
  TsSkinManager* manager = New<TsSkinManager>(nullptr);
  for (auto [section, color] : {std::pair{"FORM", kFormColor}, std::pair{"TSPANEL", kPanelColor}}) {
    TsGeneralData& data = SkinGeneralData.emplace_back();
    data.SectionName = section;
    data.PaintingColor = data.HotPaintingColor = color;
  }
  SkinData().SkinLoaded = true;
  PinWxVisualStyles(true);  // the label shows its parent through it

  auto* form = New<TForm>(nullptr, kCreateNew);
  form->SetBounds(40, 40, 420, 260);
  form->SetCaption("Widgets");
  New<TsSkinProvider>(form);
  auto* panel = New<TsPanel>(form);
  panel->SetParent(form);
  panel->SetBounds(10, 10, 390, 200);
  panel->SetBevelOuter(cbNone);
  auto* label = New<TWxMarkupLabel>(form);
  label->SetParent(panel);
  label->SetBounds(10, 10, 220, 90);
  label->GetFont()->SetName("Arial");
  label->GetFont()->SetSize(11);
  label->SetText(R"(Lane <b>1</b>: <font color="#C00000">00:41.27</font><br><i>best of the day</i>, )"
                 R"(<u>three</u> laps driven in <font size="14">record</font> time)");
  auto* image = New<TImage32>(form);
  image->SetParent(panel);
  image->SetBounds(250, 10, 20, 20);
  image->SetAutoSize(true);
  TBitmap32* picture = image->GetBitmap();
  picture->SetSize(96, 48);
  for (int y = 0; y < 48; ++y)
    for (int x = 0; x < 96; ++x)
      picture->SetPixel(x, y, 0xFF000000 | (x * 255 / 95) << 16 | (y * 255 / 47) << 8 | 0x40);

  form->Show();
  ASSERT_TRUE(PumpUntil([&] { return !GetUpdateRect(form->GetHandle(), nullptr, FALSE); }));
  Pump();
  SaveWindowPicture(form->GetHandle(), "DRAVOLIN_WIDGET_FORM_PICTURE");

  EXPECT_EQ(image->GetWidth(), 96);
  EXPECT_EQ(image->GetHeight(), 48);
  TBitmap* shown = PictureOf(panel);
  // The label's corner shows the panel's skin, its text is drawn, and the image its picture.
  EXPECT_EQ(PixelAt(shown, panel, 11, 11), kPanelColor);
  int text = 0;
  for (int y = 10; y < 100; ++y)
    for (int x = 10; x < 230; ++x) text += PixelAt(shown, panel, x, y) == RGB(0xC0, 0, 0);
  EXPECT_GT(text, 10);
  EXPECT_EQ(PixelAt(shown, panel, 250 + 95, 10 + 47), static_cast<TColor>(RGB(0xFF, 0xFF, 0x40)));
  Free(shown);

  UnpinWxVisualStyles();
  Free(form);
  Pump();
  Free(manager);
  SkinGeneralData.clear();
  SkinData().SkinLoaded = false;
}

// The lamps, the markup label and the skinned scroll bar take anchors and constraints from a
// definition, follow the form's edges and write both back; the on/off LED keeps its colour to
// itself, since it always shows its status.
TEST(WidgetForm, AnchorsAndConstraintsAreReadFollowedAndWrittenBackTheLedsColourIsNotStored) {
  TDesktopLock desktop;
  RegisterWidgetClasses();
  RegisterSkinScrollClasses();
  const char* definition = R"(object Form1: TForm
  ClientWidth = 300
  ClientHeight = 200
  object Led: TWxLED
    Left = 270
    Top = 10
    Anchors = [akTop, akRight]
    Constraints.MaxWidth = 40
    Status = False
  end
  object Markup: TWxMarkupLabel
    Left = 10
    Top = 40
    Width = 200
    Height = 50
    Anchors = [akLeft, akTop, akRight]
    Constraints.MaxWidth = 260
    Text = 'Lane <b>1</b>'
  end
  object Lamp: TIAgaloLED
    Left = 260
    Top = 150
    Anchors = [akRight, akBottom]
    Constraints.MinHeight = 14
  end
  object Bar: TsScrollBar
    Left = 10
    Top = 170
    Width = 200
    Height = 17
    Anchors = [akLeft, akRight, akBottom]
    Constraints.MinWidth = 150
  end
end
)";
  auto* form = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(form, definition, "widgets");
  auto at = [&](const char* name) {
    auto* c = static_cast<TControl*>(form->FindComponent(name));
    EXPECT_NE(c, nullptr) << name;
    return c ? std::to_string(c->GetLeft()) + "," + std::to_string(c->GetTop()) + " " +
                   std::to_string(c->GetWidth()) + "x" + std::to_string(c->GetHeight())
             : std::string();
  };
  auto* lamp = static_cast<TControl*>(form->FindComponent("Lamp"));
  const std::string lamp_size = std::to_string(lamp->GetWidth()) + "x" + std::to_string(lamp->GetHeight());
  form->Show();
  form->SetClientWidth(400);
  form->SetClientHeight(250);
  Pump();
  EXPECT_EQ(at("Led"), "370,10 17x17");
  EXPECT_EQ(at("Markup"), "10,40 260x50");  // stretched by 100, held at its maximum
  EXPECT_EQ(at("Lamp"), "360,200 " + lamp_size);
  EXPECT_EQ(at("Bar"), "10,220 300x17");
  form->SetClientWidth(200);
  Pump();
  EXPECT_EQ(at("Bar"), "10,220 150x17");  // shrunk by 100, held at its minimum
  form->SetClientWidth(300);
  form->SetClientHeight(200);
  Pump();

  // Each writes its own anchors and constraints, and reads them back the same.
  const std::string text = WriteComponentToText(form);
  for (const char* line :
       {"Anchors = [akTop, akRight]", "Constraints.MaxWidth = 40", "Anchors = [akLeft, akTop, akRight]",
        "Constraints.MaxWidth = 260", "Anchors = [akRight, akBottom]", "Constraints.MinHeight = 14",
        "Anchors = [akLeft, akRight, akBottom]", "Constraints.MinWidth = 150"})
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  auto* copy = New<TForm>(nullptr, kCreateNew);
  ReadComponentFromText(copy, text, "written");
  for (const char* name : {"Led", "Markup", "Lamp", "Bar"}) {
    auto* a = static_cast<TControl*>(form->FindComponent(name));
    auto* b = static_cast<TControl*>(copy->FindComponent(name));
    ASSERT_NE(b, nullptr) << name;
    EXPECT_EQ(b->GetAnchors(), a->GetAnchors()) << name;
    const TSizeConstraints *ca = a->GetConstraints(), *cb = b->GetConstraints();
    EXPECT_TRUE(ca->GetMinWidth() == cb->GetMinWidth() && ca->GetMinHeight() == cb->GetMinHeight() &&
                ca->GetMaxWidth() == cb->GetMaxWidth() && ca->GetMaxHeight() == cb->GetMaxHeight())
        << name;
  }
  Free(copy);

  // The LED's colour is its status's: neither written nor read.
  auto* led = static_cast<TWxLED*>(form->FindComponent("Led"));
  EXPECT_EQ(led->GetColor(), clRed);
  EXPECT_EQ(GetPropInfo(led, "Color"), nullptr);
  EXPECT_NE(GetPropInfo(led, "ColorOn"), nullptr);
  const size_t block = text.find("object Led: TWxLED");
  EXPECT_EQ(text.substr(block, text.find("end", block) - block).find(" Color ="), std::string::npos) << text;
  auto* colored = New<TForm>(nullptr, kCreateNew);
  EXPECT_THROW(ReadComponentFromText(colored,
                                     "object Form1: TForm\r\n  object Led: TWxLED\r\n    Color = clBlue\r\n"
                                     "  end\r\nend\r\n",
                                     "colored"),
               EFormDefinitionError);
  Free(colored);
  Free(form);
}

}  // namespace
