#include "tag.h"

#include <QTreeWidget>

namespace langsupp {

int ColumnTag(const QTreeWidget* listView, int column) {
  return listView->headerItem()->data(column, ColumnTagRole).toInt();
}

void SetColumnTag(QTreeWidget* listView, int column, int tag) {
  listView->headerItem()->setData(column, ColumnTagRole, tag);
}

}  // namespace langsupp
