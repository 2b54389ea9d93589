#include "chest_wall.h"

#include <cmath>
#include <optional>
#include <string_view>

namespace imaging {

namespace {

constexpr double SmallestHeel = 0.02;
constexpr double HeelDominance = 2;

constexpr ImageEdge Opposite(ImageEdge edge) {
  return static_cast<ImageEdge>((static_cast<int>(edge) + 2) % 4);
}

std::optional<ImageEdge> FromHeel(const HeelSlope& heel) {
  const double across = std::abs(heel.leftToRight);
  const double down = std::abs(heel.topToBottom);
  if (across >= SmallestHeel && across >= HeelDominance * down)
    return heel.leftToRight > 0 ? ImageEdge::Right : ImageEdge::Left;
  if (down >= SmallestHeel && down >= HeelDominance * across)
    return heel.topToBottom > 0 ? ImageEdge::Bottom : ImageEdge::Top;
  return std::nullopt;
}

std::optional<ImageEdge> FromBorders(const std::array<bool, 4>& borders) {
  std::optional<ImageEdge> found;
  for (int i = 0; i < 4; ++i) {
    const auto edge = static_cast<ImageEdge>(i);
    if (borders[static_cast<std::size_t>(i)] ||
        !borders[static_cast<std::size_t>(Opposite(edge))])
      continue;
    if (found) return std::nullopt;  // two candidates: no verdict
    found = edge;
  }
  return found;
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
