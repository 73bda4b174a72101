// Main of the control and form tests: the units (the application and the screen among them)
// live around the tests, and the test controls are registered for form definitions.
#include <gtest/gtest.h>

#include "toolkit/forms.h"
#include "toolkit/startup.h"
#include "visual_test_classes.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  RegisterTestControls();
  return RUN_ALL_TESTS();
}
