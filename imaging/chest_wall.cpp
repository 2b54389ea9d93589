#include "chest_wall.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace imaging {

namespace {

constexpr double SmallestHeel = 0.02;
constexpr double HeelDominance = 2;

std::optional<ImageEdge> FromHeel(const HeelSlope& heel) {
  const double across = std::abs(heel.leftToRight);
  const double down = std::abs(heel.topToBottom);
  if (across >= SmallestHeel && across >= HeelDominance * down)
    return heel.leftToRight > 0 ? ImageEdge::Right : ImageEdge::Left;
  if (down >= SmallestHeel && down >= HeelDominance * across)
    return heel.topToBottom > 0 ? ImageEdge::Bottom : ImageEdge::Top;
  return std::nullopt;
}

// A field narrower than the detector is set against the chest wall and collimated on the other
// three sides; one or two collimated edges may be lateral ones and say nothing.
std::optional<ImageEdge> FromBorders(const std::array<bool, 4>& borders) {
  if (std::count(borders.begin(), borders.end(), true) != 3) return std::nullopt;
  return static_cast<ImageEdge>(std::find(borders.begin(), borders.end(), false) - borders.begin());
}

std::optional<ImageEdge> FromOrientation(std::string_view orientation) {
  const auto separator = orientation.find('\\');
  if (separator == std::string_view::npos) return std::nullopt;
  const std::string_view rows = orientation.substr(0, separator);
  const std::string_view columns = orientation.substr(separator + 1);
  if (rows.find('P') != std::string_view::npos) return ImageEdge::Right;
  if (rows.find('A') != std::string_view::npos) return ImageEdge::Left;
  if (columns.find('P') != std::string_view::npos) return ImageEdge::Bottom;
  if (columns.find('A') != std::string_view::npos) return ImageEdge::Top;
  return std::nullopt;
}

std::optional<ImageEdge> FromLaterality(std::string_view laterality) {
  if (laterality == "R") return ImageEdge::Right;
  if (laterality == "L") return ImageEdge::Left;
  return std::nullopt;
}

}  // namespace

ChestWall FindChestWall(const HeelSlope& heel, const std::array<bool, 4>& borders,
                        const ImageContext& context, int width, int height) {
  if (const auto edge = FromHeel(heel)) return {*edge, ChestWallEvidence::Heel};
  if (const auto edge = FromBorders(borders)) return {*edge, ChestWallEvidence::Borders};
  if (const auto edge = FromOrientation(context.patientOrientation))
    return {*edge, ChestWallEvidence::PatientOrientation};
  if (const auto edge = FromLaterality(context.laterality))
    return {*edge, ChestWallEvidence::Laterality};
  return {height >= width ? ImageEdge::Left : ImageEdge::Top, ChestWallEvidence::ImageShape};
}

}  // namespace imaging
