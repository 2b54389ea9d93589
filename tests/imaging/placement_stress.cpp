// The automatic placement on several hundred random realistic exposures, clean ones and ones with
// what real detectors do, each judged by the SDNR the noiseless model expects, as
// test_realistic_placement.cpp judges its cases. A survey, not a test: it prints per kind how often
// the placement came out right, warned about or silently wrong, and exits 0 whatever it finds.
#include <algorithm>
#include <array>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "exposure_model.h"
#include "imaging/exposure_survey.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_placement.h"
#include "realistic_exposure.h"

namespace {

using exposure_test::Edge;
using exposure_test::ExposurePlan;
using imaging::Roi;
namespace model = exposure_test::model;

constexpr double LargestClean = 0.02;
// Too few pixels for the size rule: what a small object cannot help, no word about a disturbance.
constexpr std::string_view SizeWarning = "Die ROIs sind mit";

int Whole(double value) {
  return static_cast<int>(std::floor(value + 0.5));
}

// Uniform numbers from mt19937_64, whose output the standard fixes, mapped by hand: the standard
// libraries' distributions differ, and a seed must give the same exposures everywhere.
class Dice {
 public:
  explicit Dice(std::uint64_t seed) : engine_(seed) {}
  double uniform(double low, double high) {
    return low + (high - low) * std::ldexp(static_cast<double>(engine_() >> 11), -53);
  }
  bool chance(double probability) { return uniform(0, 1) < probability; }
  int below(int count) { return std::min(static_cast<int>(uniform(0, count)), count - 1); }

 private:
  std::mt19937_64 engine_;
};

// One exposure as the physicist sets it up, in her terms; Expose turns it into the plan.
struct Shot {
  ExposurePlan plan;  // the detector, chest wall, heel, fall-off, transmission and blurs
  double sideMm = 0, fromChestWallMm = 0, alongMm = 0;
  double sdnr = 0;                        // aimed at, on the open field's dose
  double signalShare = 0, darkShare = 0;  // of the stored range
};

// 24 × 18 cm at 0.1 mm or 20.5 × 16.6 cm at 0.05 mm, the longer side across the chest wall.
void SetDetector(ExposurePlan& plan, bool fine) {
  const int across = fine ? 4096 : 2400;
  const int along = fine ? 3328 : 1800;
  const bool acrossIsX = plan.chestWall == Edge::Left || plan.chestWall == Edge::Right;
  plan.width = acrossIsX ? across : along;
  plan.height = acrossIsX ? along : across;
  plan.pixelSpacingMm = fine ? 0.05 : 0.1;
}

// Every kind draws this first, so that the same seed gives each kind the same exposure but for
// what the kind adds.
Shot RandomShot(Dice& dice) {
  Shot shot;
  ExposurePlan& plan = shot.plan;
  plan.chestWall = static_cast<Edge>(dice.below(4));
  SetDetector(plan, dice.chance(1.0 / 3));
  plan.bitsStored = 12 + 2 * dice.below(3);
  plan.monochrome1 = dice.chance(0.25);
  plan.heel = dice.uniform(0, 0.25);
  plan.lateralFalloff = dice.uniform(0, 0.05);
  plan.aluminiumTransmission = dice.uniform(0.70, 0.96);
  plan.objectEdgeBlur = dice.uniform(1, 3);
  shot.sideMm = dice.uniform(10, 20);
  shot.fromChestWallMm = dice.uniform(40, 70);
  shot.alongMm = dice.uniform(-40, 40);
  shot.sdnr = dice.uniform(3, 15);
  shot.signalShare = dice.uniform(0.3, 0.55);
  shot.darkShare = dice.uniform(0.01, 0.04);
  return shot;
}

// The noise from the SDNR aimed at; at the worst (transmission 0.70, SDNR 3) the open field
// stays five σ below the range's top and the unexposed strips four σ above 0.
ExposurePlan Expose(const Shot& shot) {
  ExposurePlan plan = shot.plan;
  const double maximum = model::MaximumValue(plan);
  plan.signal = shot.signalShare * maximum;
  plan.noise = (1 - plan.aluminiumTransmission) * plan.signal / shot.sdnr;
  plan.darkLevel = shot.darkShare * maximum + 4 * std::sqrt(model::ElectronicShare) * plan.noise;
  plan.aluminium = {exposure_test::SquareAt(plan, shot.fromChestWallMm, shot.alongMm, shot.sideMm)};
  return plan;
}

// Where "BG" would naturally go: beside the object on the side nearer the middle of the
// chest-wall edge, a quarter of the ROI's side away, the ROI as the size rule will about make it.
struct NaturalPlace {
  explicit NaturalPlace(const ExposurePlan& plan)
      : frame(plan),
        object(frame.framed(plan.aluminium.front())),
        roiSide(std::min(imaging::DefaultRoiSize, object.alongSize * 9 / 10)),
        towards(2 * object.along + object.alongSize > frame.length() ? -1 : 1),
        boundary(towards > 0 ? object.along + object.alongSize : object.along) {
    const int gap = Whole(roiSide / 4.0);
    background = {object.distance + (object.acrossSize - roiSide) / 2,
                  towards > 0 ? boundary + gap : boundary - gap - roiSide, roiSide, roiSide};
  }
  // An index along the chest wall so many pixels out from the object's edge on that side.
  int beyond(int pixels) const { return boundary + towards * pixels; }

