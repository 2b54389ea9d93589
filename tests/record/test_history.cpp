// The record read back: filtered by device and period, in batches, with each amendment in words;
// amendments refused where they would contradict the record; a backup that is a whole record.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <map>
#include <set>

#include "record/amendments.h"
#include "record/backup.h"
#include "record/history.h"
#include "record/record_error.h"
#include "record/reference_values.h"
#include "record_place.h"
#include "record_test_data.h"

namespace {

using record::HistoryFilter;
using record::RecordDatabase;
using record::RecordError;
using record_test::Image;

HistoryFilter Filter(const QString& serial, const QString& from = "", const QString& to = "") {
  return {serial, from, to};
}

std::vector<qint64> Ids(const std::vector<record::HistoryRow>& rows) {
  std::vector<qint64> ids;
  for (const record::HistoryRow& row : rows) ids.push_back(row.measurement);
  return ids;
}

class History : public testing::TestWithParam<record_test::Place> {
 protected:
  void SetUp() override {
    record::AddToleranceRule(*database_, {"sdnr", {}, "", "10", "10", "", "9", "DIN-Norm"});
    // Saved out of date order; the one without an exposure date comes first, dated by its session;
    // the last on the same date and time as the third, after it.
    const auto saved = record::SaveSession(
        *database_, record_test::Session("a"),
        {Image({"1.1", "5.10", "45", "2026-03-15"}), Image({"1.2", "5.20", "45", "2026-01-15"}),
         Image({"1.3", "5.30", "45", "2026-02-15"}),
         Image({"1.4", "4.00", "45", "2026-02-20", "SN 7", "Beta"}),
         Image({"1.5", "5.00", "45", ""}), Image({"1.6", "5.40", "45", "2026-02-15"})});
    for (const auto& measurement : saved) ids_.push_back(*measurement.id);
  }

  record_test::RecordPlace place_{GetParam()};
  std::unique_ptr<RecordDatabase> database_ = std::make_unique<RecordDatabase>(place_.where());
  std::vector<qint64> ids_;
};
RECORD_TESTS_IN_BOTH_PLACES(History);

TEST_P(History, FiltersByDeviceAndPeriodOldestFirst) {
  const QString today = QDateTime::currentDateTimeUtc().date().toString(Qt::ISODate);
  const auto& m = ids_;
  const struct {
    HistoryFilter filter;
    std::vector<qint64> expected;
  } cases[] = {
      {Filter(""), {m[4], m[1], m[2], m[5], m[3], m[0]}},
      {Filter("SN 42"), {m[4], m[1], m[2], m[5], m[0]}},
      {Filter("", "2026-02-01", "2026-02-28"), {m[2], m[5], m[3]}},
      {Filter("SN 42", "2026-02-15", "2026-02-15"), {m[2], m[5]}},  // both ends included
      {Filter("", today, today), {m[4]}},
      {Filter("SN 99"), {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.filter.deviceSerial.toStdString() + " " + c.filter.from.toStdString());
    EXPECT_EQ(Ids(record::ReadHistory(*database_, c.filter)), c.expected);
    // In batches of three, one ending between the two of the same date and time: the same rows,
    // then the end.
    record::HistoryReader reader(*database_, c.filter);
    std::vector<qint64> batched;
    while (!reader.atEnd()) {
      const auto batch = reader.next(3);
      EXPECT_LE(batch.size(), 3U);
      for (qint64 id : Ids(batch)) batched.push_back(id);
    }
    EXPECT_EQ(batched, c.expected);
  }
  const record::HistoryRow row = record::ReadHistory(*database_, Filter("SN 7")).at(0);
  EXPECT_EQ(row.tolerance.toStdString(), "−10 % / +10 %; max 9");
  EXPECT_EQ(row.toleranceSource, "DIN-Norm");
  EXPECT_EQ(row.verdict, "kein Bezugswert");
  EXPECT_EQ(row.manufacturer, "Beta");
  EXPECT_EQ(row.date, "2026-02-20");
}

TEST_P(History, AmendmentsAreNewRowsToldInWordsAndNeverContradictTheRecord) {
  record::Correct(*database_, ids_[0], "falsche ROI", "Prüferin", ids_[2]);
  record::Correct(*database_, ids_[1], "Bemerkung vergessen", "Prüferin");
  record::Void(*database_, ids_[1], "falsche Dicke", "Prüfer");
  const struct {
    std::function<void()> amend;
    const char* refusal;
  } refused[] = {
      {[&] { record::Void(*database_, ids_[1], "noch einmal", "P"); }, "bereits ungültig"},
      {[&] { record::Correct(*database_, ids_[1], "danach", "P"); }, "bereits ungültig"},
      {[&] { record::Void(*database_, 999, "Tippfehler", "P"); }, "gibt es im QA-Record nicht"},
      {[&] { record::Correct(*database_, ids_[2], "x", "P", ids_[2]); }, "dieselbe"},
      {[&] { record::Correct(*database_, ids_[2], "x", "P", 999); }, "gibt es nicht"},
      {[&] { record::Void(*database_, ids_[2], "  ", "P"); }, "Grund fehlt"},
  };
  for (const auto& c : refused) {
    try {
      c.amend();
      ADD_FAILURE() << "not refused: " << c.refusal;
    } catch (const RecordError& error) {
      EXPECT_NE(std::string(error.what()).find(c.refusal), std::string::npos) << error.what();
    }
  }
  std::map<qint64, QString> amendments;
  std::set<qint64> voided;
  for (const auto& row : record::ReadHistory(*database_, Filter(""))) {
    amendments[row.measurement] = row.amendment;
    if (row.voided) voided.insert(row.measurement);
  }
  EXPECT_EQ(amendments[ids_[0]],
            QString("berichtigt: falsche ROI (ersetzt durch Messung %1)").arg(ids_[2]));
  EXPECT_EQ(amendments[ids_[1]].toStdString(),
            "berichtigt: Bemerkung vergessen\nungültig: falsche Dicke");
  EXPECT_EQ(amendments[ids_[2]], "");
  // Voided, though corrected first.
  EXPECT_EQ(voided, std::set<qint64>{ids_[1]});
}

// A team record is backed up by pg_dump.
TEST_P(History, BackupIsAWholeRecordAndNeverOverwrites) {
  const QTemporaryDir folder;
  const QString target = folder.filePath("backup.sqlite");
  if (GetParam() == record_test::Place::Server) {
    try {
      record::Backup(*database_, target);
      ADD_FAILURE() << "a backup of the server's record";
    } catch (const RecordError& error) {
      EXPECT_NE(std::string(error.what()).find("pg_dump"), std::string::npos) << error.what();
    }
    EXPECT_FALSE(QFile::exists(target));
    return;
  }
  record::Backup(*database_, target);
  {
    RecordDatabase copy(target);
    EXPECT_EQ(Ids(record::ReadHistory(copy, Filter(""))),
              Ids(record::ReadHistory(*database_, Filter(""))));
    EXPECT_TRUE(copy.problems().isEmpty());
  }
  QFile file(target);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray before = file.readAll();
  file.close();
  EXPECT_THROW(record::Backup(*database_, target), RecordError);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
  EXPECT_THROW(record::Backup(*database_, folder.filePath("no/such/folder/b.sqlite")), RecordError);
}

}  // namespace
