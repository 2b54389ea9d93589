// A realistic record for the benchmarks and the pictures: monthly checks of devices at the three
// object thicknesses, with noise, a reference value per thickness and a tolerance rule.
#pragma once

#include <QString>

#include "record/record_database.h"

namespace bench_record {

// Writes sessions of three measurements (26, 46 and 66 mm) until measurements are written, spread
// over the devices, one session per device and working day from 2020 on. Without a sync at each
// commit, so that a large record is written in seconds.
void WriteExampleHistory(record::RecordDatabase& database, int measurements, int devices = 1);

// The serial number of device i (0-based) in such a record.
QString ExampleSerial(int device);

}  // namespace bench_record
