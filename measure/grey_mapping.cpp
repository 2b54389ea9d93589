#include "grey_mapping.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "imaging/exposed_field.h"

namespace measure {

namespace {

constexpr double White = 255;
constexpr double OutsideShare = 0.005;  // of the field, beyond each end of the window's span
constexpr double Margin = 0.25;         // of the span, added on either side
constexpr int HistogramRows = 1024;     // at least, where the field has them

enum class Place : std::uint8_t { Below, Inside, Above };

// Where DICOM's linear function puts a modality value. In this order a width of 1 or less never
// reaches the division.
Place WindowPlace(double value, const imaging::DisplayWindow& window) {
  if (value <= window.center - 0.5 - (window.width - 1) / 2) return Place::Below;
  if (value > window.center - 0.5 + (window.width - 1) / 2) return Place::Above;
  return Place::Inside;
}

double WindowGrey(double value, const imaging::DisplayWindow& window) {
  switch (WindowPlace(value, window)) {
    case Place::Below:
      return 0;
    case Place::Above:
      return White;
    case Place::Inside:
      break;
  }
  return ((value - (window.center - 0.5)) / (window.width - 1) + 0.5) * White;
}

}  // namespace

imaging::DisplayWindow AutomaticDisplayWindow(const imaging::DicomImage& image) {
  const imaging::PixelView pixels = image.pixels();
  const imaging::Roi field = imaging::FindExposedField(pixels, image.bitsStored()).field;
  // A thousand rows give the percentiles as well as all of them, in a fraction of the time the
  // first picture waits for.
  const int rowStep = std::max(1, field.height / HistogramRows);
  std::vector<std::uint32_t> histogram(std::size_t{1} << 16);
  std::uint64_t counted = 0;
  for (int y = field.y; y < field.bottom(); y += rowStep) {
    for (const std::uint16_t value : pixels.row(y).subspan(static_cast<std::size_t>(field.x),
                                                           static_cast<std::size_t>(field.width)))
      ++histogram[value];
    counted += static_cast<std::uint64_t>(field.width);
  }
  // From either end, the first value with more than the outside share of the field up to it.
  const auto outside = static_cast<std::uint64_t>(OutsideShare * static_cast<double>(counted));
  std::uint64_t seen = 0;
  std::size_t low = 0;
  while ((seen += histogram[low]) <= outside) ++low;
  seen = 0;
  std::size_t high = histogram.size() - 1;
  while ((seen += histogram[high]) <= outside) --high;
  // A negative slope turns the order of the modality values round.
  const double first = image.displayValue(static_cast<std::uint16_t>(low));
  const double last = image.displayValue(static_cast<std::uint16_t>(high));
  const double lowest = std::min(first, last);
  const double highest = std::max(first, last);
  const double span = highest - lowest;
  return {(lowest + highest) / 2, std::max(span * (1 + 2 * Margin), 1.0)};
}

GreyTable MakeGreyTable(const imaging::DicomImage& image, const imaging::DisplayWindow& window) {
  const bool inverted = image.photometric() == imaging::Photometric::Monochrome1;
  GreyTable table;
  table.greys.resize(std::size_t{1} << 16);
  for (std::size_t value = 0; value < table.greys.size(); ++value) {
    const double modality = image.displayValue(static_cast<std::uint16_t>(value));
    const double grey = WindowGrey(modality, window);
    const auto level = static_cast<std::uint8_t>(std::lround(std::clamp(grey, 0.0, White)));
    table.greys[value] = inverted ? static_cast<std::uint8_t>(White - level) : level;
    // The rescale is linear, so the values inside form one run.
    if (WindowPlace(modality, window) == Place::Inside) {
      if (table.lastInside < 0) table.firstInside = static_cast<int>(value);
      table.lastInside = static_cast<int>(value);
    }
  }
  return table;
}

}  // namespace measure
