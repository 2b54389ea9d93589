// Replacement of a window's texts by the numbered strings its components' Tags name.
#pragma once

class QWidget;

namespace langsupp {

// With S(n) the text LoadLangString gives for n:
// 1. a form whose Tag is above 0 takes the caption S(Tag);
// 2. each QObject below the form whose Tag is above 0 takes texts by the first kind it is
//    (a derived class counts as its base), S(Tag) for the main text, S(Tag + 1) for the second:
//      label, static text    QLabel                          text, tool tip
//      menu item             QAction (a submenu: its menuAction())  text, tool tip
//      push button           QPushButton                     text, tool tip
//      check box             QCheckBox                       text, tool tip
//      speed button          QToolButton not on a tool bar   tool tip <- S(Tag)
//      picture               toolkit::TImage                 tool tip <- S(Tag)
//      tool-bar button       QToolButton on a QToolBar       tool tip <- S(Tag + 1)
//      edit field            QLineEdit, but not a toolkit::TLabeledEdit   text
//      panel                 langsupp::TPanel                caption
//      group, radio group    QGroupBox                       title
//      combo box             QComboBox                       current text, tool tip
//      file dialog           QFileDialog                     window title, name filters
//                            (S(Tag + 1) in Qt's form: "Texts (*.txt);;All files (*)")
//      list view             QTreeWidget                     each column's header text
//                            <- S(its ColumnTag), whatever that tag is
//    Any other kind keeps its texts. The objects are visited depth first, each before its own
//    children, children in the order QObject::children() lists them (the order they were given
//    their parent, but for widgets moved by raise() or lower());
// 3. the widget of each subwindow of every QMdiArea below the form, in creation order, is
//    translated as a form of its own. (Its components were reached in step 2 as well and get
//    the same texts again.)
// A number without a string blanks the text it stands for.
void TranslateForm(QWidget* form);

}  // namespace langsupp
