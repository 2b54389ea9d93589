// Reference values and tolerance rules added through the window's forms by keyboard, over a
// record whose device has the acceptance test's reference values (26, 46, 66 mm, valid from
// 16 December 2019) and a tolerance rule for every device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDateEdit>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "example_record.h"
#include "record_windows/mean_picker_dialog.h"
#include "record_windows/reference_values_window.h"

namespace {

const QString Source = QStringLiteral("Abnahmeprotokoll 17 vom 2026-03-02");

class ReferenceValuesWindowTest : public testing::Test {
 protected:
  void SetUp() override {
    window_.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  }
  void TearDown() override {
    EXPECT_TRUE(ReportedErrors().empty()) << ReportedErrors().front();
    ReportedErrors().clear();
  }

  // Makes the window the one typed into from now on.
  void turnTo(QWidget& window) {
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    typing_ = &window;
  }
  // Alt + the mnemonic's letter, then the text typed where the focus went.
  void typeInto(char mnemonic, const QString& text) {
    QTest::keyClick(typing_, mnemonic, Qt::AltModifier);
    auto* field = qobject_cast<QLineEdit*>(QApplication::focusWidget());
    ASSERT_NE(field, nullptr) << "Alt+" << mnemonic << " reached no field";
    field->selectAll();
    QTest::keyClicks(field, text);
  }
  // The first row whose first columns read as given, or -1.
  static int rowOf(const QTableWidget* table, const QStringList& start) {
    for (int row = 0; row < table->rowCount(); ++row) {
      bool same = true;
      for (int column = 0; column < start.size(); ++column)
        same = same && table->item(row, column)->text() == start[column];
      if (same) return row;
    }
    return -1;
  }
  static QString last(const QTableWidget* table, int row) {
    return table->item(row, table->columnCount() - 1)->text();
  }
  // Presses the button by its mnemonic; a button clicks a moment after its shortcut.
  void press(char mnemonic, const QTableWidget* table) {
    const int rows = table->rowCount();
    QTest::keyClick(typing_, mnemonic, Qt::AltModifier);
    ASSERT_TRUE(QTest::qWaitFor(
        [table, rows] { return table->rowCount() != rows || !ReportedErrors().empty(); }));
  }
  // The message the add was refused with, or empty.
  static std::string takeError() {
    if (ReportedErrors().empty()) return {};
    std::string error = ReportedErrors().front();
    ReportedErrors().clear();
    return error;
  }

  ExampleRecord record_{30, 1};
  ReferenceValuesWindow window_{record_.path()};
  QWidget* typing_ = &window_;
  const QString today_ = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
};

TEST_F(ReferenceValuesWindowTest, ReferenceValueSupersedesTheOldOneAndACommaIsRefused) {
  auto* table = window_.findChild<QTableWidget*>(QStringLiteral("references"));
  ASSERT_EQ(table->rowCount(), 3);
  typeInto('d', QStringLiteral("46"));
  typeInto('w', QStringLiteral("6,55"));
  typeInto('q', Source);
  press('h', table);
  EXPECT_NE(takeError().find("mit Punkt"), std::string::npos);
  EXPECT_EQ(table->rowCount(), 3);

  typeInto('w', QStringLiteral("6.55"));
  press('h', table);
  ASSERT_EQ(table->rowCount(), 4);
  const QString device = QStringLiteral("SN-4711 · ACME Medical Mammo 3000");
  const int added = rowOf(table, {device, "46", "SDNR", "6.55", Source, today_});
  ASSERT_EQ(added, 0) << "the newest first";
  EXPECT_EQ(last(table, added), QStringLiteral("gilt"));
  const int old = rowOf(table, {device, "46", "SDNR", "6.40"});
  ASSERT_GE(old, 0);
  EXPECT_EQ(last(table, old), QStringLiteral("abgelöst am ") + today_);
  EXPECT_EQ(last(table, rowOf(table, {device, "26"})), QStringLiteral("gilt"));
}

TEST_F(ReferenceValuesWindowTest, ToleranceRuleNeedsABoundAndSupersedesTheOldOne) {
  QTest::keyClick(&window_, 't', Qt::AltModifier);
  auto* table = window_.findChild<QTableWidget*>(QStringLiteral("tolerances"));
  ASSERT_EQ(table->rowCount(), 1);
  typeInto('q', QStringLiteral("Hausvorschrift, Abschnitt 4"));
  press('h', table);
  EXPECT_NE(takeError().find("mindestens eine Grenze"), std::string::npos);
  EXPECT_EQ(table->rowCount(), 1);

  typeInto('p', QStringLiteral("15"));
  QTest::keyClicks(window_.findChild<QLineEdit*>(QStringLiteral("abovePercent")), "15");
  typeInto('m', QStringLiteral("4.5"));
  press('h', table);
  ASSERT_EQ(table->rowCount(), 2);
  EXPECT_EQ(rowOf(table, {"SDNR", "alle Geräte", "alle", "−15 % / +15 %; min 4.5"}), 0);
  EXPECT_EQ(last(table, 0), QStringLiteral("gilt"));
  EXPECT_TRUE(last(table, 1).startsWith(QStringLiteral("abgelöst am ") + today_));
}

TEST_F(ReferenceValuesWindowTest, MeanOfChosenMeasurementsBecomesTheReference) {
  typeInto('d', QStringLiteral("26"));
  typeInto('q', Source);
  int expected = 0;  // in hundredths
  bool picked = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (QApplication::activeModalWidget() == nullptr) return;
    watch.stop();
    picked = true;
    auto* picker =
        dynamic_cast<record_windows::MeanPickerDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(picker, nullptr);
    picker->findChild<QDateEdit*>(QStringLiteral("from"))->setDate({2020, 1, 1});
    auto* measurements = picker->findChild<QTableWidget*>(QStringLiteral("measurements"));
    ASSERT_EQ(measurements->rowCount(), 10);  // one a session, ten sessions
    for (int row : {2, 3, 7}) {
      measurements->selectionModel()->select(
          measurements->model()->index(row, 0),
          QItemSelectionModel::Select | QItemSelectionModel::Rows);
      expected += qRound(measurements->item(row, 2)->text().toDouble() * 100);
    }
    expected = qRound(expected / 3.0);
    EXPECT_EQ(picker->findChild<QLabel*>(QStringLiteral("mean"))->text(),
              QStringLiteral("Mittelwert: %1 (n = 3)").arg(QString::number(expected / 100.0)));
    picker->accept();
  });
  watch.start(10);
  QTest::keyClick(&window_, 'm', Qt::AltModifier);
  ASSERT_TRUE(QTest::qWaitFor([&picked] { return picked; }));
  // The offscreen platform gives the focus back to no window once a modal one has closed.
  window_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
  auto* table = window_.findChild<QTableWidget*>(QStringLiteral("references"));
  press('h', table);
  ASSERT_EQ(table->rowCount(), 4);
  EXPECT_EQ(table->item(0, 3)->text(), QString::number(expected / 100.0));
  EXPECT_TRUE(table->item(0, 4)->text().startsWith(Source + QStringLiteral(" (Mittelwert der")));
}

