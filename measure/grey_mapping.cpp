#include "grey_mapping.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace measure {

namespace {

constexpr double White = 255;

double WindowGrey(double value, const imaging::DisplayWindow& window) {
  const double low = window.center - 0.5 - (window.width - 1) / 2;
  const double high = window.center - 0.5 + (window.width - 1) / 2;
  // In this order a width of 1 or less never reaches the division.
  if (value <= low) return 0;
  if (value > high) return White;
  return ((value - (window.center - 0.5)) / (window.width - 1) + 0.5) * White;
}

}  // namespace

imaging::DisplayWindow ChooseDisplayWindow(const imaging::DicomImage& image,
                                           std::span<const imaging::Roi> rois) {
  if (image.window()) return *image.window();
  double lowest = std::numeric_limits<double>::infinity();
  double highest = -lowest;
  const imaging::PixelView pixels = image.pixels();
  for (const imaging::Roi& roi : rois) {
    for (int y = roi.y; y < roi.bottom(); ++y) {
      const auto row = pixels.row(y).subspan(static_cast<std::size_t>(roi.x),
                                             static_cast<std::size_t>(roi.width));
      const auto [smallest, largest] = std::minmax_element(row.begin(), row.end());
      // A negative slope turns the order of the modality values round.
      for (const std::uint16_t value : {*smallest, *largest}) {
        lowest = std::min(lowest, image.displayValue(value));
        highest = std::max(highest, image.displayValue(value));
      }
    }
  }
  if (lowest > highest) return {};
  // With this centre and width the linear function maps lowest to 0 and highest to 255.
  return {(lowest + highest) / 2, std::max(highest - lowest, 1.0)};
}

std::vector<std::uint8_t> GreyTable(const imaging::DicomImage& image,
                                    const imaging::DisplayWindow& window) {
  const bool inverted = image.photometric() == imaging::Photometric::Monochrome1;
  std::vector<std::uint8_t> table(std::size_t{1} << 16);
  for (std::size_t value = 0; value < table.size(); ++value) {
    const double grey = WindowGrey(image.displayValue(static_cast<std::uint16_t>(value)), window);
    const auto level = static_cast<std::uint8_t>(std::lround(std::clamp(grey, 0.0, White)));
    table[value] = inverted ? static_cast<std::uint8_t>(White - level) : level;
  }
  return table;
}

}  // namespace measure
