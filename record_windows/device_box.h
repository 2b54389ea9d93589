// A choice among the record's devices, each shown with serial number, manufacturer and model.
#pragma once

#include <QComboBox>
#include <vector>

#include "record/devices.h"

namespace record_windows {

class DeviceBox : public QComboBox {
 public:
  // everyDevice, where not empty, is a first entry that stands for every device (a tolerance
  // rule's scope); otherwise the first device is chosen.
  explicit DeviceBox(std::vector<record::Device> devices, const QString& everyDevice = {},
                     QWidget* parent = nullptr);

  // The chosen device, told apart from others of the same serial number by manufacturer and
  // model; an empty serial number for every device or where the record has none.
  record::DeviceChoice choice() const;
  // The record's devices listed anew, the chosen one kept chosen where it still is among them.
  void setDevices(std::vector<record::Device> devices);

 private:
  record::DeviceChoice choiceAt(int index) const;

  QString everyDevice_;
  std::vector<record::Device> devices_;
};

// "SN-4711 · ACME Medical Mammo 3000"; "alle Geräte" for an empty serial number.
QString DeviceName(const QString& serialNumber, const QString& manufacturer, const QString& model);

}  // namespace record_windows
