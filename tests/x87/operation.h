// The operations the differential test exercises and the operands one case feeds them.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "calc/extended.h"
#include "calc/fpu.h"

namespace x87test {

enum class Operation : std::uint8_t {
  Add,
  Subtract,
  Multiply,
  Divide,
  SquareRoot,
  Absolute,
  Negate,
  Compare,
  FromInt64,
  FromDouble,
  ToDouble,
  ToSingle,
  ToInt64,
};

inline constexpr std::array AllOperations{
    Operation::Add,        Operation::Subtract,   Operation::Multiply, Operation::Divide,
    Operation::SquareRoot, Operation::Absolute,   Operation::Negate,   Operation::Compare,
    Operation::FromInt64,  Operation::FromDouble, Operation::ToDouble, Operation::ToSingle,
    Operation::ToInt64,
};

inline constexpr std::array AllRoundingModes{
    calc::RoundingMode::ToNearest,
    calc::RoundingMode::Down,
    calc::RoundingMode::Up,
    calc::RoundingMode::TowardZero,
};

constexpr std::string_view operationName(Operation op) {
  constexpr std::array<std::string_view, AllOperations.size()> names{
      "add",     "subtract",  "multiply",   "divide",   "squareRoot", "absolute", "negate",
      "compare", "fromInt64", "fromDouble", "toDouble", "toSingle",   "toInt64",
  };
  return names[static_cast<std::size_t>(op)];
}

constexpr std::string_view roundingModeName(calc::RoundingMode mode) {
  constexpr std::array<std::string_view, 4> names{"ToNearest", "Down", "Up", "TowardZero"};
  return names[static_cast<std::size_t>(mode)];
}

// Every condition masked, so neither side traps, and 64-bit precision.
constexpr std::uint16_t controlWordFor(calc::RoundingMode mode) {
  return static_cast<std::uint16_t>(0x033F | (static_cast<unsigned>(mode) << 10));
}

constexpr bool takesTwoExtended(Operation op) {
  return op == Operation::Add || op == Operation::Subtract || op == Operation::Multiply ||
         op == Operation::Divide || op == Operation::Compare;
}

// a is ST(0) and b is ST(1) for the two-operand operations; FromInt64 and FromDouble read the
// integer or double bit pattern from bits.
struct Operands {
  calc::Extended a;
  calc::Extended b;
  std::uint64_t bits = 0;
};

}  // namespace x87test
