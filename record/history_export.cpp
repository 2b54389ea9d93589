#include "history_export.h"

#include <algorithm>
#include <array>

namespace record {
namespace {

// Rows read between two writes.
constexpr int Batch = 1000;

enum class Kind { Text, Number, Integer, List };

struct Column {
  const char* name;
  Kind kind;
  QString HistoryRow::*text = nullptr;   // where the row holds it as a text
  qint64 HistoryRow::*number = nullptr;  // where as an integer
};

const std::array<Column, 23> Columns = {{
    {"measurement", Kind::Integer, nullptr, &HistoryRow::measurement},
    {"session", Kind::Integer, nullptr, &HistoryRow::session},
    {"performed_at", Kind::Text, &HistoryRow::performedAt},
    {"date", Kind::Text, &HistoryRow::date},
    {"device", Kind::Text, &HistoryRow::serialNumber},
    {"thickness", Kind::Number, &HistoryRow::thickness},
    {"mAl", Kind::Number, &HistoryRow::mAl},
    {"sAl", Kind::Number, &HistoryRow::sAl},
    {"mBG", Kind::Number, &HistoryRow::mBG},
    {"sBG", Kind::Number, &HistoryRow::sBG},
    {"SDNR", Kind::Number, &HistoryRow::sdnr},
    {"n", Kind::Integer, nullptr, &HistoryRow::n},
    {"kV", Kind::Number, &HistoryRow::kvp},
    {"mAs", Kind::Number, &HistoryRow::mas},
    {"anode", Kind::Text, &HistoryRow::anode},
    {"filter", Kind::Text, &HistoryRow::filter},
    {"reference", Kind::Number, &HistoryRow::reference},
    {"deviation", Kind::Number, &HistoryRow::deviation},
    {"verdict", Kind::Text, &HistoryRow::verdict},
    {"warnings", Kind::List, &HistoryRow::warnings},
    {"operator", Kind::Text, &HistoryRow::operatorName},
    {"sop_instance_uid", Kind::Text, &HistoryRow::sopInstanceUid},
    {"amendment", Kind::List, &HistoryRow::amendment},
}};

char separator(HistoryFormat format) {
  return format == HistoryFormat::Tsv ? '\t' : format == HistoryFormat::Csv ? ',' : ';';
}

const char* lineEnd(HistoryFormat format) {
  return format == HistoryFormat::Csv || format == HistoryFormat::GermanCsv ? "\r\n" : "\n";
}

// A number as German spreadsheets read it: "-12,5". Texts that are no plain number stay.
std::string withDecimalComma(std::string field) {
  const bool plainNumber = !field.empty() && std::all_of(field.begin(), field.end(), [](char c) {
    return (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+';
  });
  if (plainNumber) std::replace(field.begin(), field.end(), '.', ',');
  return field;
}

// RFC 4180: a field holding the separator, a quote or a line break is quoted, its quotes doubled.
void appendCsvField(std::string& line, const std::string& field, char separator) {
  const bool plain = std::none_of(field.begin(), field.end(), [&](char c) {
    return c == separator || c == '"' || c == '\r' || c == '\n';
  });
  if (plain) {
    line += field;
    return;
  }
  line += '"';
  for (const char c : field) line += c == '"' ? std::string_view("\"\"") : std::string_view(&c, 1);
  line += '"';
}

void appendJsonValue(std::string& line, const Column& column, const std::string& text,
                     imaging::PrintableText& printable) {
  if (column.kind != Kind::List) {
    line += column.kind == Kind::Integer ? text : printable.jsonString(text);
    return;
  }
  line += '[';
  for (std::size_t start = 0, end; start < text.size(); start = end + 1) {
    end = std::min(text.find('\n', start), text.size());
    if (start != 0) line += ", ";
    line += printable.jsonString(text.substr(start, end - start));
  }
  line += ']';
}

}  // namespace

std::string HistoryHeader(HistoryFormat format) {
  if (format == HistoryFormat::Json) return {};
  std::string header = format == HistoryFormat::GermanCsv ? "\xEF\xBB\xBF" : "";
  for (const Column& column : Columns) {
    if (&column != Columns.data()) header += separator(format);
    header += column.name;
  }
  return header + lineEnd(format);
}

std::string HistoryLine(const HistoryRow& row, HistoryFormat format,
                        imaging::PrintableText& printable) {
  std::string line = format == HistoryFormat::Json ? "{" : "";
  for (const Column& column : Columns) {
    std::string text =
        column.text ? (row.*column.text).toStdString() : std::to_string(row.*column.number);
    if (format == HistoryFormat::Json) {
      line += &column == Columns.data() ? "\"" : ", \"";
      line += column.name;
      line += "\": ";
      appendJsonValue(line, column, text, printable);
      continue;
    }
    if (&column != Columns.data()) line += separator(format);
    // Several warnings or amendments, one a line in the record, on one line here.
    for (std::size_t at; column.kind == Kind::List && (at = text.find('\n')) != std::string::npos;)
      text.replace(at, 1, "; ");
    std::string field = printable.tsvField(text);
    if (format == HistoryFormat::GermanCsv && column.kind == Kind::Number)
      field = withDecimalComma(std::move(field));
    if (format == HistoryFormat::Tsv) {
      line += field;
    } else {
      appendCsvField(line, field, separator(format));
    }
  }
  line += format == HistoryFormat::Json ? "}" : "";
  return line + lineEnd(format);
}

void WriteHistory(RecordDatabase& database, const HistoryFilter& filter, HistoryFormat format,
                  const std::function<void(const std::string&)>& write) {
  HistoryReader reader(database, filter);
  imaging::PrintableText printable;
  write(HistoryHeader(format));
  std::string lines;
  while (!reader.atEnd()) {
    lines.clear();
    for (const HistoryRow& row : reader.next(Batch)) lines += HistoryLine(row, format, printable);
    write(lines);
  }
}

}  // namespace record
