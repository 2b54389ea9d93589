// What quantelo-sdnr writes: a measured file's line on standard output, and messages on standard
// error.
#pragma once

#include <string>

#include "arguments.h"
#include "report.h"

namespace sdnr_cli {

// "quantelo-sdnr: FILE: TEXT" on standard error, both made printable.
void Tell(const std::string& file, const std::string& text);

// Prints a measured file's line, then what its texts held and its warnings; the status it gives.
// Raises imaging::OutputFailed where standard output refuses the line.
int PrintReport(const Arguments& arguments, const FileReport& report);

}  // namespace sdnr_cli
