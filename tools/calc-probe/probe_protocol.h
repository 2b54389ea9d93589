// The line format of calc-probe: command splitting, text escapes and the hex form of values.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calc/extended.h"

namespace probe {

struct Command {
  std::string_view word;
  std::string_view argument;
};

// The word runs to the first space; everything after that one space is the argument, spaces
// and a trailing carriage return included. A line without a space has an empty argument.
Command splitCommand(std::string_view line);

// The argument cut at its tabs into at most maxFields fields, the last holding the rest: a
// caller that wants n fields asks for n + 1 to tell a longer argument, and no argument, however
// many tabs it has, costs more than that.
std::vector<std::string_view> splitFields(std::string_view argument, std::size_t maxFields);

// "\t" is a tab, "\\" a backslash, "\0" a character 0; any other backslash pair stays as it is.
std::string decodeEscapes(std::string_view text);
// Writes tab, backslash and character 0 with those escapes, so any text fits on one line and
// decodes back to itself.
std::string encodeEscapes(std::string_view text);

// 20 hex digits, either case: 4 for sign and biased exponent, then 16 for the significand with
// its explicit integer bit. Anything else gives nothing.
std::optional<calc::Extended> parseHex20(std::string_view hex);
std::string formatHex20(calc::Extended value);
// The 32 bits of a single as 8 hex digits.
std::string formatHex8(std::uint32_t bits);

}  // namespace probe
