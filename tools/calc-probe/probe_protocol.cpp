#include "probe_protocol.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <system_error>

namespace probe {
namespace {

// Upper-case hex of the low `count` digits of value.
std::string hexDigits(std::uint64_t value, int count) {
  std::string text(count, '0');
  for (int i = count - 1; i >= 0; --i, value >>= 4) text[i] = "0123456789ABCDEF"[value & 0xF];
  return text;
}

// True when the whole of text is the hex number value; from_chars rejects signs and prefixes.
template <typename Unsigned>
bool parseHexField(std::string_view text, Unsigned& value) {
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, 16);
  return error == std::errc{} && stop == end;
}

// The characters written as a backslash and a letter.
struct Escape {
  char character;
  char letter;
};
constexpr std::array<Escape, 3> Escapes{{{'\t', 't'}, {'\\', '\\'}, {'\0', '0'}}};

const Escape* findEscape(char Escape::*field, char c) {
  const auto found = std::ranges::find(Escapes, c, field);
  return found == Escapes.end() ? nullptr : &*found;
}

}  // namespace

Command splitCommand(std::string_view line) {
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos) return {line, {}};
  return {line.substr(0, space), line.substr(space + 1)};
}

std::vector<std::string_view> splitFields(std::string_view argument, std::size_t maxFields) {
  std::vector<std::string_view> fields;
  std::size_t tab;
  while (fields.size() + 1 < maxFields && (tab = argument.find('\t')) != std::string_view::npos) {
    fields.push_back(argument.substr(0, tab));
    argument.remove_prefix(tab + 1);
  }
  fields.push_back(argument);
  return fields;
}

std::string decodeEscapes(std::string_view text) {
  std::string decoded;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const Escape* escape = nullptr;
    if (text[i] == '\\' && i + 1 < text.size()) escape = findEscape(&Escape::letter, text[i + 1]);
    if (escape) {
      decoded += escape->character;
      ++i;
    } else {
      decoded += text[i];
    }
  }
  return decoded;
}

std::string encodeEscapes(std::string_view text) {
  std::string encoded;
  for (const char c : text) {
    if (const Escape* escape = findEscape(&Escape::character, c)) {
      encoded += {'\\', escape->letter};
    } else {
      encoded += c;
    }
  }
  return encoded;
}

std::optional<calc::Extended> parseHex20(std::string_view hex) {
  calc::Extended value;
  if (hex.size() != 20 || !parseHexField(hex.substr(0, 4), value.signExp) ||
      !parseHexField(hex.substr(4), value.sig)) {
    return std::nullopt;
  }
  return value;
}

std::string formatHex20(calc::Extended value) {
  return hexDigits(value.signExp, 4) + hexDigits(value.sig, 16);
}

std::string formatHex8(std::uint32_t bits) {
  return hexDigits(bits, 8);
}

}  // namespace probe