// Two people on the same record add for the same key, each from the list as their window showed
// it: the second is told what the first entered, nothing of theirs is stored, their list shows
// the first's entry, and their form keeps what they typed, so that one key adds it after all.
TEST_F(ReferenceValuesWindowTest, TheSecondOfTwoAddingForTheSameKeySeesTheFirstsEntry) {
  const struct {
    char page;  // the tab's mnemonic
    const char* table;
    const char* key;  // typed into the field of mnemonic 'd' first, where given
    char valueField;  // a reference's value, a rule's percent below
    const char* valueName;
    const char* firstValue;
    const char* secondValue;
    const char* firstListed;  // the values as the list's fourth column shows them
    const char* secondListed;
  } pages[] = {
      {'b', "references", "46", 'w', "referenceValue", "6.55", "6.65", "6.55", "6.65"},
      {'t', "tolerances", nullptr, 'p', "belowPercent", "12", "13", "−12 %", "−13 %"},
  };
  ReferenceValuesWindow second{record_.path()};
  second.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&second));
  for (const auto& page : pages) {
    SCOPED_TRACE(page.table);
    auto* firstTable = window_.findChild<QTableWidget*>(QString::fromLatin1(page.table));
    auto* secondTable = second.findChild<QTableWidget*>(QString::fromLatin1(page.table));
    const int rows = secondTable->rowCount();
    ASSERT_EQ(firstTable->rowCount(), rows);
    const auto fill = [&](QWidget& window, const char* value, const QString& source) {
      turnTo(window);
      QTest::keyClick(&window, page.page, Qt::AltModifier);
      if (page.key != nullptr) typeInto('d', QString::fromLatin1(page.key));
      typeInto(page.valueField, QString::fromUtf8(value));
      typeInto('q', source);
    };

    fill(window_, page.firstValue, QStringLiteral("Erste"));
    press('h', firstTable);
    ASSERT_EQ(firstTable->rowCount(), rows + 1);
    EXPECT_EQ(secondTable->rowCount(), rows) << "the second has not looked again";

    fill(second, page.secondValue, QStringLiteral("Zweite"));
    press('h', secondTable);
    const std::string message = takeError();
    EXPECT_NE(message.find(std::string(page.firstListed) + " (Quelle „Erste“"), std::string::npos)
        << message;
    EXPECT_NE(message.find("nicht gespeichert. Bitte den neuen Stand prüfen"), std::string::npos)
        << message;
    // Read again from the record: the first's entry, and nothing of the second's.
    ASSERT_EQ(secondTable->rowCount(), rows + 1);
    EXPECT_EQ(secondTable->item(0, 3)->text(), QString::fromUtf8(page.firstListed));
    EXPECT_EQ(second.findChild<QLineEdit*>(QString::fromLatin1(page.valueName))->text(),
              QString::fromUtf8(page.secondValue));

    press('h', secondTable);
    ASSERT_EQ(secondTable->rowCount(), rows + 2) << takeError();
    EXPECT_EQ(secondTable->item(0, 3)->text(), QString::fromUtf8(page.secondListed));
    EXPECT_EQ(secondTable->item(1, 3)->text(), QString::fromUtf8(page.firstListed));
  }
}

}  // namespace
