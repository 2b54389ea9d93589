#include "record_protocol.h"

#include "protocol_document.h"

namespace protocol {

void WriteRecordProtocol(record::RecordDatabase& database, const record::HistoryFilter& filter,
                         const record::DeviceChoice& device, const QString& version,
                         const QString& pdfPath) {
  const std::vector<record::HistoryRow> rows = record::ReadHistory(database, filter);
  ProtocolHeader header;
  header.manufacturer = device.manufacturer;
  header.model = device.model;
  header.serialNumber = device.serialNumber;
  header.from = filter.from;
  header.to = filter.to;
  header.version = version;
  WriteProtocol(CompletedFromRows(header, rows), rows, pdfPath);
}

}  // namespace protocol
