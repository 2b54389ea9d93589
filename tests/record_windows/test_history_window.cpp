// The history window over a record of two devices, 300 measurements each from 3 January to
// 21 May 2020 (100 working days, three thicknesses a day).
#include <gtest/gtest.h>

#include <QComboBox>
#include <QDateEdit>
#include <QTableView>
#include <QTest>

#include "example_history.h"
#include "example_record.h"
#include "record_windows/history_table_model.h"
#include "record_windows/history_window.h"
#include "record_windows/trend_plot_view.h"
#include "tests/toolkit/qt_print.h"

using record_windows::HistoryTableModel;

namespace {

class HistoryWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    device_ = window_.findChild<QComboBox*>(QStringLiteral("device"));
    from_ = window_.findChild<QDateEdit*>(QStringLiteral("from"));
    to_ = window_.findChild<QDateEdit*>(QStringLiteral("to"));
    table_ = window_.findChild<QTableView*>(QStringLiteral("history"));
    plot_ = window_.findChild<record_windows::TrendPlotView*>(QStringLiteral("plot"));
    ASSERT_TRUE(device_ && from_ && to_ && table_ && plot_);
    model_ = static_cast<HistoryTableModel*>(table_->model());
  }
  void TearDown() override {
    EXPECT_TRUE(ReportedErrors().empty()) << ReportedErrors().front();
    ReportedErrors().clear();
  }

  void choose(int device, QDate from, QDate to) {
    device_->setCurrentIndex(device);
    from_->setDate(from);
    to_->setDate(to);
  }

  // Written once for all the tests, after the application object exists.
  static const ExampleRecord& record() {
    static const ExampleRecord record(600, 2);
    return record;
  }

  HistoryWindow window_{record().path()};
  QComboBox* device_ = nullptr;
  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QTableView* table_ = nullptr;
  record_windows::TrendPlotView* plot_ = nullptr;
  HistoryTableModel* model_ = nullptr;
};

TEST_F(HistoryWindowTest, DeviceAndPeriodChooseTheRows) {
  struct Case {
    int device;
    QDate from, to;
    int rows;
  };
  const Case cases[] = {
      {0, {2020, 1, 1}, {2020, 12, 31}, 300},  // all of the first device's
      {1, {2020, 2, 1}, {2020, 2, 29}, 60},    // 20 working days
      {1, {2020, 3, 2}, {2020, 3, 2}, 3},      // one day, both ends included
      {0, {2020, 5, 22}, {2021, 12, 31}, 0},   // after the last check
      {0, {2020, 6, 1}, {2020, 1, 1}, 0},      // the wrong way round
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(QStringLiteral("device %1, %2 to %3")
                     .arg(c.device)
                     .arg(c.from.toString(Qt::ISODate), c.to.toString(Qt::ISODate))
                     .toStdString());
    choose(c.device, c.from, c.to);
    // The view reads no more than it shows: the first batch, not the whole history.
    if (c.rows > HistoryTableModel::BatchSize) {
      ASSERT_TRUE(QTest::qWaitFor([this] {
        return model_->rowCount() == HistoryTableModel::BatchSize;
      })) << model_->rowCount();
    }
    while (model_->canFetchMore({})) model_->fetchMore({});
    ASSERT_EQ(model_->rowCount(), c.rows);
    for (int row = 0; row < model_->rowCount(); ++row) {
      const record::HistoryRow& shown = model_->historyRow(row);
      ASSERT_EQ(shown.serialNumber, bench_record::ExampleSerial(c.device));
      const QDate date = QDate::fromString(shown.date, Qt::ISODate);
      ASSERT_TRUE(date >= c.from && date <= c.to) << shown.date.toStdString();
    }
    ASSERT_TRUE(QTest::qWaitFor([this] { return !plot_->loading(); }));
    const QString summary = plot_->accessibleDescription();
    if (c.rows == 0) {
      EXPECT_EQ(summary, QStringLiteral("Keine Messungen im Zeitraum"));
    } else {
      EXPECT_TRUE(summary.startsWith(QStringLiteral("%1 Messungen, ").arg(c.rows)))
          << summary.toStdString();
    }
  }
}

TEST_F(HistoryWindowTest, TableShowsNumbersWithPointAndVerdictInWords) {
  choose(0, {2020, 3, 2}, {2020, 3, 2});
  ASSERT_TRUE(QTest::qWaitFor([this] { return model_->rowCount() == 3; })) << model_->rowCount();
  const auto cell = [this](int column) { return model_->index(1, column).data().toString(); };
  EXPECT_EQ(cell(HistoryTableModel::Date), QStringLiteral("02.03.2020"));
  EXPECT_EQ(cell(HistoryTableModel::Thickness), QStringLiteral("46"));
  EXPECT_EQ(cell(HistoryTableModel::Reference), QStringLiteral("6.40"));
  EXPECT_TRUE(cell(HistoryTableModel::Sdnr).contains(QLatin1Char('.')));
  EXPECT_TRUE(cell(HistoryTableModel::Verdict) == QStringLiteral("bestanden") ||
              cell(HistoryTableModel::Verdict) == QStringLiteral("nicht bestanden"));
}

TEST_F(HistoryWindowTest, TabReachesEveryControlInOrder) {
  device_->setFocus();
  // A date takes Tab from day to month to year before it hands the focus on.
  QStringList stops;
  do {
    const QString name = QApplication::focusWidget()->objectName();
    if (stops.isEmpty() || stops.last() != name) stops << name;
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  } while (QApplication::focusWidget() != device_ && stops.size() < 20);
  EXPECT_EQ(stops, QStringList(
                       {"device", "from", "to", "history", "plot", "export", "protocol", "close"}));
  QTest::keyClick(&window_, Qt::Key_Escape);
  EXPECT_FALSE(window_.isVisible());
}

}  // namespace
