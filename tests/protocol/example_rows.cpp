#include "example_rows.h"

#include <QDate>
#include <cmath>

#include "record/verdict.h"

namespace {

struct Thickness {
  const char* mm;
  const char* kvp;
  const char* mas;
  const char* filter;
  double sdnr;  // typical value
};

constexpr Thickness Thicknesses[] = {{"26", "28", "63.2", "Rh", 9.8},
                                     {"46", "29", "110.5", "Rh", 7.1},
                                     {"66", "31", "180.3", "Ag", 5.0}};

QString decimal(double value, int places) {
  return QString::number(value, 'f', places);
}

record::HistoryRow row(qint64 session, const QDate& date, const Thickness& thickness, double sdnr,
                       double reference, const QString& source) {
  record::HistoryRow row;
  row.measurement = session * 3 + (&thickness - Thicknesses);
  row.session = session;
  row.performedAt = date.toString(Qt::ISODate) + QStringLiteral("T08:30:00Z");
  row.date = date.toString(Qt::ISODate);
  row.acquisitionTime = QStringLiteral("09:31:12");
  row.manufacturer = QStringLiteral("Hologic");
  row.model = QStringLiteral("Selenia Dimensions");
  row.serialNumber = QStringLiteral("SD-40512");
  row.station = QStringLiteral("MAMMO-2");
  row.thickness = QString::fromLatin1(thickness.mm);
  // Background and aluminium means whose difference over the noise gives the SDNR.
  const double noise = 5.1;
  row.mBG = decimal(520.4, 2);
  row.mAl = decimal(520.4 - sdnr * noise, 2);
  row.sAl = decimal(noise - 0.05, 3);
  row.sBG = decimal(noise + 0.05, 3);
  row.sdnr = decimal(sdnr, 2);
  row.n = 40000;
  row.kvp = QString::fromLatin1(thickness.kvp);
  row.mas = QString::fromLatin1(thickness.mas);
  row.anode = QStringLiteral("W");
  row.filter = QString::fromLatin1(thickness.filter);
  row.reference = decimal(reference, 2);
  row.referenceSource = source;
  row.belowPercent = QStringLiteral("15");
  row.tolerance = QStringLiteral("−15 %");
  row.toleranceSource = QStringLiteral("Festlegung MPE 2024-12-02");
  const record::ToleranceRule rule{record::ExactDecimal::Parse("15"), {}, {}, {}};
  const record::Evaluation evaluation =
      record::Evaluate(*record::ExactDecimal::Parse(row.sdnr.toStdString()),
                       record::ExactDecimal::Parse(row.reference.toStdString()), rule);
  row.deviation = QString::fromStdString(evaluation.deviationPercent);
  row.verdict = QString::fromStdString(evaluation.verdict);
  row.operatorName = QStringLiteral("B. Sommer");
  row.phantom = QStringLiteral("PMMA-Satz 7 mit Prüfeinsatz 6 mm");
  row.sopInstanceUid = QStringLiteral("1.2.826.0.1.3680043.2.1143.%1").arg(row.measurement);
  return row;
}

}  // namespace

std::vector<record::HistoryRow> ExampleYear() {
  std::vector<record::HistoryRow> rows;
  for (int month = 1; month <= 12; ++month) {
    const QDate date(2025, month, 15);
    // The tube was changed at the end of June; the new acceptance test set higher references.
    const bool newTube = month >= 7;
    const QString source = newTube ? QStringLiteral("Abnahmeprüfung 2025-06-30, Protokoll 23")
                                   : QStringLiteral("Abnahmeprüfung 2024-12-02, Protokoll 17");
    for (const Thickness& thickness : Thicknesses) {
      const double reference = thickness.sdnr * (newTube ? 1.06 : 1.0);
      double sdnr = reference * (1 + 0.03 * std::sin(month * 1.7 + thickness.sdnr));
      if (month == 9 && thickness.sdnr == 5.0) sdnr = reference * 0.78;
      rows.push_back(row(100 + month, date, thickness, sdnr, reference, source));
      if (month == 11 && thickness.sdnr == 7.1)
        rows.back().warnings = QStringLiteral("Bedingungen abweichend: kV 30 statt 29");
    }
  }
  rows[9].amendment = QStringLiteral("ungültig: falsche Dicke eingestellt");
  rows[9].voided = true;
  return rows;
}

std::vector<record::HistoryRow> ManySessions(int sessions) {
  std::vector<record::HistoryRow> rows;
  const QDate start(2025, 1, 1);
  for (int session = 0; session < sessions; ++session) {
    for (const Thickness& thickness : Thicknesses) {
      rows.push_back(row(session, start.addDays(session), thickness, thickness.sdnr, thickness.sdnr,
                         QStringLiteral("Abnahmeprüfung 2024-12-02")));
    }
  }
  return rows;
}
