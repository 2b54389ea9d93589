// What the record keeps of a measured DICOM file.
#pragma once

#include <QString>
#include <string>

#include "imaging/dicom_image.h"
#include "imaging/measurement_checks.h"
#include "imaging/roi_statistics.h"
#include "session_saving.h"

namespace record {

// The SHA-256 of the file at path, in hexadecimal; raises RecordError when it cannot be read.
std::string FileSha256(const QString& path);

// The measured image as the record keeps it: the file's SHA-256, the header facts, the
// presentation intent, the rescale as number texts, the measurement, whether its ROIs were placed
// automatically, and the warnings' texts.
MeasuredImage DescribeImage(std::string sha256, const imaging::DicomImage& image,
                            imaging::Measurement measurement, bool automaticPlacement,
                            const std::vector<imaging::MeasurementWarning>& warnings);

}  // namespace record
