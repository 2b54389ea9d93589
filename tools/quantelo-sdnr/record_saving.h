// quantelo-sdnr --save: the measured files into the QA record, all of one call as one session.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "imaging/dicom_image.h"
#include "record/session_saving.h"
#include "report.h"

namespace sdnr_cli {

// What the record keeps of a measured file: its report with the file's SHA-256, presentation
// intent and rescale. Raises record::RecordError when the file cannot be read again.
record::MeasuredImage DescribeForRecord(const std::string& file, const imaging::DicomImage& image,
                                        const FileReport& report, bool automaticPlacement);

// Saves the described files in one transaction and fills in their saved columns; gives, for each
// report, why it was not saved (empty where it was). Raises record::RecordError when the record
// cannot be opened or written: nothing is then saved.
std::vector<std::string> SaveInRecord(const Arguments& arguments, std::vector<FileReport>& reports,
                                      const std::vector<record::MeasuredImage>& files);

}  // namespace sdnr_cli
