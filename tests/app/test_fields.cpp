// The four input fields: their colours and the result they give.
#include <QClipboard>
#include <QGuiApplication>
#include <QTest>
#include <iterator>
#include <utility>

#include "toolkit/labeled_edit.h"
#include "window_test.h"

namespace {

using FieldTest = WindowTest;

TEST_F(FieldTest, StartWhiteWithAnEmptyResultAndNoPicture) {
  for (const auto* field : inputs()) EXPECT_EQ(field->color(), White);
  EXPECT_EQ(result(), "");
  EXPECT_TRUE(main_.Image1->isHidden());
}

// One letter per keystroke: G light green, R light red.
TEST_F(FieldTest, ColourFollowsEveryKeystroke) {
  const std::pair<const char*, const char*> cases[] = {
      {"1", "G"}, {"x", "R"}, {"12,5", "GGRR"}, {"12.5", "GGGG"}, {"-.5", "RGG"}, {"1a", "GR"},
  };
  for (const auto& [text, colours] : cases) {
    SCOPED_TRACE(text);
    main_.LabeledEdit1->selectAll();
    for (int i = 0; text[i] != '\0'; ++i) {
      QTest::keyClick(main_.LabeledEdit1, text[i]);
      EXPECT_EQ(main_.LabeledEdit1->color(), colours[i] == 'G' ? LightGreen : LightRed) << i;
      EXPECT_EQ(result(), "NaN");
    }
  }
}

TEST_F(FieldTest, OnlyTheChangedFieldChangesColour) {
  type(main_.LabeledEdit1, "1");
  type(main_.LabeledEdit3, "x");
  const QColor expected[] = {LightGreen, White, LightRed, White};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(inputs()[i]->color(), expected[i]) << "field " << i + 1;
}

TEST_F(FieldTest, ClearedFieldTurnsRed) {
  type(main_.LabeledEdit2, "1");
  QTest::keyClick(main_.LabeledEdit2, Qt::Key_Backspace);
  EXPECT_EQ(main_.LabeledEdit2->color(), LightRed);
  EXPECT_EQ(result(), "NaN");
}

// Beyond the extended range a text is simply no number: no error report.
TEST_F(FieldTest, PastedNumberBeyondExtendedRangeTurnsRedQuietly) {
  QGuiApplication::clipboard()->setText(QStringLiteral("1E4933"));
  QTest::keyClick(main_.LabeledEdit4, Qt::Key_V, Qt::ControlModifier);
  ASSERT_EQ(main_.LabeledEdit4->text(), "1E4933");
  EXPECT_EQ(main_.LabeledEdit4->color(), LightRed);
  EXPECT_EQ(result(), "NaN");
}

TEST_F(FieldTest, ResultFieldIgnoresTyping) {
  type(main_.LabeledEdit5, "42");
  EXPECT_EQ(result(), "");
  type(main_.LabeledEdit1, "1");
  type(main_.LabeledEdit5, "42");
  EXPECT_EQ(result(), "NaN");
}

// Each case also runs with the grey values swapped and with negated standard deviations, which
// must not change the result.
TEST_F(FieldTest, ResultIsTheRoundedSdnrOrNaN) {
  struct Case {
    QString texts[4];  // mAl, sAl, mBG, sBG
    const char* result;
  };
  const Case cases[] = {
      {{"100", "5", "200", "5"}, "20"},
      {{"1000", "10", "1500", "20"}, "31.62"},
      {{"512.3", "12.1", "498.7", "11.4"}, "1.16"},
      {{"0", "1", "0.125", "1"}, "0.12"},
      {{"0", "1", "0.375", "1"}, "0.38"},
      {{"100", "0", "200", "0"}, "NaN"},
      {{"100", "0", "100", "0"}, "NaN"},
      {{"1E17", "1", "0", "1"}, "NaN"},
      {{"100", "5", "", "5"}, "NaN"},
  };
  for (const Case& c : cases) {
    Case swapped = c;
    std::swap(swapped.texts[0], swapped.texts[2]);
    Case negated = c;
    for (QString* deviation : {&negated.texts[1], &negated.texts[3]}) deviation->prepend('-');
    for (const Case& variant : {c, swapped, negated}) {
      SCOPED_TRACE(
          QStringList(std::begin(variant.texts), std::end(variant.texts)).join(' ').toStdString());
      for (int i = 0; i < 4; ++i) retype(inputs()[i], variant.texts[i]);
      EXPECT_EQ(result(), c.result);
    }
  }
}

}  // namespace
