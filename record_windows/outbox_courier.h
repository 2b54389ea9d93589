// Sends the saves waiting in the outbox to their team records: as the program starts and every
// 30 s after, on a thread of its own, so that a server out of reach never holds up the windows.
// What a server refuses is told in a message box; the same failure is told once only.
#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <set>
#include <string>
#include <vector>

class QWidget;

namespace record_windows {

class OutboxCourier : public QObject {
 public:
  // window: the one the message boxes belong to.
  OutboxCourier(QWidget* window, QString outboxPath);
  OutboxCourier(const OutboxCourier&) = delete;
  OutboxCourier& operator=(const OutboxCourier&) = delete;

 private:
  void sendRound();
  void tellRound();

  QWidget* window_;
  QString outboxPath_;
  QTimer timer_;
  // What a round told, in German.
  QFutureWatcher<std::vector<std::string>> round_;
  std::set<std::string> told_;
};

}  // namespace record_windows
