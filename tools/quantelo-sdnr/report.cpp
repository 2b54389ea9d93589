#include "report.h"

#include <cstdio>
#include <utility>

#include "imaging/header_facts.h"

namespace sdnr_cli {
namespace {

struct Column {
  std::string name;
  std::string text;
  bool isNumber = false;
};

std::string roiText(const imaging::Roi& roi) {
  return std::to_string(roi.x) + ',' + std::to_string(roi.y) + ',' + std::to_string(roi.width) +
         ',' + std::to_string(roi.height);
}

std::vector<Column> columns(const std::string& file, const imaging::Measurement& m,
                            const std::vector<imaging::HeaderFact>& facts) {
  std::vector<Column> row{
      {"file", file},
      {"mAl", m.aluminium.mean},
      {"sAl", m.aluminium.standardDeviation},
      {"mBG", m.background.mean},
      {"sBG", m.background.standardDeviation},
      {"SDNR", m.sdnr},
      {"n", std::to_string(m.aluminium.count), true},
      {"al_roi", roiText(m.aluminium.roi)},
      {"bg_roi", roiText(m.background.roi)},
  };
  for (const imaging::HeaderFact& fact : facts) row.push_back({std::string(fact.key), fact.value});
  return row;
}

// A file name may hold any byte but "/" and NUL; tabs and line ends would break the table.
std::string tsvField(std::string text) {
  for (char& c : text) {
    if (c == '\t' || c == '\n' || c == '\r') c = ' ';
  }
  return text;
}

std::string jsonString(const std::string& text) {
  std::string quoted = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned char>(c));
      quoted += escaped;
    } else {
      quoted += c;
    }
  }
  return quoted + '"';
}

}  // namespace

std::string TsvHeader() {
  std::string line = "file\tmAl\tsAl\tmBG\tsBG\tSDNR\tn\tal_roi\tbg_roi";
  for (const imaging::HeaderFactSource& source : imaging::HeaderFactSources()) {
    line += '\t';
    line += source.key;
  }
  return line;
}

std::string TsvLine(const std::string& file, const imaging::Measurement& measurement,
                    const std::vector<imaging::HeaderFact>& facts) {
  std::string line;
  for (const Column& column : columns(file, measurement, facts)) {
    if (column.name != "file") line += '\t';
    line += tsvField(column.text);
  }
  return line;
}

std::string JsonLine(const std::string& file, const imaging::Measurement& measurement,
                     const std::vector<imaging::HeaderFact>& facts) {
  std::string line = "{";
  for (const Column& column : columns(file, measurement, facts)) {
    if (line.size() > 1) line += ", ";
    line +=
        jsonString(column.name) + ": " + (column.isNumber ? column.text : jsonString(column.text));
  }
  return line + "}";
}

}  // namespace sdnr_cli
