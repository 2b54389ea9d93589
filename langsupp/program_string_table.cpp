// Compiled into each program that carries string resources: makes its table the one strings are
// read from while no module is assigned, without looking the program up as a module.
#include "langsupp/lang_strings.h"
#include "langsupp/string_table.h"

namespace {
const bool registered = (langsupp::SetProgramStringTable(&quantelo_string_resources), true);
}  // namespace
