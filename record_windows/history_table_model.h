// The record's history as a table that reads its rows in batches as the view scrolls, so that a
// history of a hundred thousand measurements shows its first screen at once.
#pragma once

#include <QAbstractTableModel>
#include <optional>
#include <vector>

#include "record/history.h"

namespace record_windows {

class HistoryTableModel : public QAbstractTableModel {
 public:
  // Rows read at a time: a few screens' worth.
  static constexpr int BatchSize = 100;

  enum Column {
    Date,
    Thickness,
    Sdnr,
    Reference,
    Deviation,
    Verdict,
    Warnings,
    Amendment,
    Columns
  };

  explicit HistoryTableModel(record::RecordDatabase& database, QObject* parent = nullptr);

  // Starts afresh with the measurements that match the filter; none are read until asked for.
  void setFilter(const record::HistoryFilter& filter);
  // Reads the rows again, as many as were read, so that a view keeps its place: the record has
  // changed.
  void reload();
  const record::HistoryRow& historyRow(int row) const { return rows_[static_cast<size_t>(row)]; }
  // The row of the measurement among those read; -1 where it is not.
  int rowOf(qint64 measurement) const;

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  void fetchMore(const QModelIndex& parent) override;

 private:
  // Starts afresh with the first rows already read.
  void restart(int rows);

  record::RecordDatabase& database_;
  record::HistoryFilter filter_;
  std::optional<record::HistoryReader> reader_;
  std::vector<record::HistoryRow> rows_;
};

}  // namespace record_windows
