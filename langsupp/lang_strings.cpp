#include "lang_strings.h"

#include <dlfcn.h>

#include <QFile>
#include <algorithm>

#include "langsupp/string_table.h"

namespace langsupp {

namespace {

// The module SetLangModule assigned; null while the program's own executable is the LangModule.
void* assignedModule = nullptr;

// The program's own executable: its exported symbols come first in the global lookup.
void* programModule() {
  static void* const program = dlopen(nullptr, RTLD_NOW);
  return program;
}

const QuanteloStringTable* langTable() {
  void* const module = assignedModule != nullptr ? assignedModule : programModule();
  return static_cast<const QuanteloStringTable*>(dlsym(module, StringTableSymbol));
}

}  // namespace

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
  void* const module = dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) return false;
  LangSuppFinish();
  assignedModule = module;
  return true;
}

void LangSuppFinish() {
  if (assignedModule == nullptr) return;
  dlclose(assignedModule);
  assignedModule = nullptr;
}

}  // namespace langsupp
