// The commands of quantelo-record, each a row of one table: its words, its options and what
// runs it. A new command is a row and the function it names.
#pragma once

#include <span>

#include "command_line.h"

namespace record_cli {

std::span<const Command> Commands();

extern const char* const UsageText;

}  // namespace record_cli
