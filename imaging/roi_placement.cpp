#include "roi_placement.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "background_continuity.h"
#include "robust_statistics.h"
#include "roi_inspection.h"

namespace imaging {

namespace {

constexpr int FieldMarginBlocks = 2;
constexpr double NoiseTolerance = 1.25;  // against the median of the nearest places
constexpr std::size_t NoiseReferencePlaces = 6;

Roi Transposed(const Roi& roi) {
  return {roi.y, roi.x, roi.height, roi.width};
}

// "Al" moved parallel to the chest wall, on both sides of the object, from one block beyond
// where the object may reach (so that no block around the place holds the object's blurred
// edge) out to a ROI side beyond, one step at a time, as long as it stays inside the exposed
// field; nearest first. The dose falls off from the middle of the chest-wall edge towards both
// sides of the field, more steeply farther out, so where "Al" lies off the middle a place on its
// outer side counts as farther by as much, up to a quarter of a ROI side: the other side's
// nearest place still comes before one farther out on the same side.
std::vector<Roi> PlacesBesideObject(const ExposureSurvey& survey, const Roi& aluminium,
                                    const FoundObject& object) {
  // Worked out as if the chest wall were the left or right edge; otherwise transposed.
  const bool transposed = !survey.chestWall.isVertical();
  const auto frame = [&](const Roi& roi) { return transposed ? Transposed(roi) : roi; };
  const Roi al = frame(aluminium);
  const Roi field = frame(survey.field.field);
  const Roi reach = frame(object.reach);
  if (al.x < field.x || al.right() > field.right()) return {};
  const int block = object.blockSize;
  const int step = std::max(block, al.height / 8);
  const int lowest = field.y + FieldMarginBlocks * block;
  const int highest = field.bottom() - FieldMarginBlocks * block - al.height;
  const int offMiddle =
      al.y + al.height / 2 - (transposed ? survey.pixels.width : survey.pixels.height) / 2;
  const int outerPenalty = std::min(al.height / 4, std::abs(offMiddle));
  struct Place {
    int cost;
    Roi roi;
  };
  std::vector<Place> places;
  for (int distance = block; distance <= block + al.height; distance += step) {
    for (const int y : {reach.y - al.height - distance, reach.bottom() + distance}) {
      if (y < lowest || y > highest) continue;
      const bool outer = (y > al.y) == (offMiddle > 0);
      places.push_back(
          {distance + (outer ? outerPenalty : 0), frame(Roi{al.x, y, al.width, al.height})});
    }
  }
  std::stable_sort(places.begin(), places.end(),
                   [](const Place& a, const Place& b) { return a.cost < b.cost; });
  std::vector<Roi> rois;
  for (const Place& place : places) rois.push_back(place.roi);
  return rois;
}

// The nearest clean place for "BG" (see PlaceRois), or with cleanOnly false the nearest place.
std::optional<Roi> FindBackground(const ExposureSurvey& survey, const Roi& aluminium,
                                  const FoundObject& object, bool cleanOnly) {
  const std::vector<Roi> places = PlacesBesideObject(survey, aluminium, object);
  if (places.empty()) return std::nullopt;
  if (!cleanOnly) return places.front();
  struct Inspected {
    Roi roi;
    RoiInspection inspection;
  };
  std::vector<Inspected> candidates;
  std::vector<double> noises;
  const BackgroundAlongChestWall backgroundAlong(survey, object, aluminium);
  for (const Roi& place : places) {
    if (survey.overlapsObject(place) ||
        backgroundAlong.departure(place).kind != BackgroundBreak::None)
      continue;
    const RoiInspection inspection = InspectRoi(survey.pixels, place);
    if (inspection.isDisturbed() || survey.showsStructure(place, inspection.noise)) continue;
    candidates.push_back({place, inspection});
    if (noises.size() < NoiseReferencePlaces) noises.push_back(inspection.noise);
    // The nearest places give the reference; beyond them, the first that matches it will do.
    if (noises.size() == NoiseReferencePlaces) break;
  }
  if (candidates.empty()) return std::nullopt;
  const double reference = UpperMedian(noises);
  for (const Inspected& candidate : candidates) {
    const double noise = candidate.inspection.noise;
    if (noise <= NoiseTolerance * reference && reference <= NoiseTolerance * noise)
      return candidate.roi;
  }
  return std::nullopt;
}

Roi CentredIn(const Roi& area, int side) {
  return {area.x + (area.width - side) / 2, area.y + (area.height - side) / 2, side, side};
}

// The largest side not above `size` for two squares with a gap of a quarter side between them
// along `along` and within `across`; 0 if not even two single pixels fit.
int PairSide(int size, int along, int across) {
  int side = std::min({size, across, along / 2});
  while (side > 0 && 2 * side + side / 4 > along) --side;
  return std::max(side, 0);
}

}  // namespace

int AluminiumRoiSide(const FoundObject& aluminium, int preferredSize) {
  const int shorterSide = std::min(aluminium.inside.width, aluminium.inside.height);
  const int innerMargin = std::min(aluminium.blockSize, shorterSide / 4);
  return std::max(1, std::min(preferredSize, shorterSide - 2 * innerMargin));
}

RoiPlacement PlaceRoisAtCentre(const Roi& area, int size) {
  size = std::max(size, 1);
  const int sideAcross = PairSide(size, area.width, area.height);
  const int sideDown = PairSide(size, area.height, area.width);
  if (sideAcross == 0 && sideDown == 0) {
    // At most one pixel each way: both share what there is.
    const int side = std::max(std::min({size, area.width, area.height}), 0);
    const Roi whole{area.x, area.y, side, side};
    return {whole, whole, std::nullopt};
  }
  const bool across = sideAcross >= sideDown;
  const int side = across ? sideAcross : sideDown;
  const int pairLength = 2 * side + side / 4;
  const int start = ((across ? area.width : area.height) - pairLength) / 2;
  const int middle = ((across ? area.height : area.width) - side) / 2;
  const Roi first{start, middle, side, side};
  const Roi second{start + pairLength - side, middle, side, side};
  const auto placed = [&](const Roi& roi) {
    const Roi turned = across ? roi : Transposed(roi);
    return Roi{area.x + turned.x, area.y + turned.y, turned.width, turned.height};
  };
  return {placed(first), placed(second), std::nullopt};
}

RoiPlacement PlaceRois(const ExposureSurvey& survey, int preferredSize) {
  if (!survey.aluminium) return PlaceRoisAtCentre(survey.field.field, preferredSize);
  const FoundObject& object = *survey.aluminium;
  const int largest = AluminiumRoiSide(object, std::max(preferredSize, 1));
  // A clean background is worth a smaller pair, down to half the side; a disturbed one is left
  // to the checks to report rather than shrinking both to nothing.
  for (const bool cleanOnly : {true, false}) {
    const int smallest = cleanOnly ? (largest + 1) / 2 : 1;
    for (int size = largest; size >= smallest; size -= std::max(1, size / 8)) {
      const Roi aluminium = CentredIn(object.inside, size);
      if (const auto background = FindBackground(survey, aluminium, object, cleanOnly))
        return {aluminium, *background, object.inside};
    }
  }
  // An object that leaves no room for the background is of no use.
  return PlaceRoisAtCentre(survey.field.field, preferredSize);
}

}  // namespace imaging
