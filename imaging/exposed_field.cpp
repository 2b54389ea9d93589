#include "exposed_field.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <vector>

#include "robust_statistics.h"

namespace imaging {

namespace {

// Each profile value is the median of up to 32 groups of 8 neighbouring lines, spread over the
// middle half of the other direction: the groups average the noise down, the median ignores an
// object, a marker or a dead line that crosses a few of them.
constexpr int ProfileGroups = 32;
constexpr int GroupLines = 8;
constexpr int SmallestSide = 16;
constexpr int SmallestStrip = 2;
constexpr int LargestStripShare = 3;  // a strip covers at most a third of the profile
constexpr int MaxPenumbra = 32;
constexpr double StepInNoise = 10;
constexpr double StepShareOfRange = 0.5;
constexpr double PenumbraTolerance = 0.05;  // of the step: where the strip and the field begin
constexpr double ToleranceInProfileNoise = 3;

using Profile = std::vector<double>;

double MedianOf(const Profile& profile, int from, int to) {
  return UpperMedian(std::vector<double>(profile.begin() + from, profile.begin() + to));
}

// The first line of each group, spread evenly over the middle half of [0, extent).
struct Groups {
  std::vector<int> starts;
  int lines = 0;
};

Groups SpreadGroups(int extent) {
  const int bandStart = extent / 4;
  const int bandLength = extent - 2 * bandStart;
  Groups groups;
  groups.lines = std::min(GroupLines, bandLength);
  const int count = std::min(ProfileGroups, bandLength / groups.lines);
  const int room = bandLength - groups.lines;
  for (int i = 0; i < count; ++i)
    groups.starts.push_back(bandStart + (count > 1 ? room * i / (count - 1) : room / 2));
  return groups;
}

// The level of each column.
Profile ColumnProfile(const PixelView& image) {
  const Groups groups = SpreadGroups(image.height);
  const auto width = static_cast<std::size_t>(image.width);
  std::vector<double> groupMeans(groups.starts.size() * width);
  std::vector<std::uint32_t> sums(width);
  for (std::size_t g = 0; g < groups.starts.size(); ++g) {
    std::fill(sums.begin(), sums.end(), 0u);
    for (int y = groups.starts[g]; y < groups.starts[g] + groups.lines; ++y) {
      const auto line = image.row(y);
      for (std::size_t x = 0; x < width; ++x) sums[x] += line[x];
    }
    for (std::size_t x = 0; x < width; ++x)
      groupMeans[x * groups.starts.size() + g] = static_cast<double>(sums[x]) / groups.lines;
  }
  Profile profile(width);
  for (std::size_t x = 0; x < width; ++x) {
    const auto first = groupMeans.begin() + static_cast<std::ptrdiff_t>(x * groups.starts.size());
    profile[x] = UpperMedian(
        std::vector<double>(first, first + static_cast<std::ptrdiff_t>(groups.starts.size())));
  }
  return profile;
}

// The level of each row.
Profile RowProfile(const PixelView& image) {
  const Groups groups = SpreadGroups(image.width);
  Profile profile(static_cast<std::size_t>(image.height));
  std::vector<double> groupMeans(groups.starts.size());
  for (int y = 0; y < image.height; ++y) {
    const auto line = image.row(y);
    for (std::size_t g = 0; g < groups.starts.size(); ++g) {
      std::uint32_t sum = 0;
      for (int x = groups.starts[g]; x < groups.starts[g] + groups.lines; ++x) sum += line[x];
      groupMeans[g] = static_cast<double>(sum) / groups.lines;
    }
    profile[static_cast<std::size_t>(y)] = UpperMedian(groupMeans);
  }
  return profile;
}

// The pixel noise from the differences of neighbours in the middle half of the first row of each
// group the column profile reads.
double PixelNoise(const PixelView& image) {
  std::vector<double> differences;
  for (const int y : SpreadGroups(image.height).starts) {
    const auto line = image.row(y);
    for (int x = image.width / 4; x + 1 < image.width - image.width / 4; ++x)
      differences.push_back(std::abs(static_cast<double>(line[x + 1]) - line[x]));
  }
  // Integer values without noise still differ by rounding.
  return std::max(UpperMedian(std::move(differences)) * NeighbourDifferenceToDeviation, 0.5);
}

double ProfileNoise(const Profile& profile) {
  const int n = static_cast<int>(profile.size());
  std::vector<double> differences;
  for (int i = n / 4; i + 1 < n - n / 4; ++i)
    differences.push_back(std::abs(profile[i + 1] - profile[i]));
  return UpperMedian(std::move(differences)) * NeighbourDifferenceToDeviation;
}

// What the strip at the start of a profile must stand out against.
struct Scale {
  double centreLevel;  // the middle half of the profile: field
  double pixelNoise;
  double profileNoise;
  std::int32_t offset;  // of a signed image: its zero
  double top;           // the end of the value range above
};

// A strip at the start of a profile: flat at `level` from 0 to flatEnd, then the penumbra up to
// fieldStart.
struct Strip {
  int flatEnd = 0;
  int fieldStart = 0;
  double level = 0;
};

std::optional<Strip> FindStrip(const Profile& profile, const Scale& scale) {
  const int n = static_cast<int>(profile.size());
  // The outermost three, so that one dead line at the edge is neither strip nor field.
  const double edgeLevel = MedianOf(profile, 0, 3);
  if (std::abs(scale.centreLevel - edgeLevel) < StepInNoise * scale.pixelNoise) return std::nullopt;
  // The step: the first two neighbours past half-way to the field, so a dead line is stepped over.
  const double midpoint = (edgeLevel + scale.centreLevel) / 2;
  const bool rising = scale.centreLevel > edgeLevel;
  const auto pastMidpoint = [&](int i) { return (profile[i] > midpoint) == rising; };
  const int widest = n / LargestStripShare;
  int step = 0;
  while (step + 1 < widest && !(pastMidpoint(step) && pastMidpoint(step + 1))) ++step;
  if (step < SmallestStrip || step + 1 >= widest) return std::nullopt;

  const double level = MedianOf(profile, 0, step);
  const int fieldFrom = std::min(step + MaxPenumbra, n - 1);
  const double fieldLevel = MedianOf(profile, fieldFrom, std::min(fieldFrom + MaxPenumbra, n));
  const double height = std::abs(fieldLevel - level);
  // Where the values run to with less signal, on the strip's side.
  const double rangeEnd = !rising ? scale.top : fieldLevel >= scale.offset ? scale.offset : 0.0;
  if (height < StepInNoise * scale.pixelNoise ||
      height < StepShareOfRange * std::abs(fieldLevel - rangeEnd))
    return std::nullopt;

  // Where the profile settles on either level: the penumbra lies between.
  const double tolerance =
      std::max(PenumbraTolerance * height, ToleranceInProfileNoise * scale.profileNoise);
  Strip strip{step, step, 0};
  while (strip.fieldStart < n && std::abs(profile[strip.fieldStart] - fieldLevel) > tolerance)
    ++strip.fieldStart;
  while (strip.flatEnd > 0 && std::abs(profile[strip.flatEnd - 1] - level) > tolerance)
    --strip.flatEnd;
  if (strip.fieldStart - strip.flatEnd > MaxPenumbra || strip.flatEnd < SmallestStrip)
    return std::nullopt;
  strip.level = MedianOf(profile, 0, strip.flatEnd);
  return strip;
}

// The strips at both ends of one axis, the end's in the reversed profile's positions.
std::array<std::optional<Strip>, 2> FindStrips(const Profile& profile, Scale scale) {
  const int n = static_cast<int>(profile.size());
  if (n < SmallestSide) return {};
  scale.centreLevel = MedianOf(profile, n / 4, n - n / 4);
  scale.profileNoise = ProfileNoise(profile);
  const std::optional<Strip> start = FindStrip(profile, scale);
  const std::optional<Strip> end = FindStrip(Profile(profile.rbegin(), profile.rend()), scale);
  return {start, end};
}

}  // namespace

ExposedField FindExposedField(const PixelView& image) {
  ExposedField result;
  result.field = {0, 0, image.width, image.height};
  if (image.width < SmallestSide || image.height < SmallestSide) return result;

  const Profile columns = ColumnProfile(image);
  const Profile rows = RowProfile(image);
  Scale scale{};
  scale.pixelNoise = PixelNoise(image);
  scale.offset = image.offset;
  const double highest = std::max(*std::max_element(columns.begin(), columns.end()),
                                  *std::max_element(rows.begin(), rows.end()));
  scale.top = static_cast<double>(std::bit_ceil(static_cast<std::uint32_t>(highest) + 1) - 1);

  const auto [left, right] = FindStrips(columns, scale);
  const auto [top, bottom] = FindStrips(rows, scale);
  const auto fieldStart = [](const std::optional<Strip>& strip) {
    return strip ? strip->fieldStart : 0;
  };
  result.field = {fieldStart(left), fieldStart(top),
                  image.width - fieldStart(right) - fieldStart(left),
                  image.height - fieldStart(bottom) - fieldStart(top)};
  result.border = {left.has_value(), top.has_value(), right.has_value(), bottom.has_value()};
  // The strips' levels weighted by their areas (the corners they share counted twice).
  double levels = 0;
  double area = 0;
  for (const auto& [strip, length] : {std::pair{left, image.height},
                                      {top, image.width},
                                      {right, image.height},
                                      {bottom, image.width}}) {
    if (!strip) continue;
    levels += strip->level * strip->flatEnd * length;
    area += static_cast<double>(strip->flatEnd) * length;
  }
  if (area > 0) result.borderLevel = levels / area;
  return result;
}

}  // namespace imaging
