// Numbered strings read from a module's string table, and the module they are read from.
#pragma once

#include <QString>

struct QuanteloStringTable;

namespace langsupp {

// The longest text LoadLangString gives, in UTF-16 code units.
inline constexpr qsizetype MaxLangStringLength = 254;

// String id of the LangModule: the program's own executable unless SetLangModule assigned
// another module. A number without a string, or a module without a table, gives the empty text.
// A longer text is cut to MaxLangStringLength code units, one fewer where the cut would split a
// surrogate pair, so that the result stays well-formed.
QString LoadLangString(int id);

// Makes the shared library at path the LangModule, releasing the one assigned before. False,
// with the LangModule unchanged, when the library cannot be loaded.
bool SetLangModule(const QString& path);

// Makes table the program's own. Called at start-up by the source every program with string
// resources is built with (quantelo_add_string_resources).
void SetProgramStringTable(const QuanteloStringTable* table);

// The unit's finishing action: releases an assigned module, so that strings come from the
// program's own executable again.
void LangSuppFinish();

}  // namespace langsupp
