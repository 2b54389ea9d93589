#include "record_saving.h"

#include <QUuid>

#include "output.h"
#include "record/image_description.h"
#include "record/record_error.h"
#include "record/record_location.h"
#include "record/remembered_operator.h"

namespace sdnr_cli {
namespace {

const char* const RecordName = "QA-Record";

std::string messageOf(const record::RecordError& error) {
  return error.cause().empty() ? error.what()
                               : error.what() + (" [Ursache: " + error.cause() + "]");
}

// The session's outcome in each report, and why a file was not saved (empty where it was).
std::vector<std::string> fillIn(std::vector<FileReport>& reports,
                                const std::vector<record::SavedMeasurement>& saved) {
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

}  // namespace

record::MeasuredImage DescribeForRecord(const std::string& file, const imaging::DicomImage& image,
                                        const FileReport& report, bool automaticPlacement) {
  return record::DescribeImage(record::FileSha256(QString::fromStdString(file)), image,
                               report.measurement, automaticPlacement, report.warnings);
}

int SaveAndPrint(const Arguments& arguments, std::vector<FileReport>& reports,
                 const std::vector<record::MeasuredImage>& files, const record::RecordOpener& open,
                 const QString& outboxPath) {
  std::vector<std::string> refusals(reports.size());
  try {
    const record::SessionEntry session{
        QUuid::createUuid().toString(QUuid::WithoutBraces),
        QDateTime::currentDateTimeUtc(),
        record::OperatorFor(QString::fromStdString(arguments.operatorName)),
        QString::fromStdString(arguments.phantom),
        QStringLiteral("SDNR monatlich"),
        QStringLiteral(QUANTELO_VERSION)};
    const record::SaveResult result = record::SaveOrQueue(
        record::RecordLocation(QString::fromStdString(arguments.record)), session, files, open,
        outboxPath, [](const std::string& message) { Tell(RecordName, message); });
    if (result.unreachable) {
      Tell(RecordName, messageOf(*result.unreachable));
      Tell(RecordName, record::WaitingText(result.waiting).toStdString() +
                           ". Gesendet wird beim nächsten Speichern oder von Quantelo, sobald der "
                           "Server erreichbar ist (Warteschlange „" +
                           outboxPath.toStdString() + "“).");
      for (FileReport& report : reports)
        report.saved = SavedColumns{{}, {}, {}, "wartet auf den Server"};
    } else {
      refusals = fillIn(reports, result.saved);
    }
  } catch (const record::RecordError& error) {
    Tell(RecordName, messageOf(error));
    for (FileReport& report : reports) report.saved = SavedColumns{};
    refusals.assign(reports.size(), "nicht gespeichert.");
  }
  int status = 0;
  for (std::size_t i = 0; i < reports.size(); ++i) {
    status |= PrintReport(arguments, reports[i]);
    if (!refusals[i].empty()) {
      Tell(reports[i].file, refusals[i]);
      status = 1;
    }
  }
  return status;
}

}  // namespace sdnr_cli
