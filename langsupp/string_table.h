// The string table a module carries: its texts by number, in a C layout so that the loader can
// read the table of any shared library by symbol name; a program registers its own at start-up.
#pragma once

#include <stddef.h>

extern "C" {

struct QuanteloStringEntry {
  int id;
  const char* text;  // UTF-8, zero-terminated
};

struct QuanteloStringTable {
  const QuanteloStringEntry* entries;  // ascending by id, each id once; null when count is 0
  size_t count;
};

// Defined by the source generated for each module (quantelo_add_string_resources); declared
// here so that every definition is checked against this type. Exported even from a module built
// with hidden visibility, and protected: every module has a table of this name, and a module's
// own references (the sanitizer's, say) must reach its own table, not the program's.
__attribute__((visibility("protected"))) extern const QuanteloStringTable quantelo_string_resources;
}

namespace langsupp {

// The name the loader looks the table up by: the variable above.
inline constexpr const char* StringTableSymbol = "quantelo_string_resources";

}  // namespace langsupp
