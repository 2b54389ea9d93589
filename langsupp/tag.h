// The number a component carries for translation: its Tag, and a list view column's own Tag.
#pragma once

#include <QObject>
#include <QVariant>

class QTreeWidget;

namespace langsupp {

// The Tag is the component's dynamic property "Tag"; a component without one has Tag 0.
inline int Tag(const QObject* component) {
  return component->property("Tag").toInt();
}
inline void SetTag(QObject* component, int tag) {
  component->setProperty("Tag", tag);
}

// A column's Tag is held in the list view's header item, under this role, so that it goes with
// its column. A column without one has Tag 0.
inline constexpr int ColumnTagRole = Qt::UserRole;
int ColumnTag(const QTreeWidget* listView, int column);
// The column must exist: the header item grows to take a tag for a column beyond the last.
void SetColumnTag(QTreeWidget* listView, int column, int tag);

}  // namespace langsupp
