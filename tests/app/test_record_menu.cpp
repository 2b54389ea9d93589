// Datei → "Verlauf…" and "Bezugswerte…" open the record the program uses (QUANTELO_RECORD
// here), and say so, creating nothing, where there is none yet.
#include <QFileInfo>
#include <QLabel>
#include <QTemporaryDir>

#include "example_history.h"
#include "window_test.h"

namespace {

class RecordMenuTest : public WindowTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.isValid());
    qputenv("QUANTELO_RECORD", path_.toUtf8());
    WindowTest::SetUp();
  }
  void TearDown() override {
    qunsetenv("QUANTELO_RECORD");
    WindowTest::TearDown();
  }

  QTemporaryDir folder_;
  const QString path_ = folder_.filePath(QStringLiteral("record.sqlite"));
};

TEST_F(RecordMenuTest, EachWindowOpensTheRecordInUseOrSaysThereIsNoneYet) {
  const QList<QAction*> actions = {main_.historyAction, main_.referenceValuesAction};
  for (QAction* action : actions) {
    ErrorBox box;
    expectErrorBox(box);
    action->trigger();
    EXPECT_TRUE(box.text.contains(QStringLiteral("noch keinen QA-Record"))) << box.text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(path_)) << "looking created a record";
  }
  {
    record::RecordDatabase database(path_);
    bench_record::WriteExampleHistory(database, 30);
  }
  for (QAction* action : actions) {
    QString shown;
    watchdog_.expectModal([&shown](QWidget& window) {
      shown = window.findChild<QLabel*>(QStringLiteral("record"))->text();
    });
    action->trigger();
    EXPECT_EQ(shown, QStringLiteral("QA-Record: ") + path_);
  }
}

}  // namespace
