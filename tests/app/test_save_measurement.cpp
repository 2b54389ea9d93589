// Datei → "Messung speichern…": the save window driven by keys into a temporary record, which the
// test then reads back.
#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSqlRecord>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

#include "measure/measure_window.h"
#include "record/image_description.h"
#include "record/record_database.h"
#include "record/remembered_operator.h"
#include "record_windows/save_measurement_window.h"
#include "tests/imaging/dicom_test_writer.h"
#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

using Values = std::array<QString, 4>;
const Values Typed = {"2099.87", "20.07", "2000.05", "19.87"};

// Offscreen, without a window manager, activations come as they are asked for, late ones (as
// of the window a closed modal one belonged to) included: once they are all in, window is made
// the active one again.
void ActivateAgain(QWidget* window) {
  QCoreApplication::processEvents();
  if (!window->isActiveWindow()) window->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window));
}

// Runs action, closing a message box that opens meanwhile; gives its text, empty when none did.
// The window active before is active again after it.
QString MessageDuring(const std::function<void()>& action) {
  QWidget* active = QApplication::activeWindow();
  QString text;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&text] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      text = box->text();
      box->done(QMessageBox::Ok);
    }
  });
  poll.start(10);
  action();
  if (active->isVisible()) ActivateAgain(active);
  return text;
}

// Real keys to whatever has the focus.
void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
  QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}
void Type(const QString& text) {
  QTest::keyClicks(QApplication::focusWidget(), text);
}

QLineEdit* Field(QWidget& window, const QString& name) {
  for (QLineEdit* field : window.findChildren<QLineEdit*>()) {
    if (field->accessibleName() == name) return field;
  }
  return nullptr;
}

class SaveMeasurementTest : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    // Nothing of the user's own: the record and the remembered operator live in the test's folder.
    qputenv("QUANTELO_RECORD", recordPath().toUtf8());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, folder_.path());
    WindowTest::SetUp();
  }
  void TearDown() override {
    qunsetenv("QUANTELO_RECORD");
    WindowTest::TearDown();
  }
  QString recordPath() const { return folder_.filePath("record.sqlite"); }

  // Ctrl+S in the main window, and inside() working the save window while it is open.
  void save(std::function<void(QWidget& window)> inside) {
    watchdog_.expectModal([inside = std::move(inside)](QWidget& modal) {
      ASSERT_NE(dynamic_cast<SaveMeasurementWindow*>(&modal), nullptr);
      ActivateAgain(&modal);
      inside(modal);
    });
    ActivateAgain(&main_);
    QTest::keyClick(&main_, Qt::Key_S, Qt::ControlModifier);
    ASSERT_EQ(watchdog_.pending(), 0u);
  }

  // The saved measurements' columns, one row each, joined by "|".
  QStringList stored(const QString& columns) {
    record::RecordDatabase database(recordPath());
    QSqlQuery query = database.run(
        "SELECT " + columns +
        " FROM measurements m JOIN images i ON i.id = m.image_id JOIN devices d ON d.id = "
        "i.device_id JOIN sessions s ON s.id = m.session_id ORDER BY m.id");
    QStringList rows;
    while (query.next()) {
      QStringList row;
      for (int i = 0; i < query.record().count(); ++i) row << query.value(i).toString();
      rows << row.join('|');
    }
    return rows;
  }

  QTemporaryDir folder_;
};

TEST_F(SaveMeasurementTest, OfferedOnlyWhileTheResultIsANumber) {
  EXPECT_TRUE(result().isEmpty());
  EXPECT_FALSE(main_.saveMeasurementAction->isEnabled());
  const struct {
    Values values;
    bool offered;
  } cases[] = {
      {Typed, true},
      {{"1000", "0", "1000", "0"}, false},  // "NaN"
      {{"1000", "x", "1500", "20"}, false},
      {{"1000", "10", "1500", "20"}, true},
  };
  for (const auto& c : cases) {
    for (std::size_t i = 0; i < 4; ++i) retype(inputs()[i], c.values[i]);
    EXPECT_EQ(main_.saveMeasurementAction->isEnabled(), c.offered) << result().toStdString();
    // Without a number Ctrl+S opens nothing, which the watchdog would report.
    if (!c.offered) QTest::keyClick(&main_, Qt::Key_S, Qt::ControlModifier);
  }
}

