// The program's units: their start-up actions in dependency order before the windows exist, their
// finishing actions in reverse when the message loop has ended. The program and its window
// tests run this one sequence.
#pragma once

#include <span>

struct UnitActions {
  void (*startup)();  // null when the unit has nothing to do at start-up
  void (*finish)();
};

// Each unit after the units it depends on: toolkit, language support, the about window's
// component library.
std::span<const UnitActions> ProgramUnits();

// Runs the start-up actions now and the finishing actions, in reverse, when it goes.
class RunningUnits {
 public:
  explicit RunningUnits(std::span<const UnitActions> units = ProgramUnits());
  ~RunningUnits();
  RunningUnits(const RunningUnits&) = delete;
  RunningUnits& operator=(const RunningUnits&) = delete;

 private:
  std::span<const UnitActions> units_;
};
