// Reference values and tolerance rules as the user enters them: numbers with a point only, a
// device told apart where its serial number is shared, means of chosen measurements, and the
// history of each listed with what superseded what.
#include <gtest/gtest.h>

#include "record/amendments.h"
#include "record/record_error.h"
#include "record/reference_values.h"
#include "record_place.h"
#include "record_test_data.h"

namespace {

using record::NewReference;
using record::NewToleranceRule;
using record::RecordDatabase;
using record::RecordError;
using record_test::Image;

// The refusal's words, or "" where it was added.
template <typename Adding>
std::string Refusal(Adding add) {
  try {
    add();
    return "";
  } catch (const RecordError& error) {
    return error.what();
  }
}

NewReference Reference(const record::DeviceChoice& device, const char* thickness,
                       const char* quantity, const char* value, const char* source,
                       const char* validFrom = "", std::vector<qint64> meanOf = {}) {
  return {device, thickness, quantity, value, source, validFrom, std::move(meanOf)};
}

class References : public testing::TestWithParam<record_test::Place> {
 protected:
  void SetUp() override {
    // Two makers' devices share "SN 42".
    const auto saved = record::SaveSession(
        *database_, record_test::Session("a"),
        {Image({"1.1", "5.21"}), Image({"1.2", "5.24"}), Image({"1.3", "5.30"}),
         Image({"1.4", "5.00", "65"}), Image({"1.5", "5.00", "45", "2026-12-01", "SN 42", "Beta"}),
         Image({"1.6", "5.00"})});
    for (const auto& measurement : saved) m_.push_back(*measurement.id);
    record::Void(*database_, m_[5], "falsche Dicke", "Prüferin");
  }

  record_test::RecordPlace place_{GetParam()};
  std::unique_ptr<RecordDatabase> database_ = std::make_unique<RecordDatabase>(place_.where());
  std::vector<qint64> m_;
};
RECORD_TESTS_IN_BOTH_PLACES(References);

TEST_P(References, AreRefusedWithAReasonOrKeptAsANumber) {
  const record::DeviceChoice acme{"SN 42", "ACME", ""};
  const struct {
    NewReference reference;
    const char* refusal;  // a part of it; "" where the value is kept
    const char* kept;
  } cases[] = {
      {Reference(acme, "45.0", "sdnr", "5.20", "Abnahme", "2026-03-02"), "", "5.2"},
      {Reference(acme, "45", "sdnr", "5,2", "Abnahme"), "nicht mit Komma", ""},
      {Reference(acme, "45", "sdnr", "fünf", "Abnahme"), "ist keine Zahl", ""},
      {Reference(acme, "45", "sdnr", "0", "Abnahme"), "größer als 0", ""},
      {Reference(acme, "-1", "sdnr", "5", "Abnahme"), "größer als 0", ""},
      {Reference(acme, "45", "kV", "5", "Abnahme"), "sdnr oder mas", ""},
      {Reference(acme, "45", "sdnr", "5", "Abnahme", "2026-02-30"), "kein Datum", ""},
      {Reference(acme, "45", "sdnr", "5", " "), "Quelle fehlt", ""},
      {Reference({"SN 42", "", ""}, "45", "sdnr", "5", "Abnahme"),
       "mehrere Geräte (ACME Mammo 3000; Beta", ""},
      {Reference({"SN 43", "", ""}, "45", "sdnr", "5", "Abnahme"), "kein Gerät", ""},
      // The mean of chosen measurements, exactly, to hundredths.
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {m_[0], m_[1], m_[2]}), "", "5.25"},
      {Reference(acme, "45", "mas", "", "Mittel", "", {m_[0], m_[1]}), "", "63.25"},
      {Reference(acme, "45", "sdnr", "5.25", "Mittel", "", {m_[0], m_[1], m_[2]}), "", "5.25"},
      {Reference(acme, "45", "sdnr", "5.3", "Mittel", "", {m_[0], m_[1], m_[2]}),
       "nicht der Mittelwert", ""},
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {m_[0], m_[0]}), "zweimal", ""},
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {m_[0], m_[3]}),
       "anderen Gerät oder einer anderen Dicke", ""},
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {m_[4]}), "anderen Gerät", ""},
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {m_[5]}), "ungültig", ""},
      {Reference(acme, "45", "sdnr", "", "Mittel", "", {9999}), "gibt es im QA-Record nicht", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reference.value.toStdString() + " / " + c.refusal);
    const std::string refusal = Refusal([&] { record::AddReference(*database_, c.reference); });
    EXPECT_TRUE(refusal.find(c.refusal) != std::string::npos && refusal.empty() == !*c.refusal)
        << refusal;
    if (*c.refusal == '\0' && refusal.empty()) {
      EXPECT_EQ(record::ListReferences(*database_).front().value.toStdString(), c.kept);
    }
  }
}

