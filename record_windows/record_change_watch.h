// Tells a window showing the team record that another program has saved to it or amended it, so
// that the window reads it again without a restart. The server's notifications arrive on the
// window's own connection; a burst of saves is told once, a moment after its first. A file record
// tells nothing: no other computer writes to it.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "record/record_database.h"

namespace record_windows {

class RecordChangeWatch : public QObject {
 public:
  // changed runs on the thread of database's connection. Raises record::RecordError where the
  // server refuses to tell, record::RecordUnreachable where it is gone.
  RecordChangeWatch(record::RecordDatabase& database, std::function<void()> changed);

 private:
  QTimer settle_;
};

}  // namespace record_windows
