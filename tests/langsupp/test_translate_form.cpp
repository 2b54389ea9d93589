// The translation of a form's texts by its components' Tags, from the test program's own
// strings (strings.txt: 10 "Ten", 11 "Eleven", nothing for 40 and 41).
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCommandLinkButton>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include <functional>
#include <limits>
#include <optional>

#include "langsupp/kinds.h"
#include "langsupp/tag.h"
#include "langsupp/translate_form.h"
#include "tests/toolkit/qt_print.h"
#include "toolkit/image.h"
#include "toolkit/labeled_edit.h"

namespace langsupp {
namespace {

const QString Before = "before";

// Where a text comes from after the translation.
enum class Source { Kept, Tag, NextTag };

struct Row {
  const char* kind;
  // Makes the component inside the form, every text it has set to Before.
  std::function<QObject*(QWidget& form)> make;
  std::function<QString(QObject*)> mainText;  // null: the kind has no main text
  Source mainFrom;
  std::function<QString(QObject*)> secondText;
  Source secondFrom;
};

template <class Kind>
Kind* with(QObject* component) {
  return dynamic_cast<Kind*>(component);
}

template <class Kind>
QObject* textAndHint(QWidget& form) {
  auto* component = new Kind(&form);
  component->setText(Before);
  component->setToolTip(Before);
  return component;
}

QString text(QObject* o) {
  return o->property("text").toString();
}
QString toolTip(QObject* o) {
  return o->property("toolTip").toString();
}
QString title(QObject* o) {
  return o->property("title").toString();
}

const Row Rows[] = {
    {"label", textAndHint<QLabel>, text, Source::Tag, toolTip, Source::NextTag},
    {"static text: a label with a frame",
     [](QWidget& form) {
       auto* label = static_cast<QLabel*>(textAndHint<QLabel>(form));
       label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
       return label;
     },
     text, Source::Tag, toolTip, Source::NextTag},
    {"menu item", textAndHint<QAction>, text, Source::Tag, toolTip, Source::NextTag},
    {"submenu, through its menu action",
     [](QWidget& form) -> QObject* {
       QMenu* menu = (new QMenuBar(&form))->addMenu(Before);
       menu->menuAction()->setToolTip(Before);
       return menu->menuAction();
     },
     [](QObject* o) { return with<QAction>(o)->menu<QMenu*>()->title(); }, Source::Tag, toolTip,
     Source::NextTag},
    {"push button", textAndHint<QPushButton>, text, Source::Tag, toolTip, Source::NextTag},
    {"command link button, derived from the push button", textAndHint<QCommandLinkButton>, text,
     Source::Tag, toolTip, Source::NextTag},
    {"check box", textAndHint<QCheckBox>, text, Source::Tag, toolTip, Source::NextTag},
    {"speed button: a tool button off a tool bar", textAndHint<QToolButton>, text, Source::Kept,
     toolTip, Source::Tag},
    {"picture",
     [](QWidget& form) -> QObject* {
       auto* picture = new toolkit::TImage(&form);
       picture->setToolTip(Before);
       return picture;
     },
     nullptr, Source::Kept, toolTip, Source::Tag},
    {"tool-bar button",
     [](QWidget& form) -> QObject* {
       auto* bar = new QToolBar(&form);
       QWidget* button = bar->widgetForAction(bar->addAction(Before));
       button->setToolTip(Before);
       return button;
     },
     text, Source::Kept, toolTip, Source::NextTag},
    {"edit field", textAndHint<QLineEdit>, text, Source::Tag, toolTip, Source::Kept},
    {"edit field with a caption label",
     [](QWidget& form) -> QObject* {
       auto* edit = new toolkit::TLabeledEdit(Before, &form);
       edit->setText(Before);
       edit->setToolTip(Before);
       return edit;
     },
     text, Source::Kept,
     [](QObject* o) { return with<toolkit::TLabeledEdit>(o)->EditLabel()->text(); }, Source::Kept},
    {"panel",
     [](QWidget& form) -> QObject* {
       auto* panel = new TPanel(&form);
       panel->setCaption(Before);
       panel->setToolTip(Before);
       return panel;
     },
     [](QObject* o) { return with<TPanel>(o)->caption(); }, Source::Tag, toolTip, Source::Kept},
    {"group box",
     [](QWidget& form) -> QObject* {
       auto* box = new QGroupBox(Before, &form);
       box->setToolTip(Before);
       return box;
     },
     title, Source::Tag, toolTip, Source::Kept},
    {"radio group: a group box of radio buttons",
     [](QWidget& form) -> QObject* {
       auto* box = new QGroupBox(Before, &form);
       new QRadioButton(Before, box);
       return box;
     },
     title, Source::Tag, [](QObject* o) { return text(o->findChild<QRadioButton*>()); },
     Source::Kept},
    {"combo box",
     [](QWidget& form) -> QObject* {
       auto* box = new QComboBox(&form);
       box->setEditable(true);
       box->setCurrentText(Before);
       box->setToolTip(Before);
       return box;
     },
     [](QObject* o) { return with<QComboBox>(o)->currentText(); }, Source::Tag, toolTip,
     Source::NextTag},
    {"file dialog",
     [](QWidget& form) -> QObject* {
       auto* dialog = new QFileDialog(&form, Before);
       dialog->setNameFilter(Before);
       return dialog;
     },
     [](QObject* o) { return with<QFileDialog>(o)->windowTitle(); }, Source::Tag,
     [](QObject* o) { return with<QFileDialog>(o)->nameFilters().join(";;"); }, Source::NextTag},
    // Kinds of no row.
    {"radio button", textAndHint<QRadioButton>, text, Source::Kept, toolTip, Source::Kept},
    {"memo",
     [](QWidget& form) -> QObject* {
       auto* memo = new QPlainTextEdit(Before, &form);
       memo->setToolTip(Before);
       return memo;
     },
     [](QObject* o) { return with<QPlainTextEdit>(o)->toPlainText(); }, Source::Kept, toolTip,
     Source::Kept},
    {"menu: only its menu action is a menu item",
     [](QWidget& form) -> QObject* {
       QMenu* menu = (new QMenuBar(&form))->addMenu(Before);
       menu->setToolTip(Before);
       return menu;
     },
     title, Source::Kept, toolTip, Source::Kept},
};

// What a text reads after the translation, given S(Tag) and S(Tag + 1).
QString expected(Source source, const QString& tagString, const QString& nextString) {
  switch (source) {
    case Source::Kept:
      return Before;
    case Source::Tag:
      return tagString;
    case Source::NextTag:
      return nextString;
  }
  return {};
}

// Translates a form holding the row's component, tagged with tag unless there is none.
void translateRow(const Row& row, std::optional<int> tag, const QString& tagString,
                  const QString& nextString) {
  SCOPED_TRACE(row.kind);
  QWidget form;
  QObject* component = row.make(form);
  if (tag) SetTag(component, *tag);
  TranslateForm(&form);
  if (row.mainText) {
    EXPECT_EQ(row.mainText(component), expected(row.mainFrom, tagString, nextString));
  }
  EXPECT_EQ(row.secondText(component), expected(row.secondFrom, tagString, nextString));
}

TEST(TranslateForm, EachKindTakesItsTextsFromItsTag) {
  for (const Row& row : Rows) translateRow(row, 10, "Ten", "Eleven");
}

TEST(TranslateForm, ANumberWithoutAStringBlanksTheTextItStandsFor) {
  for (const Row& row : Rows) translateRow(row, 40, "", "");
}

TEST(TranslateForm, ATagOfZeroOrLessLeavesTheComponentAlone) {
  for (const std::optional<int> tag : {std::optional<int>(), std::optional(0), std::optional(-1),
                                       std::optional(std::numeric_limits<int>::min())}) {
    SCOPED_TRACE(tag.value_or(0));
    // Every text stays as it was.
    for (const Row& row : Rows) translateRow(row, tag, Before, Before);
  }
}

TEST(TranslateForm, TheLargestTagHasNoSecondText) {
  QWidget form;
  auto* label = new QLabel(Before, &form);
  label->setToolTip(Before);
  SetTag(label, std::numeric_limits<int>::max());
  TranslateForm(&form);
  EXPECT_EQ(label->text(), "Largest");
  EXPECT_EQ(label->toolTip(), "");
}

TEST(TranslateForm, TheFormsCaptionByItsOwnTag) {
  struct Case {
    std::optional<int> tag;
    const char* caption;
  };
  const Case cases[] = {{10, "Ten"}, {40, ""}, {0, "before"}, {-1, "before"}, {{}, "before"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag.value_or(0));
    QWidget form;
    form.setWindowTitle(Before);
    if (c.tag) SetTag(&form, *c.tag);
    auto* label = new QLabel(Before, &form);
    SetTag(label, 10);
    TranslateForm(&form);
    EXPECT_EQ(form.windowTitle(), c.caption);
    EXPECT_EQ(label->text(), "Ten");  // whatever the form's own tag
  }
}

TEST(TranslateForm, ComponentsInsideContainersAreTranslated) {
  QWidget form;
  auto* box = new QGroupBox(Before, &form);
  auto* panel = new TPanel(box);
  auto* label = new QLabel(Before, panel);
  SetTag(label, 10);
  TranslateForm(&form);
  EXPECT_EQ(label->text(), "Ten");
  EXPECT_EQ(box->title(), Before);
}

TEST(TranslateForm, AComboBoxThatCannotBeEditedSelectsTheItemWithTheText) {
  struct Case {
    int tag;
    int index;
    const char* hint;
  };
  const Case cases[] = {{10, 1, "Eleven"}, {40, 0, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    QWidget form;
    auto* box = new QComboBox(&form);
    box->addItems({"One", "Ten"});
    SetTag(box, c.tag);
    TranslateForm(&form);
    EXPECT_EQ(box->currentIndex(), c.index);
    EXPECT_EQ(box->toolTip(), c.hint);
  }
}

TEST(TranslateForm, AFileDialogTakesEveryFilterOfItsText) {
  QWidget form;
  auto* dialog = new QFileDialog(&form);
  SetTag(dialog, 30);
  TranslateForm(&form);
  EXPECT_EQ(dialog->windowTitle(), QString::fromUtf8("Öffnen"));
  EXPECT_EQ(dialog->nameFilters(), QStringList({"Texte (*.txt)", "Alle Dateien (*)"}));
}

TEST(TranslateForm, AListViewsColumnsTakeTheirOwnTagsAsTheyAre) {
  struct Case {
    int tag;  // the list view's
    QStringList captions;
  };
  const Case cases[] = {
      {10, {"Ten", "Eleven", "", "Minus five", "Ten"}},
      {0, {Before, Before, Before, Before, Before}},
      {-1, {Before, Before, Before, Before, Before}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tag);
    QWidget form;
    auto* listView = new QTreeWidget(&form);
    listView->setHeaderLabels({Before, Before, Before, Before, Before});
    SetTag(listView, c.tag);
    SetColumnTag(listView, 0, 10);
    SetColumnTag(listView, 1, 11);
    // Column 2 has no tag of its own: 0, which has no string.
    SetColumnTag(listView, 3, -5);
    SetColumnTag(listView, 4, 10);
    TranslateForm(&form);
    QStringList captions;
    for (int column = 0; column < listView->columnCount(); ++column) {
      captions << listView->headerItem()->text(column);
    }
    EXPECT_EQ(captions, c.captions);
  }
}

TEST(TranslateForm, EachChildOfTheMultipleDocumentAreaIsTranslatedAsAForm) {
  QMainWindow form;
  auto* area = new QMdiArea(&form);
  form.setCentralWidget(area);
  struct Child {
    std::optional<int> tag;
    const char* caption;
  };
  const Child children[] = {{10, "Ten"}, {0, "before"}, {40, ""}};
  QList<QWidget*> forms;
  QList<QLabel*> labels;
  for (const Child& child : children) {
    auto* childForm = new QWidget;
    childForm->setWindowTitle(Before);
    if (child.tag) SetTag(childForm, *child.tag);
    auto* label = new QLabel(Before, childForm);
    SetTag(label, 10);
    area->addSubWindow(childForm);
    forms << childForm;
    labels << label;
  }
  TranslateForm(&form);
  for (qsizetype i = 0; i < forms.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(forms[i]->windowTitle(), children[i].caption);
    EXPECT_EQ(labels[i]->text(), "Ten");
  }
}

}  // namespace
}  // namespace langsupp