  model::ChestWallFrame frame;
  model::FramedRoi object;
  int roiSide;
  int towards;   // along the chest wall: +1 towards higher indices, −1 towards lower
  int boundary;  // the first index beyond the object on that side, or its first when −1
  model::FramedRoi background;
};

ExposurePlan Clean(Dice& dice) {
  return Expose(RandomShot(dice));
}

ExposurePlan Correlated(Dice& dice) {
  Shot shot = RandomShot(dice);
  shot.plan.noiseBlur = dice.uniform(0.3, 0.8);
  return Expose(shot);
}

// A 10 mm object at 0.1 mm cannot give 10,000 pixels; the physicist is right nonetheless.
ExposurePlan Coarse(Dice& dice) {
  Shot shot = RandomShot(dice);
  SetDetector(shot.plan, false);
  shot.sideMm = dice.uniform(10, 12);
  shot.plan.noiseBlur = dice.uniform(0, 0.8);
  return Expose(shot);
}

std::size_t Index(Edge edge) {
  return static_cast<std::size_t>(edge);
}

Edge Opposite(Edge edge) {
  return static_cast<Edge>((static_cast<int>(edge) + 2) % 4);
}

// The two edges across the chest wall: the one at index 0 of the axis along it, and the other.
std::array<Edge, 2> LateralEdges(const model::ChestWallFrame& frame) {
  if (frame.acrossIsX()) return {Edge::Top, Edge::Bottom};
  return {Edge::Left, Edge::Right};
}

ExposurePlan Penumbra(Dice& dice) {
  Shot shot = RandomShot(dice);
  ExposurePlan& plan = shot.plan;
  for (const Edge edge : {Edge::Left, Edge::Top, Edge::Right, Edge::Bottom}) {
    if (edge != plan.chestWall)
      plan.collimation[Index(edge)] = Whole(dice.uniform(3, 15) / plan.pixelSpacingMm);
  }
  plan.penumbra = dice.uniform(0.2, 2) / plan.pixelSpacingMm;
  plan.noiseBlur = dice.uniform(0, 0.6);
  return Expose(shot);
}

// The field collimated to about a third of the detector against the chest wall, as for a
// magnification view, with the square where "BG" fits beside it on either side.
ExposurePlan Magnification(Dice& dice) {
  Shot shot = RandomShot(dice);
  ExposurePlan& plan = shot.plan;
  const model::ChestWallFrame frame(plan);
  const double depthShare = dice.uniform(0.5, 0.65);
  const int across = frame.acrossIsX() ? plan.width : plan.height;
  const int unexposedAlong = Whole((1 - 1 / (3 * depthShare)) * frame.length());
  const int lowStrip = Whole(dice.uniform(0.4, 0.6) * unexposedAlong);
  const std::array<Edge, 2> lateral = LateralEdges(frame);
  plan.collimation[Index(Opposite(plan.chestWall))] = Whole((1 - depthShare) * across);
  plan.collimation[Index(lateral[0])] = lowStrip;
  plan.collimation[Index(lateral[1])] = unexposedAlong - lowStrip;
  plan.penumbra = dice.uniform(0.2, 1) / plan.pixelSpacingMm;

  const double spacing = plan.pixelSpacingMm;
  const double middleMm = (2 * lowStrip - unexposedAlong) / 2.0 * spacing;
  // Half the square, the gap and a ROI of at most the square's side, and 2 mm to spare.
  const double roomMm = (frame.length() - unexposedAlong) / 2.0 * spacing -
                        plan.penumbra * spacing - 1.75 * shot.sideMm - 2;
  shot.alongMm = middleMm + shot.alongMm / 40 * std::max(0.0, roomMm);
  return Expose(shot);
}

// A tile seam across the chest wall between the square and where "BG" would go, or through it,
// so that the two lie on different tiles.
ExposurePlan SeamBeside(Dice& dice) {
  ExposurePlan plan = Expose(RandomShot(dice));
  const NaturalPlace place(plan);
  // In the gap between the square and "BG" in half of the runs, through "BG" in the others.
  const int index = place.beyond(Whole(
      (dice.chance(0.5) ? dice.uniform(0.02, 0.25) : dice.uniform(0.25, 1)) * place.roiSide));
  const double gain = dice.chance(0.5) ? dice.uniform(1.02, 1.04) : dice.uniform(0.96, 0.98);
  // Across the chest wall is along x where the chest wall is left or right: a seam between rows.
  plan.seams.push_back({!place.frame.acrossIsX(), index, gain});
  return plan;
}

// A gain blob about 20 mm wide where "BG" would go, brighter or darker.
ExposurePlan BlobBeside(Dice& dice) {
  ExposurePlan plan = Expose(RandomShot(dice));
  const NaturalPlace place(plan);
  const Roi background = place.frame.image(place.background);
  const double amplitude = dice.uniform(0.03, 0.06) * (dice.chance(0.5) ? 1 : -1);
  const double radius = 20 / plan.pixelSpacingMm / dice.uniform(2.355, 4);
  plan.blobs.push_back({background.x + background.width / 2.0,
                        background.y + background.height / 2.0, radius, amplitude});
  return plan;
}

// The ghost of a larger square beside the aluminium, its blurred edges clear of the aluminium's.
ExposurePlan GhostBeside(Dice& dice) {
  ExposurePlan plan = Expose(RandomShot(dice));
  const NaturalPlace place(plan);
  const model::FramedRoi& object = place.object;
  const int side = Whole(dice.uniform(1.2, 2) * object.alongSize);
  const int reach =
      plan.aluminium.front().x - model::FeatureReach(plan.aluminium.front(), plan.objectEdgeBlur).x;
  const int gap = 2 * reach + 1 + Whole(dice.uniform(0, 0.25) * place.roiSide);
  const int shift = Whole(dice.uniform(-0.25, 0.25) * (side - object.acrossSize));
  const model::FramedRoi ghost{object.distance + (object.acrossSize - side) / 2 + shift,
                               place.towards > 0 ? place.beyond(gap) : place.beyond(gap) - side,
                               side, side};
  const double gain = dice.chance(0.5) ? dice.uniform(0.98, 0.99) : dice.uniform(1.01, 1.02);
  plan.ghosts.push_back({place.frame.image(ghost), gain});
  return plan;
}

ExposurePlan DeadClusterBeside(Dice& dice) {
  ExposurePlan plan = Expose(RandomShot(dice));
  const NaturalPlace place(plan);
  const model::FramedRoi& background = place.background;
  const int across = 3 + dice.below(10);
  const int along = 3 + dice.below(10);
  const model::FramedRoi cluster{
      background.distance + dice.below(background.acrossSize - across + 1),
      background.along + dice.below(background.alongSize - along + 1), across, along};
  plan.deadClusters.push_back(place.frame.image(cluster));
  return plan;
}

struct Kind {
  const char* name;
  bool clean;  // right and no warning at all expected; else right, or a warning that counts
  ExposurePlan (*plan)(Dice&);
  // The beginnings of the warnings that name the disturbance; "" takes any but the size warning.
  // On a clean kind every warning counts, as a false alarm.
  std::vector<std::string_view> naming;
};

// The warnings that name a disturbance.
constexpr std::string_view Step = "Zwischen dem Aluminiumobjekt und der ROI „BG“ ändert sich";
constexpr std::string_view Bump = "Die ROI „BG“ liegt auf einer örtlichen Erhöhung oder Senke";
constexpr std::string_view Uneven = "Der Hintergrund unter dem Aluminiumobjekt ist ungleichmäßig";
constexpr std::string_view NotFree = "Die ROI „BG“ liegt nicht auf freiem Hintergrund";
constexpr std::string_view Outliers = "Die ROI „BG“ enthält Ausreißer";
constexpr std::string_view NotAluminium = "Das gefundene Objekt";

const Kind Kinds[] = {
    {"clean", true, Clean, {}},
    {"correlated", true, Correlated, {}},
    {"coarse", true, Coarse, {}},
    {"penumbra", true, Penumbra, {}},
    {"magnification", true, Magnification, {}},
    {"seam", false, SeamBeside, {Step, Uneven, NotFree, Outliers}},
    {"blob", false, BlobBeside, {Step, Bump, Uneven, NotFree, Outliers}},
    {"ghost", false, GhostBeside, {Step, Bump, Uneven, NotFree, Outliers, NotAluminium}},
    {"dead-cluster", false, DeadClusterBeside, {NotFree, Outliers}},
};

bool NamesDisturbance(const Kind& kind, const std::string& warning) {
  if (warning.starts_with(SizeWarning)) return false;
  return std::any_of(kind.naming.begin(), kind.naming.end(),
                     [&](std::string_view start) { return warning.starts_with(start); });
}

// The chest wall's side as the file would name it, so that the header agrees with the image.
imaging::ImageContext ContextOf(const ExposurePlan& plan) {
  static constexpr const char* Orientation[] = {"A\\R", "R\\A", "P\\L", "L\\P"};
  static constexpr const char* Laterality[] = {"L", "R", "R", "L"};
  const auto edge = static_cast<int>(plan.chestWall);
  return {"MG", "FOR PROCESSING", false, Laterality[edge], Orientation[edge]};
}

struct Outcome {
  Roi aluminium, background;
  double sdnr = 0, reference = NAN;
  bool right = false;
  bool anyWarning = false;
  bool warned = false;  // by a warning that counts for the kind
  std::string warnings;
};

Outcome Measure(const Kind& kind, const ExposurePlan& plan, std::uint64_t seed) {
  const exposure_test::Exposure exposure = exposure_test::Render(plan, seed);
  const imaging::ImageContext context = ContextOf(plan);
  const imaging::ExposureSurvey survey = imaging::SurveyExposure(
      exposure.pixels(), plan.bitsStored,
      plan.monochrome1 ? imaging::Photometric::Monochrome1 : imaging::Photometric::Monochrome2,
      context);
  const imaging::RoiPlacement placed = imaging::PlaceRois(survey);
  const std::vector<imaging::MeasurementWarning> warnings =
      imaging::CheckMeasurement(survey, context, placed.aluminium, placed.background);
  // The reference: "BG" beside the object where a physicist puts it, off a dead cluster she can
  // see, measured on a detector without faults, which are no part of what the test object shows.
  // Where "BG" misses the clusters, its values are a faultless detector's, and where hers would go
  // on one serves as well.
  ExposurePlan faultless = plan;
  faultless.deadLines.clear();
  faultless.deadPixels.clear();
  const ExposurePlan seen = faultless;
  faultless.deadClusters.clear();
  std::vector<Roi> references;
  if (const auto offClusters = exposure_test::ReferenceBackground(seen, placed.aluminium))
    references.push_back(*offClusters);
  const bool missesClusters =
      std::none_of(plan.deadClusters.begin(), plan.deadClusters.end(),
                   [&](const Roi& cluster) { return cluster.overlaps(placed.background); });
  if (const auto unseen = exposure_test::ReferenceBackground(faultless, placed.aluminium);
      unseen && missesClusters && !plan.deadClusters.empty())
    references.push_back(*unseen);

  Outcome outcome;
  outcome.aluminium = placed.aluminium;
  outcome.background = placed.background;
  outcome.sdnr = exposure_test::ExpectedSdnr(plan, placed.aluminium, placed.background);
  for (const Roi& reference : references) {
    const double sdnr = exposure_test::ExpectedSdnr(faultless, placed.aluminium, reference);
    if (std::isnan(outcome.reference) ||
        std::abs(outcome.sdnr - sdnr) < std::abs(outcome.sdnr - outcome.reference))
      outcome.reference = sdnr;
  }
  outcome.right = plan.aluminium.front().contains(placed.aluminium) &&
                  std::abs(outcome.sdnr / outcome.reference - 1) <= LargestClean;
  outcome.anyWarning = !warnings.empty();
  outcome.warned = std::any_of(warnings.begin(), warnings.end(), [&](const auto& warning) {
    return kind.clean || NamesDisturbance(kind, warning.text);
  });
  outcome.warnings = imaging::JoinedWarnings(warnings);
  return outcome;
}

std::string Text(const Roi& roi) {
  return std::to_string(roi.x) + "," + std::to_string(roi.y) + " " + std::to_string(roi.width);
}

const char* Verdict(const Kind& kind, const Outcome& outcome) {
  if (outcome.right) {
    if (kind.clean && outcome.anyWarning) return "false alarm";
    return outcome.warned ? "right, warned" : "right";
  }
  return outcome.warned ? "warned" : "SILENTLY WRONG";
}

struct Tally {
  int runs = 0, right = 0, warned = 0, silentlyWrong = 0, falseAlarms = 0;