TEST_P(References, ListNewestFirstWithWhatSupersededThem) {
  const record::DeviceChoice acme{"SN 42", "ACME", ""};
  const qint64 old =
      record::AddReference(*database_, Reference(acme, "45", "sdnr", "5.2", "A", "2026-01-01"));
  const qint64 later =
      record::AddReference(*database_, Reference(acme, "45", "sdnr", "5.4", "B", "2026-06-01"));
  // Recorded last but valid before both: superseded by the first from its date.
  const qint64 earlier =
      record::AddReference(*database_, Reference(acme, "45", "sdnr", "5.1", "C", "2025-01-01"));
  const qint64 other =
      record::AddReference(*database_, Reference(acme, "65", "sdnr", "4", "D", "2026-01-01"));
  const auto references = record::ListReferences(*database_);
  ASSERT_EQ(references.size(), 4U);
  const std::vector<std::pair<qint64, qint64>> expected = {
      {later, 0}, {other, 0}, {old, later}, {earlier, old}};
  for (std::size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(references[i].id, expected[i].first) << i;
    EXPECT_EQ(references[i].supersededBy, expected[i].second) << i;
  }
  EXPECT_EQ(references[2].supersededFrom, "2026-06-01");

  const struct {
    NewToleranceRule rule;
    const char* refusal;
    const char* words;
  } rules[] = {
      {{"sdnr", {}, "", "", "", "", "", "DIN"}, "mindestens eine Grenze", ""},
      {{"sdnr", {}, "", "-10", "", "", "", "DIN"}, "positiv", ""},
      {{"sdnr", {}, "", "101", "", "", "", "DIN"}, "höchstens 100", ""},
      {{"sdnr", {}, "", "", "", "9", "5", "DIN"}, "Minimum liegt über", ""},
      {{"sdnr", {}, "", "", "10,5", "", "", "DIN"}, "Komma", ""},
      {{"sdnr", {"SN 42", "", ""}, "", "10", "", "", "", "DIN"}, "mehrere Geräte", ""},
      {{"sdnr", {}, "", "10.0", "10", "5", "9", "DIN"}, "", "−10 % / +10 %; min 5; max 9"},
      {{"sdnr", acme, "45", "", "15", "", "", "DIN"}, "", "+15 %"},
      {{"sdnr", {}, "", "", "", "4", "", "DIN"}, "", "min 4"},
  };
  for (const auto& c : rules) {
    SCOPED_TRACE(c.refusal);
    const std::string refusal = Refusal([&] { record::AddToleranceRule(*database_, c.rule); });
    EXPECT_TRUE(refusal.find(c.refusal) != std::string::npos && refusal.empty() == !*c.refusal)
        << refusal;
    if (*c.refusal == '\0' && refusal.empty()) {
      EXPECT_EQ(record::ListToleranceRules(*database_).front().inWords.toStdString(), c.words);
    }
  }
  // The newest rule for every device supersedes the one before it; the device's own stands apart.
  const auto tolerances = record::ListToleranceRules(*database_);
  ASSERT_EQ(tolerances.size(), 3U);
  EXPECT_EQ(tolerances[0].supersededBy, 0);
  EXPECT_EQ(tolerances[1].supersededBy, 0);
  EXPECT_EQ(tolerances[1].serialNumber, "SN 42");
  EXPECT_EQ(tolerances[2].supersededBy, tolerances[0].id);
}

// The conflict's words, or "" where it was added; any other refusal fails the test.
template <typename Adding>
std::string Conflict(Adding add) {
  try {
    add();
    return "";
  } catch (const record::RecordConflict& conflict) {
    return conflict.what();
  }
}

