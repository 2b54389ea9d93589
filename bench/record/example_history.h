// A realistic record for the benchmarks and the pictures: monthly checks of devices at the three
// object thicknesses, with noise, a reference value per thickness and a tolerance rule.
#pragma once

#include <QDate>
#include <QString>

#include "record/record_database.h"

namespace bench_record {

// Writes sessions of three measurements (26, 46 and 66 mm) until measurements are written, spread
// over the devices, one session per device and working day from 2020 on. Without a sync at each
// commit, so that a large record is written in seconds.
void WriteExampleHistory(record::RecordDatabase& database, int measurements, int devices = 1);

// Numbers of the images of SaveExampleCheck, far beyond those of WriteExampleHistory.
inline constexpr long long ExampleCheckNumbers = 1'000'000'000;

// One more check of a device on the date: a session of the three thicknesses. number tells the
// checks apart: each gets a client key and images of its own.
void SaveExampleCheck(record::RecordDatabase& database, int device, const QDate& date,
                      long long number);

// The serial number of device i (0-based) in such a record.
QString ExampleSerial(int device);

}  // namespace bench_record
