#include "protocol_document.h"

#include <QDir>
#include <QFontMetricsF>
#include <QPdfWriter>
#include <QSaveFile>
#include <algorithm>
#include <map>

#include "german_text.h"
#include "page_flow.h"
#include "record/record_error.h"
#include "session_table.h"
#include "trend_plot.h"
#include "typeset.h"
#include "wrapped_text.h"

namespace protocol {
namespace {

// A4 portrait; the running head and the footer lie in the top and bottom margins.
constexpr double PageWidthMm = 210;
constexpr double PageHeightMm = 297;
constexpr double SideMarginMm = 15;
constexpr double TopMarginMm = 18;
constexpr double BottomMarginMm = 18;

QString joinedOnce(const std::vector<record::HistoryRow>& rows,
                   QString record::HistoryRow::*field) {
  QStringList values;
  for (const record::HistoryRow& row : rows) {
    const QString& value = row.*field;
    if (!value.isEmpty() && !values.contains(value)) values << value;
  }
  return values.join(QStringLiteral(", "));
}

QString periodText(const ProtocolHeader& header) {
  if (header.from.isEmpty() && header.to.isEmpty()) return QStringLiteral("alle Messungen");
  if (header.to.isEmpty()) return QStringLiteral("ab ") + GermanDate(header.from);
  if (header.from.isEmpty()) return QStringLiteral("bis ") + GermanDate(header.to);
  return GermanDate(header.from) + QStringLiteral(" – ") + GermanDate(header.to);
}

QString deviceText(const ProtocolHeader& header) {
  return QStringList{header.manufacturer, header.model}.join(QLatin1Char(' ')).trimmed();
}

// "36 in 12 Sitzungen: 33 bestanden, 1 nicht bestanden, 1 kein Bezugswert; 1 ungültig"
QString countsText(const std::vector<record::HistoryRow>& rows) {
  std::map<QString, int> byVerdict;
  std::map<qint64, bool> sessions;
  int voided = 0;
  for (const record::HistoryRow& row : rows) {
    sessions[row.session] = true;
    if (row.voided)
      ++voided;
    else
      ++byVerdict[row.verdict];
  }
  QStringList verdicts;
  for (const auto& [verdict, count] : byVerdict)
    verdicts << QStringLiteral("%1 %2").arg(count).arg(verdict);
  QString text = QStringLiteral("%1 in %2 Sitzungen").arg(rows.size()).arg(sessions.size());
  if (!verdicts.isEmpty()) text += QStringLiteral(": ") + verdicts.join(QStringLiteral(", "));
  if (voided > 0) text += QStringLiteral("; %1 ungültig").arg(voided);
  return text;
}

// Labels in bold on the left, values wrapping on the right.
Block fieldsBlock(const std::vector<std::pair<QString, QString>>& fields, const Typeset& t) {
  const double labelWidth = 32 * t.mm;
  std::vector<std::pair<WrappedText, WrappedText>> lines;
  double height = 0;
  for (const auto& [label, value] : fields) {
    lines.emplace_back(WrappedText(label + QLatin1Char(':'), t.bold, labelWidth, t.device),
                       WrappedText(value.isEmpty() ? QStringLiteral("–") : value, t.body,
                                   t.width - labelWidth, t.device));
    height += std::max(lines.back().first.height(), lines.back().second.height()) + t.mm * 0.5;
  }
  return {height + 3 * t.mm, [lines, labelWidth, t](QPainter& painter, double top) {
            painter.setPen(Qt::black);
            for (const auto& [label, value] : lines) {
              label.draw(painter, QPointF(0, top));
              value.draw(painter, QPointF(labelWidth, top));
              top += std::max(label.height(), value.height()) + t.mm * 0.5;
            }
          }};
}

Block plotBlock(const std::vector<record::HistoryRow>& rows, const Typeset& t) {
  const TrendData trend = BuildTrend(rows);
  const double panels = double(trend.series.size());
  const double height = (trend.empty() ? 20 : std::min(22 + 38 * panels, 200.0)) * t.mm;
  return {height + 4 * t.mm, [trend, height, t](QPainter& painter, double top) {
            painter.setFont(t.table);
            DrawTrend(painter, QRectF(0, top, t.width, height), trend,
                      TrendColorsFor(Qt::white, Qt::black));
          }};
}

// A date line and a signature line for each role, with their captions beneath.
Block signatureBlock(const QString& role, const Typeset& t) {
  const double lineY = 14 * t.mm;
  const double signatureLeft = 60 * t.mm;
  return {lineY + 8 * t.mm, [=](QPainter& painter, double top) {
            painter.setPen(QPen(Qt::black, 0.25 * t.mm));
            painter.drawLine(QPointF(0, top + lineY), QPointF(45 * t.mm, top + lineY));
            painter.drawLine(QPointF(signatureLeft, top + lineY), QPointF(t.width, top + lineY));
            painter.setFont(t.body);
            const QRectF caption(0, top + lineY + t.mm, t.width, 6 * t.mm);
            painter.drawText(caption, Qt::AlignLeft | Qt::AlignTop, QStringLiteral("Datum"));
            painter.drawText(caption.adjusted(signatureLeft, 0, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                             QStringLiteral("Unterschrift ") + role);
          }};
}

std::vector<Group> documentGroups(const ProtocolHeader& header,
                                  const std::vector<record::HistoryRow>& rows, const Typeset& t) {
  std::vector<Group> groups;
  groups.push_back({0,
                    {TextBlock(header.test, t.title, t.width, t.device, t.mm),
                     TextBlock(QStringLiteral("Protokoll nach DIN 6868-14"), t.body, t.width,
                               t.device, 5 * t.mm),
                     fieldsBlock({{QStringLiteral("Gerät"), deviceText(header)},
                                  {QStringLiteral("Seriennummer"), header.serialNumber},
                                  {QStringLiteral("Station"), header.station},
                                  {QStringLiteral("Prüfmittel"), header.phantom},
                                  {QStringLiteral("Norm"), QStringLiteral("DIN 6868-14")},
                                  {QStringLiteral("Zeitraum"), periodText(header)},
                                  {QStringLiteral("Messungen"), countsText(rows)}},
                                 t)},
                    {}});
  groups.push_back(
      {2 * t.mm,
       {TextBlock(QStringLiteral("Verlauf des SDNR"), t.section, t.width, t.device, 2 * t.mm),
        plotBlock(rows, t)},
       {}});
  groups.push_back(
      {2 * t.mm, {TextBlock(QStringLiteral("Messungen"), t.section, t.width, t.device, t.mm)}, {}});
  if (rows.empty()) {
    groups.back().lead.push_back(
        TextBlock(QStringLiteral("Keine Messungen im Zeitraum."), t.body, t.width, t.device, t.mm));
  }
  for (Group& session : SessionTables(rows, t)) groups.push_back(std::move(session));
  groups.push_back(
      {8 * t.mm,
       {TextBlock(QStringLiteral("Unterschriften"), t.section, t.width, t.device, 2 * t.mm),
        signatureBlock(QStringLiteral("Prüfer"), t),
        signatureBlock(QStringLiteral("Medizinphysik-Experte"), t)},
       {}});
  return groups;
}

void drawMargins(QPainter& painter, const ProtocolHeader& header, int page, int pages,
                 const Typeset& t) {
  const double left = SideMarginMm * t.mm;
  const double width = t.width;
  painter.setPen(Qt::black);
  painter.setFont(t.small);
  if (page > 1) {
    const QRectF head(left, 8 * t.mm, width, 6 * t.mm);
    const QString text = header.test + QStringLiteral(" · ") + deviceText(header) +
                         QStringLiteral(", Seriennummer ") + header.serialNumber +
                         QStringLiteral(" · ") + periodText(header);
    painter.drawText(head, Qt::AlignLeft | Qt::AlignBottom,
                     QFontMetricsF(t.small, t.device).elidedText(text, Qt::ElideRight, width));
    painter.setPen(QPen(Qt::black, 0.15 * t.mm));
    painter.drawLine(QPointF(left, head.bottom() + t.mm),
                     QPointF(left + width, head.bottom() + t.mm));
  }
  const QDateTime written =
      header.writtenAt.isValid() ? header.writtenAt : QDateTime::currentDateTime();
  const QRectF foot(left, (PageHeightMm - 12) * t.mm, width, 6 * t.mm);
  painter.setPen(Qt::black);
  painter.drawText(
      foot, Qt::AlignLeft | Qt::AlignTop,
      QStringLiteral("Quantelo %1 · erstellt am %2")
          .arg(header.version, written.toString(QStringLiteral("dd.MM.yyyy, HH:mm 'Uhr'"))));
  painter.drawText(foot, Qt::AlignRight | Qt::AlignTop,
                   QStringLiteral("Seite %1 von %2").arg(page).arg(pages));
}

[[noreturn]] void cannotWrite(const QString& path, const QString& cause) {
  throw record::RecordError(QStringLiteral("Das Protokoll kann nicht geschrieben werden: %1")
                                .arg(QDir::toNativeSeparators(path))
                                .toStdString(),
                            cause.toStdString());
}

}  // namespace

ProtocolHeader CompletedFromRows(ProtocolHeader header,
                                 const std::vector<record::HistoryRow>& rows) {
  using Row = record::HistoryRow;
  for (auto [field, column] : {std::pair{&header.manufacturer, &Row::manufacturer},
                               {&header.model, &Row::model},
                               {&header.serialNumber, &Row::serialNumber},
                               {&header.station, &Row::station},
                               {&header.phantom, &Row::phantom}}) {
    if (field->isEmpty()) *field = joinedOnce(rows, column);
  }
  return header;
}

void WriteProtocol(const ProtocolHeader& header, const std::vector<record::HistoryRow>& rows,
                   const QString& pdfPath) {
  QSaveFile file(pdfPath);
  if (!file.open(QIODevice::WriteOnly)) cannotWrite(pdfPath, file.errorString());
  QPdfWriter writer(&file);
  writer.setPdfVersion(QPagedPaintDevice::PdfVersion_A1b);
  writer.setResolution(1200);
  writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF()));
  writer.setTitle(header.test + QStringLiteral(" – ") + header.serialNumber);
  writer.setCreator(QStringLiteral("Quantelo ") + header.version);

  const Typeset typeset = MakeTypeset(&writer, PageWidthMm - 2 * SideMarginMm);
  const std::vector<Group> groups = documentGroups(header, rows, typeset);
  const double contentHeight = (PageHeightMm - TopMarginMm - BottomMarginMm) * typeset.mm;
  const std::vector<Page> pages = FlowPages(groups, contentHeight);

  QPainter painter;
  if (!painter.begin(&writer)) cannotWrite(pdfPath, file.errorString());
  for (size_t i = 0; i < pages.size(); ++i) {
    if (i > 0) writer.newPage();
    drawMargins(painter, header, int(i + 1), int(pages.size()), typeset);
    painter.save();
    painter.translate(SideMarginMm * typeset.mm, TopMarginMm * typeset.mm);
    painter.setClipRect(QRectF(0, 0, typeset.width, contentHeight));
    for (const PlacedBlock& placed : pages[i]) placed.block->draw(painter, placed.top);
    painter.restore();
  }
  if (!painter.end() || !file.commit()) cannotWrite(pdfPath, file.errorString());
}

}  // namespace protocol
