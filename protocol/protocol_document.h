// The German protocol of the Konstanzprüfung as a PDF: the device and period, the trend plot,
// one table per session, signature lines, "Seite X von Y" on every page.
#pragma once

#include <QDateTime>
#include <QString>
#include <vector>

#include "record/history.h"

namespace protocol {

struct ProtocolHeader {
  QString manufacturer;
  QString model;
  QString serialNumber;
  QString station;
  QString phantom;  // Prüfmittel
  QString test = QStringLiteral("Konstanzprüfung SDNR (monatlich)");
  QString from;  // the period, YYYY-MM-DD, inclusive; empty: open
  QString to;
  QString version;      // Quantelo's, named in every page's footer
  QDateTime writtenAt;  // invalid: now
};

// The header with its empty device fields and Prüfmittel taken from the rows: every value that
// occurs, in order, each once (rows of one device name it once; rows of several name them all,
// rather than one of them for all).
ProtocolHeader CompletedFromRows(ProtocolHeader header,
                                 const std::vector<record::HistoryRow>& rows);

// Writes the protocol of the rows (oldest first, as ReadHistory gives them) as A4 PDF/A-1b with
// every font embedded. The file is written whole or not at all: an existing file is replaced
// only once the new one is complete. Raises record::RecordError with a German message where the
// file cannot be written. Needs a QGuiApplication.
void WriteProtocol(const ProtocolHeader& header, const std::vector<record::HistoryRow>& rows,
                   const QString& pdfPath);

}  // namespace protocol
