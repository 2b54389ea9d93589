// A number too large for the field's check: the window follows the new text, then reports.
#include "calc/fpu.h"
#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

using OverflowTest = WindowTest;

TEST_F(OverflowTest, WindowFollowsTheTextBeforeTheReport) {
  const char* texts[] = {"100", "5", "200", "5.9157"};
  for (int i = 0; i < 4; ++i) type(inputs()[i], texts[i]);
  ASSERT_EQ(result(), "18.26");
  ASSERT_TRUE(main_.Image1->isVisible());

  ErrorBox box;
  QColor colourAtReport;
  QString resultAtReport;
  bool pictureAtReport = true;
  expectErrorBox(box, [&] {
    colourAtReport = main_.LabeledEdit1->color();
    resultAtReport = result();
    pictureAtReport = main_.Image1->isVisible();
  });
  // Only the last keystroke makes a number beyond the single range.
  retype(main_.LabeledEdit1, "1E39");

  ASSERT_TRUE(box.shown);
  EXPECT_EQ(box.caption, TestTitle);
  EXPECT_EQ(box.icon, QMessageBox::Critical);
  EXPECT_EQ(box.text, "Floating point overflow.");
  EXPECT_EQ(colourAtReport, LightRed);
  // 1E39 is a double: the quotient exists, but its hundredths leave the 64-bit range.
  EXPECT_EQ(resultAtReport, "NaN");
  EXPECT_FALSE(pictureAtReport);

  EXPECT_EQ(ProcessFpu().controlWord(), calc::DefaultFpuControlWord);
  retype(main_.LabeledEdit1, "100");
  EXPECT_EQ(main_.LabeledEdit1->color(), LightGreen);
  EXPECT_EQ(result(), "18.26");
}

}  // namespace
