// Tests for tools/wine-run to run (tests/support/wine_run_test.sh): each ends the way a
// broken test program can, so the wrapper must tell it from a pass.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

TEST(Probe, Passes) { SUCCEED(); }

// A process that ends partway with status 0 (as one whose stack ran over sometimes does).
TEST(Probe, EndsWithStatusZeroHalfway) {
  std::fflush(stdout);
  ExitProcess(0);
}

TEST(Probe, SkipsItself) { GTEST_SKIP() << "nothing to do here"; }

// Skips, and then the process crashes after the framework's last line.
TEST(Probe, SkipsAndThenCrashes) {
  std::atexit([] {
    volatile int* nowhere = nullptr;
    *nowhere = 1;
  });
  GTEST_SKIP() << "and then crashes";
}

TEST(Probe, Crashes) {
  volatile int* nowhere = nullptr;
  *nowhere = 1;
}

// Reports where it runs: the name of its desktop and whether its window there is the
// foreground one.
TEST(Probe, ShowsAWindowOnItsDesktop) {
  char name[256] = "";
  GetUserObjectInformationA(GetThreadDesktop(GetCurrentThreadId()), UOI_NAME, name, sizeof(name) - 1,
                            nullptr);
  std::printf("desktop: %s\n", name);
  HWND window = CreateWindowExA(0, "STATIC", "probe", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                                nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(window);
  SetForegroundWindow(window);
  EXPECT_EQ(GetForegroundWindow(), window);
  DestroyWindow(window);
}
