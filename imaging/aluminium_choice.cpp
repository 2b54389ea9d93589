#include "aluminium_choice.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace imaging {

namespace {

constexpr double LargestSideRatio = 2;
constexpr double SmallestSideMm = 5;
constexpr double LargestSideMm = 40;

bool IsSquare(const Roi& box) {
  return std::max(box.width, box.height) <= LargestSideRatio * std::min(box.width, box.height);
}

bool HasTestObjectSize(const Roi& box, double pixelSpacingMm) {
  if (pixelSpacingMm <= 0) return true;
  return std::min(box.width, box.height) * pixelSpacingMm >= SmallestSideMm &&
         std::max(box.width, box.height) * pixelSpacingMm <= LargestSideMm;
}

}  // namespace

double RelativeContrast(const FoundObject& object, double zeroLevel) {
  const double signal = std::abs(object.level - zeroLevel);
  return signal > 0 ? std::abs(object.contrast) / signal : 0;
}

AluminiumDoubt DoubtAbout(const FoundObject& object, double zeroLevel) {
  // An absorber moves the values from the background's level towards no dose.
  if ((object.contrast < 0) != (zeroLevel < object.level)) return AluminiumDoubt::AddsDose;
  const double contrast = RelativeContrast(object, zeroLevel);
  if (contrast > HighestAluminiumContrast) return AluminiumDoubt::TooStrong;
  if (contrast < LowestAluminiumContrast) return AluminiumDoubt::TooFaint;
  return AluminiumDoubt::None;
}

AluminiumChoice ChooseAluminium(std::span<const FoundObject> objects,
                                std::span<const double> zeroLevels, double pixelSpacingMm) {
  AluminiumChoice choice;
  if (zeroLevels.empty()) return choice;
  choice.zeroLevel = zeroLevels.front();
  const auto freeOfDoubtUnder = [&](const FoundObject& object) {
    return std::find_if(zeroLevels.begin(), zeroLevels.end(), [&](double zero) {
      return DoubtAbout(object, zero) == AluminiumDoubt::None;
    });
  };
  const auto rank = [&](const FoundObject& object) {
    return std::tuple{freeOfDoubtUnder(object) != zeroLevels.end(), IsSquare(object.estimate),
                      HasTestObjectSize(object.estimate, pixelSpacingMm),
                      object.estimate.count()};
  };
  const FoundObject* best = nullptr;
  for (const FoundObject& object : objects)
    if (!best || rank(object) > rank(*best)) best = &object;
  if (!best) return choice;
  choice.aluminium = *best;
  auto zero = freeOfDoubtUnder(*best);
  // Whatever it is, it is likelier to take dose away than to add it.
  if (zero == zeroLevels.end())
    zero = std::find_if(zeroLevels.begin(), zeroLevels.end(),
                        [&](double level) { return (best->contrast < 0) == (level < best->level); });
  if (zero != zeroLevels.end()) choice.zeroLevel = *zero;
  return choice;
}

}  // namespace imaging
