// Main of the form tests: the units run around the tests as in the program, with the
// translation runtime, and the program's form and control classes are registered.
#include <gtest/gtest.h>

#include "app/appforms.h"
#include "i18n/translator.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterToolkitUnits();
  RegisterFormsUnit();
  RegisterTranslationUnits();
  TUnitsScope units;
  RegisterAppClasses();
  return RUN_ALL_TESTS();
}
