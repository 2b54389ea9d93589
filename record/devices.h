// The devices the record knows, and one of them chosen by its serial number.
#pragma once

#include <QString>
#include <vector>

#include "record_database.h"

namespace record {

struct Device {
  qint64 id = 0;
  QString manufacturer, model, serialNumber;
  QString station;  // of its newest image
  qint64 measurements = 0;
};

// Which device: its serial number, and where devices of several makers share it the
// manufacturer and, if that is not enough, the model too.
struct DeviceChoice {
  QString serialNumber;
  QString manufacturer;  // empty: any
  QString model;         // empty: any
  bool operator==(const DeviceChoice&) const = default;
};

// Every device, by serial number, manufacturer and model.
std::vector<Device> ListDevices(RecordDatabase& database);

// The id of the one device that fits the choice. Raises RecordError where none fits, and where
// several do: the message names them, so that the user can say which one is meant.
qint64 FindDevice(RecordDatabase& database, const DeviceChoice& choice);

}  // namespace record
