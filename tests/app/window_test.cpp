#include "window_test.h"

#include <QApplication>
#include <QDialog>
#include <QTest>

#include "toolkit/labeled_edit.h"

namespace {
// Short enough that a closed box costs the test nothing noticeable.
constexpr int WatchInterval = 10;
}  // namespace

ModalWatchdog::ModalWatchdog() {
  QObject::connect(&timer_, &QTimer::timeout, [this] { check(); });
  timer_.start(WatchInterval);
}

void ModalWatchdog::expectModal(Inspect inspect) {
  expected_.push_back(std::move(inspect));
}

void ModalWatchdog::check() {
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == nullptr) return;
  // The inspection may run event loops of its own, which must not find the same window again.
  timer_.stop();
  if (expected_.empty()) {
    const auto* box = qobject_cast<QMessageBox*>(modal);
    ADD_FAILURE() << "Unexpected modal window \"" << modal->windowTitle().toStdString()
                  << "\": " << (box != nullptr ? box->text().toStdString() : std::string());
  } else {
    const Inspect inspect = std::move(expected_.front());
    expected_.pop_front();
    inspect(*modal);
  }
  // A window the inspection closed keeps the result it was closed with.
  if (!modal->isVisible()) {
    timer_.start(WatchInterval);
    return;
  }
  if (auto* dialog = qobject_cast<QDialog*>(modal)) {
    dialog->done(QDialog::Rejected);
  } else {
    modal->close();
  }
  timer_.start(WatchInterval);
}

WindowTest::WindowTest() : main_(ProcessFpu(), help_) {}

void WindowTest::SetUp() {
  main_.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main_));
}

void WindowTest::TearDown() {
  EXPECT_EQ(watchdog_.pending(), 0u) << "An announced modal window never opened";
}

void WindowTest::expectErrorBox(ErrorBox& box, std::function<void()> atShow) {
  watchdog_.expectModal([&box, atShow = std::move(atShow)](QWidget& modal) {
    const auto* shown = qobject_cast<QMessageBox*>(&modal);
    ASSERT_NE(shown, nullptr) << "The modal window is no message box";
    box = {true, shown->windowTitle(), shown->text(), shown->icon()};
    if (atShow) atShow();
  });
}

void WindowTest::type(toolkit::TLabeledEdit* field, const QString& text) {
  QTest::keyClicks(field, text);
}

void WindowTest::retype(toolkit::TLabeledEdit* field, const QString& text) {
  field->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(field, Qt::Key_Backspace);
  } else {
    type(field, text);
  }
}

std::array<toolkit::TLabeledEdit*, 4> WindowTest::inputs() const {
  return {main_.LabeledEdit1, main_.LabeledEdit2, main_.LabeledEdit3, main_.LabeledEdit4};
}

QString WindowTest::result() const {
  return main_.LabeledEdit5->text();
}
