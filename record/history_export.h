// The history as quantelo-record prints it and the history window exports it: one line per
// measurement, tab-separated, as CSV after RFC 4180 (in German spreadsheets' dialect too) or as
// one JSON object a line.
#pragma once

#include <functional>
#include <string>

#include "history.h"
#include "imaging/printable_text.h"

namespace record {

enum class HistoryFormat {
  Tsv,        // tabs, "." in numbers, lines ending in LF
  Csv,        // ",", "." in numbers, fields quoted where needed, lines ending in CR LF
  GermanCsv,  // as Csv with ";" and a decimal comma, after a UTF-8 byte-order mark
  Json,       // one object a line; n and the ids numbers, warnings and amendment arrays
};

// The columns: measurement session performed_at date device thickness mAl sAl mBG sBG SDNR n kV
// mAs anode filter reference deviation verdict warnings operator sop_instance_uid amendment.
// The header line (with the byte-order mark before it for GermanCsv); empty for Json.
std::string HistoryHeader(HistoryFormat format);

// One row's line with its line end; every text made printable (no control characters, no
// formula a spreadsheet would run), several warnings or amendments joined by "; ".
std::string HistoryLine(const HistoryRow& row, HistoryFormat format,
                        imaging::PrintableText& printable);

// The header and the line of every measurement that matches the filter, handed to write a batch
// at a time, so that a long history is never held at once. Raises RecordError where the record
// cannot be read, and whatever write raises.
void WriteHistory(RecordDatabase& database, const HistoryFilter& filter, HistoryFormat format,
                  const std::function<void(const std::string&)>& write);

}  // namespace record
