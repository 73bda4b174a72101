// The display widgets together on a skinned form, as a window of the program shows them: a
// markup label over a skinned panel and an image control that takes its picture's size. With
// DRAVOLIN_WIDGET_FORM_PICTURE set the form is saved there as a BMP to look at.
#include <gtest/gtest.h>

#include <utility>

#include "bitmap32/image32.h"
#include "skin/controls/spanel.h"
#include "skin/controls/sskinprovider.h"
#include "skin/engine/sskinmanager.h"
#include "skin/engine/sskintables.h"
#include "tests/skin/engine/skin_test_support.h"
#include "tests/toolkit/visual_test_classes.h"
#include "toolkit/bitmap.h"
#include "toolkit/forms.h"
#include "widgets/wxgraphic.h"
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
  SetWxVisualStyles(true);  // the label shows its parent through it

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

  SetWxVisualStyles(false);
  Free(form);
  Pump();
  Free(manager);
  SkinGeneralData.clear();
  SkinData().SkinLoaded = false;
}

}  // namespace
