// The small pieces the record's windows are built from, so that they look and behave alike.
#pragma once

#include <QDate>
#include <QString>

class QDateEdit;
class QLabel;
class QPushButton;
class QWidget;

namespace record_windows {

// "QA-Record: /path/record.sqlite", selectable, so the user can tell which record is shown.
QLabel* NewRecordLabel(const QString& path);

// A date as TT.MM.JJJJ, with a calendar to pick from.
QDateEdit* NewDateEdit(const QDate& date, const QString& accessibleName);

// A label whose mnemonic moves the focus to buddy, and which names it to screen readers.
QLabel* NewBuddyLabel(const QString& text, QWidget* buddy);

// What every form for reference values and tolerances says first: the figures come from the user.
QLabel* NewNoStandardsNotice();

// A button that Enter in a field does not press: the windows' fields are not one form each.
QPushButton* NewButton(const QString& text);

}  // namespace record_windows
