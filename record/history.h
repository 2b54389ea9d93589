// The record read back: one row per measurement with its session, image, device, reference value,
// tolerance rule and amendments, oldest first, read in batches so that a long history never has
// to be held at once.
#pragma once

#include <QSqlQuery>
#include <QString>
#include <memory>
#include <vector>

#include "record_database.h"

namespace record {

struct HistoryFilter {
  QString deviceSerial;  // every device of this serial number; empty: every device
  QString from;          // YYYY-MM-DD, inclusive; empty: from the start
  QString to;            // YYYY-MM-DD, inclusive; empty: up to now
};

struct HistoryRow {
  qint64 measurement = 0;
  qint64 session = 0;
  QString performedAt;      // the session's time, UTC, ISO 8601
  QString date;             // the exposure's date (YYYY-MM-DD), else the session's
  QString acquisitionTime;  // HH:MM:SS or empty
  QString manufacturer;
  QString model;
  QString serialNumber;
  QString station;
  QString thickness;  // mm, as a number text ("45")
  QString mAl, sAl, mBG, sBG, sdnr;
  qint64 n = 0;
  QString kvp, mas, anode, filter;
  QString reference;        // the reference value in force when saved; empty without one
  QString referenceSource;  // its source text
  // The tolerance rule in force when saved: its bounds (each empty where it sets none), the rule
  // in words (e.g. "−10 % / +10 %; min 5") and its source text.
  QString belowPercent, abovePercent, minimum, maximum;
  QString tolerance;
  QString toleranceSource;
  QString deviation;  // percent, one place, signed ("+3.2"); empty without a reference
  QString verdict;
  QString warnings;  // one per line
  QString operatorName;
  QString phantom;
  QString sopInstanceUid;
  QString amendment;  // empty, or e.g. "ungültig: falsche Dicke" / "berichtigt: …", one a line
  bool voided = false;
};

// Devices, reference values, tolerance rules and amendments: read at once, looked up by id.
struct HistorySmallTables;

// The measurements that match the filter, oldest first by the exposure's date and time (those
// of an image without a date before all others), in batches. The first batch comes at once: the
// order is an index's, never a sort of the whole history; a server gives each batch as a page.
class HistoryReader {
 public:
  HistoryReader(RecordDatabase& database, const HistoryFilter& filter);
  ~HistoryReader();
  HistoryReader(const HistoryReader&) = delete;
  HistoryReader& operator=(const HistoryReader&) = delete;
  // Up to count further rows; fewer (or none) at the end.
  std::vector<HistoryRow> next(int count);
  bool atEnd() const { return atEnd_; }

 private:
  // The server's next page: up to count rows after the last one read.
  void readPage(int count);

  RecordDatabase& database_;
  std::unique_ptr<const HistorySmallTables> tables_;
  // The filter as the statement's conditions and their values.
  QString conditions_;
  QVariantList values_;
  QSqlQuery query_;
  // A server's page was full: more may follow, after the last row read (its date, time, image).
  bool morePages_ = true;
  QVariantList last_;
  bool atEnd_ = false;
};

// Every matching row at once, for the plot and the protocol.
std::vector<HistoryRow> ReadHistory(RecordDatabase& database, const HistoryFilter& filter);

}  // namespace record
