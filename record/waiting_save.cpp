#include "waiting_save.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>

#include "imaging/header_facts.h"
#include "record_error.h"

namespace record {
namespace {

QString text(const std::string& utf8) {
  return QString::fromStdString(utf8);
}

std::string utf8(const QJsonValue& value) {
  return value.toString().toStdString();
}

QJsonObject roiJson(const imaging::RoiMeasurement& measured) {
  const imaging::Roi& roi = measured.roi;
  return {{"roi", QJsonArray{roi.x, roi.y, roi.width, roi.height}},
          {"count", static_cast<qint64>(measured.count)},
          {"mean", text(measured.mean)},
          {"standardDeviation", text(measured.standardDeviation)}};
}

imaging::RoiMeasurement roiFromJson(const QJsonObject& json) {
  const QJsonArray roi = json["roi"].toArray();
  return {{roi[0].toInt(), roi[1].toInt(), roi[2].toInt(), roi[3].toInt()},
          static_cast<std::uint64_t>(json["count"].toInteger()),
          utf8(json["mean"]),
          utf8(json["standardDeviation"])};
}

QJsonObject imageJson(const MeasuredImage& image) {
  QJsonObject facts;
  for (const imaging::HeaderFact& fact : image.facts)
    facts[QString::fromUtf8(fact.key.data(), static_cast<qsizetype>(fact.key.size()))] =
        text(fact.value);
  QJsonArray warnings;
  for (const std::string& warning : image.warnings) warnings.append(text(warning));
  const imaging::Measurement& m = image.measurement;
  return {{"sha256", text(image.sha256)},
          {"facts", facts},
          {"presentationIntent", text(image.presentationIntent)},
          {"rescaleSlope", text(image.rescaleSlope)},
          {"rescaleIntercept", text(image.rescaleIntercept)},
          {"aluminium", roiJson(m.aluminium)},
          {"background", roiJson(m.background)},
          {"sdnr", text(m.sdnr)},
          {"automaticPlacement", image.automaticPlacement},
          {"warnings", warnings},
          {"typed", image.typed},
          {"remark", text(image.remark)}};
}

MeasuredImage imageFromJson(const QJsonObject& json) {
  MeasuredImage image;
  image.sha256 = utf8(json["sha256"]);
  const QJsonObject facts = json["facts"].toObject();
  // The facts keep their keys and labels as views of the known sources.
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources()) {
    const QJsonValue value =
        facts[QString::fromUtf8(source.key.data(), static_cast<qsizetype>(source.key.size()))];
    if (!value.isUndefined())
      image.facts.push_back({source.key, source.label, utf8(value), source.listed});
  }
  image.presentationIntent = utf8(json["presentationIntent"]);
  image.rescaleSlope = utf8(json["rescaleSlope"]);
  image.rescaleIntercept = utf8(json["rescaleIntercept"]);
  image.measurement = {roiFromJson(json["aluminium"].toObject()),
                       roiFromJson(json["background"].toObject()), utf8(json["sdnr"])};
  image.automaticPlacement = json["automaticPlacement"].toBool();
  for (const QJsonValue& warning : json["warnings"].toArray())
    image.warnings.push_back(utf8(warning));
  image.typed = json["typed"].toBool();
  image.remark = utf8(json["remark"]);
  return image;
}

}  // namespace

QByteArray WaitingSaveJson(const WaitingSave& save) {
  const SessionEntry& session = save.session;
  QJsonArray images;
  for (const MeasuredImage& image : save.images) images.append(imageJson(image));
  const QJsonObject json{{"clientKey", session.clientKey},
                         {"performedAt", session.performedAt.toUTC().toString(Qt::ISODateWithMs)},
                         {"operator", session.operatorName},
                         {"phantom", session.phantom},
                         {"kind", session.kind},
                         {"version", session.version},
                         {"images", images}};
  return QJsonDocument(json).toJson(QJsonDocument::Compact);
}

WaitingSave WaitingSaveFromJson(const QByteArray& json) {
  QJsonParseError error{};
  const QJsonDocument document = QJsonDocument::fromJson(json, &error);
  const QJsonObject object = document.object();
  if (error.error != QJsonParseError::NoError || object["clientKey"].toString().isEmpty()) {
    throw RecordError("Eine Messung in der Warteschlange für den Server ist unlesbar.",
                      error.errorString().toStdString());
  }
  WaitingSave save;
  save.session = {object["clientKey"].toString(),
                  QDateTime::fromString(object["performedAt"].toString(), Qt::ISODateWithMs),
                  object["operator"].toString(),
                  object["phantom"].toString(),
                  object["kind"].toString(),
                  object["version"].toString()};
  for (const QJsonValue& image : object["images"].toArray())
    save.images.push_back(imageFromJson(image.toObject()));
  return save;
}

}  // namespace record
