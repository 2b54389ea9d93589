// The title and the standard error report.
#include <QAbstractButton>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <stdexcept>

#include "application.h"
#include "calc/errors.h"
#include "calc/fpu.h"
#include "toolkit/event_dispatch.h"
#include "window_test.h"

namespace {

TEST(ReportText, GetsAFullStopAfterCharactersBeyondIt) {
  const std::pair<const char*, const char*> cases[] = {
      {"Floating point overflow", "Floating point overflow."},
      {"x.", "x."},
      {"x!", "x!"},
      {"x)", "x)"},
      {"", ""},
      {"'abc' is not a valid floating point value", "'abc' is not a valid floating point value."},
      {"Ende?", "Ende?."},
      {"5", "5."},
  };
  for (const auto& [message, text] : cases) EXPECT_EQ(TApplication::ReportText(message), text);
}

// Whatever the executable is called (here "app_gui_tests").
TEST(Title, IsTheProgramsName) {
  EXPECT_EQ(TApplication::Title(), TestTitle);
}

// The interface is German, Qt's own texts included.
TEST(QtTexts, AreGerman) {
  QLineEdit field;
  const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
  EXPECT_TRUE(menu->actions().first()->text().startsWith(QStringLiteral("&Rückgängig")));
  QMessageBox box(QMessageBox::Critical, TestTitle, QString(), QMessageBox::Cancel);
  EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), QStringLiteral("Abbrechen"));
}

using ErrorReportTest = WindowTest;

// An error escaping an event handler is reported and the program carries on; a processor error
// also leaves the unit under the process setting again.
TEST_F(ErrorReportTest, ShowsTheMessageUnderTheTitleWithAStopIcon) {
  struct Case {
    std::function<void()> handler;
    const char* text;
    std::uint16_t controlWordAfter;
  };
  const Case cases[] = {
      {[] { throw calc::EOverflow(); }, "Floating point overflow.", calc::DefaultFpuControlWord},
      {[] { throw calc::EConvertError("'x' is not a valid floating point value"); },
       "'x' is not a valid floating point value.", calc::ParseFpuControlWord},
      {[] { throw std::runtime_error("Ende?"); }, "Ende?.", calc::ParseFpuControlWord},
      {[] { throw 42; }, "Unknown error.", calc::ParseFpuControlWord},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    ProcessFpu().reset(calc::ParseFpuControlWord);
    ErrorBox box;
    expectErrorBox(box);
    toolkit::Dispatch(c.handler);
    ASSERT_TRUE(box.shown);
    EXPECT_EQ(box.caption, TestTitle);
    EXPECT_EQ(box.icon, QMessageBox::Critical);
    EXPECT_EQ(box.text, c.text);
    EXPECT_EQ(ProcessFpu().controlWord(), c.controlWordAfter);
  }
  ProcessFpu().reset(calc::DefaultFpuControlWord);
}

}  // namespace
