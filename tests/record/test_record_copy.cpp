// One record copied into another: the copy reads back as the original, with every id translated;
// a second copy adds nothing; a target's own rows stay and the copy joins them; a row whose key
// the target holds with another content refuses the whole copy.
#include <gtest/gtest.h>

#include <QRegularExpression>
#include <QTemporaryDir>
#include <algorithm>
#include <map>

#include "record/amendments.h"
#include "record/devices.h"
#include "record/history.h"
#include "record/record_copy.h"
#include "record/record_error.h"
#include "record/reference_values.h"
#include "record_test_data.h"

namespace {

using record::RecordDatabase;
using record_test::Image;

std::string Line(const QStringList& fields) {
  return fields.join(u'|').toStdString();
}

// What the record says, field by field, with every id replaced by what names it in any record:
// a measurement by its image's UID, a session by the first UID of its images, a reference value
// or rule that supersedes another by its recording time and source.
struct Snapshot {
  std::vector<std::string> history, references, tolerances, devices;

  explicit Snapshot(RecordDatabase& database) {
    const auto rows = record::ReadHistory(database, {});
    std::map<qint64, QString> uid, session;
    for (const record::HistoryRow& row : rows) {
      uid[row.measurement] = row.sopInstanceUid;
      QString& first = session[row.session];
      if (first.isEmpty() || row.sopInstanceUid < first) first = row.sopInstanceUid;
    }
    const auto uids = [&](QString text) {
      static const QRegularExpression Number(QStringLiteral("\\d+"));
      QRegularExpressionMatch match;
      for (qsizetype at = 0; (at = text.indexOf(Number, at, &match)) >= 0;) {
        const QString name = uid.at(match.captured().toLongLong());
        text.replace(at, match.capturedLength(), name);
        at += name.size();
      }
      return text;
    };
    for (const record::HistoryRow& r : rows) {
      // clang-format off
      history.push_back(Line({
          r.sopInstanceUid, session.at(r.session), r.performedAt, r.date, r.acquisitionTime,
          r.manufacturer, r.model, r.serialNumber, r.station, r.thickness, r.mAl, r.sAl, r.mBG,
          r.sBG, r.sdnr, QString::number(r.n), r.kvp, r.mas, r.anode, r.filter, r.reference,
          r.referenceSource, r.belowPercent, r.abovePercent, r.minimum, r.maximum, r.tolerance,
          r.toleranceSource, r.deviation, r.verdict, r.warnings, r.operatorName, r.phantom,
          uids(r.amendment), r.voided ? "ungültig" : ""}));
      // clang-format on
    }
    std::map<qint64, QString> referenceName, ruleName;
    const auto entries = record::ListReferences(database);
    for (const auto& e : entries) referenceName[e.id] = e.recordedAt + e.source;
    for (const auto& e : entries) {
      references.push_back(Line({e.manufacturer, e.model, e.serialNumber, e.thickness, e.quantity,
                                 e.value, e.source, e.validFrom, e.recordedAt, uids(e.meanOf),
                                 referenceName[e.supersededBy], e.supersededFrom}));
    }
    const auto rules = record::ListToleranceRules(database);
    for (const auto& e : rules) ruleName[e.id] = e.recordedAt + e.source;
    for (const auto& e : rules) {
      tolerances.push_back(Line({e.quantity, e.manufacturer, e.model, e.serialNumber, e.thickness,
                                 e.belowPercent, e.abovePercent, e.minimum, e.maximum, e.inWords,
                                 e.source, e.recordedAt, ruleName[e.supersededBy]}));
    }
    for (const record::Device& d : record::ListDevices(database)) {
      devices.push_back(Line(
          {d.serialNumber, d.manufacturer, d.model, d.station, QString::number(d.measurements)}));
    }
  }
};

std::vector<std::string> Sorted(std::vector<std::string> lines) {
  std::sort(lines.begin(), lines.end());
  return lines;
}

std::vector<qint64> Save(RecordDatabase& database, const record::SessionEntry& session,
                         const std::vector<record::MeasuredImage>& images) {
  std::vector<qint64> ids;
  for (const auto& saved : record::SaveSession(database, session, images)) ids.push_back(*saved.id);
  return ids;
}

class Copy : public testing::Test {
 protected:
  // A rule, a first session on two devices, a reference value that is the mean of three of its
  // measurements (named out of order) and a typed one, a second session judged by the rule and
  // the mean, a correction and a void.
  void FillSource() {
    record::AddToleranceRule(source_, {"sdnr", {}, "", "10", "10", "", "", "DIN 6868-14"});
    const auto first = Save(source_, record_test::Session("a"),
                            {Image({"1.1", "5.21"}), Image({"1.2", "5.24"}), Image({"1.3", "5.30"}),
                             Image({"1.4", "4.00", "45", "", "SN 7"})});
    FillSourceFurther(first);
  }

  void FillSourceFurther(const std::vector<qint64>& first) {
    record::AddReference(source_, {{"SN 42", "", ""},
                                   "45",
                                   "sdnr",
                                   "",
                                   "Abnahmeprüfung",
                                   "2026-01-01",
                                   {first[2], first[0], first[1]}});
    record::AddReference(source_,
                         {{"SN 7", "", ""}, "45", "sdnr", "4.1", "getippt", "2026-01-01", {}});
    const auto second = Save(source_, record_test::Session("b"), {Image({"1.5", "4.60"})});
    record::Correct(source_, first[0], "falsche ROI", "Prüferin", second[0]);
    record::Void(source_, first[1], "falsche Dicke", "Prüfer");
  }

