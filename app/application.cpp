#include "application.h"

#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>

#include "calc/errors.h"
#include "calc/fpu.h"
#include "imaging/dicom_image.h"
#include "record/record_error.h"
#include "toolkit/event_dispatch.h"

TApplication::TApplication(int& argc, char** argv, calc::Fpu& fpu)
    : QApplication(argc, argv), fpu_(fpu) {
  setApplicationName(QStringLiteral("quantelo"));
  // The desktop entry's name, by which the desktop matches windows to the entry.
  setDesktopFileName(QStringLiteral("de.example.Quantelo"));
  setApplicationVersion(QStringLiteral(QUANTELO_VERSION));
  // The interface is German, so are Qt's own texts: message box buttons, the fields' context
  // menu, the file dialog. Without the translations installed they stay English.
  if (qtTexts_.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    installTranslator(&qtTexts_);
  }
  // Drawn from the vector picture at whatever size and pixel ratio it is asked for.
  setWindowIcon(QIcon(QStringLiteral(":/quantelo.svg")));
  setQuitOnLastWindowClosed(false);
  toolkit::SetErrorReport([](std::exception_ptr error) { Application()->HandleException(error); });
}

QString TApplication::ReportText(const QString& message) {
  if (!message.isEmpty() && message.back() > QChar('.')) return message + '.';
  return message;
}

void TApplication::HandleException(std::exception_ptr error) {
  QString message;
  QString cause;
  try {
    std::rethrow_exception(error);
  } catch (const calc::EExternal& e) {
    fpu_.reset(calc::DefaultFpuControlWord);
    message = QString::fromLatin1(e.message());
  } catch (const calc::Exception& e) {
    message = QString::fromLatin1(e.message());
  } catch (const imaging::ImageError& e) {
    // The technical cause behind "Details", for whoever looks into the failure.
    message = QString::fromUtf8(e.what());
    cause = QString::fromUtf8(e.cause());
  } catch (const record::RecordError& e) {
    message = QString::fromUtf8(e.what());
    cause = QString::fromUtf8(e.cause());
  } catch (const std::exception& e) {
    message = QString::fromLocal8Bit(e.what());
  } catch (...) {
    message = QStringLiteral("Unknown error");
  }
  QMessageBox box(QMessageBox::Critical, Title(), ReportText(message), QMessageBox::Ok);
  if (!cause.isEmpty()) box.setDetailedText(cause);
  box.exec();
}

TApplication* Application() {
  return static_cast<TApplication*>(QCoreApplication::instance());
}
