// The record a window of the record opens: only one that exists, since looking must not create
// one where no measurement was saved yet.
#pragma once

#include <QString>
#include <memory>

#include "record/record_database.h"

namespace record_windows {

// Raises record::RecordError where there is no record at path yet, and as RecordDatabase does.
std::unique_ptr<record::RecordDatabase> OpenExistingRecord(const QString& path);

}  // namespace record_windows
