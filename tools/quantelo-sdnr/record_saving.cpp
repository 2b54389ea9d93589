#include "record_saving.h"

#include <QUuid>

#include "record/image_description.h"
#include "record/record_database.h"
#include "record/record_error.h"
#include "record/record_location.h"
#include "record/remembered_operator.h"

namespace sdnr_cli {

record::MeasuredImage DescribeForRecord(const std::string& file, const imaging::DicomImage& image,
                                        const FileReport& report, bool automaticPlacement) {
  return record::DescribeImage(record::FileSha256(QString::fromStdString(file)), image,
                               report.measurement, automaticPlacement, report.warnings);
}

std::vector<std::string> SaveInRecord(const Arguments& arguments, std::vector<FileReport>& reports,
                                      const std::vector<record::MeasuredImage>& files) {
  const record::SessionEntry session{
      QUuid::createUuid().toString(QUuid::WithoutBraces),
      QDateTime::currentDateTimeUtc(),
      record::OperatorFor(QString::fromStdString(arguments.operatorName)),
      QString::fromStdString(arguments.phantom),
      QStringLiteral("SDNR monatlich"),
      QStringLiteral(QUANTELO_VERSION)};
  record::RecordDatabase database(record::RecordLocation(QString::fromStdString(arguments.record)));
  const std::vector<record::SavedMeasurement> saved = record::SaveSession(database, session, files);
  std::vector<std::string> refusals;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    reports[i].saved =
        SavedColumns{saved[i].id ? std::to_string(*saved[i].id) : std::string(), saved[i].reference,
                     saved[i].deviationPercent, saved[i].verdict};
    // Told like the image's own warnings: in the line and on standard error.
    if (!saved[i].conditions.empty()) reports[i].warnings.push_back({saved[i].conditions, {}});
    refusals.push_back(saved[i].refusal);
  }
  return refusals;
}

}  // namespace sdnr_cli
