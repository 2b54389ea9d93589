#include "lang_strings.h"

#include <QLibrary>
#include <algorithm>
#include <memory>

#include "langsupp/string_table.h"

namespace langsupp {

namespace {

// The program's own table; null in a program without string resources.
const QuanteloStringTable* programTable = nullptr;

// The module SetLangModule assigned, and its table (null when it has none); no module while the
// program's own executable is the LangModule.
std::unique_ptr<QLibrary> assignedModule;
const QuanteloStringTable* assignedTable = nullptr;

const QuanteloStringTable* langTable() {
  return assignedModule ? assignedTable : programTable;
}

}  // namespace

void SetProgramStringTable(const QuanteloStringTable* table) {
  programTable = table;
}

QString LoadLangString(int id) {
  const QuanteloStringTable* const table = langTable();
  if (table == nullptr) return {};
  const QuanteloStringEntry* const end = table->entries + table->count;
  const QuanteloStringEntry* const entry = std::lower_bound(
      table->entries, end, id, [](const QuanteloStringEntry& e, int key) { return e.id < key; });
  if (entry == end || entry->id != id) return {};
  QString text = QString::fromUtf8(entry->text);
  if (text.size() > MaxLangStringLength) {
    const bool splitsPair = text.at(MaxLangStringLength - 1).isHighSurrogate();
    text.truncate(MaxLangStringLength - (splitsPair ? 1 : 0));
  }
  return text;
}

bool SetLangModule(const QString& path) {
  auto module = std::make_unique<QLibrary>(path);
  module->setLoadHints(QLibrary::ResolveAllSymbolsHint);
  if (!module->load()) return false;
  LangSuppFinish();
  assignedTable = reinterpret_cast<const QuanteloStringTable*>(module->resolve(StringTableSymbol));
  assignedModule = std::move(module);
  return true;
}

void LangSuppFinish() {
  if (!assignedModule) return;
  assignedModule->unload();
  assignedModule.reset();
  assignedTable = nullptr;
}

}  // namespace langsupp
