// The protocol as a reader gets it: its text through pdftotext, its fonts through pdffonts.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <iostream>

#include "example_rows.h"
#include "protocol/protocol_document.h"
#include "record/record_error.h"

namespace {

// A tool of poppler-utils (tools/setup-debian.sh installs it); its standard output.
QString Tool(const QString& program, const QStringList& arguments) {
  QProcess process;
  process.start(program, arguments);
  if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit ||
      process.exitCode() != 0) {
    ADD_FAILURE() << program.toStdString() << " failed (poppler-utils installed?): "
                  << process.readAllStandardError().toStdString();
  }
  return QString::fromUtf8(process.readAllStandardOutput());
}

// The pages' texts, laid out as on paper.
QStringList PageTexts(const QString& pdf) {
  QStringList pages = Tool("pdftotext", {"-layout", pdf, "-"}).split(QLatin1Char('\f'));
  if (!pages.isEmpty() && pages.back().trimmed().isEmpty()) pages.removeLast();
  return pages;
}

void ExpectPagesNumbered(const QStringList& pages) {
  for (int i = 0; i < pages.size(); ++i) {
    EXPECT_TRUE(pages[i].contains(QStringLiteral("Seite %1 von %2").arg(i + 1).arg(pages.size())))
        << "page " << i + 1;
  }
}

int Count(const QString& pattern, const QString& text) {
  int count = 0;
  for (auto match =
           QRegularExpression(pattern, QRegularExpression::MultilineOption).globalMatch(text);
       match.hasNext(); match.next())
    ++count;
  return count;
}

protocol::ProtocolHeader YearHeader(const std::vector<record::HistoryRow>& rows) {
  protocol::ProtocolHeader header;
  header.from = "2025-01-01";
  header.to = "2025-12-31";
  header.version = "1.2.3.4";
  return protocol::CompletedFromRows(header, rows);
}

TEST(ProtocolDocument, ExampleYearReadsAsWrittenWithEveryFontEmbedded) {
  const std::vector<record::HistoryRow> rows = ExampleYear();
  protocol::WriteProtocol(YearHeader(rows), rows, EXAMPLE_PROTOCOL);
  const QStringList pages = PageTexts(EXAMPLE_PROTOCOL);
  ASSERT_FALSE(pages.isEmpty());
  const QString text = pages.join(QLatin1Char('\n'));

  const std::pair<const char*, const char*> expected[] = {
      {"device", R"(Gerät:\s+Hologic Selenia Dimensions\n)"},
      {"serial and station", R"(Seriennummer:\s+SD-40512\n\s*Station:\s+MAMMO-2\n)"},
      {"Prüfmittel", R"(Prüfmittel:\s+PMMA-Satz 7 mit Prüfeinsatz 6 mm)"},
      {"standard", R"(Norm:\s+DIN 6868-14)"},
      {"test", R"(Konstanzprüfung SDNR \(monatlich\))"},
      {"period", R"(Zeitraum:\s+01\.01\.2025 – 31\.12\.2025)"},
      {"counts", R"(36 in 12 Sitzungen: 34 bestanden, 1 nicht bestanden; 1 ungültig)"},
      {"session", R"(Sitzung 109 · 15\.09\.2025, \d\d:\d\d Uhr · Prüfer: B\. Sommer)"},
      // The failed row: date, thickness, kV, mAs, anode/filter, the four values, SDNR,
      // reference, deviation, tolerance and verdict.
      {"failed row",
       R"(15\.09\.2025 +66 mm +31 +180,3 +W/Ag +499,32 +5,050 +520,40 +5,150 +4,13 +5,30 \[1\] +)"
       R"(−22,1 % +−15 % \[2\] +nicht bestanden\n)"},
      {"sources",
       R"(Quellen: \[1\] Abnahmeprüfung 2025-06-30, Protokoll 23 · \[2\] Festlegung MPE)"},
      {"warning", R"(Hinweise: Bedingungen abweichend: kV 30 statt 29)"},
      {"voided", R"(Vermerk: ungültig: falsche Dicke eingestellt)"},
      {"trend legend", R"(Toleranzbereich)"},
      {"signatures",
       R"(Datum +Unterschrift Prüfer\n(.*\n)*.*Datum +Unterschrift Medizinphysik-Experte)"},
      {"version", R"(Quantelo 1\.2\.3\.4 · erstellt am \d\d\.\d\d\.\d{4})"},
  };
  for (const auto& [what, pattern] : expected) {
    EXPECT_TRUE(QRegularExpression(QString::fromUtf8(pattern)).match(text).hasMatch())
        << what << ": " << pattern;
  }
  // Every number with a decimal comma: no point between digits but in dates and the version.
  QString numbers = text;
  numbers.remove(QRegularExpression(R"((\d\d\.){1,2}\d{4}|1\.2\.3\.4)"));
  EXPECT_FALSE(numbers.contains(QRegularExpression(R"(\d\.\d)")));
  ExpectPagesNumbered(pages);

  const QStringList fonts =
      Tool("pdffonts", {EXAMPLE_PROTOCOL}).split(QLatin1Char('\n'), Qt::SkipEmptyParts).mid(2);
  ASSERT_FALSE(fonts.isEmpty());
  for (const QString& font : fonts) {
    // name, type (one or two words), encoding, then emb sub uni object generation.
    const QStringList columns = font.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    ASSERT_GE(columns.size(), 7) << font.toStdString();
    EXPECT_EQ(columns[columns.size() - 5], "yes") << font.toStdString();
  }
}

