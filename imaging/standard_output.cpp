#include "standard_output.h"

#include <cerrno>
#include <iostream>

namespace imaging {

void PrintToStandardOutput(const std::string& text) {
  std::cout << text << std::flush;
  if (!std::cout) throw OutputFailed{errno};
}

}  // namespace imaging
