// calc-probe: answers calculation-core commands read from stdin, one line each, so the core can
// be compared against reference answers. The protocol is described in README.md.
#include <iostream>
#include <string>

#include "calc/fpu.h"
#include "probe_commands.h"

int main() {
  calc::Fpu fpu;
  std::string line;
  while (std::getline(std::cin, line)) {
    // Flushed per answer, so a driver may wait for each answer before sending the next command.
    std::cout << probe::answerLine(fpu, line) << std::endl;
  }
}
