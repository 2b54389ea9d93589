#include "printable_text.h"

#include <cstdio>
#include <optional>

#include "utf8_text.h"

namespace imaging {
namespace {

// C0 and C1 controls, DEL, and the marks and embeddings, overrides and isolates of the
// bidirectional algorithm, which turn the text around them on a terminal.
bool isControl(char32_t c) {
  return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x061C || c == 0x200E || c == 0x200F ||
         (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number as the measurement and the header write them: "-12.5", "1.5E-5", "28".
bool isNumber(std::string_view text) {
  std::size_t at = text.starts_with('-') || text.starts_with('+') ? 1 : 0;
  std::size_t digits = 0;
  bool point = false;
  for (; at < text.size() && (isDigit(text[at]) || (text[at] == '.' && !point)); ++at) {
    point = point || text[at] == '.';
    digits += isDigit(text[at]);
  }
  if (digits == 0) return false;
  if (at < text.size() && (text[at] == 'E' || text[at] == 'e')) {
    ++at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    if (at == text.size()) return false;
    while (at < text.size() && isDigit(text[at])) ++at;
  }
  return at == text.size();
}

// Printable ASCII, which passes as it is: most of any text, taken in runs rather than character
// by character.
bool isPlainAscii(char c, bool json) {
  return c >= 0x20 && c < 0x7F && !(json && (c == '"' || c == '\\'));
}

}  // namespace

std::string PrintableText::escaped(std::string_view bytes, bool json) {
  std::string text;
  text.reserve(bytes.size());
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t plain = at;
    while (plain < bytes.size() && isPlainAscii(bytes[plain], json)) ++plain;
    if (plain > at) {
      text += bytes.substr(at, plain - at);
      at = plain;
      continue;
    }
    const std::optional<imaging::Utf8Character> character = imaging::Utf8CharacterAt(bytes, at);
    if (!character) {
      text += "\uFFFD";
      replaced_ = true;
      ++at;
      continue;
    }
    const char32_t c = character->codePoint;
    if (isControl(c)) {
      char code[8];
      std::snprintf(code, sizeof code, "\\u%04X", static_cast<unsigned>(c));
      text += code;
    } else {
      if (json && (c == '"' || c == '\\')) text += '\\';
      text += bytes.substr(at, character->length);
    }
    at += character->length;
  }
  return text;
}

std::string PrintableText::message(std::string_view bytes) {
  return escaped(bytes, false);
}

std::string PrintableText::tsvField(std::string_view bytes) {
  std::string field = escaped(bytes, false);
  const bool formula =
      !field.empty() && (field[0] == '=' || field[0] == '+' || field[0] == '-' || field[0] == '@');
  return formula && !isNumber(field) ? "'" + field : field;
}

std::string PrintableText::jsonString(std::string_view bytes) {
  return '"' + escaped(bytes, true) + '"';
}

}  // namespace imaging
