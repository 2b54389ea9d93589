#include "session_table.h"

#include <QDateTime>
#include <algorithm>
#include <map>

#include "german_text.h"
#include "record/verdict.h"
#include "trend_data.h"
#include "wrapped_text.h"

namespace protocol {
namespace {

struct Column {
  const char* title;
  double widthMm;  // of the 180 mm of an A4 page between its margins
  Qt::AlignmentFlag alignment;
};

constexpr Column Columns[] = {
    {"Datum", 15, Qt::AlignLeft},
    {"Dicke", 10, Qt::AlignRight},
    {"kV", 7, Qt::AlignRight},
    {"mAs", 9, Qt::AlignRight},
    {"Anode/\nFilter", 12, Qt::AlignLeft},
    {"mAl", 11, Qt::AlignRight},
    {"sAl", 10, Qt::AlignRight},
    {"mBG", 11, Qt::AlignRight},
    {"sBG", 10, Qt::AlignRight},
    {"SDNR", 10, Qt::AlignRight},
    {"Bezugswert", 18, Qt::AlignLeft},
    {"Abw.", 13, Qt::AlignRight},
    {"Toleranz", 22, Qt::AlignLeft},
    {"Ergebnis", 22, Qt::AlignLeft},
};
constexpr double TableWidthMm = 180;

const QColor VoidedText(90, 90, 90);
const QColor HeadGround(230, 230, 230);
const QColor RuleColour(160, 160, 160);

QString orDash(const QString& text) {
  return text.isEmpty() ? QStringLiteral("–") : text;
}

// The value with the number of its source among the session's sources ("5,30 [1]"), so that a
// source shared by the session's rows is written once beneath its table.
QString withSource(const QString& value, const QString& source, QStringList& sources) {
  if (value.isEmpty() || source.isEmpty()) return value;
  if (!sources.contains(source)) sources << source;
  return QStringLiteral("%1 [%2]").arg(value).arg(sources.indexOf(source) + 1);
}

QStringList cellsOf(const record::HistoryRow& row, QStringList& sources) {
  const QString anodeFilter = row.anode.isEmpty() || row.filter.isEmpty()
                                  ? row.anode + row.filter
                                  : row.anode + QLatin1Char('/') + row.filter;
  QStringList cells = {GermanDate(row.date), ThicknessLabel(row.thickness)};
  for (const QString* number : {&row.kvp, &row.mas}) cells << WithDecimalComma(*number);
  cells << anodeFilter;
  for (const QString* number : {&row.mAl, &row.sAl, &row.mBG, &row.sBG, &row.sdnr})
    cells << WithDecimalComma(*number);
  cells << withSource(WithDecimalComma(row.reference), row.referenceSource, sources)
        << SignedPercent(row.deviation)
        << withSource(WithDecimalComma(row.tolerance), row.toleranceSource, sources) << row.verdict;
  for (QString& cell : cells) cell = orDash(cell);
  return cells;
}

// Where each column starts and how wide it is, scaled to the content's width.
struct Grid {
  std::vector<double> left, width;
  double padX, padY;
};

Grid gridFor(const Typeset& typeset) {
  Grid grid{{}, {}, 0.7 * typeset.mm, 0.6 * typeset.mm};
  double x = 0;
  for (const Column& column : Columns) {
    grid.left.push_back(x);
    grid.width.push_back(column.widthMm / TableWidthMm * typeset.width);
    x += grid.width.back();
  }
  return grid;
}

// A row of cells, with a full-width note beneath it where there is one.
Block rowBlock(const QStringList& texts, const std::vector<QFont>& fonts, const QString& note,
               const QColor& ground, const QColor& ink, const Grid& grid, const Typeset& typeset) {
  std::vector<WrappedText> cells;
  double cellsHeight = 0;
  for (size_t i = 0; i < std::size(Columns); ++i) {
    cells.emplace_back(texts[int(i)], fonts[i], grid.width[i] - 2 * grid.padX, typeset.device,
                       Columns[i].alignment);
    cellsHeight = std::max(cellsHeight, cells.back().height() + 2 * grid.padY);
  }
  const WrappedText noteText(note, typeset.note, typeset.width - 2 * grid.padX, typeset.device);
  const double height = cellsHeight + (note.isEmpty() ? 0 : noteText.height() + grid.padY);
  const double width = typeset.width;
  return {height, [=](QPainter& painter, double top) {
            if (ground.isValid()) painter.fillRect(QRectF(0, top, width, height), ground);
            painter.setPen(ink);
            for (size_t i = 0; i < cells.size(); ++i)
              cells[i].draw(painter, QPointF(grid.left[i] + grid.padX, top + grid.padY));
            if (!note.isEmpty()) noteText.draw(painter, QPointF(grid.padX, top + cellsHeight));
            painter.setPen(QPen(RuleColour, typeset.mm * 0.15));
            painter.drawLine(QPointF(0, top + height), QPointF(width, top + height));
          }};
}

Block headBlock(const Grid& grid, const Typeset& typeset) {
  QStringList titles;
  for (const Column& column : Columns) titles << QString::fromUtf8(column.title);
  return rowBlock(titles, std::vector<QFont>(std::size(Columns), typeset.tableBold), {}, HeadGround,
                  Qt::black, grid, typeset);
}

Block measurementBlock(const record::HistoryRow& row, QStringList& sources, const Grid& grid,
                       const Typeset& typeset) {
  std::vector<QFont> fonts(std::size(Columns), typeset.table);
  // A failed verdict, the last column, in bold as a second cue besides its words.
  if (row.verdict == QLatin1String(record::Failed)) fonts.back() = typeset.tableBold;
  QStringList notes;
  if (!row.warnings.isEmpty())
    notes << QStringLiteral("Hinweise: ") + row.warnings.split(QLatin1Char('\n')).join("; ");
  if (!row.amendment.isEmpty()) notes << QStringLiteral("Vermerk: ") + row.amendment;
  return rowBlock(cellsOf(row, sources), fonts, notes.join(QLatin1Char('\n')), {},
                  row.voided ? VoidedText : QColor(Qt::black), grid, typeset);
}

Block sourcesBlock(const QStringList& sources, const Grid& grid, const Typeset& typeset) {
  QStringList numbered;
  for (int i = 0; i < sources.size(); ++i)
    numbered << QStringLiteral("[%1] %2").arg(i + 1).arg(sources[i]);
  const WrappedText text(QStringLiteral("Quellen: ") + numbered.join(QStringLiteral(" · ")),
                         typeset.note, typeset.width - 2 * grid.padX, typeset.device);
  return {text.height() + 2 * grid.padY, [=](QPainter& painter, double top) {
            painter.setPen(Qt::black);
            text.draw(painter, QPointF(grid.padX, top + grid.padY));
          }};
}

QString sessionTitle(const record::HistoryRow& row) {
  const QDateTime performed = QDateTime::fromString(row.performedAt, Qt::ISODate);
  QStringList parts = {QStringLiteral("Sitzung %1").arg(row.session),
                       performed.isValid() ? performed.toLocalTime().toString(
                                                 QStringLiteral("dd.MM.yyyy, HH:mm 'Uhr'"))
                                           : row.performedAt};
  if (!row.operatorName.isEmpty()) parts << QStringLiteral("Prüfer: ") + row.operatorName;
  if (!row.phantom.isEmpty()) parts << QStringLiteral("Prüfmittel: ") + row.phantom;
  return parts.join(QStringLiteral(" · "));
}

}  // namespace

std::vector<Group> SessionTables(const std::vector<record::HistoryRow>& rows,
                                 const Typeset& typeset) {
  std::vector<std::vector<const record::HistoryRow*>> sessions;
  std::map<qint64, size_t> indexOfSession;
  for (const record::HistoryRow& row : rows) {
    const auto [found, added] = indexOfSession.try_emplace(row.session, sessions.size());
    if (added) sessions.emplace_back();
    sessions[found->second].push_back(&row);
  }
  const Grid grid = gridFor(typeset);
  const Block head = headBlock(grid, typeset);
  std::vector<Group> groups;
  for (const auto& session : sessions) {
    Group group{4 * typeset.mm,
                {TextBlock(sessionTitle(*session.front()), typeset.bold, typeset.width,
                           typeset.device, typeset.mm),
                 head},
                {}};
    QStringList sources;
    for (const record::HistoryRow* row : session)
      group.rows.push_back(measurementBlock(*row, sources, grid, typeset));
    if (!sources.isEmpty()) group.rows.push_back(sourcesBlock(sources, grid, typeset));
    groups.push_back(std::move(group));
  }
  return groups;
}

}  // namespace protocol
