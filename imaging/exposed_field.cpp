#include "exposed_field.h"

#include <algorithm>
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
// A strip covers at most a third of the profile, so that a dim field beside a bright object is
// not taken for a strip beside the field; where the field's level is known, up to three
// quarters, as a magnification field is collimated to about a third of the detector's area.
constexpr int LargestStripQuarters = 3;
constexpr int LargestUnsureStripShare = 3;
// A focal spot's half shadow at magnification, or a soft collimator, spans up to 2 mm: 40 pixels
// of 0.05 mm, with room to settle.
constexpr int MaxPenumbra = 80;
constexpr double SmallestClassShare = 0.05;  // of the profile: less is a line, not a strip
constexpr double StepInNoise = 10;
constexpr double StepShareOfRange = 0.5;
// Before any strip is known, a class that is to set the field's level holds at most a quarter of
// the field's signal: a synthetic bright object on a dim field has more, an unexposed strip of raw
// data a few per cent.
constexpr double SureStepShareOfRange = 0.25;
constexpr double PenumbraTolerance = 0.05;  // of the step: where the strip and the field begin
constexpr double ToleranceInProfileNoise = 3;

using Profile = std::vector<double>;

double MedianOf(const Profile& profile, int from, int to) {
  return UpperMedian(std::vector<double>(profile.begin() + from, profile.begin() + to));
}

// The first line of each group, spread evenly over the middle half of [from, to).
struct Groups {
  std::vector<int> starts;
  int lines = 0;
};

Groups SpreadGroups(int from, int to) {
  const int bandStart = from + (to - from) / 4;
  const int bandLength = to - from - 2 * ((to - from) / 4);
  Groups groups;
  groups.lines = std::min(GroupLines, bandLength);
  const int count = std::min(ProfileGroups, bandLength / groups.lines);
  const int room = bandLength - groups.lines;
  for (int i = 0; i < count; ++i)
    groups.starts.push_back(bandStart + (count > 1 ? room * i / (count - 1) : room / 2));
  return groups;
}

