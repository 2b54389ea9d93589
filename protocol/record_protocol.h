// The protocol of one device's measurements in a period, read from the record and written as a
// PDF: what the history window and the command line both write.
#pragma once

#include <QString>

#include "record/devices.h"
#include "record/history.h"
#include "record/record_database.h"

namespace protocol {

// The rows the filter gives, under a header naming the device chosen (even where the period holds
// no measurement). Raises record::RecordError where the record cannot be read or the file cannot
// be written. Needs a QGuiApplication.
void WriteRecordProtocol(record::RecordDatabase& database, const record::HistoryFilter& filter,
                         const record::DeviceChoice& device, const QString& version,
                         const QString& pdfPath);

}  // namespace protocol
