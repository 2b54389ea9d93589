#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "calc/extended.h"
#include "differential.h"
#include "operand_generator.h"
#include "x87_reference.h"

namespace x87test {
namespace {

using calc::Extended;
using calc::ExtendedBias;
using calc::IntegerBit;
using calc::makeExtended;
using calc::RoundingMode;
namespace Flag = calc::FpuFlag;

constexpr Extended One = makeExtended(false, ExtendedBias, IntegerBit);
constexpr Extended MinusOne = calc::negate(One);
constexpr Extended Two = makeExtended(false, ExtendedBias + 1, IntegerBit);
constexpr Extended Three = makeExtended(false, ExtendedBias + 1, 0xC000000000000000);
constexpr Extended Four = makeExtended(false, ExtendedBias + 2, IntegerBit);
constexpr Extended Twelve = makeExtended(false, ExtendedBias + 3, 0xC000000000000000);
constexpr Extended Quarter = makeExtended(false, ExtendedBias - 2, IntegerBit);
constexpr Extended Half = makeExtended(false, ExtendedBias - 1, IntegerBit);
constexpr Extended OneAndHalf = makeExtended(false, ExtendedBias, 0xC000000000000000);
constexpr Extended TwoAndHalf = makeExtended(false, ExtendedBias + 1, 0xA000000000000000);
constexpr Extended Infinity = makeExtended(false, 0x7FFF, IntegerBit);

Outcome value(Extended x, std::uint16_t flags = 0) {
  return {x.sig, x.signExp, flags};
}
Outcome bits(std::uint64_t pattern, std::uint16_t flags = 0) {
  return {pattern, 0, flags};
}
Outcome order(calc::Ordering ordering, std::uint16_t flags = 0) {
  return bits(static_cast<std::uint64_t>(ordering), flags);
}

struct KnownCase {
  const char* what;
  Operation op;
  Operands in;
  Outcome expected;
  RoundingMode mode = RoundingMode::ToNearest;
};

// Guards both sides of the comparison: the reference's operand order, instruction direction and
// flag extraction, and the unit's wiring.
TEST(DifferentialSides, GiveKnownResults) {
  if constexpr (!HasX87) {
    GTEST_SKIP() << "the reference needs an x86 processor";
  } else {
    using enum Operation;
    using enum RoundingMode;
    using calc::Ordering;
    const Extended third = makeExtended(false, ExtendedBias - 2, 0xAAAAAAAAAAAAAAAB);
    const Extended thirdDown = makeExtended(false, ExtendedBias - 2, 0xAAAAAAAAAAAAAAAA);
    const KnownCase cases[] = {
        {"1 + 2 = 3", Add, {One, Two}, value(Three)},
        {"1 - 2 = -1", Subtract, {One, Two}, value(MinusOne)},
        {"3 * 4 = 12", Multiply, {Three, Four}, value(Twelve)},
        {"1 / 4 = 0.25", Divide, {One, Four}, value(Quarter)},
        {"1 / 3 rounds to nearest", Divide, {One, Three}, value(third, Flag::Precision)},
        {"1 / 3 rounds down", Divide, {One, Three}, value(thirdDown, Flag::Precision), Down},
        {"1 / 0 is infinity", Divide, {One, {}}, value(Infinity, Flag::ZeroDivide)},
        {"sqrt 4 = 2", SquareRoot, {Four, {}}, value(Two)},
        {"sqrt -1 is invalid", SquareRoot, {MinusOne, {}}, value(calc::DefaultNaN, Flag::Invalid)},
        {"abs -1 = 1", Absolute, {MinusOne, {}}, value(One)},
        {"-(1) = -1", Negate, {One, {}}, value(MinusOne)},
        {"1 < 2", Compare, {One, Two}, order(Ordering::Less)},
        {"2 > 1", Compare, {Two, One}, order(Ordering::Greater)},
        {"2 = 2", Compare, {Two, Two}, order(Ordering::Equal)},
        {"NaN is unordered", Compare, {calc::DefaultNaN, One}, order(Ordering::Unordered, 1)},
        {"int64 -1", FromInt64, {{}, {}, ~std::uint64_t{0}}, value(MinusOne)},
        {"double 0.5", FromDouble, {{}, {}, 0x3FE0000000000000}, value(Half)},
        {"1.5 to double", ToDouble, {OneAndHalf, {}}, bits(0x3FF8000000000000)},
        {"1.5 to single", ToSingle, {OneAndHalf, {}}, bits(0x3FC00000)},
        {"2.5 to int64 ties to even", ToInt64, {TwoAndHalf, {}}, bits(2, Flag::Precision)},
        {"2.5 to int64 rounding up", ToInt64, {TwoAndHalf, {}}, bits(3, Flag::Precision), Up},
        // The largest root, just below 2^64: one above its floor would not fit 64 bits.
        {"sqrt of the largest significand", SquareRoot, {Extended{~std::uint64_t{0}, 0x4000}, {}},
         value(Extended{~std::uint64_t{0}, 0x3FFF}, Flag::Precision)},
        {"sqrt of a denormal", SquareRoot, {Extended{0x7FFFFFFFFFFFFFFF, 0x0000}, {}},
         value(Extended{~std::uint64_t{0}, 0x1FFF}, Flag::Precision | Flag::Denormal)},
        // Raw significands pick the NaN: a quiet one beats a signaling one.
        {"signaling NaN + quiet NaN", Add,
         {Extended{0x8000000000000001, 0x7FFF}, Extended{0xC000000000000001, 0xFFFF}},
         value(Extended{0xC000000000000001, 0xFFFF}, Flag::Invalid)},
        {"equal NaNs: the positive wins", Multiply,
         {Extended{0xC000000000000001, 0xFFFF}, Extended{0xC000000000000001, 0x7FFF}},
         value(Extended{0xC000000000000001, 0x7FFF})},
    };
    for (const KnownCase& known : cases) {
      const std::uint16_t cw = controlWordFor(known.mode);
      for (const auto side : {hardwareOutcome, unitOutcome}) {
        const Outcome got = side(known.op, cw, known.in);
        EXPECT_EQ(got, known.expected)
            << known.what << (side == hardwareOutcome ? " (x87)" : " (unit)") << ": got "
            << std::hex << got.high << " " << got.low << " flags " << got.flags;
      }
    }
  }
}

// Guards the generator: every class of encoding turns up in a sensible share.
TEST(OperandGenerator, DrawsEveryClassOfEncoding) {
  struct Class {
    const char* name;
    bool (*is)(Extended);
    double minShare;
    double maxShare;
  };
  const Class classes[] = {
      {"unsupported", [](Extended x) { return x.isUnsupported(); }, 0.01, 0.04},
      {"zero", [](Extended x) { return x.isZero(); }, 0.02, 0.10},
      {"infinity", [](Extended x) { return x.isInfinity(); }, 0.01, 0.10},
      {"quiet NaN", [](Extended x) { return x.isNaN() && !x.isSignalingNaN(); }, 0.01, 0.10},
      {"signaling NaN", [](Extended x) { return x.isSignalingNaN(); }, 0.01, 0.10},
      {"denormal", [](Extended x) { return x.isDenormal() && !x.hasIntegerBit(); }, 0.03, 0.15},
      {"pseudo-denormal", [](Extended x) { return x.isDenormal() && x.hasIntegerBit(); }, 0.005,
       0.05},
      {"normal",
       [](Extended x) { return x.exponent() != 0 && x.exponent() != 0x7FFF && x.hasIntegerBit(); },
       0.6, 0.9},
  };
  constexpr int Draws = 200'000;
  OperandGenerator generator(1);
  int counts[std::size(classes)] = {};
  for (int i = 0; i < Draws; ++i) {
    const Extended x = generator.anyExtended();
    for (std::size_t c = 0; c < std::size(classes); ++c) counts[c] += classes[c].is(x);
  }
  for (std::size_t c = 0; c < std::size(classes); ++c) {
    const double share = static_cast<double>(counts[c]) / Draws;
    EXPECT_GE(share, classes[c].minShare) << classes[c].name;
    EXPECT_LE(share, classes[c].maxShare) << classes[c].name;
  }
}

// Guards the generator: each operation's edge conditions are reached often, as the processor
// itself reports them. (Sums are never tiny and inexact, so addition cannot underflow.)
TEST(OperandGenerator, ReachesEachOperationsEdges) {
  if constexpr (!HasX87) {
    GTEST_SKIP() << "the reference needs an x86 processor";
  } else {
    const std::tuple<Operation, std::uint16_t> edges[] = {
        {Operation::Add, Flag::Overflow},       {Operation::Add, Flag::Denormal},
        {Operation::Subtract, Flag::Invalid},   {Operation::Multiply, Flag::Overflow},
        {Operation::Multiply, Flag::Underflow}, {Operation::Divide, Flag::Overflow},
        {Operation::Divide, Flag::Underflow},   {Operation::Divide, Flag::ZeroDivide},
        {Operation::SquareRoot, Flag::Invalid}, {Operation::SquareRoot, Flag::Denormal},
        {Operation::Compare, Flag::Invalid},    {Operation::FromDouble, Flag::Denormal},
        {Operation::FromDouble, Flag::Invalid}, {Operation::ToDouble, Flag::Overflow},
        {Operation::ToDouble, Flag::Underflow}, {Operation::ToSingle, Flag::Overflow},
        {Operation::ToSingle, Flag::Underflow}, {Operation::ToInt64, Flag::Invalid},
    };
    constexpr int Draws = 20'000;
    for (const auto& [op, flag] : edges) {
      OperandGenerator generator(2);
      int hits = 0;
      for (int i = 0; i < Draws; ++i) {
        const Outcome got =
            hardwareOutcome(op, controlWordFor(RoundingMode::ToNearest), generator.next(op));
        hits += (got.flags & flag) != 0;
      }
      EXPECT_GE(hits, Draws / 200) << operationName(op) << " flag " << flag;
    }
  }
}

struct Run {
  Operation op;
  RoundingMode mode;
};

std::string runName(const Run& run) {
  return std::string(operationName(run.op)) + "_" + std::string(roundingModeName(run.mode));
}

void PrintTo(const Run& run, std::ostream* os) {
  *os << runName(run);
}

std::vector<Run> allRuns() {
  std::vector<Run> runs;
  for (Operation op : AllOperations) {
    for (RoundingMode mode : AllRoundingModes) runs.push_back({op, mode});
  }
  return runs;
}

class X87Differential : public testing::TestWithParam<Run> {};

TEST_P(X87Differential, MatchesTheProcessor) {
  if constexpr (!HasX87) {
    GTEST_SKIP() << "the reference needs an x86 processor";
  } else {
    const auto [op, mode] = GetParam();
    const std::uint64_t cases = mode == RoundingMode::ToNearest ? 1'000'000 : 250'000;
    const DifferentialResult result = runDifferential(op, mode, cases, seedFor(op, mode, 0));
    std::string examples;
    for (const std::string& line : result.examples) examples += "\n  " + line;
    EXPECT_EQ(result.mismatches, 0u) << "of " << result.cases << " cases; the first:" << examples;
  }
}

INSTANTIATE_TEST_SUITE_P(AllOperations, X87Differential, testing::ValuesIn(allRuns()),
                         [](const testing::TestParamInfo<Run>& info) {
                           return runName(info.param);
                         });

}  // namespace
}  // namespace x87test
