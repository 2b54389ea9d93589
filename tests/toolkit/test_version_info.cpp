// The version of executable files as text: the twelve digits, their dotted form and the true
// dotted version.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "calc/errors.h"
#include "tests/toolkit/elf_image.h"
#include "tests/toolkit/qt_print.h"
#include "toolkit/version_info.h"

namespace toolkit {
namespace {

QByteArray Elf(int bits, std::endian order, const VersionNumbers& version) {
  const ElfImage image(bits, order, {{".qversion", RecordBytes(version, order)}});
  return QByteArray(reinterpret_cast<const char*>(image.bytes().data()),
                    static_cast<qsizetype>(image.bytes().size()));
}

class VersionFileTest : public testing::Test {
 protected:
  QString write(const QString& name, const QByteArray& contents) {
    const QString path = dir_.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
  }
  QString path(const QString& name) const { return dir_.filePath(name); }

 private:
  QTemporaryDir dir_;
};

TEST_F(VersionFileTest, DigitsAndTextOfFilesWithAVersion) {
  struct Case {
    QByteArray contents;
    QString digits;
    QString dotted;  // of the digits
    QString text;    // the file's true version
  };
  const Case cases[] = {
      {Elf(64, std::endian::little, {2, 10, 300, 4}), "002010300004", "2.10.300.4", "2.10.300.4"},
      {Elf(32, std::endian::big, {1, 0, 0, 0}), "001000000000", "1.0.0.0", "1.0.0.0"},
      {Elf(64, std::endian::big, {999, 999, 999, 999}), "999999999999", "999.999.999.999",
       "999.999.999.999"},
      // A part above 999 shifts the digits, so their slices read wrong; the text stays true.
      {Elf(32, std::endian::little, {1, 2, 1000, 4}), "0010021000004", "1.2.100.0", "1.2.1000.4"},
      {Elf(64, std::endian::little, {65535, 0, 65535, 7}), "6553500065535007", "655.350.6.553",
       "65535.0.65535.7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    const QString file = write(QStringLiteral("program"), c.contents);
    EXPECT_EQ(GetVersionDigits(file), c.digits);
    EXPECT_EQ(VersionDigitsToDotted(GetVersionDigits(file)), c.dotted);
    EXPECT_EQ(FileVersionText(file), c.text);
  }
}

TEST_F(VersionFileTest, ZerosForWhatHoldsNoVersion) {
  const QByteArray elf = Elf(64, std::endian::little, {1, 2, 3, 4});
  ASSERT_EQ(::mkfifo(path(QStringLiteral("pipe")).toLocal8Bit().constData(), 0600), 0);
  const QString files[] = {
      write(QStringLiteral("text"), "001002003004\n"),
      write(QStringLiteral("empty"), {}),
      write(QStringLiteral("truncated"), elf.first(elf.size() - 1)),
      path(QStringLiteral("missing")),
      path({}),                      // the folder
      path(QStringLiteral("pipe")),  // opening it would wait for a writer
      QStringLiteral("/dev/zero"),   // reading it would never end
      QString(),
  };
  for (const QString& file : files) {
    SCOPED_TRACE(file.toStdString());
    EXPECT_EQ(GetVersionDigits(file), "000000000000");
    EXPECT_EQ(FileVersionText(file), "0.0.0.0");
  }
}

TEST(VersionInfo, BuiltExecutablesCarryTheProjectVersion) {
  for (const QString& file :
       {QCoreApplication::applicationFilePath(), QStringLiteral(PROGRAM_FILE)}) {
    SCOPED_TRACE(file.toStdString());
    EXPECT_EQ(GetVersionDigits(file), "001000000000");
    EXPECT_EQ(FileVersionText(file), "1.0.0.0");
  }
}

TEST(VersionInfo, DigitsToDotted) {
  struct Case {
    const char* digits;
    QString dotted;
  };
  const Case cases[] = {
      {"000000000000", "0.0.0.0"},          {"001000000000", "1.0.0.0"},
      {"002010300004", "2.10.300.4"},       {"999099009000", "999.99.9.0"},
      {"001002003004 and more", "1.2.3.4"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(VersionDigitsToDotted(QString::fromUtf8(c.digits)), c.dotted) << c.digits;
  }
}

TEST(VersionInfo, DigitsThatAreNoNumberRaiseConvertError) {
  struct Case {
    const char* digits;
    const char* message;
  };
  const Case cases[] = {
      {"", "'' is not a valid integer value"},
      {"00100000000", "'00' is not a valid integer value"},
      {"001000", "'' is not a valid integer value"},
      {"00a000000000", "'00a' is not a valid integer value"},
      {"001-01000000", "'-01' is not a valid integer value"},
      {"001000 01000", "' 01' is not a valid integer value"},
      {"001000000+00", "'+00' is not a valid integer value"},
      {"١٢٣000000000", "'١٢٣' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.digits);
    try {
      VersionDigitsToDotted(QString::fromUtf8(c.digits));
      ADD_FAILURE() << "no error";
    } catch (const calc::EConvertError& error) {
      EXPECT_EQ(error.message(), c.message);
    }
  }
}

}  // namespace
}  // namespace toolkit
