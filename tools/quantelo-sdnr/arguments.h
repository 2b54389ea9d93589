// The command line of quantelo-sdnr.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/roi.h"
#include "imaging/roi_placement.h"

namespace sdnr_cli {

struct Arguments {
  enum class Action { Measure, Help, Version } action = Action::Measure;
  std::optional<imaging::Roi> aluminium;  // both given, or both empty for automatic placement
  std::optional<imaging::Roi> background;
  int size = imaging::DefaultRoiSize;  // of the automatically placed ROIs
  bool json = false;
  bool strict = false;  // a file with warnings counts as not measured
  // --save: every measured file goes into the QA record, the files of one call as one session.
  bool save = false;
  std::string operatorName;  // --operator; empty: the one remembered from before
  std::string phantom;       // --phantom
  std::string record;        // --record WHERE; empty: the environment's or the default
  std::vector<std::string> files;
};

// A command line that cannot be run; what() says why, in German.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// quantelo-sdnr [--al X,Y,W,H --bg X,Y,W,H | --auto [--size N]] [--json] [--strict]
// [--save [--operator NAME] [--phantom TEXT] [--record WHERE]] FILE...; "--" ends the options.
// --help (-h) and --version (-v) win over everything else.
Arguments ParseArguments(const std::vector<std::string>& arguments);

extern const char* const UsageText;

}  // namespace sdnr_cli
