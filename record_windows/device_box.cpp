#include "device_box.h"

namespace record_windows {

DeviceBox::DeviceBox(std::vector<record::Device> devices, const QString& everyDevice,
                     QWidget* parent)
    : QComboBox(parent), devices_(std::move(devices)) {
  if (!everyDevice.isEmpty()) addItem(everyDevice, -1);
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    const record::Device& device = devices_[i];
    addItem(DeviceName(device.serialNumber, device.manufacturer, device.model),
            static_cast<int>(i));
  }
  setEnabled(count() > 0);
}

record::DeviceChoice DeviceBox::choice() const {
  const int index = currentData().isValid() ? currentData().toInt() : -1;
  if (index < 0) return {};
  const record::Device& device = devices_[static_cast<std::size_t>(index)];
  return {device.serialNumber, device.manufacturer, device.model};
}

QString DeviceName(const QString& serialNumber, const QString& manufacturer, const QString& model) {
  if (serialNumber.isEmpty()) return QStringLiteral("alle Geräte");
  return QStringLiteral("%1 · %2 %3").arg(serialNumber, manufacturer, model).trimmed();
}

}  // namespace record_windows
