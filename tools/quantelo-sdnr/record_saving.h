// quantelo-sdnr --save: the measured files into the QA record, all of one call as one session.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "arguments.h"
#include "imaging/dicom_image.h"
#include "record/save_or_queue.h"
#include "record/session_saving.h"
#include "report.h"

namespace sdnr_cli {

// What the record keeps of a measured file: its report with the file's SHA-256, presentation
// intent and rescale. Raises record::RecordError when the file cannot be read again.
record::MeasuredImage DescribeForRecord(const std::string& file, const imaging::DicomImage& image,
                                        const FileReport& report, bool automaticPlacement);

// Saves the described files as one session into the record (opened by open; a team record's
// saves that cannot reach its server wait in the outbox at outboxPath), then prints their lines
// with what the record made of them: a save waiting for the server has no measurement yet and the
// verdict "wartet auf den Server", and standard error says how many wait. A file kept neither in
// the record nor in the outbox gives status 1.
int SaveAndPrint(const Arguments& arguments, std::vector<FileReport>& reports,
                 const std::vector<record::MeasuredImage>& files, const record::RecordOpener& open,
                 const QString& outboxPath);

}  // namespace sdnr_cli
