#include "connection_name.h"

#include <QSqlDatabase>
#include <atomic>

namespace record {

ConnectionName::ConnectionName(const char* prefix) {
  static std::atomic<int> next{0};
  text_ = QStringLiteral("%1-%2").arg(QLatin1String(prefix)).arg(next++);
}

ConnectionName::~ConnectionName() {
  QSqlDatabase::database(text_, false).close();
  QSqlDatabase::removeDatabase(text_);
}

}  // namespace record
