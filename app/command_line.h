// The program's command line: quantelo [--help] [--version] [--record WHERE] [FILE].
#pragma once

#include <QString>
#include <QStringList>

struct CommandLine {
  enum class Action { Run, Help, Version, Wrong };
  Action action = Action::Run;
  QString file;     // with Run: the image to open at start, or empty
  QString record;   // with Run: --record WHERE, the QA record to save into, or empty
  QString message;  // with Wrong: what is wrong, in German
};

// Reads the arguments after the program's name (Qt's own options already taken out).
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments without Qt's own options and their values, so that a wrong call is told as such
// before the window system is needed.
QStringList WithoutToolkitOptions(const QStringList& arguments);

// What --help and --version print, in German.
QString CommandLineHelp();
QString CommandLineVersion();
