#include "application.h"

#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>

#include "calc/errors.h"
#include "calc/format_settings.h"
#include "calc/fpu.h"
#include "toolkit/event_dispatch.h"
#include "toolkit/toolkit_startup.h"

namespace {

// Number formatting from the user's locale; only the decimal separator matters here.
void LoadLocaleFormatSettings() {
  const QString separator = QLocale::system().decimalPoint();
  if (separator.size() == 1 && separator[0].unicode() < 0x100) {
    calc::setDecimalSeparator(static_cast<char>(separator[0].unicode()));
  }
}

}  // namespace

TApplication::TApplication(int& argc, char** argv, calc::Fpu& fpu)
    : QApplication(argc, argv),
      fpu_(fpu),
      title_(TitleFromExecutable(argc > 0 ? QString::fromLocal8Bit(argv[0]) : QString())) {
  setApplicationName(title_);
  setWindowIcon(QIcon(QStringLiteral(":/quantelo.png")));
  setQuitOnLastWindowClosed(false);
  LoadLocaleFormatSettings();
  toolkit::SetErrorReport([](std::exception_ptr error) { Application()->HandleException(error); });
}

QString TApplication::TitleFromExecutable(const QString& path) {
  const QString name = QFileInfo(path).fileName();
  const QString stem = name.left(name.indexOf('.'));
  return stem.left(1) + stem.mid(1).toLower();
}

QString TApplication::ReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar('.')) return message + '.';
  return message;
}

void TApplication::HandleException(std::exception_ptr error) {
  QString message;
  try {
    std::rethrow_exception(error);
  } catch (const calc::EExternal& e) {
    fpu_.reset(calc::DefaultFpuControlWord);
    message = QString::fromLatin1(e.message());
  } catch (const calc::Exception& e) {
    message = QString::fromLatin1(e.message());
  } catch (const std::exception& e) {
    message = QString::fromLocal8Bit(e.what());
  } catch (...) {
    message = QStringLiteral("Unknown error");
  }
  QMessageBox box(QMessageBox::Critical, title_, ReportText(message), QMessageBox::Ok);
  box.exec();
}

bool TApplication::event(QEvent* event) {
  if (event->type() == QEvent::LocaleChange) {
    LoadLocaleFormatSettings();
    // The numbers keep their "." for the whole run, whatever the locale says now.
    toolkit::ApplyNumberSettings();
  }
  return QApplication::event(event);
}

TApplication* Application() {
  return static_cast<TApplication*>(QCoreApplication::instance());
}
