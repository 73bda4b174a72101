// The Win32 serial ports: the device names, and real opens of a port that does not exist and
// of one that does (where the machine has one).
#include "app/commport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/commstatus.h"

namespace {

bool DeviceExists(int number) {
  char target[512];
  return QueryDosDeviceA(("COM" + std::to_string(number)).c_str(), target, sizeof target) != 0;
}

TEST(CommPortName, IsComAndTheNumberWithTheDeviceNamespaceFromTen) {
  EXPECT_EQ(CommPortName(1), "COM1");
  EXPECT_EQ(CommPortName(9), "COM9");
  EXPECT_EQ(CommPortName(10), "\\\\.\\COM10");
  EXPECT_EQ(CommPortName(16), "\\\\.\\COM16");
}

TEST(Win32CommPorts, APortThatDoesNotExistCannotBeOpened) {
  // One plain name and one in the device namespace.
  for (int first : {9, kMaxCommPort}) {
    int missing = first;
    while (missing > 0 && DeviceExists(missing)) --missing;
    if (missing == 0) continue;
    EXPECT_EQ(Win32CommPorts().Open(missing), nullptr) << CommPortName(missing);
    TMyCommStatus* comm = New<TMyCommStatus>(nullptr);
    comm->SetComm(missing);
    EXPECT_FALSE(comm->GetActive()) << CommPortName(missing);
    EXPECT_EQ(comm->GetLines(), TModemLines());
    Free(comm);
  }
}

// Wine maps COM1 to /dev/ttyS0 when the machine has it. Its status query refuses a handle
// without data access, so this proves the reopening for reading as well.
TEST(Win32CommPorts, AnExistingPortOpensAndAnswersTheStatusQuery) {
  if (!DeviceExists(1)) GTEST_SKIP() << "no COM1 on this machine";
  HANDLE probe = CreateFileA("COM1", GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
  if (probe == INVALID_HANDLE_VALUE) GTEST_SKIP() << "COM1 cannot be opened here";
  DWORD word = 0;
  bool answers = GetCommModemStatus(probe, &word);
  CloseHandle(probe);
  if (!answers) GTEST_SKIP() << "COM1 has no device answering the modem-status query";

  std::unique_ptr<TCommPort> port = Win32CommPorts().Open(1);
  ASSERT_NE(port, nullptr);
  uint32_t status = 0xFFFFFFFF;
  EXPECT_TRUE(port->GetModemStatus(status));
  port.reset();

  TMyCommStatus* comm = New<TMyCommStatus>(nullptr);
  comm->SetComm(1);
  EXPECT_TRUE(comm->GetActive());
  comm->SetComm(0);
  EXPECT_FALSE(comm->GetActive());
  Free(comm);
}

}  // namespace
