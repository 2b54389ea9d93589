#include "fact_fields.h"

#include <QDate>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

#include "record/exact_decimal.h"

namespace record_windows {
namespace {

enum class Kind { Text, Date, Number };

struct FactRow {
  std::string_view key;  // the header fact's key
  const char* label;     // with its mnemonic
  Kind kind;
  bool required;  // the record needs it to tell the device, the thickness, the reference's date
  bool device;    // in the device's group, else in the exposure's
};

constexpr FactRow Rows[] = {
    {"manufacturer", "&Hersteller", Kind::Text, false, true},
    {"model", "&Modell", Kind::Text, false, true},
    {"serial_number", "Se&riennummer", Kind::Text, true, true},
    {"station", "Stat&ionsname", Kind::Text, false, true},
    {"acquisition_date", "Aufnahme&datum", Kind::Date, true, false},
    {"kvp", "Röhrenspannung (&kV)", Kind::Number, false, false},
    {"exposure_mas", "Strom-Zeit-Produkt (m&As)", Kind::Number, false, false},
    {"anode", "A&nodenmaterial", Kind::Text, false, false},
    {"filter", "&Filtermaterial", Kind::Text, false, false},
    {"thickness_mm", "Ob&jektdicke (mm)", Kind::Number, true, false},
};

const FactRow& rowOf(std::string_view key) {
  return *std::find_if(std::begin(Rows), std::end(Rows),
                       [key](const FactRow& row) { return row.key == key; });
}

QString nameOf(const FactRow& row) {
  return QString::fromUtf8(row.label).remove('&');
}

void setFact(record::MeasuredImage& entry, std::string_view key, const std::string& value) {
  for (imaging::HeaderFact& fact : entry.facts) {
    if (fact.key == key) {
      fact.value = value;
      return;
    }
  }
  entry.facts.push_back({key, {}, value, false});
}

std::optional<QString> numberProblem(const QString& name, const QString& text) {
  if (text.contains(',')) {
    return QStringLiteral(
               "„%1“: bitte mit Dezimalpunkt schreiben, nicht mit Komma (etwa 45.5 "
               "statt 45,5).")
        .arg(name);
  }
  const std::optional<record::ExactDecimal> value = record::ExactDecimal::Parse(text.toStdString());
  if (!value || value->value() <= 0) {
    return QStringLiteral("„%1“ ist keine Zahl größer als 0: „%2“.").arg(name, text);
  }
  return std::nullopt;
}

std::optional<QString> dateProblem(const QString& name, const QString& text) {
  const QDate date = QDate::fromString(text, Qt::ISODate);
  if (text.size() != 10 || !date.isValid()) {
    return QStringLiteral("„%1“: bitte als JJJJ-MM-TT angeben (etwa 2026-12-01), nicht „%2“.")
        .arg(name, text);
  }
  if (date > QDate::currentDate())
    return QStringLiteral("„%1“ liegt in der Zukunft: %2.").arg(name, text);
  return std::nullopt;
}

}  // namespace

FactFields::FactFields(const record::MeasuredImage& entry, QFormLayout* device,
                       QFormLayout* exposure) {
  for (const FactRow& row : Rows) {
    auto* edit = new QLineEdit;
    edit->setAccessibleName(nameOf(row));
    const QString given = QString::fromStdString(record::FactValue(entry, row.key));
    if (!entry.typed && !given.isEmpty()) {
      edit->setText(given);
      edit->setReadOnly(true);
      edit->setAccessibleDescription(QStringLiteral("aus dem Bild"));
      // Set apart from what is typed, in the colours of whatever theme is in use.
      QPalette palette = edit->palette();
      palette.setColor(QPalette::Base, palette.color(QPalette::Window));
      edit->setPalette(palette);
    } else {
      if (row.kind == Kind::Date) {
        edit->setPlaceholderText(QStringLiteral("JJJJ-MM-TT"));
        if (entry.typed) edit->setText(QDate::currentDate().toString(Qt::ISODate));
      }
      if (row.required) edit->setAccessibleDescription(QStringLiteral("Pflichtfeld"));
      fields_.push_back({row.key, edit});
    }
    auto* label = new QLabel(QString::fromUtf8(row.label) + (row.required ? " *:" : ":"));
    label->setBuddy(edit);
    (row.device ? device : exposure)->addRow(label, edit);
  }
}

std::optional<FactFields::Problem> FactFields::check() const {
  for (const Field& field : fields_) {
    const FactRow& row = rowOf(field.key);
    const QString text = field.edit->text().trimmed();
    std::optional<QString> problem;
    if (text.isEmpty()) {
      if (row.required) problem = QStringLiteral("Bitte „%1“ angeben.").arg(nameOf(row));
    } else if (row.kind == Kind::Number) {
      problem = numberProblem(nameOf(row), text);
    } else if (row.kind == Kind::Date) {
      problem = dateProblem(nameOf(row), text);
    }
    if (problem) return Problem{*problem, field.edit};
  }
  return std::nullopt;
}

void FactFields::fillIn(record::MeasuredImage& entry) const {
  for (const Field& field : fields_) {
    const std::string text = field.edit->text().trimmed().toStdString();
    setFact(entry, field.key, text);
    if (field.key == "exposure_mas" && !text.empty())
      setFact(entry, "exposure_mas_source", "von Hand");
  }
}

}  // namespace record_windows
