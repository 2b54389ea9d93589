// Runs the software unit and the real x87 side by side on generated operands and compares
// result bits and status flags exactly. x86 only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "calc/fpu.h"
#include "operation.h"

namespace x87test {

// A result reduced to its bit pattern: extended values use both fields, every other result
// (double, single, int64, ordering) only low.
struct Outcome {
  std::uint64_t low = 0;
  std::uint16_t high = 0;
  std::uint16_t flags = 0;

  friend bool operator==(const Outcome&, const Outcome&) = default;
};

Outcome hardwareOutcome(Operation op, std::uint16_t controlWord, const Operands& in);
Outcome unitOutcome(Operation op, std::uint16_t controlWord, const Operands& in);

struct DifferentialResult {
  std::uint64_t cases = 0;
  std::uint64_t mismatches = 0;
  std::vector<std::string> examples;  // the first mismatches, one line each
};

DifferentialResult runDifferential(Operation op, calc::RoundingMode mode, std::uint64_t cases,
                                   std::uint64_t seed, std::size_t maxExamples = 5);

// A fixed seed of its own for each operation, rounding mode and stream.
constexpr std::uint64_t seedFor(Operation op, calc::RoundingMode mode, std::uint64_t stream) {
  return 0x5EED0000 + stream * 64 + static_cast<std::uint64_t>(op) * 4 +
         static_cast<std::uint64_t>(mode);
}

}  // namespace x87test
