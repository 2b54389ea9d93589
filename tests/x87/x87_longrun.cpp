// Long differential run of the software unit against the processor's x87:
//   x87-longrun [cases per operation = 1e8] [threads = 2] [first seed stream = 1]
// The cases of each operation are spread evenly over the four rounding modes and the threads;
// stream 0 is the one the unit test uses.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "differential.h"
#include "x87_reference.h"

namespace {

using namespace x87test;

constexpr std::size_t MaxExamples = 5;

std::uint64_t argument(int argc, char** argv, int index, std::uint64_t fallback) {
  return index < argc ? std::strtoull(argv[index], nullptr, 10) : fallback;
}

// Runs one operation; returns its mismatch count.
std::uint64_t runOperation(Operation op, std::uint64_t cases, unsigned threads,
                           std::uint64_t firstStream) {
  const auto start = std::chrono::steady_clock::now();
  const std::uint64_t slices = threads * AllRoundingModes.size();
  std::vector<DifferentialResult> results(slices);
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      for (std::size_t m = 0; m < AllRoundingModes.size(); ++m) {
        const std::uint64_t slice = t * AllRoundingModes.size() + m;
        const std::uint64_t share = cases / slices + (slice < cases % slices ? 1 : 0);
        const calc::RoundingMode mode = AllRoundingModes[m];
        results[slice] =
            runDifferential(op, mode, share, seedFor(op, mode, firstStream + t), MaxExamples);
      }
    });
  }
  for (std::thread& worker : workers) worker.join();
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();

  std::uint64_t total = 0, mismatches = 0;
  for (const DifferentialResult& result : results) {
    total += result.cases;
    mismatches += result.mismatches;
  }
  std::printf("%-11s cases %12llu  mismatches %10llu  time %8.1f s\n",
              std::string(operationName(op)).c_str(), static_cast<unsigned long long>(total),
              static_cast<unsigned long long>(mismatches), seconds);
  std::size_t shown = 0;
  for (const DifferentialResult& result : results) {
    for (const std::string& line : result.examples) {
      if (shown++ < MaxExamples) std::printf("    %s\n", line.c_str());
    }
  }
  std::fflush(stdout);
  return mismatches;
}

}  // namespace

int main(int argc, char** argv) {
  if constexpr (!HasX87) {
    std::puts("x87-longrun needs an x86 processor");
    return 0;
  } else {
    const std::uint64_t cases = argument(argc, argv, 1, 100'000'000);
    const auto threads = static_cast<unsigned>(argument(argc, argv, 2, 2));
    const std::uint64_t firstStream = argument(argc, argv, 3, 1);
    if (threads == 0) {
      std::fputs("the thread count must be at least 1\n", stderr);
      return 2;
    }
    std::uint64_t mismatches = 0;
    for (Operation op : AllOperations) mismatches += runOperation(op, cases, threads, firstStream);
    return mismatches == 0 ? 0 : 1;
  }
}