TEST(ProtocolDocument, AYearOfDailySessionsKeepsEveryRowWholeAndNumbersEveryPage) {
  const std::vector<record::HistoryRow> rows = ManySessions(300);
  QTemporaryDir folder;
  const QString pdf = folder.filePath("long.pdf");
  QElapsedTimer timer;
  timer.start();
  protocol::WriteProtocol(YearHeader(rows), rows, pdf);
  std::cout << "300 sessions × 3 rows written in " << timer.elapsed() << " ms\n";

  const QStringList pages = PageTexts(pdf);
  EXPECT_GT(pages.size(), 20);
  ExpectPagesNumbered(pages);
  const QString text = pages.join(QLatin1Char('\n'));
  // A row split between pages, or lost, would break these counts.
  EXPECT_EQ(Count(R"(^ *\d\d\.\d\d\.\d{4} +\d+ mm +\d+ +[\d,]+ +W/(Rh|Ag) )", text), 900);
  EXPECT_EQ(Count(R"(Sitzung \d+ · )", text), 300);
}

TEST(ProtocolDocument, AnEmptyPeriodStillGivesAPageThatSaysSo) {
  QTemporaryDir folder;
  const QString pdf = folder.filePath("empty.pdf");
  protocol::ProtocolHeader header;
  header.serialNumber = "SD-40512";
  protocol::WriteProtocol(header, {}, pdf);
  const QStringList pages = PageTexts(pdf);
  ASSERT_EQ(pages.size(), 1);
  EXPECT_EQ(Count("Keine Messungen im Zeitraum", pages[0]), 2);  // the plot and the table
  EXPECT_TRUE(pages[0].contains("Seite 1 von 1"));
}

TEST(ProtocolDocument, AFileThatCannotBeWrittenIsToldInGermanAndNothingIsLeft) {
  QTemporaryDir folder;
  const QString pdf = folder.filePath("missing/protocol.pdf");
  try {
    protocol::WriteProtocol({}, ExampleYear(), pdf);
    ADD_FAILURE() << "no error";
  } catch (const record::RecordError& error) {
    EXPECT_TRUE(QString::fromUtf8(error.what()).startsWith("Das Protokoll kann nicht geschrieben"))
        << error.what();
  }
  EXPECT_FALSE(QFile::exists(pdf));
}

}  // namespace
