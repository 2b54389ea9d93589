// The application object: title, the standard error report and the locale's number settings.
#pragma once

#include <QApplication>
#include <QString>
#include <exception>

namespace calc {
class Fpu;
}

class TApplication : public QApplication {
 public:
  // fpu is the process setting; a caught processor error resets it.
  TApplication(int& argc, char** argv, calc::Fpu& fpu);

  // The executable's file name without folder, cut at its first dot, every character after the
  // first in lower case: "/opt/QuanTelo.bin" gives "Quantelo".
  static QString TitleFromExecutable(const QString& path);
  QString Title() const { return title_; }

  // The standard error report, which every window's event dispatch hands its errors to: a message
  // box with a stop icon, the title as caption and the message, with a full stop where the rule
  // asks for one.
  void HandleException(std::exception_ptr error);

  // The report's text: a full stop is appended when the message is not empty and its last
  // character comes after "." in character order ("x" gets one, "x." "x!" and "x)" none).
  static QString ReportText(const QString& message);

 protected:
  bool event(QEvent* event) override;

 private:
  calc::Fpu& fpu_;
  QString title_;
};

// The running application object.
TApplication* Application();
