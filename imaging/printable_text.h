// Texts as the command-line programs print them. A file name, a header or a typed text may hold
// any bytes; what is printed is valid UTF-8 (a byte that forms no character becomes U+FFFD) and
// holds nothing a terminal or a spreadsheet would act on: control characters (C0, DEL, C1) and
// the bidirectional controls are written as \uXXXX, and a table field that a spreadsheet would
// take for a formula gets a leading apostrophe.
#pragma once

#include <string>
#include <string_view>

namespace imaging {

class PrintableText {
 public:
  // For messages on standard error.
  std::string message(std::string_view bytes);
  // A field of the tab-separated table: as message, and a text beginning with "=", "+", "-" or
  // "@" that is not a number gets a leading "'".
  std::string tsvField(std::string_view bytes);
  // A JSON string, quoted, with '"' and '\' escaped too; the text otherwise as read.
  std::string jsonString(std::string_view bytes);

  // Whether any of the texts so far held bytes that form no character.
  bool replacedBytes() const { return replaced_; }

 private:
  std::string escaped(std::string_view bytes, bool json);

  bool replaced_ = false;
};

}  // namespace imaging
