// UTF-8 read as the standard has it, and cut only between characters.
#include <gtest/gtest.h>

#include "imaging/utf8_text.h"

namespace {

TEST(Utf8Text, OnlyWellFormedCharactersAndCutsBetweenThem) {
  const struct {
    const char* bytes;
    std::size_t length;  // of the character at the start; 0 for none
    char32_t codePoint;
  } characters[] = {
      {"A", 1, U'A'},
      {"\xC3\xA4", 2, U'ä'},
      {"\xE2\x80\xAE", 3, 0x202E},
      {"\xF0\x9F\x98\x80", 4, 0x1F600},
      {"\xC0\x80", 0, 0},          // overlong NUL
      {"\xE0\x80\xAF", 0, 0},      // overlong "/"
      {"\xED\xA0\x80", 0, 0},      // a surrogate
      {"\xF4\x90\x80\x80", 0, 0},  // beyond U+10FFFF
      {"\xE2\x82", 0, 0},          // cut short
      {"\x80", 0, 0},              // a continuation byte alone
      {"\xE9t", 0, 0},             // Latin-1
  };
  for (const auto& c : characters) {
    SCOPED_TRACE(c.bytes);
    const auto character = imaging::Utf8CharacterAt(c.bytes, 0);
    ASSERT_EQ(character.has_value(), c.length != 0);
    if (character) {
      EXPECT_EQ(character->length, c.length);
      EXPECT_EQ(character->codePoint, c.codePoint);
    }
  }
  // "aä€" is 1 + 2 + 3 bytes; a stray byte counts as one.
  const std::string_view text = "a\xC3\xA4\xE2\x82\xAC\xFFz";
  const std::pair<std::size_t, std::size_t> prefixes[] = {{0, 0}, {1, 1}, {2, 1}, {3, 3},
                                                          {5, 3}, {6, 6}, {7, 7}, {100, 8}};
  for (const auto& [most, kept] : prefixes) {
    EXPECT_EQ(imaging::Utf8Prefix(text, most), text.substr(0, kept)) << most;
  }
}

}  // namespace
