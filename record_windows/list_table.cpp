#include "list_table.h"

#include <QHeaderView>
#include <QTableWidget>

namespace record_windows {

QTableWidget* NewListTable(const QStringList& headers, const QString& accessibleName) {
  auto* table = new QTableWidget(0, static_cast<int>(headers.size()));
  table->setHorizontalHeaderLabels(headers);
  table->setAccessibleName(accessibleName);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setAlternatingRowColors(true);
  table->setWordWrap(false);
  table->setTabKeyNavigation(false);
  table->verticalHeader()->hide();
  table->horizontalHeader()->setStretchLastSection(true);
  return table;
}

void FillListTable(QTableWidget* table, const std::vector<QStringList>& rows) {
  table->clearContents();
  table->setRowCount(static_cast<int>(rows.size()));
  for (int row = 0; row < table->rowCount(); ++row) {
    const QStringList& texts = rows[static_cast<size_t>(row)];
    for (int column = 0; column < texts.size() && column < table->columnCount(); ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      item->setToolTip(texts[column]);
      table->setItem(row, column, item);
    }
  }
  table->resizeColumnsToContents();
}

}  // namespace record_windows
