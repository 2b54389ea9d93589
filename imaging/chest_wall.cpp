#include "chest_wall.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string_view>

namespace imaging {

namespace {

constexpr double SmallestHeel = 0.02;
constexpr double StrongHeel = 0.05;
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
  std::optional<ChestWall> image;
  bool strongImage = false;
  if (const auto edge = FromHeel(heel)) {
    image = ChestWall{*edge, ChestWallEvidence::Heel};
    strongImage = std::max(std::abs(heel.leftToRight), std::abs(heel.topToBottom)) >= StrongHeel;
  } else if (const auto edge = FromBorders(borders)) {
    image = ChestWall{*edge, ChestWallEvidence::Borders};
    strongImage = true;
  }
  std::optional<ChestWall> file;
  if (const auto edge = FromOrientation(context.patientOrientation))
    file = ChestWall{*edge, ChestWallEvidence::PatientOrientation};
  else if (const auto edge = FromLaterality(context.laterality))
    file = ChestWall{*edge, ChestWallEvidence::Laterality};
  if (image && file && image->edge != file->edge) {
    ChestWall stronger = strongImage ? *image : *file;
    const ChestWall& weaker = strongImage ? *file : *image;
    stronger.disputedEdge = weaker.edge;
    stronger.disputedBy = weaker.evidence;
    return stronger;
  }
  if (image) return *image;
  if (file) return *file;
  return {height >= width ? ImageEdge::Left : ImageEdge::Top, ChestWallEvidence::ImageShape};
}

}  // namespace imaging
