// A record as the programs keep it, in a file and on the server: sessions saved once even when
// retried, images never twice, verdicts frozen when references change, history never rewritten;
// and a file it does not understand left exactly as it is.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include "record/record_database.h"
#include "record/record_error.h"
#include "record/record_schema.h"
#include "record/session_saving.h"
#include "record_place.h"
#include "record_test_data.h"

namespace {

using record::MeasuredImage;
using record::RecordDatabase;
using record::RecordError;

MeasuredImage Image(const char* uid, const char* sdnr, const char* thickness = "45") {
  return record_test::Image({uid, sdnr, thickness});
}

using record_test::Session;

qint64 Count(RecordDatabase& database, const char* table) {
  QSqlQuery query = database.run(QStringLiteral("SELECT count(*) FROM %1").arg(table));
  query.next();
  return query.value(0).toLongLong();
}

class RecordFile : public testing::Test {
 protected:
  QString path() const { return folder_.filePath("sub/record.sqlite"); }
  QTemporaryDir folder_;
};

class Record : public testing::TestWithParam<record_test::Place> {
 protected:
  record_test::RecordPlace place_{GetParam()};
  RecordDatabase database_{place_.where()};
};
RECORD_TESTS_IN_BOTH_PLACES(Record);

TEST_P(Record, SavesOnceFreezesVerdictsAndNeverRewritesHistory) {
  const auto first = record::SaveSession(database_, Session("key-1"), {Image("1.2.3", "5.00")});
  ASSERT_TRUE(first[0].id) << first[0].refusal;
  EXPECT_EQ(first[0].verdict, "kein Bezugswert");

  // A reference value and a rule from then on: the next image is judged, the first stays as it was.
  database_.run(
      QStringLiteral("INSERT INTO reference_values (device_id, thickness_mm, quantity, "
                     "value, source, valid_from, recorded_at, mean_of) VALUES (1, '45', "
                     "'sdnr', '5.2', 'Abnahmeprüfung', '2026-01-01', 'now', '')"));
  database_.run(
      QStringLiteral("INSERT INTO tolerance_rules (quantity, below_percent, source, "
                     "recorded_at) VALUES ('sdnr', '10', 'DIN', 'now')"));
  const auto second =
      record::SaveSession(database_, Session("key-2"),
                          {Image("1.2.4", "4.68"), Image("1.2.5", "4.67"), Image("1.2.3", "5.00"),
                           Image("1.2.6", "5.00", "45.0"), Image("1.2.7", "NaN")});
  EXPECT_EQ(second[0].verdict, "bestanden");  // 4.68 is exactly 10 % below 5.2
  EXPECT_EQ(second[0].reference, "5.2");
  EXPECT_EQ(second[1].verdict, "nicht bestanden");
  EXPECT_FALSE(second[2].id);  // recorded in another session
  EXPECT_NE(second[2].refusal.find("schon gespeichert"), std::string::npos);
  EXPECT_EQ(second[3].verdict, "bestanden");  // 45.0 mm is 45 mm
  EXPECT_FALSE(second[4].id);
  QSqlQuery stored = database_.run(QStringLiteral("SELECT verdict FROM measurements WHERE id = ?"),
                                   {*first[0].id});
  ASSERT_TRUE(stored.next());
  EXPECT_EQ(stored.value(0).toString(), "kein Bezugswert");

  // Retried under the same key: the same measurements, nothing twice.
  const qint64 measurements = Count(database_, "measurements");
  const auto retried = record::SaveSession(database_, Session("key-2"), {Image("1.2.4", "4.68")});
  EXPECT_EQ(retried[0].id, second[0].id);
  EXPECT_EQ(retried[0].verdict, "bestanden");
  EXPECT_EQ(Count(database_, "measurements"), measurements);
  EXPECT_EQ(Count(database_, "sessions"), 2);
  // Nothing to keep: no session either.
  EXPECT_FALSE(record::SaveSession(database_, Session("key-3"), {Image("1.2.3", "5.00")})[0].id);
  EXPECT_EQ(Count(database_, "sessions"), 2);

  for (const char* change :
       {"UPDATE measurements SET verdict = 'bestanden'", "DELETE FROM measurements",
        "UPDATE reference_values SET value = '1'", "DELETE FROM sessions", "DELETE FROM images"}) {
    EXPECT_THROW(database_.run(QString::fromLatin1(change)), RecordError) << change;
  }
  EXPECT_EQ(Count(database_, "measurements"), measurements);
  EXPECT_TRUE(database_.problems().isEmpty()) << database_.problems().join('\n').toStdString();
}

// Typed values have no file and no UID: they are kept under a key made from the session's, found
// again by a retried save, and carry the user's remark.
TEST_P(Record, TypedValuesAreKeptOnceUnderTheirSessionsKey) {
  MeasuredImage typed = Image("", "4.94");
  typed.typed = true;
  typed.sha256.clear();
  typed.remark = "Phantom neu justiert";
  // Null texts, as an empty field or an unset version gives them, are empty ones.
  const record::SessionEntry session{
      "key-t", QDateTime::currentDateTimeUtc(), "Prüferin", QString(), "SDNR monatlich", QString()};
  const auto first = record::SaveSession(database_, session, {typed, typed});
  const auto retried = record::SaveSession(database_, session, {typed, typed});
  ASSERT_TRUE(first[0].id && first[1].id) << first[0].refusal;
  EXPECT_NE(first[0].id, first[1].id);
  EXPECT_EQ(retried[0].id, first[0].id);
  EXPECT_EQ(retried[1].id, first[1].id);
  QSqlQuery stored = database_.run(
      QStringLiteral("SELECT i.sop_instance_uid, i.sha256, m.al_roi, m.n, m.placement, m.remark "
                     "FROM measurements m JOIN images i ON i.id = m.image_id WHERE m.id = ?"),
      {*first[1].id});
  ASSERT_TRUE(stored.next());
  EXPECT_EQ(stored.value(0).toString(), "von Hand:key-t/2");
  EXPECT_EQ(stored.value(1).toString(), "");
  EXPECT_EQ(stored.value(2).toString(), "");
  EXPECT_EQ(stored.value(3).toLongLong(), 0);
  EXPECT_EQ(stored.value(4).toString(), "von Hand");
  EXPECT_EQ(stored.value(5).toString(), "Phantom neu justiert");
}

// A record as the first schema left it, with a measurement in it, is brought forward: its rows
// stay as they were, with an empty remark, and it stays append-only.
TEST_F(RecordFile, ARecordOfTheFirstSchemaIsBroughtForward) {
  {
    QSqlDatabase first = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), "first-schema");
    first.setDatabaseName(folder_.filePath("record.sqlite"));
    ASSERT_TRUE(first.open());
    QStringList statements = record::Migrations()[0];
    statements << "INSERT INTO devices VALUES (1, 'ACME', 'Mammo 3000', 'SN 42')"
               << "INSERT INTO sessions VALUES (1, 'key-1', '2026-12-01T09:00:00Z', "
                  "'Europe/Berlin', 'Prüferin', '', 'SDNR monatlich', '1.0')"
               << "INSERT INTO images VALUES (1, 1, '1.2.3', 'ab12', '2026-12-01', '', '', '', "
                  "'', '', '28', '63', 'Exposure', 'W', 'Rh', '45', '', '', '', '1', '0')"
               << "INSERT INTO measurements VALUES (1, 1, 1, '0,0,9,9', '9,0,9,9', 81, '2', "
                  "'1', '1', '1', '0.71', 'automatisch', '', NULL, NULL, '', 'kein Bezugswert')"
               << "PRAGMA user_version = 1";
    for (const QString& statement : statements) {
      ASSERT_TRUE(QSqlQuery(first).exec(statement)) << statement.toStdString();
    }
  }
  QSqlDatabase::removeDatabase("first-schema");

  RecordDatabase database(folder_.filePath("record.sqlite"));
  QSqlQuery version = database.run(QStringLiteral("PRAGMA user_version"));
  ASSERT_TRUE(version.next());
  EXPECT_EQ(version.value(0).toInt(), static_cast<int>(record::Migrations().size()));
  QSqlQuery kept = database.run(QStringLiteral("SELECT sdnr, remark FROM measurements"));
  ASSERT_TRUE(kept.next());
  EXPECT_EQ(kept.value(0).toString(), "0.71");
  EXPECT_EQ(kept.value(1).toString(), "");
  EXPECT_TRUE(record::SaveSession(database, Session("key-2"), {Image("1.2.4", "5.00")})[0].id);
  EXPECT_THROW(database.run(QStringLiteral("UPDATE measurements SET remark = 'x'")), RecordError);
  EXPECT_TRUE(database.problems().isEmpty()) << database.problems().join('\n').toStdString();
}

