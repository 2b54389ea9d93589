// The history window's notice of saves waiting for the team record's server: shown while any
// wait, gone by itself once they are sent, never for a file record.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>

#include "record/save_or_queue.h"
#include "record_windows/waiting_notice.h"
#include "tests/record/record_test_data.h"

namespace {

TEST(WaitingNotice, ShowsWhileSavesWaitAndGoesOnceSent) {
  const QString address = QStringLiteral("postgresql://qa@server.example/record");
  QTemporaryDir folder;
  const QString outboxPath = folder.filePath("outbox.sqlite");
  record::Outbox(outboxPath)
      .add(address, record_test::Session("key-1"),
           {record_test::Image({"1.2.3", "5.00"}), record_test::Image({"1.2.4", "5.10"})});

  QWidget window;
  auto* notice = new record_windows::WaitingNotice(address, outboxPath, &window);
  auto* fileNotice =
      new record_windows::WaitingNotice(folder.filePath("record.sqlite"), outboxPath, &window);
  EXPECT_FALSE(notice->isHidden());
  EXPECT_EQ(notice->text(), "2 Messungen warten auf den Server.");
  EXPECT_TRUE(fileNotice->isHidden());

  // The server is back and takes them.
  record::SendWaiting(
      outboxPath,
      [&folder](const QString&) {
        return std::make_unique<record::RecordDatabase>(folder.filePath("server.sqlite"));
      },
      [](const std::string& message) { ADD_FAILURE() << message; });
  EXPECT_TRUE(QTest::qWaitFor([notice] { return notice->isHidden(); }, 10000));
}

}  // namespace
