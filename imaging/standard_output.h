// Standard output as the command-line programs write it: each part at once, so that one that does
// not get there (a full disk, a closed pipe) is known and can end the program with status 1.
#pragma once

#include <string>

namespace imaging {

// Standard output refused what was written; error is errno's value.
struct OutputFailed {
  int error;
};

// Writes and flushes text; raises OutputFailed where that fails. A program that calls it ignores
// SIGPIPE, so that a closed pipe is such a failure rather than a silent end.
void PrintToStandardOutput(const std::string& text);

}  // namespace imaging
