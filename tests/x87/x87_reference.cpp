#include "x87_reference.h"

namespace x87test::hw {
namespace {

using calc::Extended;

// fninit on the way in gives a clean status word and stack; fninit on the way out hands the
// compiler's own x87 code its default setting back.
#define X87_BEGIN "fninit\n\tfldcw %[cw]\n\t"
#define X87_END "fnstsw %[sw]\n\tfninit"
#define X87_CLOBBERS "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"

std::uint16_t flagsOf(std::uint16_t statusWord) {
  return statusWord & 0x3F;
}

}  // namespace

// b is loaded first so that a ends up in ST(0). The register forms with %st as destination are
// the non-reversed instructions in AT&T syntax too: ST(0) = ST(0) op ST(1).
#define X87_BINARY(name, instruction)                                 \
  Hardware<Extended> name(std::uint16_t cw, Extended a, Extended b) { \
    Extended result;                                                  \
    std::uint16_t sw;                                                 \
    asm volatile(X87_BEGIN "fldt %[b]\n\tfldt %[a]\n\t" instruction   \
                           " %%st(1), %%st\n\tfstpt %[r]\n\t" X87_END \
                 : [r] "=m"(result), [sw] "=m"(sw)                    \
                 : [cw] "m"(cw), [a] "m"(a), [b] "m"(b)               \
                 : X87_CLOBBERS);                                     \
    return {result, flagsOf(sw)};                                     \
  }

X87_BINARY(add, "fadd")
X87_BINARY(subtract, "fsub")
X87_BINARY(multiply, "fmul")
X87_BINARY(divide, "fdiv")

// One value in, one stored out; sequence loads [in] and stores [r].
#define X87_UNARY(name, Result, Input, sequence)      \
  Hardware<Result> name(std::uint16_t cw, Input in) { \
    Result result{};                                  \
    std::uint16_t sw;                                 \
    asm volatile(X87_BEGIN sequence X87_END           \
                 : [r] "=m"(result), [sw] "=m"(sw)    \
                 : [cw] "m"(cw), [in] "m"(in)         \
                 : X87_CLOBBERS);                     \
    return {result, flagsOf(sw)};                     \
  }

X87_UNARY(squareRoot, Extended, Extended, "fldt %[in]\n\tfsqrt\n\tfstpt %[r]\n\t")
X87_UNARY(absolute, Extended, Extended, "fldt %[in]\n\tfabs\n\tfstpt %[r]\n\t")
X87_UNARY(negate, Extended, Extended, "fldt %[in]\n\tfchs\n\tfstpt %[r]\n\t")
X87_UNARY(fromInt64, Extended, std::int64_t, "fildll %[in]\n\tfstpt %[r]\n\t")
X87_UNARY(fromDouble, Extended, std::uint64_t, "fldl %[in]\n\tfstpt %[r]\n\t")
X87_UNARY(toDouble, std::uint64_t, Extended, "fldt %[in]\n\tfstpl %[r]\n\t")
X87_UNARY(toSingle, std::uint32_t, Extended, "fldt %[in]\n\tfstps %[r]\n\t")
X87_UNARY(toInt64, std::int64_t, Extended, "fldt %[in]\n\tfistpll %[r]\n\t")

Hardware<calc::Ordering> compare(std::uint16_t cw, Extended a, Extended b) {
  std::uint16_t sw;
  asm volatile(X87_BEGIN "fldt %[b]\n\tfldt %[a]\n\tfcom %%st(1)\n\t" X87_END
               : [sw] "=m"(sw)
               : [cw] "m"(cw), [a] "m"(a), [b] "m"(b)
               : X87_CLOBBERS);
  // Condition codes C3 (bit 14), C2 (bit 10) and C0 (bit 8).
  constexpr std::uint16_t C0 = 0x0100, C2 = 0x0400, C3 = 0x4000;
  calc::Ordering order = calc::Ordering::Unordered;
  switch (sw & (C3 | C2 | C0)) {
    case 0:
      order = calc::Ordering::Greater;
      break;
    case C0:
      order = calc::Ordering::Less;
      break;
    case C3:
      order = calc::Ordering::Equal;
      break;
  }
  return {order, flagsOf(sw)};
}

}  // namespace x87test::hw
