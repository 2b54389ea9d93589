#include "devices.h"

#include "record_error.h"

namespace record {

std::vector<Device> ListDevices(RecordDatabase& database) {
  // Each image is saved with its measurement in one transaction and neither is ever deleted, so
  // the device's images are counted, from its index alone.
  QSqlQuery query = database.run(QStringLiteral(
      "SELECT d.id, d.manufacturer, d.model, d.serial_number, "
      "(SELECT station FROM images WHERE device_id = d.id ORDER BY id DESC LIMIT 1), "
      "(SELECT count(*) FROM images WHERE device_id = d.id) "
      "FROM devices d ORDER BY d.serial_number, d.manufacturer, d.model"));
  std::vector<Device> devices;
  while (query.next()) {
    devices.push_back({query.value(0).toLongLong(), query.value(1).toString(),
                       query.value(2).toString(), query.value(3).toString(),
                       query.value(4).toString(), query.value(5).toLongLong()});
  }
  return devices;
}

qint64 FindDevice(RecordDatabase& database, const DeviceChoice& choice) {
  QSqlQuery query = database.run(
      QStringLiteral("SELECT id, manufacturer, model FROM devices WHERE serial_number = ? AND "
                     "(? = '' OR manufacturer = ?) AND (? = '' OR model = ?) "
                     "ORDER BY manufacturer, model"),
      {choice.serialNumber, choice.manufacturer, choice.manufacturer, choice.model, choice.model});
  qint64 id = 0;
  QStringList fitting;
  while (query.next()) {
    id = query.value(0).toLongLong();
    fitting << query.value(1).toString() + QLatin1Char(' ') + query.value(2).toString();
  }
  const std::string serial = choice.serialNumber.toStdString();
  if (fitting.isEmpty()) {
    throw RecordError("Im QA-Record ist kein Gerät mit der Seriennummer „" + serial + "“" +
                      (choice.manufacturer.isEmpty() && choice.model.isEmpty()
                           ? std::string()
                           : " und diesem Hersteller und Modell") +
                      ".");
  }
  if (fitting.size() > 1) {
    throw RecordError("Die Seriennummer „" + serial + "“ tragen mehrere Geräte (" +
                      fitting.join(QStringLiteral("; ")).toStdString() +
                      "); bitte Hersteller und, wo nötig, Modell dazu angeben.");
  }
  return id;
}

}  // namespace record