// A reference value taken as the mean of measurements names their exposure: a later exposure at
// other settings is saved with a warning. One without its date is judged on the check's day.
TEST_P(Record, ConditionsOtherThanTheReferencesAreWarnedOf) {
  auto exposure = [](const char* uid, const char* kvp, const char* filter, const char* date) {
    MeasuredImage image = Image(uid, "5.00");
    image.facts.push_back({"kvp", "", kvp});
    image.facts.push_back({"anode", "", "W"});
    image.facts.push_back({"filter", "", filter});
    for (imaging::HeaderFact& fact : image.facts)
      if (fact.key == "acquisition_date") fact.value = date;
    return image;
  };
  const auto basis =
      record::SaveSession(database_, Session("key-1"), {exposure("1.1", "28", "RH", "2026-11-02")});
  database_.run(QStringLiteral("INSERT INTO reference_values (device_id, thickness_mm, quantity, "
                               "value, source, valid_from, recorded_at, mean_of) VALUES (1, '45', "
                               "'sdnr', '5', 'Mittel', '2026-11-02', 'now', ?)"),
                {QString::number(*basis[0].id)});
  const struct {
    MeasuredImage image;
    const char* conditions;
  } cases[] = {
      {exposure("1.2", "28", "RH", "2026-12-01"), ""},
      {exposure("1.3", "29", "AG", "2026-12-01"),
       "Bedingungen abweichend (kV 29 statt 28; Filter AG statt RH)"},
      {exposure("1.4", "28", "RH", ""), ""},
  };
  int key = 2;
  for (const auto& [image, conditions] : cases) {
    const auto saved =
        record::SaveSession(database_, Session(("key-" + std::to_string(key++)).c_str()), {image});
    ASSERT_TRUE(saved[0].id) << saved[0].refusal;
    EXPECT_EQ(saved[0].conditions, conditions);
    EXPECT_EQ(saved[0].reference, "5") << "without a date too";
    QSqlQuery stored = database_.run(
        QStringLiteral("SELECT warnings FROM measurements WHERE id = ?"), {*saved[0].id});
    ASSERT_TRUE(stored.next());
    EXPECT_EQ(stored.value(0).toString().toStdString(), conditions);
  }
}

TEST_F(RecordFile, AFileItDoesNotUnderstandIsLeftAsItIs) {
  { RecordDatabase created(path()); }
  {
    RecordDatabase newer(path());
    newer.run(QStringLiteral("PRAGMA user_version = 99"));
  }
  const QString notARecord = folder_.filePath("notes.sqlite");
  QFile text(notARecord);
  ASSERT_TRUE(text.open(QIODevice::WriteOnly));
  text.write(QByteArray(4096, 'x'));
  text.close();
  for (const QString& file : {path(), notARecord}) {
    QFile before(file);
    ASSERT_TRUE(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    try {
      RecordDatabase refused(file);
      ADD_FAILURE() << "opened " << file.toStdString();
    } catch (const RecordError& error) {
      // Each says what it is: a record of a newer Quantelo, or a damaged file.
      EXPECT_NE(std::string(error.what()).find(file == path() ? "neueren" : "beschädigt"),
                std::string::npos)
          << error.what();
    }
    QFile after(file);
    ASSERT_TRUE(after.open(QIODevice::ReadOnly));
    EXPECT_EQ(after.readAll(), bytes) << file.toStdString();
  }
}

}  // namespace
