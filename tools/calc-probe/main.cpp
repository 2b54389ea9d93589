// calc-probe: answers calculation-core commands read from stdin, one line each, so the core can
// be compared against reference answers. The protocol is described in README.md.
#include <iostream>
#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "calc/fpu.h"
#include "probe_commands.h"

int main() {
#ifdef _WIN32
  // Text mode would drop a CR that belongs to an argument, end the input at byte 0x1A and write
  // CR LF; the protocol's lines end in LF alone.
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  calc::Fpu fpu;
  std::string line;
  while (std::getline(std::cin, line)) {
    // Flushed per answer, so a driver may wait for each answer before sending the next command.
    std::cout << probe::answerLine(fpu, line) << std::endl;
  }
}
