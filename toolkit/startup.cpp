#include "toolkit/startup.h"

#include <algorithm>
#include <exception>

#include "toolkit/starttrace.h"
#include "toolkit/threads.h"

void TUnitRegistry::Register(TUnitStage stage, const std::string& name, TUnitProc init, TUnitProc fin) {
  if (initializing_) throw EUnitError("Unit " + name + " registered after start-up");
  for (const TUnit& unit : units_)
    if (unit.name == name) throw EUnitError("Unit " + name + " registered twice");
  units_.push_back({stage, name, std::move(init), std::move(fin)});
}

std::vector<TUnitRegistry::TUnit> TUnitRegistry::Sorted() const {
  std::vector<TUnit> order = units_;
  std::stable_sort(order.begin(), order.end(),
                   [](const TUnit& a, const TUnit& b) { return a.stage < b.stage; });
  return order;
}

std::vector<std::string> TUnitRegistry::Order() const {
  std::vector<std::string> names;
  for (const TUnit& unit : Sorted()) names.push_back(unit.name);
  return names;
}

void TUnitRegistry::Initialize() {
  if (initializing_) throw EUnitError("Units initialised twice");
  initializing_ = true;
  for (TUnit& unit : Sorted()) {
    try {
      if (unit.init) unit.init();
    } catch (...) {
      // The failed unit cleaned up after itself (or had nothing); undo the others.
      try {
        Finalize();
      } catch (...) {
        // The start-up error is the one worth reporting.
      }
      throw;
    }
    StartMark(("unit " + unit.name + " started").c_str());
    started_.push_back(std::move(unit));
  }
}

void TUnitRegistry::Finalize() {
  std::exception_ptr first_error;
  while (!started_.empty()) {
    TUnit unit = std::move(started_.back());
    started_.pop_back();
    try {
      if (unit.fin) unit.fin();
    } catch (...) {
      if (!first_error) first_error = std::current_exception();
    }
  }
  initializing_ = false;
  if (first_error) std::rethrow_exception(first_error);
}

TUnitRegistry& Units() {
  static TUnitRegistry* registry = new TUnitRegistry;
  return *registry;
}

void RegisterToolkitUnits() { RegisterUnit(usToolkit, "Threads", InitThreadsUnit, FinalizeThreadsUnit); }

TUnitsScope::~TUnitsScope() {
  try {
    FinalizeUnits();
  } catch (...) {
    // Shut-down goes on regardless; there is no one left to tell.
  }
}