  QTemporaryDir folder_;
  RecordDatabase source_{folder_.filePath("source.sqlite")};
  RecordDatabase target_{folder_.filePath("target.sqlite")};
};

TEST_F(Copy, IntoAnEmptyRecordReadsBackAsTheOriginalAndTwiceCopiesNothingTwice) {
  FillSource();
  const record::CopyCounts first = record::CopyRecord(source_, target_);
  EXPECT_EQ(first.copied, (std::array<qint64, 7>{2, 2, 5, 5, 2, 1, 2}));
  EXPECT_EQ(first.present, (std::array<qint64, 7>{}));
  const Snapshot original(source_);
  const Snapshot copied(target_);
  EXPECT_EQ(copied.history, original.history);
  EXPECT_EQ(copied.references, original.references);
  EXPECT_EQ(copied.tolerances, original.tolerances);
  EXPECT_EQ(copied.devices, original.devices);
  EXPECT_EQ(original.history.size(), 5U);

  const record::CopyCounts second = record::CopyRecord(source_, target_);
  EXPECT_EQ(second.copied, (std::array<qint64, 7>{}));
  EXPECT_EQ(second.present, first.copied);
  EXPECT_EQ(Snapshot(target_).history, original.history);
  EXPECT_EQ(record::CopyCountsInWords(second).toStdString(),
            "Kopiert: nichts; schon vorhanden: 2 Geräte, 2 Sitzungen, 5 Aufnahmen, 5 Messungen, "
            "2 Bezugswerte, 1 Toleranzregel, 2 Vermerke.");
  EXPECT_TRUE(target_.problems().isEmpty());
}

TEST_F(Copy, JoinsWhatTheTargetHasAlready) {
  // The target's own session, on a device of its own, comes first, so its ids differ.
  Save(target_, record_test::Session("t"), {Image({"9.1", "6.00", "45", "", "SN 99"})});
  const Snapshot own(target_);
  // A rule the target's user recorded after the source's: it stays in force after the copy,
  // though the copied one gets the higher id.
  target_.run(
      "INSERT INTO tolerance_rules (quantity, below_percent, source, recorded_at) VALUES "
      "('sdnr', '5', 'Team', '2099-01-01T00:00:00Z')");
  // A first copy, then more work on both sides, then the copy again.
  record::AddToleranceRule(source_, {"sdnr", {}, "", "10", "10", "", "", "DIN 6868-14"});
  const auto first = Save(source_, record_test::Session("a"),
                          {Image({"1.1", "5.21"}), Image({"1.2", "5.24"}), Image({"1.3", "5.30"}),
                           Image({"1.4", "4.00", "45", "", "SN 7"})});
  record::CopyRecord(source_, target_);
  FillSourceFurther(first);

  const record::CopyCounts again = record::CopyRecord(source_, target_);
  EXPECT_EQ(again.copied, (std::array<qint64, 7>{0, 1, 1, 1, 2, 0, 2}));
  EXPECT_EQ(again.present, (std::array<qint64, 7>{2, 1, 4, 4, 0, 1, 0}));
  const Snapshot original(source_);
  const Snapshot joined(target_);
  std::vector<std::string> expected = original.history;
  expected.insert(expected.end(), own.history.begin(), own.history.end());
  EXPECT_EQ(Sorted(joined.history), Sorted(expected));
  EXPECT_EQ(joined.references, original.references);
  EXPECT_EQ(joined.devices.size(), 3U);
  const auto rules = record::ListToleranceRules(target_);
  ASSERT_EQ(rules.size(), 2U);
  EXPECT_EQ(rules[0].source.toStdString(), "Team");
  EXPECT_EQ(rules[0].supersededBy, 0);
  EXPECT_EQ(rules[1].supersededBy, rules[0].id);
  record::SaveSession(target_, record_test::Session("c"),
                      {Image({"1.6", "4.60", "45", "", "SN 99"})});
  EXPECT_EQ(record::ReadHistory(target_, {"SN 99", "", ""}).back().toleranceSource.toStdString(),
            "Team");
}

TEST_F(Copy, IsRefusedWholeWhereTheTargetHoldsAKeyWithAnotherContent) {
  FillSource();
  auto otherFile = Image({"1.3", "5.30"});
  otherFile.sha256 = "ff00";
  auto laterSession = record_test::Session("b");
  laterSession.performedAt = laterSession.performedAt.addDays(1);
  const struct {
    const char* name;
    std::function<void(RecordDatabase&)> prepare;
    std::vector<const char*> told;
  } cases[] = {
      {"the same image, another file",
       [&](RecordDatabase& target) { Save(target, record_test::Session("x"), {otherFile}); },
       {"Aufnahme „1.3“: sha256 „ab12“ (im Ziel „ff00“)",
        "Messung der Aufnahme „1.3“: session_id (im Ziel ein anderer Verweis)"}},
      {"the same client key, another time",
       [&](RecordDatabase& target) {
         Save(target, laterSession, {Image({"8.1", "5.00"})});
       },
       {"ein Eintrag der Quelle steht", "Sitzung „b“: performed_at"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordDatabase target(folder_.filePath(QString::fromUtf8(c.name) + ".sqlite"));
    c.prepare(target);
    const Snapshot before(target);
    try {
      record::CopyRecord(source_, target);
      ADD_FAILURE() << "copied";
    } catch (const record::RecordError& error) {
      for (const char* words : c.told)
        EXPECT_NE(std::string(error.what()).find(words), std::string::npos) << error.what();
    }
    const Snapshot after(target);
    EXPECT_EQ(after.history, before.history);
    EXPECT_EQ(after.devices, before.devices);
    EXPECT_EQ(after.references, before.references);
    EXPECT_EQ(after.tolerances, before.tolerances);
  }
}

}  // namespace
