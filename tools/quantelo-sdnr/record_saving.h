// quantelo-sdnr --save: the measured files into the QA record, all of one call as one session.
#pragma once

#include <string>
#include <vector>

#include "arguments.h"
#include "imaging/dicom_image.h"
#include "report.h"

namespace sdnr_cli {

// What the record keeps of a measured file besides its report.
struct FileToSave {
  std::string sha256;
  std::string presentationIntent;
  std::string rescaleSlope;
  std::string rescaleIntercept;
};

FileToSave DescribeForRecord(const std::string& file, const imaging::DicomImage& image);

// Saves the reports in one transaction and fills in their saved columns; gives, for each report,
// why it was not saved (empty where it was). Raises record::RecordError when the record cannot be
// opened or written: nothing is then saved.
std::vector<std::string> SaveInRecord(const Arguments& arguments, std::vector<FileReport>& reports,
                                      const std::vector<FileToSave>& files);

}  // namespace sdnr_cli