// The level of each column, from the rows [from, to).
Profile ColumnProfile(const PixelView& image, int from, int to) {
  const Groups groups = SpreadGroups(from, to);
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

// The level of each row, from the columns [from, to).
Profile RowProfile(const PixelView& image, int from, int to) {
  const Groups groups = SpreadGroups(from, to);
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
  for (const int y : SpreadGroups(0, image.height).starts) {
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
  double pixelNoise = 0;
  double profileNoise = 0;
  std::int32_t offset = 0;           // of a signed image: its zero
  double top = 0;                    // the end of the value range above
  std::optional<double> stripLevel;  // of the strips found so far
};

// The level a strip steps to, and whether it is known to be the field's, not the image's middle.
struct FieldLevel {
  double level = 0;
  bool known = false;
};

// Where the values run to with less signal below a level: a signed image's zero or 0.
double RangeEndBelow(double level, const Scale& scale) {
  return level >= scale.offset ? scale.offset : 0.0;
}

// A strip at the start of a profile: flat at `level` from 0 to flatEnd, then the penumbra up to
// fieldStart.
struct Strip {
  int flatEnd = 0;
  int fieldStart = 0;
  double level = 0;
};

std::optional<Strip> FindStrip(const Profile& profile, const Scale& scale,
                               const FieldLevel& field) {
  const int n = static_cast<int>(profile.size());
  // The outermost three, so that one dead line at the edge is neither strip nor field.
  const double edgeLevel = MedianOf(profile, 0, 3);
  if (std::abs(field.level - edgeLevel) < StepInNoise * scale.pixelNoise) return std::nullopt;
  // The step: the first two neighbours past half-way to the field, so a dead line is stepped over.
  const double midpoint = (edgeLevel + field.level) / 2;
  const bool rising = field.level > edgeLevel;
  const auto pastMidpoint = [&](int i) { return (profile[i] > midpoint) == rising; };
  const int widest = field.known ? n * LargestStripQuarters / 4 : n / LargestUnsureStripShare;
  int step = 0;
  while (step + 1 < widest && !(pastMidpoint(step) && pastMidpoint(step + 1))) ++step;
  if (step < SmallestStrip || step + 1 >= widest) return std::nullopt;

  const double level = MedianOf(profile, 0, step);
  const int fieldFrom = std::min(step + MaxPenumbra, n - 1);
  const double fieldLevel = MedianOf(profile, fieldFrom, std::min(fieldFrom + MaxPenumbra, n));
  const double height = std::abs(fieldLevel - level);
  // Where the values run to with less signal, on the strip's side.
  const double rangeEnd = !rising ? scale.top : RangeEndBelow(fieldLevel, scale);
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

// The field's level on a profile. Where its values fall into two classes (split where the
// variance between them is largest, each at least 5 % of the profile) at least 10 pixel noise
// deviations apart, and one of them is unexposed, the other is the field, however small: its
// median, and a strip may then span up to three quarters of the profile. The unexposed class is
// the one nearer the strips' level found so far; before any, the one nearer its end of the value
// range, when it holds at most a quarter of the other's signal counted from that end (so that a
// bright object on a dim field, or a dim one on a bright field, is no strip). Otherwise the level
// is the median of the middle half, and a strip spans at most a third.
FieldLevel LevelOfField(const Profile& profile, const Scale& scale) {
  const int n = static_cast<int>(profile.size());
  const FieldLevel middle{MedianOf(profile, n / 4, n - n / 4), false};
  Profile sorted = profile;
  std::sort(sorted.begin(), sorted.end());
  std::vector<double> below(sorted.size() + 1, 0);  // sums of the first k values
  for (std::size_t k = 0; k < sorted.size(); ++k) below[k + 1] = below[k] + sorted[k];
  const int smallest = std::max(1, static_cast<int>(SmallestClassShare * n));
  int split = 0;
  double bestSpread = 0;
  for (int k = smallest; k <= n - smallest; ++k) {
    const double low = below[k] / k;
    const double high = (below[n] - below[k]) / (n - k);
    const double spread = static_cast<double>(k) * (n - k) * (high - low) * (high - low);
    if (spread > bestSpread) {
      bestSpread = spread;
      split = k;
    }
  }
  if (split == 0) return middle;
  const double low = sorted[static_cast<std::size_t>(split / 2)];
  const double high = sorted[static_cast<std::size_t>((split + n) / 2)];
  if (high - low < StepInNoise * scale.pixelNoise) return middle;
  if (scale.stripLevel) {
    const bool lowIsUnexposed =
        std::abs(low - *scale.stripLevel) < std::abs(high - *scale.stripLevel);
    return {lowIsUnexposed ? high : low, true};
  }
  const double endBelow = RangeEndBelow(low, scale);
  const bool lowIsUnexposed = low - endBelow < scale.top - high;
  if (lowIsUnexposed && low - endBelow <= SureStepShareOfRange * (high - endBelow))
    return {high, true};
  if (!lowIsUnexposed && scale.top - high <= SureStepShareOfRange * (scale.top - low))
    return {low, true};
  return middle;
}

// The strips at both ends of one axis, the end's in the reversed profile's positions.
std::array<std::optional<Strip>, 2> FindStrips(const Profile& profile, Scale scale) {
  const int n = static_cast<int>(profile.size());
  if (n < SmallestSide) return {};
  const FieldLevel field = LevelOfField(profile, scale);
  scale.profileNoise = ProfileNoise(profile);
  const std::optional<Strip> start = FindStrip(profile, scale, field);
  const std::optional<Strip> end =
      FindStrip(Profile(profile.rbegin(), profile.rend()), scale, field);
  // Strips that leave no field between them are a misreading (a damaged file can give one).
  if (start && end && start->fieldStart + end->fieldStart > n - SmallestSide) return {};
  return {start, end};
}

using Strips = std::array<std::optional<Strip>, 4>;  // indexed by ImageEdge

// The strips' levels weighted by their areas (the corners they share counted twice).
std::optional<double> StripLevel(const Strips& strips, const PixelView& image) {
  double levels = 0;
  double area = 0;
  for (std::size_t edge = 0; edge < strips.size(); ++edge) {
    const auto& strip = strips[edge];
    if (!strip) continue;
    const int length = edge % 2 == 0 ? image.height : image.width;
    levels += strip->level * strip->flatEnd * length;
    area += static_cast<double>(strip->flatEnd) * length;
  }
  if (area == 0) return std::nullopt;
  return levels / area;
}

}  // namespace

ExposedField FindExposedField(const PixelView& image, int bitsStored) {
  ExposedField result;
  result.field = {0, 0, image.width, image.height};
  if (image.width < SmallestSide || image.height < SmallestSide) return result;

  Scale scale{};
  scale.pixelNoise = PixelNoise(image);
  scale.offset = image.offset;
  scale.top = HighestStoredValue(bitsStored);
  Strips strips;
  const auto fieldStart = [&](ImageEdge edge) {
    const auto& strip = strips[static_cast<std::size_t>(edge)];
    return strip ? strip->fieldStart : 0;
  };
  // The profiles read the middle half of the field found so far: of the whole image first, then
  // of the field the first strips leave, so that a small field is read across its own middle.
  for (int pass = 0; pass < 2; ++pass) {
    const int fieldTop = fieldStart(ImageEdge::Top);
    const int fieldLeft = fieldStart(ImageEdge::Left);
    const Profile columns =
        ColumnProfile(image, fieldTop, image.height - fieldStart(ImageEdge::Bottom));
    const Profile rows = RowProfile(image, fieldLeft, image.width - fieldStart(ImageEdge::Right));
    const auto [left, right] = FindStrips(columns, scale);
    const auto [top, bottom] = FindStrips(rows, scale);
    strips = {left, top, right, bottom};
    scale.stripLevel = StripLevel(strips, image);
    if (!scale.stripLevel) break;
  }
  const auto [left, top, right, bottom] = strips;
  result.field = {fieldStart(ImageEdge::Left), fieldStart(ImageEdge::Top),
                  image.width - fieldStart(ImageEdge::Right) - fieldStart(ImageEdge::Left),
                  image.height - fieldStart(ImageEdge::Bottom) - fieldStart(ImageEdge::Top)};
  result.border = {left.has_value(), top.has_value(), right.has_value(), bottom.has_value()};
  result.borderLevel = StripLevel(strips, image);
  return result;
}

}  // namespace imaging