// Someone else added after the list was shown. These adds, in order, claim to have seen the
// record as it was before; only those for the same key are refused, naming what the other
// entered, and store nothing.
TEST_P(References, AnAddCrossingAnotherForTheSameKeyIsRefused) {
  const record::DeviceChoice acme{"SN 42", "ACME", ""};
  const record::DeviceChoice beta{"SN 42", "Beta", ""};
  const qint64 shown = 0;  // the list was empty
  const qint64 other = record::AddReference(
      *database_, Reference(acme, "45", "sdnr", "5.3", "Erste", "2026-03-02"), shown);
  const char* const crossed =
      "ein neuer Bezugswert erfasst: 5.3 (Quelle „Erste“, gültig ab 02.03.2026, erfasst am ";
  const struct {
    NewReference reference;
    std::optional<qint64> seenUpTo;
    const char* conflict;  // a part of it; "" where it is stored
  } references[] = {
      {Reference(acme, "45", "sdnr", "5.4", "Zweite"), shown, crossed},
      {Reference(acme, "45.0", "sdnr", "5.4", "Zweite"), shown, crossed},
      {Reference(acme, "65", "sdnr", "5.4", "Zweite"), shown, ""},
      {Reference(beta, "45", "sdnr", "5.4", "Zweite"), shown, ""},
      {Reference(acme, "45", "mas", "60", "Zweite"), shown, ""},
      {Reference(acme, "45", "sdnr", "5.4", "Zweite"), other, ""},         // seen after all
      {Reference(acme, "45", "sdnr", "5.5", "Dritte"), std::nullopt, ""},  // checks nothing
      {Reference(acme, "45", "sdnr", "5.6", "Vierte"), other, "5.5 (Quelle „Dritte“"},
  };
  std::size_t stored = 1;
  for (const auto& c : references) {
    SCOPED_TRACE(c.reference.source.toStdString() + " " + c.reference.thickness.toStdString());
    const std::string conflict =
        Conflict([&] { record::AddReference(*database_, c.reference, c.seenUpTo); });
    EXPECT_TRUE(conflict.find(c.conflict) != std::string::npos && conflict.empty() == !*c.conflict)
        << conflict;
    if (conflict.empty()) ++stored;
    EXPECT_EQ(record::ListReferences(*database_).size(), stored);
  }

  // Two rules the other entered at once: for every device and thickness, and for one of each.
  record::AddToleranceRule(*database_, {"sdnr", {}, "", "10", "", "", "", "Norm"}, shown);
  record::AddToleranceRule(*database_, {"sdnr", acme, "45", "", "", "4", "", "Haus"}, shown);
  const struct {
    NewToleranceRule rule;
    const char* conflict;
  } rules[] = {
      {{"sdnr", {}, "", "", "", "5", "", "Ich"},
       "Toleranzregel mit demselben Geltungsbereich (Größe, Gerät, Dicke) erfasst: −10 % (Quelle "
       "„Norm“, erfasst am "},
      {{"sdnr", acme, "45.0", "", "", "5", "", "Ich"}, "min 4 (Quelle „Haus“"},
      {{"sdnr", acme, "", "", "", "5", "", "Ich"}, ""},
      {{"sdnr", {}, "45", "", "", "5", "", "Ich"}, ""},
      {{"sdnr", beta, "45", "", "", "5", "", "Ich"}, ""},
      {{"mas", {}, "", "", "", "5", "", "Ich"}, ""},
  };
  stored = 2;
  for (const auto& c : rules) {
    SCOPED_TRACE(c.rule.quantity.toStdString() + " " + c.rule.device.manufacturer.toStdString() +
                 " " + c.rule.thickness.toStdString());
    const std::string conflict =
        Conflict([&] { record::AddToleranceRule(*database_, c.rule, shown); });
    EXPECT_TRUE(conflict.find(c.conflict) != std::string::npos && conflict.empty() == !*c.conflict)
        << conflict;
    if (conflict.empty()) ++stored;
    EXPECT_EQ(record::ListToleranceRules(*database_).size(), stored);
  }
}

}  // namespace
