// Program entry: the floating-point unit first, then the units' start-up actions in dependency
// order, the windows, the message loop, and the finishing actions in reverse order.
#include <QStringList>
#include <QTimer>
#include <cstdio>
#include <optional>

#include "application.h"
#include "calc/fpu.h"
#include "command_line.h"
#include "record/outbox.h"
#include "record_windows/outbox_courier.h"
#include "startup.h"
#include "tform1.h"
#include "tform2.h"
#include "toolkit/event_dispatch.h"

namespace {

constexpr int UsageFailure = 2;

// Prints the answer to --help, --version or a wrong call and gives the exit status; a call to
// run the program gets none.
std::optional<int> answer(const CommandLine& commandLine) {
  switch (commandLine.action) {
    case CommandLine::Action::Help:
      std::fputs(CommandLineHelp().toUtf8().constData(), stdout);
      return 0;
    case CommandLine::Action::Version:
      std::fputs(CommandLineVersion().toUtf8().constData(), stdout);
      return 0;
    case CommandLine::Action::Wrong:
      std::fputs(QStringLiteral("quantelo: %1\nMehr mit: quantelo --help\n")
                     .arg(commandLine.message)
                     .toUtf8()
                     .constData(),
                 stderr);
      return UsageFailure;
    case CommandLine::Action::Run:
      break;
  }
  return std::nullopt;
}

QStringList argumentsAfterName(int argc, char* argv[]) {
  QStringList arguments;
  for (int i = 1; i < argc; ++i) arguments << QString::fromLocal8Bit(argv[i]);
  return arguments;
}

}  // namespace

int main(int argc, char* argv[]) {
  // --help, --version and a wrong call need no window system, so they are answered before the
  // application object exists; Qt's own options are left for it.
  if (const std::optional<int> status =
          answer(ParseCommandLine(WithoutToolkitOptions(argumentsAfterName(argc, argv))))) {
    return *status;
  }

  calc::Fpu processFpu;
  processFpu.reset(calc::DefaultFpuControlWord);
  TApplication application(argc, argv, processFpu);
  const CommandLine commandLine = ParseCommandLine(QCoreApplication::arguments().mid(1));
  if (const std::optional<int> status = answer(commandLine)) return *status;
  RunningUnits units;

  TForm2 help;
  TForm1 main(processFpu, help, commandLine.record);
  main.show();
  // Saves that could not reach a team record's server are sent from now on, whichever record the
  // window uses.
  const record_windows::OutboxCourier courier(&main, record::OutboxLocation());
  // "quantelo FILE" measures the file as soon as the loop runs.
  if (!commandLine.file.isEmpty()) {
    QTimer::singleShot(0, &main, [&main, path = commandLine.file] {
      toolkit::Dispatch([&main, &path] { main.openImage(path); });
    });
  }
  return application.exec();
}
