// The light barrier's serial port as the program uses it: opened without data access, asked
// for its modem-status word, closed. No data is ever read or written and no line is set.
// TCommPorts is the seam between the watcher and the hardware: the program uses the Win32
// ports, tests a scripted stand-in.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// One open port; freeing it closes the port.
class TCommPort {
 public:
  virtual ~TCommPort() = default;
  // The modem-status word (GetCommModemStatus); false when the port does not answer.
  virtual bool GetModemStatus(uint32_t& status) = 0;
};

class TCommPorts {
 public:
  virtual ~TCommPorts() = default;
  // Opens port `number` (1 for COM1); null when it cannot be opened.
  virtual std::unique_ptr<TCommPort> Open(int number) = 0;
};

// The device name of a port: "COM" and the number. Windows finds "COM10" and above only
// under the device namespace, so those get the "\\.\" prefix.
std::string CommPortName(int number);

// The machine's serial ports through Win32 (lives for the whole run).
TCommPorts& Win32CommPorts();
