// The help window and its key, F1.
#include <QDialog>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

#include "window_test.h"

namespace {

using HelpTest = WindowTest;

void pressF1(QWidget* window) {
  QTest::keyClick(window, Qt::Key_F1);
}

TEST_F(HelpTest, F1ShowsTheHelpWindowAndBringsItToTheFront) {
  pressF1(&main_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&help_));
  EXPECT_EQ(help_.windowTitle(), "Quantelo - Hilfe");

  main_.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main_));
  pressF1(&main_);
  EXPECT_TRUE(help_.isVisible());
  EXPECT_TRUE(QTest::qWaitForWindowActive(&help_));
}

TEST_F(HelpTest, F1WorksInTheHelpWindowToo) {
  pressF1(&main_);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&help_));
  QSignalSpy triggered(main_.Hilfe2, &QAction::triggered);
  pressF1(&help_);
  EXPECT_EQ(triggered.count(), 1);
  EXPECT_TRUE(help_.isVisible());
}

TEST_F(HelpTest, ClosingOnlyHidesIt) {
  pressF1(&main_);
  ASSERT_TRUE(help_.close());
  EXPECT_TRUE(help_.isHidden());
  EXPECT_TRUE(main_.isVisible());
  pressF1(&main_);
  EXPECT_TRUE(help_.isVisible());
}

TEST_F(HelpTest, F1DoesNothingWhileAModalWindowIsOpen) {
  QDialog dialog(&main_);
  bool helpShown = true;
  int triggered = -1;
  watchdog_.expectModal([&](QWidget& modal) {
    QSignalSpy spy(main_.Hilfe2, &QAction::triggered);
    pressF1(&modal);
    triggered = spy.count();
    helpShown = help_.isVisible();
  });
  dialog.exec();
  EXPECT_EQ(triggered, 0);
  EXPECT_FALSE(helpShown);
}

TEST_F(HelpTest, TextIsTheReadOnlyProcedure) {
  const QString text = help_.Memo1->toPlainText();
  const QStringList lines = text.split('\n');
  ASSERT_EQ(lines.size(), 26);
  EXPECT_EQ(lines[0], "Quantelo");
  EXPECT_EQ(lines[1], "==============");
  EXPECT_TRUE(lines[3].endsWith(QStringLiteral("für "))) << lines[3].toStdString();
  EXPECT_EQ(lines[20], "        SDNR = |mBG - mAl| / sqrt((sBG^2 + sAl^2)/2)");

  pressF1(&main_);
  QTest::keyClicks(help_.Memo1, "abc");
  QTest::keyClick(help_.Memo1, Qt::Key_Delete);
  EXPECT_EQ(help_.Memo1->toPlainText(), text);
}

TEST_F(HelpTest, WidthIsLimitedAndTheTextFollowsTheSize) {
  pressF1(&main_);
  const QSize sizes[][2] = {
      {{700, 400}, {TForm2::MaxWidth, 400}},
      {{300, 700}, {300, 700}},
      {{450, 250}, {450, 250}},
  };
  for (const auto& [requested, expected] : sizes) {
    help_.resize(requested);
    EXPECT_EQ(help_.size(), expected);
    EXPECT_EQ(help_.Memo1->size(), expected);
  }
}

}  // namespace
