#include "version_info.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "calc/errors.h"
#include "version_record.h"

namespace toolkit {

namespace {

std::optional<VersionNumbers> ReadVersionNumbers(const QString& fileName) {
  // Regular files only: a device or a pipe could block the opening or never end.
  if (!QFileInfo(fileName).isFile()) return std::nullopt;
  QFile file(fileName);
  if (!file.open(QIODevice::ReadOnly) || file.size() == 0) return std::nullopt;
  // Mapped rather than read: the search touches a few hundred bytes of a file of megabytes.
  const uchar* bytes = file.map(0, file.size());
  if (bytes == nullptr) return std::nullopt;
  return FindVersionRecord(
      {reinterpret_cast<const std::byte*>(bytes), static_cast<std::size_t>(file.size())});
}

QString Dotted(const VersionNumbers& numbers) {
  return QStringLiteral("%1.%2.%3.%4")
      .arg(numbers[0])
      .arg(numbers[1])
      .arg(numbers[2])
      .arg(numbers[3]);
}

bool IsDigit(QChar c) {
  return c >= u'0' && c <= u'9';
}

// Characters from + 1 to from + 3 of the digits as a number. Exactly three digits, so that a
// text cut short fails rather than reading as a smaller number.
std::uint16_t SliceNumber(const QString& digits, qsizetype from) {
  const QString slice = digits.mid(from, 3);
  if (slice.size() != 3 || !std::all_of(slice.begin(), slice.end(), IsDigit)) {
    throw calc::EConvertError("'" + slice.toStdString() + "' is not a valid integer value");
  }
  return static_cast<std::uint16_t>(slice.toUInt());
}

}  // namespace

QString GetVersionDigits(const QString& fileName) {
  const VersionNumbers numbers = ReadVersionNumbers(fileName).value_or(VersionNumbers{});
  QString digits;
  for (const std::uint16_t number : numbers) {
    digits += QStringLiteral("%1").arg(number, 3, 10, QChar(u'0'));
  }
  return digits;
}

QString VersionDigitsToDotted(const QString& digits) {
  return Dotted({SliceNumber(digits, 0), SliceNumber(digits, 3), SliceNumber(digits, 6),
                 SliceNumber(digits, 9)});
}

QString FileVersionText(const QString& fileName) {
  return Dotted(ReadVersionNumbers(fileName).value_or(VersionNumbers{}));
}

}  // namespace toolkit
