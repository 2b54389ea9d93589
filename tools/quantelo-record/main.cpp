// quantelo-record: reads and extends the QA record from the command line.
#include <csignal>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "imaging/printable_text.h"
#include "imaging/standard_output.h"
#include "record/record_error.h"

namespace {

constexpr int UsageFailure = 2;

void tell(const std::string& text) {
  std::cerr << "quantelo-record: " << imaging::PrintableText().message(text) << std::endl;
}

}  // namespace

int main(int argc, char* argv[]) {
  // A closed pipe is then a failed write, told and ended with status 1, not a silent end.
  std::signal(SIGPIPE, SIG_IGN);
  try {
    const record_cli::Arguments arguments = record_cli::ParseArguments(
        std::vector<std::string>(argv + 1, argv + argc), record_cli::Commands());
    if (arguments.action == record_cli::Arguments::Action::Help) {
      imaging::PrintToStandardOutput(record_cli::UsageText);
      return 0;
    }
    if (arguments.action == record_cli::Arguments::Action::Version) {
      imaging::PrintToStandardOutput("quantelo-record " QUANTELO_VERSION "\n");
      return 0;
    }
    return arguments.command->run(arguments, imaging::PrintToStandardOutput);
  } catch (const record_cli::UsageError& error) {
    tell(error.what());
    std::cerr << "Mehr mit: quantelo-record --help\n";
    return UsageFailure;
  } catch (const record::RecordError& error) {
    tell(error.cause().empty() ? error.what()
                               : error.what() + (" [Ursache: " + error.cause() + "]"));
    return 1;
  } catch (const imaging::OutputFailed& failure) {
    tell(std::string("Die Ausgabe ließ sich nicht schreiben: ") + std::strerror(failure.error));
    return 1;
  }
}
