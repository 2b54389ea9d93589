// Datei → "Verlauf…": the measurements of one device in a period as a table, read as it is
// scrolled, and as the SDNR trend with the reference value and the tolerance band; exported as
// CSV or as the German protocol (PDF).
#pragma once

#include <QDialog>
#include <QString>
#include <memory>

#include "record/history.h"

class QDateEdit;
class QPushButton;
class QTableView;

namespace record_windows {
class DeviceBox;
class HistoryTableModel;
class RecordChangeWatch;
class TrendPlotView;
}  // namespace record_windows

// A window of the program, as the main window is; its parts live in namespace record_windows.
class HistoryWindow : public QDialog {
 public:
  // Opens the record at recordPath; raises record::RecordError where there is none or it cannot
  // be read. The first device and the last twelve months up to today are shown; a team record's
  // new measurements as soon as they are saved.
  explicit HistoryWindow(const QString& recordPath, QWidget* parent = nullptr);
  ~HistoryWindow() override;

 private:
  record::HistoryFilter filter() const;
  void showHistory();
  // Another program has saved to the team record or amended it: the devices, the table and the
  // trend read again, the chosen device, the table's place and its current row kept.
  void showChanges();
  // "Verlauf SN-4711 2025-12-08 bis 2026-12-08.csv" in the home folder.
  QString suggestedFile(const QString& kind, const QString& suffix) const;
  // Raise record::RecordError where the record cannot be read or the file not written.
  void exportCsv();
  void writeProtocol();

  QString recordPath_;
  std::unique_ptr<record::RecordDatabase> database_;
  // Reads through the database's connection, so it goes before the database does.
  std::unique_ptr<record_windows::HistoryTableModel> model_;
  std::unique_ptr<record_windows::RecordChangeWatch> watch_;
  record_windows::DeviceBox* device_ = nullptr;
  QDateEdit* from_ = nullptr;
  QDateEdit* to_ = nullptr;
  QTableView* table_ = nullptr;
  record_windows::TrendPlotView* plot_ = nullptr;
  QPushButton* exportButton_ = nullptr;
  QPushButton* protocolButton_ = nullptr;
};
