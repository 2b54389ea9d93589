// The application object: title, Qt's own texts in German and the standard error report.
#pragma once

#include <QApplication>
#include <QString>
#include <QTranslator>
#include <exception>

namespace calc {
class Fpu;
}

class TApplication : public QApplication {
 public:
  // fpu is the process setting; a caught processor error resets it.
  TApplication(int& argc, char** argv, calc::Fpu& fpu);

  // The program's name, the error boxes' caption. (Taken from the executable's name, it would be
  // "quantelo": executables are lower case here by convention.)
  static QString Title() { return QStringLiteral("Quantelo"); }

  // The standard error report, which every window's event dispatch hands its errors to: a message
  // box with a stop icon, the title as caption and the message, with a full stop where the rule
  // asks for one.
  void HandleException(std::exception_ptr error);

  // The report's text: a full stop is appended when the message is not empty and its last
  // character comes after "." in character order ("x" gets one, "x." "x!" and "x)" none).
  static QString ReportText(const QString& message);

 private:
  calc::Fpu& fpu_;
  QTranslator qtTexts_;
};

// The running application object.
TApplication* Application();
