// The Win32 serial ports opened for real: commport_device_test.sh links ports of the Wine
// prefix for this run and names their numbers. Those in DRAVOLIN_LINKED_COM_PORTS lead to the
// pseudo-terminal multiplexer: each open of it is a terminal of its own, so they reach a
// device on any machine and share nothing with another test. DRAVOLIN_UART_COM_PORT leads to
// the machine's serial device, where it has one that answers.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "app/commport.h"
#include "app/commstatus.h"

namespace {

std::vector<int> PortsOf(const char* variable) {
  std::vector<int> ports;
  char text[64] = {};
  if (!GetEnvironmentVariableA(variable, text, sizeof text)) return ports;
  for (const char* p = text; *p;) {
    char* end = nullptr;
    ports.push_back(static_cast<int>(strtol(p, &end, 10)));
    p = *end ? end + 1 : end;
  }
  return ports;
}

// A port below 10 and one from 10 on (the names the system finds differ there) open by their
// numbers. A terminal answers no modem-status query: the component does not count it active
// and lets it go.
TEST(LinkedCommPorts, TerminalsOpenByTheirNumbersButAreNotActive) {
  const std::vector<int> ports = PortsOf("DRAVOLIN_LINKED_COM_PORTS");
  ASSERT_EQ(ports.size(), 2u) << "run by commport_device_test.sh, which links the ports";
  EXPECT_LT(ports[0], 10);
  EXPECT_GE(ports[1], 10);
  for (int number : ports) {
    std::unique_ptr<TCommPort> port = Win32CommPorts().Open(number);
    ASSERT_NE(port, nullptr) << "COM" << number;
    uint32_t status = 0;
    EXPECT_FALSE(port->GetModemStatus(status));
    port.reset();
    TMyCommStatus* comm = New<TMyCommStatus>(nullptr);
    comm->SetComm(number);
    EXPECT_FALSE(comm->GetActive()) << "COM" << number;
    EXPECT_EQ(comm->GetLines(), TModemLines());
    Free(comm);
  }
}

// A serial device behind a port of the script's: Wine refuses the status query on a handle
// without data access, so this proves the reopening for reading as well.
TEST(LinkedCommPorts, ASerialDeviceOpensAndAnswersTheStatusQuery) {
  const std::vector<int> ports = PortsOf("DRAVOLIN_UART_COM_PORT");
  ASSERT_EQ(ports.size(), 1u) << "run by commport_device_test.sh where the machine has a serial device";
  std::unique_ptr<TCommPort> port = Win32CommPorts().Open(ports[0]);
  ASSERT_NE(port, nullptr);
  uint32_t status = 0xFFFFFFFF;
  EXPECT_TRUE(port->GetModemStatus(status));
  port.reset();
  TMyCommStatus* comm = New<TMyCommStatus>(nullptr);
  comm->SetComm(ports[0]);
  EXPECT_TRUE(comm->GetActive());
  comm->SetComm(0);
  EXPECT_FALSE(comm->GetActive());
  Free(comm);
}

}  // namespace
