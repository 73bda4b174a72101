#include "app/commport.h"

#include <windows.h>

namespace {

HANDLE OpenDevice(const std::string& name, DWORD access) {
  HANDLE handle = CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
  return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

class TWin32CommPort : public TCommPort {
 public:
  explicit TWin32CommPort(HANDLE handle) : handle_(handle) {}
  ~TWin32CommPort() override { CloseHandle(handle_); }
  TWin32CommPort(const TWin32CommPort&) = delete;
  TWin32CommPort& operator=(const TWin32CommPort&) = delete;

  bool GetModemStatus(uint32_t& status) override {
    DWORD word = 0;
    if (!GetCommModemStatus(handle_, &word)) return false;
    status = word;
    return true;
  }

 private:
  HANDLE handle_;
};

class TWin32CommPorts : public TCommPorts {
 public:
  std::unique_ptr<TCommPort> Open(int number) override {
    if (number < 1) return nullptr;
    const std::string name = CommPortName(number);
    // Access 0: a device query only, which Windows answers and which leaves the port's data
    // to anyone else.
    HANDLE handle = OpenDevice(name, 0);
    if (!handle) return nullptr;
    DWORD word = 0;
    if (!GetCommModemStatus(handle, &word) && GetLastError() == ERROR_ACCESS_DENIED) {
      // Wine refuses the status query on such a handle but answers it on one opened for
      // reading. Nothing is read through it.
      CloseHandle(handle);
      handle = OpenDevice(name, GENERIC_READ);
      if (!handle) return nullptr;
    }
    return std::make_unique<TWin32CommPort>(handle);
  }
};

}  // namespace

std::string CommPortName(int number) {
  std::string name = "COM" + std::to_string(number);
  return number >= 10 ? "\\\\.\\" + name : name;
}

TCommPorts& Win32CommPorts() {
  static TWin32CommPorts* ports = new TWin32CommPorts;  // never freed: used until the very end
  return *ports;
}
