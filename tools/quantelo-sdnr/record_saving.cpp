#include "record_saving.h"

#include <QCryptographicHash>
#include <QFile>
#include <QUuid>

#include "calc/extended_ops.h"
#include "calc/number_text.h"
#include "record/record_database.h"
#include "record/record_error.h"
#include "record/record_location.h"
#include "record/remembered_operator.h"
#include "record/session_saving.h"

namespace sdnr_cli {
namespace {

std::string sha256Of(const std::string& file) {
  QFile content(QString::fromStdString(file));
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!content.open(QIODevice::ReadOnly) || !hash.addData(&content)) {
    throw record::RecordError("Die Datei „" + file + "“ lässt sich für den QA-Record nicht lesen.");
  }
  return hash.result().toHex().toStdString();
}

}  // namespace

FileToSave DescribeForRecord(const std::string& file, const imaging::DicomImage& image) {
  calc::Fpu fpu;
  return {sha256Of(file), image.context().presentationIntent,
          calc::FormatNumberGeneral(fpu, image.rescale().slope),
          calc::FormatNumberGeneral(fpu, image.rescale().intercept)};
}

std::vector<std::string> SaveInRecord(const Arguments& arguments, std::vector<FileReport>& reports,
                                      const std::vector<FileToSave>& files) {
  const record::SessionEntry session{
      QUuid::createUuid().toString(QUuid::WithoutBraces),
      QDateTime::currentDateTimeUtc(),
      record::OperatorFor(QString::fromStdString(arguments.operatorName)),
      QString::fromStdString(arguments.phantom),
      QStringLiteral("SDNR monatlich"),
      QStringLiteral(QUANTELO_VERSION)};
  std::vector<record::MeasuredImage> images;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    std::vector<std::string> warnings;
    for (const imaging::MeasurementWarning& warning : reports[i].warnings) {
      warnings.push_back(warning.text);
    }
    images.push_back({files[i].sha256, reports[i].facts, files[i].presentationIntent,
                      files[i].rescaleSlope, files[i].rescaleIntercept, reports[i].measurement,
                      !arguments.aluminium.has_value(), std::move(warnings)});
  }
  record::RecordDatabase database(record::RecordLocation(QString::fromStdString(arguments.record)));
  const std::vector<record::SavedMeasurement> saved =
      record::SaveSession(database, session, images);
  std::vector<std::string> refusals;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    reports[i].saved =
        SavedColumns{saved[i].id ? std::to_string(*saved[i].id) : std::string(), saved[i].reference,
                     saved[i].deviationPercent, saved[i].verdict};
    refusals.push_back(saved[i].refusal);
  }
  return refusals;
}

}  // namespace sdnr_cli
