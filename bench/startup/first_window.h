// One start of a program on the X display: how long until its first window is mapped, and how
// much memory it had at its peak.
#pragma once

#include <optional>

struct StartSample {
  double mapMilliseconds;
  double peakMebibytes;
};

// Starts program, waits for its first top-level window, lets it paint, then ends it. Empty when
// the program ended or stalled before it showed a window.
std::optional<StartSample> MeasureStart(const char* program);
