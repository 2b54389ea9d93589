// quantelo's own command line.
#include <gtest/gtest.h>

#include "command_line.h"

namespace {

TEST(CommandLine, ReadsHelpVersionTheRecordAndOneFile) {
  using Action = CommandLine::Action;
  const QString noPlace = "--record braucht einen Ort, die Datei des QA-Records";
  const struct {
    QStringList arguments;
    Action action;
    QString file;
    QString message;
    QString record = {};
  } cases[] = {
      {{}, Action::Run, {}, {}},
      {{"aufnahme.dcm"}, Action::Run, "aufnahme.dcm", {}},
      {{"--", "-seltsam.dcm"}, Action::Run, "-seltsam.dcm", {}},
      {{"--help"}, Action::Help, {}, {}},
      {{"-h", "aufnahme.dcm"}, Action::Help, {}, {}},
      {{"--version"}, Action::Version, {}, {}},
      {{"-v"}, Action::Version, {}, {}},
      {{"--bogus"}, Action::Wrong, {}, "unbekannte Option „bogus“"},
      {{"a.dcm", "b.dcm"}, Action::Wrong, {}, "nur eine Datei auf einmal"},
      {{"--record", "qa.sqlite", "a.dcm"}, Action::Run, "a.dcm", {}, "qa.sqlite"},
      {{"a.dcm", "--record=qa.sqlite"}, Action::Run, "a.dcm", {}, "qa.sqlite"},
      {{"--record"}, Action::Wrong, {}, noPlace},
      {{"--record="}, Action::Wrong, {}, noPlace},
  };
  for (const auto& c : cases) {
    const CommandLine commandLine = ParseCommandLine(c.arguments);
    EXPECT_EQ(commandLine.action, c.action) << c.arguments.join(' ').toStdString();
    EXPECT_EQ(commandLine.file, c.file);
    EXPECT_EQ(commandLine.message, c.message);
    EXPECT_EQ(commandLine.record, c.record);
  }
}

// Qt's options are left out, with their values, before the window system is there.
TEST(CommandLine, LeavesQtsOwnOptionsToQt) {
  const struct {
    QStringList arguments;
    QStringList kept;
  } cases[] = {
      {{"-platform", "offscreen", "a.dcm"}, {"a.dcm"}},
      {{"--platform", "xcb", "-reverse", "--bogus"}, {"--bogus"}},
      {{"-style=fusion", "-stylesheet", "x.qss", "-v"}, {"-v"}},
      {{"-display", ":1", "--", "-platform"}, {"--", "-platform"}},
      {{"-plattform", "a.dcm"}, {"-plattform", "a.dcm"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WithoutToolkitOptions(c.arguments), c.kept) << c.arguments.join(' ').toStdString();
  }
}

}  // namespace
