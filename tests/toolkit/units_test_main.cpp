// Main of the toolkit's test programs that need the process-wide units: started and
// stopped around the tests as the program's entry point does.
#include <gtest/gtest.h>

#include "toolkit/startup.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  RegisterToolkitUnits();
  TUnitsScope units;
  return RUN_ALL_TESTS();
}
