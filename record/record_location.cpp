#include "record_location.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "record_error.h"

#ifdef __linux__
#include <sys/vfs.h>
#endif

namespace record {

QString QuanteloDataFolder() {
  // Named here, not taken from the application's name, which the command-line programs do not
  // share with the window: every program must find the same record.
  return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
         QStringLiteral("/quantelo");
}

QString RecordLocation(const QString& option) {
  if (!option.isEmpty()) return option;
  const QString fromEnvironment = qEnvironmentVariable("QUANTELO_RECORD");
  if (!fromEnvironment.isEmpty()) return fromEnvironment;
  return QuanteloDataFolder() + QStringLiteral("/record.sqlite");
}

void RefuseNetworkFileSystem(const QString& path) {
#ifdef __linux__
  // The folder decides: the file may not be there yet.
  struct statfs system {};
  const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
  if (statfs(folder.constData(), &system) != 0) return;
  constexpr unsigned long Nfs = 0x6969, Smb = 0x517B, Cifs = 0xFF534D42, Smb2 = 0xFE534D42;
  const auto type = static_cast<unsigned long>(system.f_type);
  if (type == Nfs || type == Smb || type == Cifs || type == Smb2) {
    throw RecordError("Der QA-Record „" + path.toStdString() +
                      "“ liegt auf einem Netzlaufwerk, wo SQLite-Dateien beschädigt werden "
                      "können. Für einen gemeinsamen Record bitte den Team-Record auf einem "
                      "Datenbankserver verwenden.");
  }
#else
  (void)path;
#endif
}

}  // namespace record
