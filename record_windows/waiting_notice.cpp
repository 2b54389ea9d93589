#include "waiting_notice.h"

#include <QTimer>

#include "record/outbox.h"
#include "record/record_error.h"
#include "record/server_address.h"

namespace record_windows {
namespace {

constexpr int LookEveryMilliseconds = 3000;

}  // namespace

WaitingNotice::WaitingNotice(QString recordLocation, QString outboxPath, QWidget* parent)
    : QLabel(parent),
      recordLocation_(std::move(recordLocation)),
      outboxPath_(std::move(outboxPath)) {
  setObjectName(QStringLiteral("waiting"));
  setTextFormat(Qt::PlainText);
  setWordWrap(true);
  QFont bold = font();
  bold.setBold(true);
  setFont(bold);
  hide();
  if (!record::IsServerAddress(recordLocation_)) return;
  auto* timer = new QTimer(this);
  connect(timer, &QTimer::timeout, this, [this] { look(); });
  timer->start(LookEveryMilliseconds);
  look();
}

void WaitingNotice::look() {
  QString text;
  try {
    const qint64 waiting = record::WaitingFor(outboxPath_, recordLocation_);
    if (waiting > 0) text = record::WaitingText(waiting) + '.';
  } catch (const record::RecordError& error) {
    text = QString::fromStdString(error.what());
  }
  setText(text);
  setAccessibleDescription(text);
  setVisible(!text.isEmpty());
}

}  // namespace record_windows
