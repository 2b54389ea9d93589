#include "translate_form.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <limits>

#include "langsupp/kinds.h"
#include "langsupp/lang_strings.h"
#include "langsupp/tag.h"
#include "toolkit/image.h"
#include "toolkit/labeled_edit.h"

namespace langsupp {

namespace {

QString S(int n) {
  return LoadLangString(n);
}

// S(tag + 1), where the largest tag has no next number and so no string.
QString next(int tag) {
  return tag == std::numeric_limits<int>::max() ? QString() : S(tag + 1);
}

template <class Kind>
void setTextAndHint(Kind* component, int tag) {
  component->setText(S(tag));
  component->setToolTip(next(tag));
}

bool onToolBar(const QToolButton* button) {
  return dynamic_cast<const QToolBar*>(button->parent()) != nullptr;
}

void translateListView(QTreeWidget* listView) {
  QTreeWidgetItem* const header = listView->headerItem();
  for (int column = 0; column < listView->columnCount(); ++column) {
    header->setText(column, S(ColumnTag(listView, column)));
  }
}

// The first kind the component is decides; a component of any other kind keeps its texts.
void translateComponent(QObject* component, int tag) {
  if (auto* label = dynamic_cast<QLabel*>(component)) {
    setTextAndHint(label, tag);
  } else if (auto* menuItem = dynamic_cast<QAction*>(component)) {
    setTextAndHint(menuItem, tag);
  } else if (auto* button = dynamic_cast<QPushButton*>(component)) {
    setTextAndHint(button, tag);
  } else if (auto* checkBox = dynamic_cast<QCheckBox*>(component)) {
    setTextAndHint(checkBox, tag);
  } else if (auto* speedButton = dynamic_cast<QToolButton*>(component);
             speedButton != nullptr && !onToolBar(speedButton)) {
    speedButton->setToolTip(S(tag));
  } else if (auto* picture = dynamic_cast<toolkit::TImage*>(component)) {
    picture->setToolTip(S(tag));
  } else if (auto* toolButton = dynamic_cast<QToolButton*>(component)) {
    toolButton->setToolTip(next(tag));
  } else if (auto* edit = dynamic_cast<QLineEdit*>(component);
             edit != nullptr && dynamic_cast<toolkit::TLabeledEdit*>(edit) == nullptr) {
    edit->setText(S(tag));
  } else if (auto* panel = dynamic_cast<TPanel*>(component)) {
    panel->setCaption(S(tag));
  } else if (auto* groupBox = dynamic_cast<QGroupBox*>(component)) {
    groupBox->setTitle(S(tag));
  } else if (auto* comboBox = dynamic_cast<QComboBox*>(component)) {
    comboBox->setCurrentText(S(tag));
    comboBox->setToolTip(next(tag));
  } else if (auto* fileDialog = dynamic_cast<QFileDialog*>(component)) {
    fileDialog->setWindowTitle(S(tag));
    fileDialog->setNameFilter(next(tag));
  } else if (auto* listView = dynamic_cast<QTreeWidget*>(component)) {
    translateListView(listView);
  }
}

}  // namespace

void TranslateForm(QWidget* form) {
  if (const int tag = Tag(form); tag > 0) form->setWindowTitle(S(tag));
  for (QObject* const component : form->findChildren<QObject*>()) {
    if (const int tag = Tag(component); tag > 0) translateComponent(component, tag);
  }
  for (const QMdiArea* const area : form->findChildren<QMdiArea*>()) {
    for (const QMdiSubWindow* const child : area->subWindowList(QMdiArea::CreationOrder)) {
      if (QWidget* const childForm = child->widget()) TranslateForm(childForm);
    }
  }
}

}  // namespace langsupp
