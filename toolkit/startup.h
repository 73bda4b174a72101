// Start-up and shut-down of process-wide state, in one fixed and explicit order.
//
// Each unit (a module with process-wide state) is registered by name with an
// initialisation and a finalisation step. The program's entry point and the test mains
// register the units they link, then call InitializeUnits before any other work and
// FinalizeUnits at the end (TUnitsScope does both). Units start stage by stage and, within
// a stage, in registration order; they finish in exactly the reverse order. Nothing here
// relies on the order of static constructors or destructors, which differs from one
// translation unit to the next.
//
// The translation runtime's stage comes first, so every resource string loaded by a later
// unit already passes through it.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "toolkit/sysutils.h"

TK_EXCEPTION(EUnitError, Exception)

enum TUnitStage { usTranslation, usToolkit, usLibrary, usApplication };

using TUnitProc = std::function<void()>;

class TUnitRegistry {
 public:
  TUnitRegistry() = default;
  TUnitRegistry(const TUnitRegistry&) = delete;
  TUnitRegistry& operator=(const TUnitRegistry&) = delete;

  // Either step may be empty. Raises EUnitError for a name given twice (a list registered
  // twice) and once initialisation has begun (the unit would never be started).
  void Register(TUnitStage stage, const std::string& name, TUnitProc init, TUnitProc fin);

  // Initialises every unit. If one raises, the units already initialised are finalised
  // in reverse and the exception goes on to the caller. Raises EUnitError if called twice.
  void Initialize();
  // Finalises the initialised units in reverse order. Every unit gets its turn even when
  // an earlier one raises; the first exception is raised again afterwards. Afterwards the
  // registry may be initialised again. Does nothing when nothing is initialised.
  void Finalize();

  bool Initialized() const { return initializing_; }
  // The unit names in initialisation order.
  std::vector<std::string> Order() const;

 private:
  struct TUnit {
    TUnitStage stage;
    std::string name;
    TUnitProc init;
    TUnitProc fin;
  };
  std::vector<TUnit> Sorted() const;

  std::vector<TUnit> units_;
  std::vector<TUnit> started_;  // initialised units, in initialisation order
  bool initializing_ = false;
};

// The process's registry (never destroyed, so it outlives every static object).
TUnitRegistry& Units();

inline void RegisterUnit(TUnitStage stage, const std::string& name, TUnitProc init, TUnitProc fin) {
  Units().Register(stage, name, std::move(init), std::move(fin));
}
inline void InitializeUnits() { Units().Initialize(); }
inline void FinalizeUnits() { Units().Finalize(); }

// The toolkit's own units, in order: "Threads" (the main thread's hidden window that
// serves Synchronize).
void RegisterToolkitUnits();

// Initialises the units for the life of a scope (an entry point's body); finalisation
// errors at its end are dropped, as nothing is left to report them to.
class TUnitsScope {
 public:
  TUnitsScope() { InitializeUnits(); }
  ~TUnitsScope();
  TUnitsScope(const TUnitsScope&) = delete;
  TUnitsScope& operator=(const TUnitsScope&) = delete;
};
