#include "image_description.h"

#include <QCryptographicHash>
#include <QFile>

#include "calc/number_text.h"
#include "record_error.h"

namespace record {

std::string FileSha256(const QString& path) {
  QFile content(path);
  QCryptographicHash hash(QCryptographicHash::Sha256);
  if (!content.open(QIODevice::ReadOnly) || !hash.addData(&content)) {
    throw RecordError("Die Datei „" + path.toStdString() +
                      "“ lässt sich für den QA-Record nicht lesen.");
  }
  return hash.result().toHex().toStdString();
}

MeasuredImage DescribeImage(std::string sha256, const imaging::DicomImage& image,
                            imaging::Measurement measurement, bool automaticPlacement,
                            const std::vector<imaging::MeasurementWarning>& warnings) {
  calc::Fpu fpu;
  MeasuredImage described;
  described.sha256 = std::move(sha256);
  described.facts = image.facts();
  described.presentationIntent = image.context().presentationIntent;
  described.rescaleSlope = calc::FormatNumberGeneral(fpu, image.rescale().slope);
  described.rescaleIntercept = calc::FormatNumberGeneral(fpu, image.rescale().intercept);
  described.measurement = std::move(measurement);
  described.automaticPlacement = automaticPlacement;
  for (const imaging::MeasurementWarning& warning : warnings) {
    described.warnings.push_back(warning.text);
  }
  return described;
}

}  // namespace record
