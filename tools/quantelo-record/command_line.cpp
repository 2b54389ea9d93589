#include "command_line.h"

#include <QString>
#include <algorithm>
#include <charconv>

#include "record/entered_values.h"
#include "record/record_error.h"

namespace record_cli {
namespace {

bool wanted(const std::vector<std::string>& arguments, std::initializer_list<const char*> names) {
  const auto end = std::find(arguments.begin(), arguments.end(), "--");
  return std::any_of(arguments.begin(), end, [&](const std::string& argument) {
    return std::find(names.begin(), names.end(), argument) != names.end();
  });
}

Arguments answerOnly(Arguments::Action action) {
  Arguments arguments;
  arguments.action = action;
  return arguments;
}

long long id(const std::string& option, const std::string& text) {
  long long parsed = 0;
  const char* end = text.data() + text.size();
  const auto [next, error] = std::from_chars(text.data(), end, parsed);
  if (error != std::errc() || next != end || text.empty() || parsed <= 0) {
    throw UsageError(option +
                     " erwartet die Nummer einer Messung (eine ganze Zahl wie 12), nicht „" + text +
                     "“");
  }
  return parsed;
}

// The command named by the words from at on; at is moved past them.
const Command& commandAt(const std::vector<std::string>& words, std::size_t& at,
                         std::span<const Command> commands) {
  std::string alternatives;
  for (const Command& command : commands) {
    const std::string_view name = command.name;
    const auto space = name.find(' ');
    if (words[at] != name.substr(0, space)) continue;
    const std::size_t length = space == std::string_view::npos ? 1 : 2;
    if (length == 1 || (at + 1 < words.size() && words[at + 1] == name.substr(space + 1))) {
      at += length;
      return command;
    }
    alternatives += (alternatives.empty() ? "" : ", ") + std::string(name);
  }
  if (!alternatives.empty())
    throw UsageError("„" + words[at] + "“ braucht ein weiteres Wort: " + alternatives);
  throw UsageError("unbekannter Befehl „" + words[at] + "“");
}

std::vector<long long> idList(const std::string& option, const std::string& text) {
  std::vector<long long> ids;
  std::size_t start = 0;
  for (std::size_t comma; (comma = text.find(',', start)) != std::string::npos; start = comma + 1) {
    ids.push_back(id(option, text.substr(start, comma - start)));
  }
  ids.push_back(id(option, text.substr(start)));
  return ids;
}

// Refuses a value of the wrong form, in the words the record uses for the same refusal.
void check(const Option& option, const std::string& text) {
  const std::string name(option.name);
  try {
    switch (option.value) {
      case Value::None:
      case Value::Text:
        return;
      case Value::Number:
        record::EnteredNumber(QString::fromStdString(text), name);
        return;
      case Value::Date:
        record::EnteredDate(QString::fromStdString(text), name);
        return;
      case Value::Id:
        id(name, text);
        return;
      case Value::Ids:
        idList(name, text);
        return;
    }
  } catch (const record::RecordError& error) {
    throw UsageError(error.what());
  }
}

}  // namespace

std::string Arguments::value(std::string_view option) const {
  const auto found = options.find(option);
  return found == options.end() ? std::string() : found->second;
}

std::vector<long long> IdsOf(const std::string& value) {
  return idList({}, value);
}

Arguments ParseArguments(const std::vector<std::string>& arguments,
                         std::span<const Command> commands) {
  if (wanted(arguments, {"--help", "-h"})) return answerOnly(Arguments::Action::Help);
  if (wanted(arguments, {"--version", "-v"})) return answerOnly(Arguments::Action::Version);

  Arguments parsed;
  bool optionsEnded = false, operandGiven = false;
  for (std::size_t at = 0; at < arguments.size();) {
    const std::string& argument = arguments[at];
    const bool isOption = !optionsEnded && argument.size() > 1 && argument[0] == '-';
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      ++at;
    } else if (isOption && argument == "--record") {
      if (at + 1 == arguments.size()) throw UsageError("--record erwartet einen Ort");
      parsed.record = arguments[at + 1];
      at += 2;
    } else if (parsed.command == nullptr) {
      if (isOption) throw UsageError("„" + argument + "“ gilt erst nach dem Befehl");
      parsed.command = &commandAt(arguments, at, commands);
    } else if (isOption) {
      const std::string name(parsed.command->name);
      const auto option =
          std::find_if(parsed.command->options.begin(), parsed.command->options.end(),
                       [&](const Option& o) { return o.name == argument; });
      if (option == parsed.command->options.end())
        throw UsageError("unbekannte Option „" + argument + "“ für „" + name + "“");
      if (parsed.has(argument)) throw UsageError(argument + " ist doppelt angegeben");
      std::string value;
      if (option->value != Value::None) {
        if (at + 1 == arguments.size()) throw UsageError(argument + " erwartet einen Wert");
        value = arguments[++at];
        check(*option, value);
      }
      parsed.options[argument] = value;
      ++at;
    } else {
      if (parsed.command->operand.empty() || operandGiven)
        throw UsageError("unerwartetes Argument „" + argument + "“");
      parsed.operand = argument;
      operandGiven = true;
      ++at;
    }
  }
  if (parsed.command == nullptr) throw UsageError("kein Befehl angegeben");
  for (const Option& option : parsed.command->options) {
    if (option.required && !parsed.has(option.name)) {
      throw UsageError(std::string(parsed.command->name) + " braucht " + std::string(option.name));
    }
  }
  if (!parsed.command->operand.empty() && !operandGiven) {
    throw UsageError(std::string(parsed.command->name) + " braucht " +
                     std::string(parsed.command->operand));
  }
  return parsed;
}

}  // namespace record_cli
