// The order in which process-wide units start and stop.
#include "toolkit/startup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "toolkit/threads.h"

namespace {

using TLog = std::vector<std::string>;

// Registers a unit that logs its steps; `fail` names the step ("init" or "fin") that raises.
void Add(TUnitRegistry& units, TLog& log, TUnitStage stage, const std::string& name,
         const std::string& fail = "") {
  units.Register(
      stage, name,
      [&log, name, fail] {
        log.push_back("init " + name);
        if (fail == "init") throw Exception(name + " failed");
      },
      [&log, name, fail] {
        log.push_back("fin " + name);
        if (fail == "fin") throw Exception(name + " failed to stop");
      });
}

TEST(Units, StartByStageThenRegistrationAndStopInReverse) {
  TUnitRegistry units;
  TLog log;
  Add(units, log, usApplication, "Main");
  Add(units, log, usToolkit, "Threads");
  Add(units, log, usLibrary, "Skin");
  Add(units, log, usTranslation, "Translation");
  Add(units, log, usToolkit, "Timers");
  EXPECT_EQ(units.Order(), (TLog{"Translation", "Threads", "Timers", "Skin", "Main"}));
  units.Initialize();
  EXPECT_TRUE(units.Initialized());
  units.Finalize();
  EXPECT_FALSE(units.Initialized());
  EXPECT_EQ(log, (TLog{"init Translation", "init Threads", "init Timers", "init Skin", "init Main",
                       "fin Main", "fin Skin", "fin Timers", "fin Threads", "fin Translation"}));
}

TEST(Units, AFailedStartStopsTheUnitsStartedBeforeItInReverse) {
  TUnitRegistry units;
  TLog log;
  Add(units, log, usTranslation, "Translation");
  Add(units, log, usToolkit, "Threads");
  Add(units, log, usLibrary, "Skin", "init");
  Add(units, log, usApplication, "Main");
  EXPECT_THROW(units.Initialize(), Exception);
  EXPECT_FALSE(units.Initialized());
  EXPECT_EQ(log, (TLog{"init Translation", "init Threads", "init Skin", "fin Threads", "fin Translation"}));
  // Nothing is left started, and the registry can start again.
  log.clear();
  units.Finalize();
  EXPECT_TRUE(log.empty());
}

TEST(Units, AFailedStopDoesNotKeepTheOthersRunningAndIsReportedAfterwards) {
  TUnitRegistry units;
  TLog log;
  Add(units, log, usToolkit, "Threads");
  Add(units, log, usLibrary, "Skin", "fin");
  Add(units, log, usApplication, "Main");
  units.Initialize();
  log.clear();
  try {
    units.Finalize();
    ADD_FAILURE() << "the failed stop was not reported";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), "Skin failed to stop");
  }
  EXPECT_EQ(log, (TLog{"fin Main", "fin Skin", "fin Threads"}));
  log.clear();
  units.Finalize();  // a second shut-down has nothing left to do
  EXPECT_TRUE(log.empty());
}

TEST(Units, RegistrationMistakesAreRefused) {
  TUnitRegistry units;
  TLog log;
  Add(units, log, usToolkit, "Threads");
  EXPECT_THROW(Add(units, log, usLibrary, "Threads"), EUnitError);
  units.Initialize();
  EXPECT_THROW(Add(units, log, usApplication, "Late"), EUnitError);
  EXPECT_THROW(units.Initialize(), EUnitError);
  units.Finalize();
  EXPECT_EQ(units.Order(), (TLog{"Threads"}));
}

TEST(Units, TheProcessHasStartedTheToolkitOnTheMainThread) {
  EXPECT_TRUE(Units().Initialized());
  EXPECT_EQ(Units().Order(), (TLog{"Threads"}));
  EXPECT_EQ(MainThreadID(), GetCurrentThreadId());
}

}  // namespace
