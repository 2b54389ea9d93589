// Run under a decimal-comma locale, after the program's own start-up sequence: numbers keep
// their "." for the whole run.
#include <QCoreApplication>
#include <QEvent>
#include <QLocale>

#include "calc/format_settings.h"
#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

using CommaLocaleTest = WindowTest;

TEST_F(CommaLocaleTest, NumbersKeepTheirPointAfterALocaleChange) {
  ASSERT_EQ(QLocale::system().decimalPoint(), ",")
      << "This test needs a decimal-comma locale, e.g. LC_ALL=de_DE.UTF-8";
  EXPECT_EQ(calc::decimalSeparator(), '.') << "after start-up";

  QEvent change(QEvent::LocaleChange);
  QCoreApplication::sendEvent(QCoreApplication::instance(), &change);
  EXPECT_EQ(calc::decimalSeparator(), '.') << "after the locale change";

  type(main_.LabeledEdit1, "2.5");
  EXPECT_EQ(main_.LabeledEdit1->color(), LightGreen);
  type(main_.LabeledEdit2, "2,5");
  EXPECT_EQ(main_.LabeledEdit2->color(), LightRed);
  const char* texts[] = {"1000", "10", "1500", "20"};
  for (int i = 0; i < 4; ++i) retype(inputs()[i], texts[i]);
  EXPECT_EQ(result(), "31.62");
}

}  // namespace
