// Main of the translation tests: the process-wide units run around the tests, the
// translation runtime first, as in the program.
#include <gtest/gtest.h>

#include "i18n/translator.h"
#include "toolkit/forms.h"
#include "toolkit/startup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterTranslationUnits();
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  return RUN_ALL_TESTS();
}