  void add(const Kind& kind, const Outcome& outcome) {
    ++runs;
    right += outcome.right;
    warned += !outcome.right && outcome.warned;
    silentlyWrong += !outcome.right && !outcome.warned;
    falseAlarms += kind.clean && outcome.anyWarning;
  }
  void add(const Tally& other) {
    runs += other.runs;
    right += other.right;
    warned += other.warned;
    silentlyWrong += other.silentlyWrong;
    falseAlarms += other.falseAlarms;
  }
  void print(const char* name, bool clean) const {
    std::printf("%-14s %5d %6d %7d %15d", name, runs, right, warned, silentlyWrong);
    if (clean) {
      std::printf(" %13d\n", falseAlarms);
    } else {
      std::printf(" %13s\n", "-");
    }
  }
};

struct Options {
  int runs = 40;
  std::uint64_t seed = 1;
  std::optional<std::string> kind;
  bool verbose = false;
};

template <typename Number>
bool ParseNumber(std::string_view text, Number& number) {
  const char* end = text.data() + text.size();
  return !text.empty() && std::from_chars(text.data(), end, number).ptr == end;
}

bool IsKind(std::string_view name) {
  return std::any_of(std::begin(Kinds), std::end(Kinds),
                     [&](const Kind& kind) { return name == kind.name; });
}

std::optional<Options> ParseOptions(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option == "--verbose") {
      options.verbose = true;
      continue;
    }
    if (i + 1 == argc) return std::nullopt;
    const std::string_view value = argv[++i];
    const bool parsed = option == "--runs"   ? ParseNumber(value, options.runs) && options.runs > 0
                        : option == "--seed" ? ParseNumber(value, options.seed)
                        : option == "--kind" ? IsKind(value)
                                             : false;
    if (!parsed) return std::nullopt;
    if (option == "--kind") options.kind = std::string(value);
  }
  return options;
}

