// A name of its own for a Qt SQL connection, unique in the process; the connection is closed and
// given up with it, also where opening fails half-way.
#pragma once

#include <QString>

namespace record {

class ConnectionName {
 public:
  // "PREFIX-N", N counting up from 0 in the process.
  explicit ConnectionName(const char* prefix);
  ~ConnectionName();
  ConnectionName(const ConnectionName&) = delete;
  ConnectionName& operator=(const ConnectionName&) = delete;
  const QString& text() const { return text_; }

 private:
  QString text_;
};

}  // namespace record
