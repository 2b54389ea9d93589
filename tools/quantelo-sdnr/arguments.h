// The command line of quantelo-sdnr.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "imaging/roi.h"

namespace sdnr_cli {

struct Arguments {
  enum class Action { Measure, Help, Version } action = Action::Measure;
  std::optional<imaging::Roi> aluminium;  // both given, or both empty for automatic placement
  std::optional<imaging::Roi> background;
  bool json = false;
  std::vector<std::string> files;
};

// A command line that cannot be run; what() says why, in German.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// quantelo-sdnr [--al X,Y,W,H --bg X,Y,W,H | --auto] [--json] FILE...; "--" ends the options.
// --help and --version win over everything else.
Arguments ParseArguments(const std::vector<std::string>& arguments);

extern const char* const UsageText;

}  // namespace sdnr_cli
