#include "device_box.h"

namespace record_windows {

DeviceBox::DeviceBox(std::vector<record::Device> devices, const QString& everyDevice,
                     QWidget* parent)
    : QComboBox(parent), everyDevice_(everyDevice) {
  setDevices(std::move(devices));
}

record::DeviceChoice DeviceBox::choice() const {
  return choiceAt(currentIndex());
}

void DeviceBox::setDevices(std::vector<record::Device> devices) {
  const record::DeviceChoice chosen = choice();
  clear();
  devices_ = std::move(devices);
  if (!everyDevice_.isEmpty()) addItem(everyDevice_, -1);
  for (std::size_t i = 0; i < devices_.size(); ++i) {
    const record::Device& device = devices_[i];
    addItem(DeviceName(device.serialNumber, device.manufacturer, device.model),
            static_cast<int>(i));
  }
  for (int index = 0; index < count(); ++index) {
    if (choiceAt(index) == chosen) setCurrentIndex(index);
  }
  setEnabled(count() > 0);
}

record::DeviceChoice DeviceBox::choiceAt(int index) const {
  const QVariant device = itemData(index);
  if (!device.isValid() || device.toInt() < 0) return {};
  const record::Device& chosen = devices_[static_cast<std::size_t>(device.toInt())];
  return {chosen.serialNumber, chosen.manufacturer, chosen.model};
}

QString DeviceName(const QString& serialNumber, const QString& manufacturer, const QString& model) {
  if (serialNumber.isEmpty()) return QStringLiteral("alle Geräte");
  return QStringLiteral("%1 · %2 %3").arg(serialNumber, manufacturer, model).trimmed();
}

}  // namespace record_windows
