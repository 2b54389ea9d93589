// A read-only table of texts, one row per entry, as the reference values, the tolerance rules and
// the measurements to average are listed; reached by Tab, left by Tab.
#pragma once

#include <QStringList>
#include <vector>

class QTableWidget;

namespace record_windows {

QTableWidget* NewListTable(const QStringList& headers, const QString& accessibleName);

// Replaces the table's rows; the columns fit their contents.
void FillListTable(QTableWidget* table, const std::vector<QStringList>& rows);

}  // namespace record_windows
