#include "command_line.h"

#include <QCommandLineParser>
#include <QSet>

namespace {

const QString RecordWithoutPlace =
    QStringLiteral("--record braucht einen Ort, die Datei des QA-Records");

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
  const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("ORT"));
  parser.addOptions({help, version, record});
  parser.addPositionalArgument(QStringLiteral("DATEI"), QString());

  CommandLine commandLine;
  // The parser's own messages are English; ours say the same in German.
  if (!parser.parse(QStringList{QStringLiteral("quantelo")} + arguments)) {
    commandLine.action = CommandLine::Action::Wrong;
    commandLine.message =
        !parser.unknownOptionNames().isEmpty()
            ? QStringLiteral("unbekannte Option „%1“").arg(parser.unknownOptionNames().first())
        : arguments.endsWith(QStringLiteral("--record")) ? RecordWithoutPlace
                                                         : parser.errorText();
    return commandLine;
  }
  if (parser.isSet(help)) {
    commandLine.action = CommandLine::Action::Help;
  } else if (parser.isSet(version)) {
    commandLine.action = CommandLine::Action::Version;
  } else if (parser.positionalArguments().size() > 1) {
    commandLine.action = CommandLine::Action::Wrong;
    commandLine.message = QStringLiteral("nur eine Datei auf einmal");
  } else if (parser.isSet(record) && parser.value(record).isEmpty()) {
    commandLine.action = CommandLine::Action::Wrong;
    commandLine.message = RecordWithoutPlace;
  } else {
    if (!parser.positionalArguments().isEmpty())
      commandLine.file = parser.positionalArguments().first();
    commandLine.record = parser.value(record);
  }
  return commandLine;
}

QStringList WithoutToolkitOptions(const QStringList& arguments) {
  // Qt's own options (QGuiApplication's, QApplication's and the X11 platform's), with one dash
  // or two; those of the first set take the next argument unless written "-name=value".
  static const QSet<QString> withValue = {
      "platform",    "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
      "qwindowicon", "qwindowtitle",       "session",       "style",  "stylesheet",
      "display",     "geometry",           "name",          "title",  "visual"};
  static const QSet<QString> alone = {"reverse", "widgetcount", "nograb",       "dograb",
                                      "sync",    "testability", "qmljsdebugger"};
  QStringList kept;
  for (qsizetype i = 0; i < arguments.size(); ++i) {
    const QString& argument = arguments[i];
    if (argument == QLatin1String("--")) {
      kept += arguments.mid(i);
      break;
    }
    const QString name = argument.startsWith(QLatin1String("--")) ? argument.mid(2)
                         : argument.startsWith(QLatin1Char('-'))  ? argument.mid(1)
                                                                  : QString();
    const QString bare = name.section(QLatin1Char('='), 0, 0);
    if (withValue.contains(bare)) {
      if (!name.contains(QLatin1Char('='))) ++i;
    } else if (!alone.contains(bare)) {
      kept << argument;
    }
  }
  return kept;
}

QString CommandLineHelp() {
  return QStringLiteral(
      "Aufruf: quantelo [--help] [--version] [--record ORT] [DATEI]\n"
      "\n"
      "Quantelo berechnet das Signaldifferenz-Rausch-Verhältnis (SDNR) nach DIN 6868-14 aus\n"
      "Mittelwert und Standardabweichung über dem Aluminiumobjekt und im Hintergrund einer\n"
      "Prüfaufnahme. Mit DATEI öffnet es die DICOM-Aufnahme gleich im Messfenster.\n"
      "\n"
      "  -h, --help     diesen Text zeigen\n"
      "  -v, --version  die Version zeigen\n"
      "  --record ORT   der QA-Record, in den „Datei → Messung speichern…“ schreibt:\n"
      "                 eine Datei oder der Team-Record,\n"
      "                 postgresql://BENUTZER@SERVER/DATENBANK (Vorgabe:\n"
      "                 $QUANTELO_RECORD, sonst ~/.local/share/quantelo/record.sqlite)\n"
      "\n"
      "Messen ohne Fenster: quantelo-sdnr --help\n");
}

QString CommandLineVersion() {
  return QStringLiteral("quantelo %1\n").arg(QStringLiteral(QUANTELO_VERSION));
}
