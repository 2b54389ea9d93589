#include "differential.h"

#include <array>
#include <bit>
#include <cstdio>

#include "calc/extended_ops.h"
#include "operand_generator.h"
#include "x87_reference.h"

namespace x87test {
namespace {

using calc::Extended;

Outcome outcomeOf(Extended value, std::uint16_t flags) {
  return {value.sig, value.signExp, flags};
}
Outcome outcomeOf(std::uint64_t bits, std::uint16_t flags) {
  return {bits, 0, flags};
}
Outcome outcomeOf(std::uint32_t bits, std::uint16_t flags) {
  return {bits, 0, flags};
}
Outcome outcomeOf(std::int64_t value, std::uint16_t flags) {
  return outcomeOf(static_cast<std::uint64_t>(value), flags);
}
Outcome outcomeOf(calc::Ordering order, std::uint16_t flags) {
  return outcomeOf(static_cast<std::uint64_t>(order), flags);
}
Outcome outcomeOf(double value, std::uint16_t flags) {
  return outcomeOf(std::bit_cast<std::uint64_t>(value), flags);
}
Outcome outcomeOf(float value, std::uint16_t flags) {
  return outcomeOf(std::bit_cast<std::uint32_t>(value), flags);
}
template <class T>
Outcome outcomeOf(const Hardware<T>& result) {
  return outcomeOf(result.value, result.flags);
}

std::string hex(std::uint64_t value, int digits) {
  std::array<char, 17> text{};
  std::snprintf(text.data(), text.size(), "%0*llX", digits, static_cast<unsigned long long>(value));
  return text.data();
}

std::string hex(Extended value) {
  return hex(value.signExp, 4) + hex(value.sig, 16);
}

std::string formatOperands(Operation op, const Operands& in) {
  if (takesTwoExtended(op)) return "a " + hex(in.a) + " b " + hex(in.b);
  switch (op) {
    case Operation::FromInt64:
      return "int64 " + hex(in.bits, 16) + " (" +
             std::to_string(static_cast<std::int64_t>(in.bits)) + ")";
    case Operation::FromDouble:
      return "double " + hex(in.bits, 16);
    default:
      return "a " + hex(in.a);
  }
}

std::string formatResult(Operation op, const Outcome& outcome) {
  std::string value;
  switch (op) {
    case Operation::ToDouble:
    case Operation::ToInt64:
      value = hex(outcome.low, 16);
      break;
    case Operation::ToSingle:
      value = hex(outcome.low, 8);
      break;
    case Operation::Compare: {
      constexpr std::array<const char*, 4> names{"Less", "Equal", "Greater", "Unordered"};
      value = outcome.low < names.size() ? names[outcome.low] : "?";
      break;
    }
    default:
      value = hex(outcome.high, 4) + hex(outcome.low, 16);
  }
  return value + " flags " + hex(outcome.flags, 2);
}

}  // namespace

Outcome hardwareOutcome(Operation op, std::uint16_t controlWord, const Operands& in) {
  const std::uint16_t cw = controlWord;
  switch (op) {
    case Operation::Add:
      return outcomeOf(hw::add(cw, in.a, in.b));
    case Operation::Subtract:
      return outcomeOf(hw::subtract(cw, in.a, in.b));
    case Operation::Multiply:
      return outcomeOf(hw::multiply(cw, in.a, in.b));
    case Operation::Divide:
      return outcomeOf(hw::divide(cw, in.a, in.b));
    case Operation::SquareRoot:
      return outcomeOf(hw::squareRoot(cw, in.a));
    case Operation::Absolute:
      return outcomeOf(hw::absolute(cw, in.a));
    case Operation::Negate:
      return outcomeOf(hw::negate(cw, in.a));
    case Operation::Compare:
      return outcomeOf(hw::compare(cw, in.a, in.b));
    case Operation::FromInt64:
      return outcomeOf(hw::fromInt64(cw, static_cast<std::int64_t>(in.bits)));
    case Operation::FromDouble:
      return outcomeOf(hw::fromDouble(cw, in.bits));
    case Operation::ToDouble:
      return outcomeOf(hw::toDouble(cw, in.a));
    case Operation::ToSingle:
      return outcomeOf(hw::toSingle(cw, in.a));
    case Operation::ToInt64:
      return outcomeOf(hw::toInt64(cw, in.a));
  }
  return {};
}

Outcome unitOutcome(Operation op, std::uint16_t controlWord, const Operands& in) {
  calc::Fpu fpu(controlWord);
  // The argument is evaluated first, so the flags are those the operation left.
  const auto done = [&fpu](auto value) { return outcomeOf(value, fpu.statusFlags()); };
  switch (op) {
    case Operation::Add:
      return done(calc::add(fpu, in.a, in.b));
    case Operation::Subtract:
      return done(calc::subtract(fpu, in.a, in.b));
    case Operation::Multiply:
      return done(calc::multiply(fpu, in.a, in.b));
    case Operation::Divide:
      return done(calc::divide(fpu, in.a, in.b));
    case Operation::SquareRoot:
      return done(calc::squareRoot(fpu, in.a));
    case Operation::Absolute:
      return done(calc::absolute(in.a));
    case Operation::Negate:
      return done(calc::negate(in.a));
    case Operation::Compare:
      return done(calc::compare(fpu, in.a, in.b));
    case Operation::FromInt64:
      return done(calc::fromInt64(static_cast<std::int64_t>(in.bits)));
    case Operation::FromDouble:
      return done(calc::fromDouble(fpu, std::bit_cast<double>(in.bits)));
    case Operation::ToDouble:
      return done(calc::toDouble(fpu, in.a));
    case Operation::ToSingle:
      return done(calc::toSingle(fpu, in.a));
    case Operation::ToInt64:
      return done(calc::toInt64(fpu, in.a));
  }
  return {};
}

DifferentialResult runDifferential(Operation op, calc::RoundingMode mode, std::uint64_t cases,
                                   std::uint64_t seed, std::size_t maxExamples) {
  OperandGenerator generator(seed);
  const std::uint16_t controlWord = controlWordFor(mode);
  DifferentialResult result;
  result.cases = cases;
  for (std::uint64_t i = 0; i < cases; ++i) {
    const Operands in = generator.next(op);
    const Outcome expected = hardwareOutcome(op, controlWord, in);
    const Outcome actual = unitOutcome(op, controlWord, in);
    if (expected == actual) continue;
    ++result.mismatches;
    if (result.examples.size() < maxExamples) {
      result.examples.push_back(std::string(operationName(op)) + " " +
                                std::string(roundingModeName(mode)) + ": " +
                                formatOperands(op, in) + " | x87 " + formatResult(op, expected) +
                                " | unit " + formatResult(op, actual));
    }
  }
  return result;
}

}  // namespace x87test
