// The history window over a team record, live: what another program saves appears without a
// restart, with its device, while the row the user stands on stays current.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QProcess>
#include <QTableView>
#include <QTest>

#include "example_record.h"
#include "record_windows/history_table_model.h"
#include "record_windows/history_window.h"
#include "tests/team_record/test_server.h"

namespace {

// The saver saves its own sessions and as many shared ones (see team_record_saver.cpp).
void SaveElsewhere(const QString& address, const QString& writer, int count) {
  QProcess saver;
  saver.start(QStringLiteral(SAVER), {address, writer, QString::number(count)});
  ASSERT_TRUE(saver.waitForFinished(60000));
  ASSERT_EQ(saver.exitCode(), 0) << saver.readAllStandardError().toStdString();
}

bool WaitForRows(const QAbstractItemModel* model, int rows) {
  // Generous: a loaded machine; the time it takes is a figure of its own.
  return QTest::qWaitFor([model, rows] { return model->rowCount() == rows; }, 30000);
}

TEST(LiveHistory, ShowsWhatAnotherProgramSaves) {
  const team_record_test::ServerDatabase server;
  HistoryWindow window(server.clientAddress());
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  auto* device = window.findChild<QComboBox*>(QStringLiteral("device"));
  auto* table = window.findChild<QTableView*>(QStringLiteral("history"));
  ASSERT_TRUE(device && table);
  window.findChild<QDateEdit*>(QStringLiteral("from"))->setDate({2000, 1, 1});
  window.findChild<QDateEdit*>(QStringLiteral("to"))->setDate({2100, 12, 31});
  const QAbstractItemModel* model = table->model();
  EXPECT_EQ(device->count(), 0);

  SaveElsewhere(server.clientAddress(), QStringLiteral("a"), 1);
  ASSERT_TRUE(WaitForRows(model, 2)) << model->rowCount();
  EXPECT_EQ(device->count(), 1);
  table->setCurrentIndex(model->index(1, 0));
  const qint64 current =
      static_cast<const record_windows::HistoryTableModel*>(model)->historyRow(1).measurement;

  // Three new: the first shared one is saved already.
  SaveElsewhere(server.clientAddress(), QStringLiteral("b"), 2);
  ASSERT_TRUE(WaitForRows(model, 5)) << model->rowCount();
  ASSERT_TRUE(table->currentIndex().isValid());
  EXPECT_EQ(static_cast<const record_windows::HistoryTableModel*>(model)
                ->historyRow(table->currentIndex().row())
                .measurement,
            current);
  EXPECT_TRUE(ReportedErrors().empty()) << ReportedErrors().front();
  ReportedErrors().clear();
}

}  // namespace
