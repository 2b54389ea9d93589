// Each operation of the software unit beside the same operation on the processor's x87, on the
// same operands, so the cost of computing in software reads as a ratio.
#include <benchmark/benchmark.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "calc/extended_ops.h"
#include "calc/number_text.h"

namespace {

#if defined(__x86_64__) || defined(__i386__)
constexpr bool HasX87 = true;
#else
constexpr bool HasX87 = false;  // long double is not the x87 format here
#endif

// Typical field values and results: full and short significands, exponents from 2^-17 to 2^16.
// Cycling through them keeps either side from being folded to a constant.
constexpr std::size_t OperandCount = 16;
constexpr std::array<std::string_view, OperandCount> OperandTexts{
    {"512.3", "12.1", "498.7", "11.4", "1000", "0.125", "31.62", "1500", "20", "0.12", "1E-5",
     "7.25", "65535.9", "3.14159265358979", "0.333333333333333333", "2.718281828459045"}};

struct Operands {
  std::array<calc::Extended, OperandCount> a, b;
  std::array<double, OperandCount> d;
  std::array<long double, OperandCount> x87A{}, x87B{};  // the bit images of a and b, on x87 only
};

Operands makeOperands() {
  calc::Fpu fpu(calc::ParseFpuControlWord);
  Operands o;
  for (std::size_t i = 0; i < OperandCount; ++i)
    o.a[i] = calc::ParseNumberText(fpu, OperandTexts[i]).value;
  for (std::size_t i = 0; i < OperandCount; ++i) {
    o.b[i] = o.a[(i + 5) % OperandCount];  // pairs with differing exponents
    o.d[i] = calc::toDouble(fpu, o.a[i]);
  }
  if constexpr (HasX87) {
    for (std::size_t i = 0; i < OperandCount; ++i) {
      std::memcpy(&o.x87A[i], &o.a[i], 10);
      std::memcpy(&o.x87B[i], &o.b[i], 10);
    }
  }
  return o;
}

const Operands& operands() {
  static const Operands o = makeOperands();
  return o;
}

template <typename Compute>
void cycle(benchmark::State& state, Compute compute) {
  std::size_t i = 0;
  for (auto _ : state) {
    auto result = compute(i);
    benchmark::DoNotOptimize(result);
    i = (i + 1) % OperandCount;
  }
}

template <typename Op>
void soft(benchmark::State& state) {
  calc::Fpu fpu(calc::ParseFpuControlWord);
  const Operands& o = operands();
  cycle(state, [&](std::size_t i) { return Op::soft(fpu, o, i); });
}

template <typename Op>
void x87(benchmark::State& state) {
  const Operands& o = operands();
  cycle(state, [&](std::size_t i) { return Op::x87(o, i); });
}

// Each operation as the software unit and as the processor's long double arithmetic compute it.
struct Add {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::add(fpu, o.a[i], o.b[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return o.x87A[i] + o.x87B[i]; }
};
struct Subtract {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::subtract(fpu, o.a[i], o.b[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return o.x87A[i] - o.x87B[i]; }
};
struct Multiply {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::multiply(fpu, o.a[i], o.b[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return o.x87A[i] * o.x87B[i]; }
};
struct Divide {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::divide(fpu, o.a[i], o.b[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return o.x87A[i] / o.x87B[i]; }
};
struct SquareRoot {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::squareRoot(fpu, o.a[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return std::sqrt(o.x87A[i]); }
};
struct ToDouble {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::toDouble(fpu, o.a[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return static_cast<double>(o.x87A[i]); }
};
struct FromDouble {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::fromDouble(fpu, o.d[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return static_cast<long double>(o.d[i]); }
};
// FISTP rounds under the rounding mode, as llrint does; a cast would truncate instead.
struct ToInt64 {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::toInt64(fpu, o.a[i]);
  }
  static auto x87(const Operands& o, std::size_t i) { return std::llrint(o.x87A[i]); }
};
struct Compare {
  static auto soft(calc::Fpu& fpu, const Operands& o, std::size_t i) {
    return calc::compare(fpu, o.a[i], o.b[i]);
  }
  static auto x87(const Operands& o, std::size_t i) {
    const long double a = o.x87A[i], b = o.x87B[i];
    return a < b    ? calc::Ordering::Less
           : a > b  ? calc::Ordering::Greater
           : a == b ? calc::Ordering::Equal
                    : calc::Ordering::Unordered;
  }
};

// Registers name/soft and, on x87 machines, name/x87 right after it.
template <typename Op>
bool registerPair(const std::string& name) {
  benchmark::RegisterBenchmark((name + "/soft").c_str(), soft<Op>);
  if constexpr (HasX87) benchmark::RegisterBenchmark((name + "/x87").c_str(), x87<Op>);
  return true;
}

[[maybe_unused]] const bool registered =
    registerPair<Add>("BM_Add") && registerPair<Subtract>("BM_Subtract") &&
    registerPair<Multiply>("BM_Multiply") && registerPair<Divide>("BM_Divide") &&
    registerPair<SquareRoot>("BM_SquareRoot") && registerPair<ToDouble>("BM_ToDouble") &&
    registerPair<FromDouble>("BM_FromDouble") && registerPair<ToInt64>("BM_ToInt64") &&
    registerPair<Compare>("BM_Compare");

}  // namespace
