// The edit field's caption label.
#include <gtest/gtest.h>

#include <QLabel>
#include <QWidget>

#include "tests/toolkit/qt_print.h"
#include "toolkit/labeled_edit.h"

namespace toolkit {
namespace {

TEST(LabeledEdit, LabelStandsLeftAlignedThreePixelsAboveAndFollowsTheField) {
  QWidget window;
  TLabeledEdit field(QStringLiteral("Grauwert Aluminium"), &window);
  const auto expectLabelAbove = [&field] {
    const QRect label = field.EditLabel()->geometry();
    EXPECT_EQ(label.left(), field.x());
    EXPECT_EQ(label.bottom() + 1 + 3, field.y());
  };
  field.move(32, 32);
  // A hidden field only learns that it moved when it is shown.
  window.show();
  expectLabelAbove();
  field.move(200, 88);
  expectLabelAbove();
  EXPECT_EQ(field.EditLabel()->text(), "Grauwert Aluminium");
}

}  // namespace
}  // namespace toolkit
