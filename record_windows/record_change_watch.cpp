#include "record_change_watch.h"

#include <QSqlDriver>
#include <QSqlError>

#include "record/record_schema.h"
#include "record/server_connection.h"

namespace record_windows {
namespace {

// Long enough to gather one session's saves, short enough to show them within a breath.
constexpr int SettleMilliseconds = 200;

}  // namespace

RecordChangeWatch::RecordChangeWatch(record::RecordDatabase& database,
                                     std::function<void()> changed) {
  if (database.dialect() != record::Dialect::Postgresql) return;
  settle_.setSingleShot(true);
  settle_.setInterval(SettleMilliseconds);
  connect(&settle_, &QTimer::timeout, this, std::move(changed));
  QSqlDriver* driver = database.connection().driver();
  if (!driver->subscribeToNotification(QString::fromLatin1(record::NotifyChannel))) {
    record::FailOnServer(database.connection(), "Der QA-Record meldet neue Messungen nicht.",
                         driver->lastError());
  }
  connect(driver, &QSqlDriver::notification, this, [this] {
    if (!settle_.isActive()) settle_.start();
  });
}

}  // namespace record_windows
