// The Win32 serial ports: the device names, and real opens of ports that do not exist (ports
// that do are opened by commport_device_test.sh, which links them for its run).
#include "app/commport.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "app/commstatus.h"

namespace {

bool DeviceExists(int number) {
  char target[512];
  return QueryDosDeviceA(("COM" + std::to_string(number)).c_str(), target, sizeof target) != 0;
}

// Every port of the list, COM1 to COM16, is "COM" and its number in decimal; from 10 on Windows finds that
// name only in the device namespace, so the prefix there is the one thing added.
TEST(CommPortName, IsComAndTheNumberWithTheDeviceNamespaceFromTen) {
  const std::string device = "\\\\.\\";
  for (int number = 1; number <= 16; ++number) {
    std::string name = CommPortName(number);
    if (number >= 10) {
      ASSERT_EQ(name.rfind(device, 0), 0u) << name;
      name.erase(0, device.size());
    }
    EXPECT_EQ(name, "COM" + std::to_string(number));
  }
}

TEST(Win32CommPorts, APortThatDoesNotExistCannotBeOpened) {
  // One plain name and one in the device namespace.
  for (int first : {9, kMaxCommPort}) {
    int missing = first;
    while (missing > 0 && DeviceExists(missing)) --missing;
    ASSERT_GT(missing, 0) << "every port up to " << first << " exists here";
    EXPECT_EQ(Win32CommPorts().Open(missing), nullptr) << CommPortName(missing);
    TMyCommStatus* comm = New<TMyCommStatus>(nullptr);
    comm->SetComm(missing);
    EXPECT_FALSE(comm->GetActive()) << CommPortName(missing);
    EXPECT_EQ(comm->GetLines(), TModemLines());
    Free(comm);
  }
}

}  // namespace
