#include "commands.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <algorithm>
#include <memory>
#include <optional>

#include "imaging/printable_text.h"
#include "protocol/record_protocol.h"
#include "record/amendments.h"
#include "record/backup.h"
#include "record/devices.h"
#include "record/entries_in_words.h"
#include "record/history_export.h"
#include "record/record_copy.h"
#include "record/record_error.h"
#include "record/record_location.h"
#include "record/reference_values.h"
#include "record/remembered_operator.h"
#include "record/server_address.h"
#include "record/server_setup.h"

namespace record_cli {
namespace {

QString text(const Arguments& arguments, std::string_view option) {
  return QString::fromStdString(arguments.value(option));
}

// The record at the location. Only a command that may start a record file creates one; the
// others refuse a file that is not there instead of leaving an empty one behind.
std::unique_ptr<record::RecordDatabase> openRecordAt(const QString& path, bool mayCreate) {
  if (!mayCreate && !record::IsServerAddress(path) && !QFileInfo::exists(path))
    throw record::RecordError("Den QA-Record „" + path.toStdString() + "“ gibt es nicht.");
  return std::make_unique<record::RecordDatabase>(path);
}

// The record the arguments name.
std::unique_ptr<record::RecordDatabase> openRecord(const Arguments& arguments,
                                                   bool mayCreate = false) {
  return openRecordAt(record::RecordLocation(QString::fromStdString(arguments.record)), mayCreate);
}

record::DeviceChoice deviceOf(const Arguments& arguments) {
  return {text(arguments, "--device"), text(arguments, "--manufacturer"),
          text(arguments, "--model")};
}

int devices(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  imaging::PrintableText printable;
  std::string table = "serial_number\tmanufacturer\tmodel\tstation\tmeasurements\n";
  for (const record::Device& device : record::ListDevices(*database)) {
    for (const QString& field :
         {device.serialNumber, device.manufacturer, device.model, device.station}) {
      table += printable.tsvField(field.toStdString()) + '\t';
    }
    table += std::to_string(device.measurements) + '\n';
  }
  print(table);
  return 0;
}

record::HistoryFormat formatOf(const Arguments& arguments) {
  const std::string format = arguments.has("--format")   ? arguments.value("--format")
                             : arguments.has("--german") ? "csv"
                                                         : "tsv";
  if (arguments.has("--german") && format != "csv")
    throw UsageError("--german gilt nur für --format csv");
  if (format == "tsv") return record::HistoryFormat::Tsv;
  if (format == "csv")
    return arguments.has("--german") ? record::HistoryFormat::GermanCsv
                                     : record::HistoryFormat::Csv;
  if (format == "json") return record::HistoryFormat::Json;
  throw UsageError("--format erwartet tsv, csv oder json, nicht „" + format + "“");
}

int history(const Arguments& arguments, const Print& print) {
  const record::HistoryFormat format = formatOf(arguments);
  const auto database = openRecord(arguments);
  record::WriteHistory(
      *database, {text(arguments, "--device"), text(arguments, "--from"), text(arguments, "--to")},
      format, print);
  return 0;
}

int addReference(const Arguments& arguments, const Print& print) {
  if (!arguments.has("--value") && !arguments.has("--mean-of"))
    throw UsageError("reference add braucht --value oder --mean-of");
  std::vector<qint64> meanOf;
  if (arguments.has("--mean-of")) {
    for (const long long id : IdsOf(arguments.value("--mean-of"))) meanOf.push_back(id);
  }
  const auto database = openRecord(arguments);
  // A deliberate add, which checks nothing against what was shown before; instead it says what
  // it supersedes and what supersedes it, so that no one's entry is superseded unseen.
  const qint64 id = record::AddReference(
      *database, {deviceOf(arguments), text(arguments, "--thickness"),
                  text(arguments, "--quantity"), text(arguments, "--value"),
                  text(arguments, "--source"), text(arguments, "--valid-from"), meanOf});
  const std::vector<record::ReferenceEntry> entries = record::ListReferences(*database);
  const auto added =
      std::find_if(entries.begin(), entries.end(),
                   [id](const record::ReferenceEntry& entry) { return entry.id == id; });
  std::string said = "Bezugswert " + std::to_string(id) +
                     " gespeichert: " + added->value.toStdString() + ", gültig ab " +
                     added->validFrom.toStdString() + ".\n";
  imaging::PrintableText printable;  // a source is typed text
  std::string supersededBy;
  for (const record::ReferenceEntry& entry : entries) {
    const std::string words = printable.message(record::ReferenceInWords(entry).toStdString());
    if (entry.supersededBy == id)
      said += "Er löst Bezugswert " + std::to_string(entry.id) + " ab: " + words + ".\n";
    if (entry.id == added->supersededBy)
      supersededBy = "Bezugswert " + std::to_string(entry.id) + " löst ihn ab: " + words + ".\n";
  }
  print(said + supersededBy);
  return 0;
}

int addTolerance(const Arguments& arguments, const Print& print) {
  if (!arguments.has("--device") && (arguments.has("--manufacturer") || arguments.has("--model")))
    throw UsageError("--manufacturer und --model gelten nur mit --device");
  if (!arguments.has("--below-percent") && !arguments.has("--above-percent") &&
      !arguments.has("--min") && !arguments.has("--max")) {
    throw UsageError(
        "tolerance add braucht mindestens eine Grenze: --below-percent, --above-percent, --min "
        "oder --max");
  }
  // A rule for every device may come before the first measurement and start a record.
  const auto database = openRecord(arguments, !arguments.has("--device"));
  // Deliberate, as a reference value's add.
  const qint64 id = record::AddToleranceRule(
      *database,
      {text(arguments, "--quantity"), deviceOf(arguments), text(arguments, "--thickness"),
       text(arguments, "--below-percent"), text(arguments, "--above-percent"),
       text(arguments, "--min"), text(arguments, "--max"), text(arguments, "--source")});
  std::string said;
  imaging::PrintableText printable;
  for (const record::ToleranceEntry& entry : record::ListToleranceRules(*database)) {
    if (entry.id == id)
      said += "Toleranzregel " + std::to_string(id) +
              " gespeichert: " + entry.inWords.toStdString() + ".\n";
    if (entry.supersededBy == id) {
      said += "Sie löst Toleranzregel " + std::to_string(entry.id) +
              " ab: " + printable.message(record::ToleranceRuleInWords(entry).toStdString()) +
              ".\n";
    }
  }
  print(said);
  return 0;
}

qint64 measurementOf(const Arguments& arguments, std::string_view option) {
  return IdsOf(arguments.value(option)).front();
}

int correct(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  const QString operatorName = record::OperatorFor(text(arguments, "--operator"));
  std::optional<qint64> replacement;
  if (arguments.has("--replacement")) replacement = measurementOf(arguments, "--replacement");
  const qint64 measurement = measurementOf(arguments, "--measurement");
  record::Correct(*database, measurement, text(arguments, "--reason"), operatorName, replacement);
  print("Messung " + std::to_string(measurement) + " ist als berichtigt vermerkt.\n");
  return 0;
}

int voidMeasurement(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  const QString operatorName = record::OperatorFor(text(arguments, "--operator"));
  const qint64 measurement = measurementOf(arguments, "--measurement");
  record::Void(*database, measurement, text(arguments, "--reason"), operatorName);
  print("Messung " + std::to_string(measurement) + " ist als ungültig vermerkt.\n");
  return 0;
}

int backup(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  record::Backup(*database, QString::fromStdString(arguments.operand));
  print("Sicherung geschrieben: " + imaging::PrintableText().message(arguments.operand) + "\n");
  return 0;
}

int protocol(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  // The fonts need a GUI application; a file needs no screen.
  qputenv("QT_QPA_PLATFORM", "offscreen");
  int argc = 1;
  char name[] = "quantelo-record";
  char* argv[] = {name, nullptr};
  const QGuiApplication application(argc, argv);
  const QString output = text(arguments, "--output");
  protocol::WriteRecordProtocol(
      *database, {text(arguments, "--device"), text(arguments, "--from"), text(arguments, "--to")},
      deviceOf(arguments), QStringLiteral(QUANTELO_VERSION), output);
  print("Protokoll geschrieben: " + imaging::PrintableText().message(output.toStdString()) + "\n");
  return 0;
}

int copy(const Arguments& arguments, const Print& print) {
  if (!arguments.record.empty())
    throw UsageError("copy nennt Quelle und Ziel mit --from und --to, nicht mit --record");
  if (arguments.value("--from").empty() || arguments.value("--to").empty())
    throw UsageError("--from und --to nennen je einen Record");
  const QString from = record::RecordLocation(text(arguments, "--from"));
  const QString to = record::RecordLocation(text(arguments, "--to"));
  record::RefuseSameRecord(from, to);
  const auto source = openRecordAt(from, false);
  // Copying into a new file starts a record there, as a first save would.
  const auto target = openRecordAt(to, true);
  print(record::CopyCountsInWords(record::CopyRecord(*source, *target)).toStdString() + "\n");
  return 0;
}

int check(const Arguments& arguments, const Print& print) {
  const auto database = openRecord(arguments);
  const QStringList problems = database->problems();
  if (problems.isEmpty()) {
    print("Der QA-Record ist in Ordnung.\n");
    return 0;
  }
  imaging::PrintableText printable;
  std::string lines;
  for (const QString& problem : problems) lines += printable.message(problem.toStdString()) + '\n';
  print(lines);
  return 1;
}

int setUpServer(const Arguments& arguments, const Print& print) {
  // The administrator's address, never the programs' one from the environment.
  if (arguments.record.empty())
    throw UsageError("setup-server braucht --record postgresql://VERWALTER@SERVER/DATENBANK");
  const record::ServerSetUp setUp = record::SetUpServer(QString::fromStdString(arguments.record));
  std::string answer;
  if (setUp.changes.isEmpty()) {
    answer = "Der Team-Record ist schon eingerichtet (Schema " + std::to_string(setUp.schemaAfter) +
             ", Rollen " + record::OwnerRole + " und " + record::ClientRole +
             "); nichts geändert.\n";
  } else {
    answer = "Der Team-Record ist eingerichtet (Schema " + std::to_string(setUp.schemaAfter) +
             "). Ausgeführt:\n";
    for (const QString& change : setUp.changes) answer += "  " + change.toStdString() + "\n";
  }
  answer += std::string("Die Rollen melden sich nicht an: die IT gibt sie Anmelderollen, ") +
            "den Programmen " + record::ClientRole + " (nur lesen und ergänzen), z. B. „GRANT " +
            record::ClientRole + " TO alice;“, und wer später neue Schemas einrichtet, " +
            record::OwnerRole + " („GRANT " + record::OwnerRole + " TO admin;“).\n";
  print(answer);
  return 0;
}

const std::vector<Command> Table = {
    {"devices", {}, {}, devices},
    {"history",
     {{"--device"},
      {"--from", Value::Date},
      {"--to", Value::Date},
      {"--format"},
      {"--german", Value::None}},
     {},
     history},
    {"reference add",
     {{"--device", Value::Text, true},
      {"--manufacturer"},
      {"--model"},
      {"--thickness", Value::Number, true},
      {"--quantity", Value::Text, true},
      {"--value", Value::Number},
      {"--mean-of", Value::Ids},
      {"--source", Value::Text, true},
      {"--valid-from", Value::Date}},
     {},
     addReference},
    {"tolerance add",
     {{"--quantity", Value::Text, true},
      {"--device"},
      {"--manufacturer"},
      {"--model"},
      {"--thickness", Value::Number},
      {"--below-percent", Value::Number},
      {"--above-percent", Value::Number},
      {"--min", Value::Number},
      {"--max", Value::Number},
      {"--source", Value::Text, true}},
     {},
     addTolerance},
    {"correct",
     {{"--measurement", Value::Id, true},
      {"--reason", Value::Text, true},
      {"--replacement", Value::Id},
      {"--operator"}},
     {},
     correct},
    {"void",
     {{"--measurement", Value::Id, true}, {"--reason", Value::Text, true}, {"--operator"}},
     {},
     voidMeasurement},
    {"protocol",
     {{"--device", Value::Text, true},
      {"--manufacturer"},
      {"--model"},
      {"--from", Value::Date},
      {"--to", Value::Date},
      {"--output", Value::Text, true}},
     {},
     protocol},
    {"backup", {}, "DATEI", backup},
    {"copy", {{"--from", Value::Text, true}, {"--to", Value::Text, true}}, {}, copy},
    {"check", {}, {}, check},
    {"setup-server", {}, {}, setUpServer},
};

}  // namespace

const char* const UsageText =
    "Aufruf: quantelo-record [--record ORT] BEFEHL [OPTIONEN]\n"
    "\n"
    "Liest und ergänzt den QA-Record: die gespeicherten Messungen mit Gerät, Aufnahme,\n"
    "Bezugswert, Toleranz und Urteil. Gespeichertes wird nie geändert, nur ergänzt.\n"
    "\n"
    "Befehle:\n"
    "  devices       die Geräte des Records, tabulatorgetrennt\n"
    "  history [--device SERIENNUMMER] [--from JJJJ-MM-TT] [--to JJJJ-MM-TT]\n"
    "          [--format tsv|csv|json] [--german]\n"
    "                je Messung eine Zeile, die älteste zuerst, nach dem Datum der Aufnahme;\n"
    "                --german: CSV mit „;“, Dezimalkomma und Byte-Order-Mark für deutsche\n"
    "                Tabellenprogramme\n"
    "  reference add --device SERIENNUMMER --thickness MM --quantity sdnr|mas\n"
    "          (--value ZAHL | --mean-of ID,ID,…) --source TEXT [--valid-from JJJJ-MM-TT]\n"
    "                einen Bezugswert festlegen, getippt oder als Mittelwert von Messungen;\n"
    "                er löst den vorigen ab seinem Datum ab (Vorgabe: heute); die Antwort\n"
    "                nennt, was er ablöst und was ihn ablöst\n"
    "  tolerance add --quantity sdnr|mas [--device SERIENNUMMER] [--thickness MM]\n"
    "          [--below-percent P] [--above-percent P] [--min X] [--max X] --source TEXT\n"
    "                eine Toleranzregel festlegen, mit mindestens einer Grenze; die Antwort\n"
    "                nennt die Regel desselben Geltungsbereichs, die sie ablöst\n"
    "  correct --measurement ID --reason TEXT [--replacement ID] [--operator NAME]\n"
    "                eine Messung als berichtigt vermerken\n"
    "  void --measurement ID --reason TEXT [--operator NAME]\n"
    "                eine Messung als ungültig vermerken\n"
    "  protocol --device SERIENNUMMER [--from JJJJ-MM-TT] [--to JJJJ-MM-TT]\n"
    "          --output DATEI.pdf\n"
    "                das Protokoll der Messungen eines Geräts als PDF (A4, deutsch)\n"
    "  backup DATEI  den Record in eine neue Datei sichern (mit SQLites Backup, auch\n"
    "                während ein anderes Programm speichert); den Team-Record sichert pg_dump\n"
    "  copy --from ORT --to ORT\n"
    "                alles aus dem einen Record in den anderen kopieren, das dort fehlt,\n"
    "                etwa den Record eines PCs in den Team-Record; ein zweites Mal kopiert\n"
    "                nichts doppelt\n"
    "  check         Integrität und Verweise des Records prüfen, beim Team-Record seinen\n"
    "                Schutz: die Trigger und die Rechte der Rolle quantelo_client\n"
    "  setup-server  den Team-Record auf dem PostgreSQL-Server einrichten oder auf den\n"
    "                neuesten Stand bringen: Schema, Rollen quantelo_owner (Migrationen)\n"
    "                und quantelo_client (Programme); --record mit der Adresse eines\n"
    "                Verwalters; ein zweiter Lauf ändert nichts\n"
    "\n"
    "  --record ORT         der QA-Record: eine SQLite-Datei oder der Team-Record,\n"
    "                       postgresql://BENUTZER@SERVER[:PORT]/DATENBANK[?sslmode=…]\n"
    "                       (Passwort nur in ~/.pgpass; Vorgabe: $QUANTELO_RECORD, sonst\n"
    "                       ~/.local/share/quantelo/record.sqlite)\n"
    "  --manufacturer NAME  mit --model NAME: wählt das Gerät, wo Geräte mehrerer\n"
    "                       Hersteller dieselbe Seriennummer tragen\n"
    "  --operator NAME      Prüfer (wird gemerkt; Vorgabe: der zuletzt genannte)\n"
    "  -h, --help           diesen Text zeigen\n"
    "  -v, --version        die Version zeigen\n"
    "\n"
    "Zahlen werden mit Punkt geschrieben (5.23); ein Komma wird abgewiesen. Rückgabewert:\n"
    "0 erledigt, 1 Fehler (bei check: der Record hat Mängel), 2 falscher Aufruf.\n";

std::span<const Command> Commands() {
  return Table;
}

}  // namespace record_cli
