// A toolkit form translated like every form's creation handler does it.
#include <gtest/gtest.h>

#include "i18n/translator.h"
#include "toolkit/forms.h"

namespace {

TEST(FormTranslation, FormCaptionAndHintsComeOutGermanFontAndNamesStay) {
  UseLanguage("de");
  TForm* form = New<TForm>(nullptr, kCreateNew);
  form->SetName("SelectCar");
  form->SetCaption("Select Car");
  form->SetHint("Help");
  const std::string font = form->GetFont()->GetName();
  TranslateComponent(form);
  EXPECT_EQ(form->GetCaption(), "Teilnehmerauswahl");
  EXPECT_EQ(form->GetHint(), "Hilfe");
  EXPECT_EQ(form->GetFont()->GetName(), font);
  EXPECT_EQ(form->GetName(), "SelectCar");
  Free(form);
}

}  // namespace
