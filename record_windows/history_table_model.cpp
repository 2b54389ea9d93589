#include "history_table_model.h"

#include <QColor>
#include <QDate>
#include <QScopeGuard>
#include <algorithm>

#include "protocol/german_text.h"
#include "toolkit/event_dispatch.h"
#include "verdict_display.h"

namespace record_windows {
namespace {

const char* const Headers[] = {"Datum",          "Dicke (mm)", "SDNR",      "Bezugswert",
                               "Abweichung (%)", "Bewertung",  "Warnungen", "Nachtrag"};

// Several lines of a cell on one line; the tooltip keeps them apart.
QString oneLine(const QString& lines) {
  return QString(lines).replace(QLatin1Char('\n'), QStringLiteral("; "));
}

QString text(const record::HistoryRow& row, int column) {
  switch (column) {
    case HistoryTableModel::Date:
      return protocol::GermanDate(row.date);
    case HistoryTableModel::Thickness:
      return row.thickness;
    case HistoryTableModel::Sdnr:
      return row.sdnr;
    case HistoryTableModel::Reference:
      return row.reference;
    case HistoryTableModel::Deviation:
      return row.deviation;
    case HistoryTableModel::Verdict:
      return row.verdict;
    case HistoryTableModel::Warnings:
      return oneLine(row.warnings);
    case HistoryTableModel::Amendment:
      return oneLine(row.amendment);
  }
  return {};
}

bool isNumber(int column) {
  return column >= HistoryTableModel::Thickness && column <= HistoryTableModel::Deviation;
}

}  // namespace

HistoryTableModel::HistoryTableModel(record::RecordDatabase& database, QObject* parent)
    : QAbstractTableModel(parent), database_(database) {}

void HistoryTableModel::setFilter(const record::HistoryFilter& filter) {
  filter_ = filter;
  restart(0);
}

void HistoryTableModel::reload() {
  restart(rowCount());
}

void HistoryTableModel::restart(int rows) {
  beginResetModel();
  const auto reset = qScopeGuard([this] { endResetModel(); });
  rows_.clear();
  // The old reader's query ends before the new one's starts.
  reader_.reset();
  // A record that fails to read leaves the table empty, and the error to the caller.
  try {
    reader_.emplace(database_, filter_);
    rows_ = reader_->next(rows);
  } catch (...) {
    reader_.reset();
    rows_.clear();
    throw;
  }
}

int HistoryTableModel::rowOf(qint64 measurement) const {
  const auto found = std::find_if(rows_.begin(), rows_.end(), [measurement](const auto& row) {
    return row.measurement == measurement;
  });
  return found == rows_.end() ? -1 : static_cast<int>(found - rows_.begin());
}

int HistoryTableModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int HistoryTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Columns;
}

QVariant HistoryTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const record::HistoryRow& row = historyRow(index.row());
  switch (role) {
    case Qt::DisplayRole:
      return text(row, index.column());
    case Qt::ToolTipRole:
      if (index.column() == Warnings) return row.warnings;
      if (index.column() == Amendment) return row.amendment;
      if (index.column() == Reference) return row.referenceSource;
      return {};
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(Qt::AlignVCenter |
                                 (isNumber(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    // The colour only repeats the verdict's words; dark text on its light colour under any theme.
    case Qt::BackgroundRole:
      if (index.column() == Verdict) return VerdictColour(row.verdict.toStdString());
      return {};
    case Qt::ForegroundRole:
      if (index.column() == Verdict) return QColor(Qt::black);
      return {};
  }
  return {};
}

QVariant HistoryTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= Columns)
    return QAbstractTableModel::headerData(section, orientation, role);
  return QString::fromUtf8(Headers[section]);
}

bool HistoryTableModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && reader_ && !reader_->atEnd();
}

void HistoryTableModel::fetchMore(const QModelIndex& parent) {
  if (!canFetchMore(parent)) return;
  // The view asks from within Qt's frames; a record that fails to read is reported, and the
  // table ends where it is.
  toolkit::Dispatch([this] {
    std::vector<record::HistoryRow> batch;
    try {
      batch = reader_->next(BatchSize);
    } catch (...) {
      reader_.reset();
      throw;
    }
    if (batch.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(batch.size()) - 1);
    for (record::HistoryRow& row : batch) rows_.push_back(std::move(row));
    endInsertRows();
  });
}

}  // namespace record_windows