void PrintUsage() {
  std::fputs(
      "usage: placement_stress [--runs N] [--seed S] [--kind NAME] [--verbose]\n"
      "Places the ROIs on N random exposures of each kind (default 40), run r from seed S + r\n"
      "(default S 1), and counts the placements right (on the aluminium, the SDNR the model\n"
      "expects within 2 % of the reference's), warned and silently wrong. --verbose prints\n"
      "every run. Clean kinds should be right without a warning; disturbed ones right or\n"
      "warned. Kinds:",
      stderr);
  for (const Kind& kind : Kinds) std::fprintf(stderr, " %s", kind.name);
  std::fputs("\n", stderr);
}

}  // namespace

int main(int argc, char** argv) {
  const std::optional<Options> options = ParseOptions(argc, argv);
  if (!options) {
    PrintUsage();
    return 2;
  }
  const auto start = std::chrono::steady_clock::now();
  std::vector<std::pair<const Kind*, Tally>> tallies;
  for (const Kind& kind : Kinds) {
    if (options->kind && *options->kind != kind.name) continue;
    Tally tally;
    for (int run = 0; run < options->runs; ++run) {
      const std::uint64_t seed = options->seed + static_cast<std::uint64_t>(run);
      Dice dice(seed);
      const Outcome outcome = Measure(kind, kind.plan(dice), seed);
      tally.add(kind, outcome);
      if (!options->verbose) continue;
      std::printf(
          "%-13s seed %-5llu Al %-15s BG %-15s SDNR %6.2f ref %6.2f (%+6.1f %%)  %-14s %s\n",
          kind.name, static_cast<unsigned long long>(seed), Text(outcome.aluminium).c_str(),
          Text(outcome.background).c_str(), outcome.sdnr, outcome.reference,
          100 * (outcome.sdnr / outcome.reference - 1), Verdict(kind, outcome),
          outcome.warnings.c_str());
    }
    tallies.emplace_back(&kind, tally);
  }
  std::printf("%-14s %5s %6s %7s %15s %13s\n", "kind", "runs", "right", "warned", "silently wrong",
              "false alarms");
  Tally total;
  bool anyClean = false;
  for (const auto& [kind, tally] : tallies) {
    tally.print(kind->name, kind->clean);
    total.add(tally);
    anyClean = anyClean || kind->clean;
  }
  total.print("total", anyClean);
  const std::chrono::duration<double> wall = std::chrono::steady_clock::now() - start;
  std::printf("wall time %.1f s\n", wall.count());
  return 0;
}
