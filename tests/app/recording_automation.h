// An automation server of the tests' own that stands in for the spreadsheet application:
// a class registered in this process under a program identifier of its own, whose objects
// accept any member and record every call. A property read or method call answers a new
// object named by its path ("ActiveSheet.Cells(5,2)"), so the tests can read back what a
// late-bound client did to which cell, row or column.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A property read and a method call look alike to the server: late-bound clients ask for
// either with both flags.
enum class TCallKind { Read, Put };

struct TAutomationCall {
  TCallKind Kind = TCallKind::Read;
  WORD Flags = 0;
  std::string Target;  // the member's full path, indexes included: "ActiveSheet.Rows(6).NumberFormat"
  std::string Value;   // assigned value of a put as text ("true", "14", "8.5", "@")
  VARTYPE ValueType = VT_EMPTY;
};

struct TAutomationLog;

class TRecordingAutomationServer {
 public:
  // Registers the class object and the program identifier; the thread must have joined COM.
  TRecordingAutomationServer();
  // Removes the class object and the registry entries.
  ~TRecordingAutomationServer();
  TRecordingAutomationServer(const TRecordingAutomationServer&) = delete;
  TRecordingAutomationServer& operator=(const TRecordingAutomationServer&) = delete;

  const std::string& ProgId() const { return prog_id_; }
  // Calls of a member with this name (any letter case) fail with DISP_E_EXCEPTION.
  void FailMember(const std::string& name);

  int InstancesCreated() const;
  const std::vector<TAutomationCall>& Calls() const;
  // The last value put into each target.
  std::map<std::string, TAutomationCall> Puts() const;
  // Position of the first call of the kind to the target in Calls(), or -1.
  int IndexOf(TCallKind kind, const std::string& target) const;

 private:
  std::shared_ptr<TAutomationLog> log_;
  std::string prog_id_;
  CLSID clsid_{};
  DWORD cookie_ = 0;
  HKEY registry_root_ = nullptr;
};

}  // namespace testsupport
