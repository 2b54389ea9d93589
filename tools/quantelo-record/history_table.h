// The history as quantelo-record prints it: one line per measurement, tab-separated, as CSV
// after RFC 4180 (in German spreadsheets' dialect too) or as one JSON object a line.
#pragma once

#include <string>

#include "imaging/printable_text.h"
#include "record/history.h"

namespace record_cli {

enum class TableFormat {
  Tsv,        // tabs, "." in numbers, lines ending in LF
  Csv,        // ",", "." in numbers, fields quoted where needed, lines ending in CR LF
  GermanCsv,  // as Csv with ";" and a decimal comma, after a UTF-8 byte-order mark
  Json,       // one object a line; n and the ids numbers, warnings and amendment arrays
};

// The columns: measurement session performed_at date device thickness mAl sAl mBG sBG SDNR n kV
// mAs anode filter reference deviation verdict warnings operator sop_instance_uid amendment.
// The header line (with the byte-order mark before it for GermanCsv); empty for Json.
std::string HistoryHeader(TableFormat format);

// One row's line with its line end; every text made printable (no control characters, no
// formula a spreadsheet would run), several warnings or amendments joined by "; ".
std::string HistoryLine(const record::HistoryRow& row, TableFormat format,
                        imaging::PrintableText& printable);

}  // namespace record_cli
