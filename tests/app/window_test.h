// Shared by the window tests: the process's floating-point unit, a guard that closes modal
// windows, and the main window with its help window, shown and active.
#pragma once

#include <gtest/gtest.h>

#include <QColor>
#include <QLabel>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <array>
#include <cstddef>
#include <deque>
#include <functional>

#include "tests/toolkit/qt_print.h"
#include "tform1.h"
#include "tform2.h"

namespace calc {
class Fpu;
}
namespace toolkit {
class TLabeledEdit;
}

// The unit the application object was made with.
calc::Fpu& ProcessFpu();

// The program's name, whatever the executable is called.
inline const QString TestTitle = QStringLiteral("Quantelo");

inline const QColor White(Qt::white);
inline const QColor LightGreen(0xCC, 0xFF, 0xCC);
inline const QColor LightRed(0xFF, 0xCC, 0xCC);

// Closes every modal window shortly after it opens, so that no test ever waits on one. A window
// the test announced is handed to the test first; any other is a failure.
class ModalWatchdog {
 public:
  using Inspect = std::function<void(QWidget& modal)>;

  ModalWatchdog();
  void expectModal(Inspect inspect);
  // Announced windows that have not opened yet.
  std::size_t pending() const { return expected_.size(); }

 private:
  void check();

  QTimer timer_;
  std::deque<Inspect> expected_;
};

// What an error box showed.
struct ErrorBox {
  bool shown = false;
  QString caption;
  QString text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
};

class WindowTest : public testing::Test {
 protected:
  WindowTest();
  void SetUp() override;
  void TearDown() override;

  // Announces an error box: what it shows goes to box, and atShow runs while it is open.
  void expectErrorBox(ErrorBox& box, std::function<void()> atShow = {});

  // Types text after the field's text, one keystroke per character.
  static void type(toolkit::TLabeledEdit* field, const QString& text);
  // Types text over the field's whole text; an empty text deletes it.
  static void retype(toolkit::TLabeledEdit* field, const QString& text);

  // mAl, sAl, mBG, sBG.
  std::array<toolkit::TLabeledEdit*, 4> inputs() const;
  QString result() const;

  TForm2 help_;
  TForm1 main_;
  ModalWatchdog watchdog_;
};
