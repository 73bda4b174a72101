// Main of the standard-control tests: the units, the test controls and the standard controls
// registered for form definitions.
#include <gtest/gtest.h>

#include "toolkit/forms.h"
#include "toolkit/spin.h"
#include "toolkit/startup.h"
#include "toolkit/stdctrls.h"
#include "toolkit/updown.h"
#include "visual_test_classes.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterToolkitUnits();
  RegisterFormsUnit();
  TUnitsScope units;
  RegisterTestControls();
  RegisterStdCtrlsClasses();
  RegisterUpDownClasses();
  RegisterSpinClasses();
  return RUN_ALL_TESTS();
}
