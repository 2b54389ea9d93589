#include "command_line.h"

#include <QCommandLineParser>

CommandLine ParseCommandLine(const QStringList& arguments) {
  QCommandLineParser parser;
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")}, QString());
  parser.addOptions({help, version});
  parser.addPositionalArgument(QStringLiteral("DATEI"), QString());

  CommandLine commandLine;
  // The parser's own messages are English; ours say the same in German.
  if (!parser.parse(QStringList{QStringLiteral("quantelo")} + arguments)) {
    commandLine.action = CommandLine::Action::Wrong;
    commandLine.message =
        parser.unknownOptionNames().isEmpty()
            ? parser.errorText()
            : QStringLiteral("unbekannte Option „%1“").arg(parser.unknownOptionNames().first());
    return commandLine;
  }
  if (parser.isSet(help)) {
    commandLine.action = CommandLine::Action::Help;
  } else if (parser.isSet(version)) {
    commandLine.action = CommandLine::Action::Version;
  } else if (parser.positionalArguments().size() > 1) {
    commandLine.action = CommandLine::Action::Wrong;
    commandLine.message = QStringLiteral("nur eine Datei auf einmal");
  } else if (!parser.positionalArguments().isEmpty()) {
    commandLine.file = parser.positionalArguments().first();
  }
  return commandLine;
}

QString CommandLineHelp() {
  return QStringLiteral(
      "Aufruf: quantelo [--help] [--version] [DATEI]\n"
      "\n"
      "Quantelo berechnet das Signaldifferenz-Rausch-Verhältnis (SDNR) nach DIN 6868-14 aus\n"
      "Mittelwert und Standardabweichung über dem Aluminiumobjekt und im Hintergrund einer\n"
      "Prüfaufnahme. Mit DATEI öffnet es die DICOM-Aufnahme gleich im Messfenster.\n"
      "\n"
      "  -h, --help     diesen Text zeigen\n"
      "  -v, --version  die Version zeigen\n"
      "\n"
      "Messen ohne Fenster: quantelo-sdnr --help\n");
}

QString CommandLineVersion() {
  return QStringLiteral("quantelo %1\n").arg(QStringLiteral(QUANTELO_VERSION));
}
