// Usage: startup-timer RUNS PROGRAM [PROGRAM...]
// Starts each program RUNS times on $DISPLAY and reports the time from its start to its first
// mapped window (median, least, most) and its median peak memory; then every program's ratios
// to the last one, the floor it is compared with.
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "first_window.h"

namespace {

// A start that fails, say because the display refused the connection, is tried again.
constexpr int Attempts = 5;

struct Program {
  const char* path;
  std::vector<double> mapMilliseconds;
  std::vector<double> peakMebibytes;
};

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t middle = values.size() / 2;
  return values.size() % 2 != 0 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Lets the previous program's end settle in the X server and the kernel.
void settle() {
  const timespec gap{0, 20'000'000};
  nanosleep(&gap, nullptr);
}

bool measure(Program& program) {
  for (int attempt = 0; attempt < Attempts; ++attempt) {
    if (const auto sample = MeasureStart(program.path)) {
      program.mapMilliseconds.push_back(sample->mapMilliseconds);
      program.peakMebibytes.push_back(sample->peakMebibytes);
      return true;
    }
    std::fprintf(stderr, "startup-timer: %s showed no window, trying again\n", program.path);
    settle();
  }
  return false;
}

// One start of every program; each run begins with the next one, so no program always
// follows the same other.
bool runRound(std::vector<Program>& programs, std::size_t first) {
  for (std::size_t i = 0; i < programs.size(); ++i) {
    if (!measure(programs[(first + i) % programs.size()])) return false;
    settle();
  }
  return true;
}

std::string baseName(const char* path) {
  const std::string text(path);
  return text.substr(text.find_last_of('/') + 1);
}

void report(const std::vector<Program>& programs) {
  std::printf("%-24s %10s %8s %8s %14s\n", "program", "median ms", "min ms", "max ms",
              "peak RSS MiB");
  for (const Program& program : programs) {
    const auto [least, most] =
        std::minmax_element(program.mapMilliseconds.begin(), program.mapMilliseconds.end());
    std::printf("%-24s %10.1f %8.1f %8.1f %14.1f\n", baseName(program.path).c_str(),
                median(program.mapMilliseconds), *least, *most, median(program.peakMebibytes));
  }
  const Program& floor = programs.back();
  for (std::size_t i = 0; i + 1 < programs.size(); ++i) {
    std::printf("%s / %s: time %.2f, memory %.2f\n", baseName(programs[i].path).c_str(),
                baseName(floor.path).c_str(),
                median(programs[i].mapMilliseconds) / median(floor.mapMilliseconds),
                median(programs[i].peakMebibytes) / median(floor.peakMebibytes));
  }
}

}  // namespace

int main(int argc, char* argv[]) {
  const int runs = argc >= 3 ? std::atoi(argv[1]) : 0;
  if (runs < 1) {
    std::fputs("usage: startup-timer RUNS PROGRAM [PROGRAM...]\n", stderr);
    return 2;
  }
  std::vector<Program> programs;
  for (int i = 2; i < argc; ++i) programs.push_back({argv[i], {}, {}});

  // An uncounted round first, so no program pays alone for loading the libraries from disk.
  if (!runRound(programs, 0)) return 1;
  for (Program& program : programs) {
    program.mapMilliseconds.clear();
    program.peakMebibytes.clear();
  }
  for (int run = 0; run < runs; ++run) {
    if (!runRound(programs, static_cast<std::size_t>(run))) return 1;
  }
  report(programs);
  return 0;
}
