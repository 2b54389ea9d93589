#include "probe_commands.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <utility>

#include "calc/errors.h"
#include "calc/number_text.h"
#include "calc/sdnr.h"
#include "probe_protocol.h"

namespace probe {
namespace {

// A command the probe cannot run, answered as "error: <reason>".
struct MalformedCommand {
  std::string reason;
};

calc::Extended hexArgument(std::string_view argument) {
  if (const auto value = parseHex20(argument)) return *value;
  throw MalformedCommand{"expected 20 hex digits"};
}

std::string parse(calc::Fpu& fpu, std::string_view argument) {
  const calc::ParsedNumber parsed = calc::ParseNumberText(fpu, decodeEscapes(argument));
  return parsed.ok ? "ok " + formatHex20(parsed.value) : "fail";
}

std::string strict(calc::Fpu& fpu, std::string_view argument) {
  return "ok " + formatHex20(calc::ParseNumberStrict(fpu, decodeEscapes(argument)));
}

std::string single(calc::Fpu& fpu, std::string_view argument) {
  float value = 0;
  if (!calc::CheckNumberSingle(fpu, decodeEscapes(argument), value)) return "false";
  return "true " + formatHex8(std::bit_cast<std::uint32_t>(value));
}

std::string format(calc::Fpu& fpu, std::string_view argument) {
  return calc::FormatNumberGeneral(fpu, hexArgument(argument));
}

std::string round(calc::Fpu& fpu, std::string_view argument) {
  return std::to_string(calc::RoundHalfEven(fpu, hexArgument(argument)));
}

std::string sdnr(calc::Fpu& fpu, std::string_view argument) {
  const auto fields = splitFields(argument, 5);
  if (fields.size() != 4) throw MalformedCommand{"sdnr expects four tab-separated texts"};
  return calc::SdnrResultText(fpu, decodeEscapes(fields[0]), decodeEscapes(fields[1]),
                              decodeEscapes(fields[2]), decodeEscapes(fields[3]));
}

using Handler = std::string (*)(calc::Fpu&, std::string_view);
constexpr std::array<std::pair<std::string_view, Handler>, 6> Commands{{
    {"parse", parse},
    {"strict", strict},
    {"single", single},
    {"format", format},
    {"round", round},
    {"sdnr", sdnr},
}};

// The class name an answer shows for an error of the unit, most derived first.
std::string_view className(const calc::EExternal& error) {
  if (dynamic_cast<const calc::EInvalidOp*>(&error)) return "EInvalidOp";
  if (dynamic_cast<const calc::EZeroDivide*>(&error)) return "EZeroDivide";
  if (dynamic_cast<const calc::EOverflow*>(&error)) return "EOverflow";
  if (dynamic_cast<const calc::EUnderflow*>(&error)) return "EUnderflow";
  if (dynamic_cast<const calc::EMathError*>(&error)) return "EMathError";
  return "EExternal";
}

}  // namespace

std::string answerLine(calc::Fpu& fpu, std::string_view line) {
  const auto [word, argument] = splitCommand(line);
  const auto command =
      std::ranges::find(Commands, word, &std::pair<std::string_view, Handler>::first);
  if (command == Commands.end()) return "error: unknown command '" + encodeEscapes(word) + "'";
  try {
    return command->second(fpu, argument);
  } catch (const MalformedCommand& malformed) {
    return "error: " + malformed.reason;
  } catch (const calc::EConvertError& error) {
    return "EConvertError: " + encodeEscapes(error.message());
  } catch (const calc::EExternal& error) {
    fpu.reset();
    return std::string(className(error)) + ": " + encodeEscapes(error.message());
  }
}

}  // namespace probe
