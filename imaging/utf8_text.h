// UTF-8 read character by character: the texts of a header and of file names may hold any bytes,
// and whatever prints them must not cut a character in two or pass on bytes that are none.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace imaging {

struct Utf8Character {
  char32_t codePoint = 0;
  std::size_t length = 0;  // bytes, 1 to 4
};

// The well-formed character starting at at (shortest form, no surrogates, at most U+10FFFF), or
// nullopt where the bytes there are none.
std::optional<Utf8Character> Utf8CharacterAt(std::string_view text, std::size_t at);

// The longest start of text of at most maxBytes that ends at a character's end; bytes that form
// no character count as one each.
std::string_view Utf8Prefix(std::string_view text, std::size_t maxBytes);

}  // namespace imaging
