#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "probe_protocol.h"

namespace {

using namespace std::string_literals;

TEST(ProbeProtocol, SplitsCommandAtFirstSpace) {
  struct Case {
    std::string_view line, word, argument;
  };
  const Case cases[] = {
      {"parse 1", "parse", "1"},
      {"parse", "parse", ""},
      {"parse  1 ", "parse", " 1 "},
      {"parse 1\r", "parse", "1\r"},
      {"sdnr a b\tc", "sdnr", "a b\tc"},
      {" 1", "", "1"},
      {"", "", ""},
  };
  for (const Case& c : cases) {
    const probe::Command command = probe::splitCommand(c.line);
    EXPECT_EQ(command.word, c.word) << c.line;
    EXPECT_EQ(command.argument, c.argument) << c.line;
  }
}

TEST(ProbeProtocol, SplitsFieldsAtTabsUpToTheLimit) {
  using Fields = std::vector<std::string_view>;
  EXPECT_EQ(probe::splitFields("1\t2\t3\t4", 5), (Fields{"1", "2", "3", "4"}));
  EXPECT_EQ(probe::splitFields("1\\t2\t\t", 5), (Fields{"1\\t2", "", ""}));
  EXPECT_EQ(probe::splitFields("", 5), (Fields{""}));
  EXPECT_EQ(probe::splitFields("1\t2\t3\t4\t5\t6\t7", 5), (Fields{"1", "2", "3", "4", "5\t6\t7"}));
}

TEST(ProbeProtocol, EscapesDecodeAndEncode) {
  struct Case {
    std::string encoded, decoded;
  };
  const Case cases[] = {
      {"plain 1.5", "plain 1.5"}, {"a\\tb", "a\tb"}, {"\\\\", "\\"},
      {"%s%n\\0x", "%s%n\0x"s},   {"\\\\t", "\\t"},  {"\\t\\\\\\0", "\t\\\0"s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(probe::decodeEscapes(c.encoded), c.decoded) << c.encoded;
    EXPECT_EQ(probe::encodeEscapes(c.decoded), c.encoded) << c.encoded;
  }
}

TEST(ProbeProtocol, OtherBackslashesStayOnDecode) {
  for (const std::string_view text : {"\\n", "a\\", "\\x\\", "\\r\\1"}) {
    EXPECT_EQ(probe::decodeEscapes(text), text);
    EXPECT_EQ(probe::decodeEscapes(probe::encodeEscapes(text)), text);
  }
}

TEST(ProbeProtocol, HexRoundTripsValues) {
  struct Case {
    std::string_view hex;
    calc::Extended value;
    std::string_view printed;
  };
  const Case cases[] = {
      {"3FFF8000000000000000", calc::makeExtended(false, 0x3FFF, calc::IntegerBit),
       "3FFF8000000000000000"},
      {"c000a000000000000001", calc::makeExtended(true, 0x4000, 0xA000000000000001),
       "C000A000000000000001"},
      {"FFFFFFFFFFFFFFFFFFFF", calc::makeExtended(true, 0x7FFF, ~std::uint64_t{0}),
       "FFFFFFFFFFFFFFFFFFFF"},
      {"00000000000000000000", calc::Extended{}, "00000000000000000000"},
  };
  for (const Case& c : cases) {
    const auto value = probe::parseHex20(c.hex);
    ASSERT_TRUE(value) << c.hex;
    EXPECT_EQ(*value, c.value) << c.hex;
    EXPECT_EQ(probe::formatHex20(*value), c.printed);
  }
  EXPECT_EQ(probe::formatHex8(0x3F800000), "3F800000");
  EXPECT_EQ(probe::formatHex8(0x1), "00000001");
}

TEST(ProbeProtocol, HexRejectsAnythingButTwentyDigits) {
  for (const std::string_view hex :
       {"", "3FFF800000000000000", "3FFF80000000000000000", "3FFG8000000000000000",
        " 3FFF800000000000000", "3FFF800000000000000 ", "+3FF8000000000000000",
        "3FFF-800000000000000", "0x3F8000000000000000"}) {
    EXPECT_FALSE(probe::parseHex20(hex)) << hex;
  }
}

}  // namespace
