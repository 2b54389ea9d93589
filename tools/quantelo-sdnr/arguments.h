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
  std::vector<std::string> files;
};

// A command line that cannot be run; what() says why, in German.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// quantelo-sdnr [--al X,Y,W,H --bg X,Y,W,H | --auto [--size N]] [--json] [--strict] FILE...;
// "--" ends the options. --help (-h) and --version (-v) win over everything else.
Arguments ParseArguments(const std::vector<std::string>& arguments);

extern const char* const UsageText;

}  // namespace sdnr_cli
