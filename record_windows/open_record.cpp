#include "open_record.h"

#include <QFileInfo>

#include "record/record_error.h"
#include "record/server_address.h"

namespace record_windows {

std::unique_ptr<record::RecordDatabase> OpenExistingRecord(const QString& path) {
  if (!record::IsServerAddress(path) && !QFileInfo::exists(path)) {
    throw record::RecordError("Unter „" + path.toStdString() +
                              "“ gibt es noch keinen QA-Record. Er entsteht mit der ersten "
                              "gespeicherten Messung (Datei → Messung speichern…).");
  }
  return std::make_unique<record::RecordDatabase>(path);
}

}  // namespace record_windows
