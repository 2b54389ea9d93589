// The command line of quantelo-record: global options, a command of one or two words, and the
// command's own options, each checked against the command's table row as it is read.
#pragma once

#include <functional>
#include <map>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace record_cli {

// What an option's value must be; checked while reading, so that a command never starts on a
// malformed one.
enum class Value {
  None,    // a switch
  Text,    // any text
  Number,  // with a point: "5.23"; a comma is refused
  Date,    // YYYY-MM-DD
  Id,      // a measurement's number: 12
  Ids,     // several, separated by commas: 12,13,14
};

struct Option {
  std::string_view name;  // "--device"
  Value value = Value::Text;
  bool required = false;
};

struct Arguments;
// Writes a part of the answer to standard output.
using Print = std::function<void(const std::string&)>;

struct Command {
  std::string_view name;  // "history", "reference add"
  std::vector<Option> options;
  std::string_view operand;  // the name of its one operand ("DATEI"), empty where it takes none
  int (*run)(const Arguments&, const Print&);  // gives the exit status
};

struct Arguments {
  enum class Action { Run, Help, Version } action = Action::Run;
  std::string record;  // --record WHERE; empty: the environment's or the default
  const Command* command = nullptr;
  std::map<std::string, std::string, std::less<>> options;  // a switch holds ""
  std::string operand;

  bool has(std::string_view option) const { return options.contains(option); }
  // The option's value, empty where it was not given.
  std::string value(std::string_view option) const;
};

// A command line that cannot be run; what() says why, in German.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// quantelo-record [--record WHERE] COMMAND [OPTIONS] [OPERAND]; --record may stand anywhere,
// "--" ends the options. --help (-h) and --version (-v) win over everything else.
Arguments ParseArguments(const std::vector<std::string>& arguments,
                         std::span<const Command> commands);

// The measurement ids of a checked Ids value.
std::vector<long long> IdsOf(const std::string& value);

}  // namespace record_cli
