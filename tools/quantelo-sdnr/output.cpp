#include "output.h"

#include <iostream>

#include "imaging/printable_text.h"
#include "imaging/standard_output.h"

namespace sdnr_cli {

void Tell(const std::string& file, const std::string& text) {
  imaging::PrintableText printable;
  std::cerr << "quantelo-sdnr: " << printable.message(file) << ": " << printable.message(text)
            << std::endl;
}

int PrintReport(const Arguments& arguments, const FileReport& report) {
  const PrintedLine line = arguments.json ? JsonLine(report) : TsvLine(report);
  imaging::PrintToStandardOutput(line.text + '\n');
  if (line.replacedBytes) {
    Tell(report.file,
         "Hinweis: Bytes, die kein UTF-8-Zeichen bilden, sind als „\uFFFD“ ausgegeben.");
  }
  for (const imaging::MeasurementWarning& warning : report.warnings)
    Tell(report.file, "Warnung: " + warning.text);
  return arguments.strict && !report.warnings.empty() ? 1 : 0;
}

}  // namespace sdnr_cli
