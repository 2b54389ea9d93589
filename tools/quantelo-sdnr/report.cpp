#include "report.h"

#include <cstdint>
#include <utility>

#include "imaging/header_facts.h"
#include "imaging/printable_text.h"

namespace sdnr_cli {
namespace {

struct Column {
  enum class Kind : std::uint8_t { Text, Number, TextList };
  Column(std::string name, std::string text, Kind kind = Kind::Text,
         std::vector<std::string> items = {})
      : name(std::move(name)), text(std::move(text)), kind(kind), items(std::move(items)) {}

  std::string name;
  std::string text;
  Kind kind;
  std::vector<std::string> items;  // a list's texts; text holds them joined
};

std::string roiText(const imaging::Roi& roi) {
  return std::to_string(roi.x) + ',' + std::to_string(roi.y) + ',' + std::to_string(roi.width) +
         ',' + std::to_string(roi.height);
}

std::vector<Column> columns(const FileReport& report) {
  const imaging::Measurement& m = report.measurement;
  std::vector<Column> row{
      {"file", report.file},
      {"mAl", m.aluminium.mean},
      {"sAl", m.aluminium.standardDeviation},
      {"mBG", m.background.mean},
      {"sBG", m.background.standardDeviation},
      {"SDNR", m.sdnr},
      {"n", std::to_string(m.aluminium.count), Column::Kind::Number},
      {"al_roi", roiText(m.aluminium.roi)},
      {"bg_roi", roiText(m.background.roi)},
  };
  for (const imaging::HeaderFact& fact : report.facts) {
    if (fact.listed) row.push_back({std::string(fact.key), fact.value});
  }
  if (report.saved) {
    row.emplace_back("measurement", report.saved->measurement, Column::Kind::Number);
    row.emplace_back("reference", report.saved->reference);
    row.emplace_back("deviation", report.saved->deviation);
    row.emplace_back("verdict", report.saved->verdict);
  }
  std::vector<std::string> warnings;
  for (const imaging::MeasurementWarning& warning : report.warnings)
    warnings.push_back(warning.text);
  row.emplace_back("warnings", imaging::JoinedWarnings(report.warnings), Column::Kind::TextList,
                   std::move(warnings));
  return row;
}

std::string jsonValue(const Column& column, imaging::PrintableText& printable) {
  switch (column.kind) {
    case Column::Kind::Number:
      return column.text.empty() ? "null" : column.text;
    case Column::Kind::TextList: {
      std::string list = "[";
      for (const std::string& item : column.items) {
        if (list.size() > 1) list += ", ";
        list += printable.jsonString(item);
      }
      return list + "]";
    }
    case Column::Kind::Text:
      break;
  }
  return printable.jsonString(column.text);
}

}  // namespace

std::string TsvHeader(bool saved) {
  std::string line = "file\tmAl\tsAl\tmBG\tsBG\tSDNR\tn\tal_roi\tbg_roi";
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources()) {
    if (!source.listed) continue;
    line += '\t';
    line += source.key;
  }
  if (saved) line += "\tmeasurement\treference\tdeviation\tverdict";
  return line + "\twarnings";
}

PrintedLine TsvLine(const FileReport& report) {
  imaging::PrintableText printable;
  std::string line;
  for (const Column& column : columns(report)) {
    if (column.name != "file") line += '\t';
    line += printable.tsvField(column.text);
  }
  return {line, printable.replacedBytes()};
}

PrintedLine JsonLine(const FileReport& report) {
  imaging::PrintableText printable;
  std::string line = "{";
  for (const Column& column : columns(report)) {
    if (line.size() > 1) line += ", ";
    line += printable.jsonString(column.name) + ": " + jsonValue(column, printable);
  }
  return {line + "}", printable.replacedBytes()};
}

}  // namespace sdnr_cli
