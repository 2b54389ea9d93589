#include "outbox_courier.h"

#include <QMessageBox>
#include <QtConcurrent/QtConcurrentRun>
#include <chrono>

#include "record/save_or_queue.h"

namespace record_windows {
namespace {

constexpr std::chrono::seconds RoundEvery(30);

}  // namespace

OutboxCourier::OutboxCourier(QWidget* window, QString outboxPath)
    : window_(window), outboxPath_(std::move(outboxPath)) {
  connect(&timer_, &QTimer::timeout, this, [this] { sendRound(); });
  connect(&round_, &QFutureWatcherBase::finished, this, [this] { tellRound(); });
  timer_.start(RoundEvery);
  sendRound();
}

void OutboxCourier::sendRound() {
  if (round_.isRunning()) return;
  round_.setFuture(QtConcurrent::run([outboxPath = outboxPath_] {
    std::vector<std::string> told;
    record::SendWaiting(outboxPath, record::OpenRecord,
                        [&told](const std::string& message) { told.push_back(message); });
    return told;
  }));
}

void OutboxCourier::tellRound() {
  // No round meanwhile: a message box waits for the user.
  timer_.stop();
  for (const std::string& message : round_.result()) {
    // A failure that stays (a server refusing every save) is told once, not every 30 s.
    if (!told_.insert(message).second) continue;
    QMessageBox::warning(window_, QStringLiteral("Quantelo"), QString::fromStdString(message));
  }
  timer_.start();
}

}  // namespace record_windows
