// The commands of calc-probe, each answered by one line.
#pragma once

#include <string>
#include <string_view>

#include "calc/fpu.h"

namespace probe {

// Runs one command line against the unit and gives its answer, without the line end.
// A calculation error becomes "<error class>: <message>" (after an error of the unit the unit is
// reset); a line the probe cannot run becomes "error: <reason>". Never throws a calc error.
std::string answerLine(calc::Fpu& fpu, std::string_view line);

}  // namespace probe
