// The edit field's caption label.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
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

// What is pasted is what the field holds, so what is shown is what is calculated: up to a
// character 0, as a classic edit control keeps it, and of any length, which the parser reads.
TEST(LabeledEdit, KeepsAPastedTextUpToACharacterZeroAndWhole) {
  const QString zeros(99'996, QChar('0'));
  const struct {
    QString pasted;
    QString held;
  } cases[] = {
      {QStringLiteral("1000") + QChar(0) + QStringLiteral("abc"), QStringLiteral("1000")},
      {QString(QChar(0)) + QStringLiteral("5"), QString()},
      {zeros + QStringLiteral("1000"), zeros + QStringLiteral("1000")},
  };
  for (const auto& c : cases) {
    QWidget window;
    TLabeledEdit field(QStringLiteral("Grauwert Aluminium"), &window);
    QGuiApplication::clipboard()->setText(c.pasted);
    field.paste();
    EXPECT_EQ(field.text().size(), c.held.size());
    EXPECT_EQ(field.text(), c.held);
  }
}

}  // namespace
}  // namespace toolkit
