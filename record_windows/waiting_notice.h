// "n Messungen warten auf den Server": shown above a team record's history while saves for it
// wait in the outbox, hidden when none do. It looks again every few seconds, as the outbox
// empties in the background once the server is back.
#pragma once

#include <QLabel>
#include <QString>

namespace record_windows {

class WaitingNotice : public QLabel {
 public:
  // recordLocation: the record shown; a file record never has saves waiting. parent: the window it
  // is shown in, given at once, so that it never shows as a window of its own.
  WaitingNotice(QString recordLocation, QString outboxPath, QWidget* parent);

 private:
  void look();

  QString recordLocation_;
  QString outboxPath_;
};

}  // namespace record_windows