TEST_F(SaveMeasurementTest, TypedValuesAreSavedByKeysWithTheirFacts) {
  for (std::size_t i = 0; i < 4; ++i) retype(inputs()[i], Typed[i]);
  QString refusal, afterSave, verdict;
  save([&](QWidget& window) {
    for (const char* text : {"ACME", "Mammo 3000", "SN 42", "Raum 2", "", "28", "63.2", "W", "Rh",
                             "45,5", "Dr. Muster", "PMMA 45"}) {
      Type(QString::fromUtf8(text));
      Press(Qt::Key_Tab);
    }
    Type(QStringLiteral("Phantom neu justiert"));
    refusal = MessageDuring([] { Press(Qt::Key_Return); });
    // Back at the thickness, which is typed again.
    EXPECT_EQ(QApplication::focusWidget(), Field(window, "Objektdicke (mm)"));
    Press(Qt::Key_A, Qt::ControlModifier);
    Type(QStringLiteral("45.5"));
    afterSave = MessageDuring([] { Press(Qt::Key_Return); });
    const auto* label = window.findChild<QLabel*>(QStringLiteral("verdict"));
    verdict = label->text();
    EXPECT_EQ(label->accessibleName(), QStringLiteral("Ergebnis"));
    for (QPushButton* button : window.findChildren<QPushButton*>()) {
      EXPECT_TRUE(button->text() == QStringLiteral("Schließen") ||
                  (button->text() == QStringLiteral("&Speichern") && !button->isEnabled()));
    }
    Press(Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
  });
  EXPECT_NE(refusal.indexOf(QStringLiteral("Komma")), -1) << refusal.toStdString();
  EXPECT_EQ(afterSave, QString());
  EXPECT_NE(verdict.indexOf(QStringLiteral("Ergebnis: kein Bezugswert")), -1);
  const QString today = QDate::currentDate().toString(Qt::ISODate);
  EXPECT_EQ(stored("m.m_al, m.s_al, m.m_bg, m.s_bg, m.sdnr, m.placement, m.al_roi, m.n, "
                   "m.remark, i.sop_instance_uid LIKE 'von Hand:%', i.sha256, d.manufacturer, "
                   "d.model, d.serial_number, i.station, i.acquisition_date, i.kvp, "
                   "i.exposure_mas, i.exposure_mas_source, i.anode, i.filter, i.thickness_mm, "
                   "s.operator, s.phantom"),
            QStringList{"2099.87|20.07|2000.05|19.87|" + result() +
                        "|von Hand||0|Phantom neu justiert|1||ACME|Mammo 3000|SN 42|Raum 2|" +
                        today + "|28|63.2|von Hand|W|Rh|45.5|Dr. Muster|PMMA 45"});
  EXPECT_EQ(record::RememberedOperator(), QStringLiteral("Dr. Muster"));
}

// The facts the image gives are shown and kept as they are; what it lacks may be typed. The same
// image is refused a second time, and a record that is no record is left as it is.
TEST_F(SaveMeasurementTest, AMeasuredImageIsSavedWithItsFactsAndOnlyOnce) {
  const std::filesystem::path file = folder_.filePath("exposure.dcm").toStdString();
  dicom_test::TestImage image;
  image.width = 320;
  image.height = 260;
  for (int y = 0; y < image.height; ++y) {
    for (int x = 0; x < image.width; ++x) {
      const bool inObject = x >= 100 && x < 220 && y >= 70 && y < 190;
      image.stored.push_back((inObject ? 1300 : 1000) + (x * 7 + y * 13) % 61 - 30);
    }
  }
  namespace tags = dicom_test::tags;
  image.elements = {{tags::Manufacturer, "ACME"},        {tags::ModelName, "Mammo 3000"},
                    {tags::DeviceSerialNumber, "SN 42"}, {tags::BodyPartThickness, "45"},
                    {tags::AcquisitionDate, "20261201"}, {tags::SopInstanceUid, "1.2.3.4.5"}};
  dicom_test::WriteDicomFile(image, file);
  watchdog_.expectModal([](QWidget& modal) {
    auto* window = dynamic_cast<MeasureWindow*>(&modal);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([window] { return !window->placementPending(); }));
    window->accept();
  });
  main_.openImage(folder_.filePath("exposure.dcm"));
  record::RememberOperator(QStringLiteral("Dr. Muster"));

  const struct {
    QByteArray recordBytes;  // written over the record first, when not empty
    QString message;         // what the save says, empty for none
  } cases[] = {
      {"kein SQLite", "beschädigt"},
      {{}, {}},
      {{}, "schon gespeichert (Messung 1)"},
  };
  for (const auto& c : cases) {
    if (!c.recordBytes.isEmpty()) {
      QFile damaged(recordPath());
      ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
      damaged.write(c.recordBytes);
    }
    QString said;
    bool kept = false;
    save([&](QWidget& window) {
      const QLineEdit* serial = Field(window, "Seriennummer");
      EXPECT_TRUE(serial->isReadOnly());
      EXPECT_EQ(serial->text(), QStringLiteral("SN 42"));
      EXPECT_FALSE(Field(window, "Stationsname")->isReadOnly());  // the image does not say
      EXPECT_EQ(Field(window, "Prüfer")->text(), QStringLiteral("Dr. Muster"));
      said = MessageDuring([] { Press(Qt::Key_Return); });
      kept = window.isVisible() && Field(window, "Prüfer")->text() == "Dr. Muster";
      Press(Qt::Key_Escape);
    });
    EXPECT_EQ(said.isEmpty(), c.message.isEmpty()) << c.message.toStdString();
    EXPECT_NE(said.indexOf(c.message), -1) << said.toStdString();
    EXPECT_TRUE(kept);
    if (!c.recordBytes.isEmpty()) {
      QFile damaged(recordPath());
      ASSERT_TRUE(damaged.open(QIODevice::ReadOnly));
      EXPECT_EQ(damaged.readAll(), c.recordBytes);
      damaged.remove();
    }
  }
  EXPECT_EQ(
      stored("i.sop_instance_uid, i.sha256, d.serial_number, i.thickness_mm, m.placement, "
             "m.n > 0, s.operator"),
      QStringList{"1.2.3.4.5|" +
                  QString::fromStdString(record::FileSha256(folder_.filePath("exposure.dcm"))) +
                  "|SN 42|45|automatisch|1|Dr. Muster"});
}

}  // namespace
